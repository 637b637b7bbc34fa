// The print state of a window (its `printstate` word, bits in
// plot/printjob.h): where text and figures written to it go and how a
// print job behaves.
#pragma once

#include <cstdint>

#include "platform/win_window.h"

namespace plot {

// The current plot window: the window of the last AXIS statement (null
// none); it takes part in the values -3 and -4.
inline win::HWND plotwindow = nullptr;

// Sets the print state of the current window from a statement's PRint
// value: -1 sets bit 4; 0 asks for the end of the job (bit 8) when the
// window prints; -2 prints at once (a job is opened, or ended when bit 8 is
// set); -3 and -4 end the plot window's job (-3 at once); a value with bit 8
// adds its bits to a window that prints already; any other value becomes
// the state and sets up the text area of its target.
void SETPRINTSTATE(std::int32_t value);

}  // namespace plot
