// The settings dialog, opened the way the host opens it and driven by the UI robot.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "config/dlg_settings.h"
#include "config/pgp_discovery.h"
#include "core/text_utils.h"
#include "pgp/busy_flag.h"
#include "plugin/exports.h"
#include "ui_robot.h"

namespace {

const char kCaption[] = "Tavix Light Settings";
const char kFoundProgram[] = "C:\\pgp\\pgp.exe";

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

class DlgSettings : public testing::Test {
 protected:
  // The record's texts are set aside, so that the ones the dialog makes can be freed.
  void SetUp() override {
    saved = settings;
    savedChanged = stringChanged;
    savedDirty = settingsDirty;
    CopyText(savedProgramPath, sizeof savedProgramPath, pgpProgramPath);
    settings.ProgPGP = settings.EncryptFor = settings.PGPtempdir = nullptr;
    stringChanged = {};
    settingsDirty = FALSE;
    CopyText(pgpProgramPath, sizeof pgpProgramPath, kFoundProgram);
  }
  void TearDown() override {
    for (char** text : {&settings.ProgPGP, &settings.EncryptFor, &settings.PGPtempdir})
      ReplaceTextSetting(text, nullptr);
    settings = saved;
    stringChanged = savedChanged;
    settingsDirty = savedDirty;
    CopyText(pgpProgramPath, sizeof pgpProgramPath, savedProgramPath);
    MakeTransferFileNames();
    busyFlag = 0;
  }
  // Opens the dialog through the host's entry point; the script presses the last button.
  long OpenFromHost(const std::function<void(HWND, robot::Seen&)>& script) {
    RobotAnswer answer = robot::Expect(kCaption, script);
    long result = ems_plugin_config(nullptr, nullptr, nullptr, nullptr);
    answer.Wait();
    EXPECT_TRUE(answer.ok()) << answer.error();
    return result;
  }
  // Presses the buttons in order; the last one closes the dialog.
  long Press(std::initializer_list<int> buttons,
             const std::function<void(HWND)>& before = nullptr) {
    return OpenFromHost([&](HWND dialog, robot::Seen& seen) {
      if (before) before(dialog);
      for (int id : buttons) SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
      seen.closed = robot::WaitClosed(dialog);
    });
  }

