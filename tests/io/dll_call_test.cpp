// The DLL built-in with typed arguments, run from scripts against the test
// library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/winapi_byname.h"
#include "dll_run.h"
#include "io/dll.h"
#include "platform/win_library.h"

namespace {

using ::testing::HasSubstr;

TEST(DllCall, ByValueKindsAreExtendedBySignOrZero) {
  dlltest::Runner r;
  const std::string out = r.run(R"(K = 255
M = 65535
N = -1
U = 4294967295
LI1 = DLL(Module='$LIB', Procedure='dll_low', I1=K)
HI1 = DLL(Module='$LIB', Procedure='dll_high', I1=K)
LI1U = DLL(Module='$LIB', Procedure='dll_low', I1U=K)
HI1U = DLL(Module='$LIB', Procedure='dll_high', I1U=K)
LI2 = DLL(Module='$LIB', Procedure='dll_low', I2=M)
LI2U = DLL(Module='$LIB', Procedure='dll_low', I2U=M)
HI2U = DLL(Module='$LIB', Procedure='dll_high', I2U=M)
HI4 = DLL(Module='$LIB', Procedure='dll_high', I4=N)
LI4U = DLL(Module='$LIB', Procedure='dll_low', I4U=U)
HI4U = DLL(Module='$LIB', Procedure='dll_high', I4U=U)
A = 1
F = 2.5
B = 3
RF = DLL(Module='$LIB', Procedure='dll_r4', I4=A, R4=F, I4=B)
END
)");
  // 255 as I1 is the byte 0xFF, sign-extended; as I1U it stays 255.
  EXPECT_THAT(out, HasSubstr("LI1=-1\nHI1=-1\nLI1U=255\nHI1U=0\n"));
  EXPECT_THAT(out, HasSubstr("LI2=-1\nLI2U=65535\nHI2U=0\n"));
  EXPECT_THAT(out, HasSubstr("HI4=-1\nLI4U=-1\nHI4U=0\n"));
  // The float lies in its own register between the two integers.
  EXPECT_THAT(out, HasSubstr("RF=301025\n"));
  EXPECT_THAT(out, HasSubstr("stop=-1"));
}

TEST(DllCall, PointerKindsAreConvertedBackElementByElement) {
  dlltest::Runner r;
  const std::string out = r.run(R"(DIMENSION V(3), W(2), Y(2)
V(1) = 1
V(2) = -2
V(3) = 200
W(1) = 254
W(2) = 255
Y(1) = 65534
Y(2) = 7
NV = 3
NW = 2
NY = 1
N1 = DLL(Module='$LIB', Procedure='dll_neg1', I1P=V, I4=NV)
N2 = DLL(Module='$LIB', Procedure='dll_neg2', I2P=NV, I4=NY)
E = 1099511627776
N8 = DLL(Module='$LIB', Procedure='dll_neg8', I8P=E, I4=NY)
N1U = DLL(Module='$LIB', Procedure='dll_inc1u', I1UP=W, I4=NW)
N2U = DLL(Module='$LIB', Procedure='dll_inc2u', I2UP=Y, I4=NY)
Q = 4294967294
N4U = DLL(Module='$LIB', Procedure='dll_inc4u', I4UP=Q, I4=NY)
S = -5
N4 = DLL(Module='$LIB', Procedure='dll_neg4', I4P=S, I4=NY)
R = 3
NR = DLL(Module='$LIB', Procedure='dll_half4', R4P=R, I4=NY)
D = 0.1
ND = DLL(Module='$LIB', Procedure='dll_twice8', R8P=D, I4=NY)
END
)");
  // 200 goes as the byte 0xC8 (-56) and comes back negated as a signed byte.
  EXPECT_THAT(out, HasSubstr("V=(-1,2,56)\n"));
  EXPECT_THAT(out, HasSubstr("NV=-3\n"));
  // Unsigned kinds read back without a sign: 255 + 1 wraps to 0.
  EXPECT_THAT(out, HasSubstr("W=(255,0)\n"));
  EXPECT_THAT(out, HasSubstr("Y=(65535,7)\n"));
  EXPECT_THAT(out, HasSubstr("Q=4294967295\n"));
  EXPECT_THAT(out, HasSubstr("E=-1099511627776\n"));
  EXPECT_THAT(out, HasSubstr("S=5\n"));
  EXPECT_THAT(out, HasSubstr("R=1.5\n"));
  EXPECT_THAT(out, HasSubstr("D=0.2\n"));
  EXPECT_THAT(out, HasSubstr("N1=3\n"));
}

TEST(DllCall, TextsAndRecordsArePassedByAddress) {
  dlltest::Runner r;
  const std::string out = r.run(R"(CHARACTER T*10, T2*5, RP*12
T = 'abc'
LT = DLL(Module='$LIB', Procedure='dll_upper', CHar0P=T)
T2 = 'hello'
LX = DLL(Module='$LIB', Procedure='dll_putx', CHarP=T2)
LC = DLL(Module='$LIB', Procedure='dll_upper', CHar0P='lit')
LD = DLL(Module='$LIB', Procedure='dll_upper', CHar0P='lit')
RA = 5
RB = 1.5
RP = STRUCT(I4=RA, R8=RB)
RR = DLL(Module='$LIB', Procedure='dll_rec', STrucP=RP)
END
)");
  // Ten characters reach the procedure as nine and a NUL; the NUL is blank
  // again afterwards.
  EXPECT_THAT(out, HasSubstr("T='ABC       '\n"));
  EXPECT_THAT(out, HasSubstr("LT=9\n"));
  EXPECT_THAT(out, HasSubstr("T2='Xello'\n"));
  // A text literal goes as a copy with a NUL after it and is never changed.
  EXPECT_THAT(out, HasSubstr("LC=3\nLD=3\n"));
  EXPECT_THAT(out, HasSubstr("RA=6\nRB=3\n"));
  EXPECT_THAT(out, HasSubstr("RR=6\n"));
}

TEST(DllCall, ErrIfAndErrIfNotJudgeTheResult) {
  dlltest::Runner r;
  EXPECT_THAT(r.run(R"(Z = 0
EN = DLL(Module='$LIB', Procedure='dll_echo', I4=Z, ErrIfNot=0)
EQ = DLL(Module='$LIB', Procedure='dll_echo', I4=Z, ErrIf=1)
END
)"),
              HasSubstr("EN=0\nEQ=0\nstop=-1"));
  // The error word after a call is errno; the failed library is released.
  const std::string out = r.run(R"(C = 2
F = DLL(Module='$LIB', Procedure='dll_fail', I4=C, ErrIf=0, Unload=0)
END
)");
  EXPECT_THAT(out, HasSubstr("stop=32767 line=2 key=DLLWinSysErrCod"));
  EXPECT_EQ(io::dllmessage.trimmed(), "2 No such file or directory");
  EXPECT_EQ(io::dllslot0, 0u);
  EXPECT_TRUE(io::dllslot0name.is_blank());
  EXPECT_EQ(plat::library_loads(), 0);
}

TEST(DllCall, UnloadZeroKeepsSlotZeroUntilAnotherLibraryTakesIt) {
  dlltest::Runner r;
  const std::string out = r.run(R"(C1 = DLL(Module='$LIB', Procedure='dll_counter', Unload=0)
C2 = DLL(Module='$LIB', Procedure='dll_counter', Unload=0)
Y = -4
A = DLL(Module='libc.so.6', Procedure='abs', I4=Y, Unload=0)
C3 = DLL(Module='$LIB', Procedure='dll_counter')
C4 = DLL(Module='$LIB', Procedure='dll_counter')
END
)");
  // Kept loaded, the library counts on; replaced by libc it was released,
  // and without Unload=0 it lives for one call.
  EXPECT_THAT(out, HasSubstr("C1=1\nC2=2\nY=-4\nA=4\nC3=1\nC4=1\nstop=-1"));
  EXPECT_EQ(io::dllslot0, 0u);
  EXPECT_EQ(plat::library_loads(), 0);
}

TEST(DllCall, ListedLibrariesUseTheProgramsOwnProceduresAndEmptyTheirSlot) {
  dlltest::Runner r;
  core::reset_winapi();
  const std::string out = r.run(R"(Z = 0
N = DLL(Module='Kernel32.dll', Procedure='GetModuleHandleA', I4=Z)
M = DLL(Module='KERNEL32.DLL', Procedure='Nope', I4=Z)
END
)");
  EXPECT_THAT(out, HasSubstr("N=1\nM=0\nstop=32767 line=3 key=DLLWinSysErrCod"));
  EXPECT_EQ(io::dllmessage.trimmed(), "127 The specified procedure could not be found.");
  // Loaded by the call, released after it: the slot holds no stale handle.
  EXPECT_EQ(core::winlibhandles[2], 0u);
  EXPECT_EQ(core::winapi_loads, 2);
  // A listed name without a dot is no library.
  EXPECT_THAT(r.run("N = DLL(Module='user32', Procedure='GetWindowRect')\nEND\n"),
              HasSubstr("key=DLLWinSysErrCod"));
  EXPECT_EQ(io::dllmessage.trimmed().substr(0, 4), "126 ");
}

TEST(DllCall, BadOptionsAreRefusedBeforeAnythingLoads) {
  dlltest::Runner r;
  EXPECT_THAT(r.run("X = 1\nN = DLL(Module='$LIB', Procedure='dll_echo', I4=X+1)\nEND\n"),
              HasSubstr("stop=32767 line=2 key=DLLTempVarsNotOK"));
  EXPECT_THAT(
      r.run("DIMENSION A(2)\nN = DLL(Module='$LIB', Procedure='dll_echo', HINSTance=A)\nEND\n"),
      HasSubstr("key=DLLnotNumScalar"));
  std::string many = "X = 1\nN = DLL(Module='$LIB', Procedure='dll_echo'";
  for (int i = 0; i < 25; ++i) many += ", I4=X";
  EXPECT_THAT(r.run(many + ")\nEND\n"), HasSubstr("key=DLLmaxOpts"));
  EXPECT_EQ(io::dllslot0, 0u);
  EXPECT_EQ(plat::library_loads(), 0);
  // Without Module and Procedure nothing is called: the result is 0.
  EXPECT_THAT(r.run("X = 1\nN = DLL(I4=X)\nEND\n"), HasSubstr("N=0\nstop=-1"));
}

TEST(DllCall, SpecialOptionsGiveTheProgramsAddressesAndHandles) {
  dlltest::Runner r;
  const std::string out = r.run("P = DLL(HINSTance=H, ASYNCProc=A, NEWProc=B, Wdw1=W)\nEND\n");
  const auto value = [&](const std::string& name) {
    const std::size_t at = out.find("\n" + name + "=");
    return at == std::string::npos ? 0.0 : std::stod(out.substr(at + name.size() + 2));
  };
  EXPECT_EQ(value("H"), static_cast<double>(win::module_value(win::GetModuleHandleA(nullptr))));
  EXPECT_EQ(value("A"),
            static_cast<double>(reinterpret_cast<std::uintptr_t>(&io::SHOWCALLBACKARGS)));
  EXPECT_EQ(value("B"), static_cast<double>(reinterpret_cast<std::uintptr_t>(&io::BEEPWNDPROC)));
  EXPECT_THAT(out, HasSubstr("W=0\n"));
}

}  // namespace
