#include "exec/bits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/chars.h"
#include "core/numread.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/bits_state.h"
#include "exec/optdispatch.h"
#include "exec/optvalues.h"

namespace exec::bitsimpl {

using core::c1namen;
using core::name;
using core::z;

std::int64_t nearesti8(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::round(v);  // halves away from zero
  if (r >= 9223372036854775807.0) return INT64_MAX;
  if (r <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}

Operand operand(std::int32_t sym, int list) {
  Operand o;
  o.sym = sym;
  if (sym < 1 || !name.valid(sym) || !z.valid(sym)) {
    o.sym = std::min(sym, 0);
    return o;
  }
  const int type = static_cast<std::uint16_t>(name(sym).type);
  o.constant = sym <= core::nsym && (type & 0x1) != 0;
  o.temporary = sym > core::nsym || (type & 0x8) != 0;
  if (list >= 2) {
    o.kind = 2;
    o.list = list;
    o.first = name(sym).adr;
    o.last = o.first + list - 1;
    o.cols = list;
    if (!z.valid(o.first) || !z.valid(o.last)) o.last = o.first - 1;
    return o;
  }
  switch (type & 0xD0) {
    case 0x10: {
      core::TRANSFERR8TO2I4(z(sym), o.rows, o.cols);
      o.kind = o.rows == 1 ? 2 : 4;
      o.first = name(sym).adr;
      const long long n = static_cast<long long>(std::max(o.rows, 0)) * std::max(o.cols, 0);
      o.last = static_cast<std::int32_t>(o.first + std::min<long long>(n, INT32_MAX / 2) - 1);
      if (n > 0 && (!z.valid(o.first) || !z.valid(o.last))) o.last = o.first - 1;
      return o;
    }
    case 0x40: {
      std::int32_t f = 0, l = 0;
      if ((type & 0x1) != 0)
        core::ISCHAR(sym, f, l);  // a literal without bounds is its own name
      else
        core::TRANSFERR8TO2I4(z(sym), f, l);
      if (l == f - 1) {
        o.kind = 8;  // an empty text
        o.first = f;
        o.last = l;
      } else if (f >= 1 && l >= f && c1namen.valid(f) && c1namen.valid(l)) {
        o.kind = 8;
        o.first = f;
        o.last = l;
      }
      return o;
    }
    case 0x80:
      o.kind = 1;
      o.first = o.last = sym;
      return o;
    default:
      if (sym > core::nsym) {  // a cell without a named symbol
        o.kind = 1;
        o.first = o.last = sym;
      }
      return o;
  }
}

namespace {

// Little-endian integer of up to 8 characters of c1namen(first..last).
std::int64_t textinteger(std::int32_t first, std::int32_t last) {
  std::uint64_t v = 0;
  for (std::int32_t i = 0; i < 8 && first + i <= last; ++i)
    v |= static_cast<std::uint64_t>(static_cast<unsigned char>(c1namen(first + i))) << (8 * i);
  return static_cast<std::int64_t>(v);
}

std::string textof(const Operand& o) {
  std::string s;
  for (std::int32_t i = o.first; i <= o.last; ++i) s += c1namen(i);
  return s;
}

// Opens a pool on v (status 2 when v is no array or string).
std::int32_t openpool(Call& c, const Operand& v) {
  if (c.pool.open && c.pool.v.sym == v.sym) return 0;
  if (v.kind != 2 && v.kind != 4 && v.kind != 8) {
    c.pool = Pool{};
    return 2;
  }
  Pool p;
  p.open = true;
  p.v = v;
  if (v.kind == 8) {
    p.text = true;
    const std::string s = textof(v);
    int end = 0;
    const int n = core::INTSCOUNT(s, static_cast<int>(s.size()), 1, end);
    p.chars = n == 0 || (n == 1 && end == static_cast<int>(s.size()));
    p.count = n == 1 ? end : n;
    p.pos = p.chars ? v.first : 1;
    if (p.chars && n == 0) p.count = 0;
  } else {
    p.count = v.cells();
    p.pos = v.first;
  }
  p.total = c.pool.total;
  c.pool = p;
  return 0;
}

// One value out of the pool; false when the pool has no further value.
bool poolnext(Call& c, std::int64_t& out) {
  Pool& p = c.pool;
  if (!p.text) {
    if (p.pos > p.v.last) return false;
    out = nearesti8(z(p.pos++));
  } else if (p.chars) {
    if (p.pos > p.v.last) return false;
    out = static_cast<unsigned char>(c1namen(p.pos++));
  } else {
    const std::string s = textof(p.v);
    double x = 0.0;
    std::int32_t pos = -p.pos, status = 0;
    if (p.pos > static_cast<std::int32_t>(s.size())) return false;
    core::GETR8N(s, static_cast<std::int32_t>(s.size()), x, pos, status);
    if (status != 0) return false;
    p.pos = std::abs(pos);
    out = nearesti8(x);
  }
  ++p.taken;
  ++p.total;
  return true;
}

}  // namespace

std::int32_t BITSARGUMENT(Call& c, std::int64_t& out, const Operand& v, int wrap) {
  if (c.pool.open && v.sym == c.pool.v.sym) {
    if (poolnext(c, out)) return 0;
    if (wrap == 0) {
      c.pool.open = false;
      return 1;
    }
    // A numeric pool at least as long as the target delivers nothing new.
    if (!c.pool.text && c.pool.taken >= c.nelem) return 0;
    c.pool.pos = c.pool.text && !c.pool.chars ? 1 : c.pool.v.first;
    c.pool.taken = 0;
    if (c.pool.text && !c.pool.chars) {
      out = 0;
      return 0;
    }
    if (!poolnext(c, out)) {
      c.pool.open = false;
      return 1;
    }
    return 0;
  }
  if (v.kind == 1 || v.kind == 2 || v.kind == 4) {
    out = core::nearesti4(z(v.sym));
  } else if (v.kind == 8) {
    out = textinteger(v.first, v.last);
  } else {
    out = 0;
  }
  return 0;
}

void fail(Call& c, std::string_view key, std::int32_t number) {
  c.failed = true;
  if (c.errorflag) {
    core::msgkey.blank();
    return;
  }
  const Operand& v = c.val;
  float first = 0.0f, second = 0.0f;
  const auto cells = static_cast<float>(v.kind == 1 ? 1 : v.cells());
  if (key == bitskeys::adrs) {
    first = static_cast<float>(c.R) * static_cast<float>(c.C) * static_cast<float>(c.w);
    second = static_cast<float>(c.tbytes);
  } else if (key == bitskeys::box || key == bitskeys::val) {
    first = cells;
    second = static_cast<float>(c.R) * static_cast<float>(c.C);
  } else if (key == bitskeys::argneeded) {
    first = c.bareearlier ? static_cast<float>(c.tbytes) : 0.0f;
    second = static_cast<float>(c.w);
  }
  bitsdetail.first = first;
  bitsdetail.second = second;
  bitsdetail.view = {0, c.R, c.C,
                     static_cast<std::int32_t>(std::min<std::int64_t>(8LL * c.w, INT32_MAX))};
  core::iostatw[0] = static_cast<std::int16_t>(core::xeqline);
  core::iostatw[1] = static_cast<std::int16_t>(number);
  core::iostatw[2] = static_cast<std::int16_t>(c.noptions - c.slot + 1);
  core::iostatw[3] = static_cast<std::int16_t>(c.origin);
  std::string detail;
  const auto& entries = core::shoplist(core::OptStmt::BITS).entries;
  if (c.kw >= 0 && static_cast<std::size_t>(c.kw) < entries.size() && c.slot < c.noptions)
    detail = std::string(entries[static_cast<std::size_t>(c.kw)].kw);
  if (v.sym > 0) {
    std::array<char, 64> nm{};
    core::GETNAME(v.sym, nm);
    std::string_view s(nm.data(), nm.size());
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    detail += " ";
    detail += s;
  }
  core::failedline.set(detail);
  core::msgkey.set(key);
}

}  // namespace exec::bitsimpl

namespace exec {

namespace {

using namespace bitsimpl;
using core::name;
using core::z;

// Two integers of a setting's value: a list gives its first two values, a
// single value both. Status as BITSARGUMENT (wrap 0).
std::int32_t setargs(Call& c, std::int64_t& a, std::int64_t& b, bool& islist) {
  islist = c.val.list >= 2 && c.val.cells() >= 2;
  if (islist) {
    a = nearesti8(z(c.val.first));
    b = nearesti8(z(c.val.first + 1));
    return 0;
  }
  const std::int32_t st = BITSARGUMENT(c, a, c.val, 0);
  b = a;
  return st;
}

std::int32_t clamp32(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

// Box k (from 1) of the tiling, counted from the box origin.
void boxwindow(Call& c, std::int32_t k, std::int32_t& r1, std::int32_t& r2, std::int32_t& c1,
               std::int32_t& c2) {
  const std::int32_t bpr = std::max(c.bpr, 1);
  r1 = c.br0 + (k - 1) / bpr * c.bh;
  c1 = c.bc0 + (k - 1) % bpr * c.bw;
  r2 = r1 + c.bh - 1;
  c2 = c1 + c.bw - 1;
}

// Settings and tests. Returns false when the call failed.
bool setting(Call& c) {
  namespace k = bitskw;
  const int kw = c.kw;
  const bool bare = c.val.sym <= 0;
  if (bare) {
    if (kw == k::x) {
      c.xrange = false;
    } else if (kw == k::y) {
      c.yrange = false;
    } else if (kw == k::boxdim) {
      c.boxmode = false;
      c.boxdim = true;
    } else if (kw == k::box) {
      fail(c, bitskeys::box, 3709);
    } else {
      fail(c, bitskeys::unexpected, 3700);
    }
    return !c.failed;
  }
  if (kw == k::pool) {
    if (openpool(c, c.val) == 2) {
      core::msgkey.set(bitskeys::notstringorarray);
      core::iostatw[1] = 3726;
    }
    return true;
  }
  std::int64_t a = 0, b = 0;
  bool islist = false;
  if (setargs(c, a, b, islist) == 1) {
    c.endpass = true;
    return true;
  }
  if (kw == k::origin) {
    c.origin = clamp32(a);
  } else if (kw == k::x || kw == k::y) {
    const bool isx = kw == k::x;
    const std::int32_t lo = clamp32(std::int64_t{clamp32(a)} - c.origin);
    const std::int32_t hi = clamp32(std::int64_t{clamp32(b)} - c.origin);
    const std::int32_t n = isx ? c.C : c.R;
    if (lo < 0 || lo >= n) {
      fail(c, bitskeys::adrs, isx ? 3732 : 3731);
      return false;
    }
    (isx ? c.c1 : c.r1) = lo;
    (isx ? c.c2 : c.r2) = std::clamp(hi, lo, n - 1);
    (isx ? c.xrange : c.yrange) = islist;
    c.windowset = true;
  } else if (kw == k::jumpbase) {
    const std::int32_t r = islist ? clamp32(a) - 1 : 0;
    const std::int32_t col = clamp32(islist ? b : a) - 1;
    if (r < 0 || r >= c.R || col < 0 || col >= c.C) {
      c.endpass = true;
      return true;
    }
    c.r1 = r;
    c.c1 = col;
  } else if (kw == k::boxdim) {
    const std::int32_t r = clamp32(a), col = clamp32(b);
    if (col > c.C || col < 1 || r < 1 || r > c.R) {
      fail(c, bitskeys::val, 3705);
      return false;
    }
    c.bh = r;
    c.bw = col;
    const std::int32_t down = std::max((c.r2 - c.r1 + 1) / r, 1);
    c.bpr = std::max((c.c2 - c.c1 + 1) / col, 1);
    c.nboxes = down * c.bpr;
    c.firstbox = c.curbox = 1;
    c.lastbox = c.nboxes;
    c.br0 = c.r1;
    c.bc0 = c.c1;
    c.boxmode = c.boxdim = true;
    c.xrange = c.yrange = false;
    c.windowset = true;
    boxwindow(c, 1, c.r1, c.r2, c.c1, c.c2);
    c.r1 = c.br0;
    c.c1 = c.bc0;
  } else if (kw == k::box) {
    if (!c.boxdim || c.bh < 1 || c.bw < 1) {
      fail(c, bitskeys::box, 3709);
      return false;
    }
    const std::int32_t first = clamp32(a), last = clamp32(b);
    c.windowset = true;
    if (first < 1) {
      c.r1 = c.c1 = 0;
      c.r2 = c.R - 1;
      c.c2 = c.C - 1;
      c.boxmode = false;
    } else if (!islist) {
      c.br0 = c.r1;
      c.bc0 = c.c1;
      boxwindow(c, first, c.r1, c.r2, c.c1, c.c2);
      c.boxmode = false;
    } else {
      c.br0 = c.r1;
      c.bc0 = c.c1;
      c.firstbox = c.curbox = first;
      c.lastbox = last;
    }
  } else if (kw == k::ring) {
    // Beyond the view's size every ring position lies outside it.
    c.ring = std::clamp(clamp32(a), 0, std::max(c.R, c.C));
    if (a < 1) {
      c.ring = 0;
      c.boxmode = false;
    }
  } else {
    // The IF family.
    c.lo = a;
    c.hi = b;
    c.test = kw == k::ifclr   ? Test::clr
             : kw == k::ifset ? Test::set
             : kw == k::ifeq  ? Test::eq
             : kw == k::ifneq ? Test::neq
             : kw == k::ifgt  ? Test::gt
             : kw == k::iflt  ? Test::lt
                              : Test::loc;
  }
  return true;
}

bool issetting(int kw) {
  namespace k = bitskw;
  return kw == k::box || kw == k::boxdim || kw == k::jumpbase || kw == k::origin || kw == k::pool ||
         kw == k::ring || kw == k::x || kw == k::y || kw == k::ifclr || kw == k::ifeq ||
         kw == k::ifgt || kw == k::iflt || kw == k::ifneq || kw == k::ifset || kw == k::ifloc;
}
bool isresult(int kw) {
  namespace k = bitskw;
  return kw == k::bitcount || kw == k::getval || kw == k::high0 || kw == k::high1 ||
         kw == k::low0 || kw == k::low1;
}
bool ismodifying(int kw) {
  namespace k = bitskw;
  return kw == k::and_ || kw == k::clr || kw == k::copy || kw == k::eor || kw == k::flip ||
         kw == k::move || kw == k::or_ || kw == k::rotate || kw == k::shift || kw == k::setbit ||
         kw == k::setval;
}

void clearresult(const Operand& v) {
  if (v.kind == 1) {
    z(v.sym) = 0.0;
  } else if (v.kind == 2 || v.kind == 4) {
    for (std::int32_t i = v.first; i <= v.last; ++i) z(i) = 0.0;
  } else if (v.kind == 8) {
    for (std::int32_t i = v.first; i <= v.last; ++i) core::c1namen(i) = '\0';
  }
}

// One pass over the options from slot start down to 1.
void pass(Call& c, const plat::Store1<std::uint8_t>& optkw, const std::vector<int>& lists,
          std::int32_t start) {
  namespace k = bitskw;
  c.endpass = false;
  for (std::int32_t slot = start; slot >= 1 && !c.endpass; --slot) {
    c.slot = slot;
    c.kw = optkw(slot);
    c.val = operand(optval(slot), lists[static_cast<std::size_t>(slot)]);
    if (!c.windowset) {
      c.r2 = c.R - 1;
      c.c2 = c.C - 1;
    }
    const int kw = c.kw;
    if (kw == k::error) {
      c.errorflag = true;
      continue;
    }
    if (issetting(kw)) {
      if (!setting(c)) return;
      continue;
    }
    if (c.val.sym <= 0) {
      if (kw == k::and_ || kw == k::eor || kw == k::or_) {
        fail(c, bitskeys::argneeded, 3714);
        return;
      }
      if (isresult(kw)) continue;  // no variable to deliver into
      if (kw == k::clr || kw == k::flip || kw == k::setbit || kw == k::rotate || kw == k::shift ||
          kw == k::setval) {
        c.bareearlier = true;
      } else {
        fail(c, bitskeys::unexpected, 3700);
        return;
      }
    } else {
      if (isresult(kw)) {
        if (c.val.constant) {
          fail(c, bitskeys::kwarg, 3712);
          return;
        }
        clearresult(c.val);
      }
      if (ismodifying(kw) && c.tgt.constant) {
        fail(c, bitskeys::kwarg, 3724);
        return;
      }
      if (kw == k::locget) c.lochits = 0;
    }
    operation(c);
    if (c.failed) return;
  }
}

}  // namespace

void BITS(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions) {
  namespace k = bitskw;
  if (core::iresult >= 1 && z.valid(core::iresult)) z(core::iresult) = 0.0;
  noptions = std::clamp<std::int32_t>(noptions, 0, static_cast<std::int32_t>(optkw.size()));
  if (noptions < 1) return;
  Call c;
  c.noptions = noptions;
  c.slot = noptions;
  c.kw = optkw(noptions);

  // Lists written in place are noted once and their marks taken back.
  std::vector<int> lists(static_cast<std::size_t>(noptions) + 1, 0);
  for (std::int32_t s = 1; s <= noptions; ++s) {
    const std::int32_t v = optval(s);
    if (v >= 1 && name.valid(v) && name(v).namlen < 0) {
      lists[static_cast<std::size_t>(s)] = -name(v).namlen;
      name(v).namlen = 0;
    }
  }

  // 1. The target.
  const std::int32_t t = optval(noptions);
  c.val = Operand{};
  c.val.sym = t;
  if (t < 1 || t > core::nname || !name.valid(t) || !z.valid(t) ||
      (t > core::nsym && (name(t).type & 0x8) != 0)) {
    fail(c, bitskeys::nosubarst, 3727);
    return;
  }
  c.tgt = operand(t, 0);
  if (t > core::nsym) {
    c.tgt.kind = 1;
    c.tgt.first = c.tgt.last = t;
    c.tgt.constant = false;
  }
  c.val = c.tgt;
  std::int32_t defaultcount = 1;
  switch (c.tgt.kind) {
    case 1:
      c.tbytes = 8;
      break;
    case 2:
    case 4:
      c.R = c.tgt.rows;
      c.C = c.tgt.cols;
      defaultcount = c.tgt.cells();
      c.tbytes = 8LL * defaultcount;
      break;
    case 8:
      c.R = 1;
      c.C = c.tgt.cells();
      c.B = 8;
      c.w = 1;
      defaultcount = c.tgt.cells();
      c.tbytes = defaultcount;
      if (defaultcount == 0) {
        fail(c, bitskeys::zerooption, 3702);
        return;
      }
      break;
    default:
      fail(c, bitskeys::kwseq, 3710);
      return;
  }

  // 2. The view.
  std::int32_t start = noptions - 1;
  if (start >= 1 && optkw(start) == k::rowscolsbits) {
    c.slot = start;
    c.kw = k::rowscolsbits;
    const std::int32_t v = optval(start);
    c.val = operand(v, lists[static_cast<std::size_t>(start)]);
    const int list = c.val.list;
    if (list >= 2 && c.val.cells() >= 2) {
      std::array<std::int32_t, 3> n{};
      for (int i = 0; i < list && i < 3; ++i)
        n[static_cast<std::size_t>(i)] = core::nearesti4(z(c.val.first + i));
      c.R = list == 3 ? n[0] : 1;
      c.C = list == 3 ? n[1] : n[0];
      c.B = list == 3 ? n[2] : n[1];
      if (c.B < 1) {
        c.w = 0;
        fail(c, bitskeys::adrs, 3711);
        return;
      }
      c.w = static_cast<std::int32_t>((static_cast<std::int64_t>(c.B) + 7) / 8);
    } else {
      const std::int32_t b = std::max(KEYVALUE(optval(start)), 0);
      c.B = b;
      c.R = c.C = 1;
      c.w = (b - 1) / 8 + 1;
    }
    const long long rc = static_cast<long long>(c.R) * c.C;
    if (c.R < 1 || c.C < 1 || rc > defaultcount) {
      fail(c, bitskeys::adrs, 3711);
      return;
    }
    if (c.tgt.kind != 8 && (8LL * c.w > 64 || rc > defaultcount)) {
      fail(c, bitskeys::adrs, 3719);
      return;
    }
    if (c.tgt.kind == 8 && rc * c.w > c.tgt.cells()) {
      fail(c, bitskeys::adrs, 3720);
      return;
    }
    --start;
  }
  c.nelem = c.tgt.kind == 8 ? c.tgt.cells() / std::max(c.w, 1)
                            : static_cast<std::int32_t>(static_cast<long long>(c.R) * c.C);
  c.r2 = c.R - 1;
  c.c2 = c.C - 1;

  // 3. and 4. The options, again while a pool has values left.
  std::int64_t before = -1;
  for (std::int32_t passes = 0;; ++passes) {
    before = c.pool.total;
    pass(c, optkw, lists, start);
    if (c.failed) return;
    const Pool& p = c.pool;
    if (!p.open) return;
    const bool left = p.text && !p.chars ? p.pos <= p.v.cells() : p.pos <= p.v.last;
    if (!left) return;
    if (c.lastrow < c.r2) {
      if (!(c.lastrow > 0 && c.ring == 0)) return;
    } else if (!(c.lastn < p.count - 1 || p.count == 0)) {
      return;
    }
    // A pass that takes no pool value would repeat for ever.
    if (p.total == before || passes > std::max(p.count, 1) + 1) return;
  }
}

}  // namespace exec
