#include "exec/postfix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/chars.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/operands.h"
#include "exec/operators.h"
#include "exec/optdispatch.h"
#include "exec/postfix_eval.h"
#include "exec/strings.h"
#include "exec/struct.h"
#include "exec/tablecells.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"

namespace exec {

namespace {
using core::cwu;
namespace xf = core::xform;
// The LINE statement of the executor form, without its option count.
constexpr unsigned xlinestmt = cwu(core::optstmtxcode(core::optstmtnr(core::builtincode("LINE"))));
// Option statements whose arguments the call takes in its own way.
constexpr std::int32_t readstmt = core::optstmtnr(core::builtincode("READ"));
constexpr std::int32_t writestmt = core::optstmtnr(core::builtincode("WRITE"));
constexpr std::int32_t bitsstmt = core::optstmtnr(core::builtincode("BITS"));
// The linker hands every linked statement to XEQ3.
[[maybe_unused]] const bool installed = (xeq3 = &XEQ3, true);

// Work records of the evaluations, one per nesting depth, kept from one
// statement to the next with their stack-entry flag areas, so that an
// evaluation neither allocates nor clears its record as a whole block (the
// compiler's block clear of a new record cost more than the fields it sets).
// The flag areas are not cleared either: a stack entry's flags are written
// when it is pushed, and no entry above the stack's top is read.
std::vector<std::unique_ptr<evaldetail::Eval>> evalpool;
std::size_t evaldepth = 0;

// The record of a new evaluation: every field as a new record has it.
evaldetail::Eval& takeeval() {
  if (evaldepth == evalpool.size()) evalpool.push_back(std::make_unique<evaldetail::Eval>());
  evaldetail::Eval& e = *evalpool[evaldepth++];
  e.words = {};
  e.values = {};
  e.n = e.cap = e.hdr = e.nlinked = e.first = e.passstart = e.sp = 0;
  e.pass = e.iresultpass = e.tmpbase = e.resultcell = e.optstmt = 0;
  e.firstkw = -1;
  e.firstwritten = e.written = e.editcalls = e.jump = e.structcell = 0;
  e.tablecell = e.tableunit = e.tablerow = e.tablecolumn = 0;
  e.swapcell = e.swapunit = e.swaprow = e.swapcolumn = 0;
  e.hasassign = e.stored = e.falsecond = e.condition = e.endstmt = false;
  e.endpasses = e.rangeflag = e.missing = e.restart = e.prefixeach = false;
  e.gateat = e.gatemain = e.gateif = e.gate = e.gatecond = e.gatecondbasedescr = 0;
  e.gatecondbase = 0;
  return e;
}
static_assert(sizeof(evaldetail::Eval) == 232,
              "a field added to the work record needs its start value in takeeval");
struct EvalSlot {
  evaldetail::Eval& e = takeeval();
  EvalSlot() = default;
  ~EvalSlot() { --evaldepth; }
  EvalSlot(const EvalSlot&) = delete;
  EvalSlot& operator=(const EvalSlot&) = delete;
};
}  // namespace

std::string_view xeqerrorkey(std::int32_t code) {
  for (const auto& k : xeqerrorkeys)
    if (k.code == code) return k.key;
  return {};
}

void reset_postfix() {
  // The hooks stay: the subsystems that provide them install them once.
  nblock = 0;
  blockstack.assign(8, 0);
}

namespace evaldetail {

namespace {

std::size_t sz(std::int32_t k) { return static_cast<std::size_t>(k); }

bool validcell(std::int32_t c) { return c > 0 && core::z.valid(c); }

// A cell whose symbol record is a constant.
bool constcell(std::int32_t c) {
  return c >= 1 && c <= core::nsym && core::name.valid(c) && (core::name(c).type & 0x1) != 0;
}

// Writes a text into the string of descriptor k from its first position on
// (in its direction), cut at its end; blanks the rest when fill.
void writestring(std::int32_t k, std::string_view text, std::int32_t from) {
  const std::int32_t f = tmpbeg[sz(k)];
  const std::int32_t len = descrlength(k);
  const bool back = descrbackwards(k);
  if (!back && from >= 1) {
    // Forwards: one copy and one fill, up to the store's end.
    const std::int64_t start = static_cast<std::int64_t>(f) + from - 1;
    if (len < from || !core::c1namen.valid(start)) return;
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(len - from + 1, core::c1namen.last() - start + 1));
    const std::size_t copied = std::min(count, text.size());
    char* const at = core::c1namen.ptr(start);
    if (copied > 0) std::memmove(at, text.data(), copied);
    if (count > copied) std::memset(at + copied, ' ', count - copied);
    return;
  }
  // (Read whole before any character is written: the text may be the
  // target's own characters, as in T(6:1) = T(1:6).)
  const std::string source(text);
  for (std::int32_t i = std::max(from, 1); i <= len; ++i) {
    const std::int32_t pos = back ? f - (i - 1) : f + (i - 1);
    if (!core::c1namen.valid(pos)) break;
    const auto j = sz(i - from);
    core::c1namen(pos) = j < source.size() ? source[j] : ' ';
  }
}

// A stack entry that names a live string: a descriptor or temporary of
// this statement whose positions lie in `c1namen`.
bool livestring(std::int32_t entry) {
  if (entry >= 0 || -entry > maxtemps || -entry > xeqexpr.ndescr) return false;
  const auto k = sz(-entry);
  if (descrkind[k] != DescrKind::string) return false;
  const std::int32_t f = tmpbeg[k], l = tmpend[k];
  return f >= 1 && l >= 0 && f <= core::nc1namen + 1 && l <= core::nc1namen;
}

std::string stringof(std::int32_t entry) { return descrtext(-entry); }

// The text of a string entry without a copy where it can be read in place.
std::string_view stringview(std::int32_t entry, std::string& own) {
  const auto k = sz(-entry);
  if (descrback[k]) {
    own = descrtext(-entry);
    return own;
  }
  return c1read(tmpbeg[k], tmpend[k], own);
}

// The text of a number's cell when it holds a valid pair of text positions.
bool celltext(std::int32_t c, std::string& text) {
  if (!validcell(c)) return false;
  if (core::name.valid(c) && (core::name(c).type & 0x40) == 0) return false;
  std::int32_t f = 0, l = 0;
  core::TRANSFERR8TO2I4(core::z(c), f, l);
  if (f < 1 || f > l || l > core::nc1namen) return false;
  text = c1text(f, l);
  return true;
}

std::int32_t assignstring(Eval& e, std::int32_t t, std::int32_t s, bool exchange) {
  const auto k = sz(-t);
  if (tmpbeg[k] == 0 || tmpend[k] == 0) return 3046;
  const std::int32_t tlen = descrlength(-t);
  if (s < 0 && -s <= maxtemps) {
    std::string own;
    const std::string_view src = stringview(s, own);
    const auto slen = static_cast<std::int32_t>(src.size());
    const bool onepass = xeqexpr.nelem <= 1 && xeqexpr.nelemall <= 1;
    if (exchange) {
      const std::string dst = stringof(t);
      const std::size_t common = std::min(src.size(), dst.size());
      std::string a = dst, b(src);
      for (std::size_t i = 0; i < common; ++i) std::swap(a[i], b[i]);
      // Only the common length changes hands.
      writestring(static_cast<std::int32_t>(k), a, 1);
      writestring(-s, b, 1);
      return 0;
    }
    if (onepass && (xeqexpr.usedcells & 0xD) == 0) {
      writestring(static_cast<std::int32_t>(k), src.substr(0, sz(std::min(slen, tlen))), 1);
    } else {
      const std::int32_t from = (e.pass - 1) * std::max(slen, 1) + 1;
      if (from <= tlen) {
        const std::string before = stringof(t).substr(0, sz(from - 1));
        writestring(static_cast<std::int32_t>(k), before + std::string(src), 1);
      }
    }
    return 0;
  }
  if (exchange) return 3039;
  std::string text;
  if (!celltext(s, text)) {
    char buf[23];
    std::int32_t used = 0;
    const std::int32_t n = std::clamp(tlen, 1, 23);
    core::C1WTSID8(std::span<char>(buf, sz(n)), validcell(s) ? core::z(s) : 0.0, 0, used);
    text.assign(buf, sz(std::clamp(used, 0, n)));
  }
  writestring(static_cast<std::int32_t>(k), text, 1);
  return 0;
}

std::int32_t assignnumber(Eval& e, std::int32_t t, std::int32_t s, bool exchange) {
  if (t > core::nz || !core::z.valid(t)) return 3021;
  // The own cell of an array, a text or a label holds its shape or bounds,
  // never a value.
  if (t <= core::nsym && core::name.valid(t) && (core::name(t).type & 0x52) != 0) return 3020;
  if (s < 0 && -s <= maxtemps) {
    if (exchange) return 3039;
    // A number read from the text; the text's start moves past it.
    const auto k = sz(-s);
    const std::string text = descrtext(-s);
    double v = 0.0;
    std::int32_t pos = 1, st = 2;
    const auto n = static_cast<std::int32_t>(text.size());
    if (n > 0) core::GETR8N(text, n, v, pos, st);
    // A text that holds no number cannot become one.
    if (st != 0) {
      core::msgkey.set(xeqkeys::chartonum);
      return xeqkeyed;
    }
    core::z(t) = v;
    if (pos > 1) tmpbeg[k] += descrbackwards(-s) ? -(pos - 1) : pos - 1;
  } else if (exchange) {
    if (!validcell(s)) return 3021;
    std::swap(core::z(t), core::z(s));
  } else {
    core::z(t) = validcell(s) ? core::z(s) : 0.0;
  }
  e.firstwritten = e.firstwritten == 0 ? t : std::min(e.firstwritten, t);
  return 0;
}

// The numeric fields of the STRUCT record variable rec (n fields), read
// from the record's first character on into consecutive cells from t on,
// an array field element by element; text, pointer and nested-record
// fields are passed over. Stops at the statement's element count.
std::int32_t structfields(std::int32_t rec, std::int32_t n, std::int32_t t) {
  namespace k = structkw;
  std::int32_t first = 0, last = 0;
  if (core::ISCHAR(rec, first, last) == 0 || first < 1) return 0;
  const std::int32_t cells = std::max(xeqexpr.nelem, 1);
  std::int32_t cell = t, position = first;
  for (std::int32_t f = 1; f <= n && cell - t < cells; ++f) {
    std::int32_t v = 0;
    const std::int32_t type = STRUCTELEMENT(rec, f, v);
    if (type == 0) break;
    if (type == -k::chr || type == -k::chr0 || type == 999) {
      std::int32_t a = 0, b = 0;
      if (core::ISCHAR(v, a, b) != 0 && b >= a) position += b - a + 1;
      continue;
    }
    const std::int32_t width = structfieldwidth(type);
    if (type < 0 || type == 998 || type == k::i4p) {
      position += width > 0 ? width : structptrwidth;
      continue;
    }
    const bool array = v >= 1 && v <= core::nsym && (core::name(v).type & 0x91) == 0x10;
    const std::int32_t count = array ? core::I4EQUZ(1, v) * core::I4EQUZ(2, v) : 1;
    for (std::int32_t i = 0; i < count && cell - t < cells; ++i) {
      if (width < 1 || position + width - 1 > last) return 0;  // the record ends
      if (!core::z.valid(cell)) return 3021;
      core::z(cell++) = STRUCTFIELDVALUE(position, type);
      if (!core::msgkey.trimmed().empty()) return 0;
    }
  }
  return 0;
}

// One side of an exchange with a table element: the element (its unit,
// row and column) or the variable or text the entry names, and its value.
struct SwapSide {
  std::int32_t entry = 0;
  bool element = false;
  std::int32_t unit = 0, row = 0, column = 0;
  bool istext = false;
  std::string text;
  double number = 0.0;
};

// Reads one side; status 0 or the code `readfail` with the element's row
// and column in the detail words.
std::int32_t swapside(Eval& e, SwapSide& x, bool target, std::int32_t readfail) {
  const std::int32_t cell = target ? e.tablecell : e.swapcell;
  if (x.entry > 0 && x.entry == cell) {
    x.element = true;
    x.unit = target ? e.tableunit : e.swapunit;
    x.row = target ? e.tablerow : e.swaprow;
    x.column = target ? e.tablecolumn : e.swapcolumn;
    if (tableread(x.unit, x.row, x.column, x.text, x.number, x.istext) != 0) {
      core::msgkey.blank();
      detailwords[0] = static_cast<std::int16_t>(std::clamp(x.row, -32768, 32767));
      detailwords[1] = static_cast<std::int16_t>(std::clamp(x.column, -32768, 32767));
      return readfail;
    }
    return 0;
  }
  if (x.entry < 0) {
    if (-x.entry > maxtemps || !livestring(x.entry)) return 3020;
    x.istext = true;
    x.text = stringof(x.entry);
    return 0;
  }
  if (!validcell(x.entry)) return 3021;
  if (constcell(x.entry)) return 3036;
  x.number = core::z(x.entry);
  return 0;
}

// Gives one side the other's value; status 0 or the code `writefail`.
std::int32_t swapin(SwapSide& x, const SwapSide& from, std::int32_t writefail) {
  if (x.element) {
    core::msgkey.blank();
    const std::int32_t st =
        tablestore(x.unit, x.row, x.column, from.istext, from.text, from.number);
    if (st == 0) return 0;
    core::msgkey.blank();
    detailwords[0] = static_cast<std::int16_t>(std::clamp(x.row, -32768, 32767));
    detailwords[1] = static_cast<std::int16_t>(std::clamp(x.column, -32768, 32767));
    return writefail;
  }
  if (x.istext) {
    writestring(-x.entry, from.text, 1);
  } else {
    core::z(x.entry) = from.number;
  }
  return 0;
}

// Exchange with an element of a file viewed as a table (word 0x8981):
// both sides are read first, then each takes the other's value.
std::int32_t tableexchange(Eval& e) {
  SwapSide t, s;
  if (!pop(e, s.entry)) return 3000;
  if (!pop(e, t.entry)) return 3020;
  if (t.entry == 0 || t.entry == omitted || s.entry == 0 || s.entry == omitted) return 3020;
  if (const std::int32_t st = swapside(e, t, true, 3040); st != 0) return st;
  if (const std::int32_t st = swapside(e, s, false, 3042); st != 0) return st;
  e.tablecell = e.swapcell = 0;
  if (t.istext != s.istext) return 3039;
  const SwapSide first = t;
  if (const std::int32_t st = swapin(t, s, 3037); st != 0) return st;
  if (const std::int32_t st = swapin(s, first, 3038); st != 0) return st;
  e.stored = true;
  return push(e, t.entry) ? 0 : 2002;
}

// Assignment (0x8880 family) and exchange (0x8980 family) with count a.
std::int32_t assign(Eval& e, std::int32_t p) {
  const std::uint32_t w = word(e, p);
  const bool exchange = core::xcwcode(w) == cwu(xf::exchange);
  const std::int32_t a = val(e, p);
  if (a > 1 && !exchange) {
    // A list: the top a entries go in order into the cells from the target on.
    if (e.sp < a + 1) return 3000;
    const std::int32_t t = at(e, e.sp - a);
    if (t == 0) return 3020;
    if (constcell(t)) return 3036;
    if (t < 0) return 3020;
    for (std::int32_t i = 0; i < a; ++i) {
      const std::int32_t st = assignnumber(e, t + i, at(e, e.sp - a + 1 + i), false);
      if (st != 0) return st;
    }
    e.sp -= a + 1;
    e.stored = true;
    return push(e, t) ? 0 : 2002;
  }
  // An element of a file table on either side: its own exchange.
  if (exchange && e.sp >= 2 &&
      ((e.swapcell != 0 && top(e) == e.swapcell) ||
       (e.tablecell != 0 && at(e, e.sp - 1) == e.tablecell)))
    return tableexchange(e);
  std::int32_t s = 0, t = 0;
  if (!pop(e, s)) return 3000;
  if (!pop(e, t)) return 3020;
  if (t == 0 || t == omitted) return 3020;
  // Negative entries must name strings of this statement.
  if ((t < 0 && !livestring(t)) || (s < 0 && !livestring(s))) return 3020;
  const std::int32_t owner = t < 0 && -t <= maxtemps ? tmpsym[sz(-t)] : t;
  if (constcell(owner)) return 3036;
  std::int32_t st = 0;
  std::int32_t field = 0;
  if (t < 0 && s > 0 && s == e.structcell && owner == core::xeqtarget && !exchange) {
    // STRUCT has written its record into the target itself: its result,
    // the record length, is the statement's value and is not assigned.
    e.stored = true;
    return push(e, s) ? 0 : 2002;
  }
  if (t < 0) {
    if (-t > maxtemps) return 3020;
    st = assignstring(e, t, s, exchange);
  } else if (s < 0 && -s <= maxtemps && STRUCTELEMENT(tmpsym[sz(-s)], 0, field) != 0) {
    // The whole record goes in at once, from the target's first element.
    st = structfields(tmpsym[sz(-s)], field, t);
    e.endpasses = true;
  } else {
    st = assignnumber(e, t, s, exchange);
  }
  if (st != 0) return st;
  e.stored = true;
  return push(e, t) ? 0 : 2002;
}

// Assignment to an element of a file viewed as a table (word 0x8881):
// the value is written to the cell that the element's marker recorded.
std::int32_t tablewrite(Eval& e) {
  std::int32_t s = 0, t = 0;
  if (!pop(e, s)) return 3000;
  if (!pop(e, t)) return 3020;
  if (t <= 0 || t != e.tablecell) return 3020;
  if (s < 0 && !livestring(s)) return 3020;
  e.tablecell = 0;
  std::string own;
  const bool istext = s < 0 && -s <= maxtemps;
  const std::string text(istext ? stringview(s, own) : std::string_view{});
  const double number = !istext && validcell(s) ? core::z(s) : 0.0;
  if (const std::int32_t st = tableassign(e, istext, text, number); st != 0) return st;
  if (core::z.valid(t)) core::z(t) = number;
  e.stored = true;
  return push(e, t) ? 0 : 2002;
}

// Block IF words: IF, ELSE, ELSEIF, ENDIF; target: the statement the block
// names. Returns 0 to go on or `xeqfalseblock`.
std::int32_t blockword(Eval& e, std::uint32_t w, std::int32_t target) {
  bool cond = false;
  std::int32_t c = 0;
  if (pop(e, c)) cond = numvalue(c) != 0.0;
  e.condition = true;
  const BlockStep r = blockstep(core::xcwcode(w), core::xeqline, cond, target);
  if (r.decided) {
    if (validcell(e.resultcell)) core::z(e.resultcell) = r.cond ? 1.0 : falsevalue;
    e.falsecond = !r.cond;
  }
  return r.skip ? xeqfalseblock : 0;
}

}  // namespace

}  // namespace evaldetail

