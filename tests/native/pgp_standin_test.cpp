// The PGP stand-in's logic: argument grammar, encoding, armour, signatures, key rings and
// the fault-injection settings, run against files in a private directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "standin_armour.h"
#include "standin_arguments.h"
#include "standin_base64.h"
#include "standin_command_line.h"
#include "standin_faults.h"
#include "standin_files.h"
#include "standin_key_ring.h"
#include "standin_log.h"
#include "standin_payload.h"
#include "standin_run.h"
#include "standin_signature.h"
#include "standin_usage.h"

namespace fs = std::filesystem;
using namespace standin;

namespace {

class StandinFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("pgpstandin-" + std::string(info->name()) + "-" +
                                        std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Put(const std::string& name, const std::string& bytes) const { ASSERT_TRUE(WriteFileBytes(Path(name), bytes)); }
  std::string Get(const std::string& name) const {
    std::string bytes;
    EXPECT_EQ(ReadFileBytes(Path(name), bytes), FileReadStatus::Ok) << name;
    return bytes;
  }
  void OwnIds(const std::string& lines) const { Put(kSecretRingName, lines); }

  // Runs one invocation; file names in `args` that start with '@' are placed in the directory.
  StandinResult Run(std::vector<std::string> args) const {
    for (std::string& a : args) {
      if (!a.empty() && a[0] == '@') a = Path(a.substr(1));
    }
    StandinArguments parsed;
    std::string error;
    EXPECT_TRUE(ParseStandinArguments(args, parsed, error)) << error;
    return RunStandin(parsed, dir_.string());
  }
  // Runs and writes the result file as the program does.
  StandinResult RunAndWrite(const std::vector<std::string>& args) const {
    StandinResult result = Run(args);
    if (result.hasResult) {
      EXPECT_TRUE(WriteFileBytes(result.resultPath, result.resultBytes));
    }
    return result;
  }

  fs::path dir_;
};

std::string AllByteValues() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

}  // namespace

TEST(StandinBase64, KnownValuesRoundTripsAndRejects) {
  EXPECT_EQ(EncodeBase64("Man"), "TWFu");
  EXPECT_EQ(EncodeBase64("Ma"), "TWE=");
  EXPECT_EQ(EncodeBase64("M"), "TQ==");
  EXPECT_EQ(Crc24("123456789"), 0x21CF02u);  // the catalogued check value of this CRC
  EXPECT_EQ(Crc24(""), 0xB704CEu);
  std::string all = AllByteValues();
  for (size_t length = 0; length <= all.size(); length += 37) {
    std::string back;
    ASSERT_TRUE(DecodeBase64(EncodeBase64(all.substr(0, length)), back));
    EXPECT_EQ(back, all.substr(0, length));
  }
  std::string out;
  EXPECT_FALSE(DecodeBase64("TWF", out));       // not a multiple of 4
  EXPECT_FALSE(DecodeBase64("TW-u", out));      // foreign character
  EXPECT_FALSE(DecodeBase64("TQ==TWFu", out));  // data after padding
  EXPECT_FALSE(DecodeBase64("T===", out));
}

TEST(StandinCommandLine, SplitsLikeTheCRuntimeAndKeepsTheArgumentText) {
  EXPECT_EQ(ArgumentText("pgp.exe  C:\\T\\TAVIX.asc"), " C:\\T\\TAVIX.asc");
  EXPECT_EQ(ArgumentText("\"C:\\Program Files\\pgp.exe\" -ka x"), "-ka x");
  EXPECT_EQ(ArgumentText("pgp.exe"), "");
  using V = std::vector<std::string>;
  EXPECT_EQ(SplitArguments(" -aetw TAVIX alice  bob "), (V{"-aetw", "TAVIX", "alice", "bob"}));
  EXPECT_EQ(SplitArguments("-u \"John Doe\" \"\" x"), (V{"-u", "John Doe", "", "x"}));
  EXPECT_EQ(SplitArguments("a\\\\\\\"b c\\d"), (V{"a\\\"b", "c\\d"}));
  EXPECT_EQ(SplitArguments("\"a\\\\\" b"), (V{"a\\", "b"}));
  EXPECT_EQ(SplitArguments("\"say \"\"hi\"\"\""), (V{"say \"hi\""}));
}

