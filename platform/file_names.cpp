#include "platform/file_names.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/cp1252.h"

namespace plat {

namespace {

bool ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of the folder whose name comes back as `part`; empty when none.
std::string entry_read_as(const std::string& folder, std::string_view part) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (const dirent* e = ::readdir(dir)) {
    if (name_from_system(e->d_name) == part) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace

std::string system_path(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string inside(name);
  std::replace(inside.begin(), inside.end(), '\\', '/');
  if (ascii(inside)) return inside;
  std::string path;
  std::size_t at = 0;
  while (at <= inside.size()) {
    const std::size_t slash = std::min(inside.find('/', at), inside.size());
    const std::string_view part = std::string_view(inside).substr(at, slash - at);
    const std::string folder = path;
    if (ascii(part)) {
      path += part;
    } else {
      const std::string utf8 = utf8_from_1252(part);
      std::string chosen;
      if (!exists(folder + utf8)) chosen = entry_read_as(folder, part);
      path += chosen.empty() ? utf8 : chosen;
    }
    if (slash < inside.size()) path += '/';
    at = slash + 1;
  }
  return path;
}

std::string name_from_system(std::string_view native) { return cp1252_from_utf8(native); }

}  // namespace plat
