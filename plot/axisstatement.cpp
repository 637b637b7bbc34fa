// The AXIS statement: up to eight coordinate frames in a window, their
// layout, scales, styles, titles, fonts and mouse bindings, each drawn by
// XYAXIS.
#include "plot/axisstatement.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/optdispatch.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/axis.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/setups.h"
#include "plot/upcalls.h"
#include "toolkit/draw_targets.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/windows.h"

namespace plot {

namespace {

consteval std::int32_t kw(std::string_view name) {
  return core::optkwnr(core::OptStmt::AXIS, name);
}

// System cursors: the cross-hair while the mouse is reported, else the
// arrow.
constexpr int crosshaircursor = 32515;
constexpr int arrowcursor = 32512;
// Free columns at the right of the window, unless WINdowhandle names it.
constexpr std::int32_t rightreserve = 2;
constexpr double largestinteger = 2147483648.0;

// Rows and columns of the layout of n frames (1..8).
constexpr std::int32_t layoutrows[naxes] = {1, 1, 1, 2, 2, 2, 2, 2};
constexpr std::int32_t layoutcolumns[naxes] = {1, 2, 3, 2, 3, 3, 4, 4};

struct Option {
  std::int32_t kw = 0;
  std::int32_t v = 0;  // the value's symbol; 0 or below: none
};

// The state of the running statement.
struct Run {
  std::int32_t axis = 1;
  std::int32_t direction = 0;
  bool pending = false;
  bool rangesonly = false;
  std::int32_t axes = 0;    // Axis options, at most 8
  std::int32_t placed = 0;  // Axis options met in the second pass
  std::int32_t reserve = rightreserve;
  std::int32_t decades[2] = {0, 0};  // log decades of the group: 0 linear, -1 automatic
  exec::wdwrec* entry = nullptr;
};
Run run;

bool valued(const Option& o) { return o.v > 0 && core::z.valid(o.v); }

// The value of an option, its magnitude at most 1e30 (0 without one).
double value(const Option& o) {
  if (!valued(o)) return 0.0;
  const double v = core::z(o.v);
  if (std::isnan(v)) return 0.0;
  return std::clamp(v, -1e30, 1e30);
}

// The integer form: truncated toward zero, 0 beyond 32 bits.
std::int32_t integer(const Option& o) {
  const double v = value(o);
  if (std::fabs(v) > largestinteger) return 0;
  return static_cast<std::int32_t>(std::clamp(std::trunc(v), -2147483647.0, 2147483647.0));
}

bool on(const Option& o) { return !valued(o) || value(o) != 0.0; }

bool textof(const Option& o, std::int32_t& first, std::int32_t& last) {
  if (o.v < 1 || (core::ISCHAR(o.v, first, last) & 0x40) == 0) return false;
  return last >= first && core::c1namen.valid(first) && core::c1namen.valid(last);
}

std::int32_t entryof(std::int32_t d) { return d == 0 ? xentry(run.axis) : yentry(run.axis); }

void setbit(std::int32_t e, std::int32_t bit, bool set) {
  std::int32_t& s = axisstate.style(e);
  s = set ? s | bit : s & ~bit;
}

// Cells of a frame value: a fraction of the window (not above 1) or cells.
std::int32_t cells(const Option& o, std::int32_t whole) {
  const double v = value(o);
  if (v <= 1.0) return static_cast<std::int32_t>(std::trunc(whole * v + 0.001));
  return integer(o);
}

// The options in written order, an Axis put in front when neither of the
// first two is one.
std::vector<Option> options() {
  std::vector<Option> out;
  for (std::int32_t i = exec::noptions; i >= 1; --i)
    out.push_back({static_cast<std::int32_t>(exec::optkw(i)), exec::optval(i)});
  const bool first = !out.empty() && out[0].kw == kw("Axis");
  const bool second = out.size() >= 2 && out[1].kw == kw("Axis");
  if (!first && !second && out.size() < 100) out.insert(out.begin(), Option{kw("Axis"), 0});
  return out;
}

void screenstart() {
  exec::wdwrec* r = exec::wdwcur;
  if (printing(*plotdev) || drawing(*plotdev) || r == nullptr || r->bitmap == nullptr) return;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&r->bitmap, nullptr, nullptr, *plotdev, &ups);
}

void screenend() {
  if (printing(*plotdev) || !drawing(*plotdev)) return;
  int ups = 0;
  toolkit::END_BITMAP_DRAW(*plotdev, &ups);
}

void refreshwindow(exec::wdwrec* r) {
  if (upcalls.UPDATEWDW != nullptr) {
    upcalls.UPDATEWDW(3, r);
  } else if (r != nullptr && r->window != nullptr) {
    int ups = 0;
    toolkit::UPDATE_WINDOW(r->window, nullptr, nullptr, &ups);
  }
}

void firstpass(const std::vector<Option>& opts, std::int32_t& print) {
  ifontslot = 5;
  fontdialogtitle.set("Choose graphics font");
  for (const Option& o : opts) {
    if (core::xeqstop != 0) return;
    if (o.kw == kw("Axis")) {
      run.axes = std::min(run.axes + 1, naxes);
      if (value(o) < 0.0) run.rangesonly = true;
    } else if (o.kw == kw("WINdowhandle")) {
      std::int32_t cell = 0;
      if (o.v > 0) core::ADR1FROMSYMBOL(cell, o.v);
      const double h = cell > 0 && core::z.valid(cell) ? core::z(cell) : 0.0;
      const double n = std::isnan(h) ? 0.0 : std::nearbyint(std::clamp(h, 0.0, 4294967295.0));
      const win::HWND handle = win::handle_from<win::HWND>(static_cast<std::uint32_t>(n));
      exec::FINDWINDOW(handle);
      if (handle != nullptr && exec::wdwcur != nullptr && exec::wdwcur->window == handle)
        run.reserve = 0;
      else
        exec::wdwcur = run.entry;
      if (exec::wdwcur != nullptr) exec::wdwcur->mousemode = -std::abs(exec::wdwcur->mousemode);
    } else if (o.kw == kw("PRint")) {
      const auto p = static_cast<std::int32_t>(std::nearbyint(std::clamp(value(o), -1e9, 1e9)));
      print = p == 0 ? 2 : p;
    } else if (o.kw == kw("FONt") || o.kw == kw("PoinT")) {
      const bool face = o.kw == kw("FONt");
      const std::int32_t slot = o.v != 0 ? o.v : -o.kw;
      const std::int32_t got =
          SETFONTPTROULBOITST(ifontslot, face ? slot : 0, face ? 0 : slot, 0, 0, 0, 0, 0);
      if (got > 0) ifontslot = got;
    }
  }
}

// Columns and rows of the window in cells of the graphics font.
void windowcells(exec::wdwrec& r) {
  const FontSlot& g = fontslots(5);
  const std::int32_t cw = std::max<std::int32_t>(g.cellwidth, 1);
  const std::int32_t ch = std::max<std::int32_t>(g.cellheight, 1);
  if (&r == exec::wdwhead) {
    axisstate.columns = r.clientwidth / cw;
    axisstate.rows = r.clientheight / ch + 1;
    return;
  }
  if (upcalls.CHILDCHANGED != nullptr && r.window != nullptr) {
    win::HWND w = r.window;
    int code = 0;
    upcalls.CHILDCHANGED(w, code);
  }
  // The window as it is now (its user or the desktop may have made it
  // another size than the WINDOW statement asked for), else as made.
  win::RECT client{};
  const bool now = r.window != nullptr && toolkit::GET_CLIENT_AREA(r.window, client) &&
                   client.right > client.left && client.bottom > client.top;
  axisstate.columns = (now ? client.right - client.left : r.clientwidth) / cw;
  axisstate.rows = (now ? client.bottom - client.top : r.clientheight) / ch;
}

// The window made ready for drawing: device, text area, font, cells.
void windowsetup() {
  exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr) return;
  if ((r->printstate & 1) == 0) {
    plotdev = &drawtargets[target::defaultplot];
    SETUPS(setupsmode::window);
    const FontSlot& g = fontslots(5);
    const plat::FixedText<32> face = g.face;
    SETFONT(5, face.view(), g.points, 0.0F, g.underline, g.weight, g.italic);
    windowcells(*r);
    screenstart();
  } else {
    AXISPAGE();
    if (core::xeqstop != 0) return;
  }
  if ((r->kind & exec::kind::graphics) == 0) {
    r->fontslot = 5;
    r->kind = (r->kind | exec::kind::graphics) & ~exec::kind::text;
  }
}

