// Low-level reads and writes of the unit table: positioned transfers that
// never move a shared file offset, so several units may hold one file.
#include <cerrno>
#include <limits>
#include <utility>

#include <unistd.h>

#include "platform/file_units_table.h"

namespace plat {

static_assert(sizeof(off_t) == 8, "file positions must be 64-bit");

std::map<int, FileUnit> fileunits;

bool take_fault(std::int64_t& left) {
  if (left == 0) return false;
  if (left > 0) --left;
  return true;
}

FileUnit* find_unit_again(int unit) {
  auto it = fileunits.find(unit);
  if (it == fileunits.end()) return nullptr;
  detail::foundnumber = unit;
  detail::found = &it->second;
  return detail::found;
}

void erase_unit(int unit) {
  if (unit == detail::foundnumber) detail::found = nullptr;
  fileunits.erase(unit);
}

int unit_read_at(FileUnit& u, std::int64_t off, char* dst, std::int64_t n, std::int64_t& got) {
  got = 0;
  if (off < 0 || n < 0 || off > std::numeric_limits<std::int64_t>::max() - n) {
    return iostat_bad_record;
  }
  while (got < n) {
    if (!take_fault(reads_before_fault)) return iostat_read_error;
    ssize_t r = ::pread(u.fd, dst + got, static_cast<size_t>(n - got), off + got);
    if (r < 0) {
      if (errno == EINTR) continue;
      return iostat_read_error;
    }
    if (r == 0) break;
    got += r;
  }
  return iostat_ok;
}

void unit_drop_caches(const FileUnit& u) {
  for (auto& [number, other] : fileunits) {
    if (&other == &u || (other.dev == u.dev && other.ino == u.ino)) {
      other.cache.clear();
      other.cacheoff = 0;
    }
  }
}

int unit_write_at(FileUnit& u, std::int64_t off, const char* src, std::int64_t n) {
  if (off < 0 || n < 0 || off > std::numeric_limits<std::int64_t>::max() - n) {
    return iostat_bad_record;
  }
  if (!take_fault(writes_before_fault)) {
    u.writefailed = true;
    return iostat_write_error;
  }
  unit_drop_caches(u);
  std::int64_t done = 0;
  while (done < n) {
    ssize_t w = u.appends ? ::write(u.fd, src + done, static_cast<size_t>(n - done))
                          : ::pwrite(u.fd, src + done, static_cast<size_t>(n - done), off + done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      u.writefailed = true;
      return iostat_write_error;
    }
    done += w;
  }
  return iostat_ok;
}

FileUnit* unitpending = nullptr;

int unit_flush(FileUnit& u) {
  if (unitpending == &u) unitpending = nullptr;
  if (u.wbuf.empty()) return iostat_ok;
  // (The buffer keeps its room for the writes held back next.)
  const int st =
      unit_write_at(u, u.wbufoff, u.wbuf.data(), static_cast<std::int64_t>(u.wbuf.size()));
  u.wbuf.clear();
  if (st != iostat_ok && u.deferred == iostat_ok) u.deferred = st;
  return st;
}

int unit_take_deferred(FileUnit& u) { return std::exchange(u.deferred, iostat_ok); }

int flush_units() { return unitpending != nullptr ? unit_flush(*unitpending) : iostat_ok; }

int unit_write_buffered(FileUnit& u, std::int64_t off, std::string_view bytes,
                        std::string_view tail) {
  int st = iostat_ok;
  if (!u.mode.buffered) {
    flush_units();
    if (!tail.empty()) {
      // One write of both.
      static std::string whole;
      whole.assign(bytes);
      whole.append(tail);
      bytes = whole;
    }
    st = unit_write_at(u, off, bytes.data(), static_cast<std::int64_t>(bytes.size()));
  } else {
    if (unitpending != nullptr && unitpending != &u) unit_flush(*unitpending);
    if (!u.wbuf.empty() && u.wbufoff + static_cast<std::int64_t>(u.wbuf.size()) != off)
      unit_flush(u);
    if (u.wbuf.empty()) u.wbufoff = off;
    u.wbuf.append(bytes);
    u.wbuf.append(tail);
    unitpending = &u;
    if (u.wbuf.size() >= kWriteBehind) unit_flush(u);
  }
  const int kept = unit_take_deferred(u);
  return st != iostat_ok ? st : kept;
}

int unit_check_read(const FileUnit* u) {
  if (u == nullptr) return iostat_not_connected;
  if (u->mode.action == UnitAction::write) return iostat_no_read_access;
  return iostat_ok;
}

}  // namespace plat
