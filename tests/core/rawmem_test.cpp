#include "core/rawmem.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>

using namespace core;

namespace {

// Two pages: the first readable and writable, the second inaccessible.
struct Guarded {
  std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  char* base = nullptr;
  Guarded() {
    void* p = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base = static_cast<char*>(p);
    mprotect(base + page, page, PROT_NONE);
  }
  ~Guarded() { munmap(base, 2 * page); }
  std::uint64_t lastbytes(std::size_t n) const { return rawaddress(base + page - n); }
};

}  // namespace

TEST(RawMem, ReadsAndWritesEachWidth) {
  unsigned char buf[16] = {};
  const std::uint64_t a = rawaddress(buf);
  buf[0] = 0xFF;
  EXPECT_EQ(GETI1FROMPTR(a), 255);
  SETI1ATPTR(a + 1, 300);
  EXPECT_EQ(buf[1], 44);
  SETI2ATPTR(a, -2);
  EXPECT_EQ(GETI2FROMPTR(a), -2);
  SETI4ATPTR(a + 4, 123456789);
  EXPECT_EQ(GETI4FROMPTR(a + 4), 123456789);
  WRITEI4TOPTR(-7, a + 4);
  std::int32_t r = 0;
  READI4FROMPTR(r, a + 4);
  EXPECT_EQ(r, -7);
  SETR4ATPTR(a, 1.5f);
  EXPECT_EQ(GETR4FROMPTR(a), 1.5f);
  SETR8ATPTR(a + 8, -0.25);
  EXPECT_EQ(GETR8FROMPTR(a + 8), -0.25);
  EXPECT_EQ(rawstatus, 0);

  char text[10];
  std::memset(text, '.', 10);
  const char src[] = "abcdef";
  GETCHFROMPTR(rawaddress(src), 3, text);
  EXPECT_EQ(std::string(text, 10), "abc.......");
  SETCHATPTR(a, 20, "xyz");  // n beyond the text: only the text is copied
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 3), "xyz");
}

TEST(RawMem, BadAddressesFailInsteadOfCrashing) {
  Guarded g;
  EXPECT_EQ(GETI4FROMPTR(0), 0);
  EXPECT_EQ(rawstatus, rawbadaddress);
  EXPECT_EQ(GETR8FROMPTR(16), 0.0);
  EXPECT_EQ(rawstatus, rawbadaddress);
  EXPECT_EQ(GETI4FROMPTR(~0ull - 1), 0);
  EXPECT_EQ(rawstatus, rawbadaddress);
  EXPECT_EQ(GETI4FROMPTR(rawaddress(g.base + g.page)), 0);
  EXPECT_EQ(rawstatus, rawbadaddress);
  // A value that straddles into the inaccessible page is neither read nor
  // written in part.
  std::memset(g.base + g.page - 4, 0x11, 4);
  EXPECT_EQ(GETR8FROMPTR(g.lastbytes(4)), 0.0);
  EXPECT_EQ(rawstatus, rawbadaddress);
  SETR8ATPTR(g.lastbytes(4), 1.0);
  EXPECT_EQ(rawstatus, rawbadaddress);
  EXPECT_EQ(static_cast<unsigned char>(g.base[g.page - 4]), 0x11);
  EXPECT_EQ(GETI4FROMPTR(g.lastbytes(4)), 0x11111111);
  EXPECT_EQ(rawstatus, 0);

  // Read-only memory can be read but not written.
  mprotect(g.base, g.page, PROT_READ);
  EXPECT_TRUE(readablemem(rawaddress(g.base), 8));
  EXPECT_FALSE(writablemem(rawaddress(g.base), 8));
  SETI4ATPTR(rawaddress(g.base), 5);
  EXPECT_EQ(rawstatus, rawbadaddress);
  EXPECT_EQ(GETI4FROMPTR(rawaddress(g.base)), 0);
  char text[4] = {'a', 'b', 'c', 'd'};
  GETCHFROMPTR(16, 4, text);
  EXPECT_EQ(std::string(text, 4), "abcd");
  mprotect(g.base, g.page, PROT_READ | PROT_WRITE);
  EXPECT_TRUE(writablemem(rawaddress(g.base), 8));
}

TEST(RawMem, CharacterArrayIntegers) {
  char c[4];
  SET4C1FROMI4(c, 0x04030201);
  EXPECT_EQ(c[0], 1);
  EXPECT_EQ(c[3], 4);
  EXPECT_EQ(GETI4FROM4C1(c), 0x04030201);
  char a, b, d, e;
  TRANSFERI4TO4C1(-2, a, b, d, e);
  EXPECT_EQ(static_cast<unsigned char>(a), 0xFE);
  EXPECT_EQ(static_cast<unsigned char>(e), 0xFF);
  const char back[4] = {a, b, d, e};
  EXPECT_EQ(GETI4FROM4C1(back), -2);
}

TEST(RawMem, CellPackingCopiesBits) {
  double cell = 0;
  std::int32_t f = 0, s = 0;
  TRANSFER2I4TOR8(5, 9, cell);
  TRANSFERR8TO2I4(cell, f, s);
  EXPECT_EQ(f, 5);
  EXPECT_EQ(s, 9);
  // Bit patterns that are NaNs as reals survive.
  TRANSFER2I4TOR8(1, -1, cell);
  EXPECT_TRUE(std::isnan(cell));
  TRANSFERR8TO2I4(cell, f, s);
  EXPECT_EQ(f, 1);
  EXPECT_EQ(s, -1);
  TRANSFER2I4TOR8(0x7FF00001, 0x7FF00000, cell);
  TRANSFERR8TO2I4(cell, f, s);
  EXPECT_EQ(f, 0x7FF00001);

  std::int16_t i1, i2, i3, i4;
  TRANSFER4I2TOR8(1, -2, 3, -4, cell);
  TRANSFERR8TO4I2(cell, i1, i2, i3, i4);
  EXPECT_EQ(i1, 1);
  EXPECT_EQ(i2, -2);
  EXPECT_EQ(i4, -4);
  TRANSFERR8TO2I4(cell, f, s);
  EXPECT_EQ(f, 1 | (0xFFFE << 16));

  std::int32_t a = 0, b = 0, c = 0;
  TRANSFER3I4TOR8(-2, 7, 100000, cell);
  TRANSFERR8TO3I4(cell, a, b, c);
  EXPECT_EQ(a, -2);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(c, 100000);
}

TEST(RawMem, ArrayConversionsRoundAndSaturate) {
  const double r[] = {2.5, -2.5, 0.49999999999999994, 1e12, -1e12, NAN};
  std::int32_t out[6] = {};
  R8TOI4(6, r, out);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[1], -3);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(out[3], INT32_MAX);
  EXPECT_EQ(out[4], INT32_MIN);
  EXPECT_EQ(out[5], 0);
  std::int32_t few[2] = {9, 9};
  R8TOI4(6, r, few);  // cut to the output's size
  EXPECT_EQ(few[1], -3);

  const std::int32_t ints[] = {1, -2, 3};
  double d[3] = {};
  I4TOR8(ints, 2, d);
  EXPECT_EQ(d[1], -2.0);
  EXPECT_EQ(d[2], 0.0);
  const std::int64_t big[] = {1LL << 40};
  I8TOR8(big, 1, d);
  EXPECT_EQ(d[0], 1099511627776.0);
}
