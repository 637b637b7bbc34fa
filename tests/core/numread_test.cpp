#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "core/numread.h"

using namespace core;

namespace {

template <class T>
struct Got {
  T value = T(-99);
  std::int32_t position = 1;
  std::int32_t status = -1;
};

// Reads the whole text with one of the reading entries.
template <class T, class Entry>
Got<T> read_as(Entry entry, std::string_view text, std::int32_t position = 1) {
  Got<T> r;
  r.position = position;
  entry(text, static_cast<std::int32_t>(text.size()), r.value, r.position, r.status);
  return r;
}

using R8 = Got<double>;
R8 read_r8(std::string_view text, std::int32_t position) {
  return read_as<double>(GETR8N, text, position);
}
Got<float> read_r4(std::string_view text) { return read_as<float>(GETR4N, text); }
Got<std::int32_t> read_i4(std::string_view text) { return read_as<std::int32_t>(GETI4N, text); }
Got<std::int16_t> read_i2(std::string_view text) { return read_as<std::int16_t>(GETI2N, text); }
Got<std::int8_t> read_i1(std::string_view text) {
  return read_as<std::int8_t>([](std::string_view t, std::int32_t n, std::int8_t& v,
                                 std::int32_t& p, std::int32_t& st) { GETI1N(t, n, v, 0, p, st); },
                              text);
}

class NumRead : public ::testing::Test {
 protected:
  void SetUp() override { reset_numread(); }
  void TearDown() override { reset_numread(); }
};

}  // namespace

TEST_F(NumRead, ReadsAndStopsAfterTheNumber) {
  R8 r = read_r8("  -12.5e2x", 1);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.value, -1250.0);
  EXPECT_EQ(r.position, 10);

  const auto i4 = read_i4("  -12.5e2x");
  EXPECT_EQ(i4.value, -12);
  EXPECT_EQ(i4.position, 6);  // the point ends an integer

  r = read_r8("5.", 1);
  EXPECT_EQ(r.value, 5.0);
  EXPECT_EQ(r.position, 2);
  EXPECT_EQ(read_r8(".5", 1).value, 0.5);
  EXPECT_EQ(read_r8("-.5", 1).value, -0.5);
  r = read_r8("1-2", 1);
  EXPECT_EQ(r.value, 1.0);
  EXPECT_EQ(r.position, 2);
  r = read_r8("1.5.3", 1);
  EXPECT_EQ(r.value, 1.5);
  EXPECT_EQ(r.position, 4);
  EXPECT_EQ(read_r8("2E+2", 1).value, 200.0);

  // Only the first n characters are read.
  double v = 0;
  std::int32_t pos = 1, st = -1;
  GETR8N("12345", 3, v, pos, st);
  EXPECT_EQ(v, 123.0);
  EXPECT_EQ(pos, 4);
  // Position 0 reads from the first character.
  r = read_r8("42", 0);
  EXPECT_EQ(r.value, 42.0);
  EXPECT_EQ(r.position, 3);
}

TEST_F(NumRead, ScanModeBySignOfPosition) {
  R8 r = read_r8("abc 7", 1);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.position, 1);
  EXPECT_EQ(r.value, -99.0);
  r = read_r8("abc 7", -1);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.value, 7.0);
  EXPECT_EQ(r.position, -6);

  r = read_r8("1,2", 1);
  EXPECT_EQ(r.value, 1.0);
  EXPECT_EQ(r.position, 2);
  EXPECT_EQ(read_r8("1,2", 2).status, 2);
  r = read_r8("1,2", -2);
  EXPECT_EQ(r.value, 2.0);
  EXPECT_EQ(r.position, -4);

  // A sign or point skipped before a digit does not carry over.
  EXPECT_EQ(read_r8("-.x5", -1).value, 5.0);
  EXPECT_EQ(read_r8(".", 1).status, 2);
  EXPECT_EQ(read_r8("-", 1).status, 2);
  EXPECT_EQ(read_r8("", 1).status, 2);
}

TEST_F(NumRead, Hexadecimal) {
  R8 r = read_r8("0x1F", 1);
  EXPECT_EQ(r.value, 31.0);
  EXPECT_EQ(r.position, 5);
  r = read_r8("0X1F", 1);
  EXPECT_EQ(r.value, 0.0);
  EXPECT_EQ(r.position, 2);
  r = read_r8("-0x1F", 1);
  EXPECT_EQ(r.value, 0.0);
  EXPECT_EQ(r.position, 3);
  r = read_r8("0xff+", 1);
  EXPECT_EQ(r.value, 255.0);
  EXPECT_EQ(r.position, 5);
  EXPECT_EQ(read_r8("0x", 1).status, 0);  // empty run reads 0
}

