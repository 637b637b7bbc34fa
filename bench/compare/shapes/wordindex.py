import sys


def main():
    n = min(int(sys.argv[1]), 1200000)
    s = 12345
    vocab = []
    for i in range(5000):
        s = s * 16807 % 2147483647
        length = 3 + s % 7
        w = []
        for j in range(length):
            s = s * 16807 % 2147483647
            w.append(chr(97 + s % 26))
        vocab.append(''.join(w))
    words = []
    for k in range(n):
        s = s * 16807 % 2147483647
        words.append(vocab[s % 5000])
    text = ' '.join(words)
    # The index: each distinct word with the numbers of its occurrences.
    index = {}
    for k, w in enumerate(text.split()):
        occ = index.get(w)
        if occ is None:
            index[w] = [k]
        else:
            occ.append(k)
    lexicon = sorted(index)
    print(len(lexicon), sum(len(index[w]) for w in lexicon))


main()
