"""The statement benchmark's loops in Python: each prints its name and its
statements per second, counted as the script loops count them."""
import sys
import time

n = int(sys.argv[1]) if len(sys.argv) > 1 else 100000
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 10


def scalarloop():
    s = 0
    for i in range(1, n + 1):
        s = s + i
    return s


def nestedloops():
    s = 0
    for _ in range(n // 100):
        for j in range(1, 101):
            s = s + j
    return s


def arrayupdates():
    a = [0.0] * 101
    k = 1
    for i in range(1, n + 1):
        a[k] = a[k] + i
        k = k + 1
        if k > 100:
            k = 1
    return a[1]


def twice(q):
    return q * 2 + 1


def functioncalls():
    s = 0
    for i in range(1, n + 1):
        s = s + twice(i)
    return s


def timed(name, fn, perpass):
    best = float("inf")
    for _ in range(rounds):
        t0 = time.perf_counter()
        fn()
        best = min(best, time.perf_counter() - t0)
    print(f"{name:<16} {n * perpass / best:12.0f} statements/s")


timed("ScalarLoop", scalarloop, 2)
timed("NestedLoops", nestedloops, 2)
timed("ArrayUpdates", arrayupdates, 4)
timed("FunctionCalls", functioncalls, 4)
