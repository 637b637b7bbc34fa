// The fast path of the statement loop must leave exactly what the general
// path leaves. Every script of tests/scripts, mutants of them and a few
// small scripts run twice, once with the fast path off and once with it on,
// each in a process of its own forked from the same state (a child and its
// child), and what each run left is compared: the outcome of
// the run, the special cells $ to $2 bit for bit, the stop word, the
// message key and values, the failing line and its detail text, the result
// cell, the store sizes and the cells of every symbol and array of every
// scope.
//
// OSTREL_FUZZ_FAST_SEED, OSTREL_FUZZ_FAST_COUNT, OSTREL_FUZZ_FAST_CHANGES,
// OSTREL_FUZZ_FAST_MS (time of one run before the break key) and
// OSTREL_FUZZ_FAST_JOBS (children at once) choose a longer differential fuzz
// run by hand, OSTREL_FUZZ_FAST_SHOW how many differing mutants are shown;
// OSTREL_FUZZ_CORPUS another folder of scripts to mutate.
// OSTREL_FAST_SCRIPTS names another folder of scripts to run both ways, and
// with OSTREL_FAST_PRINT=1 the outcome of each on the general path is
// printed, the text its .out file is to hold (2: all that the run left).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/compose_gen.h"
#include "exec/fastpath.h"
#include "exec/fastpath_form.h"
#include "exec/script_mutants.h"
#include "exec/script_runner.h"
#include "exec/shape_gen.h"
#include "io/rwtexts.h"
#include "platform/clocks.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Where the outcome of run_outcome() ends and the rest of the state begins.
constexpr std::string_view leftmark = "--- left over ---\n";
constexpr std::string_view timedout = "timeout";

volatile std::sig_atomic_t broken = 0;

void press_escape(int) {
  broken = 1;
  core::keyrec[1] = 1;
  core::keystate[1] = 1;
}

std::string hex(double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  std::array<char, 24> b{};
  std::snprintf(b.data(), b.size(), "%016llX", static_cast<unsigned long long>(bits));
  return b.data();
}

std::string cellhex(std::int32_t k) { return core::z.valid(k) ? hex(core::z(k)) : "-"; }

// The text on one line: control bytes as \xNN.
std::string oneline(std::string_view t) {
  std::string out;
  for (const char c : t) {
    if (static_cast<unsigned char>(c) >= 32) {
      out += c;
      continue;
    }
    std::array<char, 8> b{};
    std::snprintf(b.data(), b.size(), "\\x%02X",
                  static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += b.data();
  }
  return out;
}

// Everything else a run leaves that the fast path may touch.
std::string leftover() {
  using namespace core;
  std::string s(leftmark);
  s += "z(1..6)=";
  for (std::int32_t k = 1; k <= 6; ++k) s += " " + cellhex(k);
  s += "\nstop=" + std::to_string(xeqstop) + " key='" + std::string(msgkey.trimmed()) +
       "' xeqline=" + std::to_string(xeqline) + " iresult=" + std::to_string(iresult) +
       "\nfailedline='" + oneline(failedline.trimmed()) + "' detail='" +
       oneline(io::rwdetail.trimmed()) + "' iostatw=" + std::to_string(iostatw[0]) + "," +
       std::to_string(iostatw[1]) + "," + std::to_string(iostatw[2]) + "," +
       std::to_string(iostatw[3]) + "\n";
  s += "nz=" + std::to_string(nz) + " nname=" + std::to_string(nname) +
       " nadrs=" + std::to_string(nadrs) + " nc1namen=" + std::to_string(nc1namen) +
       " nsym=" + std::to_string(nsym) + "\n";
  const std::int32_t last = std::min(nsym, nname);
  for (std::int32_t k = 1; k <= last; ++k) {
    if (!name.valid(k)) break;
    const SymbolRecord& r = name(k);
    s += std::to_string(k) + " " + std::string(symbolname(k)) + " type=" + std::to_string(r.type) +
         " scope=" + std::to_string(r.scope) + " adr=" + std::to_string(r.adr) + " z=" + cellhex(k);
    if ((r.type & 0x10) != 0 && (r.type & 0x40) == 0 && z.valid(k)) {
      std::int32_t shape[2];
      std::memcpy(shape, z.ptr(k), sizeof shape);
      const std::int64_t count = static_cast<std::int64_t>(shape[0]) * shape[1];
      if (shape[0] > 0 && shape[1] > 0 && count <= 4096) {
        s += " (";
        for (std::int64_t i = 0; i < count; ++i)
          s += (i > 0 ? "," : "") + cellhex(static_cast<std::int32_t>(r.adr + i));
        s += ")";
      }
    }
    s += "\n";
  }
  return s;
}

// Runs the script in this process with the fast path on or off; the break
// key comes after limit_ms of processor time (or four times that and ten
// seconds more of sleep, for a run that waits), and the run counts as cut
// off. Time spent waiting for a processor does not count: a busy machine
// cuts off no run that an idle one lets end.
std::string snapshot(const std::string& text, bool fast, long limit_ms) {
  scriptrun::start();
  // One clock for both runs: random numbers seeded from it come out alike.
  plat::set_virtual_clock({2026, 12, 7, 0, 12, 0, 0, 0});
  exec::fast::enabled = fast;
  broken = 0;
  scriptrun::breakkeyafter(press_escape, limit_ms, 4 * limit_ms + 10000);
  // Each run has a folder of its own: a value that names it names "the
  // run's folder" in both runs.
  const std::string folder = fs::current_path().string();
  std::string out = scriptrun::run(text);
  for (std::size_t at = out.find(folder); at != std::string::npos; at = out.find(folder, at))
    out.replace(at, folder.size(), "<run folder>");
  const itimerval off{};
  setitimer(ITIMER_PROF, &off, nullptr);
  setitimer(ITIMER_REAL, &off, nullptr);
  out += leftover();
  scriptrun::finish();
  exec::fast::enabled = true;
  return broken ? std::string(timedout) : out;
}

void writeall(int fd, std::string_view s) {
  while (!s.empty()) {
    const ssize_t n = write(fd, s.data(), s.size());
    if (n <= 0) return;
    s.remove_prefix(static_cast<std::size_t>(n));
  }
}

void writeframe(int fd, char tag, const std::string& s) {
  std::array<char, 16> head{};
  std::snprintf(head.data(), head.size(), "%c%010zu", tag, s.size());
  writeall(fd, std::string_view(head.data(), 11));
  writeall(fd, s);
}

// What a child sent: the snapshot of each mode (when it got that far), and
// how it ended.
struct Pair {
  std::string general, fast;
  bool gotgeneral = false, gotfast = false;
  bool cutoff = false;  // killed at the deadline
  int status = 0;
  std::string err;  // the child's standard error, by mode
};

bool parseframes(const std::string& buf, Pair& p) {
  std::size_t at = 0;
  while (buf.size() - at >= 11) {
    const char tag = buf[at];
    const std::size_t n = std::strtoull(buf.substr(at + 1, 10).c_str(), nullptr, 10);
    if (buf.size() - at - 11 < n) break;
    std::string s = buf.substr(at + 11, n);
    if (tag == 'G') {
      p.general = std::move(s);
      p.gotgeneral = true;
    } else if (tag == 'F') {
      p.fast = std::move(s);
      p.gotfast = true;
    } else {
      return false;
    }
    at += 11 + n;
  }
  return true;
}

struct Child {
  std::size_t index = 0;
  pid_t pid = -1;
  int fd = -1;
  std::string buf;
  Clock::time_point deadline;
  bool cutoff = false;
};

// A busy machine may hold a child back from a processor this much longer
// than its runs' break keys allow: only a child that takes longer hangs.
constexpr long starvedms = 180000;

// Runs every script in both modes, `jobs` children at a time; each child
// is killed when it is still going deadline_ms (and starvedms) after its
// start.
std::vector<Pair> runboth(const std::vector<std::string>& texts, long limit_ms, long deadline_ms,
                          int jobs) {
  std::vector<Pair> out(texts.size());
  const testsupport::TempDir errs;
  std::vector<Child> running;
  std::size_t next = 0;
  std::fflush(nullptr);
  while (next < texts.size() || !running.empty()) {
    while (next < texts.size() && static_cast<int>(running.size()) < std::max(jobs, 1)) {
      std::array<int, 2> fds{};
      if (pipe(fds.data()) != 0) {
        out[next++].err = "no pipe";
        continue;
      }
      const std::string errfile = errs.file("e" + std::to_string(next));
      const pid_t pid = fork();
      if (pid == 0) {
        // (A group of its own: the deadline ends the general run's child too.)
        setpgid(0, 0);
        close(fds[0]);
        const int e = open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (e >= 0) dup2(e, 2);
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, 1);
        writeall(2, "== general ==\n");
        // Each mode runs from the same state of the process: what a run
        // leaves beyond the program's reset (a font's handle, a dialog
        // made) does not reach the other.
        const pid_t general = fork();
        if (general == 0) {
          writeframe(fds[1], 'G', snapshot(texts[next], false, limit_ms));
          _exit(0);
        }
        if (general > 0) waitpid(general, nullptr, 0);
        writeall(2, "== fast ==\n");
        writeframe(fds[1], 'F', snapshot(texts[next], true, limit_ms));
        _exit(0);
      }
      setpgid(pid, pid);
      close(fds[1]);
      fcntl(fds[0], F_SETFL, O_NONBLOCK);
      Child c;
      c.index = next++;
      c.pid = pid;
      c.fd = fds[0];
      c.deadline = Clock::now() + std::chrono::milliseconds(deadline_ms + starvedms);
      running.push_back(std::move(c));
    }
    std::vector<pollfd> polls;
    Clock::time_point soonest = Clock::time_point::max();
    for (const Child& c : running) {
      polls.push_back({c.fd, POLLIN, 0});
      soonest = std::min(soonest, c.deadline);
    }
    const auto wait =
        std::chrono::duration_cast<std::chrono::milliseconds>(soonest - Clock::now()).count();
    poll(polls.data(), polls.size(), static_cast<int>(std::clamp<long long>(wait, 0, 1000)));
    for (std::size_t i = running.size(); i-- > 0;) {
      Child& c = running[i];
      bool ended = false;
      for (;;) {
        std::array<char, 8192> b{};
        const ssize_t n = read(c.fd, b.data(), b.size());
        if (n > 0) {
          c.buf.append(b.data(), static_cast<std::size_t>(n));
          continue;
        }
        ended = n == 0;
        break;
      }
      if (!ended && Clock::now() >= c.deadline) {
        kill(-c.pid, SIGKILL);
        c.cutoff = true;
        ended = true;
      }
      if (!ended) continue;
      close(c.fd);
      Pair& p = out[c.index];
      waitpid(c.pid, &p.status, 0);
      p.cutoff = c.cutoff;
      if (!parseframes(c.buf, p)) p.err = "garbled frames\n";
      p.err += testsupport::read_file(errs.file("e" + std::to_string(c.index)));
      running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  return out;
}

// A sanitizer's report in the part of the child's error output that the
// given mode wrote.
bool sanitizerreport(const Pair& p, bool fast) {
  const std::size_t f = p.err.find("== fast ==\n");
  const std::string part =
      fast ? (f == std::string::npos ? "" : p.err.substr(f)) : p.err.substr(0, f);
  return part.find("runtime error") != std::string::npos ||
         part.find("Sanitizer") != std::string::npos;
}

std::vector<std::string> splitlines(const std::string& s) {
  std::vector<std::string> out;
  std::string l;
  for (const char c : s) {
    if (c == '\n') {
      out.push_back(l);
      l.clear();
    } else {
      l += c;
    }
  }
  if (!l.empty()) out.push_back(l);
  return out;
}

// The lines of two snapshots that differ (they have the same layout as
// long as the same symbols exist).
std::string difference(const std::string& general, const std::string& fast) {
  const auto g = splitlines(general), f = splitlines(fast);
  std::string d;
  const std::size_t n = std::max(g.size(), f.size());
  int shown = 0;
  for (std::size_t i = 0; i < n && shown < 24; ++i) {
    const std::string a = i < g.size() ? g[i] : "(none)";
    const std::string b = i < f.size() ? f[i] : "(none)";
    if (a == b) continue;
    d += "  general: " + a.substr(0, 400) + "\n  fast:    " + b.substr(0, 400) + "\n";
    ++shown;
  }
  return d;
}

// The outcome part of a snapshot (what a script's .out file holds).
std::string outcomepart(const std::string& s) { return s.substr(0, s.find(leftmark)); }

using testsupport::crlf;

std::vector<fs::path> scripts() {
  std::vector<fs::path> out;
  const char* other = std::getenv("OSTREL_FAST_SCRIPTS");
  const fs::path dir = other != nullptr && *other != 0
                           ? fs::path(other)
                           : testsupport::source_dir() / "tests" / "scripts";
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".ost" && e.path().stem() != "char_length_huge")
      out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

int jobs() { return static_cast<int>(mutants::envnum("OSTREL_FUZZ_FAST_JOBS", 3)); }

// The general path ran to an outcome (it need not be a good one).
bool generalran(const Pair& p) {
  return p.gotgeneral && p.general != timedout && !sanitizerreport(p, false);
}

// What went wrong with the fast run of a script whose general run ended;
// empty when both left the same.
std::string fastfault(const Pair& p) {
  if (!p.gotfast)
    return p.cutoff ? "the fast run did not end even after the break key\n"
                    : "the fast run crashed (status " + std::to_string(p.status) + ")\n";
  if (p.fast == timedout) return "the fast run did not end before the break key\n";
  if (sanitizerreport(p, true)) return "a sanitizer report on the fast path\n";
  if (p.general != p.fast) return "the runs differ:\n" + difference(p.general, p.fast);
  return {};
}

std::string errtail(const Pair& p) {
  return p.err.size() > 3000 ? p.err.substr(p.err.size() - 3000) : p.err;
}

// Runs one script both ways; both runs must end and leave the same.
void expectsame(const std::string& text) {
  const Pair p = runboth({crlf(text)}, 5000, 50000, 1).front();
  ASSERT_TRUE(generalran(p)) << "the general run failed\n" << errtail(p);
  const std::string fault = fastfault(p);
  EXPECT_TRUE(fault.empty()) << fault << "--- script ---\n" << text << "--- end ---";
}

// Runs the scripts (with CR LF line ends) both ways, as expectsame does.
void expectallsame(const std::vector<std::string>& texts) {
  const auto got = runboth(texts, 5000, 50000, jobs());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Pair& p = got[i];
    ASSERT_TRUE(generalran(p)) << "the general run failed\n" << errtail(p) << texts[i];
    const std::string fault = fastfault(p);
    EXPECT_TRUE(fault.empty()) << fault << "--- script ---\n" << texts[i] << "--- end ---";
  }
}

// Runs one script both ways: the general path leaves `outcome` (what a
// script's .out file holds), the fast path the same as it.
void expectoutcome(const std::string& text, std::string_view outcome) {
  const Pair p = runboth({crlf(text)}, 5000, 50000, 1).front();
  ASSERT_TRUE(generalran(p)) << errtail(p);
  EXPECT_EQ(outcomepart(p.general), outcome);
  const std::string fault = fastfault(p);
  EXPECT_TRUE(fault.empty()) << fault << "--- script ---\n" << text << "--- end ---";
}

TEST(FastPath, EveryScriptLeavesWhatTheGeneralPathLeaves) {
  const auto all = scripts();
  ASSERT_FALSE(all.empty());
  std::vector<std::string> texts;
  for (const auto& p : all) texts.push_back(crlf(testsupport::read_file(p)));
  // Every script of the corpus ends by itself; the longest fits take
  // seconds, many more on a busy machine under the sanitizers, so the break
  // key waits long enough not to end one of them.
  const auto got = runboth(texts, 20000, 90000, jobs());
  const std::uint32_t print = mutants::envnum("OSTREL_FAST_PRINT", 0);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::string nm = all[i].filename().string();
    const Pair& p = got[i];
    if (print && p.gotgeneral)
      std::printf("=== %s\n%s%s", nm.c_str(),
                  (print > 1 ? p.general : outcomepart(p.general)).c_str(),
                  p.err.substr(0, p.err.find("== fast ==")).c_str());
    if (!generalran(p)) {
      ADD_FAILURE() << nm << ": the general run "
                    << (p.gotgeneral && p.general == timedout
                            ? "did not end before the break key\n"
                            : "did not end normally (status " + std::to_string(p.status) + ")\n")
                    << errtail(p);
      continue;
    }
    const std::string fault = fastfault(p);
    EXPECT_TRUE(fault.empty()) << nm << ": " << fault << errtail(p);
  }
}

