// Text and path helpers: exact results and cut points. Buffers are sized exactly, so a
// write one past them is an AddressSanitizer finding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/module_heap.h"
#include "core/text_utils.h"

namespace {

// `size` bytes holding `text` (cut to fit) and its NUL, the rest 'x'.
std::vector<char> Buffer(const std::string& text, size_t size) {
  std::vector<char> buffer(size, 'x');
  std::memcpy(buffer.data(), text.c_str(), std::min(text.size() + 1, size));
  return buffer;
}

using Edit = size_t (*)(char* text);

}  // namespace

TEST(TextUtils, InPlaceEditsGiveTextAndPosition) {
  const Edit append = [](char* p) { return static_cast<size_t>(AddBackslash(p) - p); };
  const Edit cut = [](char* p) { return CutToDirectory(p); };
  const Edit unquote = [](char* p) { return static_cast<size_t>(UnquoteText(p) - p); };
  const Edit trim = [](char* p) { return TrimText(p); };
  struct Case { const char* name; Edit edit; const char* text; const char* expected; size_t result; };
  const Case cases[] = {
      {"backslash added", append, "C:", "C:\\", 3}, {"backslash already there", append, "C:\\", "C:\\", 3},
      {"empty path gets none", append, "", "", 0}, {"cut after the last backslash", cut, "C:\\A\\B.DLL", "C:\\A\\", 5},
      {"no backslash leaves nothing", cut, "B.DLL", "", 0}, {"quotes go", unquote, "\"C:\\TEMP\"", "C:\\TEMP", 7},
      {"an opening quote goes alone", unquote, "\"C:\\TEMP", "C:\\TEMP", 7},
      {"quotes around a blank stay", unquote, "\"C:\\MY TEMP\"", "\"C:\\MY TEMP\"", 12},
      {"no opening quote", unquote, "C:\\TEMP\"", "C:\\TEMP\"", 8}, {"a lone quote stays", unquote, "\"", "\"", 1},
      {"empty quotes", unquote, "\"\"", "", 0}, {"only white space", trim, " \t \n", "", 0}, {"one", trim, "x", "x", 1},
      {"trimmed at both ends", trim, " \t\r\n\v\fkey = value \r\n", "key = value", 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> text = Buffer(c.text, std::strlen(c.text) + (c.edit == append ? 2 : 1));
    EXPECT_EQ(c.edit(text.data()), c.result);
    EXPECT_STREQ(text.data(), c.expected);
  }
}

TEST(TextUtils, AppendLineOnlyWhenTextAndNulFit) {
  const std::string a250(250, 'a');
  struct Case { const char* name; std::string text; size_t capacity; const char* line; size_t result; std::string expected; };
  const Case cases[] = {
      {"no room for the NUL", a250, 256, "12345", 0, a250},
      {"fits exactly", a250, 256, "1234", 255, a250 + "\n1234"},
      {"an empty text gets the line break first", "", 3, "x", 2, "\nx"},
      {"an empty line", "\nx", 4, "", 3, "\nx\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> buffer = Buffer(c.text, c.capacity);
    EXPECT_EQ(AppendLine(buffer.data(), c.capacity, c.line), c.result);
    EXPECT_EQ(std::string(buffer.data()), c.expected);
  }
}

TEST(TextUtils, BoundedCopiesCutToTheirDestination) {
  using Copy = size_t (*)(char* dest, size_t size, const char* source);
  const Copy copy = CopyText;
  const Copy name = [](char* d, size_t n, const char* s) { FileNamePart(d, n, s); return std::strlen(d); };
  struct Case { const char* name; Copy run; const char* source; size_t size; const char* expected; };
  const Case cases[] = {
      {"cut to size - 1", copy, "abcdef", 4, "abc"}, {"fits", copy, "ab", 4, "ab"}, {"exactly fits", copy, "abc", 4, "abc"},
      {"one too long", copy, "abcd", 4, "abc"},
      {"null source", copy, nullptr, 4, ""}, {"last path part", name, "C:\\Eudora\\EUDORA.EXE", 16, "EUDORA.EXE"},
      {"no folder", name, "plain.exe", 16, "plain.exe"}, {"folder only", name, "C:\\dir\\", 16, ""},
      {"long name cut", name, "C:\\LONGNAME.EXE", 6, "LONGN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> dest(c.size, 'x');
    EXPECT_EQ(c.run(dest.data(), c.size, c.source), std::strlen(c.expected));
    EXPECT_STREQ(dest.data(), c.expected);
  }
  char untouched = 'q';
  EXPECT_EQ(CopyText(&untouched, 0, "abc"), 0u);
  EXPECT_EQ(untouched, 'q');
}

TEST(TextUtils, QuoteTextReplacesTheBlock) {
  for (const char* text : {"John Doe", ""}) {
    char* quoted = QuoteText(HeapCopyText(text), std::strlen(text));  // frees the old block: a leak would show
    EXPECT_EQ(std::string(quoted ? quoted : "(null)"), std::string("\"") + text + "\"");
    HeapFreeBlock(quoted);
  }
}

TEST(TextUtils, CopyLineStopsAtTheLineFeedAndDropsOneCr) {
  struct Case { const char* source; size_t count; const char* line; size_t consumed; };
  const Case cases[] = {
      {"a\r\nb", 4, "a", 3}, {"\n", 1, "", 1}, {"a\r\r\nb", 5, "a\r", 4},  // only the CR next to the LF goes
      {"tmp=x\r", 6, "tmp=x\r", 6},  // no LF: the whole range, CR and all
      {"ab\ncd", 2, "ab", 2},        // the LF lies outside the range
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<char> dest(c.count + 1);
    EXPECT_EQ(CopyLine(c.source, dest.data(), c.count), c.consumed);
    EXPECT_STREQ(dest.data(), c.line);
  }
}

TEST(TextUtils, ExtractAddressAroundTheFirstAtSign) {
  struct Case { const char* source; const char* address; const char* sourceAfter; };
  const Case cases[] = {
      {"John Doe <john@example.org>", "john@example.org", nullptr}, {"<j@e.org>", "j@e.org", nullptr},
      {"john@example.org", "john@example.org", nullptr}, {"To: a@b.c, x@y.z", "a@b.c,", nullptr},
      {"a@b.c\r\nNext: line", "a@b.c", nullptr}, {"a@b.c\nNext", "a@b.c", nullptr}, {"x <a@b@c> y", "a@b@c", nullptr},
      {"  Alice Example \r\n", "Alice Example", "Alice Example"},  // no '@': trimmed in place
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<char> source = Buffer(c.source, std::strlen(c.source) + 1);
    std::vector<char> dest(source.size());
    EXPECT_EQ(ExtractAddress(source.data(), dest.data()), std::strlen(c.address));
    EXPECT_STREQ(dest.data(), c.address);
    EXPECT_STREQ(source.data(), c.sourceAfter ? c.sourceAfter : c.source);
  }
}

TEST(TextUtils, FormatTextSubstitutesOnlyMatchingArgumentsAndCuts) {
  const std::string longName(300, 'n');
  struct Case { const char* format; std::vector<TextArgument> arguments; size_t size; const char* expected; };
  const Case cases[] = {
      {"Unknown error %lu\nFile: %s", {NumberArg(4294967295ul), TextArg("C:\\x.txt")}, 64,
       "Unknown error 4294967295\nFile: C:\\x.txt"},
      {"Rename %s to %s failed", {TextArg("old"), TextArg("new")}, 64, "Rename old to new failed"},
      {" PGP returned errorcode: %u, 100%%", {NumberArg(0)}, 64, " PGP returned errorcode: 0, 100%"},
      {"%d|%ld|%i", {NumberArg(7), NumberArg(8), NumberArg(9)}, 64, "7|8|9"},
      {"File not found:\n  %s", {TextArg(nullptr)}, 64, "File not found:\n  "},
      // Missing arguments, a kind mismatch and unknown directives stay as they stand.
      {"%s and %s", {TextArg("a.txt")}, 64, "a.txt and %s"},
      {"%lu %s %x %ls %", {TextArg("a.txt")}, 64, "%lu a.txt %x %ls %"},
      {nullptr, {TextArg("a.txt")}, 64, ""},
      {"ab%s", {TextArg(longName.c_str())}, 10, "abnnnnnnn"},
      {"1234%u", {NumberArg(123456789)}, 10, "123412345"},
      {"123456789%%", {}, 10, "123456789"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format ? c.format : "(null)");
    std::vector<char> dest(c.size, 'x');
    EXPECT_EQ(FormatText(dest.data(), c.size, c.format, c.arguments.data(), c.arguments.size()),
              std::strlen(c.expected));
    EXPECT_STREQ(dest.data(), c.expected);
  }
}
