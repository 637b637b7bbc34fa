// Items changed and read by place or id: what UPDATE_DIALOG_ITEM writes
// into the record, the refusals of a bad place or id, GET_DIALOG_VALUE and
// its function forms, and the table of registered arrays.
#include <cstring>

#include "dialog_testing.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_update.h"
#include "toolkit/status.h"

using namespace toolkit;

namespace {

using ItemUpdate = dlgt::DialogTest;

// UPDATE_DIALOG_ITEM_BY_ID with a text, an integer value, an icon or a
// bitmap; ups returned.
int update(dialog_t* items, int count, const int* index, const int* id, const char* text,
           const int* value, const win::HICON* icon = nullptr,
           const win::HBITMAP* bitmap = nullptr) {
  int ups = -1;
  UPDATE_DIALOG_ITEM_BY_ID(items, count, index, id, nullptr, nullptr, nullptr, 0, text,
                           text != nullptr ? static_cast<int>(std::strlen(text)) : 0, value,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           0, nullptr, nullptr, icon, bitmap, &ups);
  return ups;
}

TEST_F(ItemUpdate, RecordChangesAndRefusals) {
  dialog_t items[3];
  dlgt::set(items[0], {.type = DLG_PUSHBUTTON, .text = "first", .id = 5});
  dlgt::set(items[1], {.type = DLG_EDITBOX, .text = "old", .id = 6, .kind = kKindInteger});
  dlgt::set(items[2], {.type = DLG_LISTBOX, .id = 6});
  items[1].event_code = 0x800;
  const int two = 2, six = 6, forty = 40, four = 4, zero = 0;
  EXPECT_EQ(update(items, 3, nullptr, &six, "new", &forty), 0);  // the first with id 6
  EXPECT_EQ(items[1].text.str(), "new");
  EXPECT_EQ(items[1].integer_value, 40);
  EXPECT_EQ(items[1].event_code, 0x400);
  EXPECT_EQ(update(items, 3, &two, nullptr, nullptr, &four), 0);
  EXPECT_TRUE(items[1].text.is_blank());
  // An icon leaves the kind word 1, a bitmap makes it 0.
  const auto icon = reinterpret_cast<win::HICON>(0x10);
  const auto bitmap = reinterpret_cast<win::HBITMAP>(0x20);
  update(items, 3, &two, nullptr, nullptr, nullptr, &icon);
  EXPECT_EQ(items[1].value_kind, 1u);
  EXPECT_EQ(items[1].image, icon);
  update(items, 3, &two, nullptr, nullptr, nullptr, nullptr, &bitmap);
  EXPECT_EQ(items[1].value_kind, 0u);
  // Places outside the array and unknown ids change nothing.
  const dialog_t before = items[0];
  const int nine = 9;
  EXPECT_EQ(update(items, 3, &four, nullptr, "x", nullptr), kToolkitError);
  EXPECT_EQ(update(items, 3, &zero, nullptr, "x", nullptr), kToolkitError);
  EXPECT_EQ(update(items, 3, nullptr, &nine, "x", nullptr), kToolkitError);
  EXPECT_EQ(items[0].text.str(), before.text.str());
  EXPECT_EQ(update(items, 3, nullptr, nullptr, "x", nullptr), 0);  // neither: the first
  EXPECT_EQ(items[0].text.str(), "x");
  // Without ups the refusal is reported.
  diagnosis_mode = 1;
  plat::push_message_box_answer(win::IDYES);
  UPDATE_DIALOG_ITEM_BY_ID(items, 3, &four, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_FALSE(plat::message_box_log().empty());
  EXPECT_NE(plat::message_box_log().back().text.find("Invalid index in update_dialog_item"),
            std::string::npos);
}

TEST_F(ItemUpdate, ValuesReadBack) {
  dialog_t items[2];
  dlgt::set(items[0], {.type = DLG_COMBOBOX, .text = "abc", .value = 3, .r4 = 1.5F, .r8 = 2.5});
  dlgt::set(items[1], {.type = DLG_EDITBOX, .id = 12, .value = -7});
  char text[5];
  std::int32_t value = 0, words[2] = {9, 9};
  float r4 = 0;
  double r8 = 0;
  int ups = 0;
  // A selection asked of a combo box is refused; the rest is filled.
  GET_DIALOG_VALUE(items, 2, nullptr, nullptr, text, 5, &value, &r4, &r8, words, 2, &ups);
  EXPECT_EQ(ups, kToolkitError);
  EXPECT_EQ(std::string(text, 5), "abc  ");
  EXPECT_EQ(value, 3);
  EXPECT_EQ(r4, 1.5F);
  EXPECT_EQ(r8, 2.5);
  EXPECT_EQ(words[0], 9);
  const int twelve = 12, three = 3;
  EXPECT_EQ(GET_DIALOG_INTEGER(items, 2, nullptr, &twelve, &ups), -7);
  EXPECT_EQ(ups, 0);
  EXPECT_EQ(GET_DIALOG_TEXT(items, 2, nullptr, nullptr, &ups).str(), "abc");
  EXPECT_EQ(GET_DIALOG_REAL8(items, 2, &three, nullptr, &ups), 0.0);
  EXPECT_EQ(ups, kToolkitError);
}

TEST_F(ItemUpdate, RegisteredArraysGrowByTen) {
  dialog_t items[1];
  int status = -1;
  for (int slot = 1; slot <= 10; ++slot) EXPECT_EQ(REGISTER_DIALOG_ARRAY(items, 1, status), slot);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(REGISTER_DIALOG_ARRAY(items, -3, status), 11);
  EXPECT_EQ(REGISTER_DIALOG_ARRAY(items, 1, status), 12);
}

}  // namespace
