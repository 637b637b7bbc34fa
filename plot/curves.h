// The plot engine's work per point: a point added to a curve (its data
// extent, the strip-chart scroll or the clip, the line, the step and the
// mark), a text or pen move at a point, and a mouse position turned into
// the units of the axis under it.
//
// Everything draws in plot units from the origin of the axis's frame, with
// the plot open (PLOTS) and the window's size in cells set by AXIS. A
// coordinate of exactly 999 stands for the curve's last one.
#pragma once

#include <cstdint>

namespace plot {

// Adds the point (x, y) to curve c (0..31) on axis k (1..8).
void XYLINE(std::int32_t k, std::int32_t c, float x, float y);
// Moves or draws the pen to (x, y) on axis k and writes a text there. The
// Draw code d: bits 0-1 the direction (0 horizontal, 1 upward, 2 and 3 the
// same ending at the point), 4 a move only, 8 x and y count character
// cells from the frame's corner. The text is the value slot `text` (a
// text, or a number above 0 written out; 0 none); style is the curve's
// style word.
void XYDRAW(float x, float y, std::int32_t d, std::int32_t text, std::int32_t style,
            std::int32_t k);
// Slides the current axis's plot by the shift XYLINE asked for: whole
// character rows or columns, the free strip blanked, the range moved as
// much, the axis lines drawn again.
void SCROLL_INTERNAL();

// The shift XYLINE asks SCROLL_INTERNAL for, in character rows (y) and
// columns (x), with the sign of the overshoot.
struct ScrollShift {
  std::int32_t rows = 0, columns = 0;
};
inline ScrollShift scrollshift;

// A click at client pixel (x, y) of the window of axis k (1..8): when it
// lies in the axis's frame, writes k, x and y in the axis's units into the
// variables AXIS bound and returns the symbol of the bound MouSeCall
// routine (0: none); -1 when the click is not in the frame of a live axis
// (nothing is written then). x and y are read on the drawn
// axis lines, linearly from their origin over their length; nothing is
// written for an axis whose length is not positive.
std::int32_t MAUSED(std::int32_t k, std::int32_t x, std::int32_t y);

// The curve XYLINE drew on last: XYDRAW's 999 stands for its last point.
inline std::int32_t currentcurve = 0;

// The engine's per-point state back to its start. For tests.
void reset_curves();

}  // namespace plot
