// Solid wide pens: a polyline stroked as the union of convex pieces (a
// rectangle along each segment, reaching half the width on past a square
// end; a disc, bevel or miter at each join; a disc at each round end), each
// filled span by span straight into the cover. A pixel is covered when its centre lies inside the stroke, rows
// and columns half open as in the polygon fill, so that a line w pixels
// wide covers w rows or columns.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/win_gdi_internal.h"

namespace win::detail {

namespace {

// Miter joins longer than this many half widths are bevelled.
constexpr double kMiterLimit = 10.0;

struct Vec {
  double x, y;
};

// The least integer not below v, for v within the range of int (the
// library's ceil is a call on the plain instruction set).
int up(double v) {
  const int i = static_cast<int>(v);
  return i < v ? i + 1 : i;
}

// One side of a convex polygon, from its top corner down, corner by corner
// in steps of `step` (1 or n - 1).
struct Side {
  const Vec* v;
  int n, at_corner, step;
  int next = -1;
  double slope = 0;
  // The side's x at row y, which lies below the top corner and above the
  // bottom one; rows come in increasing order.
  double at(double y) {
    if (next < 0 || y >= v[next].y) {
      if (next < 0) next = (at_corner + step) % n;
      while (y >= v[next].y) {
        at_corner = next;
        next = (next + step) % n;
      }
      slope = (v[next].x - v[at_corner].x) / (v[next].y - v[at_corner].y);
    }
    return v[at_corner].x + (y - v[at_corner].y) * slope;
  }
};

class WideStroke {
 public:
  WideStroke(Cover& c, int width, std::uint32_t pixel)
      : c_(c), r_(width / 2.0), ink_(0x01000000u | pixel) {
    // The disc of the pen's width about a pixel centre, as spans of
    // offsets, one a row.
    const int top = static_cast<int>(std::ceil(-r_));
    const int bottom = static_cast<int>(std::ceil(r_));
    disc_top_ = top;
    for (int dy = top; dy < bottom; ++dy) {
      const double h = std::sqrt(std::max(0.0, r_ * r_ - double(dy) * dy));
      disc_.push_back({static_cast<int>(std::ceil(-h)), static_cast<int>(std::ceil(h))});
    }
  }

  // Pixels [xb, xe) of row y, clipped to the cover.
  void span(long long y, double xb, double xe) {
    if (y < c_.y0 || y >= c_.y0 + c_.h) return;
    const double left = c_.x0, right = double(c_.x0) + c_.w;
    const int lo = up(std::clamp(xb, left, right));
    const int hi = up(std::clamp(xe, left, right));
    if (lo >= hi) return;
    std::uint32_t* row = c_.px.data() + std::size_t(y - c_.y0) * c_.w - c_.x0;
    std::fill(row + lo, row + hi, ink_);
  }

  // The pen's disc about p, the rows within the cover.
  void disc(POINT p) {
    const long long top = static_cast<long long>(p.y) + disc_top_;
    const long long size = static_cast<long long>(disc_.size());
    const long long from = std::max(0LL, c_.y0 - top);
    const long long to = std::min(size, c_.y0 + c_.h - top);
    for (long long i = from; i < to; ++i) {
      const auto& d = disc_[static_cast<std::size_t>(i)];
      span(top + i, double(p.x) + d.first, double(p.x) + d.second);
    }
  }

  // A convex polygon: the rows between its top and bottom corners, each
  // from one side to the other, the two sides walked down from the top.
  void convex(const Vec* v, int n) {
    int top = 0, bottom = 0;
    for (int i = 1; i < n; ++i) {
      if (v[i].y < v[top].y) top = i;
      if (v[i].y > v[bottom].y) bottom = i;
    }
    const double ylo = c_.y0, yhi = double(c_.y0) + c_.h;
    const int first = up(std::clamp(v[top].y, ylo, yhi));
    const int end = up(std::clamp(v[bottom].y, ylo, yhi));
    if (first >= end) return;
    Side a{v, n, top, 1}, b{v, n, top, n - 1};
    for (int y = first; y < end; ++y) {
      const double xa = a.at(y), xb = b.at(y);
      span(y, std::min(xa, xb), std::max(xa, xb));
    }
  }

