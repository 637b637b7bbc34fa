// The integer arrays of the index text: binary (four characters, least
// significant first) or hexadecimal fields, and the decoding of all three
// arrays of an index with the checks that keep a damaged index from being
// read past its end.
#include <bit>
#include <cstring>
#include <numeric>

#include "core/stores.h"
#include "text/invidx.h"

namespace text {

bool ERROR_TRANSFERC1NAMENTOI4(std::int32_t first, std::int32_t last, std::int32_t n,
                               std::int32_t* out) {
  if (n < 0 || first < 1 || static_cast<std::int64_t>(first) + 4LL * n - 1 > last ||
      (n > 0 && !core::c1namen.valid(static_cast<std::int64_t>(first) + 4LL * n - 1))) {
    invidxrun.status = iist_damaged;
    return false;
  }
  if (n == 0) return true;
  const char* p = core::c1namen.ptr(first);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, p, 4 * static_cast<std::size_t>(n));
    return true;
  }
  for (std::int32_t i = 0; i < n; ++i, p += 4) {
    const auto b = [&](int k) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(p[k]));
    };
    out[i] = static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24);
  }
  return true;
}

bool ERROR_READFMTC1(std::string_view text, std::int32_t width, std::int32_t n, std::int32_t* out) {
  if (n < 0 || width < 1 ||
      static_cast<std::int64_t>(width) * n > static_cast<std::int64_t>(text.size())) {
    invidxrun.status = iist_damaged;
    return false;
  }
  for (std::int32_t i = 0; i < n; ++i) {
    std::uint64_t v = 0;
    for (std::int32_t k = 0; k < width; ++k) {
      const char ch = text[static_cast<std::size_t>(i * width + k)];
      int d = -1;
      if (ch >= '0' && ch <= '9')
        d = ch - '0';
      else if (ch >= 'A' && ch <= 'F')
        d = ch - 'A' + 10;
      else if (ch >= 'a' && ch <= 'f')
        d = ch - 'a' + 10;
      else if (ch == ' ')
        continue;
      if (d < 0 || v > 0xFFFFFFFull) {
        invidxrun.status = iist_badfield;
        return false;
      }
      v = v * 16 + static_cast<std::uint64_t>(d);
    }
    out[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  }
  return true;
}

void TRANSFERI4TOC1NAMEN(char* to, const std::vector<std::int32_t>& a) {
  if constexpr (std::endian::native == std::endian::little) {
    if (!a.empty()) std::memcpy(to, a.data(), 4 * a.size());
  } else {
    for (std::size_t i = 0; i < a.size(); ++i)
      for (std::size_t b = 0; b < 4; ++b)
        to[4 * i + b] = static_cast<char>((static_cast<std::uint32_t>(a[i]) >> (8 * b)) & 0xFF);
  }
  to[4 * a.size()] = '\n';
}

void WRITEFMTC1NAMEN(std::string& out, const std::vector<std::int32_t>& a, std::int32_t width) {
  static constexpr char digits[] = "0123456789ABCDEF";
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(width) * a.size(), ' ');
  char* p = out.data() + at;
  for (const std::int32_t v : a) {
    auto u = static_cast<std::uint32_t>(v);
    char* q = p + width;
    do {
      *--q = digits[u & 0xF];
      u >>= 4;
    } while (u != 0 && q > p);
    p += width;
  }
  out += '\n';
}

std::int32_t IITRIMMEDLEN(std::int32_t first, std::int32_t last) {
  if (last < first) return 0;
  const char* p = core::c1namen.ptr(first);
  std::int64_t n = static_cast<std::int64_t>(last) - first + 1;
  // Blocks of 64 blanks from the end, eight words at a time.
  constexpr std::uint64_t blanks = 0x2020202020202020ull;
  while (n >= 64) {
    std::uint64_t w[8];
    std::memcpy(w, p + n - 64, 64);
    std::uint64_t diff = 0;
    for (const std::uint64_t x : w) diff |= x ^ blanks;
    if (diff != 0) break;
    n -= 64;
  }
  while (n > 0 && p[n - 1] == ' ') --n;
  return static_cast<std::int32_t>(n);
}

std::int32_t READINVIDXARRAYS(std::int32_t first, std::int32_t last, InvIdxArrays& a, bool whole) {
  const InvIdxRun& r = invidxrun;
  // (Resized, not freed: the vectors keep their room for the next run,
  // and what they hold is overwritten.)
  a.B = r.rowold + 1;
  if (r.NWORDS < 0 || r.NIDS < 0 || r.NPOSS < 0 || r.NPOSS == 0) {
    a.posspw.raw().clear();
    a.rows.raw().clear();
    a.poss.raw().clear();
    return r.NPOSS == 0 && r.NWORDS >= 0 && r.NIDS >= 0 ? 0
                                                        : iist_damaged;  // no positions: no arrays
  }
  const std::int64_t len = static_cast<std::int64_t>(last) - first + 1;
  const std::int64_t w = r.hex ? r.rwidth : 4;
  auto fits = [&](std::int32_t at, std::int64_t n) {
    return at >= 1 && n >= 0 && at - 1 + n * w <= len;
  };
  const std::int64_t nrows = static_cast<std::int64_t>(r.NWORDS) * a.B;
  if (!fits(r.POSSPW1, r.NWORDS) || !fits(r.IDSINW1, nrows) || !fits(r.POSS1, r.NPOSS))
    return iist_damaged;
  a.posspw.resize(static_cast<std::size_t>(r.NWORDS));
  if (whole) {
    a.rows.resize(static_cast<std::size_t>(nrows));
    a.poss.resize(static_cast<std::size_t>(r.NPOSS));
  }
  auto read = [&](std::int32_t at, std::int64_t n, std::int32_t* out) {
    if (n == 0) return true;
    const std::int32_t p = first + at - 1;
    if (!r.hex) return ERROR_TRANSFERC1NAMENTOI4(p, last, static_cast<std::int32_t>(n), out);
    return ERROR_READFMTC1(std::string_view(core::c1namen.ptr(p), static_cast<std::size_t>(n * w)),
                           r.rwidth, static_cast<std::int32_t>(n), out);
  };
  if (!read(r.POSSPW1, r.NWORDS, a.posspw.data()) ||
      (whole && (!read(r.IDSINW1, nrows, a.rows.data()) || !read(r.POSS1, r.NPOSS, a.poss.data()))))
    return invidxrun.status;
  // Every word owns its groups: the counts add up to the positions array.
  std::int64_t sum = 0;
  for (const std::int32_t k : a.posspw.raw()) {
    if (k < 0) return iist_damaged;
    sum += k;
  }
  return sum == r.NPOSS ? 0 : iist_damaged;
}

}  // namespace text
