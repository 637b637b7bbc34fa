#!/usr/bin/env python3
"""Random loops timed in Ostrel and in CPython: each loop is made of
statements drawn at random from the kinds real scripts hold (arithmetic,
built-in functions, elements of one- and two-dimensional arrays with
computed subscripts, block and one-line IFs, texts, calls), written once in
each language, and run as a whole process (start, compile and run); the
time of each is the median of five runs taken in turns.

Usage: genloops.py BUILD [LOOPS] [N] [SEED]
Prints each loop's two times and their ratio, then the median and the worst
ratio (Ostrel time / CPython time)."""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
loops = int(sys.argv[2]) if len(sys.argv) > 2 else 30
n = int(sys.argv[3]) if len(sys.argv) > 3 else 300000
seed = int(sys.argv[4]) if len(sys.argv) > 4 else 17
python = os.environ.get("PYTHON", "/usr/bin/python3")
ostrel = os.path.join(build, "app", "ostrel")
rng = random.Random(seed)
NUMS = ["A", "B", "C", "D"]


def var():
    return rng.choice(NUMS)


def num():
    """A number: a variable, the loop counter or a small constant."""
    k = rng.randrange(5)
    if k == 0:
        return "I", "i"
    if k == 1:
        c = rng.randrange(1, 9)
        return str(c), str(c)
    v = var()
    return v, v.lower()


def expr(depth=0):
    """An expression in both languages (Ostrel, Python)."""
    k = rng.randrange(9 if depth < 2 else 2)
    if k < 2:
        return num()
    a, pa = expr(depth + 1)
    b, pb = expr(depth + 1)
    if k == 2:
        op = rng.choice(["+", "-", "*"])
        return f"({a} {op} {b})", f"({pa} {op} {pb})"
    if k == 3:
        return f"MOD({a}, 7)", f"math.fmod({pa}, 7)"
    if k == 4:
        return f"ABS({a} - {b})", f"abs({pa} - {pb})"
    if k == 5:
        return f"MAX({a}, {b}, 3)", f"max({pa}, {pb}, 3)"
    if k == 6:
        return f"MIN({a}, {b})", f"min({pa}, {pb})"
    if k == 7:
        return f"V(MOD(I, 50) + 1)", "v[i % 50 + 1]"
    return f"M(MOD(I, 10) + 1, MOD(I, 7) + 1)", "m[i % 10 + 1][i % 7 + 1]"


def cond():
    a, pa = expr(1)
    op = rng.choice(["<", ">", "=="])
    c = rng.randrange(10)
    return f"{a} {op} {c}", f"{pa} {op} {c}"


def statement(indent):
    """One statement or block: lines of Ostrel and of Python."""
    k = rng.randrange(8)
    v = var()
    if k <= 2:
        e, pe = expr()
        return [f"{v} = MOD({e}, 1000)"], [f"{v.lower()} = math.fmod({pe}, 1000)"]
    if k == 3:
        c, pc = cond()
        e, pe = expr(1)
        return [f"IF ({c}) {v} = {e}"], [f"if {pc}: {v.lower()} = {pe}"]
    if k == 4:
        c, pc = cond()
        c2, pc2 = cond()
        return ([f"IF ({c}) THEN", f"  {v} = {v} + 1", f"ELSEIF ({c2}) THEN", f"  {v} = {v} - 1",
                 "ELSE", f"  {v} = 0", "ENDIF"],
                [f"if {pc}:", f"    {v.lower()} = {v.lower()} + 1", f"elif {pc2}:",
                 f"    {v.lower()} = {v.lower()} - 1", "else:", f"    {v.lower()} = 0"])
    if k == 5:
        e, pe = expr(1)
        return [f"V(MOD(I, 50) + 1) = MOD({e}, 100)"], [f"v[i % 50 + 1] = math.fmod({pe}, 100)"]
    if k == 6:
        return ([f"T = S(1:3) // S(MOD(I, 5) + 1:6)", f"{v} = LEN_TRIM(T) + INDEX(T, 'c')"],
                ["t = s[0:3] + s[i % 5:6]", f"{v.lower()} = len(t.rstrip()) + t.find('c') + 1"])
    e, pe = expr(1)
    return [f"{v} = MOD(TWICE({e}), 1000)"], [f"{v.lower()} = math.fmod(twice({pe}), 1000)"]


def loop(k):
    body_o, body_p = [], []
    for _ in range(rng.randrange(2, 6)):
        o, p = statement(1)
        body_o += o
        body_p += p
    ost = (["DIMENSION V(50), M(10, 7)", "CHARACTER S*10, T*12", "S = 'abcdefgh'",
            "A = 1", "B = 2", "C = 3", "D = 4", "GOTO 10", "FUNCTION TWICE(Q)",
            "  TWICE = Q * 2 + 1", "END", f"10 DO I = 1, {n}"] +
           ["  " + line for line in body_o] + ["ENDDO", "END"])
    py = (["import math", "def twice(q):", "    return q * 2 + 1",
           "v = [0.0] * 52", "m = [[0.0] * 9 for _ in range(12)]", "s = 'abcdefgh  '",
           "a, b, c, d = 1, 2, 3, 4", "t = ''", f"for i in range(1, {n} + 1):"] +
          ["    " + line for line in body_p])
    return "\n".join(ost) + "\n", "\n".join(py) + "\n"


def seconds(cmd):
    t = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    return time.perf_counter() - t, r


def main():
    ratios = []
    keep = os.environ.get("GENLOOPS_KEEP")
    with tempfile.TemporaryDirectory() as tmp:
        d = keep or tmp
        for k in range(loops):
            ost, py = loop(k)
            po, pp = os.path.join(d, f"l{k}.ost"), os.path.join(d, f"l{k}.py")
            with open(po, "w") as f:
                f.write(ost)
            with open(pp, "w") as f:
                f.write(py)
            to, tp = [], []
            for _ in range(5):
                t, r = seconds([ostrel, "RUN=" + po])
                if "stop=-1" not in r.stdout:
                    print(f"loop {k}: the Ostrel run failed\n{ost}\n{r.stdout[-300:]}")
                    break
                to.append(t)
                t, r = seconds([python, pp])
                if r.returncode != 0:
                    print(f"loop {k}: the Python run failed\n{py}\n{r.stderr[-300:]}")
                    break
                tp.append(t)
            if len(to) < 5 or len(tp) < 5:
                continue
            ratio = statistics.median(to) / statistics.median(tp)
            ratios.append(ratio)
            print(f"loop {k:3}: Ostrel {1000 * statistics.median(to):7.1f} ms, "
                  f"CPython {1000 * statistics.median(tp):7.1f} ms, ratio {ratio:5.2f}")
    if ratios:
        print(f"{len(ratios)} loops: median ratio {statistics.median(ratios):.2f}, "
              f"worst {max(ratios):.2f}")


main()
