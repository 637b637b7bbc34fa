// What a combo box and its drop-down list tell each other. Not for use
// outside platform/win_*.
#pragma once

#include "platform/win_controls_internal.h"

namespace win::detail {

// A press (down) or release of the mouse on a dropped list, at a point of
// the list's client area; closes the list when it is a choice or a press
// elsewhere.
LRESULT combo_list_click(HWND combo, HWND list, POINT p, bool down);

}  // namespace win::detail
