// Inquiries about units and files, and the translation of the system's file
// names into file system paths.
#include <sys/stat.h>

#include "platform/file_names.h"
#include "platform/file_units_table.h"

namespace plat {

std::string unit_file_path(std::string_view name) { return system_path(name); }

int inquire_unit(int unit, UnitInfo& info) {
  info = UnitInfo{};
  flush_units();
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

std::int64_t unit_position(int unit) {
  flush_units();
  const FileUnit* u = find_unit(unit);
  return u != nullptr ? u->pos + 1 : 0;
}

std::optional<FileId> unit_file_id(int unit) {
  const FileUnit* u = find_unit(unit);
  if (u == nullptr) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(u->dev), static_cast<std::uint64_t>(u->ino)};
}

int inquire_name(std::string_view name, FileNameInfo& info) {
  info = FileNameInfo{};
  flush_units();
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
