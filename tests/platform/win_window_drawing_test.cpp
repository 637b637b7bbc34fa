// A whole window at work: a class with its own procedure that draws every
// kind of figure while painting, checked pixel by pixel on the headless
// screen, with the messages that led there.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/win_gdi.h"
#include "tests/platform/win_window_recorder.h"
#include "tests/support/test_support.h"

using namespace win;
using namespace wintest;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kInk = RGB(0, 0, 160);
constexpr COLORREF kFill = RGB(0, 170, 0);

COLORREF at(HWND w, int x, int y) { return plat::window_pixel(w, x, y); }

// Draws one of each figure; every figure has its own part of the client area.
void draw_everything(HDC dc) {
  HPEN pen = CreatePen(PS_SOLID, 1, kInk);
  HBRUSH fill = CreateSolidBrush(kFill);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  HGDIOBJ old_brush = SelectObject(dc, fill);

  MoveToEx(dc, 10, 10, nullptr);  // a line: (10,10) to (60,10), end left out
  LineTo(dc, 60, 10);
  const POINT zigzag[] = {{10, 20}, {30, 40}, {50, 20}};
  Polyline(dc, zigzag, 3);
  const POINT triangle[] = {{80, 10}, {120, 10}, {100, 40}};
  Polygon(dc, triangle, 3);
  const POINT curve[] = {{140, 40}, {150, 0}, {180, 80}, {190, 40}};
  PolyBezier(dc, curve, 4);
  Rectangle(dc, 10, 60, 50, 90);  // right and bottom edges left out
  Ellipse(dc, 60, 60, 100, 90);
  Chord(dc, 110, 60, 150, 100, 150, 80, 110, 80);  // upper half of a circle
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kInk);
  TextOutA(dc, 10, 110, "Ostrel", 6);

  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  DeleteObject(pen);
  DeleteObject(fill);
}

bool any_ink(HWND w, int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (at(w, x, y) == kInk) return true;
  return false;
}

}  // namespace

class WinWindowDrawing : public WindowTest {};

TEST_F(WinWindowDrawing, PaintHandlerDrawsEveryFigureByTheClassicPixelRules) {
  react = [](HWND h, UINT m, WPARAM, LPARAM, LRESULT& r) {
    if (m != WM_PAINT) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    draw_everything(dc);
    EndPaint(h, &ps);
    r = 0;
    return true;
  };
  WNDCLASSA wc;
  wc.lpfnWndProc = recording_proc;
  wc.lpszClassName = "Drawing";
  wc.hbrBackground = CreateSolidBrush(kWhite);
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND w = CreateWindowExA(0, "Drawing", "Figures", WS_POPUP | WS_VISIBLE, 0, 0, 220, 140, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  pump();

  // Painting came from the queue, erasing first, once.
  const auto msgs = messages_of(w);
  const auto paint = std::find(msgs.begin(), msgs.end(), WM_PAINT);
  ASSERT_NE(paint, msgs.end());
  EXPECT_EQ(std::count(msgs.begin(), msgs.end(), WM_PAINT), 1);
  EXPECT_NE(std::find(paint, msgs.end(), WM_ERASEBKGND), msgs.end());

  // Line: from its start up to, not including, its end point.
  EXPECT_EQ(at(w, 10, 10), kInk);
  EXPECT_EQ(at(w, 59, 10), kInk);
  EXPECT_EQ(at(w, 60, 10), kWhite);
  // Polyline: the joint is drawn, the last point is not.
  EXPECT_EQ(at(w, 30, 40), kInk);
  EXPECT_EQ(at(w, 50, 20), kWhite);
  // Polygon: outlined and filled.
  EXPECT_EQ(at(w, 80, 10), kInk);
  EXPECT_EQ(at(w, 100, 20), kFill);
  // Bezier: passes its end points, drawn somewhere in between.
  EXPECT_EQ(at(w, 140, 40), kInk);
  EXPECT_TRUE(any_ink(w, 150, 20, 185, 60));
  // Rectangle: left and top edges in, right and bottom edges out.
  EXPECT_EQ(at(w, 10, 60), kInk);
  EXPECT_EQ(at(w, 30, 89), kInk);
  EXPECT_EQ(at(w, 49, 75), kInk);
  EXPECT_EQ(at(w, 50, 75), kWhite);
  EXPECT_EQ(at(w, 30, 90), kWhite);
  EXPECT_EQ(at(w, 30, 75), kFill);
  // Ellipse: filled inside, corners of its box untouched.
  EXPECT_EQ(at(w, 80, 75), kFill);
  EXPECT_EQ(at(w, 60, 60), kWhite);
  // Chord: the upper half is filled, the lower half is not.
  EXPECT_EQ(at(w, 130, 70), kFill);
  EXPECT_EQ(at(w, 130, 92), kWhite);
  // Text: some ink where the word stands, none right of it.
  EXPECT_TRUE(any_ink(w, 10, 110, 60, 130));
  EXPECT_FALSE(any_ink(w, 150, 105, 220, 140));

  testsupport::TempDir dir;
  const std::string png = dir.file("figures.png");
  ASSERT_TRUE(plat::write_window_png(w, png));
  EXPECT_GT(std::filesystem::file_size(png), 100u);
  DeleteObject(wc.hbrBackground);
}

TEST_F(WinWindowDrawing, RubberBandDrawnTwiceInvertedLeavesNoTrace) {
  register_recorder(0, reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(COLOR_WINDOW + 1)),
                    "Plain");
  HWND w = CreateWindowExA(0, "Plain", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr,
                           nullptr, nullptr);
  pump();
  HDC dc = GetDC(w);
  draw_everything(dc);
  std::vector<COLORREF> before;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) before.push_back(at(w, x, y));

  SetROP2(dc, R2_NOT);
  HGDIOBJ old = SelectObject(dc, GetStockObject(NULL_BRUSH));
  for (int pass = 0; pass < 2; ++pass) {
    Rectangle(dc, 5, 5, 150, 100);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 199, 149);
    const POINT band[] = {{20, 120}, {180, 30}, {100, 140}};
    Polyline(dc, band, 3);
    if (pass == 0) {
      EXPECT_NE(at(w, 5, 50), before[50 * 200 + 5]);
    }
  }
  SelectObject(dc, old);
  ReleaseDC(w, dc);

  int changed = 0;
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) changed += at(w, x, y) != before[y * 200 + x];
  EXPECT_EQ(changed, 0);
}
