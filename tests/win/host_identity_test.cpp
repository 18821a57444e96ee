// What later tests rely on of the Eudora stand-in: each identity build's version resource
// and window layout, the delayed main window, the record of what a plug-in did to the host
// (subclass, commands, menus, message boxes) and the scripted answers to its dialogs. The
// plug-in is ems_probe.dll (tests/win/plugins), whose every action is known exactly.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

constexpr DWORD kHostTimeoutMs = 60000;

struct HostRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
  std::vector<std::string> lines;  // with every "+<n> ms" written "+T ms"
};

// A scratch folder with a Plugins folder, holding the probe when asked.
class HostFolder {
 public:
  explicit HostFolder(bool withProbe) : root_(support::MakeScratchDirectory("host-identity-")) {
    CreateDirectoryA(Plugins().c_str(), nullptr);
    if (withProbe)
      probeCopied_ = CopyFileA(support::BesideProgram("ems_probe.dll").c_str(),
                               (Plugins() + "\\ems_probe.dll").c_str(), FALSE) != 0;
  }
  ~HostFolder() { support::RemoveTree(root_); }
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  std::string Plugins() const { return root_ + "\\Plugins"; }
  bool ProbeCopied() const { return probeCopied_; }

  // Runs the stand-in `exe` (relative to the bin folder) on the Plugins folder.
  HostRun Run(const std::string& exe, const std::string& arguments) const {
    std::string outputPath = root_ + "\\stdout.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    HostRun run;
    if (output == INVALID_HANDLE_VALUE) return run;
    support::ProcessRun process = support::RunProcess(
        "\"" + support::BesideProgram(exe) + "\" /plugins \"" + Plugins() + "\" " + arguments,
        kHostTimeoutMs, output);
    CloseHandle(output);
    run.exitCode = process.ended ? process.exitCode : 0xFFFFFFFF;
    run.output = support::ReadFileBytes(outputPath);
    std::regex time("\\+[0-9]+ ms");
    for (const std::string& line : support::SplitLines(run.output))
      run.lines.push_back(std::regex_replace(line, time, "+T ms"));
    return run;
  }

 private:
  std::string root_;
  bool probeCopied_ = false;
};

// The first of `expected` that is missing from `lines` in that order, or "".
std::string FirstMissingInOrder(const std::vector<std::string>& lines,
                                const std::vector<std::string>& expected) {
  size_t at = 0;
  for (const std::string& wanted : expected) {
    while (at < lines.size() && lines[at] != wanted) ++at;
    if (at == lines.size()) return wanted;
    ++at;
  }
  return std::string();
}

std::string LineStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines)
    if (line.compare(0, prefix.size(), prefix) == 0) return line;
  return std::string();
}

std::string VersionValue(const std::string& exe, const char* key) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  std::vector<char> info(size > 0 ? size : 1);
  char* text = nullptr;
  UINT length = 0;
  std::string query = std::string("\\StringFileInfo\\040904E4\\") + key;
  if (size == 0 || !GetFileVersionInfoA(exe.c_str(), 0, size, info.data()) ||
      !VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) ||
      text == nullptr)
    return "<missing>";
  return text;
}

// What the probe does at start-up is answered the same way in most runs.
const std::string kStartUpAnswers = "/answer Probe=ok /answer \"Probe window=yes\" ";

TEST(HostIdentity, EachBuildCarriesItsVersionResourceAndDrawsItsRowsLayout) {
  struct Case {
    const char* folder;
    const char* productName;
    const char* productVersion;
    const char* controlBar;
    const char* menuKeys;
  };
  const char* keys301 = "F120 E100 E12B 8100 801D 8101 8030 803A E132 8048";
  const char* keys305 = "E100 E12B 8100 801D 8101 8030 803A E132 8048";
  const Case cases[] = {
      {"light-301", "Eudora Light", "3.0.1", "AfxControlBar40", keys301},
      {"pro-301", "Eudora Pro", "3.0.1", "AfxControlBar40", keys301},
      {"pro-305", "Eudora Pro", "3.0.5", "AfxControlBar42", keys305},
      {"pro-40b4", "Eudora Pro", "4.0 Beta 4 (build 205)", "AfxControlBar42",
       "E100 E12B 820A 801D 820D 8030 803A E132 8048"},
      {"pro-3012", "Eudora Pro", "3.0.1.2", "AfxControlBar40", keys301},
      {"unknown", "Eudora Web", "7.1", "AfxControlBar42", keys305},
      {"no-product-name", nullptr, "3.0.5", "AfxControlBar42", keys305},
  };
  HostFolder folder(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    std::string exe = std::string("hosts\\") + c.folder + "\\EUDORA.EXE";
    EXPECT_EQ(VersionValue(support::BesideProgram(exe), "ProductName"),
              c.productName != nullptr ? c.productName : "<missing>");
    EXPECT_EQ(VersionValue(support::BesideProgram(exe), "ProductVersion"), c.productVersion);
    HostRun run = folder.Run(exe, "/exit-after 0");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.lines.empty() ? "" : run.lines[0],
              std::string("host: Eudora stand-in ") +
                  (c.productName != nullptr ? "\"" + std::string(c.productName) + "\"" : "null") +
                  " \"" + c.productVersion + "\"");
    // Read back from the live windows: the class, each popup's first item, the bar's place.
    std::string layout = LineStartingWith(run.lines, "host: main window class ");
    EXPECT_TRUE(std::regex_match(
        layout, std::regex(std::string("host: main window class \"EudoraMainWindow\"; menu keys ") +
                           c.menuKeys + "; control bar \"" + c.controlBar +
                           "\" at \\(0,0\\) size [1-9][0-9]*x30 in the client area")))
        << layout;
  }
}

