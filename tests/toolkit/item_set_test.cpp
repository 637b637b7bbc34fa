// Dialog items set from their arguments: the defaults of every type, the
// two modes, styles from the options, list storage, procedure slots and
// grid columns.
#include <climits>
#include <cstring>

#include "dialog_testing.h"
#include "toolkit/dialog_values.h"

using namespace toolkit;
using dlgt::args;

namespace {

using ItemSet = dlgt::DialogTest;

int change_proc(win::HWND&, dialog_t*, int&) { return -1; }

TEST_F(ItemSet, DefaultsOfEveryType) {
  struct expected {
    int type;
    std::uint32_t style;
    int atom, width, height;
  };
  // Base and added bits, the group bit (not for radio buttons), class, size.
  const expected table[] = {
      {1, 0x50030000, 0x80, 40, 12},  {2, 0x50030000, 0x80, 40, 12},
      {3, 0x50030000, 0x80, 40, 12},  {4, 0x50030000, 0x80, 40, 12},
      {5, 0x50030000, 0x80, 40, 12},  {6, 0x50030000, 0x80, 40, 12},
      {7, 0x50030000, 0x80, 40, 12},  {8, 0x50020007, 0x80, 64, 0},
      {9, 0x50030000, 0x80, 40, 12},  {10, 0x50030001, 0x80, 40, 12},
      {11, 0x50000009, 0x80, 56, 8},  {12, 0x50030003, 0x80, 40, 12},
      {15, 0x50830080, 0x81, 80, 12}, {16, 0x50A30001, 0x83, 80, 0},
      {17, 0x50230002, 0x85, 80, 12}, {20, 0x50020000, 0x82, 80, 8},
      {21, 0x50020007, 0x82, 80, 12}, {22, 0x50020004, 0x82, 80, 12},
      {23, 0x50030020, 0, 12, 12},    {24, 0x50830001, 0, 80, 18},
      {25, 0x50820000, 0, 80, 10},    {26, 0x50030000, 0x84, 80, 10},
      {27, 0x54730400, 0, 200, 120},
  };
  const char* captions[] = {"OK", "Cancel", "ABORT", "RETRY", "IGNORE", "YES", "NO"};
  for (const expected& e : table) {
    dialog_t d;
    dlgt::set(d, {.type = e.type});
    SCOPED_TRACE(e.type);
    EXPECT_EQ(d.window_style, e.style);
    EXPECT_EQ(d.class_atom, e.atom);
    EXPECT_EQ(d.width, e.width);
    EXPECT_EQ(d.height, e.height);
    EXPECT_EQ(d.x, -4);
    EXPECT_EQ(d.y, -4);
    EXPECT_EQ(d.event_code, 0x400);
    EXPECT_EQ(d.marker, kMarker);
    if (e.type <= 7) {
      EXPECT_EQ(d.id, e.type);
      EXPECT_EQ(d.title.str(), captions[e.type - 1]);
    } else {
      EXPECT_EQ(d.id, 0);
      EXPECT_TRUE(d.title.is_blank());
    }
  }
  dialog_t d;
  dlgt::set(d, {});
  EXPECT_EQ(d.type, DLG_PUSHBUTTON);
  EXPECT_EQ(d.integer_max, INT_MAX);
  EXPECT_EQ(d.integer_min, -INT_MAX);
  // A grid's title row and number column.
  dlgt::set(d, {.type = DLG_SPREADSHEET, .title = "()"});
  EXPECT_EQ(d.integer_max, 12);
  EXPECT_EQ(d.integer_increment, 8);
  dlgt::set(d, {.type = DLG_SPREADSHEET, .title = "Rows"});
  EXPECT_EQ(d.integer_increment, 21);
}

TEST_F(ItemSet, EditModeChangesOnlyWhatIsGiven) {
  dialog_t fresh, unset;
  dlgt::set(fresh, {.type = 2});
  // A record never set takes defaults in edit mode too; what it held in
  // its list fields is not released.
  unset.width = 99;
  unset.list_block = reinterpret_cast<char*>(0x1234);
  dlgt::set(unset, {.type = 2, .edit = 1});
  EXPECT_EQ(unset.width, 40);
  EXPECT_EQ(unset.list_block, nullptr);
  EXPECT_EQ(unset.window_style, fresh.window_style);
  EXPECT_EQ(unset.title.str(), "Cancel");

  dialog_t d;
  dlgt::set(d, {.type = DLG_EDITBOX,
                .options = kOptionRight,
                .title = "T",
                .id = 7,
                .value = 5,
                .x = 3,
                .y = 4,
                .kind = kKindInteger,
                .proc = change_proc});
  d.event_code = 0x800;
  d.busy = 1;
  dialog_t before = d;
  dlgt::set(d, {.width = 33, .edit = 1});
  EXPECT_EQ(d.width, 33);
  EXPECT_EQ(d.event_code, 0x400);
  EXPECT_EQ(d.busy, 0);
  before.width = 33;
  before.event_code = 0x400;
  before.busy = 0;
  EXPECT_EQ(std::memcmp(&d, &before, sizeof d), 0);
  // An unknown type keeps style, options, class and size.
  dlgt::set(d, {.type = 13});
  EXPECT_EQ(d.window_style, before.window_style);
  EXPECT_EQ(d.class_atom, 0x81);
  EXPECT_EQ(d.width, 33);
}

TEST_F(ItemSet, StylesFromOptions) {
  const auto style = [](int type, std::uint32_t options, std::uint32_t kind = 0) {
    dialog_t d;
    dlgt::set(d, {.type = type, .options = options, .kind = kind});
    return d.window_style;
  };
  EXPECT_EQ(style(DLG_FRAME, kOptionGrey) & 0x1F, 8u);
  EXPECT_EQ(style(DLG_FRAME, kOptionCentre) & 0x1F, 9u);
  EXPECT_EQ(style(DLG_FRAME, kOptionRight | kOptionGrey) & 0x1F, 7u);
  EXPECT_EQ(style(DLG_RECTANGLE, kOptionCentre) & 0x1F, 6u);
  EXPECT_EQ(style(DLG_RECTANGLE, kOptionGrey) & 0x1F, 5u);
  EXPECT_EQ(style(DLG_TEXT, kOptionCentre) & 3, 1u);
  EXPECT_EQ(style(DLG_EDITBOX, kOptionLeft | kOptionRight, kKindReal8) & 0xFFFF, 0x84u);
  EXPECT_EQ(style(DLG_EDITBOX, 0, kKindReal8), 0x50830086u);
  EXPECT_EQ(style(DLG_EDITBOX, 0, kKindText), 0x50830084u);
  EXPECT_EQ(style(DLG_EDITBOX, kOptionMultiline) & 0x1004, 0x1004u);
  EXPECT_EQ(style(DLG_UPDOWN, kOptionHorizontalSpinner) & 0x40, 0x40u);
  // Radio buttons never start a group; option 0x40000000 keeps any item
  // in the group before.
  EXPECT_EQ(style(DLG_RADIOBUTTON, 0) & win::WS_GROUP, 0u);
  EXPECT_EQ(style(DLG_CHECKBOX, kOptionSameGroup) & win::WS_GROUP, 0u);
  EXPECT_EQ(style(DLG_CHECKBOX, kOptionDisabled | kOptionHidden) & 0x18000000, 0x08000000u);
  // Button alignment is left to the platform; text-left and bit 1 apply.
  EXPECT_EQ(style(DLG_PUSHBUTTON, kOptionRight | kOptionTextLeft) & 0x2322, 0u);
  EXPECT_EQ(style(DLG_CHECKBOX, kOptionTextLeft) & 0x20, 0x20u);
  // Bit 1 of the options makes the default button.
  EXPECT_EQ(style(DLG_PUSHBUTTON, kOptionButtonBit1) & 0xF, win::BS_DEFPUSHBUTTON);
  // A whole window style replaces the computed one (on the type's base).
  dialog_t d;
  dlgt::set(d, {.type = DLG_EDITBOX, .options = 0x01000000, .window_style = 0x4});
  EXPECT_EQ(d.window_style, 0x58020004u);
  EXPECT_EQ(d.style_options, 0x01000000u);
}

TEST_F(ItemSet, ListStorageAndDefaultHeights) {
  const auto height = [](int type, std::optional<std::vector<std::string>> list) {
    dialog_t d;
    dlgt::set(d, {.type = type, .list = list});
    const int h = d.height;
    FREE_ITEM_LISTS(d);
    return h;
  };
  const std::vector<std::string> five{"a", "b", "c", "d", "e"};
  EXPECT_EQ(height(DLG_LISTBOX, five), 24);
  EXPECT_EQ(height(DLG_LISTBOX, std::vector<std::string>{"a", "b"}), 16);
  EXPECT_EQ(height(DLG_COMBOBOX, five), 42);
  EXPECT_EQ(height(DLG_LISTBOX, std::nullopt), 0);
  EXPECT_EQ(height(DLG_COMBOBOX, std::nullopt), 12);

  dialog_t d;
  dlgt::set(d, {.type = DLG_LISTBOX, .list = std::vector<std::string>{"one", "two  x"}});
  ASSERT_NE(d.list_block, nullptr);
  EXPECT_EQ(d.list_count, 2);
  EXPECT_EQ(d.list_entry_size, 9);
  EXPECT_STREQ(d.list_block, "one");
  EXPECT_STREQ(d.list_block + 9, "two  x");
  EXPECT_NE(d.selection_block, nullptr);
  // An empty list makes no storage; setting the record again releases it.
  dlgt::set(d, {.type = DLG_COMBOBOX, .list = std::vector<std::string>{}});
  EXPECT_EQ(d.list_block, nullptr);
  EXPECT_EQ(d.selection_block, nullptr);
  EXPECT_EQ(d.list_count, 0);
}

TEST_F(ItemSet, ProcedureSlotsFollowTheValueKind) {
  dialog_t d;
  dlgt::set(d, {.type = DLG_EDITBOX, .kind = kKindInteger, .proc = change_proc});
  EXPECT_EQ(d.text_proc, &INTEGER_TEXT_PROC);
  EXPECT_EQ(d.value_proc, &change_proc);
  EXPECT_EQ(d.format.str(), "(i10.1)");
  dlgt::set(d, {.type = DLG_EDITBOX, .kind = kKindOwnText, .proc = change_proc});
  EXPECT_EQ(d.text_proc, &change_proc);
  EXPECT_EQ(d.value_proc, nullptr);
  EXPECT_TRUE(d.format.is_blank());
  dlgt::set(d, {.type = DLG_EDITBOX, .kind = kKindReal4, .format = "(f8.2)"});
  EXPECT_EQ(d.text_proc, &REAL4_TEXT_PROC);
  EXPECT_EQ(d.format.str(), "(f8.2)");
  dlgt::set(d, {.type = DLG_EDITBOX, .kind = kKindSpinner, .proc = change_proc});
  EXPECT_EQ(d.text_proc, nullptr);
  EXPECT_EQ(d.value_proc, &change_proc);
  dlgt::set(d, {.type = DLG_CHECKBOX, .proc = change_proc});
  EXPECT_EQ(d.text_proc, &change_proc);
  EXPECT_EQ(d.value_kind, 0u);
  dlgt::set(d, {.type = DLG_CHECKBOX});
  EXPECT_EQ(d.text_proc, nullptr);
}

TEST_F(ItemSet, GridColumns) {
  char texts[3][12];
  std::memset(texts, ' ', sizeof texts);
  dialog_t t;
  SET_COLUMN_ITEM_TEXT(t, &texts[0][0], 12, 3, "Name", 4, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr);
  EXPECT_EQ(t.width, 52);
  EXPECT_EQ(t.bound_kind, 12);
  EXPECT_EQ(t.bound_stride, 12);
  EXPECT_EQ(t.bound_count, 3);
  EXPECT_EQ(t.value_kind, kKindText);
  EXPECT_EQ(t.style_options, kOptionLeft | kOptionComponent);
  // Hidden and disabled until the grid opens a cell; multi-line.
  EXPECT_EQ(t.window_style & 0x18000004, 0x08000004u);

  std::int32_t numbers[4] = {};
  const int step = 2;
  dialog_t n;
  SET_COLUMN_ITEM_INTEGER(n, numbers, 4, "N", 1, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, &step, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(n.width, 42);
  EXPECT_EQ(n.value_kind, kKindInteger | kKindSpinner);
  EXPECT_EQ(n.bound_kind, kBoundInteger);
  EXPECT_EQ(n.bound_stride, 4);
  EXPECT_EQ(n.integer_increment, 2);
  EXPECT_EQ(n.style_options, kOptionRight | kOptionComponent);
  EXPECT_EQ(n.window_style & 3, 2u);  // right-aligned
}

}  // namespace
