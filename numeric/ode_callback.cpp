// The right-hand side of a DIFFEQ run: the script's callback, and in grid
// mode the method-of-lines form of the transport equation.
#include <algorithm>
#include <string_view>

#include "core/chars.h"
#include "core/messages.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/callback.h"
#include "exec/postfix.h"
#include "exec/xeq.h"
#include "numeric/ode.h"
#include "numeric/zarrays.h"

namespace numeric {

namespace {

void inputstep() {
  exec::runinputstep();
}

// An alarm that fell due while the callback ran gets its input step here,
// since the run does not come back to the statement loop until the end.
void alarms(OdeState& s) {
  if (exec::alarmnext == 0) {
    exec::alarmnext = -999;
    inputstep();
    if (core::idecmd <= 0) s.savedalarm = exec::alarmnext;
  }
  if (exec::alarmnext != 0 && s.savedalarm > 0) {
    s.savedalarm = 0;
    exec::alarmnext = -999;
    inputstep();
  }
}

// The cells of one array, or a key when they are gone (the script has
// given the array another size since the restart).
bool cellsof(const OdeArray& a, std::span<double>& out, std::string_view key) {
  out = odecells(a);
  if (a.count == 0 || out.size() == static_cast<std::size_t>(a.count)) return true;
  core::msgkey.set(key);
  return false;
}

// f from what the callback left: DY in ODE mode, the grid otherwise.
int derivative(const OdeState& s, std::span<const double> u, std::span<double> f) {
  std::span<double> dy, x, vel, eddy, feed, rate;
  if (s.m == 0) {
    if (!cellsof(s.dy, dy, core::MSGKEY("odeDimDY"))) return 1;
    std::copy(dy.begin(), dy.end(), f.begin());
    return 0;
  }
  if (!cellsof(s.x, x, core::MSGKEY("odeDimX")) || !cellsof(s.vel, vel, core::MSGKEY("odeDimF")) ||
      !cellsof(s.eddy, eddy, core::MSGKEY("odeDimE")) ||
      !cellsof(s.yfeed, feed, core::MSGKEY("odeDimYFnePDE")) ||
      !cellsof(s.rate, rate, core::MSGKEY("odeDimR")))
    return 1;
  odegridf({s.nx, s.m, s.beta, x, vel, eddy, feed, rate}, u, f);
  return 0;
}

}  // namespace

void odegridf(const OdeGrid& g, std::span<const double> u, std::span<double> f) {
  const std::int32_t nx = g.nx, m = g.m;
  const auto n = static_cast<std::size_t>(nx) * static_cast<std::size_t>(m);
  // Value of component c at point j of a per-component or per-point array.
  const auto at = [&](std::span<const double> a, std::int32_t c, std::int32_t j) {
    return a.size() == n ? a[static_cast<std::size_t>(c * nx + j)] : a[static_cast<std::size_t>(c)];
  };
  const auto x = [&](std::int32_t j) { return g.x[static_cast<std::size_t>(j)]; };
  for (std::int32_t j = nx - 1; j >= 0; --j) {
    const double hl = j == 0 ? x(1) - x(0) : x(j) - x(j - 1);
    const double hr = j == 0 ? hl : j < nx - 1 ? x(j + 1) - x(j) : 0.0;
    double a = 0.0, b = 0.0, c2 = 0.0, d2 = 0.0;
    if (j < nx - 1) {
      const double r = hl / hr, q = r * r * g.beta;
      a = 1.0 / (q * hr + hl);
      b = q * a;
      c2 = 2.0 / (r * hr * hr + hl * hl);
      d2 = r * c2;
    }
    for (std::int32_t c = m - 1; c >= 0; --c) {
      const auto i = static_cast<std::size_t>(j * m + c);
      const double v = at(g.vel, c, j), e = at(g.eddy, c, j);
      const double feed = g.feed[static_cast<std::size_t>(c)], u0 = u[i];
      double fi = 0.0;
      if (j == 0) {
        const double h = hr, vr = at(g.vel, c, 1), er = at(g.eddy, c, 1);
        fi =
            ((v - 2.0 * e / h) * u0 - (vr - 2.0 * er / h) * u[i + static_cast<std::size_t>(m)]) / h;
        if (v > 0.0) fi += 2.0 * v * (feed - u0) / h;
      } else if (j == nx - 1) {
        const double h = hl, vl = at(g.vel, c, j - 1), el = at(g.eddy, c, j - 1);
        fi =
            ((vl + 2.0 * el / h) * u[i - static_cast<std::size_t>(m)] - (v + 2.0 * e / h) * u0) / h;
        if (v < 0.0) fi -= 2.0 * v * (feed - u0) / h;
      } else {
        const double vl = at(g.vel, c, j - 1), el = at(g.eddy, c, j - 1);
        const double vr = at(g.vel, c, j + 1), er = at(g.eddy, c, j + 1);
        fi = (a * vl + c2 * el) * u[i - static_cast<std::size_t>(m)] +
             ((b - a) * v - (c2 + d2) * e) * u0 -
             (b * vr - d2 * er) * u[i + static_cast<std::size_t>(m)];
      }
      if (g.rate.size() == n) fi += g.rate[static_cast<std::size_t>(c * nx + j)];
      f[i] = fi;
    }
  }
}

int ODETEO(int mode, double t, std::span<const double> state, std::span<double> f) {
  OdeState& s = odestate;
  if (s.itrok > 0) core::SETZTOR8(s.itrok, mode == odemode::attempt ? 1.0 : 0.0);
  std::span<double> y;
  if (!cellsof(s.y, y, core::MSGKEY("odeNoY")) || y.empty()) return 1;
  if (numericscalar(s.y.sym)) {
    core::SETZTOR8(s.y.sym, state[0]);  // a constant keeps its value
  } else {
    XPATOB(state, s.mc, y, s.nxc);
  }
  core::SETZTOR8(s.tsym, t);
  std::int32_t line = s.cbstart;
  for (;;) {
    core::FPUERROR();
    const exec::CallbackRun run = exec::runcallback(line);
    alarms(s);
    if (core::idecmd <= 0 && (run.stop == core::stops::end || run.stop == core::stops::returned)) {
      core::xeqstop = 0;
      return derivative(s, state, f);
    }
    s.savedalarm = 0;
    // A failed statement with an error label goes on at the label; a break
    // or quit is never redirected, so that Escape can always stop the run.
    if (run.stop != core::stops::error) return 1;
    const std::int32_t label = core::nomsg > 0 ? core::I2EQUZ(1, core::nomsg) : 0;
    if (label <= 0) return 1;
    line = label;
  }
}

}  // namespace numeric
