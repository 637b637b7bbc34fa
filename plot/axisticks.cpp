// PLOTTICS_INTERNAL: one direction's axis line walked tick by tick, with
// long ticks, labels (numbers, date-times, pictures) and grid lines.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/datetime.h"
#include "core/numwrite.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowwords.h"
#include "platform/gdi_segments.h"
#include "plot/axis.h"
#include "plot/devbracket.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/upcalls.h"
#include "toolkit/draw.h"

namespace plot {

namespace {

constexpr double endtolerance = 1.1920929e-5;
constexpr double farbefore = -3.4028233e30;
// No walk draws more ticks than this; the line then runs on to the end.
constexpr int mostticks = 20000;
constexpr int mostpicture = 20;
constexpr int mosttimelabel = 20;
// Day 0 as a picture writes it: a tenth of a millisecond on.
constexpr double dayzero = 1e-9;

std::string trimmed(std::string_view s) {
  const auto b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(' ');
  return std::string(s.substr(b, e - b + 1));
}

// The text of the value cell v (empty when it holds none).
std::string textofcell(std::int32_t v, std::int32_t most) {
  std::int32_t f = 0, l = 0;
  if (v < 1 || (core::ISCHAR(v, f, l) & 0x40) == 0) return {};
  if (l < f || !core::c1namen.valid(f) || !core::c1namen.valid(l)) return {};
  return std::string(core::c1namen.ptr(f), static_cast<std::size_t>(std::min(l - f + 1, most)));
}

struct Walk {
  std::int32_t d = 0, e = 1;
  std::int32_t style = 0;
  bool log = false, time = false, nolabels = false, grid = false;
  double mn = 0.0, mx = 0.0, upp = 1.0, steplength = 0.0, divisor = 1.0;
  double otherlength = 0.0;  // the other direction's axis length
  // Lengths in plot units of the direction they are measured in, which on
  // a screen that is not 24.5 by 18.45 pixels in shape differ in x and y:
  // a character width along the axis, the tick length across it and
  // along it (a label stands clear of its tick by it), the text height
  // across it, and the frame's edges along it from the axis' start.
  double along = 0.0;
  double tickacross = 0.0, tickalong = 0.0;
  double textacross = 0.0;
  double low = 0.0, high = 0.0;
  double pixel = 0.0;       // one pixel along the axis
  std::int32_t every = 10;  // long tick every this many ticks (linear, time)
  // A label at every this many long ticks (linear, time): as many as the
  // widest label needs its room, so that labels stand evenly.
  double stride = 1.0;
  std::string picture;
  std::int32_t width = 0;  // characters of a number label
  double lastlabel = farbefore;
  // A walk over a strip of device pixels (inclusive) draws only the parts
  // of its grid lines inside it: no line, ticks or labels.
  const win::RECT* strip = nullptr;
};

// The point of a position along the axis.
void pointat(const Walk& w, double p, float& x, float& y) {
  x = axiswork.leftmargin + static_cast<float>(w.d == 0 ? p : 0.0);
  y = axiswork.bottommargin + static_cast<float>(w.d == 0 ? 0.0 : p);
}

void penat(const Walk& w, double p, std::int32_t pen) {
  if (w.strip != nullptr) return;
  float x = 0, y = 0;
  pointat(w, p, x, y);
  PLOT(x, y, pen);
}

std::string labelof(const Walk& w, double v) {
  if (!w.time) {
    if (w.width <= 0) return {};
    std::string field(static_cast<std::size_t>(std::min(w.width, 23)), ' ');
    core::WTSID8(std::span<char>(field.data(), field.size()), v / w.divisor, 0);
    return trimmed(field);
  }
  std::array<char, mosttimelabel> text{};
  text.fill(' ');
  if (!w.picture.empty()) {
    if (upcalls.TIMEDATEU == nullptr) return {};
    // (A day value of 0 is the clock's time to the picture: day 0 of the
    // axis is a moment after it.)
    double value = v == 0.0 ? dayzero : v;
    upcalls.TIMEDATEU(w.picture, value, text, false);
    return trimmed(std::string_view(text.data(), text.size()));
  }
  std::array<char, 8> label{};
  core::DATETIMELABEL(static_cast<float>(v), label);
  if (w.mx > 0.0) return std::string{label[4], label[5], ':', label[6], label[7]};
  return trimmed(std::string_view(label.data(), 4));
}

// The length of a label along the axis as the graphics font writes it
// (its characters' widths when nothing draws).
double textlength(const Walk& w, const std::string& label) {
  int extent[2] = {};
  const win::HFONT font = fontslots(5).font;
  if (drawing(*plotdev) && font != nullptr) {
    int ups = 0;
    toolkit::GET_TEXT_EXTENT(*plotdev, label.data(), static_cast<int>(label.size()), &font, nullptr,
                             extent, &ups);
    if (ups == 0 && extent[0] > 0) return extent[0] * w.pixel;
  }
  return static_cast<double>(label.size()) * w.along;
}

// Where a label of that length stands along the axis when it starts at its
// tick's side (or ends at its tick): its first and its last position, from
// the axis' start.
void labelextent(const Walk& w, double p, double text, bool ending, double& first, double& last) {
  const double clear = w.d == 0 ? w.tickalong / 1.5 : 1.5 * w.tickalong;
  if (ending) {
    last = p - (w.d == 0 ? 0.0 : clear);
    first = last - text - (w.d == 0 ? 2.0 * w.pixel : 0.0);
  } else {
    first = p + clear;
    last = first + text;
  }
}

// The label lies inside the frame.
bool inframe(const Walk& w, double p, const std::string& label, bool ending) {
  double first = 0, last = 0;
  labelextent(w, p, textlength(w, label), ending, first, last);
  return first >= w.low && last <= w.high;
}

// Writes the label of a tick at position p: clear of its tick, which is
// tripled under a label. A y label stands left of the axis, beyond the
// tick's end along it (or before it when the label ends there); an x label
// starts past it (or ends at it).
void writelabel(Walk& w, double p, double v, const std::string& label, bool ending) {
  float x = 0, y = 0;
  pointat(w, p, x, y);
  if (w.d == 1) {
    x -= static_cast<float>(w.tickacross / 1.5 + w.textacross);
    y += static_cast<float>((ending ? -1.5 : 1.5) * w.tickalong);
  } else if (!ending) {
    x += static_cast<float>(w.tickalong / 1.5);
  }
  float angle = 90.0F * static_cast<float>(w.d);
  if (ending) angle += 720.0F;
  const auto n = static_cast<std::int32_t>(
      w.time ? std::min<std::size_t>(label.size(), mosttimelabel) : label.size());
  UQTEXT(x, y, axisstate.cellheight, label, angle, n);
  if (w.e >= 1 && w.e < static_cast<std::int32_t>(axiswork.labels.size()))
    axiswork.labels[static_cast<std::size_t>(w.e)].shown.push_back({v, ending, lastwritten});
  w.lastlabel = p;
}

// The grid lines of a strip waiting to be drawn: the ends of each, from
// (drawn) and to (not drawn), drawn together when the walk is over.
std::vector<win::POINT> stripends;

void drawstripends() {
  if (stripends.empty()) return;
  const std::size_t n = stripends.size() / 2;
  const win::POINT last = stripends.back();
  if (plotdev->autopaint_mode == 0) {
    plat::draw_segments(plotdev->dc, stripends.data(), n);
    // Where the pen is left, as the lines one by one leave it.
    win::MoveToEx(plotdev->dc, last.x, last.y, nullptr);
    plotdev->current = last;
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      int ups = 0;
      toolkit::DRAW_LINE(*plotdev, nullptr, nullptr, nullptr, nullptr, &stripends[2 * i + 1].x,
                         &stripends[2 * i + 1].y, &stripends[2 * i].x, &stripends[2 * i].y, nullptr,
                         nullptr, &ups);
    }
  }
  stripends.clear();
}

// The pixels from a (drawn) to b (not drawn) of a line along a row or a
// column that lie in the strip, kept to be drawn; a slanted line is drawn
// whole at once.
void stripline(win::POINT a, win::POINT b, const win::RECT& strip) {
  int ups = 0;
  if (a.x != b.x && a.y != b.y) {
    drawstripends();
    toolkit::DRAW_LINE(*plotdev, nullptr, nullptr, nullptr, nullptr, &b.x, &b.y, &a.x, &a.y,
                       nullptr, nullptr, &ups);
    growupdrect(std::min(a.x, b.x) - 1, std::min(a.y, b.y) - 1, std::max(a.x, b.x) + 1,
                std::max(a.y, b.y) + 1);
    return;
  }
  const bool row = a.y == b.y;
  // The pixels along the line, first to last, and where the line lies across.
  std::int32_t first = row ? a.x : a.y, last = row ? b.x : b.y;
  last += last > first ? -1 : 1;
  if (first > last) std::swap(first, last);
  const std::int32_t at = row ? a.y : a.x;
  first = std::max(first, row ? strip.left : strip.top);
  last = std::min(last, row ? strip.right : strip.bottom);
  if (first > last || at < (row ? strip.top : strip.left) ||
      at > (row ? strip.bottom : strip.right))
    return;
  const win::POINT from = row ? win::POINT{first, at} : win::POINT{at, first};
  win::POINT to = row ? win::POINT{last + 1, at} : win::POINT{at, last + 1};
  stripends.push_back(from);
  stripends.push_back(to);
  growupdrect(from.x - 1, from.y - 1, to.x + 1, to.y + 1);
}

// The part inside the walk's strip of the grid line at position p: its
// ends in device pixels as PLOT puts them (recorded, not drawn), the
// pixels between them in the strip drawn.
void stripgrid(const Walk& w, double p) {
  float x = 0, y = 0;
  pointat(w, p, x, y);
  const auto across = static_cast<float>(w.otherlength);
  static std::vector<win::POINT> ends;  // kept for the next line
  ends.clear();
  const std::int32_t recording = plotcom.recording, recordat = plotcom.recordat;
  std::vector<win::POINT>* recordto = plotcom.recordto;
  const win::RECT repaint = exec::updrect;  // the recording draws nothing
  plotcom.recording = recordstrokes;
  plotcom.recordto = &ends;
  plotcom.recordat = 0;
  UPWINDOW(-nowindow, nowindow, -nowindow, nowindow);
  PLOT(w.d == 0 ? x : x + across, w.d == 0 ? y + across : y, 3);
  PLOT(x, y, 2);
  plotcom.recording = recording;
  plotcom.recordto = recordto;
  plotcom.recordat = recordat;
  exec::updrect = repaint;
  if (ends.size() == 3) stripline(ends[1], ends[2], *w.strip);
}

// The tick at position p of value v; long ticks get their label and grid
// line. The pen ends on the axis at p.
void tick(Walk& w, double p, double v, bool islong, bool labelled, std::int32_t labels,
          std::int32_t option) {
  if (w.strip != nullptr) {
    if (islong && w.grid) stripgrid(w, p);
    return;
  }
  double t = w.nolabels ? 0.0 : w.tickacross * (islong ? axisstate.longtick : 1.0F);
  if (islong && labelled && labels > 0 && !w.nolabels) {
    const std::string label = labelof(w, v);
    // A label that ends at its tick (the one at the maximum) needs its own
    // length of room besides, else it would run into the one before.
    const bool atend =
        std::fabs(v - w.mx) <= endtolerance * std::max(std::fabs(w.mx - w.mn), 1e-30);
    const bool ending = ((option & 1) == 0 && atend) || ((option & 1) != 0 && v > w.mn);
    const double size = static_cast<double>(label.size());
    const double room = (p - w.lastlabel) / std::max(w.along, 1e-30);
    if (!label.empty() && room >= size + 4.0 + (ending ? size : 0.0) &&
        inframe(w, p, label, ending)) {
      writelabel(w, p, v, label, ending);
      t *= 3.0;
    }
  }
  UPWINDOW(-nowindow, nowindow, -nowindow, nowindow);
  const double across = w.grid && islong ? w.otherlength : 0.0;
  float x = 0, y = 0;
  pointat(w, p, x, y);
  if (w.d == 0) {
    PLOT(x, y + static_cast<float>(across), 3);
    PLOT(x, y - static_cast<float>(t), 2);
  } else {
    PLOT(x + static_cast<float>(across), y, 3);
    PLOT(x - static_cast<float>(t), y, 2);
  }
  PLOT(x, y, 3);
}

// User units between ticks: a tenth of the label step (a day on a time
// axis).
double tickstepof(const Walk& w) { return w.time ? 1.0 : w.steplength * w.upp / 10.0; }

// A walk that goes on from the end a strip chart moved (value v): the
// counter of the last tick drawn before it, so that the first step reaches
// the first new tick. Going up, the ticks up to the old end were drawn
// (the walk stopped past it); going down, those more than a pixel above
// the old start: a tick on the start's own pixel stayed there with the
// other direction's axis line while the picture moved, and is drawn again.
double lastdrawn(const Walk& w, double v, const TickWalk& tw) {
  const double step = tw.step;
  if (tw.increment > 0) {
    double c = std::floor(v / step);
    while ((c + 1.0) * step <= v + epsilonof((c + 1.0) * step)) c += 1.0;
    while (c * step > v + epsilonof(c * step)) c -= 1.0;
    return c;
  }
  const double top = v + w.pixel * w.upp;
  double c = std::floor(top / step) + 1.0;
  while ((c - 1.0) * step > top) c -= 1.0;
  while (c * step <= top) c += 1.0;
  return c;
}

void walklinear(Walk& w, std::int32_t labels, std::int32_t option) {
  TickWalk& tw = tickwalk;
  tw.range = w.mx - w.mn;
  if (tw.phase == tickphase::first || !(tw.step > 0.0)) {
    tw.step = tickstepof(w);
    if (!(tw.step > 0.0) || !std::isfinite(tw.step)) tw.step = std::max(tw.range, 1.0);
  }
  if (tw.increment == 0) tw.increment = 1;
  const double linelength = tw.range / w.upp;
  const auto place = [&](double distance) { return distance / w.upp; };
  double v = w.mn + tw.distance;
  tw.counter = tw.phase == tickphase::first ? std::nearbyint(v / tw.step) : lastdrawn(w, v, tw);
  const auto islong = [&](double counter) {
    return std::fabs(std::fmod(counter, static_cast<double>(w.every))) < 0.5;
  };
  const auto labelled = [&](double counter) {
    return std::fabs(std::fmod(counter, static_cast<double>(w.every) * w.stride)) < 0.5;
  };
  const double tol = endtolerance * std::max(tw.range, 1e-30);
  penat(w, place(tw.distance), 3);
  // The value the walk stands on, which no tick may repeat (a step too
  // small to move it ends the walk); a walk that goes on may start with a
  // tick on the value it starts from.
  double previous = tw.phase == tickphase::first ? v : std::numeric_limits<double>::quiet_NaN();
  if (tw.phase == tickphase::first) {
    if (labels > 0 && w.e >= 1 && w.e < static_cast<std::int32_t>(axiswork.labels.size()))
      axiswork.labels[static_cast<std::size_t>(w.e)] = LabelSpan{};
    tick(w, place(tw.distance), v, islong(tw.counter), labelled(tw.counter), labels, option);
  }
  tw.phase = tickphase::running;
  // A walk over a strip goes from long tick to long tick: only they have
  // grid lines.
  const double every = static_cast<double>(w.every);
  for (int n = 0;; ++n) {
    if (w.strip == nullptr)
      tw.counter += tw.increment;
    else if (tw.increment > 0)
      tw.counter = (std::floor(tw.counter / every) + 1.0) * every;
    else
      tw.counter = (std::ceil(tw.counter / every) - 1.0) * every;
    v = tw.counter * tw.step;
    const bool end = n >= mostticks || v > w.mx + epsilonof(v) || v <= w.mn + epsilonof(w.mn) ||
                     std::fabs(v - previous) <= epsilonof(v);
    if (end) {
      tw.distance = tw.increment < 0 ? 0.0 : tw.range;
      penat(w, std::min(place(tw.distance), linelength), w.nolabels ? 3 : 2);
      tw.phase = tickphase::last;
      return;
    }
    tw.distance = v - w.mn;
    penat(w, place(tw.distance), w.nolabels ? 3 : 2);
    tick(w, place(tw.distance), v, islong(tw.counter), labelled(tw.counter), labels, option);
    previous = v;
    if (w.mx - v < tol) {
      tw.phase = tickphase::last;
      return;
    }
  }
}

void walklog(Walk& w, std::int32_t labels, std::int32_t option) {
  TickWalk& tw = tickwalk;
  tw.range = w.mx - w.mn;
  // Digits 1..9 of each decade from the minimum's.
  double decade = std::pow(10.0, std::nearbyint(std::log10(w.mn)));
  int digit = 1;
  double p = 0.0;
  const double length = w.steplength * std::nearbyint(std::log10(w.mx / w.mn));
  penat(w, 0.0, 3);
  if (labels > 0 && w.e >= 1 && w.e < static_cast<std::int32_t>(axiswork.labels.size()))
    axiswork.labels[static_cast<std::size_t>(w.e)] = LabelSpan{};
  tick(w, 0.0, decade, true, true, labels, option);
  for (int n = 0; n < mostticks; ++n) {
    ++digit;
    if (digit == 10) {
      digit = 1;
      decade *= 10.0;
      p = w.steplength * std::nearbyint(p / w.steplength);
    } else {
      p += w.steplength * std::log10(static_cast<double>(digit) / (digit - 1));
    }
    const double v = decade * digit;
    if (v > w.mx * (1.0 + endtolerance)) break;
    penat(w, p, w.nolabels ? 3 : 2);
    tick(w, p, v, digit == 1, digit == 1, labels, option);
    if (v >= w.mx * (1.0 - endtolerance)) {
      tw.phase = tickphase::last;
      return;
    }
  }
  penat(w, length, w.nolabels ? 3 : 2);
  tw.phase = tickphase::last;
}

// User units between long ticks: the tick step (a tenth of the label step;
// a day on a time axis) times the label interval.
double labelstepof(const Walk& w) { return tickstepof(w) * w.every; }

// The widest label of the walk's labelled ticks, which stand at every
// `labelstep`; only they (the ends of a range that slid are no labels: a
// fraction there would make the step change from slide to slide). A
// fraction's label is as long as its digits (-0.9 is wider than -1): on an
// axis of up to 256 labels each is measured, on a longer one the 128 next
// to either end and to zero, where the sign, the magnitude and the digits
// of a fraction make them longest.
std::size_t widestlabel(const Walk& w, double labelstep) {
  constexpr int near = 128;
  std::size_t widest = 0;
  const double tol = endtolerance * (w.mx - w.mn);
  const double first = std::ceil((w.mn - tol) / labelstep);
  const double last = std::floor((w.mx + tol) / labelstep);
  const double step = tickstepof(w), every = static_cast<double>(w.every);
  const auto measure = [&](double from, double to) {
    for (int n = 0; n < near && from + n <= to; ++n)
      widest = std::max(widest, labelof(w, (from + n) * every * step).size());
  };
  measure(first, last);
  measure(std::max(first, last - near + 1), last);
  measure(std::max(first, -static_cast<double>(near) / 2), std::min(last, near / 2.0));
  return widest;
}

// The walk of direction entry e of axis k; with `labels`, the stride of its
// labels too (a walk that writes none needs not measure them).
Walk walkof(std::int32_t k, std::int32_t e, bool labels) {
  Walk w;
  w.d = e > naxes ? 1 : 0;
  w.e = e;
  w.style = axisstate.style(w.e);
  w.log = (w.style & axisbit::log) != 0;
  w.time = !w.log && (w.style & axisbit::time) != 0;
  w.nolabels = (w.style & axisbit::nolabels) != 0;
  w.grid = (w.style & axisbit::grid) != 0;
  const Scale& s = axisstate.scale(w.e);
  w.mn = s.minimum;
  w.mx = s.maximum;
  w.upp = s.unitsperplot != 0.0F ? s.unitsperplot : 1.0;
  w.steplength = s.step;
  w.divisor = s.divisor != 0.0F ? s.divisor : 1.0;
  w.otherlength = axisstate.length(w.d == 0 ? yentry(k) : xentry(k));
  // The graphics cell in pixels, turned into this direction's plot units
  // (along) and the other's (across).
  const FontSlot& g = fontslots(5);
  const double alongperpixel = w.d == 0 ? axisstate.unitsperpixelx : axisstate.unitsperpixely;
  const double acrossperpixel = w.d == 0 ? axisstate.unitsperpixely : axisstate.unitsperpixelx;
  w.pixel = alongperpixel;
  w.along = g.cellwidth * alongperpixel;
  w.tickalong = static_cast<double>(axisstate.ticklength) * g.cellheight * alongperpixel;
  w.tickacross = static_cast<double>(axisstate.ticklength) * g.cellheight * acrossperpixel;
  w.textacross = g.cellheight * acrossperpixel;
  const Frame& f = axisstate.frame(k);
  if (w.d == 0) {
    w.low = -axiswork.leftmargin;
    w.high = static_cast<double>(f.width) * axisstate.cellwidth - axiswork.leftmargin;
  } else {
    w.low = -axiswork.bottommargin;
    w.high = static_cast<double>(f.height) * axisstate.cellheight - axiswork.bottommargin;
  }
  w.every = axisstate.labelevery(w.e) < 1 ? 10 : axisstate.labelevery(w.e);
  if (w.time) {
    w.picture = trimmed(textofcell(axisstate.timepicture(w.e), mostpicture));
    const double u = w.upp;
    w.every = u <= 3.0 ? 1 : u <= 12.0 ? 7 : u <= 30.0 ? 30 : u <= 91.0 ? 91 : 365;
  } else {
    const double range = w.mx - w.mn;
    const double big = std::max(std::fabs(w.mx), std::fabs(w.mn));
    int width = range > 0.0 ? static_cast<int>(std::log10(big / range)) + 4 : 4;
    if (w.mn < 0.0) ++width;
    w.width = std::clamp(width, 0, 23);
  }
  const double labelstep = labelstepof(w);
  if (labels && !w.log && labelstep > 0.0 && std::isfinite(labelstep)) {
    // The label step in character widths along the axis, and the widest
    // label of a long tick.
    const double widths = labelstep / w.upp / std::max(w.along, 1e-30);
    const std::size_t widest = widestlabel(w, labelstep);
    if (widths > 0.0 && std::isfinite(widths))
      w.stride =
          std::clamp(std::ceil((static_cast<double>(widest) + 4.0) / widths - 1e-9), 1.0, 1e6);
  }
  return w;
}

// How far past an end of the axis a label step still counts as inside:
// less than a pixel, where its tick falls on the frame's line at that end
// (one a whole pixel past it stands on the column beside the line).
double edgeslack(const Walk& w) { return 0.99 * w.pixel * w.upp; }

}  // namespace