void layout(exec::wdwrec* r) {
  Frame& f = axisstate.frame(run.axis);
  const std::int32_t lm = r != nullptr ? r->textarea[0] : 0;
  const std::int32_t rm = r != nullptr ? r->textarea[1] : 0;
  const std::int32_t tm = r != nullptr ? r->textarea[2] : 0;
  const std::int32_t bm = r != nullptr ? r->textarea[3] : 0;
  const std::int32_t n = std::clamp(run.axes, 1, naxes);
  const std::int32_t rows = layoutrows[n - 1], columns = layoutcolumns[n - 1];
  const std::int32_t width = axisstate.columns - rm - lm - run.reserve;
  const std::int32_t height = axisstate.rows - tm - bm;
  if (n == 1) {
    f = Frame{width, height, lm, bm};
    return;
  }
  const std::int32_t c = run.placed;
  const std::int32_t column = c % columns == 0 ? columns : c % columns;
  const std::int32_t row = c > columns ? rows - 1 : rows;
  const std::int32_t w = width / columns, h = height / rows;
  f = Frame{w, h, (column - 1) * w + lm, (row - 1) * h + bm};
}

void axisoption(const Option& o) {
  const std::int32_t previous = run.axis;
  const bool pending = run.pending;
  if (pending) {
    PLOTAXESNOW();
    if (core::xeqstop != 0) return;
  }
  if (!valued(o) && pending)
    run.axis = previous + 1;
  else if (!valued(o))
    run.axis = 1;
  else
    run.axis = std::abs(integer(o));
  run.axis = std::clamp(run.axis, 1, naxes);
  run.direction = 0;
  const std::int32_t k = run.axis;
  axisstate.labelevery(xentry(k)) = 0;
  axisstate.labelevery(yentry(k)) = 0;
  axisstate.timepicture(xentry(k)) = 0;
  run.decades[0] = run.decades[1] = 0;
  axisstate.mouse(k) = MouseBindings{};
  run.pending = !run.rangesonly;
  if (valued(o) || k == 1) {
    Scale& x = axisstate.scale(xentry(k));
    x.minimum = x.defaultmin;
    x.maximum = x.defaultmax;
    axisstate.style(xentry(k)) = axisbit::grid;
    axisstate.style(yentry(k)) = axisbit::grid | 15;
  }
  Scale& y = axisstate.scale(yentry(k));
  y.minimum = y.defaultmin;
  y.maximum = y.defaultmax;
  ++run.placed;
  layout(exec::wdwcur);
}

