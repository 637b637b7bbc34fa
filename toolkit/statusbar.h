// The status bar: a strip along the bottom of the main window's client
// area that the toolkit draws itself, with up to ten fields from left to
// right: texts, the Num, Caps and Scroll Lock indicators, clocks and
// dates, the menu hint, and the editor's line and column. The program has
// one bar; it belongs to the window set up with it last (the main window).
//
// Field kinds and their natural widths (average characters of the bar's
// font; a width value of 0 asks for it): 1 "NUM", 2 "CAPS", 3 "SCRL" while
// the key is toggled on (7); 4 "hh:mm" (7); 5 "hh:mm AM" (10); 6
// "hh:mm:ss" (10); 7 "mm-dd-yyyy" (12); 8 "Mon dd, yyyy" (14); 9
// "dd Mon yyyy" (14); 10 "Day dd Mon yyyy" (17); 11 "hh:mm   Mon dd, yyyy"
// (22); 12 its text (0); 13 the menu hint, else its text (0); 14 "ln" and
// 15 "col" of the scroll position (10); 20 a child window moved into the
// field (that window's width; none gives 0); any other kind its text (0).
#pragma once

#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/win_window.h"
#include "toolkit/records.h"

namespace toolkit {

// One field as the caller describes it (filled by SET_STATUS_BAR_ITEM).
struct status_bar_item_t {
  float width = 0.0F;     // share of the bar's free width; 0: natural width
  std::int32_t kind = 0;  // 0: unused
  std::uint32_t marker = 0;
  plat::FixedText<256> text;
};

inline constexpr int kStatusFields = 10;

struct status_bar_field {
  float width_value = 0.0F;
  std::int32_t left = 0;  // pixels, from the last layout
  std::int32_t width = 0;
  std::int32_t kind = 0;
  win::HWND child = nullptr;  // kind 20
  char text[256] = {};
};

struct status_bar_data {
  win::HWND owner = nullptr;
  std::int32_t border = 1;
  std::int32_t gap = 10;
  std::int32_t height = 0;
  std::int32_t char_width = 0;
  std::int32_t client_width = 0;  // at the last layout
  win::HFONT font = nullptr;
  status_bar_field fields[kStatusFields];
  std::int32_t count = 0;  // fields in use
  // The field of kinds 1, 2, 3, 6, 13, 14 and 15 (-1: none).
  std::int32_t designated[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  win::RECT clock_rect;  // of the seconds clock, from the last paint
  bool second_timer = false;
  bool minute_timer = false;
};
inline status_bar_data status_bar;

// Sets an item; the first time it also clears it (kind 0, width 0, blank).
void SET_STATUS_BAR_ITEM(status_bar_item_t& item, const int* kind, const float* width,
                         const char* text, int text_length);
// The fields of the items of non-zero kind, in order; repainted on the
// window (the main window when absent) unless `repaint` is given and 0.
void SET_STATUS_BAR(status_bar_item_t* items, int count, const int* repaint, const win::HFONT* font,
                    const win::HWND* window, int* ups);
// Field `number` (0-based; 10 and above are dropped).
void ADD_STATUS_BAR_FIELD(float width, int kind, const char* text, int text_length, int number,
                          const win::HFONT* font, int* ups);
void SET_STATUS_BAR_FONT(win::HFONT font, const win::HWND* window);
void STATUS_BAR_METRICS();
// The bar set up for a window: it takes the bar over.
void INIT_STATUS_BAR(win::HWND window);
// Left edges and widths of the fields from the owner's client width; the
// clock timers that the fields need are started.
void LAYOUT_STATUS_BAR(win::HWND window);
// Lays the bar out again and repaints it at once (while a direct drawing
// paints the window: the strip is invalidated and the window marked).
void UPDATE_STATUS_BAR(const win::HWND* window, int* ups);
// Paints the bar of the window (the main window when null) at once.
void REDRAW_STATUS_BAR(win::HWND window = nullptr);
void PAINT_STATUS_BAR(win::HWND window, win::HDC dc);
// The time or date of a clock field (kinds 4 to 11) into its text.
void FORMAT_CLOCK_TEXT(status_bar_field& field);
void START_SECOND_TIMER(win::HWND window);
void START_MINUTE_TIMER(win::HWND window);
void STOP_SECOND_TIMER(win::HWND window);
void STOP_MINUTE_TIMER(win::HWND window);

// For the records and the window procedure: a main window's record gets
// the bar (and loses it when it goes); the bar's height for the record (0
// without one); the seconds clock drawn in place while no menu hint shows;
// whether a field shows this lock key; the scroll position written into
// the line and column fields (true when one was written).
void ATTACH_STATUS_BAR(window_record_t& record);
void DETACH_STATUS_BAR(window_record_t& record);
int STATUS_BAR_HEIGHT(const window_record_t& record);
void DRAW_STATUS_CLOCK(win::HWND window);
bool STATUS_BAR_SHOWS_KEY(int virtual_key);
bool SHOW_SCROLL_LINE(int line);
bool SHOW_SCROLL_COLUMN(int column);
bool SHOW_SCROLL_POSITION(int line, int column);

// The bar back to its start state. For tests.
void reset_status_bar();

}  // namespace toolkit
