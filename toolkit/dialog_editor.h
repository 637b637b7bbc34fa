// The toolkit's editor of its own dialogs. While it is switched on (in the
// Tools dialog) DIALOG_BOX asks before each dialog whether to edit it,
// shows the dialog inert and opens the editor beside it: a click selects an
// item (or the dialog box itself), its place and size in dialog units can
// be typed or spun and the control moves at once; at the end the new
// places are written out as source lines ("CALL set_dialog_item ...") or
// as a size-and-location list, to the clipboard, a view window or a file.
//
// While the editor runs each item's busy word is its modified mark (1 =
// moved or resized); the edited dialog's controls are disabled, so none of
// its change procedures runs.
#pragma once

#include <string>

#include "toolkit/dialog_item.h"

namespace toolkit {

// Switched by the Tools dialog; DIALOG_BOX offers the editor while it is
// true.
inline bool dialog_editor_enabled = false;
// True while DIALOG_BOX runs the editor (no second offer meanwhile).
inline bool dialog_editor_running = false;

// The edited dialog's items (with room for 20 more), their count and the
// dialog's window; 0 when the developer cancelled, -1 otherwise.
int DIALOG_EDITOR_HOOK(dialog_t* items, int& count, win::HWND& window);
int DIALOG_EDITOR(dialog_t* items, int& count, win::HWND& window);
// Runs the output dialog ("Generate Dialog Editor Output") and writes the
// output.
void GENERATE_DIALOG_OUTPUT();

// The array name the output uses (initially "dialog").
std::string DIALOG_EDITOR_ARRAY_NAME();

// The name of an item type (blank for types without one, the grid's
// among them), blank-padded into the buffer.
void DIALOG_ITEM_TYPE_NAME(int type, char* buffer, int length);

// What the editor writes, as lines: source code (`source`) or the size and
// location list, of the modified items only or of all; each line starts
// with `indent`.
struct editor_output_t {
  bool source = true;
  bool only_modified = false;
  std::string indent;
};
std::string DIALOG_EDITOR_LINES(const editor_output_t& how);

// The editor's state back to the start. For tests.
void reset_dialog_editor();

}  // namespace toolkit
