import sys


def main():
    n = int(sys.argv[1])
    a = [0.0] * 101
    for i in range(1, n + 1):
        a[(i * 7) % 100 + 1] = a[(i * 7) % 100 + 1] + i
    print(a[1])


main()
