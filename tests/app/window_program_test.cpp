// The window program's start: its answers without a display, and on the
// test program's Xvfb the IDE's main window, titled by the script, that
// ends as a user ends it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "app/window_program.h"
#include "exec/headless_run.h"
#include "ide/scripts.h"
#include "platform/backend.h"
#include "support/test_support.h"
#include "support/xvfb_server.h"
// clang-format off
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>
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

// Runs the window program with its standard error caught; its setup file
// goes to a folder of its own.
int run_caught(const std::string& cmdline, std::string& err) {
  testsupport::TempDir dir;
  const std::optional<std::string> config =
      std::getenv("XDG_CONFIG_HOME") ? std::optional<std::string>(std::getenv("XDG_CONFIG_HOME"))
                                     : std::nullopt;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  // A script the command line names is made in the current folder.
  const std::filesystem::path folder = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
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
  std::filesystem::current_path(folder);
  if (config)
    setenv("XDG_CONFIG_HOME", config->c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
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
  EXPECT_EQ(ide::commandlinescript("demo.ost"), "demo.ost");
  EXPECT_EQ(ide::commandlinescript("RUN= \"my scripts/plot.ost\" x.ost"), "my scripts/plot.ost");
  // A KEY=value item names no script of this kind.
  EXPECT_EQ(ide::commandlinescript("HELP=\"guide.ost\""), "");
  EXPECT_EQ(ide::commandlinescript("RUN= fast"), "");
  EXPECT_EQ(ide::commandlinescript(""), "");
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

// The user of a test: waits for the program's window and its title to
// settle (the program retitles it once it knows its size), then closes it
// with `close` on a connection of its own.
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
    for (std::string was; w != 0 && was != title && std::chrono::steady_clock::now() < end;) {
      was = title;
      usleep(200000);
      find_window(dpy, title);
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

// The user presses Alt+F4 in the window.
void altf4(Display* dpy, Window w) {
  XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
  XSync(dpy, False);
  usleep(100000);
  const KeyCode alt = XKeysymToKeycode(dpy, XK_Alt_L), f4 = XKeysymToKeycode(dpy, XK_F4);
  XTestFakeKeyEvent(dpy, alt, True, CurrentTime);
  XTestFakeKeyEvent(dpy, f4, True, CurrentTime);
  XTestFakeKeyEvent(dpy, f4, False, CurrentTime);
  XTestFakeKeyEvent(dpy, alt, False, CurrentTime);
  XSync(dpy, False);
}

TEST(WindowProgramTest, AltF4EndsTheProgramWith0) {
  XInitThreads();
  std::string why;
  const std::string name = testsupport::xvfb_display(&why);
  ASSERT_FALSE(name.empty()) << why;
  DisplayVariable display(name.c_str());
  std::string title, cls;
  std::thread typist = user(name, title, cls, altf4);
  std::string err;
  const int status = run_caught("keys.ost", err);
  typist.join();
  EXPECT_EQ(title, "keys.ost");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
}

// The window's picture as the display shows it, written as a PNG; the
// share of its pixels that are the start screen's yellow.
double screenshot(Display* dpy, Window w, const std::string& path) {
  XWindowAttributes a;
  XGetWindowAttributes(dpy, w, &a);
  cairo_surface_t* s = cairo_xlib_surface_create(dpy, w, a.visual, a.width, a.height);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, a.width, a.height);
  cairo_t* cr = cairo_create(img);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(img);
  cairo_surface_write_to_png(img, path.c_str());
  const unsigned char* px = cairo_image_surface_get_data(img);
  const int stride = cairo_image_surface_get_stride(img);
  long yellow = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      std::uint32_t v;
      std::memcpy(&v, px + y * stride + x * 4, 4);
      yellow += (v & 0xFFFFFF) == 0xFFFF00;
    }
  cairo_surface_destroy(img);
  cairo_surface_destroy(s);
  return static_cast<double>(yellow) / (static_cast<double>(a.width) * a.height);
}

TEST(WindowProgramTest, TheIdeShowsItsStartScreenAndAltF4EndsIt) {
  XInitThreads();
  std::string why;
  const std::string name = testsupport::xvfb_display(&why);
  ASSERT_FALSE(name.empty()) << why;
  DisplayVariable display(name.c_str());
  std::string title, cls;
  double yellow = 0;
  const std::string shot = (std::filesystem::current_path() / "ide_xvfb.png").string();
  std::thread user_ = user(name, title, cls, [&yellow, shot](Display* dpy, Window w) {
    // The start screen comes with the first event the program takes.
    for (int i = 0; i < 40 && yellow < 0.01; ++i) {
      usleep(250000);
      yellow = screenshot(dpy, w, shot);
    }
    // Keys that come while the first script is being compiled are taken by
    // the compile's input step: on a loaded machine Alt+F4 may come again.
    std::string seen;
    for (int i = 0; i < 20; ++i) {
      const Window now = find_window(dpy, seen);
      if (now == 0) break;
      altf4(dpy, now);
      usleep(1500000);
    }
  });
  std::string err;
  const int status = run_caught("", err);
  user_.join();
  // The first start opens the introduction of the examples after the
  // start screen.
  EXPECT_EQ(title, "introduction.ost (" + (testsupport::source_dir() / "examples").string() + "/)");
  EXPECT_GT(yellow, 0.01);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
}

// Keys typed on the display: the given key with the modifiers held.
void keys(Display* dpy, std::initializer_list<KeySym> held, KeySym key) {
  for (const KeySym m : held) XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, m), True, CurrentTime);
  XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, key), True, CurrentTime);
  XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, key), False, CurrentTime);
  for (const KeySym m : held) XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, m), False, CurrentTime);
  XSync(dpy, False);
  usleep(150000);  // as a hand types: each key is taken before the next
}

