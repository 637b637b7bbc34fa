// Writing numbers: the writer of a 64-bit real in the shortest readable
// form of a field of at most 23 characters, thousands separators, and the
// writer of a list of values through a user format with optional labels.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/stdformat.h"

namespace core {

// Blanks the whole text, writes value into its first min(length, 23)
// characters, and inserts thousands separators when flag > 0.
void WTSID8(std::span<char> text, double value, std::int32_t flag);

// The writing step alone: the text is blanked and the value written into
// its first min(length, 23) characters. flag is not used.
//
// Forms: fixed point with as many decimals as fit and trailing zeros
// removed ("1.5", "100", "0.0012"), or a mantissa of at most 16 significant
// digits with an exponent ("1.5E20", "-2.5E-7"); asterisks when not even
// the exponent form fits. Special values: "NaN", and "Inf" or "-Inf" (cut to
// the field).
void WTSID8TRIMMED(std::span<char> text, double value, std::int32_t flag);

// WTSID8 over the array; used = its length without trailing blanks within
// the first min(n, 23) characters.
void C1WTSID8(std::span<char> text, double value, std::int32_t flag, std::int32_t& used);

// Inserts c1thousands into an integer written at the left of the text
// ("1234567" becomes "1'234'567"), from the right as far as the text has
// room. Texts other than an optional "-" followed by digits are left as
// they are. used = the length without trailing blanks.
void INSERT1000KOMMAS(std::span<char> text, std::int32_t& used);

// I/O statuses of format_values.
inline constexpr std::int32_t fmt_ok = plat::stdfmt_ok;
inline constexpr std::int32_t fmt_bad = plat::stdfmt_bad;  // syntax, or an unsuited descriptor
inline constexpr std::int32_t fmt_record = plat::stdfmt_record;  // a second record is needed

// Writes values through a standard format into one record (out, grown as
// needed): the descriptors and the syntax of platform/stdformat.h. I, B, O
// and Z take the value rounded half away from zero to a 32-bit integer
// (asterisks beyond that range), L takes it as true when it is not 0, the
// real descriptors take it as it is. Writing stops at the first data
// descriptor that finds no value left. "/" or values left over when the
// format ends would need a second record: status fmt_record, out holding
// what was written.
std::int32_t format_values(std::string_view format, std::span<const double> values,
                           std::string& out);

// Writes the values through the format into text (its size is n), blanks a
// point that stands right before a blank, and replaces the written fields
// from left to right by the labels when the label text is longer than one
// character (separated by a tab, else ";", else blanks). used = the
// output's length without trailing blanks; status = the write's status.
void WRITEFMT(std::span<char> text, std::string_view format, std::string_view labels,
              std::span<const double> values, std::int32_t& used, std::int32_t& status);

}  // namespace core
