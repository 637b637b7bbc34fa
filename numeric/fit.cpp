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

// The end test of a fit: at a minimum the residuals stand at right angles
// to the derivatives by the unknowns. The scaled gradient (the cosine of the
// angle between the residuals and the space of the derivatives) and each
// unknown's Gauss-Newton step against its size may be this much.
constexpr double gradientbound = 1.0E-3;
// The passes' forward differences leave a fit that ends at a minimum off it
// by about NumDiff times the model's curvature (a few |NumDiff| in the scaled
// gradient on NIST's problems): with a coarse step the bound is this many
// times |NumDiff|, but no more than coarsebound, where one more step could
// still remove 1 % of the sum: no step makes that a minimum.
constexpr double coarsefactor = 10.0;
constexpr double coarsebound = 0.1;
// The end test's central differences take the step NumDiff, kept within
// these times each unknown: exact to a few digits for a smooth model, and
// still at the scale of the step for a model whose residuals are not
// smooth below it.
constexpr double checkstepmin = 1.0E-7, checkstepmax = 1.0E-3;

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
        if (!residual(i, rh, false)) {
          unknown(u) = a;
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
  for (std::int32_t k = 1; k <= m; ++k) {
    double& a = unknown(freeunknown(k));
    before[static_cast<std::size_t>(k - 1)] = a;
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
  if (st.stdcount == 0) return;
  std::vector<double> rhs(mm, 0.0);
  if (!GAUSSJ(trial, rhs, m)) return;
  for (std::int32_t i = 1, k = 0; i <= st.nunknowns; ++i) {
    double sd = 0.0;
    if (k < m && freeunknown(k + 1) == i) {
      ++k;
      sd = std::sqrt(
          std::abs(trial[static_cast<std::size_t>(k - 1) * mm + static_cast<std::size_t>(k - 1)]));
    }
    core::z(st.stdbase + i) = sd;
  }
}

double FITGRADIENT(std::span<const double> normal, std::span<const double> gradient, double sum,
                   std::span<double> step) {
  if (!(sum > 0.0)) return 0.0;
  // The Gauss-Newton step s = N^-1 g without damping: g.s is the part of
  // the sum that the derivatives can still explain.
  std::vector<double> n(normal.begin(), normal.end()), s(gradient.begin(), gradient.end());
  const bool regular = GAUSSJ(n, s, st.m);
  core::msgkey.blank();
  if (!regular) return 1.0;
  double explained = 0.0;
  for (std::size_t k = 0; k < s.size(); ++k) explained += gradient[k] * s[k];
  if (!step.empty()) std::copy(s.begin(), s.end(), step.begin());
  const double g = std::sqrt(std::abs(explained) / sum);
  return std::isfinite(g) ? g : 1.0;
}

double FITBOUND() {
  return std::max(gradientbound, std::min(coarsefactor * std::abs(st.numdiff), coarsebound));
}

namespace {

// The derivatives of the end test by central differences into j (nd by m,
// column by column, as the passes store theirs) and the residuals at the
// unknowns into r, run last so that the model's variables end there. False
// when the model gives no number at one of the points, or stopped
// otherwise (`xeqstop` then tells).
bool centraldifferences(std::span<double> j, std::span<double> r) {
  const std::int32_t nd = st.nd, m = st.m;
  const double t = std::clamp(std::abs(st.numdiff), checkstepmin, checkstepmax);
  auto run = [](std::int32_t i, double& v) {
    if (residual(i, v, true)) return std::isfinite(v);
    overflowed();
    return false;
  };
  for (std::int32_t k = 1; k <= m; ++k) {
    const std::int32_t u = freeunknown(k);
    setvar(st.unknownidx, u);
    const double a = unknown(u);
    const double h = a != 0.0 ? t * std::abs(a) : t;
    for (std::int32_t i = 1; i <= nd; ++i) {
      double up = 0.0, down = 0.0;
      unknown(u) = a + h;
      bool ok = run(i, up);
      unknown(u) = a - h;
      ok = ok && run(i, down);
      unknown(u) = a;
      if (!ok) return false;
      j[static_cast<std::size_t>((k - 1) * nd + i - 1)] = (down - up) / (2.0 * h);
    }
  }
  setvar(st.unknownidx, 0);
  for (std::int32_t i = 1; i <= nd; ++i)
    if (!run(i, r[static_cast<std::size_t>(i - 1)])) return false;
  return true;
}

}  // namespace

bool FITSETTLED() {
  // A sum that has vanished is a system solved: its residuals are
  // rounding, whose direction tells nothing. Vanished against where it
  // started, or against the parts of the residuals that the unknowns make
  // (each unknown times its derivatives), to a few units of rounding.
  constexpr double eps = std::numeric_limits<double>::epsilon();
  if (st.best <= st.first * eps * eps) return true;
  const auto m = static_cast<std::size_t>(st.m), nd = static_cast<std::size_t>(st.nd);
  std::vector<double> j(nd * m), r(nd);
  if (!centraldifferences(j, r)) return false;
  std::vector<double> n(m * m), g(m), step(m);
  double sum = 0.0, made = 0.0;
  for (std::size_t i = 0; i < nd; ++i) sum += r[i] * r[i];
  for (std::size_t c = 0; c < m; ++c) {
    for (std::size_t i = 0; i < nd; ++i) g[c] += j[c * nd + i] * r[i];
    for (std::size_t l = 0; l < m; ++l)
      for (std::size_t i = 0; i < nd; ++i) n[l * m + c] += j[c * nd + i] * j[l * nd + i];
    const double a = unknown(freeunknown(static_cast<std::int32_t>(c) + 1));
    made += n[c * m + c] * a * a;
  }
  if (sum <= 100.0 * eps * eps * made) return true;
  const double bound = FITBOUND();
  if (!(FITGRADIENT(n, g, sum, step) <= bound)) return false;
  // A fit that runs off towards ever larger unknowns, where the sum still
  // falls a little, has a small scaled gradient on the way, but the step
  // to where the derivatives point is large against the unknowns.
  for (std::size_t k = 0; k < m; ++k) {
    const double a = unknown(freeunknown(static_cast<std::int32_t>(k) + 1));
    if (!(std::abs(step[k]) <= bound * (a != 0.0 ? std::abs(a) : 1.0))) return false;
  }
  return true;
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
  if (!runs([&] { settled = FITSETTLED(); })) return;
  if (settled) {
    core::solvedone = 1;
    return;
  }
  if (stuck && !atlimit && plainform(normal)) return;
  core::iostatw[0] = static_cast<std::int16_t>(std::min(core::solveiter, 32767));
  core::msgkey.set(core::MSGKEY("SolveNoConv"));
  report(keptnomsg);
  core::modelstart = 0;
}

}  // namespace numeric
