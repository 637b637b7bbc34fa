#include "exec/struct.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/varnamevalue.h"
#include "exec/optdispatch.h"
#include "struct_fixture.h"

namespace {

using namespace core;
using core::OptStmt;

class Struct : public builtintest::Script {
 protected:
  std::int32_t num(const std::string& nm, double v) {
    EXPECT_EQ(compile(nm + " = 0"), 0);
    const std::int32_t s = sym(nm);
    z(s) = v;
    return s;
  }
  std::int32_t chars(const std::string& nm, int len) {
    EXPECT_EQ(compile("CHARACTER " + nm + "*" + std::to_string(len)), 0);
    return sym(nm);
  }
  std::int32_t st(const std::string& line) { return run(OptStmt::STRUCT, line); }
  static std::string bytes(std::int32_t s, int from, int n) { return text(s).substr(from, n); }
  static std::string le(const void* p, int n) {
    return std::string(static_cast<const char*>(p), n);
  }
};

TEST_F(Struct, WritesFieldsLittleEndianAndReturnsTheLength) {
  const std::int32_t rec = chars("REC", 12);
  const std::int32_t a = num("A", -2.5), b = num("B", 1.5);
  st("REC = STRUCT(I4=A, R8=B)");
  EXPECT_EQ(key(), "");
  EXPECT_EQ(result(), 12.0);
  const std::int32_t i4 = -3;  // halves away from zero
  const double r8 = 1.5;
  EXPECT_EQ(bytes(rec, 0, 4), le(&i4, 4));
  EXPECT_EQ(bytes(rec, 4, 8), le(&r8, 8));
  // The layout: its symbol, fields and owner.
  const std::int32_t l = name(rec).layout;
  ASSERT_GT(l, 0);
  EXPECT_EQ(symbolname(l), ":REC");
  std::int32_t out = 0;
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 0, out), -999);
  EXPECT_EQ(out, 2);
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 1, out), exec::structkw::i4);
  EXPECT_EQ(out, a);
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 2, out), exec::structkw::r8);
  EXPECT_EQ(out, b);
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 3, out), 0);
  EXPECT_EQ(exec::STRUCTELEMENT(a, 0, out), 0);  // no record

  // An 11-character storage is too short for 12 bytes.
  const std::int32_t r11 = chars("R11", 11);
  st("R11 = STRUCT(I4=A, R8=B)");
  EXPECT_EQ(key(), "structTooShort");
  EXPECT_EQ(iostatw[1], 12);
  EXPECT_EQ(failedline.trimmed(), "R11");
  EXPECT_EQ(text(r11), std::string(11, ' '));
}

TEST_F(Struct, RedefiningReusesTheLayoutSymbol) {
  const std::int32_t rec = chars("REC", 12);
  num("A", 1);
  num("B", 2);
  num("C", 3);
  st("REC = STRUCT(I4=A, R8=B)");
  const std::int32_t l = name(rec).layout, symbols = nsym;
  st("REC = STRUCT(I4=A, R8=B)");
  EXPECT_EQ(name(rec).layout, l);
  EXPECT_EQ(nsym, symbols);
  // Another length blanks the storage and lays a new layout in the same symbol.
  settext(rec, "xxxxxxxxxxxx");
  st("REC = STRUCT(I4=A, I2=C)");
  EXPECT_EQ(result(), 6.0);
  EXPECT_EQ(text(rec).substr(6), std::string(6, ' '));
  EXPECT_EQ(name(rec).layout, l);
  // A loop that keeps redefining the record adds no symbols and few cells.
  const std::int32_t top = nztop;
  for (int i = 0; i < 50; ++i) {
    st("REC = STRUCT(I4=A, R8=B, I2=C)");
    st("REC = STRUCT(I1=A)");
    EXPECT_EQ(key(), "");
  }
  EXPECT_EQ(nsym, symbols);
  EXPECT_GE(nztop, top - 7);
  std::int32_t out = 0;
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 0, out), -999);
  EXPECT_EQ(out, 1);
}

// A layout field left naming a symbol number that another array took
// since (the layout's symbol was dropped with a refused line) is no layout:
// the record gets one of its own and the array keeps its shape and values.
TEST_F(Struct, ALayoutNumberThatAnotherArrayTookIsNoLayout) {
  const std::int32_t rec = chars("REC", 12);
  num("A", 1);
  EXPECT_EQ(compile("DIMENSION Q(3)"), 0);
  const std::int32_t q = sym("Q");
  const double shape = z(q);
  for (int i = 0; i < 3; ++i) z(name(q).adr + i) = 7.0 + i;
  name(rec).layout = static_cast<std::int16_t>(q);
  std::int32_t out = 0;
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 0, out), 0);
  st("REC = STRUCT(I4=A)");
  EXPECT_EQ(key(), "");
  EXPECT_NE(name(rec).layout, q);
  EXPECT_EQ(symbolname(name(rec).layout), ":REC");
  EXPECT_EQ(z(q), shape);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(z(name(q).adr + i), 7.0 + i);
}

