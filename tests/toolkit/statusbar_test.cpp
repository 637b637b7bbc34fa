// The status bar: field layout, natural widths, key indicators, clock
// texts, menu hints over the fields and the seconds clock under a hint.
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "toolkit/menus.h"
#include "toolkit/statusbar.h"
#include "toolkit_fixture.h"

namespace {

using namespace toolkit;
using tktest::ToolkitTest;

struct Field {
  int kind;
  float width;
  std::string text;
};

// A main window `width` client pixels wide with a bar of these fields.
win::HWND main_with_bar(int width, const std::vector<Field>& fields) {
  std::vector<status_bar_item_t> items(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i)
    SET_STATUS_BAR_ITEM(items[i], &fields[i].kind, &fields[i].width, fields[i].text.data(),
                        static_cast<int>(fields[i].text.size()));
  const float at = 0.0F;
  const int height = 200;
  return CREATE_WINDOW("Main", 4, nullptr, 0, items.data(), static_cast<int>(items.size()), nullptr,
                       0, nullptr, &at, &at, nullptr, nullptr, &width, &height, nullptr, nullptr, 0,
                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr);
}

const status_bar_field& field(int i) { return status_bar.fields[i]; }

TEST_F(ToolkitTest, FieldsShareTheFreeWidthOrTakeTheirNaturalWidth) {
  main_with_bar(600, {{12, 0.5F, "Ready"}, {0, 0.0F, "skipped"}, {14, 0.0F, ""}, {6, 0.0F, ""}});
  ASSERT_EQ(status_bar.count, 3);
  const int cw = status_bar.char_width, gap = status_bar.gap;
  const int free = 600 - (2 * status_bar.border + gap) * 3;
  EXPECT_STREQ(field(0).text, "Ready");
  EXPECT_EQ(field(0).left, gap);
  EXPECT_EQ(field(0).width, free / 2);
  EXPECT_EQ(field(1).kind, 14);
  EXPECT_EQ(field(1).left, gap + free / 2 + gap);
  EXPECT_EQ(field(1).width, 10 * cw);
  EXPECT_EQ(field(2).left, field(1).left + 10 * cw + gap);
  EXPECT_EQ(field(2).width, 10 * cw);
  EXPECT_TRUE(status_bar.second_timer);
  EXPECT_FALSE(status_bar.minute_timer);
  // A bar without clocks stops the timers.
  status_bar_item_t one;
  const int text = 12;
  SET_STATUS_BAR_ITEM(one, &text, nullptr, "x", 1);
  SET_STATUS_BAR(&one, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(status_bar.count, 1);
  EXPECT_FALSE(status_bar.second_timer);
}

TEST_F(ToolkitTest, TheFieldThatExhaustsTheBarEndsWithTheFreeWidth) {
  main_with_bar(600, {{12, 0.5F, ""}, {12, 0.4F, ""}, {12, 0.3F, ""}, {12, 0.1F, ""}});
  const int free = 600 - (2 * status_bar.border + status_bar.gap) * 4;
  const int first = static_cast<int>(0.5F * static_cast<float>(free));
  const int second = static_cast<int>(0.4F * static_cast<float>(free));
  EXPECT_EQ(field(0).width, first);
  EXPECT_EQ(field(1).width, second);
  EXPECT_EQ(field(2).width, free - first - second);
  EXPECT_EQ(field(3).width, 0);
}

TEST_F(ToolkitTest, EveryKindHasItsNaturalWidth) {
  const int kinds[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 20, 99};
  const int chars[] = {7, 7, 7, 7, 10, 10, 12, 14, 14, 17, 22, 0, 0, 10, 10, 0, 0};
  main_with_bar(600, {});
  for (std::size_t i = 0; i < std::size(kinds); ++i) {
    status_bar_item_t item;
    SET_STATUS_BAR_ITEM(item, &kinds[i], nullptr, nullptr, 0);
    SET_STATUS_BAR(&item, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(field(0).width, chars[i] * status_bar.char_width) << "kind " << kinds[i];
  }
}

TEST_F(ToolkitTest, FieldNumbersCountAsAddedAndTenIsTheLimit) {
  for (int n = 0; n < 3; ++n) ADD_STATUS_BAR_FIELD(0.0F, 12, "a", 1, n, nullptr, nullptr);
  EXPECT_EQ(status_bar.count, 3);
  ADD_STATUS_BAR_FIELD(0.0F, 12, "b   ", 4, 0, nullptr, nullptr);
  EXPECT_EQ(status_bar.count, 1);
  EXPECT_STREQ(field(0).text, "b");
  ADD_STATUS_BAR_FIELD(0.0F, 12, "c", 1, 10, nullptr, nullptr);
  EXPECT_EQ(status_bar.count, 1);
}

TEST_F(ToolkitTest, LockIndicatorsShowOnlyWhileTheirKeyIsOn) {
  const int keys[] = {win::VK_NUMLOCK, win::VK_CAPITAL, win::VK_SCROLL};
  const char* names[] = {"NUM", "CAPS", "SCRL"};
  main_with_bar(600, {{1, 0.0F, ""}, {2, 0.0F, ""}, {3, 0.0F, ""}});
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(STATUS_BAR_SHOWS_KEY(keys[k]));
    plat::set_key_state(keys[k], false, false);
    REDRAW_STATUS_BAR();
    EXPECT_STREQ(field(k).text, "");
    plat::set_key_state(keys[k], false, true);
    REDRAW_STATUS_BAR();
    EXPECT_STREQ(field(k).text, names[k]);
    plat::set_key_state(keys[k], false, false);
  }
  EXPECT_FALSE(STATUS_BAR_SHOWS_KEY(win::VK_SHIFT));
}

std::string clock_text(int kind, int hour, int minute) {
  plat::LocalDateTime t;
  t.year = 2024;
  t.month = 3;
  t.day = 5;  // a Tuesday
  t.hour = hour;
  t.minute = minute;
  t.second = 3;
  plat::set_virtual_clock(t);
  status_bar_field f;
  f.kind = kind;
  FORMAT_CLOCK_TEXT(f);
  return f.text;
}

TEST_F(ToolkitTest, ClockTextsOfEveryKind) {
  EXPECT_EQ(clock_text(5, 23, 5), "11:05 PM");
  EXPECT_EQ(clock_text(5, 0, 5), " 0:05 AM");
  EXPECT_EQ(clock_text(5, 12, 30), "12:30 PM");
  EXPECT_EQ(clock_text(5, 11, 59), "11:59 AM");
  EXPECT_EQ(clock_text(4, 9, 7), " 9:07");
  EXPECT_EQ(clock_text(6, 9, 7), "09:07:03");
  EXPECT_EQ(clock_text(7, 9, 7), "03-05-2024");
  EXPECT_EQ(clock_text(8, 9, 7), "Mar  5, 2024");
  EXPECT_EQ(clock_text(9, 9, 7), " 5 Mar 2024");
  EXPECT_EQ(clock_text(10, 9, 7), "Tue  5 Mar 2024");
  EXPECT_EQ(clock_text(11, 9, 7), " 9:07   Mar  5, 2024");
  // Other kinds keep their text.
  status_bar_field f;
  f.kind = 12;
  std::strcpy(f.text, "mine");
  FORMAT_CLOCK_TEXT(f);
  EXPECT_STREQ(f.text, "mine");
}

// The colour of the bar on a field's bottom line (below any text).
std::uint32_t frame_pixel(win::HWND main, int i) {
  win::RECT c{};
  win::GetClientRect(main, &c);
  return plat::window_pixel(main, field(i).left + 1, c.bottom - 1 - status_bar.border);
}

TEST_F(ToolkitTest, AMenuHintCoversTheFieldsAndTheSecondsClockStaysUnder) {
  plat::LocalDateTime t;
  t.hour = 10;
  plat::set_virtual_clock(t);
  menu_item_t items[1];
  const win::UINT_PTR id = 101;
  SET_MENU_ITEM(items[0], "&Open", 5, "Opens a script", 14, nullptr, 0, nullptr, 0, &id, nullptr);
  const win::HMENU menu = MAKE_MENU(items, 1, 0, nullptr);
  const win::HWND main = main_with_bar(600, {{6, 0.0F, ""}, {12, 0.3F, "Ready"}});
  REDRAW_STATUS_BAR();
  const std::uint32_t light = win::GetSysColor(win::COLOR_BTNHIGHLIGHT);
  const std::uint32_t face = win::GetSysColor(win::COLOR_BTNFACE);
  EXPECT_EQ(frame_pixel(main, 1), light);
  EXPECT_STREQ(field(0).text, "10:00:00");
  win::SendMessageA(main, win::WM_MENUSELECT, win::MAKEWPARAM(101, 0),
                    reinterpret_cast<win::LPARAM>(menu));
  EXPECT_EQ(frame_pixel(main, 1), face);
  plat::advance_virtual_clock(1000);
  win::SendMessageA(main, win::WM_TIMER, 2, 0);
  EXPECT_STREQ(field(0).text, "10:00:00");
  EXPECT_EQ(frame_pixel(main, 0), face);
  win::SendMessageA(main, win::WM_MENUSELECT, win::MAKEWPARAM(0xF060, win::MF_SYSMENU), 0);
  win::SendMessageA(main, win::WM_TIMER, 2, 0);
  EXPECT_STREQ(field(0).text, "10:00:01");
  EXPECT_EQ(frame_pixel(main, 1), light);
  // A paint of the whole window keeps the bar.
  win::InvalidateRect(main, nullptr, win::TRUE);
  win::UpdateWindow(main);
  EXPECT_EQ(frame_pixel(main, 1), light);
}

}  // namespace
