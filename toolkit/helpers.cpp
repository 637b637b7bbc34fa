#include "toolkit/helpers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "toolkit/memory.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

void convert_case(char* text, int length, char from, char to) {
  const int n = TRIMMED_LENGTH(text, length);
  for (int i = 0; i < n; ++i)
    if (text[i] >= from && text[i] <= from + 25) text[i] = static_cast<char>(text[i] - from + to);
}

// Base units of the font, else of the dialog, else of the system; false
// when either is 0.
bool base_units(const win::HWND* window, const win::HFONT* font, int& width, int& height) {
  width = height = 0;
  if (font != nullptr) {
    const win::HDC dc = win::GetDC(nullptr);
    // A handle that is no font has no metrics.
    const win::HGDIOBJ old = win::SelectObject(dc, *font);
    win::TEXTMETRICA tm;
    if (old != nullptr && win::GetTextMetricsA(dc, &tm)) {
      width = tm.tmAveCharWidth;
      height = tm.tmHeight;
    }
    if (old != nullptr) win::SelectObject(dc, old);
    win::ReleaseDC(nullptr, dc);
  } else if (window != nullptr) {
    win::RECT r{0, 0, 4, 8};
    if (win::MapDialogRect(*window, &r)) {
      width = r.right;
      height = r.bottom;
    }
  } else {
    const win::LONG units = win::GetDialogBaseUnits();
    width = LOW_WORD(units);
    height = HIGH_WORD(units);
  }
  return width != 0 && height != 0;
}

void scale(int* value, int numerator, int denominator) {
  if (value != nullptr) *value = *value * numerator / denominator;
}

// Pixels to dialog units (to_units) or back.
void convert_dialog_units(const win::HWND* window, const win::HFONT* font, int* x, int* y,
                          int* width, int* height, int* ups, bool to_units) {
  CLEAR_STATUS(ups);
  int bw = 0, bh = 0;
  if (!base_units(window, font, bw, bh)) {
    REPORT_ERROR(ups, "Unable to compute dialog units");
    return;
  }
  for (int* v : {x, width}) to_units ? scale(v, 4, bw) : scale(v, bw, 4);
  for (int* v : {y, height}) to_units ? scale(v, 8, bh) : scale(v, bh, 8);
}

}  // namespace

std::string trimmed_text(const char* text, int length) {
  return text == nullptr
             ? std::string()
             : std::string(text, static_cast<std::size_t>(TRIMMED_LENGTH(text, length)));
}

void TO_C_STRING(const char* text, int length, c_string_t& out) {
  const int n = TRIMMED_LENGTH(text, length);
  out.text = static_cast<char*>(ALLOCATE_MEMORY(static_cast<std::size_t>(n) + 1, nullptr));
  if (n > 0) std::memcpy(out.text, text, static_cast<std::size_t>(n));
  out.text[n] = '\0';
  out.length = n;
  out.allocated = -1;
}

void FREE_C_STRING(c_string_t& string, int padded_length) {
  if (string.allocated != 0)
    FREE_MEMORY(string.text);
  else
    PAD_FROM_NUL(string.text, padded_length);
  string = c_string_t{};
}

char TERMINATE_TRIMMED(char* text, int length) {
  if (text == nullptr || length <= 0) return '\0';
  const int n = TRIMMED_LENGTH(text, length);
  if (n < length) {
    text[n] = '\0';
    return '\0';
  }
  const char lost = text[length - 1];
  text[length - 1] = '\0';
  return lost;
}

void PAD_FROM_NUL(char* text, int length) {
  if (text == nullptr || length <= 0) return;
  char* nul = std::find(text, text + length, '\0');
  std::fill(nul, text + length, ' ');
}

void COPY_C_TO_PADDED(const char* string, char* text, int length) {
  if (text == nullptr || length <= 0) return;
  int i = 0;
  if (string != nullptr)
    for (; i < length && string[i] != '\0'; ++i) text[i] = string[i];
  std::fill(text + i, text + length, ' ');
}