// Mouse reporting as the last of MouSeCall, MouSeX and MouSeY says: -1
// none given.
void secondpass(const std::vector<Option>& opts, std::int32_t& mouse, bool& cross) {
  for (const Option& o : opts) {
    if (core::xeqstop != 0) return;
    const std::int32_t e = entryof(run.direction);
    const std::int32_t k = run.axis;
    Frame& f = axisstate.frame(k);
    if (o.kw == kw("Axis")) {
      axisoption(o);
    } else if (o.kw == kw("BaCkcolor")) {
      std::int32_t& s = axisstate.style(yentry(k));
      s = (s & ~axisbit::colour) | (integer(o) & axisbit::colour);
    } else if (o.kw == kw("ForeColor")) {
      std::int32_t& s = axisstate.style(xentry(k));
      s = (s & ~axisbit::colour) | (integer(o) & axisbit::colour);
    } else if (o.kw == kw("Height")) {
      f.height = cells(o, axisstate.rows);
    } else if (o.kw == kw("Width")) {
      f.width = cells(o, axisstate.columns);
    } else if (o.kw == kw("Left")) {
      f.left = cells(o, axisstate.columns);
    } else if (o.kw == kw("Bottom")) {
      f.bottom = cells(o, axisstate.rows);
    } else if (o.kw == kw("FixmiN")) {
      setbit(e, axisbit::fixmin, on(o));
    } else if (o.kw == kw("FiXmax")) {
      setbit(e, axisbit::fixmax, on(o));
    } else if (o.kw == kw("Scroll")) {
      setbit(e, axisbit::scroll, on(o));
    } else if (o.kw == kw("Grid")) {
      setbit(e, axisbit::grid, on(o));
      if (valued(o)) {
        const double v = value(o);
        axisstate.labelevery(e) =
            v > 0.0 ? static_cast<std::int32_t>(std::nearbyint(std::min(v, 1e9))) : 0;
      }
    } else if (o.kw == kw("LoG")) {
      setbit(e, axisbit::log, on(o));
      const std::int32_t n = std::min(integer(o), mostdecades);
      run.decades[run.direction] = !on(o) ? 0 : n == 0 ? -1 : n;
    } else if (o.kw == kw("MaX") || o.kw == kw("MiN")) {
      const bool max = o.kw == kw("MaX");
      Scale& s = axisstate.scale(e);
      const auto v = static_cast<float>(value(o));
      (max ? s.maximum : s.minimum) = v;
      if (run.rangesonly) (max ? s.defaultmax : s.defaultmin) = v;
    } else if (o.kw == kw("Title")) {
      std::int32_t first = 0, last = 0;
      std::array<std::int32_t, 2>& t = run.direction == 0 ? axisstate.xtitle : axisstate.ytitle;
      t = textof(o, first, last) ? std::array<std::int32_t, 2>{first, last}
                                 : std::array<std::int32_t, 2>{};
    } else if (o.kw == kw("TiMe")) {
      setbit(e, axisbit::time, on(o));
      std::int32_t first = 0, last = 0;
      axisstate.timepicture(e) = textof(o, first, last) ? o.v : 0;
    } else if (o.kw == kw("Xaxis") || o.kw == kw("Yaxis")) {
      run.direction = o.kw == kw("Xaxis") ? 0 : 1;
      if (valued(o)) axisstate.style(entryof(run.direction)) = integer(o);
    } else if (o.kw == kw("MouSeCall")) {
      std::int32_t first = 0, last = 0;
      const bool text = textof(o, first, last);
      axisstate.mouse(k).call = static_cast<std::int16_t>(text ? o.v : 0);
      mouse = text && static_cast<unsigned char>(core::c1namen(first)) > ' ' ? 1 : 0;
    } else if (o.kw == kw("MouSeX") || o.kw == kw("MouSeY")) {
      const auto v = static_cast<std::int16_t>(std::clamp(o.v, 0, 32767));
      (o.kw == kw("MouSeX") ? axisstate.mouse(k).x : axisstate.mouse(k).y) = v;
      mouse = 1;
    } else if (o.kw == kw("MouSeAxis")) {
      axisstate.mouse(k).axis = static_cast<std::int16_t>(std::clamp(o.v, 0, 32767));
    } else if (o.kw == kw("MouSeButton")) {
      if (exec::wdwcur != nullptr) exec::wdwcur->mousemode = std::max(o.v, 0);
    } else if (o.kw == kw("Cursor")) {
      cross = integer(o) != 0;
    }
  }
}

