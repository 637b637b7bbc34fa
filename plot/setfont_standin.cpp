// SETFONT until the plot fonts come: the slot's fields, then the IDE's
// routine makes the font and measures its cell.
#include "plot/fontslots.h"
#include "plot/upcalls.h"

#include <string>

namespace plot {

plat::Store1<FontSlot> initialfontslots() {
  plat::Store1<FontSlot> slots(nfontslots);
  for (std::int32_t s = 1; s <= nfontslots; ++s)
    slots(s).face.set(s == 1 || s == 3 || s == 5 ? "Arial" : "Fixedsys");
  slots(5).angle = 90.0F;
  slots(7).angle = 90.0F;
  return slots;
}

void reset_fontslots() {
  fontslots = initialfontslots();
  ifontslot = 1;
}

void SETFONT(std::int32_t slot, std::string_view face, std::int32_t points, float,
             std::int32_t underline, std::int32_t weight, std::int32_t italic) {
  if (!fontslots.valid(slot)) return;
  FontSlot& f = fontslots(slot);
  // A blank face and points of 0 or less keep the slot's own.
  if (face.find_first_not_of(' ') != std::string_view::npos)
    f.face.set(std::string(face));  // the face may be the slot's own
  if (points > 0) f.points = points;
  f.underline = underline;
  f.weight = weight;
  f.italic = italic;
  std::int32_t status = 0;
  if (upcalls.CHOOSEFONTSLOT == nullptr) return upcallmissing();
  upcalls.CHOOSEFONTSLOT(0, slot, 0, status);
}

}  // namespace plot
