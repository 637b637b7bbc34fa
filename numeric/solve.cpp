#include "numeric/solve.h"

#include <cmath>
#include <new>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/xeq.h"
#include "numeric/fit.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace {

using exec::optval;

enum Slot {
  matrixslot = 1,
  vectorslot,
  unknownslot,
  dataidxslot,
  unknownidxslot,
  constslot,
  speedhighslot,
  stddevslot,
  itersslot,
  limitslot,
  numdiffslot,
  nulslot,
  dataslot,
  maxitersslot,
  transposeslot,
  speed1slot,
  speedstopslot,
  speedlowslot
};

bool given(Slot s) { return optval(s) > 0 && core::z.valid(optval(s)); }
double number(Slot s) { return given(s) ? core::z(optval(s)) : 0.0; }
// The symbol of a numeric scalar variable given for slot s, else 0.
std::int32_t scalarsym(Slot s) { return given(s) && numericvariable(optval(s)) ? optval(s) : 0; }

// Every failure of the statement ends here: the run stops with the key.
void fail(std::string_view key) {
  core::msgkey.set(key);
  core::xeqstop = core::stops::error;
  core::modelstart = 0;
}

// Transpose into another (or the same) array of as many elements.
void transpose(const ZArray& a, std::int32_t target) {
  ZArray t;
  if (!numericarray(target, t) || t.count != a.count) {
    fail(core::MSGKEY("SolveTransP"));
    return;
  }
  const std::int32_t rows = a.rows, cols = a.cols;
  std::vector<double> copy(static_cast<std::size_t>(a.count));
  for (std::int32_t i = 1; i <= rows; ++i)
    for (std::int32_t j = 1; j <= cols; ++j)
      copy[static_cast<std::size_t>((j - 1) * rows + i - 1)] = a((i - 1) * cols + j);
  for (std::int32_t k = 1; k <= t.count; ++k) t(k) = copy[static_cast<std::size_t>(k - 1)];
  core::TRANSFER2I4TOR8(cols, rows, core::z(target));
}

// A x = b: Vector receives x and Matrix the inverse; after a failure both
// keep what they held.
void linear(const ZArray& a) {
  const auto n = static_cast<std::int32_t>(std::lround(std::sqrt(static_cast<double>(a.count))));
  ZArray b;
  if (n < 1 || n * n != a.count || !numericarray(optval(vectorslot), b) || b.count != n) {
    fail(core::MSGKEY("SolveDIMS"));
    return;
  }
  std::vector<double> m(static_cast<std::size_t>(a.count)), x(static_cast<std::size_t>(n));
  for (std::int32_t k = 1; k <= a.count; ++k) m[static_cast<std::size_t>(k - 1)] = a(k);
  for (std::int32_t k = 1; k <= n; ++k) x[static_cast<std::size_t>(k - 1)] = b(k);
  XPATOA(m, n);
  if (!GAUSSJ(m, x, n)) {
    fail(core::MSGKEY("SolveSingular"));
    return;
  }
  XPATOA(m, n);
  for (std::int32_t k = 1; k <= a.count; ++k) a(k) = m[static_cast<std::size_t>(k - 1)];
  for (std::int32_t k = 1; k <= n; ++k) b(k) = x[static_cast<std::size_t>(k - 1)];
}

// The statement where the model begins: NUL's value is the position of
// its label's word in the compiled code (the label, or a number or name
// spelt as one).
std::int32_t nulstatement() {
  const std::int32_t p = optval(nulslot);
  if (p <= 0 || !core::xeqbuf.valid(p)) return 0;
  std::int32_t label = core::xeqbuf(p);
  if (label < 1 || label > core::nsym) return 0;
  if (core::NAMTYP(label, 0x2) == 0 && !core::FINDSN(core::symbolname(label), label, 2)) return 0;
  return core::I2EQUZ(1, label);
}

// Cells of the work: the derivatives (nd by m), two m by m matrices and
// two vectors of m.
std::int64_t workcells(std::int64_t m, std::int64_t nd) { return m * nd + 2 * m * m + 2 * m; }

// Arms the iteration that the run driver runs after this statement.
void handover() {
  if (solvestate.nunknowns > 0 && core::modelstart > 0) exec::resumecode = 0xACC0;
}

