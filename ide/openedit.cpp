// Opening a script into the editor.
#include <array>
#include <filesystem>
#include <string>

#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "ide/idewords.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/statusbar.h"
#include "ide/windowlist.h"
#include "platform/file_names.h"
#include "platform/file_units.h"
#include "toolkit/services.h"

namespace ide {

namespace {

// The editor words of the first open after start-up, in reverse field order.
constexpr std::array<std::int32_t, 25> firstwords{0, 0, 0, 0, 7, 1, 100, 254, 1, 1, 7, 1, 0,
                                                  0, 0, 0, 0, 0, 0, 8,   0,   0, 0, 0, 0};
bool firstopen = true;

constexpr int unit = plat::unit_editcopy;
// FEDGET1's exit code for a working copy that was none and is put aside.
constexpr std::int32_t setaside = -1;

plat::UnitMode directbytes() {
  plat::UnitMode m;
  m.status = plat::UnitStatus::unknown;
  m.access = plat::UnitAccess::direct;
  m.form = plat::UnitForm::binary;
  m.action = plat::UnitAction::readwrite;
  m.share = plat::UnitShare::denynone;
  m.recl = 1;
  return m;
}

void settitle(std::string_view title) {
  if (wdwhead != nullptr) wdwhead->title.set(title.substr(0, wdwhead->title.size()));
}

std::int32_t filesize(std::string_view path) {
  plat::FileNameInfo info;
  plat::inquire_name(path, info);
  return static_cast<std::int32_t>(info.size);
}

// The template section of a new script: "untitled" up to the next "." of
// the name, or "untitled"; a missing section gives one empty line.
std::string templatetext(std::string_view file) {
  std::string_view name = filename(file);
  std::string key = "untitled";
  if (const std::size_t at = name.find("untitled"); at != std::string_view::npos) {
    name = name.substr(at);
    key = std::string(name.substr(0, name.find('.')));
  }
  core::helpkey.set(key.substr(0, 16));
  int found = 0, last = 0, length = 0, width = 0;
  std::array<char, 256> head{};
  core::GETMENUDATA(core::helpunit, found, last, length, width, head);
  if (found == 0 || core::helpbodylen < 1) return "\r\n";
  // Every line of a section's body stands one blank in from its key: the
  // script's lines begin where the key begins.
  const std::string_view body(core::helpsection.data(),
                              static_cast<std::size_t>(core::helpbodylen));
  std::string text;
  text.reserve(body.size());
  for (std::size_t at = 0; at < body.size();) {
    std::size_t end = body.find('\n', at);
    end = end == std::string_view::npos ? body.size() : end + 1;
    std::string_view line = body.substr(at, end - at);
    if (line.starts_with(' ')) line.remove_prefix(1);
    text += line;
    at = end;
  }
  return text;
}

}  // namespace

void OPENEDIT(std::string_view name, bool /*flag*/) {
  std::string script(name);
  script.erase(script.find_last_not_of(' ') + 1);
  settitle(script);
  if (firstopen) {
    core::JTOVARS(firstwords);
    firstopen = false;
  }
  restoredfrom.clear();
  badworkcopy = false;
  const std::string left = leftworkcopy(script);
  workpath.set(left.empty() ? workpathfor(script) : left);
  bool copy = !left.empty();
  std::string file = script;
  if (copy) {
    settitle(left);
    file = left;
    restoredfrom = script;
  }
  bool opened = false, templated = false;
  for (;;) {
    nscripttext = filesize(file);
    const int status = plat::open_unit(unit, file, directbytes());
    if (status == plat::iostat_no_file) {
      // The folder is missing: it is made, and the user chooses a name in it.
      const std::string folder(folderof(file));
      std::error_code ec;
      if (!folder.empty()) std::filesystem::create_directories(plat::system_path(folder), ec);
      scriptpath.set(folder + "untitled-T");
      std::int32_t result = 0;
      SETINIFILE(result);
      break;
    }
    if (status != plat::iostat_ok) {
      reportfile(status, file);
      break;
    }
    // A new script gets its template; an empty working copy is none (it
    // is put aside below).
    if (nscripttext <= 0 && !copy) {
      int wrote =
          templated ? plat::iostat_write_error : plat::write_direct(unit, 1, templatetext(file));
      // The close may be the step that fails to write the template.
      const int closed = plat::close_unit(unit);
      if (wrote == plat::iostat_ok) wrote = closed;
      if (wrote != plat::iostat_ok) {
        reportfile(wrote, file);
        break;
      }
      templated = true;
      continue;
    }
    if (core::c1edit.size() == 0) {
      const bool wascopy = copy;
      FEDGET1(unit, copy);
      if (wascopy && core::edvars(edexitfield) == setaside) {
        // The working copy was none: the script opens from its own file.
        settitle(script);
        file = script;
        restoredfrom.clear();
        workpath.set(workpathfor(script));
        continue;
      }
      if (core::edvars(edexitfield) != 0) break;
    }
    opened = true;
    break;
  }
  plat::close_unit(unit);
  if (!opened) {
    core::edvars(edexitfield) = 11;
    scriptopen = false;
    return;
  }
  core::edmode = 13;
  core::edvars(edexitfield) = 0;
  const std::string title = maintitle();
  // A new script: nothing of the last one's run is told.
  STATUSBAR({.title = title, .layout = 2, .run = ""});
  // Opening a script makes its folder the working folder.
  if (const std::string_view folder = folderof(script); !folder.empty()) {
    workdir.set(folder);
    int ups = 0;
    toolkit::SET_CURRENT_DIRECTORY(folder.data(), static_cast<int>(folder.size()), &ups);
  }
  scriptopen = true;
}

void FEDGET1(int from, bool& flag) {
  std::string bytes(static_cast<std::size_t>(std::max(nscripttext, 0)), '\0');
  std::int64_t got = 0;
  core::istat = plat::read_direct(from, 1, bytes, &got);
  bytes.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  plat::close_unit(from);
  const std::string title = maintitle();
  if (flag) {
    flag = false;
    // What cannot be a working copy (empty, cut short, a plain script) is
    // put aside, neither read as one nor deleted.
    const core::Restore r =
        workcopyimage(bytes) ? core::loadworkcopy(bytes) : core::Restore::tooshort;
    if (r == core::Restore::tooshort) {
      setasideworkcopy(title);
      core::edvars(edexitfield) = setaside;
      return;
    }
    badworkcopy = r == core::Restore::damaged;
    scriptpath.set(title);
    STATUSBAR({.title = title, .layout = 2});
  } else {
    core::loadeditbuffer(bytes, title);
  }
  core::edmode = 13;
  core::edvars(edexitfield) = 0;
}

void reset_openedit() {
  firstopen = true;
  nscripttext = 0;
}

}  // namespace ide
