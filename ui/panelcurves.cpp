#include "ui/panelcurves.h"

#include <algorithm>
#include <cstdint>

#include "core/messages.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "plot/curves.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"

namespace ui {

namespace {

namespace keys {
inline constexpr auto noindex = core::MSGKEY("pnlNoindx");
inline constexpr auto nox = core::MSGKEY("pnlnoX");
inline constexpr auto novalues = core::MSGKEY("pnlvecReq");
}  // namespace keys

void fail(std::string_view key, std::int32_t axis) {
  core::msgkey.set(key);
  core::iostatw[1] = static_cast<std::int16_t>(axis);
  core::xeqstop = core::stops::error;
}

std::int32_t axisof(const panelrec& p) { return p.flags & panelflag::axis; }
bool is(const panelrec& p, std::int16_t flag) { return (p.flags & flag) != 0; }

// The values a record reaches now: its first z cell and how many follow
// (a scalar: its own cell, count 0); false when its array has gone or
// shrunk below the element.
bool cellsof(const panelrec& p, std::int32_t& first, std::int32_t& count) {
  if (p.sym <= 0) return false;
  if (p.index == 0) {
    first = p.sym;
    count = 0;
    return core::z.valid(first);
  }
  const std::int32_t n = std::max(core::I4EQUZ(1, p.sym), 0) * std::max(core::I4EQUZ(2, p.sym), 0);
  const std::int32_t start = core::name(p.sym).adr;
  if (p.index > n || start < 1) return false;
  first = start + p.index - 1;
  count = n - p.index + 1;
  return core::z.valid(first) && core::z.valid(first + count - 1);
}

float value4(std::int32_t cell) {
  float f = 0.0F;
  std::int32_t status = 0;
  core::R8TOR4N(core::z.valid(cell) ? core::z(cell) : 0.0, f, status);
  return f;
}

// The x vector of axis k: the last x item of the axis that has a variable.
const panelrec* xvector(const panelrec* head, std::int32_t k) {
  const panelrec* found = nullptr;
  for (const panelrec* p = head; p != nullptr; p = p->next)
    if (is(*p, panelflag::xitem) && axisof(*p) == k && p->sym > 0) found = p;
  return found;
}

std::uint32_t blend(std::uint32_t from, std::uint32_t to, std::int32_t k, std::int32_t m) {
  std::uint32_t c = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const auto a = static_cast<std::int32_t>((from >> shift) & 0xFF);
    const auto b = static_cast<std::int32_t>((to >> shift) & 0xFF);
    const std::int32_t v = a + (b - a) * (k - 1) / (m - 1);
    c |= static_cast<std::uint32_t>(std::clamp(v, 0, 255)) << shift;
  }
  return c;
}

// The palette entry of a curve's colour holding another colour while a
// snapshot is drawn: the plot engine draws curves in palette colours.
class PaletteEntry {
 public:
  explicit PaletteEntry(std::int32_t n) : n_(n & plot::curvebit::colour), kept_(exec::rgbtab(n_)) {}
  ~PaletteEntry() { exec::rgbtab(n_) = kept_; }
  PaletteEntry(const PaletteEntry&) = delete;
  PaletteEntry& operator=(const PaletteEntry&) = delete;
  void set(std::uint32_t colour) { exec::rgbtab(n_) = colour; }

 private:
  std::int32_t n_;
  std::uint32_t kept_;
};

}  // namespace

bool bindpanelcurves(panelrec* head, char separator, std::int32_t sym, bool array,
                     std::int32_t length) {
  for (panelrec* p = head; p != nullptr; p = p->next) {
    if (p->sym != 0 || p->letter != separator ||
        !is(*p, static_cast<std::int16_t>(panelflag::xitem | panelflag::curve)))
      continue;
    const std::int32_t number = p->index;
    if (number < 0 || number > length) {
      core::msgkey.set(keys::noindex);
      core::xeqstop = core::stops::error;
      return false;
    }
    p->sym = sym;
    p->letter = 0;
    if (!array) {
      // A scalar is its own single value.
      p->index = 0;
    } else if (is(*p, panelflag::xitem)) {
      // The x vector from the element on (the whole array for 0).
      p->index = std::max(number, 1);
      p->width = length - p->index + 1;
    } else if (number == 0) {
      p->flags = static_cast<std::int16_t>(p->flags | panelflag::history);
      p->index = 1;
      p->width = length;
    }
  }
  return true;
}

