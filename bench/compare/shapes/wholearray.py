import sys


def main():
    n = 1000000
    a = [1.0] * n
    a = [x * 0.5 + i for i, x in enumerate(a, 1)]
    b = [i % 7 + x * x for i, x in enumerate(a, 1)]
    print(a[n - 1] + b[n - 2])


main()
