// Whatever a user types, compiling and running it must neither crash, nor
// corrupt memory, nor hang. Scripts are made by mutating the lines of the
// real scripts in tests/scripts (seeded, so a failure can be replayed) and
// each runs in a child process of its own with a time limit. A run that is
// still going after a while gets the break key, as a user would press
// Escape: a script that loops for ever stops there; one that does not stop
// even then hangs inside a statement.
//
// OSTREL_FUZZ_SEED, OSTREL_FUZZ_COUNT and OSTREL_FUZZ_CHANGES (most changes
// per script) choose other seeds, more scripts and rougher mutants for a
// longer run by hand; OSTREL_FUZZ_CORPUS another folder of scripts to mutate.
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
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/runwords.h"
#include "exec/script_runner.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

std::vector<Lines> corpus() {
  std::vector<fs::path> files;
  const char* other = std::getenv("OSTREL_FUZZ_CORPUS");
  const fs::path dir = other != nullptr && *other != 0
                           ? fs::path(other)
                           : testsupport::source_dir() / "tests" / "scripts";
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".ost" && e.path().stem() != "char_length_huge")
      files.push_back(e.path());
  std::sort(files.begin(), files.end());
  // (The script that asks for the largest character store is left out: its
  // mutants would fill a gigabyte each, which is slow but no fault.)
  std::vector<Lines> out;
  for (const auto& f : files) {
    const std::string text = testsupport::read_file(f);
    Lines lines;
    std::string line;
    for (const char c : text) {
      if (c == '\n') {
        lines.push_back(line);
        line.clear();
      } else if (c != '\r') {
        line += c;
      }
    }
    if (!line.empty()) lines.push_back(line);
    out.push_back(lines);
  }
  return out;
}

bool wordchar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$';
}

