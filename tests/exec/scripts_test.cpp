// The suite of real scripts: every tests/scripts/<name>.ost is compiled and
// run as RUN does, without a display, and its outcome (the main program's
// variables, the stop word, the message key) must equal <name>.out beside it.
// Each script runs in a child process of its own.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "exec/script_runner.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

using testsupport::crlf;

// The text without blank lines at its end (an editor may add one).
std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

// Runs the script in a child process of its own, so that no state of one
// script can reach the next and a script that never ends is cut off.
std::string isolated(const std::string& text, const std::string& in = "") {
  std::array<int, 2> fds{};
  if (pipe(fds.data()) != 0) return "no pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    alarm(30);
    scriptrun::start();
    scriptrun::input(in);
    const std::string out = scriptrun::run(text);
    scriptrun::finish();
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  std::array<char, 4096> buf{};
  for (ssize_t n; (n = read(fds[0], buf.data(), buf.size())) > 0;)
    out.append(buf.data(), static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out += "(the run did not end normally)\n";
  return out;
}

std::vector<fs::path> scripts() {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(testsupport::source_dir() / "tests" / "scripts"))
    if (e.path().extension() == ".ost") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(Scripts, EveryScriptGivesItsExpectedOutcome) {
  const auto all = scripts();
  ASSERT_FALSE(all.empty());
  for (const fs::path& p : all) {
    SCOPED_TRACE(p.filename().string());
    fs::path expected = p;
    expected.replace_extension(".out");
    if (!fs::exists(expected)) {
      ADD_FAILURE() << "no expected outcome beside the script";
      continue;
    }
    // What the script's READs from a window take, when it has any.
    fs::path in = p;
    in.replace_extension(".in");
    const std::string got =
        isolated(crlf(testsupport::read_file(p)), fs::exists(in) ? testsupport::read_file(in) : "");
    EXPECT_EQ(trimmed(got), trimmed(testsupport::read_file(expected)));
  }
}

TEST(Scripts, TheExamplesRunToTheirEnd) {
  for (const auto& e : fs::directory_iterator(testsupport::source_dir() / "examples")) {
    if (e.path().extension() != ".ost") continue;
    SCOPED_TRACE(e.path().filename().string());
    const std::string got = isolated(crlf(testsupport::read_file(e.path())));
    EXPECT_NE(got.find("stop=-1\n"), std::string::npos) << got;
  }
}

}  // namespace
