// Scanning a 4 MiB message for its armour block, compared with memchr and memcpy over the
// same bytes, timed alternately in the same run (thread CPU time). The message is mail-like text (with the
// odd dash, as in signatures and lists) and one encrypted block near its end.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/armour.h"

namespace {

const size_t kMessageSize = 4u << 20;

std::string MailText(size_t size) {
  static const char* const kLines[] = {
      "Thanks for the notes from Tuesday; the figures look right to me.\n",
      "- the printed agenda goes out on Monday, two days before the meeting\n",
      "> Could you check the second table once more before it is sent on?\n",
      "Best regards, and see you next week at the usual time and place.\n",
      "-- \n",
      "Attachments follow in a separate mail; they are too large for this one.\n",
  };
  std::string text;
  text.reserve(size);
  for (size_t i = 0; text.size() < size; ++i) text += kLines[i % 6];
  text.resize(size);
  return text;
}

std::string EncryptedBlock() {
  std::string block = "-----BEGIN PGP MESSAGE-----\n\n";
  for (int i = 0; i < 12; ++i)
    block += "hQEMA3goE5HkvYdfAQgApVU7PhjwbWpxTkbvqmJoyM2emKg5Bti2q9cqcSWGpQJy\n";
  block += "=AbCd\n-----END PGP MESSAGE-----\n";
  return block;
}

// The message: text, then the block, then a short closing text, 4 MiB in all.
std::string Message() {
  const std::string block = EncryptedBlock();
  const std::string closing = "\nBye.\n";
  return MailText(kMessageSize - block.size() - closing.size()) + block + closing;
}

// Text made only of header-like fragments that never complete: the scan's hardest case.
std::string HostileText() {
  std::string text;
  text.reserve(kMessageSize);
  while (text.size() < kMessageSize) text += "-----BEGIN PGP_";
  text.resize(kMessageSize);
  return text;
}

// CPU time of this thread: on a shared machine, wall time mostly measures the neighbours.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class Step>
double Time(Step step) {
  const double start = ThreadSeconds();
  step();
  benchmark::ClobberMemory();
  return ThreadSeconds() - start;
}

// Times the scan of `text` from its start; memchr (for a byte it lacks) and memcpy of the
// same bytes are timed in every iteration too, and the ratios reported.
void ScanAgainstMemoryRoutines(benchmark::State& state, const std::string& text,
                               PgpFunction expected) {
  std::vector<char> copy(text.size());
  double scanSeconds = 0, memchrSeconds = 0, memcpySeconds = 0;
  PgpFunction kind = Encrypt;
  for (auto _ : state) {
    ArmourBlock block{};
    const double scan = Time([&] {
      kind = FindArmourBlock(text.data(), text.size(), 0, true, &block);
      benchmark::DoNotOptimize(block);
    });
    memchrSeconds += Time([&] {
      benchmark::DoNotOptimize(memchr(text.data(), '\x01', text.size()));
    });
    memcpySeconds += Time([&] {
      memcpy(copy.data(), text.data(), text.size());
      benchmark::DoNotOptimize(copy.data());
    });
    scanSeconds += scan;
    state.SetIterationTime(scan);
  }
  if (kind != expected) state.SkipWithError("the scan found the wrong thing");
  state.counters["ratio_to_memcpy"] = scanSeconds / memcpySeconds;
  state.counters["ratio_to_memchr"] = scanSeconds / memchrSeconds;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_FindArmourBlockInMail(benchmark::State& state) {
  ScanAgainstMemoryRoutines(state, Message(), Decode);
}
BENCHMARK(BM_FindArmourBlockInMail)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_FindArmourBlockInHostileText(benchmark::State& state) {
  ScanAgainstMemoryRoutines(state, HostileText(), Encrypt);
}
BENCHMARK(BM_FindArmourBlockInHostileText)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
