// The LINE statement: curves drawn into an axis that AXIS drew. Points
// come as numbers or arrays, on 32 numbered curves with their colours,
// marks, dashes, widths, steps, one-way and pen-up rules, fills and texts;
// a function plot (Points) draws y as the script computes it for x across
// the axis's range, the executor evaluating the statement again for every
// further point.
#pragma once

#include <cstdint>

#include "exec/optdispatch.h"
#include "platform/win_window.h"

namespace plot {

// The statement (options by position, last written in slot 1).
void LINE(const exec::OptCall& call);
// Draws the next point of a running function plot; called by the executor
// each time it meets the Y option of the statement again.
void CALLBACKLINE();
// True while a function plot runs.
bool linelive();

// The statement code that re-enters for a function plot and the option
// marker (Y) at which each further point is drawn.
inline constexpr std::int16_t linecode = static_cast<std::int16_t>(0xACA0);
inline constexpr std::int16_t linemarker = static_cast<std::int16_t>(0x980E);

// The running function plot (kept from the LINE that starts it until its
// last point).
struct LinePoints {
  std::int32_t xcell = 0, ycell = 0;  // z cells of the X and Y values
  std::int32_t steps = 1, remaining = 0;
  std::int32_t axis = 1, curve = 0;
  win::HWND window = nullptr;  // the window drawn in
};
inline LinePoints linepoints;

// The function plot forgotten. For tests and resets.
void reset_line();

}  // namespace plot
