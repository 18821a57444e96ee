// The settings store against real INI files: the Windows directory's TAVIX.INI (layer 1),
// the plug-in folder's (layer 2) and the INI path's (layer 3).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/text_utils.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui/process_state.h"
#include "ui_robot.h"

namespace {

using support::FileExists;
using support::ReadFileBytes;
using Texts = std::vector<std::string>;

// Deletes an INI file and drops what the profile functions may still hold of it.
void RemoveIni(const std::string& path) {
  DeleteFileA(path.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}
void Put(const std::string& file, const char* section, const char* key, const char* value) {
  ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, file.c_str())) << file;
}
// "key=value" entries of one section (with a null section: the section names).
Texts Entries(const std::string& file, const char* section) {
  char buffer[4096];
  const DWORD length = section ? GetPrivateProfileSectionA(section, buffer, sizeof buffer, file.c_str())
                               : GetPrivateProfileSectionNamesA(buffer, sizeof buffer, file.c_str());
  Texts texts;
  for (const char* p = buffer; p < buffer + length && *p; p += std::strlen(p) + 1) texts.push_back(p);
  return texts;
}
std::string Text(const char* text) { return text ? text : "(not set)"; }
// The integer settings in record order.
std::vector<int32_t> Integers() {
  const TSettingsRecord& s = settings;
  return {s.ChgToTempDir, s.AlwaysSign, s.SignFrom, s.AnsiOem, s.ConvertAttach, s.NickNames,
          s.EncryptForSelf, s.UseToolBar, s.CopyToReadOnly, s.ButtonPos, s.KeepOpen};
}
void CapsLock(bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_CAPITAL;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

class SettingsStore : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(root_.empty());
    hadWindowsIni_ = ReadFileBytes(windowsIni_, &windowsIniBytes_);
    RemoveIni(windowsIni_);
    CreateDirectoryA((root_ + "\\plug").c_str(), nullptr);
    CreateDirectoryA((root_ + "\\cfg").c_str(), nullptr);
    CopyText(pluginFolder, sizeof pluginFolder, (root_ + "\\plug\\").c_str());
    CopyText(iniPath, sizeof iniPath, ini_.c_str());
    hostInstance = nullptr;
  }
  void TearDown() override {
    for (char** field : {&settings.ProgPGP, &settings.EncryptFor, &settings.PGPtempdir, &settings.PGPPATH})
      ReplaceTextSetting(field, nullptr);
    settings = savedSettings = TSettingsRecord{};
    settingsDirty = FALSE;
    stringChanged = TStringChanged{};
    stringModule = instanceHandle;
    for (const std::string& ini : {windowsIni_, pluginIni_, ini_}) RemoveIni(ini);
    if (hadWindowsIni_) { EXPECT_TRUE(support::WriteFileBytes(windowsIni_, windowsIniBytes_)); }
    support::RemoveTree(root_);
  }

  // A fresh folder per test, so no profile cache can carry one test's file into the next.
  const std::string root_ = support::MakeScratchDirectory("tavix_settings_");
  const std::string pluginIni_ = root_ + "\\plug\\TAVIX.INI", ini_ = root_ + "\\cfg\\TAVIX.INI";
  const std::string windowsIni_ = [] {
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\TAVIX.INI";
  }();
  bool hadWindowsIni_ = false;
  std::string windowsIniBytes_;
};

}  // namespace

TEST_F(SettingsStore, EachLayerAddsItsKeysLaterLayersWinAndSavingWritesNothingLoaded) {
  Put(windowsIni_, "PGPflags", "AlwaysSign", "1");
  Put(windowsIni_, "PGP settings", "KeepOpen", "0");
  Put(windowsIni_, "PGP settings", "ProgPGP", "C:\\one\\pgp.exe");
  Put(pluginIni_, "PGPflags", "SignFrom", "1");
  Put(pluginIni_, "PGP settings", "KeepOpen", "1");
  Put(pluginIni_, "PGP settings", "PGPtempdir", "C:\\TEMP");
  Put(ini_, "Settings", "NickNames", "1");
  Put(ini_, "Settings", "ButtonPos", "-5");
  Put(ini_, "PGP settings", "ProgPGP", std::string(300, 'p').c_str());
  Put(ini_, "PGP settings", "PGPPATH", "C:\\PGP\\");
  const Texts before = {ReadFileBytes(windowsIni_), ReadFileBytes(pluginIni_), ReadFileBytes(ini_)};
  LoadSettings();
  EXPECT_EQ(std::string(sharedMessageBuffer), "TAVIX.INI\n" + pluginIni_ + "\n" + ini_) << "the files read";
  EXPECT_EQ(Integers(), (std::vector<int32_t>{0, 1, 1, 0, 1, 1, 1, 1, 1, -5, 1}));
  EXPECT_EQ(Text(settings.ProgPGP), std::string(255, 'p')) << "a long value is cut at 255";
  EXPECT_EQ(Text(settings.PGPtempdir), "C:\\TEMP");
  EXPECT_EQ(Text(settings.PGPPATH), "C:\\PGP\\");
  EXPECT_EQ(settings.pgpPathLength, 7u);
  SaveSettings();
  EXPECT_EQ((Texts{ReadFileBytes(windowsIni_), ReadFileBytes(pluginIni_), ReadFileBytes(ini_)}), before);
}