TEST(FastPath, MutatedScriptsLeaveWhatTheGeneralPathLeaves) {
  const auto all = mutants::corpus(mutants::corpusdir());
  ASSERT_FALSE(all.empty());
  const auto toks = mutants::tokens(all);
  const std::uint32_t seed = mutants::envnum("OSTREL_FUZZ_FAST_SEED", 20260311);
  const std::uint32_t count = mutants::envnum("OSTREL_FUZZ_FAST_COUNT", testsupport::sized(150, 400));
  const std::size_t maxchanges =
      std::max<std::uint32_t>(mutants::envnum("OSTREL_FUZZ_FAST_CHANGES", 4), 1);
  const long limit = mutants::envnum("OSTREL_FUZZ_FAST_MS", 250);
  const std::uint32_t shown = mutants::envnum("OSTREL_FUZZ_FAST_SHOW", 5);
  std::mt19937 rng(seed);
  std::vector<std::string> texts;
  for (std::uint32_t n = 0; n < count; ++n)
    texts.push_back(mutants::mutant(all, toks, rng, maxchanges));
  const auto got = runboth(texts, limit, 2 * (4 * limit + 10000) + 5000, jobs());
  int failures = 0, cutoff = 0, generalfailed = 0, compared = 0;
  for (std::size_t n = 0; n < texts.size(); ++n) {
    const Pair& p = got[n];
    // A run cut off by the break key is cut at no fixed statement; the
    // general path's own failures are the pipeline fuzz test's.
    if (!generalran(p)) {
      if (p.gotgeneral && p.general == timedout) {
        ++cutoff;
      } else if (++generalfailed <= static_cast<int>(shown)) {
        std::printf("mutant %zu failed on the general path (status %d):\n%s%s\n", n, p.status,
                    texts[n].c_str(), errtail(p).c_str());
      }
      continue;
    }
    if (p.gotfast && p.fast == timedout) {
      ++cutoff;
      continue;
    }
    ++compared;
    const std::string fault = fastfault(p);
    if (fault.empty()) continue;
    if (++failures <= static_cast<int>(shown))
      ADD_FAILURE() << "mutant " << n << " of seed " << seed << ": " << fault << "--- script ---\n"
                    << texts[n] << "--- end ---\n"
                    << errtail(p);
  }
  std::printf(
      "%u mutants: %d compared, %d cut off by the break key, %d failed on the general "
      "path, %d differ\n",
      count, compared, cutoff, generalfailed, failures);
  EXPECT_EQ(failures, 0);
}

