#include "exec/allocate.h"

#include <algorithm>
#include <cstring>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace exec {

namespace {

std::uint16_t typeof_(std::int32_t k) { return static_cast<std::uint16_t>(core::name(k).type); }

bool overlaps(std::int64_t a, std::int64_t b, std::int64_t from, std::int64_t to) {
  return a <= to && b >= from;
}

// Whether cells from..to of `z` hold nothing but array s's elements.
bool cellsownedby(std::int32_t s, std::int32_t from, std::int32_t to) {
  for (std::int32_t k = 1; k <= core::nsym && core::name.valid(k) && core::z.valid(k); ++k) {
    if (k == s) continue;
    const std::uint16_t t = typeof_(k);
    const std::int32_t adr = core::name(k).adr;
    if ((t & 0x10) != 0 && (t & 0x40) == 0) {
      std::int32_t rows = 0, cols = 0;
      core::TRANSFERR8TO2I4(core::z(k), rows, cols);
      const std::int64_t n = static_cast<std::int64_t>(std::max(rows, 0)) * std::max(cols, 0);
      // (A view of no elements still marks its place.)
      if (adr > 0 && overlaps(adr, adr + std::max<std::int64_t>(n, 1) - 1, from, to)) return false;
    } else if ((t & 0x2) != 0 && overlaps(adr, static_cast<std::int64_t>(adr) + 1, from, to)) {
      return false;
    }
  }
  return true;
}

// Whether characters from..to of `c1namen` hold nothing but text s.
bool charsownedby(std::int32_t s, std::int32_t from, std::int32_t to) {
  for (std::int32_t k = 1; k <= core::nsym && core::name.valid(k) && core::z.valid(k); ++k) {
    const core::SymbolRecord& r = core::name(k);
    if (r.namlen > 0 && overlaps(r.nambeg, static_cast<std::int64_t>(r.nambeg) + r.namlen - 1, from, to))
      return false;
    if (k == s || (typeof_(k) & 0x40) == 0) continue;
    std::int32_t first = 0, last = 0;
    core::TRANSFERR8TO2I4(core::z(k), first, last);
    if (first > 0 && overlaps(first, std::max(first, last), from, to)) return false;
  }
  return true;
}

// Makes room for need more elements at the free end of store kind (3 `z`,
// 5 `c1namen`), growing it by as much again as its part in use when it
// may; when that larger growth cannot be had, by need alone.
bool growfor(std::int32_t kind, std::int32_t need, std::int64_t inuse, std::int64_t size,
             std::int64_t limit) {
  const std::int64_t spare = std::clamp<std::int64_t>(inuse, 0, limit - size - need);
  if (spare > 0) {
    const auto key = core::msgkey;
    const std::int32_t stop = core::xeqstop, istat = core::istat;
    std::int32_t extra = static_cast<std::int32_t>(need + spare);
    if (core::REALLOC(kind, extra)) return true;
    core::msgkey = key;
    core::xeqstop = stop;
    core::istat = istat;
  }
  std::int32_t extra = need;
  return core::REALLOC(kind, extra);
}

}  // namespace

bool allocatecells(std::int32_t s, std::int32_t n) {
  std::int32_t oldadr = core::name(s).adr, orows = 0, ocols = 0;
  core::TRANSFERR8TO2I4(core::z(s), orows, ocols);
  std::int64_t oldn =
      oldadr > 0 ? static_cast<std::int64_t>(std::max(orows, 0)) * std::max(ocols, 0) : 0;
  // The old elements at the free end, and only they: the new ones end where
  // they ended.
  const bool inplace = oldn > 0 && oldadr == core::nztop && oldadr + oldn - 1 <= core::nz &&
                       cellsownedby(s, oldadr, static_cast<std::int32_t>(oldadr + oldn - 1));
  const std::int64_t end = inplace ? oldadr + oldn : core::nztop;
  const std::int64_t need = std::max<std::int64_t>(core::nztop - (end - n), 0);
  if (core::nztop - need <= core::iresult + core::nzreserve / 10) {
    if (!growfor(3, static_cast<std::int32_t>(need), core::nz - core::nztop + 1, core::nz,
                 core::nzlimit))
      return false;
    // (The top block moved with the growth, the array's elements with it.)
    oldadr = core::name(s).adr;
  }
  const std::int32_t adr =
      inplace ? static_cast<std::int32_t>(oldadr + oldn - n) : core::nztop - n;
  double* const cells = core::z.raw().data();
  const std::int64_t kept = std::min<std::int64_t>(oldn, n);
  if (kept > 0 && adr != oldadr)
    std::memmove(cells + adr, cells + oldadr, static_cast<std::size_t>(kept) * sizeof(double));
  std::fill(cells + adr + kept, cells + adr + n, 0.0);
  // (Cells a shorter array in place no longer takes are free again.)
  core::nztop = adr;
  core::name(s).adr = adr;
  return true;
}

bool allocatetext(std::int32_t s, std::int32_t n) {
  std::int32_t f = 0, l = 0;
  core::ISCHAR(s, f, l);
  std::int64_t oldlen = f > 0 && l >= f ? l - f + 1 : 0;
  const bool inplace = oldlen > 0 && f == core::c1limit && l <= core::nc1namen &&
                       charsownedby(s, f, l);
  const std::int64_t end = inplace ? static_cast<std::int64_t>(l) + 1 : core::c1limit;
  const std::int64_t need = std::max<std::int64_t>(core::c1limit - (end - n), 0);
  if (core::c1limit - need <= core::c1tmptop + 1) {
    if (!growfor(5, static_cast<std::int32_t>(need), core::nc1namen - core::c1limit + 1,
                 core::nc1namen, core::nc1namenlimit))
      return false;
    // (The texts moved up with the growth, this one with them.)
    core::ISCHAR(s, f, l);
    oldlen = f > 0 && l >= f ? l - f + 1 : 0;
  }
  const std::int32_t first =
      inplace ? static_cast<std::int32_t>(f + oldlen - n) : core::c1limit - n;
  char* const chars = core::c1namen.raw().data();  // chars[p - 1] is c1namen(p)
  const std::int64_t kept = std::min<std::int64_t>(oldlen, n);
  if (kept > 0 && first != f)
    std::memmove(chars + first - 1, chars + f - 1, static_cast<std::size_t>(kept));
  std::fill(chars + first - 1 + kept, chars + first - 1 + n, ' ');
  core::c1limit = first;
  core::SETI4EQUZ(1, s, first);
  core::SETI4EQUZ(2, s, first + n - 1);
  return true;
}

}  // namespace exec
