#include "numeric/fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include "core/messages.h"
#include "core/runwords.h"
#include "exec/callback.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "numeric/solve.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace {

SolveState& st = solvestate;

// The end test of a fit: at a minimum the slope of the sum by each unknown
// vanishes. The scaled gradient, max |dS/da| |a| / S over the free unknowns
// a, and each unknown's Gauss-Newton step against its size may be this
// much, whatever the derivative step NumDiff of the passes.
constexpr double gradientbound = 1.0E-3;

double& unknown(std::int32_t i) { return core::z(st.base + i); }
std::int32_t freeunknown(std::int32_t k) { return st.freeunknowns[static_cast<std::size_t>(k)]; }
void setvar(std::int32_t sym, double v) {
  if (sym > 0) core::z(sym) = v;
}

// Runs the model for data point i (DataIdx set to i first).
bool residual(std::int32_t i, double& r, bool trial) {
  setvar(st.dataidx, i);
  return fitmodel(i, r, trial);
}

// Moves each free unknown by its step, within Limit as the passes are
// (the steps become those made).
void movefree(std::span<double> step) {
  for (std::int32_t k = 1; k <= st.m; ++k) {
    double& a = unknown(freeunknown(k));
    double& s = step[static_cast<std::size_t>(k - 1)];
    if (st.limit == 0.0) {
      a += s;
      continue;
    }
    const double b = st.limit * a, lim = a / std::abs(st.limit);
    const double moved =
        b <= 0.0 ? std::min(std::max(a + s, b), lim) : std::max(std::min(a + s, b), lim);
    s = moved - a;
    a = moved;
  }
}

// A trial run that failed its calculation: the unknowns lie where the
// model cannot be computed, so the trial failed like one that did not
// improve.
bool overflowed() {
  if (core::xeqstop != core::stops::error || core::msgkey.trimmed() != exec::xeqerrorkey(3300))
    return false;
  core::xeqstop = 0;
  core::msgkey.blank();
  core::iostatw.fill(0);  // (its status words go with it)
  return true;
}

// Shows a key that the iteration itself set (a failed model run has shown
// its own message already).
void report(std::int32_t keptnomsg) {
  if (keptnomsg == 0) {
    std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(core::xeqline), core::iostatw[0],
                                       core::iostatw[1], 0};
    core::HelpValues hv;
    hv.halves = halves;
    int answer = 0;
    core::HELP(core::msgkey.trimmed(), answer, hv);
  }
  core::xeqstop = core::stops::error;
}

// The model gives no number for data point i at the start values (or
// beside them, where a derivative is taken).
void nonumberatstart(std::int32_t i) {
  core::iostatw[0] = static_cast<std::int16_t>(std::min(i, 32767));
  core::msgkey.set(core::MSGKEY("SolveNaNstart"));
}

// The model cannot be computed where the derivative step moves unknown u.
void derivativefailed(std::int32_t u) {
  core::iostatw[0] = static_cast<std::int16_t>(std::min(u, 32767));
  core::iostatw[1] = 0;
  core::msgkey.set(core::MSGKEY("SolveDiffFailed"));
}

}  // namespace

bool FITSCRIPTMODEL(std::int32_t, double& r, bool trial) {
  const exec::CallbackRun run = exec::runcallback(core::modelstart, trial);
  if (run.stop != core::stops::returned) return false;
  core::xeqstop = 0;
  r = run.value;
  return true;
}

