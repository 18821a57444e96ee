// The owning address list, the list built from the host's recipient records, and the MIME
// record with its clean-up when memory runs out.
#include <gtest/gtest.h>
#include <windows.h>
#include <set>
#include <string>
#include "core/address_list.h"
#include "plugin/ems_records.h"

namespace {

int destroyed = 0;
struct Counted {
  ~Counted() { ++destroyed; }
};

TEST(AddressVector, GrowsPastItsFirstRoomAndDestroysItsEntries) {
  destroyed = 0;
  {
    TIArrayAsVector<Counted> list;
    EXPECT_EQ(list.Capacity(), 6u);
    EXPECT_FALSE(list.Add(nullptr));
    Counted* items[13];
    for (Counted*& item : items) {
      item = new Counted;
      ASSERT_TRUE(list.Add(item));
    }
    EXPECT_EQ(list.Count(), 13u);
    EXPECT_GE(list.Capacity(), 13u);
    for (size_t i = 0; i < 13; ++i) EXPECT_EQ(list[i], items[i]) << i;
    EXPECT_EQ(list.At(13), nullptr);
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 13);
}

TEST(AddressVector, FlushDestroysAndEmpties) {
  destroyed = 0;
  TIArrayAsVector<Counted> list;
  list.Add(new Counted);
  list.Add(new Counted);
  list.Flush();
  EXPECT_EQ(destroyed, 2);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_TRUE(list.Add(new Counted));
}

TEST(RecipientRecords, NullRecordsGiveNoListAndATerminatorAnEmptyOne) {
  TAddressList* list = reinterpret_cast<TAddressList*>(1);
  EXPECT_TRUE(BuildAddressList(nullptr, &list));
  EXPECT_EQ(list, nullptr);
  emsAddressRecord end[1] = {};
  ASSERT_TRUE(BuildAddressList(end, &list));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Count(), 0u);
  delete list;
}

TEST(RecipientRecords, SevenRecordsInOrderWithCopiesAndAbsentTexts) {
  char texts[7][3][32];
  emsAddressRecord records[8] = {};
  for (int i = 0; i < 7; ++i) {
    std::snprintf(texts[i][0], 32, "user%d@example.org", i);
    std::snprintf(texts[i][1], 32, "Name %d", i);
    std::snprintf(texts[i][2], 32, "third %d", i);
    records[i] = {texts[i][0], texts[i][1], texts[i][2]};
  }
  records[2].second = nullptr;
  records[3].third = nullptr;
  records[4].second = records[4].third = nullptr;

  TAddressList* list = nullptr;
  ASSERT_TRUE(BuildAddressList(records, &list));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Count(), 7u);
  for (int i = 0; i < 7; ++i) {
    const TAddress* entry = list->At(i);
    EXPECT_STREQ(entry->address, texts[i][0]);
    EXPECT_NE(entry->address, texts[i][0]) << "the list holds copies";
    EXPECT_EQ(entry->flags, 0u);
    if (records[i].second) EXPECT_STREQ(entry->second, texts[i][1]);
    else EXPECT_EQ(entry->second, nullptr) << i;
    if (records[i].third) EXPECT_STREQ(entry->third, texts[i][2]);
    else EXPECT_EQ(entry->third, nullptr) << i;
  }
  // The host may reuse its records as soon as the call returns.
  texts[0][0][0] = 'X';
  EXPECT_STREQ(list->At(0)->address, "user0@example.org");
  delete list;
}

// An allocator that fails from a chosen allocation on and remembers what is still held.
struct FailingHeap {
  static int allowed;
  static std::set<void*> held;
  static void* Allocate(size_t size) {
    if (allowed-- <= 0) return nullptr;
    void* block = HeapAllocBlock(size);
    held.insert(block);
    return block;
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

TEST(MimeRecord, EveryFailedAllocationLeavesNothingBehind) {
  for (int allowed = 0; allowed < 4; ++allowed) {
    FailingHeap::allowed = allowed;
    EXPECT_EQ(MakeMimeType("text", "plain", "1.0", failingHeap), nullptr) << allowed;
    EXPECT_TRUE(FailingHeap::held.empty()) << FailingHeap::held.size() << " blocks left after "
                                           << allowed << " allocations";
  }
}

TEST(MimeRecord, DefaultsTheVersionAndFreesNodesWithTheirTexts) {
  FailingHeap::allowed = 100;
  emsMIMEtypeP record = MakeMimeType("text", "plain", nullptr, failingHeap);
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->version, "1.0");
  EXPECT_STREQ(record->type, "text");
  EXPECT_STREQ(record->subtype, "plain");
  EXPECT_EQ(record->params, nullptr);
  EXPECT_EQ(FailingHeap::held.size(), 4u);
  // Two parameter nodes with their texts, as a host-side list would hold them.
  for (int i = 0; i < 2; ++i) {
    auto* node = static_cast<emsMIMEparam*>(FailingHeap::Allocate(sizeof(emsMIMEparam)));
    node->name = static_cast<char*>(FailingHeap::Allocate(8));
    node->value = static_cast<char*>(FailingHeap::Allocate(8));
    node->next = record->params;
    record->params = node;
  }
  EXPECT_EQ(FailingHeap::held.size(), 10u);
  FreeMimeType(record, failingHeap);
  EXPECT_TRUE(FailingHeap::held.empty());
}

}  // namespace
