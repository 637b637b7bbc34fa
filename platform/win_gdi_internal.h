// Inner records of the drawing side: the object and context tables, the
// per-operation pixel cover that every figure is rasterised into, and the
// helpers shared by the drawing files. Not for use outside platform/win_gdi*.
#pragma once

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/win_gdi.h"

namespace win::detail {

// Handle numbers: GDI objects and contexts live in separate ranges, far from
// the small numbers COLOR_xxx + 1 that stand for system-colour brushes.
inline constexpr std::uint32_t kObjectBase = 0x00100000;
inline constexpr std::uint32_t kDcBase = 0x00200000;
inline constexpr int kStockCount = 18;  // stock indices 0 .. 17

struct Pen {
  int style = PS_SOLID;  // PS_SOLID .. PS_INSIDEFRAME
  int width = 1;
  COLORREF color = 0;
  bool geometric = false;  // wide or ExtCreatePen(PS_GEOMETRIC): drawn as a stroked path
  int cap = PS_ENDCAP_ROUND;
  int join = PS_JOIN_ROUND;
  bool extended = false;  // made by ExtCreatePen (GetObjectA answers EXTLOGPEN)
};

struct Brush {
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
};

struct FontData {
  cairo_scaled_font_t* scaled = nullptr;
  std::string family;  // the installed family used
  int em = 0;          // character height in pixels
  int ascent = 0;
  int descent = 0;
  int external_leading = 0;
  int ave_width = 0;
  int max_width = 0;
  bool fixed_pitch = false;
  double underline_pos = 0;  // below the baseline, pixels
  double underline_thickness = 1;
  double strike_pos = 0;  // above the baseline, pixels
  std::array<int, 256> advance{};
  std::array<unsigned long, 256> glyph{};
  ~FontData();
};

struct Font {
  LOGFONTA lf;
  std::shared_ptr<FontData> data;  // made on first use
};

struct Bitmap {
  Bitmap() = default;
  Bitmap(Bitmap&& o) noexcept { *this = std::move(o); }
  Bitmap& operator=(Bitmap&& o) noexcept {
    std::swap(width, o.width);
    std::swap(height, o.height);
    std::swap(bits_pixel, o.bits_pixel);
    std::swap(surface, o.surface);
    std::swap(dib_section, o.dib_section);
    std::swap(direct, o.direct);
    std::swap(header, o.header);
    std::swap(colors, o.colors);
    std::swap(bits, o.bits);
    std::swap(selected_in, o.selected_in);
    return *this;
  }
  ~Bitmap() {
    if (surface) cairo_surface_destroy(surface);
  }
  int width = 0;
  int height = 0;
  int bits_pixel = 32;
  cairo_surface_t* surface = nullptr;  // CAIRO_FORMAT_RGB24, owned
  // A DIB section keeps the caller's bits in their own layout; unless they
  // are the surface's memory (32 bits, top-down) the surface is a shadow
  // brought up to date before and after each drawing.
  bool dib_section = false;
  bool direct = false;
  BITMAPINFOHEADER header;
  std::vector<RGBQUAD> colors;
  std::unique_ptr<std::uint8_t[]> bits;
  std::uint32_t selected_in = 0;  // the memory context holding it
};

struct Palette {
  std::vector<PALETTEENTRY> entries;
};

enum class Kind { pen, brush, font, bitmap, palette };

struct Object {
  Kind kind = Kind::pen;
  bool stock = false;
  bool pending_delete = false;
  int selections = 0;  // contexts it is selected in
  std::variant<Pen, Brush, Font, Bitmap, Palette> v;
};

enum class DcType { window, memory, device };

// A printer context's printer and document (the printing files).
struct PrintJob;
struct PrintJobDeleter {
  void operator()(PrintJob* job) const;
};

struct Dc {
  Dc() = default;
  Dc(const Dc&) = delete;
  Dc& operator=(const Dc&) = delete;
  ~Dc() {
    if (surface) cairo_surface_destroy(surface);
  }
  DcType type = DcType::memory;
  cairo_surface_t* surface = nullptr;  // referenced while the context lives
  bool raster = true;                  // an image surface: pixel-exact drawing
  double unit_x = 1, unit_y = 1;       // surface units per device pixel
  POINT origin;                        // logical (0,0) in the surface
  RECT clip;                           // surface pixels the context may change
  HWND owner = nullptr;
  plat::DeviceInfo info;
  std::uint32_t pen = 0, brush = 0, font = 0, bitmap = 0, palette = 0;
  COLORREF bk_color = 0x00FFFFFF;
  COLORREF text_color = 0;
  int bk_mode = OPAQUE;
  UINT align = TA_LEFT | TA_TOP | TA_NOUPDATECP;
  int rop2 = R2_COPYPEN;
  int fill_mode = ALTERNATE;
  int stretch_mode = BLACKONWHITE;
  POINT brush_org;
  POINT cp;
  std::unique_ptr<PrintJob, PrintJobDeleter> print;  // printer contexts only
};

// Tables.
Object* object(std::uint32_t handle);
std::uint32_t add_object(Object obj);
Dc* dc(HDC handle);
HDC add_dc(std::unique_ptr<Dc> d);
void remove_dc(HDC handle);
// Selection bookkeeping: one more or one fewer context holds the object; an
// object whose deletion was deferred goes when the last one lets it go.
void hold_object(std::uint32_t handle);
void release_object(std::uint32_t handle);
Pen* pen_of(std::uint32_t handle);
Brush* brush_of(std::uint32_t handle);
Font* font_of(std::uint32_t handle);
Bitmap* bitmap_of(std::uint32_t handle);
Palette* palette_of(std::uint32_t handle);
std::uint32_t stock_handle(int index);
std::uint32_t default_bitmap_handle();

// Colours: COLORREF 0x00BBGGRR against Cairo's 0x00RRGGBB pixels. A
// palette-relative or palette-index colour is resolved against the
// context's palette.
inline std::uint32_t to_pixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF to_colorref(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}
COLORREF resolve_color(const Dc* d, COLORREF c);

// Mix of a pen colour P with a destination D under mode R2_xxx, and the
// ternary raster operation of the block transfers (pattern P, source S,
// destination D), bitwise over 24 bits.
std::uint32_t rop2_mix(int mode, std::uint32_t p, std::uint32_t d);
std::uint32_t rop3_mix(DWORD rop, std::uint32_t p, std::uint32_t s, std::uint32_t d);

// The pixels one operation paints, in logical coordinates, limited to what
// the context may change: 0 means untouched, else 0x01000000 | pixel.
struct Cover {
  int x0 = 0, y0 = 0, w = 0, h = 0;
  std::vector<std::uint32_t> px;
  bool inside(int x, int y) const { return x >= x0 && y >= y0 && x < x0 + w && y < y0 + h; }
  std::uint32_t& at(int x, int y) { return px[std::size_t(y - y0) * w + (x - x0)]; }
  void set(int x, int y, std::uint32_t pixel) {
    if (inside(x, y)) at(x, y) = 0x01000000u | pixel;
  }
  void set_if_empty(int x, int y, std::uint32_t pixel) {
    if (inside(x, y) && at(x, y) == 0) at(x, y) = 0x01000000u | pixel;
  }
  // set_if_empty over the pixels of `r` (exclusive right and bottom).
  void fill_if_empty(const RECT& r, std::uint32_t pixel) {
    const int left = std::max<int>(r.left, x0), right = std::min<int>(r.right, x0 + w);
    for (int y = std::max<int>(r.top, y0); y < std::min<int>(r.bottom, y0 + h); ++y)
      for (int x = left; x < right; ++x) {
        std::uint32_t& p = at(x, y);
        if (p == 0) p = 0x01000000u | pixel;
      }
  }
  bool empty() const { return w <= 0 || h <= 0; }
};

// The context's drawable area in logical coordinates.
RECT logical_clip(const Dc& d);
// A cover over `box` (logical, exclusive right and bottom) within the clip.
Cover make_cover(const Dc& d, RECT box);
// Writes the cover into the context's pixels with mix mode `rop2`.
void apply_cover(Dc& d, const Cover& c, int rop2);

// Pixel access for block transfers and GetPixel: a context's surface made
// ready for reading (and, with `write`, for writing) and finished after.
struct PixelView {
  std::uint32_t* data = nullptr;
  int stride = 0;  // in pixels
  int width = 0, height = 0;
  std::uint32_t& at(int sx, int sy) { return data[std::size_t(sy) * stride + sx]; }
};
bool begin_pixels(Dc& d, PixelView& v);
void end_pixels(Dc& d, bool changed);
// The logical rectangle r within the context's clip and its surface.
RECT view_rect(const Dc& d, const PixelView& v, RECT r);
// The pixels of the logical rectangle r within `reach` (a view_rect) set
// to one pixel.
void fill_view(const Dc& d, PixelView& v, RECT r, const RECT& reach, std::uint32_t pixel);

// Brush colour at a logical point: nothing for a hollow brush or for the
// background of a hatch in transparent mode.
bool brush_pixel(const Dc& d, const Brush& b, int x, int y, std::uint32_t& pixel);

// Rasterisers.
// A cosmetic one-pixel line from a to b without b, following the pen's style
// pattern from `*phase` (advanced); the gaps of a styled line take `gap`
// when given (opaque background mode).
void raster_line(Cover& c, POINT a, POINT b, std::uint32_t pixel, const std::uint32_t* gap,
                 int style, int* phase);
// Whether pixel number `phase` of a styled cosmetic line is drawn.
bool style_on(int style, int phase);
// Scanline fill of a polygon (vertices on the pixel lattice, pixel centres
// sampled) over rows [row_lo, row_hi), calling `span(y, x_begin, x_end)` for
// each run.
void raster_polygon(const std::vector<POINT>& pts, int fill_mode, int row_lo, int row_hi,
                    const std::function<void(int, int, int)>& span);
// A polyline (closed: a polygon's outline) stroked with a solid pen
// `width` pixels wide with the pen's end caps and joins (PS_ENDCAP_xxx,
// PS_JOIN_xxx): the pixels whose centres lie inside the stroke take
// `pixel`. Repeated points are passed over; a path of one point is a dot
// with round ends and nothing with square or flat ones.
void raster_wide_line(Cover& c, const std::vector<POINT>& pts, bool closed, int width, int cap,
                      int join, std::uint32_t pixel);
// A mask of what `draw` fills or strokes with antialiasing off, over the
// cover's box in logical coordinates; `on(x, y)` is called for every covered
// pixel. `glyphs`: what it draws is mostly glyphs.
void raster_cairo(const Cover& c, const std::function<void(cairo_t*)>& draw,
                  const std::function<void(int, int)>& on, bool glyphs = false);

// Cairo stroke settings of a geometric pen.
void set_pen_stroke(cairo_t* cr, const Pen& p);
// The dash pattern of a cosmetic pen style in pixels, on first; 0 entries
// for a solid line.
int cosmetic_dashes(int style, double dashes[6]);

// Drawing on a context that is no image (a printer page): each figure goes
// on as a vector path in logical pixels, filled with the brush and stroked
// with the pen; mix modes other than copying do not apply. A page context
// is scaled to the device's pixels and clipped to the context's clip.
struct VectorPage {
  explicit VectorPage(Dc& d);
  ~VectorPage();
  VectorPage(const VectorPage&) = delete;
  VectorPage& operator=(const VectorPage&) = delete;
  cairo_t* cr;
};
void vector_colour(cairo_t* cr, std::uint32_t pixel);
// Fills (or strokes) the current path, keeping it. A hatch's background is
// left out in transparent mode, unless `hatch_background` (a block
// transfer's pattern).
void vector_fill(cairo_t* cr, const Dc& d, const Brush& b, int fill_mode,
                 bool hatch_background = false);
void vector_stroke(cairo_t* cr, const Dc& d, const Pen& p);

// Fonts.
std::shared_ptr<FontData> font_data(Font& f);
Font* current_font(Dc& d);
// The installed family that draws a logical font.
std::string installed_family(const LOGFONTA& lf);
// The installed families whose names Windows-1252 can write, sorted
// without regard to case.
struct FontFamily {
  std::string name;
  bool fixed = false;     // every face of fixed pitch
  bool scalable = false;  // drawn from outlines
  bool truetype = false;  // TrueType or OpenType outlines
};
std::vector<FontFamily> font_families();

// DIB rows: one row of `width` pixels between the DIB layout and Cairo pixels.
int dib_row_bytes(int bits, int width);
int dib_color_count(const BITMAPINFOHEADER& h);
bool dib_supported(const BITMAPINFOHEADER& h);
void dib_read_row(const BITMAPINFOHEADER& h, const RGBQUAD* colors, const std::uint8_t* row,
                  std::uint32_t* out, int width);
void dib_write_row(const BITMAPINFOHEADER& h, const RGBQUAD* colors, int ncolors,
                   const std::uint32_t* in, std::uint8_t* row, int width);
void dib_sync_in(Bitmap& b);
void dib_sync_out(Bitmap& b);

// Creation of a bitmap object over a new RGB24 surface (white).
std::uint32_t new_bitmap(int width, int height);

}  // namespace win::detail
