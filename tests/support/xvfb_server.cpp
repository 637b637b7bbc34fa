#include "support/xvfb_server.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// clang-format on

extern char** environ;

namespace testsupport {

namespace {

// How long the server and the window manager may take to come up.
constexpr int kStartSeconds = 30;

// Starts the program with its output to /dev/null and the environment
// less DISPLAY, plus `display` as DISPLAY when given; `close` is a pipe end
// the child does not keep. Its id, or 0.
pid_t spawn(const std::vector<const char*>& argv, const std::string& display, int close = -1) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.emplace_back(*e);
  if (!display.empty()) env.push_back("DISPLAY=" + display);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<char*> args;
  for (const char* a : argv) args.push_back(const_cast<char*>(a));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (close >= 0) posix_spawn_file_actions_addclose(&actions, close);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 01 /*O_WRONLY*/, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 01 /*O_WRONLY*/, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

void end(pid_t& pid) {
  if (pid > 0) {
    kill(pid, SIGTERM);
    kill(pid, SIGCONT);  // (one held still takes the end once it goes on)
    waitpid(pid, nullptr, 0);
  }
  pid = 0;
}

// Whether a window manager has taken the display: it names its check
// window on the root window, as every EWMH window manager does, and then
// shows a window mapped after that. (Openbox names its check window early
// in its start and drops a window mapped before it has finished starting:
// such a window would never be shown.) Waits for both, bounded.
bool taken(const std::string& display, pid_t wm) {
  Display* dpy = XOpenDisplay(display.c_str());
  if (dpy == nullptr) return false;
  const Window root = DefaultRootWindow(dpy);
  const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(kStartSeconds);
  const auto left = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(end -
                                                                 std::chrono::steady_clock::now())
        .count();
  };
  const auto named = [&] {
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(dpy, root, check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &n, &after, &data) == Success &&
                       n == 1;
    if (data != nullptr) XFree(data);
    return found;
  };
  // A window mapped now, tried anew each second until one is shown.
  Window probe = 0;
  auto probed = std::chrono::steady_clock::now();
  bool shown = false;
  while (!shown && left() > 0 && waitpid(wm, nullptr, WNOHANG) == 0) {
    if (probe != 0) {
      XWindowAttributes a;
      shown = XGetWindowAttributes(dpy, probe, &a) && a.map_state == IsViewable;
      if (shown) break;
    }
    if (named() &&
        (probe == 0 || std::chrono::steady_clock::now() - probed > std::chrono::seconds(1))) {
      if (probe != 0) XDestroyWindow(dpy, probe);
      probe = XCreateSimpleWindow(dpy, root, 0, 0, 8, 8, 0, 0, 0);
      XMapWindow(dpy, probe);
      XSync(dpy, False);
      probed = std::chrono::steady_clock::now();
    }
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(std::min<long long>(std::max<long long>(left(), 0), 20)));
  }
  if (probe != 0) XDestroyWindow(dpy, probe);
  XSync(dpy, False);
  XCloseDisplay(dpy);
  return shown;
}

class Server {
 public:
  explicit Server(bool managed) {
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
    pid_ = spawn({"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
                  "tcp", "-noreset", "-extension", "MIT-SHM", "-r"},
                 "", fds[0]);
    close(fds[1]);
    if (pid_ == 0) {
      error_ = "Xvfb cannot be started (is the package xvfb installed?)";
      close(fds[0]);
      return;
    }
    // The server writes its display number and a line end once it listens.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && ::poll(&p, 1, kStartSeconds * 1000) > 0) {
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
    const std::string display = std::string(":").append(number, 0, number.find('\n'));
    // A window manager, as on every desktop: it places, decorates and
    // focuses the program's windows, and sends them what a desktop sends.
    if (managed) wm_ = spawn({"openbox", "--sm-disable"}, display);
    if (managed && (wm_ == 0 || !taken(display, wm_))) {
      error_ = "openbox did not take the display (is the package openbox installed?)";
      return;
    }
    display_ = display;
  }
  ~Server() { stop(); }
  void stop() {
    end(wm_);
    end(pid_);
  }
  const std::string& display() const { return display_; }
  const std::string& error() const { return error_; }
  void hold(bool still) {
    if (wm_ > 0) kill(wm_, still ? SIGSTOP : SIGCONT);
  }

 private:
  pid_t pid_ = 0, wm_ = 0;
  std::string display_;
  std::string error_;
};

// The servers, each started on first use.
std::unique_ptr<Server> managed_one, bare_one;

Server& server(bool managed) {
  std::unique_ptr<Server>& one = managed ? managed_one : bare_one;
  if (one == nullptr) one = std::make_unique<Server>(managed);
  return *one;
}

}  // namespace

std::string xvfb_display(std::string* why) {
  if (why != nullptr) *why = server(true).error();
  return server(true).display();
}

std::string bare_xvfb_display(std::string* why) {
  if (why != nullptr) *why = server(false).error();
  return server(false).display();
}

WindowManagerHeld::WindowManagerHeld() { server(true).hold(true); }
WindowManagerHeld::~WindowManagerHeld() { server(true).hold(false); }

void stop_xvfb() {
  for (const auto* one : {&managed_one, &bare_one})
    if (*one != nullptr) (*one)->stop();
}

}  // namespace testsupport
