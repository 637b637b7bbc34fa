// The paint handler of every toolkit window. By the paint style of its
// record a window paints through its paint callback (1, and with scroll
// bars 0x2001, 0x4001, 0x6001), by replaying its recorded drawing (2), by
// stretching its backing bitmap over the client area (4), by copying the
// backing bitmap at the scroll offsets (0x1000, 0x3000, 0x5000, 0x7000) or
// by showing the visible lines of its scroll file (0x2800, 0x4800,
// 0x6800); any other style paints nothing of the window itself. Then its
// boxes paint the same way, each by its own style.
//
// The window's background is erased only around the boxes with a brush.
//
// A paint that arrives while the window is painted or drawn on directly is
// refused (0) and turned into one full repaint afterwards.
#pragma once

#include "platform/win_message.h"
#include "toolkit/records.h"

namespace toolkit {

// 1 when it painted, 0 when the window is no toolkit window or is busy.
int PaintWindow(win::HWND window, win::WPARAM wparam, win::LPARAM lparam);

// The background of a window's client area erased with its class brush
// around the boxes that fill their own with a brush (their paint does);
// false when the window is no toolkit window or has no such box.
bool ERASE_AROUND_BOXES(win::HWND window, win::HDC dc);

// A box's part of a window's paint.
void PAINT_BOX(box_record_t& box, win::HDC dc, win::PAINTSTRUCT& paint);
// The visible lines of a scroll file from its first visible line and
// column, one line height each, within the update rectangle.
void PAINT_FILE_TEXT(win::HDC dc, scroll_data_t& scroll, const win::RECT& update, int line_height,
                     win::RECT text);

}  // namespace toolkit
