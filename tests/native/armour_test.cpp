// Armour recognition on texts made by real OpenPGP software and on hand-made awkward
// cases. Expected bounds are taken from the fixture text itself with std::string::find.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "core/armour.h"

namespace {

std::string Fixture(const char* name) {
  std::ifstream file(std::string(TAVIX_FIXTURES_DIR) + "/armour/" + name, std::ios::binary);
  EXPECT_TRUE(file.good()) << name;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// A block value no search can produce, to see that a failed search leaves it alone.
const ArmourBlock kUntouched = {12345, 67890, true};

struct Find {
  PgpFunction kind;
  ArmourBlock block;
};

Find FindIn(const std::string& text, size_t position, bool reading = true) {
  Find found{Encrypt, kUntouched};
  found.kind = FindArmourBlock(text.c_str(), text.size(), position, reading, &found.block);
  return found;
}

// Where the block starting with `header` (searched from `from`) should end: just after
// the first `footer` that follows it.
size_t EndOf(const std::string& text, const std::string& footer, size_t from) {
  const size_t at = text.find(footer, from);
  return at == std::string::npos ? at : at + footer.size();
}

void ExpectUntouched(const Find& found) {
  EXPECT_EQ(found.kind, Encrypt);
  EXPECT_EQ(found.block.start, kUntouched.start);
  EXPECT_EQ(found.block.end, kUntouched.end);
}

}  // namespace

TEST(ClassifyArmour, TypeTextsInOrderAndBounded) {
  struct Row { const char* place; PgpFunction kind; };
  const Row rows[] = {
      {"MESSAGE-----\n", Decode},
      {"PUBLIC KEY BLOCK-----", AddKey},
      {"SIGNATURE-----  trailing", CheckSignature},
      {"SIGNED MESSAGE-----\r\n", CheckSignature},
      {"PRIVATE KEY BLOCK-----", Encrypt},
      {"MESSAGE----", Encrypt},  // one dash short
      {"message-----", Encrypt},
      {"", Encrypt},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ClassifyArmour(row.place, strlen(row.place)), row.kind) << row.place;
  // The type text must lie within the characters that may be read.
  EXPECT_EQ(ClassifyArmour("MESSAGE-----", 11), Encrypt);
  EXPECT_EQ(ClassifyArmour("PUBLIC KEY BLOCK-----", 20), Encrypt);
}

TEST(FindArmourBlock, RealBlocksAloneGiveTheirKindAndWholeBounds) {
  struct Row { const char* file; PgpFunction kind; const char* footer; };
  const Row rows[] = {
      {"encrypted.asc", Decode, "-----END PGP MESSAGE-----"},
      {"clearsigned.asc", CheckSignature, "-----END PGP SIGNATURE-----"},
      {"public-key.asc", AddKey, "-----END PGP PUBLIC KEY BLOCK-----"},
  };
  for (const Row& row : rows) {
    const std::string text = Fixture(row.file);
    const Find found = FindIn(text, 0);
    EXPECT_EQ(found.kind, row.kind) << row.file;
    EXPECT_EQ(found.block.start, 0u) << row.file;
    EXPECT_EQ(found.block.end, EndOf(text, row.footer, 0)) << row.file;
    EXPECT_EQ(text.substr(found.block.end), "\n") << row.file;
    EXPECT_FALSE(found.block.quoted) << row.file;
  }
}

TEST(FindArmourBlock, ClearsignedTextPassesItsEscapedHeaderLine) {
  // The signed text holds "- -----BEGIN PGP MESSAGE-----": a header prefix of another
  // kind that must be passed on the way to the signature.
  const std::string text = Fixture("clearsigned.asc");
  ASSERT_NE(text.find("- -----BEGIN PGP MESSAGE-----"), std::string::npos);
  EXPECT_EQ(FindIn(text, 0).kind, CheckSignature);
  // Searching on from inside the signed text starts at that escaped line.
  ExpectUntouched(FindIn(text, 1));  // it has no MESSAGE footer
}

TEST(FindArmourBlock, SignatureNeedsALaterSignatureHeader) {
  ExpectUntouched(FindIn(Fixture("signature.asc"), 0));
  ExpectUntouched(FindIn(Fixture("lone-signature.txt"), 0));
  // The encrypted message after a lone signature has no SIGNATURE header: still nothing.
  ExpectUntouched(FindIn(Fixture("signature-then-message.txt"), 0));
  // Two signature blocks: the first header is the start, the second pair ends it.
  const std::string two = Fixture("signature.asc") + "text\n" + Fixture("signature.asc");
  const Find found = FindIn(two, 0);
  EXPECT_EQ(found.kind, CheckSignature);
  EXPECT_EQ(found.block.start, 0u);
  EXPECT_EQ(found.block.end, two.size() - 1);
  // A SIGNED MESSAGE footer also ends a signed text, measured as a SIGNATURE one.
  const std::string odd = "-----BEGIN PGP SIGNED MESSAGE-----\nx\n-----BEGIN PGP SIGNATURE-----\n"
                          "-----END PGP SIGNED MESSAGE-----";
  EXPECT_EQ(FindIn(odd, 0).kind, CheckSignature);
  EXPECT_EQ(odd.substr(FindIn(odd, 0).block.end), "-----");
}

TEST(FindArmourBlock, IncompleteOrUnknownArmourIsNoBlock) {
  for (const char* file : {"message-without-footer.txt", "lowercase-header.txt",
                           "private-key-block.txt", "private-key-then-message.txt"})
    ExpectUntouched(FindIn(Fixture(file), 0));
  // A footer of another kind does not end a message.
  ExpectUntouched(FindIn("-----BEGIN PGP MESSAGE-----\n-----END PGP SIGNATURE-----\n", 0));
}

TEST(FindArmourBlock, PublicKeyCountsOnlyInAReceivedMessage) {
  const std::string text = Fixture("public-key.asc");
  EXPECT_EQ(FindIn(text, 0, true).kind, AddKey);
  const Find composing = FindIn(text, 0, false);
  EXPECT_EQ(composing.kind, Encrypt);
  EXPECT_EQ(composing.block.start, 0u);  // the bounds are still recorded
  EXPECT_EQ(composing.block.end, text.size() - 1);
}

TEST(FindArmourBlock, SuccessiveSearchesWalkAMixedMail) {
  for (const char* file : {"mixed-lf.txt", "mixed-crlf.txt"}) {
    const std::string text = Fixture(file);
    const Find signedText = FindIn(text, 0);
    EXPECT_EQ(signedText.kind, CheckSignature) << file;
    EXPECT_EQ(signedText.block.start, text.find("-----BEGIN PGP SIGNED MESSAGE-----"));
    EXPECT_EQ(signedText.block.end, EndOf(text, "-----END PGP SIGNATURE-----", 0));

    const Find message = FindIn(text, signedText.block.end);
    EXPECT_EQ(message.kind, Decode) << file;
    // (the signed text holds an escaped copy of this header, hence the search from its end)
    EXPECT_EQ(message.block.start, text.find("-----BEGIN PGP MESSAGE-----", signedText.block.end));
    EXPECT_EQ(message.block.end, EndOf(text, "-----END PGP MESSAGE-----", 0));

    const Find key = FindIn(text, message.block.end);
    EXPECT_EQ(key.kind, AddKey) << file;
    EXPECT_EQ(key.block.start, text.find("-----BEGIN PGP PUBLIC KEY BLOCK-----"));
    EXPECT_EQ(key.block.end, EndOf(text, "-----END PGP PUBLIC KEY BLOCK-----", 0));

    ExpectUntouched(FindIn(text, key.block.end));
  }
  const std::string two = Fixture("two-messages-crlf.txt");
  const Find first = FindIn(two, 0);
  const Find second = FindIn(two, first.block.end);
  EXPECT_EQ(first.kind, Decode);
  EXPECT_EQ(second.kind, Decode);
  EXPECT_EQ(second.block.start, two.rfind("-----BEGIN PGP MESSAGE-----"));
  EXPECT_EQ(second.block.end, EndOf(two, "-----END PGP MESSAGE-----", second.block.start));
  EXPECT_EQ(first.block.end, EndOf(two, "-----END PGP MESSAGE-----", 0));
  EXPECT_LT(first.block.end, second.block.start);
}

TEST(FindArmourBlock, QuotedOnlyWhenTheMarkTouchesTheHeader) {
  struct Row { const char* file; bool quoted; };
  const Row rows[] = {{"reply-quoted.txt", true}, {"reply-quoted-twice.txt", true},
                      {"reply-quoted-blank.txt", false}, {"header-mid-line.txt", false}};
  for (const Row& row : rows) {
    const std::string text = Fixture(row.file);
    const Find found = FindIn(text, 0);
    EXPECT_EQ(found.kind, Decode) << row.file;
    EXPECT_EQ(found.block.start, text.find("-----BEGIN PGP MESSAGE-----")) << row.file;
    EXPECT_EQ(found.block.quoted, row.quoted) << row.file;
  }
}

TEST(FindArmourBlock, NeverLooksPastTheTextOrItsFirstNul) {
  const std::string text = Fixture("encrypted.asc");
  const size_t footerEnd = text.size() - 1;
  // Cut one character short of the footer's type text: no block.
  ExpectUntouched(FindIn(text.substr(0, footerEnd - 1), 0));
  const Find exact = FindIn(text.substr(0, footerEnd), 0);
  EXPECT_EQ(exact.kind, Decode);
  EXPECT_EQ(exact.block.end, footerEnd);
  // The same text, but the length says it ends earlier.
  Find found{Encrypt, kUntouched};
  EXPECT_EQ(FindArmourBlock(text.c_str(), footerEnd - 1, 0, true, &found.block), Encrypt);
  // A NUL before the footer ends the text.
  std::string withNul = text;
  withNul[text.find("-----END")] = '\0';
  ExpectUntouched(FindIn(withNul, 0));
  // Positions at and beyond the end.
  ExpectUntouched(FindIn(text, text.size()));
  ExpectUntouched(FindIn(text, text.size() + 100));
  ExpectUntouched(FindIn("-----BEGIN PGP ", 0));
}

TEST(AttachmentLine, PathRunQuotesAndBounds) {
  const char marker[] = "Attachment Converted: ";
  const std::string text =
      "Hello\r\n"
      "Attachment Converted: \"C:\\My Mail\\msg one.asc\"\r\n"   // quoted, blanks inside
      ">Attachment Converted: C:\\mail\\plain name.asc\r\n"     // quoted reply, ends at CR
      "Attachment Converted: \r\n"                              // empty run: passed over
      "Attachment Converted: \"\r\n"                            // a lone quote: passed over
      "Attachment Converted: C:\\tab\there\n"                    // ends at TAB
      "Attachment Converted: del\x7F" "rest\n";                    // ends at DEL
  size_t position = 0;
  ArmourBlock line{};
  char path[260];
  auto next = [&] {
    return NextAttachmentLine(text.c_str(), text.size(), &position, marker,
                              sizeof marker - 1, &line, path, sizeof path);
  };
  ASSERT_EQ(next(), AttachmentScan::Found);
  EXPECT_STREQ(path, "C:\\My Mail\\msg one.asc");
  EXPECT_EQ(line.start, text.find("Attachment"));
  EXPECT_EQ(line.end, text.find("\r\n>"));
  EXPECT_FALSE(line.quoted);
  EXPECT_EQ(position, line.start + sizeof marker - 1);

  ASSERT_EQ(next(), AttachmentScan::Found);
  EXPECT_STREQ(path, "C:\\mail\\plain name.asc");
  EXPECT_TRUE(line.quoted);
  EXPECT_EQ(text.substr(line.end, 2), "\r\n");

  ASSERT_EQ(next(), AttachmentScan::Found);
  EXPECT_STREQ(path, "C:\\tab");
  ASSERT_EQ(next(), AttachmentScan::Found);
  EXPECT_STREQ(path, "del");
  EXPECT_EQ(next(), AttachmentScan::None);
}

TEST(AttachmentLine, APathLongerThanTheFieldIsRefusedNotCut) {
  const std::string marker = "Attachment Converted: ";
  char path[260];
  ArmourBlock line{};
  auto scan = [&](const std::string& run) {
    const std::string text = "x" + marker + run + "\r\nAttachment Converted: next\r\n";
    size_t position = 0;
    const AttachmentScan result = NextAttachmentLine(
        text.c_str(), text.size(), &position, marker.c_str(), marker.size(), &line, path,
        sizeof path);
    if (result == AttachmentScan::TooLong) {
      EXPECT_STREQ(path, "");
      EXPECT_EQ(line.end, 1 + marker.size() + run.size());
    }
    return result;
  };
  EXPECT_EQ(scan(std::string(259, 'a')), AttachmentScan::Found);
  EXPECT_EQ(strlen(path), 259u);
  EXPECT_EQ(scan(std::string(260, 'a')), AttachmentScan::TooLong);
  EXPECT_EQ(scan("\"" + std::string(259, 'a') + "\""), AttachmentScan::Found);
  EXPECT_EQ(scan("\"" + std::string(260, 'a') + "\""), AttachmentScan::TooLong);
  EXPECT_EQ(scan(std::string(5000, 'a')), AttachmentScan::TooLong);
}

TEST(AttachmentLine, MarkersInsideARunAndAnEmptyMarker) {
  // The next search starts at the path run, so a marker inside it is found next.
  const std::string text = "Attachment Converted: Attachment Converted: b.asc";
  const char marker[] = "Attachment Converted: ";
  size_t position = 0;
  ArmourBlock line{};
  char path[260];
  ASSERT_EQ(NextAttachmentLine(text.c_str(), text.size(), &position, marker, 22, &line, path,
                               sizeof path), AttachmentScan::Found);
  EXPECT_STREQ(path, "Attachment Converted: b.asc");
  ASSERT_EQ(NextAttachmentLine(text.c_str(), text.size(), &position, marker, 22, &line, path,
                               sizeof path), AttachmentScan::Found);
  EXPECT_STREQ(path, "b.asc");
  EXPECT_EQ(line.start, 22u);
  // An empty marker (none loaded) matches nothing rather than everything.
  position = 0;
  EXPECT_EQ(NextAttachmentLine(text.c_str(), text.size(), &position, "", 0, &line, path,
                               sizeof path), AttachmentScan::None);
}

TEST(StripQuoteMarks, OneMarkPerLineStart) {
  char lines[] = ">a\r\n>b\r\n>>c";
  ASSERT_EQ(strlen(lines), 11u);
  EXPECT_EQ(StripQuoteMarks(lines, 11, '>'), 8u);
  EXPECT_STREQ(lines, "a\r\nb\r\n>c");

  char inner[] = "a>b\n>\n\n>>\n";
  EXPECT_EQ(StripQuoteMarks(inner, strlen(inner), '>'), 8u);
  EXPECT_STREQ(inner, "a>b\n\n\n>\n");
  // Only `length` characters are read; the terminator goes after what remains.
  char bounded[] = ">x\n>y\n>z";
  EXPECT_EQ(StripQuoteMarks(bounded, 5, '>'), 3u);
  EXPECT_STREQ(bounded, "x\ny");
}

TEST(StripQuoteMarks, UnquotesARealReply) {
  std::string reply = Fixture("reply-quoted.txt");
  const std::string original = Fixture("encrypted.asc");
  const Find found = FindIn(reply, 0);
  std::string block = reply.substr(found.block.start, found.block.end - found.block.start);
  const size_t length = StripQuoteMarks(&block[0], block.size(), '>');
  EXPECT_EQ(std::string(block.c_str(), length), original.substr(0, original.size() - 1));
}

TEST(FindKeyBlock, PreviewFromTheKeyHeader) {
  const std::string key = Fixture("public-key.asc");
  const std::string output = "Decoded text\nwith a key:\n" + key;
  char preview[256];
  ASSERT_TRUE(FindKeyBlock(output.c_str(), output.size(), preview, sizeof preview));
  EXPECT_EQ(std::string(preview), key.substr(0, 255));

  char small[8] = "garbage";
  ASSERT_TRUE(FindKeyBlock(output.c_str(), output.size(), small, sizeof small));
  EXPECT_STREQ(small, "-----BE");
  const std::string shortKey = "x-----BEGIN PGP PUBLIC KEY BLOCK-----";
  ASSERT_TRUE(FindKeyBlock(shortKey.c_str(), shortKey.size(), preview, sizeof preview));
  EXPECT_EQ(std::string(preview), shortKey.substr(1));

  for (const char* file : {"encrypted.asc", "signature.asc", "lowercase-header.txt"}) {
    const std::string text = Fixture(file);
    strcpy(preview, "stale");
    EXPECT_FALSE(FindKeyBlock(text.c_str(), text.size(), preview, sizeof preview)) << file;
    EXPECT_STREQ(preview, "");
  }
}
