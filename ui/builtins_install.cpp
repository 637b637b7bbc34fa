#include "ui/builtins_install.h"

#include "core/shoplists.h"
#include "exec/optdispatch.h"
#include "ui/dialogs.h"
#include "ui/tables.h"

namespace ui {

void install_builtins() {
  exec::install_optroutine(core::OptStmt::DLG, DIALOG);
  install_tables();
}

}  // namespace ui
