// File-system helpers used by the discovery of PGP and by the settings store.
#pragma once
#include <windows.h>

// Replaces the file-name part of `pattern` (a buffer of kPathSize bytes) with the first
// match; returns 0, or the Windows error code when nothing matches.
DWORD FindFirstMatch(char* pattern);
// Non-zero when `path` exists and is a directory.
BOOL IsDirectory(const char* path);
// Stores the current directory in `oldDirectory` (kPathSize bytes) when given, then
// changes to `newDirectory`; non-zero on success.
BOOL ChangeDirectory(const char* newDirectory, char* oldDirectory);
