// Strip charts: the plot area of the current axis slides by whole
// character rows or columns when a point passes the end of a scrolling
// direction. The moved direction's label strip moves with the area, so
// labels stay under their ticks; the strip that comes free is blanked with
// the background colour, the range moves by as many units, and the axis
// lines are drawn again.
#include <algorithm>
#include <cmath>

#include "plot/curves.h"
#include "plot/devbracket.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"

namespace plot {

namespace {

std::int32_t px(double v) {
  return static_cast<std::int32_t>(std::lround(std::clamp(v, -devicelimit, devicelimit)));
}

// The axis area in device pixels: columns x0..x1, rows top..bottom (the
// row of the x axis line), and the frame's left column and bottom row.
struct Area {
  std::int32_t x0, x1, top, bottom, frameleft, framebottom;
};

Area area(std::int32_t k, const LabelMargins& m) {
  const Frame& f = axisstate.frame(k);
  const float xl = axisstate.length(xentry(k)), yl = axisstate.length(yentry(k));
  const double ox = plotcom.xscale *
                    (static_cast<float>(f.left) * axisstate.cellwidth - axisstate.unitsperpixelx);
  const double oy = plotcom.yscale * (static_cast<float>(f.bottom) * axisstate.cellheight +
                                      axisstate.unitsperpixely);
  const auto row = [](double devy) { return px(static_cast<double>(plotcom.ymax) - devy + 1.0); };
  Area a{};
  a.x0 = px(ox + plotcom.xscale * m.left);
  a.x1 = px(ox + plotcom.xscale * (m.left + xl));
  a.bottom = row(oy + plotcom.yscale * m.bottom);
  a.top = row(oy + plotcom.yscale * (m.bottom + yl));
  a.frameleft = px(ox);
  a.framebottom = row(oy);
  return a;
}

void move(std::int32_t srcx, std::int32_t srcy, std::int32_t width, std::int32_t height,
          std::int32_t dstx, std::int32_t dsty) {
  if (width <= 0 || height <= 0) return;
  pxlmovargs = PxlMovArgs{srcy, srcx, height, width, dsty, dstx, pxlmovcopy};
  PXLMOV();
}

void blank(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return;
  pxlmovargs = PxlMovArgs{y, x, height, width, y, x, 0};
  PXLMOV();
}

// The axis lines of axis k again (not where the style hides them).
void axislines(std::int32_t k, const LabelMargins& m) {
  const float xl = axisstate.length(xentry(k)), yl = axisstate.length(yentry(k));
  std::int32_t error = 0;
  PLTFNC(penfn::pencolour, axisstate.style(xentry(k)) & axisbit::colour, error);
  if ((axisstate.style(xentry(k)) & axisbit::nolabels) == 0) {
    PLOT(m.left, m.bottom, 3);
    PLOT(m.left + xl, m.bottom, 2);
  }
  if ((axisstate.style(yentry(k)) & axisbit::nolabels) == 0) {
    PLOT(m.left, m.bottom, 3);
    PLOT(m.left, m.bottom + yl, 2);
  }
}

}  // namespace

void SCROLL_INTERNAL() {
  const std::int32_t k = std::clamp(axisstate.current, 1, naxes);
  const ScrollShift shift = scrollshift;
  scrollshift = {};
  const bool vertical = shift.columns == 0;
  const int e = vertical ? yentry(k) : xentry(k);
  const std::int32_t wanted = vertical ? shift.rows : shift.columns;
  const std::int32_t style = axisstate.style(e);
  if (wanted == 0 || (style & axisbit::scroll) == 0 || (style & axisbit::log) != 0) return;
  const float cell = vertical ? axisstate.cellheight : axisstate.cellwidth;
  const float length = axisstate.length(e);
  if (!(cell > 0.0F) || !(length > 0.0F)) return;
  const auto cells = static_cast<std::int32_t>(
      std::ceil(std::min(static_cast<float>(std::abs(wanted)), length / cell)));
  if (cells == 0) return;
  const std::int32_t n = wanted < 0 ? -cells : cells;

  const Bracket bracket(Bracket::Select::pen);
  if (!drawing(*plotdev)) return;
  std::int32_t error = 0;
  PLTFNC(penfn::brushcolour, axisstate.style(yentry(k)) & axisbit::colour, error);
  const LabelMargins m = labelmargins(k);
  const Area a = area(k, m);
  const FontSlot& g = fontslots(5);
  if (vertical) {
    // Rows from the top of the axis to its line, with the y label strip.
    const std::int32_t s = cells * g.cellheight;
    const std::int32_t x = a.frameleft + 1, width = a.x1 - x + 1;
    const std::int32_t height = a.bottom - a.top + 1;
    if (s >= height) {
      blank(x, a.top, width, height);
    } else if (n > 0) {  // above the maximum: the picture moves down
      move(x, a.top, width, height - s, x, a.top + s);
      blank(x, a.top, width, s);
    } else {
      move(x, a.top + s, width, height - s, x, a.top);
      blank(x, a.bottom + 1 - s, width, s);
    }
  } else {
    // Columns of the axis, with the x label strip below it.
    const std::int32_t s = cells * g.cellwidth;
    const std::int32_t width = a.x1 - a.x0 + 1;
    const std::int32_t height = a.framebottom - a.top + 1;
    if (s >= width) {
      blank(a.x0, a.top, width, height);
    } else if (n > 0) {  // beyond the maximum: the picture moves left
      move(a.x0 + s, a.top, width - s, height, a.x0, a.top);
      blank(a.x1 + 1 - s, a.top, s, height);
    } else {
      move(a.x0, a.top, width - s, height, a.x0 + s, a.top);
      blank(a.x0, a.top, s, height);
    }
  }
  Scale& sc = axisstate.scale(e);
  const float by = static_cast<float>(n) * cell * sc.unitsperplot;
  sc.minimum += by;
  sc.maximum += by;
  axislines(k, m);
}

}  // namespace plot
