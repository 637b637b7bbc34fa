// Inquiries about units and files, and the translation of the system's file
// names into file system paths.
#include <sys/stat.h>

#include "platform/file_units_table.h"

namespace plat {

namespace {

// Unicode code points of the Windows-1252 characters 0x80 to 0x9F; the five
// unassigned ones keep their own value.
constexpr char32_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string unit_file_path(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  std::string path;
  path.reserve(name.size());
  for (char ch : name) {
    auto b = static_cast<unsigned char>(ch);
    if (b == '\\') {
      path += '/';
    } else if (b >= 0x80 && b < 0xA0) {
      append_utf8(path, kHigh[b - 0x80]);
    } else {
      append_utf8(path, b);
    }
  }
  return path;
}

int inquire_unit(int unit, UnitInfo& info) {
  info = UnitInfo{};
  const FileUnit* u = find_unit(unit);
  if (u == nullptr) return iostat_ok;
  info.open = true;
  info.name = u->name;
  info.path = u->path;
  struct stat st {};
  if (::fstat(u->fd, &st) == 0) info.size = static_cast<std::int64_t>(st.st_size);
  info.pos = u->pos + 1;
  info.nextrec = u->mode.access == UnitAccess::direct ? u->nextrec : 0;
  info.recl = u->mode.recl;
  info.access = u->mode.access;
  info.form = u->mode.form;
  info.action = u->mode.action;
  info.share = u->mode.share;
  info.records = u->mode.records;
  info.scratch = u->mode.status == UnitStatus::scratch;
  return iostat_ok;
}

bool unit_is_open(int unit) { return find_unit(unit) != nullptr; }

int inquire_name(std::string_view name, FileNameInfo& info) {
  info = FileNameInfo{};
  std::string path = unit_file_path(name);
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    return iostat_ok;
  }
  info.exists = true;
  info.size = static_cast<std::int64_t>(st.st_size);
  for (const auto& [number, u] : fileunits) {
    if (u.dev == st.st_dev && u.ino == st.st_ino) {
      info.unit = number;
      break;
    }
  }
  return iostat_ok;
}

}  // namespace plat
