#include "core/symbols.h"

#include <algorithm>

#include "core/chars.h"
#include "core/codewords.h"
#include "core/program.h"
#include "core/rawmem.h"
#include "core/stores.h"
#include "core/symbols_index.h"

namespace core {

namespace {

bool issymbol(std::int32_t k) { return k >= 1 && k <= nsym && name.valid(k); }

std::int32_t typeof_(std::int32_t k) { return static_cast<std::uint16_t>(name(k).type); }

bool kindsmatch(std::int32_t t, std::int32_t s) {
  // A text literal written as a file's name is a constant of its own, apart
  // from the same text written elsewhere: binding it to a file must not
  // change what the other statements read.
  if (t == 0x141 || s == 0x141) return t == s;
  if ((t & 0x20) && (s & 0x20)) return true;
  if (t == 0x400 && s != 0x41) return true;
  if ((t & 0xE6) == (s & 0xE6) && (t != 0x41 || s == 0x41)) return true;
  return t == 0x80 && s == 0x81;
}

// Record k is a function whose result variable (the record made right
// after it) a search of kind t in scope s finds.
bool resultfollows(std::int32_t k, std::int32_t t, std::int32_t s) {
  return (typeof_(k) & 0x5) == 0x5 && issymbol(k + 1) && kindsmatch(t, typeof_(k + 1)) &&
         name(k + 1).scope == s;
}

// An END stands in a statement after `heading` and before `line`: the
// local subroutine headed there has ended before the line. The statement
// table tells where the statements lie; where it does not reach (a whole
// compile before its walk), nothing is known to end.
bool endsbefore(std::int32_t heading, std::int32_t line) {
  constexpr unsigned end = cwu(stmtcode("END"));
  for (std::int32_t s = heading + 1; s < line; ++s) {
    const std::int32_t first = stmtstart(s), next = stmtstart(s + 1);
    if (first < 1 || next <= first || !xeqbuf.valid(next - 1)) return false;
    if (xeqbuf(first) == -1) continue;  // the executor form holds no END
    for (std::int32_t p = first; p < next; ++p)
      if (cwcode(xeqbuf(p)) == end) return true;
  }
  return false;
}

}  // namespace

std::string_view symbolname(std::int32_t k) {
  if (k < 1 || !name.valid(k)) return {};
  const SymbolRecord& r = name(k);
  if (r.namlen <= 0 || !c1namen.valid(r.nambeg) || !c1namen.valid(r.nambeg + r.namlen - 1))
    return {};
  return {c1namen.ptr(r.nambeg), static_cast<std::size_t>(r.namlen)};
}

bool ELMNT_IS_NAMENI(std::string_view text, std::int32_t k) {
  if (k < 1 || !name.valid(k)) return false;
  if (static_cast<std::int32_t>(text.size()) != std::max<std::int32_t>(name(k).namlen, 0))
    return false;
  if (text.empty()) return true;
  const std::string_view nm = symbolname(k);
  if (nm.size() != text.size()) return false;
  if (typeof_(k) == 0x41) return nm == text;
  for (std::size_t i = 0; i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & ~0x20u) !=
        (static_cast<unsigned char>(nm[i]) & ~0x20u))
      return false;
  return true;
}

bool FINDSN(std::string_view text, std::int32_t& index, std::int32_t t) {
  std::int32_t s = lokalsub;
  if ((t & 0x2) == 0) {
    if (text.empty()) return false;
    if (text[0] == '$' || t == 0x41 || t == 0x141 || t == 0x81) s = 0;
  } else if (lokalscope >= 1) {
    if (text.empty() || text[0] != '.') s = lokalscope;
  } else if (lokalsub == 0) {
    s = FINDLOKALSUB(xeqline);
  }
  // The records in creation order, as if every one were looked at: only
  // those of the same folded name can match, and the index gives those.
  for (;;) {
    SymbolCandidates c = firstcandidate(text);
    bool stale = false;
    for (std::int32_t k = c.k; k != 0 && k <= nsym && name.valid(k); k = nextcandidate(c)) {
      if (!candidatecurrent(k)) {
        stale = true;
        break;
      }
      const std::int32_t st = typeof_(k);
      if (kindsmatch(t, st)) {
        if (((t & 0x4) || name(k).scope == s) && ELMNT_IS_NAMENI(text, k)) {
          index = k;
          if (st == 0x20) {
            keeprecord(k);
            name(k).type = static_cast<std::int16_t>(t);
          }
          return true;
        }
      } else if (k == lokalscope && s == 0 && k < nsym && !resultfollows(k, t, s) &&
                 ELMNT_IS_NAMENI(text, k)) {
        // (The name of a function without dummies, met in its own body as
        // a number, is its result variable: the search goes on to it.)
        index = 0;
        return true;
      }
    }
    if (!stale) return false;
    symbolsdropped();
  }
}

