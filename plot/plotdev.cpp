// The drawing bracket, the device operations, pens and the palette.
#include "plot/plotdev.h"

#include <algorithm>
#include <cmath>

#include "exec/builtins.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/win_window.h"
#include "plot/devbracket.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "plot/upcalls.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"

namespace plot {

namespace {

// The nearest pixel of a device coordinate, kept inside the pixel range.
std::int32_t pixel(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int32_t>(std::lround(std::clamp(v, -devicelimit, devicelimit)));
}

// The pen kept in `plotcom` selected on `plotdev`.
void selectpen(std::int32_t style) {
  int ups = 0;
  const win::COLORREF c = plotcom.pencolour;
  const int st = style;
  const int w = std::max(1, plotcom.penwidth);
  toolkit::NEW_PEN(*plotdev, &c, &st, nullptr, &w, nullptr, nullptr, &ups);
}

void setscale() {
  const FontSlot& g = fontslots(5);
  const float width = static_cast<float>(g.cellwidth) * static_cast<float>(axisstate.columns);
  const float height = static_cast<float>(g.cellheight) * static_cast<float>(axisstate.rows);
  plotcom.devy = width;  // the width goes back in the y field
  plotcom.ymax = height;
  if (!printing(*plotdev)) {
    const float sw = static_cast<float>(exec::sysmetrics(exec::metric::screenwidth));
    const float sh = static_cast<float>(exec::sysmetrics(exec::metric::screenheight));
    plotcom.xfactor = sw / axisstate.screenwidth;
    plotcom.yfactor = sh / axisstate.screenheight;
    plotcom.lastx = plotcom.lasty = plotcom.prevx = plotcom.prevy = 0;
  } else {
    toolkit::GET_TARGET_RESOLUTION(*plotdev);
    plotcom.xfactor = static_cast<float>(plotdev->pixels_per_inch_x) / 2.54F;
    plotcom.yfactor = static_cast<float>(plotdev->pixels_per_inch_y) / 2.54F;
  }
  if (plotcom.xfactor > 0.0F && plotcom.yfactor > 0.0F) {
    axisstate.cellwidth = static_cast<float>(g.cellwidth) / plotcom.xfactor;
    axisstate.cellheight = static_cast<float>(g.cellheight) / plotcom.yfactor;
    axisstate.unitsperpixelx = 1.0F / plotcom.xfactor;
    axisstate.unitsperpixely = 1.0F / plotcom.yfactor;
  }
}

void pentopoint() {
  plotcom.prevx = plotcom.lastx;
  plotcom.prevy = plotcom.lasty;
  std::int32_t x = pixel(plotcom.devx);
  std::int32_t y = pixel(static_cast<double>(plotcom.ymax) - plotcom.devy + 1.0);
  if (printing(*plotdev)) {
    x = pixel(static_cast<double>(x) + plotdev->bounds.left);
    y = pixel(static_cast<double>(y) + plotdev->bounds.top);
  }
  plotcom.lastx = x;
  plotcom.lasty = y;
  if (plotcom.pen == 0) {
    if (plotcom.recording == recordstrokes && plotcom.recordto != nullptr) {
      // A solid pen lifted onto the pixel where its stroke ends (a curve
      // moves to its last point before each segment) goes on with that
      // stroke: the joined line covers the same pixels as the pieces, so
      // the curve is drawn as one polyline. A styled pen starts its
      // pattern afresh with each piece, as it did when drawn piecewise.
      const std::vector<win::POINT>& b = *plotcom.recordto;
      if (plotcom.penstyle == 0 && !b.empty() && b.back().x == x && b.back().y == y &&
          plotcom.recordat == static_cast<std::int32_t>(b.size()))
        return;
      plotcom.recordto->push_back(strokebreak);
      plotcom.recordto->push_back(win::POINT{x, y});
      plotcom.recordat = static_cast<std::int32_t>(plotcom.recordto->size());
    }
    return;
  }
  int ups = 0;
  if (plotcom.recording < 1) {
    toolkit::DRAW_LINE(*plotdev, nullptr, nullptr, nullptr, nullptr, &x, &y, &plotcom.prevx,
                       &plotcom.prevy, nullptr, nullptr, &ups);
  } else if (plotcom.recordto != nullptr && plotcom.recordat >= 0) {
    std::vector<win::POINT>& b = *plotcom.recordto;
    const auto at = static_cast<std::size_t>(plotcom.recordat);
    if (b.size() <= at) b.resize(at + 1);
    b[at] = win::POINT{x, y};
    ++plotcom.recordat;
  }
  if (ups != 0) return;
  const std::int32_t m = plotcom.penwidth + 2;
  growupdrect(std::min(x, plotcom.prevx) - m, std::min(y, plotcom.prevy) - m,
              std::max(x, plotcom.prevx) + m, std::max(y, plotcom.prevy) + m);
}

void penfunction() {
  int ups = 0;
  switch (plotcom.fcode) {
    case penfn::brushcolour: {
      plotcom.brushcolour = DOSCOLTORGB(plotcom.fvalue);
      const win::COLORREF c = plotcom.brushcolour;
      toolkit::NEW_BRUSH(*plotdev, &c, nullptr, nullptr, &ups);
      break;
    }
    case penfn::pencolour:
      plotcom.pencolour = DOSCOLTORGB(plotcom.fvalue);
      selectpen(plotcom.penstyle);
      break;
    case penfn::stylewidth: {
      const std::int32_t v = std::max(plotcom.fvalue, 0);
      plotcom.penstyle = v % 10 > 4 ? 0 : v % 10;
      plotcom.penwidth = std::clamp(v / 10, 1, 1000) * (printing(*plotdev) ? 2 : 1);
      selectpen(plotcom.penstyle);
      break;
    }
    default:
      break;
  }
}

}  // namespace

bool printing(const toolkit::draw_target_t& t) { return (t.flags & toolkit::kPrinterTarget) != 0; }

bool drawing(const toolkit::draw_target_t& t) { return t.marker == toolkit::kMarker; }

void growupdrect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
  win::RECT& u = exec::updrect;
  u.left = std::min(u.left, left);
  u.top = std::min(u.top, top);
  u.right = std::max(u.right, right);
  u.bottom = std::max(u.bottom, bottom);
}

