// Real roots of quadratic and cubic polynomials in closed form: the script
// function ROOTS and its solver CUBICROOTS, which INTPOL's inverse search
// shares.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace numeric {

// Below this discriminant, taken relative to the sixth power of the
// roots' size (the largest of |a|, |b|^(1/2), |c|^(1/3) of the monic
// cubic x^3 + a x^2 + b x + c), a cubic's other two roots count as real
// (and equal); ROOTS's third operand sets it for every later call.
inline double rootthreshold = 1.0E-10;

// w(0..degree) holds the coefficients, highest power first (degree 2 or
// 3). On return w(0) is the root count (-1 when the leading coefficient is
// 0 or the degree is neither) and w(1..count) the roots, unsorted.
void CUBICROOTS(std::array<double, 4>& w, std::int32_t degree);

// ROOTS(C, R) or ROOTS(C, R, threshold) with the operands as symbols: the
// coefficients from the numeric vector C (3 or 4 of them), the roots into
// the numeric vector R as far as it has room. Returns the root count, -1
// for a call it cannot serve.
double ROOTSFN(std::span<const std::int32_t> operands);

void reset_roots();

}  // namespace numeric
