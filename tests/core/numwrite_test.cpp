#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/numwrite.h"

using namespace core;

namespace {

// The number as WTSID8 writes it into a field of the given length, with
// trailing blanks removed.
std::string wt(double v, std::size_t len = 23, int flag = 0) {
  std::string s(len, '#');
  WTSID8(s, v, flag);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string kommas(std::string text, std::int32_t& used) {
  INSERT1000KOMMAS(text, used);
  return text;
}

struct Written {
  std::string text;
  std::int32_t used = -1;
  std::int32_t status = -1;
};

Written writefmt(std::size_t n, std::string_view fmt, std::vector<double> values,
                 std::string_view labels = "") {
  Written w;
  w.text.assign(n, '#');
  WRITEFMT(w.text, fmt, labels, values, w.used, w.status);
  return w;
}

}  // namespace

TEST(NumWrite, ShortestFormInTheFullField) {
  EXPECT_EQ(wt(1.5), "1.5");
  EXPECT_EQ(wt(100), "100");
  EXPECT_EQ(wt(1e12), "1000000000000");
  EXPECT_EQ(wt(1e13), "1E13");
  EXPECT_EQ(wt(1.5e20), "1.5E20");
  EXPECT_EQ(wt(-2.5e-7), "-2.5E-7");
  EXPECT_EQ(wt(0.0012), "0.0012");
  EXPECT_EQ(wt(0.001), "0.001");
  EXPECT_EQ(wt(0.00012), "1.2E-4");
  EXPECT_EQ(wt(1e-5), "1E-5");  // stored below 1E-5: the mantissa rounds to 10
  EXPECT_EQ(wt(0), "0");
  EXPECT_EQ(wt(-0.0), "0");
  EXPECT_EQ(wt(1.0 / 3), "0.33333333333333");
  EXPECT_EQ(wt(-2.0 / 3), "-0.66666666666667");
  EXPECT_EQ(wt(123456789.123), "123456789.123");
  EXPECT_EQ(wt(9.999999999999998), "10");
  EXPECT_EQ(wt(std::numeric_limits<double>::max()), "1.797693134862316E308");
  EXPECT_EQ(wt(-std::numeric_limits<double>::denorm_min()), "-4.940656458412465E-324");
}

TEST(NumWrite, NarrowFields) {
  EXPECT_EQ(wt(1234.5678, 8), "1234.568");
  EXPECT_EQ(wt(12345.6, 5), "12346");
  EXPECT_EQ(wt(0.00123, 4), "1E-3");
  EXPECT_EQ(wt(1e20, 3), "***");
  EXPECT_EQ(wt(99999.6, 5), "1E5");  // the integer would need six digits
  EXPECT_EQ(wt(0.125, 4), "0.13");   // exact tie, away from zero
  EXPECT_EQ(wt(-0.125, 5), "-0.13");
  EXPECT_EQ(wt(2.5, 1), "3");
  EXPECT_EQ(wt(0.5, 1), "*");
  EXPECT_EQ(wt(1.5, 0), "");
  // Only 23 characters receive the number; the rest is blank.
  std::string s(30, '#');
  WTSID8(s, 1.0 / 3, 0);
  EXPECT_EQ(s.substr(16), std::string(14, ' '));
}

TEST(NumWrite, SpecialValues) {
  EXPECT_EQ(wt(std::nan("")), "NaN");
  EXPECT_EQ(wt(std::nan(""), 23, 1), "NaN");
  EXPECT_EQ(wt(std::numeric_limits<double>::infinity()), "Inf");
  EXPECT_EQ(wt(-std::numeric_limits<double>::infinity(), 2), "-I");
}

TEST(NumWrite, ThousandsSeparators) {
  EXPECT_EQ(wt(1234567, 23, 1), "1'234'567");
  EXPECT_EQ(wt(-123456, 23, 1), "-123'456");
  EXPECT_EQ(wt(-1234, 23, 1), "-1'234");
  EXPECT_EQ(wt(-123, 23, 1), "-123");
  EXPECT_EQ(wt(1234567.5, 23, 1), "1234567.5");
  EXPECT_EQ(wt(1e13, 23, 1), "1E13");
  EXPECT_EQ(wt(1234567, 8, 1), "1234'567");  // as many as there is room for

  std::int32_t used = 0;
  EXPECT_EQ(kommas("123456   ", used), "123'456  ");
  EXPECT_EQ(used, 7);
  EXPECT_EQ(kommas("-123456  ", used), "-123'456 ");
  EXPECT_EQ(kommas("1234567 ", used), "1234'567");
  EXPECT_EQ(kommas("******   ", used), "******   ");
  EXPECT_EQ(used, 6);
  EXPECT_EQ(kommas("         ", used), "         ");
  EXPECT_EQ(used, 0);
}

TEST(NumWrite, ArraySliceReportsItsUsedLength) {
  std::string s(30, '#');
  std::int32_t used = -1;
  C1WTSID8(s, 12.5, 0, used);
  EXPECT_EQ(used, 4);
  C1WTSID8(s, 1234567, 1, used);
  EXPECT_EQ(used, 9);
  std::string three(3, '#');
  C1WTSID8(three, 1e20, 0, used);
  EXPECT_EQ(used, 3);
}

TEST(NumWrite, FormatsWriteValues) {
  Written w = writefmt(10, "(F8.2)", {3.14159});
  EXPECT_EQ(w.text, "    3.14  ");
  EXPECT_EQ(w.used, 8);
  EXPECT_EQ(w.status, 0);
  EXPECT_EQ(writefmt(10, "(2I5)", {2.5, -2.5}).text, "    3   -3");
  EXPECT_EQ(writefmt(8, "(I3,' cm')", {4}).text, "  4 cm  ");
  EXPECT_EQ(writefmt(8, "(I3,' cm', I3)", {4}).text, "  4 cm  ");  // stops at I3
  EXPECT_EQ(writefmt(8, "(2(I2,'|'))", {1, 2}).text, " 1| 2|  ");
  EXPECT_EQ(writefmt(8, "(I2,2X,I2)", {1, 2}).text, " 1   2  ");
  EXPECT_EQ(writefmt(8, "(Z8)", {-1}).text, "FFFFFFFF");
  EXPECT_EQ(writefmt(8, "(B4, O3)", {5, 8}).text, " 101 10 ");
  EXPECT_EQ(writefmt(8, "(E10.3)", {1234.5}).text, " 0.123E+");  // cut at n
  EXPECT_EQ(writefmt(6, "(I5)", {3e9}).text, "***** ");
  EXPECT_EQ(writefmt(12, "('it''s',I2)", {1}).text, "it's 1      ");
  // Integer and real descriptors may be mixed; letters inside literals
  // do not count as descriptors.
  EXPECT_EQ(writefmt(10, "(I3,F6.2)", {2.5, 2.5}).text, "  3  2.50 ");
  EXPECT_EQ(writefmt(14, "(F5.2,' Zoo')", {1.5}).text, " 1.50 Zoo     ");
}

TEST(NumWrite, FormatFaults) {
  Written w = writefmt(6, "(I3)", {1, 2});
  EXPECT_EQ(w.status, fmt_record);
  EXPECT_EQ(w.text, "  1   ");
  EXPECT_EQ(writefmt(6, "(I3/I3)", {1, 2}).status, fmt_record);
  EXPECT_EQ(writefmt(6, "(Q5)", {1}).status, fmt_bad);
  EXPECT_EQ(writefmt(6, "(I3", {1}).status, fmt_bad);
  EXPECT_EQ(writefmt(6, "('abc)", {1}).status, fmt_bad);
  EXPECT_EQ(writefmt(6, "(((((((((I3)))))))))", {1}).status, fmt_bad);
  EXPECT_EQ(writefmt(6, "((((((((I3))))))))", {1}).status, fmt_ok);
}

TEST(NumWrite, PointBeforeBlankIsBlanked) {
  Written w = writefmt(12, "(2F5.0)", {3, 4});
  EXPECT_EQ(w.text, "   3    4   ");
  EXPECT_EQ(w.used, 9);
  EXPECT_EQ(writefmt(5, "(F5.0)", {3}).text, "   3.");  // no blank after it
}

TEST(NumWrite, LabelsReplaceFields) {
  Written w = writefmt(20, "(3F6.1)", {1, 2, 3}, "a;bb;ccc");
  EXPECT_EQ(w.text, "     a    bb   ccc  ");
  EXPECT_EQ(w.used, 18);
  EXPECT_EQ(writefmt(18, "(3F6.1)", {1, 2, 3}, "  x  y").text, "     x     y   3.0");
  EXPECT_EQ(writefmt(12, "(2F6.1)", {1, 2}, "\tlong\tb").text, "  long     b");
  EXPECT_EQ(writefmt(12, "(2F6.1)", {1, 2}, ";toolonglabel").text, "toolon   2.0");
  EXPECT_EQ(writefmt(12, "(2F6.1)", {1, 2}, "x").text, "   1.0   2.0");  // one character
}
