// One PGP run: what PGP is to do (a flag word), on which transfer file, for which
// recipients and as which signing user. Its creator zero-fills it before use.
#pragma once
#include <cstddef>
#include <cstdint>
#include "core/pgp_function.h"

// Declared, not defined, so that the portable core stays free of <windows.h>:
// HWND__ is the handle type behind HWND; the address list lives with the EMS code.
struct HWND__;
struct TAddress;
template <class T> class TIArrayAsVector;

enum : size_t {
  kRecipientsSize = 112,
  kSignAsSize = 112,
  kArgumentsSize = 121,   // at most 120 characters and the NUL
};

// Bits of PgpJob::flags. The comment names the letter, option or switch each one adds.
enum : uint16_t {
  kJobEncrypt = 0x0001,        // 'e'
  kJobSign = 0x0002,           // 's'
  kJobClearsig = 0x0004,       // option "+clearsig=on"
  kJobSignAs = 0x0008,         // switch -u with the signing user
  kJobArmour = 0x0010,         // 'a'
  kJobTextMode = 0x0020,       // 't'
  kJobWipe = 0x0040,           // 'w'
  kJobEyesOnly = 0x0080,       // 'm'; without encrypt/sign the result is not delivered
  kJobKeys = 0x0100,           // 'k'
  kJobEmptyOption = 0x0200,    // an empty option (set by no operation)
  kJobKeepSignature = 0x0800,  // 'd'
  kJobOutputFile = 0x1000,     // switch -o with the plain transfer file (set by no operation)
  kJobMark = 0x2000,           // carried by decode and clearsign jobs; adds nothing
  kJobRecipients = 0x4000,     // option: the recipients
  kJobInputFile = 0x8000,      // option: the input file

  kJobEncryptsOrSigns = kJobEncrypt | kJobSign,
};

// The flag words the operations start their jobs with.
enum : uint16_t {
  kDecodeJob = 0xA000,
  kCheckSignatureJob = 0x8000,
  kEncryptJob = 0xC071,
  kAddKeyJob = 0x8110,
  kClearsignJob = 0xA036,
  kAlwaysSignBits = 0xA052,  // added to an encrypt job when every encryption is signed
};

struct PgpJob {
  uint16_t flags;
  HWND__* owner;              // owner of the job's dialog and message boxes
  uint32_t exitCode;          // PGP's exit code; see JobSucceeded
  int32_t function;           // PgpFunction
  const char* inputFile;      // the transfer file handed to PGP
  int32_t runHostCommand;     // BOOL: clearsign via the host's own command first
  TIArrayAsVector<TAddress>* addresses;  // sender first; not owned; may be null
  char recipients[kRecipientsSize];      // user ids separated by blanks
  char signAs[kSignAsSize];              // user id for -u
  uint8_t argLength;                     // 255 after a failed build
  char arguments[kArgumentsSize];
};

// PGP reports success with 0 in the low 16 bits; the high bits are ignored.
inline bool JobSucceeded(const PgpJob& job) { return (job.exitCode & 0xFFFF) == 0; }

// Encrypting or signing jobs read TAVIX and leave their result in TAVIX.asc.
inline bool JobEncryptsOrSigns(const PgpJob& job) {
  return (job.flags & kJobEncryptsOrSigns) != 0;
}

// Copies `user` into signAs. A user id longer than the field is cut (PGP matches a
// user id by any part of it, so a cut id still names the same key); when the id is
// enclosed in double quotes the closing quote is kept. Returns the length stored.
size_t SetSignAs(PgpJob& job, const char* user);
