// Hostile message text through everything that reads it: the armour search (each block lies
// inside the text, starts with a header, ends with a footer of its kind; the walk moves on),
// the attachment-line parser (a path is the run after the marker less enclosing quotes, fits
// its field, holds no control character), and the quote-mark removal and result layout of a
// decode, both compared with a plain rebuild. Every buffer is sized exactly, so a read or
// write past one is an AddressSanitizer finding.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/armour.h"
#include "core/compose_result.h"
#include "fuzz_check.h"

namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

void CheckBlock(const char* text, size_t extent, PgpFunction kind, const ArmourBlock& block, size_t from) {
  FUZZ_REQUIRE(block.start >= from && block.start < block.end && block.end <= extent);
  FUZZ_REQUIRE(memcmp(text + block.start, kHeaderPrefix, kHeaderPrefixLength) == 0);
  // A footer prefix and as many characters as the kind's own type text (for signatures a
  // SIGNED MESSAGE footer counts too, cut to the length of SIGNATURE-----).
  const size_t typeLength =
      strlen(kind == Decode ? kMessageType : kind == CheckSignature ? kSignatureType : kPublicKeyType);
  FUZZ_REQUIRE(block.end >= kFooterPrefixLength + typeLength);
  const size_t type = block.end - typeLength;
  FUZZ_REQUIRE(memcmp(text + type - kFooterPrefixLength, kFooterPrefix, kFooterPrefixLength) == 0);
  FUZZ_REQUIRE(ClassifyArmour(text + type, extent - type) == kind);
  FUZZ_REQUIRE(block.quoted == (block.start > 0 && text[block.start - 1] == '>'));
}

// Drops '>' at each line start of `text` (exactly length + 1 bytes) and checks the result.
std::string Unquote(const char* text, size_t length) {
  std::string expected;
  for (size_t i = 0; i < length && text[i] != '\0'; ++i)
    if (!((i == 0 || text[i - 1] == '\n') && text[i] == '>')) expected += text[i];
  std::vector<char> copy(text, text + length);
  copy.push_back('\0');
  FUZZ_REQUIRE(StripQuoteMarks(copy.data(), length, '>') == expected.size());
  FUZZ_REQUIRE(memcmp(copy.data(), expected.c_str(), expected.size() + 1) == 0);
  return expected;
}

void WalkAttachments(const char* text, size_t size, size_t pathSize) {
  static const char kMarker[] = "Attachment Converted: ";
  const size_t markerLength = sizeof kMarker - 1, extent = TextExtent(text, size);
  std::vector<char> path(pathSize);
  for (size_t position = 0;;) {
    const size_t before = position;
    ArmourBlock line{};
    const AttachmentScan scan =
        NextAttachmentLine(text, size, &position, kMarker, markerLength, &line, path.data(), pathSize);
    if (scan == AttachmentScan::None) return;
    FUZZ_REQUIRE(position > before && line.start >= before && line.end <= extent);
    FUZZ_REQUIRE(memcmp(text + line.start, kMarker, markerLength) == 0 && position == line.start + markerLength);
    FUZZ_REQUIRE(line.quoted == (line.start > 0 && text[line.start - 1] == '>'));
    FUZZ_REQUIRE(line.end == extent || IsControl(text[line.end]));
    FUZZ_REQUIRE(path[0] == '\0' || scan == AttachmentScan::Found);
    if (scan == AttachmentScan::TooLong) return;  // the caller stops with an error here
    const size_t length = strnlen(path.data(), pathSize), run = line.end - position;
    const bool quoted = text[position] == '"';
    FUZZ_REQUIRE(length > 0 && length < pathSize && length + (quoted ? 2 : 0) == run);
    FUZZ_REQUIRE(memcmp(path.data(), text + position + (quoted ? 1 : 0), length) == 0);
    for (size_t i = 0; i < length; ++i) FUZZ_REQUIRE(!IsControl(path[i]));
  }
}

// The layout of a decode, in one block sized to the plan as the plug-in sizes it.
void Compose(const std::string& text, const ArmourBlock& block, bool keep, const std::string& output, char mark,
             size_t maxTotal) {
  const TComposePlan plan = PlanComposeResult(output.c_str(), output.size() + 1, mark, keep, text.size(),
                                              block.start, block.end, maxTotal);
  FUZZ_REQUIRE(plan.totalLength() <= maxTotal && plan.outputUsed <= output.size());
  FUZZ_REQUIRE(plan.cut == (plan.outputUsed < output.size()));
  std::vector<char> result(plan.totalLength() + 1);
  memcpy(result.data(), output.data(), std::min(output.size(), result.size()));
  LayOutComposeResult(result.data(), plan, mark, text.data());
  std::string expected = keep ? text.substr(0, block.start) : "";
  for (size_t i = 0; i < plan.outputUsed; ++i) {
    expected += output[i];
    if (output[i] == '\n' && mark) expected += mark;
  }
  if (keep) expected += text.substr(block.end);
  FUZZ_REQUIRE(expected.size() == plan.totalLength());
  FUZZ_REQUIRE(memcmp(result.data(), expected.c_str(), expected.size() + 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<char> buffer(data, data + size);  // no terminator: one byte more is a finding
  const char* text = buffer.data();
  const size_t extent = TextExtent(text, size);
  for (bool reading : {true, false}) {
    for (size_t position = 0;;) {
      ArmourBlock block{kNotFound, kNotFound, true};
      const PgpFunction kind = FindArmourBlock(text, size, position, reading, &block);
      if (kind == Encrypt) {
        // Only a public key while composing records bounds without a find.
        if (block.start != kNotFound) {
          FUZZ_REQUIRE(!reading);
          CheckBlock(text, extent, AddKey, block, position);
        }
        break;
      }
      FUZZ_REQUIRE(kind == Decode || kind == CheckSignature || (kind == AddKey && reading));
      CheckBlock(text, extent, kind, block, position);
      position = block.end;  // strictly further on, so the walk ends
    }
  }
  ArmourBlock block{};
  FindArmourBlock(text, size, size + 1, true, &block);  // from beyond the end
  char preview[256];
  FUZZ_REQUIRE(FindKeyBlock(text, size, preview, sizeof preview)
                   ? strncmp(preview, "-----BEGIN PGP PUBLIC KEY BLOCK-----", 36) == 0
                   : preview[0] == '\0');
  for (size_t pathSize : {260, 8, 1}) WalkAttachments(text, size, pathSize);

  // A decode: the first block (or the whole text) unquoted stands in for PGP's output.
  const std::string message(text, extent);
  const PgpFunction kind = FindArmourBlock(message.c_str(), message.size(), 0, true, &block);
  if (kind == Encrypt) block = ArmourBlock{0, message.size(), false};
  const std::string output = Unquote(message.c_str() + block.start, block.end - block.start);
  Unquote(text, size);
  for (char mark : {'\0', '>'}) {
    const bool keep = kind == Decode || kind == CheckSignature;
    Compose(message, block, keep, output, mark, kMaxTextLength);
    Compose(message, block, keep, output, mark, message.size() - output.size() / 2);  // a cut inside
  }
  return 0;
}
