#include "io/rowfilter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/search.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "io/cellconvert.h"
#include "io/coltable.h"
#include "io/lineindex.h"
#include "io/rwfiles.h"
#include "platform/file_units.h"

namespace io {

namespace {

constexpr std::int32_t maxconditions = 8;

bool isop(char c) { return c == '&' || c == '~' || c == '<' || c == '>'; }

// -1, 0, 1: the cell's first n characters against value, both blank
// padded to n, in character order.
int compare(std::string_view cell, std::string_view value) {
  for (std::size_t i = 0; i < value.size(); ++i) {
    const auto a = static_cast<unsigned char>(i < cell.size() ? cell[i] : ' ');
    const auto b = static_cast<unsigned char>(value[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return 0;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Row r of a direct or binary unit: at its index position up to the next
// row, or the r-th record.
int directrow(const RwFile& f, std::int32_t unit, std::int32_t r, std::string& row) {
  std::int64_t at = 0, n = f.recl;
  if (f.lineindex) {
    const LineIndex& link = *f.lineindex;
    if (r < 1 || r > link.positions.size()) return plat::iostat_bad_record;
    at = link.positions(r);
    n = (r + 1 <= link.positions.size() ? link.positions(r + 1) : f.filelength + 1) - at;
  } else {
    at = (f.mode & rwflag::binary) != 0 ? std::int64_t{f.recl} * (r - 1) + 1 : r;
  }
  row.assign(static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, 1 << 24)), ' ');
  std::int32_t st = 0;
  READDIRUNF(unit, row, static_cast<std::int32_t>(row.size()), at, st);
  if (st == plat::iostat_no_record && (f.mode & rwflag::binary) != 0) st = 0;  // the last row
  return st;
}

}  // namespace

std::int32_t FILEFILTERANALYZE(std::int32_t columns, std::int32_t current, std::string_view text,
                               std::int32_t maxcond, std::vector<FilterCondition>& conditions,
                               bool& andflag) {
  conditions.clear();
  andflag = false;
  text = trimmed(text);
  const auto L = static_cast<std::int32_t>(text.size());
  if (L < 1) return 0;
  const char sep = maxcond == 1 ? 0 : core::is_namechar(text.back()) ? ',' : text.back();
  auto at = [&](std::int32_t p) { return text[static_cast<std::size_t>(p - 1)]; };
  for (std::int32_t start = 1;
       start <= L && static_cast<std::int32_t>(conditions.size()) < maxcond;) {
    std::int32_t end = L;
    if (sep != 0)
      if (const std::size_t q = text.find(sep, static_cast<std::size_t>(start - 1));
          q != std::string_view::npos)
        end = static_cast<std::int32_t>(q);
    FilterCondition c;
    std::int32_t vstart = start;
    const std::string_view cond =
        text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start + 1));
    int first = 0, last = 0;
    const int column = core::INTGET(cond, first, last);
    if (first > 0) {
      std::int32_t p = start + last;  // after the digits
      while (p <= end && at(p) == ' ') ++p;
      if (p <= end && at(p) == ':') {
        c.column = column;
        vstart = p + 1;
      }
    }
    if (c.column < 0 || c.column > columns) {
      c.column = conditions.empty() ? (current >= 1 && current <= columns ? current : 0)
                                    : conditions.back().column;
    }
    std::int32_t p = vstart;
    for (; p <= end && isop(at(p)); ++p) {
      switch (at(p)) {
        case '&':
          c.ops |= filter_and;
          andflag = true;
          break;
        case '~':
          c.ops |= filter_not;
          break;
        case '<':
          c.ops |= filter_less;
          break;
        default:
          c.ops |= filter_greater;
          break;
      }
    }
    c.valstart = p;
    c.valend = end;
    if (p <= end) c.ops |= filter_value;
    conditions.push_back(c);
    start = end + 2;
  }
  return static_cast<std::int32_t>(conditions.size());
}

bool FILTERFINITO(bool& result, const FilterCondition& c, std::string_view value,
                  std::string_view cell, std::string_view format, int options, double tolerance) {
  bool match = false;
  const bool less = (c.ops & filter_less) != 0, greater = (c.ops & filter_greater) != 0;
  if (c.numeric) {
    double v = 0.0;
    bool read = REALFROMSTRINGFMTD(cell, v, format);
    if (!core::msgkey.is_blank()) {
      core::msgkey.blank();
      read = false;
    }
    const double d = v - c.number;
    if (read && !(less && greater))
      match = less ? d < tolerance : greater ? d >= tolerance : std::fabs(d) <= tolerance;
  } else if (!less && !greater) {
    value = trimmed(value);
    int notfound = 1;
    match = value.empty() ||
            (!cell.empty() && core::SEARCH(cell, value, 1, static_cast<int>(cell.size()),
                                           options & ~core::so_back, notfound) > 0);
  } else if (!(less && greater)) {
    const int order = compare(cell, value);
    match = less ? order < 0 : order > 0;
  }
  switch (c.ops & (filter_and | filter_not)) {
    case 0:
      result = result || match;
      return result;
    case filter_and:
      result = match;
      return !match;
    case filter_not:
      result = !match;
      return false;
    default:
      result = !match;
      return match;
  }
}

void FILEFILTER(std::int32_t unit, std::int32_t& rows, std::int32_t& filter, std::int32_t /*recl*/,
                std::int32_t options) {
  if (!isscriptunit(unit)) return;
  RwFile& f = rwfiles(unit);
  std::int32_t tfirst = 0, tlast = 0;
  std::string text;
  if (filter > 0 && core::ISCHARCHECKED(filter, tfirst, tlast) > 0 && tlast >= tfirst)
    text.assign(core::c1namen.ptr(tfirst),
                static_cast<std::size_t>(std::min(tlast - tfirst + 1, 256)));
  if (trimmed(text).empty()) {
    filter = 0;
    f.filter = 0;
    return;
  }
  const std::int32_t columns =
      f.coltable ? static_cast<std::int32_t>(f.coltable->columns.size()) : 0;
  std::vector<FilterCondition> conds;
  bool andflag = false;
  FILEFILTERANALYZE(columns, 0, text, maxconditions, conds, andflag);
  if (!core::msgkey.is_blank()) return;
  bool cells = false;
  for (FilterCondition& c : conds) {
    if (c.column <= 0) continue;
    cells = true;
    // A condition on a column whose value is a number compares numbers.
    const std::string_view v = trimmed(std::string_view(text).substr(
        static_cast<std::size_t>(c.valstart - 1),
        static_cast<std::size_t>(std::max(c.valend - c.valstart + 1, 0))));
    std::int32_t position = -1, error = 0;
    if (!v.empty()) core::GETR8N(v, static_cast<std::int32_t>(v.size()), c.number, position, error);
    c.numeric =
        !v.empty() && error == 0 && std::abs(position) > static_cast<std::int32_t>(v.size());
  }
  const bool lines = (f.mode & (rwflag::direct | rwflag::binary)) == 0;
  if (lines) {
    if (!f.lineindex) return;
    if (f.lineindex->entries != rows + 1) {
      std::int32_t longest = 0, position = 0, st = 0;
      STREAMEDLINES(3, unit, longest, rows, position, {}, st);
    }
  } else if (!f.rowlist) {
    return;
  }
  std::vector<std::int32_t> starts, ends;
  std::string row;
  std::int32_t kept = 0, lastkept = 0;
  for (std::int32_t r = 1; r <= rows; ++r) {
    const int st = lines ? readindexedline(unit, r, row) : directrow(f, unit, r, row);
    if (st != 0) break;
    bool result = andflag;
    if (lines && r < f.firstline) {
      result = true;  // header lines stay
    } else {
      if (cells && f.coltable) FILLCELLS1ROW(starts, ends, *f.coltable, row, 0);
      for (const FilterCondition& c : conds) {
        std::string_view cell = row;
        std::int32_t column = 1;
        const auto k = static_cast<std::size_t>(c.column - 1);
        if (c.column > 0 && k < starts.size() && starts[k] >= 1 &&
            ends[k] <= static_cast<std::int32_t>(row.size())) {
          cell = std::string_view(row).substr(
              static_cast<std::size_t>(starts[k] - 1),
              static_cast<std::size_t>(std::max(ends[k] - starts[k] + 1, 0)));
          column = c.column;
        }
        const std::string_view value = std::string_view(text).substr(
            static_cast<std::size_t>(c.valstart - 1),
            static_cast<std::size_t>(std::max(c.valend - c.valstart + 1, 0)));
        if (FILTERFINITO(result, c, value, cell, columnformat(unit, column), options,
                         filtertolerance))
          break;
      }
    }
    if (!result) continue;
    ++kept;
    lastkept = r;
    if (lines) {
      f.lineindex->positions(kept) = f.lineindex->positions(r);
    } else {
      (*f.rowlist)(kept) = r;
    }
  }
  if (lines) {
    LineIndex& link = *f.lineindex;
    // The entry after the last row kept: where that row ends.
    link.positions(kept + 1) = link.positions(lastkept + 1);
    link.entries = kept + 1;
  } else {
    for (std::int32_t m = kept + 1; m <= f.rowlist->size(); ++m) (*f.rowlist)(m) = 0;
  }
  rows = kept;
}

void MAKEFILTERINTERNAL(std::int32_t unit, std::int32_t rows) {
  if (!isscriptunit(unit)) return;
  RwFile& f = rwfiles(unit);
  if (f.filter <= 0 || f.rowlist) return;
  if ((f.mode & (rwflag::direct | rwflag::binary)) != 0) {
    f.rowlist.emplace(static_cast<std::size_t>(std::max(rows, 0)));
    for (std::int32_t m = 1; m <= rows; ++m) (*f.rowlist)(m) = m;
  }
  std::int32_t filter = f.filter;
  FILEFILTER(unit, rows, filter, f.recl, f.option);
}

}  // namespace io
