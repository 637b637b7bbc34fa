"""A script of many varied lines over a given number of distinct names, for
measuring how fast a whole script compiles: python3 gencompile.py LINES NAMES"""
import random
import sys

lines = int(sys.argv[1]) if len(sys.argv) > 1 else 20000
names = int(sys.argv[2]) if len(sys.argv) > 2 else 100
rng = random.Random(17)


def v():
    return f"V{rng.randrange(names)}"


out = []
while len(out) < lines - 1:
    k = rng.randrange(6)
    if k == 0:
        out.append(f"{v()} = {v()} + {v()} * 2")
    elif k == 1:
        out.append(f"IF ({v()} > {v()}) {v()} = {v()} - 1")
    elif k == 2:
        out.append(f"{v()} = MOD({v()}, 7) + ABS({v()})")
    elif k == 3:
        out.append(f"{v()} = MAX({v()}, {v()}, 3) / 2")
    elif k == 4 and len(out) < lines - 4:
        a = v()
        out += ["DO J = 1, 2", f"  {a} = {a} + J", "ENDDO"]
    else:
        out.append(f"{v()} = {v()} - {v()} / 4")
out.append("END")
print("\n".join(out[:lines]))
