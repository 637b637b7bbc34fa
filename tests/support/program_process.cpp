#include "support/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "support/display_user.h"
#include "support/xvfb_server.h"

namespace testsupport {

namespace {

constexpr int kRunLimit = 55;  // seconds the program may live

}  // namespace

void ProgramOnADisplay::SetUp() {
  std::string why;
  display = xvfb_display(&why);
  ASSERT_FALSE(display.empty()) << why;
}

void ProgramOnADisplay::TearDown() {
  DisplayUser::abandon_note = nullptr;
  DisplayUser::gives_up_alone = {};
  if (pid > 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
}

void ProgramOnADisplay::start(const std::string& program, const std::vector<std::string>& args) {
  const std::string errfile = logs.file("err");
  // A test that gives up says what the program wrote and whether it ended.
  DisplayUser::abandon_note = [this, errfile] {
    int status = 0;
    const bool ended = pid > 0 && waitpid(pid, &status, WNOHANG) == pid;
    if (ended) pid = -1;  // (reaped: nothing for the clean-up to end)
    return std::string(ended ? "The program had ended" : "The program was running") +
           "; it wrote:\n" + read_file(errfile);
  };
  // The program is a process of its own: a wait in vain fails this test,
  // the clean-up ends the program, and the tests after it run.
  DisplayUser::gives_up_alone = std::this_thread::get_id();
  pid = fork();
  if (pid == 0) {
    if (chdir(dir.path().c_str()) != 0) _exit(126);
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME",
                          "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
      setenv(v, dir.path().c_str(), 1);
    setenv("DISPLAY", display.c_str(), 1);
    std::string asan = "detect_leaks=1";
    if (const char* old = std::getenv("ASAN_OPTIONS")) asan = std::string(old) + ":" + asan;
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    alarm(kRunLimit);
    dup2(open(errfile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
}

int ProgramOnADisplay::finish() {
  int status = 0;
  waitpid(pid, &status, 0);
  pid = -1;
  err = read_file(logs.path() / "err");
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
    err += "(the program did not end within " + std::to_string(kRunLimit) + " seconds)\n";
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace testsupport
