// A drawn table, looked at pixel by pixel on the headless display: the
// titles are written, the rows alternate between two colours, a cell
// beyond the data is not drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dialog_fixture.h"
#include "exec/builtins.h"
#include "platform/backend.h"
#include "platform/win_message_keys.h"

namespace {

using dlgtest::click;
using dlgtest::DialogScript;
using dlgtest::probe;

// The colour of a control's client pixel (x, y).
std::uint32_t pixel(win::HWND dialog, int id, int x, int y) {
  return plat::window_pixel(win::GetDlgItem(dialog, id), x, y);
}

// Pixels of the control's client area that are far from the colour.
int inked(win::HWND dialog, int id, std::uint32_t background) {
  win::HWND c = win::GetDlgItem(dialog, id);
  win::RECT r{};
  win::GetClientRect(c, &r);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) {
      const std::uint32_t p = plat::window_pixel(c, x, y);
      int d = 0;
      for (int s = 0; s < 24; s += 8)
        d += std::abs(static_cast<int>((p >> s) & 0xFF) -
                      static_cast<int>((background >> s) & 0xFF));
      if (d > 200) ++n;
    }
  return n;
}

TEST_F(DialogScript, ADrawnTableShowsItsTitlesAlternatesItsRowsAndHidesCellsBeyondTheData) {
  // Two tables on one band: A (3 rows) and B (2 rows): B's third row is
  // beyond its data. A: cells 1009-1014 (3 x 2); B from 1017: titles
  // 1017-1018, hidden row titles 1019-1021, cells 1022-1027.
  std::uint32_t rows[3] = {}, titlebg = 0;
  int titleink = 0;
  bool hidden = false;
  std::string saved;
  answer({probe([&](win::HWND w) {
            win::InvalidateRect(w, nullptr, win::TRUE);
            win::UpdateWindow(w);
            for (int r = 0; r < 3; ++r) rows[r] = pixel(w, 1009 + 2 * r, 2, 2);
            titlebg = pixel(w, 1003, 1, 1);
            titleink = inked(w, 1003, titlebg);
            hidden = win::IsWindowVisible(win::GetDlgItem(w, 1026)) == 0 &&
                     win::IsWindowVisible(win::GetDlgItem(w, 1022)) != 0;
            const char* keep = std::getenv("OSTREL_TABLE_PNG");
            if (keep != nullptr && dlgtest::picture(w, keep)) saved = keep;
          }),
          click(1001)});
  run("DIMENSION A(3, 2), B(2, 2)\nA = $\nB = $\n"
      "DLG(TItle='Tables', Edit=A, ColTitle='Left,Right,', Edit=B, X=5, Y=0)\n");
  // The rows alternate between the dialog's background colour (11) and the
  // one 8 away from it (3).
  EXPECT_EQ(rows[0], exec::rgbtab(11));
  EXPECT_EQ(rows[1], exec::rgbtab(3));
  EXPECT_EQ(rows[2], exec::rgbtab(11));
  EXPECT_GT(titleink, 10);
  EXPECT_TRUE(hidden);
}

// The edit cell of the dialog that shows the text.
win::HWND cellshowing(win::HWND dialog, const std::string& text) {
  for (int id = 1001; id < 1100; ++id) {
    const win::HWND c = win::GetDlgItem(dialog, id);
    char cls[16] = {};
    if (c != nullptr && win::GetClassNameA(c, cls, sizeof cls) > 0 && std::string(cls) == "Edit" &&
        dlgtest::shown(dialog, id) == text)
      return c;
  }
  return nullptr;
}

// A click into a cell, the one with the focus too, and F2 in a cell take
// its whole text: what is typed next replaces the value, it does not go in
// front of it (a click left the caret where it fell).
TEST_F(DialogScript, WhatIsTypedIntoAClickedCellReplacesItsValue) {
  // Near a cell's left edge, in front of its right-aligned digits.
  const auto clickin = [](const char* text) {
    return probe([text](win::HWND w) {
      const win::HWND c = cellshowing(w, text);
      ASSERT_NE(c, nullptr) << "no cell shows " << text;
      plat::inject_click(c, 2, 4);
    });
  };
  answer(dlgtest::keys({{clickin("1")},
                        dlgtest::typing("99"),
                        {dlgtest::press(win::VK_RETURN), clickin("4")},
                        dlgtest::typing("88"),
                        {dlgtest::press(win::VK_RETURN), clickin("5"), dlgtest::press(win::VK_END),
                         dlgtest::press(win::VK_F2)},
                        dlgtest::typing("7"),
                        {dlgtest::press(win::VK_RETURN), click(1001)}}));
  const std::string out = run("DIMENSION A(3, 2)\nA = $\nDLG(TItle='Cells', Edit=A, Height=3)\n");
  EXPECT_EQ(out.substr(0, out.find('\n')), "A=(99,2,3,88,7,6)") << out;
}

}  // namespace
