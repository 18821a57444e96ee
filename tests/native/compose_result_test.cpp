// PGP's output laid out in place among the kept message text, with reply marks and under
// the length cap, the way the plug-in does it: the output at the start of one block that
// is then enlarged to the planned size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/compose_result.h"

namespace {

struct Composed {
  std::string text;
  bool cut;
};

Composed Compose(const std::string& output, char mark, bool keep, const std::string& text,
                 size_t blockStart, size_t blockEnd, size_t maxTotal = kMaxTextLength) {
  const TComposePlan plan = PlanComposeResult(output.c_str(), output.size() + 1, mark, keep,
                                              text.size(), blockStart, blockEnd, maxTotal);
  // Bytes past the output are a sentinel, so a read of stale bytes shows in the result.
  std::vector<char> block(std::max(plan.totalLength() + 1, output.size() + 1), '#');
  std::copy(output.begin(), output.end(), block.begin());
  block[output.size()] = '\0';
  LayOutComposeResult(block.data(), plan, mark, text.c_str());
  EXPECT_EQ(block[plan.totalLength()], '\0');
  return {std::string(block.data(), plan.totalLength()), plan.cut};
}

const std::string kMessage = "Hello\n> BLOCK\n> END\nBye\n";  // the block is "BLOCK\n> END"

}  // namespace

TEST(ComposeResult, OutputWithItsMarksAmongTheKeptText) {
  std::string lines, quotedLines = "Hello\n> ";
  for (int i = 0; i < 50; ++i) {
    lines += "line " + std::to_string(i) + "\n";
    quotedLines += "line " + std::to_string(i) + "\n>";
  }
  struct Case {
    const char* name; std::string output; char mark; bool keep; std::string text;
    size_t blockStart, blockEnd, maxTotal; std::string expected; bool cut;
  };
  const size_t all = kMaxTextLength;
  const Case cases[] = {
      {"a mark after every line feed", "a\nb\n", '>', false, "", 0, 0, all, "a\n>b\n>", false},
      {"line feeds only", "\n\n", '>', false, "", 0, 0, all, "\n>\n>", false},
      {"no line feed", "no line feed", '>', false, "", 0, 0, all, "no line feed", false},
      {"no mark", "a\nb\n", 0, false, "", 0, 0, all, "a\nb\n", false},
      {"text around the block", "a\nb\n", '>', true, kMessage, 8, 19, all, "Hello\n> a\n>b\n>\nBye\n", false},
      {"text around, no mark", "plain", 0, true, kMessage, 8, 19, all, "Hello\n> plain\nBye\n", false},
      {"block position ignored without the text", "out\n", '>', false, kMessage, 8, 19, all, "out\n>", false},
      {"empty output", "", '>', true, kMessage, 8, 19, all, "Hello\n> \nBye\n", false},
      {"nothing at all", "", '>', false, "", 0, 0, all, "", false},
      {"output moved past more than its length", lines, '>', true, kMessage, 8, 19, all, quotedLines + "\nBye\n", false},
      {"block end beyond the text", "X", 0, true, "abc", 1, 1000, all, "aX", false},
      {"block start after its end", "X", 0, true, "abcdef", 5, 2, all, "abXcdef", false},
      {"block beyond the text", "X", 0, true, "abc", 999, 999, all, "abcX", false},
      {"cap leaves 4 bytes for the output", "abcdefgh", 0, true, "abc123", 3, 3, 10, "abcabcd123", true},
      {"a line feed only with its mark", "ab\ncd", '>', false, "", 0, 0, 3, "ab", true},
      {"a line feed and its mark fit", "ab\ncd", '>', false, "", 0, 0, 4, "ab\n>", true},
      {"exactly fits the cap", "ab\ncd", '>', false, "", 0, 0, 6, "ab\n>cd", false},
      {"kept text at the cap", "xyz", '>', true, "abcdef", 3, 3, 6, "abcdef", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Composed composed = Compose(c.output, c.mark, c.keep, c.text, c.blockStart, c.blockEnd, c.maxTotal);
    EXPECT_EQ(composed.text, c.expected);
    EXPECT_EQ(composed.cut, c.cut);
  }
}

TEST(ComposeResult, OutputEndsAtItsNulOrItsBlockSize) {
  const char withNul[] = {'a', 'b', '\0', 'c'};
  EXPECT_EQ(PlanComposeResult(withNul, sizeof withNul, 0, false, 0, 0, 0).outputUsed, 2u);
  const char unterminated[] = {'a', '\n', 'b'};
  const TComposePlan plan = PlanComposeResult(unterminated, sizeof unterminated, '>', false, 0, 0, 0);
  EXPECT_EQ(plan.outputUsed, 3u);
  EXPECT_EQ(plan.outputLength, 4u);
}

TEST(ComposeResult, InPlaceLayoutMatchesAPlainRebuildForManyShapes) {
  // Outputs of every length around the 64-byte chunks, line feeds from none to most bytes,
  // little or much text before the block (a small shift makes the move overlap itself).
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 400; ++round) {
    const size_t length = next() % 300;
    const unsigned density = next() % 5;
    std::string output;
    for (size_t i = 0; i < length; ++i)
      output += (density && next() % (6 - density) == 0) ? '\n' : static_cast<char>('a' + next() % 26);
    const std::string text = std::string(next() % 3 == 0 ? 0 : next() % 100, 'B') + "BLOCK" +
                             std::string(next() % 50, 'A');
    const size_t start = text.find("BLOCK");
    const char mark = round % 2 ? '>' : 0;
    std::string expected = text.substr(0, start);
    for (char c : output) {
      expected += c;
      if (c == '\n' && mark) expected += mark;
    }
    expected += text.substr(start + 5);
    const Composed c = Compose(output, mark, true, text, start, start + 5);
    ASSERT_EQ(c.text, expected) << "round " << round << " length " << length;
    ASSERT_FALSE(c.cut);
  }
}
