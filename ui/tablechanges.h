// The change list of tables on script files, as the table cells and the
// closing of tables meet it. Edits of a file shown as a table are kept in
// memory until the table or the file closes; until that list exists no
// cell of a file is ever changed, so these routines find no change.
#pragma once

#include <cstdint>
#include <span>

namespace ui {

// The stored line of displayed row `row` (a whole number held as a real)
// of the unit's table, after the rows that edits inserted or deleted;
// status 0.
void CHECKEDITED(std::int32_t unit, double& row, std::int32_t column, std::int32_t& status);
// Serves a cell's read or write from the change list; true when it did.
bool CHANGEINOUT(std::int32_t unit, std::int32_t row, std::int32_t column, std::span<char> text,
                 std::int32_t mode, std::int32_t& status);
// Settles the unit's pending edits when its table or file closes: answer 0
// nothing saved, 1 saved, -1 the user cancelled (the close stops). Tests
// set `editchangesanswer` for the user's answer.
inline std::int32_t editchangesanswer = 0;
void KILLEDITCHANGES(std::int32_t unit, std::int32_t& answer, std::int32_t mode);

}  // namespace ui
