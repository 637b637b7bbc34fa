#include "io/builtins_install.h"

#include "core/shoplists.h"
#include "exec/headless_run.h"
#include "exec/optdispatch.h"
#include "io/readwrite.h"
#include "io/rwfiles.h"

namespace io {

namespace {

void callopen(const exec::OptCall& call) { READWRITE('O', call.items); }

}  // namespace

void install_builtins() {
  exec::install_optroutine(core::OptStmt::OPEN, callopen);
  exec::closescriptfiles = RWCLOSEALL;
}

}  // namespace io
