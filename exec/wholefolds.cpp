#include "exec/wholefolds.h"

#include <algorithm>

#include "core/codewords.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/builtins.h"
#include "exec/control.h"
#include "exec/wordpath.h"
#include "exec/xeqtemps.h"

namespace exec::wholefold {

namespace {

using core::cwu;
using namespace wordpath;

// A fold under way: the frame it runs in and its word, its argument's
// first word, the element it is at and how many it runs over, the first
// result cell of an element's words, and the values taken so far.
struct Level {
  std::int32_t base = 0;
  std::int32_t at = 0;
  std::int32_t from = 0;
  std::int32_t index = 1;
  std::int32_t count = 0;
  std::int32_t mark = 0;
  std::vector<double> values;
};
std::vector<Level> levels;

Level* find(std::int32_t base, std::int32_t at) {
  for (Level& l : levels)
    if (l.base == base && l.at == at) return &l;
  return nullptr;
}

// The fold of one argument that the vectorisation word at p belongs to in
// the statement in hand: the innermost whose argument's words hold it
// (`from` its argument's first word), 0 for none. The words are followed
// as the loop runs them, each operand keeping the word where its own words
// begin; a word whose effect on the stack is not that plain ends the look.
std::int32_t owner(std::int32_t p, std::int32_t& from) {
  static std::vector<std::int32_t> starts;
  starts.clear();
  for (std::int32_t q = stmtstart; q < stmtend; ++q) {
    const std::int16_t w = codeword(q);
    if (w == core::endmark) break;
    // (An option's marker stands on the stack as an entry of its own.)
    if (w >= 0 || core::isoptmarker(w)) {
      // (A table file's symbol takes the subscript word after it.)
      if (w > 0 && (typeof_(w) & 0x100) != 0) break;
      starts.push_back(q);
      continue;
    }
    const unsigned u = cwu(w);
    if (u == wwholearray || u == wblockjump || w == core::cwd::uminus || w == core::xform::pad)
      continue;
    std::size_t taken = 0;  // operands the word takes besides the one its result replaces
    // (A join, "//", "&" or a list's comma, takes two operands as "+" does.)
    if ((u & 0xC010u) == 0x8010u || core::cwcode(u) == cwu(core::cwd::ampersand)) {
      taken = 1;
    } else if (core::cwcode(u) == wfunction) {
      taken = static_cast<std::size_t>(core::cwcount(u));
    } else if (core::issubscript(u) || core::issubscriptstore(u)) {
      taken = static_cast<std::size_t>(core::subscriptcommas(u)) + 1;
    } else if (u == cwu(core::cw(core::CwFamily::op, ":"))) {
      // A piece of a text: one index below it takes the character, two
      // bounds the piece between them. Between two bounds after a numeric
      // array it is a range of the array's elements, which the subscript
      // after it takes with the array. The text is one word right before
      // the index: a start bound that merely begins with a text's name
      // (INDEX(U, ' '), LEN_TRIM(U)) is no text.
      const std::size_t n = starts.size();
      const bool character = n >= 2 && starts[n - 2] + 1 == starts[n - 1] &&
                             codeword(starts[n - 2]) > 0 &&
                             (typeof_(codeword(starts[n - 2])) & 0x40) != 0;
      const bool range = n >= 3 && starts[n - 3] + 1 == starts[n - 2] && codeword(starts[n - 3]) > 0 &&
                         (typeof_(codeword(starts[n - 3])) & 0x150) == 0x10;
      taken = character || range ? 1 : 2;
    } else if (core::cwcode(u) == wdo || core::cwcode(u) == wdoblock) {
      taken = 1;  // a DO header takes its variable and keeps its record
    } else if (core::cwcode(u) == wif) {
      if (starts.empty()) break;
      starts.pop_back();
      continue;
    } else if (core::isoptstmt(u)) {
      // An option built-in in the expression (BITS(A) + SUM(X + F(1))):
      // its options, each a value and its marker, and BITS's target give
      // way to its value.
      const int commas = core::cwcount(u);
      const bool bits = core::optstmtnr(w) == static_cast<int>(core::OptStmt::BITS);
      const bool empty = commas == 0 && !core::isoptmarker(codeword(q - 1));
      const int entries = 2 * (bits || empty ? commas : commas + 1) + (bits ? 1 : 0);
      if (entries < 1) {
        starts.push_back(q);
        continue;
      }
      taken = static_cast<std::size_t>(entries - 1);
    } else if (std::int32_t nargs = 0; core::isbuiltinword(u)) {
      if (foldbuiltin(w, nargs) && nargs == 1 && !starts.empty() && q > p && starts.back() <= p) {
        from = starts.back();
        return q;
      }
      taken = static_cast<std::size_t>(builtinextra(w));
    } else {
      break;
    }
    if (starts.size() < taken + 1) break;
    starts.resize(starts.size() - taken);
  }
  return 0;
}

// The fold that the word at `wordpos` runs for, started with `size`
// elements when it starts here; null for none.
Level* running(std::int64_t size) {
  std::int32_t from = 0;
  const std::int32_t at = owner(wordpos, from);
  if (at == 0 || size < 1 || size > 0x7FFFFFFF) return nullptr;
  Level* l = find(core::xeqstackbase, at);
  if (l == nullptr) {
    levels.push_back({.base = core::xeqstackbase,
                      .at = at,
                      .from = from,
                      .index = 1,
                      .count = static_cast<std::int32_t>(size),
                      .mark = core::iresult,
                      .values = {}});
    l = &levels.back();
    underway = static_cast<std::int32_t>(levels.size());
  }
  return l;
}

}  // namespace

bool element(WordResult& r) {
  if (depth() < 1) return false;
  const std::int32_t A = entry(0);
  if (!issym(A) || (typeof_(A) & 0x10) == 0) return false;
  const std::int64_t size =
      static_cast<std::int64_t>(std::max(core::I4EQUZ(1, A), 0)) * std::max(core::I4EQUZ(2, A), 0);
  if (core::name(A).adr <= 0) return false;
  const Level* const l = running(size);
  if (l == nullptr) return false;
  if (l->index <= size) {
    entry(0) = core::name(A).adr + l->index - 1;
    r = WordResult::next;
    return true;
  }
  // Beyond this array's end: 0.
  core::z(core::iresult) = 0.0;
  takeresult(1);
  r = core::xeqstop != 0 ? WordResult::looptest : WordResult::next;
  return true;
}

std::int64_t rangeelement(std::int64_t count) {
  Level* const l = running(count);
  if (l == nullptr) return 0;
  // (A range bounds the fold's elements by its own count.)
  if (count < l->count) l->count = static_cast<std::int32_t>(std::max<std::int64_t>(count, l->index));
  return l->index;
}

Step next(std::vector<double>& values) {
  if (levels.empty()) return Step::none;
  Level* l = find(core::xeqstackbase, wordpos);
  if (l == nullptr || depth() < 1) return Step::none;
  l->values.push_back(value(entry(0)));
  if (l->index < l->count) {
    // The next element: the argument's words run again on the stack and
    // result cells they started from.
    ++l->index;
    --core::xeqstackptr;
    core::iresult = l->mark;
    newtemprecord(l->mark);
    wordpos = l->from;
    return Step::again;
  }
  values = std::move(l->values);
  levels.erase(levels.begin() + (l - levels.data()));
  underway = static_cast<std::int32_t>(levels.size());
  return Step::done;
}

bool within() {
  for (const Level& l : levels)
    if (l.base == core::xeqstackbase && l.from <= wordpos && wordpos < l.at) return true;
  return false;
}

void drop(std::int32_t base) {
  if (levels.empty()) return;
  std::erase_if(levels, [base](const Level& l) { return l.base >= base; });
  underway = static_cast<std::int32_t>(levels.size());
}

}  // namespace exec::wholefold
