#include "ui/builtins_install.h"

#include "core/messages.h"
#include "core/shoplists.h"
#include "exec/builtins.h"
#include "exec/optdispatch.h"
#include "ui/dialogs.h"
#include "ui/win.h"

namespace ui {

void install_builtins() {
  exec::install_optroutine(core::OptStmt::DLG, DIALOG);
  exec::WINFUNCTION = winfunction;
  exec::WINLINKREQUEST = WINLINKREQUEST;
  core::helpwin = helpwindow;
}

}  // namespace ui
