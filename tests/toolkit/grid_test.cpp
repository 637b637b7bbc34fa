// The spreadsheet grid in a running dialog, driven by keys and clicks: cell
// moves at the edges (wrap, beep, text columns skipped), a frozen column
// after sideways scrolling, editing with commit and Escape, the Insert and
// Delete events, clicks on titles and row labels; cell texts and the
// scroll procedure's answers.
#include <cstring>
#include <optional>

#include "dialog_testing.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "support/test_support.h"
#include "toolkit/dialog_box.h"
#include "toolkit/grid.h"
#include "toolkit/grid_paint.h"
#include "toolkit/mouse.h"
#include "toolkit/scrolling.h"

using namespace toolkit;

namespace {

std::vector<int> grid_events;
int note_grid_event(win::HWND&, dialog_t* items, int& number) {
  grid_events.push_back(items[number - 1].event_code);
  return 0;
}

// A grid of four rows: a read-only text column, an integer column, a real
// column; an OK button after it.
class Grid : public dlgt::DialogTest {
 protected:
  dialog_t items[5];
  char names[4][6];
  std::int32_t counts[4] = {10, 20, 30, 40};
  double values[4] = {1.5, 2.5, 3.5, 4.5};
  std::optional<dlgt::BeepCounter> beeper;
  win::HWND dialog = nullptr;
  win::HWND grid = nullptr;

