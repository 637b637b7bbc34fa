// The list of the application's windows: one record for the main window
// (always the first) and one for every window, dialog, table or plot window
// a script opens, with the control records of a dialog's items. The way
// from a window handle that an event carries to everything the program
// keeps about that window. The IDE, the script windows and dialogs, the
// files and devices and plotting all work on it; what they must reach of
// the IDE (closing a window) they reach through `windowcalls`, which the IDE
// fills at start-up.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/fixed_text.h"
#include "platform/indexed.h"
#include "platform/win_window.h"
#include "toolkit/dialog_item.h"
#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

namespace ui {
struct panelrec;
struct PanelEngine;
struct mxrec;
}  // namespace ui

namespace exec {

// Kind bits of a record.
namespace kind {
inline constexpr std::int32_t maximised = 0x1;
inline constexpr std::int32_t minimised = 0x2;
inline constexpr std::int32_t mainwindow = 0xC;
inline constexpr std::int32_t modeless = 0x10;
inline constexpr std::int32_t child = 0x20;
inline constexpr std::int32_t text = 0x40;
inline constexpr std::int32_t graphics = 0x80;
inline constexpr std::int32_t table = 0x100;
inline constexpr std::int32_t editorstyle = 0x200;
inline constexpr std::int32_t modal = 0x400;
inline constexpr std::int32_t nocycle = 0x800;
// A script's table dialog that the run waits for (modeless meanwhile).
inline constexpr std::int32_t awaited = 0x2000;
inline constexpr std::int32_t zeroblank = 0x8000;
}  // namespace kind

// Where a value bound to a dialog item lives. Kept as a reference and
// resolved at each use, never as an address: the stores move when they
// grow, also under an open modeless dialog. Script storage names a symbol
// (a numeric scalar, a numeric array or a character variable) and an
// offset from its first element or character; the program's own storage
// names one of its registered arrays (exec/settingrefs.h) and a byte offset
// into it.
struct BoundRef {
  std::int32_t array = 0;   // 0: script storage; else the program array's number
  std::int32_t sym = 0;     // the symbol (script storage)
  std::int32_t offset = 0;  // elements or characters (script), bytes (program array)

