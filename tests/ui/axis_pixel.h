// The pixel of a point on an axis as the axis engine drew it, computed in
// the test from the axis state: the axis starts 6 label columns and 3 label
// rows into its frame (less a pixel each).
#pragma once

#include <cmath>

#include "platform/win_gdi.h"
#include "plot/axis.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"

namespace axispixel {

// The same from the parts: the axis's frame, scales and lengths and the
// rows of its window.
inline win::POINT pixel(const plot::Frame& f, const plot::Scale& sx, const plot::Scale& sy,
                        float xlength, float ylength, int rows, double x, double y) {
  const plot::FontSlot& g = plot::fontslots(5);
  const double left = (f.left + 6) * g.cellwidth - 2.0;
  const double bottom = g.cellheight * (rows - f.bottom - 3) - 1.0;
  const double xlen = xlength * 1280.0 / 24.5;
  const double ylen = ylength * 1024.0 / 18.45;
  return {static_cast<win::LONG>(
              std::lround(left + (x - sx.minimum) / (sx.maximum - sx.minimum) * xlen)),
          static_cast<win::LONG>(
              std::lround(bottom - (y - sy.minimum) / (sy.maximum - sy.minimum) * ylen))};
}

inline win::POINT pixel(int k, double x, double y) {
  const plot::AxisState& a = plot::axisstate;
  return pixel(a.frame(k), a.scale(plot::xentry(k)), a.scale(plot::yentry(k)),
               a.length(plot::xentry(k)), a.length(plot::yentry(k)), a.rows, x, y);
}

}  // namespace axispixel
