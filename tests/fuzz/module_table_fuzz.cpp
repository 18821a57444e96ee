// Hostile bytes as the module-definition table: the walk must end; every record and text it
// hands out must lie inside the table; the walk, the strings, the lookup, the extent and the
// checksum must agree on where the table ends. The bytes up to a NUL are also read as a
// stored checksum, which must read back the same once written.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/module_table.h"
#include "fuzz_check.h"

namespace {

void RequireInside(const TModuleRecord& record, const uint8_t* start) {
  const uint8_t* end = start + record.recordBytes;
  std::vector<TTableText> texts(record.mainStrings, record.mainStrings + kMainStringCount);
  texts.insert(texts.end(), record.headerFieldClasses, record.headerFieldClasses + kHeaderFieldCount);
  for (TTableText text : {record.headerDialogClass, record.bodyClass, record.viewClass, record.viewParentPrefix})
    texts.push_back(text);
  for (TTableText text : texts) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.text);
    FUZZ_REQUIRE(text.length == 0 || (bytes >= start && bytes + text.length <= end));
  }
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
    RequireInside(record, table + offset);
    records.push_back(offset);
    offset = next;
  }
  FUZZ_REQUIRE(records.size() <= size / 4);  // every record takes at least 4 bytes
  FUZZ_REQUIRE(ModuleTableExtent(table, size) == offset);
  uint32_t sum = 0;
  for (size_t i = 0; i < offset; ++i) sum = ((sum ^ table[i]) << 5) | ((sum ^ table[i]) >> 27);
  FUZZ_REQUIRE(ModuleTableChecksum(table, size) == sum);

  // A row's own strings find that row or an earlier one; a row string holding a NUL is
  // longer than the key made from it and need not match.
  for (size_t record : records) {
    TTableText strings[kMatchKeyCount];
    if (!ModuleRecordStrings(table, size, record, kMatchKeyCount, strings)) break;
    std::string texts[kMatchKeyCount];
    const char* keys[kMatchKeyCount];
    bool hasNul = false;
    for (int k = 0; k < kMatchKeyCount; ++k) {
      texts[k].assign(strings[k].text, strings[k].length);
      keys[k] = texts[k].c_str();
      hasNul |= texts[k].find('\0') != std::string::npos;
    }
    size_t found = size + 1;
    const bool matched = FindModuleRecord(table, size, keys, kMatchKeyCount, &found);
    if (!hasNul) FUZZ_REQUIRE(matched && found <= record);
  }

  const std::string text(reinterpret_cast<const char*>(data),
                         strnlen(reinterpret_cast<const char*>(data), size));
  uint32_t value = 0, again = 0;
  if (ParseStoredChecksum(text.c_str(), &value)) {
    char written[16];
    std::snprintf(written, sizeof written, "%ld", static_cast<long>(static_cast<int32_t>(value)));
    FUZZ_REQUIRE(ParseStoredChecksum(written, &again) && again == value);
  }
  return 0;
}
