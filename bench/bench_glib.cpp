// One non-blocking iteration of an idle GLib main context: what the pump of
// a GLib program costs when nothing is pending, beside the toolkit's
// (bench_toolkit.cpp).
#include <benchmark/benchmark.h>
#include <glib.h>

namespace {

void BM_GLibIdleIteration(benchmark::State& state) {
  GMainContext* context = g_main_context_new();
  for (auto _ : state) benchmark::DoNotOptimize(g_main_context_iteration(context, FALSE));
  g_main_context_unref(context);
}
BENCHMARK(BM_GLibIdleIteration);

}  // namespace
