import sys


def main():
    n = int(sys.argv[1])
    a = b = c = 0
    for i in range(1, n + 1):
        if i % 3 == 0:
            a = a + 1
        elif i % 3 == 1:
            b = b + 1
        else:
            c = c + 1
    print(a, b, c)


main()
