// Discovery of PGP's directory, configuration, temporary directory, leftover transfer files
// and program, with real files in a scratch directory; questions answered by the UI robot.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "config/file_system.h"
#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/module_heap.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "test_support.h"
#include "ui_robot.h"

namespace {

using support::ReadFileBytes;
using support::RemoveTree;
using support::WriteFileBytes;

using support::CurrentDirectory;

std::string Text(UINT id) {
  char buffer[kMessageBufferSize];
  LoadText(id, buffer, sizeof buffer);
  return buffer;
}

std::string OrNull(const char* text) { return text ? text : "<null>"; }

void SetText(char** field, const char* value) {
  HeapFreeBlock(*field);
  *field = value ? HeapCopyText(value) : nullptr;
}

// Runs each test with its own settings, scratch directory, current directory and PGPPATH
// variable, and puts everything back afterwards.
class Discovery : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = settings;
    settings = kDefaultSettings;
    settings.KeepOpen = -1;
    savedDirectory_ = CurrentDirectory();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    dir_ = std::string(temp) + "tavix-discovery-" + std::to_string(GetCurrentProcessId()) + "-" +
           testing::UnitTest::GetInstance()->current_test_info()->name();
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
    sharedMessageBuffer[0] = '\0';
  }

  void TearDown() override {
    SetCurrentDirectoryA(savedDirectory_.c_str());
    settings.ChgToTempDir = 1;
    MakeTransferFileNames();  // back to the bare built-in names
    for (char** field : {&settings.ProgPGP, &settings.EncryptFor, &settings.PGPtempdir,
                         &settings.PGPPATH})
      HeapFreeBlock(*field);
    settings = saved_;
    RemoveTree(dir_);
  }

  std::string Path(const std::string& relative) const { return dir_ + "\\" + relative; }
  std::string MakeDir(const std::string& relative) const {
    const std::string path = Path(relative);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }

  std::string dir_;

 private:
  TSettingsRecord saved_;
  std::string savedDirectory_;
  support::ScopedEnvironment pgpPathVariable_{{"PGPPATH"}};
};

}  // namespace

// ---------------------------------------------------------------- file-system helpers

TEST_F(Discovery, FindFirstMatchReplacesOnlyTheNamePart) {
  ASSERT_TRUE(WriteFileBytes(Path("t132de.dll"), "x"));
  char pattern[kPathSize];
  lstrcpynA(pattern, Path("t132?*.dll").c_str(), sizeof pattern);
  EXPECT_EQ(FindFirstMatch(pattern), 0u);
  EXPECT_STREQ(pattern, Path("t132de.dll").c_str());

  lstrcpynA(pattern, Path("t132?*.exe").c_str(), sizeof pattern);
  EXPECT_EQ(FindFirstMatch(pattern), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_STREQ(pattern, Path("t132?*.exe").c_str());
}

TEST_F(Discovery, IsDirectoryAndChangeDirectory) {
  const std::string sub = MakeDir("sub");
  ASSERT_TRUE(WriteFileBytes(Path("file"), "x"));
  EXPECT_TRUE(IsDirectory(sub.c_str()));
  EXPECT_FALSE(IsDirectory(Path("file").c_str()));
  EXPECT_FALSE(IsDirectory(Path("missing").c_str()));
  EXPECT_FALSE(IsDirectory(""));

  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  char old[kPathSize] = "";
  EXPECT_TRUE(ChangeDirectory(sub.c_str(), old));
  EXPECT_EQ(CurrentDirectory(), sub);
  EXPECT_EQ(lstrcmpiA(old, dir_.c_str()), 0) << old;
  // A failed change keeps the current directory.
  EXPECT_FALSE(ChangeDirectory(Path("missing").c_str(), nullptr));
  EXPECT_EQ(CurrentDirectory(), sub);
  EXPECT_TRUE(ChangeDirectory(old, nullptr));
  EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), dir_.c_str()), 0);
}

