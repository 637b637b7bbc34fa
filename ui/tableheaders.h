// The change procedures of a table's title items, its More button and, for
// a file, its cluster controls. Sorting, filtering and the More menu come
// with the table views: until then a click on them does nothing.
#pragma once

#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

int MXHEADERSPROC(win::HWND& window, toolkit::dialog_t* items, int& item);
int MXCLUSTERSPROC(win::HWND& window, toolkit::dialog_t* items, int& item);

}  // namespace ui
