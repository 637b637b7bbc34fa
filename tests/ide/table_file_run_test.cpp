// A text file shown as a table by a run in the IDE (Alt+R), which waits
// at the table while the IDE goes on: a click on a column's title sorts
// whole rows, also the number columns that the IDE refreshes between its
// ticks, and a number typed into a cell after the sort is written into the
// line that row shows when the table closes.
#include <gtest/gtest.h>

#include <string>

#include "exec/windowlist.h"
#include "ide_fixture.h"
#include "platform/backend.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_window.h"
#include "support/test_support.h"

namespace {

using idetest::IdeTest;

// Items of a table of three columns and four rows: the column titles,
// then (after the row titles) the cells row by row.
constexpr int kTitle2 = 1004;
int cell(int row, int col) { return 1010 + 3 * (row - 1) + (col - 1); }

std::string textof(win::HWND d, int id) {
  char text[64] = {};
  win::GetWindowTextA(win::GetDlgItem(d, id), text, sizeof text);
  return text;
}

void clickon(win::HWND d, int id) {
  win::RECT r{};
  win::HWND c = win::GetDlgItem(d, id);
  ASSERT_NE(c, nullptr) << "no item " << id;
  win::GetClientRect(c, &r);
  plat::inject_click(c, r.right / 2, r.bottom / 2);
}

TEST_F(IdeTest, ATitleSortMovesWholeRowsAndACellTypedAfterItIsSavedIntoItsLine) {
  testsupport::TempDir dir;
  testsupport::write_file(dir.file("stock.txt"),
                          "pears           12     2.50\r\n"
                          "apples          40     1.25\r\n"
                          "plums            7     3.10\r\n"
                          "cherries        25     4.00\r\n");
  testsupport::write_file(dir.file("s.ost"),
                          "CHARACTER F*30, LAYOUT*40\r\nF = 'stock.txt'\r\n"
                          "LAYOUT = '(A12, I6, F9.2)'\r\nOPEN(FIle=F, Format=LAYOUT)\r\n"
                          "R = DLG(TItle='Stock', Edit=F, Format=LAYOUT, Button='1:&OK')\r\n"
                          "READ(FIle=F, CLoSe=1)\r\nEND\r\n");
  win::HWND d = nullptr;
  std::string sorted;
  const auto rows = [&] {
    std::string s;
    for (int r = 1; r <= 4; ++r) {
      for (int c = 1; c <= 3; ++c) s += textof(d, cell(r, c)) + "|";
      s += "\n";
    }
    return s;
  };
  const std::string expected =
      "plums|7|3.10|\npears|12|2.50|\ncherries|25|4.00|\napples|40|1.25|\n";
  run(dir.file("s.ost"),
      {[] { idetest::presswith(win::VK_MENU, 'R'); },
       idetest::waitfor([] { return exec::wdwtail != exec::wdwhead; }, "the table's dialog",
                        [&] {
                          d = exec::wdwtail->window;
                          clickon(d, kTitle2);
                        }),
       // Some ticks of the IDE's clock, then the rows as shown.
       [] {}, [] {}, [] {},
       [&] {
         sorted = rows();
         clickon(d, cell(4, 3));
       },
       [] {
         plat::inject_key_press(win::VK_END);
         for (int i = 0; i < 4; ++i) plat::inject_key_press(win::VK_BACK);
         for (char ch : std::string("9.99"))
           plat::inject_key_press(ch == '.' ? win::VK_OEM_PERIOD : ch, ch);
       },
       [&] { clickon(d, cell(1, 1)); }, [] {},
       [&] {
         plat::push_message_box_answer(win::IDYES);  // "Save the changes?"
         win::HWND ok = nullptr;
         for (int id = 1001; id < 1100; ++id)
           if (textof(d, id) == "OK" || textof(d, id) == "&OK") ok = win::GetDlgItem(d, id);
         ASSERT_NE(ok, nullptr);
         win::RECT r{};
         win::GetClientRect(ok, &r);
         plat::inject_click(ok, r.right / 2, r.bottom / 2);
       },
       idetest::waitfor([&] { return !win::IsWindow(d); }, "the table to close", [] {})});
  EXPECT_EQ(sorted, expected);
  EXPECT_EQ(testsupport::read_file(dir.file("stock.txt")),
            "pears           12     2.50\r\n"
            "apples          40     9.99\r\n"
            "plums            7     3.10\r\n"
            "cherries        25     4.00\r\n");
}

}  // namespace
