#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/win_gdi.h"
#include "win_gdi_testing.h"

using namespace win;
using gditest::Canvas;
using gditest::kBlack;
using gditest::kWhite;

class GdiDib : public gditest::GdiTest {};

namespace {

// A BITMAPINFO with room for a full colour table.
struct Info {
  BITMAPINFOHEADER h;
  RGBQUAD colors[256];
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(this); }
};

int row_bytes(int bits, int w) { return ((bits * w + 31) / 32) * 4; }

// Picture bytes whose every pixel survives a round trip at `bits` (table
// entries the reader gives back, 5-bit channels for 16 bits); padding 0.
std::vector<std::uint8_t> sample_rows(int bits, int w, int h) {
  std::vector<std::uint8_t> v(static_cast<std::size_t>(row_bytes(bits, w)) * h, 0);
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = v.data() + std::size_t(y) * row_bytes(bits, w);
    for (int x = 0; x < w; ++x) {
      const int k = x * 3 + y * 5;
      switch (bits) {
        case 1:
          row[x / 8] |= static_cast<std::uint8_t>((k & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= static_cast<std::uint8_t>((k & 15) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = static_cast<std::uint8_t>(k * 7);
          break;
        case 16:
          row[2 * x] = static_cast<std::uint8_t>(k * 37);
          row[2 * x + 1] = static_cast<std::uint8_t>((k * 11) & 0x7F);
          break;
        default:
          for (int b = 0; b < 3; ++b)
            row[x * (bits / 8) + b] = static_cast<std::uint8_t>(k * 13 + b * 50);
          break;
      }
    }
  }
  return v;
}

}  // namespace

TEST_F(GdiDib, RoundTripAtEveryDepthBothRowOrders) {
  const int w = 7, h = 5;
  Canvas c(w, h);
  for (int bits : {1, 4, 8, 16, 24, 32})
    for (int dir : {1, -1}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, height " << dir * h);
      Info in{};
      in.h.biWidth = w;
      in.h.biHeight = dir * h;
      in.h.biBitCount = static_cast<WORD>(bits);
      // The table a reader gives back, so that indices survive.
      Info probe = in;
      ASSERT_NE(GetDIBits(c.dc, c.bitmap, 0, h, nullptr, probe.get(), DIB_RGB_COLORS), 0);
      std::memcpy(in.colors, probe.colors, sizeof in.colors);
      const std::vector<std::uint8_t> rows = sample_rows(bits, w, h);
      EXPECT_EQ(SetDIBits(c.dc, c.bitmap, 0, h, rows.data(), in.get(), DIB_RGB_COLORS), h);
      Info out{};
      out.h.biWidth = w;
      out.h.biHeight = dir * h;
      out.h.biBitCount = static_cast<WORD>(bits);
      std::vector<std::uint8_t> back(rows.size(), 0xEE);
      EXPECT_EQ(GetDIBits(c.dc, c.bitmap, 0, h, back.data(), out.get(), DIB_RGB_COLORS), h);
      EXPECT_EQ(back, rows);
      EXPECT_EQ(out.h.biSizeImage, rows.size());
    }
}

TEST_F(GdiDib, RowOrderAndPaddingFollowTheHeader) {
  // A 3 x 2 picture of 8-bit indices: rows of 4 bytes, the first row in
  // memory the bottom one.
  Info in{};
  in.h.biWidth = 3;
  in.h.biHeight = 2;
  in.h.biBitCount = 8;
  in.h.biClrUsed = 2;
  in.colors[0] = RGBQUAD{0, 0, 255, 0};  // red
  in.colors[1] = RGBQUAD{255, 0, 0, 0};  // blue
  const std::uint8_t rows[8] = {0, 1, 0, 99, 1, 1, 1, 99};
  const HDC screen = CreateCompatibleDC(nullptr);
  const HBITMAP bm = CreateDIBitmap(screen, &in.h, CBM_INIT, rows, in.get(), DIB_RGB_COLORS);
  ASSERT_NE(bm, nullptr);
  SelectObject(screen, bm);
  EXPECT_EQ(GetPixel(screen, 0, 1), RGB(255, 0, 0));  // bottom row
  EXPECT_EQ(GetPixel(screen, 1, 1), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(screen, 0, 0), RGB(0, 0, 255));  // top row
  BITMAP info;
  EXPECT_EQ(GetObjectA(bm, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);

  // 24-bit read-out of a 32-bit picture: blue, green, red per pixel.
  Info out{};
  out.h.biBitCount = 0;
  GetDIBits(screen, bm, 0, 0, nullptr, out.get(), DIB_RGB_COLORS);
  EXPECT_EQ(out.h.biWidth, 3);
  EXPECT_EQ(out.h.biHeight, 2);
  out.h.biBitCount = 24;
  out.h.biHeight = -2;  // top-down
  std::uint8_t px[2 * 12] = {};
  EXPECT_EQ(GetDIBits(screen, bm, 0, 2, px, out.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(px[0], 255);  // top-left blue
  EXPECT_EQ(px[2], 0);
  EXPECT_EQ(px[12 + 2], 255);  // bottom-left red
  DeleteDC(screen);
  DeleteObject(bm);
}

TEST_F(GdiDib, DibSectionBitsAndDrawingStayTogether) {
  for (int dir : {-1, 1})
    for (int bits : {32, 24, 8}) {
      SCOPED_TRACE(::testing::Message() << bits << " bits, direction " << dir);
      Info in{};
      in.h.biWidth = 5;
      in.h.biHeight = dir * 4;
      in.h.biBitCount = static_cast<WORD>(bits);
      in.colors[0] = RGBQUAD{255, 255, 255, 0};
      in.colors[1] = RGBQUAD{0, 0, 0, 0};
      in.colors[2] = RGBQUAD{0, 0, 255, 0};
      void* raw = nullptr;
      const HDC dc = CreateCompatibleDC(nullptr);
      const HBITMAP bm = CreateDIBSection(dc, in.get(), DIB_RGB_COLORS, &raw, nullptr, 0);
      ASSERT_NE(bm, nullptr);
      ASSERT_NE(raw, nullptr);
      auto* bytes = static_cast<std::uint8_t*>(raw);
      SelectObject(dc, bm);
      const RECT all{0, 0, 5, 4};
      FillRect(dc, &all, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      // Drawing shows in the bits: the top row is the last row in memory
      // when bottom-up.
      SetPixel(dc, 0, 0, RGB(255, 0, 0));
      const int rb = row_bytes(bits, 5);
      const std::uint8_t* top = bytes + (dir > 0 ? 3 * rb : 0);
      if (bits == 8) {
        EXPECT_EQ(top[0], 2);
        EXPECT_EQ(top[1], 0);
      } else {
        EXPECT_EQ(top[2], 255);
        EXPECT_EQ(top[0], 0);
      }
      // Bits written directly show in drawing.
      std::uint8_t* bottom = bytes + (dir > 0 ? 0 : 3 * rb);
      if (bits == 8)
        bottom[4] = 1;
      else
        std::memset(bottom + 4 * (bits / 8), 0, 3);
      EXPECT_EQ(GetPixel(dc, 4, 3), kBlack);
      DIBSECTION ds;
      EXPECT_EQ(GetObjectA(bm, sizeof ds, &ds), static_cast<int>(sizeof ds));
      EXPECT_EQ(ds.dsBm.bmBits, raw);
      EXPECT_EQ(ds.dsBmih.biBitCount, bits);
      DeleteDC(dc);
      DeleteObject(bm);
    }
}

TEST_F(GdiDib, StretchAndDeviceCopiesMeasureBottomUpSourcesFromBelow) {
  // A 2 x 2 bottom-up 24-bit DIB: bottom row red, green; top row blue, white.
  Info in{};
  in.h.biWidth = 2;
  in.h.biHeight = 2;
  in.h.biBitCount = 24;
  const std::uint8_t rows[16] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
  Canvas c(8, 8);
  // Source row 0 counted from below is the bottom row.
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 4, 2, 0, 0, 2, 1, rows, in.get(), DIB_RGB_COLORS, SRCCOPY),
            1);
  EXPECT_EQ(c.at(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.at(3, 1), RGB(0, 255, 0));
  EXPECT_EQ(c.at(0, 2), kWhite);
  c.clear(kWhite);
  EXPECT_EQ(SetDIBitsToDevice(c.dc, 1, 1, 2, 2, 0, 0, 0, 2, rows, in.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(c.at(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(c.at(2, 1), kWhite);
  EXPECT_EQ(c.at(1, 2), RGB(255, 0, 0));
  // Unsupported layouts are refused.
  in.h.biCompression = BI_RLE8;
  EXPECT_EQ(StretchDIBits(c.dc, 0, 0, 2, 2, 0, 0, 2, 2, rows, in.get(), DIB_RGB_COLORS, SRCCOPY),
            0);
  EXPECT_EQ(CreateDIBSection(c.dc, in.get(), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
}
