// Helpers of the drawing tests: windows with a paint callback or a paint
// style, the pixels of bitmaps, and the message box that reports a failure
// without ups.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/win_gdi.h"
#include "platform/win_message_box.h"
#include "toolkit/loops.h"
#include "toolkit/status.h"
#include "toolkit/windows.h"
#include "toolkit_fixture.h"

namespace drawtest {

// A toolkit main window of 200 x 100 client pixels at (0, 0).
inline win::HWND make_window(toolkit::paint_callback paint = nullptr, const int* style = nullptr,
                             const win::HBITMAP* bitmap = nullptr) {
  const float at = 0.0F;
  const int width = 200, height = 100;
  return toolkit::CREATE_WINDOW("W", 1, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &at, &at,
                                nullptr, nullptr, &width, &height, style, nullptr, 0, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, paint, nullptr,
                                nullptr, nullptr, bitmap, nullptr);
}

inline void pump() {
  for (int i = 0; i < 20 && toolkit::PROCESS_MESSAGES() != 0; ++i) {
  }
}

// A pixel of a bitmap as 0x00BBGGRR.
inline std::uint32_t bitmap_pixel(win::HBITMAP bitmap, int x, int y) {
  cairo_surface_t* s = plat::bitmap_surface(bitmap);
  cairo_surface_flush(s);
  std::uint32_t v;
  std::memcpy(&v,
              cairo_image_surface_get_data(s) +
                  std::ptrdiff_t(y) * cairo_image_surface_get_stride(s) + x * 4,
              sizeof v);
  return ((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16);
}

// The text of the one report shown since the last call (diagnosis mode 1,
// answered Yes), "" when none.
inline std::string last_report() {
  const auto& log = plat::message_box_log();
  return log.empty() ? std::string() : log.back().text;
}

}  // namespace drawtest
