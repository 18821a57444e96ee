// The PGP runner with real child processes: the PGP stand-in (pgp.exe) and the console
// probe (console_probe.exe), both beside this program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "config/pgp_discovery.h"
#include "config/settings.h"
#include "core/pgp_arguments.h"
#include "core/pgp_job.h"
#include "core/text_utils.h"
#include "pgp/pgp_runner.h"
#include "pgp/pgp_win_finder.h"
#include "core/address_list.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

const char kPrompt[] = "Press any key or click in this window...";

using support::FileExists;
using support::ReadFileBytes;
using support::WriteFileBytes;

// The value of the first "key=value" line, or "<missing>".
std::string Field(const std::string& text, const std::string& key) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return "<missing>";
}

// A console of this test's own: the test program may have been started with one.
bool FreshConsole() {
  FreeConsole();
  return AllocConsole() != FALSE;
}

INPUT_RECORD KeyEvent(BOOL down) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.wVirtualKeyCode = 'X';
  record.Event.KeyEvent.uChar.AsciiChar = 'x';
  return record;
}

INPUT_RECORD MouseEvent(DWORD buttons, DWORD eventFlags) {
  INPUT_RECORD record = {};
  record.EventType = MOUSE_EVENT;
  record.Event.MouseEvent.dwButtonState = buttons;
  record.Event.MouseEvent.dwEventFlags = eventFlags;
  return record;
}

// Watches this process's console from a second thread while the main thread runs PGP:
// when the keypress prompt shows, it records what the console looks like, optionally
// sends events that must not end the wait, then a button or key press that must.
class ConsoleWatch {
 public:
  struct Sighting {
    bool seen = false;
    std::string title;
    std::string bottomRow;
    WORD firstAttribute = 0;
    WORD lastAttribute = 0;
    int right = 0;
    bool waitedThroughIgnored = false;  // still waiting after the ignored events...
    DWORD eventsLeft = 99;              // ...which it had read (none left unread)
  };

  explicit ConsoleWatch(std::vector<INPUT_RECORD> ignored = {}, INPUT_RECORD ending = KeyEvent(TRUE))
      : ignored_(std::move(ignored)), ending_(ending), thread_([this] { Run(); }) {}
  ~ConsoleWatch() { Finish(); }

  // Call when the watched call has returned.
  const Sighting& Finish() {
    returned_ = true;
    if (thread_.joinable()) thread_.join();
    return sighting_;
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
      HANDLE output = Open("CONOUT$");
      HANDLE input = Open("CONIN$");
      if (output != INVALID_HANDLE_VALUE && input != INVALID_HANDLE_VALUE) Look(input, output, lastEnding);
      if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
      if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
    }
  }

  void Look(HANDLE input, HANDLE output, DWORD& lastEnding) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(output, &info)) return;
    int width = info.srWindow.Right + 1;
    std::string row(width, '\0');
    DWORD read = 0;
    COORD start = {0, info.srWindow.Bottom};
    if (!ReadConsoleOutputCharacterA(output, &row[0], width, start, &read)) return;
    row.resize(read);
    if (row.find(kPrompt) == std::string::npos) return;

    if (!sighting_.seen) {
      sighting_.seen = true;
      sighting_.bottomRow = row;
      sighting_.right = info.srWindow.Right;
      char title[512] = "";
      GetConsoleTitleA(title, sizeof title);
      sighting_.title = title;
      DWORD count = 0;
      ReadConsoleOutputAttribute(output, &sighting_.firstAttribute, 1, start, &count);
      COORD last = {info.srWindow.Right, info.srWindow.Bottom};
      ReadConsoleOutputAttribute(output, &sighting_.lastAttribute, 1, last, &count);
      // The prompt is painted before the input is flushed: let the flush pass first.
      Sleep(150);
      if (!ignored_.empty()) {
        for (const INPUT_RECORD& record : ignored_) Send(input, record);
        Sleep(300);
        GetNumberOfConsoleInputEvents(input, &sighting_.eventsLeft);
        sighting_.waitedThroughIgnored = !returned_;
      }
    }
    // Sent again now and then in case one was flushed; the wait never hangs the test.
    if (GetTickCount() - lastEnding > 500) {
      Send(input, ending_);
      lastEnding = GetTickCount();
    }
  }

  std::vector<INPUT_RECORD> ignored_;
  INPUT_RECORD ending_;
  Sighting sighting_;
  std::atomic<bool> returned_{false};
  std::thread thread_;
};

