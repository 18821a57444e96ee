// The GnuPG bridge on Windows, with a stand-in for gpg: the process layer's command line,
// status handle, output pipe, exit code and time limit, and pgp2gpg.exe started the way
// the plug-in starts PGP.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "bridge_exit_codes.h"
#include "pgp/transfer_files.h"
#include "process_runner.h"
#include "test_support.h"

namespace {

using support::FileExists;
using support::ReadFileBytes;
using support::WriteFileBytes;

std::vector<std::string> SplitAtNul(const std::string& text) {
  std::vector<std::string> items;
  for (size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos;
       start = end + 1) {
    items.push_back(text.substr(start, end - start));
  }
  return items;
}

pgp2gpg::ProcessRequest StandinRequest(std::vector<std::string> arguments) {
  pgp2gpg::ProcessRequest request;
  request.program = support::BesideProgram("gpg_standin.exe");
  request.arguments = {"--status-fd", ""};
  request.arguments.insert(request.arguments.end(), arguments.begin(), arguments.end());
  request.statusChannelArgument = 1;
  request.captureOutput = true;
  request.timeoutMs = 20000;
  return request;
}

}  // namespace

TEST(Pgp2gpgProcessLayer, ArgumentsStatusOutputAndExitCodeArriveIntact) {
  const std::vector<std::string> echoed = {"plain",         "",           "Bob Test",
                                           "C:\\My Temp\\", "say \"hi\"", "a\\\"b",
                                           "a\\\\b c",      "tab\there",  "\xFC"};
  std::vector<std::string> arguments = {"--fake-exit", "7", "--fake-echo"};
  arguments.insert(arguments.end(), echoed.begin(), echoed.end());
  pgp2gpg::ProcessOutcome outcome = pgp2gpg::RunProcess(StandinRequest(arguments));
  ASSERT_TRUE(outcome.started) << outcome.startError;
  EXPECT_FALSE(outcome.timedOut);
  EXPECT_EQ(outcome.exitCode, 7u);
  EXPECT_EQ(outcome.status, "[GNUPG:] FAKE_ECHO\n");
  EXPECT_EQ(SplitAtNul(outcome.output), echoed);
}

TEST(Pgp2gpgProcessLayer, ProgramPastTheLimitIsStopped) {
  pgp2gpg::ProcessRequest request = StandinRequest({"--fake-sleep", "60000"});
  request.timeoutMs = 300;
  const DWORD start = GetTickCount();
  pgp2gpg::ProcessOutcome outcome = pgp2gpg::RunProcess(request);
  ASSERT_TRUE(outcome.started) << outcome.startError;
  EXPECT_TRUE(outcome.timedOut);
  EXPECT_LT(GetTickCount() - start, 30000u);
}

TEST(Pgp2gpgProcessLayer, MissingProgramIsNotStarted) {
  pgp2gpg::ProcessRequest request = StandinRequest({});
  request.program = support::TempDirectory() + "no-such-gpg.exe";
  pgp2gpg::ProcessOutcome outcome = pgp2gpg::RunProcess(request);
  EXPECT_FALSE(outcome.started);
  EXPECT_FALSE(outcome.startError.empty());
}

class Pgp2gpgProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::MakeScratchDirectory("tavix-pgp2gpg-");
    ASSERT_FALSE(dir_.empty());
    bridge_ = support::BesideProgram("pgp2gpg.exe");
    ASSERT_TRUE(FileExists(bridge_)) << bridge_;
  }
  void TearDown() override { support::RemoveTree(dir_); }
  std::string Path(const char* name) const { return dir_ + "\\" + name; }

  std::string dir_;
  std::string bridge_;
  support::ScopedEnvironment environment_{
      {"TAVIX_GPG", "GNUPGHOME", "PGPPATH", "TAVIX_GPG_TIMEOUT"}};
};

TEST_F(Pgp2gpgProgram, PluginCommandLinesGiveResultFilesAndExitCodes) {
  struct Case {
    const char* what;
    const char* gpg;        // TAVIX_GPG, beside this program
    const char* arguments;  // after the program path and one blank, in the transfer folder
    const char* plain;      // TAVIX before the run ("" : none)
    const char* armoured;   // TAVIX.asc before the run ("" : none)
    int exitCode;
    const char* result;  // the file that must exist afterwards, or nullptr
    const char* resultBytes;
    const char* gone;  // a file that must not exist afterwards, or nullptr
  } cases[] = {
      {"decode", "gpg_standin.exe", " TAVIX.asc", "stale", "GOOD text\r\n", pgp2gpg::kExitOk,
       "TAVIX", "GOOD text\r\n", nullptr},
      {"decryption fails; the stale text goes", "gpg_standin.exe", " TAVIX.asc", "stale", "BAD",
       pgp2gpg::kExitDecryptionFailed, nullptr, nullptr, "TAVIX"},
      {"encrypt and wipe", "gpg_standin.exe", "-aetw TAVIX \"Bob Test\"", "hello\r\n", "",
       pgp2gpg::kExitOk, "TAVIX.asc", "-----BEGIN PGP MESSAGE-----\r\nhello\r\n", "TAVIX"},
      {"gpg not found", "no-such-gpg.exe", " TAVIX.asc", "", "GOOD", pgp2gpg::kExitGpgNotFound,
       nullptr, nullptr, "TAVIX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteFileA(Path("TAVIX").c_str());
    DeleteFileA(Path("TAVIX.asc").c_str());
    if (*c.plain) {
      ASSERT_TRUE(WriteFileBytes(Path("TAVIX"), c.plain));
    }
    if (*c.armoured) {
      ASSERT_TRUE(WriteFileBytes(Path("TAVIX.asc"), c.armoured));
    }
    SetEnvironmentVariableA("TAVIX_GPG", support::BesideProgram(c.gpg).c_str());

    support::ProcessRun run = support::RunProcess("\"" + bridge_ + "\" " + c.arguments, 30000,
                                                  nullptr, nullptr, dir_.c_str());
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(c.exitCode));
    if (c.result != nullptr) {
      EXPECT_EQ(ReadFileBytes(Path(c.result)), c.resultBytes);
    }
    if (c.gone != nullptr) {
      EXPECT_FALSE(FileExists(Path(c.gone)));
    }

    // The plug-in wipes both transfer files after every run: nothing the bridge left may
    // stand in its way.
    WipeFile(Path("TAVIX").c_str());
    WipeFile(Path("TAVIX.asc").c_str());
    EXPECT_FALSE(FileExists(Path("TAVIX")));
    EXPECT_FALSE(FileExists(Path("TAVIX.asc")));
  }
}
