// The operations of a BITS call: the walk over the elements of the working
// window (boxes and rings), the IF test, and what each operation does to
// an element's 64-bit groups and to its result variable.
#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/rawmem.h"
#include "core/stores.h"
#include "exec/bits.h"
#include "exec/bits_state.h"

namespace exec::bitsimpl {

namespace {

using core::c1namen;
using core::z;
namespace k = bitskw;

std::uint64_t lowmask(std::int32_t bits) {
  if (bits <= 0) return 0;
  if (bits >= 64) return ~std::uint64_t{0};
  return (std::uint64_t{1} << bits) - 1;
}
std::int64_t signextend(std::uint64_t v, std::int32_t bits) {
  if (bits >= 64) return static_cast<std::int64_t>(v);
  const std::uint64_t m = std::uint64_t{1} << (bits - 1);
  v &= lowmask(bits);
  return static_cast<std::int64_t>((v ^ m) - m);
}

// Element storage of the target.
struct Target {
  Call& c;
  bool text() const { return c.tgt.kind == 8; }
  std::int32_t groups() const { return text() ? (c.w + 7) / 8 : 1; }
  std::int32_t gbytes(std::int32_t g) const { return text() ? std::min(8, c.w - 8 * g) : c.w; }
  std::int32_t cell(std::int32_t e) const { return c.tgt.kind == 1 ? c.tgt.sym : c.tgt.first + e; }
  std::int32_t pos(std::int32_t e, std::int32_t g = 0) const {
    return c.tgt.first + e * c.w + 8 * g;
  }
  std::uint64_t read(std::int32_t e, std::int32_t g) const {
    if (!text()) return static_cast<std::uint64_t>(nearesti8(z(cell(e))));
    std::uint64_t v = 0;
    for (std::int32_t i = 0; i < gbytes(g); ++i)
      v |= static_cast<std::uint64_t>(static_cast<unsigned char>(c1namen(pos(e, g) + i)))
           << (8 * i);
    return v;
  }
  void write(std::int32_t e, std::int32_t g, std::uint64_t v) const {
    if (!text()) {
      z(cell(e)) = static_cast<double>(static_cast<std::int64_t>(v));
      return;
    }
    for (std::int32_t i = 0; i < gbytes(g); ++i)
      c1namen(pos(e, g) + i) = static_cast<char>((v >> (8 * i)) & 0xFF);
  }
};

bool passes(const Call& c, std::uint64_t u, std::int32_t e) {
  const auto v = static_cast<std::int64_t>(u);
  auto range = [&] {
    const std::int64_t a = std::clamp<std::int64_t>(std::min(c.lo, c.hi), 0, 63);
    const std::int64_t b = std::clamp<std::int64_t>(std::max(c.lo, c.hi), 0, 63);
    return lowmask(static_cast<std::int32_t>(b + 1)) & ~lowmask(static_cast<std::int32_t>(a));
  };
  switch (c.test) {
    case Test::none:
      return true;
    case Test::clr:
      return (u & range()) != range();
    case Test::set:
      return (u & range()) != 0;
    case Test::eq:
      return c.lo <= v && v <= c.hi;
    case Test::neq:
      return v < c.lo || v > c.hi;
    case Test::gt:
      return v > c.lo;
    case Test::lt:
      return v < c.lo;
    case Test::loc:
      return c.lo <= e + 1 && e + 1 <= c.hi;
  }
  return true;
}

enum class Step { go, end, fail };

struct Move {
  std::int32_t src, dst;  // elements (numbers) or byte positions (strings)
};

// One operation over the working window.
struct Walk {
  explicit Walk(Call& call) : c(call) {}
  Call& c;
  Target tg{c};
  const Operand& v = c.val;
  const int kw = c.kw;
  std::int32_t rpos = 0;  // current result position (offset from the first cell)
  std::vector<Move> moves;

  bool hasresult() const {
    return v.sym > 0 && (kw == k::bitcount || kw == k::getval || kw == k::high0 || kw == k::high1 ||
                         kw == k::low0 || kw == k::low1);
  }
  bool multicell() const { return v.kind == 2 || v.kind == 4 || v.kind == 8; }

  // The operand of the element: 0, or 1 when the pool is used up.
  std::int32_t fetch(std::int64_t& x) {
    if (v.sym <= 0) {
      x = kw == k::rotate || kw == k::shift ? 1 : 0;
      return 0;
    }
    if (v.kind == 1 && !(c.pool.open && c.pool.v.sym == v.sym)) {
      x = core::nearesti4(z(v.sym));
      return 0;
    }
    return BITSARGUMENT(c, x, v, 1);
  }

