// Console front of the PGP stand-in: takes the command line and the environment, applies the
// faults tests ask for, and writes the result file that the portable part computed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "standin_arguments.h"
#include "standin_command_line.h"
#include "standin_faults.h"
#include "standin_files.h"
#include "standin_log.h"
#include "standin_run.h"
#include "standin_usage.h"

using namespace standin;

namespace {

// Longest wait of the delayed writer for its parent; guards against a reused process id.
const DWORD kParentWaitLimitMs = 10000;
// Longest time the delayed writer keeps the staged name while the result is still there.
const DWORD kStagedNameLimitMs = 10000;
const DWORD kPollMs = 50;
// Starts of the delayed writer tried, 200 ms, 400 ms, ... apart.
const int kStartAttempts = 5;
const DWORD kStartRetryMs = 100;

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : std::string();
}

bool ReadEnvironment(const char* name, std::string& value) {
  value.clear();
  SetLastError(ERROR_SUCCESS);
  DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
  if (needed == 0) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;  // set but empty
  std::vector<char> buffer(needed + 1);
  DWORD length = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  value.assign(buffer.data(), length);
  return true;
}

std::string CurrentDirectory() {
  DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return std::string();
  std::vector<char> buffer(needed + 1);
  DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  return length == 0 || length >= buffer.size() ? std::string() : std::string(buffer.data(), length);
}

void AppendInvocationRecord(const std::string& logFile, const std::string& commandLine) {
  InvocationRecord record;
  record.commandLine = commandLine;
  record.currentDirectory = CurrentDirectory();
  record.pgpPathSet = ReadEnvironment("PGPPATH", record.pgpPath);
  if (!AppendFileBytes(logFile, FormatInvocationRecord(record))) {
    std::fprintf(stderr, "pgp stand-in: cannot append to the log file \"%s\"\n", logFile.c_str());
  }
}

