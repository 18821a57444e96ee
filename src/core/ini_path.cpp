#include "core/ini_path.h"

#include <cstring>
#include <string>

namespace {

const char kSubFolder[] = "TAVIX";
const char kIniName[] = "TAVIX.INI";
const char kPluginsSuffix[] = "\\Plugins";

void AddBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
}

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  size_t suffixLength = std::strlen(suffix);
  if (text.size() < suffixLength) return false;
  const char* tail = text.c_str() + text.size() - suffixLength;
  for (size_t i = 0; i < suffixLength; ++i) {
    char a = tail[i], b = suffix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// Replaces `path` with path + "TAVIX" when that is a directory.
void EnterSubFolder(std::string& path, const DirectoryExists& isDirectory) {
  std::string candidate = path + kSubFolder;
  if (isDirectory(candidate.c_str())) path = candidate;
}

bool Store(const std::string& result, char* dest, size_t destSize) {
  if (destSize == 0) return false;
  if (result.size() >= destSize) {
    dest[0] = '\0';
    return false;
  }
  std::memcpy(dest, result.c_str(), result.size() + 1);
  return true;
}

}  // namespace

bool DerivePluginFolder(const char* moduleFileName, const DirectoryExists& isDirectory,
                        char* folder, size_t folderSize) {
  std::string path = moduleFileName ? moduleFileName : "";
  size_t lastBackslash = path.rfind('\\');
  path.erase(lastBackslash == std::string::npos ? 0 : lastBackslash + 1);
  std::string subFolder = path + kSubFolder;
  if (isDirectory(subFolder.c_str())) path = subFolder + '\\';
  return Store(path, folder, folderSize);
}

bool DeriveIniPath(const char* configDir, const DirectoryExists& isDirectory, char* iniPath,
                   size_t iniPathSize) {
  std::string path = configDir ? configDir : "";
  // The host may pass its Plugins folder even where it has none; the INI file then
  // belongs beside it.
  const size_t pluginsLength = std::strlen(kPluginsSuffix) - 1;  // "Plugins" without '\'
  if (path.size() > 8 && EndsWithIgnoringCase(path, kPluginsSuffix) &&
      !isDirectory(path.c_str())) {
    path.erase(path.size() - pluginsLength);
  }
  AddBackslash(path);
  EnterSubFolder(path, isDirectory);
  AddBackslash(path);
  path += kIniName;
  return Store(path, iniPath, iniPathSize);
}
