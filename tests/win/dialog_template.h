// A dialog template as the resource holds it (the plain DIALOG form), one line for the dialog
// and one per control, so that a test compares styles, places and texts as readable lines.
#pragma once
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

// A name-or-ordinal field; the predefined class ordinals become their names in upper case.
inline std::string TemplateName(const WORD*& p) {
  if (*p == 0xFFFF) {
    const WORD ordinal = p[1];
    p += 2;
    const char* names[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX"};
    return ordinal >= 0x80 && ordinal <= 0x83 ? names[ordinal - 0x80] : "#" + std::to_string(ordinal);
  }
  std::string text;
  for (; *p; ++p) text += static_cast<char>(*p);
  ++p;
  return text;
}

// "dialog 0x<style> x,y wxh "<caption>" font <size> "<name>"", then per control
// "<id> <KIND> 0x<style> x,y wxh "<text>""; empty when the template is missing or extended.
inline std::vector<std::string> ReadDialogTemplate(HINSTANCE module, int templateId) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
  const auto* dialog = found ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found))) : nullptr;
  if (!dialog || HIWORD(dialog->style) == 0xFFFF) return {};
  auto line = [](const char* head, DWORD style, int x, int y, int cx, int cy, const std::string& text) {
    char place[96];
    std::snprintf(place, sizeof place, "%s 0x%08lX %d,%d %dx%d \"", head, static_cast<unsigned long>(style), x,
                  y, cx, cy);
    return place + text + "\"";
  };
  const WORD* p = reinterpret_cast<const WORD*>(dialog + 1);
  TemplateName(p);  // menu
  TemplateName(p);  // class
  std::string head = line("dialog", dialog->style, dialog->x, dialog->y, dialog->cx, dialog->cy, TemplateName(p));
  if (dialog->style & DS_SETFONT) {
    head += " font " + std::to_string(*p++);
    head += " \"" + TemplateName(p) + "\"";
  }
  std::vector<std::string> lines = {head};
  for (int i = 0; i < dialog->cdit; ++i) {
    p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR{3});
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    p = reinterpret_cast<const WORD*>(item + 1);
    std::string kind = TemplateName(p);
    CharUpperBuffA(&kind[0], static_cast<DWORD>(kind.size()));
    const std::string text = TemplateName(p);
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);  // creation data
    lines.push_back(line((std::to_string(static_cast<short>(item->id)) + " " + kind).c_str(), item->style,
                         item->x, item->y, item->cx, item->cy, text));
  }
  return lines;
}