// Ends the process with the fault's own code at once: without it Wine hands the fault to its
// debugger first, which on a loaded machine can hang the caller's wait for minutes.
LONG WINAPI EndWithTheFaultsCode(EXCEPTION_POINTERS* fault) {
  TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void Crash() {
  // No error dialog and no debugger: the exit code alone tells the caller.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndWithTheFaultsCode);
  std::fflush(stdout);
  std::fflush(stderr);
  int* volatile nowhere = nullptr;
  *nowhere = 1;
  ExitProcess(EXCEPTION_ACCESS_VIOLATION);  // not reached: the write above faults
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

// Writes the result under a temporary name and starts a detached copy of this program that
// puts it in place once this process has ended and `delayMs` more have passed.
bool StageDelayedResult(const std::string& resultPath, const std::string& bytes, uint32_t delayMs) {
  // Full names: the writer runs in its own directory, so that it holds no handle on this one.
  const std::string path = FullPath(resultPath);
  if (path.empty()) {
    std::fprintf(stderr, "pgp stand-in: no full path for \"%s\"\n", resultPath.c_str());
    return false;
  }
  const std::string staged = path + ".delayed";
  if (!WriteFileBytes(staged, bytes)) {
    std::fprintf(stderr, "pgp stand-in: cannot write \"%s\"\n", staged.c_str());
    return false;
  }
  DeleteFileA(path.c_str());  // the result must not be there before its time

  char self[MAX_PATH];
  DWORD selfLength = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string command;
  std::string selfDirectory;
  if (selfLength > 0 && selfLength < sizeof self) {
    selfDirectory.assign(self, selfLength);
    selfDirectory.erase(selfDirectory.find_last_of('\\') + 1);
    command = Quote(self) + " " + kDelayedWriterSwitch + " " + std::to_string(GetCurrentProcessId()) +
              " " + std::to_string(delayMs) + " " + Quote(staged) + " " + Quote(path);
  }
  std::vector<char> commandBuffer(command.begin(), command.end());
  commandBuffer.push_back('\0');
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  // Wine now and then refuses a start on a loaded machine (a child that died while being set
  // up: ERROR_INTERNAL_ERROR); a few more tries, growing apart, get past that.
  bool started = false;
  for (int attempt = 0; !command.empty() && !started && attempt < kStartAttempts; ++attempt) {
    if (attempt > 0) Sleep(kStartRetryMs << attempt);
    started = CreateProcessA(nullptr, commandBuffer.data(), nullptr, nullptr, FALSE,
                             DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP, nullptr, selfDirectory.c_str(), &startup,
                             &process) != FALSE;
    if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
  }
  if (!started) {
    std::fprintf(stderr, "pgp stand-in: cannot start the delayed writer (error %lu)\n",
                 static_cast<unsigned long>(GetLastError()));
    WipeAndRemoveFile(staged);
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("Result file %s appears %lu ms after exit (TAVIX_PGP_DELAY_MS).\n", path.c_str(),
              static_cast<unsigned long>(delayMs));
  return true;
}

// The hidden copy started by StageDelayedResult: <switch> <parent id> <ms> <staged> <result>.
// The result appears as a hard link to the staged file: a rename would keep a handle with
// delete access open on the new name for a moment, and a reader that does not share delete
// (as PGP's callers open their result) would meet a sharing violation. The staged name goes
// once the reader has removed the result, or after a time limit.
int RunDelayedWriter(const std::vector<std::string>& args) {
  uint32_t parentId = 0;
  uint32_t delayMs = 0;
  if (args.size() != 5 || !ParseNumber(args[1], parentId) || !ParseNumber(args[2], delayMs)) {
    return ExitBadArgument;
  }
  const std::string& staged = args[3];
  const std::string& result = args[4];
  HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, parentId);
  if (parent != nullptr) {
    WaitForSingleObject(parent, kParentWaitLimitMs);
    CloseHandle(parent);
  }
  Sleep(delayMs);
  if (!CreateHardLinkA(result.c_str(), staged.c_str(), nullptr)) {
    // No hard links on this volume, or the name was taken meanwhile: a rename still works.
    if (MoveFileExA(staged.c_str(), result.c_str(), MOVEFILE_REPLACE_EXISTING)) return ExitOk;
    WipeAndRemoveFile(staged);  // no stray copy of the result may stay behind
    return ExitFileError;
  }
  for (DWORD waited = 0; waited < kStagedNameLimitMs && FileExists(result); waited += kPollMs) Sleep(kPollMs);
  // Only the name goes, never the bytes: they are the result's, which its reader may still
  // hold, have wiped already, or have moved elsewhere. A reader holding it open only delays it.
  for (DWORD waited = 0; !DeleteFileA(staged.c_str()) && FileExists(staged); waited += kPollMs) {
    if (waited >= kStagedNameLimitMs) return ExitFileError;
    Sleep(kPollMs);
  }
  return ExitOk;
}

// Writes (or, as the faults ask, withholds, shortens or delays) the result file.
bool DeliverResult(const StandinResult& result, const FaultSettings& faults) {
  if (faults.noResult) {
    std::printf("No result file written (TAVIX_PGP_NO_RESULT).\n");
    return true;
  }
  const std::string bytes = faults.shortResult ? ShortResult(result.resultBytes) : result.resultBytes;
  if (faults.delay) return StageDelayedResult(result.resultPath, bytes, faults.delayMs);
  if (!WriteFileBytes(result.resultPath, bytes)) {
    std::fprintf(stderr, "pgp stand-in: cannot write the result file \"%s\"\n", result.resultPath.c_str());
    return false;
  }
  return true;
}

int Run(const std::vector<std::string>& args, const FaultSettings& faults) {
  std::printf("Tavix PGP stand-in - a test tool, NOT real cryptography.\n");
  if (args.empty()) {
    std::fputs(StandinUsageText(), stdout);
    return ExitBadArgument;
  }
  StandinArguments parsed;
  std::string error;
  if (!ParseStandinArguments(args, parsed, error)) {
    std::fprintf(stderr, "pgp stand-in: %s (pgp -h shows the usage)\n", error.c_str());
    return ExitBadArgument;
  }
  if (parsed.help) {
    std::fputs(StandinUsageText(), stdout);
    return ExitOk;
  }
  std::string keyRingDirectory;
  ReadEnvironment("PGPPATH", keyRingDirectory);
  StandinResult result = RunStandin(parsed, keyRingDirectory);
  std::fputs(result.report.c_str(), stdout);
  if (result.exitCode != ExitOk) {
    std::fprintf(stderr, "pgp stand-in: %s\n", result.error.c_str());
    return result.exitCode;
  }
  if (result.hasResult && !DeliverResult(result, faults)) return ExitFileError;
  if (result.wipeInput) {
    if (WipeAndRemoveFile(parsed.inputFile)) {
      std::printf("File %s wiped and deleted.\n", parsed.inputFile.c_str());
    } else {
      std::fprintf(stderr, "pgp stand-in: cannot wipe \"%s\"\n", parsed.inputFile.c_str());
      return ExitFileError;
    }
  }
  return ExitOk;
}

}  // namespace

int main() {
  const std::string commandLine = GetCommandLineA();
  const std::vector<std::string> args = SplitArguments(ArgumentText(commandLine));
  if (!args.empty() && args[0] == kDelayedWriterSwitch) return RunDelayedWriter(args);

  FaultSettings faults;
  std::string faultError;
  bool faultsUnderstood = ReadFaultSettings(ReadEnvironment, faults, faultError);
  if (!faults.logFile.empty()) AppendInvocationRecord(faults.logFile, commandLine);
  if (!faultsUnderstood) {
    std::fprintf(stderr, "pgp stand-in: %s\n", faultError.c_str());
    return ExitBadArgument;
  }
  if (faults.crash) Crash();

  int exitCode = Run(args, faults);
  std::fflush(stdout);
  std::fflush(stderr);
  return faults.forceExit ? static_cast<int>(faults.exitCode) : exitCode;
}