TEST(StandinArgumentsTest, AcceptsTheJobsOfThePlugIn) {
  StandinArguments a;
  std::string error;
  ASSERT_TRUE(ParseStandinArguments(SplitArguments("-aestw TAVIX alice bob -u me"), a, error)) << error;
  EXPECT_EQ(a.letters, "aestw");
  EXPECT_EQ(a.inputFile, "TAVIX");
  EXPECT_EQ(a.recipients, (std::vector<std::string>{"alice", "bob"}));
  EXPECT_TRUE(a.hasSignUser);
  EXPECT_EQ(a.signUser, "me");

  ASSERT_TRUE(ParseStandinArguments(SplitArguments("-ast +clearsig=on TAVIX -o out"), a, error));
  EXPECT_TRUE(a.clearsig);
  EXPECT_EQ(a.outputFile, "out");
  StandinMode mode;
  EXPECT_TRUE(DetermineMode(a, mode, error));
  EXPECT_EQ(mode, StandinMode::Encode);

  ASSERT_TRUE(ParseStandinArguments(SplitArguments(" TAVIX.asc"), a, error));
  EXPECT_TRUE(DetermineMode(a, mode, error));
  EXPECT_EQ(mode, StandinMode::Decode);
  ASSERT_TRUE(ParseStandinArguments(SplitArguments("-ka TAVIX.asc"), a, error));
  EXPECT_TRUE(DetermineMode(a, mode, error));
  EXPECT_EQ(mode, StandinMode::AddKey);

  // A recipient text beginning with "-s" asks for signing too.
  ASSERT_TRUE(ParseStandinArguments(SplitArguments("-aetw TAVIX -s bob"), a, error));
  EXPECT_EQ(a.letters, "aetws");
  EXPECT_EQ(a.recipients, (std::vector<std::string>{"bob"}));
}

