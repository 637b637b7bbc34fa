import sys


def main():
    n = int(sys.argv[1])
    s = 'abcdefghijklmnopqrstuvwxyz'
    k = 0
    for i in range(1, n + 1):
        j = i % 26 + 1
        k = k + ord(s[j - 1])
    print(k)


main()