namespace evaldetail {

namespace {

// The variable that receives an option statement's result, named by the
// word at the split position: an operand word names it; a descriptor (the
// split word's operand -k) by its symbol; an array element (marker 5003) is
// the assignment's target at the bottom of the stack. A statement that
// stands alone has none, except that EDIT and POP take the first
// descriptor's symbol. 0 when there is none.
std::int32_t receiver(Eval& e, std::uint32_t atsplit, std::uint32_t w) {
  if (e.hdr < 1 || e.hdr > e.n) return 0;
  std::int32_t v = val(e, e.hdr);
  if (atsplit == 0x80u) return v;
  if (atsplit == 5003u) v = e.sp >= 1 ? at(e, 1) : 0;
  if (atsplit == 0xF340u && v >= 0 && (w & 0xFB80u) == 0xFB80u && xeqexpr.ndescr >= 1) v = -1;
  if (atsplit != 5003u && atsplit != 0xF340u) return 0;
  if (v < 0 && -v <= maxtemps) return tmpsym[sz(-v)];
  return v > 0 && v != omitted ? v : 0;
}

// The symbol that an option statement takes for temporary string k: the
// variable or text that it stands for, or for a piece of one (which an
// operator or built-in may have read on the way as a temporary), a new
// cell that holds the piece's positions, through which the option reads
// or writes those characters; 0 when no cell is left.
std::int32_t optiontext(std::int32_t k) {
  const std::int32_t s = tmpsym[sz(k)];
  if (descrkind[sz(k)] != DescrKind::string) return s;
  std::int32_t first = 0, last = 0;
  std::int32_t b = tmpbeg[sz(k)], t = tmpend[sz(k)];
  if (s > 0 && core::ISCHAR(s, first, last) != 0) {
    // A text that the statement also writes is read from its own copy; the
    // option takes the characters of the variable itself.
    for (std::int32_t d = 1; d <= xeqexpr.nlinked && d <= maxtemps; ++d) {
      const std::int32_t c = tmporig[sz(d)];
      if (descrkind[sz(d)] != DescrKind::string || tmpsym[sz(d)] != s || c == first ||
          tmpend[sz(d)] - c != last - first)
        continue;
      const auto inside = [&](std::int32_t q) { return q >= c && q <= tmpend[sz(d)]; };
      if (inside(b) && inside(t)) {
        b += first - c;
        t += first - c;
        break;
      }
    }
    if (first == b && last == t) return s;
  }
  const std::int32_t cell = newcell(0.0);
  if (cell == 0) return 0;
  core::TRANSFER2I4TOR8(b, t, core::z(cell));
  core::name(cell).type = strtemptype;
  return cell;
}

// Stack entry i, or the array itself when the entry is an array base or a
// whole array's element: by the descriptor that pushed it (a view may share
// its array's first cell), else by that cell.
std::int32_t wholearray(Eval& e, std::int32_t i) {
  std::int32_t a = at(e, i);
  if (e.isbase[sz(i)] != 1 && e.isbase[sz(i)] != 3) return a;
  const std::int32_t d = e.basedescrs[sz(i)];
  if (d >= 1 && d <= maxtemps && descrkind[sz(d)] == DescrKind::array) return tmpsym[sz(d)];
  for (std::int32_t k = 1; k <= xeqexpr.ndescr && k <= maxtemps; ++k)
    if (descrkind[sz(k)] == DescrKind::array && (a == tmporig[sz(k)] - 1 || a == tmporig[sz(k)]))
      a = tmpsym[sz(k)];
  return a;
}

// An option statement used as a function.
std::int32_t optionstatement(Eval& e, std::int32_t p) {
  const std::uint32_t w = word(e, p);
  const std::int32_t s = static_cast<std::int32_t>((w & 0x7C0u) / 64);
  const std::int32_t count = static_cast<std::int32_t>(w & 0x3Fu);
  // The call's arguments are the stack's entries from its first keyword
  // on (an option may have a value of its own besides, EDIT's DO 3), and
  // for BITS its target below them. A call without options has none, but
  // BITS its target (the compiler refuses a BITS without one), and READ and
  // WRITE, whose word comes at the statement's end, every entry but an
  // assignment's target: what else lies below the call (an operator's
  // other operand, a function's value) is none of its arguments.
  const bool transfer = s == readstmt || s == writestmt;
  std::int32_t from = e.sp + 1;
  if (count > 0) {
    from = e.firstkw >= 0 ? e.firstkw + 1 : std::max(1, e.sp - 2 * count + 1);
  } else if (transfer) {
    from = e.n >= 2 && core::xcwcode(word(e, e.n - 1)) == cwu(xf::assign) ? 2 : 1;
  }
  // BITS: its target goes to the dispatch as a pair (ERror, target)
  // written first.
  std::int32_t pairs = count;
  const bool bitstarget = s == bitsstmt;
  if (bitstarget) {
    --from;
    ++pairs;
  }
  if (from < 1) return 3000;
  if (!resultroom(core::iresult + 2)) return 2002;
  std::vector<std::int32_t> args;
  if (bitstarget) args.push_back(0);
  for (std::int32_t i = from; i <= e.sp; ++i) {
    std::int32_t a = at(e, i);
    if (a == omitted) {
      a = novalue;
    } else if (a < 0 && -a <= maxtemps) {
      a = optiontext(-a);
      if (a == 0) return 2002;
    } else {
      a = wholearray(e, i);
    }
    args.push_back(a);
  }
  std::int16_t kind = 0;
  const std::uint32_t atsplit = e.hdr >= 1 && e.hdr <= e.n ? word(e, e.hdr) : 0;
  if (atsplit == 0xF340u)
    kind = static_cast<std::int16_t>(0x8400);
  else if (atsplit == 0x80u)
    kind = static_cast<std::int16_t>(0x8420);
  else if (atsplit == 5003u) {
    kind = static_cast<std::int16_t>(0x8440);
    if (xeqexpr.iseg > 0) xeqexpr.seglen[sz(xeqexpr.iseg)] = 1;
  }
  core::xeqtarget = receiver(e, atsplit, w);
  core::c1tmptop = tmporig[0] - 1;
  e.optstmt = s;
  if (core::xcwcode(w) == xlinestmt && linelive && linelive() && CALLBACKLINE) {
    CALLBACKLINE();
  } else {
    if (!resultroom(core::iresult + 1)) return 2002;
    ++core::iresult;
    newtemprecord(core::iresult);
    // The dispatch points `xeqstackptr` past its list, which it does not
    // keep on that stack: the statement's own stack top stays.
    const std::int32_t stacktop = core::xeqstackptr;
    const std::uint32_t header = (w & ~0x3Fu) | static_cast<std::uint32_t>(pairs & 0x3F);
    BUISOPTNEW(static_cast<std::int16_t>(header), kind, args,
               static_cast<std::int32_t>(args.size()));
    if (core::xeqstop != core::stops::dll) core::xeqstackptr = stacktop;
  }
  if (core::xeqstop != 0) {
    if (xeqexpr.iseg > 0 && xeqexpr.segidx[sz(xeqexpr.iseg)] >= 2) {
      xeqexpr.seglen[sz(xeqexpr.iseg)] = xeqexpr.segidx[sz(xeqexpr.iseg)];
      core::xeqstop = 0;
    } else {
      e.endstmt = true;
      e.endpasses = true;
      return 0;
    }
  } else if (core::idecmd > 0) {
    e.endstmt = true;
    e.endpasses = true;
    return 0;
  } else if (core::xcwcode(w) == xlinestmt && linelive && linelive()) {
    e.restart = true;
    return 0;
  }
  e.sp = from - 1;
  // A first keyword below the call's arguments is an enclosing call's.
  if (e.firstkw >= e.sp) e.firstkw = -1;
  const std::int32_t res = core::iresult;
  if (!push(e, res)) return 2002;
  if (s == 18 && core::msgkey.trimmed().empty()) e.structcell = res;
  if (!core::msgkey.trimmed().empty()) {
    e.endstmt = true;
    e.endpasses = true;
    return 0;
  }
  if ((w & 0xFB80u) == 0xFB80u) {
    if ((core::name(res).type & 0x48) == 0x48) {
      const std::int32_t t = newtempnumber();
      if (t == 0) return 2002;
      std::int32_t f = 0, l = 0;
      core::TRANSFERR8TO2I4(core::z(res), f, l);
      tmporig[sz(t)] = tmpbeg[sz(t)] = f;
      tmpend[sz(t)] = l;
      tmpsym[sz(t)] = res;
      top(e) = -t;
    } else if (core::z(res) == 0.0 && xeqexpr.iseg > 0) {
      xeqexpr.seglen[sz(xeqexpr.iseg)] = xeqexpr.segidx[sz(xeqexpr.iseg)];
    }
    if (++e.editcalls % 1000 == 0 && PANLIOSTEP) {
      PANLIOSTEP();
      if (core::xeqstop != 0) {
        e.endstmt = true;
        e.endpasses = true;
      }
    }
  }
  ++core::iresult;
  return 0;
}

// A binary operator through XEQ2BIN.
std::int32_t binary(Eval& e, std::uint32_t w) {
  if (e.sp < 2) return 3000;
  // Room first: a growth of `z` moves the cells on the stack.
  const std::int32_t res = core::iresult;
  if (!resultroom(res + 1)) return 2002;
  const std::int32_t b = at(e, e.sp), a = at(e, e.sp - 1);
  newtemprecord(res);
  xeqexpr.idescrsave = xeqexpr.idescr;
  const std::int32_t st = XEQ2BIN(res, a, static_cast<std::int16_t>(core::cwcode(w)), b);
  if (st == 0 || st == -3) {
    core::name(res).type = res <= core::nsym ? 0x80 : numtemptype;
    e.sp -= 2;
    push(e, res);
    ++core::iresult;
    if (const int fp = core::FPUERROR(-1); fp != 0) return 3300 + fp;
    return 0;
  }
  if (st == 1) return 0;
  if (st == -1 || st == -2) {
    // The element is skipped: the current segment level ends with it.
    if (xeqexpr.iseg > 0) {
      e.missing = true;
      xeqexpr.seglen[sz(xeqexpr.iseg)] = xeqexpr.segidx[sz(xeqexpr.iseg)];
    }
    e.sp -= 2;
    return push(e, omitted) ? 0 : 2002;
  }
  if (st >= 2 && st <= 100) {
    const std::int32_t t = xeqexpr.idescr;
    if (t < 1 || t > maxtemps) return 2002;
    tmpsym[sz(t)] = res;
    core::TRANSFER2I4TOR8(tmpbeg[sz(t)], tmpend[sz(t)], core::z(res));
    core::name(res).type = strtemptype;
    e.sp -= 2;
    push(e, -t);
    ++core::iresult;
    return 0;
  }
  return st;
}

std::int32_t unary(Eval& e, std::uint32_t w) {
  if (e.sp < 1) return 3000;
  const std::int32_t res = core::iresult;
  if (!resultroom(res + 1)) return 2002;
  std::int32_t a = top(e);
  if (a == omitted) a = 0;
  newtemprecord(res);
  const std::uint32_t code = core::cwcode(w);
  if (code == xop::trim && a < 0 && -a <= xeqexpr.nlinked) {
    // A linked descriptor keeps its bounds: TRIM works on a copy of them.
    const std::int32_t t = newtempnumber();
    if (t == 0) return 2002;
    tmporig[sz(t)] = tmporig[sz(-a)];
    tmpbeg[sz(t)] = tmpbeg[sz(-a)];
    tmpend[sz(t)] = tmpend[sz(-a)];
    descrback[sz(t)] = descrback[sz(-a)];
    tmpsym[sz(t)] = tmpsym[sz(-a)];
    a = -t;
    top(e) = a;
  }
  if (code == xop::trim && a >= 0) {
    // TRIM of a number leaves it as it is.
    core::z(res) = numvalue(a);
    top(e) = res;
    ++core::iresult;
    return 0;
  }
  if (code == xop::sum && e.isbase[sz(e.sp)] == 1) {
    // A whole array where the statement was made for a number (a formal
    // bound to an array): its sum, as the word path gives it.
    const std::int32_t d = e.basedescrs[sz(e.sp)];
    if (d < 1 || d > maxtemps || descrkind[sz(d)] != DescrKind::array) return 3044;
    const std::int64_t n = static_cast<std::int64_t>(tmpbeg[sz(d)]) * tmpend[sz(d)];
    double acc = 0.0;
    for (std::int64_t i = 0; i < n; ++i) {
      const std::int64_t c = tmporig[sz(d)] + i;
      if (c > 0 && c <= core::z.size()) acc += core::z(static_cast<std::int32_t>(c));
    }
    core::z(res) = acc;
    top(e) = res;
    e.isbase[sz(e.sp)] = 0;
    ++core::iresult;
    if (const int fp = core::FPUERROR(-1); fp != 0) return 3300 + fp;
    return 0;
  }
  const std::int32_t st = XEQ2UNA(res, a, static_cast<std::int16_t>(code));
  if (st == -2) {
    ++core::iresult;
    return 0;
  }
  top(e) = res;
  e.isbase[sz(e.sp)] = 0;
  ++core::iresult;
  if (const int fp = core::FPUERROR(-1); fp != 0) return 3300 + fp;
  return 0;
}

std::int32_t negate(Eval& e) {
  if (e.sp < 1) return 3000;
  const std::int32_t a = top(e);
  if (a > core::nsym && validcell(a) && a < core::nztop && e.isbase[sz(e.sp)] != 1) {
    core::z(a) = -core::z(a);
    return 0;
  }
  const std::int32_t c = newcell(-numvalue(a));
  if (c == 0) return 2002;
  top(e) = c;
  e.isbase[sz(e.sp)] = 0;
  return 0;
}

std::int32_t varkommas(Eval& e, std::uint32_t w) {
  if (!VARKOMMAS) {
    core::msgkey.set(xeqkeys::notyetbuilt);
    return xeqkeyed;
  }
  std::int32_t topi = e.sp;
  const std::int32_t res = core::iresult;
  if (!resultroom(res + 1)) return 2002;
  newtemprecord(res);
  std::span<std::int32_t> stack = e.values.subspan(sz(e.n), sz(e.sp));
  if ((w & 0xE7C0u) == 0xE080u || (w & 0xE7C0u) == 0xE1C0u) {
    // INDEX and INIT take an array whole: it gives no count to the fold
    // around them (SUM(INDEX(V, 3) + X) runs over X).
    const std::int32_t L = xeqexpr.iseg;
    SegLevel& s = seglevels[sz(L)];
    const auto commas = static_cast<std::int32_t>(w & 0x1Fu);
    for (std::int32_t i = std::max(e.sp - commas, 1); L > 0 && i <= e.sp; ++i)
      if (e.isbase[sz(i)] == 3 && s.counted && s.countedby == e.basedescrs[sz(i)] &&
          xeqexpr.segidx[sz(L)] == 1)
        s.counted = false;
  }
  if ((w & 0xE7C0u) == 0xE080u && e.sp > static_cast<std::int32_t>(w & 0x1Fu)) {
    // INDEX searches the array an element stands for: an array's base is
    // handed over as its first element (the base may be the last element of
    // the array before it).
    const std::int32_t i = e.sp - static_cast<std::int32_t>(w & 0x1Fu);
    if (e.isbase[sz(i)] == 1 && at(e, i) > 0) stack[sz(i - 1)] = at(e, i) + 1;
  }
  if ((w & 0xE7C0u) == 0xE1C0u) {
    // INIT assigns its variables: a whole array stands for itself, not for
    // the element of the pass.
    const auto commas = static_cast<std::int32_t>(w & 0x1Fu);
    for (std::int32_t i = std::max(e.sp - commas + 1, 1); i <= e.sp; ++i)
      stack[sz(i - 1)] = wholearray(e, i);
  }
  const std::int32_t r = VARKOMMAS(res, stack, topi, static_cast<std::int16_t>(w));
  if (r < 0) return -r;
  e.sp = std::clamp(topi, 0, e.sp);
  if (r > 0) {
    if (!push(e, -r)) return 2002;
  } else {
    if (!push(e, res)) return 2002;
  }
  ++core::iresult;
  return 0;
}

// Gives back the temporaries and texts that the elements of level s made
// (its accumulator, made when it opened, stays; a text accumulator keeps
// what the elements joined to it).
void freeelement(const SegLevel& s) {
  xeqexpr.ndescr = std::min(xeqexpr.ndescr, s.ndescrstart);
  std::int32_t top = s.tmptopstart;
  if (s.acc < 0 && -s.acc <= maxtemps) top = std::max(top, tmpend[sz(-s.acc)] + 1);
  tmporig[0] = std::min(tmporig[0], top);
}

// Closes the current segment level at marker 5012: folds the element
// into the accumulator and goes back for the next element, or pushes the
// accumulator when the level is done.
std::int32_t segclose(Eval& e, std::int32_t p) {
  const std::int32_t L = xeqexpr.iseg;
  if (L < 1) return 0;
  SegLevel& s = seglevels[sz(L)];
  std::int32_t el = omitted;
  if (e.sp > s.stackpos) pop(e, el);
  const std::int32_t idx = xeqexpr.segidx[sz(L)];
  auto fn = static_cast<std::uint32_t>(core::cwcode(s.fn));
  if (fn == xop::sum) fn = xop::plus;  // SUM adds the elements
  if (!e.missing && el != omitted && el != 0) {
    if (el < 0 && (-el > maxtemps || descrkind[sz(-el)] != DescrKind::string)) return 3044;
    if (el > 0 && !validcell(el)) return 3044;
    if (idx == 1) {
      if (s.acc < 0) {
        // The first text replaces the accumulator's blank.
        const auto first = static_cast<std::int16_t>(xop::cat + 0x40);
        const std::int32_t st = XEQ2BIN(0, s.acc, first, el);
        if (st != 2 && st != 0) return st;
      } else {
        core::z(s.acc) = numvalue(el);
      }
    } else if ((fn & 0x20u) != 0 || iscatcode(fn)) {
      xeqexpr.maxlocpos = static_cast<std::int32_t>(0x80000001u);
      const std::int32_t st = XEQ2BIN(0, s.acc, static_cast<std::int16_t>(fn), el);
      if (st != 0 && st != 2 && st != -3) return st;
    } else {
      const std::int32_t st = XEQ2UNA(s.acc, el, static_cast<std::int16_t>(fn));
      if (st != 0 && st != -2) return st;
    }
    // The element MAXLOC and MINLOC found: the first, or one that the
    // operator took here (folds inside the element note their own).
    if (idx == 1 || xeqexpr.maxlocpos == idx) s.found = idx;
  }
  e.missing = false;
  // A numeric fold that no array, range or list of its own gave a count
  // folds the one value its argument has (MAXLOC(2 - MIN(V)), SUM(MAX(V))).
  if (idx < xeqexpr.seglen[sz(L)] && (s.counted || s.acc < 0)) {
    xeqexpr.segidx[sz(L)] = idx + 1;
    if (core::nsym >= 6 && L <= 2) core::z(4 + L) = idx + 1;
    e.sp = s.stackpos;
    e.jump = s.wordpos;
    // The cells, temporaries and texts of the element just folded are free
    // again: a fold over any number of elements needs the room of one.
    core::iresult = s.iresultstart;
    freeelement(s);
    return 0;
  }
  freeelement(s);
  if (fn == xop::maxloc || fn == xop::minloc) core::z(s.acc) = std::max(s.found, 1);
  if (core::nsym >= 6) {
    if (L == 1) core::z(5) = 1.0;
    if (L == 2) core::z(6) = 1.0;
  }
  e.sp = s.stackpos;
  xeqexpr.iseg = L - 1;
  (void)p;
  return push(e, s.acc) ? 0 : 2002;
}

std::int32_t oneword(Eval& e, std::int32_t p) {
  const std::uint32_t w = word(e, p);
  const std::int32_t v = val(e, p);
  if (w >= 1 && w <= 6) {
    xeqexpr.usedcells |= 1 << (w - 1);
    if (w <= 4) tmporig[0] = e.tmpbase;
    return push(e, v) ? 0 : 2002;
  }
  if (isplainoperand(w)) {
    // A numeric placeholder of the range words (-1 to -16) only tells which
    // bounds were written; the bounds themselves stand below it.
    const bool placeholder = (w & 0x7FFu) == 0x80u && v < 0;
    if (!push(e, v)) return 2002;
    if (placeholder) e.isbase[sz(e.sp)] = 2;
    return 0;
  }
  if (w == 0x100u) {
    ++xeqexpr.idescr;
    return push(e, v) ? 0 : 2002;
  }
  if (w >= 5000u && w <= 5019u) {
    if (w == 5012u) return segclose(e, p);
    return marker(e, p);
  }
  if (w == 0x8000u) {
    e.endstmt = true;
    return 0;
  }
  if (w == 0x8881u) return tablewrite(e);
  if (w == 0x8981u) return tableexchange(e);
  if (w == 0xC880u) return negate(e);
  if (w == 0xF000u) {
    core::nomsg = v;
    return 0;
  }
  if (w == 0xF140u) {
    if (e.sp >= 1 && numvalue(top(e)) == 0.0) {
      e.falsecond = true;
      e.endstmt = true;
      e.endpasses = true;
    } else if (e.gate == 1 && p == e.gateif && e.sp >= 1) {
      // True: the statement's blocks now, the condition kept aside.
      e.gatecond = top(e);
      e.gatecondbase = e.isbase[sz(e.sp)];
      e.gatecondbasedescr = e.basedescrs[sz(e.sp)];
      --e.sp;
      e.gate = 2;
      e.jump = e.gateat + 1;
    }
    return 0;
  }
  if (w == cwu(xf::ifgate)) {
    // The condition first: the main words up to its IF (they begin after
    // the last block).
    const std::int32_t q = p + v;
    if (v <= 0 || q > e.n || word(e, q) != 0xF140u) return 0;
    std::int32_t main = p + 1;
    for (std::int32_t i = p + 1; i < q; ++i)
      if (xf::isblockend(static_cast<std::int16_t>(word(e, i)))) main = i + 1;
    e.gateat = p;
    e.gatemain = main;
    e.gateif = q;
    e.gate = 1;
    e.jump = main;
    return 0;
  }
  if (w == 0xF340u) return 0;
  if (w == 0xF34Cu || w == 0xF360u) return substring(e, p);
  if (w == 0xF350u) return onechar(e, p);
  if (core::xcwcode(w) == cwu(xf::rangedup)) {
    const std::int32_t d = core::cwcount(w);
    if (e.sp - d < 1) return 3000;
    const std::int32_t i = e.sp - d;
    const std::int32_t entry = at(e, i);
    const std::uint8_t flag = e.isbase[sz(i)];
    const std::int32_t descr = e.basedescrs[sz(i)];
    if (!push(e, 0)) return 2002;
    for (std::int32_t j = e.sp; j > i + 1; --j) {
      at(e, j) = at(e, j - 1);
      e.isbase[sz(j)] = e.isbase[sz(j - 1)];
      e.basedescrs[sz(j)] = e.basedescrs[sz(j - 1)];
    }
    at(e, i + 1) = entry;
    e.isbase[sz(i + 1)] = flag;
    e.basedescrs[sz(i + 1)] = descr;
    return 0;
  }
  const std::uint32_t f = core::xcwcode(w);
  if (f == cwu(xf::blockif) || f == cwu(xf::elseword) || f == cwu(xf::elseifword) ||
      f == cwu(xf::endifword)) {
    std::int32_t target = 0;
    if (f != cwu(xf::endifword) && p < e.n) {
      target = static_cast<std::int16_t>(e.words[sz(p)]);
      e.jump = p + 2;
    }
    return blockword(e, w, target);
  }
  if (core::isxoptmarker(w)) {
    if (e.firstkw < 0) e.firstkw = e.sp;
    // An option without a value is its marker written twice: a marker is
    // that filler when an odd run of the same marker stands before it.
    std::int32_t run = 0;
    while (p - 1 - run >= e.first && word(e, p - 1 - run) == w) ++run;
    const bool repeat = run % 2 == 1;
    return push(e, repeat ? omitted : core::xoptmarkerentry(w)) ? 0 : 2002;
  }
  if (core::isxoptstmt(w)) return optionstatement(e, p);
  if (xf::isblockend(static_cast<std::int16_t>(w))) {
    // The list named by the word's descriptor takes the values on top.
    if (v < 1 || v > maxtemps) return 3020;
    const std::int32_t size = tmpend[sz(v)];
    const std::int32_t m = std::min(size, e.sp);
    for (std::int32_t i = 0; i < m; ++i) {
      const std::int32_t entry = at(e, e.sp - m + 1 + i);
      const std::int32_t cell = tmporig[sz(v)] + i;
      if (validcell(cell)) core::z(cell) = numvalue(entry);
    }
    e.sp -= m;
    if (m < size) {
      // The arguments after a built-in's first one (which stays in the
      // main words): the reference takes them whole, and, like the first
      // one, they are computed anew for every element of the statement.
      tmpend[sz(v)] = std::max(m, 1);
      e.prefixeach = true;
    }
    // So is a list that read the element's number ($, $R, $C).
    if ((xeqexpr.usedcells & 0xD) != 0) e.prefixeach = true;
    if (!e.prefixeach) e.passstart = p + 1;
    return 0;
  }
  if (xf::ismovedargs(static_cast<std::int16_t>(w))) {
    if (v < 1 || v > maxtemps) return 3020;
    const std::int32_t el = xeqexpr.iseg > 0 ? xeqexpr.segidx[sz(xeqexpr.iseg)] : e.pass;
    const std::int32_t size = std::max(tmpend[sz(v)], 1);
    return push(e, tmporig[sz(v)] + std::clamp(el, 1, size) - 1) ? 0 : 2002;
  }
  if ((w & 0x8020u) == 0x8020u) return binary(e, w);
  if ((w & 0x6800u) == 0x6800u) return unary(e, w);
  if (core::isstmtword(w)) return varkommas(e, w);
  if (f == cwu(xf::assign) || f == cwu(xf::exchange)) return assign(e, p);
  return 0;
}

// The statement being evaluated, for the repair after a growth of `z`.
Eval* current = nullptr;

void cellsmoved(std::int32_t oldtop, std::int32_t oldnz, std::int32_t g) {
  auto moved = [&](std::int32_t c) { return c >= oldtop && c <= oldnz; };
  for (std::int32_t k = 1; k <= maxtemps; ++k) {
    const DescrKind d = descrkind[sz(k)];
    if ((d == DescrKind::array || d == DescrKind::list) && moved(tmporig[sz(k)]))
      tmporig[sz(k)] += g;
  }
  if (current == nullptr) return;
  Eval& e = *current;
  for (std::int32_t i = 1; i <= e.sp; ++i) {
    std::int32_t& c = at(e, i);
    // An array base stands one cell before the array's first element.
    const std::int32_t cell = e.isbase[sz(i)] == 1 ? c + 1 : c;
    if (c > 0 && c != omitted && e.isbase[sz(i)] != 2 && moved(cell)) c += g;
  }
  if (moved(e.firstwritten)) e.firstwritten += g;
}

// Error statuses: fills the position words and the key unless `nomsg`.
std::int32_t failure(const Eval& e, std::int32_t code, std::int32_t p) {
  if (code == xeqkeyed || code == 0) return code;
  if (core::nomsg != 0) return code;
  xeqfailword = p >= 1 && p <= e.n ? static_cast<float>(word(e, p)) : 0.0F;
  xeqfailpos = static_cast<float>(p);
  if (code > 3300 && code < 3400) {
    core::msgkey.set(xeqerrorkey(3300));
    detailwords[0] = static_cast<std::int16_t>(code - 3300);
    return 3300;
  }
  const std::string_view key = xeqerrorkey(code);
  if (!key.empty()) core::msgkey.set(key);
  core::iostatw[0] = static_cast<std::int16_t>(code);
  return code;
}

// The value on top copied into the statement's result cell.
void finalresult(Eval& e) {
  const std::int32_t rc = e.resultcell;
  if (!validcell(rc) || !core::name.valid(rc)) return;
  if (e.falsecond) {
    core::z(rc) = falsevalue;
    return;
  }
  if (e.condition) return;
  if (e.sp < 1) return;
  const std::int32_t t = top(e);
  if (t < 0 && -t <= maxtemps) {
    core::TRANSFER2I4TOR8(tmpbeg[sz(-t)], tmpend[sz(-t)], core::z(rc));
    core::name(rc).type = strtemptype;
  } else if (t == 0 || t == omitted) {
    core::z(rc) = 0.0;
  } else if (validcell(t) && t != rc) {
    core::z(rc) = core::z(t);
    if ((core::name.valid(t) && (core::name(t).type & 0x48) == 0x48))
      core::name(rc).type = strtemptype;
  }
}

}  // namespace

}  // namespace evaldetail

