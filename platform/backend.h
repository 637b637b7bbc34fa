// The seam between the window system and a display.
//
// The window system keeps every window, its pixels (one Cairo image
// surface per top-level window) and the message queue itself; a back end
// only shows top-level windows on a display and turns the display's
// events into input through the plat::input_* functions below. Without a
// back end the headless one is in force: a virtual screen of 1280 x 1024
// pixels at 96 dpi, no events but those that tests inject.
//
// What the user does to a top-level window through the display (moving,
// sizing, closing, activating it) a back end passes on through the
// ordinary calls: SetWindowPos, PostMessageA with WM_SYSCOMMAND and
// SC_CLOSE, SetActiveWindow. It shows a window's pixels by reading its
// surface (win::seam::window_surface with whole_window set) when told that
// they changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

namespace plat {

class Backend {
 public:
  virtual ~Backend() = default;

  virtual const char* name() const = 0;
  // Screen size in pixels and its resolution in pixels per inch.
  virtual win::SIZE screen_size() const = 0;
  virtual int dpi() const = 0;
  // A back end with a display is polled by the queue (at most once per
  // millisecond) and waited on when the queue is empty.
  virtual bool has_display() const = 0;

  // Reads the display's pending events and feeds them in through the
  // plat::input_* functions.
  virtual void poll() {}
  // Blocks until an event may have arrived or timeout_ms have passed
  // (negative: no limit). Returns false when no event can ever arrive.
  virtual bool wait(int timeout_ms) = 0;

  // Top-level windows: made, gone, changed (shown, hidden, moved, sized,
  // retitled, activated).
  virtual void window_created(win::HWND) {}
  virtual void window_destroyed(win::HWND) {}
  virtual void window_changed(win::HWND) {}
  // The caret moved, showed or hid (plat::caret_rect); the program's
  // clipboard changed (plat::clipboard_text).
  virtual void caret_changed() {}
  virtual void clipboard_changed() {}
  // Before the program reads the clipboard: a display whose clipboard
  // another program holds puts that program's data into the store
  // (plat::set_clipboard_data). False, with the last error set, when that
  // program did not answer in time.
  virtual bool clipboard_import() { return true; }
  // The pixels of a top-level window's surface changed inside `area`
  // (window coordinates: (0,0) is the outer top-left corner).
  virtual void present(win::HWND, const win::RECT& area) { (void)area; }

  // The mouse cursor over the program's windows: a system cursor (its
  // IDC_xxx number), or 0 for none. The beep of MessageBeep (without a
  // display: a short tone through the sound output, platform/win_wave.h).
  virtual void set_cursor(int shape) { (void)shape; }
  virtual void beep(win::UINT type);
};

// Whether the program waits for the user's next input, asked by a back end
// each time the program waits with nothing left to do, for whoever drives
// it from outside (the display tests, platform/x11_backend.h): 1 when the
// user's next input is what it waits for, 0 while it has more of its own
// to do first (a step that a timer brings). The application fills it at
// start-up; while it is empty the answer is 1.
inline int (*waits_for_user)() = nullptr;

// The back end in force (the headless one unless another was set).
Backend& backend();
// Sets the back end; null restores the headless one. The caller keeps
// ownership and keeps it alive while it is set.
void set_backend(Backend* b);
Backend& headless_backend();

// Opens the display `name` (the one DISPLAY names when null) and sets the
// back end that shows windows on it. Returns "" or what went wrong ("no
// display (DISPLAY is not set)", "cannot open display NAME"); on failure
// the back end in force stays. close_display() closes it and restores the
// headless back end.
std::string use_display(const char* name = nullptr);
void close_display();

// Input from a back end, or injected by tests. Coordinates are screen
// pixels. Keys carry the virtual key and the scan code (set 1, with the
// extended flag for the keys of the extended block); `ch` is the character
// (Windows-1252) the key types in the display's layout, 0 to use the
// built-in US layout on WM_CHAR, or -1 when the key types nothing. A key
// held down repeats with down = true again.
void input_key(int vk, int scan, bool down, bool extended = false, int ch = 0, int repeat = 1);
void input_mouse_move(int x, int y);
// button: 0 left, 1 right, 2 middle.
void input_mouse_button(int button, bool down, int x, int y);
// delta: multiples of WHEEL_DELTA, positive away from the user.
void input_mouse_wheel(int delta, int x, int y);

// Conveniences for tests: the usual scan code and extended flag of a
// virtual key; a full press and release; a click at a point of a window's
// client area.
int scan_code_of(int vk);
bool is_extended_key(int vk);
void inject_key_press(int vk, unsigned char ch = 0);
void inject_click(win::HWND wnd, int x, int y, int button = 0);

// Key state set directly by tests (both the queued and the immediate
// state): down, and the toggle bit.
void set_key_state(int vk, bool down, bool toggled = false);

// Pixels: the colour (0x00BBGGRR) of a pixel of a window's client area,
// or 0xFFFFFFFF outside it; the window's image (client area, or the
// whole window with its frame) written as a PNG file.
std::uint32_t window_pixel(win::HWND wnd, int x, int y);
bool write_window_png(win::HWND wnd, const std::string& path, bool whole_window = false);
// Marks a window that, without a display, leaves what changed to be painted
// until someone looks: what waits in it is painted before the pixels of it,
// or of a window holding it, are read back as above.
void paint_when_read(win::HWND wnd);

// Destroys every window without sending it messages, unregisters every
// class, empties the queue, kills every timer, clears the key state, the
// mouse state, the message-box queue and log, and restores the headless
// back end. For tests.
void reset_windows();

}  // namespace plat
