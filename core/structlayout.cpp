#include "core/structlayout.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/codewords.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"

namespace core {

namespace {

bool issym(std::int32_t v) { return v >= 1 && v <= nsym && name.valid(v) && z.valid(v); }
int typeof_(std::int32_t v) { return name.valid(v) ? static_cast<std::uint16_t>(name(v).type) : 0; }

// A new symbol after the last, for a copy of a record and value; 0 when
// the stores could not grow.
std::int32_t appendsymbol(const SymbolRecord& r, double value) {
  while (nsym + 1 > nname || !name.valid(nsym + 1) || nsym + 1 >= nztop) {
    std::int32_t extra = 64;
    if (!REALLOC(nsym + 1 > nname ? 4 : 3, extra)) return 0;
  }
  const std::int32_t s = ++nsym;
  name(s) = r;
  z(s) = value;
  // The result cell of the statement under way must not be the new cell.
  if (iresult >= 1 && iresult <= nsym) {
    iresult = nsym + 1;
    if (name.valid(iresult)) name(iresult) = SymbolRecord{0, 0x88};
  }
  return s;
}

}  // namespace

std::vector<KeptLayout> layoutsabove(std::int32_t keep) {
  std::vector<KeptLayout> out;
  for (std::int32_t t = 1; t <= std::min(keep, nsym); ++t) {
    if (!name.valid(t) || name(t).layout <= keep) continue;
    StructLayout l;
    bool stays = structlayoutof(t, l) && l.owner == t;
    for (std::int32_t i = 1; stays && i <= l.n; ++i) {
      std::int32_t v = 0, type = 0;
      structfield(l, i, v, type);
      stays = v <= keep;
    }
    if (stays) out.push_back({t, name(l.sym), z(l.sym)});
    name(t).layout = 0;
  }
  return out;
}

void keeplayouts(const std::vector<KeptLayout>& layouts) {
  for (const KeptLayout& k : layouts)
    if (const std::int32_t s = appendsymbol(k.record, k.value); s != 0)
      name(k.owner).layout = static_cast<std::int16_t>(s);
}

std::int32_t newlayoutsymbol(std::int32_t t) {
  // (The name is copied first: a store that grows moves the characters.)
  const std::string text = ":" + std::string(symbolname(t)) + ",";
  const auto n = static_cast<std::int32_t>(text.size());
  while (c1limit - n <= std::max(c1top, c1tmptop) + 1 || !c1namen.valid(c1limit - n)) {
    std::int32_t extra = n + 5000;
    if (!REALLOC(5, extra)) return 0;
  }
  SymbolRecord r{};
  r.type = 0x10;
  r.nambeg = c1limit - n;
  r.namlen = static_cast<std::int16_t>(n - 1);
  const std::int32_t s = appendsymbol(r, 0.0);
  if (s == 0) return 0;
  c1limit -= n;
  std::copy(text.begin(), text.end(), c1namen.ptr(c1limit));
  return s;
}

bool islayoutof(std::int32_t s, std::int32_t t) {
  if (!issym(s) || !issym(t) || typeof_(s) != 0x10) return false;
  const std::string_view n = symbolname(s), owner = symbolname(t);
  return n.size() == owner.size() + 1 && n.front() == ':' && n.substr(1) == owner;
}

void prelayout() {
  std::int32_t k = 1;
  if (ntok >= 1 && tokcod(1) > 0 && name.valid(tokcod(1)) && name(tokcod(1)).type == 2) ++k;
  const std::int32_t t = k <= ntok ? tokcod(k) : 0;
  if (t < 1 || t > nsym || !name.valid(t) || (typeof_(t) & 0x51) != 0x40) return;
  if (k + 1 > ntok || tokcod(k + 1) != cwd::assign || islayoutof(name(t).layout, t)) return;
  bool writes = false;
  for (std::int32_t j = k + 2; j <= ntok; ++j) {
    const std::int16_t w = tokcod(j);
    if (cwcode(w) == cwcode(builtincode("STRUCT"))) writes = true;
    if (isoptmarker(w) && optmarkerentry(w) == structkw::getpage) return;
  }
  if (writes) {
    if (const std::int32_t s = newlayoutsymbol(t); s != 0)
      name(t).layout = static_cast<std::int16_t>(s);
  }
}

bool structlayoutof(std::int32_t t, StructLayout& l) {
  if (!issym(t)) return false;
  const std::int32_t s = name(t).layout;
  if (!islayoutof(s, t)) return false;
  std::int32_t rows = 0, cols = 0;
  TRANSFERR8TO2I4(z(s), rows, cols);
  const std::int32_t adr = name(s).adr;
  if (cols < 1 || !z.valid(adr) || !z.valid(adr + cols - 1)) return false;
  l.sym = s;
  l.adr = adr;
  l.cap = (cols - 1) / 2;
  TRANSFERR8TO3I4(z(adr), l.owner, l.n, l.reclen);
  l.n = std::clamp(l.n, 0, l.cap);
  return true;
}

void structfield(const StructLayout& l, std::int32_t i, std::int32_t& v, std::int32_t& type) {
  TRANSFERR8TO2I4(z(l.adr + i), v, type);
}

bool structnumerickind(std::int32_t type) {
  namespace k = structkw;
  return type == k::i1 || type == k::i2 || type == k::i4 || type == k::i8 || type == k::i1u ||
         type == k::i2u || type == k::i4u || type == k::r4 || type == k::r8 || type == k::bytes;
}

bool structcharkind(std::int32_t type) {
  namespace k = structkw;
  return type == k::chr || type == k::chrp || type == k::chr0 || type == k::chr0p;
}

std::int32_t structfieldwidth(std::int32_t type) {
  namespace k = structkw;
  if (type == k::i1 || type == k::i1u) return 1;
  if (type == k::i2 || type == k::i2u) return 2;
  if (type == k::i4 || type == k::i4u || type == k::r4 || type == k::bytes) return 4;
  if (type == k::i8 || type == k::r8) return 8;
  if (type == k::i4p || type == k::chrp || type == k::chr0p || type == k::strucp)
    return structptrwidth;
  return 0;
}

double STRUCTFIELDVALUE(std::int32_t& position, std::int32_t type) {
  namespace k = structkw;
  if (!structnumerickind(type)) {
    msgkey.set(structkeys::nosupport);
    return 0.0;
  }
  const std::int32_t w = structfieldwidth(type);
  if (!c1namen.valid(position) || !c1namen.valid(static_cast<long long>(position) + w - 1)) {
    msgkey.set(structkeys::beyond);
    return 0.0;
  }
  unsigned char b[8] = {};
  for (std::int32_t i = 0; i < w; ++i) b[i] = static_cast<unsigned char>(c1namen(position + i));
  position += w;
  double x = 0.0;
  if (type == k::i1) {
    x = static_cast<std::int8_t>(b[0]);
  } else if (type == k::i1u) {
    x = b[0];
  } else if (type == k::i2) {
    std::int16_t v;
    std::memcpy(&v, b, 2);
    x = v;
  } else if (type == k::i2u) {
    std::uint16_t v;
    std::memcpy(&v, b, 2);
    x = v;
  } else if (type == k::i4 || type == k::bytes) {
    std::int32_t v;
    std::memcpy(&v, b, 4);
    x = v;
  } else if (type == k::i4u) {
    std::uint32_t v;
    std::memcpy(&v, b, 4);
    x = v;
  } else if (type == k::i8) {
    std::int64_t v;
    std::memcpy(&v, b, 8);
    x = static_cast<double>(v);
  } else if (type == k::r4) {
    float v;
    std::memcpy(&v, b, 4);
    x = v;
  } else {
    std::memcpy(&x, b, 8);
  }
  return x;
}

std::int32_t STRUCTELEMENT(std::int32_t t, std::int32_t i, std::int32_t& out) {
  namespace k = structkw;
  if (!issym(t) || (typeof_(t) & 0x40) == 0) return 0;
  StructLayout l;
  if (!structlayoutof(t, l) || l.owner != t) return 0;
  if (i < 1) {
    out = l.n;
    return -999;
  }
  if (i > l.n) return 0;
  std::int32_t v = 0, type = 0;
  structfield(l, i, v, type);
  out = v;
  if (structcharkind(type)) return -type;
  if (type == k::struc) return 999;
  if (type == k::strucp) return 998;
  return type;
}

}  // namespace core
