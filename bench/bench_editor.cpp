// The script editor's time from a key to the screen on a script of 5,000
// lines: the IDE runs headless (as its tests run it, with the virtual
// clock) with a generated script in its editor; a key is pressed when the
// editor waits, and the time runs until the key and everything it brought
// (the redraw, the window's paint) has been handled and the queue is empty,
// when the next tick of the IDE's timer arrives. Page Down walks the script
// from the top to its end (Ctrl+Home, not timed, brings it back), Page Up
// from its end to the top, and a typed character is typed into a line in
// the middle of the script (Backspace, not timed, takes it away again).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "core/stores.h"
#include "exec/headless_run.h"
#include "ide/builtins_install.h"
#include "ide/editorwords.h"
#include "ide/fe_control.h"
#include "ide/fe_main.h"
#include "ide/idewords.h"
#include "platform/backend.h"
#include "platform/clocks.h"
#include "platform/win_commdlg.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
#include "toolkit/entry.h"
#include "toolkit/services.h"
#include "toolkit/windows.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A script of `lines` lines (CR LF) that compiles: blocks of assignments,
// loops, IFs and comments, each block different by its numbers.
std::string script(int length) {
  std::string s = "! A long script for the editor's benchmark\r\nCHARACTER S*80\r\nS = 'x'\r\n";
  int lines = 3;
  constexpr int kBlock = 10;
  for (int k = 1; lines + kBlock < length; ++k) {
    const std::string n = std::to_string(k);
    const std::string block[] = {
        "! block " + n + ": a loop, a condition and a text",
        "X" + n + " = 1.5 * " + n + " + MOD(" + n + ", 7)",
        "DO I = 1, " + std::to_string(k % 9 + 1),
        "  Y = ABS(X" + n + " - I) + SIN(0.1 * I)",
        "  IF (Y > " + std::to_string(k % 5) + ") THEN",
        "    S = TRIM(S) // 'a'",
        "  ELSE",
        "    S = 'b'",
        "  ENDIF",
        "ENDDO",
    };
    for (const std::string& l : block) s += l + "\r\n";
    lines += kBlock;
  }
  for (; lines < length - 1; ++lines) s += "! the end\r\n";
  return s + "END\r\n";
}

// One program run: the key pressed at each tick, timed until the tick after.
struct Drive {
  benchmark::State* state = nullptr;
  // Keys before the first timed one (to put the cursor where it goes).
  std::function<bool()> setup;
  // The timed key, and the untimed keys after it when due.
  std::function<void()> key;
  std::function<bool()> untimed;
  Clock::time_point pressed{};
  bool timing = false, started = false, done = false;
  int ticks = 0;
};
Drive* drive = nullptr;

void press(int vk, unsigned char ch = 0) { plat::inject_key_press(vk, ch); }

void ctrl(int vk) {
  plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), true);
  plat::set_key_state(win::VK_CONTROL, true);
  press(vk);
  plat::set_key_state(win::VK_CONTROL, false);
  plat::input_key(win::VK_CONTROL, plat::scan_code_of(win::VK_CONTROL), false);
}

void quit() {
  drive->done = true;
  plat::push_message_box_answer(win::IDNO);
  toolkit::POST_COMMAND(0x4001, nullptr);
}

// After a tick has been handled: the next key.
void step() {
  Drive& d = *drive;
  if (d.done) return;
  if (++d.ticks < 3) return;  // the script opened and compiled
  if (!d.started) {
    if (d.setup && d.setup()) return;
    d.started = true;
  }
  if (d.timing) {
    d.timing = false;
    if (d.untimed && d.untimed()) return;
  }
  if (!d.state->KeepRunning()) {
    quit();
    return;
  }
  d.timing = true;
  d.pressed = Clock::now();
  d.key();
}

int control(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam) {
  const bool tick = code == ide::kAppTimer;
  if (tick && drive->timing) {
    const std::chrono::duration<double> took = Clock::now() - drive->pressed;
    drive->state->SetIterationTime(took.count());
  }
  const int result = ide::FE_CONTROL(code, window, wparam, lparam);
  if (tick) step();
  return result;
}

