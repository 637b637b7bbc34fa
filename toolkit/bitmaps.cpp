#include "toolkit/bitmaps.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_names.h"
#include "platform/file_replace.h"
#include "platform/win_last_error.h"
#include "platform/win_resources.h"
#include "platform/win_window.h"
#include "toolkit/boxes.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

// The device context of the array routines and of CREATE_BITMAP: the
// target's while it is not in auto-paint mode, else the screen's.
struct device_t {
  win::HDC dc = nullptr;
  bool own = false;
  explicit device_t(const draw_target_t* target) {
    if (target != nullptr && target->dc != nullptr && target->autopaint_mode == 0) {
      dc = target->dc;
    } else {
      dc = win::GetDC(nullptr);
      own = true;
    }
  }
  ~device_t() {
    if (own) win::ReleaseDC(nullptr, dc);
  }
  device_t(const device_t&) = delete;
  device_t& operator=(const device_t&) = delete;
};

// A DIB being built: header, colour table and image in one block.
struct dib_t {
  std::vector<unsigned char> block;
  win::BITMAPINFO* info() { return reinterpret_cast<win::BITMAPINFO*>(block.data()); }
  unsigned char* bits() { return block.data() + kInfoHeaderSize + table_bytes; }
  int table_bytes = 0;
};

dib_t make_dib(int width, int height, int bits, int colours) {
  dib_t d;
  d.table_bytes = colours * 4;
  const std::size_t image = static_cast<std::size_t>(DIB_ROW_BYTES(bits, width)) * height;
  d.block.assign(kInfoHeaderSize + static_cast<std::size_t>(d.table_bytes) + image, 0);
  win::BITMAPINFOHEADER h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = static_cast<win::WORD>(bits);
  h.biSizeImage = static_cast<win::DWORD>(image);
  h.biXPelsPerMeter = h.biYPelsPerMeter = 1;
  h.biClrUsed = static_cast<win::DWORD>(colours);
  std::memcpy(d.block.data(), &h, sizeof h);
  return d;
}

win::HBITMAP recorded(win::HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  if (gdi_object_entry* e = ADD_GDI_OBJECT(bitmap, nullptr)) e->kind = win::OBJ_BITMAP;
  return bitmap;
}

// The width and height of a two-dimensional array's extents.
void extents(int extent1, int extent2, int& width, int& height) {
  width = std::max(0, extent1);
  height = std::max(0, extent2);
}

// The DIB of a 16 or 32-bit picture of an array's extents; false, after
// the message, on a palette display.
bool direct_colour_dib(int bits, int extent1, int extent2, dib_t& d, int& width, int& height,
                       int* ups) {
  if (palette_display()) {
    SET_STATUS(ups,
               std::string(bits == 16 ? "16" : "24") +
                   "-bit bitmap requires the display be set for at least 16-bit color",
               kToolkitError);
    return false;
  }
  extents(extent1, extent2, width, height);
  d = make_dib(width, height, bits, 0);
  return true;
}

// A bitmap from an array that holds the DIB's rows: refused (nothing
// read) when the array is shorter than the rows need.
win::HBITMAP array_bitmap(dib_t& d, const void* array, std::size_t array_bytes, int width,
                          int height, draw_target_t* target, int* ups) {
  const int bits = d.info()->bmiHeader.biBitCount;
  const std::size_t needed = static_cast<std::size_t>(DIB_ROW_BYTES(bits, width)) * height;
  const device_t device(target);
  win::HBITMAP bitmap = nullptr;
  if (array != nullptr && needed <= array_bytes && needed > 0) {
    if (bits != 32) std::memcpy(d.bits(), array, needed);
    bitmap = win::CreateDIBitmap(device.dc, &d.info()->bmiHeader, win::CBM_INIT, d.bits(), d.info(),
                                 win::DIB_RGB_COLORS);
  }
  if (bitmap == nullptr) {
    SET_STATUS(ups, "Unable to create bitmap in ARRAY_TO_BITMAP", kToolkitError);
    return nullptr;
  }
  return recorded(bitmap);
}

