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

const std::string kLines =
    "Eudora Light\t3.0.1\nEudora Pro\t3.0.1\nEudora Pro\t3.0.5\nEudora Pro\t4.0 Beta 4 (build 205)\n";

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

namespace {

// A running program with the given product texts (null: absent).
struct Program : TModuleDefinition {
  Program(const char* product, const char* version) {
    FullModName = HeapCopyText("C:\\Mail\\OTHER.EXE");
    ClassName = HeapCopyText("OtherMainWindow");
    ModName = HeapCopyText("OTHER.EXE");
    ProductName = product ? HeapCopyText(product) : nullptr;
    ProductVersion = version ? HeapCopyText(version) : nullptr;
  }
};

// What the dialog shows: its lines, the selected line and the texts of 120 to 125, 110, 111.
std::string Shown(HWND dialog) {
  HWND list = GetDlgItem(dialog, kModListId);
  std::string shown;
  for (LRESULT i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
    char line[600] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof line))
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
    shown += std::string(line) + "\n";
  }
  shown += "selected " + std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0));
  for (int id : {120, 121, 122, 123, 125, 110, 111}) shown += "|" + robot::ItemText(dialog, id);
  return shown;
}

void SelectLine(HWND dialog, int line) {
  HWND list = GetDlgItem(dialog, kModListId);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kModListId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Runs the dialog for the program; `act` works on it and closes it.
INT_PTR RunDialog(TDlgModList& dialog, const std::function<void(HWND)>& act) {
  RobotAnswer answer = robot::Expect("Selection module definition", [&](HWND window, robot::Seen& seen) {
    act(window);
    seen.closed = robot::WaitClosed(window);
  });
  const INT_PTR result = dialog.Execute(stringModule, kDlgModListTemplate, nullptr);
  EXPECT_TRUE(answer.Wait().closed) << answer.error();
  return result;
}

class DlgModList : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE)); }
};

}  // namespace

TEST_F(DlgModList, PreselectsTheRunningProductAndShowsARowOnlyWhenSelected) {
  struct Case {
    const char* product;
    const char* version;
    int line;  // then selected
    std::string before, after;
  };
  const std::string program = "|OTHER.EXE|OtherMainWindow|C:\\Mail\\OTHER.EXE";
  const std::string row = "|EUDORA.EXE|EudoraMainWindow";
  const Case cases[] = {
      {"Eudora Pro", "9.9", 3, "selected 1|Eudora Pro|9.9" + program + "||", "selected 3|Eudora Pro|9.9" + program + row},
      {"Eudora Pro", "4.0 Beta 4 (build 205)", 0, "selected 3|Eudora Pro|4.0 Beta 4 (build 205)" + program + "||",
       "selected 0|Eudora Pro|4.0 Beta 4 (build 205)" + program + row},
      {"eudora pro", "3.0.5", 1, "selected 2|eudora pro|3.0.5" + program + "||",
       "selected 1|eudora pro|3.0.5" + program + row},
      {"Other Mailer", "3.0.5", 2, "selected 0|Other Mailer|3.0.5" + program + "||",
       "selected 2|Other Mailer|3.0.5" + program + row},
      {nullptr, nullptr, 0, "selected 0||" + program + "||", "selected 0||" + program + row},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    Program running(c.product, c.version);
    TDlgModList dialog(&running, &moduleTableReader);
    std::string before, after;
    EXPECT_EQ(RunDialog(dialog, [&](HWND window) {
      before = Shown(window);
      SelectLine(window, c.line);
      after = Shown(window);
      robot::Press(window, IDCANCEL);
    }), IDCANCEL);
    EXPECT_EQ(before, kLines + c.before);
    EXPECT_EQ(after, kLines + c.after);
    EXPECT_EQ(dialog.chosenRecord, nullptr);
  }
}

