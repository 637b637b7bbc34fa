#include "core/symbols.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/rawmem.h"
#include "core/stores.h"
#include "core/symbols_index.h"
#include "support/stores_fixture.h"

using namespace core;
using storetest::addarray;
using storetest::addcharvar;
using storetest::addsym;

namespace {

// A table with the predefined names and a local subroutine SUB starting on
// line 10 with a variable of its own.
struct Table {
  std::int32_t dollar, cr, abc, sub, loc, lit, num, arr;
  Table() {
    storetest::setup(500, 64, 2000, 100);
    dollar = addsym("$", 0x80);
    cr = addcharvar("$CR", "\r");
    abc = addsym("abc", 0x80);
    sub = addsym("SUB", 4);
    SETI2EQUZ(1, sub, 10);
    loc = addsym("loc", 0x80, sub);
    lit = addsym("ab", 0x41);
    num = addsym("2.5", 0x81);
    arr = addarray("ARR", 2, 3);
  }
};

}  // namespace

TEST(Symbols, FindsnScopeRules) {
  Table t;
  std::int32_t k = -7;
  // Main program.
  EXPECT_TRUE(FINDSN("ABC", k, 0x80));
  EXPECT_EQ(k, t.abc);
  EXPECT_FALSE(FINDSN("loc", k, 0x80));
  // Inside SUB: its own names, "$" names of scope 0, subroutines from anywhere.
  lokalsub = t.sub;
  k = -7;
  EXPECT_FALSE(FINDSN("abc", k, 0x80));
  EXPECT_EQ(k, -7);  // not written when nothing matches
  EXPECT_TRUE(FINDSN("LOC", k, 0x80));
  EXPECT_EQ(k, t.loc);
  EXPECT_TRUE(FINDSN("$CR", k, 0x40));
  EXPECT_EQ(k, t.cr);
  EXPECT_TRUE(FINDSN("sub", k, 4));
  EXPECT_EQ(k, t.sub);
  EXPECT_FALSE(FINDSN("", k, 0x80));
}

TEST(Symbols, FindsnKindRules) {
  Table t;
  std::int32_t k = 0;
  // Text literals are exact, numeric names ignore case.
  EXPECT_TRUE(FINDSN("ab", k, 0x41));
  EXPECT_EQ(k, t.lit);
  EXPECT_FALSE(FINDSN("AB", k, 0x41));
  const std::int32_t ab2 = addsym("AB", 0x41);
  EXPECT_TRUE(FINDSN("AB", k, 0x41));
  EXPECT_EQ(k, ab2);
  // 0x80 finds number literals; 0x10 finds arrays; 0x400 all but text literals.
  EXPECT_TRUE(FINDSN("2.5", k, 0x80));
  EXPECT_EQ(k, t.num);
  EXPECT_TRUE(FINDSN("arr", k, 0x10));
  EXPECT_EQ(k, t.arr);
  EXPECT_FALSE(FINDSN("ab", k, 0x400));
  EXPECT_TRUE(FINDSN("ARR", k, 0x400));
  // A dummy argument of open kind takes the type of the first dummy search.
  const std::int32_t d = addsym("D", 0x20);
  EXPECT_FALSE(FINDSN("d", k, 0x40));
  EXPECT_TRUE(FINDSN("d", k, 0x60));
  EXPECT_EQ(k, d);
  EXPECT_EQ(name(d).type, 0x60);
}

TEST(Symbols, FindsnLabelsAndTheForcedSubroutine) {
  Table t;
  const std::int32_t l1 = addsym("100", 2);
  const std::int32_t l2 = addsym("100", 2, t.sub);
  std::int32_t k = 0;
  xeqline = 5;  // before SUB: main-program label
  EXPECT_TRUE(FINDSN("100", k, 2));
  EXPECT_EQ(k, l1);
  xeqline = 12;  // inside SUB
  EXPECT_TRUE(FINDSN("100", k, 2));
  EXPECT_EQ(k, l2);
  lokalscope = t.sub;
  xeqline = 5;
  EXPECT_TRUE(FINDSN("100", k, 2));
  EXPECT_EQ(k, l2);
  // The forced subroutine's own name in a main-program search gives 0.
  k = -1;
  EXPECT_TRUE(FINDSN("SUB", k, 0x80));
  EXPECT_EQ(k, 0);
}