// The bitmap's pixels as a 24-bit DIB of the given size, bottom row first.
bool read_pixels(win::HBITMAP bitmap, int width, int height, palette_record* palette,
                 draw_target_t* target, std::vector<unsigned char>& pixels, int& row_bytes) {
  if (width <= 0 || height <= 0) return false;
  const device_t device(target);
  if (palette_display()) {
    palette_record* use = palette != nullptr ? palette : GET_BITMAP_PALETTE(bitmap);
    EnsurePalette(use != nullptr ? use : &standard_palette, device.dc, nullptr);
  }
  dib_t d = make_dib(width, height, 24, 0);
  row_bytes = DIB_ROW_BYTES(24, width);
  if (win::GetDIBits(device.dc, bitmap, 0, static_cast<win::UINT>(height), d.bits(), d.info(),
                     win::DIB_RGB_COLORS) == 0)
    return false;
  pixels.assign(d.bits(), d.bits() + static_cast<std::size_t>(row_bytes) * height);
  return true;
}

// Pixel k of a 24-bit DIB in DIB order, as 0x00BBGGRR.
win::COLORREF pixel_k(const std::vector<unsigned char>& pixels, int row_bytes, int width, int k) {
  const unsigned char* p =
      pixels.data() + static_cast<std::size_t>(k / width) * row_bytes + (k % width) * 3;
  return win::RGB(p[2], p[1], p[0]);
}

std::uint32_t read_u32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