  // Result cell or character of the current position, for writing.
  double& rcell() { return z(v.kind == 1 ? v.sym : v.first + rpos); }

  void storeresult(std::int64_t x) {
    if (v.kind == 1 || v.kind == 2 || v.kind == 4)
      rcell() = static_cast<double>(x);
    else if (v.kind == 8)
      c1namen(v.first + rpos) = static_cast<char>(x & 0xFF);
  }

  Step element(std::int32_t e, std::int32_t n, std::int32_t i, bool firstofring) {
    if (e < 0 || e >= c.nelem) {
      c.pool.open = false;
      return Step::end;
    }
    c.lastrow = i;
    c.lastn = n;
    if (hasresult() && multicell() && kw != k::getval &&
        !(kw == k::bitcount && c.boxdim && (v.kind == 2 || v.kind == 4)) &&
        v.first + rpos > v.last) {
      fail(c, bitskeys::val, 3707);
      return Step::fail;
    }
    const bool operandop = kw == k::and_ || kw == k::or_ || kw == k::eor || kw == k::clr ||
                           kw == k::flip || kw == k::setbit || kw == k::rotate || kw == k::shift ||
                           kw == k::setval || kw == k::copy || kw == k::move;
    std::int64_t x = 0, x2 = 0;
    bool list = false;
    if (operandop && v.list >= 2 && v.cells() >= 2) {
      list = true;
      x = nearesti8(z(v.first));
      x2 = nearesti8(z(v.first + 1));
    } else if (operandop && (kw == k::clr || kw == k::flip || kw == k::setbit) &&
               (v.kind == 2 || v.kind == 4) && !(c.pool.open && c.pool.v.sym == v.sym)) {
      list = true;  // a range from the array's first to its last cell
      x = nearesti8(z(v.first));
      x2 = nearesti8(z(std::max(v.last, v.first)));
    } else if (operandop && !(kw == k::and_ || kw == k::or_ || kw == k::eor) && fetch(x) == 1) {
      return Step::end;
    }
    if (kw == k::bitcount && v.kind == 1 && c.ring > 0 && firstofring) z(v.sym) = 0.0;

    if (kw == k::copy || kw == k::move) return copymove(e, i, list, x, x2);
    if (kw == k::xlate) return xlate(e);
    if (kw == k::clr || kw == k::flip || kw == k::setbit) {
      if (v.sym > 0) {
        const std::int64_t from = list ? x : x, to = list ? x2 : x;
        const std::int64_t top = 8LL * c.w;
        if (from < 0 || from >= top) {
          fail(c, bitskeys::adrs, 3713);
          return Step::fail;
        }
        if (to < 0 || to >= top) {
          fail(c, bitskeys::adrs, 3716);
          return Step::fail;
        }
        x = std::min(from, to);
        x2 = std::max(from, to);
      }
    }
    std::int64_t andx = 0;
    bool andfromfetch = false;
    if (kw == k::and_ || kw == k::or_ || kw == k::eor) {
      if ((c.pool.open && c.pool.v.sym == v.sym) || v.kind == 1 ||
          ((v.kind == 2 || v.kind == 4) && !c.boxdim)) {
        if (fetch(andx) == 1) return Step::end;
        andfromfetch = true;
      }
    }
    bool recorded = false;
    for (std::int32_t g = 0; g < tg.groups(); ++g) {
      std::uint64_t val = tg.read(e, g);
      if (!passes(c, val, e)) continue;
      const std::int32_t gb = tg.gbytes(g);
      if (kw == k::and_ || kw == k::or_ || kw == k::eor) {
        std::uint64_t op = static_cast<std::uint64_t>(andx);
        if (!andfromfetch) op = operandbytes(n, g, gb);
        val = kw == k::and_ ? val & op : kw == k::or_ ? val | op : val ^ op;
        tg.write(e, g, val);
      } else if (kw == k::clr || kw == k::flip || kw == k::setbit) {
        std::uint64_t m = 0;
        if (v.sym <= 0) {
          m = kw == k::flip ? lowmask(std::min(c.B, 64)) : ~std::uint64_t{0};
        } else {
          const std::int64_t lo = std::max<std::int64_t>(x - 64LL * g, 0);
          const std::int64_t hi = std::min<std::int64_t>(x2 - 64LL * g, 63);
          if (lo <= hi)
            m = lowmask(static_cast<std::int32_t>(hi + 1)) &
                ~lowmask(static_cast<std::int32_t>(lo));
        }
        val = kw == k::clr ? val & ~m : kw == k::setbit ? val | m : val ^ m;
        tg.write(e, g, val);
      } else if (kw == k::rotate || kw == k::shift) {
        const std::int32_t bits = c.w * 8;
        const std::int32_t W = bits == 8 || bits == 16 || bits == 32 ? bits : 64;
        const std::uint64_t low = val & lowmask(W);
        std::uint64_t r = 0;
        if (kw == k::rotate) {
          const auto m = static_cast<std::int32_t>(((x % W) + W) % W);
          r = m == 0 ? low : ((low << m) | (low >> (W - m))) & lowmask(W);
        } else if (x >= W || x <= -W) {
          r = 0;
        } else if (x >= 0) {
          r = (low << x) & lowmask(W);
        } else {
          r = low >> (-x);
        }
        tg.write(e, g, static_cast<std::uint64_t>(signextend(r, W)));
      } else if (kw == k::setval) {
        tg.write(e, g, g == 0 ? static_cast<std::uint64_t>(x) : 0);
      } else if (kw == k::getval) {
        if (Step s = getval(e, n, g, val); s != Step::go) return s;
      } else if (kw == k::bitcount) {
        if (Step s = bitcount(val); s != Step::go) return s;
      } else if (kw == k::high0 || kw == k::high1 || kw == k::low0 || kw == k::low1) {
        if (v.sym <= 0) continue;
        const bool want1 = kw == k::high1 || kw == k::low1;
        const bool low = kw == k::low0 || kw == k::low1;
        const std::int32_t nb = std::min(8 * gb, c.B - 64 * g);
        std::int32_t found = -1;
        for (std::int32_t b = 0; b < nb; ++b) {
          if (((val >> b) & 1) == (want1 ? 1u : 0u)) {
            found = b;
            if (low) break;
          }
        }
        if (found >= 0) {
          storeresult(static_cast<std::int64_t>(n) * c.w * 8 +
                      std::min<std::int64_t>(64LL * g + found, c.w * 8LL));
          if (low) return Step::end;
        } else if (low) {
          storeresult(0);
        }
      } else if (kw == k::locget) {
        if (!recorded) record(e);
        recorded = true;
        break;
      }
    }
    return Step::go;
  }

