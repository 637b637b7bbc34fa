// The editor's keys at the edges a user meets, driven through the key
// entry that the display's key events reach: a column selection inside one
// line copied and cut, a line held whole passed over word by word, a
// selection on the window's bottom row, the last line left and its change
// undone and redone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/editbuffer.h"
#include "core/stores.h"
#include "editor_keys.h"
#include "editor_program.h"
#include "ide/editorwords.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/panlio.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_clipboard.h"
#include "platform/win_gdi.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "plot/fontslots.h"

namespace idetest {
namespace {

class EditorSelection : public IdeTest {
 protected:
  testsupport::TempDir dir;
  std::string script(const std::string& text) {
    testsupport::write_file(dir.file("s.ost"), text);
    return "\"" + dir.file("s.ost") + "\"";
  }
};

// The line input's text as the screen shows it.
std::string inputline() {
  std::string s(ide::edlinebuf.data() + 1, ide::edlinebuf.size() - 1);
  return s.substr(0, s.find_last_not_of(' ') + 1);
}

// The cells of the main window's first rows drawn in the selection's
// colour, on the pixel row that has most of them.
int selectedcells() {
  const auto w = static_cast<win::HWND>(mainwindow());
  const std::uint32_t selected = classbg(6);
  int most = 0;
  for (int y = 0; y < 200; ++y) {
    int n = 0;
    for (int x = 0; x < 400; ++x) n += plat::window_pixel(w, x, y) == selected;
    most = std::max(most, n);
  }
  return most / plot::fontslots(ide::wdwhead->fontslot).cellwidth;
}

// Characters of one line selected with Shift+Right: Ctrl+C takes the
// characters drawn selected, the last one too; Ctrl+X of the same
// selection takes them out and leaves the cursor where they began, so that
// a typed letter takes their place.
TEST_F(EditorSelection, AColumnSelectionInOneLineIsCopiedWholeAndCutToItsStart) {
  std::string copied, cut, typed;
  int drawn = 0;
  const auto select = [] {
    press(win::VK_HOME);
    press(win::VK_RIGHT);
    press(win::VK_RIGHT);
    for (int k = 0; k < 3; ++k) with(win::VK_SHIFT, win::VK_RIGHT);
  };
  run(script("ABCDEFG = 1\r\nEND\r\n"), {[&] {
                                           with(win::VK_CONTROL, win::VK_HOME);
                                           select();
                                         },
                                         [&] {
                                           drawn = selectedcells();
                                           with(win::VK_CONTROL, 'C');
                                         },
                                         [&] {
                                           copied = plat::clipboard_text();
                                           select();
                                           with(win::VK_CONTROL, 'X');
                                         },
                                         [&] {
                                           cut = plat::clipboard_text();
                                           type("Z");
                                         },
                                         [&] { typed = inputline(); }});
  ASSERT_GE(drawn, 3);
  const std::string line = "ABCDEFG = 1";
  EXPECT_EQ(copied, line.substr(2, static_cast<std::size_t>(drawn)));
  EXPECT_EQ(cut, copied);
  EXPECT_EQ(typed, "ABZ" + line.substr(2 + copied.size()));
}

// A line longer than the line input takes, its words passed over with
// Ctrl+Right to the input's end and beyond: the cursor goes on word by
// word and stops where End puts it, on the line, which is still held whole
// (a typed letter is told and changes nothing).
TEST_F(EditorSelection, CtrlRightOnALineHeldWholeStopsWhereEndDoes) {
  std::string sum = "X = ";
  for (int k = 0; k < 70; ++k) sum += "1 + ";
  const std::string text = "N = 1\r\n" + sum + "1\r\nEND\r\n";
  std::vector<std::int32_t> columns;
  std::int32_t line = 0, end = 0;
  std::string after;
  const auto word = [&] {
    columns.push_back(ide::panfield.cursorcol);
    with(win::VK_CONTROL, win::VK_RIGHT);
  };
  run(script(text), {[] {
                       with(win::VK_CONTROL, win::VK_HOME);
                       press(win::VK_DOWN);
                       press(win::VK_HOME);
                     },
                     word, word, word,
                     [&] {
                       columns.push_back(ide::panfield.cursorcol);
                       for (int k = 0; k < 100; ++k) with(win::VK_CONTROL, win::VK_RIGHT);
                     },
                     [&] {
                       columns.push_back(ide::panfield.cursorcol);
                       press(win::VK_END);
                     },
                     [&] {
                       end = ide::panfield.cursorcol;
                       type("Q");
                     },
                     [&] {
                       line = ide::edcurline;
                       after = buffer();
                     }});
  EXPECT_EQ(line, 2);
  EXPECT_EQ(after, text);
  ASSERT_EQ(columns.size(), 5u);
  for (std::size_t k = 1; k < 4; ++k) EXPECT_LT(columns[k - 1], columns[k]) << k;
  EXPECT_EQ(columns[4], end) << "where the words ran out";
  int told = 0;
  for (const plat::MessageBoxRecord& r : plat::message_box_log())
    told += r.text.find("line 2 holds") != std::string::npos;
  EXPECT_EQ(told, 1) << "the typed letter";
}

// Whether the window's text row r (from 1) has the colour right of its text.
bool rowhas(int r, std::uint32_t colour) {
  const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
  const int top = ide::wdwhead->topoffset + (r - 1) * ch;
  int n = 0;
  for (int y = top; y < top + ch; ++y)
    n += plat::window_pixel(static_cast<win::HWND>(mainwindow()), 600, y) == colour;
  return n > ch / 2;
}

std::string manylines(int n) {
  std::string text;
  for (int k = 1; k <= n; ++k) text += "X = " + std::to_string(k) + "\r\n";
  return text + "END\r\n";
}

// From the window's bottom row, Shift+Up: the line left, on the bottom
// row, is selected; its row is the one drawn selected. A key that ends the
// selection draws it plain again; selected anew, Delete takes that line.
TEST_F(EditorSelection, ASelectionOnTheBottomRowIsDrawnSelected) {
  const std::string text = manylines(150);
  std::int32_t rows = 0;
  int selected = 0, cleared = -1;
  bool bottom = false;
  std::string after;
  run(script(text), {[] { with(win::VK_CONTROL, win::VK_HOME); },
                     [&] {
                       rows = ide::edrows;
                       for (int k = 1; k < rows; ++k) press(win::VK_DOWN);
                     },
                     [] { with(win::VK_SHIFT, win::VK_UP); },
                     [&] {
                       selected = rowsof(classbg(6));
                       bottom = rowhas(rows, classbg(6));
                       press(win::VK_RIGHT);
                     },
                     [&] {
                       cleared = rowsof(classbg(6));
                       press(win::VK_DOWN);
                       with(win::VK_SHIFT, win::VK_UP);
                     },
                     [] { press(win::VK_DELETE); }, [&] { after = buffer(); }});
  ASSERT_GT(rows, 2);
  EXPECT_EQ(selected, 1);
  EXPECT_TRUE(bottom) << "the bottom row is not drawn selected";
  EXPECT_EQ(cleared, 0) << "rows still drawn selected";
  const std::string gone = "X = " + std::to_string(rows) + "\r\n";
  EXPECT_EQ(after, std::string(text).erase(text.find(gone), gone.size()));
}

// The pixels of the text rows in the main window's backing bitmap.
std::vector<std::uint32_t> textrows() {
  const ide::wdwrec& w = *ide::wdwhead;
  const win::HDC dc = win::CreateCompatibleDC(nullptr);
  const auto old = win::SelectObject(dc, w.bitmap);
  std::vector<std::uint32_t> out;
  for (int y = 0; y < w.clientheight - 40; ++y)
    for (int x = 0; x < w.clientwidth - 40; ++x) out.push_back(win::GetPixel(dc, x, y));
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return out;
}

// The last line wider than the window, its end shown in the line input
// (scrolled sideways), then Up: the last line's row shows the line from
// its start, as a redraw of the whole screen shows it, with and without a
// line end after it.
TEST_F(EditorSelection, LeavingTheLastLineDrawsItsRowAgain) {
  std::string wide = "X = 1";
  while (wide.size() < 240) wide += " + 1";
  for (const std::string end : {"\r\n", ""}) {
    SCOPED_TRACE(end.empty() ? "without a last line end" : "with a last line end");
    std::vector<std::uint32_t> left, redrawn;
    std::int32_t line = 0;
    int ink = 0;
    run(script("A = 1\r\nB = 2\r\n" + wide + end),
        {[] {
           with(win::VK_CONTROL, win::VK_END);
           press(win::VK_END);
         },
         [] { press(win::VK_UP); },
         [&] {
           line = ide::edcurline;
           // The first cell of the last line's row: its "X".
           const int ch = plot::fontslots(ide::wdwhead->fontslot).cellheight;
           const int cw = plot::fontslots(ide::wdwhead->fontslot).cellwidth;
           const int top = ide::wdwhead->topoffset + (core::nedlines - ide::edfirstline) * ch;
           const std::uint32_t paper = plat::window_pixel(static_cast<win::HWND>(mainwindow()),
                                                          ide::wdwhead->clientwidth / 2, top + 1);
           for (int y = top; y < top + ch; ++y)
             for (int x = 0; x < cw; ++x)
               ink += plat::window_pixel(static_cast<win::HWND>(mainwindow()), x, y) != paper;
           // (The line input's row drawn as a plain row, as a redraw does.)
           const std::int32_t row = ide::edcurline - ide::edfirstline + 1;
           ide::PARTSCREENINTERNAL(row, row, 0);
           left = textrows();
           core::edmark = core::edmarkall;
           ide::SCREENINTERNAL();
           redrawn = textrows();
         }});
    EXPECT_EQ(line, 2);
    EXPECT_GT(ink, 3) << "the last line's row does not start with its text";
    ASSERT_FALSE(left.empty());
    EXPECT_TRUE(left == redrawn) << "the rows are not those a redraw draws";
  }
}

// A change of the last line, undone and redone from the first: each time
// the cursor goes to the last line, where the change is; with and without
// a line end after it.
TEST_F(EditorSelection, UndoAndRedoOfTheLastLineMoveTheCursorThere) {
  for (const std::string end : {"\r\n", ""}) {
    SCOPED_TRACE(end.empty() ? "without a last line end" : "with a last line end");
    const std::string text = "A = 1\r\nB = 2\r\nC = 3" + end;
    std::vector<std::int32_t> at;
    std::vector<std::string> texts;
    const auto note = [&] {
      at.push_back(ide::edcurline);
      texts.push_back(core::linetext(core::nedlines));
    };
    run(script(text),
        {[] {
           with(win::VK_CONTROL, win::VK_END);
           press(win::VK_END);
           type("9");
           press(win::VK_UP);
         },
         [] { with(win::VK_CONTROL, win::VK_HOME); }, [] { with(win::VK_CONTROL, 'Z'); },
         [&] {
           note();
           with(win::VK_CONTROL, win::VK_HOME);
         },
         [] { with(win::VK_CONTROL, 'Y'); }, note});
    ASSERT_EQ(at.size(), 2u);
    EXPECT_EQ(texts[0], "C = 3");
    EXPECT_EQ(texts[1], "C = 39");
    EXPECT_EQ(at[0], 3) << "after Undo";
    EXPECT_EQ(at[1], 3) << "after Redo";
  }
}

}  // namespace
}  // namespace idetest
