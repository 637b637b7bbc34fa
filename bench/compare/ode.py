#!/usr/bin/python3
"""DIFFEQ's integrator beside scipy's BDF on the stiff problems of
data/ode_problems.py (ROBER to 1E11, HIRES to 321.8122, Van der Pol with
mu = 1000 to 3000). Usage: bench/compare/ode.py [build folder] [runs]

Ours: build/bench/ode_compare, the integrator with its right-hand side a C++
function, from DT1 = 1E-8 at TOLerance 1E-6 and 1E-8 (ROBER with
NonZero=1E-20). BDF: scipy.integrate.solve_ivp(method='BDF') at rtol 1e-6
and 1e-8, atol as the problem file gives it (1e-10 for ROBER, 1e-8 for the
others). Steps, f-evaluations and
Jacobians as each counts them; digits are the fewest over the components of
-log10(|y - ref| / |ref|); times are the best of the runs, BDF's with its
Python right-hand side."""
import math
import os
import subprocess
import sys
import time

from scipy.integrate import solve_ivp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "data"))
from fits import digits  # noqa: E402
from ode_problems import PROBLEMS  # noqa: E402


def ours(exe, name, tol, runs):
    out = subprocess.run([exe, name, repr(tol), str(runs)], capture_output=True, text=True).stdout
    f = out.split()
    if not f or f[0] == "failed":
        return None
    return int(f[0]), int(f[1]), int(f[2]), float(f[3]), [float(v) for v in f[4:]]


def bdf(name, rtol, runs):
    rhs, y0, tend, atol, _ = PROBLEMS[name]
    best, sol = math.inf, None
    for _ in range(runs):
        t = time.perf_counter()
        sol = solve_ivp(rhs, (0.0, tend), y0, method="BDF", rtol=rtol, atol=atol)
        best = min(best, time.perf_counter() - t)
    steps = len(sol.t) - 1
    return steps, sol.nfev, sol.njev, best * 1000, sol.y[:, -1]


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    exe = os.path.join(build, "bench", "ode_compare")
    print(f"{'problem':<8} {'tol':>5} | {'steps':>11} | {'f-evals':>11} | {'Jacobians':>9} | "
          f"{'digits':>9} | {'ms':>13}")
    print(f"{'':<8} {'':>5} | {'ours':>5} {'BDF':>5} | {'ours':>5} {'BDF':>5} | {'ours':>4} {'BDF':>4} | "
          f"{'ours':>4} {'BDF':>4} | {'ours':>6} {'BDF':>6}")
    for name in ("ROBER", "HIRES", "VDP1000"):
        ref = PROBLEMS[name][4]
        for tol in (1e-6, 1e-8):
            o = ours(exe, name, tol, runs)
            b = bdf(name, tol, runs)
            if o is None:
                print(f"{name:<8} {tol:>5.0e} | our integrator failed")
                continue
            print(f"{name:<8} {tol:>5.0e} | {o[0]:>5} {b[0]:>5} | {o[1]:>5} {b[1]:>5} | "
                  f"{o[2]:>4} {b[2]:>4} | {digits(o[4], ref):>4.1f} {digits(b[4], ref):>4.1f} | "
                  f"{o[3]:>6.2f} {b[3]:>6.1f}")


if __name__ == "__main__":
    main()
