// The print of a dialog window: its controls' texts and values in list
// order, a table window block by block, each block on a page of its own.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "toolkit/dialog_item.h"

namespace plot {

// The palette numbers of printed text: background and foreground.
inline std::array<std::int32_t, 2> printedcolours{0, 15};

// Prints the current window (whose items these are) as one job; the print
// options stand in `exec::dlgtext` ("WYS": each control at its place, else
// line by line). The document takes the window's title.
void PRINTDLG(std::span<toolkit::dialog_t> items);

}  // namespace plot
