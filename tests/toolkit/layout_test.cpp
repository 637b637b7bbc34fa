// The automatic layout of DIALOG_BOX: rows, placement codes, group boxes
// with their radio buttons and tab stops, items after a grid, and the
// failures it reports; one dialog run through it.
#include "dialog_testing.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "toolkit/dialog_box.h"
#include "toolkit/grid.h"
#include "toolkit/status.h"

using namespace toolkit;
using dlgt::args;

namespace {

using Layout = dlgt::DialogTest;

TEST_F(Layout, RowsAndPlacementCodes) {
  dialog_t d[8];
  dlgt::set(d[0], {.type = DLG_EDITBOX, .height = 12});
  dlgt::set(d[1], {.type = DLG_EDITBOX, .height = 12});
  dlgt::set(d[2], {.type = DLG_TEXT, .height = 8});
  dialog_layout_t out = LAYOUT_DIALOG_ITEMS(d, 3, nullptr);
  EXPECT_EQ(d[0].y, 7);
  EXPECT_EQ(d[1].y, 23);
  EXPECT_EQ(d[2].y, 39);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(d[i].x, 7);
  EXPECT_EQ(out.height, 54);
  EXPECT_EQ(out.width, 7 + 80 + 7);
  EXPECT_EQ(out.template_items, 3);

  dlgt::set(d[0], {.type = DLG_PUSHBUTTON, .x = 7, .y = 7, .width = 40});
  dlgt::set(d[1], {.type = DLG_PUSHBUTTON, .x = -1, .y = 0, .width = 30});  // right of it
  dlgt::set(d[2], {.type = DLG_PUSHBUTTON, .x = -2, .y = 0});               // below the first
  dlgt::set(d[3], {.type = DLG_COMBOBOX, .x = -3, .y = 0});                 // a new column
  dlgt::set(d[4], {.type = DLG_TEXT});  // below the closed combo box
  out = LAYOUT_DIALOG_ITEMS(d, 5, nullptr);
  EXPECT_EQ(d[1].x, 51);
  EXPECT_EQ(d[1].y, 7);
  EXPECT_EQ(d[2].x, 7);
  EXPECT_EQ(d[2].y, 23);
  EXPECT_EQ(d[3].x, 88 + 7);  // the width so far (51 + 30 + 7) + 7
  EXPECT_EQ(d[3].y, 7);
  EXPECT_EQ(d[4].x, 95);
  EXPECT_EQ(d[4].y, 7 + 12 + 4);

  // -1 and -2 without enough items before them are automatic.
  dlgt::set(d[0], {.type = DLG_TEXT, .x = -1});
  dlgt::set(d[1], {.type = DLG_TEXT, .x = -2});
  LAYOUT_DIALOG_ITEMS(d, 2, nullptr);
  EXPECT_EQ(d[0].x, 7);
  EXPECT_EQ(d[0].y, 7);
  EXPECT_EQ(d[1].x, 7);
  EXPECT_EQ(d[1].y, 19);
}

TEST_F(Layout, GroupBoxAroundRadioButtons) {
  dialog_t d[6];
  dlgt::set(d[0], {.type = DLG_GROUP, .title = "G"});
  dlgt::set(d[1], {.type = DLG_RADIOBUTTON, .title = "a"});
  dlgt::set(d[2], {.type = DLG_RADIOBUTTON, .title = "b", .value = 1});
  dlgt::set(d[3], {.type = DLG_RADIOBUTTON, .title = "c"});
  dlgt::set(d[4], {.type = DLG_OK_BUTTON});
  const dialog_layout_t out = LAYOUT_DIALOG_ITEMS(d, 5, nullptr);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(d[i].x, d[0].x + 4);
    EXPECT_EQ(d[i].y, d[0].y + 12 * i);
  }
  EXPECT_EQ(d[0].height, 36 + 8 + 4);
  EXPECT_EQ(d[0].width, 64);
  EXPECT_EQ(d[1].window_style & win::WS_TABSTOP, 0u);
  EXPECT_NE(d[2].window_style & win::WS_TABSTOP, 0u);
  EXPECT_EQ(d[3].window_style & win::WS_TABSTOP, 0u);
  // The OK button ends the group and comes below it.
  EXPECT_EQ(d[4].x, 7);
  EXPECT_EQ(d[4].y, 7 + 36 + 8 + 9);
  EXPECT_EQ(out.height, d[4].y + 12 + 7);
  EXPECT_EQ(out.width, 7 + 64 + 7);
}

