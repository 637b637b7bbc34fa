// Text and straight lines written into a window: the place read from the
// statement's x and y, the colours `txtcolors`, the font of a font slot,
// into the window's backing bitmap. The windowless run's main window also
// hands each line of its text to the standard output.
#pragma once

#include <cstdint>
#include <string_view>

#include "exec/windowlist.h"

namespace plot {

// The vertical marks that RWPRINT reads: the line below the text written
// last, and the place right after that text.
inline constexpr double nextline = 0.9999;
inline constexpr double afterlast = -1.7976931348623157E308;

// Writes the text (lines separated by CR LF) into the window (the main
// window when null). x: 0 or below minus pixels, above 0 and below 1 a
// fraction of the text area's width, else the character column (1 the
// first) in cells of the slot's font; y: `nextline`, `afterlast`, above 1
// the line (1 the first), above 0 a fraction of the text area's height, 0
// or below minus pixels. The alignment key's capitals override that place:
// "C" or "R" (without "L") centre or right-align each line, "T", "B" or
// "V" put the text at the top, the bottom or the middle of the area. Options: "LI=" and pairs of
// numbers draw straight lines between the points, at the centres of character cells with "CHA"
// (else pixels), in the colour number after "FC=" (a call without text
// draws only what its options ask for); "NOUP" leaves the
// window's repaint to its next paint. A window that prints stops the
// statement with "notYetBuilt". columns is kept as it is. status: 0, or 1
// when the standard output could not take the text.
void RWPRINT(std::string_view text, double x, double y, std::int32_t& columns, std::int32_t slot,
             std::string_view align, std::string_view options, exec::wdwrec* window,
             std::int32_t& status);

}  // namespace plot