TEST_F(Discovery, ExistenceTestsTakeLongPathsAndSearchOnlyForPrograms) {
  // A path of 128 characters or more, which OpenFile cannot take.
  std::string deep = dir_;
  for (int i = 0; deep.size() < 150; ++i) {
    deep += "\\level-" + std::to_string(i);
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
  }
  const std::string program = deep + "\\pgp.exe";
  ASSERT_GE(program.size(), 128u);
  ASSERT_TRUE(WriteFileBytes(program, "MZ"));
  EXPECT_TRUE(FileExists(program.c_str()));
  EXPECT_TRUE(ProgramFileExists(program.c_str()));
  // A directory is no file.
  EXPECT_FALSE(FileExists(deep.c_str()));
  EXPECT_FALSE(ProgramFileExists(deep.c_str()));
  ASSERT_LT(dir_.size(), 128u);  // short enough for OpenFile itself
  EXPECT_FALSE(ProgramFileExists(dir_.c_str()));
  EXPECT_FALSE(ProgramFileExists((deep + "\\pgp.pif").c_str()));

  // A bare name: both find it in the current directory...
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  ASSERT_TRUE(WriteFileBytes(Path("probe.exe"), "MZ"));
  EXPECT_TRUE(FileExists("probe.exe"));
  EXPECT_TRUE(ProgramFileExists("probe.exe"));
  EXPECT_FALSE(ProgramFileExists("tavix-no-such-program.exe"));
  // ...but only the program search looks in the program's own directory.
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  const char* selfName = strrchr(self, '\\') + 1;
  EXPECT_FALSE(FileExists(selfName));
  EXPECT_TRUE(ProgramFileExists(selfName));
}

// ---------------------------------------------------------------- PGPPATH

TEST_F(Discovery, PgpPathFromTheEnvironmentGetsABackslash) {
  SetEnvironmentVariableA("PGPPATH", "C:\\PGP");
  ResolvePgpPath();
  EXPECT_EQ(OrNull(settings.PGPPATH), "C:\\PGP\\");
  EXPECT_EQ(settings.pgpPathLength, 7u);
}

TEST_F(Discovery, PgpPathSettingIsExportedToTheEnvironment) {
  SetEnvironmentVariableA("PGPPATH", "C:\\OTHER");
  SetText(&settings.PGPPATH, "D:\\Keys");
  ResolvePgpPath();
  EXPECT_EQ(OrNull(settings.PGPPATH), "D:\\Keys\\");
  EXPECT_EQ(settings.pgpPathLength, 8u);
  char variable[MAX_PATH] = "";
  GetEnvironmentVariableA("PGPPATH", variable, sizeof variable);
  EXPECT_STREQ(variable, "D:\\Keys");

  SetText(&settings.PGPPATH, "E:\\");
  ResolvePgpPath();
  EXPECT_EQ(OrNull(settings.PGPPATH), "E:\\");  // no second backslash
}

TEST_F(Discovery, NoPgpPathAnywhereGivesTheEmptyText) {
  SetEnvironmentVariableA("PGPPATH", "");
  ResolvePgpPath();
  EXPECT_EQ(OrNull(settings.PGPPATH), "");
  EXPECT_EQ(settings.pgpPathLength, 0u);
}

// ---------------------------------------------------------------- PGP's configuration

TEST_F(Discovery, ConfigTxtLastTmpLineWins) {
  ASSERT_TRUE(WriteFileBytes(Path("config.txt"),
             "# PGP configuration\r\n TMP = C:\\IGNORED\r\nTMP = \"C:\\TEMP\" # scratch\r\n"
             "TMPDIR = C:\\NO\r\ntmp=D:\\SCRATCH\r\n"));
  SetText(&settings.PGPPATH, (dir_ + "\\").c_str());
  ReadPgpConfig();
  EXPECT_EQ(OrNull(settings.PGPtempdir), "D:\\SCRATCH");
}

