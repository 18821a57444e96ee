#include "config/pgp_discovery.h"
#include <cstring>
#include "config/file_system.h"
#include "config/settings.h"
#include "core/module_heap.h"
#include "core/pgp_config.h"
#include "core/text_utils.h"
#include "pgp/transfer_files.h"
#include "resources/resource_ids.h"
#include "ui/messages.h"
#include "ui/window_utils.h"

const char kTransferFileText[] = "TAVIX";
const char kTransferFileArmoured[] = "TAVIX.asc";
const char* transferFileText = kTransferFileText;
const char* transferFileArmoured = kTransferFileArmoured;
char pgpProgramPath[kPgpProgramPathSize];

namespace {

const char kPgpPathVariable[] = "PGPPATH";

// A module-heap text `directory` + `name`; null when out of memory.
char* JoinPath(const char* directory, const char* name) {
  const size_t directoryLength = std::strlen(directory);
  const size_t nameLength = std::strlen(name);
  char* path = static_cast<char*>(HeapAllocBlock(directoryLength + nameLength + 1));
  if (!path) return nullptr;
  std::memcpy(path, directory, directoryLength);
  std::memcpy(path + directoryLength, name, nameLength + 1);
  return path;
}

// Reads one configuration file of PGP's directory; 0 or the Windows error code.
DWORD ReadConfigFile(const char* name, HGLOBAL* text, DWORD* length) {
  *text = nullptr;
  char* path = JoinPath(settings.PGPPATH ? settings.PGPPATH : "", name);
  if (!path) return ERROR_NOT_ENOUGH_MEMORY;
  const DWORD error = ReadTransferFile(text, path, length, TRUE);
  HeapFreeBlock(path);
  return error;
}

void ReplaceTransferFileName(const char** name, const char* builtIn, const char* base) {
  if (*name != builtIn) HeapFreeBlock(const_cast<char*>(*name));
  *name = builtIn;
  if (settings.ChgToTempDir) return;
  // Out of memory leaves the bare name: the files then go to the current directory,
  // which is still wiped after each operation.
  if (char* path = JoinPath(base, builtIn)) *name = path;
}

// Adds the full path of a leftover file to the question in the shared message buffer,
// on a new line unless the text already ends with one; left out when it does not fit.
void AppendLeftoverFile(const char* name) {
  char fullPath[kPathSize];
  const DWORD length = GetFullPathNameA(name, sizeof fullPath, fullPath, nullptr);
  const char* shown = (length > 0 && length < sizeof fullPath) ? fullPath : name;
  const size_t used = std::strlen(sharedMessageBuffer);
  if (used > 0 && sharedMessageBuffer[used - 1] == '\n') {
    if (used + std::strlen(shown) < kMessageBufferSize)
      CopyText(sharedMessageBuffer + used, kMessageBufferSize - used, shown);
  } else {
    AppendLine(sharedMessageBuffer, kMessageBufferSize, shown);
  }
}

}  // namespace

void ResolvePgpPath() {
  const char* value = "";
  char environment[kPathSize] = "";
  if (settings.PGPPATH) {
    SetEnvironmentVariableA(kPgpPathVariable, settings.PGPPATH);  // for PGP started later
    value = settings.PGPPATH;
  } else if (GetEnvironmentText(kPgpPathVariable, environment, sizeof environment)) {
    value = environment;
  }
  const size_t length = std::strlen(value);
  const bool addBackslash = length > 0 && value[length - 1] != '\\';
  char* resolved = JoinPath(value, addBackslash ? "\\" : "");
  if (!resolved) return;  // out of memory: the old value stays
  HeapFreeBlock(settings.PGPPATH);
  settings.PGPPATH = resolved;
  settings.pgpPathLength = static_cast<uint32_t>(std::strlen(resolved));
}

