// The device layer on the test program's Xvfb: a script's graphics window
// made by WINDOW, a plot drawn into it in plot units (lines, a stroked
// text, a text in the graphics font), a strip chart that slides, and the
// server showing it.
#include <array>
#include <cmath>
#include <cstdlib>

#include "core/kompil.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/x11_testing.h"
#include "plot/backbrush.h"
#include "plot/fontslots.h"
#include "plot/penplot.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "support/run_open.h"
#include "support/script_folder.h"
#include "ui/dialogwords.h"
#include "ui/popupmenu.h"

namespace {

class PlotOnX11 : public x11test::X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    ide::install_all_builtins();
    exec::reset_all();
    ASSERT_EQ(plat::use_display(display_name.c_str()), "");
    ASSERT_TRUE(exec::prepare_run((testsupport::source_dir() / "data" / "Ostrel.hlp").string()));
    plot::reset_plotdev();
    plot::reset_plotstate();
    plot::reset_fontslots();
    plot::reset_brushes();
    ui::reset_popupmenu();
  }
  void TearDown() override {
    plot::reset_plotdev();
    plot::reset_brushes();
    exec::CLOSEWINDOWLESS();
    ui::reset_popupmenu();
    exec::reset_all();
    std::filesystem::current_path(cwd_);
    X11Test::TearDown();
  }
  static std::string runopen(const std::string& text) { return testsupport::run_open(text); }
  // The record of the window whose handle the script put in H; null when
  // there is none.
  static exec::wdwrec* recordofH() {
    std::int32_t k = 0;
    if (!core::FINDSN("H", k, 0x400)) return nullptr;
    const win::HWND h = ui::handleof(core::z(k));
    for (exec::wdwrec* w = exec::wdwhead; w != nullptr; w = w->next)
      if (w->window == h && h != nullptr) return w;
    return nullptr;
  }
  // The colour the server shows at a point of the window's client area.
  std::uint32_t onserver(win::HWND w, int x, int y) {
    XImage* image = XGetImage(dpy, xid(w), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFF;
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    // 0x00RRGGBB on the server, 0x00BBGGRR as a colour.
    return static_cast<std::uint32_t>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }
  // Pixels of the window's client area (w by h) where the server shows
  // other than the window's own pixels; -1 when it could not be read.
  int unlikeonserver(win::HWND w, int width, int height) {
    XImage* image = XGetImage(dpy, xid(w), 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return -1;
    int unlike = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const unsigned long p = XGetPixel(image, x, y);
        const auto shown =
            static_cast<std::uint32_t>(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
        unlike += shown != plat::window_pixel(w, x, y) ? 1 : 0;
      }
    XDestroyImage(image);
    return unlike;
  }
  testsupport::TempDir dir_;
  std::filesystem::path cwd_;
};

TEST_F(PlotOnX11, APlotDrawnInAScriptsWindowReachesTheServer) {
  const std::string out = runopen(
      "H = 0\n"
      "R = WINDOW(WINdowhandle=H, TItle='Plot', X=-40, Y=-40, Width=-600, Height=-400, "
      "GraphicsFont='Arial')\n");
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << out;
  exec::wdwrec* const r = recordofH();
  ASSERT_NE(r, nullptr);
  const win::HWND h = r->window;
  ASSERT_NE(r->bitmap, nullptr);
  exec::wdwcur = r;
  plot::axisstate.rows = r->clientheight / plot::fontslots(5).cellheight;
  plot::PLOTS(0);
  std::int32_t error = 0;
  plot::PLTFNC(3, 4, error);
  plot::PLTFNC(4, 20, error);  // solid, two pixels wide
  plot::PLOT(1, 1, 3);
  plot::PLOT(9, 1, 2);
  plot::PLOT(9, 5, 2);
  plot::SYMBOL(1.5F, 2, 5, "Ostrel plots", 0, 12);
  plot::SYMBOL(6, 3.5F, 3, "\x03", 0, -1);
  plot::UQTEXT(1.5F, 4, 0, "Graphics font", 0, 13);
  const int y = static_cast<int>(std::lround(plot::plotcom.ymax - plot::plotcom.yscale + 1));
  const int x = static_cast<int>(std::lround(5 * plot::plotcom.xscale));
  const std::uint32_t red = exec::rgbtab(4);
  ASSERT_TRUE(pump_until([&] { return onserver(h, x, y) == red; }))
      << "waited in vain for the plotted line on the server at " << x << "," << y;
  EXPECT_EQ(plat::window_pixel(h, x, y), red);
  EXPECT_NE(onserver(h, x, y - 10), red);
  if (const char* folder = std::getenv("OSTREL_SCREENSHOTS"); folder != nullptr && *folder)
    plat::write_window_png(h, std::string(folder) + "/plot_x11.png");
}

// AXIS in a script's window: the frame in its background colour and its
// axis line reach the server, and the mouse reports for the axis.
TEST_F(PlotOnX11, AnAxisDrawnByAScriptReachesTheServer) {
  const std::string out = runopen(
      "H = 0\n"
      "R = WINDOW(WINdowhandle=H, TItle='Axes', X=-40, Y=-40, Width=-600, Height=-400)\n"
      "AXIS(WINdowhandle=H, BaCkcolor=14, MiN=0, MaX=7, Title='Time', MouSeX=MX, MouSeY=MY)\n");
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << out;
  std::int32_t k = 0;
  ASSERT_TRUE(core::FINDSN("H", k, 0x400));
  const win::HWND h = ui::handleof(core::z(k));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(plot::axisstate.window(1), h);
  EXPECT_EQ(plot::axisstate.mousewindow(1), h) << "MouSeX switches the mouse reporting on";
  const int cw = plot::fontslots(5).cellwidth, ch = plot::fontslots(5).cellheight;
  const plot::Frame f = plot::axisstate.frame(1);
  // Inside the frame, right of the y labels and under its top.
  const int x = (f.left + 3) * cw, y = (plot::axisstate.rows - f.bottom - f.height) * ch + 3;
  const std::uint32_t back = exec::rgbtab(14);
  ASSERT_TRUE(pump_until([&] { return onserver(h, x, y) == back; }))
      << "waited in vain for the frame's background on the server at " << x << "," << y;
  const int liney = (plot::axisstate.rows - f.bottom - 3) * ch - 1;
  const int linex = (f.left + 6) * cw - 2;
  int dark = 0;
  for (int d = -1; d <= 1; ++d) dark += onserver(h, linex + 4 * cw, liney + d) == exec::rgbtab(0);
  EXPECT_GE(dark, 1) << "the x axis line";
  if (const char* folder = std::getenv("OSTREL_SCREENSHOTS"); folder != nullptr && *folder)
    plat::write_window_png(h, std::string(folder) + "/axis_x11.png");
}

// A strip chart slides the window's pixels with its bitmap's: what the
// server shows is the window's picture, which is its bitmap's.
TEST_F(PlotOnX11, AStripChartThatSlidesReachesTheServerWhole) {
  const std::string out = runopen(
      "H = 0\n"
      "R = WINDOW(WINdowhandle=H, TItle='Strip', X=-40, Y=-40, Width=-600, Height=-400)\n"
      "AXIS(WINdowhandle=H, MiN=0, MaX=50, Scroll, Grid=3, Title='t', Yaxis, MiN=-1.2, "
      "MaX=1.2, FixmiN, FiXmax)\n"
      "DO I = 1, 150\n  LINE(X=I, Y=SIN(I / 7))\nENDDO\n");
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << out;
  exec::wdwrec* const r = recordofH();
  ASSERT_NE(r, nullptr);
  const win::HWND h = r->window;
  EXPECT_GT(plot::axisstate.scale(1).maximum, 140.0F) << "the chart slid";
  int unlike = -1;
  ASSERT_TRUE(pump_until([&] {
    return (unlike = unlikeonserver(h, r->clientwidth, r->clientheight)) == 0;
  })) << "waited in vain for the server to show the window's picture: "
      << unlike << " pixels unlike";
  if (const char* folder = std::getenv("OSTREL_SCREENSHOTS"); folder != nullptr && *folder)
    plat::write_window_png(h, std::string(folder) + "/strip_x11.png");
}

}  // namespace
