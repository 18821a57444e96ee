// Where the plug-in's files live, and the settings listing of the Caps Lock diagnostic.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/ini_path.h"
#include "core/settings_listing.h"

TEST(IniPath, PluginsFolderTavixSubFolderAndLengthLimit) {
  const std::string d245 = "C:\\" + std::string(245, 'd'), d247 = "C:\\" + std::string(247, 'd');
  struct Case { const char* name; std::string configDir; std::set<std::string> directories; const char* path; };
  const Case cases[] = {
      {"missing Plugins folder means its parent", "C:\\MAIL\\PLUGINS", {}, "C:\\MAIL\\TAVIX.INI"},
      {"... with its TAVIX folder", "C:\\MAIL\\PLUGINS", {"C:\\MAIL\\TAVIX"}, "C:\\MAIL\\TAVIX\\TAVIX.INI"},
      {"in any letter case", "C:\\Mail\\plugins", {}, "C:\\Mail\\TAVIX.INI"},
      {"an existing Plugins folder is kept", "C:\\MAIL\\PLUGINS", {"C:\\MAIL\\PLUGINS"}, "C:\\MAIL\\PLUGINS\\TAVIX.INI"},
      {"... with its TAVIX folder", "C:\\MAIL\\PLUGINS", {"C:\\MAIL\\PLUGINS", "C:\\MAIL\\PLUGINS\\TAVIX"},
       "C:\\MAIL\\PLUGINS\\TAVIX\\TAVIX.INI"},
      {"\\Plugins alone is not longer than 8", "\\Plugins", {}, "\\Plugins\\TAVIX.INI"},
      {"no backslash before Plugins", "C:\\MYPLUGINS", {}, "C:\\MYPLUGINS\\TAVIX.INI"},
      {"trailing backslash", "C:\\MAIL\\", {}, "C:\\MAIL\\TAVIX.INI"},
      {"trailing backslash, TAVIX folder", "C:\\MAIL\\", {"C:\\MAIL\\TAVIX"}, "C:\\MAIL\\TAVIX\\TAVIX.INI"},
      {"259 characters fit", d245, {}, "259"},
      {"265 do not", d245, {d245 + "\\TAVIX"}, nullptr},
      {"260 do not", d247, {}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::set<std::string>& existing = c.directories;
    char path[260] = "stale";
    EXPECT_EQ(DeriveIniPath(c.configDir.c_str(), [&](const char* p) { return existing.count(p) > 0; },
                            path, sizeof path), c.path != nullptr);
    EXPECT_EQ(std::string(path), !c.path ? "" : std::string(c.path) == "259" ? d245 + "\\TAVIX.INI" : c.path);
  }
}

TEST(IniPath, PluginFolderIsTheModuleFolderOrItsTavixSubFolder) {
  const std::string deep = "C:\\" + std::string(250, 'p');
  struct Case { std::string module; std::set<std::string> directories; const char* folder; };
  const Case cases[] = {
      {"C:\\EUDORA\\PLUGINS\\Tavix32.dll", {}, "C:\\EUDORA\\PLUGINS\\"},
      {"C:\\EUDORA\\PLUGINS\\Tavix32.dll", {"C:\\EUDORA\\PLUGINS\\TAVIX"}, "C:\\EUDORA\\PLUGINS\\TAVIX\\"},
      {deep + "\\T.dll", {deep + "\\TAVIX"}, nullptr},  // 260 characters: refused, not cut
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    const std::set<std::string>& existing = c.directories;
    char folder[260] = "stale";
    EXPECT_EQ(DerivePluginFolder(c.module.c_str(), [&](const char* p) { return existing.count(p) > 0; },
                                 folder, sizeof folder), c.folder != nullptr);
    EXPECT_STREQ(folder, c.folder ? c.folder : "");
  }
}

TEST(SettingsListing, IntegersUnsignedTextsThatAreSetAndWhatFits) {
  const TListedInteger integers[] = {{"ChgToTempDir", 0}, {"UseToolBar", 1}, {"KeepOpen", -1}};
  const TListedInteger small[] = {{"ChgToTempDir", 0}, {"UseToolBar", 1}, {"A", 7}};
  const TListedText texts[] = {{"ProgPGP", "C:\\PGP\\PGP.EXE"}, {"EncryptFor", nullptr}, {"PGPtempdir", "C:\\TEMP"}};
  const TListedText tight[] = {{"P", "1234567"}, {"Q", "x"}};
  const std::string value600(600, 'v');
  const TListedText overlong[] = {{"Long", value600.c_str()}, {"Q", "x"}};
  struct Case {
    const char* name; const char* start; size_t capacity;
    const TListedInteger* integers; const TListedText* texts; size_t textCount; const char* listing;
  };
  const Case cases[] = {
      {"all fit", "TAVIX.INI", 256, integers, texts, 3,
       "TAVIX.INI\n---\nChgToTempDir = 0\nUseToolBar = 1\nKeepOpen = 4294967295\n"
       "ProgPGP = C:\\PGP\\PGP.EXE\nPGPtempdir = C:\\TEMP"},
      // 22 characters, then UseToolBar (15) is skipped, A (6) is not; P does not fit and
      // ">>" (31 characters) ends the listing before Q.
      {"a tight buffer", "X", 32, small, tight, 2, "X\n---\nChgToTempDir = 0\nA = 7\n>>"},
      {"nothing fits", "0123456789", 11, integers, texts, 1, "0123456789"},
      {"a line longer than any buffer ends the listing", "X", 1024, integers, overlong, 2,
       "X\n---\nChgToTempDir = 0\nUseToolBar = 1\nKeepOpen = 4294967295\n>>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> buffer(c.capacity, 'x');
    std::copy(c.start, c.start + std::strlen(c.start) + 1, buffer.begin());
    AppendSettingsListing(buffer.data(), c.capacity, c.integers, 3, c.texts, c.textCount);
    EXPECT_STREQ(buffer.data(), c.listing);
  }
}
