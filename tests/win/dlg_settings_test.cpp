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
#include "ui/messages.h"
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

// Presses Browse and waits for the file dialog; null when it does not come.
HWND OpenFileDialog(HWND dialog) {
  robot::Press(dialog, kBrowseButtonId);
  return robot::WaitForWindow("Select PGP program to use", robot::kDialogClass,
                              robot::kDefaultTimeoutMs, {dialog});
}

// The file name box (an edit or a combo box, by version) of the file dialog.
int FileNameBoxId(HWND files) { return robot::ItemExists(files, 0x480) ? 0x480 : 0x47C; }

// Types `name` into the file dialog and confirms it.
void ChooseFile(HWND files, const char* name) {
  robot::SetItemText(files, FileNameBoxId(files), name);
  PostMessageA(files, WM_COMMAND, IDOK, 0);
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
    HWND files = OpenFileDialog(dialog);
    if (!files) {
      seen.error = "no file dialog";
    } else {
      HWND types = GetDlgItem(files, 0x470);  // the file type list
      char first[64] = "";
      if (SendMessageA(types, CB_GETCOUNT, 0, 0) == 2)
        SendMessageA(types, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
      fileDialogFilter = first;
      initialName = robot::ItemText(files, FileNameBoxId(files));  // starts with the name
      ChooseFile(files, "C:\\windows\\notepad.exe");
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

// A file chosen with Browse whose path the program path cannot hold is refused with a
// message: a cut path would name another file.
TEST_F(DlgSettings, BrowseRefusesAPathLongerThanTheProgramPath) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
  std::string folder = std::string(temp) + "tavix-long-path";
  std::vector<std::string> made{folder};
  while (folder.size() < kPgpProgramPathSize - 60) {
    folder += "\\" + std::string(40, 'd');
    made.push_back(folder);
  }
  for (const std::string& name : made) CreateDirectoryA(name.c_str(), nullptr);
  // One character more than the program path holds with its NUL.
  const std::string file =
      folder + "\\" + std::string(kPgpProgramPathSize - folder.size() - 5, 'p') + ".exe";
  ASSERT_EQ(file.size(), static_cast<size_t>(kPgpProgramPathSize));
  HANDLE created = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  CloseHandle(created);

  bool refused = false;
  std::string inField;
  RobotAnswer answer = robot::Expect(kCaption, [&](HWND dialog, robot::Seen& seen) {
    HWND files = OpenFileDialog(dialog);
    if (!files) {
      seen.error = "no file dialog";
    } else {
      ChooseFile(files, file.c_str());
      HWND message = robot::WaitForWindow("Tavix Light ", robot::kDialogClass,
                                          robot::kDefaultTimeoutMs, {dialog, files});
      refused = message != nullptr;
      if (message) {
        robot::Press(message, IDOK);
        robot::WaitClosed(message);
      }
      if (IsWindow(files)) {
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
        robot::WaitClosed(files);
      }
      inField = robot::ItemText(dialog, kProgPgpId);
    }
    robot::Press(dialog, IDOK);
    seen.closed = robot::WaitClosed(dialog);
  });
  EXPECT_EQ(OpenSettingsDialog(kProgPgpId), IDOK);
  answer.Wait();
  EXPECT_TRUE(answer.ok()) << answer.error();
  DeleteFileA(file.c_str());
  for (auto name = made.rbegin(); name != made.rend(); ++name) RemoveDirectoryA(name->c_str());
  EXPECT_TRUE(refused);
  EXPECT_EQ(inField, kFoundProgram);
  EXPECT_STREQ(pgpProgramPath, kFoundProgram);
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

// One control of a dialog template, as the resource holds it.
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

std::ostream& operator<<(std::ostream& out, const TemplateItem& item) {
  return out << item.id << " " << item.kind << " \"" << item.text << "\" " << item.x << ","
             << item.y << "," << item.width << "," << item.height << " style 0x" << std::hex
             << item.style << std::dec;
}

// Reads a name-or-ordinal field; ordinals of the predefined classes become their names,
// which the resource compiler may also store as upper-case text.
std::string ReadNameOrOrdinal(const WORD*& p) {
  if (*p == 0xFFFF) {
    WORD ordinal = p[1];
    p += 2;
    switch (ordinal) {
      case 0x80: return "BUTTON";
      case 0x81: return "EDIT";
      case 0x82: return "STATIC";
      default: return "#" + std::to_string(ordinal);
    }
  }
  std::string text;
  for (; *p; ++p) text += static_cast<char>(*p);
  ++p;
  return text;
}

TEST(DlgSettingsTemplate, MatchesTheControlTable) {
  HRSRC found = FindResourceA(stringModule, MAKEINTRESOURCEA(kDlgSettingsTemplate),
                              reinterpret_cast<LPCSTR>(RT_DIALOG));
  ASSERT_NE(found, nullptr);
  const auto* dialog = static_cast<const DLGTEMPLATE*>(
      LockResource(LoadResource(stringModule, found)));
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(HIWORD(dialog->style), 0xFFFF) << "extended template";
  EXPECT_EQ(dialog->style, 0x90C800C0u);
  EXPECT_EQ(dialog->cx, 315);
  EXPECT_EQ(dialog->cy, 223);
  const WORD* p = reinterpret_cast<const WORD*>(dialog + 1);
  EXPECT_EQ(ReadNameOrOrdinal(p), "");  // no menu
  EXPECT_EQ(ReadNameOrOrdinal(p), "");  // the standard dialog class
  EXPECT_EQ(ReadNameOrOrdinal(p), "Tavix Light Settings");
  EXPECT_EQ(*p++, 8);
  EXPECT_EQ(ReadNameOrOrdinal(p), "MS Sans Serif");

  std::vector<TemplateItem> items;
  for (int i = 0; i < dialog->cdit; ++i) {
    p = reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~UINT_PTR{3});
    const auto* item = reinterpret_cast<const DLGITEMTEMPLATE*>(p);
    p = reinterpret_cast<const WORD*>(item + 1);
    std::string kind = ReadNameOrOrdinal(p);
    CharUpperBuffA(&kind[0], static_cast<DWORD>(kind.size()));
    std::string text = ReadNameOrOrdinal(p);
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p + 1) + *p);
    items.push_back({static_cast<short>(item->id), kind, text, item->x, item->y, item->cx,
                     item->cy, item->style & ~(WS_CHILD | WS_VISIBLE)});
  }
  const DWORD check = BS_AUTOCHECKBOX, radio = BS_AUTORADIOBUTTON, group = BS_GROUPBOX;
  const DWORD start = WS_GROUP | WS_TABSTOP;
  // The program and recipient fields scroll, so that texts wider than the field fit.
  const DWORD field = WS_BORDER | ES_AUTOHSCROLL;
  const std::vector<TemplateItem> table = {
      {101, "BUTTON", "&Change dir to temporary", 13, 17, 73, 12, check | start},
      {102, "BUTTON", "&AnsiOem conversion", 13, 29, 77, 12, check},
      {103, "BUTTON", "Convert &incoming attachments", 13, 41, 112, 12, check},
      {104, "BUTTON", "Expand &nicknames", 13, 53, 77, 12, check},
      {105, "BUTTON", "Always &sign (-s)", 142, 17, 113, 12, check | start},
      {117, "BUTTON", "Sign from (-&u)", 142, 29, 113, 12, check},
      {118, "BUTTON", "Encrypt for self", 13, 88, 77, 12, check},
      {-1, "BUTTON", "PGP settings", 7, 75, 291, 126, group | WS_TABSTOP},
      {201, "BUTTON", "Console (textmode) window for PGP", 152, 84, 140, 48,
       group | WS_DISABLED},
      {109, "BUTTON", "handled by &Windows", 158, 92, 131, 13, radio | start | WS_DISABLED},
      {110, "BUTTON", "created by Tavix; close &yourself", 158, 104, 131, 12,
       radio | WS_DISABLED},
      {111, "BUTTON", "Created by Tavix; close automatically", 158, 116, 131, 12,
       radio | WS_DISABLED},
      {112, "EDIT", "", 63, 170, 229, 12, field | start},
      {114, "EDIT", "", 63, 184, 229, 12, field | WS_TABSTOP},
      {1, "BUTTON", "OK", 27, 204, 50, 14, BS_DEFPUSHBUTTON | start},
      {2, "BUTTON", "Cancel", 97, 204, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
      {4, "BUTTON", "&Browse", 167, 204, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
      {3, "BUTTON", "&Defaults", 237, 204, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
      {-1, "STATIC", "&PGP program:", 13, 172, 47, 8, SS_LEFT},
      {-1, "STATIC", "&Encrypt for:", 13, 185, 42, 8, SS_LEFT},
      {-1, "BUTTON", "Tavix settings", 7, 7, 123, 62, group},
      {-1, "BUTTON", "PGP flags", 136, 7, 162, 62, group},
  };
  ASSERT_EQ(items.size(), table.size());
  for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(items[i], table[i]) << "control " << i;
}

}  // namespace