// A bitmap from a BMP file, or null after reporting. Only what a file can
// be trusted with is read: a 40, 108 or 124-byte uncompressed header of 1,
// 4, 8, 16, 24 or 32 bits, at most 256 table colours, a positive width and
// a height, and a table and image inside the file.
win::HBITMAP bitmap_from_file(const std::string& name, draw_target_t* target, int* ups) {
  std::FILE* f = std::fopen(plat::system_path(name).c_str(), "rb");
  if (f == nullptr) {
    SET_STATUS(ups, "Can't open bitmap file: " + name, kToolkitError);
    return nullptr;
  }
  // The headers first; the rest only as far as they say it reaches.
  std::fseek(f, 0, SEEK_END);
  const long length = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  std::vector<unsigned char> file(static_cast<std::size_t>(std::clamp<long>(length, 0, 138)));
  file.resize(std::fread(file.data(), 1, file.size(), f));
  if (file.size() < kFileHeaderSize || file[0] != 'B' || file[1] != 'M') {
    std::fclose(f);
    SET_STATUS(ups, "Unable to read a bitmap header for file: " + name, kToolkitError);
    return nullptr;
  }
  const std::string refused = "Unable to create bitmap from bitmap file: " + name;
  if (file.size() < kFileHeaderSize + kInfoHeaderSize) {
    std::fclose(f);
    SET_STATUS(ups, refused, kToolkitError);
    return nullptr;
  }
  win::BITMAPINFOHEADER h;
  std::memcpy(&h, file.data() + kFileHeaderSize, sizeof h);
  const std::uint32_t offset = read_u32(file.data() + 10);
  const int bits = h.biBitCount;
  const std::uint64_t colours =
      bits <= 8 ? (h.biClrUsed != 0 ? h.biClrUsed : (std::uint64_t{1} << bits)) : h.biClrUsed;
  const bool header_ok =
      (h.biSize == 40 || h.biSize == 108 || h.biSize == 124) &&
      (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
      h.biCompression == win::BI_RGB && colours <= 256 && h.biWidth > 0 && h.biHeight != 0 &&
      h.biHeight != INT32_MIN && h.biPlanes == 1;
  const std::uint64_t table_at = kFileHeaderSize + std::uint64_t{h.biSize};
  const std::uint64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
  const std::uint64_t image =
      header_ok ? ((std::uint64_t(bits) * h.biWidth + 31) / 32) * 4 * height : 0;
  const auto size = static_cast<std::uint64_t>(length);
  bool ok = header_ok && table_at + colours * 4 <= size && offset >= table_at + colours * 4 &&
            offset + image <= size;
  if (ok) {
    file.resize(offset + image);
    ok = std::fseek(f, 0, SEEK_SET) == 0 &&
         std::fread(file.data(), 1, file.size(), f) == file.size();
  }
  std::fclose(f);
  if (!ok) {
    SET_STATUS(ups, refused, kToolkitError);
    return nullptr;
  }
  // The header as the platform takes it, 40 bytes, with its table.
  std::vector<unsigned char> info(kInfoHeaderSize + colours * 4);
  h.biSize = kInfoHeaderSize;
  h.biClrUsed = static_cast<win::DWORD>(colours);
  h.biSizeImage = static_cast<win::DWORD>(image);
  std::memcpy(info.data(), &h, sizeof h);
  std::memcpy(info.data() + kInfoHeaderSize, file.data() + table_at, colours * 4);
  const device_t device(target);
  const win::HBITMAP bitmap = win::CreateDIBitmap(
      device.dc, &h, win::CBM_INIT, file.data() + offset,
      reinterpret_cast<const win::BITMAPINFO*>(info.data()), win::DIB_RGB_COLORS);
  if (bitmap == nullptr) {
    SET_STATUS(ups, refused, kToolkitError);
    return nullptr;
  }
  recorded(bitmap);
  if (palette_display() && colours > 0)
    if (gdi_object_entry* e = FIND_GDI_OBJECT(bitmap))
      CREATE_BITMAP_PALETTE(*e,
                            reinterpret_cast<const win::RGBQUAD*>(info.data() + kInfoHeaderSize),
                            static_cast<int>(colours), device.dc, ups);
  return bitmap;
}

// A copy of a window's part of the screen, refreshed first: the window is
// activated and painted, and kept from painting while it is copied.
win::HBITMAP copy_window(win::HWND window, int mode, const win::RECT* rect, draw_target_t* target,
                         int* ups) {
  const win::HWND active = win::GetActiveWindow();
  win::SetActiveWindow(window);
  win::UpdateWindow(window);
  win::LockWindowUpdate(window);
  win::HBITMAP bitmap = nullptr;
  if (target != nullptr && (target->flags & kPrinterTarget) != 0) {
    const win::HGLOBAL dib = COPY_WINDOW_TO_DIB(window, mode, rect);
    bitmap = DIB_TO_BITMAP(dib, nullptr, target->dc);
    if (dib != nullptr) win::GlobalFree(dib);
    if (bitmap == nullptr)
      SET_STATUS_FROM_SYSTEM(ups, "Can't create bitmap from window in LOAD_BITMAP");
  } else {
    bitmap = COPY_WINDOW_TO_BITMAP(window, mode, rect);
  }
  win::LockWindowUpdate(nullptr);
  if (active != nullptr) {
    win::SetActiveWindow(active);
    win::UpdateWindow(active);
  }
  return bitmap;
}

}  // namespace

int DIB_ROW_BYTES(int bits_per_pixel, int width) {
  return ((bits_per_pixel * width + 31) / 32) * 4;
}

