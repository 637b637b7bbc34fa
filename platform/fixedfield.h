// Fixed-field conversions of the classic formatted transfer: one edit
// descriptor applied to one field, in both directions. Output is right
// aligned in the field and fills the whole field with "*" when the value
// does not fit; on input the blanks of a numeric field are not significant
// (an all-blank field reads as zero). Descriptor letters are taken in
// either case.
//
//   Iw.m  Bw.m  Ow.m  Zw.m   integer in base 10, 2, 8, 16 (m: at least m
//                            digits; w = 0: minimal width)
//   Fw.d                     fixed point with d decimals
//   Ew.d  Ew.dEe  Dw.d       exponent form 0.ddd (e exponent digits)
//   ENw.d  ESw.d             engineering and scientific exponent forms
//   Gw.d                     fixed point or exponent form by magnitude
//   Lw                       logical T or F
//   Aw                       text
//
// The whole-format walker over these is platform/stdformat.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace plat {

struct EditDesc {
  char letter = 0;     // A B D E F G I L O Z, upper case
  char variant = 0;    // 'N' for EN, 'S' for ES, 0 otherwise
  int width = -1;      // -1: none written
  int digits = -1;     // d of D E F G, m of I B O Z; -1: none written
  int expdigits = -1;  // e of Ew.dEe (also EN, ES, D, G); -1: none written
};

// Reads one descriptor (without repeat count) from text at pos (0-based);
// pos moves past it. False when no descriptor of the list above starts
// there (blanks between its parts are allowed).
bool parse_edit_desc(std::string_view text, std::size_t& pos, EditDesc& d);

// Conversion statuses.
inline constexpr int field_ok = 0;
inline constexpr int field_unsuited = 1;   // the descriptor does not take this kind of item
inline constexpr int field_malformed = 3;  // the field does not read under the descriptor
inline constexpr int field_overflow = 4;   // the field reads beyond the item's range

// Output. Each returns the field: width characters, or the minimal form
// when the width is 0 (or, for A, not written). status (optional) is set to
// field_unsuited when the descriptor does not take the item (the text is
// then empty).
//
// An integer item: I, B, O, Z; G as I. B, O and Z write the bit pattern of
// the lowest `bits` bits (64 or 32).
std::string put_integer(std::int64_t v, const EditDesc& d, int bits = 64, int* status = nullptr);
// A real item: F, E, D, G (EN, ES). Not a number and infinity show "NaN",
// "Inf", "-Inf". E, D and G need decimals (F as well when it has a width).
std::string put_real(double v, const EditDesc& d, int* status = nullptr);
// A logical item: L (G as L).
std::string put_logical(bool v, const EditDesc& d, int* status = nullptr);
// A text item: A (G as A). Aw of a longer text takes its first w
// characters; of a shorter one, right aligned.
std::string put_text(std::string_view s, const EditDesc& d, int* status = nullptr);

// Input from the whole field.
// I (G), B, O, Z: an optionally signed integer (B, O, Z unsigned, their
// bits taken as a 64-bit pattern).
int get_integer(std::string_view field, const EditDesc& d, std::int64_t& v);
// F, E, D, G: a real; without a point the last d digits are decimals.
// "NaN", "Inf" and "Infinity" (any case, optionally signed) are read too.
int get_real(std::string_view field, const EditDesc& d, double& v);
// L: blanks, an optional ".", then T or F (either case); the rest is not
// read.
int get_logical(std::string_view field, bool& v);
// A: a field at least as long as the target gives its rightmost
// characters; a shorter one is left aligned and blank padded.
void get_text(std::string_view field, std::span<char> target);

}  // namespace plat
