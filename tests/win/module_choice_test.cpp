// The choice of the module definition against hosts of this process, the INI keys that
// remember it, and the question at shutdown.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "config/settings.h"
#include "core/text_utils.h"
#include "fake_host.h"
#include "host/dlg_mod_list.h"
#include "host/mailer_ifc.h"
#include "host/mif.h"
#include "host/module_choice.h"
#include "host/module_definition.h"
#include "message_box_flags.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/process_state.h"
#include "ui_robot.h"

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
    UINT flags = 0;
    RobotAnswer robot = robot::Expect("Tavix Light ", [&](HWND box, robot::Seen& seen) {
      flags = MessageBoxFlags(box);
      seen.pressed = answer ? answer : IDNO;
      robot::Press(box, seen.pressed);
      seen.closed = robot::WaitClosed(box);
    });
    SaveModuleDefinitions();
    const robot::Seen& seen = answer ? robot.Wait() : robot.Stop();
    ASSERT_EQ(seen.found, answer != 0) << "question 88";
    if (!answer) return;
    EXPECT_EQ(seen.text, "Save module definition? If you agree, then you do not have to choose "
                         "the correct module on start-up.");
    EXPECT_EQ(flags, static_cast<UINT>(MB_YESNO));
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
