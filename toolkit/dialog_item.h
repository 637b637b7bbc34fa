// Dialog items: a toolkit dialog is an array of `dialog_t` records, one per
// control, filled by SET_DIALOG_ITEM before the dialog is shown. A record
// holds what the toolkit needs to build the control (type, window style,
// class, place and size, texts, list entries), the item's value in four
// forms (64-bit real, integer, 32-bit real, text) with limits and steps,
// the procedures the dialog calls when the control changes and, for the
// columns of a spreadsheet grid, the column data the cells edit.
#pragma once

#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace toolkit {

struct dialog_t;

// A change procedure: (dialog window, the dialog's array, 1-based item
// number). A text procedure's 0 refuses the new text; a value procedure's
// result is not read.
using change_procedure = int (*)(win::HWND& window, dialog_t* items, int& item_number);

// Item types (the low 16 bits of the type word).
inline constexpr int DLG_OK_BUTTON = 1;
inline constexpr int DLG_CANCEL_BUTTON = 2;
inline constexpr int DLG_ABORT_BUTTON = 3;
inline constexpr int DLG_RETRY_BUTTON = 4;
inline constexpr int DLG_IGNORE_BUTTON = 5;
inline constexpr int DLG_YES_BUTTON = 6;
inline constexpr int DLG_NO_BUTTON = 7;
inline constexpr int DLG_GROUP = 8;
inline constexpr int DLG_PUSHBUTTON = 9;
inline constexpr int DLG_DEFAULT_PUSHBUTTON = 10;
inline constexpr int DLG_RADIOBUTTON = 11;
inline constexpr int DLG_CHECKBOX = 12;
inline constexpr int DLG_EDITBOX = 15;
inline constexpr int DLG_LISTBOX = 16;
inline constexpr int DLG_COMBOBOX = 17;
inline constexpr int DLG_TEXT = 20;
inline constexpr int DLG_FRAME = 21;
inline constexpr int DLG_RECTANGLE = 22;
inline constexpr int DLG_UPDOWN = 23;
inline constexpr int DLG_TRACKBAR = 24;
inline constexpr int DLG_PROGRESSBAR = 25;
inline constexpr int DLG_SCROLLBAR = 26;
inline constexpr int DLG_SPREADSHEET = 27;

// Style options (the high 16 bits of the caller's options word; the low
// 16 bits are window style bits of the control).
inline constexpr std::uint32_t kOptionRight = 0x00010000;   // also: black frame
inline constexpr std::uint32_t kOptionCentre = 0x00020000;  // also: white frame
inline constexpr std::uint32_t kOptionGrey = 0x00040000;    // also: multi-line button
inline constexpr std::uint32_t kOptionLeft = 0x00080000;
inline constexpr std::uint32_t kOptionTextLeft = 0x00100000;
inline constexpr std::uint32_t kOptionButtonBit1 = 0x00400000;
inline constexpr std::uint32_t kOptionHorizontalSpinner = 0x00800000;
inline constexpr std::uint32_t kOptionDisabled = 0x01000000;
inline constexpr std::uint32_t kOptionHidden = 0x04000000;
inline constexpr std::uint32_t kOptionMultiline = 0x10000000;
inline constexpr std::uint32_t kOptionSameGroup = 0x40000000;
inline constexpr std::uint32_t kOptionDoubleClickProbe = 0x80000000;
inline constexpr std::uint32_t kOptionComponent = 0x00008000;
inline constexpr std::uint32_t kOptionEditing = 0x00004000;
inline constexpr std::uint32_t kOptionFocus = 0x20000000;

// Value kinds (the low 16 bits of the value-kind word) and the spinner bit.
inline constexpr std::uint32_t kKindInteger = 1;
inline constexpr std::uint32_t kKindHex = 2;
inline constexpr std::uint32_t kKindReal4 = 0x10;
inline constexpr std::uint32_t kKindReal8 = 0x20;
inline constexpr std::uint32_t kKindText = 0x40;
inline constexpr std::uint32_t kKindOwnText = 0x80;
inline constexpr std::uint32_t kKindSpinner = 0x10000;

// Event codes: why a change procedure is called.
inline constexpr int kEventInitial = 0x400;
inline constexpr int kEventChanged = 0x800;
inline constexpr int kEventCommit = 0x1000;
inline constexpr int kEventAccepted = 0x2000;
inline constexpr int kEventDoubleClick = 0x8000;
inline constexpr int kEventSpin = 0x200;
inline constexpr int kEventEnter = 0x10000;
inline constexpr int kEventRepaintGrid = 0x20000;

// Bound data kinds.
inline constexpr int kBoundInteger = -1;
inline constexpr int kBoundReal4 = -2;
inline constexpr int kBoundReal8 = -3;

