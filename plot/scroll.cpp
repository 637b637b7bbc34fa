// Strip charts: the plot area of the current axis slides by whole
// character rows or columns when a point passes the end of a scrolling
// direction. The moved direction's label strip moves with the area, so
// labels stay under their ticks; the strip that comes free is blanked with
// the background colour, the range moves by as many units, the moved
// direction's ticks and labels are drawn on into the new strip and the
// other direction's line and ticks again.
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

// The labels of direction entry e from lo to hi (user units): at every
// label step's multiple that leaves each label its length and 4 more
// character widths of room, as XYAXIS writes them; none at the maximum.
void striplabels(std::int32_t e, double lo, double hi) {
  const Scale& sc = axisstate.scale(e);
  const std::int32_t every = axisstate.labelevery(e) < 1 ? 10 : axisstate.labelevery(e);
  const double upp = sc.unitsperplot;
  const double distance = static_cast<double>(sc.step) * upp / 10.0 * every;
  const double cw = axisstate.cellwidth;
  if (!(distance > 0.0) || !(upp > 0.0) || !(cw > 0.0) || !std::isfinite(distance)) return;
  const double size = static_cast<double>(axislabel(e, sc.maximum).size());
  const double cells = distance / upp / cw;
  const auto stride =
      static_cast<long long>(std::max(1.0, std::ceil((size + 4.0) / std::max(cells, 1e-9))));
  const bool y = e > naxes;
  const double tick = static_cast<double>(axisstate.ticklength) * axisstate.cellheight;
  const double top = std::floor(hi / distance);
  for (double m = std::ceil(lo / distance); m <= top && m - std::ceil(lo / distance) < 1000; ++m) {
    const double v = m * distance;
    if (std::fmod(std::fabs(m), static_cast<double>(stride)) > 0.5) continue;
    const double near = 1e-6 * std::max(std::fabs(distance), 1e-30);
    if (std::fabs(v - sc.maximum) <= near) continue;
    // The label the axis wrote ending at its former maximum stands there.
    if (std::fabs(v - axiswork.endlabel[static_cast<std::size_t>(e)]) <= near) continue;
    const std::string label = axislabel(e, v);
    if (label.empty()) continue;
    const double p = (v - sc.minimum) / upp;
    float x = axiswork.leftmargin + static_cast<float>(y ? 0.0 : p);
    float yy = axiswork.bottommargin + static_cast<float>(y ? p : 0.0);
    // Clear of the label's tick, as the axis writes them.
    if (y) {
      x -= static_cast<float>(tick / 1.5) + axisstate.cellheight;
      yy += static_cast<float>(1.5 * tick);
    } else {
      x += static_cast<float>(tick / 1.5);
    }
    UQTEXT(x, yy, axisstate.cellheight, label, y ? 90.0F : 0.0F,
           static_cast<std::int32_t>(label.size()));
  }
}

// The moved direction's ticks from the new strip on (the whole axis when
// the whole area was replaced), with labels; the other direction from its
// start without. The pen the curve drew with is put back.
void ticks(std::int32_t k, bool vertical, std::int32_t n, bool whole, float shift) {
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
  // A walk over a strip does not know the labels before it: a linear
  // number axis gets its strip's labels here, as far apart as the axis
  // drawn whole puts them.
  const bool ownlabels = !whole && (axisstate.style(e) & (axisbit::time | axisbit::nolabels)) == 0;
  std::int32_t on = ownlabels ? 0 : 1, off = 0, option = 0;
  axiswork.direction = vertical ? 1 : 0;
  axiswork.entry = e;
  PLOTTICS_INTERNAL(on, option);
  if (ownlabels) {
    // Labels run from their tick toward the maximum: one comes when its
    // whole text, past its tick, has come within the axis (beyond the
    // axis's end a text loses its last characters as the strip slides).
    const double size = static_cast<double>(axislabel(e, sc.maximum).size());
    const double inside = (size + 1.0) * axisstate.cellwidth * sc.unitsperplot;
    if (increment > 0)
      striplabels(e, sc.maximum - shift - inside, sc.maximum - inside);
    else
      striplabels(e, sc.minimum, sc.minimum + shift);
  }
  const TickWalk kept = tickwalk;
  tickwalk = TickWalk{};
  axiswork.direction = vertical ? 0 : 1;
  axiswork.entry = vertical ? xentry(k) : yentry(k);
  PLOTTICS_INTERNAL(off, option);
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
  // The block that moves: the axis area with the moved direction's label
  // strip, left to right l..r, top to bottom t..b; s pixels move.
  std::int32_t l = a.x0, r = std::max(a.x1, a.frameright), t = a.top, b = a.framebottom;
  std::int32_t s = cells * g.cellwidth;
  if (vertical) {
    l = a.frameleft + 1;
    r = a.x1;
    t = std::min(a.top, a.frametop);
    b = a.bottom;
    s = cells * g.cellheight;
  }
  const std::int32_t w = r - l + 1, h = b - t + 1;
  const bool whole = s >= (vertical ? a.bottom - a.top + 1 : a.x1 - a.x0 + 1);
  if (whole) {
    blank(l, t, w, h);
  } else if (vertical && n > 0) {  // above the maximum: the picture moves down
    move(l, t, w, h - s, l, t + s);
    blank(l, t, w, s);
  } else if (vertical) {
    move(l, t + s, w, h - s, l, t);
    blank(l, b + 1 - s, w, s);
  } else if (n > 0) {  // beyond the maximum: the picture moves left
    move(l + s, t, w - s, h, l, t);
    blank(r + 1 - s, t, s, h);
  } else {
    move(l, t, w - s, h, l + s, t);
    blank(l, t, s, h);
  }
  Scale& sc = axisstate.scale(e);
  const float by = static_cast<float>(n) * cell * sc.unitsperplot;
  sc.minimum += by;
  sc.maximum += by;
  ticks(k, vertical, n, whole, static_cast<float>(cells) * cell * sc.unitsperplot);
}

}  // namespace plot
