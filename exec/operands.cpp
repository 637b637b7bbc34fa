#include "exec/operands.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/numread.h"
#include "core/program.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "core/xform.h"
#include "exec/operators.h"
#include "exec/postfix.h"
#include "exec/postfix_eval.h"
#include "exec/strings.h"
#include "exec/tablecells.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"

namespace exec {

namespace {

// The operand of the last index error made here when it had no elements,
// and that error's detail.
std::int32_t idxempty = 0;
std::string idxdetail;

std::string_view trimmedview(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1);
}

// Whether a statement of the program that gives arrays their elements
// while it runs (ALIAS, ALLOCATE) names symbol s.
bool shapedbyprogram(std::int32_t s) {
  constexpr int alias = static_cast<int>(core::OptStmt::ALIAS);
  const auto shapes = [](std::int16_t w) {
    return (core::isoptstmt(w) && core::optstmtnr(w) == alias) ||
           (core::isxoptstmt(w) && core::xoptstmtnr(w) == alias) ||
           core::cwcode(w) == core::cwu(core::builtincode("ALLOCATE"));
  };
  for (std::int32_t i = 1; i <= core::nstmt; ++i) {
    const std::int32_t from = core::stmtstart(i), to = core::stmtstart(i + 1);
    bool shaping = false, named = false;
    for (std::int32_t p = from; p >= 1 && p < to && core::xeqbuf.valid(p); ++p) {
      shaping = shaping || shapes(core::xeqbuf(p));
      named = named || core::xeqbuf(p) == s;
    }
    if (shaping && named) return true;
  }
  return false;
}

}  // namespace

bool nosucharray(std::int32_t s) {
  if (s < 1 || s > core::nsym || !core::name.valid(s) || !core::z.valid(s)) return false;
  // A formal array (0x20), a view (0x800) or a constant is declared.
  if ((static_cast<std::uint16_t>(core::name(s).type) & 0x7FF) != 0x10) return false;
  std::int32_t rows = 0, cols = 0;
  core::TRANSFERR8TO2I4(core::z(s), rows, cols);
  if (rows > 0 && cols > 0) return false;
  return !shapedbyprogram(s);
}

std::string nosucharraytext(std::int32_t s) {
  return std::string(core::symbolname(s)) + " is neither a built-in function nor a declared array";
}

bool asnosucharray(std::string& key, std::string& detail) {
  const std::int32_t s = idxempty;
  if (trimmedview(key) != core::MSGKEY("xeq3006") || trimmedview(detail) != idxdetail ||
      !nosucharray(s))
    return false;
  key = core::MSGKEY("noSuchArray");
  detail = nosucharraytext(s);
  return true;
}

std::int32_t IDXERROR_INTERNAL(std::int32_t code, std::int32_t descr, std::string_view what,
                               std::int32_t index) {
  return idxerrorof(code,
                    descr >= 1 && descr <= maxtemps ? tmpsym[static_cast<std::size_t>(descr)] : 0,
                    what, index);
}

std::int32_t idxerrorof(std::int32_t code, std::int32_t sym, std::string_view what,
                        std::int32_t index) {
  char buf[256];
  core::GETNAME(sym, std::span<char>(buf, 256));
  std::string text(buf, 256);
  text.resize(text.find_last_not_of(' ') == std::string::npos ? 0 : text.find_last_not_of(' ') + 1);
  text += " has no ";
  if (index == noindex) {
    text += what;
  } else {
    const std::size_t end = what.find_last_not_of(' ');
    text += what.substr(0, end == std::string_view::npos ? 0 : end + 1);
    text += ' ';
    text += std::to_string(index);
  }
  core::failedline.set(text);
  idxempty = what == idxalias ? sym : 0;
  idxdetail = trimmedview(text);
  return code;
}

void reset_operands() {
  idxempty = 0;
  idxdetail.clear();
  descrkind.fill(DescrKind::none);
  descrback.fill(false);
  seglevels.fill(SegLevel{});
  detailwords.fill(0);
}

bool descrbackwards(std::int32_t k) {
  const auto i = static_cast<std::size_t>(k);
  return descrback[i] || tmpend[i] < tmpbeg[i] - 1;
}

std::int32_t descrlength(std::int32_t k) {
  const auto i = static_cast<std::size_t>(k);
  if (!descrback[i]) return c1length(tmpbeg[i], tmpend[i]);
  return tmpbeg[i] - tmpend[i] + 1;
}

