// The settings store against real INI files: the Windows directory's TAVIX.INI (layer 1),
// the plug-in folder's (layer 2) and the INI path's (layer 3).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/settings.h"
#include "ui/process_state.h"
#include "test_support.h"
#include "ui_robot.h"
#include "ui/messages.h"

namespace {

std::string WindowsIniPath() {
  char dir[MAX_PATH];
  GetWindowsDirectoryA(dir, sizeof dir);
  return std::string(dir) + "\\TAVIX.INI";
}

using support::ReadFileBytes;
using support::WriteFileBytes;

// Deletes an INI file and drops what the profile functions may still hold of it.
void RemoveIni(const std::string& path) {
  DeleteFileA(path.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

void PutKey(const std::string& file, const char* section, const char* key, const char* value) {
  ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, file.c_str())) << file;
}

// The texts of a list of NUL-terminated texts as the profile functions return it.
std::vector<std::string> Texts(const char* list, DWORD length) {
  std::vector<std::string> texts;
  for (const char* p = list; p < list + length && *p; p += std::strlen(p) + 1) texts.push_back(p);
  return texts;
}

// "key=value" entries of one section of a file, as the profile functions see them.
std::vector<std::string> SectionEntries(const std::string& file, const char* section) {
  char buffer[4096];
  return Texts(buffer, GetPrivateProfileSectionA(section, buffer, sizeof buffer, file.c_str()));
}

std::vector<std::string> SectionNames(const std::string& file) {
  char buffer[4096];
  return Texts(buffer, GetPrivateProfileSectionNamesA(buffer, sizeof buffer, file.c_str()));
}

void ReleaseTexts() {
  ReplaceTextSetting(&settings.ProgPGP, nullptr);
  ReplaceTextSetting(&settings.EncryptFor, nullptr);
  ReplaceTextSetting(&settings.PGPtempdir, nullptr);
  ReplaceTextSetting(&settings.PGPPATH, nullptr);
}

void PressCapsLock(bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_CAPITAL;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

std::string Text(const char* text) { return text ? text : "(not set)"; }

class SettingsStore : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    windowsIni_ = WindowsIniPath();
    hadWindowsIni_ = support::FileExists(windowsIni_);
    if (hadWindowsIni_) windowsIniBytes_ = ReadFileBytes(windowsIni_);
  }
  static void TearDownTestSuite() {
    RemoveIni(windowsIni_);
    if (hadWindowsIni_) {
      EXPECT_TRUE(WriteFileBytes(windowsIni_, windowsIniBytes_)) << windowsIni_;
    }
  }

  void SetUp() override {
    RemoveIni(windowsIni_);
    // A fresh folder per test, so no profile cache can carry one test's file into the next.
    root_ = support::MakeScratchDirectory("tavix_settings_");
    CreateDirectoryA((root_ + "\\plug").c_str(), nullptr);
    CreateDirectoryA((root_ + "\\cfg").c_str(), nullptr);
    pluginIni_ = root_ + "\\plug\\TAVIX.INI";
    ini_ = root_ + "\\cfg\\TAVIX.INI";
    std::strcpy(pluginFolder, (root_ + "\\plug\\").c_str());
    std::strcpy(iniPath, ini_.c_str());
    hostInstance = nullptr;
  }

  void TearDown() override {
    ReleaseTexts();
    settings = TSettingsRecord{};
    savedSettings = TSettingsRecord{};
    settingsDirty = FALSE;
    stringChanged = TStringChanged{};
    hostInstance = nullptr;
    stringModule = instanceHandle;
    RemoveIni(windowsIni_);
    RemoveIni(pluginIni_);
    RemoveIni(ini_);
    support::RemoveTree(root_);
  }

  static std::string windowsIni_;
  static bool hadWindowsIni_;
  static std::string windowsIniBytes_;
  std::string root_, pluginIni_, ini_;
};

std::string SettingsStore::windowsIni_;
bool SettingsStore::hadWindowsIni_ = false;
std::string SettingsStore::windowsIniBytes_;

}  // namespace

