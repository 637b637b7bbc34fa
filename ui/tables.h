// Tables in dialogs: a numeric array, a character variable or a script file
// opened with a Format, shown as a grid of ordinary dialog items (the OK and
// More buttons, column and row titles, the visible block of cells, two
// scroll bars). A table record (`mxrec`) keeps what the table shows and where
// its items lie; the window record keeps its tables in a list. The set-up
// (`SETMATRIXFORMAT`) makes the record while a dialog's options are read,
// `SETMATRIX` turns it into items, the cell routines move one cell between
// its storage and its item, and the redraw (`MATRIXUPDATE`) moves the
// visible block and rewrites it. Cells are bound as references (symbol and
// offset), never as addresses: the stores move when they grow.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exec/windowlist.h"
#include "io/cellconvert.h"
#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

// Kind bits of table items, besides those of ui/dialogwords.h (`ck`).
namespace tk {
inline constexpr std::int32_t dnum = 0x4000;       // a decimal spinner edit
inline constexpr std::int32_t datacell = 0x10000;  // a data cell (Enter moves, never closes)
inline constexpr std::int32_t hidden = 0x80000;    // the item is hidden by a redraw
inline constexpr std::int32_t marked =
    static_cast<std::int32_t>(0x80000000u);        // own CoNtrols entry
inline constexpr std::int32_t cellbase = 0x50000;  // data cell + table item
}  // namespace tk

// Requests of the redraw to an item: show it, hide it.
inline constexpr std::int32_t itemshow = 0x8000000;
inline constexpr std::int32_t itemhide = 0x4000000;

// Flag values of `mxrec::mxflags`.
inline constexpr std::int32_t mxfiltered = 4;  // the file has a filter row list
inline constexpr std::int32_t mxordered = 2;   // the titles list the column order

// The format of one column of the data: where its field starts in a record
// and how wide it is (negative: the display width of a delimited field), its
// descriptor text (empty: the column has no format of its own) and letter.
struct ColInfo {
  std::int32_t start = 1;
  std::int32_t width = 0;
  std::string descr;
  char letter = 'F';
  bool unusable = false;  // a file column that the file's layout does not have

  // The descriptor writes a number as a text a cell can show: a number
  // letter, but not a binary one (FB, IB), whose bytes are no text; such
  // a column shows its numbers in their plain form.
  bool showsnumber() const {
    return !descr.empty() && io::numberletters.find(descr.front()) != std::string_view::npos &&
           letter != 'f' && letter != 'i';
  }
};

// One table.
struct mxrec {
  mxrec* next = nullptr;
  mxrec* prev = nullptr;
  std::int32_t ncolsdata = 0;  // columns as first found (an array's stored columns a row)
  std::int32_t nrowsdata = 0;
  std::int32_t ncols = 0;    // data columns
  std::int32_t nrows = 0;    // data rows
  std::int32_t leftcol = 0;  // first column and row of the visible block
  std::int32_t toprow = 0;
  std::int32_t curcol = 0;  // the focus cell within the visible block
  std::int32_t currow = 0;
  std::int32_t sortcol = 0;
  std::int32_t viscols = 1;  // the visible block
  std::int32_t visrows = 1;
  std::int32_t coloffset = 0;  // leading columns and rows never scrolled into view
  std::int32_t rowoffset = 0;
  std::int32_t firstitem = 0;     // item of the first column title
  std::int32_t firstrowitem = 0;  // item of the first row title
  std::int32_t lastitem = 0;
  std::int32_t coltitle = 0;  // symbols of ColTitle, RowTitle, ColSel, RowSel
  std::int32_t rowtitle = 0;
  std::int32_t colsel = 0;
  std::int32_t rowsel = 0;
  std::int32_t colvar = 0;  // cells of the COL and ROW variables
  std::int32_t rowvar = 0;
  std::int32_t firstvis = 0;  // linear number of the first and last visible element
  std::int32_t lastvis = 0;
  std::int32_t firstcell = 0;  // items and control ids of the first and last cell
  std::int32_t lastcell = 0;
  std::int32_t firstcellid = 0;
  std::int32_t lastcellid = 0;
  std::int32_t unit = 0;       // the script file unit of a file-backed table, else 0
  std::int32_t fmtsym = 0;     // the Format symbol, -1 none
  std::int32_t nfmtcols = 0;   // format columns
  std::int32_t cellchars = 0;  // characters of a record (a row of a character table)
  std::int32_t object = 0;     // the symbol the table shows
  std::int32_t serial = 1;     // 1-based number of the table in its window
  std::int32_t optpos = 0;     // the option that asked for it; negative once built
  std::int32_t mxflags = 0;
  std::int32_t stmt = 0;    // the statement that made it
  std::int32_t nitems = 0;  // items reserved for it
  std::vector<std::int32_t> clusterinfo1, clusterinfo2, clusterinfo3;
  std::vector<std::int32_t> sortindex;
  std::vector<ColInfo> colinfo;       // per format column, from 1 (entry 0 unused)
  std::vector<std::int32_t> colmap;   // per display column, from 1: its format column
  std::vector<std::int32_t> colkind;  // per display column, from 1: its cells' kind word

