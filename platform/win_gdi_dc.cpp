// Device contexts: memory contexts, contexts over window surfaces and over
// any Cairo surface, their drawing state, object selection, device
// capabilities, and the way every drawing reaches the pixels.
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/surface_seam.h"
#include "platform/win_gdi_internal.h"

namespace win::detail {

namespace {

void select_defaults(Dc& d) {
  d.pen = stock_handle(BLACK_PEN);
  d.brush = stock_handle(WHITE_BRUSH);
  d.font = stock_handle(SYSTEM_FONT);
  d.palette = stock_handle(DEFAULT_PALETTE);
  hold_object(d.pen);
  hold_object(d.brush);
  hold_object(d.font);
  hold_object(d.palette);
}

void set_surface(Dc& d, cairo_surface_t* s) {
  if (s) cairo_surface_reference(s);
  if (d.surface) cairo_surface_destroy(d.surface);
  d.surface = s;
  d.raster = s && cairo_surface_get_type(s) == CAIRO_SURFACE_TYPE_IMAGE;
}

void drop_dc(HDC hdc) {
  Dc* d = dc(hdc);
  if (!d) return;
  if (d->bitmap) {
    if (Bitmap* b = bitmap_of(d->bitmap)) {
      if (b->selected_in == handle_value(hdc)) b->selected_in = 0;
    }
    release_object(d->bitmap);
  }
  release_object(d->pen);
  release_object(d->brush);
  release_object(d->font);
  release_object(d->palette);
  if (d->surface) cairo_surface_flush(d->surface);
  remove_dc(hdc);
}

bool memory_bitmap_needs_sync(const Dc& d, Bitmap** out) {
  if (d.type != DcType::memory || !d.bitmap) return false;
  Bitmap* b = bitmap_of(d.bitmap);
  if (!b || !b->dib_section || b->direct) return false;
  *out = b;
  return true;
}

}  // namespace

RECT logical_clip(const Dc& d) {
  return RECT{d.clip.left - d.origin.x, d.clip.top - d.origin.y, d.clip.right - d.origin.x,
              d.clip.bottom - d.origin.y};
}

Cover make_cover(const Dc& d, RECT box) {
  const RECT c = logical_clip(d);
  Cover cv;
  cv.x0 = std::max(box.left, c.left);
  cv.y0 = std::max(box.top, c.top);
  cv.w = std::min(box.right, c.right) - cv.x0;
  cv.h = std::min(box.bottom, c.bottom) - cv.y0;
  if (cv.w <= 0 || cv.h <= 0) {
    cv.w = cv.h = 0;
    return cv;
  }
  cv.px.assign(std::size_t(cv.w) * cv.h, 0);
  return cv;
}

bool begin_pixels(Dc& d, PixelView& v) {
  if (!d.raster || !d.surface) return false;
  Bitmap* b = nullptr;
  if (memory_bitmap_needs_sync(d, &b)) dib_sync_in(*b);
  cairo_surface_flush(d.surface);
  v.data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(d.surface));
  v.stride = cairo_image_surface_get_stride(d.surface) / 4;
  v.width = cairo_image_surface_get_width(d.surface);
  v.height = cairo_image_surface_get_height(d.surface);
  return v.data != nullptr;
}

void end_pixels(Dc& d, bool changed) {
  if (!changed || !d.surface) return;
  cairo_surface_mark_dirty(d.surface);
  Bitmap* b = nullptr;
  if (memory_bitmap_needs_sync(d, &b)) dib_sync_out(*b);
}

