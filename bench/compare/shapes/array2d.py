import sys


def main():
    n = int(sys.argv[1])
    m = [[0.0] * 101 for _ in range(101)]
    r = 1
    for i in range(1, n // 100 + 1):
        for j in range(1, 101):
            m[r][j] = m[r][j] + j
        r = r + 1
        if r > 100:
            r = 1
    print(m[1][1])


main()
