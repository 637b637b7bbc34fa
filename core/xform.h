// The executor form of a statement: the words that the expression
// translator (TRANS2, core/trans.h) writes and the expression linker (XEQ2,
// exec/xeq2.h) reads. Both sides take every word and rule from here.
//
// Layout of a statement in the executor form (in `tokcod`, later in
// `xeqbuf`, always followed by the end word 0x8000):
//   word 1        -1 (`lead`): marks the executor form
//   word 2        m, the number of prefix words
//   words 3..m+2  the prefix blocks
//   then          the main words in postfix order
// The linker gets the words from word 2 on and never looks at word 2 itself,
// so the prefix blocks are linked first, then the main words.
//
// Prefix blocks. A bracketed argument list with commas is computed before
// the main words: its words move into a prefix block, closed by
//   0x8C00 + n  for the sign, two-argument and MOD brackets (kinds 0x0800,
//               0x1000, 0x2000): n = the comma count; the list's first
//               argument (all its words) stays in the main words,
//               followed by the reference;
//   0x8BFF + k  for a plain bracket (kind 0x0400): all its words move; k =
//               the operands the list produced (one more than its commas).
// Both closing words lie in the family (w AND 0xFC00) = 0x8C00; the linker
// makes each one an argument block of (w AND 0x3FF) + 1.
// A logical IF whose statement has blocks of its own: the gate word 0x8A00
// stands in the prefix after the condition's blocks, before the
// statement's. There the condition (the main words up to the IF) is
// decided first, so that a false one runs none of the statement's blocks;
// a true one runs them, then the main words after the IF.
// The main words refer to a block through 0xA400 + n (n = the comma count
// of the list). Choice: references are matched to blocks by order alone.
// A reference is written when its own block is appended, and an inner
// bracket closes (and appends its block) before the bracket around it, so
// the references in the order they were written name the blocks in order;
// a block holds the references written since its list began that no inner
// block took. The linker finds from that which reference names which
// block (a reference taken into a later block is met before those left in
// the main words).
//
// Priorities: executor words order by their bits 0x7800 (`xprio`): end 0,
// assignment 1, "(" 2, ")" 3, comma 4, ":" 5, relations 7, concatenation 8,
// + - 9, * / 11, power and the LOG to INIT family 12, the one-operand
// functions and the unary plus 13, block words 14, option statements 15.
// Equal priorities group from the left. Bit 0x20 marks a word of two
// operands; the bits 0x6800 without 0x20 a word of one.
//
// Operand marks and closers (choices, since the linker reads only their
// families and the bits 0x30):
//   an array symbol is followed by 0xF040, a text symbol by 0xF340;
//   when "(" follows such a symbol, the mark is taken back and closes the
//   bracket instead: base + 0x10 for one subscript (linked as 5005, or as a
//   single character 0xF350 of a text), base + 0x20 for two subscripts
//   (linked as 5006) and for a text range (0xF360); the base is 0xF040 for
//   an array, 0xF340 for a text and 0xF600 for the file-name value of a
//   file opened as a table (linked as 5008);
//   a bracket after such a symbol that holds nothing is dropped and the
//   symbol keeps its plain mark.
// Ranges: a ":" writes the range word 0xA800 + b after its upper bound, b
// telling which bounds were written: 4 lower, 8 upper (1 and 2 when a comma
// follows the range); an omitted bound is the placeholder operand 0x7FFF.
// Segments: SUM, MAX, MIN, MAXLOC and MINLOC of one whole array, or of a
// range of one (V(1:2), A(2, :)), fold its elements. The argument is
// written between the segment opener (the function word + 0x1F) and the
// closer 0x801E, which is followed by its distance back to the opener (the
// linker skips that word); the function word itself is not written. Of a
// list of arguments (a bracket with commas) the whole list moves into a
// prefix block and the segment folds its elements: opener, reference,
// closer, 2; an argument of the list over whole arrays has a segment of
// its own, with the same function, inside the block (SUM(V, 2) adds all of
// V's elements and 2). A segment that no array, range or list of its own
// gives a count folds the one value of its argument (SUM(MAX(V)) is
// MAX(V), MAXLOC(2 - MIN(V)) is 1).
// Option statements: the statement word counts as the statement's one
// operand; the option markers and values inside its bracket are its own
// and leave the operand count as it was before the bracket.
#pragma once

