import sys


def main():
    n = int(sys.argv[1])
    a = b = c = d = 0
    for i in range(1, n + 1):
        if i % 15 == 0:
            a = a + 1
        elif i % 5 == 0:
            b = b + 1
        elif i % 3 == 0:
            c = c + 1
        else:
            d = d + i
    print(a, b, c, d)


main()
