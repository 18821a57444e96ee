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
// The address ends before '>', a blank, CR, LF or the end; it starts after the nearest
// '<' or blank before the '@', or at the start. Without an '@' the source is trimmed in place.
size_t ExtractAddress(char* source, char* dest);

// Bounded copy: copies at most destSize - 1 bytes and always terminates (destSize > 0).
// Returns the length copied.
size_t CopyText(char* dest, size_t destSize, const char* source);

// One argument of FormatText: a text (for %s) or an unsigned number (for %u, %lu, %d...).
struct TextArgument {
  const char* text;        // used when isNumber is false; null prints as an empty text
  unsigned long number;    // used when isNumber is true
  bool isNumber;
};
inline TextArgument TextArg(const char* text) { return TextArgument{text, 0, false}; }
inline TextArgument NumberArg(unsigned long number) { return TextArgument{nullptr, number, true}; }

// A bounded, wsprintf-like formatter for texts that may come from a language module:
// "%s" takes the next text argument, "%u", "%lu", "%d", "%ld", "%i" the next number
// (printed unsigned), "%%" prints '%'. A directive whose argument is missing or of the
// other kind, and any other '%' sequence, is copied as it stands, so a foreign format
// can never read past the arguments. The result is cut to destSize - 1 bytes and always
// terminated (destSize > 0). Returns the length written.
size_t FormatText(char* dest, size_t destSize, const char* format,
                  const TextArgument* arguments, size_t count);
