import sys


def main():
    n = int(sys.argv[1])
    a = [0.0] * 101
    k = 1
    for i in range(1, n + 1):
        a[k] = a[k] + i
        k = k + 1
        if k > 100:
            k = 1
    print(a[1])


main()
