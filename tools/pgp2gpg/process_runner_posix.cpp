#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "process_runner.h"

extern char** environ;

namespace pgp2gpg {

namespace {

// The child's status descriptor: the first free one after the standard three.
const int kChildStatusFd = 3;
// Longest pause between two looks at the child when the system cannot say when it ends.
const int kPollSliceMs = 5;
const int kOutputPipeSize = 1 << 20;
// How long the pipes are still read after the child ended: only a descendant that kept
// them open writes after that, and it is not waited for.
const int kDrainAfterExitMs = 200;

class Pipe {
 public:
  // The parent's end reads without blocking; the child's end stays blocking for the child
  // and lies above `lowestChildFd`, so that dup2 onto the child's number always copies it.
  bool Open(int lowestChildFd) {
    if (pipe2(fds_, O_CLOEXEC) != 0) return false;
    if (fds_[1] <= lowestChildFd) {
      int moved = fcntl(fds_[1], F_DUPFD_CLOEXEC, lowestChildFd + 1);
      if (moved < 0) return false;
      CloseWrite();
      fds_[1] = moved;
    }
    return fcntl(fds_[0], F_SETFL, fcntl(fds_[0], F_GETFL) | O_NONBLOCK) == 0;
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  int Read() const { return fds_[0]; }
  int Write() const { return fds_[1]; }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

// Reads what is there; false at the end of the stream.
bool Drain(int fd, std::string& into) {
  char buffer[16384];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<size_t>(n));
    } else if (n == 0) {
      return false;
    } else if (errno != EINTR) {
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
  }
}

// A descriptor that becomes readable when the child ends (Linux 5.3 and later), so that
// the end is seen at once even after the child closed its pipes; -1 where there is none.
int OpenExitNotifier(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

uint32_t ExitCodeOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return static_cast<uint32_t>(WEXITSTATUS(waitStatus));
  if (WIFSIGNALED(waitStatus)) return 128u + static_cast<uint32_t>(WTERMSIG(waitStatus));
  return 255;
}

class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

}  // namespace

ProcessOutcome RunProcess(const ProcessRequest& request) {
  ProcessOutcome outcome;
  Pipe status;
  Pipe output;
  const bool wantStatus = request.statusChannelArgument < request.arguments.size();
  if ((wantStatus && !status.Open(kChildStatusFd)) ||
      (request.captureOutput && !output.Open(kChildStatusFd))) {
    outcome.startError = std::strerror(errno);
    return outcome;
  }
  // Room for a whole message of mail size, so that the child seldom waits for this reader;
  // where the system refuses, the pipe just stays smaller.
  if (request.captureOutput) fcntl(output.Read(), F_SETPIPE_SZ, kOutputPipeSize);

  std::vector<std::string> arguments = request.arguments;
  if (wantStatus) arguments[request.statusChannelArgument] = std::to_string(kChildStatusFd);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(request.program.c_str()));
  for (std::string& argument : arguments) argv.push_back(&argument[0]);
  argv.push_back(nullptr);

  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions_, 0, "/dev/null", O_RDONLY, 0);
  if (request.captureOutput) posix_spawn_file_actions_adddup2(&setup.actions_, output.Write(), 1);
  if (wantStatus) posix_spawn_file_actions_adddup2(&setup.actions_, status.Write(), kChildStatusFd);
  if (!request.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&setup.actions_, request.workingDirectory.c_str());
  }
  // A process group of its own, so that a time-out stops whatever the program started too.
  posix_spawnattr_setflags(&setup.attributes_, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&setup.attributes_, 0);

  pid_t pid = 0;
  int error = posix_spawn(&pid, request.program.c_str(), &setup.actions_, &setup.attributes_,
                          argv.data(), environ);
  status.CloseWrite();
  output.CloseWrite();
  if (error != 0) {
    outcome.startError = std::strerror(error);
    return outcome;
  }
  outcome.started = true;
  Descriptor exitNotifier(OpenExitNotifier(pid));

  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(request.timeoutMs);
  bool statusOpen = wantStatus;
  bool outputOpen = request.captureOutput;
  int waitStatus = 0;
  bool exited = false;
  for (;;) {
    if (!exited && waitpid(pid, &waitStatus, WNOHANG) == pid) {
      exited = true;
      auto drainEnd =
          std::chrono::steady_clock::now() + std::chrono::milliseconds(kDrainAfterExitMs);
      if (drainEnd < deadline) deadline = drainEnd;
    }
    if (exited && !statusOpen && !outputOpen) break;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      if (!exited) {
        kill(-pid, SIGKILL);
        waitpid(pid, &waitStatus, 0);
        outcome.timedOut = true;
      }
      break;  // what a left-over descendant still holds open is not waited for
    }
    pollfd fds[3];
    nfds_t count = 0;
    if (statusOpen) fds[count++] = {status.Read(), POLLIN, 0};
    if (outputOpen) fds[count++] = {output.Read(), POLLIN, 0};
    if (!exited && exitNotifier.Get() >= 0) fds[count++] = {exitNotifier.Get(), POLLIN, 0};
    long wait = left.count();
    if (!exited && exitNotifier.Get() < 0 && wait > kPollSliceMs) wait = kPollSliceMs;
    if (poll(fds, count, static_cast<int>(wait)) <= 0) continue;
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == status.Read()) {
        statusOpen = Drain(status.Read(), outcome.status);
      } else if (fds[i].fd == output.Read()) {
        outputOpen = Drain(output.Read(), outcome.output);
      }  // the exit notifier: waitpid above takes the child
    }
  }
  outcome.exitCode = ExitCodeOf(waitStatus);
  return outcome;
}

bool StandardOutputIsConsole() { return isatty(1) == 1; }

std::string ProgramDirectory() { return std::string(); }

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace pgp2gpg
