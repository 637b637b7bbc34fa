// The change procedures of a table's title items, its More button and, for
// a file, its cluster controls. A click on a column title of a file table
// sorts by that column (ascending, descending, unsorted, up to eight keys);
// title check boxes and radio buttons write the table's ColSel and RowSel
// variables; the cluster bars and "&+Dn", "&-Up" sort and step by clusters;
// the More button opens the menu of prompts: find texts and numbers,
// filter, keep the rows where a column changes, magnify a cell, go to a
// cell, reset, keep the layout, and the row edits with undo and redo.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

int MXHEADERSPROC(win::HWND& window, toolkit::dialog_t* items, int& item);
int MXCLUSTERSPROC(win::HWND& window, toolkit::dialog_t* items, int& item);

// The More menu of the table that owns item `item`: column in is the column
// the menu starts from, out the column chosen; mode, options and choice
// receive the menu's mode letter, option mask and last choice code.
void MXMOREBUTTON(win::HWND window, toolkit::dialog_t* items, int item, std::int32_t& column,
                  char& mode, std::int32_t& options, std::int32_t& choice);

// Writes a title check box (radio false) or radio button (radio true) of
// number n and state `state` into the selection variable `variable`.
void CHECKRADIOANDCO(std::int32_t state, std::int32_t n, std::int32_t variable, bool radio);

// The More menu's state, kept from one use to the next.
struct MoreMenu {
  char mode = 't';
  std::int32_t options = 0;
  std::int32_t column = 0;  // the remembered cell
  std::int32_t row = 1;
  double value = 0.0;  // the number found (or the no-number marker)
  double tolerance = 0.0;
  std::array<std::int8_t, 16> boxes{};   // option boxes; box i gives bit i-1
  std::array<std::int16_t, 8> enable{};  // choice enable flags
  std::string search = std::string("?") + std::string(39, ' ');
  std::string display = std::string(256, ' ');
};
inline MoreMenu moremenu;

void reset_tableheaders();

}  // namespace ui
