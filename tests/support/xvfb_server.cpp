#include "support/xvfb_server.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace testsupport {

namespace {

class Server {
 public:
  Server() {
    int fds[2];
    if (pipe(fds) != 0) {
      error_ = "no pipe";
      return;
    }
    const std::string fd = std::to_string(fds[1]);
    // Without shared memory: cairo keeps a small record of a shared-memory
    // upload past the close of the display, which the leak checker reports.
    // Without auto-repeat: on a loaded machine the server may come to a
    // key's release only after the repeat delay, and type it twice.
    const char* argv[] = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                          "1280x1024x24", "-nolisten",  "tcp",      "-noreset", "-extension",
                          "MIT-SHM",      "-r",         nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01 /*O_WRONLY*/, 0);
    const int rc =
        posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
      error_ = "Xvfb cannot be started (is the package xvfb installed?)";
      pid_ = 0;
      close(fds[0]);
      return;
    }
    // The server writes its display number and a line end once it listens.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && ::poll(&p, 1, 30000) > 0) {
      char buf[16];
      const ssize_t n = read(fds[0], buf, sizeof buf);
      if (n <= 0) break;
      number.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
      error_ = "Xvfb did not report its display";
      return;
    }
    display_ = std::string(":").append(number, 0, number.find('\n'));
  }
  ~Server() { stop(); }
  void stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = 0;
  }
  const std::string& display() const { return display_; }
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = 0;
  std::string display_;
  std::string error_;
};

Server& server() {
  static Server one;
  return one;
}

}  // namespace

std::string xvfb_display(std::string* why) {
  if (why != nullptr) *why = server().error();
  return server().display();
}

void stop_xvfb() { server().stop(); }

}  // namespace testsupport
