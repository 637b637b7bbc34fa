#include "exec/strings.h"

#include <algorithm>
#include <cstring>

#include "core/chars.h"
#include "core/messages.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/heldtexts.h"
#include "exec/operands.h"
#include "exec/operators.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"

namespace exec {

using core::c1namen;

std::string c1text(std::int32_t first, std::int32_t last) {
  std::string s;
  if (first < 1 || last < 0) return s;
  if (last >= first) {
    if (!c1namen.valid(last)) return s;
    s.assign(c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  } else if (last < first - 1) {
    if (!c1namen.valid(first) || last < 1) return s;
    for (std::int32_t p = first; p >= last; --p) s += c1namen(p);
  }
  return s;
}

std::string_view c1read(std::int32_t first, std::int32_t last, std::string& scratch) {
  if (first < 1 || last < 0) return {};
  if (last >= first) {
    if (!c1namen.valid(last)) return {};
    return {c1namen.ptr(first), static_cast<std::size_t>(last - first + 1)};
  }
  scratch = c1text(first, last);
  return scratch;
}

std::int32_t c1length(std::int32_t first, std::int32_t last) {
  const std::int64_t f = first, l = last;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(l >= f - 1 ? l - f + 1 : f - l + 1, 0x7FFFFFFF));
}

namespace {

// Writes a text into `c1namen` from position p on.
void puttext(std::int32_t p, std::string_view text) {
  if (!text.empty()) std::memmove(c1namen.ptr(p), text.data(), text.size());
}

std::string_view trimmed(std::string_view s) {
  return s.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(s)));
}

bool moved(std::int32_t p, std::int32_t lo, std::int32_t hi) { return p >= lo && p <= hi; }

// The text of a number as the concatenation writes it: a 20-character field
// with the default count of digits, up to its last non-blank.
std::string numbertext(double v) {
  char field[20];
  std::int32_t used = 0;
  core::C1WTSID8(std::span<char>(field, 20), v, 0, used);
  return std::string(field, static_cast<std::size_t>(std::clamp(used, 0, 20)));
}

// A number read from a text up to its last non-blank; status non-zero when
// the text is no number.
double readnumber(std::string_view text, std::int32_t& status) {
  const std::string_view t = trimmed(text);
  double v = 0.0;
  std::int32_t pos = 1;
  status = 2;
  if (!t.empty()) core::GETR8N(t, static_cast<std::int32_t>(t.size()), v, pos, status);
  return status == 0 ? v : 0.0;
}

double charcode(std::string_view text, std::int32_t pos) {
  if (text.empty()) return 0.0;
  pos = std::clamp<std::int32_t>(pos, 1, static_cast<std::int32_t>(text.size()));
  return static_cast<unsigned char>(text[static_cast<std::size_t>(pos - 1)]);
}

// One operand of a two-operand operator.
struct Operand {
  bool str = false;
  std::int32_t tmp = 0;  // temporary or descriptor number, 0 none
  std::int32_t first = 0, last = 0;
  std::string_view text;  // the string's text (or a number written as text)
  std::string own;        // the text when it is not read where it stands
  double value = 0.0;
};

// The next free temporary number, 0 when all are used.
std::int32_t newtemp() {
  if (xeqexpr.ndescr >= maxtemps) return 0;
  const std::int32_t t = ++xeqexpr.ndescr;
  descrkind[static_cast<std::size_t>(t)] = DescrKind::string;
  return t;
}

// Result placement of a numeric value (see XEQ2BIN).
std::int32_t place(std::int32_t res, std::int32_t a, double v) {
  if (res > 0) {
    core::z(res) = v;
    return 0;
  }
  if (a > 0 && core::name.valid(a) && (core::name(a).type & 0x1) == 0 && core::z.valid(a)) {
    core::z(a) = v;
    return 0;
  }
  core::z(core::iresult) = v;
  return -3;
}

std::int32_t compare(std::int32_t res, std::int32_t a, const Operand& x, unsigned op,
                     const Operand& y) {
  std::string ta(x.text), tb(y.text);
  if (xeqexpr.iseg > 0 || xeqexpr.nelem != 1) {
    const std::int32_t pos =
        xeqexpr.iseg > 0 ? xeqexpr.segidx[static_cast<std::size_t>(xeqexpr.iseg)] : xeqexpr.ielem;
    auto one = [pos](const std::string& t) {
      if (t.empty()) return std::string();
      const auto i = static_cast<std::size_t>(
          std::clamp<std::int32_t>(pos, 1, static_cast<std::int32_t>(t.size())));
      return std::string(1, t[i - 1]);
    };
    ta = one(ta);
    tb = one(tb);
  }
  double out = 0.0;
  const std::int32_t st = XEQ2COMPARECHAR(out, ta, static_cast<std::int16_t>(op), tb);
  if (st != 0) return st;
  return place(res, a, out);
}

