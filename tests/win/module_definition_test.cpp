// Identification of the host from its main window, the definitions' INI keys, and the
// interface object built from a row.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>
#include "core/module_heap.h"
#include "fake_host.h"
#include "host/mailer_ifc.h"
#include "host/mif.h"
#include "host/module_definition.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

std::string Text(const char* text) { return text ? text : "<absent>"; }

// The table row the lookup finds for the definition, or -1.
int RowFor(const TModuleDefinition& definition) {
  const char* keys[4];
  definition.MatchKeys(keys);
  const BYTE* found = moduleTableReader.Find(keys, 4);
  for (int row = 0; found && moduleTableReader.MoveTo(row); ++row)
    if (moduleTableReader.CurrentRecord() == found) return row;
  return -1;
}

}  // namespace

TEST(ModuleTableResource, ThePluginCarriesTheGeneratedTable) {
  HMODULE plugin = LoadLibraryExA(support::BesideProgram("Tavix32.dll").c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr);
  HRSRC found = FindResourceA(plugin, MAKEINTRESOURCEA(IDR_MODULE_TABLE),
                              reinterpret_cast<LPCSTR>(RT_RCDATA));
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
    const char* product;
    const char* version;
    int row;
  };
  const Case cases[] = {
      {"light301", "EudoraMainWindow", "Eudora Light", "3.0.1", 0},
      {"pro301", "EudoraMainWindow", "Eudora Pro", "3.0.1", 1},
      {"pro305", "EudoraMainWindow", "Eudora Pro", "3.0.5", 2},
      {"pro40b4", "EudoraMainWindow", "Eudora Pro", "4.0 Beta 4 (build 205)", 3},
      {"pro3012", "EudoraMainWindow", "Eudora Pro", "3.0.1.2", 1},
      {"pro30", "EudoraMainWindow", "Eudora Pro", "3.0", -1},
      {"lowercase", "eudoramainwindow", "EUDORA PRO", "3.0.5", 2},
      {"unknown", "EudoraMainWindow", "Other Mailer", "2.1", -1},
      {"pro305", "EudoraMainWnd", "Eudora Pro", "3.0.5", -1},
      // No ProductVersion: empty, which no row's version is a prefix of.
      {"noversion", "EudoraMainWindow", "Eudora Pro", "", -1},
      // 62 characters kept; they still begin with a row's product name.
      {"longname", "EudoraMainWindow",
       "Eudora Pro with a product name that is longer than sixty-two c", "3.0.5", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.folder) + " " + c.className);
    FakeHost host(c.folder, c.className);
    ASSERT_NE(host.window(), nullptr);
    TModuleDefinition found;
    ASSERT_TRUE(found.FillFromWindow(host.window()));
    EXPECT_EQ(Text(found.FullModName), host.path());
    EXPECT_EQ(Text(found.ModName), host.path().substr(host.path().rfind('\\') + 1));
    EXPECT_EQ(Text(found.ClassName), c.className);
    EXPECT_EQ(Text(found.ProductName), c.product);
    EXPECT_EQ(Text(found.ProductVersion), c.version);
    EXPECT_TRUE(found.valid && found.modified);
    EXPECT_EQ(RowFor(found), c.row);
  }
}

TEST(Identification, FailsWithoutAProductName) {
  for (const char* folder : {"noname", "noresource"}) {
    SCOPED_TRACE(folder);
    FakeHost host(folder);
    ASSERT_NE(host.window(), nullptr);
    TModuleDefinition found;
    EXPECT_FALSE(found.FillFromWindow(host.window()));
    EXPECT_FALSE(found.valid || found.modified || found.FullModName || found.ProductName);
  }
}

