#!/usr/bin/env python3
"""Random loops in Ostrel and in CPython: each loop is made of statements
drawn at random from the kinds real scripts hold (arithmetic, built-in
functions, elements of one- and two-dimensional arrays with computed
subscripts, block and one-line IFs, texts, calls, calls inside built-ins,
statements of more than four calls, formatted WRITEs of computed items),
written once in each language (the CPython loop inside a function, as a
Python programmer writes a loop that matters), and run as a whole process
(start, compile and run); the time of each is the median of five runs
taken in turns.

Usage: genloops.py BUILD [LOOPS] [N] [SEED]
Prints each loop's two times and their ratio, then the median and the worst
ratio (Ostrel time / CPython time). With GENLOOPS_COUNT=1 it counts
instructions under callgrind instead (valgrind): a pass's instructions, the
count with N passes less that with one, over N - 1, in both languages.
GENLOOPS_KEEP=folder keeps the scripts there."""
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
ostrel = os.path.abspath(os.path.join(build, "app", "ostrel"))
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


def builtin(name, x, y):
    """MOD, ABS, MAX or MIN of the expressions x and y (Ostrel, Python
    pairs; MOD takes x alone)."""
    (a, pa), (b, pb) = x, y
    if name == "MOD":
        return f"MOD({a}, 7)", f"math.fmod({pa}, 7)"
    if name == "ABS":
        return f"ABS({a} - {b})", f"abs({pa} - {pb})"
    if name == "MAX":
        return f"MAX({a}, {b}, 3)", f"max({pa}, {pb}, 3)"
    return f"MIN({a}, {b})", f"min({pa}, {pb})"


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
    if k <= 6:
        return builtin(["MOD", "ABS", "MAX", "MIN"][k - 3], (a, pa), (b, pb))
    if k == 7:
        return f"V(MOD(I, 50) + 1)", "v[i % 50 + 1]"
    return f"M(MOD(I, 10) + 1, MOD(I, 7) + 1)", "m[i % 10 + 1][i % 7 + 1]"


def call(depth=1):
    """A reference of one of the loop's functions."""
    a, pa = expr(depth)
    if rng.randrange(2) == 0:
        return f"TWICE({a})", f"twice({pa})"
    b, pb = expr(depth)
    return f"G({a}, {b})", f"g({pa}, {pb})"


def callinbuiltin():
    """A built-in with a function reference among its arguments."""
    c = call(2)
    e = expr(2)
    k = rng.randrange(5)
    if k == 0:
        return builtin("MAX", c, e)
    if k == 1:
        return builtin("MIN", e, c)
    if k == 2:
        return builtin("MIN", c, ("1.5", "1.5"))
    if k == 3:
        return builtin("ABS", c, e)
    return builtin("MOD", c, e)


def manycalls():
    """A sum of five to eight function references."""
    o, p = call(2)
    for _ in range(rng.randrange(4, 8)):
        op = rng.choice(["+", "-"])
        c, pc = call(2)
        o, p = f"{o} {op} {c}", f"{p} {op} {pc}"
    return o, p


def writeitems():
    """A formatted WRITE of computed items: a sum, a negation or an
    element with a computed subscript, and a piece of a text."""
    c = rng.randrange(1, 9)
    e, pe = expr(1)
    if rng.randrange(2) == 0:
        e, pe = f"V(MOD(I + {c}, 50) + 1)", f"v[(i + {c}) % 50 + 1]"
    k = rng.randrange(1, 3)
    return ([f"WRITE(FIle=F, Format='(I6,F10.3,A8)') I + {c}, -{e}, S({k}:{k + 7})"],
            [f"f.write('%6d%10.3f%8s\\r\\n' % (i + {c}, -{pe}, s[{k - 1}:{k + 7}]))"])


def cond():
    a, pa = expr(1)
    op = rng.choice(["<", ">", "=="])
    c = rng.randrange(10)
    return f"{a} {op} {c}", f"{pa} {op} {c}"


def statement(indent):
    """One statement or block: lines of Ostrel and of Python."""
    k = rng.randrange(11)
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
    if k == 7:
        e, pe = expr(1)
        return [f"{v} = MOD(TWICE({e}), 1000)"], [f"{v.lower()} = math.fmod(twice({pe}), 1000)"]
    if k == 8:
        e, pe = callinbuiltin()
        w = var()
        return ([f"{v} = MOD({w} + {e}, 1000)"],
                [f"{v.lower()} = math.fmod({w.lower()} + {pe}, 1000)"])
    if k == 9:
        e, pe = manycalls()
        return [f"{v} = MOD({e}, 1000)"], [f"{v.lower()} = math.fmod({pe}, 1000)"]
    return writeitems()


