#include "exec/script_runner.h"

#include <sys/time.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/helpdata.h"
#include "core/kompil.h"
#include "core/program.h"
#include "core/stores.h"
#include "exec/headless_run.h"
#include "exec/postfix.h"
#include "exec/windowless.h"
#include "exec/xeq.h"
#include "exec/xeq2.h"
#include "ide/builtins_install.h"
#include "io/music.h"
#include "platform/sound_sink.h"
#include "support/test_support.h"

namespace scriptrun {

namespace {

std::unique_ptr<testsupport::TempDir> dir;
std::filesystem::path cwd;
// The hooks as they were before start().
exec::Evaluator keptxeq3 = nullptr;
void (*keptstage)(std::span<const std::int16_t>) = nullptr;

// The main window's lines, and the lines still to be read.
std::string written;
std::string toread;

bool writeline(std::string_view line) {
  written.append(line);
  written += '\n';
  return true;
}

bool readline(std::string& line) {
  if (toread.empty()) return false;
  const std::size_t end = toread.find('\n');
  line = toread.substr(0, end);
  toread.erase(0, end == std::string::npos ? toread.size() : end + 1);
  return true;
}

}  // namespace

void start() {
  cwd = std::filesystem::current_path();
  dir = std::make_unique<testsupport::TempDir>();
  std::filesystem::current_path(dir->path());
  keptxeq3 = exec::xeq3;
  keptstage = core::xeqstage;
  ide::install_all_builtins();
  // Tunes go into the capture sink: no sound, no waiting.
  plat::use_sound_output(plat::SoundOutput::capture);
  exec::reset_all();
  // The sound settings last as long as the program: each run starts from
  // their start values.
  io::reset_music();
  exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  written.clear();
  toread.clear();
  exec::standardout = writeline;
  exec::standardin = readline;
}

void finish() {
  exec::reset_all();
  exec::standardout = exec::standardline;
  exec::standardin = exec::standardreadline;
  plat::use_sound_output(plat::SoundOutput::device);
  core::xeqstage = keptstage;
  exec::xeq3 = keptxeq3;
  std::filesystem::current_path(cwd);
  dir.reset();
}

std::string compile(std::string_view text) { return exec::compile_script(text); }

std::string outcome() { return exec::run_outcome(); }

std::string run(std::string_view text) {
  written.clear();
  const std::string outcome = exec::run_script(text);
  return written + outcome;
}

void input(std::string_view lines) { toread = std::string(lines); }

std::string dump(std::int32_t s) {
  std::string out;
  const std::int32_t p0 = core::stmtstart(s);
  for (std::int32_t p = p0; p >= 1 && core::xeqbuf.valid(p); ++p) {
    std::array<char, 8> b{};
    std::snprintf(b.data(), b.size(), "%04X", static_cast<unsigned>(core::xeqbuf(p)) & 0xFFFFu);
    out += b.data();
    if (core::xeqbuf(p) == core::endmark) break;
    out += ' ';
  }
  return out;
}

void breakkeyafter(void (*press)(int), long cpu_ms, long wall_ms) {
  std::signal(SIGPROF, press);
  std::signal(SIGALRM, press);
  itimerval t{};
  t.it_interval.tv_usec = 200000;
  t.it_value.tv_sec = cpu_ms / 1000;
  t.it_value.tv_usec = (cpu_ms % 1000) * 1000;
  setitimer(ITIMER_PROF, &t, nullptr);
  t.it_value.tv_sec = wall_ms / 1000;
  t.it_value.tv_usec = (wall_ms % 1000) * 1000;
  setitimer(ITIMER_REAL, &t, nullptr);
}

}  // namespace scriptrun
