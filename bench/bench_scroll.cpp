// A scroll window's file: counting the lines of a 100 MB text file and
// jumping to its middle line, beside `wc -l` on the same file (page cache
// warm for both).
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "toolkit/memory.h"
#include "toolkit/records.h"
#include "toolkit/scroll_files.h"

namespace {

// Made once per run: lines of 0 to 120 characters ending in CR LF.
const std::string& big_file() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / "ostrel_bench_scroll.txt").string();
    std::ofstream out(p, std::ios::binary);
    std::mt19937 random(1);
    std::string line;
    std::size_t written = 0;
    while (written < 100u * 1000 * 1000) {
      line.assign(random() % 121, 'a');
      for (char& c : line) c = static_cast<char>('a' + random() % 26);
      line += "\r\n";
      out << line;
      written += line.size();
    }
    return p;
  }();
  return path;
}

// The big file opened as a scroll window opens it (counted once).
toolkit::scroll_data_t opened() {
  const std::string& path = big_file();
  toolkit::scroll_data_t scroll;
  toolkit::copy_scroll_file_name(scroll, path.c_str(), static_cast<int>(path.size()));
  toolkit::OPEN_SCROLL_FILE(nullptr, scroll);
  return scroll;
}

void BM_CountLinesAndJumpToTheMiddle(benchmark::State& state) {
  toolkit::scroll_data_t scroll = opened();
  for (auto _ : state) {
    scroll.last_write_time = 0;
    toolkit::COUNT_SCROLL_LINES(scroll);
    toolkit::SEEK_SCROLL_LINE(scroll, scroll.lines / 2);
    benchmark::DoNotOptimize(scroll.current_line);
  }
  state.counters["lines"] = scroll.lines;
  toolkit::FREE_SCROLL_FILE(nullptr, scroll);
}
BENCHMARK(BM_CountLinesAndJumpToTheMiddle)->Unit(benchmark::kMillisecond);

void BM_CountLinesOnly(benchmark::State& state) {
  toolkit::scroll_data_t scroll = opened();
  for (auto _ : state) {
    scroll.last_write_time = 0;
    benchmark::DoNotOptimize(toolkit::COUNT_SCROLL_LINES(scroll));
  }
  toolkit::FREE_SCROLL_FILE(nullptr, scroll);
}
BENCHMARK(BM_CountLinesOnly)->Unit(benchmark::kMillisecond);

void BM_WcLines(benchmark::State& state) {
  const std::string command = "wc -l < '" + big_file() + "'";
  for (auto _ : state) {
    FILE* wc = popen(command.c_str(), "r");
    char out[64] = {};
    benchmark::DoNotOptimize(fgets(out, sizeof out, wc));
    pclose(wc);
  }
}
BENCHMARK(BM_WcLines)->Unit(benchmark::kMillisecond);

}  // namespace
