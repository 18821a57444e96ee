#include "config/file_system.h"
#include <cstring>
#include "config/settings.h"
#include "core/text_utils.h"

DWORD FindFirstMatch(char* pattern) {
  if (!pattern) return ERROR_INVALID_PARAMETER;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error ? error : ERROR_FILE_NOT_FOUND;
  }
  FindClose(search);
  const char* lastBackslash = std::strrchr(pattern, '\\');
  const size_t directoryLength = lastBackslash ? lastBackslash - pattern + 1 : 0;
  if (directoryLength + std::strlen(found.cFileName) >= kPathSize) return ERROR_BUFFER_OVERFLOW;
  CopyText(pattern + directoryLength, kPathSize - directoryLength, found.cFileName);
  return 0;
}

BOOL IsDirectory(const char* path) {
  if (!path) return FALSE;
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL ChangeDirectory(const char* newDirectory, char* oldDirectory) {
  if (oldDirectory) {
    const DWORD length = GetCurrentDirectoryA(kPathSize, oldDirectory);
    if (length == 0 || length >= kPathSize) {  // too long to be restored later
      oldDirectory[0] = '\0';
      return FALSE;
    }
  }
  return newDirectory && SetCurrentDirectoryA(newDirectory);
}

BOOL FileExists(const char* path) {
  if (!path || !path[0]) return FALSE;
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static bool HasDirectoryPart(const char* name) {
  return std::strpbrk(name, "\\/:") != nullptr;
}

BOOL ProgramFileExists(const char* name) {
  if (!name || !name[0]) return FALSE;
  // OpenFile keeps the path it finds in a 128-byte record: short names only.
  if (std::strlen(name) < OFS_MAXPATHNAME) {
    OFSTRUCT record = {};
    record.cBytes = sizeof record;
    if (OpenFile(name, &record, OF_EXIST) != HFILE_ERROR) return TRUE;
  }
  if (HasDirectoryPart(name)) return FileExists(name);
  // A bare name that OpenFile could not take or whose found path was too long for it.
  char found[MAX_PATH];
  const DWORD length = SearchPathA(nullptr, name, nullptr, sizeof found, found, nullptr);
  return length > 0 && length < sizeof found && FileExists(found);
}
