#include "plot_fixture.h"

#include <algorithm>
#include <cstdlib>

#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "ide/builtins_install.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_window.h"
#include "plot/backbrush.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/upcalls.h"
#include "toolkit/bitmaps.h"
#include "toolkit/entry.h"
#include "toolkit/scrolling.h"

namespace plottest {

void PlotTest::SetUp() {
  plat::reset_windows();
  plat::reset_gdi();
  toolkit::reset_toolkit();
  exec::reset_windowlist();
  plot::reset_plotdev();
  plot::reset_plotstate();
  plot::reset_fontslots();
  plot::reset_brushes();
  plot::devicehook = nullptr;
  ide::install_all_builtins();
  exec::initialcolours();
  exec::sysmetrics(exec::metric::screenwidth) = 1280;
  exec::sysmetrics(exec::metric::screenheight) = 1024;
  exec::updrect = {1280, 1024, 0, 0};
  std::int32_t status = 0;
  exec::NEWWINDOW(status, nullptr);
  record = exec::wdwcur;
  makebitmap(1000, 700);
}

void PlotTest::TearDown() {
  plot::devicehook = nullptr;
  plot::reset_plotdev();
  plot::reset_brushes();
  exec::reset_windowlist();
  toolkit::reset_toolkit();
  plat::reset_windows();
}

void PlotTest::makebitmap(int w, int h) {
  int ups = 0;
  if (record->bitmap != nullptr) toolkit::DELETE_OBJECT(record->bitmap, &ups);
  record->bitmap = toolkit::CREATE_BITMAP(w, h, nullptr, &ups);
  record->clientwidth = w;
  record->clientheight = h;
  width = w;
  height = h;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  const win::RECT all{0, 0, w, h};
  const win::HBRUSH white = win::CreateSolidBrush(0xFFFFFF);
  win::FillRect(dc, &all, white);
  win::DeleteObject(white);
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
}

win::COLORREF PlotTest::at(int x, int y) const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  const win::COLORREF c = win::GetPixel(dc, x, y);
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return c;
}

int PlotTest::countnot(win::COLORREF colour, int l, int t, int r, int b) const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  int n = 0;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) n += win::GetPixel(dc, x, y) != colour ? 1 : 0;
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return n;
}

win::RECT PlotTest::inkbox() const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  win::RECT r{width, height, 0, 0};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (win::GetPixel(dc, x, y) != 0xFFFFFF) {
        r.left = std::min<win::LONG>(r.left, x);
        r.top = std::min<win::LONG>(r.top, y);
        r.right = std::max<win::LONG>(r.right, x + 1);
        r.bottom = std::max<win::LONG>(r.bottom, y + 1);
      }
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return r;
}

void PlotTest::screenshot(const std::string& name) const {
  plottest::screenshot(record->bitmap, width, height, name);
}

void screenshot(win::HBITMAP bitmap, int width, int height, const std::string& name) {
  const char* folder = std::getenv("OSTREL_SCREENSHOTS");
  if (folder == nullptr || *folder == '\0') return;
  // A window of the bitmap's size shows it, as a script's window would.
  const win::HWND w = win::CreateWindowExA(0, "STATIC", "", win::WS_POPUP | win::WS_VISIBLE, 0, 0,
                                           width, height, nullptr, nullptr, nullptr, nullptr);
  const win::HDC screen = win::GetDC(w);
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, bitmap);
  win::BitBlt(screen, 0, 0, width, height, dc, 0, 0, win::SRCCOPY);
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  win::ReleaseDC(w, screen);
  plat::write_window_png(w, std::string(folder) + "/" + name + ".png");
  win::DestroyWindow(w);
}

std::vector<DeviceCall>& devicecalls() {
  static std::vector<DeviceCall> calls;
  return calls;
}

namespace {

void recording(std::int32_t op) {
  plot::PlotCom& c = plot::plotcom;
  if (op == plot::devop::setscale) {
    c.xfactor = c.yfactor = 10.0F;
    c.devy = 1000.0F;
    c.ymax = 700.0F;
  }
  devicecalls().push_back({op, c.devx, c.devy, c.pen, c.fcode, c.fvalue});
}

}  // namespace

void recorddevice() {
  devicecalls().clear();
  plot::devicehook = recording;
}

void stoprecording() { plot::devicehook = nullptr; }

}  // namespace plottest
