// Popup menus: the POP statement shows a menu built from a menu text at
// once, or arms it so that every later left or right press in a window
// shows it at the press; a dialog text's popup section shows through the
// same builder. The menu lives in the main window's record; its choice
// comes back as the menu command 31000 + n to the window it was shown in.
#pragma once

#include <cstdint>
#include <string_view>

#include "exec/optdispatch.h"
#include "platform/win_window.h"

namespace ui {

// The POP statement.
void POPUPMENU(const exec::OptCall& call);
// A press in the window at `press` (client pixels) while POP armed the
// popup for that button: the menu is built anew from the kept variables and
// shown there; the press goes into the X and Y variables POP named.
void POPUPMENUATMOUSE(win::HWND window, win::POINT press);
// Shows the popup menu of a menu text (a dialog text's popup section) near
// the top left of the main window; the chosen item's title goes into a
// scratch text that the main window's record names.
void SHOWPOPUPMENU(std::string_view text);

// Forgets the armed popup and the kept variables.
void reset_popupmenu();

}  // namespace ui
