// The DIFFEQ statement: ODE checks and records the options, ODERUN runs
// the integration after the executor has handed the statement back.
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/optvalues.h"
#include "exec/xeq.h"
#include "numeric/ode.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace {

using exec::optval;

enum Slot {
  errorslot,
  callbackslot,
  tslot,
  yslot,
  dyslot,
  t0slot,
  dt1slot,
  tolslot,
  nonzeroslot,
  goslot,
  itrokslot,
  yfeedslot,
  velslot,
  xslot,
  eddyslot,
  rateslot,
  bcfslot
};

bool given(Slot k) { return optval(k) > 0; }

// The option as an array record: its symbol and element count.
OdeArray arrayof(Slot k) {
  std::int32_t pos = 0;
  const std::int32_t n = GETDIM(k, pos);
  return n > 0 ? OdeArray{optval(k), n} : OdeArray{};
}

bool strictlyordered(std::span<const double> x) {
  bool up = true, down = true;
  for (std::size_t i = 1; i < x.size(); ++i) {
    up = up && x[i] > x[i - 1];
    down = down && x[i] < x[i - 1];
  }
  return up || down;
}

// Steps of a restart: the callback, Y and the mode's arrays. The key of
// the first failure, empty when all is well.
std::string_view restart(OdeState& s) {
  s.t0 = exec::OPTIONTOR8(t0slot);
  if (std::isnan(s.t0)) return core::MSGKEY("odeTimeNaN");
  s.beta = std::exp(10.0 * std::clamp(exec::OPTIONTOR8(bcfslot), -1.0, 1.0));
  std::array<char, 256> text{};
  text.fill(' ');
  if (given(callbackslot)) core::GETNAME(optval(callbackslot), text);
  std::string_view cb(text.data(), text.size());
  while (!cb.empty() && cb.back() == ' ') cb.remove_suffix(1);
  while (!cb.empty() && cb.front() == ' ') cb.remove_prefix(1);
  std::int32_t sub = 0;
  if (cb.empty() || !core::FINDSN(cb, sub, 4) || sub < 1) return core::MSGKEY("odeNoCB");
  s.cbstart = core::I2EQUZ(1, sub) + 1;
  s.cbname.set(cb);
  s.y = arrayof(yslot);
  s.n = s.y.count;
  if (s.n == 0) return core::MSGKEY("odeNoY");
  s.dy = arrayof(dyslot);
  s.x = s.yfeed = s.vel = s.eddy = s.rate = OdeArray{};
  if (s.dy.count == s.n) {
    s.m = 0;
    s.nx = s.n;
    s.ml = s.mu = s.n - 1;
  } else if (s.dy.count > 0) {
    return core::MSGKEY("odeDimDY");
  } else {
    s.x = arrayof(xslot);
    s.nx = s.x.count;
    if (s.nx < 2) return core::MSGKEY("odeNX<2");
    s.m = s.n / s.nx;
    if (s.m * s.nx != s.n) return core::MSGKEY("odeDimX");
    // Two equal points would divide by a zero spacing.
    if (!strictlyordered(odecells(s.x))) return core::MSGKEY("odeXorder");
    core::FPUERROR();
    s.yfeed = arrayof(yfeedslot);
    s.vel = arrayof(velslot);
    s.eddy = arrayof(eddyslot);
    s.rate = arrayof(rateslot);
    if (s.yfeed.count != s.m) return core::MSGKEY("odeDimYFnePDE");
    if (s.vel.count != s.m && s.vel.count != s.n) return core::MSGKEY("odeDimF");
    if (s.eddy.count != s.m && s.eddy.count != s.n) return core::MSGKEY("odeDimE");
    if (s.rate.count > 0 && s.rate.count != s.n) return core::MSGKEY("odeDimR");
    s.ml = s.mu = s.m;
  }
  // The integrator's work, checked against the largest store as an array
  // of that size would be.
  const std::int64_t n = s.n, width = 2 * static_cast<std::int64_t>(s.ml) + s.mu + 1;
  if (width * n + 10 * n + n / 2 + 2 > core::nzlimit) return core::MSGKEY("odeWorkBig");
  s.itrok = optval(itrokslot);
  core::FPUERROR();
  return {};
}

// Shows a failure of the run with the integrator's state and stops the
// run at the statement.
void report() {
  const OdeState& s = odestate;
  if (core::nomsg == 0) {
    std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(core::xeqline), 0, 0, 0};
    std::array<std::int32_t, 8> ints{s.n,  s.m,          s.vel.count,  s.yfeed.count,
                                     s.nx, s.eddy.count, s.rate.count, s.dy.count};
    std::array<double, 13> reals{s.tout, s.t0,      s.dt1,  s.eps,    s.t,     s.h,      s.hmin,
                                 s.hmax, s.epscopy, uround, s.sqrtur, s.hlast, s.nonzero};
    std::array<char, 64> name{};
    std::copy_n(s.cbname.data(), name.size(), name.begin());
    core::HelpValues hv;
    hv.halves = halves;
    hv.words = ints;
    hv.doubles = reals;
    hv.text = name;
    int answer = 0;
    const std::string_view key = core::msgkey.trimmed();
    std::array<char, 16> kept{};
    std::copy(key.begin(), key.end(), kept.begin());
    core::HELP(key, answer, hv);
    core::msgkey.set({kept.data(), key.size()});
  }
  core::xeqstop = core::stops::error;
  if (s.erroropt < 0) core::msgkey.blank();
}

