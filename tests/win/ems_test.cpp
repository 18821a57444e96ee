// The EMS face of the plug-in called the way Eudora calls it, through the real DLL, and the
// records it builds from and for the host.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <set>
#include <string>
#include "core/address_list.h"
#include "plugin/ems_records.h"
#include "plugin/ems_types.h"
#include "test_support.h"
#include "ui_robot.h"

namespace {

HMODULE Dll() {
  static HMODULE dll = LoadLibraryA(support::BesideProgram("Tavix32.dll").c_str());
  return dll;
}

template <class F>
F Get(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(Dll(), name)));
}

// A call that must show nothing: a window that does come is answered and reported.
template <class Call>
long Quietly(Call call) {
  RobotAnswer answer = robot::Expect(nullptr, IDNO);
  const long result = call();
  EXPECT_FALSE(answer.Stop().found) << "showed \"" << answer.caption() << "\"";
  return result;
}

long Translate(long context, short id, emsAddressRecord* addresses, emsMIMEtypeP* outMime) {
  char in[] = "C:\\in.txt", out[] = "C:\\out.txt";
  return Get<ems_translate_file_t>("ems_translate_file")(nullptr, context, id, nullptr, in, addresses, nullptr,
                                                        nullptr, outMime, out, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(Ems, ExportsSitAtTheirOrdinalsAndFifteenStaysEmpty) {
  const char* names[17] = {nullptr, "ems_plugin_version", "ems_plugin_init", "ems_translator_info",
                           "ems_can_translate", "ems_translate_file", "ems_plugin_finish", "P07", "P08",
                           "P09", "P10", "ems_free", "ems_plugin_config", "P13", "P14", nullptr, "P16"};
  ASSERT_NE(Dll(), nullptr);
  for (int ordinal = 1; ordinal <= 16; ++ordinal) {
    FARPROC byOrdinal = GetProcAddress(Dll(), MAKEINTRESOURCEA(ordinal));
    EXPECT_EQ(byOrdinal, names[ordinal] ? GetProcAddress(Dll(), names[ordinal]) : nullptr) << ordinal;
    EXPECT_EQ(byOrdinal != nullptr, names[ordinal] != nullptr) << ordinal;
  }
}

TEST(Ems, VersionInitAndTranslatorInfoWriteTheirOutValues) {
  short api = 0, count = -1, id = -1;
  EXPECT_EQ(Get<ems_plugin_version_t>("ems_plugin_version")(&api), 0);
  EXPECT_EQ(api, 2);
  char* description = nullptr;
  HICON* icon = nullptr;
  char dir[] = "C:\\eudora";
  auto init = Get<ems_plugin_init_t>("ems_plugin_init");
  ASSERT_EQ(Quietly([&] { return init(nullptr, dir, dir, dir, &count, &description, &id, &icon); }), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(id, 500);
  ASSERT_TRUE(description && icon);
  EXPECT_STREQ(description, "Tavix Light  PGP for Eudora through command-line PGP, v1.28");
  EXPECT_EQ(*icon, LoadIconA(Dll(), MAKEINTRESOURCEA(131)));
  auto release = Get<ems_free_t>("ems_free");
  EXPECT_EQ(release(description) + release(icon) + release(nullptr), 0);
  // Null out-pointers are skipped.
  EXPECT_EQ(Quietly([&] { return init(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); }), 0);
  EXPECT_EQ(Get<ems_plugin_version_t>("ems_plugin_version")(nullptr), 0);

  auto info = Get<ems_translator_info_t>("ems_translator_info");
  long type = 0, subtype = 0;
  unsigned long flags = 0;
  ASSERT_EQ(info(nullptr, 1, &type, &subtype, &flags, &description, &icon), 0);
  EXPECT_EQ(std::to_string(type) + " " + std::to_string(subtype) + " " + std::to_string(flags), "16 1 4");
  EXPECT_STREQ(description, "PGP functions");
  EXPECT_EQ(*icon, LoadIconA(Dll(), MAKEINTRESOURCEA(133)));
  release(description);
  release(icon);
  EXPECT_EQ(info(nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  for (short other : {0, 2, -1, 0x7FFF}) {
    type = subtype = -5;
    description = reinterpret_cast<char*>(0x55);
    EXPECT_EQ(info(nullptr, other, &type, &subtype, &flags, &description, &icon), 3) << other;
    EXPECT_TRUE(type == -5 && subtype == -5 && description == reinterpret_cast<char*>(0x55)) << other;
  }
}

TEST(Ems, OnlyTranslatorOneOnRequestIsTranslatedAndEveryKnownOneGetsItsRecord) {
  auto can = Get<ems_can_translate_t>("ems_can_translate");
  auto release = Get<ems_free_t>("ems_free");
  char sender[] = "me@example.org", other[] = "r@example.org";
  emsAddressRecord records[3] = {{sender, nullptr, nullptr}, {other, nullptr, nullptr}, {}};
  // context, translator, result of ems_can_translate and of ems_translate_file (before attach: 1)
  const struct { long context; short id; long can, translate; bool record; } cases[] = {
      {4, 1, 10, 1, true}, {0, 1, 2, 2, true}, {1, 1, 2, 2, true}, {2, 1, 2, 2, true}, {8, 1, 2, 2, true},
      {12, 1, 2, 2, true}, {4, 0, 2, 2, false}, {4, 2, 2, 2, false}, {4, -1, 2, 2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.context) + "/" + std::to_string(c.id));
    EXPECT_EQ(can(nullptr, c.context, c.id, nullptr, nullptr, nullptr, nullptr, nullptr), c.can);
    for (emsAddressRecord* addresses : {static_cast<emsAddressRecord*>(nullptr), records + 2, records}) {
      emsMIMEtypeP mime = reinterpret_cast<emsMIMEtypeP>(0x77);
      EXPECT_EQ(Translate(c.context, c.id, addresses, &mime), c.translate);
      if (!c.record) {
        EXPECT_EQ(mime, reinterpret_cast<emsMIMEtypeP>(0x77));
        continue;
      }
      ASSERT_NE(mime, nullptr);
      EXPECT_EQ(std::string(mime->version) + " " + mime->type + "/" + mime->subtype, "1.0 text/plain");
      EXPECT_EQ(mime->params, nullptr);
      release(mime->version), release(mime->type), release(mime->subtype);
      EXPECT_EQ(release(mime), 0);
    }
  }
  EXPECT_EQ(Translate(4, 1, records, nullptr), 1);
}

TEST(Ems, ConfigOpensTheSettingsDialogAndFinishShowsNothing) {
  RobotAnswer answer = robot::Expect("Tavix Light Settings", IDCANCEL);
  EXPECT_EQ(Get<ems_plugin_config_t>("ems_plugin_config")(nullptr, nullptr, nullptr, nullptr), IDCANCEL);
  EXPECT_TRUE(answer.Wait().found);
  EXPECT_TRUE(answer.ok()) << answer.error();
  auto finish = Get<ems_plugin_finish_t>("ems_plugin_finish");
  EXPECT_EQ(Quietly([&] { return finish(nullptr); }), 0);
}

TEST(RecipientRecords, BecomeAnOwnedListInOrderWithAbsentTextsKept) {
  TAddressList* list = reinterpret_cast<TAddressList*>(1);
  EXPECT_TRUE(BuildAddressList(nullptr, &list));
  EXPECT_EQ(list, nullptr);
  char texts[7][3][32];
  emsAddressRecord records[8] = {};
  for (int i = 0; i < 7; ++i) {
    for (int j = 0; j < 3; ++j) std::snprintf(texts[i][j], 32, "%c%d@example.org", "anx"[j], i);
    records[i] = {texts[i][0], i == 2 || i == 4 ? nullptr : texts[i][1], i == 3 || i == 4 ? nullptr : texts[i][2]};
  }
  ASSERT_TRUE(BuildAddressList(records, &list));
  ASSERT_EQ(list->Count(), 7u);  // past the vector's first room of 6
  texts[0][0][0] = 'X';  // the host may reuse its records once the call returns
  for (int i = 0; i < 7; ++i) {
    const TAddress* entry = list->At(i);
    auto text = [](const char* t) { return std::string(t ? t : "(null)"); };
    EXPECT_EQ(text(entry->address) + " " + text(entry->second) + " " + text(entry->third),
              (i ? text(records[i].address) : "a0@example.org") + " " + text(records[i].second) + " " +
                  text(records[i].third));
  }
  delete list;
  emsAddressRecord end[1] = {};
  ASSERT_TRUE(BuildAddressList(end, &list));
  EXPECT_EQ(list->Count(), 0u);
  delete list;
}

namespace {

// An allocator that fails from a chosen allocation on and knows what is still held.
struct FailingHeap {
  static int allowed;
  static std::set<void*> held;
  static void* Allocate(size_t size) {
    if (allowed-- <= 0) return nullptr;
    return *held.insert(HeapAllocBlock(size)).first;
  }
  static void Release(void* block) {
    if (!block) return;
    EXPECT_EQ(held.erase(block), 1u) << "released a block it did not allocate";
    HeapFreeBlock(block);
  }
};
int FailingHeap::allowed = 0;
std::set<void*> FailingHeap::held;
const BlockAllocator failingHeap = {FailingHeap::Allocate, FailingHeap::Release};

}  // namespace

TEST(MimeRecord, AFailedAllocationLeavesNothingAndFreeTakesParametersWithTheirTexts) {
  for (int allowed = 0; allowed < 4; ++allowed) {
    FailingHeap::allowed = allowed;
    EXPECT_EQ(MakeMimeType("text", "plain", "1.0", failingHeap), nullptr) << allowed;
    EXPECT_TRUE(FailingHeap::held.empty()) << FailingHeap::held.size() << " blocks left after " << allowed;
  }
  FailingHeap::allowed = 100;
  emsMIMEtypeP record = MakeMimeType("text", "plain", nullptr, failingHeap);
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->version, "1.0");
  for (int i = 0; i < 2; ++i) {
    auto* node = static_cast<emsMIMEparam*>(FailingHeap::Allocate(sizeof(emsMIMEparam)));
    node->name = static_cast<char*>(FailingHeap::Allocate(8));
    node->value = static_cast<char*>(FailingHeap::Allocate(8));
    node->next = record->params;
    record->params = node;
  }
  FreeMimeType(record, failingHeap);
  EXPECT_TRUE(FailingHeap::held.empty());
}