TEST(ModuleDefinitionIni, RoundTripCutsLongValuesAndDropsEmptyOnes) {
  const std::string dir = support::MakeScratchDirectory("tavix-moddef-");
  ASSERT_FALSE(dir.empty());
  const std::string ini = dir + "\\TAVIX.INI";
  ASSERT_TRUE(support::WriteFileBytes(
      ini, "[ModuleDefinition]\r\nFullModName=C:\\E\\EUDORA.EXE\r\nClassName=" +
               std::string(300, 'c') + "\r\nModName=\r\nProductName=\x01\x7F;[x]\r\n"));
  TModuleDefinition read;
  read.ReadIni("ModuleDefinition", ini.c_str());
  EXPECT_TRUE(read.valid);
  EXPECT_EQ(Text(read.FullModName), "C:\\E\\EUDORA.EXE");
  EXPECT_EQ(Text(read.ClassName), std::string(255, 'c'));
  EXPECT_EQ(Text(read.ModName), "<absent>");
  EXPECT_EQ(Text(read.ProductName), "\x01\x7F;[x]");
  EXPECT_EQ(Text(read.ProductVersion), "<absent>");

  // Absent keys are not written; a successful write clears the modified flag, a failed one
  // (no such folder) keeps it.
  read.modified = 1;
  EXPECT_TRUE(read.WriteIni("SelectedModDefinition", ini.c_str()));
  EXPECT_FALSE(read.modified);
  TModuleDefinition back;
  back.ReadIni("SelectedModDefinition", ini.c_str());
  EXPECT_EQ(Text(back.ClassName), std::string(255, 'c'));
  EXPECT_EQ(Text(back.ModName), "<absent>");
  read.modified = 1;
  EXPECT_FALSE(read.WriteIni("ModuleDefinition", (dir + "\\missing\\TAVIX.INI").c_str()));
  EXPECT_TRUE(read.modified);
  support::RemoveTree(dir);
}

TEST(ModuleDefinition, SameAsNeedsAllFourKeysEqualButLetterCase) {
  auto make = [](const char* c, const char* m, const char* p, const char* v) {
    auto* definition = new TModuleDefinition;
    char** fields[] = {&definition->ClassName, &definition->ModName, &definition->ProductName,
                       &definition->ProductVersion};
    const char* values[] = {c, m, p, v};
    for (int i = 0; i < 4; ++i) *fields[i] = values[i] ? HeapCopyText(values[i]) : nullptr;
    return definition;
  };
  TModuleDefinition* host = make("EudoraMainWindow", "EUDORA.EXE", "Eudora Pro", "3.0.5");
  struct Case {
    TModuleDefinition* other;
    bool same;
  };
  const Case cases[] = {
      {make("eudoramainwindow", "eudora.exe", "EUDORA PRO", "3.0.5"), true},
      {make("EudoraMainWindow", "EUDORA.EXE", "Eudora Pro", "3.0.5.1"), false},
      {make("EudoraMainWindow", "EUDORA.EXE", "Eudora Pro", nullptr), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host->SameAs(*c.other) != 0, c.same) << Text(c.other->ClassName);
    EXPECT_EQ(c.other->SameAs(*host) != 0, c.same);
    TModuleDefinition copy;
    ASSERT_TRUE(copy.CopyFrom(*c.other));
    EXPECT_EQ(copy.SameAs(*host) != 0, c.same);
    delete c.other;
  }
  EXPECT_FALSE(TModuleDefinition().SameAs(TModuleDefinition()));
  delete host;
}

namespace {

// A sound record with the given main-window class and product version and empty
// composition and view sections, then the terminating word.
std::string OneRowTable(const std::string& className, const std::string& version) {
  // One menu key (0xE100), five indexes 0 and four command words 0.
  std::string section("\x01\x00\x00\xE1", 4);
  section.append(18, '\0');
  for (const std::string& text : {className, std::string("EUDORA.EXE"), std::string("Eudora"),
                                  version, std::string("Bar")})
    section += static_cast<char>(text.size()) + text;
  if (section.size() % 2) section += '\0';
  const size_t words = 2 + 1 + section.size() / 2 + 2;
  std::string table = {static_cast<char>(words), '\0', '\x01', '\xC1',
                       static_cast<char>(section.size() / 2), '\0'};
  return table + section + std::string(6, '\0');  // two empty sections, the end
}

}  // namespace

