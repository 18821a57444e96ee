// The PGP stand-in program as other tests meet it: pgp.exe started as a child process with
// its fault injections, exit codes, invocation log and delayed result.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

using support::FileExists;
using support::ReadFileBytes;
using support::WriteFileBytes;

// The value after "name=" in the last record of the log, or "(missing)".
std::string LastField(const std::string& log, const std::string& name) {
  size_t record = log.rfind("[pgp invocation]\n");
  if (record == std::string::npos) return "(missing)";
  size_t at = log.find("\n" + name + "=", record);
  if (at == std::string::npos) return "(missing)";
  at += name.size() + 2;
  return log.substr(at, log.find('\n', at) - at);
}

class PgpStandinProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::MakeScratchDirectory("tavix-pgpstandin-");
    ASSERT_FALSE(dir_.empty());
    SetEnvironmentVariableA("PGPPATH", (dir_ + "\\").c_str());
    ASSERT_TRUE(WriteFileBytes(Path("secring.txt"), "Alice <alice@example.org>\r\n"));
    program_ = support::BesideProgram("pgp.exe");
    ASSERT_TRUE(FileExists(program_)) << program_;
  }

  void TearDown() override {
    support::RemoveTree(dir_);
  }

  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

  // Runs pgp.exe with the argument text in the test directory and returns its exit code;
  // its console output goes to output.txt there.
  DWORD RunStandin(const std::string& argumentText) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(Path("output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(output, INVALID_HANDLE_VALUE);
    support::ProcessRun run =
        support::RunProcess("\"" + program_ + "\" " + argumentText, 30000, output, nullptr, dir_.c_str());
    CloseHandle(output);
    EXPECT_TRUE(run.started) << run.startError;
    if (!run.started) return 0xFFFFFFFF;
    EXPECT_TRUE(run.ended);
    return run.exitCode;
  }

  std::string Output() const { return ReadFileBytes(Path("output.txt")); }

  support::ScopedEnvironment environment_{{"TAVIX_PGP_EXIT", "TAVIX_PGP_NO_RESULT", "TAVIX_PGP_SHORT_RESULT",
                                           "TAVIX_PGP_DELAY_MS", "TAVIX_PGP_CRASH", "TAVIX_PGP_LOG", "PGPPATH"}};
  std::string dir_;
  std::string program_;
};

const char kText[] = "Meet me at noon.\r\n-- \r\nAlice\r\n";

}  // namespace

TEST_F(PgpStandinProgram, EncryptsDecodesAndLogsEachInvocation) {
  SetEnvironmentVariableA("TAVIX_PGP_LOG", Path("pgp.log").c_str());
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  ASSERT_EQ(RunStandin("-aetw TAVIX bob alice@EXAMPLE.org"), 0u) << Output();
  EXPECT_EQ(ReadFileBytes(Path("TAVIX.asc")).rfind("-----BEGIN PGP MESSAGE-----\r\n", 0), 0u);
  EXPECT_FALSE(FileExists(Path("TAVIX"))) << "w wipes the plain text";

  ASSERT_EQ(RunStandin(" TAVIX.asc"), 0u) << Output();
  EXPECT_EQ(ReadFileBytes(Path("TAVIX")), kText);

  const std::string log = ReadFileBytes(Path("pgp.log"));
  EXPECT_NE(log.find("argument 4=alice@EXAMPLE.org\n"), std::string::npos) << "first record";
  EXPECT_EQ(LastField(log, "command line"), "\"" + program_ + "\"  TAVIX.asc");
  EXPECT_EQ(LastField(log, "arguments"), " TAVIX.asc");
  EXPECT_EQ(LastField(log, "argument count"), "1");
  EXPECT_EQ(LastField(log, "argument 1"), "TAVIX.asc");
  EXPECT_EQ(LastField(log, "current directory"), dir_);
  EXPECT_EQ(LastField(log, "PGPPATH"), dir_ + "\\");
}

