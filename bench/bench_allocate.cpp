// ALLOCATE in a loop: a text grown by one character a pass, and an array
// grown by 1,000 elements a pass, each for N passes, run end to end as the
// RUN command runs a script (without a display). A pass moves the old
// characters or elements once; the counters give the time per pass and
// per element moved, which should stay flat as N doubles.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "script_run.h"

namespace {

using bench::runscript;

constexpr std::string_view growtext =
    "CHARACTER S*1\n"
    "DO I = 1, N\n"
    "  K = ALLOCATE(S, I)\n"
    "ENDDO\n"
    "END\n";
constexpr std::string_view growarray =
    "DIMENSION A(1000)\n"
    "DO I = 1, N\n"
    "  K = ALLOCATE(A, 1000 * I)\n"
    "ENDDO\n"
    "END\n";

// moved: elements the N passes move in all (the old ones of each pass).
void growloop(benchmark::State& state, std::string_view script, double moved) {
  const std::int64_t n = state.range(0);
  for (auto _ : state) {
    if (!runscript(script, n)) {
      state.SkipWithError("the script did not run to its end");
      return;
    }
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["pass"] = benchmark::Counter(runs * static_cast<double>(n),
                                              benchmark::Counter::kIsRate |
                                                  benchmark::Counter::kInvert);
  state.counters["moved"] = benchmark::Counter(
      runs * moved, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_AllocateGrowText(benchmark::State& state) {
  const auto n = static_cast<double>(state.range(0));
  growloop(state, growtext, n * (n - 1) / 2);
}
BENCHMARK(BM_AllocateGrowText)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_AllocateGrowArray(benchmark::State& state) {
  const auto n = static_cast<double>(state.range(0));
  growloop(state, growarray, 1000.0 * n * (n - 1) / 2);
}
BENCHMARK(BM_AllocateGrowArray)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
