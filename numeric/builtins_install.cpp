#include "numeric/builtins_install.h"

#include "core/kompil.h"
#include "exec/builtins.h"
#include "exec/optdispatch.h"
#include "numeric/fit.h"
#include "numeric/fuzzy.h"
#include "numeric/intpol.h"
#include "numeric/ode.h"
#include "numeric/roots.h"
#include "numeric/solve.h"

namespace numeric {

void install_builtins() {
  reset_numeric();
  exec::install_optroutine(core::OptStmt::SOLVE, SOLVE);
  exec::install_optroutine(core::OptStmt::INTPOL, INTPOL);
  exec::install_optroutine(core::OptStmt::DIFFEQ, ODE);
  exec::ROOTS = ROOTSFN;
  exec::FUZZY = FUZZY;
  core::solverun = SOLVERUN;
  core::oderun = ODERUN;
}

void reset_numeric() {
  reset_roots();
  reset_solve();
  reset_ode();
}

}  // namespace numeric