TEST_F(NumRead, ExponentFaultsAndOverflow) {
  R8 r = read_r8("1E", 1);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.position, 1);  // not moved on a malformed exponent
  EXPECT_EQ(read_r8("1E-", 1).status, 1);
  EXPECT_EQ(read_r8("1E301", 1).status, 1);
  EXPECT_EQ(read_r8("1E300", 1).value, 1.0e300);

  const auto r4 = read_r4("1E300");
  EXPECT_EQ(r4.status, 1);
  EXPECT_EQ(r4.value, 0.0f);
  EXPECT_EQ(r4.position, 6);  // moved: the range test failed

  // A value beyond the 64-bit range fits no target.
  r = read_r8("10000000000E300", 1);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.value, -99.0);
}

TEST_F(NumRead, RangesOfTheTargetKinds) {
  const auto big_i1 = read_i1("300");
  EXPECT_EQ(big_i1.status, 1);
  EXPECT_EQ(big_i1.value, -99);   // untouched
  EXPECT_EQ(big_i1.position, 4);  // moved past the number
  const auto low_byte = read_i1("-200");
  EXPECT_EQ(low_byte.status, 0);
  EXPECT_EQ(low_byte.value, static_cast<std::int8_t>(56));  // low byte of -200

  EXPECT_EQ(read_i2("-32767").value, -32767);
  EXPECT_EQ(read_i2("-32768").status, 1);
  EXPECT_EQ(read_i4("2147483648").status, 1);
  EXPECT_EQ(read_i4("-2147483647").value, -2147483647);

  const auto r4 = read_r4("2147483648");
  EXPECT_EQ(r4.status, 0);
  EXPECT_EQ(r4.value, 2147483648.0f);
  EXPECT_EQ(read_r4("1E-40").value, 1.1e-37f);
  EXPECT_EQ(read_r4("-1E-40").value, -1.1e-37f);
}

TEST_F(NumRead, SmallestKinds) {
  std::int32_t kind = 0;
  const auto kind_of = [&](std::string_view text) {
    read_r8(text, 1);
    SMALLESTKIND(kind);
    return kind;
  };
  EXPECT_EQ(kind_of("255"), kindcode::i1);
  EXPECT_EQ(kind_of("-256"), kindcode::i2);
  EXPECT_EQ(kind_of("70000"), kindcode::i4);
  EXPECT_EQ(kind_of("3000000000"), kindcode::r4);
  EXPECT_EQ(kind_of("7.5"), kindcode::r4);  // a point was taken
  EXPECT_EQ(kind_of("1E39"), kindcode::r8);

  double d = 0;
  std::int32_t st = -1;
  R8TOR8N(7.5, d, st);
  SMALLESTKIND(kind);
  EXPECT_EQ(kind, kindcode::i1);  // the magnitude alone counts
  EXPECT_EQ(d, 7.5);
  R8TOR8N(std::nan(""), d, st);
  EXPECT_EQ(st, 0);
}