Bracket::Bracket(Select select) {
  // A printer page is drawn on only while its job has the pass open.
  if (drawing(*plotdev) || printing(*plotdev)) return;
  exec::wdwrec* r = exec::wdwcur;
  if (r == nullptr || r->bitmap == nullptr) return;
  int ups = 0;
  toolkit::START_BITMAP_DRAW(&r->bitmap, nullptr, nullptr, *plotdev, &ups);
  if (!drawing(*plotdev)) return;
  opened_ = true;
  record_ = r;
  if (select == Select::pen) {
    selectpen(plotcom.penstyle);
  } else if (select == Select::brush) {
    const win::COLORREF c = plotcom.brushcolour;
    toolkit::NEW_BRUSH(*plotdev, &c, nullptr, nullptr, &ups);
    selectpen(win::PS_NULL);
  }
}

Bracket::~Bracket() {
  if (!opened_) return;
  int ups = 0;
  toolkit::END_BITMAP_DRAW(*plotdev, &ups);
  refresh(record_);
}

bool paintslater(const exec::wdwrec* r) {
  return r != nullptr && r != exec::wdwhead && r->window != nullptr && r->bitmap != nullptr &&
         !plat::backend().has_display();
}

void refresh(exec::wdwrec* r) {
  if (paintslater(r)) {
    plat::paint_when_read(r->window);
    win::RECT& u = exec::updrect;
    if (u.left <= u.right && u.top <= u.bottom) win::InvalidateRect(r->window, &u, win::FALSE);
    u = win::RECT{exec::sysmetrics(exec::metric::screenwidth),
                  exec::sysmetrics(exec::metric::screenheight), 0, 0};
    return;
  }
  if (upcalls.UPDATEWDW != nullptr) {
    upcalls.UPDATEWDW(2, r);
    return;
  }
  if (r != nullptr && r->window != nullptr) {
    int ups = 0;
    toolkit::UPDATE_WINDOW(r->window, nullptr, nullptr, &ups);
  }
}

void reselectpen() { selectpen(plotcom.penstyle); }

void UQMODX(std::int32_t op) {
  if (exec::wdwhead != nullptr) {
    const std::int64_t product =
        static_cast<std::int64_t>(exec::wdwhead->clientwidth) * exec::wdwhead->clientheight;
    if (product != plotcom.sizeproduct) {
      plotcom.sizeproduct = product;
      plotcom.lastx = plotcom.lasty = plotcom.prevx = plotcom.prevy = 0;
    }
  }
  const Bracket bracket(Bracket::Select::pen);
  switch (op) {
    case devop::setscale:
      setscale();
      break;
    case devop::pentopoint:
      pentopoint();
      break;
    case devop::penfunction:
      penfunction();
      break;
    default:
      break;  // end of plot and the segment calls: nothing on this device
  }
}

win::COLORREF DOSCOLTORGB(std::int32_t n) { return exec::rgbtab(n & 31); }

void NEWPENCOLSTYLEWIDTH(toolkit::draw_target_t& t, double value, std::int32_t& width) {
  const double v = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 31.99);
  const auto colour = static_cast<std::int32_t>(std::trunc(v));
  const auto k = static_cast<std::int32_t>(std::lround(std::fmod(v, 1.0) * 100.0));
  // Styles 6 to 9 are none of the platform's: the pen is drawn solid, in
  // its colour and width, rather than refused and the old one kept.
  const int style = k / 10 > win::PS_NULL ? 0 : k / 10;
  width = std::max(k % 10, 1);
  const win::COLORREF c = exec::rgbtab(colour);
  const int w = width;
  int ups = 0;
  toolkit::NEW_PEN(t, &c, &style, nullptr, &w, nullptr, nullptr, &ups);
}

void UQENDAXES() {
  if (axisstate.setup != 0) axisstate.setup = 0;
  if (!drawing(*plotdev) || printing(*plotdev)) return;
  int ups = 0;
  toolkit::END_BITMAP_DRAW(*plotdev, &ups);
  refresh(exec::wdwcur);
}

void reset_plotdev() {
  for (toolkit::draw_target_t& t : drawtargets)
    if (drawing(t)) {
      int ups = 0;
      toolkit::END_BITMAP_DRAW(t, &ups);
    }
  drawtargets = {};
  plotdev = &drawtargets[target::defaultplot];
  plotcom = PlotCom{};
  axisboxes = {};
  pxlmovargs = PxlMovArgs{};
  textextent = {};
  resettextfont();
}

}  // namespace plot
