// Whole formats of the classic formatted transfer over one record: a
// descriptor list, optionally in parentheses, of the fixed-field
// descriptors (platform/fixedfield.h), nX (n blanks, or n characters passed
// over), literals in apostrophes or double quotes (a doubled quote stands
// for one), "/" (the end of the record), r(...) groups nested at most 8
// deep (the format's own parentheses count), and repeat counts. Blanks
// between the parts are ignored.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace plat {

// Statuses of the walkers.
inline constexpr int stdfmt_ok = 0;
inline constexpr int stdfmt_bad = 1;        // syntax, or a descriptor that does not take the item
inline constexpr int stdfmt_record = 2;     // "/" met, or items left when the format ended
inline constexpr int stdfmt_malformed = 3;  // a field does not read under its descriptor
inline constexpr int stdfmt_overflow = 4;   // a field reads beyond the item's range

// One item of a transfer.
struct StdItem {
  enum class Kind {
    integer,  // i
    real,     // r
    number,   // r, which I, B, O and Z take rounded half away from zero to a
              // 32-bit integer (asterisks beyond it) and L as true when not 0
    logical,  // l
    text,     // text when written, into out when read
  } kind = Kind::real;
  std::int64_t i = 0;
  double r = 0.0;
  bool l = false;
  std::string_view text;
  std::span<char> out;
};

// Writes the items through the format, appending to out. Writing stops at
// the first data descriptor that finds no item left.
int std_write(std::string_view format, std::span<const StdItem> items, std::string& out);

// Reads the items out of the record (a record shorter than a field counts
// as blank padded). Reading stops at the first data descriptor that finds
// no item left. On a failure the items before the failing one are read.
int std_read(std::string_view format, std::string_view record, std::span<StdItem> items);

}  // namespace plat