void ReadPgpConfig() {
  if (settings.PGPtempdir) return;  // the INI setting wins over PGP's own
  HGLOBAL text = nullptr;
  DWORD length = 0;
  DWORD error = ReadConfigFile("config.txt", &text, &length);
  if (error == ERROR_FILE_NOT_FOUND) error = ReadConfigFile("pgp.ini", &text, &length);
  if (error || !text) return;
  char value[kPathSize];
  const char* bytes = static_cast<const char*>(GlobalLock(text));
  const bool found = bytes && FindTmpValue(bytes, length, value, sizeof value);
  if (bytes) GlobalUnlock(text);
  GlobalFree(text);
  if (!found) return;
  if (char* copy = HeapCopyText(value)) {
    HeapFreeBlock(settings.PGPtempdir);
    settings.PGPtempdir = copy;
  }
}

BOOL ChooseTempDirectory() {
  char* directory = settings.PGPtempdir;
  settings.PGPtempdir = nullptr;
  if (directory) {
    // The root of a drive ("C:\") keeps its backslash.
    const size_t length = std::strlen(directory);
    if (length > 3 && directory[length - 1] == '\\') directory[length - 1] = '\0';
  } else {
    char temp[kPathSize];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp) temp[0] = '\0';
    directory = HeapCopyText(temp);
    if (!directory) return FALSE;
  }
  if (!IsDirectory(directory)) {
    LoadText(IDS_NO_TEMP_DIR, sharedMessageBuffer, kMessageBufferSize);
    AppendLine(sharedMessageBuffer, kMessageBufferSize, directory);
    HeapFreeBlock(directory);
    ShowMessage(nullptr, sharedMessageBuffer, kPluginCaption,
                MB_OK | MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
    return FALSE;
  }
  settings.PGPtempdir = directory;
  if (!settings.ChgToTempDir) MakeTransferFileNames();
  return CheckLeftoverFiles();
}

void MakeTransferFileNames() {
  const char* directory = settings.PGPtempdir ? settings.PGPtempdir : "";
  const size_t length = std::strlen(directory);
  char* base = JoinPath(directory, length > 0 && directory[length - 1] != '\\' ? "\\" : "");
  const char* baseText = base ? base : directory;
  ReplaceTransferFileName(&transferFileText, kTransferFileText, baseText);
  ReplaceTransferFileName(&transferFileArmoured, kTransferFileArmoured, baseText);
  HeapFreeBlock(base);
}

BOOL CheckLeftoverFiles() {
  char oldDirectory[kPathSize];
  const bool changeDirectory = settings.ChgToTempDir != 0;
  if (changeDirectory &&
      (!settings.PGPtempdir || !ChangeDirectory(settings.PGPtempdir, oldDirectory)))
    return FALSE;
  // Existence in the directory the names refer to; a search elsewhere would find files
  // that are not the ones PGP will overwrite.
  const BOOL armouredExists = FileExists(transferFileArmoured);
  const BOOL textExists = FileExists(transferFileText);
  BOOL goOn = TRUE;
  if (armouredExists || textExists) {
    LoadText(IDS_OVERWRITE_FILES, sharedMessageBuffer, kMessageBufferSize);
    if (armouredExists) AppendLeftoverFile(transferFileArmoured);
    if (textExists) AppendLeftoverFile(transferFileText);
    if (ShowMessage(GetFocus(), sharedMessageBuffer, kPluginCaption,
                    MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
      if (armouredExists) WipeFile(transferFileArmoured);
      if (textExists) WipeFile(transferFileText);
    } else {
      goOn = FALSE;
    }
  }
  if (changeDirectory) ChangeDirectory(oldDirectory, nullptr);
  return goOn;
}

BOOL FindPgpProgram() {
  TPgpCandidates candidates;
  ListPgpCandidates(settings.PGPPATH, settings.ProgPGP, settings.KeepOpen, &candidates);
  pgpProgramPath[0] = '\0';
  for (size_t i = 0; i < candidates.count; ++i) {
    const char* candidate = candidates.names[i];
    CopyText(pgpProgramPath, sizeof pgpProgramPath, candidate);
    AppendLine(sharedMessageBuffer, kMessageBufferSize, candidate);
    if (ProgramFileExists(candidate)) return TRUE;
  }
  return FALSE;
}
