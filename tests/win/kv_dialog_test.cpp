// The dialog and window-enumeration framework on real windows (the module selection template
// serves as a plain dialog; the plug-in's own dialogs are driven in their tests).
#include <gtest/gtest.h>
#include <windows.h>
#include "host/dlg_mod_list.h"
#include "plugin/exports.h"
#include "test_support.h"
#include "ui/show_children.h"

namespace {

// Clicks `button` once the dialog runs; records the object slot seen at initialisation.
struct TClickingDialog : TKvDialog {
  explicit TClickingDialog(int button) : button(button) {}
  INT_PTR OnInitDialog(HWND dialog, WPARAM) override {
    slotAtInit = GetWindowLongPtrA(dialog, DWLP_USER);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return 1;
  }
  int button;
  LONG_PTR slotAtInit = 0;
};

// Stops at the first window with the title; counts the windows it was shown.
struct TTitleFinder : TKvWinEnumerator {
  explicit TTitleFinder(const char* title) : title(title) {}
  BOOL OnWindow(HWND window) override {
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    ++visited;
    if (lstrcmpA(text, title) != 0) return TRUE;
    foundWindow = window;
    return FALSE;
  }
  const char* title;
  int visited = 0;
};

}  // namespace

TEST(KvDialog, ExecuteBindsTheObjectAndEndsWithTheButtonFromTheGivenModulesTemplate) {
  HMODULE plugin = LoadLibraryExA(support::BesideProgram("Tavix32.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr);
  const struct { HINSTANCE module; int templateId, button; INT_PTR result; } cases[] = {
      {GetModuleHandleA(nullptr), kDlgModListTemplate, IDOK, IDOK},
      {plugin, kDlgModListTemplate, IDCANCEL, IDCANCEL},
      {plugin, 2345, IDOK, -1}};  // no such template
  for (const auto& c : cases) {
    TClickingDialog dialog(c.button);
    EXPECT_EQ(dialog.Execute(c.module, c.templateId, nullptr), c.result) << c.templateId << " " << c.button;
    EXPECT_EQ(dialog.slotAtInit, c.result < 0 ? 0 : reinterpret_cast<LONG_PTR>(&dialog)) << "bound before init";
  }
  FreeLibrary(plugin);
}

TEST(KvWinEnumerator, WalksUntilOnWindowStopsAndShowChildrenTogglesEveryChild) {
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDlgModListTemplate), nullptr,
                                   [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(P13(dialog, WM_COMMAND, IDCANCEL, 0), 0) << "no object bound: nothing to call";
  TTitleFinder top(" Selection module definition"), first("OK"), none("no window has this title 8d1f");
  SetWindowTextA(dialog, top.title);
  top.EnumTopLevel();
  first.EnumChildren(dialog);
  none.EnumChildren(dialog);
  EXPECT_EQ(top.foundWindow, dialog);
  EXPECT_EQ(first.foundWindow, GetDlgItem(dialog, IDOK));
  EXPECT_EQ(first.visited, 1) << "OK is the first child; the walk must stop there";
  EXPECT_EQ(none.foundWindow, nullptr);
  ASSERT_GT(none.visited, 10);
  for (BOOL show : {FALSE, TRUE}) {
    TShowChildren(show).EnumChildren(dialog);
    int matching = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      matching += ((GetWindowLongPtrA(child, GWL_STYLE) & WS_VISIBLE) != 0) == show && IsWindowEnabled(child) == show;
    EXPECT_EQ(matching, none.visited) << "shown " << show;
  }
  EXPECT_TRUE(IsWindowEnabled(dialog)) << "only the children";
  DestroyWindow(dialog);
}
