// The PGP confirmation dialog, driven by the UI robot, and its template.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include "config/settings.h"
#include "core/address_list.h"
#include "core/text_utils.h"
#include "dialog_template.h"
#include "pgp/confirm_job.h"
#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/dlg_pgp.h"
#include "ui/messages.h"
#include "ui_robot.h"

namespace {

std::string Text(UINT id) {
  char buffer[kMessageBufferSize];
  LoadText(id, buffer, sizeof buffer);
  return buffer;
}

// What the dialog showed when the robot found it.
struct Shown {
  std::string caption, preview, explanation, recipients;
  bool skipVisible, fieldVisible;
  int height;
};

class DlgPgp : public testing::Test {
 protected:
  void SetUp() override {
    saved = settings;
    settings.EncryptFor = nullptr;  // set aside, so that the test's own can be freed
  }
  void TearDown() override {
    ReplaceTextSetting(&settings.EncryptFor, nullptr);
    settings = saved;
  }
  PgpJob Job(PgpFunction function, uint16_t flags, std::initializer_list<const char*> texts) {
    addresses.Flush();
    for (const char* text : texts) EXPECT_TRUE(addresses.Add(TAddress::Make(text, nullptr, nullptr)));
    PgpJob job{};
    job.function = function;
    job.flags = flags;
    job.inputFile = "TAVIX";
    job.addresses = &addresses;
    return job;
  }
  // Runs the dialog; the robot records what it shows, runs `then` and presses `button`.
  INT_PTR Run(PgpJob& job, uint16_t mode, int button, const std::function<void(HWND)>& then = nullptr) {
    CopyText(sharedMessageBuffer, sizeof sharedMessageBuffer, "-----BEGIN PGP MESSAGE-----");
    RobotAnswer answer = robot::Expect(nullptr, [&](HWND dialog, robot::Seen& seen) {
      RECT rect;
      GetWindowRect(dialog, &rect);
      shown = {seen.caption, robot::ItemText(dialog, kPgpPreviewId), robot::ItemText(dialog, kPgpExplanationId),
               robot::ItemText(dialog, kPgpRecipientsId), robot::ItemVisible(dialog, kPgpSkipId),
               robot::ItemVisible(dialog, kPgpRecipientsId) && robot::ItemVisible(dialog, kPgpRecipientsLabelId),
               static_cast<int>(rect.bottom - rect.top)};
      if (then) then(dialog);
      if (!robot::Press(dialog, button)) seen.error = "button missing";
    });
    const INT_PTR result = ConfirmJob(job, mode);
    EXPECT_TRUE(answer.Wait().closed) << answer.error();
    return result;
  }

  TSettingsRecord saved;
  TAddressList addresses;
  Shown shown{};
};

}  // namespace

TEST_F(DlgPgp, EachFunctionShowsItsCaptionExplanationAndControls) {
  PgpJob encrypt = Job(Encrypt, kEncryptJob, {"me@a", "b@c", "d@e"});
  EXPECT_EQ(Run(encrypt, kConfirmWritable, IDCANCEL), IDCANCEL);
  EXPECT_EQ(shown.caption + "|" + shown.preview + "|" + shown.recipients,
            " PGP - Encrypt |-----BEGIN PGP MESSAGE-----| b@c d@e");
  EXPECT_EQ(shown.explanation, Text(IDS_EXPLAIN_ENCRYPT));
  EXPECT_TRUE(shown.fieldVisible && !shown.skipVisible);
  const int fullHeight = shown.height;
  const std::string decode = Text(IDS_EXPLAIN_DECODE);
  const struct { PgpFunction function; uint16_t flags, mode; const char* caption; std::string explanation; } cases[] = {
      {Decode, kDecodeJob, kConfirmWritable, " PGP - Decode ", decode},
      {Decode, kDecodeJob, kConfirmQuoted, " PGP - Decode ", decode.substr(0, decode.find('\n'))},
      {CheckSignature, kCheckSignatureJob, 0, " PGP - Check signature ", Text(IDS_EXPLAIN_CHECK)},
      {AddKey, kAddKeyJob, 0, " PGP - Add key ", Text(IDS_EXPLAIN_ADDKEY)},
      {NothingToDo, 0, 0, " PGP - Functions", Text(IDS_EXPLAIN_NOTHING)},
  };
  ASSERT_NE(decode.find('\n'), std::string::npos);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    PgpJob job = Job(c.function, c.flags, {"me@a", "b@c"});
    EXPECT_EQ(Run(job, c.mode, kPgpSkipId), kPgpSkipId);
    EXPECT_EQ(shown.caption, c.caption);
    EXPECT_EQ(shown.explanation, c.explanation);
    // No recipient field; the dialog is cut at the label's bottom edge.
    EXPECT_TRUE(shown.skipVisible && !shown.fieldVisible);
    EXPECT_TRUE(shown.height > 0 && shown.height < fullHeight) << shown.height << " of " << fullHeight;
  }
}