std::int32_t concat(std::int32_t res, Operand& x, unsigned op, Operand& y) {
  const int n = catblanks(op);
  const std::size_t g = n >= 1 ? static_cast<std::size_t>(n - 1) : 0;
  std::int32_t& tmptop = tmporig[0];
  std::string_view a = x.text;
  if (n >= 1) a = a.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(a)));
  const std::int32_t nlinked = xeqexpr.nlinked;
  auto attop = [&](const Operand& o) {
    return o.str && o.tmp > nlinked && o.first > core::c1top && o.last >= o.first &&
           o.last + 1 == tmptop;
  };
  std::int32_t t = 0, start = 0;
  bool keepb = true;
  const std::int32_t acc =
      xeqexpr.iseg > 0 ? seglevels[static_cast<std::size_t>(xeqexpr.iseg)].acc : 0;
  if (res == 0 && acc < 0) {
    // The accumulator of the current segment level takes the join.
    t = -acc;
    start = attop(x) && x.tmp == t ? x.first : tmptop;
  } else if (attop(x)) {
    t = x.tmp;
    start = x.first;
  } else if (attop(y) && y.first > 0) {
    t = y.tmp;
    start = y.first;
  } else {
    t = newtemp();
    if (t == 0) return 2002;
    keepb = false;
    start = tmptop;
    // The room of the temporary made last is given back when it is one of
    // the operands being joined.
    const std::int32_t len = xeqexpr.tmplen;
    if (len > 0 && ((x.str && x.first == tmptop - len) || (y.str && y.first == tmptop - len)))
      start = tmptop - len;
    xeqexpr.tmplen = 0;
  }
  std::string_view b = y.text;
  if (!keepb) b = b.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(b)));
  // The join is made aside (its operands may lie where it goes, and the
  // store may grow), less the left text when that stands in place already.
  const bool inplace = x.str && x.own.empty() && x.first == start && !a.empty();
  thread_local std::string r;
  r.clear();
  if (!inplace) r.assign(a);
  r.append(g, ' ');
  r.append(b);
  const auto len = static_cast<std::int32_t>(a.size() + g + b.size());
  const std::int32_t last = start + len - 1;
  if (!charroom(last)) return xeqkeyed;
  puttext(inplace ? start + static_cast<std::int32_t>(a.size()) : start, r);
  const auto k = static_cast<std::size_t>(t);
  if (t != x.tmp && t != y.tmp && t != -acc) tmporig[k] = start;
  tmpbeg[k] = start;
  tmpend[k] = last;
  descrkind[k] = DescrKind::string;
  tmptop = std::max(tmptop, last + 1);
  if (t == x.tmp || t == y.tmp || t == -acc) tmptop = last + 1;
  xeqexpr.idescr = t;
  return 2;
}

}  // namespace

bool growcharstore(std::int32_t extra) {
  const std::int32_t lo = core::c1limit, hi = core::nc1namen;
  if (!core::REALLOC(5, extra)) return false;
  const std::int32_t delta = core::c1limit - lo;
  if (delta == 0) return true;
  for (std::size_t j = 1; j < descrkind.size(); ++j) {
    if (descrkind[j] != DescrKind::string) continue;
    for (auto* tab : {&tmporig, &tmpbeg, &tmpend})
      if (moved((*tab)[j], lo, hi)) (*tab)[j] += delta;
  }
  const std::int32_t top =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(core::z.last()));
  for (std::int32_t k = core::nsym + 1; k <= top; ++k) {
    const int t = static_cast<std::uint16_t>(core::name(k).type);
    if ((t & 0x40) == 0 || (t & 0x1) != 0) continue;
    std::int32_t f = 0, l = 0;
    core::TRANSFERR8TO2I4(core::z(k), f, l);
    if (moved(f, lo, hi) && moved(l, lo, hi))
      core::TRANSFER2I4TOR8(f + delta, l + delta, core::z(k));
  }
  return true;
}

bool charroom(std::int32_t last) {
  if (last < core::c1limit) return true;
  const std::int32_t shortfall = last - core::c1limit + 1;
  if (growcharstore(std::max(8000, shortfall + shortfall / 4 + 1)) && last < core::c1limit)
    return true;
  core::msgkey.set(core::storelimitkey);
  return false;
}

