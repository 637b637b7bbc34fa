// The tooltip window: a small bordered pop-up that shows a text just below
// the cursor of the editor's input line, for the typing assistant's hints;
// a text wider than the editor is wrapped into rows, and the window stands
// inside the editor (above the line when there is no room below it). It
// never keeps the keyboard focus: every call gives the main window the
// foreground again. The text is drawn once into the window's own bitmap;
// painting copies that bitmap.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win_window.h"

namespace ide {

inline win::HWND tipwnd = nullptr;
inline win::HBITMAP tipbitmap = nullptr;
// 1 shown, 0 hidden, -1 destroyed or never made.
inline std::int32_t tipstate = -1;
// Cell height of font slot 3 that the window and bitmap were made for.
inline std::int32_t tipcellh = 0;

// Shows the text (trailing blanks dropped) below the input line's cursor,
// wrapped to the room right of it or to the editor's width;
// an all-blank text hides the window. Made anew when it has gone or the
// font of slot 3 has changed.
// With `clearofcode` (a tip of a line that is not being typed: a value, a
// word's kind) it stands where it hides no code of the rows it covers:
// below its line, above it, or on its row right of its text.
void TOOLTIP(std::string_view text, bool clearofcode = false);
// Destroys the window and its bitmap (nothing when there is none).
void KILLTOOLTIPWINDOW();
// Takes a shown tooltip off the screen, the window kept for the next hint
// and the focus left where it is: its line was left, a window came over
// the editor, or a step or run begins.
void HIDETOOLTIP();

// The window column of the input line's cursor cell.
std::int32_t cursorcell();

}  // namespace ide
