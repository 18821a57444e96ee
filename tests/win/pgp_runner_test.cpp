// The PGP runner with real child processes: the PGP stand-in (pgp.exe, also tested here for
// what the plug-in relies on) and the console probe (console_probe.exe), both beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/address_list.h"
#include "core/text_utils.h"
#include "pgp/pgp_runner.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

const char kPrompt[] = "Press any key or click in this window...";
const std::string kMessageStart = "-----BEGIN PGP MESSAGE-----\r\n";  // any encrypted result
using support::FileExists;
using support::ReadFileBytes;

// The value of a "key=value" line after the first line, or "<missing>".
std::string Field(const std::string& text, const std::string& key) {
  const size_t at = text.find("\n" + key + "=");
  if (at == std::string::npos) return "<missing>";
  const size_t start = at + key.size() + 2;
  return text.substr(start, text.find_first_of("\r\n", start) - start);
}

INPUT_RECORD Input(WORD type, BOOL keyDown, DWORD buttons = 0, DWORD mouseFlags = 0) {
  INPUT_RECORD record = {};
  record.EventType = type;
  record.Event.KeyEvent.bKeyDown = keyDown;
  record.Event.KeyEvent.wRepeatCount = 1;
  if (type == MOUSE_EVENT) record.Event.MouseEvent = {{0, 0}, buttons, 0, mouseFlags};
  return record;
}

// Watches this process's console from a second thread while the main thread waits: once the
// keypress prompt shows it records the console, sends the events that must not end the wait,
// then, now and then (in case one was flushed), the event that must.
class ConsoleWatch {
 public:
  struct Sighting {
    bool seen = false, waitedThroughIgnored = false;
    std::string title, bottomRow;
    WORD attributes[2] = {0, 0};  // of the row's first and last cell
    int right = 0;
    DWORD eventsLeft = 99;
  } seen;
  explicit ConsoleWatch(std::vector<INPUT_RECORD> ignored = {}, INPUT_RECORD ending = Input(KEY_EVENT, TRUE))
      : ignored_(std::move(ignored)), ending_(ending), thread_([this] { Run(); }) {}
  ~ConsoleWatch() { Finish(); }
  const Sighting& Finish() {
    returned_ = true;
    if (thread_.joinable()) thread_.join();
    return seen;
  }

 private:
  void Run() {
    bool sentIgnored = false;
    for (DWORD lastEnding = 0; !returned_; Sleep(20)) {
      HANDLE output = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0, nullptr);
      HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, 3, nullptr, OPEN_EXISTING, 0, nullptr);
      DWORD count = 0;
      if (output != INVALID_HANDLE_VALUE && input != INVALID_HANDLE_VALUE && PromptShows(output)) {
        if (!sentIgnored && !ignored_.empty()) {
          sentIgnored = true;
          Sleep(150);  // the prompt is painted before the input is flushed: let the flush pass
          WriteConsoleInputA(input, ignored_.data(), static_cast<DWORD>(ignored_.size()), &count);
          Sleep(300);
          GetNumberOfConsoleInputEvents(input, &seen.eventsLeft);
          seen.waitedThroughIgnored = !returned_;
        }
        if (GetTickCount() - lastEnding > 500) {
          WriteConsoleInputA(input, &ending_, 1, &count);
          lastEnding = GetTickCount();
        }
      }
      if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
      if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    }
  }
  bool PromptShows(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output, &info)) return false;
    std::string row(info.srWindow.Right + 1, '\0');
    const COORD ends[2] = {{0, info.srWindow.Bottom}, {info.srWindow.Right, info.srWindow.Bottom}};
    DWORD read = 0;
    if (!ReadConsoleOutputCharacterA(output, &row[0], static_cast<DWORD>(row.size()), ends[0], &read)) return false;
    row.resize(read);
    if (row.find(kPrompt) == std::string::npos) return false;
    if (seen.seen) return true;
    seen.seen = true;
    seen.bottomRow = row;
    seen.right = info.srWindow.Right;
    char title[512] = "";
    GetConsoleTitleA(title, sizeof title);
    seen.title = title;
    for (int i = 0; i < 2; ++i) ReadConsoleOutputAttribute(output, &seen.attributes[i], 1, ends[i], &read);
    return true;
  }

  std::vector<INPUT_RECORD> ignored_;
  INPUT_RECORD ending_;
  std::atomic<bool> returned_{false};
  std::thread thread_;
};