// An endless EDIT loop whose passes run by fixed roads with the program's
// own input step, which they leave out while it has nothing to do: the
// break key still ends it.
TEST(FastPath, TheBreakKeyEndsAnEndlessEditLoopOfFixedRoads) {
  const std::string text =
      "CHARACTER T*12\nT = 'abcabc'\n"
      "EDIT(Text=T, DO, Right='b', RePLaceby='B', Left='b', ENDDO)\nEND\n";
  // (In a child killed after 30 s: a loop the key does not end fails.)
  const Pair p = runboth({text}, 300, 30000, 1).front();
  ASSERT_FALSE(p.cutoff) << "waited 30 s for the break key to end the loop";
  EXPECT_EQ(p.general, timedout);
  EXPECT_EQ(p.fast, timedout);
}

// Both modes start from one state of the process: a font made by the
// first run left the second a handle one apart (mutants of seed 2 and
// 7907), a dialog made by it failed the second's.
TEST(FastPath, EachModeRunsFromTheSameStateOfTheProcess) {
  expectsame(
      "CHARACTER FACE*20\nFACE = 'Courier new'\nR = SYSTEM(FoNtnr=3, PoinT=12)\nP = 10\n"
      "R = SYSTEM(FONt=FACE, PoinT=P)\nR = SYSTEM(FONt=FACE)\nEND\n");
  expectsame(
      "DLG(Text='Name:', Edit=NAME, WINdowhandle=H)\nCHARACTER FACE*20\n"
      "R = SYSTEM(FoNtnr=3, PoinT=12)\nEND\n");
}

// CALLs that name one variable for two actuals, alone and down a nest: the
// returns give the formals back in the header's order, so the actual takes
// the last formal's value (the other order leaves B growing). Six passes:
// a run is replayed once it was found ready, after the first few.
TEST(FastPath, CallsThatNameOneVariableTwiceGiveBackInTheHeadersOrder) {
  const std::string text = R"(GOTO 100
SUBROUTINE TWICE(X, Y)
  Y = X + 10
END
SUBROUTINE PASS(X, Y)
  CALL TWICE(Y, X)
END
100 A = 1
DO I = 1, 6
  CALL TWICE(A, A)
ENDDO
B = 1
C = 0
DO I = 1, 6
  CALL PASS(B, B)
  CALL PASS(C, B)
ENDDO
END
)";
  expectoutcome(text, R"(A=61
I=7
B=1
C=11
stop=-1
)");
}

// DO loops whose loop end counts in whole numbers, and elements whose
// place was found when their form was made ready: limits just below and
// above a whole number, a limit that is no whole number, steps down, a
// real step, a variable the loop assigns (a whole and then a real value),
// a bound the loop changes, a jump out, a zero-trip loop, a counter beyond
// the range counted in whole numbers, elements by counters plus constants
// and by rounded indices, and at last an index past its array.
TEST(FastPath, CountedLoopsLeaveWhatTheGeneralPathLeaves) {
  const std::string text = R"(DIMENSION A(12), M(3, 4)
S = 0
DO I = 1, 3 - 5E-14
  S = S + I
ENDDO
DO I = 1, 3 - 5E-13
  S = S + I * 10
ENDDO
DO I = 1, 7.5
  S = S + I * 100
ENDDO
DO I = 10, -3, -4
  S = S + I * 1000
ENDDO
X = 0
DO R = 0, 1, 0.25
  X = X + R
ENDDO
T = 0
DO I = 1, 10
  IF (I == 3) I = 7
  T = T + I
ENDDO
U = 0
DO I = 1, 10
  IF (I == 4) I = 4.5
  U = U + I
ENDDO
N = 4
DO I = 1, N
  N = N + 1
  A(I) = N
ENDDO
DO I = 1, 100
  IF (I > 5) GOTO 50
ENDDO
50 K = I
DO J = 5, 1
  K = K + 100
ENDDO
DO J = 3E15, 3E15 + 2
  K = K + 1
ENDDO
DO I = 1, 3
  DO J = 1, 3
    M(I, J + 1) = M(I, J) + I * J
    A(J + 3 * I - 2) = A(J + 3 * I - 2) + J + 0.5
  ENDDO
ENDDO
V = A(2.5) + A(6.4) + M(2.5, 3)
DO I = 12, 20
  A(I) = A(I - 1) + 1
ENDDO
END
)";
  expectoutcome(text, R"(A=(5,7.5,9.5,11.5,1.5,2.5,3.5,1.5,2.5,3.5,0,1)
M=(0,1,3,6,0,2,6,12,0,3,9,18)
S=18836
I=13
X=2.5
R=1.25
T=37
U=48
N=8
K=9
J=4
V=21
stop=32767 line=52 key=xeq3006
)");
}

// A formal array bound to a view of the same cells as the one before but
// shorter: an element past its end does not exist, whether a subroutine
// of one assignment reads it, a function computed where it is referenced,
// a CALL's statements or a loop of them (the forms that read the first
// view look again).
TEST(FastPath, FormalsBoundToAShorterViewLeaveWhatTheGeneralPathLeaves) {
  const std::string head = R"(GOTO 100
SUBROUTINE GET(V, K, R)
  R = V(K) * 2 + R
END
FUNCTION G(V, K)
  G = V(K) * 3
END
SUBROUTINE BOTH(V, K, R)
  CALL GET(V, K, R)
  R = R + G(V, K)
END
SUBROUTINE SUMS(V, K, R)
  DO J = 1, K
    R = R + V(J)
    V(J) = R
  ENDDO
END
100 CONTINUE
DIMENSION A(6)
ALIAS(Base=A, Columns=3, Vector=P)
N = ALIAS(Base=A, Columns=2, Vector=Q)
A = 1, 2, 3, 4, 5, 6
R = 0
DO I = 1, 9
  CALL GET(P, 3, R)
  R = R + G(P, 3)
  CALL BOTH(P, 3, R)
  CALL SUMS(P, 3, R)
ENDDO
DO I = 1, 9
)";
  for (const std::string call :
       {"CALL GET(Q, 3, R)", "R = R + G(Q, 3)", "CALL BOTH(Q, 3, R)", "CALL SUMS(Q, 3, R)"}) {
    const Pair p = runboth({crlf(head + "  " + call + "\nENDDO\nEND\n")}, 5000, 50000, 1).front();
    ASSERT_TRUE(generalran(p)) << call << errtail(p);
    EXPECT_NE(outcomepart(p.general).find("I=1\n"), std::string::npos) << call << "\n"
                                                                       << outcomepart(p.general);
    EXPECT_NE(outcomepart(p.general).find("key=xeq3006"), std::string::npos) << call;
    const std::string fault = fastfault(p);
    EXPECT_TRUE(fault.empty()) << call << ": " << fault;
  }
}

// A text formal handed a piece of a text whose places change from pass to
// pass (the same result cell each time): a function computed where it is
// referenced, one with a number formal beside it, one character, a piece
// to the end, a piece read backwards, and a CALL; each pass reads the
// piece it is handed, not the first one.
TEST(FastPath, ATextFormalHandedPiecesThatMoveReadsEachPiece) {
  const std::string head = R"(GOTO 100
SUBROUTINE ST(S, K)
  K = ICHAR(S) + LEN(S)
END
FUNCTION FT(S)
  FT = ICHAR(S) + LEN(S)
END
FUNCTION FU(S, P)
  FU = LEN(S) * P
END
100 CONTINUE
CHARACTER T*12
T = 'abcdefgh'
Q = 0
DO I = 1, 17
)";
  // (b 3 passes, bc 4, bcd 4, bcde 4, bcdef 2.)
  expectoutcome(head + "  Q = Q + FT(T(2:1 + INT(I / 4 + 1)))\nENDDO\nEND\n",
                "T='abcdefgh    '\nQ=1715\nI=18\nstop=-1\n");
  for (const std::string line :
       {"Q = Q + FU(T(1:1 + MOD(I, 5)), I)", "Q = Q + FT(T(1 + MOD(I, 5)))",
        "Q = Q + FT(T(1 + MOD(I, 5):))", "Q = Q + FT(T(6 - MOD(I, 5):2))",
        "Q = Q + FT(T(:1 + MOD(I, 5))) * FU(T(2:2 + MOD(I, 3)), 2)",
        "CALL ST(T(2:1 + INT(I / 4 + 1)), K)\n  Q = Q + K"})
    expectsame(head + "  " + line + "\nENDDO\nEND\n");
}

