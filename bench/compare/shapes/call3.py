import sys


def add3(x, y, z):
    return x + y


def main():
    n = int(sys.argv[1])
    s = 0
    t = 0
    for i in range(1, n + 1):
        t = add3(i, 2, t)
        s = s + t
    print(s)


main()