int DIB_NUM_COLORS(const void* header) {
  const auto* h = static_cast<const unsigned char*>(header);
  const std::uint32_t size = read_u32(h);
  const int bits = size == 12 ? (h[10] | h[11] << 8) : (h[14] | h[15] << 8);
  if (size != 12) {
    const std::uint32_t used = read_u32(h + 32) & 0xFFFF;
    if (used != 0) return static_cast<int>(used);
  }
  switch (bits) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

int DIB_PALETTE_SIZE(const void* header) {
  const std::uint32_t size = read_u32(static_cast<const unsigned char*>(header));
  return DIB_NUM_COLORS(header) * (size == 12 ? 3 : 4);
}

win::HBITMAP LOAD_BITMAP(const char* resource_name, int resource_name_length,
                         const int* resource_id, const char* file_name, int file_name_length,
                         const win::HWND* window, box_record_t* box, const win::HBITMAP* bitmap,
                         const int* whole_window, const win::RECT* rect, draw_target_t* target,
                         int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr && CHECK_STATUS_ARGUMENT(ups, *target, "LOAD_BITMAP")) return nullptr;
  if (resource_name != nullptr) {
    const std::string name = trimmed_text(resource_name, resource_name_length);
    const win::HBITMAP made = win::LoadBitmapA(GET_MODULE_HANDLE(), name.c_str());
    if (made == nullptr)
      SET_STATUS_FROM_SYSTEM(ups, "Unable to create bitmap from bitmap resource: " + name);
    return recorded(made);
  }
  if (file_name != nullptr)
    return bitmap_from_file(trimmed_text(file_name, file_name_length), target, ups);
  win::HBITMAP made = nullptr;
  bool reported = false;
  if (resource_id != nullptr) {
    made = win::LoadBitmapA(GET_MODULE_HANDLE(), win::MAKEINTRESOURCEA(*resource_id));
  } else if (window != nullptr) {
    if (!win::IsWindow(*window)) {
      SET_STATUS(ups, "Invalid window passed to LOAD_BITMAP", kToolkitError);
      reported = true;
    } else {
      const bool whole = whole_window != nullptr && (*whole_window & 1) != 0;
      made = copy_window(*window, whole ? 1 : 2, rect, target, ups);
    }
  } else if (box != nullptr) {
    if (!CHECK_BOX_ARGUMENT(box, "LOAD_BITMAP", ups)) return nullptr;
    made = copy_window(box->window, 2, rect != nullptr ? rect : &box->client, target, ups);
  } else if (bitmap != nullptr) {
    write_diagnosis_line("bitmap", static_cast<int>(win::handle_value(*bitmap)));
  } else {
    INIT_DISPLAY_METRICS();
    const win::RECT screen{0, 0, display_metrics.screen_width, display_metrics.screen_height};
    const win::RECT& r = rect != nullptr ? *rect : screen;
    if (target != nullptr && (target->flags & kPrinterTarget) != 0) {
      const win::HGLOBAL dib = COPY_SCREEN_TO_DIB(r);
      made = DIB_TO_BITMAP(dib, nullptr, target->dc);
      if (dib != nullptr) win::GlobalFree(dib);
      if (made == nullptr) {
        SET_STATUS_FROM_SYSTEM(ups, "Can't create bitmap from window in LOAD_BITMAP");
        reported = true;
      }
    } else {
      made = COPY_SCREEN_TO_BITMAP(r);
    }
  }
  if (made == nullptr) {
    if (!reported && (ups == nullptr || *ups == 0))
      SET_STATUS(ups, "Unable to create bitmap in LOAD_BITMAP", kToolkitError);
    return nullptr;
  }
  return recorded(made);
}

win::HBITMAP CREATE_BITMAP(int width, int height, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  const device_t device(target);
  const win::HBITMAP bitmap = win::CreateCompatibleBitmap(device.dc, width, height);
  if (bitmap == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create a bitmap in CREATE_BITMAP");
    return nullptr;
  }
  recorded(bitmap);
  const win::HDC memory = win::CreateCompatibleDC(device.dc);
  const win::HGDIOBJ old = win::SelectObject(memory, bitmap);
  if (!win::PatBlt(memory, 0, 0, width, height, win::WHITENESS))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to BitBlt in CREATE_BITMAP");
  win::SelectObject(memory, old);
  win::DeleteDC(memory);
  return bitmap;
}

win::HBITMAP ARRAY_TO_BITMAP(const std::uint8_t* array, int extent1, int extent2,
                             palette_record& palette, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  int width = 0, height = 0;
  extents(extent1, extent2, width, height);
  const int count = std::clamp<int>(palette.count, 0, kPaletteSize);
  dib_t d = make_dib(width, height, 8, count);
  for (int i = 0; i < count; ++i)
    d.info()->bmiColors[i] = win::RGBQUAD{palette.entries[i].peBlue, palette.entries[i].peGreen,
                                          palette.entries[i].peRed, 0};
  const win::HBITMAP bitmap =
      array_bitmap(d, array, std::size_t(width) * height, width, height, target, ups);
  if (bitmap == nullptr) return nullptr;
  // The bitmap keeps its own copy of the palette.
  if (gdi_object_entry* e = FIND_GDI_OBJECT(bitmap)) {
    e->palette = new palette_record(palette);
    e->palette->handle = nullptr;
    e->palette->flags |= kPaletteOfBitmap | kPaletteChanged;
    if (palette_display()) {
      const device_t device(target);
      EnsurePalette(e->palette, device.dc, nullptr);
    }
  }
  return bitmap;
}

