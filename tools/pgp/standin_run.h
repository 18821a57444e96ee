// What one invocation of the stand-in does, without the console and the fault injections:
// reads the input file and the key rings, computes the result file's bytes, adds keys.
#pragma once
#include <string>

#include "standin_arguments.h"

namespace standin {

// Exit codes, after those of PGP 2.x where one fits.
enum StandinExitCode : int {
  ExitOk = 0,
  ExitFileError = 1,       // a file cannot be read or written
  ExitFileNotFound = 2,    // the input file does not exist
  ExitNoArmour = 3,        // no armour, or armour the invocation cannot use
  ExitBadArgument = 5,     // outside the grammar, or a bad environment value
  ExitKeyNotFound = 11,    // no secret key for signing
  ExitKeyRingError = 12,   // keys cannot be added
  ExitBadSignature = 30,   // the text does not match its signature
  ExitNotForThisKey = 31,  // no recipient of the message is in secring.txt
  ExitDamaged = 32,        // the armour or its payload is damaged
};

struct StandinResult {
  int exitCode = ExitOk;
  std::string report;  // progress, for standard output
  std::string error;   // why it failed, for standard error
  bool hasResult = false;
  std::string resultPath;
  std::string resultBytes;
  bool wipeInput = false;  // w: wipe the plaintext input once the result is safe
};

// `keyRingDirectory` is PGPPATH (empty: the current directory). Keys added by -ka are
// written here; the result file is left to the caller. No result on failure.
StandinResult RunStandin(const StandinArguments& arguments, const std::string& keyRingDirectory);

}  // namespace standin