  void SetUp() override {
    DialogTest::SetUp();
    beeper.emplace();
    grid_events.clear();
    tktest::make_main();
    std::memcpy(names, "ann   bob   cid   dan   ", sizeof names);
    dlgt::set(items[0],
              {.type = DLG_SPREADSHEET, .title = "()", .x = 7, .y = 7, .width = 200, .height = 90});
    items[0].value_proc = note_grid_event;
    const int text_type = DLG_TEXT;
    SET_COLUMN_ITEM_TEXT(items[1], &names[0][0], 6, 4, "Name", 4, nullptr, nullptr, nullptr,
                         nullptr, nullptr, &text_type, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
    SET_COLUMN_ITEM_INTEGER(items[2], counts, 4, "Count", 5, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    SET_COLUMN_ITEM_REAL8(items[3], values, 4, "Value", 5, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    dlgt::set(items[4], {.type = DLG_OK_BUTTON});
  }

  void open(int n = 5) {
    const int modeless = 1;
    dialog = reinterpret_cast<win::HWND>(
        DIALOG_BOX(items, n, "Grid", 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr, &modeless, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(dialog, nullptr);
    grid = win::GetDlgItem(dialog, items[0].id);
    ASSERT_NE(grid, nullptr);
    win::SetFocus(grid);
    dlgt::pump();
    grid_events.clear();
  }
  void TearDown() override {
    if (dialog != nullptr && win::IsWindow(dialog)) win::DestroyWindow(dialog);
    beeper.reset();
    DialogTest::TearDown();
  }
  int beeps() const { return beeper->beeps; }

  void at(int row, int column) {
    items[0].text_length = row;
    items[0].list_stride = column;
  }
  int row() const { return items[0].text_length; }
  int column() const { return items[0].list_stride; }
  bool editing() const { return (items[0].style_options & kOptionEditing) != 0; }
  win::HWND editor(int column) const { return static_cast<win::HWND>(items[column].image); }
  void press(int vk, int modifier = 0) {
    if (modifier != 0)
      dlgtest::with(modifier, vk);
    else
      dlgt::key(vk);
    dlgt::pump();
  }
  void click(int x, int y, bool twice = false) {
    dlgtest::mouse(dialog, grid, x, y, 1);
    dlgtest::mouse(dialog, grid, x, y, -1);
    if (twice) {
      dlgtest::mouse(dialog, grid, x, y, 1);
      dlgtest::mouse(dialog, grid, x, y, -1);
    }
  }
};

TEST_F(Grid, DialogBoxTiesTheColumnsToTheGrid) {
  open();
  EXPECT_EQ(items[0].integer_value, 3);
  EXPECT_EQ(items[0].bound_count, 4);
  EXPECT_EQ(items[0].integer_min, 12);  // the first column's height
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(items[c].owner_spreadsheet, 1);
  EXPECT_EQ(items[4].y, 7 + 90 + 4);  // below the grid
}

TEST_F(Grid, MovesRightWrapAndStopAtTheLastCell) {
  open();
  at(3, 3);
  press(win::VK_RIGHT);  // wraps past the text column
  EXPECT_EQ(row(), 4);
  EXPECT_EQ(column(), 2);
  EXPECT_EQ(beeps(), 0);
  press(win::VK_RIGHT);
  press(win::VK_F2);
  ASSERT_TRUE(editing());
  press(win::VK_TAB);  // from the editor: the last cell
  EXPECT_EQ(beeps(), 1);
  EXPECT_EQ(row(), 4);
  EXPECT_EQ(column(), 3);
  EXPECT_FALSE(editing());
  EXPECT_FALSE(win::IsWindowVisible(editor(3)));
  // Left from the first editable column of row 2 ends in row 1, column 3.
  at(2, 2);
  press(win::VK_LEFT);
  EXPECT_EQ(row(), 1);
  EXPECT_EQ(column(), 3);
  press(win::VK_LEFT);
  press(win::VK_LEFT);  // column 1 is text, row 1 is the first: beep
  EXPECT_EQ(column(), 1);
  EXPECT_EQ(beeps(), 2);
  // Up by more rows than there are stops at row 1 silently.
  at(2, 2);
  win::HWND g = grid;
  FE_SPREADSHEET_MOVE(g, kMoveUp, 5, items, 1, nullptr);
  EXPECT_EQ(row(), 1);
  FE_SPREADSHEET_MOVE(g, kMoveDown, 9, items, 1, nullptr);
  EXPECT_EQ(row(), 4);
  EXPECT_EQ(beeps(), 3);
  // Every keyed move tells the grid's value procedure.
  EXPECT_EQ(std::count(grid_events.begin(), grid_events.end(), 0x800), 6);
}

TEST_F(Grid, EditingCommitsAndEscapeDiscards) {
  open();
  at(2, 2);
  press(win::VK_F2);
  ASSERT_TRUE(editing());
  EXPECT_EQ(win::GetFocus(), editor(2));
  EXPECT_EQ(dlgt::text(editor(2)), "20");
  win::SetWindowTextA(editor(2), "77");
  press(win::VK_RETURN);  // stored, then one row down with the editor open
  EXPECT_EQ(counts[1], 77);
  EXPECT_EQ(row(), 3);
  ASSERT_TRUE(editing());
  EXPECT_EQ(dlgt::text(editor(2)), "30");
  win::SetWindowTextA(editor(2), "99");
  press(win::VK_ESCAPE);
  EXPECT_EQ(counts[2], 30);
  EXPECT_FALSE(editing());
  EXPECT_EQ(win::GetFocus(), grid);
  // Escape in the grid itself drops an open editor's text and leaves.
  press(win::VK_F2);
  win::SetWindowTextA(editor(2), "55");
  win::SetFocus(grid);
  press(win::VK_ESCAPE);
  EXPECT_EQ(counts[2], 30);
  EXPECT_FALSE(editing());
  EXPECT_EQ(win::GetFocus(), win::GetDlgItem(dialog, items[4].id));
}

TEST_F(Grid, InsertAndDeleteEvents) {
  open();
  at(1, 2);
  press(win::VK_INSERT);
  press(win::VK_INSERT, win::VK_SHIFT);
  press(win::VK_DELETE);
  press(win::VK_DELETE, win::VK_SHIFT);
  EXPECT_EQ(grid_events, (std::vector<int>{0x100000, 0x200000, 0x40000, 0x80000}));
}

TEST_F(Grid, FrozenColumnAfterScrollingTwoColumns) {
  int more[4][4] = {};
  dialog_t wide[7];
  dlgt::set(wide[0],
            {.type = DLG_SPREADSHEET, .title = "R", .x = 7, .y = 7, .width = 150, .height = 60});
  for (int c = 1; c <= 5; ++c) {
    const std::uint32_t keep = kOptionKeepVisible | kOptionRight;
    SET_COLUMN_ITEM_INTEGER(wide[c], more[c % 4], 4, "C", 1, c == 1 ? &keep : nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr);
  }
  dlgt::set(wide[6], {.type = DLG_OK_BUTTON});
  std::copy(wide, wide + 5, items);  // the fixture's dialog is not used
  const int modeless = 1;
  dialog = reinterpret_cast<win::HWND>(
      DIALOG_BOX(wide, 7, "Wide", 4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 &modeless, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  grid = win::GetDlgItem(dialog, wide[0].id);
  const int width = wide[2].x - wide[1].x;  // before the scroll: side by side
  for (int i = 0; i < 2; ++i) win::SendMessageA(grid, win::WM_HSCROLL, win::SB_LINEDOWN, 0);
  LAYOUT_SPREADSHEET_COLUMNS(*FIND_WINDOW_RECORD(grid));
  const grid_geometry_t geo = GRID_GEOMETRY(grid, wide, 0);
  EXPECT_EQ(wide[1].x, geo.label_width);
  EXPECT_LT(wide[2].x, 0);
  EXPECT_LT(wide[3].x, 0);
  EXPECT_EQ(wide[4].x, geo.label_width + width);
  EXPECT_EQ(FIND_WINDOW_RECORD(grid)->scroll.first_column, 2);
  // Moving left onto column 3 scrolls back by one.
  wide[0].text_length = 1;
  wide[0].list_stride = 4;
  FE_SPREADSHEET_MOVE(grid, kMoveLeft, 1, wide, 1, nullptr);
  EXPECT_EQ(FIND_WINDOW_RECORD(grid)->scroll.first_column, 1);
  EXPECT_GT(wide[3].x, 0);
  win::DestroyWindow(dialog);
  dialog = nullptr;
  for (dialog_t& d : items) d = dialog_t{};
}

TEST_F(Grid, ClicksOnTitlesCellsAndRowLabels) {
  open();
  const grid_geometry_t geo = GRID_GEOMETRY(grid, items, 0);
  const int y_row2 = geo.title_height + geo.row_height + geo.row_height / 2;
  click(items[3].x + 3, y_row2);  // a cell: selected, no editor
  EXPECT_EQ(row(), 2);
  EXPECT_EQ(column(), 3);
  EXPECT_FALSE(editing());
  click(items[3].x + 3, y_row2);  // the current cell again: its editor
  EXPECT_TRUE(editing());
  // Its whole text selected, also after the second press of a double
  // click, which lands in the editor: typing replaces the value.
  const auto whole = [&] {
    win::DWORD from = 9, to = 0;
    win::SendMessageA(editor(3), win::EM_GETSEL, reinterpret_cast<win::WPARAM>(&from),
                      reinterpret_cast<win::LPARAM>(&to));
    return from == 0 && to == dlgt::text(editor(3)).size();
  };
  EXPECT_TRUE(whole());
  dlgtest::mouse(dialog, editor(3), 2, 2, 1);
  dlgtest::mouse(dialog, editor(3), 2, 2, -1);
  EXPECT_TRUE(whole()) << "after a click into the open editor";
  click(items[2].x + 3, geo.title_height / 2, true);  // a title, twice: no editor
  EXPECT_EQ(row(), -1);
  EXPECT_EQ(column(), 2);
  EXPECT_FALSE(editing());
  EXPECT_GE(beeps(), 1);
  click(geo.label_width / 2, y_row2);  // a row label: the whole row
  EXPECT_EQ(row(), 2);
  EXPECT_EQ(column(), -1);
}

TEST_F(Grid, UpdateSpreadsheetCountsAgainAndShowsTheCell) {
  open();
  double longer[6] = {};
  items[3].bound_address = longer;
  items[3].bound_count = 6;
  const int row = 6, column = 3;
  UPDATE_SPREADSHEET(dialog, items, 1, nullptr, &row, &column, nullptr);
  EXPECT_EQ(items[0].bound_count, 6);
  EXPECT_EQ(items[0].integer_value, 3);
  int lines = 0;
  GET_SCROLL_RANGE(grid, nullptr, &lines, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(lines, 6);
  EXPECT_GT(FIND_WINDOW_RECORD(grid)->scroll.first_line, 0);  // row 6 scrolled into view
}

TEST_F(Grid, CellTexts) {
  float reals[2] = {1.5F, -2.0F};
  std::int32_t ints[2] = {42, -7};
  dialog_t c[4];
  const int combo = DLG_COMBOBOX;  // no value kind, so no format
  SET_COLUMN_ITEM_REAL8(c[0], values, 4, "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, &combo, nullptr, 0, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr);
  SET_COLUMN_ITEM_REAL4(c[1], reals, 2, "", 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, &combo, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr);
  SET_COLUMN_ITEM_INTEGER(c[2], ints, 2, "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, &combo, "(f6.2)", 6, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr);
  const std::uint32_t own = kKindOwnText;
  SET_COLUMN_ITEM_INTEGER(
      c[3], ints, 2, "", 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
      nullptr, nullptr, 0,
      [](win::HWND&, dialog_t* d, int& n) {
        d[n - 1].text.set("#" + std::to_string(d[n - 1].integer_value));
        return d[n - 1].event_code == 0x400 ? -1 : 0;
      },
      nullptr, &own, nullptr, nullptr, nullptr, nullptr, nullptr);
  std::string text;
  EXPECT_TRUE(GRID_CELL_TEXT(nullptr, c, 0, 1, text));
  EXPECT_EQ(text, "1.500000000");  // (g17.10)
  GRID_CELL_TEXT(nullptr, c, 1, 2, text);
  EXPECT_EQ(text, "-2.0000");  // (g12.5)
  GRID_CELL_TEXT(nullptr, c, 2, 2, text);
  EXPECT_EQ(text, "-7.00");  // the column's own format
  GRID_CELL_TEXT(nullptr, c, 3, 1, text);
  EXPECT_EQ(text, "#42");
  EXPECT_TRUE(c[3].text.is_blank());  // the procedure saw a copy
  GRID_CELL_TEXT(nullptr, c, 0, 5, text);
  EXPECT_EQ(text, "");  // past the column's rows
  c[2].format.blank();
  GRID_CELL_TEXT(nullptr, c, 2, 1, text);
  EXPECT_EQ(text, "42");  // (i10)
  c[2].bound_kind = kBoundLogical;
  EXPECT_FALSE(GRID_CELL_TEXT(nullptr, c, 2, 1, text));
}

TEST_F(Grid, ScrollProcedure) {
  open();
  window_record_t* r = FIND_WINDOW_RECORD(grid);
  r->scroll.lines = 20;
  r->scroll.lines_per_page = 5;
  const auto ask = [&](int code, int position, int thumb = 0) {
    return GRID_SCROLL_PROC(grid, code, position, thumb);
  };
  EXPECT_EQ(ask(0, 1), 0);
  EXPECT_EQ(ask(1, 3), 4);
  EXPECT_EQ(ask(2, 3), 1);
  EXPECT_EQ(ask(2, 1), -1);
  EXPECT_EQ(ask(2, 9), 5);
  EXPECT_EQ(ask(3, 14), 16);  // at most 20 - 5 + 1
  EXPECT_EQ(ask(3, 10), 14);
  EXPECT_EQ(ask(4, 10), -1);
  EXPECT_EQ(ask(5, 10, 12), 12);
  EXPECT_EQ(ask(6, 10), 1);
  EXPECT_EQ(ask(7, 10), 16);
  EXPECT_EQ(ask(7, 16), -1);
  EXPECT_EQ(ask(-1, 10), -1);
  EXPECT_EQ(ask(8, 10), -1);
  r->scroll.longest_line = 3;
  r->scroll.columns_per_page = 2;
  EXPECT_EQ(ask(0x107, 1), 2);
}

TEST_F(Grid, Picture) {
  open();
  at(2, 3);
  win::InvalidateRect(grid, nullptr, win::TRUE);
  win::UpdateWindow(dialog);
  testsupport::TempDir dir;
  EXPECT_TRUE(plat::write_window_png(dialog, dir.file("grid.png"), true));
}

}  // namespace
