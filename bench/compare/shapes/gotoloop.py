import sys


def main():
    n = int(sys.argv[1])
    i = 0
    s = 0
    while True:
        i = i + 1
        if i % 2 == 0:
            s = s + i
        if not i < n:
            break
    print(s)


main()
