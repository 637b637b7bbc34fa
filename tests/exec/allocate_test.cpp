// ALLOCATE in a loop: the storage an array or a text leaves behind is taken
// again, so that a loop growing one of them neither fills the store nor
// loses an element, and storage that a view or another text still names is
// left where it is.

#include <gtest/gtest.h>

#include <string>

#include "core/stores.h"
#include "exec/script_runner.h"

namespace {

class Allocate : public ::testing::Test {
 protected:
  void SetUp() override { scriptrun::start(); }
  void TearDown() override {
    core::storefailabove = 0;
    scriptrun::finish();
  }
};

TEST_F(Allocate, ALoopThatGrowsAnArrayOrATextKeepsItsValuesAndTheStoreSmall) {
  // Storage left behind at each pass would need some 800 MB here.
  core::storefailabove = 16 << 20;
  const std::string out = scriptrun::run(
      "CHARACTER S*3, T*2, W*2\r\n"
      "DIMENSION A(10), B(3), C(2)\r\n"
      "A = 1, 2, 3, 4, 5, 6, 7, 8, 9, 10\r\n"
      "S = 'abc'\r\n"
      "DO I = 1, 3000\r\n"
      "  N = ALLOCATE(S, I)\r\n"
      "  S(I:I) = CHAR(65 + MOD(I, 26))\r\n"
      "ENDDO\r\n"
      "L = LEN(S)\r\n"
      "K = ICHAR(S(1:1)) + 1000 * ICHAR(S(2999:2999))\r\n"
      "DO I = 1, 1000\r\n"
      "  N = ALLOCATE(A, 100000 + MOD(I, 2))\r\n"
      "  A(100000) = I\r\n"
      "ENDDO\r\n"
      "E = SUM(A)\r\n"
      "N = ALLOCATE(A, 3)\r\n"
      "N = ALLOCATE(A, 2, 3)\r\n"
      // A view laid on B keeps the cells it was laid on; C is grown after
      // B, so that B's storage is not the last one.
      "B = 7, 8, 9\r\n"
      "ALIAS(Base=B, Columns=3, Vector=P)\r\n"
      "N = ALLOCATE(B, 4)\r\n"
      "B(1) = 1\r\n"
      "N = ALLOCATE(C, 3)\r\n"
      "C = 4, 5, 6\r\n"
      "N = ALLOCATE(B, 5)\r\n"
      "B(5) = 2\r\n"
      "T = 'xy'\r\n"
      "W = 'uv'\r\n"
      "N = ALLOCATE(T, 3)\r\n"
      "N = ALLOCATE(W, 1)\r\n"
      "N = ALLOCATE(T, 4)\r\n"
      "END\r\n");
  const auto has = [&](const std::string& line) { return out.find("\n" + line + "\n"); };
  EXPECT_NE(has("L=3000"), std::string::npos) << out.substr(out.size() - 300);
  // S(1:1) was written at the first pass, S(2999:2999) at the last but one.
  EXPECT_NE(has("K=" + std::to_string('B' + 1000 * ('A' + 2999 % 26))), std::string::npos);
  EXPECT_NE(has("E=" + std::to_string(55 + 1000)), std::string::npos);
  EXPECT_NE(out.find("\nA=(1,2,3,0,0,0)\n"), std::string::npos);
  EXPECT_NE(out.find("\nB=(1,8,9,0,2)\n"), std::string::npos);
  EXPECT_NE(out.find("\nC=(4,5,6)\n"), std::string::npos);
  EXPECT_NE(out.find("\nP=(7,8,9)\n"), std::string::npos);
  EXPECT_NE(out.find("\nT='xy  '\n"), std::string::npos);
  EXPECT_NE(out.find("\nW='u'\n"), std::string::npos);
  EXPECT_NE(out.find("\nstop=-1\n"), std::string::npos) << out.substr(out.size() - 200);
  EXPECT_LT(core::nz, 1000000) << "cells in the store of numbers";
  EXPECT_LT(core::nc1namen, 1000000) << "characters in the store of texts";
}

}  // namespace