// Pieces that run backwards or lie outside their text, reached on the last
// pass of a loop whose earlier passes read a piece inside: joined, read in
// place by built-ins and a relation, beside a function reference, handed
// to a function's text formal, cut in a function's statement and written;
// the fast path stops where the general path stops, with its key, or
// reads what it reads.
TEST(FastPath, PiecesBackwardsOrOutsideTheirTextLeaveWhatTheGeneralPathLeaves) {
  const std::string head = R"(GOTO 100
FUNCTION FX(P)
  FX = P + 1
END
FUNCTION FT(S)
  FT = ICHAR(S) + LEN(S)
END
FUNCTION FL(S, P, Q)
  FL = LEN(S(P:Q))
END
100 CONTINUE
CHARACTER T*12, SP*32
T = 'abcdefgh'
A = 1
Q = 0
DO I = 1, 17
  LO = 2
  HI = 4
)";
  std::vector<std::string> texts;
  for (const char* use : {"SP = T(P) // '-'", "Q = ICHAR(T(P)) + LEN(T(P))", "Q = INDEX(T(P), 'c')",
                          "IF (T(P) == 'zz') Q = 1", "Q = LEN(T(P)) + FX(A)", "Q = FT(T(P))",
                          "Q = FL(T, LO, HI)", "WRITE(Text=SP) T(P), 1"}) {
    std::string u = use;
    const std::size_t at = u.find("T(P)");
    for (const auto& [lo, hi] : std::vector<std::pair<int, int>>{
             {5, 2}, {0, 3}, {3, 13}, {3, 17}, {-1, 3}, {2, 0}, {13, 13}, {0, 0}}) {
      std::string v = u;
      // (Both bounds alike: one character, T(LO).)
      const std::string piece = lo == hi ? "T(LO)" : "T(LO:HI)";
      for (std::size_t k = at; k != std::string::npos; k = v.find("T(P)", k))
        v.replace(k, 4, piece);
      texts.push_back(crlf(head + "  IF (I == 17) LO = " + std::to_string(lo) +
                           "\n  IF (I == 17) HI = " + std::to_string(hi) + "\n  " + v +
                           "\nENDDO\nZ = 1\nEND\n"));
    }
  }
  expectallsame(texts);
}

// Assignments nested four deep (a cubic over a cubic) run by their forms:
// the room they ask for above the operand stack is what the general path
// takes for them, not 8 entries a word, which the small operand store of a
// short script never has (every pass was given back).
TEST(FastPath, DeeplyNestedAssignmentsRunByTheirForms) {
  scriptrun::start();
  exec::fast::Tally t;
  exec::fast::tally = &t;
  const std::string out =
      scriptrun::run(crlf("DIMENSION B(7), R(5)\nB = 1, 2, 3, 4, 5, 6, 7\nS = 0\nDO I = 1, 5\n"
                          "  X = I / 5\n"
                          "  R(I) = S - (B(1) + X * (B(2) + X * (B(3) + X * B(4)))) / "
                          "(1 + X * (B(5) + X * (B(6) + X * B(7))))\n"
                          "  IF (I > 2) S = S + (B(7) + X * (B(6) + X * (B(5) + X * B(4)))) / "
                          "(1 + X * (B(3) + X * (B(2) + X * B(1))))\n"
                          "ENDDO\nEND\n"));
  exec::fast::tally = nullptr;
  scriptrun::finish();
  EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
  // (Only the statements that have no form of their own, the array's list,
  // the DO and the END, run by the loop's handlers.)
  std::string handed;
  for (const auto& [why, n] : t.handed)
    if (!why.starts_with("word path:")) handed += std::to_string(n) + " " + why + "\n";
  EXPECT_EQ(handed, "");
  EXPECT_GE(t.forms, 5u * 4u);
}

// Statements that name formals their routine does not declare keep room
// for the words made for those formals as arrays; bound to numbers they
// still take the forms they had before (an assignment's, a function in one
// step, references in line): only the statements outside the loop run by
// the loop's handlers. (The room's words stood in the forms' way: every
// pass ran by the handlers.) A loop that hands such formals numbers and
// arrays by turns leaves what the general path leaves.
TEST(FastPath, StatementsNamingUndeclaredFormalsKeepTheirForms) {
  scriptrun::start();
  exec::fast::Tally t;
  exec::fast::tally = &t;
  const std::string out = scriptrun::run(
      crlf("GOTO 10\nFUNCTION SQ(X)\n  SQ = X * X\nEND\nFUNCTION HYP(A, B)\n"
           "  HYP = (SQ(A) + SQ(B)) ** 0.5\nEND\nSUBROUTINE STEP(I, S, T)\n"
           "  T = HYP(I, 3) + MOD(I, 7)\n  S = S + T\nEND\n"
           "10 S = 0\nT = 0\nDO I = 1, 40\n  CALL STEP(I, S, T)\nENDDO\nEND\n"));
  exec::fast::tally = nullptr;
  // A form run word by word has a handler for each word up to the end word,
  // the room's among them (else it gave the statement back at the room).
  int worded = 0;
  for (std::int32_t s = 1; s <= core::nstmt; ++s) {
    const std::int32_t from = core::stmtstart(s), to = core::stmtstart(s + 1);
    std::vector<std::int16_t> own(core::xeqbuf.ptr(from), core::xeqbuf.ptr(to));
    std::int32_t pads = 0;
    while (own.size() > 2 && own[own.size() - 2] == core::xform::pad) {
      own.erase(own.end() - 2);
      ++pads;
    }
    const exec::fast::Form f = exec::fast::compile(own, pads);
    if (pads == 0 || f.tags.empty()) continue;
    ++worded;
    EXPECT_EQ(f.tags.size(), static_cast<std::size_t>(to - from)) << scriptrun::dump(s);
  }
  EXPECT_GE(worded, 1);
  scriptrun::finish();
  EXPECT_NE(out.find("stop=-1"), std::string::npos) << out;
  std::uint64_t handed = 0;
  std::string why;
  for (const auto& [w, n] : t.handed) {
    handed += n;
    why += std::to_string(n) + " " + w + "\n";
  }
  EXPECT_LE(handed, 4u) << why;
  EXPECT_GE(t.forms, 40u * 4u);
  expectoutcome(
      "DIMENSION V(3), W(3)\nV = 1, 2, 3\nGOTO 10\nFUNCTION SQ(X)\n  SQ = X * X\nEND\n"
      "SUBROUTINE TWICE(X, R)\n  R = X + X\nEND\n"
      "10 S = 0\nDO I = 1, 12\n  IF (MOD(I, 3) .EQ. 0) THEN\n    CALL TWICE(V, W)\n"
      "    S = S + SUM(W)\n  ELSE\n    CALL TWICE(I, Q)\n    S = S + Q + SQ(I)\n  ENDIF\n"
      "ENDDO\nEND\n",
      "V=(1,2,3)\nW=(2,4,6)\nS=524\nI=13\nQ=22\nstop=-1\n");
}

// Texts and pieces of texts read where they stand: relations and INDEX of
// two of them (a piece beside a whole text or a constant, blanks padding
// the shorter), one assigned to another whole or to a piece (a shorter one
// padded), a piece of the text it is assigned to overlapping either way, a
// piece of a text formal written in a loop; at last a piece past the
// text's end in a relation, then a constant actual written.
TEST(FastPath, TextsReadInPlaceLeaveWhatTheGeneralPathLeaves) {
  const std::string body = R"(GOTO 100
SUBROUTINE PUT(X, Y)
  CHARACTER X*4, Y*4
  DO I = 1, 3
    X(2:3) = Y(1:2)
    IF (X(4:4) /= Y) X(4:4) = Y(3:3)
  ENDDO
END
100 CONTINUE
CHARACTER S*26, T*12, C*1, U*8, V*3, W*4
S = 'abcdefghijklmnopqrstuvwxyz'
T = 'ab  cd'
U = 'abcdefgh'
W = 'pqrs'
DO I = 1, 30
  J = MOD(I, 26) + 1
  IF (S(J:J) .EQ. 'q') K = K + 1
  IF (S(J:J) < T(5:5)) K = K + 100
  IF (T(1:3) == 'ab') K = K + 10000
  C = S(J:J)
  V = S(J:MIN(J + 1, 26))
  T(7:7) = C
  IF (V /= T(7:9)) THEN
    L = L + 1
  ENDIF
  M = M + INDEX(S(J:26), 'z') + INDEX(S, V(1:2)) * 100 + INDEX(T, C) * 10000
  U(2:5) = U(1:4)
  U(1:3) = U(3:5)
  U = U(2:8)
  N = N + ICHAR(U) + LEN_TRIM(T) * 1000
ENDDO
CALL PUT(W, 'wxyz')
)";
  const std::string left = R"(S='abcdefghijklmnopqrstuvwxyz'
T='ab  cde     '
C='e'
U='cdcd    '
V='ef '
W='pwxy'
I=31
J=5
K=300301
L=29
M=1916945
N=212970
)";
  expectoutcome(body + "IF (S(25:27) == 'yz') R = 1\nEND\n",
                left + "R=0\nstop=32767 line=33 key=xeq3045\n");
  expectoutcome(body + "CALL PUT('abcd', W)\nEND\n", left + "stop=32767 line=5 key=xeq3036\n");
}

