// Lines and shapes with the current pen, brush and mix mode, and single
// pixels. One-pixel pens are rasterised here (a line leaves out its end
// point; rectangles and ellipses leave out their right and bottom edges);
// wide solid pens on lines and polygons by the platform's own stroke
// (win_gdi_wide.cpp); curves, styled geometric pens and wide outlines of
// boxes are stroked by Cairo into a mask. Each figure is
// gathered into one cover first, so that every pixel is mixed once.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi_segments.h"
#include "platform/win_gdi_internal.h"

namespace win {

using namespace detail;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Figure {
  Dc* d = nullptr;
  Pen pen;
  Brush brush;
  bool has_pen = false;
  std::uint32_t pen_px = 0;
};

bool start(HDC hdc, Figure& f) {
  f.d = dc(hdc);
  if (!f.d) return false;
  const Pen* p = pen_of(f.d->pen);
  const Brush* b = brush_of(f.d->brush);
  if (p) f.pen = *p;
  if (b) f.brush = *b;
  if (!b) f.brush.style = BS_NULL;
  f.has_pen = p && p->style != PS_NULL;
  f.pen_px = to_pixel(resolve_color(f.d, f.pen.color));
  return true;
}

// A coordinate sum kept within range.
LONG sat(long long v) {
  return static_cast<LONG>(std::clamp<long long>(v, -0x7FFFFFFFLL - 1, 0x7FFFFFFFLL));
}

RECT bounds(const std::vector<POINT>& pts, int margin) {
  RECT r{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
  for (const POINT& p : pts) {
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  }
  return RECT{sat(r.left - 0LL - margin), sat(r.top - 0LL - margin), sat(r.right + 1LL + margin),
              sat(r.bottom + 1LL + margin)};
}

// How far a pen reaches past the points: a miter up to five widths (ten
// half widths, where a sharper corner is bevelled).
int pen_margin(const Figure& f) {
  if (!f.pen.geometric) return 1;
  return (f.pen.join == PS_JOIN_MITER ? 5 : 1) * f.pen.width + 2;
}

// Strokes a Cairo path with the figure's wide pen.
template <class Path>
void stroke_path(Figure& f, Cover& c, Path&& path) {
  raster_cairo(
      c,
      [&](cairo_t* cr) {
        path(cr);
        set_pen_stroke(cr, f.pen);
        cairo_stroke(cr);
      },
      [&](int x, int y) { c.set(x, y, f.pen_px); });
}

// Fills a Cairo path with the figure's brush, below what the pen drew.
template <class Path>
void fill_path(Figure& f, Cover& c, Path&& path) {
  raster_cairo(
      c,
      [&](cairo_t* cr) {
        path(cr);
        cairo_fill(cr);
      },
      [&](int x, int y) {
        std::uint32_t px;
        if (brush_pixel(*f.d, f.brush, x, y, px)) c.set_if_empty(x, y, px);
      });
}

// A figure on a printer page: its path filled with the brush (when
// `filled`) and stroked with the pen.
template <class Path>
void vector_figure(Figure& f, Path&& path, bool filled, int fill_mode) {
  VectorPage page(*f.d);
  path(page.cr);
  if (filled) vector_fill(page.cr, *f.d, f.brush, fill_mode);
  if (f.has_pen) vector_stroke(page.cr, *f.d, f.pen);
}

// The path through the centres of a polyline's pixels.
void polyline_path(cairo_t* cr, const std::vector<POINT>& pts, bool closed) {
  cairo_move_to(cr, pts[0].x + 0.5, pts[0].y + 0.5);
  for (std::size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].x + 0.5, pts[i].y + 0.5);
  if (closed) cairo_close_path(cr);
}

// A rectangle from (x0, y0) to (x1, y1) whose corners are quarters of an
// ellipse cw x ch (none when `square`).
void box_path(cairo_t* cr, double x0, double y0, double x1, double y1, double cw, double ch,
              bool square) {
  if (square) {
    cairo_rectangle(cr, x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0));
    return;
  }
  const double rx = std::min(cw / 2.0, (x1 - x0) / 2), ry = std::min(ch / 2.0, (y1 - y0) / 2);
  cairo_new_sub_path(cr);
  const double cx[4] = {x1 - rx, x1 - rx, x0 + rx, x0 + rx};
  const double cy[4] = {y0 + ry, y1 - ry, y1 - ry, y0 + ry};
  for (int k = 0; k < 4; ++k) {
    cairo_save(cr);
    cairo_translate(cr, cx[k], cy[k]);
    cairo_scale(cr, std::max(rx, 1e-3), std::max(ry, 1e-3));
    cairo_arc(cr, 0, 0, 1, (k + 3) * kPi / 2, (k + 4) * kPi / 2);
    cairo_restore(cr);
  }
  cairo_close_path(cr);
}

