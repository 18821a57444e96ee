// The GnuPG bridge's overhead: the same 1 MiB message encrypted (and decoded) by gpg
// called directly and through the bridge, alternately in the same run. The direct call is
// the one the bridge makes, except that a decoded text goes straight to the result file, so
// that both runs leave the same file. Reported: ratio (bridge / direct, medians of wall
// time) and cpu_ratio (CPU time of the children: the bridge and its gpg, against gpg alone;
// on a busy machine it moves less than wall time).
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
#include "process_runner.h"
#include "standin_arguments.h"
#include "standin_files.h"

namespace {

namespace fs = std::filesystem;
using namespace pgp2gpg;

const size_t kMessageSize = 1u << 20;

std::string MailText() {
  static const char* const kLines[] = {
      "Thanks for the notes from Tuesday; the figures look right to me.\n",
      "- the printed agenda goes out on Monday, two days before the meeting\n",
      "> Could you check the second table once more before it is sent on?\n",
      "Best regards, and see you next week at the usual time and place.\n",
  };
  std::string text;
  for (size_t i = 0; text.size() < kMessageSize; ++i) text += kLines[i % 4];
  text.resize(kMessageSize - 1);
  return text + "\n";
}

// One home with an unprotected key, shared by the benchmarks; made on first use.
struct Setup {
  std::string gpg;
  std::unique_ptr<pgp2gpg_testing::ScratchGpgHome> home;
  fs::path dir;
  std::string message;
  bool ready = false;
};

Setup& SharedSetup() {
  static Setup setup;
  if (setup.home) return setup;
  setup.gpg = pgp2gpg_testing::InstalledGpg();
  if (setup.gpg.empty()) return setup;
  setup.home.reset(new pgp2gpg_testing::ScratchGpgHome(setup.gpg, "b"));
  if (!setup.home->Made() || !setup.home->MakeKey("Alice Bench <alice@example.test>", ""))
    return setup;
  setup.dir = fs::path(setup.home->Path()) / "transfer";
  fs::create_directories(setup.dir);
  setup.message = MailText();
  setup.ready = true;
  return setup;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
  bool ok = false;
};

Timing TimeRun(const ProcessRequest& request) {
  const double cpuBefore = ChildrenCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  ProcessOutcome outcome = RunProcess(request);
  Timing timing;
  timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  timing.cpu = ChildrenCpuSeconds() - cpuBefore;
  timing.ok = outcome.started && !outcome.timedOut && outcome.exitCode == 0;
  return timing;
}

// `prepare` puts the input in place before each run (untimed); `commandLine` is what the
// plug-in sends.
template <class Prepare>
void CompareWithGpg(benchmark::State& state, const std::vector<std::string>& commandLine,
                    Prepare prepare) {
  Setup& setup = SharedSetup();
  if (!setup.ready) {
    state.SkipWithError("gpg is not installed, or no key could be made");
    return;
  }
  standin::StandinArguments parsed;
  BridgeRequest bridgeRequest;
  std::string error;
  if (!standin::ParseStandinArguments(commandLine, parsed, error) ||
      !MakeBridgeRequest(parsed, bridgeRequest, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  GpgInvocation invocation = MakeGpgInvocation(bridgeRequest, "");
  for (size_t i = 0; i + 1 < invocation.arguments.size(); ++i) {
    if (invocation.arguments[i] == "--output" && invocation.arguments[i + 1] == "-") {
      invocation.arguments[i + 1] = bridgeRequest.resultFile;
      invocation.arguments.insert(invocation.arguments.begin() + static_cast<long>(i), "--yes");
      break;
    }
  }
  pgp2gpg_testing::ScopedVariable home("GNUPGHOME", setup.home->Path().c_str());

  ProcessRequest direct;
  direct.program = setup.gpg;
  direct.arguments = invocation.arguments;
  direct.statusChannelArgument = invocation.statusChannelArgument;
  ProcessRequest bridge;
  bridge.program = PGP2GPG_PROGRAM;
  bridge.arguments = commandLine;
  for (ProcessRequest* run : {&direct, &bridge}) {
    run->captureOutput = true;
    run->workingDirectory = setup.dir.string();
    run->timeoutMs = pgp2gpg_testing::kGpgRunLimitMs;
  }

  std::vector<double> directWall, bridgeWall;
  double directCpu = 0, bridgeCpu = 0;
  bool bridgeFirst = false;
  for (auto _ : state) {
    // Each goes first every other time, so that neither always finds the machine as the
    // other left it.
    Timing gpgAlone, throughBridge;
    for (int turn = 0; turn < 2; ++turn) {
      prepare(setup);
      if ((turn == 0) == bridgeFirst) {
        throughBridge = TimeRun(bridge);
      } else {
        gpgAlone = TimeRun(direct);
      }
    }
    bridgeFirst = !bridgeFirst;
    if (!gpgAlone.ok || !throughBridge.ok) {
      state.SkipWithError("a run failed");
      return;
    }
    directWall.push_back(gpgAlone.wall);
    bridgeWall.push_back(throughBridge.wall);
    directCpu += gpgAlone.cpu;
    bridgeCpu += throughBridge.cpu;
    state.SetIterationTime(throughBridge.wall);
  }
  state.counters["direct_ms"] = Median(directWall) * 1e3;
  state.counters["bridge_ms"] = Median(bridgeWall) * 1e3;
  state.counters["ratio"] = Median(bridgeWall) / Median(directWall);
  state.counters["cpu_ratio"] = directCpu > 0 ? bridgeCpu / directCpu : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kMessageSize));
}

void PutPlainText(Setup& setup) {
  standin::WriteFileBytes((setup.dir / "TAVIX").string(), setup.message);
}

void BM_Pgp2gpgEncrypt1MiB(benchmark::State& state) {
  CompareWithGpg(state, {"-aetw", "TAVIX", "alice"}, PutPlainText);
}
BENCHMARK(BM_Pgp2gpgEncrypt1MiB)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

void BM_Pgp2gpgDecode1MiB(benchmark::State& state) {
  Setup& setup = SharedSetup();
  std::string encrypted;
  if (setup.ready) {
    PutPlainText(setup);
    ProcessOutcome made = setup.home->Gpg({"--armor", "--textmode", "--output", "-", "--encrypt",
                                           "--recipient", "alice", (setup.dir / "TAVIX").string()});
    encrypted = made.output;
  }
  CompareWithGpg(state, {"TAVIX.asc"}, [&encrypted](Setup& s) {
    standin::WriteFileBytes((s.dir / "TAVIX.asc").string(), encrypted);
  });
}
BENCHMARK(BM_Pgp2gpgDecode1MiB)->UseManualTime()->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace
