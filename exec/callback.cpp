#include "exec/callback.h"

#include <array>

#include "core/kompil.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/xeq.h"

namespace exec {

namespace {

bool handedback(std::int32_t stop) {
  return stop == stops::dll || stop == stops::diffeq || stop == stops::solve || stop == stops::xeq;
}

}  // namespace

bool refusehandback(std::string_view key) {
  if (!handedback(core::xeqstop)) return false;
  resumecode = 0;
  core::msgkey.set(key);
  core::xeqstop = stops::error;
  if (core::nomsg != 0) return true;
  std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(core::xeqline), 0, 0, 0};
  core::HelpValues hv;
  hv.halves = halves;
  int answer = 0;
  core::HELP(core::msgkey.trimmed(), answer, hv);
  return true;
}

CallbackRun runcallback(std::int32_t line, bool quietfloat) {
  const std::int32_t keptmode = core::xeqmode, keptline = core::xeqline;
  const std::int32_t keptptr = core::xeqstackptr, keptsave = core::xeqmodesave;
  const bool keptquiet = quietfloatfailures;
  quietfloatfailures = quietfloat;
  core::xeqmode = keptmode | core::runmode::callback | core::runmode::running;
  core::xeqline = line;
  core::xeqstop = 0;
  CallbackRun r;
  if (core::xeqbuf.size() >= 2) {
    XEQ({core::xeqbuf.ptr(1), static_cast<std::size_t>(core::xeqbuf.last())});
    if (!refusehandback(core::MSGKEY("xeqCallbackStmt"))) {
      // An error label that stands nowhere stops the run here as after a
      // run: the caller only sees a failed callback.
      core::STOPATMISSINGLABEL();
    }
    r.stop = core::xeqstop;
  } else {
    r.stop = core::xeqstop = stops::end;
  }
  const std::int32_t p = core::xeqstackptr;
  if (r.stop == stops::returned && p > core::xeqstackbase && core::adrs.valid(p)) {
    const std::int32_t e = core::adrs(p);
    if (e > 0 && core::z.valid(e)) r.value = core::z(e);
  }
  core::xeqmode = keptmode;
  core::xeqline = keptline;
  core::xeqstackptr = keptptr;
  // (A statement handed back inside has put the callback's mode there.)
  core::xeqmodesave = keptsave;
  quietfloatfailures = keptquiet;
  return r;
}

}  // namespace exec