RECT view_rect(const Dc& d, const PixelView& v, RECT r) {
  const RECT c = logical_clip(d);
  r.left = std::max({r.left, c.left, LONG{-d.origin.x}});
  r.top = std::max({r.top, c.top, LONG{-d.origin.y}});
  r.right = std::min({r.right, c.right, LONG{v.width - d.origin.x}});
  r.bottom = std::min({r.bottom, c.bottom, LONG{v.height - d.origin.y}});
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

void fill_view(const Dc& d, PixelView& v, RECT r, const RECT& reach, std::uint32_t pixel) {
  r.left = std::max(r.left, reach.left);
  r.top = std::max(r.top, reach.top);
  r.right = std::min(r.right, reach.right);
  r.bottom = std::min(r.bottom, reach.bottom);
  if (r.right <= r.left || r.bottom <= r.top) return;
  // The first row pixel by pixel for a few, then copied onto itself in
  // doubling pieces; every other row a copy of the first (copies move many
  // pixels a step, a loop one).
  const std::size_t n = static_cast<std::size_t>(r.right - r.left);
  std::uint32_t* first = &v.at(r.left + d.origin.x, r.top + d.origin.y);
  constexpr std::size_t kSeed = 16;
  std::fill_n(first, std::min(n, kSeed), pixel & 0x00FFFFFF);
  for (std::size_t done = kSeed; done < n; done *= 2)
    std::memcpy(first + done, first, std::min(done, n - done) * sizeof *first);
  for (LONG y = r.top + 1; y < r.bottom; ++y)
    std::memcpy(&v.at(r.left + d.origin.x, y + d.origin.y), first, n * sizeof *first);
}

void apply_cover(Dc& d, const Cover& c, int rop2) {
  if (c.empty() || rop2 == R2_NOP) return;
  if (d.raster) {
    PixelView v;
    if (!begin_pixels(d, v)) return;
    for (int y = 0; y < c.h; ++y) {
      const int sy = c.y0 + y + d.origin.y;
      for (int x = 0; x < c.w; ++x) {
        const std::uint32_t p = c.px[std::size_t(y) * c.w + x];
        if (!p) continue;
        std::uint32_t& dst = v.at(c.x0 + x + d.origin.x, sy);
        dst = rop2 == R2_COPYPEN ? (p & 0x00FFFFFF) : rop2_mix(rop2, p, dst);
      }
    }
    end_pixels(d, true);
    return;
  }
  // Another surface (a printer page): the pixels go on as an image at the
  // device's resolution; mix modes other than copying do not apply.
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, c.w, c.h);
  auto* data = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(img));
  const int stride = cairo_image_surface_get_stride(img) / 4;
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      const std::uint32_t p = c.px[std::size_t(y) * c.w + x];
      data[std::size_t(y) * stride + x] = p ? (0xFF000000u | (p & 0x00FFFFFF)) : 0;
    }
  cairo_surface_mark_dirty(img);
  cairo_t* cr = cairo_create(d.surface);
  cairo_scale(cr, d.unit_x, d.unit_y);
  cairo_set_source_surface(cr, img, c.x0 + d.origin.x, c.y0 + d.origin.y);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(img);
}

