// The block found in hostile text goes the way of a decode: its quote marks are removed,
// it stands in for PGP's output, and the result is laid out around the block with and
// without reply marks, also under a small cap. The layout is compared with a plain
// rebuild; writes outside the exactly sized block are AddressSanitizer findings.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/armour.h"
#include "core/compose_result.h"
#include "fuzz_check.h"

namespace {

std::string Marked(const std::string& output, char mark) {
  std::string marked;
  for (char c : output) {
    marked += c;
    if (c == '\n' && mark) marked += mark;
  }
  return marked;
}

void Compose(const std::string& text, const ArmourBlock& block, bool keepSurrounding,
             const std::string& output, char mark, size_t maxTotal) {
  const TComposePlan plan = PlanComposeResult(output.c_str(), output.size() + 1, mark,
                                              keepSurrounding, text.size(), block.start,
                                              block.end, maxTotal);
  FUZZ_REQUIRE(plan.totalLength() <= maxTotal);
  FUZZ_REQUIRE(plan.outputUsed <= output.size());
  FUZZ_REQUIRE(plan.cut == (plan.outputUsed < output.size()));

  // As the plug-in does: the output's block is resized to the planned size, keeping what
  // fits of the output at its start.
  std::vector<char> result(plan.totalLength() + 1);
  memcpy(result.data(), output.data(), std::min(output.size(), result.size()));
  LayOutComposeResult(result.data(), plan, mark, text.data());

  std::string expected;
  if (keepSurrounding) expected.assign(text, 0, block.start);
  expected += Marked(output.substr(0, plan.outputUsed), mark);
  if (keepSurrounding) expected.append(text, block.end, std::string::npos);
  FUZZ_REQUIRE(expected.size() == plan.totalLength());
  FUZZ_REQUIRE(memcmp(result.data(), expected.data(), expected.size()) == 0);
  FUZZ_REQUIRE(result[expected.size()] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The message text as the plug-in holds it: up to its first NUL.
  const std::string text(reinterpret_cast<const char*>(data),
                         TextExtent(reinterpret_cast<const char*>(data), size));
  ArmourBlock block{};
  PgpFunction kind = FindArmourBlock(text.c_str(), text.size(), 0, true, &block);
  if (kind == Encrypt) {
    // No block: the whole text is the output and nothing surrounds it.
    block = ArmourBlock{0, text.size(), false};
  }
  std::string output = text.substr(block.start, block.end - block.start);
  output.resize(StripQuoteMarks(&output[0], output.size(), '>'));
  const bool keep = kind == Decode || kind == CheckSignature;

  for (char mark : {'\0', '>'}) {
    Compose(text, block, keep, output, mark, kMaxTextLength);
    // A cap that cuts the output somewhere inside.
    Compose(text, block, keep, output, mark, text.size() - output.size() / 2);
  }
  return 0;
}