std::string descrtext(std::int32_t k) {
  const auto i = static_cast<std::size_t>(k);
  if (!descrback[i]) return c1text(tmpbeg[i], tmpend[i]);
  std::string s;
  for (std::int32_t q = tmpbeg[i]; q >= tmpend[i] && q >= 1 && core::c1namen.valid(q); --q)
    s += core::c1namen(q);
  return s;
}

namespace evaldetail {

namespace {

std::size_t sz(std::int32_t k) { return static_cast<std::size_t>(k); }

bool readsdollar() { return (xeqexpr.opflags & 0x2) != 0; }
// The pass has read $, $R or $C.
bool passreadcells() { return (xeqexpr.usedcells & 0xD) != 0; }

std::int32_t elemcount(std::int32_t k) {
  switch (descrkind[sz(k)]) {
    case DescrKind::array:
      return tmpbeg[sz(k)] * tmpend[sz(k)];
    case DescrKind::list:
      return tmpend[sz(k)];
    case DescrKind::string:
      return descrlength(k);
    default:
      return 1;
  }
}

std::int32_t& curseglen() { return xeqexpr.seglen[sz(xeqexpr.iseg)]; }
std::int32_t curelem(const Eval& e) {
  return xeqexpr.iseg > 0 ? xeqexpr.segidx[sz(xeqexpr.iseg)] : e.pass;
}
// At the first element of an open segment level, the first array (or
// range) it runs over gives the level its count; a level that none of its
// own gives one folds a single value (segclose()).
void segcount(std::int32_t count, std::int32_t descr = 0) {
  const std::int32_t L = xeqexpr.iseg;
  if (L > 0 && xeqexpr.segidx[sz(L)] == 1 && !seglevels[sz(L)].counted) {
    xeqexpr.seglen[sz(L)] = count;
    seglevels[sz(L)].counted = true;
    seglevels[sz(L)].countedby = descr;
  }
}

// The descriptor of the array base below the indices, 0 when the entry is
// no array base.
std::int32_t basedescr(Eval& e, std::int32_t i) {
  if (i < 1 || i > e.sp || e.isbase[sz(i)] != 1) return 0;
  const std::int32_t cell = at(e, i) + 1;
  // The descriptor that pushed the base: two arrays may share their first
  // cell (a view and the array it views).
  if (const std::int32_t k = e.basedescrs[sz(i)];
      k >= 1 && k <= maxtemps &&
      (descrkind[sz(k)] == DescrKind::array || descrkind[sz(k)] == DescrKind::list) &&
      tmporig[sz(k)] == cell)
    return k;
  for (std::int32_t k = 1; k <= xeqexpr.ndescr && k <= maxtemps; ++k)
    if (descrkind[sz(k)] == DescrKind::array && tmporig[sz(k)] == cell) return k;
  for (std::int32_t k = 1; k <= xeqexpr.ndescr && k <= maxtemps; ++k)
    if (descrkind[sz(k)] == DescrKind::list && tmporig[sz(k)] == cell) return k;
  return 0;
}

// An index outside its bound: the alternatives to the error 3006.
// Returns 0 when the evaluation goes on (with value pushed in place of the
// element), else the error status.
std::int32_t badindex(Eval& e, std::int32_t k, std::string_view what, std::int32_t index,
                      bool above) {
  auto zero = [&e]() {
    std::int32_t dummy = 0;
    pop(e, dummy);
    return push(e, newcell(0.0)) ? 0 : 2002;
  };
  if (e.rangeflag) return zero();
  if (readsdollar() && above) {
    e.endpasses = true;
    e.endstmt = true;
    return zero();
  }
  if (!above && what == idxcolumn && passreadcells()) return zero();
  if (xeqexpr.iseg > 0) {
    // Inside a segment level the element counts as missing and the level
    // ends with it.
    e.missing = true;
    curseglen() = xeqexpr.segidx[sz(xeqexpr.iseg)];
    return zero();
  }
  IDXERROR_INTERNAL(3006, k, what, index);
  if (core::nomsg != 0) return zero();
  return 3006;
}

}  // namespace

bool push(Eval& e, std::int32_t entry, bool base) {
  if (e.n + e.sp + 1 > e.cap || e.n + e.sp + 1 > static_cast<std::int32_t>(e.values.size()))
    return false;
  ++e.sp;
  top(e) = entry;
  if (e.isbase.size() <= sz(e.sp)) {
    e.isbase.resize(sz(e.sp) + 16, 0);
    e.basedescrs.resize(sz(e.sp) + 16, 0);
  }
  e.isbase[sz(e.sp)] = base ? 1 : 0;
  e.basedescrs[sz(e.sp)] = 0;
  return true;
}

bool pop(Eval& e, std::int32_t& entry) {
  if (e.sp < 1) return false;
  entry = top(e);
  e.isbase[sz(e.sp)] = 0;
  --e.sp;
  return true;
}

bool popbound(Eval& e, std::int32_t& entry) {
  while (e.sp >= 1 && e.isbase[sz(e.sp)] == 2) pop(e, entry);
  return pop(e, entry);
}

std::int32_t newcell(double v) {
  const std::int32_t k = core::iresult;
  if (!resultroom(k + 1)) return 0;
  newtemprecord(k);
  core::z(k) = v;
  ++core::iresult;
  return k;
}

double numvalue(std::int32_t entry) {
  if (entry == omitted || entry == 0) return 0.0;
  if (entry > 0) return core::z.valid(entry) ? core::z(entry) : 0.0;
  if (-entry > maxtemps) return 0.0;
  const std::string t = descrtext(-entry);
  double v = 0.0;
  std::int32_t pos = 1, st = 2;
  const auto n = static_cast<std::int32_t>(t.find_last_not_of(' ') + 1);
  if (n > 0) core::GETR8N(t, n, v, pos, st);
  return st == 0 ? v : 0.0;
}

std::int32_t intvalue(std::int32_t entry) {
  if (entry < 1 || entry == omitted) return 0;
  const double v = numvalue(entry);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(nint64(v), -0x7FFFFFFF, 0x7FFFFFFE));
}