void FITUPD(std::span<double> j, std::span<double> matrix, std::span<double> vector, bool trial) {
  const std::int32_t nd = st.nd, m = st.m;
  auto jac = [&](std::int32_t i, std::int32_t k) -> double& {
    return j[static_cast<std::size_t>((k - 1) * nd + i - 1)];
  };
  st.current = 0.0;
  st.failedtrial = false;
  setvar(st.unknownidx, 0);
  // The residuals at the current unknowns, kept apart from J's last column.
  std::vector<double> r(static_cast<std::size_t>(nd) + 1);
  std::int32_t nonumber = 0;  // the first point whose squared residual is no number
  for (std::int32_t i = 1; i <= nd; ++i) {
    if (!residual(i, r[static_cast<std::size_t>(i)], trial)) {
      st.failedtrial = trial && overflowed();
      return;
    }
    const double ri = r[static_cast<std::size_t>(i)];
    if (nonumber == 0 && !std::isfinite(ri * ri)) nonumber = i;
    st.current += ri * ri;
    jac(i, m) = ri;
  }
  if (nonumber != 0 && !trial) return nonumberatstart(nonumber);
  if (!(st.current < st.best)) return;
  for (std::int32_t k = 1; k <= m; ++k) {
    const std::int32_t u = freeunknown(k);
    setvar(st.unknownidx, u);
    const double a = unknown(u);
    double h = st.numdiff * a;
    if (h == 0.0) h = st.numdiff;
    double& g = vector[static_cast<std::size_t>(k - 1)];
    // A residual that does not depend on the unknown has the derivative 0;
    // only when no residual moves is the step too small to be seen, and it
    // doubles up to 1 before the unknown counts as missing from the model.
    for (bool moved = false; !moved; h *= 2.0) {
      g = 0.0;
      for (std::int32_t i = 1; i <= nd; ++i) {
        unknown(u) = a + h;
        double rh = 0.0;
        if (!residual(i, rh, true)) {
          unknown(u) = a;
          // The model can be computed at the unknowns but not where NumDiff
          // moves this one (NumDiff=-1 moves it to 0): the step is to blame.
          if (overflowed()) derivativefailed(u);
          return;
        }
        if (!std::isfinite(rh)) {
          // Beside the unknowns the model gives no number: a trial that
          // went there failed; from the start values the fit cannot begin.
          unknown(u) = a;
          st.failedtrial = trial;
          if (!trial) nonumberatstart(i);
          return;
        }
        const double ri = r[static_cast<std::size_t>(i)];
        const double d = (ri - rh) / h;
        jac(i, k) = d;
        // The gradient takes the residuals at the accepted unknowns, not
        // the displaced ones: the step then aims at the point where the
        // gradient vanishes, and the fit ends a few digits nearer the
        // minimum than with the displaced residuals, which bias it by
        // about one derivative step.
        g += ri * d;
        moved = moved || d != 0.0;
      }
      unknown(u) = a;
      if (!moved && std::abs(h) >= 1.0) {
        // A trial that went where the model no longer moves with this
        // unknown (an exponential that has died away) failed like one
        // whose model cannot be computed: its derivatives cannot be taken
        // there, and from there the fit could not come back.
        st.failedtrial = trial;
        if (trial) return;
        core::iostatw[0] = static_cast<std::int16_t>(std::min(nd, 32767));
        core::iostatw[1] = static_cast<std::int16_t>(k);
        core::msgkey.set(core::MSGKEY("SolveDiff"));
        return;
      }
    }
  }
  for (std::int32_t c = 1; c <= m; ++c)
    for (std::int32_t l = 1; l <= m; ++l) {
      double sum = 0.0;
      for (std::int32_t i = 1; i <= nd; ++i) sum += jac(i, c) * jac(i, l);
      matrix[static_cast<std::size_t>((l - 1) * m + c - 1)] = sum;
    }
}

namespace {

// STDdev from the normal matrix n (spoilt: it becomes the inverse).
void standarddeviations(std::span<double> n) {
  if (st.stdcount == 0) return;
  const std::int32_t m = st.m;
  const auto mm = static_cast<std::size_t>(m);
  std::vector<double> rhs(mm, 0.0);
  if (!GAUSSJ(n, rhs, m)) return;
  for (std::int32_t i = 1, k = 0; i <= st.nunknowns; ++i) {
    double sd = 0.0;
    if (k < m && freeunknown(k + 1) == i) {
      ++k;
      sd = std::sqrt(
          std::abs(n[static_cast<std::size_t>(k - 1) * mm + static_cast<std::size_t>(k - 1)]));
    }
    core::z(st.stdbase + i) = sd;
  }
}

}  // namespace

