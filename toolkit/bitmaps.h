// Bitmaps: loaded from BMP files, program resources, windows or the
// screen; blank bitmaps; pictures converted to and from arrays of pixel
// values in three formats; device-independent bitmaps (DIBs) in global
// memory and BMP files written from them. Every bitmap made here is
// recorded in the object table with kind 7 (DELETE_OBJECT frees it).
//
// A DIB is a 40-byte information header, its colour table (blue, green,
// red, 0 per entry) and the rows, bottom row first, each padded to a
// multiple of 4 bytes: ((bits per pixel x width + 31) / 32) x 4.
#pragma once

#include <cstdint>

#include "platform/win_gdi.h"
#include "platform/win_global_memory.h"
#include "toolkit/colours.h"
#include "toolkit/draw_target.h"
#include "toolkit/records.h"

namespace toolkit {

// Bytes of one DIB row.
int DIB_ROW_BYTES(int bits_per_pixel, int width);
// Colour-table entries and bytes of a DIB whose header is at `header`
// (a 12-byte old-style header or a 40-byte or longer one).
int DIB_NUM_COLORS(const void* header);
int DIB_PALETTE_SIZE(const void* header);

// The first source given wins: a resource name, a resource id, a BMP file,
// a window (its client area; with bit 0 of the whole-window flag the whole
// window; or the given rectangle), a box, a bitmap (only logged: the call
// fails), else the screen (the given rectangle or all of it).
win::HBITMAP LOAD_BITMAP(const char* resource_name, int resource_name_length,
                         const int* resource_id, const char* file_name, int file_name_length,
                         const win::HWND* window, box_record_t* box, const win::HBITMAP* bitmap,
                         const int* whole_window, const win::RECT* rect, draw_target_t* target,
                         int* ups);
// A white bitmap compatible with the target's device (or the screen).
win::HBITMAP CREATE_BITMAP(int width, int height, draw_target_t* target, int* ups);

// Pictures from arrays: the array holds the DIB's rows, bottom row first,
// each padded by the caller to 4 bytes; an array that is too short is
// refused (0x10000). The array is two-dimensional: its first extent is the
// width and its second the height (a negative extent counts as 0).
// 1-byte indices into the palette (kept with the bitmap).
win::HBITMAP ARRAY_TO_BITMAP(const std::uint8_t* array, int extent1, int extent2,
                             palette_record& palette, draw_target_t* target, int* ups);
// 2-byte pixels: red in bits 10-14, green 5-9, blue 0-4.
win::HBITMAP ARRAY_TO_BITMAP_16(const std::uint16_t* array, int extent1, int extent2,
                                draw_target_t* target, int* ups);
// 4-byte colours 0x00BBGGRR.
win::HBITMAP ARRAY_TO_BITMAP_24(const std::uint32_t* array, int extent1, int extent2,
                                draw_target_t* target, int* ups);

// Pictures into arrays: element k receives pixel k in DIB order (bottom row
// first, no padding in the array).
// 2-byte pixels: blue in bits 10-14, green 5-9, red 0-4, each (c + 4) / 8.
void BITMAP_TO_ARRAY(win::HBITMAP bitmap, std::uint16_t* array, int extent1, int extent2,
                     palette_record* palette, draw_target_t* target, int* ups);
// 1-byte indices of the nearest palette colour.
void BITMAP_TO_ARRAY_I1(win::HBITMAP bitmap, std::uint8_t* array, int extent1, int extent2,
                        palette_record* palette, draw_target_t* target, int* ups);
// 4-byte colours; the bitmap's size must be the array's.
void BITMAP_TO_ARRAY_I4(win::HBITMAP bitmap, std::uint32_t* array, int extent1, int extent2,
                        palette_record* palette, draw_target_t* target, int* ups);

// A DIB of the bitmap in new movable global memory (null on failure).
win::HGLOBAL BITMAP_TO_DIB(win::HBITMAP bitmap, draw_target_t* target, palette_record* palette,
                           int* ups);
win::HGLOBAL BITMAP_TO_DIB_HANDLE(win::HBITMAP bitmap, win::HPALETTE palette, win::HDC device);
win::HBITMAP DIB_TO_BITMAP(win::HGLOBAL dib, win::HPALETTE palette, win::HDC device);

// Copies of a window (mode 1: the given screen rectangle or the window's
// rectangle; mode 2: the given client rectangle or the client area) and of
// the screen; null for an empty rectangle or another mode.
win::HBITMAP COPY_WINDOW_TO_BITMAP(win::HWND window, int mode, const win::RECT* rect);
win::HGLOBAL COPY_WINDOW_TO_DIB(win::HWND window, int mode, const win::RECT* rect);
win::HBITMAP COPY_SCREEN_TO_BITMAP(const win::RECT& rect);
win::HGLOBAL COPY_SCREEN_TO_DIB(const win::RECT& rect);
// A logical palette of the device's colours (free with DeleteObject).
win::HPALETTE GET_SYSTEM_PALETTE(win::HDC device);
int DEVICE_COLOR_COUNT(win::HDC device);

// Writes the DIB as a BMP file; false with the system's error in ups.
bool SAVE_BITMAP_FILE(win::HGLOBAL dib, const char* file_name, int file_name_length, int* ups);
// 0 when written; 20 without a DIB, 3 when the DIB cannot be read or its
// header is not 40 bytes (no file is touched), 4 when the file could not be
// made or written.
int WRITE_BMP_FILE(win::HGLOBAL dib, const char* path);

}  // namespace toolkit
