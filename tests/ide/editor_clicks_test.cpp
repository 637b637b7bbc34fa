// Clicks in the editor's text, through the events the back end hands the
// main window: a click selects the line drawn under the pointer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_keys.h"
#include "editor_program.h"
#include "ide/editorwords.h"
#include "ide/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "plot/fontslots.h"
#include "support/test_support.h"

namespace idetest {
namespace {

// Line 5, the cursor line, is found where it is drawn (the rows of the
// input line's background); a click on each of its pixel rows puts the
// cursor on it from line 1, and a click just above or below it on the line
// drawn there.
TEST_F(IdeTest, AClickOnEveryPixelRowOfALineSelectsThatLine) {
  testsupport::TempDir dir;
  std::string text;
  for (int k = 1; k <= 9; ++k) text += "X" + std::to_string(k) + " = " + std::to_string(k) + "\r\n";
  testsupport::write_file(dir.file("c.ost"), text + "END\r\n");
  const auto w = [] { return static_cast<win::HWND>(mainwindow()); };
  int top = -1, bottom = -1, cellheight = 0;
  std::vector<std::pair<int, int>> landed;  // the y clicked, the cursor line after it
  std::vector<Step> steps{[] { down(4); },
                          [&] {
                            ASSERT_EQ(ide::edcurline, 5);
                            cellheight = plot::fontslots(ide::wdwhead->fontslot).cellheight;
                            for (int y = 0; y < 400; ++y)
                              if (plat::window_pixel(w(), 600, y) == classbg(5)) {
                                if (top < 0) top = y;
                                bottom = y;
                              }
                          }};
  // The rows are known once the second step has run: the clicks read them.
  for (int k = 0; k < 40; ++k) {
    steps.push_back([k] {
      if (k > 0) with(win::VK_CONTROL, win::VK_HOME);
    });
    steps.push_back([&, k] {
      const int y = top - 1 + k;
      if (top < 0 || y > bottom + 1) return;
      if (k > 0) {
        ASSERT_EQ(ide::edcurline, 1) << "Ctrl+Home before the click at y = " << y;
      }
      plat::inject_click(w(), 20, y);
    });
    steps.push_back([&, k] {
      const int y = top - 1 + k;
      if (top >= 0 && y <= bottom + 1) landed.emplace_back(y, ide::edcurline);
    });
  }
  run(dir.file("c.ost"), steps);
  ASSERT_GE(top, 0) << "no row drawn as the cursor line";
  ASSERT_EQ(bottom - top + 1, cellheight) << "the cursor line's rows, from y = " << top;
  ASSERT_EQ(landed.size(), static_cast<std::size_t>(cellheight + 2));
  for (const auto& [y, line] : landed)
    EXPECT_EQ(line, y < top      ? 4
                    : y > bottom ? 6
                                 : 5)
        << "a click at y = " << y << ", line 5 drawn at " << top << ".." << bottom;
}

}  // namespace
}  // namespace idetest
