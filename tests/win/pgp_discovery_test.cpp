// Discovery of PGP's directory, configuration, temporary directory, leftover transfer files
// and program, with real files in a scratch directory; questions answered by the UI robot.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config/file_system.h"
#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/text_utils.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

using support::CurrentDirectory;
using support::ReadFileBytes;
using support::WriteFileBytes;

std::string Text(UINT id) {
  char buffer[kMessageBufferSize];
  LoadText(id, buffer, sizeof buffer);
  return buffer;
}
std::string OrNull(const char* text) { return text ? text : "<null>"; }

// Each test has its own settings, scratch directory, current directory and PGPPATH.
class Discovery : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    settings = kDefaultSettings;
    sharedMessageBuffer[0] = '\0';
  }
  void TearDown() override {
    SetCurrentDirectoryA(savedDirectory_.c_str());
    settings.ChgToTempDir = 1;
    MakeTransferFileNames();  // back to the bare built-in names
    for (char** field : {&settings.ProgPGP, &settings.EncryptFor, &settings.PGPtempdir, &settings.PGPPATH})
      ReplaceTextSetting(field, nullptr);
    settings = saved_;
    support::RemoveTree(dir_);
  }
  std::string Path(const std::string& relative) const { return dir_ + "\\" + relative; }
  std::string MakeDir(const std::string& relative) const {
    CreateDirectoryA(Path(relative).c_str(), nullptr);
    return Path(relative);
  }
  // Asks CheckLeftoverFiles (or ChooseTempDirectory) and answers a message box with `button`.
  BOOL Answered(BOOL (*call)(), int button, std::string* text) {
    RobotAnswer answer = robot::Expect("Tavix Light ", button);
    const BOOL result = call();
    if (text) {
      answer.Wait();
      EXPECT_TRUE(answer.ok()) << answer.error();
      *text = answer.found() ? answer.text() : "<no message>";
    } else {
      EXPECT_FALSE(answer.Stop().found) << "no message expected: " << answer.text();
    }
    return result;
  }

  const std::string dir_ = support::MakeScratchDirectory("tavix-discovery-");
  const TSettingsRecord saved_ = settings;
  const std::string savedDirectory_ = CurrentDirectory();
  support::ScopedEnvironment pgpPathVariable_{{"PGPPATH"}};
};

}  // namespace

TEST_F(Discovery, PgpPathComesFromTheSettingOrTheEnvironmentWithABackslash) {
  struct Case {
    const char *setting, *environment, *resolved, *environmentAfter;
  } cases[] = {{nullptr, "C:\\PGP", "C:\\PGP\\", "C:\\PGP"},
               {"D:\\Keys", "C:\\OTHER", "D:\\Keys\\", "D:\\Keys"},  // exported for PGP
               {"E:\\", "", "E:\\", "E:\\"},
               {nullptr, "", "", ""}};
  for (const Case& c : cases) {
    SetEnvironmentVariableA("PGPPATH", c.environment);
    ReplaceTextSetting(&settings.PGPPATH, c.setting);
    ResolvePgpPath();
    EXPECT_EQ(OrNull(settings.PGPPATH), c.resolved);
    EXPECT_EQ(settings.pgpPathLength, strlen(c.resolved));
    char variable[MAX_PATH] = "";
    GetEnvironmentVariableA("PGPPATH", variable, sizeof variable);
    EXPECT_STREQ(variable, c.environmentAfter);
  }
}

