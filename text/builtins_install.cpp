#include "text/builtins_install.h"

#include "core/shoplists.h"
#include "exec/optdispatch.h"
#include "text/edit.h"

namespace text {

void install_builtins() { exec::install_optroutine(core::OptStmt::EDIT, EDIT); }

}  // namespace text
