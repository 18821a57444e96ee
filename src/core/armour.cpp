#include "core/armour.h"

#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

inline constexpr char kPublicKeyHeader[] = "-----BEGIN PGP PUBLIC KEY BLOCK-----";

bool StartsWith(const char* place, size_t available, const char* type, size_t typeLength) {
  return available >= typeLength && memcmp(place, type, typeLength) == 0;
}

// Length of the type text that ends a footer of this kind.
size_t TypeLength(PgpFunction kind) {
  switch (kind) {
    case Decode: return sizeof kMessageType - 1;
    case CheckSignature: return sizeof kSignatureType - 1;
    default: return sizeof kPublicKeyType - 1;
  }
}

// Characters that end a path run: 0x00..0x1F and DEL.
bool IsControl(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

// The kind of the header or footer whose prefix ends at `scan`.
PgpFunction KindAt(const char* text, size_t end, size_t scan) {
  return ClassifyArmour(text + scan, end - scan);
}

}  // namespace

size_t TextExtent(const char* text, size_t length) {
  if (length == 0) return 0;  // an empty text may come without any buffer
  const void* nul = memchr(text, 0, length);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length;
}

size_t FindText(const char* text, size_t length, size_t from, const char* needle,
                size_t needleLength) {
  if (needleLength == 0 || from > length || length - from < needleLength) return kNotFound;
  size_t at = from;
  const size_t last = length - needleLength;  // the last place a match can start
#if defined(__SSE2__)
  // Sixteen places at a time: a place is a candidate only when both the needle's first and
  // its last character stand where they belong, which in mail text is rare. Four such
  // groups are tested together first, so that plain text costs one branch per 64 bytes.
  if (needleLength >= 2) {
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i final = _mm_set1_epi8(needle[needleLength - 1]);
    auto candidatesAt = [&](size_t place) {
      const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + place));
      const __m128i tails = _mm_loadu_si128(
          reinterpret_cast<const __m128i*>(text + place + needleLength - 1));
      return _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, final));
    };
    // Checks the candidates among the sixteen places from `place`; the first match or kNotFound.
    auto matchAmong = [&](size_t place, __m128i candidates) {
      for (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(candidates)); bits;
           bits &= bits - 1) {
        const size_t start = place + static_cast<size_t>(__builtin_ctz(bits));
        if (memcmp(text + start + 1, needle + 1, needleLength - 2) == 0) return start;
      }
      return kNotFound;
    };
    for (; last - at >= 64; at += 64) {  // places at .. at + 63 are all <= last
      const __m128i c0 = candidatesAt(at), c1 = candidatesAt(at + 16);
      const __m128i c2 = candidatesAt(at + 32), c3 = candidatesAt(at + 48);
      if (!_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(c0, c1), _mm_or_si128(c2, c3))))
        continue;
      size_t found = matchAmong(at, c0);
      if (found == kNotFound) found = matchAmong(at + 16, c1);
      if (found == kNotFound) found = matchAmong(at + 32, c2);
      if (found == kNotFound) found = matchAmong(at + 48, c3);
      if (found != kNotFound) return found;
    }
    for (; last - at >= 16; at += 16) {
      const size_t found = matchAmong(at, candidatesAt(at));
      if (found != kNotFound) return found;
    }
  }
#endif
  const char* place = text + at;
  const char* lastPlace = text + last;
  while (place <= lastPlace) {
    place = static_cast<const char*>(
        memchr(place, needle[0], static_cast<size_t>(lastPlace - place) + 1));
    if (place == nullptr) return kNotFound;
    if (memcmp(place + 1, needle + 1, needleLength - 1) == 0)
      return static_cast<size_t>(place - text);
    ++place;
  }
  return kNotFound;
}

PgpFunction ClassifyArmour(const char* place, size_t available) {
  if (StartsWith(place, available, kMessageType, sizeof kMessageType - 1)) return Decode;
  if (StartsWith(place, available, kPublicKeyType, sizeof kPublicKeyType - 1)) return AddKey;
  if (StartsWith(place, available, kSignatureType, sizeof kSignatureType - 1))
    return CheckSignature;
  if (StartsWith(place, available, kSignedMessageType, sizeof kSignedMessageType - 1))
    return CheckSignature;
  return Encrypt;
}

