#include "ui/builtins_install.h"

#include "core/messages.h"
#include "core/shoplists.h"
#include "exec/builtins.h"
#include "exec/optdispatch.h"
#include "exec/xeq.h"
#include "io/rwwindow.h"
#include "plot/upcalls.h"
#include "text/edit.h"
#include "ui/childtools.h"
#include "ui/childwindow.h"
#include "ui/dialogs.h"
#include "ui/panel.h"
#include "ui/popupmenu.h"
#include "ui/tablechanges.h"
#include "ui/tables.h"
#include "ui/tablesort.h"
#include "ui/win.h"
#include "ui/winprogress.h"

namespace ui {

void install_builtins() {
  exec::install_optroutine(core::OptStmt::DLG, DIALOG);
  install_tables();
  install_tablesort();
  text::editmx = EDITMX;
  exec::install_optroutine(core::OptStmt::WINDOW, CHILDWINDOW);
  exec::install_optroutine(core::OptStmt::POP, POPUPMENU);
  exec::stateupdate = STATE_STYLE_EXTERNAL;
  plot::upcalls.CHILDCHANGED = CHILDCHANGED;
  plot::upcalls.SCROLLWDW = SCROLLCHILDWINDOW;
  install_tableprint();
  exec::WINFUNCTION = winfunction;
  exec::WINLINKREQUEST = WINLINKREQUEST;
  core::helpwin = helpwindow;
  install_progress();
  io::rwwindowcalls.WINDOWTITLEBAR = WINDOWTITLEBAR;
  exec::freepanels = freepanelrecords;
}

}  // namespace ui
