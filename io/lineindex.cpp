#include "io/lineindex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/messages.h"
#include "core/runwords.h"
#include "io/coltable.h"
#include "io/fileinfo.h"
#include "io/readwrite.h"
#include "io/rowfilter.h"
#include "io/rwfiles.h"
#include "io/rwstatement.h"
#include "platform/file_replace.h"
#include "platform/file_units.h"

namespace io {

namespace {

using plat::UnitAccess;
using plat::UnitAction;
using plat::UnitForm;
using plat::UnitMode;
using plat::UnitShare;
using plat::UnitStatus;

// Bytes read at a time by the scans.
constexpr std::int64_t piecebytes = 1 << 20;
// Positions are 32-bit: a file must end before this byte.
constexpr std::int64_t lengthlimit = std::numeric_limits<std::int32_t>::max() - 1;

std::int64_t unitsize(std::int32_t unit) {
  plat::UnitInfo info;
  plat::inquire_unit(unit, info);
  return info.size;
}

// The byte that ends rows for a line-end code: LF for CR LF.
char endbyte(std::int32_t code) {
  return code == 3338 ? '\n' : static_cast<char>(static_cast<unsigned>(code) & 0xFFu);
}

// Hands the bytes of the open unit from the 1-based position from on to
// take(bytes, count, position of the first), a piece at a time, until take
// returns false or the file ends. The status of a failed read, else 0.
template <class Take>
int scanbytes(std::int32_t unit, std::int64_t from, Take&& take) {
  std::vector<char> piece(static_cast<std::size_t>(piecebytes));
  for (std::int64_t at = std::max<std::int64_t>(from, 1);;) {
    std::int64_t got = 0;
    const int st = plat::read_stream(unit, piece, at, &got);
    if (got > 0 && !take(static_cast<const char*>(piece.data()), got, at)) return 0;
    if (st == plat::iostat_eof || (st == 0 && got < piecebytes)) return 0;
    if (st != 0) return st;
    at += got;
  }
}

// The sum of the open unit's bytes as they are now, kept with the index
// made from them; a failed read leaves the index unchecked.
void stamp(std::int32_t unit, LineIndex& link) {
  link.madesize = -1;
  const std::int64_t size = unitsize(unit);
  ByteSum sum;
  std::int64_t seen = 0;
  const int st = scanbytes(unit, 1, [&](const char* p, std::int64_t n, std::int64_t) {
    n = std::min(n, size - seen);
    sum.add(std::string_view(p, static_cast<std::size_t>(std::max<std::int64_t>(n, 0))));
    seen += n;
    return seen < size;
  });
  if (st != 0 || seen != size) return;
  link.madesize = size;
  link.madesum = sum.value();
}

// Calls end(position) for every byte equal to ch from position from on,
// sixteen bytes compared at once where the machine can.
template <class End>
int eachbyte(std::int32_t unit, std::int64_t from, char ch, End&& end) {
  return scanbytes(unit, from, [&](const char* p, std::int64_t n, std::int64_t at) {
    std::int64_t i = 0;
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi8(ch);
    for (; i + 16 <= n; i += 16) {
      auto hits = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), needle)));
      for (; hits != 0; hits &= hits - 1)
        if (!end(at + i + std::countr_zero(hits))) return false;
    }
#endif
    for (const char* q = p + i;
         (q = static_cast<const char*>(std::memchr(q, ch, static_cast<std::size_t>(p + n - q))));)
      if (!end(at + (q++ - p))) return false;
    return true;
  });
}

// The file's last byte (0 for an empty file).
char lastbyte(std::int32_t unit, std::int64_t length) {
  char last = 0;
  if (length > 0) plat::read_stream(unit, std::span<char>(&last, 1), length);
  return last;
}

// How the rows of a file end: code 10 when an LF comes before any CR, 3338
// when a CR comes before the first LF, 13 when a second CR comes before
// any LF (or one CR and no LF at all). Without CR and LF the file's last
// byte ends rows; count then receives how often it occurs.
struct LineEnds {
  std::int32_t code = 0;
  bool crlf = false;  // the file holds a CR or an LF
  std::int32_t count = 0;
};

