// The figures RWPRINT draws from its options: background brush, frame,
// ellipse or chord, polygons, Bezier curves and polylines of number lists.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <vector>

#include "core/namevalue.h"
#include "plot/backbrush.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/rwpass.h"
#include "toolkit/draw.h"

namespace plot {

namespace {

constexpr std::int32_t palettecolours = 32;
constexpr int hollowstyle = 1;
constexpr std::int32_t defaultpenwidth = 2;
constexpr double pi = 3.14159;
constexpr double radial = 2147483647.0;

bool has(std::string_view options, std::string_view marker) {
  return options.find(marker) != std::string_view::npos;
}

std::int32_t truncate32(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::trunc(std::clamp(v, -2147483647.0, 2147483647.0)));
}

void brush(Pass& p) {
  double v = 0;
  const bool given = itemvalue(p.options, "BC", v);
  const double colour = given ? std::round(v) : -1.0;
  int ups = 0;
  if (given && colour >= 0 && colour < palettecolours) {
    // Inside the pass the brush is made for its target and selected.
    BACKBRUSH(colour);
    return;
  }
  toolkit::NEW_BRUSH(*p.target, nullptr, &hollowstyle, nullptr, &ups);
}

void frame(Pass& p) {
  double v = 0;
  if (!itemvalue(p.options, "RA", v)) return;
  p.figureitem = true;
  std::int32_t w = 1;
  NEWPENCOLSTYLEWIDTH(*p.target, v, w);
  const std::int32_t b = p.height > 0 ? p.area.top + p.height : p.area.bottom;
  const int x1 = p.area.left + w, y1 = p.area.top + w, x2 = p.area.right - w, y2 = b - w;
  int ups = 0;
  toolkit::DRAW_RECTANGLE(*p.target, nullptr, nullptr, nullptr, nullptr, nullptr, &x1, &y1, &x2,
                          &y2, nullptr, nullptr, &ups);
  const std::int32_t h = std::max(1, w / 2);
  p.area = Area{p.area.left + h, p.area.top + h, p.area.right - h, b - h};
  p.at = win::POINT{p.area.left, p.area.top};
}

void ellipse(Pass& p) {
  double v = 0;
  if (!itemvalue(p.options, "EL", v)) return;
  p.figureitem = true;
  std::int32_t w = 1;
  NEWPENCOLSTYLEWIDTH(*p.target, v, w);
  const std::int32_t h = w / 2;
  const auto point = [&](std::string_view item) {
    double a = 0;
    if (!itemvalue(p.options, item, a)) return win::POINT{INT_MAX, 0};
    const double r = -a * pi / 180.0;
    return win::POINT{truncate32(radial * std::sin(r)), truncate32(radial * std::cos(r))};
  };
  const win::POINT s = point("A1"), e = point("A2");
  const int x1 = p.area.left + h, y1 = p.area.top + h, x2 = p.area.right - h,
            y2 = p.area.bottom - h;
  // Radial points are directions from the centre.
  const int cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
  const auto towards = [&](const win::POINT& d) {
    const double len = std::hypot(static_cast<double>(d.x), static_cast<double>(d.y));
    const double scale = len > 0 ? (x2 - x1 + y2 - y1 + 2) / len : 0;
    return win::POINT{cx + truncate32(d.x * scale), cy + truncate32(d.y * scale)};
  };
  const win::POINT ps = towards(s), pe = towards(e);
  int ups = 0;
  toolkit::DRAW_CHORD(*p.target, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      nullptr, &x1, &y1, &x2, &y2, &ps.x, &ps.y, &pe.x, &pe.y, nullptr, nullptr,
                      nullptr, &ups);
}

enum class Shape { polygon, bezier, polyline };

void points(Pass& p) {
  Shape shape = Shape::polyline;
  std::size_t at = p.options.find("PO=");
  if (at != std::string_view::npos) {
    shape = Shape::polygon;
  } else if ((at = p.options.find("BE=")) != std::string_view::npos) {
    shape = Shape::bezier;
  } else if ((at = p.options.find("LI=")) == std::string_view::npos) {
    return;
  }
  p.figureitem = true;
  const PointList list = pointlist(p.options, at + 3);
  std::size_t n = list.numbers.size() / 2;
  if (shape == Shape::bezier) n = n >= 1 ? (n - 1) / 3 * 3 + 1 : 0;
  if (n < 2) return;
  std::int32_t penwidth = defaultpenwidth;
  double fc = 0;
  if (itemvalue(p.options, "FC", fc)) NEWPENCOLSTYLEWIDTH(*p.target, fc, penwidth);
  std::vector<win::POINT> pts(n);
  std::int32_t xlo = INT_MAX, xhi = INT_MIN, ylo = INT_MAX, yhi = INT_MIN;
  for (std::size_t k = 0; k < n; ++k) {
    pts[k] = win::POINT{list.numbers[2 * k], list.numbers[2 * k + 1]};
    xlo = std::min(xlo, pts[k].x);
    xhi = std::max(xhi, pts[k].x);
    ylo = std::min(ylo, pts[k].y);
    yhi = std::max(yhi, pts[k].y);
  }
  const bool cells = has(p.options, "CHA"), pixels = has(p.options, "PXL");
  const FontSlot& f = fontslots(fontslots.valid(p.slot) ? p.slot : 1);
  const std::int64_t cw = std::max<std::int32_t>(1, f.cellwidth);
  const std::int64_t ch = std::max<std::int32_t>(1, f.cellheight);
  for (win::POINT& q : pts) {
    if (cells) {
      const std::int64_t x = p.width > 0 && xhi != xlo
                                 ? std::int64_t{p.width} * q.x / (std::int64_t{xhi} - xlo) + p.left
                                 : q.x * cw - cw / 2 + p.left;
      const std::int64_t y = p.height > 0 && yhi != ylo
                                 ? std::int64_t{p.height} * q.y / (std::int64_t{yhi} - ylo) + p.top
                                 : q.y * ch - ch / 2 + p.top;
      q = win::POINT{truncate32(static_cast<double>(x)), truncate32(static_cast<double>(y))};
    } else if (!pixels) {
      const float sx = xhi != xlo ? static_cast<float>(p.area.right - p.area.left - penwidth) /
                                        static_cast<float>(std::int64_t{xhi} - xlo)
                                  : 1.0F;
      const float sy = yhi != ylo ? static_cast<float>(p.area.bottom - p.area.top - penwidth) /
                                        static_cast<float>(std::int64_t{yhi} - ylo)
                                  : 1.0F;
      q = win::POINT{truncate32(static_cast<float>(std::int64_t{q.x} - xlo) * sx + p.area.left),
                     truncate32(static_cast<float>(std::int64_t{q.y} - ylo) * sy + p.area.top)};
    }
  }
  // The figures between the "^" marks.
  std::vector<std::size_t> bounds;
  for (std::size_t e : list.ends)
    if (e / 2 > 0 && e / 2 < n && (bounds.empty() || e / 2 > bounds.back()))
      bounds.push_back(e / 2);
  bounds.push_back(n);
  std::size_t from = 0;
  for (std::size_t to : bounds) {
    std::vector<int> flat;
    for (std::size_t k = from; k < to; ++k) {
      flat.push_back(pts[k].x);
      flat.push_back(pts[k].y);
    }
    const int count = static_cast<int>(to - from);
    int ups = 0;
    if (count >= 2) {
      if (shape == Shape::polygon)
        toolkit::DRAW_POLYGON(*p.target, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                              flat.data(), count, &ups);
      else if (shape == Shape::bezier && (count - 1) % 3 == 0)
        toolkit::DRAW_POLY_BEZIER(*p.target, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                  flat.data(), count, &ups);
      else if (shape == Shape::polyline)
        toolkit::DRAW_POLYLINE(*p.target, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                               flat.data(), count, &ups);
    }
    from = to;
  }
}

}  // namespace

