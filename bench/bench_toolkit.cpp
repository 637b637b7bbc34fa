// The message pump a running script calls between two statements, with
// nothing pending: without a display and on an X server (a private Xvfb),
// beside the idle check the input step made before the toolkit, and beside
// one non-blocking iteration of an idle GLib main context, the pump of the
// usual Linux toolkits (bench_glib.cpp, apart because GLib's TRUE and FALSE
// are macros).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/backend.h"
#include "platform/win_queue_idle.h"
#include "support/xvfb_server.h"
#include "toolkit/entry.h"
#include "toolkit/loops.h"
#include "toolkit/windows.h"

namespace {

// A toolkit main window, shown and painted, so that the pump has a real
// window to look after (on the back end in force).
void make_main_window() {
  toolkit::reset_toolkit();
  const int width = 400, height = 300;
  toolkit::CREATE_WINDOW("Bench", 5, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr,
                         nullptr, nullptr, &width, &height, nullptr, nullptr, 0, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
  toolkit::PROCESS_MESSAGES();
}

void BM_ProcessMessagesHeadless(benchmark::State& state) {
  plat::reset_windows();
  make_main_window();
  for (auto _ : state) benchmark::DoNotOptimize(toolkit::PROCESS_MESSAGES());
  plat::reset_windows();
}
BENCHMARK(BM_ProcessMessagesHeadless);

void BM_IdleCheckBeforeTheToolkit(benchmark::State& state) {
  plat::reset_windows();
  make_main_window();
  for (auto _ : state) benchmark::DoNotOptimize(win::queue_idle());
  plat::reset_windows();
}
BENCHMARK(BM_IdleCheckBeforeTheToolkit);

// A peek at an empty queue (a shown, painted window on the headless back
// end), without the idle test before it.
void BM_PeekEmptyQueueHeadless(benchmark::State& state) {
  plat::reset_windows();
  make_main_window();
  win::MSG msg;
  for (auto _ : state)
    benchmark::DoNotOptimize(win::PeekMessageA(&msg, nullptr, 0, 0, win::PM_REMOVE));
  plat::reset_windows();
}
BENCHMARK(BM_PeekEmptyQueueHeadless);

// The input step's check before the toolkit: the idle test, then one peek.
bool idle_check() {
  win::MSG msg;
  return win::queue_idle() || !win::PeekMessageA(&msg, nullptr, 0, 0, win::PM_REMOVE);
}

// Runs `pump` with a main window on the test X server.
template <class Pump>
void on_xvfb(benchmark::State& state, Pump pump) {
  plat::reset_windows();
  std::string why;
  const std::string display = testsupport::xvfb_display(&why);
  if (display.empty() || !plat::use_display(display.c_str()).empty()) {
    state.SkipWithError(("no X server: " + why).c_str());
    return;
  }
  make_main_window();
  for (auto _ : state) benchmark::DoNotOptimize(pump());
  plat::close_display();
  plat::reset_windows();
}

void BM_ProcessMessagesOnXvfb(benchmark::State& state) {
  on_xvfb(state, toolkit::PROCESS_MESSAGES);
}
BENCHMARK(BM_ProcessMessagesOnXvfb);

void BM_IdleCheckBeforeTheToolkitOnXvfb(benchmark::State& state) { on_xvfb(state, idle_check); }
BENCHMARK(BM_IdleCheckBeforeTheToolkitOnXvfb);

}  // namespace
