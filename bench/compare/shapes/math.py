import math
import sys


def main():
    n = int(sys.argv[1])
    s = 0.0
    for i in range(1, n + 1):
        x = i * 0.001
        s = s + math.sin(x) * math.cos(x) + math.exp(-x)
    print(s)


main()
