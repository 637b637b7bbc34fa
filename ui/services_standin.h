// Stand-ins for the script windows' services that the IDE's window list,
// event routine and the dialogs call, until tables exist: no table is
// kept.
#pragma once

#include <cstdint>

#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

// Frees the current window's tables after asking about unsaved edits;
// answer below 0: the user keeps them, nothing is freed. No table exists
// yet: the answer is `killmxanswer`, which tests set.
inline std::int32_t killmxanswer = 0;
void KILLMX(std::int32_t& answer);
// Mode 2: resumes the statement of a table window whose layout was kept
// (none is ever kept here).
void MXLAYOUT(std::int32_t mode);
// Moves a table's focus between the two controls (no table exists yet).
void MATRIXTABKEY(win::HWND window, std::int32_t gained, std::int32_t lost);

// The table routines of the dialogs, until tables exist: they answer as
// for a dialog without a table. CHECKIFMX2 finds no table prepared for an
// option (its format 0); SETMXFOCUS and MATRIXCONTROLENTER move no focus;
// MATRIXSCROLLBAR finds no table behind a scroll bar; MATRIXENTERKEY
// stores the edit in hand and keeps the dialog open; MATRIXUPDATE has no
// table to draw.
std::int32_t CHECKIFMX2(std::int32_t option);
void SETMXFOCUS();
void MATRIXCONTROLENTER(win::HWND window);
bool MATRIXSCROLLBAR(win::HWND window, toolkit::dialog_t* items, int item);
void MATRIXENTERKEY(win::HWND window, toolkit::dialog_t* items, int item);
void MATRIXUPDATE(win::HWND window);

void reset_services_standin();

}  // namespace ui
