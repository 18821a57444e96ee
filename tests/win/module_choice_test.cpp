// Module definitions: the table in the plug-in, identification of the host from its main
// window, the interface class a row gets, the selection dialog, the choice with the INI keys
// that remember it, and the question at shutdown.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "config/settings.h"
#include "core/module_heap.h"
#include "core/text_utils.h"
#include "dialog_template.h"
#include "host/dlg_mod_list.h"
#include "host/mailer_ifc.h"
#include "host/mif.h"
#include "host/module_choice.h"
#include "host/module_definition.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/messages.h"
#include "ui/process_state.h"
#include "ui_robot.h"

namespace {

// A host main window inside this process: a top-level window of the class whose instance is
// an identity module (a DLL named like the host program, bin/identities/<folder>/, holding
// only a version resource).
class FakeHost {
 public:
  explicit FakeHost(const std::string& folder, const char* className = "EudoraMainWindow") : class_(className) {
    const std::string directory = support::BesideProgram("identities\\" + folder + "\\");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    FindClose(search);
    path_ = directory + found.cFileName;
    if (!(module_ = LoadLibraryA(path_.c_str()))) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = module_;
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass))
      window_ = CreateWindowExA(0, className, "Eudora", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, module_, nullptr);
  }
  ~FakeHost() {
    if (window_) DestroyWindow(window_);
    if (module_) UnregisterClassA(class_.c_str(), module_), FreeLibrary(module_);
  }
  HWND window() const { return window_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_, class_;
  HMODULE module_ = nullptr;
  HWND window_ = nullptr;
};

std::string Text(const char* text) { return text ? text : "<absent>"; }

}  // namespace

TEST(ModuleTable, ThePluginCarriesTheGeneratedTable) {
  HMODULE plugin = LoadLibraryExA(support::BesideProgram("Tavix32.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(plugin, nullptr);
  HRSRC found = FindResourceA(plugin, MAKEINTRESOURCEA(IDR_MODULE_TABLE), reinterpret_cast<LPCSTR>(RT_RCDATA));
  ASSERT_NE(found, nullptr);
  const auto* table = static_cast<const uint8_t*>(LockResource(LoadResource(plugin, found)));
  // The checksum the native tests compute over the generated file.
  EXPECT_EQ(ModuleTableChecksum(table, SizeofResource(plugin, found)), 0x9D12D3C4u);
  FreeLibrary(plugin);
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
  const struct { std::string className, version; bool eudora3; } cases[] = {
      {"EudoraMainWindow", "3.0", true}, {"EUDORAMAINWINDOW", "4", true}, {"Eudora", "3", true},
      {"EudoraMainWindow", "2.1", false}, {"EudoraMainWindow", "", false},
      {"EudoraMainWindow32", "4", false}, {"OtherMainWindow", "4", false},
  };
  for (const auto& c : cases) {
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

namespace {

// A running program with the given product texts (null: absent), for the dialog alone.
struct Program : TModuleDefinition {
  Program(const char* product, const char* version) {
    FullModName = HeapCopyText("C:\\Mail\\OTHER.EXE");
    ClassName = HeapCopyText("OtherMainWindow");
    ModName = HeapCopyText("OTHER.EXE");
    ProductName = product ? HeapCopyText(product) : nullptr;
    ProductVersion = version ? HeapCopyText(version) : nullptr;
  }
};

// What the dialog shows: the selected line and the texts of 120 to 125, 110, 111.
std::string Shown(HWND dialog) {
  std::string shown = "selected " + std::to_string(SendDlgItemMessageA(dialog, kModListId, LB_GETCURSEL, 0, 0));
  for (int id : {120, 121, 122, 123, 125, 110, 111}) shown += "|" + robot::ItemText(dialog, id);
  return shown;
}

}  // namespace

TEST(DlgModList, ListsEveryRowPreselectsTheRunningProductAndShowsARowOnlyWhenSelected) {
  ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE));
  // The line preselected for the running product, and the one then chosen.
  const struct { const char *product, *version; int preselected, line; } cases[] = {
      {"Eudora Pro", "9.9", 1, 3}, {"Eudora Pro", "4.0 Beta 4 (build 205)", 3, 0}, {"eudora pro", "3.0.5", 2, 1},
      {"Other Mailer", "3.0.5", 0, 2}, {nullptr, nullptr, 0, 0}};
  for (const auto& c : cases) {
    Program running(c.product, c.version);
    TDlgModList dialog(&running, &moduleTableReader);
    std::string lines, before, after;
    RobotAnswer answer = robot::Expect("Selection module definition", [&](HWND window, robot::Seen&) {
      HWND list = GetDlgItem(window, kModListId);
      for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
        char line[600] = "";
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof line))
          SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines += std::string(line) + "\n";
      }
      before = Shown(window);
      SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(c.line), 0);
      SendMessageA(window, WM_COMMAND, MAKEWPARAM(kModListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
      after = Shown(window);
      robot::Press(window, IDCANCEL);
    });
    EXPECT_EQ(dialog.Execute(stringModule, kDlgModListTemplate, nullptr), IDCANCEL);
    EXPECT_TRUE(answer.Wait().closed) << answer.error();
    EXPECT_EQ(lines, "Eudora Light\t3.0.1\nEudora Pro\t3.0.1\nEudora Pro\t3.0.5\nEudora Pro\t4.0 Beta 4 (build 205)\n");
    const std::string shown = std::string(c.product ? c.product : "") + "|" + (c.version ? c.version : "") +
                              "|OTHER.EXE|OtherMainWindow|C:\\Mail\\OTHER.EXE";
    EXPECT_EQ(before, "selected " + std::to_string(c.preselected) + "|" + shown + "||") << "no row shown yet";
    EXPECT_EQ(after, "selected " + std::to_string(c.line) + "|" + shown + "|EUDORA.EXE|EudoraMainWindow");
    EXPECT_EQ(dialog.chosenRecord, nullptr);
  }
}

