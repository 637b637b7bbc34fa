#include "exec/script_runner.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
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

namespace {

void (*sleptpress)(int) = nullptr;
long long sleptlimit = 0;  // ns
long long sleptfrom = 0;   // the clock when the run began, ns
long long ranfrom = 0;     // ran() then

long long clocknow() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The time this process's main thread has run and waited to run, in ns
// (the first two numbers of /proc/self/schedstat), -1 when they cannot be
// read. Only calls that a signal handler may make.
long long ran() {
  const int fd = open("/proc/self/schedstat", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  std::array<char, 128> b{};
  const ssize_t n = read(fd, b.data(), b.size() - 1);
  close(fd);
  long long field[2] = {0, 0};
  int k = 0;
  bool digits = false;
  for (ssize_t i = 0; i < n && k < 2; ++i) {
    if (b[i] >= '0' && b[i] <= '9') {
      field[k] = field[k] * 10 + (b[i] - '0');
      digits = true;
    } else if (digits) {
      ++k;
      digits = false;
    }
  }
  return k == 2 ? field[0] + field[1] : -1;
}

// The time passed less the time run or waited for a processor: the time
// slept. (Without the numbers, the time passed.)
void onsleptcheck(int sig) {
  const long long r = ran();
  const long long slept = clocknow() - sleptfrom - (r >= 0 && ranfrom >= 0 ? r - ranfrom : 0);
  if (slept >= sleptlimit) sleptpress(sig);
}

}  // namespace

void breakkeyafter(void (*press)(int), long cpu_ms, long slept_ms) {
  std::signal(SIGPROF, press);
  itimerval t{};
  t.it_interval.tv_usec = 200000;
  t.it_value.tv_sec = cpu_ms / 1000;
  t.it_value.tv_usec = (cpu_ms % 1000) * 1000;
  setitimer(ITIMER_PROF, &t, nullptr);
  sleptpress = press;
  sleptlimit = static_cast<long long>(slept_ms) * 1000000LL;
  sleptfrom = clocknow();
  ranfrom = ran();
  // (No run sleeps slept_ms before that much time has passed: the first
  // look comes then, and a run that ends sooner is never interrupted.)
  std::signal(SIGALRM, onsleptcheck);
  const long first = std::max(slept_ms, 1L);
  t.it_value.tv_sec = first / 1000;
  t.it_value.tv_usec = (first % 1000) * 1000;
  setitimer(ITIMER_REAL, &t, nullptr);
}

}  // namespace scriptrun
