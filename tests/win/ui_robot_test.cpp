// The UI robot itself: later dialog tests rely on it reading and answering real windows.
#include <gtest/gtest.h>
#include <windows.h>
#include "ui_robot.h"

namespace {

TEST(UiRobot, AnswersMessageBoxAndReportsWhatItShowed) {
  RobotAnswer answer = robot::Expect("Robot caption ", IDNO);
  int result = MessageBoxA(nullptr, "Line one\nLine two", "Robot caption ", MB_YESNO);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(result, IDNO);
  EXPECT_TRUE(answer.found());
  EXPECT_EQ(answer.caption(), "Robot caption ");
  EXPECT_EQ(answer.text(), "Line one\nLine two");
  EXPECT_EQ(answer.buttons(), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(answer.pressed(), IDNO);
  EXPECT_TRUE(answer.seen().closed);
}

TEST(UiRobot, IgnoresWindowsWithAnotherCaption) {
  RobotAnswer answer = robot::Expect("Not this one", IDOK, robot::kDialogClass, 300);
  int result = IDCANCEL;
  {
    RobotAnswer closer = robot::Expect("Other", IDOK);
    result = MessageBoxA(nullptr, "text", "Other", MB_OK);
    closer.Wait();
    EXPECT_TRUE(closer.ok()) << closer.error();
  }
  answer.Wait();
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(answer.found());
  EXPECT_NE(answer.error().find("Not this one"), std::string::npos) << answer.error();
}

TEST(UiRobot, MissingButtonIsReportedAndTheBoxStillCloses) {
  RobotAnswer answer = robot::Expect("Robot caption ", IDRETRY);
  int result = MessageBoxA(nullptr, "text", "Robot caption ", MB_YESNO);
  answer.Wait();
  EXPECT_FALSE(answer.ok());
  EXPECT_NE(answer.error().find("button 4"), std::string::npos) << answer.error();
  EXPECT_EQ(answer.pressed(), 0);
  EXPECT_EQ(result, IDNO);  // the fall-back answer when neither Cancel nor OK exists
}

TEST(UiRobot, StopWithoutWindowReportsNothingFound) {
  RobotAnswer answer = robot::Expect("Never shown", IDOK);
  DWORD start = GetTickCount();
  const robot::Seen& seen = answer.Stop();
  EXPECT_LT(GetTickCount() - start, 2000u);
  EXPECT_FALSE(seen.found);
  EXPECT_TRUE(seen.error.empty()) << seen.error;
}

INT_PTR CALLBACK EditDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    char text[64] = "";
    GetDlgItemTextA(dialog, 100, text, sizeof text);
    EndDialog(dialog, LOWORD(wParam) == IDOK && lstrcmpA(text, "typed") == 0 ? 42 : 1);
    return TRUE;
  }
  return FALSE;
}

// An in-memory template: one edit (id 100), OK and Cancel.
std::vector<WORD> EditDialogTemplate() {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) { t.push_back(LOWORD(v)); t.push_back(HIWORD(v)); };
  auto text = [&t](const char* s) { while (*s) t.push_back(static_cast<WORD>(*s++)); t.push_back(0); };
  auto align = [&t] { if (t.size() % 2) t.push_back(0); };
  dword(DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE);
  dword(0);
  t.push_back(3);
  t.insert(t.end(), {10, 10, 150, 60});
  t.push_back(0);
  t.push_back(0);
  text("Robot dialog");
  struct Item { DWORD style; short x, y, cx, cy; WORD id; WORD cls; };
  const Item items[] = {
      {WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 5, 5, 100, 12, 100, 0x0081},
      {WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 5, 30, 40, 14, IDOK, 0x0080},
      {WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 50, 30, 40, 14, IDCANCEL, 0x0080}};
  for (const Item& item : items) {
    align();
    dword(item.style);
    dword(0);
    t.insert(t.end(), {static_cast<WORD>(item.x), static_cast<WORD>(item.y),
                       static_cast<WORD>(item.cx), static_cast<WORD>(item.cy), item.id, 0xFFFF,
                       item.cls, 0, 0});
  }
  return t;
}

TEST(UiRobot, ScriptTypesIntoAnEditAndPressesOk) {
  std::vector<WORD> tmpl = EditDialogTemplate();
  RobotAnswer answer = robot::Expect("Robot dialog", [](HWND dialog, robot::Seen& seen) {
    if (!robot::SetItemText(dialog, 100, "typed")) seen.error = "no edit";
    if (robot::ItemText(dialog, 100) != "typed") seen.error = "edit text did not stick";
    seen.pressed = IDOK;
    robot::Press(dialog, IDOK);
    seen.closed = robot::WaitClosed(dialog);
  });
  INT_PTR result = DialogBoxIndirectParamA(
      GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), nullptr,
      EditDialogProc, 0);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(result, 42);
  EXPECT_EQ(answer.buttons(), (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_TRUE(answer.seen().closed);
}

}  // namespace
