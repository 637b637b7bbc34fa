// Integrates one of the stiff test problems of data/ode_problems.py with
// DIFFEQ's integrator, its right-hand side a C++ function, and prints one
// line: steps, evaluations of f, iteration matrices, the best time of the
// given number of runs in milliseconds, and the solution at the end time.
//
// Usage: ode_compare ROBER|HIRES|VDP1000 tolerance [runs]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "core/runwords.h"
#include "numeric/ode.h"

namespace {

int rober(int, double, std::span<const double> y, std::span<double> f) {
  f[0] = -0.04 * y[0] + 1e4 * y[1] * y[2];
  f[1] = 0.04 * y[0] - 1e4 * y[1] * y[2] - 3e7 * y[1] * y[1];
  f[2] = 3e7 * y[1] * y[1];
  return 0;
}

int hires(int, double, std::span<const double> y, std::span<double> f) {
  f[0] = -1.71 * y[0] + 0.43 * y[1] + 8.32 * y[2] + 0.0007;
  f[1] = 1.71 * y[0] - 8.75 * y[1];
  f[2] = -10.03 * y[2] + 0.43 * y[3] + 0.035 * y[4];
  f[3] = 8.32 * y[1] + 1.71 * y[2] - 1.12 * y[3];
  f[4] = -1.745 * y[4] + 0.43 * y[5] + 0.43 * y[6];
  f[5] = -280.0 * y[5] * y[7] + 0.69 * y[3] + 1.71 * y[4] - 0.43 * y[5] + 0.69 * y[6];
  f[6] = 280.0 * y[5] * y[7] - 1.81 * y[6];
  f[7] = -280.0 * y[5] * y[7] + 1.81 * y[6];
  return 0;
}

int vdp(int, double, std::span<const double> y, std::span<double> f) {
  f[0] = y[1];
  f[1] = 1000.0 * (1.0 - y[0] * y[0]) * y[1] - y[0];
  return 0;
}

struct Problem {
  std::string_view name;
  numeric::OdeRhs f;
  std::vector<double> y0;
  double tend;
  double nonzero;  // ROBER's y2 starts at 0 and must not turn negative
};

}  // namespace

int main(int argc, char** argv) {
  const Problem problems[] = {
      {"ROBER", rober, {1.0, 0.0, 0.0}, 1e11, 1e-20},
      {"HIRES", hires, {1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0057}, 321.8122, 0.0},
      {"VDP1000", vdp, {2.0, 0.0}, 3000.0, 0.0},
  };
  if (argc < 3) {
    std::fprintf(stderr, "usage: ode_compare ROBER|HIRES|VDP1000 tolerance [runs]\n");
    return 2;
  }
  const double tol = std::atof(argv[2]);
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  for (const Problem& p : problems) {
    if (p.name != argv[1]) continue;
    std::vector<double> y;
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
      numeric::reset_ode();
      const auto n = static_cast<std::int32_t>(p.y0.size());
      numeric::odestart(p.f, n, 0.0, p.tend, 1e-8, tol, p.nonzero);
      y = p.y0;
      const auto start = std::chrono::steady_clock::now();
      numeric::ODEINI(y);
      const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - start;
      best = std::min(best, ms.count());
      if (numeric::odestate.errflag != 0) {
        std::printf("failed %.16s at t = %g\n", core::msgkey.data(), numeric::odestate.t);
        return 1;
      }
    }
    const auto& s = numeric::odestate;
    std::printf("%d %lld %lld %.4f", s.steps, static_cast<long long>(s.nfe),
                static_cast<long long>(s.nje), best);
    for (double v : y) std::printf(" %.17g", v);
    std::printf("\n");
    return 0;
  }
  std::fprintf(stderr, "no problem %s\n", argv[1]);
  return 2;
}
