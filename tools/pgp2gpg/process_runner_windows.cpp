#include <windows.h>

#include <vector>

#include "process_runner.h"
#include "windows_command_line.h"

namespace pgp2gpg {

namespace {

// Longest pause between two looks at the pipes while the child runs. The pipes are read
// between the pauses, so they are large: a child writing a message of mail size never
// waits for the reader.
const DWORD kWaitSliceMs = 10;
const DWORD kPipeBufferSize = 1u << 20;

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  HANDLE Get() const { return handle_; }
  HANDLE* Receive() { return &handle_; }
  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (Valid()) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

std::string ErrorText(DWORD code) {
  char text[256] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
    text[--length] = '\0';
  return "error " + std::to_string(code) + (length > 0 ? std::string(": ") + text : std::string());
}

// A pipe whose write end the child inherits and whose read end stays here.
bool OpenInheritedPipe(Handle& read, Handle& write) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(read.Receive(), write.Receive(), &inherit, kPipeBufferSize)) return false;
  return SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0) != 0;
}

// An inheritable copy of one of our standard handles, or the null device.
HANDLE InheritableCopy(DWORD which, HANDLE nullDevice) {
  HANDLE own = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (own == nullptr || own == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    DuplicateHandle(GetCurrentProcess(), nullDevice, GetCurrentProcess(), &copy, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
  }
  return copy;
}

// Reads what the pipe holds without blocking; false once the writers are gone.
bool Drain(HANDLE pipe, std::string& into) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) return true;
    std::vector<char> buffer(available);
    DWORD read = 0;
    if (!ReadFile(pipe, buffer.data(), available, &read, nullptr)) return false;
    into.append(buffer.data(), read);
  }
}

}  // namespace

ProcessOutcome RunProcess(const ProcessRequest& request) {
  ProcessOutcome outcome;
  const bool wantStatus = request.statusChannelArgument < request.arguments.size();
  Handle statusRead, statusWrite, outputRead, outputWrite;
  if ((wantStatus && !OpenInheritedPipe(statusRead, statusWrite)) ||
      (request.captureOutput && !OpenInheritedPipe(outputRead, outputWrite))) {
    outcome.startError = ErrorText(GetLastError());
    return outcome;
  }
  std::vector<std::string> arguments = request.arguments;
  // gpg for Windows takes a handle value where Unix takes a descriptor number.
  if (wantStatus) {
    arguments[request.statusChannelArgument] = std::to_string(
        static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(statusWrite.Get())));
  }
  std::string commandLine;
  if (!BuildWindowsCommandLine(request.program, arguments, commandLine, outcome.startError))
    return outcome;
  std::vector<char> commandBuffer(commandLine.begin(), commandLine.end());
  commandBuffer.push_back('\0');

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  Handle nullDevice(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                                nullptr));
  Handle childError(InheritableCopy(STD_ERROR_HANDLE, nullDevice.Get()));
  Handle childOutput;
  if (!request.captureOutput)
    *childOutput.Receive() = InheritableCopy(STD_OUTPUT_HANDLE, nullDevice.Get());

  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullDevice.Get();
  startup.hStdOutput = request.captureOutput ? outputWrite.Get() : childOutput.Get();
  startup.hStdError = childError.Get();
  PROCESS_INFORMATION process;
  ZeroMemory(&process, sizeof process);
  BOOL created = CreateProcessA(
      request.program.c_str(), commandBuffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
      request.workingDirectory.empty() ? nullptr : request.workingDirectory.c_str(), &startup,
      &process);
  DWORD createError = GetLastError();
  statusWrite.Close();
  outputWrite.Close();
  childOutput.Close();
  childError.Close();
  if (!created) {
    outcome.startError = ErrorText(createError);
    return outcome;
  }
  outcome.started = true;
  CloseHandle(process.hThread);
  Handle child(process.hProcess);

  const DWORD start = GetTickCount();  // differences of tick counts survive the wrap-around
  bool statusOpen = wantStatus;
  bool outputOpen = request.captureOutput;
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    DWORD left = elapsed >= request.timeoutMs ? 0 : request.timeoutMs - elapsed;
    DWORD waited = WaitForSingleObject(child.Get(), left < kWaitSliceMs ? left : kWaitSliceMs);
    if (statusOpen) statusOpen = Drain(statusRead.Get(), outcome.status);
    if (outputOpen) outputOpen = Drain(outputRead.Get(), outcome.output);
    if (waited == WAIT_OBJECT_0) break;  // all it wrote is in the pipes and was read above
    if (waited != WAIT_TIMEOUT || GetTickCount() - start >= request.timeoutMs) {
      TerminateProcess(child.Get(), 255);
      WaitForSingleObject(child.Get(), INFINITE);
      outcome.timedOut = true;
      break;
    }
  }
  DWORD exitCode = 255;
  GetExitCodeProcess(child.Get(), &exitCode);
  outcome.exitCode = exitCode;
  return outcome;
}

bool StandardOutputIsConsole() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  std::string directory(path, length);
  size_t slash = directory.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : directory.substr(0, slash);
}

bool IsRegularFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace pgp2gpg
