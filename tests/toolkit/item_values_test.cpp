// Item values and their text forms: the converters by event code (output,
// spinner steps, typing, commit), the range checks and their messages, and
// a number typed into a live edit box.
#include <cmath>
#include <limits>

#include "dialog_testing.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_values.h"

using namespace toolkit;

namespace {

using ItemValues = dlgt::DialogTest;

// Runs the item's converter with the code on the text (its whole length).
int convert(dialog_t& d, int code, const std::string& text) {
  d.event_code = code;
  d.text.set(text);
  d.text_length = static_cast<int>(text.size());
  win::HWND w = nullptr;
  int number = 1;
  return d.text_proc(w, &d, number);
}

std::string last_box() {
  const auto& log = plat::message_box_log();
  return log.empty() ? "" : log.back().title + ": " + log.back().text;
}

TEST_F(ItemValues, IntegerCommitAgainstItsLimits) {
  dialog_t d;
  dlgt::set(d, {.type = DLG_EDITBOX, .value = 4, .kind = kKindInteger, .imax = 10, .imin = -3});
  EXPECT_EQ(convert(d, 0x1000, "12"), 0);
  EXPECT_EQ(last_box(), "Range Check Error: Maximum value is         10");
  EXPECT_EQ(plat::message_box_log().back().style & 0xF0, 0x30u);
  EXPECT_EQ(d.integer_value, 10);
  EXPECT_EQ(convert(d, 0x1000, "10"), -1);
  EXPECT_EQ(convert(d, 0x1000, "-4"), 0);
  EXPECT_EQ(last_box(), "Range Check Error: Minimum value is         -3");
  EXPECT_EQ(d.integer_value, -3);
  EXPECT_EQ(convert(d, 0x1000, " -3 "), -1);
  // Numbers beyond every integer still name the limit they passed.
  EXPECT_EQ(convert(d, 0x1000, "99999999999999999999999"), 0);
  EXPECT_EQ(d.integer_value, 10);
  EXPECT_EQ(convert(d, 0x1000, "-4294967297"), 0);
  EXPECT_EQ(d.integer_value, -3);
  EXPECT_EQ(convert(d, 0x1000, "1x"), 0);
  EXPECT_EQ(last_box(), "Conversion Error: Invalid format");
  EXPECT_EQ(d.integer_value, -3);
}

TEST_F(ItemValues, RealChecksAndNotANumber) {
  dialog_t d;
  dlgt::set(d, {.type = DLG_EDITBOX, .kind = kKindReal8, .r8max = 2.5, .r8min = -1.0});
  EXPECT_EQ(convert(d, 0x1000, "2.5"), -1);
  EXPECT_EQ(d.real8_value, 2.5);
  EXPECT_EQ(convert(d, 0x1000, "NaN"), 0);
  EXPECT_EQ(d.real8_value, 2.5);
  EXPECT_NE(last_box().find("Maximum value is"), std::string::npos);
  dialog_t f;
  dlgt::set(f, {.type = DLG_EDITBOX, .kind = kKindReal4, .r4max = 1.0F, .r4min = 0.0F});
  EXPECT_EQ(convert(f, 0x1000, "-1e-30"), 0);
  EXPECT_EQ(f.real4_value, 0.0F);
  EXPECT_EQ(convert(f, 0x1000, "0.25"), -1);
  EXPECT_EQ(f.real4_value, 0.25F);
}

TEST_F(ItemValues, TypingIsCheckedAsItGoes) {
  dlgt::BeepCounter beeps;
  dialog_t i, r;
  dlgt::set(i, {.type = DLG_EDITBOX, .kind = kKindInteger});
  dlgt::set(r, {.type = DLG_EDITBOX, .kind = kKindReal8});
  EXPECT_EQ(convert(i, 0x800, "12x"), 0);
  EXPECT_EQ(i.text_length, 2);
  EXPECT_EQ(beeps.beeps, 1);
  EXPECT_EQ(convert(i, 0x800, " 12 "), -1);
  for (const char* partial : {"1.5e", "-", "+.5E-", " 3d+2 ", ""})
    EXPECT_EQ(convert(r, 0x800, partial), -1) << partial;
  EXPECT_EQ(convert(r, 0x800, "1e5x"), 0);
  EXPECT_EQ(r.text_length, 3);
  EXPECT_EQ(convert(r, 0x800, "1.2.3"), 0);
  EXPECT_EQ(r.text_length, 3);
  EXPECT_EQ(beeps.beeps, 3);
  EXPECT_EQ(TEXT_KIND_PROC(*reinterpret_cast<win::HWND*>(&i.image), &i, i.item_number), -1);
}

TEST_F(ItemValues, ValuesWrittenByTheFormats) {
  const auto shown = [](std::uint32_t kind, const char* format, auto set_value) {
    dialog_t d;
    dlgt::set(d, {.type = DLG_EDITBOX,
                  .kind = kind,
                  .format = format ? std::optional<std::string>(format) : std::nullopt});
    set_value(d);
    convert(d, 0x400, "");
    return d.text.str();
  };
  EXPECT_EQ(shown(kKindHex, nullptr, [](dialog_t& d) { d.integer_value = 255; }), "FF");
  EXPECT_EQ(shown(kKindHex, nullptr, [](dialog_t& d) { d.integer_value = -1; }), "FFFFFFFF");
  EXPECT_EQ(shown(kKindInteger, nullptr, [](dialog_t& d) { d.integer_value = -42; }), "-42");
  EXPECT_EQ(shown(kKindInteger, "(i5.3)", [](dialog_t& d) { d.integer_value = 7; }), "007");
  EXPECT_EQ(shown(kKindReal4, nullptr, [](dialog_t& d) { d.real4_value = 1.5F; }), "1.5000");
  EXPECT_EQ(shown(kKindReal8, "(f8.2)", [](dialog_t& d) { d.real8_value = 3.14159; }), "3.14");
  EXPECT_EQ(shown(kKindReal8, "(xyz)", [](dialog_t& d) { d.real8_value = 0.5; }), "0.500000000");
  // A hexadecimal text of 32 bits is a 32-bit pattern.
  dialog_t h;
  dlgt::set(h, {.type = DLG_EDITBOX, .kind = kKindHex});
  EXPECT_EQ(convert(h, 0x1000, "ffffffff"), -1);
  EXPECT_EQ(h.integer_value, -1);
}

TEST_F(ItemValues, SpinnerSteps) {
  dlgt::BeepCounter beeps;
  dialog_t d;
  dlgt::set(d, {.type = DLG_EDITBOX,
                .kind = kKindInteger | kKindSpinner,
                .imax = 100,
                .imin = 0,
                .iinc = 2});
  EXPECT_EQ(convert(d, 0x201, "5"), -1);
  EXPECT_EQ(d.integer_value, 7);
  EXPECT_EQ(d.text.str(), "7");
  EXPECT_EQ(convert(d, 0x3FF, "5"), -1);
  EXPECT_EQ(d.integer_value, 3);
  EXPECT_EQ(beeps.beeps, 0);
  convert(d, 0x3FF, "0");  // at the minimum
  EXPECT_EQ(d.integer_value, 0);
  EXPECT_EQ(beeps.beeps, 1);
  convert(d, 0x2FF, "0");  // +255 steps of 2
  EXPECT_EQ(d.integer_value, 100);
  EXPECT_EQ(beeps.beeps, 2);
  d.integer_value = 9;
  convert(d, 0x201, "x");
  EXPECT_EQ(d.integer_value, 9);
  EXPECT_EQ(beeps.beeps, 3);
  dialog_t r;
  dlgt::set(r,
            {.type = DLG_EDITBOX, .kind = kKindReal8 | kKindSpinner, .r8max = 10.0, .r8min = 0.0});
  r.real8_increment = 0.25;
  convert(r, 0x202, "1");
  EXPECT_EQ(r.real8_value, 1.5);
}

TEST_F(ItemValues, TypingIntoALiveEditBox) {
  dlgt::BeepCounter beeps;
  dialog_t items[1];
  dlgt::set(items[0], {.type = DLG_EDITBOX, .x = 4, .y = 4, .kind = kKindInteger, .imax = 50});
  auto dialog = reinterpret_cast<win::HWND>(dlgt::run(items, 1, true));
  win::HWND edit = win::GetDlgItem(dialog, items[0].id);
  EXPECT_EQ(dlgt::text(edit), "0");
  win::SetWindowTextA(edit, "");
  win::SetFocus(edit);
  dlgt::type_text("12x");
  dlgt::pump();
  // The refused character is gone, the caret after what is kept.
  EXPECT_EQ(dlgt::text(edit), "12");
  EXPECT_EQ(win::SendMessageA(edit, win::EM_GETSEL, 0, 0), win::MAKELPARAM(2, 2));
  EXPECT_EQ(beeps.beeps, 1);
  dlgt::type_text("3");
  dlgt::pump();
  // Enter: read back, closed.
  win::SendMessageA(dialog, win::WM_COMMAND, 1, 0);
  EXPECT_EQ(items[0].text.str(), "123");
  EXPECT_FALSE(win::IsWindow(dialog));
  // The focus leaving the box as the dialog goes commits the number.
  EXPECT_EQ(items[0].integer_value, 50);
}

}  // namespace
