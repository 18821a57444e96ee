// The bridge's exit codes. Those PGP 2.x and the stand-in share keep their numbers; the
// plug-in only tests the low 16 bits for 0, the numbers tell a user what went wrong.
#pragma once

namespace pgp2gpg {

enum BridgeExitCode : int {
  kExitOk = 0,
  kExitFileError = 1,          // the result cannot be written, or the input not wiped
  kExitFileNotFound = 2,       // the input file does not exist
  kExitNoPgpData = 3,          // no OpenPGP data, or data neither encrypted nor signed
  kExitBadCommandLine = 5,     // outside the grammar, or a bad TAVIX_GPG_TIMEOUT
  kExitKeyMissing = 11,        // a recipient, signer or secret key gpg cannot use
  kExitKeyImportFailed = 12,   // -ka added no key
  kExitSigningFailed = 20,     // no signature made (for example no passphrase given)
  kExitBadSignature = 30,      // a signature is bad, or not every signature is good
  kExitDecryptionFailed = 31,  // the message could not be decrypted
  kExitGpgFailed = 33,         // gpg failed in a way none of the codes above names
  kExitGpgNotFound = 40,       // gpg cannot be found or started
  kExitGpgTimedOut = 41,       // gpg ran past the time limit and was stopped
  kExitNoConsole = 42,         // an eyes-only text and no console to show it on
};

}  // namespace pgp2gpg
