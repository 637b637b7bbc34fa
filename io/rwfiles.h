// The script file table: one record per file unit 6970 to 6989 that a
// script binds to a text variable with OPEN; the record transfers that move
// one record between a unit and a character buffer; and the closing of
// script units.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/file_units.h"
#include "platform/indexed.h"
#include "platform/win_window.h"

namespace io {

// The mode bits of a unit (`rwfileflags`). The kinds the transfers tell
// apart: formatted sequential (text) both of 0x2400 set, unformatted
// sequential (stream) both of 0x2800, formatted direct both of 0x1400;
// anything else is an unformatted direct or binary file. Bit 0x10 makes
// record numbers byte positions.
namespace rwflag {
inline constexpr std::int32_t old = 0x1;
inline constexpr std::int32_t fresh = 0x2;  // status NEW
inline constexpr std::int32_t scratch = 0x4;
inline constexpr std::int32_t replace = 0x8;
inline constexpr std::int32_t binary = 0x10;
inline constexpr std::int32_t readonly = 0x20;
inline constexpr std::int32_t writeonly = 0x40;
inline constexpr std::int32_t denyread = 0x80;
inline constexpr std::int32_t denywrite = 0x100;
inline constexpr std::int32_t denyreadwrite = 0x200;
inline constexpr std::int32_t formatted = 0x400;
inline constexpr std::int32_t unformatted = 0x800;
inline constexpr std::int32_t direct = 0x1000;
inline constexpr std::int32_t sequential = 0x2000;
inline constexpr std::int32_t indexed = 0x4000;    // column format and line index made
inline constexpr std::int32_t lineends = 0x20000;  // rows end with a line-end code
}  // namespace rwflag

// The line index of a text file viewed as a table (io/lineindex.h): entry
// k (from 1) is the 1-based byte position of the first byte of row k, the
// entry after the last row the position just past the data.
struct LineIndex {
  std::int32_t hold = 0;     // 0: freed with its unit
  std::int32_t entries = 0;  // rows + 1
  // 10 LF, 13 CR, 3338 CR LF, or the value of another byte that ends rows;
  // 0 while none is known.
  std::int32_t lineend = 0;
  plat::IndexedStore<std::int32_t, 1> positions;
  // The bytes the index was made from: the file's size then (-1: not
  // known) and their sum (io::ByteSum). A save that splices edits in at
  // the positions goes on only while the file's first madesize bytes
  // still give madesum; bytes after them may have been appended.
  std::int64_t madesize = -1;
  std::uint64_t madesum = 0;
};

// One column of a table file's layout (io/coltable.h): where its
// descriptor text lies in `c1namen` (first stored as -(position + 1) when
// the text begins with "N"; last: for a separated column the list
// separator after it), its 1-based byte offset within the row (0: it
// follows the cell before) and its width (0: a separated column).
struct ColDef {
  std::int32_t first = 0, last = 0, offset = 0, width = 0;
};
struct ColTable {
  std::int32_t rowgap = 0;  // bytes between the last cell of a row and the next row
  plat::IndexedStore<ColDef, 1> columns;
};

// The order a SORT left on a file viewed as a table: the sources of its
// eight key slots (a Vector as minus the place of its first element in `z`, a
// column number, a table window's column as 10000 x (table - 1) + column;
// 0 a free slot) and the records in sorted order. A later SORT of the file
// takes its record count from the map's positive entries and composes its
// own order with it.
struct RowMap {
  std::array<std::int32_t, 8> keys{};
  std::vector<std::int32_t> rows;
};

// One record of the table. A record is free while filevar is 0 or less.
struct RwFile {
  std::int32_t position = 0;     // record number (binary: byte) of the last transfer
  std::int32_t rows = 0;         // rows of a file with a line index
  std::int32_t recl = 0;         // record length in characters or bytes
  std::int64_t filelength = 0;   // bytes: set by OPEN, raised by writes
  std::int32_t mode = 0;         // rwflag bits
  std::int32_t option = 0;       // the Option value of OPEN
  std::int32_t firstdata = 0;    // byte position of the first row after header lines
  std::int32_t firstline = 0;    // line number of the first data row (header lines + 1)
  std::int32_t tableformat = 0;  // 1 once a table control applied its format
  std::int16_t linesperrow = 0;
  std::int16_t filevar = 0;  // symbol of the bound FIle variable
  std::int16_t format = 0;   // symbol of the Format text, the default of later transfers
  std::int16_t filter = 0;   // symbol of the FiLTer text
  // Bit 1: a table window keeps the script's pending table edits when it
  // closes (cleared when the file closes).
  std::int32_t chgkeep = 0;
  std::optional<LineIndex> lineindex;
  std::optional<ColTable> coltable;
  std::optional<RowMap> rowmap;
  // The rows of a direct or binary table that pass its filter, 0 after
  // the last one.
  std::optional<plat::IndexedStore<std::int32_t, 1>> rowlist;
};

inline constexpr std::int32_t nrwfiles = plat::unit_script_last - plat::unit_script_first + 1;
// The records, indexed by unit number.
inline plat::IndexedStore<RwFile, plat::unit_script_first> rwfiles(nrwfiles);

inline bool isscriptunit(std::int32_t unit) {
  return unit >= plat::unit_script_first && unit <= plat::unit_script_last;
}

// Record transfers. buffer's first n characters are transferred (n below 0
// counts as 0, n beyond the buffer as its size); rec is the 1-based record
// number (a byte position for binary units); status receives the unit's
// I/O status: 0, negative at the end of the file, positive on failure. The
// record is always the whole text: the format is "(A)".
void READDIRUNF(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int64_t rec,
                std::int32_t& status);
void READDIRFMT(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int64_t rec,
                std::int32_t& status);
void READSEQFMT(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int32_t& status);
void READSEQUNF(std::int32_t unit, std::span<char> buffer, std::int32_t n, std::int32_t& status);
// The direct writes raise a script unit's file length to the end of what
// they wrote; the sequential formatted write adds n + 2 (its CR LF).
void WRITEDIRUNF(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int64_t rec,
                 std::int32_t& status);
void WRITEDIRFMT(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int64_t rec,
                 std::int32_t& status);
void WRITESEQFMT(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int32_t& status);
// The same for a script unit whose record `file` the caller holds.
void WRITESEQFMT(RwFile& file, std::int32_t unit, std::string_view buffer, std::int32_t n,
                 std::int32_t& status);
void WRITESEQUNF(std::int32_t unit, std::string_view buffer, std::int32_t n, std::int32_t& status);

// The record length of the statement's item list (the top `rwnitems`
// entries of the operand stack): per item its text length for a text, rows
// x columns x width for a numeric array, width for any other number.
inline std::int32_t rwnitems = 0;
std::int32_t GETRECLFROMARGUMENTS(std::int32_t width);

// The window of a table that shows the unit (null when none); the script
// windows fill it at start-up.
inline win::HWND (*findtablewindow)(std::int32_t unit) = nullptr;

// Closes script unit |unit| and frees its record; the bound variable no
// longer names a unit. Pending edits of a table on the unit are saved
// first; a table window that shows the unit is closed. cutat above 0 cuts
// the file at that 1-based byte position through the unit's handle before
// it closes (not after a failed save, and not when another file has taken
// its name: plat::iostat_replaced). A negative unit also deletes the
// file ("Cannot delete file|" and the name when that fails, unless
// messages are silenced), but only while its name still leads to the
// file the unit holds. Other unit numbers are left alone. Returns the
// close's status, which the caller reports: not 0 when the table's edits
// could not be saved (the file keeps its old bytes), the cut failed, or
// records written to the unit did not all reach the file (or the file
// could not be closed); for a file to delete plat::iostat_replaced when
// another file has taken its name (nothing is deleted), else 0.
std::int32_t RWCLOSE(std::int32_t unit, std::int64_t cutat = 0);
// RWCLOSE where no statement takes a failure: it is shown ("rdwrErK" with
// the file's name and the status). Returns the status.
std::int32_t RWCLOSESHOWN(std::int32_t unit);
// RWCLOSESHOWN of every script unit, 6970 first, when a run ends or its
// script is closed. Returns the first status that is not 0, 0 when every
// file is whole.
std::int32_t RWCLOSEALL();

// Every record free, without touching units or symbols (for a fresh start).
void reset_rwfiles();

}  // namespace io