int findlineends(std::int32_t unit, char last, LineEnds& e) {
  e = LineEnds{};
  bool cr = false;
  return scanbytes(unit, 1, [&](const char* p, std::int64_t n, std::int64_t) {
    for (std::int64_t i = 0; i < n; ++i) {
      const char c = p[i];
      if (c == '\n') {
        e.code = cr ? 3338 : 10;
        e.crlf = true;
        return false;
      }
      if (c == '\r') {
        if (cr) return false;
        cr = e.crlf = true;
        e.code = 13;
      } else if (c == last) {
        ++e.count;
      }
    }
    return true;
  });
}

// The longest row of the index, its line end included, counted from a
// row before the first that ends at 0.
std::int32_t longestrow(const LineIndex& link) {
  std::int32_t longest = 0, before = 0;
  for (long long k = 1; k <= link.positions.size() && k <= link.entries; ++k) {
    longest = std::max(longest, link.positions(k) - before);
    before = link.positions(k);
  }
  return longest;
}

// The ".i4" file: one little-endian 4-byte integer per entry.
std::string entrybytes(const std::vector<std::int32_t>& entries) {
  std::string bytes(entries.size() * 4, '\0');
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(bytes.data(), entries.data(), bytes.size());
  } else {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const auto v = static_cast<std::uint32_t>(entries[i]);
      for (std::size_t b = 0; b < 4; ++b)
        bytes[4 * i + b] = static_cast<char>((v >> (8 * b)) & 0xFFu);
    }
  }
  return bytes;
}

UnitMode indexfilemode(UnitStatus status, UnitAction action) {
  UnitMode m;
  m.status = status;
  m.access = UnitAccess::sequential;
  m.form = UnitForm::unformatted;
  m.action = action;
  m.share = UnitShare::denynone;
  m.records = plat::UnitRecords::none;
  return m;
}

// Reads the ".i4" file whole into link (on the work unit). False when it
// holds no index of a file of length bytes: fewer than 4 bytes or a broken
// last entry, an entry 1 other than 1, entries that do not ascend or end at
// length + 1.
bool readindexfile(const std::string& name, std::int64_t length, LineIndex& link) {
  const std::int32_t unit = plat::unit_work1;
  if (plat::open_unit(unit, name, indexfilemode(UnitStatus::old_file, UnitAction::read)) != 0)
    return false;
  const std::int64_t size = unitsize(unit);
  bool ok = size >= 4 && size % 4 == 0 && size / 4 - 1 <= length;
  if (ok) {
    const auto n = static_cast<std::size_t>(size / 4);
    link.positions.assign(n, 0);
    std::int64_t got = 0;
    std::span<char> bytes(reinterpret_cast<char*>(link.positions.data()), n * 4);
    ok = plat::read_stream(unit, bytes, 1, &got) == 0 && got == size;
    if constexpr (std::endian::native == std::endian::big)
      for (std::int32_t& v : link.positions.raw()) {
        const auto u = static_cast<std::uint32_t>(v);
        v = static_cast<std::int32_t>((u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) |
                                      (u << 24));
      }
    const auto& e = link.positions.raw();
    ok = ok && e.front() == 1 && e.back() == length + 1 &&
         std::adjacent_find(e.begin(), e.end(),
                            [](std::int32_t a, std::int32_t b) { return b <= a; }) == e.end();
    link.entries = static_cast<std::int32_t>(n);
  }
  plat::close_unit(unit, plat::UnitClose::keep);
  if (!ok) link = LineIndex{};
  return ok;
}

// Counts the rows of the open data unit: every row's start becomes an
// entry. With InDeX (keep) the entries go to the ".i4" file, which is
// replaced whole; a file that cannot be written fails the OPEN with its
// status. Without, no file is made: a file of that name stays as it is.
int countrows(std::int32_t unit, std::int32_t code, std::int64_t length, const std::string& name,
              bool keep, LineIndex& link) {
  std::vector<std::int32_t>& e = link.positions.raw();
  e.assign(1, 1);
  // A read error ends the index with the rows counted so far.
  eachbyte(unit, 1, code == 13 ? '\r' : '\n', [&](std::int64_t at) {
    if (at < length) e.push_back(static_cast<std::int32_t>(at + 1));
    return true;
  });
  if (length > 0) e.push_back(static_cast<std::int32_t>(length + 1));
  link.entries = static_cast<std::int32_t>(e.size());
  if (!keep) return 0;
  // Built again whenever it is found unsound: not worth a sync.
  return plat::replace_iostat(plat::replace_file(name, entrybytes(e), {.sync = false}));
}

