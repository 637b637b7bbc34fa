// Gear's integrator with the stiff formulas in Nordsieck form: ODEINI
// serves one output request, ODEINT takes one step, ODECOF gives the
// formula constants, ODEIPL interpolates the history.
#include <algorithm>
#include <cmath>
#include <new>
#include <string_view>

#include "core/messages.h"
#include "core/runwords.h"
#include "numeric/ode.h"

namespace numeric {

namespace {

OdeState& st = odestate;

// The regions of the work array for n equations.
struct Regions {
  std::int32_t n = 0;
  std::span<double> z, w, err, s1, s2, band;
  std::span<std::int32_t> piv;
  // History column j (from 1), element i (from 1).
  double& zz(std::int32_t i, std::int32_t j) const {
    return z[static_cast<std::size_t>((j - 1) * n + i - 1)];
  }
  std::span<double> col(std::int32_t j) const {
    return z.subspan(static_cast<std::size_t>((j - 1) * n), static_cast<std::size_t>(n));
  }
};

Regions regions(std::int32_t n) {
  Regions r;
  r.n = n;
  const auto un = static_cast<std::size_t>(n);
  std::span<double> c(odework.cells);
  r.z = c.subspan(0, 6 * un);
  r.w = c.subspan(6 * un, un);
  r.err = c.subspan(7 * un, un);
  r.s1 = c.subspan(8 * un, un);
  r.s2 = c.subspan(9 * un, un);
  r.band = c.subspan(10 * un);
  r.piv = odework.pivots;
  return r;
}

std::size_t ix(std::int32_t i) { return static_cast<std::size_t>(i - 1); }

// Sum of (a(i) / w(i))^2.
double wnorm2(const Regions& r, auto&& a) {
  double d = 0.0;
  for (std::int32_t i = 1; i <= r.n; ++i) {
    const double x = a(i) / r.w[ix(i)];
    d += x * x;
  }
  return d;
}

// The binomial prediction of the history, or its undoing (sign -1).
void pascal(const Regions& r, double sign) {
  for (std::int32_t k = 1; k <= st.q; ++k)
    for (std::int32_t j = st.q; j >= k; --j)
      for (std::int32_t i = 1; i <= r.n; ++i) r.zz(i, j) += sign * r.zz(i, j + 1);
}

// Back to the start of the step.
void retract(const Regions& r) {
  st.t = st.told;
  pascal(r, -1.0);
}

}  // namespace

void ODECOF(int /*method*/, int q, std::array<double, 7>& l, std::array<double, 5>& tau,
            int& maxorder) {
  // Gear's constants 2/3, 1/3; 6/11, 6/11, 1/11; 12/25, 7/10, 1/5, 1/50;
  // 60/137, 225/274, 85/274, 15/274, 1/274, to 14 digits. Row q: l(1),
  // l(3), ..., l(q + 1), then tau(1..3).
  static constexpr double table[5][8] = {
      {1.0, 1.0, 2.0, 3.0},
      {0.66666666666667, 0.33333333333333, 1.0, 4.5, 6.0},
      {0.54545454545455, 0.54545454545455, 0.090909090909091, 0.5, 7.333, 9.167},
      {0.48, 0.7, 0.2, 0.02, 0.1667, 10.42, 12.5},
      {0.43795620437956, 0.82116788321168, 0.31021897810219, 0.054744525547445, 0.0036496350364964,
       0.04167, 13.7, 1.0}};
  maxorder = 5;
  q = std::clamp(q, 1, 5);
  const double* row = table[q - 1];
  l.fill(0.0);
  l[1] = row[0];
  l[2] = 1.0;
  for (int j = 3; j <= q + 1; ++j) l[static_cast<std::size_t>(j)] = row[j - 2];
  for (int k = 1; k <= 3; ++k) tau[static_cast<std::size_t>(k)] = row[q + k - 1];
  tau[4] = 0.5 * tau[2] / (q + 2);
}

void ODEIPL(std::span<const double> z, std::int32_t ld, std::span<double> out) {
  const double s = (st.tout - st.t) / st.h;
  const auto uld = static_cast<std::size_t>(ld);
  for (std::size_t i = 0; i < static_cast<std::size_t>(st.n); ++i) {
    double sum = z[i], f = 1.0;
    for (std::int32_t j = 1; j <= st.start; ++j) {
      f *= s;
      sum += f * z[static_cast<std::size_t>(j) * uld + i];
    }
    out[i] = sum;
  }
}

int ODEINT(std::int32_t n) {
  const Regions r = regions(n);
  enum class At {
    coef,
    sizecheck,
    rescale,
    age,
    predict,
    correct,
    errortest,
    select,
    selectpr2,
    corrfail,
    finish
  };
  At at = At::age;
  st.result = 0;
  st.told = st.t;
  double rh = 1.0, d = 0.0, delprev = 0.0, pr3 = 1.0E20;
  if (st.start == 0) {
    if (odef(odemode::first, st.t, r.col(1), r.s1) != 0) return 1;
    for (std::int32_t i = 1; i <= n; ++i) r.zz(i, 2) = st.h * r.s1[ix(i)];
    st.q = 1;
    st.L = 2;
    st.hold = 3;
    st.rmax = 1.0E4;
    st.rc = 0.0;
    st.crate = 1.0;
    st.steps = st.stepsmat = 0;
    st.heldh = st.h;
    st.l1prev = 1.0;
    st.ret = 3;
    at = At::coef;
  } else if (st.start == -1) {
    if (n != st.heldn || st.eps != st.heldeps) {
      if (n != st.heldn) st.matflag = 1;
      st.ret = 1;
      at = At::coef;
    } else {
      at = At::sizecheck;
    }
  }
  for (;;) {
    switch (at) {
      case At::coef: {
        int maxorder = 5;
        ODECOF(2, st.q, st.l, st.tau, maxorder);
        st.lmax = maxorder + 1;
        st.rc = st.rc * st.l[1] / st.l1prev;
        st.l1prev = st.l[1];
        const auto bound = [&](int k) {
          const double x = st.tau[static_cast<std::size_t>(k)] * st.eps;
          return x * x * n;
        };
        st.edn = bound(1);
        st.e = bound(2);
        st.eup = bound(3);
        st.bnd = bound(4);
        st.heldn = n;
        st.heldeps = st.eps;
        at = st.ret == 1 ? At::sizecheck : st.ret == 2 ? At::rescale : At::age;
        break;
      }
      case At::sizecheck:
        if (st.h == st.heldh) {
          at = At::age;
          break;
        }
        rh = st.h / st.heldh;
        st.h = st.heldh;
        st.redo = 3;
        at = At::rescale;
        break;
      case At::rescale: {
        if (st.redo != 3) rh = std::max(rh, st.hmin / std::abs(st.h));
        rh = std::min({rh, st.hmax / std::abs(st.h), st.rmax});
        double f = 1.0;
        for (std::int32_t j = 2; j <= st.L; ++j) {
          f *= rh;
          for (std::int32_t i = 1; i <= n; ++i) r.zz(i, j) *= f;
        }
        st.h *= rh;
        st.rc *= rh;
        st.hold = st.L + 1;
        if (st.redo == 0) {
          st.rmax = 10.0;
          at = At::finish;
        } else {
          at = At::age;
        }
        break;
      }
      case At::age:
        if (std::abs(st.rc - 1.0) > 0.3 || st.steps >= st.stepsmat + 20) st.matflag = 1;
        at = At::predict;
        break;
      case At::predict:
        st.t += st.h;
        pascal(r, 1.0);
        at = At::correct;
        break;
      case At::correct: {
        std::fill(r.err.begin(), r.err.end(), 0.0);
        std::int32_t iter = 0;
        if (odef(odemode::attempt, st.t, r.col(1), r.s2) != 0) {
          retract(r);
          return 1;
        }
        if (st.matflag > 0) {
          std::int32_t status = 0;
          // A failed evaluation leaves the matrix due: the band is spoilt.
          if (ODESMX(r.col(1), r.w, r.err, r.s1, r.s2, r.band, r.piv, -st.h * st.l[1], 2, status) !=
              0) {
            retract(r);
            return 1;
          }
          st.matflag = 0;
          st.rc = 1.0;
          st.stepsmat = st.steps;
          if (status != 0) {
            st.singular = true;
            at = At::corrfail;
            break;
          }
        }
        const std::int32_t bw = 2 * st.ml + st.mu + 1;
        for (;;) {
          for (std::int32_t i = 1; i <= n; ++i)
            r.s1[ix(i)] = st.h * r.s2[ix(i)] - (r.zz(i, 2) + r.err[ix(i)]);
          ODESLG(bw, n, st.ml, st.mu, r.band, r.piv, r.s1);
          const double del = wnorm2(r, [&](std::int32_t i) { return r.s1[ix(i)]; });
          for (std::int32_t i = 1; i <= n; ++i) {
            r.err[ix(i)] += r.s1[ix(i)];
            r.s1[ix(i)] = r.zz(i, 1) + st.l[1] * r.err[ix(i)];
          }
          if (iter > 0) st.crate = std::max(0.9 * st.crate, del / delprev);
          if (del * std::min(1.0, 2.0 * st.crate) <= st.bnd) {
            at = At::errortest;
            break;
          }
          delprev = del;
          if (++iter == 3) {
            if (st.matflag == -1) {
              st.matflag = 1;
              at = At::correct;
            } else {
              st.singular = false;
              at = At::corrfail;
            }
            break;
          }
          if (odef(odemode::corrector, st.t, r.s1, r.s2) != 0) {
            retract(r);
            return 1;
          }
        }
        break;
      }
      case At::errortest:
        st.matflag = -1;
        d = wnorm2(r, [&](std::int32_t i) { return r.err[ix(i)]; });
        if (d <= st.e) {
          st.result = 0;
          st.redo = 0;
          ++st.steps;
          st.hlast = st.h;
          for (std::int32_t j = 1; j <= st.L; ++j)
            for (std::int32_t i = 1; i <= n; ++i)
              r.zz(i, j) += st.l[static_cast<std::size_t>(j)] * r.err[ix(i)];
          if (st.hold != 1) {
            if (--st.hold < 2 && st.L != st.lmax)
              for (std::int32_t i = 1; i <= n; ++i) r.zz(i, st.lmax) = r.err[ix(i)];
            at = At::finish;
          } else {
            at = At::select;
          }
          break;
        }
        --st.result;
        retract(r);
        st.rmax = 2.0;
        if (std::abs(st.h) <= st.hmin * 1.00001) {
          st.result = -1;
          at = At::finish;
        } else if (st.result >= -2) {
          st.redo = 2;
          pr3 = 1.0E20;
          at = At::selectpr2;
        } else if (st.result == -7) {
          st.result = -2;
          at = At::finish;
        } else {
          // Repeated failures: start again at order 1 from a fresh derivative.
          rh = std::max(st.hmin / std::abs(st.h), 0.1);
          if (odef(odemode::recover, st.t, r.col(1), r.s1) != 0) return 1;
          st.h *= rh;
          for (std::int32_t i = 1; i <= n; ++i) r.zz(i, 2) = st.h * r.s1[ix(i)];
          st.matflag = 1;
          st.hold = 10;
          if (st.q != 1) {
            st.q = 1;
            st.L = 2;
            st.ret = 3;
            at = At::coef;
          } else {
            at = At::age;
          }
        }
        break;
      case At::select:
        pr3 = 1.0E20;
        if (st.L != st.lmax) {
          const double d1 =
              wnorm2(r, [&](std::int32_t i) { return r.err[ix(i)] - r.zz(i, st.lmax); });
          pr3 = std::pow(d1 / st.eup, 0.5 / (st.L + 1)) * 1.4 + 1.4E-6;
        }
        at = At::selectpr2;
        break;
      case At::selectpr2: {
        const double pr2 = std::pow(d / st.e, 0.5 / st.L) * 1.2 + 1.2E-6;
        double pr1 = 1.0E20;
        if (st.q != 1) {
          const double d0 = wnorm2(r, [&](std::int32_t i) { return r.zz(i, st.L); });
          pr1 = std::pow(d0 / st.edn, 0.5 / st.q) * 1.3 + 1.3E-6;
        }
        std::int32_t newq = st.q;
        bool lower = false;
        if (pr2 <= pr3) {
          if (pr1 < pr2) {
            lower = true;
          } else {
            rh = 1.0 / pr2;
          }
        } else if (pr1 <= pr3) {
          lower = true;
        } else {
          newq = st.q + 1;
          rh = 1.0 / pr3;
          if (rh < 1.1) {
            st.hold = 10;
            at = At::finish;
            break;
          }
          for (std::int32_t i = 1; i <= n; ++i)
            r.zz(i, st.q + 2) = r.err[ix(i)] * st.l[static_cast<std::size_t>(st.L)] / st.L;
        }
        if (lower) {
          newq = st.q - 1;
          rh = 1.0 / pr1;
          if (st.result != 0) rh = std::min(rh, 1.0);
        }
        if (st.result == 0 && rh < 1.1) {
          st.hold = 10;
          at = At::finish;
        } else if (newq != st.q) {
          st.q = newq;
          st.L = newq + 1;
          st.ret = 2;
          at = At::coef;
        } else {
          at = At::rescale;
        }
        break;
      }
      case At::corrfail:
        st.rmax = 2.0;
        retract(r);
        if (std::abs(st.h) <= st.hmin * 1.00001) {
          st.result = -3;
          at = At::finish;
          break;
        }
        rh = 0.25;
        st.redo = 1;
        at = At::rescale;
        break;
      case At::finish:
        st.heldh = st.h;
        st.start = st.q;
        return 0;
    }
  }
}

namespace {

// Error weights: the first ones at a restart, or their update after a step
// (which also keeps the solution positive where that is asked for).
void weights(const Regions& r, bool initial, double l2) {
  const double theta = st.nonzero;
  for (std::int32_t i = 1; i <= r.n; ++i) {
    double& y = r.zz(i, 1);
    double& w = r.w[ix(i)];
    if (theta <= 0.0) {
      w = initial ? (y == 0.0 ? 1.0 : std::abs(y)) : std::max(w, std::abs(y));
      continue;
    }
    if (initial) {
      y = std::abs(y);
    } else if (y < 0.0) {
      y = uround;
    }
    const double a = y;
    w = a <= theta ? 0.5 * theta / st.eps
                   : std::pow(10.0, (std::log10(a) / st.digits + 1.0) * l2 + loghalf) * a / st.eps;
  }
}

// The solution copied out in the script's layout.
void deliver(const Regions& r, std::span<double> y, bool fromscratch) {
  XPATOB(fromscratch ? r.s1 : r.col(1), st.mc, y, st.nxc);
}

// A failure with a message: the solution of the last accepted step goes out.
int fail(const Regions& r, std::span<double> y, std::string_view key) {
  st.errflag = 1;
  core::msgkey.set(key);
  deliver(r, y, false);
  return 0;
}

}  // namespace

int ODEINI(std::span<double> y) {
  const std::int32_t n = st.n;
  if (n < 1 || y.size() < static_cast<std::size_t>(n)) {
    core::msgkey.set(core::MSGKEY("odeNoY"));
    st.errflag = 1;
    return 0;
  }
  if (st.layoutn != n || odework.cells.empty()) st.mode = 1;
  if (st.mode == 1) {
    const auto un = static_cast<std::size_t>(n);
    const std::size_t need = static_cast<std::size_t>(2 * st.ml + st.mu + 1) * un + 10 * un;
    try {
      if (odework.cells.size() < need) {
        odework.cells.clear();
        odework.cells.resize(need);
      }
      if (odework.pivots.size() < un) odework.pivots.resize(un);
    } catch (const std::bad_alloc&) {
      std::int32_t status = 41;
      core::CHECKANDSETRUNTIMEERROR("od01", status);
      st.errflag = 1;
      return 0;
    }
    st.layoutn = n;
    st.sqrtur = std::sqrt(uround);
    st.nfe = st.nje = 0;
  }
  const Regions r = regions(n);
  if (st.mode == 1) XPATOB(y, st.nxc, r.col(1), st.mc);
  const double l2 = std::log10(st.eps) - loghalf;
  bool interpolate = false;
  if (st.mode == 1) {
    if ((st.t0 - st.tout) * st.dt1 >= 0.0) {
      st.mode = -4;
      return fail(r, y, core::MSGKEY("odeToutLTt0"));
    }
    weights(r, true, l2);
    st.t = st.t0;
    st.h = st.dt1;
    if (st.t + st.h == st.t) return fail(r, y, core::MSGKEY("odeHis0"));
    st.hmin = std::abs(st.dt1);
    st.hmax = 10.0 * std::abs(st.t0 - st.tout);
    st.epscopy = st.eps;
    st.start = 0;
    st.hminred = 0;
  } else if (st.mode == 3) {
    st.hmax = 1.0E10;
  } else {
    st.hmax = 10.0 * std::abs(st.tout - st.toutprev);
    interpolate = (st.t - st.tout) * st.h >= 0.0;
  }
  bool returnatt = false;
  while (!interpolate && !returnatt) {
    if (st.t + st.h == st.t) return fail(r, y, core::MSGKEY("odeHis0"));
    if (--st.budget < 0) {
      returnatt = true;
      break;
    }
    if (ODEINT(n) != 0) {
      deliver(r, y, false);
      return 1;
    }
    switch (st.result) {
      case -1:
      case -3:
        // A failure at the smallest step, of the error test or of the
        // corrector: the smallest step falls tenfold, at most ten times
        // between two restarts (the count covers both failures). Not so
        // for an iteration matrix that is singular there: its Jacobian is
        // out of all proportion (a coefficient of 1E300), and smaller
        // steps would crawl on at the edge of the number range.
        if (st.hminred == 10 || (st.result == -3 && st.singular))
          return fail(r, y,
                      st.result == -1 ? core::MSGKEY("odeInsolvable") : core::MSGKEY("odeNoConv"));
        ++st.hminred;
        st.hmin *= 0.1;
        st.h *= 0.1;
        st.start = -1;
        continue;
      case -2:
        return fail(r, y, core::MSGKEY("odeErrorTooSmall"));
      default:
        break;
    }
    weights(r, false, l2);
    double dsum = 0.0;
    for (std::int32_t i = 1; i <= n; ++i) {
      const double a = std::abs(r.zz(i, 1)) / r.w[ix(i)];
      dsum += a * a;
    }
    if ((uround / st.eps) * (uround / st.eps) * dsum > n) {
      st.result = -2;
      return fail(r, y, core::MSGKEY("odeEpsTooSmall"));
    }
    if (st.mode == 3) {
      returnatt = true;
    } else {
      interpolate = (st.t - st.tout) * st.h >= 0.0;
    }
  }
  if (interpolate) {
    ODEIPL(r.z, n, r.s1);
  } else {
    st.tout = st.t;
  }
  st.mode = st.result;
  st.toutprev = st.tout;
  st.errflag = 0;
  deliver(r, y, interpolate);
  return 0;
}

}  // namespace numeric
