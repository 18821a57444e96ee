// Armour recognition on texts made by real OpenPGP software (tests/fixtures/armour) and on
// hand-made awkward cases. Expected bounds are taken from the text with std::string::find.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/armour.h"

namespace {

std::string Fixture(const char* name) {
  std::ifstream file(std::string(TAVIX_FIXTURES_DIR) + "/armour/" + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

size_t After(const std::string& text, const std::string& part, size_t from = 0) {
  return text.find(part, from) + part.size();
}

const char kMessage[] = "-----BEGIN PGP MESSAGE-----";
const char kMessageEnd[] = "-----END PGP MESSAGE-----";
const char kSigned[] = "-----BEGIN PGP SIGNED MESSAGE-----";
const char kSignatureEnd[] = "-----END PGP SIGNATURE-----";
const char kKey[] = "-----BEGIN PGP PUBLIC KEY BLOCK-----";
const char kKeyEnd[] = "-----END PGP PUBLIC KEY BLOCK-----";

}  // namespace

TEST(Armour, ClassifyTypeTextsWithinWhatMayBeRead) {
  struct Case { const char* place; size_t available; PgpFunction kind; };
  const Case cases[] = {
      {"MESSAGE-----\n", 13, Decode},           {"PUBLIC KEY BLOCK-----", 21, AddKey},
      {"SIGNATURE-----  x", 17, CheckSignature}, {"SIGNED MESSAGE-----\r\n", 21, CheckSignature},
      {"PRIVATE KEY BLOCK-----", 22, Encrypt},  {"MESSAGE----", 11, Encrypt},
      {"message-----", 12, Encrypt},            {"", 0, Encrypt},
      {"MESSAGE-----", 11, Encrypt},            {"PUBLIC KEY BLOCK-----", 20, Encrypt},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyArmour(c.place, c.available), c.kind) << c.place;
}

TEST(Armour, FindBlockGivesKindBoundsAndQuoting) {
  const std::string encrypted = Fixture("encrypted.asc"), clearsigned = Fixture("clearsigned.asc");
  const std::string key = Fixture("public-key.asc"), signature = Fixture("signature.asc");
  const std::string twoSignatures = signature + "text\n" + signature;
  const std::string twoMessages = Fixture("two-messages-crlf.txt");
  const std::string oddFooter = std::string(kSigned) + "\nx\n-----BEGIN PGP SIGNATURE-----\n"
                                "-----END PGP SIGNED MESSAGE-----";
  std::string nulBeforeFooter = encrypted;
  nulBeforeFooter[encrypted.find("-----END")] = '\0';
  const size_t encryptedEnd = After(encrypted, kMessageEnd);
  struct Case {
    std::string name, text;
    size_t from, length;  // length kNotFound: the whole text
    bool reading;
    PgpFunction kind;
    const char* header;  // null: no bounds are recorded
    const char* footer;  // the block ends after the first one found after `footerFrom`
    size_t footerFrom;
    bool quoted;
  };
  std::vector<Case> cases = {
      {"encrypted", encrypted, 0, kNotFound, true, Decode, kMessage, kMessageEnd, 0, false},
      {"clearsigned, passing its escaped header", clearsigned, 0, kNotFound, true, CheckSignature,
       kSigned, kSignatureEnd, 0, false},
      {"escaped header inside a signed text", clearsigned, 1, kNotFound, true, Encrypt, nullptr, nullptr, 0, false},
      {"public key received", key, 0, kNotFound, true, AddKey, kKey, kKeyEnd, 0, false},
      {"public key while composing: bounds only", key, 0, kNotFound, false, Encrypt, kKey, kKeyEnd, 0, false},
      {"two signatures make a signed text", twoSignatures, 0, kNotFound, true, CheckSignature,
       "-----BEGIN PGP SIGNATURE-----", kSignatureEnd, signature.size(), false},
      {"a SIGNED MESSAGE footer measured as SIGNATURE", oddFooter, 0, kNotFound, true, CheckSignature,
       kSigned, "-----END PGP SIGNED MESSAGE", 0, false},
      {"footer of another kind", std::string(kMessage) + "\n" + kSignatureEnd + "\n", 0, kNotFound,
       true, Encrypt, nullptr, nullptr, 0, false},
      {"header prefix alone", "-----BEGIN PGP ", 0, kNotFound, true, Encrypt, nullptr, nullptr, 0, false},
      {"cut one short of the footer", encrypted.substr(0, encryptedEnd - 1), 0, kNotFound, true,
       Encrypt, nullptr, nullptr, 0, false},
      {"cut just after the footer", encrypted.substr(0, encryptedEnd), 0, kNotFound, true, Decode,
       kMessage, kMessageEnd, 0, false},
      {"length ends before the footer", encrypted, 0, encryptedEnd - 1, true, Encrypt, nullptr, nullptr, 0, false},
      {"NUL before the footer", nulBeforeFooter, 0, kNotFound, true, Encrypt, nullptr, nullptr, 0, false},
      {"from the end", encrypted, encrypted.size(), kNotFound, true, Encrypt, nullptr, nullptr, 0, false},
      {"from beyond the end", encrypted, encrypted.size() + 100, kNotFound, true, Encrypt, nullptr, nullptr, 0, false},
      {"second of two messages", twoMessages, After(twoMessages, kMessageEnd), kNotFound, true, Decode,
       kMessage, kMessageEnd, 0, false},
  };
  for (const char* file : {"signature.asc", "lone-signature.txt", "signature-then-message.txt",
                           "message-without-footer.txt", "lowercase-header.txt",
                           "private-key-block.txt", "private-key-then-message.txt"})
    cases.push_back({file, Fixture(file), 0, kNotFound, true, Encrypt, nullptr, nullptr, 0, false});
  for (const char* file : {"mixed-lf.txt", "mixed-crlf.txt"}) {
    const std::string mail = Fixture(file);
    const size_t signedEnd = After(mail, kSignatureEnd), messageEnd = After(mail, kMessageEnd);
    cases.push_back({file, mail, 0, kNotFound, true, CheckSignature, kSigned, kSignatureEnd, 0, false});
    // The signed text holds an escaped copy of the message header: the walk goes on from its end.
    cases.push_back({file, mail, signedEnd, kNotFound, true, Decode, kMessage, kMessageEnd, 0, false});
    cases.push_back({file, mail, messageEnd, kNotFound, true, AddKey, kKey, kKeyEnd, 0, false});
    cases.push_back({file, mail, After(mail, kKeyEnd), kNotFound, true, Encrypt, nullptr, nullptr, 0, false});
  }
  for (auto [file, quoted] : {std::pair{"reply-quoted.txt", true}, {"reply-quoted-twice.txt", true},
                              {"reply-quoted-blank.txt", false}, {"header-mid-line.txt", false}})
    cases.push_back({file, Fixture(file), 0, kNotFound, true, Decode, kMessage, kMessageEnd, 0, quoted});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " from " + std::to_string(c.from));
    ArmourBlock block{12345, 67890, true};  // no search can produce it
    EXPECT_EQ(FindArmourBlock(c.text.c_str(), c.length == kNotFound ? c.text.size() : c.length,
                              c.from, c.reading, &block), c.kind);
    const size_t start = c.header ? c.text.find(c.header, c.from) : 12345;
    EXPECT_EQ(block.start, start);
    EXPECT_EQ(block.end, c.header ? After(c.text, c.footer, std::max(start, c.footerFrom)) : 67890);
    EXPECT_EQ(block.quoted, c.header ? c.quoted : true);
  }
}