struct dialog_t {
  double real8_value = 0.0;
  double real8_max = 0.0;
  double real8_min = 0.0;
  double real8_increment = 0.0;
  std::int32_t type = 0;  // the type code in the low 16 bits
  std::uint32_t window_style = 0;
  std::uint32_t style_options = 0;
  std::uint32_t value_kind = 0;
  std::int32_t id = 0;
  std::int32_t item_number = 0;  // 1-based place in the dialog's array
  std::int32_t class_atom = 0;   // 0: the type's class name
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t text_length = 0;      // characters of `text` the converters look at
  std::int32_t list_entry_size = 0;  // a list entry's length plus 1
  std::int32_t list_count = 0;
  std::int32_t list_stride = 0;             // distance of two entries in the caller's array
  char* list_block = nullptr;               // owned: the entries, NUL-terminated
  std::int32_t* selection_block = nullptr;  // owned: one word per entry (list boxes)
  std::int32_t integer_value = 0;
  float real4_value = 0.0F;
  std::int32_t integer_max = 0;
  std::int32_t integer_min = 0;
  std::int32_t integer_increment = 0;
  float real4_max = 0.0F;
  float real4_min = 0.0F;
  float real4_increment = 0.0F;
  std::int32_t event_code = 0;
  std::int32_t busy = 0;  // 1 while one of its change procedures runs
  change_procedure text_proc = nullptr;
  change_procedure value_proc = nullptr;
  std::uint32_t marker = 0;  // kMarker once set
  win::HFONT font = nullptr;
  win::HBRUSH brush = nullptr;
  win::COLORREF background = 0;
  win::COLORREF text_colour = 0;
  void* image = nullptr;  // a button's icon or bitmap; a component's control
  std::int32_t bound_count = 0;
  void* bound_address = nullptr;
  std::int32_t bound_stride = 0;
  std::int32_t bound_kind = 0;  // kBound..., or a text's length
  std::int32_t owner_spreadsheet = 0;
  std::int32_t spare = 0;
  plat::FixedText<256> title;
  plat::FixedText<256> text;
  plat::FixedText<16> format;
};

// An array of fixed-length texts: `count` entries of `length` characters,
// `stride` bytes apart (0: `length`).
struct text_array_t {
  const char* first = nullptr;
  int length = 0;
  int count = 0;
  int stride = 0;
};

inline int low_type(const dialog_t& item) { return item.type & 0xFFFF; }
// Push buttons of every kind (the closing buttons among them).
bool is_push_button(int type);
// Items of class button: the push buttons, group boxes, radio buttons and
// check boxes.
bool is_button_type(int type);

// Every argument but the record is optional; a text is followed by its
// length. With `edit` true only the given arguments change a record that
// was set before; otherwise absent arguments take their defaults.
int SET_DIALOG_ITEM(dialog_t& dialog_item, const int* type, const std::uint32_t* options,
                    const char* title, int title_length, const char* text, int text_length,
                    const int* id, const int* integer_value, const int* x, const int* y,
                    const int* width, const int* height, const text_array_t* list,
                    change_procedure change_proc, const win::HFONT* font,
                    const std::uint32_t* value_kind, const int* integer_max, const int* integer_min,
                    const int* integer_increment, const float* real4_value, const float* real4_max,
                    const float* real4_min, const float* real4_increment, const double* real8_value,
                    const double* real8_max, const double* real8_min, const double* real8_increment,
                    const char* format, int format_length, const win::HBRUSH* brush,
                    const win::COLORREF* text_colour, const win::HICON* icon,
                    const win::HBITMAP* bitmap, const std::uint32_t* window_style,
                    char* text_variable, int text_variable_length, const int* edit, int* ups);

// Spreadsheet columns: one component item per column, bound to the
// column's data (`count` elements).
int SET_COLUMN_ITEM_INTEGER(dialog_t& dialog_item, std::int32_t* data, int count, const char* title,
                            int title_length, const std::uint32_t* options,
                            const text_array_t* list, const int* width, const int* height,
                            const int* maximum, const int* minimum, const int* increment,
                            const int* id, const int* type, const char* format, int format_length,
                            change_procedure change_proc, const win::HFONT* font,
                            const std::uint32_t* value_kind, const win::HBRUSH* brush,
                            const win::COLORREF* text_colour, const std::uint32_t* window_style,
                            const int* edit, int* ups);
int SET_COLUMN_ITEM_REAL4(dialog_t& dialog_item, float* data, int count, const char* title,
                          int title_length, const std::uint32_t* options, const text_array_t* list,
                          const int* width, const int* height, const float* maximum,
                          const float* minimum, const float* increment, const int* id,
                          const int* type, const char* format, int format_length,
                          change_procedure change_proc, const win::HFONT* font,
                          const std::uint32_t* value_kind, const win::HBRUSH* brush,
                          const win::COLORREF* text_colour, const std::uint32_t* window_style,
                          const int* edit, int* ups);
int SET_COLUMN_ITEM_REAL8(dialog_t& dialog_item, double* data, int count, const char* title,
                          int title_length, const std::uint32_t* options, const text_array_t* list,
                          const int* width, const int* height, const double* maximum,
                          const double* minimum, const double* increment, const int* id,
                          const int* type, const char* format, int format_length,
                          change_procedure change_proc, const win::HFONT* font,
                          const std::uint32_t* value_kind, const win::HBRUSH* brush,
                          const win::COLORREF* text_colour, const std::uint32_t* window_style,
                          const int* edit, int* ups);
// `data` holds `count` texts of `length` characters each.
int SET_COLUMN_ITEM_TEXT(dialog_t& dialog_item, char* data, int length, int count,
                         const char* title, int title_length, const std::uint32_t* options,
                         const text_array_t* list, const int* width, const int* height,
                         const int* id, const int* type, change_procedure change_proc,
                         const win::HFONT* font, const std::uint32_t* value_kind,
                         const win::HBRUSH* brush, const win::COLORREF* text_colour,
                         const std::uint32_t* window_style, const int* edit, int* ups);

// Releases the item's list and selection blocks.
void FREE_ITEM_LISTS(dialog_t& item);
// Makes the item's list storage from the caller's array (releasing what it
// had) and stores the entry size and count.
void SET_ITEM_LIST(dialog_t& item, const text_array_t& list, int* ups);

}  // namespace toolkit