// The pen's part of an open or closed polyline.
void stroke_polyline(Figure& f, Cover& c, const std::vector<POINT>& pts, bool closed) {
  if (!f.has_pen || pts.empty()) return;
  if (!f.pen.geometric) {
    const std::uint32_t gap = to_pixel(resolve_color(f.d, f.d->bk_color));
    const std::uint32_t* g = f.d->bk_mode == OPAQUE ? &gap : nullptr;
    int phase = 0;
    for (std::size_t i = 0; i + 1 < pts.size(); ++i)
      raster_line(c, pts[i], pts[i + 1], f.pen_px, g, f.pen.style, &phase);
    if (closed && pts.size() > 1)
      raster_line(c, pts.back(), pts.front(), f.pen_px, g, f.pen.style, &phase);
    return;
  }
  if ((f.pen.style < PS_DASH || f.pen.style > PS_DASHDOTDOT)) {
    raster_wide_line(c, pts, closed, f.pen.width, f.pen.cap, f.pen.join, f.pen_px);
    return;
  }
  stroke_path(f, c, [&](cairo_t* cr) { polyline_path(cr, pts, closed); });
}

void fill_span(Figure& f, Cover& c, int y, int xb, int xe) {
  xb = std::max(xb, c.x0);
  xe = std::min(xe, c.x0 + c.w);
  std::uint32_t px;
  for (int x = xb; x < xe; ++x)
    if (brush_pixel(*f.d, f.brush, x, y, px)) c.set_if_empty(x, y, px);
}

// The pixels of a line along a row or a column with a solid one-pixel pen
// copied onto raster pixels: those from `first` to `last` along it (the
// end point left out) at `at` across it, within the clip.
struct Run {
  bool row = true;
  LONG at = 0;
  long long first = 0, last = -1;
};

// False when the line is not of that kind; an empty run when none of it
// shows.
bool straight_run(const Figure& f, POINT a, POINT b, Run& run) {
  const Dc& d = *f.d;
  if (!d.raster || f.pen.geometric || f.pen.style != PS_SOLID || d.rop2 != R2_COPYPEN ||
      (a.x != b.x && a.y != b.y))
    return false;
  run = Run{};
  const bool row = a.y == b.y;
  const long long from = row ? a.x : a.y, to = row ? b.x : b.y;
  if (from == to) return true;
  long long first = from, last = to - 1;
  if (from > to) {
    first = to + 1;
    last = from;
  }
  const RECT c = logical_clip(d);
  const LONG at = row ? a.y : a.x;
  if (at < (row ? c.top : c.left) || at >= (row ? c.bottom : c.right)) return true;
  run.row = row;
  run.at = at;
  run.first = std::max<long long>(first, row ? c.left : c.top);
  run.last = std::min<long long>(last, (row ? c.right : c.bottom) - 1LL);
  return true;
}

void put_run(const Figure& f, PixelView& v, const Run& run) {
  const Dc& d = *f.d;
  const std::uint32_t px = f.pen_px & 0x00FFFFFF;
  if (run.first > run.last) return;
  if (run.row) {
    std::fill_n(&v.at(static_cast<int>(run.first) + d.origin.x, run.at + d.origin.y),
                run.last - run.first + 1, px);
    return;
  }
  for (long long i = run.first; i <= run.last; ++i)
    v.at(run.at + d.origin.x, static_cast<int>(i) + d.origin.y) = px;
}

// A line along a row or a column with a solid one-pixel pen copied onto
// raster pixels: its pixels (the end point left out) written in place.
// False when the line is not of that kind.
bool straight_line(Figure& f, POINT a, POINT b) {
  Run run;
  if (!straight_run(f, a, b, run)) return false;
  if (run.first > run.last) return true;
  PixelView v;
  if (!begin_pixels(*f.d, v)) return false;
  put_run(f, v, run);
  end_pixels(*f.d, true);
  return true;
}