  TSettingsRecord saved;
  TStringChanged savedChanged;
  BOOL savedDirty;
  char savedProgramPath[kPgpProgramPathSize];
};

TEST_F(DlgSettings, FocusDecidesWhatBrowseActsOn) {
  int firstFocus = 0, browseFor112 = 0;
  bool browseAtStart = true, browseFor114 = true;
  std::string fileDialogFilter;
  std::vector<size_t> typedLengths;
  EXPECT_EQ(OpenFromHost([&](HWND dialog, robot::Seen& seen) {
    firstFocus = FocusedId(dialog);
    browseAtStart = robot::ItemEnabled(dialog, kBrowseButtonId);
    FocusItem(dialog, kProgPgpId);
    browseFor112 = robot::ItemEnabled(dialog, kBrowseButtonId);
    FocusItem(dialog, kEncryptForId);
    browseFor114 = robot::ItemEnabled(dialog, kBrowseButtonId);
    for (int id : {kProgPgpId, kEncryptForId}) {
      SendDlgItemMessageA(dialog, id, EM_REPLACESEL, TRUE,
                          reinterpret_cast<LPARAM>(std::string(300, 'x').c_str()));
      typedLengths.push_back(robot::ItemText(dialog, id).size());
    }
    robot::Press(dialog, IDCANCEL);
    seen.closed = robot::WaitClosed(dialog);
  }), IDCANCEL);
  EXPECT_EQ(firstFocus, kChgToTempDirId);
  EXPECT_FALSE(browseAtStart);
  EXPECT_TRUE(browseFor112);
  EXPECT_FALSE(browseFor114);
  // Pasting stops where the program path and the record's text end.
  EXPECT_EQ(typedLengths, (std::vector<size_t>{kPgpProgramPathSize - 1, 259}));

  // Opened for the program field: focus and Browse at once; Browse shows the file
  // dialog with the filter list built from the one-line text and the field's file name,
  // and puts the file chosen into the field.
  int focus = 0;
  std::string initialName, chosen;
  RobotAnswer answer = robot::Expect(kCaption, [&](HWND dialog, robot::Seen& seen) {
    focus = FocusedId(dialog);
    if (!robot::ItemEnabled(dialog, kBrowseButtonId)) seen.error = "Browse disabled";
    robot::Press(dialog, kBrowseButtonId);
    HWND files = robot::WaitForWindow("Select PGP program to use", robot::kDialogClass,
                                      robot::kDefaultTimeoutMs, {dialog});
    if (!files) {
      seen.error = "no file dialog";
    } else {
      HWND types = GetDlgItem(files, 0x470);  // the file type list
      char first[64] = "";
      if (SendMessageA(types, CB_GETCOUNT, 0, 0) == 2)
        SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
      fileDialogFilter = first;
      // The file name box (an edit or a combo box, by version) starts with the name.
      int nameId = robot::ItemExists(files, 0x480) ? 0x480 : 0x47C;
      initialName = robot::ItemText(files, nameId);
      robot::SetItemText(files, nameId, "C:\\windows\\notepad.exe");
      PostMessageA(files, WM_COMMAND, IDOK, 0);
      robot::WaitClosed(files);
      chosen = robot::ItemText(dialog, kProgPgpId);
    }
    robot::Press(dialog, IDCANCEL);
    seen.closed = robot::WaitClosed(dialog);
  });
  EXPECT_EQ(OpenSettingsDialog(kProgPgpId), IDCANCEL);
  answer.Wait();
  EXPECT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(focus, kProgPgpId);
  EXPECT_EQ(fileDialogFilter, "Programs (*.EXE)");
  EXPECT_EQ(initialName, "pgp.exe");
  EXPECT_STREQ(chosen.c_str(), "C:\\windows\\notepad.exe");
  EXPECT_EQ(settings.ProgPGP, nullptr);  // Cancel: the record keeps its value
}

TEST_F(DlgSettings, DefaultsReachTheRecordOnlyWithOk) {
  settings.AlwaysSign = settings.SignFrom = settings.NickNames = 1;
  settings.ConvertAttach = settings.EncryptForSelf = 0;
  settings.KeepOpen = 1;
  ReplaceTextSetting(&settings.EncryptFor, "me@a");
  const TSettingsRecord before = settings;

  EXPECT_EQ(Press({kDefaultsButtonId, IDCANCEL}), IDCANCEL);
  for (auto field : {&TSettingsRecord::ChgToTempDir, &TSettingsRecord::AlwaysSign,
                     &TSettingsRecord::SignFrom, &TSettingsRecord::AnsiOem,
                     &TSettingsRecord::ConvertAttach, &TSettingsRecord::NickNames,
                     &TSettingsRecord::EncryptForSelf, &TSettingsRecord::KeepOpen})
    EXPECT_EQ(settings.*field, before.*field);
  EXPECT_EQ(settings.EncryptFor, before.EncryptFor);
  EXPECT_EQ(settings.ProgPGP, nullptr);
  EXPECT_FALSE(settingsDirty);

  EXPECT_EQ(Press({kDefaultsButtonId, IDOK}), IDOK);
  EXPECT_EQ(settings.KeepOpen, -1);
  EXPECT_EQ(settings.ConvertAttach, 1);
  EXPECT_EQ(settings.EncryptForSelf, 1);
  EXPECT_EQ(settings.ChgToTempDir + settings.AlwaysSign + settings.SignFrom + settings.AnsiOem +
            settings.NickNames, 0);
  EXPECT_EQ(settings.EncryptFor, nullptr);
  // The field shows the program found, so that path becomes the setting.
  ASSERT_NE(settings.ProgPGP, nullptr);
  EXPECT_STREQ(settings.ProgPGP, kFoundProgram);
  EXPECT_TRUE(stringChanged.ProgPGP && stringChanged.EncryptFor && settingsDirty);
}

TEST_F(DlgSettings, OkAppliesTextsAndTransferNames) {
  ReplaceTextSetting(&settings.PGPtempdir, "C:\\temp");
  MakeTransferFileNames();
  ASSERT_STRNE(transferFileText, "TAVIX");
  EXPECT_EQ(Press({kChgToTempDirId, IDOK}, [](HWND dialog) {
    robot::SetItemText(dialog, kEncryptForId, "Me Myself");
    robot::SetItemText(dialog, kProgPgpId, "D:\\bin\\pgp.exe");
  }), IDOK);
  EXPECT_EQ(settings.ChgToTempDir, 1);
  EXPECT_STREQ(transferFileText, "TAVIX");
  EXPECT_STREQ(transferFileArmoured, "TAVIX.asc");
  ASSERT_NE(settings.EncryptFor, nullptr);
  EXPECT_STREQ(settings.EncryptFor, "\"Me Myself\"");
  EXPECT_EQ(settings.encryptForLength, 11u);
  EXPECT_STREQ(pgpProgramPath, "D:\\bin\\pgp.exe");
  EXPECT_TRUE(settingsDirty);
}

TEST_F(DlgSettings, UnknownConsoleModeShowsNoButtonAndIsKept) {
  settings.KeepOpen = 5;
  ReplaceTextSetting(&settings.ProgPGP, kFoundProgram);
  int checked = -1;
  EXPECT_EQ(Press({IDOK}, [&](HWND dialog) {
    checked = 0;
    for (int id : {kKeepOpenWindowsId, kKeepOpenYourselfId, kKeepOpenAutomaticId})
      checked += IsDlgButtonChecked(dialog, id) == BST_CHECKED;
  }), IDOK);
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(settings.KeepOpen, 5);
  EXPECT_FALSE(settingsDirty);  // nothing changed
  EXPECT_FALSE(stringChanged.ProgPGP);

  EXPECT_EQ(Press({kKeepOpenYourselfId, IDOK}), IDOK);
  EXPECT_EQ(settings.KeepOpen, 0);
  EXPECT_TRUE(settingsDirty);
}

TEST_F(DlgSettings, RefusedWhileAnOperationRuns) {
  busyFlag = 1;
  RobotAnswer answer = robot::Expect(kCaption, IDCANCEL);
  EXPECT_EQ(ems_plugin_config(nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_FALSE(answer.Stop().found);
}

}  // namespace