PointList pointlist(std::string_view text, std::size_t from) {
  PointList out;
  std::size_t k = from;
  for (;;) {
    while (k < text.size() &&
           (text[k] == ' ' || text[k] == ',' || text[k] == ';' || text[k] == '^')) {
      if (text[k] == '^') out.ends.push_back(out.numbers.size());
      ++k;
    }
    if (k >= text.size()) break;
    std::int32_t v = 0;
    std::size_t start = k;
    if (text[start] == '+') ++start;
    const auto r = std::from_chars(text.data() + start, text.data() + text.size(), v);
    if (r.ec != std::errc()) break;
    out.numbers.push_back(v);
    k = static_cast<std::size_t>(r.ptr - text.data());
  }
  return out;
}

bool itemvalue(std::string_view options, std::string_view name, double& value) {
  if (options.empty()) return false;
  std::int32_t vs = 0, ve = 0;
  double v = 0;
  const std::int32_t at = core::ITEMVALUEINSTRING(
      name, ";,", options, static_cast<std::int32_t>(options.size()), vs, ve, v);
  if (at <= 0 || ve < 0) return false;
  value = v;
  return true;
}

void drawfigures(Pass& p) {
  brush(p);
  frame(p);
  ellipse(p);
  points(p);
}

}  // namespace plot
