// The PGP runner with real child processes: the PGP stand-in (pgp.exe) and the console
// probe (console_probe.exe), both beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/address_list.h"
#include "core/text_utils.h"
#include "pgp/pgp_runner.h"
#include "pgp/pgp_win_finder.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

const char kPrompt[] = "Press any key or click in this window...";
using support::FileExists;
using support::ReadFileBytes;

// The value of the first "key=value" line, or "<missing>".
std::string Field(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return "<missing>";
}

INPUT_RECORD Key(BOOL down) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.wVirtualKeyCode = 'X';
  return record;
}

INPUT_RECORD Mouse(DWORD buttons, DWORD eventFlags) {
  INPUT_RECORD record = {};
  record.EventType = MOUSE_EVENT;
  record.Event.MouseEvent.dwButtonState = buttons;
  record.Event.MouseEvent.dwEventFlags = eventFlags;
  return record;
}

// Watches this process's console from a second thread while the main thread waits: once
// the keypress prompt shows it records the console, sends the events that must not end the
// wait, then (now and then, in case one was flushed) the event that must.
class ConsoleWatch {
 public:
  struct Sighting {
    bool seen = false, waitedThroughIgnored = false;
    std::string title, bottomRow;
    WORD firstAttribute = 0, lastAttribute = 0;
    int right = 0;
    DWORD eventsLeft = 99;
  };
  explicit ConsoleWatch(std::vector<INPUT_RECORD> ignored = {}, INPUT_RECORD ending = Key(TRUE))
      : ignored_(std::move(ignored)), ending_(ending), thread_([this] { Run(); }) {}
  ~ConsoleWatch() { Finish(); }
  const Sighting& Finish() {
    returned_ = true;
    if (thread_.joinable()) thread_.join();
    return seen_;
  }

 private:
  static HANDLE Open(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
  }
  static void Send(HANDLE input, const INPUT_RECORD& record) {
    DWORD written = 0;
    WriteConsoleInputA(input, &record, 1, &written);
  }
  void Run() {
    DWORD lastEnding = 0;
    while (!returned_) {
      Sleep(20);
      HANDLE output = Open("CONOUT$"), input = Open("CONIN$");
      if (output != INVALID_HANDLE_VALUE && input != INVALID_HANDLE_VALUE) Look(input, output, lastEnding);
      if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
      if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    }
  }
  void Look(HANDLE input, HANDLE output, DWORD& lastEnding) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output, &info)) return;
    std::string row(info.srWindow.Right + 1, '\0');
    DWORD read = 0;
    const COORD start = {0, info.srWindow.Bottom}, last = {info.srWindow.Right, info.srWindow.Bottom};
    if (!ReadConsoleOutputCharacterA(output, &row[0], static_cast<DWORD>(row.size()), start, &read)) return;
    row.resize(read);
    if (row.find(kPrompt) == std::string::npos) return;
    if (!seen_.seen) {
      seen_.seen = true;
      seen_.bottomRow = row;
      seen_.right = info.srWindow.Right;
      char title[512] = "";
      GetConsoleTitleA(title, sizeof title);
      seen_.title = title;
      ReadConsoleOutputAttribute(output, &seen_.firstAttribute, 1, start, &read);
      ReadConsoleOutputAttribute(output, &seen_.lastAttribute, 1, last, &read);
      Sleep(150);  // the prompt is painted before the input is flushed: let the flush pass
      if (!ignored_.empty()) {
        for (const INPUT_RECORD& record : ignored_) Send(input, record);
        Sleep(300);
        GetNumberOfConsoleInputEvents(input, &seen_.eventsLeft);
        seen_.waitedThroughIgnored = !returned_;
      }
    }
    if (GetTickCount() - lastEnding > 500) {
      Send(input, ending_);
      lastEnding = GetTickCount();
    }
  }

  std::vector<INPUT_RECORD> ignored_;
  INPUT_RECORD ending_;
  Sighting seen_;
  std::atomic<bool> returned_{false};
  std::thread thread_;
};

