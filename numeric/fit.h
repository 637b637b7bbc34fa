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

// The scaled gradient of residuals r at the sum S = r'r, with the normal
// matrix N = J'J and the gradient g = J'r of their derivatives J by the
// free unknowns: sqrt(g' N^-1 g / S), the cosine of the angle between r and
// the space of the derivatives. It is 0 at a minimum and 1 where the
// derivatives could explain all of the sum (a singular N counts as 1); its
// square is the part of S that one more Gauss-Newton step s = N^-1 g could
// still remove. That step goes into step when one is given.
double FITGRADIENT(std::span<const double> normal, std::span<const double> gradient, double sum,
                   std::span<double> step = {});

// The most that the end of a fit may leave of the scaled gradient, and of
// each unknown's Gauss-Newton step against the unknown: 1E-3; with a coarse
// derivative step 10 times |NumDiff|, but never more than 0.1.
double FITBOUND();

// The fit may end here, at a minimum of the sum. The model runs again for
// derivatives by central differences (each free unknown moved both ways by
// NumDiff times it, kept between 1E-7 and 1E-3 times it), which carry none
// of the bias of the passes' forward differences: those shift where a fit
// ends by about NumDiff times the model's curvature and vanish there,
// whatever the true gradient. Either the sum has vanished (a system solved
// down to rounding: against the first sum, or to a few units of rounding of
// the parts of the residuals that the unknowns make, each unknown times its
// derivatives), or the scaled gradient and each unknown's Gauss-Newton step
// against it are within FITBOUND. False where the model cannot be computed
// beside the unknowns; a model run that stops otherwise leaves `xeqstop`
// set. The model runs at the unknowns last.
bool FITSETTLED();

}  // namespace numeric