TEST(DlgModListTemplate, MatchesTheControlTable) {
  const std::string label = " STATIC 0x50020000 ";
  const std::vector<std::string> expected = {
      "dialog 0x90C800C0 6,15 245x226 \"Selection module definition\" font 8 \"MS Sans Serif\"",
      "1 BUTTON 0x50010001 67,205 50x14 \"OK\"", "2 BUTTON 0x50010000 127,205 50x14 \"Cancel\"",
      "101 LISTBOX 0x50A00083 3,16 239x54 \"\"", "-1" + label + "2,5 86x8 \"Module list:\"",
      "-1" + label + "2,88 239x47 \"Tavix could not find a good match for the module definition. Please choose a "
      "definition from the list that closely matches the program information below and try if it works. If it "
      "does, you can save the definition. If none of them works, please send the program information below to the "
      "maintainers of Tavix Light.\"",
      "-1" + label + "3,77 41x8 \"Module:\"", "110" + label + "32,77 68x8 \"\"",
      "-1" + label + "110,77 43x8 \"Class name:\"", "111" + label + "157,77 84x8 \"\"",
      "102 BUTTON 0x50000007 2,134 239x63 \"Program information\"",
      "-1" + label + "8,147 60x8 \"Product name:\"", "-1" + label + "8,155 60x8 \"Product version:\"",
      "-1" + label + "8,163 59x8 \"Module name:\"", "-1" + label + "8,171 60x8 \"Class name:\"",
      "120" + label + "70,147 169x8 \"\"", "121" + label + "70,155 169x8 \"\"", "122" + label + "70,163 169x8 \"\"",
      "123" + label + "70,171 169x8 \"\"", "125" + label + "8,184 231x8 \"\""};
  EXPECT_EQ(ReadDialogTemplate(stringModule, kDlgModListTemplate), expected);
}

namespace {

const char kShippedChecksum[] = "-1659710524";
const char kAbsent[] = "<absent>|<absent>|<absent>|<absent>|<absent>";
const std::string kKnownHost =
    "[ModuleDefinition]\r\nClassName=eudoramainwindow\r\nModName=EUDORA.EXE\r\nProductName=Other "
    "Mailer\r\nProductVersion=2.1\r\n";
const std::string kChecksum = std::string("[MailerInformation]\r\nMailerInformationID=");

// Picks `line` of the selection dialog (-1: none) and presses `button`; `shown` receives the
// product name the dialog shows for the running program.
robot::Script Pick(int line, int button, std::string* shown = nullptr) {
  return [=](HWND dialog, robot::Seen& seen) {
    if (shown) *shown = robot::ItemText(dialog, kInfoProductNameId);
    SendDlgItemMessageA(dialog, kModListId, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    seen.pressed = button;
    robot::Press(dialog, button);
    seen.closed = robot::WaitClosed(dialog);
  };
}

class ModuleChoice : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(moduleTableReader.Load(IDR_MODULE_TABLE));
    dir_ = support::MakeScratchDirectory("tavix-choice-");
    CopyText(savedIniPath_, sizeof savedIniPath_, iniPath);
    ini_ = dir_ + "\\TAVIX.INI";
    CopyText(iniPath, sizeof iniPath, ini_.c_str());
  }
  void TearDown() override {
    ReleaseModuleDefinitions();
    hostMainWindow = nullptr;
    CopyText(iniPath, sizeof iniPath, savedIniPath_);
    support::RemoveTree(dir_);
  }

  // The choice; the selection dialog must appear exactly when `dialog` is given to answer it.
  int Choose(const FakeHost& host, robot::Script dialog = nullptr) {
    ReleaseModuleDefinitions();
    hostMainWindow = host.window();
    RobotAnswer answer = robot::Expect("Selection module definition", dialog ? dialog : Pick(0, IDCANCEL));
    const int result = ChooseModuleDefinition();
    const robot::Seen& seen = dialog ? answer.Wait() : answer.Stop();
    EXPECT_EQ(seen.found, dialog != nullptr) << "the selection dialog";
    EXPECT_TRUE(seen.error.empty() || !dialog) << seen.error;
    return result;
  }
  // The shutdown save; question 88 must be asked exactly when `answer` (IDYES, IDNO) is given.
  void Save(int answer = 0) {
    RobotAnswer robot = robot::Expect("Tavix Light ", answer ? answer : IDNO);
    SaveModuleDefinitions();
    const robot::Seen& seen = answer ? robot.Wait() : robot.Stop();
    ASSERT_EQ(seen.found, answer != 0) << "question 88";
    if (!answer) return;
    EXPECT_EQ(seen.text, "Save module definition? If you agree, then you do not have to choose "
                         "the correct module on start-up.");
    EXPECT_EQ(seen.flags, static_cast<UINT>(MB_YESNO));
    EXPECT_TRUE(seen.closed);
  }

