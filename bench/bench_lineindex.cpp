// The line index of a text file opened as a table: a generated file of
// 10 million lines (200 MB) opened by a script with a Format and InDeX, the
// index built anew (the counting pass, the ".i4" file written and read
// back) and then reused from the ".i4" file, beside `wc -l` on the same
// file in the same run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t nlines = 10'000'000;

// The data file, made once: lines of 20 bytes, two numbers and a comma;
// written 10 seconds back so that an index file written now counts as
// newer.
const fs::path& datafile() {
  static const fs::path path = [] {
    const fs::path p = fs::temp_directory_path() / "ostrel_bench_lines.txt";
    if (!fs::exists(p) || fs::file_size(p) != static_cast<std::uintmax_t>(nlines) * 20) {
      std::ofstream out(p, std::ios::binary);
      std::string block;
      char line[32];
      for (std::int64_t i = 0; i < nlines; ++i) {
        std::snprintf(line, sizeof line, "%08lld,%010lld\n", static_cast<long long>(i),
                      static_cast<long long>((i * 7919) % 10000000000LL));
        block += line;
        if (block.size() >= (1 << 20)) {
          out << block;
          block.clear();
        }
      }
      out << block;
    }
    fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::seconds(10));
    return p;
  }();
  return path;
}

fs::path indexfile() { return fs::path(datafile().string() + ".i4"); }

double maxrssmb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

bool openwithindex() {
  static const bool prepared = [] {
    ide::install_all_builtins();
    exec::reset_all();
    return exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  }();
  benchmark::DoNotOptimize(prepared);
  exec::reset_interpreter();
  const std::string script = "CHARACTER F*250\nF = '" + datafile().string() +
                             "'\nOPEN(FIle=F, Format=',;A;', InDeX, LENgth=L)\nEND\n";
  if (!exec::compile_script(script).empty()) return false;
  return exec::run_compiled();
}

void WcL(benchmark::State& state) {
  const std::string command = "wc -l < '" + datafile().string() + "'";
  for (auto _ : state) {
    FILE* p = popen(command.c_str(), "r");
    long long n = 0;
    if (p == nullptr || std::fscanf(p, "%lld", &n) != 1 || n != nlines) {
      if (p) pclose(p);
      state.SkipWithError("wc -l did not count the lines");
      return;
    }
    pclose(p);
  }
  state.SetBytesProcessed(state.iterations() * nlines * 20);
}

void IndexBuild(benchmark::State& state) {
  datafile();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(indexfile());
    state.ResumeTiming();
    if (!openwithindex() || fs::file_size(indexfile()) != (nlines + 1) * 4) {
      state.SkipWithError("the index was not built");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * nlines * 20);
  // The peak is the index itself (4 bytes a line) and the program: the
  // counting pass keeps one block of entries and one piece of the file.
  state.counters["maxrss_MB"] = maxrssmb();
}

void IndexReuse(benchmark::State& state) {
  if (!fs::exists(indexfile()) && !openwithindex()) {
    state.SkipWithError("no index to reuse");
    return;
  }
  // The index file one minute newer than its data.
  fs::last_write_time(indexfile(), fs::last_write_time(datafile()) + std::chrono::minutes(1));
  for (auto _ : state) {
    if (!openwithindex()) {
      state.SkipWithError("the OPEN failed");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * nlines * 20);
}

BENCHMARK(WcL)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(IndexBuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(IndexReuse)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