TEST(DlgModListTemplate, MatchesTheControlTable) {
  EXPECT_EQ(ReadDialogTemplate(stringModule, kDlgModListTemplate),
            support::SplitLines(support::ReadFixture("dialogs/module-list.txt")));
}

namespace {

// The five keys of a definition section of the INI file, joined by '|'.
std::string Section(const std::string& ini, const char* section) {
  std::string joined;
  for (const char* key : {"FullModName", "ClassName", "ModName", "ProductName", "ProductVersion"}) {
    char value[512];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, ini.c_str());
    joined += (joined.empty() ? "" : "|") + std::string(value);
  }
  return joined;
}

// The choice for the host; the selection dialog must come exactly when `button` is given (-1:
// closed by its title bar), is answered with line `line` and gives the product it shows.
int Choose(const FakeHost& host, int line, int button, std::string* shown) {
  ReleaseModuleDefinitions();
  hostMainWindow = host.window();
  RobotAnswer answer = robot::Expect("Selection module definition", [=](HWND dialog, robot::Seen&) {
    *shown = robot::ItemText(dialog, kInfoProductNameId);
    SendDlgItemMessageA(dialog, kModListId, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    if (button < 0) PostMessageA(dialog, WM_CLOSE, 0, 0);
    else robot::Press(dialog, button);
  });
  const int result = ChooseModuleDefinition();
  const robot::Seen& seen = button ? answer.Wait() : answer.Stop();
  EXPECT_EQ(seen.found, button != 0) << "the selection dialog";
  EXPECT_TRUE(!button || seen.closed) << seen.error;
  return result;
}

}  // namespace

