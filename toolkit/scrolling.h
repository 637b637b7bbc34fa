// Scroll positions and ranges of windows and boxes, the scroll-bar
// controls of boxes, the automatic scroll bars of pixel-scrolled windows,
// and the window helpers that go with them.
//
// A target is a window or a box (a box wins). For SET_SCROLL_POSITION,
// SET_SCROLL_RANGE and GET_SCROLL_RANGE the main window stands for its
// first box when it has boxes (the editor's pane). Lines and columns are
// 1-based here, 0-based in the scroll data.
#pragma once

#include "platform/win_gdi.h"
#include "toolkit/records.h"

namespace toolkit {

// A line below 1 is the first. A new line scrolls the area to it (with a
// column as well, both are stored and the area repainted once); the
// status bar's line and column fields follow.
void SET_SCROLL_POSITION(win::HWND window, box_record_t* box, const int* line, const int* column,
                         int* ups);
// First and last line and column in view.
void GET_SCROLL_POSITION(win::HWND window, box_record_t* box, int* first_line, int* last_line,
                         int* first_column, int* last_column, int* ups);
void SET_SCROLL_RANGE(win::HWND window, box_record_t* box, const int* lines,
                      const int* longest_line, const int* lines_per_page,
                      const int* columns_per_page, int* ups);
void GET_SCROLL_RANGE(win::HWND window, box_record_t* box, int* lines, int* longest_line,
                      int* lines_per_page, int* columns_per_page, int* ups);

// A window's own bars from its ranges and position (styles 0x4000 and
// 0x2000).
void WINDOW_SCROLL_BARS(window_record_t& record);
// Shows the bars that a pixel-scrolled window needs for its content.
void SHOW_WINDOW_SCROLL_BARS(window_record_t& record);
// The bar controls of a box after its rectangle is placed: by its style,
// for a pixel-scrolled box by what its content needs.
void LAYOUT_BOX_SCROLL_BARS(box_record_t& box);
void CREATE_HSCROLL_BAR(box_record_t& box, bool both);
void CREATE_VSCROLL_BAR(box_record_t& box, bool both);

// Invalidates the rectangle (the whole client area when none; erasing
// unless `erase` is given and 0) and repaints at once.
void UPDATE_WINDOW(win::HWND window, const int* erase, const win::RECT* rect, int* ups);
void UPDATE_BOX(box_record_t* box, int* ups);

// -1 for a toolkit window or box or a window the system knows, else 0.
int IS_WINDOW_VALID(win::HWND window);
void SET_FOREGROUND(win::HWND window, int* ups);
void HIDE_CARET(win::HWND window);
// Drops leading characters until the rest fits the rectangle, draws it at
// the rectangle's top left, clipped; `out` is the rectangle with its left
// edge after the text.
int DRAW_TEXT_CLIPPED_LEFT(win::HDC dc, const char* text, int length, const win::RECT& in,
                           win::RECT& out);

}  // namespace toolkit
