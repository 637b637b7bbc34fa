#include "exec/windowwords.h"

#include "exec/builtins.h"
#include "toolkit/services.h"

namespace exec {

namespace {

// Text and background colour numbers of the classes 1 to 17.
constexpr std::int32_t colourpairs[34] = {0,  11, 0,  15, 8,  14, 0, 15, 0,  14, 15, 1,
                                          0,  11, 0,  15, 15, 0,  0, 15, 1,  14, 15, 0,
                                          14, 12, 12, 15, 8,  15, 9, 15, 14, 0};
// The palette, entries 0 to 31 (0x00BBGGRR).
constexpr std::uint32_t palette[32] = {
    0x010101, 0xA00000, 0x00A000, 0xA0A000, 0x0000E0, 0xA000A0, 0x1FE0E0, 0xE0E0E0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
    0xA0A0A0, 0xFFC0C0, 0xC0FFC0, 0xFFFFC0, 0xC0C0FF, 0xFFC0FF, 0xA0FFFF, 0xF0F0F0,
    0xC0C0C0, 0xFFC0C0, 0xC0FFC0, 0xFFFFC0, 0xC0C0FF, 0xFFC0FF, 0xC0FFFF, 0xF0FBFF};

}  // namespace

std::uint32_t colour(std::int32_t number) {
  if (number >= 0 && number <= 31) return rgbtab(number);
  return static_cast<std::uint32_t>(number);
}

void initialcolours() {
  for (std::int32_t i = 1; i <= 34; ++i) colnum(i) = colourpairs[i - 1];
  for (std::int32_t i = 0; i < 32; ++i) rgbtab(i) = palette[i];
  txtcolors = {colour(colnum(7)), colour(colnum(8))};
}

void readsysmetrics() {
  // SM_CXSCREEN, SM_CYSCREEN, SM_CXFRAME, SM_CXVSCROLL, SM_CYHSCROLL,
  // SM_CYFRAME, SM_CYCAPTION, SM_CYMENU.
  constexpr int indices[8] = {0, 1, 32, 2, 3, 33, 4, 15};
  int ups = 0;
  for (int i = 1; i <= 8; ++i) sysmetrics(i) = toolkit::GET_SYSTEM_METRICS(indices[i - 1], &ups);
}

}  // namespace exec
