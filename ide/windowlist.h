// The list of the application's windows: one record for the main editor
// window (always the first) and one for every window, dialog, table or plot
// window a script opens. The way from a window handle that an event carries
// to everything the IDE keeps about that window.
#pragma once

#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/indexed.h"
#include "platform/win_window.h"
#include "toolkit/dialog_item.h"
#include "toolkit/menus.h"
#include "toolkit/toolbar.h"

namespace ui {
struct ctlrec;
struct panelrec;
struct mxrec;
}  // namespace ui

namespace ide {

// Kind bits of a record.
namespace kind {
inline constexpr std::int32_t maximised = 0x1;
inline constexpr std::int32_t minimised = 0x2;
inline constexpr std::int32_t mainwindow = 0xC;
inline constexpr std::int32_t modeless = 0x10;
inline constexpr std::int32_t text = 0x40;
inline constexpr std::int32_t graphics = 0x80;
inline constexpr std::int32_t table = 0x100;
inline constexpr std::int32_t editorstyle = 0x200;
inline constexpr std::int32_t modal = 0x400;
inline constexpr std::int32_t nocycle = 0x800;
inline constexpr std::int32_t awaited = 0x2000;
}  // namespace kind

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
  std::int32_t changedvar = 0;  // number of the control that changed last
  std::int32_t returnvar = 0;   // id of the button that ended a dialog
  std::int32_t dialogword = 0;
  std::int32_t left = 0;  // outer position, screen pixels
  std::int32_t top = 0;
  std::int32_t clientwidth = 0;  // text area, pixels
  std::int32_t clientheight = 0;
  std::int32_t textarea[4] = {};  // left, right, top, bottom offsets and bounds
  std::int32_t printarea[4] = {};
  std::int32_t fontslot = 0;
  std::int32_t printstate = 0;
  std::int32_t printscratch[2] = {};
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
  std::int32_t chgvar = 0;
  float tablescale = 15.0F;
  std::int8_t nowriteback = 0;  // bit 0: bound variables are not written back
  std::int8_t style[2] = {};
  wdwrec* next = nullptr;
  ui::ctlrec* firstcontrol = nullptr;
  plat::Store1<toolkit::dialog_t> dialogitems;
  plat::Store1<toolkit::toolbar_item_t> toolitems;
  plat::Store1<toolkit::menu_item_t> menuitems;
  plat::Store1<toolkit::menu_item_t> popupitems;
  ui::panelrec* firstpanel = nullptr;
  ui::mxrec* firsttable = nullptr;
  std::int32_t tableword = 0;
  plat::FixedText<96> title;
};

inline wdwrec* wdwhead = nullptr;
inline wdwrec* wdwtail = nullptr;
inline wdwrec* wdwcur = nullptr;
inline wdwrec* wdwprev = nullptr;    // predecessor of the record FINDWINDOW selected last
inline wdwrec* wdwcycled = nullptr;  // the record NEXTWINDOW brought to the front last
// True (-1) while KILLWINDOW runs: the list is then left alone.
inline std::int32_t inkill = 0;

// Makes `wdwcur` a record for a window about to be made, or reuses one:
// status 0 a new record was appended, 1000 an existing one reused.
void NEWWINDOW(std::int32_t& status, win::HWND handle);
// Makes the record of the handle (or of its parent) current; none for 0.
void FINDWINDOW(win::HWND handle);
// Brings the next window of the list to the front and makes it current.
void NEXTWINDOW();
// Stores a dialog window's position, in cells of the slot, into its X and
// Y variables.
void GETSAVEWINXY(const win::RECT& rect, std::int32_t kindbits, std::int32_t slot);

// True when the handle is the main window's.
bool ismainwindow(win::HWND handle);

// Frees every record. For tests and the end of the program.
void reset_windowlist();

}  // namespace ide
