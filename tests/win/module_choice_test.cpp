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

const char kModListCaption[] = "Selection module definition";
const char kShippedChecksum[] = "-1659710524";
const char kQuestion88[] =
    "Save module definition? If you agree, then you do not have to choose the correct module "
    "on start-up.";

// Picks `line` of the selection dialog (-1: none) and presses `button`.
robot::Script Pick(int line, int button) {
  return [=](HWND dialog, robot::Seen& seen) {
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
    ASSERT_FALSE(dir_.empty());
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

  // The choice for the host; `dialog` answers the selection dialog, which must appear
  // exactly when it is given.
  int Choose(const FakeHost& host, robot::Script dialog = nullptr) {
    hostMainWindow = host.window();
    const bool expected = dialog != nullptr;
    RobotAnswer answer = expected ? robot::Expect(kModListCaption, dialog)
                                  : robot::Expect(kModListCaption, IDCANCEL);
    const int result = ChooseModuleDefinition();
    const robot::Seen& seen = expected ? answer.Wait() : answer.Stop();
    EXPECT_EQ(seen.found, expected) << "the selection dialog";
    EXPECT_TRUE(answer.ok() || !expected) << answer.error();
    return result;
  }
  // The shutdown save; question 88 must be asked exactly when `answer` is not 0, and is
  // answered with it.
  void Save(int answer) {
    UINT flags = 0;
    RobotAnswer robot = robot::Expect("Tavix Light ", [&](HWND box, robot::Seen& seen) {
      flags = MessageBoxFlags(box);
      seen.pressed = answer ? answer : IDNO;
      robot::Press(box, seen.pressed);
      seen.closed = robot::WaitClosed(box);
    });
    SaveModuleDefinitions();
    const robot::Seen& seen = answer ? robot.Wait() : robot.Stop();
    EXPECT_EQ(seen.found, answer != 0) << "question 88";
    if (!answer) return;
    EXPECT_EQ(seen.text, kQuestion88);
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
    std::string joined;
    for (const char* key : {"FullModName", "ClassName", "ModName", "ProductName", "ProductVersion"})
      joined += (joined.empty() ? "" : "|") + Value(section, key);
    return joined;
  }
  static std::string Identity(const FakeHost& host, const char* product, const char* version) {
    return host.path() + "|EudoraMainWindow|EUDORA.EXE|" + product + "|" + version;
  }
  std::string IniText() const { return support::ReadFileBytes(ini_); }

  std::string dir_, ini_;
  char savedIniPath_[kPathSize];
};

const char kAbsentSection[] = "<absent>|<absent>|<absent>|<absent>|<absent>";

}  // namespace

TEST_F(ModuleChoice, KnownHostNeedsNoDialogAndIsWrittenAtShutdown) {
  FakeHost host("pro305");
  ASSERT_EQ(Choose(host), 0);
  ASSERT_NE(dynamic_cast<TEudora3MailerIfc*>(mailerIfc), nullptr);
  EXPECT_STREQ(mailerIfc->ProductVersion, "3.0.5");
  EXPECT_EQ(Value("MailerInformation", "MailerInformationID"), kShippedChecksum);
  // The INI file did not know the host: its identity is kept for the shutdown save.
  ASSERT_NE(programInformation, nullptr);
  EXPECT_TRUE(programInformation->modified);
  EXPECT_EQ(selectedDefinition, nullptr);
  Save(0);
  EXPECT_EQ(Section("ModuleDefinition"), Identity(host, "Eudora Pro", "3.0.5"));
  EXPECT_EQ(Section("SelectedModDefinition"), kAbsentSection);
}

TEST_F(ModuleChoice, UnidentifiedHostGives8AndWritesNothing) {
  for (const char* folder : {"noname", "noresource"}) {
    SCOPED_TRACE(folder);
    FakeHost host(folder);
    EXPECT_EQ(Choose(host), IDS_INIT_FAILED);
    EXPECT_EQ(mailerIfc, nullptr);
    Save(0);
    EXPECT_FALSE(support::FileExists(ini_));
  }
}

