#include "plot/penplot.h"

#include <algorithm>
#include <cmath>

#include "core/chars.h"
#include "plot/plotdev.h"
#include "plot/strokefont.h"

namespace plot {

namespace {

constexpr float chargap = 3.0F;
constexpr float defaultwidth = 4.0F;
constexpr float unitofheight = 0.14285715F;  // a character unit: a seventh of the height
constexpr float degree = 0.017453292F;

bool isopen() { return plotcom.openmarker == plotopen; }

// The device pixels of a point in plot units.
void todevice(float x, float y, float& dx, float& dy) {
  dx = plotcom.ta * x + plotcom.tb * y + plotcom.origx;
  dy = plotcom.tc * x + plotcom.td * y + plotcom.origy;
}

void devicepoint(float dx, float dy, std::int32_t pen) {
  plotcom.devx = dx;
  plotcom.devy = dy;
  plotcom.pen = pen;
  UQINIT(devop::pentopoint);
}

// y at x (or x at y) on the line through p0 and p1.
float along(float a0, float b0, float a1, float b1, float a) {
  return b0 + (b1 - b0) / (a1 - a0) * (a - a0);
}

// One end clipped to the window; false when the segment lies wholly beside
// (a vertical one) or above or below (a horizontal one) the window.
bool clipend(float p[2], const float p0[2], const float p1[2], const float w[4], bool& moved) {
  const bool vertical = p0[0] == p1[0];
  const bool horizontal = p0[1] == p1[1];
  if (p[0] < w[0] || p[0] > w[1]) {
    if (vertical) return false;
    const float x = p[0] < w[0] ? w[0] : w[1];
    p[1] = along(p0[0], p0[1], p1[0], p1[1], x);
    p[0] = x;
    moved = true;
  }
  if (p[1] < w[2] || p[1] > w[3]) {
    if (horizontal) return false;
    const float y = p[1] < w[2] ? w[2] : w[3];
    p[0] = along(p0[1], p0[0], p1[1], p1[0], y);
    p[1] = y;
    moved = true;
  }
  return true;
}

}  // namespace

void UQERR(std::int32_t) {}

void UQINIT(std::int32_t op) {
  plotcom.error = 0;
  if (plotcom.suspend != 0) return;
  if (devicehook != nullptr)
    devicehook(op);
  else
    UQMODX(op);
}

void PLOTS(std::int32_t device) {
  plotcom.error = 0;
  plotcom.suspend = 0;
  if (isopen()) {
    UQERR(plterr::reopened);
    PLOTE();
  }
  UQERR(plotcom.preverror);
  plotcom.openmarker = plotopen;
  plotcom.device = device;
  plotcom.xmin = plotcom.ymin = -0.4949F;
  UQINIT(devop::setscale);
  plotcom.xmax = plotcom.devy;  // the device width comes back in the y field
  plotcom.xscale = plotcom.xfactor;
  plotcom.yscale = plotcom.yfactor;
  if (plotcom.error == 0) {
    plotcom.origx = plotcom.origy = 0.0F;
    plotcom.curx = plotcom.cury = 0.0F;
    plotcom.ta = plotcom.xfactor;
    plotcom.tb = plotcom.tc = 0.0F;
    plotcom.td = plotcom.yfactor;
    UPWINDOW(-nowindow, nowindow, -nowindow, nowindow);
    plotcom.penuppending = true;
    plotcom.segment = 0;
  } else {
    UQERR(plotcom.error);
    plotcom.suspend = 1;
  }
}

void PLOTE() {
  if (!isopen()) {
    UQERR(0);
    return;
  }
  if (plotcom.segment != 0) GOSCLS();
  UQINIT(devop::endplot);
  UQERR(plotcom.preverror);
  plotcom.openmarker = plotclosed;
}

void PLOT(float x, float y, std::int32_t pen) {
  plotcom.error = 0;
  if (!isopen()) {
    UQERR(plterr::notopen);
    return;
  }
  if (x == sameas) x = plotcom.curx;
  if (y == sameas) y = plotcom.cury;
  // A point that is not a number is no place: the pen stays where it is
  // and the next line starts afresh.
  if (std::isnan(x) || std::isnan(y)) {
    plotcom.penuppending = true;
    return;
  }
  const std::int32_t apen = pen < 0 ? -pen : pen;
  if (apen != 2) plotcom.penuppending = true;
  if (apen == 2 || pen == 9) {
    float p0[2] = {plotcom.curx, plotcom.cury};
    float p1[2] = {x, y};
    bool invisible = false;
    if (!plotcom.windowoff) {
      const float w[4] = {plotcom.wxmin, plotcom.wxmax, plotcom.wymin, plotcom.wymax};
      UQCUT(p0, p1, w, plotcom.penuppending, invisible);
    }
    if (!invisible) {
      float sx = 0, sy = 0, ex = 0, ey = 0;
      todevice(p0[0], p0[1], sx, sy);
      todevice(p1[0], p1[1], ex, ey);
      if (plotcom.penuppending) {
        devicepoint(sx, sy, 0);
        plotcom.penuppending = false;
      }
      plotcom.devx = ex;
      plotcom.devy = ey;
      plotcom.pen = 1;
      if (pen != 9) UQINIT(devop::pentopoint);
    }
  }
  plotcom.curx = x;
  plotcom.cury = y;
  if (pen <= 0) {
    float dx = 0, dy = 0;
    todevice(x, y, dx, dy);
    plotcom.origx = dx;
    plotcom.origy = dy;
    plotcom.curx = plotcom.cury = 0.0F;
  }
}

void ORIG(float x, float y) {
  plotcom.origx = plotcom.xscale * x;
  plotcom.origy = plotcom.yscale * y;
  plotcom.penuppending = true;
}

void WHEREP(float& x, float& y) {
  x = plotcom.curx;
  y = plotcom.cury;
}

void UPWINDOW(float xmin, float xmax, float ymin, float ymax) {
  plotcom.wxmin = xmin;
  plotcom.wxmax = xmax;
  plotcom.wymin = ymin;
  plotcom.wymax = ymax;
  plotcom.windowoff =
      xmin == -nowindow && xmax == nowindow && ymin == -nowindow && ymax == nowindow;
}

void UQCUT(float p0[2], float p1[2], const float w[4], bool& moved, bool& invisible) {
  if (p0[0] == p1[0] && p0[1] == p1[1]) {
    invisible = p0[0] < w[0] || p0[0] > w[1] || p0[1] < w[2] || p0[1] > w[3];
    return;
  }
  const float a[2] = {p0[0], p0[1]};
  const float b[2] = {p1[0], p1[1]};
  bool unused = false;
  if (!clipend(p0, a, b, w, moved) || !clipend(p1, a, b, w, unused)) {
    invisible = true;
    return;
  }
  invisible = p0[0] == p1[0] && p0[1] == p1[1];
}

void PLTFNC(std::int32_t code, std::int32_t value, std::int32_t& error) {
  plotcom.error = 0;
  plotcom.fcode = code;
  plotcom.fvalue = value;
  UQINIT(devop::penfunction);
  if (plotcom.error != 0) UQERR(plotcom.error);
  error = plotcom.error;
}

void GOSOPN(std::int32_t n) {
  plotcom.error = 0;
  if (plotcom.segment != 0) {
    UQERR(plterr::segmentopen);
    return;
  }
  plotcom.segment = n;
  GOSOPR(n, 1, 0);
}

void GOSCLS() {
  if (plotcom.segment == 0) {
    UQERR(plterr::nosegment);
    return;
  }
  plotcom.segment = 0;
  GOSOPR(0, 2, 0);
}

void GOSOPR(std::int32_t segment, std::int32_t function, std::int32_t value) {
  if (!isopen()) {
    UQERR(plterr::notopen);
    return;
  }
  plotcom.segarg = segment;
  plotcom.fcode = function;
  plotcom.fvalue = value;
  UQINIT(devop::segment);
  if (plotcom.error != 0) UQERR(plotcom.error);
}

void UQCHAR(std::int32_t code, float h, float angle, std::int32_t mode) {
  const float u = h * unitofheight;
  const float theta = angle * degree;
  const float e1[2] = {u * std::cos(theta), u * std::sin(theta)};
  const float e2[2] = {-e1[1], e1[0]};
  float b[2] = {0, 0};
  WHEREP(b[0], b[1]);
  if (mode == -2) {
    b[0] += chargap * e1[0];
    b[1] += chargap * e1[1];
    PLOT(b[0], b[1], 3);
    return;
  }
  float g[2] = {b[0], b[1]};
  if (mode == 1) {
    g[0] = b[0] - 2 * e1[0] - 3 * e2[0];
    g[1] = b[1] - 2 * e1[1] - 3 * e2[1];
    PLOT(g[0], g[1], 3);
  }
  float w = defaultwidth;
  std::int32_t pen = 3;
  if (code != 0) {
    GlyphReader r = glyphreader(code);
    std::int32_t v = 0;
    bool have = UQCHAS(r, v) == 0;
    if (have && v == 5) {
      std::int32_t width = 4;
      if (UQCHAS(r, width) == 0) w = static_cast<float>(width);
      const auto back = static_cast<float>((4 - width) / 2);
      g[0] -= back * e1[0];
      g[1] -= back * e1[1];
      have = UQCHAS(r, v) == 0;
    }
    const float advance = w + chargap;
    if (mode < 0) {
      b[0] -= advance * e1[0];
      b[1] -= advance * e1[1];
      PLOT(b[0], b[1], 3);
      return;
    }
    while (have) {
      if (v == 6) {
        pen = 3;
      } else if (v == 7) {
        std::int32_t k = 0;
        if (UQCHAS(r, k) != 0) break;
        const auto& s = glyphshifts[static_cast<std::size_t>(k & 7)];
        g[0] += s[0] * e1[0] + s[1] * e2[0];
        g[1] += s[0] * e1[1] + s[1] * e2[1];
      } else if (v <= 4) {
        std::int32_t y = 0;
        if (UQCHAS(r, y) != 0) break;
        const auto fx = static_cast<float>(v), fy = static_cast<float>(y);
        PLOT(g[0] + fx * e1[0] + fy * e2[0], g[1] + fx * e1[1] + fy * e2[1], pen);
        pen = 2;
      }
      have = UQCHAS(r, v) == 0;
    }
    if (mode != 1) {
      b[0] += advance * e1[0];
      b[1] += advance * e1[1];
    }
  }
  PLOT(b[0], b[1], 3);
}

void SYMBOL(float x, float y, float height, std::string_view text, float angle, std::int32_t n) {
  PLOT(x, y, n == -2 || n == -4 ? 2 : 3);
  float start[2] = {0, 0};
  WHEREP(start[0], start[1]);
  const float h = height / 10.0F;
  if (!(h > 0.0F)) return;
  if (n < 0) {
    if (text.empty()) return;
    const auto symbol = static_cast<std::int32_t>(static_cast<unsigned char>(text[0]));
    if (n >= -2)
      UQCHAR(symbol, h, angle, 1);
    else
      UQTEXT(x, y, height, text.substr(0, 1), angle, n);
    return;
  }
  const std::int32_t count =
      n == 0 ? 0
             : core::C1LEN_TRIM(
                   text.substr(0, std::min<std::size_t>(text.size(), static_cast<std::size_t>(n))));
  if (count == 0) return;
  const std::string_view t = text.substr(0, static_cast<std::size_t>(count));
  if (angle >= 360.0F) {
    for (const char c : t) UQCHAR(static_cast<unsigned char>(c), h, angle, -1);
    UQCHAR(0, h, angle, -2);
    if (angle < 720.0F) {
      float reached[2] = {0, 0};
      WHEREP(reached[0], reached[1]);
      PLOT((start[0] + reached[0]) / 2.0F, (start[1] + reached[1]) / 2.0F, 3);
    }
  }
  const float direction = std::fmod(angle, 360.0F);
  for (const char c : t) UQCHAR(static_cast<unsigned char>(c), h, direction, 0);
}

}  // namespace plot
