// Stand-ins for the script windows' services that the IDE's window list,
// event routine and mouse routine call, until script windows, dialogs and
// tables exist: no dialog is being built, no control edit is pending, no
// popup menu is prepared, and a bound variable is written as a number.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_window.h"

namespace ui {

// Items of the dialog being built (0: none).
inline std::int32_t dlgitemcount = 0;

// A control edit not yet stored: the control's id (negative: to be
// discarded) and its window (null: none).
struct EditGuard {
  std::int32_t control = 0;
  win::HWND window = nullptr;
};
inline EditGuard editguard;

// The popup mode word (bit 1: a left click opens the window's popup menu;
// bit 2: a right click) and the pending popup-menu word.
inline std::int32_t popupmode = 0;
inline std::int32_t popuppending = 0;

// Stores the pending text of the window's changed control into its target;
// here there is none, so only the guard is cleared.
void WRITESDORFMT();
// Stores the value into the variable of the value cell `index` (nothing
// for 0 or less). The caller checks the window's write-back switch.
void SETMEMORY(std::int32_t index, double value, std::string_view text);
// Frees the current window's tables after asking about unsaved edits;
// answer below 0: the user keeps them, nothing is freed. No table exists
// yet: the answer is `killmxanswer`, which tests set.
inline std::int32_t killmxanswer = 0;
void KILLMX(std::int32_t& answer);
// Frees the current window's panels (none exist yet).
void DELETEPANELCTRLS();
// Mode 2: resumes the statement of a table window whose layout was kept
// (none is ever kept here).
void MXLAYOUT(std::int32_t mode);
// Moves a table's focus between the two controls (no table exists yet).
void MATRIXTABKEY(win::HWND window, std::int32_t gained, std::int32_t lost);
// Shows the prepared popup menu at the mouse; none is ever prepared here.
void POPUPMENUATMOUSE(win::HWND window);

void reset_services_standin();

}  // namespace ui
