// Controls of a running dialog filled from their items, updated live and
// read back: list and combo selections, bound texts, state words acting on
// an edit box and its spinner, items found by id and by control.
#include "toolkit/dialog_controls.h"
#include "dialog_testing.h"
#include "toolkit/dialog_update.h"
#include "toolkit/status.h"

using namespace toolkit;

namespace {

using DialogControls = dlgt::DialogTest;

const std::vector<std::string> kColours{"red", "green", "blue", "grey"};

TEST_F(DialogControls, ListBoxSelectionsInAndOut) {
  dialog_t items[3];
  dlgt::set(items[0], {.type = DLG_LISTBOX, .x = 4, .y = 4, .list = kColours});
  dlgt::set(items[1], {.type = DLG_LISTBOX, .value = 3, .x = 60, .y = 4, .list = kColours});
  dlgt::set(
      items[2],
      {.type = DLG_LISTBOX, .options = win::LBS_MULTIPLESEL, .x = 120, .y = 4, .list = kColours});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 3, true));
  const auto list = [&](int i) { return win::GetDlgItem(dialog, items[i].id); };
  EXPECT_EQ(win::SendMessageA(list(0), win::LB_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(win::SendMessageA(list(1), win::LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(win::SendMessageA(list(2), win::LB_GETSELCOUNT, 0, 0), 0);

  window_record_t* r = FIND_WINDOW_RECORD(dialog);
  items[2].text.set("stale");
  READ_DIALOG_CONTROLS(dialog, *r, items);
  EXPECT_EQ(items[0].integer_value, 0);
  EXPECT_EQ(items[1].text.str(), "blue");
  EXPECT_EQ(items[2].integer_value, 0);
  EXPECT_TRUE(items[2].text.is_blank());
  EXPECT_EQ(items[2].text_length, 0);
  win::SendMessageA(list(2), win::LB_SETSEL, win::TRUE, 1);
  win::SendMessageA(list(2), win::LB_SETSEL, win::TRUE, 3);
  READ_DIALOG_CONTROL(list(2), items, 2);
  EXPECT_EQ(items[2].integer_value, 2);
  EXPECT_EQ(items[2].text.str(), "green");
  // The selection words, at most as many as asked for.
  std::int32_t words[4] = {7, 7, 7, 7};
  const int third = 3;
  GET_DIALOG_VALUE(items, 3, &third, nullptr, nullptr, 0, nullptr, nullptr, nullptr, words, 3,
                   nullptr);
  EXPECT_EQ(std::vector<std::int32_t>(words, words + 4), (std::vector<std::int32_t>{0, 1, 0, 7}));
  win::DestroyWindow(dialog);
  for (dialog_t& d : items) FREE_ITEM_LISTS(d);
}

TEST_F(DialogControls, ComboSelectionAtStartAndUpdate) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_COMBOBOX, .x = 4, .y = 4, .list = kColours});
  dlgt::set(items[1], {.type = DLG_COMBOBOX, .text = "blue", .x = 60, .y = 4, .list = kColours});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 2, true));
  win::HWND first = win::GetDlgItem(dialog, items[0].id);
  EXPECT_EQ(win::SendMessageA(first, win::CB_GETCURSEL, 0, 0), -1);
  EXPECT_EQ(win::SendMessageA(win::GetDlgItem(dialog, items[1].id), win::CB_GETCURSEL, 0, 0), 2);
  // A live update with a value selects its entry; the list can change too.
  const int two = 2;
  const std::string more = "cyan    plum    ";
  const text_array_t list{more.data(), 8, 2, 8};
  UPDATE_DIALOG_ITEM(items[0], &dialog, nullptr, nullptr, 0, nullptr, 0, &two, &list, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(win::SendMessageA(first, win::CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(dlgt::text(first), "plum");
  win::DestroyWindow(dialog);
  for (dialog_t& d : items) FREE_ITEM_LISTS(d);
}

TEST_F(DialogControls, StateWordsAndBoundTexts) {
  std::string bound = "bound     ";
  std::string caption = "Caption ";
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_EDITBOX,
                       .x = 4,
                       .y = 4,
                       .kind = kKindInteger | kKindSpinner,
                       .variable = &bound});
  dlgt::set(items[1], {.type = DLG_TEXT, .x = 4, .y = 30, .variable = &caption});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 2, true));
  win::HWND edit = win::GetDlgItem(dialog, items[0].id);
  win::HWND spinner = win::GetDlgItem(dialog, items[0].id + kSpinnerIdOffset);
  ASSERT_NE(spinner, nullptr);
  // A bound text stands in for the item's own text.
  EXPECT_EQ(dlgt::text(edit), "bound");
  EXPECT_EQ(dlgt::text(win::GetDlgItem(dialog, items[1].id)), "Caption");
  win::SetWindowTextA(edit, "new");
  READ_DIALOG_CONTROL(edit, items, 0);
  EXPECT_EQ(bound, "new       ");
  EXPECT_EQ(items[0].text_length, 3);

  const auto update = [&](const std::int32_t* control_state, const std::int32_t* state,
                          win::HWND* window) {
    int ups = 0;
    UPDATE_DIALOG_ITEM(items[0], window, control_state, nullptr, 0, nullptr, 0, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                       nullptr, nullptr, nullptr, state, nullptr, &ups);
    return ups;
  };
  const std::int32_t hide = 0x04000000, show = 0x08000000, disable = 0x01000000;
  EXPECT_EQ(update(nullptr, &hide, &dialog), 0);
  EXPECT_FALSE(win::IsWindowVisible(edit));
  EXPECT_FALSE(win::IsWindowVisible(spinner));
  EXPECT_EQ(items[0].window_style & win::WS_VISIBLE, 0u);
  update(nullptr, &show, &dialog);
  EXPECT_TRUE(win::IsWindowVisible(spinner));
  // A control state acts on the controls alone; without a window only the
  // record changes.
  update(&disable, nullptr, &dialog);
  EXPECT_FALSE(win::IsWindowEnabled(spinner));
  EXPECT_EQ(items[0].window_style & win::WS_DISABLED, 0u);
  update(nullptr, &disable, nullptr);
  EXPECT_NE(items[0].window_style & win::WS_DISABLED, 0u);
  win::DestroyWindow(edit);
  EXPECT_EQ(update(nullptr, &show, &dialog), kToolkitError);
  win::DestroyWindow(dialog);
}

