#include "core/text_utils.h"
#include "core/module_heap.h"
#include <cstring>

namespace {

bool IsWhiteSpace(char c) { return c == ' ' || (c >= 9 && c <= 13); }

// Appends up to `length` bytes of `text` at `*used`, never past destSize - 1.
void AppendBounded(char* dest, size_t destSize, size_t* used, const char* text, size_t length) {
  size_t room = destSize - 1 - *used;
  if (length > room) length = room;
  std::memcpy(dest + *used, text, length);
  *used += length;
}

void AppendNumber(char* dest, size_t destSize, size_t* used, unsigned long number) {
  char digits[24];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  char text[24];
  for (size_t i = 0; i < count; ++i) text[i] = digits[count - 1 - i];
  AppendBounded(dest, destSize, used, text, count);
}

}  // namespace

size_t AppendLine(char* buffer, size_t capacity, const char* line) {
  size_t length = std::strlen(buffer);
  size_t added = std::strlen(line);
  if (length + 1 + added >= capacity) return 0;
  buffer[length] = '\n';
  std::memcpy(buffer + length + 1, line, added + 1);
  return length + 1 + added;
}

char* AddBackslash(char* path) {
  size_t length = std::strlen(path);
  if (length > 0 && path[length - 1] != '\\') {
    path[length++] = '\\';
    path[length] = '\0';
  }
  return path + length;
}

size_t CutToDirectory(char* path) {
  char* last = std::strrchr(path, '\\');
  size_t length = last ? static_cast<size_t>(last - path) + 1 : 0;
  path[length] = '\0';
  return length;
}

void FileNamePart(char* dest, size_t destSize, const char* path) {
  const char* last = std::strrchr(path, '\\');
  CopyText(dest, destSize, last ? last + 1 : path);
}

char* QuoteText(char* text, size_t length) {
  char* quoted = static_cast<char*>(HeapAllocBlock(length + 3));
  if (!quoted) return nullptr;
  quoted[0] = '"';
  std::memcpy(quoted + 1, text, length);
  quoted[length + 1] = '"';
  quoted[length + 2] = '\0';
  HeapFreeBlock(text);
  return quoted;
}

char* UnquoteText(char* text) {
  size_t length = std::strlen(text);
  if (length < 2 || text[0] != '"' || std::strchr(text, ' ')) return text + length;
  if (text[length - 1] == '"') text[--length] = '\0';
  std::memmove(text, text + 1, length);  // moves the NUL too
  return text + length - 1;
}

size_t TrimText(char* text) {
  size_t length = std::strlen(text);
  while (length > 0 && IsWhiteSpace(text[length - 1])) --length;
  size_t start = 0;
  while (start < length && IsWhiteSpace(text[start])) ++start;
  length -= start;
  std::memmove(text, text + start, length);
  text[length] = '\0';
  return length;
}

size_t CopyLine(const char* source, char* dest, size_t count) {
  const char* feed = static_cast<const char*>(std::memchr(source, '\n', count));
  size_t lineLength = feed ? static_cast<size_t>(feed - source) : count;
  size_t consumed = feed ? lineLength + 1 : count;
  if (feed && lineLength > 0 && source[lineLength - 1] == '\r') --lineLength;
  std::memcpy(dest, source, lineLength);
  dest[lineLength] = '\0';
  return consumed;
}

size_t ExtractAddress(char* source, char* dest) {
  const char* at = std::strchr(source, '@');
  if (!at) {
    size_t length = TrimText(source);
    std::memcpy(dest, source, length + 1);
    return length;
  }
  const char* begin = at;
  while (begin > source && begin[-1] != '<' && begin[-1] != ' ') --begin;
  const char* end = at;
  // A line feed ends the address too: no address holds one, and a header read with bare
  // LF line ends would otherwise drag the next line along.
  while (*end && *end != '>' && *end != ' ' && *end != '\r' && *end != '\n') ++end;
  size_t length = static_cast<size_t>(end - begin);
  std::memmove(dest, begin, length);
  dest[length] = '\0';
  return length;
}

size_t CopyText(char* dest, size_t destSize, const char* source) {
  if (destSize == 0) return 0;
  size_t length = source ? std::strlen(source) : 0;
  if (length > destSize - 1) length = destSize - 1;
  std::memcpy(dest, source ? source : "", length);
  dest[length] = '\0';
  return length;
}

size_t FormatText(char* dest, size_t destSize, const char* format,
                  const TextArgument* arguments, size_t count) {
  if (destSize == 0) return 0;
  size_t used = 0;
  size_t next = 0;
  const char* p = format ? format : "";
  while (*p && used < destSize - 1) {
    if (*p != '%') {
      const char* percent = std::strchr(p, '%');
      size_t run = percent ? static_cast<size_t>(percent - p) : std::strlen(p);
      AppendBounded(dest, destSize, &used, p, run);
      p += run;
      continue;
    }
    if (p[1] == '%') {
      AppendBounded(dest, destSize, &used, "%", 1);
      p += 2;
      continue;
    }
    const char* q = p + 1;
    if (*q == 'l') ++q;
    char kind = *q;
    bool wantsText = kind == 's' && q == p + 1;
    bool wantsNumber = kind == 'u' || kind == 'd' || kind == 'i';
    if ((wantsText || wantsNumber) && next < count && arguments[next].isNumber == wantsNumber) {
      const TextArgument& argument = arguments[next++];
      if (wantsNumber) {
        AppendNumber(dest, destSize, &used, argument.number);
      } else if (argument.text) {
        AppendBounded(dest, destSize, &used, argument.text, std::strlen(argument.text));
      }
      p = q + 1;
    } else {
      AppendBounded(dest, destSize, &used, "%", 1);  // the rest follows as plain text
      ++p;
    }
  }
  dest[used] = '\0';
  return used;
}
