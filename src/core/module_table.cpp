#include "core/module_table.h"

#include <cstring>

#include "core/module_heap.h"

namespace {

// Reads within [position, end): every read checks that its bytes lie before `end`, which is
// never beyond the table. After one failed read the cursor stays failed.
class TBoundedCursor {
 public:
  TBoundedCursor(const uint8_t* table, size_t position, size_t end)
      : table_(table), position_(position), end_(end), failed_(position > end) {}

  uint16_t Word() {
    if (!Has(2)) return Fail();
    const uint16_t value =
        static_cast<uint16_t>(table_[position_] | (table_[position_ + 1] << 8));
    position_ += 2;
    return value;
  }
  TTableText Text() {
    if (!Has(1)) return Fail(), TTableText{"", 0};
    const size_t length = table_[position_];
    if (!Has(1 + length)) return Fail(), TTableText{"", 0};
    const TTableText text{reinterpret_cast<const char*>(table_ + position_ + 1), length};
    position_ += 1 + length;
    return text;
  }
  void Skip(size_t bytes) {
    if (Has(bytes)) position_ += bytes;
    else Fail();
  }
  size_t position() const { return position_; }
  bool failed() const { return failed_; }

 private:
  bool Has(size_t bytes) const { return !failed_ && bytes <= end_ - position_; }
  uint16_t Fail() {
    failed_ = true;
    return 0;
  }