win::HBITMAP ARRAY_TO_BITMAP_16(const std::uint16_t* array, int extent1, int extent2,
                                draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  dib_t d;
  int width = 0, height = 0;
  if (!direct_colour_dib(16, extent1, extent2, d, width, height, ups)) return nullptr;
  return array_bitmap(d, array, std::size_t(width) * height * 2, width, height, target, ups);
}

win::HBITMAP ARRAY_TO_BITMAP_24(const std::uint32_t* array, int extent1, int extent2,
                                draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  dib_t d;
  int width = 0, height = 0;
  if (!direct_colour_dib(32, extent1, extent2, d, width, height, ups)) return nullptr;
  if (array != nullptr) {
    unsigned char* out = d.bits();
    for (std::size_t k = 0; k < std::size_t(width) * height; ++k) {
      const std::uint32_t c = array[k];
      out[4 * k] = static_cast<unsigned char>(c >> 16);
      out[4 * k + 1] = static_cast<unsigned char>(c >> 8);
      out[4 * k + 2] = static_cast<unsigned char>(c);
    }
  }
  return array_bitmap(d, array, std::size_t(width) * height * 4, width, height, target, ups);
}

void BITMAP_TO_ARRAY(win::HBITMAP bitmap, std::uint16_t* array, int extent1, int extent2,
                     palette_record* palette, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  int width = 0, height = 0, row = 0;
  extents(extent1, extent2, width, height);
  std::vector<unsigned char> pixels;
  if (array == nullptr || !read_pixels(bitmap, width, height, palette, target, pixels, row)) {
    SET_STATUS(ups, "Unable to convert bitmap to an array", kToolkitError);
    return;
  }
  auto five = [](int c) { return std::min(31, (c + 4) / 8); };
  for (int k = 0; k < width * height; ++k) {
    const win::COLORREF c = pixel_k(pixels, row, width, k);
    array[k] = static_cast<std::uint16_t>(five(win::GetBValue(c)) << 10 |
                                          five(win::GetGValue(c)) << 5 | five(win::GetRValue(c)));
  }
}

void BITMAP_TO_ARRAY_I1(win::HBITMAP bitmap, std::uint8_t* array, int extent1, int extent2,
                        palette_record* palette, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  int width = 0, height = 0, row = 0;
  extents(extent1, extent2, width, height);
  palette_record* use = palette != nullptr ? palette : GET_BITMAP_PALETTE(bitmap);
  if (use == nullptr) use = &standard_palette;
  std::vector<unsigned char> pixels;
  if (array == nullptr || !EnsurePalette(use, nullptr, nullptr) ||
      !read_pixels(bitmap, width, height, palette, target, pixels, row)) {
    SET_STATUS(ups, "Unable to convert bitmap to an array", kToolkitError);
    return;
  }
  for (int k = 0; k < width * height; ++k) {
    const win::UINT index =
        win::GetNearestPaletteIndex(use->handle, pixel_k(pixels, row, width, k));
    if (index == win::CLR_INVALID) {
      SET_STATUS(ups, "Unable to convert bitmap to an array", kToolkitError);
      return;
    }
    array[k] = static_cast<std::uint8_t>(index);
  }
}