TEST_F(SettingsStore, WithoutAnyIniFileTheDefaultsHoldAndNothingIsWritten) {
  LoadSettings();
  EXPECT_EQ(std::memcmp(&settings, &kDefaultSettings, sizeof settings), 0);
  EXPECT_EQ(settings.KeepOpen, -1);
  EXPECT_EQ(settings.ConvertAttach, 1);
  EXPECT_EQ(settings.EncryptForSelf, 1);
  EXPECT_EQ(settings.UseToolBar, 1);
  EXPECT_EQ(settings.CopyToReadOnly, 1);
  // The diagnostic text names the three files read.
  EXPECT_EQ(std::string(sharedMessageBuffer), "TAVIX.INI\n" + pluginIni_ + "\n" + ini_);

  SaveSettings();
  EXPECT_FALSE(support::FileExists(ini_));
  EXPECT_FALSE(support::FileExists(windowsIni_));
  EXPECT_FALSE(support::FileExists(pluginIni_));
}

TEST_F(SettingsStore, EachLayerAddsItsKeysAndLaterLayersWin) {
  PutKey(windowsIni_, "PGPflags", "AlwaysSign", "1");
  PutKey(windowsIni_, "PGP settings", "KeepOpen", "0");
  PutKey(windowsIni_, "PGP settings", "ProgPGP", "C:\\one\\pgp.exe");
  PutKey(pluginIni_, "PGPflags", "SignFrom", "1");
  PutKey(pluginIni_, "PGP settings", "KeepOpen", "1");
  PutKey(pluginIni_, "PGP settings", "PGPtempdir", "C:\\TEMP");
  PutKey(ini_, "Settings", "NickNames", "1");
  PutKey(ini_, "Settings", "ButtonPos", "-5");
  PutKey(ini_, "PGP settings", "ProgPGP", "C:\\three\\pgp.exe");
  PutKey(ini_, "PGP settings", "PGPPATH", "C:\\PGP\\");

  LoadSettings();
  EXPECT_EQ(settings.AlwaysSign, 1);
  EXPECT_EQ(settings.SignFrom, 1);
  EXPECT_EQ(settings.NickNames, 1);
  EXPECT_EQ(settings.KeepOpen, 1);
  EXPECT_EQ(settings.ButtonPos, -5);
  EXPECT_EQ(settings.ChgToTempDir, 0);
  EXPECT_EQ(settings.ConvertAttach, 1);
  EXPECT_EQ(Text(settings.ProgPGP), "C:\\three\\pgp.exe");
  EXPECT_EQ(Text(settings.PGPtempdir), "C:\\TEMP");
  EXPECT_EQ(Text(settings.PGPPATH), "C:\\PGP\\");
  EXPECT_EQ(settings.pgpPathLength, 7u);
  EXPECT_EQ(settings.EncryptFor, nullptr);
  EXPECT_EQ(settings.encryptForLength, 0u);

  // Everything came from the files: saving writes nothing, and never to layers 1 and 2.
  std::string windowsBefore = ReadFileBytes(windowsIni_), pluginBefore = ReadFileBytes(pluginIni_),
              iniBefore = ReadFileBytes(ini_);
  SaveSettings();
  EXPECT_EQ(ReadFileBytes(windowsIni_), windowsBefore);
  EXPECT_EQ(ReadFileBytes(pluginIni_), pluginBefore);
  EXPECT_EQ(ReadFileBytes(ini_), iniBefore);
}

TEST_F(SettingsStore, EmptyValueInALaterLayerClearsATextSetting) {
  PutKey(pluginIni_, "PGP settings", "EncryptFor", "abcd efgh");
  PutKey(pluginIni_, "PGP settings", "PGPPATH", "C:\\PGP\\");
  PutKey(ini_, "PGP settings", "EncryptFor", "");
  PutKey(ini_, "PGP settings", "PGPPATH", "");
  LoadSettings();
  EXPECT_EQ(settings.EncryptFor, nullptr);
  EXPECT_EQ(settings.encryptForLength, 0u);
  EXPECT_EQ(settings.PGPPATH, nullptr);
  EXPECT_EQ(settings.pgpPathLength, 0u);

  // Without the empty value the plug-in folder's EncryptFor holds, quoted for its blank.
  RemoveIni(ini_);
  LoadSettings();
  EXPECT_EQ(Text(settings.EncryptFor), "\"abcd efgh\"");
  EXPECT_EQ(settings.encryptForLength, 11u);
}

