#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "platform/numedit.h"

using plat::edit_exp;
using plat::edit_fixed;
using plat::edit_int;
using plat::edit_radix;
using plat::read_real_field;

TEST(NumEdit, FixedRoundsTheExactBinaryValueHalfAwayFromZero) {
  EXPECT_EQ(edit_fixed(0.125, 5, 2), " 0.13");  // exact tie
  EXPECT_EQ(edit_fixed(-0.125, 5, 2), "-0.13");
  EXPECT_EQ(edit_fixed(0.375, 0, 2), "0.38");
  EXPECT_EQ(edit_fixed(2.675, 4, 2), "2.67");  // stored just below 2.675
  EXPECT_EQ(edit_fixed(1.005, 0, 2), "1.00");  // stored just below 1.005
  EXPECT_EQ(edit_fixed(2.5, 2, 0), "3.");
  EXPECT_EQ(edit_fixed(0.5, 0, 0), "1.");
  EXPECT_EQ(edit_fixed(9.995, 0, 2), "9.99");    // stored below the tie
  EXPECT_EQ(edit_fixed(9.9951, 5, 2), "10.00");  // carry into a new digit
  EXPECT_EQ(edit_fixed(0.1, 0, 20), "0.10000000000000000555");
}

TEST(NumEdit, FixedFieldLayout) {
  EXPECT_EQ(edit_fixed(3.14159, 8, 3), "   3.142");
  EXPECT_EQ(edit_fixed(3.0, 5, 0), "   3.");
  EXPECT_EQ(edit_fixed(0.5, 4, 2), "0.50");
  EXPECT_EQ(edit_fixed(0.5, 3, 2), ".50");  // no room for the zero
  EXPECT_EQ(edit_fixed(-0.5, 4, 2), "-.50");
  EXPECT_EQ(edit_fixed(123.4, 4, 1), "****");
  EXPECT_EQ(edit_fixed(-1.0, 4, 2), "****");
  EXPECT_EQ(edit_fixed(-0.001, 5, 2), " 0.00");  // rounds to zero: no sign
  EXPECT_EQ(edit_fixed(0.0, 0, 1), "0.0");
  EXPECT_EQ(edit_fixed(-0.0, 4, 1), " 0.0");
  EXPECT_EQ(edit_fixed(1e22, 0, 0), "10000000000000000000000.");
  EXPECT_EQ(edit_fixed(1e23, 0, 0), "99999999999999991611392.");
  const std::string big = edit_fixed(std::numeric_limits<double>::max(), 0, 1);
  EXPECT_EQ(big.size(), 311u);
  EXPECT_EQ(big.substr(0, 17), "17976931348623157");
  const std::string tiny = edit_fixed(std::numeric_limits<double>::denorm_min(), 0, 330);
  EXPECT_EQ(tiny.substr(0, 10), "0.00000000");
  EXPECT_EQ(tiny.substr(325, 7), "4940656");
}

TEST(NumEdit, SpecialValues) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(edit_fixed(inf, 5, 1), "  Inf");
  EXPECT_EQ(edit_fixed(-inf, 0, 1), "-Inf");
  EXPECT_EQ(edit_fixed(-inf, 3, 1), "***");
  EXPECT_EQ(edit_exp(std::nan(""), 4, 2), " NaN");
}

TEST(NumEdit, ExponentForm) {
  EXPECT_EQ(edit_exp(1234.5, 10, 3), " 0.123E+04");
  EXPECT_EQ(edit_exp(1235.0, 10, 3), " 0.124E+04");  // 0.1235 tie goes up
  EXPECT_EQ(edit_exp(9.9996, 10, 3), " 0.100E+02");  // carry raises the exponent
  EXPECT_EQ(edit_exp(0.0, 10, 3), " 0.000E+00");
  EXPECT_EQ(edit_exp(-1.5, 9, 3), "-.150E+01");
  EXPECT_EQ(edit_exp(-1.5, 0, 3), "-0.150E+01");
  EXPECT_EQ(edit_exp(0.00012, 10, 2), "  0.12E-03");
  EXPECT_EQ(edit_exp(1e-100, 10, 3), " 0.100E-99");
  EXPECT_EQ(edit_exp(1e200, 10, 3), " 0.100+201");
  EXPECT_EQ(edit_exp(5e-324, 0, 3), "0.494-323");
  EXPECT_EQ(edit_exp(1.0, 5, 3), "*****");
  EXPECT_EQ(edit_exp(1.0, 8, 0), "********");
}

