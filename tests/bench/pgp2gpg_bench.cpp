// The GnuPG bridge's overhead: the same 1 MiB message encrypted (and decoded) by gpg called
// directly and through the bridge, alternately in the same run, each going first every
// other time. The direct call is the one the bridge makes, except that a decoded text goes
// straight to the result file, so both leave the same file. Reported: ratio (bridge /
// direct, medians of wall time) and cpu_ratio (CPU time of the children, which a busy
// machine moves less).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bridge_request.h"
#include "gpg_command.h"
#include "pgp2gpg_gpg_home.h"
#include "standin_files.h"

namespace {

namespace fs = std::filesystem;
using namespace pgp2gpg;

// One home with an unprotected key, made on first use; null without gpg.
const pgp2gpg_testing::ScratchGpgHome* Home() {
  static std::unique_ptr<pgp2gpg_testing::ScratchGpgHome> home;
  static bool tried = false;
  if (!tried) {
    tried = true;
    const std::string gpg = pgp2gpg_testing::InstalledGpg();
    if (!gpg.empty()) home.reset(new pgp2gpg_testing::ScratchGpgHome(gpg, "b"));
    if (home && !(home->Made() && home->MakeKey("Alice Bench <alice@example.test>", ""))) home.reset();
    if (home) fs::create_directories(fs::path(home->Path()) / "transfer");
  }
  return home.get();
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// `input` is written to `inputName` before each run (untimed); `commandLine` is what the
// plug-in sends.
void CompareWithGpg(benchmark::State& state, const std::vector<std::string>& commandLine, const char* inputName,
                    const std::string& input) {
  const pgp2gpg_testing::ScratchGpgHome* home = Home();
  standin::StandinArguments parsed;
  BridgeRequest request;
  std::string error;
  if (!home || input.empty()) return state.SkipWithError("gpg is not installed, or no key could be made");
  if (!standin::ParseStandinArguments(commandLine, parsed, error) || !MakeBridgeRequest(parsed, request, error))
    return state.SkipWithError(error.c_str());
  const std::string dir = (fs::path(home->Path()) / "transfer").string();
  ProcessRequest direct, bridge;
  direct.program = pgp2gpg_testing::InstalledGpg();
  const GpgInvocation invocation = MakeGpgInvocation(request, "");  // GNUPGHOME names the home
  direct.arguments = invocation.arguments;
  direct.statusChannelArgument = invocation.statusChannelArgument;
  auto pipe = std::find(direct.arguments.begin(), direct.arguments.end(), "-");
  if (pipe != direct.arguments.end()) {
    *pipe = request.resultFile;
    direct.arguments.insert(pipe - 1, "--yes");
  }
  bridge.program = PGP2GPG_PROGRAM;
  bridge.arguments = commandLine;
  setenv("GNUPGHOME", home->Path().c_str(), 1);
  std::vector<double> wall[2];  // direct, bridge
  double cpu[2] = {0, 0};
  int round = 0;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const int which = (turn + round) % 2;
      ProcessRequest& run = which ? bridge : direct;
      run.captureOutput = true;
      run.workingDirectory = dir;
      run.timeoutMs = pgp2gpg_testing::kGpgRunLimitMs;
      standin::WriteFileBytes((fs::path(dir) / inputName).string(), input);
      const double cpuBefore = ChildrenCpuSeconds();
      const auto start = std::chrono::steady_clock::now();
      const ProcessOutcome outcome = RunProcess(run);
      wall[which].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      cpu[which] += ChildrenCpuSeconds() - cpuBefore;
      if (!outcome.started || outcome.timedOut || outcome.exitCode != 0) return state.SkipWithError("a run failed");
    }
    state.SetIterationTime(wall[1].back());
    ++round;
  }
  state.counters["direct_ms"] = Median(wall[0]) * 1e3;
  state.counters["bridge_ms"] = Median(wall[1]) * 1e3;
  state.counters["ratio"] = Median(wall[1]) / Median(wall[0]);
  state.counters["cpu_ratio"] = cpu[0] > 0 ? cpu[1] / cpu[0] : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

std::string Message() {
  std::string text;
  while (text.size() < (1u << 20)) text += "Thanks for the notes from Tuesday; the figures look right to me.\n";
  return text;
}

void BM_Pgp2gpgEncrypt1MiB(benchmark::State& state) {
  CompareWithGpg(state, {"-aetw", "TAVIX", "alice"}, "TAVIX", Message());
}
BENCHMARK(BM_Pgp2gpgEncrypt1MiB)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_Pgp2gpgDecode1MiB(benchmark::State& state) {
  std::string encrypted;
  if (const pgp2gpg_testing::ScratchGpgHome* home = Home()) {
    const std::string plain = (fs::path(home->Path()) / "plain").string();
    standin::WriteFileBytes(plain, Message());
    encrypted = home->Gpg({"--armor", "--textmode", "--output", "-", "--encrypt", "--recipient", "alice", plain}).output;
  }
  CompareWithGpg(state, {"TAVIX.asc"}, "TAVIX.asc", encrypted);
}
BENCHMARK(BM_Pgp2gpgDecode1MiB)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace
