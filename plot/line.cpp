// The LINE statement: options in written order, curves started anew on an
// axis drawn again, the points paired and drawn, fills, function plots.
#include "plot/line.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/optvalues.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "plot/axis.h"
#include "plot/axisstatement.h"
#include "plot/backbrush.h"
#include "plot/curves.h"
#include "plot/devbracket.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/printjob.h"
#include "plot/printstate.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"

namespace plot {

namespace {

using exec::optkw;
using exec::optval;

// Keyword numbers of the option list.
enum Kw {
  kwAxis = 1,
  kwColor,
  kwDaSH,
  kwPoints,
  kwIntpol,
  kwNoLine,
  kwNoZero,
  kwOneWay,
  kwPenUp,
  kwSymbol,
  kwText,
  kwDraw,
  kwX,
  kwY,
  kwSTeps,
  kwLine,
  kwlineWidth,
  kwSymbolDiameter,
  kwPRint,
  kwBaCkcolor
};
static_assert(linemarker == static_cast<std::int16_t>(0x9800 + kwY));

constexpr std::int32_t maxdash = 6;
// The most points of a function plot: more than any window or printed page
// has pixels across (beyond, the statement would run on for hours).
constexpr std::int32_t maxfunctionpoints = 1 << 16;
// What the statement wrote of the curve's settings: curves started anew
// keep these and take their start values for the rest.
namespace written {
inline constexpr std::int32_t colour = 1, oneway = 2, symbol = 4, width = 8, diameter = 16;
}  // namespace written

// Values of a slot.
double real(std::int32_t v) { return v > 0 && core::z.valid(v) ? core::z(v) : 0.0; }
std::int32_t rounded(std::int32_t v) {
  const double r = real(v);
  if (std::isnan(r)) return 0;
  return static_cast<std::int32_t>(std::lround(std::clamp(r, -2.0e9, 2.0e9)));
}
bool on(std::int32_t v) { return v < 0 || (v > 0 && real(v) != 0.0); }

// Values of X or Y: an array's elements or a single cell.
struct Values {
  std::int32_t cell = 0, count = 1;
  bool given = false;
};
Values valuesof(std::int32_t v) {
  Values r;
  if (v <= 0) return r;
  r.given = true;
  r.cell = v;
  if (core::NAMTYP(v, 0x110) == 0x10 && core::z.valid(v)) {
    std::int32_t rows = 0, cols = 0;
    core::TRANSFERR8TO2I4(core::z(v), rows, cols);
    const long long n = static_cast<long long>(std::max(rows, 0)) * std::max(cols, 0);
    const std::int32_t first = core::name(v).adr;
    if (n < 1 || n > 0x7FFFFFFF || !core::z.valid(first) ||
        !core::z.valid(first + static_cast<std::int32_t>(n) - 1)) {
      r.count = 0;
    } else {
      r.cell = first;
      r.count = static_cast<std::int32_t>(n);
    }
  }
  return r;
}

float value4(std::int32_t cell) {
  float f = 0.0F;
  std::int32_t status = 0;
  core::R8TOR4N(core::z.valid(cell) ? core::z(cell) : 0.0, f, status);
  return f;
}

// The state of one LINE.
struct Line {
  std::int32_t axis = 1, curve = 0;
  std::int32_t counter = 0;
  bool counterset = false;
  std::int32_t penupflag = 0;
  std::int32_t points = 0, draw = 0, text = 0;
  double fill = -1.0;
  Values x, y;
  std::int32_t naxis = 0, nx = 0, ny = 0;
  std::int32_t written = 0;
  std::int32_t stylewritten = 0;
  std::int32_t dash = 0, width = 2;
  bool anew = false;  // curves started anew by this statement
  bool function = false;
  bool failed = false;
  exec::wdwrec* target = nullptr;
};

// The record of a window handle, current; the current one stays when the
// handle names none.
void maketarget(win::HWND h) {
  if (h == nullptr || (exec::wdwcur != nullptr && exec::wdwcur->window == h)) return;
  exec::wdwrec* keep = exec::wdwcur;
  exec::FINDWINDOW(h);
  if (exec::wdwcur == nullptr) exec::wdwcur = keep;
}

void PREPARENEXTCURVE(Line& s) {
  const Curve prev = curvestate(s.curve);
  std::int32_t colour = prev.style & curvebit::colour;
  if (!s.counterset) {
    s.counter = colour;
    s.counterset = true;
  }
  if (s.counter >= 0) {
    // The next colour, never the axis's background.
    const std::int32_t back = axisstate.style(yentry(s.axis)) & axisbit::colour;
    s.counter = (s.counter + 1) & curvebit::colour;
    if (s.counter == back) s.counter = (s.counter + 1) & curvebit::colour;
    colour = s.counter;
  }
  s.curve = std::min(s.curve + 1, ncurves - 1);
  Curve& c = curvestate(s.curve);
  c.style = (prev.style & ~curvebit::colour) | colour | s.penupflag;
  c.diameter = prev.diameter;
  c.oneway = prev.oneway;
  // Symbols written as characters (below 1) count on through the
  // characters: -65 'A', then -66 'B'.
  c.symbol = prev.symbol < 0 ? prev.symbol - 1 : prev.symbol + 1;
}

// Curves from the current one on, one per Y value, start anew on an axis
// drawn again.
void startanew(Line& s) {
  const std::uint32_t bit = 1U << s.axis;
  if ((axisstate.drawn & bit) != 0)
    for (std::int32_t c = 0; c < ncurves; ++c) curvestate(c).newonaxis |= bit;
  if ((curvestate(s.curve).newonaxis & bit) == 0) return;
  static const plat::Store0<Curve> start = initialcurvestate();
  const std::int32_t last = std::min(s.curve + std::max(s.y.count, 1) - 1, ncurves - 1);
  for (std::int32_t i = s.curve; i <= last; ++i) {
    Curve& c = curvestate(i);
    c.newonaxis &= ~bit;
    if ((s.written & written::diameter) == 0) c.diameter = 0.0F;
    if ((s.written & written::symbol) == 0)
      c.symbol = start(i).symbol;
    else if ((s.written & written::diameter) == 0)
      c.diameter = 3.0F;
    if ((s.written & written::colour) == 0)
      c.style = (start(i).style & curvebit::colour) | (c.style & s.stylewritten);
    if ((s.written & written::oneway) == 0) c.oneway = 0;
    if ((s.written & written::width) == 0) c.linewidth = 2;
    c.style |= curvebit::penup;
  }
  s.penupflag = curvebit::penup;
  s.anew = true;
}

// The page as the plot device, with the page's scale: a window drawn on
// since the axis was drawn on the page left its own.
void pagescale() {
  toolkit::draw_target_t& page = drawtargets[target::printer];
  plotdev = &page;
  toolkit::GET_TARGET_RESOLUTION(page);
  const float factor = static_cast<float>(page.pixels_per_inch_x) / 2.54F;
  if (factor > 0.0F && plotcom.xfactor == factor && plotcom.ta == factor) return;
  AXISPAGE();
  PLOTS(0);
  axiswork.originaxis = 0;
}

// Opens the drawing pass on the target window's bitmap.
bool opendrawing(Line& s) {
  exec::wdwrec* w = exec::wdwcur;
  if (w != nullptr && (w->printstate & printbit::printer) != 0) {
    // The plot goes to the printer: onto the page of the window's job,
    // opened here when no statement opened it.
    toolkit::draw_target_t& page = drawtargets[target::printer];
    if (!printing(page) || !drawing(page)) {
      SETPRINTSTATE(printvalue::printnow);
      exec::wdwcur = w;
      if (!core::msgkey.trimmed().empty() || !printing(page) || !drawing(page)) {
        s.failed = true;  // no page: nothing reaches paper, as with text
        return false;
      }
    }
    pagescale();
    s.target = w;
    return true;
  }
  plotdev = &drawtargets[target::defaultplot];
  s.target = w;
  if (w == nullptr || w->bitmap == nullptr || drawing(*plotdev)) return true;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&w->bitmap, nullptr, nullptr, *plotdev, &ups);
  reselectpen();
  return true;
}

void closedrawing(exec::wdwrec* w) {
  if (!drawing(*plotdev) || printing(*plotdev)) return;
  int ups = 0;
  toolkit::END_BITMAP_DRAW(*plotdev, &ups);
  refresh(w);
}

// The strokes recorded (runs of pixels between breaks), each drawn as one
// polyline with the pen selected.
void drawstrokes(const std::vector<win::POINT>& b) {
  std::vector<int> pixels;
  pixels.reserve(2 * b.size());
  const auto flush = [&] {
    if (pixels.size() >= 4) {
      int ups = 0;
      toolkit::DRAW_POLYLINE(*plotdev, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                             pixels.data(), static_cast<int>(pixels.size() / 2), &ups);
    }
    pixels.clear();
  };
  for (const win::POINT& p : b) {
    if (p.x == strokebreak.x && p.y == strokebreak.y) {
      flush();
      continue;
    }
    pixels.push_back(p.x);
    pixels.push_back(p.y);
  }
  flush();
}

void PLOTLINENOW(Line& s) {
  // (A function plot has one Y: the statement is evaluated again for it.)
  s.function = s.ny == 1 && s.y.given && s.points > 0 && s.x.given && s.y.cell > 0 && s.x.cell > 0;
  toolkit::draw_target_t* const keep = plotdev;
  axisstate.current = s.axis;
  if (!opendrawing(s)) return;

  // Pairing: how many points, and whether each Y value of one x goes to a
  // curve of its own.
  const std::int32_t ny = s.y.given ? s.y.count : 1;
  std::int32_t n = 1;
  bool spread = false;
  Curve& first = curvestate(s.curve);
  if (!s.x.given) {
    n = ny;
    if (ny > 1) first.style |= curvebit::penup;
  } else if (s.x.count == 1) {
    spread = true;
    if (ny > 1 && !s.anew) first.style &= ~curvebit::penup;
  } else {
    n = std::min(s.x.count, ny);
    if (n > 1) first.style |= curvebit::penup;
  }
  if (s.function) n = 1;

  std::vector<win::POINT> filled;
  const bool fill = s.fill >= 0.0;
  if (fill) {
    plotcom.recording = 1;
    plotcom.recordto = &filled;
    plotcom.recordat = 0;
    if (first.symbol == 0) first.symbol = 1;
    if (!(first.diameter > 0.0F)) first.diameter = 1e-6F;
  }
  std::int32_t error = 0;
  PLTFNC(penfn::stylewidth, std::clamp(s.width, 1, 100000) * 10 + s.dash, error);
  // One curve of many points on an axis that does not slide: its strokes
  // are collected and drawn as polylines, a line each rather than a line
  // a segment.
  std::vector<win::POINT> strokes;
  const std::int32_t sliding =
      (axisstate.style(xentry(s.axis)) | axisstate.style(yentry(s.axis))) & axisbit::scroll;
  const bool batch = !fill && !s.function && !spread && n > 1 && sliding == 0 && s.draw == 0 &&
                     s.text <= 0 && drawing(*plotdev) && !printing(*plotdev);
  if (batch) {
    plotcom.recording = recordstrokes;
    plotcom.recordto = &strokes;
    plotcom.recordat = 0;
    strokes.reserve(static_cast<std::size_t>(n) + 2);
  }

  std::int32_t ycell = s.y.cell;
  const std::int32_t yvalues = spread ? ny : 1;
  for (std::int32_t i = 1; i <= n && !s.failed; ++i) {
    const float x = s.x.given ? value4(s.x.cell + (spread ? 0 : i - 1)) : static_cast<float>(i);
    for (std::int32_t j = 1; j <= yvalues; ++j) {
      if (j > 1) PREPARENEXTCURVE(s);
      const float y = s.y.given ? value4(ycell) : 0.0F;
      if (s.y.given) ++ycell;
      if (s.draw == 0 && s.text <= 0)
        XYLINE(s.axis, s.curve, x, y);
      else
        XYDRAW(x, y, s.draw, s.text, curvestate(s.curve).style, s.axis);
    }
  }

  if (batch) {
    plotcom.recording = 0;
    plotcom.recordto = nullptr;
    plotcom.recordat = 0;
    drawstrokes(strokes);
  }
  if (fill) {
    plotcom.recording = 0;
    plotcom.recordto = nullptr;
    const auto count = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(plotcom.recordat, 0)), filled.size());
    if (count > 0 && drawing(*plotdev)) {
      BACKBRUSH(s.fill);
      std::vector<int> pixels;
      pixels.reserve(2 * count);
      for (std::size_t i = 0; i < count; ++i) {
        pixels.push_back(filled[i].x);
        pixels.push_back(filled[i].y);
        growupdrect(filled[i].x - 1, filled[i].y - 1, filled[i].x + 1, filled[i].y + 1);
      }
      int ups = 0;
      toolkit::DRAW_POLYGON(*plotdev, nullptr, 0, nullptr, nullptr, nullptr, nullptr, pixels.data(),
                            static_cast<int>(count), &ups);
    }
    plotcom.recordat = 0;
  }
  if (!s.function) {
    closedrawing(s.target);
    plotdev = keep;
  }
  core::edmode = core::edmodeshowline;
}

