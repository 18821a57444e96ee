// The PGP stand-in's logic as the plug-in meets it: its command lines, result files and exit codes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "core/pgp_arguments.h"
#include "core/text_utils.h"
#include "standin_command_line.h"
#include "standin_files.h"
#include "standin_key_ring.h"
#include "standin_run.h"

namespace fs = std::filesystem;
using namespace standin;

namespace {

const char kText[] = "Dear Alice,\r\n-- \r\n- dashed\r\n-----BEGIN PGP MESSAGE-----\r\n\xE4ndern\r\n";

// A fresh directory that is the current one while it lives; as PGPPATH "" names it too.
struct ScratchDirectory {
  const fs::path home = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / ("pgpstandin-" + std::to_string(getpid()));
  ScratchDirectory() { fs::create_directories(dir); fs::current_path(dir); }
  ~ScratchDirectory() { fs::current_path(home); fs::remove_all(dir); }
};

// One run of pgp.exe with the arguments the plug-in builds for the job, writing the result as it does.
StandinResult RunJob(uint16_t flags, const char* input, const char* recipients = "", const char* signAs = "") {
  PgpJob job = {};
  job.flags = flags;
  job.inputFile = input;
  CopyText(job.recipients, sizeof job.recipients, recipients);
  SetSignAs(job, signAs);
  StandinArguments parsed;
  std::string error;
  EXPECT_TRUE(BuildArguments(job, nullptr, nullptr) > 0 &&
              ParseStandinArguments(SplitArguments(ArgumentText(std::string("pgp ") + job.arguments)), parsed, error))
      << job.arguments << ": " << error;
  StandinResult result = RunStandin(parsed, "");
  if (result.hasResult && !WriteFileBytes(result.resultPath, result.resultBytes)) result.exitCode = ExitFileError;
  return result;
}

}  // namespace

TEST(PgpStandin, EachJobOfThePlugInGivesItsResultOrItsExitCode) {
  ScratchDirectory scratch;
  ASSERT_TRUE(WriteFileBytes(kSecretRingName, "Alice <alice@example.org>\r\n"));
  ASSERT_TRUE(WriteFileBytes("TAVIX", kText));
  struct Case {
    const char* name;
    uint16_t flags;
    const char *recipients, *signAs, *input;
    std::string inputBytes;      // written to input first, unless empty
    int exitCode;
    const char *result, *bytes;  // then result must hold bytes (null: result must not exist)
    bool whole;                  // bytes are the whole file, not its start
    const char* says;            // part of the report or the error
  };
  const Case cases[] = {
      {"encrypt", kEncryptJob, "bob alice@EXAMPLE.org", "", "TAVIX", kText, ExitOk, "TAVIX.asc",
       "-----BEGIN PGP MESSAGE-----\r\nVersion: ", false, "Encoding for user \"alice@EXAMPLE.org\""},
      {"decode", kDecodeJob, "", "", "TAVIX.asc", "", ExitOk, "TAVIX", kText, true, "encoded for you"},
      {"clearsign, quoted user id", kClearsignJob | kJobSignAs, "", "\"Alice <alice@example.org>\"", "TAVIX", kText,
       ExitOk, "TAVIX.asc", "-----BEGIN PGP SIGNED MESSAGE-----\r\n\r\nDear Alice,\r\n- -- \r\n- - dashed\r\n- -",
       false, "Signing as user"},
      {"check the signature", kCheckSignatureJob, "", "", "TAVIX.asc", "", ExitOk, "TAVIX", kText, true,
       "Good signature from user \"Alice <alice@example.org>\""},
      {"add key", kAddKeyJob, "", "", "TAVIX.asc", MakePublicKeyBlock({"Carol <carol@example.org>"}), ExitOk,
       kPublicRingName, "Carol <carol@example.org>\r\n", true, "Added user id"},
      {"message for someone else", kDecodeJob, "", "", "in.asc", RunJob(kEncryptJob, "TAVIX", "carol").resultBytes,
       ExitNotForThisKey, "in", nullptr, true, "\"carol\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.inputBytes.empty() || WriteFileBytes(c.input, c.inputBytes));
    fs::remove(c.result);
    const StandinResult run = RunJob(c.flags, c.input, c.recipients, c.signAs);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.error;
    std::string got;
    if (ReadFileBytes(c.result, got) != FileReadStatus::Ok) got = "(no file)";
    EXPECT_EQ(c.whole ? got : got.substr(0, std::strlen(c.bytes)), c.bytes ? c.bytes : "(no file)");
    EXPECT_NE((run.report + run.error).find(c.says), std::string::npos) << run.report << run.error;
  }
}
