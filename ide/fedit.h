// The script editor in the main window: one script line per text row, the
// line under the cursor edited in place through the line input, the other
// rows drawn from the edit buffer. Each call does what the latest input
// event asks and returns, either waiting for the next event (`waitinput`
// set) or leaving with a reason for the command handler (`edmode` 11 a line
// or a paste handed over, 14 a run requested; `edexit` and the key for a key
// the editor does not handle; a second Escape).
//
// The command handler passes its line buffer (256 characters) and its key
// word: the buffer receives a line handed over, the key word is the line
// input's column and action word and receives the scan code of the key the
// editor acted on (`edkey` and `edlinebuf` are those two words).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace ide {

// Starts the editor anew (after a run, a compile, an options command).
void FEDIT(std::span<char> text, std::int32_t& key);
// Goes on with the next input event.
void FEDITRESUME(std::span<char> text, std::int32_t& key);

// Puts the line being typed into the text as it stands (before a save),
// without ending the line input, and compiles it into its statement as
// leaving the line does.
void FEDITKEEPLINE();

// Puts the cursor on line l (from 1) and shows it as the first line of the
// view, while a run goes on: the rows are drawn anew and the line's row as
// the input row; the editor opens its line input there when it takes
// over. Nothing without a script in the main window, nor while a line the
// user changed is still being typed.
void FEDITSHOWLINE(std::int32_t l);

// Tells that the cursor line is held whole: longer than the line input
// takes, it can only be deleted, cut or copied as a whole.
void REFUSEHELDLINE();

// Draws the script's rows anew while the editor does not (a run goes on):
// after the window was sized its picture is new and blank. The editor
// draws the whole window again when it takes over.
void FEDITREPAINT();

// While a box of a statement being stepped or traced stands (a break on
// a variable), the row of its line is drawn as the cursor row; true when it
// was. Afterwards the row shows its line as the other rows do again (the
// editor goes on with the cursor row where the step or trace left it).
bool MARKSTEPPEDLINE();
void UNMARKSTEPPEDLINE();

// The screen: brings the rows up to date after a change of the view, an
// inserted (`edmode` 6) or deleted (5) line, or for a full redraw, moving
// the backing bitmap where it can; and draws view rows first to last (in
// either order) from the edit buffer, selected lines in class 6 when sel is
// positive.
void SCREENINTERNAL();
void PARTSCREENINTERNAL(std::int32_t first, std::int32_t last, std::int32_t sel);

// Told the pending command and the key record at every entry of the
// editor, before it acts (absent: nothing). For tests.
inline void (*edittap)(std::int32_t command, const std::array<std::uint8_t, 4>& key) = nullptr;

// The editor's words back to their start values. For tests.
void reset_fedit();

}  // namespace ide
