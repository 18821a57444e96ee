// Small file, process and environment helpers shared by the Windows tests. Nothing here
// asserts: each helper reports failure through its result, and the test decides.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace support {

// The whole file, or "" when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
// The whole file into *bytes; false when it cannot be opened or read completely.
bool ReadFileBytes(const std::string& path, std::string* bytes);
// Creates or replaces the file; true when every byte was written.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// The directory of this test program, with a trailing backslash, and a file in it.
std::string ProgramDirectory();
std::string BesideProgram(const std::string& name);
// This process's current directory ("" when it does not fit MAX_PATH).
std::string CurrentDirectory();
// The temporary directory, with a trailing backslash.
std::string TempDirectory();
// A new empty directory in the temporary directory, named stem + process id + "-" + serial
// number (any old one of that name is removed first); "" when it cannot be made.
std::string MakeScratchDirectory(const std::string& stem);
// Deletes a directory with everything below it.
void RemoveTree(const std::string& directory);

// Lines of a CRLF text (no empty line after a final CRLF).
std::vector<std::string> SplitLines(const std::string& text);

// A child process run to its end (or killed after the time limit).
struct ProcessRun {
  bool started = false;
  bool ended = false;     // ended by itself within the time limit, exit code read
  DWORD exitCode = 0xFFFFFFFF;
  DWORD startError = 0;   // GetLastError() when it did not start
};
// Runs commandLine; standard output and error go to output when it is given (it must be
// inheritable). environment is a CreateProcess environment block and directory the
// child's current directory; null for this process's own.
ProcessRun RunProcess(const std::string& commandLine, DWORD timeoutMs, HANDLE output = nullptr,
                      void* environment = nullptr, const char* directory = nullptr);

// Clears the named environment variables and restores their earlier values on destruction.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(std::vector<std::string> names);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  struct Saved {
    std::string name;
    bool set;
    std::string value;
  };
  std::vector<Saved> saved_;
};

}  // namespace support
