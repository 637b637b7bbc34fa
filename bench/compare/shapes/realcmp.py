import sys


def main():
    n = int(sys.argv[1])
    x = 0.0
    y = 1.0
    s = 0
    i = 0
    while True:
        i = i + 1
        x = x + 0.37
        if x > 1.5:
            x = x - 1.5
        if not x * y < 0.4:
            s = s + 1
        if x >= 0.905:
            y = y * 0.5 + 0.25
        if x <= 0.205:
            y = y + 0.5
        if not i < n:
            break
    print(s, x, y)


main()
