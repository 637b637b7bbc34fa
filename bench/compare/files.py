#!/usr/bin/env python3
"""Formatted files side by side: N lines written with the format
'I8,F12.4,1X,A10' and read back, once by a script run with `ostrel RUN=`
and once by CPython with % formatting and float(). Prints both times.

    bench/compare/files.py build/release [N]

N defaults to 200000. Each side runs three times; the best time is kept.
The Ostrel time is that of the whole run (start, compile, both loops).
"""
import os
import subprocess
import sys
import tempfile
import time

SCRIPT = """CHARACTER F*12, T*10, S*10
F = 'lines.txt'
OPEN(FIle=F)
T = 'abcdefghij'
DO I = 1, N
  X = I * 0.25
  WRITE(FIle=F, Format='I8,F12.4,1X,A10') I, X, T
ENDDO
WRITE(FIle=F, CLoSe=1)
OPEN(FIle=F)
SUM = 0
DO I = 1, N
  READ(FIle=F, Format='I8,F12.4,1X,A10') K, Y, S
  SUM = SUM + Y
ENDDO
S = ' '
END
"""


def python_side(path, n):
    t = 'abcdefghij'
    with open(path, 'w', newline='') as f:
        for i in range(1, n + 1):
            x = i * 0.25
            f.write('%8d%12.4f %10s\r\n' % (i, x, t))
    total = 0.0
    with open(path, newline='') as f:
        for line in f:
            k = int(line[0:8])
            y = float(line[8:20])
            s = line[21:31]
            total += y
    return total, k, s


def best(runs, fn):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    ostrel = os.path.abspath(os.path.join(sys.argv[1], 'app', 'ostrel'))
    n = int(sys.argv[2]) if len(sys.argv) > 2 else 200000
    with tempfile.TemporaryDirectory() as work:
        script = os.path.join(work, 'files.ost')
        with open(script, 'w', newline='') as f:
            f.write(('N = %d\n' % n + SCRIPT).replace('\n', '\r\n'))

        def ostrel_side():
            out = subprocess.run([ostrel, 'RUN=' + script], cwd=work, capture_output=True,
                                 text=True, check=False)
            if 'stop=-1' not in out.stdout:
                sys.exit('the script did not run to its end:\n' + out.stdout + out.stderr)

        t_ostrel = best(3, ostrel_side)
        t_python = best(3, lambda: python_side(os.path.join(work, 'py.txt'), n))
    print('%d lines written and read back with I8,F12.4,1X,A10' % n)
    print('  Ostrel  %.3f s' % t_ostrel)
    print('  CPython %.3f s  (%s)' % (t_python, sys.version.split()[0]))


if __name__ == '__main__':
    main()
