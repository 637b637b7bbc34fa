#include "toolkit/colours.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win_last_error.h"
#include "toolkit/entry.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr win::COLORREF kWhite = 0x00FFFFFF;
constexpr win::COLORREF kPaletteRelative = 0x02000000;

win::COLORREF entry_colour(const win::PALETTEENTRY& e) {
  return win::COLORREF{e.peRed} | (win::COLORREF{e.peGreen} << 8) |
         (win::COLORREF{e.peBlue} << 16) | (win::COLORREF{e.peFlags} << 24);
}

win::PALETTEENTRY colour_entry(win::COLORREF c) {
  return win::PALETTEENTRY{static_cast<win::BYTE>(c & 0xFF),
                           static_cast<win::BYTE>((c >> 8) & 0xFF),
                           static_cast<win::BYTE>((c >> 16) & 0xFF), 0};
}

bool free_entry(const win::PALETTEENTRY& e) {
  const win::COLORREF c = entry_colour(e);
  return c == 0 || c == kWhite;
}

// The colour a palette device shows for `colour`: the nearest entry of the
// palette selected in it.
win::COLORREF device_nearest(win::HDC dc, win::COLORREF colour) {
  const auto palette = reinterpret_cast<win::HPALETTE>(win::GetCurrentObject(dc, win::OBJ_PAL));
  const win::UINT index = win::GetNearestPaletteIndex(palette, colour & kWhite);
  win::PALETTEENTRY e{};
  if (index == win::CLR_INVALID || win::GetPaletteEntries(palette, index, 1, &e) != 1)
    return win::GetNearestColor(dc, colour);
  return win::RGB(e.peRed, e.peGreen, e.peBlue);
}

// Appends a colour the palette does not hold yet while it has room.
bool append_colour(palette_record& palette, win::COLORREF colour) {
  if (palette.count >= kPaletteSize ||
      FIND_PALETTE_COLOR(palette.entries, palette.count, colour) >= 0)
    return false;
  palette.entries[palette.count++] = colour_entry(colour);
  palette.flags |= kPaletteChanged;
  return true;
}

// The logical palette of a record as the platform takes it.
win::HPALETTE create_palette(const palette_record& record) {
  std::vector<unsigned char> block(sizeof(win::LOGPALETTE) +
                                   sizeof(win::PALETTEENTRY) * kPaletteSize);
  auto* logical = reinterpret_cast<win::LOGPALETTE*>(block.data());
  logical->palVersion = record.version;
  logical->palNumEntries = record.count;
  std::memcpy(logical->palPalEntry, record.entries, sizeof(win::PALETTEENTRY) * record.count);
  return win::CreatePalette(logical);
}

}  // namespace

bool palette_display() { return display_metrics.palette_based != 0; }

void set_palette_display(bool on) {
  INIT_DISPLAY_METRICS();
  display_metrics.palette_based = on ? 1 : 0;
  reset_colours();
  if (on) {
    GET_STATIC_COLORS(standard_palette, nullptr, nullptr);
    saved_standard_palette = standard_palette;
  }
}

win::COLORREF MAKE_COLOR(const int* red, const int* green, const int* blue, const int* exact,
                         const int* high_byte, draw_target_t* target) {
  auto part = [](const int* p) {
    return p != nullptr ? static_cast<win::COLORREF>(std::clamp(*p, 0, 255)) : 0u;
  };
  const win::COLORREF value = part(red) + part(green) * 256 + part(blue) * 65536;
  if (high_byte != nullptr) return value + (static_cast<win::COLORREF>(*high_byte) << 24);
  if (exact != nullptr && (*exact & 1) != 0) return value;
  if (palette_display()) return NEAREST_COLOUR(value, target, nullptr);
  return value;
}

win::COLORREF DARKEN_COLOR(win::COLORREF colour, int percent) {
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    const std::int64_t c = (colour >> (8 * i)) & 0xFF;
    parts[i] = static_cast<int>(std::clamp<std::int64_t>(c - c * percent / 100, 0, 255));
  }
  return MAKE_COLOR(&parts[0], &parts[1], &parts[2], nullptr, nullptr, nullptr);
}

win::COLORREF PACK_COLOR(win::COLORREF value) { return value & kWhite; }

win::COLORREF NEAREST_COLOUR(win::COLORREF colour, draw_target_t* target, const int* add) {
  if (add != nullptr ? *add == 0 : !palette_display()) return colour;
  const bool own = target == nullptr || target->dc == nullptr;
  const win::HWND main = MAIN_WINDOW();
  const win::HDC dc = own ? win::GetDC(main) : target->dc;
  win::COLORREF result = colour;
  if (palette_display()) {
    if ((device_nearest(dc, colour) & kWhite) != (colour & kWhite)) {
      result = (colour & kWhite) + kPaletteRelative;
      if (append_colour(standard_palette, colour & kWhite))
        EnsurePalette(&standard_palette, dc, nullptr);
      append_colour(saved_standard_palette, colour & kWhite);
    }
  } else {
    result = win::GetNearestColor(dc, colour);
  }
  if (own) win::ReleaseDC(main, dc);
  return result;
}

bool EnsurePalette(palette_record* record, win::HDC device, int* ups) {
  if (record == nullptr || record->count == 0) return false;
  if (record->handle == nullptr || (record->flags & kPaletteChanged) != 0) {
    if ((record->flags & kPaletteReserved) != 0 || palette_mode == 3)
      for (int i = 0; i < record->count; ++i) record->entries[i].peFlags = win::PC_RESERVED;
    const win::HPALETTE made = create_palette(*record);
    if (made == nullptr) {
      SET_STATUS_FROM_SYSTEM(ups, "Unable to create a logical palette");
      return false;
    }
    const win::HPALETTE previous = record->handle;
    record->handle = made;
    record->flags &= ~kPaletteChanged;
    if (previous != nullptr) win::DeleteObject(previous);
  }
  if (device != nullptr && (win::SelectPalette(device, record->handle, win::FALSE) == nullptr ||
                            win::RealizePalette(device) == win::GDI_ERROR)) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to select a color palette in EnsurePalette");
    return false;
  }
  return true;
}

