// The stroke font of the pen-plotter primitives: plot symbols 1 to 17 and
// the printable characters 33 to 125 on a grid 5 units wide (x 0 to 4) and
// 8 high (y 0 to 7), kept as readable stroke lists and packed once into
// 16-bit words of five 3-bit values (most significant first) that UQCHAS
// delivers one by one.
//
// Values within a glyph: 0 to 4 begin a point (x, then the next value is
// y); 5 is a filler, except as the glyph's first value, where the next
// value is its width (4 when absent); 6 lifts the pen; 7 shifts the glyph
// origin by the shift entry the next value names.
#pragma once

#include <array>
#include <cstdint>

#include "platform/indexed.h"

namespace plot {

inline constexpr std::int32_t highestglyph = 125;

// Shift entries 0 to 7 in character units, x then y.
inline constexpr std::array<std::array<float, 2>, 8> glyphshifts{{{0.0F, -3.0F},
                                                                  {0.0F, 3.0F},
                                                                  {-3.0F, 0.0F},
                                                                  {3.0F, 0.0F},
                                                                  {0.0F, -0.5F},
                                                                  {0.0F, 0.5F},
                                                                  {-0.5F, 0.0F},
                                                                  {0.5F, 0.0F}}};

struct StrokeFont {
  // Per code 1..125: first word x 16 + number of words (0: no strokes).
  plat::Store1<std::uint16_t> index;
  // The stroke words, numbered from 1.
  plat::Store1<std::uint16_t> words;
};
const StrokeFont& strokefont();

// UQCHAS's state: value position (1..5 within the unpacked word), word
// position, last word, the unpacked values.
struct GlyphReader {
  std::int32_t valuepos = 6;
  std::int32_t wordpos = 0;
  std::int32_t lastword = -1;
  std::array<std::int32_t, 5> values{};
};
// A reader at the start of the glyph of the code (no values for a code
// without strokes or outside 1..125).
GlyphReader glyphreader(std::int32_t code);
// Delivers the next value; 1 when there are no more, else 0.
std::int32_t UQCHAS(GlyphReader& r, std::int32_t& value);

}  // namespace plot
