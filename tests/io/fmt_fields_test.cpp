// The fixed-field conversions of one descriptor and the standard formats
// over a record: every descriptor in both directions at its edges.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/fixedfield.h"
#include "platform/stdformat.h"

using namespace plat;

namespace {

EditDesc desc(std::string_view text) {
  EditDesc d;
  std::size_t pos = 0;
  EXPECT_TRUE(parse_edit_desc(text, pos, d)) << text;
  EXPECT_EQ(pos, text.size()) << text;
  return d;
}

std::string real(double v, std::string_view d) { return put_real(v, desc(d)); }
std::string integer(std::int64_t v, std::string_view d, int bits = 64) {
  return put_integer(v, desc(d), bits);
}

}  // namespace

TEST(FixedFields, IntegersInEveryBaseAtTheirEdges) {
  struct Case {
    std::int64_t v;
    const char* d;
    const char* out;
  } cases[] = {
      {42, "I5", "   42"},
      {7, "I5.3", "  007"},
      {12345, "I3", "***"},
      {-12, "I0", "-12"},
      {0, "I4.0", "    "},
      {-99, "I3", "-99"},
      {-100, "I3", "***"},
      {10, "i10.1", "        10"},
      {255, "z8.1", "      FF"},
      {5, "B8", "     101"},
      {8, "O3", " 10"},
      {-1, "Z4", "****"},
      {-1, "Z16", "FFFFFFFFFFFFFFFF"},
      {7, "I2.3", "**"},
      {INT64_MIN, "I0", "-9223372036854775808"},
      {-7, "I6.4", " -0007"},
      {-1, "B64", "1111111111111111111111111111111111111111111111111111111111111111"},
      {INT64_MIN, "O0", "1000000000000000000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(integer(c.v, c.d), c.out) << c.d << " " << c.v;
  EXPECT_EQ(integer(-1, "Z8", 32), "FFFFFFFF");
  int st = -1;
  EXPECT_EQ(put_integer(1, desc("F5.1"), 64, &st), "");
  EXPECT_EQ(st, field_unsuited);
}

TEST(FixedFields, RealsInFixedExponentAndGeneralForm) {
  struct Case {
    double v;
    const char* d;
    const char* out;
  } cases[] = {
      {3.14159, "F8.3", "   3.142"},
      {3, "F5.0", "   3."},
      {0.125, "F4.2", "0.13"},  // the exact tie goes away from zero
      {-0.001, "F5.2", " 0.00"},
      {99.96, "F4.1", "****"},
      {1234.5, "E10.3", " 0.123E+04"},
      {1234.5, "E12.4E3", " 0.1235E+004"},
      {1e100, "E9.2E1", "*********"},
      {1e-120, "E10.3", " 0.100-119"},
      {1234.5, "D10.3", " 0.123D+04"},
      {1234.5, "ES10.3", " 1.235E+03"},
      {0, "ES9.2", " 0.00E+00"},
      {12345, "EN10.3", "12.345E+03"},
      {999.9996, "EN10.3", " 1.000E+03"},
      {-0.0012, "EN11.2", "  -1.20E-03"},
      {1.5, "G13.5", "   1.5000    "},
      {123456, "G13.5", "  0.12346E+06"},
      {99999.5, "G12.5", " 0.10000E+06"},
      {99999.4, "G12.5", "  99999.    "},
      {0.05, "G13.5", "  0.50000E-01"},
      {0.099999, "G12.4", "  0.1000    "},
      {0, "G20.9", "      0.00000000    "},
      {1.5, "g13.5E3", "  1.5000     "},
      {NAN, "F6.2", "   NaN"},
      {-INFINITY, "E3.1", "***"},
  };
  for (const Case& c : cases) EXPECT_EQ(real(c.v, c.d), c.out) << c.d << " " << c.v;
  // E, D and G need decimals, and so does F with a width.
  for (const char* d : {"F8", "E8", "G8", "I5", "A5"}) {
    int st = -1;
    EXPECT_EQ(put_real(1, desc(d), &st), "") << d;
    EXPECT_EQ(st, field_unsuited) << d;
  }
}

TEST(FixedFields, LogicalsAndTexts) {
  EXPECT_EQ(put_logical(true, desc("L5")), "    T");
  EXPECT_EQ(put_logical(false, desc("L")), "F");
  EXPECT_EQ(put_text("abc", desc("A5")), "  abc");
  EXPECT_EQ(put_text("abc", desc("A2")), "ab");
  EXPECT_EQ(put_text("abc", desc("A")), "abc");
  bool b = false;
  EXPECT_EQ(get_logical("  .true.", b), field_ok);
  EXPECT_TRUE(b);
  EXPECT_EQ(get_logical(" f", b), field_ok);
  EXPECT_FALSE(b);
  EXPECT_EQ(get_logical("   ", b), field_malformed);
  EXPECT_EQ(get_logical(" x", b), field_malformed);
  std::string t(4, '#');
  get_text("abcdef", t);
  EXPECT_EQ(t, "cdef");  // a longer field gives its rightmost characters
  get_text("ab", t);
  EXPECT_EQ(t, "ab  ");
}

TEST(FixedFields, ReadingNumbersIgnoresBlanks) {
  std::int64_t i = -5;
  EXPECT_EQ(get_integer(" 1 2 ", desc("I5"), i), field_ok);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(get_integer("     ", desc("I5"), i), field_ok);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(get_integer("  -  ", desc("I5"), i), field_malformed);
  EXPECT_EQ(get_integer(" - 1 2", desc("I6"), i), field_ok);  // blanks after the sign too
  EXPECT_EQ(i, -12);
  EXPECT_EQ(get_integer("1 -2", desc("I4"), i), field_malformed);
  EXPECT_EQ(get_integer("12a", desc("I3"), i), field_malformed);
  EXPECT_EQ(get_integer("ff", desc("Z2"), i), field_ok);
  EXPECT_EQ(i, 255);
  EXPECT_EQ(get_integer("102", desc("B3"), i), field_malformed);
  EXPECT_EQ(get_integer("-9223372036854775808", desc("I20"), i), field_ok);
  EXPECT_EQ(i, INT64_MIN);
  EXPECT_EQ(get_integer("9223372036854775808", desc("I19"), i), field_overflow);
  EXPECT_EQ(get_integer("FFFFFFFFFFFFFFFF", desc("Z16"), i), field_ok);
  EXPECT_EQ(i, -1);
  EXPECT_EQ(get_integer("10000000000000000", desc("Z17"), i), field_overflow);
  double r = -5;
  EXPECT_EQ(get_real("  1234  ", desc("F8.2"), r), field_ok);
  EXPECT_EQ(r, 12.34);  // without a point the last two digits are decimals
  EXPECT_EQ(get_real(" 1.5e3", desc("E6.1"), r), field_ok);
  EXPECT_EQ(r, 1500);
  EXPECT_EQ(get_real("-inf", desc("G4.0"), r), field_ok);
  EXPECT_EQ(r, -INFINITY);
  EXPECT_EQ(get_real(" NaN", desc("F4.0"), r), field_ok);
  EXPECT_TRUE(std::isnan(r));
  EXPECT_EQ(get_real(" + i nf", desc("F7.0"), r), field_ok);
  EXPECT_EQ(r, INFINITY);
  EXPECT_EQ(get_real("- 2 5", desc("F5.1"), r), field_ok);
  EXPECT_EQ(r, -2.5);
  r = 7;
  EXPECT_EQ(get_real("abc", desc("F3.0"), r), field_malformed);
  EXPECT_EQ(r, 7);
  EXPECT_EQ(get_real("1e999", desc("F5.0"), r), field_overflow);
  EXPECT_EQ(get_real("1", desc("I1"), r), field_unsuited);
}

TEST(StdFormats, RecordsReadAndWritten) {
  std::string out;
  std::vector<StdItem> w(4);
  w[0].kind = StdItem::Kind::integer;
  w[0].i = 42;
  w[1].r = 2.5;
  w[2].kind = StdItem::Kind::text;
  w[2].text = "ab";
  w[3].kind = StdItem::Kind::logical;
  w[3].l = true;
  EXPECT_EQ(std_write("(I4, 2X, F6.2, ' |', A3, L2)", w, out), stdfmt_ok);
  EXPECT_EQ(out, "  42    2.50 | ab T");
  out.clear();
  EXPECT_EQ(std_write("(I4)", std::span(w).first(1), out), stdfmt_ok);
  EXPECT_EQ(std_write("(F4)", std::span(w).subspan(1, 1), out), stdfmt_bad);
  EXPECT_EQ(std_write("(I2,Q)", w, out), stdfmt_bad);
  EXPECT_EQ(std_write("('x')", w, out), stdfmt_bad);  // no descriptor for the items

  std::string text(5, '#');
  std::vector<StdItem> r(3);
  r[0].kind = StdItem::Kind::number;
  r[1].kind = StdItem::Kind::number;
  r[2].kind = StdItem::Kind::text;
  r[2].out = text;
  EXPECT_EQ(std_read("(Z2,1X,F5.1,A)", "ff  12.5hello world", r), stdfmt_ok);
  EXPECT_EQ(r[0].r, 255);
  EXPECT_EQ(r[1].r, 12.5);
  EXPECT_EQ(text, "hello");
  // A short record counts as blank padded; a bad field stops the read.
  EXPECT_EQ(std_read("(I2,F5.1,A)", "7", r), stdfmt_ok);
  EXPECT_EQ(r[0].r, 7);
  EXPECT_EQ(r[1].r, 0);
  EXPECT_EQ(std_read("(I2,I2)", "1 x", r), stdfmt_malformed);
  EXPECT_EQ(std_read("(I2/I2)", "1 2 ", r), stdfmt_record);
  EXPECT_EQ(std_read("(I0)", "1", r), stdfmt_bad);
}
