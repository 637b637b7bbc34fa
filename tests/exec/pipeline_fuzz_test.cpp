// Whatever a user types, compiling and running it must neither crash, nor
// corrupt memory, nor hang. Scripts are made by mutating the lines of the
// real scripts in tests/scripts (seeded, so a failure can be replayed) and
// each runs in a child process of its own. A run that is still going after
// a budget of statements gets the break key, as a user would press Escape:
// a script that loops for ever stops there, however busy the machine; one
// that does not stop even then hangs inside a statement.
//
// OSTREL_FUZZ_SEED, OSTREL_FUZZ_COUNT and OSTREL_FUZZ_CHANGES (most changes
// per script) choose other seeds, more scripts and rougher mutants for a
// longer run by hand; OSTREL_FUZZ_CORPUS another folder of scripts to mutate.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "exec/postfix.h"
#include "exec/script_mutants.h"
#include "exec/script_runner.h"
#include "ide/panlio.h"
#include "support/test_support.h"

namespace {

void press_escape(int) {
  core::keyrec[1] = 1;
  core::keystate[1] = 1;
}

// The statement budget of a run: the input step runs between every two
// statements (the forms leave each statement's end to it while
// `stepwatch` is set); past the budget it presses the break key, and again
// at every step after. (A run that waits, an alarm's wait, does no
// statements: it gets the break key after 10 s of sleep.)
constexpr int budget = 20000;
int statements = 0;
void countingstep() {
  if (++statements > budget) press_escape(0);
  ide::PANLIOSTEP();
}

struct Verdict {
  bool ok = true;
  std::string what;
};

// Compiles and runs the script in a child process; the child's standard
// error is read for sanitizer reports.
Verdict isolated(const std::string& text) {
  std::array<int, 2> fds{};
  if (pipe(fds.data()) != 0) return {false, "no pipe"};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], 2);
    const int devnull = open("/dev/null", O_WRONLY);
    if (devnull >= 0) dup2(devnull, 1);
    exec::PANLIOSTEP = countingstep;
    exec::stepwatch = true;
    scriptrun::breakkeyafter(press_escape, 600000, 10000);
    scriptrun::run(text);
    _exit(0);
  }
  close(fds[1]);
  std::string err;
  // A child that has not ended three minutes after its start hangs (the
  // break key came long before: a budget of statements takes a fraction of
  // a second of processor time, and a busy machine does not hold a child
  // back that long).
  const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  bool hung = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          until - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) {
      hung = true;
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    std::array<char, 4096> buf{};
    const ssize_t n = read(fds[0], buf.data(), buf.size());
    if (n <= 0) break;
    err.append(buf.data(), static_cast<std::size_t>(n));
  }
  if (hung) kill(pid, SIGKILL);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (hung) return {false, "hangs even after the break key\n" + err};
  if (WIFSIGNALED(status))
    return {false, "killed by signal " + std::to_string(WTERMSIG(status)) + "\n" + err};
  if (WEXITSTATUS(status) != 0)
    return {false, "exit code " + std::to_string(WEXITSTATUS(status)) + "\n" + err};
  if (err.find("runtime error") != std::string::npos || err.find("Sanitizer") != std::string::npos)
    return {false, "sanitizer report\n" + err};
  return {};
}

TEST(PipelineFuzz, NoMutatedScriptCrashesCorruptsOrHangs) {
  using mutants::envnum;
  const auto all = mutants::corpus(mutants::corpusdir());
  ASSERT_FALSE(all.empty());
  const auto toks = mutants::tokens(all);
  const std::uint32_t seed = envnum("OSTREL_FUZZ_SEED", 20261207);
  const std::uint32_t count = envnum("OSTREL_FUZZ_COUNT", testsupport::sized(300, 1200));
  const std::size_t maxchanges = std::max<std::uint32_t>(envnum("OSTREL_FUZZ_CHANGES", 6), 1);
  std::mt19937 rng(seed);
  // Fresh stores once; every child starts from this state. A message shown
  // once here sets up the toolkit and its fonts, which every child would
  // otherwise set up anew, reading the font files again.
  scriptrun::start();
  scriptrun::run("X = (1\nEND\n");
  int failures = 0;
  for (std::uint32_t n = 0; n < count && failures < 5; ++n) {
    const std::string text = mutants::mutant(all, toks, rng, maxchanges);
    const Verdict v = isolated(text);
    if (!v.ok) {
      ++failures;
      ADD_FAILURE() << "script " << n << " of seed " << seed << ": " << v.what.substr(0, 3000)
                    << "\n--- script ---\n"
                    << text << "--- end ---";
    }
  }
  scriptrun::finish();
}

}  // namespace
