// Block transfers with ternary raster operations (BitBlt, StretchBlt,
// PatBlt), rectangle fills (FillRect, FrameRect, InvertRect) and scrolling
// a context's pixels (ScrollDC). Source pixels are read into a copy first
// (or, for a plain copy of the same size, whole rows in a safe order), so
// overlapping copies inside one surface come out right either way.
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/win_gdi_internal.h"

namespace win {

using namespace detail;

namespace {

bool uses_source(DWORD rop) {
  const unsigned c = (rop >> 16) & 0xFF;
  return ((c >> 2) ^ c) & 0x33;
}

bool uses_pattern(DWORD rop) {
  const unsigned c = (rop >> 16) & 0xFF;
  return ((c >> 4) ^ c) & 0x0F;
}

// The brush as a pattern of a block transfer: a hatch's background is the
// background colour; a hollow brush gives nothing.
bool pattern_pixel(const Dc& d, const Brush& b, int x, int y, std::uint32_t& px) {
  if (brush_pixel(d, b, x, y, px)) return true;
  if (b.style == BS_HATCHED) {
    px = to_pixel(resolve_color(&d, d.bk_color));
    return true;
  }
  return false;
}

RECT intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

bool empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool uses_destination(DWORD rop) {
  const unsigned c = (rop >> 16) & 0xFF;
  return ((c >> 1) ^ c) & 0x55;
}

// Runs `rop` over the logical rectangle `dst` of context `d`: `source(x, y,
// px)` gives the source pixel for a destination pixel (false: leave it).
template <class Source>
bool transfer(Dc& d, RECT dst, DWORD rop, const Brush* brush, Source source) {
  dst = intersect(dst, logical_clip(d));
  if (empty(dst)) return true;
  const bool pat = uses_pattern(rop);
  const int w = dst.right - dst.left, h = dst.bottom - dst.top;
  // The source pixels first (they may lie in the same surface).
  std::vector<std::uint32_t> src(std::size_t(w) * h, 0);
  std::vector<char> have(std::size_t(w) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t s = 0;
      if (source(dst.left + x, dst.top + y, s)) {
        src[std::size_t(y) * w + x] = s;
        have[std::size_t(y) * w + x] = 1;
      }
    }
  auto result = [&](int x, int y, std::uint32_t dval, std::uint32_t& out) {
    const std::size_t i = std::size_t(y - dst.top) * w + (x - dst.left);
    if (!have[i]) return false;
    std::uint32_t p = 0;
    if (pat && (!brush || !pattern_pixel(d, *brush, x, y, p))) return false;
    out = rop == SRCCOPY ? src[i] : rop3_mix(rop, p, src[i], dval);
    return true;
  };
  if (d.raster) {
    PixelView v;
    if (!begin_pixels(d, v)) return false;
    for (int y = dst.top; y < dst.bottom; ++y)
      for (int x = dst.left; x < dst.right; ++x) {
        std::uint32_t& px = v.at(x + d.origin.x, y + d.origin.y);
        std::uint32_t out;
        if (result(x, y, px & 0x00FFFFFF, out)) px = out;
      }
    end_pixels(d, true);
    return true;
  }
  // A printer page: the destination counts as white paper.
  Cover c = make_cover(d, dst);
  for (int y = dst.top; y < dst.bottom; ++y)
    for (int x = dst.left; x < dst.right; ++x) {
      std::uint32_t out;
      if (result(x, y, 0x00FFFFFF, out)) c.set(x, y, out);
    }
  apply_cover(d, c, R2_COPYPEN);
  return true;
}

// The pattern pixel of a transfer onto a printer page: false (nothing
// known) for a hatch, which goes on pixel by pixel; `drawn` false for a
// hollow brush.
bool flat_pattern(DWORD rop, const Brush* brush, std::uint32_t& p, bool& drawn) {
  p = 0;
  drawn = true;
  if (!uses_pattern(rop)) return true;
  if (brush == nullptr || brush->style == BS_NULL) {
    drawn = false;
    return true;
  }
  if (brush->style != BS_SOLID) return false;
  p = to_pixel(brush->color);
  return true;
}

// A transfer without a source onto a printer page, whose paper counts as
// white: one colour over the rectangle. False when it must go on pixel by
// pixel.
bool vector_rect(Dc& d, RECT r, DWORD rop, const Brush* brush) {
  std::uint32_t p = 0;
  bool drawn = true;
  if (rop == PATCOPY && brush != nullptr && brush->style == BS_HATCHED) {
    if (empty(r)) return true;
    VectorPage page(d);
    cairo_rectangle(page.cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    vector_fill(page.cr, d, *brush, ALTERNATE, true);
    return true;
  }
  if (!flat_pattern(rop, brush, p, drawn)) return false;
  if (!drawn || empty(r)) return true;
  if (brush != nullptr && brush->style == BS_SOLID) p = to_pixel(resolve_color(&d, brush->color));
  VectorPage page(d);
  cairo_rectangle(page.cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  vector_colour(page.cr, rop3_mix(rop, p, 0, 0x00FFFFFF) & 0x00FFFFFF);
  cairo_fill(page.cr);
  return true;
}

// A transfer from an image onto a printer page: the source pixels (mixed
// with white paper) become an image of the source's own resolution, scaled
// onto the rectangle.
bool vector_image(Dc& d, RECT dst, DWORD rop, const Brush* brush, Dc& s, RECT src, bool flip_x,
                  bool flip_y) {
  std::uint32_t p = 0;
  bool drawn = true;
  if (!flat_pattern(rop, brush, p, drawn)) return false;
  if (!drawn || empty(dst) || empty(src)) return true;
  if (brush != nullptr && brush->style == BS_SOLID) p = to_pixel(resolve_color(&d, brush->color));
  PixelView sv;
  if (!begin_pixels(s, sv)) return false;
  const int w = src.right - src.left, h = src.bottom - src.top;
  const RECT sclip = logical_clip(s);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(img));
  const int stride = cairo_image_surface_get_stride(img) / 4;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = src.left + x, sy = src.top + y;
      std::uint32_t out = 0;
      if (sx >= sclip.left && sy >= sclip.top && sx < sclip.right && sy < sclip.bottom) {
        const std::uint32_t sp = sv.at(sx + s.origin.x, sy + s.origin.y) & 0x00FFFFFF;
        out = 0xFF000000u | ((rop == SRCCOPY ? sp : rop3_mix(rop, p, sp, 0x00FFFFFF)) & 0x00FFFFFF);
      }
      data[std::size_t(y) * stride + x] = out;
    }
  end_pixels(s, false);
  cairo_surface_mark_dirty(img);
  VectorPage page(d);
  cairo_rectangle(page.cr, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top);
  cairo_clip(page.cr);
  cairo_translate(page.cr, flip_x ? dst.right : dst.left, flip_y ? dst.bottom : dst.top);
  cairo_scale(page.cr, (flip_x ? -1.0 : 1.0) * (dst.right - dst.left) / w,
              (flip_y ? -1.0 : 1.0) * (dst.bottom - dst.top) / h);
  cairo_set_source_surface(page.cr, img, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(page.cr), CAIRO_FILTER_NEAREST);
  cairo_paint(page.cr);
  cairo_surface_destroy(img);
  return true;
}

// A transfer without a source onto raster pixels whose pattern is one
// colour (a solid brush, or none used): row by row, a plain fill when the
// result does not depend on the destination. False when the pattern varies
// (a hatch), which goes on pixel by pixel.
bool flat_raster_rect(Dc& d, RECT r, DWORD rop, const Brush* brush, bool& ok) {
  std::uint32_t p = 0;
  bool drawn = true;
  if (!flat_pattern(rop, brush, p, drawn)) return false;
  ok = true;
  if (!drawn) return true;
  if (uses_pattern(rop)) p = to_pixel(resolve_color(&d, brush->color));
  r = intersect(r, logical_clip(d));
  if (empty(r)) return true;
  PixelView v;
  if (!begin_pixels(d, v)) {
    ok = false;
    return true;
  }
  r = view_rect(d, v, r);
  if (!uses_destination(rop)) {
    fill_view(d, v, r, r, rop3_mix(rop, p, 0, 0));
  } else {
    for (int y = r.top; y < r.bottom; ++y) {
      std::uint32_t* row = &v.at(r.left + d.origin.x, y + d.origin.y);
      for (int x = 0; x < r.right - r.left; ++x) row[x] = rop3_mix(rop, p, 0, row[x] & 0x00FFFFFF);
    }
  }
  end_pixels(d, true);
  return true;
}

bool pattern_rect(Dc& d, RECT r, const Brush& b, DWORD rop) {
  if (!d.raster && vector_rect(d, r, rop, &b)) return true;
  bool ok = true;
  if (d.raster && flat_raster_rect(d, r, rop, &b, ok)) return ok;
  return transfer(d, r, rop, &b, [](int, int, std::uint32_t& s) {
    s = 0;
    return true;
  });
}

// n pixels copied with their colour only (the byte above it cleared),
// four at a time; the rows may overlap (a block moved sideways within its
// surface), so the copy runs away from the side it writes onto.
void copy_colours(std::uint32_t* to, const std::uint32_t* from, int n) {
  using Four = std::uint32_t __attribute__((vector_size(16)));
  constexpr int four = 4;
  const Four mask = {0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x00FFFFFF};
  const auto one = [&](int k) {
    Four q;
    std::memcpy(&q, from + k, sizeof q);
    q &= mask;
    std::memcpy(to + k, &q, sizeof q);
  };
  const int whole = n - n % four;
  if (to <= from || to >= from + n) {
    for (int k = 0; k < whole; k += four) one(k);
    for (int k = whole; k < n; ++k) to[k] = from[k] & 0x00FFFFFF;
  } else {
    for (int k = n - 1; k >= whole; --k) to[k] = from[k] & 0x00FFFFFF;
    for (int k = whole - four; k >= 0; k -= four) one(k);
  }
}

// SRCCOPY of a block of the same size between raster surfaces: whole rows
// moved at once, the rows taken in the order that reads each before it is
// overwritten when source and destination share the surface. Pixels whose
// source lies outside the source's clip stay as they were.
bool copy_rows(Dc& d, Dc& s, int x, int y, int w, int h, int sx, int sy) {
  RECT dst = intersect(RECT{x, y, x + w, y + h}, logical_clip(d));
  const RECT sc = logical_clip(s);
  dst = intersect(dst,
                  RECT{sc.left + x - sx, sc.top + y - sy, sc.right + x - sx, sc.bottom + y - sy});
  if (empty(dst)) return true;
  PixelView sv, dv;
  if (!begin_pixels(s, sv)) return false;
  if (!begin_pixels(d, dv)) return false;
  // Both ends within their surfaces.
  dst =
      intersect(dst, RECT{-d.origin.x, -d.origin.y, dv.width - d.origin.x, dv.height - d.origin.y});
  dst = intersect(dst, RECT{-s.origin.x + x - sx, -s.origin.y + y - sy,
                            sv.width - s.origin.x + x - sx, sv.height - s.origin.y + y - sy});
  if (empty(dst)) return true;
  const int n = dst.right - dst.left, rows = dst.bottom - dst.top;
  const bool bottomup = dv.data == sv.data && y > sy;
  // Within one surface without an alpha byte the pixels move as they are:
  // what lies above their colour is nobody's (a block slid for scrolling).
  const bool asis = dv.data == sv.data && d.surface != nullptr &&
                    cairo_image_surface_get_format(d.surface) == CAIRO_FORMAT_RGB24;
  const int first = bottomup ? dst.bottom - 1 : dst.top;
  std::uint32_t* const to0 = &dv.at(dst.left + d.origin.x, first + d.origin.y);
  const std::uint32_t* const from0 =
      &sv.at(dst.left - x + sx + s.origin.x, first - y + sy + s.origin.y);
  const std::ptrdiff_t tostep = bottomup ? -std::ptrdiff_t(dv.stride) : dv.stride;
  const std::ptrdiff_t fromstep = bottomup ? -std::ptrdiff_t(sv.stride) : sv.stride;
  for (int i = 0; i < rows; ++i) {
    std::uint32_t* to = to0 + i * tostep;
    const std::uint32_t* from = from0 + i * fromstep;
    if (asis)
      std::memmove(to, from, std::size_t(n) * sizeof *to);
    else
      copy_colours(to, from, n);
  }
  end_pixels(d, true);
  return true;
}

// A brush argument: a handle, or COLOR_xxx + 1 for a system colour.
bool brush_arg(HBRUSH h, Brush& b) {
  const std::uint32_t v = handle_value(h);
  if (v >= 1 && v <= 31) {
    b = Brush{};
    b.color = GetSysColor(static_cast<int>(v - 1));
    return true;
  }
  const Brush* p = brush_of(v);
  if (!p) return false;
  b = *p;
  return true;
}

}  // namespace

BOOL StretchBlt(HDC hdst, int x, int y, int width, int height, HDC hsrc, int src_x, int src_y,
                int src_width, int src_height, DWORD rop) {
  Dc* d = dc(hdst);
  if (!d) return FALSE;
  const bool need_src = uses_source(rop);
  Dc* s = need_src ? dc(hsrc) : nullptr;
  if (need_src && (!s || !s->raster)) return FALSE;
  if (width == 0 || height == 0 || (need_src && (src_width == 0 || src_height == 0))) return TRUE;
  // Negative extents mirror; normalise the destination and remember it.
  bool flip_x = (width < 0) != (src_width < 0);
  bool flip_y = (height < 0) != (src_height < 0);
  if (width < 0) {
    x += width + 1;
    width = -width;
  }
  if (height < 0) {
    y += height + 1;
    height = -height;
  }
  if (src_width < 0) {
    src_x += src_width + 1;
    src_width = -src_width;
  }
  if (src_height < 0) {
    src_y += src_height + 1;
    src_height = -src_height;
  }
  const Brush* brush = brush_of(d->brush);
  if (!d->raster) {
    const RECT dst{x, y, x + width, y + height};
    if (!need_src ? vector_rect(*d, dst, rop, brush)
                  : vector_image(*d, dst, rop, brush, *s,
                                 RECT{src_x, src_y, src_x + src_width, src_y + src_height}, flip_x,
                                 flip_y))
      return TRUE;
  }
  bool flat = true;
  if (!need_src && d->raster &&
      flat_raster_rect(*d, RECT{x, y, x + width, y + height}, rop, brush, flat))
    return flat ? TRUE : FALSE;
  if (!need_src)
    return transfer(*d, RECT{x, y, x + width, y + height}, rop, brush,
                    [](int, int, std::uint32_t& px) {
                      px = 0;
                      return true;
                    })
               ? TRUE
               : FALSE;
  if (rop == SRCCOPY && !flip_x && !flip_y && width == src_width && height == src_height)
    return copy_rows(*d, *s, x, y, width, height, src_x, src_y) ? TRUE : FALSE;
  PixelView sv;
  if (!begin_pixels(*s, sv)) return FALSE;
  const RECT sclip = logical_clip(*s);
  const bool ok = transfer(
      *d, RECT{x, y, x + width, y + height}, rop, brush, [&](int dx, int dy, std::uint32_t& px) {
        long long ox = dx - x, oy = dy - y;
        if (flip_x) ox = width - 1 - ox;
        if (flip_y) oy = height - 1 - oy;
        const int sx = src_x + static_cast<int>((ox * src_width) / width);
        const int sy = src_y + static_cast<int>((oy * src_height) / height);
        if (sx < sclip.left || sy < sclip.top || sx >= sclip.right || sy >= sclip.bottom)
          return false;
        px = sv.at(sx + s->origin.x, sy + s->origin.y) & 0x00FFFFFF;
        return true;
      });
  end_pixels(*s, false);
  return ok ? TRUE : FALSE;
}

BOOL BitBlt(HDC hdst, int x, int y, int width, int height, HDC hsrc, int src_x, int src_y,
            DWORD rop) {
  return StretchBlt(hdst, x, y, width, height, hsrc, src_x, src_y, width, height, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  if (uses_source(rop)) return FALSE;
  return StretchBlt(hdc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
  Dc* d = dc(hdc);
  Brush b;
  if (!d || !rect || !brush_arg(hbrush, b)) return 0;
  return pattern_rect(*d, *rect, b, PATCOPY) ? 1 : 0;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH hbrush) {
  Dc* d = dc(hdc);
  Brush b;
  if (!d || !rect || !brush_arg(hbrush, b)) return 0;
  const RECT& r = *rect;
  if (r.right <= r.left || r.bottom <= r.top) return 1;
  pattern_rect(*d, RECT{r.left, r.top, r.right, r.top + 1}, b, PATCOPY);
  pattern_rect(*d, RECT{r.left, r.bottom - 1, r.right, r.bottom}, b, PATCOPY);
  pattern_rect(*d, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, b, PATCOPY);
  pattern_rect(*d, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, b, PATCOPY);
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rect) {
  Dc* d = dc(hdc);
  if (!d || !rect) return FALSE;
  return pattern_rect(*d, *rect, Brush{}, DSTINVERT) ? TRUE : FALSE;
}

BOOL ScrollDC(HDC hdc, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update_region,
              RECT* update) {
  (void)update_region;  // the uncovered part is reported as a rectangle
  Dc* d = dc(hdc);
  if (!d || !d->raster) return FALSE;
  const RECT whole = logical_clip(*d);
  RECT area = scroll ? intersect(*scroll, whole) : whole;
  if (clip) area = intersect(area, *clip);
  const RECT moved =
      intersect(RECT{area.left + dx, area.top + dy, area.right + dx, area.bottom + dy}, area);
  if (!empty(moved)) {
    PixelView v;
    if (!begin_pixels(*d, v)) return FALSE;
    transfer(*d, moved, SRCCOPY, nullptr, [&](int x, int y, std::uint32_t& px) {
      px = v.at(x - dx + d->origin.x, y - dy + d->origin.y) & 0x00FFFFFF;
      return true;
    });
    end_pixels(*d, true);
  }
  if (update) {
    if (empty(moved) || empty(area)) {
      *update = empty(area) ? RECT{} : area;
    } else {
      // The strips the move uncovered, as one rectangle around them.
      RECT u{area.right, area.bottom, area.left, area.top};
      auto add = [&](const RECT& r) {
        if (empty(r)) return;
        u.left = std::min(u.left, r.left);
        u.top = std::min(u.top, r.top);
        u.right = std::max(u.right, r.right);
        u.bottom = std::max(u.bottom, r.bottom);
      };
      if (dy > 0) add(RECT{area.left, area.top, area.right, moved.top});
      if (dy < 0) add(RECT{area.left, moved.bottom, area.right, area.bottom});
      if (dx > 0) add(RECT{area.left, area.top, moved.left, area.bottom});
      if (dx < 0) add(RECT{moved.right, area.top, area.right, area.bottom});
      *update = empty(u) ? RECT{} : u;
    }
  }
  return TRUE;
}

}  // namespace win