TEST(HostIdentity, MainWindowComesAfterTheDelayWhileThePlugInsTimerTicks) {
  struct Case {
    const char* delay;
    const char* ticked;
  };
  const Case cases[] = {{"", "no"}, {"/main-window-after 700 ", "yes"}};
  HostFolder folder(true);
  ASSERT_TRUE(folder.ProbeCopied());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.delay);
    HostRun run = folder.Run("EUDORA.EXE", std::string(c.delay) + kStartUpAnswers +
                                               "/wait-for msgboxes=2 10000 /close");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(FirstMissingInOrder(
                  run.lines, {"host: main window created at +T ms",
                              std::string("msgbox 2: owner \"EudoraMainWindow\" caption \"Probe "
                                          "window\" text \"init answered 1; timer ticks before "
                                          "the main window: ") + c.ticked + "\" flags 0x4"}),
              "")
        << run.output;
    std::smatch created;
    ASSERT_TRUE(std::regex_search(run.output, created,
                                  std::regex("main window created at \\+([0-9]+) ms")));
    if (*c.delay != '\0') {
      EXPECT_GE(std::stol(created[1]), 700) << run.output;
    }
  }
}

TEST(HostIdentity, ReportsTheSubclassCommandsAndMenuItemsOfAPlugIn) {
  HostFolder folder(true);
  ASSERT_TRUE(folder.ProbeCopied());
  HostRun run = folder.Run("EUDORA.EXE", kStartUpAnswers +
                                             "/wait-for subclass 10000 /wait-for msgboxes=2 10000 "
                                             "/report-menu /close");
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(FirstMissingInOrder(
                run.lines,
                {"host: main window created at +T ms", "host: window procedure replaced at +T ms",
                 "command: sent id 0x8006 lParam 0x0 at +T ms: reached the own procedure",
                 "command: posted id 0x3C4C lParam 0x0 at +T ms: kept from the own procedure",
                 "script: wait-for subclass met at +T ms",
                 "host: window procedure after step 1: replaced",
                 "menu at step 3: 8 \"&Help\" first id 0x8048",
                 "menu at step 3: 8.0 \"&About Eudora...\" id 0x8048 state 0x0",
                 "menu at step 3: 8.1 separator id 0x3C47 state 0x3",
                 "menu at step 3: 8.2 \"About &Probe\" id 0x3C49 state 0x1",
                 "script: close the main window", "ems_probe.dll: ems_plugin_finish -> 0",
                 "host: window procedure own again at +T ms",
                 "host: window procedure at destroy: own",
                 "menu at destroy: 8.2 \"About &Probe\" id 0x3C49 state 0x1",
                 "host: main window destroyed", "host: exit code 0"}),
            "")
      << run.output;
  EXPECT_EQ(run.output.find("ems_plugin_finish"), run.output.rfind("ems_plugin_finish"))
      << "finished more than once: " << run.output;
}

TEST(HostIdentity, RecordsEveryMessageBoxCallAndItsAnswer) {
  struct Case {
    const char* name;
    const char* arguments;
    DWORD exitCode;
    std::vector<std::string> expected;
  };
  const std::string box1 = "msgbox 1: owner none caption \"Probe\" text \"probe init\" flags 0x21";
  auto box2 = [](const char* answer) {
    return std::string("msgbox 2: owner \"EudoraMainWindow\" caption \"Probe window\" text "
                       "\"init answered ") + answer +
           "; timer ticks before the main window: no\" flags 0x4";
  };
  const Case cases[] = {
      {"scripted", "/answer Probe=cancel /answer \"Probe window=no\"", 0,
       {box1, "msgbox 1: answered cancel (2) by script", box2("2"),
        "msgbox 2: answered no (7) by script"}},
      {"fallback and an unused entry", "/answer *=ok /answer Never=ok /answer-fallback yes", 0,
       {box1, "msgbox 1: answered ok (1) by script", box2("1"),
        "msgbox 2: answered yes (6) by fallback",
        "msgbox: script entry 2 \"Never\"=ok answered no box"}},
      {"shown and pressed by the dialog answerer",
       "/dialog Probe|press=cancel /dialog \"Probe window|press=yes\"", 0,
       {box1, "dialog 1: item 2 Button \"Cancel\"", "dialog 1: pressed 2",
        "msgbox 1: answered cancel (2) on the shown box", box2("2"), "dialog 2: pressed 6",
        "msgbox 2: answered yes (6) on the shown box"}},
      {"a button the box does not have", "/answer Probe=yes /answer \"Probe window=no\"", 1,
       {box1, "error: msgbox 1: yes is not a button of a box with flags 0x21",
        "msgbox 1: answered yes (6) by script", box2("6")}},
  };
  HostFolder folder(true);
  ASSERT_TRUE(folder.ProbeCopied());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostRun run = folder.Run("EUDORA.EXE", std::string(c.arguments) +
                                               " /wait-for msgboxes=2 10000 /close");
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_EQ(FirstMissingInOrder(run.lines, c.expected), "") << run.output;
  }
}