void run(benchmark::State& state, Drive d, bool xvfb = false) {
  if (xvfb) {
    std::string why;
    const std::string display = testsupport::xvfb_display(&why);
    if (display.empty() || !plat::use_display(display.c_str()).empty()) {
      state.SkipWithError(("no X server: " + why).c_str());
      return;
    }
  }
  testsupport::HomeFolders home;
  testsupport::TempDir dir;
  testsupport::CurrentFolder here(dir.path());
  const std::string file = dir.file("long.ost");
  testsupport::write_file(file, script(static_cast<int>(state.range(0))));
  exec::reset_all();
  toolkit::reset_toolkit();
  plat::reset_common_dialogs();
  ide::reset_ide();
  ide::install_all_builtins();
  ide::install_application();
  plat::set_virtual_clock({2024, 5, 6, 0, 10, 0, 0, 0});
  d.state = &state;
  drive = &d;
  toolkit::application.FE_CONTROL = control;
  const std::string cmdline = "\"" + file + "\"";
  toolkit::WinMain(toolkit::GET_MODULE_HANDLE(), nullptr, cmdline.c_str(), 1);
  state.counters["lines"] = core::nedlines;
  state.counters["rows"] = ide::edrows;
  drive = nullptr;
  ide::reset_ide();
  exec::reset_all();
  toolkit::reset_toolkit();
  plat::reset_common_dialogs();
  plat::clear_virtual_clock();
  if (xvfb) plat::close_display();
  if (!d.started) state.SkipWithError("the editor never took a key");
}

bool atend() { return ide::edfirstline + ide::edrows > core::nedlines; }

Drive pagedown() {
  Drive d;
  d.key = [] { press(win::VK_NEXT); };
  d.untimed = [] {
    if (!atend()) return false;
    ctrl(win::VK_HOME);
    return true;
  };
  return d;
}

void BM_EditorPageDown(benchmark::State& state) { run(state, pagedown()); }

// The same on an X server: each paint also reaches the display.
void BM_EditorPageDownOnXvfb(benchmark::State& state) { run(state, pagedown(), true); }

void BM_EditorPageUp(benchmark::State& state) {
  Drive d;
  bool moved = false;
  d.setup = [moved]() mutable {
    if (moved) return false;
    moved = true;
    ctrl(win::VK_END);
    return true;
  };
  d.key = [] { press(win::VK_PRIOR); };
  d.untimed = [] {
    if (ide::edfirstline > 1) return false;
    ctrl(win::VK_END);
    return true;
  };
  run(state, std::move(d));
}

Drive typedcharacter() {
  Drive d;
  d.setup = [] {
    if (ide::edcurline >= core::nedlines / 2) return false;
    press(win::VK_NEXT);
    return true;
  };
  d.key = [] { press('X', 'X'); };
  d.untimed = [] {
    press(win::VK_BACK, 8);
    return true;
  };
  return d;
}

void BM_EditorTypedCharacter(benchmark::State& state) { run(state, typedcharacter()); }
void BM_EditorTypedCharacterOnXvfb(benchmark::State& state) { run(state, typedcharacter(), true); }

// OSTREL_BENCH_KEYS=n: n timed keys each (for instruction counts under
// callgrind: the difference of two counts over the difference of keys).
void keys(benchmark::internal::Benchmark* b) {
  b->UseManualTime()->Unit(benchmark::kMillisecond)->Arg(5000);
  if (const char* n = std::getenv("OSTREL_BENCH_KEYS")) b->Iterations(std::atoi(n));
}

}  // namespace

BENCHMARK(BM_EditorPageDown)->Apply(keys)->Arg(30000);
BENCHMARK(BM_EditorPageDownOnXvfb)->Apply(keys);
BENCHMARK(BM_EditorPageUp)->Apply(keys)->Arg(30000);
BENCHMARK(BM_EditorTypedCharacter)->Apply(keys)->Arg(30000);
BENCHMARK(BM_EditorTypedCharacterOnXvfb)->Apply(keys);
