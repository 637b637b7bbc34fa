#!/usr/bin/python3
"""Fits of all 27 NIST StRD nonlinear problems by Ostrel's SOLVE, from both
NIST starts and at several derivative steps NumDiff, held against the
certified residual sums.
Usage: bench/compare/nist_fits.py [build folder] [NIST folder] [jobs] [problem,...]

Each fit is a script run by `ostrel RUN=` (build folder's app/ostrel,
default build/release). The NIST folder holds the problems' .dat files
(default ../shared/nist beside the checkout). The table gives, for each
problem, start and NumDiff, the stop key of the run (-1 for a fit that
ended as done), the sum S that SOLVE gave, S recomputed here from the
unknowns the run ended with, the certified sum and (S - S_cert) / S_cert.
A fit that ends as done must come within 1E-4 of the certified sum: the
last line counts the runs per stop key and those that do not."""
import collections
import concurrent.futures
import math
import os
import re
import subprocess
import sys
import tempfile


HERE = os.path.dirname(os.path.abspath(__file__))
NUMDIFFS = (None, "1E-2", "0.1", "-1", "-1E-2")
BOUND = 1.0E-4

# The models as the .dat files' headers give them: Ostrel's text of the
# residual's model (X for the predictor, X2 for Nelson's second one, P for
# pi) and the same model in Python.
MODELS = {
    "Bennett5": ("B(1) * (B(2) + X(I)) ** (-1 / B(3))",
                 lambda b, x: b[0] * (b[1] + x) ** (-1 / b[2])),
    "BoxBOD": ("B(1) * (1 - EXP(-B(2) * X(I)))",
               lambda b, x: b[0] * (1 - math.exp(-b[1] * x))),
    "Chwirut1": ("EXP(-B(1) * X(I)) / (B(2) + B(3) * X(I))",
                 lambda b, x: math.exp(-b[0] * x) / (b[1] + b[2] * x)),
    "Chwirut2": ("EXP(-B(1) * X(I)) / (B(2) + B(3) * X(I))",
                 lambda b, x: math.exp(-b[0] * x) / (b[1] + b[2] * x)),
    "DanWood": ("B(1) * X(I) ** B(2)", lambda b, x: b[0] * x ** b[1]),
    "ENSO": ("B(1) + B(2) * COS(T / 12) + B(3) * SIN(T / 12) + B(5) * COS(T / B(4)) + "
             "B(6) * SIN(T / B(4)) + B(8) * COS(T / B(7)) + B(9) * SIN(T / B(7))",
             lambda b, x: (b[0] + b[1] * math.cos(2 * math.pi * x / 12) + b[2] * math.sin(2 * math.pi * x / 12)
                           + b[4] * math.cos(2 * math.pi * x / b[3]) + b[5] * math.sin(2 * math.pi * x / b[3])
                           + b[7] * math.cos(2 * math.pi * x / b[6]) + b[8] * math.sin(2 * math.pi * x / b[6]))),
    "Eckerle4": ("(B(1) / B(2)) * EXP(-0.5 * ((X(I) - B(3)) / B(2)) ** 2)",
                 lambda b, x: (b[0] / b[1]) * math.exp(-0.5 * ((x - b[2]) / b[1]) ** 2)),
    "Hahn1": ("(B(1) + B(2) * X(I) + B(3) * X(I) ** 2 + B(4) * X(I) ** 3) / "
              "(1 + B(5) * X(I) + B(6) * X(I) ** 2 + B(7) * X(I) ** 3)",
              lambda b, x: (b[0] + b[1] * x + b[2] * x ** 2 + b[3] * x ** 3) /
              (1 + b[4] * x + b[5] * x ** 2 + b[6] * x ** 3)),
    "Kirby2": ("(B(1) + B(2) * X(I) + B(3) * X(I) ** 2) / (1 + B(4) * X(I) + B(5) * X(I) ** 2)",
               lambda b, x: (b[0] + b[1] * x + b[2] * x ** 2) / (1 + b[3] * x + b[4] * x ** 2)),
    "MGH09": ("B(1) * (X(I) ** 2 + X(I) * B(2)) / (X(I) ** 2 + X(I) * B(3) + B(4))",
              lambda b, x: b[0] * (x ** 2 + x * b[1]) / (x ** 2 + x * b[2] + b[3])),
    "MGH10": ("B(1) * EXP(B(2) / (X(I) + B(3)))", lambda b, x: b[0] * math.exp(b[1] / (x + b[2]))),
    "MGH17": ("B(1) + B(2) * EXP(-X(I) * B(4)) + B(3) * EXP(-X(I) * B(5))",
              lambda b, x: b[0] + b[1] * math.exp(-x * b[3]) + b[2] * math.exp(-x * b[4])),
    "Misra1a": ("B(1) * (1 - EXP(-B(2) * X(I)))", lambda b, x: b[0] * (1 - math.exp(-b[1] * x))),
    "Misra1b": ("B(1) * (1 - (1 + B(2) * X(I) / 2) ** (-2))",
                lambda b, x: b[0] * (1 - (1 + b[1] * x / 2) ** (-2))),
    "Misra1c": ("B(1) * (1 - (1 + 2 * B(2) * X(I)) ** (-0.5))",
                lambda b, x: b[0] * (1 - (1 + 2 * b[1] * x) ** (-0.5))),
    "Misra1d": ("B(1) * B(2) * X(I) * ((1 + B(2) * X(I)) ** (-1))",
                lambda b, x: b[0] * b[1] * x * ((1 + b[1] * x) ** (-1))),
    "Nelson": ("B(1) - B(2) * X(I) * EXP(-B(3) * X2(I))",
               lambda b, x: b[0] - b[1] * x[0] * math.exp(-b[2] * x[1])),
    "Rat42": ("B(1) / (1 + EXP(B(2) - B(3) * X(I)))",
              lambda b, x: b[0] / (1 + math.exp(b[1] - b[2] * x))),
    "Rat43": ("B(1) / ((1 + EXP(B(2) - B(3) * X(I))) ** (1 / B(4)))",
              lambda b, x: b[0] / ((1 + math.exp(b[1] - b[2] * x)) ** (1 / b[3]))),
    "Roszman1": ("B(1) - B(2) * X(I) - ATAN(B(3) / (X(I) - B(4))) / P",
                 lambda b, x: b[0] - b[1] * x - math.atan(b[2] / (x - b[3])) / math.pi),
}
GAUSS = ("B(1) * EXP(-B(2) * X(I)) + B(3) * EXP(-((X(I) - B(4)) ** 2) / B(5) ** 2) + "
         "B(6) * EXP(-((X(I) - B(7)) ** 2) / B(8) ** 2)",
         lambda b, x: (b[0] * math.exp(-b[1] * x) + b[2] * math.exp(-(x - b[3]) ** 2 / b[4] ** 2)
                       + b[5] * math.exp(-(x - b[6]) ** 2 / b[7] ** 2)))
