// Throughput of the number writer and the number reader.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/numread.h"
#include "core/numwrite.h"

namespace {

constexpr std::array<double, 8> kValues = {1.5,       100.0,  1.0 / 3, -2.5e-7,
                                           1234.5678, 1.5e20, 0.0012,  123456789.123};

void BM_WTSID8(benchmark::State& state) {
  std::string text(23, ' ');
  std::size_t i = 0;
  for (auto _ : state) {
    core::WTSID8(text, kValues[i++ % kValues.size()], 0);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WTSID8);

void BM_WTSID8Thousands(benchmark::State& state) {
  std::string text(23, ' ');
  double v = 1234567.0;
  for (auto _ : state) {
    core::WTSID8(text, v, 1);
    benchmark::DoNotOptimize(text.data());
    v += 1.0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WTSID8Thousands);

void BM_GETR8N(benchmark::State& state) {
  core::reset_numread();
  constexpr std::array<std::string_view, 6> kTexts = {"1.5",  "  -12.5e2x", "123456789.123",
                                                      "0x1F", "abc 7",      "2.5E-7"};
  std::size_t i = 0;
  double value = 0;
  std::int32_t status = 0;
  for (auto _ : state) {
    const std::string_view t = kTexts[i++ % kTexts.size()];
    std::int32_t position = -1;
    core::GETR8N(t, static_cast<std::int32_t>(t.size()), value, position, status);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GETR8N);

void BM_GETR8NList(benchmark::State& state) {
  core::reset_numread();
  std::string list;
  for (int k = 0; k < 100; ++k) list += std::to_string(k) + ".25, ";
  std::array<double, 100> values{};
  for (auto _ : state) {
    std::int32_t position = 1;
    benchmark::DoNotOptimize(core::R8VECTORREAD(list, static_cast<std::int32_t>(list.size()), "\r",
                                                values, 100, position));
  }
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_GETR8NList);

}  // namespace