PgpFunction FindArmourBlock(const char* text, size_t length, size_t position, bool reading,
                            ArmourBlock* block) {
  const size_t end = TextExtent(text, length);
  const size_t header = FindText(text, end, position, kHeaderPrefix, kHeaderPrefixLength);
  if (header == kNotFound) return Encrypt;
  size_t scan = header + kHeaderPrefixLength;
  const PgpFunction kind = KindAt(text, end, scan);
  // An unknown type text asks for nothing PGP should decode or check: the text is
  // treated as having no block, and no bounds are recorded for it.
  if (kind == Encrypt) return Encrypt;

  // A signed text is only complete with a signature header after it; a signature block
  // that stands alone therefore needs a further one. Other headers on the way are passed.
  if (kind == CheckSignature) {
    for (;;) {
      const size_t next = FindText(text, end, scan, kHeaderPrefix, kHeaderPrefixLength);
      if (next == kNotFound) return Encrypt;
      scan = next + kHeaderPrefixLength;
      if (KindAt(text, end, scan) == CheckSignature) break;
    }
  }

  for (;;) {
    const size_t footer = FindText(text, end, scan, kFooterPrefix, kFooterPrefixLength);
    if (footer == kNotFound) return Encrypt;
    scan = footer + kFooterPrefixLength;
    if (KindAt(text, end, scan) == kind) break;
  }

  block->start = header;
  block->end = scan + TypeLength(kind);  // the matched type text lies within the text
  block->quoted = header > 0 && text[header - 1] == '>';
  if (kind == AddKey && !reading) return Encrypt;
  return kind;
}

AttachmentScan NextAttachmentLine(const char* text, size_t length, size_t* position,
                                  const char* marker, size_t markerLength,
                                  ArmourBlock* line, char* path, size_t pathSize) {
  if (pathSize > 0) path[0] = '\0';
  const size_t end = TextExtent(text, length);
  // A run longer than this cannot hold a path that fits, quoted or not. Measuring no
  // further keeps a line full of markers from being walked once per marker.
  const size_t runLimit = pathSize + 1;
  for (;;) {
    const size_t at = FindText(text, end, *position, marker, markerLength);
    if (at == kNotFound) return AttachmentScan::None;
    const size_t runStart = at + markerLength;
    *position = runStart;
    size_t runEnd = runStart;
    while (runEnd < end && runEnd - runStart <= runLimit && !IsControl(text[runEnd])) ++runEnd;
    if (runEnd == runStart) continue;

    line->start = at;
    line->quoted = at > 0 && text[at - 1] == '>';
    if (runEnd - runStart > runLimit) {
      while (runEnd < end && !IsControl(text[runEnd])) ++runEnd;
      line->end = runEnd;
      return AttachmentScan::TooLong;
    }
    line->end = runEnd;

    const char* first = text + runStart;
    size_t pathLength = runEnd - runStart;
    if (first[0] == '"') {
      // The quotes go whatever the last character is; a lone quote leaves nothing.
      pathLength = pathLength < 2 ? 0 : pathLength - 2;
      ++first;
    }
    if (pathLength == 0) continue;  // nothing to open: look for the next marker
    if (pathLength >= pathSize) return AttachmentScan::TooLong;
    memcpy(path, first, pathLength);
    path[pathLength] = '\0';
    return AttachmentScan::Found;
  }
}

size_t StripQuoteMarks(char* buffer, size_t length, char mark) {
  const size_t end = TextExtent(buffer, length);
  size_t kept = 0;
  char previous = '\n';  // the first character counts as a line start
  for (size_t i = 0; i < end; ++i) {
    const char c = buffer[i];
    const bool dropped = c == mark && previous == '\n';
    previous = c;
    if (!dropped) buffer[kept++] = c;
  }
  buffer[kept] = '\0';
  return kept;
}

bool FindKeyBlock(const char* text, size_t length, char* preview, size_t previewSize) {
  if (previewSize > 0) preview[0] = '\0';
  const size_t end = TextExtent(text, length);
  const size_t at = FindText(text, end, 0, kPublicKeyHeader, sizeof kPublicKeyHeader - 1);
  if (at == kNotFound) return false;
  if (previewSize > 0) {
    size_t count = end - at;
    if (count > previewSize - 1) count = previewSize - 1;
    memcpy(preview, text + at, count);
    preview[count] = '\0';
  }
  return true;
}