std::int32_t newtempnumber() {
  if (xeqexpr.ndescr >= maxtemps) return 0;
  const std::int32_t t = ++xeqexpr.ndescr;
  descrkind[sz(t)] = DescrKind::string;
  descrback[sz(t)] = false;
  tmpsym[sz(t)] = 0;
  return t;
}

std::int32_t maketemp(std::int32_t t, std::string_view text) {
  const auto len = static_cast<std::int32_t>(text.size());
  // Room first, so that the temporary is made now and nothing runs again.
  if (!charroom(tmptop() + len)) return xeqkeyed;
  const std::int32_t cell = newcell(0.0);
  if (cell == 0 || MAKETEMPSTRING(cell, len, t) != tempmade) return 2002;
  if (len > 0) std::memcpy(core::c1namen.ptr(tmpbeg(t)), text.data(), sz(len));
  descrkind[sz(t)] = DescrKind::string;
  descrback[sz(t)] = false;
  return 0;
}

namespace {
// Whether descriptor j, read while the statement writes it, is read before
// the split: only the operand of a fold in a condition is so.
bool foldedcondition(Eval& e, std::int32_t j) {
  for (std::int32_t p = e.first; p <= std::min(e.hdr, e.n); ++p)
    if (word(e, p) == 5002 && val(e, p) == j) return true;
  return false;
}
}  // namespace

