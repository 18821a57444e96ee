// The Eudora stand-in EUDORA.EXE, run as a child process with a Plugins folder holding a
// copy of the real Tavix32.dll: the EMS calls it makes, in Eudora's order, with what the
// plug-in answered; its windows, menus and identity; and how it treats bad input.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

constexpr DWORD kHostTimeoutMs = 60000;

using support::ReadFileBytes;
using support::RemoveTree;
using support::SplitLines;
using support::WriteFileBytes;

// Texts of the visible windows of a process, to explain a host that did not end.
std::string VisibleWindowTexts(DWORD processId) {
  struct Search {
    DWORD processId;
    std::string texts;
  } search = {processId, std::string()};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
        char text[256] = "";
        GetWindowTextA(window, text, sizeof text);
        s->texts += std::string(" [") + text;
        HWND label = GetDlgItem(window, 0xFFFF);  // a message box's text
        if (label != nullptr && GetWindowTextA(label, text, sizeof text) > 0)
          s->texts += std::string(": ") + text;
        s->texts += "]";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.texts;
}

struct HostRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // what the host wrote to standard output
  std::vector<std::string> lines;
};

// This process's environment with PGPPATH naming the bin folder, where the PGP stand-in
// lives: a plug-in that looks for PGP while the host runs finds one without asking.
std::vector<char> HostEnvironment() {
  std::vector<char> block;
  char* strings = GetEnvironmentStringsA();
  for (const char* entry = strings; entry != nullptr && *entry; entry += strlen(entry) + 1) {
    if (_strnicmp(entry, "PGPPATH=", 8) == 0) continue;
    block.insert(block.end(), entry, entry + strlen(entry) + 1);
  }
  if (strings != nullptr) FreeEnvironmentStringsA(strings);
  std::string pgpPath = "PGPPATH=" + support::ProgramDirectory();
  block.insert(block.end(), pgpPath.c_str(), pgpPath.c_str() + pgpPath.size() + 1);
  block.push_back('\0');
  return block;
}

// One test's folders: <temp>\Plugins holding a copy of the real plug-in, <temp>\Config.
class HostFolder {
 public:
  HostFolder() {
    root_ = support::MakeScratchDirectory("eudora-standin-");
    CreateDirectoryA(Plugins().c_str(), nullptr);
    CreateDirectoryA(Config().c_str(), nullptr);
    pluginCopied_ = CopyFileA(support::BesideProgram("Tavix32.dll").c_str(),
                              (Plugins() + "\\Tavix32.dll").c_str(), FALSE) != 0;
  }
  ~HostFolder() { RemoveTree(root_); }
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  std::string Path(const std::string& name) const { return root_ + "\\" + name; }
  std::string OutputPath() const { return Path("stdout.txt"); }
  std::string Plugins() const { return Path("Plugins"); }
  std::string Config() const { return Path("Config"); }
  bool PluginCopied() const { return pluginCopied_; }

