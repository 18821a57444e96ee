// The single-instance guard: the shared slot really is shared between processes loading
// the same DLL file, a relocated copy asks, and the guard's decisions on a given slot.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <map>
#include <string>
#include "plugin/ems_types.h"
#include "plugin/instance_guard.h"
#include "test_support.h"
#include "ui_robot.h"

namespace {

const char kQuestionOneLine[] = "Another instance of the DLL is still loaded\\nTry to kill it?";

std::string Hex(const void* address) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", address);
  return text;
}

// Runs guard_probe.exe and returns its report as key/value pairs (empty on failure).
std::map<std::string, std::string> RunProbe(const std::string& mode, HMODULE firstCopy) {
  std::string report = support::TempDirectory() + "guard_probe_report.txt";
  DeleteFileA(report.c_str());
  std::string command = "\"" + support::BesideProgram("guard_probe.exe") + "\" \"" +
                        support::BesideProgram("Tavix32.dll") + "\" " + mode + " " + Hex(firstCopy) +
                        " \"" + report + "\"";
  std::map<std::string, std::string> values;
  support::ProcessRun run = support::RunProcess(command, 30000);
  if (!run.started) {
    ADD_FAILURE() << "cannot start " << command;
    return values;
  }
  EXPECT_TRUE(run.ended) << "guard_probe did not end";
  EXPECT_EQ(run.exitCode, 0u) << "guard_probe failed to set up";
  FILE* file = std::fopen(report.c_str(), "r");
  if (!file) return values;
  char line[1024];
  while (std::fgets(line, sizeof line, file)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    size_t equals = text.find('=');
    if (equals != std::string::npos) values[text.substr(0, equals)] = text.substr(equals + 1);
  }
  std::fclose(file);
  DeleteFileA(report.c_str());
  return values;
}

// The plug-in loaded in this process, initialised once so that the shared slot holds
// this process's copy.
class GuardAcrossProcesses : public testing::Test {
 protected:
  void SetUp() override {
    dll_ = LoadLibraryA(support::BesideProgram("Tavix32.dll").c_str());
    ASSERT_NE(dll_, nullptr);
    init_ = reinterpret_cast<ems_plugin_init_t>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll_, "ems_plugin_init")));
    ASSERT_NE(init_, nullptr);
    ASSERT_FALSE(InitAsks()) << "this process's own copy must not be asked about";
  }
  void TearDown() override {
    if (dll_) FreeLibrary(dll_);
  }
  // Calls ems_plugin_init; true when it asked the question (answered No).
  bool InitAsks() {
    char dir[] = "C:\\tests";
    RobotAnswer answer = robot::Expect("Tavix Light ", IDNO);
    EXPECT_EQ(init_(nullptr, dir, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    return answer.Stop().found;
  }
  HMODULE dll_ = nullptr;
  ems_plugin_init_t init_ = nullptr;
};

TEST_F(GuardAcrossProcesses, SecondCallInTheSameProcessAsksNothing) { EXPECT_FALSE(InitAsks()); }

TEST_F(GuardAcrossProcesses, CopyAtTheSameAddressInAnotherProcessAsksNothing) {
  auto report = RunProbe("same", dll_);
  ASSERT_EQ(report["handle"], Hex(dll_)) << "the second process loaded the DLL elsewhere";
  EXPECT_EQ(report["asked"], "0");
  EXPECT_EQ(report["init"], "0");
  EXPECT_EQ(report["count"], "1");
}

TEST_F(GuardAcrossProcesses, RelocatedCopyAsksAndNoGoesOn) {
  auto report = RunProbe("no", dll_);
  ASSERT_EQ(report["reserved"], "1");
  EXPECT_NE(report["handle"], Hex(dll_));
  // The question proves the slot written here was seen by the other process.
  ASSERT_EQ(report["asked"], "1") << report["robotError"];
  EXPECT_EQ(report["robotError"], "");
  EXPECT_EQ(report["caption"], "Tavix Light ");
  EXPECT_EQ(report["text"], kQuestionOneLine);
  EXPECT_EQ(report["buttons"], "6 7");
  EXPECT_EQ(report["init"], "0");
  EXPECT_EQ(report["count"], "1");
  EXPECT_EQ(report["id"], "500");
  EXPECT_EQ(report["description"].rfind("Tavix Light  ", 0), 0u) << report["description"];
  EXPECT_EQ(report["icon"], "1");
  // The slot still holds this process's copy.
  EXPECT_FALSE(InitAsks());
}

TEST_F(GuardAcrossProcesses, RelocatedCopyAnsweredYesStopsAndFreesNothingForeign) {
  auto report = RunProbe("yes", dll_);
  ASSERT_EQ(report["asked"], "1") << report["robotError"];
  EXPECT_EQ(report["robotError"], "");
  EXPECT_EQ(report["init"], "1");
  // Nothing of the start-up ran: no out-value written.
  EXPECT_EQ(report["count"], "-7");
  EXPECT_EQ(report["id"], "-7");
  EXPECT_EQ(report["description"], "(none)");
  EXPECT_EQ(report["icon"], "0");
  // The handle in the slot belongs to this process; there it names no module, so the
  // other process neither freed its own copy nor touched what lies at that address.
  EXPECT_EQ(report["stillLoaded"], "1");
  EXPECT_EQ(report["reservedIntact"], "1");
  EXPECT_FALSE(InitAsks());
}

TEST(SharedSection, IsReadWriteShared) {
  HMODULE dll = LoadLibraryA(support::BesideProgram("Tavix32.dll").c_str());
  ASSERT_NE(dll, nullptr);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(dll);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(reinterpret_cast<BYTE*>(dll) + dos->e_lfanew);
  IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  DWORD characteristics = 0;
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::string(reinterpret_cast<char*>(section->Name), 8).c_str() == std::string("SHARESEG"))
      characteristics = section->Characteristics;
  }
  FreeLibrary(dll);
  EXPECT_EQ(characteristics, 0xD0000040u);
}

