#include "platform/win_system_info.h"

#include "platform/win_library.h"

#include <fcntl.h>
#include <mntent.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "platform/file_names.h"
#include "platform/win_last_error.h"
#include "platform/win_window_tree.h"

namespace win {

namespace {

// Copies a text into a caller's buffer of `size` bytes, NUL-terminated and
// cut to fit.
void copy_out(const std::string& text, LPSTR buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

DWORD error_of_errno(int e) {
  switch (e) {
    case ENOENT:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

// Mutex handles are numbers of their own range, apart from the other
// handle tables of the platform.
constexpr std::uint32_t kFirstMutexHandle = 0x7000;
std::uint32_t next_mutex_handle = kFirstMutexHandle;

// A folder of the user's own, made (0700) when missing: false when it is
// anything else (a link, another user's folder, open to others' writes).
bool own_folder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The folder of the lock files: the user's runtime folder, else "ostrel"
// in the user's state folder ($XDG_STATE_HOME, else ~/.local/state); never
// a folder that others share. Empty when there is none.
std::string lock_folder() {
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir != nullptr && *dir == '/') return dir;
  std::string state;
  if (const char* s = std::getenv("XDG_STATE_HOME"); s != nullptr && *s == '/') {
    state = s;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
    state = std::string(home) + "/.local/state";
  } else {
    return {};
  }
  std::error_code ec;
  std::filesystem::create_directories(state, ec);
  const std::string folder = state + "/ostrel";
  return own_folder(folder) ? folder : std::string();
}

// The lock file's name for a mutex name: '/' and '%' escaped; a long name
// is replaced by its hash.
std::string lock_file_name(const std::string& name) {
  std::string escaped;
  for (char c : name) {
    if (c == '/')
      escaped += "%2F";
    else if (c == '%')
      escaped += "%25";
    else
      escaped += c;
  }
  if (escaped.size() > 200) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "%016zx", std::hash<std::string>{}(name));
    escaped = hex;
  }
  const std::string folder = lock_folder();
  return folder.empty() ? std::string() : folder + "/ostrel-mutex-" + escaped;
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  utsname u{};
  unsigned major = 0, minor = 0, build = 0;
  if (uname(&u) == 0) std::sscanf(u.release, "%u.%u.%u", &major, &minor, &build);
  info->dwMajorVersion = std::max(major, 4u);
  info->dwMinorVersion = minor;
  info->dwBuildNumber = build;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
  copy_out(std::string(u.sysname) + " " + u.release, info->szCSDVersion, sizeof info->szCSDVersion);
  return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  if (module != nullptr && module != GetModuleHandleA(nullptr)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::error_code ec;
  const std::string path =
      plat::name_from_system(std::filesystem::read_symlink("/proc/self/exe", ec).string());
  if (ec) {
    SetLastError(error_of_errno(ec.value()));
    return 0;
  }
  if (buffer == nullptr || size == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  copy_out(path, buffer, size);
  if (path.size() >= size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return static_cast<DWORD>(path.size());
}

HANDLE CreateMutexA(void*, BOOL, LPCSTR name) {
  const HANDLE handle = handle_from<HANDLE>(next_mutex_handle++);
  if (name == nullptr || *name == '\0') {
    SetLastError(ERROR_SUCCESS);
    return handle;
  }
  const std::string path = lock_file_name(name);
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  // A link in the lock's place is not followed, and only a file of the
  // user's own is a lock.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    SetLastError(error_of_errno(errno));
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int why = errno;
    close(fd);
    if (why != EWOULDBLOCK) {
      SetLastError(error_of_errno(why));
      return nullptr;
    }
    SetLastError(ERROR_ALREADY_EXISTS);
    return handle;
  }
  // The descriptor stays open: the lock lives as long as the process.
  SetLastError(ERROR_SUCCESS);
  return handle;
}

BOOL GetVolumeInformationA(LPCSTR root, LPSTR volume_name, DWORD volume_name_size, DWORD* serial,
                           DWORD* max_component_length, DWORD* flags, LPSTR file_system_name,
                           DWORD file_system_name_size) {
  std::error_code ec;
  const std::filesystem::path where = std::filesystem::canonical(
      root != nullptr && *root != '\0' ? std::filesystem::path(plat::system_path(root))
                                       : std::filesystem::current_path(ec),
      ec);
  struct statvfs vfs {};
  if (ec || statvfs(where.c_str(), &vfs) != 0) {
    SetLastError(ec ? ERROR_PATH_NOT_FOUND : error_of_errno(errno));
    return FALSE;
  }
  // The mount whose folder is the longest leading part of the path.
  std::string device, type, options;
  std::size_t best = 0;
  if (std::FILE* mounts = setmntent("/proc/self/mounts", "r")) {
    const std::string path = where.string();
    while (mntent* m = getmntent(mounts)) {
      const std::string dir = m->mnt_dir;
      const bool holds = dir == "/" || (path.compare(0, dir.size(), dir) == 0 &&
                                        (path.size() == dir.size() || path[dir.size()] == '/'));
      if (holds && dir.size() >= best) {
        best = dir.size();
        device = m->mnt_fsname;
        type = m->mnt_type;
        options = m->mnt_opts;
      }
    }
    endmntent(mounts);
  }
  const bool fat_like = type == "vfat" || type == "msdos" || type == "exfat" || type == "ntfs" ||
                        type == "ntfs3" || type == "fuseblk";
  DWORD f = FILE_CASE_PRESERVED_NAMES;
  if (fat_like)
    f |= FILE_UNICODE_ON_DISK;
  else
    f |= FILE_CASE_SENSITIVE_SEARCH | FILE_PERSISTENT_ACLS;
  if (type == "btrfs") f |= FILE_FILE_COMPRESSION;
  if (options.find("compress") != std::string::npos) f |= FILE_VOLUME_IS_COMPRESSED;
  copy_out(device, volume_name, volume_name_size);
  copy_out(type, file_system_name, file_system_name_size);
  if (serial != nullptr) *serial = static_cast<DWORD>(vfs.f_fsid);
  if (max_component_length != nullptr) *max_component_length = static_cast<DWORD>(vfs.f_namemax);
  if (flags != nullptr) *flags = f;
  return TRUE;
}

void Sleep(DWORD milliseconds) { detail::clock_wait(milliseconds); }

BOOL WinHelpA(HWND, LPCSTR, UINT, ULONG_PTR) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

}  // namespace win

namespace plat {

bool cpuid(std::uint32_t leaf, std::uint32_t regs[4]) {
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid(leaf, a, b, c, d);
  regs[0] = a, regs[1] = b, regs[2] = c, regs[3] = d;
  return true;
#else
  (void)leaf, (void)regs;
  return false;
#endif
}

}  // namespace plat
