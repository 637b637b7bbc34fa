#include "core/stores.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "support/stores_fixture.h"
#include "core/symbols.h"
#include "platform/win_message_box.h"

using namespace core;
using storetest::addarray;
using storetest::addcharvar;
using storetest::addsym;

namespace {

std::int32_t breakcode = 0;
void recordbreak(std::int32_t& code) { breakcode = code; }

std::uint32_t closedwave = 0;
void recordclose(std::uint32_t h) { closedwave = h; }

}  // namespace

TEST(Stores, AllocsFillsFreesAndRejectsUnknownNames) {
  storetest::setup(100, 10, 50, 20);
  EXPECT_EQ(z.first(), 0);
  EXPECT_EQ(z.last(), 100);
  EXPECT_EQ(c1namen.last(), 50);
  EXPECT_EQ(c1namen(50), ' ');
  EXPECT_EQ(xeqbuf.last(), 20);

  std::int32_t lo = 1, hi = 30;
  ALLOCS("QTIDS2", lo, hi);
  EXPECT_EQ(istat, -999);
  EXPECT_EQ(z.size(), 101);  // nothing was freed

  // Freeing z with a value in cell 0 reports an internal error, then frees.
  plat::reset_message_boxes();
  z(0) = 1.5;
  lo = 0;
  hi = -1;
  ALLOCS("z", lo, hi);
  EXPECT_EQ(istat, 0);
  EXPECT_EQ(z.size(), 0);
  ASSERT_EQ(plat::message_box_log().size(), 1u);
  EXPECT_EQ(plat::message_box_log()[0].title, "Internal error");
  EXPECT_EQ(plat::message_box_log()[0].text, "Cannot deallocate Z");

  // Case matters; trailing blanks do not.
  ALLOCS("Name", lo, hi);
  EXPECT_EQ(istat, -999);
  lo = 1;
  hi = 5;
  ALLOCS("adrs    ", lo, hi);
  EXPECT_EQ(istat, 0);
  EXPECT_EQ(adrs.last(), 5);
  adrs(3) = 7;
  ALLOCS("adrs", lo, hi);  // allocated already: freed and filled anew
  EXPECT_EQ(adrs(3), 0);
}

TEST(Stores, EveryAllocationStopsTheSound) {
  storetest::setup(10, 4, 10, 10);
  closewaveout = recordclose;
  hwaveout = 77;
  std::int32_t lo = 0, hi = -1;
  ALLOCS("nothing", lo, hi);
  EXPECT_EQ(closedwave, 77u);
  EXPECT_EQ(hwaveout, 0u);
  closedwave = 0;
  hwaveout = 78;
  std::int32_t extra = 10;
  REALLOC(5, extra);
  EXPECT_EQ(closedwave, 78u);
}

TEST(Stores, GrowingZKeepsSymbolsArraysAndViews) {
  storetest::setup(8000, 64, 1000, 100);
  setbreakvariable = recordbreak;
  const std::int32_t x = addsym("X", 0x80);
  z(x) = 2.5;
  const std::int32_t a = addarray("A", 1, 3);
  for (int i = 0; i < 3; ++i) z(name(a).adr + i) = 10.0 + i;
  ASSERT_EQ(name(a).adr, 7998);
  const std::int32_t lbl = addsym("100", 0x2);
  nztop -= 2;
  name(lbl).adr = nztop;
  z(nztop) = 42.0;
  // A view over elements 2 and 3 of A, and one laid over the scalar X.
  const std::int32_t v = addsym("V", 0x810);
  name(v).adr = name(a).adr + 1;
  const std::int32_t w = addsym("W", 0x810);
  name(w).adr = x;

  const std::int32_t oldtop = nztop, olda = name(a).adr, oldv = name(v).adr;
  std::int32_t extra = 8000;
  ASSERT_TRUE(REALLOC(3, extra));
  // New size from what is in use: top block + symbols + reserve + extra.
  EXPECT_EQ(nz, (8000 - oldtop) + nsym + 1000 + 8000);
  const std::int32_t g = nz - 8000;
  EXPECT_EQ(nztop, oldtop + g);
  EXPECT_EQ(name(a).adr, olda + g);
  EXPECT_EQ(z(name(a).adr), 10.0);
  EXPECT_EQ(z(name(a).adr + 2), 12.0);
  EXPECT_EQ(z(name(lbl).adr), 42.0);
  EXPECT_EQ(z(x), 2.5);
  EXPECT_EQ(z(0), 0.0);
  EXPECT_EQ(name(v).adr, oldv + g);
  EXPECT_EQ(z(name(v).adr), 11.0);  // the view still reads A, not another array
  EXPECT_EQ(name(w).adr, x);        // a view over scalars did not move
  EXPECT_EQ(setupsizez, -nz);
  EXPECT_EQ(breakcode, 111);

  // A growth with much free room fits the store down to what is in use.
  extra = 0;
  ASSERT_TRUE(REALLOC(3, extra));
  EXPECT_EQ(nz, (8000 - oldtop) + nsym + 1000);
  EXPECT_EQ(z(name(a).adr + 1), 11.0);
  EXPECT_EQ(z(name(v).adr), 11.0);
  EXPECT_EQ(z(name(lbl).adr), 42.0);
}

