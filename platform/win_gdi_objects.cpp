// The GDI object and context tables, stock objects, pens, brushes, palettes,
// system colours, and the generic object calls (SelectObject, DeleteObject,
// GetObjectA, GetObjectType).
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/win_gdi_internal.h"

namespace plat {
DeviceInfo gdi_screen;
}

namespace win::detail {
namespace {

// Slots 0 .. 17 hold the stock objects by index, slot 18 the 1 x 1 bitmap of
// new memory contexts, slots 19 .. 49 the system-colour brushes.
constexpr int kDefaultBitmapSlot = kStockCount;
constexpr int kSysBrushSlot = kStockCount + 1;
constexpr int kSysColorCount = 31;
constexpr int kReservedSlots = kSysBrushSlot + kSysColorCount;

std::vector<std::unique_ptr<Object>> objects;
std::deque<std::uint32_t> free_slots;
std::vector<std::unique_ptr<Dc>> dcs;
std::deque<std::uint32_t> free_dc_slots;

// The classic system colours.
const COLORREF sys_colors[kSysColorCount] = {
    RGB(192, 192, 192),  // scroll bar
    RGB(0, 128, 128),    // desktop
    RGB(0, 0, 128),      // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(192, 192, 192),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(192, 192, 192),  // active border
    RGB(192, 192, 192),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(0, 0, 128),      // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(192, 192, 192),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(192, 192, 192),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(0, 0, 0),        // 3-D dark shadow
    RGB(223, 223, 223),  // 3-D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
    RGB(181, 181, 181),  // (unused)
    RGB(0, 0, 255),      // hot-tracked item
    RGB(16, 132, 208),   // active caption gradient
    RGB(181, 181, 181),  // inactive caption gradient
    RGB(0, 0, 128),      // highlighted menu item
    RGB(192, 192, 192),  // menu bar
};

// The twenty static colours of the default palette: system palette entries
// 0 - 9 and 246 - 255.
const PALETTEENTRY static_colors[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},
    {0, 0, 128, 0},     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0},
    {192, 220, 192, 0}, {166, 202, 240, 0}, {255, 251, 240, 0}, {160, 160, 164, 0},
    {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
    {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};

void free_object_storage(Object& o) {
  if (auto* b = std::get_if<Bitmap>(&o.v)) {
    if (b->surface) cairo_surface_destroy(b->surface);
    b->surface = nullptr;
  }
}

void free_slot(std::uint32_t handle) {
  const std::uint32_t slot = handle - kObjectBase;
  free_object_storage(*objects[slot]);
  objects[slot].reset();
  free_slots.push_back(slot);
}

void put_reserved(int slot, Object o) {
  o.stock = true;
  objects[slot] = std::make_unique<Object>(std::move(o));
}

Object make_pen(int style, COLORREF color) {
  Object o;
  o.kind = Kind::pen;
  Pen p;
  p.style = style;
  p.color = color;
  o.v = p;
  return o;
}

Object make_brush(UINT style, COLORREF color) {
  Object o;
  o.kind = Kind::brush;
  Brush b;
  b.style = style;
  b.color = color;
  o.v = b;
  return o;
}

Object make_font(const char* face, int height, int weight, BYTE pitch_family, BYTE charset) {
  Object o;
  o.kind = Kind::font;
  Font f;
  f.lf.lfHeight = height;
  f.lf.lfWeight = weight;
  f.lf.lfPitchAndFamily = pitch_family;
  f.lf.lfCharSet = charset;
  std::strncpy(f.lf.lfFaceName, face, LF_FACESIZE - 1);
  o.v = std::move(f);
  return o;
}

void build_stock() {
  objects.clear();
  free_slots.clear();
  objects.resize(kReservedSlots);
  put_reserved(WHITE_BRUSH, make_brush(BS_SOLID, RGB(255, 255, 255)));
  put_reserved(LTGRAY_BRUSH, make_brush(BS_SOLID, RGB(192, 192, 192)));
  put_reserved(GRAY_BRUSH, make_brush(BS_SOLID, RGB(128, 128, 128)));
  put_reserved(DKGRAY_BRUSH, make_brush(BS_SOLID, RGB(64, 64, 64)));
  put_reserved(BLACK_BRUSH, make_brush(BS_SOLID, RGB(0, 0, 0)));
  put_reserved(NULL_BRUSH, make_brush(BS_NULL, 0));
  put_reserved(WHITE_PEN, make_pen(PS_SOLID, RGB(255, 255, 255)));
  put_reserved(BLACK_PEN, make_pen(PS_SOLID, RGB(0, 0, 0)));
  put_reserved(NULL_PEN, make_pen(PS_NULL, 0));
  put_reserved(OEM_FIXED_FONT,
               make_font("Terminal", 12, FW_NORMAL, FIXED_PITCH | FF_MODERN, OEM_CHARSET));
  put_reserved(ANSI_FIXED_FONT,
               make_font("Courier", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN, ANSI_CHARSET));
  put_reserved(ANSI_VAR_FONT,
               make_font("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, ANSI_CHARSET));
  put_reserved(SYSTEM_FONT,
               make_font("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, ANSI_CHARSET));
  put_reserved(DEVICE_DEFAULT_FONT,
               make_font("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, ANSI_CHARSET));
  Object pal;
  pal.kind = Kind::palette;
  pal.v = Palette{std::vector<PALETTEENTRY>(std::begin(static_colors), std::end(static_colors))};
  put_reserved(DEFAULT_PALETTE, std::move(pal));
  put_reserved(SYSTEM_FIXED_FONT,
               make_font("Fixedsys", 15, FW_NORMAL, FIXED_PITCH | FF_MODERN, ANSI_CHARSET));
  put_reserved(DEFAULT_GUI_FONT,
               make_font("MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, ANSI_CHARSET));
  Object bm;
  bm.kind = Kind::bitmap;
  Bitmap b;
  b.width = 1;
  b.height = 1;
  b.bits_pixel = 1;
  b.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
  bm.v = std::move(b);
  put_reserved(kDefaultBitmapSlot, std::move(bm));
  for (int i = 0; i < kSysColorCount; ++i)
    put_reserved(kSysBrushSlot + i, make_brush(BS_SOLID, sys_colors[i]));
}

void ensure_stock() {
  if (objects.empty()) build_stock();
}

}  // namespace

// ------------------------------------------------------------------ tables

// Any live object, including one whose deletion waits for its deselection
// (the contexts holding it still draw with it).
static Object* held_object(std::uint32_t handle) {
  ensure_stock();
  if (handle < kObjectBase) return nullptr;
  const std::uint32_t slot = handle - kObjectBase;
  return slot < objects.size() ? objects[slot].get() : nullptr;
}

Object* object(std::uint32_t handle) {
  Object* o = held_object(handle);
  return o && !o->pending_delete ? o : nullptr;  // deleted as far as callers go
}

std::uint32_t add_object(Object obj) {
  ensure_stock();
  std::uint32_t slot;
  // Freed numbers are reused only after many others, so that a stale handle
  // rarely meets a new object.
  if (free_slots.size() > 256) {
    slot = free_slots.front();
    free_slots.pop_front();
  } else {
    slot = static_cast<std::uint32_t>(objects.size());
    objects.emplace_back();
  }
  objects[slot] = std::make_unique<Object>(std::move(obj));
  return kObjectBase + slot;
}

template <class T>
static T* typed(std::uint32_t handle) {
  Object* o = held_object(handle);
  return o ? std::get_if<T>(&o->v) : nullptr;
}
Pen* pen_of(std::uint32_t h) { return typed<Pen>(h); }
Brush* brush_of(std::uint32_t h) { return typed<Brush>(h); }
Font* font_of(std::uint32_t h) { return typed<Font>(h); }
Bitmap* bitmap_of(std::uint32_t h) { return typed<Bitmap>(h); }
Palette* palette_of(std::uint32_t h) { return typed<Palette>(h); }

std::uint32_t stock_handle(int index) {
  ensure_stock();
  return kObjectBase + static_cast<std::uint32_t>(index);
}

std::uint32_t default_bitmap_handle() { return stock_handle(kDefaultBitmapSlot); }

void hold_object(std::uint32_t handle) {
  const std::uint32_t slot = handle - kObjectBase;
  if (handle >= kObjectBase && slot < objects.size() && objects[slot]) ++objects[slot]->selections;
}

void release_object(std::uint32_t handle) {
  const std::uint32_t slot = handle - kObjectBase;
  if (handle < kObjectBase || slot >= objects.size() || !objects[slot]) return;
  Object& o = *objects[slot];
  if (o.selections > 0) --o.selections;
  if (o.selections == 0 && o.pending_delete) free_slot(handle);
}

Dc* dc(HDC handle) {
  const std::uint32_t v = handle_value(handle);
  if (v < kDcBase) return nullptr;
  const std::uint32_t slot = v - kDcBase;
  return slot < dcs.size() ? dcs[slot].get() : nullptr;
}

HDC add_dc(std::unique_ptr<Dc> d) {
  ensure_stock();
  std::uint32_t slot;
  if (free_dc_slots.size() > 64) {
    slot = free_dc_slots.front();
    free_dc_slots.pop_front();
  } else {
    slot = static_cast<std::uint32_t>(dcs.size());
    dcs.emplace_back();
  }
  dcs[slot] = std::move(d);
  return handle_from<HDC>(kDcBase + slot);
}

void remove_dc(HDC handle) {
  const std::uint32_t slot = handle_value(handle) - kDcBase;
  if (slot >= dcs.size() || !dcs[slot]) return;
  dcs[slot].reset();
  free_dc_slots.push_back(slot);
}

COLORREF resolve_color(const Dc* d, COLORREF c) {
  if ((c >> 24) == 0x01) {
    const Palette* p = palette_of(d && d->palette ? d->palette : stock_handle(DEFAULT_PALETTE));
    const std::size_t i = c & 0xFFFF;
    if (!p || i >= p->entries.size()) return 0;
    const PALETTEENTRY& e = p->entries[i];
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  return c & 0x00FFFFFF;
}

std::uint32_t rop2_mix(int mode, std::uint32_t p, std::uint32_t d) {
  const unsigned code = static_cast<unsigned>(mode - 1) & 15;
  std::uint32_t r = 0;
  if (code & 1) r |= ~p & ~d;
  if (code & 2) r |= ~p & d;
  if (code & 4) r |= p & ~d;
  if (code & 8) r |= p & d;
  return r & 0x00FFFFFF;
}

std::uint32_t rop3_mix(DWORD rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  const unsigned code = (rop >> 16) & 0xFF;
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!(code & (1u << i))) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0x00FFFFFF;
}

}  // namespace win::detail

namespace win {

using namespace detail;

namespace {

HPEN add_pen(const Pen& p) {
  Object o;
  o.kind = Kind::pen;
  o.v = p;
  return handle_from<HPEN>(add_object(std::move(o)));
}

HBRUSH add_brush(const Brush& b) {
  Object o;
  o.kind = Kind::brush;
  o.v = b;
  return handle_from<HBRUSH>(add_object(std::move(o)));
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
  Pen p;
  p.style = style & PS_STYLE_MASK;
  if (p.style > PS_INSIDEFRAME) return nullptr;
  p.width = width < 1 ? 1 : width;
  p.color = color;
  if (p.width > 1) {
    // A wide pen is a geometric pen with round ends and joins; only solid,
    // null and inside-frame styles keep their meaning.
    p.geometric = true;
    if (p.style >= PS_DASH && p.style <= PS_DASHDOTDOT) p.style = PS_SOLID;
  }
  return add_pen(p);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD style_count,
                  const DWORD* styles) {
  (void)styles;
  if (!brush || style_count != 0) return nullptr;
  Pen p;
  p.extended = true;
  p.style = static_cast<int>(style & PS_STYLE_MASK);
  if (p.style > PS_INSIDEFRAME) return nullptr;
  p.color = brush->lbStyle == BS_NULL ? 0 : brush->lbColor;
  if (brush->lbStyle == BS_NULL) p.style = PS_NULL;
  if ((style & PS_TYPE_MASK) == static_cast<DWORD>(PS_GEOMETRIC)) {
    p.geometric = true;
    p.width = static_cast<int>(std::min<DWORD>(width, 0x7FFF));
    if (p.width < 1) p.width = 1;
    p.cap = static_cast<int>(style & PS_ENDCAP_MASK);
    p.join = static_cast<int>(style & PS_JOIN_MASK);
  } else {
    if (width != 1) return nullptr;  // a cosmetic pen is one pixel wide
    p.width = 1;
  }
  return add_pen(p);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  Brush b;
  b.color = color;
  return add_brush(b);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  Brush b;
  b.style = BS_HATCHED;
  b.hatch = hatch;
  b.color = color;
  return add_brush(b);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(brush->lbColor);
    case BS_NULL: {
      Brush b;
      b.style = BS_NULL;
      return add_brush(b);
    }
    case BS_HATCHED:
      return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    default:
      return nullptr;
  }
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) return nullptr;
  Object o;
  o.kind = Kind::font;
  Font f;
  f.lf = *font;
  f.lf.lfFaceName[LF_FACESIZE - 1] = '\0';
  o.v = std::move(f);
  return handle_from<HFONT>(add_object(std::move(o)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strike_out, DWORD char_set, DWORD out_precision,
                  DWORD clip_precision, DWORD quality, DWORD pitch_and_family, const char* face) {
  LOGFONTA lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strike_out);
  lf.lfCharSet = static_cast<BYTE>(char_set);
  lf.lfOutPrecision = static_cast<BYTE>(out_precision);
  lf.lfClipPrecision = static_cast<BYTE>(clip_precision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitch_and_family);
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= kStockCount) return nullptr;
  if (!object(stock_handle(index))) return nullptr;
  return handle_from<HGDIOBJ>(stock_handle(index));
}

BOOL DeleteObject(GdiObjectRef ref) {
  Object* o = object(ref.value);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->selections > 0) {
    o->pending_delete = true;  // goes when its last context lets it go
    return TRUE;
  }
  free_slot(ref.value);
  return TRUE;
}

int GetObjectA(GdiObjectRef ref, int size, void* out) {
  Object* o = object(ref.value);
  if (!o || size < 0) return 0;
  auto give = [&](const void* data, int n) {
    if (!out) return n;
    n = std::min(n, size);
    std::memcpy(out, data, static_cast<std::size_t>(n));
    return n;
  };
  switch (o->kind) {
    case Kind::pen: {
      const Pen& p = std::get<Pen>(o->v);
      if (p.extended) {
        EXTLOGPEN e;
        e.elpPenStyle = static_cast<DWORD>(p.style | p.cap | p.join |
                                           (p.geometric ? PS_GEOMETRIC : PS_COSMETIC));
        e.elpWidth = static_cast<DWORD>(p.width);
        e.elpBrushStyle = p.style == PS_NULL ? BS_NULL : BS_SOLID;
        e.elpColor = p.color;
        return give(&e, static_cast<int>(offsetof(EXTLOGPEN, elpStyleEntry)));
      }
      LOGPEN lp;
      lp.lopnStyle = static_cast<UINT>(p.style);
      lp.lopnWidth.x = p.width;
      lp.lopnColor = p.color;
      return give(&lp, sizeof lp);
    }
    case Kind::brush: {
      const Brush& b = std::get<Brush>(o->v);
      LOGBRUSH lb;
      lb.lbStyle = b.style;
      lb.lbColor = b.color;
      lb.lbHatch = static_cast<UINT_PTR>(b.hatch);
      return give(&lb, sizeof lb);
    }
    case Kind::font:
      return give(&std::get<Font>(o->v).lf, sizeof(LOGFONTA));
    case Kind::bitmap: {
      Bitmap& b = std::get<Bitmap>(o->v);
      BITMAP bm;
      bm.bmWidth = b.width;
      bm.bmHeight = b.height;
      bm.bmPlanes = 1;
      bm.bmBitsPixel = static_cast<WORD>(b.bits_pixel);
      bm.bmWidthBytes = b.dib_section ? dib_row_bytes(b.bits_pixel, b.width)
                                      : ((b.width * b.bits_pixel + 15) / 16) * 2;
      if (b.dib_section) {
        bm.bmBits = b.direct ? cairo_image_surface_get_data(b.surface) : b.bits.get();
        if (out && size >= static_cast<int>(sizeof(DIBSECTION))) {
          DIBSECTION ds;
          ds.dsBm = bm;
          ds.dsBmih = b.header;
          return give(&ds, sizeof ds);
        }
      }
      return give(&bm, sizeof bm);
    }
    case Kind::palette: {
      const WORD n = static_cast<WORD>(std::get<Palette>(o->v).entries.size());
      return give(&n, sizeof n);
    }
  }
  return 0;
}

DWORD GetObjectType(GdiObjectRef ref) {
  Object* o = object(ref.value);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::pen:
      return std::get<Pen>(o->v).extended ? OBJ_EXTPEN : OBJ_PEN;
    case Kind::brush:
      return OBJ_BRUSH;
    case Kind::font:
      return OBJ_FONT;
    case Kind::bitmap:
      return OBJ_BITMAP;
    case Kind::palette:
      return OBJ_PAL;
  }
  return 0;
}

COLORREF GetSysColor(int index) {
  if (index < 0 || index >= kSysColorCount) return 0;
  return sys_colors[index];
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kSysColorCount) return nullptr;
  return handle_from<HBRUSH>(stock_handle(kSysBrushSlot + index));
}

COLORREF GetNearestColor(HDC hdc, COLORREF color) {
  if (!dc(hdc)) return CLR_INVALID;
  return resolve_color(dc(hdc), color);
}

HPALETTE CreatePalette(const LOGPALETTE* palette) {
  if (!palette || palette->palNumEntries == 0) return nullptr;
  Object o;
  o.kind = Kind::palette;
  Palette p;
  p.entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
  o.v = std::move(p);
  return handle_from<HPALETTE>(add_object(std::move(o)));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL) {
  Dc* d = dc(hdc);
  if (!d || !palette_of(handle_value(palette))) return nullptr;
  const std::uint32_t old = d->palette ? d->palette : stock_handle(DEFAULT_PALETTE);
  hold_object(handle_value(palette));
  d->palette = handle_value(palette);
  release_object(old);
  return handle_from<HPALETTE>(old);
}

UINT RealizePalette(HDC hdc) { return dc(hdc) ? 0 : GDI_ERROR; }

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries) {
  const Palette* p = palette_of(handle_value(palette));
  if (!p) return 0;
  const UINT size = static_cast<UINT>(p->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(p->entries.begin() + start, n, entries);
  return n;
}

UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries) {
  Object* o = object(handle_value(palette));
  if (!o || o->stock || !entries || o->kind != Kind::palette) return 0;
  Palette& p = std::get<Palette>(o->v);
  const UINT size = static_cast<UINT>(p.entries.size());
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::copy_n(entries, n, p.entries.begin() + start);
  return n;
}

UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, PALETTEENTRY* entries) {
  if (!dc(hdc)) return 0;
  if (!entries) return 256;
  // The static colours at both ends, between them a colour cube and greys,
  // all 256 distinct.
  static const BYTE level[6] = {16, 56, 96, 136, 176, 216};
  UINT n = 0;
  for (UINT i = start; i < 256 && n < count; ++i, ++n) {
    PALETTEENTRY e;
    if (i < 10) {
      e = static_colors[i];
    } else if (i >= 246) {
      e = static_colors[i - 236];
    } else if (i - 10 < 216) {
      const UINT k = i - 10;
      e.peRed = level[k / 36];
      e.peGreen = level[(k / 6) % 6];
      e.peBlue = level[k % 6];
    } else {
      e.peRed = e.peGreen = e.peBlue = static_cast<BYTE>(24 + (i - 226) * 10);
    }
    entries[n] = e;
  }
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF color) {
  const Palette* p = palette_of(handle_value(palette));
  if (!p || p->entries.empty()) return CLR_INVALID;
  UINT best = 0;
  long best_d = -1;
  for (UINT i = 0; i < p->entries.size(); ++i) {
    const PALETTEENTRY& e = p->entries[i];
    const long dr = long(e.peRed) - GetRValue(color);
    const long dg = long(e.peGreen) - GetGValue(color);
    const long db = long(e.peBlue) - GetBValue(color);
    const long dd = dr * dr + dg * dg + db * db;
    if (best_d < 0 || dd < best_d) {
      best_d = dd;
      best = i;
    }
  }
  return best;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  const bool negative = (p < 0) != (c < 0);
  unsigned long long n = p < 0 ? static_cast<unsigned long long>(-p) : p;
  const unsigned long long m = c < 0 ? static_cast<unsigned long long>(-(long long)c) : c;
  const unsigned long long q = (n + m / 2) / m;
  if (q > 0x7FFFFFFFull + (negative ? 1 : 0)) return -1;
  return negative ? static_cast<int>(-static_cast<long long>(q)) : static_cast<int>(q);
}

}  // namespace win

namespace plat {

void reset_gdi() {
  using namespace win::detail;
  dcs.clear();
  free_dc_slots.clear();
  for (auto& o : objects)
    if (o) free_object_storage(*o);
  build_stock();
  gdi_screen = DeviceInfo{};
}

}  // namespace plat
