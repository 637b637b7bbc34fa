// Saving one changed cell of a file table: a generated line-indexed file
// of 5 million lines (100 MB) is opened by a script with a Format, one cell
// is assigned and the close saves the file (the whole rewrite through a
// temporary file, synced and renamed), beside `cp` of the same file in the
// same run.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t nlines = 5'000'000;
constexpr std::int64_t linebytes = 20;

const fs::path& folder() {
  static const fs::path p = [] {
    fs::path f = fs::temp_directory_path() / "ostrel_bench_tablesave";
    fs::create_directories(f);
    return f;
  }();
  return p;
}

// The stored file, made once: lines of 20 bytes, two numbers and a comma.
const fs::path& masterfile() {
  static const fs::path path = [] {
    const fs::path p = folder() / "master.txt";
    if (!fs::exists(p) || fs::file_size(p) != static_cast<std::uintmax_t>(nlines * linebytes)) {
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
    return p;
  }();
  return path;
}

bool prepared() {
  static const bool done = [] {
    ide::install_all_builtins();
    exec::reset_all();
    return exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  }();
  return done;
}

void Cp(benchmark::State& state) {
  const fs::path copy = folder() / "copy.txt";
  const std::string command = "cp '" + masterfile().string() + "' '" + copy.string() + "'";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0 ||
        fs::file_size(copy) != static_cast<std::uintmax_t>(nlines * linebytes)) {
      state.SkipWithError("cp did not copy the file");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * nlines * linebytes);
}

// The script on a fresh copy of the stored file: opened (the line index
// built), one cell changed in the middle (or none) and closed, which saves.
void runscript(benchmark::State& state, bool change) {
  if (!prepared()) {
    state.SkipWithError("no help data");
    return;
  }
  const fs::path work = folder() / "work.txt";
  const std::string script =
      "CHARACTER F*250\nF = '" + work.string() + "'\nOPEN(FIle=F, Format=',;A;')\n" +
      (change ? "F(2500000,2) = '9999999999'\n" : "") + "READ(FIle=F, CLoSe=1)\nEND\n";
  for (auto _ : state) {
    state.PauseTiming();
    fs::copy_file(masterfile(), work, fs::copy_options::overwrite_existing);
    exec::reset_interpreter();
    const bool compiled = exec::compile_script(script).empty();
    state.ResumeTiming();
    if (!compiled || !exec::run_compiled() ||
        fs::file_size(work) != static_cast<std::uintmax_t>(nlines * linebytes)) {
      state.SkipWithError("the cell was not saved");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * nlines * linebytes);
}

void SaveOneCell(benchmark::State& state) { runscript(state, true); }
// The open and close alone: what the save adds is the difference.
void OpenAndClose(benchmark::State& state) { runscript(state, false); }

BENCHMARK(Cp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(SaveOneCell)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(OpenAndClose)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
