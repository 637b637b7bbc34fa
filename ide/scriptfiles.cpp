#include "ide/scriptfiles.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

#include "core/editbuffer.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/savereport.h"
#include "core/stores.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/redefine.h"
#include "ide/windowlist.h"
#include "platform/file_names.h"
#include "platform/file_units.h"

namespace ide {

namespace fs = std::filesystem;

std::string trimmed(std::string_view text) {
  return std::string(text.substr(0, text.find_last_not_of(' ') + 1));
}

std::string maintitle() {
  return wdwhead != nullptr ? std::string(wdwhead->title.trimmed()) : std::string();
}

std::string_view filename(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view basename(std::string_view path) {
  const std::string_view name = filename(path);
  return name.substr(0, name.find('.'));
}

std::string_view folderof(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

bool namehas(std::string_view path, std::string_view text) {
  return filename(path).find(text) != std::string_view::npos;
}

std::string examplesdir() {
  std::string data(progdir.trimmed());
  while (data.size() > 1 && data.back() == '/') data.pop_back();
  if (data.empty()) return "examples/";
  return fs::path(data).parent_path().string() + "/examples/";
}

std::string statedir() {
  std::string base;
  if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
    base = state;
  } else if (const char* home = std::getenv("HOME"); home != nullptr) {
    base = std::string(home) + "/.local/state";
  } else {
    base = "/tmp";
  }
  const std::string dir = base + "/ostrel/";
  std::error_code ec;
  fs::create_directories(plat::system_path(dir), ec);
  return plat::name_from_system(dir);
}

namespace {

std::string folderfor(std::string_view script) {
  const std::string_view folder = folderof(script);
  return folder.empty() ? std::string(workdir.trimmed()) : std::string(folder);
}

bool exists(std::string_view path) {
  std::error_code ec;
  return fs::is_regular_file(plat::system_path(path), ec);
}

// The script path kept in a working copy's trailer.
std::string copiedtitle(std::string_view copy) {
  std::ifstream in(plat::system_path(copy), std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
  // Positions N - 107 .. N - 12 of the image (counted from 1).
  if (size < core::c1edittrailer + 1) return {};
  std::string title(static_cast<std::size_t>(core::c1edittitle), ' ');
  in.seekg(size - core::c1edittrailer - 1);
  in.read(title.data(), core::c1edittitle);
  title.erase(title.find_last_not_of(' ') + 1);
  return title;
}

}  // namespace

std::string workpathfor(std::string_view script) {
  std::string folder = folderfor(script);
  const std::string native = plat::system_path(folder.empty() ? std::string(".") : folder);
  if (::access(native.c_str(), W_OK) != 0) folder = statedir();
  return folder + std::string(basename(script)) + ".tmp";
}

std::string leftworkcopy(std::string_view script) {
  const std::string copy = std::string(basename(script)) + ".tmp";
  if (const std::string beside = folderfor(script) + copy; exists(beside)) return beside;
  const std::string kept = statedir() + copy;
  const std::string_view own = script.substr(0, core::c1edittitle);
  if (exists(kept) && copiedtitle(kept) == own.substr(0, own.find_last_not_of(' ') + 1))
    return kept;
  return {};
}

bool workcopyimage(std::string_view bytes) {
  // The least a working copy holds: its marks and a line.
  constexpr std::size_t least = 16;
  if (bytes.size() < least) return false;
  const auto n = static_cast<std::int32_t>(bytes.size());
  // The marks stand at N - 11, N - 7 and N - 3 (counted from 1).
  for (const std::int32_t at : {n - 11, n - 7, n - 3}) {
    const std::int32_t mark = core::GETI4FROM4C1(bytes.substr(static_cast<std::size_t>(at - 1), 4));
    if (mark < 1 || mark > n) return false;
  }
  return true;
}

namespace {

// Renames from to to unless to exists: 0, or the error number.
int renamefree(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system that cannot refuse to replace: a hard link cannot
  // replace either.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  return ::unlink(from.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string setasideworkcopy(std::string_view copy) {
  std::string kept(copy);
  const std::string from = plat::system_path(copy);
  // Names are tried until one is free; a crash each start leaves one more.
  constexpr int names = 1000;
  for (int k = 1; k <= names; ++k) {
    const std::string name = std::string(copy) + ".bad" + (k > 1 ? std::to_string(k) : "");
    const int error = renamefree(from, plat::system_path(name));
    if (error == 0) {
      kept = name;
      break;
    }
    if (error != EEXIST) break;
  }
  int answer = 0;
  core::MSGBOXFROMHELP("msgWorkCopyBad", kept, answer);
  return kept;
}

plat::ReplaceResult savefile(std::string_view target, std::string_view bytes,
                             const plat::ReplaceOptions& options) {
  plat::flush_units();
  return plat::replace_file(target, bytes, options);
}

void reportsave(const plat::ReplaceResult& result, std::string_view name) {
  core::reportsave(result, name);
}

bool deletefile(std::string_view path) {
  std::error_code ec;
  const std::string native = plat::system_path(path);
  fs::remove(native, ec);
  return !fs::exists(native, ec);
}

void C1EDITSAVE() {
  MENUTOOLONOFF("UR");
  if (core::c1edit.size() == 0) return;
  while (!core::c1editroomy()) {
    const std::int32_t before = core::nc1edit;
    core::growc1edit();
    if (core::nc1edit == before) break;
  }
  core::sealc1edit();
  if (startmode != 0) return;
  if (wdwhead != nullptr && wdwhead->window != nullptr)
    redefine_title(wdwhead->window, std::string(workpath.trimmed()) + " *");
  // Rewritten after every change: not synced each time; private to its
  // user like the text it keeps.
  const plat::ReplaceResult saved =
      savefile(workpath.trimmed(), {core::c1edit.data(), static_cast<std::size_t>(core::nc1edit)},
               {.sync = false, .newmode = 0600});
  if (saved.ok()) {
    workcopyfailed = false;
    badworkcopy = false;
    return;
  }
  if (workcopyfailed) return;
  workcopyfailed = true;
  reportsave(saved, workpath.trimmed());
}

void reportfile(int status, std::string_view name) {
  std::array<std::int16_t, 4> words{static_cast<std::int16_t>(status), 0, 0, 0};
  std::string text(name);
  core::HelpValues values;
  values.halves = words;
  values.text = text;
  int answer = 0;
  core::HELP("rdwrErK", answer, values);
}

void reset_scriptfiles() {
  workpath.blank();
  scriptopen = badworkcopy = workcopyfailed = false;
  restoredfrom.clear();
}

}  // namespace ide
