#include "ide/options.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <span>
#include <utility>
#include <vector>

#include "core/editbuffer.h"
#include "core/helpdata.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "ide/fedhlp.h"
#include "ide/filehistory.h"
#include "ide/fontslot.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/quicky.h"
#include "ide/report.h"
#include "ide/tooltip.h"
#include "io/shell.h"
#include "platform/file_names.h"
#include "platform/win_shell.h"
#include "toolkit/printing.h"

namespace ide {

namespace {

namespace fs = std::filesystem;

// Command ids of the Options and Help menus that menutool.h does not name.
namespace optcmd {
inline constexpr std::int32_t color = 10302;
inline constexpr std::int32_t memory = 10404;
inline constexpr std::int32_t update = 10405;
inline constexpr std::int32_t email = 10406;
inline constexpr std::int32_t firsthelp = 10401;
inline constexpr std::int32_t lasthelp = 10409;
}  // namespace optcmd

// Answers of the dialogs.
inline constexpr int palettebutton = 2;
inline constexpr int cancelbutton = 0;
inline constexpr int reportbutton = 5;
// Run-request bits of the editor's switches that the editor dialog keeps.
inline constexpr std::int32_t runrequests = 0x8 | 0x10;
// The switches' place in the editor options (the words run backwards).
inline constexpr std::size_t switchesword = 25 - core::edv::flags;

// Font dialog flags by slot.
inline constexpr std::int32_t cfboth = 3;            // screen and printer fonts
inline constexpr std::int32_t cffixed = 0x4000;      // fixed pitch only
inline constexpr std::int32_t cfscalable = 0x20000;  // scalable only

std::int32_t fontflags(std::int32_t slot) {
  switch (slot) {
    case 1:
    case 6:
    case 7:
      return cfboth;
    case 2:
    case 4:
      return cffixed;
    case 3:
    case 5:
      return cfscalable;
    default:
      return 0;
  }
}

// The one place where a font slot is chosen through the font dialog.
void chooseslot(std::int32_t slot) {
  std::int32_t status = 0;
  CHOOSEFONTSLOT(1, slot, fontflags(slot), status);
}

int show(std::string_view key, const core::HelpValues& values = {}) {
  int answer = 0;
  helpwindow(key, answer, values);
  return answer;
}

void fonts() {
  const int slot = show("ChooseFont");
  if (slot >= 1 && slot <= 9) chooseslot(slot);
  core::edmode = 13;
}

void colours() {
  core::edmode = 13;
  // Cancel leaves the colour numbers as they were.
  std::array<std::int32_t, 34> kept{};
  for (std::size_t k = 0; k < kept.size(); ++k) kept[k] = exec::colnum(static_cast<std::int32_t>(k) + 1);
  int answer = 0;
  while ((answer = show("colors")) == palettebutton) show("ColorRedef");
  if (answer == cancelbutton)
    for (std::size_t k = 0; k < kept.size(); ++k) exec::colnum(static_cast<std::int32_t>(k) + 1) = kept[k];
}

void editoroptions() {
  std::array<std::int32_t, 25> j{};
  core::VARSTOJ(j);
  exec::edoptions = j;
  show("editor");
  j = exec::edoptions;
  const std::int32_t now = core::edflags;
  j[switchesword] = (j[switchesword] & ~runrequests) | (now & runrequests);
  core::JTOVARS(j);
  core::edmode = 13;
}

void helpindex() {
  core::edmode = 13;
  std::string list = helpindexlist();
  core::HelpValues values;
  values.characters = std::span<char>(list.data(), list.size());
  values.count = static_cast<int>(list.size());
  if (show("Index", values) == 0) return;
  // The topic: from the choice's first non-blank up to the next blank.
  const std::string_view t = exec::dlgtext.view();
  const std::size_t first = t.find_first_not_of(' ');
  if (first == std::string_view::npos) return;
  const std::size_t blank = t.find(' ', first);
  if (blank == std::string_view::npos) return;
  show(t.substr(first, blank - first));
}

void pagesetup() {
  int ups = 0;
  toolkit::SET_PAGE_DATA(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &ups);
  win::DWORD flags = 0;
  const win::HWND owner = exec::mainwindow();
  toolkit::PAGE_SETUP(&flags, &owner, nullptr, &ups);
}

void link(std::int32_t command) {
  std::string to = linkfor(command);
  if (to.empty()) {
    int answer = 0;
    core::MSGBOXFROMHELP("msgNoReadme", "", answer);
    return;
  }
  io::SHELLXEQ(to, " ", " ", " ", "shellXEQ");
  if (core::msgkey.trimmed().empty()) return;
  core::msgkey.blank();
  // Why, and the link whole in a field as wide as it (the width word in
  // characters, negative) for the user to copy.
  std::array<std::int32_t, 1> width{-static_cast<std::int32_t>(to.size() + 2)};
  core::HelpValues values;
  values.words = width;
  values.text = std::span<char>(to.data(), to.size());
  show(core::iostatw[0] == win::SE_ERR_NOASSOC ? core::MSGKEY("linkNoOpener")
                                               : core::MSGKEY("linkNotOpened"),
       values);
}

}  // namespace

std::string linkfor(std::int32_t command) {
  if (command == optcmd::email) return "mailto:";
  // The README installed with the program: beside its data, in the
  // folder above (a build's checkout), or among the installed documents.
  std::string data(progdir.trimmed());
  while (data.size() > 1 && data.back() == '/') data.pop_back();
  std::vector<fs::path> places;
  if (!data.empty()) {
    places.push_back(fs::path(data) / "README.md");
    places.push_back(fs::path(data).parent_path() / "README.md");
  }
  places.push_back(fs::path(OSTREL_PREFIX) / "share" / "doc" / "ostrel" / "README.md");
  std::error_code ec;
  for (const fs::path& p : places)
    if (fs::is_regular_file(p, ec)) return "file://" + fs::absolute(p, ec).lexically_normal().string();
  return {};
}

std::string helpindexlist() {
  std::string list;
  bool taken = false;
  for (std::int32_t i = 1; i <= core::helpcount; ++i) {
    const std::string_view key = core::helpkeys[i].trimmed();
    if (key.empty()) continue;
    if (static_cast<unsigned char>(key[0]) >= 'a') {
      if (taken) break;
      continue;
    }
    list.append(key);
    list.push_back('|');
    taken = true;
  }
  return list;
}

MemoryFigures memoryfigures() {
  MemoryFigures m;
  auto& w = m.words;
  w[0] = core::nz;
  w[1] = core::nsym;
  w[2] = core::nz - core::nztop + 1;
  w[3] = w[1] + w[2];
  w[4] = core::nc1namen;
  w[5] = std::max(core::c1top, core::c1tmptop);
  w[6] = core::c1limit > 0 ? core::nc1namen - core::c1limit : 0;
  w[7] = w[5] + w[6];
  w[8] = core::nxeqbuf;
  w[9] = core::nxeqused;
  w[10] = core::nadrs;
  w[11] = core::xeqstackbase;
  w[12] = core::xeqstackptr;
  w[13] = core::nadrslow > 0 ? core::nadrs - core::nadrslow : 0;
  w[14] = w[12] + w[13];
  w[15] = core::nname;
  w[16] = core::nsym;
  w[17] = core::nc1edit;
  w[18] = core::c1editend;
  const std::int32_t logend = core::c1redolimit > 0 ? core::c1redolimit : core::c1logtop;
  w[19] = logend > 0 ? core::nc1edit - logend : 0;
  w[20] = w[18] + w[19];
  // Each store's size and use, in the order of the percentages.
  constexpr std::array<std::pair<std::size_t, std::size_t>, memorystores> stores{
      {{0, 3}, {4, 7}, {8, 9}, {10, 14}, {15, 16}, {17, 20}}};
  for (std::size_t k = 0; k < stores.size(); ++k) {
    const auto [size, used] = stores[k];
    w[memorywords + k] = std::max(w[size] - w[used], 0);
    m.percent[k] =
        static_cast<std::int16_t>(w[size] > 0 ? static_cast<int>(w[used] * 100.0 / w[size]) : 0);
  }
  return m;
}

void SHOWMEMORY() {
  MemoryFigures m = memoryfigures();
  core::HelpValues values;
  values.halves = m.percent;
  values.words = m.words;
  if (show("systemdata", values) == reportbutton) REPORT();
}

void OPTIONS(std::int32_t command) {
  prevcmd = core::idecmd;
  const auto restored = [] { core::idecmd = prevcmd; };
  switch (command) {
    case cmd::printsetup:
      pagesetup();
      return;
    case cmd::quicky:
      QUICKY();
      return;
    case cmd::cputime:
      MENUTOOLONOFF("t0");
      return;
    case cmd::fonts:
      restored();
      fonts();
      return;
    case optcmd::color:
      restored();
      colours();
      return;
    case cmd::editor:
      restored();
      editoroptions();
      return;
    case cmd::index:
      restored();
      helpindex();
      return;
    case cmd::tooltips: {
      KILLTOOLTIPWINDOW();
      core::HelpValues values;
      values.words = tipopts;
      show("tooltips", values);
      return;
    }
    case cmd::contents:
      show("Contents");
      return;
    case optcmd::memory:
      restored();
      if (core::adrs.size() > 0) SHOWMEMORY();
      return;
    case optcmd::update:
    case optcmd::email:
    case cmd::donate:
      link(command);
      return;
    case cmd::about:
      show("aboutOstrel");
      return;
    default:
      break;
  }
  if ((command < optcmd::firsthelp || command > optcmd::lasthelp) &&
      (core::idestate & busy::editor) != 0)
    core::idecmd = command;
}

}  // namespace ide
