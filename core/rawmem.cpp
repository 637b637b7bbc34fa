#include "core/rawmem.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace core {

namespace {

// Memory of this process is copied through the kernel, which answers a bad
// address with an error instead of a fault. Where that call is not allowed
// the process's mapping table is read instead.
enum class Access { read, write };

bool mapped(std::uint64_t address, std::size_t n, Access a) {
  std::FILE* f = std::fopen("/proc/self/maps", "r");
  if (!f) return false;
  std::uint64_t want = address;
  const std::uint64_t end = address + n;
  char line[512];
  // The table is sorted by address: walk it until the range is covered.
  while (want < end && std::fgets(line, sizeof line, f)) {
    unsigned long long lo = 0, hi = 0;
    char perms[8] = {};
    if (std::sscanf(line, "%llx-%llx %7s", &lo, &hi, perms) != 3) continue;
    if (hi <= want) continue;
    if (lo > want) break;
    const bool ok = a == Access::read ? perms[0] == 'r' : perms[1] == 'w';
    if (!ok) break;
    want = hi;
  }
  std::fclose(f);
  return want >= end;
}

bool kernelcopy(std::uint64_t address, void* local, std::size_t n, Access a, bool& unsupported) {
  iovec loc{local, n};
  iovec rem{reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), n};
  const ssize_t done = a == Access::read ? process_vm_readv(getpid(), &loc, 1, &rem, 1, 0)
                                         : process_vm_writev(getpid(), &loc, 1, &rem, 1, 0);
  unsupported = done < 0 && (errno == ENOSYS || errno == EPERM);
  return done == static_cast<ssize_t>(n);
}

bool inrange(std::uint64_t address, std::size_t n) {
  return address != 0 && n <= UINTPTR_MAX - address;
}

template <class T>
T getat(std::uint64_t address) {
  T v{};
  if (!rawread(address, &v, sizeof v)) return T{};
  return v;
}

template <class T>
void setat(std::uint64_t address, T v) {
  rawwrite(address, &v, sizeof v);
}

}  // namespace

bool readablemem(std::uint64_t address, std::size_t n) {
  if (n == 0) return true;
  if (!inrange(address, n)) return false;
  std::vector<unsigned char> tmp(n);
  bool unsupported = false;
  if (kernelcopy(address, tmp.data(), n, Access::read, unsupported)) return true;
  return unsupported && mapped(address, n, Access::read);
}

bool writablemem(std::uint64_t address, std::size_t n) {
  if (n == 0) return true;
  if (!inrange(address, n)) return false;
  // Read the bytes and write the same bytes back: a range that takes them
  // is writable, and a partial write changed nothing.
  std::vector<unsigned char> tmp(n);
  bool unsupported = false;
  if (!kernelcopy(address, tmp.data(), n, Access::read, unsupported))
    return unsupported && mapped(address, n, Access::write);
  if (kernelcopy(address, tmp.data(), n, Access::write, unsupported)) return true;
  return unsupported && mapped(address, n, Access::write);
}

bool rawread(std::uint64_t address, void* dst, std::size_t n) {
  rawstatus = rawbadaddress;
  if (n == 0) {
    rawstatus = 0;
    return true;
  }
  if (!inrange(address, n)) return false;
  bool unsupported = false;
  if (!kernelcopy(address, dst, n, Access::read, unsupported)) {
    if (!unsupported || !mapped(address, n, Access::read)) return false;
    std::memcpy(dst, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), n);
  }
  rawstatus = 0;
  return true;
}

bool rawwrite(std::uint64_t address, const void* src, std::size_t n) {
  rawstatus = rawbadaddress;
  if (n == 0) {
    rawstatus = 0;
    return true;
  }
  if (!writablemem(address, n)) return false;
  bool unsupported = false;
  if (!kernelcopy(address, const_cast<void*>(src), n, Access::write, unsupported)) {
    if (!unsupported) return false;
    std::memcpy(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)), src, n);
  }
  rawstatus = 0;
  return true;
}

