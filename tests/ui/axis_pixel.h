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

inline win::POINT pixel(int k, double x, double y) {
  const plot::AxisState& a = plot::axisstate;
  const plot::FontSlot& g = plot::fontslots(5);
  const plot::Frame& f = a.frame(k);
  const plot::Scale& sx = a.scale(plot::xentry(k));
  const plot::Scale& sy = a.scale(plot::yentry(k));
  const double left = (f.left + 6) * g.cellwidth - 2.0;
  const double bottom = g.cellheight * (a.rows - f.bottom - 3) - 1.0;
  const double xlen = a.length(plot::xentry(k)) * 1280.0 / 24.5;
  const double ylen = a.length(plot::yentry(k)) * 1024.0 / 18.45;
  return {static_cast<win::LONG>(
              std::lround(left + (x - sx.minimum) / (sx.maximum - sx.minimum) * xlen)),
          static_cast<win::LONG>(
              std::lround(bottom - (y - sy.minimum) / (sy.maximum - sy.minimum) * ylen))};
}

}  // namespace axispixel
