#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "core/pgp_arguments.h"
#include "core/pgp_job.h"

namespace {

PgpJob MakeJob(uint16_t flags, const char* inputFile, const char* recipients = "",
               const char* signAs = "") {
  PgpJob job = {};
  job.flags = flags;
  job.inputFile = inputFile;
  std::strcpy(job.recipients, recipients);
  std::strcpy(job.signAs, signAs);
  return job;
}

struct Built {
  int result;
  std::string text;
  int argLength;
  uint16_t flags;
};

Built Build(PgpJob job, const char* sender = nullptr, const char* outputFile = "TAVIX") {
  // Poison the text so that a missing terminator shows up.
  std::memset(job.arguments, 'X', sizeof job.arguments);
  int result = BuildArguments(job, sender, outputFile);
  EXPECT_NE(std::memchr(job.arguments, '\0', sizeof job.arguments), nullptr);
  return {result, job.arguments, job.argLength, job.flags};
}

}  // namespace

TEST(BuildArguments, FlagWordsOfTheOperations) {
  struct Case {
    uint16_t flags;
    const char* input;
    const char* expected;
  } cases[] = {
      {kDecodeJob, "TAVIX.asc", " TAVIX.asc"},
      {kCheckSignatureJob, "TAVIX.asc", " TAVIX.asc"},
      {kEncryptJob, "TAVIX", "-aetw TAVIX alice bob@example.org"},
      {kAddKeyJob, "TAVIX.asc", "-ka TAVIX.asc"},
      {kClearsignJob, "TAVIX", "-ast +clearsig=on TAVIX"},  // recipients not passed
      {kEncryptJob | kAlwaysSignBits, "TAVIX", "-aestw TAVIX alice bob@example.org"},
      {kJobKeepSignature | kJobEyesOnly | kJobInputFile, "C:\\T\\TAVIX.asc", "-md C:\\T\\TAVIX.asc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    Built b = Build(MakeJob(c.flags, c.input, "alice bob@example.org"));
    EXPECT_EQ(b.text, c.expected);
    EXPECT_EQ(b.result, static_cast<int>(std::strlen(c.expected)));
    EXPECT_EQ(b.argLength, b.result);
    EXPECT_EQ(b.flags, c.flags);
  }
}

TEST(BuildArguments, LettersFollowOneDashInFixedOrder) {
  EXPECT_EQ(Build(MakeJob(0x09F3, nullptr)).text, "-kaestwmd");
  EXPECT_EQ(Build(MakeJob(kJobKeepSignature | kJobEncrypt, nullptr)).text, "-ed");
  EXPECT_EQ(Build(MakeJob(0, nullptr)).text, "");
  EXPECT_EQ(Build(MakeJob(0, nullptr)).result, 0);
}

TEST(BuildArguments, EmptyOptionAddsOneBlank) {
  Built b = Build(MakeJob(kJobArmour | kJobEmptyOption, nullptr));
  EXPECT_EQ(b.text, "-a ");
  EXPECT_EQ(b.result, 3);
}

TEST(BuildArguments, ClearsignWithSigningUser) {
  Built b = Build(MakeJob(kClearsignJob | kJobSignAs, "TAVIX", "", "me"));
  EXPECT_EQ(b.text, "-ast +clearsig=on TAVIX -u me");
  EXPECT_EQ(b.flags, kClearsignJob | kJobSignAs);
}

TEST(BuildArguments, SigningUserComesFromSignAsThenSender) {
  uint16_t flags = kClearsignJob | kJobSignAs;
  EXPECT_EQ(Build(MakeJob(flags, "TAVIX", "", "me"), "sender@x").text,
            "-ast +clearsig=on TAVIX -u me");
  EXPECT_EQ(Build(MakeJob(flags, "TAVIX"), "sender@x").text,
            "-ast +clearsig=on TAVIX -u sender@x");

  for (const char* sender : {static_cast<const char*>(nullptr), ""}) {
    Built none = Build(MakeJob(flags, "TAVIX"), sender);
    EXPECT_EQ(none.text, "-ast +clearsig=on TAVIX");
    EXPECT_EQ(none.flags, kClearsignJob) << "the unused signing bit is cleared";
    EXPECT_EQ(none.result, 23);
  }
}

TEST(BuildArguments, OutputSwitchOnlyAfterSomething) {
  EXPECT_EQ(Build(MakeJob(kJobOutputFile, "TAVIX.asc")).text, "");
  EXPECT_EQ(Build(MakeJob(kJobOutputFile, "TAVIX.asc")).result, 0);
  EXPECT_EQ(Build(MakeJob(kJobOutputFile | kJobInputFile, "TAVIX.asc"), nullptr, "D:\\tmp\\TAVIX").text,
            " TAVIX.asc -o D:\\tmp\\TAVIX");
  EXPECT_EQ(Build(MakeJob(kJobOutputFile | kJobSignAs, nullptr, "", "u")).text, " -u u -o TAVIX");
}

TEST(BuildArguments, OptionReachingTheLimitStopsTheBuild) {
  // "-aetw TAVIX" is 11 characters: 11 + 107 stays below 119, 11 + 108 reaches it.
  std::string fits(107, 'r');
  Built ok = Build(MakeJob(kEncryptJob, "TAVIX", fits.c_str()));
  EXPECT_EQ(ok.result, 119);
  EXPECT_EQ(ok.text, "-aetw TAVIX " + fits);

  std::string tooLong(108, 'r');
  Built failed = Build(MakeJob(kEncryptJob, "TAVIX", tooLong.c_str()));
  EXPECT_EQ(failed.result, -1);
  EXPECT_EQ(failed.text, "-aetw TAVIX");
  EXPECT_EQ(failed.argLength, 11);
}

TEST(BuildArguments, LongInputFileStopsBeforeTheRecipients) {
  std::string path = "C:\\" + std::string(120, 'd') + "\\TAVIX";
  Built b = Build(MakeJob(kEncryptJob, path.c_str(), "alice"));
  EXPECT_EQ(b.result, -1);
  EXPECT_EQ(b.text, "-aetw");
  EXPECT_EQ(b.argLength, 5);
}

TEST(BuildArguments, SwitchThatDoesNotFitKeepsWhatFitted) {
  // 11 + 1 + 100 = 112 characters of options; " -u " and 5 more would make 121.
  std::string recipients(100, 'r');
  Built b = Build(MakeJob(kEncryptJob | kJobSignAs, "TAVIX", recipients.c_str(), "12345"));
  EXPECT_EQ(b.result, -1);
  EXPECT_EQ(b.argLength, 255);
  EXPECT_EQ(b.text, "-aetw TAVIX " + recipients);

  // The same with a 4-character user fills exactly 120 characters.
  Built full = Build(MakeJob(kEncryptJob | kJobSignAs, "TAVIX", recipients.c_str(), "1234"));
  EXPECT_EQ(full.result, 120);
  EXPECT_EQ(full.text.size(), 120u);

  // A failed -u leaves no room for -o: it is not attempted.
  Built noOutput =
      Build(MakeJob(kEncryptJob | kJobSignAs | kJobOutputFile, "TAVIX", recipients.c_str(), "12345"));
  EXPECT_EQ(noOutput.argLength, 255);
  EXPECT_EQ(noOutput.text, "-aetw TAVIX " + recipients);
}

TEST(BuildArguments, UnterminatedTextFieldsAreNotReadPastTheirEnd) {
  PgpJob job = MakeJob(kEncryptJob | kJobSignAs, "TAVIX");
  std::memset(job.recipients, 'r', sizeof job.recipients);
  std::memset(job.signAs, 's', sizeof job.signAs);
  EXPECT_EQ(BuildArguments(job, nullptr, "TAVIX"), -1);
  EXPECT_EQ(std::strlen(job.recipients), sizeof job.recipients - 1);
  EXPECT_EQ(std::strlen(job.signAs), sizeof job.signAs - 1);
  EXPECT_STREQ(job.arguments, "-aetw TAVIX");
}

TEST(AppendSwitch, LimitIs120Characters) {
  char text[kArgumentsSize];
  std::memset(text, 'a', sizeof text);
  std::string value16(16, 'v');
  EXPECT_EQ(AppendSwitch(text, 100, 'u', value16.c_str()), 120);
  EXPECT_EQ(std::string(text + 100), " -u " + value16);

  std::memset(text, 'a', sizeof text);
  std::string value17(17, 'v');
  EXPECT_EQ(AppendSwitch(text, 100, 'u', value17.c_str()), -1);
  EXPECT_EQ(std::strlen(text), 100u) << "the text ends where it stood";

  EXPECT_EQ(AppendSwitch(text, -1, 'o', "x"), -1);
  EXPECT_EQ(AppendSwitch(text, 121, 'o', ""), -1);
}

TEST(PgpJob, SignAsIsCutToItsField) {
  PgpJob job = {};
  EXPECT_EQ(SetSignAs(job, "Alice <a@b>"), 11u);
  EXPECT_STREQ(job.signAs, "Alice <a@b>");

  std::string longId(150, 'x');
  EXPECT_EQ(SetSignAs(job, longId.c_str()), kSignAsSize - 1);
  EXPECT_EQ(std::string(job.signAs), longId.substr(0, kSignAsSize - 1));

  std::string quoted = "\"" + std::string(140, 'q') + " name\"";
  EXPECT_EQ(SetSignAs(job, quoted.c_str()), kSignAsSize - 1);
  EXPECT_EQ(job.signAs[0], '"');
  EXPECT_EQ(job.signAs[kSignAsSize - 2], '"') << "a cut quoted id keeps its closing quote";
  EXPECT_EQ(std::string(job.signAs + 1, kSignAsSize - 3), std::string(kSignAsSize - 3, 'q'));

  EXPECT_EQ(SetSignAs(job, nullptr), 0u);
  EXPECT_STREQ(job.signAs, "");
}

TEST(PgpJob, OnlyTheLow16BitsOfTheExitCodeCount) {
  PgpJob job = {};
  for (uint32_t code : {0u, 0x10000u, 0xFFFF0000u}) {
    job.exitCode = code;
    EXPECT_TRUE(JobSucceeded(job)) << code;
  }
  for (uint32_t code : {1u, 3u, 0x10003u, 0xC0000005u}) {
    job.exitCode = code;
    EXPECT_FALSE(JobSucceeded(job)) << code;
  }
}
