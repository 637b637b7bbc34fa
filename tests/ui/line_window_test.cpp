// LINE after AXIS in a script window, run as RUN runs it on the headless
// back end: curves where their values say on the axis AXIS drew, started
// anew when the axis is drawn again, a strip chart, and a click on the
// plot that the running script reads in axis units through its MouSeCall
// routine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "axis_pixel.h"
#include "child_fixture.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/builtins.h"
#include "exec/postfix.h"
#include "ide/idewords.h"
#include "platform/backend.h"
#include "platform/win_gdi.h"
#include "platform/win_message.h"
#include "plot/axis.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/line.h"
#include "plot/plotstate.h"
#include "toolkit/loops.h"
#include "toolkit/scrolling.h"

namespace {

using childtest::ChildScript;

class LineWindow : public ChildScript {
 protected:
  void SetUp() override {
    ChildScript::SetUp();
    axispixel::resetplots();
  }

  static win::POINT pixel(int k, double x, double y) { return axispixel::pixel(k, x, y); }

  // Pixels of the colour within r pixels of p in the window's bitmap.
  static int near(const exec::wdwrec& w, win::POINT p, int r, win::COLORREF colour) {
    const win::HDC dc = win::CreateCompatibleDC(nullptr);
    const win::HGDIOBJ was = win::SelectObject(dc, w.bitmap);
    int n = 0;
    for (int y = p.y - r; y <= p.y + r; ++y)
      for (int x = p.x - r; x <= p.x + r; ++x) n += win::GetPixel(dc, x, y) == colour ? 1 : 0;
    win::SelectObject(dc, was);
    win::DeleteDC(dc);
    return n;
  }