class PgpRunner : public testing::Test {
 protected:
  void SetUp() override {
    savedKeepOpen_ = settings.KeepOpen;
    CopyText(savedProgram_, sizeof savedProgram_, pgpProgramPath);
    dir_ = support::MakeScratchDirectory("tavix-runner-");
    ASSERT_TRUE(FileExists(dir_));
    log_ = dir_ + "\\pgp.log";
    SetEnvironmentVariableA("TAVIX_PGP_LOG", log_.c_str());
    SetEnvironmentVariableA("PGPPATH", dir_.c_str());

    standin_ = support::BesideProgram("pgp.exe");
    probe_ = support::BesideProgram("console_probe.exe");
    ASSERT_TRUE(FileExists(standin_)) << standin_;
    UseProgram(standin_);
    settings.KeepOpen = -1;
  }

  void TearDown() override {
    FreeConsole();
    settings.KeepOpen = savedKeepOpen_;
    CopyText(pgpProgramPath, sizeof pgpProgramPath, savedProgram_);
    support::RemoveTree(dir_);
  }

  static void UseProgram(const std::string& path) {
    CopyText(pgpProgramPath, sizeof pgpProgramPath, path.c_str());
  }

  // An encrypt job for "alice" on a fresh plain transfer file in the test directory.
  PgpJob EncryptJob() {
    plain_ = dir_ + "\\TAVIX";
    EXPECT_TRUE(WriteFileBytes(plain_, "Meet me at noon.\r\n"));
    PgpJob job = {};
    job.flags = kEncryptJob;
    job.function = Encrypt;
    job.owner = GetDesktopWindow();
    job.inputFile = plain_.c_str();
    CopyText(job.recipients, sizeof job.recipients, "alice");
    EXPECT_GT(BuildArguments(job), 0);
    return job;
  }

  std::string CommandLineOf(const PgpJob& job) const {
    return std::string(pgpProgramPath) + " " + job.arguments;
  }

  int savedKeepOpen_ = 0;
  char savedProgram_[kPgpProgramPathSize] = "";
  support::ScopedEnvironment environment_{{"TAVIX_PGP_EXIT", "TAVIX_PGP_CRASH", "TAVIX_PGP_LOG", "TAVIX_PGP_NO_RESULT",
                                           "PGPPATH", "TAVIX_PROBE_OUT", "TAVIX_PROBE_WAIT_MS", "TAVIX_PROBE_EXIT"}};
  std::string dir_, log_, standin_, probe_, plain_;
};

TEST_F(PgpRunner, RunsTheJobsCommandLineAndKeepsTheExitCode) {
  PgpJob job = EncryptJob();
  job.exitCode = 12345;
  ASSERT_TRUE(RunPgp(job)) << sharedMessageBuffer;
  EXPECT_EQ(job.exitCode, 0u);
  EXPECT_TRUE(FileExists(plain_ + ".asc")) << "the stand-in encrypted the transfer file";

  std::string log = ReadFileBytes(log_);
  EXPECT_EQ(Field(log, "command line"), CommandLineOf(job));
  EXPECT_EQ(Field(log, "arguments"), job.arguments);
  EXPECT_EQ(Field(log, "argument count"), "3");
  EXPECT_EQ(Field(log, "argument 1"), "-aetw");
  EXPECT_EQ(Field(log, "argument 2"), plain_);
  EXPECT_EQ(Field(log, "argument 3"), "alice");
  EXPECT_EQ(Field(log, "PGPPATH"), dir_) << "the child inherits the environment";

  EXPECT_EQ(runningCount, 0u);
  EXPECT_EQ(pgpProcessInformation.hProcess, nullptr);
  EXPECT_EQ(pgpProcessInformation.hThread, nullptr);
  EXPECT_NE(pgpProcessInformation.dwProcessId, 0u);
}