  std::string Value(const char* section, const char* key) const {
    char value[512];
    GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, ini_.c_str());
    return value;
  }
  // The five keys of a definition section, joined by '|'.
  std::string Section(const char* section) const {
    std::string joined = Value(section, "FullModName");
    for (const char* key : {"ClassName", "ModName", "ProductName", "ProductVersion"})
      joined += "|" + Value(section, key);
    return joined;
  }
  static std::string Identity(const FakeHost& host, const char* product, const char* version) {
    return host.path() + "|EudoraMainWindow|EUDORA.EXE|" + product + "|" + version;
  }
  static std::string Chosen() {
    return mailerIfc ? std::string(mailerIfc->ProductName) + " " + mailerIfc->ProductVersion : "none";
  }

  std::string dir_, ini_;
  char savedIniPath_[kPathSize];
};

}  // namespace

TEST_F(ModuleChoice, KnownHostNeedsNoDialogAndIsWrittenAtShutdown) {
  FakeHost host("pro305");
  ASSERT_EQ(Choose(host), 0);
  EXPECT_NE(dynamic_cast<TEudora3MailerIfc*>(mailerIfc), nullptr);
  EXPECT_EQ(Chosen(), "Eudora Pro 3.0.5");
  EXPECT_EQ(Value("MailerInformation", "MailerInformationID"), kShippedChecksum);
  // The INI file did not know the host: its identity is written, without a question.
  EXPECT_EQ(selectedDefinition, nullptr);
  Save();
  EXPECT_EQ(Section("ModuleDefinition"), Identity(host, "Eudora Pro", "3.0.5"));
  EXPECT_EQ(Section("SelectedModDefinition"), kAbsent);

  for (const char* folder : {"noname", "noresource"}) {
    SCOPED_TRACE(folder);
    DeleteFileA(ini_.c_str());
    FakeHost unidentified(folder);
    EXPECT_EQ(Choose(unidentified), IDS_INIT_FAILED);
    EXPECT_EQ(mailerIfc, nullptr);
    Save();
    EXPECT_FALSE(support::FileExists(ini_));
  }
}

