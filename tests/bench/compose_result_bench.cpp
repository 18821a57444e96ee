// Composing a decoded 4 MiB reply (80-character lines, '>' after every line feed) in place,
// compared with a plain memcpy of the same bytes timed in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "core/compose_result.h"

namespace {

const size_t kOutputSize = 4u << 20;

std::string EightyColumnText(size_t size) {
  std::string text;
  text.reserve(size);
  for (size_t line = 0; text.size() < size; ++line) {
    std::string row = "line " + std::to_string(line) + " ";
    row.resize(79, static_cast<char>('a' + line % 26));
    text += row;
    text += '\n';
  }
  text.resize(size);
  return text;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Mean time of one memcpy of `size` bytes between two warm buffers.
double MemcpySeconds(const char* source, size_t size) {
  std::vector<char> dest(size);
  std::memcpy(dest.data(), source, size);
  const int rounds = 50;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    std::memcpy(dest.data(), source, size);
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
  return Seconds(std::chrono::steady_clock::now() - start) / rounds;
}

void BM_ComposeResultQuoted(benchmark::State& state) {
  const std::string output = EightyColumnText(kOutputSize);
  const std::string message = "Hello,\nyou wrote:\n> " + std::string("BLOCK") + "\n> \n-- \nBye\n";
  const size_t blockStart = 20, blockEnd = 25;
  TComposePlan plan = PlanComposeResult(output.c_str(), output.size() + 1, '>', true,
                                        message.size(), blockStart, blockEnd);
  std::vector<char> block(plan.totalLength() + 1);

  const double memcpySeconds = MemcpySeconds(output.c_str(), output.size());
  double composeSeconds = 0;
  for (auto _ : state) {
    std::memcpy(block.data(), output.c_str(), output.size() + 1);  // not timed: the reset
    auto start = std::chrono::steady_clock::now();
    TComposePlan p = PlanComposeResult(block.data(), block.size(), '>', true, message.size(),
                                       blockStart, blockEnd);
    LayOutComposeResult(block.data(), p, '>', message.c_str());
    benchmark::DoNotOptimize(block.data());
    benchmark::ClobberMemory();
    auto elapsed = Seconds(std::chrono::steady_clock::now() - start);
    composeSeconds += elapsed;
    state.SetIterationTime(elapsed);
  }
  if (block[plan.beforeLength + 79] != '\n' || block[plan.beforeLength + 80] != '>') {
    state.SkipWithError("layout is wrong");
  }
  double mean = composeSeconds / static_cast<double>(state.iterations());
  state.counters["ratio_to_memcpy"] = mean / memcpySeconds;
  state.counters["memcpy_us"] = memcpySeconds * 1e6;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * output.size()));
}
BENCHMARK(BM_ComposeResultQuoted)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
