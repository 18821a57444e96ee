#include "test_support.h"

#include <algorithm>
#include <cstring>

namespace support {

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  bytes->clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char chunk[4096];
  DWORD got = 0;
  BOOL ok = TRUE;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) bytes->append(chunk, got);
  CloseHandle(file);
  return ok != FALSE;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  return ReadFileBytes(path, &bytes) ? bytes : "";
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string BesideProgram(const std::string& name) { return ProgramDirectory() + name; }

std::string ProgramDirectory() {
  char path[MAX_PATH] = "";
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string directory(path, length < sizeof path ? length : 0);
  return directory.substr(0, directory.find_last_of('\\') + 1);
}

// A directory a Windows call writes into a MAX_PATH buffer; "" when it does not fit.
template <class Call>
std::string Directory(Call call) {
  char directory[MAX_PATH] = "";
  const DWORD length = call(sizeof directory, directory);
  return length < sizeof directory ? std::string(directory, length) : "";
}
std::string CurrentDirectory() { return Directory(GetCurrentDirectoryA); }
std::string TempDirectory() { return Directory(GetTempPathA); }

void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = directory + "\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

std::string MakeScratchDirectory(const std::string& stem) {
  static int serial = 0;
  const std::string path =
      TempDirectory() + stem + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
  RemoveTree(path);
  return CreateDirectoryA(path.c_str(), nullptr) ? path : "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start - (end > start && text[end - 1] == '\r')));
  }
  return lines;
}

std::string VersionText(const std::string& file, const char* key) {
  std::vector<char> info(GetFileVersionInfoSizeA(file.c_str(), nullptr) + 1);
  char* text = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
      !VerQueryValueA(info.data(), (std::string("\\StringFileInfo\\040904E4\\") + key).c_str(),
                      reinterpret_cast<void**>(&text), &length) || !text)
    return "<missing>";
  return text;
}

HGLOBAL GlobalText(const std::string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (block) memcpy(GlobalLock(block), text.c_str(), text.size() + 1), GlobalUnlock(block);
  return block;
}

// A child that died while Wine set it up, or a machine short of memory for a moment.
static bool IsPassingStartError(DWORD e) {
  return e == ERROR_INTERNAL_ERROR || e == ERROR_NOT_ENOUGH_MEMORY || e == ERROR_OUTOFMEMORY ||
         e == ERROR_NO_SYSTEM_RESOURCES;
}

ProcessRun RunProcess(const std::string& commandLine, DWORD timeoutMs, HANDLE output, void* environment,
                      const char* directory) {
  ProcessRun run;
  int attempts = 0;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = output ? STARTF_USESTDHANDLES : 0;
  startup.hStdOutput = startup.hStdError = output;
  PROCESS_INFORMATION process{};
  std::string command = commandLine;  // CreateProcessA may write into the text
  do {
    if (attempts++ > 0) Sleep(50u << attempts);  // 200 ms, then twice as long each time
    run.started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, output ? TRUE : FALSE, 0, environment,
                                 directory, &startup, &process) != FALSE;
    run.startError = run.started ? 0 : GetLastError();
  } while (!run.started && attempts < 5 && IsPassingStartError(run.startError));
  if (!run.started) return run;
  run.ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!run.ended) {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  }
  if (!GetExitCodeProcess(process.hProcess, &run.exitCode)) run.ended = false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

ScopedEnvironment::ScopedEnvironment(std::vector<std::string> names) {
  for (const std::string& name : names) {
    char value[32768];
    DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
    const bool set = length > 0 && length < sizeof value;
    saved_.push_back({name, set, set ? std::string(value, length) : std::string()});
    SetEnvironmentVariableA(name.c_str(), nullptr);
  }
}

ScopedEnvironment::~ScopedEnvironment() {
  for (const Saved& s : saved_) SetEnvironmentVariableA(s.name.c_str(), s.set ? s.value.c_str() : nullptr);
}

}  // namespace support
