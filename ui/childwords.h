// Words of the script's child windows (WINDOW), their menus and popup
// menus (POP) and toolbars, shared by the statement, the callbacks and the
// IDE's event and mouse routines.
//
// A child window's words live in its window record (exec/windowlist.h),
// under the names the window list gives them:
//   kind          the window flags: 1 maximised, 2 minimised, 0x40 text
//                 window, 0x80 graphics window (font slot 5), 0x200 file
//                 view (with 0x40), 0x800 left out of the Ctrl+Tab cycle
//   left, top     the outer rectangle's screen position, pixels
//   textarea      the margins in character cells: left, right, top, bottom
//   printarea     the same margins in pixels
//   textcolour    the text colour (RGB)
//   tablescale    the background colour number (0 to 31.25)
//   printstate    the print flags
//   frameheight   the menu bar's height (0 without a menu)
//   topoffset     the toolbar's height (0 without a toolbar)
//   menuhandler, popuphandler, toolhandler
//                 the subroutines run for a menu, popup or toolbar command
//   menustatevar  the SelTxt variable that receives a chosen item's title
//   toolstatevar  the toolbar's state array (the ToolTypes array)
//   menuitems     the top-level menu items; popupitems all sub-menu items
//   toolitems     the toolbar's entries
// A POP menu lives in the main window's record.
#pragma once

#include <cstdint>
#include <string>

#include "core/messages.h"
#include "exec/windowlist.h"
#include "platform/win_window.h"
#include "toolkit/records.h"

namespace ui {

// Margin indices of `textarea` and `printarea`.
namespace margin {
inline constexpr int left = 0;
inline constexpr int right = 1;
inline constexpr int top = 2;
inline constexpr int bottom = 3;
}  // namespace margin

// Command ids: menu and popup item n sends childmenuid + n, toolbar button
// b sends toolcmdbase + b. The window list takes items up to 1024 and
// buttons up to 100 only.
inline constexpr std::int32_t childmenuid = 31000;
inline constexpr std::int32_t toolcmdbase = 22100;
inline constexpr std::int32_t mostmenuitems = 1024;
inline constexpr std::int32_t mosttoolbuttons = 100;

// The message keys of child windows, menus and toolbars.
namespace childkeys {
inline constexpr auto nomenusub = core::MSGKEY("childNoMenuSub");
inline constexpr auto nomenuitem = core::MSGKEY("childNoMenuItem");
inline constexpr auto noparent = core::MSGKEY("childNoDAD");
inline constexpr auto notoolsub = core::MSGKEY("childNoToolSub");
inline constexpr auto tool = core::MSGKEY("childTool");
inline constexpr auto bitmap = core::MSGKEY("childBitmap");
inline constexpr auto notbuilt = core::MSGKEY("notYetBuilt");
}  // namespace childkeys

// The popup mode of the last POP statement (bit 1: a left press in a window
// opens the popup menu; bit 2: a right press; 0 after a POP that freed the
// menu), and whether a popup menu waits for its command (set by POP, cleared
// when a popup command has been handled).
inline std::int32_t popupmode = 0;
inline std::int32_t popuppending = 0;

// What a child window reaches of the IDE, filled by it at start-up; an
// empty entry leaves that part out.
struct ChildCalls {
  // The mouse routine of the windows (presses, releases, armed popups).
  toolkit::mouse_callback MOUSEPROC = nullptr;
  // The close routine of script windows.
  toolkit::close_callback KILLNONDLGWINDOW = nullptr;
  // Shifts a window's backing bitmap by rows and columns of its font slot,
  // inside the margins (first row and column, rows and columns kept).
  void (*BITMAPACTION)(exec::wdwrec& record, std::int32_t rowshift, std::int32_t colshift,
                       std::int32_t firstrow, std::int32_t firstcol, std::int32_t rowskeep,
                       std::int32_t colskeep) = nullptr;
  // The last mouse position the mouse routine recorded, pixels relative to
  // its window; false when none was recorded.
  bool (*lastmouse)(win::POINT& point) = nullptr;
};
inline ChildCalls childcalls;

// --- Option values --------------------------------------------------------

// The value rounded half away from zero, held within the 32-bit integers
// (0 for a value that is not a number).
std::int32_t nint(double v);
// The text of a character operand (a character variable, a text or a
// string temporary); false for any other operand.
bool operandtext(std::int32_t sym, std::string& out);
// The numbers an operand holds: the cells of a numeric array (its first
// cell and element count), or the cell of a numeric scalar (count 1, not an
// array); count 0 for any other operand.
struct Numbers {
  std::int32_t first = 0;
  std::int32_t count = 0;
  bool array = false;
  double at(std::int32_t i) const;  // element i from 1
};
Numbers numbersof(std::int32_t sym);

// The window words above back to their start values (the calls stay).
void reset_childwords();

}  // namespace ui