// READ and WRITE statements of random formats and items, run again and
// again from their transfer programs on the fast path, leave what the
// general path leaves: values, statuses and the records read back.
TEST(FastPath, RandomTransfersLeaveWhatTheGeneralPathLeaves) {
  std::mt19937 rng(6202);
  // A descriptor and what it takes: n a number, t a text, - nothing.
  struct Piece {
    const char* d;
    const char* takes;
  };
  const Piece pieces[] = {{"I5", "n"},
                          {"I3", "n"},
                          {"I8.4", "n"},
                          {"F8.3", "n"},
                          {"F6.0", "n"},
                          {"E12.4", "n"},
                          {"G10.3", "n"},
                          {"A4", "t"},
                          {"A8", "t"},
                          {"L2", "n"},
                          {"2X", ""},
                          {"3F5.1", "nnn"},
                          {"2A3", "tt"},
                          {"2(I3,1X)", "nn"},
                          {"(F6.1,1X,A4)", "nt"},
                          {"2(2(I2),1X)", "nnnn"},
                          {"(I2)", "n"},
                          {"\"ab\"", ""},
                          {"I4,/", "n"}};
  // A format and the items that fit it, now and then one item of the
  // other kind, one too many or one too few.
  auto transfer = [&](const std::vector<std::string>& numbers,
                      const std::vector<std::string>& texts) {
    std::string f, list;
    const int n = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < n; ++i) {
      // Mostly plain pieces, now and then one the plan leaves to the walk.
      const Piece& p = pieces[rng() % (rng() % 5 == 0 ? std::size(pieces) : 16)];
      f += (i > 0 ? "," : "") + std::string(p.d);
      for (const char* k = p.takes; *k != 0; ++k) {
        const bool text = (*k == 't') != (rng() % 12 == 0);
        const auto& from = text ? texts : numbers;
        if (rng() % 12 != 0) list += (list.empty() ? "" : ", ") + from[rng() % from.size()];
      }
    }
    if (list.empty() || rng() % 12 == 0) list += (list.empty() ? "" : ", ") + numbers[0];
    // Often the whole list in parentheses, as most formats are written.
    if (rng() % 3 == 0) f = "(" + f + ")";
    return std::pair(f, list);
  };
  std::vector<std::string> texts;
  for (int n = 0; n < 60; ++n) {
    const std::string a = std::to_string(rng() % 200) + "." + std::to_string(rng() % 100);
    const auto [wf, wl] = transfer({"K", "X", "7", "I", "-X"}, {"T", "'cd'"});
    // Half of the records are read back under the format they were written with.
    auto [rf, rl] = transfer({"K2", "Y", "Y2"}, {"S", "'zz'"});
    if (rng() % 2 == 0) rf = wf;
    // (A failure stops the run: a statement with an ERror label has no
    // replay form.)
    std::string t =
        "CHARACTER F*8, T*6, S*5\nF = 'r.txt'\nT = 'w" + std::to_string(rng() % 100) +
        "'\nIW = 0\nIR = 0\nSUM = 0\nOPEN(FIle=F)\nDO I = 1, 6\n  X = I * " + a +
        " - 90\n  K = I * " + std::to_string(rng() % 160) + "\n  WRITE(FIle=F, Format='" + wf +
        "', IOStat=IW) " + wl + "\nENDDO\nWRITE(FIle=F, CLoSe=1)\nOPEN(FIle=F)\nDO I = 1, " +
        std::to_string(4 + rng() % 4) + "\n  READ(FIle=F, Format='" + rf + "', IOStat=IR) " + rl +
        "\n  SUM = SUM + Y\nENDDO\nWRITE(FIle=F, CLoSe=1)\nEND\n";
    texts.push_back(crlf(t));
  }
  expectallsame(texts);
}

// DO loops over arrays whose subscripts are the loop's variable or cells
// the loop may or may not write, with ranges inside the bounds, across
// them or past them, steps up and down, whole and fractional bounds, and
// statements that change the variable, the other subscripts or the array
// itself, jump out or call: each leaves what the general path leaves.
// OSTREL_FUZZ_LOOP_SEED and OSTREL_FUZZ_LOOP_COUNT choose a longer run.
TEST(FastPath, RandomArrayLoopsLeaveWhatTheGeneralPathLeaves) {
  const std::uint32_t seed = mutants::envnum("OSTREL_FUZZ_LOOP_SEED", 7901);
  const std::uint32_t count = mutants::envnum("OSTREL_FUZZ_LOOP_COUNT", 150);
  std::mt19937 rng(seed);
  const auto pick = [&](std::initializer_list<const char*> l) {
    return std::string(l.begin()[rng() % l.size()]);
  };
  const auto num = [&](int lo, int hi) {
    return std::to_string(lo + static_cast<int>(rng() % (hi - lo + 1)));
  };
  std::vector<std::string> texts;
  for (std::uint32_t n = 0; n < count; ++n) {
    // (A, a row of M and B of about the same length.)
    const int na = 14 + static_cast<int>(rng() % 8), nr = 2 + static_cast<int>(rng() % 3);
    const int nc = na - 1 + static_cast<int>(rng() % 3), nb = na + static_cast<int>(rng() % 3) - 1;
    std::string t = "DIMENSION A(" + std::to_string(na) + "), M(" + std::to_string(nr) + ", " +
                    std::to_string(nc) + "), B(" + std::to_string(nb) +
                    ")\nGOTO 10\nSUBROUTINE BUMP(Q)\n  Q = Q + 1\nEND\n10 CONTINUE\n";
    t += "DO J = 1, " + std::to_string(na) + "\n  A(J) = J * 0.5\nENDDO\n";
    t += "DO J = 1, " + std::to_string(nb) + "\n  B(J) = 10 - J\nENDDO\n";
    t += "S = 0\nX = 0\nK = " + pick({"1", "2", "3", "1", "2", "2.5", "0"}) +
         "\nR = " + pick({"1", "2", "1", "2", "1.5", "0", "3"}) + "\n";
    // The loop's variable runs over about the length of A; now and then
    // from or to a fractional bound.
    const int len = na;
    std::string lo = pick({"1", "1", "1", "2", "0", "-1"}), hi = num(len - 2, len + 1);
    if (rng() % 6 == 0) hi += ".5";
    if (rng() % 8 == 0) lo = "1.5";
    std::string head = "DO I = " + lo + ", " + hi;
    const int dir = static_cast<int>(rng() % 6);
    if (dir == 0) head += ", 2";
    if (dir == 1) head = "DO I = " + hi + ", " + lo + ", -" + pick({"1", "2", "1", "3"});
    t += head + "\n";
    const int body = 1 + static_cast<int>(rng() % 3);
    for (int b = 0; b < body; ++b) {
      // Mostly statements that leave the loop's subscripts as they are;
      // now and then one that changes them, the arrays, or leaves.
      constexpr int plain[] = {0, 1, 2, 3, 4, 5, 10, 11, 13, 15, 16, 17, 18, 19};
      constexpr int rough[] = {6, 7, 8, 9, 12, 14};
      switch (rng() % 4 != 0 ? plain[rng() % std::size(plain)] : rough[rng() % std::size(rough)]) {
        case 0:
          t += "  A(I) = A(I) + K\n";
          break;
        case 1:
          t += "  S = S + A(I) * 2\n";
          break;
        case 2:
          t += "  M(R, I) = M(R, I) + I\n";
          break;
        case 3:
          t += "  M(K, I) = A(I) - S\n";
          break;
        case 4:
          t += "  A(K) = A(K) + M(R, I)\n";
          break;
        case 5:
          t += "  IF (A(I) > 2) S = S + B(I)\n";
          break;
        case 6:
          t += "  K = K + 1\n  B(K) = B(K) + I\n";
          break;
        case 7:
          t += "  R = MOD(R, 3) + 1\n  M(R, I) = M(R, I) - 1\n";
          break;
        case 8:
          // (The loop still ends.)
          t += "  I = I " + pick({"* 1", "- 0.5", "+ 0"}) + "\n  A(I) = A(I) + 1\n";
          break;
        case 9:
          t += "  IF (I == " + num(1, len) + ") GOTO 50\n";
          break;
        case 10:
          t += "  IF (S > " + num(0, 6) +
               ") THEN\n    A(I) = 0\n  ELSE\n    S = S - A(I)\n  ENDIF\n";
          break;
        case 11:
          t += "  X = A(I + 1) + A(I - 1) + X\n";
          break;
        case 12:
          t += "  N = ALLOCATE(" + pick({"A", "B"}) + ", " + num(1, 8) + ")\n";
          break;
        case 13:
          t += "  B(I) = B(I) + A(I) * B(K)\n";
          break;
        case 14:
          t += "  CALL BUMP(" + (dir == 1 ? pick({"K", "S", "R"}) : pick({"K", "I", "S", "R"})) +
               ")\n";
          break;
        case 15:
          t += "  DO J = 1, " + num(nc - 1, nc + 1) +
               "\n    M(R, J) = M(R, J) + A(I) + M(K, J)\n  ENDDO\n";
          break;
        case 16:
          t += "  X = M(R, I) * B(I) + X\n";
          break;
        case 17:
          t += "  M(R, K) = M(R, K) + A(I)\n";
          break;
        case 18:
          t += "  A(I) = MOD(A(I) + B(K), 7)\n";
          break;
        default:
          t += "  IF (A(I) > 3) A(I) = A(I) - M(R, I)\n";
          break;
      }
    }
    t += "ENDDO\n50 S = S + I\nEND\n";
    texts.push_back(crlf(t));
  }
  const auto got = runboth(texts, 5000, 50000, jobs());
  int failures = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const Pair& p = got[i];
    ASSERT_TRUE(generalran(p)) << "the general run failed\n" << errtail(p) << texts[i];
    const std::string fault = fastfault(p);
    if (!fault.empty() && ++failures <= 5)
      ADD_FAILURE() << "loop " << i << " of seed " << seed << ": " << fault << "--- script ---\n"
                    << texts[i] << "--- end ---";
  }
  EXPECT_EQ(failures, 0);
}

// Scripts that compute one expression E and use it again in every place
// an expression stands (exec/compose_gen.h): each must compile, run to its
// end (or stop where its last piece lies past its text), agree with V = E
// in every use, and leave on the fast path what it leaves on the general
// path. Script n of a run has the seed OSTREL_FUZZ_COMPOSE_SEED + n;
// OSTREL_FUZZ_COMPOSE_COUNT chooses how many (OSTREL_FUZZ_COMPOSE_SEED=s
// OSTREL_FUZZ_COMPOSE_COUNT=1 replays one, OSTREL_FUZZ_COMPOSE_SEEDS=a,b,c
// a list), OSTREL_FUZZ_COMPOSE_SHOW how
// many failing scripts are shown whole, OSTREL_FUZZ_COMPOSE_MS the time of
// one run before the break key.