void nonlinear() {
  SolveState& s = solvestate;
  if (core::solveiter != 0) {
    handover();
    return;
  }
  const std::int32_t start = nulstatement();
  if (optval(nulslot) == 0 || optval(unknownslot) <= 0 || start < 1) {
    fail(core::MSGKEY("SolveNOVEC"));
    return;
  }
  core::modelstart = start;
  s.dataidx = s.unknownidx = s.speedhigh = s.speedlow = s.iters = 0;
  s.stdbase = s.stdcount = 0;
  s.firstpass = true;

  const std::int32_t u = optval(unknownslot);
  ZArray ua;
  if (numericvariable(u)) {
    s.base = u - 1;
    s.nunknowns = 1;
  } else if (numericarray(u, ua)) {
    if (ua.count == 0) return fail(core::MSGKEY("SolveDIM=0"));
    s.base = ua.base;
    s.nunknowns = ua.count;
  } else {
    // An element or a text cannot be adjusted.
    return fail(core::MSGKEY("SolveNOVEC"));
  }

  if (given(limitslot)) s.limit = number(limitslot);
  if (given(numdiffslot)) {
    // A step of 0 moves no unknown: there would be no derivatives.
    if (number(numdiffslot) == 0.0) return fail(core::MSGKEY("SolveNumDiff0"));
    s.numdiff = number(numdiffslot);
  }
  if (given(speed1slot) && number(speed1slot) > 0.0) s.startdamping = 1.0 / number(speed1slot);
  if (given(speedstopslot) && number(speedstopslot) > 0.0)
    s.stopdamping = 1.0 / number(speedstopslot);
  s.nd = given(dataslot) ? nearest32(number(dataslot)) : s.nunknowns;

  const double mask = std::round(number(constslot));
  s.constmask = mask > 0.0 ? static_cast<std::uint32_t>(std::fmod(mask, 4294967296.0)) : 0u;
  s.m = 0;
  for (std::int32_t i = 1; i <= s.nunknowns; ++i) {
    if (i <= 32 && (s.constmask >> (i - 1) & 1u) != 0) continue;
    if (s.m == maxfree) return fail(core::MSGKEY("SolveMax32"));
    s.freeunknowns[static_cast<std::size_t>(++s.m)] = i;
  }
  if (s.m == 0) return fail(core::MSGKEY("SolveConst?"));
  if (s.nd < s.m) return fail(core::MSGKEY("SolveDATA"));
  // The work holds a derivative for each data point and free unknown: a
  // count beyond what the largest store holds is refused as an array of
  // that size would be, before anything is allocated or run.
  if (workcells(s.m, s.nd) > core::nzlimit) return fail(core::MSGKEY("SolveDATAbig"));

  if (given(maxitersslot)) {
    core::solvemaxiter = nearest32(number(maxitersslot));
    s.passlimitset = true;
  }
  if ((s.iters = scalarsym(itersslot)) != 0) core::z(s.iters) = 0.0;
  s.dataidx = scalarsym(dataidxslot);
  s.unknownidx = scalarsym(unknownidxslot);
  if ((s.speedhigh = scalarsym(speedhighslot)) != 0) core::z(s.speedhigh) = 0.0;
  if ((s.speedlow = scalarsym(speedlowslot)) != 0) core::z(s.speedlow) = 0.0;

  ZArray sd;
  if (given(stddevslot) && numericarray(optval(stddevslot), sd)) {
    if (sd.count < 1) return fail(core::MSGKEY("SolveDIM=0"));
    s.stdbase = sd.base;
    s.stdcount = sd.count;
  } else if (given(stddevslot) && numericvariable(optval(stddevslot))) {
    s.stdbase = optval(stddevslot) - 1;
    s.stdcount = 1;
  }
  if (s.stdcount > 0 && s.stdcount != s.nunknowns) {
    core::iostatw[0] = static_cast<std::int16_t>(s.nunknowns);
    core::iostatw[1] = static_cast<std::int16_t>(s.stdcount);
    return fail(core::MSGKEY("SolveDPneP"));
  }

  try {
    solvework.assign(static_cast<std::size_t>(workcells(s.m, s.nd)), 0.0);
  } catch (const std::bad_alloc&) {
    solvework.clear();
    return fail(core::MSGKEY("SolveDATAbig"));
  }
  handover();
}

}  // namespace

void SOLVE(const exec::OptCall&) {
  ZArray a;
  if (given(matrixslot) && numericarray(optval(matrixslot), a)) {
    if (optval(transposeslot) > 0) {
      transpose(a, optval(transposeslot));
    } else {
      linear(a);
    }
    return;
  }
  nonlinear();
}

void reset_solve() {
  solvestate = SolveState{};
  solvework.clear();
  fitmodel = FITSCRIPTMODEL;
}

}  // namespace numeric
