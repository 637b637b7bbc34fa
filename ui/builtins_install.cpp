#include "ui/builtins_install.h"

#include "core/shoplists.h"
#include "exec/optdispatch.h"
#include "ui/dialogs.h"

namespace ui {

void install_builtins() { exec::install_optroutine(core::OptStmt::DLG, DIALOG); }

}  // namespace ui
