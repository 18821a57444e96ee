// Reading TMP from PGP's configuration text, and the order of the PGP program candidates.
#include <gtest/gtest.h>
#include <string>
#include "core/pgp_candidates.h"
#include "core/pgp_config.h"

namespace {

// The value that a whole configuration text gives, or "<none>".
std::string TmpOf(const std::string& text, size_t valueSize = 260) {
  std::string value(valueSize, 'x');
  if (!FindTmpValue(text.data(), text.size(), &value[0], valueSize)) return "<none>";
  return value.c_str();
}

std::string LineValue(std::string line) {
  const char* value = TmpLineValue(&line[0]);
  return value ? value : "<none>";
}

std::vector<std::string> Candidates(const char* pgpPath, const char* progPgp, int keepOpen) {
  TPgpCandidates list;
  ListPgpCandidates(pgpPath, progPgp, keepOpen, &list);
  return std::vector<std::string>(list.names, list.names + list.count);
}

}  // namespace

TEST(TmpLine, QuotesCommentsAndCase) {
  EXPECT_EQ(LineValue("TMP = \"C:\\TEMP\" # scratch files"), "C:\\TEMP");
  EXPECT_EQ(LineValue("tmp=D:\\SCRATCH"), "D:\\SCRATCH");
  EXPECT_EQ(LineValue("TmP   =   E:\\T   "), "E:\\T");
  // A quoted value with a blank keeps its quotes (and then is no directory).
  EXPECT_EQ(LineValue("TMP=\"C:\\MY TEMP\""), "\"C:\\MY TEMP\"");
  // An opening quote without a closing one goes alone.
  EXPECT_EQ(LineValue("TMP=\"C:\\TEMP"), "C:\\TEMP");
  // The comment cuts the value even inside quotes; only trimmed text remains.
  EXPECT_EQ(LineValue("TMP=C:\\A#B"), "C:\\A");
  EXPECT_EQ(LineValue("TMP=  # nothing"), "");
  EXPECT_EQ(LineValue("TMP=\tC:\\TAB\t"), "C:\\TAB");
}

TEST(TmpLine, LinesThatDoNotSetTmp) {
  EXPECT_EQ(LineValue(""), "<none>");
  EXPECT_EQ(LineValue("# TMP = C:\\TEMP"), "<none>");
  EXPECT_EQ(LineValue(" TMP = C:\\TEMP"), "<none>");      // blank before TMP
  EXPECT_EQ(LineValue("TMPDIR = C:\\TEMP"), "<none>");
  EXPECT_EQ(LineValue("TMP\t= C:\\TEMP"), "<none>");     // only blanks around '='
  EXPECT_EQ(LineValue("TMP C:\\TEMP"), "<none>");
  EXPECT_EQ(LineValue("TM"), "<none>");
  EXPECT_EQ(LineValue("PUBRING = TMP=x"), "<none>");
}

TEST(TmpText, LastTmpLineWinsAcrossLineEndings) {
  EXPECT_EQ(TmpOf("Armor = on\r\nTMP = C:\\ONE\r\nverbose=1\r\ntmp = C:\\TWO\r\n"), "C:\\TWO");
  // The last line may lack its line feed; LF alone ends a line too.
  EXPECT_EQ(TmpOf("TMP=C:\\ONE\nTMP=C:\\LAST"), "C:\\LAST");
  // A final carriage return without its line feed goes with the trimming.
  EXPECT_EQ(TmpOf("TMP=C:\\ONE\r"), "C:\\ONE");
  EXPECT_EQ(TmpOf("TMPDIR=C:\\X\n #TMP=C:\\Y\n\n"), "<none>");
  EXPECT_EQ(TmpOf(""), "<none>");
  // Bytes after the given length are not read.
  const std::string text = "TMP=C:\\A\nTMP=C:\\B";
  std::string value(260, '\0');
  ASSERT_TRUE(FindTmpValue(text.data(), 9, &value[0], value.size()));
  EXPECT_STREQ(value.c_str(), "C:\\A");
}

TEST(TmpText, ValueThatDoesNotFitIsIgnoredNotCut) {
  const std::string longValue(259, 'L');
  EXPECT_EQ(TmpOf("TMP=" + longValue), longValue);  // 259 characters and the NUL fit
  // 260 characters do not: an earlier line stays in force.
  EXPECT_EQ(TmpOf("TMP=C:\\OK\nTMP=" + longValue + "L"), "C:\\OK");
  EXPECT_EQ(TmpOf("TMP=" + longValue + "L\n"), "<none>");
  // A long comment does not matter, only the value.
  EXPECT_EQ(TmpOf("TMP=C:\\T # " + std::string(5000, 'c')), "C:\\T");
  EXPECT_EQ(TmpOf("TMP=C:\\1234567", 10), "<none>");  // 10 characters
  EXPECT_EQ(TmpOf("TMP=C:\\123456", 10), "C:\\123456");
}

TEST(PgpCandidates, DefaultOrderDependsOnKeepOpen) {
  EXPECT_EQ(Candidates("C:\\PGP\\", nullptr, -1),
            (std::vector<std::string>{"C:\\PGP\\pgp.pif", "C:\\PGP\\pgp.exe", "pgp.pif",
                                      "pgp.exe"}));
  const std::vector<std::string> withoutPif{"C:\\PGP\\pgp.exe", "pgp.exe"};
  EXPECT_EQ(Candidates("C:\\PGP\\", nullptr, 0), withoutPif);
  EXPECT_EQ(Candidates("C:\\PGP\\", "", 1), withoutPif);  // an empty ProgPGP is no setting
  EXPECT_EQ(Candidates("", nullptr, 0), (std::vector<std::string>{"pgp.exe", "pgp.exe"}));
  EXPECT_EQ(Candidates(nullptr, nullptr, 0), (std::vector<std::string>{"pgp.exe", "pgp.exe"}));
}

TEST(PgpCandidates, ProgPgpWithAndWithoutDrive) {
  EXPECT_EQ(Candidates("C:\\PGP\\", "pgp263\\pgp.exe", -1),
            (std::vector<std::string>{"C:\\PGP\\pgp263\\pgp.exe", "pgp263\\pgp.exe"}));
  EXPECT_EQ(Candidates("C:\\PGP\\", "D:\\PGP\\PGP.EXE", -1),
            (std::vector<std::string>{"D:\\PGP\\PGP.EXE"}));
}

TEST(PgpCandidates, TooLongCandidatesAreLeftOut) {
  const std::string dir = std::string(248, 'd') + "\\";  // 249 characters
  // dir + "pgp.exe" is 256 characters: one too many for 255 and the NUL.
  EXPECT_EQ(Candidates(dir.c_str(), nullptr, 0), (std::vector<std::string>{"pgp.exe"}));
  const std::string shorter = std::string(247, 'd') + "\\";
  EXPECT_EQ(Candidates(shorter.c_str(), nullptr, 0),
            (std::vector<std::string>{shorter + "pgp.exe", "pgp.exe"}));
  const std::string longProg = "D:\\" + std::string(300, 'p');
  EXPECT_TRUE(Candidates("C:\\PGP\\", longProg.c_str(), 0).empty());
}
