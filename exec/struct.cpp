#include "exec/struct.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"

namespace exec {

namespace {

using core::c1namen;
using core::name;
using core::z;

bool issym(std::int32_t v) { return v >= 1 && v <= core::nsym && name.valid(v) && z.valid(v); }
int typeof_(std::int32_t v) { return name.valid(v) ? static_cast<std::uint16_t>(name(v).type) : 0; }

struct Span {
  std::int32_t first = 0, last = -1;
  std::int32_t len() const { return std::max(last - first + 1, 0); }
};

// The text of a character-like operand (variables, literals, temporaries);
// empty for anything else or for bounds outside the store.
Span textof(std::int32_t v) {
  Span s;
  if (v < 1 || !name.valid(v) || !z.valid(v)) return s;
  std::int32_t f = 0, l = 0;
  if (core::ISCHAR(v, f, l) == 0) return s;
  if (f < 1 || l < f || !c1namen.valid(f) || !c1namen.valid(l)) return s;
  return {f, l};
}

// A character variable that may be written (no literal).
bool writabletext(std::int32_t v) { return issym(v) && (typeof_(v) & 0x41) == 0x40; }

// Elements of a field variable: rows x columns of a numeric array, else 1.
std::int32_t elements(std::int32_t v) {
  if (!issym(v) || (typeof_(v) & 0x91) != 0x10) return 1;
  std::int32_t rows = 0, cols = 0;
  core::TRANSFERR8TO2I4(z(v), rows, cols);
  return static_cast<std::int32_t>(
      std::clamp<long long>(static_cast<long long>(rows) * cols, 0, INT32_MAX));
}
bool isarray(std::int32_t v) { return issym(v) && (typeof_(v) & 0x91) == 0x10; }
std::int32_t cellof(std::int32_t v, std::int32_t e) { return isarray(v) ? core::IDXINZ(v, e) : v; }
double valueof(std::int32_t v, std::int32_t e = 0) {
  const std::int32_t c = cellof(v, e);
  return c >= 0 && z.valid(c) ? z(c) : 0.0;
}

std::int64_t nearesti8(double v) {
  if (std::isnan(v)) return 0;
  const double r = std::round(v);  // halves away from zero
  if (r >= 9223372036854775807.0) return INT64_MAX;
  if (r <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}
std::int16_t nearesti2(double v) {
  return static_cast<std::int16_t>(
      std::clamp<std::int32_t>(core::nearesti4(v), INT16_MIN, INT16_MAX));
}

using Layout = core::StructLayout;
bool layoutof(std::int32_t t, Layout& l) { return core::structlayoutof(t, l); }
void field(const Layout& l, std::int32_t i, std::int32_t& v, std::int32_t& type) {
  core::structfield(l, i, v, type);
}
std::int32_t sparecell(const Layout& l, std::int32_t i) { return l.adr + l.cap + i; }

void blanktext(std::int32_t t) {
  const Span s = textof(t);
  for (std::int32_t i = s.first; i <= s.last; ++i) c1namen(i) = ' ';
}

void fail(std::string_view key, std::int32_t number) {
  core::msgkey.set(key);
  core::iostatw[1] = static_cast<std::int16_t>(number);
}
void tooshort(std::int32_t t, std::int32_t number) {
  fail(structkeys::tooshort, number);
  core::failedline.set(core::symbolname(t));
}
bool failed() { return !core::msgkey.trimmed().empty(); }

// Makes (or re-uses) the layout symbol of T with room for n fields. A
// symbol that T had before is used again, so that redefining a record does
// not add a symbol each time; its cells are taken anew only when they are
// too few.
std::int32_t makelayout(std::int32_t t, std::int32_t n, std::int32_t reuse) {
  const std::int32_t cells = 2 * n + 1;
  std::int32_t s = core::islayoutof(reuse, t) ? reuse : 0;
  if (s == 0) {
    s = core::newlayoutsymbol(t);
    if (s == 0) return 0;
  }
  std::int32_t rows = 0, cols = 0;
  core::TRANSFERR8TO2I4(z(s), rows, cols);
  if (cols < cells || !z.valid(name(s).adr)) {
    const std::int32_t low = std::max(core::nsym, core::iresult) + 1;
    while (core::nztop - cells <= low || !z.valid(core::nztop - cells)) {
      std::int32_t extra = cells;
      if (!core::REALLOC(3, extra)) return 0;
    }
    core::nztop -= cells;
    name(s).adr = core::nztop;
    core::TRANSFER2I4TOR8(1, cells, z(s));
    cols = cells;
  }
  for (std::int32_t i = 0; i < cols; ++i) z(name(s).adr + i) = 0.0;
  core::TRANSFER3I4TOR8(t, n, 0, z(name(s).adr));
  name(t).layout = static_cast<std::int16_t>(s);
  return s;
}

void putbytes(std::int32_t q, const void* src, std::int32_t n) {
  const auto* b = static_cast<const unsigned char*>(src);
  for (std::int32_t i = 0; i < n; ++i) c1namen(q + i) = static_cast<char>(b[i]);
}

// Writes one numeric value as a field of the type at q (little-endian).
void putnumber(std::int32_t q, std::int32_t type, double x) {
  namespace k = structkw;
  if (type == k::i1 || type == k::i1u) {
    const auto v = static_cast<std::uint8_t>(nearesti2(x) & 0xFF);
    putbytes(q, &v, 1);
  } else if (type == k::i2) {
    const std::int16_t v = nearesti2(x);
    putbytes(q, &v, 2);
  } else if (type == k::i2u) {
    const auto v = static_cast<std::uint16_t>(core::nearesti4(x) & 0xFFFF);
    putbytes(q, &v, 2);
  } else if (type == k::i4 || type == k::bytes) {
    const std::int32_t v = core::nearesti4(x);
    putbytes(q, &v, 4);
  } else if (type == k::i4u) {
    const auto v = static_cast<std::uint32_t>(nearesti8(x) & 0xFFFFFFFF);
    putbytes(q, &v, 4);
  } else if (type == k::i8) {
    const std::int64_t v = nearesti8(x);
    putbytes(q, &v, 8);
  } else if (type == k::r4) {
    const auto v = static_cast<float>(x);
    putbytes(q, &v, 4);
  } else if (type == k::r8) {
    putbytes(q, &x, 8);
  }
}

bool numerickind(std::int32_t type) { return core::structnumerickind(type); }
bool charkind(std::int32_t type) { return core::structcharkind(type); }
bool supported(std::int32_t type) {
  namespace k = structkw;
  return numerickind(type) || charkind(type) || type == k::i4p || type == k::struc ||
         type == k::strucp;
}

// Holds a nesting counter up for one call level.
struct Depth {
  std::int32_t& counter;
  explicit Depth(std::int32_t& c) : counter(++c) {}
  ~Depth() { --counter; }
  Depth(const Depth&) = delete;
  Depth& operator=(const Depth&) = delete;
};

// The start of a record's write or read: refuses runaway nesting (depth a
// multiple of 100, reported with `what`) and a record without a layout;
// false when there is nothing to do. Sets the current record length.
bool begin_record(std::int32_t t, std::int32_t depth, std::string_view what, Layout& l) {
  if (depth % 100 == 0) {
    core::msgkey.set(structkeys::recurse);
    core::failedline.set(what);
    return false;
  }
  if (!layoutof(t, l)) {
    core::msgkey.set(structkeys::notdefined);
    return false;
  }
  if (l.owner != t) return false;
  structreclen = l.reclen;
  return true;
}

// Runs a nested record at page 1, keeping the outer page and length.
template <typename F>
void nested(F f) {
  const std::int32_t page = structpage, len = structreclen;
  structpage = 1;
  f();
  structpage = page;
  structreclen = len;
}

void putaddress(std::int32_t q, const void* p) {
  const std::uint64_t a = core::rawaddress(p);
  putbytes(q, &a, structptrwidth);
}

void nultoblank(std::int32_t v) {
  if (!writabletext(v)) return;
  const Span s = textof(v);
  for (std::int32_t i = s.first; i <= s.last; ++i)
    if (c1namen(i) == '\0') c1namen(i) = ' ';
}
void lastnul(std::int32_t v) {
  if (!writabletext(v)) return;
  const Span s = textof(v);
  if (s.len() > 0) c1namen(s.last) = '\0';
}

}  // namespace

void STRUCT(const plat::Store1<std::uint8_t>& optkw, std::int32_t noptions,
            const plat::Store0<std::int32_t>& optval) {
  namespace k = structkw;
  structwritedepth = structreaddepth = 0;
  const std::int32_t t = core::xeqtarget;
  noptions = std::clamp<std::int32_t>(noptions, 0, static_cast<std::int32_t>(optkw.size()));
  std::int32_t r = 0;
  std::int32_t reuse = 0;
  for (int round = 0; round < 3; ++round) {
    // 1. Which keywords occur; the page; the number of fields.
    std::int32_t p = 1, n = 0;
    r = 0;
    bool getpage = false;
    std::int32_t struc = 0;  // the record a STruc option names (the first written)
    for (std::int32_t j = 1; j <= noptions; ++j) {
      const int kw = optkw(j);
      if (kw == k::getpage || kw == k::setpage) {
        p = core::nearesti4(valueof(optval(j)));
        getpage = getpage || kw == k::getpage;
      } else if (kw != k::error) {
        ++n;  // an ERror option takes no field
      }
      if (kw == k::struc) struc = j;
    }
    // 2. The reading form.
    if (getpage) {
      if (struc != 0) {
        structpage = p;
        STRUCTREAD(optval(struc));
      } else {
        core::msgkey.set(structkeys::nostruc);
      }
      break;
    }
    // 3. The storage.
    if (n < 1 || !writabletext(t)) {
      core::msgkey.set(structkeys::leftside);
      break;
    }
    // 4. A layout bound before.
    const std::int32_t len = textof(t).len();
    Layout l;
    const bool had = layoutof(t, l) && l.owner == t;
    if (had) {
      r = l.reclen;
      if (n > l.n) {
        blanktext(t);
        name(t).layout = 0;
        reuse = l.sym;
        continue;
      }
      if (p < 1 || p > len / std::max(r, 1)) {
        fail(structkeys::beyond, len / std::max(r, 1));
        break;
      }
    } else {
      // 5. A new layout.
      p = 1;
      if (issym(name(t).layout)) reuse = name(t).layout;
      if (makelayout(t, n, reuse) == 0 || !layoutof(t, l)) break;
    }
    // 6. The fields in written order.
    std::int64_t total = 0;
    std::int32_t bytesvar = 0, i = 0;
    bool stop = false;
    for (std::int32_t j = noptions; j >= 1 && !stop; --j) {
      const int kw = optkw(j);
      const std::int32_t v = optval(j);
      if (kw == k::error || kw == k::setpage) continue;
      if (!supported(kw) || v < 1) {
        fail(structkeys::nosupport, kw);
        stop = true;
        break;
      }
      if (kw == k::bytes) {
        if (!issym(v) || (typeof_(v) & 0x1) != 0) {
          core::msgkey.set(structkeys::bytes);
          stop = true;
          break;
        }
        bytesvar = v;
      }
      if (kw == k::chr || kw == k::chr0 || kw == k::struc)
        total += textof(v).len();
      else
        total += static_cast<std::int64_t>(elements(v)) * structfieldwidth(kw);
      if (++i <= l.cap) core::TRANSFER2I4TOR8(v, kw, z(l.adr + i));
    }
    if (stop) break;
    // 7. A record of another length throws the layout away.
    if (r > 0 && total != r) {
      blanktext(t);
      name(t).layout = 0;
      reuse = l.sym;
      continue;
    }
    // 8. Room, the Bytes variable, the record head, the writing.
    if (total > len) {
      tooshort(t, static_cast<std::int32_t>(std::min<std::int64_t>(total, INT32_MAX)));
      break;
    }
    if (bytesvar != 0) core::SETZTOR8(bytesvar, static_cast<double>(total));
    if (p < 2) {
      core::TRANSFER3I4TOR8(t, n, static_cast<std::int32_t>(total), z(l.adr));
      r = static_cast<std::int32_t>(total);
    }
    structpage = p;
    structreclen = r;
    STRUCTUPDATE(t, 1);
    break;
  }
  // 9. The record length is the function value.
  if (z.valid(core::iresult) && core::iresult >= 1) z(core::iresult) = r;
}

void STRUCTUPDATE(std::int32_t t, std::int32_t all) {
  namespace k = structkw;
  Depth depth(structwritedepth);
  Layout l;
  if (!begin_record(t, structwritedepth, "STRUCT UPDATE", l)) return;
  const Span tx = textof(t);
  std::int64_t q = static_cast<std::int64_t>(structpage - 1) * l.reclen + tx.first;
  // Every byte written must lie in T's own text.
  auto fits = [&](std::int64_t width) { return q >= tx.first && q + width - 1 <= tx.last; };

  for (std::int32_t i = 1; i <= l.n; ++i) {
    std::int32_t v = 0, type = 0;
    field(l, i, v, type);
    if (all == 0 && v > core::nsym) {
      q += structfieldwidth(type);
      continue;
    }
    if (numerickind(type) || type == k::i4p) {
      const std::int32_t w = structfieldwidth(type);
      const std::int32_t count = elements(v);
      if (!fits(static_cast<std::int64_t>(w) * count)) {
        tooshort(t, w * count);
        return;
      }
      if (type == k::i4p) {
        if (!isarray(v)) {
          const std::int32_t spare = sparecell(l, i);
          core::SETI4EQUZ(1, spare, core::nearesti4(valueof(v)));
          putaddress(static_cast<std::int32_t>(q), &z(spare));
        }
        q += static_cast<std::int64_t>(w) * count;  // arrays: addresses left unwritten
        continue;
      }
      for (std::int32_t e = 0; e < count; ++e, q += w)
        putnumber(static_cast<std::int32_t>(q), type, valueof(v, e));
    } else if (type == k::chr || type == k::chr0) {
      const Span s = textof(v);
      if (!fits(s.len())) {
        tooshort(t, s.len());
        return;
      }
      for (std::int32_t c = 0; c < s.len(); ++c)
        c1namen(static_cast<std::int32_t>(q) + c) = c1namen(s.first + c);
      q += s.len();
      if (type == k::chr0) lastnul(v);
    } else if (type == k::chrp || type == k::chr0p) {
      if (!fits(structptrwidth)) {
        tooshort(t, structptrwidth);
        return;
      }
      const Span s = textof(v);
      if (s.len() > 0) putaddress(static_cast<std::int32_t>(q), &c1namen(s.first));
      q += structptrwidth;
      if (type == k::chr0p) lastnul(v);
    } else if (type == k::struc || type == k::strucp) {
      nested([&] { STRUCTUPDATE(v, 0); });
      if (failed()) return;
      const Span s = textof(v);
      const std::int32_t w = type == k::struc ? s.len() : structptrwidth;
      if (!fits(w)) {
        tooshort(t, w);
        return;
      }
      if (type == k::struc) {
        for (std::int32_t c = 0; c < s.len(); ++c)
          c1namen(static_cast<std::int32_t>(q) + c) = c1namen(s.first + c);
      } else if (s.len() > 0) {
        putaddress(static_cast<std::int32_t>(q), &c1namen(s.first));
      }
      q += w;
    } else {
      fail(structkeys::nosupport, i);
      return;
    }
  }
}

void STRUCTREAD(std::int32_t t) {
  namespace k = structkw;
  Depth depth(structreaddepth);
  Layout l;
  if (!begin_record(t, structreaddepth, "STRUCT READ", l)) return;
  const Span tx = textof(t);
  const std::int32_t p = structpage;
  if (p < 1 || static_cast<std::int64_t>(p) * l.reclen + tx.first - 1 > tx.last) {
    fail(structkeys::beyond, tx.len() / std::max(l.reclen, 1));
    return;
  }
  std::int32_t q = (p - 1) * l.reclen + tx.first;
  auto fits = [&](std::int64_t width) { return q + width - 1 <= tx.last; };

  for (std::int32_t i = 1; i <= l.n; ++i) {
    std::int32_t v = 0, type = 0;
    field(l, i, v, type);
    // (A value that was no variable, a result cell, takes nothing back.)
    const int kind = issym(v) ? typeof_(v) & 0x91 : 0;
    if (type == k::i4p) {
      if (kind == 0x80 && z.valid(v)) z(v) = core::I4EQUZ(1, sparecell(l, i));
      q += structptrwidth * elements(v);
    } else if (type == k::bytes) {
      q += 4;
    } else if (numerickind(type)) {
      const std::int32_t w = structfieldwidth(type);
      const std::int32_t count = kind == 0x10 ? elements(v) : 1;
      if (!fits(static_cast<std::int64_t>(w) * count)) {
        tooshort(t, i);
        return;
      }
      for (std::int32_t e = 0; e < count; ++e) {
        if (kind == 0x80 || kind == 0x10) {
          const double x = STRUCTFIELDVALUE(q, type);
          if (failed()) {
            core::iostatw[1] = static_cast<std::int16_t>(i);
            return;
          }
          const std::int32_t c = cellof(v, e);
          if (c >= 1 && z.valid(c)) z(c) = x;
        } else {
          q += w;
        }
      }
    } else if (type == k::chrp || type == k::chr0p) {
      q += structptrwidth;
      if (type == k::chr0p) nultoblank(v);
    } else if (type == k::struc || type == k::strucp) {
      const Span s = textof(v);
      if (type == k::struc) {
        // The nested record's bytes come in first, so that its fields are
        // read from this record.
        if (!fits(s.len())) {
          tooshort(t, i);
          return;
        }
        if (writabletext(v))
          for (std::int32_t c = 0; c < s.len(); ++c) c1namen(s.first + c) = c1namen(q + c);
      }
      nested([&] { STRUCTREAD(v); });
      if (failed()) return;
      q += type == k::struc ? s.len() : structptrwidth;
    } else if (type == k::chr || type == k::chr0) {
      const Span s = textof(v);
      if (!fits(s.len())) {
        tooshort(t, i);
        return;
      }
      if (writabletext(v))
        for (std::int32_t c = 0; c < s.len(); ++c) c1namen(s.first + c) = c1namen(q + c);
      q += s.len();
      if (type == k::chr0) nultoblank(v);
    } else {
      fail(structkeys::nosupport, i);
      return;
    }
  }
}

void reset_struct() {
  structpage = 1;
  structreclen = 0;
  structwritedepth = 0;
  structreaddepth = 0;
}

}  // namespace exec
