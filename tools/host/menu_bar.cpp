#include "menu_bar.h"

#include <cstdio>
#include "host_ids.h"

namespace {

constexpr char separator[] = "-";

struct MenuItem {
  const char* text;  // `separator` for a separator line
  unsigned id;
  bool grayed;       // the stand-in does not do it; the item exists for its id
};

struct TopLevelMenu {
  const char* title;
  MenuItem items[4];  // the first item's id is the menu's key; a null text ends the list
};

const TopLevelMenu knownMenus[] = {
    {"&Restore", {{"&Restore", IDC_CHILD_RESTORE, true}}},
    {"&File", {{"&New Text Document", IDC_FILE_NEW_TEXT, true}, {separator, 0, false},
               {"E&xit", IDC_FILE_EXIT, false}}},
    {"&Edit", {{"&Undo\tCtrl+Z", IDC_EDIT_UNDO, false}}},
    {"&Mailbox", {{"&In", IDC_MAILBOX_IN, true}}},
    {"&Mailbox", {{"&In", IDC_MAILBOX_IN_PRO4, true}}},
    {"M&essage", {{"&New Message", IDC_MESSAGE_NEW, true}}},
    {"&Transfer", {{"&In", IDC_TRANSFER_IN, true}}},
    {"&Transfer", {{"&In", IDC_TRANSFER_IN_PRO4, true}}},
    {"&Special", {{"&Find...", IDC_SPECIAL_FIND, true}, {separator, 0, false},
                  {"&Translate File...", IDC_SPECIAL_TRANSLATE, false},
                  {"Message Plug-in &Settings...", IDC_SPECIAL_PLUGIN_SETTINGS, false}}},
    {"T&ools", {{"&Filters", IDC_TOOLS_FILTERS, true}}},
    {"&Window", {{"&Cascade", IDC_WINDOW_CASCADE, false}}},
    {"&Help", {{"&About Eudora...", IDC_HELP_ABOUT, false}}},
};

const TopLevelMenu* MenuWithKey(unsigned key) {
  for (const TopLevelMenu& menu : knownMenus)
    if (menu.items[0].id == key) return &menu;
  return nullptr;
}

HMENU BuildPopup(const TopLevelMenu& menu) {
  HMENU popup = CreatePopupMenu();
  if (popup == nullptr) return nullptr;
  for (const MenuItem& item : menu.items) {
    if (item.text == nullptr) break;
    BOOL added = item.text == separator
                     ? AppendMenuA(popup, MF_SEPARATOR, 0, nullptr)
                     : AppendMenuA(popup, MF_STRING | (item.grayed ? MF_GRAYED : 0), item.id,
                                   item.text);
    if (!added) {
      DestroyMenu(popup);
      return nullptr;
    }
  }
  return popup;
}

}  // namespace

HMENU BuildMenuBar(const unsigned* keys, size_t count, Report& report) {
  HMENU bar = CreateMenu();
  if (bar == nullptr) {
    report.Error("the menu bar cannot be made (Windows error %lu)", GetLastError());
    return nullptr;
  }
  for (size_t i = 0; i < count; ++i) {
    const TopLevelMenu* menu = MenuWithKey(keys[i]);
    if (menu == nullptr) {
      report.Error("no menu of the stand-in starts with command 0x%X", keys[i]);
      DestroyMenu(bar);
      return nullptr;
    }
    HMENU popup = BuildPopup(*menu);
    if (popup == nullptr ||
        !AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu->title)) {
      report.Error("the menu \"%s\" cannot be made (Windows error %lu)", menu->title,
                   GetLastError());
      if (popup != nullptr) DestroyMenu(popup);
      DestroyMenu(bar);
      return nullptr;
    }
  }
  return bar;
}

void ReportMenuBar(HMENU menuBar, const char* moment, Report& report) {
  int count = menuBar != nullptr ? GetMenuItemCount(menuBar) : -1;
  if (count < 0) {
    report.Line("menu at %s: no menu bar", moment);
    return;
  }
  report.Line("menu at %s: %d top-level menus", moment, count);
  for (int i = 0; i < count; ++i) {
    char text[256] = "", quoted[512];
    GetMenuStringA(menuBar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    QuoteForReport(quoted, sizeof quoted, text);
    HMENU popup = GetSubMenu(menuBar, i);
    if (popup == nullptr) {
      report.Line("menu at %s: %d %s is no popup", moment, i, quoted);
      continue;
    }
    report.Line("menu at %s: %d %s first id 0x%X", moment, i, quoted, GetMenuItemID(popup, 0));
    int items = GetMenuItemCount(popup);
    for (int j = 0; j < items; ++j) {
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
      info.dwTypeData = text;
      info.cch = sizeof text;
      text[0] = '\0';
      if (!GetMenuItemInfoA(popup, static_cast<UINT>(j), TRUE, &info)) {
        report.Line("menu at %s: %d.%d unreadable (Windows error %lu)", moment, i, j,
                    GetLastError());
        continue;
      }
      if (info.fType & MFT_SEPARATOR) {
        report.Line("menu at %s: %d.%d separator id 0x%X state 0x%X", moment, i, j, info.wID,
                    info.fState);
        continue;
      }
      QuoteForReport(quoted, sizeof quoted, text);
      report.Line("menu at %s: %d.%d %s id 0x%X state 0x%X%s", moment, i, j, quoted, info.wID,
                  info.fState, info.hSubMenu != nullptr ? " with a submenu" : "");
    }
  }
}
