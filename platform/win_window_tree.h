// Inner state of the window system, shared by its files: classes, window
// records, the tree, and the hooks between windows, queue, timers, keys and
// painting. Not for use outside platform/win_* and platform/backend*.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_last_error.h"
#include "platform/win_message.h"
#include "platform/win_window.h"

namespace win::detail {

// Private state of a built-in control or a dialog, owned by its window.
struct ControlData {
  virtual ~ControlData() = default;
};

// One of a window's own scroll bars (a scroll-bar control keeps its own in
// vbar).
struct ScrollBarState {
  int min = 0;
  int max = 100;
  int pos = 0;
};

struct WindowClass {
  std::string name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int cls_extra = 0;
  int wnd_extra = 0;
  HINSTANCE inst = nullptr;
  HICON icon = nullptr;
  HICON icon_small = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  // The menu name as given: a copy of the text, or a resource number.
  std::string menu_name;
  LPCSTR menu_name_id = nullptr;
  std::vector<unsigned char> extra;
};

struct Window {
  HWND handle = nullptr;
  WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  std::string text;
  HWND parent = nullptr;       // the desktop for a top-level window
  HWND owner = nullptr;        // top-level windows only
  std::vector<HWND> children;  // z-order, topmost first
  HMENU menu = nullptr;        // menu of a top-level window, id of a child
  HINSTANCE inst = nullptr;
  LONG_PTR user_data = 0;
  std::vector<unsigned char> extra;
  RECT rect;              // outer rectangle in the parent's client coordinates
  RECT client;            // client area in window coordinates (frame insets)
  RECT normal_rect;       // outer rectangle to restore after maximising
  RECT update;            // invalid part of the client area, empty when none
  bool erase = false;     // WM_ERASEBKGND owed with the next paint
  bool nc_dirty = false;  // WM_NCPAINT owed
  bool destroying = false;
  bool paints_when_read = false;       // plat::paint_when_read
  cairo_surface_t* surface = nullptr;  // top-level windows: all pixels
  ScrollBarState hbar, vbar;           // the window's own scroll bars
  std::unique_ptr<ControlData> data;   // built-in controls and dialogs
};

// Classes (class file): by name (any case) or atom; null when unknown. The
// built-in classes are registered on first need after every reset.
WindowClass* find_class(LPCSTR name);
ATOM register_builtin_class(const WNDCLASSEXA& wc, ATOM atom);
void register_builtin_classes();  // controls file
void reset_classes();
void reset_tree();

// The desktop window: the root of the tree, its client area the screen.
HWND desktop_handle();
Window& desktop();
// The live window of a handle, or null.
Window* find(HWND wnd);
// Every live window except the desktop, in no particular order.
std::vector<HWND> all_windows();
bool is_toplevel(const Window& w);
// The top-level window that holds w (w itself when it is top-level).
Window* toplevel_of(Window& w);
// Visible, and every ancestor up to the desktop visible too.
bool visible_chain(const Window& w);
bool enabled_chain(const Window& w);
bool is_descendant(HWND ancestor, HWND wnd);  // wnd == ancestor counts
// Outer width and height; client width and height.
int width(const Window& w);
int height(const Window& w);
int client_width(const Window& w);
int client_height(const Window& w);
// Screen position of the window's outer top-left corner and of its client
// area's top-left corner.
POINT window_origin_on_screen(const Window& w);
POINT client_origin_on_screen(const Window& w);
// Offset of the window's outer top-left corner inside its top-level
// window's surface.
POINT offset_in_toplevel(const Window& w);
// Frame insets (client area in window coordinates) for a style.
RECT frame_insets(DWORD style, DWORD ex_style, bool has_menu, int cx, int cy, bool child);
// Width of the border that the styles give a window (sizing, dialog or
// thin frame), 0 for none.
int border_width(DWORD style, DWORD ex_style);
void recompute_client(Window& w);
// Calls the window's procedure.
LRESULT call(Window& w, UINT msg, WPARAM wp, LPARAM lp);
LRESULT send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

// Positions (geometry file): moves and sizes a window, sending WM_MOVE and
// WM_SIZE as needed, keeping the surface and the invalid areas right.
void place_window(Window& w, const RECT& new_rect, bool repaint);
void screen_rect_default(DWORD style, int& x, int& y, int& cx, int& cy);
void reset_geometry();

// Focus and activation (focus file).
void activate(HWND wnd, WORD how);
void before_destroy_input(Window& root);
void before_hide_input(Window& w);
void reset_input_state();

// Painting (paint file).
void invalidate(Window& w, const RECT* client_rect, bool erase);
void invalidate_all(Window& w);  // client and frame
void invalidate_parent_area(Window& w, const RECT& rect_in_parent);
void validate(Window& w, const RECT* client_rect);
bool needs_paint(const Window& w);
// The next window the queue should send WM_PAINT to (filtered), sending
// WM_NCPAINT on the way where owed; null when none.
HWND next_paint_window(HWND filter);
void make_surface(Window& w);
void resize_surface(Window& w);
void free_surface(Window& w);
void draw_frame(Window& w);
// Parts of the frame drawn by the menu and scroll-bar files, in window
// coordinates of `dc`.
void paint_menu_bar(Window& w, HDC dc, const RECT& bar);
void paint_window_scroll_bars(Window& w, HDC dc);
// A press on the frame: tracks a window's own scroll bar (hit HTHSCROLL or
// HTVSCROLL) until the button goes up, sending WM_HSCROLL or WM_VSCROLL;
// tracks the menu bar (opened by the mouse at a screen point, or by the
// keyboard: Alt or F10 with ch 0, Alt and a mnemonic character).
void track_window_scroll_bar(HWND h, int hit, POINT screen);
void track_menu_bar(HWND h, POINT screen, bool by_mouse, unsigned char ch);

// What the controls, dialogs, menus, pictures, the caret and the clipboard
// keep between windows (their files); emptied by reset_windows.
void reset_menus();
void reset_resources();
void reset_clipboard();
void reset_caret();
void reset_buddies();
void reset_message_box_windows();
// Any visible window owes a paint (no messages sent).
bool any_paint_pending();
// A device context over the client area (or the whole window) of a
// window, or of the screen for null.
HDC window_dc(HWND wnd, bool whole);
void reset_paint();
// A paint request may be pending (cleared by a scan that found none).
extern bool paint_maybe_pending;

// Queue (queue file).
void post(const MSG& msg, UINT kind);  // kind: a QS_ bit
void post_mouse_move(const MSG& msg);  // coalesces with a queued move
void purge_queue(HWND wnd);
void reset_queue();
extern bool backend_polls;
extern UINT queue_new_bits;

// Timers (timer file).
std::int64_t now_ms();
bool timers_exist();
// The next due timer for the filter, as a WM_TIMER message; when `remove`
// its next tick is scheduled.
bool take_due_timer(HWND filter, MSG* msg, bool remove);
// Milliseconds until the next timer is due (0 when one is due), -1 when
// there is no timer.
long long ms_to_next_timer(HWND filter);
// Lets the clock reach `ms` ahead: sleeps on the real clock, advances the
// virtual one.
void clock_wait(long long ms);
void kill_window_timers(HWND wnd);
// Whether (wnd, id) is a live timer with this procedure.
bool timer_has_proc(HWND wnd, UINT_PTR id, TIMERPROC proc);
void reset_timers();

// Keys (keys file).
// Whether Alt went down last with no other key or button since (a release
// then opens the menu bar).
bool alt_pressed_alone();
void key_changed_now(int vk, bool down);  // the immediate state
bool key_down_now(int vk);
void key_message_taken(const MSG& msg);  // the queued state
// Keys whose key-up went to another program's window (the focus was away
// when they were let go): every key but the mouse buttons that `held`
// does not name goes up in both states.
void keys_let_go_elsewhere(const std::vector<bool>& held);
WPARAM mouse_key_flags(bool queued);
unsigned char key_char(int vk);          // character a key-down types, 0 none
void remember_key_char(int vk, int ch);  // -1: the key types nothing
void reset_keys();

// Mouse (input file).
void reset_mouse();
POINT& cursor_pos();

}  // namespace win::detail
