// The main window of a windowless run: a record at the head of the window
// list with a window that is never shown, so that dialogs, windows, panels
// and plots are made as in the IDE. It takes up the commands that dialogs
// post to the main window: a window to close, a callback to run, the run
// to resume at a control's jump label.
#pragma once

namespace exec {

// Makes the main window's record and window when the list has none (true:
// made here), with the screen metrics and the built-in colours.
bool OPENWINDOWLESS();
// Closes every window of the run, then the main window, and empties the
// list.
void CLOSEWINDOWLESS();
// After the run stopped: the commands posted meanwhile are taken up; when
// a dialog control asked to go on at its jump label, the run's next
// statement is that label's and the result is true.
bool RESUMEATJUMP();

}  // namespace exec
