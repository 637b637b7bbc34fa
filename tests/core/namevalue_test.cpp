#include "core/namevalue.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

using namespace core;

namespace {

std::int32_t dlgvalue(std::string_view text, std::string_view kw, std::int32_t deflt = -77) {
  std::int32_t result = 0;
  const ShopList& dlg = shoplist(OptStmt::DLG);
  NAMEVALUEINSHOP(text, static_cast<std::int32_t>(text.size()), kw, dlg.shop, dlg.shoptypes, result,
                  deflt);
  return result;
}

struct Item {
  std::int32_t result = 0, valstart = 0, valend = 0;
  double value = -1.0;
};

Item itemvalue(std::string_view item, std::string_view text, std::string_view delims = ";,") {
  Item r;
  r.result = ITEMVALUEINSTRING(item, delims, text, static_cast<std::int32_t>(text.size()),
                               r.valstart, r.valend, r.value);
  return r;
}

std::int32_t itemstart(std::string_view text, std::int32_t& vs, std::int32_t& ve) {
  return ITEMSTARTINSTRING("Point,Rotate,Underline,Bold,Italic", text,
                           static_cast<std::int32_t>(text.size()), vs, ve);
}

}  // namespace

TEST(NameValueInShop, ReadsTheIntegerOfAKeywordOrKeepsTheDefault) {
  EXPECT_EQ(dlgvalue("MIN=1,MAX=5", "MAX"), 5);
  EXPECT_EQ(dlgvalue("mi=2, ma = -9 ", "MIn"), 2);
  EXPECT_EQ(dlgvalue("mi=2, ma = -9 ", "MAX"), -9);
  EXPECT_EQ(dlgvalue("MAX=7.9", "MAX"), 7);
  for (std::string_view t : {"MIN=1", "MAX=", "MAX=x", "MAX=99999999999", "MAX", ""})
    EXPECT_EQ(dlgvalue(t, "MAX", 100), 100) << t;
  EXPECT_EQ(dlgvalue("MAX=5", "NOSUCHKEY", 100), 100);
}

TEST(NameValueInShop, LeavesTheTokenArraysAndTheValueCellsAlone) {
  storetest::setup();
  storetest::addsym("A", 0x80);
  std::vector<double> values(maxtokens);
  std::int32_t mode = 1;
  TOKEN("A=1+2 ", values, mode);
  const std::int32_t n = ntok;
  const std::int16_t cod2 = tokcod(2), beg3 = tokbeg(3);
  for (std::int32_t i = nsym + 1; i <= nsym + 20; ++i) z(i) = 42.0;

  // The unclosed quote makes the tokenizer fail: no stop word may leak out.
  EXPECT_EQ(dlgvalue("MAX=5,Text='abc", "MAX"), 5);
  EXPECT_EQ(dlgvalue("MIN=3,MAX=8 ", "MAX"), 8);
  EXPECT_EQ(xeqstop, 0);
  EXPECT_EQ(ntok, n);
  EXPECT_EQ(tokcod(2), cod2);
  EXPECT_EQ(tokbeg(3), beg3);
  for (std::int32_t i = nsym + 1; i <= nsym + 20; ++i) EXPECT_EQ(z(i), 42.0) << i;
}

TEST(ItemStartInString, FindsTheFirstListedItem) {
  std::int32_t vs = -1, ve = -1;
  EXPECT_EQ(itemstart("Courier new,P=8,B", vs, ve), 13);
  EXPECT_EQ(vs, 15);
  EXPECT_EQ(ve, 16);
  EXPECT_EQ(itemstart("X=1, Rot=90", vs, ve), 6);
  EXPECT_EQ(vs, 10);
  EXPECT_EQ(ve, 11);
  EXPECT_EQ(itemstart("Courier,Bold,P=9", vs, ve), 9);
  EXPECT_EQ(vs, 0);
  EXPECT_EQ(itemstart("Arial, Ital", vs, ve), 8);
  for (std::string_view t : {"Arial", "Arial,X=1", "Q=1,Z=2", ""})
    EXPECT_EQ(itemstart(t, vs, ve), 0) << t;
}

TEST(ItemValueInString, FindsTheItemThatStandsAloneAndBoundsItsValue) {
  Item r = itemvalue("LS", "ALS=1;LS=4");
  EXPECT_EQ(r.result, 7);
  EXPECT_EQ(r.valstart, 10);
  EXPECT_EQ(r.valend, 10);
  EXPECT_EQ(r.value, 4.0);
  EXPECT_EQ(itemvalue("LS", "X=LS LS=3").value, 3.0);
  EXPECT_EQ(itemvalue("A", "A = 5").result, 0);
  EXPECT_EQ(itemvalue("a", "A=5").result, 0);
  EXPECT_EQ(itemvalue("Q", "A=5").value, 0.0);

  r = itemvalue("T", "T=\"a;b\";U=2");
  EXPECT_EQ(r.result, -1);  // a value that is no number
  EXPECT_EQ(r.valstart, 4);
  EXPECT_EQ(r.valend, 6);
  r = itemvalue("T", "T=abc&\r\ndef;U=1");
  EXPECT_EQ(r.valend, 11);
  r = itemvalue("N", "N=  12  ");
  EXPECT_EQ(r.valstart, 5);
  EXPECT_EQ(r.valend, 6);
  r = itemvalue("A", "A;B=2");
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.valstart, 3);
  EXPECT_EQ(r.valend, -1);
  EXPECT_GT(itemvalue("A", "A=   ").valstart, 5);
}