std::int32_t setupdescriptors(Eval& e) {
  xeqexpr.nelem = 1;
  xeqexpr.nelemall = 1;
  const std::int32_t nd = xeqexpr.ndescr;
  if (nd > maxtemps) return 2002;
  bool optword = false;
  for (std::int32_t p = e.first; p <= e.n; ++p) {
    const std::uint32_t w = word(e, p);
    if (core::isxoptstmt(w)) optword = true;
  }
  for (std::int32_t j = 1; j <= nd; ++j) {
    const std::uint32_t kind = word(e, j + 1);
    const std::int32_t sym = val(e, j + 1);
    const auto k = sz(j);
    descrkind[k] = DescrKind::none;
    descrback[k] = false;
    tmpsym[k] = sym;
    tmporig[k] = tmpbeg[k] = tmpend[k] = 0;
    if (kind == 5010) {
      const std::int32_t n = std::max(sym, 1);
      const std::int32_t first = core::iresult;
      if (!resultroom(first + n)) return 3005;
      for (std::int32_t i = 0; i < n; ++i) {
        newtemprecord(first + i);
        core::z(first + i) = 0.0;
      }
      core::name(first).type = 0x18;
      core::name(first).adr = first;  // the values stand from its address on
      core::name(first).namlen = static_cast<std::int16_t>(-std::min(n, 0x7FFF));
      core::iresult += n;
      tmpsym[k] = first;
      tmporig[k] = first;
      tmpbeg[k] = 1;
      tmpend[k] = n;
      descrkind[k] = DescrKind::list;
      xeqexpr.nelem = 1;
      xeqexpr.nelemall = std::max(xeqexpr.nelemall, n);
      continue;
    }
    if (kind != 5001 && kind != 5004 && kind != 5009 && kind != 5017 && kind != 5018) continue;
    if (sym < 1 || !core::name.valid(sym) || !core::z.valid(sym)) continue;
    const int type = static_cast<std::uint16_t>(core::name(sym).type) & 0x7FF;
    std::int32_t f = 0, l = 0;
    if ((type & 0x110) == 0x10) {
      std::int32_t rows = 0, cols = 0;
      core::TRANSFERR8TO2I4(core::z(sym), rows, cols);
      const std::int64_t count = static_cast<std::int64_t>(rows) * cols;
      if (rows <= 0 || cols <= 0 || count > 0x7FFFFFFF) {
        descrkind[k] = DescrKind::array;
        return IDXERROR_INTERNAL(3006, j, idxalias, noindex);
      }
      tmporig[k] = core::name(sym).adr;
      tmpbeg[k] = rows;
      tmpend[k] = cols;
      descrkind[k] = DescrKind::array;
      const auto c = static_cast<std::int32_t>(count);
      if (kind == 5017) xeqexpr.nelem = std::max(xeqexpr.nelem, c);
      if (kind == 5004 || kind == 5009) xeqexpr.nelemall = std::max(xeqexpr.nelemall, c);
      if (kind == 5004 && xeqexpr.swappos == 0 && (!readsdollar() || foldedcondition(e, j))) {
        // The statement writes the array it reads: it reads a copy. A
        // statement that reads `$` sees its own writes, but not a fold in
        // its condition: that is one value for the whole statement.
        const std::int32_t first = core::iresult;
        if (!resultroom(first + c)) return 3001;
        for (std::int32_t i = 0; i < c; ++i) {
          newtemprecord(first + i);
          core::z(first + i) = core::z.valid(tmporig[k] + i) ? core::z(tmporig[k] + i) : 0.0;
        }
        core::iresult += c;
        tmporig[k] = first;
      }
    } else if ((type & 0x100) != 0 && !(type == 0x140 && !optword)) {
      tmporig[k] = core::name(sym).adr;
      descrkind[k] = DescrKind::table;
    } else if (core::ISCHAR(sym, f, l) != 0) {
      tmporig[k] = tmpbeg[k] = f;
      tmpend[k] = l;
      descrkind[k] = DescrKind::string;
      const std::int32_t len = c1length(f, l);
      if ((kind == 5001 || kind == 5018) && j == 1 && readsdollar())
        xeqexpr.nelem = std::max(xeqexpr.nelem, len);
      if (kind == 5004 && xeqexpr.swappos == 0 && len > 0) {
        // A copy in the temporary area, taken where the text stands after
        // the room is made (a growth repairs the descriptor).
        if (!charroom(tmptop() + len)) return xeqkeyed;
        const std::int32_t from = tmpbeg[k];
        const std::int32_t cell = newcell(0.0);
        if (cell == 0 || MAKETEMPSTRING(cell, len, j) != tempmade) return 3001;
        std::memmove(core::c1namen.ptr(tmpbeg(j)), core::c1namen.ptr(from), sz(len));
        descrkind[k] = DescrKind::string;
        descrback[k] = false;
        tmpsym[k] = sym;
      }
    } else {
      tmporig[k] = sym;
      tmpbeg[k] = tmpend[k] = 1;
      descrkind[k] = DescrKind::scalar;
    }
  }
  return 0;
}

