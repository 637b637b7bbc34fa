#include "numeric/builtins_install.h"

#include <algorithm>
#include <span>

#include "core/kompil.h"
#include "exec/builtins.h"
#include "exec/optdispatch.h"
#include "io/lineindex.h"
#include "io/rwfiles.h"
#include "numeric/fit.h"
#include "numeric/fuzzy.h"
#include "numeric/intpol.h"
#include "numeric/ode.h"
#include "numeric/roots.h"
#include "numeric/solve.h"
#include "numeric/sort.h"

namespace numeric {

namespace {

// The lines of a text file for SORT: its line index, made when the file
// has none (not for a filtered file, whose index holds only some lines).
bool sortlines(std::int32_t unit, SortLines& lines) {
  if (!io::isscriptunit(unit) || io::rwfiles(unit).filevar < 1) return false;
  io::RwFile& r = io::rwfiles(unit);
  if (r.filter > 0) return false;
  if (!r.lineindex &&
      (r.mode & (io::rwflag::sequential | io::rwflag::unformatted)) == io::rwflag::sequential) {
    std::int32_t rows = 0, longest = 0;
    io::MAKEFILEINDEX(unit, rows, longest, '"', 0, 0);
  }
  if (!r.lineindex) return false;
  const io::LineIndex& link = *r.lineindex;
  lines.positions = std::span<const std::int32_t>(
      link.positions.data(),
      static_cast<std::size_t>(std::min<long long>(link.entries, link.positions.size())));
  lines.lineend = link.lineend;
  return true;
}

}  // namespace

void install_builtins() {
  reset_numeric();
  exec::install_optroutine(core::OptStmt::SOLVE, SOLVE);
  exec::install_optroutine(core::OptStmt::INTPOL, INTPOL);
  exec::install_optroutine(core::OptStmt::DIFFEQ, ODE);
  exec::install_optroutine(core::OptStmt::SORT, SORT);
  exec::ROOTS = ROOTSFN;
  exec::FUZZY = FUZZY;
  core::solverun = SOLVERUN;
  core::oderun = ODERUN;
  sortlineindex = sortlines;
}

void reset_numeric() {
  reset_roots();
  reset_solve();
  reset_ode();
}

}  // namespace numeric