TEST_F(Discovery, TmpLineOfPgpsConfigurationBecomesTheTemporaryDirectory) {
  const std::string oem = "\x81" "ber";  // OEM bytes are read as ANSI text
  std::string ansi = oem;
  OemToCharBuffA(oem.c_str(), &ansi[0], static_cast<DWORD>(ansi.size()));
  ASSERT_NE(ansi, oem) << "the OEM and ANSI code pages agree here";
  struct Case {
    const char* name;
    std::string configTxt, pgpIni, setting;  // "": none
    bool pgpPathEmpty;                         // then the current directory's files count
    std::string expected;
  } cases[] = {
      {"last TMP line wins", "# c\r\n TMP = C:\\NO\r\nTMP = \"C:\\TEMP\" # x\r\nTMPDIR = C:\\NO\r\ntmp=D:\\S\r\n", "",
       "", false, "D:\\S"},
      {"the INI setting wins", "TMP=D:\\S\r\n", "", "E:\\FROM INI", false, "E:\\FROM INI"},
      {"pgp.ini without config.txt", "", "[pgp]\r\nTMP=C:\\FROM-INI\r\n", "", false, "C:\\FROM-INI"},
      {"config.txt without TMP", "Armor=on\r\n", "[pgp]\r\nTMP=C:\\FROM-INI\r\n", "", false, "<null>"},
      {"no PGPPATH: current directory, OEM text", ("TMP=C:\\" + oem + "\n"), "", "", true, "C:\\" + ansi},
  };
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(Path("config.txt").c_str());
    DeleteFileA(Path("pgp.ini").c_str());
    if (!c.configTxt.empty()) { ASSERT_TRUE(WriteFileBytes(Path("config.txt"), c.configTxt)); }
    if (!c.pgpIni.empty()) { ASSERT_TRUE(WriteFileBytes(Path("pgp.ini"), c.pgpIni)); }
    ReplaceTextSetting(&settings.PGPtempdir, c.setting.c_str());
    ReplaceTextSetting(&settings.PGPPATH, c.pgpPathEmpty ? nullptr : (dir_ + "\\").c_str());
    ReadPgpConfig();
    EXPECT_EQ(OrNull(settings.PGPtempdir), c.expected);
  }
}

TEST_F(Discovery, TemporaryDirectoryIsCheckedAndNamesTheTransferFiles) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string spaced = MakeDir("MY TEMP"), notFound = Text(IDS_NO_TEMP_DIR) + "\n";
  ASSERT_FALSE(support::FileExists("C:\\TAVIX") || support::FileExists("C:\\TAVIX.asc"));
  struct Case {
    const char* name;
    std::string setting;  // "": the system's
    int changeDirectory;
    BOOL ok;
    std::string directory, text, message;  // message "": none shown
  } cases[] = {
      {"trailing backslash goes", dir_ + "\\", 0, TRUE, dir_, Path("TAVIX"), ""},
      {"a root keeps it", "C:\\", 0, TRUE, "C:\\", "C:\\TAVIX", ""},
      {"system's, names stay bare", "", 1, TRUE, temp, "TAVIX", ""},
      {"quoted with a blank is no directory", "\"" + spaced + "\"", 0, FALSE, "<null>", "TAVIX", notFound + "\"" + spaced + "\""},
      {"missing", Path("gone\\"), 0, FALSE, "<null>", "TAVIX",
       "Directory for temporary files not found.\nSet environment variables TEMP, TMP or 'TMP' in pgp's config.txt.\n" + Path("gone")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.ChgToTempDir = 1;
    MakeTransferFileNames();
    settings.ChgToTempDir = c.changeDirectory;
    ReplaceTextSetting(&settings.PGPtempdir, c.setting.c_str());
    std::string shown;
    EXPECT_EQ(Answered(ChooseTempDirectory, IDOK, c.message.empty() ? nullptr : &shown), c.ok);
    EXPECT_EQ(shown, c.message);
    EXPECT_EQ(OrNull(settings.PGPtempdir), c.directory);
    EXPECT_EQ(OrNull(transferFileText), c.text);
    EXPECT_EQ(OrNull(transferFileArmoured), c.text + ".asc");
  }
}

