#include "line_fixture.h"

#include "plot_fixture.h"

#include <cmath>
#include <cstdlib>

#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/headless_run.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "plot/axis.h"
#include "plot/backbrush.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/line.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "plot/printjob.h"
#include "toolkit/bitmaps.h"
#include "toolkit/printing.h"

namespace linetest {

void LineScript::SetUp() {
  ScriptInFolder::SetUp();
  // A window that prints draws on the "PDF" printer's page, the default
  // printer without a scheduler; its document lands in the test's folder.
  if (const char* was = std::getenv("CUPS_SERVER")) keptserver = was;
  ::setenv("CUPS_SERVER", (dir_.path() / "no-scheduler").c_str(), 1);
  toolkit::reset_printing();
  plot::reset_printjob();
  plot::reset_plotdev();
  plot::reset_plotstate();
  plot::reset_curves();
  plot::reset_line();
  plot::reset_fontslots();
  plot::reset_brushes();
  exec::initialcolours();
  exec::sysmetrics(exec::metric::screenwidth) = 1280;
  exec::sysmetrics(exec::metric::screenheight) = 1024;
  std::int32_t status = 0;
  exec::NEWWINDOW(status, nullptr);
  record = exec::wdwcur;
  record->window = win::CreateWindowExA(0, "STATIC", "", win::WS_POPUP, 0, 0, width, height,
                                        nullptr, nullptr, nullptr, nullptr);
  record->fontslot = 5;
  int ups = 0;
  record->bitmap = toolkit::CREATE_BITMAP(width, height, nullptr, &ups);
  record->clientwidth = width;
  record->clientheight = height;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  const win::RECT all{0, 0, width, height};
  const win::HBRUSH white = win::CreateSolidBrush(0xFFFFFF);
  win::FillRect(dc, &all, white);
  win::DeleteObject(white);
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  plot::SETFONT(5, "Arial", 9, 0, 0, 400, 0);
  cw = plot::fontslots(5).cellwidth;
  ch = plot::fontslots(5).cellheight;
  ASSERT_GT(cw, 0);
  ASSERT_GT(ch, 0);
}

void LineScript::TearDown() {
  plot::reset_printjob();
  toolkit::reset_printing();
  if (keptserver)
    ::setenv("CUPS_SERVER", keptserver->c_str(), 1);
  else
    ::unsetenv("CUPS_SERVER");
  plot::reset_line();
  plot::reset_plotdev();
  plot::reset_brushes();
  ScriptInFolder::TearDown();
}

void LineScript::axis(int k, float x0, float x1, float y0, float y1, std::int32_t xstyle,
                      std::int32_t ystyle) {
  plot::AxisState& a = plot::axisstate;
  a.columns = width / cw;
  a.rows = height / ch;
  a.frame(k) = plot::Frame{framecolumns > 0 ? framecolumns : a.columns - 2,
                           framerows > 0 ? framerows : a.rows, 0, 0};
  a.style(plot::xentry(k)) = plot::axisbit::grid | xstyle;
  a.style(plot::yentry(k)) = plot::axisbit::grid | 15 | ystyle;
  exec::wdwcur = record;
  plot::PLOTS(0);
  a.current = k;
  plot::SET_XT_YT_INTERNAL();
  a.length(plot::xentry(k)) =
      static_cast<float>(a.frame(k).width - 2) * a.cellwidth - plot::axiswork.leftmargin;
  a.length(plot::yentry(k)) =
      static_cast<float>(a.frame(k).height) * a.cellheight - plot::axiswork.bottommargin;
  const auto scale = [&](int e, float lo, float hi) {
    plot::Scale& s = a.scale(e);
    s.minimum = lo;
    s.maximum = hi;
    const bool log = (a.style(e) & plot::axisbit::log) != 0;
    s.unitsperplot = log ? 1.0F : (hi - lo) / a.length(e);
    s.step = log ? a.length(e) / std::log10(hi / lo) : a.length(e) / 10.0F;
    s.divisor = 1.0F;
  };
  scale(plot::xentry(k), x0, x1);
  scale(plot::yentry(k), y0, y1);
  a.minorticks(plot::xentry(k)) = a.minorticks(plot::yentry(k)) = 10;
  a.window(k) = record->window;
  a.drawn |= 1U << k;
  a.live |= 1U << k;
  a.setup |= 1U << k;
}

std::string LineScript::plot(const std::string& text) {
  std::string failed = exec::compile_script(testsupport::crlf(text));
  if (!failed.empty()) return failed;
  exec::wdwcur = record;
  exec::run_compiled();
  return exec::run_outcome();
}

win::POINT LineScript::pixel(int k, double x, double y) const {
  const plot::AxisState& a = plot::axisstate;
  const plot::Frame& f = a.frame(k);
  const double xf = 1280.0 / 24.5, yf = 1024.0 / 18.45;
  // The axis starts 6 columns and 3 rows into the frame, less a pixel of
  // the frame's origin and one of the label strip's.
  const double left = (f.left + 6) * cw - 2.0;
  const double bottom = ch * a.rows - (f.bottom + 3) * ch - 1.0;  // row of the x axis line
  const auto along = [&](int e, double v) {
    const plot::Scale& s = a.scale(e);
    const bool log = (a.style(e) & plot::axisbit::log) != 0;
    const double frac = log ? std::log10(v / s.minimum) / std::log10(s.maximum / s.minimum)
                            : (v - s.minimum) / (s.maximum - s.minimum);
    return frac * a.length(e);
  };
  return win::POINT{static_cast<win::LONG>(std::lround(left + along(plot::xentry(k), x) * xf)),
                    static_cast<win::LONG>(std::lround(bottom - along(plot::yentry(k), y) * yf))};
}

win::COLORREF LineScript::at(int x, int y) const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  const win::COLORREF c = win::GetPixel(dc, x, y);
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return c;
}