void cursor(exec::wdwrec* r, bool cross) {
  if (r == nullptr || r->window == nullptr) return;
  int ups = 0;
  const int id = cross ? crosshaircursor : arrowcursor;
  const win::HCURSOR c = toolkit::LOAD_CURSOR(nullptr, nullptr, 0, &id, &ups);
  if (c == nullptr) return;
  toolkit::REDEFINE_WINDOW(r->window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &c, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                           nullptr, nullptr, nullptr, &ups);
}

// A direction's range made ready for drawing: ordered, apart, within the
// largest value, and a log range cut to its decades.
void finishrange(Scale& s, std::int32_t decades) {
  const auto sane = [](float v) {
    return std::isnan(v) ? 0.0F : std::clamp(v, -largestvalue, largestvalue);
  };
  s.minimum = sane(s.minimum);
  s.maximum = sane(s.maximum);
  if (s.maximum < s.minimum) std::swap(s.minimum, s.maximum);
  if (s.maximum == s.minimum) s.maximum = s.minimum + 1.0F;
  if (decades == 0) return;
  if (s.maximum <= 0.0F) s.maximum = 1000000.0F;
  if (decades < 0) {
    const double ratio = s.minimum > 0.0F ? static_cast<double>(s.maximum) / s.minimum
                                          : static_cast<double>(s.maximum);
    decades = static_cast<std::int32_t>(
        std::clamp(std::ceil(std::log10(ratio)), 0.0, static_cast<double>(mostdecades)));
  }
  s.minimum = std::max(s.minimum, static_cast<float>(s.maximum * std::pow(10.0, -decades)));
}

}  // namespace

