import sys


def main():
    n = int(sys.argv[1])
    s = 0
    x = 500.5
    for i in range(1, n + 1):
        s = s + max(i, x, 7) - min(i, x)
    print(s)


main()
