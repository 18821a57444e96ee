#include "core/pgp_config.h"
#include <cstring>
#include "core/module_heap.h"
#include "core/text_utils.h"

namespace {

bool IsLetter(char c, char lower) { return (c | 0x20) == lower; }

char* SkipBlanks(char* p) {
  while (*p == ' ') ++p;
  return p;
}

}  // namespace

char* TmpLineValue(char* line) {
  if (line[0] == '\0' || line[0] == '#') return nullptr;
  if (!IsLetter(line[0], 't') || !IsLetter(line[1], 'm') || !IsLetter(line[2], 'p'))
    return nullptr;
  char* p = SkipBlanks(line + 3);
  if (*p != '=') return nullptr;
  char* value = SkipBlanks(p + 1);
  if (char* comment = std::strchr(value, '#')) *comment = '\0';
  TrimText(value);
  if (value[0] == '"') UnquoteText(value);
  return value;
}

bool FindTmpValue(const char* text, size_t length, char* value, size_t valueSize) {
  if (!text || !value || valueSize == 0) return false;
  // One line can be as long as the whole text.
  char* line = static_cast<char*>(HeapAllocBlock(length + 1));
  if (!line) return false;
  bool found = false;
  size_t offset = 0;
  while (offset < length) {
    offset += CopyLine(text + offset, line, length - offset);
    const char* lineValue = TmpLineValue(line);
    if (lineValue && std::strlen(lineValue) < valueSize) {
      CopyText(value, valueSize, lineValue);
      found = true;
    }
  }
  HeapFreeBlock(line);
  return found;
}