TEST_F(SettingsStore, DefaultsHoldWithoutFilesAndEncryptForIsQuotedOrCleared) {
  const struct {
    const char *name, *pluginValue, *iniValue;  // EncryptFor and PGPPATH in layers 2 and 3; null: none
    const char* encryptFor;
    uint32_t length;
  } cases[] = {{"a blank is quoted", "abcd efgh", nullptr, "\"abcd efgh\"", 11},
               {"an empty value clears", "abcd efgh", "", nullptr, 0},
               {"already quoted", nullptr, "\"abcd efgh", "\"abcd efgh", 10},
               {"no blank", nullptr, "abcdefgh", "abcdefgh", 8},
               {"no files", nullptr, nullptr, nullptr, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveIni(pluginIni_);
    RemoveIni(ini_);
    for (const char* key : {"EncryptFor", "PGPPATH"}) {
      if (c.pluginValue) Put(pluginIni_, "PGP settings", key, c.pluginValue);
      if (c.iniValue) Put(ini_, "PGP settings", key, c.iniValue);
    }
    LoadSettings();
    EXPECT_EQ(Text(settings.EncryptFor), Text(c.encryptFor));
    EXPECT_EQ(settings.encryptForLength, c.length);
    EXPECT_EQ(settings.pgpPathLength, settings.PGPPATH ? std::strlen(settings.PGPPATH) : 0u);
  }
  EXPECT_EQ(Integers(), (std::vector<int32_t>{0, 0, 0, 0, 1, 0, 1, 1, 1, 0, -1}));
  EXPECT_EQ(std::memcmp(&settings, &kDefaultSettings, sizeof settings), 0) << "the Defaults button shows the same";
  SaveSettings();
  for (const std::string& ini : {windowsIni_, pluginIni_, ini_}) EXPECT_FALSE(FileExists(ini)) << ini;
}

TEST_F(SettingsStore, SaveWritesWhatChangedOnceAndTextsOnlyAfterOk) {
  Put(pluginIni_, "PGP settings", "KeepOpen", "0");
  Put(ini_, "PGP settings", "EncryptFor", "me");
  LoadSettings();
  SaveSettings();
  EXPECT_EQ(Entries(ini_, nullptr), Texts{"PGP settings"}) << "unchanged: nothing written";
  settings.KeepOpen = -1;
  settings.AlwaysSign = 1;
  ReplaceTextSetting(&settings.EncryptFor, nullptr);
  stringChanged.EncryptFor = TRUE;
  SaveSettings();  // changed, but the dialog did not end with OK: the text stays
  EXPECT_EQ(Entries(ini_, "PGPflags"), Texts{"AlwaysSign=1"});
  EXPECT_EQ(Entries(ini_, "PGP settings"), (Texts{"EncryptFor=me", "KeepOpen=-1"}));
  LoadSettings();
  EXPECT_EQ(settings.KeepOpen, -1) << "read back signed, over the plug-in folder's 0";
  EXPECT_FALSE(stringChanged.EncryptFor) << "loading clears the changed flags";
  RemoveIni(ini_);
  settings.SignFrom = 1;
  SaveSettings();
  EXPECT_EQ(Entries(ini_, nullptr), Texts{"PGPflags"});
  EXPECT_EQ(Entries(ini_, "PGPflags"), Texts{"SignFrom=1"});
  RemoveIni(ini_);
  SaveSettings();
  EXPECT_FALSE(FileExists(ini_)) << "a second save must not write the same change again";
  ReplaceTextSetting(&settings.ProgPGP, "C:\\PGP\\PGP.EXE");
  ReplaceTextSetting(&settings.EncryptFor, nullptr);
  stringChanged.ProgPGP = settingsDirty = TRUE;  // with OK only the flagged text is written...
  SaveSettings();
  EXPECT_EQ(Entries(ini_, "PGP settings"), Texts{"ProgPGP=C:\\PGP\\PGP.EXE"});
  stringChanged.EncryptFor = settingsDirty = TRUE;  // ...and one not set is written empty
  SaveSettings();
  EXPECT_FALSE(settingsDirty);
  EXPECT_EQ(Entries(ini_, "PGP settings"), (Texts{"ProgPGP=C:\\PGP\\PGP.EXE", "EncryptFor="}));
  EXPECT_EQ(Entries(pluginIni_, "PGP settings"), Texts{"KeepOpen=0"}) << "never written";
}

TEST_F(SettingsStore, WithoutAnIniPathNothingIsReadOrWrittenThere) {
  const std::string cfg = root_ + "\\cfg";
  ASSERT_TRUE(CreateDirectoryA((cfg + "\\TAVIX").c_str(), nullptr));
  EXPECT_TRUE(ComputeIniPath((cfg + "\\Plugins").c_str()));
  EXPECT_EQ(std::string(iniPath), cfg + "\\TAVIX\\TAVIX.INI");
  EXPECT_FALSE(ComputeIniPath(("C:\\" + std::string(250, 'c')).c_str()));
  EXPECT_STREQ(iniPath, "");
  Put(pluginIni_, "PGPflags", "AlwaysSign", "1");
  LoadSettings();
  EXPECT_EQ(std::string(sharedMessageBuffer), "TAVIX.INI\n" + pluginIni_);
  settings.SignFrom = 1;
  SaveSettings();
  EXPECT_FALSE(FileExists(windowsIni_)) << "the profile functions would pick the Windows directory";
  EXPECT_EQ(Entries(pluginIni_, "PGPflags"), Texts{"AlwaysSign=1"});
}

TEST_F(SettingsStore, AttachmentMarkerPrefersTheHostsString) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");  // holds neither string 1410 nor 63
  HMODULE host = LoadLibraryExA(support::BesideProgram("EUDORA.EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(host, nullptr) << "the host stand-in is built beside this program";
  char hostMarker[32] = "";
  ASSERT_GT(LoadStringA(host, 1410, hostMarker, sizeof hostMarker), 0);
  const struct {
    HMODULE hostModule, strings;
    std::string marker;
  } cases[] = {{nullptr, instanceHandle, "Attachment Converted: "}, {kernel, kernel, ""}, {host, kernel, hostMarker}};
  for (const auto& c : cases) {
    hostInstance = reinterpret_cast<HINSTANCE>(c.hostModule);
    stringModule = c.strings;
    LoadSettings();
    EXPECT_EQ(std::string(attachmentMarker), c.marker);
    EXPECT_EQ(attachmentMarkerLength, static_cast<int>(c.marker.size()));
  }
  hostInstance = nullptr;
  FreeLibrary(host);
}

TEST_F(SettingsStore, CapsLockHeldWhileLoadingShowsTheListingCutWhereItIsFull) {
  // Short names, so that the whole listing fits the 256-byte message buffer.
  const std::string dir = "C:\\tvxcaps", ini = dir + "\\TAVIX.INI";
  CreateDirectoryA(dir.c_str(), nullptr);
  CopyText(iniPath, sizeof iniPath, ini.c_str());
  pluginFolder[0] = '\0';
  // The integer lines end at 222 characters: a ProgPGP of 22 characters still fits
  // (222 + 1 + 32 < 256), one of 23 does not.
  const std::string fits = "C:\\" + std::string(15, 'p') + ".EXE", tooLong = "C:\\" + std::string(16, 'p') + ".EXE";
  const std::string listing = "TAVIX.INI\nTAVIX.INI\n" + ini +
      "\n---\nChgToTempDir = 0\nAlwaysSign = 0\nSignFrom = 0\nAnsiOem = 0\nConvertAttach = 1\n"
      "NickNames = 0\nEncryptForSelf = 1\nUseToolBar = 1\nCopyToReadOnly = 1\nButtonPos = 0\nKeepOpen = 4294967295\n";
  RobotAnswer none = robot::Expect("Tavix Light ", IDOK);
  LoadSettings();
  EXPECT_FALSE(none.Stop().found) << "no listing without Caps Lock";
  Texts shown;
  bool held = true;
  for (const std::string& program : {fits, tooLong}) {
    Put(ini, "PGP settings", "ProgPGP", program.c_str());
    CapsLock(true);  // showing a window may resynchronise the key state: pressed each time
    held = held && (GetAsyncKeyState(VK_CAPITAL) & 0x8000) != 0;
    RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
    LoadSettings();
    shown.push_back(held ? answer.Wait().text : answer.Stop().text);
    CapsLock(false);
  }
  CapsLock(true);  // a third press turns the Caps Lock light off again
  CapsLock(false);
  RemoveIni(ini);
  RemoveDirectoryA(dir.c_str());
  if (!held) GTEST_SKIP() << "this display does not report Caps Lock as held";
  EXPECT_EQ(shown, (Texts{listing + "ProgPGP = " + fits, listing + ">>"}));
}
