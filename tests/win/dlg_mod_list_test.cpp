// The module selection dialog over the shipped table, driven by the UI robot, and its
// template.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "core/module_heap.h"
#include "dialog_template.h"
#include "host/dlg_mod_list.h"
#include "host/mif.h"
#include "host/module_definition.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

const char kCaption[] = "Selection module definition";

// A running program with the given product texts (null: absent).
struct Program : TModuleDefinition {
  Program(const char* product, const char* version) {
    FullModName = HeapCopyText("C:\\Mail\\OTHER.EXE");
    ClassName = HeapCopyText("OtherMainWindow");
    ModName = HeapCopyText("OTHER.EXE");
    ProductName = product ? HeapCopyText(product) : nullptr;
    ProductVersion = version ? HeapCopyText(version) : nullptr;
  }
};

// What the dialog shows: its lines, the selected line and the texts of 120 to 125, 110, 111.
std::string Shown(HWND dialog) {
  HWND list = GetDlgItem(dialog, kModListId);
  std::string shown;
  for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
    char line[600] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof line))
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    shown += std::string(line) + "\n";
  }
  shown += "selected " + std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0));
  for (int id : {120, 121, 122, 123, 125, 110, 111}) shown += "|" + robot::ItemText(dialog, id);
  return shown;
}

void SelectLine(HWND dialog, int line) {
  HWND list = GetDlgItem(dialog, kModListId);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kModListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Runs the dialog for the program; `act` works on it and closes it.
INT_PTR RunDialog(TDlgModList& dialog, const std::function<void(HWND)>& act) {
  RobotAnswer answer = robot::Expect(kCaption, [&](HWND window, robot::Seen& seen) {
    act(window);
    seen.closed = robot::WaitClosed(window);
  });
  const INT_PTR result = dialog.Execute(stringModule, kDlgModListTemplate, nullptr);
  EXPECT_TRUE(answer.Wait().closed) << answer.error();
  return result;
}

const std::string kLines =
    "Eudora Light\t3.0.1\nEudora Pro\t3.0.1\nEudora Pro\t3.0.5\nEudora Pro\t4.0 Beta 4 (build 205)\n";

class DlgModList : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE)); }
};

}  // namespace

TEST_F(DlgModList, PreselectsTheRunningProductAndShowsARowOnlyWhenSelected) {
  struct Case {
    const char* product;
    const char* version;
    int line;  // then selected
    std::string before, after;
  };
  const std::string program = "|OTHER.EXE|OtherMainWindow|C:\\Mail\\OTHER.EXE";
  const std::string row = "|EUDORA.EXE|EudoraMainWindow";
  const Case cases[] = {
      {"Eudora Pro", "9.9", 3, "selected 1|Eudora Pro|9.9" + program + "||", "selected 3|Eudora Pro|9.9" + program + row},
      {"Eudora Pro", "4.0 Beta 4 (build 205)", 0, "selected 3|Eudora Pro|4.0 Beta 4 (build 205)" + program + "||",
       "selected 0|Eudora Pro|4.0 Beta 4 (build 205)" + program + row},
      {"eudora pro", "3.0.5", 1, "selected 2|eudora pro|3.0.5" + program + "||",
       "selected 1|eudora pro|3.0.5" + program + row},
      {"Other Mailer", "3.0.5", 2, "selected 0|Other Mailer|3.0.5" + program + "||",
       "selected 2|Other Mailer|3.0.5" + program + row},
      {nullptr, nullptr, 0, "selected 0||" + program + "||", "selected 0||" + program + row},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    Program running(c.product, c.version);
    TDlgModList dialog(&running, &moduleTableReader);
    std::string before, after;
    EXPECT_EQ(RunDialog(dialog, [&](HWND window) {
      before = Shown(window);
      SelectLine(window, c.line);
      after = Shown(window);
      robot::Press(window, IDCANCEL);
    }), IDCANCEL);
    EXPECT_EQ(before, kLines + c.before);
    EXPECT_EQ(after, kLines + c.after);
    EXPECT_EQ(dialog.chosenRecord, nullptr);
  }
}

TEST(DlgModListTemplate, MatchesTheControlTable) {
  const DialogTemplate dialog = ReadDialogTemplate(stringModule, kDlgModListTemplate);
  ASSERT_TRUE(dialog.found);
  EXPECT_EQ(dialog.style, 0x90C800C0u);
  EXPECT_EQ(std::vector<int>({dialog.x, dialog.y, dialog.width, dialog.height, dialog.fontSize}),
            (std::vector<int>{6, 15, 245, 226, 8}));
  EXPECT_EQ(dialog.caption + "|" + dialog.fontName, "Selection module definition|MS Sans Serif");
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
  EXPECT_EQ(dialog.items, table);
}