  // Starts EUDORA.EXE with the folders and `arguments`; its stdout goes to a file.
  PROCESS_INFORMATION Start(const std::string& arguments) const {
    PROCESS_INFORMATION process = {};
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(OutputPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(output, INVALID_HANDLE_VALUE);
    std::string command = "\"" + support::BesideProgram("EUDORA.EXE") + "\" /plugins \"" + Plugins() +
                          "\" /config \"" + Config() + "\" " + arguments;
    std::vector<char> commandLine(command.begin(), command.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::vector<char> environment = HostEnvironment();
    BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                  environment.data(), nullptr, &startup, &process);
    EXPECT_TRUE(started) << "CreateProcess failed, error " << GetLastError();
    CloseHandle(output);
    return process;
  }

  // Waits for the host to end (ending it after a timeout) and reads what it wrote.
  HostRun Wait(PROCESS_INFORMATION& process) const {
    HostRun run;
    if (process.hProcess == nullptr) return run;
    if (WaitForSingleObject(process.hProcess, kHostTimeoutMs) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "EUDORA.EXE did not end; its windows:"
                    << VisibleWindowTexts(process.dwProcessId);
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = PROCESS_INFORMATION();
    run.output = ReadFileBytes(OutputPath());
    run.lines = SplitLines(run.output);
    return run;
  }

  HostRun Run(const std::string& arguments) const {
    PROCESS_INFORMATION process = Start(arguments);
    return Wait(process);
  }

 private:
  std::string root_;
  bool pluginCopied_ = false;
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The first line starting with `prefix`, or an empty text.
std::string LineStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines)
    if (line.compare(0, prefix.size(), prefix) == 0) return line;
  return std::string();
}

// The named EMS calls in report order, ems_free left out.
std::vector<std::string> CallOrder(const std::vector<std::string>& lines) {
  std::vector<std::string> calls;
  std::regex call("^Tavix32\\.dll: (ems_[a-z_]+)[( ]");
  std::smatch match;
  for (const std::string& line : lines)
    if (std::regex_search(line, match, call) && match[1] != "ems_free") calls.push_back(match[1]);
  return calls;
}

long ResultOf(const std::string& line) {
  std::smatch match;
  std::regex result("-> (-?[0-9]+)");
  return std::regex_search(line, match, result) ? std::stol(match[1]) : -999;
}

// The scripted translation with two address records, shared by the tests that read it.
class HostStandinRun : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new HostFolder();
    WriteFileBytes(folder_->Path("message.txt"), "Hello Bob,\r\nplain text only.\r\n");
    run_ = new HostRun(folder_->Run(
        "/report \"" + folder_->Path("report.txt") + "\" /translate \"" +
        folder_->Path("message.txt") + "\" \"" + folder_->Path("message.out") +
        "\" /addr alice@example.com \"/addr\" \"bob@example.com|Bob Example|bob\" "
        "/exit-after 0"));
  }
  static void TearDownTestSuite() {
    delete run_;
    delete folder_;
    run_ = nullptr;
    folder_ = nullptr;
  }
  static HostFolder* folder_;
  static HostRun* run_;
};
HostFolder* HostStandinRun::folder_ = nullptr;
HostRun* HostStandinRun::run_ = nullptr;

TEST_F(HostStandinRun, CallsTheEntriesInEudorasOrderAndEndsCleanly) {
  ASSERT_TRUE(folder_->PluginCopied());
  EXPECT_EQ(run_->exitCode, 0u) << run_->output;
  std::vector<std::string> expected = {"ems_plugin_version", "ems_plugin_init",
                                       "ems_translator_info", "ems_can_translate",
                                       "ems_translate_file", "ems_plugin_finish"};
  EXPECT_EQ(CallOrder(run_->lines), expected) << run_->output;
  // The plug-ins start before the main window exists and finish before it is destroyed.
  auto position = [&](const std::string& prefix) {
    for (size_t i = 0; i < run_->lines.size(); ++i)
      if (run_->lines[i].compare(0, prefix.size(), prefix) == 0) return static_cast<long>(i);
    return -1L;
  };
  long window = position("host: main window class");
  ASSERT_GE(window, 0) << run_->output;
  EXPECT_LT(position("Tavix32.dll: ems_translator_info("), window);
  EXPECT_LT(window, position("Tavix32.dll: ems_can_translate("));
  EXPECT_LT(position("Tavix32.dll: ems_plugin_finish"), position("host: main window destroyed"));
  EXPECT_LT(position("host: main window destroyed"), position("Tavix32.dll: unloaded"));
  // The report file holds the same lines as standard output.
  EXPECT_EQ(ReadFileBytes(folder_->Path("report.txt")), run_->output);
}

