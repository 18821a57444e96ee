// A throw-away GnuPG home for the bridge's tests and benchmarks: a short folder under /tmp
// (gpg-agent's socket path has a length limit), keys made in batch mode, every gpg run
// bounded in time, and the agent stopped and the folder removed at the end.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gpg_setup.h"
#include "process_runner.h"

namespace pgp2gpg_testing {

const unsigned kGpgRunLimitMs = 60000;

// gpg as the bridge finds it on PATH; empty when it is not installed.
inline std::string InstalledGpg() {
  std::string program, tried;
  auto path = [](const char* name, std::string& value) {
    value = std::string(name) == "PATH" && getenv(name) ? getenv(name) : "";
    return !value.empty();
  };
  return pgp2gpg::FindGpgProgram(path, pgp2gpg::IsRegularFile, {':', "/", "gpg", ""}, program, tried) ? program : "";
}

class ScratchGpgHome {
 public:
  ScratchGpgHome(const std::string& gpg, const char* tag) : gpg_(gpg) {
    std::string name = std::string("/tmp/p2g") + tag + "-XXXXXX";
    if (mkdtemp(&name[0]) == nullptr) return;
    path_ = name;
    // No pinentry can run: a key that needs a passphrase fails at once instead of asking.
    std::ofstream(path_ + "/gpg-agent.conf") << "pinentry-program /nonexistent/pinentry\n";
    std::ofstream(path_ + "/gpg.conf") << "auto-key-locate local\nno-auto-key-retrieve\n";
  }
  ~ScratchGpgHome() {
    if (path_.empty()) return;
    pgp2gpg::ProcessRequest kill;
    kill.program = (std::filesystem::path(gpg_).parent_path() / "gpgconf").string();
    kill.arguments = {"--homedir", path_, "--kill", "gpg-agent"};
    if (pgp2gpg::IsRegularFile(kill.program)) pgp2gpg::RunProcess(kill);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchGpgHome(const ScratchGpgHome&) = delete;

  bool Made() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }

  // gpg in this home, in batch mode, with its standard output captured.
  pgp2gpg::ProcessOutcome Gpg(const std::vector<std::string>& arguments) const {
    pgp2gpg::ProcessRequest run;
    run.program = gpg_;
    run.arguments = {"--homedir", path_, "--batch", "--no-tty"};
    run.arguments.insert(run.arguments.end(), arguments.begin(), arguments.end());
    run.captureOutput = true;
    run.timeoutMs = kGpgRunLimitMs;
    return RunProcess(run);
  }
  bool Succeeds(const std::vector<std::string>& arguments) const {
    const pgp2gpg::ProcessOutcome run = Gpg(arguments);
    return run.started && !run.timedOut && run.exitCode == 0;
  }
  // An ed25519 signing key with a cv25519 encryption subkey; an empty passphrase leaves
  // it unprotected.
  bool MakeKey(const std::string& userId, const std::string& passphrase) const {
    return Succeeds({"--pinentry-mode", "loopback", "--passphrase", passphrase, "--quick-gen-key", userId,
                     "future-default", "default", "never"});
  }

 private:
  std::string gpg_, path_;
};

}  // namespace pgp2gpg_testing