// The host is one the INI file knows (letter case aside), with a remembered row.
TEST_F(ModuleChoice, RememberedRowCountsOnlyForTheSameTable) {
  FakeHost host("unknown");
  const std::string remembered = "[SelectedModDefinition]\r\nProductName=Eudora Pro\r\nProductVersion=";
  struct Case {
    const char* name;
    std::string ini;
    bool asked;  // the dialog comes; line 0 is chosen and saved with Yes
    const char* chosen;
  };
  const Case cases[] = {
      {"same table", kKnownHost + remembered + "3.0.5\r\n" + kChecksum + kShippedChecksum + "\r\n",
       false, "Eudora Pro 3.0.5"},
      {"changed table", kKnownHost + remembered + "3.0.5\r\n" + kChecksum + "12345\r\n", true,
       "Eudora Light 3.0.1"},
      {"unreadable checksum", kKnownHost + remembered + "3.0.5\r\n" + kChecksum + "-1659710524x\r\n",
       true, "Eudora Light 3.0.1"},
      {"remembered row gone", kKnownHost + remembered + "9.9\r\n" + kChecksum + kShippedChecksum + "\r\n",
       true, "Eudora Light 3.0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(support::WriteFileBytes(ini_, c.ini));
    ASSERT_EQ(Choose(host, c.asked ? Pick(0, IDOK) : nullptr), 0);
    EXPECT_EQ(Chosen(), c.chosen);
    EXPECT_EQ(Value("MailerInformation", "MailerInformationID"), kShippedChecksum);
    Save(c.asked ? IDYES : 0);
    // Same host and table: nothing asked, nothing written. After a choice and Yes the next
    // start takes the chosen row without asking.
    if (!c.asked) {
      EXPECT_EQ(support::ReadFileBytes(ini_), c.ini);
    }
    ASSERT_EQ(Choose(host), 0);
    EXPECT_EQ(Chosen(), c.chosen);
  }
}

TEST_F(ModuleChoice, DialogOutcomesAndTheShutdownQuestion) {
  FakeHost host("unknown");
  const std::string identity = Identity(host, "Other Mailer", "2.1");
  struct Case {
    const char* name;
    robot::Script dialog;
    int result;
    int answer;  // to question 88; 0: not asked
    std::string moduleDefinition, selected;
  };
  const Case cases[] = {
      {"cancel", Pick(2, IDCANCEL), IDS_INIT_FAILED, 0, identity, kAbsent},
      {"ok without a line", Pick(-1, IDOK), IDS_INIT_FAILED, 0, identity, kAbsent},
      {"title-bar close", [](HWND dialog, robot::Seen& seen) {
         PostMessageA(dialog, WM_CLOSE, 0, 0);
         seen.closed = robot::WaitClosed(dialog);
       }, IDS_INIT_FAILED, 0, identity, kAbsent},
      {"ok, then yes", Pick(2, IDOK), 0, IDYES, identity, Identity(host, "Eudora Pro", "3.0.5")},
      {"ok, then no", Pick(2, IDOK), 0, IDNO, kAbsent, kAbsent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(ini_.c_str());
    EXPECT_EQ(Choose(host, c.dialog), c.result);
    EXPECT_EQ(Chosen(), c.result ? "none" : "Eudora Pro 3.0.5");
    Save(c.answer);
    EXPECT_EQ(Section("ModuleDefinition"), c.moduleDefinition);
    EXPECT_EQ(Section("SelectedModDefinition"), c.selected);
  }
}

TEST_F(ModuleChoice, OverlongAndGarbageIniValuesAreHarmless) {
  FakeHost host("pro305");
  const std::string known = "[ModuleDefinition]\r\nClassName=EudoraMainWindow\r\nModName=EUDORA.EXE\r\n"
                            "ProductName=Eudora Pro\r\nProductVersion=3.0.5\r\n";
  const std::string checksum = kChecksum + kShippedChecksum + "\r\n";
  const std::string overlong(1000, 'p');
  struct Case {
    const char* name;
    std::string ini;
    std::string shown;  // the product the dialog shows before it is cancelled; empty: no dialog
  };
  const Case cases[] = {
      {"overlong identity", "[ModuleDefinition]\r\nProductName=" + overlong + "\r\n" + checksum, ""},
      {"overlong checksum", known + "[SelectedModDefinition]\r\nProductName=Eudora Light\r\n" +
                                kChecksum + "99999999999999999999\r\n", ""},
      {"garbage selection", known + "[SelectedModDefinition]\r\nProductName=\x01;[x]=\r\n" + checksum,
       "\x01;[x]="},
      {"overlong selection", known + "[SelectedModDefinition]\r\nProductName=" + overlong + "\r\n" + checksum,
       std::string(255, 'p')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(support::WriteFileBytes(ini_, c.ini));
    std::string shown;
    const int result = Choose(host, c.shown.empty() ? nullptr : Pick(0, IDCANCEL, &shown));
    EXPECT_EQ(shown, c.shown);
    if (!c.shown.empty()) {
      EXPECT_EQ(result, IDS_INIT_FAILED);
      continue;
    }
    // The host's own row, and what the INI file held wrongly is put right.
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Chosen(), "Eudora Pro 3.0.5");
    EXPECT_EQ(Value("MailerInformation", "MailerInformationID"), kShippedChecksum);
    Save();
    EXPECT_EQ(Value("ModuleDefinition", "ProductName"), "Eudora Pro");
  }
}