  ColInfo& column(std::int32_t c) { return colinfo[static_cast<std::size_t>(c)]; }
  // The format column shown in display column c (c itself outside the order).
  std::int32_t mapped(std::int32_t c) const {
    return c >= 1 && c < static_cast<std::int32_t>(colmap.size())
               ? colmap[static_cast<std::size_t>(c)]
               : c;
  }
  std::int32_t kindof(std::int32_t c) const {
    return c >= 1 && c < static_cast<std::int32_t>(colkind.size())
               ? colkind[static_cast<std::size_t>(c)]
               : 0;
  }
};

// The table being worked on; the tables set up for the dialog being built,
// not yet given to its window; the number of the table the next SETMATRIX
// builds; the most rows of the dialog's tables; the y of the last table
// that showed its own row titles; the last item reserved for the table in
// hand.
inline mxrec* mxcur = nullptr;
inline mxrec* pendingtables = nullptr;
inline std::int32_t mxbuildno = 1;
inline std::int32_t mxmaxrows = 0;
inline std::int32_t mxrowtitley = 0;
inline std::int32_t dlgitemend = 0;
// The length of the cell text last moved to or from a file.
inline std::int32_t mxcelllen = 0;

// --- Set-up (tableformat.cpp) --------------------------------------------

struct TableRequest {
  std::int32_t key = 0;      // the option that asks for it (0: none)
  std::int32_t viscols = 0;  // Width and Height: the visible columns and rows (0: chosen)
  std::int32_t visrows = 0;
  std::int32_t format = 0;  // the Format symbol (0: none)
  std::string formattext;   // a format written out in a dialog text (when no symbol)
  std::int32_t coltitle = 0;
  std::int32_t rowtitle = 0;
  std::int32_t colsel = 0;
  std::int32_t rowsel = 0;
  std::int32_t object = 0;  // the symbol to show
};
// Makes a table record for the object and appends it to the pending list;
// the number of dialog items the table needs (0 when none was made: a
// message key in `msgkey` says why, or the object is none to show).
std::int32_t SETMATRIXFORMAT(const TableRequest& request);
// The stored row that displayed row `row` of the current table shows.
std::int32_t EXPANDMXROW(std::int32_t unit, std::int32_t row);
// The pending table set up for option `option`: its items are reserved
// from the current item on (`dlgitemend`); 1 when there is one, else 0.
std::int32_t CHECKIFMX2(std::int32_t option);
// The table set up for option `option` and not yet built (null: none).
mxrec* pendingtable(std::int32_t option);
// Frees the pending tables.
void dropstaged();

// --- Items (tablebuild.cpp) ----------------------------------------------

// Turns the next pending table into dialog items from the current item on;
// x and y: the builder's position, afterwards the place after the table.
// `controls`: the symbol of the CoNtrols text (0 none). A refusal leaves
// its key in `msgkey`.
void SETMATRIX(std::int32_t& x, std::int32_t& y, std::int32_t controls);

// --- Cells (tablecells.cpp) ----------------------------------------------

// Cell access modes.
namespace cellmode {
inline constexpr std::int32_t read = 0x1;
inline constexpr std::int32_t write = 0x2;
inline constexpr std::int32_t title = 0x4;
inline constexpr std::int32_t stored = 0x8;      // the row as stored in the file
inline constexpr std::int32_t displayed = 0x10;  // row and column as displayed
inline constexpr std::int32_t shown = 0x11;
// A cell the user edited: written through the file's change list (0x20,
// 0x80), row and column as displayed.
inline constexpr std::int32_t edited = 0xB2;
}  // namespace cellmode

// Reads cell (row, col) of the current table into text (blank-padded), or
// writes text into it. Failures leave `iostatw`, `msgkey` or a report.
void IOCHARMXELEMENT(std::int32_t unit, std::int32_t row, std::int32_t col, std::span<char> text,
                     std::int32_t mode);
// A number cell's value, integer value and text for its item (item: its
// index in the window's items); flags: the show request, hide when the
// cell cannot be read.
void FORMATNUMMXELEMENT(std::int32_t item, std::int32_t row, std::int32_t col, double& value,
                        std::int32_t& ivalue, std::string& text, std::int32_t& flags);
// Reads the number of a cell (mode bit 2 clear) or writes one into a cell
// of a file; state: 1 for a non-zero value (0 for zero), a bar's position.
void IOR8MXELEMENT(std::int32_t unit, std::int32_t row, std::int32_t col, std::int32_t item,
                   double& value, std::int32_t& state, std::int32_t mode);
// Where the characters of cell (row, format column col) of a table on a
// character variable lie: a reference and a length (0 when none).
bool charcell(const mxrec& t, std::int32_t row, std::int32_t col, exec::BoundRef& where,
              std::int32_t& length);

