#include "core/symbols_index.h"

#include <algorithm>
#include <vector>

#include "core/stores.h"

namespace core {

namespace {

struct Index {
  std::vector<std::int32_t> head, tail;  // per bucket: its first and last symbol, 0 none
  std::vector<std::int32_t> next;        // per symbol: the next symbol of its bucket, 0 none
  std::vector<std::uint32_t> hash;       // per symbol: the hash of its folded name
  std::vector<std::int32_t> beg;         // per symbol: the name it was taken in with
  std::vector<std::int16_t> len;
  std::int32_t count = 0;  // symbols 1..count are in
};
Index ix;

std::uint32_t foldedhash(const char* p, std::size_t n) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < n; ++i) {
    h ^= static_cast<unsigned char>(p[i]) & ~0x20u;
    h *= 16777619u;
  }
  return h;
}

std::uint32_t bucketof(std::uint32_t h) {
  return h & static_cast<std::uint32_t>(ix.head.size() - 1);
}

void add(std::int32_t k) {
  const SymbolRecord& r = name(k);
  const auto at = static_cast<std::size_t>(k);
  // (A name without characters equals only the empty text; one whose
  // characters lie outside the store equals no text.)
  std::uint32_t h = foldedhash(nullptr, 0);
  if (r.namlen > 0)
    h = c1namen.valid(r.nambeg) && c1namen.valid(r.nambeg + r.namlen - 1)
            ? foldedhash(c1namen.ptr(r.nambeg), static_cast<std::size_t>(r.namlen))
            : ~h;
  ix.hash[at] = h;
  ix.beg[at] = r.nambeg;
  ix.len[at] = r.namlen;
  ix.next[at] = 0;
  const std::uint32_t b = bucketof(h);
  if (ix.tail[b] == 0)
    ix.head[b] = k;
  else
    ix.next[static_cast<std::size_t>(ix.tail[b])] = k;
  ix.tail[b] = k;
}

void rebuild(std::int32_t n) {
  std::size_t buckets = 1024;
  while (buckets < 2 * static_cast<std::size_t>(n)) buckets *= 2;
  ix.head.assign(buckets, 0);
  ix.tail.assign(buckets, 0);
  ix.count = 0;
}

// Takes in the records made since the last look-up.
void sync() {
  const std::int32_t n = std::min<std::int32_t>(nsym, static_cast<std::int32_t>(name.size()));
  if (n < ix.count || ix.head.empty() || 2 * static_cast<std::size_t>(n) > ix.head.size() * 3)
    rebuild(n);
  if (ix.next.size() <= static_cast<std::size_t>(n)) {
    const std::size_t room = std::max<std::size_t>(2 * static_cast<std::size_t>(n), 256);
    ix.next.resize(room);
    ix.hash.resize(room);
    ix.beg.resize(room);
    ix.len.resize(room);
  }
  while (ix.count < n) add(++ix.count);
}

}  // namespace

SymbolCandidates firstcandidate(std::string_view text) {
  sync();
  SymbolCandidates c;
  c.hash = foldedhash(text.data(), text.size());
  c.k = ix.head[bucketof(c.hash)];
  while (c.k != 0 && ix.hash[static_cast<std::size_t>(c.k)] != c.hash)
    c.k = ix.next[static_cast<std::size_t>(c.k)];
  return c;
}

std::int32_t nextcandidate(SymbolCandidates& c) {
  if (c.k == 0) return 0;
  do {
    c.k = ix.next[static_cast<std::size_t>(c.k)];
  } while (c.k != 0 && ix.hash[static_cast<std::size_t>(c.k)] != c.hash);
  return c.k;
}

bool candidatecurrent(std::int32_t k) {
  const auto at = static_cast<std::size_t>(k);
  return k >= 1 && k <= ix.count && name.valid(k) && name(k).nambeg == ix.beg[at] &&
         name(k).namlen == ix.len[at];
}

void symbolsdropped() { ix.count = 0, ix.head.clear(), ix.tail.clear(); }

}  // namespace core
