// DIFFEQ: initial-value problems y' = f(t, y) by Gear's variable-order
// backward-differentiation method (orders 1 to 5, Nordsieck history,
// chord-Newton corrector with a banded finite-difference iteration matrix).
//
// Two modes: in ODE mode a local subroutine of the script (the callback)
// computes f from `T` and `Y` into `DY`; in grid mode f is the
// method-of-lines form of a one-dimensional advection-dispersion-reaction
// equation on the points `X`, and the callback only refreshes its arrays.
//
// The statement routine ODE checks and records the options; the run driver
// then calls ODERUN, which drives the integrator ODEINI (one output request),
// which takes steps with ODEINT. Every evaluation of f goes through the one
// seam `oderhs`: ODETEO (the script callback) in the program, a C++
// function in tests and benchmarks.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "exec/optdispatch.h"
#include "platform/fixed_text.h"

namespace numeric {

inline constexpr double uround = 2.220446049250313E-16;
inline constexpr double loghalf = -0.3010299956639812;  // log10(0.5)
inline constexpr std::int32_t maxbudget = 2147483647;

// Evaluation modes of the right-hand side.
namespace odemode {
inline constexpr int first = 1;      // first evaluation of an integration
inline constexpr int attempt = 2;    // first evaluation of a step attempt
inline constexpr int corrector = 4;  // corrector iteration
inline constexpr int recover = 5;    // new start after repeated error-test failures
inline constexpr int jacobian = 6;   // Jacobian column group
}  // namespace odemode

// The right-hand side: f = f(t, y), both of N values in the integrator's
// point-by-point order; 0 done, 1 the evaluation failed (the run stops).
using OdeRhs = int (*)(int mode, double t, std::span<const double> y, std::span<double> f);

// A script array (or numeric scalar) given to DIFFEQ: its symbol and the
// element count found at the restart. Its cells are looked up anew at each
// use, since the arrays of `z` move when the store grows.
struct OdeArray {
  std::int32_t sym = 0;
  std::int32_t count = 0;
};

struct OdeState {
  // --- the statement's settings
  double target = 0.0;      // T of the last statement
  double tout = 0.0;        // output time; after a run the time of the solution
  double t0 = 0.0;          // T0 at the last restart
  double dt1 = 0.001;       // DT1
  double eps = 1.0E-5;      // TOLerance
  double nonzero = 0.0;     // positivity threshold, on when > 0
  std::int32_t digits = 0;  // positivity digits NINT(-log10(threshold)), never 0
  double beta = 0.0;        // e^(10 BCFdiff)
  std::int32_t mode = 1;    // call mode 1 restart, 0 continue, 3 one step; afterwards the result
  std::int32_t budget = 0;  // integrator steps still allowed in this run
  std::int32_t errflag = 0;
  std::int32_t n = 0;            // equations
  std::int32_t nx = 0, m = 0;    // grid points and components (ODE mode: nx = N, m = 0)
  std::int32_t nxc = 0, mc = 0;  // the layout used for copying: nx and max(m, 1)
  OdeArray y, dy, x, yfeed, vel, eddy, rate;
  std::int32_t tsym = 0;        // symbol that receives the time reached
  std::int32_t cbstart = 0;     // first statement of the callback
  std::int32_t itrok = 0;       // optval entry of itrOK
  std::int32_t erroropt = 0;    // optval entry of ERror of the statement
  std::int32_t ml = 0, mu = 0;  // half band widths of the iteration matrix
  std::int32_t savedalarm = 0;
  plat::FixedText<64> cbname;  // the callback's name, for messages

  // --- the integrator
  double t = 0.0, h = 0.0, hmin = 0.0, hmax = 0.0, hlast = 0.0;
  double epscopy = 0.0;
  double sqrtur = 0.0;
  double toutprev = 0.0;
  std::int32_t start = 0;   // 0 first step, -1 after a change of h, else the order
  std::int32_t result = 0;  // step result: 0, -1, -2, -3
  std::int32_t q = 1, L = 2, lmax = 6;
  std::int32_t hold = 0;  // steps before the next change of order or step
  std::int32_t redo = 0;  // 0 normal, 1 corrector failure, 2 error test, 3 h from outside
  std::int32_t ret = 0;   // what follows a coefficient update: 1, 2 or 3
  double rmax = 0.0, rc = 0.0, crate = 0.0;
  std::int32_t steps = 0, stepsmat = 0;
  std::int32_t matflag = 0;  // >0 build before the next correction, 0 just built, -1 old
  std::int32_t heldn = 0;
  double heldeps = 0.0, heldh = 0.0;
  std::array<double, 7> l{};  // l(1..6)
  double l1prev = 1.0;
  std::array<double, 5> tau{};  // tau(1..4)
  double edn = 0.0, e = 0.0, eup = 0.0, bnd = 0.0;
  std::int32_t hminred = 0;
  std::int32_t layoutn = 0;  // N the work array was laid out for
  double told = 0.0;         // t at the entry of the step
  bool singular = false;     // the last corrector failure: a singular iteration matrix

