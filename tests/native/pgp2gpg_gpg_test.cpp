// The GnuPG bridge against the installed gpg, with keys made for the test: the command lines
// come from the plug-in's own argument builder, run in the transfer folder as the plug-in
// runs PGP there; each step names the result file it expects and the exit code.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bridge_exit_codes.h"
#include "core/pgp_arguments.h"
#include "core/pgp_job.h"
#include "pgp2gpg_gpg_home.h"
#include "process_runner.h"
#include "standin_command_line.h"
#include "standin_files.h"

namespace fs = std::filesystem;
using namespace pgp2gpg;
using pgp2gpg_testing::ScopedVariable;
using pgp2gpg_testing::ScratchGpgHome;

namespace {

// Lines that look like a status line and that begin with dashes must come back unchanged.
const char kMessage[] =
    "Dear Bob,\n"
    "[GNUPG:] GOODSIG 0123456789ABCDEF Mallory\n"
    "- a list item\n"
    "-----BEGIN PGP SIGNATURE-----\n"
    "From the desk of Alice\n";

enum class Prepare {
  Nothing,
  Message,         // TAVIX holds the message
  ChangeSigned,    // one word of the signed text in TAVIX.asc is changed
  ForeignKey,      // TAVIX.asc holds dave's public key, from another home
  ForeignMessage,  // TAVIX.asc holds a message for dave only
  NotPgp,          // TAVIX.asc holds plain text
  NoInput,         // TAVIX.asc is gone
};

struct Step {
  const char* what;
  Prepare prepare;
  uint16_t flags;          // the job's flag word, as the plug-in sets it
  const char* recipients;  // the recipient field
  const char* signAs;
  int exitCode;
  const char* resultFile;  // must exist afterwards; nullptr: none is checked
  const char*
      resultHolds;  // a part of the result file; nullptr with a plain result: the whole message
  const char* goneFile;  // must not exist afterwards
  const char* says;      // a part of the bridge's standard output
  bool withoutGpg;       // TAVIX_GPG names no program
};

class Pgp2gpgWithGpg : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gpg_ = pgp2gpg_testing::InstalledGpg();
    if (gpg_.empty()) return;
    home_.reset(new ScratchGpgHome(gpg_, "h"));
    foreign_.reset(new ScratchGpgHome(gpg_, "f"));
    if (!home_->Made() || !foreign_->Made()) return;
    keysMade_ = home_->MakeKey("Alice Test <alice@example.test>", "") &&
                home_->MakeKey("Bob Test <bob@example.test>", "") &&
                home_->MakeKey("Carol Locked <carol@example.test>", "a passphrase nobody gives") &&
                foreign_->MakeKey("Dave Elsewhere <dave@example.test>", "");
    if (!keysMade_) return;
    ProcessOutcome key = foreign_->Gpg({"--armor", "--export", "dave"});
    foreignKey_ = key.output;
    std::string plain = fs::path(foreign_->Path()) / "plain";
    standin::WriteFileBytes(plain, kMessage);
    ProcessOutcome message =
        foreign_->Gpg({"--armor", "--output", "-", "--encrypt", "--recipient", "dave", plain});
    foreignMessage_ = message.output;
  }
  static void TearDownTestSuite() {
    home_.reset();
    foreign_.reset();
  }

  void SetUp() override {
    if (gpg_.empty())
      GTEST_SKIP() << "gpg is not installed (Debian package gnupg): the bridge is not run";
    ASSERT_TRUE(keysMade_) << "the test keys could not be made in " << home_->Path();
    ASSERT_NE(foreignKey_.find("BEGIN PGP PUBLIC KEY BLOCK"), std::string::npos);
    ASSERT_NE(foreignMessage_.find("BEGIN PGP MESSAGE"), std::string::npos);
    dir_ = fs::path(home_->Path()) / "transfer";
    fs::create_directories(dir_);
  }

  std::string File(const char* name) const { return (dir_ / name).string(); }
  bool Exists(const char* name) const { return fs::exists(dir_ / name); }
  std::string Read(const char* name) const {
    std::string bytes;
    standin::ReadFileBytes(File(name), bytes);
    return bytes;
  }

  void Prepare(Prepare what) const {
    switch (what) {
      case Prepare::Nothing:
        break;
      case Prepare::Message:
        ASSERT_TRUE(standin::WriteFileBytes(File("TAVIX"), kMessage));
        break;
      case Prepare::ChangeSigned: {
        std::string text = Read("TAVIX.asc");
        size_t at = text.find("Dear Bob");
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, 8, "Dear Bub");
        ASSERT_TRUE(standin::WriteFileBytes(File("TAVIX.asc"), text));
        break;
      }
      case Prepare::ForeignKey:
        ASSERT_TRUE(standin::WriteFileBytes(File("TAVIX.asc"), foreignKey_));
        break;
      case Prepare::ForeignMessage:
        ASSERT_TRUE(standin::WriteFileBytes(File("TAVIX.asc"), foreignMessage_));
        break;
      case Prepare::NotPgp:
        ASSERT_TRUE(standin::WriteFileBytes(File("TAVIX.asc"), "Just a plain note.\n"));
        break;
      case Prepare::NoInput:
        fs::remove(dir_ / "TAVIX.asc");
        break;
    }
  }

  // The argument text the plug-in builds for the job (transfer files by their bare names,
  // the folder being current), split as the C runtime splits it.
  static std::vector<std::string> PluginArguments(const Step& step) {
    PgpJob job = {};
    job.flags = step.flags;
    job.inputFile = (step.flags & kJobEncryptsOrSigns) != 0 ? "TAVIX" : "TAVIX.asc";
    std::snprintf(job.recipients, sizeof job.recipients, "%s", step.recipients);
    std::snprintf(job.signAs, sizeof job.signAs, "%s", step.signAs);
    EXPECT_GE(BuildArguments(job, nullptr, "TAVIX"), 0);
    return standin::SplitArguments(job.arguments);
  }

  ProcessOutcome RunBridge(const std::vector<std::string>& arguments) const {
    ProcessRequest run;
    run.program = PGP2GPG_PROGRAM;
    run.arguments = arguments;
    run.captureOutput = true;
    run.workingDirectory = dir_.string();
    run.timeoutMs = 2 * pgp2gpg_testing::kGpgRunLimitMs;
    return RunProcess(run);
  }

  static std::string gpg_;
  static std::unique_ptr<ScratchGpgHome> home_;
  static std::unique_ptr<ScratchGpgHome> foreign_;
  static bool keysMade_;
  static std::string foreignKey_;
  static std::string foreignMessage_;
  fs::path dir_;
};

