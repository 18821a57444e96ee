// The GnuPG bridge without gpg: the gpg arguments and result file a PGP 2 command line
// gives, the exit code gpg's status lines give, how a Windows command line is quoted, and
// where gpg, its home and its time limit come from.
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

// The request for an argument text as the plug-in sends it; `accepted` false: it must be refused.
BridgeRequest RequestFor(const std::string& argumentText, bool accepted = true) {
  standin::StandinArguments parsed;
  BridgeRequest request;
  std::string error;
  EXPECT_EQ(standin::ParseStandinArguments(standin::SplitArguments(argumentText), parsed, error) &&
                MakeBridgeRequest(parsed, request, error), accepted) << argumentText << ": " << error;
  EXPECT_EQ(error.empty(), accepted) << argumentText;
  return request;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : "|") + item;
  return text;
}

// Complete status lines from "KEYWORD rest|KEYWORD rest".
std::string S(const std::string& compact) {
  std::string text = "[GNUPG:] ";
  for (char c : compact) text += c == '|' ? std::string("\n[GNUPG:] ") : std::string(1, c);
  return text + "\n";
}

}  // namespace

TEST(Pgp2gpg, CommandLinesGiveGpgArgumentsAndResultFiles) {
  const std::string out = "--yes|--output|TAVIX.asc|--armor|", text = out + "--textmode|", dec = "--output|-|--decrypt|--|";
  struct Case { const char* text; const char* home; std::string gpg; const char* result; bool wipes; };
  const Case cases[] = {
      {" TAVIX.asc", "", dec + "TAVIX.asc", "TAVIX", false},
      {" C:\\TEMP\\TAVIX.ASC", "", dec + "C:\\TEMP\\TAVIX.ASC", "C:\\TEMP\\TAVIX", false},
      {"-d TAVIX.asc -o plain.txt", "", dec + "TAVIX.asc", "plain.txt", false},
      {"-aetw TAVIX alice \"Bob Test\"", "", text + "--encrypt|--recipient|alice|--recipient|Bob Test|--|TAVIX",
       "TAVIX.asc", true},
      {"-aestw TAVIX alice -u \"Me Myself\"", "",
       text + "--local-user|Me Myself|--encrypt|--sign|--recipient|alice|--|TAVIX", "TAVIX.asc", true},
      {"-aetw TAVIX -s bob", "", text + "--encrypt|--sign|--recipient|bob|--|TAVIX", "TAVIX.asc", true},
      {"-aetw TAVIX bob -o C:\\out\\msg.asc", "",
       "--yes|--output|C:\\out\\msg.asc|--armor|--textmode|--encrypt|--recipient|bob|--|TAVIX", "C:\\out\\msg.asc", true},
      {"-ast +clearsig=on TAVIX", "", text + "--clearsign|--|TAVIX", "TAVIX.asc", false},
      {"-ast +clearsig=on TAVIX -u me", "", text + "--local-user|me|--clearsign|--|TAVIX", "TAVIX.asc", false},
      {"-as TAVIX", "", out + "--sign|--|TAVIX", "TAVIX.asc", false},
      {"-e TAVIX bob -u ignored", "", "--yes|--output|TAVIX.pgp|--encrypt|--recipient|bob|--|TAVIX", "TAVIX.pgp", false},
      {"-aem TAVIX bob", "", out + "--for-your-eyes-only|--encrypt|--recipient|bob|--|TAVIX", "TAVIX.asc", false},
      {"-ka TAVIX.asc", "", "--import|--|TAVIX.asc", "", false},
      {"-ka TAVIX.asc", "C:\\Users\\me\\GnuPG", "--import|--|TAVIX.asc", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const BridgeRequest request = RequestFor(c.text);
    const GpgInvocation invocation = MakeGpgInvocation(request, c.home);
    // The home comes first, then the fixed options; the status channel's value is left
    // empty for the runner to fill in.
    const std::string home = *c.home ? std::string("--homedir|") + c.home + "|" : "";
    EXPECT_EQ(Joined(invocation.arguments),
              home + "--batch|--no-tty|--exit-on-status-write-error|--status-fd||" + c.gpg);
    EXPECT_EQ(invocation.statusChannelArgument, *c.home ? 6u : 4u);
    EXPECT_EQ(request.resultFile, c.result);
    EXPECT_EQ(request.wipeInput, c.wipes);
  }
  for (const char* text : {"-x TAVIX", "-ka TAVIX.asc bob", "-k TAVIX.asc", "-e TAVIX", " TAVIX",
                           "-aetw TAVIX.asc bob -o TAVIX.asc", "-u", "+clearsig=maybe TAVIX"})
    RequestFor(text, false);
}

TEST(Pgp2gpg, OnlyCompleteStatusLinesDecideTheExitCode) {
  const char *dec = " TAVIX.asc", *enc = "-aetw TAVIX alice", *sig = "-ast +clearsig=on TAVIX", *key = "-ka TAVIX.asc";
  struct Case {
    const char *what, *text; std::string status; unsigned gpgExit; int exitCode;
    const char* notes = nullptr;  // '|' between them; null: not checked
    bool eyesOnly = false;
  };
  const Case cases[] = {
      {"decrypted", dec, S("ENC_TO 1 1 0|BEGIN_DECRYPTION|PLAINTEXT 74 0 T|DECRYPTION_OKAY|END_DECRYPTION"), 0, kExitOk,
       "Decrypted."},
      {"good clearsigned text", dec, S("PLAINTEXT 74 0 |NEWSIG b@x|GOODSIG 57F9 Bob <b@x>|VALIDSIG EF"), 0, kExitOk,
       "Good signature from Bob <b@x>."},
      {"decrypted and signed", dec, S("BEGIN_DECRYPTION|PLAINTEXT 62 0 T|NEWSIG|GOODSIG F4 Al|DECRYPTION_OKAY"), 0,
       kExitOk, "Decrypted.|Good signature from Al."},
      {"for the eyes only", dec, S("PLAINTEXT 62 0 _CONSOLE|DECRYPTION_OKAY"), 0, kExitOk, "Decrypted.", true},
      {"for one of two", dec, S("ENC_TO A 1 0|ENC_TO B 1 0|NO_SECKEY B|BEGIN_DECRYPTION|DECRYPTION_OKAY"), 0, kExitOk},
      {"CR LF", dec, "[GNUPG:] BEGIN_DECRYPTION\r\n[GNUPG:] DECRYPTION_OKAY\r\n", 0, kExitOk},
      {"bad signature", dec, S("NEWSIG|BADSIG 57F9 Bob|FAILURE gpg-exit 33554433"), 1, kExitBadSignature},
      {"good, then a bad one", dec, S("NEWSIG|GOODSIG 1 A|NEWSIG|BADSIG 2 B"), 1, kExitBadSignature},
      {"expired key", dec, S("NEWSIG|EXPKEYSIG 1 A|VALIDSIG 1"), 0, kExitBadSignature},
      {"a signature never judged", dec, S("DECRYPTION_OKAY|NEWSIG"), 0, kExitBadSignature},
      {"good, then text gpg refuses", dec, S("NEWSIG|GOODSIG 5 B|ERROR proc_pkt.plaintext 89_BAD_DATA"), 2,
       kExitBadSignature},
      {"a last line without LF", dec, "[GNUPG:] NEWSIG\n[GNUPG:] GOODSIG 1 Bob", 0, kExitBadSignature},
      {"verdicts outside status lines", dec, "[GNUPG:] PLAINTEXT 74 0 \ngpg: Good signature from \"Bob\"\n"
       "GOODSIG 1 Bob\n x [GNUPG:] GOODSIG 1 Bob\n[GNUPG:]GOODSIG 1 Bob\n", 0, kExitNoPgpData},
      {"two texts in one message", dec, S("PLAINTEXT 62 0 a|PLAINTEXT 62 0 b|DECRYPTION_OKAY"), 0, kExitDecryptionFailed},
      {"signer's key missing", dec, S("NEWSIG|ERRSIG 57F9 1 10 01 1796 9 EF4F|NO_PUBKEY 57F9"), 2, kExitKeyMissing},
      {"no passphrase", dec, S("ENC_TO F 1 0|ERROR pkdecrypt_failed 67108949|BEGIN_DECRYPTION|DECRYPTION_FAILED"), 2,
       kExitDecryptionFailed},
      {"for nobody here", dec, S("ENC_TO A 1 0|NO_SECKEY A|ENC_TO B 1 0|NO_SECKEY B|DECRYPTION_FAILED"), 2,
       kExitKeyMissing},
      {"failed despite an okay", dec, S("DECRYPTION_OKAY|DECRYPTION_FAILED"), 2, kExitDecryptionFailed},
      {"decryption never okay", dec, S("BEGIN_DECRYPTION|PLAINTEXT 62 0 "), 0, kExitDecryptionFailed},
      {"no OpenPGP data", dec, S("NODATA 1|NODATA 2|FAILURE decrypt 42"), 2, kExitNoPgpData},
      {"neither encrypted nor signed", dec, S("PLAINTEXT 62 0 "), 0, kExitNoPgpData},
      {"encrypted", enc, S("BEGIN_ENCRYPTION 2 9|END_ENCRYPTION"), 0, kExitOk, "Encrypted."},
      {"unknown recipient", enc, S("INV_RECP 1 nobody|FAILURE encrypt 9"), 2, kExitKeyMissing},
      {"encryption never ended", enc, S("BEGIN_ENCRYPTION 2 9"), 0, kExitGpgFailed},
      {"signature missing", "-aestw TAVIX bob", S("END_ENCRYPTION"), 0, kExitSigningFailed},
      {"clearsigned", sig, S("BEGIN_SIGNING H10|SIG_CREATED C 1 10 01 1 EF"), 0, kExitOk, "Signed."},
      {"a made-up SIG_CREATED", sig, "SIG_CREATED C 1 10 01 1 EF\n", 0, kExitSigningFailed},
      {"no passphrase for signing", sig, S("BEGIN_SIGNING H10|FAILURE sign 67108949"), 2, kExitSigningFailed},
      {"unusable signing key", sig, S("INV_SGNR 9 x"), 2, kExitKeyMissing},
      {"key added", key, S("IMPORT_OK 1 EF4F|IMPORT_RES 1 0 1"), 0, kExitOk, "1 key(s) in the key ring."},
      {"no key in the file", key, S("NODATA 1|IMPORT_RES 0 0 0"), 2, kExitNoPgpData},
      {"one of two keys refused", key, S("IMPORT_OK 1 A|IMPORT_PROBLEM 1 B"), 2, kExitKeyImportFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Verdict verdict = JudgeGpgRun(RequestFor(c.text), ParseStatusLines(c.status), c.gpgExit);
    EXPECT_EQ(verdict.exitCode, c.exitCode) << verdict.message;
    EXPECT_EQ(verdict.message.empty(), c.exitCode == kExitOk) << verdict.message;
    EXPECT_EQ(c.notes ? Joined(verdict.notes) : "", c.notes ? c.notes : "");
    EXPECT_EQ(verdict.eyesOnlyText, c.eyesOnly);
  }
}

TEST(Pgp2gpg, WindowsCommandLineSplitsBackIntoItsArguments) {
  struct Case { const char* argument; const char* quoted; };
  const Case cases[] = {
      {"TAVIX", "TAVIX"}, {"", "\"\""}, {"Bob Test", "\"Bob Test\""}, {"tab\there", "\"tab\there\""},
      {"C:\\TEMP\\TAVIX.asc", "C:\\TEMP\\TAVIX.asc"}, {"C:\\My Temp\\", "\"C:\\My Temp\\\\\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""}, {"a\\\"b", "\"a\\\\\\\"b\""}, {"a\\\\b c", "\"a\\\\b c\""},
      {"line\nfeed", "\"line\nfeed\""},
  };
  std::vector<std::string> arguments;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.argument);
    EXPECT_EQ(QuoteWindowsArgument(c.argument), c.quoted);
    EXPECT_EQ(standin::SplitArguments(c.quoted), std::vector<std::string>{c.argument});
    arguments.push_back(c.argument);
  }
  std::string line, error;
  ASSERT_TRUE(BuildWindowsCommandLine("C:\\Program Files\\GnuPG\\bin\\gpg.exe", arguments, line, error)) << error;
  EXPECT_EQ(line.rfind("\"C:\\Program Files\\GnuPG\\bin\\gpg.exe\" TAVIX ", 0), 0u) << line;
  EXPECT_EQ(standin::SplitArguments(standin::ArgumentText(line)), arguments);
  ASSERT_TRUE(BuildWindowsCommandLine("C:\\GnuPG\\gpg.exe", {"--import"}, line, error));
  EXPECT_EQ(line, "C:\\GnuPG\\gpg.exe --import");
  EXPECT_FALSE(BuildWindowsCommandLine("C:\\odd\"name\\gpg.exe", {}, line, error));
  EXPECT_FALSE(error.empty());
}

