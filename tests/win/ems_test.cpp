// The EMS face of the plug-in, called the way Eudora calls it: through the real DLL.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include "plugin/ems_types.h"
#include "ui_robot.h"

namespace {

std::string BesideTests(const char* name) {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string dir(path, length);
  return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// Busy blocks on every heap of the process: the plug-in's blocks come from the C runtime's
// heap, which is one of them.
size_t BusyHeapBlocks() {
  HANDLE heaps[64];
  DWORD count = GetProcessHeaps(64, heaps);
  size_t busy = 0;
  for (DWORD i = 0; i < count && i < 64; ++i) {
    PROCESS_HEAP_ENTRY entry{};
    HeapLock(heaps[i]);
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
    HeapUnlock(heaps[i]);
  }
  return busy;
}

class Ems : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dll = LoadLibraryA(BesideTests("Tavix32.dll").c_str());
    ASSERT_NE(dll, nullptr);
    version = Get<ems_plugin_version_t>("ems_plugin_version");
    init = Get<ems_plugin_init_t>("ems_plugin_init");
    info = Get<ems_translator_info_t>("ems_translator_info");
    can = Get<ems_can_translate_t>("ems_can_translate");
    translate = Get<ems_translate_file_t>("ems_translate_file");
    finish = Get<ems_plugin_finish_t>("ems_plugin_finish");
    release = Get<ems_free_t>("ems_free");
    config = Get<ems_plugin_config_t>("ems_plugin_config");
  }
  static void TearDownTestSuite() { FreeLibrary(dll); }
  template <class F>
  static F Get(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
  }
  // ems_plugin_init on a copy that owns the shared slot: nothing may be shown.
  long InitShowingNothing(short* count, char** description, short* id, HICON** icon) {
    char dir[] = "C:\\eudora";
    char name[] = "User";
    char address[] = "user@example.org";
    RobotAnswer answer = robot::Expect(nullptr, IDNO);
    long result = init(nullptr, dir, name, address, count, description, id, icon);
    EXPECT_FALSE(answer.Stop().found) << "ems_plugin_init showed \"" << answer.caption() << "\"";
    return result;
  }
  long Translate(long context, short id, emsAddressRecord* addresses, emsMIMEtypeP* outMime) {
    char in[] = "C:\\in.txt";
    char out[] = "C:\\out.txt";
    return translate(nullptr, context, id, nullptr, in, addresses, nullptr, nullptr, outMime,
                     out, nullptr, nullptr, nullptr, nullptr);
  }
  void FreeMime(emsMIMEtypeP record) {
    release(record->version);
    release(record->type);
    release(record->subtype);
    EXPECT_EQ(release(record), 0);
  }

  static HMODULE dll;
  static ems_plugin_version_t version;
  static ems_plugin_init_t init;
  static ems_translator_info_t info;
  static ems_can_translate_t can;
  static ems_translate_file_t translate;
  static ems_plugin_finish_t finish;
  static ems_free_t release;
  static ems_plugin_config_t config;
};

HMODULE Ems::dll;
ems_plugin_version_t Ems::version;
ems_plugin_init_t Ems::init;
ems_translator_info_t Ems::info;
ems_can_translate_t Ems::can;
ems_translate_file_t Ems::translate;
ems_plugin_finish_t Ems::finish;
ems_free_t Ems::release;
ems_plugin_config_t Ems::config;

TEST_F(Ems, ExportsAreFoundByNameAndByOrdinal) {
  const char* names[17] = {nullptr,
                           "ems_plugin_version", "ems_plugin_init", "ems_translator_info",
                           "ems_can_translate", "ems_translate_file", "ems_plugin_finish",
                           "P07", "P08", "P09", "P10", "ems_free", "ems_plugin_config",
                           "P13", "P14", nullptr, "P16"};
  for (int ordinal = 1; ordinal <= 16; ++ordinal) {
    FARPROC byOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(ordinal));
    if (!names[ordinal]) {
      EXPECT_EQ(byOrdinal, nullptr) << "ordinal " << ordinal << " must stay empty";
      continue;
    }
    FARPROC byName = GetProcAddress(dll, names[ordinal]);
    EXPECT_NE(byName, nullptr) << names[ordinal];
    EXPECT_EQ(byOrdinal, byName) << names[ordinal] << " is not at ordinal " << ordinal;
  }
}

TEST_F(Ems, VersionIsTwo) {
  short api = 0;
  EXPECT_EQ(version(&api), 0);
  EXPECT_EQ(api, 2);
  EXPECT_EQ(version(nullptr), 0);
}

