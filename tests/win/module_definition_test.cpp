// The table in the plug-in, identification of the host from its main window, and the
// interface class a row gets.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "fake_host.h"
#include "host/mailer_ifc.h"
#include "host/mif.h"
#include "host/module_definition.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

std::string Text(const char* text) { return text ? text : "<absent>"; }

}  // namespace

TEST(ModuleTableResource, ThePluginCarriesTheGeneratedTable) {
  HMODULE plugin = LoadLibraryExA(support::BesideProgram("Tavix32.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr);
  HRSRC found = FindResourceA(plugin, MAKEINTRESOURCEA(IDR_MODULE_TABLE), reinterpret_cast<LPCSTR>(RT_RCDATA));
  ASSERT_NE(found, nullptr);
  const auto* table = static_cast<const uint8_t*>(LockResource(LoadResource(plugin, found)));
  // The checksum the native tests compute over the generated file.
  EXPECT_EQ(ModuleTableChecksum(table, SizeofResource(plugin, found)), 0x9D12D3C4u);
  FreeLibrary(plugin);
}

TEST(Identification, EachShippedRowThePrefixRuleAndLetterCase) {
  ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE));
  struct Case {
    const char* folder;
    const char* className;
    const char* identity;  // "product|version", or null when identification fails
    int row;               // -1: no row matches
  };
  const Case cases[] = {
      {"light301", "EudoraMainWindow", "Eudora Light|3.0.1", 0},
      {"pro301", "EudoraMainWindow", "Eudora Pro|3.0.1", 1},
      {"pro305", "EudoraMainWindow", "Eudora Pro|3.0.5", 2},
      {"pro40b4", "EudoraMainWindow", "Eudora Pro|4.0 Beta 4 (build 205)", 3},
      {"pro3012", "EudoraMainWindow", "Eudora Pro|3.0.1.2", 1},
      {"pro30", "EudoraMainWindow", "Eudora Pro|3.0", -1},
      {"lowercase", "eudoramainwindow", "EUDORA PRO|3.0.5", 2},
      {"unknown", "EudoraMainWindow", "Other Mailer|2.1", -1},
      {"pro305", "EudoraMainWnd", "Eudora Pro|3.0.5", -1},
      // No ProductVersion: empty, of which no row's version is a prefix.
      {"noversion", "EudoraMainWindow", "Eudora Pro|", -1},
      // 62 characters are kept; they still begin with a row's product name.
      {"longname", "EudoraMainWindow",
       "Eudora Pro with a product name that is longer than sixty-two c|3.0.5", 2},
      {"noname", "EudoraMainWindow", nullptr, -1},
      {"noresource", "EudoraMainWindow", nullptr, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + " " + c.className);
    FakeHost host(c.folder, c.className);
    ASSERT_NE(host.window(), nullptr);
    TModuleDefinition found;
    ASSERT_EQ(found.FillFromWindow(host.window()) != 0, c.identity != nullptr);
    if (!c.identity) {
      EXPECT_FALSE(found.valid || found.modified || found.FullModName);
      continue;
    }
    EXPECT_EQ(Text(found.FullModName), host.path());
    EXPECT_EQ(Text(found.ModName), host.path().substr(host.path().rfind('\\') + 1));
    EXPECT_EQ(Text(found.ClassName), c.className);
    EXPECT_EQ(Text(found.ProductName) + "|" + Text(found.ProductVersion), c.identity);
    EXPECT_TRUE(found.valid && found.modified);
    const char* keys[4];
    found.MatchKeys(keys);
    const BYTE* row = moduleTableReader.Find(keys, 4);
    EXPECT_EQ(row, c.row >= 0 && moduleTableReader.MoveTo(c.row) ? moduleTableReader.CurrentRecord() : nullptr);
  }
}

namespace {

// A sound one-row table: the given main-window class and product version, empty
// composition and view sections, the terminating word.
std::string OneRowTable(const std::string& className, const std::string& version) {
  std::string section("\x01\x00\x00\xE1", 4);  // one menu key, 0xE100
  section.append(18, '\0');                     // indexes 0, four command words
  for (const std::string& text : {className, std::string("EUDORA.EXE"), std::string("Eudora"),
                                  version, std::string("Bar")})
    section += static_cast<char>(text.size()) + text;
  if (section.size() % 2) section += '\0';
  const std::string header = {static_cast<char>(2 + 1 + section.size() / 2 + 2), '\0', '\x01', '\xC1',
                              static_cast<char>(section.size() / 2), '\0'};
  return header + section + std::string(6, '\0');
}

}  // namespace

TEST(MailerIfc, EudoraFromVersion3GetsTheEudora3Interface) {
  struct Case {
    std::string className, version;
    bool eudora3;
  };
  const Case cases[] = {
      {"EudoraMainWindow", "3.0", true}, {"EUDORAMAINWINDOW", "4", true}, {"Eudora", "3", true},
      {"EudoraMainWindow", "2.1", false}, {"EudoraMainWindow", "", false},
      {"EudoraMainWindow32", "4", false}, {"OtherMainWindow", "4", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className + " " + c.version);
    const std::string table = OneRowTable(c.className, c.version);
    TMif reader;
    ASSERT_TRUE(reader.Use(table.data(), table.size()));
    TMailerIfc* created = CreateMailerIfc(reader);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(dynamic_cast<TEudora3MailerIfc*>(created) != nullptr, c.eudora3);
    ASSERT_TRUE(created->Parse(reader));
    EXPECT_EQ(Text(created->MainWindowClass) + "|" + Text(created->ModuleName) + "|" +
                  Text(created->ProductName) + "|" + Text(created->ProductVersion) + "|" +
                  Text(created->ControlBarClass),
              c.className + "|EUDORA.EXE|Eudora|" + c.version + "|Bar");
    EXPECT_EQ(created->MenuKeys[4], 0xE100);
    // Empty sections leave their fields 0 and their texts absent.
    EXPECT_EQ(created->ViewId, 0);
    EXPECT_EQ(created->BodyClass, nullptr);
    delete created;
  }
  TMif empty;
  ASSERT_TRUE(empty.Use("\0\0", 2));
  EXPECT_EQ(CreateMailerIfc(empty), nullptr);
}