  // Operand bytes of AND, OR, EOR from a string (or, with BoxDim, from the
  // current box's cell of a numeric array).
  std::uint64_t operandbytes(std::int32_t n, std::int32_t g, std::int32_t gb) const {
    if (v.kind == 2 || v.kind == 4) {
      const std::int32_t cell = v.first + c.curbox - 1;
      return cell <= v.last ? static_cast<std::uint64_t>(nearesti8(z(cell))) : 0;
    }
    if (v.kind != 8) return 0;
    const std::int32_t at = c.boxdim ? v.first + n : std::min(v.last, v.first + n * c.w);
    std::uint64_t x = 0;
    for (std::int32_t i = 0; i < gb; ++i) {
      const std::int32_t p = at + 8 * g + i;
      if (p <= v.last)
        x |= static_cast<std::uint64_t>(static_cast<unsigned char>(c1namen(p))) << (8 * i);
    }
    return x;
  }

  Step getval(std::int32_t e, std::int32_t n, std::int32_t g, std::uint64_t val) {
    if (v.kind == 1) {
      if (n != 0 || g != 0) {
        fail(c, bitskeys::val, 3708);
        return Step::fail;
      }
      z(v.sym) = static_cast<double>(static_cast<std::int64_t>(val));
    } else if (v.kind == 2 || v.kind == 4) {
      if (v.first + n > v.last) {
        fail(c, bitskeys::val, 3707);
        return Step::fail;
      }
      z(v.first + n) = static_cast<double>(static_cast<std::int64_t>(val));
    } else if (v.kind == 8) {
      const std::int32_t at = v.first + n * c.w + 8 * g;
      if (at > v.last) {
        fail(c, bitskeys::val, 3707);
        return Step::fail;
      }
      for (std::int32_t i = 0; i < tg.gbytes(g) && at + i <= v.last; ++i)
        c1namen(at + i) =
            tg.text() ? c1namen(tg.pos(e, g) + i) : static_cast<char>((val >> (8 * i)) & 0xFF);
    }
    return Step::go;
  }