TEST_F(HostStandinRun, ReportsWhatStartUpAnswered) {
  std::string version = LineStartingWith(run_->lines, "Tavix32.dll: ems_plugin_version");
  EXPECT_EQ(ResultOf(version), 0) << version;
  EXPECT_NE(version.find("apiVersion 2"), std::string::npos) << version;

  std::string init = LineStartingWith(run_->lines, "Tavix32.dll: ems_plugin_init(");
  EXPECT_NE(init.find("configDir " + Quoted(folder_->Config()) + ")"), std::string::npos) << init;
  EXPECT_EQ(ResultOf(init), 0) << init;
  EXPECT_NE(init.find("numTrans 1;"), std::string::npos) << init;
  EXPECT_NE(init.find("id 500;"), std::string::npos) << init;
  EXPECT_TRUE(std::regex_search(init, std::regex("description block 0x[0-9a-f]+ "
                                                 "\"Tavix Light  [^\"]+, v1\\.28\";")))
      << init;
  EXPECT_TRUE(std::regex_search(init, std::regex("icon block 0x[0-9a-f]+ holds icon "
                                                 "0x[0-9a-f]+ \\(valid\\)")))
      << init;

  std::string info = LineStartingWith(run_->lines, "Tavix32.dll: ems_translator_info(translator 1)");
  EXPECT_EQ(ResultOf(info), 0) << info;
  EXPECT_NE(info.find("; type 16; subtype 1; flags 4; description block "), std::string::npos)
      << info;
  EXPECT_NE(info.find(" \"PGP functions\"; icon block "), std::string::npos) << info;
  EXPECT_NE(info.find("(valid)"), std::string::npos) << info;
}

