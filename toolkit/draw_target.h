// The drawing target: a record that the caller owns and a start routine
// fills; every drawing routine takes it first. Its routines come with the
// drawing layer; the record is here because window and box callbacks and
// the device queries already pass it.
#pragma once

#include <cstdint>

#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace toolkit {

struct box_record_t;

struct draw_target_t {
  win::HWND window = nullptr;          // the window (or a box's window) drawn on
  win::PAINTSTRUCT* paint = nullptr;   // the paint record during a paint callback
  win::HDC dc = nullptr;               // memory or window device context
  box_record_t* box = nullptr;         // the box drawn on
  win::HBITMAP bitmap = nullptr;       // selected into a memory device context
  win::HPEN pen = nullptr;             // current pen, brush and font made for
  win::HBRUSH brush = nullptr;         // the target, deleted when replaced or
  win::HFONT font = nullptr;           // when the drawing ends
  win::RECT bounds;                    // drawing area in pixels
  std::int32_t flags = 0;              // 2: a printer target
  win::POINT current;                  // where the next line starts
  win::POINT continuation;             // the end of the last text output
  std::int32_t pixels_per_inch_y = 0;  // 0 until first needed
  std::int32_t pixels_per_inch_x = 0;
  float pixels_per_mm_y = 0.0F;
  float pixels_per_mm_x = 0.0F;
  std::int32_t autopaint_mode = 0;  // 0 draw, 1 record, 2 replay
  std::uint32_t marker = 0;         // 0x789ABCDE while open
};

}  // namespace toolkit