std::string axislabel(std::int32_t e, double value) {
  const std::int32_t k = std::clamp(e > naxes ? e - naxes : e, 1, naxes);
  return labelof(walkof(k, std::clamp(e, 1, 2 * naxes), false), value);
}

void PLOTTICS_INTERNAL(std::int32_t& labels, std::int32_t& option) {
  const Bracket bracket(Bracket::Select::pen);
  std::int32_t error = 0;
  PLTFNC(penfn::stylewidth, 10, error);
  const std::int32_t k = std::clamp(axisstate.current, 1, naxes);
  Walk w = walkof(k, axiswork.direction == 0 ? xentry(k) : yentry(k), labels > 0);
  if (w.log) {
    if (w.mn > 0.0 && w.mx > w.mn && w.steplength > 0.0) walklog(w, labels, option);
  } else if (w.mx > w.mn) {
    walklinear(w, labels, option);
  }
  PLTFNC(penfn::stylewidth, 10, error);
}

void STRIPGRID(const win::RECT& strip) {
  const std::int32_t k = std::clamp(axisstate.current, 1, naxes);
  Walk w = walkof(k, axiswork.direction == 0 ? xentry(k) : yentry(k), false);
  if (!w.grid) return;
  const Bracket bracket(Bracket::Select::pen);
  std::int32_t error = 0;
  PLTFNC(penfn::stylewidth, 10, error);
  w.strip = &strip;
  if (w.log) {
    if (w.mn > 0.0 && w.mx > w.mn && w.steplength > 0.0) walklog(w, 0, 0);
  } else if (w.mx > w.mn) {
    walklinear(w, 0, 0);
  }
  drawstripends();
}

