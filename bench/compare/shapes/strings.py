import sys


def main():
    n = int(sys.argv[1])
    s = 'hello world'
    k = 0
    for i in range(1, n + 1):
        t = s[0:5] + '-' + s[6:11]
        k = k + len(t.rstrip()) + t.find('wor') + 1
    print(k)


main()
