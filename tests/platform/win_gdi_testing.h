// A white memory bitmap to draw on in the drawing tests, with pixel
// helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/win_gdi.h"

namespace gditest {

inline constexpr win::COLORREF kWhite = 0xFFFFFF;
inline constexpr win::COLORREF kBlack = 0x000000;

struct Canvas {
  win::HDC dc = nullptr;
  win::HBITMAP bitmap = nullptr;
  int w = 0, h = 0;

  Canvas(int width, int height) : w(width), h(height) {
    dc = win::CreateCompatibleDC(nullptr);
    bitmap = win::CreateCompatibleBitmap(dc, w, h);
    win::SelectObject(dc, bitmap);
    clear(kWhite);
  }
  ~Canvas() {
    win::DeleteDC(dc);
    win::DeleteObject(bitmap);
  }
  void clear(win::COLORREF c) {
    const win::HBRUSH b = win::CreateSolidBrush(c);
    const win::RECT r{0, 0, w, h};
    win::FillRect(dc, &r, b);
    win::DeleteObject(b);
  }
  win::COLORREF at(int x, int y) const { return win::GetPixel(dc, x, y); }
  bool ink(int x, int y) const { return at(x, y) != kWhite; }
  // Pixels that are not white in the rectangle (exclusive right, bottom).
  int count_ink(int l, int t, int r, int b) const {
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) n += ink(x, y) ? 1 : 0;
    return n;
  }
  int count_ink() const { return count_ink(0, 0, w, h); }
  // The ink's bounding box; empty (right <= left) when there is none.
  win::RECT ink_box() const {
    win::RECT r{w, h, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (ink(x, y)) {
          r.left = std::min<win::LONG>(r.left, x);
          r.top = std::min<win::LONG>(r.top, y);
          r.right = std::max<win::LONG>(r.right, x + 1);
          r.bottom = std::max<win::LONG>(r.bottom, y + 1);
        }
    return r;
  }
  // One text row per pixel row of the area: '#' ink, '.' white.
  std::string picture(int l, int t, int r, int b) const {
    std::string s;
    for (int y = t; y < b; ++y) {
      for (int x = l; x < r; ++x) s += ink(x, y) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  // Every pixel, for comparing before and after.
  std::string snapshot() const {
    std::string s;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) s += std::to_string(at(x, y)) + ",";
    return s;
  }
};

// Resets the drawing tables around every test.
class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::reset_gdi(); }
  void TearDown() override { plat::reset_gdi(); }
};

}  // namespace gditest