class PgpRunner : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    SetEnvironmentVariableA("TAVIX_PGP_LOG", log_.c_str());
    SetEnvironmentVariableA("PGPPATH", dir_.c_str());
    Use(support::BesideProgram("pgp.exe"));
    ASSERT_TRUE(FileExists(pgpProgramPath)) << pgpProgramPath;
    settings.KeepOpen = -1;
  }
  void TearDown() override {
    FreeConsole();
    settings.KeepOpen = savedKeepOpen_;
    Use(savedProgram_);
    support::RemoveTree(dir_);
  }
  static void Use(const std::string& program) { CopyText(pgpProgramPath, sizeof pgpProgramPath, program.c_str()); }
  // A job for "alice" on a fresh plain transfer file.
  PgpJob Job(uint16_t flags) {
    EXPECT_TRUE(support::WriteFileBytes(plain_, "Meet me at noon.\r\n"));
    PgpJob job = {};
    job.flags = flags;
    job.owner = GetDesktopWindow();
    job.inputFile = plain_.c_str();
    CopyText(job.recipients, sizeof job.recipients, "alice");
    EXPECT_GT(BuildArguments(job), 0);
    return job;
  }
  static std::string CommandLine(const PgpJob& job) { return pgpProgramPath + (" " + std::string(job.arguments)); }

  const int savedKeepOpen_ = settings.KeepOpen;
  const std::string savedProgram_ = pgpProgramPath;
  support::ScopedEnvironment environment_{{"TAVIX_PGP_EXIT", "TAVIX_PGP_CRASH", "TAVIX_PGP_LOG", "TAVIX_PGP_NO_RESULT",
                                           "TAVIX_PGP_SHORT_RESULT", "TAVIX_PGP_DELAY_MS", "PGPPATH",
                                           "TAVIX_PROBE_OUT", "TAVIX_PROBE_WAIT_MS"}};
  const std::string dir_ = support::MakeScratchDirectory("tavix-runner-");
  const std::string plain_ = dir_ + "\\TAVIX", log_ = dir_ + "\\pgp.log";
};

