// A table window saved as text (File > Print, "save table"): every row of
// every table of the window as one line, the cells side by side, each cut
// or blank-padded to its column's width and followed by one blank; numbers
// rewritten through their column's format; rows sorted into groups carry
// their group value (upper-case hexadecimal) in front, with an empty line
// before each new group. Lines end with CR LF. The file is named after the
// window's title with ".txt" appended and replaced whole, never half
// written.
#pragma once

#include <string>
#include <string_view>

#include "exec/windowlist.h"

namespace ui {

// The text of the window's tables as the file holds it; empty when the
// window has no table.
std::string tabletext(exec::wdwrec& w);

// Saves the current window's tables as "<title>.txt" in `folder` (empty:
// the current folder) after asking ("msgMxOverwrite" when the file exists,
// else "msgMxWrite?"; Cancel writes nothing). A window without a table
// leaves "printNotMX" in `msgkey`; a failed write shows "msgMxWriteFail"
// and leaves an existing file as it was.
void SAVETOFILEMX(std::string_view folder);

}  // namespace ui
