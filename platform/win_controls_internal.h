// Inner helpers of the built-in controls, dialogs and menus: their state
// records, the drawing of the classic 3-D look, colours asked of the parent,
// fonts, mnemonics, and the window procedures of the built-in classes. Not
// for use outside platform/win_*.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_controls.h"
#include "platform/win_gdi.h"
#include "platform/win_window_tree.h"

namespace win::detail {

// The state record of a window of the built-in class T, or null.
template <class T>
T* data_of(HWND h) {
  Window* w = find(h);
  return w != nullptr ? dynamic_cast<T*>(w->data.get()) : nullptr;
}
// Makes (or remakes) the state record of a window.
template <class T>
T* make_data(HWND h) {
  Window* w = find(h);
  if (w == nullptr) return nullptr;
  w->data = std::make_unique<T>();
  return static_cast<T*>(w->data.get());
}

// State every control keeps: its font (null: the system font).
struct ControlBase : ControlData {
  HFONT font = nullptr;
};
// WM_SETFONT and WM_GETFONT for a control whose record derives from
// ControlBase; true when the message was one of them.
bool font_message(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
HFONT control_font(HWND h);

DWORD style_of(HWND h);
int control_id(HWND h);
RECT client_of(HWND h);
std::string text_of(HWND h);
bool has_focus(HWND h);
// WM_COMMAND with the control's id and a notification code to its parent.
void notify_parent(HWND h, WORD code);
// Asks the parent for the colours of the control's kind (WM_CTLCOLOR...);
// the brush to fill its background with.
HBRUSH ask_colors(HWND h, HDC dc, UINT ctlcolor);

// Drawing.
void fill(HDC dc, const RECT& r, COLORREF c);
void frame(HDC dc, const RECT& r, COLORREF c);
// The classic raised (button) or sunken (field) border of two pixels.
void draw_raised(HDC dc, const RECT& r, bool pushed);
void draw_sunken(HDC dc, const RECT& r);
void draw_focus_rect(HDC dc, const RECT& r);
// A filled triangle pointing 0 up, 1 down, 2 left, 3 right.
void draw_arrow(HDC dc, const RECT& r, int dir, COLORREF c);
void draw_check_mark(HDC dc, const RECT& box, COLORREF c);
// A text with "&" mnemonics in the given state (grey when disabled).
void draw_label(HDC dc, std::string_view text, RECT r, UINT format, bool enabled);
// An arrow button of a scroll bar or spinner.
void draw_arrow_button(HDC dc, const RECT& r, int dir, bool pushed, bool enabled);

// The mnemonic character of a text ("&x"), upper-cased; 0 when none.
unsigned char mnemonic_of(std::string_view text);
unsigned char upper_key(unsigned char c);

// Mouse-leave tracking: the window gets WM_MOUSELEAVE once the cursor
// leaves it.
void track_mouse_leave(HWND h);

// Window procedures of the built-in classes.
LRESULT button_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT static_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT edit_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT listbox_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT combo_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT combo_list_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT scrollbar_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT updown_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT trackbar_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT progress_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT toolbar_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT tooltip_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT dialog_class_proc(HWND, UINT, WPARAM, LPARAM);
LRESULT menu_popup_proc(HWND, UINT, WPARAM, LPARAM);

// Whether a window is a dialog made by the dialog manager.
bool is_dialog(HWND h);
// The combo box an edit field or list belongs to, or null.
HWND combo_of(HWND h);
// Keys that a combo box takes from its field (drop-down, selection).
bool combo_field_key(HWND combo, WPARAM vk);

// Scroll bars drawn in a window's frame or as a control: the parts, in
// the coordinates of the bar's rectangle.
struct BarGeometry {
  RECT bar, arrow1, arrow2, thumb, trough;
  bool vertical = true;
};
BarGeometry bar_geometry(const RECT& bar, bool vertical, int min, int max, int pos);
void paint_bar(HDC dc, const BarGeometry& g, bool enabled, int pushed_part);
// The position under a point of the trough while the thumb is dragged.
int bar_pos_at(const BarGeometry& g, POINT pt, int grab_offset, int min, int max);

// A message box as a dialog; -1 when boxes are not shown as windows (no
// display) or the dialog could not be made.
int message_box_dialog(HWND owner, std::string_view text, std::string_view title, UINT style);
// Draws an icon (made by LoadIconA) with its top-left corner at x, y.
void draw_icon(HDC dc, int x, int y, HICON icon, int size);
// The caret's window and rectangle (client coordinates); false without one.
bool caret_shown(HWND* wnd, RECT* r);

}  // namespace win::detail

namespace win::detail {

// BeginPaint and EndPaint around a control's painting, with its font
// selected.
struct ControlPaint {
  HWND wnd;
  PAINTSTRUCT ps;
  HDC dc;
  HGDIOBJ old_font;
  explicit ControlPaint(HWND h) : wnd(h) {
    dc = BeginPaint(h, &ps);
    old_font = dc != nullptr ? SelectObject(dc, control_font(h)) : nullptr;
  }
  ~ControlPaint() {
    if (dc != nullptr) SelectObject(dc, old_font);
    EndPaint(wnd, &ps);
  }
  ControlPaint(const ControlPaint&) = delete;
  ControlPaint& operator=(const ControlPaint&) = delete;
};

// Height of a line of text in a font.
int line_height(HFONT font);

}  // namespace win::detail

namespace win::detail {

// The part every control's procedure shares: its state record (made at
// WM_NCCREATE), the font messages, painting through paint(dc, record)
// between BeginPaint and EndPaint with the font selected, and no separate
// erasing. Returns the record, or null when the message is answered here
// (the answer in `result`).
template <class T, class Paint>
T* control_message(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, Paint paint) {
  if (msg == WM_NCCREATE) make_data<T>(h);
  T* d = data_of<T>(h);
  result = 0;
  if (d == nullptr) {
    result = DefWindowProcA(h, msg, wp, lp);
    return nullptr;
  }
  if (font_message(h, msg, wp, lp, result)) return nullptr;
  if (msg == WM_PAINT) {
    ControlPaint p(h);
    if (p.dc != nullptr) paint(p.dc, *d);
    return nullptr;
  }
  if (msg == WM_ERASEBKGND) {
    result = 1;
    return nullptr;
  }
  return d;
}

}  // namespace win::detail
