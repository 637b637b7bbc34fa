// The user of a display test: a connection of its own to the test
// program's Xvfb, for a thread that plays the user while the program runs
// in the test's main thread. It finds the program's windows, waits until
// the program is ready for keys before typing each one (the program says
// so through its input-idle property, platform/x11_backend.h), and never
// sleeps to let the program reach a state. Every wait is bounded: a wait in
// vain fails the test, saying what it waited for. A program in a process
// of its own is ended by the test's clean-up and the tests after it run;
// one that runs in the test program itself ends the test program.
#pragma once

// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// How long a display test waits for any one state of the program.
inline constexpr int kDisplayWaitSeconds = 40;

class DisplayUser {
 public:
  // Connects to the display by name; a connection that fails gives up.
  explicit DisplayUser(const std::string& display);
  ~DisplayUser();
  DisplayUser(const DisplayUser&) = delete;
  DisplayUser& operator=(const DisplayUser&) = delete;

  Display* display() const { return dpy_; }

  // A shown top-level window of the program (its WM_CLASS names "ostrel")
  // whose title satisfies `accept`, other than `except`, waited for;
  // `what` says what it is.
  Window window(const std::function<bool(const std::string&)>& accept, const std::string& what,
                Window except = 0);
  // The same for an exact title.
  Window window(const std::string& title);
  // The window's title (its UTF-8 name), empty when it has none or is gone.
  std::string title(Window w);
  // The titles of the program's shown top-level windows, as they are now.
  std::vector<std::string> titles();
  // The window's WM_CLASS class.
  std::string window_class(Window w);

  // Waits until the program has taken everything the user sent it so far
  // (each key and click) and waits for input: with `user`, until it waits for the user's next
  // input (the IDE: its editor waits for a key), else until it waits at
  // all (a message box or dialog of its own waits for an answer). `w` is a
  // window of the program that stays meanwhile (the ping goes to it).
  void ready(Window w, bool user = true);
  // Gives the window the keyboard focus (as a window manager or a click
  // would), then waits until the program waits for the user.
  void focus(Window w);
  // Types the key with the modifiers held (to the window that has the
  // focus), then, with `then`, waits as ready(w) does; without it (a key
  // that ends the program, or opens a window to wait for) it goes on.
  void key(Window w, std::initializer_list<KeySym> held, KeySym key, bool then = true);
  // Presses the key alone (to the window that has the focus) and goes on.
  void press(KeySym key);
  // Lets go of a pressed key while the keyboard focus is on a window of
  // the user's own, as a person who let go of it over another program:
  // the program never sees the release.
  void letgoaway(KeySym key);
  // A key typed with modifiers held.
  struct Stroke {
    std::vector<KeySym> held;
    KeySym key = 0;
  };
  // Types the strokes as a person types them, one each `pace_ms`, without
  // waiting for the program in between (the server holds each stroke back
  // until its time; no focus changes between them), then waits as
  // ready(w, user) does.
  void type(Window w, const std::vector<Stroke>& strokes, int pace_ms, bool user = true);
  // Clicks the button at the point of the window (the root window: of the
  // screen); ready() waits until the program took the click.
  void click(Window w, int x, int y, unsigned button = 1);
  // Asks the window to close, as the window manager's close button does.
  void close(Window w);
  // Waits until the window is gone (destroyed or hidden).
  void gone(Window w, const std::string& what);
  // Waits until `w` is the program's only shown top-level window (no box
  // or progress window stands over it), then as ready(w) does: a picture
  // taken then shows the window's own rows. A window titled `besides` (a
  // tooltip the test reads beside the rows) does not count.
  void alone(Window w, const std::string& what, const std::string& besides = "");

  // The test cannot go on: says why (and what `abandon_note` adds, when
  // set). In the thread `gives_up_alone` names it throws GaveUp, which
  // fails that test alone; elsewhere it stops the Xvfb and ends the test
  // program with status 1.
  [[noreturn]] static void abandon(const std::string& why);
  // What a test adds when it gives up (the program's own messages, say).
  static inline std::function<std::string()> abandon_note;
  // The thread of a test whose program runs in a process of its own.
  static inline std::thread::id gives_up_alone;
  struct GaveUp : std::runtime_error {
    using std::runtime_error::runtime_error;
  };

 private:
  bool shown(Window w);
  // Waits until the keyboard focus is on a window of the program: a key
  // sent while the window manager moves the focus (from a box just gone
  // to the window under it, say) reaches nobody.
  void focusedprogram();
  // The program's shown top-level windows.
  std::vector<Window> ours();
  // The window's input-idle values {keys taken, last ping, waits for the
  // user}; all -1 when not set.
  void idle(Window w, long (&values)[3]);

  Display* dpy_ = nullptr;
  long keys_ = 0;         // key and button events sent
  long keysbefore_ = -1;  // those the program had taken before (at the first ping)
};

// The window's picture as the display shows it, written as a PNG when
// OSTREL_SCREENSHOTS names a folder (as <folder>/<name>.png); the share of
// its pixels that have the colour 0xRRGGBB.
double screenshot(Display* dpy, Window w, const std::string& name, unsigned colour);

}  // namespace testsupport