// Mode 0 on the data file, open on unit as a byte stream.
int buildorreuse(std::int32_t unit, const std::string& name, std::int32_t& longest) {
  const std::int64_t length = unitsize(unit);
  if (length > lengthlimit) return plat::iostat_bad_record;
  const char last = lastbyte(unit, length);
  if (length > 0 && last != '\r' && last != '\n' && core::nomsg == 0) {
    std::string detail = name;
    core::HelpValues hv;
    hv.text = detail;
    int answer = 0;
    core::HELP("SortWarning", answer, hv);
    if (answer == 1) {
      core::msgkey.set(core::MSGKEY("RequestCanceled"));
      return iostat_cancelled;
    }
  }
  LineEnds ends;
  if (const int st = findlineends(unit, last, ends); st != 0) return st;
  LineIndex link;
  std::int64_t datasize = -1;
  if (ends.crlf || length == 0) {
    link.lineend = ends.code;
    double datatime = 0.0;
    FILEINFO(name, datasize, -2, &datatime);
    const std::int32_t slot = rwopt(rwslot::index);
    const bool keep = slot != 0;
    // The InDeX text names the index file; a blank one or none: the data
    // file's name and ".i4".
    std::string_view given;
    if (!keep || !rwtext(slot, given)) given = {};
    given = given.substr(0, std::min<std::size_t>(given.size(), 256));
    while (!given.empty() && given.back() == ' ') given.remove_suffix(1);
    const std::string iname = given.empty() ? name.substr(0, 253) + ".i4" : std::string(given);
    bool reused = false;
    if (keep) {
      std::int64_t isize = -1;
      double itime = 0.0;
      FILEINFO(iname, isize, -2, &itime);
      // One second later, up to the rounding of the day numbers.
      reused = isize > 0 && itime - datatime >= (1.0 - 1e-6) / 86400.0 &&
               readindexfile(iname, length, link);
    }
    if (!reused)
      if (const int st = countrows(unit, ends.code, length, iname, keep, link); st != 0) return st;
    link.lineend = ends.code;
  } else {
    // The last byte ends rows.
    link.lineend = static_cast<unsigned char>(last);
    std::vector<std::int32_t>& e = link.positions.raw();
    e.reserve(static_cast<std::size_t>(ends.count) + 1);
    e.push_back(1);
    const int st = eachbyte(unit, 1, last, [&](std::int64_t at) {
      e.push_back(static_cast<std::int32_t>(at + 1));
      return true;
    });
    if (st != 0) return st;
    link.entries = static_cast<std::int32_t>(e.size());
  }
  longest = link.entries >= 2 ? longestrow(link)
                              : static_cast<std::int32_t>(std::min<std::int64_t>(
                                    std::max<std::int64_t>(datasize, 0), INT32_MAX));
  stamp(unit, link);
  RwFile& r = rwfiles(unit);
  r.recl = longest;
  r.rows = link.entries - 1;
  if (link.lineend > 0) r.mode |= rwflag::lineends;
  r.lineindex = std::move(link);
  return 0;
}

// The line-end code of an open unit: its index's, else found in the file.
std::int32_t unitlineend(std::int32_t unit) {
  const RwFile& r = rwfiles(unit);
  if (r.lineindex && r.lineindex->lineend != 0) return r.lineindex->lineend;
  const char last = lastbyte(unit, unitsize(unit));
  LineEnds e;
  findlineends(unit, last, e);
  return e.crlf ? e.code : static_cast<unsigned char>(last);
}

// Modes 1 to 3 on an open unit; code is the file's line-end code.
int skipheaders(std::int32_t unit, std::int32_t code, std::int32_t headers,
                std::int32_t& position) {
  if (headers <= 0) return 0;
  std::int32_t seen = 0;
  std::int64_t found = unitsize(unit) + 1;
  const int st = eachbyte(unit, 1, endbyte(code), [&](std::int64_t at) {
    if (++seen < headers) return true;
    found = at + 1;
    return false;
  });
  position = static_cast<std::int32_t>(std::min(found, lengthlimit + 1));
  rwfiles(unit).firstdata = position;
  return st;
}

