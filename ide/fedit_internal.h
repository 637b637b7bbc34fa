// The editor's own words and steps, shared by its files.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace ide::editor {

// Where a pass goes next.
enum class Step {
  fullupdate,   // measure, scroll range, screen, then command step or reload
  command,      // the editor commands
  key,          // the key the line input handed back
  keyaftercol,  // the key step after its column was taken
  writeback,    // the cursor line written back, then what follows it
  move,         // the pending cursor move
  reload,       // the cursor line fetched again, end of the pass
  reload2,      // the end of the pass without fetching
  resume,       // the line input on the cursor line
  leave,        // back to the command handler
  wait,         // the next event
};

// The words of one pass.
inline std::int32_t pendingmove = 0;
inline std::int32_t passscan = 0;      // scan code of the key this pass acts on
inline std::int32_t fieldchanged = 0;  // the line input's change flag
inline std::span<char> handlerbuf;     // the command handler's line buffer
inline std::int32_t* handlerkey = nullptr;
// The line that Enter at its end handed over to be run as a step (0:
// none): the new line below it opens once the step is over, whatever its
// outcome.
inline std::int32_t openafterstep = 0;

// Scan codes the editor acts on.
inline constexpr std::int32_t kEscape = 1, kEnter = 28, kF = 33, kF1 = 59, kHome = 71, kUp = 72,
                              kPageUp = 73, kEnd = 79, kDown = 80, kPageDown = 81, kDelete = 83;
inline constexpr std::int32_t kNewLine = 1000;
// Commands.
inline constexpr std::int32_t cLine = 10101, cCut = 10102, cCopy = 10103, cPaste = 10104,
                              cFind = 10105, cUndo = 10106, cRedo = 10107, cStep = 10201,
                              cTrace = 10202, cRun = 10203;

// The cursor line's text (from column 2 of `edlinebuf`), trimmed, at most
// 253 characters: what is handed to the compiler, which takes a longer
// line from the edit buffer.
std::string linetextofbuf();
// The line as it is written back: the line input's text, trimmed, and the
// rest of a line longer than the input takes.
std::string writtenline();
// Fetches line l into the line input's text (`edlinebuf` from column 2,
// mode digit in column 1), a line longer than it takes in its first
// characters with its rest in `edlinetail`.
void loadinputline(std::int32_t l);
// Whether line l is one of the rows shown.
bool shown(std::int32_t l);
// Position of line l's first character in the edit buffer.
std::int32_t linestart(std::int32_t l);
// The modifier bits of the pass's key.
bool shiftheld();
bool ctrlheld();

// The scroll range and every shown row drawn from the edit buffer.
void measureanddraw_rows();

// The commands (fedit_commands.cpp).
Step find();
Step cutcopy();
Step newline();
Step paste();
Step undoredo();
// Compiles line l as the buffer holds it in place of its statement (the
// cursor line stands on it meanwhile; the line input keeps its text). True
// when the compile left a command for the host.
bool compileheld(std::int32_t l);
// Deletes the selected lines from the last upward (no clipboard).
Step deletelines();

}  // namespace ide::editor