  bool bound() const { return array != 0 || sym > 0; }
  bool operator==(const BoundRef&) const = default;
};

// The control record of one dialog item; a window's records are linked in
// the order of its items. Kind bits: binding 2 numeric variable, 4
// character variable, 8 element of a numeric array, 7 name=value, 0x20000
// one bit of a variable shared by several boxes; the program's own storage
// 0x2000002 8-bit, 0x4000002 16-bit, 0x8000002 32-bit integer, 0x10000002
// 32-bit, 0x20000002 64-bit real, 0x40000004 text, 0x80000004 single
// characters; controls 0x10 push button, 0x20 edit, 0x40 check box, 0x80
// radio button, 0x100 list or combo box, 0x200 up-down, 0x400 track bar,
// 0x800 progress bar, 0x1000 scroll bar, 0x2000 number through a format,
// 0x8000 text kept in the record's own buffer, 0x10000 NoClose, 0x40000
// table cell, 0x80000 hidden by a table redraw.
struct ctlrec {
  std::int32_t ctlkind = 0;
  std::int32_t ctlid = 0;
  std::int32_t ctlident = 0;   // the number the item reports when it changes
  BoundRef ctlbind;            // the bound value
  std::int32_t ctllen = 0;     // characters of a text, elements of an array
  std::int32_t ctljump = 0;    // symbol of a jump label, 0 none
  std::int32_t ctlgroup = 0;   // radio group
  std::int32_t ctllink = 0;    // symbol of the CALLback subroutine; 1 a shell link; 0 none
  BoundRef ctlseltext;         // where a list's selected text goes
  BoundRef ctlselidx;          // where a list's selected index goes
  std::int32_t ctlselend = 0;  // length of the selection text; bit number of a shared box
  std::vector<plat::FixedText<127>> ctllist;  // list entries
  // The link (target 1-92, help-file name 93-188), or the text the item
  // edits when it is kept in the record (kind bit 0x8000). Empty: none.
  std::vector<char> ctltext;
  ctlrec* ctlnext = nullptr;
};

// The widest margin of a window or a page, in pixels: beyond any screen
// or paper, and small enough that a margin, a size and the other margin
// add up within their int.
inline constexpr std::int32_t marginmost = 1 << 24;

// One window. Variable fields hold the index of a script variable's value
// cell in `z`, 0 when none is bound. Text-area fields count character
// cells of the record's font slot.
struct wdwrec {
  win::HWND window = nullptr;
  win::HBITMAP bitmap = nullptr;  // backing bitmap that text and plots draw into
  std::int32_t bitmapcells = 0;   // the cell count the bitmap was made for
  win::HWND owner = nullptr;      // current again when this one is freed
  std::int32_t xvar = 0;
  std::int32_t yvar = 0;
  std::int32_t widthvar = 0;
  std::int32_t heightvar = 0;
  std::int32_t returncodevar = 0;  // ReturnCode: the number of the control that changed last
  std::int32_t handlevar = 0;      // WINdowhandle: the window's handle, 0 once it closed
  std::int32_t dialogword = 0;
  std::int32_t left = 0;  // outer position, screen pixels
  std::int32_t top = 0;
  std::int32_t clientwidth = 0;  // text area, pixels
  std::int32_t clientheight = 0;
  std::int32_t textarea[4] = {};  // left, right, top, bottom offsets and bounds
  std::int32_t printarea[4] = {};  // the margins in pixels, up to `marginmost` each
  std::int32_t fontslot = 0;
  std::int32_t printstate = 0;
  std::int32_t printscratch[2] = {};
  // Where the window's next text goes on: the end of the text written last
  // (x) and the line below it (y), pixels of the backing bitmap.
  std::int32_t textx = 0;
  std::int32_t texty = 0;
  std::int32_t textcolour = 0;
  std::int32_t kind = 0;
  std::int32_t shownitems = 0;
  std::int32_t mousemode = 0;
  std::int32_t popuphandler = 0;
  std::int32_t frameheight = 0;
  std::int32_t menustatevar = 0;
  std::int32_t menuhandler = 0;
  std::int32_t toolhandler = 0;
  std::int32_t topoffset = 0;  // pixels above the text area
  std::int32_t toolstatevar = 0;
  std::int32_t cellrow = 1;
  std::int32_t cellcol = 1;
  std::int32_t rowvar = 0;
  std::int32_t colvar = 0;
  std::int32_t chgvar = 0;  // CHanGed: each changed control sets its bit
  float tablescale = 15.0F;
  std::int8_t nowriteback = 0;  // bit 0: bound variables are not written back
  std::int8_t style[2] = {};
  wdwrec* next = nullptr;
  ctlrec* firstcontrol = nullptr;
  plat::Store1<toolkit::dialog_t> dialogitems;
  plat::Store1<toolkit::toolbar_item_t> toolitems;
  toolkit::tool_bitmap_t toolbitmap;  // the image strip of `toolitems`, deleted with the record
  plat::Store1<toolkit::menu_item_t> menuitems;
  plat::Store1<toolkit::menu_item_t> popupitems;
  ui::panelrec* firstpanel = nullptr;
  ui::PanelEngine* panelengine = nullptr;  // the panel's axes and curves in the plot engine
  ui::mxrec* firsttable = nullptr;
  std::int32_t tableword = 0;
  plat::FixedText<96> title;
  // What a dialog keeps besides: the variables of X0, Y0 and of the title,
  // its size in pixels, the code it last returned, whether it refreshes
  // together with others (UPDAte), whether a program (not a script) built
  // it, the print selection, its background colour number and the
  // help-file name of its links.
  std::int32_t x0var = 0;
  std::int32_t y0var = 0;
  std::int32_t titlevar = 0;
  std::int32_t pixelwidth = 0;
  std::int32_t pixelheight = 0;
  std::int32_t lastreturn = 0;
  bool update = false;
  bool nonscript = false;
  std::int32_t printselect = 0;
  // A table dialog that a run waits for: the statement that showed it,
  // where the run goes on once it closes.
  std::int32_t goeson = 0;
  double background = 0.0;
  plat::FixedText<96> helpfile;

