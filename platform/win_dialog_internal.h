// Inner state of dialogs, shared by the template reader and the dialog
// manager. Not for use outside platform/win_*.
#pragma once

#include <vector>

#include "platform/win_controls_internal.h"
#include "platform/win_dialog.h"

namespace win::detail {

struct DialogData : ControlBase {
  bool own_font = false;  // made from the template; deleted with the dialog
  SIZE base{8, 16};       // base units
  HWND focus = nullptr;   // the control that gets the focus back
  // The focus was moved while the dialog was not active (its start, a Tab
  // behind a box): `focus` gets it as the dialog manager gives it (a
  // field's text selected) when the dialog is activated, not merely back.
  bool focus_moved = false;
  int def_id = 0;  // the default button's id, 0 for none
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  HWND disabled_owner = nullptr;  // re-enabled when a modal dialog ends
};

DialogData* dialog_data(HWND dlg);
// The dialog's controls in the order they were made.
std::vector<HWND> dialog_controls(HWND dlg);
// The dialog's control that holds a window (the window itself, or the
// control it is part of, such as a combo box's field); null when none.
HWND control_holding(HWND dlg, HWND wnd);
// Moves the focus to a control the way the dialog manager does (a field's
// text becomes selected; the default button follows the focus).
void dialog_set_focus(HWND dlg, HWND control);
// The push button that shows as default: the focused push button, else
// the one with the default id.
void update_default_button(HWND dlg, HWND focus);
// The template reader's part of WM_NCCREATE: the dialog procedure from the
// creation parameters.
LRESULT dialog_init_param(LPARAM create_params, HWND dlg);
SIZE dialog_base_units(HFONT font);

}  // namespace win::detail