TEST(MailerIfc, EudoraFromVersion3GetsTheEudora3Interface) {
  struct Case {
    std::string className, version;
    bool eudora3;
  };
  const Case cases[] = {
      {"EudoraMainWindow", "3.0", true},  {"EUDORAMAINWINDOW", "4", true},
      {"Eudora", "3", true},              {"EudoraMainWindow", "2.1", false},
      {"EudoraMainWindow", "", false},    {"EudoraMainWindow32", "4", false},
      {"OtherMainWindow", "4", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.className + " " + c.version);
    const std::string table = OneRowTable(c.className, c.version);
    TMif reader;
    ASSERT_TRUE(reader.Use(table.data(), table.size()));
    TMailerIfc* created = CreateMailerIfc(reader);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(dynamic_cast<TEudora3MailerIfc*>(created) != nullptr, c.eudora3);
    // Empty sections leave their fields 0 and their texts absent.
    ASSERT_TRUE(created->Parse(reader));
    EXPECT_EQ(Text(created->MainWindowClass), c.className);
    EXPECT_EQ(Text(created->ControlBarClass), "Bar");
    EXPECT_EQ(created->MenuKeys[4], 0xE100);
    EXPECT_EQ(created->ViewId, 0);
    EXPECT_EQ(created->BodyClass, nullptr);
    delete created;
  }
  TMif empty;
  const uint8_t end[] = {0, 0};
  ASSERT_TRUE(empty.Use(end, sizeof end));
  EXPECT_EQ(CreateMailerIfc(empty), nullptr);
}

TEST(MailerIfc, ParseCopiesTheRowInItsFieldOrder) {
  ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE));
  struct Case {
    int row;
    const char* version;
    const char* body;
    const char* viewParent;
    int32_t reserved4;
  };
  const Case cases[] = {
      {2, "3.0.5", "RICHEDIT", "Afx:400000:b:", 0xFF02},
      {3, "4.0 Beta 4 (build 205)", "AfxFrameOrView42", "AfxMDIFrame42", 0xE900},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    ASSERT_TRUE(moduleTableReader.MoveTo(c.row));
    TMailerIfc* ifc = CreateMailerIfc(moduleTableReader);
    ASSERT_NE(dynamic_cast<TEudora3MailerIfc*>(ifc), nullptr);
    ASSERT_TRUE(ifc->Parse(moduleTableReader));
    EXPECT_EQ(std::vector<int32_t>(ifc->MenuKeyIndex, ifc->MenuKeyIndex + 5),
              (std::vector<int32_t>{0, 1, 3, 6, 8}));
    EXPECT_EQ(std::vector<int32_t>(ifc->MenuKeys, ifc->MenuKeys + 5),
              (std::vector<int32_t>{0xE100, 0xE12B, 0x801D, 0x803A, 0x8048}));
    EXPECT_EQ(std::vector<int32_t>({ifc->AddressCommandId, ifc->TextCommandId, ifc->Reserved2,
                                    ifc->Reserved3, ifc->BodyPaneId, ifc->Reserved4, ifc->ViewId}),
              (std::vector<int32_t>{0x8007, 0x8006, 0xE81B, 0xE900, 0xE910, c.reserved4, 0xE900}));
    EXPECT_EQ(std::vector<int32_t>(ifc->HeaderFieldIds, ifc->HeaderFieldIds + 6),
              (std::vector<int32_t>{5050, 5051, 5052, 5053, 5054, 5055}));
    EXPECT_EQ(std::vector<std::string>({Text(ifc->HeaderDialogClass), Text(ifc->ViewParentPrefix),
                                        Text(ifc->HeaderFieldClass), Text(ifc->BodyClass),
                                        Text(ifc->ViewClass), Text(ifc->MainWindowClass),
                                        Text(ifc->ModuleName), Text(ifc->ProductName),
                                        Text(ifc->ProductVersion), Text(ifc->ControlBarClass)}),
              (std::vector<std::string>{"#32770", c.viewParent, "Edit", c.body, c.body,
                                        "EudoraMainWindow", "EUDORA.EXE", "Eudora Pro", c.version,
                                        "AfxControlBar42"}));
    delete ifc;
  }
}
