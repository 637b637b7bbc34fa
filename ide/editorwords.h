// The script editor's words: the fields of `core::edvars` it works on under
// their own names, and its further state, shared by the editor, its screen,
// the line input and the text writers. Global on purpose, as the
// interpreter's run words are.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/editbuffer.h"
#include "core/runwords.h"
#include "ide/m2.h"
#include "platform/fixed_text.h"

namespace ide {

// Fields of `core::edvars`.
inline std::int32_t& edchg = core::edvars[1];       // change flags (1, 0x20, 0x40, 0x80)
inline std::int32_t& edhandline = core::edvars[2];  // the line the command handler takes next
inline std::int32_t& edfield5 = core::edvars[5];    // line bound of the highlight rule
inline std::int32_t& edhiline = core::edvars[8];    // the input line drawn in class 6
inline std::int32_t& edfield10 = core::edvars[10];  // line words of the highlight rule
inline std::int32_t& edfield11 = core::edvars[11];
inline std::int32_t& edloadline = core::edvars[13];   // the line the line input holds
inline std::int32_t& edcurline = core::edvars[14];    // cursor line, from 1
inline std::int32_t& edleftcol = core::edvars[16];    // window column of the script's column 1
inline std::int32_t& edtoprow = core::edvars[17];     // window row of the first shown line
inline std::int32_t& edwidth = core::edvars[18];      // characters written per row
inline std::int32_t& edrowsdef = core::edvars[19];    // rows before the window is measured
inline std::int32_t& edfirstline = core::edvars[20];  // first line shown
inline std::int32_t& edrunflags = core::edvars[21];   // run and editing switches
inline std::int32_t& edexit = core::edvars[23];       // exit code for the command handler

// Run flags the editor reads.
namespace runflag {
inline constexpr std::int32_t trace = 0x1;     // Trace may run line by line
inline constexpr std::int32_t handover = 0x2;  // lines go to the command handler
inline constexpr std::int32_t tracing = 0x10;  // a trace request is under way
inline constexpr std::int32_t handover2 = 0x2000;
}  // namespace runflag

// Further editor state (`edkey`, the column and action word shared with the
// line input, and `edlinebuf`, the cursor line after its mode digit, are
// the command handler's words).
inline std::int32_t edrows = 0;     // text rows shown
inline std::int32_t edcol = 0;      // cursor column of the line input (< 0: place it there)
inline bool edlinechg = false;      // the line input's text was changed
inline std::int32_t edcmd = 0;      // the command of the current pass
inline std::int32_t edselfrom = 0;  // selected lines, either order; 0 none
inline std::int32_t edselto = 0;
inline std::int32_t edselcol1 = 0;  // selected columns of the input line; 0 none
inline std::int32_t edselcol2 = 0;
inline bool edfullpaint = false;        // redraw the whole window
inline bool edcentre = false;           // centre the cursor line, keep the cursor column
inline plat::FixedText<32> edfindtext;  // the search text
// -1 while the editor itself compiles (Undo, Redo): the compile splices the
// line and runs nothing (core's `edcompileonly`).
inline std::int32_t& edcompiling = core::edcompileonly;
inline std::int32_t edmousehold = 0;  // largest mouse code since the last action
inline std::int32_t edselfchg = 0;    // the editor changed the line itself
inline bool edescape = false;         // Escape latch of one editor entry
// What the line input does not hold of a cursor line longer than it takes:
// the line is edited in its first characters, this rest is written back
// after them unchanged. Empty for every other line.
inline std::string edlinetail;
inline bool edunhandled = false;  // the key of this pass was not handled

// The editor's words back to their start values (the `edvars` fields are
// core's). For tests.
void reset_editorwords();

}  // namespace ide