  // --- counts since the last restart
  std::int64_t nfe = 0;  // evaluations of f (Jacobian columns included)
  std::int64_t nje = 0;  // iteration matrices built
};
inline OdeState odestate;

// The work array: the history (N x 6), weights, error, scratch 1 and 2
// (N each) and the band matrix (W x N), and the pivot record. Grows only.
struct OdeWork {
  std::vector<double> cells;
  std::vector<std::int32_t> pivots;
};
inline OdeWork odework;

int ODETEO(int mode, double t, std::span<const double> y, std::span<double> f);
inline OdeRhs oderhs = ODETEO;
// An evaluation of f through the seam, counted.
inline int odef(int mode, double t, std::span<const double> y, std::span<double> f) {
  ++odestate.nfe;
  return oderhs(mode, t, y, f);
}

// The statement (optval by keyword) and the run the driver hands it to.
void ODE(const exec::OptCall& call);
void ODERUN();
// The cells of a script array given to DIFFEQ as they lie now; empty
// when it no longer has the element count found at the restart.
std::span<double> odecells(const OdeArray& a);
// Writes the solution (script layout) into the script's Y.
void oderesult(std::span<const double> y);
// Element count of option k and the first cell of its value in `z`.
std::int32_t GETDIM(std::int32_t k, std::int32_t& position);

// One output request: y is the solution in the script's nx x m layout
// (read at a restart, written on every return). 1 when f failed.
int ODEINI(std::span<double> y);
// One step over the work array; the outcome is in odestate.result.
int ODEINT(std::int32_t n);
// Coefficients of the stiff formulas (method 2) of order q.
void ODECOF(int method, int q, std::array<double, 7>& l, std::array<double, 5>& tau, int& maxorder);
// The history (leading dimension ld) at the output time.
void ODEIPL(std::span<const double> z, std::int32_t ld, std::span<double> out);

// Builds and factors P = I + con J by finite differences around y (history
// column 1); save is zero on entry and on return. 1 when f failed.
int ODESMX(std::span<double> y, std::span<const double> w, std::span<double> save,
           std::span<double> scratch, std::span<const double> f0, std::span<double> band,
           std::span<std::int32_t> pivots, double con, int method, std::int32_t& status);
// Band LU with partial pivoting, in place: status -1 bad sizes, 0 regular,
// k the first zero pivot.
void ODELUD(std::int32_t w, std::int32_t n, std::int32_t ml, std::int32_t mu,
            std::span<double> band, std::span<std::int32_t> pivots, std::int32_t& status);
// Solves P x = b with the factors, b overwritten by x.
void ODESLG(std::int32_t w, std::int32_t n, std::int32_t ml, std::int32_t mu,
            std::span<const double> band, std::span<const std::int32_t> pivots,
            std::span<double> b);
// B(j, i) = A(i, j): A rows x cols, B cols x rows, both column by column.
void XPATOB(std::span<const double> a, std::int32_t rows, std::span<double> b, std::int32_t cols);

// Grid-mode right-hand side of state u into f, from the arrays as
// OdeGrid gives them (script layout, column by column).
struct OdeGrid {
  std::int32_t nx = 0, m = 0;
  double beta = 1.0;
  std::span<const double> x, vel, eddy, feed, rate;  // rate empty: none
};
void odegridf(const OdeGrid& g, std::span<const double> u, std::span<double> f);

// Sets up a restart of an ODE-mode problem of n equations whose f comes
// from a C++ function (tests, benchmarks), as a DIFFEQ statement with these
// options would; nonzero 0 leaves positivity off.
void odestart(OdeRhs f, std::int32_t n, double t0, double tout, double dt1, double eps,
              double nonzero = 0.0);
// Positivity digits of a threshold above 0: NINT(-log10(threshold)), 0
// counted as 1.
std::int32_t positivitydigits(double threshold);

void reset_ode();

}  // namespace numeric