// The function plot's next x, or its end.
void nextx() {
  LinePoints& p = linepoints;
  const Scale& sx = axisstate.scale(xentry(p.axis));
  const double f = 1.0 - static_cast<double>(p.remaining) / p.steps;
  core::SETZTOR8(p.xcell, sx.minimum + f * (static_cast<double>(sx.maximum) - sx.minimum));
}

}  // namespace

bool linelive() { return exec::resumecode == linecode; }

void CALLBACKLINE() {
  if (!linelive()) return;
  LinePoints& p = linepoints;
  exec::wdwrec* const entry = exec::wdwcur;
  maketarget(p.window);
  exec::wdwrec* const w = exec::wdwcur;
  toolkit::draw_target_t* const keep = plotdev;
  // A window that prints gets the rest of its function plot on the page.
  toolkit::draw_target_t& page = drawtargets[target::printer];
  if (w != nullptr && (w->printstate & printbit::printer) != 0 && printing(page) && drawing(page))
    pagescale();
  const bool opened = w != nullptr && w->bitmap != nullptr && !drawing(*plotdev);
  if (opened) {
    int ups = 0;
    toolkit::START_BITMAP_DRAW(&w->bitmap, nullptr, nullptr, *plotdev, &ups);
    reselectpen();
  }
  XYLINE(p.axis, p.curve, value4(p.xcell), value4(p.ycell));
  if (opened) {
    int ups = 0;
    toolkit::END_BITMAP_DRAW(*plotdev, &ups);
  }
  plotdev = keep;
  if (--p.remaining < 0) {
    exec::resumecode = 0;
    if (w == nullptr || (w->printstate & printbit::printer) == 0) refresh(w);
  } else {
    nextx();
  }
  exec::wdwcur = entry;
}

