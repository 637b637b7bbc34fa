#include "io/builtins_install.h"

#include "core/kompil.h"
#include "exec/optdispatch.h"
#include "io/dll.h"

namespace io {

void install_builtins() {
  // DLL always reaches the run driver as a call inside an expression.
  exec::install_optroutine(core::OptStmt::DLL, [](const exec::OptCall&) { dllhandback(); });
  core::dllstatement = &dllhandback;
  core::freeuserdlls = &FREEUSERDLLS;
}

}  // namespace io
