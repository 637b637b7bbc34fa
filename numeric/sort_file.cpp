// The file side of SORT: reading one record (a fixed-length record, or a
// line of a text file through its line index) and the physical rewrite of
// the file in sorted order, through a temporary file beside it that takes
// its place when whole.
#include <limits>
#include <span>

#include "core/messages.h"
#include "io/rwfiles.h"
#include "numeric/sort_work.h"
#include "platform/file_replace.h"
#include "platform/file_units.h"

namespace numeric::sorting {

namespace {

// Where record r of a fixed-length file starts: its number, or its byte
// position on a binary unit.
std::int64_t recordat(const io::RwFile& f, std::int32_t r) {
  return (f.mode & io::rwflag::binary) != 0 ? (std::int64_t{r} - 1) * f.recl + 1 : r;
}

int readfixed(std::int32_t unit, std::int64_t at, std::int64_t length, std::string& out) {
  out.assign(static_cast<std::size_t>(length), ' ');
  std::int32_t status = 0;
  io::READDIRUNF(unit, out, static_cast<std::int32_t>(length), at, status);
  return status;
}

// The line end the file uses, written after every line of the rewrite.
std::string lineend(std::int32_t code) {
  switch (code) {
    case 10:
      return "\n";
    case 13:
      return "\r";
    case 0:
    case 3338:
      return "\r\n";
    default:
      return std::string(1, static_cast<char>(code));
  }
}

// Without the line end the line has: CR LF, LF or CR (or the file's own
// row-end byte); a last line without one keeps every character.
void dropend(std::string& line, std::int32_t code) {
  if (line.ends_with("\r\n")) {
    line.resize(line.size() - 2);
  } else if (!line.empty() &&
             (line.back() == '\n' || line.back() == '\r' ||
              (code > 0 && code < 256 && line.back() == static_cast<char>(code)))) {
    line.pop_back();
  }
}

// The status of a write that failed.
int writefailed(const plat::Replacement& out) { return plat::replace_iostat(out.result()); }

int copylines(const Params& s, Work& w, plat::Replacement& out) {
  const std::string end = lineend(s.lines.lineend);
  std::string line, before;
  for (std::int32_t i = 1; i <= s.n; ++i) {
    if (const int st = readrecord(s, w.P(i), std::numeric_limits<std::int64_t>::max(), line);
        st != 0)
      return st;
    const bool twice = s.deldoubles && i > 1 && line == before;
    before = line;
    if (twice) continue;
    line += end;
    if (!out.write(line)) return writefailed(out);
  }
  return 0;
}

// The records in sorted order, then any bytes after the last whole record
// as they stand.
int copyrecords(const Params& s, Work& w, plat::Replacement& out) {
  const io::RwFile& f = io::rwfiles(s.unit);
  std::string record;
  for (std::int32_t i = 1; i <= s.n; ++i) {
    if (const int st = readfixed(s.unit, recordat(f, w.P(i)), f.recl, record); st != 0) return st;
    if (!out.write(record)) return writefailed(out);
  }
  const std::int64_t tail = f.filelength - std::int64_t{s.n} * f.recl;
  if (tail <= 0) return 0;
  if (const int st = readfixed(s.unit, recordat(f, s.n + 1), tail, record); st != 0) return st;
  return out.write(record) ? 0 : writefailed(out);
}

}  // namespace

int readrecord(const Params& s, std::int32_t r, std::int64_t max, std::string& out) {
  if (!s.haslines) {
    const io::RwFile& f = io::rwfiles(s.unit);
    return readfixed(s.unit, recordat(f, r), std::min<std::int64_t>(f.recl, max), out);
  }
  const auto k = static_cast<std::size_t>(r);
  const std::int64_t first = s.lines.positions[k - 1], next = s.lines.positions[k];
  if (first < 1 || next < first) return plat::iostat_bad_record;
  out.assign(static_cast<std::size_t>(next - first), ' ');
  if (const int st = plat::read_stream(s.unit, out, first); st != 0) return st;
  dropend(out, s.lines.lineend);
  if (static_cast<std::int64_t>(out.size()) > max) out.resize(static_cast<std::size_t>(max));
  return 0;
}

int RecordReader::read(const Params& s, std::int32_t r, std::int64_t max, std::string& out) {
  if (!s.haslines) return readrecord(s, r, max, out);
  const std::span<const std::int32_t> at = s.lines.positions;
  const auto k = static_cast<std::size_t>(r);
  const std::int64_t first = at[k - 1], next = at[k];
  if (first < 1 || next < first) return readrecord(s, r, max, out);
  if (first < from || next > to) {
    constexpr std::int64_t blocksize = std::int64_t{1} << 20;
    std::size_t m = k;
    while (m + 1 < at.size() && at[m + 1] >= at[m] && at[m + 1] - first <= blocksize) ++m;
    block.resize(static_cast<std::size_t>(at[m] - first));
    from = to = 0;
    if (plat::read_stream(s.unit, block, first) != 0) return readrecord(s, r, max, out);
    from = first;
    to = at[m];
  }
  out.assign(block, static_cast<std::size_t>(first - from), static_cast<std::size_t>(next - first));
  dropend(out, s.lines.lineend);
  if (static_cast<std::int64_t>(out.size()) > max) out.resize(static_cast<std::size_t>(max));
  return 0;
}

bool rewritefile(Params& s, Work& w) {
  plat::UnitInfo data;
  plat::inquire_unit(s.unit, data);
  std::int32_t status = 0;
  {
    // Beside the data file (a link followed to the file it names), which
    // keeps its mode and is replaced only by a complete copy.
    plat::Replacement out(data.name);
    status = !out.ok()    ? writefailed(out)
             : s.haslines ? copylines(s, w, out)
                          : copyrecords(s, w, out);
    // The data file is closed first; one whose own records could not all
    // be written stays as it is.
    if (status == 0) status = io::RWCLOSE(s.unit);
    if (status == 0) status = plat::replace_iostat(out.commit());
  }
  if (status == 0) return true;
  core::CHECKANDSETRUNTIMEERROR("So04", status);
  return false;
}

}  // namespace numeric::sorting