TEST_F(PgpRunner, RunsTheJobsCommandLineKeepsTheWholeExitCodeAndTheFaultAsked) {
  const std::string text = "Meet me at noon.\r\n";
  struct Case {
    const char *name, *variable, *value;
    uint16_t flags;
    const char *arguments, *count;  // after the program path ("@": the plain transfer file); their number
    uint32_t code;
    bool succeeded;
    std::string result, left;  // TAVIX.asc ("*": an encrypted message) and TAVIX afterwards
  } cases[] = {
      {"encrypt and wipe", nullptr, nullptr, kEncryptJob, " -aetw @ alice", "3", 0, true, "*", ""},
      {"decode: two blanks before the file", nullptr, nullptr, kDecodeJob, "  @", "1", 5, false, "", text},
      {"code forced after the work", "TAVIX_PGP_EXIT", "3", kEncryptJob, " -aetw @ alice", "3", 3, false, "*", ""},
      {"only the low half counts", "TAVIX_PGP_EXIT", "0x10000", kEncryptJob, " -aetw @ alice", "3", 0x10000, true, "*", ""},
      {"crash before the work", "TAVIX_PGP_CRASH", "1", kEncryptJob, " -aetw @ alice", "3", 0xC0000005, false, "", text},
      {"work without its result", "TAVIX_PGP_NO_RESULT", "1", kEncryptJob, " -aetw @ alice", "3", 0, true, "", ""},
      {"short result", "TAVIX_PGP_SHORT_RESULT", "yes", kEncryptJob, " -aetw @ alice", "3", 0, true, "--", ""},
      {"bad switch value: refused before the work", "TAVIX_PGP_DELAY_MS", "soon", kEncryptJob, " -aetw @ alice", "3", 5, false, "", text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(log_.c_str());
    DeleteFileA((plain_ + ".asc").c_str());
    if (c.variable) SetEnvironmentVariableA(c.variable, c.value);
    PgpJob job = Job(c.flags);
    job.exitCode = 12345;
    EXPECT_TRUE(RunPgp(job)) << "a non-zero exit code is no failure to run: " << sharedMessageBuffer;
    if (c.variable) SetEnvironmentVariableA(c.variable, nullptr);
    EXPECT_EQ(job.exitCode, c.code);
    EXPECT_EQ(JobSucceeded(job), c.succeeded);
    std::string arguments = c.arguments;
    arguments.replace(arguments.find('@'), 1, plain_);
    const std::string log = ReadFileBytes(log_);
    EXPECT_EQ(Field(log, "command line"), pgpProgramPath + arguments);
    EXPECT_EQ(Field(log, "argument count"), c.count);
    EXPECT_EQ(Field(log, "PGPPATH"), dir_) << "the child inherits the environment";
    const std::string result = ReadFileBytes(plain_ + ".asc");
    EXPECT_EQ(c.result == "*" ? result.substr(0, kMessageStart.size()) : result, c.result == "*" ? kMessageStart : c.result);
    EXPECT_EQ(ReadFileBytes(plain_), c.left);
    EXPECT_EQ(runningCount, 0u);
    EXPECT_EQ(pgpProcessInformation.hProcess, nullptr);
    EXPECT_EQ(pgpProcessInformation.hThread, nullptr);
    EXPECT_NE(pgpProcessInformation.dwProcessId, 0u) << "the ids stay after the run";
  }
}

TEST_F(PgpRunner, ProgramThatCannotRunIsNamedAndNoExitCodeIsMade) {
  // The job's arguments take 10 characters: with a path of 244 the line is 255 long.
  const std::string base = "C:\\" + std::string(200, 'p') + "\\";
  const std::string fits = base + std::string(240 - base.size(), 'q') + ".exe";
  const std::string tooLong = base + std::string(241 - base.size(), 'q') + ".exe";
  const struct {
    const char* name;
    std::string program, message;  // the message is cut to the 255 characters of its buffer
  } cases[] = {{"missing", dir_ + "\\no-pgp.exe", "File not found:\n  " + dir_ + "\\no-pgp.exe"},
               {"255 characters are tried", fits, ("File not found:\n  " + fits).substr(0, 255)},
               {"256 are refused, not cut", tooLong, ("Bad pathname:\n  " + tooLong).substr(0, 255)}};
  settings.KeepOpen = 0;  // a console of its own, but no prompt for a run that never started
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PgpJob job = {};
    job.flags = kCheckSignatureJob;
    job.inputFile = "TAVIX.asc";
    ASSERT_EQ(BuildArguments(job), 10);
    job.exitCode = 77;
    Use(c.program);
    ConsoleWatch watch;
    EXPECT_FALSE(RunPgp(job));
    EXPECT_FALSE(watch.Finish().seen);
    EXPECT_EQ(std::string(sharedMessageBuffer), c.message);
    EXPECT_EQ(job.exitCode, 77u);
    EXPECT_EQ(runningCount, 0u);
    EXPECT_EQ(GetConsoleWindow(), nullptr) << "the run's console is freed";
  }
}

