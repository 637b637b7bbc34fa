// Replacing a file: a temporary file renamed over it, or a careful write
// in place.
#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <random>
#include <utility>

#include "platform/file_names.h"
#include "platform/file_units_table.h"

namespace plat {

namespace {

// Links followed before the chain counts as a loop (the system's own
// limit).
constexpr int kMaxLinks = 40;
// Tries at a free temporary name.
constexpr int kNameTries = 100;
// Bytes of the file's name kept in the temporary file's name, so that the
// name stays within the file system's limit.
constexpr std::size_t kNameKept = 200;
// Bytes handed to one write.
constexpr std::size_t kChunk = std::size_t{1} << 30;

ReplaceResult failed(ReplaceResult r, ReplaceStep step, int error) {
  r.step = step;
  r.error = error != 0 ? error : EIO;
  return r;
}

// The folder part of a path, up to and including its last "/" (empty for
// a bare name, which lies in the current folder).
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path ends at when its links are followed, with its status
// when it exists.
struct Target {
  std::string path;
  bool exists = false;
  struct stat st {};
  int error = 0;
};

Target resolve(std::string path) {
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    Target t;
    t.path = path;
    if (::lstat(path.c_str(), &t.st) != 0) {
      if (errno != ENOENT) t.error = errno;
      return t;
    }
    if (!S_ISLNK(t.st.st_mode)) {
      t.exists = true;
      return t;
    }
    std::string link(256, '\0');
    for (;;) {
      const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
      if (n < 0) {
        t.error = errno;
        return t;
      }
      if (static_cast<std::size_t>(n) < link.size()) {
        link.resize(static_cast<std::size_t>(n));
        break;
      }
      link.resize(link.size() * 2);
    }
    if (link.empty()) {
      t.error = ENOENT;
      return t;
    }
    path = link.front() == '/' ? link : folder_of(path) + link;
  }
  Target loop;
  loop.path = path;
  loop.error = ELOOP;
  return loop;
}

std::string random_tail() {
  static constexpr std::string_view letters =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937_64 engine{std::random_device{}() ^
                                (static_cast<std::uint64_t>(::getpid()) << 32)};
  std::string tail(6, ' ');
  for (char& c : tail) c = letters[engine() % letters.size()];
  return tail;
}

// Creates a new temporary file beside path, never opening an entry that is
// there already; the descriptor, or -1 with errno set.
int make_temporary(const std::string& path, mode_t mode, std::string& temp) {
  const std::string folder = folder_of(path);
  const std::string name = path.substr(folder.size(), kNameKept);
  for (int tries = 0; tries < kNameTries; ++tries) {
    temp = folder + name + "~" + random_tail();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes all bytes at the offset; 0 or the error number. done receives the
// count written.
int write_all(int fd, std::string_view bytes, std::uint64_t offset, std::size_t& done) {
  done = 0;
  while (done < bytes.size()) {
    if (!take_fault(writes_before_fault)) return EIO;
    const std::size_t n = std::min(bytes.size() - done, kChunk);
    const ssize_t w = ::pwrite(fd, bytes.data() + done, n, static_cast<off_t>(offset + done));
    if (w < 0 && errno == EINTR) continue;
    if (w < 0) return errno;
    if (w == 0) return EIO;
    done += static_cast<std::size_t>(w);
  }
  return 0;
}

int close_checked(int fd) {
  const int closed = ::close(fd);
  const int error = closed != 0 ? errno : 0;
  if (!take_fault(closes_before_fault)) return EIO;
  return closed != 0 && error != EINTR ? error : 0;
}

void sync_folder(const std::string& path) {
  const std::string folder = folder_of(path);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // The file's bytes are on disk already; a folder that cannot be synced
  // (some file systems refuse) still holds the new entry.
  ::fsync(fd);
  ::close(fd);
}

// Gives the file its old length back after a failure.
void cut_back(int fd, off_t len) {
  if (::ftruncate(fd, len) != 0) {
    // It stays longer, its old bytes first; the failure that led here is
    // the one told.
  }
}

// Makes the file len bytes long before its bytes are overwritten, so that
// a full disk or the size limit shows before any old byte goes; 0 or the
// error number (the file keeps its old length then).
int make_room(int fd, off_t old, off_t len) {
  if (len <= old) return 0;
  if (::fallocate(fd, 0, 0, len) == 0) return 0;
  int error = errno;
  if (error == EOPNOTSUPP || error == ENOSYS) {
    if (::ftruncate(fd, len) == 0) return 0;
    error = errno;
  }
  // A failed try may have lengthened the file all the same.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size != old) cut_back(fd, old);
  return error;
}

// True when the file of st is the one the options expect (or none is
// expected).
bool expected(const struct stat& st, const ReplaceOptions& o) {
  return !o.expect || (static_cast<std::uint64_t>(st.st_dev) == o.expect->dev &&
                       static_cast<std::uint64_t>(st.st_ino) == o.expect->ino);
}

// The error number of a name that leads to another file than expected.
constexpr int kReplaced = ESTALE;

ReplaceResult write_in_place(ReplaceResult r, std::string_view bytes, const ReplaceOptions& o) {
  r.inplace = true;
  if (struct stat now{}; o.expect && (::stat(r.path.c_str(), &now) != 0 || !expected(now, o)))
    return failed(r, ReplaceStep::replaced, kReplaced);
  const int fd = ::open(r.path.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return failed(r, ReplaceStep::create, errno);
  struct stat st {};
  int error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
  if (error != 0) {
    ::close(fd);
    return failed(r, ReplaceStep::create, error);
  }
  if (!expected(st, o)) {
    ::close(fd);
    return failed(r, ReplaceStep::replaced, kReplaced);
  }
  const auto len = static_cast<off_t>(bytes.size());
  error = make_room(fd, st.st_size, len);
  if (error == 0) {
    std::size_t done = 0;
    error = write_all(fd, bytes, 0, done);
    // Not a byte overwritten: the file is as it was.
    if (error != 0 && done == 0) cut_back(fd, st.st_size);
  }
  if (error == 0 && len < st.st_size && ::ftruncate(fd, len) != 0) error = errno;
  if (error != 0) {
    ::close(fd);
    return failed(r, ReplaceStep::write, error);
  }
  if (o.sync && ::fsync(fd) != 0) error = errno;
  if (o.sync && error == 0 && !take_fault(syncs_before_fault)) error = EIO;
  if (error != 0) {
    ::close(fd);
    return failed(r, ReplaceStep::sync, error);
  }
  if ((error = close_checked(fd)) != 0) return failed(r, ReplaceStep::close, error);
  return r;
}

// Gives the temporary file the permission bits, owner and group of the
// file it replaces; false when they cannot be kept.
bool take_attributes(int fd, const struct stat& of) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return false;
  if ((now.st_uid != of.st_uid || now.st_gid != of.st_gid) &&
      ::fchown(fd, of.st_uid, of.st_gid) != 0)
    return false;
  return ::fchmod(fd, of.st_mode & 07777) == 0;
}

// The start of a replace: the file resolved and checked, and either a
// temporary file made beside it or the write in place chosen.
struct Start {
  ReplaceResult r;
  int fd = -1;
  std::string temp;
  bool inplace = false;
};

Start begin_replace(std::string_view name, const ReplaceOptions& options) {
  Start s;
  const std::string given = unit_file_path(name);
  if (given.empty()) {
    s.r = failed(s.r, ReplaceStep::name, EINVAL);
    return s;
  }
  const Target t = resolve(given);
  s.r.path = t.path;
  if (t.error != 0) {
    s.r = failed(s.r, ReplaceStep::name, t.error);
  } else if (options.expect && (!t.exists || !expected(t.st, options))) {
    s.r = failed(s.r, ReplaceStep::replaced, kReplaced);
  } else if (t.exists && !S_ISREG(t.st.st_mode)) {
    s.r = failed(s.r, ReplaceStep::create, S_ISDIR(t.st.st_mode) ? EISDIR : EINVAL);
  } else if (t.exists && ::faccessat(AT_FDCWD, t.path.c_str(), W_OK, AT_EACCESS) != 0) {
    // A file the user may not write is not replaced behind its back.
    s.r = failed(s.r, ReplaceStep::create, errno);
  } else if (t.exists && t.st.st_nlink > 1) {
    // A rename would cut the file's other hard links off.
    s.inplace = true;
  } else if ((s.fd = make_temporary(t.path, t.exists ? 0600 : options.newmode, s.temp)) < 0) {
    const int error = errno;
    if (t.exists && (error == EACCES || error == EPERM || error == EROFS))
      s.inplace = true;
    else
      s.r = failed(s.r, ReplaceStep::create, error);
  } else if (t.exists && !take_attributes(s.fd, t.st)) {
    ::close(s.fd);
    ::unlink(s.temp.c_str());
    s.fd = -1;
    s.inplace = true;
  }
  return s;
}

// The end of a replace whose bytes are in the temporary file (error: a
// failed write, 0 when all went there): synced, closed and renamed over
// the file; on failure the temporary file goes.
ReplaceResult finish_replace(ReplaceResult r, int fd, const std::string& temp, int error,
                             const ReplaceOptions& options) {
  ReplaceStep step = error != 0 ? ReplaceStep::write : ReplaceStep::none;
  if (error == 0 && options.sync && ::fsync(fd) != 0) {
    step = ReplaceStep::sync;
    error = errno;
  } else if (error == 0 && options.sync && !take_fault(syncs_before_fault)) {
    step = ReplaceStep::sync;
    error = EIO;
  }
  const int closed = close_checked(fd);
  if (error == 0 && closed != 0) {
    step = ReplaceStep::close;
    error = closed;
  }
  if (error == 0 && !take_fault(renames_before_fault)) {
    step = ReplaceStep::rename;
    error = EIO;
  }
  if (struct stat now{}; error == 0 && options.expect &&
                         (::stat(r.path.c_str(), &now) != 0 || !expected(now, options))) {
    step = ReplaceStep::replaced;
    error = kReplaced;
  }
  if (error == 0 && ::rename(temp.c_str(), r.path.c_str()) != 0) {
    step = ReplaceStep::rename;
    error = errno;
  }
  if (error != 0) {
    ::unlink(temp.c_str());
    return failed(r, step, error);
  }
  if (options.sync) sync_folder(r.path);
  return r;
}

}  // namespace

ReplaceResult replace_file(std::string_view name, std::string_view bytes,
                           const ReplaceOptions& options) {
  Start s = begin_replace(name, options);
  if (!s.r.ok()) return s.r;
  if (s.inplace) return write_in_place(s.r, bytes, options);
  std::size_t done = 0;
  const int error = write_all(s.fd, bytes, 0, done);
  return finish_replace(s.r, s.fd, s.temp, error, options);
}

Replacement::Replacement(std::string_view name, const ReplaceOptions& options) : options_(options) {
  Start s = begin_replace(name, options);
  result_ = std::move(s.r);
  fd_ = s.fd;
  temp_ = std::move(s.temp);
  gather_ = s.inplace;
}

Replacement::~Replacement() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(temp_.c_str());
}

bool Replacement::write(std::string_view bytes) {
  if (!result_.ok() || committed_) return false;
  if (gather_) {
    gathered_.append(bytes);
    return true;
  }
  std::size_t done = 0;
  const int error = write_all(fd_, bytes, written_, done);
  written_ += done;
  if (error == 0) return true;
  ::close(fd_);
  ::unlink(temp_.c_str());
  fd_ = -1;
  result_ = failed(result_, ReplaceStep::write, error);
  return false;
}

ReplaceResult Replacement::commit() {
  if (committed_ || !result_.ok()) return result_;
  committed_ = true;
  if (gather_) {
    result_ = write_in_place(result_, gathered_, options_);
    gathered_.clear();
  } else {
    result_ = finish_replace(result_, fd_, temp_, 0, options_);
    fd_ = -1;
  }
  return result_;
}

int replace_iostat(const ReplaceResult& result) {
  switch (result.step) {
    case ReplaceStep::none:
      return result.error == 0 ? iostat_ok : iostat_write_error;
    case ReplaceStep::name:
      return result.path.empty() ? iostat_bad_name : iostat_open_failed;
    case ReplaceStep::create:
      return result.error == ENOENT || result.error == ENOTDIR ? iostat_no_file
                                                               : iostat_open_failed;
    case ReplaceStep::close:
      return iostat_close_failed;
    case ReplaceStep::replaced:
      return iostat_replaced;
    case ReplaceStep::write:
    case ReplaceStep::sync:
    case ReplaceStep::rename:
      break;
  }
  return iostat_write_error;
}

}  // namespace plat
