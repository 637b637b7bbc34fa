// Opening and closing numbered units, and the sharing rules between units
// that hold the same file.
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_units_table.h"

namespace plat {

namespace {

bool wants_read(UnitAction a) { return a != UnitAction::write; }
bool wants_write(UnitAction a) { return a != UnitAction::read; }
bool denies_read(UnitShare s) { return s == UnitShare::denyread || s == UnitShare::denyreadwrite; }
bool denies_write(UnitShare s) {
  return s == UnitShare::denywrite || s == UnitShare::denyreadwrite;
}

// True when an open with (action, share) may not stand beside the open unit u.
bool share_conflict(const FileUnit& u, UnitAction action, UnitShare share) {
  return (wants_read(action) && denies_read(u.mode.share)) ||
         (wants_write(action) && denies_write(u.mode.share)) ||
         (wants_read(u.mode.action) && denies_read(share)) ||
         (wants_write(u.mode.action) && denies_write(share));
}

bool same_mode(const UnitMode& a, const UnitMode& b) {
  return a.access == b.access && a.form == b.form && a.action == b.action && a.share == b.share &&
         a.records == b.records && a.recl == b.recl && a.buffered == b.buffered;
}

// A sequential file opened at its end for writing keeps appending.
bool appends(const UnitMode& m) {
  return m.position == UnitPosition::append && m.access == UnitAccess::sequential &&
         m.action != UnitAction::read;
}

int open_flags(UnitAction a) {
  switch (a) {
    case UnitAction::read:
      return O_RDONLY;
    case UnitAction::write:
      return O_WRONLY;
    case UnitAction::readwrite:
      break;
  }
  return O_RDWR;
}

// A nameless scratch file in the temporary folder, unlinked at once.
int open_nameless_scratch() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  if (ec) dir = "/tmp";
  std::string tmpl = (dir / "ostrel-scratch-XXXXXX").string();
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(tmpl.c_str());
  return fd;
}

// check_unit_name of an open unit.
int name_status(const FileUnit& u) {
  if (u.path.empty()) return iostat_ok;
  struct stat held {};
  struct stat named {};
  if (::fstat(u.fd, &held) != 0) return iostat_open_failed;
  if (::stat(u.path.c_str(), &named) != 0)
    return errno == ENOENT || errno == ENOTDIR ? iostat_no_file : iostat_open_failed;
  return named.st_dev == held.st_dev && named.st_ino == held.st_ino ? iostat_ok : iostat_replaced;
}

}  // namespace

int open_unit(int unit, std::string_view name, const UnitMode& mode) {
  if (unit < 0) return iostat_not_connected;
  flush_units();
  UnitMode want = mode;
  if (want.access == UnitAccess::direct && want.recl < 1) {
    if (want.form != UnitForm::binary) return iostat_no_recl;
    want.recl = 1;  // binary direct: byte-addressed records
  }
  std::string path = unit_file_path(name);
  bool nameless = path.empty();
  if (nameless && want.status != UnitStatus::scratch) return iostat_bad_name;

  struct stat st {};
  bool exists = !nameless && ::stat(path.c_str(), &st) == 0;

  if (FileUnit* held = find_unit(unit)) {
    bool keep = exists && !held->path.empty() && held->dev == st.st_dev && held->ino == st.st_ino &&
                same_mode(held->mode, want) && appends(held->mode) == appends(want) &&
                (want.status == UnitStatus::old_file || want.status == UnitStatus::unknown);
    if (keep) return iostat_ok;
    close_unit(unit);
  }

  int fd = -1;
  if (nameless) {
    fd = open_nameless_scratch();
    if (fd < 0) return iostat_open_failed;
  } else {
    if (exists && S_ISDIR(st.st_mode)) return iostat_open_failed;
    if (want.status == UnitStatus::old_file && !exists) return iostat_no_file;
    if (want.status == UnitStatus::new_file && exists) return iostat_exists;
    if (exists) {
      for (const auto& [number, other] : fileunits) {
        if (other.dev == st.st_dev && other.ino == st.st_ino &&
            share_conflict(other, want.action, want.share)) {
          return iostat_open_failed;
        }
      }
    }
    int flags = open_flags(want.action) | O_CLOEXEC;
    // Another program (or another run) may append to the same file at the
    // same time: each write goes to the end as the file is then, never to
    // an end remembered from the open.
    if (appends(want)) flags |= O_APPEND;
    if (want.status == UnitStatus::new_file) {
      flags |= O_CREAT | O_EXCL;
    } else if (want.status != UnitStatus::old_file) {
      flags |= O_CREAT;
    }
    fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
      if (errno == EEXIST) return iostat_exists;
      if (errno == ENOENT || errno == ENOTDIR) return iostat_no_file;
      return iostat_open_failed;
    }
    bool empty_it = want.status == UnitStatus::replace || want.status == UnitStatus::scratch;
    if (empty_it && exists && st.st_size > 0) {
      // The sharing check is done: only now may the old contents go.
      if (::truncate(path.c_str(), 0) != 0) {
        ::close(fd);
        return iostat_open_failed;
      }
    }
  }

  struct stat fst {};
  if (::fstat(fd, &fst) != 0 || S_ISDIR(fst.st_mode)) {
    ::close(fd);
    return iostat_open_failed;
  }
  FileUnit u;
  u.fd = fd;
  u.path = path;
  if (!nameless) {
    std::string_view n = name.substr(0, name.find('\0'));
    while (!n.empty() && n.back() == ' ') n.remove_suffix(1);
    u.name = std::string(n);
  }
  u.mode = want;
  u.dev = fst.st_dev;
  u.ino = fst.st_ino;
  u.pos = want.position == UnitPosition::append ? static_cast<std::int64_t>(fst.st_size) : 0;
  u.appends = !nameless && appends(want);
  fileunits[unit] = std::move(u);
  return iostat_ok;
}