TEST_F(PgpRunner, KeepOpenDecidesWhoseConsolePgpGets) {
  Use(support::BesideProgram("console_probe.exe"));
  const std::string out = dir_ + "\\probe.txt";
  SetEnvironmentVariableA("TAVIX_PROBE_OUT", out.c_str());
  for (int keepOpen : {-1, 1}) {
    SCOPED_TRACE(keepOpen);
    // In a shared console the title never turns into the command line: the probe waits its
    // whole time there. In its own console it stops as soon as the runner has set the title,
    // which on a loaded machine can take long.
    SetEnvironmentVariableA("TAVIX_PROBE_WAIT_MS", keepOpen < 0 ? "400" : "20000");
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SetConsoleTitleA("runner test console");
    const HWND console = GetConsoleWindow();
    settings.KeepOpen = keepOpen;
    PgpJob job = Job(kEncryptJob);
    // While the probe runs, the runner counts it and knows its process.
    std::atomic<bool> done{false};
    std::atomic<DWORD> countSeen{0}, idSeen{0};
    std::thread sampler([&] {
      for (; !done; Sleep(10))
        if (runningCount > 0) countSeen = runningCount, idSeen = pgpProcessInformation.dwProcessId;
    });
    const BOOL ran = RunPgp(job);
    done = true;
    sampler.join();
    ASSERT_TRUE(ran) << sharedMessageBuffer;
    const std::string seen = "\n" + ReadFileBytes(out);
    EXPECT_EQ(Field(seen, "console"), "1");
    if (keepOpen < 0) {  // the probe waits its whole 400 ms there: time enough to sample
      EXPECT_EQ(Field(seen, "title"), "runner test console") << "it shared this console";
      EXPECT_EQ(GetConsoleWindow(), console);
      EXPECT_EQ(countSeen.load(), 1u);
      EXPECT_EQ(idSeen.load(), pgpProcessInformation.dwProcessId);
    } else {
      EXPECT_EQ(Field(seen, "title"), CommandLine(job)) << "a fresh console titled with the command line";
      EXPECT_EQ(GetConsoleWindow(), nullptr) << "and freed afterwards";
    }
  }
}

TEST_F(PgpRunner, PromptFollowsKeepOpenAndTheOutcome) {
  const struct {
    const char* name;
    int keepOpen;
    uint16_t flags;
    const char* exitCode;
    bool prompt;
  } cases[] = {{"always with 0", 0, kEncryptJob, "0", true},        {"failed encryption", 5, kEncryptJob, "1", true},
               {"only high bits set", 1, kEncryptJob, "0x10000", false}, {"clearsign", 1, kClearsignJob, "0", false},
               {"decode", 1, kDecodeJob, "0", true},                  {"add key", 1, kAddKeyJob, "0x10000", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    settings.KeepOpen = c.keepOpen;
    SetEnvironmentVariableA("TAVIX_PGP_EXIT", c.exitCode);
    PgpJob job = Job(c.flags);
    ConsoleWatch watch;
    ASSERT_TRUE(RunPgp(job)) << sharedMessageBuffer;
    const ConsoleWatch::Sighting& seen = watch.Finish();
    EXPECT_EQ(seen.seen, c.prompt);
    EXPECT_EQ(GetConsoleWindow(), nullptr);
    if (!seen.seen) continue;
    EXPECT_EQ(seen.title, CommandLine(job));
    EXPECT_EQ(seen.attributes[0], 0xE4) << "red on bright yellow, the whole row";
    EXPECT_EQ(seen.attributes[1], 0xE4);
    EXPECT_EQ(seen.bottomRow.find(kPrompt), (seen.right - std::strlen(kPrompt)) / 2) << seen.bottomRow;
  }
}

TEST_F(PgpRunner, DelayedResultAppearsWholeAfterExitAndLeavesNoStagedCopy) {
  const std::string result = plain_ + ".asc";
  PgpJob job = Job(kEncryptJob & ~kJobWipe);
  ASSERT_TRUE(RunPgp(job));  // the result to expect, left behind as a stale one
  const std::string expected = ReadFileBytes(result);
  ASSERT_EQ(expected.substr(0, kMessageStart.size()), kMessageStart);
  SetEnvironmentVariableA("TAVIX_PGP_DELAY_MS", "1000");
  const DWORD started = GetTickCount();
  ASSERT_TRUE(RunPgp(job));
  EXPECT_EQ(job.exitCode, 0u);
  while (!FileExists(result) && GetTickCount() - started < 20000) Sleep(5);
  EXPECT_GE(GetTickCount() - started, 980u) << "no result, stale or new, may be there so soon";
  // Read at once and sharing read access only, as the plug-in reads its results.
  HANDLE file = CreateFileA(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char bytes[4096];
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, bytes, sizeof bytes, &got, nullptr)) << "not opened: error " << GetLastError();
  CloseHandle(file);
  EXPECT_EQ(std::string(bytes, got), expected);
  DeleteFileA(result.c_str());  // once its reader has removed the result, the staged copy goes too
  while (FileExists(result + ".delayed") && GetTickCount() - started < 30000) Sleep(20);
  EXPECT_FALSE(FileExists(result + ".delayed"));
}