void FITMIN(std::span<double> j, std::span<double> trial, std::span<double> normal,
            std::span<double> step, std::span<double> gradient) {
  const std::int32_t m = st.m;
  const auto mm = static_cast<std::size_t>(m);
  if (st.firstpass) {
    st.damping = st.startdamping;
    st.best = 1.0E100;
    FITUPD(j, normal, gradient, false);
    if (!core::msgkey.is_blank() || core::xeqstop != 0) return;
    st.best = st.first = st.current;
    core::solveiter = 1;
    st.firstpass = false;
    for (std::size_t k = 0; k < mm; ++k) st.scale[k] = normal[k * mm + k];
  }
  // The damping adds to each diagonal element its largest value so far
  // times the damping value (Marquardt's form scaled as Moré's): where a
  // derivative has shrunk (the model has left the data behind) the
  // unknown's step stays as restrained as it was, and does not fly off.
  // While the diagonal is at its largest this is the diagonal times
  // 1 + damping. A fit that gets stuck so goes on with the scale taken
  // anew from the diagonal as it is (plainform).
  std::copy(normal.begin(), normal.end(), trial.begin());
  for (std::size_t k = 0; k < mm; ++k) {
    double& d = trial[k * mm + k];
    d = d * (1.0 + st.damping) + st.damping * (st.scale[k] - d);
  }
  std::copy(gradient.begin(), gradient.end(), step.begin());
  if (!GAUSSJ(trial, step, m)) return;
  std::array<double, maxfree> before{};
  for (std::int32_t k = 1; k <= m; ++k)
    before[static_cast<std::size_t>(k - 1)] = unknown(freeunknown(k));
  movefree(step);
  FITUPD(j, trial, step, true);
  if (!core::msgkey.is_blank() || core::xeqstop != 0) return;
  st.improved = !st.failedtrial && st.current < st.best;
  if (!st.improved) {
    st.damping *= 10.0;
    st.current = st.best;
    // (A trial whose derivatives failed has spent the step on them.)
    for (std::int32_t k = 1; k <= m; ++k)
      if (st.failedtrial)
        unknown(freeunknown(k)) = before[static_cast<std::size_t>(k - 1)];
      else
        unknown(freeunknown(k)) -= step[static_cast<std::size_t>(k - 1)];
    return;
  }
  st.best = st.current;
  const double speed = 1.0 / st.damping;
  if (st.speedhigh > 0) core::z(st.speedhigh) = std::max(speed, core::z(st.speedhigh));
  if (st.speedlow > 0) {
    const double low = std::min(speed, core::z(st.speedlow));
    core::z(st.speedlow) = low == 0.0 ? speed : low;
  }
  st.damping *= 0.1;
  std::copy(trial.begin(), trial.end(), normal.begin());
  std::copy(step.begin(), step.end(), gradient.begin());
  for (std::size_t k = 0; k < mm; ++k) st.scale[k] = std::max(st.scale[k], normal[k * mm + k]);
  standarddeviations(trial);
}

