import sys


def c1(x, y):
    return c2(x, y)


def c2(x, y):
    return c3(x, y)


def c3(x, y):
    return c4(x, y)


def c4(x, y):
    return y + x


def main():
    n = int(sys.argv[1])
    s = 0
    for i in range(1, n + 1):
        s = c1(i, s)
    print(s)


main()
