#include "core/settings_listing.h"

#include <cstdio>

#include "core/text_utils.h"

namespace {

// Longer than any line that can fit a 256-byte message buffer; a line cut by snprintf
// would not fit the buffer anyway and is treated as not fitting.
const size_t kLineSize = 512;

bool AppendFormatted(char* buffer, size_t capacity, const char* line, int written) {
  if (written < 0 || static_cast<size_t>(written) >= kLineSize) return false;
  return AppendLine(buffer, capacity, line) != 0;
}

}  // namespace

void AppendSettingsListing(char* buffer, size_t capacity, const TListedInteger* integers,
                           size_t integerCount, const TListedText* texts, size_t textCount) {
  char line[kLineSize];
  AppendLine(buffer, capacity, "---");
  for (size_t i = 0; i < integerCount; ++i) {
    int written = std::snprintf(line, sizeof line, "%s = %u", integers[i].key,
                                static_cast<unsigned>(static_cast<uint32_t>(integers[i].value)));
    AppendFormatted(buffer, capacity, line, written);
  }
  for (size_t i = 0; i < textCount; ++i) {
    if (!texts[i].value) continue;
    int written = std::snprintf(line, sizeof line, "%s = %s", texts[i].key, texts[i].value);
    if (!AppendFormatted(buffer, capacity, line, written)) {
      AppendLine(buffer, capacity, ">>");
      return;
    }
  }
}
