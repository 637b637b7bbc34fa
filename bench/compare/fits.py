#!/usr/bin/python3
"""Fits of the NIST StRD problems Misra1a and Thurber from both NIST starts,
by Ostrel's SOLVE and by MINPACK (scipy.optimize.least_squares, method 'lm'),
side by side. Usage: bench/compare/fits.py [build folder] [repeats]

Each Ostrel fit is a script run by `ostrel RUN=`; a counter in the model
counts its runs. Its time is the best run of the script less the best run of
the same script without its SOLVE statement (start-up, compiling, data).
MINPACK's time is the best call of least_squares. Evaluations: Ostrel's model
runs per data point (the run that passes the model before SOLVE not
counted), MINPACK's function evaluations (its numeric Jacobian included).
Digits: the fewest correct significant digits of the estimates against the
certified values (the log relative error, at most 15)."""
import math
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.optimize import least_squares

HERE = os.path.dirname(os.path.abspath(__file__))

MODELS = {
    "Misra1a": ("B(1) * (1 - EXP(-B(2) * X(I)))",
                lambda b, x: b[0] * (1 - np.exp(-b[1] * x))),
    "Thurber": ("(B(1) + B(2) * X(I) + B(3) * X(I) ** 2 + B(4) * X(I) ** 3) / "
                "(1 + B(5) * X(I) + B(6) * X(I) ** 2 + B(7) * X(I) ** 3)",
                lambda b, x: (b[0] + b[1] * x + b[2] * x**2 + b[3] * x**3) /
                (1 + b[4] * x + b[5] * x**2 + b[6] * x**3)),
}


def read_problem(name):
    """Starts, certified values and data (y, x) of a NIST file in data/."""
    with open(os.path.join(HERE, "data", name + ".txt")) as f:
        lines = f.read().splitlines()
    starts, certified, data = [], [], []
    section = None
    for line in lines:
        if line.startswith("Start "):
            starts.append([float(t.split("=")[1]) for t in line.split(":")[1].split("  ") if "=" in t])
        elif line.startswith("Certified"):
            section = "certified"
        elif line.startswith("Data:"):
            section = "data"
        elif section == "certified" and line.strip().startswith("b"):
            certified.append(float(line.split("=")[1].split()[0]))
        elif section == "data" and line.strip():
            data.append([float(t) for t in line.split()])
    data = np.array(data)
    return starts, certified, data[:, 0], data[:, 1]


def digits(estimates, certified):
    lre = []
    for b, c in zip(estimates, certified):
        err = abs(b - c) / abs(c)
        lre.append(15.0 if err == 0 else min(15.0, -math.log10(err)))
    return min(lre)


def script(model, start, y, x, with_solve=True):
    n = len(y)
    lines = [f"DIMENSION X({n}), Y({n}), B({len(start)})"]
    # One element a line: a script line holds at most 256 characters.
    for k in range(n):
        lines.append(f"Y({k + 1}) = {y[k]!r}")
        lines.append(f"X({k + 1}) = {x[k]!r}")
    lines.append("B = " + ", ".join(repr(v) for v in start))
    lines += ["I = 1", "N = 0", f"10 R = Y(I) - {model}", "N = N + 1"]
    if with_solve:
        lines.append(f"S = SOLVE(Vector=R, Unknown=B, NUL=10, DATA={n}, DataIdx=I, NumDiff=1E-7)")
    lines.append("END")
    return "\n".join(lines) + "\n"


def run_ostrel(ostrel, text, repeats):
    """Best wall time of the script and its outcome lines."""
    with tempfile.NamedTemporaryFile("w", suffix=".ost", delete=False) as f:
        f.write(text)
        path = f.name
    try:
        best, out = math.inf, ""
        for _ in range(repeats):
            t = time.perf_counter()
            out = subprocess.run([ostrel, "RUN=" + path], capture_output=True, text=True).stdout
            best = min(best, time.perf_counter() - t)
    finally:
        os.unlink(path)
    values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return best, values


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    ostrel = os.path.join(build, "app", "ostrel")
    print(f"{'problem':<9} {'start':>5} | {'evaluations':>17} | {'digits':>13} | {'time ms':>15}")
    print(f"{'':<9} {'':>5} | {'Ostrel':>8} {'MINPACK':>8} | {'Ostrel':>6} {'MINPACK':>6} | "
          f"{'Ostrel':>7} {'MINPACK':>7}")
    for name in ("Misra1a", "Thurber"):
        starts, certified, y, x = read_problem(name)
        text, fn = MODELS[name]
        for k, start in enumerate(starts, 1):
            t_fit, v = run_ostrel(ostrel, script(text, start, y, x), repeats)
            t_base, _ = run_ostrel(ostrel, script(text, start, y, x, False), repeats)
            if not v.get("stop", "").startswith("-1"):
                print(f"{name:<9} {k:>5} | the Ostrel run failed: stop={v.get('stop')}")
                continue
            b = [float(t) for t in v["B"].strip("()").split(",")]
            evals = (int(float(v["N"])) - 1) / len(y)
            best, res = math.inf, None
            for _ in range(repeats):
                t = time.perf_counter()
                res = least_squares(lambda p: y - fn(p, x), start, method="lm",
                                    ftol=1e-15, xtol=1e-15, gtol=1e-15)
                best = min(best, time.perf_counter() - t)
            print(f"{name:<9} {k:>5} | {evals:>8.0f} {res.nfev:>8d} | "
                  f"{digits(b, certified):>6.1f} {digits(res.x, certified):>6.1f} | "
                  f"{(t_fit - t_base) * 1000:>7.2f} {best * 1000:>7.2f}")


if __name__ == "__main__":
    main()
