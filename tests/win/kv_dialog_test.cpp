// The dialog framework on real dialog windows built from in-memory templates.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "plugin/exports.h"
#include "test_support.h"
#include "ui/kv_dialog.h"
#include "ui/show_children.h"

namespace {

enum { kOtherButton = 3, kGroupBox = 4, kLabel = 5, kEdit = 6 };

// A DLGTEMPLATE with DS_SETFONT (so WM_SETFONT arrives before WM_INITDIALOG), an OK and a
// Cancel button, another button, a group box, a static text and an edit field.
class TestTemplate {
 public:
  TestTemplate() {
    const DWORD style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AddDword(style);
    AddDword(0);
    words_.push_back(6);  // items
    AddRect(10, 10, 200, 120);
    words_.push_back(0);  // no menu
    words_.push_back(0);  // standard dialog class
    AddText(L"framework test");
    words_.push_back(8);
    AddText(L"MS Shell Dlg");
    AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 0x0080, L"OK");
    AddItem(BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 0x0080, L"Cancel");
    AddItem(BS_PUSHBUTTON | WS_TABSTOP, kOtherButton, 0x0080, L"Other");
    AddItem(BS_GROUPBOX, kGroupBox, 0x0080, L"Group");
    AddItem(SS_LEFT, kLabel, 0x0082, L"Label");
    AddItem(ES_LEFT | WS_BORDER | WS_TABSTOP, kEdit, 0x0081, L"");
  }
  LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(words_.data()); }
  DWORD size() const { return static_cast<DWORD>(words_.size() * sizeof(WORD)); }

 private:
  void AddDword(DWORD value) {
    words_.push_back(LOWORD(value));
    words_.push_back(HIWORD(value));
  }
  void AddRect(short x, short y, short cx, short cy) {
    for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
  }
  void AddText(const wchar_t* text) {
    do words_.push_back(static_cast<WORD>(*text)); while (*text++);
  }
  void AddItem(DWORD style, WORD id, WORD atom, const wchar_t* text) {
    if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD boundary
    AddDword(style | WS_CHILD | WS_VISIBLE);
    AddDword(0);
    AddRect(10, static_cast<short>(10 + 16 * (id - 1)), 60, 14);
    words_.push_back(id);
    words_.push_back(0xFFFF);
    words_.push_back(atom);
    AddText(text);
    words_.push_back(0);  // no creation data
  }
  std::vector<WORD> words_;
};

// Overrides only OnInitDialog, which clicks one button once the dialog runs.
class TPlainDialog : public TKvDialog {
 public:
  explicit TPlainDialog(int button) : button_(button) {}
  INT_PTR OnInitDialog(HWND dialog, WPARAM) override {
    slotAtInit = GetWindowLongPtrA(dialog, DWLP_USER);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button_)));
    return TRUE;
  }
  LONG_PTR slotAtInit = 0;

 private:
  int button_;
};

// Counts what reaches the object and returns a recognisable value from OnInitDialog.
class TRecordingDialog : public TKvDialog {
 public:
  INT_PTR OnInitDialog(HWND, WPARAM wParam) override {
    ++initCount;
    initWParam = wParam;
    return 7;
  }
  INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (initCount == 0) ++messagesBeforeInit; else ++messagesAfterInit;
    return TKvDialog::OnMessage(dialog, message, wParam, lParam);
  }
  int initCount = 0;
  WPARAM initWParam = 0;
  int messagesBeforeInit = 0;
  int messagesAfterInit = 0;
};

INT_PTR CALLBACK ForeignProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

LONG_PTR Style(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

}  // namespace

TEST(KvDialog, PlainDialogEndsWithOkAndCancelIds) {
  TestTemplate dialogTemplate;
  TPlainDialog ok(IDOK);
  EXPECT_EQ(DialogBoxIndirectParamA(Self(), dialogTemplate.get(), nullptr, P13,
                                    reinterpret_cast<LPARAM>(&ok)), IDOK);
  // The object is bound before OnInitDialog runs.
  EXPECT_EQ(ok.slotAtInit, reinterpret_cast<LONG_PTR>(&ok));

  TPlainDialog cancel(IDCANCEL);
  EXPECT_EQ(DialogBoxIndirectParamA(Self(), dialogTemplate.get(), nullptr, P13,
                                    reinterpret_cast<LPARAM>(&cancel)), IDCANCEL);
}

TEST(KvDialog, DispatchesToTheBoundObject) {
  TestTemplate dialogTemplate;
  TRecordingDialog object;
  HWND dialog = CreateDialogIndirectParamA(Self(), dialogTemplate.get(), nullptr, P13,
                                           reinterpret_cast<LPARAM>(&object));
  ASSERT_NE(dialog, nullptr);
  // Messages before WM_INITDIALOG (WM_SETFONT among them) found no object.
  EXPECT_EQ(object.messagesBeforeInit, 0);
  EXPECT_EQ(object.initCount, 1);
  EXPECT_EQ(object.initWParam, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDOK)));

  // Handler results come back unchanged; OnMessage sees everything but WM_COMMAND.
  EXPECT_EQ(P13(dialog, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&object)), 7);
  const int before = object.messagesAfterInit;
  EXPECT_EQ(P13(dialog, WM_USER + 5, 0, 0), 0);
  EXPECT_EQ(object.messagesAfterInit, before + 1);
  EXPECT_EQ(P13(dialog, WM_COMMAND, MAKEWPARAM(kOtherButton, BN_CLICKED), 0), 0);
  EXPECT_EQ(object.messagesAfterInit, before + 1);
  EXPECT_TRUE(IsWindow(dialog));

  // OK is handled (1); the dialog manager then hides the modeless window.
  ShowWindow(dialog, SW_SHOW);
  EXPECT_EQ(P13(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 1);
  EXPECT_FALSE(IsWindowVisible(dialog));
  DestroyWindow(dialog);
}

