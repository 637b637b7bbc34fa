// Formatted records of sequential and stream units: lines read through a
// read-ahead buffer, written with their line end, and stepped back over.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/file_units_table.h"

namespace plat {

namespace {

constexpr std::int64_t kReadAhead = 64 * 1024;
constexpr std::int64_t kBackStep = 4096;

int check_formatted(const FileUnit* u) {
  if (u->mode.access == UnitAccess::direct || u->mode.form != UnitForm::formatted) {
    return iostat_wrong_access;
  }
  return iostat_ok;
}

char record_end(const FileUnit& u) { return u.mode.records == UnitRecords::cr ? '\r' : '\n'; }

// The first CR or LF in b[0..n), nullptr when none.
const char* find_cr_or_lf(const char* b, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time.
  const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const int marks = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, lf)));
    if (marks != 0) return b + i + std::countr_zero(static_cast<unsigned>(marks));
  }
#endif
  const char* rest = b + i;
  const auto left = n - i;
  const char* const lfat = static_cast<const char*>(std::memchr(rest, '\n', left));
  const char* const crat = static_cast<const char*>(
      std::memchr(rest, '\r', lfat != nullptr ? static_cast<size_t>(lfat - rest) : left));
  return crat != nullptr ? crat : lfat;
}

// The first record end in b[0..n): the unit's end character, or with
// records eol the first LF or CR.
const char* find_end(const FileUnit& u, const char* b, std::int64_t n) {
  const auto k = static_cast<size_t>(n);
  if (u.mode.records == UnitRecords::eol) return find_cr_or_lf(b, k);
  return static_cast<const char*>(std::memchr(b, record_end(u), k));
}

// The record at the unit's position when the read-ahead holds it whole,
// with its end (and with records eol the byte after a CR), read as
// next_record reads it; false, with nothing changed, otherwise.
bool cached_record(FileUnit& u, std::span<char> buffer, std::int64_t& length) {
  if (u.mode.records == UnitRecords::none || u.pos < u.cacheoff) return false;
  const auto cached = static_cast<std::int64_t>(u.cache.size());
  const std::int64_t avail = u.cacheoff + cached - u.pos;
  if (avail <= 0) return false;
  const char* const b = u.cache.data() + (u.pos - u.cacheoff);
  const char* const hit = find_end(u, b, avail);
  if (hit == nullptr) return false;
  std::int64_t next = (hit - b) + 1;  // the bytes the record and its end take
  if (*hit == '\r' && u.mode.records == UnitRecords::eol) {
    if (next >= avail) return false;  // (whether an LF follows is not known here)
    if (b[next] == '\n') ++next;
  }
  length = hit - b;
  auto kept = std::min<std::int64_t>(length, static_cast<std::int64_t>(buffer.size()));
  // A CR before the LF that ends the record belongs to the line end.
  if (u.mode.records == UnitRecords::lf && length > 0 && b[length - 1] == '\r') {
    if (kept == length) --kept;
    --length;
  }
  std::copy_n(b, kept, buffer.begin());
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(kept), buffer.end(), ' ');
  u.pos += next;
  u.at_eof = false;
  return true;
}

// A caller's buffer filled from its start as a text would be (the record
// keeps at most the buffer's size).
struct BufferOut {
  std::span<char> to;
  std::size_t n = 0;
  void clear() { n = 0; }
  std::size_t size() const { return n; }
  void append(const char* b, std::size_t k) {
    std::copy_n(b, k, to.begin() + static_cast<std::ptrdiff_t>(n));
    n += k;
  }
  void pop_back() { --n; }
};

// Reads the record at the unit's position. At most keep characters go into
// out; length receives the record's whole length. With records none a record
// is the next keep bytes.
template <class Out>
int next_record(FileUnit& u, Out& out, std::int64_t keep, std::int64_t& length) {
  out.clear();
  length = 0;
  bool ends = u.mode.records != UnitRecords::none;
  if (!ends && keep == 0) return iostat_ok;
  std::int64_t p = u.pos;
  bool any = false;      // a byte or a record end was met
  bool last_cr = false;  // the last byte kept or passed was a CR
  bool terminated = false;
  while (ends || length < keep) {
    std::int64_t cached = static_cast<std::int64_t>(u.cache.size());
    if (p < u.cacheoff || p >= u.cacheoff + cached) {
      u.cache.resize(static_cast<size_t>(kReadAhead));
      std::int64_t got = 0;
      int st = unit_read_at(u, p, u.cache.data(), kReadAhead, got);
      if (st != iostat_ok) {
        u.cache.clear();
        return st;
      }
      u.cache.resize(static_cast<size_t>(got));
      u.cacheoff = p;
      if (got == 0) break;
      cached = got;
    }
    const char* b = u.cache.data() + (p - u.cacheoff);
    std::int64_t avail = u.cacheoff + cached - p;
    if (!ends) avail = std::min(avail, keep - length);
    const char* hit = ends ? find_end(u, b, avail) : nullptr;
    std::int64_t take = hit ? hit - b : avail;
    if (take > 0) {
      std::int64_t room = std::max<std::int64_t>(0, keep - static_cast<std::int64_t>(out.size()));
      out.append(b, static_cast<size_t>(std::min(take, room)));
      last_cr = b[take - 1] == '\r';
      length += take;
      any = true;
      if (length > longest_record) return iostat_record_overflow;  // (nothing moved)
    }
    p += take;
    if (hit) {
      ++p;
      if (*hit == '\r' && u.mode.records == UnitRecords::eol) {
        // A CR ends the record; an LF right after it belongs to the end.
        char next = 0;
        std::int64_t got = 0;
        if (p < u.cacheoff + cached) {
          next = u.cache[static_cast<size_t>(p - u.cacheoff)];
          got = 1;
        } else if (unit_read_at(u, p, &next, 1, got) != iostat_ok) {
          got = 0;
        }
        if (got == 1 && next == '\n') ++p;
      }
      any = true;
      terminated = true;
      break;
    }
  }
  if (!any) {
    u.at_eof = true;
    return iostat_eof;
  }
  // A CR before the LF that ends the record belongs to the line end.
  if (terminated && u.mode.records == UnitRecords::lf && last_cr) {
    if (static_cast<std::int64_t>(out.size()) == length) out.pop_back();
    --length;
  }
  u.pos = p;
  u.at_eof = false;
  return iostat_ok;
}

}  // namespace

