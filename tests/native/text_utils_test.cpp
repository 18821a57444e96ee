#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "core/module_heap.h"
#include "core/text_utils.h"

namespace {

// A buffer with guard bytes after its usable part, to catch writes past the capacity.
template <size_t N>
struct Guarded {
  char text[N];
  char guard[8];
  Guarded() {
    std::memset(text, 'x', N);
    text[0] = '\0';
    std::memset(guard, 0x5A, sizeof guard);
  }
  bool intact() const {
    for (char c : guard) if (c != 0x5A) return false;
    return true;
  }
};

}  // namespace

TEST(AppendLine, AddsLineOnlyWhenResultAndNulFit) {
  Guarded<256> b;
  std::string base(250, 'a');
  std::strcpy(b.text, base.c_str());
  EXPECT_EQ(AppendLine(b.text, 256, "12345"), 0u);  // 250 + 1 + 5 = 256: no room for NUL
  EXPECT_EQ(std::string(b.text), base);
  EXPECT_EQ(AppendLine(b.text, 256, "1234"), 255u);  // 250 + 1 + 4 = 255 < 256
  EXPECT_EQ(std::string(b.text), base + "\n1234");
  EXPECT_TRUE(b.intact());
}

TEST(AppendLine, EmptyTextStillGetsLineBreakFirst) {
  char b[16] = "";
  EXPECT_EQ(AppendLine(b, sizeof b, "x"), 2u);
  EXPECT_STREQ(b, "\nx");
  EXPECT_EQ(AppendLine(b, sizeof b, ""), 3u);
  EXPECT_STREQ(b, "\nx\n");
}

TEST(PathHelpers, AddBackslash) {
  char a[8] = "C:";
  EXPECT_EQ(AddBackslash(a), a + 3);
  EXPECT_STREQ(a, "C:\\");
  EXPECT_EQ(AddBackslash(a), a + 3);  // already ends with one
  EXPECT_STREQ(a, "C:\\");
  char e[4] = "";
  EXPECT_EQ(AddBackslash(e), e);
  EXPECT_STREQ(e, "");
}

TEST(PathHelpers, CutToDirectory) {
  char a[] = "C:\\A\\B.DLL";
  EXPECT_EQ(CutToDirectory(a), 5u);
  EXPECT_STREQ(a, "C:\\A\\");
  char b[] = "B.DLL";
  EXPECT_EQ(CutToDirectory(b), 0u);
  EXPECT_STREQ(b, "");
}

TEST(PathHelpers, FileNamePartTakesLastComponentAndCuts) {
  char d[16];
  FileNamePart(d, sizeof d, "C:\\Eudora\\EUDORA.EXE");
  EXPECT_STREQ(d, "EUDORA.EXE");
  FileNamePart(d, sizeof d, "plain.exe");
  EXPECT_STREQ(d, "plain.exe");
  FileNamePart(d, sizeof d, "C:\\dir\\");
  EXPECT_STREQ(d, "");
  Guarded<6> small;
  FileNamePart(small.text, 6, "C:\\LONGNAME.EXE");
  EXPECT_STREQ(small.text, "LONGN");
  EXPECT_TRUE(small.intact());
}

TEST(QuoteText, WrapsInQuotesAndReplacesBlock) {
  char* text = HeapCopyText("John Doe");
  ASSERT_NE(text, nullptr);
  char* quoted = QuoteText(text, std::strlen(text));
  ASSERT_NE(quoted, nullptr);
  EXPECT_STREQ(quoted, "\"John Doe\"");
  HeapFreeBlock(quoted);
  char* empty = HeapCopyText("");
  char* both = QuoteText(empty, 0);
  ASSERT_NE(both, nullptr);
  EXPECT_STREQ(both, "\"\"");
  HeapFreeBlock(both);
}

TEST(UnquoteText, RemovesEnclosingQuotesOnlyWithoutBlanks) {
  char a[] = "\"C:\\TEMP\"";
  EXPECT_EQ(UnquoteText(a), a + 7);
  EXPECT_STREQ(a, "C:\\TEMP");
  char open[] = "\"C:\\TEMP";  // no closing quote: only the opening one goes
  EXPECT_EQ(UnquoteText(open), open + 7);
  EXPECT_STREQ(open, "C:\\TEMP");
  char blank[] = "\"C:\\MY TEMP\"";
  EXPECT_EQ(UnquoteText(blank), blank + std::strlen(blank));
  EXPECT_STREQ(blank, "\"C:\\MY TEMP\"");
  char plain[] = "C:\\TEMP\"";
  UnquoteText(plain);
  EXPECT_STREQ(plain, "C:\\TEMP\"");
  char lone[] = "\"";
  EXPECT_EQ(UnquoteText(lone), lone + 1);
  EXPECT_STREQ(lone, "\"");
  char pair[] = "\"\"";
  EXPECT_EQ(UnquoteText(pair), pair);
  EXPECT_STREQ(pair, "");
}

TEST(TrimText, RemovesWhiteSpaceBothEndsAndMovesToFront) {
  char a[] = " \t\r\n\v\fkey = value \r\n";
  EXPECT_EQ(TrimText(a), 11u);
  EXPECT_STREQ(a, "key = value");
  char w[] = " \t \n";
  EXPECT_EQ(TrimText(w), 0u);
  EXPECT_STREQ(w, "");
  char n[] = "x";
  EXPECT_EQ(TrimText(n), 1u);
  EXPECT_STREQ(n, "x");
}

