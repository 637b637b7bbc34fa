// The table tests on a display: the child process that shows the tables
// opens the display and keeps the IDE's dialog hook (the table keys) in
// place when a window goes, as the IDE does.
#pragma once

#include <string>

#include "exec/windowlist.h"
#include "ide/windowclose.h"
#include "platform/backend.h"
#include "toolkit/loops.h"

#include <X11/Xlib.h>

namespace tabledisplay {

inline void killwindow(win::HWND handle, std::int32_t mode) {
  ide::KILLWINDOW(handle, mode);
  toolkit::SET_DIALOG_HOOK(ide::DLGCALLBACK);
}

// Opens the display for the program's side of the test; the problem, or
// empty.
inline std::string open(const std::string& display) {
  XInitThreads();  // the user has a connection of its own
  const std::string problem = plat::use_display(display.c_str());
  if (!problem.empty()) return problem;
  toolkit::SET_DIALOG_HOOK(ide::DLGCALLBACK);
  exec::windowcalls.KILLWINDOW = killwindow;
  return {};
}

}  // namespace tabledisplay
