// The argument grammar the stand-in accepts:
//   -<letters>        option letters from "kaestwmd"; several groups add up
//   +clearsig=on|off  clearsigning for -s without -e
//   -u <user id>      the signing user
//   -o <file>         the result file
//   <file>            the input file (the first plain argument)
//   <user id> ...     recipients (every further plain argument)
//   -h                the usage text
#pragma once
#include <string>
#include <vector>

namespace standin {

enum class StandinMode { Decode, Encode, AddKey };

struct StandinArguments {
  std::string letters;  // in the order given, duplicates dropped
  bool clearsig = false;
  std::string inputFile;
  std::vector<std::string> recipients;
  bool hasSignUser = false;
  std::string signUser;
  bool hasOutputFile = false;
  std::string outputFile;
  bool help = false;

  bool Has(char letter) const { return letters.find(letter) != std::string::npos; }
};

extern const char kOptionLetters[];  // "kaestwmd"

// False with a message in `error` for anything outside the grammar.
bool ParseStandinArguments(const std::vector<std::string>& args, StandinArguments& parsed,
                           std::string& error);

// What the letters ask for: -ka adds keys, e or s encode, anything else decodes.
// False with a message for combinations the stand-in refuses.
bool DetermineMode(const StandinArguments& parsed, StandinMode& mode, std::string& error);

// The result file: -o, or the input name with ".asc" (a) or ".pgp" added when encoding, or
// with ".asc" or ".pgp" taken away when decoding. False with a message when no name can be
// formed or the result would replace the input. Not used for AddKey.
bool ResultPath(const StandinArguments& arguments, StandinMode mode, std::string& path,
                std::string& error);

}  // namespace standin