TEST_F(SettingsStore, LongTextValueIsCutAt255Characters) {
  std::string path = "C:\\" + std::string(300, 'p');
  PutKey(ini_, "PGP settings", "ProgPGP", path.c_str());
  LoadSettings();
  ASSERT_NE(settings.ProgPGP, nullptr);
  EXPECT_EQ(std::string(settings.ProgPGP), path.substr(0, 255));
}

TEST_F(SettingsStore, KeepOpenMinusOneIsWrittenAndReadBackSigned) {
  // A layer-3 file with only KeepOpen 0 changes KeepOpen and nothing else ...
  PutKey(ini_, "PGP settings", "KeepOpen", "0");
  LoadSettings();
  TSettingsRecord expected = kDefaultSettings;
  expected.KeepOpen = 0;
  EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0);
  // ... and saving writes nothing, since KeepOpen equals its snapshot.
  SaveSettings();
  EXPECT_EQ(SectionNames(ini_), std::vector<std::string>{"PGP settings"});
  EXPECT_EQ(SectionEntries(ini_, "PGP settings"), std::vector<std::string>{"KeepOpen=0"});

  settings.KeepOpen = -1;
  SaveSettings();
  EXPECT_EQ(SectionEntries(ini_, "PGP settings"), std::vector<std::string>{"KeepOpen=-1"});
  LoadSettings();
  EXPECT_EQ(settings.KeepOpen, -1);
}

TEST_F(SettingsStore, SaveWritesOnlyTheChangedIntegerAndOnlyOnce) {
  LoadSettings();
  settings.AlwaysSign = 1;
  SaveSettings();
  EXPECT_EQ(SectionNames(ini_), std::vector<std::string>{"PGPflags"});
  EXPECT_EQ(SectionEntries(ini_, "PGPflags"), std::vector<std::string>{"AlwaysSign=1"});
  EXPECT_FALSE(support::FileExists(windowsIni_));
  EXPECT_FALSE(support::FileExists(pluginIni_));

  RemoveIni(ini_);
  SaveSettings();
  EXPECT_FALSE(support::FileExists(ini_)) << "a second save must not write the same change again";
}

TEST_F(SettingsStore, TextSettingsAreWrittenOnlyWhenChangedAndTheDialogEndedWithOk) {
  PutKey(ini_, "PGP settings", "EncryptFor", "me");
  LoadSettings();
  ReplaceTextSetting(&settings.ProgPGP, "C:\\PGP\\PGP.EXE");
  ReplaceTextSetting(&settings.EncryptFor, nullptr);
  stringChanged.ProgPGP = TRUE;

  // Changed, but the dialog did not end with OK: nothing is written.
  settingsDirty = FALSE;
  SaveSettings();
  EXPECT_EQ(SectionEntries(ini_, "PGP settings"), std::vector<std::string>{"EncryptFor=me"});

  // With OK only the flagged text is written.
  settingsDirty = TRUE;
  SaveSettings();
  EXPECT_EQ(SectionEntries(ini_, "PGP settings"),
            (std::vector<std::string>{"EncryptFor=me", "ProgPGP=C:\\PGP\\PGP.EXE"}));

  // A text that is not set is written empty, so that it clears the value on the next load.
  stringChanged.EncryptFor = TRUE;
  settingsDirty = TRUE;
  SaveSettings();
  EXPECT_FALSE(settingsDirty);
  char value[64];
  GetPrivateProfileStringA("PGP settings", "ProgPGP", "?", value, sizeof value, ini_.c_str());
  EXPECT_STREQ(value, "C:\\PGP\\PGP.EXE");
  GetPrivateProfileStringA("PGP settings", "EncryptFor", "?", value, sizeof value, ini_.c_str());
  EXPECT_STREQ(value, "");
  LoadSettings();
  EXPECT_EQ(settings.EncryptFor, nullptr);
  EXPECT_EQ(Text(settings.ProgPGP), "C:\\PGP\\PGP.EXE");
  EXPECT_FALSE(stringChanged.ProgPGP) << "loading clears the changed flags";
}

