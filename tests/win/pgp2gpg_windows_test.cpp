// The GnuPG bridge's process layer on Windows, with a stand-in for gpg: the command line
// quoting, status handle, output pipe, exit code and time limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "process_runner.h"
#include "test_support.h"

TEST(Pgp2gpgProcessLayer, ArgumentsStatusOutputExitCodeAndTimeLimit) {
  const std::vector<std::string> echoed = {"plain", "", "Bob Test", "C:\\My Temp\\", "say \"hi\"", "a\\\"b",
                                           "a\\\\b c", "tab\there", "\xFC"};
  std::string output;
  for (const std::string& argument : echoed) output += argument + '\0';
  std::vector<std::string> echo = {"--fake-exit", "7", "--fake-echo"};
  echo.insert(echo.end(), echoed.begin(), echoed.end());
  const struct {
    const char* name;
    std::string program;
    std::vector<std::string> arguments;
    unsigned timeoutMs;
    bool started, timedOut;
    uint32_t exitCode;
    std::string status, output;
  } cases[] = {
      {"arguments arrive intact", "gpg_standin.exe", echo, 20000, true, false, 7, "[GNUPG:] FAKE_ECHO\n", output},
      {"stopped past the limit", "gpg_standin.exe", {"--fake-sleep", "60000"}, 300, true, true, 0, "", ""},
      {"missing program", "no-such-gpg.exe", {}, 20000, false, false, 0, "", ""},
  };
  for (const auto& c : cases) {
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
