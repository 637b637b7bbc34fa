// What the window list and the executor reach of the tables that script
// dialogs show (ui/): filled when the dialog statements are installed; an
// empty entry does nothing.
#pragma once

#include <cstdint>
#include <string_view>

namespace exec {

struct wdwrec;

struct TableCalls {
  // Frees the tables of a window record that goes, asking nothing.
  void (*freetables)(wdwrec& record) = nullptr;
  // Releases the tables that a failed statement or the end of a run leaves
  // behind: those set up for a dialog that was never shown.
  void (*releasetables)() = nullptr;
  // INDEX of a file variable (symbol filesym) shown as a table: searches
  // it for the text (a number when isnumber) and gives the row found, 0
  // none; false when the variable is no file viewed as a table.
  bool (*search)(std::int32_t filesym, std::string_view text, bool isnumber, double number,
                 std::int32_t options, double& found) = nullptr;
};
inline TableCalls tablecalls;

}  // namespace exec
