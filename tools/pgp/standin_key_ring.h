// The stand-in's key rings: text files in the PGPPATH directory (the current directory when
// PGPPATH is empty), one user id a line; empty lines and lines starting with '#' are skipped.
//   pubring.txt  public keys: -ka adds the user ids of public key blocks here
//   secring.txt  the user's own ids: signing and decoding need them
#pragma once
#include <string>
#include <vector>

namespace standin {

extern const char kPublicRingName[];  // "pubring.txt"
extern const char kSecretRingName[];  // "secring.txt"

// The ids of a key ring file; an empty list when the file does not exist.
std::vector<std::string> ReadUserIds(const std::string& path);

// Like PGP, a user id is chosen by a part of it: the index of the first id that contains
// `pattern` in any letter case, or -1.
int FindUserId(const std::vector<std::string>& ids, const std::string& pattern);

// A user id must be non-empty and free of control characters.
bool IsValidUserId(const std::string& id);

// Appends the ids that the ring does not hold yet (same text in any letter case) and lists
// them in `added`; false (and `added` empty) when the file cannot be read or written.
bool AddUserIds(const std::string& path, const std::vector<std::string>& ids,
                std::vector<std::string>& added);

// A public key block holding the given user ids, as -ka reads it.
std::string MakePublicKeyBlock(const std::vector<std::string>& ids);

extern const char kPublicKeyType[];  // "PUBLIC KEY BLOCK"

}  // namespace standin