std::int32_t FINDLOKALSUB(std::int32_t line) {
  std::int32_t best = 0, besth = 0;
  for (std::int32_t k = 1; k <= nsym && name.valid(k) && z.valid(k); ++k) {
    if ((typeof_(k) & 0x4) == 0) continue;
    const std::int32_t h = I2EQUZ(1, k);
    if (h > 0 && h < line && h > besth) {
      best = k;
      besth = h;
    }
  }
  // A line after the subroutine's END belongs to the main program again
  // (the script jumps over its routines to the main program's label).
  return best != 0 && endsbefore(besth, line) ? 0 : best;
}

void ADR1FROMSYMBOL(std::int32_t& result, std::int32_t k) {
  result = k;
  if (issymbol(k) && typeof_(k) == 0x10) result = name(k).adr;
}

void SETZTOR8(std::int32_t i, double value) {
  if (i < 1 || !z.valid(i)) return;
  if (i < nztop) {
    if (issymbol(i) && (typeof_(i) & 0x51) == 0) z(i) = value;
  } else if (i <= nz) {
    z(i) = value;
  }
}

std::int32_t ISCHARCHECKED(std::int32_t k, std::int32_t& first, std::int32_t& last) {
  const std::int32_t r = NAMTYP(k, 0x49);
  if (r == 0 || !z.valid(k)) {
    first = 0;
    last = 0;
    return 0;
  }
  TRANSFERR8TO2I4(z(k), c1span.first, c1span.last);
  first = c1span.first;
  last = c1span.last;
  if (first > 0 && first <= nc1namen && last > 0 && last <= nc1namen) return r;
  return -1;
}

std::int32_t ISCHAR(std::int32_t k, std::int32_t& first, std::int32_t& last) {
  // ISCHARCHECKED, with the symbol's type read once.
  const std::int32_t r = NAMTYP(k, 0x49);
  if (r == 0 || !z.valid(k)) {
    first = 0;
    last = 0;
    return 0;
  }
  TRANSFERR8TO2I4(z.data()[k], c1span.first, c1span.last);
  first = c1span.first;
  last = c1span.last;
  if (first > 0 && first <= nc1namen && last > 0 && last <= nc1namen) return r;
  // A text literal without bounds: its text is its own name.
  if (k > nsym) return 0;
  first = name(k).nambeg;
  last = name(k).nambeg + name(k).namlen - 1;
  c1span = {first, last};
  return r;
}

void STRITOC1NAMEN(std::int32_t k, std::string_view text, std::int32_t n) {
  if (k < 1 || !name.valid(k) || !z.valid(k)) return;
  if ((typeof_(k) & 0x41) != 0x40) return;
  TRANSFERR8TO2I4(z(k), c1span.first, c1span.last);
  const std::int32_t first = c1span.first, last = c1span.last;
  if (first <= 0 || last > nc1namen || last < first || !c1namen.valid(last)) return;
  const std::size_t m =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(n, 0)), text.size());
  STRITOC1(text.substr(0, m),
           std::span<char>(c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)));
}

std::int32_t IDXINZ(std::int32_t k, std::int32_t i) {
  if (i < 0) return k;
  if (NAMTYP(k, 0x10) < 1) return k + i;
  std::int32_t rows = 0, cols = 0;
  if (z.valid(k)) TRANSFERR8TO2I4(z(k), rows, cols);
  const long long n = static_cast<long long>(rows) * cols;
  return i < n ? name(k).adr + i : 0;
}

void reset_symbols() {
  lokalsub = 0;
  lokalscope = 0;
  xeqline = 0;
  c1span = {};
  lineended();
}

}  // namespace core