TEST_F(Struct, PagesAndReadingBack) {
  const std::int32_t rec = chars("REC", 24);
  const std::int32_t a = num("A", 7), b = num("B", 0.25), p = num("P", 2);
  st("REC = STRUCT(I4=A, R8=B)");
  EXPECT_EQ(result(), 12.0);
  z(a) = 9;
  st("REC = STRUCT(I4=A, R8=B, SetPage=P)");
  EXPECT_EQ(key(), "");
  const std::int32_t nine = 9;
  EXPECT_EQ(bytes(rec, 12, 4), le(&nine, 4));
  const std::int32_t seven = 7;
  EXPECT_EQ(bytes(rec, 0, 4), le(&seven, 4));  // page 1 untouched
  z(p) = 3;
  st("REC = STRUCT(I4=A, R8=B, SetPage=P)");
  EXPECT_EQ(key(), "structBeyond");
  EXPECT_EQ(iostatw[1], 2);

  // GetPage reads a page back into the field variables.
  z(a) = 0;
  z(b) = 0;
  z(p) = 2;
  st("N = STRUCT(STruc=REC, GetPage=P)");
  EXPECT_EQ(key(), "");
  EXPECT_EQ(z(a), 9.0);
  EXPECT_EQ(z(b), 0.25);
  z(p) = 1;
  st("N = STRUCT(STruc=REC, GetPage=P)");
  EXPECT_EQ(z(a), 7.0);
  z(p) = 3;
  st("N = STRUCT(STruc=REC, GetPage=P)");
  EXPECT_EQ(key(), "structBeyond");
  st("N = STRUCT(I4=A, GetPage=P)");
  EXPECT_EQ(key(), "structnoSTRUC");
}

TEST_F(Struct, IntegerKindsRoundTrip) {
  const std::int32_t rec = chars("REC", 16);
  const std::int32_t a = num("A", 255), b = num("B", 255), c = num("C", 65535.4),
                     d = num("D", -1e10), e = num("E", 3e9);
  st("REC = STRUCT(I1=A, I1U=B, I2U=C, I8=D, I4U=E)");
  EXPECT_EQ(result(), 16.0);
  EXPECT_EQ(text(rec)[0], '\xFF');
  EXPECT_EQ(text(rec)[1], '\xFF');
  for (std::int32_t s : {a, b, c, d, e}) z(s) = 0;
  exec::structpage = 1;
  exec::STRUCTREAD(rec);
  EXPECT_EQ(z(a), -1.0);  // a signed byte
  EXPECT_EQ(z(b), 255.0);
  EXPECT_EQ(z(c), 65535.0);
  EXPECT_EQ(z(d), -1e10);
  EXPECT_EQ(z(e), 3e9);
  // The field reader walks its position and refuses text kinds.
  std::int32_t first = 0, last = 0;
  TRANSFERR8TO2I4(z(rec), first, last);
  std::int32_t q = first;
  EXPECT_EQ(exec::STRUCTFIELDVALUE(q, exec::structkw::i1), -1.0);
  EXPECT_EQ(q, first + 1);
  EXPECT_EQ(exec::STRUCTFIELDVALUE(q, exec::structkw::chr), 0.0);
  EXPECT_EQ(q, first + 1);
  EXPECT_EQ(key(), "structNoSupport");
}

TEST_F(Struct, TextFieldsAndNulTerminators) {
  const std::int32_t rec = chars("REC", 8);
  const std::int32_t s = chars("S", 4), t = chars("T", 4);
  settext(s, "abcd");
  settext(t, "wxyz");
  st("REC = STRUCT(CHar=S, CHar0=T)");
  EXPECT_EQ(result(), 8.0);
  EXPECT_EQ(text(rec), "abcdwxyz");  // the storage gets the text as it was
  EXPECT_EQ(text(t), std::string("wxy\0", 4));
  std::int32_t out = 0;
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 1, out), -exec::structkw::chr);
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 2, out), -exec::structkw::chr0);
  settext(rec, std::string("ABCDE\0GH", 8));
  exec::STRUCTREAD(rec);
  EXPECT_EQ(text(s), "ABCD");
  EXPECT_EQ(text(t), "E GH");  // NUL characters come back as blanks
}

