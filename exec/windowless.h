// The main window of a windowless run: a record at the head of the window
// list with a window that is never shown, so that dialogs, windows, panels
// and plots are made as in the IDE. It takes up the commands that dialogs
// post to the main window: a window to close, a callback to run, the run
// to resume at a control's jump label.
#pragma once

#include <string>
#include <string_view>

namespace exec {

// True while the windowless run's main window stands: text written into
// the main window then also goes to the standard output, and a READ from a
// window takes its line from the standard input.
inline bool windowlessrun = false;
// The standard output and input of a windowless run, one line each (the
// line without its line end; Windows-1252 inside, UTF-8 outside). The
// writer answers false when the line could not be written; the reader
// false at the end of the input. Tests put their own in place.
bool standardline(std::string_view line);
bool standardreadline(std::string& line);
inline bool (*standardout)(std::string_view line) = standardline;
inline bool (*standardin)(std::string& line) = standardreadline;

// Makes the main window's record and window when the list has none (true:
// made here), with the screen metrics and the built-in colours.
bool OPENWINDOWLESS();
// Closes every window of the run, then the main window, and empties the
// list.
// Ends a print job still open when the windowless run (and with it the
// program) ends, so that no page is lost; filled by the printing layer.
inline void (*endprintjob)() = nullptr;
void CLOSEWINDOWLESS();
// After the run stopped: the commands posted meanwhile are taken up; when
// a dialog control asked to go on at its jump label, the run's next
// statement is that label's and the result is true.
bool RESUMEATJUMP();

}  // namespace exec
