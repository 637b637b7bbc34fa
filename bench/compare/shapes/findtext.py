import sys


def main(n):
    t = ('the quick brown fox jumps over the lazy dog ' * 10 + 'a grey wolf.').ljust(600)
    p = 'wolf'
    k = 0
    for i in range(1, n + 1):
        k = k + t.find(p) + 1
    return k


print(main(int(sys.argv[1])))
