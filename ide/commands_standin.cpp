#include "ide/commands_standin.h"

#include "core/editbuffer.h"
#include "core/kompil.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/alarms.h"
#include "exec/headless_run.h"
#include "ide/cmdline.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/redefine.h"
#include "ide/windowclose.h"
#include "ide/windowlist.h"
#include "toolkit/services.h"
#include "ui/services_standin.h"

namespace ide {

namespace {

constexpr std::int32_t kRunAtOnce = 0x8;

void allocate(std::string_view store, std::int32_t lower, std::int32_t upper) {
  core::ALLOCS(store, lower, upper);
}

}  // namespace

void M2() { M2COMMAND(); }

void M2COMMAND() {
  handedover.push_back({core::idecmd, core::keyrec});
  core::idecmd = 0;
  core::keyrec.fill(0xFF);  // taken: no key waits
  // No script is open: when the window must be drawn anew (its size
  // changed), the dispatcher shows the start screen again.
  waitinput = core::edmark == core::edmarkall && startmode == 0 ? 0 : 1;
}

std::string first_script_name(const std::string& cmdline) {
  std::size_t at = 0;
  while (at < cmdline.size()) {
    if (cmdline[at] == ' ') {
      ++at;
      continue;
    }
    // One word: up to the next blank, or to the closing quote.
    std::size_t end;
    std::string word;
    if (cmdline[at] == '"') {
      end = cmdline.find('"', at + 1);
      word = cmdline.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
      end = end == std::string::npos ? cmdline.size() : end + 1;
    } else {
      end = cmdline.find(' ', at);
      if (end == std::string::npos) end = cmdline.size();
      word = cmdline.substr(at, end - at);
      std::erase(word, '"');
    }
    if (word.find('.') != std::string::npos) return word;
    at = end;
  }
  return "untitled";
}

void OPENEDITSTART(std::string_view cmdline) {
  while (!cmdline.empty() && cmdline.back() == ' ') cmdline.remove_suffix(1);
  if (cmdline.find("RUN=") != std::string_view::npos) core::edflags |= kRunAtOnce;
  core::nz = core::nzdefault;
  core::nc1namen = core::nc1namendefault;
  core::nxeqbuf = core::nxeqbufdefault;
  core::nname = core::nnamedefault;
  allocate("z", 0, core::nz);
  allocate("c1namen", 1, core::nc1namen);
  allocate("xeqbuf", 0, core::nxeqbuf);
  allocate("name", 1, core::nname);
  const std::string help = item_value(cmdline, "HELP=").value_or("");
  if (!help.empty()) {
    scriptpath.set(help.find('/') != std::string::npos ? help
                                                       : std::string(appdir.trimmed()) + help);
    startmode = -1;
  } else if (cmdline.find("untitled") != std::string_view::npos) {
    scriptpath.set("untitled");
  } else if (const std::string name = first_script_name(std::string(cmdline)); name != "untitled") {
    scriptpath.set(name);
    startmode = -10;
  } else {
    scriptpath.set("untitled");
  }
  if (wdwhead != nullptr) {
    wdwhead->title.set(scriptpath.view().substr(0, 96));
    if (wdwhead->window != nullptr) redefine_title(wdwhead->window, scriptpath.trimmed());
  }
  core::edmark = core::edmarkall;
}

void OPENEDITCLOSE(std::int32_t) {
  if (core::name.size() > 0) {
    const std::int32_t all = 1;
    exec::CLRALA(all);
  }
  if (startmode == -999) return;
  if (startmode != 0 && startmode != -10) startmode = -999;
  KILLALLWINDOWS();
  if (core::freeuserdlls) core::freeuserdlls();
  if (exec::closescriptfiles != nullptr) exec::closescriptfiles();
  MENUTOOLONOFF("A0");
  ui::popuppending = 0;
  allocate("adrs", 1, -1);
  allocate("c1edit", 1, -1);
  core::edline = core::EditLine{};
  if (startmode != 0 && startmode != -10 && wdwhead != nullptr) {
    const win::HWND main = wdwhead->window;
    toolkit::POST_COMMAND(0x4001, &main);
  }
}

void FEDSAV(std::int32_t, std::int32_t& answer) { answer = 0; }
void OPTIONS(std::int32_t) {}
void PRINTDIRECT() {}
void SETBREAKVARIABLE(std::int32_t) {}

void reset_commands_standin() { handedover.clear(); }

}  // namespace ide
