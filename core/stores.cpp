#include "core/stores.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "core/symbols_index.h"
#include "platform/memory_room.h"
#include "platform/win_wave.h"

namespace core {

namespace {

#ifdef OSTREL_STORE_FAIL_HOOK
// Test builds: the allocation limit from the environment.
[[maybe_unused]] const bool storehooktaken = [] {
  if (const char* v = std::getenv("OSTREL_STORE_FAIL_ABOVE"); v != nullptr)
    storefailabove = std::max<long long>(std::atoll(v), 0);
  return true;
}();
#endif

// Status of a failed allocation: not enough virtual memory.
constexpr std::int32_t nomemory = 41;

void stopsound() {
  if (hwaveout != 0) {
    if (closewaveout) closewaveout(hwaveout);
    hwaveout = 0;
  }
}

// Before `z` is freed: cell 0 must still be 0.0 (a NaN is not).
void checkcellzero() {
  if (z.size() > 0 && !(z(0) == 0.0)) {
    int answer = 0;
    MESSAGEBOX("-", "Internal error|Cannot deallocate Z", answer);
  }
}

// Stores from this size on are weighed against the memory left.
constexpr long long weighedsize = 64LL << 20;

// A fresh buffer of n elements filled with fill, or false (and no memory
// held) when the memory is not there or the test limit refuses it.
template <class T>
bool allocate(std::vector<T>& out, long long n, const T& fill) {
  out.clear();
  out.shrink_to_fit();
  if (n <= 0) return true;
  if (storefailabove > 0 && n > storefailabove / static_cast<long long>(sizeof(T))) return false;
  // A very large store is weighed against the memory left before it is
  // filled: committing more than there is would end the process instead.
  const long long bytes = n * static_cast<long long>(sizeof(T));
  if (bytes >= weighedsize) {
    const std::int64_t room = plat::memoryroom();
    if (room >= 0 && bytes > room) return false;
  }
  try {
    out.assign(static_cast<std::size_t>(n), fill);
    return true;
  } catch (const std::bad_alloc&) {
    out.clear();
    out.shrink_to_fit();
    return false;
  }
}

// A store that could not get its memory stops the line or statement as one
// grown past its limit does.
bool nomemoryleft() {
  istat = nomemory;
  msgkey.set(storelimitkey);
  xeqstop = stops::error;
  return false;
}

// Frees a store and allocates it again with positions from its own base to
// upper, filled with fill; upper below the base only frees. When the memory
// is not there, the store gets its built-in size instead (upper says which)
// and the failure stops the line with `storelimitkey`.
template <class S, class T>
void reallocate(S& store, std::int32_t lower, std::int32_t& upper, std::int32_t fallback,
                const T& fill) {
  istat = 0;
  store.clear();
  store.raw().shrink_to_fit();
  if (lower > upper) return;
  if (allocate(store.raw(), static_cast<long long>(upper) - S::first() + 1, fill)) return;
  nomemoryleft();
  if (fallback < upper && allocate(store.raw(), static_cast<long long>(fallback) - S::first() + 1, fill))
    upper = fallback;
}

// A fresh buffer for a store that grows to positions base .. upper; empty
// (the line or statement stopped) when memory runs out.
template <class S, class T>
bool freshbuffer(std::vector<T>& out, std::int32_t upper, const T& fill) {
  if (allocate(out, static_cast<long long>(upper) - S::first() + 1, fill)) return true;
  return nomemoryleft();
}

bool overlimit(long long size, std::int32_t limit) {
  if (size <= limit) return false;
  msgkey.set(storelimitkey);
  xeqstop = stops::error;
  return true;
}

// Positions of a store's element in its raw vector.
template <class S>
std::size_t at(long long i) {
  return static_cast<std::size_t>(i - S::first());
}

using ZStore = plat::Store0<double>;
using CStore = plat::Store1<char>;
using XStore = plat::Store0<std::int16_t>;
using AStore = plat::Store1<std::int32_t>;
using NStore = plat::Store1<SymbolRecord>;

bool growxeqbuf(std::int32_t extra) {
  const std::int32_t old = nxeqbuf;
  const long long want = static_cast<long long>(old) + 10LL * std::max(nedlines, 0) + extra;
  if (overlimit(want, nxeqbuflimit)) return false;
  const auto nw = static_cast<std::int32_t>(want);
  std::vector<std::int16_t> buf;
  if (!freshbuffer<XStore>(buf, nw + 1, std::int16_t{0})) return false;
  const std::vector<std::int16_t>& src = xeqbuf.raw();
  std::copy_n(src.begin(), std::min(src.size(), buf.size()), buf.begin());
  const std::int32_t g = nw - old;
  if (nusechain > 0 && nusechain <= old && g > 0 && static_cast<std::size_t>(old) < src.size()) {
    // The use chain moves to the new top.
    std::copy(src.begin() + at<XStore>(nusechain), src.begin() + at<XStore>(old) + 1,
              buf.begin() + at<XStore>(nusechain + g));
  }
  stopsound();
  xeqbuf.raw().swap(buf);
  nxeqbuf = nw;
  if (nusechain > 0 && g > 0) {
    nusechain += g;
    UPDATEUSEBUFFER();
  }
  return true;
}

bool growadrs() {
  const std::int32_t old = nadrs;
  const long long want = static_cast<long long>(old) + nadrsstep;
  if (overlimit(want, nadrslimit)) return false;
  const auto nw = static_cast<std::int32_t>(want);
  std::vector<std::int32_t> buf;
  if (!freshbuffer<AStore>(buf, nw, std::int32_t{0})) return false;
  const std::vector<std::int32_t>& src = adrs.raw();
  std::copy_n(src.begin(), std::min(src.size(), buf.size()), buf.begin());
  // The statement table moves to the new top; the operand stack stays.
  const std::int32_t lo = std::max(nadrslow, 1);
  if (lo <= old && static_cast<std::size_t>(old) <= src.size())
    std::copy(src.begin() + at<AStore>(lo), src.begin() + at<AStore>(old) + 1,
              buf.begin() + at<AStore>(lo + nadrsstep));
  stopsound();
  adrs.raw().swap(buf);
  nadrs = nw;
  nadrslow += nadrsstep;
  return true;
}

// The top block of `z` moved by g: addresses into it move with it.
void shifttopaddresses(std::int32_t oldtop, std::int32_t oldnz, std::int32_t g) {
  for (std::int32_t k = 1; k <= nsym && name.valid(k); ++k) {
    SymbolRecord& r = name(k);
    const int t = static_cast<std::uint16_t>(r.type);
    if ((t == 0x2 || t == 0x10 || t == 0x810) && r.adr >= oldtop && r.adr <= oldnz) r.adr += g;
  }
}

bool growz(std::int32_t extra) {
  const std::int32_t old = nz, oldtop = std::min(nztop, nz + 1);
  const long long topsize = static_cast<long long>(old) - oldtop + 1;
  long long want = topsize - 1 + nsym + static_cast<long long>(nzreserve) + extra;
  // Never so small that the symbol cells would run into the top block.
  want = std::max<long long>(want, nsym + topsize);
  if (overlimit(want, nzlimit)) return false;
  const auto nw = static_cast<std::int32_t>(want);
  std::vector<double> buf;
  if (!freshbuffer<ZStore>(buf, nw, 0.0)) return false;
  const std::vector<double>& src = z.raw();
  const std::int32_t g = nw - old;
  // Cells 0 to nsym stay; the top block moves to the new top.
  const std::size_t low = std::min<std::size_t>(static_cast<std::size_t>(nsym) + 1, src.size());
  std::copy_n(src.begin(), low, buf.begin());
  if (topsize > 0 && static_cast<std::size_t>(old) < src.size())
    std::copy(src.begin() + oldtop, src.begin() + old + 1, buf.begin() + (oldtop + g));
  checkcellzero();
  stopsound();
  z.raw().swap(buf);
  nz = nw;
  nztop = oldtop + g;
  shifttopaddresses(oldtop, old, g);
  setupsizez = -nz;
  std::int32_t code = 111;
  if (setbreakvariable) setbreakvariable(code);
  return true;
}

bool growname(std::int32_t extra) {
  long long want = static_cast<long long>(nname) + extra;
  if (nname >= nnamelimit) {
    overlimit(want, nnamelimit);
    return false;
  }
  want = std::min<long long>(want, nnamelimit);
  const auto nw = static_cast<std::int32_t>(want);
  std::vector<SymbolRecord> buf;
  if (!freshbuffer<NStore>(buf, nw, SymbolRecord{})) return false;
  const std::vector<SymbolRecord>& src = name.raw();
  std::copy_n(src.begin(), std::min(src.size(), buf.size()), buf.begin());
  stopsound();
  name.raw().swap(buf);
  nname = nw;
  return true;
}

bool growc1namen(std::int32_t extra) {
  const std::int32_t old = nc1namen;
  const long long want = static_cast<long long>(old) + extra;
  if (overlimit(want, nc1namenlimit)) return false;
  const auto nw = static_cast<std::int32_t>(want);
  std::vector<char> buf;
  if (!freshbuffer<CStore>(buf, nw, ' ')) return false;
  const std::vector<char>& src = c1namen.raw();
  std::copy_n(src.begin(), std::min(src.size(), buf.size()), buf.begin());
  // The texts of the character variables move up by extra.
  const std::int32_t lim = std::max(c1limit, 1);
  if (lim <= old && static_cast<std::size_t>(old) <= src.size())
    std::copy(src.begin() + at<CStore>(lim), src.begin() + at<CStore>(old) + 1,
              buf.begin() + at<CStore>(lim + extra));
  stopsound();
  c1namen.raw().swap(buf);
  nc1namen = nw;
  // Character variables whose text lay in the moved block follow it. Texts
  // below it (temporary strings, literals) did not move and keep their bounds.
  for (std::int32_t k = 1; k <= nsym && name.valid(k) && z.valid(k); ++k) {
    std::int32_t first = 0, last = 0;
    const std::int32_t r = ISCHAR(k, first, last);
    if (r == 0 || (r & 0x1) || !(r & 0x40)) continue;
    TRANSFERR8TO2I4(z(k), first, last);
    if (first > 0 && first <= last && first >= lim && last <= old)
      TRANSFER2I4TOR8(first + extra, last + extra, z(k));
  }
  // So do the names kept among those texts (a record's layout symbol).
  bool names = false;
  for (std::int32_t k = 1; k <= nsym && name.valid(k); ++k) {
    SymbolRecord& r = name(k);
    if (r.namlen > 0 && r.nambeg >= lim && r.nambeg <= old) {
      r.nambeg += extra;
      names = true;
    }
  }
  if (names) symbolsdropped();
  c1limit += extra;
  setupsizec1namen = -nc1namen;
  std::int32_t code = 112;
  if (setbreakvariable) setbreakvariable(code);
  return true;
}

}  // namespace

void ALLOCS(std::string_view store, std::int32_t& lower, std::int32_t& upper) {
  stopsound();
  std::string_view key = store.substr(0, std::min<std::size_t>(store.size(), 32));
  while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
  istat = 0;
  if (key == "adrs") {
    reallocate(adrs, lower, upper, nadrsstep, std::int32_t{0});
  } else if (key == "c1edit") {
    reallocate(c1edit, lower, upper, 0, ' ');
  } else if (key == "c1namen") {
    reallocate(c1namen, lower, upper, nc1namendefault, ' ');
  } else if (key == "name") {
    reallocate(name, lower, upper, nnamedefault, SymbolRecord{});
  } else if (key == "xeqbuf") {
    reallocate(xeqbuf, lower, upper, nxeqbufdefault, std::int16_t{0});
  } else if (key == "z") {
    if (z.size() > 0) checkcellzero();
    reallocate(z, lower, upper, nzdefault, 0.0);
  } else {
    istat = -999;
  }
}

bool REALLOC(std::int32_t kind, std::int32_t& extra) {
  const std::int32_t more = std::max(extra, 0);
  switch (kind) {
    case 1:
      return growxeqbuf(more);
    case 2:
      return growadrs();
    case 3:
      return growz(more);
    case 4:
      return growname(more);
    case 5:
      return growc1namen(more);
    default:
      return false;
  }
}

void MOVEXTD(std::int32_t s, std::int32_t p, std::int32_t n) {
  const std::int32_t oldtop = nztop;
  if (n > 0) {
    for (std::int32_t k = p - 1; k >= nztop; --k)
      if (k + n <= nz && z.valid(k) && z.valid(k + n)) z(k + n) = z(k);
  }
  nztop += n;
  for (std::int32_t k = std::max(s, 1); k <= nsym && name.valid(k); ++k) {
    const int t = static_cast<std::uint16_t>(name(k).type);
    if (t == 0x2 || t == 0x10) name(k).adr += n;
  }
  // Numeric alias views into the cells that moved move with them.
  if (n != 0) {
    for (std::int32_t k = 1; k <= nsym && name.valid(k); ++k) {
      SymbolRecord& r = name(k);
      if (static_cast<std::uint16_t>(r.type) == 0x810 && r.adr >= oldtop && r.adr < p) r.adr += n;
    }
  }
}

void UPDATEUSEBUFFER() {
  std::int32_t p = nxeqbuf;
  while (p > nusechain && xeqbuf.valid(p) && xeqbuf.valid(p - 1)) {
    const std::int32_t owner = xeqbuf(p - 1);
    if (owner < 1 || !name.valid(owner)) break;
    name(owner).adr = -p;
    const std::int32_t len = xeqbuf(p);
    if (len < 2) break;  // a damaged record: stop rather than loop
    p -= len;
  }
}

bool uselisted(std::int32_t sub, std::int32_t sym) {
  if (sub < 1 || !name.valid(sub)) return false;
  const std::int32_t p = -name(sub).adr;
  if (p < 2 || !xeqbuf.valid(p) || xeqbuf(p - 1) != sub) return false;
  const std::int32_t len = xeqbuf(p);
  for (std::int32_t q = p - 2; q > p - len && q >= 0; --q)
    if (xeqbuf(q) == sym) return true;
  return false;
}

void closewavedevice(std::uint32_t handle) {
  win::waveOutClose(win::handle_from<win::HWAVEOUT>(handle));
}

void reset_stores() {
  for (auto* s : {&c1namen, &c1edit}) s->clear();
  z.clear();
  name.clear();
  xeqbuf.clear();
  adrs.clear();
  nz = nzdefault;
  nname = nnamedefault;
  nc1namen = nc1namendefault;
  nxeqbuf = nxeqbufdefault;
  nadrs = 0;
  nsym = 0;
  symbolsdropped();
  nztop = nz + 1;
  nzreserve = 1000;
  c1top = c1tmptop = c1limit = 0;
  nxeqused = nusechain = nadrslow = 0;
  xeqstackbase = xeqstackptr = 0;
  istat = 0;
  nedlines = 0;
  setupsizez = setupsizec1namen = 0;
  hwaveout = 0;
  closewaveout = closewavedevice;
  setbreakvariable = nullptr;
}

}  // namespace core
