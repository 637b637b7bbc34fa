#include "exec/callback.h"

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/xeq.h"

namespace exec {

CallbackRun runcallback(std::int32_t line, bool quietfloat) {
  const std::int32_t keptmode = core::xeqmode, keptline = core::xeqline;
  const std::int32_t keptptr = core::xeqstackptr;
  const bool keptquiet = quietfloatfailures;
  quietfloatfailures = quietfloat;
  core::xeqmode = keptmode | core::runmode::callback | core::runmode::running;
  core::xeqline = line;
  core::xeqstop = 0;
  CallbackRun r;
  if (core::xeqbuf.size() >= 2) {
    XEQ({core::xeqbuf.ptr(1), static_cast<std::size_t>(core::xeqbuf.last())});
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
  quietfloatfailures = keptquiet;
  return r;
}

}  // namespace exec