std::int32_t XEQ2COMPARECHAR(double& result, std::string_view a, std::int16_t rel,
                             std::string_view b) {
  const int r = exprrel(static_cast<std::uint16_t>(rel));
  if (r < 0) return 3504;
  result = relholds(r, core::C1_LT_EQ_GT(a, b)) ? 1.0 : 0.0;
  return 0;
}

std::int32_t XEQBINCHAR(double& result, std::string_view a, std::int16_t rel, std::string_view b) {
  const int r = looprel(static_cast<std::uint16_t>(rel));
  if (r < 0) {
    core::msgkey.set(xeqkeys::notpossible);
    return -1;
  }
  result = relholds(r, core::C1_LT_EQ_GT(a, b)) ? 1.0 : 0.0;
  return 0;
}

std::int32_t XEQBINTEXT(double& result, std::int32_t a, std::int16_t op, std::int32_t b) {
  if (a < 1 || !core::z.valid(a) || !core::z.valid(std::max(b, 0))) {
    core::msgkey.set(xeqkeys::notpossible);
    return -4;
  }
  // A result cell holding a number (its value no text's bounds, as ISCHAR
  // finds them): the numeric operator.
  if (a > core::nsym && b >= 0) {
    std::int32_t half[2];
    std::memcpy(half, core::z.data() + a, sizeof half);
    const std::int32_t n = core::nc1namen;
    if (!(half[0] > 0 && half[0] <= n && half[1] > 0 && half[1] <= n)) {
      if (core::NAMTYP(a, 0x49) != 0) core::c1span = {half[0], half[1]};
      return XEQBINNUM(result, core::z(a), op, core::z(b)) == 0 ? 0 : -3;
    }
  }
  std::int32_t af = 0, al = 0, bf = 0, bl = 0;
  if (core::ISCHAR(a, af, al) == 0) {
    // A number with a temporary text: no operator takes both.
    if (b < 0) {
      core::msgkey.set(xeqkeys::notpossible);
      return -2;
    }
    return XEQBINNUM(result, core::z(a), op, core::z(b)) == 0 ? 0 : -3;
  }
  if (b < 1 || core::ISCHAR(b, bf, bl) == 0) {
    core::msgkey.set(xeqkeys::notpossible);
    return -2;
  }
  return XEQBINCHAR(result, c1text(af, al), op, c1text(bf, bl)) == 0 ? 0 : -1;
}

std::int32_t XEQTIDCAT(std::int32_t res, std::int32_t a, std::int32_t ampersands, std::int32_t b) {
  if (res < 1 || !core::name.valid(res) || !core::z.valid(res)) return -1;
  std::int32_t af = 0, al = 0, bf = 0, bl = 0;
  std::string ta, tb;
  const bool acharv = a >= 1 && core::z.valid(a) && core::ISCHAR(a, af, al) != 0;
  if (acharv) {
    ta = c1text(af, al);
  } else {
    // A number is written as the evaluator's join writes it (no blank after it).
    ta = numbertext(core::z.valid(a) ? core::z(a) : 0.0);
  }
  // A run of n ampersands joins the left text without its trailing blanks,
  // n - 1 blanks between.
  if (ampersands >= 1) {
    ta.resize(static_cast<std::size_t>(core::C1LEN_TRIM(ta)));
    ta.append(static_cast<std::size_t>(ampersands - 1), ' ');
  }
  if (b >= 1 && core::z.valid(b) && core::ISCHAR(b, bf, bl) != 0) {
    tb = c1text(bf, bl);
    // The right text keeps its trailing blanks where the evaluator's join
    // keeps them: beside the text this statement made last (the join so
    // far, a copy, CHAR's text), which that join extends in place.
    const auto madelast = [](std::int32_t f, std::int32_t l) {
      return f > textbase() && l >= f && l == core::c1tmptop;
    };
    if (!(acharv && madelast(af, al)) && !madelast(bf, bl))
      tb.resize(static_cast<std::size_t>(core::C1LEN_TRIM(tb)));
  } else {
    tb = numbertext(core::z.valid(b) ? core::z(b) : 0.0);
  }
  const std::int32_t first = core::c1tmptop + 1;
  const auto last = static_cast<std::int32_t>(first + ta.size() + tb.size() - 1);
  if (last >= core::c1limit) {
    if (acharv && af > core::c1top && af < core::c1limit) {
      int answer = 0;
      core::MSGBOXFROMHELP("msgMulti//", "", answer);
      if (answer != 1) return -1;
    }
    if (!growcharstore(last - core::c1limit + 5000)) return -1;
  }
  core::c1tmptop = last;
  core::TRANSFER2I4TOR8(first, last, core::z(res));
  if (a >= 1 && core::name.valid(a)) core::name(res) = core::name(a);
  core::name(res).type = strtemptype;
  puttext(first, ta);
  puttext(first + static_cast<std::int32_t>(ta.size()), tb);
  return 0;
}

