// The unit table behind the numbered file units, shared by the files that
// implement them; callers use platform/file_units.h.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "platform/file_units.h"

namespace plat {

struct FileUnit {
  int fd = -1;
  std::string name;  // as given to open, trimmed
  std::string path;  // file system path; empty for a nameless scratch file
  UnitMode mode;
  dev_t dev = 0;  // identity of the file on disk, for sharing checks
  ino_t ino = 0;
  std::int64_t pos = 0;      // 0-based byte offset of the next transfer
  std::int64_t nextrec = 1;  // direct access: the record after the last one transferred
  bool at_eof = false;       // the last record read met the end of the file
  // Read-ahead of the record reader: bytes of the file from cacheoff on.
  std::string cache;
  std::int64_t cacheoff = 0;
  // Writes of a buffered unit not yet passed on: bytes from wbufoff on.
  std::string wbuf;
  std::int64_t wbufoff = 0;
  bool writefailed = false;  // a write to the file system failed
  // Opened to append: every write lands at the file's end as it is at that
  // moment (records held back are passed on whole, so a record of this
  // unit is never split by another writer's).
  bool appends = false;
  // The status of held-back writes that could not be passed on, kept until
  // a write, flush or close of this unit reports it (the pass-on may have
  // been caused by another unit's operation).
  int deferred = 0;
};

// Open units by number (taken out only by erase_unit, which find_unit's
// memory of the unit found last relies on).
extern std::map<int, FileUnit> fileunits;

// One operation under a test hook's count (file_units.h): false when it is
// to fail; counts it down otherwise.
bool take_fault(std::int64_t& left);

// The open unit, or nullptr.
FileUnit* find_unit_again(int unit);
namespace detail {
// The unit found last (records of one unit follow each other): its number
// and entry, which stays where it is until the unit is taken out.
inline int foundnumber = 0;
inline FileUnit* found = nullptr;
}  // namespace detail
inline FileUnit* find_unit(int unit) {
  if (detail::found != nullptr && unit == detail::foundnumber) return detail::found;
  return find_unit_again(unit);
}
// Takes unit out of the table.
void erase_unit(int unit);

// Reads up to n bytes at byte offset off; got receives the count (short at
// the end of the file). Returns iostat_ok or iostat_read_error.
int unit_read_at(FileUnit& u, std::int64_t off, char* dst, std::int64_t n, std::int64_t& got);
// Writes n bytes at byte offset off and drops the read-ahead of every unit
// of the same file. Returns iostat_ok or iostat_write_error.
int unit_write_at(FileUnit& u, std::int64_t off, const char* src, std::int64_t n);
// Drops the read-ahead of every unit that holds u's file.
void unit_drop_caches(const FileUnit& u);
// The bytes a buffered unit holds back at most: reaching them passes them on.
inline constexpr std::size_t kWriteBehind = 64 * 1024;
// The one unit whose writes are held back, nullptr when none.
extern FileUnit* unitpending;
// Passes on what u holds back; a failure is also kept in u.deferred.
int unit_flush(FileUnit& u);
// u.deferred, cleared: the caller reports it now.
int unit_take_deferred(FileUnit& u);
// Writes at offset off: held back for a buffered unit, else at once. The
// status is the write's own, else a failure kept for u (held-back writes
// of u that could not be passed on); another unit's failure stays with it.
// tail: bytes that follow bytes in the same write (a record's line end).
int unit_write_buffered(FileUnit& u, std::int64_t off, std::string_view bytes,
                        std::string_view tail = {});

// Common checks of a transfer: the unit must be open and allow the
// direction. Return iostat_ok or the failure status.
int unit_check_read(const FileUnit* u);
inline int unit_check_write(const FileUnit* u) {
  if (u == nullptr) return iostat_not_connected;
  if (u->mode.action == UnitAction::read) return iostat_read_only;
  return iostat_ok;
}

}  // namespace plat
