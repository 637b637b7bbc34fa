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

// The scaled gradient at the accepted unknowns: the cosine of the angle
// between the residuals r and the space of their derivatives J by the free
// unknowns, sqrt(g' N^-1 g / S) with the normal matrix N = J'J, the
// gradient g = J'r of `solvework` and the best sum S = r'r: 0 at a minimum,
// 1 when the derivatives could explain all of the sum (a singular N counts
// as 1). FITBOUND is the most that the end of a fit may have: 1E-3, or 100
// times NumDiff when that is larger.
double FITGRADIENT(std::span<const double> normal, std::span<const double> gradient);
double FITBOUND();

// The fit may end here: the scaled gradient is within FITBOUND, or the sum
// has vanished (a system solved down to rounding): against the first sum,
// or to a few units of rounding of the parts of the residuals that the
// unknowns make (each unknown times its derivatives).
bool FITSETTLED(std::span<const double> normal, std::span<const double> gradient);

}  // namespace numeric
