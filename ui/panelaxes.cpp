#include "ui/panelaxes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

#include "core/messages.h"
#include "core/runwords.h"
#include "exec/windowwords.h"
#include "plot/axis.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "toolkit/draw_targets.h"
#include "ui/childstatement.h"

namespace ui {

namespace {

constexpr float emptyrange = 1000000.0F;
// The symbol size a curve numbered by its mark takes when it has none.
constexpr float numberedsize = 3.0F;
// Symbol sizes beyond any window.
constexpr float maxsize = 1000.0F;

// A number at the place, its end after it; false when none stands there.
bool numberat(const std::string& line, std::size_t at, double& value, std::size_t& end) {
  const char* first = line.data() + at;
  const char* last = line.data() + line.size();
  if (first < last && *first == '+') ++first;
  const auto r = std::from_chars(first, last, value);
  if (r.ec != std::errc() || !std::isfinite(value)) return false;
  end = static_cast<std::size_t>(r.ptr - line.data());
  return true;
}

float limited(double v) { return static_cast<float>(std::clamp(v, -1e30, 1e30)); }

std::int32_t word(double v) {
  return static_cast<std::int32_t>(std::lround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

void blank(std::string& line, std::size_t from, std::size_t to) {
  std::fill(line.begin() + static_cast<std::ptrdiff_t>(from),
            line.begin() + static_cast<std::ptrdiff_t>(std::min(to, line.size())), ' ');
}

// A curve's mark from its data letter at `at` on: pairs of a letter and a
// number, one character between them, while a number follows. Returns
// where the mark ends.
std::size_t curvemark(const std::string& line, std::size_t at, CurveCounters& counters,
                      panelrec& p) {
  double v = 0;
  std::size_t end = at;
  while (at < line.size() && line[at] != ' ' && numberat(line, at + 1, v, end)) {
    switch (line[at]) {
      case 'B':
        // Style words are 16-bit.
        p.style = std::clamp(word(v), -32767, 32766);
        p.ownstyle = true;
        counters.style = p.style + 1;
        break;
      case 'D':
        p.size = std::clamp(limited(v), -maxsize, maxsize);
        if (!(p.size > 0.0F)) p.style &= ~plot::curvebit::noline;
        break;
      case 'W':
        p.pen = std::clamp(word(v), 1, 1000);
        break;
      case 'S':
        p.curve = word(v) & (plot::ncurves - 1);
        counters.curve = p.curve + 1;
        if (!(p.size > 0.0F)) p.size = numberedsize;
        break;
      default:
        p.letter = line[at];
        break;
    }
    at = end + 1;
  }
  return end;
}

}  // namespace

bool panelaxisgroup(std::vector<std::string>& body, char separator, std::int32_t k, PanelAxes& axes,
                    CurveCounters& counters, std::vector<panelrec>& made) {
  k = std::clamp(k, 1, plot::naxes);
  PanelAxis& a = axes[static_cast<std::size_t>(k)];
  const PanelAxis kept = a;
  a = PanelAxis{};
  // The ranges stay when they are not empty.
  if (kept.xmin != kept.xmax) {
    a.xmin = kept.xmin;
    a.xmax = kept.xmax;
  }
  if (kept.ymin != kept.ymax) {
    a.ymin = kept.ymin;
    a.ymax = kept.ymax;
  }
  const auto lines = static_cast<std::int32_t>(body.size());
  std::int32_t longest = 0;
  for (const std::string& l : body)
    longest = std::max(longest, static_cast<std::int32_t>(l.size()));
  bool corner = false;
  std::int32_t firstcolumn = 0, firstline = 0;
  for (std::size_t l = 0; l < body.size(); ++l) {
    std::string& line = body[l];
    for (std::size_t c = line.find(separator); c != std::string::npos;
         c = line.find(separator, c + 1)) {
      const auto column = static_cast<std::int32_t>(c + 1);
      const auto row = static_cast<std::int32_t>(l + 1);
      const char next = c + 1 < line.size() ? line[c + 1] : ' ';
      const char second = c + 2 < line.size() ? line[c + 2] : ' ';
      if (next == separator) {
        blank(line, c, c + 2);
        plot::Frame& f = a.frame;
        if (!corner) {
          corner = true;
          a.framed = true;
          firstcolumn = column;
          firstline = row;
          f.left = column == 1 ? 0 : column;
          f.width = longest - column + 1;
          f.height = lines - row + 2;
          f.bottom = 0;
        } else if (row == firstline) {
          f.width = column - f.left + 2;
        } else {
          const std::int32_t apart = std::abs(column - firstcolumn);
          f.left = std::min(firstcolumn, column);
          if (apart != 0) f.width = apart + 2;
          f.height = row - firstline + 1;
          f.bottom = lines - row;
        }
        continue;
      }
      double v = 0;
      std::size_t end = 0;
      if ((next == 'X' || next == 'Y') && numberat(line, c + 3, v, end)) {
        const bool x = next == 'X';
        if (second == 'x' || (!x && second == 'y')) {
          (x ? a.xmin : a.ymin) = limited(v);
        } else if (second == 'X' || (!x && second == 'Y')) {
          (x ? a.xmax : a.ymax) = limited(v);
        } else if (second == 'B') {
          (x ? a.xstyle : a.ystyle) = word(v);
        } else if (second == 'G') {
          (x ? a.xgrid : a.ygrid) = word(v);
        } else if (x) {
          // The axis's x data: bound by the group of the letter.
          panelrec p;
          p.flags = static_cast<std::int16_t>(k | panelflag::xitem);
          p.index = word(v);
          p.letter = second;
          made.push_back(p);
        } else {
          if (counters.made >= maxpanelcurves) {
            core::msgkey.set(core::MSGKEY("pnlCurves"));
            core::xeqstop = core::stops::error;
            return false;
          }
          ++counters.made;
          panelrec p;
          p.flags = static_cast<std::int16_t>(k | panelflag::curve);
          p.index = word(v);
          p.style = counters.style++;
          p.pen = counters.pen;
          p.curve = counters.curve++ & (plot::ncurves - 1);
          p.size = counters.size;
          end = curvemark(line, c + 2, counters, p);
          made.push_back(p);
        }
        blank(line, c, end);
        continue;
      }
      if (next == 'x' || next == 'y') {
        std::size_t e = line.find(separator, c + 1);
        if (e == std::string::npos) e = line.size();
        std::string title = line.substr(c + 2, e > c + 2 ? e - c - 2 : 0);
        (next == 'x' ? a.xtitle : a.ytitle) = title;
        blank(line, c, e);
        continue;
      }
      line[c] = ' ';
    }
  }
  return true;
}

namespace {

// Axis k of the engine, and axis k put into the engine.
EngineAxis engineaxis(std::int32_t k) {
  const plot::AxisState& s = plot::axisstate;
  EngineAxis a;
  a.frame = s.frame(k);
  for (std::size_t d = 0; d < 2; ++d) {
    const std::int32_t e = d == 0 ? plot::xentry(k) : plot::yentry(k);
    a.scale[d] = s.scale(e);
    a.style[d] = s.style(e);
    a.labelevery[d] = s.labelevery(e);
    a.timepicture[d] = s.timepicture(e);
    a.minorticks[d] = s.minorticks(e);
    a.length[d] = s.length(e);
    a.labels[d] = plot::axiswork.labels[static_cast<std::size_t>(e)];
  }
  a.box = plot::axisboxes[static_cast<std::size_t>(k)];
  a.window = s.window(k);
  const std::uint32_t bit = 1U << k;
  a.drawn = (s.drawn & bit) != 0;
  a.live = (s.live & bit) != 0;
  a.setup = (s.setup & bit) != 0;
  return a;
}

void putaxis(std::int32_t k, const EngineAxis& a) {
  plot::AxisState& s = plot::axisstate;
  s.frame(k) = a.frame;
  for (std::size_t d = 0; d < 2; ++d) {
    const std::int32_t e = d == 0 ? plot::xentry(k) : plot::yentry(k);
    s.scale(e) = a.scale[d];
    s.style(e) = a.style[d];
    s.labelevery(e) = a.labelevery[d];
    s.timepicture(e) = a.timepicture[d];
    s.minorticks(e) = a.minorticks[d];
    s.length(e) = a.length[d];
    plot::axiswork.labels[static_cast<std::size_t>(e)] = a.labels[d];
  }
  plot::axisboxes[static_cast<std::size_t>(k)] = a.box;
  s.window(k) = a.window;
  const std::uint32_t bit = 1U << k;
  const auto set = [bit](std::uint32_t& bits, bool on) { bits = on ? bits | bit : bits & ~bit; };
  set(s.drawn, a.drawn);
  set(s.live, a.live);
  set(s.setup, a.setup);
}

bool held(std::uint32_t bits, std::int32_t n) { return (bits & (1U << n)) != 0; }

}  // namespace

PanelEngine& panelengine(exec::wdwrec& r) {
  if (r.panelengine == nullptr) r.panelengine = new PanelEngine;
  return *r.panelengine;
}

namespace {
bool keepengine = false;
}  // namespace

KeepEngine::KeepEngine() : before(keepengine) { keepengine = true; }
KeepEngine::~KeepEngine() { keepengine = before; }

PanelPlot::PanelPlot(exec::wdwrec& r)
    : entry_(exec::wdwcur),
      device_(plot::plotdev),
      own_(&panelengine(r)),
      axes_(plot::axisstate),
      work_(plot::axiswork),
      walk_(plot::tickwalk),
      shift_(plot::scrollshift),
      com_(plot::plotcom),
      boxes_(plot::axisboxes),
      curves_(plot::curvestate),
      currentcurve_(plot::currentcurve) {
  for (std::int32_t k = 1; k <= plot::naxes; ++k)
    if (held(own_->axesheld, k)) putaxis(k, own_->axes[static_cast<std::size_t>(k)]);
  for (std::int32_t c = 0; c < plot::ncurves; ++c)
    if (held(own_->curvesheld, c)) plot::curvestate(c) = own_->curves[static_cast<std::size_t>(c)];
  plot::tickwalk = own_->walk;
  exec::wdwcur = &r;
  plot::plotdev = &plot::drawtargets[plot::target::defaultplot];
  if (r.bitmap == nullptr || plot::drawing(*plot::plotdev)) return;
  const plot::FontSlot g = plot::fontslots(5);
  plot::SETFONT(5, g.face.view(), g.points, 0.0F, g.underline, g.weight, g.italic);
  const double gw = std::max<int>(plot::fontslots(5).cellwidth, 1);
  const double gh = std::max<int>(plot::fontslots(5).cellheight, 1);
  plot::axisstate.columns = static_cast<std::int32_t>(r.clientwidth / gw);
  plot::axisstate.rows = static_cast<std::int32_t>(r.clientheight / gh);
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&r.bitmap, nullptr, nullptr, *plot::plotdev, &ups);
  plot::PLOTS(0);
  // The origin of whichever axis comes first is set anew.
  plot::axiswork.originaxis = 0;
  open_ = true;
}

PanelPlot::~PanelPlot() {
  if (open_ && plot::drawing(*plot::plotdev)) {
    int ups = 0;
    toolkit::END_BITMAP_DRAW(*plot::plotdev, &ups);
  }
  for (std::int32_t k = 1; k <= plot::naxes; ++k)
    if (held(own_->axesheld, k)) own_->axes[static_cast<std::size_t>(k)] = engineaxis(k);
  for (std::int32_t c = 0; c < plot::ncurves; ++c)
    if (held(own_->curvesheld, c)) own_->curves[static_cast<std::size_t>(c)] = plot::curvestate(c);
  own_->walk = plot::tickwalk;
  if (keepengine) {
    plot::plotdev = device_;
    exec::wdwcur = entry_;
    return;
  }
  plot::axisstate = std::move(axes_);
  plot::axiswork = std::move(work_);
  plot::tickwalk = walk_;
  plot::scrollshift = shift_;
  plot::plotcom = com_;
  plot::axisboxes = boxes_;
  plot::curvestate = std::move(curves_);
  plot::currentcurve = currentcurve_;
  plot::plotdev = device_;
  exec::wdwcur = entry_;
}

void drawpanelaxes(exec::wdwrec& r, const PanelAxes& axes, std::int32_t lines) {
  bool any = false;
  for (std::int32_t k = 1; k <= plot::naxes; ++k)
    any = any || axes[static_cast<std::size_t>(k)].framed;
  if (!any) return;
  const PanelPlot plot(r);
  if (!plot.open()) return;
  // Cells of the window's font in cells of the graphics font. The plot
  // stands on whole rows of the graphics font from the window's top, so a
  // frame is placed from the top too and kept within its text lines.
  const double cw = childstmt::cellwidth(r.fontslot), ch = childstmt::cellheight(r.fontslot);
  const double gw = std::max<int>(plot::fontslots(5).cellwidth, 1);
  const double gh = std::max<int>(plot::fontslots(5).cellheight, 1);
  const auto cells = [](std::int32_t n, double unit, double to) {
    return static_cast<std::int32_t>(std::lround(std::clamp(n * unit / to, -1e6, 1e6)));
  };
  const std::int32_t rows = plot::axisstate.rows;
  const auto vertical = [&](const plot::Frame& f, plot::Frame& g) {
    const double top = std::clamp<double>(lines - f.bottom - f.height, 0, lines) * ch;
    const double bottom = std::clamp<double>(lines - f.bottom, 0, lines) * ch;
    g.bottom = std::max(0, static_cast<std::int32_t>(std::ceil((rows * gh - bottom) / gh)));
    g.height = std::max(0, rows - g.bottom - static_cast<std::int32_t>(std::ceil(top / gh)));
  };
  for (std::int32_t k = 1; k <= plot::naxes; ++k) {
    const PanelAxis& a = axes[static_cast<std::size_t>(k)];
    if (!a.framed) continue;
    plot::Frame& f = plot::axisstate.frame(k);
    f.width = cells(a.frame.width, cw, gw);
    f.left = cells(a.frame.left, cw, gw);
    vertical(a.frame, f);
    plot::Scale& x = plot::axisstate.scale(plot::xentry(k));
    plot::Scale& y = plot::axisstate.scale(plot::yentry(k));
    const bool xempty = a.xmin == a.xmax, yempty = a.ymin == a.ymax;
    x.minimum = xempty ? -emptyrange : a.xmin;
    x.maximum = xempty ? emptyrange : a.xmax;
    y.minimum = yempty ? -emptyrange : a.ymin;
    y.maximum = yempty ? emptyrange : a.ymax;
    plot::axisstate.style(plot::xentry(k)) = a.xstyle;
    plot::axisstate.style(plot::yentry(k)) = a.ystyle;
    plot::axisstate.labelevery(plot::xentry(k)) = a.xgrid;
    plot::axisstate.labelevery(plot::yentry(k)) = a.ygrid;
    plot::axisstate.xtitle = {};
    plot::axisstate.ytitle = {};
    plot::axiswork.titletexts = {a.xtitle, a.ytitle};
    plot::axisstate.window(k) = r.window;
    std::int32_t axis = k;
    plot::XYAXIS(axis);
    panelengine(r).axesheld |= 1U << k;
  }
  plot::axiswork.titletexts = {};
}

}  // namespace ui
