#include "core/compose_result.h"

#include <algorithm>
#include <cstring>

namespace {

size_t BoundedLength(const char* text, size_t size) {
  if (!text) return 0;
  const void* nul = std::memchr(text, 0, size);
  return nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size;
}

size_t CountLineFeeds(const char* text, size_t length) {
  size_t count = 0;
  const char* end = text + length;
  for (const char* p = text; p < end; ++count) {
    p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!p) break;
    ++p;
  }
  return count;
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
    // line by line from the end never overwrites a byte that is still to be read.
    const char* sourceEnd = block + plan.outputUsed;
    char* destEnd = output + plan.outputLength;
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
