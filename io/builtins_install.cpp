#include "io/builtins_install.h"

#include "core/kompil.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "exec/builtins.h"
#include "exec/headless_run.h"
#include "exec/optdispatch.h"
#include "exec/tablecells.h"
#include "exec/xeq.h"
#include "io/coltable.h"
#include "io/comio.h"
#include "io/dll.h"
#include "io/keys.h"
#include "io/music.h"
#include "io/readwrite.h"
#include "io/rwfiles.h"
#include "io/rwstatement.h"
#include "io/stopwatch.h"
#include "io/system.h"
#include "io/tableelement.h"
#include "io/timedate.h"
#include "io/timepicture.h"
#include "plot/upcalls.h"

namespace io {

namespace {

void callopen(const exec::OptCall& call) { READWRITE('O', call.items); }
void callread(const exec::OptCall& call) { READWRITE('R', call.items); }
void callwrite(const exec::OptCall& call) { READWRITE('W', call.items); }
void calltime(const exec::OptCall&) { TIMEBUILTIN(); }
void callkey(const exec::OptCall&) { KEY(); }
// DLL always reaches the run driver as a call inside an expression.
void calldll(const exec::OptCall&) { dllhandback(); }

// The end of a run (or the close of its script) closes its files: a file
// that did not get all its records fails a run that had ended well (or was
// handing over to another script); the message has been shown.
void closescriptfiles() {
  if (RWCLOSEALL() == 0) return;
  if (core::xeqstop == core::stops::end || core::xeqstop == core::stops::chain) {
    core::xeqstop = core::stops::error;
    core::msgkey.set(core::MSGKEY("rdwrErK"));
  }
}

}  // namespace

namespace {

// The shape of a table unit and the kind of one of its columns, for the
// executor's column search.
std::int32_t tablecolumn(std::int32_t unit, std::int32_t column, std::int32_t& rows,
                         std::int32_t& columns, std::int32_t& width, std::int32_t& kind) {
  if (!tableshape(unit, rows, columns)) return -3401;
  if (column < 0 || column > columns) return -3402;
  GETELEMENTMAXCHLEN(unit, column, width, kind);
  if (column == 0) kind = 0;
  return 0;
}

}  // namespace

void install_builtins() {
  exec::install_optroutine(core::OptStmt::OPEN, callopen);
  exec::install_optroutine(core::OptStmt::READ, callread);
  exec::install_optroutine(core::OptStmt::WRITE, callwrite);
  exec::xfercalls.make = rwprogrammake;
  exec::xfercalls.run = rwprogramrun;
  exec::install_optroutine(core::OptStmt::TIME, calltime);
  exec::install_optroutine(core::OptStmt::KEY, callkey);
  exec::install_optroutine(core::OptStmt::COM, COMIO);
  exec::install_optroutine(core::OptStmt::SYSTEM, [](const exec::OptCall&) { SYSTM(); });
  exec::install_optroutine(core::OptStmt::DLL, calldll);
  core::dllstatement = &dllhandback;
  core::freeuserdlls = &FREEUSERDLLS;
  exec::closescriptfiles = closescriptfiles;
  exec::realtimehook = REALTIME;
  plot::upcalls.TIMEDATEU = TIMEDATEU;
  exec::MUSICALL = MUSIC_ALL;
  exec::readtableelement = READTABLEELEMENT;
  exec::writetableelement = WRITETABLEELEMENT;
  exec::tablecolumn = tablecolumn;
}

}  // namespace io
