#include "host/dlg_mod_list.h"

#include <cstring>

#include "core/module_table.h"
#include "host/mif.h"
#include "host/module_definition.h"
#include "ui/window_utils.h"

namespace {

// The row texts shown in 110 and 111 keep at most 63 characters.
enum { kRowTextSize = 64 };
// A list line: two counted strings (255 characters each), a tab and the NUL.
enum { kLineSize = 2 * 255 + 2 };

// "name<tab>version" into `line` (kLineSize bytes).
void ListLine(char* line, const char* name, size_t nameLength, const char* version,
              size_t versionLength) {
  size_t used = 0;
  auto append = [&](const char* text, size_t length) {
    if (length > kLineSize - 1 - used) length = kLineSize - 1 - used;
    std::memcpy(line + used, text, length);
    used += length;
  };
  append(name, nameLength);
  append("\t", 1);
  append(version, versionLength);
  line[used] = '\0';
}

const char* TextOrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

TDlgModList::TDlgModList(const TModuleDefinition* definition, TMif* table)
    : selectedDefinition(definition), chosenRecord(nullptr), table(table) {}

INT_PTR TDlgModList::OnInitDialog(HWND dialog, WPARAM) {
  CenterWindowOver(dialog, nullptr);
  HWND list = GetDlgItem(dialog, kModListId);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);

  // One tab stop, half the list's width, in the units the list box takes.
  RECT bounds{};
  GetWindowRect(list, &bounds);
  INT tabStop = ((bounds.right - bounds.left) >> 1) / LOWORD(GetDialogBaseUnits());
  SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));

  table->MoveTo(0);
  TTableText strings[kMatchKeyCount];
  while (table->GetStrings(kMatchKeyCount, strings)) {
    char line[kLineSize];
    ListLine(line, strings[kProductName].text, strings[kProductName].length,
             strings[kProductVersion].text, strings[kProductVersion].length);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    if (!table->Next()) break;
  }
  InvalidateRect(list, nullptr, TRUE);

  const TModuleDefinition& shown = *selectedDefinition;
  SetDlgItemTextA(dialog, kInfoFullModNameId, TextOrEmpty(shown.FullModName));
  SetDlgItemTextA(dialog, kInfoClassNameId, TextOrEmpty(shown.ClassName));
  SetDlgItemTextA(dialog, kInfoModNameId, TextOrEmpty(shown.ModName));
  SetDlgItemTextA(dialog, kInfoProductNameId, TextOrEmpty(shown.ProductName));
  SetDlgItemTextA(dialog, kInfoProductVersionId, TextOrEmpty(shown.ProductVersion));

  // The line with the running product's name and version, else its name's first line,
  // else the first line.
  const char* name = TextOrEmpty(shown.ProductName);
  const char* version = TextOrEmpty(shown.ProductVersion);
  LRESULT selection =
      SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
  if (selection >= 0) {
    char line[kLineSize];
    ListLine(line, name, std::strlen(name), version, std::strlen(version));
    const LRESULT exact = SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(line));
    if (exact >= 0) selection = exact;
  } else {
    selection = 0;
  }
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selection), 0);
  return 1;
}

INT_PTR TDlgModList::OnCommand(HWND dialog, WPARAM wParam, LPARAM) {
  const WORD controlId = LOWORD(wParam);
  const WORD notification = HIWORD(wParam);
  HWND list = GetDlgItem(dialog, kModListId);
  const LRESULT selection = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (controlId == IDOK) {
    if (selection >= 0 && table->MoveTo(static_cast<int>(selection)))
      chosenRecord = table->CurrentRecord();
    // The control id, not the whole wParam: a notification code in the high word would
    // otherwise make the result differ from IDOK.
    EndDialog(dialog, IDOK);
  } else if (controlId == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
  } else if (controlId == kModListId && notification == LBN_SELCHANGE) {
    TTableText strings[kMatchKeyCount];
    if (selection >= 0 && table->MoveTo(static_cast<int>(selection)) &&
        table->GetStrings(kMatchKeyCount, strings)) {
      char text[kRowTextSize];
      CopyTableText(text, sizeof text, strings[kMainWindowClass]);
      SetDlgItemTextA(dialog, kRowClassNameId, text);
      CopyTableText(text, sizeof text, strings[kModuleName]);
      SetDlgItemTextA(dialog, kRowModuleNameId, text);
    }
  }
  return 1;
}