LANCZOS = ("B(1) * EXP(-B(2) * X(I)) + B(3) * EXP(-B(4) * X(I)) + B(5) * EXP(-B(6) * X(I))",
           lambda b, x: b[0] * math.exp(-b[1] * x) + b[2] * math.exp(-b[3] * x) + b[4] * math.exp(-b[5] * x))
for _k in ("1", "2", "3"):
    MODELS["Gauss" + _k] = GAUSS
    MODELS["Lanczos" + _k] = LANCZOS
MODELS["Thurber"] = MODELS["Hahn1"]


def read_problem(path):
    """Both starts, the certified sum and the data (y, then the predictors)
    of a NIST .dat file."""
    with open(path) as f:
        lines = f.read().splitlines()
    starts = [[], []]
    certified = None
    for line in lines:
        m = re.match(r"\s*b\d+\s*=\s*(\S+)\s+(\S+)\s+\S+\s+\S+", line)
        if m:
            starts[0].append(float(m.group(1)))
            starts[1].append(float(m.group(2)))
        elif line.startswith("Residual Sum of Squares:"):
            certified = float(line.split(":")[1])
    first = max(k for k, line in enumerate(lines) if line.startswith("Data:")) + 1
    data = [[float(t) for t in line.split()] for line in lines[first:] if line.strip()]
    return starts, certified, data