// name=value of each variable an outcome lists ("" the stop line).
std::map<std::string, std::string> variables(const std::string& outcome) {
  std::map<std::string, std::string> v;
  for (const std::string& l : splitlines(outcome)) {
    if (l.rfind("stop=", 0) == 0) {
      v[""] = l;
      break;
    }
    const std::size_t eq = l.find('=');
    if (eq != std::string::npos)
      v[l.substr(0, eq)] = l.substr(eq + 1, l.find_last_not_of('\r') - eq);
  }
  return v;
}

// Two values as an outcome writes them: numbers by their value (-0 is 0),
// arrays element by element, texts as they stand.
bool samevalue(const std::string& a, const std::string& b) {
  if (a.size() > 1 && b.size() > 1 && a.front() == '(' && b.front() == '(' && a.back() == ')' &&
      b.back() == ')') {
    std::size_t i = 1, j = 1;
    for (;;) {
      const std::size_t ei = std::min(a.find(',', i), a.size() - 1),
                        ej = std::min(b.find(',', j), b.size() - 1);
      if (!samevalue(a.substr(i, ei - i), b.substr(j, ej - j))) return false;
      if (ei == a.size() - 1 || ej == b.size() - 1) return ei == a.size() - 1 && ej == b.size() - 1;
      i = ei + 1;
      j = ej + 1;
    }
  }
  char* ea = nullptr;
  char* eb = nullptr;
  const double x = std::strtod(a.c_str(), &ea), y = std::strtod(b.c_str(), &eb);
  if (!a.empty() && !b.empty() && *ea == 0 && *eb == 0) return x == y;
  return a == b;
}

std::string scriptline(const std::string& text, int line) {
  const auto l = splitlines(text);
  return line >= 1 && line <= static_cast<int>(l.size()) ? l[static_cast<std::size_t>(line - 1)]
                                                         : "";
}

std::string numtext(double x) {
  std::array<char, 40> b{};
  std::snprintf(b.data(), b.size(), "%.17g", x);
  return b.data();
}

// What went wrong with one generated script: each finding's kind (what
// the count of failures by kind groups) and its text.
std::vector<std::pair<std::string, std::string>> composefindings(const compose::Script& s,
                                                                 const Pair& p) {
  std::vector<std::pair<std::string, std::string>> f;
  if (!p.gotgeneral || p.general == timedout || sanitizerreport(p, false)) {
    const std::string how = p.gotgeneral && p.general == timedout
                                ? "did not end before the break key (a hang)"
                            : p.cutoff ? "did not end even after the break key (a hang, cut off)"
                                       : "crashed (status " + std::to_string(p.status) + ")";
    f.push_back(
        {"general run " + how, "the general run " + how +
                                   (sanitizerreport(p, false) ? ", with a sanitizer report" : "")});
    return f;
  }
  const std::string outcome = outcomepart(p.general);
  auto atline = [&](const std::string& t) {
    const std::size_t at = t.find(" line=");
    return scriptline(s.text, at == std::string::npos ? 0 : std::atoi(t.c_str() + at + 6));
  };
  auto key = [](const std::string& t) {
    const std::size_t at = t.find(" key=");
    return at == std::string::npos ? std::string()
                                   : t.substr(at + 1, t.find_first_of(" \r\n", at + 1) - at - 1);
  };
  if (outcome.rfind("compile ", 0) == 0) {
    // The list of failed lines: number, line and its text, then a note
    // under it (cut after 64 characters) or beside it.
    const auto l = splitlines(outcome);
    for (std::size_t i = 1; i + 1 < l.size() && f.size() < 8; ++i) {
      int n = 0, line = 0, used = 0;
      if (std::sscanf(l[i].c_str(), "%d %d %n", &n, &line, &used) < 2 || used == 0) continue;
      std::string text = scriptline(s.text, line);
      text = text.substr(std::min(text.size(), text.find_first_not_of(' ')));
      const std::size_t caret = l[i + 1].find('^');
      std::string note = caret != std::string::npos ? l[i + 1].substr(caret + 1)
                         : l[i].size() > static_cast<std::size_t>(used) + text.size()
                             ? l[i].substr(static_cast<std::size_t>(used) + text.size())
                             : "";
      note = note.substr(0, note.find_last_not_of(" \r") + 1);
      note = note.substr(std::min(note.size(), note.find_first_not_of(' ')));
      for (const char* full : {"syntax error, stack", "type conflict", "incomplete left side",
                               "max ( nesting is = 8", "statement too long", "( missing"})
        if (!note.empty() && (std::string(full).rfind(note, 0) == 0 || note.rfind(full, 0) == 0))
          note = full;
      const std::string k = "refused (" + (note.empty() ? key(l.front()) : note) + ")";
      f.push_back({k, k + ": line " + std::to_string(line) + ": " + text});
    }
    if (f.empty()) f.push_back({"refused " + key(l.front()), l.front()});
    return f;
  }
  const auto v = variables(outcome);
  std::string stop = v.count("") ? v.at("") : "(no stop line)";
  if (!stop.empty() && stop.back() == '\r') stop.pop_back();
  const std::string expected = s.stopline > 0
                                   ? "stop=32767 line=" + std::to_string(s.stopline) + " " +
                                         (s.stopkey.empty() ? "" : "key=" + s.stopkey)
                                   : "stop=-1";
  const bool ended =
      s.stopline > 0 && s.stopkey.empty() ? stop.rfind(expected, 0) == 0 : stop == expected;
  if (!ended)
    f.push_back({"stop " + key(stop), stop + " (expected " + expected + "): " + atline(stop)});
  std::vector<std::string> nb;
  if (v.count("NB")) {
    std::string cells = v.at("NB");
    if (!cells.empty() && cells.front() == '(') cells = cells.substr(1, cells.size() - 2);
    std::string c;
    for (const char ch : cells + ",") {
      if (ch != ',') {
        c += ch;
        continue;
      }
      nb.push_back(c);
      c.clear();
    }
  }
  auto val = [&](const std::string& n) { return v.count(n) ? v.at(n) : std::string("(none)"); };
  for (std::size_t i = 0; i < s.uses.size(); ++i) {
    const compose::Use& u = s.uses[i];
    const std::string n = i < nb.size() ? nb[i] : "?";
    std::string wanted = u.want.empty() ? "" : val(u.want);
    bool differs = !u.want.empty() && !samevalue(val(u.got), wanted);
    const bool alsodiffers = !u.also.empty() && !samevalue(val(u.also), wanted);
    if (u.want.empty()) {
      // V against the value the generator worked out.
      const double got = std::strtod(val(u.got).c_str(), nullptr);
      differs = !(std::fabs(got - s.value) <= 1e-9 * std::max(1.0, std::fabs(s.value)));
      wanted = numtext(s.value);
    }
    // (A run that stopped early left the last values half made.)
    if ((n == "0" || n == "?") && (!(differs || alsodiffers) || !ended)) continue;
    std::string t = u.what + ": " + n + " disagreement(s); expected " +
                    (u.want.empty() ? "" : u.want + "=") + wanted + ", got " + u.got + "=" +
                    val(u.got);
    if (!u.also.empty()) t += " and " + u.also + "=" + val(u.also);
    if (!u.reached.empty() && val(u.reached) != std::to_string(u.passes))
      t += "; the use was reached in " + val(u.reached) + " of " + std::to_string(u.passes) +
           " passes" + (ended ? "" : " when the run stopped");
    f.push_back({"use: " + u.kind, t});
  }
  for (const compose::Final& x : s.finals) {
    const std::string want = x.want.empty() ? numtext(x.value) : val(x.want);
    if (ended && !samevalue(val(x.name), want))
      f.push_back({"end: " + x.what,
                   x.what + ": expected " + want + ", got " + x.name + "=" + val(x.name)});
  }
  const std::string fast = fastfault(p);
  if (!fast.empty()) f.push_back({"fast path differs", "fast path: " + fast});
  return f;
}

// Runs the scripts of the given seeds and fails with a report of each
// failing one, and a count of the failures by kind.
void composeseeds(const std::vector<std::uint32_t>& seeds,
                  compose::Script (*generate)(std::uint32_t) = compose::generate) {
  const long limit = mutants::envnum("OSTREL_FUZZ_COMPOSE_MS", 4000);
  const std::uint32_t shown = mutants::envnum("OSTREL_FUZZ_COMPOSE_SHOW", 3);
  std::vector<compose::Script> all;
  std::vector<std::string> texts;
  for (const std::uint32_t seed : seeds) {
    all.push_back(generate(seed));
    texts.push_back(crlf(all.back().text));
  }
  const auto got = runboth(texts, limit, 2 * (4 * limit + 10000) + 5000, jobs());
  std::map<std::string, int> kinds;
  int failing = 0;
  std::string report;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto f = composefindings(all[i], got[i]);
    if (f.empty()) continue;
    ++failing;
    std::string one = "seed " + std::to_string(all[i].seed) + " (" +
                      (generate == compose::generate ? "E = " : "") + all[i].expr + "):\n";
    std::map<std::string, int> once;
    for (const auto& [k, x] : f) {
      one += "  " + x + "\n";
      if (once[k]++ == 0) ++kinds[k];
    }
    if (failing <= static_cast<int>(shown))
      one += "--- script ---\n" + all[i].text + "--- end ---\n";
    report += one;
  }
  std::string summary;
  for (const auto& [k, n] : kinds) summary += "  " + std::to_string(n) + " scripts: " + k + "\n";
  std::printf("%zu composed scripts, %d failing\n%s", all.size(), failing, summary.c_str());
  EXPECT_EQ(failing, 0) << report << "failing scripts by kind of failure:\n" << summary;
}

