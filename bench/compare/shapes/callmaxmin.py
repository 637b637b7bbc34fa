import sys


def g(x, y):
    return x * 0.5 - y


def main():
    n = int(sys.argv[1])
    t = 0
    y = 3
    for i in range(1, n + 1):
        t = t + min(g(i, y), 1.5)
        t = t - max(y, g(y, i), 0.25)
    print(t)


main()
