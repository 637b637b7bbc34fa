// The damped least-squares iteration of SOLVE's nonlinear job (Levenberg-
// Marquardt with numeric derivatives). The run driver calls SOLVERUN once a
// pass; each pass makes one trial step, running the script's model once per
// data point (and m times more after an improving trial, for the
// derivatives).
#pragma once

#include <span>

namespace numeric {

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

}  // namespace numeric
