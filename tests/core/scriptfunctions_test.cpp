// The names of FUNCTION lines, gathered before a script is compiled.
#include <gtest/gtest.h>

#include "core/scriptfunctions.h"

namespace {

using core::functionnamein;

TEST(ScriptFunctions, TheNameOfAFunctionLine) {
  EXPECT_EQ(functionnamein("FUNCTION F(Q)"), "F");
  EXPECT_EQ(functionnamein("   function Twice (A, B)"), "Twice");
  EXPECT_EQ(functionnamein("FuNcTiOn G"), "G");
  EXPECT_EQ(functionnamein("FUNCTION \xC4nd_2(X)"), "\xC4nd_2");
  // no function line
  EXPECT_EQ(functionnamein("FUNCTIONF(Q)"), "");
  EXPECT_EQ(functionnamein("FUNCTION"), "");
  EXPECT_EQ(functionnamein("FUNCTION 3(Q)"), "");
  EXPECT_EQ(functionnamein("X = FUNCTION(2)"), "");
  EXPECT_EQ(functionnamein("SUBROUTINE F(Q)"), "");
  EXPECT_EQ(functionnamein("10 FUNCTION F(Q)"), "");
}

TEST(ScriptFunctions, NamesCompareAsSymbolNames) {
  core::scriptfunctions = {"Twice", "\xE4x"};
  EXPECT_TRUE(core::isscriptfunction("TWICE"));
  EXPECT_TRUE(core::isscriptfunction("twice"));
  EXPECT_TRUE(core::isscriptfunction("\xC4X"));
  EXPECT_FALSE(core::isscriptfunction("TWIC"));
  EXPECT_FALSE(core::isscriptfunction("TWICE2"));
  core::reset_scriptfunctions();
  EXPECT_FALSE(core::isscriptfunction("TWICE"));
}

}  // namespace
