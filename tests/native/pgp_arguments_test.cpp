// PGP's argument text from a job's flag word, the signing user and the exit-code test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/pgp_arguments.h"
#include "core/pgp_job.h"

TEST(PgpArguments, BuildFromTheFlagWord) {
  const std::string r100(100, 'r'), r107(107, 'r'), r108(108, 'r');
  const std::string longPath = "C:\\" + std::string(120, 'd') + "\\TAVIX";
  const uint16_t clearsignAs = kClearsignJob | kJobSignAs, encryptAs = kEncryptJob | kJobSignAs;
  struct Case {
    const char* name; uint16_t flags; const char* input; std::string recipients; const char* signAs;
    const char* sender; const char* outputFile;
    int result; std::string text; int argLength; uint16_t flagsAfter;
  };
  const char* const none = nullptr;
  const std::string bob = "alice bob@example.org";
  const Case cases[] = {
      {"decode", kDecodeJob, "TAVIX.asc", bob, "", none, "TAVIX", 10, " TAVIX.asc", 10, kDecodeJob},
      {"check", kCheckSignatureJob, "TAVIX.asc", bob, "", none, "TAVIX", 10, " TAVIX.asc", 10, kCheckSignatureJob},
      {"encrypt", kEncryptJob, "TAVIX", bob, "", none, "TAVIX", 33, "-aetw TAVIX alice bob@example.org", 33, kEncryptJob},
      {"add key", kAddKeyJob, "TAVIX.asc", bob, "", none, "TAVIX", 13, "-ka TAVIX.asc", 13, kAddKeyJob},
      {"clearsign passes no recipients", kClearsignJob, "TAVIX", bob, "", none, "TAVIX", 23,
       "-ast +clearsig=on TAVIX", 23, kClearsignJob},
      {"encrypt, always signed", kEncryptJob | kAlwaysSignBits, "TAVIX", bob, "", none, "TAVIX", 34,
       "-aestw TAVIX alice bob@example.org", 34, kEncryptJob | kAlwaysSignBits},
      {"eyes only, keep signature", kJobKeepSignature | kJobEyesOnly | kJobInputFile, "C:\\T\\TAVIX.asc", "", "",
       none, "TAVIX", 18, "-md C:\\T\\TAVIX.asc", 18, kJobKeepSignature | kJobEyesOnly | kJobInputFile},
      {"all letters in order", 0x09F3, none, "", "", none, "TAVIX", 9, "-kaestwmd", 9, 0x09F3},
      {"no flags", 0, none, "", "", none, "TAVIX", 0, "", 0, 0},
      {"an empty option adds a blank", kJobArmour | kJobEmptyOption, none, "", "", none, "TAVIX", 3, "-a ", 3,
       kJobArmour | kJobEmptyOption},
      {"signAs", clearsignAs, "TAVIX", "", "me", "sender@x", "TAVIX", 29, "-ast +clearsig=on TAVIX -u me", 29, clearsignAs},
      {"the sender when signAs is empty", clearsignAs, "TAVIX", "", "", "sender@x", "TAVIX", 35,
       "-ast +clearsig=on TAVIX -u sender@x", 35, clearsignAs},
      {"no signing user: the bit goes", clearsignAs, "TAVIX", "", "", none, "TAVIX", 23, "-ast +clearsig=on TAVIX", 23,
       kClearsignJob},
      {"an empty sender is none", clearsignAs, "TAVIX", "", "", "", "TAVIX", 23, "-ast +clearsig=on TAVIX", 23, kClearsignJob},
      {"-o only after something", kJobOutputFile, "TAVIX.asc", "", "", none, "TAVIX", 0, "", 0, kJobOutputFile},
      {"-o with the plain file", kJobOutputFile | kJobInputFile, "TAVIX.asc", "", "", none, "D:\\tmp\\TAVIX", 26,
       " TAVIX.asc -o D:\\tmp\\TAVIX", 26, kJobOutputFile | kJobInputFile},
      {"-u then -o", kJobOutputFile | kJobSignAs, none, "", "u", none, "TAVIX", 14, " -u u -o TAVIX", 14,
       kJobOutputFile | kJobSignAs},
      {"an option up to 119 characters", kEncryptJob, "TAVIX", r107, "", none, "TAVIX", 119, "-aetw TAVIX " + r107,
       119, kEncryptJob},
      {"an option reaching 119 stops the build", kEncryptJob, "TAVIX", r108, "", none, "TAVIX", -1, "-aetw TAVIX", 11,
       kEncryptJob},
      {"a long input file stops before the recipients", kEncryptJob, longPath.c_str(), "alice", "", none, "TAVIX", -1,
       "-aetw", 5, kEncryptJob},
      {"a switch up to 120 characters", encryptAs, "TAVIX", r100, "1234", none, "TAVIX", 120,
       "-aetw TAVIX " + r100 + " -u 1234", 120, encryptAs},
      {"a switch that does not fit keeps what fitted", encryptAs, "TAVIX", r100, "12345", none, "TAVIX", -1,
       "-aetw TAVIX " + r100, 255, encryptAs},
      {"after a failed -u no -o is tried", encryptAs | kJobOutputFile, "TAVIX", r100, "12345", none, "TAVIX", -1,
       "-aetw TAVIX " + r100, 255, encryptAs | kJobOutputFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PgpJob job = {};
    job.flags = c.flags;
    job.inputFile = c.input;
    std::strcpy(job.recipients, c.recipients.c_str());
    std::strcpy(job.signAs, c.signAs);
    std::memset(job.arguments, 'X', sizeof job.arguments);  // a missing terminator shows
    EXPECT_EQ(BuildArguments(job, c.sender, c.outputFile), c.result);
    ASSERT_NE(std::memchr(job.arguments, '\0', sizeof job.arguments), nullptr);
    EXPECT_EQ(job.arguments, c.text);
    EXPECT_EQ(job.argLength, c.argLength);
    EXPECT_EQ(job.flags, c.flagsAfter);
  }
}

TEST(PgpArguments, UnterminatedTextFieldsAreNotReadPastTheirEnd) {
  PgpJob job = {};
  job.flags = kEncryptJob | kJobSignAs;
  job.inputFile = "TAVIX";
  std::memset(job.recipients, 'r', sizeof job.recipients);
  std::memset(job.signAs, 's', sizeof job.signAs);
  EXPECT_EQ(BuildArguments(job, nullptr, "TAVIX"), -1);
  EXPECT_EQ(std::strlen(job.recipients), sizeof job.recipients - 1);
  EXPECT_EQ(std::strlen(job.signAs), sizeof job.signAs - 1);
  EXPECT_STREQ(job.arguments, "-aetw TAVIX");
}

TEST(PgpArguments, AppendSwitchUpTo120Characters) {
  struct Case { int length; const char* value; int result; size_t textLength; };
  const Case cases[] = {
      {100, "vvvvvvvvvvvvvvvv", 120, 120},  // 16 characters fit
      {100, "vvvvvvvvvvvvvvvvv", -1, 100},  // 17 do not: the text ends where it stood
      {-1, "x", -1, kArgumentsSize}, {121, "", -1, kArgumentsSize},  // nothing is written
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    char text[kArgumentsSize + 1];
    std::memset(text, 'a', sizeof text);
    text[kArgumentsSize] = '\0';
    EXPECT_EQ(AppendSwitch(text, c.length, 'u', c.value), c.result);
    EXPECT_EQ(std::strlen(text), c.textLength);
    if (c.result > 0) {
      EXPECT_EQ(std::string(text + c.length), std::string(" -u ") + c.value);
    }
  }
}

TEST(PgpArguments, SignAsIsCutToItsFieldKeepingAClosingQuote) {
  const std::string longId(150, 'x'), quoted = "\"" + std::string(140, 'q') + " name\"";
  struct Case { const char* user; std::string stored; };
  const Case cases[] = {
      {"Alice <a@b>", "Alice <a@b>"},
      {longId.c_str(), longId.substr(0, kSignAsSize - 1)},
      {quoted.c_str(), "\"" + std::string(kSignAsSize - 3, 'q') + "\""},
      {nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    PgpJob job = {};
    std::strcpy(job.signAs, "old");
    EXPECT_EQ(SetSignAs(job, c.user), c.stored.size());
    EXPECT_EQ(job.signAs, c.stored);
  }
}

TEST(PgpArguments, OnlyTheLow16BitsOfTheExitCodeCount) {
  const std::pair<uint32_t, bool> cases[] = {{0u, true},  {0x10000u, true}, {0xFFFF0000u, true}, {1u, false},
                                              {3u, false}, {0x10003u, false}, {0xC0000005u, false}};
  for (auto [code, succeeded] : cases) {
    PgpJob job = {};
    job.exitCode = code;
    EXPECT_EQ(JobSucceeded(job), succeeded) << code;
  }
}
