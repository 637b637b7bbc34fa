// The damped least-squares iteration of SOLVE's nonlinear job (Levenberg-
// Marquardt with numeric derivatives). The run driver calls SOLVERUN once a
// pass; each pass makes one trial step, running the script's model once per
// data point (and m times more after an improving trial, for the
// derivatives).
#pragma once

#include <cstdint>
#include <span>

namespace numeric {

// The residual of data point i at the unknowns as they stand; false when
// the run did not end as a model run does (`xeqstop` then tells how it
// ended). The program runs the script's model statements from NUL
// (FITSCRIPTMODEL, where a trial run ends quietly on a failed calculation,
// which the trial takes as its answer); tests point the seam at C++
// functions.
using FitModel = bool (*)(std::int32_t i, double& r, bool trial);
bool FITSCRIPTMODEL(std::int32_t i, double& r, bool trial);
inline FitModel fitmodel = FITSCRIPTMODEL;

// One pass: the trial step, the pass's outputs (Iters, the residual sum as
// the value of SOLVE and its assignment target) and the done flag. A
// failure leaves `xeqstop` not 0 and disarms the iteration.
void SOLVERUN();

// One damped step from the accepted unknowns (its arguments are the slices
// of `solvework`).
void FITMIN(std::span<double> j, std::span<double> trial, std::span<double> normal,
            std::span<double> step, std::span<double> gradient);

// The residual sum at the current unknowns; when it is below the best sum,
// also the derivatives j, the normal matrix into matrix and the gradient
// into vector. For a trial, a model run whose calculation fails (a result
// too large, a division by zero) ends it without a message and marks the
// trial failed.
void FITUPD(std::span<double> j, std::span<double> matrix, std::span<double> vector, bool trial);

// The scaled gradient at the sum S, with the normal matrix N = J'J and
// g = J'r of the derivatives J (the negative derivatives of the residuals
// r by the free unknowns a, as the passes store them): the largest of
// |dS/da_k| |a_k| / S = 2 |g_k| |a_k| / S, each unknown weighed by no less
// than sqrt(S / N_kk), the move that changes the residuals by as much as
// they are (an unknown at 0 has no size of its own). 0 where S is 0.
double FITSCALEDGRADIENT(std::span<const double> normal, std::span<const double> gradient,
                         double sum);

// The fit may end here, at a minimum of the sum. The model runs again for
// derivatives by central differences of the fourth order with steps of the
// end test's own (1E-4 and 2E-4 times each free unknown, whatever NumDiff),
// which carry none of the bias of the passes' forward differences: those
// shift where a fit ends by about NumDiff times the model's curvature and
// vanish there, whatever the true gradient. The fit ends where each
// unknown's Gauss-Newton step against it is at most 1E-3 and either the
// scaled gradient is at most 1E-3 or the part of the sum that the step
// could still remove lies within the sum's own rounding (an exact fit, or
// an ill-conditioned one whose slope is rounding); or where the sum has
// vanished against where it started. Elsewhere, with steps, it goes on
// with a few Gauss-Newton steps from these derivatives (each damped until
// it lowers the sum) and asks again; the unknowns keep the lowest sum
// reached (`best`). False where the fit is no minimum or the model cannot
// be computed beside the unknowns; a model run that stops otherwise leaves
// `xeqstop` set. The model runs at the unknowns last.
bool FITSETTLED(bool steps);

}  // namespace numeric