void STRIPSLIDE(std::int32_t e, double low, double high, std::int32_t dx, std::int32_t dy) {
  if (e < 1 || e >= static_cast<std::int32_t>(axiswork.labels.size())) return;
  const std::int32_t k = std::clamp(e > naxes ? e - naxes : e, 1, naxes);
  const double slack = edgeslack(walkof(k, e, false));
  std::vector<ShownLabel>& shown = axiswork.labels[static_cast<std::size_t>(e)].shown;
  // (A label written in a font that the slots no longer hold cannot be
  // written again: it slides on.)
  const win::HFONT upright = fontslots(5).font, turned = fontslots(9).font;
  std::erase_if(shown, [&](const ShownLabel& l) {
    const bool goes = l.value < low - slack || l.value > high + slack;
    if (goes && (l.written.font == upright || l.written.font == turned))
      REWRITETEXT(l.written, 0, 0, plotcom.brushcolour);
    return goes;
  });
  for (ShownLabel& l : shown) {
    l.written.x += dx;
    l.written.y += dy;
    l.written.box = {l.written.box.left + dx, l.written.box.top + dy, l.written.box.right + dx,
                     l.written.box.bottom + dy};
  }
}

void STRIPLABELS() {
  const Bracket bracket(Bracket::Select::pen);
  const std::int32_t k = std::clamp(axisstate.current, 1, naxes);
  Walk w = walkof(k, axiswork.direction == 0 ? xentry(k) : yentry(k), true);
  if (w.log || w.nolabels || !(w.mx > w.mn) || w.e < 1 ||
      w.e >= static_cast<std::int32_t>(axiswork.labels.size()))
    return;
  // The step between labels: the label step of the walk, as many times as
  // the labels stand apart. A label's value is its tick's as the walk
  // counts it (ticks times the tick step), so that the label, its tick
  // and its grid line meet on one pixel.
  const double ticks = static_cast<double>(w.every) * w.stride;
  const double labelstep = tickstepof(w) * ticks;
  if (!(labelstep > 0.0) || !std::isfinite(labelstep)) return;
  const double tol = endtolerance * (w.mx - w.mn);
  const double slack = edgeslack(w);
  const double length = (w.mx - w.mn) / w.upp;
  const auto position = [&](double v) { return (v - w.mn) / w.upp; };
  // The labels as the axis drawn whole puts them, walked from its start
  // with the same room between them, on every label step from the frame's
  // line at the start to the one at the end: the label at the maximum,
  // and one that would run past the end's line, end at their ticks.
  struct Wanted {
    double value, p;
    std::string label;
    bool ending;
  };
  std::vector<Wanted> wanted;
  double m = std::ceil((w.mn - slack) / labelstep);
  for (int n = 0; n < mostticks; ++n, m += 1.0) {
    const double v = m * ticks * tickstepof(w);
    if (v > w.mx + slack) break;
    const double p = position(v);
    std::string label = labelof(w, v);
    if (label.empty()) continue;
    double first = 0, last = 0;
    labelextent(w, p, textlength(w, label), false, first, last);
    const bool ending = std::fabs(v - w.mx) <= tol || last > length;
    const double size = static_cast<double>(label.size());
    const double room = (p - w.lastlabel) / std::max(w.along, 1e-30);
    if (room < size + 4.0 + (ending ? size : 0.0) || !inframe(w, p, label, ending)) continue;
    wanted.push_back({v, p, std::move(label), ending});
    w.lastlabel = p;
  }
  // The labels that stand otherwise go; those that stand as wanted stay.
  // (One written in a font that the slots no longer hold cannot be taken
  // away: it stays where it is.)
  std::vector<ShownLabel>& shown = axiswork.labels[static_cast<std::size_t>(w.e)].shown;
  const win::HFONT upright = fontslots(5).font, turned = fontslots(9).font;
  const auto same = [&](const ShownLabel& l, const Wanted& x) {
    return std::fabs(l.value - x.value) <= tol && l.ending == x.ending;
  };
  const auto at = [&](double v) {
    return [&, v](const ShownLabel& l) { return std::fabs(l.value - v) <= tol; };
  };
  // (The steps that had a label before: their ticks are a labelled tick's
  // length and slid with the picture.)
  std::vector<double> labelled;
  for (const ShownLabel& l : shown) labelled.push_back(l.value);
  std::erase_if(shown, [&](const ShownLabel& l) {
    if (l.written.font != upright && l.written.font != turned) return false;
    if (std::any_of(wanted.begin(), wanted.end(), [&](const Wanted& x) { return same(l, x); }))
      return false;
    REWRITETEXT(l.written, 0, 0, plotcom.brushcolour);
    return true;
  });
  // Each label is written where its tick lies. A step labelled for the
  // first time gets a labelled tick; the others have theirs where the
  // slide took them, but for one within a pixel before the axis' start:
  // the slide left it behind with the pixels past the frame's line, and
  // it is drawn again on the line. (A tick within a pixel past either
  // end stands on that end's line: past it, it would stand outside the
  // frame, where no slide carries it.)
  for (const Wanted& x : wanted) {
    if (std::none_of(shown.begin(), shown.end(), at(x.value)))
      writelabel(w, x.p, x.value, x.label, x.ending);
    const bool hastick = std::any_of(labelled.begin(), labelled.end(),
                                     [&](double v) { return std::fabs(v - x.value) <= tol; });
    if (hastick && x.p >= 0.0) continue;
    float px = 0, py = 0;
    pointat(w, std::clamp(x.p, 0.0, length), px, py);
    const auto t = static_cast<float>(3.0 * w.tickacross * axisstate.longtick);
    PLOT(px, py, 3);
    if (w.d == 0)
      PLOT(px, py - t, 2);
    else
      PLOT(px - t, py, 2);
  }
}

}  // namespace plot
