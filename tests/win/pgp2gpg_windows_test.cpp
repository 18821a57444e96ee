// The GnuPG bridge on Windows with a stand-in for gpg: the process layer's command line,
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

TEST(Pgp2gpgProcessLayer, ArgumentsStatusOutputExitCodeAndTimeLimit) {
  const std::string echoed[] = {"plain", "", "Bob Test", "C:\\My Temp\\", "say \"hi\"", "a\\\"b", "a\\\\b c", "tab\there", "\xFC"};
  std::string expectedOutput;
  for (const std::string& argument : echoed) expectedOutput += argument + '\0';
  std::vector<std::string> echo = {"--fake-exit", "7", "--fake-echo"};
  echo.insert(echo.end(), std::begin(echoed), std::end(echoed));
  struct Case {
    const char* name;
    std::string program;
    std::vector<std::string> arguments;
    unsigned timeoutMs;
    bool started, timedOut;
    uint32_t exitCode;
    std::string status, output;
  } cases[] = {
      {"arguments arrive intact", "gpg_standin.exe", echo, 20000, true, false, 7, "[GNUPG:] FAKE_ECHO\n", expectedOutput},
      {"stopped past the limit", "gpg_standin.exe", {"--fake-sleep", "60000"}, 300, true, true, 0, "", ""},
      {"missing program", "no-such-gpg.exe", {}, 20000, false, false, 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pgp2gpg::ProcessRequest request;
    request.program = support::BesideProgram(c.program);
    request.arguments = {"--status-fd", ""};
    request.arguments.insert(request.arguments.end(), c.arguments.begin(), c.arguments.end());
    request.statusChannelArgument = 1;
    request.captureOutput = true;
    request.timeoutMs = c.timeoutMs;
    const DWORD start = GetTickCount();
    const pgp2gpg::ProcessOutcome outcome = pgp2gpg::RunProcess(request);
    EXPECT_LT(GetTickCount() - start, 30000u);
    EXPECT_EQ(outcome.started, c.started) << outcome.startError;
    EXPECT_EQ(outcome.startError.empty(), c.started);
    EXPECT_EQ(outcome.timedOut, c.timedOut);
    if (c.timedOut || !c.started) continue;
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.output, c.output);
  }
}

TEST(Pgp2gpgProgram, PluginCommandLinesGiveResultFilesAndExitCodesAndLeaveNothingBehind) {
  support::ScopedEnvironment environment{{"TAVIX_GPG", "GNUPGHOME", "PGPPATH", "TAVIX_GPG_TIMEOUT"}};
  const std::string dir = support::MakeScratchDirectory("tavix-pgp2gpg-"), bridge = support::BesideProgram("pgp2gpg.exe");
  ASSERT_TRUE(FileExists(bridge)) << bridge;
  struct Case {
    const char *what, *gpg, *arguments;  // arguments after the program path and one blank
    const char *plain, *armoured;        // TAVIX and TAVIX.asc before the run ("": none)
    int exitCode;
    const char *result, *resultBytes, *gone;  // a file there afterwards, its bytes; one that is not
  } cases[] = {
      {"decode", "gpg_standin.exe", " TAVIX.asc", "stale", "GOOD text\r\n", pgp2gpg::kExitOk, "TAVIX", "GOOD text\r\n", nullptr},
      {"decryption fails: the stale text goes", "gpg_standin.exe", " TAVIX.asc", "stale", "BAD",
       pgp2gpg::kExitDecryptionFailed, nullptr, nullptr, "TAVIX"},
      {"encrypt and wipe", "gpg_standin.exe", "-aetw TAVIX \"Bob Test\"", "hello\r\n", "", pgp2gpg::kExitOk, "TAVIX.asc",
       "-----BEGIN PGP MESSAGE-----\r\nhello\r\n", "TAVIX"},
      {"gpg not found", "no-such-gpg.exe", " TAVIX.asc", "", "GOOD", pgp2gpg::kExitGpgNotFound, nullptr, nullptr, "TAVIX"},
  };
  const std::string plain = dir + "\\TAVIX", armoured = dir + "\\TAVIX.asc";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (*c.plain) { ASSERT_TRUE(support::WriteFileBytes(plain, c.plain)); }
    if (*c.armoured) { ASSERT_TRUE(support::WriteFileBytes(armoured, c.armoured)); }
    SetEnvironmentVariableA("TAVIX_GPG", support::BesideProgram(c.gpg).c_str());
    const support::ProcessRun run = support::RunProcess("\"" + bridge + "\" " + c.arguments, 30000, nullptr, nullptr, dir.c_str());
    ASSERT_TRUE(run.ended) << "start error " << run.startError;
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(c.exitCode));
    if (c.result) { EXPECT_EQ(ReadFileBytes(dir + "\\" + c.result), c.resultBytes); }
    if (c.gone) { EXPECT_FALSE(FileExists(dir + "\\" + c.gone)); }
    // The plug-in wipes both transfer files after every run: nothing the bridge left may stand in its way.
    WipeFile(plain.c_str());
    WipeFile(armoured.c_str());
    EXPECT_FALSE(FileExists(plain) || FileExists(armoured));
  }
  support::RemoveTree(dir);
}

}  // namespace