TEST(StandinArgumentsTest, RefusesWhatIsOutsideTheGrammar) {
  StandinArguments a;
  std::string error;
  for (const char* bad : {"-aex TAVIX b", "- TAVIX", "-u", "TAVIX -u a -u b", "TAVIX -o",
                          "+batchmode TAVIX", "+clearsig=maybe TAVIX", "-o \"\" TAVIX"}) {
    EXPECT_FALSE(ParseStandinArguments(SplitArguments(bad), a, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  StandinMode mode;
  for (const char* refused : {"-k TAVIX.asc", "-kae TAVIX.asc", "-ka TAVIX.asc bob",
                              "-aetw TAVIX", "TAVIX.asc bob", "-sd TAVIX", "-at"}) {
    ASSERT_TRUE(ParseStandinArguments(SplitArguments(refused), a, error)) << refused;
    EXPECT_FALSE(DetermineMode(a, mode, error)) << refused;
    EXPECT_FALSE(error.empty()) << refused;
  }
}

TEST_F(StandinFiles, EncryptThenDecodeGivesEveryByteBack) {
  OwnIds("# mine\r\n\r\nAlice Example <alice@example.org>\r\n");
  const std::string text = "Dear Alice,\r\n-----BEGIN PGP MESSAGE-----\r\n" + AllByteValues() + "end";
  Put("TAVIX", text);
  StandinResult encoded = RunAndWrite({"-aetw", "@TAVIX", "bob", "ALICE@example"});
  ASSERT_EQ(encoded.exitCode, ExitOk) << encoded.error;
  EXPECT_EQ(encoded.resultPath, Path("TAVIX.asc"));
  EXPECT_TRUE(encoded.wipeInput);
  const std::string armour = Get("TAVIX.asc");
  EXPECT_EQ(armour.rfind("-----BEGIN PGP MESSAGE-----\r\n", 0), 0u);
  EXPECT_EQ(Count(armour, "-----BEGIN PGP "), 1u);  // the text's own header is hidden
  EXPECT_EQ(armour.find("Dear Alice"), std::string::npos);
  EXPECT_NE(armour.find("-----END PGP MESSAGE-----\r\n"), std::string::npos);
  // The documented layout: Base64 of the payload XORed with 0x5A, after the empty line.
  ArmourBlock block;
  std::string problem;
  ASSERT_TRUE(ReadArmourBlock(armour, 0, block, problem)) << problem;
  std::string payload = block.payload;
  for (char& c : payload) c = static_cast<char>(c ^ 0x5A);
  EXPECT_EQ(payload, "Recipient: bob\nRecipient: ALICE@example\n\n" + text);

  fs::remove(Path("TAVIX"));
  StandinResult decoded = RunAndWrite({"@TAVIX.asc"});
  ASSERT_EQ(decoded.exitCode, ExitOk) << decoded.error;
  EXPECT_EQ(decoded.resultPath, Path("TAVIX"));
  EXPECT_EQ(Get("TAVIX"), text);
}

TEST_F(StandinFiles, MessageForSomeoneElseIsNotDecoded) {
  OwnIds("Alice <alice@example.org>\n");
  Put("TAVIX", "secret\r\n");
  ASSERT_EQ(RunAndWrite({"-aetw", "@TAVIX", "bob", "carol"}).exitCode, ExitOk);
  StandinResult decoded = Run({"@TAVIX.asc"});
  EXPECT_EQ(decoded.exitCode, ExitNotForThisKey);
  EXPECT_FALSE(decoded.hasResult);
  EXPECT_NE(decoded.error.find("\"bob\""), std::string::npos);

  fs::remove(Path(kSecretRingName));  // no key ring at all: not for us either
  EXPECT_EQ(Run({"@TAVIX.asc"}).exitCode, ExitNotForThisKey);
}

TEST_F(StandinFiles, ClearsignThenCheckAndTampering) {
  OwnIds("Alice <alice@example.org>\nMe Myself <me@example.org>\n");
  const std::string text = "Hello\r\n-- \r\nsig line\r\n- dashed\r\n-----BEGIN PGP SIGNATURE-----\r\n";
  Put("TAVIX", text);
  StandinResult signedText = RunAndWrite({"-ast", "+clearsig=on", "@TAVIX", "-u", "me@EXAMPLE"});
  ASSERT_EQ(signedText.exitCode, ExitOk) << signedText.error;
  EXPECT_FALSE(signedText.wipeInput);
  const std::string armour = Get("TAVIX.asc");
  EXPECT_EQ(armour.rfind("-----BEGIN PGP SIGNED MESSAGE-----\r\n\r\nHello\r\n- -- \r\nsig line\r\n"
                         "- - dashed\r\n- -----BEGIN PGP SIGNATURE-----\r\n-----BEGIN PGP SIGNATURE-----\r\n", 0), 0u);

  StandinResult checked = RunAndWrite({"@TAVIX.asc"});
  ASSERT_EQ(checked.exitCode, ExitOk) << checked.error;
  EXPECT_EQ(Get("TAVIX"), text);
  EXPECT_NE(checked.report.find("Good signature from user \"Me Myself <me@example.org>\""), std::string::npos);

  // Line ends changed in transport still check; a changed word does not.
  std::string lf = armour;
  for (size_t p; (p = lf.find("\r\n")) != std::string::npos;) lf.erase(p, 1);
  Put("lf.asc", lf);
  EXPECT_EQ(Run({"@lf.asc"}).exitCode, ExitOk);
  std::string tampered = armour;
  tampered.replace(tampered.find("sig line"), 8, "big line");
  Put("bad.asc", tampered);
  StandinResult bad = Run({"@bad.asc"});
  EXPECT_EQ(bad.exitCode, ExitBadSignature);
  EXPECT_FALSE(bad.hasResult);
  // Claiming another signer breaks it too: rewrite the signature block for "Alice".
  Payload forged;
  forged.fields = {{kFieldSigner, "Alice"}, {kFieldChecksum, SignatureChecksum("Me Myself <me@example.org>", text)}};
  std::string other = armour.substr(0, armour.rfind("-----BEGIN PGP SIGNATURE-----")) +
                      WriteArmourBlock(kSignatureType, FormatPayload(forged));
  Put("forged.asc", other);
  EXPECT_EQ(Run({"@forged.asc"}).exitCode, ExitBadSignature);

  Put("cut.asc", armour.substr(0, armour.rfind("-----BEGIN PGP SIGNATURE-----")));
  EXPECT_EQ(Run({"@cut.asc"}).exitCode, ExitDamaged);
}

TEST_F(StandinFiles, SigningNeedsASecretKey) {
  Put("TAVIX", "x");
  EXPECT_EQ(Run({"-ast", "+clearsig=on", "@TAVIX"}).exitCode, ExitKeyNotFound);  // no secring.txt
  OwnIds("Alice\n");
  EXPECT_EQ(Run({"-ast", "+clearsig=on", "@TAVIX", "-u", "bob"}).exitCode, ExitKeyNotFound);
  StandinResult first = Run({"-ast", "+clearsig=on", "@TAVIX"});
  ASSERT_EQ(first.exitCode, ExitOk);
  EXPECT_NE(first.resultBytes.find("\r\nx\r\n-----BEGIN PGP SIGNATURE-----"), std::string::npos);
}

TEST_F(StandinFiles, EncryptedAndSignedMessageIsChecked) {
  OwnIds("Alice\n");
  Put("TAVIX", "pay 10\n");
  StandinResult both = RunAndWrite({"-aestw", "@TAVIX", "alice"});
  ASSERT_EQ(both.exitCode, ExitOk) << both.error;
  StandinResult decoded = RunAndWrite({"@TAVIX.asc"});
  ASSERT_EQ(decoded.exitCode, ExitOk) << decoded.error;
  EXPECT_EQ(Get("TAVIX"), "pay 10\n");
  EXPECT_NE(decoded.report.find("Good signature from user \"Alice\""), std::string::npos);

  Payload forged;
  forged.fields = {{kFieldRecipient, "alice"}, {kFieldSigner, "Alice"},
                   {kFieldChecksum, SignatureChecksum("Alice", "pay 10\n")}};
  forged.body = "pay 1000\n";
  std::string bytes = FormatPayload(forged);
  ScrambleBytes(bytes);
  Put("forged.asc", WriteArmourBlock("MESSAGE", bytes));
  EXPECT_EQ(Run({"@forged.asc"}).exitCode, ExitBadSignature);
}

TEST_F(StandinFiles, DamagedArmourIsRefused) {
  OwnIds("Alice\n");
  Put("TAVIX", "some text that is long enough to fill more than one Base64 line of the armour\n");
  ASSERT_EQ(RunAndWrite({"-aet", "@TAVIX", "alice"}).exitCode, ExitOk);
  const std::string armour = Get("TAVIX.asc");
  const size_t data = armour.find("\r\n\r\n") + 4;

  std::string flipped = armour;
  flipped[data + 5] = flipped[data + 5] == 'A' ? 'B' : 'A';
  Put("flipped.asc", flipped);
  EXPECT_EQ(Run({"@flipped.asc"}).exitCode, ExitDamaged);

  Put("nofoot.asc", armour.substr(0, armour.find("-----END")));
  EXPECT_EQ(Run({"@nofoot.asc"}).exitCode, ExitDamaged);
  std::string otherFooter = armour;
  otherFooter.replace(otherFooter.find("END PGP MESSAGE"), 15, "END PGP SIGNATURE");
  Put("other.asc", otherFooter);
  EXPECT_EQ(Run({"@other.asc"}).exitCode, ExitDamaged);

  // Without its checksum line the block is still read, and text around it is ignored.
  std::string unchecked = armour;
  size_t eq = unchecked.find("\r\n=") + 2;
  unchecked.erase(eq, unchecked.find("\r\n", eq) + 2 - eq);
  Put("plain.asc", "> quoted intro\r\n" + unchecked + "trailer\r\n");
  EXPECT_EQ(RunAndWrite({"@plain.asc"}).exitCode, ExitOk);
  EXPECT_EQ(Get("plain"), "some text that is long enough to fill more than one Base64 line of the armour\n");

  Put("none.asc", "no armour here\r\n  -----BEGIN PGP MESSAGE-----\r\n");  // not at a line start
  EXPECT_EQ(Run({"@none.asc"}).exitCode, ExitNoArmour);
  Put("key.asc", MakePublicKeyBlock({"Carol"}));
  EXPECT_EQ(Run({"@key.asc"}).exitCode, ExitNoArmour);
}

TEST_F(StandinFiles, ResultAndInputNames) {
  OwnIds("Alice\n");
  Put("TAVIX", "x");
  EXPECT_EQ(Run({"-et", "@TAVIX", "alice"}).resultPath, Path("TAVIX.pgp"));
  EXPECT_EQ(Run({"-aet", "@TAVIX", "alice", "-o", "@elsewhere"}).resultPath, Path("elsewhere"));
  EXPECT_EQ(Run({"-aet", "@TAVIX", "alice", "-o", "@TAVIX"}).exitCode, ExitBadArgument);
  EXPECT_EQ(Run({"@TAVIX"}).exitCode, ExitBadArgument);  // decoding needs .asc/.pgp or -o
  StandinResult missing = Run({"@GONE.asc"});
  EXPECT_EQ(missing.exitCode, ExitFileNotFound);
  EXPECT_NE(missing.error.find("GONE.asc"), std::string::npos);
}

TEST_F(StandinFiles, EyesOnlyTextIsShownNotWritten) {
  OwnIds("Alice\n");
  Put("TAVIX", "burn after reading");
  ASSERT_EQ(RunAndWrite({"-aetm", "@TAVIX", "alice"}).exitCode, ExitOk);
  StandinResult shown = Run({"@TAVIX.asc"});
  EXPECT_EQ(shown.exitCode, ExitOk);
  EXPECT_FALSE(shown.hasResult);
  EXPECT_NE(shown.report.find("burn after reading"), std::string::npos);
}

TEST(StandinDashEscaping, RoundTripsEveryKindOfDashLine) {
  for (const std::string text : {"", "-", "--\n-", "a\n- b\n--c\r\n-----END PGP x\r\n", "no dash\n"}) {
    std::string escaped = DashEscape(text);
    EXPECT_EQ(DashUnescape(escaped), text);
    for (size_t p = escaped.find('\n'); p != std::string::npos; p = escaped.find('\n', p + 1)) {
      if (p + 1 < escaped.size() && escaped[p + 1] == '-') {
        EXPECT_EQ(escaped[p + 2], ' ') << text;
      }
    }
  }
  EXPECT_EQ(CanonicalText("a  \nb\t\r\n"), "a\r\nb");
  EXPECT_EQ(SignatureChecksum("x", "a\nb"), SignatureChecksum("x", "a \r\nb\r\n"));
  EXPECT_NE(SignatureChecksum("x", "a\nb"), SignatureChecksum("y", "a\nb"));
  EXPECT_NE(SignatureChecksum("x", "a\nb"), SignatureChecksum("x", "a\n\nb"));
}

TEST_F(StandinFiles, AddKeyAppendsNewUserIdsOnce) {
  Put(kPublicRingName, "Old Friend");  // no final line break
  Put("TAVIX.asc", "Here is my key:\r\n" + MakePublicKeyBlock({"Carol <carol@example.org>", "Dave"}) +
                       "and another\r\n" + MakePublicKeyBlock({"old friend", "Erin"}));
  StandinResult added = Run({"-ka", "@TAVIX.asc"});
  ASSERT_EQ(added.exitCode, ExitOk) << added.error;
  EXPECT_FALSE(added.hasResult);
  EXPECT_EQ(ReadUserIds(Path(kPublicRingName)),
            (std::vector<std::string>{"Old Friend", "Carol <carol@example.org>", "Dave", "Erin"}));
  const std::string ring = Get(kPublicRingName);
  EXPECT_EQ(Run({"-ka", "@TAVIX.asc"}).exitCode, ExitOk);
  EXPECT_EQ(Get(kPublicRingName), ring);  // nothing twice

  Put("plain.asc", "just text\r\n");
  EXPECT_EQ(Run({"-ka", "@plain.asc"}).exitCode, ExitNoArmour);
  Put("empty.asc", MakePublicKeyBlock({}));
  EXPECT_EQ(Run({"-ka", "@empty.asc"}).exitCode, ExitDamaged);

  StandinArguments parsed;
  std::string error;
  ASSERT_TRUE(ParseStandinArguments({"-ka", Path("TAVIX.asc")}, parsed, error));
  EXPECT_EQ(RunStandin(parsed, Path("no-such-dir")).exitCode, ExitKeyRingError);
}

TEST(StandinFaultsTest, ReadsTheEnvironmentValues) {
  std::map<std::string, std::string> env;
  auto reader = [&env](const char* name, std::string& value) {
    auto it = env.find(name);
    if (it == env.end()) return false;
    value = it->second;
    return true;
  };
  FaultSettings s;
  std::string error;
  ASSERT_TRUE(ReadFaultSettings(reader, s, error));
  EXPECT_FALSE(s.forceExit || s.noResult || s.shortResult || s.delay || s.crash);
  EXPECT_TRUE(s.logFile.empty());

  env = {{"TAVIX_PGP_EXIT", "0x10000"}, {"TAVIX_PGP_NO_RESULT", "1"}, {"TAVIX_PGP_SHORT_RESULT", "0"},
         {"TAVIX_PGP_DELAY_MS", " 300 "}, {"TAVIX_PGP_CRASH", ""}, {"TAVIX_PGP_LOG", "C:\\t\\log.txt"}};
  ASSERT_TRUE(ReadFaultSettings(reader, s, error)) << error;
  EXPECT_TRUE(s.forceExit);
  EXPECT_EQ(s.exitCode, 0x10000u);
  EXPECT_TRUE(s.noResult);
  EXPECT_FALSE(s.shortResult);
  EXPECT_TRUE(s.delay);
  EXPECT_EQ(s.delayMs, 300u);
  EXPECT_FALSE(s.crash);
  EXPECT_EQ(s.logFile, "C:\\t\\log.txt");

  env = {{"TAVIX_PGP_EXIT", "three"}, {"TAVIX_PGP_CRASH", "1"}};
  EXPECT_FALSE(ReadFaultSettings(reader, s, error));
  EXPECT_NE(error.find("TAVIX_PGP_EXIT"), std::string::npos);
  EXPECT_TRUE(s.crash);  // the others are still read
  env = {{"TAVIX_PGP_NO_RESULT", "maybe"}};
  EXPECT_FALSE(ReadFaultSettings(reader, s, error));
  EXPECT_NE(error.find("TAVIX_PGP_NO_RESULT"), std::string::npos);

  uint32_t n = 0;
  EXPECT_TRUE(ParseNumber("0xC0000005", n));
  EXPECT_EQ(n, 0xC0000005u);
  EXPECT_TRUE(ParseNumber("4294967295", n));
  EXPECT_EQ(n, 0xFFFFFFFFu);
  for (const char* bad : {"", "0x", "4294967296", "-1", "12a", "0x1g"}) EXPECT_FALSE(ParseNumber(bad, n)) << bad;

  EXPECT_EQ(ShortResult("-----BEGIN"), "--");
  EXPECT_EQ(ShortResult("x"), "x ");
}

TEST(StandinLog, RecordShowsTheArgumentTextAsSent) {
  InvocationRecord record;
  record.commandLine = "C:\\bin\\pgp.exe  \"C:\\My Temp\\TAVIX.asc\"";
  record.currentDirectory = "C:\\My Temp";
  EXPECT_EQ(FormatInvocationRecord(record),
            "[pgp invocation]\n"
            "command line=C:\\bin\\pgp.exe  \"C:\\My Temp\\TAVIX.asc\"\n"
            "arguments= \"C:\\My Temp\\TAVIX.asc\"\n"
            "argument count=1\n"
            "argument 1=C:\\My Temp\\TAVIX.asc\n"
            "current directory=C:\\My Temp\n"
            "PGPPATH is not set\n\n");
  record.pgpPathSet = true;
  EXPECT_NE(FormatInvocationRecord(record).find("\nPGPPATH=\n"), std::string::npos);
}

TEST(StandinUsage, DocumentsEveryVariableAndKeyRing) {
  const std::string usage = StandinUsageText();
  for (const char* name : {kEnvExit, kEnvNoResult, kEnvShortResult, kEnvDelayMs, kEnvCrash, kEnvLog,
                           kPublicRingName, kSecretRingName, "NOT"}) {
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  }
}