namespace {

// The end test takes its own derivatives by central differences of the
// fourth order, whatever the passes' step NumDiff: each free unknown moved
// both ways by this part of itself and by twice that (by this step where
// it is 0). Their error, about the step's fourth power times the model's
// fifth derivative, and the rounding of the model's runs divided by the
// step stay some 1E-12 of the derivatives, so that even a fit whose
// residuals are a millionth of the terms summed shows its true slope.
constexpr double checkstep = 1.0E-4;
// A fit whose end test fails first goes on with this many Gauss-Newton
// steps, each from the end test's derivatives, and each tried with these
// dampings until one lowers the sum.
constexpr int settlesteps = 5;
constexpr std::array<double, 4> settledampings = {0.0, 1.0E-3, 0.1, 10.0};
// Where the part of the sum that one more Gauss-Newton step could remove is
// within this many times the sum's own rounding, the slope counts as none.
constexpr double noisefactor = 4.0;

// The derivatives of the end test by central differences into j (nd by m,
// column by column, as the passes store theirs) and the residuals at the
// unknowns into r, run last so that the model's variables end there. False
// when the model gives no number at one of the points, or stopped
// otherwise (`xeqstop` then tells).
bool centraldifferences(std::span<double> j, std::span<double> r) {
  const std::int32_t nd = st.nd, m = st.m;
  auto run = [](std::int32_t i, double& v) {
    if (residual(i, v, true)) return std::isfinite(v);
    overflowed();
    return false;
  };
  for (std::int32_t k = 1; k <= m; ++k) {
    const std::int32_t u = freeunknown(k);
    setvar(st.unknownidx, u);
    const double a = unknown(u);
    const double h = a != 0.0 ? checkstep * std::abs(a) : checkstep;
    for (std::int32_t i = 1; i <= nd; ++i) {
      // The residual at a + f h.
      auto at = [&](double f, double& v) {
        unknown(u) = a + f * h;
        const bool ok = run(i, v);
        unknown(u) = a;
        return ok;
      };
      double up = 0.0, down = 0.0, up2 = 0.0, down2 = 0.0;
      if (!at(1.0, up) || !at(-1.0, down) || !at(2.0, up2) || !at(-2.0, down2)) return false;
      j[static_cast<std::size_t>((k - 1) * nd + i - 1)] =
          (8.0 * (down - up) - (down2 - up2)) / (12.0 * h);
    }
  }
  setvar(st.unknownidx, 0);
  for (std::int32_t i = 1; i <= nd; ++i)
    if (!run(i, r[static_cast<std::size_t>(i - 1)])) return false;
  return true;
}

// The sum at the unknowns as they stand (the model's variables end there);
// false where the model cannot be computed.
bool sumhere(double& sum) {
  setvar(st.unknownidx, 0);
  sum = 0.0;
  for (std::int32_t i = 1; i <= st.nd; ++i) {
    double r = 0.0;
    if (!residual(i, r, true)) {
      overflowed();
      return false;
    }
    sum += r * r;
  }
  return std::isfinite(sum);
}

// The end test's view of the unknowns: derivatives J (as the passes store
// theirs, the negative derivatives of the residuals), residuals r, the
// normal matrix N = J'J and g = J'r, with dS/da = -2 g.
struct Slope {
  std::vector<double> j, r, n, g;
  double sum = 0.0;
};

bool slopehere(Slope& s) {
  const auto m = static_cast<std::size_t>(st.m), nd = static_cast<std::size_t>(st.nd);
  s.j.assign(nd * m, 0.0);
  s.r.assign(nd, 0.0);
  s.n.assign(m * m, 0.0);
  s.g.assign(m, 0.0);
  if (!centraldifferences(s.j, s.r)) return false;
  s.sum = 0.0;
  for (std::size_t i = 0; i < nd; ++i) s.sum += s.r[i] * s.r[i];
  for (std::size_t c = 0; c < m; ++c) {
    for (std::size_t i = 0; i < nd; ++i) s.g[c] += s.j[c * nd + i] * s.r[i];
    for (std::size_t l = 0; l < m; ++l)
      for (std::size_t i = 0; i < nd; ++i) s.n[l * m + c] += s.j[c * nd + i] * s.j[l * nd + i];
  }
  return std::isfinite(s.sum);
}

// The size against which unknown k's Gauss-Newton step is weighed: the
// unknown itself; at 0, the move that changes the residuals by as much as
// they are, sqrt(S / N_kk).
double stepscale(const Slope& s, std::size_t k) {
  const double a = std::abs(unknown(freeunknown(static_cast<std::int32_t>(k) + 1)));
  const double nkk = s.n[k * static_cast<std::size_t>(st.m) + k];
  return a != 0.0 || !(nkk > 0.0) ? a : std::sqrt(s.sum / nkk);
}

// The rounding of the sum: each residual carries the rounding of the terms
// the model sums to it (each free unknown times its derivative, and the
// residual itself), and its square twice that times the residual.
double sumrounding(const Slope& s) {
  constexpr double eps = std::numeric_limits<double>::epsilon();
  const auto m = static_cast<std::size_t>(st.m), nd = static_cast<std::size_t>(st.nd);
  double rounding = 0.0;
  for (std::size_t i = 0; i < nd; ++i) {
    double terms = std::abs(s.r[i]);
    for (std::size_t l = 0; l < m; ++l)
      terms += std::abs(unknown(freeunknown(static_cast<std::int32_t>(l) + 1)) * s.j[l * nd + i]);
    rounding += 2.0 * eps * terms * std::abs(s.r[i]);
  }
  return rounding;
}

}  // namespace