bool brush_pixel(const Dc& d, const Brush& b, int x, int y, std::uint32_t& pixel) {
  switch (b.style) {
    case BS_SOLID:
      pixel = to_pixel(resolve_color(&d, b.color));
      return true;
    case BS_HATCHED: {
      const int hx = ((x - d.brush_org.x) % 8 + 8) % 8;
      const int hy = ((y - d.brush_org.y) % 8 + 8) % 8;
      bool on = false;
      switch (b.hatch) {
        case HS_HORIZONTAL:
          on = hy == 0;
          break;
        case HS_VERTICAL:
          on = hx == 0;
          break;
        case HS_FDIAGONAL:
          on = hx == hy;
          break;
        case HS_BDIAGONAL:
          on = hx == 7 - hy;
          break;
        case HS_CROSS:
          on = hx == 0 || hy == 0;
          break;
        default:
          on = hx == hy || hx == 7 - hy;
          break;
      }
      if (on) {
        pixel = to_pixel(resolve_color(&d, b.color));
        return true;
      }
      if (d.bk_mode == OPAQUE) {
        pixel = to_pixel(resolve_color(&d, d.bk_color));
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

}  // namespace win::detail

namespace win::seam {

using namespace win::detail;

HDC make_surface_dc(cairo_surface_t* surface, int origin_x, int origin_y, const RECT& clip,
                    HWND owner) {
  if (!surface) return nullptr;
  auto d = std::make_unique<Dc>();
  d->type = DcType::window;
  set_surface(*d, surface);
  d->origin = POINT{origin_x, origin_y};
  d->clip = clip;
  if (d->raster) {
    d->clip.left = std::max(d->clip.left, 0);
    d->clip.top = std::max(d->clip.top, 0);
    d->clip.right = std::min<LONG>(d->clip.right, cairo_image_surface_get_width(surface));
    d->clip.bottom = std::min<LONG>(d->clip.bottom, cairo_image_surface_get_height(surface));
  }
  d->owner = owner;
  d->info = plat::gdi_screen;
  select_defaults(*d);
  return add_dc(std::move(d));
}

void free_surface_dc(HDC hdc) { drop_dc(hdc); }

}  // namespace win::seam

namespace plat {

using namespace win::detail;

win::HDC make_device_dc(cairo_surface_t* surface, double unit, const DeviceInfo& info) {
  if (!surface || unit <= 0) return nullptr;
  auto d = std::make_unique<Dc>();
  d->type = DcType::device;
  set_surface(*d, surface);
  d->unit_x = unit;
  d->unit_y = info.dpi_y > 0 ? unit * info.dpi_x / info.dpi_y : unit;
  d->info = info;
  d->clip = win::RECT{0, 0, info.width, info.height};
  if (d->raster) {
    d->clip.right = std::min<win::LONG>(d->clip.right, cairo_image_surface_get_width(surface));
    d->clip.bottom = std::min<win::LONG>(d->clip.bottom, cairo_image_surface_get_height(surface));
  }
  select_defaults(*d);
  return add_dc(std::move(d));
}

cairo_surface_t* dc_surface(win::HDC hdc, win::POINT* origin) {
  Dc* d = dc(hdc);
  if (!d) return nullptr;
  if (origin) *origin = d->origin;
  win::detail::PixelView v;
  if (win::detail::begin_pixels(*d, v)) win::detail::end_pixels(*d, false);
  return d->surface;
}

cairo_surface_t* bitmap_surface(win::HBITMAP bitmap) {
  Bitmap* b = bitmap_of(win::handle_value(bitmap));
  if (!b) return nullptr;
  if (b->dib_section && !b->direct) dib_sync_in(*b);
  return b->surface;
}

}  // namespace plat

namespace win {

using namespace detail;

HDC CreateCompatibleDC(HDC hdc) {
  auto d = std::make_unique<Dc>();
  d->type = DcType::memory;
  if (Dc* base = dc(hdc)) {
    d->info = base->info;
  } else if (hdc) {
    return nullptr;
  } else {
    d->info = plat::gdi_screen;
  }
  select_defaults(*d);
  d->bitmap = default_bitmap_handle();
  hold_object(d->bitmap);
  Bitmap* b = bitmap_of(d->bitmap);
  set_surface(*d, b->surface);
  d->clip = RECT{0, 0, b->width, b->height};
  return add_dc(std::move(d));
}

BOOL DeleteDC(HDC hdc) {
  if (!dc(hdc)) return FALSE;
  drop_dc(hdc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  Dc* d = dc(hdc);
  if (!d) return 0;
  const plat::DeviceInfo& i = d->info;
  switch (index) {
    case DRIVERVERSION:
      return 0x4000;
    case TECHNOLOGY:
      return i.technology;
    case HORZSIZE:
      return MulDiv(i.width, 254, i.dpi_x * 10);
    case VERTSIZE:
      return MulDiv(i.height, 254, i.dpi_y * 10);
    case HORZRES:
      return i.width;
    case VERTRES:
      return i.height;
    case BITSPIXEL:
      return 32;
    case PLANES:
      return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
      return -1;
    case NUMFONTS:
      return 0;
    case RASTERCAPS:
      return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY:
      return 36;
    case ASPECTXY:
      return 51;
    case LOGPIXELSX:
      return i.dpi_x;
    case LOGPIXELSY:
      return i.dpi_y;
    case SIZEPALETTE:
      return 0;
    case NUMRESERVED:
      return 20;
    case COLORRES:
      return 24;
    case PHYSICALWIDTH:
      return i.physical_width;
    case PHYSICALHEIGHT:
      return i.physical_height;
    case PHYSICALOFFSETX:
      return i.offset_x;
    case PHYSICALOFFSETY:
      return i.offset_y;
    default:
      return 0;
  }
}

HWND WindowFromDC(HDC hdc) {
  Dc* d = dc(hdc);
  return d ? d->owner : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, GdiObjectRef ref) {
  Dc* d = dc(hdc);
  Object* o = object(ref.value);
  if (!d || !o) return nullptr;
  std::uint32_t* slot = nullptr;
  switch (o->kind) {
    case Kind::pen:
      slot = &d->pen;
      break;
    case Kind::brush:
      slot = &d->brush;
      break;
    case Kind::font:
      slot = &d->font;
      break;
    case Kind::palette:
      return nullptr;  // palettes go through SelectPalette
    case Kind::bitmap: {
      if (d->type != DcType::memory) return nullptr;
      Bitmap& b = std::get<Bitmap>(o->v);
      const std::uint32_t me = handle_value(hdc);
      if (!o->stock && b.selected_in != 0 && b.selected_in != me) return nullptr;
      const std::uint32_t old = d->bitmap;
      if (old == ref.value) return handle_from<HGDIOBJ>(old);
      if (Bitmap* ob = bitmap_of(old)) {
        if (ob->selected_in == me) ob->selected_in = 0;
      }
      if (!o->stock) b.selected_in = me;
      hold_object(ref.value);
      d->bitmap = ref.value;
      set_surface(*d, b.surface);
      d->clip = RECT{0, 0, b.width, b.height};
      release_object(old);
      return handle_from<HGDIOBJ>(old);
    }
  }
  const std::uint32_t old = *slot;
  hold_object(ref.value);
  *slot = ref.value;
  release_object(old);
  return handle_from<HGDIOBJ>(old);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  Dc* d = dc(hdc);
  if (!d) return nullptr;
  switch (type) {
    case OBJ_PEN:
    case OBJ_EXTPEN:
      return handle_from<HGDIOBJ>(d->pen);
    case OBJ_BRUSH:
      return handle_from<HGDIOBJ>(d->brush);
    case OBJ_FONT:
      return handle_from<HGDIOBJ>(d->font);
    case OBJ_PAL:
      return handle_from<HGDIOBJ>(d->palette);
    case OBJ_BITMAP:
      return d->bitmap ? handle_from<HGDIOBJ>(d->bitmap) : nullptr;
    default:
      return nullptr;
  }
}

int GetClipBox(HDC hdc, RECT* rect) {
  Dc* d = dc(hdc);
  if (!d || !rect) return 0;
  *rect = logical_clip(*d);
  if (rect->right <= rect->left || rect->bottom <= rect->top) {
    *rect = RECT{};
    return NULLREGION;
  }
  return SIMPLEREGION;
}

#define OSTREL_DC_FIELD(Set, Get, Type, field, bad) \
  Type Set(HDC hdc, Type value) {                   \
    Dc* d = dc(hdc);                                \
    if (!d) return bad;                             \
    const Type old = d->field;                      \
    d->field = value;                               \
    return old;                                     \
  }                                                 \
  Type Get(HDC hdc) {                               \
    Dc* d = dc(hdc);                                \
    return d ? d->field : bad;                      \
  }
OSTREL_DC_FIELD(SetBkColor, GetBkColor, COLORREF, bk_color, CLR_INVALID)
OSTREL_DC_FIELD(SetTextColor, GetTextColor, COLORREF, text_color, CLR_INVALID)
OSTREL_DC_FIELD(SetTextAlign, GetTextAlign, UINT, align, GDI_ERROR)
#undef OSTREL_DC_FIELD

namespace {
int set_mode(HDC hdc, int Dc::*field, int value, int lo, int hi) {
  Dc* d = dc(hdc);
  if (!d || value < lo || value > hi) return 0;
  const int old = d->*field;
  d->*field = value;
  return old;
}
int get_mode(HDC hdc, int Dc::*field) {
  Dc* d = dc(hdc);
  return d ? d->*field : 0;
}
}  // namespace

int SetBkMode(HDC hdc, int mode) { return set_mode(hdc, &Dc::bk_mode, mode, 1, 2); }
int GetBkMode(HDC hdc) { return get_mode(hdc, &Dc::bk_mode); }
int SetROP2(HDC hdc, int mode) { return set_mode(hdc, &Dc::rop2, mode, 1, 16); }
int GetROP2(HDC hdc) { return get_mode(hdc, &Dc::rop2); }
int SetPolyFillMode(HDC hdc, int mode) { return set_mode(hdc, &Dc::fill_mode, mode, 1, 2); }
int GetPolyFillMode(HDC hdc) { return get_mode(hdc, &Dc::fill_mode); }
int SetStretchBltMode(HDC hdc, int mode) { return set_mode(hdc, &Dc::stretch_mode, mode, 1, 4); }
int GetStretchBltMode(HDC hdc) { return get_mode(hdc, &Dc::stretch_mode); }

BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old) {
  Dc* d = dc(hdc);
  if (!d) return FALSE;
  if (old) *old = d->brush_org;
  d->brush_org = POINT{x, y};
  return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
  Dc* d = dc(hdc);
  if (!d) return FALSE;
  if (old) *old = d->cp;
  d->cp = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* pos) {
  Dc* d = dc(hdc);
  if (!d || !pos) return FALSE;
  *pos = d->cp;
  return TRUE;
}

}  // namespace win
