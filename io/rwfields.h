// The engine's conversions of one field (io/rwindx.h): what each
// descriptor does with its field and the item, the free-field numbers, the
// "std(" formats and the template elements. Used by the engine only.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "io/formatparse.h"
#include "platform/fixedfield.h"
#include "platform/numedit.h"
#include "platform/shortmoves.h"

namespace io::rwf {

// One call of the engine as the conversions see it.
struct Call {
  std::string_view fmt;  // the format in use
  std::int32_t n = 0;    // its length without trailing blanks
  std::span<char> rec;   // the record (its usable characters)
  std::int32_t ordinal = 1;
  std::span<char> text;  // the text item, empty for a number
  double* num = nullptr;
  bool writing = false;
  bool closing = false;  // the closing pass after the last item of a WRITE
  char* letter = nullptr;
  std::int32_t* tpos = nullptr;
  std::int32_t* fpos = nullptr;
  std::int32_t* irep = nullptr;
  char* status = nullptr;
  FmtDescr d;  // the descriptor in hand
  // The descriptor of the standard format in `fmtwork`, once parsed.
  bool stdknown = false;
  bool stdok = false;
  plat::EditDesc std;
  bool wrapped = false;  // a text was written in lines of its own

  std::int32_t ltext() const { return static_cast<std::int32_t>(rec.size()); }
  bool istext() const { return !text.empty(); }
  void fail(char s) const { *status = s; }
};

// `fmtwork` := "(" the format's characters from..to ")" (cut to its 60).
void setstdformat(Call& c, std::int32_t from, std::int32_t to);

// A "std(" format (in `fmtwork`, "std" removed) applied to the record.
void passthrough(Call& c);
// A number without a field width (F, or the default format).
void freefield(Call& c);
// The field of w characters after text position p (the descriptor's
// standard format is in `fmtwork`).
void convert(Call& c, std::int32_t p, std::int32_t w);

// A field of a common descriptor converted as convert() converts it, from
// its letter as written and its standard format (parsed): a text under A,
// a number under I, or under E, F and G (written: F only). False for any
// other field and for one that fails (the item is then unchanged, the
// field may not be), which convert() then takes.
bool convertcommon(char letter, const plat::EditDesc& std, bool writing, std::span<char> field,
                   std::span<char> text, double& number);
// Its parts by the kind of the letter as written: a text under A (never
// fails), a number under I, a number under E, F or G.
enum class Common : std::uint8_t { none, text, integer, real };
Common commonkind(char letter);
void commontext(bool writing, std::span<char> field, std::span<char> text);
// Replaces the NULs of what was written by ".".
inline void nodots(std::span<char> s) {
  // (Seldom any: looked for first, a short text eight characters at a time.)
  const std::size_t n = s.size();
  if (n == 0) return;
  char* first = nullptr;
  if (n >= 8 && n <= 16) {
    std::uint64_t a = 0, b = 0;
    std::memcpy(&a, s.data(), 8);
    std::memcpy(&b, s.data() + n - 8, 8);
    constexpr std::uint64_t ones = 0x0101010101010101u, highs = 0x8080808080808080u;
    if ((((a - ones) & ~a) | ((b - ones) & ~b)) & highs) first = s.data();
  } else {
    first = static_cast<char*>(std::memchr(s.data(), '\0', n));
  }
  if (first != nullptr) std::replace(first, s.data() + n, '\0', '.');
}
// What commontext writes.
inline void commontextput(std::span<char> field, std::span<char> text) {
  const std::size_t n = std::min(field.size(), text.size());
  plat::copy_short(field.data(), text.data(), n);
  plat::fill_short(field.data() + n, field.size() - n, ' ');
  nodots(field.first(n));
}
bool commonint(const plat::EditDesc& std, bool writing, std::span<char> field, double& number);
bool commonreal(const plat::EditDesc& std, bool writing, std::span<char> field, double& number);
// What commonint and commonreal write.
bool putdecimal(std::span<char> field, std::int64_t v, const plat::EditDesc& e);
inline bool commonintput(const plat::EditDesc& std, std::span<char> field, double number) {
  // The integer part, cut toward zero by the conversion itself (a number
  // below 2^63 and not below -2^63 has its integer part in that range;
  // NaN is neither). Stars fail the field: convert() says so.
  constexpr double two63 = 9223372036854775808.0;
  return number < two63 && number >= -two63 &&
         putdecimal(field, static_cast<std::int64_t>(number), std) && field[0] != '*';
}
inline bool commonrealput(const plat::EditDesc& std, std::span<char> field, double number) {
  return std.letter == 'F' && std.digits >= 0 &&
         static_cast<std::size_t>(std::max(std.width, 0)) == field.size() &&
         plat::edit_fixed_into(number, std.digits, field);
}

// Template mode, the format position negative: one element per call.
// Returns true when the item was served; false when the template is
// spent.
bool templatestep(Call& c);
// The closing pass of a template: the rest of it is copied.
void templateclose(Call& c);

}  // namespace io::rwf