TEST_F(DialogControls, ItemsByIdAndByControl) {
  dialog_t items[3];
  dlgt::set(items[0], {.type = DLG_TEXT, .id = 7, .x = 4, .y = 4});
  dlgt::set(items[1], {.type = DLG_COMBOBOX, .id = 8, .x = 4, .y = 20, .list = kColours});
  dlgt::set(items[2], {.type = DLG_PUSHBUTTON, .id = 8, .x = 4, .y = 40});
  EXPECT_EQ(FIND_DIALOG_ITEM(items, 8, 3), 1);
  EXPECT_EQ(FIND_DIALOG_ITEM(items, 8, 1), -1);
  EXPECT_EQ(FIND_DIALOG_ITEM_NUMBER(items, 9, 3), 0);
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 2, true));
  // The combo box's own field leads to the combo box's item.
  win::HWND combo = win::GetDlgItem(dialog, 8);
  win::HWND field = win::GetWindow(combo, win::GW_CHILD);
  ASSERT_NE(field, nullptr);
  int in_grid = -1, id = 0, position = -2;
  dialog_t* found = nullptr;
  EXPECT_EQ(FIND_CONTROL_ITEM(field, in_grid, id, found, position), FIND_WINDOW_RECORD(dialog));
  EXPECT_EQ(id, 8);
  EXPECT_EQ(position, 1);
  EXPECT_EQ(found, items);
  EXPECT_EQ(in_grid, 0);
  win::DestroyWindow(dialog);
  FREE_ITEM_LISTS(items[1]);
}

}  // namespace
