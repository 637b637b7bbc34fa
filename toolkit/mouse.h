// The mouse engine: which mouse events a window wants, how they reach its
// mouse callback, and the drags the toolkit draws by itself while a button
// is held (a rubber rectangle, a rubber line, a text selection in a
// scrolled text window or box, a rectangle the application lets the user
// move, and a plain drag that reports its end points). One press is
// tracked at a time across all windows.
//
// Each event code is also the bit of the wanted-event mask that asks for
// it. A simple event's callback gets the mouse position as first point;
// a drag or click end gets the anchor and the end point and the dragged
// rectangle.
#pragma once

#include "platform/win_message.h"
#include "toolkit/records.h"

namespace toolkit {

enum mouse_event : int {
  kLeftDown = 0x1,
  kLeftUp = 0x2,
  kLeftDouble = 0x4,
  kMiddleDown = 0x8,
  kMiddleUp = 0x10,
  kMiddleDouble = 0x20,
  kRightDown = 0x40,
  kRightUp = 0x80,
  kRightDouble = 0x100,
  kLeftClick = 0x200,
  kMiddleClick = 0x400,
  kRightClick = 0x800,
  kMouseMoved = 0x1000,
  kLeftRubberRect = 0x8000,
  kLeftRubberLine = 0x10000,
  kLeftSelectText = 0x20000,
  kLeftPlainDrag = 0x40000,
  kRightRubberRect = 0x80000,
  kRightRubberLine = 0x100000,
  kRightSelectText = 0x200000,
  kRightPlainDrag = 0x400000,
  kLeftMoveRect = 0x800000,
  kRightMoveRect = 0x1000000,
  kLeftMoveRequest = 0x2000000,
  kRightMoveRequest = 0x4000000,
};

// Installs the window's mouse callback (when given), its wanted events and
// its drag cursor (when given). A mask of 0 removes the callback and ends
// any capture.
void CAPTURE_MOUSE_EVENTS(win::HWND window, mouse_callback callback, int mask,
                          const win::HCURSOR* drag_cursor, int* ups);
// Ends tracking; with `release`, also the mouse capture, and the rubber
// band or selection highlight is taken off the screen.
int END_MOUSE_CAPTURE(bool release);

// After a repaint of the window, on its paint device: the rubber band or
// the moved rectangle that the engine shows there is drawn once more, so
// that it stays over the fresh picture.
void ERASE_RUBBER_BAND(win::HWND window, win::HDC paint_dc);
// The text selection of the window's (or the box's) scrolled text shown
// inverted once more on the paint device.
void INVERT_CELLS(win::HDC paint_dc, window_record_t& record, box_record_t* box);

// The engine's part of a mouse message of a toolkit window.
void MOUSE_MESSAGE(win::HWND window, win::UINT message, win::WPARAM wparam, win::LPARAM lparam);
// The auto-scroll tick of a text selection: the saved move again.
void AUTOSCROLL_TICK(win::HWND window);
// The cursor to keep while a drag runs in this window (null when none).
win::HCURSOR drag_cursor_shown(win::HWND window);

// The current text selection of a scrolled text window or box, 1-based and
// ordered; 1, or 0 when there is none.
int GET_FILE_SECTION(const win::HWND* window, const box_record_t* box, int& first_line,
                     int& first_column, int& last_line, int& last_column, int* ups);

// Scrolls a text area so that the 0-based line (column) is the first one
// shown.
void SCROLL_LINES_TO(scroll_data_t& scroll, int line, win::HWND window, int left, int top,
                     int right, int bottom, int line_height);
void SCROLL_COLUMNS_TO(scroll_data_t& scroll, int column, win::HWND window, int left, int top,
                       int right, int bottom, int column_width);

// Forgets every press and watcher. For tests.
void reset_mouse();

}  // namespace toolkit