// On the display the editor takes typed keys: a line is changed at its
// end, compiled when left, and Ctrl+S saves the script (answered Yes)
// before Alt+F4.
TEST(WindowProgramTest, OnADisplayTheEditorTakesTypedLinesAndSavesThem) {
  XInitThreads();
  std::string why;
  const std::string name = testsupport::xvfb_display(&why);
  if (name.empty()) GTEST_SKIP() << why;
  DisplayVariable display(name.c_str());
  testsupport::TempDir dir;
  const std::string script = dir.file("typed.ost");
  testsupport::write_file(script, "X = 1\r\nEND\r\n");
  exec::reset_all();  // as in a process of its own: no editor words of an earlier run
  std::string title, cls;
  const std::string shot = (std::filesystem::current_path() / "ide_editor_xvfb.png").string();
  std::thread typist = user(name, title, cls, [shot](Display* dpy, Window w) {
    XSetInputFocus(dpy, w, RevertToParent, CurrentTime);
    XSync(dpy, False);
    usleep(300000);
    keys(dpy, {}, XK_End);
    for (const KeySym k : {XK_space, XK_minus, XK_space, XK_3}) keys(dpy, {}, k);
    keys(dpy, {}, XK_Down);
    keys(dpy, {XK_Control_L}, XK_s);
    usleep(300000);
    keys(dpy, {}, XK_Return);  // "Save the changes?": Yes
    usleep(300000);
    screenshot(dpy, w, shot);
    altf4(dpy, w);
  });
  std::string err;
  const int status = run_caught("\"" + script + "\"", err);
  typist.join();
  plat::reset_windows();  // the message box's icon, kept drawn until now
  EXPECT_EQ(status, 0);
  EXPECT_EQ(testsupport::read_file(script), "X = 1 - 3\r\nEND\r\n");
  EXPECT_NE(err.find("Save the changes?"), std::string::npos) << err;
  EXPECT_NE(err.find("-> Yes"), std::string::npos) << err;
}

}  // namespace
