// Line and letter-case helpers shared by the stand-in's readers and writers.
#pragma once
#include <cstddef>
#include <string>

namespace standin {

// Reads the line that starts at `pos` into `line` (without its LF or CR LF) and moves `pos`
// behind the line break. False, with nothing read, when `pos` is at the end of the text.
bool ReadLine(const std::string& text, size_t& pos, std::string& line);

// Removes blanks, tabs and carriage returns from both ends.
std::string TrimBlanks(const std::string& text);

bool StartsWith(const std::string& text, const std::string& prefix);
bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix);
bool EqualIgnoringCase(const std::string& a, const std::string& b);
bool ContainsIgnoringCase(const std::string& text, const std::string& part);

// True for the start of the text and for the character after a line feed.
bool AtLineStart(const std::string& text, size_t pos);

// Finds `needle` at a line start at or after `from`; std::string::npos when there is none.
size_t FindAtLineStart(const std::string& text, const std::string& needle, size_t from);

// True when the text holds a control character (below 32, or 127).
bool HasControlCharacter(const std::string& text);

}  // namespace standin
