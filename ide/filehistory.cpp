#include "ide/filehistory.h"

#include <optional>
#include <vector>

#include "core/helpdata.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/builtins.h"
#include "ide/fontslot.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/scriptfiles.h"
#include "ide/setuprecords.h"
#include "ide/windowlist.h"
#include "platform/file_units.h"
#include "plot/fontslots.h"
#include "toolkit/menus.h"
#include "toolkit/services.h"
#include "toolkit/windows.h"

namespace ide {

namespace {

constexpr std::string_view marker = "0L ";
constexpr int helppathwidth = 192;
constexpr int nrecent = 10;
// Rounds of the opening steps before the program goes on without the file.
constexpr int rounds = 4;

bool warned = false;       // the setup folder could not be written: said once
bool displayread = false;  // line 2 was taken at the program's start

// The file's lines; none when it cannot be had.
struct Setup {
  std::vector<std::string> lines;
  bool present = false;
};

// The record's path: the text before its first comma (none without comma).
std::optional<std::string> pathof(std::string_view line) {
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  return std::string(line.substr(0, comma));
}

std::string builtinentry(std::string_view entry) {
  return entry.find('/') != std::string_view::npos ? std::string(entry)
                                                   : examplesdir() + std::string(entry);
}

// The settings in force, as a record for path.
HistoryRecord current(std::string_view path) {
  const plot::FontSlot& f = plot::fontslots(2);
  return {std::string(path),
          std::string(f.face.trimmed()),
          f.angle,
          {f.points, f.weight, f.underline, f.italic, core::nxeqbuf, core::nadrs, core::nz,
           core::nname, core::nc1namen, mainwinrect.x, mainwinrect.y, mainwinrect.width,
           mainwinrect.height, mainwinrect.state}};
}

// A size read from a record: kept when it is positive (the statement table
// also 0) and within the store's limit.
void takesize(std::int32_t& size, std::int32_t value, std::int32_t limit, std::int32_t least) {
  if (value >= least && value <= limit) size = value;
}

// Puts a record's settings in force.
void apply(const HistoryRecord& r) {
  plot::FontSlot& f = plot::fontslots(2);
  f.face.set(r.face);
  f.angle = r.rotation;
  f.points = r.values[0];
  f.weight = r.values[1];
  f.underline = r.values[2];
  f.italic = r.values[3];
  takesize(core::nxeqbuf, r.values[4], core::nxeqbuflimit, 1);
  takesize(core::nadrs, r.values[5], core::nadrslimit, 0);
  takesize(core::nz, r.values[6], core::nzlimit, 1);
  takesize(core::nname, r.values[7], core::nnamelimit, 1);
  takesize(core::nc1namen, r.values[8], core::nc1namenlimit, 1);
  mainwinrect = {r.values[9], r.values[10], r.values[11], r.values[12], r.values[13]};
}

void allocatestores() {
  std::int32_t zero = 0, one = 1;
  core::ALLOCS("name", one, core::nname);
  core::ALLOCS("c1namen", one, core::nc1namen);
  core::ALLOCS("xeqbuf", zero, core::nxeqbuf);
  core::ALLOCS("z", zero, core::nz);
}

// Line 2 from memory, and back.
std::string displaysettings() {
  std::vector<std::int32_t> v(tipopts.begin(), tipopts.end());
  for (int i = 1; i <= 34; ++i) v.push_back(colnum(i));
  for (int i = 0; i < 32; ++i) v.push_back(static_cast<std::int32_t>(exec::rgbtab(i)));
  return displayline(setuptag.view(), v);
}
void takedisplaysettings(std::string_view line) {
  std::string tag;
  std::array<std::int32_t, 70> v{};
  std::vector<FreeTarget> targets{&tag};
  for (std::int32_t& x : v) targets.push_back(&x);
  const std::size_t n = readfree(line, targets);
  for (std::size_t k = 1; k < n; ++k) {
    const std::size_t i = k - 1;
    if (i < 4) {
      tipopts[i] = v[i];
    } else if (i < 38) {
      colnum(static_cast<long long>(i) - 3) = v[i];
    } else {
      exec::rgbtab(static_cast<long long>(i) - 38) = static_cast<std::uint32_t>(v[i]);
    }
  }
}

plat::UnitMode textmode(plat::UnitStatus status, plat::UnitAction action) {
  plat::UnitMode m;
  m.status = status;
  m.action = action;
  m.share = plat::UnitShare::denynone;
  return m;
}

// Writes the lines over the setup file (each ending in CR LF, as the file
// units read them); a failure leaves the old file and is said once.
bool writesetup(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& l : lines) bytes += l + "\r\n";
  const plat::ReplaceResult saved = savefile(setuppath(), bytes);
  core::istat = plat::replace_iostat(saved);
  if (!saved.ok() && !warned) {
    warned = true;
    reportsave(saved, setuppath());
  }
  return saved.ok();
}

// The default file: the built-in examples, each with the settings in force;
// the first becomes the current script.
void writedefault() {
  std::vector<std::string> lines{std::string(marker) + trimmed(core::helppath.view()),
                                 displaysettings()};
  for (std::string_view entry : builtinhistory)
    if (!entry.empty()) lines.push_back(recordline(current(builtinentry(entry))));
  writesetup(lines);
  scriptpath.set(builtinentry(builtinhistory[0]));
}

// The current script on top of the older records.
void recordscript(const Setup& file) {
  std::string path = trimmed(scriptpath.view());
  if (path.empty()) return;
  // A working copy is recorded under its script's name.
  if (!restoredfrom.empty() && path == trimmed(workpath.view())) {
    path = restoredfrom;
  } else if (path.ends_with("tmp")) {
    path.replace(path.size() - 3, 3, "ost");
  }
  if (namehas(path, "untitled") || namehas(path, ".tmp") || path.find(',') != std::string::npos)
    return;
  std::string help(core::helppath.view());
  help.resize(helppathwidth, ' ');
  std::vector<std::string> lines{std::string(marker) + help, displaysettings(),
                                 recordline(current(path))};
  for (std::size_t i = 2; i < file.lines.size(); ++i) {
    const std::string line = trimmed(file.lines[i]);
    const std::optional<std::string> older = pathof(line);
    if (line.empty() || line.front() == ',' || (older && *older == path)) continue;
    const std::string_view name = older ? std::string_view(*older) : std::string_view(line);
    if (namehas(name, "untitled") || namehas(name, ".tmp")) continue;
    lines.push_back(line);
  }
  writesetup(lines);
}

// The record of a script, found by its exact path.
const std::string* recordfor(const Setup& file, std::string_view path) {
  for (std::size_t i = 2; i < file.lines.size(); ++i) {
    const std::optional<std::string> p = pathof(file.lines[i]);
    if (p && trimmed(*p) == path && !path.empty()) return &file.lines[i];
  }
  return nullptr;
}

// The recent-file slots: the menu shows those up to the last that names a
// script, no empty ones after them.
void fillmenu(const Setup& file) {
  int named = 0;
  for (int n = 1; n <= nrecent; ++n) {
    const std::size_t i = static_cast<std::size_t>(n) + 1;
    const std::string line = i < file.lines.size() ? file.lines[i] : std::string();
    const std::string path = pathof(line).value_or("");
    if (!trimmed(path).empty()) named = n;
    const std::string title = recenttitle(n, path);
    const auto id = static_cast<win::UINT_PTR>(cmd::recent1 + n - 1);
    const int flags = 0;
    toolkit::SET_MENU_ITEM(filemenu(8 + n), title.data(), static_cast<int>(title.size()), nullptr,
                           0, " ", 1, nullptr, 0, &id, &flags);
  }
  filecount = 8 + named;
}

void selectentry(const Setup& file, std::int32_t n) {
  core::istat = 0;
  std::string path;
  if (startmode != 0) {
    // The script named on the command line stays, without its quotes.
    path = trimmed(scriptpath.view());
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
      path = path.substr(1, path.size() - 2);
  } else if (n > 0 && n <= nrecent) {
    path = trimmed(filemenu(8 + n).title.view().substr(4));
  }
  if (!path.empty() || n != 0) {
    if (const std::string* line = recordfor(file, path)) {
      HistoryRecord r = current(path);
      readrecord(*line, r);
      apply(r);
    }
    if (path.find('/') == std::string::npos) path = trimmed(workdir.view()) + path;
  }
  scriptpath.set(path);
  if (wdwhead != nullptr) {
    wdwhead->title.set(std::string_view(path).substr(0, wdwhead->title.size()));
    if (wdwhead->window != nullptr)
      toolkit::REDEFINE_WINDOW(wdwhead->window, path.data(), static_cast<int>(path.size()), nullptr,
                               nullptr, nullptr, nullptr, nullptr, &mainwinrect.x, &mainwinrect.y,
                               &mainwinrect.width, &mainwinrect.height, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  allocatestores();
  std::int32_t status = 0;
  CHOOSEFONTSLOT(0, 2, 0, status);
  core::edmark = core::edmarkall;
  const std::string dir = trimmed(workdir.view());
  int ups = 0;
  if (!dir.empty()) toolkit::SET_CURRENT_DIRECTORY(dir.data(), static_cast<int>(dir.size()), &ups);
}

void startread(const Setup& file) {
  if (!displayread && file.lines.size() > 1) {
    takedisplaysettings(file.lines[1]);
    displayread = true;
  }
  if (file.lines.size() > 2) {
    HistoryRecord r = current("");
    readrecord(file.lines[2], r);
    scriptpath.set(r.path);
    apply(r);
  } else {
    scriptpath.set(builtinentry(builtinhistory[0]));
  }
  allocatestores();
}

void operate(std::int32_t operation, std::int32_t argument, const Setup& file) {
  switch (operation) {
    case 1:
      startread(file);
      break;
    case 2:
      selectentry(file, argument);
      break;
    case 3:
      recordscript(file);
      break;
    case 5:
      fillmenu(file);
      break;
    default:
      break;
  }
}

// The whole file; none when it cannot be read.
std::optional<std::vector<std::string>> readsetup() {
  int status = plat::open_unit(plat::unit_setup, setuppath(),
                               textmode(plat::UnitStatus::old_file, plat::UnitAction::read));
  std::vector<std::string> lines;
  for (std::string line; status == plat::iostat_ok;) {
    status = plat::read_record(plat::unit_setup, line);
    if (status == plat::iostat_ok) lines.push_back(line);
  }
  plat::close_unit(plat::unit_setup);
  core::istat = status;
  if (status != plat::iostat_eof) return std::nullopt;
  return lines;
}

}  // namespace

std::string setuppath() { return trimmed(appdir.view()) + std::string(setupname); }

void FILEHISTORY(std::int32_t operation, std::int32_t argument) {
  for (int round = 0; round < rounds; ++round) {
    std::int32_t size = -1;
    {
      plat::FileNameInfo info;
      plat::inquire_name(setuppath(), info);
      size = static_cast<std::int32_t>(info.size);
    }
    if (size <= 1) {
      // Only the start takes the first example as its script.
      const plat::FixedText<255> current = scriptpath;
      scriptpath.blank();
      writedefault();
      allocatestores();
      if (operation != 1) scriptpath = current;
      continue;
    }
    const std::optional<std::vector<std::string>> lines = readsetup();
    if (!lines) break;
    const bool marked = !lines->empty() && (*lines)[0].substr(0, 3) == marker;
    // A spoilt file, or one without records at the start, is made anew.
    if (!marked || lines->size() < 2 || (operation == 1 && lines->size() < 3)) {
      deletefile(setuppath());
      continue;
    }
    operate(operation, argument, {*lines, true});
    return;
  }
  if (!warned) {
    warned = true;
    reportfile(core::istat != 0 ? core::istat : plat::iostat_write_error, setuppath());
  }
  operate(operation, argument, {});
}

void reset_filehistory() {
  warned = displayread = false;
  setuptag.set("xA");
  tipopts = {1, 0, 2, 1};
}

}  // namespace ide
