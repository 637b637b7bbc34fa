#include "io/builtins_install.h"

#include "core/kompil.h"
#include "core/shoplists.h"
#include "exec/builtins.h"
#include "exec/headless_run.h"
#include "exec/optdispatch.h"
#include "exec/tablecells.h"
#include "io/comio.h"
#include "io/dll.h"
#include "io/keys.h"
#include "io/music.h"
#include "io/readwrite.h"
#include "io/rwfiles.h"
#include "io/stopwatch.h"
#include "io/system.h"
#include "io/tableelement.h"
#include "io/timedate.h"

namespace io {

namespace {

void callopen(const exec::OptCall& call) { READWRITE('O', call.items); }
void callread(const exec::OptCall& call) { READWRITE('R', call.items); }
void callwrite(const exec::OptCall& call) { READWRITE('W', call.items); }
void calltime(const exec::OptCall&) { TIMEBUILTIN(); }
void callkey(const exec::OptCall&) { KEY(); }
// DLL always reaches the run driver as a call inside an expression.
void calldll(const exec::OptCall&) { dllhandback(); }

}  // namespace

void install_builtins() {
  exec::install_optroutine(core::OptStmt::OPEN, callopen);
  exec::install_optroutine(core::OptStmt::READ, callread);
  exec::install_optroutine(core::OptStmt::WRITE, callwrite);
  exec::install_optroutine(core::OptStmt::TIME, calltime);
  exec::install_optroutine(core::OptStmt::KEY, callkey);
  exec::install_optroutine(core::OptStmt::COM, COMIO);
  exec::install_optroutine(core::OptStmt::SYSTEM, [](const exec::OptCall&) { SYSTM(); });
  exec::install_optroutine(core::OptStmt::DLL, calldll);
  core::dllstatement = &dllhandback;
  core::freeuserdlls = &FREEUSERDLLS;
  exec::closescriptfiles = RWCLOSEALL;
  exec::realtimehook = REALTIME;
  exec::MUSICALL = MUSIC_ALL;
  exec::readtableelement = READTABLEELEMENT;
}

}  // namespace io