std::int32_t linesperrow(const RwFile& r) { return std::max<std::int32_t>(r.linesperrow, 1); }

int countdatarows(std::int32_t unit, std::int32_t code, std::int32_t& rows, std::int32_t& longest) {
  const RwFile& r = rwfiles(unit);
  const std::int64_t length = unitsize(unit), from = std::max(r.firstdata, 1);
  const std::int32_t k = linesperrow(r);
  const char end = endbyte(code);
  std::int64_t lines = 0, start = from;
  rows = longest = 0;
  const int st = eachbyte(unit, from, end, [&](std::int64_t at) {
    if (++lines % k != 0) return true;
    ++rows;
    longest = static_cast<std::int32_t>(std::max<std::int64_t>(longest, at - start));
    start = at + 1;
    return true;
  });
  if (st == 0 && start <= length && lastbyte(unit, length) != end) {
    ++rows;
    longest = static_cast<std::int32_t>(std::max<std::int64_t>(longest, length - start + 2));
  }
  return st;
}

int fillpositions(std::int32_t unit, std::int32_t code, std::int32_t count, LineIndex& link) {
  const RwFile& r = rwfiles(unit);
  const std::int64_t length = unitsize(unit), from = std::max(r.firstdata, 1);
  const std::int32_t k = linesperrow(r);
  link.lineend = code;
  link.positions.assign(static_cast<std::size_t>(std::max(count, 0)) + 1, 0);
  std::int32_t filled = 1;
  link.positions(1) = static_cast<std::int32_t>(from);
  std::int64_t lines = 0;
  const int st = eachbyte(unit, from, endbyte(code), [&](std::int64_t at) {
    if (++lines % k != 0) return true;
    link.positions(++filled) = static_cast<std::int32_t>(at + 1);
    return filled <= count;
  });
  // A last row without its line end ends with the file.
  if (filled <= count) link.positions(++filled) = static_cast<std::int32_t>(length + 1);
  link.entries = filled;
  return st;
}

}  // namespace

std::uint64_t ByteSum::mix(std::uint64_t h, std::uint64_t w) {
  // Both steps are one to one, so a changed word always changes the sum.
  h = (h ^ w) * 0x9E3779B97F4A7C15ull;
  return h ^ (h >> 29);
}

void ByteSum::add(std::string_view bytes) {
  count_ += bytes.size();
  std::size_t i = 0;
  for (; fill_ != 0 && i < bytes.size(); ++i) {
    pending_ |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * fill_);
    if (++fill_ == 8) {
      sum_ = mix(sum_, pending_);
      pending_ = 0;
      fill_ = 0;
    }
  }
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t w = 0;
    for (int b = 7; b >= 0; --b)
      w = (w << 8) | static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(b)]);
    sum_ = mix(sum_, w);
  }
  for (; i < bytes.size(); ++i, ++fill_)
    pending_ |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * fill_);
}

std::uint64_t ByteSum::value() const {
  std::uint64_t h = fill_ != 0 ? mix(sum_, pending_) : sum_;
  return mix(h, count_);
}

void ownwrite(std::int32_t unit, std::int64_t at) {
  if (!isscriptunit(unit)) return;
  RwFile& r = rwfiles(unit);
  if (r.lineindex && r.lineindex->madesize >= 0 && at <= r.lineindex->madesize)
    r.lineindex->madesize = -1;
}

int readindexedline(std::int32_t unit, std::int32_t k, std::string& out) {
  out.clear();
  if (!isscriptunit(unit)) return plat::iostat_not_connected;
  const RwFile& r = rwfiles(unit);
  if (!r.lineindex || k < 1 || k >= r.lineindex->entries || k > r.lineindex->positions.size())
    return plat::iostat_bad_record;
  const LineIndex& link = *r.lineindex;
  const std::int32_t at = link.positions(k);
  if (at < 1) return plat::iostat_eof;
  const std::int32_t code = link.lineend;
  if (code == 0 || code == 10 || code == 13 || code == 3338) {
    if (const int st = plat::position_unit(unit, at); st != 0) return st;
    const int st = plat::read_record(unit, out);
    // The line end of a last line without one is the file's end.
    return st == plat::iostat_eof && !out.empty() ? 0 : st;
  }
  // Rows that end at another byte: at most the longest row, cut before it.
  out.assign(static_cast<std::size_t>(std::max(r.recl, 1)), ' ');
  std::int64_t got = 0;
  const int st = plat::read_stream(unit, out, at, &got);
  if (st > 0) return st;
  out.resize(static_cast<std::size_t>(got));
  if (const std::size_t end = out.find(static_cast<char>(code)); end != std::string::npos)
    out.resize(end);
  return got > 0 || st == 0 ? 0 : st;
}

