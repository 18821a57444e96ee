// The PGP confirmation dialog, driven by the UI robot.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "config/settings.h"
#include "core/text_utils.h"
#include "pgp/confirm_job.h"
#include "core/address_list.h"
#include "resources/resource_ids.h"
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
  bool skipVisible = false, fieldVisible = false;
  int height = 0;
};

class DlgPgp : public testing::Test {
 protected:
  // The record's texts are set aside, so that the test's own can be freed afterwards.
  void SetUp() override {
    saved = settings;
    settings.EncryptFor = nullptr;
  }
  void TearDown() override {
    ReplaceTextSetting(&settings.EncryptFor, nullptr);
    settings = saved;
  }
  void AddAddresses(std::initializer_list<const char*> texts) {
    for (const char* text : texts)
      ASSERT_TRUE(addresses.Add(TAddress::Make(text, nullptr, nullptr)));
  }
  PgpJob MakeJob(PgpFunction function, uint16_t flags) {
    PgpJob job{};
    job.function = function;
    job.flags = flags;
    job.inputFile = "TAVIX";
    job.addresses = &addresses;
    return job;
  }
  // Runs the dialog; the robot records what it shows, runs `then` and presses `button`.
  INT_PTR Run(PgpJob& job, uint16_t mode, int button,
              const std::function<void(HWND)>& then = nullptr) {
    CopyText(sharedMessageBuffer, sizeof sharedMessageBuffer, "-----BEGIN PGP MESSAGE-----");
    RobotAnswer answer = robot::Expect(nullptr, [&](HWND dialog, robot::Seen& seen) {
      shown.caption = seen.caption;
      shown.preview = robot::ItemText(dialog, kPgpPreviewId);
      shown.explanation = robot::ItemText(dialog, kPgpExplanationId);
      shown.recipients = robot::ItemText(dialog, kPgpRecipientsId);
      shown.skipVisible = robot::ItemVisible(dialog, kPgpSkipId);
      shown.fieldVisible = robot::ItemVisible(dialog, kPgpRecipientsId) &&
                           robot::ItemVisible(dialog, kPgpRecipientsLabelId);
      RECT rect;
      GetWindowRect(dialog, &rect);
      shown.height = rect.bottom - rect.top;
      if (then) then(dialog);
      seen.pressed = button;
      if (!robot::Press(dialog, button)) seen.error = "button missing";
      seen.closed = robot::WaitClosed(dialog);
    });
    INT_PTR result = ConfirmJob(job, mode);
    answer.Wait();
    EXPECT_TRUE(answer.ok()) << answer.error();
    return result;
  }

  TSettingsRecord saved;
  TAddressList addresses;
  Shown shown;
};

TEST_F(DlgPgp, EachFunctionShowsItsCaptionExplanationAndButtons) {
  AddAddresses({"me@a", "b@c", "d@e"});
  PgpJob encrypt = MakeJob(Encrypt, kEncryptJob);
  EXPECT_EQ(Run(encrypt, kConfirmWritable, IDCANCEL), IDCANCEL);
  EXPECT_EQ(shown.caption, " PGP - Encrypt ");
  EXPECT_EQ(shown.explanation, Text(IDS_EXPLAIN_ENCRYPT));
  EXPECT_EQ(shown.preview, "-----BEGIN PGP MESSAGE-----");
  EXPECT_EQ(shown.recipients, " b@c d@e");
  EXPECT_TRUE(shown.fieldVisible);
  EXPECT_FALSE(shown.skipVisible);
  const int fullHeight = shown.height;

  const std::string decode = Text(IDS_EXPLAIN_DECODE);
  ASSERT_NE(decode.find('\n'), std::string::npos);
  const struct {
    PgpFunction function;
    uint16_t flags, mode;
    const char* caption;
    std::string explanation;
  } cases[] = {
      {Decode, kDecodeJob, kConfirmWritable, " PGP - Decode ", decode},
      {Decode, kDecodeJob, kConfirmQuoted, " PGP - Decode ", decode.substr(0, decode.find('\n'))},
      {CheckSignature, kCheckSignatureJob, 0, " PGP - Check signature ", Text(IDS_EXPLAIN_CHECK)},
      {AddKey, kAddKeyJob, 0, " PGP - Add key ", Text(IDS_EXPLAIN_ADDKEY)},
      {NothingToDo, 0, 0, " PGP - Functions", Text(IDS_EXPLAIN_NOTHING)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption);
    PgpJob job = MakeJob(c.function, c.flags);
    EXPECT_EQ(Run(job, c.mode, kPgpSkipId), kPgpSkipId);
    EXPECT_EQ(shown.caption, c.caption);
    EXPECT_EQ(shown.explanation, c.explanation);
    EXPECT_TRUE(shown.skipVisible);
    EXPECT_FALSE(shown.fieldVisible);
    EXPECT_GT(shown.height, 0);
    EXPECT_LT(shown.height, fullHeight);
  }
}

