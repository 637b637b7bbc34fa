// The editor's text and its change log, kept together in `c1edit`.
//
// `c1edit` (core/stores.h), positions 1 to `nc1edit` = N:
//   1 .. `c1editend`                 the script text, every line ended by CR LF
//   `c1editend` + 1                  a NUL written before each image is saved
//   .. `c1redolimit` - 1             free room
//   `c1redolimit` .. `c1logtop` - 1  undone records, kept for redo
//   `c1logtop` .. `c1logbase` - 1    done records, newest lowest
//   `c1logbase` .. N - 12            the script's path, 96 characters
//   N - 11, N - 7, N - 3             `c1logbase`, `c1logtop`, `c1redolimit`,
//                                    4 bytes each, least significant first
// A change record of a line of L characters (0 to 255) takes L + 7
// positions from its lowest one B: L, the text, L again, the type ("I" a
// line was inserted, "d" deleted, "r" replaced), the 4-byte position of the
// line's first character. A record holds text exactly while its line is not
// in the text. A line longer than 255 characters is logged as a chain: the
// record of its change holds the first 255, records of the type "+" below
// it (each at the same position) hold the rest in order, and undo and redo
// take the chain as one change; a chain keeps its number of records while
// its text moves in and out, so that each version of the line fits. The
// whole store is the working copy's file image.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/codewords.h"
#include "core/runwords.h"
#include "platform/indexed.h"

namespace core {

// Position of the last character of the script text.
inline std::int32_t c1editend = 0;
// Allocated size of `c1edit`; the free room a read script gets and the
// growth step; the least free room kept between text and log.
inline std::int32_t nc1edit = 0;
inline constexpr std::int32_t nc1editroom = 10000;
inline constexpr std::int32_t c1editmargin = 300;
// Change-log marks: first position above the log, lowest position of the
// newest record that can be undone, lowest position kept for redo.
inline std::int32_t c1logbase = 0;
inline std::int32_t c1logtop = 0;
inline std::int32_t c1redolimit = 0;
// The log base lies this far below the top of the store.
inline constexpr std::int32_t c1edittrailer = 107;
inline constexpr std::int32_t c1edittitle = 96;
// Most characters of one record, and the size of a record around its text.
inline constexpr std::int32_t c1editline = 255;
inline constexpr std::int32_t c1editrecord = 7;

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
// The saved copy of the 25 editor words.
inline plat::Store1<std::int32_t> edvarssaved(25);

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

// Inserts the text as a line at pos (a line start, or `c1editend` + 1): the
// text up to its first CR LF, or all of it, with CR LF. flags bit 0: replace
// the line at pos, logged as one "r" change (also the only line of the
// text); else one empty "I" change. Undone records are dropped. A pos that
// is no line start changes nothing.
void C1EDITINSERT(std::int32_t pos, std::string_view text, std::int32_t flags);
// Deletes the line that starts at pos; the last remaining line stays.
void C1EDITDELETE(std::int32_t pos);
// Undoes (flags bit 0 clear) or redoes the newest change; pos receives the
// position of the changed line (unchanged when nothing was done) and
// `edvars` field 1 the kinds done (0x20 a line went, 0x40 a line came back,
// 0x80 a line was swapped). Undoing an "r" undoes an "I" of the same line
// directly older with it, and redoing that "I" redoes the "r" with it: a
// new line typed into is one change. A record naming no line start of the
// text ends the call.
void C1EDITUNDO(std::int32_t& pos, std::int32_t flags);
// Length of the line at pos with its CR LF; a line without one ends with
// the text (0 beyond it).
std::int32_t C1EDITLINELENGTHWITHCRLF(std::int32_t pos);

// Moves the line start bytepos and its number lineno over text (position 1
// is text[0]; n = text.size()) to line target (mode bit 0 clear) or to the
// line that holds position target (bit 0 set). Line mode with target
// 2147483647 stops on the last line. nulends: a NUL right after a CR LF ends
// the text (an image of `c1edit`).
void BYTELINESYNC(std::int32_t& bytepos, std::int32_t& lineno, std::span<const char> text,
                  std::int32_t target, std::int32_t mode, bool nulends = false);

// The 25 editor words to and from j in reverse field order (j(k) is field
// 26 - k), both through the saved copy; JTOVARS keeps bits 0x8 and 0x10 of
// field 21 (run requests of the command line).
void VARSTOJ(std::span<std::int32_t, 25> j);
void JTOVARS(std::span<const std::int32_t, 25> j);

bool undoavailable();
bool redoavailable();

// A line came into or went out of the text that reaches the code of other
// lines (a declaration, a subprogram's start, END, any line before a
// declaration, or a line whose label another line carries too): the
// program is compiled
// from the text before it runs again. A whole-script compile clears it.
inline bool programstale = false;
// The statements whose lines reach the code of other lines.
inline constexpr std::array<std::int16_t, 8> scopestatements{
    stmtcode("DIMENSION"), stmtcode("DATA"), stmtcode("SUBROUTINE"), stmtcode("FUNCTION"),
    stmtcode("CHARACTER"), stmtcode("USE"),  stmtcode("REAL"),       stmtcode("END")};
// The declarations: whether one is taken depends on the lines before it.
inline constexpr std::array<std::int16_t, 5> declarationstatements{
    stmtcode("DIMENSION"), stmtcode("DATA"), stmtcode("CHARACTER"), stmtcode("USE"),
    stmtcode("REAL")};
// Whether the line's statement (after its label) is one of them.
bool reachesotherlines(std::string_view line);

// The save point: the number of done changes when the text was last read
// or saved (-1: that text can no longer come back by undo or redo). The
// log outlives a save; the text is modified while the done changes are
// not those of the save point.
inline std::int32_t c1savedepth = 0;
std::int32_t donechanges();
void c1editsaved();
bool c1editmodified();
// Empties the log (changes given up): the text as it stands is the saved one.
void c1editforget();

// Writes the NUL after the text and the three marks into the trailer, so
// that the store is a complete image.
void sealc1edit();
// True while at least `c1editmargin` positions lie between text and log.
bool c1editroomy();
// Grows the store by `nc1editroom`: text and NUL stay, log and trailer move
// to the new top, the room between becomes blank, the marks follow.
void growc1edit();

// Lays a script's text out in a fresh store as it is read from its file:
// lines ended by LF alone get their CR, a missing last line end is added,
// every line stays whole (the compiler reports one that is too long); N is
// the text's length (before that last line end) plus `nc1editroom`; an
// empty log; the title (the script's path) in the trailer; the line reader
// rewound. Applies the memory header.
void loadeditbuffer(std::string_view text, std::string_view title = {});

// How a working copy's image was taken.
enum class Restore { restored, damaged, tooshort };
// Takes a working copy's image as the store: text, log and marks as they
// were saved. An image shorter than 16 bytes is refused (tooshort, nothing
// allocated). One whose text, marks or records do not hold together keeps
// its text, as a script just read with an empty log (damaged).
Restore loadworkcopy(std::string_view image);

// The memory header: items "Floats", "Chars", "Program", "Stack", "Names"
// = number in the last two lines of the text set `nz`, `nc1namen`,
// `nxeqbuf`, `nadrs`, `nname` (rounded; values not positive or beyond the
// store's limit are ignored) and their `memhdrbits`.
void applymemoryheader();

// The 96-character title kept in the trailer.
std::string trailertitle();

// Frees the edit buffer and puts the editor words back to their start values.
void reset_editbuffer();

}  // namespace core
