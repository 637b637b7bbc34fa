// Running a dialog from an array of items: DIALOG_BOX numbers and checks
// every item, gives items without a place one in an automatic
// top-to-bottom layout (group boxes grow around their radio buttons), sizes
// the dialog, ties grid columns to their grid, writes the template and runs
// the dialog modal or modeless. While the dialog editor is switched on it
// first offers to edit the dialog. DIALOG_ONE_ITEM shows a single item as a
// child dialog inside a window.
//
// Placement codes in an item's x (a y of -4 is the next free row):
//   -4  inside an open group box at its next place, else at the current
//       column's x
//   -3  a new column: right of the open group box (y 12 below its top),
//       else right of everything placed so far (y 7)
//   -2  below the item two places before (same x)
//   -1  right of the item before (same y)
// -1 and -2 without enough items before them act as -4. Items after a grid
// continue below the grid.
#pragma once

#include "toolkit/dialog_item.h"
#include "toolkit/records.h"

namespace toolkit {

// Layout constants in dialog units.
inline constexpr int kLayoutMargin = 7;
inline constexpr int kLayoutGap = 4;

// For a modal dialog the id of the button that ended it, for a modeless
// one the dialog's window; 0 on failure. Every argument but the array is
// optional; `width` and `height` replace the computed size.
win::INT_PTR DIALOG_BOX(dialog_t* items, int count, const char* title, int title_length,
                        const win::HWND* owner, const float* x_fraction, const float* y_fraction,
                        const int* x, const int* y, const int* width, const int* height,
                        const int* modeless, const win::HFONT* font, const win::DWORD* style,
                        const win::HBRUSH* brush, const win::COLORREF* text_colour,
                        changed_callback changed, int* ups);

// Lays the items out as DIALOG_BOX does (numbers, event codes, places, group
// sizes, tab stops, grid counts) and gives the dialog's computed size and
// the number of template items. Failures go to `ups` as in DIALOG_BOX.
struct dialog_layout_t {
  int width = 0;
  int height = 0;
  int template_items = 0;
  int size_estimate = 0;
};
dialog_layout_t LAYOUT_DIALOG_ITEMS(dialog_t* items, int count, int* ups);

void DIALOG_ONE_ITEM(dialog_t& item, const win::HWND* owner, const float* x_fraction,
                     const float* y_fraction, const int* x, const int* y, const win::HBRUSH* brush,
                     const win::COLORREF* text_colour, int* ups);

}  // namespace toolkit
