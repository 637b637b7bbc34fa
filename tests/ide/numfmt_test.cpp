// The number display formats of a numeric input field.
#include <gtest/gtest.h>

#include <string>

#include "ide/numfmt.h"

namespace {

std::string format(std::string sample) {
  ide::SETFMT(sample);
  return std::string(ide::fieldfmt.format.trimmed());
}

// The sample's format applied to the value: the text and the result.
std::pair<std::string, int> write(std::string sample, float value) {
  ide::SETFMT(sample);
  const int r = ide::SETFMTWRITE(sample, value);
  return {sample, r};
}

TEST(NumfmtTest, TheSampleGivesTheFormat) {
  EXPECT_EQ(format("1.2345E+02"), "(1PE10.4E2)");
  EXPECT_EQ(format("123.45"), "(F 6.2)");
  EXPECT_EQ(format("42"), "(I 2)");
  EXPECT_EQ(format("   7.0    "), "(F10.5)");
  EXPECT_EQ(format(std::string(99, '9')), "(I99)");
  // No usable format: wider than 99, ten decimals, ten exponent digits, an
  // exponent without a point, a point behind the exponent.
  EXPECT_EQ(format(std::string(100, '9')), "");
  EXPECT_EQ(format("1.0123456789"), "");
  EXPECT_EQ(format("1.0E+0123456789"), "");
  EXPECT_EQ(format("12E+03"), "");
  EXPECT_EQ(format("1E3.5"), "");
}

TEST(NumfmtTest, ValuesAreWrittenInTheSamplesLook) {
  using R = std::pair<std::string, int>;
  EXPECT_EQ(write("42", 3.6F), R(" 4", 0));
  EXPECT_EQ(write("42", -2.5F), R("-3", 0)) << "halves away from zero";
  EXPECT_EQ(write("42", 2.5F), R(" 3", 0));
  EXPECT_EQ(write("12345678", 12345678.0F), R("12345678", 0)) << "from 1.0E7 the text stays";
  EXPECT_EQ(write("42", 9999999.0F), R("**", 1));
  EXPECT_EQ(write("123.45", 3.14159F), R("  3.14", 0));
  EXPECT_EQ(write("123.45", 0.125F), R("  0.13", 0));
  EXPECT_EQ(write("123.45", 12345.0F), R("******", 1));
  EXPECT_EQ(write("1.2345E+02", 98765.4F), R("9.8765E+04", 0));
  EXPECT_EQ(write("1.2345E+02", -0.5F), R("**********", 1));
  EXPECT_EQ(write("1.23E-2", 0.5F), R("5.00E-1", 0));
  EXPECT_EQ(write("12E+03", 7.0F), R("12E+03", 0)) << "no usable format: as typed";
}

}  // namespace