TEST_F(PgpStandinProgram, ExitCodesForcedAfterTheWorkAndFromRealFailures) {
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  SetEnvironmentVariableA("TAVIX_PGP_EXIT", "3");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 3u);
  EXPECT_TRUE(FileExists(Path("TAVIX.asc"))) << "the work is done before the forced exit";
  SetEnvironmentVariableA("TAVIX_PGP_EXIT", "0x10000");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 0x10000u);
  SetEnvironmentVariableA("TAVIX_PGP_EXIT", nullptr);

  ASSERT_EQ(RunStandin("-aet TAVIX someone-else"), 0u);
  DeleteFileA(Path("TAVIX").c_str());
  EXPECT_EQ(RunStandin("TAVIX.asc"), 31u) << "not addressed to a key in secring.txt";
  EXPECT_FALSE(FileExists(Path("TAVIX")));

  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  ASSERT_EQ(RunStandin("-ast +clearsig=on TAVIX -u alice"), 0u) << Output();
  std::string signedText = ReadFileBytes(Path("TAVIX.asc"));
  ASSERT_NE(signedText.find("noon"), std::string::npos);
  signedText.replace(signedText.find("noon"), 4, "nine");
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX.asc"), signedText));
  DeleteFileA(Path("TAVIX").c_str());
  EXPECT_EQ(RunStandin("TAVIX.asc"), 30u) << "bad signature";
  EXPECT_FALSE(FileExists(Path("TAVIX")));

  EXPECT_EQ(RunStandin("-aex TAVIX alice"), 5u);
  EXPECT_NE(Output().find("unknown option letter 'x'"), std::string::npos) << Output();
  EXPECT_EQ(RunStandin("GONE.asc"), 2u);
}

TEST_F(PgpStandinProgram, NoResultAndShortResult) {
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  SetEnvironmentVariableA("TAVIX_PGP_NO_RESULT", "1");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 0u);
  EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
  SetEnvironmentVariableA("TAVIX_PGP_NO_RESULT", nullptr);

  SetEnvironmentVariableA("TAVIX_PGP_SHORT_RESULT", "1");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 0u);
  EXPECT_EQ(ReadFileBytes(Path("TAVIX.asc")), "--");
}

TEST_F(PgpStandinProgram, DelayedResultAppearsOnlyAfterExit) {
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  ASSERT_EQ(RunStandin("-aet TAVIX alice"), 0u);
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), "stale result of an earlier run"));
  SetEnvironmentVariableA("TAVIX_PGP_DELAY_MS", "600");
  ASSERT_EQ(RunStandin("TAVIX.asc"), 0u) << Output();
  const DWORD exited = GetTickCount();
  EXPECT_FALSE(FileExists(Path("TAVIX"))) << "neither the old nor the new result is there yet";

  while (!FileExists(Path("TAVIX")) && GetTickCount() - exited < 10000) Sleep(20);
  const DWORD appeared = GetTickCount() - exited;
  ASSERT_TRUE(FileExists(Path("TAVIX"))) << "no result within 10 s";
  EXPECT_GE(appeared, 500u);  // 600 ms after exit, less the tick counter's granularity
  EXPECT_EQ(ReadFileBytes(Path("TAVIX")), kText);
  // The staged copy goes once its reader has removed the result.
  DeleteFileA(Path("TAVIX").c_str());
  for (DWORD since = GetTickCount(); FileExists(Path("TAVIX.delayed")) && GetTickCount() - since < 15000;) Sleep(20);
  EXPECT_FALSE(FileExists(Path("TAVIX.delayed")));
}

TEST_F(PgpStandinProgram, CrashIsAnAccessViolationAfterTheLog) {
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  SetEnvironmentVariableA("TAVIX_PGP_LOG", Path("pgp.log").c_str());
  SetEnvironmentVariableA("TAVIX_PGP_CRASH", "1");
  EXPECT_EQ(RunStandin("-aetw TAVIX alice"), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
  EXPECT_TRUE(FileExists(Path("TAVIX"))) << "nothing was wiped";
  EXPECT_EQ(LastField(ReadFileBytes(Path("pgp.log")), "arguments"), "-aetw TAVIX alice");
}

TEST_F(PgpStandinProgram, BadFaultValueIsRefusedBeforeAnyWork) {
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), kText));
  SetEnvironmentVariableA("TAVIX_PGP_DELAY_MS", "soon");
  EXPECT_EQ(RunStandin("-aet TAVIX alice"), 5u);
  EXPECT_NE(Output().find("TAVIX_PGP_DELAY_MS"), std::string::npos) << Output();
  EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
}

TEST_F(PgpStandinProgram, AddKeyWritesThePublicKeyRing) {
  // A hand-made block: the Base64 of "User-ID: Carol <carol@example.org>\n\n", no checksum line.
  ASSERT_TRUE(WriteFileBytes(Path("TAVIX.asc"),
             "-----BEGIN PGP PUBLIC KEY BLOCK-----\r\nVersion: test\r\n\r\n"
             "VXNlci1JRDogQ2Fyb2wgPGNhcm9sQGV4YW1wbGUub3JnPgoK\r\n"
             "-----END PGP PUBLIC KEY BLOCK-----\r\n"));
  ASSERT_EQ(RunStandin("-ka TAVIX.asc"), 0u) << Output();
  EXPECT_EQ(ReadFileBytes(Path("pubring.txt")), "Carol <carol@example.org>\r\n");
  EXPECT_FALSE(FileExists(Path("TAVIX"))) << "adding keys leaves no result file";
}
