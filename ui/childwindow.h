// Child windows of a script (the WINDOW statement): made, moved, sized,
// renamed, shown, hidden and closed; each keeps a backing bitmap of its
// client area that everything drawn into it goes to and that it paints
// itself from; a title naming an existing non-empty file makes a scrolling
// view of that file. X, Y, Width and Height given as variables stay bound:
// the window writes the user's moves and resizes back into them. A window
// may get a menu bar (Menu), a toolbar (Toolbar), margins, fonts and
// colours; its picture can be saved to a BMP file (SaveAs) or drawn from
// one (LoaD).
#pragma once

#include <cstdint>
#include <string_view>

#include "exec/optdispatch.h"
#include "exec/windowlist.h"
#include "platform/win_window.h"
#include "toolkit/draw_target.h"

namespace ui {

// The WINDOW statement; its result is the handle of the window it acted on.
void CHILDWINDOW(const exec::OptCall& call);

// The changed routine of child windows (also for plots): 0 restored, 1
// minimised, 2 maximised (sized), 0x405 moved, 0x406 got the focus, 0x407
// lost it. Moves and sizes go into the bound variables.
int CHILDCHANGED(win::HWND& window, int& code);
// The paint routine of child windows: the backing bitmap.
void PAINTCHILDWINDOW(toolkit::draw_target_t& target);
// A strip chart's slide in a child window: the window's pixels that show
// the block of its bitmap move by dx, dy as the bitmap's did (plot's
// SCROLLWDW); false when the window does not show them one to one.
bool SCROLLCHILDWINDOW(exec::wdwrec* record, const win::RECT& block, std::int32_t dx,
                       std::int32_t dy);
// Titles the window of the handle in z(cell) (below 1: the main window)
// with the first `length` characters of the title and shows it.
void WINDOWTITLEBAR(std::int32_t cell, std::string_view title, std::int32_t length);

// Sizes and places from the statement's values, in pixels. A value above 1
// counts character cells (`cell` pixels each), one above 0 up to 1 is a
// fraction of the usable extent (at least 0.1 for sizes), 0 or below is
// minus a pixel count.
// Width: 0 takes `fallback` pixels when that is above 0, else 0.5; at most
// the usable width.
std::int32_t widthpixels(double value, std::int32_t fallback, std::int32_t cell,
                         std::int32_t usable);
// Height: as the width (0.25 the fallback's fallback); counted in cells it
// adds the toolbar's height, and a fraction above 0.99 is the usable height
// less `chrome` (the caption and the frames).
std::int32_t heightpixels(double value, std::int32_t fallback, std::int32_t cell,
                          std::int32_t toolheight, std::int32_t usable, std::int32_t chrome);
// A left or top edge, a fraction truncated; kept within 0 and `most`.
std::int32_t edgepixels(double value, std::int32_t cell, std::int32_t usable, std::int32_t most);

}  // namespace ui
