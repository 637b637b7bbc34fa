// PARSE, the built-in INIT: assigns script variables from a pair text.
#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "core/chars.h"
#include "core/namevalue.h"
#include "core/numread.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"

namespace core {

namespace {

constexpr char cr = '\r';
constexpr char lf = '\n';

// The text of the text operand, empty when it has none.
std::string operandtext(std::int32_t op) {
  std::int32_t first = 0, last = 0;
  if (op < 0) {
    if (tempstringbounds == nullptr || !tempstringbounds(-op, first, last)) return {};
  } else {
    ISCHAR(op, first, last);
  }
  if (first <= 0 || last < first || !c1namen.valid(first) || !c1namen.valid(last)) return {};
  // A copy: assigning a variable must not change the text still being read.
  return std::string(c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
}

// The separator of the pairs: the text's first blank, ";", ",", CR or LF;
// empty when it holds none.
std::string separatorof(std::string_view text) {
  const std::size_t i = text.find_first_of(std::string_view(" ;,\r\n", 5));
  return i == std::string_view::npos ? std::string() : std::string(1, text[i]);
}

// The printable name of variable v in capitals, without trailing blanks.
std::string printablename(std::int32_t v) {
  std::array<char, 256> buf{};
  GETNAME(v, buf);
  UPCASE(buf);
  return std::string(buf.data(), static_cast<std::size_t>(C1LEN_TRIM({buf.data(), buf.size()})));
}

// Fills character variable v with the value: an "&" that continues the
// value on the next line is dropped with the line end; blanks pad the rest.
void filltext(std::int32_t v, std::string_view value) {
  std::int32_t first = 0, last = 0;
  ISCHAR(v, first, last);
  if (first <= 0 || last < first || !c1namen.valid(last)) return;
  std::size_t i = 0;
  for (std::int32_t c = first; c <= last; ++c) {
    while (i < value.size() && value[i] == '&' && i + 1 < value.size() && value[i + 1] == cr)
      i += i + 2 < value.size() && value[i + 2] == lf ? 3 : 2;
    c1namen(c) = i < value.size() ? value[i++] : ' ';
  }
}

// Reads the numbers of text from position from on into numeric array v.
void fillarray(std::int32_t v, std::string_view text, std::int32_t from) {
  const auto n = static_cast<std::int32_t>(text.size());
  if (from < 1 || from > n || !z.valid(v)) return;
  std::int32_t rows = 0, cols = 0;
  TRANSFERR8TO2I4(z(v), rows, cols);
  const std::int64_t count = static_cast<std::int64_t>(rows) * cols;
  const std::int32_t adr = name(v).adr;
  if (rows < 1 || cols < 1 || adr < 1 || !z.valid(adr) || !z.valid(adr + count - 1)) return;
  std::int32_t position = 1;
  R8VECTORREAD(text.substr(static_cast<std::size_t>(from - 1)), n - from + 1, "\r",
               std::span<double>(z.ptr(adr), static_cast<std::size_t>(count)),
               static_cast<std::int32_t>(count), position);
}

}  // namespace

void PARSE(std::int32_t k, const plat::Store1<std::int32_t>& operands, std::int32_t& top) {
  std::int32_t count = 0;
  const std::string text =
      k >= 0 && operands.valid(top - k) ? operandtext(operands(top - k)) : std::string();
  if (!text.empty()) {
    const std::string separator = separatorof(text);
    const auto n = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = top; i >= top - k + 1; --i) {
      if (!operands.valid(i)) continue;
      const std::int32_t v = origop != nullptr ? origop(operands(i)) : operands(i);
      if (v < 1) continue;
      const std::string nm = printablename(v);
      std::int32_t valstart = 0, valend = 0;
      double value = 0.0;
      if (ITEMVALUEINSTRING(nm, separator, text, n, valstart, valend, value) == 0) continue;
      ++count;

      std::int32_t first = 0, last = 0;
      if (ISCHAR(v, first, last) == 0x40) {
        std::string_view val;
        if (valstart <= n && valend >= valstart)
          val = std::string_view(text).substr(static_cast<std::size_t>(valstart - 1),
                                              static_cast<std::size_t>(valend - valstart + 1));
        // "!!" from the value's second character on, with text after it,
        // starts a comment.
        const std::size_t mark = val.find("!!", 1);
        if (mark != std::string_view::npos && mark + 2 < val.size()) val = val.substr(0, mark);
        filltext(v, val);
      } else if (NAMTYP(v, 0x80) == 0x80) {
        z(v) = value;
      } else if (v >= nztop && v <= nz && z.valid(v)) {
        z(v) = value;
      } else if (NAMTYP(v, 0x10) == 0x10) {
        fillarray(v, text, valstart);
      }
    }
  }
  top -= k;
  if (z.valid(iresult)) z(iresult) = static_cast<double>(count);
}

}  // namespace core