  Step bitcount(std::uint64_t val) {
    const int cnt = std::popcount(val);
    if (v.kind == 1) {
      z(v.sym) += cnt;
    } else if (v.kind == 2 && c.boxdim) {
      const std::int32_t cell = v.first + c.curbox - 1;
      const auto sv = static_cast<std::int64_t>(val);
      if (cell <= v.last && sv >= 1 && sv <= 63)
        z(cell) = static_cast<double>(nearesti8(z(cell)) | (std::int64_t{1} << (sv - 1)));
    } else if (v.kind == 4 && c.boxdim) {
      const std::int32_t row = v.first + (c.curbox - 1) * v.cols;
      for (std::int32_t b = 0; b < v.cols && b < 64; ++b)
        if (row + b <= v.last && ((val >> b) & 1)) z(row + b) += 1;
    } else if (v.kind == 2 || v.kind == 4) {
      rcell() += cnt;
    } else if (v.kind == 8) {
      const std::int32_t p = v.first + rpos;
      c1namen(p) = static_cast<char>((static_cast<unsigned char>(c1namen(p)) + cnt) & 0xFF);
    } else {
      fail(c, bitskeys::unexpected, 3701);
      return Step::fail;
    }
    return Step::go;
  }

  void record(std::int32_t e) {
    if (v.sym <= 0 || v.constant || v.temporary) return;
    if (v.kind == 1) {
      z(v.sym) = e + 1;
    } else if (v.kind == 2 || v.kind == 4) {
      if (c.lochits == 0)
        for (std::int32_t i = v.first + 1; i <= v.last; ++i) z(i) = 0.0;
      if (v.first + c.lochits <= v.last) z(v.first + c.lochits) = e + 1;
      ++c.lochits;
    }
  }

  Step copymove(std::int32_t e, std::int32_t i, bool list, std::int64_t x, std::int64_t x2) {
    if (!passes(c, tg.read(e, 0), e)) return Step::go;
    // No displacement reaches beyond a target of 32-bit positions.
    x = std::clamp<std::int64_t>(x, INT32_MIN, INT32_MAX);
    x2 = std::clamp<std::int64_t>(x2, INT32_MIN, INT32_MAX);
    if (tg.text()) {
      const std::int64_t shift = list ? (x * c.C + x2) * c.w : x * c.w;
      const std::int64_t src = tg.pos(e), dst = src + shift;
      if (dst >= c.tgt.first && dst + c.w - 1 <= c.tgt.last)
        moves.push_back({static_cast<std::int32_t>(src), static_cast<std::int32_t>(dst)});
      return Step::go;
    }
    std::int64_t dst = 0;
    if (c.tgt.kind == 2) {
      const std::int64_t col = e - static_cast<std::int64_t>(i) * c.C + x;
      if (col < 0 || col >= c.C) return Step::go;
      dst = e + x;
    } else {
      dst = list ? e + x2 * c.C + x : e + x;
    }
    if (dst >= 0 && dst < c.nelem) moves.push_back({e, static_cast<std::int32_t>(dst)});
    return Step::go;
  }

  // Copies (and for MoVe clears) as if all elements moved at once.
  void finishmoves() {
    if (moves.empty()) return;
    if (tg.text()) {
      std::vector<std::string> data;
      for (const Move& m : moves) {
        std::string s;
        for (std::int32_t b = 0; b < c.w; ++b) s += c1namen(m.src + b);
        data.push_back(s);
      }
      if (kw == k::move)
        for (const Move& m : moves)
          for (std::int32_t b = 0; b < c.w; ++b) c1namen(m.src + b) = '\0';
      for (std::size_t j = 0; j < moves.size(); ++j)
        for (std::int32_t b = 0; b < c.w; ++b)
          c1namen(moves[j].dst + b) = data[j][static_cast<std::size_t>(b)];
    } else {
      std::vector<double> data;
      for (const Move& m : moves) data.push_back(z(tg.cell(m.src)));
      if (kw == k::move)
        for (const Move& m : moves) z(tg.cell(m.src)) = 0.0;
      for (std::size_t j = 0; j < moves.size(); ++j) z(tg.cell(moves[j].dst)) = data[j];
    }
  }

  Step xlate(std::int32_t e) {
    if (v.kind != 8) {
      fail(c, bitskeys::xlate, 3730);
      return Step::fail;
    }
    if (!passes(c, tg.read(e, 0), e)) return Step::go;
    std::uint32_t u = 0;
    for (std::int32_t b = 0; b < std::min(c.w, 4); ++b)
      u |= static_cast<std::uint32_t>(static_cast<unsigned char>(c1namen(tg.pos(e) + b)))
           << (8 * b);
    const std::string key = std::to_string(static_cast<std::int32_t>(u)) + ":";
    std::string table;
    for (std::int32_t p = v.first; p <= v.last; ++p) table += c1namen(p);
    const int at = core::C1INDEX(table, key);
    if (at < 1) return Step::go;
    std::int32_t out = 0;
    for (std::size_t p = static_cast<std::size_t>(at - 1) + key.size(); p < table.size(); ++p) {
      const char ch = table[p];
      if (ch == ',') break;
      if (ch == ':') {
        out = 0;
        continue;
      }
      if (out < c.w) c1namen(tg.pos(e) + out++) = ch;
    }
    return Step::go;
  }