// The text a cell shows (a number as its column's format writes it); empty
// when it cannot be read. For titles taken from the data.
std::string cellastext(mxrec& t, std::int32_t row, std::int32_t col);

// What a store of a typed cell came to.
enum class CellStore {
  none,    // nothing stored
  stored,  // the cell holds what was typed
  waits,   // the text typed so far is no number yet: its commit decides
};
// Stores what the user typed or moved in the table cell of item `item`
// (its control record and item) into the cell. Mode above 0 (the toolkit
// asks for the value): the item shows the stored number, nothing is
// stored. With `typing` the store comes between the user's keys while the
// cell's editor has the focus: the editor keeps the text typed so far with
// its caret and selection (a number written back in its format would stand
// in the way of the keys still to come), and a text that is no number yet
// is neither stored nor refused.
CellStore STORETABLECELL(exec::wdwrec& w, exec::ctlrec& c, std::int32_t item, toolkit::dialog_t& it,
                         std::int32_t mode, bool typing);

// A number into row `row` of format column `fc` of the table: an array's
// element, a numeric column's characters, a file's cell; false when the
// cell cannot take it (a message key left for a file).
bool storenumber(mxrec& t, std::int32_t row, std::int32_t fc, std::int32_t item, double value);
// SORT's access to table cells: the text of a file table's cell, and a
// number into a column of the current table.
bool sortcelltext(std::int32_t unit, std::int32_t row, std::int32_t column, std::string& text);
bool sortputcolumn(std::int32_t column, std::int32_t row, double value);

// --- Titles (tabletitles.cpp) --------------------------------------------

// The title of column k (k > 0), of row -k (k < 0), or (k = 0) the number
// of fields of a ColTitle text that lists columns (k comes back with it).
struct Title {
  std::string text;
  std::int32_t type = toolkit::DLG_TEXT;
  std::int32_t kind = 0x4;
  std::int32_t state = 0;
};
void GETMXTITLES(std::int32_t& k, Title& title);
std::int32_t CHECKMXCOLUMNORDER();
// Forgets the access keys given so far in the dialog.
void resettitlekeys();

// --- Redraw and keys (tableredraw.cpp) -------------------------------------

// Moves the block and the current cell of the current table of the window
// and redraws what moved: fromid 0 and newid 0 a block move by (dcol, drow)
// (both 0: a full refresh); newid the last cell id: the end; fromid below
// the first cell id: the start; a scroll bar's id: a scroll; a cell id: a
// step from that cell with wrap-around. titlefocus 1: the focus goes to the
// current column's title.
void MATRIXUPDATE(win::HWND window, std::int32_t newid, std::int32_t fromid, std::int32_t dcol,
                  std::int32_t drow, std::int32_t titlefocus);
// A full refresh of the window's tables.
void MATRIXUPDATE(win::HWND window);
// The words the Tab keys keep between focus moves, back to their start.
void resettablekeys();
// The focus moved from control `lost` to control `gained` of the window.
void MATRIXTABKEY(win::HWND window, std::int32_t gained, std::int32_t lost);

// --- Focus, scrolling, marks, closing (tablefocus.cpp) ---------------------

void SETMXFOCUS();
bool MATRIXSCROLLBAR(win::HWND window, toolkit::dialog_t* items, int item);
void MATRIXENTERKEY(win::HWND window, toolkit::dialog_t* items, int item);
void MATRIXCONTROLENTER(win::HWND window);
void MXMARKSUPDATE(std::int32_t k);
// True (and "msgMxClosed" shown) when the current table's file was closed.
bool MXNOTCONNECTEDTOOPENFILE();
// Frees the current window's tables after asking about unsaved edits of
// their files; answer -1: the user kept them, nothing more is freed.
void KILLMX(std::int32_t& answer);
// While set, a table window closes whatever the answer about its files'
// edits (a dialog the toolkit is closing already): the question offers
// Yes and No only.
inline bool tableclosesforced = false;
// Frees a window record's tables; the edits of their files are saved or
// dropped as the user answers (Yes or No).
void freetables(exec::wdwrec& record);
// The tables that a failed statement or a run's end leaves behind: the
// pending ones and those of a current window never shown.
void releasetables();
// A cell of a file for a script (mode as for IOCHARMXELEMENT): the
// table that shows the unit is current meanwhile.
void scriptcellio(std::int32_t unit, std::int32_t row, std::int32_t col, std::span<char> text,
                  std::int32_t mode);
// The window whose first table shows the unit (null when none).
win::HWND FINDFILEMATRIXWINDOW(std::int32_t unit);

// The table of the window that owns the item (null when none).
mxrec* tableofitem(exec::wdwrec& w, std::int32_t item);
// The window record of a handle (the current record for null), made current.
exec::wdwrec* tablewindow(win::HWND window);

// Puts the table routines into the executor's and the files' hooks.
void install_tables();
// Every table word back to its start value (the pending tables freed).
void reset_tables();

}  // namespace ui
