#include "ide/idewords.h"

namespace ide {

void emptyupdrect() {
  updrect = {sysmetrics(metric::screenwidth), sysmetrics(metric::screenheight), 0, 0};
}

void reset_idewords() {
  progdir.blank();
  workdir.blank();
  appdir.blank();
  progname.blank();
  filepath.blank();
  scriptpath.blank();
  startmode = 0;
  exitstatus = 0;
  mainwinrect = WindowPlace{};
  sysmetrics.assign(8, 0);
  textmetrics = win::TEXTMETRICA{};
  hostblock = HostBlock{};
  perffreq = 0;
  modhandle = nullptr;
  prevcmd = evtflags = waitinput = lastctlid = pendinghandler = keylparam = 0;
  closehandle = nullptr;
  sizechanged = false;
  emptyupdrect();
  initialcolours();
}

}  // namespace ide
