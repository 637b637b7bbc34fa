#!/usr/bin/python3
"""The word index beside Xapian.
Usage: bench/compare/wordindex.py [build folder] [repeats]

One generated corpus (1000 texts of 150 words drawn from 5000 made-up words
by a Zipf law, fixed seed; the script and this program make it with the
same generator) is indexed by a script run by `ostrel RUN=`, one EDIT per
text, and by Xapian (TermGenerator with positions, a database in a
temporary folder, committed once); then the same 200 queries of one to
three words run on both (for Ostrel one EDIT search per query giving the
count of its hits, for Xapian an Enquire with all the words required and
all matches taken; the texts found are compared in a run of its own, with
an EDIT that gives the hits per text). Printed: the build time, the index
size, the total query time and the overlap of the texts found. The Ostrel
times are differences of whole runs (best of the repeats): the script with
its EDIT statements less the same script without them."""
import os
import random
import re
import subprocess
import sys
import tempfile
import time

import xapian

TEXTS, WORDS, VOCAB, QUERIES = 1000, 150, 5000, 200
ROUNDS = 10


M31 = 2147483647


class Lcg:
    """The Park-Miller generator, as the script runs it in 64-bit reals."""

    def __init__(self, seed):
        self.s = seed

    def next(self):
        self.s = (self.s * 16807) % M31
        return self.s


def corpus():
    """Words, texts and queries exactly as the Ostrel script makes them."""
    g = Lcg(20240517)
    vocab = []
    for _ in range(VOCAB):
        n = 3 + g.next() % 7
        vocab.append("".join(chr(97 + g.next() % 26) for _ in range(n)))
    cdf, c = [], 0.0
    for i in range(1, VOCAB + 1):
        c = c + 1 / i
        cdf.append(c)

    def draw():
        u = g.next() / M31 * c
        lo, hi = 1, VOCAB
        for _ in range(13):
            m = (lo + hi) // 2
            if cdf[m - 1] < u:
                lo = m + 1
            else:
                hi = m
        return lo

    texts = [" ".join(vocab[draw() - 1] for _ in range(WORDS)) for _ in range(TEXTS)]
    queries = []
    for _ in range(QUERIES):
        words = []
        for _ in range(1 + g.next() % 3):
            w = draw()
            if w not in words:
                words.append(w)
        queries.append(" ".join(vocab[w - 1] for w in words))
    return texts, queries


# One Zipf draw of the script: word LO.
DRAW = """    S = MOD(S * 16807, 2147483647)
    U = S / 2147483647 * C
    LO = 1
    HI = 5000
    DO B = 1, 13
      M = INT((LO + HI) / 2)
      IF (CDF(M) < U) THEN
        LO = M + 1
      ELSE
        HI = M
      ENDIF
    ENDDO
"""

# The corpus made by the script itself (the script language reads no files
# yet): the same generator, Zipf draws by bisection of the cumulated 1/i.
SCRIPT = """CHARACTER VOC*60000, T*2000, Q*100, ID*8, IX*4000000
DIMENSION WS(5000), WL(5000), CDF(5000), V(1,1000), W(200,1000), QW(3)
S = 20240517
P = 1
DO I = 1, 5000
  S = MOD(S * 16807, 2147483647)
  WL(I) = 3 + MOD(S, 7)
  WS(I) = P
  DO J = 1, WL(I)
    S = MOD(S * 16807, 2147483647)
    VOC(P:P) = CHAR(97 + MOD(S, 26))
    P = P + 1
  ENDDO
ENDDO
C = 0
DO I = 1, 5000
  C = C + 1 / I
  CDF(I) = C
ENDDO
IX = ' '
ID = 'd'
DO K = 1, 1000
  T = ' '
  P = 1
  DO N = 1, 150
{draw}    T(P:P + WL(LO) - 1) = VOC(WS(LO):WS(LO) + WL(LO) - 1)
    P = P + WL(LO) + 1
  ENDDO
  ID(2:2) = CHAR(48 + MOD(INT(K / 1000), 10))
  ID(3:3) = CHAR(48 + MOD(INT(K / 100), 10))
  ID(4:4) = CHAR(48 + MOD(INT(K / 10), 10))
  ID(5:5) = CHAR(48 + MOD(K, 10))
{build}ENDDO
DO K = 1, 200
  S = MOD(S * 16807, 2147483647)
  NW = 1 + MOD(S, 3)
  Q = ' '
  P = 1
  QW = 0
  DO N = 1, NW
{draw}    IF (LO /= QW(1)) THEN
      IF (LO /= QW(2)) THEN
        QW(N) = LO
        Q(P:P + WL(LO) - 1) = VOC(WS(LO):WS(LO) + WL(LO) - 1)
        P = P + WL(LO) + 1
      ENDIF
    ENDIF
  ENDDO
{search}ENDDO
END
"""