TEST_F(HostStandinRun, AsksTheTranslationOnRequestWithTheAddressRecords) {
  std::string can = LineStartingWith(run_->lines, "Tavix32.dll: ems_can_translate(");
  EXPECT_NE(can.find("(context 4, translator 1) -> 10"), std::string::npos) << can;

  std::string translate = LineStartingWith(run_->lines, "Tavix32.dll: ems_translate_file(");
  EXPECT_NE(translate.find("(context 4, translator 1, in " +
                           Quoted(folder_->Path("message.txt")) + ", out " +
                           Quoted(folder_->Path("message.out")) + ", addresses 2 "
                           "{\"alice@example.com\", null, null} "
                           "{\"bob@example.com\", \"Bob Example\", \"bob\"})"),
            std::string::npos)
      << translate;
  // The scripted step runs before the plug-in's first timer tick: it has not attached to
  // the main window yet and refuses the work.
  EXPECT_EQ(ResultOf(translate), 1) << translate;
  EXPECT_TRUE(std::regex_search(
      LineStartingWith(run_->lines, "Tavix32.dll:   outMime block "),
      std::regex(" version block 0x[0-9a-f]+ \"1\\.0\" type block 0x[0-9a-f]+ \"text\" "
                 "subtype block 0x[0-9a-f]+ \"plain\" params none$")))
      << run_->output;
  EXPECT_EQ(LineStartingWith(run_->lines, "Tavix32.dll:   output file "),
            "Tavix32.dll:   output file not written");
  EXPECT_EQ(GetFileAttributesA(folder_->Path("message.out").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HostStandinRun, GivesEveryBlockBackBeforeTheNextCall) {
  // Addresses may be reused after a free, so blocks are matched in report order.
  std::regex blockPattern("block (0x[0-9a-f]+)");
  std::map<std::string, int> outstanding;
  int received = 0;
  for (const std::string& line : run_->lines) {
    bool isFree = line.find(": ems_free(") != std::string::npos;
    bool isCall = !isFree && std::regex_search(line, std::regex("^Tavix32\\.dll: ems_"));
    if (isCall) {
      for (const auto& entry : outstanding)
        EXPECT_EQ(entry.second, 0) << "block " << entry.first << " still held at: " << line;
    }
    for (std::sregex_iterator it(line.begin(), line.end(), blockPattern), end; it != end; ++it) {
      std::string block = (*it)[1];
      if (isFree) {
        EXPECT_GT(outstanding[block], 0) << "freed without being received: " << line;
        --outstanding[block];
        EXPECT_EQ(ResultOf(line), 0) << line;
      } else {
        ++outstanding[block];
        ++received;
      }
    }
  }
  // Description and icon of init and of the translator, the MIME record and its 3 texts.
  EXPECT_EQ(received, 8) << run_->output;
  for (const auto& entry : outstanding) EXPECT_EQ(entry.second, 0) << "never freed: " << entry.first;
}

TEST(HostStandin, MainWindowHasTheMenuKeysAndTheTopControlBar) {
  HostFolder folder;
  HostRun run = folder.Run("/exit-after 0");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  std::string layout = LineStartingWith(run.lines, "host: main window class ");
  EXPECT_TRUE(std::regex_search(
      layout, std::regex("^host: main window class \"EudoraMainWindow\"; "
                         "menu keys E100 E12B 8100 801D 8101 8030 803A E132 8048; "
                         "control bar \"AfxControlBar42\" at \\(0,0\\) size [1-9][0-9]*x30 "
                         "in the client area$")))
      << layout;
  // Without scripted steps the plug-in still gets its finish when the window closes.
  EXPECT_EQ(CallOrder(run.lines),
            (std::vector<std::string>{"ems_plugin_version", "ems_plugin_init",
                                      "ems_translator_info", "ems_plugin_finish"}))
      << run.output;
}

// The first visible top-level window of class `className` that belongs to the process.
HWND WaitForProcessWindow(DWORD processId, const char* className, int tries = 1000) {
  for (int i = 0; i < tries; ++i) {
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(nullptr, candidate, className, nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == processId && IsWindowVisible(candidate)) return candidate;
    }
    if (i + 1 < tries) Sleep(20);
  }
  return nullptr;
}

TEST(HostStandin, WindowSeenFromOutsideAndClosedLikeByTheUser) {
  HostFolder folder;
  PROCESS_INFORMATION process = folder.Start("");
  ASSERT_NE(process.hProcess, nullptr);
  HWND mainWindow = WaitForProcessWindow(process.dwProcessId, "EudoraMainWindow");
  EXPECT_NE(mainWindow, nullptr);
  if (mainWindow != nullptr) {
    // The bar is a direct child along the top edge of the client area, as wide as it.
    HWND bar = FindWindowExA(mainWindow, nullptr, "AfxControlBar42", nullptr);
    EXPECT_NE(bar, nullptr);
    RECT barRect = {}, client = {};
    GetWindowRect(bar, &barRect);
    GetClientRect(mainWindow, &client);
    POINT origin = {0, 0};
    ClientToScreen(mainWindow, &origin);
    EXPECT_EQ(barRect.top, origin.y);
    EXPECT_EQ(barRect.left, origin.x);
    EXPECT_EQ(barRect.right - barRect.left, client.right);
    EXPECT_EQ(barRect.bottom - barRect.top, 30);

    // Special > Message Plug-in Settings: the plug-in's settings, cancelled when shown.
    PostMessageA(mainWindow, WM_COMMAND, 0x9102, 0);
    bool dialogSeen = false;
    std::string configLine;
    for (int i = 0; i < 1000 && configLine.empty(); ++i) {
      configLine = LineStartingWith(SplitLines(ReadFileBytes(folder.OutputPath())),
                                    "Tavix32.dll: ems_plugin_config -> ");
      HWND dialog = WaitForProcessWindow(process.dwProcessId, "#32770", 1);
      if (dialog != nullptr && !dialogSeen) {
        dialogSeen = true;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
      if (configLine.empty()) Sleep(20);
    }
    // Cancel ends the dialog with 2; a plug-in that shows nothing answers 0.
    EXPECT_EQ(ResultOf(configLine), dialogSeen ? 2 : 0) << configLine;
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  }
  HostRun run = folder.Wait(process);
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(CallOrder(run.lines),
            (std::vector<std::string>{"ems_plugin_version", "ems_plugin_init",
                                      "ems_translator_info", "ems_plugin_config",
                                      "ems_plugin_finish"}))
      << run.output;
  EXPECT_EQ(ResultOf(LineStartingWith(run.lines, "Tavix32.dll: ems_plugin_finish")), 0);
}

TEST(HostStandin, CarriesTheEudoraIdentityAndAttachmentMarker) {
  std::string exe = support::BesideProgram("EUDORA.EXE");
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));
  auto value = [&](const char* key) {
    char* text = nullptr;
    UINT length = 0;
    std::string query = std::string("\\StringFileInfo\\040904E4\\") + key;
    if (!VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) ||
        text == nullptr)
      return std::string("<missing>");
    return std::string(text);
  };
  EXPECT_EQ(value("ProductName"), "Eudora Pro");
  EXPECT_EQ(value("ProductVersion"), "3.0.5");

  HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  char marker[64] = "";
  EXPECT_GT(LoadStringA(module, 1410, marker, sizeof marker), 0);
  EXPECT_STREQ(marker, "Attachment Converted: ");
  FreeLibrary(module);
}

