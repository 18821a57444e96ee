// The GnuPG bridge against the installed gpg, with keys made for the test: the command lines
// come from the plug-in's own argument builder and run in the transfer folder as the
// plug-in runs PGP there; each step names its exit code and the result file it leaves.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bridge_exit_codes.h"
#include "core/pgp_arguments.h"
#include "pgp2gpg_gpg_home.h"
#include "standin_command_line.h"
#include "standin_files.h"

namespace fs = std::filesystem;
using namespace pgp2gpg;
using pgp2gpg_testing::ScratchGpgHome;

namespace {

// Lines that look like a status line or begin with dashes must come back unchanged.
const char kMessage[] =
    "Dear Bob,\n[GNUPG:] GOODSIG 0123456789ABCDEF Mallory\n- a list item\n"
    "-----BEGIN PGP SIGNATURE-----\nFrom the desk of Alice\n";
const char kEncrypted[] = "-----BEGIN PGP MESSAGE-----";

enum class Prepare { Nothing, Message, ChangeSigned, ForeignKey, ForeignMessage, NotPgp, NoInput, NoGpg };

struct Step {
  const char* what;
  Prepare prepare;
  uint16_t flags;  // the job's flag word, as the plug-in sets it
  const char *recipients, *signAs;
  int exitCode;
  const char* goneFile = nullptr;     // must not exist afterwards
  const char* resultFile = nullptr;   // must exist afterwards
  const char* resultHolds = nullptr;  // a part of it; null: the whole message
  const char* says = nullptr;         // a part of the bridge's standard output
};

std::string Read(const fs::path& file) {
  std::string bytes;
  standin::ReadFileBytes(file.string(), bytes);
  return bytes;
}

}  // namespace

