import sys


def sq(x):
    return x * x


def hyp(a, b):
    return (sq(a) + sq(b)) ** 0.5


def clamp(v, lo, hi):
    r = v
    if v < lo:
        r = lo
    if v > hi:
        r = hi
    return r


def step(i, s):
    t = hyp(i, 3) + i % 7
    return s + t, t


def scale(s):
    return s / 2


def main():
    n = int(sys.argv[1])
    s = 0
    t = 0
    for i in range(1, n + 1):
        s, t = step(i, s)
        s = s + clamp(t, 5, 500)
        if s > 1e9:
            s = scale(s)
    print(s)


main()