TEST_F(Discovery, TmpDirectorySettingIsNotOverridden) {
  ASSERT_TRUE(WriteFileBytes(Path("config.txt"), "TMP=D:\\SCRATCH\r\n"));
  SetText(&settings.PGPPATH, (dir_ + "\\").c_str());
  SetText(&settings.PGPtempdir, "E:\\FROM INI");
  ReadPgpConfig();
  EXPECT_EQ(OrNull(settings.PGPtempdir), "E:\\FROM INI");
}

TEST_F(Discovery, PgpIniOnlyWhenConfigTxtIsMissing) {
  SetText(&settings.PGPPATH, (dir_ + "\\").c_str());
  ASSERT_TRUE(WriteFileBytes(Path("pgp.ini"), "[pgp]\r\nTMP=C:\\FROM-INI\r\n"));
  ReadPgpConfig();
  EXPECT_EQ(OrNull(settings.PGPtempdir), "C:\\FROM-INI");

  SetText(&settings.PGPtempdir, nullptr);
  ASSERT_TRUE(WriteFileBytes(Path("config.txt"), "Armor=on\r\n"));  // present, without TMP
  ReadPgpConfig();
  EXPECT_EQ(OrNull(settings.PGPtempdir), "<null>");
}

TEST_F(Discovery, EmptyPgpPathReadsConfigTxtOfTheCurrentDirectory) {
  // OEM bytes are read as ANSI text.
  const std::string oem = "\x81" "ber";
  std::string ansi = oem;
  OemToCharBuffA(oem.c_str(), &ansi[0], static_cast<DWORD>(ansi.size()));
  ASSERT_NE(ansi, oem) << "the OEM and ANSI code pages agree here";
  ASSERT_TRUE(WriteFileBytes(Path("config.txt"), "TMP=C:\\" + oem + "\n"));
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  ResolvePgpPath();
  ASSERT_EQ(OrNull(settings.PGPPATH), "");
  ReadPgpConfig();
  EXPECT_EQ(OrNull(settings.PGPtempdir), "C:\\" + ansi);
}

// ---------------------------------------------------------------- temporary directory

TEST_F(Discovery, TempDirectoryLosesTrailingBackslashButRootKeepsIt) {
  SetText(&settings.PGPtempdir, (dir_ + "\\").c_str());
  EXPECT_TRUE(ChooseTempDirectory());
  EXPECT_EQ(OrNull(settings.PGPtempdir), dir_);
  EXPECT_EQ(OrNull(transferFileText), Path("TAVIX"));
  EXPECT_EQ(OrNull(transferFileArmoured), Path("TAVIX.asc"));

  ASSERT_FALSE(support::FileExists("C:\\TAVIX") || support::FileExists("C:\\TAVIX.asc"));
  SetText(&settings.PGPtempdir, "C:\\");
  EXPECT_TRUE(ChooseTempDirectory());
  EXPECT_EQ(OrNull(settings.PGPtempdir), "C:\\");
  EXPECT_EQ(OrNull(transferFileText), "C:\\TAVIX");
}

TEST_F(Discovery, WithoutSettingTheSystemTempDirectoryIsUsed) {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  settings.ChgToTempDir = 1;
  ASSERT_TRUE(ChooseTempDirectory());
  EXPECT_EQ(OrNull(settings.PGPtempdir), temp);
  // Working inside the temporary directory: the names stay bare.
  EXPECT_EQ(transferFileText, kTransferFileText);
  EXPECT_EQ(transferFileArmoured, kTransferFileArmoured);
}