TEST_F(SettingsStore, QuoteEncryptForQuotesOnlyAnUnquotedTextWithABlank) {
  struct Case {
    const char* value;
    const char* expected;
    uint32_t length;
  };
  const Case cases[] = {
      {"abcd efgh", "\"abcd efgh\"", 11},
      {"\"abcd efgh", "\"abcd efgh", 10},
      {"abcdefgh", "abcdefgh", 8},
  };
  for (const Case& c : cases) {
    ReplaceTextSetting(&settings.EncryptFor, c.value);
    QuoteEncryptFor();
    EXPECT_EQ(Text(settings.EncryptFor), c.expected) << c.value;
    EXPECT_EQ(settings.encryptForLength, c.length) << c.value;
  }
  ReplaceTextSetting(&settings.EncryptFor, nullptr);
  settings.encryptForLength = 99;
  QuoteEncryptFor();
  EXPECT_EQ(settings.encryptForLength, 0u);
}

TEST_F(SettingsStore, IniPathFollowsTheRealDirectories) {
  std::string cfg = root_ + "\\cfg";
  ASSERT_TRUE(ComputeIniPath((cfg + "\\Plugins").c_str()));
  EXPECT_EQ(std::string(iniPath), cfg + "\\TAVIX.INI");
  ASSERT_TRUE(CreateDirectoryA((cfg + "\\TAVIX").c_str(), nullptr));
  ASSERT_TRUE(ComputeIniPath((cfg + "\\Plugins").c_str()));
  EXPECT_EQ(std::string(iniPath), cfg + "\\TAVIX\\TAVIX.INI");
  ASSERT_TRUE(ComputeIniPath(cfg.c_str()));
  EXPECT_EQ(std::string(iniPath), cfg + "\\TAVIX\\TAVIX.INI");
}

TEST_F(SettingsStore, TooLongConfigurationDirectoryMeansNoIniPathAndNothingWritten) {
  std::string tooLong = "C:\\" + std::string(250, 'c');
  EXPECT_FALSE(ComputeIniPath(tooLong.c_str()));
  EXPECT_STREQ(iniPath, "");

  PutKey(pluginIni_, "PGPflags", "AlwaysSign", "1");
  LoadSettings();
  EXPECT_EQ(settings.AlwaysSign, 1);
  EXPECT_EQ(std::string(sharedMessageBuffer), "TAVIX.INI\n" + pluginIni_);
  settings.SignFrom = 1;
  SaveSettings();
  EXPECT_FALSE(support::FileExists(windowsIni_)) << "an empty INI path must not fall back to the Windows directory";
  EXPECT_EQ(SectionEntries(pluginIni_, "PGPflags"), std::vector<std::string>{"AlwaysSign=1"});
}

TEST_F(SettingsStore, PluginFolderIsTheModuleFolderOrItsTavixSubFolder) {
  char exe[MAX_PATH];
  GetModuleFileNameA(instanceHandle, exe, sizeof exe);
  std::string folder(exe);
  folder.erase(folder.rfind('\\') + 1);
  ASSERT_TRUE(ComputePluginFolder());
  EXPECT_EQ(std::string(pluginFolder), folder);

  std::string sub = folder + "TAVIX";
  bool made = CreateDirectoryA(sub.c_str(), nullptr) != 0;
  EXPECT_TRUE(ComputePluginFolder());
  std::string found = pluginFolder;
  if (made) RemoveDirectoryA(sub.c_str());
  EXPECT_EQ(found, sub + "\\");
}

