// TMP from PGP's configuration text, and the PGP program candidates in the order tried.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pgp_candidates.h"
#include "core/pgp_config.h"

TEST(PgpConfig, TmpLineValue) {
  struct Case { const char* line; const char* value; };  // value null: the line sets no TMP
  const Case cases[] = {
      {"TMP = \"C:\\TEMP\" # scratch files", "C:\\TEMP"},
      {"tmp=D:\\SCRATCH", "D:\\SCRATCH"},
      {"TmP   =   E:\\T   ", "E:\\T"},
      {"TMP=\"C:\\MY TEMP\"", "\"C:\\MY TEMP\""},  // quotes around a blank stay
      {"TMP=\"C:\\TEMP", "C:\\TEMP"},
      {"TMP=C:\\A#B", "C:\\A"},
      {"TMP=  # nothing", ""},
      {"TMP=\tC:\\TAB\t", "C:\\TAB"},
      {"", nullptr}, {"# TMP = C:\\TEMP", nullptr}, {" TMP = C:\\TEMP", nullptr},
      {"TMPDIR = C:\\TEMP", nullptr}, {"TMP\t= C:\\TEMP", nullptr}, {"TMP C:\\TEMP", nullptr},
      {"TM", nullptr}, {"PUBRING = TMP=x", nullptr}, {"XMP=x", nullptr}, {"TXP=x", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    std::string line = c.line;
    const char* value = TmpLineValue(&line[0]);
    EXPECT_EQ(value != nullptr, c.value != nullptr);
    if (value && c.value) {
      EXPECT_STREQ(value, c.value);
    }
  }
}

TEST(PgpConfig, LastFittingTmpLineOfTheTextWins) {
  const std::string l259(259, 'L');
  struct Case { const char* name; std::string text; size_t length, valueSize; const char* value; };
  const Case cases[] = {
      {"the last line, CR LF", "Armor = on\r\nTMP = C:\\ONE\r\nverbose=1\r\ntmp = C:\\TWO\r\n", 0, 260, "C:\\TWO"},
      {"a last line without LF", "TMP=C:\\ONE\nTMP=C:\\LAST", 0, 260, "C:\\LAST"},
      {"a final CR", "TMP=C:\\ONE\r", 0, 260, "C:\\ONE"},
      {"no TMP line", "TMPDIR=C:\\X\n #TMP=C:\\Y\n\n", 0, 260, nullptr},
      {"empty", "", 0, 260, nullptr},
      {"nothing read past the length", "TMP=C:\\A\nTMP=C:\\B", 9, 260, "C:\\A"},
      {"259 characters fit", "TMP=" + l259, 0, 260, "259"},
      {"260 do not: the earlier line stays", "TMP=C:\\OK\nTMP=" + l259 + "L", 0, 260, "C:\\OK"},
      {"260 alone", "TMP=" + l259 + "L\n", 0, 260, nullptr},
      {"a long comment does not count", "TMP=C:\\T # " + std::string(5000, 'c'), 0, 260, "C:\\T"},
      {"10 characters in 10 bytes", "TMP=C:\\1234567", 0, 10, nullptr},
      {"9 characters in 10 bytes", "TMP=C:\\123456", 0, 10, "C:\\123456"},
      // No block for a line as long as that can be had: no value rather than a stale one.
      {"out of memory", "TMP=C:\\T", size_t{1} << 62, 260, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string value(c.valueSize, 'x');
    const bool found = FindTmpValue(c.text.data(), c.length ? c.length : c.text.size(), &value[0], c.valueSize);
    EXPECT_EQ(found, c.value != nullptr);
    if (found && c.value) {
      EXPECT_EQ(value.c_str(), std::string(c.value) == "259" ? l259 : c.value);
    }
  }
}

TEST(PgpConfig, CandidatesInOrderLongOnesLeftOut) {
  using List = std::vector<std::string>;
  const std::string d249 = std::string(248, 'd') + "\\", d248 = std::string(247, 'd') + "\\";
  const std::string longProg = "D:\\" + std::string(300, 'p');
  struct Case { const char* name; const char* pgpPath; const char* progPgp; int keepOpen; List names; };
  const Case cases[] = {
      {"Windows handles the console", "C:\\PGP\\", nullptr, -1,
       {"C:\\PGP\\pgp.pif", "C:\\PGP\\pgp.exe", "pgp.pif", "pgp.exe"}},
      {"no program-information file", "C:\\PGP\\", nullptr, 0, {"C:\\PGP\\pgp.exe", "pgp.exe"}},
      {"an empty ProgPGP is no setting", "C:\\PGP\\", "", 1, {"C:\\PGP\\pgp.exe", "pgp.exe"}},
      {"no PGPPATH", "", nullptr, 0, {"pgp.exe", "pgp.exe"}},
      {"null PGPPATH", nullptr, nullptr, 0, {"pgp.exe", "pgp.exe"}},
      {"ProgPGP without drive", "C:\\PGP\\", "pgp263\\pgp.exe", -1, {"C:\\PGP\\pgp263\\pgp.exe", "pgp263\\pgp.exe"}},
      {"ProgPGP with drive", "C:\\PGP\\", "D:\\PGP\\PGP.EXE", -1, {"D:\\PGP\\PGP.EXE"}},
      {"256 characters do not fit", d249.c_str(), nullptr, 0, {"pgp.exe"}},
      {"255 do", d248.c_str(), nullptr, 0, {d248 + "pgp.exe", "pgp.exe"}},
      {"a ProgPGP too long", "C:\\PGP\\", longProg.c_str(), 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TPgpCandidates list;
    ListPgpCandidates(c.pgpPath, c.progPgp, c.keepOpen, &list);
    EXPECT_EQ(List(list.names, list.names + list.count), c.names);
  }
}