bool draw_polyline(Figure& f, const std::vector<POINT>& pts) {
  if (!f.has_pen || pts.size() < 2) return true;
  if (pts.size() == 2 && straight_line(f, pts[0], pts[1])) return true;
  if (!f.d->raster) {
    vector_figure(
        f, [&](cairo_t* cr) { polyline_path(cr, pts, false); }, false, ALTERNATE);
    return true;
  }
  Cover c = make_cover(*f.d, bounds(pts, pen_margin(f)));
  stroke_polyline(f, c, pts, false);
  apply_cover(*f.d, c, f.d->rop2);
  return true;
}

bool draw_polyline(HDC hdc, const std::vector<POINT>& pts) {
  Figure f;
  return start(hdc, f) && draw_polyline(f, pts);
}

// Points of a cubic Bezier curve from p0 to p3 on the pixel grid, without p0.
void flatten_bezier(POINT p0, POINT p1, POINT p2, POINT p3, std::vector<POINT>& out) {
  const double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                     std::hypot(p3.x - p2.x, p3.y - p2.y);
  const int n = static_cast<int>(std::clamp(std::ceil(len / 3), 2.0, 20000.0));
  for (int i = 1; i <= n; ++i) {
    const double t = double(i) / n, u = 1 - t;
    const double x =
        u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
    const double y =
        u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
    const POINT p{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(y))};
    if (out.empty() || out.back().x != p.x || out.back().y != p.y) out.push_back(p);
  }
}

bool draw_bezier(HDC hdc, const std::vector<POINT>& pts) {
  Figure f;
  if (!start(hdc, f)) return false;
  if (pts.size() < 4 || (pts.size() - 1) % 3 != 0) return false;
  if (!f.has_pen) return true;
  auto curve = [&](cairo_t* cr) {
    cairo_move_to(cr, pts[0].x + 0.5, pts[0].y + 0.5);
    for (std::size_t i = 1; i + 2 < pts.size(); i += 3)
      cairo_curve_to(cr, pts[i].x + 0.5, pts[i].y + 0.5, pts[i + 1].x + 0.5, pts[i + 1].y + 0.5,
                     pts[i + 2].x + 0.5, pts[i + 2].y + 0.5);
  };
  if (!f.d->raster) {
    vector_figure(f, curve, false, ALTERNATE);
    return true;
  }
  Cover c = make_cover(*f.d, bounds(pts, pen_margin(f)));
  if (f.pen.geometric) {
    stroke_path(f, c, curve);
  } else {
    std::vector<POINT> line{pts[0]};
    for (std::size_t i = 0; i + 3 < pts.size(); i += 3)
      flatten_bezier(pts[i], pts[i + 1], pts[i + 2], pts[i + 3], line);
    stroke_polyline(f, c, line, false);
  }
  apply_cover(*f.d, c, f.d->rop2);
  return true;
}

// Row spans of a rectangle with rounded corners (corner ellipse cw x ch)
// covering pixels [l, r) x [t, b): pixel centres inside the outline.
struct Spans {
  int top = 0;
  std::vector<int> lo, hi;  // inclusive; lo > hi for an empty row
  bool in(int x, int y) const {
    const int i = y - top;
    return i >= 0 && i < int(lo.size()) && x >= lo[i] && x <= hi[i];
  }
};

Spans round_rect_spans(int l, int t, int r, int b, double cw, double ch, int row_lo, int row_hi) {
  Spans s;
  const int y_first = std::max(t, row_lo), y_last = std::min(b, row_hi);
  s.top = y_first;
  cw = std::clamp(cw, 0.0, double(r) - l);
  ch = std::clamp(ch, 0.0, double(b) - t);
  const double A = cw / 2.0, B = ch / 2.0;
  for (int y = y_first; y < y_last; ++y) {
    const double yc = y + 0.5;
    double dy = 0;
    if (yc < t + B)
      dy = t + B - yc;
    else if (yc > b - B)
      dy = yc - (b - B);
    double hw = A;
    if (B > 0 && dy > 0) hw = A * std::sqrt(std::max(0.0, 1 - (dy / B) * (dy / B)));
    const double lo = l + A - hw, hi = r - A + hw;
    int xl = static_cast<int>(std::ceil(lo - 0.5));
    int xr = static_cast<int>(std::floor(hi - 0.5));
    if (xl > xr) {
      // Keep the middle so that the figure reaches all four sides.
      xl = static_cast<int>(std::floor((double(l) + r - 1) / 2));
      xr = static_cast<int>(std::ceil((double(l) + r - 1) / 2));
    }
    s.lo.push_back(xl);
    s.hi.push_back(xr);
  }
  return s;
}