TEST_F(SettingsStore, AttachmentMarkerPrefersTheHostsString) {
  // Without a host instance the plug-in's own string 63 is the marker.
  LoadSettings();
  EXPECT_STREQ(attachmentMarker, "Attachment Converted: ");
  EXPECT_EQ(attachmentMarkerLength, 22);

  // A host without string 1410 and a string module without 63: no marker at all.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  char probe[32];
  ASSERT_EQ(LoadStringA(kernel, 1410, probe, sizeof probe), 0);
  ASSERT_EQ(LoadStringA(kernel, 63, probe, sizeof probe), 0);
  hostInstance = kernel;
  stringModule = kernel;
  LoadSettings();
  EXPECT_STREQ(attachmentMarker, "");
  EXPECT_EQ(attachmentMarkerLength, 0);

  // The host's own string wins even when the string module has none.
  std::string host = support::BesideProgram("EUDORA.EXE");
  HMODULE hostModule = LoadLibraryExA(host.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!hostModule) GTEST_SKIP() << "host stand-in not built: " << host;
  char hostMarker[32];
  int hostLength = LoadStringA(hostModule, 1410, hostMarker, sizeof hostMarker);
  hostInstance = reinterpret_cast<HINSTANCE>(hostModule);
  LoadSettings();
  FreeLibrary(hostModule);
  ASSERT_GT(hostLength, 0) << "the host stand-in carries string 1410";
  EXPECT_STREQ(attachmentMarker, hostMarker);
  EXPECT_EQ(attachmentMarkerLength, hostLength);
}

TEST_F(SettingsStore, CapsLockHeldWhileLoadingShowsTheListing) {
  // Short names, so that the whole listing fits the 256-byte message buffer.
  const std::string dir = "C:\\tvxcaps";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string ini = dir + "\\TAVIX.INI";
  std::strcpy(iniPath, ini.c_str());
  pluginFolder[0] = '\0';
  // The integer lines end at 222 characters: a ProgPGP of 22 characters still fits
  // (222 + 1 + 32 < 256), one of 23 does not.
  const std::string fits = "C:\\" + std::string(15, 'p') + ".EXE";
  const std::string tooLong = "C:\\" + std::string(16, 'p') + ".EXE";
  PutKey(ini, "PGP settings", "ProgPGP", fits.c_str());

  std::string shown, cut;
  {
    RobotAnswer none = robot::Expect("Tavix Light ", IDOK);
    LoadSettings();
    none.Stop();
    EXPECT_FALSE(none.found()) << "no listing without Caps Lock";
  }
  PressCapsLock(true);
  bool held = (GetAsyncKeyState(VK_CAPITAL) & 0x8000) != 0;
  if (held) {
    RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
    LoadSettings();
    answer.Wait();
    EXPECT_TRUE(answer.ok()) << answer.error();
    shown = answer.text();
    // A text line that no longer fits ends the listing with ">>".
    PutKey(ini, "PGP settings", "ProgPGP", tooLong.c_str());
    // Showing a window may resynchronise the key state with the display: press again.
    PressCapsLock(false);
    PressCapsLock(true);
    RobotAnswer second = robot::Expect("Tavix Light ", IDOK);
    LoadSettings();
    second.Wait();
    EXPECT_TRUE(second.ok()) << second.error();
    cut = second.text();
  }
  PressCapsLock(false);
  PressCapsLock(true);  // a second press turns the Caps Lock light off again
  PressCapsLock(false);
  RemoveIni(ini);
  RemoveDirectoryA(dir.c_str());
  if (!held) GTEST_SKIP() << "this display does not report Caps Lock as held";

  const std::string integers =
      "---\nChgToTempDir = 0\nAlwaysSign = 0\nSignFrom = 0\nAnsiOem = 0\nConvertAttach = 1\n"
      "NickNames = 0\nEncryptForSelf = 1\nUseToolBar = 1\nCopyToReadOnly = 1\nButtonPos = 0\n"
      "KeepOpen = 4294967295\n";
  EXPECT_EQ(shown, "TAVIX.INI\nTAVIX.INI\n" + ini + "\n" + integers + "ProgPGP = " + fits);
  EXPECT_EQ(cut, "TAVIX.INI\nTAVIX.INI\n" + ini + "\n" + integers + ">>");
}
