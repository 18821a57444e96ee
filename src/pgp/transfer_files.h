// Moving texts to and from the transfer files that PGP reads and writes.
#pragma once
#include <windows.h>
#include "core/pgp_function.h"

// Writes `length` bytes (no terminator), converted ANSI->OEM when `convert`.
// Non-zero on success; the reason of a failure is left in GetLastError.
BOOL WriteTransferFile(const char* text, DWORD length, const char* fileName, BOOL convert);

// Reads a whole file into a new movable, unlocked, NUL-terminated text buffer,
// converted OEM->ANSI when `convert`. Returns 0 or a Windows error code; on failure
// *handle is null.
DWORD ReadTransferFile(HGLOBAL* handle, const char* fileName, DWORD* length, BOOL convert);

// Overwrites every byte with the 0..255 pattern, then deletes the file. Silent.
void WipeFile(const char* fileName);

// Fits PGP's output (in *handle; replaced by the enlarged block) into the operation's
// text around the block, with `quoteMark` ('>' or 0) after each line feed.
// True when the whole output was placed.
bool ComposeResult(HGLOBAL* handle, char quoteMark, PgpFunction function);
