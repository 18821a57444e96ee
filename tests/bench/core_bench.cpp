// The portable core on 4 MiB texts against memchr or memcpy over the same bytes, timed
// alternately in the same run, in this thread's CPU time (on a shared machine wall time
// mostly measures the neighbours). Each reports ratio = routine / baseline.
#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/armour.h"
#include "core/compose_result.h"

namespace {

const size_t kSize = 4u << 20;

// Mail-like text: lines with the odd dash and quote mark, as in signatures and lists.
std::string MailText(size_t size) {
  static const char* const kLines[] = {
      "Thanks for the notes from Tuesday; the figures look right to me.\n",
      "- the printed agenda goes out on Monday, two days before the meeting\n",
      "> Could you check the second table once more before it is sent on?\n", "-- \n",
      "Attachments follow in a separate mail; they are too large for this one.\n"};
  std::string text;
  for (size_t i = 0; text.size() < size; ++i) text += kLines[i % 5];
  return text.substr(0, size);
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// `prepare` runs untimed before each round; `sound` checks the routine's last result.
template <class Prepare, class Routine, class Baseline, class Sound>
void AgainstBaseline(benchmark::State& state, Prepare prepare, Routine routine, Baseline baseline, Sound sound) {
  double routineSeconds = 0, baselineSeconds = 0;
  for (auto _ : state) {
    prepare();
    double start = ThreadSeconds();
    routine();
    benchmark::ClobberMemory();
    const double took = ThreadSeconds() - start;
    start = ThreadSeconds();
    baseline();
    benchmark::ClobberMemory();
    baselineSeconds += ThreadSeconds() - start;
    routineSeconds += took;
    state.SetIterationTime(took);
  }
  if (!sound()) state.SkipWithError("the routine gave a wrong result");
  state.counters["ratio"] = routineSeconds / baselineSeconds;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}

// The armour search against memchr for a byte the text lacks.
void Scan(benchmark::State& state, const std::string& text, PgpFunction expected) {
  PgpFunction found = Encrypt;
  AgainstBaseline(
      state, [] {}, [&] { ArmourBlock block{}; found = FindArmourBlock(text.data(), text.size(), 0, true, &block); },
      [&] { benchmark::DoNotOptimize(memchr(text.data(), '\x01', text.size())); }, [&] { return found == expected; });
}

// A mail with one encrypted block near its end.
void BM_FindArmourBlockInMail(benchmark::State& state) {
  std::string block = "-----BEGIN PGP MESSAGE-----\n\n";
  for (int i = 0; i < 12; ++i) block += "hQEMA3goE5HkvYdfAQgApVU7PhjwbWpxTkbvqmJoyM2emKg5Bti2q9cqcSWGpQJy\n";
  block += "=AbCd\n-----END PGP MESSAGE-----\n";
  Scan(state, MailText(kSize - block.size() - 6) + block + "\nBye.\n", Decode);
}
BENCHMARK(BM_FindArmourBlockInMail)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Header-like fragments that never complete: the search's hardest case.
void BM_FindArmourBlockInHostileText(benchmark::State& state) {
  std::string text;
  while (text.size() < kSize) text += "-----BEGIN PGP_";
  Scan(state, text.substr(0, kSize), Encrypt);
}
BENCHMARK(BM_FindArmourBlockInHostileText)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A decoded reply laid out in place with '>' after every line feed, against memcpy.
void BM_ComposeResultQuoted(benchmark::State& state) {
  const std::string output = MailText(kSize), message = "Hello,\nyou wrote:\n> BLOCK\n> \n-- \nBye\n";
  const TComposePlan plan = PlanComposeResult(output.c_str(), output.size() + 1, '>', true, message.size(), 20, 25);
  std::vector<char> block(plan.totalLength() + 1), copy(output.size());
  const size_t lineFeed = plan.beforeLength + output.find('\n');
  AgainstBaseline(
      state, [&] { memcpy(block.data(), output.c_str(), output.size() + 1); },
      [&] { LayOutComposeResult(block.data(), plan, '>', message.c_str()); },
      [&] { memcpy(copy.data(), output.data(), output.size()); },
      [&] { return block[lineFeed] == '\n' && block[lineFeed + 1] == '>'; });
}
BENCHMARK(BM_ComposeResultQuoted)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
