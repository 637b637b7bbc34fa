// AXIS in script windows, run as RUN runs it on the headless back end: the
// frames where the layout puts them, read back from the window's picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "child_fixture.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "toolkit/scrolling.h"

namespace {

using childtest::ChildScript;

// The window's backing bitmap, pixel by pixel.
struct Pixels {
  int width = 0, height = 0;
  std::vector<win::COLORREF> at;
  win::COLORREF operator()(int x, int y) const {
    return at[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
              static_cast<std::size_t>(x)];
  }
};

Pixels pixelsof(const exec::wdwrec& r) {
  Pixels p;
  win::BITMAP bm{};
  win::GetObjectA(r.bitmap, sizeof bm, &bm);
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, r.bitmap);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.at.push_back(win::GetPixel(dc, x, y));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return p;
}

// Writes the window as <name>.png into the folder OSTREL_SCREENSHOTS names.
void screenshot(const exec::wdwrec& r, const std::string& name) {
  const char* folder = std::getenv("OSTREL_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0' || r.window == nullptr) return;
  int ups = 0;
  toolkit::UPDATE_WINDOW(r.window, nullptr, nullptr, &ups);
  plat::write_window_png(r.window, std::string(folder) + "/" + name + ".png");
}

TEST_F(ChildScript, AxisDrawsItsFrameIntoTheWindow) {
  plot::reset_fontslots();
  const std::string out = runopen(
      "WINDOW(WINdowhandle=H, Width=-640, Height=-400)\n"
      "AXIS(WINdowhandle=H, MiN=0, MaX=7, Title='Time s', Yaxis, MiN=-1, MaX=125000, "
      "Title='Count')\n"
      "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const exec::wdwrec* h = windowof("H");
  ASSERT_NE(h, nullptr);
  screenshot(*h, "axis_one");
}

TEST_F(ChildScript, AxisLooks) {
  plot::reset_fontslots();
  const std::string out = runopen(
      "WINDOW(WINdowhandle=A, Width=-640, Height=-400)\n"
      "WINDOW(WINdowhandle=B, Width=-640, Height=-400)\n"
      "WINDOW(WINdowhandle=C, Width=-640, Height=-400)\n"
      "WINDOW(WINdowhandle=D, Width=-640, Height=-400)\n"
      "AXIS(WINdowhandle=A, Axis, Axis, Axis, Axis)\n"
      "AXIS(WINdowhandle=B, LoG, MiN=0.02, MaX=150, Yaxis, LoG, MiN=1, MaX=1E6, Title='log')\n"
      "AXIS(WINdowhandle=C, TiMe, MiN=0, MaX=10, Title='date', Axis=2, TiMe='hh:mm', MiN=0, MaX=10, "
      "Height=0.5)\n"
      "AXIS(WINdowhandle=D, Xaxis=2048, Yaxis=2048)\n"
      "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  screenshot(*windowof("A"), "axis_four");
  screenshot(*windowof("B"), "axis_log");
  screenshot(*windowof("C"), "axis_time");
  screenshot(*windowof("D"), "axis_nolabels");
}

}  // namespace
