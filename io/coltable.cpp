#include "io/coltable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/chars.h"
#include "core/messages.h"
#include "core/namevalue.h"
#include "core/numread.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "io/formatparse.h"
#include "io/lineindex.h"
#include "platform/file_units.h"

namespace io {

namespace {

// The columns a format makes for any record, however narrow.
constexpr std::int64_t tablecolumnsfew = 65536;

using Cells = std::vector<std::int32_t>;

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// The descriptor text of a column, decoded.
std::string_view descriptor(const ColDef& c) {
  const std::int32_t first = c.first < 0 ? -1 - c.first : c.first;
  std::int32_t last = c.last;
  if (c.width == 0) --last;  // a separated column's last entry is its list separator
  if (first < 1 || last < first || !core::c1namen.valid(first) || !core::c1namen.valid(last))
    return {};
  return {core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)};
}

// The value of an item "name=value" of the format (name in any case): its
// position, or 0 when it is absent (also when no "=" follows the name).
std::int32_t item(std::string_view name, std::string_view upcased, std::int32_t& valstart,
                  std::int32_t& valend, double& value) {
  const std::int32_t at = core::ITEMVALUEINSTRING(
      name, ";,", upcased, static_cast<std::int32_t>(upcased.size()), valstart, valend, value);
  const auto equals = static_cast<std::size_t>(std::abs(at)) + name.size() - 1;
  return at != 0 && equals < upcased.size() && upcased[equals] == '=' ? at : 0;
}

// Splits one separated cell from p by the descriptor d.
struct Split {
  std::string_view row;
  std::int32_t L;
  char quote;
};

// Returns false when this cell and every later one are missing.
bool separated(const Split& s, std::string_view d, bool lastcolumn, std::int32_t& p,
               std::int32_t& start, std::int32_t& end) {
  const std::string_view row = s.row;
  const std::int32_t L = s.L;
  auto find = [&](char ch, std::int32_t from) -> std::int32_t {
    if (from > L) return 0;
    const std::size_t q = row.substr(0, static_cast<std::size_t>(L))
                              .find(ch, static_cast<std::size_t>(std::max(from, 1) - 1));
    return q == std::string_view::npos ? 0 : static_cast<std::int32_t>(q) + 1;
  };
  if (d.size() == 2) {
    const std::int32_t open = find(d[0], p);
    if (open == 0) {
      start = end = -1;
      return true;
    }
    const std::int32_t close = find(d[1], open + 1);
    start = open + 1;
    end = close == 0 ? L : close - 1;
    p = end + 2;
    return true;
  }
  if (d.size() != 1) return false;
  const char c = d[0];
  if (c == 'F' || c == 'f') {
    int first = 0, last = 0;
    if (p <= L)
      core::INTGET(row.substr(static_cast<std::size_t>(p - 1), static_cast<std::size_t>(L - p + 1)),
                   first, last);
    if (first == 0) {
      start = end = 0;
      return true;
    }
    first += p - 1;
    last += p - 1;
    start = first <= p + 1 ? first : first - 1;
    end = last;
    if (last < L && std::strchr(".Ee", row[static_cast<std::size_t>(last)]) != nullptr) {
      double v = 0;
      std::int32_t at = start, st = 0;
      core::GETR8N(row, L, v, at, st);
      if (st == 0 && at - 1 > end) end = at - 1;
    }
    p = end + 1;
    return true;
  }
  if (s.quote != 0 && p <= L && row[static_cast<std::size_t>(p - 1)] == s.quote) {
    // A quoted cell ends at its own closing quote.
    if (const std::int32_t close = find(s.quote, p + 1); close != 0) {
      start = p + 1;
      end = close - 1;
      p = end + 3;
      return true;
    }
    ++p;
  }
  start = p;
  std::int32_t after = 0;  // where the next cell starts
  if (c == 'A' || c == 'a') {
    std::int32_t q = 0;
    if (p <= L) {
      const std::size_t at = row.substr(0, static_cast<std::size_t>(L))
                                 .find_first_of("\r\n", static_cast<std::size_t>(p - 1));
      q = at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at) + 1;
    }
    end = q == 0 ? L : q - 1;
    after = end + 3;
  } else {
    const std::int32_t q = find(c, p);
    end = q == 0 ? L : q - 1;
    after = q == 0 ? L + 1 : q + 1;
  }
  if (end >= start) {
    p = after;
    return true;
  }
  if (lastcolumn && L > 0) {
    // An empty last cell takes the rest of the row, without its trailing
    // control characters.
    end = L;
    while (end >= start && static_cast<unsigned char>(row[static_cast<std::size_t>(end - 1)]) <= 13)
      --end;
    p = L + 1;
    return true;
  }
  end = start - 1;
  p = start + 1;
  return true;
}

}  // namespace