void BITMAP_TO_ARRAY_I4(win::HBITMAP bitmap, std::uint32_t* array, int extent1, int extent2,
                        palette_record* palette, draw_target_t* target, int* ups) {
  CLEAR_STATUS(ups);
  int width = 0, height = 0, row = 0;
  extents(extent1, extent2, width, height);
  win::BITMAP bm{};
  if (win::GetObjectType(bitmap) != win::OBJ_BITMAP ||
      win::GetObjectA(bitmap, sizeof bm, &bm) == 0) {
    SET_STATUS(ups, "Invalid Bitmap handle in C_BITMAP_TO_ARRAY_I4", kToolkitError);
    return;
  }
  if (bm.bmWidth != width || bm.bmHeight != height) {
    SET_STATUS(ups, "Bitmap size does not match array size in C_BITMAP_TO_ARRAY_I4", kToolkitError);
    return;
  }
  std::vector<unsigned char> pixels;
  if (array == nullptr || !read_pixels(bitmap, width, height, palette, target, pixels, row)) {
    SET_STATUS(ups, "Unable to convert bitmap to an array", kToolkitError);
    return;
  }
  for (int k = 0; k < width * height; ++k) array[k] = pixel_k(pixels, row, width, k);
}

win::HGLOBAL BITMAP_TO_DIB_HANDLE(win::HBITMAP bitmap, win::HPALETTE palette, win::HDC device) {
  win::BITMAP bm{};
  if (win::GetObjectType(bitmap) != win::OBJ_BITMAP || win::GetObjectA(bitmap, sizeof bm, &bm) == 0)
    return nullptr;
  const int depth = bm.bmPlanes * bm.bmBitsPixel;
  const int bits = depth <= 1 ? 1 : depth <= 4 ? 4 : depth <= 8 ? 8 : 24;
  const int colours = bits <= 8 ? 1 << bits : 0;
  const bool own_device = device == nullptr;
  if (own_device) device = win::GetDC(nullptr);
  const win::HPALETTE use =
      palette != nullptr
          ? palette
          : reinterpret_cast<win::HPALETTE>(win::GetStockObject(win::DEFAULT_PALETTE));
  const win::HPALETTE previous = win::SelectPalette(device, use, win::FALSE);
  win::RealizePalette(device);
  win::BITMAPINFOHEADER h;
  h.biWidth = bm.bmWidth;
  h.biHeight = bm.bmHeight;
  h.biBitCount = static_cast<win::WORD>(bits);
  const std::size_t head = kInfoHeaderSize + std::size_t(colours) * 4;
  win::HGLOBAL block = win::GlobalAlloc(win::GMEM_MOVEABLE, head);
  bool ok = block != nullptr;
  if (ok) {
    auto* info = static_cast<win::BITMAPINFO*>(win::GlobalLock(block));
    info->bmiHeader = h;
    ok = win::GetDIBits(device, bitmap, 0, static_cast<win::UINT>(bm.bmHeight), nullptr, info,
                        win::DIB_RGB_COLORS) != 0;
    if (ok && info->bmiHeader.biSizeImage == 0)
      info->bmiHeader.biSizeImage =
          static_cast<win::DWORD>(DIB_ROW_BYTES(bits, bm.bmWidth)) * bm.bmHeight;
    const std::size_t image = ok ? info->bmiHeader.biSizeImage : 0;
    win::GlobalUnlock(block);
    if (ok) {
      const win::HGLOBAL grown = win::GlobalReAlloc(block, head + image, win::GMEM_MOVEABLE);
      ok = grown != nullptr;
      if (ok) block = grown;
    }
    if (ok) {
      auto* whole = static_cast<unsigned char*>(win::GlobalLock(block));
      ok = win::GetDIBits(device, bitmap, 0, static_cast<win::UINT>(bm.bmHeight), whole + head,
                          reinterpret_cast<win::BITMAPINFO*>(whole), win::DIB_RGB_COLORS) != 0;
      win::GlobalUnlock(block);
    }
  }
  if (previous != nullptr) win::SelectPalette(device, previous, win::FALSE);
  if (own_device) win::ReleaseDC(nullptr, device);
  if (!ok && block != nullptr) {
    win::GlobalFree(block);
    block = nullptr;
  }
  return block;
}