TEST_F(Discovery, QuotedTmpWithBlankFailsTheDirectoryTest) {
  const std::string spaced = MakeDir("MY TEMP");
  ASSERT_TRUE(WriteFileBytes(Path("config.txt"), "TMP = \"" + spaced + "\"\r\n"));
  SetText(&settings.PGPPATH, (dir_ + "\\").c_str());
  ReadPgpConfig();
  ASSERT_EQ(OrNull(settings.PGPtempdir), "\"" + spaced + "\"");

  RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
  EXPECT_FALSE(ChooseTempDirectory());
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(answer.text(), Text(IDS_NO_TEMP_DIR) + "\n\"" + spaced + "\"");
  EXPECT_EQ(answer.buttons(), std::vector<int>{IDOK});
  EXPECT_EQ(OrNull(settings.PGPtempdir), "<null>");
}

TEST_F(Discovery, MissingTempDirectoryIsReported) {
  SetText(&settings.PGPtempdir, Path("gone\\").c_str());
  RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
  EXPECT_FALSE(ChooseTempDirectory());
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(answer.text(),
            "Directory for temporary files not found.\nSet environment variables TEMP, TMP or "
            "'TMP' in pgp's config.txt.\n" + Path("gone"));
  EXPECT_EQ(OrNull(settings.PGPtempdir), "<null>");
}

TEST_F(Discovery, TransferFileNamesFollowChgToTempDir) {
  SetText(&settings.PGPtempdir, "C:\\T");
  settings.ChgToTempDir = 0;
  MakeTransferFileNames();
  EXPECT_EQ(OrNull(transferFileText), "C:\\T\\TAVIX");
  EXPECT_EQ(OrNull(transferFileArmoured), "C:\\T\\TAVIX.asc");
  SetText(&settings.PGPtempdir, "D:\\U\\");
  MakeTransferFileNames();
  EXPECT_EQ(OrNull(transferFileText), "D:\\U\\TAVIX");
  settings.ChgToTempDir = 1;
  MakeTransferFileNames();
  EXPECT_EQ(transferFileText, kTransferFileText);
  EXPECT_EQ(transferFileArmoured, kTransferFileArmoured);
  EXPECT_STREQ(transferFileArmoured, "TAVIX.asc");
}

// ---------------------------------------------------------------- leftover transfer files

TEST_F(Discovery, NoLeftoversNoQuestion) {
  SetText(&settings.PGPtempdir, dir_.c_str());
  MakeTransferFileNames();
  MakeDir("TAVIX");  // a directory of that name is not a leftover file
  RobotAnswer answer = robot::Expect("Tavix Light ", IDCANCEL);
  EXPECT_TRUE(CheckLeftoverFiles());
  answer.Stop();
  EXPECT_FALSE(answer.found());
}

TEST_F(Discovery, LeftoversWipedAfterOkAndKeptAfterCancel) {
  SetText(&settings.PGPtempdir, dir_.c_str());
  MakeTransferFileNames();
  for (int button : {IDOK, IDCANCEL}) {
    SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
    ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), "plain text"));
    ASSERT_TRUE(WriteFileBytes(Path("TAVIX.asc"), "armoured text"));
    RobotAnswer answer = robot::Expect("Tavix Light ", button);
    EXPECT_EQ(CheckLeftoverFiles() != FALSE, button == IDOK);
    answer.Wait();
    ASSERT_TRUE(answer.ok()) << answer.error();
    EXPECT_EQ(answer.text(), Text(IDS_OVERWRITE_FILES) + Path("TAVIX.asc") + "\n" + Path("TAVIX"));
    EXPECT_EQ(answer.buttons(), (std::vector<int>{IDOK, IDCANCEL}));
    if (button == IDOK) {
      EXPECT_FALSE(support::FileExists(Path("TAVIX")));
      EXPECT_FALSE(support::FileExists(Path("TAVIX.asc")));
    } else {
      EXPECT_EQ(ReadFileBytes(Path("TAVIX")), "plain text");
      EXPECT_EQ(ReadFileBytes(Path("TAVIX.asc")), "armoured text");
    }
  }
}

