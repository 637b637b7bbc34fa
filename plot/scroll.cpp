// Strip charts: the plot area of the current axis slides by whole
// character rows or columns when a point passes the end of a scrolling
// direction. The moved direction's label strip moves with the area, so
// labels stay under their ticks (a label whose tick leaves the axis goes
// before the slide); the other direction's axis line, on the
// area's edge, stays; the strip that comes free is blanked with the
// background colour, the range moves by as many units, the moved
// direction's ticks are drawn on into the new strip, its labels made as
// the range wants them and the other direction's grid lines drawn across
// the strip. Nothing else is drawn again: a
// point costs the slide of the area and the strip.
#include <algorithm>
#include <cmath>
#include <string>

#include "plot/axis.h"
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
// row of the x axis line), and the frame's edges (labels at the axis's
// ends reach past them into the frame).
struct Area {
  std::int32_t x0, x1, top, bottom, frameleft, frameright, frametop, framebottom;
  std::int32_t titleright;  // the last column of the y title
};

Area area(std::int32_t k) {
  const Frame& f = axisstate.frame(k);
  const float xl = axisstate.length(xentry(k)), yl = axisstate.length(yentry(k));
  const double ox = plotcom.xscale *
                    (static_cast<float>(f.left) * axisstate.cellwidth - axisstate.unitsperpixelx);
  const double oy = plotcom.yscale * (static_cast<float>(f.bottom) * axisstate.cellheight +
                                      axisstate.unitsperpixely);
  const auto row = [](double devy) { return px(static_cast<double>(plotcom.ymax) - devy + 1.0); };
  Area a{};
  const float left = axiswork.leftmargin, below = axiswork.bottommargin;
  a.x0 = px(ox + plotcom.xscale * left);
  a.x1 = px(ox + plotcom.xscale * (left + xl));
  a.bottom = row(oy + plotcom.yscale * below);
  a.top = row(oy + plotcom.yscale * (below + yl));
  a.frameleft = px(ox);
  a.titleright = px(ox + plotcom.xscale * (left - ytitlecolumns * axisstate.cellwidth));
  a.framebottom = row(oy);
  a.frameright =
      px(plotcom.xscale * static_cast<float>(f.left + f.width) * axisstate.cellwidth) - 1;
  a.frametop =
      row(plotcom.yscale * static_cast<float>(f.bottom + f.height) * axisstate.cellheight) + 1;
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

// Slides a block of pixels by s along a direction (vertical: down for n
// above 0, up below; else left for n above 0, right below) and blanks the
// strip that came free.
void slide(const win::RECT& block, bool vertical, std::int32_t n, std::int32_t s) {
  const std::int32_t l = block.left, t = block.top;
  const std::int32_t w = block.right - l + 1, h = block.bottom - t + 1;
  if (w <= 0 || h <= 0) return;
  if (vertical && n > 0) {
    move(l, t, w, h - s, l, t + s);
    blank(l, t, w, std::min(s, h));
  } else if (vertical) {
    move(l, t + s, w, h - s, l, t);
    blank(l, std::max(t, block.bottom + 1 - s), w, std::min(s, h));
  } else if (n > 0) {
    move(l + s, t, w - s, h, l, t);
    blank(std::max(l, block.right + 1 - s), t, std::min(s, w), h);
  } else {
    move(l, t, w - s, h, l + s, t);
    blank(l, t, std::min(s, w), h);
  }
}

// The moved direction's ticks from the new strip on (the whole axis when
// the whole area was replaced), with labels; the other direction's grid
// lines over the strip where its lines are new (all of that direction
// when the whole area was replaced). The pen the curve drew with is put
// back.
void ticks(std::int32_t k, bool vertical, std::int32_t n, bool whole, float shift,
           const win::RECT& gridstrip) {
  const std::int32_t style = plotcom.penstyle, width = plotcom.penwidth;
  std::int32_t error = 0;
  PLTFNC(penfn::pencolour, axisstate.style(xentry(k)) & axisbit::colour, error);
  const std::int32_t increment = n < 0 ? -1 : 1;
  TickWalk& w = tickwalk;
  if (w.increment != increment) w.phase = tickphase::first;
  w.increment = increment;
  const Scale& sc = axisstate.scale(vertical ? yentry(k) : xentry(k));
  const double range = static_cast<double>(sc.maximum) - sc.minimum;
  if (whole) {
    w = TickWalk{};
  } else {
    w.phase = tickphase::running;
    w.step = 0.0;  // the step XYAXIS took
    w.distance = increment > 0 ? range - shift : shift;
  }
  const std::int32_t e = vertical ? yentry(k) : xentry(k);
  // A walk over a strip draws its ticks; then every label step of the
  // axis gets its label as the axis drawn whole puts them, the steps on the
  // frame's lines at its ends too.
  const bool striplabels = !whole && (axisstate.style(e) & axisbit::nolabels) == 0;
  std::int32_t on = striplabels ? 0 : 1, off = 0, option = 0;
  axiswork.direction = vertical ? 1 : 0;
  axiswork.entry = e;
  PLOTTICS_INTERNAL(on, option);
  if (striplabels) STRIPLABELS();
  const TickWalk kept = tickwalk;
  tickwalk = TickWalk{};
  axiswork.direction = vertical ? 0 : 1;
  axiswork.entry = vertical ? xentry(k) : yentry(k);
  if (whole)
    PLOTTICS_INTERNAL(off, option);
  else
    STRIPGRID(gridstrip);
  tickwalk = kept;
  tickwalk.increment = increment;
  PLTFNC(penfn::stylewidth, std::max(width, 1) * 10 + style, error);
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
  const Area a = area(k);
  const FontSlot& g = fontslots(5);
  // The block that moves: the axis area with the moved direction's labels,
  // left to right l..r, top to bottom t..b; s pixels move. The title
  // beside them stays where it is: the x labels' row ends where the x
  // title's begins, and the y title's column where the y labels' begins.
  std::int32_t l = a.x0, r = std::max(a.x1, a.frameright), t = a.top;
  std::int32_t b = std::min(a.framebottom, a.bottom + g.cellheight - 1);
  std::int32_t s = cells * g.cellwidth;
  if (vertical) {
    l = std::max(a.frameleft + 1, a.titleright + 1);
    r = a.x1;
    t = std::min(a.top, a.frametop);
    b = a.bottom;
    s = cells * g.cellheight;
  }
  const bool whole = s >= (vertical ? a.bottom - a.top + 1 : a.x1 - a.x0 + 1);
  // The other direction's axis line lies on the block's edge (column x0,
  // row bottom) and stays: the block slides in two parts, the one along
  // that line without it, the one beside it (the labels) whole. The other
  // direction's grid lines are new where the strip came free and where
  // the blank beyond the axis' end moved in.
  win::RECT along{l + 1, t, r, a.bottom}, beside{l, a.bottom + 1, r, b};
  win::RECT gridstrip{std::max(a.x1 + 1 - s, l + 1), t, r, a.bottom};
  if (vertical) {
    along = win::RECT{a.x0, t, r, b - 1};
    beside = win::RECT{l, t, a.x0 - 1, b};
    gridstrip = win::RECT{a.x0, t, r, std::min(a.top + s - 1, b - 1)};
    if (n < 0) gridstrip = win::RECT{a.x0, std::max(t, b - s), r, b - 1};
  } else if (n < 0) {
    gridstrip = win::RECT{l + 1, t, std::min(l + s, r), a.bottom};
  }
  Scale& sc = axisstate.scale(e);
  const float by = static_cast<float>(n) * cell * sc.unitsperplot;
  if (whole) {
    blank(l, t, r - l + 1, b - t + 1);
  } else {
    // The labels whose ticks the slide takes off the axis go before it,
    // where they stand whole.
    const std::int32_t sign = n < 0 ? -1 : 1;
    STRIPSLIDE(e, sc.minimum + by, sc.maximum + by, vertical ? 0 : -sign * s,
               vertical ? sign * s : 0);
    slide(along, vertical, n, s);
    slide(beside, vertical, n, s);
  }
  sc.minimum += by;
  sc.maximum += by;
  ticks(k, vertical, n, whole, static_cast<float>(cells) * cell * sc.unitsperplot, gridstrip);
}

}  // namespace plot