double FITSCALEDGRADIENT(std::span<const double> normal, std::span<const double> gradient,
                         double sum) {
  if (!(sum > 0.0)) return 0.0;
  double most = 0.0;
  const auto m = static_cast<std::size_t>(st.m);
  for (std::size_t k = 0; k < m; ++k) {
    const double a = std::abs(unknown(freeunknown(static_cast<std::int32_t>(k) + 1)));
    const double nkk = normal[k * m + k];
    const double scale = nkk > 0.0 ? std::max(a, std::sqrt(sum / nkk)) : a;
    most = std::max(most, 2.0 * std::abs(gradient[k]) * scale / sum);
  }
  return std::isfinite(most) ? most : std::numeric_limits<double>::infinity();
}

namespace {

enum class Verdict { minimum, rounding, open };

// Whether the unknowns are a minimum. Each unknown's Gauss-Newton step
// s = N^-1 g must be small against it: a fit that runs off towards ever
// larger unknowns, where the sum still falls a little, has a small scaled
// gradient on the way. Then either the scaled gradient is within the bound,
// or the part of the sum that the step could still remove, g's, is within
// the sum's own rounding: a sum fallen to the rounding of its terms (an
// exact fit) has a slope of rounding, large against so small a sum, and
// an ill-conditioned fit a slope that the rounding of the derivatives
// leaves at the bound.
Verdict judge(const Slope& s) {
  const auto m = static_cast<std::size_t>(st.m);
  std::vector<double> step(s.g), inverse(s.n);
  if (!GAUSSJ(inverse, step, st.m)) step.clear();
  core::msgkey.blank();
  if (s.sum == 0.0) return Verdict::minimum;
  if (step.empty()) return Verdict::open;
  double removable = 0.0;
  for (std::size_t k = 0; k < m; ++k) {
    if (!(std::abs(step[k]) <= gradientbound * stepscale(s, k))) return Verdict::open;
    removable += s.g[k] * step[k];
  }
  if (FITSCALEDGRADIENT(s.n, s.g, s.sum) <= gradientbound) return Verdict::minimum;
  return std::abs(removable) <= noisefactor * sumrounding(s) ? Verdict::rounding : Verdict::open;
}

// One Gauss-Newton step from the end test's derivatives, damped more each
// time a trial does not lower the sum; false when none does (the unknowns
// and the model's variables are then back where they were).
bool descend(const Slope& s) {
  const auto m = static_cast<std::size_t>(st.m);
  std::array<double, maxfree> before{};
  for (std::size_t k = 0; k < m; ++k)
    before[k] = unknown(freeunknown(static_cast<std::int32_t>(k) + 1));
  for (const double damping : settledampings) {
    std::vector<double> n(s.n), step(s.g);
    for (std::size_t k = 0; k < m; ++k) n[k * m + k] *= 1.0 + damping;
    const bool regular = GAUSSJ(n, step, st.m);
    core::msgkey.blank();
    if (!regular) continue;
    movefree(step);
    double sum = 0.0;
    if (sumhere(sum) && sum < s.sum) return true;
    if (core::xeqstop != 0) return false;
    for (std::size_t k = 0; k < m; ++k)
      unknown(freeunknown(static_cast<std::int32_t>(k) + 1)) = before[k];
  }
  double sum = 0.0;
  sumhere(sum);
  return false;
}

}  // namespace

bool FITSETTLED(bool steps) {
  // A sum that has vanished against where it started is a system solved:
  // its residuals are rounding, whose direction tells nothing.
  constexpr double eps = std::numeric_limits<double>::epsilon();
  if (st.best <= st.first * eps * eps) return true;
  Slope s;
  for (int round = 0;; ++round) {
    if (!slopehere(s)) return false;
    st.best = st.current = s.sum;
    const Verdict v = judge(s);
    if (v == Verdict::minimum) return true;
    // Within the rounding the steps go on while they still lower the sum.
    if (!steps || round == settlesteps || !descend(s)) return v == Verdict::rounding;
    if (core::xeqstop != 0) return false;
  }
}

