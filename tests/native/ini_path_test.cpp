#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/ini_path.h"
#include "core/settings_listing.h"

namespace {

// A file system that holds exactly the listed directories.
DirectoryExists Directories(std::set<std::string> existing) {
  return [existing](const char* path) { return existing.count(path) != 0; };
}

std::string IniPathFor(const char* configDir, std::set<std::string> existing) {
  char path[260];
  std::memset(path, 'x', sizeof path);
  EXPECT_TRUE(DeriveIniPath(configDir, Directories(existing), path, sizeof path));
  return path;
}

}  // namespace

TEST(IniPath, MissingPluginsFolderMeansItsParent) {
  EXPECT_EQ(IniPathFor("C:\\MAIL\\PLUGINS", {}), "C:\\MAIL\\TAVIX.INI");
  EXPECT_EQ(IniPathFor("C:\\MAIL\\PLUGINS", {"C:\\MAIL\\TAVIX"}), "C:\\MAIL\\TAVIX\\TAVIX.INI");
  EXPECT_EQ(IniPathFor("C:\\Mail\\plugins", {}), "C:\\Mail\\TAVIX.INI");
}

TEST(IniPath, ExistingPluginsFolderIsKept) {
  EXPECT_EQ(IniPathFor("C:\\MAIL\\PLUGINS", {"C:\\MAIL\\PLUGINS"}), "C:\\MAIL\\PLUGINS\\TAVIX.INI");
  EXPECT_EQ(IniPathFor("C:\\MAIL\\PLUGINS", {"C:\\MAIL\\PLUGINS", "C:\\MAIL\\PLUGINS\\TAVIX"}),
            "C:\\MAIL\\PLUGINS\\TAVIX\\TAVIX.INI");
}

TEST(IniPath, OnlyALongerPathEndingInBackslashPluginsIsCut) {
  // "\Plugins" alone is 8 characters: not longer than 8, so kept.
  EXPECT_EQ(IniPathFor("\\Plugins", {}), "\\Plugins\\TAVIX.INI");
  EXPECT_EQ(IniPathFor("C:\\MYPLUGINS", {}), "C:\\MYPLUGINS\\TAVIX.INI");
  EXPECT_EQ(IniPathFor("C:\\MAIL\\", {}), "C:\\MAIL\\TAVIX.INI");
  EXPECT_EQ(IniPathFor("C:\\MAIL\\", {"C:\\MAIL\\TAVIX"}), "C:\\MAIL\\TAVIX\\TAVIX.INI");
}

TEST(IniPath, TooLongResultIsRefusedNotCut) {
  std::string dir = "C:\\" + std::string(245, 'd');  // 248 + "\TAVIX.INI" = 258
  char path[260] = "stale";
  EXPECT_TRUE(DeriveIniPath(dir.c_str(), Directories({}), path, sizeof path));
  EXPECT_EQ(std::string(path), dir + "\\TAVIX.INI");

  // With the sub-folder the same directory gives 264 characters.
  EXPECT_FALSE(DeriveIniPath(dir.c_str(), Directories({dir + "\\TAVIX"}), path, sizeof path));
  EXPECT_STREQ(path, "");
  std::string longer = "C:\\" + std::string(247, 'd');  // 260 characters with the INI name
  std::strcpy(path, "stale");
  EXPECT_FALSE(DeriveIniPath(longer.c_str(), Directories({}), path, sizeof path));
  EXPECT_STREQ(path, "");
}

TEST(PluginFolder, ModuleFolderOrItsTavixSubFolder) {
  char folder[260];
  ASSERT_TRUE(DerivePluginFolder("C:\\EUDORA\\PLUGINS\\Tavix32.dll", Directories({}), folder,
                                 sizeof folder));
  EXPECT_STREQ(folder, "C:\\EUDORA\\PLUGINS\\");
  ASSERT_TRUE(DerivePluginFolder("C:\\EUDORA\\PLUGINS\\Tavix32.dll",
                                 Directories({"C:\\EUDORA\\PLUGINS\\TAVIX"}), folder,
                                 sizeof folder));
  EXPECT_STREQ(folder, "C:\\EUDORA\\PLUGINS\\TAVIX\\");
  std::string deep = "C:\\" + std::string(250, 'p') + "\\T.dll";
  EXPECT_FALSE(DerivePluginFolder(deep.c_str(), Directories({"C:\\" + std::string(250, 'p') + "\\TAVIX"}),
                                  folder, sizeof folder));
  EXPECT_STREQ(folder, "");
}

namespace {

const TListedInteger kIntegers[] = {{"ChgToTempDir", 0}, {"UseToolBar", 1}, {"KeepOpen", -1}};

std::vector<std::string> Lines(const char* text) {
  std::vector<std::string> lines;
  std::string current;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') {
      lines.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  lines.push_back(current);
  return lines;
}

}  // namespace

TEST(SettingsListing, IntegersUnsignedThenTheTextsThatAreSet) {
  const TListedText texts[] = {{"ProgPGP", "C:\\PGP\\PGP.EXE"}, {"EncryptFor", nullptr},
                               {"PGPtempdir", "C:\\TEMP"}};
  char buffer[256] = "TAVIX.INI";
  AppendSettingsListing(buffer, sizeof buffer, kIntegers, 3, texts, 3);
  EXPECT_EQ(Lines(buffer),
            (std::vector<std::string>{"TAVIX.INI", "---", "ChgToTempDir = 0", "UseToolBar = 1",
                                      "KeepOpen = 4294967295", "ProgPGP = C:\\PGP\\PGP.EXE",
                                      "PGPtempdir = C:\\TEMP"}));
}

TEST(SettingsListing, IntegerThatDoesNotFitIsSkippedTextThatDoesNotFitStops) {
  // "X" + "\n---" + "\nChgToTempDir = 0" = 22 characters; a 32-byte buffer has room
  // for 9 more with the NUL: "\nUseToolBar = 1" (15) is skipped, "\nA = 7" (6) is not.
  const TListedInteger integers[] = {{"ChgToTempDir", 0}, {"UseToolBar", 1}, {"A", 7}};
  const TListedText texts[] = {{"P", "1234567"}, {"Q", "x"}};
  char buffer[32] = "X";
  AppendSettingsListing(buffer, sizeof buffer, integers, 3, texts, 2);
  // After "\nA = 7" (28 characters) the text "\nP = 1234567" does not fit: "\n>>" does
  // (31 characters) and the listing stops before Q.
  EXPECT_EQ(Lines(buffer), (std::vector<std::string>{"X", "---", "ChgToTempDir = 0", "A = 7", ">>"}));
}

TEST(SettingsListing, NothingIsWrittenPastTheBuffer) {
  const TListedText texts[] = {{"EncryptFor", "someone"}};
  char buffer[12] = "0123456789";
  buffer[11] = '!';  // outside the text, inside the buffer: must survive as the NUL spot
  AppendSettingsListing(buffer, 11, kIntegers, 3, texts, 1);
  EXPECT_STREQ(buffer, "0123456789");
  EXPECT_EQ(buffer[11], '!');
}
