// Tables in dialog texts: a control whose reference names a whole numeric
// array of the script ("Edit*1"), or a character variable given a Format
// ("Edit*2;Format=A3,A5"), is shown as a table, as DLG shows its controls.
// The options of a table (Format, Width and Height as the visible columns
// and rows, ColTitle, RowTitle, ROW, COL) stand after its control on the
// control's line. The tables are set up before the window is made, so that
// their items are planned; each is built right after its control's
// options: at the next control or at the end of the line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/winparse.h"

namespace ui::wintables {

// Sets up the tables of the text's lines (references resolved against the
// context's values); `extra`: the items they add beyond their own
// controls. False when one is refused: its key is left in `msgkey` (its
// detail in `failedline`) and nothing stays set up.
bool plan(const std::vector<std::string>& lines, const winparse::Context& context,
          std::int32_t& extra);

// After the n-th control of the text (from 1) was placed: true when it is
// a table's, whose items are now reserved behind it.
bool begins(std::int32_t control);
// Builds the table whose control was placed last, when one waits; false
// (the key in `msgkey`) when its format and control do not go together.
bool build();
// Whether a table waits to be built.
bool waiting();
// Drops what a refused or abandoned text set up.
void drop();

}  // namespace ui::wintables
