// Kept table layouts: the More menu's layout entry asks whether to keep the
// table's layout; when the user agrees, a copy of the table record is kept,
// the table window closes, and once it has gone the run goes on again at
// the statement that made the table. The next table made takes its visible
// columns and rows from the copy, which is then dropped.
#pragma once

#include <cstdint>

#include "platform/win_window.h"

namespace ui {

// Mode 1: asks about the current table ("mxsLayV" when its Format is a
// character variable, else "mxsLayC") and, on the answer 10, keeps its
// layout (a layout kept before is replaced) and posts the close of its
// window. Mode 2 (after every window close): when the window of the kept
// layout has gone, the run is posted to go on at the table's statement,
// once. Other modes do nothing.
void MXLAYOUT(std::int32_t mode);

// The kept layout's visible columns and rows, for the table being made;
// the layout is dropped. False (nothing changed) when none is kept.
bool takelayout(std::int32_t& viscols, std::int32_t& visrows);

// True while a layout is kept.
bool layoutkept();
// ... for the window, which has not yet gone.
bool layoutkeptfor(win::HWND window);

void reset_tablelayout();

}  // namespace ui