void LINE(const exec::OptCall&) {
  Line s;
  exec::wdwrec* const entry = exec::wdwcur;
  const bool entrypass = drawing(*plotdev);
  const win::RECT saved = exec::updrect;
  exec::updrect = win::RECT{exec::sysmetrics(exec::metric::screenwidth),
                            exec::sysmetrics(exec::metric::screenheight), 0, 0};
  maketarget(axisstate.window(1));

  for (std::int32_t slot = exec::noptions; slot >= 1; --slot) {
    switch (optkw(slot)) {
      case kwAxis:
        ++s.naxis;
        break;
      case kwX:
        ++s.nx;
        break;
      case kwY:
        ++s.ny;
        break;
      case kwPRint: {
        const std::int32_t v = rounded(optval(slot));
        SETPRINTSTATE(v == 0 ? 2 : v);
        if (!core::msgkey.trimmed().empty()) s.failed = true;
        break;
      }
      default:
        break;
    }
  }

  for (std::int32_t slot = exec::noptions; slot >= 1 && !s.failed; --slot) {
    const std::int32_t v = optval(slot);
    Curve& c = curvestate(s.curve);
    const auto stylebit = [&](std::int32_t bit) {
      s.stylewritten |= bit;
      if (on(v))
        c.style |= bit;
      else
        c.style &= ~bit;
    };
    switch (optkw(slot)) {
      case kwAxis:
        s.axis = v > 0 ? std::clamp(rounded(v), 1, naxes) : 1;
        maketarget(axisstate.window(s.axis));
        break;
      case kwColor: {
        const std::int32_t r = rounded(v);
        c.style = (c.style & ~curvebit::colour) | (std::abs(r) & curvebit::colour);
        s.counter = r >= 0 ? r & curvebit::colour : -1;
        s.counterset = true;
        s.written |= written::colour;
        break;
      }
      case kwDaSH:
        s.dash = std::clamp(rounded(v), 0, maxdash);
        break;
      case kwPoints:
        s.points = std::max(exec::KEYVALUE(v), 0);
        if (s.points > maxfunctionpoints) {
          core::msgkey = core::MSGKEY("LinePoints");
          s.failed = true;
        }
        break;
      case kwNoLine:
        stylebit(curvebit::noline);
        break;
      case kwNoZero:
        stylebit(curvebit::nozero);
        break;
      case kwSTeps:
        stylebit(curvebit::steps);
        break;
      case kwPenUp:
        stylebit(curvebit::penup);
        s.penupflag = on(v) ? curvebit::penup : 0;
        break;
      case kwOneWay: {
        const std::int32_t r = rounded(v);
        c.oneway = static_cast<std::int8_t>(r > 0 ? 1 : r < 0 ? -1 : 0);
        s.written |= written::oneway;
        break;
      }
      case kwSymbol: {
        std::int32_t first = 0, last = 0;
        if (v > 0 && core::ISCHAR(v, first, last) != 0)
          c.symbol = last >= first && core::c1namen.valid(first)
                         ? static_cast<unsigned char>(*core::c1namen.ptr(first))
                         : 32;
        else
          c.symbol = rounded(v);
        if (c.symbol > 0 && !(c.diameter > 0.0F)) c.diameter = 3.0F;
        s.written |= written::symbol;
        break;
      }
      case kwText:
        s.text = v > 0 ? v : 0;
        break;
      case kwDraw:
        s.draw = std::max(rounded(v), 0);
        break;
      case kwX:
        s.x = valuesof(v);
        break;
      case kwLine:
        s.curve = std::clamp(rounded(v), 0, ncurves - 1);
        break;
      case kwlineWidth:
        s.width = std::max(rounded(v), 1);
        c.linewidth = s.width;
        s.written |= written::width;
        break;
      case kwSymbolDiameter: {
        float d = 0.0F;
        std::int32_t status = 0;
        core::R8TOR4N(real(v), d, status);
        c.diameter = d;
        if (!(d > 0.0F)) c.style &= ~curvebit::noline;
        s.written |= written::diameter;
        break;
      }
      case kwBaCkcolor:
        s.fill = v > 0 ? real(v) : -1.0;
        if (std::isnan(s.fill)) s.fill = -1.0;
        break;
      case kwY: {
        s.y = valuesof(v);
        if ((axisstate.live & (1U << s.axis)) == 0) {
          core::msgkey = core::MSGKEY("AxisUnknown");
          core::iostatw[1] = static_cast<std::int16_t>(s.axis);
          s.failed = true;
          break;
        }
        if (s.draw == 0) startanew(s);
        if (s.ny > 1) PLOTLINENOW(s);
        if (slot != 1 && (s.nx != s.ny || s.naxis > 1)) PREPARENEXTCURVE(s);
        break;
      }
      default:
        break;  // ERror is the dispatch's; Intpol does nothing; PRint came first
    }
  }

  if (!s.failed && (s.ny == 1 || (s.ny == 0 && (s.draw != 0 || s.text > 0)))) {
    PLOTLINENOW(s);
    if (s.function && !s.failed) {
      LinePoints& p = linepoints;
      p.steps = std::max(s.points - 1, 1);
      p.remaining = p.steps;
      p.xcell = s.x.cell;
      p.ycell = s.y.cell;
      p.axis = s.axis;
      p.curve = s.curve;
      p.window = s.target != nullptr ? s.target->window : nullptr;
      exec::resumecode = linecode;
      exec::resumemarker = linemarker;
      core::SETZTOR8(p.xcell, axisstate.scale(xentry(s.axis)).minimum);
      curvestate(s.curve).style |= curvebit::penup;
      closedrawing(s.target);
      plotdev = &drawtargets[target::defaultplot];
    }
  }
  // No pass of this statement stays open, however it ended.
  if (!entrypass && drawing(*plotdev) && !printing(*plotdev)) closedrawing(s.target);
  exec::updrect = saved;
  core::FPUERROR(-1);
  exec::wdwcur = entry;
}

void reset_line() { linepoints = LinePoints{}; }

}  // namespace plot
