import sys


def main():
    n = int(sys.argv[1])
    s = 0
    x = 50.5
    for i in range(1, n + 1):
        s = s + i % 7 * abs(x - i)
    print(s)


main()