void passcells(Eval& e) {
  if (core::nsym < 6) return;
  const std::int32_t r = e.pass;
  core::z(1) = r;
  const std::int32_t lhs = xeqexpr.lhsdescr;
  if (lhs >= 1 && lhs <= maxtemps && descrkind[sz(lhs)] == DescrKind::array) {
    const std::int32_t rows = tmpbeg[sz(lhs)], cols = std::max(tmpend[sz(lhs)], 1);
    if (rows == 1) {
      core::z(3) = 1.0;
      core::z(4) = r;
    } else {
      core::z(3) = (r - 1) / cols + 1;
      core::z(4) = (r - 1) % cols + 1;
    }
  }
}

namespace {

std::int32_t product(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(a) * b, 0x7FFFFFFE));
}

// Range bounds beyond their dimension: on the target side and inside a
// segment level they are index errors (the passes would otherwise run over
// every position the bound names); elsewhere the elements beyond read 0.0.
// Returns -1 when the bounds are usable, else the status of the error.
std::int32_t rangebounds(Eval& e, std::int32_t p, std::int32_t k, std::int32_t r1, std::int32_t r2,
                         std::int32_t rows, std::int32_t c1, std::int32_t c2, std::int32_t cols) {
  if (!targetside(e, p) && xeqexpr.iseg == 0) return -1;
  if (std::max(r1, r2) > rows) return badindex(e, k, idxrow, std::max(r1, r2), true);
  if (std::max(c1, c2) > cols) return badindex(e, k, idxcolumn, std::max(c1, c2), true);
  return -1;
}

// A range of total elements met at position p: it sets the count of the
// current segment level, or at the statement's level the target's count
// (target side) or the source's count. Returns the element of this pass
// (0 when the pass has run past the range: the statement's passes end).
std::int32_t rangecount(Eval& e, std::int32_t p, std::int32_t total) {
  if (xeqexpr.iseg > 0) {
    segcount(total);
    curseglen() = std::min(curseglen(), total);
  } else if (targetside(e, p)) {
    xeqexpr.nelem = std::max(xeqexpr.nelem, total);
  } else {
    xeqexpr.nelemall = std::max(xeqexpr.nelemall, total);
  }
  e.rangeflag = true;
  xeqexpr.usedcells |= 0x80;
  const std::int32_t el = curelem(e);
  if (el > total) {
    e.endpasses = true;
    e.endstmt = true;
    return 0;
  }
  return el;
}

// The position of the entry under the top `bounds` bounds (placeholders
// of omitted bounds not counted), 0 none.
std::int32_t under(const Eval& e, int bounds) {
  std::int32_t i = e.sp;
  for (int left = bounds; i >= 1; --i) {
    if (e.isbase[sz(i)] == 2) continue;
    if (left == 0) break;
    --left;
  }
  return std::max(i, 0);
}

// An index word written for an array (a formal that its routine does not
// declare) over a text takes the text's character, or its piece when a
// range left both its bounds: whether the entry under the top `bounds`
// bounds is a text.
bool textunder(Eval& e, int bounds) {
  const std::int32_t i = under(e, bounds);
  if (i < 1 || (bounds == 2 && e.isbase[sz(under(e, 1))] == 1)) return false;
  const std::int32_t s = at(e, i);
  return s < 0 && -s <= maxtemps && descrkind[sz(-s)] == DescrKind::string;
}

}  // namespace

