// Saving the script being edited.
#include <string>

#include "core/editbuffer.h"
#include "core/messages.h"
#include "core/stores.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/m2.h"
#include "ide/redefine.h"
#include "ide/scriptfiles.h"
#include "ide/scripts.h"
#include "ide/statusbar.h"
#include "ide/windowlist.h"
#include "platform/file_replace.h"

namespace ide {

namespace {

// The file of a new script that was saved under another name.
void dropuntitled(const std::string& old) {
  const std::string_view name = filename(old);
  if ((name == "untitled" || name == "untitled-T") && old != maintitle()) deletefile(old);
}

}  // namespace

std::int32_t ASKSAVECHANGES() {
  const std::string title = maintitle();
  if (core::c1edit.size() == 0 || title.empty() || namehas(title, "untitled") ||
      basename(title) != basename(workpath.trimmed()) || !core::c1editmodified())
    return 0;
  int answer = 0;
  core::MSGBOXFROMHELP("msgSaveChanges", title, answer);
  return answer;
}

void FEDSAV(std::int32_t mode, std::int32_t& answer) {
  if (core::c1edit.size() == 0) return;
  // What the screen shows is saved: the line being typed goes into the text.
  FEDITKEEPLINE();
  const std::string title = maintitle();
  const bool untitled = namehas(title, "untitled");
  // The file being edited belongs to the working copy (a script, or its
  // working copy opened in its place).
  const bool same = !title.empty() && basename(title) == basename(workpath.trimmed());
  const bool choose = mode == -2 || same;
  const bool changes = core::c1editmodified();
  answer = choose ? mode : 3;
  std::int32_t chosen = 0;
  bool written = false;
  if (untitled || title.empty() || answer == -2) {
    // (The line input's text is the user's: the title is not put there.)
    if (choose && answer != 2 && (changes || answer == -2)) {
      SETINIFILESAVE(chosen);
      if (chosen <= 0) return;
    }
    answer = 1;
  } else if (choose && answer == 0 && changes) {
    int a = 0;
    core::MSGBOXFROMHELP("msgSaveChanges", title, a);
    answer = a;
  } else if (answer == -1) {
    return;
  }
  if ((changes || mode == -2) && answer == 1) {
    if (!choose) {
      answer = 3;
    } else {
      // Nothing after the text's last line end is saved.
      while (core::c1editend > 0 && core::c1edit(core::c1editend) != '\n') --core::c1editend;
      // A working copy is never saved under its own name.
      while (namehas(maintitle(), ".tmp")) {
        SETINIFILESAVE(chosen);
        if (chosen <= 0) return;
      }
      const std::string target = maintitle();
      const plat::ReplaceResult saved =
          savefile(target, {core::c1edit.data(), static_cast<std::size_t>(core::c1editend)});
      if (!saved.ok()) {
        reportsave(saved, target);
        answer = 3;
        return;
      }
      // The log stays: Undo goes on past the save.
      core::c1editsaved();
      written = true;
      scriptpath.set(target);
      if (wdwhead != nullptr && wdwhead->window != nullptr) redefine_title(wdwhead->window, target);
      STATUSBAR({.message = target + " saved"});
    }
  }
  if (answer == 3) return;
  if (!badworkcopy && deletefile(workpath.trimmed()) && scriptpath.trimmed() == workpath.trimmed())
    scriptpath.blank();
  // Changes declined are given up with their log; a save keeps it.
  if (!written && changes) core::c1editforget();
  if (untitled) dropuntitled(title);
}

}  // namespace ide
