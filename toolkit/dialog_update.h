// Changing and reading dialog items, before the dialog is shown and while
// it runs: UPDATE_DIALOG_ITEM changes the given fields of one item and, told
// the dialog's window, puts the item onto its live control; the by-id form
// and GET_DIALOG_VALUE address an item of an array by its 1-based place or
// its control id (neither: the first item).
#pragma once

#include <cstdint>

#include "toolkit/dialog_item.h"

namespace toolkit {

// State words (top byte): 0x01 disable, 0x02 enable, 0x04 hide, 0x08 show,
// 0x20 take the focus. `state` is recorded in the item's style and acts on
// the control; `control_state` acts on the control alone.
int UPDATE_DIALOG_ITEM(dialog_t& dialog_item, const win::HWND* dialog_window,
                       const std::int32_t* control_state, const char* title, int title_length,
                       const char* text, int text_length, const int* integer_value,
                       const text_array_t* list, change_procedure change_proc,
                       const win::HFONT* font, const std::uint32_t* value_kind,
                       const int* integer_max, const int* integer_min, const int* integer_increment,
                       const float* real4_value, const float* real4_max, const float* real4_min,
                       const float* real4_increment, const double* real8_value,
                       const double* real8_max, const double* real8_min,
                       const double* real8_increment, const char* format, int format_length,
                       const win::HBRUSH* brush, const win::COLORREF* text_colour,
                       const win::HICON* icon, const win::HBITMAP* bitmap,
                       const std::int32_t* state, const win::HWND* window, int* ups);
// `index` outside 1 .. count: "Invalid index in update_dialog_item"; an id
// no item has: "Can't find ID in update_dialog_item"; nothing changes.
int UPDATE_DIALOG_ITEM_BY_ID(
    dialog_t* items, int count, const int* index, const int* id, const win::HWND* dialog_window,
    const std::int32_t* control_state, const char* title, int title_length, const char* text,
    int text_length, const int* integer_value, const text_array_t* list,
    change_procedure change_proc, const win::HFONT* font, const std::uint32_t* value_kind,
    const int* integer_max, const int* integer_min, const int* integer_increment,
    const float* real4_value, const float* real4_max, const float* real4_min,
    const float* real4_increment, const double* real8_value, const double* real8_max,
    const double* real8_min, const double* real8_increment, const char* format, int format_length,
    const win::HBRUSH* brush, const win::COLORREF* text_colour, const win::HICON* icon,
    const win::HBITMAP* bitmap, int* ups);

// Copies the item's text (blank-padded or cut to `text_length`), values and,
// for a list box, its selection words (at most `list_select_count`).
void GET_DIALOG_VALUE(const dialog_t* items, int count, const int* index, const int* id, char* text,
                      int text_length, std::int32_t* integer_value, float* real4_value,
                      double* real8_value, std::int32_t* list_select, int list_select_count,
                      int* ups);
std::int32_t GET_DIALOG_INTEGER(const dialog_t* items, int count, const int* index, const int* id,
                                int* ups);
float GET_DIALOG_REAL4(const dialog_t* items, int count, const int* index, const int* id, int* ups);
double GET_DIALOG_REAL8(const dialog_t* items, int count, const int* index, const int* id,
                        int* ups);
plat::FixedText<256> GET_DIALOG_TEXT(const dialog_t* items, int count, const int* index,
                                     const int* id, int* ups);

// Keeps a descriptor of the array in the first free slot of a table that
// grows by 10; the slot's 1-based number.
int REGISTER_DIALOG_ARRAY(const dialog_t* items, int count, int& status);

// Empties the table. For tests.
void reset_dialog_arrays();

}  // namespace toolkit