TEST(HostStandin, RefusesAWrongCommandLineWithItsReason) {
  HostFolder folder;
  HostRun run = folder.Run("/translate only-one-file");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(run.output.find("/translate needs an input and an output file name"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("/exit-after <ms>"), std::string::npos) << "usage text missing";
  EXPECT_EQ(LineStartingWith(run.lines, "Tavix32.dll:"), "") << "a plug-in was loaded";

  run = folder.Run("/wait 10x");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(run.output.find("/wait needs milliseconds from 0 to 600000, not \"10x\""),
            std::string::npos)
      << run.output;
  run = folder.Run("/addr \"|Only A Name\"");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(run.output.find("/addr needs a non-empty address"), std::string::npos) << run.output;
}

TEST(HostStandin, LeavesFilesAloneWhenATranslationCannotBeAsked) {
  HostFolder folder;
  ASSERT_TRUE(WriteFileBytes(folder.Path("in.txt"), "message\r\n"));
  ASSERT_TRUE(WriteFileBytes(folder.Path("taken.out"), "someone else's file\r\n"));
  HostRun run = folder.Run("/translate \"" + folder.Path("missing.txt") + "\" \"" +
                           folder.Path("new.out") + "\" /translate \"" + folder.Path("in.txt") +
                           "\" \"" + folder.Path("taken.out") + "\" /exit-after 0");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_NE(LineStartingWith(run.lines, "error: Tavix32.dll: input file \"" +
                                            folder.Path("missing.txt") + "\" not found"),
            "")
      << run.output;
  EXPECT_NE(LineStartingWith(run.lines, "error: Tavix32.dll: output file \"" +
                                            folder.Path("taken.out") + "\" already exists"),
            "")
      << run.output;
  EXPECT_EQ(ReadFileBytes(folder.Path("taken.out")), "someone else's file\r\n");
  EXPECT_EQ(ReadFileBytes(folder.Path("in.txt")), "message\r\n");
  // Neither translation reached the plug-in, and the plug-in still finished.
  EXPECT_EQ(CallOrder(run.lines),
            (std::vector<std::string>{"ems_plugin_version", "ems_plugin_init",
                                      "ems_translator_info", "ems_plugin_finish"}))
      << run.output;
}

TEST(HostStandin, SkipsDllsThatAreNoEmsPlugIns) {
  HostFolder folder;
  // Sorted before Tavix32.dll, so a failed load must not stop the folder scan.
  ASSERT_TRUE(WriteFileBytes(folder.Plugins() + "\\Broken.dll", "not a module"));
  char system[MAX_PATH] = "";
  ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
  ASSERT_TRUE(CopyFileA((std::string(system) + "\\version.dll").c_str(),
                        (folder.Plugins() + "\\Other.dll").c_str(), FALSE));
  HostRun run = folder.Run("/exit-after 0");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_NE(LineStartingWith(run.lines, "error: Broken.dll: cannot be loaded"), "") << run.output;
  EXPECT_NE(LineStartingWith(run.lines, "Other.dll: not an EMS plug-in, missing: ems_plugin_version "),
            "")
      << run.output;
  EXPECT_EQ(run.output.find("Other.dll: ems_"), std::string::npos) << run.output;
  EXPECT_EQ(ResultOf(LineStartingWith(run.lines, "Tavix32.dll: ems_plugin_init(")), 0)
      << run.output;
  EXPECT_EQ(ResultOf(LineStartingWith(run.lines, "Tavix32.dll: ems_plugin_finish")), 0)
      << run.output;
}

}  // namespace