TEST(Symbols, NamtypAndFindlokalsub) {
  Table t;
  EXPECT_EQ(NAMTYP(t.num, 0x10), 0);
  EXPECT_EQ(NAMTYP(t.num, 0x80), 0x81);
  EXPECT_EQ(NAMTYP(t.lit, 0x1), 0);  // the constant bit alone is no match
  const std::int32_t v = addsym("V", 0x810);
  EXPECT_EQ(NAMTYP(v, 0x10), 0x10);
  EXPECT_EQ(NAMTYP(0, 0xFFFF), 0);
  EXPECT_EQ(NAMTYP(nname + 1, 0xFFFF), 0);

  const std::int32_t s2 = addsym("S2", 5);
  SETI2EQUZ(1, s2, 30);
  EXPECT_EQ(FINDLOKALSUB(10), 0);
  EXPECT_EQ(FINDLOKALSUB(11), t.sub);
  EXPECT_EQ(FINDLOKALSUB(30), t.sub);
  EXPECT_EQ(FINDLOKALSUB(31), s2);
}

TEST(Symbols, CharacterBoundsAndWrites) {
  Table t;
  std::int32_t first = -1, last = -1;
  EXPECT_EQ(ISCHAR(t.abc, first, last), 0);
  EXPECT_EQ(first, 0);
  const std::int32_t s = addcharvar("S", "hello");
  EXPECT_EQ(ISCHAR(s, first, last), 0x40);
  EXPECT_EQ(last - first, 4);
  EXPECT_EQ(c1span.first, first);
  // A text literal without bounds reads its own name.
  EXPECT_EQ(ISCHARCHECKED(t.lit, first, last), -1);
  EXPECT_EQ(ISCHAR(t.lit, first, last), 0x41);
  EXPECT_EQ(first, name(t.lit).nambeg);
  EXPECT_EQ(last, first + 1);

  STRITOC1NAMEN(s, "worldwide", 9);
  EXPECT_EQ(storetest::textof(s), "world");
  STRITOC1NAMEN(s, "hi", 2);
  EXPECT_EQ(storetest::textof(s), "hi   ");
  STRITOC1NAMEN(s, "xyz", 0);
  EXPECT_EQ(storetest::textof(s), "     ");
  // Literals are never written.
  TRANSFER2I4TOR8(name(t.lit).nambeg, name(t.lit).nambeg + 1, z(t.lit));
  STRITOC1NAMEN(t.lit, "zz", 2);
  EXPECT_EQ(storetest::textof(t.lit), "ab");
}

TEST(Symbols, Setztor8WritesOnlyWhereAllowed) {
  Table t;
  SETZTOR8(t.abc, 3.0);
  EXPECT_EQ(z(t.abc), 3.0);
  const double crcell = z(t.cr), numcell = z(t.num), arrcell = z(t.arr);
  SETZTOR8(t.cr, 9.0);
  SETZTOR8(t.num, 9.0);
  SETZTOR8(t.arr, 9.0);
  EXPECT_EQ(std::memcmp(&z(t.cr), &crcell, 8), 0);
  EXPECT_EQ(z(t.num), numcell);
  EXPECT_EQ(std::memcmp(&z(t.arr), &arrcell, 8), 0);
  SETZTOR8(name(t.arr).adr + 1, 7.0);
  EXPECT_EQ(z(name(t.arr).adr + 1), 7.0);
  SETZTOR8(nsym + 3, 1.0);  // free cell between symbols and top block
  EXPECT_EQ(z(nsym + 3), 0.0);
  SETZTOR8(0, 1.0);
  SETZTOR8(nz + 1, 1.0);
  EXPECT_EQ(z(0), 0.0);
}

