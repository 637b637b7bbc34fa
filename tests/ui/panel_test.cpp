// Panels: a block of the script's appendix shown in a child window with
// fields that show variables where their marks stand, curves on its axes,
// rewritten when the script asks, and the panel text's mistakes stopping
// the run with their keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "axis_pixel.h"
#include "child_fixture.h"
#include "core/editbuffer.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "toolkit/draw_targets.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/toolbar.h"
#include "ui/panel.h"
#include "ui/panelaxes.h"

namespace {

using childtest::ChildScript;

class Panel : public ChildScript {
 protected:
  exec::wdwrec* w = nullptr;
  int cw = 8, ch = 16;

  // The fonts of an earlier test's run went with its drawing objects.
  void SetUp() override {
    ChildScript::SetUp();
    plot::reset_fontslots();
  }

  // Runs the script (no appendix of its own: the compiler would take the
  // block's lines for statements), then puts the block text in the editor
  // text where APPENDIX finds it and builds the panel in window H.
  std::string build(const std::string& block, const std::string& name = "PNL") {
    const std::string out = runopen(
        "CHARACTER NM*3\nDIMENSION A(6)\nT = 21.5\nNM = 'abc'\n"
        "WINDOW(WINdowhandle=H, Width=-400, Height=-100, FONt=4)\nEND\n");
    core::loadeditbuffer("X = 1\r\nEND\r\n" + block);
    w = windowof("H");
    if (w == nullptr) return "no window: " + out;
    cw = plot::fontslots(w->fontslot).cellwidth;
    ch = plot::fontslots(w->fontslot).cellheight;
    exec::wdwcur = w;
    core::msgkey.blank();
    core::xeqstop = 0;
    ui::PANEL(name, 0, 0, 0, 0);
    return std::string(core::msgkey.trimmed());
  }

