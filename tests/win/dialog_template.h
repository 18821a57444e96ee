// A dialog template as the resource holds it (the plain DIALOG form), for tests that read
// back a template's controls, texts, positions and styles.
#pragma once
#include <windows.h>
#include <ostream>
#include <string>
#include <vector>

struct TemplateItem {
  int id;
  std::string kind, text;
  short x, y, width, height;
  DWORD style;
  bool operator==(const TemplateItem& o) const {
    return id == o.id && kind == o.kind && text == o.text && x == o.x && y == o.y &&
           width == o.width && height == o.height && style == o.style;
  }
};

inline std::ostream& operator<<(std::ostream& out, const TemplateItem& item) {
  return out << item.id << " " << item.kind << " \"" << item.text << "\" " << item.x << ","
             << item.y << "," << item.width << "," << item.height << " style 0x" << std::hex
             << item.style << std::dec;
}

struct DialogTemplate {
  bool found = false;
  DWORD style = 0;
  short x = 0, y = 0, width = 0, height = 0;
  std::string caption, fontName;
  int fontSize = 0;
  std::vector<TemplateItem> items;
};

// Reads a name-or-ordinal field; ordinals of the predefined classes become their names in
// upper case, as names are compared in upper case.
inline std::string ReadNameOrOrdinal(const WORD*& p) {
  if (*p == 0xFFFF) {
    const WORD ordinal = p[1];
    p += 2;
    switch (ordinal) {
      case 0x80: return "BUTTON";
      case 0x81: return "EDIT";
      case 0x82: return "STATIC";
      case 0x83: return "LISTBOX";
      default: return "#" + std::to_string(ordinal);
    }
  }
  std::string text;
  for (; *p; ++p) text += static_cast<char>(*p);
  ++p;
  return text;
}

// Item styles are given in full (WS_CHILD and WS_VISIBLE included); item kinds in upper case.
inline DialogTemplate ReadDialogTemplate(HINSTANCE module, int templateId) {
  DialogTemplate result;
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), reinterpret_cast<LPCSTR>(RT_DIALOG));
  const auto* dialog =
      found ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, found))) : nullptr;
  if (!dialog || HIWORD(dialog->style) == 0xFFFF) return result;  // missing, or extended
  result.found = true;
  result.style = dialog->style;
  result.x = dialog->x;
  result.y = dialog->y;
  result.width = dialog->cx;
  result.height = dialog->cy;
  const WORD* p = reinterpret_cast<const WORD*>(dialog + 1);
  ReadNameOrOrdinal(p);  // menu
  ReadNameOrOrdinal(p);  // class
  result.caption = ReadNameOrOrdinal(p);
  if (dialog->style & DS_SETFONT) {
    result.fontSize = *p++;
    result.fontName = ReadNameOrOrdinal(p);
  }
  for (int i = 0; i < dialog->cdit; ++i) {
    p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR{3});
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    p = reinterpret_cast<const WORD*>(item + 1);
    std::string kind = ReadNameOrOrdinal(p);
    CharUpperBuffA(&kind[0], static_cast<DWORD>(kind.size()));
    const std::string text = ReadNameOrOrdinal(p);
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
    result.items.push_back({static_cast<short>(item->id), kind, text, item->x, item->y, item->cx,
                            item->cy, item->style});
  }
  return result;
}
