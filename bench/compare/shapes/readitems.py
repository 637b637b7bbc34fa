import sys


def main(n):
    t = 'cdefghij'
    with open('items.txt', 'w', newline='') as f:
        for i in range(1, n + 1):
            x = i * 0.25
            f.write('%8d%12.3f%8s\r\n' % (i, x, t))
    s = 'abcdefghijklmnop'
    a = [0.0] * 100
    with open('items.txt', newline='') as f:
        i = 0
        for line in f:
            i = i + 1
            k = int(line[0:8])
            a[i % 100] = float(line[8:20])
            s = s[:2] + line[20:28] + s[10:]
    return k, s


main(int(sys.argv[1]))
