// File, process and environment helpers of the Windows tests. They report failure; tests assert.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace support {

// The whole file into *bytes (shares delete access too); false when it cannot be read whole.
bool ReadFileBytes(const std::string& path, std::string* bytes);
std::string ReadFileBytes(const std::string& path);  // "" when it cannot be read
bool WriteFileBytes(const std::string& path, const std::string& bytes);  // true when every byte was written
bool FileExists(const std::string& path);
std::string ProgramDirectory();  // of this test program, with a trailing backslash
std::string BesideProgram(const std::string& name);
std::string CurrentDirectory();  // this process's; "" when it does not fit MAX_PATH
std::string TempDirectory();     // with a trailing backslash
// A new empty directory in the temporary directory named stem + process id + "-" + serial number
// (an old one of that name is removed first); "" when it cannot be made.
std::string MakeScratchDirectory(const std::string& stem);
void RemoveTree(const std::string& directory);  // the directory with everything below it
std::vector<std::string> SplitLines(const std::string& text);  // ended by LF or CRLF; no empty last line
// A value of the file's version resource (StringFileInfo 040904E4); "<missing>" when absent.
std::string VersionText(const std::string& file, const char* key);
HGLOBAL GlobalText(const std::string& text);  // a moveable block with the text and its NUL

#ifdef TAVIX_FIXTURES_DIR
// A file of tests/fixtures, read through drive Z:, which is how Wine shows the build machine's files.
inline std::string ReadFixture(const std::string& name) {
  const std::string path = std::string(TAVIX_FIXTURES_DIR) + "/" + name;
  return ReadFileBytes(path[0] == '/' ? "Z:" + path : path);
}
#endif

// A child process run to its end (or killed after the time limit).
struct ProcessRun {
  bool started = false, ended = false;  // ended: by itself within the time limit, exit code read
  DWORD exitCode = 0xFFFFFFFF;
  DWORD startError = 0;  // GetLastError() of the last start tried, when none succeeded
};
// Runs commandLine; standard output and error go to output when it is given (it must be
// inheritable). environment is a CreateProcess environment block and directory the child's
// current directory; null for this process's own. A start refused for a passing reason (Wine
// does that now and then on a loaded machine) is tried again a few times.
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
  struct Saved { std::string name; bool set; std::string value; };
  std::vector<Saved> saved_;
};

}  // namespace support