TEST_F(Discovery, LeftoverBareNameShownInTempDirectoryAndDirectoryRestored) {
  const std::string elsewhere = MakeDir("elsewhere");
  const std::string temp = MakeDir("temp");
  ASSERT_TRUE(WriteFileBytes(temp + "\\TAVIX", "plain text"));
  ASSERT_TRUE(WriteFileBytes(elsewhere + "\\TAVIX.asc", "not ours"));  // in the current directory only
  SetText(&settings.PGPtempdir, temp.c_str());
  settings.ChgToTempDir = 1;
  MakeTransferFileNames();
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.c_str()));
  RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
  EXPECT_TRUE(CheckLeftoverFiles());
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(answer.text(), Text(IDS_OVERWRITE_FILES) + temp + "\\TAVIX");
  EXPECT_FALSE(support::FileExists(temp + "\\TAVIX"));
  EXPECT_EQ(ReadFileBytes(elsewhere + "\\TAVIX.asc"), "not ours");
  EXPECT_EQ(CurrentDirectory(), elsewhere);
}

TEST_F(Discovery, UnreachableTempDirectoryRefusesSilently) {
  SetText(&settings.PGPtempdir, Path("gone").c_str());
  settings.ChgToTempDir = 1;
  ASSERT_TRUE(SetCurrentDirectoryA(dir_.c_str()));
  RobotAnswer answer = robot::Expect("Tavix Light ", IDOK);
  EXPECT_FALSE(CheckLeftoverFiles());
  answer.Stop();
  EXPECT_FALSE(answer.found());
  EXPECT_EQ(lstrcmpiA(CurrentDirectory().c_str(), dir_.c_str()), 0);
}

// ---------------------------------------------------------------- PGP program

namespace {

// The tried list after message 6, one entry per line.
std::vector<std::string> TriedList() {
  std::string text = sharedMessageBuffer;
  const std::string head = Text(IDS_PGP_NOT_FOUND);
  EXPECT_EQ(text.compare(0, head.size(), head), 0) << text;
  std::vector<std::string> lines;
  size_t start = head.size();
  while (start < text.size() && text[start] == '\n') {
    const size_t end = text.find('\n', start + 1);
    lines.push_back(text.substr(start + 1, end == std::string::npos ? end : end - start - 1));
    start = end == std::string::npos ? text.size() : end;
  }
  return lines;
}

}  // namespace

class PgpSearch : public Discovery {
 protected:
  void SetUp() override {
    Discovery::SetUp();
    pgpDir_ = MakeDir("pgp") + "\\";
    workDir_ = MakeDir("work");
    SetText(&settings.PGPPATH, pgpDir_.c_str());
    ASSERT_TRUE(SetCurrentDirectoryA(workDir_.c_str()));
    LoadText(IDS_PGP_NOT_FOUND, sharedMessageBuffer, kMessageBufferSize);
  }
  std::string pgpDir_;
  std::string workDir_;
};

TEST_F(PgpSearch, KeepOpenMinusOneTriesPifAndExeInBothPlaces) {
  ASSERT_TRUE(WriteFileBytes(workDir_ + "\\pgp.exe", "MZ"));  // found by the search for bare names
  settings.KeepOpen = -1;
  EXPECT_TRUE(FindPgpProgram());
  EXPECT_STREQ(pgpProgramPath, "pgp.exe");
  EXPECT_EQ(TriedList(), (std::vector<std::string>{pgpDir_ + "pgp.pif", pgpDir_ + "pgp.exe",
                                                   "pgp.pif", "pgp.exe"}));
}

TEST_F(PgpSearch, KeepOpenZeroTriesOnlyExe) {
  ASSERT_TRUE(WriteFileBytes(pgpDir_ + "pgp.pif", "pif"));  // not a candidate without Windows' console
  ASSERT_TRUE(WriteFileBytes(workDir_ + "\\pgp.exe", "MZ"));
  settings.KeepOpen = 0;
  EXPECT_TRUE(FindPgpProgram());
  EXPECT_STREQ(pgpProgramPath, "pgp.exe");
  EXPECT_EQ(TriedList(), (std::vector<std::string>{pgpDir_ + "pgp.exe", "pgp.exe"}));
}