std::int32_t XEQ3(std::span<std::int16_t> words, std::int32_t& nwords,
                  std::span<std::int32_t> values, std::int32_t& capacity, std::int32_t& split) {
  using namespace evaldetail;
  const EvalSlot slot;
  Eval& e = slot.e;
  e.words = words;
  e.values = values;
  e.n = std::min<std::int32_t>(nwords, static_cast<std::int32_t>(words.size()));
  e.cap = std::min<std::int32_t>(capacity, static_cast<std::int32_t>(values.size()));
  e.hdr = split;
  core::xeqstop = 0;
  const std::int32_t iresult0 = core::iresult;
  core::msgkey.blank();
  tmporig[0] = core::c1tmptop + 1;
  xeqexpr.tmplen = 0;
  xeqexpr.ielem = 1;
  xeqexpr.iseg = 0;
  xeqexpr.usedcells = 0;
  xeqexpr.idescr = 0;
  e.resultcell = xeqexpr.tmpcell0 > 0 ? xeqexpr.tmpcell0 : iresult0 + 1;
  resultroom(e.resultcell + 1);
  e.first = xeqexpr.ndescr + 2;
  e.passstart = e.first;
  for (std::int32_t p = e.first; p <= e.n; ++p) {
    const std::uint32_t f = core::xcwcode(word(e, p));
    if (f == cwu(xf::assign) || f == cwu(xf::exchange)) e.hasassign = true;
  }
  if (core::nsym >= 6) core::z(3) = core::z(4) = core::z(5) = core::z(6) = 1.0;
  Eval* const outer = current;
  current = &e;
  zmoved = cellsmoved;
  auto finish = [&](std::int32_t status) {
    if (core::xeqstop != core::stops::dll) core::iresult = iresult0;
    current = outer;
    return status;
  };
  std::int32_t st = setupdescriptors(e);
  if (st != 0) return finish(failure(e, st, 1));
  e.nlinked = xeqexpr.ndescr;
  xeqexpr.nlinked = e.nlinked;
  e.iresultpass = std::max(core::iresult, e.resultcell + 1);
  e.tmpbase = tmporig[0];
  for (e.pass = 1;; ++e.pass) {
    core::iresult = e.iresultpass;
    e.sp = 0;
    e.firstkw = -1;
    xeqexpr.ndescr = e.nlinked;
    xeqexpr.ielem = e.pass;
    xeqexpr.iseg = 0;
    xeqexpr.segidx[0] = e.pass;
    xeqexpr.usedcells = 0;
    xeqexpr.idescr = 0;
    xeqexpr.idescrsave = 0;
    tmporig[0] = e.tmpbase;
    e.rangeflag = false;
    e.endstmt = false;
    passcells(e);
    e.gate = 0;
    for (std::int32_t p = e.passstart; p <= e.n && !e.endstmt;) {
      if (e.gate == 2 && p == e.gatemain) {
        // The statement's blocks are done: on after the IF, its condition
        // where the IF left it.
        e.gate = 0;
        if (!push(e, e.gatecond)) return finish(failure(e, 2002, p));
        e.isbase[sz(e.sp)] = e.gatecondbase;
        e.basedescrs[sz(e.sp)] = e.gatecondbasedescr;
        p = e.gateif + 1;
        continue;
      }
      e.jump = 0;
      st = oneword(e, p);
      if (st != 0) {
        if (st == xeqfalseblock) {
          e.falsecond = true;
          if (validcell(e.resultcell)) core::z(e.resultcell) = falsevalue;
          return finish(st);
        }
        return finish(failure(e, st, p));
      }
      if (core::xeqstop == core::stops::grown) return finish(0);
      if (e.restart) break;
      p = e.jump != 0 ? e.jump : p + 1;
    }
    if (e.restart) {
      e.restart = false;
      e.prefixeach = false;
      e.pass = 0;
      e.passstart = e.first;
      continue;
    }
    if (e.endpasses) break;
    const std::int32_t r = e.pass;
    if (r >= xeqexpr.nelem) break;
    if (xeqexpr.nelemall < 2 || (xeqexpr.usedcells & 0x3F) != 0 || r < xeqexpr.nelemall) continue;
    // The source ran out first: what was written repeats up to the target's count.
    if (e.firstwritten > 0) {
      const std::int32_t f = e.firstwritten, m = xeqexpr.nelemall;
      for (std::int32_t i = m; i < xeqexpr.nelem; ++i)
        if (core::z.valid(f + i) && core::z.valid(f + i % m)) core::z(f + i) = core::z(f + i % m);
    }
    break;
  }
  // A built-in that failed or stopped the run reports for itself.
  if (e.optstmt > 0 && !core::msgkey.trimmed().empty()) return finish(xeqkeyed);
  // (A command that came during a built-in cuts its statement short: the
  // executor serves it next, and the value is not assigned.)
  if (e.hasassign && !e.stored && !e.falsecond && core::xeqstop == 0 && core::idecmd <= 0)
    return finish(failure(e, 3028, e.n));
  finalresult(e);
  if (const int fp = core::FPUERROR(-1); fp != 0) return finish(failure(e, 3300 + fp, e.n));
  if (e.optstmt > 0) return finish(xeqoptbase + e.optstmt);
  return finish(0);
}

}  // namespace exec