TEST(WaitForKeypress, OnlyAKeyOrButtonPressEndsTheWaitAndNoConsoleNoWait) {
  FreeConsole();
  const DWORD start = GetTickCount();
  WaitForKeypress();
  EXPECT_LT(GetTickCount() - start, 2000u) << "without a console it returns at once";
  ASSERT_TRUE(AllocConsole());
  ConsoleWatch watch({Input(KEY_EVENT, FALSE), Input(MOUSE_EVENT, FALSE, 0, 0),
                      Input(MOUSE_EVENT, FALSE, FROM_LEFT_1ST_BUTTON_PRESSED, MOUSE_MOVED),
                      Input(MOUSE_EVENT, FALSE, RIGHTMOST_BUTTON_PRESSED, DOUBLE_CLICK)},
                     Input(MOUSE_EVENT, FALSE, FROM_LEFT_1ST_BUTTON_PRESSED, 0));
  WaitForKeypress();
  const ConsoleWatch::Sighting& seen = watch.Finish();
  FreeConsole();
  ASSERT_TRUE(seen.seen);
  EXPECT_TRUE(seen.waitedThroughIgnored);
  EXPECT_EQ(seen.eventsLeft, 0u) << "the ignored events were read, not left waiting";
}

TEST(ReportExitCode, ShowsTheLow16BitsWithTheOperationCaption) {
  PgpJob job = {};
  job.flags = kEncryptJob;
  job.exitCode = 0x20003;
  RobotAnswer answer = robot::Expect(" PGP - Encrypt ", IDOK);
  ReportExitCode(job);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(answer.text(), " PGP returned errorcode: 3");
  EXPECT_EQ(answer.seen().buttons, std::vector<int>{IDOK});
}

TEST(SetOperationCaption, NamesTheFunctionByFlagsThenFunction) {
  const struct {
    uint16_t flags;
    int32_t function;
    const char *recipients, *caption;
  } cases[] = {{0, Encrypt, "", " PGP - Clearsign "},        {0, Encrypt, "bob", " PGP - Encrypt "},
               {0, Decode, "", " PGP - Decode "},            {0, CheckSignature, "", " PGP - Check signature "},
               {0, AddKey, "", " PGP - Add key "},           {0, NothingToDo, "", " PGP - Functions"},
               {0, 9, "", " PGP - Functions"},               {kCheckSignatureJob, Encrypt, "", " PGP - Encrypt "},
               {kEncryptJob, Decode, "", " PGP - Encrypt "}, {kClearsignJob, Encrypt, "bob", " PGP - Clearsign "},
               {kEncryptJob | kAlwaysSignBits, Encrypt, "bob", " PGP - "}};  // no built-in name
  for (const auto& c : cases) {
    PgpJob job = {};
    job.flags = c.flags;
    job.function = c.function;
    CopyText(job.recipients, sizeof job.recipients, c.recipients);
    std::memset(operationCaption, 'X', sizeof operationCaption);
    SetOperationCaption(job);
    EXPECT_STREQ(operationCaption, c.caption) << std::hex << c.flags << " " << c.function;
  }
}

TEST(BuildArgumentsForAJob, TheFirstAddressSignsAndOutputIsTheTransferFile) {
  TAddressList addresses;
  ASSERT_TRUE(addresses.Add(TAddress::Make("sender@example.org", nullptr, nullptr)));
  PgpJob job = {};
  job.flags = kClearsignJob | kJobSignAs | kJobOutputFile;
  job.inputFile = "TAVIX";
  job.addresses = &addresses;
  BuildArguments(job);
  EXPECT_EQ(job.arguments, "-ast +clearsig=on TAVIX -u sender@example.org -o " + std::string(transferFileText));
}

}  // namespace
