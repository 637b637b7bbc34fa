#include "exec/varkommas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/namevalue.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/builtins_random.h"
#include "exec/operands.h"
#include "exec/postfix.h"
#include "exec/postfix_eval.h"
#include "exec/strings.h"
#include "exec/tablecalls.h"
#include "exec/tablecells.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"
#include "platform/file_units.h"

namespace exec {

namespace {

std::size_t sz(std::int32_t i) { return static_cast<std::size_t>(i); }

// Comparison tolerance of the numeric searches.
constexpr double searcheps = 1.0E-13;

double roundhalf(double x) { return std::round(x); }

// The text of an argument (a temporary string or a character symbol) read
// in place (scratch holds it only where it runs backwards); the view lasts
// while the character store stays where it is.
bool textview(std::int32_t e, std::string_view& out, std::string& scratch) {
  std::int32_t f = 0, l = 0;
  if (e < 0) {
    if (!tempbounds(-e, f, l)) return false;
  } else if (e < 1 || e > core::nname || !core::name.valid(e) || !core::z.valid(e) ||
             core::ISCHAR(e, f, l) == 0) {
    return false;
  }
  out = c1read(f, l, scratch);
  return true;
}

// The same text as a copy of its own.
bool textof(std::int32_t e, std::string& out) { return copiedtext(textview, e, out); }

// A numeric array argument: its first element cell and element count.
struct NumArray {
  std::int32_t first = 0;
  std::int32_t count = 0;
};

// (descriptors: e is an operand of the evaluator, whose descriptors name
// the arrays of the statement it runs.)
bool arrayof(std::int32_t e, NumArray& a, bool descriptors = true) {
  if (e <= 0) return false;
  // The array's base, or one of its elements as an element pass hands it
  // over: either stands for the whole array. (An array's last element may
  // be the cell before another's first: an element is taken first.)
  for (const std::int32_t before : {0, 1})
    for (std::int32_t k = descriptors ? std::min(xeqexpr.ndescr, maxtemps) : 0; k >= 1; --k) {
      const DescrKind dk = descrkind[sz(k)];
      if (dk != DescrKind::array && dk != DescrKind::list) continue;
      const std::int32_t count = tmpbeg[sz(k)] * std::max(tmpend[sz(k)], 1);
      if (e + before >= tmporig[sz(k)] && e < tmporig[sz(k)] + count) {
        a.first = tmporig[sz(k)];
        a.count = count;
        return true;
      }
    }
  if (e <= core::nsym && core::name.valid(e) && core::NAMTYP(e, 0x10) != 0 &&
      core::name(e).adr > 0) {
    std::int32_t rows = 0, cols = 0;
    core::TRANSFERR8TO2I4(core::z(e), rows, cols);
    a.first = core::name(e).adr;
    a.count = std::max(rows, 0) * std::max(cols, 1);
    return true;
  }
  return false;
}

double num(std::int32_t e) { return evaldetail::numvalue(e); }

double element(const NumArray& a, std::int32_t i) {
  const std::int32_t c = a.first + i - 1;
  return core::z.valid(c) ? core::z(c) : 0.0;
}

// A new temporary string holding text; its number, or minus an error.
std::int32_t newtext(std::string_view text) {
  const std::int32_t t = evaldetail::newtempnumber();
  if (t == 0) return -vkerr::noroom;
  if (evaldetail::maketemp(t, text) != 0)
    return core::xeqstop == core::stops::grown ? 0 : -vkerr::noroom;
  return t;
}

// The cell of an out argument: a symbol's own cell, the last one's too, of
// a number that is no constant (no text, whose cell holds its bounds, and
// no array).
bool outcell(std::int32_t e) {
  return e >= 1 && e <= core::nsym && core::z.valid(e) && core::name.valid(e) &&
         (core::name(e).type & 0x51) == 0;
}

std::int32_t ranfn(std::int32_t commas, std::span<std::int32_t> args, double& out) {
  if (commas > 2) return -vkerr::rancommas;
  const double r = ranuniform();
  if (commas == 0) {
    out = num(args[0]) * r;
    return 0;
  }
  if (commas == 2) {
    ranseed(num(args[2]));
    out = num(args[0]) + 2.0 * num(args[1]) * (ranuniform() - 0.5);
    return 0;
  }
  out = num(args[0]) + 2.0 * num(args[1]) * (r - 0.5);
  return 0;
}

std::int32_t charfn(std::int32_t commas, std::span<std::int32_t> args) {
  if (commas == 0) {
    const double code = roundhalf(num(args[0]));
    if (!(code >= 0.0 && code <= 255.0)) return -vkerr::charcode;
    const std::array<char, 1> c{static_cast<char>(static_cast<int>(code))};
    return newtext(std::string_view(c.data(), 1));
  }
  if (commas != 2 && commas != 4) return -vkerr::charcommas;
  std::string text;
  if (!textof(args[sz(commas)], text)) return -vkerr::chartext;
  std::array<double, 4> numbers{};
  for (std::int32_t i = 0; i < commas; ++i) numbers[sz(i)] = num(args[sz(i)]);
  std::int64_t from = 0, count = 0;
  if (const std::int32_t r = CHARPIECE(std::span<const double>(numbers.data(), sz(commas)),
                                       static_cast<std::int64_t>(text.size()), from, count);
      r != 0)
    return r;
  return newtext(std::string_view(text).substr(static_cast<std::size_t>(from),
                                               static_cast<std::size_t>(count)));
}

// Position of the element nearest to what: linear from the front or (bit
// 4) from the back, or by bisection (bit 512) over ascending elements.
// The numeric search over elements 1..count as `at` reads them.
template <typename At>
double numsearchby(std::int32_t count, At at, double what, std::int32_t options,
                   std::int32_t& compared) {
  std::int32_t best = 0;
  double bestdiff = std::numeric_limits<double>::max();
  compared = 0;
  auto look = [&](std::int32_t i) {
    ++compared;
    const double d = std::fabs(at(i) - what);
    if (d < bestdiff) {
      bestdiff = d;
      best = i;
    }
    return d <= searcheps;
  };
  if ((options & 512) != 0) {
    std::int32_t lo = 1, hi = count;
    while (hi >= 1 && at(hi) == 0.0) --hi;
    while (lo <= hi) {
      const std::int32_t mid = lo + (hi - lo) / 2;
      if (look(mid) || lo == hi) break;
      if (at(mid) < what)
        lo = mid + 1;
      else
        hi = mid - 1;
    }
  } else if ((options & 4) != 0) {
    for (std::int32_t i = count; i >= 1; --i)
      if (look(i)) break;
  } else {
    for (std::int32_t i = 1; i <= count; ++i)
      if (look(i)) break;
  }
  if (best > 0 && (bestdiff <= searcheps || (options & 32) != 0)) return best;
  return 0.0;
}

double numsearch(const NumArray& a, double what, std::int32_t options, std::int32_t& compared) {
  return numsearchby(
      a.count, [&a](std::int32_t i) { return element(a, i); }, what, options, compared);
}

// A table-file argument (the file symbol, the first row's cell, the column's
// cell, the marker) searched for what: the row found (a count with option
// 256), 0 none; out the rows compared. A negative result is an error.
std::int32_t tablefilesearch(std::span<const std::int32_t> table, std::int32_t what,
                             std::int32_t options, double& out, std::int32_t& compared) {
  compared = 0;
  const std::int32_t sym = table[0];
  const std::int32_t unit =
      sym >= 1 && sym <= core::nname && core::name.valid(sym) ? core::name(sym).adr : 0;
  std::int32_t rows = 0, columns = 0, width = 0, kind = 0;
  if (tablecolumn == nullptr || unit < plat::unit_script_first || unit > plat::unit_script_last)
    return -vkerr::notable;
  const auto first = static_cast<std::int32_t>(roundhalf(num(table[1])));
  const auto column = static_cast<std::int32_t>(roundhalf(num(table[2])));
  const std::int32_t r = tablecolumn(unit, column, rows, columns, width, kind);
  if (r != 0) return r;
  std::string needle;
  const bool whattext = textof(what, needle);
  const bool backward = (options & 4) != 0;
  const std::int32_t lo = backward ? 1 : std::max(first, 1);
  const std::int32_t hi = backward ? std::min(first, rows) : rows;
  std::string cell;
  double number = 0.0;
  bool istext = false;
  const auto read = [&](std::int32_t row) {
    cell.clear();
    number = 0.0;
    return readtableelement != nullptr &&
           readtableelement(unit, row, column, cell, number, istext) == 0;
  };
  if (kind > 0) {
    double value = 0.0;
    if (whattext) {
      std::int32_t pos = -1, status = 2;
      if (!needle.empty())
        core::GETR8N(needle, static_cast<std::int32_t>(needle.size()), value, pos, status);
      if (status != 0) return 0;
    } else {
      value = num(what);
    }
    const std::int32_t n = std::max(hi - lo + 1, 0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double found = numsearchby(
        n,
        [&](std::int32_t i) {
          const std::int32_t row = backward ? hi - (n - i) : lo + i - 1;
          return read(row) && !istext ? number : nan;
        },
        value, options, compared);
    if (found == 0.0) return 0;
    return static_cast<std::int32_t>(found) + lo - 1;
  }
  if (!whattext) {
    std::array<char, 10> field{};
    std::int32_t used = 0;
    core::C1WTSID8(field, num(what), 1, used);
    needle.assign(field.data(), sz(std::clamp(used, 0, 10)));
  }
  if (needle.empty()) return 0;
  const auto celltext = [&]() {
    std::string_view t = cell;
    const std::size_t e = t.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string_view() : t.substr(0, e + 1);
  };
  if ((options & 512) != 0) {
    std::int32_t a = lo, b = hi;
    while (a <= b) {
      const std::int32_t mid = a + (b - a) / 2;
      ++compared;
      if (!read(mid)) return 0;
      const std::string_view t = celltext().substr(0, needle.size());
      const int c = core::C1CASE_LT_EQ_GT(0, t, needle);
      if (c == 0) return mid;
      if (c < 0)
        a = mid + 1;
      else
        b = mid - 1;
    }
    return 0;
  }
  // Counting and bisection are over rows here, not within a cell.
  const std::int32_t textoptions = options & ~(32 | core::so_count | core::so_sorted);
  std::int32_t count = 0;
  for (std::int32_t i = 0; i <= hi - lo; ++i) {
    const std::int32_t row = backward ? hi - i : lo + i;
    ++compared;
    if (!read(row)) continue;
    const std::string_view t = celltext();
    if (t.empty()) continue;
    int notfound = 0;
    core::SEARCH(t, needle, 1, static_cast<int>(t.size()), textoptions, notfound);
    if (notfound != 0) continue;
    if ((options & 256) == 0) return row;
    ++count;
  }
  (void)out;
  return count;
}

}  // namespace

std::int32_t CHARPIECE(std::span<const double> numbers, std::int64_t length, std::int64_t& from,
                       std::int64_t& count) {
  // (Whole numbers cut to 32 bits, so that no product below overflows.)
  const auto whole = [](double x) {
    return std::isnan(x)
               ? std::int64_t{0}
               : static_cast<std::int64_t>(std::clamp(roundhalf(x), -2147483648.0, 2147483648.0));
  };
  std::int64_t n = 0, k = 0;
  if (numbers.size() == 2) {
    k = whole(numbers[0]);
    n = whole(numbers[1]);
  } else if (numbers.size() == 4) {
    const std::int64_t rows = whole(numbers[2]), cols = whole(numbers[3]);
    n = rows < 1 || cols < 1 ? 0 : rows * cols;
    k = (whole(numbers[0]) - 1) * cols + whole(numbers[1]);
  } else {
    return -vkerr::charcommas;
  }
  if (n < 1) return -vkerr::piececount;
  if (k < 1 || k > n) return -vkerr::piece;
  count = length / n;
  from = (k - 1) * count;
  return 0;
}

void INDEXOF(std::span<const std::int32_t> args, const IndexReader& reader, double& out) {
  const auto textview = reader.text;
  const auto commas = static_cast<std::int32_t>(args.size()) - 1;
  const std::int32_t options = commas >= 2 ? static_cast<std::int32_t>(roundhalf(num(args[2]))) : 0;
  const std::int32_t outarg = commas == 3 ? args[3] : 0;
  const std::int32_t where = args[0], what = args[1];
  // The texts are read in place: the search changes no store.
  std::string hayscratch, needlescratch;
  std::string_view hay, needle;
  bool whattext = textview(what, needle, needlescratch);
  // A file viewed as a table (the operand may be a copy of the variable's
  // text): the row that holds the text or number.
  // A file variable of no table is searched as its text.
  if (const std::int32_t file = reader.descriptors ? ORIGOP(where) : where;
      file >= 1 && file <= core::nname && core::name.valid(file) &&
      core::NAMTYP(file, 0x100) != 0 && tablecalls.search != nullptr) {
    const std::string key(needle);
    if (tablecalls.search(file, key, !whattext, whattext ? 0.0 : num(what), options, out)) return;
    whattext = textview(what, needle, needlescratch);  // (rows read may have moved the store)
  }
  const bool wheretext = textview(where, hay, hayscratch);
  if (wheretext) {
    if (!whattext) {
      std::array<char, 10> field{};
      std::int32_t used = 0;
      core::C1WTSID8(field, num(what), 1, used);
      needlescratch.assign(field.data(), sz(std::clamp(used, 0, 10)));
      needle = needlescratch;
    }
    if (hay.empty() || needle.empty()) {
      out = 0.0;
      return;
    }
    int notfound = 0;
    const int pos = core::SEARCH(hay, needle, 1, static_cast<int>(hay.size()), options, notfound);
    out = notfound != 0 ? 0.0 : pos;
    int len = 0;
    core::MATCHEDLENGTH(len);
    if (outcell(outarg)) core::z(outarg) = len;
    // MATCHEDLENGTH reads the length once; keep it for the script.
    core::matchlen = len;
    return;
  }
  double value = 0.0;
  if (whattext) {
    std::int32_t pos = -1, status = 2;
    if (!needle.empty())
      core::GETR8N(needle, static_cast<std::int32_t>(needle.size()), value, pos, status);
    if (status != 0) {
      out = 0.0;
      return;
    }
  } else {
    value = num(what);
  }
  NumArray a;
  if (!arrayof(where, a, reader.descriptors)) {
    a.first = where;
    a.count = where > 0 ? 1 : 0;
  }
  std::int32_t compared = 0;
  out = numsearch(a, value, options, compared);
  if (outcell(outarg)) core::z(outarg) = compared;
}

namespace {

std::int32_t indexfn(std::int32_t commas, std::span<std::int32_t> args, double& out) {
  if (commas < 1 || commas > 3) return -vkerr::indexcommas;
  INDEXOF(args.first(sz(commas + 1)), {textview, true}, out);
  return 0;
}

std::int32_t initfn(std::int32_t commas, std::span<std::int32_t> stack, std::int32_t& top) {
  plat::Store1<std::int32_t> ops(sz(std::max(top, 1)));
  for (std::int32_t i = 1; i <= top; ++i) ops(i) = stack[sz(i - 1)];
  core::PARSE(commas, ops, top);
  // The text argument goes as well: the evaluator pushes the result.
  top = std::max(top - 1, 0);
  return 0;
}

}  // namespace

bool tempbounds(std::int32_t j, std::int32_t& first, std::int32_t& last) {
  if (j < 1 || j > maxtemps || descrkind[sz(j)] != DescrKind::string) return false;
  first = tmpbeg(j);
  last = tmpend(j);
  return true;
}

std::int32_t ORIGOP(std::int32_t op) {
  if (op < 0) {
    const std::int32_t j = -op;
    if (j <= maxtemps && tmpsym(j) > 0) return tmpsym(j);
    return op;
  }
  if (op > core::nname) {
    for (std::int32_t k = std::min(xeqexpr.ndescr, maxtemps); k >= 1; --k) {
      if (descrkind[sz(k)] != DescrKind::array) continue;
      const std::int32_t n = tmpbeg(k) * std::max(tmpend(k), 1);
      const std::int32_t s = tmpsym(k);
      if (op >= tmporig(k) && op < tmporig(k) + n && s >= 1 && s <= core::nsym &&
          core::name.valid(s))
        return core::name(s).adr + (op - tmporig(k));
    }
  }
  return op;
}

namespace {

// Message keys of the error numbers.
struct VkKey {
  std::int32_t code;
  std::string_view key;
};
constexpr VkKey vkkeys[] = {
    {vkerr::notable, core::MSGKEY("xeq3401")},     {vkerr::nocolumn, core::MSGKEY("xeq3402")},
    {vkerr::piece, core::MSGKEY("xeq3405")},       {vkerr::piececount, core::MSGKEY("xeq3406")},
    {vkerr::chartext, core::MSGKEY("xeq3407")},    {vkerr::charcommas, core::MSGKEY("xeq3408")},
    {vkerr::indexcommas, core::MSGKEY("xeq3409")}, {vkerr::logcommas, core::MSGKEY("xeq3410")},
    {vkerr::rancommas, core::MSGKEY("xeq3411")},   {vkerr::charcode, core::MSGKEY("charError")}};

std::int32_t varkommas(std::int32_t nextcell, std::span<std::int32_t> stack, std::int32_t& top,
                       std::int16_t word);

}  // namespace

std::string_view vkerrkey(std::int32_t e) {
  for (const VkKey& k : vkkeys)
    if (k.code == e) return k.key;
  return {};
}

std::int32_t VARKOMMASCALL(std::int32_t nextcell, std::span<std::int32_t> stack, std::int32_t& top,
                           std::int16_t word) {
  const std::int32_t r = varkommas(nextcell, stack, top, word);
  if (r < 0)
    if (const std::string_view key = vkerrkey(-r); !key.empty()) core::msgkey.set(key);
  return r;
}

namespace {

std::int32_t varkommas(std::int32_t nextcell, std::span<std::int32_t> stack, std::int32_t& top,
                       std::int16_t word) {
  const auto w = static_cast<std::uint16_t>(word);
  const std::uint32_t fn = w & 0xE7C0u;
  const auto commas = static_cast<std::int32_t>(w & 0x1Fu);
  top = std::min(top, static_cast<std::int32_t>(stack.size()));
  if (fn == vkfn::init) return initfn(commas, stack, top);
  // A table-file argument occupies four entries.
  std::int32_t extra = 0;
  for (std::int32_t i = std::max(top - commas - 3, 1); i <= top; ++i)
    if (stack[sz(i - 1)] > tablemarker) extra = 3;
  const std::int32_t first = top - commas - extra;
  if (first < 1) return -3000;
  if (extra != 0) {
    // A table-file argument: INDEX over a file's column, or the table
    // editor's column search; what, the options and out follow it.
    const std::span<std::int32_t> a = stack.subspan(sz(first - 1), sz(commas + 4));
    top = first - 1;
    if (fn != vkfn::index && fn != vkfn::tablesearch) return -vkerr::notable;
    const std::int32_t options = commas >= 2 ? static_cast<std::int32_t>(roundhalf(num(a[5]))) : 0;
    double out = 0.0;
    std::int32_t compared = 0;
    const std::int32_t r = tablefilesearch(a.first(4), a[4], options, out, compared);
    if (r < 0) return r;
    if (fn == vkfn::index && commas == 3 && outcell(a[6])) core::z(a[6]) = compared;
    if (core::z.valid(nextcell)) core::z(nextcell) = r;
    return 0;
  }
  std::span<std::int32_t> args = stack.subspan(sz(first - 1), sz(commas + 1));
  double out = 0.0;
  std::int32_t r = 0;
  switch (fn) {
    case vkfn::log:
      if (commas > 1) return -vkerr::logcommas;
      {
        bool invalid = false;
        const double b = commas == 0 ? 0.0 : num(args[1]);
        out = logarithm(num(args[0]), commas == 0 ? nullptr : &b, invalid);
        if (invalid) return -(3300 + fpuinvalid);
        break;
      }
    case vkfn::ran:
      r = ranfn(commas, args, out);
      break;
    case vkfn::chr:
      r = charfn(commas, args);
      if (r >= 0) top = first - 1;
      return r;
    case vkfn::index:
      r = indexfn(commas, args, out);
      break;
    case vkfn::tablesearch:
      return -vkerr::notable;
    default:
      return -3000;
  }
  if (r != 0) return r;
  if (core::z.valid(nextcell)) core::z(nextcell) = out;
  top = first - 1;
  return 0;
}

}  // namespace

std::int32_t MXSEARCHFMTD(std::int32_t table, std::int32_t firstrow, std::int32_t column,
                          std::string_view text, std::int32_t options) {
  // Build the six operands as the evaluator would and search through the
  // variable-argument call; the search text goes without trailing blanks.
  const std::size_t n = text.find_last_not_of(' ');
  const std::string_view t =
      n == std::string_view::npos ? text.substr(0, 0) : text.substr(0, n + 1);
  const std::int32_t tnum = evaldetail::newtempnumber();
  if (tnum == 0 || evaldetail::maketemp(tnum, t) != 0) return -1;
  const std::int32_t c = core::iresult;
  if (!resultroom(c + 3)) return -1;
  for (std::int32_t i = 0; i < 3; ++i) newtemprecord(c + i);
  core::z(c) = firstrow;
  core::z(c + 1) = column;
  core::z(c + 2) = options;
  core::iresult = c + 3;
  std::array<std::int32_t, 6> ops{table, c, c + 1, 2147483647, -tnum, c + 2};
  std::int32_t top = 6;
  const std::int32_t res = core::iresult;
  if (!resultroom(res + 1)) return -1;
  newtemprecord(res);
  const std::int32_t r = VARKOMMASCALL(res, ops, top, mxsearchword);
  if (r != 0) return -1;
  return static_cast<std::int32_t>(roundhalf(core::z(res)));
}

void install_varkommas() {
  VARKOMMAS = &VARKOMMASCALL;
  core::tempstringbounds = &tempbounds;
  core::origop = &ORIGOP;
}

namespace {
[[maybe_unused]] const bool installed = (install_varkommas(), true);
}  // namespace

}  // namespace exec
