import sys


def f1(x):
    return x * 1


def f2(x):
    return x - 4


def f3(x):
    return x % 4


def f4(x):
    return x + 4


def f5(x):
    return x * 5


def f6(x):
    return x - 12


def f7(x):
    return x % 8


def f8(x):
    return x + 8


def f9(x):
    return x * 9


def f10(x):
    return x - 20


def f11(x):
    return x % 12


def f12(x):
    return x + 12


def f13(x):
    return x * 13


def f14(x):
    return x - 28


def f15(x):
    return x % 16


def f16(x):
    return x + 16


def f17(x):
    return x * 17


def f18(x):
    return x - 36


def f19(x):
    return x % 20


def f20(x):
    return x + 20


def f21(x):
    return x * 21


def f22(x):
    return x - 44


def f23(x):
    return x % 24


def f24(x):
    return x + 24


def f25(x):
    return x * 25


def f26(x):
    return x - 52


def f27(x):
    return x % 28


def f28(x):
    return x + 28


def f29(x):
    return x * 29


def f30(x):
    return x - 60


def f31(x):
    return x % 32


def f32(x):
    return x + 32


def f33(x):
    return x * 33


def f34(x):
    return x - 68


def f35(x):
    return x % 36


def f36(x):
    return x + 36


def f37(x):
    return x * 37


def f38(x):
    return x - 76


def f39(x):
    return x % 40


def f40(x):
    return x + 40


def main():
    n = int(sys.argv[1])
    s = 0
    for j in range(1, n // 40 + 1):
        s = s + f1(j)
        s = s + f2(j)
        s = s + f3(j)
        s = s + f4(j)
        s = s + f5(j)
        s = s + f6(j)
        s = s + f7(j)
        s = s + f8(j)
        s = s + f9(j)
        s = s + f10(j)
        s = s + f11(j)
        s = s + f12(j)
        s = s + f13(j)
        s = s + f14(j)
        s = s + f15(j)
        s = s + f16(j)
        s = s + f17(j)
        s = s + f18(j)
        s = s + f19(j)
        s = s + f20(j)
        s = s + f21(j)
        s = s + f22(j)
        s = s + f23(j)
        s = s + f24(j)
        s = s + f25(j)
        s = s + f26(j)
        s = s + f27(j)
        s = s + f28(j)
        s = s + f29(j)
        s = s + f30(j)
        s = s + f31(j)
        s = s + f32(j)
        s = s + f33(j)
        s = s + f34(j)
        s = s + f35(j)
        s = s + f36(j)
        s = s + f37(j)
        s = s + f38(j)
        s = s + f39(j)
        s = s + f40(j)
    print(s)


main()
