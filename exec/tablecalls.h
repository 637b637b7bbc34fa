// What the window list and the executor reach of the tables that script
// dialogs show (ui/): filled when the dialog statements are installed; an
// empty entry does nothing.
#pragma once

namespace exec {

struct wdwrec;

struct TableCalls {
  // Frees the tables of a window record that goes, asking nothing.
  void (*freetables)(wdwrec& record) = nullptr;
  // Releases the tables that a failed statement or the end of a run leaves
  // behind: those set up for a dialog that was never shown.
  void (*releasetables)() = nullptr;
};
inline TableCalls tablecalls;

}  // namespace exec
