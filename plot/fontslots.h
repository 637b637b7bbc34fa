// The nine font slots that all text of the IDE, of script windows, plots
// and printing is drawn in, and the slot of the current operation. Slot 2
// is the editor's font, 3 the status bar's and tooltip's, 4 editor-style
// text windows', 5 graphics windows', 7 the printer's.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fixed_text.h"
#include "platform/indexed.h"
#include "platform/win_gdi.h"

namespace plot {

struct FontSlot {
  std::int16_t cellheight = 16;  // character cell in pixels
  std::int16_t cellwidth = 8;
  float angle = 0.0F;
  std::int32_t italic = 0;
  std::int32_t underline = 0;
  win::HGDIOBJ previous = nullptr;  // the object the slot's font replaced
  std::int32_t weight = 400;
  std::uint32_t colour = 0;
  std::int32_t points = 9;
  win::HFONT font = nullptr;
  plat::FixedText<32> face;
};

inline constexpr int nfontslots = 9;
// The slots with their built-in values: 9-point weight-400 "Arial" in
// slots 1, 3 and 5, "Fixedsys" in the others, slots 5 and 7 turned by 90
// degrees.
plat::Store1<FontSlot> initialfontslots();
inline plat::Store1<FontSlot> fontslots = initialfontslots();
inline std::int32_t ifontslot = 1;

// The built-in values again; the fonts made before are not deleted (the
// caller's matter).
void reset_fontslots();

// Makes the font of the slot for the screen from the face, points,
// underline, weight and italic given (the rotation is not used yet; a
// blank face and points of 0 or less keep the slot's own): until the plot
// fonts come, the slot is filled and the IDE's font-slot service
// (plot/upcalls.h) creates it.
void SETFONT(std::int32_t slot, std::string_view face, std::int32_t points, float rotation,
             std::int32_t underline, std::int32_t weight, std::int32_t italic);

}  // namespace plot