  const uint8_t* table_;
  size_t position_;
  size_t end_;
  bool failed_;
};

// A section starts with its length word at `*position` and holds that many words after it;
// all of it must lie before `recordEnd`. On success [*bodyStart, *bodyEnd) is its body and
// `*position` the start of the next section.
bool SectionBounds(const uint8_t* table, size_t recordEnd, size_t* position, size_t* bodyStart,
                   size_t* bodyEnd) {
  TBoundedCursor cursor(table, *position, recordEnd);
  const size_t words = cursor.Word();
  if (cursor.failed()) return false;
  *bodyStart = cursor.position();
  if (2 * words > recordEnd - *bodyStart) return false;
  *bodyEnd = *bodyStart + 2 * words;
  *position = *bodyEnd;
  return true;
}

bool ReadMainSection(const uint8_t* table, size_t start, size_t end, TModuleRecord* record) {
  TBoundedCursor in(table, start, end);
  record->menuKeyCount = in.Word();
  const size_t keysStart = in.position();
  in.Skip(2 * static_cast<size_t>(record->menuKeyCount));
  for (uint16_t& index : record->menuKeyIndex) index = in.Word();
  record->reserved1 = in.Word();
  record->reserved2 = in.Word();
  record->textCommandId = in.Word();
  record->addressCommandId = in.Word();
  for (TTableText& text : record->mainStrings) text = in.Text();
  if (in.failed()) return false;
  for (int slot = 0; slot < kMenuSlotCount; ++slot) {
    // An index outside the key list would select some other word of the record.
    const size_t index = record->menuKeyIndex[slot];
    if (index >= record->menuKeyCount) return false;
    TBoundedCursor key(table, keysStart + 2 * index, end);
    record->menuKeys[slot] = key.Word();
  }
  return true;
}

bool ReadComposeSection(const uint8_t* table, size_t start, size_t end, TModuleRecord* record) {
  TBoundedCursor in(table, start, end);
  record->reserved3 = in.Word();
  for (uint16_t& id : record->headerFieldIds) id = in.Word();
  record->bodyPaneId = in.Word();
  record->headerDialogClass = in.Text();
  for (TTableText& text : record->headerFieldClasses) text = in.Text();
  record->bodyClass = in.Text();
  return !in.failed();
}

bool ReadViewSection(const uint8_t* table, size_t start, size_t end, TModuleRecord* record) {
  TBoundedCursor in(table, start, end);
  record->viewId = in.Word();
  record->reserved4 = in.Word();
  record->viewClass = in.Text();
  record->viewParentPrefix = in.Text();
  return !in.failed();
}

void ClearRecord(TModuleRecord* record) {
  std::memset(record, 0, sizeof *record);
  const TTableText empty{"", 0};
  for (TTableText& text : record->mainStrings) text = empty;
  for (TTableText& text : record->headerFieldClasses) text = empty;
  record->headerDialogClass = record->bodyClass = empty;
  record->viewClass = record->viewParentPrefix = empty;
}

char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool ReadModuleRecord(const uint8_t* table, size_t size, size_t offset, TModuleRecord* record) {
  ClearRecord(record);
  if (!table || offset > size) return false;
  TBoundedCursor header(table, offset, size);
  const size_t recordWords = header.Word();
  const uint16_t signature = header.Word();
  // Length and signature are the first two words; a length below that, or one running
  // past the table, cannot hold a record.
  if (header.failed() || recordWords < 2 || signature != kModuleRecordSignature) return false;
  if (2 * recordWords > size - offset) return false;
  const size_t recordEnd = offset + 2 * recordWords;
  record->recordBytes = 2 * recordWords;

  size_t position = header.position();
  bool (*const readers[])(const uint8_t*, size_t, size_t, TModuleRecord*) = {
      ReadMainSection, ReadComposeSection, ReadViewSection};
  bool* const present[] = {&record->hasMainSection, &record->hasComposeSection,
                           &record->hasViewSection};
  for (int section = 0; section < 3; ++section) {
    size_t bodyStart = 0, bodyEnd = 0;
    if (!SectionBounds(table, recordEnd, &position, &bodyStart, &bodyEnd)) return false;
    // An empty section is skipped; its fields stay 0 and its texts empty.
    if (bodyStart == bodyEnd) continue;
    if (!readers[section](table, bodyStart, bodyEnd, record)) return false;
    *present[section] = true;
  }
  return true;
}

bool NextModuleRecord(const uint8_t* table, size_t size, size_t* offset) {
  TModuleRecord record;
  if (!ReadModuleRecord(table, size, *offset, &record)) return false;
  *offset += record.recordBytes;
  return true;
}

bool ModuleRecordStrings(const uint8_t* table, size_t size, size_t offset, size_t count,
                         TTableText* strings) {
  TModuleRecord record;
  if (count > kMainStringCount) return false;
  if (!ReadModuleRecord(table, size, offset, &record) || !record.hasMainSection) return false;
  for (size_t i = 0; i < count; ++i) strings[i] = record.mainStrings[i];
  return true;
}

bool MatchesRowPrefix(const char* value, TTableText row) {
  for (size_t i = 0; i < row.length; ++i) {
    // The value's NUL differs from every character of the row, so a shorter value fails.
    if (value[i] == '\0' || FoldCase(value[i]) != FoldCase(row.text[i])) return false;
  }
  return true;
}

bool SameTextIgnoringCase(const char* a, const char* b) {
  for (; *a && FoldCase(*a) == FoldCase(*b); ++a, ++b) {
  }
  return FoldCase(*a) == FoldCase(*b);
}

bool FindModuleRecord(const uint8_t* table, size_t size, const char* const* keys, size_t count,
                      size_t* offset) {
  if (count > kMatchKeyCount) return false;
  size_t position = 0;
  for (;;) {
    TTableText strings[kMatchKeyCount];
    if (!ModuleRecordStrings(table, size, position, count, strings)) return false;
    size_t key = 0;
    while (key < count && (!keys[key] || MatchesRowPrefix(keys[key], strings[key]))) ++key;
    if (key == count) {
      *offset = position;
      return true;
    }
    if (!NextModuleRecord(table, size, &position)) return false;
  }
}

void CopyTableText(char* dest, size_t destSize, TTableText text) {
  const size_t length = text.length < destSize - 1 ? text.length : destSize - 1;
  std::memcpy(dest, text.text, length);
  dest[length] = '\0';
}

char* HeapCopyTableText(TTableText text) {
  char* copy = static_cast<char*>(HeapAllocBlock(text.length + 1));
  if (copy) CopyTableText(copy, text.length + 1, text);
  return copy;
}

size_t ModuleTableExtent(const uint8_t* table, size_t size) {
  size_t position = 0;
  while (NextModuleRecord(table, size, &position)) {
  }
  return position;
}

uint32_t ModuleTableChecksum(const uint8_t* table, size_t size) {
  const size_t extent = ModuleTableExtent(table, size);
  uint32_t sum = 0;
  for (size_t i = 0; i < extent; ++i) {
    sum ^= table[i];
    sum = (sum << 5) | (sum >> 27);
  }
  return sum;
}

bool ParseStoredChecksum(const char* text, uint32_t* value) {
  if (!text) return false;
  while (*text == ' ' || *text == '\t') ++text;
  const bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  // Magnitude limits of a signed 32-bit number.
  const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
  uint64_t magnitude = 0;
  const char* digits = text;
  while (*text >= '0' && *text <= '9') {
    magnitude = magnitude * 10 + static_cast<uint64_t>(*text - '0');
    if (magnitude > limit) return false;
    ++text;
  }
  if (text == digits) return false;
  while (*text == ' ' || *text == '\t') ++text;
  if (*text != '\0') return false;
  const uint32_t low = static_cast<uint32_t>(magnitude);
  *value = negative ? static_cast<uint32_t>(0u - low) : low;
  return true;
}
