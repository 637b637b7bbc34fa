// The window program's start: the display, then the toolkit's program entry
// with the application installed.
#include "app/window_program.h"

#include <cstdio>

#include "ide/fe_main.h"
#include "ide/idewords.h"
#include "platform/backend.h"
#include "platform/win_window.h"
#include "plot/printjob.h"
#include "toolkit/entry.h"

namespace app {

int run_window_program(const std::string& cmdline) {
  const std::string problem = plat::use_display();
  if (!problem.empty()) {
    std::fprintf(stderr, "ostrel: %s", problem.c_str());
    if (problem.find("not set") != std::string::npos)
      std::fprintf(stderr, "; to run a script without one: ostrel RUN=script.ost");
    std::fprintf(stderr, "\n");
    return 2;
  }
  ide::reset_ide();
  ide::install_application();
  toolkit::WinMain(toolkit::GET_MODULE_HANDLE(), nullptr, cmdline.c_str(), win::SW_SHOWNORMAL);
  // A print job still open ends as its end bit would end it.
  plot::endopenjob();
  plat::close_display();
  // What the windows still hold ends with them, once the display is closed:
  // the clipboard's last text, the pictures drawn for message-box icons.
  plat::reset_windows();
  return ide::exitstatus;
}

}  // namespace app
