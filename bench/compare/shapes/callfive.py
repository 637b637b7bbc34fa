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
        s = s + f1(j) + f2(j) + f3(j) + f4(j) + f5(j)
        s = s + f6(j) + f7(j) + f8(j) + f9(j) + f10(j)
        s = s + f11(j) + f12(j) + f13(j) + f14(j) + f15(j)
        s = s + f16(j) + f17(j) + f18(j) + f19(j) + f20(j)
        s = s + f21(j) + f22(j) + f23(j) + f24(j) + f25(j)
        s = s + f26(j) + f27(j) + f28(j) + f29(j) + f30(j)
        s = s + f31(j) + f32(j) + f33(j) + f34(j) + f35(j)
        s = s + f36(j) + f37(j) + f38(j) + f39(j) + f40(j)
    print(s)


main()
