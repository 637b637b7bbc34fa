#!/usr/bin/env python3
"""SORT side by side with CPython's sorted(): a text file of N lines (random
words of 4 to 24 letters, made here) sorted by SORT(FIle=F, Column=1,
Index=I) in a script run with `ostrel RUN=`, and the same lines read and
sorted by CPython; then a million random numbers sorted by SORT(Vector=V,
Index=I) and by sorted() over their indices, with the peak memory of both
processes.

    bench/compare/sorts.py build/release [N] [repeats]

N defaults to 200000, repeats to 5. The Ostrel times are differences of
whole runs, the script with its SORT statement less the same script
without it (medians of the repeats, taken in turns with CPython's).
"""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

TEXT = """CHARACTER F*12
DIMENSION I({n})
F = 'lines.txt'
OPEN(FIle=F)
{sort}END
"""

NUMBERS = """GOTO 10
SUBROUTINE WORK(X)
  DIMENSION V({n}), I({n})
  S = 12345
  DO K = 1, {n}
    S = MOD(S * 16807, 2147483647)
    V(K) = S
  ENDDO
  {sort}X = V(1)
END
10 CALL WORK(X)
END
"""


def run(binary, folder, text):
    with open(os.path.join(folder, "bench.ost"), "w", newline="") as f:
        f.write(text)
    with tempfile.TemporaryFile() as out:
        start = time.perf_counter()
        child = subprocess.Popen([binary, "RUN=bench.ost"], cwd=folder, stdout=out,
                                 stderr=subprocess.STDOUT)
        _, status, usage = os.wait4(child.pid, 0)
        t = time.perf_counter() - start
        child.returncode = 0
        out.seek(0)
        said = out.read().decode("latin-1")
    if "stop=-1" not in said:
        sys.exit(f"the script failed (wait status {status}): " + said[-300:])
    return t, usage.ru_maxrss


def python_text(path):
    start = time.perf_counter()
    with open(path, encoding="latin-1", newline="") as f:
        lines = f.read().splitlines()
    ordered = sorted(range(len(lines)), key=lines.__getitem__)
    return time.perf_counter() - start, ordered[:1]


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    n = int(sys.argv[2]) if len(sys.argv) > 2 else 200000
    repeats = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    binary = os.path.abspath(os.path.join(build, "app", "ostrel"))
    rng = random.Random(17)
    letters = "abcdefghijklmnopqrstuvwxyz"
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "lines.txt")
        with open(path, "w", newline="") as f:
            for _ in range(n):
                f.write("".join(rng.choice(letters) for _ in range(rng.randint(4, 24))) + "\r\n")
        with_sort, without, py = [], [], []
        for _ in range(repeats):
            with_sort.append(run(binary, tmp, TEXT.format(n=n, sort="SORT(FIle=F, Column=1, Index=I)\n"))[0])
            without.append(run(binary, tmp, TEXT.format(n=n, sort=""))[0])
            py.append(python_text(path)[0])
        o = statistics.median(with_sort) - statistics.median(without)
        p = statistics.median(py)
        print(f"text lines, N = {n}: SORT {o * 1000:.0f} ms, CPython sorted {p * 1000:.0f} ms"
              f" (read and sort), ratio {o / p:.2f}")
        m = 1000000
        with_sort, without, py = [], [], []
        peak = 0
        for _ in range(repeats):
            t, peak = run(binary, tmp, NUMBERS.format(n=m, sort="SORT(Vector=V, Index=I)\n  "))
            with_sort.append(t)
            without.append(run(binary, tmp, NUMBERS.format(n=m, sort=""))[0])
        base = run(binary, tmp, NUMBERS.format(n=m, sort=""))[1]
        o = statistics.median(with_sort) - statistics.median(without)
        print(f"numbers, N = {m}: SORT {o * 1000:.0f} ms; peak {peak / 1024:.0f} MiB, without"
              f" the SORT {base / 1024:.0f} MiB")


main()