def script(name, start, data, numdiff):
    """The script of one fit; Nelson fits the log of its response."""
    text = MODELS[name][0]
    y = [math.log(row[0]) if name == "Nelson" else row[0] for row in data]
    n = len(y)
    lines = [f"DIMENSION X({n}), X2({n}), Y({n}), B({len(start)})"]
    # One element a line: a script line holds at most 256 characters.
    for k in range(n):
        lines.append(f"Y({k + 1}) = {y[k]!r}")
        lines.append(f"X({k + 1}) = {data[k][1]!r}")
        if len(data[k]) > 2:
            lines.append(f"X2({k + 1}) = {data[k][2]!r}")
    lines.append("B = " + ", ".join(repr(v) for v in start))
    lines += ["P = 3.141592653589793", "I = 1", "10 T = 2 * P * X(I)", f"R = Y(I) - ({text})"]
    option = f", NumDiff={numdiff}" if numdiff else ""
    lines.append(f"S = SOLVE(Vector=R, Unknown=B, NUL=10, DATA={n}, DataIdx=I{option})")
    # The arrays are emptied so that the run's listing stays short.
    lines += ["X = 0", "X2 = 0", "Y = 0", "END"]
    return "\n".join(lines) + "\n"


def run(ostrel, text):
    """The run's listing as a dict of name to value text."""
    with tempfile.TemporaryDirectory() as home:
        path = os.path.join(home, "fit.ost")
        with open(path, "w") as f:
            f.write(text)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home, XDG_DATA_HOME=home,
                   XDG_CACHE_HOME=home, XDG_STATE_HOME=home)
        try:
            out = subprocess.run([ostrel, "RUN=" + path], capture_output=True, text=True,
                                 env=env, cwd=home, timeout=900).stdout
        except subprocess.TimeoutExpired:
            return {"stop": "timeout"}
    values = {}
    for line in out.splitlines():
        if line.startswith("stop="):
            values.update(w.split("=", 1) for w in line.split() if "=" in w)
        elif "=" in line:
            name, value = line.split("=", 1)
            values[name] = value
    return values


def fit(ostrel, name, path, k, numdiff):
    starts, certified, data = read_problem(path)
    v = run(ostrel, script(name, starts[k], data, numdiff))
    key = "-1" if v.get("stop") == "-1" else v.get("key", "stop=" + v.get("stop", "?"))
    s = float(v["S"]) if "S" in v else math.nan
    # The sum recomputed from the unknowns the run left.
    s_b = math.nan
    if "B" in v:
        b = [float(t) for t in v["B"].strip("()").split(",")]
        f = MODELS[name][1]
        try:
            s_b = math.fsum((y - f(b, x)) ** 2 for y, x in
                            ((math.log(row[0]) if name == "Nelson" else row[0],
                              row[1:] if name == "Nelson" else row[1]) for row in data))
        except (ArithmeticError, ValueError):
            pass
    return name, k + 1, numdiff or "default", key, s, s_b, certified


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    nist = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "..", "..", "shared", "nist")
    jobs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    ostrel = os.path.abspath(os.path.join(build, "app", "ostrel"))
    names = sys.argv[4].split(",") if len(sys.argv) > 4 else sorted(MODELS)
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        futures = [pool.submit(fit, ostrel, name, os.path.join(nist, name + ".dat"), k, nd)
                   for name in names for k in (0, 1) for nd in NUMDIFFS]
        rows = [f.result() for f in futures]
    print(f"{'problem':<9} {'start':>5} {'NumDiff':>8} {'stop key':<16} {'S':>16} {'S(B)':>16} "
          f"{'S_cert':>16} {'(S-S_cert)/S_cert':>18}")
    counts = collections.Counter()
    above, worst = [], -math.inf
    for name, start, nd, key, s, s_b, cert in rows:
        rel = (s - cert) / cert
        counts[key] += 1
        flag = ""
        if key == "-1":
            worst = max(worst, rel, (s_b - cert) / cert)
            if not (rel <= BOUND and (s_b - cert) / cert <= BOUND):
                above.append((name, start, nd))
                flag = "  above the bound"
        print(f"{name:<9} {start:>5} {nd:>8} {key:<16} {s:>16.10g} {s_b:>16.10g} {cert:>16.10g} "
              f"{rel:>18.3e}{flag}")
    print()
    print(f"{len(rows)} runs: " + ", ".join(f"{k} {n}" for k, n in sorted(counts.items())))
    print(f"worst (S-S_cert)/S_cert of the runs that ended with stop=-1: {worst:.3e}")
    print(f"runs with stop=-1 above {BOUND:g}: {len(above)} {above if above else ''}")


if __name__ == "__main__":
    main()