// The pen outline and brush interior of a figure given by spans.
void paint_spans(Figure& f, Cover& c, const Spans& s, bool outline) {
  for (std::size_t i = 0; i < s.lo.size(); ++i) {
    const int y = s.top + static_cast<int>(i);
    if (y < c.y0 || y >= c.y0 + c.h) continue;
    const int x_end = std::min(s.hi[i], c.x0 + c.w - 1);
    for (int x = std::max(s.lo[i], c.x0); x <= x_end; ++x) {
      const bool edge =
          outline && (!s.in(x - 1, y) || !s.in(x + 1, y) || !s.in(x, y - 1) || !s.in(x, y + 1));
      if (edge) {
        c.set(x, y, f.pen_px);
      } else {
        std::uint32_t px;
        if (brush_pixel(*f.d, f.brush, x, y, px)) c.set_if_empty(x, y, px);
      }
    }
  }
}

void normalize(int& l, int& t, int& r, int& b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
}

// Rectangle, RoundRect and Ellipse: corner ellipse cw x ch (0 for square
// corners, the whole box for an ellipse).
bool draw_box(HDC hdc, int l, int t, int r, int b, double cw, double ch, bool ellipse) {
  Figure f;
  if (!start(hdc, f)) return false;
  normalize(l, t, r, b);
  if (r == l || b == t) return true;
  if (!f.has_pen) {
    // Without a pen the figure is one pixel smaller each way.
    --r;
    --b;
  }
  if (r <= l || b <= t) return true;
  if (ellipse) {
    cw = double(r) - l;
    ch = double(b) - t;
  }
  if (!f.d->raster) {
    // Through the border pixels' centres with a pen, around the pixels
    // without one.
    const double in =
        f.has_pen ? 0.5 + (f.pen.style == PS_INSIDEFRAME ? (f.pen.width - 1) / 2.0 : 0) : 0;
    const bool plain = cw <= 1 || ch <= 1;
    vector_figure(
        f, [&](cairo_t* cr) { box_path(cr, l + in, t + in, r - in, b - in, cw, ch, plain); }, true,
        ALTERNATE);
    return true;
  }
  const int m = f.has_pen && f.pen.geometric ? f.pen.width + 2 : 0;
  Cover c = make_cover(*f.d, RECT{sat(l - m), sat(t - m), sat(r + 0LL + m), sat(b + 0LL + m)});
  const bool square = cw <= 1 || ch <= 1;
  if (f.has_pen && f.pen.geometric) {
    // A wide pen is centred on the outline through the border pixels, or
    // kept inside the box with PS_INSIDEFRAME.
    const double in = f.pen.style == PS_INSIDEFRAME ? (f.pen.width - 1) / 2.0 : 0;
    const double x0 = l + 0.5 + in, y0 = t + 0.5 + in, x1 = r - 0.5 - in, y1 = b - 0.5 - in;
    auto path = [&](cairo_t* cr) { box_path(cr, x0, y0, x1, y1, cw, ch, square); };
    stroke_path(f, c, path);
    fill_path(f, c, path);
  } else if (square && f.has_pen && f.pen.style != PS_SOLID && f.pen.style != PS_INSIDEFRAME) {
    // A styled border follows its pattern around the rectangle.
    const std::vector<POINT> border{{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}};
    if (r - 1 == l || b - 1 == t) {
      const RECT k{std::max(l, c.x0), std::max(t, c.y0), std::min(r, c.x0 + c.w),
                   std::min(b, c.y0 + c.h)};
      for (int y = k.top; y < k.bottom; ++y)
        for (int x = k.left; x < k.right; ++x) c.set(x, y, f.pen_px);
    } else {
      stroke_polyline(f, c, border, true);
    }
    const int y_end = std::min(b - 1, c.y0 + c.h);
    for (int y = std::max(t + 1, c.y0); y < y_end; ++y) fill_span(f, c, y, l + 1, r - 1);
  } else {
    paint_spans(
        f, c,
        round_rect_spans(l, t, r, b, square ? 0 : cw, square ? 0 : ch, c.y0 - 1, c.y0 + c.h + 1),
        f.has_pen);
  }
  apply_cover(*f.d, c, f.d->rop2);
  return true;
}

}  // namespace

