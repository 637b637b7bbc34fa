// The state the plot statements and the plot engine share: the eight axes
// (`axisstate`) with their frames, scales and bindings, and the 32 numbered
// curves (`curvestate`) with their drawing settings. Both live for the
// whole program and keep their values between statements, runs and
// windows.
//
// Axis numbers run 1 to 8. Each axis has an x and a y direction; arrays
// per direction ("direction entries") have 16 entries, entry k for the x
// direction of axis k and entry k + 8 for its y direction. Lengths are in
// plot units (a centimetre on paper).
#pragma once

#include <array>
#include <cstdint>

#include "platform/indexed.h"
#include "platform/win_window.h"

namespace plot {

inline constexpr int naxes = 8;
inline constexpr int ncurves = 32;

// Bits of a direction's style word. Bits 0-4 are a palette colour: the
// axis colour in the x word, the background colour in the y word.
namespace axisbit {
inline constexpr std::int32_t colour = 0x1F;
inline constexpr std::int32_t log = 0x20;
inline constexpr std::int32_t grid = 0x40;
inline constexpr std::int32_t fixmin = 0x80;
inline constexpr std::int32_t fixmax = 0x100;
inline constexpr std::int32_t time = 0x200;
inline constexpr std::int32_t scroll = 0x400;
inline constexpr std::int32_t nolabels = 0x800;
}  // namespace axisbit

// The scale record of one direction, in this order: plot units per label
// step (per decade on a log axis); the divisor of tick values; the visible
// minimum; user units per plot unit; the visible maximum; the data extent
// (default minimum and maximum).
struct Scale {
  float step = 0.0F;
  float divisor = 0.0F;
  float minimum = 0.0F;
  float unitsperplot = 0.0F;
  float maximum = 0.0F;
  float defaultmin = -1000000.0F;
  float defaultmax = 1000000.0F;
};

// Frame of an axis in character cells of its window: width, height, left
// column, bottom row (counted upward from the window's lower edge).
struct Frame {
  std::int32_t width = 0, height = 0, left = 0, bottom = 0;
};

// The symbols a mouse report writes into: the MouSeCall routine, the
// MouSeX, MouSeY and MouSeAxis variables (0: not bound).
struct MouseBindings {
  std::int16_t call = 0, x = 0, y = 0, axis = 0;
};

struct AxisState {
  plat::Store1<Frame> frame{plat::Store1<Frame>(naxes)};
  plat::Store1<std::int32_t> style{plat::Store1<std::int32_t>(2 * naxes)};
  plat::Store1<std::int32_t> labelevery{plat::Store1<std::int32_t>(2 * naxes)};
  plat::Store1<std::int32_t> timepicture{plat::Store1<std::int32_t>(2 * naxes)};
  plat::Store1<Scale> scale{plat::Store1<Scale>(2 * naxes)};
  plat::Store1<float> length{plat::Store1<float>(2 * naxes)};
  plat::Store1<std::int32_t> minorticks{plat::Store1<std::int32_t>(2 * naxes)};
  plat::Store1<win::HWND> window{plat::Store1<win::HWND>(naxes)};
  plat::Store1<win::HWND> mousewindow{plat::Store1<win::HWND>(naxes)};
  plat::Store1<MouseBindings> mouse{plat::Store1<MouseBindings>(naxes)};
  // First and last position in `c1namen` of the Title texts of the x and
  // the y direction (0: none); cleared at the start of every AXIS.
  std::array<std::int32_t, 2> xtitle{}, ytitle{};
  std::uint32_t drawn = 0;  // bit k: axis k drawn, no point added since
  std::uint32_t live = 0;   // bit k: axis k's frame is hit-tested for the mouse
  std::uint32_t setup = 0;  // bit k: axis k drawn with its scales or a point drawn on it
  std::int32_t current = 1;
  // Geometry: tick length in character heights, the long tick's factor,
  // the screen's plot page in plot units (the whole screen).
  float ticklength = 0.15F;
  float longtick = 2.0F;
  float screenwidth = 24.5F;
  float screenheight = 18.45F;
  // Columns and rows of the target window in cells of the graphics font.
  std::int32_t columns = 80, rows = 29;
  // Cell width and height of the graphics font in plot units, and the plot
  // units per device pixel in x and y: set with the scale (device
  // operation 1), read where texts are placed.
  float cellwidth = 0.0F, cellheight = 0.0F;
  float unitsperpixelx = 0.0F, unitsperpixely = 0.0F;
};

// Bits of a curve's style word (bits 0-4 a palette colour).
namespace curvebit {
inline constexpr std::int32_t colour = 0x1F;
inline constexpr std::int32_t steps = 0x20;
inline constexpr std::int32_t noline = 0x40;
inline constexpr std::int32_t nozero = 0x100;
inline constexpr std::int32_t penup = 0x4000;  // the next point starts a new line
}  // namespace curvebit

struct Curve {
  std::int32_t style = 0;
  // 1 or more: the stroked symbol (or character) of that number; below 1
  // the character of code -symbol written as text.
  std::int32_t symbol = 1;
  float diameter = 3.0F;  // tenths of a plot unit; 0 no mark
  std::int8_t oneway = 1;
  std::int32_t linewidth = 2;
  float lastx = 0.0F, lasty = 0.0F;
  std::uint32_t newonaxis = 0;  // bit k: the curve starts anew on axis k
};

// Direction entry of axis k (1..8): x is k, y is k + 8.
constexpr int xentry(int k) { return k; }
constexpr int yentry(int k) { return k + naxes; }

AxisState initialaxisstate();
plat::Store0<Curve> initialcurvestate();

inline AxisState axisstate = initialaxisstate();
inline plat::Store0<Curve> curvestate = initialcurvestate();

// Both blocks back to their start values. For tests.
void reset_plotstate();

}  // namespace plot
