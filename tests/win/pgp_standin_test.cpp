// pgp.exe as the plug-in meets it: its log, fault switches, exit codes, wipe and delayed result.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "test_support.h"

namespace {

using support::ReadFileBytes;
const char kText[] = "Meet me at noon.\r\n";
const std::string kMessageStart = "-----BEGIN PGP MESSAGE-----\r\n";  // any encrypted result

class PgpStandinProgram : public ::testing::Test {
 protected:
  void SetUp() override { SetEnvironmentVariableA("TAVIX_PGP_LOG", Path("pgp.log").c_str()); }
  void TearDown() override { support::RemoveTree(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }
  // Runs pgp.exe in the test directory on a fresh TAVIX; returns its exit code.
  DWORD Run(const std::string& arguments) {
    EXPECT_TRUE(support::WriteFileBytes(Path("TAVIX"), kText));
    support::ProcessRun run = support::RunProcess(program_ + " " + arguments, 30000, nullptr, nullptr, dir_.c_str());
    EXPECT_TRUE(run.started && run.ended) << "start error " << run.startError;
    return run.exitCode;
  }

  support::ScopedEnvironment environment_{{"TAVIX_PGP_EXIT", "TAVIX_PGP_NO_RESULT", "TAVIX_PGP_SHORT_RESULT",
                                           "TAVIX_PGP_DELAY_MS", "TAVIX_PGP_CRASH", "TAVIX_PGP_LOG", "PGPPATH"}};
  const std::string dir_ = support::MakeScratchDirectory("tavix-pgpstandin-");
  const std::string program_ = "\"" + support::BesideProgram("pgp.exe") + "\"";
};

TEST_F(PgpStandinProgram, FaultSwitchesAndExitCodesComeAfterTheLog) {
  const std::string record = "[pgp invocation]\ncommand line=" + program_ + " -aetw TAVIX alice\narguments=-aetw "
                             "TAVIX alice\nargument count=3\nargument 1=-aetw\nargument 2=TAVIX\nargument 3=alice\n"
                             "current directory=" + dir_ + "\nPGPPATH is not set\n\n";
  struct Case {
    const char *name, *variable, *value;
    DWORD exitCode;
    std::string result, left;  // TAVIX.asc ("*": begins as a message) and TAVIX afterwards
  } cases[] = {
      {"encrypts and wipes", nullptr, nullptr, 0, "*", ""},
      {"code forced after the work", "TAVIX_PGP_EXIT", "0x10003", 0x10003, "*", ""},
      {"work without its result", "TAVIX_PGP_NO_RESULT", "1", 0, "", ""},
      {"short result", "TAVIX_PGP_SHORT_RESULT", "yes", 0, "--", ""},
      {"crash", "TAVIX_PGP_CRASH", "1", 0xC0000005, "", kText},
      {"bad switch value, refused before any work", "TAVIX_PGP_DELAY_MS", "soon", 5, "", kText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(Path("TAVIX.asc").c_str());
    DeleteFileA(Path("pgp.log").c_str());
    if (c.variable) SetEnvironmentVariableA(c.variable, c.value);
    EXPECT_EQ(Run("-aetw TAVIX alice"), c.exitCode);
    if (c.variable) SetEnvironmentVariableA(c.variable, nullptr);
    const std::string result = ReadFileBytes(Path("TAVIX.asc"));
    EXPECT_EQ(c.result == "*" ? result.substr(0, kMessageStart.size()) : result, c.result == "*" ? kMessageStart : c.result);
    EXPECT_EQ(ReadFileBytes(Path("TAVIX")), c.left);
    EXPECT_EQ(ReadFileBytes(Path("pgp.log")), record);
  }
}

TEST_F(PgpStandinProgram, DelayedResultAppearsWholeAfterExitAndLeavesNoStagedCopy) {
  const DWORD kDelayMs = 1000;
  const std::string result = Path("TAVIX.asc");
  ASSERT_EQ(Run("-aet TAVIX alice"), 0u);  // the result to expect, left behind as a stale one
  const std::string expected = ReadFileBytes(result);
  ASSERT_EQ(expected.substr(0, kMessageStart.size()), kMessageStart);
  SetEnvironmentVariableA("TAVIX_PGP_DELAY_MS", std::to_string(kDelayMs).c_str());
  const DWORD started = GetTickCount();
  ASSERT_EQ(Run("-aet TAVIX alice"), 0u);
  while (!support::FileExists(result) && GetTickCount() - started < 20000) Sleep(5);
  EXPECT_GE(GetTickCount() - started, kDelayMs - 20) << "no result, stale or new, may be there so soon";
  // Read at once and sharing read access only, as the plug-in reads its results.
  HANDLE file = CreateFileA(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char bytes[4096];
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, bytes, sizeof bytes, &got, nullptr)) << "not opened: error " << GetLastError();
  CloseHandle(file);
  EXPECT_EQ(std::string(bytes, got), expected);
  // Once its reader has removed the result, the staged copy goes too.
  DeleteFileA(result.c_str());
  while (support::FileExists(result + ".delayed") && GetTickCount() - started < 30000) Sleep(20);
  EXPECT_FALSE(support::FileExists(result + ".delayed"));
}

}  // namespace
