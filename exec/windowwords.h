// Words of the screen and of the main window that every window layer reads:
// the screen metrics read at start-up, the text rows and columns of the
// main window's text area, the colour numbers of the text classes and the
// text colours in force, and the window that a pending close request names.
// The IDE sets them; script windows, dialogs, plots and text output read
// them. Global on purpose, as the interpreter's run words are.
#pragma once

#include <array>
#include <cstdint>

#include "platform/indexed.h"
#include "platform/win_window.h"

namespace exec {

// Screen metrics read at start-up, 1 to 8: screen width and height, frame
// width, vertical scroll-bar width, horizontal scroll-bar height, frame
// height, caption height, menu-bar height.
namespace metric {
inline constexpr int screenwidth = 1;
inline constexpr int screenheight = 2;
inline constexpr int framewidth = 3;
inline constexpr int vscrollwidth = 4;
inline constexpr int hscrollheight = 5;
inline constexpr int frameheight = 6;
inline constexpr int caption = 7;
inline constexpr int menubar = 8;
}  // namespace metric
inline plat::Store1<std::int32_t> sysmetrics(8);

// Text rows and columns of the main window's text area.
inline std::int32_t nrows = 24;
inline std::int32_t ncols = 80;

// Text colour classes 1 to 17: entry 2k-1 the text and 2k the background
// colour number (an index of `rgbtab`) of class k; `txtcolors` the pair in
// force.
inline plat::Store1<std::int32_t> colnum(34);
inline std::array<std::uint32_t, 2> txtcolors{};

// The colour of a colour number 0 to 31 (an entry of `rgbtab`), or an RGB
// value above.
std::uint32_t colour(std::int32_t number);
// Built-in colours of `colnum` and `rgbtab`, and the text colours of class 4.
void initialcolours();

// The rectangle (pixels of the current window's text area) that the text
// writers and the plot layer grow with every drawing and the next window
// refresh repaints and empties.
inline win::RECT updrect{};

// The window of a pending close request (command 21058), and the command
// posted to the main window after a window's record is freed (0 or less:
// 21061; 0 again after posting).
inline win::HWND closehandle = nullptr;
inline std::int32_t closecmd = 0;
// The statement the run goes on at after command 22001 when above 0 (a
// kept table layout runs its table's statement again), in place of the
// jump label in `nomsg`; 0 again once taken.
inline std::int32_t resumestmt = 0;

// Reads the screen metrics of the display in force.
void readsysmetrics();

}  // namespace exec
