// What the files reach of the table editor above them: the settling of a
// unit's pending table edits when the unit closes, the cell access that
// sees those edits, and the finding of the table that shows a unit. The
// script windows fill the record at start-up; while an entry is empty the
// files work without it (cells read straight from the file, nothing to
// settle).
#pragma once

#include <cstdint>
#include <span>

namespace io {

// Modes of settleedits: drop only the edits that were undone; the close
// cannot be refused (the question offers Yes and No only); drop every
// edit left without a question (the unit is gone); a save that fails is
// not shown, the statement that made the save reports it.
namespace settlemode {
inline constexpr std::int32_t redotail = 1;
inline constexpr std::int32_t forced = 2;
inline constexpr std::int32_t dropall = 4;
inline constexpr std::int32_t reported = 8;
}  // namespace settlemode

// The answer of settleedits in the mode `reported` when the save failed:
// the file is as it was, and `iostatw` holds the file layer's status.
inline constexpr std::int32_t savefailed = -2;

struct TableCalls {
  // Saves or drops the unit's pending edits: answer 0 nothing saved, 1
  // saved, -1 kept (the user cancelled, or the save failed), `savefailed`.
  void (*settleedits)(std::int32_t unit, std::int32_t& answer, std::int32_t mode) = nullptr;
  // Cell (row, column) of the unit through its pending edits: mode as the
  // table cells take it (read 0x1, write 0x2, stored rows 0x8, change-list
  // bits 0x20 to 0x80). Failures leave `iostatw` or `msgkey`.
  void (*cellio)(std::int32_t unit, std::int32_t row, std::int32_t column, std::span<char> text,
                 std::int32_t mode) = nullptr;
  // Makes the table that shows the unit the current one (none: no table is
  // current).
  void (*settabletounit)(std::int32_t unit) = nullptr;
};
inline TableCalls tablecalls;

}  // namespace io
