// Hostile bytes as the module-definition table: the walk must end, every record and text
// it hands out must lie inside the table, the walk, the strings, the lookup, the extent and
// the checksum must agree on where the table ends. The first bytes up to a NUL are also read
// as a stored checksum, which must survive being written back.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/module_table.h"
#include "fuzz_check.h"

namespace {

void RequireInside(TTableText text, const uint8_t* start, const uint8_t* end) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.text);
  if (text.length == 0) return;
  FUZZ_REQUIRE(bytes >= start && bytes + text.length <= end);
}

void CheckRecord(const uint8_t* table, size_t offset, const TModuleRecord& record) {
  const uint8_t* start = table + offset;
  const uint8_t* end = start + record.recordBytes;
  for (TTableText text : record.mainStrings) RequireInside(text, start, end);
  for (TTableText text : record.headerFieldClasses) RequireInside(text, start, end);
  for (TTableText text : {record.headerDialogClass, record.bodyClass, record.viewClass,
                          record.viewParentPrefix})
    RequireInside(text, start, end);
  if (record.hasMainSection) {
    for (uint16_t index : record.menuKeyIndex) FUZZ_REQUIRE(index < record.menuKeyCount);
  }
}

uint32_t NaiveChecksum(const uint8_t* table, size_t count) {
  uint32_t sum = 0;
  for (size_t i = 0; i < count; ++i) {
    sum ^= table[i];
    sum = (sum << 5) | (sum >> 27);
  }
  return sum;
}

void CheckStoredChecksum(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  uint32_t value = 0;
  if (!ParseStoredChecksum(text.c_str(), &value)) return;
  char written[16];
  std::snprintf(written, sizeof written, "%ld", static_cast<long>(static_cast<int32_t>(value)));
  uint32_t again = 0;
  FUZZ_REQUIRE(ParseStoredChecksum(written, &again) && again == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A heap copy of exactly `size` bytes: a read past the table is an AddressSanitizer finding.
  const std::vector<uint8_t> copy(data, data + size);
  const uint8_t* table = size ? copy.data() : nullptr;

  std::vector<size_t> records;
  size_t offset = 0;
  for (;;) {
    TModuleRecord record;
    const bool sound = ReadModuleRecord(table, size, offset, &record);
    size_t next = offset;
    FUZZ_REQUIRE(NextModuleRecord(table, size, &next) == sound);
    TTableText strings[kMainStringCount];
    FUZZ_REQUIRE(ModuleRecordStrings(table, size, offset, kMainStringCount, strings) ==
                 (sound && record.hasMainSection));
    if (!sound) {
      FUZZ_REQUIRE(next == offset);
      break;
    }
    FUZZ_REQUIRE(record.recordBytes >= 4 && next == offset + record.recordBytes && next <= size);
    CheckRecord(table, offset, record);
    records.push_back(offset);
    offset = next;
  }
  // Every record takes at least 4 bytes, so the walk ends.
  FUZZ_REQUIRE(records.size() <= size / 4);
  FUZZ_REQUIRE(ModuleTableExtent(table, size) == offset);
  FUZZ_REQUIRE(ModuleTableChecksum(table, size) == NaiveChecksum(table, offset));

  // Looking up a row's own strings finds that row or an earlier one that the strings also
  // match; the lookup never goes past a record without strings.
  for (size_t i = 0; i < records.size(); ++i) {
    TTableText strings[kMatchKeyCount];
    if (!ModuleRecordStrings(table, size, records[i], kMatchKeyCount, strings)) break;
    std::string texts[kMatchKeyCount];
    const char* keys[kMatchKeyCount];
    for (int k = 0; k < kMatchKeyCount; ++k) {
      texts[k].assign(strings[k].text, strings[k].length);
      keys[k] = texts[k].c_str();
    }
    size_t found = size + 1;
    const bool matched = FindModuleRecord(table, size, keys, kMatchKeyCount, &found);
    // A row string holding a NUL is longer than the NUL-terminated key made from it, so
    // the row does not match its own key; a later row may.
    bool hasNul = false;
    for (const std::string& text : texts) hasNul |= text.find('\0') != std::string::npos;
    if (!hasNul) FUZZ_REQUIRE(matched && found <= records[i]);
  }
  const char* none[kMatchKeyCount] = {nullptr, nullptr, nullptr, nullptr};
  size_t first = size + 1;
  TTableText strings[kMatchKeyCount];
  const bool firstHasStrings = ModuleRecordStrings(table, size, 0, kMatchKeyCount, strings);
  FUZZ_REQUIRE(FindModuleRecord(table, size, none, kMatchKeyCount, &first) == firstHasStrings);
  if (firstHasStrings) FUZZ_REQUIRE(first == 0);

  CheckStoredChecksum(data, size);
  return 0;
}