#include <cstdint>

#include "core/codewords.h"

namespace core::xform {

inline constexpr std::int16_t lead = -1;

// Words of the executor form.
inline constexpr std::int16_t end = cwv(0x8000);
inline constexpr std::int16_t assign = cwv(0x8880);    // "=", with a count in the low 5 bits
inline constexpr std::int16_t exchange = cwv(0x8980);  // "><"
inline constexpr std::int16_t lhsend = cwv(0x8840);    // end of the left side
inline constexpr std::int16_t lparen = cwv(0x9000);
inline constexpr std::int16_t rparen = cwv(0x9800);
inline constexpr std::int16_t comma = cwv(0xA400);
inline constexpr std::int16_t colon = cwv(0xA800);
inline constexpr std::int16_t concat = cwv(0xC020);  // + 0x40 per blank
inline constexpr std::int16_t toplevelcomma = cwv(0xC060);
inline constexpr std::int16_t plus = cwv(0xC820);
inline constexpr std::int16_t minus = cwv(0xC860);
inline constexpr std::int16_t negate = cwv(0xC880);
inline constexpr std::int16_t unaryplus = cwv(0xE800);  // also SUM
inline constexpr std::int16_t mod = cwv(0xE8E0);
inline constexpr std::int16_t labelref = cwv(0xF000);
inline constexpr std::int16_t continueword = cwv(0xF0C0);
inline constexpr std::int16_t ifword = cwv(0xF140);
inline constexpr std::int16_t blockif = cwv(0xF400);
inline constexpr std::int16_t elseword = cwv(0xF440);
inline constexpr std::int16_t elseifword = cwv(0xF480);
inline constexpr std::int16_t endifword = cwv(0xF4C0);
inline constexpr std::int16_t thenword = cwv(0xF500);
inline constexpr std::int16_t optstmt = cwv(0xF800);    // + 0x40 s + option count
inline constexpr std::int16_t optmarker = cwv(0xFE00);  // + keyword number - 1

// A concatenation, with any count of blanks.
constexpr bool isconcat(std::int16_t w) { return (cwu(w) & 0xF83Fu) == cwu(concat); }

// Placeholder operand of an omitted range bound, and the range marks.
inline constexpr std::int16_t nobound = 0x7FFF;
inline constexpr std::int16_t rangedup = cwv(0x8940);
inline constexpr std::int16_t rangedup1 = cwv(0x8941);
// Range word bits: lower and upper bound written, before a comma / at the end.
inline constexpr int rangelow1 = 1, rangeup1 = 2, rangelow = 4, rangeup = 8;
constexpr std::int16_t rangeword(int b) { return cwv(0xA800u + static_cast<unsigned>(b)); }

// Operand marks and the closers made from them.
inline constexpr std::int16_t arraymark = cwv(0xF040);
inline constexpr std::int16_t textmark = cwv(0xF340);
inline constexpr std::int16_t tablemark = cwv(0xF600);
inline constexpr int closeone = 0x10;  // one subscript, one character
inline constexpr int closetwo = 0x20;  // two subscripts, a text range
constexpr bool isclosefamily(std::int16_t w) {
  return (cwu(w) & 0xFFC0u) == 0xF040u || (cwu(w) & 0xFFC0u) == 0xF600u;
}
constexpr bool isselectfamily(std::int16_t w) { return (cwu(w) & 0xFFC0u) == 0xF340u; }

// Segments.
inline constexpr std::int16_t segclose = cwv(0x801E);
constexpr std::int16_t segopen(std::int16_t fn) { return cwv(cwu(fn) + 0x1Fu); }
// The linker knows the segment words by their five low bits alone.
constexpr bool issegopen(std::int16_t w) { return cwcount(w) == 0x1F; }
constexpr bool issegclose(std::int16_t w) { return cwcount(w) == cwcount(segclose); }
constexpr std::int16_t segfunction(std::int16_t opener) { return cwv(cwcode(opener)); }
inline constexpr std::int16_t foldmax = cwv(0xE920);
inline constexpr std::int16_t foldmin = cwv(0xE960);
inline constexpr std::int16_t foldmaxloc = cwv(0xE9E0);
inline constexpr std::int16_t foldminloc = cwv(0xEA20);
constexpr bool isfold(std::int16_t w) {
  return w == unaryplus || w == foldmax || w == foldmin || w == foldmaxloc || w == foldminloc;
}

// Prefix blocks and their references.
constexpr std::int16_t blockend(int commas) { return cwv(0x8C00u + static_cast<unsigned>(commas)); }
constexpr std::int16_t plainend(int operands) {
  return cwv(0x8BFFu + static_cast<unsigned>(operands));
}
constexpr std::int16_t movedargs(int commas) {
  return cwv(0xA400u + static_cast<unsigned>(commas));
}
constexpr bool isblockend(std::int16_t w) { return (cwu(w) & 0xFC00u) == 0x8C00u; }
inline constexpr std::int16_t ifgate = cwv(0x8A00);
// A word that does nothing: it fills the room a statement keeps for its
// words made for other kinds of its formals (core/formalkinds.h).
inline constexpr std::int16_t pad = cwv(0x8A40);
// The first word of a statement that cannot be made for the kinds its
// formals are bound to; the formal follows it.
inline constexpr std::int16_t formalkind = cwv(0x8A60);
constexpr bool ismovedargs(std::int16_t w) { return (cwu(w) & 0xFC00u) == 0xA400u; }
// Size of the argument block that a closing word opens for the linker.
constexpr int blocksize(std::int16_t w) { return static_cast<int>(cwu(w) & 0x3FFu) + 1; }

// Priority of an executor word.
constexpr int xprio(std::int16_t w) { return xcwprio(w); }
// Words of two operands and of one.
constexpr bool istwooperand(std::int16_t w) { return w < 0 && (cwu(w) & 0x20u) != 0; }
constexpr bool isoneoperand(std::int16_t w) {
  return w < 0 && (cwu(w) & 0x20u) == 0 && (cwu(w) & 0x6800u) == 0x6800u;
}

// The single-name statement: a bare array or text name becomes the DLG
// statement with the option NamEedit (keyword 6) for that symbol.
inline constexpr std::int16_t namedit = optmarkerof(6);
inline constexpr std::int16_t dlgstmt = builtincode("DLG");

// The executor code of a compiler word, 0 when it has none. The signs "+"
// and "-" are given their two-operand codes here; the translator makes
// them unary after a two-operand word. The "=" after an option marker is
// dropped by the translator, not here.
constexpr std::int16_t xcode(std::int16_t c) {
  const unsigned u = cwu(c);
  if (c >= 0) return 0;
  if (isoptstmt(c)) return optstmtxcode(optstmtnr(c));
  if (isoptmarker(c)) return cwv(0xFE00u + (u & 0x1FFu));
  if (u > 0xA060u && u < 0xA080u) return cwv(0xC020u + 0x40u * (u - 0xA060u));
  for (const auto& w : codewords) {
    if (w.family == CwFamily::xword || w.family == CwFamily::token) {
      if (w.family == CwFamily::token && w.code == c) return w.xcode;
      continue;
    }
    if (w.code == c) return w.xcode;
  }
  return 0;
}

}  // namespace core::xform
