// Whole-file reads and writes for the stand-in; names are used as given.
#pragma once
#include <string>

namespace standin {

enum class FileReadStatus { Ok, NotFound, Unreadable };

FileReadStatus ReadFileBytes(const std::string& path, std::string& bytes);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool AppendFileBytes(const std::string& path, const std::string& bytes);

// Overwrites the file's bytes with zeros, then deletes it; true when it is gone.
bool WipeAndRemoveFile(const std::string& path);

// Joins a directory (possibly empty: the current directory) and a file name.
std::string JoinPath(const std::string& directory, const std::string& name);

}  // namespace standin
