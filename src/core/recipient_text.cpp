#include "core/recipient_text.h"
#include <cstring>
#include "core/text_utils.h"

size_t BuildRecipientText(char* dest, size_t destSize, const char* const* addresses,
                          size_t count, bool encryptForSelf, const char* encryptFor) {
  dest[0] = '\0';
  size_t length = 0;
  size_t first = 1;  // the sender is skipped unless the user encrypts for himself
  if (encryptForSelf) {
    if (encryptFor && encryptFor[0]) {
      length = CopyText(dest, destSize, encryptFor);
      if (length < std::strlen(encryptFor) && encryptFor[0] == '"' && length >= 2)
        dest[length - 1] = '"';
    } else {
      first = 0;
    }
  }
  for (size_t i = first; i < count; ++i) {
    const char* address = addresses[i];
    if (!address) continue;
    size_t addressLength = std::strlen(address);
    if (length + addressLength >= kRecipientTextStop) break;
    // The stop keeps the text within 110 characters; a smaller buffer is still respected.
    if (length + 1 + addressLength + 1 > destSize) break;
    dest[length++] = ' ';
    std::memcpy(dest + length, address, addressLength + 1);
    length += addressLength;
  }
  return length;
}
