// Colours and palettes: colour values 0x00BBGGRR made from their parts,
// darkened and matched to what a device can show, and the logical palettes
// of palette-based displays (one standard palette shared by all windows,
// one per bitmap read from a file). The platform's displays are true
// colour, so the palette-display flag is off, palettes are kept as records
// but never realised, and colours pass unchanged; tests switch the flag on
// (`set_palette_display`) to exercise the palette rules.
#pragma once

#include <cstdint>

#include "platform/win_gdi.h"
#include "toolkit/draw_target.h"
#include "toolkit/records.h"

namespace toolkit {

inline constexpr int kPaletteSize = 256;

// A logical palette with its object.
struct palette_record {
  win::HPALETTE handle = nullptr;  // null until created
  std::int32_t flags = 0;
  win::WORD version = 0x300;
  win::WORD count = 0;
  win::PALETTEENTRY entries[kPaletteSize] = {};
};
inline constexpr std::int32_t kPaletteChanged = 0x2;   // create the object again
inline constexpr std::int32_t kPaletteReserved = 0x4;  // entries reserved when created
inline constexpr std::int32_t kPaletteOfBitmap = 0x8;  // freed with its bitmap

// How a bitmap's palette combines with the standard palette: 1 merged into
// the standard palette, 2 the standard colours merged into the bitmap's,
// 3 the bitmap keeps its own (entries reserved).
inline int palette_mode = 2;
// The standard palette and its copy as first built.
inline palette_record standard_palette;
inline palette_record saved_standard_palette;

// Whether the display is palette based (the display metrics' flag).
bool palette_display();
// Turns the palette rules on or off, the standard palette starting from
// the static colours. For tests.
void set_palette_display(bool on);

// red + green x 256 + blue x 65536, each part limited to 0..255; with a
// high byte that byte is added on top; without the exact flag (bit 0), on
// a palette display, the colour is matched through NEAREST_COLOUR.
win::COLORREF MAKE_COLOR(const int* red, const int* green, const int* blue, const int* exact,
                         const int* high_byte, draw_target_t* target);
// Each part less part x percent / 100, not below 0.
win::COLORREF DARKEN_COLOR(win::COLORREF colour, int percent);
win::COLORREF PACK_COLOR(win::COLORREF value);
// The colour to use for `colour` on the target's device (the main
// window's without a target). On a palette display a colour the device
// cannot show exactly comes back palette-relative (0x02000000 added) and
// is appended to the standard palette while it holds fewer than 256
// entries. `add` given and 0: the colour unchanged.
win::COLORREF NEAREST_COLOUR(win::COLORREF colour, draw_target_t* target, const int* add);

// Creates the record's palette object when it has none or is marked
// changed, and with a device selects and realises it. False when there is
// no palette to use.
bool EnsurePalette(palette_record* record, win::HDC device, int* ups);
void RESET_PALETTE();
void GET_STATIC_COLORS(palette_record& record, const int* flags, int* ups);
// The palette recorded with a bitmap in the object table, or null.
palette_record* GET_BITMAP_PALETTE(win::HBITMAP bitmap);
// The index of the colour among the first `count` entries; -1 when there
// is none, and always for black, white or a count below 1.
int FIND_PALETTE_COLOR(const win::PALETTEENTRY* entries, int count, win::COLORREF colour);
// Adds the source's colours missing from the destination into its free
// entries (black and white count as free), never beyond 256 entries.
void MERGE_PALETTE(palette_record& destination, const palette_record& source, int* ups);
// The palette of a bitmap read from a file with a colour table (palette
// displays only).
void CREATE_BITMAP_PALETTE(gdi_object_entry& bitmap_entry, const win::RGBQUAD* colours, int count,
                           win::HDC device, int* ups);
// A window's palette from its backing bitmap's (palette displays only).
void MAKE_BITMAP_PALETTE(window_record_t& record);
// Frees a palette record and its object.
void FREE_PALETTE(palette_record* record);

// The palette state back to its start. For tests.
void reset_colours();

}  // namespace toolkit
