#include "standin_files.h"

#include <cerrno>
#include <cstdio>

namespace standin {

FileReadStatus ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return errno == ENOENT ? FileReadStatus::NotFound : FileReadStatus::Unreadable;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? FileReadStatus::Unreadable : FileReadStatus::Ok;
}

static bool PutFileBytes(const std::string& path, const std::string& bytes, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  bool closed = std::fclose(file) == 0;
  return written && closed;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  return PutFileBytes(path, bytes, "wb");
}

bool AppendFileBytes(const std::string& path, const std::string& bytes) {
  return PutFileBytes(path, bytes, "ab");
}

bool WipeAndRemoveFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "r+b");
  if (file != nullptr) {
    long size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (size > 0 && std::fseek(file, 0, SEEK_SET) == 0) {
      const char zeros[512] = {};
      for (long left = size; left > 0;) {
        size_t part = left < static_cast<long>(sizeof zeros) ? static_cast<size_t>(left) : sizeof zeros;
        if (std::fwrite(zeros, 1, part, file) != part) break;
        left -= static_cast<long>(part);
      }
    }
    std::fclose(file);
  }
  std::remove(path.c_str());
  std::FILE* check = std::fopen(path.c_str(), "rb");
  if (check == nullptr) return true;
  std::fclose(check);
  return false;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  char last = directory.back();
  if (last == '\\' || last == '/') return directory + name;
#ifdef _WIN32
  return directory + "\\" + name;
#else
  return directory + "/" + name;
#endif
}

}  // namespace standin
