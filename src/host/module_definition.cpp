#include "host/module_definition.h"

#include <cstring>
#include <initializer_list>
#include <utility>

#include "config/settings.h"
#include "core/module_heap.h"
#include "core/module_table.h"
#include "core/text_utils.h"
#include "host/mif.h"

namespace {

// GetClassName's buffer and the INI read's buffer.
enum { kClassNameSize = 64, kIniValueSize = 256 };

const char kProductNamePath[] = "\\StringFileInfo\\040904E4\\ProductName";
const char kProductVersionPath[] = "\\StringFileInfo\\040904E4\\ProductVersion";

// One string value of a version block, cut to kProductTextLength characters.
bool QueryVersionText(void* block, const char* path, char* dest, size_t destSize) {
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block, path, reinterpret_cast<void**>(&value), &length) || !value)
    return false;
  size_t kept = strnlen(value, length);
  if (kept > kProductTextLength) kept = kProductTextLength;
  if (kept >= destSize) kept = destSize - 1;
  std::memcpy(dest, value, kept);
  dest[kept] = '\0';
  return true;
}

// The product name (required) and version (empty when absent) of a module file.
bool ReadProductTexts(const char* fileName, char* name, char* version, size_t size) {
  DWORD ignored = 0;
  const DWORD blockSize = GetFileVersionInfoSizeA(fileName, &ignored);
  if (blockSize == 0) return false;
  void* block = HeapAllocBlock(blockSize);
  if (!block) return false;
  bool found = GetFileVersionInfoA(fileName, 0, blockSize, block) &&
               QueryVersionText(block, kProductNamePath, name, size);
  if (found && !QueryVersionText(block, kProductVersionPath, version, size)) version[0] = '\0';
  HeapFreeBlock(block);
  return found;
}

// Replaces an owned text with a copy of `value` (null stays null); false when the copy
// fails.
bool ReplaceCopy(char** field, const char* value) {
  char* copy = value ? HeapCopyText(value) : nullptr;
  if (value && !copy) return false;
  HeapFreeBlock(*field);
  *field = copy;
  return true;
}

}  // namespace

TModuleDefinition::TModuleDefinition()
    : valid(0), ClassName(nullptr), ModName(nullptr), ProductName(nullptr),
      ProductVersion(nullptr), FullModName(nullptr), modified(0) {}

TModuleDefinition::~TModuleDefinition() {
  for (char* text : {ClassName, ModName, ProductName, ProductVersion, FullModName})
    HeapFreeBlock(text);
}

void TModuleDefinition::MatchKeys(const char* keys[4]) const {
  keys[0] = ClassName;
  keys[1] = ModName;
  keys[2] = ProductName;
  keys[3] = ProductVersion;
}

BOOL TModuleDefinition::FillFromWindow(HWND window) {
  const HINSTANCE instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  char className[kClassNameSize];
  if (GetClassNameA(window, className, sizeof className) == 0) return FALSE;
  char fileName[kPathSize];
  const DWORD length = GetModuleFileNameA(instance, fileName, sizeof fileName);
  // A cut file name would name another file.
  if (length == 0 || length >= sizeof fileName) return FALSE;
  char productName[kProductTextLength + 2], productVersion[kProductTextLength + 2];
  if (!ReadProductTexts(fileName, productName, productVersion, sizeof productName)) return FALSE;
  char moduleName[kPathSize];
  FileNamePart(moduleName, sizeof moduleName, fileName);

  TModuleDefinition found;
  if (!ReplaceCopy(&found.FullModName, fileName) || !ReplaceCopy(&found.ClassName, className) ||
      !ReplaceCopy(&found.ModName, moduleName) ||
      !ReplaceCopy(&found.ProductName, productName) ||
      !ReplaceCopy(&found.ProductVersion, productVersion))
    return FALSE;
  std::swap(FullModName, found.FullModName);
  std::swap(ClassName, found.ClassName);
  std::swap(ModName, found.ModName);
  std::swap(ProductName, found.ProductName);
  std::swap(ProductVersion, found.ProductVersion);
  valid = modified = 1;
  return TRUE;
}

void TModuleDefinition::ReadIni(const char* section, const char* iniFile) {
  valid = 1;
  if (!iniFile || !iniFile[0]) return;
  struct Key {
    const char* name;
    char** field;
  };
  const Key keys[] = {{"FullModName", &FullModName}, {"ClassName", &ClassName},
                      {"ModName", &ModName},         {"ProductName", &ProductName},
                      {"ProductVersion", &ProductVersion}};
  for (const Key& key : keys) {
    char value[kIniValueSize];
    GetPrivateProfileStringA(section, key.name, *key.field ? *key.field : "", value,
                             sizeof value, iniFile);
    ReplaceTextSetting(key.field, value);
  }
}

BOOL TModuleDefinition::WriteIni(const char* section, const char* iniFile) {
  if (!iniFile || !iniFile[0]) return FALSE;
  struct Key {
    const char* name;
    const char* value;
  };
  const Key keys[] = {{"FullModName", FullModName}, {"ClassName", ClassName},
                      {"ModName", ModName},         {"ProductName", ProductName},
                      {"ProductVersion", ProductVersion}};
  BOOL written = TRUE;
  for (const Key& key : keys) {
    if (key.value && !WritePrivateProfileStringA(section, key.name, key.value, iniFile))
      written = FALSE;
  }
  if (written) modified = 0;
  return written;
}

BOOL TModuleDefinition::CopyFrom(const TModuleDefinition& other) {
  if (&other == this) return TRUE;
  if (!ReplaceCopy(&ClassName, other.ClassName) || !ReplaceCopy(&ModName, other.ModName) ||
      !ReplaceCopy(&ProductName, other.ProductName) ||
      !ReplaceCopy(&ProductVersion, other.ProductVersion) ||
      !ReplaceCopy(&FullModName, other.FullModName))
    return FALSE;
  valid = other.valid;
  modified = other.modified;
  return TRUE;
}

BOOL TModuleDefinition::FillFromRecord(const TMif& table) {
  TTableText strings[kMatchKeyCount];
  if (!table.GetStrings(kMatchKeyCount, strings)) return FALSE;
  char* copies[kMatchKeyCount];
  for (int i = 0; i < kMatchKeyCount; ++i) copies[i] = HeapCopyTableText(strings[i]);
  char** const fields[kMatchKeyCount] = {&ClassName, &ModName, &ProductName, &ProductVersion};
  const bool copied = copies[0] && copies[1] && copies[2] && copies[3];
  for (int i = 0; i < kMatchKeyCount; ++i) {
    if (!copied) {
      HeapFreeBlock(copies[i]);
      continue;
    }
    HeapFreeBlock(*fields[i]);
    *fields[i] = copies[i];
  }
  if (!copied) return FALSE;
  valid = modified = 1;
  return TRUE;
}

BOOL TModuleDefinition::SameAs(const TModuleDefinition& other) const {
  const char* mine[kMatchKeyCount];
  const char* theirs[kMatchKeyCount];
  MatchKeys(mine);
  other.MatchKeys(theirs);
  for (int i = 0; i < kMatchKeyCount; ++i) {
    if (!mine[i] || !theirs[i] || !SameTextIgnoringCase(mine[i], theirs[i])) return FALSE;
  }
  return TRUE;
}
