#include "standin_text.h"

#include <cctype>

namespace standin {

bool ReadLine(const std::string& text, size_t& pos, std::string& line) {
  if (pos >= text.size()) return false;
  size_t lineFeed = text.find('\n', pos);
  size_t end = lineFeed == std::string::npos ? text.size() : lineFeed;
  size_t contentEnd = (end > pos && text[end - 1] == '\r') ? end - 1 : end;
  line.assign(text, pos, contentEnd - pos);
  pos = lineFeed == std::string::npos ? text.size() : lineFeed + 1;
  return true;
}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string TrimBlanks(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

static char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         EqualIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

bool ContainsIgnoringCase(const std::string& text, const std::string& part) {
  if (part.size() > text.size()) return false;
  for (size_t start = 0; start + part.size() <= text.size(); ++start) {
    size_t i = 0;
    while (i < part.size() && Lower(text[start + i]) == Lower(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

bool AtLineStart(const std::string& text, size_t pos) {
  return pos == 0 || (pos <= text.size() && text[pos - 1] == '\n');
}

size_t FindAtLineStart(const std::string& text, const std::string& needle, size_t from) {
  for (size_t pos = text.find(needle, from); pos != std::string::npos;
       pos = text.find(needle, pos + 1)) {
    if (AtLineStart(text, pos)) return pos;
  }
  return std::string::npos;
}

bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) return true;
  }
  return false;
}

}  // namespace standin
