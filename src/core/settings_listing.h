// The Caps Lock diagnostic: the loaded settings listed below the INI files that were read.
#pragma once
#include <cstddef>
#include <cstdint>

struct TListedInteger {
  const char* key;
  int32_t value;
};

struct TListedText {
  const char* key;
  const char* value;  // null when the setting is not set
};

// Appends "---", one "key = value" line per integer (shown unsigned, so -1 reads
// 4294967295) and one per text that is set, each only when it still fits `capacity`
// bytes with its NUL. An integer line that does not fit is left out; a text line that
// does not fit ends the listing with ">>" (when that fits).
void AppendSettingsListing(char* buffer, size_t capacity, const TListedInteger* integers,
                           size_t integerCount, const TListedText* texts, size_t textCount);
