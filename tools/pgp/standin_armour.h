// PGP armour blocks as the stand-in writes and reads them:
//   -----BEGIN PGP <type>-----
//   Version: ...            (header lines "Name: value", then one empty line)
//   <Base64 of the payload, 64 characters a line>
//   =<checksum>             (optional when reading)
//   -----END PGP <type>-----
// Lines end with CR LF when written; LF or CR LF are accepted when read.
#pragma once
#include <cstddef>
#include <string>

namespace standin {

extern const char kArmourHeaderPrefix[];  // "-----BEGIN PGP "
extern const char kArmourFooterPrefix[];  // "-----END PGP "
extern const char kArmourDashes[];        // "-----"
extern const char kStandinVersionLine[];  // the Version header every written block carries

std::string WriteArmourBlock(const std::string& type, const std::string& payload);

// Finds the next header line "-----BEGIN PGP <type>-----" that starts a line at or after
// `from`; sets where its line starts and its type.
bool FindArmourHeader(const std::string& text, size_t from, size_t& headerStart, std::string& type);

struct ArmourBlock {
  std::string type;
  std::string payload;
  size_t begin = 0;  // start of the header line
  size_t end = 0;    // just after the footer line and its line break
};

// Reads the block whose header line starts at `headerStart`. False with a short reason in
// `problem` when the footer is missing or of another type, the Base64 is broken or the
// checksum does not match.
bool ReadArmourBlock(const std::string& text, size_t headerStart, ArmourBlock& block,
                     std::string& problem);

}  // namespace standin
