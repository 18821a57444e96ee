// The GnuPG bridge without gpg: which gpg arguments a PGP 2 command line gives, which
// verdict gpg's status lines give, how a Windows command line is quoted, and where gpg
// and its home are looked for.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "bridge_exit_codes.h"
#include "bridge_request.h"
#include "gpg_command.h"
#include "gpg_setup.h"
#include "gpg_status.h"
#include "standin_arguments.h"
#include "standin_command_line.h"
#include "windows_command_line.h"

using namespace pgp2gpg;

namespace {

// The request for an argument text as the plug-in sends it; false with the error.
bool RequestFor(const std::string& argumentText, BridgeRequest& request, std::string& error) {
  standin::StandinArguments parsed;
  return standin::ParseStandinArguments(standin::SplitArguments(argumentText), parsed, error) &&
         MakeBridgeRequest(parsed, request, error);
}

BridgeRequest RequestFor(const std::string& argumentText) {
  BridgeRequest request;
  std::string error;
  EXPECT_TRUE(RequestFor(argumentText, request, error)) << argumentText << ": " << error;
  return request;
}

std::string Joined(const std::vector<std::string>& items, size_t from = 0) {
  std::string text;
  for (size_t i = from; i < items.size(); ++i) text += (i > from ? "|" : "") + items[i];
  return text;
}

const char kCommonPrefix[] = "--batch|--no-tty|--exit-on-status-write-error|--status-fd|";

}  // namespace

