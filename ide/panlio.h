// The input step and the one-line input field. One routine with four
// entries over one set of state words: PANLIOSTEP keeps the interface alive
// between two statements of a run (and for every built-in that waits),
// PANLIO opens or refreshes a field on a text row of the current window,
// PANLIOKEY applies the pending key or mouse event to it, PANLIOCURSOR
// tells where its cursor stands.
//
// A field's text is the caller's: column 1 holds its mode digit (0 key
// only, 1 cursor and deletion keys, 2 display only, 3 and 4 line editing,
// 5 line editing of a number), the editable part runs from column 2 to the
// text's end. Cursor positions count the text characters in front of the
// cursor: before column 2 is position 1.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/fixed_text.h"

namespace ide {

// The state of the current field.
struct PanField {
  std::int32_t fieldmode = -1;    // 0 to 5; -1 while the step runs
  std::int32_t cursorcol = 0;     // characters before the cursor
  std::int32_t fieldstart = 2;    // first editable column
  std::int32_t width = 0;         // the text's length - 2
  std::int16_t lastcol = 0;       // fieldstart + width
  std::int32_t leftcol = 1;       // window text column where column 2 is drawn
  std::int32_t screenrow = 0;     // window text row of the field
  std::int16_t firstshown = 2;    // first visible text column
  std::int16_t visiblewidth = 0;  // columns the window shows of the field
  std::int16_t lastshown = 0;     // last visible text column
  std::int16_t prevcursor = 0;    // cursor after the last event (selection anchor)
  std::int32_t selecting = 0;     // -1 while Shift extends an in-line selection
  std::int16_t savedclass = 0;    // text class at the field's start
  bool heldwhole = false;         // the head of a longer line: shown, never changed
};
inline PanField panfield;

// "INS" or "OVR", and the text class of the cell under the cursor (13 in
// insert, 9 in overwrite state).
inline plat::FixedText<3> insmode{"INS"};
inline std::int32_t caretclass = 13;
// A character the run waits for: every key is swallowed until it comes
// (blank: none).
inline char awaitchar = ' ';
// The typing assistant's state (-1 idle).
inline std::int32_t assiststate = -1;

// The step between statements: pumps the queue when something came in
// (and, with timers running or a display to poll, every few milliseconds,
// counted without a clock read per call), watches the break variable, and
// hands a key that came in to the run (`core::keystate`, `core::keykept`).
void PANLIOSTEP();

// Opens a field on window text row `row` (> 0) or refreshes the current
// one with the text (row <= 0). key < 0 puts the cursor at position
// min(width, -key); changed is 0 on return.
void PANLIO(std::span<char> text, std::int32_t row, std::int32_t& key, std::int32_t& changed);
// Applies the key or mouse event pending in `core::keyrec` to the field;
// key receives the key's scan code, changed -1 after a change of the text.
void PANLIOKEY(std::span<char> text, std::int32_t row, std::int32_t& key, std::int32_t& changed);
void PANLIOCURSOR(std::int32_t& column);

// Makes PANLIOSTEP the executor's input step.
void install_inputstep();
// The state words back to their start values. For tests.
void reset_panlio();

}  // namespace ide
