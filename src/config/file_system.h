// File-system helpers used by the discovery of PGP and by the settings store.
#pragma once
#include <windows.h>

// Replaces the file-name part of `pattern` (a buffer of kPathSize bytes) with the first
// match; returns 0, or the Windows error code when nothing matches (or the name found
// would not fit: ERROR_BUFFER_OVERFLOW, pattern unchanged).
DWORD FindFirstMatch(char* pattern);
// Non-zero when `path` exists and is a directory.
BOOL IsDirectory(const char* path);
// Stores the current directory in `oldDirectory` (kPathSize bytes) when given, then
// changes to `newDirectory`; non-zero on success.
BOOL ChangeDirectory(const char* newDirectory, char* oldDirectory);

// Non-zero when `path` names an existing file (not a directory). A relative path is
// relative to the current directory only; nothing is searched.
BOOL FileExists(const char* path);
// Non-zero when the program file `name` exists, looked for the way OpenFile with OF_EXIST
// does: a name without a directory is searched for (the program's directory, the current
// directory, the system directories, PATH). Unlike OpenFile it also handles names and
// found paths of 128 characters or more.
BOOL ProgramFileExists(const char* name);