std::int32_t binstring(std::int32_t res, std::int32_t a, unsigned op, std::int32_t b) {
  Operand x, y;
  auto fetch = [](std::int32_t i, Operand& o) {
    if (i < 0) {
      const auto k = static_cast<std::size_t>(-i);
      if (k > static_cast<std::size_t>(maxtemps)) return false;
      o.str = true;
      o.tmp = -i;
      o.first = tmpbeg[k];
      o.last = tmpend[k];
      if (o.first < 1 || o.last < 1) return false;
      o.text = c1read(o.first, o.last, o.own);
    } else {
      o.value = core::z.valid(i) ? core::z(i) : 0.0;
    }
    return true;
  };
  if (!fetch(a, x)) return -1;
  if (!fetch(b, y)) return -2;
  if (iscatcode(op)) {
    if (!x.str) x.text = x.own = numbertext(x.value);
    if (!y.str) y.text = y.own = numbertext(y.value);
    return concat(res, x, op, y);
  }
  bool converted = false;
  if (x.str && y.str) {
    if ((op & 0xB820u) == 0xB820u) return compare(res, a, x, op, y);
    std::int32_t st = 0;
    x.value = readnumber(x.text, st);
    y.value = readnumber(y.text, st);
    converted = true;
  } else if (x.str) {
    x.value = charcode(x.text, xeqexpr.ielem);
    converted = true;
  } else if (y.str) {
    if (xeqexpr.iseg > 0 && xeqexpr.usedcells == 0) {
      y.value = charcode(y.text, xeqexpr.segidx[static_cast<std::size_t>(xeqexpr.iseg)]);
    } else {
      std::int32_t st = 0;
      y.value = readnumber(y.text, st);
      if (st != 0) y.value = charcode(y.text, 1);
    }
    converted = true;
  }
  double out = 0.0;
  const std::int32_t st = binnumeric(op, x.value, y.value, converted, out);
  if (st != 0) return st;
  return place(res, a, out);
}

std::int32_t unastring(std::int32_t res, std::int32_t a, unsigned op) {
  if (-a > maxtemps) {
    core::z(res) = unanumeric(op, 0.0);
    return 0;
  }
  const auto k = static_cast<std::size_t>(-a);
  const std::int32_t first = tmpbeg[k], last = tmpend[k];
  std::string own;
  const std::string_view text = c1read(first, last, own);
  double& cell = core::z(res);
  switch (op) {
    case xop::ichar: {
      std::int32_t pos = 1;
      if (xeqexpr.iseg > 0)
        pos = xeqexpr.segidx[static_cast<std::size_t>(xeqexpr.iseg)];
      else if (xeqexpr.opflags == 0)
        pos = xeqexpr.ielem;
      cell = charcode(text, pos);
      xeqexpr.idescr = xeqexpr.idescrsave;
      return 0;
    }
    case xop::len:
      cell = c1length(first, last);
      xeqexpr.idescr = xeqexpr.idescrsave;
      return 0;
    case xop::lentrim:
      cell = core::C1LEN_TRIM(text);
      if (res > core::nsym) core::name(res).type = numtemptype;
      xeqexpr.idescr = xeqexpr.idescrsave;
      return 0;
    case xop::trim: {
      const std::int32_t kept = std::max(core::C1LEN_TRIM(text), 1);
      if (last >= first)
        tmpend[k] = first + kept - 1;
      else
        tmpend[k] = first;
      // Over a text the fold runs over the trimmed characters; a count
      // that an array or a range gave stays.
      const auto L = static_cast<std::size_t>(xeqexpr.iseg);
      if (L == 0 || !seglevels[L].counted) xeqexpr.seglen[L] = std::min(xeqexpr.seglen[L], kept);
      core::TRANSFER2I4TOR8(first, tmpend[k], cell);
      core::name(res).type = strtemptype;
      return -2;
    }
    default:
      break;
  }
  std::int32_t st = 0;
  cell = readnumber(text, st);
  cell = unanumeric(op, cell);
  return 0;
}

}  // namespace exec
