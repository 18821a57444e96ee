// The single-instance guard: the shared slot really is shared between processes loading the
// same DLL file (which proves the shared section at run time), a relocated copy asks, and the
// guard's decisions on a slot of the test's own.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include "plugin/ems_types.h"
#include "plugin/instance_guard.h"
#include "test_support.h"
#include "ui_robot.h"

namespace {

const char kQuestion[] = "Another instance of the DLL is still loaded\nTry to kill it?";
const std::string kDll = support::BesideProgram("Tavix32.dll");

std::string Hex(const void* address) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", address);
  return text;
}

// ems_plugin_init of `dll`; true when it asked (answered No).
bool InitAsks(HMODULE dll) {
  auto init = reinterpret_cast<ems_plugin_init_t>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "ems_plugin_init")));
  char dir[] = "C:\\tests";
  RobotAnswer answer = robot::Expect("Tavix Light ", IDNO);
  EXPECT_EQ(init(nullptr, dir, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  return answer.Stop().found;
}

// guard_probe.exe's report as key/value pairs.
std::map<std::string, std::string> RunProbe(const char* mode, HMODULE firstCopy) {
  const std::string report = support::TempDirectory() + "guard_probe_report.txt";
  DeleteFileA(report.c_str());
  const std::string command = "\"" + support::BesideProgram("guard_probe.exe") + "\" \"" + kDll + "\" " + mode +
                              " " + Hex(firstCopy) + " \"" + report + "\"";
  const support::ProcessRun run = support::RunProcess(command, 30000);
  EXPECT_TRUE(run.ended && run.exitCode == 0) << "guard_probe " << mode << ": start error " << run.startError
                                              << ", exit code " << run.exitCode;
  std::map<std::string, std::string> values;
  for (const std::string& line : support::SplitLines(support::ReadFileBytes(report)))  // the C library's CRLF
    if (line.find('=') != std::string::npos) values[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
  DeleteFileA(report.c_str());
  return values;
}

}  // namespace

TEST(GuardAcrossProcesses, OnlyACopyWithAnotherHandleAsksAndYesStopsWithoutFreeingAnything) {
  HMODULE dll = LoadLibraryA(kDll.c_str());
  ASSERT_NE(dll, nullptr);
  ASSERT_FALSE(InitAsks(dll)) << "this process's own copy must not be asked about";
  EXPECT_FALSE(InitAsks(dll)) << "a second call in the same process";
  const struct { const char* mode; const char* asked; const char* init; const char* out; } cases[] = {
      {"same", "0", "0", "1 500 Tavix Light   1"},
      {"no", "1", "0", "1 500 Tavix Light   1"},
      {"yes", "1", "1", "-7 -7 (none) 0"},  // nothing of the start-up ran
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    auto report = RunProbe(c.mode, dll);
    EXPECT_EQ(report["handle"] == Hex(dll), c.mode == std::string("same")) << report["handle"];
    // A question proves that the slot written here was seen by the other process.
    ASSERT_EQ(report["asked"], c.asked) << report["robotError"];
    EXPECT_EQ(report["robotError"], "");
    EXPECT_EQ(report["init"], c.init);
    EXPECT_EQ(report["out"], c.out);
    if (*c.asked == '1') {
      EXPECT_EQ(report["caption"] + "|" + report["text"] + "|" + report["buttons"],
                "Tavix Light |Another instance of the DLL is still loaded\\nTry to kill it?|6 7");
      // The slot holds this process's handle, which names nothing there: nothing was freed.
      EXPECT_EQ(report["stillLoaded"] + report["reservedIntact"], "11");
    }
    EXPECT_FALSE(InitAsks(dll)) << "the slot must still hold this process's copy";
  }
  FreeLibrary(dll);
}

TEST(GuardDecision, AsksOnlyAboutAnotherHandleAndFreesOnlyALoadedCopyOfItself) {
  HMODULE own = LoadLibraryA(kDll.c_str());
  const std::string copyPath = support::TempDirectory() + "tavix_guard_copy.dll";
  ASSERT_TRUE(own && CopyFileA(kDll.c_str(), copyPath.c_str(), FALSE));
  const char* unrelated = "msimg32.dll";
  HMODULE probe = LoadLibraryA(unrelated);  // one FreeLibrary must unload it, or the check is void
  FreeLibrary(probe);
  ASSERT_EQ(GetModuleHandleA(unrelated), nullptr);
  // slot: 0 empty, 1 own, 2 a loaded copy, 3 an unrelated module; answer 0: no question expected.
  const struct { int slot, answer; BOOL result; bool copyLoaded, unrelatedLoaded; } cases[] = {
      {0, 0, TRUE, true, true}, {1, 0, TRUE, true, true}, {2, IDNO, TRUE, true, true},
      {2, IDYES, FALSE, false, true}, {3, IDYES, FALSE, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.slot) + " answered " + std::to_string(c.answer));
    HMODULE copy = LoadLibraryA(copyPath.c_str());
    HMODULE other = LoadLibraryA(unrelated);
    ASSERT_TRUE(copy && other && copy != own);
    HINSTANCE const choices[] = {nullptr, own, copy, other};
    HINSTANCE slot = choices[c.slot];
    RobotAnswer answer = robot::Expect("Tavix Light ", c.answer ? c.answer : IDNO);
    EXPECT_EQ(SingleInstanceGuard(slot, own), c.result);
    const robot::Seen& seen = c.answer ? answer.Wait() : answer.Stop();
    EXPECT_EQ(seen.found, c.answer != 0);
    EXPECT_EQ(seen.text + "|" + std::to_string(seen.flags), seen.found ? kQuestion + std::string("|4") : "|0");
    EXPECT_EQ(slot, c.slot ? choices[c.slot] : own) << "the slot changes only when empty";
    EXPECT_EQ(GetModuleHandleA(copyPath.c_str()) == copy, c.copyLoaded);
    EXPECT_EQ(GetModuleHandleA(unrelated) == other, c.unrelatedLoaded);
    if (GetModuleHandleA(copyPath.c_str())) FreeLibrary(copy);
    FreeLibrary(other);
  }
  EXPECT_NE(GetModuleHandleA(kDll.c_str()), nullptr);
  FreeLibrary(own);
  DeleteFileA(copyPath.c_str());
}

TEST(GuardDecision, ACopyIsOnlyAModuleOfThisProcessFromTheSameImage) {
  const std::string path = support::TempDirectory() + "tavix_copy_check.dll";
  ASSERT_TRUE(CopyFileA(kDll.c_str(), path.c_str(), FALSE));
  HMODULE own = LoadLibraryA(kDll.c_str()), copy = LoadLibraryA(path.c_str());
  void* reserved = VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_TRUE(own && copy && reserved);
  EXPECT_TRUE(IsCopyOfModule(copy, own));
  for (HMODULE other : {own, GetModuleHandleA("kernel32.dll"), GetModuleHandleA(nullptr),
                        static_cast<HMODULE>(reserved), static_cast<HMODULE>(nullptr)})
    EXPECT_FALSE(IsCopyOfModule(other, own)) << other;
  VirtualFree(reserved, 0, MEM_RELEASE);
  FreeLibrary(copy);
  FreeLibrary(own);
  DeleteFileA(path.c_str());
}
