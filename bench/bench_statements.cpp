// Simple statements per second: script loops compiled and run end to end
// as the RUN command runs them (without a display), with the program's
// input step. The same loops in Lua
// and Python lie in bench/compare/ (see bench/README.md).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "exec/headless_run.h"
#include "ide/panlio.h"
#include "support/test_support.h"
#include "script_run.h"

bool bench::runscript(std::string_view script, std::int64_t n) {
  // The help data file is indexed once: the compile's progress window is
  // one of its sections.
  static const bool prepared = [] {
    // The program's own input step runs after every statement.
    ide::install_inputstep();
    exec::reset_all();
    return exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  }();
  benchmark::DoNotOptimize(prepared);
  exec::reset_interpreter();
  if (!exec::compile_script("N = " + std::to_string(n) + "\n" + std::string(script)).empty())
    return false;
  return exec::run_compiled();
}

namespace {

using bench::runscript;

// The loops; N is set before each run. Each loop's body statements and
// its loop statement count as the statements it runs.
constexpr std::string_view scalarloop =
    "S = 0\n"
    "DO I = 1, N\n"
    "  S = S + I\n"
    "ENDDO\n"
    "END\n";
constexpr std::string_view nestedloops =
    "S = 0\n"
    "M = N / 100\n"
    "DO I = 1, M\n"
    "  DO J = 1, 100\n"
    "    S = S + J\n"
    "  ENDDO\n"
    "ENDDO\n"
    "END\n";
constexpr std::string_view arrayupdates =
    "DIMENSION A(100)\n"
    "K = 1\n"
    "DO I = 1, N\n"
    "  A(K) = A(K) + I\n"
    "  K = K + 1\n"
    "  IF (K > 100) K = 1\n"
    "ENDDO\n"
    "END\n";
constexpr std::string_view functioncalls =
    "GOTO 10\n"
    "FUNCTION TWICE(Q)\n"
    "  TWICE = Q * 2 + 1\n"
    "END\n"
    "10 S = 0\n"
    "DO I = 1, N\n"
    "  S = S + TWICE(I)\n"
    "ENDDO\n"
    "END\n";


void runloop(benchmark::State& state, std::string_view script, std::int64_t perpass) {
  const std::int64_t n = state.range(0);
  for (auto _ : state) {
    if (!runscript(script, n)) {
      state.SkipWithError("the script did not run to its end");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * n * perpass);
  state.counters["statements/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * n * perpass), benchmark::Counter::kIsRate);
}

// Statements per pass: the body and the ENDDO.
void BM_ScalarLoop(benchmark::State& state) { runloop(state, scalarloop, 2); }
BENCHMARK(BM_ScalarLoop)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_NestedLoops(benchmark::State& state) { runloop(state, nestedloops, 2); }
BENCHMARK(BM_NestedLoops)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ArrayUpdates(benchmark::State& state) { runloop(state, arrayupdates, 4); }
BENCHMARK(BM_ArrayUpdates)->Arg(100000)->Unit(benchmark::kMillisecond);

// The call, the function's two statements and the ENDDO.
void BM_FunctionCalls(benchmark::State& state) { runloop(state, functioncalls, 4); }
BENCHMARK(BM_FunctionCalls)->Arg(100000)->Unit(benchmark::kMillisecond);

// The loop shapes of bench/compare/shapes (the ones compare.sh times beside
// CPython and Lua), each with N = 100000, in loop passes per second. They
// run in a folder of their own under the temporary folder (some write
// files).
const bool shapes = [] {
  namespace fs = std::filesystem;
  const fs::path dir = testsupport::source_dir() / "bench" / "compare" / "shapes";
  const fs::path work = fs::temp_directory_path() / "ostrel_bench_shapes";
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    if (e.path().extension() != ".ost") continue;
    std::ifstream in(e.path());
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    benchmark::RegisterBenchmark(("BM_Shape/" + e.path().stem().string()).c_str(),
                                 [text, work](benchmark::State& state) {
                                   std::error_code made;
                                   fs::create_directories(work, made);
                                   fs::current_path(work, made);
                                   const std::int64_t n = state.range(0);
                                   for (auto _ : state)
                                     if (!runscript(text, n)) {
                                       state.SkipWithError("the script did not run to its end");
                                       return;
                                     }
                                   state.counters["passes/s"] = benchmark::Counter(
                                       static_cast<double>(state.iterations() * n),
                                       benchmark::Counter::kIsRate);
                                 })
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