void FILEMATRIXFORMAT(std::int32_t format, std::int32_t unit, std::int32_t& columns,
                      char& separator, std::int32_t& lines, std::int32_t& headers,
                      std::int32_t& layout) {
  columns = 0;
  separator = 0;
  lines = headers = layout = 0;
  if (!isscriptunit(unit)) return;
  RwFile& r = rwfiles(unit);
  if (r.coltable) {
    columns = static_cast<std::int32_t>(r.coltable->columns.size());
    return;
  }
  std::int32_t tfirst = 0, tlast = 0;
  if (format < 1 || core::ISCHARCHECKED(format, tfirst, tlast) <= 0) return;
  std::string_view text(core::c1namen.ptr(tfirst), static_cast<std::size_t>(tlast - tfirst + 1));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const auto n = static_cast<std::int32_t>(text.size());
  ColTable table;
  r.firstline = 1;
  if (n > 0) {
    const char listsep = core::is_namechar(text.back()) ? ',' : text.back();
    std::string up(text);
    for (char& c : up) c = upper(c);
    std::int32_t from = 1, vs = 0, ve = 0;
    double v = 0;
    if (const std::int32_t at = item("NB", up, vs, ve, v); at != 0) {
      const std::int32_t value = std::abs(at) + 3;  // the character after "NB="
      if (value <= n) separator = text[static_cast<std::size_t>(value - 1)];
      from = std::max(from, value + 2);
    }
    if (item("ML", up, vs, ve, v) != 0) {
      lines = static_cast<std::int32_t>(std::clamp(std::round(v), -1.0, 32767.0));
      if (lines < 1) lines = 2;
      r.linesperrow = static_cast<std::int16_t>(lines);
      from = std::max(from, ve + 2);
    }
    if (item("SL", up, vs, ve, v) != 0) {
      headers = static_cast<std::int32_t>(std::clamp(std::round(v), 0.0, 2147483646.0));
      r.firstline = headers + 1;
      from = std::max(from, ve + 2);
    }
    // The descriptors, read by positions within the whole text.
    const std::int32_t base = tfirst - 1;  // text position p is c1namen(base + p)
    std::int32_t offset = 1, gap = 0;
    bool fixed = true, first = true;
    std::vector<ColDef> cols;
    // Every column takes a character of the record at least (a cell between
    // two separators none): a count beyond the record's width makes no more
    // columns, and at least a table's worth stays whatever the width.
    const std::int64_t most = std::max<std::int64_t>(r.recl, tablecolumnsfew);
    for (std::int32_t pos = from; pos >= 1 && pos <= n;) {
      const std::int32_t start = pos;
      FmtDescr d;
      NEXTFORMAT(text, n, pos, d);
      if (pos >= 0 && pos <= start) break;
      const std::int32_t rep = d.repeat == fmtnorepeat ? 1 : std::max(d.repeat, 1);
      if (first && table.rowgap == 0) table.rowgap = std::max(d.width, 1) * rep;
      first = false;
      if (d.letter == '(' || d.letter == ')') continue;  // a group is no column
      ColDef c;
      if (d.width > 0) {
        layout |= 1;
        c.first = base + std::max(d.textstart, start);
        std::int32_t end = d.textend;
        if (end < d.textstart) {  // ended by ")": the descriptor's own characters
          end = d.textstart;
          while (end < n && text[static_cast<std::size_t>(end)] != listsep &&
                 std::strchr(")/,", text[static_cast<std::size_t>(end)]) == nullptr)
            ++end;
        }
        c.last = base + end;
        c.width = d.width;
        gap = 0;
      } else if (d.letter == 'X') {
        offset += gap + rep;
        continue;
      } else {
        layout |= 2;
        std::int32_t q = start;
        while (q <= n && text[static_cast<std::size_t>(q - 1)] >= '0' &&
               text[static_cast<std::size_t>(q - 1)] <= '9')
          ++q;
        const std::size_t sep =
            q <= n ? text.find(listsep, static_cast<std::size_t>(q - 1)) : std::string_view::npos;
        const std::int32_t at =
            sep == std::string_view::npos ? n + 1 : static_cast<std::int32_t>(sep) + 1;
        c.first = q <= n && upper(text[static_cast<std::size_t>(q - 1)]) == 'N' ? -(base + q + 1)
                                                                                : base + q;
        c.last = base + at;
        fixed = false;
        gap = 1;
        pos = at + 1;  // the walk goes on after the list separator
      }
      for (std::int32_t k = 0; k < rep && static_cast<std::int64_t>(cols.size()) <= most; ++k) {
        c.offset = cols.empty() || fixed ? offset : 0;
        cols.push_back(c);
        offset += c.width;
      }
    }
    if (!cols.empty()) table.rowgap = 0;
    table.columns.raw() = std::move(cols);
  }
  columns = static_cast<std::int32_t>(table.columns.size());
  r.coltable = std::move(table);
}

