// The module-definition table: records of the window layout of each known Eudora version,
// read from a resource of the plug-in. All integers are 16-bit little-endian; a counted
// string is a length byte and that many characters, without terminator.
//
// The bytes come from a resource but are read as untrusted: every read is bounded by the
// table's size and by the section it belongs to. A record is usable only when all of it
// reads cleanly; the first record that does not, ends the table for every reader (the walk,
// the strings, the lookup, the parse and the checksum agree on where the table ends).
// What ends the table at a record position:
//   - fewer than 2 bytes left (the terminating word is missing): the table ends there;
//   - a record length of 0 (the terminating word);
//   - fewer than 4 bytes left, or a length of 1 word (shorter than the length and the
//     signature), or a length that runs past the end of the table;
//   - a signature other than 0xC101;
//   - a section whose length word lies outside the record, or whose length runs past it;
//   - a section with a non-zero length too short for its fixed fields, or one of its
//     counted strings running past the section;
//   - a menu-key index that does not name one of the record's menu keys.
// Bytes after the last field of a section, and after the last section of a record, are
// filler and are never read.
#pragma once
#include <cstddef>
#include <cstdint>

enum {
  kModuleRecordSignature = 0xC101,
  kMenuSlotCount = 5,
  kHeaderFieldCount = 6,
  kModuleTableResourceId = 18031,
};

// The first strings of section 1, in record order; GetStrings hands out this many at most.
enum TMainString {
  kMainWindowClass,
  kModuleName,
  kProductName,
  kProductVersion,
  kControlBarClass,
  kMainStringCount
};
// The four strings that identify a host program (the lookup's keys).
enum { kMatchKeyCount = 4 };

// A counted string of the table: points into the table, not NUL-terminated.
struct TTableText {
  const char* text;
  size_t length;
};

// One record, as read. Strings point into the table. A section with length 0 leaves its
// fields 0 and its texts empty, and its `has...` flag false.
struct TModuleRecord {
  size_t recordBytes;  // RecordWords * 2
  bool hasMainSection, hasComposeSection, hasViewSection;
  // Section 1: main window.
  uint16_t menuKeyCount;
  uint16_t menuKeyIndex[kMenuSlotCount];
  uint16_t menuKeys[kMenuSlotCount];  // the keys that menuKeyIndex selects
  uint16_t reserved1, reserved2, textCommandId, addressCommandId;
  TTableText mainStrings[kMainStringCount];
  // Section 2: composition window.
  uint16_t reserved3;
  uint16_t headerFieldIds[kHeaderFieldCount];
  uint16_t bodyPaneId;
  TTableText headerDialogClass;
  TTableText headerFieldClasses[kHeaderFieldCount];
  TTableText bodyClass;
  // Section 3: message view.
  uint16_t viewId, reserved4;
  TTableText viewClass, viewParentPrefix;
};

// Reads the record at `offset`; false when it ends the table (see above).
bool ReadModuleRecord(const uint8_t* table, size_t size, size_t offset, TModuleRecord* record);

// Moves `*offset` to the next record; false (offset unchanged) when the record at
// `*offset` ends the table.
bool NextModuleRecord(const uint8_t* table, size_t size, size_t* offset);

// The first `count` (at most kMainStringCount) strings of section 1 of the record at
// `offset`; false when the record ends the table or has an empty section 1.
bool ModuleRecordStrings(const uint8_t* table, size_t size, size_t offset, size_t count,
                         TTableText* strings);

// The lookup: from the first record, the first one whose first `count` strings (at most
// kMatchKeyCount) each match the key of the same position. A null key matches anything;
// a key matches when the row's string is a prefix of it, without regard to letter case
// (the row version "3.0.1" matches a key "3.0.1.2"). Stops at the first record that has no
// strings. Returns true with `*offset` at the match.
bool FindModuleRecord(const uint8_t* table, size_t size, const char* const* keys, size_t count,
                      size_t* offset);

// True when `row` is a prefix of `value` without regard to letter case. Letter case is
// folded for ASCII letters only: the table's texts are ASCII, and the comparison must not
// depend on the code page of the machine.
bool MatchesRowPrefix(const char* value, TTableText row);
// Two texts equal without regard to letter case (folded as above).
bool SameTextIgnoringCase(const char* a, const char* b);

// Copies a table text with a NUL into `dest`, cut to destSize - 1 characters (destSize > 0).
void CopyTableText(char* dest, size_t destSize, TTableText text);
// A module-heap copy of a table text with a NUL; null when out of memory.
char* HeapCopyTableText(TTableText text);

// The number of bytes the records take: the offset at which the table ends.
size_t ModuleTableExtent(const uint8_t* table, size_t size);

// Over the bytes before the end of the table: from 0, for each byte XOR it into the low
// 8 bits, then rotate the 32-bit value left by 5.
uint32_t ModuleTableChecksum(const uint8_t* table, size_t size);

// Reads a stored checksum: optional blanks, an optional sign and decimal digits whose value
// fits 32 bits as a signed number, then optional blanks. False for anything else (an empty,
// overlong or garbage value), so that such a value never equals a checksum.
bool ParseStoredChecksum(const char* text, uint32_t* value);
