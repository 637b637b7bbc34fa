// Child windows of WINDOW on the headless back end: sizes read as cells,
// fractions and pixels; colours, flags and file views; Kill of an array;
// the user's moves and resizes written back into the bound variables; a
// picture saved and loaded again; a failed SaveAs that keeps the file; the
// statement's refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "child_fixture.h"
#include "exec/builtins.h"
#include "exec/windowless.h"
#include "exec/windowwords.h"
#include "platform/win_window.h"
#include "plot/fontslots.h"
#include "plot/printjob.h"
#include "plot/setups.h"
#include "support/test_support.h"
#include "ui/childwindow.h"

namespace {

using childtest::ChildScript;

TEST(ChildGeometry, SizesAndEdgesReadCellsFractionsAndPixels) {
  // Width: pixels, cells, fractions (at least a tenth), the fallback's
  // pixels, and never past the usable width nor below one pixel.
  EXPECT_EQ(ui::widthpixels(-400, 0, 8, 1000), 400);
  EXPECT_EQ(ui::widthpixels(40, 0, 8, 1000), 320);
  EXPECT_EQ(ui::widthpixels(1, 0, 8, 1000), 1000);
  EXPECT_EQ(ui::widthpixels(0.3, 0, 8, 1000), 300);
  EXPECT_EQ(ui::widthpixels(0.05, 0, 8, 1000), 100);
  EXPECT_EQ(ui::widthpixels(0, 150, 8, 1000), 150);
  EXPECT_EQ(ui::widthpixels(0, 0, 8, 1000), 500);
  EXPECT_EQ(ui::widthpixels(-5000, 0, 8, 1000), 1000);
  EXPECT_EQ(ui::widthpixels(-0.4, 0, 8, 1000), 1);
  // Height: 1 is the whole usable height less caption and frames, 1.5 one
  // and a half rows plus the toolbar.
  EXPECT_EQ(ui::heightpixels(1, 0, 16, 20, 700, 30), 670);
  EXPECT_EQ(ui::heightpixels(1.5, 0, 16, 20, 700, 30), 44);
  EXPECT_EQ(ui::heightpixels(0.99, 0, 16, 20, 700, 30), 693);
  EXPECT_EQ(ui::heightpixels(0, 0, 16, 20, 700, 30), 175);
  EXPECT_EQ(ui::heightpixels(0, 120, 16, 20, 700, 30), 120);
  // Edges: a fraction truncated, cells rounded, pixels; kept on the screen.
  EXPECT_EQ(ui::edgepixels(0.3333, 8, 1000, 2000), 333);
  EXPECT_EQ(ui::edgepixels(10.4, 8, 1000, 2000), 83);
  EXPECT_EQ(ui::edgepixels(-30, 8, 1000, 2000), 30);
  EXPECT_EQ(ui::edgepixels(-30, 8, 1000, 20), 20);
  EXPECT_EQ(ui::edgepixels(-30, 8, 1000, -5), 0);
}

win::SIZE clientsize(win::HWND h) {
  win::RECT r{};
  win::GetClientRect(h, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST_F(ChildScript, AWindowTakesItsSizeColoursAndFlags) {
  const std::string out = runopen(
      "H1 = 0\nH2 = 0\n"
      "R = WINDOW(WINdowhandle=H1, TItle='One', X=-10, Y=-20, Width=-400, Height=-300, "
      "BaCkcolor=99, ForeColor=5, STATus=S1)\n"
      "WINDOW(WINdowhandle=H2, Width=40, Height=1.5, ForeColor=255, FONt=5, STATus=S2)\n");
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  exec::wdwrec* one = windowof("H1");
  exec::wdwrec* two = windowof("H2");
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(number("R"), number("H1"));
  EXPECT_EQ(clientsize(one->window).cx, 400);
  EXPECT_EQ(clientsize(one->window).cy, 300);
  win::RECT outer{};
  win::GetWindowRect(one->window, &outer);
  EXPECT_EQ(outer.left, 10);
  EXPECT_EQ(outer.top, 20);
  char title[16] = {};
  win::GetWindowTextA(one->window, title, sizeof title);
  EXPECT_STREQ(title, "One");
  EXPECT_EQ(one->tablescale, 31.25F);
  EXPECT_EQ(static_cast<std::uint32_t>(one->textcolour), exec::rgbtab(5));
  EXPECT_EQ(number("S1"), 0x40);
  // Font slot 5 makes a graphics window; its size counts that slot's cells.
  EXPECT_EQ(static_cast<std::uint32_t>(two->textcolour), 255u);
  EXPECT_EQ(number("S2"), 0x80);
  const plot::FontSlot& f = plot::fontslots(5);
  EXPECT_EQ(clientsize(two->window).cx, 40 * f.cellwidth);
  EXPECT_EQ(clientsize(two->window).cy, (3 * f.cellheight + 1) / 2);
}

TEST_F(ChildScript, AMaximisedWindowWithoutASizeRestoresToHalfTheUsableScreen) {
  const std::string out = runopen(
      "H = 0\nG = 0\nWINDOW(WINdowhandle=H, MAXImize=1, Width=-400, STATus=S)\n"
      "WINDOW(WINdowhandle=G, MAXImize=1, Width=0.3, Height=-100)\n");
  ASSERT_TRUE(out.ends_with("stop=-1\n")) << out;
  const exec::wdwrec* h = windowof("H");
  const exec::wdwrec* g = windowof("G");
  ASSERT_NE(h, nullptr);
  ASSERT_NE(g, nullptr);
  const int usablewidth =
      exec::sysmetrics(exec::metric::screenwidth) - 2 * exec::sysmetrics(exec::metric::framewidth);
  const int usableheight = exec::sysmetrics(exec::metric::screenheight) -
                           2 * exec::sysmetrics(exec::metric::frameheight);
  EXPECT_EQ(h->clientwidth, usablewidth / 2);
  EXPECT_EQ(h->clientheight, usableheight / 2);
  EXPECT_EQ(g->clientwidth, static_cast<int>(std::lround(0.3 * usablewidth)));
  EXPECT_EQ(g->clientheight, usableheight / 2);
  EXPECT_TRUE(win::IsZoomed(h->window));
}

TEST_F(ChildScript, KillClosesTheWindowOfEveryHandleOfAnArrayAndNothingElse) {
  const std::string out = runopen(
      "DIMENSION HS(4)\nH1 = 0\nH2 = 0\nH3 = 0\n"
      "WINDOW(WINdowhandle=H1)\nWINDOW(WINdowhandle=H2)\nWINDOW(WINdowhandle=H3)\n"
      "HS(1) = H1\nHS(2) = 0\nHS(3) = H3\nHS(4) = 12345\n"
      "K = H2\nWINDOW(Kill=HS)\n");
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  EXPECT_EQ(number("H1"), 0.0);
  EXPECT_EQ(number("H3"), 0.0);
  ASSERT_NE(windowof("H2"), nullptr);
  int windows = 0;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next) ++windows;
  EXPECT_EQ(windows, 2);
}

TEST_F(ChildScript, ATitleNamingAFileWithBytesMakesAFileViewAndAnEmptyOneAWindow) {
  testsupport::write_file("notes.txt", "first line\r\nsecond line\r\n");
  testsupport::write_file("empty.txt", "");
  const std::string out = runopen(
      "V = 0\nE = 0\n"
      "WINDOW(WINdowhandle=V, TItle='notes.txt', STATus=SV)\n"
      "WINDOW(WINdowhandle=E, TItle='empty.txt', STATus=SE)\n");
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  EXPECT_EQ(number("SV"), 0x240);
  EXPECT_EQ(number("SE"), 0x40);
  const exec::wdwrec* view = windowof("V");
  const exec::wdwrec* empty = windowof("E");
  ASSERT_NE(view, nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(view->bitmap, nullptr);
  EXPECT_EQ(view->fontslot, 4);
  EXPECT_NE(empty->bitmap, nullptr);
}

TEST_F(ChildScript, TheUsersMovesAndResizesReachTheBoundVariables) {
  const std::string out =
      runopen("H = 0\nXV = 3\nW = 0.5\nWINDOW(WINdowhandle=H, X=XV, Width=W, Height=10)\n");
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  exec::wdwrec* r = windowof("H");
  ASSERT_NE(r, nullptr);
  win::RECT outer{};
  win::GetWindowRect(r->window, &outer);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  // A move: the left edge in cells of slot 2.
  win::MoveWindow(r->window, 203, 150, w, h, win::TRUE);
  EXPECT_EQ(number("XV"), 203 / plot::fontslots(2).cellwidth);
  // A resize by less than a cell writes nothing; by more, a new fraction of
  // the screen, as the variable held one.
  const int cell = plot::fontslots(r->fontslot).cellwidth;
  win::MoveWindow(r->window, 203, 150, w + cell - 1, h, win::TRUE);
  EXPECT_EQ(number("W"), 0.5);
  const int screen = exec::sysmetrics(exec::metric::screenwidth);
  win::MoveWindow(r->window, 203, 150, w + screen / 10, h, win::TRUE);
  EXPECT_DOUBLE_EQ(number("W"), static_cast<double>(clientsize(r->window).cx) / screen);
  // The picture follows the size.
  win::BITMAP bm{};
  win::GetObjectA(r->bitmap, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, clientsize(r->window).cx);
}

TEST_F(ChildScript, APictureSavedIsThePictureLoaded) {
  const childtest::Picture p = childtest::picture(37, 23, [](int x, int y) {
    return static_cast<std::uint32_t>((x * 7) << 16 | (y * 11) << 8 | ((x + y) & 1) * 255);
  });
  childtest::writebmp("pic.bmp", p);
  const std::string out = runopen(
      "H = 0\nWINDOW(WINdowhandle=H, LoaD='pic.bmp')\nWINDOW(WINdowhandle=H, SaveAs='out.bmp')\n");
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  const exec::wdwrec* r = windowof("H");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(clientsize(r->window).cx, 37);
  EXPECT_EQ(clientsize(r->window).cy, 23);
  EXPECT_EQ(childtest::readbmp("out.bmp"), p);
}

TEST_F(ChildScript, ASaveAsThatCannotWriteStopsAndLeavesTheFileAsItWas) {
  const std::string old(500, 'o');
  testsupport::write_file("out.bmp", old);
  const std::string report = testsupport::in_child([&]() -> std::string {
    if (!testsupport::limit_file_size(1000)) return "no file-size limit";
    const std::string out = runopen(
        "H = 0\nWINDOW(WINdowhandle=H, Width=-200, Height=-200)\n"
        "WINDOW(WINdowhandle=H, SaveAs='out.bmp')\n");
    const std::string want = "stop=32767 line=3 key=childBitmap\n";
    return out.ends_with(want) ? "" : "the run gave:\n" + out;
  });
  EXPECT_EQ(report, "");
  EXPECT_EQ(testsupport::read_file("out.bmp"), old);
}

TEST_F(ChildScript, RefusedWindowsNameTheirReason) {
  const childtest::Picture strip = childtest::picture(48, 16, [](int x, int) { return x * 5u; });
  childtest::writebmp("tools.bmp", strip);
  const std::string subs = "END\nSUBROUTINE T\nRETURN\nEND\nSUBROUTINE M\nRETURN\nEND\n";
  struct Case {
    std::string body, key;
    int line;
  };
  const Case cases[] = {
      {"T = 'nosuch.bmp|Open|'\nWINDOW(WINdowhandle=H, Toolbar=T)\n", "childBitmap", 4},
      {"T = 'tools.bmp|'\nWINDOW(WINdowhandle=H, Toolbar=T)\n", "childTool", 4},
      {"U = 'tools.bmp|Open|'\nWINDOW(WINdowhandle=H, Toolbar=U)\n", "childNoToolSub", 4},
      {"U = 'File|Open|'\nWINDOW(WINdowhandle=H, Menu=U)\n", "childNoMenuSub", 4},
      {"M = '3|'\nWINDOW(WINdowhandle=H, Menu=M)\n", "childNoMenuItem", 4},
      {"M = 'File|Colour:Red|'\nWINDOW(WINdowhandle=H, Menu=M)\n", "childNoDAD", 4},
      {"WINDOW(WINdowhandle=H, LoaD='nosuch.bmp')\n", "childBitmap", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const std::string out = runopen("CHARACTER T*30, U*30, M*30\nH = 0\n" + c.body + subs);
    EXPECT_EQ(out.substr(out.find("stop=")),
              "stop=32767 line=" + std::to_string(c.line) + " key=" + c.key + "\n");
    // A window refused before it was made leaves no record behind.
    EXPECT_EQ(exec::wdwhead != nullptr ? exec::wdwhead->next : nullptr, nullptr);
    exec::CLOSEWINDOWLESS();
  }
  // A panel names a block the script does not have.
  const std::string out = runopen("H = 0\nWINDOW(WINdowhandle=H, PaNeL='x')\n");
  EXPECT_EQ(out.substr(out.find("stop=")), "stop=32767 line=2 key=apdxNotFound\n");
}

// Margins beyond any window or page are held at 2^24 pixels: the areas
// they leave start there and are empty, not turned.
TEST_F(ChildScript, MarginsBeyondAnyPageLeaveEmptyAreasWhereTheirBoundIs) {
  const std::string out = runopen(
      "H = 0\nWINDOW(WINdowhandle=H, Width=-400, Height=-300, LeftSpace=1E300, "
      "RightSpace=-1E300, TopSpace=9E15, BottomSpace=-2147483649)\n");
  ASSERT_EQ(out.substr(out.find("stop=")), "stop=-1\n");
  exec::wdwrec* w = windowof("H");
  ASSERT_NE(w, nullptr);
  constexpr std::int32_t most = 1 << 24;
  plot::windowarea(*w);
  const plot::Area a = plot::printjob.windowarea;
  EXPECT_EQ(a.left, most);
  EXPECT_EQ(a.top, most);
  EXPECT_EQ(a.right, most + 1);
  EXPECT_EQ(a.bottom, most + 1);
  exec::wdwcur = w;
  plot::printjob.pagearea = plot::Area{100, 200, 4000, 6000};
  plot::SETUPS(1);
  const plot::Area p = plot::printjob.printerarea;
  EXPECT_EQ(p.left, 100 + most);
  EXPECT_EQ(p.top, 200 + most);
  EXPECT_EQ(p.right, 4000 - most);
  EXPECT_EQ(p.bottom, 6000 - most);
  plot::reset_printjob();
}

TEST_F(ChildScript, PrintKeepsThePrintStateAndAPopupNobodyCanAnswerShowsNothing) {
  // ClaSs and CaLl change nothing; PRint=8 on a window that shows its
  // output ends its job at once and the run goes on.
  EXPECT_EQ(run("H = 0\nWINDOW(WINdowhandle=H, PRint=2, STATus=S)\n"
                "WINDOW(WINdowhandle=H, ClaSs='x', CaLl='y', STATus=S2)\n"
                "WINDOW(WINdowhandle=H, PRint=8)\nB = 1\n"),
            "H=0\nS=64\nS2=64\nB=1\nstop=-1\n");
  EXPECT_EQ(run("CHARACTER M*12, S*8\nM = 'Red|Green|'\nPOP(Menu=M, SelTxt=S)\nN = 1\n"
                "END\nSUBROUTINE M\nRETURN\nEND\n"),
            "M='Red|Green|  '\nS='        '\nN=1\nstop=-1\n");
}

}  // namespace
