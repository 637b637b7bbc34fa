// How much of real programs the statement loop runs by compiled forms: the
// scripts of tests/scripts and examples/ and mutants of them (the pipeline
// fuzz test's generator), each run without a display in a child process of
// its own, counted statement by statement as the loop runs them. Prints the
// share of the statements, option statements included, that ran by their
// forms alone (not by the loop's word handlers nor the general path), and
// why the others did not.
//
// Usage: ostrel_formshare [mutants] [seed] [folder ...]
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "exec/fastpath.h"
#include "exec/headless_run.h"
#include "exec/script_mutants.h"
#include "ide/builtins_install.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

void press_escape(int) {
  core::keyrec[1] = 1;
  core::keystate[1] = 1;
}

// Runs the text in a child and adds what it counted.
void count(const std::string& text, exec::fast::Tally& all) {
  int fds[2];
  if (pipe(fds) != 0) return;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const testsupport::TempDir dir;
    fs::current_path(dir.path());
    std::signal(SIGALRM, press_escape);
    itimerval t{};
    t.it_value.tv_usec = 500000;
    t.it_interval.tv_usec = 200000;
    setitimer(ITIMER_REAL, &t, nullptr);
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    exec::fast::Tally mine;
    exec::fast::tally = &mine;
    exec::run_script(text);
    exec::fast::tally = nullptr;
    std::string out = std::to_string(mine.forms) + "\n" + std::to_string(mine.options) + "\n";
    for (const auto& [why, n] : mine.handed) out += std::to_string(n) + " " + why + "\n";
    (void)!write(fds[1], out.data(), out.size());
    _exit(0);
  }
  close(fds[1]);
  std::string in;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
    in.append(buf, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  std::size_t at = 0;
  auto line = [&]() {
    const std::size_t e = in.find('\n', at);
    std::string l = in.substr(at, e == std::string::npos ? std::string::npos : e - at);
    at = e == std::string::npos ? in.size() : e + 1;
    return l;
  };
  if (in.empty()) return;
  all.forms += std::strtoull(line().c_str(), nullptr, 10);
  all.options += std::strtoull(line().c_str(), nullptr, 10);
  while (at < in.size()) {
    const std::string l = line();
    const std::size_t sp = l.find(' ');
    if (sp != std::string::npos)
      all.handed[l.substr(sp + 1)] += std::strtoull(l.c_str(), nullptr, 10);
  }
}

void report(const char* what, const exec::fast::Tally& t) {
  std::uint64_t handed = 0;
  for (const auto& [why, n] : t.handed) handed += n;
  const std::uint64_t base = t.forms + handed;
  std::printf("%s: %llu statements run (%llu option statements), %.1f %% by forms alone\n", what,
              static_cast<unsigned long long>(base), static_cast<unsigned long long>(t.options),
              base > 0 ? 100.0 * static_cast<double>(t.forms) / static_cast<double>(base) : 0.0);
  std::vector<std::pair<std::uint64_t, std::string>> why;
  for (const auto& [w, n] : t.handed) why.emplace_back(n, w);
  std::sort(why.rbegin(), why.rend());
  for (std::size_t i = 0; i < why.size() && i < 12; ++i)
    std::printf("  %6.2f %%  %s\n",
                100.0 * static_cast<double>(why[i].first) / static_cast<double>(base),
                why[i].second.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t nmutants = argc > 1 ? static_cast<std::uint32_t>(std::atoi(argv[1])) : 300;
  const std::uint32_t seed = argc > 2 ? static_cast<std::uint32_t>(std::atoi(argv[2])) : 20261207;
  ide::install_all_builtins();
  exec::reset_all();
  exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string());
  std::vector<fs::path> folders = {testsupport::source_dir() / "tests" / "scripts",
                                   testsupport::source_dir() / "examples"};
  if (argc > 3) folders.assign(argv + 3, argv + argc);
  for (const fs::path& folder : folders) {
    exec::fast::Tally t;
    const bool each = std::getenv("OSTREL_FORMSHARE_EACH") != nullptr;
    for (const auto& e : fs::directory_iterator(folder)) {
      if (e.path().extension() != ".ost" || e.path().stem() == "char_length_huge") continue;
      exec::fast::Tally one;
      count(testsupport::crlf(testsupport::read_file(e.path())), one);
      if (each) report(e.path().filename().c_str(), one);
      t.forms += one.forms;
      t.options += one.options;
      for (const auto& [why, n] : one.handed) t.handed[why] += n;
    }
    report(folder.filename().c_str(), t);
  }
  const auto all = mutants::corpus(mutants::corpusdir());
  const auto toks = mutants::tokens(all);
  std::mt19937 rng(seed);
  exec::fast::Tally t;
  for (std::uint32_t n = 0; n < nmutants; ++n) count(mutants::mutant(all, toks, rng, 6), t);
  report("mutants", t);
  return 0;
}
