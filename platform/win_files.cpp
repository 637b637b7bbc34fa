// The kernel-object table, files and folders.
#include "platform/win_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "platform/file_names.h"
#include "platform/file_replace.h"
#include "platform/file_units.h"
#include "platform/win_kernel_internal.h"

namespace win {

namespace detail {

namespace {

// Far from the ranges of the other handle tables.
constexpr std::uint32_t kKernelBase = 0x00800000;
// Mutex handles (win_system_info.cpp) lie below the table's range; they
// hold their lock for the life of the process, so closing one does nothing.
constexpr std::uint32_t kMutexHandles = 0x7000;

std::unordered_map<std::uint32_t, std::unique_ptr<KernelObject>>& objects() {
  static std::unordered_map<std::uint32_t, std::unique_ptr<KernelObject>> table;
  return table;
}
std::uint32_t next_handle = kKernelBase;

bool sharing_allows(DWORD share, DWORD access) {
  if ((access & (GENERIC_READ | GENERIC_ALL)) != 0 && (share & FILE_SHARE_READ) == 0) return false;
  if ((access & (GENERIC_WRITE | GENERIC_ALL)) != 0 && (share & FILE_SHARE_WRITE) == 0)
    return false;
  return true;
}

// Whether an open handle of the same file stands against the new one.
bool sharing_conflict(dev_t device, ino_t inode, DWORD access, DWORD share) {
  for (auto& [h, object] : objects()) {
    const auto* f = dynamic_cast<const FileObject*>(object.get());
    if (f == nullptr || f->device != device || f->inode != inode) continue;
    if (!sharing_allows(f->share, access) || !sharing_allows(share, f->access)) return true;
  }
  return false;
}

int open_flags(DWORD access, DWORD creation) {
  const bool reads = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  const bool writes = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
  int flags = writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (creation) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      flags |= O_TRUNC;
      break;
    default:
      break;
  }
  return flags | O_CLOEXEC | O_NOCTTY;
}

}  // namespace

HANDLE add_object(std::unique_ptr<KernelObject> object) {
  const std::uint32_t h = next_handle++;
  objects()[h] = std::move(object);
  return handle_from<HANDLE>(h);
}

KernelObject* find_object(HANDLE handle) {
  auto it = objects().find(handle_value(handle));
  return it == objects().end() ? nullptr : it->second.get();
}

DWORD error_of_errno(int e) {
  switch (e) {
    case ENOENT:
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case ENOEXEC:
      return ERROR_BAD_EXE_FORMAT;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

DWORD missing_error(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                               : ERROR_PATH_NOT_FOUND;
}

std::string native_path(std::string_view name) { return plat::system_path(name); }

BOOL FileObject::read(void* buffer, DWORD count, DWORD* done) {
  DWORD got = 0;
  auto* out = static_cast<char*>(buffer);
  while (got < count) {
    const ssize_t n = ::read(fd, out + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastError(error_of_errno(errno));
      if (done != nullptr) *done = got;
      return FALSE;
    }
    if (n == 0) break;
    got += static_cast<DWORD>(n);
  }
  if (done != nullptr) *done = got;
  return TRUE;
}

BOOL FileObject::write(const void* buffer, DWORD count, DWORD* done) {
  DWORD put = 0;
  const auto* in = static_cast<const char*>(buffer);
  while (put < count) {
    const ssize_t n = ::write(fd, in + put, count - put);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      SetLastError(n < 0 ? error_of_errno(errno) : ERROR_DISK_FULL);
      if (done != nullptr) *done = put;
      return FALSE;
    }
    put += static_cast<DWORD>(n);
  }
  if (done != nullptr) *done = put;
  return TRUE;
}

FileObject::~FileObject() {
  if (fd >= 0) ::close(fd);
  if (delete_on_close) ::unlink(path.c_str());
}

}  // namespace detail

using detail::error_of_errno;
using detail::FileObject;

HANDLE CreateFileA(const char* name, DWORD access, DWORD share, void*, DWORD creation, DWORD flags,
                   HANDLE) {
  if (name == nullptr || creation < CREATE_NEW || creation > TRUNCATE_EXISTING ||
      (creation == TRUNCATE_EXISTING && (access & (GENERIC_WRITE | GENERIC_ALL)) == 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  if (const int port = detail::comm_port_number(name); port >= 0) {
    std::unique_ptr<FileObject> f = detail::open_comm_port(port);
    return f != nullptr ? detail::add_object(std::move(f)) : INVALID_HANDLE_VALUE;
  }
  auto f = std::make_unique<FileObject>();
  f->path = detail::native_path(name);
  f->access = access;
  f->share = share;
  f->delete_on_close = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
  if (f->path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  struct stat before {};
  const bool existed = stat(f->path.c_str(), &before) == 0;
  if (existed) {
    if (S_ISDIR(before.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    if (creation == CREATE_NEW) {
      SetLastError(ERROR_FILE_EXISTS);
      return INVALID_HANDLE_VALUE;
    }
    // Refused before the file is touched (CREATE_ALWAYS would empty it).
    if (detail::sharing_conflict(before.st_dev, before.st_ino, access, share)) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return INVALID_HANDLE_VALUE;
    }
  }
  int open = detail::open_flags(access, creation);
  if (existed && S_ISDIR(before.st_mode)) open = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  const mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  f->fd = ::open(f->path.c_str(), open, mode);
  if (f->fd < 0) {
    SetLastError(errno == ENOENT ? detail::missing_error(f->path) : error_of_errno(errno));
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  fstat(f->fd, &st);
  f->device = st.st_dev;
  f->inode = st.st_ino;
  SetLastError(existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS)
                   ? ERROR_ALREADY_EXISTS
                   : ERROR_SUCCESS);
  return detail::add_object(std::move(f));
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void*) {
  if (read != nullptr) *read = 0;
  FileObject* f = detail::object_as<FileObject>(file);
  if (f == nullptr) return FALSE;
  if ((f->access & (GENERIC_READ | GENERIC_ALL)) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return f->read(buffer, count, read);
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void*) {
  if (written != nullptr) *written = 0;
  FileObject* f = detail::object_as<FileObject>(file);
  if (f == nullptr) return FALSE;
  if ((f->access & (GENERIC_WRITE | GENERIC_ALL)) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return f->write(buffer, count, written);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* high, DWORD method) {
  FileObject* f = detail::object_as<FileObject>(file);
  if (f == nullptr) return INVALID_SET_FILE_POINTER;
  const std::int64_t move =
      high != nullptr ? static_cast<std::int64_t>(
                            (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*high)) << 32) |
                            static_cast<std::uint32_t>(distance))
                      : distance;
  if (method > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  off_t base = 0;
  if (method == FILE_CURRENT) {
    base = lseek(f->fd, 0, SEEK_CUR);
  } else if (method == FILE_END) {
    struct stat st {};
    fstat(f->fd, &st);
    base = st.st_size;
  }
  if (base + move < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  const off_t at = lseek(f->fd, base + move, SEEK_SET);
  if (at < 0) {
    SetLastError(error_of_errno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (high != nullptr) *high = static_cast<LONG>(static_cast<std::uint64_t>(at) >> 32);
  // A position that reads as the failure value: the caller tells by the
  // last error, as always.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(at);
}

BOOL CloseHandle(HANDLE object) {
  const std::uint32_t h = handle_value(object);
  if (h >= detail::kMutexHandles && h < detail::kKernelBase) return TRUE;
  const auto it = detail::objects().find(h);
  if (it == detail::objects().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // Closing a file may be the step that fails to write it: that is told.
  // (A serial port lets its device go its own way.)
  int error = 0;
  detail::KernelObject& o = *it->second;
  if (typeid(o) == typeid(FileObject)) {
    auto& f = static_cast<FileObject&>(o);
    if (f.fd >= 0 && ::close(f.fd) != 0 && errno != EINTR) error = errno;
    f.fd = -1;
  }
  detail::objects().erase(it);
  if (error != 0) {
    SetLastError(error_of_errno(error));
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectoryA(const char* path, void*) {
  const std::string p = detail::native_path(path != nullptr ? path : "");
  if (p.empty() || ::mkdir(p.c_str(), 0777) != 0) {
    SetLastError(p.empty()         ? ERROR_PATH_NOT_FOUND
                 : errno == EEXIST ? ERROR_ALREADY_EXISTS
                                   : error_of_errno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(const char* path) {
  const std::string p = detail::native_path(path != nullptr ? path : "");
  struct stat st {};
  if (p.empty() || stat(p.c_str(), &st) != 0) {
    SetLastError(p.empty() ? ERROR_PATH_NOT_FOUND : detail::missing_error(p));
    return FALSE;
  }
  if (S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  for (auto& [h, object] : detail::objects()) {
    const auto* f = dynamic_cast<const FileObject*>(object.get());
    if (f != nullptr && f->device == st.st_dev && f->inode == st.st_ino &&
        (f->share & FILE_SHARE_DELETE) == 0) {
      SetLastError(ERROR_SHARING_VIOLATION);
      return FALSE;
    }
  }
  if (::unlink(p.c_str()) != 0) {
    SetLastError(error_of_errno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL SetCurrentDirectoryA(const char* path) {
  const std::string p = detail::native_path(path != nullptr ? path : "");
  if (p.empty() || ::chdir(p.c_str()) != 0) {
    SetLastError(p.empty() || errno == ENOENT ? ERROR_FILE_NOT_FOUND
                 : errno == ENOTDIR           ? ERROR_DIRECTORY
                                              : error_of_errno(errno));
    return FALSE;
  }
  return TRUE;
}

namespace {

// Copies a text with its NUL into a buffer of `size` bytes; the length
// written, or the size needed when it does not fit.
DWORD copy_out(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || text.size() + 1 > size) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  std::string cwd(4096, '\0');
  while (::getcwd(cwd.data(), cwd.size()) == nullptr) {
    if (errno != ERANGE) {
      SetLastError(error_of_errno(errno));
      return 0;
    }
    cwd.resize(cwd.size() * 2);
  }
  cwd.resize(std::strlen(cwd.c_str()));
  return copy_out(plat::name_from_system(cwd), buffer, size);
}

namespace {

// Copies the open source into a new file made at target (none may stand
// there); a copy that fails midway is deleted again.
BOOL copy_to_new(HANDLE from, const char* target) {
  const HANDLE to =
      CreateFileA(target, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (to == INVALID_HANDLE_VALUE) return FALSE;
  std::vector<char> buffer(1 << 16);
  BOOL ok = TRUE;
  for (DWORD got = 1; ok && got > 0;) {
    ok = ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr);
    if (ok && got > 0) ok = WriteFile(to, buffer.data(), got, nullptr, nullptr);
  }
  FILETIME written;
  if (ok && GetFileTime(from, nullptr, nullptr, &written))
    SetFileTime(to, nullptr, nullptr, &written);
  if (!CloseHandle(to)) ok = FALSE;
  if (!ok) {
    const DWORD why = GetLastError();
    DeleteFileA(target);
    SetLastError(why);
  }
  return ok;
}

// Copies the open source over target the safe way (plat::Replacement):
// target keeps its old bytes until the copy is whole.
BOOL copy_over(HANDLE from, const char* target) {
  const std::string path = detail::native_path(target);
  struct stat st {};
  if (!path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      detail::sharing_conflict(st.st_dev, st.st_ino, GENERIC_WRITE, 0)) {
    // The source itself, or a file that a handle keeps from being written.
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  plat::Replacement job(target);
  std::vector<char> buffer(1 << 16);
  for (DWORD got = 1; job.ok() && got > 0;) {
    if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return FALSE;  // the copy is given up; target stays as it was
    job.write({buffer.data(), got});
  }
  const plat::ReplaceResult r = job.commit();
  if (!r.ok()) {
    SetLastError(r.error == ENOENT ? detail::missing_error(r.path) : error_of_errno(r.error));
    return FALSE;
  }
  struct stat source {};
  const auto* f = detail::object_as<FileObject>(from);
  if (f != nullptr && ::fstat(f->fd, &source) == 0) {
    const timespec times[2] = {{0, UTIME_OMIT}, source.st_mtim};
    ::utimensat(AT_FDCWD, r.path.c_str(), times, 0);
  }
  return TRUE;
}

}  // namespace

BOOL CopyFileA(const char* existing, const char* target, BOOL fail_if_exists) {
  if (existing == nullptr || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The source shares only reading, so a target that is the same file is
  // refused before anything is written.
  const HANDLE from = CreateFileA(existing, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (from == INVALID_HANDLE_VALUE) return FALSE;
  const BOOL ok = fail_if_exists ? copy_to_new(from, target) : copy_over(from, target);
  const DWORD why = GetLastError();
  CloseHandle(from);
  SetLastError(ok ? ERROR_SUCCESS : why);
  return ok;
}

DWORD GetTempPathA(DWORD size, char* buffer) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = dir != nullptr && *dir != '\0' ? dir : "/tmp";
  if (path.back() != '/') path += '/';
  return copy_out(plat::name_from_system(path), buffer, size);
}

UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique, char* name) {
  if (path == nullptr || name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string folder(path);
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '/';
  const std::string pre = std::string(prefix != nullptr ? prefix : "").substr(0, 3);
  auto name_of = [&](UINT n) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", n & 0xFFFF);
    return folder + pre + hex + ".TMP";
  };
  if (unique != 0) {
    const std::string made = name_of(unique);
    if (made.size() >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return 0;
    }
    std::memcpy(name, made.c_str(), made.size() + 1);
    return unique & 0xFFFF;
  }
  const std::string native_folder = detail::native_path(folder);
  struct stat st {};
  if (stat(native_folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return 0;
  }
  static UINT next = static_cast<UINT>(getpid());
  for (int tries = 0; tries < 0xFFFF; ++tries) {
    const UINT n = (next++ % 0xFFFF) + 1;
    const std::string made = name_of(n);
    if (made.size() >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return 0;
    }
    const int fd =
        ::open(detail::native_path(made).c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      SetLastError(error_of_errno(errno));
      return 0;
    }
    ::close(fd);
    std::memcpy(name, made.c_str(), made.size() + 1);
    return n;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

}  // namespace win
