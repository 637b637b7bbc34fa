// Byte transfers of numbered units: direct records, stream bytes and the
// positioning of a unit.
#include <algorithm>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_units_table.h"

namespace plat {

namespace {

// Byte offset of record rec of length recl, or -1 when it cannot be
// addressed (below 1, or n bytes from there would pass the largest offset).
std::int64_t record_offset(std::int64_t rec, std::int64_t recl, std::int64_t n) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  if (rec < 1 || rec - 1 > (kMax - n) / recl) return -1;
  return (rec - 1) * recl;
}

// Offset of a stream transfer: pos 0 is the unit's position.
std::int64_t stream_offset(const FileUnit& u, std::int64_t pos) {
  return pos == 0 ? u.pos : pos - 1;
}

std::int64_t file_size(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

// Records spanned by a binary transfer of n bytes (at least one).
std::int64_t records_spanned(std::int64_t n, std::int64_t recl) {
  return std::max<std::int64_t>(1, (n + recl - 1) / recl);
}

}  // namespace

int read_direct(int unit, std::int64_t rec, std::span<char> buffer, std::int64_t* got) {
  if (got) *got = 0;
  flush_units();
  FileUnit* u = find_unit(unit);
  int st = unit_check_read(u);
  if (st != iostat_ok) return st;
  if (u->mode.access != UnitAccess::direct) return iostat_wrong_access;
  std::int64_t n = static_cast<std::int64_t>(buffer.size());
  std::int64_t recl = u->mode.recl;
  std::int64_t want = n;
  if (u->mode.form == UnitForm::unformatted && n > recl) return iostat_record_short;
  if (u->mode.form == UnitForm::formatted) want = std::min(n, recl);
  std::int64_t off = record_offset(rec, recl, want);
  if (off < 0) return iostat_bad_record;
  std::int64_t have = 0;
  st = unit_read_at(*u, off, buffer.data(), want, have);
  if (got) *got = have;
  if (st != iostat_ok) return st;
  u->pos = off + have;
  // The record must exist: all bytes asked for, and at least its first one.
  if (have < want || (want == 0 && file_size(u->fd) <= off)) {
    return iostat_no_record;
  }
  std::fill(buffer.begin() + want, buffer.end(), ' ');
  u->nextrec = rec + (u->mode.form == UnitForm::binary ? records_spanned(have, recl) : 1);
  return iostat_ok;
}

int write_direct(int unit, std::int64_t rec, std::string_view bytes) {
  flush_units();
  FileUnit* u = find_unit(unit);
  int st = unit_check_write(u);
  if (st != iostat_ok) return st;
  if (u->mode.access != UnitAccess::direct) return iostat_wrong_access;
  std::int64_t n = static_cast<std::int64_t>(bytes.size());
  std::int64_t recl = u->mode.recl;
  if (u->mode.form != UnitForm::binary && n > recl) return iostat_record_overflow;
  std::string padded;
  if (u->mode.form == UnitForm::formatted && n < recl) {
    padded.assign(bytes);
    padded.resize(static_cast<size_t>(recl), ' ');
    bytes = padded;
    n = recl;
  }
  std::int64_t off = record_offset(rec, recl, n);
  if (off < 0) return iostat_bad_record;
  st = unit_write_at(*u, off, bytes.data(), n);
  if (st != iostat_ok) return st;
  u->pos = off + n;
  u->nextrec = rec + (u->mode.form == UnitForm::binary ? records_spanned(n, recl) : 1);
  return unit_take_deferred(*u);
}

int read_stream(int unit, std::span<char> buffer, std::int64_t pos, std::int64_t* got) {
  if (got) *got = 0;
  flush_units();
  FileUnit* u = find_unit(unit);
  int st = unit_check_read(u);
  if (st != iostat_ok) return st;
  if (u->mode.access == UnitAccess::direct) return iostat_wrong_access;
  if (pos < 0) return iostat_bad_record;
  std::int64_t off = stream_offset(*u, pos);
  std::int64_t n = static_cast<std::int64_t>(buffer.size());
  std::int64_t have = 0;
  st = unit_read_at(*u, off, buffer.data(), n, have);
  if (got) *got = have;
  if (st != iostat_ok) return st;
  u->pos = off + have;
  u->at_eof = false;
  return have < n ? iostat_eof : iostat_ok;
}

int write_stream(int unit, std::string_view bytes, std::int64_t pos) {
  FileUnit* u = find_unit(unit);
  int st = unit_check_write(u);
  if (st != iostat_ok) return st;
  if (u->mode.access == UnitAccess::direct) return iostat_wrong_access;
  if (pos < 0) return iostat_bad_record;
  std::int64_t off = stream_offset(*u, pos);
  st = unit_write_buffered(*u, off, bytes);
  if (st != iostat_ok) return st;
  u->pos = off + static_cast<std::int64_t>(bytes.size());
  u->at_eof = false;
  return iostat_ok;
}

int rewind_unit(int unit) {
  flush_units();
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_not_connected;
  u->pos = 0;
  u->nextrec = 1;
  u->at_eof = false;
  u->cache.clear();  // read afresh: other programs may have written the file
  return iostat_ok;
}

int position_unit(int unit, std::int64_t pos) {
  flush_units();
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_not_connected;
  if (pos < 1) return iostat_bad_record;
  u->pos = pos - 1;
  u->at_eof = false;
  // The read-ahead stays when the new position lies in it (rows read one
  // by one through a line index); every write to the file drops it.
  if (u->pos < u->cacheoff || u->pos >= u->cacheoff + static_cast<std::int64_t>(u->cache.size()))
    u->cache.clear();
  return iostat_ok;
}

int end_file(int unit) {
  flush_units();
  FileUnit* u = find_unit(unit);
  int st = unit_check_write(u);
  if (st != iostat_ok) return st;
  unit_drop_caches(*u);
  if (::ftruncate(u->fd, u->pos) != 0) return iostat_write_error;
  u->at_eof = false;
  return iostat_ok;
}

}  // namespace plat