TEST(Pgp2gpgWithGpg, CommandLinesOfThePluginGiveResultFilesAndExitCodes) {
  const std::string gpg = pgp2gpg_testing::InstalledGpg();
  if (gpg.empty()) GTEST_SKIP() << "gpg is not installed (Debian package gnupg): the bridge is not run";
  ScratchGpgHome home(gpg, "h"), foreign(gpg, "f");
  ASSERT_TRUE(home.Made() && foreign.Made());
  ASSERT_TRUE(home.MakeKey("Alice Test <alice@example.test>", "") && home.MakeKey("Bob Test <bob@example.test>", "") &&
              home.MakeKey("Carol Locked <carol@example.test>", "a passphrase nobody gives") &&
              foreign.MakeKey("Dave Elsewhere <dave@example.test>", ""));
  const std::string foreignKey = foreign.Gpg({"--armor", "--export", "dave"}).output;
  const std::string plain = (fs::path(foreign.Path()) / "plain").string();
  ASSERT_TRUE(standin::WriteFileBytes(plain, kMessage));
  const std::string foreignMessage =
      foreign.Gpg({"--armor", "--output", "-", "--encrypt", "--recipient", "dave", plain}).output;
  ASSERT_NE(foreignMessage.find(kEncrypted), std::string::npos);
  const fs::path dir = fs::path(home.Path()) / "transfer";
  fs::create_directories(dir);

  const uint16_t signedEncrypt = kEncryptJob | kAlwaysSignBits | kJobSignAs, clearsignAs = kClearsignJob | kJobSignAs;
  const Prepare no = Prepare::Nothing, message = Prepare::Message;
  const char* const all = nullptr;  // the result holds the whole message
  const Step steps[] = {
      {"encrypt for alice; the plain text is wiped", message, kEncryptJob, "alice", "", kExitOk, "TAVIX", "TAVIX.asc",
       kEncrypted, "Encrypted."},
      {"eyes only, and no console to show the text on", no, kJobEyesOnly | kJobInputFile, "", "", kExitNoConsole, "TAVIX"},
      {"decode gives the text back", no, kDecodeJob, "", "", kExitOk, nullptr, "TAVIX", all, "Decrypted."},
      {"encrypt for two, one user id in quotes", message, kEncryptJob, "bob \"Alice Test\"", "", kExitOk, "TAVIX",
       "TAVIX.asc", kEncrypted},
      {"encrypt for bob, signed as alice", message, signedEncrypt, "bob", "alice", kExitOk, "TAVIX", "TAVIX.asc",
       kEncrypted, "Signed."},
      {"decode names the signer", no, kDecodeJob, "", "", kExitOk, nullptr, "TAVIX", all, "Good signature from Alice"},
      {"clearsign replaces TAVIX.asc, keeps TAVIX", message, kClearsignJob, "", "", kExitOk, nullptr, "TAVIX", all,
       "Signed."},
      {"the clearsigned text", no, kCheckSignatureJob, "", "", kExitOk, nullptr, "TAVIX", all, "Good signature from"},
      {"a changed signed text: no plain file", Prepare::ChangeSigned, kCheckSignatureJob, "", "", kExitBadSignature,
       "TAVIX"},
      {"clearsign as bob", message, clearsignAs, "", "bob", kExitOk, nullptr, "TAVIX.asc",
       "-----BEGIN PGP SIGNED MESSAGE-----"},
      {"the check names bob", no, kCheckSignatureJob, "", "", kExitOk, nullptr, "TAVIX", all, "Good signature from Bob"},
      {"unknown recipient: the plain text is kept", message, kEncryptJob, "nobody-here", "", kExitKeyMissing,
       "TAVIX.asc", "TAVIX", all},
      {"encrypt for carol, whose key is protected", message, kEncryptJob, "carol", "", kExitOk, "TAVIX", "TAVIX.asc",
       kEncrypted},
      {"no passphrase can be asked: decoding fails", no, kDecodeJob, "", "", kExitDecryptionFailed, "TAVIX"},
      {"no passphrase can be asked: signing fails", message, clearsignAs, "", "carol", kExitSigningFailed, "TAVIX.asc"},
      {"a message for a key not in the ring", Prepare::ForeignMessage, kDecodeJob, "", "", kExitKeyMissing, "TAVIX"},
      {"add dave's key", Prepare::ForeignKey, kAddKeyJob, "", "", kExitOk, "TAVIX", nullptr, nullptr,
       "1 key(s) in the key ring."},
      {"plain text is not decoded", Prepare::NotPgp, kDecodeJob, "", "", kExitNoPgpData, "TAVIX"},
      {"gpg not there", Prepare::NoGpg, kDecodeJob, "", "", kExitGpgNotFound, "TAVIX"},
      {"a k without a", no, kJobKeys | kJobInputFile | kJobRecipients, "alice", "", kExitBadCommandLine},
      {"no input file", Prepare::NoInput, kDecodeJob, "", "", kExitFileNotFound, "TAVIX"},
  };
  // The bridge finds its home through PGPPATH, as the plug-in sets it, with a separator.
  unsetenv("GNUPGHOME");
  setenv("PGPPATH", (home.Path() + "/").c_str(), 1);
  setenv("TAVIX_GPG_TIMEOUT", "60", 1);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const fs::path input = dir / "TAVIX.asc";
    std::string signedText;
    switch (step.prepare) {
      case Prepare::Message: ASSERT_TRUE(standin::WriteFileBytes((dir / "TAVIX").string(), kMessage)); break;
      case Prepare::ChangeSigned:
        signedText = Read(input);
        ASSERT_NE(signedText.find("Dear Bob"), std::string::npos) << signedText;
        ASSERT_TRUE(standin::WriteFileBytes(input.string(), signedText.replace(signedText.find("Dear Bob"), 8, "Dear Bub")));
        break;
      case Prepare::ForeignKey: ASSERT_TRUE(standin::WriteFileBytes(input.string(), foreignKey)); break;
      case Prepare::ForeignMessage: ASSERT_TRUE(standin::WriteFileBytes(input.string(), foreignMessage)); break;
      case Prepare::NotPgp: ASSERT_TRUE(standin::WriteFileBytes(input.string(), "Just a plain note.\n")); break;
      case Prepare::NoInput: fs::remove(input); break;
      default: break;
    }
    if (step.prepare == Prepare::NoGpg) setenv("TAVIX_GPG", "/nonexistent/gpg", 1);
    else unsetenv("TAVIX_GPG");
    // The argument text the plug-in builds (transfer files by their bare names, the folder
    // being current), split as the C runtime splits it.
    PgpJob job = {};
    job.flags = step.flags;
    job.inputFile = (step.flags & kJobEncryptsOrSigns) ? "TAVIX" : "TAVIX.asc";
    std::snprintf(job.recipients, sizeof job.recipients, "%s", step.recipients);
    std::snprintf(job.signAs, sizeof job.signAs, "%s", step.signAs);
    ASSERT_GE(BuildArguments(job, nullptr, "TAVIX"), 0);
    ProcessRequest bridge{PGP2GPG_PROGRAM, standin::SplitArguments(job.arguments), kNoStatusChannel, true, dir.string(),
                          2 * pgp2gpg_testing::kGpgRunLimitMs};
    const ProcessOutcome run = RunProcess(bridge);
    ASSERT_TRUE(run.started && !run.timedOut) << run.startError;
    EXPECT_EQ(run.exitCode, static_cast<uint32_t>(step.exitCode)) << run.output;
    if (step.resultFile) {
      const std::string result = Read(dir / step.resultFile);  // empty when missing
      EXPECT_TRUE(step.resultHolds ? result.find(step.resultHolds) != std::string::npos : result == kMessage)
          << step.resultFile << ": " << result;
    }
    EXPECT_FALSE(step.goneFile && fs::exists(dir / step.goneFile)) << step.goneFile;
    EXPECT_TRUE(!step.says || run.output.find(step.says) != std::string::npos) << run.output;
  }
  EXPECT_TRUE(home.Succeeds({"--list-keys", "dave@example.test"})) << "the added key is not in the ring";
}