void RESET_PALETTE() {
  if (!palette_display()) return;
  win::DeleteObject(standard_palette.handle);
  standard_palette = saved_standard_palette;
  standard_palette.handle = nullptr;
  const win::HWND main = MAIN_WINDOW();
  const win::HDC dc = win::GetDC(main);
  EnsurePalette(&standard_palette, dc, nullptr);
  win::ReleaseDC(main, dc);
}

void GET_STATIC_COLORS(palette_record& record, const int* flags, int* ups) {
  CLEAR_STATUS(ups);
  record.handle = nullptr;
  record.flags = flags != nullptr ? *flags : 0;
  record.version = 0x300;
  const win::HDC dc = win::GetDC(nullptr);
  const win::UINT low = win::GetSystemPaletteEntries(dc, 0, 10, record.entries);
  const win::UINT high = win::GetSystemPaletteEntries(dc, 246, 10, record.entries + low);
  win::ReleaseDC(nullptr, dc);
  record.count = static_cast<win::WORD>(low + high);
  if (record.count == 0 && ups != nullptr) {
    const win::DWORD code = win::GetLastError();
    *ups = code != 0 ? static_cast<int>(code) : kToolkitError;
  }
}

palette_record* GET_BITMAP_PALETTE(win::HBITMAP bitmap) {
  if (bitmap == nullptr) return nullptr;
  const gdi_object_entry* e = FIND_GDI_OBJECT(bitmap);
  return e != nullptr ? e->palette : nullptr;
}

int FIND_PALETTE_COLOR(const win::PALETTEENTRY* entries, int count, win::COLORREF colour) {
  if (colour == 0 || colour == kWhite || count < 1) return -1;
  for (int i = 0; i < count; ++i)
    if (entry_colour(entries[i]) == colour) return i;
  return -1;
}

void MERGE_PALETTE(palette_record& destination, const palette_record& source, int* ups) {
  CLEAR_STATUS(ups);
  auto next_free = [&](int from) {
    while (from < destination.count && !free_entry(destination.entries[from])) ++from;
    return from;
  };
  int at = next_free(0);
  for (int i = 0; i < source.count && at < kPaletteSize; ++i) {
    const win::COLORREF colour = entry_colour(source.entries[i]);
    if (FIND_PALETTE_COLOR(destination.entries, destination.count, colour) >= 0) continue;
    destination.entries[at] = source.entries[i];
    destination.flags |= kPaletteChanged;
    if (at >= destination.count) destination.count = static_cast<win::WORD>(at + 1);
    at = next_free(at + 1);
  }
  EnsurePalette(&destination, nullptr, ups);
}

void CREATE_BITMAP_PALETTE(gdi_object_entry& bitmap_entry, const win::RGBQUAD* colours, int count,
                           win::HDC device, int* ups) {
  if (!palette_display()) {
    SET_STATUS(ups, "Internal error; don't need a palette", kToolkitError);
    return;
  }
  if (bitmap_entry.palette != nullptr && (bitmap_entry.palette->flags & kPaletteOfBitmap) != 0)
    FREE_PALETTE(bitmap_entry.palette);
  bitmap_entry.palette = nullptr;
  auto* own = new palette_record;
  own->flags = kPaletteOfBitmap;
  own->count = static_cast<win::WORD>(std::clamp(count, 0, kPaletteSize));
  for (int i = 0; i < own->count; ++i)
    own->entries[i] = win::PALETTEENTRY{colours[i].rgbRed, colours[i].rgbGreen, colours[i].rgbBlue,
                                        static_cast<win::BYTE>(palette_mode == 3 ? 1 : 0)};
  palette_record* used = own;
  if (palette_mode == 2) {
    MERGE_PALETTE(*own, saved_standard_palette, nullptr);
  } else if (palette_mode == 1) {
    win::DeleteObject(standard_palette.handle);
    standard_palette.handle = nullptr;
    MERGE_PALETTE(*own, standard_palette, nullptr);
    standard_palette = saved_standard_palette;
    standard_palette.handle = nullptr;
    MERGE_PALETTE(standard_palette, *own, nullptr);
    FREE_PALETTE(own);
    used = &standard_palette;
  }
  if (used != &standard_palette) bitmap_entry.palette = used;
  used->flags |= kPaletteChanged;
  if (!EnsurePalette(used, nullptr, nullptr)) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create a bitmap palette");
    return;
  }
  if (device == nullptr) return;
  if (win::SelectPalette(device, used->handle, win::FALSE) == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to select the bitmap palette");
    return;
  }
  if (win::RealizePalette(device) == win::GDI_ERROR)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to Realize the bitmap palette");
}

void MAKE_BITMAP_PALETTE(window_record_t& record) {
  if (palette_display() && record.bitmap != nullptr)
    record.palette = GET_BITMAP_PALETTE(record.bitmap);
}

void FREE_PALETTE(palette_record* record) {
  if (record == nullptr) return;
  if (record->handle != nullptr) win::DeleteObject(record->handle);
  delete record;
}

void reset_colours() {
  if (standard_palette.handle != nullptr) win::DeleteObject(standard_palette.handle);
  standard_palette = palette_record{};
  saved_standard_palette = palette_record{};
  palette_mode = 2;
}

}  // namespace toolkit