TEST_F(PgpRunner, DecodeLineHasTwoBlanksBeforeTheFileAndRoundTrips) {
  ASSERT_TRUE(WriteFileBytes(dir_ + "\\secring.txt", "Alice <alice@example.org>\n"));
  PgpJob encrypt = EncryptJob();
  ASSERT_TRUE(RunPgp(encrypt)) << sharedMessageBuffer;
  ASSERT_EQ(encrypt.exitCode, 0u);
  ASSERT_FALSE(FileExists(plain_)) << "-w wiped the plain text";
  DeleteFileA(log_.c_str());

  std::string armoured = plain_ + ".asc";
  PgpJob decode = {};
  decode.flags = kDecodeJob;
  decode.function = Decode;
  decode.inputFile = armoured.c_str();
  ASSERT_EQ(BuildArguments(decode), static_cast<int>(armoured.size() + 1));
  ASSERT_TRUE(RunPgp(decode)) << sharedMessageBuffer;
  EXPECT_EQ(decode.exitCode, 0u);

  std::string log = ReadFileBytes(log_);
  EXPECT_EQ(Field(log, "command line"), std::string(pgpProgramPath) + "  " + armoured);
  EXPECT_EQ(Field(log, "argument count"), "1");
  EXPECT_EQ(ReadFileBytes(plain_), "Meet me at noon.\r\n");
}

