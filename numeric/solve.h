// SOLVE: linear systems by Gauss-Jordan elimination (leaving the inverse in
// the matrix), the transpose of a matrix, and nonlinear systems and data
// fits by damped least squares over the script's own model statements. The
// linear and transpose jobs finish inside the statement; the nonlinear one
// is set up here and run pass by pass by the run driver (numeric/fit.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "exec/optdispatch.h"

namespace numeric {

// At most this many unknowns may be free.
inline constexpr std::int32_t maxfree = 32;

// The state of the nonlinear job, shared with the iteration.
struct SolveState {
  std::int32_t base = 0;  // unknown i lives at z(base + i)
  std::int32_t nunknowns = 0;
  std::array<std::int32_t, maxfree + 1> freeunknowns{};  // 1..m: numbers of the free unknowns
  std::int32_t m = 0;
  std::int32_t nd = 0;  // data points, model runs per pass
  std::uint32_t constmask = 0;
  // Symbols of the option variables, 0 when not given.
  std::int32_t dataidx = 0, unknownidx = 0, speedhigh = 0, speedlow = 0, iters = 0;
  std::int32_t stdbase = 0, stdcount = 0;  // STDdev(i) is z(stdbase + i)
  bool firstpass = false;
  // Settings that stay in force for later statements.
  double startdamping = 0.001;
  double stopdamping = 1.0E10;
  double limit = 0.0;
  double numdiff = 1.0E-5;
  // The script set the pass limit (MaXIters): a fit that reaches it takes
  // no steps beyond it in its end test.
  bool passlimitset = false;
  // The iteration.
  double damping = 0.0;
  double best = 0.0;
  double first = 0.0;  // the sum at the start unknowns
  double current = 0.0;
  bool improved = false;
  bool failedtrial = false;  // the last trial's model or derivatives could not be computed
  // The scale of each free unknown's damping: the largest diagonal element
  // of the normal matrix at the unknowns accepted so far (since the fit
  // last got stuck, when it is taken anew from the diagonal).
  std::array<double, maxfree> scale{};
};
inline SolveState solvestate;

// Work of the iteration: the derivative matrix (nd by m, column by
// column), the trial and the normal matrix (m by m), the gradient and the
// step (m each).
inline std::vector<double> solvework;

// The statement's routine: reads `optval` by keyword (1 Matrix, 2 Vector,
// 3 Unknown, 4 DataIdx, 5 UnknownIdx, 6 Const, 7 SpeedHigh, 8 STDdev,
// 9 Iters, 10 Limit, 11 NumDiff, 12 NUL, 13 DATA, 14 MaXIters,
// 15 Transpose, 16 Speed1, 17 SpeedStop, 18 SpeedLow).
void SOLVE(const exec::OptCall& call);

// Gauss-Jordan elimination with full pivoting: a is n by n, column by
// column (a[(j-1)n + i-1] is element (i,j)), b has n elements. On return a
// holds the inverse and b the solution; false with "SolveSingular" in
// `msgkey` when a pivot is 0 (a and b are then spoilt).
bool GAUSSJ(std::span<double> a, std::span<double> b, std::int32_t n);

// Transposes the n by n matrix a in place.
void XPATOA(std::span<double> a, std::int32_t n);

void reset_solve();

}  // namespace numeric
