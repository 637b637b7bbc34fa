// The compile's progress window, shown through WIN: its refresh and close
// for the whole-script compile.
#pragma once

namespace ui {

void install_progress();

}  // namespace ui
