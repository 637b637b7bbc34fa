def main():
    s = ' ' * 200000
    for i in range(20000):
        s = (s.rstrip() + 'ab').ljust(200000)[:200000]
    print(len(s.rstrip()))


main()