TEST(ItemValueInString, EvaluatesOperatorsFromLeftToRight) {
  EXPECT_EQ(itemvalue("X", "X=2*3+1").value, 7.0);
  EXPECT_EQ(itemvalue("X", "X=1+2*3").value, 9.0);
  EXPECT_EQ(itemvalue("X", "X=2*-3").value, -6.0);
  EXPECT_EQ(itemvalue("X", "X=8/0").value, 8.0);
  EXPECT_EQ(itemvalue("X", "X=2 * 3", ";").value, 2.0);
  EXPECT_EQ(itemvalue("X", "X=5+").value, 5.0);
}

namespace {

struct ParseTest : ::testing::Test {
  plat::Store1<std::int32_t> ops = plat::Store1<std::int32_t>(16);

  void SetUp() override {
    storetest::setup();
    iresult = 200;
  }
  void TearDown() override {
    tempstringbounds = nullptr;
    origop = nullptr;
  }
  // INIT(text, vars...) on top of two other stack entries; returns the count.
  double init(std::string_view text, std::initializer_list<std::int32_t> vars) {
    return initop(storetest::addcharvar("S", text), vars);
  }
  double initop(std::int32_t textop, std::initializer_list<std::int32_t> vars) {
    std::int32_t top = 2;
    ops(++top) = textop;
    for (std::int32_t v : vars) ops(++top) = v;
    PARSE(static_cast<std::int32_t>(vars.size()), ops, top);
    EXPECT_EQ(top, 3);
    return z(iresult);
  }
};

}  // namespace

TEST_F(ParseTest, AssignsNumericVariablesByCapitalName) {
  const std::int32_t x = storetest::addsym("X", 0x80), y = storetest::addsym("Y", 0x80);
  EXPECT_EQ(init("X=5;Y=2*3", {x, y}), 2.0);
  EXPECT_EQ(z(x), 5.0);
  EXPECT_EQ(z(y), 6.0);
  EXPECT_EQ(init("x=1", {x}), 0.0);
  EXPECT_EQ(z(x), 5.0);
  EXPECT_EQ(init("X=15", {x}), 1.0);
  EXPECT_EQ(z(x), 15.0);
  EXPECT_EQ(init("X=abc Y=1", {x}), 1.0);  // found, no number: 0
  EXPECT_EQ(z(x), 0.0);
  const std::int32_t c = storetest::addsym("C", 0x81);
  z(c) = 3.0;
  EXPECT_EQ(init("C=9", {c}), 1.0);  // a constant is counted, not changed
  EXPECT_EQ(z(c), 3.0);
}

TEST_F(ParseTest, FillsTextVariables) {
  const std::int32_t u = storetest::addcharvar("U", "12345678");
  EXPECT_EQ(init("U=", {u}), 1.0);
  EXPECT_EQ(storetest::textof(u), "        ");
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"U=abc!!note", "abc     "},     {"U=ab!!", "ab!!    "},         {"U=!!x", "!!x     "},
      {"U=toolongavalue", "toolonga"}, {"U=two words", "two     "},    {"U='a;b c'", "a;b c   "},
      {"U=Tom&Jerry", "Tom&Jerr"},     {"U=ab&\r\ncd\r\n", "abcd    "}};
  for (auto [text, want] : cases) {
    init(text, {u});
    EXPECT_EQ(storetest::textof(u), want) << text;
  }
}

TEST_F(ParseTest, FillsArraysAndArrayCells) {
  const std::int32_t guard = storetest::addarray("G", 1, 1);
  const std::int32_t v = storetest::addarray("V", 1, 3);
  const std::int32_t adr = name(v).adr;
  z(name(guard).adr) = 5.0;
  EXPECT_EQ(init("V=9,8,7,6", {v}), 1.0);
  EXPECT_EQ(z(adr + 2), 7.0);
  EXPECT_EQ(z(adr + 3), 5.0);  // at most rows x columns numbers
  init("V=4", {v});
  EXPECT_EQ(z(adr), 4.0);
  EXPECT_EQ(z(adr + 1), 0.0);  // cleared before the first number
  EXPECT_EQ(init("V(2)=7", {adr + 1}), 1.0);
  EXPECT_EQ(z(adr + 1), 7.0);
}

TEST_F(ParseTest, ReadsTemporariesThroughTheExecutor) {
  const std::int32_t x = storetest::addsym("X", 0x80);
  storetest::addcharvar("T", "X=4");
  EXPECT_EQ(initop(-1, {x}), 0.0);  // no executor tables: no text
  EXPECT_EQ(initop(x, {x}), 0.0);   // a number is no text
  tempstringbounds = [](std::int32_t j, std::int32_t& first, std::int32_t& last) {
    std::int32_t k = 0;
    return j == 1 && FINDSN("T", k, 0x40) && ISCHAR(k, first, last) != 0;
  };
  origop = [](std::int32_t op) {
    std::int32_t k = op;
    if (op == -2) FINDSN("X", k, 0x80);
    return k;
  };
  EXPECT_EQ(initop(-1, {-2}), 1.0);
  EXPECT_EQ(z(x), 4.0);
}
