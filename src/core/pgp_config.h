// The temporary directory that PGP's configuration file (config.txt or pgp.ini) names
// on its TMP line.
#pragma once
#include <cstddef>

// The value of one configuration line (without its line feed) when the line sets TMP,
// else null. The line is changed in place and the value lies inside it: cut at the first
// '#', trimmed, and without its enclosing quotes when it holds no blank.
// TMP may be in any case, with blanks (only) around the '='; nothing may come before TMP.
char* TmpLineValue(char* line);

// Goes through a whole configuration text of `length` bytes line by line; the last TMP
// line wins. Copies its value into `value` (`valueSize` bytes) and returns true; false
// when no line sets TMP. A line whose value does not fit is ignored rather than cut, as a
// cut directory could name another one.
bool FindTmpValue(const char* text, size_t length, char* value, size_t valueSize);
