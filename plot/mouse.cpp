// A click in a plot window read in the units of the axis under it.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "core/symbols.h"
#include "core/symbols_text.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"

namespace plot {

std::int32_t MAUSED(std::int32_t k, std::int32_t x, std::int32_t y) {
  if (k < 1 || k > naxes || (axisstate.live & (1U << k)) == 0) return -1;
  const float upx = axisstate.unitsperpixelx, upy = axisstate.unitsperpixely;
  const FontSlot& g = fontslots(5);
  if (!(upx > 0.0F) || !(upy > 0.0F) || g.cellwidth <= 0 || g.cellheight <= 0) return -1;
  // The frame in client pixels (rows counted from the window's top).
  const Frame& f = axisstate.frame(k);
  const std::int32_t left = f.left * g.cellwidth, right = (f.left + f.width) * g.cellwidth;
  const std::int32_t top = (axisstate.rows - f.bottom - f.height) * g.cellheight;
  const std::int32_t bottom = (axisstate.rows - f.bottom) * g.cellheight;
  if (x < left || x > right || y < top || y > bottom) return -1;

  // Where the axis lines start and how long they are, in pixels: as the
  // axis was drawn from its origin (SET_XT_YT_INTERNAL) past its labels.
  // (The label room of axis k itself: the origin axis's working values
  // stay as the curves left them.)
  const bool nox = (axisstate.style(xentry(k)) & axisbit::nolabels) != 0;
  const bool noy = (axisstate.style(yentry(k)) & axisbit::nolabels) != 0;
  const double labelsleft = (noy ? 0 : ylabelcolumns) * static_cast<double>(axisstate.cellwidth) - upx;
  const double below = (nox ? 0 : xlabelrows) * static_cast<double>(axisstate.cellheight) + upy;
  const double x0 = (static_cast<double>(f.left) * axisstate.cellwidth - upx + labelsleft) / upx;
  const double y0 = (static_cast<double>(f.bottom) * axisstate.cellheight + upy + below) / upy;
  const double xlength = axisstate.length(xentry(k)) / upx;
  const double ylength = axisstate.length(yentry(k)) / upy;
  const double deviceheight = static_cast<double>(g.cellheight) * axisstate.rows;
  const double up = deviceheight - y + 1.0;  // the click's height over the device's bottom

  const MouseBindings& b = axisstate.mouse(k);
  const Scale& sx = axisstate.scale(xentry(k));
  const Scale& sy = axisstate.scale(yentry(k));
  if (b.axis > 0) core::SETZTOR8(b.axis, static_cast<double>(k));
  if (b.y > 0 && ylength > 0.0)
    core::SETZTOR8(
        b.y, sy.minimum + (up - y0) / ylength * (static_cast<double>(sy.maximum) - sy.minimum));
  if (b.x > 0 && xlength > 0.0)
    core::SETZTOR8(
        b.x, sx.minimum + (x - x0) / xlength * (static_cast<double>(sx.maximum) - sx.minimum));
  if (b.call <= 0) return 0;
  std::array<char, 256> name{};
  core::GETNAME(b.call, name);
  std::string_view nm(name.data(), name.size());
  nm = nm.substr(0, nm.find_last_not_of(' ') + 1);
  nm = nm.substr(std::min(nm.find_first_not_of(' '), nm.size()));
  std::int32_t routine = 0;
  if (nm.empty() || !core::FINDSN(nm, routine, 4)) return 0;
  return routine;
}

}  // namespace plot