TEST_F(PgpSearch, FirstExistingCandidateEndsTheSearch) {
  ASSERT_TRUE(WriteFileBytes(pgpDir_ + "pgp.pif", "pif"));
  settings.KeepOpen = -1;
  EXPECT_TRUE(FindPgpProgram());
  EXPECT_EQ(std::string(pgpProgramPath), pgpDir_ + "pgp.pif");
  EXPECT_EQ(TriedList(), std::vector<std::string>{pgpDir_ + "pgp.pif"});
}

TEST_F(PgpSearch, ProgPgpWithoutDriveIsTriedUnderPgpPathFirst) {
  MakeDir("work\\pgp263");
  ASSERT_TRUE(WriteFileBytes(workDir_ + "\\pgp263\\pgp.exe", "MZ"));
  SetText(&settings.ProgPGP, "pgp263\\pgp.exe");
  EXPECT_TRUE(FindPgpProgram());
  EXPECT_STREQ(pgpProgramPath, "pgp263\\pgp.exe");
  EXPECT_EQ(TriedList(), (std::vector<std::string>{pgpDir_ + "pgp263\\pgp.exe", "pgp263\\pgp.exe"}));

  LoadText(IDS_PGP_NOT_FOUND, sharedMessageBuffer, kMessageBufferSize);
  MakeDir("pgp\\pgp263");
  ASSERT_TRUE(WriteFileBytes(pgpDir_ + "pgp263\\pgp.exe", "MZ"));
  EXPECT_TRUE(FindPgpProgram());
  EXPECT_EQ(std::string(pgpProgramPath), pgpDir_ + "pgp263\\pgp.exe");
}

TEST_F(PgpSearch, ProgPgpWithDriveIsTheOnlyCandidate) {
  ASSERT_TRUE(WriteFileBytes(workDir_ + "\\pgp.exe", "MZ"));
  SetText(&settings.ProgPGP, "C:\\tavix-nowhere\\PGP.EXE");
  EXPECT_FALSE(FindPgpProgram());
  EXPECT_STREQ(pgpProgramPath, "C:\\tavix-nowhere\\PGP.EXE");
  EXPECT_EQ(TriedList(), std::vector<std::string>{"C:\\tavix-nowhere\\PGP.EXE"});
}

TEST_F(PgpSearch, LongPgpPathIsFound) {
  std::string longDir = pgpDir_;
  for (int i = 0; longDir.size() < 140; ++i) {
    longDir += "level-" + std::to_string(i);
    CreateDirectoryA(longDir.c_str(), nullptr);
    longDir += "\\";
  }
  ASSERT_TRUE(WriteFileBytes(longDir + "pgp.exe", "MZ"));
  SetText(&settings.PGPPATH, longDir.c_str());
  settings.KeepOpen = 0;
  EXPECT_TRUE(FindPgpProgram());
  EXPECT_EQ(std::string(pgpProgramPath), longDir + "pgp.exe");
}

TEST_F(PgpSearch, TooLongProgPgpIsRefusedNotCut) {
  const std::string head = sharedMessageBuffer;
  // Cut to 255 characters this would name an existing program.
  const std::string existing = workDir_ + "\\" + std::string(254 - workDir_.size(), 'p');
  ASSERT_EQ(existing.size(), 255u);
  ASSERT_TRUE(WriteFileBytes(existing, "MZ"));
  SetText(&settings.ProgPGP, (existing + std::string(20, 'p')).c_str());
  EXPECT_FALSE(FindPgpProgram());
  EXPECT_STREQ(pgpProgramPath, "");
  EXPECT_EQ(std::string(sharedMessageBuffer), head);
}
