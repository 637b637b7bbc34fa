// Routines of the toolkit's later layers that windows, boxes and the window
// procedure already call: the help viewer's quit. Until each layer comes
// they do nothing; each layer replaces its routines here.
#pragma once

#include "platform/win_message.h"
#include "toolkit/records.h"

namespace toolkit {

// The help viewer is told to quit for the window; the flag is cleared.
void QUIT_HELP(window_record_t& record);

}  // namespace toolkit