win::HGLOBAL BITMAP_TO_DIB(win::HBITMAP bitmap, draw_target_t* target, palette_record* palette,
                           int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr && CHECK_STATUS_ARGUMENT(ups, *target, "BITMAP_TO_DIB")) return nullptr;
  if (palette != nullptr) EnsurePalette(palette, nullptr, nullptr);
  const win::HPALETTE use = palette != nullptr ? palette->handle : standard_palette.handle;
  const win::HGLOBAL dib =
      BITMAP_TO_DIB_HANDLE(bitmap, use, target != nullptr ? target->dc : nullptr);
  if (dib == nullptr) SET_STATUS(ups, "Unable to create DIB in BITMAP_TO_DIB", kToolkitError);
  return dib;
}

win::HBITMAP DIB_TO_BITMAP(win::HGLOBAL dib, win::HPALETTE palette, win::HDC device) {
  if (dib == nullptr) return nullptr;
  const auto* info = static_cast<const win::BITMAPINFO*>(win::GlobalLock(dib));
  if (info == nullptr) return nullptr;
  win::HPALETTE previous = nullptr;
  if (palette != nullptr) {
    previous = win::SelectPalette(device, palette, win::FALSE);
    win::RealizePalette(device);
  }
  const auto* bits = reinterpret_cast<const unsigned char*>(info) + info->bmiHeader.biSize +
                     DIB_PALETTE_SIZE(info);
  const win::HBITMAP bitmap =
      win::CreateDIBitmap(device, &info->bmiHeader, win::CBM_INIT, bits, info, win::DIB_RGB_COLORS);
  if (previous != nullptr) win::SelectPalette(device, previous, win::FALSE);
  win::GlobalUnlock(dib);
  return bitmap;
}

win::HBITMAP COPY_SCREEN_TO_BITMAP(const win::RECT& rect) {
  if (rect.right <= rect.left || rect.bottom <= rect.top) return nullptr;
  INIT_DISPLAY_METRICS();
  const int left = std::max<int>(rect.left, 0), top = std::max<int>(rect.top, 0);
  const int width = std::min<int>(display_metrics.screen_width, rect.right) - left;
  const int height = std::min<int>(display_metrics.screen_height, rect.bottom) - top;
  if (width <= 0 || height <= 0) return nullptr;
  const win::HDC screen = win::GetDC(nullptr);
  const win::HBITMAP bitmap = win::CreateCompatibleBitmap(screen, width, height);
  if (bitmap != nullptr) {
    const win::HDC memory = win::CreateCompatibleDC(screen);
    const win::HGDIOBJ old = win::SelectObject(memory, bitmap);
    win::BitBlt(memory, 0, 0, width, height, screen, left, top, win::SRCCOPY);
    win::SelectObject(memory, old);
    win::DeleteDC(memory);
  }
  win::ReleaseDC(nullptr, screen);
  return bitmap;
}

win::HGLOBAL COPY_SCREEN_TO_DIB(const win::RECT& rect) {
  const win::HBITMAP bitmap = COPY_SCREEN_TO_BITMAP(rect);
  if (bitmap == nullptr) return nullptr;
  const win::HDC screen = win::GetDC(nullptr);
  const win::HPALETTE palette = GET_SYSTEM_PALETTE(screen);
  const win::HGLOBAL dib = BITMAP_TO_DIB_HANDLE(bitmap, palette, screen);
  win::ReleaseDC(nullptr, screen);
  if (palette != nullptr) win::DeleteObject(palette);
  win::DeleteObject(bitmap);
  return dib;
}

namespace {

// The part of the screen that a window copy of this mode takes.
bool window_copy_rect(win::HWND window, int mode, const win::RECT* rect, win::RECT& out) {
  if (mode == 1) {
    if (rect != nullptr) {
      out = *rect;
      return true;
    }
    return win::GetWindowRect(window, &out) != 0;
  }
  if (mode != 2) return false;
  if (rect != nullptr)
    out = *rect;
  else if (!win::GetClientRect(window, &out))
    return false;
  win::POINT a{out.left, out.top}, b{out.right, out.bottom};
  win::ClientToScreen(window, &a);
  win::ClientToScreen(window, &b);
  out = win::RECT{a.x, a.y, b.x, b.y};
  return true;
}

}  // namespace

