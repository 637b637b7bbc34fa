import sys


def f(x):
    return x * x + 1


def main():
    n = int(sys.argv[1])
    h = 1 / n
    s = (f(0) + f(1)) / 2
    for i in range(1, n):
        s = s + f(i * h)
    s = s * h
    print(s)


main()
