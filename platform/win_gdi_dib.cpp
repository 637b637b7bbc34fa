// Bitmaps and device-independent bitmaps: compatible bitmaps, DIB sections,
// and the conversions between DIB rows (1, 4, 8, 16, 24, 32 bits per pixel,
// bottom-up or top-down) and the RGB24 pixels every bitmap is drawn in.
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "platform/win_gdi_internal.h"

namespace win::detail {

namespace {

constexpr int kMaxSide = 32767;

const RGBQUAD vga16[16] = {
    {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
    {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
    {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
    {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
};

std::uint32_t quad_pixel(const RGBQUAD& q) {
  return (std::uint32_t(q.rgbRed) << 16) | (std::uint32_t(q.rgbGreen) << 8) | q.rgbBlue;
}

int nearest_index(const RGBQUAD* colors, int n, std::uint32_t px) {
  const int r = (px >> 16) & 255, g = (px >> 8) & 255, b = px & 255;
  int best = 0;
  long best_d = -1;
  for (int i = 0; i < n; ++i) {
    const long dr = colors[i].rgbRed - r, dg = colors[i].rgbGreen - g, db = colors[i].rgbBlue - b;
    const long dd = dr * dr + dg * dg + db * db;
    if (best_d < 0 || dd < best_d) {
      best_d = dd;
      best = i;
      if (dd == 0) break;
    }
  }
  return best;
}

int abs_height(const BITMAPINFOHEADER& h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }

// The colour table of a DIB as given: RGB quads, or with DIB_PAL_COLORS
// 16-bit indices into the context's palette.
std::vector<RGBQUAD> read_colors(const BITMAPINFO* info, UINT usage, Dc* d) {
  const int n = dib_color_count(info->bmiHeader);
  const auto* base = reinterpret_cast<const std::uint8_t*>(info) + info->bmiHeader.biSize;
  std::vector<RGBQUAD> out(static_cast<std::size_t>(n));
  if (usage == DIB_PAL_COLORS) {
    const Palette* p = palette_of(d && d->palette ? d->palette : stock_handle(DEFAULT_PALETTE));
    for (int i = 0; i < n; ++i) {
      WORD k;
      std::memcpy(&k, base + 2 * i, 2);
      if (p && k < p->entries.size())
        out[i] = RGBQUAD{p->entries[k].peBlue, p->entries[k].peGreen, p->entries[k].peRed, 0};
    }
  } else if (n > 0) {
    std::memcpy(out.data(), base, sizeof(RGBQUAD) * static_cast<std::size_t>(n));
  }
  return out;
}

// The table GetDIBits writes for a palette format: black and white, the 16
// VGA colours, or the context's palette (the system colours without one).
std::vector<RGBQUAD> table_for(int bits, Dc* d) {
  std::vector<RGBQUAD> t;
  if (bits == 1) {
    t = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  } else if (bits == 4) {
    t.assign(std::begin(vga16), std::end(vga16));
  } else if (bits == 8) {
    t.resize(256);
    const Palette* p = d && d->palette && d->palette != stock_handle(DEFAULT_PALETTE)
                           ? palette_of(d->palette)
                           : nullptr;
    if (p) {
      for (std::size_t i = 0; i < p->entries.size() && i < 256; ++i)
        t[i] = RGBQUAD{p->entries[i].peBlue, p->entries[i].peGreen, p->entries[i].peRed, 0};
    } else {
      PALETTEENTRY e[256];
      const HDC screen = CreateCompatibleDC(nullptr);
      GetSystemPaletteEntries(screen, 0, 256, e);
      DeleteDC(screen);
      for (int i = 0; i < 256; ++i) t[i] = RGBQUAD{e[i].peBlue, e[i].peGreen, e[i].peRed, 0};
    }
  }
  return t;
}

std::uint32_t* surface_row(cairo_surface_t* s, int y) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) +
                                          std::size_t(y) * cairo_image_surface_get_stride(s));
}

Object bitmap_object(int width, int height) {
  Object o;
  o.kind = Kind::bitmap;
  Bitmap b;
  b.width = width;
  b.height = height;
  b.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  o.v = std::move(b);
  return o;
}

}  // namespace

int dib_row_bytes(int bits, int width) { return ((bits * width + 31) / 32) * 4; }

int dib_color_count(const BITMAPINFOHEADER& h) {
  if (h.biBitCount > 8) return 0;
  const int full = 1 << h.biBitCount;
  return h.biClrUsed ? std::min<int>(static_cast<int>(h.biClrUsed & 0xFFFF), full) : full;
}

bool dib_supported(const BITMAPINFOHEADER& h) {
  const int b = h.biBitCount;
  return h.biSize >= 40 && h.biPlanes == 1 && h.biCompression == BI_RGB && h.biWidth > 0 &&
         h.biWidth <= kMaxSide && h.biHeight != 0 && abs_height(h) <= kMaxSide &&
         (b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32);
}

void dib_read_row(const BITMAPINFOHEADER& h, const RGBQUAD* colors, const std::uint8_t* row,
                  std::uint32_t* out, int width) {
  const int n = dib_color_count(h);
  auto lookup = [&](int i) { return i < n ? quad_pixel(colors[i]) : 0u; };
  for (int x = 0; x < width; ++x) {
    switch (h.biBitCount) {
      case 1:
        out[x] = lookup((row[x >> 3] >> (7 - (x & 7))) & 1);
        break;
      case 4:
        out[x] = lookup((x & 1) ? (row[x >> 1] & 15) : (row[x >> 1] >> 4));
        break;
      case 8:
        out[x] = lookup(row[x]);
        break;
      case 16: {
        const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        const unsigned r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        out[x] =
            (((r << 3) | (r >> 2)) << 16) | (((g << 3) | (g >> 2)) << 8) | ((b << 3) | (b >> 2));
        break;
      }
      case 24:
        out[x] = (std::uint32_t(row[3 * x + 2]) << 16) | (std::uint32_t(row[3 * x + 1]) << 8) |
                 row[3 * x];
        break;
      default:
        out[x] = (std::uint32_t(row[4 * x + 2]) << 16) | (std::uint32_t(row[4 * x + 1]) << 8) |
                 row[4 * x];
        break;
    }
  }
}

void dib_write_row(const BITMAPINFOHEADER& h, const RGBQUAD* colors, int ncolors,
                   const std::uint32_t* in, std::uint8_t* row, int width) {
  std::memset(row, 0, static_cast<std::size_t>(dib_row_bytes(h.biBitCount, width)));
  std::uint32_t last = 0xFFFFFFFF;
  int last_index = 0;
  auto index = [&](std::uint32_t px) {
    if (px != last) {
      last = px;
      last_index = ncolors > 0 ? nearest_index(colors, ncolors, px) : 0;
    }
    return last_index;
  };
  for (int x = 0; x < width; ++x) {
    const std::uint32_t px = in[x] & 0x00FFFFFF;
    switch (h.biBitCount) {
      case 1:
        row[x >> 3] |= static_cast<std::uint8_t>((index(px) & 1) << (7 - (x & 7)));
        break;
      case 4:
        row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? (index(px) & 15) : (index(px) << 4));
        break;
      case 8:
        row[x] = static_cast<std::uint8_t>(index(px));
        break;
      case 16: {
        const unsigned v =
            ((((px >> 16) & 255) >> 3) << 10) | ((((px >> 8) & 255) >> 3) << 5) | ((px & 255) >> 3);
        row[2 * x] = static_cast<std::uint8_t>(v);
        row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
        break;
      }
      case 24:
        row[3 * x] = static_cast<std::uint8_t>(px);
        row[3 * x + 1] = static_cast<std::uint8_t>(px >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(px >> 16);
        break;
      default:
        row[4 * x] = static_cast<std::uint8_t>(px);
        row[4 * x + 1] = static_cast<std::uint8_t>(px >> 8);
        row[4 * x + 2] = static_cast<std::uint8_t>(px >> 16);
        row[4 * x + 3] = 0;
        break;
    }
  }
}

void dib_sync_in(Bitmap& b) {
  if (!b.dib_section || b.direct || !b.bits) return;
  cairo_surface_flush(b.surface);
  const int rb = dib_row_bytes(b.header.biBitCount, b.width);
  const bool bottom_up = b.header.biHeight > 0;
  for (int y = 0; y < b.height; ++y) {
    const int r = bottom_up ? b.height - 1 - y : y;
    dib_read_row(b.header, b.colors.data(), b.bits.get() + std::size_t(r) * rb,
                 surface_row(b.surface, y), b.width);
  }
  cairo_surface_mark_dirty(b.surface);
}

void dib_sync_out(Bitmap& b) {
  if (!b.dib_section || b.direct || !b.bits) return;
  cairo_surface_flush(b.surface);
  const int rb = dib_row_bytes(b.header.biBitCount, b.width);
  const bool bottom_up = b.header.biHeight > 0;
  for (int y = 0; y < b.height; ++y) {
    const int r = bottom_up ? b.height - 1 - y : y;
    dib_write_row(b.header, b.colors.data(), static_cast<int>(b.colors.size()),
                  surface_row(b.surface, y), b.bits.get() + std::size_t(r) * rb, b.width);
  }
}

std::uint32_t new_bitmap(int width, int height) {
  Object o = bitmap_object(width, height);
  if (cairo_surface_status(std::get<Bitmap>(o.v).surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(std::get<Bitmap>(o.v).surface);
    return 0;
  }
  return add_object(std::move(o));
}

}  // namespace win::detail

namespace win {

using namespace detail;

namespace {

// Copies DIB scan lines [start, start + lines) into the bitmap's pixels.
int put_lines(Bitmap& b, UINT start, UINT lines, const void* bits, const BITMAPINFOHEADER& h,
              const std::vector<RGBQUAD>& colors) {
  const int H = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const int rb = dib_row_bytes(h.biBitCount, h.biWidth);
  const int w = std::min<int>(h.biWidth, b.width);
  std::vector<std::uint32_t> row(static_cast<std::size_t>(h.biWidth));
  if (b.dib_section && !b.direct) dib_sync_in(b);
  cairo_surface_flush(b.surface);
  int done = 0;
  for (UINT k = 0; k < lines && static_cast<int>(start + k) < H; ++k) {
    const int line = static_cast<int>(start + k);
    const int y = h.biHeight > 0 ? H - 1 - line : line;
    dib_read_row(h, colors.data(), static_cast<const std::uint8_t*>(bits) + std::size_t(k) * rb,
                 row.data(), h.biWidth);
    if (y >= 0 && y < b.height) std::copy_n(row.data(), w, surface_row(b.surface, y));
    ++done;
  }
  cairo_surface_mark_dirty(b.surface);
  if (b.dib_section && !b.direct) dib_sync_out(b);
  return done;
}

// A temporary memory context holding a bitmap decoded from a DIB.
struct TempDib {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  ~TempDib() {
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
  }
};

bool decode(TempDib& t, HDC target, const void* bits, const BITMAPINFO* info, UINT usage,
            UINT start, UINT lines) {
  if (!bits || !info || !dib_supported(info->bmiHeader)) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const std::uint32_t bm = new_bitmap(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight);
  if (!bm) return false;
  t.bitmap = handle_from<HBITMAP>(bm);
  put_lines(*bitmap_of(bm), start, lines, bits, h, read_colors(info, usage, dc(target)));
  t.dc = CreateCompatibleDC(nullptr);
  SelectObject(t.dc, t.bitmap);
  return true;
}

}  // namespace

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (!dc(hdc) || width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  if (width == 0 || height == 0) width = height = 1;
  return handle_from<HBITMAP>(new_bitmap(width, height));
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
  (void)offset;
  if (bits) *bits = nullptr;
  if (!info || section || !dib_supported(info->bmiHeader)) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int w = h.biWidth, H = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  Object o = bitmap_object(w, H);
  Bitmap& b = std::get<Bitmap>(o.v);
  if (cairo_surface_status(b.surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(b.surface);
    return nullptr;
  }
  b.dib_section = true;
  b.bits_pixel = h.biBitCount;
  b.header = h;
  b.header.biSize = 40;
  b.header.biSizeImage = static_cast<DWORD>(dib_row_bytes(h.biBitCount, w)) * H;
  b.colors = read_colors(info, usage, dc(hdc));
  void* data;
  if (h.biBitCount == 32 && h.biHeight < 0) {
    // Top-down 32-bit rows are the surface's own layout: no shadow.
    b.direct = true;
    data = cairo_image_surface_get_data(b.surface);
  } else {
    b.bits.reset(new std::uint8_t[b.header.biSizeImage]());
    data = b.bits.get();
    dib_sync_in(b);
  }
  if (bits) *bits = data;
  return handle_from<HBITMAP>(add_object(std::move(o)));
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage) {
  if (!header) return nullptr;
  const int H = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  const HBITMAP bm = CreateCompatibleBitmap(hdc ? hdc : nullptr, header->biWidth, H);
  if (!bm) return nullptr;
  if ((init & CBM_INIT) && bits && info) {
    if (SetDIBits(hdc, bm, 0, static_cast<UINT>(H), bits, info, usage) == 0) {
      DeleteObject(bm);
      return nullptr;
    }
  }
  return bm;
}

int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage) {
  Bitmap* b = bitmap_of(handle_value(hbm));
  if (!b || !bits || !info || !dib_supported(info->bmiHeader)) return 0;
  return put_lines(*b, start, lines, bits, info->bmiHeader, read_colors(info, usage, dc(hdc)));
}

int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* info,
              UINT usage) {
  (void)usage;
  Dc* d = dc(hdc);
  Bitmap* b = bitmap_of(handle_value(hbm));
  if (!d || !b || !info) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < 40) return 0;
  if (!bits && h.biBitCount == 0) {
    // Describe the bitmap.
    h.biWidth = b->width;
    h.biHeight = b->height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(b->bits_pixel);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(dib_row_bytes(h.biBitCount, b->width)) * b->height;
    h.biClrUsed = 0;
    return 1;
  }
  if (!dib_supported(h)) return 0;
  const std::vector<RGBQUAD> table = table_for(h.biBitCount, d);
  if (!table.empty()) {
    std::memcpy(reinterpret_cast<std::uint8_t*>(info) + h.biSize, table.data(),
                table.size() * sizeof(RGBQUAD));
    h.biClrUsed = 0;
  }
  const int H = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const int rb = dib_row_bytes(h.biBitCount, h.biWidth);
  h.biSizeImage = static_cast<DWORD>(rb) * H;
  if (!bits) return 1;
  if (b->dib_section && !b->direct) dib_sync_in(*b);
  cairo_surface_flush(b->surface);
  std::vector<std::uint32_t> row(static_cast<std::size_t>(h.biWidth), 0);
  int done = 0;
  for (UINT k = 0; k < lines && static_cast<int>(start + k) < H; ++k) {
    const int line = static_cast<int>(start + k);
    const int y = h.biHeight > 0 ? H - 1 - line : line;
    std::fill(row.begin(), row.end(), 0);
    if (y >= 0 && y < b->height)
      std::copy_n(surface_row(b->surface, y), std::min<int>(h.biWidth, b->width), row.data());
    dib_write_row(h, table.data(), static_cast<int>(table.size()), row.data(),
                  static_cast<std::uint8_t*>(bits) + std::size_t(k) * rb, h.biWidth);
    ++done;
  }
  return done;
}

int StretchDIBits(HDC hdc, int x, int y, int width, int height, int src_x, int src_y, int src_width,
                  int src_height, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  if (!dc(hdc)) return 0;
  TempDib t;
  if (!info) return 0;
  const int H = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  if (!decode(t, hdc, bits, info, usage, 0, static_cast<UINT>(H))) return 0;
  // The source rectangle of a bottom-up DIB is measured from its lower left.
  const int sy = info->bmiHeader.biHeight > 0 ? H - src_y - src_height : src_y;
  if (!StretchBlt(hdc, x, y, width, height, t.dc, src_x, sy, src_width, src_height, rop)) return 0;
  return src_height < 0 ? -src_height : src_height;
}

int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int src_x, int src_y,
                      UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
  if (!dc(hdc) || !info) return 0;
  TempDib t;
  if (!decode(t, hdc, bits, info, usage, start, lines)) return 0;
  const int H = info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  // Only the scan lines given are copied.
  const bool bottom_up = info->bmiHeader.biHeight > 0;
  const int sy = bottom_up ? H - src_y - h : src_y;
  const int first = bottom_up ? H - static_cast<int>(start + lines) : static_cast<int>(start);
  const int last = first + static_cast<int>(lines);  // exclusive, in top-down rows
  const int top = std::max(sy, first), bottom = std::min(sy + h, last);
  if (bottom <= top) return 0;
  if (!BitBlt(hdc, x, y + (top - sy), w, bottom - top, t.dc, src_x, top, SRCCOPY)) return 0;
  return static_cast<int>(lines);
}

}  // namespace win
