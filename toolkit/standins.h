// Routines of the toolkit's later layers that windows, boxes and the window
// procedure already call: bitmap palettes and the paint handler. Until each
// layer comes they do nothing (the paint handler paints nothing, so the
// system's default paint runs); each layer replaces its routines here.
#pragma once

#include "platform/win_message.h"
#include "toolkit/records.h"

namespace toolkit {

// The palette made from a backing bitmap's colours.
void MAKE_BITMAP_PALETTE(window_record_t& record);

// The paint handler: 1 when it painted.
int PaintWindow(win::HWND window, win::WPARAM wparam, win::LPARAM lparam);

// The help viewer is told to quit for the window; the flag is cleared.
void QUIT_HELP(window_record_t& record);

}  // namespace toolkit