  static void screenshot(const exec::wdwrec& r, const std::string& name) {
    const char* folder = std::getenv("OSTREL_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0' || r.window == nullptr) return;
    int ups = 0;
    toolkit::UPDATE_WINDOW(r.window, nullptr, nullptr, &ups);
    plat::write_window_png(r.window, std::string(folder) + "/" + name + ".png");
  }
};

const char* const window = "WINDOW(WINdowhandle=H, Width=-640, Height=-400)\n";

TEST_F(LineWindow, CurvesLandOnTheDrawnAxisAndStartAnewWhenItIsDrawnAgain) {
  const std::string out =
      runopen(std::string(window) +
              "DIMENSION A(5), B(5)\nDO I = 1, 5\n  A(I) = 2 * I\n  B(I) = I * I\nENDDO\n"
              "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=30, Title='Square')\n"
              "LINE(X=A, Y=B)\nLINE(Line=5, X=A, Y=A)\n"
              "LINE(Line=5, Color=2, X=9, Y=29)\n"
              "END\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const exec::wdwrec* w = windowof("H");
  ASSERT_NE(w, nullptr);
  for (int i = 1; i < 5; ++i) {
    const win::POINT a = pixel(1, 2 * i, i * i), b = pixel(1, 2 * i + 2, (i + 1) * (i + 1));
    EXPECT_GT(near(*w, {(a.x + b.x) / 2, (a.y + b.y) / 2}, 1, exec::rgbtab(0)), 0) << i;
  }
  // Curve 5 kept its colour while the axis stood; Color=2 joins its last
  // point to the new one in colour 2.
  EXPECT_GT(near(*w, pixel(1, 6, 6), 1, exec::rgbtab(5)), 0);
  EXPECT_GT(near(*w, pixel(1, 9.5, 19.5), 1, exec::rgbtab(2)), 0);
  screenshot(*w, "line_window");

  // The axis drawn again: curve 5 starts anew in its own colour, its mark
  // and line from the statement, not joined to what went before.
  const std::string again = runopen(std::string(window) +
                                    "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=30)\n"
                                    "LINE(Line=5, X=1, Y=1)\nLINE(Line=5, X=3, Y=3)\nEND\n");
  ASSERT_EQ(again.substr(again.rfind("stop=")), "stop=-1\n") << again;
  EXPECT_EQ(plot::curvestate(5).style & 31, 5);
  w = windowof("H");
  EXPECT_GT(near(*w, pixel(1, 2, 2), 1, exec::rgbtab(5)), 0);
  EXPECT_EQ(near(*w, pixel(1, 5, 15), 2, exec::rgbtab(5)), 0);
}

TEST_F(LineWindow, AStripChartSlidesUnderItsLabels) {
  const std::string out =
      runopen(std::string(window) +
              "AXIS(WINdowhandle=H, MiN=0, MaX=100, Scroll, Yaxis, MiN=-1, MaX=1)\n"
              "DO I = 1, 130\n  LINE(X=I, Y=SIN(I / 10))\nENDDO\nEND\n");
  ASSERT_EQ(out.substr(out.rfind("stop=")), "stop=-1\n") << out;
  const plot::Scale& s = plot::axisstate.scale(1);
  EXPECT_GE(s.maximum, 130.0F);
  EXPECT_NEAR(s.maximum - s.minimum, 100.0F, 0.01F);
  const exec::wdwrec* w = windowof("H");
  ASSERT_NE(w, nullptr);
  const win::POINT a = pixel(1, 128, std::sin(12.8)), b = pixel(1, 129, std::sin(12.9));
  EXPECT_GT(near(*w, {(a.x + b.x) / 2, (a.y + b.y) / 2}, 2, exec::rgbtab(0)), 0);
  screenshot(*w, "line_stripchart");
  // The labels that came in with the slide keep all their digits: a run
  // of ink in the lower half of the label strip (a long tick and its
  // label) is wider for the labels of 100 and above than for those below.
  const int ch = plot::fontslots(5).cellheight;
  const win::POINT start = pixel(1, s.minimum, -1), hundred = pixel(1, 100, -1);
  win::BITMAP bm{};
  win::GetObjectA(w->bitmap, sizeof bm, &bm);
  std::vector<int> inked;
  for (int x = start.x; x < bm.bmWidth; ++x)
    inked.push_back(near(*w, {x, start.y + ch * 3 / 4}, ch / 4 - 1, exec::rgbtab(0)) > 0 ? 1 : 0);
  int two = 0, three = 0;  // the narrowest run of either kind
  int athundred = 0;       // the run through the tick of 100
  for (std::size_t i = 0; i < inked.size();) {
    if (inked[i] == 0) {
      ++i;
      continue;
    }
    std::size_t end = i, gap = 0;
    for (std::size_t j = i; j < inked.size() && gap <= 2; ++j) {
      gap = inked[j] != 0 ? 0 : gap + 1;
      if (inked[j] != 0) end = j;
    }
    // (A run cut by the axis's start or the window's end is not judged.)
    if (i > 0 && end + 1 < inked.size()) {
      int& narrowest = start.x + static_cast<int>(i) >= hundred.x ? three : two;
      const int run = static_cast<int>(end - i + 1);
      narrowest = narrowest == 0 ? run : std::min(narrowest, run);
      if (start.x + static_cast<int>(i) <= hundred.x &&
          hundred.x <= start.x + static_cast<int>(end))
        athundred = run;
    }
    i = end + 1;
  }
  ASSERT_GT(two, 0);
  ASSERT_GT(three, 0);
  EXPECT_GT(three, two + 2) << "a label of three digits lost one";
  // 100 was the maximum when the axis was drawn: its label, ending at its
  // tick, slid in with the plot and is not written a second time.
  EXPECT_LT(athundred, three + 2 * plot::fontslots(5).cellwidth) << "a second 100";
}

// The click the input step hands to the plot window once AXIS has made
// it report the mouse.
win::POINT clickat{};
bool clicked = false;
void (*inputstep)() = nullptr;
// The click posted to the plot window when `now`; then the queue pumped
// (the windowless run installs no input step of its own).
void clickandstep(win::HWND h, bool now) {
  if (now) {
    clicked = true;
    const win::LPARAM at = (clickat.y << 16) | (clickat.x & 0xFFFF);
    win::PostMessageA(h, win::WM_LBUTTONDOWN, 1, at);
    win::PostMessageA(h, win::WM_LBUTTONUP, 0, at);
  }
  if (inputstep != nullptr)
    inputstep();
  else
    toolkit::PROCESS_MESSAGES();
}
void clickonce() {
  const win::HWND h = plot::axisstate.mousewindow(1);
  clickandstep(h, !clicked && h != nullptr);
}

TEST_F(LineWindow, AClickOnThePlotDuringTheRunIsReadInAxisUnitsAndRunsTheMouseRoutine) {
  // Where 7.5, 20 lies: AXIS rounds nothing of a range of 0 to 10 and 0
  // to 40; the first run draws the axis to learn the frame.
  const std::string axis =
      "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=40, "
      "MouSeX=MX, MouSeY=MY, MouSeAxis=MA, MouSeCall='HIT')\n";
  ASSERT_NE(runopen(std::string(window) + axis + "END\n").find("stop=-1"), std::string::npos);
  clickat = pixel(1, 7.5, 20);
  // The click waits for the next run's AXIS.
  plot::axisstate.mousewindow(1) = nullptr;
  clicked = false;
  inputstep = exec::PANLIOSTEP;
  exec::PANLIOSTEP = clickonce;
  const std::string out =
      runopen("GOTO 10\nSUBROUTINE HIT\nDONE = 1\nEND\n10 DONE = 0\n" + std::string(window) + axis +
              "N = 0\n20 N = N + 1\nIF (DONE > 0) GOTO 30\nIF (N < 200000) GOTO 20\n30 X "
              "= 1\nEND\n");
  exec::PANLIOSTEP = inputstep;
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << out;
  EXPECT_TRUE(clicked) << "the plot window never reported the mouse";
  // The routine named by MouSeCall ran during the run.
  EXPECT_EQ(number("DONE"), 1.0) << "the mouse routine did not run";
  std::int32_t hit = 0;
  ASSERT_TRUE(core::FINDSN("HIT", hit, 4));
  EXPECT_EQ(ide::pendinghandler, hit);
  EXPECT_NEAR(number("MX"), 7.5, 0.05);
  EXPECT_NEAR(number("MY"), 20.0, 0.2);
  EXPECT_EQ(number("MA"), 1.0);
}

}  // namespace

namespace {

// The input step while ALARM(1) waits: the script names its window
// "waiting" just before the ALARM statement, and the click comes at the
// second step after that (the first ends the statement that named it, the
// second is ALARM's). A wait that the click did not end is ended by Escape
// after a bounded number of steps, so that the run stops instead of
// waiting for ever.
int waitsteps = 0;
void clickwhilewaiting() {
  const win::HWND h = plot::axisstate.mousewindow(1);
  char title[16] = {};
  if (h != nullptr) win::GetWindowTextA(h, title, sizeof title);
  const bool now = std::string(title) == "waiting" && ++waitsteps == 2;
  if (waitsteps > 500) core::keystate[1] = 1;
  clickandstep(h, now);
}

// A script waits for its user in ALARM(1): the click in the plot ends the
// wait and its MouSeCall routine runs before the statement after ALARM.
TEST_F(LineWindow, AClickWhileTheScriptWaitsInAlarmRunsTheMouseRoutine) {
  const std::string axis =
      "AXIS(WINdowhandle=H, MiN=0, MaX=10, Yaxis, MiN=0, MaX=40, "
      "MouSeX=MX, MouSeY=MY, MouSeCall='HIT')\n";
  ASSERT_NE(runopen(std::string(window) + axis + "END\n").find("stop=-1"), std::string::npos);
  clickat = pixel(1, 2.5, 30);
  plot::axisstate.mousewindow(1) = nullptr;
  clicked = false;
  waitsteps = 0;
  inputstep = exec::PANLIOSTEP;
  exec::PANLIOSTEP = clickwhilewaiting;
  const std::string out =
      runopen("GOTO 10\nSUBROUTINE HIT\nDONE = DONE + 1\nEND\n10 DONE = 0\nN = 0\n" +
              std::string(window) + axis +
              "WRITE(TitleBar, WINdowhandle=H) 'waiting'\n"
              "200 A = ALARM(1)\nN = N + 1\nIF (DONE > 0) GOTO 30\nGOTO 200\n30 X = 1\nEND\n");
  exec::PANLIOSTEP = inputstep;
  EXPECT_TRUE(clicked) << "the plot window never reported the mouse";
  ASSERT_NE(out.find("stop=-1"), std::string::npos) << "the click was lost: " << out;
  EXPECT_EQ(number("DONE"), 1.0);
  EXPECT_EQ(number("N"), 1.0) << "the routine ran after the second wait, not the first";
  EXPECT_NEAR(number("MX"), 2.5, 0.05);
  EXPECT_NEAR(number("MY"), 30.0, 0.2);
}

}  // namespace