bool preparepanelcurves(panelrec* head, const PanelAxes& axes, PanelEngine& own) {
  for (panelrec* p = head; p != nullptr; p = p->next) {
    if (!is(*p, panelflag::curve)) continue;
    const std::int32_t k = axisof(*p);
    if (xvector(head, k) == nullptr) {
      fail(keys::nox, k);
      return false;
    }
    const std::int32_t back = axes[static_cast<std::size_t>(k)].ystyle & plot::axisbit::colour;
    // A curve whose colour came by counting never takes its axis's background.
    if (!p->ownstyle && (p->style & plot::curvebit::colour) == back)
      p->style = (p->style & ~plot::curvebit::colour) | ((back + 1) & plot::curvebit::colour);
    p->background = static_cast<std::int16_t>(p->style & plot::curvebit::colour);
    p->foreground = back;
    for (const panelrec* q = head; q != p; q = q->next)
      if (is(*q, panelflag::curve) && q->sym == p->sym && q->index == p->index && p->sym > 0) {
        p->background = q->background;
        p->foreground = q->foreground;
        break;
      }
    p->style = (p->style & ~plot::curvebit::colour) | p->background;
    const auto n = static_cast<std::size_t>(p->curve);
    if ((own.curvesheld & (1U << n)) == 0) own.curves[n] = plot::curvestate(p->curve);
    own.curvesheld |= 1U << n;
    plot::Curve& c = own.curves[n];
    c.style = p->style | plot::curvebit::penup;
    static const auto start = plot::initialcurvestate();
    c.symbol = start(p->curve).symbol;
    c.oneway = 0;
  }
  return true;
}

bool drawpanelcurve(exec::wdwrec& r, const panelrec* head, const panelrec& p) {
  const std::int32_t k = axisof(p);
  std::int32_t y = 0, ycount = 0, x = 0, xcount = 0;
  const panelrec* xs = xvector(head, k);
  if (xs == nullptr) return true;
  const bool xvalues = cellsof(*xs, x, xcount);
  const std::int32_t n = std::min(p.width, xcount);
  if (is(p, panelflag::history) && n <= 0) {
    fail(keys::novalues, k);
    return false;
  }
  if (!xvalues || !cellsof(p, y, ycount)) return true;
  const PanelPlot plot(r);
  if (!plot.open()) return true;
  // The curve's drawing as its mark gave it; a line not yet begun stays so.
  plot::Curve& c = plot::curvestate(p.curve);
  c.style = p.style | (c.style & plot::curvebit::penup);
  c.diameter = p.size;
  c.linewidth = p.pen;
  std::int32_t error = 0;
  plot::PLTFNC(plot::penfn::stylewidth, std::clamp(p.pen, 1, 100000) * 10, error);
  if (!is(p, panelflag::history)) {
    plot::XYLINE(k, p.curve, value4(x), value4(y));
    return true;
  }
  // Snapshots of n values in the history, the newest first; only whole
  // ones (the width is checked against the array as it is now).
  const std::int32_t m = std::min(p.width, ycount) / n;
  PaletteEntry entry(p.background);
  const std::uint32_t newest = exec::colour(p.background);
  const std::uint32_t oldest = exec::colour(p.foreground);
  for (std::int32_t s = m; s >= 1; --s) {
    entry.set(m > 1 ? blend(newest, oldest, s, m) : newest);
    c.style |= plot::curvebit::penup;
    for (std::int32_t j = 0; j < n; ++j) {
      const std::int32_t at = y + (s - 1) * n + j;
      plot::XYLINE(k, p.curve, value4(x + j), value4(at));
      if (s < m) core::z(at + n) = core::z(at);
    }
  }
  return true;
}

}  // namespace ui