TEST_F(DlgPgp, RecipientsArePrefilledFromTheAddressesAndEncryptForSelf) {
  const struct { int self; const char* encryptFor; uint16_t flags; const char* recipients; } cases[] = {
      {0, nullptr, kEncryptJob, " b@c d@e"}, {1, nullptr, kEncryptJob, " me@a b@c d@e"},
      {1, "\"Me Myself\"", kEncryptJob, "\"Me Myself\" b@c d@e"},
      {1, nullptr, kEncryptJob & ~kJobRecipients, ""}};  // without the recipients bit nothing
  for (const auto& c : cases) {
    settings.EncryptForSelf = c.self;
    ReplaceTextSetting(&settings.EncryptFor, c.encryptFor);
    PgpJob job = Job(Encrypt, c.flags, {"me@a", "b@c", "d@e"});
    Run(job, kConfirmWritable, IDCANCEL);
    EXPECT_EQ(shown.recipients, c.recipients);
  }
}

TEST_F(DlgPgp, EmptyingAndFillingTheFieldSwitchesTitleAndExplanation) {
  PgpJob job = Job(Encrypt, kEncryptJob, {"me@a"});  // sender only: the field opens empty
  std::string seen;
  Run(job, kConfirmWritable, IDCANCEL, [&](HWND dialog) {
    for (const char* typed : {"b", "b@c", ""}) {
      SetWindowTextA(dialog, "unchanged");  // a title that only a change of emptiness replaces
      robot::SetItemText(dialog, kPgpRecipientsId, typed);
      seen += robot::WindowText(dialog) + "|" + robot::ItemText(dialog, kPgpExplanationId) + "\n";
    }
  });
  EXPECT_EQ(shown.caption + "|" + shown.explanation, "Clearsign |" + Text(IDS_EXPLAIN_CLEARSIGN));
  EXPECT_EQ(seen, "Encrypt |" + Text(IDS_EXPLAIN_ENCRYPT) + "\nunchanged|" + Text(IDS_EXPLAIN_ENCRYPT) +
                      "\nClearsign |" + Text(IDS_EXPLAIN_CLEARSIGN) + "\n");
}

TEST_F(DlgPgp, OkSettlesFlagsRecipientsAndArguments) {
  const struct {
    const char* typed;
    uint16_t mode;
    int alwaysSign, signFrom;
    uint16_t flags;
    int runHostCommand;
    const char* arguments;
  } cases[] = {
      {"", kConfirmWritable, 1, 0, kClearsignJob, 1, "-ast +clearsig=on TAVIX"},
      {"", 0, 0, 0, kClearsignJob, 0, "-ast +clearsig=on TAVIX"},
      {"", kConfirmWritable, 0, 1, kClearsignJob | kJobSignAs, 1, "-ast +clearsig=on TAVIX -u me@a"},
      {"b@c", 0, 0, 0, kEncryptJob, 0, "-aetw TAVIX b@c"},
      {"b@c", 0, 1, 0, kEncryptJob | kAlwaysSignBits, 0, "-aestw TAVIX b@c"},
      {"-sb@c", 0, 0, 1, kEncryptJob | kJobSignAs, 0, "-aetw TAVIX -sb@c -u me@a"},
      {"-xb@c", 0, 0, 1, kEncryptJob, 0, "-aetw TAVIX -xb@c"},  // only "-s" asks for signing
      {"b@c", 0, 0, 1, kEncryptJob, 0, "-aetw TAVIX b@c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    settings.AlwaysSign = c.alwaysSign;
    settings.SignFrom = c.signFrom;
    PgpJob job = Job(Encrypt, kEncryptJob, {"me@a", "b@c"});
    EXPECT_EQ(Run(job, c.mode, IDOK, [&](HWND dialog) { robot::SetItemText(dialog, kPgpRecipientsId, c.typed); }),
              IDOK);
    EXPECT_EQ(job.flags, c.flags);
    EXPECT_EQ(job.runHostCommand, c.runHostCommand);
    EXPECT_STREQ(job.recipients, c.typed);
    EXPECT_STREQ(job.arguments, c.arguments);
  }
}

TEST_F(DlgPgp, RecipientFieldTakesNoMoreThanTheJobHolds) {
  PgpJob job = Job(Encrypt, kEncryptJob, {"me@a", "b@c"});
  const std::string longText(150, 'r');
  std::string inField;
  Run(job, 0, IDOK, [&](HWND dialog) {
    // A paste: the field refuses what the job could not hold, so OK takes what the user sees.
    SendDlgItemMessageA(dialog, kPgpRecipientsId, EM_SETSEL, 0, -1);
    SendDlgItemMessageA(dialog, kPgpRecipientsId, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(longText.c_str()));
    inField = robot::ItemText(dialog, kPgpRecipientsId);
  });
  EXPECT_EQ(inField, longText.substr(0, kRecipientsSize - 1));
  EXPECT_EQ(std::string(job.recipients), inField);
}

TEST(DlgPgpTemplate, LabelAndFieldComeLastBelowTheButtons) {
  EXPECT_EQ(ReadDialogTemplate(stringModule, kDlgPgpTemplate), support::SplitLines(support::ReadFixture("dialogs/pgp.txt")));
}