TEST(CopyLine, StopsAtLineFeedAndDropsOneCarriageReturn) {
  char d[16];
  EXPECT_EQ(CopyLine("a\r\nb", d, 4), 3u);
  EXPECT_STREQ(d, "a");
  EXPECT_EQ(CopyLine("\n", d, 1), 1u);
  EXPECT_STREQ(d, "");
  EXPECT_EQ(CopyLine("a\r\r\nb", d, 5), 4u);  // only the CR next to the LF goes
  EXPECT_STREQ(d, "a\r");
  EXPECT_EQ(CopyLine("tmp=x\r", d, 6), 6u);  // no LF: the whole range, CR and all
  EXPECT_STREQ(d, "tmp=x\r");
  EXPECT_EQ(CopyLine("ab\ncd", d, 2), 2u);  // the LF lies outside the range
  EXPECT_STREQ(d, "ab");
}

TEST(ExtractAddress, FindsAddressAroundFirstAtSign) {
  struct Case { const char* source; const char* address; };
  const Case cases[] = {
      {"John Doe <john@example.org>", "john@example.org"},
      {"<john@example.org>", "john@example.org"},  // '<' in the very first position
      {"john@example.org", "john@example.org"},
      {"To: a@b.c, x@y.z", "a@b.c,"},
      {"a@b.c\r\nNext: line", "a@b.c"},
      {"a@b.c\nNext", "a@b.c"},
      {"x <a@b@c> y", "a@b@c"},
  };
  for (const Case& c : cases) {
    char source[64], dest[64];
    std::strcpy(source, c.source);
    EXPECT_EQ(ExtractAddress(source, dest), std::strlen(c.address)) << c.source;
    EXPECT_STREQ(dest, c.address) << c.source;
    EXPECT_STREQ(source, c.source) << "an address leaves the source alone";
  }
}

TEST(ExtractAddress, WithoutAtSignTrimsSourceInPlace) {
  char source[] = "  Alice Example \r\n";
  char dest[sizeof source];
  EXPECT_EQ(ExtractAddress(source, dest), 13u);
  EXPECT_STREQ(dest, "Alice Example");
  EXPECT_STREQ(source, "Alice Example");
}

TEST(CopyText, BoundedAndAlwaysTerminated) {
  Guarded<4> b;
  EXPECT_EQ(CopyText(b.text, 4, "abcdef"), 3u);
  EXPECT_STREQ(b.text, "abc");
  EXPECT_TRUE(b.intact());
  EXPECT_EQ(CopyText(b.text, 4, "ab"), 2u);
  EXPECT_STREQ(b.text, "ab");
  EXPECT_EQ(CopyText(b.text, 4, nullptr), 0u);
  EXPECT_STREQ(b.text, "");
  char untouched = 'q';
  EXPECT_EQ(CopyText(&untouched, 0, "abc"), 0u);
  EXPECT_EQ(untouched, 'q');
}

TEST(FormatText, SubstitutesTextsAndNumbersInOrder) {
  char b[64];
  const TextArgument a[] = {NumberArg(4294967295ul), TextArg("C:\\x.txt")};
  EXPECT_EQ(FormatText(b, sizeof b, "Unknown error %lu\nFile: %s", a, 2), 39u);
  EXPECT_STREQ(b, "Unknown error 4294967295\nFile: C:\\x.txt");
  const TextArgument two[] = {TextArg("old"), TextArg("new")};
  FormatText(b, sizeof b, "Rename %s to %s failed", two, 2);
  EXPECT_STREQ(b, "Rename old to new failed");
  const TextArgument code[] = {NumberArg(0)};
  FormatText(b, sizeof b, " PGP returned errorcode: %u, 100%%", code, 1);
  EXPECT_STREQ(b, " PGP returned errorcode: 0, 100%");
  const TextArgument none[] = {TextArg(nullptr)};
  FormatText(b, sizeof b, "File not found:\n  %s", none, 1);
  EXPECT_STREQ(b, "File not found:\n  ");
}

TEST(FormatText, ForeignDirectivesNeverReadMissingArguments) {
  char b[64];
  const TextArgument one[] = {TextArg("a.txt")};
  // More directives than arguments, a kind mismatch and unknown directives stay as text.
  FormatText(b, sizeof b, "%s and %s", one, 1);
  EXPECT_STREQ(b, "a.txt and %s");
  FormatText(b, sizeof b, "%lu %s %x %ls %", one, 1);
  EXPECT_STREQ(b, "%lu a.txt %x %ls %");
  FormatText(b, sizeof b, nullptr, one, 1);
  EXPECT_STREQ(b, "");
}

TEST(FormatText, CutsAtCapacity) {
  Guarded<10> b;
  std::string name(300, 'n');
  const TextArgument a[] = {TextArg(name.c_str()), NumberArg(123456)};
  EXPECT_EQ(FormatText(b.text, 10, "ab%s", a, 1), 9u);
  EXPECT_STREQ(b.text, "abnnnnnnn");
  EXPECT_TRUE(b.intact());
  const TextArgument n[] = {NumberArg(123456789)};
  EXPECT_EQ(FormatText(b.text, 10, "1234%u", n, 1), 9u);
  EXPECT_STREQ(b.text, "123412345");
  EXPECT_TRUE(b.intact());
}
