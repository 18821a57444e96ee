// Small text and path helpers on NUL-terminated ANSI byte strings.
// Paths use the backslash. Only QuoteText allocates (from the module heap).
#pragma once
#include <cstddef>

// Adds '\n' and `line` after the text in `buffer` when the whole result with its NUL
// fits `capacity`; returns the new length, or 0 (buffer unchanged) when it does not fit.
size_t AppendLine(char* buffer, size_t capacity, const char* line);

// Appends a backslash unless the path is empty or already ends with one.
// The caller's buffer must have room for one more character; returns the NUL's position.
char* AddBackslash(char* path);

// Cuts the path just after its last backslash; no backslash gives an empty text.
size_t CutToDirectory(char* path);

// Copies the part after the last backslash (or the whole path) into `dest`,
// cut to fit `destSize` bytes including the NUL.
void FileNamePart(char* dest, size_t destSize, const char* path);

// Returns a new module-heap block holding '"' text '"' and frees `text`;
// returns null (the old block stays with the caller) when allocation fails.
char* QuoteText(char* text, size_t length);

// Removes enclosing double quotes in place from a text of at least 2 characters that
// begins with a quote and holds no blank; returns the position of the NUL.
char* UnquoteText(char* text);

// Removes leading and trailing white space (9..13, 32) in place; returns the new length.
size_t TrimText(char* text);

// Copies the first line of `source` (up to a LF, less one CR before it) with a NUL into
// `dest`; returns the bytes consumed including the LF. `dest` must hold count + 1 bytes.
size_t CopyLine(const char* source, char* dest, size_t count);

// Copies the address around the first '@' of `source` (or the trimmed text when there is
// none) into `dest`, which must hold strlen(source) + 1 bytes; returns its length.
// Without an '@' the source is trimmed in place.
size_t ExtractAddress(char* source, char* dest);

// Bounded copy: copies at most destSize - 1 bytes and always terminates (destSize > 0).
// Returns the length copied.
size_t CopyText(char* dest, size_t destSize, const char* source);
