// Stand-ins for the script windows' services that the IDE's window list,
// event routine and mouse routine and the dialogs call, until panels, popup
// menus and kept table layouts exist: no popup menu is prepared, no panel
// or layout is kept.
#pragma once

#include <cstdint>

#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

// The popup mode word (bit 1: a left click opens the window's popup menu;
// bit 2: a right click) and the pending popup-menu word.
inline std::int32_t popupmode = 0;
inline std::int32_t popuppending = 0;

// Frees the current window's panels (none exist yet).
void DELETEPANELCTRLS();
// Mode 2: resumes the statement of a table window whose layout was kept
// (none is ever kept here).
void MXLAYOUT(std::int32_t mode);
// Shows the prepared popup menu at the mouse; none is ever prepared here.
void POPUPMENUATMOUSE(win::HWND window);

void reset_services_standin();

}  // namespace ui