void STREAMEDLINES(std::int32_t mode, std::int32_t unit, std::int32_t& longest, std::int32_t& count,
                   std::int32_t& position, std::span<char> text, std::int32_t& status) {
  status = 0;
  if (!isscriptunit(unit)) {
    status = plat::iostat_not_connected;
    return;
  }
  switch (mode) {
    case 0: {
      const std::string name(rwname.trimmed());
      UnitMode m = indexfilemode(UnitStatus::old_file, UnitAction::read);
      status = plat::open_unit(unit, name, m);
      if (status != 0) return;
      status = buildorreuse(unit, name, longest);
      plat::close_unit(unit, plat::UnitClose::keep);
      return;
    }
    case 1:
      status = skipheaders(unit, unitlineend(unit), count, position);
      return;
    case 2:
      status = countdatarows(unit, unitlineend(unit), count, longest);
      return;
    case 3: {
      RwFile& r = rwfiles(unit);
      if (!r.lineindex) r.lineindex.emplace();
      status = fillpositions(unit, unitlineend(unit), count, *r.lineindex);
      stamp(unit, *r.lineindex);
      return;
    }
    case 4: {
      std::string line;
      status = readindexedline(unit, count, line);
      std::fill(std::copy_n(line.begin(), std::min(line.size(), text.size()), text.begin()),
                text.end(), ' ');
      return;
    }
    case 5: {
      const RwFile& r = rwfiles(unit);
      status = plat::iostat_bad_record;
      if (r.lineindex && count >= 1 && count < r.lineindex->entries &&
          count <= r.lineindex->positions.size() && r.lineindex->positions(count) >= 1)
        status = plat::read_stream(unit, text, r.lineindex->positions(count));
      return;
    }
    default:
      return;
  }
}

void MAKEFILEINDEX(std::int32_t unit, std::int32_t& rows, std::int32_t& longest, char quote,
                   std::int32_t headers, std::int32_t lines) {
  rows = 0;
  if (!isscriptunit(unit) || rwfiles(unit).filevar < 1) return;
  RwFile& r = rwfiles(unit);
  if ((r.mode & (rwflag::direct | rwflag::binary)) != 0) {
    IDXANDCELLSVIASCRATCH(unit, rows, longest, quote, headers);
    return;
  }
  const std::int32_t code = unitlineend(unit);
  KILLFILEINDEX(unit);
  if (lines > 0) r.linesperrow = static_cast<std::int16_t>(std::min(lines, 32767));
  std::int32_t position = 0;
  if (skipheaders(unit, code, headers, position) != 0) return;
  std::int32_t counted = 0;
  if (countdatarows(unit, code, counted, longest) != 0 || counted < 1) return;
  r.recl = longest;
  LineIndex link;
  fillpositions(unit, code, counted, link);
  stamp(unit, link);
  counted = link.entries - 1;
  r.lineindex = std::move(link);
  if (r.filter > 0) {
    std::int32_t filter = r.filter;
    FILEFILTER(unit, counted, filter, r.recl, r.option);
    counted = r.lineindex->entries - 1;
  }
  r.mode |= rwflag::indexed;
  r.rows = rows = counted;
}