TEST_F(ModuleChoice, RememberedChoiceCountsOnlyForTheSameTable) {
  FakeHost host("unknown");
  struct Case {
    const char* name;
    const char* storedChecksum;
    robot::Script dialog;  // null: the remembered row is taken
    const char* chosenProduct;
  };
  const Case cases[] = {
      {"same table", kShippedChecksum, nullptr, "Eudora Pro\t3.0.5"},
      {"changed table", "12345", Pick(0, IDOK), "Eudora Light\t3.0.1"},
      {"unreadable checksum", "-1659710524x", Pick(0, IDOK), "Eudora Light\t3.0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string ini =
        "[ModuleDefinition]\r\nFullModName=" + host.path() +
        "\r\nClassName=EudoraMainWindow\r\nModName=EUDORA.EXE\r\nProductName=Other Mailer\r\n"
        "ProductVersion=2.1\r\n[SelectedModDefinition]\r\nClassName=EudoraMainWindow\r\n"
        "ModName=EUDORA.EXE\r\nProductName=Eudora Pro\r\nProductVersion=3.0.5\r\n"
        "[MailerInformation]\r\nMailerInformationID=" + c.storedChecksum + "\r\n";
    ASSERT_TRUE(support::WriteFileBytes(ini_, ini));
    ASSERT_EQ(Choose(host, c.dialog), 0);
    ASSERT_NE(mailerIfc, nullptr);
    EXPECT_EQ(std::string(mailerIfc->ProductName) + "\t" + mailerIfc->ProductVersion,
              c.chosenProduct);
    EXPECT_EQ(Value("MailerInformation", "MailerInformationID"), kShippedChecksum);
    if (!c.dialog) {
      // Same host and table: nothing asked, nothing written, now or at shutdown.
      Save(0);
      EXPECT_EQ(IniText(), ini);
    }
    ReleaseModuleDefinitions();
  }
}

TEST_F(ModuleChoice, DialogChoiceIsSavedOnlyWithYes) {
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
      {"cancel", Pick(2, IDCANCEL), IDS_INIT_FAILED, 0, identity, kAbsentSection},
      {"ok without a line", Pick(-1, IDOK), IDS_INIT_FAILED, 0, identity, kAbsentSection},
      {"ok, then yes", Pick(2, IDOK), 0, IDYES, identity, Identity(host, "Eudora Pro", "3.0.5")},
      {"ok, then no", Pick(2, IDOK), 0, IDNO, kAbsentSection, kAbsentSection},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(ini_.c_str());
    EXPECT_EQ(Choose(host, c.dialog), c.result);
    EXPECT_EQ(mailerIfc != nullptr, c.result == 0);
    if (mailerIfc) {
      EXPECT_STREQ(mailerIfc->ProductVersion, "3.0.5");
    }
    Save(c.answer);
    EXPECT_EQ(Section("ModuleDefinition"), c.moduleDefinition);
    EXPECT_EQ(Section("SelectedModDefinition"), c.selected);
    ReleaseModuleDefinitions();
  }
}

TEST_F(ModuleChoice, OverlongAndGarbageIniValuesAreHarmless) {
  FakeHost host("pro305");
  const std::string matching = "[ModuleDefinition]\r\nClassName=EudoraMainWindow\r\n"
                               "ModName=EUDORA.EXE\r\nProductName=Eudora Pro\r\nProductVersion=3.0.5\r\n";
  const std::string checksum = std::string("[MailerInformation]\r\nMailerInformationID=") +
                               kShippedChecksum + "\r\n";
  struct Case {
    const char* name;
    std::string ini;
    const char* shownProduct;  // in the selection dialog, which is then cancelled; null: none
  };
  const std::string overlong(1000, 'p');
  const Case cases[] = {
      {"overlong identity", "[ModuleDefinition]\r\nProductName=" + overlong + "\r\n" + checksum, nullptr},
      {"overlong checksum", matching + "[SelectedModDefinition]\r\nProductName=Eudora Light\r\n"
                            "[MailerInformation]\r\nMailerInformationID=99999999999999999999\r\n",
       nullptr},
      {"garbage selection", matching + "[SelectedModDefinition]\r\nProductName=\x01;[x]=\r\n" + checksum,
       "\x01;[x]="},
      {"overlong selection", matching + "[SelectedModDefinition]\r\nProductVersion=" + overlong +
                                 "\r\nProductName=" + overlong + "\r\n" + checksum,
       "255"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(support::WriteFileBytes(ini_, c.ini));
    std::string shown;
    auto cancel = [&](HWND dialog, robot::Seen& seen) {
      shown = robot::ItemText(dialog, kInfoProductNameId);
      Pick(0, IDCANCEL)(dialog, seen);
    };
    const int result = c.shownProduct ? Choose(host, cancel) : Choose(host);
    if (c.shownProduct) {
      EXPECT_EQ(result, IDS_INIT_FAILED);
      EXPECT_EQ(shown, std::string(c.shownProduct) == "255" ? std::string(255, 'p') : c.shownProduct);
    } else {
      // The host's own row, and what the INI file held wrongly is put right.
      ASSERT_EQ(result, 0);
      EXPECT_STREQ(mailerIfc->ProductVersion, "3.0.5");
      EXPECT_EQ(Value("MailerInformation", "MailerInformationID"), kShippedChecksum);
      Save(0);
      EXPECT_EQ(Value("ModuleDefinition", "ProductName"), "Eudora Pro");
    }
    ReleaseModuleDefinitions();
  }
}

// A host the INI file knows, whose remembered row is no use (the table changed, or the row
// names nothing): the choice made in the dialog is offered for saving, and with Yes the
// next start takes it without asking.
TEST_F(ModuleChoice, DialogChoiceForAKnownHostIsRemembered) {
  FakeHost host("unknown");
  const std::string known = "[ModuleDefinition]\r\nClassName=EudoraMainWindow\r\nModName=EUDORA.EXE\r\n"
                            "ProductName=Other Mailer\r\nProductVersion=2.1\r\n";
  const std::string selection = "[SelectedModDefinition]\r\nProductName=Eudora Pro\r\nProductVersion=";
  const std::string checksum = "[MailerInformation]\r\nMailerInformationID=";
  struct Case {
    const char* name;
    std::string ini;
  };
  const Case cases[] = {
      {"changed table", known + selection + "3.0.5\r\n" + checksum + "12345\r\n"},
      {"remembered row names nothing", known + selection + "9.9\r\n" + checksum + kShippedChecksum + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(support::WriteFileBytes(ini_, c.ini));
    ASSERT_EQ(Choose(host, Pick(0, IDOK)), 0);
    Save(IDYES);
    ReleaseModuleDefinitions();
    ASSERT_EQ(Choose(host), 0);
    EXPECT_STREQ(mailerIfc->ProductName, "Eudora Light");
    ReleaseModuleDefinitions();
  }
}
