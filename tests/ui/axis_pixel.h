// The pixel of a point on an axis as the axis engine drew it, computed in
// the test from the axis state: the axis starts 6 label columns and 3 label
// rows into its frame (less a pixel each). And a window's picture read
// back.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "exec/windowlist.h"
#include "exec/windowwords.h"

#include "platform/win_gdi.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/line.h"
#include "plot/plotstate.h"

namespace axispixel {

// The fonts, axes, curves and LINE's state as the program starts them.
inline void resetplots() {
  plot::reset_fontslots();
  plot::reset_plotstate();
  plot::reset_curves();
  plot::reset_line();
}

// The same from the parts: the axis's frame, scales and lengths and the
// rows of its window.
inline win::POINT pixel(const plot::Frame& f, const plot::Scale& sx, const plot::Scale& sy,
                        float xlength, float ylength, int rows, double x, double y) {
  const plot::FontSlot& g = plot::fontslots(5);
  const double left = (f.left + 6) * g.cellwidth - 2.0;
  const double bottom = g.cellheight * (rows - f.bottom - 3) - 1.0;
  const double xlen = xlength * exec::sysmetrics(exec::metric::screenwidth) / 24.5;
  const double ylen = ylength * exec::sysmetrics(exec::metric::screenheight) / 18.45;
  return {static_cast<win::LONG>(
              std::lround(left + (x - sx.minimum) / (sx.maximum - sx.minimum) * xlen)),
          static_cast<win::LONG>(
              std::lround(bottom - (y - sy.minimum) / (sy.maximum - sy.minimum) * ylen))};
}

inline win::POINT pixel(int k, double x, double y) {
  const plot::AxisState& a = plot::axisstate;
  return pixel(a.frame(k), a.scale(plot::xentry(k)), a.scale(plot::yentry(k)),
               a.length(plot::xentry(k)), a.length(plot::yentry(k)), a.rows, x, y);
}

// The window's picture, read back.
struct Pixels {
  int width = 0, height = 0;
  std::vector<win::COLORREF> at;
  win::COLORREF operator()(int x, int y) const {
    return at[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
              static_cast<std::size_t>(x)];
  }
  // The smallest rectangle holding every pixel of the colour (right and
  // bottom exclusive).
  win::RECT box(win::COLORREF c) const {
    win::RECT r{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if ((*this)(x, y) == c) {
          r.left = std::min<win::LONG>(r.left, x);
          r.top = std::min<win::LONG>(r.top, y);
          r.right = std::max<win::LONG>(r.right, x + 1);
          r.bottom = std::max<win::LONG>(r.bottom, y + 1);
        }
    return r;
  }
  // Pixels of the colour on the row from x0 to x1, or on the column.
  int onrow(win::COLORREF c, int y, int x0, int x1) const {
    int n = 0;
    for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) n += (*this)(x, y) == c ? 1 : 0;
    return n;
  }
  int oncolumn(win::COLORREF c, int x, int y0, int y1) const {
    int n = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, height); ++y) n += (*this)(x, y) == c ? 1 : 0;
    return n;
  }
  // Pixels of the colour in the rectangle (right and bottom exclusive).
  int in(win::COLORREF c, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, height); ++y) n += onrow(c, y, x0, x1);
    return n;
  }
};

inline Pixels pixelsof(const exec::wdwrec& r) {
  Pixels p;
  win::BITMAP bm{};
  win::GetObjectA(r.bitmap, sizeof bm, &bm);
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, r.bitmap);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.at.push_back(win::GetPixel(dc, x, y));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return p;
}

}  // namespace axispixel
