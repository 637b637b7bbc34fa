// Inner records of the X11 back end, shared by its files. Not for use
// outside platform/x11_*.
//
// Each visible top-level window is one X window. A window with a caption is
// managed: the window manager draws its caption and border, and the X
// window shows the window's pixels inside our own caption and border. A
// window without one (a popup, a menu, a tooltip) is override-redirect and
// shows all of its pixels.
#pragma once

#include <X11/Xlib.h>
#include <cairo.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/x11_clipboard.h"

namespace plat::x11 {

struct XWin {
  Window xid = 0;
  cairo_surface_t* target = nullptr;  // cairo-xlib surface of xid
  bool managed = false;
  bool mapped = false;      // as we asked
  int unmaps_expected = 0;  // UnmapNotify events that our own requests cause
  win::RECT shown;          // the part of the window shown, in window coordinates
  win::RECT placed;         // where the X window is (root coordinates, its size)
  std::string title;        // as last set (Windows-1252)
  win::HWND owner = nullptr;  // the window it is a transient of, as last set
  bool iconic = false;
  bool minimising = false;  // minimised by the window manager, the message not yet taken
  win::RECT damage;             // pixels to copy (window coordinates), empty when none
  long idle[3] = {-1, -1, -1};  // the input-idle values last written on the window
};

// A key event in the terms of the window system.
struct KeyInput {
  int vk = 0;
  int scan = 0;
  bool extended = false;
  int ch = -1;         // Windows-1252 character, 0 built-in layout, -1 none
  bool altgr = false;  // the AltGr key itself (typed as Ctrl + right Alt)
};
KeyInput translate_key(XKeyEvent& ev);

class Backend final : public plat::Backend {
 public:
  explicit Backend(Display* dpy);
  ~Backend() override;

  const char* name() const override { return "x11"; }
  win::SIZE screen_size() const override;
  int dpi() const override { return 96; }
  bool has_display() const override { return true; }
  void poll() override;
  bool wait(int timeout_ms) override;
  void window_created(win::HWND) override;
  void window_destroyed(win::HWND) override;
  void window_changed(win::HWND) override;
  void present(win::HWND, const win::RECT& area) override;
  void set_cursor(int shape) override;
  void beep(win::UINT type) override;
  void caret_changed() override;
  void clipboard_changed() override;
  bool clipboard_import() override;

  Display* display() const { return dpy_; }
  // Whoever drives the program from outside (the display tests) learns
  // when it is ready for the next key: each time the program waits for
  // input with nothing left to do, every X window of it carries the
  // property _OSTREL_INPUT_IDLE (CARDINAL, three values): the key and
  // button events it has taken, the number of the last ping it took (a
  // ping being a ClientMessage of the type _OSTREL_INPUT_PING, its number
  // in the first data value, sent to any of its windows), and whether it
  // waits for the user (plat::waits_for_user). A driver that sends a ping
  // after its keys and clicks and waits for the ping's number, and for
  // their count, knows that the program has taken them and waits for more.
  static constexpr const char* input_idle_name = "_OSTREL_INPUT_IDLE";
  static constexpr const char* input_ping_name = "_OSTREL_INPUT_PING";
  Window xid_of(win::HWND h) const;
  // Copies every damaged area to the screen.
  void flush();

 private:
  void sync(win::HWND h, XWin& x);
  void make_xwindow(win::HWND h, XWin& x);
  void drop(XWin& x);
  void set_title(XWin& x, const std::string& text);
  void set_size_hints(win::HWND h, XWin& x);
  void focus(win::HWND h, XWin& x);
  // The keyboard focus, when it is on `from` (a window of ours about to
  // leave the screen), goes to `to` at once: the window manager's own move
  // of it comes later, and keys typed meanwhile would reach nobody.
  void hand_focus(Window from, win::HWND to);
  // The window that takes over the focus from `h`, which leaves the screen.
  win::HWND successor(win::HWND h);
  void copy(win::HWND h, XWin& x, const win::RECT& area);
  void handle(XEvent& ev);
  void publish_idle();
  void configured(win::HWND h, XWin& x);
  // On a focus coming back: keys let go while it was away (their key-ups
  // went elsewhere) are up again for the program.
  void released_away();
  // Whether the key goes nowhere: typed after a click on a disabled window.
  bool typed_into_disabled(const KeyInput& k, bool down);
  win::HWND hwnd_of(Window xid) const;
  Cursor cursor_for(int shape);

  Display* dpy_;
  int screen_;
  Window root_;
  bool has_wm_ = false;
  Atom wm_protocols_, wm_delete_, net_wm_name_, net_wm_icon_name_, utf8_string_, net_active_window_;
  Atom input_idle_, input_ping_;
  long input_taken_ = 0, last_ping_ = 0;
  std::map<win::HWND, XWin> wins_;
  std::map<int, Cursor> cursors_;
  std::unique_ptr<Clipboard> clipboard_;
  cairo_device_t* device_ = nullptr;
  int cursor_shape_ = -1;
  // The caret as last shown: its top-level window and its rectangle there
  // (window coordinates).
  win::HWND caret_top_ = nullptr;
  win::RECT caret_;
  win::HWND focused_ = nullptr;     // the window the display last gave the focus to
  // A window the user clicked while it was disabled behind a modal one:
  // until the user clicks a window that takes input, or it is enabled
  // again, the keys typed were meant for it and go nowhere.
  win::HWND clicked_disabled_ = nullptr;
  unsigned long focus_serial_ = 0;  // the request after our last focus request
  Time last_time_ = CurrentTime;
  bool flushing_ = false;
};

// The back end in force when it is the X11 one, else null.
Backend* current();

}  // namespace plat::x11
