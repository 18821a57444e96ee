// Fitting PGP's output back into the message text: the text before the block, the output
// (with a reply quote mark after each line feed), the text after the block.
// The layout works in place in one block that already holds the output at its start and
// has been enlarged to the planned size, so no second buffer is needed.
#pragma once
#include <cstddef>
#include <cstdint>

// The longest text the plug-in composes, not counting the terminator.
const size_t kMaxTextLength = 0x7FFFFFFE;

struct TComposePlan {
  size_t beforeLength;   // bytes of the message text kept before the output
  size_t afterStart;     // where the kept text after the block starts in the message text
  size_t afterLength;    // bytes of the message text kept after the output
  size_t outputUsed;     // bytes of the output that are placed
  size_t outputLength;   // bytes they take in the result, quote marks included
  bool cut;              // the output did not fit entirely below the cap
  size_t totalLength() const { return beforeLength + outputLength + afterLength; }
};

// Counts what the result will hold. `output` holds `outputSize` bytes and ends at its first
// NUL (or after outputSize bytes); `quoteMark` 0 means none. When `keepSurrounding` is set,
// the message text `text` of `textLength` bytes keeps its first `blockStart` bytes and the
// bytes from `blockEnd` on; offsets beyond the text are pulled back to its end. The result
// never exceeds `maxTotal` bytes (kMaxTextLength in the plug-in).
TComposePlan PlanComposeResult(const char* output, size_t outputSize, char quoteMark,
                               bool keepSurrounding, size_t textLength, size_t blockStart,
                               size_t blockEnd, size_t maxTotal = kMaxTextLength);

// Lays out the result in `block`, which holds the output at its start and has room for
// plan.totalLength() + 1 bytes; `text` is the message text the plan was made for (it may
// be null when the plan keeps nothing of it). The result is NUL-terminated.
void LayOutComposeResult(char* block, const TComposePlan& plan, char quoteMark, const char* text);