class PgpRunner : public testing::Test {
 protected:
  void SetUp() override {
    savedKeepOpen_ = settings.KeepOpen;
    CopyText(savedProgram_, sizeof savedProgram_, pgpProgramPath);
    dir_ = support::MakeScratchDirectory("tavix-runner-");
    ASSERT_FALSE(dir_.empty());
    plain_ = dir_ + "\\TAVIX";
    log_ = dir_ + "\\pgp.log";
    SetEnvironmentVariableA("TAVIX_PGP_LOG", log_.c_str());
    SetEnvironmentVariableA("PGPPATH", dir_.c_str());
    Use(support::BesideProgram("pgp.exe"));
    ASSERT_TRUE(FileExists(pgpProgramPath)) << pgpProgramPath;
    settings.KeepOpen = -1;
  }
  void TearDown() override {
    FreeConsole();
    settings.KeepOpen = savedKeepOpen_;
    CopyText(pgpProgramPath, sizeof pgpProgramPath, savedProgram_);
    support::RemoveTree(dir_);
  }
  static void Use(const std::string& program) {
    CopyText(pgpProgramPath, sizeof pgpProgramPath, program.c_str());
  }
  // A job for "alice" on a fresh plain transfer file.
  PgpJob Job(uint16_t flags) {
    EXPECT_TRUE(support::WriteFileBytes(plain_, "Meet me at noon.\r\n"));
    PgpJob job = {};
    job.flags = flags;
    job.function = Encrypt;
    job.owner = GetDesktopWindow();
    job.inputFile = plain_.c_str();
    CopyText(job.recipients, sizeof job.recipients, "alice");
    EXPECT_GT(BuildArguments(job), 0);
    return job;
  }

  int savedKeepOpen_ = 0;
  char savedProgram_[kPgpProgramPathSize] = "";
  support::ScopedEnvironment environment_{{"TAVIX_PGP_EXIT", "TAVIX_PGP_CRASH", "TAVIX_PGP_LOG",
                                           "PGPPATH", "TAVIX_PROBE_OUT", "TAVIX_PROBE_WAIT_MS"}};
  std::string dir_, log_, plain_;
};

TEST_F(PgpRunner, RunsTheJobsCommandLineAndKeepsTheWholeExitCode) {
  struct Case {
    const char *name, *variable, *value;
    uint16_t flags;
    const char* arguments;  // after the program path; "@" stands for the plain transfer file
    uint32_t code;
    bool succeeded;
  } cases[] = {
      {"encrypt", nullptr, nullptr, kEncryptJob, " -aetw @ alice", 0, true},
      {"decode: two blanks before the file", nullptr, nullptr, kDecodeJob, "  @", 3, false},
      {"failure", "TAVIX_PGP_EXIT", "3", kEncryptJob, " -aetw @ alice", 3, false},
      {"only the low half counts", "TAVIX_PGP_EXIT", "0x10000", kEncryptJob, " -aetw @ alice", 0x10000, true},
      {"crash", "TAVIX_PGP_CRASH", "1", kEncryptJob, " -aetw @ alice", 0xC0000005, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(log_.c_str());
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
    EXPECT_EQ(Field(log, "PGPPATH"), dir_) << "the child inherits the environment";
    EXPECT_EQ(runningCount, 0u);
    EXPECT_EQ(pgpProcessInformation.hProcess, nullptr);
    EXPECT_EQ(pgpProcessInformation.hThread, nullptr);
    EXPECT_NE(pgpProcessInformation.dwProcessId, 0u) << "kept for the console window search";
  }
  EXPECT_FALSE(FileExists(plain_)) << "the last encryption wiped its input";
}

TEST_F(PgpRunner, ProgramThatCannotRunIsNamedAndNoExitCodeIsMade) {
  // The job's arguments take 10 characters: with a path of 244 the line is 255 long.
  const std::string base = "C:\\" + std::string(200, 'p') + "\\";
  const std::string fits = base + std::string(244 - base.size() - 4, 'q') + ".exe";
  const std::string tooLong = base + std::string(245 - base.size() - 4, 'q') + ".exe";
  struct Case {
    const char* name;
    std::string program, message;  // the message is cut to the 255 characters of its buffer
  } cases[] = {
      {"missing", dir_ + "\\no-pgp-here.exe", "File not found:\n  " + dir_ + "\\no-pgp-here.exe"},
      {"255 characters are tried", fits, ("File not found:\n  " + fits).substr(0, 255)},
      {"256 are refused, not cut", tooLong, ("Bad pathname:\n  " + tooLong).substr(0, 255)},
  };
  settings.KeepOpen = 0;  // a console of its own, but no prompt for a run that never started
  for (const Case& c : cases) {
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
  struct Case {
    int keepOpen;
    const char* probeTitle;  // "" : the command line
    bool consoleKept;
  } cases[] = {{-1, "runner test console", true}, {1, "", false}};
  Use(support::BesideProgram("console_probe.exe"));
  const std::string out = dir_ + "\\probe.txt";
  SetEnvironmentVariableA("TAVIX_PROBE_OUT", out.c_str());
  SetEnvironmentVariableA("TAVIX_PROBE_WAIT_MS", "400");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keepOpen);
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SetConsoleTitleA("runner test console");
    const HWND console = GetConsoleWindow();
    settings.KeepOpen = c.keepOpen;
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
    if (c.consoleKept) {  // the probe waits its whole 400 ms there: time enough to sample
      EXPECT_EQ(countSeen.load(), 1u);
      EXPECT_EQ(idSeen.load(), pgpProcessInformation.dwProcessId);
    }
    const std::string seen = ReadFileBytes(out);
    EXPECT_EQ(Field(seen, "console"), "1");
    EXPECT_EQ(Field(seen, "title"), *c.probeTitle ? c.probeTitle : pgpProgramPath + (" " + std::string(job.arguments)));
    EXPECT_EQ(GetConsoleWindow() == console, c.consoleKept);
  }
}

