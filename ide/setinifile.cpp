// Choosing the script to work on: New, Open, the recent files and Save As.
#include <array>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/editbuffer.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "ide/fedhlp.h"
#include "ide/idewords.h"
#include "ide/menutool.h"
#include "ide/redefine.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/windowlist.h"
#include "platform/win_commdlg.h"
#include "toolkit/file_dialogs.h"
#include "toolkit/services.h"

namespace ide {

namespace {

constexpr std::string_view filter("Ostrel files\0*.ost\0All files\0*.*\0\0", 34);
constexpr std::string_view opentitle = "Open a Ostrel script file";
constexpr std::string_view savetitle = "Save Ostrel script file";
constexpr std::string_view extension = "ost";
constexpr std::int32_t dialogflags = win::OFN_NOCHANGEDIR | win::OFN_PATHMUSTEXIST |
                                     win::OFN_CREATEPROMPT | win::OFN_NOTESTFILECREATE |
                                     win::OFN_ENABLESIZING;
constexpr int pathlength = 255;

// Shared by the two entries: the trimmed length of the script's name, then
// the answer of the save question.
std::int32_t moduleword = 1;

// The program's own file, to start a further copy of it.
std::string programfile() {
  std::array<char, 4096> buf{};
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string("ostrel");
}

void startcopy(std::string_view tail) {
  std::string line = programfile();
  if (line.find(' ') != std::string::npos) line = '"' + line + '"';
  line += tail;
  const int wait = 0;
  int ups = 0;
  toolkit::SPAWN_PROCESS(line.data(), static_cast<int>(line.size()), &wait, &ups);
}

// The kind of new script (2 empty, 3 from the template, 4 and 5 the same
// in a new copy of the program, 0 none): the help window "newFile" asks.
std::int32_t newfilequestion() {
  int answer = 0;
  helpwindow("newFile", answer, {});
  return answer;
}

bool changes() { return core::c1editmodified(); }

}  // namespace

std::int32_t OPENSAVEDIALOG(std::string_view mode, std::string_view title, std::span<char> path,
                            std::string_view ext, std::span<char> folder,
                            std::string_view filtertext, std::int32_t flags) {
  // The filter's NUL-parted texts as a list of equal entries.
  std::vector<std::string> parts;
  for (std::size_t at = 0; at < filtertext.size() && filtertext[at] != '\0';) {
    const std::size_t end = std::min(filtertext.find('\0', at), filtertext.size());
    parts.emplace_back(filtertext.substr(at, end - at));
    at = end + 1;
  }
  std::size_t width = 1;
  for (const std::string& p : parts) width = std::max(width, p.size());
  std::string block;
  for (const std::string& p : parts) block += p + std::string(width - p.size(), ' ');
  const toolkit::text_array_t list{block.data(), static_cast<int>(width),
                                   static_cast<int>(parts.size()), static_cast<int>(width)};
  const win::DWORD given = static_cast<win::DWORD>(flags);
  int ups = 0;
  const auto run = !mode.empty() && mode.front() == 'O' ? toolkit::GET_OPEN_FILE_NAME
                                                        : toolkit::GET_SAVE_FILE_NAME;
  std::int32_t r =
      run(path.data(), static_cast<int>(path.size()), title.data(), static_cast<int>(title.size()),
          folder.empty() ? nullptr : folder.data(), static_cast<int>(folder.size()),
          parts.empty() ? nullptr : &list, &given, nullptr, nullptr, 0,
          ext.empty() ? nullptr : ext.data(), static_cast<int>(ext.size()), &ups);
  if (r == 0 && ups != 0) {
    int answer = 0;
    core::MESSAGEBOX("?y", std::to_string(ups) + " Error while opening/saving file. Continue ? ",
                     answer);
    r = answer == 2 ? 0 : answer;
  }
  return r;
}

void SETINIFILE(std::int32_t& result) {
  moduleword = std::max<std::int32_t>(1, static_cast<std::int32_t>(scriptpath.trimmed().size()));
  if (scriptpath.trimmed().ends_with('/')) scriptpath.set("Ostrel script nr 1");
  result = -1;
  const std::int32_t command = core::idecmd;
  std::int32_t entry = 0;
  std::string chosen;
  if (command == cmd::newscript) {
    const std::int32_t answer = newfilequestion();
    if (answer == 2) chosen = "untitled";
    if (answer == 3) chosen = "untitled-T";
    result = answer >= 2 && answer <= 5 ? answer : -1;
  } else if (command >= cmd::recent1 && command <= cmd::recent10) {
    entry = command - (cmd::recent1 - 1);
    result = 1;
  } else {
    std::array<char, pathlength> path{};
    path.fill(' ');
    std::span<char> nofolder;
    if (OPENSAVEDIALOG("OPEN", opentitle, path, extension, nofolder, filter, dialogflags) != 0) {
      chosen = trimmed(std::string_view(path.data(), path.size()));
      result = chosen.empty() ? -1 : 1;
    }
  }
  core::idecmd = -1;
  if (result == 4 || result == 5) {
    startcopy(result == 4 ? " untitled" : " untitled-T");
    return;
  }
  if (result < 1) return;
  // The script in the editor is saved or dropped first; Cancel keeps it.
  if (changes() && !namehas(maintitle(), "untitled")) {
    FEDSAV(0, moduleword);
    if (moduleword == 3) {
      result = -1;
      return;
    }
  }
  if (core::c1edit.size() > 0) OPENEDITCLOSE(0);
  if (entry > 0) {
    OPENEDITSETINI(entry);
  } else {
    scriptpath.set(chosen);
    OPENEDITSETINI(0);
  }
}

void SETINIFILESAVE(std::int32_t& result) {
  std::array<char, 256> path{};
  path.fill(' ');
  std::string proposed = trimmed(scriptpath.view());
  if (!restoredfrom.empty() && proposed == trimmed(workpath.view())) {
    proposed = restoredfrom;
  } else if (const std::size_t at = proposed.find(".tmp");
             at != std::string::npos && at >= proposed.size() - filename(proposed).size()) {
    proposed = proposed.substr(0, at) + ".ost";
  }
  proposed.copy(path.data(), std::min(proposed.size(), path.size()));
  std::string folder(workdir.view());
  if (OPENSAVEDIALOG("SAVE", savetitle, path, extension, folder, filter, dialogflags) == 0) {
    result = -1;
    return;
  }
  const std::string name = trimmed(std::string_view(path.data(), path.size()));
  scriptpath.set(name);
  // The script gets the new name; the stores stay as they are.
  if (wdwhead != nullptr) {
    wdwhead->title.set(std::string_view(name).substr(0, wdwhead->title.size()));
    if (wdwhead->window != nullptr) redefine_title(wdwhead->window, name);
  }
  core::edmark = core::edmarkall;
  result = 1;
}

void reset_setinifile() { moduleword = 1; }

}  // namespace ide