BOOL LineTo(HDC hdc, int x, int y) {
  Dc* d = dc(hdc);
  if (!d) return FALSE;
  const POINT from = d->cp;
  d->cp = POINT{x, y};
  // A line along a row or a column goes on without a list of points.
  Figure f;
  if (!start(hdc, f)) return FALSE;
  if (!f.has_pen || straight_line(f, from, POINT{x, y})) return TRUE;
  return draw_polyline(f, {from, POINT{x, y}}) ? TRUE : FALSE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  if (!dc(hdc) || !points || count < 2) return FALSE;
  return draw_polyline(hdc, std::vector<POINT>(points, points + count)) ? TRUE : FALSE;
}

BOOL PolylineTo(HDC hdc, const POINT* points, DWORD count) {
  Dc* d = dc(hdc);
  if (!d || !points || count < 1) return FALSE;
  std::vector<POINT> pts{d->cp};
  pts.insert(pts.end(), points, points + count);
  d->cp = points[count - 1];
  return draw_polyline(hdc, pts) ? TRUE : FALSE;
}

BOOL PolyBezier(HDC hdc, const POINT* points, DWORD count) {
  if (!dc(hdc) || !points) return FALSE;
  return draw_bezier(hdc, std::vector<POINT>(points, points + count)) ? TRUE : FALSE;
}

BOOL PolyBezierTo(HDC hdc, const POINT* points, DWORD count) {
  Dc* d = dc(hdc);
  if (!d || !points || count < 3 || count % 3 != 0) return FALSE;
  std::vector<POINT> pts{d->cp};
  pts.insert(pts.end(), points, points + count);
  if (!draw_bezier(hdc, pts)) return FALSE;
  d->cp = points[count - 1];
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
  Figure f;
  if (!start(hdc, f) || !points || count < 2) return FALSE;
  const std::vector<POINT> pts(points, points + count);
  if (!f.d->raster) {
    vector_figure(
        f, [&](cairo_t* cr) { polyline_path(cr, pts, true); }, true, f.d->fill_mode);
    return TRUE;
  }
  Cover c = make_cover(*f.d, bounds(pts, pen_margin(f)));
  stroke_polyline(f, c, pts, true);
  raster_polygon(pts, f.d->fill_mode, c.y0, c.y0 + c.h,
                 [&](int y, int xb, int xe) { fill_span(f, c, y, xb, xe); });
  apply_cover(*f.d, c, f.d->rop2);
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return draw_box(hdc, left, top, right, bottom, 0, 0, false) ? TRUE : FALSE;
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int corner_width,
               int corner_height) {
  return draw_box(hdc, left, top, right, bottom, std::abs(corner_width), std::abs(corner_height),
                  false)
             ? TRUE
             : FALSE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return draw_box(hdc, left, top, right, bottom, 0, 0, true) ? TRUE : FALSE;
}

