// A strip chart point as a windowless run (ostrel RUN=) takes it: one
// LINE(X=I, Y=...) statement per point on a scrolling axis of an 800 x 600
// window, every point past the axis' end. The whole script is compiled
// and run as the program runs it; the time of the same script with a
// single point is taken off, so that what is left is the points' own
// statements: the loop, LINE, the slide of the chart and the strip drawn
// into it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "support/test_support.h"

namespace {

std::string stripchart(std::int64_t points, bool grid) {
  return "WINDOW(WINdowhandle=H, Width=-800, Height=-600)\n"
         "AXIS(WINdowhandle=H, MiN=0, MaX=100, Scroll, " +
         std::string(grid ? "Grid=3, " : "") +
         "Title='t', Yaxis, MiN=-1.2, MaX=1.2, FixmiN, FiXmax, Title='v')\n"
         "DO I = 101, " +
         std::to_string(100 + points) +
         "\n"
         "  LINE(X=I, Y=SIN(I / 7))\n"
         "ENDDO\n"
         "END\n";
}

// Seconds the windowless run of the script took; negative when it did not
// run to its end.
double runseconds(const std::string& script) {
  exec::reset_all();
  if (!exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string())) return -1.0;
  const auto start = std::chrono::steady_clock::now();
  const std::string report = exec::run_script(script);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  exec::reset_all();
  return report.find("stop=-1") == std::string::npos ? -1.0 : took.count();
}

// state.range(0): the points; state.range(1): 1 with grid lines.
void BM_StripChartPoint(benchmark::State& state) {
  ide::install_all_builtins();
  const std::int64_t points = state.range(0);
  const bool grid = state.range(1) != 0;
  const std::string many = stripchart(points, grid), one = stripchart(1, grid);
  double total = 0.0;
  for (auto _ : state) {
    const double whole = runseconds(many), alone = runseconds(one);
    if (whole < 0.0 || alone < 0.0) {
      state.SkipWithError("the strip chart did not run to its end");
      return;
    }
    state.SetIterationTime(whole - alone);
    total += whole - alone;
  }
  // Milliseconds a point, over the points after the first.
  state.counters["ms_per_point"] =
      1e3 * total / static_cast<double>(state.iterations() * (points - 1));
}
BENCHMARK(BM_StripChartPoint)
    ->Args({3001, 0})
    ->Args({3001, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
