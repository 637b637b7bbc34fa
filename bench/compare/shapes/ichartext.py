import sys


def main():
    n = int(sys.argv[1])
    t = 'Pack my box with five dozen liquor jugs; the quick brown fox jumps over the lazy dog, 0123456789!?()'
    k = 0
    for r in range(1, n // 100 + 1):
        for j in range(1, 101):
            k = k + ord(t[j - 1]) * j
    print(k)


main()