  // After an element (or a ring's centre): the result position moves on.
  void advance(std::int32_t n, std::int32_t i, std::int32_t j, std::int32_t r2, std::int32_t c2) {
    if (!multicell() || c.boxmode) return;
    if (n >= c.tbytes / std::max(c.w, 1) - 1) return;
    if (c.xrange && !c.yrange && j != c2) return;
    if (c.yrange && !c.xrange && i != r2) return;
    ++rpos;
  }

  // Walks one window; false when the operation has ended.
  bool window(std::int32_t r1, std::int32_t r2, std::int32_t c1, std::int32_t c2, std::int32_t& n) {
    r1 = std::max(r1, 0);
    c1 = std::max(c1, 0);
    r2 = std::min(r2, c.R - 1);
    c2 = std::min(c2, c.C - 1);
    for (std::int32_t i = r1; i <= r2; ++i) {
      for (std::int32_t j = c1; j <= c2; ++j) {
        if (c.ring > 0) {
          const std::int32_t d = c.ring;
          std::int32_t idx = 0;
          bool first = true;
          auto at = [&](std::int32_t ri, std::int32_t rj) {
            const std::int32_t id = idx++;
            if (ri < 0 || ri >= c.R || rj < 0 || rj >= c.C) return Step::go;
            const Step s = element(ri * c.C + rj, id, i, first);
            first = false;
            return s;
          };
          Step s = Step::go;
          for (std::int32_t q = j - d; q <= j + d && s == Step::go; ++q) s = at(i - d, q);
          for (std::int32_t q = i - d + 1; q <= i + d && s == Step::go; ++q) s = at(q, j + d);
          for (std::int32_t q = j + d - 1; q >= j - d && s == Step::go; --q) s = at(i + d, q);
          for (std::int32_t q = i + d - 1; q >= i - d + 1 && s == Step::go; --q) s = at(q, j - d);
          if (s != Step::go) return false;
        } else if (element(i * c.C + j, n, i, false) != Step::go) {
          return false;
        }
        advance(n, i, j, r2, c2);
        ++n;
      }
    }
    return true;
  }

  void run() {
    std::int32_t n = 0;
    if (c.boxmode && !c.xrange && !c.yrange) {
      for (std::int32_t b = c.curbox; b <= c.lastbox && b >= 1; ++b) {
        c.curbox = b;
        rpos = b - 1;
        const std::int32_t bpr = std::max(c.bpr, 1);
        const std::int32_t r1 = c.br0 + (b - 1) / bpr * c.bh, c1 = c.bc0 + (b - 1) % bpr * c.bw;
        if (r1 >= c.R) break;  // the boxes after it lie below the view
        if (!window(r1, r1 + c.bh - 1, c1, c1 + c.bw - 1, n)) break;
      }
    } else {
      window(c.r1, c.r2, c.c1, c.c2, n);
    }
    if (!c.failed) finishmoves();
  }
};

}  // namespace

void operation(Call& c) {
  const int kw = c.kw;
  const bool known = kw == k::and_ || kw == k::bitcount || kw == k::clr || kw == k::copy ||
                     kw == k::eor || kw == k::flip || kw == k::getval || kw == k::high0 ||
                     kw == k::high1 || kw == k::locget || kw == k::low0 || kw == k::low1 ||
                     kw == k::move || kw == k::or_ || kw == k::rotate || kw == k::shift ||
                     kw == k::setbit || kw == k::setval || kw == k::xlate;
  if (!known) {
    fail(c, bitskeys::kwseq, 3718);
    return;
  }
  if ((kw == k::copy || kw == k::move) && c.tgt.kind == 1) {
    fail(c, bitskeys::mvcp, 3729);
    return;
  }
  if (kw == k::xlate && c.tgt.kind != 8) {
    fail(c, bitskeys::xlate, 3730);
    return;
  }
  Walk walk(c);
  walk.run();
  c.test = Test::none;
  c.curbox = c.firstbox;
}

}  // namespace exec::bitsimpl
