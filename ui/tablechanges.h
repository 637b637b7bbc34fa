// The change list of tables on script files. An edit of a file shown as a
// table never reaches the file at once: every changed cell, inserted,
// appended or deleted row becomes a change record of the file's unit. The
// records of a unit stand in two orders: the line order (ascending line,
// then column), in which the table is read and the file rewritten, and the
// history (oldest first), the undo and redo journal. The list lives until
// the table or the file closes, when it is saved or dropped.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// Kind bits of a change record.
namespace chg {
inline constexpr std::int32_t undone = 0x1;    // out of the line list, waits for redo
inline constexpr std::int32_t inserted = 0x2;  // a line inserted between stored lines
inline constexpr std::int32_t deleted = 0x4;
inline constexpr std::int32_t changed = 0x8;  // the text of cell `col` changed
inline constexpr std::int32_t appended = 0x10;
inline constexpr std::int32_t rowgroup = 0x20;    // one of the per-column records of a new row
inline constexpr std::int32_t scriptedit = 0x40;  // made by a script
inline constexpr std::int32_t useredit = 0x80;    // made by the user in a table window
inline constexpr std::int32_t newline = inserted | appended;
}  // namespace chg

// Edit commands.
namespace mxcmd {
inline constexpr std::int32_t insert = 1401;
inline constexpr std::int32_t remove = 1402;
inline constexpr std::int32_t change = 1403;
inline constexpr std::int32_t append = 1404;
inline constexpr std::int32_t insertcopy = 1405;
inline constexpr std::int32_t undo = 1411;
inline constexpr std::int32_t redo = 1412;
inline constexpr std::int32_t remember = 1413;
}  // namespace mxcmd

struct mxchange {
  std::int32_t seq = 0;      // 1 for the oldest of the history
  mxchange* next = nullptr;  // next in line order
  // The stored line; a fraction between two neighbours for an inserted
  // line; beyond the stored lines for an appended one.
  double line = 0.0;
  std::int32_t col = 0;  // 0 for a whole line
  std::int32_t flags = 0;
  std::int32_t shift = 0;      // deleted minus inserted lines up to here in line order
  std::int32_t cellpos = 0;    // first byte of the cell within its stored line (0: none)
  std::int32_t cellwidth = 0;  // bytes the cell takes there
  bool hastext = false;
  std::string text;
  mxchange* replaced = nullptr;  // a deletion: the record it took the place of
  bool is(std::int32_t f) const { return (flags & f) != 0; }
};

// One unit's list: the records in history order (they own the records),
// the head of the line order, and the current history position (-1: no
// history; the newest record in force, or the oldest, undone, when all
// are undone).
struct ChangeList {
  std::vector<std::unique_ptr<mxchange>> history;
  mxchange* head = nullptr;
  std::int32_t cur = -1;
};
// The list of a script unit (null for another unit number).
ChangeList* changesof(std::int32_t unit);
// Every list emptied (a fresh start).
void reset_changes();

// The working words that the row mapping leaves for the cell transfer or
// edit command that follows it for the same cell.
struct ChangeState {
  mxchange* found = nullptr;
  bool nostoredtext = false;    // the found line is new: it has no stored text
  bool skipmapping = false;     // the next mapping takes the row as a stored line
  std::int32_t remembered = 0;  // the row remembered for a copy
  bool rememberedexact = false;
};
inline ChangeState chgstate;

// The stored line of displayed row `row` (a whole number held as a real)
// of the unit's table, after the rows that edits inserted or deleted;
// status 0.
void CHECKEDITED(std::int32_t unit, double& row, std::int32_t column, std::int32_t& status);
// Serves a cell's read or write from the change list; true when it did.
// A write refused (a read-only file, a text holding a separator or a line
// end) leaves "msgWriteError" in `msgkey` and the cell unchanged.
bool CHANGEINOUT(std::int32_t unit, std::int32_t row, std::int32_t column, std::span<char> text,
                 std::int32_t mode, std::int32_t& status);
// Settles the unit's pending edits when its table or file closes: answer 0
// nothing saved, 1 saved, -1 kept (the user cancelled or the save failed;
// the close stops where it can), io::savefailed (a failed save in the
// mode io::settlemode::reported, not shown). Modes: io::settlemode. Tests set
// `editchangesanswer` to answer without looking at any list.
inline std::int32_t editchangesanswer = 0;
void KILLEDITCHANGES(std::int32_t unit, std::int32_t& answer, std::int32_t mode);
// The enable flags of the edit choices (copy-insert, delete, undo, redo,
// insert, unused).
void CHECK_UNDO_REDO(std::span<std::int16_t, 6> flags);

// The edit commands (mxcmd) on the unit's table: column the cell's column
// for a change (0 otherwise), row the displayed row in and the row to show
// out, colout the affected record's column, mode the caller's cell access
// word (bits 0x40 and 0x80 are kept in the record). The record a change
// command made (null when none).
mxchange* MXEDIT(std::int32_t unit, std::int32_t column, std::int32_t& row, std::int32_t& colout,
                 std::int32_t command, std::int32_t mode);
// The table form of EDIT: Delete=n or APpendTo with DO=k on the file of
// MatriX=f, then the table closed and its edits saved.
void EDITMX();

// The whole rewrite of the unit's file with its pending edits; true when
// the file holds them. A failure leaves the file as it was, its status in
// `iostatw` and its account (the file, the failed step, the status) in
// `savefailure`; shown, it is reported with "mx2nosave".
bool MXSAVE(std::int32_t unit, bool shown = true);
inline std::string savefailure;

// The text of a new line from its cells (cells[c] for column c, null for
// none), without a line end; a fixed record takes the bytes between its
// fields from firstrecord.
std::string newrowtext(std::int32_t unit, std::span<const mxchange* const> cells,
                       std::string_view firstrecord);
// Line `line` of the unit as its pending edits make it, without its line
// end and trailing blanks; false when no edit touches it (or it is
// deleted). A fixed record comes in `row` as read and is changed there.
bool EDITEDLINE(std::int32_t unit, double line, std::string& row);

// The number of stored lines of the unit (index lines, or whole records).
std::int32_t storedlines(std::int32_t unit);

// Makes the table shown on the unit the current one (none: no table is
// current).
void SETMXTOUNIT(std::int32_t unit);

}  // namespace ui