std::int32_t marker(Eval& e, std::int32_t p) {
  const std::uint32_t w = word(e, p);
  const std::int32_t v = val(e, p);
  std::int32_t x = 0;
  switch (w) {
    case 5000:
    case 5001:
    case 5009:
      ++xeqexpr.idescr;
      return 0;
    case 5002: {
      if (v < 1 || v > maxtemps) return 3020;
      if (descrkind[sz(v)] != DescrKind::array && descrkind[sz(v)] != DescrKind::list) return 3020;
      xeqexpr.idescr = v;
      if (!push(e, tmporig[sz(v)] - 1, true)) return 2002;
      e.basedescrs[sz(e.sp)] = v;
      return 0;
    }
    case 5003:
    case 5019: {
      const std::int32_t k = basedescr(e, e.sp);
      if (k == 0) return 3020;
      const std::int32_t count = elemcount(k);
      if (xeqexpr.iseg > 0) segcount(count, k);
      const std::int32_t el = curelem(e);
      if (xeqexpr.iseg == 0 && el > count) {
        // The pass has run past the array: the statement ends here.
        e.endpasses = true;
        e.endstmt = true;
        return 0;
      }
      if (el > count) {
        // A fold runs over a longer array: this one gives 0 for the
        // elements it lacks.
        std::int32_t base = 0;
        pop(e, base);
        return push(e, newcell(0.0)) ? 0 : 2002;
      }
      if (w == 5019 && core::nsym >= 6) {
        core::z(1) = e.pass;
        core::z(5) = core::z(3);
        core::z(6) = core::z(4);
      }
      top(e) += el;
      e.isbase[sz(e.sp)] = 3;  // a whole array's element, as an option value the array
      return 0;
    }
    case 5004:
    case 5007:
    case 5010:
    case 5017:
    case 5018:
      return 0;
    case 5005: {
      if (p > e.first && word(e, p - 1) == 5015u && textunder(e, 2)) return substring(e, p);
      if (textunder(e, 1)) return onechar(e, p);
      if (!popbound(e, x)) return 3000;
      const std::int32_t k = basedescr(e, e.sp);
      if (k == 0) return 3020;
      const std::int32_t i = intvalue(x);
      const std::int32_t count = elemcount(k);
      if (i < 1 || i > count) return badindex(e, k, idxcolumn, i, i > count);
      top(e) += i;
      e.isbase[sz(e.sp)] = 0;
      return 0;
    }
    case 5006: {
      // The entries above the array base: two indices, or bounds of row
      // and column ranges (a row range, a column range after 5015, or both).
      std::int32_t ib = e.sp;
      while (ib >= 1 && e.isbase[sz(ib)] != 1) --ib;
      std::vector<std::int32_t> b;
      for (std::int32_t i = ib + 1; i <= e.sp; ++i)
        if (e.isbase[sz(i)] != 2) b.push_back(at(e, i));
      const bool colrange = p > e.first && word(e, p - 1) == 5015u;
      if (ib < 1 || b.size() < 2 || b.size() > 4) return b.size() < 2 ? 3000 : 3020;
      if (at(e, ib) < 10) return 3020;
      const std::int32_t k = basedescr(e, ib);
      if (k == 0) return 3020;
      e.sp = ib;
      const std::int32_t rows = tmpbeg[sz(k)], cols = tmpend[sz(k)];
      std::int32_t row = 0, col = 0;
      if (b.size() == 2 && !colrange) {
        row = intvalue(b[0]);
        col = intvalue(b[1]);
      } else {
        const bool rowrange = b.size() == 4 || !colrange;
        const bool cr = b.size() == 4 || colrange;
        // A column range after a lone row index needs both of its bounds.
        if (b.size() != (rowrange ? 2u : 1u) + (cr ? 2u : 1u)) return 3000;
        std::int32_t r1 = intvalue(b[0]), r2 = rowrange ? intvalue(b[1]) : r1;
        const std::size_t ci = rowrange ? 2 : 1;
        std::int32_t c1 = intvalue(b[ci]), c2 = cr ? intvalue(b[ci + 1]) : c1;
        if (rowrange && r1 < 1) r1 = 1;
        if (rowrange && r2 < 1) r2 = rows;
        if (cr && c1 < 1) c1 = 1;
        if (cr && c2 < 1) c2 = cols;
        if (const std::int32_t st = rangebounds(e, p, k, r1, r2, rows, c1, c2, cols); st >= 0)
          return st;
        const std::int32_t nr = std::abs(r2 - r1) + 1, nc = std::abs(c2 - c1) + 1;
        const std::int32_t el = rangecount(e, p, product(nr, nc));
        if (el == 0) return 0;
        row = r1 + ((el - 1) / nc) * (r2 >= r1 ? 1 : -1);
        col = c1 + ((el - 1) % nc) * (c2 >= c1 ? 1 : -1);
        if (targetside(e, p) && core::nsym >= 6) {
          core::z(3) = row;
          core::z(4) = col;
        }
      }
      if (col < 1 || col > cols) return badindex(e, k, idxcolumn, col, col > cols);
      if (row < 1 || row > rows) return badindex(e, k, idxrow, row, row > rows);
      top(e) += cols * (row - 1) + col;
      e.isbase[sz(e.sp)] = 0;
      return 0;
    }
    case 5008:
      return tableoperand(e, p, v);
    case 5011: {
      const std::int32_t L = xeqexpr.iseg + 1;
      if (L > 4) return 3014;
      xeqexpr.iseg = L;
      SegLevel& s = seglevels[sz(L)];
      s = SegLevel{};
      s.fn = v;
      s.wordpos = p + 1;
      s.stackpos = e.sp;
      xeqexpr.segidx[sz(L)] = 1;
      const std::int32_t linked = xeqexpr.seglen[sz(L)];
      xeqexpr.seglen[sz(L)] =
          (linked >= 1 && linked < 0x7FFFFFFE) ? linked : std::max(xeqexpr.nelem, xeqexpr.nelemall);
      // A fold of a list (SUM(A, 2)) runs over the list's own values.
      if (p < e.n && core::xform::ismovedargs(static_cast<std::int16_t>(word(e, p + 1)))) {
        const std::int32_t d = val(e, p + 1);
        if (d >= 1 && d <= maxtemps) xeqexpr.seglen[sz(L)] = std::max(tmpend[sz(d)], 1);
        s.counted = true;
      }
      xeqexpr.maxlocpos = static_cast<std::int32_t>(0x80000001u);
      if ((static_cast<std::uint32_t>(v) & 0xF820u) == 0xC020u) {
        const std::int32_t t = newtempnumber();
        if (t == 0 || maketemp(t, " ") != 0) return 2002;
        s.acc = -t;
      } else {
        s.acc = newcell(0.0);
        if (s.acc == 0) return 2002;
      }
      s.iresultstart = core::iresult;
      s.ndescrstart = xeqexpr.ndescr;
      s.tmptopstart = tmporig[0];
      if (core::nsym >= 6) {
        if (L == 1) core::z(5) = 1.0;
        core::z(6) = 1.0;
      }
      return 0;
    }
    case 5012:
      return 0;  // handled by the evaluator's loop (it needs to jump)
    case 5013: {
      if (v < 1 || v > maxtemps) return 3020;
      xeqexpr.idescr = v;
      if (!push(e, -v)) return 2002;
      return 0;
    }
    case 5014: {
      std::int32_t c2 = 0, c1 = 0, r2 = 0, r1 = 0;
      if (!popbound(e, c2) || !popbound(e, c1) || !popbound(e, r2) || !popbound(e, r1)) return 3000;
      const std::int32_t k = basedescr(e, e.sp);
      std::int32_t rows = 1, cols = 1;
      if (k > 0) {
        rows = tmpbeg[sz(k)];
        cols = tmpend[sz(k)];
      }
      std::int32_t a1 = intvalue(r1), a2 = intvalue(r2), b1 = intvalue(c1), b2 = intvalue(c2);
      if (a1 < 1) a1 = 1;
      if (b1 < 1) b1 = 1;
      if (a2 < 1) a2 = rows;
      if (b2 < 1) b2 = cols;
      if (const std::int32_t st = rangebounds(e, p, k, a1, a2, rows, b1, b2, cols); st >= 0)
        return st;
      const std::int32_t nr = std::abs(a2 - a1) + 1, nc = std::abs(b2 - b1) + 1;
      const std::int32_t total = product(nr, nc);
      const std::int32_t el = rangecount(e, p, total);
      if (el == 0) return 0;
      const std::int32_t row = a1 + ((el - 1) / nc) * (a2 >= a1 ? 1 : -1);
      const std::int32_t col = b1 + ((el - 1) % nc) * (b2 >= b1 ? 1 : -1);
      val(e, p) = total - el;
      if (targetside(e, p) && core::nsym >= 6) {
        core::z(3) = row;
        core::z(4) = col;
      }
      const std::int32_t rc = newcell(row), cc = newcell(col);
      if (rc == 0 || cc == 0 || !push(e, rc) || !push(e, cc)) return 2002;
      return 0;
    }
    case 5015: {
      // Bounds of a text range stay for the substring word that follows.
      if (p < e.n) {
        const std::uint32_t next = word(e, p + 1);
        if (next == 0xF34Cu || next == 0xF360u || next == 5006u) return 0;
        if (next == 5005u && textunder(e, 2)) return 0;
      }
      std::int32_t b = 0, a = 0;
      if (!popbound(e, b) || !popbound(e, a)) return 3000;
      std::int32_t len = 1, k = 0;
      if (e.sp >= 1) {
        k = basedescr(e, e.sp);
        if (k == 0 && top(e) < 0 && -top(e) <= maxtemps) k = -top(e);
        if (k > 0) len = elemcount(k);
      }
      std::int32_t lo = intvalue(a), hi = intvalue(b);
      if (lo < 1) lo = 1;
      if (hi < 1) hi = len;
      if (const std::int32_t st = rangebounds(e, p, k, 1, 1, 1, lo, hi, len); st >= 0) return st;
      const std::int32_t el = rangecount(e, p, std::abs(hi - lo) + 1);
      if (el == 0) return 0;
      const std::int32_t idx = lo + (el - 1) * (hi >= lo ? 1 : -1);
      if (targetside(e, p) && core::nsym >= 6) core::z(4) = idx;
      const std::int32_t cell = newcell(idx);
      if (cell == 0 || !push(e, cell)) return 2002;
      return 0;
    }
    case 5016:
      return push(e, v) ? 0 : 2002;
    default:
      return 0;
  }
}

