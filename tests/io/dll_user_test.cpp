// The DLL statement for user libraries written for the interpreter, run
// from scripts against the test library.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/runwords.h"
#include "dll_run.h"
#include "io/dll.h"
#include "platform/win_library.h"

namespace {

using ::testing::HasSubstr;

TEST(UserDll, ArgumentsAreReachedThroughTheStoresAndTheHandleIsKept) {
  dlltest::Runner r;
  const std::string out = r.run(R"(DIMENSION V(3)
CHARACTER T*5
V(1) = 1
V(2) = 2
V(3) = 3
T = 'abc'
X = 1.5
H = 0
S = DLL(Handle=H, LIBrary='$LIB', FUNction='usr_sum', ARGument=X, ARGument=V)
H1 = H
DLL(Handle=H, SUBroutine='usr_scale', ARGument=X, ARGument=V, ARGument=T)
C1 = DLL(Handle=H, FUNction='usr_count')
C2 = DLL(Handle=H, FUNction='usr_count')
DLL(FREE=H)
C3 = DLL(LIBrary='$LIB', FUNction='usr_count')
C4 = DLL(LIBrary='$LIB', FUNction='usr_count')
END
)");
  // 1000 per argument, plus 1.5 and 1 + 2 + 3.
  EXPECT_THAT(out, HasSubstr("S=2007.5\n"));
  EXPECT_THAT(out, HasSubstr("V=(2,4,6)\nT='ABC  '\nX=3\n"));
  // The handle kept the library loaded between statements; the unload-only
  // statement released it and cleared the variable; without a handle a
  // library lives for one call.
  EXPECT_THAT(out, HasSubstr("H=0\n"));
  EXPECT_THAT(out, HasSubstr("C1=1\nC2=2\nC3=1\nC4=1\nstop=-1"));
  EXPECT_EQ(out.find("H1=0\n"), std::string::npos);
  EXPECT_EQ(plat::library_loads(), 0);
}

TEST(UserDll, ASubroutineLeavesTheSmallestNormalReal) {
  dlltest::Runner r;
  EXPECT_THAT(r.run("X = 1\nR = DLL(LIBrary='$LIB', SUBroutine='usr_scale', ARGument=X)\nEND\n"),
              HasSubstr("X=2\nR=2.2250738585072014e-308\n"));
}

TEST(UserDll, NameFormsAreTriedFromTheRememberedOne) {
  dlltest::Runner r;
  io::dllnamemode = 0;
  // usr_dec exists only as "_usr_dec@24" (form 1): found after 0, 3 and 2.
  // usr_plain is then found in form 0 although form 1 was remembered;
  // usr_pick has forms 3 and 1 (3 is tried first), usr_two forms 2 and 1.
  const std::string out = r.run(R"(F0 = DLL(LIBrary='$LIB', FUNction='usr_dec')
F1 = DLL(LIBrary='$LIB', FUNction='usr_plain')
F2 = DLL(LIBrary='$LIB', FUNction='usr_pick')
F3 = DLL(LIBrary='$LIB', FUNction='usr_two')
F4 = DLL(LIBrary='$LIB', FUNction='usr_dec')
END
)");
  EXPECT_THAT(out, HasSubstr("F0=1\nF1=0\nF2=3\nF3=2\nF4=1\nstop=-1"));
  EXPECT_EQ(io::dllnamemode, 1);
}

TEST(UserDll, AnEleventhLibraryIsRefusedWithTheTableUnchanged) {
  dlltest::Runner r;
  // Eleven copies of the library are eleven libraries to the loader.
  std::string script;
  for (int i = 0; i <= 10; ++i) {
    const std::string file = r.dir().file("copy" + std::to_string(i) + ".so");
    std::filesystem::copy_file(dlltest::library(), file);
    script += "H" + std::to_string(i) + " = 0\nR = DLL(Handle=H" + std::to_string(i) +
              ", LIBrary='" + file + "', FUNction='usr_plain')\n";
  }
  const std::string out = r.run(script + "END\n", true);
  EXPECT_THAT(out, HasSubstr("H10=0\n"));
  EXPECT_THAT(out, HasSubstr("stop=32767 line=22 key=dllnameMissing"));
  for (int s = 1; s <= io::nuserdlls; ++s) {
    EXPECT_NE(io::userdlls(s).handle, 0u);
    EXPECT_EQ(io::userdlls(s).count, 1);
    EXPECT_THAT(out, HasSubstr("H" + std::to_string(s - 1) + "=" +
                               std::to_string(io::userdlls(s).handle) + "\n"));
  }
  EXPECT_EQ(plat::library_loads(), 10);
  // The script is closed: every library it held goes.
  io::FREEUSERDLLS();
  EXPECT_EQ(plat::library_loads(), 0);
  EXPECT_EQ(io::userdlls(1).handle, 0u);
}

TEST(UserDll, TheWindowlessRunReleasesWhatTheScriptHeld) {
  dlltest::Runner r;
  EXPECT_THAT(r.run("H = 0\nR = DLL(Handle=H, LIBrary='$LIB', FUNction='usr_plain')\nEND\n"),
              HasSubstr("stop=-1"));
  EXPECT_EQ(plat::library_loads(), 0);
  EXPECT_EQ(io::userdlls(1).handle, 0u);
}

TEST(UserDll, FailuresLeaveNothingLoaded) {
  dlltest::Runner r;
  std::string many = "X = 1\nR = DLL(LIBrary='$LIB', FUNction='usr_sum'";
  for (int i = 0; i < 11; ++i) many += ", ARGument=X";
  EXPECT_THAT(r.run(many + ")\nEND\n", true), HasSubstr("key=DLLmaxOpts"));
  EXPECT_THAT(r.run("R = DLL(LIBrary='nosuch.dll', FUNction='f')\nEND\n", true),
              HasSubstr("key=dllnotFound"));
  EXPECT_THAT(r.run("H = 0\nR = DLL(Handle=H, LIBrary='$LIB')\nEND\n", true),
              HasSubstr("H=0\nR=0\nstop=32767 line=2 key=dllsubMissing"));
  EXPECT_THAT(r.run("R = DLL(LIBrary='$LIB', FUNction='nosuch')\nEND\n", true),
              HasSubstr("key=dllForSnotFound"));
  EXPECT_THAT(r.run("R = DLL(FUNction='usr_plain')\nEND\n", true), HasSubstr("key=dllnameMissing"));
  EXPECT_EQ(plat::library_loads(), 0);
  EXPECT_EQ(io::userdlls(1).handle, 0u);
  // An unload option clears a pending key.
  EXPECT_THAT(r.run("H = 5\nR = DLL(LIBrary='nosuch.dll', FUNction='f', FREE=H)\nEND\n"),
              HasSubstr("H=0\nR=0\nstop=-1"));
}

}  // namespace
