// Making the font of a font slot: optionally chosen by the user in the font
// dialog, created for the screen (for slot 7 the shared bitmap target), and
// measured into the slot's character cell; and two text-measuring helpers.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_gdi.h"
#include "toolkit/draw_target.h"

namespace ide {

// The bitmap drawing target of slot 7 (printing draws through it).
inline toolkit::draw_target_t slot7target;

// ask bit 0: show the font dialog first (extra flags join its flags); a
// cancelled dialog changes nothing. status is 0 on return.
void CHOOSEFONTSLOT(std::int32_t ask, std::int32_t slot, std::int32_t flags, std::int32_t& status);
// The text metrics of the font selected in the device into the slot's cell
// height and width ("WIN_APIs|Cannot Get Text Metrics" when they cannot be
// read; the cell stays).
void GETFONTMETRICS(win::HDC dc, std::int32_t slot);
// Width and height in pixels of the text in the device's font.
void TEXTEXTENT(win::HDC dc, std::string_view text, std::int32_t size[2]);

// Installs CHOOSEFONTSLOT as the plot fonts' way to make a slot's font, and
// the window refresh and tabbed measuring the plot layer and EDIT use.
void install_fontslots();

}  // namespace ide