  // The cells (column from 1, line from 1) that hold some pixel other
  // than the background's.
  bool inked(int column, int line) const {
    const win::HDC dc = win::CreateCompatibleDC(nullptr);
    const win::HGDIOBJ old = win::SelectObject(dc, w->bitmap);
    const win::COLORREF back = win::GetPixel(dc, 0, 0);
    bool ink = false;
    for (int y = (line - 1) * ch; y < line * ch && !ink; ++y)
      for (int x = (column - 1) * cw; x < column * cw && !ink; ++x)
        ink = win::GetPixel(dc, x, y) != back;
    win::SelectObject(dc, old);
    win::DeleteDC(dc);
    return ink;
  }
  // The pixel of a point on the panel's own axis k.
  win::POINT pixel(int k, double x, double y) const {
    const ui::EngineAxis& a = w->panelengine->axes[static_cast<std::size_t>(k)];
    const int rows = w->clientheight / std::max<int>(plot::fontslots(5).cellheight, 1);
    return axispixel::pixel(a.frame, a.scale[0], a.scale[1], a.length[0], a.length[1], rows, x, y);
  }
  // Pixels of the colour within r pixels of the middle of a and b.
  int between(win::POINT a, win::POINT b, int r, win::COLORREF colour) const {
    const win::HDC dc = win::CreateCompatibleDC(nullptr);
    const win::HGDIOBJ old = win::SelectObject(dc, w->bitmap);
    int n = 0;
    for (int y = (a.y + b.y) / 2 - r; y <= (a.y + b.y) / 2 + r; ++y)
      for (int x = (a.x + b.x) / 2 - r; x <= (a.x + b.x) / 2 + r; ++x)
        n += win::GetPixel(dc, x, y) == colour ? 1 : 0;
    win::SelectObject(dc, old);
    win::DeleteDC(dc);
    return n;
  }
  static double element(const std::string& name, int i) {
    std::int32_t k = 0;
    if (!core::FINDSN(name, k, 0x10)) return -1.0e300;
    return core::z(core::name(k).adr + i - 1);
  }
  void screenshot(const std::string& name) const {
    const char* folder = std::getenv("OSTREL_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0' || w->window == nullptr) return;
    int ups = 0;
    toolkit::UPDATE_WINDOW(w->window, nullptr, nullptr, &ups);
    plat::write_window_png(w->window, std::string(folder) + "/" + name + ".png");
  }

  // Every pixel of the window's bitmap, row by row.
  static std::vector<win::COLORREF> pixels(const exec::wdwrec& r) {
    win::BITMAP bm{};
    win::GetObjectA(r.bitmap, sizeof bm, &bm);
    const win::HDC dc = win::CreateCompatibleDC(nullptr);
    const win::HGDIOBJ old = win::SelectObject(dc, r.bitmap);
    std::vector<win::COLORREF> all;
    for (int y = 0; y < bm.bmHeight; ++y)
      for (int x = 0; x < bm.bmWidth; ++x) all.push_back(win::GetPixel(dc, x, y));
    win::SelectObject(dc, old);
    win::DeleteDC(dc);
    return all;
  }

  // The row of ink marks of cells first to last of a line.
  std::string row(int first, int last, int line) const {
    std::string s;
    for (int c = first; c <= last; ++c) s += inked(c, line) ? '#' : '.';
    return s;
  }
};

TEST_F(Panel, AFieldShowsItsVariableAtItsMarkAndFollowsAnUpdate) {
  ASSERT_EQ(build("PNL #t=T\r\n Temperature #0      C\r\n"), "");
  ASSERT_NE(w->firstpanel, nullptr);
  // "Temperature " is 12 cells, the field starts at column 13: "21.5".
  EXPECT_EQ(row(13, 20, 1), "####....") << "21.5 and blanks";
  EXPECT_TRUE(inked(21, 1)) << "the C after the field";
  std::int32_t t = 0;
  ASSERT_TRUE(core::FINDSN("T", t, 0x80));
  core::z(t) = 22.75;
  ui::PANEL({}, t, 0, 0, 0);
  EXPECT_EQ(row(13, 20, 1), "#####...") << "22.75 and blanks";
  // An update of a variable that no field shows changes nothing.
  core::z(t) = 1234567;
  ui::PANEL({}, t + 1000, 0, 0, 0);
  EXPECT_EQ(row(13, 20, 1), "#####...");
}

// A whole script: its panel block stands after the "#" line that ends the
// statements, the window is made with the panel and the script updates it.
TEST_F(Panel, AScriptShowsItsOwnAppendixBlockAndUpdatesIt) {
  const std::string out = runopen(
      "T = 21.5\nWINDOW(WINdowhandle=H, Width=-400, Height=-100, FONt=4, PaNeL='PNL')\n"
      "T = 22.75\nWINDOW(WINdowhandle=H, UPDAtepanel=T)\nEND\n#\n"
      "PNL #t=T\n Temperature #0      C\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  w = windowof("H");
  ASSERT_NE(w, nullptr) << out;
  ASSERT_NE(w->firstpanel, nullptr);
  cw = plot::fontslots(w->fontslot).cellwidth;
  ch = plot::fontslots(w->fontslot).cellheight;
  EXPECT_TRUE(inked(1, 1)) << "Temperature";
  EXPECT_EQ(row(13, 20, 1), "#####...") << "22.75 after the update, blanks after it";
  EXPECT_TRUE(inked(21, 1)) << "the C after the field";
}

// A FONt slot named by the statement that builds the panel is the
// panel's: the text and its fields are drawn and placed in that slot's
// (here larger) cells, not the window's earlier font.
TEST_F(Panel, APanelIsDrawnInTheFontItsWindowStatementChose) {
  plot::SETFONT(3, "Courier New", 30, 0.0F, 0, 400, 0);
  const std::string out = runopen(
      "T = 21.5\nWINDOW(WINdowhandle=H, Width=-400, Height=-100, FONt=4)\n"
      "WINDOW(WINdowhandle=H, FONt=3, PaNeL='PNL')\nEND\n#\n"
      "PNL #t=T\n Temperature #0      C\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  w = windowof("H");
  ASSERT_NE(w, nullptr) << out;
  cw = plot::fontslots(3).cellwidth;
  ch = plot::fontslots(3).cellheight;
  ASSERT_GT(cw, plot::fontslots(4).cellwidth);
  EXPECT_EQ(row(13, 20, 1), "####....") << "21.5 in the large cells";
  EXPECT_TRUE(inked(21, 1)) << "the C after the field";
}

// In the window's own font, which is proportional, each character of the
// text and of the field stands in its cell: "Temperature" in cells 1 to
// 11, nothing of it or of the field in cell 12, the field from cell 13,
// the C in cell 21 (a glyph wider than its cell reaches into the next).
TEST_F(Panel, AProportionalFontKeepsEachCharacterInItsCell) {
  const std::string out =
      runopen("T = 21.5\nWINDOW(WINdowhandle=H, PaNeL='PNL')\nEND\n#\n"
              "PNL #t=T\n Temperature #0      C\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  w = windowof("H");
  ASSERT_NE(w, nullptr) << out;
  cw = plot::fontslots(w->fontslot).cellwidth;
  ch = plot::fontslots(w->fontslot).cellheight;
  screenshot("panel_proportional");
  std::string cells;
  for (int c = 1; c <= 21; ++c) cells += inked(c, 1) ? '#' : '.';
  EXPECT_EQ(cells, "###########.####....#");
}

TEST_F(Panel, ATextFieldShowsNoMoreThanItsVariable) {
  ASSERT_EQ(build("PNL &t=NM\r\n Name &1            \r\n"), "");
  // NM holds 3 characters; the field is 14 wide: blanks after them, not
  // the characters that follow NM's in the store.
  EXPECT_TRUE(inked(6, 1));
  EXPECT_EQ(row(10, 19, 1), "..........");
}

TEST_F(Panel, AHeadLineOfOneWordShowsTheBodyWithoutFields) {
  ASSERT_EQ(build("PNL\r\n Plain #0 text\r\n"), "");
  EXPECT_EQ(w->firstpanel, nullptr);
  EXPECT_TRUE(inked(7, 1)) << "the mark stays as text";
}

TEST_F(Panel, MistakesOfThePanelTextStopTheRunWithTheirKeys) {
  EXPECT_EQ(build("PNL #t T\r\n x #0\r\n"), "pnlNo=");
  EXPECT_EQ(build("PNL #q=3\r\n x #0\r\n"), "pnlNoSpec");
  EXPECT_EQ(build("PNL #t=NOSUCH\r\n x #0\r\n"), "pnlNoName");
  EXPECT_EQ(build("PNL #t=T\r\n x #1\r\n"), "pnlNoindx") << "a scalar has only element 0";
  EXPECT_EQ(build("PNL #t=NM\r\n x #4\r\n"), "pnlNoindx") << "beyond the text";
  EXPECT_EQ(build("PNL #t=NM\r\n x #\r\n"), "pnlNoindx") << "no number";
  EXPECT_EQ(core::xeqstop, 0x7FFF);
}

// A panel curve's mistakes: the axis a curve is drawn on has no x values,
// a history has no x values to draw against, a 33rd curve, a number
// beyond the array; the axis number goes with the first two.
TEST_F(Panel, MistakesOfPanelCurvesStopTheRunWithTheirKeys) {
  EXPECT_EQ(build("PNL %2= Qv=A\r\n %% %YQ1\r\n"), "pnlnoX");
  EXPECT_EQ(core::iostatw[1], 2);
  EXPECT_EQ(build("PNL %1= Pv=T Qv=A\r\n %%   %XP0 %YQ0\r\n        %%\r\n"), "pnlvecReq")
      << "a history of A against the single value T";
  EXPECT_EQ(core::iostatw[1], 1);
  EXPECT_EQ(build("PNL %1= Pv=A Qv=A\r\n %XP0 %YQ7\r\n"), "pnlNoindx") << "A has 6";
  EXPECT_EQ(build("PNL %1= Pv=A Qv=T\r\n %XP0 %YQ1\r\n"), "pnlNoindx") << "T is one value";
  std::string marks;
  for (int i = 0; i < 32; ++i) marks += " %YQ1";
  EXPECT_EQ(build("PNL %1= Pv=A Qv=A\r\n %XP0" + marks + "\r\n"), "");
  EXPECT_EQ(build("PNL %1= Pv=A Qv=A\r\n %XP0" + marks + " %YQ2\r\n"), "pnlCurves");
  EXPECT_EQ(core::xeqstop, 0x7FFF);
}

// A curve on the first of the x values, redrawn by the script with new
// values: each redraw adds its point, joined to the one before, in the
// colour its mark gave it; the marks are not shown.
TEST_F(Panel, ACurveAddsThePointOfEachRedrawToItsLine) {
  // Text lines of another height than the plot's rows.
  plot::SETFONT(3, "Courier New", 11, 0.0F, 0, 400, 0);
  const std::string out = runopen(
      "DIMENSION XS(1), YS(2)\nXS(1) = 1\nYS(1) = 2\n"
      "WINDOW(WINdowhandle=H, Width=-400, Height=-300, FONt=3, PaNeL='PNL')\n"
      "DO I = 2, 5\n  XS(1) = 2 * I - 1\n  YS(1) = I * I / 3\n"
      "  WINDOW(WINdowhandle=H, UPDAtepanel)\nENDDO\nEND\n#\n"
      "PNL %1= Pv=XS Qv=YS\n Level\n"
      " %%\n %Xx0 %XX10 %Yx0 %YY10 %XP0 %YQ1,B4,W2\n \n \n \n \n \n \n \n \n \n \n"
      "                                             %%\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  w = windowof("H");
  ASSERT_NE(w, nullptr) << out;
  const win::COLORREF red = exec::rgbtab(4);
  const auto at = [this](int i) { return pixel(1, 2 * i - 1, i == 1 ? 2.0 : i * i / 3.0); };
  for (int i = 1; i < 5; ++i) EXPECT_GT(between(at(i), at(i + 1), 1, red), 0) << i;
  // Nothing of the curve where the data have no line.
  EXPECT_EQ(between(pixel(1, 2, 6), pixel(1, 2, 6), 3, red), 0);
  EXPECT_EQ(between(pixel(1, 8, 2), pixel(1, 8, 2), 3, red), 0);
  // The frame stays below the text line above its corners.
  cw = plot::fontslots(w->fontslot).cellwidth;
  ch = plot::fontslots(w->fontslot).cellheight;
  EXPECT_EQ(row(1, 8, 1), "#####...") << "Level";
  EXPECT_EQ(row(9, 45, 1), std::string(37, '.'));
  screenshot("panel_curve");
}

// A history of three snapshots of four points: each redraw draws the
// newest in the curve's colour, the one before halfway to the axis's
// background, and the oldest in the background (gone), and moves each one
// place older.
TEST_F(Panel, AHistoryFadesItsSnapshotsAndMovesThemOlder) {
  const std::string out = runopen(
      "DIMENSION XS(4), YS(12)\nDO I = 1, 4\n  XS(I) = 2 * I\n  YS(I) = 2.5\nENDDO\n"
      "WINDOW(WINdowhandle=H, Width=-400, Height=-300, FONt=4, PaNeL='PNL')\n"
      "DO I = 1, 4\n  YS(I) = 5.5 + I / 10\nENDDO\nWINDOW(WINdowhandle=H, UPDAtepanel)\n"
      "DO I = 1, 4\n  YS(I) = 8.5 - I / 10\nENDDO\nWINDOW(WINdowhandle=H, UPDAtepanel)\nEND\n#\n"
      "PNL %1= Pv=XS Qv=YS\n"
      " %%\n %Xx0 %XX10 %Yx0 %YY10 %XP0 %YQ0,B4,D0\n \n \n \n \n \n \n \n \n \n \n"
      "                                             %%\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  w = windowof("H");
  ASSERT_NE(w, nullptr) << out;
  for (int i = 1; i <= 4; ++i) {
    EXPECT_DOUBLE_EQ(element("YS", i + 4), 8.5 - i / 10.0) << "the newest moved one place";
    EXPECT_DOUBLE_EQ(element("YS", i + 8), 5.5 + i / 10.0) << "the one before it";
  }
  const win::COLORREF newest = exec::rgbtab(4), back = exec::rgbtab(15);
  win::COLORREF half = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((newest >> shift) & 0xFF);
    const int b = static_cast<int>((back >> shift) & 0xFF);
    half |= static_cast<win::COLORREF>(a + (b - a) / 2) << shift;
  }
  ASSERT_NE(half, newest);
  for (int i = 1; i < 4; ++i) {
    const auto at = [this](int j, double y) { return pixel(1, 2 * j, y); };
    EXPECT_GT(between(at(i, 8.5 - i / 10.0), at(i + 1, 8.5 - (i + 1) / 10.0), 1, newest), 0) << i;
    EXPECT_GT(between(at(i, 5.5 + i / 10.0), at(i + 1, 5.5 + (i + 1) / 10.0), 1, half), 0) << i;
    EXPECT_EQ(between(at(i, 2.5), at(i + 1, 2.5), 1, half), 0) << "the oldest is gone " << i;
    EXPECT_EQ(between(at(i, 2.5), at(i + 1, 2.5), 1, newest), 0) << i;
    EXPECT_GT(between(at(i, 2.5), at(i + 1, 2.5), 1, back), 0) << i;
  }
  EXPECT_EQ(exec::rgbtab(4), newest) << "the palette is left as it was";
  screenshot("panel_history");
}

// A panel and another window's AXIS and LINE on the same axis and curve
// numbers, drawing by turns: each window's curve lands where it lands when
// the other is not there (the panel's redraws map through the panel's own
// axis, the other window's points through its own).
TEST_F(Panel, AWindowsAxisOfThePanelsNumberLeavesEachItsOwnPlaces) {
  const std::string panel =
      "WINDOW(WINdowhandle=H, Width=-400, Height=-300, FONt=4, PaNeL='PNL')\n";
  const std::string axis =
      "WINDOW(WINdowhandle=G, Width=-640, Height=-200)\n"
      "AXIS(WINdowhandle=G, MiN=100, MaX=200, Yaxis, MiN=-50, MaX=50)\n"
      "LINE(Line=1, X=110, Y=-40)\n";
  const std::string redraws =
      "DO I = 2, 5\n  XS(1) = 2 * I - 1\n  YS(1) = I * I / 3\n"
      "  WINDOW(WINdowhandle=H, UPDAtepanel)\nENDDO\n";
  const std::string more = "LINE(Line=1, X=190, Y=40)\n";
  const std::string block =
      "END\n#\nPNL %1= Pv=XS Qv=YS\n"
      " %%\n %Xx0 %XX10 %Yx0 %YY10 %XP0 %YQ1,B4,W2\n \n \n \n \n \n \n \n \n"
      "                                             %%\n";
  const auto run = [&](const std::string& statements, std::vector<win::COLORREF>* h,
                       std::vector<win::COLORREF>* g) {
    exec::CLOSEWINDOWLESS();
    plot::reset_plotstate();
    const std::string out =
        runopen("DIMENSION XS(1), YS(1)\nXS(1) = 1\nYS(1) = 2\n" + statements + block);
    ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
    if (h != nullptr) *h = pixels(*windowof("H"));
    if (g != nullptr) *g = pixels(*windowof("G"));
  };
  std::vector<win::COLORREF> h, g, hboth, gboth;
  run(panel + redraws, &h, nullptr);
  run(axis + more, nullptr, &g);
  run(panel + axis + redraws + more, &hboth, &gboth);
  ASSERT_FALSE(h.empty() || g.empty()) << "the windows' bitmaps";
  w = windowof("H");
  screenshot("panel_beside_axis");
  w = windowof("G");
  screenshot("axis_beside_panel");
  EXPECT_TRUE(hboth == h) << "the panel's curve moved";
  EXPECT_TRUE(gboth == g) << "the other window's curve moved";
}

// After the build the plot engine holds the panel's axes: a LINE on the
// panel's axis number draws into the panel's window.
TEST_F(Panel, ALineAfterTheBuildDrawsOnThePanelsAxis) {
  const std::string block =
      "END\n#\nPNL %1= Pv=XS Qv=YS\n"
      " %%\n %Xx0 %XX10 %Yx0 %YY10 %XP0 %YQ1,B4,W2\n \n \n \n \n \n \n \n \n"
      "                                             %%\n";
  const auto run = [&](const std::string& lines) {
    exec::CLOSEWINDOWLESS();
    plot::reset_plotstate();
    const std::string out = runopen(
        "DIMENSION XS(1), YS(1)\nXS(1) = 1\nYS(1) = 2\n"
        "WINDOW(WINdowhandle=H, Width=-400, Height=-300, FONt=4, PaNeL='PNL')\n" +
        lines + block);
    EXPECT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
    const exec::wdwrec* h = windowof("H");
    return h == nullptr ? std::vector<win::COLORREF>{} : pixels(*h);
  };
  const std::vector<win::COLORREF> without = run("");
  const std::vector<win::COLORREF> with = run("LINE(Line=2, X=2, Y=2)\nLINE(Line=2, X=8, Y=8)\n");
  ASSERT_FALSE(without.empty());
  EXPECT_FALSE(with == without) << "the LINE drew nothing into the panel's window";
}

// An axis group frames its axis between two corner marks, with the ranges,
// style and titles its marks give; the marks themselves are not shown.
TEST_F(Panel, AnAxisGroupDrawsItsFrameBetweenItsCorners) {
  const std::string body =
      "PNL %2= #v=T\r\n"
      " %%                           #0\r\n"
      " %xSeconds\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
      "                         %%\r\n"
      " last %Xx0 %XX7 %YB15\r\n";
  ASSERT_EQ(build(body), "");
  ASSERT_NE(w->panelengine, nullptr);
  const ui::EngineAxis& a = w->panelengine->axes[2];
  EXPECT_EQ(a.window, w->window);
  EXPECT_FLOAT_EQ(a.scale[0].minimum, 0.0F);
  EXPECT_FLOAT_EQ(a.scale[0].maximum, 7.0F);
  EXPECT_EQ(a.style[1], 15) << "background colour 15, no grid";
  // An empty y range is drawn as -1e6 to 1e6.
  EXPECT_LE(a.scale[1].minimum, -1e6F);
  EXPECT_GE(a.scale[1].maximum, 1e6F);
  // The corners (column 1, line 1) and (column 25, line 11) in cells of
  // the window's font: from the smaller column, 11 lines high, one line
  // above the window's bottom.
  const plot::Frame f = a.frame;
  const auto cells = [](int n, int unit, int to) { return (n * unit + to / 2) / to; };
  const int gw = plot::fontslots(5).cellwidth, gh = plot::fontslots(5).cellheight;
  EXPECT_EQ(f.left, cells(1, cw, gw));
  EXPECT_EQ(f.width, cells(26, cw, gw));
  EXPECT_EQ(f.bottom, cells(1, ch, gh));
  EXPECT_EQ(f.height, cells(11, ch, gh));
  EXPECT_EQ(row(1, 20, 12), "####................") << "the marks are not shown";
  EXPECT_TRUE(inked(30, 1)) << "the field";
}

// A "D" group hands its option word to the text writer at each of its
// marks: "RA=1" frames the window in colour 1 from the mark on. The body's
// first column is not drawn, so the mark stands in cell 2 of line 2.
TEST_F(Panel, ADrawingGroupFramesTheWindowFromItsMark) {
  ASSERT_EQ(build("PNL ~D=0,RA=1\r\n top\r\n  ~ boxed\r\n"), "");
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const win::HGDIOBJ old = win::SelectObject(dc, w->bitmap);
  const win::COLORREF pen = exec::rgbtab(1);
  EXPECT_EQ(win::GetPixel(dc, cw + 1, ch + ch / 2), pen) << "the left edge in the mark's cell";
  EXPECT_EQ(win::GetPixel(dc, 4 * cw, ch + 1), pen) << "the top edge at the mark's line";
  EXPECT_NE(win::GetPixel(dc, cw + 1, ch / 2), pen) << "nothing above the mark";
  EXPECT_NE(win::GetPixel(dc, cw - 1, ch + ch / 2), pen) << "nothing left of the mark";
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
}

// Mutated panel texts: every one builds or fails with a key, and nothing
// is read outside the block or the variables.
TEST_F(Panel, MutatedPanelTextsBuildOrFailCleanly) {
  const std::string seed =
      "PNL #t=T &n=NM @L=4 ~D=2 %1= Pv=A Qv=A\r\n Temperature #0      C %% %Xx0 %XX7\r\n"
      " Name &1   @ %xTime %YB79 %YG5 %XP0 %YQ0,B4,D0,W3,S7 %YQ2\r\n"
      " ~        @                %%\r\n";
  ASSERT_EQ(build(seed), "");
  const std::string alphabet = "#&@~=LDtq0123456789 \r\nTNMXYxyBG%-.$_PQAWS,";
  std::uint32_t r = 12345;
  auto next = [&r] { return r = r * 1103515245u + 12345u, (r >> 8) & 0xFFFF; };
  for (int round = 0; round < 400; ++round) {
    std::string text = seed;
    for (int k = 1 + static_cast<int>(next() % 4); k > 0; --k) {
      const std::size_t at = next() % text.size();
      switch (next() % 3) {
        case 0:
          text[at] = alphabet[next() % alphabet.size()];
          break;
        case 1:
          text.erase(at, 1 + next() % 6);
          break;
        default:
          text.insert(at, std::string(1 + next() % 3, alphabet[next() % alphabet.size()]));
          break;
      }
    }
    if (text.empty()) continue;
    core::loadeditbuffer("X = 1\r\nEND\r\n" + text);
    exec::wdwcur = w;
    core::msgkey.blank();
    core::xeqstop = 0;
    ui::PANEL("PNL", 0, 0, 0, 0);
    const std::string key(core::msgkey.trimmed());
    EXPECT_TRUE(key.empty() || key.starts_with("pnl") || key.starts_with("apdx"))
        << key << " for " << text;
    ui::PANEL({}, -1, 0, 0, 0);
  }
}

}  // namespace

namespace {

// Window pixels that are not the background's in the rows top to bottom
// (exclusive) of the client area, from its left edge to x.
int inkedrows(win::HWND h, int top, int bottom, int right) {
  const std::uint32_t back = plat::window_pixel(h, right - 1, bottom - 1);
  int n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < right; ++x) n += plat::window_pixel(h, x, y) != back ? 1 : 0;
  return n;
}

// A panel in a window with a menu bar and a toolbar stands whole below the
// toolbar: the window is made tall enough for the panel and both bars. A
// window the user makes smaller and then larger again shows the panel
// whole.
TEST_F(Panel, APanelStandsWholeBelowTheToolbarAndSurvivesAResize) {
  childtest::writebmp("tools.bmp", childtest::picture(48, 16, [](int x, int) { return x * 5u; }));
  const std::string out = runopen(
      "CHARACTER M*12, TB*30\nM = 'File|Edit|'\nTB = 'tools.bmp|Open|Save|Quit|'\nT = 21.5\n"
      "WINDOW(WINdowhandle=W, TItle='Mine', Menu=M, Toolbar=TB, PaNeL='PNL')\nEND\n"
      "SUBROUTINE M\nRETURN\nEND\nSUBROUTINE TB\nRETURN\nEND\n#\n"
      "PNL #t=T\n Temperature #0      C\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  w = windowof("W");
  ASSERT_NE(w, nullptr) << out;
  cw = plot::fontslots(w->fontslot).cellwidth;
  ch = plot::fontslots(w->fontslot).cellheight;
  const toolkit::window_record_t* t = toolkit::FIND_WINDOW_RECORD(w->window);
  ASSERT_NE(t, nullptr);
  const int toolbar = toolkit::TOOLBAR_HEIGHT(*t);
  ASSERT_GT(toolbar, 0);
  win::RECT area{};
  ASSERT_TRUE(toolkit::GET_CLIENT_AREA(w->window, area));
  EXPECT_EQ(area.top, toolbar);
  EXPECT_GE(area.bottom - area.top, ch) << "the panel's line below the toolbar";
  // The lower half of "Temperature" shows below the toolbar.
  const auto lowerhalf = [&] {
    int ups = 0;
    toolkit::UPDATE_WINDOW(w->window, nullptr, nullptr, &ups);
    return inkedrows(w->window, toolbar + ch / 2, toolbar + ch - 1, 11 * cw);
  };
  EXPECT_GT(lowerhalf(), 10);
  screenshot("panel_below_toolbar");
  win::RECT outer{};
  win::GetWindowRect(w->window, &outer);
  win::MoveWindow(w->window, outer.left, outer.top, outer.right - outer.left,
                  outer.bottom - outer.top - ch + 2, win::TRUE);
  win::MoveWindow(w->window, outer.left, outer.top, 400, 300, win::TRUE);
  EXPECT_GT(lowerhalf(), 10) << "after the window was made smaller and larger again";
  screenshot("panel_resized");
}

}  // namespace
