#include "support/xvfb_server.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on

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
  // Starts openbox on the display, once; waits (bounded) until it has
  // put its check window on the root window.
  bool manager(std::string& why) {
    if (wm_ > 0) return true;
    if (display_.empty()) {
      why = error_;
      return false;
    }
    std::vector<std::string> env{"DISPLAY=" + display_};
    for (char** e = environ; *e != nullptr; ++e)
      if (std::strncmp(*e, "DISPLAY=", 8) != 0) env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const char* argv[] = {"openbox", "--sm-disable", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 01 /*O_WRONLY*/, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01 /*O_WRONLY*/, 0);
    const int rc =
        posix_spawnp(&wm_, "openbox", &actions, nullptr, const_cast<char**>(argv), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      wm_ = 0;
      why = "openbox cannot be started (is the package openbox installed?)";
      return false;
    }
    Display* dpy = XOpenDisplay(display_.c_str());
    if (dpy == nullptr) {
      why = "no connection to the display " + display_;
      return false;
    }
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
    bool up = false;
    for (int i = 0; i < 3000 && !up; ++i) {
      Atom type;
      int format;
      unsigned long n, after;
      unsigned char* data = nullptr;
      up = XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW, &type,
                              &format, &n, &after, &data) == Success &&
           n == 1;
      if (data != nullptr) XFree(data);
      if (!up) ::poll(nullptr, 0, 10);
    }
    XCloseDisplay(dpy);
    if (!up) why = "openbox did not take the screen within 30 s";
    return up;
  }
  void stop() {
    if (wm_ > 0) {
      kill(wm_, SIGTERM);
      waitpid(wm_, nullptr, 0);
    }
    wm_ = 0;
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
  pid_t wm_ = 0;  // the window manager
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

bool xvfb_window_manager(std::string* why) {
  std::string reason;
  const bool up = server().manager(reason);
  if (why != nullptr) *why = reason;
  return up;
}

void stop_xvfb() { server().stop(); }

}  // namespace testsupport