TEST(HostIdentity, DialogAnswererPicksALineSetsAnEditAndPresses) {
  struct Case {
    const char* name;
    const char* arguments;
    DWORD exitCode;
    std::vector<std::string> expected;
  };
  const char* config = "/wait-for msgboxes=2 10000 /config-dialog /close";
  auto result = [](const char* text) {
    return std::string("msgbox 3: owner none caption \"Probe result\" text \"") + text +
           "\" flags 0x0";
  };
  const Case cases[] = {
      {"by text", "/dialog \"Probe dialog|pick=gamma|set=102:typed|press=ok\"", 0,
       {"dialog 1: found \"Probe dialog\" at +T ms", "dialog 1: list line 0 \"alpha\" selected",
        "dialog 1: list line 1 \"beta\"", "dialog 1: list line 2 \"gamma\"",
        "dialog 1: picked line 2 \"gamma\"", "dialog 1: set item 102 \"typed\"",
        "dialog 1: item 102 Edit \"typed\"", "dialog 1: item 103 Static \"gamma\"",
        "dialog 1: pressed 1", result("dialog ended 1; line 2 \\\"gamma\\\"; edit \\\"typed\\\"")}},
      {"by position, cancelled", "/dialog \"Probe dialog|pick=#1|press=cancel\"", 0,
       {"dialog 1: picked line 1 \"beta\"", "dialog 1: item 103 Static \"beta\"",
        "dialog 1: pressed 2", result("dialog ended 2; line 1 \\\"beta\\\"; edit \\\"\\\"")}},
      {"a line that is not there", "/dialog \"Probe dialog|pick=delta|press=ok\"", 1,
       {"error: dialog 1: no list line \"delta\"", "dialog 1: pressed 1",
        result("dialog ended 1; line 0 \\\"alpha\\\"; edit \\\"\\\"")}},
  };
  HostFolder folder(true);
  ASSERT_TRUE(folder.ProbeCopied());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostRun run = folder.Run("EUDORA.EXE", kStartUpAnswers + "/answer \"Probe result=ok\" " +
                                               c.arguments + " " + config);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
    EXPECT_EQ(FirstMissingInOrder(run.lines, c.expected), "") << run.output;
  }
}

TEST(HostIdentity, DialogThatNeverComesEndsItsWaitWithAnError) {
  HostFolder folder(true);
  ASSERT_TRUE(folder.ProbeCopied());
  HostRun run = folder.Run("EUDORA.EXE", kStartUpAnswers +
                                             "/dialog \"Never shown|press=ok\" /dialog-timeout 300 "
                                             "/wait-for dialogs 10000 /close");
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_EQ(FirstMissingInOrder(run.lines, {"error: dialog 1: \"Never shown\" not seen within 300 ms",
                                            "script: wait-for dialogs met at +T ms",
                                            "host: main window destroyed"}),
            "")
      << run.output;
}

TEST(HostIdentity, RefusesAWrongScriptWithItsReason) {
  struct Case {
    const char* arguments;
    const char* message;
  };
  const Case cases[] = {
      {"/main-window-after soon", "/main-window-after needs milliseconds from 0 to 600000, not \"soon\""},
      {"/answer Probe", "/answer needs <caption>=<button>, not \"Probe\""},
      {"/answer Probe=maybe", "/answer: unknown button \"maybe\""},
      {"/dialog \"Probe dialog|pick=beta\"", "/dialog \"Probe dialog\" needs press=<button> as its last action"},
      {"/dialog \"Probe dialog|press=ok|pick=beta\"", "/dialog: press= must be the last action"},
      {"/dialog \"Probe dialog|click=ok\"", "/dialog: unknown action \"click=ok\" (pick=, set= or press=)"},
      {"/wait-for attach 100", "/wait-for: unknown condition \"attach\""},
      {"/wait-for command=3G4C 100", "/wait-for command=<id> needs a hexadecimal id, not \"command=3G4C\""},
  };
  HostFolder folder(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    HostRun run = folder.Run("EUDORA.EXE", c.arguments);
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(LineStartingWith(run.lines, "EUDORA.EXE: ").substr(0, 12 + strlen(c.message)),
              std::string("EUDORA.EXE: ") + c.message);
  }
}

}  // namespace
