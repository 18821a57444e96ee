// The stand-in's signatures: a checksum over the signer's user id and the text, so that a
// changed text or signer is detected. Not a real signature: anyone can compute it.
#pragma once
#include <cstddef>
#include <string>

namespace standin {

// The text as it is signed: lines end with CR LF, trailing blanks and tabs are dropped, and
// the line break after the last line does not count (transport may change all of these).
std::string CanonicalText(const std::string& text);

// 16 lower-case hex digits: FNV-1a (64 bits) over the signer, a LF and the canonical text.
std::string SignatureChecksum(const std::string& signer, const std::string& text);

// Puts "- " before every line that begins with '-', and takes it away again.
std::string DashEscape(const std::string& text);
std::string DashUnescape(const std::string& text);

extern const char kSignedMessageType[];  // "SIGNED MESSAGE"
extern const char kSignatureType[];      // "SIGNATURE"

// A clearsigned text: the "SIGNED MESSAGE" header line, an empty line, the dash-escaped text
// (given a final CR LF when it lacks a line break), and a "SIGNATURE" armour block.
std::string MakeClearSigned(const std::string& text, const std::string& signer);

struct ClearSigned {
  std::string text;  // unescaped, with the line break before the signature block
  std::string signer;
  std::string checksum;
};

// Reads the clearsigned text whose header line starts at `headerStart`; false with a short
// reason when the signature block is missing or damaged.
bool ReadClearSigned(const std::string& fileText, size_t headerStart, ClearSigned& signedText,
                     std::string& problem);

}  // namespace standin
