// SORT of a million random numbers (Vector with Index), called as the
// executor calls the statement, beside std::stable_sort of the same data
// with an index vector.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <numeric>
#include <random>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/headless_run.h"
#include "exec/optdispatch.h"
#include "numeric/sort.h"
#include "support/test_support.h"

namespace {

constexpr std::int32_t count = 1000000;

std::vector<double> randomvalues() {
  std::mt19937_64 gen(38);
  std::uniform_real_distribution<double> dist(0.0, 1.0);
  std::vector<double> v(count);
  for (double& x : v) x = dist(gen);
  return v;
}

// The arrays V and IDX of a script run, V filled with the random values;
// false when the script did not run.
bool preparearrays(std::int32_t& v, std::int32_t& idx) {
  exec::reset_all();
  if (!exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string()))
    return false;
  const std::string script =
      "DIMENSION V(" + std::to_string(count) + "), IDX(" + std::to_string(count) + ")\nEND\n";
  if (!exec::compile_script(script).empty() || !exec::run_compiled()) return false;
  if (!core::FINDSN("V", v, 0x10) || !core::FINDSN("IDX", idx, 0x10)) return false;
  const std::vector<double> values = randomvalues();
  const std::int32_t base = core::name(v).adr;
  for (std::int32_t i = 0; i < count; ++i) core::z(base + i) = values[static_cast<std::size_t>(i)];
  return true;
}

void BM_SortVectorIndex(benchmark::State& state) {
  std::int32_t v = 0, idx = 0;
  if (!preparearrays(v, idx)) {
    state.SkipWithError("the arrays could not be set up");
    return;
  }
  for (auto _ : state) {
    // SORT(Vector=V, Index=IDX): options by position, the last written first.
    exec::noptions = 2;
    exec::optkw(2) = 1;
    exec::optval(2) = v;
    exec::optkw(1) = 4;
    exec::optval(1) = idx;
    core::msgkey.blank();
    numeric::SORT({});
    benchmark::DoNotOptimize(core::z(core::name(idx).adr));
  }
  if (!core::msgkey.is_blank()) state.SkipWithError("SORT failed");
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SortVectorIndex)->Unit(benchmark::kMillisecond);

void BM_StdStableSortIndex(benchmark::State& state) {
  const std::vector<double> values = randomvalues();
  std::vector<std::int32_t> index(count);
  for (auto _ : state) {
    std::iota(index.begin(), index.end(), 0);
    std::stable_sort(index.begin(), index.end(), [&](std::int32_t a, std::int32_t b) {
      return values[static_cast<std::size_t>(a)] < values[static_cast<std::size_t>(b)];
    });
    benchmark::DoNotOptimize(index.data());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_StdStableSortIndex)->Unit(benchmark::kMillisecond);

}  // namespace