TEST(Stores, GrowingC1namenMovesCharacterTextsOnly) {
  storetest::setup(200, 64, 500, 100);
  setbreakvariable = recordbreak;
  const std::int32_t s = addcharvar("S", "hello");
  const std::int32_t t = addcharvar("T", "abc");
  const std::int32_t lit = addsym("lit", 0x41);
  TRANSFER2I4TOR8(name(lit).nambeg, name(lit).nambeg + 2, z(lit));
  // A temporary string between the names and the character texts.
  const std::int32_t tmp = addsym("T1", 0x48);
  c1tmptop = c1top + 4;
  for (int i = 1; i <= 4; ++i) c1namen(c1top + i) = "tmp!"[i - 1];
  TRANSFER2I4TOR8(c1tmptop - 3, c1tmptop, z(tmp));

  std::int32_t first = 0, last = 0, tfirst = 0, tlast = 0;
  TRANSFERR8TO2I4(z(s), first, last);
  TRANSFERR8TO2I4(z(tmp), tfirst, tlast);
  const std::int32_t oldlimit = c1limit;
  std::int32_t extra = 5000;
  ASSERT_TRUE(REALLOC(5, extra));
  EXPECT_EQ(nc1namen, 5500);
  EXPECT_EQ(c1limit, oldlimit + 5000);
  EXPECT_EQ(storetest::textof(s), "hello");
  EXPECT_EQ(storetest::textof(t), "abc");
  EXPECT_EQ(I4EQUZ(1, s), first + 5000);
  EXPECT_EQ(I4EQUZ(2, s), last + 5000);
  // Names, literals and temporaries below the moved block stay.
  EXPECT_EQ(symbolname(lit), "lit");
  EXPECT_EQ(storetest::textof(lit), "lit");
  EXPECT_EQ(I4EQUZ(1, tmp), tfirst);
  EXPECT_EQ(storetest::textof(tmp), "tmp!");
  EXPECT_EQ(setupsizec1namen, -5500);
  EXPECT_EQ(breakcode, 112);
}

TEST(Stores, GrowingAdrsKeepsTheStatementTableAtTheTop) {
  storetest::setup(100, 10, 100, 100);
  nadrs = 20;
  std::int32_t lo = 1, hi = nadrs;
  ALLOCS("adrs", lo, hi);
  for (int i = 16; i <= 20; ++i) adrs(i) = 100 + i;  // statement table
  nadrslow = 16;
  adrs(1) = 5;  // operand stack
  adrs(2) = 6;
  std::int32_t extra = 0;
  ASSERT_TRUE(REALLOC(2, extra));
  EXPECT_EQ(nadrs, 320);
  EXPECT_EQ(nadrslow, 316);
  EXPECT_EQ(adrs(320), 120);
  EXPECT_EQ(adrs(316), 116);
  EXPECT_EQ(adrs(1), 5);
  EXPECT_EQ(adrs(2), 6);
}