namespace {

// The string operand below the bounds, or 0.
std::int32_t stringbelow(Eval& e) {
  if (e.sp < 1) return 0;
  const std::int32_t s = top(e);
  if (s >= 0 || -s > maxtemps || descrkind[sz(-s)] != DescrKind::string) return 0;
  return -s;
}

// Replaces the string operand on top by the slice a..b (positions from 1 in
// the string, a > b backwards): a narrowed temporary when it is the
// assignment's target, in an exchange, or read forwards; read backwards
// anywhere else, a copy in the temporary area. (An option statement takes
// a piece by its positions: optiontext() in exec/postfix.cpp.)
std::int32_t makeslice(Eval& e, std::int32_t p, std::int32_t k, std::int32_t a, std::int32_t b) {
  const std::int32_t f = tmpbeg[sz(k)];
  const bool back = descrbackwards(k);
  auto pos = [&](std::int32_t i) { return back ? f - (i - 1) : f + (i - 1); };
  const std::int32_t pf = pos(a), pl = pos(b);
  const std::int32_t t = newtempnumber();
  if (t == 0) return 2002;
  tmpsym[sz(t)] = tmpsym[sz(k)];
  if (istarget(e, p) || xeqexpr.swappos != 0 || pf <= pl) {
    tmporig[sz(t)] = tmpbeg[sz(t)] = pf;
    tmpend[sz(t)] = pl;
    descrback[sz(t)] = pf > pl;
  } else {
    // The piece read backwards, copied in reading order: a constant, so
    // that an option statement refuses to write into it (the copy is no
    // place of the variable).
    std::string piece;
    for (std::int32_t q = pf; q >= pl; --q) piece += core::c1namen(q);
    if (const std::int32_t st = maketemp(t, piece); st != 0) return st;
    core::name(tmpsym[sz(t)]).type |= 0x1;
  }
  top(e) = -t;
  e.isbase[sz(e.sp)] = 0;
  return 0;
}

}  // namespace