def script(build=True, search=False, collect=False):
    text = SCRIPT.replace("{draw}", DRAW).replace("{build}", "  EDIT(Text=T, IDentification=ID, InvertedIndex=IX)\n" if build else "")
    query = ""
    if search:
        # Each query ten times, so that its time stands well above the noise.
        query = f"  DO R = 1, {ROUNDS}\n    N = EDIT(Text=Q, InvertedIndex=IX)\n  ENDDO\n"
    if collect:
        query = "  V = EDIT(Text=Q, Option=256, InvertedIndex=IX)\n"
        query += "  DO J = 1, 1000\n    W(K, J) = V(1, J)\n  ENDDO\n"
    return text.replace("{search}", query).replace("\n", "\r\n")


def run_ostrel(binary, tmp, text, repeats):
    """The best time of the script and its last output."""
    with open(os.path.join(tmp, "bench.ost"), "w", newline="") as f:
        f.write(text)
    best, out = float("inf"), ""
    for _ in range(repeats):
        start = time.perf_counter()
        run = subprocess.run([binary, "RUN=bench.ost"], cwd=tmp, capture_output=True, text=True,
                             encoding="latin-1")
        best = min(best, time.perf_counter() - start)
        out = run.stdout
        if "stop=-1" not in out:
            sys.exit("the Ostrel script failed:\n" + out[-2000:] + run.stderr)
    return best, out


def ostrel(build, texts, queries, repeats):
    binary = os.path.abspath(os.path.join(build, "app", "ostrel"))
    with tempfile.TemporaryDirectory() as tmp:
        t_texts, out = run_ostrel(binary, tmp, script(build=False), repeats)
        # The script's last text is the corpus's.
        last = re.search(r"^T='([a-z ]*)'$", out, re.M).group(1).strip()
        if last != texts[-1]:
            sys.exit("the script and this program make different texts")
        t_build, out = run_ostrel(binary, tmp, script(), repeats)
        t_search, _ = run_ostrel(binary, tmp, script(search=True), repeats)
        header = re.search(r"^IX='(.{160})", out, re.M | re.S).group(1)
        items = dict(re.findall(r"(\w+)=(\w+)", header))
        size = int(items["POSS1"]) - 1 + 4 * int(items["NPOSS"]) + 1
        _, out = run_ostrel(binary, tmp, script(collect=True), 1)
        cells = [float(v) for v in re.search(r"^W=\((.*)\)$", out, re.M).group(1).split(",")]
        n = len(texts)
        # W(k, j) is cell (k - 1) * n + j of the array, row after row.
        found = [{j + 1 for j in range(n) if cells[k * n + j] > 0} for k in range(len(queries))]
        return t_build - t_texts, size, (t_search - t_build) / ROUNDS, found


def xapian_run(texts, queries):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "db")
        start = time.perf_counter()
        db = xapian.WritableDatabase(path, xapian.DB_CREATE_OR_OVERWRITE)
        tg = xapian.TermGenerator()
        for k, t in enumerate(texts, 1):
            doc = xapian.Document()
            tg.set_document(doc)
            tg.index_text(t)
            doc.set_data(str(k))
            db.add_document(doc)
        db.commit()
        build = time.perf_counter() - start
        size = sum(os.path.getsize(os.path.join(path, f)) for f in os.listdir(path))
        start = time.perf_counter()
        found = []
        enquire = xapian.Enquire(db)
        for q in queries:
            enquire.set_query(xapian.Query(xapian.Query.OP_AND, q.split()))
            found.append({m.docid for m in enquire.get_mset(0, len(texts))})
        search = time.perf_counter() - start
        db.close()
        return build, size, search, found


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    texts, queries = corpus()
    o = ostrel(build, texts, queries, repeats)
    x = xapian_run(texts, queries)
    same = sum(1 for a, b in zip(o[3], x[3]) if a == b)
    inter = sum(len(a & b) for a, b in zip(o[3], x[3]))
    union = sum(len(a | b) for a, b in zip(o[3], x[3]))
    print(f"{'':10} {'build s':>9} {'index bytes':>12} {'200 queries s':>14} {'texts found':>12}")
    print(f"{'Ostrel':10} {o[0]:9.3f} {o[1]:12d} {o[2]:14.3f} {sum(map(len, o[3])):12d}")
    print(f"{'Xapian':10} {x[0]:9.3f} {x[1]:12d} {x[2]:14.3f} {sum(map(len, x[3])):12d}")
    print(f"overlap: {same} of {len(queries)} queries find the same texts; "
          f"{inter} of {union} texts found by both")


if __name__ == "__main__":
    main()
