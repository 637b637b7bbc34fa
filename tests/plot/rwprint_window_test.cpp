// Text and figures that RWPRINT draws into a window's backing bitmap
// (headless back end): the figure items, the vertical places, scrolling a
// full window, the lines of a text, columns and the repaint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"

#include "exec/builtins.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "plot/printjob.h"
#include "plot/rwpass.h"
#include "plot/rwprint.h"
#include "plot_fixture.h"

namespace {

constexpr win::COLORREF white = 0xFFFFFF;

class RwprintWindow : public plottest::PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    plot::reset_printjob();
    plot::SETFONT(6, "Arial", 12, 0, 0, 400, 0);
    cw = plot::fontslots(6).cellwidth;
    ch = plot::fontslots(6).cellheight;
    exec::txtcolors = {0, white};
    record->printstate = plot::printbit::window;
    makebitmap(400, 300);
  }
  void TearDown() override {
    plot::reset_printjob();
    PlotTest::TearDown();
  }
  std::int32_t write(std::string_view text, std::string_view options = "",
                     double y = plot::nextline, double x = 1.0, std::int32_t columns = 0,
                     std::string_view align = " ") {
    std::int32_t status = 0;
    exec::wdwcur = record;
    plot::RWPRINT(text, x, y, columns, 6, align, options, record, status);
    return columns;
  }
  int ink(int l, int t, int r, int b) const { return countnot(white, l, t, r, b); }
  int cw = 0, ch = 0;
};

TEST_F(RwprintWindow, PointListsDrawOnlyWhatTheirNumbersMake) {
  // 3 numbers are one point: nothing; a polygon needs two at least.
  write("", "PXL,PO=10,10,50");
  EXPECT_EQ(ink(0, 0, 400, 300), 0);
  // Six Bezier points use four: the last two (far right) are not reached.
  write("", "PXL,BE=10,100,40,20,80,180,110,100,390,10,390,290");
  EXPECT_GT(ink(0, 0, 120, 300), 0);
  EXPECT_EQ(ink(120, 0, 400, 300), 0);
  // "^" ends a figure: two lines, nothing between them; a "^" past the
  // list changes nothing.
  makebitmap(400, 300);
  write("", "PXL,LI=20,50,200,50^20,150,200,150^");
  EXPECT_GT(ink(100, 45, 101, 56), 0);
  EXPECT_GT(ink(100, 145, 101, 156), 0);
  EXPECT_EQ(ink(100, 60, 101, 140), 0);
  // Unreadable numbers end the list: only the two points before them.
  makebitmap(400, 300);
  write("", "PXL,LI=20,50,200,50,x,300,250");
  EXPECT_GT(ink(100, 45, 101, 56), 0);
  EXPECT_EQ(ink(0, 60, 400, 300), 0);
}

TEST_F(RwprintWindow, EllipsesFramesAndTheBackgroundBrush) {
  write("", "EL=0");
  const win::RECT full = inkbox();
  EXPECT_LE(full.left, 2);
  // The area leaves room for the vertical scroll bar.
  EXPECT_GE(full.right, 398 - exec::sysmetrics(exec::metric::vscrollwidth));
  EXPECT_LE(full.top, 2);
  EXPECT_GE(full.bottom, 298);
  // From straight below (0) to straight above (180): one half only.
  makebitmap(400, 300);
  write("", "EL=0,A1=0,A2=180");
  const int left = ink(0, 100, 100, 200), right = ink(300, 100, 400, 200);
  EXPECT_TRUE((left == 0) != (right == 0)) << left << " " << right;
  // A colour 40 is no colour: the frame stays hollow; 4 fills it.
  makebitmap(400, 300);
  write("", "BC=40,RA=0");
  EXPECT_GT(ink(0, 0, 400, 300), 0);
  EXPECT_EQ(at(200, 150), white);
  makebitmap(400, 300);
  write("", "BC=4,RA=0");
  EXPECT_EQ(at(200, 150), exec::rgbtab(4));
}

TEST_F(RwprintWindow, TheVerticalPlaces) {
  write("first");
  const int firsttop = inkbox().top;
  EXPECT_LT(firsttop, ch);
  write("second");  // 0.9999: on the line below
  EXPECT_GE(inkbox().bottom, ch + 2);
  EXPECT_LT(inkbox().bottom, 2 * ch + 2);
  makebitmap(400, 300);
  write("low", "", 0.5);
  EXPECT_GE(inkbox().top, 150);
  EXPECT_LT(inkbox().top, 150 + ch);
  makebitmap(400, 300);
  write("third", "", 3.0);  // two cells down
  EXPECT_GE(inkbox().top, 2 * ch);
  EXPECT_LT(inkbox().bottom, 3 * ch + 2);
  // Lines end at CR LF, LF or CR alike; a final one adds no line.
  makebitmap(400, 300);
  write("a\nb\rc\r\nd\r\n", "", 1.0);
  EXPECT_EQ(record->texty, 4 * ch);
}

TEST_F(RwprintWindow, AFullWindowScrollsByItsOverflowAndOnePixel) {
  write("top line", "", 1.0);
  const win::RECT before = inkbox();
  // Down to a line that leaves room for one more line only.
  write("x", "", -(300.0 - 2 * ch));
  const std::int32_t y = record->texty;
  write("one\r\ntwo\r\nthree");
  const int overflow = 3 * ch + y - 300;
  ASSERT_GE(overflow, 0);
  // The top line went out of the window; "x" moved up by overflow + 1.
  EXPECT_EQ(record->texty, y - (overflow + 1) + 3 * ch);
  const win::RECT after = inkbox();
  EXPECT_GT(after.top, before.top);
  EXPECT_EQ(ink(0, 300 - 2 * ch - overflow - 1, 400, 300 - ch - overflow - 1) > 0, true);
}

