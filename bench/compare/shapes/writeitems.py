import sys


def main(n):
    s = 'abcdefghijklmnop'
    a = [j * 0.5 for j in range(1, 101)]
    z = 0.5
    with open('items.txt', 'w', newline='') as f:
        for i in range(1, n + 1):
            z = z + 0.25
            f.write('%8d%12.3f%8s%8.1f\r\n' % (i + 1, -z, s[2:10], a[i % 100]))


main(int(sys.argv[1]))