TEST_F(PgpRunner, ExitCodesAreKeptWholeAndOnlyTheLowHalfCounts) {
  struct Case {
    const char* variable;
    const char* value;
    uint32_t code;
    bool succeeded;
  } cases[] = {
      {"TAVIX_PGP_EXIT", "0", 0, true},
      {"TAVIX_PGP_EXIT", "3", 3, false},
      {"TAVIX_PGP_EXIT", "0x10000", 0x10000, true},
      {"TAVIX_PGP_CRASH", "1", 0xC0000005, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    SetEnvironmentVariableA(c.variable, c.value);
    PgpJob job = EncryptJob();
    EXPECT_TRUE(RunPgp(job)) << "a non-zero exit code is not a failure to run";
    EXPECT_EQ(job.exitCode, c.code);
    EXPECT_EQ(JobSucceeded(job), c.succeeded);
    EXPECT_EQ(runningCount, 0u);
    SetEnvironmentVariableA(c.variable, nullptr);
  }
}

TEST_F(PgpRunner, MissingProgramGivesFileNotFoundWithThePath) {
  std::string missing = dir_ + "\\no-pgp-here.exe";
  UseProgram(missing);
  settings.KeepOpen = 0;  // a fresh console, but no prompt for a run that never started
  PgpJob job = EncryptJob();
  job.exitCode = 77;
  ConsoleWatch watch;
  EXPECT_FALSE(RunPgp(job));
  EXPECT_FALSE(watch.Finish().seen);
  EXPECT_EQ(std::string(sharedMessageBuffer), "File not found:\n  " + missing);
  EXPECT_EQ(job.exitCode, 77u) << "no exit code for a process that never ran";
  EXPECT_EQ(runningCount, 0u);
  EXPECT_EQ(GetConsoleWindow(), nullptr) << "the console of the run is freed";
}

TEST_F(PgpRunner, CommandLineOver255CharactersIsRefusedNotCut) {
  PgpJob job = {};
  job.flags = kCheckSignatureJob;
  job.inputFile = "TAVIX.asc";
  ASSERT_EQ(BuildArguments(job), 10);
  // Program path + blank + 10 characters: 244 makes 255, 245 makes 256.
  std::string base = "C:\\" + std::string(200, 'p') + "\\";

  std::string fits = base + std::string(244 - base.size() - 4, 'q') + ".exe";
  ASSERT_EQ(fits.size(), 244u);
  UseProgram(fits);
  EXPECT_FALSE(RunPgp(job));
  std::string tried = sharedMessageBuffer;
  EXPECT_EQ(tried.find("Bad pathname"), std::string::npos) << tried;
  EXPECT_NE(tried.find("not found:\n  C:\\ppp"), std::string::npos) << "it was tried: " << tried;

  std::string tooLong = base + std::string(245 - base.size() - 4, 'q') + ".exe";
  UseProgram(tooLong);
  EXPECT_FALSE(RunPgp(job));
  // The message itself is cut to the 255 characters of the buffer.
  EXPECT_EQ(std::string(sharedMessageBuffer), ("Bad pathname:\n  " + tooLong).substr(0, 255));
  EXPECT_EQ(runningCount, 0u);
}

TEST_F(PgpRunner, NegativeKeepOpenLeavesTheConsoleAlone) {
  ASSERT_TRUE(FreshConsole());
  SetConsoleTitleA("runner test console");
  HWND console = GetConsoleWindow();
  UseProgram(probe_);
  std::string out = dir_ + "\\probe.txt";
  SetEnvironmentVariableA("TAVIX_PROBE_OUT", out.c_str());
  SetEnvironmentVariableA("TAVIX_PROBE_WAIT_MS", "400");

  // While the probe runs, the runner counts it and knows its process.
  std::atomic<bool> done{false};
  std::atomic<DWORD> countSeen{0}, idSeen{0};
  std::thread sampler([&] {
    while (!done) {
      if (runningCount > 0) {
        countSeen = runningCount;
        idSeen = pgpProcessInformation.dwProcessId;
      }
      Sleep(10);
    }
  });
  PgpJob job = EncryptJob();
  BOOL ran = RunPgp(job);
  done = true;
  sampler.join();

  ASSERT_TRUE(ran) << sharedMessageBuffer;
  EXPECT_EQ(countSeen.load(), 1u);
  EXPECT_EQ(idSeen.load(), pgpProcessInformation.dwProcessId);
  EXPECT_EQ(runningCount, 0u);
  EXPECT_EQ(GetConsoleWindow(), console) << "no console was freed or allocated";
  char title[256] = "";
  GetConsoleTitleA(title, sizeof title);
  EXPECT_STREQ(title, "runner test console");
  std::string seen = ReadFileBytes(out);
  EXPECT_EQ(Field(seen, "titleIsCommandLine"), "0");
  EXPECT_EQ(Field(seen, "title"), "runner test console") << "the probe shared this console";
}

TEST_F(PgpRunner, PositiveKeepOpenGivesAFreshTitledConsoleWithoutPromptAfterSuccess) {
  ASSERT_TRUE(FreshConsole());
  SetConsoleTitleA("runner test console");
  settings.KeepOpen = 1;
  UseProgram(probe_);
  std::string out = dir_ + "\\probe.txt";
  SetEnvironmentVariableA("TAVIX_PROBE_OUT", out.c_str());

  PgpJob job = EncryptJob();
  ConsoleWatch watch;
  ASSERT_TRUE(RunPgp(job)) << sharedMessageBuffer;
  EXPECT_FALSE(watch.Finish().seen) << "an encryption that succeeded does not wait";
  std::string seen = ReadFileBytes(out);
  EXPECT_EQ(Field(seen, "console"), "1");
  EXPECT_EQ(Field(seen, "titleIsCommandLine"), "1") << Field(seen, "title");
  EXPECT_EQ(GetConsoleWindow(), nullptr) << "the run's console is freed afterwards";
}

TEST_F(PgpRunner, PositiveKeepOpenPromptsAfterFailureOrForJobsThatDoNotEncrypt) {
  settings.KeepOpen = 5;  // any positive value
  struct Case {
    const char* name;
    uint16_t flags;
    const char* exitCode;
    bool prompt;
  } cases[] = {
      {"failed encryption", kEncryptJob, "1", true},
      {"encryption with only high bits set", kEncryptJob, "0x10000", false},
      {"clearsign", kClearsignJob, "0", false},
      {"decode", kDecodeJob, "0", true},
      {"add key", kAddKeyJob, "0x10000", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetEnvironmentVariableA("TAVIX_PGP_EXIT", c.exitCode);
    PgpJob job = EncryptJob();
    job.flags = c.flags;
    ASSERT_GE(BuildArguments(job), 0);
    ConsoleWatch watch;
    ASSERT_TRUE(RunPgp(job)) << sharedMessageBuffer;
    const ConsoleWatch::Sighting& seen = watch.Finish();
    EXPECT_EQ(seen.seen, c.prompt);
    if (c.prompt) {
      EXPECT_EQ(seen.title, CommandLineOf(job));
    }
  }
}

TEST_F(PgpRunner, ZeroKeepOpenAlwaysPromptsOnTheBottomRow) {
  settings.KeepOpen = 0;
  PgpJob job = EncryptJob();
  ConsoleWatch watch;
  ASSERT_TRUE(RunPgp(job)) << sharedMessageBuffer;
  const ConsoleWatch::Sighting& seen = watch.Finish();
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(job.exitCode, 0u);
  EXPECT_EQ(seen.title, CommandLineOf(job));
  EXPECT_EQ(seen.firstAttribute, 0xE4);
  EXPECT_EQ(seen.lastAttribute, 0xE4);
  int length = static_cast<int>(std::strlen(kPrompt));
  int column = (seen.right - length) / 2;
  EXPECT_EQ(seen.bottomRow.find(kPrompt), static_cast<size_t>(column)) << seen.bottomRow;
  EXPECT_EQ(GetConsoleWindow(), nullptr);
}

TEST(WaitForKeypress, KeyUpAndMouseMovesDoNotEndTheWaitAButtonPressDoes) {
  ASSERT_TRUE(FreshConsole());
  ConsoleWatch watch({KeyEvent(FALSE), MouseEvent(0, 0),
                      MouseEvent(FROM_LEFT_1ST_BUTTON_PRESSED, MOUSE_MOVED),
                      MouseEvent(RIGHTMOST_BUTTON_PRESSED, DOUBLE_CLICK)},
                     MouseEvent(FROM_LEFT_1ST_BUTTON_PRESSED, 0));
  WaitForKeypress();
  const ConsoleWatch::Sighting& seen = watch.Finish();
  FreeConsole();
  ASSERT_TRUE(seen.seen);
  EXPECT_TRUE(seen.waitedThroughIgnored);
  EXPECT_EQ(seen.eventsLeft, 0u) << "the ignored events were read, not left waiting";
}

TEST(WaitForKeypress, ReturnsAtOnceWithoutAConsole) {
  FreeConsole();
  DWORD start = GetTickCount();
  WaitForKeypress();
  EXPECT_LT(GetTickCount() - start, 2000u);
}

TEST(ReportExitCode, ShowsTheLow16BitsWithTheOperationCaption) {
  PgpJob job = {};
  job.flags = kEncryptJob;
  job.function = Encrypt;
  job.owner = GetDesktopWindow();
  job.exitCode = 0x20003;
  RobotAnswer answer = robot::Expect(" PGP - Encrypt ", IDOK);
  ReportExitCode(job);
  answer.Wait();
  ASSERT_TRUE(answer.ok()) << answer.error();
  EXPECT_EQ(answer.text(), " PGP returned errorcode: 3");
  EXPECT_EQ(answer.buttons(), std::vector<int>{IDOK});
  EXPECT_STREQ(operationCaption, " PGP - Encrypt ");
}

TEST(SetOperationCaption, NamesTheFunctionByFlagsThenFunction) {
  struct Case {
    uint16_t flags;
    int32_t function;
    const char* recipients;
    const char* caption;
  } cases[] = {
      {0, Encrypt, "", " PGP - Clearsign "},
      {0, Encrypt, "bob", " PGP - Encrypt "},
      {0, Decode, "", " PGP - Decode "},
      {0, CheckSignature, "", " PGP - Check signature "},
      {0, AddKey, "", " PGP - Add key "},
      {0, NothingToDo, "", " PGP - Functions"},
      {0, 9, "", " PGP - Functions"},
      {kDecodeJob, Decode, "", " PGP - Decode "},
      {kAddKeyJob, AddKey, "", " PGP - Add key "},
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
  TAddressList addresses;
  ASSERT_TRUE(addresses.Add(TAddress::Make("sender@example.org", nullptr, nullptr)));
  ASSERT_TRUE(addresses.Add(TAddress::Make("bob@example.org", nullptr, nullptr)));
  PgpJob job = {};
  job.flags = kClearsignJob | kJobSignAs | kJobOutputFile;
  job.inputFile = "TAVIX";
  job.addresses = &addresses;
  BuildArguments(job);
  EXPECT_EQ(std::string(job.arguments),
            std::string("-ast +clearsig=on TAVIX -u sender@example.org -o ") + transferFileText);

  SetSignAs(job, "me");
  BuildArguments(job);
  EXPECT_EQ(std::string(job.arguments),
            std::string("-ast +clearsig=on TAVIX -u me -o ") + transferFileText);

  TAddressList empty;
  job.addresses = &empty;
  job.signAs[0] = '\0';
  job.flags = kClearsignJob | kJobSignAs;
  EXPECT_EQ(BuildArguments(job), 23);
  EXPECT_EQ(job.flags, kClearsignJob);
}

// A window's thread and process identify it; the finder stops at the first match.
TEST(TPgpWinFinder, FindsAWindowOfTheGivenThreadAndProcessOnly) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE quit = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> windowThread{0}, idleThread{0};
  std::atomic<HWND> window{nullptr};
  std::thread owner([&] {
    window = CreateWindowExA(0, "STATIC", "pgp console stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    windowThread = GetCurrentThreadId();
    SetEvent(ready);
    WaitForSingleObject(quit, 10000);
    DestroyWindow(window);
  });
  std::thread idle([&] {
    idleThread = GetCurrentThreadId();
    WaitForSingleObject(quit, 10000);
  });
  WaitForSingleObject(ready, 10000);
  while (idleThread == 0) Sleep(1);
  ASSERT_NE(window.load(), nullptr);

  PROCESS_INFORMATION process = {nullptr, nullptr, GetCurrentProcessId(), windowThread};
  TPgpWinFinder finder(process);
  finder.EnumTopLevel();
  ASSERT_NE(finder.foundWindow, nullptr);
  DWORD processId = 0;
  EXPECT_EQ(GetWindowThreadProcessId(finder.foundWindow, &processId), windowThread.load());
  EXPECT_EQ(processId, GetCurrentProcessId());

  PROCESS_INFORMATION otherProcess = {nullptr, nullptr, GetCurrentProcessId() + 4, windowThread};
  TPgpWinFinder wrongProcess(otherProcess);
  wrongProcess.EnumTopLevel();
  EXPECT_EQ(wrongProcess.foundWindow, nullptr);

  PROCESS_INFORMATION noWindows = {nullptr, nullptr, GetCurrentProcessId(), idleThread};
  TPgpWinFinder windowless(noWindows);
  windowless.EnumTopLevel();
  EXPECT_EQ(windowless.foundWindow, nullptr);

  SetEvent(quit);
  owner.join();
  idle.join();
  CloseHandle(ready);
  CloseHandle(quit);
}

}  // namespace
