// Rasterisers shared by the figures: one-pixel lines with the classic style
// patterns, polygon scanline fill, and Cairo masks (antialiasing off) for
// wide pens and curves.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/win_gdi_internal.h"

namespace win::detail {

namespace {

// Dash patterns of the cosmetic pens in pixels, on first.
struct Pattern {
  int n;
  int len[6];
};
const Pattern patterns[5] = {
    {1, {1}},                 // solid
    {2, {18, 6}},             // dash
    {2, {3, 3}},              // dot
    {4, {9, 6, 3, 6}},        // dash dot
    {6, {9, 3, 3, 3, 3, 3}},  // dash dot dot
};

}  // namespace

int cosmetic_dashes(int style, double dashes[6]) {
  if (style <= PS_SOLID || style > PS_DASHDOTDOT) return 0;
  const Pattern& p = patterns[style];
  for (int i = 0; i < p.n; ++i) dashes[i] = p.len[i];
  return p.n;
}

bool style_on(int style, int phase) {
  if (style <= PS_SOLID || style > PS_DASHDOTDOT) return true;
  const Pattern& p = patterns[style];
  int period = 0;
  for (int i = 0; i < p.n; ++i) period += p.len[i];
  int k = phase % period;
  for (int i = 0; i < p.n; ++i) {
    if (k < p.len[i]) return (i % 2) == 0;
    k -= p.len[i];
  }
  return true;
}

void raster_line(Cover& c, POINT a, POINT b, std::uint32_t pixel, const std::uint32_t* gap,
                 int style, int* phase) {
  const long long dx = std::llabs(static_cast<long long>(b.x) - a.x);
  const long long dy = std::llabs(static_cast<long long>(b.y) - a.y);
  const int sx = b.x > a.x ? 1 : -1, sy = b.y > a.y ? 1 : -1;
  const long long steps = std::max(dx, dy);
  const bool x_major = dx >= dy;
  const long long major = x_major ? dx : dy, minor = x_major ? dy : dx;
  const long long e0 = major / 2;
  // Only the steps whose major coordinate lies in the cover are walked, so
  // a line far longer than the surface costs no more than a short one.
  const long long m0 = x_major ? a.x : a.y;
  const int ms = x_major ? sx : sy;
  const long long lo = x_major ? c.x0 : c.y0, hi = lo + (x_major ? c.w : c.h) - 1;
  long long first = 0, last = steps - 1;
  if (ms > 0) {
    first = std::max(first, lo - m0);
    last = std::min(last, hi - m0);
  } else {
    first = std::max(first, m0 - hi);
    last = std::min(last, m0 - lo);
  }
  const int base = phase ? *phase : 0;
  // Every pattern repeats within 24 pixels.
  if (phase) *phase = static_cast<int>((base + steps) % 24);
  if (c.empty() || first > last) return;
  // The minor coordinate and error term after `first` steps.
  long long k = 0;
  if (first * minor > e0) k = (first * minor - e0 + major - 1) / major;
  long long err = e0 - first * minor + k * major;
  long long x = a.x, y = a.y;
  if (x_major) {
    x += sx * first;
    y += sy * k;
  } else {
    y += sy * first;
    x += sx * k;
  }
  for (long long i = first; i <= last; ++i) {
    const int ph = static_cast<int>((base + i) % 24);
    if (style_on(style, ph))
      c.set(static_cast<int>(x), static_cast<int>(y), pixel);
    else if (gap)
      c.set(static_cast<int>(x), static_cast<int>(y), *gap);
    if (x_major) {
      x += sx;
      err -= minor;
      if (err < 0) {
        y += sy;
        err += major;
      }
    } else {
      y += sy;
      err -= minor;
      if (err < 0) {
        x += sx;
        err += major;
      }
    }
  }
}

void raster_polygon(const std::vector<POINT>& pts, int fill_mode, int row_lo, int row_hi,
                    const std::function<void(int, int, int)>& span) {
  if (pts.size() < 3) return;
  int ymin = pts[0].y, ymax = pts[0].y;
  for (const POINT& p : pts) {
    ymin = std::min<int>(ymin, p.y);
    ymax = std::max<int>(ymax, p.y);
  }
  struct Cross {
    double x;
    int dir;
  };
  std::vector<Cross> xs;
  const std::size_t n = pts.size();
  for (int y = std::max(ymin, row_lo); y < std::min(ymax, row_hi); ++y) {
    const double yc = y + 0.5;
    xs.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const POINT& p = pts[i];
      const POINT& q = pts[(i + 1) % n];
      if (p.y == q.y) continue;
      const double y0 = std::min(p.y, q.y), y1 = std::max(p.y, q.y);
      if (yc < y0 || yc >= y1) continue;
      const double x = p.x + (yc - p.y) * double(q.x - p.x) / double(q.y - p.y);
      xs.push_back({x, q.y > p.y ? 1 : -1});
    }
    std::sort(xs.begin(), xs.end(), [](const Cross& l, const Cross& r) { return l.x < r.x; });
    int wind = 0;
    for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
      wind += xs[i].dir;
      const bool inside = fill_mode == WINDING ? wind != 0 : (i % 2) == 0;
      if (!inside) continue;
      const int xb = static_cast<int>(std::ceil(xs[i].x - 0.5));
      const int xe = static_cast<int>(std::ceil(xs[i + 1].x - 0.5));
      if (xe > xb) span(y, xb, xe);
    }
  }
}

void raster_cairo(const Cover& c, const std::function<void(cairo_t*)>& draw,
                  const std::function<void(int, int)>& on, bool glyphs) {
  if (c.empty()) return;
  // Glyphs without antialiasing are one-bit images, which Pixman lays onto
  // 32-bit pixels on a fast path (onto an A8 mask only by its general one,
  // several times slower); the coverage is then the pixels' alpha.
  cairo_surface_t* mask =
      cairo_image_surface_create(glyphs ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_A8, c.w, c.h);
  cairo_t* cr = cairo_create(mask);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_translate(cr, -c.x0, -c.y0);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(mask);
  const unsigned char* data = cairo_image_surface_get_data(mask);
  const int stride = cairo_image_surface_get_stride(mask);
  for (int y = 0; y < c.h; ++y) {
    const unsigned char* row = data + std::size_t(y) * stride;
    for (int x = 0; x < c.w; ++x) {
      const unsigned alpha = glyphs ? reinterpret_cast<const std::uint32_t*>(row)[x] >> 24 : row[x];
      if (alpha >= 128) on(c.x0 + x, c.y0 + y);
    }
  }
  cairo_surface_destroy(mask);
}

void set_pen_stroke(cairo_t* cr, const Pen& p) {
  cairo_set_line_width(cr, std::max(1, p.width));
  switch (p.cap) {
    case PS_ENDCAP_SQUARE:
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
      break;
    case PS_ENDCAP_FLAT:
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
      break;
    default:
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      break;
  }
  switch (p.join) {
    case PS_JOIN_BEVEL:
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
      break;
    case PS_JOIN_MITER:
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
      break;
    default:
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      break;
  }
  if (p.style >= PS_DASH && p.style <= PS_DASHDOTDOT) {
    // The cosmetic patterns in units of the pen's width (dash 3, gap 1).
    const Pattern& pat = patterns[p.style];
    double d[6];
    for (int i = 0; i < pat.n; ++i) d[i] = pat.len[i] / 6.0 * 2.0 * std::max(1, p.width);
    if (p.style == PS_DOT) d[0] = d[1] = std::max(1, p.width);
    cairo_set_dash(cr, d, pat.n, 0);
  }
}

}  // namespace win::detail
