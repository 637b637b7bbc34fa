// Small routines shared by the toolkit's public layer: blank-padded texts
// and C strings, flag words, dates, dialog units, device capabilities and
// thin platform wrappers. Logical results are -1 (true) and 0 (false).
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_gdi.h"
#include "platform/win_window.h"
#include "toolkit/draw_target.h"

namespace toolkit {

// A terminated copy of a blank-padded text: its address, its length
// without trailing blanks, and -1 when the copy was allocated (0 when the
// text was terminated in place).
struct c_string_t {
  char* text = nullptr;
  std::int32_t length = 0;
  std::int32_t allocated = 0;
};

// A blank-padded text without its trailing blanks ("" for a null text).
std::string trimmed_text(const char* text, int length);

// Absent arguments in the workers: -1 for numbers, -1.0 for fractions, an
// all-ones handle, the colour kAbsentColour.
template <class H>
H absent_handle() {
  return reinterpret_cast<H>(~std::uintptr_t{0});
}
inline constexpr win::COLORREF kAbsentColour = 0xFFFFFFFF;
template <class H>
H or_absent(const H* h) {
  return h != nullptr ? *h : absent_handle<H>();
}
inline int or_absent(const int* v) { return v != nullptr ? *v : -1; }
inline float or_absent(const float* f) { return f != nullptr ? *f : -1.0F; }
inline win::COLORREF colour_or_absent(const win::COLORREF* c) {
  return c != nullptr ? *c : kAbsentColour;
}
// A handle that is neither null nor absent.
template <class H>
bool given(H h) {
  return h != nullptr && h != absent_handle<H>();
}

void TO_C_STRING(const char* text, int length, c_string_t& out);
// Frees an allocated copy; a text terminated in place gets its NUL and
// what follows turned back into blanks (`padded_length` characters).
void FREE_C_STRING(c_string_t& string, int padded_length = 0);
// A NUL after the last non-blank character, in place; a text without a
// trailing blank loses its last character to the NUL, which is returned
// (0 otherwise).
char TERMINATE_TRIMMED(char* text, int length);
// The first NUL and everything after it become blanks.
void PAD_FROM_NUL(char* text, int length);
// Copies up to the NUL or the length, then blanks.
void COPY_C_TO_PADDED(const char* string, char* text, int length);
int TRIMMED_LENGTH(const char* text, int length);
// At most size - 1 characters, always terminated.
void COPY_C_STRING(char* destination, const char* source, int size);
// -1, 0 or 1 by the first differing byte (unsigned).
int COMPARE_BYTES(const void* a, const void* b, int n);
void LOWER_CASE(char* text, int length);
void UPPER_CASE(char* text, int length);
// The value's digits, "-" first when negative, then blanks.
void INTEGER_TO_TEXT(char* text, int length, std::int32_t value);

int TEST_FLAGS(std::int32_t a, std::int32_t b);
std::int32_t OR_FLAGS_2(std::int32_t a, std::int32_t b);
std::int32_t OR_FLAGS_3(std::int32_t a, std::int32_t b, std::int32_t c);
std::int32_t OR_FLAGS_4(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);
std::int32_t OR_FLAGS_5(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                        std::int32_t e);
std::int32_t OR_FLAGS_7(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                        std::int32_t e, std::int32_t f, std::int32_t g);
void CLEAR_FLAGS(std::int32_t& word, std::int32_t mask);
// True when the record is given and its first word is non-zero.
int FIRST_WORD_SET(const std::int32_t* record);
std::int32_t HIGH_WORD(std::int32_t value);
std::int32_t LOW_WORD(std::int32_t value);
void SWAP_WORDS(std::int32_t& a, std::int32_t& b);
std::uintptr_t ALIGN_4(std::uintptr_t address);

// Dates: year, month, day.
struct date_t {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
};
struct short_date_t {
  std::int16_t year = 0;
  std::int16_t month = 0;
  std::int16_t day = 0;
};
int DAY_OF_YEAR(const date_t& date);
int DAYS_BETWEEN(const date_t& first, const date_t& second);
int SAME_DATE(const short_date_t& a, const short_date_t& b);

// Pixels to dialog units and back, by the base units of the font, else of
// the dialog window, else of the system. Each given value is converted in
// place; base units of 0 give "Unable to compute dialog units".
void TO_DIALOG_UNITS(const win::HWND* window, const win::HFONT* font, int* x, int* y, int* width,
                     int* height, int* ups);
void FROM_DIALOG_UNITS(const win::HWND* window, const win::HFONT* font, int* x, int* y, int* width,
                       int* height, int* ups);

// Each given argument holds a capability index and receives the value of
// the target's device (the main window's without a target).
void GET_DEVICE_CAPS_LIST(const draw_target_t* target, int* first, int* second, int* third,
                          int* fourth);

// Thin wrappers; texts are passed without trailing blanks.
win::HWND C_CREATE_WINDOW_EX(win::DWORD ex_style, const char* class_name, int class_length,
                             const char* title, int title_length, win::DWORD style, int x, int y,
                             int width, int height, win::HWND parent, win::HMENU menu,
                             win::HINSTANCE instance, void* creation_data);
int GET_CLIENT_RECT(win::HWND window, win::RECT& rect);
int SHOW_WINDOW(win::HWND window, int command);
win::HDC GET_WINDOW_DC(win::HWND window);
int GET_DEVICE_CAP(win::HDC dc, int index);
win::HBRUSH CREATE_SOLID_BRUSH(win::COLORREF colour);
win::COLORREF GET_SYSTEM_COLOR(int index);
int C_MESSAGE_BOX(win::HWND owner, const char* text, int text_length, const char* title,
                  int title_length, win::UINT style);

// Writes a description of an extended in-memory dialog template (the
// dialog and each of its items) to the self-diagnosis log.
void DisplayDialog(const void* dialog_template, int expected_items);

}  // namespace toolkit
