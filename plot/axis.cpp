// XYAXIS: one axis drawn from `axisstate`: the frame limited to the
// window, the label margins and the origin, the background, the rounded
// scales, the titles and both directions' lines with their ticks.
#include "plot/axis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <string>

#include "core/chars.h"
#include "core/numwrite.h"
#include "core/stores.h"
#include "exec/windowlist.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"

namespace plot {

namespace {

// Character cell of the graphics font and plot units per pixel, from the
// scale the open plot set (fallback: the screen's plot page).
void cellsize() {
  const FontSlot& g = fontslots(5);
  if (plotcom.xfactor > 0.0F && plotcom.yfactor > 0.0F) {
    axisstate.unitsperpixelx = 1.0F / plotcom.xfactor;
    axisstate.unitsperpixely = 1.0F / plotcom.yfactor;
  }
  axisstate.cellwidth = static_cast<float>(g.cellwidth) * axisstate.unitsperpixelx;
  axisstate.cellheight = static_cast<float>(g.cellheight) * axisstate.unitsperpixely;
}

void limitframe(Frame& f) {
  const std::int32_t columns = std::max(axisstate.columns, 0);
  const std::int32_t rows = std::max(axisstate.rows, 0);
  f.left = std::clamp(f.left, 0, std::max(columns - 5, 0));
  f.bottom = std::clamp(f.bottom, 0, std::max(rows - 5, 0));
  f.width = std::clamp(f.width, 0, std::max(columns - f.left, 0));
  f.height = std::clamp(f.height, 0, std::max(rows - f.bottom, 0));
}

// Frames apart by less than 2 cells in x or in y do not overlap.
bool overlap(const Frame& a, const Frame& b) {
  const bool apartx = a.left + a.width - b.left < 2 || b.left + b.width - a.left < 2;
  const bool aparty = a.bottom + a.height - b.bottom < 2 || b.bottom + b.height - a.bottom < 2;
  return !apartx && !aparty;
}

void liveaxes(std::int32_t k) {
  const win::HWND here = exec::wdwcur != nullptr ? exec::wdwcur->window : nullptr;
  for (std::int32_t i = 1; i <= naxes; ++i) {
    if (i == k || (axisstate.live & (1U << i)) == 0) continue;
    if (axisstate.window(i) != here) continue;
    if (!overlap(axisstate.frame(i), axisstate.frame(k))) continue;
    axisstate.live &= ~(1U << i);
    axisstate.mousewindow(i) = nullptr;
  }
  axisstate.live |= 1U << k;
}

}  // namespace

std::string axistitle(std::int32_t d, double divisor) {
  const std::array<std::int32_t, 2>& t = d == 0 ? axisstate.xtitle : axisstate.ytitle;
  std::string s;
  if (t[0] >= 1 && t[1] >= t[0] && core::c1namen.valid(t[0]) && core::c1namen.valid(t[1])) {
    const std::int32_t n = std::min(t[1] - t[0] + 1, 256);
    s.assign(core::c1namen.ptr(t[0]), static_cast<std::size_t>(n));
  } else if (t[0] == 0) {
    s = axiswork.titletexts[d == 0 ? 0 : 1].substr(0, 256);
  }
  const auto end = s.find_last_not_of(' ');
  s.erase(end == std::string::npos ? 0 : end + 1);
  const auto begin = s.find_first_not_of(' ');
  s.erase(0, begin == std::string::npos ? s.size() : begin);
  if (std::fabs(divisor - 1.0) > 10.0 * epsilonof(1.0)) {
    std::array<char, 5> field{};
    core::WTSID8(field, divisor, 0);
    std::string_view f(field.data(), field.size());
    const auto fe = f.find_last_not_of(' ');
    s += " / ";
    s += f.substr(0, fe == std::string_view::npos ? 0 : fe + 1);
  }
  return s;
}

namespace {

std::int32_t minorticks(std::int32_t e, float steplength) {
  const Scale& s = axisstate.scale(e);
  const std::int32_t style = axisstate.style(e);
  if ((style & axisbit::time) != 0 && s.maximum - s.minimum <= 20.0F) return 1;
  const float q = steplength / std::max(axisstate.cellheight, 1e-30F);
  if ((style & axisbit::log) != 0 || q > 2.0F) return 10;
  if (q <= 0.5F) return 2;
  return 5;
}

}  // namespace

double epsilonof(double x) { return std::max(std::fabs(x) * 1.1920929e-7, 1.1754944e-38); }

void SET_NYT_NXT_INTERNAL(std::int32_t& k) {
  const std::int32_t a = std::clamp(k, 1, naxes);
  axiswork.labelcolumns = (axisstate.style(yentry(a)) & axisbit::nolabels) != 0 ? 0 : ylabelcolumns;
  axiswork.labelrows = (axisstate.style(xentry(a)) & axisbit::nolabels) != 0 ? 0 : xlabelrows;
}

void SET_XT_YT_INTERNAL() {
  std::int32_t k = std::clamp(axisstate.current, 1, naxes);
  SET_NYT_NXT_INTERNAL(k);
  const float cw = axisstate.cellwidth, ch = axisstate.cellheight;
  const float px = axisstate.unitsperpixelx, py = axisstate.unitsperpixely;
  axiswork.leftmargin = static_cast<float>(axiswork.labelcolumns) * cw - px;
  axiswork.bottommargin = static_cast<float>(axiswork.labelrows) * ch + py;
  const Frame& f = axisstate.frame(k);
  ORIG(static_cast<float>(f.left) * cw - px, static_cast<float>(f.bottom) * ch + py);
  axiswork.originaxis = k;
}

void XYAXIS(std::int32_t& k) {
  k = std::clamp(k, 1, naxes);
  axisstate.current = k;
  Frame& f = axisstate.frame(k);
  limitframe(f);
  axisstate.drawn |= 1U << k;
  cellsize();
  SET_XT_YT_INTERNAL();
  std::int32_t error = 0;
  PLTFNC(penfn::brushcolour, axisstate.style(yentry(k)) & axisbit::colour, error);
  PLTFNC(penfn::stylewidth, 10, error);
  UQFLUSH(f.height, f.width, axisstate.rows - f.bottom - f.height, f.left);
  liveaxes(k);
  const float cw = axisstate.cellwidth, ch = axisstate.cellheight;
  axisstate.length(xentry(k)) =
      std::max(static_cast<float>(f.width - 2) * cw - axiswork.leftmargin, shortestaxis);
  axisstate.length(yentry(k)) =
      std::max(static_cast<float>(f.height) * ch - axiswork.bottommargin, shortestaxis);
  for (const int e : {xentry(k), yentry(k)})
    if (axisstate.labelevery(e) < 1) axisstate.labelevery(e) = 10;
  for (std::int32_t d = 0; d <= 1; ++d) {
    const std::int32_t e = d == 0 ? xentry(k) : yentry(k);
    axiswork.direction = d;
    axiswork.entry = e;
    const float length = axisstate.length(e);
    // A character width in this direction's plot units: the units of x and
    // y are not of one size in pixels.
    const float along =
        d == 0 ? cw : static_cast<float>(fontslots(5).cellwidth) * axisstate.unitsperpixely;
    roundscale(e, length, along);
    const Scale& s = axisstate.scale(e);
    const std::string title = axistitle(d, s.divisor);
    PLTFNC(penfn::pencolour, axisstate.style(xentry(k)) & axisbit::colour, error);
    if ((axisstate.style(e) & axisbit::nolabels) == 0 && !title.empty()) {
      if (d == 0)
        UQTEXT(axiswork.leftmargin + length - shortestaxis - 3.0F * axisstate.unitsperpixelx,
               axiswork.bottommargin - ch, ch, title, 720.0F,
               static_cast<std::int32_t>(title.size()));
      else
        // Upward, its height across the axis in x units, never left of the
        // frame.
        UQTEXT(std::max(axiswork.leftmargin - ytitlecolumns * cw -
                            static_cast<float>(fontslots(5).cellheight) * axisstate.unitsperpixelx,
                        0.0F),
               axiswork.bottommargin + length - shortestaxis - 3.0F * axisstate.unitsperpixely, ch,
               title, 810.0F, static_cast<std::int32_t>(title.size()));
    }
    axisstate.minorticks(e) = minorticks(e, s.step);
    tickwalk = TickWalk{};
    std::int32_t labels = 1, option = 0;
    PLOTTICS_INTERNAL(labels, option);
  }
  axisstate.setup |= 1U << k;
}

bool axisposition(std::int32_t e, double value, double& position) {
  const Scale& s = axisstate.scale(e);
  if ((axisstate.style(e) & axisbit::log) != 0) {
    if (!(value > 0.0) || !(s.minimum > 0.0F)) return false;
    position = static_cast<double>(s.step) * std::log10(value / s.minimum);
    return std::isfinite(position);
  }
  if (!(s.unitsperplot != 0.0F)) return false;
  position = (value - s.minimum) / s.unitsperplot;
  return std::isfinite(position);
}

}  // namespace plot