// The integration up to the target time; true when it failed with a key
// that is still to be reported.
bool integrate() {
  OdeState& s = odestate;
  std::vector<double> y(static_cast<std::size_t>(std::max(s.n, 0)));
  while (core::xeqstop == 0) {
    std::span<double> cells = odecells(s.y);
    if (cells.size() != y.size()) {
      core::msgkey.set(core::MSGKEY("odeNoY"));
      break;
    }
    std::copy(cells.begin(), cells.end(), y.begin());
    const int failed = ODEINI(y);
    oderesult(y);
    // A callback that stopped the run has had its message shown.
    if (failed != 0 && core::xeqstop != 0) return false;
    // A failure of the integration (not of a statement of the callback)
    // delivers the solution where it stopped: T gets that time, not the
    // one of the callback's last evaluation.
    if (failed == 0 && s.errflag != 0 && s.mode != -4) core::SETZTOR8(s.tsym, s.t);
    if (failed != 0 || core::xeqstop != 0 || s.errflag != 0) break;
    if (s.budget > 0 && (s.target - s.tout) * s.h > 0.0) {
      s.mode = 3;
      continue;
    }
    core::SETZTOR8(s.tsym, s.tout);
    return false;
  }
  return !core::msgkey.is_blank();
}

}  // namespace

std::span<double> odecells(const OdeArray& a) {
  if (a.sym <= 0 || a.count <= 0) return {};
  if (a.count == 1 && numericscalar(a.sym)) return {core::z.ptr(a.sym), 1};
  ZArray za;
  if (!numericarray(a.sym, za) || za.count != a.count) return {};
  return {core::z.ptr(za.base + 1), static_cast<std::size_t>(a.count)};
}

std::int32_t GETDIM(std::int32_t k, std::int32_t& position) {
  position = 0;
  const std::int32_t s = k >= 0 && k < exec::noptslots ? optval(k) : 0;
  if (s <= 0) return 0;
  if (numericscalar(s)) {
    position = s;
    return 1;
  }
  ZArray a;
  if (!numericarray(s, a) || a.count == 0) return 0;
  position = a.base + 1;
  return a.count;
}

void ODE(const exec::OptCall&) {
  // Worked out on a copy: a statement that fails changes nothing but
  // makes the next one restart.
  OdeState s = odestate;
  s.erroropt = optval(errorslot);
  s.errflag = 0;
  if (given(tslot)) {
    if ((core::NAMTYP(optval(tslot), 0x80) & 0x80) != 0) s.tsym = optval(tslot);
    s.target = exec::OPTIONTOR8(tslot);
  }
  // A time that is no number would never be reached.
  if (std::isnan(s.target)) {
    core::msgkey.set(core::MSGKEY("odeTimeNaN"));
    return;
  }
  s.budget = maxbudget;
  if (optval(goslot) == 0) {
    s.mode = 1;
  } else {
    const std::int32_t go = nearest32(std::min(exec::OPTIONTOR8(goslot), 2147483647.0));
    s.mode = go == 0 ? 0 : 1;
    if (go >= 0) s.budget = go == 0 ? 1 : go;
  }
  if (s.dy.sym <= 0 || s.cbstart <= 0 || s.y.sym <= 0) s.mode = 1;
  core::msgkey.blank();
  if (s.n > 0 && s.mode != 1 && !(s.toutprev > s.target)) {
    if (s.target == s.toutprev) s.mode = 3;
  } else {
    s.mode = 1;
    if (const std::string_view key = restart(s); !key.empty()) {
      core::msgkey.set(key);
      odestate.y = OdeArray{};
      return;
    }
  }
  if (given(nonzeroslot)) {
    s.nonzero = exec::OPTIONTOR8(nonzeroslot);
    if (s.nonzero > 0.0) s.digits = positivitydigits(s.nonzero);
  }
  if (given(dt1slot)) {
    s.dt1 = exec::OPTIONTOR8(dt1slot);
    if (!(s.dt1 > 0.0)) s.dt1 = 0.001;  // also for a value that is no number
  }
  if (given(tolslot)) {
    s.eps = exec::OPTIONTOR8(tolslot);
    if (!(s.eps > 0.0)) s.eps = 1.0E-5;
  }
  s.tout = s.target;
  s.nxc = std::abs(s.nx);
  s.mc = std::max(s.m, 1);
  core::FPUERROR();
  odestate = s;
  exec::resumecode = static_cast<std::int16_t>(0xAE00);
}

void ODERUN() {
  // The callback's statements set their own error labels: the statement's
  // one is put back for the failure after the run.
  const std::int32_t keptnomsg = core::nomsg;
  const bool failed = integrate();
  core::nomsg = keptnomsg;
  if (failed) report();
}

void oderesult(std::span<const double> y) {
  std::span<double> cells = odecells(odestate.y);
  if (cells.size() != y.size()) return;
  if (numericscalar(odestate.y.sym)) {
    core::SETZTOR8(odestate.y.sym, y[0]);  // a constant keeps its value
  } else {
    std::copy(y.begin(), y.end(), cells.begin());
  }
}

std::int32_t positivitydigits(double threshold) {
  // A threshold near 1 gives 0 digits, which would divide by zero.
  const std::int32_t d = nearest32(-std::log10(threshold));
  return d == 0 ? 1 : d;
}

void odestart(OdeRhs f, std::int32_t n, double t0, double tout, double dt1, double eps,
              double nonzero) {
  OdeState& s = odestate;
  oderhs = f;
  s.n = s.nx = s.nxc = n;
  s.m = 0;
  s.mc = 1;
  s.ml = s.mu = n - 1;
  s.t0 = t0;
  s.tout = s.target = tout;
  s.dt1 = dt1;
  s.eps = eps;
  s.nonzero = nonzero;
  if (nonzero > 0.0) s.digits = positivitydigits(nonzero);
  s.mode = 1;
  s.budget = maxbudget;
  s.errflag = 0;
}

void reset_ode() {
  odestate = OdeState{};
  odework = OdeWork{};
  oderhs = ODETEO;
}

}  // namespace numeric
