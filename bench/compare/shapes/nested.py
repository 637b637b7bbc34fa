import sys


def main():
    n = int(sys.argv[1])
    s = 0
    for i in range(1, n // 100 + 1):
        for j in range(1, 101):
            s = s + j
    print(s)


main()