  // The rectangle along a to b (unit direction d), reaching `ea` back from
  // a and `eb` on from b.
  void segment(POINT a, POINT b, Vec d, double ea, double eb) {
    const Vec n{-d.y * r_, d.x * r_};
    const double ax = a.x - d.x * ea, ay = a.y - d.y * ea;
    const double bx = b.x + d.x * eb, by = b.y + d.y * eb;
    const Vec q[4] = {
        {ax + n.x, ay + n.y}, {bx + n.x, by + n.y}, {bx - n.x, by - n.y}, {ax - n.x, ay - n.y}};
    convex(q, 4);
  }

  // The join at p of a segment along d1 with one along d2.
  void join(POINT p, Vec d1, Vec d2, int kind) {
    if (kind != PS_JOIN_BEVEL && kind != PS_JOIN_MITER) {
      disc(p);
      return;
    }
    const double cross = d1.x * d2.y - d1.y * d2.x;
    const double dot = d1.x * d2.x + d1.y * d2.y;
    if (cross == 0 && dot > 0) return;  // straight on
    // The outer side, away from the turn.
    const double s = cross > 0 ? -r_ : r_;
    const Vec o1{p.x - d1.y * s, p.y + d1.x * s};
    const Vec o2{p.x - d2.y * s, p.y + d2.x * s};
    const Vec c{double(p.x), double(p.y)};
    if (kind == PS_JOIN_MITER && 2.0 <= kMiterLimit * kMiterLimit * (1.0 + dot)) {
      const double k = s / (1.0 + dot);
      const Vec tip{p.x - (d1.y + d2.y) * k, p.y + (d1.x + d2.x) * k};
      const Vec q[4] = {c, o1, tip, o2};
      convex(q, 4);
    } else {
      const Vec q[3] = {c, o1, o2};
      convex(q, 3);
    }
  }

  double radius() const { return r_; }

 private:
  Cover& c_;
  double r_;
  std::uint32_t ink_;
  int disc_top_ = 0;
  std::vector<std::pair<int, int>> disc_;
};

Vec direction(POINT a, POINT b) {
  const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
  const double len = std::hypot(dx, dy);
  return Vec{dx / len, dy / len};
}

// Whether any part of the piece around a to b (reaching m past both ends)
// can touch the cover.
bool near_cover(const Cover& c, POINT a, POINT b, double m) {
  return std::min<double>(a.x, b.x) - m < c.x0 + c.w && std::max<double>(a.x, b.x) + m >= c.x0 &&
         std::min<double>(a.y, b.y) - m < c.y0 + c.h && std::max<double>(a.y, b.y) + m >= c.y0;
}

}  // namespace

void raster_wide_line(Cover& c, const std::vector<POINT>& given, bool closed, int width, int cap,
                      int join, std::uint32_t pixel) {
  if (c.empty() || given.empty()) return;
  // Repeated points make no segment and no join.
  std::vector<POINT> pts;
  pts.reserve(given.size());
  for (const POINT& p : given)
    if (pts.empty() || p.x != pts.back().x || p.y != pts.back().y) pts.push_back(p);
  if (closed && pts.size() > 1 && pts.back().x == pts.front().x && pts.back().y == pts.front().y)
    pts.pop_back();
  WideStroke w(c, std::max(1, width), pixel);
  if (pts.size() == 1) {
    // A lone point is a dot with round ends; square or flat ends have no
    // direction to stand in.
    if (cap != PS_ENDCAP_FLAT && cap != PS_ENDCAP_SQUARE) w.disc(pts[0]);
    return;
  }
  const std::size_t n = pts.size();
  const std::size_t segments = closed ? n : n - 1;
  // Beyond the pen's reach nothing is drawn: a square cap or a miter
  // reaches farthest.
  const double reach = w.radius() * kMiterLimit + 1;
  const double square = cap == PS_ENDCAP_SQUARE ? w.radius() : 0.0;
  Vec before{0, 0};
  for (std::size_t i = 0; i < segments; ++i) {
    const POINT a = pts[i], b = pts[(i + 1) % n];
    const Vec d = direction(a, b);
    if (near_cover(c, a, b, reach)) {
      const bool start = !closed && i == 0, end = !closed && i + 1 == segments;
      w.segment(a, b, d, start ? square : 0.0, end ? square : 0.0);
      if (i > 0) w.join(a, before, d, join);
      if (cap != PS_ENDCAP_FLAT && cap != PS_ENDCAP_SQUARE) {
        if (start) w.disc(a);
        if (end) w.disc(b);
      }
    }
    before = d;
  }
  if (closed && near_cover(c, pts[0], pts[0], reach))
    w.join(pts[0], before, direction(pts[0], pts[1]), join);
}

}  // namespace win::detail