int read_record(int unit, std::string& record) {
  record.clear();
  flush_units();
  FileUnit* u = find_unit(unit);
  int st = unit_check_read(u);
  if (st == iostat_ok) st = check_formatted(u);
  if (st != iostat_ok) return st;
  std::int64_t length = 0;
  return next_record(*u, record, std::numeric_limits<std::int64_t>::max(), length);
}

int read_record(int unit, std::span<char> buffer, std::int64_t* reclen) {
  if (reclen) *reclen = 0;
  flush_units();
  FileUnit* u = find_unit(unit);
  int st = unit_check_read(u);
  if (st == iostat_ok) st = check_formatted(u);
  if (st != iostat_ok) return st;
  std::int64_t length = 0;
  if (cached_record(*u, buffer, length)) {
    if (reclen) *reclen = length;
    return iostat_ok;
  }
  // The record's text straight into the buffer.
  BufferOut text{buffer};
  st = next_record(*u, text, static_cast<std::int64_t>(buffer.size()), length);
  if (st != iostat_ok) return st;
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(text.n), buffer.end(), ' ');
  if (reclen) *reclen = length;
  return iostat_ok;
}

int write_record(int unit, std::string_view record) {
  FileUnit* u = find_unit(unit);
  int st = unit_check_write(u);
  if (st == iostat_ok) st = check_formatted(u);
  if (st != iostat_ok) return st;
  // The line with its end, written as one.
  std::string_view end;
  if (u->mode.records == UnitRecords::lf || u->mode.records == UnitRecords::eol) {
    end = "\r\n";
  } else if (u->mode.records == UnitRecords::cr) {
    end = "\r";
  }
  const auto n = record.size() + end.size();
  if (u->mode.buffered && unitpending == u && u->deferred == iostat_ok &&
      u->wbufoff + static_cast<std::int64_t>(u->wbuf.size()) == u->pos &&
      u->wbuf.size() + n < kWriteBehind) {
    // Held back behind the records before it, as unit_write_buffered
    // holds it (the buffer not yet full).
    u->wbuf.append(record);
    for (const char c : end) u->wbuf.push_back(c);
  } else {
    st = unit_write_buffered(*u, u->pos, record, end);
    if (st != iostat_ok) return st;
  }
  u->pos += static_cast<std::int64_t>(record.size() + end.size());
  u->at_eof = false;
  return iostat_ok;
}

int backspace_unit(int unit) {
  flush_units();
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_not_connected;
  int st = check_formatted(u);
  if (st != iostat_ok) return st;
  if (u->mode.records == UnitRecords::none) return iostat_wrong_access;
  if (u->at_eof) {
    // Back over the end of the file: the unit stays at the end.
    u->at_eof = false;
    return iostat_ok;
  }
  if (u->pos == 0) return iostat_ok;
  char term = record_end(*u);
  // The byte before the position ends the previous record (unless that
  // record had no end); its start follows the record end before it.
  std::int64_t end = u->pos - 1;
  char c = 0;
  std::int64_t got = 0;
  st = unit_read_at(*u, end, &c, 1, got);
  if (st != iostat_ok) return st;
  std::int64_t hi = (got == 1 && c == term) ? end : u->pos;  // search below hi
  std::string chunk;
  while (hi > 0) {
    std::int64_t lo = std::max<std::int64_t>(0, hi - kBackStep);
    chunk.resize(static_cast<size_t>(hi - lo));
    st = unit_read_at(*u, lo, chunk.data(), hi - lo, got);
    if (st != iostat_ok) return st;
    chunk.resize(static_cast<size_t>(got));
    auto at = chunk.find_last_of(term);
    if (at != std::string::npos) {
      u->pos = lo + static_cast<std::int64_t>(at) + 1;
      return iostat_ok;
    }
    hi = lo;
  }
  u->pos = 0;
  return iostat_ok;
}

}  // namespace plat
