// Block transfers with ternary raster operations (BitBlt, StretchBlt,
// PatBlt), rectangle fills (FillRect, FrameRect, InvertRect) and scrolling
// a context's pixels (ScrollDC). Source pixels are read into a copy first,
// so overlapping copies inside one surface come out right either way.
#include <algorithm>
#include <cstdlib>
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

bool pattern_rect(Dc& d, RECT r, const Brush& b, DWORD rop) {
  return transfer(d, r, rop, &b, [](int, int, std::uint32_t& s) {
    s = 0;
    return true;
  });
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
  if (!need_src)
    return transfer(*d, RECT{x, y, x + width, y + height}, rop, brush,
                    [](int, int, std::uint32_t& px) {
                      px = 0;
                      return true;
                    })
               ? TRUE
               : FALSE;
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