TEST_F(Layout, ComponentsAndFailures) {
  tktest::make_main();
  dialog_t d[4];
  std::int32_t data[3] = {};
  dlgt::set(d[0], {.type = DLG_TEXT, .title = "t"});
  SET_COLUMN_ITEM_INTEGER(d[1], data, 3, "c", 1, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr);
  int ups = 0;
  LAYOUT_DIALOG_ITEMS(d, 2, &ups);
  EXPECT_EQ(ups, 2);  // the item's number
  EXPECT_EQ(d[1].x, 0);
  // An item never set is reported; with ups given no dialog is built.
  const int modeless = 1;
  EXPECT_EQ(DIALOG_BOX(d, 3, "T", 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &modeless, nullptr, nullptr, nullptr, nullptr, nullptr, &ups),
            0);
  EXPECT_EQ(ups, kToolkitError);
}

TEST_F(Layout, DialogBoxRunsTheLaidOutDialog) {
  tktest::make_main();
  dialog_t d[3];
  dlgt::set(d[0], {.type = DLG_EDITBOX, .text = "x"});
  dlgt::set(d[1], {.type = DLG_CHECKBOX, .title = "Check", .id = 0});
  dlgt::set(d[2], {.type = DLG_OK_BUTTON});
  const int modeless = 1;
  auto dialog = reinterpret_cast<win::HWND>(
      DIALOG_BOX(d, 3, "Laid out  ", 10, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 nullptr, &modeless, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(d[1].id, 0x402);
  EXPECT_EQ(dlgt::text(dialog), "Laid out");
  win::RECT client{}, expected{0, 0, 7 + 80 + 7, 7 + 12 + 4 + 12 + 4 + 12 + 7};
  win::GetClientRect(dialog, &client);
  win::MapDialogRect(dialog, &expected);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
  win::RECT check{};
  win::GetWindowRect(win::GetDlgItem(dialog, 0x402), &check);
  win::POINT top{check.left, check.top};
  win::ScreenToClient(dialog, &top);
  win::RECT place{7, 23, 0, 0};
  win::MapDialogRect(dialog, &place);
  EXPECT_EQ(top.x, place.left);
  EXPECT_EQ(top.y, place.top);
  win::DestroyWindow(dialog);
}

TEST_F(Layout, OneItemAsAChildDialog) {
  const win::HWND main = tktest::make_main();
  dialog_t item;
  dlgt::set(item, {.type = DLG_LISTBOX, .width = 60, .height = 30});
  const int x = 10, y = 20;
  int ups = -1;
  DIALOG_ONE_ITEM(item, &main, nullptr, nullptr, &x, &y, nullptr, nullptr, &ups);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(item.id, 0x400);
  EXPECT_NE(item.window_style & 0x100u, 0u);  // no integral height
  const win::HWND child = win::GetWindow(main, win::GW_CHILD);
  ASSERT_NE(child, nullptr);
  EXPECT_NE(win::GetDlgItem(child, 0x400), nullptr);
  win::RECT at{}, want{x, y, 0, 0};
  win::GetWindowRect(child, &at);
  win::POINT p{at.left, at.top};
  win::ScreenToClient(main, &p);
  win::MapDialogRect(child, &want);
  EXPECT_EQ(p.x, want.left);
  EXPECT_EQ(p.y, want.top);
}

}  // namespace