  wdwrec() = default;
  wdwrec(const wdwrec&) = delete;
  wdwrec& operator=(const wdwrec&) = delete;
  ~wdwrec();
};

inline wdwrec* wdwhead = nullptr;
inline wdwrec* wdwtail = nullptr;
inline wdwrec* wdwcur = nullptr;
inline wdwrec* wdwprev = nullptr;    // predecessor of the record FINDWINDOW selected last
inline wdwrec* wdwcycled = nullptr;  // the record NEXTWINDOW brought to the front last
// True (-1) while KILLWINDOW runs: the list is then left alone.
inline std::int32_t inkill = 0;
// The current control record of the window being worked on (0: none).
inline ctlrec* ctlcur = nullptr;

// What the list reaches of the IDE, filled by it at start-up; an empty
// entry does nothing.
struct WindowCalls {
  // Closes the window (mode bit 0: through the toolkit; 0: it is gone) and
  // frees its record; afterwards its owner's record is current.
  void (*KILLWINDOW)(win::HWND handle, std::int32_t mode) = nullptr;
};
inline WindowCalls windowcalls;
// Frees the panel records of a record that goes (filled by the script
// windows at start-up; none: a record has no panels).
inline void (*freepanels)(wdwrec& record) = nullptr;
void KILLWINDOW(win::HWND handle, std::int32_t mode);
// True while the record is in the list (not freed).
bool listed(const wdwrec* record);

// Makes `wdwcur` a record for a window about to be made, or reuses one:
// status 0 a new record was appended, 1000 an existing one reused. `items`
// is the number of items of the dialog being built (0: none), which the
// new record's item array gets, with `fontslot` as its font slot.
void NEWWINDOW(std::int32_t& status, win::HWND handle, std::int32_t items = 0,
               std::int32_t fontslot = 0);
// Makes the record of the handle (or of its parent) current; none for 0.
void FINDWINDOW(win::HWND handle);
// Brings the next window of the list to the front and makes it current.
void NEXTWINDOW();
// Stores a dialog window's position, in character cells of the given size,
// into its X and Y variables.
void GETSAVEWINXY(const win::RECT& rect, std::int32_t kindbits, std::int32_t cellwidth,
                  std::int32_t cellheight);
// Stores the value into a window's variable (the index of its value cell;
// nothing for 0 or less).
void setwindowvar(std::int32_t cell, double value);

// True when the handle is the main window's.
bool ismainwindow(win::HWND handle);
// The main window's handle (null while there is none).
win::HWND mainwindow();

// Frees the record's control records.
void freecontrols(wdwrec& record);
// Unlinks and frees a record whose window was never made (a dialog whose
// build failed); the head becomes current. Nothing for a record with a
// window, or one not in the list.
void dropunmade(wdwrec* record);

// The record of the window of this handle (not of its parent); null when
// none has it, as after its window closed.
wdwrec* windowrecord(win::HWND handle);
// A script's table dialog that the run waits for is open.
bool awaitedopen();

// Lives while a change procedure of a window's dialog runs. A window closed
// meanwhile (its user closing it behind a box the procedure shows) keeps
// its item array, which the procedure and the dialog code that called it
// still read, until the next procedure begins with none running.
class ItemsHeld {
 public:
  ItemsHeld();
  ~ItemsHeld();
  ItemsHeld(const ItemsHeld&) = delete;
  ItemsHeld& operator=(const ItemsHeld&) = delete;
};

// Frees every record. For tests and the end of the program.
void reset_windowlist();

}  // namespace exec