TEST(Stores, GrowingXeqbufMovesTheUseChain) {
  storetest::setup(100, 10, 100, 50);
  const std::int32_t s1 = addsym("SUB1", 4);
  const std::int32_t s2 = addsym("SUB2", 4);
  const std::int32_t x = addsym("X", 0x80);
  // Record of SUB1 ends at 50 (lists X), record of SUB2 below it (empty).
  xeqbuf(50) = 3;
  xeqbuf(49) = static_cast<std::int16_t>(s1);
  xeqbuf(48) = static_cast<std::int16_t>(x);
  xeqbuf(47) = 2;
  xeqbuf(46) = static_cast<std::int16_t>(s2);
  nusechain = 46;
  UPDATEUSEBUFFER();
  EXPECT_EQ(name(s1).adr, -50);
  EXPECT_EQ(name(s2).adr, -47);
  EXPECT_TRUE(uselisted(s1, x));
  EXPECT_FALSE(uselisted(s2, x));

  xeqbuf(1) = 1234;
  nedlines = 3;
  std::int32_t extra = 20;
  ASSERT_TRUE(REALLOC(1, extra));
  EXPECT_EQ(nxeqbuf, 50 + 30 + 20);
  EXPECT_EQ(xeqbuf.last(), nxeqbuf + 1);
  EXPECT_EQ(nusechain, 96);
  EXPECT_EQ(name(s1).adr, -100);
  EXPECT_EQ(name(s2).adr, -97);
  EXPECT_TRUE(uselisted(s1, x));
  EXPECT_EQ(xeqbuf(1), 1234);
}

TEST(Stores, MovextdClosesAGapInTheTopBlock) {
  storetest::setup(100, 10, 100, 10);
  const std::int32_t a = addarray("A", 1, 2);  // cells 99, 100
  const std::int32_t b = addarray("B", 1, 3);  // cells 96 to 98
  const std::int32_t c = addarray("C", 1, 2);  // cells 94, 95
  const std::int32_t v = addsym("V", 0x810);   // a view over C
  name(v).adr = name(c).adr;
  for (int i = 94; i <= 100; ++i) z(i) = i;

  MOVEXTD(b, name(b).adr, 0);
  EXPECT_EQ(name(b).adr, 96);
  EXPECT_EQ(nztop, 94);
  EXPECT_EQ(z(96), 96.0);

  // B shrinks away: its three cells go, C moves up into them.
  MOVEXTD(b, name(b).adr, 3);
  EXPECT_EQ(nztop, 97);
  EXPECT_EQ(name(a).adr, 99);
  EXPECT_EQ(name(c).adr, 97);
  EXPECT_EQ(z(97), 94.0);
  EXPECT_EQ(z(98), 95.0);
  EXPECT_EQ(z(99), 99.0);
  EXPECT_EQ(name(v).adr, 97);
}

TEST(Stores, GrowthStopsCleanlyAtTheStoreLimit) {
  storetest::setup(10, nnamelimit - 10, 10, 10);
  std::int32_t extra = nname;
  ASSERT_TRUE(REALLOC(4, extra));
  EXPECT_EQ(nname, nnamelimit);
  EXPECT_TRUE(msgkey.is_blank());
  ASSERT_FALSE(REALLOC(4, extra));
  EXPECT_EQ(nname, nnamelimit);
  EXPECT_EQ(name.last(), nnamelimit);
  EXPECT_EQ(msgkey.str(), "storeLimit");
  EXPECT_EQ(xeqstop, 0x7FFF);

  reset_runwords();
  extra = nc1namenlimit;
  EXPECT_FALSE(REALLOC(5, extra));
  EXPECT_EQ(nc1namen, 10);
  EXPECT_EQ(c1namen.last(), 10);
  EXPECT_FALSE(REALLOC(9, extra));  // no such store
}

// A growth whose memory is not there stops with the store's key and keeps
// the store as it was: here the address space a limit leaves, which the
// growth weighs before it takes any memory.
TEST(Stores, AGrowthWhoseMemoryIsNotThereKeepsTheStore) {
  const pid_t pid = fork();
  if (pid == 0) {
    storetest::setup(10, 10, 10, 10);
    c1namen(3) = 'q';
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    statm >> pages;
    const auto mapped = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE));
    const rlimit limit{mapped + (16 << 20), RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    std::int32_t extra = 200 << 20;
    const bool grown = REALLOC(5, extra);
    _exit(!grown && msgkey.str() == "storeLimit" && xeqstop == stops::error && nc1namen == 10 &&
                  c1namen.last() == 10 && c1namen(3) == 'q'
              ? 0
              : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: it grew or left the store changed; 3: no limit set";
}
