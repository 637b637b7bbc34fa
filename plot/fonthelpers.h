// The font helpers around the font slots: a font given inside a dialog
// text ("Courier new,P=8,Bold"), the font options of a statement (face,
// points, rotation, underline, bold, italic, style; the font dialog when
// the face asks for a choice), the width of a text in character cells of
// the current slot, and the reading of a size as pixels, a fraction or
// character cells.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fixed_text.h"

namespace plot {

// The title of the font dialog that SETFONTPTROULBOITST may show; callers
// set it ("Choose font", "Choose child window font", ...).
inline plat::FixedText<256> fontdialogtitle{"Choose font"};

// Reads the items of the first n characters of the text (the face before
// the first comma, then "Point=" (or "P="), "Rotate=", "Underline",
// "Bold", "Italic") and makes the slot's font of them. Points absent or 0:
// the slot keeps its size.
void SETFONTPTULBO(std::string_view text, std::int32_t n, std::int32_t slot);

// The font options of a statement as option slots (0 absent, negative
// given without a value, else the index of the value's cell in `z`): FONt
// (a face text, a slot number, or none to ask), PoinT, ROTate, UnderLine,
// BolD, ITalic, STYle. Defines the font of the slot (7 when the current
// window prints) and returns the slot used; 0 when the font dialog was
// cancelled. What the dialog chose goes back into the options' variables.
std::int32_t SETFONTPTROULBOITST(std::int32_t slot, std::int32_t font, std::int32_t points,
                                 std::int32_t rotate, std::int32_t underline, std::int32_t bold,
                                 std::int32_t italic, std::int32_t style);

// The width of the trimmed text in the font of slot `ifontslot`, in
// character cells of that slot (rounded up), and in pixels.
std::int32_t GETTEXTWIDTH(std::string_view text);
std::int32_t GETTEXTPIXELS(std::string_view text);

// A size read three ways: below 0 a count of pixels (the absolute value,
// rounded); 0 to 0.9999999 a fraction of `full` (truncated); above a count
// of units (`unit` pixels each, truncated).
std::int32_t PXLSFROMR8(double value, std::int32_t unit, std::int32_t full);

}  // namespace plot