TEST(NumEdit, IntegerAndRadix) {
  EXPECT_EQ(edit_int(-42, 5), "  -42");
  EXPECT_EQ(edit_int(12345, 4), "****");
  EXPECT_EQ(edit_int(0, 0), "0");
  EXPECT_EQ(edit_int(std::numeric_limits<std::int64_t>::min(), 0), "-9223372036854775808");
  EXPECT_EQ(edit_radix(255, 16, 4), "  FF");
  EXPECT_EQ(edit_radix(5, 2, 0), "101");
  EXPECT_EQ(edit_radix(8, 8, 1), "*");
  EXPECT_EQ(edit_radix(0xFFFFFFFFu, 16, 0), "FFFFFFFF");
}

TEST(NumEdit, ReadsOneFixedPointField) {
  double v = -1;
  EXPECT_EQ(read_real_field("  1 2 3 ", 80, 0, v), 0);
  EXPECT_EQ(v, 123.0);  // blanks are not significant
  EXPECT_EQ(read_real_field("", 80, 0, v), 0);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(read_real_field("-1.5e3", 80, 0, v), 0);
  EXPECT_EQ(v, -1500.0);
  EXPECT_EQ(read_real_field("1.5D+2", 80, 0, v), 0);
  EXPECT_EQ(v, 150.0);
  EXPECT_EQ(read_real_field("2-3", 80, 0, v), 0);
  EXPECT_EQ(v, 0.002);
  EXPECT_EQ(read_real_field("+1+5", 80, 0, v), 0);
  EXPECT_EQ(v, 1e5);
  EXPECT_EQ(read_real_field("0.1", 80, 0, v), 0);
  EXPECT_EQ(v, 0.1);  // correctly rounded
  EXPECT_EQ(read_real_field(".5", 80, 0, v), 0);
  EXPECT_EQ(v, 0.5);
  EXPECT_EQ(read_real_field("123", 80, 2, v), 0);
  EXPECT_EQ(v, 1.23);  // implied decimals without a point
  EXPECT_EQ(read_real_field("12345", 3, 0, v), 0);
  EXPECT_EQ(v, 123.0);  // only the field's width is read
  EXPECT_EQ(read_real_field("1e-400", 80, 0, v), 0);
  EXPECT_EQ(v, 0.0);
}

TEST(NumEdit, MalformedFieldsLeaveTheValue) {
  for (const char* bad : {"12a", "1E", "1E+", ".", "+", "1.2.3", "e5", "1e5x", "--1"}) {
    double v = 7.0;
    EXPECT_GT(read_real_field(bad, 80, 0, v), 0) << bad;
    EXPECT_EQ(v, 7.0) << bad;
  }
  double v = 7.0;
  EXPECT_EQ(read_real_field("1e400", 80, 0, v), plat::numfield_overflow);
  EXPECT_EQ(read_real_field("1e99999999999999999999", 80, 0, v), plat::numfield_overflow);
  EXPECT_EQ(v, 7.0);
}