void IDXANDCELLSVIASCRATCH(std::int32_t unit, std::int32_t& rows, std::int32_t& longest, char quote,
                           std::int32_t headers) {
  rows = longest = 0;
  RwFile& r = rwfiles(unit);
  if (!r.coltable || r.coltable->columns.size() < 1) return;
  const ColTable& table = *r.coltable;
  const bool lastseparated = table.columns(table.columns.size()).width == 0;
  // The file's bytes through a reading unit of their own.
  plat::UnitInfo info;
  plat::inquire_unit(unit, info);
  const std::int32_t bytes = plat::unit_work2;
  if (plat::open_unit(bytes, info.name, indexfilemode(UnitStatus::old_file, UnitAction::read)) != 0)
    return;
  const std::int64_t length = std::min(unitsize(bytes), lengthlimit);
  std::vector<std::int32_t> starts{1}, first, last;
  std::string piece;
  std::int64_t at = 1, want = piecebytes;
  while (at <= length) {
    piece.assign(static_cast<std::size_t>(std::min(want, length - at + 1)), ' ');
    std::int64_t got = 0;
    if (plat::read_stream(bytes, piece, at, &got) > 0 || got < 1) break;
    piece.resize(static_cast<std::size_t>(got));
    const bool atend = at + got > length;
    std::size_t from = 0;
    for (;;) {
      const std::string_view row = std::string_view(piece).substr(from);
      if (row.empty()) break;
      FILLCELLS1ROW(first, last, table, row, quote);
      const std::int32_t end = last.back();  // the last cell's end
      const std::int64_t next = std::int64_t{end} + table.rowgap + (lastseparated ? 1 : 0);
      if (end < 1 || next > static_cast<std::int64_t>(row.size())) {
        if (atend && end >= 1) {  // the last row ends with the file
          longest = static_cast<std::int32_t>(std::max<std::int64_t>(longest, row.size()));
          from = piece.size();
        }
        break;
      }
      longest = static_cast<std::int32_t>(std::max<std::int64_t>(longest, next));
      from += static_cast<std::size_t>(std::max<std::int64_t>(next, 1));
      starts.push_back(static_cast<std::int32_t>(at + static_cast<std::int64_t>(from)));
    }
    if (from == 0 && !atend) {
      want *= 2;  // a row longer than the piece: read again, more at once
      continue;
    }
    if (from == 0 || atend) {
      if (starts.back() <= length) starts.push_back(static_cast<std::int32_t>(length + 1));
      break;
    }
    at += static_cast<std::int64_t>(from);  // a row cut by the piece's end is read again
  }
  LineIndex link;
  stamp(bytes, link);
  plat::close_unit(bytes, plat::UnitClose::keep);
  if (starts.back() <= length && starts.size() > 1)
    starts.back() = static_cast<std::int32_t>(length + 1);
  // Rows before the first data row are header rows.
  const auto skip = static_cast<std::size_t>(
      std::clamp<std::int64_t>(headers, 0, static_cast<std::int64_t>(starts.size()) - 1));
  starts.erase(starts.begin(), starts.begin() + static_cast<std::ptrdiff_t>(skip));
  link.positions.raw() = std::move(starts);
  link.entries = static_cast<std::int32_t>(link.positions.size());
  rows = link.entries - 1;
  if (rows < 1) return;
  r.recl = std::max(longest, 1);
  r.rows = rows;
  r.lineindex = std::move(link);
  r.mode |= rwflag::indexed;
}

bool FILEISINDEXED(std::int32_t unit, std::int32_t format, std::int32_t& rows) {
  if (!isscriptunit(unit)) return false;
  RwFile& r = rwfiles(unit);
  if (format > 0 && (r.mode & rwflag::indexed) == 0) {
    std::int32_t columns = 0, lines = 0, headers = 0, layout = 0;
    char separator = 0;
    FILEMATRIXFORMAT(format, unit, columns, separator, lines, headers, layout);
    if (r.lineindex) {
      rows = r.lineindex->entries - 1;
    } else if ((layout & 2) == 0 && r.recl > 0) {
      rows = static_cast<std::int32_t>(std::min<std::int64_t>(r.filelength / r.recl, 2147483647));
      r.rows = rows;
    }
    MAKEFILTERINTERNAL(unit, rows);
    if (r.lineindex) rows = r.rows = r.lineindex->entries - 1;
    r.mode |= rwflag::indexed;
    return r.lineindex.has_value();
  }
  if (!r.lineindex) return false;
  rows = r.lineindex->entries - 1;
  return true;
}

void KILLFILEINDEX(std::int32_t unit) {
  if (!isscriptunit(unit)) return;
  RwFile& r = rwfiles(unit);
  if (r.lineindex && r.lineindex->hold == 0) r.lineindex.reset();
  r.rowlist.reset();
}

}  // namespace io
