// The window program's start: its answers without a display, and on the
// test program's Xvfb a window titled by the script that closes as a user
// closes it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "app/window_program.h"
#include "ide/commands_standin.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

namespace {

// DISPLAY set (or unset) for one test.
class DisplayVariable {
 public:
  explicit DisplayVariable(const char* value) {
    if (const char* old = std::getenv("DISPLAY")) old_ = old;
    if (value != nullptr)
      setenv("DISPLAY", value, 1);
    else
      unsetenv("DISPLAY");
  }
  ~DisplayVariable() {
    if (old_)
      setenv("DISPLAY", old_->c_str(), 1);
    else
      unsetenv("DISPLAY");
  }

 private:
  std::optional<std::string> old_;
};

// Runs the window program with its standard error caught.
int run_caught(const std::string& cmdline, std::string& err) {
  testsupport::TempDir dir;
  const std::string path = dir.file("err");
  std::fflush(stderr);
  const int saved = dup(2);
  std::FILE* f = std::fopen(path.c_str(), "w");
  dup2(fileno(f), 2);
  const int status = app::run_window_program(cmdline);
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::fclose(f);
  err = testsupport::read_file(path);
  return status;
}

TEST(WindowProgramTest, WithoutADisplayItSaysWhyAndEndsWithStatus2) {
  std::string err;
  {
    DisplayVariable unset(nullptr);
    EXPECT_EQ(run_caught("demo.ost", err), 2);
  }
  EXPECT_EQ(err,
            "ostrel: no display (DISPLAY is not set); to run a script without one: ostrel "
            "RUN=script.ost\n");
  {
    DisplayVariable bad(":31999");
    EXPECT_EQ(run_caught("demo.ost", err), 2);
  }
  EXPECT_EQ(err, "ostrel: cannot open display :31999\n");
}

TEST(WindowProgramTest, TheWindowIsTitledByTheFirstScriptOfTheCommandLine) {
  EXPECT_EQ(ide::first_script_name("demo.ost"), "demo.ost");
  EXPECT_EQ(ide::first_script_name("RUN= \"my scripts/plot.ost\" x.ost"), "my scripts/plot.ost");
  EXPECT_EQ(ide::first_script_name("HELP=\"guide.ost\""), "HELP=guide.ost");
  EXPECT_EQ(ide::first_script_name("RUN= fast"), "untitled");
  EXPECT_EQ(ide::first_script_name(""), "untitled");
}

// A shown top-level X window of the program (its WM_CLASS names "ostrel"),
// or 0; `title` gets its UTF-8 name and `cls` its window class.
Window find_window(Display* dpy, std::string& title, std::string* cls = nullptr) {
  Window root, parent, *kids = nullptr;
  unsigned n = 0;
  Window found = 0;
  if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &kids, &n)) return 0;
  for (unsigned i = 0; i < n && found == 0; ++i) {
    XClassHint hint{};
    XWindowAttributes a;
    if (!XGetClassHint(dpy, kids[i], &hint)) continue;
    if (std::string(hint.res_name) == "ostrel" && XGetWindowAttributes(dpy, kids[i], &a) &&
        a.map_state == IsViewable) {
      found = kids[i];
      if (cls != nullptr) *cls = hint.res_class;
    }
    XFree(hint.res_name);
    XFree(hint.res_class);
  }
  if (kids != nullptr) XFree(kids);
  if (found != 0) {
    Atom type;
    int format;
    unsigned long len, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, found, XInternAtom(dpy, "_NET_WM_NAME", False), 0, 256, False,
                           AnyPropertyType, &type, &format, &len, &after, &data) == Success &&
        data != nullptr) {
      title.assign(reinterpret_cast<char*>(data), len);
      XFree(data);
    }
  }
  return found;
}

// The user of a test: waits for the program's window, then closes it with
// `close` on a connection of its own.
template <class Close>
std::thread user(const std::string& name, std::string& title, std::string& cls, Close close) {
  return std::thread([&title, &cls, name, close] {
    Display* dpy = XOpenDisplay(name.c_str());
    if (dpy == nullptr) return;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    Window w = 0;
    while (w == 0 && std::chrono::steady_clock::now() < end) {
      w = find_window(dpy, title, &cls);
      if (w == 0) usleep(10000);
    }
    if (w != 0) close(dpy, w);
    XCloseDisplay(dpy);
  });
}

TEST(WindowProgramTest, OnADisplayTheMainWindowShowsAndClosingItEndsTheProgram) {
  XInitThreads();  // the closing user below has a connection of its own
  std::string why;
  const std::string name = testsupport::xvfb_display(&why);
  ASSERT_FALSE(name.empty()) << why;
  DisplayVariable display(name.c_str());
  std::string title, cls;
  std::thread closer = user(name, title, cls, [](Display* dpy, Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    XSendEvent(dpy, w, False, NoEventMask, &ev);
  });
  std::string err;
  const int status = run_caught("x=1 demo.ost", err);
  closer.join();
  EXPECT_EQ(title, "demo.ost");
  EXPECT_EQ(cls, "fenstra_MAIN_CLASS");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
}

TEST(WindowProgramTest, AltF4EndsTheProgramWith0) {
  XInitThreads();
  std::string why;
  const std::string name = testsupport::xvfb_display(&why);
  ASSERT_FALSE(name.empty()) << why;
  DisplayVariable display(name.c_str());
  std::string title, cls;
  std::thread typist = user(name, title, cls, [](Display* dpy, Window w) {
    XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
    XSync(dpy, False);
    usleep(100000);
    const KeyCode alt = XKeysymToKeycode(dpy, XK_Alt_L), f4 = XKeysymToKeycode(dpy, XK_F4);
    XTestFakeKeyEvent(dpy, alt, True, CurrentTime);
    XTestFakeKeyEvent(dpy, f4, True, CurrentTime);
    XTestFakeKeyEvent(dpy, f4, False, CurrentTime);
    XTestFakeKeyEvent(dpy, alt, False, CurrentTime);
    XSync(dpy, False);
  });
  std::string err;
  const int status = run_caught("keys.ost", err);
  typist.join();
  EXPECT_EQ(title, "keys.ost");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
}

}  // namespace
