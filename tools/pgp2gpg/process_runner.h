// The one platform layer of the bridge: start a program with an argument array (never
// through a shell), give it a status channel of its own, collect what it writes there and
// on standard output, and stop it after a time limit. posix_spawn on Linux, CreateProcessA
// on Windows. Standard input is the null device, standard error is inherited.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pgp2gpg {

const size_t kNoStatusChannel = static_cast<size_t>(-1);

struct ProcessRequest {
  std::string program;                 // a path, started as it is (no search)
  std::vector<std::string> arguments;  // after the program name
  // This argument is replaced by the number under which the child writes to the status
  // channel (a descriptor on Linux, a handle value on Windows).
  size_t statusChannelArgument = kNoStatusChannel;
  bool captureOutput = false;    // standard output into `output`; otherwise inherited
  std::string workingDirectory;  // empty: the caller's
  unsigned timeoutMs = 60000;    // then the program (and on Linux its process group) is killed
};

struct ProcessOutcome {
  bool started = false;
  std::string startError;  // why it did not start
  bool timedOut = false;
  uint32_t exitCode = 0;  // on Linux 128 + the signal for a program ended by one
  std::string status;
  std::string output;
};

ProcessOutcome RunProcess(const ProcessRequest& request);

// True when standard output is a console or terminal, so that text written there is only
// shown, not stored.
bool StandardOutputIsConsole();

// The folder of the running program on Windows, where gpg.exe may lie; empty on Linux.
std::string ProgramDirectory();

bool IsRegularFile(const std::string& path);

}  // namespace pgp2gpg