// The seeds of a run: count of them from the first, as <knob>_SEED and
// <knob>_COUNT choose, or the list <knob>_SEEDS ("870011,870126").
std::vector<std::uint32_t> seedsof(const std::string& knob, std::uint32_t first,
                                   std::uint32_t count) {
  first = mutants::envnum((knob + "_SEED").c_str(), first);
  count = mutants::envnum((knob + "_COUNT").c_str(), count);
  std::vector<std::uint32_t> seeds;
  for (std::uint32_t n = 0; n < count; ++n) seeds.push_back(first + n);
  if (const char* list = std::getenv((knob + "_SEEDS").c_str()); list != nullptr && *list != 0) {
    seeds.clear();
    for (const char* p = list; *p != 0; ++p)
      if (p == list || p[-1] == ',')
        seeds.push_back(static_cast<std::uint32_t>(std::strtoul(p, nullptr, 10)));
  }
  return seeds;
}

TEST(FastPath, ComposedExpressionsAgreeInEveryUseOnBothPaths) {
  composeseeds(seedsof("OSTREL_FUZZ_COMPOSE", 870001, testsupport::sized(100, 400)));
}

// Folds whose elements make texts (pieces, CHAR, TRIM) over arrays of 1 to
// 1,000 elements, folds in folds, on both paths and in a SUBROUTINE and a
// logical IF (shapes::textfolds): OSTREL_FUZZ_TEXTFOLDS_SEED, _COUNT and
// _SEEDS choose them.
TEST(FastPath, ComposedTextFoldsAgreeOnBothPaths) {
  composeseeds(seedsof("OSTREL_FUZZ_TEXTFOLDS", 84000000, testsupport::sized(30, 120)),
               shapes::textfolds);
}

// The first seeds that failed, one or more for each kind of fault they
// found: MAX/MIN lists with a text built-in refused (870001), a unary minus
// before a user FUNCTION and a FUNCTION in a WRITE item refused (870002,
// which also holds ELSEIFs over FUNCTIONs), a FUNCTION in a DO bound
// (870003), pieces with an omitted bound in statements with FUNCTIONs,
// IF ... GOTO or DO (870006, 870302), INDEX with a length in such
// statements (870011), a piece whose bound is a FUNCTION joined by //
// (870012), a block IF over a FUNCTION (870022), a piece one past its text
// on the last pass of a loop (870027), an undeclared formal array passed on
// and subscripted in one statement (870050), or first passed on and then
// subscripted (870323, 870419), an undeclared text formal cut into pieces
// (870195), text built-ins of pieces in WRITE items (871525), INDEX's
// length from the statement before END (871789), a FUNCTION after an
// operand in the fast path's first run (874925, over a FUNCTION of the
// form (a op b) op c, and 878090), MOD of a MOD after another MOD
// (875567), a MIN list whose bracketed argument holds a text built-in
// (880031), a one-character piece at a FUNCTION of a piece (880707), and
// an undeclared formal array passed on and subscripted beside a piece
// (881129), a piece with an omitted bound in a statement run word by word
// (870020), a piece of an undeclared text formal passed on (870038,
// 870313), pieces with an omitted lower bound in statements run word by
// word: bounded by a FUNCTION (870041), as a FUNCTION's argument (870098,
// 870256, also in IF, ELSEIF and WRITE), in a DO step and IF ... GOTO
// (870154), beside a FUNCTION reference (870157, 870264), texts joined
// inside INDEX among a FUNCTION's arguments (870047), pieces and characters
// of an undeclared text formal inside text built-ins (870026, 870032,
// 870036, 870045, 870095), also where the formal stands whole in an
// undeclared array's subscript (870338), and MAX/MIN lists of three and
// more whose bracketed relation, minus over a bracket or nested list holds
// a text built-in (870028, 870069, 870099, 870136, 870265, 870285). A
// statement naming six undeclared formals, one of them bound to an array,
// stopped with formalKind (78000162).
TEST(FastPath, ComposedExpressionsOfTheFirstFailingSeeds) {
  composeseeds({870001, 870002, 870003, 870006,  870011,  870012, 870020, 870022, 870026, 870027,
                870028, 870032, 870036, 870038,  870041,  870045, 870047, 870050, 870069, 870095,
                870098, 870099, 870136, 870154,  870157,  870195, 870256, 870264, 870265, 870285,
                870302, 870313, 870323, 870338,  870419,  871525, 871789, 874925, 875567, 878090,
                880031, 880707, 881129, 9201554, 9204388, 9207403, 78000162});
}

// Scripts of snippets of the rarer shapes (exec/shape_gen.h), run as the
// composed scripts are: OSTREL_FUZZ_SHAPES_SEED, _COUNT and _SEEDS choose
// them; the break key, the number shown and the children at once are the
// composed scripts' own knobs.
TEST(FastPath, ComposedShapesLeaveWhatTheGeneratorWorkedOutOnBothPaths) {
  composeseeds(seedsof("OSTREL_FUZZ_SHAPES", 510001, 200), shapes::generate);
}

// The first seeds that failed, each for the fault it found: a fold over an
// array formal in a FUNCTION stopped its statement with xeq3020 (510001),
// and so did a whole-array statement referencing a FUNCTION of an array
// (510005, beside pieces read backwards with FUNCTION bounds that read
// short); folds and whole-array statements with a FUNCTION gave wrong
// values (510033, and 510176: a fold with a FUNCTION as a DO limit, a MIN
// fold in a FUNCTION body); a block IF and ELSEIF decided by a fold with a
// FUNCTION stopped at ELSE with xeqUnknown, and the paths differed
// (510002); XEQ of a text referencing a FUNCTION ended the run with stop=0
// (510004, beside a blank piece after a join that lost its blanks in a
// FUNCTION statement); XEQ of a lone number (510015) and a run error inside
// an XEQ text (510062) repeated without end; a number XEQ gives inside a
// larger expression (510362) or into an element (510488) did not stop the
// run, nor did a text target (514595, stop=0); a false IF guarding a MAX
// list of pieces of a short text formal stopped with xeq3045 (510007), and
// the list held a wrong value when the IF held (510072); a piece read
// backwards handed to a FUNCTION's text formal was too short for its own
// piece (510011); a blank piece between two others kept its blank when a
// bound was a FUNCTION (510185); a relation over a join holding a piece
// read backwards held false, and BITS beside a FUNCTION stopped with
// noRiteSide (510031); BITS in a product stopped with xeq3020 (510032);
// STRUCT reading a record over itself stopped with structNotDefined
// (510021); a piece bound by a FUNCTION past its text stopped with
// substringInd (510076) or not at all (511136). A whole-array statement
// into a SUBROUTINE's array formal read its undeclared array formals as
// numbers, every element the same (510080), or stopped with charToNum
// (510073). A MIN list of pieces read backwards, worked out before its
// logical IF's statement, read them empty (4000001); so did a relation over
// a join of them (4000095); a fold with a FUNCTION as a DO limit took its
// array's last element on the general path (4000060).
// Folds of folds and lists over whole arrays: a list into a whole array
// took an array's first element, beside a FUNCTION the last (3000000,
// 3000019 with $); MAXLOC as a DO start or step ran over the inner array's
// count (3000103, 3000059); RAN (3000014, 3000017 in a DO limit) and MOD
// (3000006) of an array beside a FUNCTION stopped with notPossible; a fold
// of a list's fold was refused (3000009, 3000043); folds four deep stopped
// with xeq3033 (3000112) or xeq3501 in a WRITE item (3000066); a fold with
// a FUNCTION as a DO bound stopped at ENDDO with vectorisation (3000031)
// and an ELSEIF over a list with a FUNCTION at ELSE with xeqUnknown
// (3000065), each path elsewhere; folds four deep as a FUNCTION's argument
// differed between the paths (3000003); MIN($ + 5, X, ...) beside a
// FUNCTION stopped with charToNum (3000070).
// Folds whose terms hold a piece with INDEX or LEN_TRIM in its start bound
// beside a FUNCTION folded the first element alone (5000135 SUM, 5000148
// MAX, 5000159 MIN), stopped with substringInd (5000041, 5000048 in a
// FUNCTION body), notPossible (5000163) or, the FUNCTION first,
// stackUnderFlow (5000198).
// A list that holds a FUNCTION reference stopped with vectorisation into a
// text (73000003) and was refused with syntax as an XEQ text, into a text
// (73000006) and alone (73000014, 73000015). Beside a FUNCTION a list's
// join took a sum after it as its operand, FI(9) - 2 (77000100) and
// 9 + BITS(A) in an XEQ text (77000346) stopping with notPossible; a fold
// over a whole array after a join in an XEQ list folded nothing and left
// no value, xeqillegal (77000220, 77000277). A FUNCTION referenced
// half-way that ran an XEQ text put the text's names over the values the
// statement held, its FUNCTION's result (79000021) and its joined text
// (79000010); one that wrote a record put the record's layout there
// (79000024, 79000106 stopping with charToNum, 79000161 its name over
// the text). BITS before a fold over a whole array beside a FUNCTION left
// the fold to the statement's passes, one element alone (80004672).
TEST(FastPath, ComposedShapesOfTheFirstFailingSeeds) {
  composeseeds({510001,  510002,  510004,   510005,   510007,   510011,  510015,  510021,  510031,
                510032,  510033,  510062,   510072,   510073,   510076,  510080,  510176,  510185,
                510362,  510488,  511136,   514595,   3000000,  3000003, 3000006, 3000009, 3000014,
                3000017, 3000019, 3000031,  3000043,  3000059,  3000065, 3000066, 3000070, 3000103,
                3000112, 4000001, 4000060,  4000095,  5000041,  5000048, 5000135, 5000148, 5000159,
                5000163, 5000198, 73000003, 73000006, 73000014, 73000015, 77000100, 77000220,
                77000277, 77000346, 79000010, 79000021, 79000024, 79000106, 79000161,
                80004672},
               shapes::generate);
}