int close_unit(int unit, UnitClose how) {
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_ok;
  flush_units();
  const int kept = unit_take_deferred(*u);
  bool remove = how == UnitClose::remove || u->mode.status == UnitStatus::scratch;
  std::string path = u->path;
  // A file that has taken the name since the open is not deleted.
  const bool replaced = remove && name_status(*u) == iostat_replaced;
  const bool closed = ::close(u->fd) == 0 && take_fault(closes_before_fault);
  erase_unit(unit);
  if (replaced) return iostat_replaced;
  if (remove && !path.empty() && ::unlink(path.c_str()) != 0) return iostat_close_failed;
  // Writes that could not be passed on matter only for a file that stays.
  if (kept != iostat_ok && !remove) return kept;
  return closed ? iostat_ok : iostat_close_failed;
}

int cut_unit(int unit, std::int64_t pos) {
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_not_connected;
  if (pos < 1) return iostat_bad_record;
  flush_units();  // (another unit's failure stays kept for that unit)
  if (const int held = flush_unit(unit); held != iostat_ok) return held;
  unit_drop_caches(*u);
  int fd = u->fd;
  int own = -1;
  if (!wants_write(u->mode.action)) {
    for (const auto& [number, other] : fileunits) {
      if (number != unit && other.dev == u->dev && other.ino == u->ino &&
          denies_write(other.mode.share))
        return iostat_open_failed;
    }
    // The open file itself, reached through the unit's handle: never the
    // name, which may lead elsewhere by now.
    const std::string handle = "/proc/self/fd/" + std::to_string(u->fd);
    own = ::open(handle.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    if (own < 0 || ::fstat(own, &st) != 0 || st.st_dev != u->dev || st.st_ino != u->ino) {
      if (own >= 0) ::close(own);
      return iostat_open_failed;
    }
    fd = own;
  }
  const bool cut = ::ftruncate(fd, static_cast<off_t>(pos - 1)) == 0;
  if (own >= 0) ::close(own);
  if (!cut) return iostat_write_error;
  u->at_eof = false;
  return iostat_ok;
}

int check_unit_name(int unit) {
  const FileUnit* u = find_unit(unit);
  return u != nullptr ? name_status(*u) : iostat_not_connected;
}

int commit_unit(int unit, std::string_view target, bool sync) {
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_not_connected;
  const std::string path = u->path;
  int status = unit_flush(*u);
  if (status == iostat_ok && u->writefailed) status = iostat_write_error;
  if (status == iostat_ok && sync && (::fsync(u->fd) != 0 || !take_fault(syncs_before_fault)))
    status = iostat_write_error;
  const int closed = close_unit(unit, UnitClose::keep);
  if (status == iostat_ok) status = closed;
  const std::string to = unit_file_path(target);
  if (status == iostat_ok && (path.empty() || !take_fault(renames_before_fault) ||
                              ::rename(path.c_str(), to.c_str()) != 0)) {
    status = iostat_write_error;
  }
  if (status != iostat_ok && !path.empty()) ::unlink(path.c_str());
  return status;
}

int flush_unit(int unit) {
  if (unit < 0) return iostat_not_connected;
  FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_ok;
  unit_flush(*u);
  return unit_take_deferred(*u);
}

void reset_file_units() {
  while (!fileunits.empty()) close_unit(fileunits.begin()->first);
  reads_before_fault = writes_before_fault = syncs_before_fault = -1;
  closes_before_fault = renames_before_fault = -1;
}

}  // namespace plat
