// The editor's text as the compiler reads it, and the editor words that the
// compiler reads and writes.
//
// `c1edit` (core/stores.h) holds the script text from position 1 up to
// `c1editend`, every line ended by CR LF; the change log grows from the top
// down below a 107-character trailer (the script's path, then the log base,
// the log top and the redo limit as 4-byte integers, least significant byte
// first). The line reader `edline` steps over the text with FEDNXT.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/runwords.h"
#include "platform/indexed.h"

namespace core {

// Position of the last character of the script text.
inline std::int32_t c1editend = 0;
// Allocated size of `c1edit` and the free room a loaded script gets.
inline std::int32_t nc1edit = 0;
inline constexpr std::int32_t nc1editroom = 10000;
// Change-log marks: first position above the log, lowest position of the
// newest record that can be undone, lowest position kept for redo.
inline std::int32_t c1logbase = 0;
inline std::int32_t c1logtop = 0;
inline std::int32_t c1redolimit = 0;
// Size of the trailer at the top of `c1edit`.
inline constexpr std::int32_t c1edittrailer = 107;

// The line reader: its line number and the position of the line's first
// character (0, 0 = before the first line).
struct EditLine {
  std::int32_t line = 0;
  std::int32_t pos = 0;
};
inline EditLine edline;

// Further editor words.
inline std::int32_t pastelen = 0;  // trimmed length of pasted text; after a paste minus its lines
inline std::int32_t edcompileonly = 0;  // bit 1: splice a changed line, do not run it
inline std::int32_t memhdrbits = 0;     // stores named by the memory header: z 1, c1namen 2,
                                        // xeqbuf 4, adrs 8, name 0x10

// Moves the line reader to line lineno (absent: the next line; below 1:
// before the first line) and, when line is given, copies that line from
// column col (absent: 1) up to its CR LF into it, blank padded. Stepping
// past the last line stays on the last line.
void FEDNXT(std::span<char>* line, const std::int32_t* lineno = nullptr,
            const std::int16_t* col = nullptr);

// Length of the line reader's current line up to its CR LF, without
// trailing blanks (0 before the first line).
std::int32_t edlinelength();

// The text of line lineno up to its CR LF, without trailing blanks; the
// line reader stays where it is. Empty when the script has no such line.
std::string linetext(std::int32_t lineno);

// Inserts the text as a line at pos (a line start or `c1editend` + 1); the
// text's first CR LF ends the line, a text without one is taken whole (and
// gets no line end). Logs an "I" record. flags bit 1 (replace) is left to
// the editor.
void C1EDITINSERT(std::int32_t pos, std::string_view text, std::int32_t flags);

// Lays the script text out in a fresh `c1edit`: the lines (a missing last
// CR LF, or the LF after a last bare CR, is added), free room of
// `nc1editroom`, an empty log and the trailer; sets `c1editend`, `nedlines`
// and rewinds the line reader.
void loadeditbuffer(std::string_view text);

// Frees the edit buffer and puts the editor words back to their start values.
void reset_editbuffer();

}  // namespace core