namespace {

// A fit stuck with the damping scaled by the largest diagonal seen: from
// here the damping takes each unknown's own diagonal (Marquardt's plain
// form), which lets an unknown move again whose derivatives have shrunk far
// below those met on the way. False when that is the form already.
bool plainform(std::span<const double> normal) {
  const auto m = static_cast<std::size_t>(st.m);
  bool scaled = false;
  for (std::size_t k = 0; k < m; ++k) {
    scaled = scaled || st.scale[k] > normal[k * m + k];
    st.scale[k] = normal[k * m + k];
  }
  if (scaled) st.damping = st.startdamping;
  return scaled;
}

}  // namespace

void SOLVERUN() {
  const std::int32_t keptnomsg = core::nomsg;
  const auto m = static_cast<std::size_t>(st.m), nd = static_cast<std::size_t>(st.nd);
  std::span<double> work(solvework);
  const std::span<double> normal = work.subspan(m * nd + m * m, m * m);
  const std::span<double> gradient = work.subspan(m * nd + 2 * m * m, m);
  // Runs the model through f; false when that ended the iteration (a
  // stopped run, or a key set: shown, and the run stops).
  auto runs = [&](auto f) {
    core::msgkey.blank();
    try {
      f();
    } catch (const std::bad_alloc&) {
      // The residuals or derivatives did not fit into memory beside the work.
      core::msgkey.set(core::MSGKEY("SolveDATAbig"));
    }
    core::nomsg = keptnomsg;
    if (core::xeqstop == 0 && core::msgkey.is_blank()) return true;
    if (core::xeqstop == 0) report(keptnomsg);
    core::modelstart = 0;
    return false;
  };
  if (!runs([&] {
        FITMIN(work.subspan(0, m * nd), work.subspan(m * nd, m * m), normal,
               work.subspan(m * nd + 2 * m * m + m, m), gradient);
      }))
    return;
  if (st.iters > 0) core::z(st.iters) += 1.0;
  if (core::z.valid(core::iresult)) core::z(core::iresult) = st.current;
  const std::int32_t t = exec::solvetarget;
  if (numericvariable(t)) core::z(t) = st.current;
  // The fit ends when no trial lowers the sum any more although the damping
  // has passed its limit, or at the pass limit; either way the unknowns
  // must be a minimum of the sum, or the fit failed.
  core::solvedone = 0;
  const bool stuck = st.damping > st.stopdamping && !st.improved;
  const bool atlimit = core::solveiter >= core::solvemaxiter;
  if (!stuck && !atlimit) return;
  bool settled = false;
  std::array<double, maxfree> before{};
  for (std::size_t k = 0; k < m; ++k)
    before[k] = unknown(freeunknown(static_cast<std::int32_t>(k) + 1));
  bool ran = runs([&] { settled = FITSETTLED(!atlimit || !st.passlimitset); });
  bool moved = false;
  for (std::size_t k = 0; k < m; ++k)
    moved = moved || before[k] != unknown(freeunknown(static_cast<std::int32_t>(k) + 1));
  // A fit stuck in the scaled form goes on in the plain one (decided by
  // the passes' own derivatives, where they got stuck).
  const bool goon = ran && !settled && stuck && !atlimit && plainform(normal);
  // The end test's steps moved the unknowns to a lower sum: the passes'
  // derivatives (for STDdev, and for the passes that may follow, whose
  // damping then scales by their diagonal) are taken anew there.
  if (ran && moved) {
    ran = runs([&] {
      st.best = std::numeric_limits<double>::infinity();
      FITUPD(work.subspan(0, m * nd), normal, gradient, false);
      st.best = st.current;
      std::vector<double> n(normal.begin(), normal.end());
      standarddeviations(n);
      // (The model's variables end at the unknowns.)
      double sum = 0.0;
      sumhere(sum);
    });
    if (goon)
      for (std::size_t k = 0; k < m; ++k) st.scale[k] = normal[k * m + k];
  }
  if (core::z.valid(core::iresult)) core::z(core::iresult) = st.current;
  if (numericvariable(t)) core::z(t) = st.current;
  if (!ran) return;
  if (settled) {
    core::solvedone = 1;
    return;
  }
  if (goon) return;
  core::iostatw[0] = static_cast<std::int16_t>(std::min(core::solveiter, 32767));
  core::msgkey.set(core::MSGKEY("SolveNoConv"));
  report(keptnomsg);
  core::modelstart = 0;
}

}  // namespace numeric