TEST_F(Struct, NestedRecordsAndPointers) {
  const std::int32_t in = chars("IN", 4), out = chars("OUT", 14);
  const std::int32_t a = num("A", 5), b = num("B", 6);
  st("IN = STRUCT(I4=A)");
  st("OUT = STRUCT(I2=B, STruc=IN, I4P=A)");
  EXPECT_EQ(key(), "");
  EXPECT_EQ(result(), 14.0);
  std::int32_t v = 0;
  EXPECT_EQ(exec::STRUCTELEMENT(out, 2, v), 999);
  EXPECT_EQ(v, in);
  const std::int32_t five = 5;
  EXPECT_EQ(text(out).substr(2, 4), le(&five, 4));
  // The pointer field holds the 8-byte address of a cell holding the integer.
  std::uint64_t adr = 0;
  std::memcpy(&adr, text(out).data() + 6, 8);
  std::int32_t pointed = 0;
  ASSERT_TRUE(rawread(adr, &pointed, 4));
  EXPECT_EQ(pointed, 5);
  // Outside code changes the integer and the bytes of the nested record.
  const std::int32_t fortytwo = 42;
  ASSERT_TRUE(rawwrite(adr, &fortytwo, 4));
  std::int32_t first = 0, last = 0;
  TRANSFERR8TO2I4(z(out), first, last);
  const std::int32_t eleven = 11;
  for (int i = 0; i < 4; ++i) c1namen(first + 2 + i) = reinterpret_cast<const char*>(&eleven)[i];
  z(a) = 0;
  z(b) = 0;
  exec::structpage = 1;
  exec::STRUCTREAD(out);
  EXPECT_EQ(z(b), 6.0);
  // The nested record's fields come from this record's bytes; the pointed-to
  // integer is read last.
  EXPECT_EQ(text(in), le(&eleven, 4));
  EXPECT_EQ(z(a), 42.0);
}

TEST_F(Struct, RefusalsAndTheBytesVariable) {
  const std::int32_t rec = chars("REC", 8);
  const std::int32_t n = num("N", 0);
  num("A", 1);
  st("REC = STRUCT(I1P=A)");
  EXPECT_EQ(key(), "structNoSupport");
  EXPECT_EQ(iostatw[1], exec::structkw::i4p - 2);
  st("N = STRUCT(I4=A)");
  EXPECT_EQ(key(), "structLeftSide");
  st("REC = STRUCT(I4=A, Bytes=4)");
  EXPECT_EQ(key(), "structBytes");
  // ERror takes no field.
  st("REC = STRUCT(ERror=E, I4=A)");
  EXPECT_EQ(key(), "");
  EXPECT_EQ(result(), 4.0);
  std::int32_t fields = 0;
  EXPECT_EQ(exec::STRUCTELEMENT(rec, 0, fields), -999);
  EXPECT_EQ(fields, 1);
  const std::int32_t bv = num("BV", 0);
  st("REC = STRUCT(I2=A, Bytes=BV)");
  EXPECT_EQ(key(), "");
  EXPECT_EQ(z(bv), 6.0);
  EXPECT_EQ(result(), 6.0);
  // A record nested in itself stops at the nesting limit.
  st("REC = STRUCT(STruc=REC)");
  (void)n;
  (void)rec;
  EXPECT_EQ(key(), "structRecurse");
  EXPECT_EQ(failedline.trimmed(), "STRUCT UPDATE");
  EXPECT_EQ(exec::structwritedepth, 0);
}

TEST_F(Struct, ArbitraryLayoutsStayInsideTheirRecords) {
  // Random field lists over records of several lengths, written, read back
  // and shown as name=value text: failures are allowed, stray writes are
  // not (the sanitizers watch the stores).
  std::uint32_t seed = 2024;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  std::vector<std::int32_t> records, values;
  for (int len : {1, 4, 9, 16, 40}) records.push_back(chars("R" + std::to_string(len), len));
  for (int i = 0; i < 4; ++i) values.push_back(num("V" + std::to_string(i), i * 1000.5 - 7));
  values.push_back(chars("T3", 3));
  values.push_back(chars("T12", 12));
  EXPECT_EQ(compile("DIMENSION AR(2,3)"), 0);
  values.push_back(sym("AR"));
  values.insert(values.end(), records.begin(), records.end());
  std::vector<char> buf(120);
  for (int round = 0; round < 4000; ++round) {
    const std::int32_t n = static_cast<std::int32_t>(next(5)) + 1;
    for (std::int32_t k = 1; k <= n; ++k) {
      exec::optkw(k) = static_cast<std::uint8_t>(next(29));
      exec::optval(k) = values[next(static_cast<std::uint32_t>(values.size()))];
    }
    xeqtarget = records[next(static_cast<std::uint32_t>(records.size()))];
    iresult = nsym + 5;
    msgkey.blank();
    exec::STRUCT(exec::optkw, n, exec::optval);
    std::int32_t len = 0;
    NAMEEQUALSVALUE(xeqtarget, buf, static_cast<std::int32_t>(next(121)), len);
    EXPECT_LE(len, 120);
  }
}

}  // namespace