std::string Pgp2gpgWithGpg::gpg_;
std::unique_ptr<ScratchGpgHome> Pgp2gpgWithGpg::home_;
std::unique_ptr<ScratchGpgHome> Pgp2gpgWithGpg::foreign_;
bool Pgp2gpgWithGpg::keysMade_ = false;
std::string Pgp2gpgWithGpg::foreignKey_;
std::string Pgp2gpgWithGpg::foreignMessage_;

const uint16_t kSignedEncryptJob = kEncryptJob | kAlwaysSignBits | kJobSignAs;
const uint16_t kClearsignAsJob = kClearsignJob | kJobSignAs;
const uint16_t kEyesOnlyDecodeJob = kJobEyesOnly | kJobInputFile;
const uint16_t kKeysWithRecipientsJob = kJobKeys | kJobInputFile | kJobRecipients;
const char kEncrypted[] = "-----BEGIN PGP MESSAGE-----";
const char kClearsigned[] = "-----BEGIN PGP SIGNED MESSAGE-----";

}  // namespace

TEST_F(Pgp2gpgWithGpg, CommandLinesOfThePluginGiveResultFilesAndExitCodes) {
  const Step steps[] = {
      {"encrypt for alice; the plain text is wiped", Prepare::Message, kEncryptJob, "alice", "",
       kExitOk, "TAVIX.asc", kEncrypted, "TAVIX", "Encrypted.", false},
      {"decode gives the text back", Prepare::Nothing, kDecodeJob, "", "", kExitOk, "TAVIX",
       nullptr, nullptr, "Decrypted.", false},
      {"encrypt for two, one user id in quotes", Prepare::Message, kEncryptJob,
       "bob \"Alice Test\"", "", kExitOk, "TAVIX.asc", kEncrypted, "TAVIX", nullptr, false},
      {"decode as either of them", Prepare::Nothing, kDecodeJob, "", "", kExitOk, "TAVIX", nullptr,
       nullptr, nullptr, false},
      {"encrypt for bob, signed as alice", Prepare::Message, kSignedEncryptJob, "bob", "alice",
       kExitOk, "TAVIX.asc", kEncrypted, "TAVIX", "Signed.", false},
      {"decode names the signer", Prepare::Nothing, kDecodeJob, "", "", kExitOk, "TAVIX", nullptr,
       nullptr, "Good signature from Alice Test", false},
      {"clearsign replaces the old TAVIX.asc, keeps TAVIX", Prepare::Message, kClearsignJob, "", "",
       kExitOk, "TAVIX", nullptr, nullptr, "Signed.", false},
      {"the clearsigned text", Prepare::Nothing, kCheckSignatureJob, "", "", kExitOk, "TAVIX",
       nullptr, nullptr, "Good signature from", false},
      {"a changed signed text is refused; no plain file is left", Prepare::ChangeSigned,
       kCheckSignatureJob, "", "", kExitBadSignature, nullptr, nullptr, "TAVIX", nullptr, false},
      {"clearsign as bob", Prepare::Message, kClearsignAsJob, "", "bob", kExitOk, "TAVIX.asc",
       kClearsigned, nullptr, nullptr, false},
      {"the check names bob", Prepare::Nothing, kCheckSignatureJob, "", "", kExitOk, "TAVIX",
       nullptr, nullptr, "Good signature from Bob Test", false},
      {"unknown recipient: no result, the plain text is kept", Prepare::Message, kEncryptJob,
       "nobody-here", "", kExitKeyMissing, "TAVIX", kMessage, "TAVIX.asc", nullptr, false},
      {"encrypt for carol, whose key is protected", Prepare::Message, kEncryptJob, "carol", "",
       kExitOk, "TAVIX.asc", kEncrypted, "TAVIX", nullptr, false},
      {"no passphrase can be asked: decoding fails", Prepare::Nothing, kDecodeJob, "", "",
       kExitDecryptionFailed, nullptr, nullptr, "TAVIX", nullptr, false},
      {"no passphrase can be asked: signing fails", Prepare::Message, kClearsignAsJob, "", "carol",
       kExitSigningFailed, nullptr, nullptr, "TAVIX.asc", nullptr, false},
      {"a message for a key not in the ring", Prepare::ForeignMessage, kDecodeJob, "", "",
       kExitKeyMissing, nullptr, nullptr, "TAVIX", nullptr, false},
      {"add dave's key", Prepare::ForeignKey, kAddKeyJob, "", "", kExitOk, nullptr, nullptr,
       "TAVIX", "1 key(s) in the key ring.", false},
      {"plain text is not decoded", Prepare::NotPgp, kDecodeJob, "", "", kExitNoPgpData, nullptr,
       nullptr, "TAVIX", nullptr, false},
      {"plain text holds no key", Prepare::NotPgp, kAddKeyJob, "", "", kExitNoPgpData, nullptr,
       nullptr, nullptr, nullptr, false},
      {"encrypt for alice once more", Prepare::Message, kEncryptJob, "alice", "", kExitOk,
       "TAVIX.asc", kEncrypted, "TAVIX", nullptr, false},
      {"eyes only, and no console to show the text on", Prepare::Nothing, kEyesOnlyDecodeJob, "",
       "", kExitNoConsole, nullptr, nullptr, "TAVIX", nullptr, false},
      {"gpg not there", Prepare::Nothing, kDecodeJob, "", "", kExitGpgNotFound, nullptr, nullptr,
       "TAVIX", nullptr, true},
      {"a k without a", Prepare::Nothing, kKeysWithRecipientsJob, "alice", "", kExitBadCommandLine,
       nullptr, nullptr, nullptr, nullptr, false},
      {"no input file", Prepare::NoInput, kDecodeJob, "", "", kExitFileNotFound, nullptr, nullptr,
       "TAVIX", nullptr, false},
  };
  // The bridge finds its home through PGPPATH, as the plug-in sets it, with a separator.
  ScopedVariable noGnupgHome("GNUPGHOME", nullptr);
  ScopedVariable pgpPath("PGPPATH", (home_->Path() + "/").c_str());
  ScopedVariable timeout("TAVIX_GPG_TIMEOUT", "60");
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    Prepare(step.prepare);
    ScopedVariable gpgProgram("TAVIX_GPG", step.withoutGpg ? "/nonexistent/gpg" : nullptr);
    const std::vector<std::string> arguments = PluginArguments(step);
    ProcessOutcome run = RunBridge(arguments);
    ASSERT_TRUE(run.started) << run.startError;
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, static_cast<uint32_t>(step.exitCode)) << run.output;
    if (step.resultFile != nullptr) {
      ASSERT_TRUE(Exists(step.resultFile)) << step.resultFile;
      const std::string result = Read(step.resultFile);
      if (step.resultHolds != nullptr) {
        EXPECT_NE(result.find(step.resultHolds), std::string::npos) << result;
      } else {
        EXPECT_EQ(result, kMessage);
      }
    }
    if (step.goneFile != nullptr) {
      EXPECT_FALSE(Exists(step.goneFile)) << step.goneFile;
    }
    if (step.says != nullptr) {
      EXPECT_NE(run.output.find(step.says), std::string::npos) << run.output;
    }
  }
  EXPECT_TRUE(home_->Succeeds({"--list-keys", "dave@example.test"}))
      << "the added key is not in the ring";
}