win::HBITMAP COPY_WINDOW_TO_BITMAP(win::HWND window, int mode, const win::RECT* rect) {
  win::RECT r{};
  return window_copy_rect(window, mode, rect, r) ? COPY_SCREEN_TO_BITMAP(r) : nullptr;
}

win::HGLOBAL COPY_WINDOW_TO_DIB(win::HWND window, int mode, const win::RECT* rect) {
  win::RECT r{};
  return window_copy_rect(window, mode, rect, r) ? COPY_SCREEN_TO_DIB(r) : nullptr;
}

int DEVICE_COLOR_COUNT(win::HDC device) {
  const int count = (win::GetDeviceCaps(device, win::RASTERCAPS) & win::RC_PALETTE) != 0
                        ? win::GetDeviceCaps(device, win::SIZEPALETTE)
                        : win::GetDeviceCaps(device, win::NUMCOLORS);
  return count < 0 ? 256 : count;
}

win::HPALETTE GET_SYSTEM_PALETTE(win::HDC device) {
  const int count = std::clamp(DEVICE_COLOR_COUNT(device), 1, kPaletteSize);
  std::vector<unsigned char> block(sizeof(win::LOGPALETTE) + sizeof(win::PALETTEENTRY) * count);
  auto* logical = reinterpret_cast<win::LOGPALETTE*>(block.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<win::WORD>(count);
  win::GetSystemPaletteEntries(device, 0, static_cast<win::UINT>(count), logical->palPalEntry);
  return win::CreatePalette(logical);
}

bool SAVE_BITMAP_FILE(win::HGLOBAL dib, const char* file_name, int file_name_length, int* ups) {
  CLEAR_STATUS(ups);
  const std::string path = trimmed_text(file_name, file_name_length);
  if (WRITE_BMP_FILE(dib, path.c_str()) == 0) return true;
  if (ups != nullptr) {
    const win::DWORD code = win::GetLastError();
    *ups = code != 0 ? static_cast<int>(code) : kToolkitError;
  }
  return false;
}

int WRITE_BMP_FILE(win::HGLOBAL dib, const char* path) {
  if (dib == nullptr) return 20;
  auto* block = static_cast<unsigned char*>(win::GlobalLock(dib));
  if (block == nullptr) return 3;
  win::BITMAPINFOHEADER h;
  const std::size_t size = win::GlobalSize(dib);
  if (size < sizeof h) {
    win::GlobalUnlock(dib);
    return 3;
  }
  std::memcpy(&h, block, sizeof h);
  const int table = DIB_PALETTE_SIZE(block);
  if (h.biCompression != win::BI_RLE8 && h.biCompression != win::BI_RLE4) {
    const std::int64_t height = h.biHeight < 0 ? -std::int64_t{h.biHeight} : h.biHeight;
    h.biSizeImage =
        static_cast<win::DWORD>(((std::int64_t{h.biBitCount} * h.biWidth + 31) / 32) * 4 * height);
  }
  const std::size_t body = sizeof h + std::size_t(table) + h.biSizeImage;
  if (h.biSize != kInfoHeaderSize || body > size) {
    win::GlobalUnlock(dib);
    return 3;
  }
  std::memcpy(block, &h, sizeof h);
  win::BITMAPFILEHEADER f;
  f.bfType = 0x4D42;
  f.bfSize = static_cast<win::DWORD>(kFileHeaderSize + body);
  f.bfOffBits = static_cast<win::DWORD>(kFileHeaderSize + sizeof h + table);
  std::string bytes(reinterpret_cast<const char*>(&f), sizeof f);
  bytes.append(reinterpret_cast<const char*>(block), body);
  win::GlobalUnlock(dib);
  // A file there keeps its bytes until the new ones are whole.
  const plat::ReplaceResult written = plat::replace_file(path, bytes);
  if (!written.ok()) {
    win::SetLastErrorFromErrno(written.error);
    return 4;
  }
  return 0;
}

}  // namespace toolkit