BOOL Chord(HDC hdc, int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  Figure f;
  if (!start(hdc, f)) return FALSE;
  int l = left, t = top, r = right, b = bottom;
  normalize(l, t, r, b);
  if (double(r) - l < 2 || double(b) - t < 2) return TRUE;
  // The ellipse through the centres of the box's border pixels; the arc runs
  // counter-clockwise from the radial through (x1, y1) to that through
  // (x2, y2) and the chord closes it.
  const double cx = (double(l) + r - 1) / 2, cy = (double(t) + b - 1) / 2;
  const double a = (double(r) - l - 1) / 2, bb = (double(b) - t - 1) / 2;
  const double p1 = std::atan2(-(y1 - cy) / bb, (x1 - cx) / a);
  double p2 = std::atan2(-(y2 - cy) / bb, (x2 - cx) / a);
  if (p2 <= p1) p2 += 2 * kPi;
  const double sweep = p2 - p1;
  const double in = f.has_pen && f.pen.style == PS_INSIDEFRAME ? (f.pen.width - 1) / 2.0 : 0;
  auto path = [&](cairo_t* cr) {
    cairo_save(cr);
    cairo_translate(cr, cx + 0.5, cy + 0.5);
    cairo_scale(cr, std::max(a - in, 1e-3), std::max(bb - in, 1e-3));
    cairo_arc_negative(cr, 0, 0, 1, -p1, -p2);
    cairo_close_path(cr);
    cairo_restore(cr);
  };
  if (!f.d->raster) {
    vector_figure(f, path, true, ALTERNATE);
    return TRUE;
  }
  const int m = pen_margin(f);
  Cover c = make_cover(*f.d, RECT{sat(l - m), sat(t - m), sat(r + 0LL + m), sat(b + 0LL + m)});
  if (f.has_pen && f.pen.geometric) {
    stroke_path(f, c, path);
    fill_path(f, c, path);
  } else {
    std::vector<POINT> pts;
    const int n =
        static_cast<int>(std::clamp(std::ceil(sweep * std::max(a, bb) / 1.5), 8.0, 20000.0));
    for (int k = 0; k <= n; ++k) {
      const double p = p1 + sweep * k / n;
      const POINT q{static_cast<LONG>(std::lround(cx + a * std::cos(p))),
                    static_cast<LONG>(std::lround(cy - bb * std::sin(p)))};
      if (pts.empty() || pts.back().x != q.x || pts.back().y != q.y) pts.push_back(q);
    }
    if (pts.size() > 1 && pts.back().x == pts.front().x && pts.back().y == pts.front().y)
      pts.pop_back();
    stroke_polyline(f, c, pts, true);
    raster_polygon(pts, ALTERNATE, c.y0, c.y0 + c.h,
                   [&](int y, int xb, int xe) { fill_span(f, c, y, xb, xe); });
  }
  apply_cover(*f.d, c, f.d->rop2);
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Dc* d = dc(hdc);
  if (!d) return CLR_INVALID;
  Cover c = make_cover(*d, RECT{x, y, x + 1, y + 1});
  if (c.empty()) return CLR_INVALID;
  const COLORREF rgb = resolve_color(d, color);
  c.set(x, y, to_pixel(rgb));
  apply_cover(*d, c, R2_COPYPEN);
  return rgb;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) {
  return SetPixel(hdc, x, y, color) == CLR_INVALID ? FALSE : TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Dc* d = dc(hdc);
  if (!d) return CLR_INVALID;
  const RECT c = logical_clip(*d);
  if (x < c.left || y < c.top || x >= c.right || y >= c.bottom) return CLR_INVALID;
  PixelView v;
  if (!begin_pixels(*d, v)) return CLR_INVALID;
  const std::uint32_t p = v.at(x + d->origin.x, y + d->origin.y);
  end_pixels(*d, false);
  return to_colorref(p & 0x00FFFFFF);
}

}  // namespace win

namespace plat {

bool draw_segments(win::HDC hdc, const win::POINT* ends, std::size_t segments) {
  using namespace win;
  if (!detail::dc(hdc) || (!ends && segments > 0)) return false;
  Figure f;
  if (!start(hdc, f)) return false;
  if (!f.has_pen) return true;
  // Lines along rows or columns, as many a grid has, are written with the
  // pixels opened once.
  std::vector<Run> runs(segments);
  bool straight = true;
  for (std::size_t i = 0; straight && i < segments; ++i)
    straight = straight_run(f, ends[2 * i], ends[2 * i + 1], runs[i]);
  PixelView v;
  if (straight && begin_pixels(*f.d, v)) {
    for (const Run& run : runs) put_run(f, v, run);
    end_pixels(*f.d, true);
    return true;
  }
  bool ok = true;
  for (std::size_t i = 0; i < segments; ++i)
    ok = draw_polyline(f, {ends[2 * i], ends[2 * i + 1]}) && ok;
  return ok;
}

}  // namespace plat
