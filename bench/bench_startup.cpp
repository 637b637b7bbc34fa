// Benchmarks of the platform layer; subsystems add their own files here.
#include <benchmark/benchmark.h>

#include "platform/win_types.h"

static void BM_ColorPack(benchmark::State& state) {
  win::BYTE v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(win::RGB(v, v, v));
    ++v;
  }
}
BENCHMARK(BM_ColorPack);