TEST(Pgp2gpgArguments, CommandLinesGiveGpgArgumentsAndResultFiles) {
  struct Case {
    const char* argumentText;
    const char* gpgArguments;  // after the common prefix, '|' between arguments
    const char* resultFile;
    bool wipesInput;
  } cases[] = {
      {" TAVIX.asc", "--output|-|--decrypt|--|TAVIX.asc", "TAVIX", false},
      {" C:\\TEMP\\TAVIX.ASC", "--output|-|--decrypt|--|C:\\TEMP\\TAVIX.ASC", "C:\\TEMP\\TAVIX",
       false},
      {"-aetw TAVIX alice \"Bob Test\"",
       "--yes|--output|TAVIX.asc|--armor|--textmode|--encrypt|--recipient|alice|"
       "--recipient|Bob Test|--|TAVIX",
       "TAVIX.asc", true},
      {"-aestw TAVIX alice -u \"Me Myself\"",
       "--yes|--output|TAVIX.asc|--armor|--textmode|--local-user|Me Myself|"
       "--encrypt|--sign|--recipient|alice|--|TAVIX",
       "TAVIX.asc", true},
      {"-aetw TAVIX -s bob",
       "--yes|--output|TAVIX.asc|--armor|--textmode|--encrypt|--sign|--recipient|bob|--|TAVIX",
       "TAVIX.asc", true},
      {"-ast +clearsig=on TAVIX",
       "--yes|--output|TAVIX.asc|--armor|--textmode|--clearsign|--|TAVIX", "TAVIX.asc", false},
      {"-ast +clearsig=on TAVIX -u me",
       "--yes|--output|TAVIX.asc|--armor|--textmode|--local-user|me|--clearsign|--|TAVIX",
       "TAVIX.asc", false},
      {"-as TAVIX", "--yes|--output|TAVIX.asc|--armor|--sign|--|TAVIX", "TAVIX.asc", false},
      {"-e TAVIX bob -u ignored", "--yes|--output|TAVIX.pgp|--encrypt|--recipient|bob|--|TAVIX",
       "TAVIX.pgp", false},
      {"-aem TAVIX bob",
       "--yes|--output|TAVIX.asc|--armor|--for-your-eyes-only|--encrypt|--recipient|bob|--|TAVIX",
       "TAVIX.asc", false},
      {"-ka TAVIX.asc", "--import|--|TAVIX.asc", "", false},
      {"-aetw TAVIX bob -o C:\\out\\msg.asc",
       "--yes|--output|C:\\out\\msg.asc|--armor|--textmode|--encrypt|--recipient|bob|--|TAVIX",
       "C:\\out\\msg.asc", true},
      {"-d TAVIX.asc -o plain.txt", "--output|-|--decrypt|--|TAVIX.asc", "plain.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argumentText);
    BridgeRequest request = RequestFor(c.argumentText);
    GpgInvocation invocation = MakeGpgInvocation(request, "");
    const std::string all = Joined(invocation.arguments);
    ASSERT_EQ(all.compare(0, sizeof kCommonPrefix - 1, kCommonPrefix), 0) << all;
    EXPECT_EQ(invocation.statusChannelArgument, 4u);
    EXPECT_EQ(Joined(invocation.arguments, 5), c.gpgArguments);
    EXPECT_EQ(request.resultFile, c.resultFile);
    EXPECT_EQ(request.wipeInput, c.wipesInput);
  }
}

TEST(Pgp2gpgArguments, HomeComesFirstAndTheStatusChannelFollowsIt) {
  GpgInvocation invocation = MakeGpgInvocation(RequestFor("-ka TAVIX.asc"), "C:\\Users\\me\\GnuPG");
  EXPECT_EQ(Joined(invocation.arguments),
            "--homedir|C:\\Users\\me\\GnuPG|"
            "--batch|--no-tty|--exit-on-status-write-error|--status-fd||--import|--|"
            "TAVIX.asc");
  EXPECT_EQ(invocation.statusChannelArgument, 6u);
}

TEST(Pgp2gpgArguments, CommandLinesOutsideTheGrammarAreRefused) {
  const char* const refused[] = {
      "-x TAVIX",                          // unknown letter
      "-ka TAVIX.asc bob",                 // -ka takes the key file only
      "-k TAVIX.asc",                      // k without a
      "-e TAVIX",                          // no recipient
      " TAVIX",                            // no .asc to take away for the plain file
      "-aetw TAVIX.asc bob -o TAVIX.asc",  // the result would replace the input
      "-u",                                // a switch without its value
      "+clearsig=maybe TAVIX",
  };
  for (const char* text : refused) {
    BridgeRequest request;
    std::string error;
    EXPECT_FALSE(RequestFor(text, request, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
}

// Status lines written as "KEYWORD rest|KEYWORD rest", each one complete.
std::string StatusText(const std::string& compact) {
  std::string text;
  size_t start = 0;
  for (size_t end; (end = compact.find('|', start)) != std::string::npos; start = end + 1) {
    text += "[GNUPG:] " + compact.substr(start, end - start) + "\n";
  }
  return text + "[GNUPG:] " + compact.substr(start) + "\n";
}

TEST(Pgp2gpgVerdict, StatusLinesDecide) {
  struct Case {
    const char* what;
    const char* argumentText;
    const char* status;  // compact, see StatusText
    unsigned gpgExit;
    int exitCode;
  } cases[] = {
      {"decrypted", " TAVIX.asc",
       "ENC_TO 1917 1 0|BEGIN_DECRYPTION|PLAINTEXT 74 0 TAVIX|DECRYPTION_OKAY|END_DECRYPTION", 0,
       kExitOk},
      {"good clearsigned text", " TAVIX.asc",
       "PLAINTEXT 74 0 |NEWSIG bob@x|GOODSIG 57F9 Bob|VALIDSIG EF4F|TRUST_UNDEFINED 0 pgp", 0,
       kExitOk},
      {"decrypted and signed", " TAVIX.asc",
       "BEGIN_DECRYPTION|PLAINTEXT 62 0 T|NEWSIG|GOODSIG F496 Alice|DECRYPTION_OKAY", 0, kExitOk},
      {"for one of two recipients", " TAVIX.asc",
       "ENC_TO A 1 0|ENC_TO B 1 0|NO_SECKEY B|BEGIN_DECRYPTION|DECRYPTION_OKAY", 0, kExitOk},
      {"bad signature", " TAVIX.asc", "NEWSIG|BADSIG 57F9 Bob|FAILURE gpg-exit 33554433", 1,
       kExitBadSignature},
      {"good, then a bad one", " TAVIX.asc", "NEWSIG|GOODSIG 1 A|NEWSIG|BADSIG 2 B", 1,
       kExitBadSignature},
      {"signature by an expired key", " TAVIX.asc", "NEWSIG|EXPKEYSIG 1 A|VALIDSIG 1", 0,
       kExitBadSignature},
      {"signature by a revoked key", " TAVIX.asc", "NEWSIG|REVKEYSIG 1 A|VALIDSIG 1", 0,
       kExitBadSignature},
      {"a signature begun, never judged", " TAVIX.asc", "DECRYPTION_OKAY|NEWSIG", 0,
       kExitBadSignature},
      {"good signature, then unsigned text gpg refuses", " TAVIX.asc",
       "PLAINTEXT 74 0 |NEWSIG|GOODSIG 57F9 Bob|ERROR proc_pkt.plaintext 89_BAD_DATA", 2,
       kExitBadSignature},
      {"good signature but gpg failed", " TAVIX.asc", "NEWSIG|GOODSIG 1 A", 2, kExitBadSignature},
      {"two texts in one message", " TAVIX.asc",
       "PLAINTEXT 62 0 a|PLAINTEXT 62 0 b|DECRYPTION_OKAY", 0, kExitDecryptionFailed},
      {"signer's key missing", " TAVIX.asc",
       "NEWSIG|ERRSIG 57F9 1 10 01 1796 9 EF4F|NO_PUBKEY 57F9", 2, kExitKeyMissing},
      {"signature that cannot be checked", " TAVIX.asc", "NEWSIG|ERRSIG 57F9 1 99 01 1796 4 -", 2,
       kExitBadSignature},
      {"no passphrase for the secret key", " TAVIX.asc",
       "ENC_TO FC0A 1 0|ERROR pkdecrypt_failed 67108949|BEGIN_DECRYPTION|DECRYPTION_FAILED", 2,
       kExitDecryptionFailed},
      {"for nobody in the ring", " TAVIX.asc",
       "ENC_TO A 1 0|NO_SECKEY A|ENC_TO B 1 0|NO_SECKEY B|BEGIN_DECRYPTION|DECRYPTION_FAILED", 2,
       kExitKeyMissing},
      {"failed despite an okay", " TAVIX.asc", "DECRYPTION_OKAY|DECRYPTION_FAILED", 2,
       kExitDecryptionFailed},
      {"decryption begun, never okay", " TAVIX.asc", "BEGIN_DECRYPTION|PLAINTEXT 62 0 ", 0,
       kExitDecryptionFailed},
      {"no OpenPGP data", " TAVIX.asc", "NODATA 1|NODATA 2|FAILURE decrypt 42", 2, kExitNoPgpData},
      {"neither encrypted nor signed", " TAVIX.asc", "PLAINTEXT 62 0 ", 0, kExitNoPgpData},

      {"encrypted", "-aetw TAVIX alice", "BEGIN_ENCRYPTION 2 9|END_ENCRYPTION", 0, kExitOk},
      {"unknown recipient", "-aetw TAVIX nobody", "INV_RECP 1 nobody|FAILURE encrypt 9", 2,
       kExitKeyMissing},
      {"recipient key not valid", "-aetw TAVIX dave", "INV_RECP 10 dave", 2, kExitKeyMissing},
      {"encryption never ended", "-aetw TAVIX alice", "BEGIN_ENCRYPTION 2 9", 0, kExitGpgFailed},
      {"encrypted but gpg failed", "-aetw TAVIX alice", "END_ENCRYPTION", 2, kExitGpgFailed},
      {"clearsigned", "-ast +clearsig=on TAVIX", "BEGIN_SIGNING H10|SIG_CREATED C 1 10 01 1 EF", 0,
       kExitOk},
      {"no passphrase for signing", "-ast +clearsig=on TAVIX -u carol",
       "BEGIN_SIGNING H10|FAILURE sign 67108949", 2, kExitSigningFailed},
      {"encrypted, signature missing", "-aestw TAVIX bob", "END_ENCRYPTION", 0, kExitSigningFailed},
      {"unusable signing key", "-ast +clearsig=on TAVIX -u x", "INV_SGNR 9 x", 2, kExitKeyMissing},

      {"key added", "-ka TAVIX.asc", "IMPORT_OK 1 EF4F|IMPORT_RES 1 0 1", 0, kExitOk},
      {"key already there", "-ka TAVIX.asc", "IMPORT_OK 0 EF4F", 0, kExitOk},
      {"no key in the file", "-ka TAVIX.asc", "NODATA 1|IMPORT_RES 0 0 0", 2, kExitNoPgpData},
      {"key refused", "-ka TAVIX.asc", "IMPORT_PROBLEM 1 EF4F", 2, kExitKeyImportFailed},
      {"one of two keys refused", "-ka TAVIX.asc", "IMPORT_OK 1 A|IMPORT_PROBLEM 1 B", 2,
       kExitKeyImportFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Verdict verdict =
        JudgeGpgRun(RequestFor(c.argumentText), ParseStatusLines(StatusText(c.status)), c.gpgExit);
    EXPECT_EQ(verdict.exitCode, c.exitCode) << verdict.message;
    EXPECT_EQ(verdict.message.empty(), c.exitCode == kExitOk) << verdict.message;
  }
}

TEST(Pgp2gpgVerdict, OnlyCompleteStatusLinesCount) {
  struct Case {
    const char* what;
    const char* argumentText;
    const char* status;  // as gpg writes it
    int exitCode;
  } cases[] = {
      {"lines ended by CR LF", " TAVIX.asc",
       "[GNUPG:] BEGIN_DECRYPTION\r\n[GNUPG:] DECRYPTION_OKAY\r\n", kExitOk},
      {"verdicts outside status lines", " TAVIX.asc",
       "[GNUPG:] PLAINTEXT 74 0 \ngpg: Good signature from \"Bob\"\nGOODSIG 1 Bob\n"
       " x [GNUPG:] GOODSIG 1 Bob\n[GNUPG:]GOODSIG 1 Bob\n",
       kExitNoPgpData},
      {"a last line without its line feed", " TAVIX.asc", "[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG 1 Bob",
       kExitBadSignature},
      {"a made-up SIG_CREATED", "-ast +clearsig=on TAVIX", "SIG_CREATED C 1 10 01 1 EF\n",
       kExitSigningFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Verdict verdict = JudgeGpgRun(RequestFor(c.argumentText), ParseStatusLines(c.status), 0);
    EXPECT_EQ(verdict.exitCode, c.exitCode) << verdict.message;
  }
}

TEST(Pgp2gpgVerdict, GoodRunsNameTheSignerAndTheEyesOnlyMark) {
  Verdict signedText =
      JudgeGpgRun(RequestFor(" TAVIX.asc"),
                  ParseStatusLines("[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG 57F9 Bob Test <bob@x>\n"), 0);
  ASSERT_EQ(signedText.exitCode, kExitOk);
  EXPECT_EQ(signedText.notes, std::vector<std::string>{"Good signature from Bob Test <bob@x>."});
  EXPECT_FALSE(signedText.eyesOnlyText);

  Verdict eyesOnly = JudgeGpgRun(RequestFor(" TAVIX.asc"),
                                 ParseStatusLines("[GNUPG:] PLAINTEXT 62 0 _CONSOLE\n"
                                                  "[GNUPG:] DECRYPTION_OKAY\n"),
                                 0);
  ASSERT_EQ(eyesOnly.exitCode, kExitOk);
  EXPECT_TRUE(eyesOnly.eyesOnlyText);
}

TEST(Pgp2gpgWindowsCommandLine, ArgumentsAreQuotedSoThatTheRuntimeSplitsThemBack) {
  struct Case {
    const char* argument;
    const char* quoted;
  } cases[] = {
      {"TAVIX", "TAVIX"},
      {"", "\"\""},
      {"Bob Test", "\"Bob Test\""},
      {"C:\\TEMP\\TAVIX.asc", "C:\\TEMP\\TAVIX.asc"},  // backslashes alone stay single
      {"C:\\My Temp\\", "\"C:\\My Temp\\\\\""},        // doubled before the closing quote
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},  // backslash and quote: 3 + quote
      {"a\\\\b c", "\"a\\\\b c\""},  // backslashes inside, not before a quote
      {"tab\there", "\"tab\there\""},
      {"line\nfeed", "\"line\nfeed\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(QuoteWindowsArgument(c.argument), c.quoted);
    EXPECT_EQ(standin::SplitArguments(QuoteWindowsArgument(c.argument)),
              std::vector<std::string>{c.argument});
  }

  std::vector<std::string> arguments;
  for (const Case& c : cases) arguments.push_back(c.argument);
  std::string line, error;
  ASSERT_TRUE(
      BuildWindowsCommandLine("C:\\Program Files\\GnuPG\\bin\\gpg.exe", arguments, line, error))
      << error;
  const std::string quotedProgram = "\"C:\\Program Files\\GnuPG\\bin\\gpg.exe\" TAVIX ";
  EXPECT_EQ(line.compare(0, quotedProgram.size(), quotedProgram), 0) << line;
  EXPECT_EQ(standin::SplitArguments(standin::ArgumentText(line)), arguments);

  ASSERT_TRUE(BuildWindowsCommandLine("C:\\GnuPG\\gpg.exe", {"--import"}, line, error));
  EXPECT_EQ(line, "C:\\GnuPG\\gpg.exe --import");
  EXPECT_FALSE(BuildWindowsCommandLine("C:\\odd\"name\\gpg.exe", {}, line, error));
  EXPECT_FALSE(error.empty());
}

namespace {

struct FakeHost {
  std::map<std::string, std::string> variables;
  std::set<std::string> files;

  EnvironmentReader Environment() const {
    return [this](const char* name, std::string& value) {
      auto found = variables.find(name);
      value = found == variables.end() ? std::string() : found->second;
      return found != variables.end();
    };
  }
  FileTest Files() const {
    return [this](const std::string& path) { return files.count(path) > 0; };
  }
};

const HostConventions kLinux = {':', "/", "gpg", ""};
const HostConventions kWindows = {';', "\\/", "gpg.exe", "C:\\Tavix"};

}  // namespace

TEST(Pgp2gpgSetup, GpgIsFoundByVariableBesideTheBridgeOrOnThePath) {
  struct Case {
    const char* what;
    const HostConventions* host;
    std::map<std::string, std::string> variables;
    std::set<std::string> files;
    const char* program;  // nullptr: not found
    const char* tried;
  } cases[] = {
      {"TAVIX_GPG with a folder",
       &kLinux,
       {{"TAVIX_GPG", "/opt/gnupg/bin/gpg"}, {"PATH", "/usr/bin"}},
       {"/opt/gnupg/bin/gpg", "/usr/bin/gpg"},
       "/opt/gnupg/bin/gpg",
       "/opt/gnupg/bin/gpg"},
      {"TAVIX_GPG names a missing file",
       &kLinux,
       {{"TAVIX_GPG", "/nowhere/gpg"}, {"PATH", "/usr/bin"}},
       {"/usr/bin/gpg"},
       nullptr,
       "/nowhere/gpg"},
      {"TAVIX_GPG without a folder is looked for on PATH",
       &kLinux,
       {{"TAVIX_GPG", "gpg2"}, {"PATH", "/usr/bin:/bin"}},
       {"/bin/gpg2", "/usr/bin/gpg"},
       "/bin/gpg2",
       "/usr/bin/gpg2, /bin/gpg2"},
      {"empty TAVIX_GPG counts as unset",
       &kLinux,
       {{"TAVIX_GPG", ""}, {"PATH", "/usr/bin"}},
       {"/usr/bin/gpg"},
       "/usr/bin/gpg",
       "/usr/bin/gpg"},
      {"empty PATH entries are not the current folder",
       &kLinux,
       {{"PATH", "::/usr/local/bin/:"}},
       {"gpg", "/gpg", "/usr/local/bin/gpg"},
       "/usr/local/bin/gpg",
       "/usr/local/bin/gpg"},
      {"nothing found", &kLinux, {{"PATH", "/a:/b"}}, {}, nullptr, "/a/gpg, /b/gpg"},
      {"no PATH", &kLinux, {}, {}, nullptr, "gpg (PATH is empty)"},
      {"beside the bridge first",
       &kWindows,
       {{"PATH", "C:\\GnuPG\\bin"}},
       {"C:\\Tavix\\gpg.exe", "C:\\GnuPG\\bin\\gpg.exe"},
       "C:\\Tavix\\gpg.exe",
       "C:\\Tavix\\gpg.exe"},
      {"then on PATH",
       &kWindows,
       {{"PATH", "C:\\Windows;C:\\GnuPG\\bin\\"}},
       {"C:\\GnuPG\\bin\\gpg.exe"},
       "C:\\GnuPG\\bin\\gpg.exe",
       "C:\\Tavix\\gpg.exe, C:\\Windows\\gpg.exe, C:\\GnuPG\\bin\\gpg.exe"},
      {"TAVIX_GPG with a drive and backslashes",
       &kWindows,
       {{"TAVIX_GPG", "D:\\gpg\\gpg.exe"}},
       {"D:\\gpg\\gpg.exe", "C:\\Tavix\\gpg.exe"},
       "D:\\gpg\\gpg.exe",
       "D:\\gpg\\gpg.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host{c.variables, c.files};
    std::string program, tried;
    EXPECT_EQ(FindGpgProgram(host.Environment(), host.Files(), *c.host, program, tried),
              c.program != nullptr);
    EXPECT_EQ(program, c.program ? c.program : "");
    EXPECT_EQ(tried, c.tried);
  }
}

TEST(Pgp2gpgSetup, PgpPathIsTheHomeOnlyWhenItHoldsOneAndGnupgHomeIsUnset) {
  struct Case {
    const char* what;
    const HostConventions* host;
    std::map<std::string, std::string> variables;
    std::set<std::string> files;
    const char* home;
  } cases[] = {
      {"GNUPGHOME is gpg's own choice",
       &kLinux,
       {{"GNUPGHOME", "/g"}, {"PGPPATH", "/p/"}},
       {"/p/pubring.kbx"},
       ""},
      {"a GnuPG home in PGPPATH",
       &kLinux,
       {{"PGPPATH", "/home/u/.gnupg/"}},
       {"/home/u/.gnupg/trustdb.gpg"},
       "/home/u/.gnupg"},
      {"empty GNUPGHOME counts as unset",
       &kLinux,
       {{"GNUPGHOME", ""}, {"PGPPATH", "/p"}},
       {"/p/pubring.gpg"},
       "/p"},
      {"a PGP 2 folder",
       &kWindows,
       {{"PGPPATH", "C:\\PGP\\"}},
       {"C:\\PGP\\pubring.pgp", "C:\\PGP\\config.txt"},
       ""},
      {"a GnuPG home in a Windows PGPPATH",
       &kWindows,
       {{"PGPPATH", "C:\\GnuPG\\"}},
       {"C:\\GnuPG\\pubring.kbx"},
       "C:\\GnuPG"},
      {"neither", &kLinux, {}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeHost host{c.variables, c.files};
    EXPECT_EQ(ChooseGnupgHome(host.Environment(), host.Files(), *c.host), c.home);
  }
}

TEST(Pgp2gpgSetup, TimeoutIsWholeSecondsWithinBounds) {
  struct Case {
    const char* value;  // nullptr: unset
    bool accepted;
    unsigned seconds;
  } cases[] = {
      {nullptr, true, kDefaultGpgTimeoutSeconds},
      {"30", true, 30},
      {"86400", true, 86400},
      {"0", false, 0},
      {"86401", false, 0},
      {"", false, 0},
      {"5s", false, 0},
      {"-1", false, 0},
      {"99999999999", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    FakeHost host;
    if (c.value) host.variables["TAVIX_GPG_TIMEOUT"] = c.value;
    unsigned seconds = 0;
    std::string error;
    EXPECT_EQ(ReadGpgTimeout(host.Environment(), seconds, error), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(seconds, c.seconds);
    }
    EXPECT_EQ(error.empty(), c.accepted);
  }
}
