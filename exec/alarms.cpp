#include "exec/alarms.h"

#include "core/lexicon.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace exec {

namespace {

// Scan codes of the function keys F2 and F9.
constexpr std::uint8_t scanf2 = 0x3C;
constexpr std::uint8_t scanf9 = 0x43;

bool due(std::int32_t slot) { return daysecs >= alarmtime(slot); }

// Whether the pending command lets alarm c through.
bool passes(std::int32_t c) { return core::idecmd > -6 && core::idecmd > -c; }

}  // namespace

void CHKALA(const std::int32_t& /*ignored*/) {
  if (alarmnext < 2) {
    alarmnext = 2;
    for (std::int32_t s = 2; s <= 9; ++s)
      if (alarmtime(s) <= alarmtime(alarmnext)) alarmnext = s;
  }

  std::int32_t c = 0;
  if (due(alarmnext)) {
    c = alarmnext;
  } else if (core::keyrec[1] >= scanf2 && core::keyrec[1] <= scanf9) {
    c = core::keyrec[1] - 0x3A;
    core::keyrec.fill(0);
  }

  // A blocked alarm gives way to a due one of a higher number.
  while (c != 0 && !passes(c)) {
    std::int32_t higher = 0;
    for (std::int32_t s = 9; s > c; --s) {
      if (due(s)) {
        higher = s;
        break;
      }
    }
    c = higher;
  }

  if (c != 0) {
    alarmsavedcmd = core::idecmd;
    core::idecmd = c;
    alarmtime(c) = alarmunset;
  }
  if (core::idecmd > 0) core::keyrec[1] = 1;
}

void CLRALA(const std::int32_t& mode) {
  if ((mode & 1) != 0) {
    if (core::idecmd != -14) core::idecmd = -1;
    alarmnext = 2;
    for (std::int32_t s = 2; s <= 9; ++s) alarmtime(s) = alarmunset;
    if (core::menutoolonoff != nullptr) core::menutoolonoff("Fn", 0);
    alarmsavedcmd = -1;
    alarmrunmode =
        static_cast<std::int16_t>(0xFF00 | (core::xeqmode & 0xFF & ~core::runmode::running));
  }
  if ((mode & 2) != 0) {
    for (std::int32_t i = 1; i <= core::nsym; ++i)
      if (core::NAMTYP(i, 4) > 0) core::SETI2EQUZ(3, i, alarmrunmode);
  }
}

void reset_alarms() {
  alarmtime.assign(9, alarmunset);
  alarmnext = 2;
  daysecs = 0.0F;
  alarmsavedcmd = -1;
  alarmrunmode = 0;
}

}  // namespace exec