# The loop count's place in a loop's text.
PASSES = "@N@"


def loop(k):
    body_o, body_p = [], []
    for _ in range(rng.randrange(2, 6)):
        o, p = statement(1)
        body_o += o
        body_p += p
    ost = (["DIMENSION V(50), M(10, 7)", "CHARACTER S*10, T*12, F*12", "S = 'abcdefgh'",
            "F = 'loop.txt'", "OPEN(FIle=F)",
            "A = 1", "B = 2", "C = 3", "D = 4", "GOTO 10", "FUNCTION TWICE(Q)",
            "  TWICE = Q * 2 + 1", "END", "FUNCTION G(X, Y)", "  G = X * 0.5 - Y", "END",
            f"10 DO I = 1, {PASSES}"] +
           ["  " + line for line in body_o] + ["ENDDO", "WRITE(FIle=F, CLoSe=1)", "END"])
    py = (["import math", "", "", "def twice(q):", "    return q * 2 + 1", "", "",
           "def g(x, y):", "    return x * 0.5 - y", "", "",
           "def main():", "    v = [0.0] * 52", "    m = [[0.0] * 9 for _ in range(12)]",
           "    s = 'abcdefgh  '", "    a, b, c, d = 1, 2, 3, 4", "    t = ''",
           "    f = open('loop.txt', 'w', newline='')",
           f"    for i in range(1, {PASSES} + 1):"] +
          ["        " + line for line in body_p] + ["    f.close()", "", "", "main()"])
    return "\n".join(ost) + "\n", "\n".join(py) + "\n"


def seconds(cmd, folder):
    t = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, cwd=folder)
    return time.perf_counter() - t, r


def instructions(cmd, folder):
    """The instructions of a whole run under callgrind, and the run."""
    out = os.path.join(folder, "callgrind.out")
    r = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + cmd,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, cwd=folder)
    refs = [line for line in r.stderr.splitlines() if "refs:" in line]
    return (int(refs[-1].split()[-1].replace(",", "")) if refs else 0), r


def ran(k, ost, py, ro, rp):
    if "stop=-1" not in ro.stdout:
        print(f"loop {k}: the Ostrel run failed\n{ost}\n{ro.stdout[-300:]}")
        return False
    if rp.returncode != 0:
        print(f"loop {k}: the Python run failed\n{py}\n{rp.stderr[-300:]}")
        return False
    return True


def main():
    ratios = []
    keep = os.environ.get("GENLOOPS_KEEP")
    count = os.environ.get("GENLOOPS_COUNT") == "1"
    with tempfile.TemporaryDirectory() as tmp:
        d = os.path.abspath(keep or tmp)
        for k in range(loops):
            ost, py = loop(k)
            paths = {}
            for passes in ([1, n] if count else [n]):
                po, pp = os.path.join(d, f"l{k}.{passes}.ost"), os.path.join(d, f"l{k}.{passes}.py")
                with open(po, "w") as f:
                    f.write(ost.replace(PASSES, str(passes)))
                with open(pp, "w") as f:
                    f.write(py.replace(PASSES, str(passes)))
                paths[passes] = po, pp
            if count:
                io, ip = [], []
                for passes in (1, n):
                    po, pp = paths[passes]
                    co, ro = instructions([ostrel, "RUN=" + po], d)
                    cp, rp = instructions([python, pp], d)
                    if not ran(k, ost, py, ro, rp):
                        break
                    io.append(co)
                    ip.append(cp)
                if len(io) < 2:
                    continue
                o, p = (io[1] - io[0]) / (n - 1), (ip[1] - ip[0]) / (n - 1)
                ratio = o / p
                ratios.append(ratio)
                print(f"loop {k:3}: Ostrel {o:9.0f}, CPython {p:9.0f} instructions a pass, "
                      f"ratio {ratio:5.2f}")
                continue
            po, pp = paths[n]
            to, tp = [], []
            for _ in range(5):
                t, ro = seconds([ostrel, "RUN=" + po], d)
                tq, rp = seconds([python, pp], d)
                if not ran(k, ost, py, ro, rp):
                    break
                to.append(t)
                tp.append(tq)
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
