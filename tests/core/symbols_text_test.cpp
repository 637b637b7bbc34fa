#include "core/symbols_text.h"

#include <gtest/gtest.h>

#include <string>

#include "core/chars.h"
#include "core/rawmem.h"
#include "core/stores.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"

using namespace core;
using storetest::addarray;
using storetest::addcharvar;
using storetest::addsym;

namespace {

std::string separators() {
  std::string s;
  for (int c = 1; c < 256; ++c)
    if (is_separator(static_cast<char>(c))) s += static_cast<char>(c);
  return s;
}

std::string getname(std::int32_t index, std::size_t width = 16) {
  std::string t(width, '#');
  GETNAME(index, t);
  return t;
}

// Puts the text into c1namen from position 1 on.
void put(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) c1namen(static_cast<long long>(i) + 1) = text[i];
}

}  // namespace

TEST(SymbolsText, PrintableNamesOfCells) {
  storetest::setup(100, 32, 500, 10);
  const std::int32_t x = addsym("X", 0x80);
  const std::int32_t v = addarray("V", 1, 4);
  const std::int32_t m = addarray("M", 2, 3);
  const std::int32_t s = addcharvar("S", "hello");
  EXPECT_EQ(getname(x), "X               ");
  EXPECT_EQ(getname(name(v).adr + 2), "V(3)            ");
  EXPECT_EQ(getname(name(m).adr), "M(1,1)          ");
  EXPECT_EQ(getname(name(m).adr + 3), "M(2,1)          ");
  EXPECT_EQ(getname(name(m).adr + 5), "M(2,3)          ");
  std::int32_t first = 0, last = 0;
  ISCHAR(s, first, last);
  EXPECT_EQ(getname(first + 3), "S(4)            ");
  EXPECT_EQ(getname(nsym + 5), std::string(16, ' '));  // a free cell
  EXPECT_EQ(getname(0), std::string(16, ' '));
  EXPECT_EQ(getname(name(m).adr + 3, 4), "M   ");  // no room for the element
}

TEST(SymbolsText, TextsOfSymbols) {
  storetest::setup(100, 32, 500, 10);
  const std::int32_t s = addcharvar("S", std::string("a\0b", 3));
  const std::int32_t x = addsym("Xname", 0x80);
  std::string t(5, '#');
  std::int32_t kind = -1;
  C1NAMENTOSTRI(s, t, kind);
  EXPECT_EQ(t, "a.b  ");
  EXPECT_EQ(kind, 0x40);
  C1NAMENTOSTRI(x, t, kind);
  EXPECT_EQ(t, "Xname");
  EXPECT_EQ(kind, 0);
  std::string two(2, '#');
  C1NAMENTOSTRI(s, two, kind);
  EXPECT_EQ(two, "a.");

  // A temporary string above c1tmptop; no room left makes c1namen grow.
  c1tmptop = c1top;
  const std::int32_t tmp = addsym("T", 0x88);
  STRITOTEMPNAME(tmp, "temp");
  EXPECT_EQ(name(tmp).type, 0x48);
  EXPECT_EQ(storetest::textof(tmp), "temp");
  EXPECT_EQ(c1tmptop, I4EQUZ(2, tmp));
  const std::string big(600, 'q');
  STRITOTEMPNAME(tmp, big);
  EXPECT_GT(nc1namen, 500 + 600);
  EXPECT_EQ(storetest::textof(tmp), big);
  EXPECT_EQ(storetest::textof(s), std::string("a\0b", 3));
}

TEST(SymbolsText, SeparatorsAndWords) {
  storetest::setup(10, 4, 100, 10);
  put("abc x$_y+z  ");
  EXPECT_EQ(SEPIDX(10, 1), 9);  // the "+"
  EXPECT_EQ(SEPIDX(8, 1), 0);   // blanks are passed over, "$" and "_" are name characters
  const std::string sep = separators();
  put("a.b c");
  EXPECT_EQ(COUNTWORDS(1, 5, 0, sep), 3);
  EXPECT_EQ(COUNTWORDS(1, 5, 0x80, sep), 2);
  put(" ,,one two,, ");
  EXPECT_EQ(COUNTWORDS(1, 13, 0, sep), 2);
  EXPECT_EQ(COUNTWORDS(5, 4, 0, sep), 0);
}

TEST(SymbolsText, ArraySearch) {
  const std::string_view a = "the cat and the hat   ";
  std::int32_t status = -1;
  EXPECT_EQ(C1SEARCH(a, "the ", 4, 2, 22, 0, status), 12);  // trimmed: "the" after 2
  EXPECT_EQ(status, 0);
  EXPECT_EQ(C1SEARCH(a, "dog", 3, 1, 22, 0, status), 0);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(C1SEARCH(a, "the", 3, 5, 4, 0, status), 0);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(C1SEARCH(a, "at", 2, 1, 22, 0x100, status), 2);  // counted
  EXPECT_EQ(C1SEARCH(a, "h.t", 3, 1, 22, 0x80, status), 17);
}