int TRIMMED_LENGTH(const char* text, int length) {
  if (text == nullptr) return 0;
  int n = std::max(length, 0);
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

void COPY_C_STRING(char* destination, const char* source, int size) {
  if (destination == nullptr || size <= 0) return;
  int i = 0;
  if (source != nullptr)
    for (; i < size - 1 && source[i] != '\0'; ++i) destination[i] = source[i];
  destination[i] = '\0';
}

int COMPARE_BYTES(const void* a, const void* b, int n) {
  const int c = n > 0 ? std::memcmp(a, b, static_cast<std::size_t>(n)) : 0;
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

void LOWER_CASE(char* text, int length) { convert_case(text, length, 'A', 'a'); }
void UPPER_CASE(char* text, int length) { convert_case(text, length, 'a', 'A'); }

void INTEGER_TO_TEXT(char* text, int length, std::int32_t value) {
  if (text == nullptr || length <= 0) return;
  std::fill(text, text + length, ' ');
  // The magnitude as a 64-bit number, so that the most negative value is
  // written exactly.
  std::int64_t magnitude = value;
  std::string digits;
  if (magnitude < 0) {
    digits = "-";
    magnitude = -magnitude;
  }
  bool started = false;
  for (std::int64_t power = 1'000'000'000; power >= 10; power /= 10) {
    const std::int64_t digit = magnitude / power % 10;
    if (digit != 0 || started) {
      digits += static_cast<char>('0' + digit);
      started = true;
    }
  }
  digits += static_cast<char>('0' + magnitude % 10);
  std::copy_n(digits.begin(), std::min<std::size_t>(digits.size(), length), text);
}

int TEST_FLAGS(std::int32_t a, std::int32_t b) { return (a & b) != 0 ? -1 : 0; }
std::int32_t OR_FLAGS_2(std::int32_t a, std::int32_t b) { return a | b; }
std::int32_t OR_FLAGS_3(std::int32_t a, std::int32_t b, std::int32_t c) { return a | b | c; }
std::int32_t OR_FLAGS_4(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  return a | b | c | d;
}
std::int32_t OR_FLAGS_5(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                        std::int32_t e) {
  return a | b | c | d | e;
}
std::int32_t OR_FLAGS_7(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                        std::int32_t e, std::int32_t f, std::int32_t g) {
  return a | b | c | d | e | f | g;
}
void CLEAR_FLAGS(std::int32_t& word, std::int32_t mask) { word &= ~mask; }
int FIRST_WORD_SET(const std::int32_t* record) {
  return record != nullptr && record[0] != 0 ? -1 : 0;
}
std::int32_t HIGH_WORD(std::int32_t value) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFF);
}
std::int32_t LOW_WORD(std::int32_t value) { return value & 0xFFFF; }
void SWAP_WORDS(std::int32_t& a, std::int32_t& b) { std::swap(a, b); }
std::uintptr_t ALIGN_4(std::uintptr_t address) { return (address + 3) & ~std::uintptr_t{3}; }

int DAY_OF_YEAR(const date_t& date) {
  static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int y = date.year;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  int total = date.day;
  for (int m = 1; m < date.month && m <= 12; ++m) total += days[m - 1] + (m == 2 && leap ? 1 : 0);
  return total;
}

int DAYS_BETWEEN(const date_t& first, const date_t& second) {
  int days = DAY_OF_YEAR(second) - DAY_OF_YEAR(first);
  for (int y = first.year; y < second.year; ++y) days += DAY_OF_YEAR(date_t{y, 12, 31});
  for (int y = second.year; y < first.year; ++y) days -= DAY_OF_YEAR(date_t{y, 12, 31});
  return days;
}

int SAME_DATE(const short_date_t& a, const short_date_t& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day ? -1 : 0;
}

void TO_DIALOG_UNITS(const win::HWND* window, const win::HFONT* font, int* x, int* y, int* width,
                     int* height, int* ups) {
  convert_dialog_units(window, font, x, y, width, height, ups, true);
}

void FROM_DIALOG_UNITS(const win::HWND* window, const win::HFONT* font, int* x, int* y, int* width,
                       int* height, int* ups) {
  convert_dialog_units(window, font, x, y, width, height, ups, false);
}

void GET_DEVICE_CAPS_LIST(const draw_target_t* target, int* first, int* second, int* third,
                          int* fourth) {
  const win::HWND main = MAIN_WINDOW();
  const win::HDC dc = target != nullptr ? target->dc : win::GetDC(main);
  for (int* cap : {first, second, third, fourth})
    if (cap != nullptr) *cap = win::GetDeviceCaps(dc, *cap);
  if (target == nullptr) win::ReleaseDC(main, dc);
}

win::HWND C_CREATE_WINDOW_EX(win::DWORD ex_style, const char* class_name, int class_length,
                             const char* title, int title_length, win::DWORD style, int x, int y,
                             int width, int height, win::HWND parent, win::HMENU menu,
                             win::HINSTANCE instance, void* creation_data) {
  const std::string cls = trimmed_text(class_name, class_length);
  const std::string text = trimmed_text(title, title_length);
  return win::CreateWindowExA(ex_style, cls.c_str(), text.c_str(), style, x, y, width, height,
                              parent, menu, instance, creation_data);
}

int GET_CLIENT_RECT(win::HWND window, win::RECT& rect) {
  return win::GetClientRect(window, &rect) ? -1 : 0;
}

int SHOW_WINDOW(win::HWND window, int command) { return win::ShowWindow(window, command) ? -1 : 0; }

win::HDC GET_WINDOW_DC(win::HWND window) { return win::GetDC(window); }

int GET_DEVICE_CAP(win::HDC dc, int index) { return win::GetDeviceCaps(dc, index); }

win::HBRUSH CREATE_SOLID_BRUSH(win::COLORREF colour) { return win::CreateSolidBrush(colour); }

win::COLORREF GET_SYSTEM_COLOR(int index) { return win::GetSysColor(index); }

int C_MESSAGE_BOX(win::HWND owner, const char* text, int text_length, const char* title,
                  int title_length, win::UINT style) {
  const std::string t = trimmed_text(text, text_length);
  const std::string c = trimmed_text(title, title_length);
  return win::MessageBoxA(owner, t.c_str(), c.c_str(), style);
}

}  // namespace toolkit
