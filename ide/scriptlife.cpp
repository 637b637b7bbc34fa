// The first script, making a script current, and closing it.
#include <cctype>
#include <string>
#include <vector>

#include "core/editbuffer.h"
#include "core/kompil.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/alarms.h"
#include "exec/headless_run.h"
#include "ide/cmdline.h"
#include "ide/filehistory.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/redefine.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "toolkit/menus.h"
#include "toolkit/services.h"
#include "ui/popupmenu.h"

namespace ide {

void reset_openedit();
void reset_setinifile();

namespace {

constexpr std::int32_t runatonce = 0x8;
bool firstmenu = true;

// The words of a command line: up to a blank outside double quotes.
std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::string w;
    bool quoted = false;
    for (; i < line.size() && (quoted || line[i] != ' '); ++i) {
      if (line[i] == '"') {
        quoted = !quoted;
        continue;
      }
      w += line[i];
    }
    out.push_back(std::move(w));
  }
  return out;
}

// "KEY=value": a name of letters and digits before the first "=".
bool iskeyitem(std::string_view w) {
  const std::size_t eq = w.find('=');
  if (eq == std::string_view::npos || eq == 0) return false;
  for (char c : w.substr(0, eq))
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

void setcaption(std::string_view text) {
  if (wdwhead == nullptr) return;
  wdwhead->title.set(text.substr(0, wdwhead->title.size()));
  if (wdwhead->window != nullptr) redefine_title(wdwhead->window, text);
}

void freestore(std::string_view store) {
  std::int32_t one = 1, none = -1;
  core::ALLOCS(store, one, none);
}

}  // namespace

std::string commandlinescript(std::string_view cmdline) {
  for (const std::string& w : words(cmdline))
    if (!iskeyitem(w) && w.find('.') != std::string::npos) return w;
  return {};
}

void OPENEDITSTART(std::string_view cmdline) {
  const std::string line = trimmed(cmdline);
  if (line.find("RUN=") != std::string::npos) core::edflags |= runatonce;
  FILEHISTORY(1, 0);
  if (const std::string help = item_value(line, "HELP=").value_or(""); !help.empty()) {
    scriptpath.set(help.find('/') != std::string::npos ? help : examplesdir() + help);
    startmode = -1;
  } else if (line.find("untitled") != std::string::npos) {
    scriptpath.set("untitled");
  } else if (const std::string named = commandlinescript(line); !named.empty()) {
    scriptpath.set(named);
    startmode = -10;
  }
  std::int32_t status = 0;
  GETINIFILESETMENU(line, 0, status);
}

void OPENEDITSETINI(std::int32_t entry) {
  std::int32_t status = 0;
  GETINIFILESETMENU(" ", entry, status);
  core::edvars(core::edv::curline) = 1;
}

void GETINIFILESETMENU(std::string_view /*text*/, std::int32_t entry, std::int32_t& status) {
  if (firstmenu) {
    if (startmode != 0) {
      // The history is neither shown nor written.
      for (int n = 1; n <= 10; ++n) {
        const auto id = static_cast<win::UINT_PTR>(cmd::recent1 + n - 1);
        const int flags = 0;
        toolkit::SET_MENU_ITEM(filemenu(8 + n), " ", 1, nullptr, 0, " ", 1, nullptr, 0, &id,
                               &flags);
      }
      firstmenu = false;
      setcaption(scriptpath.trimmed());
      return;
    }
    FILEHISTORY(5, 0);
  }
  status = 0;
  if (entry < 1) {
    if (!firstmenu) {
      core::nz = core::nzdefault;
      core::nc1namen = core::nc1namendefault;
      core::nxeqbuf = core::nxeqbufdefault;
      core::nname = core::nnamedefault;
      std::int32_t zero = 0, one = 1;
      core::ALLOCS("z", zero, core::nz);
      core::ALLOCS("c1namen", one, core::nc1namen);
      core::ALLOCS("xeqbuf", zero, core::nxeqbuf);
      core::ALLOCS("name", one, core::nname);
    }
  } else {
    FILEHISTORY(2, entry);
    const std::string_view folder = folderof(scriptpath.trimmed());
    if (!folder.empty() && folder != workdir.trimmed()) workdir.set(folder);
    const std::string dir = trimmed(workdir.view());
    int ups = 0;
    toolkit::SET_CURRENT_DIRECTORY(dir.data(), static_cast<int>(dir.size()), &ups);
  }
  setcaption(scriptpath.trimmed());
  core::edmark = core::edmarkall;
  firstmenu = false;
}

void OPENEDITCLOSE(std::int32_t mode) {
  if (core::name.size() > 0) {
    const std::int32_t all = 1;
    exec::CLRALA(all);
  }
  scriptopen = false;
  if (startmode == 0) FILEHISTORY(3, 0);
  if (startmode == -999) return;
  if (startmode != 0 && startmode != -10) startmode = -999;
  if (core::c1edit.size() > 0) {
    std::int32_t answer = 0;
    if (namehas(scriptpath.trimmed(), "untitled")) {
      int shown = 0;
      const std::string title =
          wdwhead != nullptr ? std::string(wdwhead->title.trimmed()) : std::string();
      core::MSGBOXFROMHELP("msguntitled", title, shown);
      FEDSAV(-2, answer);
    } else if (core::c1editmodified()) {
      FEDSAV(mode, answer);
    } else if (namehas(scriptpath.trimmed(), ".tmp") && !badworkcopy) {
      // An unchanged working copy opened in its script's place goes.
      deletefile(scriptpath.trimmed());
      scriptpath.blank();
    }
  }
  KILLALLWINDOWS();
  if (core::freeuserdlls) core::freeuserdlls();
  if (exec::closescriptfiles != nullptr) exec::closescriptfiles();
  MENUTOOLONOFF("A0");
  ui::reset_popupmenu();
  if (wdwhead != nullptr) {
    if (wdwhead->menuitems.size() > 0) {
      int ups = 0;
      toolkit::BUILD_ACCELERATORS(wdwhead->menuitems.data(),
                                  static_cast<int>(wdwhead->menuitems.size()), &ups);
      wdwhead->menuitems.clear();
    }
    if (wdwcur != nullptr) wdwcur->popupitems.clear();
  }
  freestore("adrs");
  freestore("c1edit");
  core::edline = core::EditLine{};
  if (startmode != 0 && startmode != -10 && wdwhead != nullptr) {
    const win::HWND main = wdwhead->window;
    toolkit::POST_COMMAND(0x4001, &main);
  }
}

void reset_scripts() {
  firstmenu = true;
  reset_openedit();
  reset_setinifile();
  reset_scriptfiles();
  reset_filehistory();
}

}  // namespace ide