TEST_F(Discovery, LeftoverTransferFilesAreWipedOnlyAfterOk) {
  const std::string temp = MakeDir("temp"), elsewhere = MakeDir("elsewhere");
  const std::string head = Text(IDS_OVERWRITE_FILES), plain = temp + "\\TAVIX", armoured = plain + ".asc";
  struct Case {
    const char* name;
    int changeDirectory, button;
    bool plainLeft, armouredLeft;
    BOOL goOn;
    std::string message;  // "": no question
  } cases[] = {
      {"OK wipes both", 0, IDOK, true, true, TRUE, head + armoured + "\n" + plain},
      {"Cancel keeps both", 0, IDCANCEL, true, true, FALSE, head + armoured + "\n" + plain},
      {"bare name shown in the temporary directory", 1, IDOK, true, false, TRUE, head + plain},
      {"none, no question", 0, IDCANCEL, false, false, TRUE, ""},
  };
  // Not leftovers: a file in the current directory only, and a directory of that name.
  ASSERT_TRUE(WriteFileBytes(elsewhere + "\\TAVIX.asc", "not ours"));
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
  ReplaceTextSetting(&settings.PGPtempdir, temp.c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings.ChgToTempDir = c.changeDirectory;
    MakeTransferFileNames();
    if (c.plainLeft) { ASSERT_TRUE(WriteFileBytes(plain, "plain text")); }
    if (c.armouredLeft) { ASSERT_TRUE(WriteFileBytes(armoured, "armoured text")); }
    if (!c.armouredLeft) CreateDirectoryA(armoured.c_str(), nullptr);
    std::string shown;
    EXPECT_EQ(Answered(CheckLeftoverFiles, c.button, c.message.empty() ? nullptr : &shown), c.goOn);
    EXPECT_EQ(shown, c.message);
    const bool kept = c.button == IDCANCEL;
    EXPECT_EQ(ReadFileBytes(plain), kept && c.plainLeft ? "plain text" : "");
    if (c.armouredLeft) { EXPECT_EQ(ReadFileBytes(armoured), kept ? "armoured text" : ""); }
    RemoveDirectoryA(armoured.c_str());
    DeleteFileA(plain.c_str());
    DeleteFileA(armoured.c_str());
    EXPECT_EQ(CurrentDirectory(), elsewhere) << "the current directory is restored";
  }
  EXPECT_EQ(ReadFileBytes(elsewhere + "\\TAVIX.asc"), "not ours");
  // A temporary directory that cannot be entered refuses without a question.
  settings.ChgToTempDir = 1;
  ReplaceTextSetting(&settings.PGPtempdir, Path("gone").c_str());
  EXPECT_FALSE(Answered(CheckLeftoverFiles, IDOK, nullptr));
  EXPECT_EQ(CurrentDirectory(), elsewhere);
}

TEST_F(Discovery, ProgramCandidatesAreTriedInOrderAndListed) {
  const std::string pgp = MakeDir("pgp") + "\\", work = MakeDir("work");
  std::string longDir = pgp;
  for (int i = 0; longDir.size() < 140; ++i) CreateDirectoryA((longDir += "level-" + std::to_string(i)).c_str(), nullptr), longDir += "\\";
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  const std::string selfName = strrchr(self, '\\') + 1, tooLong = work + "\\" + std::string(260, 'p');
  struct Case {
    const char* name;
    std::string progPgp;  // "": not set
    int keepOpen;
    std::vector<std::string> files;  // made before the search, relative to the scratch directory
    std::string pgpPath;
    BOOL found;
    std::vector<std::string> tried;  // the last one tried is the program path
  } cases[] = {
      {"Windows' console: pif and exe in both places; a bare name is searched", "", -1, {"work\\pgp.exe"}, pgp, TRUE,
       {pgp + "pgp.pif", pgp + "pgp.exe", "pgp.pif", "pgp.exe"}},
      {"the first that exists ends it", "", -1, {"pgp\\pgp.pif"}, pgp, TRUE, {pgp + "pgp.pif"}},
      {"also in the program's own directory", selfName, 0, {}, pgp, TRUE, {pgp + selfName, selfName}},
      {"ProgPGP with drive: the only one", "C:\\tavix-nowhere\\PGP.EXE", -1, {"work\\pgp.exe"}, pgp, FALSE,
       {"C:\\tavix-nowhere\\PGP.EXE"}},
      {"a PGPPATH longer than OpenFile takes", "", 0, {longDir.substr(dir_.size() + 1) + "pgp.exe"}, longDir, TRUE, {longDir + "pgp.exe"}},
      {"too long ProgPGP is refused, not cut", tooLong, -1, {}, pgp, FALSE, {}},
  };
  ASSERT_TRUE(SetCurrentDirectoryA(work.c_str()));
  const std::string head = Text(IDS_PGP_NOT_FOUND);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::string& file : c.files) { ASSERT_TRUE(WriteFileBytes(Path(file), "MZ")) << file; }
    ReplaceTextSetting(&settings.PGPPATH, c.pgpPath.c_str());
    ReplaceTextSetting(&settings.ProgPGP, c.progPgp.c_str());
    settings.KeepOpen = c.keepOpen;
    CopyText(sharedMessageBuffer, kMessageBufferSize, head.c_str());
    EXPECT_EQ(FindPgpProgram(), c.found);
    std::string list = head;
    for (const std::string& tried : c.tried) list += "\n" + tried;
    EXPECT_EQ(std::string(sharedMessageBuffer), list);
    EXPECT_EQ(std::string(pgpProgramPath), c.tried.empty() ? "" : c.tried.back());
    for (const std::string& file : c.files) DeleteFileA(Path(file).c_str());
  }
}