TEST_F(Ems, InitWritesTheOutValues) {
  short count = -1, id = -1;
  char* description = nullptr;
  HICON* icon = nullptr;
  ASSERT_EQ(InitShowingNothing(&count, &description, &id, &icon), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(id, 500);
  ASSERT_NE(description, nullptr);
  std::string text(description);
  const std::string head = "Tavix Light  ", tail = ", v1.28";
  EXPECT_EQ(text.rfind(head, 0), 0u) << text;
  ASSERT_GT(text.size(), head.size() + tail.size()) << text;
  EXPECT_NE(text[head.size()], ' ') << "one short description after the second blank";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(*icon, nullptr);
  EXPECT_EQ(*icon, LoadIconA(dll, MAKEINTRESOURCEA(131)));
  EXPECT_EQ(release(description), 0);
  EXPECT_EQ(release(icon), 0);
}

TEST_F(Ems, NullOutPointersAllocateNothing) {
  ASSERT_EQ(InitShowingNothing(nullptr, nullptr, nullptr, nullptr), 0);
  size_t before = BusyHeapBlocks();
  EXPECT_EQ(init(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(info(nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(BusyHeapBlocks(), before);
  // The count does see the plug-in's blocks.
  char* description = nullptr;
  EXPECT_EQ(info(nullptr, 1, nullptr, nullptr, nullptr, &description, nullptr), 0);
  EXPECT_EQ(BusyHeapBlocks(), before + 1);
  release(description);
  EXPECT_EQ(BusyHeapBlocks(), before);
}

TEST_F(Ems, TranslatorInfoForTranslatorOne) {
  long type = 0, subtype = 0;
  unsigned long flags = 0;
  char* description = nullptr;
  HICON* icon = nullptr;
  ASSERT_EQ(info(nullptr, 1, &type, &subtype, &flags, &description, &icon), 0);
  EXPECT_EQ(type, 16);
  EXPECT_EQ(subtype, 1);
  EXPECT_EQ(flags, 4u);
  ASSERT_NE(description, nullptr);
  EXPECT_STREQ(description, "PGP functions");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(*icon, LoadIconA(dll, MAKEINTRESOURCEA(133)));
  EXPECT_NE(*icon, LoadIconA(dll, MAKEINTRESOURCEA(131)));
  release(description);
  release(icon);
}

TEST_F(Ems, TranslatorInfoRefusesOtherIdsAndWritesNothing) {
  for (short id : {0, 2, -1, 0x7FFF}) {
    long type = -5, subtype = -5;
    unsigned long flags = 5;
    char* description = reinterpret_cast<char*>(0x55);
    HICON* icon = reinterpret_cast<HICON*>(0x66);
    EXPECT_EQ(info(nullptr, id, &type, &subtype, &flags, &description, &icon), 3) << id;
    EXPECT_EQ(type, -5);
    EXPECT_EQ(subtype, -5);
    EXPECT_EQ(flags, 5u);
    EXPECT_EQ(description, reinterpret_cast<char*>(0x55));
    EXPECT_EQ(icon, reinterpret_cast<HICON*>(0x66));
  }
}

TEST_F(Ems, CanTranslateOnlyTranslatorOneOnRequest) {
  EXPECT_EQ(can(nullptr, 4, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 10);
  for (long context : {0L, 1L, 2L, 8L, 5L, 12L})
    EXPECT_EQ(can(nullptr, context, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 2) << context;
  for (short id : {0, 2, -1})
    EXPECT_EQ(can(nullptr, 4, id, nullptr, nullptr, nullptr, nullptr, nullptr), 2) << id;
}

TEST_F(Ems, RefusedContextStillGetsATextPlainRecord) {
  for (long context : {1L, 2L, 8L}) {
    emsMIMEtypeP mime = nullptr;
    EXPECT_EQ(Translate(context, 1, nullptr, &mime), 2);
    ASSERT_NE(mime, nullptr);
    EXPECT_STREQ(mime->version, "1.0");
    EXPECT_STREQ(mime->type, "text");
    EXPECT_STREQ(mime->subtype, "plain");
    EXPECT_EQ(mime->params, nullptr);
    FreeMime(mime);
  }
}

TEST_F(Ems, UnknownTranslatorIsRefusedBeforeAnyRecord) {
  for (short id : {0, 2, -1}) {
    emsMIMEtypeP mime = reinterpret_cast<emsMIMEtypeP>(0x77);
    EXPECT_EQ(Translate(4, id, nullptr, &mime), 2) << id;
    EXPECT_EQ(mime, reinterpret_cast<emsMIMEtypeP>(0x77)) << id;
  }
}

TEST_F(Ems, TranslationBeforeAttachReturnsOneWithOrWithoutAddresses) {
  char sender[] = "me@example.org";
  char names[7][24];
  emsAddressRecord records[9] = {};
  records[0].address = sender;
  for (int i = 0; i < 7; ++i) {
    std::snprintf(names[i], sizeof names[i], "r%d@example.org", i);
    records[i + 1].address = names[i];
  }
  emsAddressRecord empty[1] = {};
  for (emsAddressRecord* addresses : {static_cast<emsAddressRecord*>(nullptr), empty, records}) {
    emsMIMEtypeP mime = nullptr;
    EXPECT_EQ(Translate(4, 1, addresses, &mime), 1);
    ASSERT_NE(mime, nullptr);
    EXPECT_STREQ(mime->type, "text");
    FreeMime(mime);
  }
  EXPECT_EQ(Translate(4, 1, records, nullptr), 1);
  EXPECT_EQ(Translate(1, 1, records, nullptr), 2);
}

TEST_F(Ems, FreeOfNullReturnsZero) { EXPECT_EQ(release(nullptr), 0); }

// Works before start-up too: the settings dialog comes from the plug-in's own templates.
TEST_F(Ems, ConfigOpensTheSettingsDialog) {
  RobotAnswer answer = robot::Expect("Tavix Light Settings", IDCANCEL);
  EXPECT_EQ(config(nullptr, nullptr, nullptr, nullptr), IDCANCEL);
  EXPECT_TRUE(answer.Wait().found);
  EXPECT_TRUE(answer.ok()) << answer.error();
}

TEST_F(Ems, FinishReturnsZero) {
  RobotAnswer answer = robot::Expect(nullptr, IDNO);
  EXPECT_EQ(finish(nullptr), 0);
  EXPECT_FALSE(answer.Stop().found) << answer.caption();
}

}  // namespace
