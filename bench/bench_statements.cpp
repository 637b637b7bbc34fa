// Simple statements per second: script loops compiled and run end to end
// as the RUN command runs them (without a display). The same loops in Lua
// and Python lie in bench/compare/ (see bench/README.md).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/kompia.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "exec/alarms.h"
#include "exec/assign.h"
#include "exec/builtins.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq.h"
#include "exec/xeq2.h"

namespace {

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

std::string withcrlf(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void resetall() {
  core::reset_editbuffer();
  core::reset_stores();
  core::reset_runwords();
  core::reset_symbols();
  core::reset_program();
  core::reset_kompil();
  core::reset_tokenizer();
  exec::reset_xeq();
  exec::reset_xeq2();
  exec::reset_postfix();
  exec::reset_tempstrings();
  exec::reset_operands();
  exec::reset_alarms();
  exec::reset_assign();
  exec::reset_builtins();
  exec::installexecutor();
  exec::xeq3 = &exec::XEQ3;
  // The compile's progress window is a section of the help data file.
  static const bool indexed = [] {
    const std::string help =
        (std::filesystem::path(__FILE__).parent_path().parent_path() / "data" / "Ostrel.hlp")
            .string();
    core::helppath.set(help);
    core::CHECKSUM(help);
    return true;
  }();
  benchmark::DoNotOptimize(indexed);
}

// Compiles and runs the script with N = n; false when it did not run to
// its end.
bool runscript(std::string_view script, std::int64_t n) {
  resetall();
  const std::string text = withcrlf("N = " + std::to_string(n) + "\n" + std::string(script));
  core::idecmd = -1;
  core::edflags = 7;
  core::edvars(core::edv::curline) = 1;
  core::loadeditbuffer(text);
  core::xeqmode = 0;
  std::int32_t mode = 0;
  std::array<char, 256> buf{};
  buf.fill(' ');
  core::KOMPIA(buf, mode);
  if (core::xeqstop != 0) return false;
  core::xeqmode = 4 | 8;
  core::xeqline = 1;
  buf.fill(' ');
  core::KOMPIL(buf);
  return core::xeqstop == -1;
}

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

}  // namespace