std::int16_t GETI1FROMPTR(std::uint64_t address) { return getat<std::uint8_t>(address); }
std::int16_t GETI2FROMPTR(std::uint64_t address) { return getat<std::int16_t>(address); }
std::int32_t GETI4FROMPTR(std::uint64_t address) { return getat<std::int32_t>(address); }
void READI4FROMPTR(std::int32_t& result, std::uint64_t address) {
  result = getat<std::int32_t>(address);
}
float GETR4FROMPTR(std::uint64_t address) { return getat<float>(address); }
double GETR8FROMPTR(std::uint64_t address) { return getat<double>(address); }

void GETCHFROMPTR(std::uint64_t address, std::int32_t n, std::span<char> text) {
  const std::size_t m =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), text.size());
  rawread(address, text.data(), m);
}

void SETI1ATPTR(std::uint64_t address, std::int16_t value) {
  setat<std::uint8_t>(address, static_cast<std::uint8_t>(value & 0xFF));
}
void SETI2ATPTR(std::uint64_t address, std::int16_t value) { setat(address, value); }
void SETI4ATPTR(std::uint64_t address, std::int32_t value) { setat(address, value); }
void WRITEI4TOPTR(std::int32_t value, std::uint64_t address) { setat(address, value); }
void SETR4ATPTR(std::uint64_t address, float value) { setat(address, value); }
void SETR8ATPTR(std::uint64_t address, double value) { setat(address, value); }

void SETCHATPTR(std::uint64_t address, std::int32_t n, std::string_view text) {
  const std::size_t m =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), text.size());
  rawwrite(address, text.data(), m);
}

std::int32_t GETI4FROM4C1(std::span<const char> c) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && i < c.size(); ++i)
    v |= static_cast<std::uint32_t>(static_cast<unsigned char>(c[i])) << (8 * i);
  return static_cast<std::int32_t>(v);
}

void SET4C1FROMI4(std::span<char> c, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4 && i < c.size(); ++i) c[i] = static_cast<char>(v >> (8 * i));
}

void TRANSFERI4TO4C1(std::int32_t value, char& c1, char& c2, char& c3, char& c4) {
  char c[4];
  SET4C1FROMI4(c, value);
  c1 = c[0];
  c2 = c[1];
  c3 = c[2];
  c4 = c[3];
}

void TRANSFER3I4TOR8(std::int32_t a, std::int32_t b, std::int32_t c, double& cell) {
  const std::int16_t ab[2] = {static_cast<std::int16_t>(a), static_cast<std::int16_t>(b)};
  unsigned char bytes[8];
  std::memcpy(bytes, ab, 4);
  std::memcpy(bytes + 4, &c, 4);
  std::memcpy(&cell, bytes, 8);
}

void TRANSFERR8TO3I4(double cell, std::int32_t& a, std::int32_t& b, std::int32_t& c) {
  std::int16_t ab[2];
  unsigned char bytes[8];
  std::memcpy(bytes, &cell, 8);
  std::memcpy(ab, bytes, 4);
  std::memcpy(&c, bytes + 4, 4);
  a = ab[0];
  b = ab[1];
}

std::int32_t nearesti4(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::round(v);  // halves away from zero
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(r);
}

std::int32_t nearestwithin(double v, std::int32_t most) {
  if (std::isnan(v)) return 0;
  return static_cast<std::int32_t>(
      std::round(std::clamp(v, -static_cast<double>(most), static_cast<double>(most))));
}

void R8TOI4(std::int16_t count, std::span<const double> reals, std::span<std::int32_t> out) {
  const std::size_t n =
      std::min({static_cast<std::size_t>(std::max<int>(count, 0)), reals.size(), out.size()});
  for (std::size_t i = 0; i < n; ++i) out[i] = nearesti4(reals[i]);
}

void I4TOR8(std::span<const std::int32_t> ints, std::int32_t count, std::span<double> out) {
  const std::size_t n =
      std::min({static_cast<std::size_t>(std::max(count, 0)), ints.size(), out.size()});
  for (std::size_t i = 0; i < n; ++i) out[i] = ints[i];
}

void I8TOR8(std::span<const std::int64_t> ints, std::int32_t count, std::span<double> out) {
  const std::size_t n =
      std::min({static_cast<std::size_t>(std::max(count, 0)), ints.size(), out.size()});
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<double>(ints[i]);
}

}  // namespace core
