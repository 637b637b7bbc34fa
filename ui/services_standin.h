// Stand-ins for the script windows' services that the IDE's window list,
// event routine and the dialogs call, until kept table layouts exist: no
// layout is kept.
#pragma once

#include <cstdint>

#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

// Mode 2: resumes the statement of a table window whose layout was kept
// (none is ever kept here).
void MXLAYOUT(std::int32_t mode);

void reset_services_standin();

}  // namespace ui