TEST_F(PgpRunner, PromptFollowsKeepOpenAndTheOutcome) {
  struct Case {
    const char* name;
    int keepOpen;
    uint16_t flags;
    const char* exitCode;
    bool prompt;
  } cases[] = {
      {"always with 0", 0, kEncryptJob, "0", true},
      {"failed encryption", 5, kEncryptJob, "1", true},
      {"encryption with only high bits set", 1, kEncryptJob, "0x10000", false},
      {"clearsign", 1, kClearsignJob, "0", false},
      {"decode", 1, kDecodeJob, "0", true},
      {"add key", 1, kAddKeyJob, "0x10000", true},
  };
  for (const Case& c : cases) {
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
    EXPECT_EQ(seen.title, pgpProgramPath + (" " + std::string(job.arguments)));
    EXPECT_EQ(seen.firstAttribute, 0xE4);  // red on bright yellow, the whole row
    EXPECT_EQ(seen.lastAttribute, 0xE4);
    const size_t column = (seen.right - std::strlen(kPrompt)) / 2;
    EXPECT_EQ(seen.bottomRow.find(kPrompt), column) << seen.bottomRow;
  }
}

TEST(WaitForKeypress, OnlyAKeyOrButtonPressEndsTheWaitAndNoConsoleNoWait) {
  FreeConsole();
  const DWORD start = GetTickCount();
  WaitForKeypress();
  EXPECT_LT(GetTickCount() - start, 2000u) << "without a console it returns at once";

  ASSERT_TRUE(AllocConsole());
  ConsoleWatch watch({Key(FALSE), Mouse(0, 0), Mouse(FROM_LEFT_1ST_BUTTON_PRESSED, MOUSE_MOVED),
                      Mouse(RIGHTMOST_BUTTON_PRESSED, DOUBLE_CLICK)},
                     Mouse(FROM_LEFT_1ST_BUTTON_PRESSED, 0));
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
  job.owner = GetDesktopWindow();
  job.exitCode = 0x20003;
  RobotAnswer answer = robot::Expect(" PGP - Encrypt ", IDOK);
  ReportExitCode(job);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(answer.text(), " PGP returned errorcode: 3");
  EXPECT_EQ(answer.buttons(), std::vector<int>{IDOK});
}