// Identification of every identity build, the lookup over the shipped rows (prefix rule,
// letter case), what the INI file remembers, the dialog's outcomes and the shutdown question.
TEST(ModuleChoice, IdentifiesMatchesRemembersAndAsksBeforeSaving) {
  ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE));
  const std::string dir = support::MakeScratchDirectory("tavix-choice-"), ini = dir + "\\TAVIX.INI";
  char savedIniPath[kPathSize];
  CopyText(savedIniPath, sizeof savedIniPath, iniPath);
  CopyText(iniPath, sizeof iniPath, ini.c_str());
  const std::string shipped = "-1659710524", checksum = "[MailerInformation]\r\nMailerInformationID=";
  const std::string sameTable = checksum + shipped + "\r\n", overlong(300, 'p'), absent = "<absent>";
  // The five keys written for a host of the usual class and file name; %P% is the host's file.
  auto id = [](const std::string& product, const std::string& version, const std::string& path = "%P%") {
    return path + "|EudoraMainWindow|EUDORA.EXE|" + product + "|" + version;
  };
  const std::string none = absent + "|" + absent + "|" + absent + "|" + absent + "|" + absent;
  const std::string other = id("Other Mailer", "2.1"), pro305 = id("Eudora Pro", "3.0.5");
  const std::string known = "[ModuleDefinition]\r\nClassName=eudoramainwindow\r\nModName=EUDORA.EXE\r\n"
                            "ProductName=Other Mailer\r\nProductVersion=2.1\r\n";
  const std::string remembered = known + "[SelectedModDefinition]\r\nProductName=Eudora Pro\r\nProductVersion=";
  const std::string knownPro = "[ModuleDefinition]\r\nClassName=EudoraMainWindow\r\nModName=EUDORA.EXE\r\n"
                               "ProductName=Eudora Pro\r\nProductVersion=3.0.5\r\n"
                               "[SelectedModDefinition]\r\nProductName=";
  const char* W = "EudoraMainWindow";
  const struct {
    const char *host, *className;
    std::string ini;
    int line, button;  // the dialog's answer; button 0: no dialog may come, -1: its title bar closes it
    std::string shown;  // the product the dialog shows
    int result;
    const char* chosen;
    int answer;  // to the question at shutdown; 0: it may not come
    std::string moduleDefinition, selected;  // afterwards
  } cases[] = {
      // No INI file: the identity is written at shutdown without a question.
      {"light301", W, "", 0, 0, "", 0, "Eudora Light 3.0.1", 0, id("Eudora Light", "3.0.1"), none},
      {"pro301", W, "", 0, 0, "", 0, "Eudora Pro 3.0.1", 0, id("Eudora Pro", "3.0.1"), none},
      {"pro305", W, "", 0, 0, "", 0, "Eudora Pro 3.0.5", 0, pro305, none},
      {"pro40b4", W, "", 0, 0, "", 0, "Eudora Pro 4.0 Beta 4 (build 205)", 0,
       id("Eudora Pro", "4.0 Beta 4 (build 205)"), none},
      {"pro3012", W, "", 0, 0, "", 0, "Eudora Pro 3.0.1", 0, id("Eudora Pro", "3.0.1.2"), none},
      {"lowercase", "eudoramainwindow", "", 0, 0, "", 0, "Eudora Pro 3.0.5", 0,
       "%P%|eudoramainwindow|eudora.exe|EUDORA PRO|3.0.5", none},
      // 62 characters of the name are kept; they still begin with a row's product name.
      {"longname", W, "", 0, 0, "", 0, "Eudora Pro 3.0.5", 0,
       id("Eudora Pro with a product name that is longer than sixty-two c", "3.0.5"), none},
      // No row matches: the dialog comes; cancelled, only the identity is written.
      {"pro30", W, "", 2, IDCANCEL, "Eudora Pro", IDS_INIT_FAILED, "none", 0, id("Eudora Pro", "3.0"), none},
      {"pro305", "EudoraMainWnd", "", 2, IDCANCEL, "Eudora Pro", IDS_INIT_FAILED, "none", 0,
       "%P%|EudoraMainWnd|EUDORA.EXE|Eudora Pro|3.0.5", none},
      {"noversion", W, "", 0, -1, "Eudora Pro", IDS_INIT_FAILED, "none", 0, id("Eudora Pro", ""), none},
      {"unknown", W, "", -1, IDOK, "Other Mailer", IDS_INIT_FAILED, "none", 0, other, none},
      {"unknown", W, "", 2, IDOK, "Other Mailer", 0, "Eudora Pro 3.0.5", IDYES, other, pro305},
      {"unknown", W, "", 2, IDOK, "Other Mailer", 0, "Eudora Pro 3.0.5", IDNO, none, none},
      // Unidentified: nothing asked, nothing written.
      {"noname", W, "", 0, 0, "", IDS_INIT_FAILED, "none", 0, none, none},
      {"noresource", W, "", 0, 0, "", IDS_INIT_FAILED, "none", 0, none, none},
      // A known host: the remembered row counts only for the same table; nothing is rewritten.
      {"unknown", W, remembered + "3.0.5\r\n" + sameTable, 0, 0, "", 0, "Eudora Pro 3.0.5", 0,
       "<absent>|eudoramainwindow|EUDORA.EXE|Other Mailer|2.1", "<absent>|<absent>|<absent>|Eudora Pro|3.0.5"},
      {"unknown", W, remembered + "3.0.5\r\n" + checksum + "12345\r\n", 0, IDOK, "Other Mailer", 0,
       "Eudora Light 3.0.1", IDYES, other, id("Eudora Light", "3.0.1")},
      {"unknown", W, remembered + "3.0.5\r\n" + checksum + shipped + "x\r\n", 0, IDOK, "Other Mailer", 0,
       "Eudora Light 3.0.1", IDYES, other, id("Eudora Light", "3.0.1")},
      {"unknown", W, remembered + "9.9\r\n" + sameTable, 0, IDOK, "Eudora Pro", 0, "Eudora Light 3.0.1", IDYES, other,
       id("Eudora Light", "3.0.1")},
      // Overlong and garbage values are harmless.
      {"pro305", W, "[ModuleDefinition]\r\nProductName=" + overlong + "\r\n" + sameTable, 0, 0, "", 0,
       "Eudora Pro 3.0.5", 0, pro305, none},
      {"pro305", W, knownPro + "Eudora Light\r\n" + checksum + "99999999999999999999\r\n", 0, 0, "", 0,
       "Eudora Pro 3.0.5", 0, id("Eudora Pro", "3.0.5", absent), "<absent>|<absent>|<absent>|Eudora Light|<absent>"},
      {"pro305", W, knownPro + "\x01;[x]=\r\n" + sameTable, 0, IDCANCEL, "\x01;[x]=", IDS_INIT_FAILED, "none", 0,
       id("Eudora Pro", "3.0.5", absent), "<absent>|<absent>|<absent>|\x01;[x]=|<absent>"},
      {"pro305", W, knownPro + overlong + "\r\n" + sameTable, 0, IDCANCEL, std::string(255, 'p'), IDS_INIT_FAILED,
       "none", 0, id("Eudora Pro", "3.0.5", absent), "<absent>|<absent>|<absent>|" + overlong + "|<absent>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " " + c.className + " " + std::to_string(c.button) + " " + c.chosen);
    DeleteFileA(ini.c_str());
    ASSERT_TRUE(c.ini.empty() || support::WriteFileBytes(ini, c.ini));
    FakeHost host(c.host, c.className);
    ASSERT_NE(host.window(), nullptr);
    std::string shown;
    EXPECT_EQ(Choose(host, c.line, c.button, &shown), c.result);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(mailerIfc ? std::string(mailerIfc->ProductName) + " " + mailerIfc->ProductVersion : "none", c.chosen);
    EXPECT_TRUE(!mailerIfc || dynamic_cast<TEudora3MailerIfc*>(mailerIfc)) << "every shipped row is Eudora 3";
    // A successful choice stores the table's checksum.
    char stored[64];
    GetPrivateProfileStringA("MailerInformation", "MailerInformationID", "", stored, sizeof stored, ini.c_str());
    EXPECT_TRUE(c.result || std::string(stored) == shipped) << stored;
    RobotAnswer question = robot::Expect("Tavix Light ", c.answer ? c.answer : IDNO);
    SaveModuleDefinitions();
    const robot::Seen& seen = c.answer ? question.Wait() : question.Stop();
    EXPECT_EQ(seen.found, c.answer != 0) << "the question at shutdown";
    if (seen.found) {
      EXPECT_EQ(seen.text + "|" + std::to_string(seen.flags), "Save module definition? If you agree, then you do not "
                "have to choose the correct module on start-up.|4");
    }
    const std::pair<const char*, std::string> sections[] = {{"ModuleDefinition", c.moduleDefinition},
                                                             {"SelectedModDefinition", c.selected}};
    for (auto [section, expected] : sections) {
      for (size_t at; (at = expected.find("%P%")) != std::string::npos;) expected.replace(at, 3, host.path());
      EXPECT_EQ(Section(ini, section), expected) << section;
    }
    EXPECT_FALSE(c.ini.empty() && c.result && c.moduleDefinition == none && support::FileExists(ini));
    // After a choice saved with Yes the next start takes the chosen row without asking.
    if (c.answer == IDYES) {
      EXPECT_EQ(Choose(host, 0, 0, &shown), 0);
      EXPECT_EQ(mailerIfc ? std::string(mailerIfc->ProductName) + " " + mailerIfc->ProductVersion : "none", c.chosen);
    }
  }
  ReleaseModuleDefinitions();
  hostMainWindow = nullptr;
  CopyText(iniPath, sizeof iniPath, savedIniPath);
  support::RemoveTree(dir);
}
