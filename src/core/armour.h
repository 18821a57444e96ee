// Recognising PGP armour in message text: which block comes first, where it starts and
// ends, whether it stands in a quoted reply; following the host's attachment lines;
// removing reply quote marks; finding a public key in PGP's output.
//
// Message text comes from strangers, so every routine here takes an explicit length and
// never looks past it. A text ends at `length` or at its first NUL, whichever comes first
// (the host hands over NUL-terminated texts; a NUL inside a file ends its text too).
#pragma once
#include <cstddef>
#include <cstdint>
#include "core/pgp_function.h"

// The armour texts, exact and case-sensitive.
inline constexpr char kHeaderPrefix[] = "-----BEGIN PGP ";
inline constexpr char kFooterPrefix[] = "-----END PGP ";
inline constexpr char kMessageType[] = "MESSAGE-----";
inline constexpr char kPublicKeyType[] = "PUBLIC KEY BLOCK-----";
inline constexpr char kSignatureType[] = "SIGNATURE-----";
inline constexpr char kSignedMessageType[] = "SIGNED MESSAGE-----";
inline constexpr size_t kHeaderPrefixLength = sizeof kHeaderPrefix - 1;  // 15
inline constexpr size_t kFooterPrefixLength = sizeof kFooterPrefix - 1;  // 13

inline constexpr size_t kNotFound = static_cast<size_t>(-1);

// Where a block (or an attachment line) stands, as offsets from the first character of
// the whole text: `start` is the header (or the marker), `end` the first character after
// the footer's type text (or after the path).
struct ArmourBlock {
  size_t start;
  size_t end;
  bool quoted;  // a '>' stands directly before `start`
};

// The length of the text: `length`, or less when a NUL comes first.
size_t TextExtent(const char* text, size_t length);

// First occurrence of `needle` in the bytes text[from, length) (a plain byte search: a NUL
// does not end it); kNotFound when there is none, also for an empty needle, which would
// otherwise match everywhere.
size_t FindText(const char* text, size_t length, size_t from, const char* needle,
                size_t needleLength);

// The function the type text at `place` asks for; `available` characters may be read.
// MESSAGE gives Decode, PUBLIC KEY BLOCK AddKey, SIGNATURE and SIGNED MESSAGE
// CheckSignature, anything else Encrypt.
PgpFunction ClassifyArmour(const char* place, size_t available);

// Finds the first armour block at or after `position`. Returns Decode, CheckSignature or
// AddKey and fills `block` on a find; Encrypt when there is none. A clearsigned text
// needs a later SIGNATURE header; the footer must be of the header's kind. A public key
// block counts only in a received message (`reading`); otherwise Encrypt is returned
// with `block` filled. An unknown type text counts as no block and leaves `block` alone.
PgpFunction FindArmourBlock(const char* text, size_t length, size_t position, bool reading,
                            ArmourBlock* block);

// The outcome of looking for the next attachment line.
enum class AttachmentScan {
  None,     // no further marker names a path
  Found,    // `line` and `path` are set
  TooLong,  // a path longer than the path field; `line` is set, `path` is empty
};

// Finds the next attachment line from `*position`: the marker, then the path run up to
// the first control character (blanks belong to it). A run that begins with '"' loses its
// first and last character. Markers with an empty run or an empty path are passed over.
// `*position` moves to the start of the line's path run, where the search for the next
// marker goes on. `path` (pathSize bytes) receives the path; a longer path is refused
// (never cut: a shortened path could name a different file).
AttachmentScan NextAttachmentLine(const char* text, size_t length, size_t* position,
                                  const char* marker, size_t markerLength,
                                  ArmourBlock* line, char* path, size_t pathSize);

// Drops `mark` where it is the first character of the text or follows a line feed (one
// per line). Works in place on `length` characters (less when a NUL comes first); the
// buffer must hold one byte more for the terminator, which is always written. Returns
// the new length.
size_t StripQuoteMarks(char* buffer, size_t length, char mark);

// Looks for a public key header in PGP's output. On a find, copies up to previewSize - 1
// characters from the header on into `preview` (always terminated) and returns true;
// otherwise `preview` is left empty. The block's footer is not checked.
bool FindKeyBlock(const char* text, size_t length, char* preview, size_t previewSize);
