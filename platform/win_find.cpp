// Directory searches.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/charcase.h"
#include "platform/file_names.h"
#include "platform/win_files.h"
#include "platform/win_kernel_internal.h"

namespace win {

namespace detail {

namespace {

struct SearchObject : KernelObject {
  std::vector<WIN32_FIND_DATAA> found;
  std::size_t next = 0;
};

bool same_letter(char a, char b) {
  return plat::upper1252(static_cast<unsigned char>(a)) ==
         plat::upper1252(static_cast<unsigned char>(b));
}

// "*" any run of characters, "?" any one.
bool glob(const char* p, const char* n) {
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*n != '\0') {
    if (*p == '*') {
      star = p++;
      resume = n;
    } else if (*p == '?' || (*p != '\0' && same_letter(*p, *n))) {
      ++p;
      ++n;
    } else if (star != nullptr) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

bool before(const std::string& a, const std::string& b) {
  const auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
  if (rank(a) != rank(b)) return rank(a) < rank(b);
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    const int x = plat::upper1252(static_cast<unsigned char>(a[i]));
    const int y = plat::upper1252(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// The times come from statx: the birth time where the file system keeps
// one, else the last write.
WIN32_FIND_DATAA entry(const std::string& folder, const std::string& native_name,
                       const std::string& name) {
  WIN32_FIND_DATAA d;
  const std::string path = folder + "/" + native_name;
  struct statx sx {};
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
    statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &sx);
  const bool folder_entry = S_ISDIR(sx.stx_mode);
  d.dwFileAttributes = folder_entry ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if ((sx.stx_mode & S_IWUSR) == 0) d.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  if (name[0] == '.' && name != "." && name != "..") d.dwFileAttributes |= FILE_ATTRIBUTE_HIDDEN;
  const auto time = [](const statx_timestamp& t) {
    return file_time_of(timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
  };
  d.ftLastWriteTime = time(sx.stx_mtime);
  d.ftLastAccessTime = time(sx.stx_atime);
  d.ftCreationTime = (sx.stx_mask & STATX_BTIME) != 0 ? time(sx.stx_btime) : d.ftLastWriteTime;
  const auto size = static_cast<std::uint64_t>(folder_entry ? 0 : sx.stx_size);
  d.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  d.nFileSizeLow = static_cast<DWORD>(size);
  std::memcpy(d.cFileName, name.data(), std::min<std::size_t>(name.size(), MAX_PATH - 1));
  return d;
}

}  // namespace

}  // namespace detail

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  const std::string whole(pattern != nullptr ? pattern : "");
  const std::size_t cut = whole.find_last_of("\\/");
  const std::string name_pattern = cut == std::string::npos ? whole : whole.substr(cut + 1);
  std::string folder = cut == std::string::npos ? "." : detail::native_path(whole.substr(0, cut));
  if (cut == 0) folder.assign(1, '/');
  if (name_pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<std::pair<std::string, std::string>> names;  // Windows-1252, native
  while (const dirent* e = readdir(dir)) {
    std::string name = plat::name_from_system(e->d_name);
    if (plat::find_pattern_matches(name_pattern.c_str(), name.c_str()))
      names.emplace_back(std::move(name), e->d_name);
  }
  closedir(dir);
  if (names.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::sort(names.begin(), names.end(),
            [](const auto& a, const auto& b) { return detail::before(a.first, b.first); });
  auto search = std::make_unique<detail::SearchObject>();
  for (const auto& [name, native] : names)
    search->found.push_back(detail::entry(folder, native, name));
  if (data != nullptr) *data = search->found[0];
  search->next = 1;
  return detail::add_object(std::move(search));
}

BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data) {
  auto* s = detail::object_as<detail::SearchObject>(search);
  if (s == nullptr) return FALSE;
  if (s->next >= s->found.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  if (data != nullptr) *data = s->found[s->next];
  ++s->next;
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  if (detail::object_as<detail::SearchObject>(search) == nullptr) return FALSE;
  return CloseHandle(search);
}

}  // namespace win

namespace plat {

bool find_pattern_matches(const char* pattern, const char* name) {
  const std::string p(pattern);
  const bool dotless = std::strchr(name, '.') == nullptr;
  if (p == "*" || p == "*.*") return true;
  // "." and ".." are listed by every pattern that lists all names.
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return p == "*.";
  // A closing "." asks for names without an extension; a closing ".*"
  // takes those too.
  if (p.size() > 1 && p.back() == '.')
    return dotless && win::detail::glob(p.substr(0, p.size() - 1).c_str(), name);
  if (win::detail::glob(pattern, name)) return true;
  return dotless && p.size() > 2 && p.compare(p.size() - 2, 2, ".*") == 0 &&
         win::detail::glob(p.substr(0, p.size() - 2).c_str(), name);
}

}  // namespace plat