TEST(SetOperationCaption, NamesTheFunctionByFlagsThenFunction) {
  struct Case {
    uint16_t flags;
    int32_t function;
    const char *recipients, *caption;
  } cases[] = {
      {0, Encrypt, "", " PGP - Clearsign "},
      {0, Encrypt, "bob", " PGP - Encrypt "},
      {0, Decode, "", " PGP - Decode "},
      {0, CheckSignature, "", " PGP - Check signature "},
      {0, AddKey, "", " PGP - Add key "},
      {0, NothingToDo, "", " PGP - Functions"},
      {0, 9, "", " PGP - Functions"},
      {kCheckSignatureJob, Encrypt, "", " PGP - Encrypt "},
      {kEncryptJob, Decode, "", " PGP - Encrypt "},
      {kClearsignJob, Encrypt, "bob", " PGP - Clearsign "},
      {kEncryptJob | kAlwaysSignBits, Encrypt, "bob", " PGP - "},  // no built-in name
  };
  for (const Case& c : cases) {
    PgpJob job = {};
    job.flags = c.flags;
    job.function = c.function;
    CopyText(job.recipients, sizeof job.recipients, c.recipients);
    std::memset(operationCaption, 'X', sizeof operationCaption);
    SetOperationCaption(job);
    EXPECT_STREQ(operationCaption, c.caption) << std::hex << c.flags << " " << c.function;
  }
}

TEST(BuildArgumentsForAJob, SenderSignsWhenNoUserIsGivenAndOutputIsTheTransferFile) {
  TAddressList addresses, none;
  ASSERT_TRUE(addresses.Add(TAddress::Make("sender@example.org", nullptr, nullptr)));
  ASSERT_TRUE(addresses.Add(TAddress::Make("bob@example.org", nullptr, nullptr)));
  PgpJob job = {};
  job.flags = kClearsignJob | kJobSignAs | kJobOutputFile;
  job.inputFile = "TAVIX";
  job.addresses = &addresses;
  BuildArguments(job);
  EXPECT_EQ(std::string(job.arguments), std::string("-ast +clearsig=on TAVIX -u sender@example.org -o ") + transferFileText);
  SetSignAs(job, "me");
  BuildArguments(job);
  EXPECT_EQ(std::string(job.arguments), std::string("-ast +clearsig=on TAVIX -u me -o ") + transferFileText);
  // Nobody to sign as: the switch goes.
  job.addresses = &none;
  job.signAs[0] = '\0';
  job.flags = kClearsignJob | kJobSignAs;
  EXPECT_EQ(BuildArguments(job), 23);
  EXPECT_EQ(job.flags, kClearsignJob);
}

TEST(TPgpWinFinder, FindsAWindowOfTheGivenThreadAndProcessOnly) {
  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> window{nullptr};
  std::atomic<DWORD> windowThread{0}, idleThread{0};
  std::thread owner([&] {
    HWND made = CreateWindowExA(0, "STATIC", "pgp console stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 50,
                                50, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    window = made;
    windowThread = GetCurrentThreadId();
    WaitForSingleObject(quit, 10000);
    DestroyWindow(made);
  });
  std::thread idle([&] {
    idleThread = GetCurrentThreadId();
    WaitForSingleObject(quit, 10000);
  });
  for (DWORD start = GetTickCount(); (!windowThread || !idleThread) && GetTickCount() - start < 10000;) Sleep(1);
  ASSERT_NE(window.load(), nullptr);
  const DWORD self = GetCurrentProcessId();
  struct Case {
    const char* name;
    DWORD process, thread;
    bool found;
  } cases[] = {{"its window", self, windowThread, true},
               {"another process", self + 4, windowThread, false},
               {"a thread without windows", self, idleThread, false}};
  for (const Case& c : cases) {
    TPgpWinFinder finder(PROCESS_INFORMATION{nullptr, nullptr, c.process, c.thread});
    finder.EnumTopLevel();
    EXPECT_EQ(finder.foundWindow, c.found ? window.load() : nullptr) << c.name;
  }
  SetEvent(quit);
  owner.join();
  idle.join();
  CloseHandle(quit);
}

}  // namespace