void PLOTAXESNOW() {
  const std::int32_t k = std::clamp(run.axis, 1, naxes);
  run.pending = false;
  screenstart();
  finishrange(axisstate.scale(xentry(k)), run.decades[0]);
  finishrange(axisstate.scale(yentry(k)), run.decades[1]);
  exec::wdwrec* r = exec::wdwcur;
  axisstate.window(k) = r != nullptr ? r->window : nullptr;
  const win::RECT dirty = exec::updrect;
  PLOTS(0);
  std::int32_t axis = k;
  XYAXIS(axis);
  exec::wdwcur = r;
  if (!printing(*plotdev)) {
    screenend();
    refreshwindow(r);
  }
  exec::updrect = dirty;
}

void AXIS(const exec::OptCall&) {
  run = Run{};
  run.entry = exec::wdwcur;
  axisstate.labelevery(xentry(1)) = 0;
  axisstate.labelevery(yentry(1)) = 0;
  axisstate.xtitle = {};
  axisstate.ytitle = {};
  axiswork.titletexts = {};
  const std::vector<Option> opts = options();
  std::int32_t print = 0;
  firstpass(opts, print);
  if (core::xeqstop != 0) return;
  if (print > 0) {
    AXISPRINT(print);
    if (core::xeqstop != 0) return;
  }
  toolkit::draw_target_t* const device = plotdev;
  if (!run.rangesonly) {
    windowsetup();
    if (core::xeqstop != 0) return;
  }
  std::int32_t mouse = -1;
  bool cross = true;
  secondpass(opts, mouse, cross);
  if (core::xeqstop != 0) return;
  if (!run.rangesonly && run.pending) PLOTAXESNOW();
  exec::wdwrec* r = exec::wdwcur;
  const std::int32_t k = run.axis;
  if (mouse == 1) {
    axisstate.mousewindow(k) = axisstate.window(k);
    if (r != nullptr) r->mousemode = std::abs(r->mousemode);
  } else {
    axisstate.mousewindow(k) = nullptr;
    if (r != nullptr) r->mousemode = -std::abs(r->mousemode);
  }
  cursor(r, mouse == 1 && cross);
  if (!run.rangesonly) {
    screenend();
    plotdev = device;
    if (exec::wdwhead != nullptr) {
      exec::wdwhead->kind = (exec::wdwhead->kind & ~exec::kind::graphics) | exec::kind::text;
      exec::wdwhead->fontslot = 2;
    }
  }
  // A ranges-only statement draws nothing, and leaves the current window
  // as it found it too.
  exec::wdwcur = run.entry;
}

}  // namespace plot