int LineScript::near(win::POINT p, int r, win::COLORREF colour) const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  int n = 0;
  for (int y = p.y - r; y <= p.y + r; ++y)
    for (int x = p.x - r; x <= p.x + r; ++x) n += win::GetPixel(dc, x, y) == colour ? 1 : 0;
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return n;
}

int LineScript::inked(win::POINT p, int r) const {
  return inked(p.x - r, p.y - r, p.x + r + 1, p.y + r + 1);
}

int LineScript::inked(int l, int t, int r, int b) const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  int n = 0;
  for (int y = t; y < b; ++y)
    for (int x = l; x < r; ++x) n += win::GetPixel(dc, x, y) != 0xFFFFFF ? 1 : 0;
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return n;
}

std::vector<std::pair<int, int>> LineScript::inkruns(int top, int bottom, int gap) const {
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ was = win::SelectObject(dc, record->bitmap);
  std::vector<std::pair<int, int>> runs;
  for (int x = 0; x < width; ++x) {
    bool ink = false;
    for (int y = top; y < bottom && !ink; ++y) ink = win::GetPixel(dc, x, y) != 0xFFFFFF;
    if (!ink) continue;
    if (runs.empty() || x - runs.back().second > gap)
      runs.push_back({x, x});
    else
      runs.back().second = x;
  }
  win::SelectObject(dc, was);
  win::DeleteDC(dc);
  return runs;
}

std::string LineScript::runtext(const std::vector<std::pair<int, int>>& runs) {
  std::string all;
  for (const auto& [first, last] : runs)
    all += " " + std::to_string(first) + "-" + std::to_string(last);
  return all;
}

double LineScript::number(const std::string& name) const {
  std::int32_t k = 0;
  if (!core::FINDSN(name, k, 0x400)) return -1.0e300;
  return core::z(k);
}

void LineScript::screenshot(const std::string& name) const {
  plottest::screenshot(record->bitmap, width, height, name);
}

}  // namespace linetest
