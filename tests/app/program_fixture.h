// The display tests' program: ostrel itself, started as a user starts it
// (support/program_process.h).
#pragma once

#include <string>
#include <vector>

#include "support/display_user.h"
#include "support/program_process.h"
// clang-format off
#include <X11/keysym.h>
// clang-format on

namespace apptest {

class ProgramOnADisplay : public testsupport::ProgramOnADisplay {
 protected:
  void start(const std::string& script) { start(std::vector<std::string>{script}); }
  void start(const std::vector<std::string>& args) {
    testsupport::ProgramOnADisplay::start(OSTREL_BINARY, args);
  }
  // The IDE's window on the script, given the focus, and the script run
  // (Alt+R); the window.
  static Window runscript(testsupport::DisplayUser& u, const std::string& title) {
    const Window main = u.window(title);
    u.focus(main);
    u.key(main, {XK_Alt_L}, XK_r, false);
    return main;
  }
};

}  // namespace apptest
