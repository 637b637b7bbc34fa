// Symbol table access: the look-up FINDSN with its scope rules and the small
// accessors through which every subsystem reads and writes symbols.
//
// Every name of a script is one record of `name` (core/stores.h); symbol k's
// own value cell is z(k). `nametype` bits:
//   0x1 constant (0x81 number literal, 0x41 text literal)
//   0x2 label            0x4 local subroutine (4 SUBROUTINE, 5 FUNCTION)
//   0x8 temporary (0x48 string, 0x88 number)   0x10 numeric array
//   0x20 dummy argument  0x40 character variable   0x80 numeric scalar
//   0x100 bound to an open script file (address = file unit); 0x141 a text
//         literal written as a file's name, a symbol apart from the same
//         text written elsewhere
//   0x400 search type only: any symbol except text literals
//   0x800 alias view (0x810 numeric, 0x840 character)
// A character symbol's cell holds two 32-bit integers, the first and last
// position of its text in `c1namen`; an array's cell its rows and columns.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "core/stores.h"

namespace core {

// Scope words: the local subroutine being compiled or run (0 = main
// program) and the scope forced for run-time label look-ups (0 = none).
inline std::int32_t lokalsub = 0;
inline std::int32_t lokalscope = 0;
// Number of the statement being executed.
inline std::int32_t xeqline = 0;

// Shared pair through which a character symbol's bounds are unpacked.
struct TextBounds {
  std::int32_t first = 0;
  std::int32_t last = 0;
};
inline TextBounds c1span;

// True when a symbol of the searched type T named text exists in the scope
// that applies; index receives it (0 for the name of the forced local
// subroutine met in a main-program search) and is not written otherwise. A
// record of type exactly 0x20 that is found takes the type T.
bool FINDSN(std::string_view text, std::int32_t& index, std::int32_t type);
// The name of symbol k equals the text (text literals exactly, other names
// with bit 0x20 of every byte cleared).
bool ELMNT_IS_NAMENI(std::string_view text, std::int32_t k);
// The local subroutine that contains the line, 0 when none.
std::int32_t FINDLOKALSUB(std::int32_t line);
// Type bits of symbol k selected by mask (bit 0x1 reported only together
// with another bit; the alias bit 0x800 ignored).
inline std::int32_t NAMTYP(std::int32_t k, std::int32_t mask) {
  std::int32_t t = 0;
  if (k >= 1 && k <= nname && name.valid(k)) t = static_cast<std::int16_t>(name(k).type & ~0x800);
  const std::int32_t r = (mask | 1) & t;
  return r == 1 ? 0 : r;
}
// Position in `z` of the first value of symbol k.
void ADR1FROMSYMBOL(std::int32_t& result, std::int32_t k);
// Stores a value into z(i) where that is allowed: a symbol cell of a
// variable that is no array, text or constant, or a cell of the top block.
void SETZTOR8(std::int32_t i, double value);
// Writes the first n characters of the text into character variable k,
// blank padded or cut to its length.
void STRITOC1NAMEN(std::int32_t k, std::string_view text, std::int32_t n);
// NAMTYP(k, 0x49), with first and last the text bounds (a text literal
// without bounds: its name). 0 and first 0 when k is not character-like.
std::int32_t ISCHAR(std::int32_t k, std::int32_t& first, std::int32_t& last);
// As ISCHAR, but -1 when the cell holds no valid bounds.
std::int32_t ISCHARCHECKED(std::int32_t k, std::int32_t& first, std::int32_t& last);
// Position in `z` of element i (from 0) of symbol k; 0 beyond an array.
std::int32_t IDXINZ(std::int32_t k, std::int32_t i);
// The j-th 32-bit (j = 1, 2) or 16-bit (j = 1 to 4) integer of cell z(i);
// the setters change only that part. Out-of-range arguments read 0 and
// write nothing.
inline std::int32_t I4EQUZ(std::int32_t j, std::int32_t i) {
  if (j < 1 || j > 2 || !z.valid(i)) return 0;
  std::int32_t v[2];
  std::memcpy(v, z.ptr(i), 8);
  return v[j - 1];
}
inline void SETI4EQUZ(std::int32_t j, std::int32_t i, std::int32_t v) {
  if (j < 1 || j > 2 || !z.valid(i)) return;
  std::memcpy(reinterpret_cast<char*>(z.ptr(i)) + 4 * (j - 1), &v, 4);
}
inline std::int16_t I2EQUZ(std::int32_t j, std::int32_t i) {
  if (j < 1 || j > 4 || !z.valid(i)) return 0;
  std::int16_t v[4];
  std::memcpy(v, z.ptr(i), 8);
  return v[j - 1];
}
inline void SETI2EQUZ(std::int32_t j, std::int32_t i, std::int16_t v) {
  if (i < 1 || j < 1 || j > 4 || !z.valid(i)) return;
  std::memcpy(reinterpret_cast<char*>(z.ptr(i)) + 2 * (j - 1), &v, 2);
}

// The name text of symbol k (empty when k has no valid name).
std::string_view symbolname(std::int32_t k);

// A line the compiler refuses leaves the symbol table as it found it.
// While a line is compiled (linebegins), its compile keeps the symbol count,
// the end of the names and the scope words, and every change of an older
// record's kind, scope or chain link is preceded by keeprecord. A refused
// line (linerefused) puts all of that back and drops the symbols it made,
// so that later lines, in whatever order they are compiled, meet only the
// symbols of lines that were taken. Storage the line took in `z` and
// `c1namen` stays taken: an older symbol may have been given a new block.
// lineended stops the keeping (a line taken, or given up).
void linebegins();
void keeprecord(std::int32_t k);
void linerefused();
void lineended();

// Puts the scope words and `c1span` back to their start values.
void reset_symbols();

}  // namespace core
