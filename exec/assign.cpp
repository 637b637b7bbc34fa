#include "exec/assign.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/codewords.h"
#include "core/messages.h"
#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/builtins.h"
#include "exec/control.h"
#include "exec/operands.h"
#include "exec/optdispatch.h"
#include "exec/postfix.h"
#include "exec/strings.h"
#include "exec/tablecalls.h"
#include "exec/tablecells.h"
#include "exec/tempstrings.h"
#include "exec/varkommas.h"
#include "exec/wholefolds.h"
#include "exec/wordpath.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"

namespace exec {

namespace {

using core::cwu;
using namespace wordpath;

bool push(std::int32_t e) {
  const std::int32_t p = core::xeqstackptr + 1;
  if (p < 1 || p > core::adrs.size()) return false;
  core::adrs.data()[p - 1] = e;
  core::xeqstackptr = p;
  return true;
}

std::pair<std::int32_t, std::int32_t> shape(std::int32_t s) {
  std::int32_t rows = 0, cols = 0;
  core::TRANSFERR8TO2I4(core::z(s), rows, cols);
  return {rows, cols};
}

// Shows an error that stops the run at once, with the statement number and
// a detail text.
void showerror(std::string_view key, const std::string& detail) {
  if (core::nomsg != 0) return;
  std::array<std::int16_t, 4> halves{static_cast<std::int16_t>(core::xeqline), 0, 0, 0};
  std::array<char, 256> text{};
  text.fill(' ');
  std::copy_n(detail.begin(), std::min<std::size_t>(detail.size(), text.size()), text.begin());
  core::HelpValues hv;
  hv.halves = halves;
  hv.text = text;
  int answer = 0;
  core::HELP(key, answer, hv);
}

WordResult valueproduced(std::int32_t consumed) {
  takeresult(consumed);
  return core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
}

bool isoptstmt(unsigned u) {
  const unsigned s = core::cwcode(u);
  return s >= cwu(core::optstmtcode(0)) && s <= cwu(core::optstmtcode(core::noptstmts - 1));
}

// The statement mentions the symbol `$` (symbol 1).
bool mentionsdollar() {
  for (std::int32_t p = stmtstart; p < stmtend; ++p) {
    const std::int16_t w = codeword(p);
    if (w == 1) return true;
    if (w == core::xform::end) break;
  }
  return false;
}

WordResult optionmarker(std::int16_t w) {
  if (resumecode != 0 && w == resumemarker) {
    if (CALLBACKLINE) CALLBACKLINE();
    if (resumecode != 0) return WordResult::rerun;
    core::xeqstackptr = core::xeqstackbase;
    core::xeqmode = savedmode;
    return WordResult::endstmt;
  }
  if ((core::xeqmode & core::runmode::callback) != 0) {
    for (std::int32_t p = wordpos + 1; p < stmtend; ++p) {
      const unsigned u = cwu(codeword(p));
      if (u == cwu(core::xform::end)) break;
      if (!isoptstmt(u)) continue;
      if (core::cwcode(u) == cwu(core::builtincode("SOLVE"))) {
        // SOLVE cannot run inside a callback.
        core::xeqstop = stops::returned;
        return WordResult::looptest;
      }
      break;
    }
  }
  if (!push(w)) return fail(xeqkeys::xeqstack);
  return WordResult::next;
}

// The statement has read `$` before the current word.
bool dollarread() {
  for (std::int32_t p = stmtstart; p < wordpos; ++p)
    if (codeword(p) == 1) return true;
  return false;
}

// The statements (their frame's base and start) whose target is an
// element subscripted by `$`: such a target takes the statement's passes
// over whole arrays, any other target but a whole array only the first.
struct DollarTarget {
  std::int32_t base = 0;
  std::int32_t stmt = 0;
  std::int64_t count = 0;  // the elements of the target's array
};
std::vector<DollarTarget> dollartargets;

// The element at the bottom of the statement's stack (its target) was
// found: notes whether its subscripts read `$`.
// The elements of the range that the target's subscript just named (0:
// none): the statement runs a pass for each.
std::int64_t targetrange = 0;

void targetfound(std::int64_t count) {
  std::erase_if(dollartargets, [](const DollarTarget& d) {
    return d.base > core::xeqstackbase || (d.base == core::xeqstackbase && d.stmt == stmtstart);
  });
  if (targetrange > 0)
    dollartargets.push_back({core::xeqstackbase, stmtstart, targetrange});
  else if (dollarread())
    dollartargets.push_back({core::xeqstackbase, stmtstart, count});
  targetrange = 0;
}

// A store into a target that is no whole array: the passes of a run over
// whole arrays end with the first, unless the target is an element that
// `$` subscripts. Such a statement runs a pass for each element of the
// target's array, whole arrays on its right or not (a subscript that
// leaves the array ends the passes), or the statement is guarded by a
// logical IF whose condition runs over whole arrays.
void singlepass(bool element) {
  if (condpassstmt != 0 && condpassstmt == stmtstart && condpassbase == core::xeqstackbase) {
    // (The condition of the statement's logical IF decides the passes.)
    rerunflag = true;
    return;
  }
  if (element)
    for (const DollarTarget& d : dollartargets)
      if (d.base == core::xeqstackbase && d.stmt == stmtstart) {
        if (nearest(core::z(1)) < d.count) rerunflag = true;
        return;
      }
  rerunflag = false;
}

bool isassignword(unsigned u);

// The statement holds an assignment word after the current word.
bool laterassignment() {
  for (std::int32_t p = wordpos + 1; p < stmtend; ++p) {
    const unsigned u = cwu(codeword(p));
    if (u == cwu(core::xform::end)) break;
    if (isassignword(u)) return true;
  }
  return false;
}

// Word w fails with the evaluator's run error `code`: the word and its
// place are noted for the message and the status word, as the evaluator
// notes them.
WordResult evaluatorfail(std::int16_t w, std::int32_t code) {
  if (core::nomsg == 0) {
    xeqfailword = static_cast<float>(w);
    xeqfailpos = static_cast<float>(wordpos);
    core::iostatw[0] = static_cast<std::int16_t>(code);
  }
  return fail(xeqerrorkey(code));
}

// An assignment whose passes ended before it stored anything.
WordResult nothingstored(std::int16_t w) { return evaluatorfail(w, 3028); }

// A one-character selection of string s at index k (a start outside the
// text gives the outside position).
void selection(std::int32_t s, std::int32_t start, std::int32_t end) {
  const std::int32_t c = core::iresult;
  core::name(c) = core::name(s);
  core::name(c).type = static_cast<std::int16_t>(core::name(c).type | 0x08);
  core::SETI4EQUZ(1, c, start);
  core::SETI4EQUZ(2, c, end);
}

WordResult character(std::int16_t w, std::int32_t s, std::int32_t first, std::int32_t last,
                     std::int64_t i, std::int32_t consumed);

WordResult element(std::int16_t w) {
  const unsigned u = cwu(w);
  // A formal that its routine does not declare is written as an array, its
  // bracket closed by a subscript word: bound to a text and cut into a
  // piece (S(2 : 3)), the piece that the ":" took is the operand.
  if (std::int32_t f = 0, l = 0; wordpos > stmtstart && cwu(codeword(wordpos - 1)) == 0x9420u &&
                                 (u & 0x1Fu) == 0 && depth() >= 1 && textbounds(entry(0), f, l))
    return WordResult::next;
  std::int32_t k = static_cast<std::int32_t>(u & 0x1Fu) + 1;
  if (core::nomsg > 0) --k;
  if (k < 0 || depth() < k + 1) return fail(xeqkeys::stackunderflow);
  const std::int32_t a = entry(k);
  if (!issym(a) || !core::z.valid(a)) return fail(xeqkeys::notpossible);
  std::array<std::int64_t, 2> idx{0, 0};
  for (std::int32_t i = 0; i < std::min(k, 2); ++i)
    idx[static_cast<std::size_t>(i)] = index(value(entry(k - 1 - i)));
  std::int32_t first = 0, last = 0;
  if (core::ISCHAR(a, first, last) != 0 && (typeof_(a) & 0x10) == 0) {
    if (k == 2) {
      // Two indices of a character symbol address a cell of a file viewed
      // as a table.
      return tableelementword(a, idx[0], idx[1], k + 1);
    }
    // One index of a string: that character.
    if (k == 1) return character(w, a, first, last, idx[0], k + 1);
    selection(a, outsidetext, outsidetext);
    return valueproduced(k + 1);
  }
  const auto [rows, cols] = shape(a);
  elemrows = rows;
  elemcols = cols;
  stmtflags |= 2;
  // In range as the evaluator has it: a single index among all elements,
  // two indices each within its own dimension (its column first).
  const std::int64_t size = static_cast<std::int64_t>(std::max(rows, 0)) * std::max(cols, 0);
  std::string_view what;
  std::int32_t bad = noindex;
  const auto outside = [&](std::string_view which, std::int64_t i) {
    what = which;
    bad = static_cast<std::int32_t>(std::clamp<std::int64_t>(i, -noindex, noindex - 1));
  };
  if (size < 1) {
    what = idxalias;
  } else if (k == 1 && (idx[0] < 1 || idx[0] > size)) {
    outside(idxcolumn, idx[0]);
  } else if (k >= 2 && (idx[1] < 1 || idx[1] > cols)) {
    outside(idxcolumn, idx[1]);
  } else if (k >= 2 && (idx[0] < 1 || idx[0] > rows)) {
    outside(idxrow, idx[0]);
  }
  if (what.empty()) {
    std::int64_t offset = 0;
    if (k == 1) offset = idx[0] - 1;
    if (k >= 2) offset = static_cast<std::int64_t>(cols) * (idx[0] - 1) + idx[1] - 1;
    const std::int32_t adr = core::name(a).adr;
    if (adr == 0) return fail(xeqkeys::arraydim0, a);
    elementinrange = true;
    core::xeqstackptr -= k;
    entry(0) = adr + static_cast<std::int32_t>(offset);
    if (depth() == 1) targetfound(size);
    return WordResult::next;
  }
  if (bad != noindex && bad > 0 && mentionsdollar()) {
    // A statement that runs over `$` ends its passes at the array's end;
    // an assignment that ends so before its first store fails.
    if (nearest(core::z(1)) <= 1 && laterassignment()) return nothingstored(w);
    rerunflag = false;
    core::xeqstackptr = core::xeqstackbase;
    return WordResult::endstmt;
  }
  if (bad != noindex && bad <= 0 && what == idxcolumn && depth() > k + 1 && dollarread()) {
    // An element before the array's start, read after `$` was: 0.
    core::z(core::iresult) = 0.0;
    return valueproduced(k + 1);
  }
  // (An assignment to a whole array reads no element outside as 0: it
  // fails as the evaluator does.)
  // The evaluator's index error, with its text (an array never declared
  // shows as such).
  constexpr std::int32_t code = 3006;
  idxerrorof(code, a, what, bad);
  return evaluatorfail(w, code);
}

// An omitted bound of a piece (the word 0 before or after its ":"): a stack
// entry that names no cell, which substring() reads as the text's first or
// last position.
constexpr std::int32_t omittedbound = 0x7FFFFFFF;

WordResult nobound() {
  if (!push(omittedbound)) return fail(xeqkeys::xeqstack);
  return WordResult::next;
}

// The pieces read backwards of the statement in hand: the result cell
// holding each copy and the position of the text it was read from first,
// so that an assignment to the copy writes the text there instead,
// backwards.
struct BackPiece {
  std::int32_t cell = 0;
  double bounds = 0.0;  // the cell's value when made
  std::int32_t from = 0;
};
std::vector<BackPiece> backpieces;
std::int32_t backpiecestmt = 0;

// A text of n characters made in the temporary area for a piece of text
// s, a constant (no place of s), held by the result cell; fill writes its
// characters. False when the store has no room.
template <typename Fill>
bool piececopy(std::int32_t s, std::int32_t n, Fill fill) {
  const std::int32_t p = core::c1tmptop + 1;
  if (!charroom(p + n - 1)) return false;
  for (std::int32_t i = 0; i < n; ++i) core::c1namen(p + i) = fill(i);
  core::c1tmptop = p + n - 1;
  const std::int32_t c = core::iresult;
  core::name(c) = core::name(s);
  core::name(c).type = static_cast<std::int16_t>(strtemptype | 0x1);
  core::SETI4EQUZ(1, c, p);
  core::SETI4EQUZ(2, c, p + n - 1);
  return true;
}

// The piece from..to of text s read backwards (from > to): a copy, like
// the evaluator's.
WordResult backwardpiece(std::int32_t s, std::int32_t from, std::int32_t to) {
  if (!piececopy(s, from - to + 1, [from](std::int32_t i) { return core::c1namen(from - i); }))
    return fail(core::storelimitkey);
  const std::int32_t c = core::iresult;
  if (backpiecestmt != stmtstart) backpieces.clear();
  backpiecestmt = stmtstart;
  std::erase_if(backpieces, [c](const BackPiece& b) { return b.cell == c; });
  backpieces.push_back({c, core::z(c), from});
  return valueproduced(3);
}

// One character of text s at index i (consumed: the entries it takes),
// read or written. A place outside the text is the evaluator's index
// error; where the evaluator goes on (an error label takes the statement,
// or a fold over whole arrays runs it for one of its elements) it is the
// nearest character of the text.
WordResult character(std::int16_t w, std::int32_t s, std::int32_t first, std::int32_t last,
                     std::int64_t i, std::int32_t consumed) {
  std::int64_t at = first + i - 1;
  if (at < first || at > last) {
    constexpr std::int32_t code = 3006;
    const std::int32_t bad =
        static_cast<std::int32_t>(std::clamp<std::int64_t>(i, -noindex, noindex - 1));
    idxerrorof(code, s, idxindex, bad);
    if (last < first || (core::nomsg == 0 && !wholefold::within())) return evaluatorfail(w, code);
    at = std::clamp<std::int64_t>(at, first, last);
  }
  selection(s, static_cast<std::int32_t>(at), static_cast<std::int32_t>(at));
  return valueproduced(consumed);
}

// A piece outside its text stops the statement as the evaluator's does.
WordResult pieceoutside(std::int16_t w) { return evaluatorfail(w, 3045); }

// A range of a numeric array's elements (X(2:4)): each pass takes the
// element of its `$` in the range (read backwards when the first bound
// lies after the second; an omitted bound the array's first or last
// element), and the passes end after its last. The subscript word after
// it takes that element; beyond the array's end it is an index error on
// the target's side and 0 on the other.
WordResult arrayrange(std::int32_t a) {
  const auto [rows, cols] = shape(a);
  const std::int64_t size = static_cast<std::int64_t>(std::max(rows, 0)) * std::max(cols, 0);
  std::int64_t lo = entry(1) == omittedbound ? 1 : index(value(entry(1)));
  std::int64_t hi = entry(0) == omittedbound ? size : index(value(entry(0)));
  if (lo < 1) lo = 1;
  if (hi < 1) hi = size;
  const std::int64_t total = (hi >= lo ? hi - lo : lo - hi) + 1;
  const bool target = depth() == 3;
  // (In the argument of a fold over whole arrays the fold's element is
  // taken instead of the statement's pass.)
  const std::int64_t folded = target ? 0 : wholefold::rangeelement(total);
  const std::int64_t el = folded > 0 ? folded : std::max<std::int64_t>(nearest(core::z(1)), 1);
  if (el > total && folded == 0) {
    rerunflag = false;
    core::xeqstackptr = core::xeqstackbase;
    return WordResult::endstmt;
  }
  // (On the target's side a bound past the end fails the first pass.)
  const std::int64_t idx = target && std::max(lo, hi) > size ? std::max(lo, hi)
                                                              : lo + (el - 1) * (hi >= lo ? 1 : -1);
  if (target) {
    targetrange = total;
  } else if (el < total && folded == 0) {
    rerunflag = true;
  }
  const std::int16_t next = codeword(wordpos + 1);
  if (!target && (idx > size || el > total) && core::issubscript(next) &&
      core::subscriptcommas(next) == 0) {
    // Beyond the array's end (or the range's, for a fold over a longer
    // array): 0 in the element's place.
    core::z(core::iresult) = 0.0;
    ++wordpos;
    return valueproduced(3);
  }
  core::z(core::iresult) = static_cast<double>(std::clamp<std::int64_t>(idx, -noindex, noindex - 1));
  return valueproduced(2);
}

WordResult substring(std::int16_t w) {
  std::int32_t first = 0, last = 0;
  if (depth() >= 2 && textbounds(entry(1), first, last) && entry(1) > 0)
    return character(w, entry(1), first, last, index(value(entry(0))), 2);
  if (depth() >= 3 && issym(entry(2)) && (typeof_(entry(2)) & 0x150) == 0x10 &&
      !textbounds(entry(2), first, last))
    return arrayrange(entry(2));
  std::int64_t k1 = depth() >= 2 ? index(value(entry(1))) : 0;
  std::int64_t k2 = depth() >= 1 ? index(value(entry(0))) : 0;
  if (depth() >= 3 && entry(2) > 0 && textbounds(entry(2), first, last)) {
    // A piece as the evaluator makes it: both bounds inside the text (an
    // omitted one its first or last position), read backwards when the
    // first lies after the second; a statement that has read `$` takes
    // them into the text.
    const std::int64_t len = static_cast<std::int64_t>(last) - first + 1;
    if (entry(1) == omittedbound) k1 = 1;
    if (entry(0) == omittedbound) k2 = len;
    if (len >= 1 && dollarread()) {
      k1 = std::clamp<std::int64_t>(k1, 1, len);
      k2 = std::clamp<std::int64_t>(k2, 1, len);
    }
    if (len < 1 || k1 < 1 || k1 > len || k2 < 1 || k2 > len) return pieceoutside(w);
    const auto from = static_cast<std::int32_t>(first + k1 - 1);
    const auto to = static_cast<std::int32_t>(first + k2 - 1);
    if (from > to) return backwardpiece(entry(2), from, to);
    selection(entry(2), from, to);
    return valueproduced(3);
  }
  core::xeqstop = stops::error;
  core::msgkey.set(xeqkeys::substringind);
  showerror(xeqkeys::substringind, "indices " + std::to_string(k1) + " and " + std::to_string(k2));
  return WordResult::looptest;
}

WordResult concatenation(int ampersands) {
  if (depth() < 2) return fail(xeqkeys::stackunderflow);
  const std::int32_t st = XEQTIDCAT(core::iresult, entry(1), ampersands, entry(0));
  if (st == -1) {
    core::xeqstop = stops::broken;
    return WordResult::stophandling;
  }
  if (st != 0) return WordResult::rerun;
  return valueproduced(2);
}

WordResult negation() {
  if (depth() < 1) return fail(xeqkeys::stackunderflow);
  core::z(core::iresult) = -value(entry(0));
  return valueproduced(1);
}

WordResult deferred() {
  if (!push(wordpos + 1)) return fail(xeqkeys::xeqstack);
  std::int32_t p = wordpos + 1;
  while (p < stmtend) {
    const unsigned u = cwu(codeword(p));
    if ((u & 0xFF00u) == 0x9800u || u == cwu(core::xform::end)) break;
    ++p;
  }
  wordpos = p;
  return WordResult::stay;
}

// The piece read backwards that cell t holds, if it is one of the
// statement in hand.
const BackPiece* backpiece(std::int32_t t) {
  if (backpieces.empty() || backpiecestmt != stmtstart) return nullptr;
  for (const BackPiece& b : backpieces)
    if (b.cell == t && core::z.valid(t) &&
        std::bit_cast<std::uint64_t>(core::z(t)) == std::bit_cast<std::uint64_t>(b.bounds))
      return &b;
  return nullptr;
}

// Copies the text first..last (an outside selection: one blank) into the
// character target t from position k of the repetition; the answer tells
// whether the statement runs again.
WordResult chartarget(std::int32_t t, std::int32_t v) {
  std::int32_t tf = 0, tl = 0, vf = 0, vl = 0;
  if (core::ISCHAR(t, tf, tl) == 0) return fail(xeqkeys::chartonum, t);
  std::string text;
  if (v > 0 && (typeof_(v) & 0x48) == 0x48 && core::I4EQUZ(1, v) == outsidetext) {
    text.assign(1, ' ');
  } else if (textbounds(v, vf, vl)) {
    text = c1text(vf, vl);
  } else {
    return fail(xeqkeys::chartonum, t);
  }
  const auto vlen = static_cast<std::int64_t>(text.size());
  const std::int64_t tlen = c1length(tf, tl);
  // Character i of the target: a piece read backwards is written where it
  // was read from, backwards.
  std::int64_t start = tf, step = 1;
  if (const BackPiece* b = backpiece(t)) {
    start = b->from;
    step = -1;
  }
  const auto place = [start, step](std::int64_t i) {
    return static_cast<std::int32_t>(start + step * i);
  };
  const std::int64_t k = std::max<std::int64_t>(nearest(core::z(1)), 1);
  const std::int64_t at = vlen * (k - 1);
  const std::int64_t n = std::clamp<std::int64_t>(tlen - at, 0, vlen);
  for (std::int64_t i = 0; i < n; ++i)
    core::c1namen(place(at + i)) = text[static_cast<std::size_t>(i)];
  const bool roomleft = at + n < tlen && vlen > 0;
  if (roomleft && (k > 1 || mentionsdollar())) {
    // The end of the statement raises `$` by one and runs it again.
    rerunflag = true;
    return WordResult::endstmt;
  }
  for (std::int64_t i = at + n; i < tlen; ++i) core::c1namen(place(i)) = ' ';
  singlepass(false);
  return WordResult::next;
}

// The value assigned to FUZ: below it the entry that FUZ reserved and its
// operands.
WordResult fuzzyassign(std::int32_t nvalues) {
  if (FUZZY == nullptr) return fail(xeqkeys::notyetbuilt);
  std::int32_t vf = 0, vl = 0;
  if (textbounds(entry(0), vf, vl)) return fail(xeqkeys::chartonum);
  const double v = value(entry(0));
  if (!FUZZY({&entry(nvalues), static_cast<std::size_t>(nvalues - 1)}, &v))
    return WordResult::error;
  core::xeqstackptr = core::xeqstackbase;
  return WordResult::next;
}

WordResult listassign(std::int32_t nvalues) {
  if ((stmtflags & 4) != 0) return fuzzyassign(nvalues);
  const std::int32_t t = entry(nvalues);
  if (!issym(t)) return fail(xeqkeys::xeqnoarray);
  if ((typeof_(t) & 0x100) != 0) return fail(xeqkeys::notyetbuilt, t);
  const auto [rows, cols] = shape(t);
  const std::int32_t adr = core::name(t).adr;
  if ((typeof_(t) & 0x10) == 0 || adr <= 0) return fail(xeqkeys::vectorisation, t);
  const std::int64_t size = static_cast<std::int64_t>(std::max(rows, 0)) * std::max(cols, 0);
  // A text among the values has no number to give: nothing is stored.
  for (std::int32_t i = 0; i < nvalues && i < size; ++i) {
    std::int32_t vf = 0, vl = 0;
    if (textbounds(entry(nvalues - 1 - i), vf, vl)) return fail(xeqkeys::chartonum, t);
  }
  for (std::int32_t i = 0; i < nvalues && i < size; ++i) {
    const std::int32_t v = entry(nvalues - 1 - i);
    if (core::z.valid(adr + i)) core::z(adr + i) = value(v);
  }
  core::xeqstackptr -= nvalues;
  return WordResult::next;
}

// A whole array that its own statement also reads, and not `$`: every pass
// reads the array as it was before the first, so the elements the passes
// compute are held here and written when the passes end.
struct Deferred {
  std::int32_t base = 0;
  std::int32_t stmt = 0;
  std::int32_t adr = 0;  // 0: none held
  std::vector<double> values;
  std::vector<char> written;
};
Deferred held;

// The statement's words after its first read the symbol t.
bool readsitself(std::int32_t t) {
  for (std::int32_t p = stmtstart + 1; p < stmtend; ++p) {
    const std::int16_t w = codeword(p);
    if (w == t) return true;
    if (w == core::xform::end) break;
  }
  return false;
}

// The element at `cell` of the whole array `t` takes `x`: held back while
// the statement reads the array it writes, pass by pass (the first pass
// starts the hold).
void storeelement(std::int32_t t, std::int64_t k, std::int64_t size, double x) {
  const std::int32_t adr = core::name(t).adr;
  const auto cell = static_cast<std::int32_t>(adr + k - 1);
  if (k == 1) {
    flushdeferred();
    if (size > 1 && readsitself(t) && !mentionsdollar())
      held = {core::xeqstackbase, stmtstart, adr, std::vector<double>(static_cast<std::size_t>(size)),
                  std::vector<char>(static_cast<std::size_t>(size))};
  }
  if (held.adr == adr && held.base == core::xeqstackbase && held.stmt == stmtstart &&
      k <= static_cast<std::int64_t>(held.values.size())) {
    held.values[static_cast<std::size_t>(k - 1)] = x;
    held.written[static_cast<std::size_t>(k - 1)] = 1;
    return;
  }
  core::z(cell) = x;
}

WordResult wholearray(unsigned kind, std::int32_t t, std::int32_t v) {
  const auto [rows, cols] = shape(t);
  const std::int64_t size = static_cast<std::int64_t>(std::max(rows, 0)) * std::max(cols, 0);
  const std::int32_t adr = core::name(t).adr;
  if (adr <= 0) return fail(xeqkeys::vectorisation, t);
  const std::int64_t k = nearest(core::z(1));
  if (k > size) {
    flushdeferred();
    return WordResult::endstmt;
  }
  if (issym(v) && (typeof_(v) & 0x10) != 0 && v != t) {
    const auto [vr, vc] = shape(v);
    const std::int64_t vs = static_cast<std::int64_t>(std::max(vr, 0)) * std::max(vc, 0);
    const std::int32_t vadr = core::name(v).adr;
    if (vadr <= 0) return fail(xeqkeys::xeqnoarray, v);
    const std::int64_t n = std::min(size, vs);
    for (std::int64_t i = 0; i < n; ++i)
      core::z(static_cast<std::int32_t>(adr + i)) = core::z(static_cast<std::int32_t>(vadr + i));
    return WordResult::endstmt;
  }
  std::int32_t vf = 0, vl = 0;
  if (textbounds(v, vf, vl)) return fail(xeqkeys::chartonum, t);
  if (k >= 1 && (kind == 0x8440u || elementinrange)) storeelement(t, k, size, value(v));
  // (The last element: a source array's vectorisation word asked for a
  // rerun that has nothing left to assign.)
  if (k + 1 > size) {
    flushdeferred();
    rerunflag = false;
    return WordResult::next;
  }
  rerunflag = true;
  return WordResult::endstmt;
}

// The assignment words: 0x8400 to 0x847F, and 0x8480, which the translator
// writes when a text operand stands before an operator (it assigns like
// 0x8420).
bool isassignword(unsigned u) { return (u & 0xFF80u) == 0x8400u || u == 0x8480u; }

WordResult assignment(std::int16_t w) {
  const unsigned kind = core::cwcode(w);
  if (doheader() && !takedoparams()) return WordResult::error;
  if (depth() < 2) return fail(xeqkeys::noriteside);
  const std::int32_t nvalues = depth() - 1;
  if (nvalues > 1) return listassign(nvalues);
  // (Both entries lie on the stack: depth() is 2 or more.)
  const std::int32_t* const stack = core::adrs.data() + (core::xeqstackptr - 1);
  const std::int32_t v = stack[0];
  const std::int32_t t = stack[-1];
  --core::xeqstackptr;
  if (t <= 0) return fail(xeqkeys::notpossible);
  if (!issym(t)) {
    // An element cell of an array.
    if (!core::z.valid(t)) return fail(xeqkeys::notpossible);
    std::int32_t vf = 0, vl = 0;
    if (textbounds(v, vf, vl)) return fail(xeqkeys::chartonum);
    core::z(t) = value(v);
    singlepass(true);
    return WordResult::next;
  }
  const int type = static_cast<std::uint16_t>(core::name.data()[t - 1].type) & 0x7FF;
  // (A constant text, and a piece of one or a piece's copy, has no place
  // to write into; a piece read backwards is written where it was read.)
  if (type == 0x81 || ((type & 0x41) == 0x41 && backpiece(t) == nullptr))
    return fail(xeqkeys::storetotemp, t);
  if ((type & 0x40) != 0) return chartarget(t, v);
  if ((type & 0x10) != 0) return wholearray(kind, t, v);
  if ((type & 0x08) != 0) {
    if (kind != 0x8460u) return fail(xeqkeys::storetotemp, t);
    return fail(xeqkeys::notyetbuilt, t);
  }
  // A number never has text bounds (NAMTYP tells it at once).
  std::int32_t vf = 0, vl = 0;
  if ((v < 0 || core::NAMTYP(v, 0x49) != 0) && textbounds(v, vf, vl))
    return fail(xeqkeys::chartonum, t);
  core::z(t) = value(v);
  singlepass(false);
  if ((stmtflags & 0x10) != 0) return doendtest();
  return WordResult::next;
}

bool ismarker(std::int32_t e) {
  return e < 0 && e >= -0x8000 && core::isoptmarker(static_cast<std::int16_t>(e));
}

// The stack entries of an option call, counted down from the top: each
// option is its marker with its value below it (the empty operand for an
// option without one), except that ERror's label went to `nomsg` and left
// its marker alone; BITS's target lies below its options. The word counts
// the call's commas: BITS has that many options, the others one more (none
// when the call is empty). -1 when the entries are no such call.
std::int32_t callentries(std::int16_t w, bool bits) {
  const std::int32_t commas = static_cast<std::int32_t>(cwu(w) & 0x1Fu);
  const bool empty = commas == 0 && (depth() < 1 || !ismarker(entry(0)));
  const std::int32_t count = bits || empty ? commas : commas + 1;
  std::int32_t n = 0;
  for (std::int32_t j = 0; j < count; ++j) {
    if (n >= depth() || !ismarker(entry(n))) return -1;
    n += core::optmarkerentry(entry(n)) == 0 ? 1 : 2;
  }
  if (bits) ++n;
  return n <= depth() ? n : -1;
}

// The variable that the statement in hand assigns (its first word), 0 when
// it is no assignment. (A labelled statement ends with its label and
// CONTINUE.)
std::int32_t assignedvariable() {
  std::int32_t last = stmtend - 2;
  if (cwu(codeword(last)) == wcontinue) last -= 2;
  const std::int16_t first = codeword(stmtstart);
  return first > 0 && last > stmtstart && isassignword(cwu(codeword(last))) ? first : 0;
}

// A built-in that only an expression calls (STRUCT, BITS, ALIAS), met
// among the words: its options go to the dispatch as the list that the
// expression evaluator hands it, BITS's target as ERror's pair written
// first; what lies below them (an operator's other operand, a function's
// value) stays.
WordResult exprstatement(std::int16_t w) {
  const std::int32_t s = core::optstmtnr(w);
  const bool bits = opttable[s].stmt == core::OptStmt::BITS;
  const std::int32_t n = callentries(w, bits);
  if (n < 0) return fail(xeqkeys::xeqstack);
  auto value = [](std::int32_t v) { return v >= 1 ? v : novalue; };
  std::vector<std::int32_t> list;
  list.reserve(static_cast<std::size_t>(n + 2));
  for (std::int32_t q = bits ? n - 2 : n - 1; q >= 0; --q) {
    if (!ismarker(entry(q))) continue;  // a value, taken with its marker
    const std::int32_t kw = core::optmarkerentry(entry(q));
    list.push_back(kw);
    list.push_back(kw == 0 ? novalue : value(entry(q + 1)));
  }
  if (bits) {
    list.insert(list.begin(), {0, value(entry(n - 1))});
  }
  const std::int32_t below = core::xeqstackptr - n;
  // STRUCT writes its record into the text that the statement assigns, as
  // on the expression path (R = STRUCT(I2=P, I4=FI(3))). As the whole right
  // side it stands alone: the record is what the text gets.
  const bool isstruct = opttable[s].stmt == core::OptStmt::STRUCT;
  core::xeqtarget = isstruct ? assignedvariable() : 0;
  const bool alone = core::xeqtarget != 0 && below == core::xeqstackbase + 1 &&
                     isassignword(cwu(codeword(wordpos + 1)));
  const auto pairs = static_cast<unsigned>(list.size() / 2);
  BUISOPTNEW(core::cwv(cwu(core::optstmtxcode(s)) + pairs), 0, list,
             static_cast<std::int32_t>(list.size()));
  core::xeqstackptr = below;
  const WordResult r = optepilogue(static_cast<std::int16_t>(core::cwcode(w)));
  if (alone && r == WordResult::next) {
    core::xeqstackptr = core::xeqstackbase;
    ++wordpos;  // (past the assignment)
  }
  return r;
}

WordResult optionstatement(std::int16_t w) {
  const std::int32_t s = core::optstmtnr(w);
  if (s < core::noptstmts && opttable[s].expressiononly) return exprstatement(w);
  const unsigned code = core::cwcode(w);
  const bool transfer = code == cwu(core::builtincode("READ")) ||
                        code == cwu(core::builtincode("WRITE"));
  // A call inside an expression gives its value in place of its options:
  // what lies below them stays (OPEN, READ and WRITE have items besides).
  const bool inexpression = !transfer && code != cwu(core::builtincode("OPEN")) &&
                            cwu(codeword(wordpos + 1)) != cwu(core::cwd::end);
  const std::int32_t n = inexpression ? callentries(w, false) : -1;
  const std::int32_t below = core::xeqstackptr - n;
  BUISOPT(w, codeword(wordpos + 1));
  // (READ and WRITE leave the stack below their option list themselves; a
  // statement whose work the run driver goes on with, as SOLVE and DIFFEQ,
  // finds its target where the collection left the stack.)
  const bool resumed = resumecode != 0 && resumecode == static_cast<std::int16_t>(code);
  if (n >= 0 && !resumed) {
    core::xeqstackptr = below;
  } else if (!transfer && depth() > 0 && core::nomsg > 0 &&
             !isassignword(cwu(codeword(stmtend - 3)))) {
    ++core::xeqstackptr;
  }
  if (core::xeqstop == stops::retry) {
    core::xeqstop = 0;
    return WordResult::rerun;
  }
  return optepilogue(static_cast<std::int16_t>(core::cwcode(w)));
}

}  // namespace

WordResult optepilogue(std::int16_t code) {
  if (!core::msgkey.trimmed().empty()) {
    // A failed built-in leaves no table behind that no window shows.
    if (tablecalls.releasetables != nullptr) tablecalls.releasetables();
    return WordResult::error;
  }
  if (core::xeqstop == stops::broken) return WordResult::stophandling;
  // The built-in showed its failure (or an error label takes it): the run
  // stops at this statement.
  if (core::xeqstop == stops::error) return WordResult::looptest;
  if (resumecode != 0 && resumecode == code) {
    savedmode = static_cast<std::int16_t>(core::xeqmode);
    core::xeqmodesave = savedmode;  // the run driver's copy, put back after its work
    core::xeqmode = core::runmode::running | core::runmode::compiled;
    switch (cwu(code)) {
      case 0xAC20u:
        return WordResult::leave;
      case 0xACC0u:
        resumecode = 0;
        if (cwu(codeword(wordpos + 1)) == 0x8420u) solvetarget = entry(core::nomsg != 0 ? 2 : 1);
        core::xeqstop = stops::solve;
        return WordResult::leave;
      case 0xACE0u:
        ++core::xeqline;
        return WordResult::leave;
      case 0xAE00u:
        resumecode = 0;
        core::xeqstop = stops::diffeq;
        return WordResult::leave;
      default:
        return WordResult::rerun;
    }
  }
  if (!push(core::iresult)) return fail(xeqkeys::xeqstack);
  return valueproduced(1);
}

WordResult OPERANDWORD(std::int16_t word) {
  const unsigned u = cwu(word);
  if (word > 0) return pushsymbol(word);
  if (word == core::xform::pad) return WordResult::next;
  if (word == core::xform::formalkind) {
    // Made for its formals as numbers, the statement cannot take the array
    // that one of them is bound to.
    core::msgkey.set(xeqkeys::formalkind);
    errsubject = std::max<std::int32_t>(codeword(wordpos + 1), 1);
    return WordResult::error;
  }
  if ((u & 0xFF00u) == 0x9800u) return optionmarker(word);
  if (isassignword(u)) return assignment(word);
  if (isoptstmt(u)) return optionstatement(word);
  if ((u & 0xC010u) == 0x8010u) return binopword(word);
  if ((u & 0xFDE0u) == 0xF400u) return element(word);
  if (u == 0x9420u) return substring(word);
  if (word == 0) return nobound();
  // "//", a run of ampersands and the join of a list for a text.
  if (core::cwcode(word) == core::cwcode(core::cwd::ampersand))
    return concatenation(core::cwcount(word));
  if (u == 0xA840u) return negation();
  if (u == 0xBC00u) return deferred();
  return WordResult::unknown;
}

WordResult assignword(std::int16_t w) { return assignment(w); }

void install_wordhandlers() {
  operandwords = &OPERANDWORD;
  builtinwords = &BUILTINWORD;
  install_varkommas();
}

namespace {
[[maybe_unused]] const bool installed = (install_wordhandlers(), true);
}  // namespace

void flushdeferred() {
  if (held.adr == 0) return;
  for (std::size_t i = 0; i < held.values.size(); ++i) {
    const auto cell = static_cast<std::int32_t>(held.adr + static_cast<std::int64_t>(i));
    if (held.written[i] != 0 && core::z.valid(cell)) core::z(cell) = held.values[i];
  }
  held = {};
}

void reset_assign() {
  held = {};
  targetrange = 0;
  elementinrange = true;
  backpieces.clear();
  backpiecestmt = 0;
  elemrows = 0;
  elemcols = 0;
}

}  // namespace exec