TEST_F(NumRead, Conversions) {
  std::int32_t i4 = 0, st = -1;
  R8TOI4N(2.5, i4, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(i4, 3);
  R8TOI4N(-2.5, i4, st);
  EXPECT_EQ(i4, -3);
  R8TOI4N(0.49999999999999994, i4, st);
  EXPECT_EQ(i4, 0);
  R8TOI4N(2147483647.0, i4, st);
  EXPECT_EQ(i4, 2147483647);
  i4 = 5;
  R8TOI4N(std::nan(""), i4, st);
  EXPECT_EQ(st, 1);
  EXPECT_EQ(i4, 5);

  float f = 1;
  R8TOR4N(1e300, f, st);
  EXPECT_EQ(st, 1);
  EXPECT_EQ(f, 0.0f);

  std::int16_t i2 = 0;
  R8TOI2N(32767.4, i2, st);
  EXPECT_EQ(st, 1);
  R8TOI2N(-32766.5, i2, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(i2, -32767);
}

TEST_F(NumRead, StoredRepeatsThePreviousOutcome) {
  std::int32_t pos = 3, st = -1;
  float f = 0;
  GETR4N("STORED  ", 8, f, pos, st);
  EXPECT_EQ(st, 2);  // nothing read yet
  EXPECT_EQ(pos, 3);

  read_r8("7.5", 1);
  GETR4N("STORED", 6, f, pos, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(f, 7.5f);
  EXPECT_EQ(pos, 3);
  std::int32_t i4 = 0;
  GETI4N("STORED", 6, i4, pos, st);
  EXPECT_EQ(st, 1);  // written with a point
  // The repeat keeps what it repeats.
  GETR4N("STORED", 6, f, pos, st);
  EXPECT_EQ(st, 0);

  double d = 0;
  R8TOR8N(7.5, d, st);
  GETI4N("STORED", 6, i4, pos, st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(i4, 8);

  read_r8("1E", 1);
  f = 3;
  GETR4N("STORED", 6, f, pos, st);
  EXPECT_EQ(st, 1);
  EXPECT_EQ(f, 0.0f);
  EXPECT_EQ(read_r8("stored", 1).status, 2);  // exact case only
}

TEST_F(NumRead, DecimalPointAndTerminator) {
  SETDECIMALPOINT(",");
  EXPECT_DOUBLE_EQ(read_r8("3,25", 1).value, 3.25);
  R8 r = read_r8("3.25", 1);
  EXPECT_EQ(r.value, 3.0);
  EXPECT_EQ(r.position, 2);
  SETDECIMALPOINT(".");
  EXPECT_DOUBLE_EQ(read_r8("3.25", 1).value, 3.25);

  double v = 0;
  std::int32_t pos = 1, st = -1;
  const std::string_view chf = "1'234.50 CHF;";
  GETR8NOPTS(chf, 13, v, pos, 2, ";", st);
  EXPECT_EQ(st, 0);
  EXPECT_DOUBLE_EQ(v, 1234.5);
  EXPECT_EQ(pos, 14);
  EXPECT_EQ(numreadstate.terminator, ' ');

  // Walking field by field with a comma decimal point.
  const std::string_view fields = "1;2,5;x;";
  pos = 1;
  GETR8NOPTS(fields, 8, v, pos, 3, ";", st);
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(pos, 3);
  GETR8NOPTS(fields, 8, v, pos, 3, ";", st);
  EXPECT_DOUBLE_EQ(v, 2.5);
  EXPECT_EQ(pos, 7);
  GETR8NOPTS(fields, 8, v, pos, 3, ";", st);
  EXPECT_EQ(st, 0);
  EXPECT_EQ(v, 0.0);  // a field without digits reads 0
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(numchars[10], ',');  // option 1 stays
}

TEST_F(NumRead, ThousandsFieldReader) {
  double v = 0;
  std::int32_t ios = -1;
  GETR8_1000S("1'234'567.5", v, ios);
  EXPECT_EQ(ios, 0);
  EXPECT_EQ(v, 1234567.5);
  GETR8_1000S("   ", v, ios);
  EXPECT_EQ(ios, 0);
  EXPECT_EQ(v, 0.0);
  v = 4;
  GETR8_1000S("12a", v, ios);
  EXPECT_GT(ios, 0);
  EXPECT_EQ(v, 4.0);
}

TEST_F(NumRead, VectorReaders) {
  std::array<double, 5> r8{9, 9, 9, 9, 9};
  const std::string_view lines = "1, 2, &\r\n3\r4";
  std::int32_t pos = 1;
  EXPECT_EQ(R8VECTORREAD(lines, 12, "\r", r8, 5, pos), 3);
  EXPECT_EQ(r8[0], 1.0);
  EXPECT_EQ(r8[2], 3.0);
  EXPECT_EQ(r8[3], 0.0);  // zeroed up to the maximum
  EXPECT_EQ(r8[4], 0.0);
  EXPECT_EQ(pos, 11);  // on the end mark

  std::array<std::int32_t, 3> i4{7, 7, 7};
  pos = 1;
  EXPECT_EQ(I4VECTORREAD("3;4", 3, ";", i4, 1, pos), 1);
  EXPECT_EQ(i4[0], 3);
  EXPECT_EQ(i4[1], 7);  // beyond the maximum: untouched
  pos = 1;
  EXPECT_EQ(I4VECTORREAD("x", 1, ";", i4, 3, pos), 0);
  EXPECT_EQ(i4[0], 3);  // nothing read: untouched
  pos = 1;
  EXPECT_EQ(I4VECTORREAD("5 6 7 8", 7, ";", i4, 10, pos), 3);  // bounded by the array
  EXPECT_EQ(i4[2], 7);
  pos = 1;
  // Any one character separates: the point that ends an integer too.
  EXPECT_EQ(I4VECTORREAD("1,2.5,3", 7, ";", i4, 3, pos), 3);
  EXPECT_EQ(i4[2], 5);
}
