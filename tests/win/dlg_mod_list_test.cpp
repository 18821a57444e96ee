// The module selection dialog over the shipped table, driven by the UI robot.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "core/module_heap.h"
#include "dialog_template.h"
#include "host/dlg_mod_list.h"
#include "host/mif.h"
#include "host/module_choice.h"
#include "host/module_definition.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "ui/process_state.h"
#include "ui_robot.h"

namespace {

const char kCaption[] = "Selection module definition";
const char* const kLines[] = {"Eudora Light\t3.0.1", "Eudora Pro\t3.0.1", "Eudora Pro\t3.0.5",
                              "Eudora Pro\t4.0 Beta 4 (build 205)"};

// A definition with the given product texts (null: absent) and fixed other keys.
struct Definition : TModuleDefinition {
  Definition(const char* product, const char* version) {
    FullModName = HeapCopyText("C:\\Mail\\OTHER.EXE");
    ClassName = HeapCopyText("OtherMainWindow");
    ModName = HeapCopyText("OTHER.EXE");
    ProductName = product ? HeapCopyText(product) : nullptr;
    ProductVersion = version ? HeapCopyText(version) : nullptr;
  }
};

struct Shown {
  std::vector<std::string> lines;
  int selected = -2;
  std::vector<std::string> fields;  // 120, 121, 122, 123, 125, then 110, 111
};

Shown Read(HWND dialog) {
  Shown shown;
  HWND list = GetDlgItem(dialog, kModListId);
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char line[600] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof line))
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    shown.lines.push_back(line);
  }
  shown.selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  for (int id : {120, 121, 122, 123, 125, 110, 111}) shown.fields.push_back(robot::ItemText(dialog, id));
  return shown;
}

// Runs the dialog over `table`; `act` works on it and must close it.
INT_PTR RunDialog(TDlgModList& dialog, const std::function<void(HWND)>& act) {
  RobotAnswer answer = robot::Expect(kCaption, [&](HWND window, robot::Seen& seen) {
    act(window);
    seen.closed = robot::WaitClosed(window);
  });
  const INT_PTR result = dialog.Execute(stringModule, kDlgModListTemplate, nullptr);
  answer.Wait();
  EXPECT_TRUE(answer.ok()) << answer.error();
  EXPECT_TRUE(answer.seen().closed);
  return result;
}

void SelectLine(HWND dialog, int line) {
  HWND list = GetDlgItem(dialog, kModListId);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kModListId, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
}

class DlgModList : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE)); }
};

}  // namespace

TEST_F(DlgModList, ListsTheRowsAndPreselectsTheRunningProduct) {
  struct Case {
    const char* product;
    const char* version;
    int preselected;
  };
  const Case cases[] = {
      {"Eudora Pro", "9.9", 1},          {"Eudora Pro", "4.0 Beta 4 (build 205)", 3},
      {"eudora pro", "3.0.5", 2},        {"Other Mailer", "3.0.5", 0},
      {nullptr, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.product ? c.product : "<absent>") + " " + (c.version ? c.version : ""));
    Definition definition(c.product, c.version);
    TDlgModList dialog(&definition, &moduleTableReader);
    Shown shown;
    EXPECT_EQ(RunDialog(dialog, [&](HWND window) {
      shown = Read(window);
      robot::Press(window, IDCANCEL);
    }), IDCANCEL);
    EXPECT_EQ(shown.lines, std::vector<std::string>(std::begin(kLines), std::end(kLines)));
    EXPECT_EQ(shown.selected, c.preselected);
    EXPECT_EQ(shown.fields, (std::vector<std::string>{c.product ? c.product : "",
                                                      c.version ? c.version : "", "OTHER.EXE",
                                                      "OtherMainWindow", "C:\\Mail\\OTHER.EXE", "", ""}));
    EXPECT_EQ(dialog.chosenRecord, nullptr);
  }
}

TEST_F(DlgModList, SelectionShowsTheRowWhileTheGroupKeepsTheProgram) {
  Definition definition("Eudora Pro", "9.9");
  TDlgModList dialog(&definition, &moduleTableReader);
  Shown shown;
  RunDialog(dialog, [&](HWND window) {
    SelectLine(window, 3);
    shown = Read(window);
    robot::Press(window, IDCANCEL);
  });
  EXPECT_EQ(shown.selected, 3);
  EXPECT_EQ(shown.fields, (std::vector<std::string>{"Eudora Pro", "9.9", "OTHER.EXE", "OtherMainWindow",
                                                    "C:\\Mail\\OTHER.EXE", "EUDORA.EXE",
                                                    "EudoraMainWindow"}));
}

