// Conditions and expressions that hold more than one value: a word with
// dots that is no relation (.OR., .AND., .NOT.) is read as a text, and the
// statement must then fail to compile instead of deciding on one of its
// values.
#include <gtest/gtest.h>

#include <string>

#include "exec/script_runner.h"

namespace {

class Conditions : public ::testing::Test {
 protected:
  void SetUp() override { scriptrun::start(); }
  void TearDown() override { scriptrun::finish(); }
};

TEST_F(Conditions, LeftOverValuesInAConditionOrAssignmentDoNotCompile) {
  const std::string got = scriptrun::compile(
      "A = 1\r\n"
      "IF (A > 0 .OR. A > 5) B = 1\r\n"
      "IF (A > 0 .AND. A < 5) THEN\r\n"
      "ELSEIF (.NOT. A) THEN\r\n"
      "ENDIF\r\n"
      "C = A .AND. B\r\n"
      "END\r\n");
  EXPECT_EQ(got.rfind("compile stop=32767 line=2 key=xeq2Trans\n", 0), 0u) << got;
  EXPECT_NE(got.find("   1    2 IF (A > 0 .OR. A > 5)"), std::string::npos) << got;
  EXPECT_NE(got.find("   2    3 IF (A > 0 .AND."), std::string::npos) << got;
  EXPECT_NE(got.find("   3    4 ELSEIF"), std::string::npos) << got;
  EXPECT_NE(got.find("an operator or comma is missing"), std::string::npos)
      << got;
  EXPECT_NE(got.find("   4    6 C = A .AND. B"), std::string::npos) << got;
  EXPECT_EQ(got.find("    5 ENDIF"), std::string::npos) << got;
}

TEST_F(Conditions, ConditionsOfOneValueCompile) {
  EXPECT_EQ(scriptrun::compile("A = 1\r\n"
                               "CHARACTER S*2\r\n"
                               "IF (A) B = 1\r\n"
                               "IF (MAX(A, 2, 3) > 1) B = 2\r\n"
                               "IF (IAND(A < 2, A > 0)) B = 3\r\n"
                               "IF (S == 'ab') B = 4\r\n"
                               "IF ((A + 1) * 2 >= 4) THEN\r\n"
                               "ELSEIF (A .NE. 3) THEN\r\n"
                               "ELSE\r\n"
                               "ENDIF\r\n"
                               "END\r\n"),
            "");
}

}  // namespace