// Differences found between the two paths, each cut down to a small
// script (they fail while the fast path has the fault).

// 1E308 - (-1E308) overflows inside the relation; the general path stops
// at the statement with the overflow, the fast one took the relation as
// true and ran on (the overflow then stopped a later statement, or none).
TEST(FastPathFaults, ARelationWhoseDifferenceOverflowsStopsItsStatement) {
  expectsame("A = 1E300 * 1E8\nB = A > -A\nEND\n");
  expectsame("A = 1E300 * 1E8\nIF (A > -A) B = 1\nC = 1\nEND\n");
  expectsame("A = 1E300 * 1E8\nDO I = 1, 3\n  B = A > -A\nENDDO\nC = SUM(1)\nEND\n");
}

// The loop test of the DO statement overflows (-1E308 - 1E308); the general
// path reports the overflow at the next statement it evaluates, the first
// statement of the body. The fast path runs the body and the loop end
// without looking at the pending overflow.
// A reference made in one step whose value then overflows stops its
// statement at the operator that overflowed; so does a function computed
// with its references whose own statement overflows, and one that
// references itself.
TEST(FastPathFaults, AnOverflowAfterAReferenceStopsItsStatementAtItsOperator) {
  const std::string sq = "GOTO 1\nFUNCTION SQ(X)\n  SQ = X * X\nEND\n";
  expectsame(sq + "1 Q = 0\nH = 1E300\nDO I = 1, 4\n  Q = Q + SQ(I) * H * 1E8\nENDDO\nEND\n");
  expectsame(sq +
             "FUNCTION BIG(A)\n  BIG = SQ(A) * 1E300\nEND\n1 Q = 0\nDO I = 1, 4\n"
             "  Q = Q + BIG(I * 1E4)\nENDDO\nEND\n");
  expectsame(sq +
             "FUNCTION SELF(A)\n  SELF = SQ(A) + SELF(A - 1)\nEND\n1 Q = 0\n"
             "DO I = 1, 3\n  Q = Q + SELF(I)\nENDDO\nEND\n");
}

// A reference taken in line, once its function was found for it, gives
// the function's failure back to the general path on the pass it fails:
// a quotient, a MOD and a program whose value is no finite number stop at
// the function's line; an actual of another kind or a text, a function
// named twice in one statement and a value that is unassigned as well.
TEST(FastPathFaults, AReferenceTakenInLineFailsAtItsFunctionsLine) {
  const std::string fns =
      "GOTO 1\nFUNCTION Q(X, Y)\n  Q = X / Y\nEND\nFUNCTION M(X, Y)\n  M = MOD(X, Y)\nEND\n"
      "FUNCTION P(X, Y)\n  P = X * 0.5 - 3 / Y\nEND\nFUNCTION SQ(X)\n  SQ = X * X\nEND\n";
  for (const char* f : {"Q", "M", "P"})
    expectsame(fns + "1 S = 0\nDO I = 1, 6\n  S = S + SQ(I) + " + f + "(I, 3 - I) + SQ(I + 1)\n" +
               "ENDDO\nEND\n");
  expectsame(fns + "1 S = 0\nA = 1\nDO I = 1, 6\n  S = S + SQ(A) + Q(A, 2)\n  A = A + 0.5\n" +
             "  IF (I == 5) A = 'TEXT'\nENDDO\nEND\n");
  expectsame(fns + "1 S = 0\nDO I = 1, 4\n  S = S + SQ(I) + SQ(J)\n  J = I\nENDDO\nEND\n");
}

// Statements whose references are all taken in line, without frames: a
// function whose one statement overflows on a later pass (a formal bound
// to a variable that grows), one function bound to a variable and to a
// constant in one statement, MOD by an actual that reaches 0, the target
// as an actual, references under MIN and MAX whose actual turns into a
// text, and such a statement in a subroutine called from two frames.
TEST(FastPathFaults, StatementsOfReferencesTakenInLineFailWhereTheirFunctionsFail) {
  const std::string fns =
      "GOTO 1\nFUNCTION SQ(X)\n  SQ = X * X\nEND\nFUNCTION BIG(X, H)\n  BIG = X * H\nEND\n"
      "FUNCTION M(X, Y)\n  M = MOD(X, Y)\nEND\nFUNCTION G(X, Y)\n  G = X * 0.5 - Y\nEND\n";
  expectsame(fns +
             "1 S = 0\nT = 0\nH = 1E300\nDO I = 1, 12\n"
             "  S = S + SQ(I) + BIG(I * 3, H) * 1E-300 + SQ(I)\n"
             "  T = T + SQ(I) + SQ(2) + G(I, T) + SQ(I + 1)\n"
             "  IF (I == 8) H = H * 1E7\nENDDO\nEND\n");
  expectsame(fns + "1 S = 0\nDO I = 1, 9\n  S = S + M(I, 7 - I) + SQ(I) + G(I, S) + SQ(I)\n" +
             "ENDDO\nEND\n");
  expectsame(fns + "1 T = 0\nY = 3\nDO I = 1, 9\n" +
             "  T = T + MIN(G(I, Y), 1.5, SQ(I), G(Y, I)) - MAX(SQ(Y), G(I, T), 0.25)\n" +
             "  IF (I == 6) Y = 'TEXT'\nENDDO\nEND\n");
  expectsame(fns +
             "SUBROUTINE ACC(S, I)\n  S = S + SQ(I) + G(I, 1) + SQ(I)\nEND\n"
             "SUBROUTINE TWO(S, I)\n  CALL ACC(S, I)\n  S = S - SQ(S) * 1E-6\nEND\n"
             "1 S = 0\nDO I = 1, 8\n  CALL ACC(S, I)\n  CALL TWO(S, I)\nENDDO\nEND\n");
}

// The detail of a failure that an ERror label took up (the statement of
// the callback that failed) stays until a statement of the expression path
// clears it; the statements after the label ran by their forms and kept it.
TEST(FastPathFaults, TheDetailOfAFailureTakenUpByItsLabelGoesWithTheNextStatement) {
  expectsame(
      "DIMENSION Y(1), DY(1), A(2)\nT = 1\nDIFFEQ(CallBack=RHS, T=T, Y=Y, DY=DY, ERror=20)\n"
      "20 B = 1\nEND\nSUBROUTINE RHS\n  DY(1) = A(3)\nEND\n");
}

TEST(FastPathFaults, AnOverflowLeftByTheLoopTestStopsTheNextStatement) {
  expectsame("A = 1E300 * 1E8\nN = 0\nDO I = -A, A, A\n  N = N + 1\nENDDO\nEND\n");
}

// An array that was named but never given storage stops the statement
// that names it when the general path links it, before any condition is
// tested; the fast path tested the condition, found it false and ran on.
TEST(FastPathFaults, AnArrayWithoutStorageStopsItsStatementEvenUnderAFalseIf) {
  expectsame("IF (0) W(1) = 1\nEND\n");
  expectsame("A = 1\nIF (A > 3) S = V(1)\nEND\n");
  // (a function not known yet is such an array too)
  expectsame("IF (0) X = LATER(1)\nA = 1\nEND\nFUNCTION LATER(Q)\n  LATER = Q\nEND\n");
  // (a WRITE whose items compute: its form gave the statement back after
  // it had set the run words' cells, which the failed link leaves)
  expectsame("WRITE(FIle=F, Format='F6.1') A(I) + I\nEND\n#FORM Your details\n");
}

// The logarithm of 0 divides by zero; under a base of 0 the quotient is
// finite (-0), and the fast path took it and ran on to the next statement.
TEST(FastPathFaults, TheLogarithmOfZeroStopsItsStatementUnderAFiniteQuotient) {
  expectsame("A = LOG(8, 0)\nB = 1\nEND\n");
  expectsame("L = 0\nA = 1 + LOG(L, 8) + LOG(8, L)\nB = 1\nEND\n");
}

// A GOTO under a one-line IF whose condition is computed stops at the
// same statement with the same message when a value of the condition is
// no finite number, or a relation's difference overflows.
TEST(FastPathFaults, AComputedJumpConditionThatFailsStopsItsStatement) {
  expectsame("A = 0\nB = 2\nIF (B / A > 1) GOTO 10\nC = 1\n10 END\n");
  expectsame("A = -8\nB = 0.5\nIF (A ** B + 1 > 1) GOTO 10\nC = 1\n10 END\n");
  expectsame("A = 1E300 * 1E8\nB = -A\nDO I = 1, 3\n  IF (I * A > B) GOTO 10\nENDDO\n10 END\n");
}

}  // namespace