TEST(Symbols, ElementsAndCellViews) {
  Table t;
  EXPECT_EQ(IDXINZ(t.arr, 0), name(t.arr).adr);
  EXPECT_EQ(IDXINZ(t.arr, 5), name(t.arr).adr + 5);
  EXPECT_EQ(IDXINZ(t.arr, 6), 0);
  EXPECT_EQ(IDXINZ(t.arr, -1), t.arr);
  EXPECT_EQ(IDXINZ(t.abc, 2), t.abc + 2);
  std::int32_t adr = 0;
  ADR1FROMSYMBOL(adr, t.arr);
  EXPECT_EQ(adr, name(t.arr).adr);
  ADR1FROMSYMBOL(adr, t.abc);
  EXPECT_EQ(adr, t.abc);

  z(t.abc) = 0.0;
  SETI4EQUZ(2, t.abc, -5);
  EXPECT_EQ(I4EQUZ(1, t.abc), 0);
  EXPECT_EQ(I4EQUZ(2, t.abc), -5);
  SETI2EQUZ(3, t.abc, 77);
  EXPECT_EQ(I2EQUZ(3, t.abc), 77);
  EXPECT_EQ(I2EQUZ(4, t.abc), -1);  // high half of -5, sign-extended
  SETI2EQUZ(1, 0, 5);
  EXPECT_EQ(z(0), 0.0);
  EXPECT_EQ(I4EQUZ(3, t.abc), 0);
  EXPECT_EQ(I2EQUZ(1, nz + 5), 0);
}

// The look-up through the name index gives what a walk over every record
// gives, with many names in several scopes, after records were dropped and
// made again under other names, and for names that differ only in case.
TEST(Symbols, FindsnThroughTheIndexEqualsAWalkOverTheTable) {
  storetest::setup(40000, 8000, 400000, 100);
  const auto walk = [](std::string_view text, std::int32_t t, std::int32_t s) {
    for (std::int32_t k = 1; k <= nsym; ++k) {
      const std::int32_t st = static_cast<std::uint16_t>(name(k).type);
      const bool kinds = ((t & 0x20) && (st & 0x20)) || (t == 0x400 && st != 0x41) ||
                         ((t & 0xE6) == (st & 0xE6) && (t != 0x41 || st == 0x41)) ||
                         (t == 0x80 && st == 0x81);
      if (kinds && ((t & 4) || name(k).scope == s) && ELMNT_IS_NAMENI(text, k)) return k;
    }
    return -1;
  };
  const int types[] = {0x80, 0x10, 0x41, 4, 0x81, 0x40};
  std::uint32_t seed = 7;
  const auto next = [&seed](std::uint32_t n) { return (seed = seed * 1103515245u + 12345u) % n; };
  const auto fill = [&](std::int32_t count, const char* prefix) {
    for (std::int32_t i = 0; i < count; ++i) {
      const std::string nm = prefix + std::to_string(next(3000));
      addsym(next(2) ? nm : "x" + nm, types[next(6)], static_cast<int>(next(3)) * 5);
    }
  };
  fill(6000, "n");
  for (int round = 0; round < 2; ++round) {
    for (int q = 0; q < 3000; ++q) {
      const std::string nm = (next(2) ? "N" : "xn") + std::to_string(next(3000));
      const std::int32_t t = types[next(6)];
      lokalsub = static_cast<std::int32_t>(next(3)) * 5;
      std::int32_t k = -1;
      const bool found = FINDSN(nm, k, t);
      ASSERT_EQ(found ? k : -1, walk(nm, t, (t == 0x41 || t == 0x81) ? 0 : lokalsub)) << nm;
    }
    // The table drops its records and takes others, with no look-up between.
    nsym = 3000;
    symbolsdropped();
    fill(4000, "N");
  }
  lokalsub = 0;
}
