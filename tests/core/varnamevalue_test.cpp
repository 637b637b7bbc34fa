#include "core/varnamevalue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "exec/optdispatch.h"
#include "exec/struct.h"

namespace {

using namespace core;

class VarNameValue : public ::testing::Test {
 protected:
  void SetUp() override {
    storetest::setup();
    exec::reset_optdispatch();
    exec::reset_struct();
  }
  void TearDown() override {
    exec::reset_optdispatch();
    exec::reset_struct();
    reset_stores();
    reset_runwords();
  }
  static std::string line(std::int32_t s, std::int32_t limit = 256) {
    std::vector<char> buf(300, '#');
    std::int32_t len = -1;
    NAMEEQUALSVALUE(s, buf, limit, len);
    const auto used = static_cast<std::size_t>(std::clamp(limit, 0, 300));
    EXPECT_EQ(std::string(buf.begin() + static_cast<long>(used), buf.end()),
              std::string(300 - used, '#'));  // nothing beyond the limit
    return std::string(buf.data(), static_cast<std::size_t>(len));
  }
  static std::int32_t num(std::string_view nm, double v) {
    const std::int32_t s = storetest::addsym(nm, 0x80);
    z(s) = v;
    return s;
  }
  // Lays out rec with the (keyword, variable) fields in written order.
  static void layout(std::int32_t rec, std::vector<std::pair<int, std::int32_t>> fields) {
    const auto n = static_cast<std::int32_t>(fields.size());
    for (std::int32_t k = 0; k < n; ++k) {
      exec::optkw(n - k) = static_cast<std::uint8_t>(fields[static_cast<std::size_t>(k)].first);
      exec::optval(n - k) = fields[static_cast<std::size_t>(k)].second;
    }
    xeqtarget = rec;
    iresult = 0;
    exec::STRUCT(exec::optkw, n, exec::optval);
    ASSERT_TRUE(msgkey.is_blank()) << msgkey.str();
  }
};

TEST_F(VarNameValue, PlainVariablesAndLiterals) {
  const std::int32_t x = num("X", 1234567);
  EXPECT_EQ(line(x), "X=1'234'567;");
  const std::int32_t s = storetest::addcharvar("S", "ab  ");
  EXPECT_EQ(line(s), "S=ab;");
  const std::int32_t lit = storetest::addsym("hello", 0x41);
  EXPECT_EQ(line(lit), "hello;");
  // The name alone fills the limit: no "=" and no value.
  EXPECT_EQ(line(x, 1), "X");
  EXPECT_EQ(line(x, 4), "X=1'");
  EXPECT_EQ(line(x, -5), "");
  // Indices that name no symbol write no name.
  EXPECT_EQ(line(0), "0;");
  EXPECT_EQ(line(999999), "0;");
  const std::int32_t nul = storetest::addcharvar("N", std::string("a\0b", 3));
  EXPECT_EQ(line(nul), "N=a.b;");
}

TEST_F(VarNameValue, RecordFieldsPageByPage) {
  const std::int32_t rec = storetest::addcharvar("REC", std::string(16, ' '));
  const std::int32_t a = num("A", 5);
  const std::int32_t s = storetest::addcharvar("S", "wxyz");
  layout(rec, {{exec::structkw::i4, a}, {exec::structkw::chr, s}});
  EXPECT_EQ(line(rec), "REC.A=5;REC.S=wxyz;");
  // A second page with non-blank bytes is shown after the first.
  std::int32_t first = 0, last = 0;
  TRANSFERR8TO2I4(z(rec), first, last);
  const std::int32_t seven = 7;
  std::memcpy(&c1namen(first + 8), &seven, 4);
  EXPECT_EQ(line(rec), "REC.A=5;REC.S=wxyz;REC.A.2=7;REC.S.2=wxyz;");
}

TEST_F(VarNameValue, ArraysPointersNestingAndCuts) {
  const std::int32_t rec = storetest::addcharvar("REC", std::string(40, ' '));
  const std::int32_t v = storetest::addarray("V", 1, 3);
  for (int i = 0; i < 3; ++i) z(name(v).adr + i) = 10 * (i + 1);
  const std::int32_t in = storetest::addcharvar("IN", "    ");
  const std::int32_t b = num("B", 3);
  const std::int32_t t0 = storetest::addcharvar("T", "abc");
  layout(in, {{exec::structkw::i4, b}});
  layout(rec, {{exec::structkw::i2, v},
               {exec::structkw::strucp, in},
               {exec::structkw::i4p, b},
               {exec::structkw::chr0, t0}});
  const std::string full = line(rec);
  EXPECT_EQ(full.substr(0, 33), "REC.V=10 20 30;REC.IN=IN;REC.B=0x");
  // Pointer fields show their 8-byte address in hexadecimal.
  std::int32_t first = 0, last = 0;
  TRANSFERR8TO2I4(z(rec), first, last);
  std::uint64_t adr = 0;
  std::memcpy(&adr, &c1namen(first + 14), 8);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%016llX*", static_cast<unsigned long long>(adr));
  EXPECT_NE(full.find(std::string(".B=") + hex + ";"), std::string::npos) << full;
  // A CHar0 field shows its variable without its last character.
  EXPECT_NE(full.find("REC.T=ab;"), std::string::npos) << full;
  // An array that does not fit ends with "..." in the last usable places.
  const std::string cut = line(rec, 20);
  EXPECT_EQ(cut.size(), 20u);
  EXPECT_EQ(cut.substr(17), "...");
  EXPECT_EQ(cut.substr(0, 8), "REC.V=10");
}

}  // namespace
