// A file table of 200,000 rows sorted by its text column as a header click
// sorts it (the row index made, every cell read through the table's cell
// routine, SORT's table mode), beside GNU sort of the same file by the
// same column, in one run.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "core/runwords.h"
#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "io/rwfiles.h"
#include "platform/file_units.h"
#include "support/test_support.h"
#include "ui/tables.h"
#include "ui/tablesort.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t nrows = 200000;

// Lines of eight random capitals, a blank and a number.
const fs::path& datafile() {
  static const fs::path path = [] {
    const fs::path p = fs::temp_directory_path() / "ostrel_bench_tablesort.txt";
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    std::mt19937 gen(53);
    std::string block;
    for (std::int32_t i = 0; i < nrows; ++i) {
      for (int k = 0; k < 8; ++k) block += static_cast<char>('A' + gen() % 26);
      block += ' ' + std::to_string(gen() % 100000) + '\n';
    }
    out << block;
    return p;
  }();
  return path;
}

// The unit of the file opened as a table by a script (0 when it failed).
std::int32_t opentable() {
  ide::install_all_builtins();
  exec::reset_all();
  if (!exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string())) return 0;
  const std::string script =
      "CHARACTER F*250\nF = '" + datafile().string() + "'\nOPEN(FIle=F, Format='A8,F')\nEND\n";
  // The file stays open after the run, as while a table shows it.
  const auto closefiles = exec::closescriptfiles;
  exec::closescriptfiles = nullptr;
  const std::string compiled = exec::compile_script(script);
  const bool ran = compiled.empty() && exec::run_compiled();
  exec::closescriptfiles = closefiles;
  if (!ran) return 0;
  for (std::int32_t u = plat::unit_script_first; u <= plat::unit_script_last; ++u)
    if (io::isscriptunit(u) && io::rwfiles(u).filevar > 0 && io::rwfiles(u).coltable) return u;
  return 0;
}

void TableHeaderSort(benchmark::State& state) {
  const std::int32_t unit = opentable();
  if (unit == 0) {
    state.SkipWithError("the file could not be opened as a table");
    return;
  }
  ui::mxrec table;
  table.unit = unit;
  table.nrows = nrows;
  table.ncols = 2;
  ui::mxcur = &table;
  for (auto _ : state) {
    state.PauseTiming();
    ui::FREEMXSORTINDEX(table);
    table.sortcol = 0;
    state.ResumeTiming();
    ui::SORTMXCOLUMN(1, 0);
    if (table.sortindex.size() != static_cast<std::size_t>(nrows) || !core::msgkey.is_blank()) {
      state.SkipWithError("the table was not sorted");
      break;
    }
  }
  // The first row shown holds the smallest text, the last the largest.
  std::array<char, 8> a{}, b{};
  ui::IOCHARMXELEMENT(unit, 1, 1, a, ui::cellmode::shown);
  ui::IOCHARMXELEMENT(unit, nrows, 1, b, ui::cellmode::shown);
  if (std::string_view(a.data(), 8) > std::string_view(b.data(), 8))
    state.SkipWithError("the rows are not in order");
  ui::mxcur = nullptr;
  state.SetItemsProcessed(state.iterations() * nrows);
}

void GnuSort(benchmark::State& state) {
  const std::string command = "LC_ALL=C sort -s -k1,1 '" + datafile().string() + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("sort did not run");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * nrows);
}

BENCHMARK(GnuSort)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TableHeaderSort)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
