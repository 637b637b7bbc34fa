// Panels of child windows: a block of the script's appendix shown in a
// window in its written form, with fields that show script variables where
// their marks stand and lines drawn between marks. The block's head line
// names its groups: after the block's name, each group is a separator
// character, a kind letter and "=" with either a variable's name (a
// binding group: every separator in the body followed by an index is a
// field showing that element, or that character on of a text) or a number
// (a drawing group: "L" lines between marks of the same column in that
// colour, "D" marks handed to the text writer with the option word
// written after the kind letter). A group with an axis digit before "="
// frames a plot axis (ui/panelaxes.h); its marks add x data and curves
// that a binding group gives their variables (ui/panelcurves.h).
#pragma once

#include <cstdint>

#include "exec/windowlist.h"

namespace ui {

// One field, x data item or curve of a panel, in the order the text
// defines them.
struct panelrec {
  std::int16_t flags = 0;   // panelflag bits; the axis number of an x item or curve
  std::int16_t column = 0;  // character column and line in the panel text, from 1
  std::int16_t line = 0;
  std::int32_t width = 0;       // characters; a history's values; an x vector's length
  std::int16_t background = 0;  // colour numbers: 0 to 31 a palette entry, else RGB
  std::int32_t foreground = 0;  // (a curve: its own colour and its axis's background)
  std::int32_t sym = 0;         // the variable (0: an x item or curve not bound yet)
  std::int32_t index = 0;       // element (arrays, from 1), character (texts), 0 (scalars)
  // A curve's drawing: style word (colour in the low 5 bits), pen width,
  // curve number of the plot engine and symbol size.
  std::int32_t style = 0, pen = 0, curve = 0;
  float size = 0.0F;
  bool ownstyle = false;  // the style written with the curve's mark
  char letter = 0;        // while building: the separator of the group that binds it
  panelrec* next = nullptr;
};

namespace panelflag {
inline constexpr std::int16_t axis = 0x0F;  // 1 to 8
inline constexpr std::int16_t numeric = 0x10;
inline constexpr std::int16_t text = 0x20;
inline constexpr std::int16_t xitem = 0x40;
inline constexpr std::int16_t curve = 0x80;
inline constexpr std::int16_t history = 0x100;  // a curve drawn as snapshots of a vector
}  // namespace panelflag

// The panel of the current window: update 0 builds it from the appendix
// block that `name` names (font: the FONt option's cell, 0 none: a slot
// number there becomes the window's font slot); update
// above 0 rewrites every field whose variable has that cell, in the
// colours of the cells fore and back (0: the field's own); below 0
// redraws every field and curve. Failures stop the run with their key.
void PANEL(std::string_view name, std::int32_t update, std::int32_t back, std::int32_t fore,
           std::int32_t font);
// Frees every panel record of the current window.
void DELETEPANELCTRLS();
// Frees the record's panel records.
void freepanelrecords(exec::wdwrec& record);

}  // namespace ui
