// Curve points: XYLINE, and XYDRAW's texts at points.
#include "plot/curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "core/numwrite.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "plot/axis.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"

namespace plot {

namespace {

constexpr float sentinel = 999.0F;
constexpr float maxshift = 2147000000.0F;

bool has(std::int32_t word, std::int32_t bit) { return (word & bit) != 0; }

// Plot units along a direction from its minimum (log: decades times the
// step length); false where a log direction has no place for the value.
bool along(const Scale& s, bool log, float v, float& p) {
  if (log) {
    if (!(v > 0.0F) || !(s.minimum > 0.0F)) return false;
    p = s.step * std::log10(v / s.minimum);
    return std::isfinite(p);
  }
  if (s.unitsperplot == 0.0F) return false;
  p = (v - s.minimum) / s.unitsperplot;
  return std::isfinite(p);
}

// The data extent widened by (or restarted at) a value.
void extent(Scale& s, std::int32_t style, float v, bool restart, bool skipmin, float restartmin) {
  if (restart) {
    if (!has(style, axisbit::fixmin)) s.defaultmin = restartmin;
    if (!has(style, axisbit::fixmax)) s.defaultmax = v;
    return;
  }
  if (!has(style, axisbit::fixmin) && !skipmin) s.defaultmin = std::min(s.defaultmin, v);
  if (!has(style, axisbit::fixmax)) s.defaultmax = std::max(s.defaultmax, v);
}

// The shift that brings v back into the range, in cells of the given
// size; 0 when it lies inside or the range is fixed at either end.
std::int32_t overshoot(const Scale& s, std::int32_t style, float v, float cell) {
  if (has(style, axisbit::fixmin | axisbit::fixmax)) return 0;
  float bound = 0.0F;
  if (v < s.minimum)
    bound = s.minimum;
  else if (v > s.maximum)
    bound = s.maximum;
  else
    return 0;
  if (s.unitsperplot == 0.0F || cell <= 0.0F) return 0;
  const float cells = (v - bound) / s.unitsperplot / cell;
  if (std::isnan(cells)) return 0;
  const float n = std::min(std::abs(cells) + 1.0F, maxshift);
  const auto m = static_cast<std::int32_t>(n);
  return cells < 0.0F ? -m : m;
}

void pencolour(std::int32_t colour) {
  if (plotcom.pencolour == DOSCOLTORGB(colour) && drawing(*plotdev)) return;
  std::int32_t error = 0;
  PLTFNC(penfn::pencolour, colour & curvebit::colour, error);
}

}  // namespace

void XYLINE(std::int32_t k, std::int32_t c, float x, float y) {
  k = std::clamp(k, 1, naxes);
  c = std::clamp(c, 0, ncurves - 1);
  Curve& cv = curvestate(c);
  if (x == sentinel) x = cv.lastx;
  if (y == sentinel) y = cv.lasty;
  axisstate.current = k;
  currentcurve = c;
  if (k != axiswork.originaxis) SET_XT_YT_INTERNAL();
  const std::uint32_t bit = 1U << k;
  const std::int32_t xs = axisstate.style(xentry(k));
  const std::int32_t ys = axisstate.style(yentry(k));
  const bool nozero = has(cv.style, curvebit::nozero);

  // The data extent: restarted by the first point after the axis was drawn.
  const bool restart = (axisstate.drawn & bit) != 0;
  axisstate.drawn &= ~bit;
  extent(axisstate.scale(yentry(k)), ys, y, restart, y == 0.0F && nozero,
         y == 0.0F && nozero ? 1000000.0F : y);
  extent(axisstate.scale(xentry(k)), xs, x, restart, false, x);

  const auto done = [&] { axisstate.setup |= bit; };
  // Scrolling, y first: a point below a log direction's minimum is no
  // point at all.
  if (has(ys, axisbit::log) && y < axisstate.scale(yentry(k)).minimum) return done();
  if (const std::int32_t n = overshoot(axisstate.scale(yentry(k)), ys, y, axisstate.cellheight);
      n != 0) {
    scrollshift = {n, 0};
    SCROLL_INTERNAL();
  }
  if (has(xs, axisbit::log) && x < axisstate.scale(xentry(k)).minimum) return done();
  if (const std::int32_t n = overshoot(axisstate.scale(xentry(k)), xs, x, axisstate.cellwidth);
      n != 0) {
    scrollshift = {0, n};
    SCROLL_INTERNAL();
  }
  const Scale& sx = axisstate.scale(xentry(k));
  const Scale& sy = axisstate.scale(yentry(k));

  pencolour(cv.style & curvebit::colour);
  const float lastx = cv.lastx, lasty = cv.lasty;
  // A point that starts the curve anew is a move to it, whether or not it
  // can be seen: the line to the next point starts there.
  const bool startsanew = has(cv.style, curvebit::penup);
  const auto finish = [&] {
    cv.lastx = x;
    cv.lasty = y;
    cv.style &= ~curvebit::penup;
    done();
  };
  // A zero left out leaves the curve's last point where it was.
  if (y == 0.0F && nozero) return done();

  // The segment from the last point clipped to the visible range (a move
  // has no segment: only its own point counts).
  float p0[2] = {startsanew ? x : lastx, startsanew ? y : lasty};
  float p1[2] = {x, y};
  bool lastcut = false, invisible = false;
  const float window[4] = {sx.minimum, sx.maximum, sy.minimum, sy.maximum};
  if (std::isnan(x) || std::isnan(y)) return finish();
  UQCUT(p0, p1, window, lastcut, invisible);
  if (invisible) return finish();
  const bool newcut = p1[0] != x || p1[1] != y;

  const bool xlog = has(xs, axisbit::log), ylog = has(ys, axisbit::log);
  float ax = 0, ay = 0, bx = 0, by = 0;
  if (!along(sx, xlog, p0[0], ax) || !along(sy, ylog, p0[1], ay) || !along(sx, xlog, p1[0], bx) ||
      !along(sy, ylog, p1[1], by))
    return finish();
  ax += axiswork.leftmargin;
  bx += axiswork.leftmargin;
  ay += axiswork.bottommargin;
  by += axiswork.bottommargin;
  PLOT(ax, ay, 3);

  std::int32_t code = -1;
  if (!has(cv.style, curvebit::penup)) {
    if (!has(cv.style, curvebit::noline)) {
      if (cv.oneway == 0 || static_cast<float>(cv.oneway) * (x - lastx) >= 0.0F) code = -2;
    } else if (!(cv.diameter > 0.0F)) {
      code = 0;
    }
  } else {
    cv.style &= ~curvebit::penup;
  }
  if (cv.symbol < 1 && code < 0) code -= 2;
  if (code == -2 && has(cv.style, curvebit::steps)) SYMBOL(bx, ay, 0.0F, "", 0.0F, -2);
  if (code < 0) {
    const std::int32_t symbol = std::abs(cv.symbol) & 0xFF;
    const char ch = static_cast<char>(symbol);
    SYMBOL(bx, by, newcut ? 0.0F : cv.diameter, std::string_view(&ch, 1), 0.0F, code);
  }
  finish();
}

void XYDRAW(float x, float y, std::int32_t d, std::int32_t text, std::int32_t style,
            std::int32_t k) {
  k = std::clamp(k, 1, naxes);
  const Curve& cv = curvestate(std::clamp(currentcurve, 0, ncurves - 1));
  if (x == sentinel) x = cv.lastx;
  if (y == sentinel) y = cv.lasty;
  if ((axisstate.live & (1U << k)) == 0) return;
  axisstate.current = k;
  // The margins of axis k; the origin at its frame's corner, which is no
  // curve's origin: the next curve point sets that again.
  SET_XT_YT_INTERNAL();
  axiswork.originaxis = 0;
  const Frame& f = axisstate.frame(k);
  ORIG(static_cast<float>(f.left) * axisstate.cellwidth,
       static_cast<float>(f.bottom) * axisstate.cellheight);
  float px = 0, py = 0;
  if ((d & 8) == 0) {
    const Scale& sx = axisstate.scale(xentry(k));
    const Scale& sy = axisstate.scale(yentry(k));
    const bool xlog = has(axisstate.style(xentry(k)), axisbit::log);
    const bool ylog = has(axisstate.style(yentry(k)), axisbit::log);
    if (xlog && x < sx.minimum) x = sx.minimum;
    if (ylog && y < sy.minimum) y = sy.minimum;
    if (!along(sx, xlog, x, px) || !along(sy, ylog, y, py)) {
      axisstate.setup |= 1U << k;
      return;
    }
    px += axiswork.leftmargin;
    py += axiswork.bottommargin;
  } else {
    px = (x + 1.0F) * axisstate.cellwidth;
    py = (y + 1.0F) * axisstate.cellheight;
  }
  pencolour(style & curvebit::colour);
  PLOT(px, py, has(style, curvebit::penup) || (d & 4) != 0 ? 3 : 2);

  std::string t;
  std::int32_t first = 0, last = 0;
  if (text > 0 && core::ISCHAR(text, first, last) != 0) {
    if (last >= first && first >= 1) {
      const std::int32_t n = std::min(last - first + 1, 256);
      if (core::c1namen.valid(first) && core::c1namen.valid(first + n - 1))
        t.assign(core::c1namen.ptr(first), static_cast<std::size_t>(n));
    }
  } else if (text > 0 && core::z.valid(text) && core::z(text) > 0.0) {
    std::array<char, 256> b{};
    core::WTSID8TRIMMED(b, core::z(text), 0);
    t.assign(b.data(), b.size());
    t = t.substr(0, t.find_last_not_of(' ') + 1);
    t = t.substr(std::min(t.find_first_not_of(' '), t.size()));
  }
  if (!t.empty()) {
    static constexpr float angles[4] = {0.0F, 90.0F, 720.0F, 810.0F};
    // UQTEXT places from the frame's corner; the point is from the origin.
    UQTEXT(px, py, 0.0F, t, angles[d & 3], static_cast<std::int32_t>(t.size()));
  }
  axisstate.setup |= 1U << k;
}

void reset_curves() {
  scrollshift = {};
  currentcurve = 0;
}

}  // namespace plot
