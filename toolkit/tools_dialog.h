// The toolkit's own Tools dialog (command 0x4003, Ctrl+Shift+R), whose one
// setting switches the dialog editor on or off until the program ends, and
// the default hook of command 0x4005.
#pragma once

#include "toolkit/dialog_item.h"

namespace toolkit {

inline constexpr const char* kToolsTitle = "FenTool - Tools for Fenstra";

// Shows the Tools dialog, modeless, over the main window; its items keep
// their state from one opening to the next. Returns 0 at once.
int FENTOOLDIALOG();
// The check box's procedure: the editor is on while the box is checked.
int TOOLS_EDITOR_CHECK_PROC(win::HWND& window, dialog_t* items, int& item_number);
// Does nothing; 0.
int DEFAULT_COMMAND_HOOK(int command);

// The dialog's items unset again. For tests.
void reset_tools_dialog();

}  // namespace toolkit