std::int32_t substring(Eval& e, std::int32_t p) {
  std::int32_t eb = 0, ea = 0;
  if (!popbound(e, eb) || !popbound(e, ea)) return 3000;
  const std::int32_t k = stringbelow(e);
  if (k == 0) return 3045;
  const std::int32_t len = elemcount(k);
  std::int32_t a = intvalue(ea), b = intvalue(eb);
  if (ea < 1 || ea == omitted) a = 1;
  if (eb < 1 || eb == omitted) b = len;
  if ((xeqexpr.usedcells & 0x1) == 0 && (a < 1 || a > len || b < 1 || b > len)) return 3045;
  a = std::clamp(a, 1, std::max(len, 1));
  b = std::clamp(b, 1, std::max(len, 1));
  if (len == 0) return 3045;
  return makeslice(e, p, k, a, b);
}

std::int32_t onechar(Eval& e, std::int32_t p) {
  std::int32_t ei = 0;
  if (!popbound(e, ei)) return 3000;
  const std::int32_t k = stringbelow(e);
  if (k == 0) return 3045;
  const std::int32_t len = elemcount(k);
  std::int32_t i = (ei < 1 || ei == omitted) ? 1 : intvalue(ei);
  if (i < 1 || i > len) {
    IDXERROR_INTERNAL(3006, k, idxindex, i);
    if (core::nomsg == 0 && xeqexpr.iseg == 0) return 3006;
    i = std::clamp(i, 1, std::max(len, 1));
    if (len == 0) return 3006;
  }
  return makeslice(e, p, k, i, i);
}

}  // namespace evaldetail

}  // namespace exec
