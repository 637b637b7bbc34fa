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
// The rotation slots 5 and 7 start with. No statement chose it: the font
// options of a statement start such a slot, while it has no font yet, at
// 0 (plot/fonthelpers.h), so that the texts of plots, panels and printing
// stand upright unless a statement asks for a rotation.
inline constexpr float startrotation = 90.0F;
// The slots with their built-in values: 9-point weight-400 "Arial" in
// slots 1, 3 and 5, "Fixedsys" in the others, slots 5 and 7 at the start
// rotation.
plat::Store1<FontSlot> initialfontslots();
inline plat::Store1<FontSlot> fontslots = initialfontslots();
inline std::int32_t ifontslot = 1;
// The cell height of the graphics font (slot 5), set whenever it is made
// anew; a symbol character written with it is centred on half of it.
inline std::int32_t graphicstextheight = 16;

// What SETFONT found changed (`lastfontchange`, 0 nothing): the sum of
// these.
namespace setfontchange {
inline constexpr std::int32_t face = 1;
inline constexpr std::int32_t points = 2;
inline constexpr std::int32_t rotation = 4;
inline constexpr std::int32_t underline = 8;
inline constexpr std::int32_t weight = 16;
inline constexpr std::int32_t italic = 32;
}  // namespace setfontchange
inline std::int32_t lastfontchange = 0;

// The built-in values again; the fonts made before are not deleted (the
// caller's matter).
void reset_fontslots();

// Gives the slot the face, points, rotation, underline, weight and italic
// (a blank face and points of 0 or less count as a change but keep the
// slot's own) and makes its font anew when any of them changed or it has
// none. The printer's slot 7, and slot 5 while a print job draws, are
// made on the printer page with the slot's rotation and measured there;
// the others by the IDE's font-slot service (plot/upcalls.h), upright:
// the plot layer turns texts through slot 9, slot 5's face at 90 degrees,
// made anew with slot 5. A new editor font (slot 2) sets the main window's
// rows and columns, clears it and asks for a full redraw.
void SETFONT(std::int32_t slot, std::string_view face, std::int32_t points, float rotation,
             std::int32_t underline, std::int32_t weight, std::int32_t italic);

}  // namespace plot