namespace {

struct Host {
  std::map<std::string, std::string> variables;
  std::set<std::string> files;
  EnvironmentReader Environment() const {
    return [this](const char* name, std::string& value) {
      const auto found = variables.find(name);
      value = found == variables.end() ? "" : found->second;
      return found != variables.end();
    };
  }
  FileTest Files() const { return [this](const std::string& path) { return files.count(path) > 0; }; }
};

}  // namespace

TEST(Pgp2gpg, GpgAndItsHomeComeFromTheEnvironment) {
  const HostConventions posix = {':', "/", "gpg", ""}, windows = {';', "\\/", "gpg.exe", "C:\\Tavix"};
  struct Case { const char* what; const HostConventions& conventions; Host host; const char *program, *tried, *home; };
  const Case cases[] = {
      {"TAVIX_GPG with a folder", posix, {{{"TAVIX_GPG", "/opt/gpg"}, {"PATH", "/usr/bin"}}, {"/opt/gpg", "/usr/bin/gpg"}},
       "/opt/gpg", "/opt/gpg", ""},
      {"TAVIX_GPG names a missing file", posix, {{{"TAVIX_GPG", "/no/gpg"}, {"PATH", "/usr/bin"}}, {"/usr/bin/gpg"}},
       nullptr, "/no/gpg", ""},
      {"a bare TAVIX_GPG is looked for on PATH", posix, {{{"TAVIX_GPG", "gpg2"}, {"PATH", "/usr/bin:/bin"}},
       {"/bin/gpg2", "/usr/bin/gpg"}}, "/bin/gpg2", "/usr/bin/gpg2, /bin/gpg2", ""},
      {"empty TAVIX_GPG and GNUPGHOME count as unset", posix, {{{"TAVIX_GPG", ""}, {"GNUPGHOME", ""},
       {"PATH", "/usr/bin"}, {"PGPPATH", "/p"}}, {"/usr/bin/gpg", "/p/pubring.gpg"}}, "/usr/bin/gpg", "/usr/bin/gpg", "/p"},
      {"empty PATH entries are not the current folder", posix, {{{"PATH", "::/usr/local/bin/:"},
       {"PGPPATH", "/u/.gnupg/"}}, {"gpg", "/gpg", "/usr/local/bin/gpg", "/u/.gnupg/trustdb.gpg"}},
       "/usr/local/bin/gpg", "/usr/local/bin/gpg", "/u/.gnupg"},
      {"GNUPGHOME is gpg's own choice", posix, {{{"PATH", "/a:/b"}, {"GNUPGHOME", "/g"}, {"PGPPATH", "/p/"}},
       {"/p/pubring.kbx"}}, nullptr, "/a/gpg, /b/gpg", ""},
      {"no PATH", posix, {}, nullptr, "gpg (PATH is empty)", ""},
      {"beside the bridge first; a PGP 2 folder", windows, {{{"PATH", "C:\\GnuPG\\bin"}, {"PGPPATH", "C:\\PGP\\"}},
       {"C:\\Tavix\\gpg.exe", "C:\\GnuPG\\bin\\gpg.exe", "C:\\PGP\\pubring.pgp"}}, "C:\\Tavix\\gpg.exe",
       "C:\\Tavix\\gpg.exe", ""},
      {"then on PATH; a GnuPG home", windows, {{{"PATH", "C:\\W;C:\\GnuPG\\"}, {"PGPPATH", "C:\\GnuPG\\"}},
       {"C:\\GnuPG\\gpg.exe", "C:\\GnuPG\\pubring.kbx"}}, "C:\\GnuPG\\gpg.exe",
       "C:\\Tavix\\gpg.exe, C:\\W\\gpg.exe, C:\\GnuPG\\gpg.exe", "C:\\GnuPG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string program, tried;
    EXPECT_EQ(FindGpgProgram(c.host.Environment(), c.host.Files(), c.conventions, program, tried), c.program != nullptr);
    EXPECT_EQ(program, c.program ? c.program : "");
    EXPECT_EQ(tried, c.tried);
    EXPECT_EQ(ChooseGnupgHome(c.host.Environment(), c.host.Files(), c.conventions), c.home);
  }
}

TEST(Pgp2gpg, TimeoutIsWholeSecondsWithinBounds) {
  struct Case { const char* value; unsigned seconds; };  // seconds 0: refused
  const Case cases[] = {{nullptr, kDefaultGpgTimeoutSeconds}, {"30", 30}, {"86400", 86400}, {"1", 1}, {"0", 0},
                        {"86401", 0}, {"", 0}, {"5s", 0}, {"-1", 0}, {"99999999999", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    Host host;
    if (c.value) host.variables["TAVIX_GPG_TIMEOUT"] = c.value;
    unsigned seconds = 12345;
    std::string error;
    const bool read = ReadGpgTimeout(host.Environment(), seconds, error);
    EXPECT_EQ(read ? seconds : 0u, c.seconds);
    EXPECT_EQ(error.empty(), c.seconds != 0);
  }
}