// Each limit of the direct editing and reading, by one on either side: nine
// and ten decimals, the largest number below 2^63 and 2^63, fifteen and
// sixteen significant digits, a scale of 10^22 and 10^23.
TEST(NumEdit, TheLimitsOfTheDirectRoadsGiveWhatTheExactRoadGives) {
  EXPECT_EQ(edit_fixed(0.0000000005, 0, 9), "0.000000001");  // just above the tie
  EXPECT_EQ(edit_fixed(0.00000000005, 0, 10), "0.0000000001");
  EXPECT_EQ(edit_fixed(-0.125, 0, 9), "-0.125000000");
  EXPECT_EQ(edit_fixed(9223372036854774784.0, 0, 1), "9223372036854774784.0");
  EXPECT_EQ(edit_fixed(9223372036854775808.0, 0, 1), "9223372036854775808.0");
  EXPECT_EQ(edit_fixed(4503599627370495.5, 0, 0), "4503599627370496.");  // a tie with 2^-1
  EXPECT_EQ(edit_fixed(std::ldexp(1.0, -126), 0, 9), "0.000000000");
  EXPECT_EQ(edit_fixed(0.96, 3, 1), "1.0");
  EXPECT_EQ(edit_fixed(0.04, 2, 1), ".0");
  double v = 0;
  EXPECT_EQ(read_real_field("123456789012345", 80, 0, v), 0);
  EXPECT_EQ(v, 123456789012345.0);
  EXPECT_EQ(read_real_field("9007199254740993", 80, 0, v), 0);
  EXPECT_EQ(v, 9007199254740992.0);  // sixteen digits: correctly rounded
  EXPECT_EQ(read_real_field("-00000000000000000001.5", 80, 0, v), 0);
  EXPECT_EQ(v, -1.5);  // leading zeros are not significant
  EXPECT_EQ(read_real_field(".0000000000000000000001", 80, 0, v), 0);
  EXPECT_EQ(v, 1e-22);
  EXPECT_EQ(read_real_field(".00000000000000000000001", 80, 0, v), 0);
  EXPECT_EQ(v, 1e-23);
  EXPECT_EQ(read_real_field("3", 80, -22, v), 0);
  EXPECT_EQ(v, 3e22);
  EXPECT_EQ(read_real_field("3", 80, -23, v), 0);
  EXPECT_EQ(v, 3e23);
  EXPECT_EQ(read_real_field(" - 0 . 0 ", 80, 0, v), 0);
  EXPECT_TRUE(std::signbit(v));
}

namespace {

// The correctly rounded value of a field of digits, a sign and a point (d
// implied decimals without a point), blanks dropped: the reference for the
// reader's direct road.
double exactvalue(const std::string& field, int d) {
  std::string s;
  for (const char c : field)
    if (c != ' ' && c != '+') s += c;
  if (s.find('.') == std::string::npos) s += "e-" + std::to_string(d);
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

}  // namespace

// A field edited in place holds exactly what edit_fixed makes for its width
// (stars, the optional zero, a minus sign of a value rounding to zero), and
// a value it leaves to edit_fixed leaves the field as it was. Read back, with
// its point or without it, with blanks among its digits or not, it gives
// the correctly rounded value of its digits.
TEST(NumEdit, FixedInPlaceGivesWhatTheEditorGives) {
  std::mt19937_64 rng(62);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> scale(-12, 21), width(1, 24), decimals(0, 11);
  const double specials[] = {0.0,
                             -0.0,
                             0.04,
                             0.96,
                             -0.004,
                             0.125,
                             2.675,
                             9.5,
                             -9.5,
                             9223372036854775808.0,
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
  for (int n = 0; n < 200000; ++n) {
    // (Every fourth a binary fraction: halves at the last decimal kept.)
    const double v =
        n < 12 * 24 ? specials[n % 12]
        : n % 4 == 0
            ? std::ldexp(static_cast<double>(static_cast<std::int64_t>(rng() % 2000001) - 1000000),
                         -static_cast<int>(rng() % 31))
            : mantissa(rng) * std::pow(10.0, scale(rng));
    const int w = n < 12 * 24 ? 1 + n / 12 : width(rng);
    const int d = decimals(rng) % (w + 1);
    std::string field(static_cast<std::size_t>(w), '#');
    if (plat::edit_fixed_into(v, d, field)) {
      ASSERT_EQ(field, edit_fixed(v, w, d)) << v << " F" << w << "." << d;
      // (Stars, and a point alone, F1.0 of zero, do not read.)
      if (field.find_first_of("0123456789") == std::string::npos) continue;
      std::string back = field;
      if (n % 3 == 1) back.erase(back.find('.'), 1);
      if (n % 5 == 2) back.insert(rng() % (back.size() + 1), 1, ' ');
      if (n % 7 == 3 && back.find('-') == std::string::npos) back.insert(0, 1, '+');
      double got = -1;
      ASSERT_EQ(read_real_field(back, static_cast<int>(back.size()), d, got), 0) << back;
      const double want = exactvalue(back, d);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want))
          << "'" << back << "' d=" << d;
    } else {
      ASSERT_EQ(field, std::string(static_cast<std::size_t>(w), '#')) << v;
      ASSERT_TRUE(d > 9 || !std::isfinite(v) || std::fabs(v) >= 9223372036854775808.0) << v;
    }
  }
}
