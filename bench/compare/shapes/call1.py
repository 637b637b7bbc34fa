import sys


def twice(q):
    return q * 2 + 1


def main():
    n = int(sys.argv[1])
    s = 0
    for i in range(1, n + 1):
        s = s + twice(i)
    print(s)


main()