void FILLCELLS1ROW(std::vector<std::int32_t>& starts, std::vector<std::int32_t>& ends,
                   const ColTable& table, std::string_view row, char quote) {
  const auto n = static_cast<std::size_t>(table.columns.size());
  starts.assign(n, -1);
  ends.assign(n, -1);
  const Split s{row, static_cast<std::int32_t>(row.size()), quote};
  std::int32_t p = n > 0 ? std::max(table.columns(1).offset, 1) : 1;
  for (std::size_t c = 0; c < n; ++c) {
    const ColDef& col = table.columns(static_cast<long long>(c) + 1);
    if (col.offset > 0) p = col.offset;
    if (col.width > 0) {
      if (p + col.width - 1 > s.L) return;  // this and every later cell missing
      starts[c] = p;
      ends[c] = p + col.width - 1;
      p += col.width;
      continue;
    }
    std::int32_t start = -1, end = -1;
    if (!separated(s, descriptor(col), c + 1 == n, p, start, end)) return;
    starts[c] = start;
    ends[c] = end;
  }
}

void FMTADRAZ(std::int32_t unit, std::int32_t column, std::int32_t& first, std::int32_t& last) {
  first = last = 0;
  if (!isscriptunit(unit) || !rwfiles(unit).coltable) return;
  const ColTable& t = *rwfiles(unit).coltable;
  if (column < 1 || column > t.columns.size()) return;
  const ColDef& c = t.columns(column);
  first = c.first < 0 ? -1 - c.first : c.first;
  last = c.last;
}

std::string columnformat(std::int32_t unit, std::int32_t column) {
  if (column <= 0) return "A";
  if (!isscriptunit(unit) || !rwfiles(unit).coltable) return {};
  const ColTable& t = *rwfiles(unit).coltable;
  if (column > t.columns.size()) return {};
  return std::string(descriptor(t.columns(column)));
}

void GETELEMENTMAXCHLEN(std::int32_t unit, std::int32_t column, std::int32_t& width,
                        std::int32_t& kind) {
  width = kind = 0;
  if (!isscriptunit(unit)) return;
  const RwFile& r = rwfiles(unit);
  if (column == 0) {
    width = r.recl;
    return;
  }
  if (!r.coltable || column < 1 || column > r.coltable->columns.size()) return;
  const ColDef& c = r.coltable->columns(column);
  width = c.width >= 1 ? c.width : r.recl;
  const std::string_view d = descriptor(c);
  if (d.empty()) return;
  const std::size_t at = std::string_view("UNFfEeIiBbOoZz").find(d[0]);
  kind = at == std::string_view::npos ? 0 : static_cast<std::int32_t>(at) + 1;
}

std::int32_t CHARCELLAZ(std::int32_t unit, std::int32_t row, std::int32_t column,
                        std::string& rowtext, std::int32_t& start, std::int32_t& length) {
  rowtext.clear();
  start = -1;
  length = 0;
  auto done = [](std::int32_t st) {
    core::iostatw[0] = static_cast<std::int16_t>(std::clamp(st, -32768, 32767));
    return st;
  };
  if (!isscriptunit(unit) || rwfiles(unit).filevar < 1) return done(plat::iostat_not_connected);
  const RwFile& r = rwfiles(unit);
  if (!r.lineindex) {
    if (row < 1 || r.recl < 1) return done(plat::iostat_bad_record);
    rowtext.assign(static_cast<std::size_t>(r.recl), ' ');
    const std::int64_t at =
        (r.mode & rwflag::binary) != 0 ? std::int64_t{r.recl} * (row - 1) + 1 : row;
    std::int32_t st = 0;
    READDIRUNF(unit, rowtext, r.recl, at, st);
    if (st != 0) return done(st);
  } else {
    const LineIndex& link = *r.lineindex;
    const std::int32_t k = std::max<std::int32_t>(r.linesperrow, 1);
    const std::int64_t line = std::int64_t{row - 1} * k + 1;
    if (row < 1 || line < std::max(r.firstline, 1) || line >= link.entries)
      return done(iostat_no_row);
    if (const int st = readindexedline(unit, static_cast<std::int32_t>(line), rowtext); st != 0)
      return done(st);
    std::string more;
    for (std::int32_t j = 1; j < k; ++j) {
      if (line + j > r.rows || line + j >= link.entries) return done(iostat_no_row);
      if (const int st = readindexedline(unit, static_cast<std::int32_t>(line + j), more); st != 0)
        return done(st);
      rowtext.erase(rowtext.find_last_not_of(' ') + 1);
      rowtext += "\r\n";
      rowtext += more;
    }
  }
  if (column <= 0) {
    start = 1;
    length = static_cast<std::int32_t>(rowtext.find_last_not_of(' ') + 1);
    return done(0);
  }
  if (r.coltable && column <= r.coltable->columns.size()) {
    Cells starts, ends;
    FILLCELLS1ROW(starts, ends, *r.coltable, rowtext, 0);
    const auto c = static_cast<std::size_t>(column - 1);
    start = starts[c];
    length = start >= 1 ? std::max(ends[c] - start + 1, 0) : 0;
  }
  return done(0);
}