TEST_F(DlgModList, OkTakesTheSelectedRowCancelNone) {
  struct Case {
    const char* name;
    int line;  // -1: no line selected
    std::function<void(HWND)> close;
    INT_PTR result;
    int chosen;  // -1: none
  };
  auto press = [](int id) { return [id](HWND window) { robot::Press(window, id); }; };
  const Case cases[] = {
      {"ok with a line", 2, press(IDOK), IDOK, 2},
      {"ok without a line", -1, press(IDOK), IDOK, -1},
      {"cancel", 2, press(IDCANCEL), IDCANCEL, -1},
      {"title-bar close", 2, [](HWND window) { PostMessageA(window, WM_CLOSE, 0, 0); }, IDCANCEL, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Definition definition("Eudora Pro", "9.9");
    TDlgModList dialog(&definition, &moduleTableReader);
    EXPECT_EQ(RunDialog(dialog, [&](HWND window) {
      SelectLine(window, c.line);
      c.close(window);
    }), c.result);
    const BYTE* expected = nullptr;
    if (c.chosen >= 0 && moduleTableReader.MoveTo(c.chosen)) expected = moduleTableReader.CurrentRecord();
    EXPECT_EQ(dialog.chosenRecord, expected);
  }
}

TEST_F(DlgModList, EmptyTableListsNothingAndOkGives8) {
  const BYTE end[] = {0, 0};
  ASSERT_TRUE(moduleTableReader.Use(end, sizeof end));
  // Through the whole choice, with a host of this process (this program's own version block
  // names the plug-in, which no row matches).
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "EudoraMainWindow";
  ASSERT_TRUE(RegisterClassA(&windowClass));
  hostMainWindow = CreateWindowExA(0, "EudoraMainWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
  Shown shown;
  RobotAnswer answer = robot::Expect(kCaption, [&](HWND window, robot::Seen& seen) {
    shown = Read(window);
    robot::Press(window, IDOK);
    seen.closed = robot::WaitClosed(window);
  });
  EXPECT_EQ(ChooseModuleDefinition(), IDS_INIT_FAILED);
  answer.Wait();
  EXPECT_TRUE(answer.ok()) << answer.error();
  EXPECT_TRUE(shown.lines.empty());
  EXPECT_EQ(shown.selected, LB_ERR);
  EXPECT_EQ(mailerIfc, nullptr);
  ReleaseModuleDefinitions();
  DestroyWindow(hostMainWindow);
  hostMainWindow = nullptr;
  moduleTableReader.Load(IDR_MODULE_TABLE);
}

TEST(DlgModListTemplate, MatchesTheControlTable) {
  const DialogTemplate dialog = ReadDialogTemplate(stringModule, kDlgModListTemplate);
  ASSERT_TRUE(dialog.found);
  EXPECT_EQ(dialog.style, 0x90C800C0u);
  EXPECT_EQ(std::vector<int>({dialog.x, dialog.y, dialog.width, dialog.height}),
            (std::vector<int>{6, 15, 245, 226}));
  EXPECT_EQ(dialog.caption, "Selection module definition");
  EXPECT_EQ(dialog.fontSize, 8);
  EXPECT_EQ(dialog.fontName, "MS Sans Serif");
  const DWORD label = 0x50020000;
  const std::string explanation =
      "Tavix could not find a good match for the module definition. Please choose a definition "
      "from the list that closely matches the program information below and try if it works. "
      "If it does, you can save the definition. If none of them works, please send the program "
      "information below to the maintainers of Tavix Light.";
  const std::vector<TemplateItem> table = {
      {1, "BUTTON", "OK", 67, 205, 50, 14, 0x50010001},
      {2, "BUTTON", "Cancel", 127, 205, 50, 14, 0x50010000},
      {101, "LISTBOX", "", 3, 16, 239, 54, 0x50A00083},
      {-1, "STATIC", "Module list:", 2, 5, 86, 8, label},
      {-1, "STATIC", explanation, 2, 88, 239, 47, label},
      {-1, "STATIC", "Module:", 3, 77, 41, 8, label},
      {110, "STATIC", "", 32, 77, 68, 8, label},
      {-1, "STATIC", "Class name:", 110, 77, 43, 8, label},
      {111, "STATIC", "", 157, 77, 84, 8, label},
      {102, "BUTTON", "Program information", 2, 134, 239, 63, 0x50000007},
      {-1, "STATIC", "Product name:", 8, 147, 60, 8, label},
      {-1, "STATIC", "Product version:", 8, 155, 60, 8, label},
      {-1, "STATIC", "Module name:", 8, 163, 59, 8, label},
      {-1, "STATIC", "Class name:", 8, 171, 60, 8, label},
      {120, "STATIC", "", 70, 147, 169, 8, label},
      {121, "STATIC", "", 70, 155, 169, 8, label},
      {122, "STATIC", "", 70, 163, 169, 8, label},
      {123, "STATIC", "", 70, 171, 169, 8, label},
      {125, "STATIC", "", 8, 184, 231, 8, label},
  };
  ASSERT_EQ(dialog.items.size(), table.size());
  for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(dialog.items[i], table[i]) << "control " << i;
}
