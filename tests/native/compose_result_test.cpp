#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/compose_result.h"

namespace {

struct Composed {
  std::string text;
  TComposePlan plan;
};

// Runs the plan and the in-place layout the way the plug-in does: the output at the start
// of one block, the block enlarged to the planned size. Bytes past the output are filled
// with a sentinel so a read of stale bytes shows up in the result.
Composed Compose(const std::string& output, char mark, bool keep, const std::string& text,
                 size_t blockStart, size_t blockEnd, size_t maxTotal = kMaxTextLength) {
  TComposePlan plan = PlanComposeResult(output.c_str(), output.size() + 1, mark, keep, text.size(),
                                        blockStart, blockEnd, maxTotal);
  std::vector<char> block(std::max(plan.totalLength() + 1, output.size() + 1), '#');
  std::copy(output.begin(), output.end(), block.begin());
  block[output.size()] = '\0';
  LayOutComposeResult(block.data(), plan, mark, text.c_str());
  EXPECT_EQ(block[plan.totalLength()], '\0');
  return {std::string(block.data(), plan.totalLength()), plan};
}

const std::string kMessage = "Hello\n> BLOCK\n> END\nBye\n";
const size_t kBlockStart = 8;   // the "BLOCK" after the first "> "
const size_t kBlockEnd = 19;    // just after "END"

}  // namespace

TEST(ComposeResult, PlacesTheOutputWithItsMarksAmongTheSurroundingText) {
  struct Case {
    const char* output; char mark; bool keep; std::string text; size_t blockStart, blockEnd; const char* expected;
  };
  const Case cases[] = {
      // The quote mark follows every line feed but not the first line.
      {"a\nb\n", '>', false, "", 0, 0, "a\n>b\n>"},
      {"\n\n", '>', false, "", 0, 0, "\n>\n>"},
      {"no line feed", '>', false, "", 0, 0, "no line feed"},
      // Without a mark the output is placed unchanged.
      {"a\nb\n", 0, false, "", 0, 0, "a\nb\n"},
      // Decoding keeps the text around the block, with and without marks.
      {"a\nb\n", '>', true, kMessage, kBlockStart, kBlockEnd, "Hello\n> a\n>b\n>\nBye\n"},
      {"plain", 0, true, kMessage, kBlockStart, kBlockEnd, "Hello\n> plain\nBye\n"},
      // An empty output leaves the surrounding text.
      {"", '>', true, kMessage, kBlockStart, kBlockEnd, "Hello\n> \nBye\n"},
      {"", '>', false, "", 0, 0, ""},
      // Block positions beyond the text are pulled back: blockEnd past the end leaves
      // nothing after the block and reads nothing past the text...
      {"X", 0, true, "abc", 1, 1000, "aX"},
      // ...and with blockStart after blockEnd the text before stops at blockEnd.
      {"X", 0, true, "abcdef", 5, 2, "abXcdef"},
      {"X", 0, true, "abc", 999, 999, "abcX"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("output \"") + c.output + "\" in \"" + c.text + "\"");
    Composed composed = Compose(c.output, c.mark, c.keep, c.text, c.blockStart, c.blockEnd);
    EXPECT_EQ(composed.text, c.expected);
    EXPECT_FALSE(composed.plan.cut);
  }
}

TEST(ComposeResult, OutputLongerThanTheBlockMovesPastTheTextBefore) {
  // The output is moved right by more than its own length: the backward move must not
  // overwrite bytes it has yet to read.
  std::string output;
  for (int i = 0; i < 50; ++i) output += "line " + std::to_string(i) + "\n";
  std::string expected = "Hello\n> ";
  for (int i = 0; i < 50; ++i) expected += "line " + std::to_string(i) + "\n>";
  expected += "\nBye\n";
  EXPECT_EQ(Compose(output, '>', true, kMessage, kBlockStart, kBlockEnd).text, expected);
}

TEST(ComposeResult, WithoutSurroundingTheBlockPositionIsIgnored) {
  Composed c = Compose("out\n", '>', false, kMessage, kBlockStart, kBlockEnd);
  EXPECT_EQ(c.text, "out\n>");
  EXPECT_EQ(c.plan.beforeLength, 0u);
  EXPECT_EQ(c.plan.afterLength, 0u);
}

TEST(ComposeResult, OutputEndsAtItsTerminatorOrTheBlockSize) {
  const char output[] = {'a', 'b', '\0', 'c'};
  EXPECT_EQ(PlanComposeResult(output, sizeof output, 0, false, 0, 0, 0).outputUsed, 2u);
  const char unterminated[] = {'a', '\n', 'b'};
  TComposePlan plan = PlanComposeResult(unterminated, sizeof unterminated, '>', false, 0, 0, 0);
  EXPECT_EQ(plan.outputUsed, 3u);
  EXPECT_EQ(plan.outputLength, 4u);
}

TEST(ComposeResult, CapCutsTheOutputAndReportsIt) {
  // Surrounding text of 6 bytes with a total cap of 10 leaves 4 bytes for the output.
  Composed plain = Compose("abcdefgh", 0, true, "abc123", 3, 3, 10);
  EXPECT_EQ(plain.text, "abcabcd123");
  EXPECT_TRUE(plain.plan.cut);

  // With marks a line feed is taken only together with its mark.
  Composed marked = Compose("ab\ncd", '>', false, "", 0, 0, 3);
  EXPECT_EQ(marked.text, "ab");
  EXPECT_TRUE(marked.plan.cut);
  Composed fits = Compose("ab\ncd", '>', false, "", 0, 0, 6);
  EXPECT_EQ(fits.text, "ab\n>cd");
  EXPECT_FALSE(fits.plan.cut);

  // Surrounding text already at the cap leaves no room for any output.
  Composed none = Compose("xyz", '>', true, "abcdef", 3, 3, 6);
  EXPECT_EQ(none.text, "abcdef");
  EXPECT_TRUE(none.plan.cut);
}

TEST(ComposeResult, InPlaceLayoutMatchesAPlainRebuildForManyShapes) {
  // Outputs of every length around the chunk sizes, with line feeds from none to every
  // byte, and little or much text before the block (a small shift makes the backward move
  // overlap its own source).
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int round = 0; round < 400; ++round) {
    size_t length = next() % 300;
    unsigned density = next() % 5;  // 0: no line feeds, 4: mostly line feeds
    std::string output;
    for (size_t i = 0; i < length; ++i) {
      output += (density && next() % (6 - density) == 0) ? '\n' : static_cast<char>('a' + next() % 26);
    }
    std::string text = std::string(next() % 3 == 0 ? 0 : next() % 100, 'B') + "BLOCK" +
                       std::string(next() % 50, 'A');
    size_t start = text.find("BLOCK");
    size_t end = start + 5;
    char mark = round % 2 ? '>' : 0;

    std::string expected = text.substr(0, start);
    for (char c : output) {
      expected += c;
      if (c == '\n' && mark) expected += mark;
    }
    expected += text.substr(end);

    Composed c = Compose(output, mark, true, text, start, end);
    ASSERT_EQ(c.text, expected) << "round " << round << " length " << length;
    ASSERT_FALSE(c.plan.cut);
  }
}
