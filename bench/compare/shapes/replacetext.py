import sys


def main(n):
    s = ('the quick brown fox jumps over the lazy dog ' * 10).ljust(600)
    t = s
    for i in range(1, n + 1):
        t = s.replace('the', 'THE')
    return t.find('the') + 1


print(main(int(sys.argv[1])))
