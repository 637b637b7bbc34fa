#include "exec/fastpath.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/fastpath_form.h"
#include "exec/operators.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "platform/win_queue_idle.h"

namespace exec::fast {

namespace {

using core::name;
using core::z;

std::vector<Form> forms;  // by statement number

// The statement's words and its symbols' types are those it was compiled from.
bool current(const Form& f, std::span<const std::int16_t> words) {
  const std::size_t n = words.size();
  if (f.words.size() != n) return false;
  const std::int16_t* a = f.words.data();
  const std::int16_t* b = words.data();
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return false;
  }
  for (; i < n; ++i)
    if (a[i] != b[i]) return false;
  const core::SymbolRecord* const names = core::name.data() - 1;
  for (const auto& [s, type] : f.types)
    if (s > core::nname || names[s].type != type) return false;
  return true;
}

// Where statement s starts in the program (the statement table lies at
// the top of `adrs`, counting down); 0 when it has no entry.
std::int32_t startof(std::int32_t s) {
  const std::int32_t i = core::nadrs - s + 1;
  if (s < 1 || i < std::max(core::nadrslow, 1) || i > core::adrs.size()) return 0;
  return core::adrs.data()[i - 1];
}

// Whether the stores have the room the general path would check for (it
// would grow them, or ask, for this statement). Fast statements change none
// of what this reads, so it holds until the next stir().
bool ready(Form& f) {
  if (firsttemp <= core::nsym) return false;  // a record layout was made
  const std::int32_t base = core::xeqstackbase;
  const auto zsize = static_cast<std::int32_t>(z.size());
  const std::int32_t need = firsttemp + f.cells;
  if (firsttemp + 64 >= core::nname || need >= core::nname || need >= core::nztop ||
      need >= zsize || core::nsym < 6)
    return false;
  if (f.kind == Kind::assign) {
    const std::int32_t sp = base + 1;
    return f.topcell < zsize && f.target < zsize && core::adrs.valid(sp) &&
           core::nadrs - core::nedlines - sp - 5 >= 8 * (f.end - f.start);
  }
  if (f.kind == Kind::enddo) {
    if (base + core::nadrsstep / 4 >= core::nadrslow || !core::adrs.valid(base + 1)) return false;
    // A loop whose DO never ran falls through: the general path.
    f.loop = dorecord(f.dosym);
    const DoRecord& r = f.loop;
    return r.dostmt > 0 && r.var > 0 && r.adr > 0 && r.adr + 1 < zsize && r.var < zsize;
  }
  return false;
}

// The end of a statement as the loop's end step makes it.
void endstatement() {
  if (alarmreset) {
    alarmreset = false;
    core::xeqstackbase = 1;
    stir();
  }
  ++core::xeqline;
  jumpedflag = 0;
}

// The head of every statement: run words of the loop.
void head(std::int32_t start, std::int32_t end) {
  core::xeqstop = 0;
  stmtstart = start;
  stmtend = end;
  if (core::lokalscope == 0) core::lokalscope = core::lokalsub;
  if ((core::idestate & 4) == 0) core::nomsg = 0;
}

bool runassign(const Form& f) {
  double* const cells = z.data();
  const auto zsize = static_cast<std::int32_t>(z.size());
  bool run = true;
  if (!f.cond.empty()) {
    double c = 0.0;
    if (!evaluate(f.cond, cells, zsize, c)) return false;
    run = c != 0.0;
  }
  std::int32_t target = f.target;
  double v = 0.0;
  if (run) {
    if (!f.index.empty()) {
      double i = 0.0;
      if (!evaluate(f.index, cells, zsize, i)) return false;
      target = elementcell(f.target, i, zsize);
      if (target <= core::nsym) return false;
    }
    if (!evaluate(f.value, cells, zsize, v)) return false;
  }
  // The statement runs through: what the general path leaves.
  head(f.start, f.end);
  const std::int32_t sp = core::xeqstackbase + 1;
  core::iresult = firsttemp;
  core::xeqstackptr = sp;
  core::msgkey.blank();
  core::c1tmptop = core::c1top + 1;
  cells[1] = cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
  if (run) cells[target] = v;
  core::adrs.data()[sp - 1] = firsttemp + 1;
  endstatement();
  return true;
}

bool runenddo(const Form& f) {
  const DoRecord& r = f.loop;
  double* const cells = z.data();
  const double step = cells[r.adr + 1];
  if (step == 0.0) return false;
  const double next = cells[r.var] + step;
  if (!std::isfinite(next)) return false;
  const double limit = cells[r.adr];
  const double sign = step < 0.0 ? -1.0 : 1.0;
  // What the statement's prologue sets.
  head(f.start, f.end);
  eventcmd = 0;
  core::c1tmptop = core::c1top;
  core::keyrec[0] = 0;
  core::keystate[1] = 0;
  cells[1] = 1.0;
  rerunflag = false;
  core::iostatw[0] = 0;
  core::msgkey.blank();
  if (core::xeqmode & 0x04) stoppedflag = 0;
  core::iresult = firsttemp;
  stmtflags = 0;
  wordpos = f.start + 1;
  // The loop end.
  cells[r.var] = next;
  core::xeqline = (next - limit) * sign - zeps > 0.0 ? r.laststmt : r.dostmt;
  const std::int32_t sp = core::xeqstackbase + 1;
  core::xeqstackptr = sp;
  core::adrs.data()[sp - 1] = r.var;
  endstatement();
  return true;
}

// Runs statement `xeqline` by its form; false when it has none or the
// general path must run it.
bool runone(std::span<const std::int16_t> code) {
  const std::int32_t s = core::xeqline;
  if (s < 1) return false;
  if (static_cast<std::size_t>(s) >= forms.size()) {
    if (s > core::nstmt) return false;
    forms.resize(static_cast<std::size_t>(core::nstmt) + 1);
  }
  Form& f = forms[static_cast<std::size_t>(s)];
  if (f.checked != epoch) {
    const std::int32_t start = startof(s);
    std::int32_t end = startof(s + 1);
    if (end < start) end = start;
    if (start < 1 || end > static_cast<std::int32_t>(code.size()) + 1) return false;
    const std::span<const std::int16_t> words =
        code.subspan(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start));
    if (f.kind == Kind::unknown || !current(f, words)) f = compile(words);
    f.start = start;
    f.end = end;
    f.checked = epoch;
    f.ready = ready(f);
  }
  if (!f.ready) return false;
  switch (f.kind) {
    case Kind::assign:
      return runassign(f);
    case Kind::enddo:
      return runenddo(f);
    default:
      return false;
  }
}

// After a statement that ran by its form: the loop test would only call
// the input step, which finds nothing to do, and go on with the next
// statement. Anything else (a pending command or key, input, a stop line,
// the program's end, single steps, the IDE's own input step) is left to
// the loop test.
bool quiet() {
  return core::idecmd <= 0 && core::keyrec[0] == 0 && core::keyrec[1] != 1 && win::queue_idle() &&
         PANLIOSTEP == nullptr && (core::xeqmode & 0x04) != 0 &&
         (stopline == 0 || core::xeqline != stopline) && core::xeqline <= core::nstmt;
}

}  // namespace

bool runstatement(std::span<const std::int16_t> code) {
  if (!runone(code)) return false;
  while (quiet() && runone(code)) {
  }
  return true;
}

void reset() {
  forms.clear();
  stir();
}

}  // namespace exec::fast