TEST(KvDialog, CommandWithoutBoundObjectReturnsZero) {
  TestTemplate dialogTemplate;
  HWND dialog = CreateDialogIndirectParamA(Self(), dialogTemplate.get(), nullptr, ForeignProc, 0);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  ASSERT_EQ(GetWindowLongPtrA(dialog, DWLP_USER), 0);
  EXPECT_EQ(P13(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), 0);
  EXPECT_EQ(P13(dialog, WM_SETFONT, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(dialog));  // not ended
  DestroyWindow(dialog);
}

TEST(KvDialog, ExecuteRunsTemplateOfTheGivenModule) {
  // A copy of the plug-in whose only resource is the test template, loaded as data the way
  // a language module supplies dialog templates.
  enum { kTemplateId = 2345 };
  const std::string source = support::BesideProgram("Tavix32.dll");
  const std::string copy =
      support::TempDirectory() + "kv-dialog-templates-" + std::to_string(GetCurrentProcessId()) + ".dll";
  ASSERT_TRUE(CopyFileA(source.c_str(), copy.c_str(), FALSE)) << source;
  TestTemplate dialogTemplate;
  HANDLE update = BeginUpdateResourceA(copy.c_str(), TRUE);
  ASSERT_NE(update, nullptr);
  ASSERT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(kTemplateId),
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                              const_cast<LPDLGTEMPLATEA>(dialogTemplate.get()),
                              dialogTemplate.size()));
  ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
  HMODULE module = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);

  TPlainDialog cancel(IDCANCEL);
  EXPECT_EQ(cancel.Execute(module, kTemplateId, nullptr), IDCANCEL);
  EXPECT_EQ(cancel.slotAtInit, reinterpret_cast<LONG_PTR>(&cancel));
  // The same id is no template of this program.
  TPlainDialog missing(IDOK);
  EXPECT_EQ(missing.Execute(Self(), kTemplateId, nullptr), -1);
  EXPECT_EQ(missing.slotAtInit, 0);
  FreeLibrary(module);
  DeleteFileA(copy.c_str());
}

TEST(ShowChildren, HidesAndDisablesEveryChildThenShowsThemAgain) {
  TestTemplate dialogTemplate;
  HWND dialog = CreateDialogIndirectParamA(Self(), dialogTemplate.get(), nullptr, ForeignProc, 0);
  ASSERT_NE(dialog, nullptr);
  const int ids[] = {IDOK, IDCANCEL, kOtherButton, kGroupBox, kLabel, kEdit};

  TShowChildren hide(FALSE);
  hide.EnumChildren(dialog);
  EXPECT_EQ(hide.foundWindow, nullptr);
  for (int id : ids) {
    HWND child = GetDlgItem(dialog, id);
    ASSERT_NE(child, nullptr) << id;
    EXPECT_EQ(Style(child) & WS_VISIBLE, 0) << id;
    EXPECT_FALSE(IsWindowEnabled(child)) << id;
  }

  TShowChildren show(TRUE);
  show.EnumChildren(dialog);
  for (int id : ids) {
    HWND child = GetDlgItem(dialog, id);
    EXPECT_NE(Style(child) & WS_VISIBLE, 0) << id;
    EXPECT_TRUE(IsWindowEnabled(child)) << id;
  }
  EXPECT_TRUE(IsWindowEnabled(dialog));  // only the children are touched
  DestroyWindow(dialog);
}

namespace {

// Looks for a top-level window by its title; counts the windows it was shown.
class TTitleFinder : public TKvWinEnumerator {
 public:
  explicit TTitleFinder(const char* title) : title_(title) {}
  BOOL OnWindow(HWND window) override {
    ++visited;
    char text[64] = "";
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpA(text, title_) != 0) return TRUE;
    foundWindow = window;
    return FALSE;
  }
  int visited = 0;

 private:
  const char* title_;
};

}  // namespace

TEST(KvWinEnumerator, FindsWindowAndStopsThere) {
  HWND target = CreateWindowExA(0, "STATIC", "kv enumerator target", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, Self(), nullptr);
  ASSERT_NE(target, nullptr);
  TTitleFinder finder("kv enumerator target");
  finder.EnumTopLevel();
  EXPECT_EQ(finder.foundWindow, target);

  // Stopping at the first window visits exactly one.
  TTitleFinder first("");
  HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, Self(), nullptr);
  CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, Self(), nullptr);
  CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, parent, nullptr, Self(), nullptr);
  first.EnumChildren(parent);
  EXPECT_EQ(first.visited, 1);
  EXPECT_NE(first.foundWindow, nullptr);
  DestroyWindow(parent);
  DestroyWindow(target);
}

TEST(KvWinEnumerator, FindingNothingLeavesFoundWindowNull) {
  TTitleFinder finder("no window has this title 8d1f");
  finder.EnumTopLevel();
  EXPECT_GT(finder.visited, 0);
  EXPECT_EQ(finder.foundWindow, nullptr);
}