TEST_F(DlgPgp, RecipientPrefillFollowsEncryptForSelf) {
  AddAddresses({"me@a", "b@c", "d@e"});
  settings.EncryptForSelf = 1;
  PgpJob job = MakeJob(Encrypt, kEncryptJob);
  Run(job, kConfirmWritable, IDCANCEL);
  EXPECT_EQ(shown.recipients, " me@a b@c d@e");
  ReplaceTextSetting(&settings.EncryptFor, "\"Me Myself\"");
  Run(job, kConfirmWritable, IDCANCEL);
  EXPECT_EQ(shown.recipients, "\"Me Myself\" b@c d@e");
  // Without the recipients bit nothing is offered.
  job.flags = kEncryptJob & ~kJobRecipients;
  Run(job, kConfirmWritable, IDCANCEL);
  EXPECT_EQ(shown.recipients, "");
}

TEST_F(DlgPgp, EmptyingAndFillingTheFieldSwitchesTitleAndExplanation) {
  AddAddresses({"me@a"});  // sender only: the field opens empty
  PgpJob job = MakeJob(Encrypt, kEncryptJob);
  std::string afterTyping, explanationAfterTyping, afterMore;
  std::string afterClearing, explanationAfterClearing;
  Run(job, kConfirmWritable, IDCANCEL, [&](HWND dialog) {
    robot::SetItemText(dialog, kPgpRecipientsId, "b");
    afterTyping = robot::WindowText(dialog);
    explanationAfterTyping = robot::ItemText(dialog, kPgpExplanationId);
    SetWindowTextA(dialog, "unchanged");
    robot::SetItemText(dialog, kPgpRecipientsId, "b@c");
    afterMore = robot::WindowText(dialog);
    robot::SetItemText(dialog, kPgpRecipientsId, "");
    afterClearing = robot::WindowText(dialog);
    explanationAfterClearing = robot::ItemText(dialog, kPgpExplanationId);
  });
  EXPECT_EQ(shown.caption, "Clearsign ");
  EXPECT_EQ(shown.explanation, Text(IDS_EXPLAIN_CLEARSIGN));
  EXPECT_EQ(afterTyping, "Encrypt ");
  EXPECT_EQ(explanationAfterTyping, Text(IDS_EXPLAIN_ENCRYPT));
  EXPECT_EQ(afterMore, "unchanged");
  EXPECT_EQ(afterClearing, "Clearsign ");
  EXPECT_EQ(explanationAfterClearing, Text(IDS_EXPLAIN_CLEARSIGN));
}

TEST_F(DlgPgp, OkSettlesFlagsRecipientsAndArguments) {
  AddAddresses({"me@a", "b@c"});
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
      {"", kConfirmWritable, 0, 1, kClearsignJob | kJobSignAs, 1,
       "-ast +clearsig=on TAVIX -u me@a"},
      {"b@c", 0, 0, 0, kEncryptJob, 0, "-aetw TAVIX b@c"},
      {"b@c", 0, 1, 0, kEncryptJob | kAlwaysSignBits, 0, "-aestw TAVIX b@c"},
      {"-sb@c", 0, 0, 1, kEncryptJob | kJobSignAs, 0, "-aetw TAVIX -sb@c -u me@a"},
      {"b@c", 0, 0, 1, kEncryptJob, 0, "-aetw TAVIX b@c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.arguments));
    settings.AlwaysSign = c.alwaysSign;
    settings.SignFrom = c.signFrom;
    PgpJob job = MakeJob(Encrypt, kEncryptJob);
    EXPECT_EQ(Run(job, c.mode, IDOK, [&](HWND dialog) {
      robot::SetItemText(dialog, kPgpRecipientsId, c.typed);
    }), IDOK);
    EXPECT_EQ(job.flags, c.flags);
    EXPECT_EQ(job.runHostCommand, c.runHostCommand);
    EXPECT_STREQ(job.recipients, c.typed);
    EXPECT_STREQ(job.arguments, c.arguments);
  }
}

TEST_F(DlgPgp, RecipientFieldTakesNoMoreThanTheJobHolds) {
  AddAddresses({"me@a", "b@c"});
  PgpJob job = MakeJob(Encrypt, kEncryptJob);
  const std::string longText(150, 'r');
  std::string inField;
  Run(job, 0, IDOK, [&](HWND dialog) {
    // Pasting behaves like typing: the field refuses what the job could not hold, so
    // the user sees exactly the recipients that OK takes.
    SendDlgItemMessageA(dialog, kPgpRecipientsId, EM_SETSEL, 0, -1);
    SendDlgItemMessageA(dialog, kPgpRecipientsId, EM_REPLACESEL, TRUE,
                        reinterpret_cast<LPARAM>(longText.c_str()));
    inField = robot::ItemText(dialog, kPgpRecipientsId);
  });
  EXPECT_EQ(inField, longText.substr(0, kRecipientsSize - 1));
  EXPECT_EQ(std::string(job.recipients), inField);
}

}  // namespace