TEST(Armour, AttachmentLinesGivePathsOrRefuseLongOnes) {
  const std::string marker = "Attachment Converted: ", a259(259, 'a'), a260(260, 'a');
  struct Case { const char* name; std::string text; size_t pathSize; const char* walk; };
  const Case cases[] = {
      {"quotes, blanks, empty runs, control characters",
       "Hello\r\n" + marker + "\"C:\\My Mail\\msg one.asc\"\r\n>" + marker + "C:\\mail\\plain name.asc\r\n" +
           marker + "\r\n" + marker + "\"\r\n" + marker + "C:\\tab\there\n" + marker + "del\x7Frest\n",
       260, "C:\\My Mail\\msg one.asc|>C:\\mail\\plain name.asc|C:\\tab|del|none"},
      {"a marker inside a run is found next", marker + marker + "b.asc", 260,
       "Attachment Converted: b.asc|b.asc|none"},
      {"259 characters fit", marker + a259 + "\r\n", 260, "a259|none"},
      {"260 do not, and are not cut", marker + a260 + "\r\n" + marker + "next", 260, "too long"},
      {"quoted 259 fit", marker + "\"" + a259 + "\"", 260, "a259|none"},
      {"quoted 260 do not", marker + "\"" + a260 + "\"", 260, "too long"},
      {"far too long", marker + std::string(5000, 'a') + "\n", 260, "too long"},
      {"no room for any path", marker + "x", 1, "too long"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string walk;
    size_t position = 0;
    for (;;) {
      ArmourBlock line{};
      std::vector<char> path(c.pathSize);
      const AttachmentScan scan = NextAttachmentLine(c.text.c_str(), c.text.size(), &position,
                                                     marker.c_str(), marker.size(), &line,
                                                     path.data(), c.pathSize);
      if (scan == AttachmentScan::None) { walk += "none"; break; }
      EXPECT_EQ(line.start, position - marker.size());
      EXPECT_TRUE(line.end == c.text.size() || c.text[line.end] < 0x20 || c.text[line.end] == 0x7F);
      if (scan == AttachmentScan::TooLong) {
        EXPECT_STREQ(path.data(), "");
        walk += "too long";
        break;
      }
      const std::string found = path.data();
      walk += (line.quoted ? ">" : "") + (found == a259 ? "a259" : found) + "|";
    }
    EXPECT_EQ(walk, c.walk);
  }
  size_t position = 0;  // an empty marker (none loaded) matches nothing, not everything
  ArmourBlock line{};
  char path[8];
  EXPECT_EQ(NextAttachmentLine("abc", 3, &position, "", 0, &line, path, sizeof path),
            AttachmentScan::None);
}

TEST(Armour, StripQuoteMarksOnePerLineStart) {
  struct Case { std::string text; size_t length; std::string expected; };
  std::string reply = Fixture("reply-quoted.txt"), encrypted = Fixture("encrypted.asc");
  const size_t start = reply.find(kMessage);
  const Case cases[] = {
      {">a\r\n>b\r\n>>c", 11, "a\r\nb\r\n>c"},
      {"a>b\n>\n\n>>\n", 10, "a>b\n\n\n>\n"},
      {">x\n>y\n>z", 5, "x\ny"},  // only `length` characters are read
      {std::string("ab\0>c", 5), 5, "ab"},  // nor past a NUL
      {reply.substr(start, After(reply, kMessageEnd) - start), kNotFound, encrypted.substr(0, encrypted.size() - 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<char> text(c.text.begin(), c.text.end());
    text.push_back('\0');  // exactly one byte more, for the terminator
    const size_t length = c.length == kNotFound ? c.text.size() : c.length;
    EXPECT_EQ(StripQuoteMarks(text.data(), length, '>'), c.expected.size());
    EXPECT_EQ(std::string(text.data()), c.expected);
  }
}

TEST(Armour, FindKeyBlockPreviewsFromTheHeader) {
  const std::string key = Fixture("public-key.asc"), output = "Decoded text\nwith a key:\n" + key;
  const std::string shortKey = std::string("x") + kKey;
  struct Case { const char* name; std::string text; size_t size; bool found; std::string preview; };
  const Case cases[] = {
      {"a key in the output", output, 256, true, key.substr(0, 255)},
      {"small preview", output, 8, true, "-----BE"},
      {"key at the very end", shortKey, 256, true, kKey},
      {"key at the last place, after a dash", std::string("-") + kKey, 256, true, kKey},
      {"encrypted", Fixture("encrypted.asc"), 256, false, ""},
      {"signature", Fixture("signature.asc"), 256, false, ""},
      {"lower case", Fixture("lowercase-header.txt"), 256, false, ""},
      {"length before the header ends", shortKey.substr(0, shortKey.size() - 1), 256, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<char> preview(c.size, 'x');
    EXPECT_EQ(FindKeyBlock(c.text.c_str(), c.text.size(), preview.data(), c.size), c.found);
    EXPECT_EQ(std::string(preview.data()), c.preview);
  }
}
