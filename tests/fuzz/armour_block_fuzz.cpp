// Hostile message text through the armour search and the quote-mark removal: every block
// found must lie inside the text and start with a header; successive searches must move
// on; removing quote marks must give what a plain rebuild gives.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/armour.h"
#include "fuzz_check.h"

namespace {

// The characters that remain when `mark` is dropped at each line start, built naively;
// the text ends at its first NUL.
std::string Unquoted(const char* text, size_t length, char mark) {
  std::string kept;
  for (size_t i = 0; i < length && text[i] != '\0'; ++i) {
    const bool lineStart = i == 0 || text[i - 1] == '\n';
    if (!(lineStart && text[i] == mark)) kept += text[i];
  }
  return kept;
}

void CheckBlock(const char* text, size_t extent, PgpFunction kind, const ArmourBlock& block) {
  FUZZ_REQUIRE(block.start < block.end && block.end <= extent);
  FUZZ_REQUIRE(memcmp(text + block.start, kHeaderPrefix, kHeaderPrefixLength) == 0);
  // The block ends with a footer prefix and as many characters as the kind's own type
  // text has; what stands there is of the block's kind (for signatures, SIGNED MESSAGE
  // counts too, cut to the length of SIGNATURE-----).
  const size_t typeLength = strlen(kind == Decode ? kMessageType
                                   : kind == CheckSignature ? kSignatureType : kPublicKeyType);
  FUZZ_REQUIRE(block.end >= kFooterPrefixLength + typeLength);
  const size_t type = block.end - typeLength;
  FUZZ_REQUIRE(memcmp(text + type - kFooterPrefixLength, kFooterPrefix, kFooterPrefixLength) == 0);
  FUZZ_REQUIRE(ClassifyArmour(text + type, extent - type) == kind);
  FUZZ_REQUIRE(block.quoted == (block.start > 0 && text[block.start - 1] == '>'));
}

void StripCopy(const char* text, size_t length) {
  // Exactly length + 1 bytes, so a write past the terminator is caught.
  std::vector<char> copy(text, text + length);
  copy.push_back('\0');
  const std::string expected = Unquoted(text, length, '>');
  const size_t kept = StripQuoteMarks(copy.data(), length, '>');
  FUZZ_REQUIRE(kept == expected.size());
  FUZZ_REQUIRE(memcmp(copy.data(), expected.data(), kept) == 0 && copy[kept] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A heap copy of exactly `size` bytes without terminator: reading one byte past the
  // text is an AddressSanitizer finding.
  std::vector<char> buffer(data, data + size);
  const char* text = buffer.data();
  const size_t extent = TextExtent(text, size);

  for (bool reading : {true, false}) {
    size_t position = 0;
    for (;;) {
      ArmourBlock block{kNotFound, kNotFound, true};
      const PgpFunction kind = FindArmourBlock(text, size, position, reading, &block);
      if (kind == Encrypt) {
        // Only a public key while composing records bounds without a find.
        if (block.start != kNotFound) {
          FUZZ_REQUIRE(!reading);
          CheckBlock(text, extent, AddKey, block);
          FUZZ_REQUIRE(block.start >= position);
        }
        break;
      }
      FUZZ_REQUIRE(kind == Decode || kind == CheckSignature || (kind == AddKey && reading));
      CheckBlock(text, extent, kind, block);
      FUZZ_REQUIRE(block.start >= position);
      if (block.quoted) StripCopy(text + block.start, block.end - block.start);
      position = block.end;  // strictly further on, so the walk ends
    }
  }
  // A search from anywhere (also beyond the end) stays within the text.
  ArmourBlock block{};
  FindArmourBlock(text, size, size / 3, true, &block);
  FindArmourBlock(text, size, size + 1, true, &block);

  StripCopy(text, size);

  char preview[256];
  if (FindKeyBlock(text, size, preview, sizeof preview)) {
    FUZZ_REQUIRE(strncmp(preview, "-----BEGIN PGP PUBLIC KEY BLOCK-----", 36) == 0);
  } else {
    FUZZ_REQUIRE(preview[0] == '\0');
  }
  return 0;
}