void CHARCELLIO(std::int32_t unit, std::int32_t row, std::int32_t column, std::span<char> text,
                std::int32_t mode, std::int32_t& status) {
  status = 0;
  if (!isscriptunit(unit)) return;
  const RwFile& r = rwfiles(unit);
  if (!r.lineindex) {
    std::int32_t bytes = 0;
    IOINDEXEDSEQ(unit, text, bytes, row, status, mode);
    return;
  }
  const LineIndex& link = *r.lineindex;
  const std::int32_t columns =
      r.coltable ? static_cast<std::int32_t>(r.coltable->columns.size()) : 0;
  if (row < 1 || row >= link.entries || row + 1 > link.positions.size() || column > columns) return;
  const std::int64_t at = link.positions(row), own = link.positions(row + 1) - at;
  if (at < 1 || own < 0) return;
  const auto n =
      static_cast<std::size_t>(std::min<std::int64_t>(own, static_cast<std::int64_t>(text.size())));
  if ((mode & 4) != 0) ownwrite(unit, at);
  status = (mode & 4) != 0 ? plat::write_stream(unit, std::string_view(text.data(), n), at)
                           : plat::read_stream(unit, text.first(n), at);
}

void IOINDEXEDSEQ(std::int32_t unit, std::span<char> text, std::int32_t& bytes, std::int32_t row,
                  std::int32_t& status, std::int32_t mode) {
  bytes = 0;
  status = 0;
  if ((mode & 4) != 0) {
    int answer = 0;
    core::MSGBOXFROMHELP("msgWritetoSEQ", "Error", answer);
    return;
  }
  if (!isscriptunit(unit) || !rwfiles(unit).lineindex) {
    status = plat::iostat_bad_record;
    return;
  }
  const LineIndex& link = *rwfiles(unit).lineindex;
  if (row < 1 || row >= link.entries || row > link.positions.size()) {
    status = plat::iostat_bad_record;
    return;
  }
  if (link.positions(row) < 0) {
    status = plat::iostat_eof;
    return;
  }
  std::string line;
  status = readindexedline(unit, row, line);
  if (status != 0) return;
  bytes = static_cast<std::int32_t>(std::min(line.size(), text.size()));
  std::fill(std::copy_n(line.begin(), bytes, text.begin()), text.end(), ' ');
}

std::int32_t GETBLOCKTXT(std::int32_t first, std::int32_t last, std::span<char> buffer,
                         std::int32_t& length, std::int32_t unit) {
  length = 0;
  if (first < 1) return -3;
  if (!isscriptunit(unit) || !rwfiles(unit).lineindex) return -2;
  const LineIndex& link = *rwfiles(unit).lineindex;
  const std::int32_t endlength = link.lineend == 3338 ? 2 : 1;
  for (std::int32_t r = first; r <= last; ++r) {
    if (r >= link.entries || r + 1 > link.positions.size()) return -2;
    const std::int64_t at = link.positions(r);
    const std::int64_t n = link.positions(r + 1) - at - endlength;
    if (n < -endlength) return -1;
    const std::int64_t take = std::max<std::int64_t>(n, 0);
    if (take > static_cast<std::int64_t>(buffer.size()) - length) return -4;
    if (take == 0) continue;
    std::int32_t st = 0;
    st = plat::read_stream(
        unit, buffer.subspan(static_cast<std::size_t>(length), static_cast<std::size_t>(take)), at);
    if (st > 0) {
      core::msgkey.set(core::MSGKEY("rdwrErK"));
      core::iostatw[0] = static_cast<std::int16_t>(std::min(st, 32767));
      return 0;
    }
    length += static_cast<std::int32_t>(take);
  }
  return 0;
}

void KILLFILEFORMAT(std::int32_t unit) {
  if (isscriptunit(unit)) rwfiles(unit).coltable.reset();
}

}  // namespace io
