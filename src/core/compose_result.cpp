#include "core/compose_result.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const size_t kChunk = 64;

// Bit i is set when chunk[i] is a line feed, for a chunk of 64 bytes.
uint64_t LineFeedMask(const char* chunk) {
#if defined(__SSE2__)
  const __m128i lineFeed = _mm_set1_epi8('\n');
  uint64_t mask = 0;
  for (size_t part = 0; part < kChunk / 16; ++part) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk + part * 16));
    uint32_t bits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)));
    mask |= static_cast<uint64_t>(bits) << (part * 16);
  }
  return mask;
#else
  uint64_t mask = 0;
  for (size_t i = 0; i < kChunk; ++i) {
    if (chunk[i] == '\n') mask |= uint64_t{1} << i;
  }
  return mask;
#endif
}

size_t BoundedLength(const char* text, size_t size) {
  if (!text) return 0;
  const void* nul = std::memchr(text, 0, size);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size;
}

size_t CountLineFeeds(const char* text, size_t length) {
  size_t count = 0;
  size_t i = 0;
  for (; i + kChunk <= length; i += kChunk) {
    // Lines are long: a chunk rarely holds more than one line feed.
    for (uint64_t mask = LineFeedMask(text + i); mask; mask &= mask - 1) ++count;
  }
  for (; i < length; ++i) count += text[i] == '\n';
  return count;
}

// Copies up to 64 bytes with a few fixed-size, possibly overlapping moves instead of a
// call; writes nothing outside [dest, dest + length).
inline void CopyShort(char* dest, const char* source, size_t length) {
  if (length >= 32) {
    std::memcpy(dest, source, 32);
    std::memcpy(dest + length - 32, source + length - 32, 32);
  } else if (length >= 16) {
    std::memcpy(dest, source, 16);
    std::memcpy(dest + length - 16, source + length - 16, 16);
  } else if (length >= 8) {
    std::memcpy(dest, source, 8);
    std::memcpy(dest + length - 8, source + length - 8, 8);
  } else {
    for (size_t i = 0; i < length; ++i) dest[i] = source[i];
  }
}

// Last line feed in [begin, end), or null.
const char* FindLastLineFeed(const char* begin, const char* end) {
  while (end > begin) {
    if (*--end == '\n') return end;
  }
  return nullptr;
}

}  // namespace

TComposePlan PlanComposeResult(const char* output, size_t outputSize, char quoteMark,
                               bool keepSurrounding, size_t textLength, size_t blockStart,
                               size_t blockEnd, size_t maxTotal) {
  TComposePlan plan{};
  if (keepSurrounding) {
    // A block position from a stale or hostile state must not reach outside the text.
    size_t end = std::min(blockEnd, textLength);
    plan.beforeLength = std::min(blockStart, end);
    plan.afterStart = end;
    plan.afterLength = textLength - end;
  }
  const size_t surrounding = plan.beforeLength + plan.afterLength;
  const size_t cap = surrounding >= maxTotal ? 0 : maxTotal - surrounding;

  const size_t length = BoundedLength(output, outputSize);
  if (!quoteMark) {
    plan.outputUsed = std::min(length, cap);
    plan.outputLength = plan.outputUsed;
  } else {
    const size_t lineFeeds = CountLineFeeds(output, length);
    if (length + lineFeeds <= cap) {
      plan.outputUsed = length;
      plan.outputLength = length + lineFeeds;
    } else {
      // Too long: take characters while they fit, a line feed only together with its mark.
      size_t used = 0;
      size_t counted = 0;
      while (used < length) {
        size_t cost = output[used] == '\n' ? 2 : 1;
        if (counted + cost > cap) break;
        counted += cost;
        ++used;
      }
      plan.outputUsed = used;
      plan.outputLength = counted;
    }
  }
  plan.cut = plan.outputUsed < length;
  return plan;
}

void LayOutComposeResult(char* block, const TComposePlan& plan, char quoteMark, const char* text) {
  char* const output = block + plan.beforeLength;
  if (!quoteMark || plan.outputLength == plan.outputUsed) {
    std::memmove(output, block, plan.outputUsed);
  } else {
    // Every byte moves right by the text before plus the marks in front of it, so moving
    // from the end never overwrites a byte that is still to be read. Whole chunks first,
    // each read into a local copy before any of it is written.
    const char* sourceEnd = block + plan.outputUsed;
    char* destEnd = output + plan.outputLength;
    while (static_cast<size_t>(sourceEnd - block) >= kChunk) {
      const char* chunk = sourceEnd - kChunk;
      uint64_t mask = LineFeedMask(chunk);
      char local[kChunk];
      std::memcpy(local, chunk, kChunk);
      size_t top = kChunk;
      while (mask) {
        size_t lineFeed = 63 - static_cast<size_t>(__builtin_clzll(mask));
        size_t length = top - lineFeed - 1;
        destEnd -= length;
        CopyShort(destEnd, local + lineFeed + 1, length);
        *--destEnd = quoteMark;
        *--destEnd = '\n';
        top = lineFeed;
        mask &= ~(uint64_t{1} << lineFeed);
      }
      destEnd -= top;
      if (top == kChunk) {
        std::memcpy(destEnd, local, kChunk);
      } else {
        CopyShort(destEnd, local, top);
      }
      sourceEnd = chunk;
    }
    while (sourceEnd > block) {
      const char* lineFeed = FindLastLineFeed(block, sourceEnd);
      const char* lineStart = lineFeed ? lineFeed + 1 : block;
      size_t lineLength = static_cast<size_t>(sourceEnd - lineStart);
      destEnd -= lineLength;
      std::memmove(destEnd, lineStart, lineLength);
      if (!lineFeed) break;
      *--destEnd = quoteMark;
      *--destEnd = '\n';
      sourceEnd = lineFeed;
    }
  }
  if (plan.beforeLength) std::memcpy(block, text, plan.beforeLength);
  if (plan.afterLength) {
    std::memcpy(output + plan.outputLength, text + plan.afterStart, plan.afterLength);
  }
  block[plan.totalLength()] = '\0';
}