// The guard's decisions on a slot of the test's own, with real module handles.
class GuardDecision : public testing::Test {
 protected:
  void SetUp() override {
    own_ = LoadLibraryA(support::BesideProgram("Tavix32.dll").c_str());
    ASSERT_NE(own_, nullptr);
    copyPath_ = support::TempDirectory() + "tavix_guard_copy.dll";
    ASSERT_TRUE(CopyFileA(support::BesideProgram("Tavix32.dll").c_str(), copyPath_.c_str(), FALSE));
  }
  void TearDown() override {
    while (HMODULE copy = GetModuleHandleA(copyPath_.c_str())) FreeLibrary(copy);
    DeleteFileA(copyPath_.c_str());
    FreeLibrary(own_);
  }
  // Runs the guard; `answer` is the button to press, 0 when no question is expected.
  BOOL Guard(HINSTANCE& slot, int answer, bool* asked) {
    RobotAnswer robotAnswer = robot::Expect("Tavix Light ", answer ? answer : IDNO);
    BOOL result = SingleInstanceGuard(slot, own_);
    const robot::Seen& seen = answer ? robotAnswer.Wait() : robotAnswer.Stop();
    *asked = seen.found;
    if (seen.found) {
      EXPECT_EQ(seen.text, "Another instance of the DLL is still loaded\nTry to kill it?");
      EXPECT_EQ(seen.buttons, (std::vector<int>{IDYES, IDNO}));
    }
    return result;
  }
  HMODULE own_ = nullptr;
  std::string copyPath_;
};

TEST_F(GuardDecision, EmptySlotTakesOwnHandleAndSlotWithOwnHandleAsksNothing) {
  HINSTANCE slot = nullptr;
  bool asked = true;
  EXPECT_TRUE(Guard(slot, 0, &asked));
  EXPECT_FALSE(asked);
  EXPECT_EQ(slot, own_);
  asked = true;
  EXPECT_TRUE(Guard(slot, 0, &asked));
  EXPECT_FALSE(asked);
  EXPECT_EQ(slot, own_);
}

TEST_F(GuardDecision, AnotherCopyAnsweredNoGoesOnAndKeepsIt) {
  HMODULE copy = LoadLibraryA(copyPath_.c_str());
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, own_);
  HINSTANCE slot = copy;
  bool asked = false;
  EXPECT_TRUE(Guard(slot, IDNO, &asked));
  EXPECT_TRUE(asked);
  EXPECT_EQ(slot, copy);
  EXPECT_EQ(GetModuleHandleA(copyPath_.c_str()), copy);
}

TEST_F(GuardDecision, AnotherCopyAnsweredYesIsFreedAndStartUpStops) {
  HMODULE copy = LoadLibraryA(copyPath_.c_str());
  ASSERT_NE(copy, nullptr);
  HINSTANCE slot = copy;
  bool asked = false;
  EXPECT_FALSE(Guard(slot, IDYES, &asked));
  EXPECT_TRUE(asked);
  EXPECT_EQ(slot, copy);  // the slot keeps its value
  EXPECT_EQ(GetModuleHandleA(copyPath_.c_str()), nullptr);
  EXPECT_NE(GetModuleHandleA(support::BesideProgram("Tavix32.dll").c_str()), nullptr);
}

TEST_F(GuardDecision, YesNeverFreesAnUnrelatedModuleAtTheSlotsAddress) {
  const char* unrelated = "msimg32.dll";
  // Precondition that makes the check below able to fail: one FreeLibrary unloads it.
  HMODULE probe = LoadLibraryA(unrelated);
  ASSERT_NE(probe, nullptr);
  FreeLibrary(probe);
  ASSERT_EQ(GetModuleHandleA(unrelated), nullptr);

  HMODULE other = LoadLibraryA(unrelated);
  HINSTANCE slot = other;
  bool asked = false;
  EXPECT_FALSE(Guard(slot, IDYES, &asked));
  EXPECT_TRUE(asked);
  EXPECT_EQ(GetModuleHandleA(unrelated), other);
  FreeLibrary(other);
}

TEST(ModuleCopy, RecognisesOnlyLoadedCopiesOfTheSameImage) {
  std::string path = support::TempDirectory() + "tavix_copy_check.dll";
  ASSERT_TRUE(CopyFileA(support::BesideProgram("Tavix32.dll").c_str(), path.c_str(), FALSE));
  HMODULE own = LoadLibraryA(support::BesideProgram("Tavix32.dll").c_str());
  HMODULE copy = LoadLibraryA(path.c_str());
  ASSERT_NE(own, nullptr);
  ASSERT_NE(copy, nullptr);
  void* reserved = VirtualAlloc(nullptr, 0x10000, MEM_RESERVE, PAGE_NOACCESS);

  EXPECT_TRUE(IsCopyOfModule(copy, own));
  EXPECT_FALSE(IsCopyOfModule(own, own));
  EXPECT_FALSE(IsCopyOfModule(GetModuleHandleA("kernel32.dll"), own));
  EXPECT_FALSE(IsCopyOfModule(GetModuleHandleA(nullptr), own));
  EXPECT_FALSE(IsCopyOfModule(static_cast<HMODULE>(reserved), own));
  EXPECT_FALSE(IsCopyOfModule(nullptr, own));

  VirtualFree(reserved, 0, MEM_RELEASE);
  FreeLibrary(copy);
  FreeLibrary(own);
  DeleteFileA(path.c_str());
}

}  // namespace