// Pieces of the language: what the scripts use, and what they may get wrong.
std::vector<std::string> tokens(const std::vector<Lines>& all) {
  std::vector<std::string> out = {"IF",
                                  "THEN",
                                  "ELSE",
                                  "ELSEIF",
                                  "ENDIF",
                                  "DO",
                                  "ENDDO",
                                  "GOTO",
                                  "END",
                                  "FUNCTION",
                                  "SUBROUTINE",
                                  "RETURN",
                                  "CALL",
                                  "DIMENSION",
                                  "STRUCT",
                                  "ALIAS",
                                  "STOP",
                                  "WHILE",
                                  "CONTINUE",
                                  "+",
                                  "-",
                                  "*",
                                  "/",
                                  "**",
                                  "^",
                                  "==",
                                  "/=",
                                  "<>",
                                  "<",
                                  ">",
                                  "<=",
                                  ">=",
                                  "=",
                                  "(",
                                  ")",
                                  "[",
                                  "]",
                                  "{",
                                  "}",
                                  ",",
                                  ";",
                                  ":",
                                  "::",
                                  "\"",
                                  "'",
                                  "!",
                                  "&",
                                  "|",
                                  "%",
                                  "#",
                                  "@",
                                  ".",
                                  "..",
                                  "0",
                                  "1",
                                  "-1",
                                  "0.5",
                                  "1E308",
                                  "1E-308",
                                  "1D999",
                                  "2147483647",
                                  "-2147483648",
                                  "99999999999999999999",
                                  "32767",
                                  "65536",
                                  "1.5E",
                                  "A",
                                  "B",
                                  "X",
                                  "I",
                                  "V",
                                  "A(1)",
                                  "A(0)",
                                  "A(-1)",
                                  "A(99999)",
                                  "\"\"",
                                  "''",
                                  "\"abc\"",
                                  "'x'",
                                  "\xE4",
                                  "\t",
                                  " ",
                                  "",
                                  "(((",
                                  ")))",
                                  ",,",
                                  "0/0"};
  for (const auto& lines : all)
    for (const auto& line : lines) {
      std::string w;
      for (const char c : line + ' ') {
        if (wordchar(c)) {
          w += c;
        } else {
          if (!w.empty() && w.size() < 24) out.push_back(w);
          w.clear();
        }
      }
    }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

// Cuts the line into words and single characters, keeping blanks.
Lines pieces(const std::string& line) {
  Lines out;
  std::string w;
  for (const char c : line) {
    if (wordchar(c)) {
      w += c;
      continue;
    }
    if (!w.empty()) out.push_back(w);
    w.clear();
    out.emplace_back(1, c);
  }
  if (!w.empty()) out.push_back(w);
  return out;
}

std::string joined(const Lines& p) {
  std::string s;
  for (const auto& x : p) s += x;
  return s;
}

// One mutant of a script: a few changes to its lines, its characters or
// its tokens, sometimes with lines taken from another script.
std::string mutant(const std::vector<Lines>& all, const std::vector<std::string>& toks,
                   std::mt19937& rng, std::size_t maxchanges) {
  auto pick = [&](std::size_t n) {
    return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  Lines s = all[pick(all.size())];
  const int changes = 1 + static_cast<int>(pick(maxchanges));
  for (int c = 0; c < changes; ++c) {
    if (s.empty()) s.emplace_back();
    const std::size_t i = pick(s.size());
    switch (pick(12)) {
      case 0:  // drop a line
        s.erase(s.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      case 1:  // duplicate a line
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(i), s[i]);
        break;
      case 2:  // swap two lines
        std::swap(s[i], s[pick(s.size())]);
        break;
      case 3: {  // a line of another script
        const Lines& o = all[pick(all.size())];
        if (!o.empty()) s.insert(s.begin() + static_cast<std::ptrdiff_t>(i), o[pick(o.size())]);
        break;
      }
      case 4:  // cut a character
        if (!s[i].empty()) s[i].erase(pick(s[i].size()), 1);
        break;
      case 5:  // insert a character
        s[i].insert(pick(s[i].size() + 1), 1, static_cast<char>(32 + pick(95)));
        break;
      case 6:  // replace a character, now and then by any byte
        if (!s[i].empty())
          s[i][pick(s[i].size())] =
              pick(8) == 0 ? static_cast<char>(1 + pick(255)) : static_cast<char>(32 + pick(95));
        break;
      case 7:  // cut the line short
        s[i].resize(pick(s[i].size() + 1));
        break;
      case 8: {  // replace a token
        Lines p = pieces(s[i]);
        if (!p.empty()) p[pick(p.size())] = toks[pick(toks.size())];
        s[i] = joined(p);
        break;
      }
      case 9: {  // insert a token
        Lines p = pieces(s[i]);
        p.insert(p.begin() + static_cast<std::ptrdiff_t>(pick(p.size() + 1)),
                 toks[pick(toks.size())]);
        s[i] = joined(p);
        break;
      }
      case 11: {  // a line of tokens in no order
        std::string l;
        for (std::size_t k = 1 + pick(10); k > 0; --k)
          l += toks[pick(toks.size())] + (pick(2) ? " " : "");
        s.insert(s.begin() + static_cast<std::ptrdiff_t>(i), l);
        break;
      }
      default: {  // drop a token
        Lines p = pieces(s[i]);
        if (!p.empty()) p.erase(p.begin() + static_cast<std::ptrdiff_t>(pick(p.size())));
        s[i] = joined(p);
        break;
      }
    }
  }
  std::string text;
  for (const auto& l : s) text += l + "\r\n";
  return text;
}

void press_escape(int) {
  core::keyrec[1] = 1;
  core::keystate[1] = 1;
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
    signal(SIGALRM, press_escape);
    itimerval t{};
    t.it_value.tv_usec = 700000;
    t.it_interval.tv_usec = 200000;  // again, should the run clear it
    setitimer(ITIMER_REAL, &t, nullptr);
    scriptrun::run(text);
    _exit(0);
  }
  close(fds[1]);
  std::string err;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
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

std::uint32_t envnum(const char* name, std::uint32_t dflt) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == 0) return dflt;
  std::uint32_t n = 0;
  for (; *v >= '0' && *v <= '9'; ++v) n = n * 10 + static_cast<std::uint32_t>(*v - '0');
  return n;
}

TEST(PipelineFuzz, NoMutatedScriptCrashesCorruptsOrHangs) {
  const auto all = corpus();
  ASSERT_FALSE(all.empty());
  const auto toks = tokens(all);
  const std::uint32_t seed = envnum("OSTREL_FUZZ_SEED", 20261207);
  const std::uint32_t count = envnum("OSTREL_FUZZ_COUNT", 1200);
  const std::size_t maxchanges = std::max<std::uint32_t>(envnum("OSTREL_FUZZ_CHANGES", 6), 1);
  std::mt19937 rng(seed);
  // Fresh stores once; every child starts from this state.
  scriptrun::start();
  int failures = 0;
  for (std::uint32_t n = 0; n < count && failures < 5; ++n) {
    const std::string text = mutant(all, toks, rng, maxchanges);
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
