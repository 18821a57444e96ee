// Armour detection over the operation's text, and following the host's attachment lines
// to files that hold PGP material. Results go into `operationState`.
#pragma once
#include <windows.h>
#include <cstddef>
#include "core/armour.h"
#include "core/pgp_function.h"
#include "core/pgp_job.h"

// Finds the first armour block of `text` (`textLength` bytes, or up to its first NUL)
// at or after `position`, with the window kind of `operationState`. On a find it sets
// blockStart, blockEnd and quoted; returns Decode, CheckSignature, AddKey, or Encrypt for
// none (also for a public key block in a message being composed).
PgpFunction FindArmourBlock(const char* text, DWORD textLength, DWORD position);

// Follows attachment lines (the attachment marker and a path) from `position` until one
// names a file that holds a PGP block; that file is copied to the armoured transfer file,
// `attachmentPath`, blockStart, blockEnd, quoted and the job's function are set. Files
// without a block are passed over. Returns 0 (also when no line led anywhere, then
// attachmentPath is empty) or a Windows error code with its message in the shared message
// buffer: a file that cannot be read, a transfer file that cannot be written, or
// ERROR_BAD_PATHNAME for a path longer than the attachmentPath field.
DWORD FindAttachmentBlock(const char* text, DWORD textLength, DWORD position, PgpJob* job);

// Reads the file named by attachmentPath (without code-page conversion). When it holds a
// PGP block, stores the block's kind in the job's function and, for a known kind, copies
// the whole file to the armoured transfer file; otherwise clears attachmentPath.
// Returns 0 or a Windows error code with its message in the shared message buffer.
DWORD ReadAttachment(PgpJob* job);

// Looks for a public key block in PGP's output (a text buffer); on a find, copies up to
// `limit` characters from its header into `preview` (limit + 1 bytes) and returns TRUE.
// Otherwise `preview` is empty.
BOOL FindKeyBlock(HGLOBAL output, char* preview, size_t limit);
