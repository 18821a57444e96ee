// Hostile text through the attachment-line parser: each line found must lie inside the
// text, its path must be the run after the marker (less enclosing quotes), fit its field
// and hold no control character; the walk must always move on.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/armour.h"
#include "fuzz_check.h"

namespace {

const char kMarker[] = "Attachment Converted: ";
const size_t kMarkerLength = sizeof kMarker - 1;

void Walk(const char* text, size_t size, size_t pathSize) {
  const size_t extent = TextExtent(text, size);
  // Exactly pathSize bytes, so a write past the field is caught.
  std::vector<char> path(pathSize);
  size_t position = 0;
  for (;;) {
    const size_t before = position;
    ArmourBlock line{};
    const AttachmentScan scan = NextAttachmentLine(text, size, &position, kMarker,
                                                   kMarkerLength, &line, path.data(), pathSize);
    if (scan == AttachmentScan::None) return;
    FUZZ_REQUIRE(position > before);
    FUZZ_REQUIRE(line.start >= before && line.end <= extent);
    FUZZ_REQUIRE(memcmp(text + line.start, kMarker, kMarkerLength) == 0);
    FUZZ_REQUIRE(position == line.start + kMarkerLength);
    FUZZ_REQUIRE(line.quoted == (line.start > 0 && text[line.start - 1] == '>'));
    const char* run = text + position;
    const size_t runLength = line.end - position;
    FUZZ_REQUIRE(line.end == extent || static_cast<unsigned char>(text[line.end]) < 0x20 ||
                 text[line.end] == 0x7F);
    FUZZ_REQUIRE(path[0] == '\0' || scan == AttachmentScan::Found);
    if (scan == AttachmentScan::TooLong) return;  // the caller stops with an error here

    const size_t length = strnlen(path.data(), pathSize);
    FUZZ_REQUIRE(length > 0 && length < pathSize);
    if (run[0] == '"') {
      FUZZ_REQUIRE(length + 2 == runLength && memcmp(path.data(), run + 1, length) == 0);
    } else {
      FUZZ_REQUIRE(length == runLength && memcmp(path.data(), run, length) == 0);
    }
    for (size_t i = 0; i < length; ++i)
      FUZZ_REQUIRE(static_cast<unsigned char>(path[i]) >= 0x20 && path[i] != 0x7F);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> buffer(data, data + size);
  Walk(buffer.data(), size, 260);  // the attachmentPath field
  Walk(buffer.data(), size, 8);    // a small field meets the length limit often
  Walk(buffer.data(), size, 1);    // no room for any path
  return 0;
}
