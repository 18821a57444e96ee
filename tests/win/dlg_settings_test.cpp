// The settings dialog, opened the way the host opens it and driven by the UI robot.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "config/dlg_settings.h"
#include "config/pgp_discovery.h"
#include "core/text_utils.h"
#include "pgp/busy_flag.h"
#include "plugin/exports.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

const char kCaption[] = "Tavix Light Settings";
const char kFoundProgram[] = "C:\\pgp\\pgp.exe";
using Script = std::function<void(HWND dialog, robot::Seen& seen)>;

int FocusedId(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return 0;
  return GetDlgCtrlID(info.hwndFocus);
}

// Moves the focus the way the Tab key does, from the robot's thread.
void FocusItem(HWND dialog, int id) {
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

std::string Text(const char* text) { return text ? text : "(not set)"; }

// Presses Browse, reads the file dialog (its name box is an edit or a combo box, by
// version), types `name` and confirms it; with `refused`, answers the message that refuses
// the file and cancels. False when a window did not come or go.
bool Browse(HWND dialog, const std::string& name, bool refused, std::string* initialName = nullptr,
            std::string* filter = nullptr) {
  robot::Press(dialog, kBrowseButtonId);
  HWND files = robot::WaitForWindow("Select PGP program to use", {dialog});
  if (!files) return false;
  const int box = GetDlgItem(files, 0x480) ? 0x480 : 0x47C;
  if (initialName) *initialName = robot::ItemText(files, box);
  char first[64] = "";
  HWND types = GetDlgItem(files, 0x470);
  if (SendMessageA(types, CB_GETCOUNT, 0, 0) == 2) SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
  if (filter) *filter = first;
  robot::SetItemText(files, box, name.c_str());
  PostMessageA(files, WM_COMMAND, IDOK, 0);
  if (refused) {
    HWND message = robot::WaitForWindow("Tavix Light ", {dialog, files});
    if (!message) return false;
    robot::Press(message, IDOK);
    robot::WaitClosed(message);
    if (IsWindow(files)) PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
  }
  return robot::WaitClosed(files);
}

class DlgSettings : public testing::Test {
 protected:
  // The record's texts are set aside, so that the ones the dialog makes can be freed.
  void SetUp() override {
    settings.ProgPGP = settings.EncryptFor = settings.PGPtempdir = nullptr;
    stringChanged = {};
    settingsDirty = FALSE;
    CopyText(pgpProgramPath, sizeof pgpProgramPath, kFoundProgram);
  }
  void TearDown() override {
    for (char** text : {&settings.ProgPGP, &settings.EncryptFor, &settings.PGPtempdir}) ReplaceTextSetting(text, nullptr);
    settings = saved_;
    stringChanged = savedChanged_;
    settingsDirty = savedDirty_;
    CopyText(pgpProgramPath, sizeof pgpProgramPath, savedProgramPath_.c_str());
    MakeTransferFileNames();
    busyFlag = 0;
  }
  // Opens the dialog through the host's entry point (or for the program field); the script
  // must close it.
  INT_PTR Open(const Script& script, bool forProgram = false) {
    RobotAnswer answer = robot::Expect(kCaption, script);
    const INT_PTR result = forProgram ? OpenSettingsDialog(kProgPgpId) : ems_plugin_config(nullptr, nullptr, nullptr, nullptr);
    answer.Wait();
    EXPECT_TRUE(answer.ok()) << answer.error();
    return result;
  }
  // Clicks the buttons in order; the last one closes the dialog.
  INT_PTR Press(std::initializer_list<int> buttons, const std::function<void(HWND)>& before = nullptr) {
    return Open([&](HWND dialog, robot::Seen&) {
      if (before) before(dialog);
      for (int id : buttons) SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    });
  }

  const TSettingsRecord saved_ = settings;
  const TStringChanged savedChanged_ = stringChanged;
  const BOOL savedDirty_ = settingsDirty;
  const std::string savedProgramPath_ = pgpProgramPath;
};

// Check boxes in record order, with the record's fields.
const struct {
  int id;
  int32_t TSettingsRecord::*field;
  const char* text;
} kBoxes[] = {{kChgToTempDirId, &TSettingsRecord::ChgToTempDir, "&Change dir to temporary"},
              {kAlwaysSignId, &TSettingsRecord::AlwaysSign, "Always &sign (-s)"},
              {kSignFromId, &TSettingsRecord::SignFrom, "Sign from (-&u)"},
              {kAnsiOemId, &TSettingsRecord::AnsiOem, "&AnsiOem conversion"},
              {kConvertAttachId, &TSettingsRecord::ConvertAttach, "Convert &incoming attachments"},
              {kNickNamesId, &TSettingsRecord::NickNames, "Expand &nicknames"},
              {kEncryptForSelfId, &TSettingsRecord::EncryptForSelf, "Encrypt for self"}};

TEST_F(DlgSettings, ShowsTheRecordAndOkTakesEveryControlBack) {
  for (size_t i = 0; i < 7; ++i) settings.*kBoxes[i].field = i % 2 == 0;
  settings.KeepOpen = 0;
  ReplaceTextSetting(&settings.PGPtempdir, "C:\\temp");
  MakeTransferFileNames();
  ASSERT_STREQ(transferFileText, "TAVIX") << "bare while the directory is changed to";
  std::vector<std::string> problems;
  EXPECT_EQ(Open([&](HWND dialog, robot::Seen&) {
    auto check = [&](bool ok, const std::string& what) { if (!ok) problems.push_back(what); };
    check(FocusedId(dialog) == kChgToTempDirId && !robot::ItemEnabled(dialog, kBrowseButtonId), "first focus");
    for (size_t i = 0; i < 7; ++i) {
      check(robot::ItemText(dialog, kBoxes[i].id) == kBoxes[i].text, "text of " + std::to_string(kBoxes[i].id));
      check((IsDlgButtonChecked(dialog, kBoxes[i].id) == BST_CHECKED) == (i % 2 == 0), "state of " + std::to_string(kBoxes[i].id));
      SendMessageA(GetDlgItem(dialog, kBoxes[i].id), BM_CLICK, 0, 0);
    }
    const std::vector<std::pair<int, std::string>> others = {
        {kKeepOpenWindowsId, "handled by &Windows"}, {kKeepOpenYourselfId, "created by Tavix; close &yourself"},
        {kKeepOpenAutomaticId, "Created by Tavix; close automatically"}, {kConsoleGroupId, "Console (textmode) window for PGP"},
        {IDOK, "OK"}, {IDCANCEL, "Cancel"}, {kBrowseButtonId, "&Browse"}, {kDefaultsButtonId, "&Defaults"},
        {kProgPgpId, kFoundProgram}, {kEncryptForId, ""}};
    for (const auto& item : others) {
      check(robot::ItemText(dialog, item.first) == item.second, "text of " + std::to_string(item.first));
      check(item.first == kBrowseButtonId || robot::ItemEnabled(dialog, item.first), "enabled " + std::to_string(item.first));
    }
    check(IsDlgButtonChecked(dialog, kKeepOpenYourselfId) == BST_CHECKED, "KeepOpen 0 checked");
    // Browse acts on the program field only; typing stops where the texts would be cut.
    FocusItem(dialog, kProgPgpId);
    check(robot::ItemEnabled(dialog, kBrowseButtonId), "Browse for the program");
    FocusItem(dialog, kEncryptForId);
    check(!robot::ItemEnabled(dialog, kBrowseButtonId), "no Browse for the recipients");
    const std::string typed(300, 'x');
    for (int id : {kProgPgpId, kEncryptForId}) SetDlgItemTextA(dialog, id, ""), SendDlgItemMessageA(dialog, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
    check(robot::ItemText(dialog, kProgPgpId).size() == kPgpProgramPathSize - 1, "program field limit");
    check(robot::ItemText(dialog, kEncryptForId).size() == 259, "recipient field limit");
    robot::SetItemText(dialog, kEncryptForId, "Me Myself");
    robot::Press(dialog, kKeepOpenAutomaticId);
    robot::Press(dialog, IDOK);
  }), IDOK);
  EXPECT_EQ(problems, std::vector<std::string>{});
  for (size_t i = 0; i < 7; ++i) { EXPECT_EQ(settings.*kBoxes[i].field, i % 2 == 0 ? 0 : 1) << kBoxes[i].text; }
  EXPECT_EQ(settings.KeepOpen, 1);
  EXPECT_EQ(Text(settings.ProgPGP), std::string(255, 'x'));
  EXPECT_EQ(std::string(pgpProgramPath), std::string(255, 'x'));
  EXPECT_EQ(Text(settings.EncryptFor), "\"Me Myself\"");
  EXPECT_EQ(settings.encryptForLength, 11u);
  EXPECT_TRUE(stringChanged.ProgPGP && stringChanged.EncryptFor && settingsDirty);
  EXPECT_STREQ(transferFileText, "C:\\temp\\TAVIX") << "rebuilt for the directory change";
  EXPECT_STREQ(transferFileArmoured, "C:\\temp\\TAVIX.asc");
}

TEST_F(DlgSettings, BrowsePutsTheChosenProgramInTheFieldAndRefusesOneTooLong) {
  // One character more than the program path holds with its NUL.
  const std::string root = support::MakeScratchDirectory("tavix-long-path");
  std::string folder = root;
  while (folder.size() < kPgpProgramPathSize - 60) CreateDirectoryA((folder += "\\" + std::string(40, 'd')).c_str(), nullptr);
  const std::string tooLong = folder + "\\" + std::string(kPgpProgramPathSize - folder.size() - 5, 'p') + ".exe";
  ASSERT_EQ(tooLong.size(), static_cast<size_t>(kPgpProgramPathSize));
  ASSERT_TRUE(support::WriteFileBytes(tooLong, "MZ"));
  std::string initialName, filter, chosen, kept;
  EXPECT_EQ(Open([&](HWND dialog, robot::Seen& seen) {
    if (FocusedId(dialog) != kProgPgpId || !robot::ItemEnabled(dialog, kBrowseButtonId)) seen.error = "not opened for the program";
    if (!Browse(dialog, "C:\\windows\\notepad.exe", false, &initialName, &filter)) seen.error = "no file dialog";
    chosen = robot::ItemText(dialog, kProgPgpId);
    if (!Browse(dialog, tooLong, true)) seen.error = "the long path was not refused with a message";
    kept = robot::ItemText(dialog, kProgPgpId);
    robot::Press(dialog, IDCANCEL);
  }, true), IDCANCEL);
  support::RemoveTree(root);
  EXPECT_EQ(filter, "Programs (*.EXE)");
  EXPECT_EQ(initialName, "pgp.exe") << "the dialog starts with the field's file name";
  EXPECT_EQ(chosen, "C:\\windows\\notepad.exe");
  EXPECT_EQ(kept, "C:\\windows\\notepad.exe") << "a cut path would name another file";
  EXPECT_EQ(settings.ProgPGP, nullptr) << "Cancel: the record keeps its value";
  EXPECT_STREQ(pgpProgramPath, kFoundProgram);
}

TEST_F(DlgSettings, DefaultsReachTheRecordOnlyWithOk) {
  for (const auto& box : kBoxes) settings.*box.field = !(kDefaultSettings.*box.field);
  settings.KeepOpen = 1;
  ReplaceTextSetting(&settings.EncryptFor, "me@a");
  const TSettingsRecord before = settings;
  EXPECT_EQ(Press({kDefaultsButtonId, IDCANCEL}), IDCANCEL);
  for (const auto& box : kBoxes) { EXPECT_EQ(settings.*box.field, before.*box.field) << box.text; }
  EXPECT_EQ(settings.KeepOpen, 1);
  EXPECT_EQ(settings.EncryptFor, before.EncryptFor);
  EXPECT_EQ(settings.ProgPGP, nullptr);
  EXPECT_FALSE(settingsDirty);
  EXPECT_EQ(Press({kDefaultsButtonId, IDOK}), IDOK);
  for (const auto& box : kBoxes) { EXPECT_EQ(settings.*box.field, kDefaultSettings.*box.field) << box.text; }
  EXPECT_EQ(settings.KeepOpen, -1);
  EXPECT_EQ(settings.EncryptFor, nullptr);
  // The field shows the program found, so that path becomes the setting.
  EXPECT_STREQ(Text(settings.ProgPGP).c_str(), kFoundProgram);
  EXPECT_TRUE(stringChanged.ProgPGP && stringChanged.EncryptFor && settingsDirty);
}

TEST_F(DlgSettings, UnknownConsoleModeShowsNoButtonAndIsKept) {
  settings.KeepOpen = 5;  // from the INI: no button stands for it
  ReplaceTextSetting(&settings.ProgPGP, kFoundProgram);
  int checked = -1;
  EXPECT_EQ(Press({IDOK}, [&](HWND dialog) {
    checked = 0;
    for (int id : {kKeepOpenWindowsId, kKeepOpenYourselfId, kKeepOpenAutomaticId}) checked += IsDlgButtonChecked(dialog, id);
  }), IDOK);
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(settings.KeepOpen, 5);
  EXPECT_FALSE(settingsDirty) << "nothing changed";
}

TEST_F(DlgSettings, RefusedWhileAnOperationRuns) {
  busyFlag = 1;
  RobotAnswer answer = robot::Expect(kCaption, IDCANCEL);
  EXPECT_EQ(ems_plugin_config(nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_FALSE(answer.Stop().found);
}

}  // namespace
