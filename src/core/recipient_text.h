// The recipient list offered for an encryption: user ids separated by blanks, built from
// the message's addresses so that it always fits the job's recipient field.
#pragma once
#include <cstddef>

// Adding stops before an address that would bring the text to this length or beyond.
enum { kRecipientTextStop = 110 };

// Writes the recipient text into `dest` (`destSize` bytes, at least 1) and returns its
// length. `addresses` holds `count` address texts, the sender first (null entries are
// skipped). The sender is left out unless `encryptForSelf` is set and `encryptFor` is
// null or empty; with `encryptForSelf` and an `encryptFor` text, the text starts with it.
// Each address added gets one blank in front, so a text without `encryptFor` begins with
// a blank. An `encryptFor` text too long for `dest` is cut; a cut quoted text keeps its
// closing quote, so that PGP still sees one user id.
size_t BuildRecipientText(char* dest, size_t destSize, const char* const* addresses,
                          size_t count, bool encryptForSelf, const char* encryptFor);