TEST_F(RwprintWindow, ColumnsSplitTheWindow) {
  // "P": no prompt when the area is full; columns restart at the left.
  std::int32_t columns = write("c1", "", 1.0, 1.0, 2, "P");
  EXPECT_EQ(columns, 2);
  const int lines = 300 / ch;
  for (int k = 1; k < lines; ++k) write("a", "", plot::nextline, 1.0, 2, "P");
  write("next", "", plot::nextline, 1.0, 2, "P");
  // The second column starts at half the width.
  EXPECT_GT(ink(200, 0, 260, ch), 0);
  EXPECT_EQ(plot::printjob.column, 2);
}

// Without "P" a full area asks "fullpage": the answer 0 stops the output
// (the window is not cleared and the text not written), an answer that
// goes on clears the window and starts at the top.
TEST_F(RwprintWindow, AFullWindowAsksBeforeItGoesOn) {
  static std::vector<std::string> asked;
  static int reply = 0;
  asked.clear();
  const auto kept = core::helpwin;
  core::helpwin = [](std::string_view key, int& answer, const core::HelpValues&) {
    asked.emplace_back(key);
    answer = reply;
  };
  const int lines = 300 / ch;
  write("first", "", 1.0, 1.0, 1);
  for (int k = 1; k < lines; ++k) write("a", "", plot::nextline, 1.0, 1);
  EXPECT_TRUE(asked.empty());
  const int before = ink(0, 0, 400, 300);
  reply = 0;
  write("stopped", "", plot::nextline, 1.0, 1);
  EXPECT_EQ(asked, std::vector<std::string>{"fullpage"});
  EXPECT_EQ(ink(0, 0, 400, 300), before);
  reply = 1;
  write("again", "", plot::nextline, 1.0, 1);
  EXPECT_EQ(asked.size(), 2u);
  // Cleared (to palette colour 15) and written at the top.
  EXPECT_LT(inkbox().bottom, ch + 2);
  core::helpwin = kept;
}

// Each call repaints the window once; with "NOUP" the text goes into the
// picture only and the window is left to a later repaint.
TEST_F(RwprintWindow, NoupWritesWithoutRepainting) {
  static int paints = 0;
  win::WNDCLASSA wc;
  wc.lpfnWndProc = [](win::HWND h, win::UINT msg, win::WPARAM wp, win::LPARAM lp) -> win::LRESULT {
    if (msg == win::WM_PAINT) {
      ++paints;
      win::PAINTSTRUCT ps;
      win::BeginPaint(h, &ps);
      win::EndPaint(h, &ps);
      return 0;
    }
    return win::DefWindowProcA(h, msg, wp, lp);
  };
  wc.lpszClassName = "PaintCounter";
  win::RegisterClassA(&wc);
  record->window = win::CreateWindowExA(0, "PaintCounter", "", win::WS_POPUP | win::WS_VISIBLE, 0,
                                        0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(record->window, nullptr);
  paints = 0;
  write("seen", "NOUP");
  EXPECT_EQ(paints, 0);
  EXPECT_GT(ink(0, 0, 400, 300), 0) << "the text is not in the picture";
  write("shown");
  EXPECT_EQ(paints, 1);
  win::DestroyWindow(record->window);
  record->window = nullptr;
}

}  // namespace

namespace {

// Option texts mutated at random (a fixed seed): every figure and margin
// item is read within the text's bounds, whatever the numbers.
TEST_F(RwprintWindow, MutatedOptionTextsAreReadSafely) {
  const std::string seeds[] = {"PXL,LI=20,50,200,50^20,150,200,150", "CHA,W=5,H=3,PO=1,1,9,9,1,9",
                               "BE=1,2,3,4,5,6,7,8^9,10", "RA=4.32,EL=2,A1=45,A2=-90,BC=3",
                               "L=0.1,R=-5,W=3,T=2,B=0.5,H=-40,NOUP"};
  const std::string alphabet = "0123456789-+.,;^=LIPOBECHAXWRTSNUY ";
  std::uint32_t state = 12345;
  const auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return state >> 8;
  };
  for (int round = 0; round < 400; ++round) {
    std::string s = seeds[round % 5];
    for (int k = 0, n = 1 + static_cast<int>(next() % 6); k < n; ++k) {
      const std::size_t at = next() % (s.size() + 1);
      switch (next() % 3) {
        case 0:
          s.insert(at, 1, alphabet[next() % alphabet.size()]);
          break;
        case 1:
          if (at < s.size()) s.erase(at, 1);
          break;
        default:
          if (at < s.size()) s[at] = alphabet[next() % alphabet.size()];
      }
    }
    write(round % 2 == 0 ? "" : "text", s);
    const plot::PointList l = plot::pointlist(s, 0);
    EXPECT_LE(l.ends.size(), s.size());
  }
  for (int k = 0; k < 4; ++k) EXPECT_GE(record->printarea[k], 0);
  // Margins beyond any window are held at 2^24 pixels: a width after such a
  // margin leaves none on the other side.
  write("y", "L=1E300,W=1E300,T=-1E300,H=1E300");
  EXPECT_EQ(record->printarea[0], 1 << 24);
  EXPECT_EQ(record->printarea[1], 0);
  EXPECT_EQ(record->printarea[2], 1 << 24);
  EXPECT_EQ(record->printarea[3], 0);
}

}  // namespace
