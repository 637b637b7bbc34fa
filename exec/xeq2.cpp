#include "exec/xeq2.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "core/codewords.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/tokenizer.h"
#include "core/xform.h"
#include "exec/heldtexts.h"
#include "exec/postfix.h"
#include "exec/tempstrings.h"

namespace exec {

namespace {

using core::cwcode;
using core::cwcount;
using core::cwu;
using core::xcwcode;
namespace xf = core::xform;
constexpr std::int32_t big = 0x7FFFFFFF;
// The END statement, and the BITS statement inside an expression.
constexpr unsigned endstmt = cwu(core::stmtcode("END"));
constexpr unsigned bitsstmt = cwu(core::optstmtxcode(core::optstmtnr(core::builtincode("BITS"))));

struct LinkFail {
  std::int32_t result;
  std::string_view text;
};

// The stream codes of the statement being linked, t(1..8n); kept from one
// statement to the next so that linking allocates nothing once it is large
// enough. Only entries written by the current linking are ever read.
std::vector<std::int16_t> streamcodes;

// The type of a symbol operand as linking sees it; `notcell` for a word
// beyond the symbol table.
constexpr std::int32_t notcell = 0x10000;
std::int32_t operandtype(std::int16_t s) {
  if (s > core::nname || !core::name.valid(s)) return notcell;
  return core::name(s).type;
}

// A statement of the program as linked last. The linked form depends only
// on the statement's words and on the types of its symbol operands, so it
// is reused as long as both are unchanged (the words are compared, which
// also covers a recompiled, spliced or moved program).
struct LinkedForm {
  bool valid = false;
  std::vector<std::int16_t> words;
  std::vector<std::pair<std::int16_t, std::int32_t>> operands;  // symbol, type
  std::vector<std::int16_t> codes;                              // the combined arrays
  std::vector<std::int32_t> values;
  std::int32_t split = 0;
  std::int16_t labelmsg = 0;  // symbol that linking put into `nomsg`, 0 none
  // The expression state after linking.
  std::int32_t nstream = 0, ndescr = 0, opflags = 0, nelem = 0, iseg = 0, lhsdescr = 0, swappos = 0;
  std::array<std::int32_t, 5> seglen{};
};
std::vector<LinkedForm> linkedforms;  // by statement number

bool unchanged(const LinkedForm& f, std::span<const std::int16_t> words) {
  if (!f.valid || f.words.size() != words.size() ||
      !std::equal(words.begin(), words.end(), f.words.begin()))
    return false;
  for (const auto& [s, type] : f.operands)
    if (operandtype(s) != type) return false;
  return true;
}

struct Linker {
  std::span<const std::int16_t> words;  // w(1..n) = words[0..n-1]
  std::int32_t n = 0;
  std::span<std::int32_t> out;
  std::span<std::int16_t> t;  // t(1..8n)
  // What the linked form depends on beyond the words.
  std::vector<std::pair<std::int16_t, std::int32_t>>* operands = nullptr;
  bool reusable = true;  // false when linking read run-time state
  std::int16_t labelmsg = 0;
  std::int32_t k = 0;  // stream entries written
  std::int32_t p = 0;  // input position being linked
  std::int32_t localmin = big;
  std::int32_t boundsum = 0;
  int closeflags = 0;
  std::int32_t argblocks = 0;
  std::int32_t gateat = 0;  // the entry of a logical IF's gate whose IF is still to come
  std::vector<std::int32_t> refblocks;  // by reference word, its block (placerefs)
  std::int32_t split = 0;
  std::int32_t firsttablepos = 0;
  std::int32_t tabletarget = 0;
  std::int32_t last5004 = 0;
  std::int32_t splitclose = 0;
  std::uint32_t segmask = 0;
  // Bit d: descriptor d is the operand of a fold (SUM, MAX, ...) before the
  // split. A fold gives one value, so such an operand never makes the
  // statement's target a whole array, nor do its closers.
  std::uint32_t folded = 0;

  std::int16_t w(std::int32_t q) const {
    return q >= 1 && q <= n ? words[static_cast<std::size_t>(q - 1)] : 0;
  }
  std::int32_t streamroom() const { return 8 * n; }

  [[noreturn]] static void overrun() { throw LinkFail{xeq2overrun, "adrS/CMD overrun"}; }

  void emit(std::int32_t code, std::int32_t value) {
    if (k + 1 >= streamroom() || k + 1 >= static_cast<std::int32_t>(out.size())) overrun();
    ++k;
    t[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(code);
    out[static_cast<std::size_t>(k - 1)] = value;
  }
  void setcode(std::int32_t at, std::int32_t code, std::int32_t value) {
    t[static_cast<std::size_t>(at)] = static_cast<std::int16_t>(code);
    out[static_cast<std::size_t>(at - 1)] = value;
  }
  std::int32_t newdescr(std::int32_t kind, std::int32_t value) {
    auto& x = xeqexpr;
    if (x.ndescr >= ntemps || x.ndescr + 1 > core::maxtokens) overrun();
    ++x.ndescr;
    core::tokbeg(x.ndescr) = static_cast<std::int16_t>(kind);
    core::tokend(x.ndescr) = static_cast<std::int16_t>(value);
    return x.ndescr;
  }

  void reference(std::int16_t sym) {
    auto& x = xeqexpr;
    const std::int16_t type = core::name(sym).type;
    const std::int32_t d = newdescr(0, sym);
    x.idescr = d;
    std::int32_t code = xeqop::stringref;
    std::int32_t value = d;
    std::int32_t kind = -1;
    if ((type & 0x110) == 0x10) {
      code = xeqop::arrayref;
    } else if ((type & 0x110) == 0x100) {
      bool element = false;
      for (std::int32_t q = p + 1; q <= n; ++q) {
        const unsigned f = xcwcode(w(q));
        if (f == cwu(xf::end) || f == cwu(xf::lhsend) || f == cwu(xf::assign) ||
            f == cwu(xf::exchange) || f == cwu(xf::textmark))
          break;
        if (f == cwu(xf::tablemark)) element = true;
      }
      if (element) {
        code = 0x100;
        value = sym;
      } else {
        kind = xeqop::tablefile;
      }
    }
    if (kind < 0) {
      if (split == 0) {
        kind = xeqop::beforesplit;
        if (segmask != 0) folded |= 1u << d;
      } else if (p >= 3 && (type & 0x100) == 0 && w(split - 1) == sym) {
        kind = xeqop::readwhilewritten;
        last5004 = d;
      } else {
        kind = xeqop::reference;
      }
    }
    core::tokbeg(d) = static_cast<std::int16_t>(kind);
    emit(code, value);
  }

  // A formal that its routine does not declare is written as an array,
  // with an array's mark after it; bound to a text, the mark is a text's.
  // (Its bracket's closer is left as written: an index word over a text
  // takes the text's character or piece when the statement runs.)
  std::int16_t markword(std::int16_t c) const {
    if (cwu(c) != cwu(xf::arraymark) || w(p - 1) <= 0) return c;
    return boundtotext(w(p - 1)) ? xf::textmark : c;
  }

  // Whether symbol s is now a text of its own (not a file's nor an alias
  // view), as a formal bound to a text is.
  static bool boundtotext(std::int32_t s) {
    const std::int32_t type = operandtype(s);
    return type != notcell && (type & 0xD2) == 0x40 && (type & 0x110) == 0;
  }

  void symbol(std::int16_t s) {
    auto& x = xeqexpr;
    // The target of a label reference was taken with it.
    if (p >= 2 && xcwcode(w(p - 1)) == cwu(xf::labelref)) {
      if (p < n - 2) core::nomsg = labelmsg = s;
      return;
    }
    const std::int32_t seen = operandtype(s);
    if (operands != nullptr) operands->emplace_back(s, seen);
    if (seen == notcell) {
      emit(0xA8, s);
      x.opflags |= 1;
      return;
    }
    const auto type = static_cast<std::int16_t>(seen);
    const int masked = type & 0xD2;
    if (masked == 0x2) {
      if (p < n - 2) core::nomsg = labelmsg = s;
      return;
    }
    if (masked == 0x10 || masked == 0x40) return reference(s);
    if (masked == 0x80) {
      if (s >= 1 && s <= 6) {
        emit(s, s);
        x.opflags |= 1 << s;
        if (localmin > big - 1) localmin = big - 1;
      } else {
        emit(type, s);
        x.opflags |= 1;
      }
      return;
    }
    throw LinkFail{xeq2notimplemented, "not yet implemented"};
  }

  // Whether the bracket being closed belongs to a formal that its routine
  // does not declare, bound to a text: its range is a piece, one value,
  // not elements that the statement's passes run over.
  bool overtext() const {
    const std::int32_t d = xeqexpr.idescr;
    return d >= 1 && d <= xeqexpr.ndescr && core::tokbeg(d) != xeqop::argblock &&
           boundtotext(core::tokend(d));
  }

  void closer(std::int16_t word) {
    auto& x = xeqexpr;
    const unsigned bits = cwu(word) & 0x30u;
    std::int32_t at = 0;
    if (bits == 0x00u) {
      if (split == 0) {
        emit(xeqop::indexclosed, x.idescr);
        if (segmask == 0) closeflags |= 1;
      } else {
        emit(xeqop::splitindex, x.idescr);
        splitclose = x.idescr;
      }
      at = k;
    } else if (bits == 0x10u || bits == 0x20u) {
      const bool one = bits == 0x10u;
      // Only a closer before the split closes the target: one on the right
      // side (T(:3) after "=") would make every reference before it, such
      // as an element in a logical IF's condition, a target run element by
      // element.
      if (boundsum > 0) {
        boundsum = 0;
        if (segmask == 0 && split == 0 && !overtext()) closeflags |= 2;
        emit(one ? xeqop::onerange : xeqop::tworanges, big);
      } else if ((x.opflags & 2) != 0 && segmask == 0 && split == 0) {
        closeflags |= 1;
      }
      std::int32_t value = x.idescr;
      if (one && splitclose > 1) {
        --splitclose;
        value = splitclose;
      }
      emit(one ? xeqop::oneindex : xeqop::twoindices, value);
      at = k;
      if (one && (segmask >> x.iseg & 1u) != 0) {
        const auto lvl = static_cast<std::size_t>(x.iseg);
        if (x.opflags == 1) {
          x.seglen[lvl] = 1;
        } else if (x.nelem == big) {
          reusable = false;  // the bound comes from the last evaluation
          const std::int32_t d = std::clamp(x.idescr, 0, ntemps);
          localmin = std::min(localmin, tmpend(d));
          x.seglen[lvl] = localmin;
        }
      }
      x.idescr = std::max(x.idescr - 1, 0);
    } else {
      emit(xeqop::twoindices, x.idescr);
      at = k;
    }
    if (xcwcode(word) == cwu(xf::tablemark)) {
      t[static_cast<std::size_t>(at)] = xeqop::tableelement;
      if (firsttablepos == 0) firsttablepos = at;
    }
  }

  // A text's mark or closer.
  void select(std::int16_t c) {
    boundsum = 0;
    std::int32_t value = -xeqexpr.idescr;
    if (cwu(c) == 0xF34Cu) {
      const std::int16_t s = w(++p);
      value = 0;
      for (std::int32_t j = 1; j <= xeqexpr.idescr; ++j)
        if (core::tokend(j) == s) {
          value = -j;
          break;
        }
    }
    emit(c, value);
  }

  void segmentclose() {
    auto& x = xeqexpr;
    emit(xeqop::segclose, 0);
    int depth = 1;
    for (std::int32_t j = k - 1; j >= 1; --j) {
      const std::int16_t c = t[static_cast<std::size_t>(j)];
      if (c == xeqop::segclose) ++depth;
      if (c == xeqop::segopen) --depth;
      if (depth == 0) {
        out[static_cast<std::size_t>(k - 1)] = 1 - (k - j);
        break;
      }
    }
    const auto lvl = static_cast<std::size_t>(std::clamp(x.iseg, 0, 4));
    if (x.ndescr <= 0) x.seglen[lvl] = 1;
    segmask &= ~(1u << lvl);
    x.iseg = std::max(x.iseg - 1, 0);
    ++p;  // the word after the closer belongs to it
  }

  // The block that each reference word names, by the blocks' order. The
  // translator appends a block when its list closes and writes the list's
  // reference then, so the references name the blocks in the order they
  // were written; but a reference that an outer list took into its own
  // block is met here before the references left in the main words
  // (MOD(3, 5) + MOD(5, MOD(12, 7)): the second block's reference lies in
  // the third block, the first block's in the main words). A block holds
  // the references written since its list began that no inner block took:
  // the latest of those not yet placed. So the blocks not yet referenced
  // form a stack: each block takes its references from the top and goes on
  // it, and the main words take what is left, from the bottom. Words that
  // do not add up so are linked by the plain count.
  void placerefs() {
    refblocks.clear();
    std::vector<std::int32_t> unplaced;
    std::size_t met = 0;  // references since the last block's end
    std::int32_t blocks = 0;
    auto take = [&](std::size_t from) {
      const std::size_t at = refblocks.size() - met;
      for (std::size_t i = 0; i < met; ++i) refblocks[at + i] = unplaced[from + i];
      unplaced.resize(from);
      met = 0;
    };
    for (std::int32_t q = 2; q <= n; ++q) {
      const std::int16_t c = w(q);
      if (xf::ismovedargs(c)) {
        refblocks.push_back(0);
        ++met;
      } else if (xf::isblockend(c)) {
        if (met > unplaced.size()) {
          refblocks.clear();
          return;
        }
        take(unplaced.size() - met);
        unplaced.push_back(++blocks);
      }
    }
    if (met != unplaced.size()) {
      refblocks.clear();
      return;
    }
    take(0);
  }
  std::int32_t refblock(std::int32_t j) const {
    return static_cast<std::size_t>(j) < refblocks.size() ? refblocks[static_cast<std::size_t>(j)]
                                                          : j + 1;
  }

  void link() {
    auto& x = xeqexpr;
    placerefs();
    for (p = 2; p <= n; ++p) {
      const std::int16_t c = w(p);
      const unsigned u = cwu(c);
      if (c == 0 || c == xf::pad) continue;
      if (c == xf::nobound) {
        emit(0x81, 0);
        continue;
      }
      if (c > 0) {
        symbol(c);
        continue;
      }
      if (c == xf::lhsend) {
        // A table's element is written only when it is the target itself
        // (one in a logical IF's condition or in a subscript is read).
        if (k >= 1 && t[static_cast<std::size_t>(k)] == xeqop::tableelement) tabletarget = 1;
        split = k + 1;
        x.lhsdescr = x.idescr;
        x.nelem = x.opflags == 1 ? 1 : localmin;
        localmin = big;
      } else if (u == 0xA800u) {
        boundsum += 100;
      } else if (u == 0xA801u || u == 0xA802u) {
        emit(0x80, -static_cast<std::int32_t>(u & 0xFu));
      } else if (u == 0xA804u || u == 0xA808u) {
        emit(0x80, -static_cast<std::int32_t>(u & 0xFu));
        boundsum += static_cast<std::int32_t>(u & 0xFu);
      } else if (u == 0xA803u) {
        x.opflags |= 4;
      } else if (u == 0xA805u || u == 0xA806u || u == 0xA809u || u == 0xA80Au || u == 0xA80Fu) {
        emit(xeqop::tworanges, 0);
        emit(xeqop::twoindices, x.idescr);
        x.opflags |= 8;
      } else if (u == 0xA80Cu) {
        emit(xeqop::onerange, 0);
        x.opflags |= 8;
      } else if (u == 0xA810u) {
        emit(0x80, -16);
        emit(0, 0);
        x.opflags |= 8;
      } else if (u == 0xA811u) {
        emit(0, -17);
        x.opflags |= 8;
      } else if (u > 0xA800u && u <= 0xA83Fu) {
        emit(0, 0);
        x.opflags |= 8;
      } else if (c == xf::continueword) {
        emit(0, 0);
      } else if (xcwcode(c) == cwu(xf::labelref)) {
        emit(c, w(p + 1));
      } else if (xf::isclosefamily(c) || xf::isselectfamily(c)) {
        if (const std::int16_t cw = markword(c); xf::isclosefamily(cw))
          closer(cw);
        else
          select(cw);
      } else if (xcwcode(c) == cwu(xf::blockif) || xcwcode(c) == cwu(xf::elseword) ||
                 xcwcode(c) == cwu(xf::elseifword)) {
        emit(c, 0);
        emit(w(++p), 0);
      } else if (u >= 0xF800u) {
        if (cwcode(c) == bitsstmt && last5004 > 0) {
          core::tokbeg(last5004) = xeqop::reference;
          last5004 = 0;
        }
        emit(c, w(p + 1));
      } else if (c == xf::ifgate) {
        emit(c, 0);
        gateat = k;
      } else if (c == xf::ifword && gateat != 0) {
        // The gate learns how far on its IF stands.
        emit(c, 0);
        out[static_cast<std::size_t>(gateat - 1)] = k - gateat;
        gateat = 0;
      } else if (xf::isblockend(c)) {
        split = 0;
        const std::int32_t d = newdescr(xeqop::argblock, xf::blocksize(c));
        emit(c, d);
      } else if (xf::ismovedargs(c)) {
        const std::int32_t block = refblock(argblocks++);
        std::int32_t value = 0;
        std::int32_t seen = 0;
        for (std::int32_t j = 1; j <= x.ndescr; ++j)
          if (core::tokbeg(j) == xeqop::argblock && ++seen == block) {
            value = j;
            break;
          }
        emit(c, value);
      } else if (cwcode(c) == cwu(xf::assign) || cwcode(c) == cwu(xf::exchange)) {
        const std::int32_t a = cwcount(c);
        emit(static_cast<std::int32_t>(cwcode(c)) + tabletarget, a);
        if (a > 0) x.nelem = 1;
        if (cwcode(c) == cwu(xf::exchange)) x.swappos = k;
      } else if (cwcode(c) == endstmt) {
        if (firsttablepos != 0) {
          setcode(firsttablepos, xeqop::firsttable, big - x.ndescr);
          firsttablepos = 0;
        }
        emit(c, 0);
      } else if (xf::isconcat(c)) {
        emit(c, 0);
        x.nelem = 1;
      } else if (xf::issegopen(c)) {
        // A segment's level is its depth among the open ones, as the
        // evaluator counts it: segments one after another (MAX(MIN(A, B, C),
        // MIN(D, E, F), ...)) share their level, however many there are.
        if (x.iseg >= 4) overrun();
        ++x.iseg;
        segmask |= 1u << x.iseg;
        emit(xeqop::segopen, static_cast<std::int32_t>(xf::segfunction(c)));
      } else if (xf::issegclose(c)) {
        segmentclose();
      } else {
        emit(c, 0);
      }
    }
  }
};

}  // namespace

namespace {

// A linking failure: the message, the failing word and position, the
// result kept with the statement number.
std::int32_t linkfailure(const LinkFail& f, std::int16_t word, std::int32_t pos) {
  core::failedline.set(f.text);
  xeqfailword = static_cast<float>(word);
  xeqfailpos = static_cast<float>(pos);
  core::iostatw[0] = static_cast<std::int16_t>(f.result);
  core::iostatw[1] = static_cast<std::int16_t>(core::xeqline);
  return f.result;
}

// Hands the combined arrays (xeqlinked.codes and out, `total` entries of
// `capacity`) to the evaluator and maps its result; throws LinkFail when
// the evaluation ran out of temporaries.
std::int32_t evaluate(std::span<std::int32_t> out, std::int32_t total, std::int32_t capacity,
                      std::int32_t header) {
  using namespace core;
  std::int32_t r = 0;
  iostatw[1] = 0;  // the statement's own detail, if it fails with a key
  if (xeq3 != nullptr) {
    std::int32_t cap = capacity;
    r = xeq3(std::span<std::int16_t>(xeqlinked.codes.data(), static_cast<std::size_t>(capacity)),
             total, out.first(static_cast<std::size_t>(capacity)), cap, header);
  }
  if (xeqstop == stops::grown) return r;
  if (iresult > nname) throw LinkFail{xeq2overrun, "nxtT overrun"};
  const auto ur = static_cast<std::uint32_t>(r);
  if (ur >= 0x80000001u && ur <= 0x80000021u) return r;
  if (r == 0) return xeqstop;
  iostatw[0] = static_cast<std::int16_t>(r & 0xFFFF);
  // A failure with a key keeps the detail its statement wrote.
  if (r != xeqkeyed) iostatw[1] = static_cast<std::int16_t>(xeqline);
  return r;
}

// The combined codes area, `capacity` entries of which the evaluator sees.
void codesroom(std::int32_t capacity) {
  auto& lk = xeqlinked;
  if (lk.codes.size() < static_cast<std::size_t>(capacity))
    lk.codes.resize(static_cast<std::size_t>(capacity));
}

// Puts a statement's linked form back as linking would make it again.
std::int32_t replay(const LinkedForm& f, std::span<std::int32_t> out, std::int32_t capacity,
                    std::int32_t n) {
  using namespace core;
  auto& x = xeqexpr;
  x.opflags = f.opflags;
  x.nelem = f.nelem;
  x.iseg = f.iseg;
  x.seglen = f.seglen;
  x.nstream = f.nstream;
  x.ndescr = x.idescr = f.ndescr;
  x.lhsdescr = f.lhsdescr;
  x.swappos = f.swappos;
  if (x.opflags == 1) x.nelemall = 1;
  if (f.labelmsg != 0) nomsg = f.labelmsg;
  for (std::int32_t j = 1; j <= f.ndescr; ++j) {
    tokbeg(j) = f.codes[static_cast<std::size_t>(j)];
    tokend(j) = static_cast<std::int16_t>(f.values[static_cast<std::size_t>(j)]);
  }
  const auto total = static_cast<std::int32_t>(f.codes.size());
  const auto used = static_cast<std::size_t>(total);
  const auto cap = static_cast<std::size_t>(capacity);
  auto& lk = xeqlinked;
  codesroom(capacity);
  std::copy(f.codes.begin(), f.codes.end(), lk.codes.begin());
  std::fill(lk.codes.begin() + static_cast<std::ptrdiff_t>(used),
            lk.codes.begin() + static_cast<std::ptrdiff_t>(cap), std::int16_t{0});
  std::copy(f.values.begin(), f.values.end(), out.begin());
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(used),
            out.begin() + static_cast<std::ptrdiff_t>(cap), 0);
  lk.total = total;
  lk.capacity = capacity;
  lk.split = f.split;
  try {
    return evaluate(out, total, capacity, f.values[0]);
  } catch (const LinkFail& e) {
    return linkfailure(e, f.words.empty() ? std::int16_t{0} : f.words.back(), n + 1);
  }
}

// Links the words of l into the combined arrays: codes[0..total) (the
// rest of `capacity` entries cleared) and l.out, with the expression state
// as linking leaves it. Returns total; throws LinkFail.
std::int32_t linkwords(Linker& l, std::span<std::int16_t> codes, std::int32_t capacity) {
  using namespace core;
  auto& x = xeqexpr;
  if (streamcodes.size() <= static_cast<std::size_t>(l.streamroom()))
    streamcodes.resize(static_cast<std::size_t>(l.streamroom()) + 1);
  l.t = streamcodes;
  x.opflags = 0;
  x.nelem = big;
  x.iseg = 0;
  x.seglen.fill(big);
  x.nstream = x.ndescr = x.idescr = x.lhsdescr = x.swappos = 0;
  std::span<std::int32_t> out = l.out;
  std::fill(out.begin(), out.begin() + std::max(capacity, 0), 0);
  l.link();
  x.nstream = l.k;
  if (x.opflags == 1) x.nelemall = 1;
  if (x.nelem == big) x.nelem = 1;
  // Relabel the references made before any split.
  x.idescr = x.ndescr;
  for (std::int32_t j = 1; j <= x.ndescr; ++j)
    if (tokbeg(j) == xeqop::beforesplit) {
      if (l.split == 0)
        tokbeg(j) = xeqop::reference;
      else if (l.closeflags != 0 && (l.folded >> j & 1u) == 0)
        tokbeg(j) = xeqop::closedtarget;
    }
  // A fold over the array that the statement writes element by element
  // reads the array as it was before the statement.
  for (std::int32_t j = 1; j <= x.ndescr; ++j)
    if ((l.folded >> j & 1u) != 0)
      for (std::int32_t i = 1; i <= x.ndescr; ++i)
        if (tokbeg(i) == xeqop::closedtarget && tokend(i) == tokend(j))
          tokbeg(j) = xeqop::readwhilewritten;
  const std::int32_t total = x.ndescr + l.k + 1;
  if (total > capacity) l.overrun();
  // Assemble: the stream moves up behind the header and the descriptors.
  std::fill(codes.begin(), codes.begin() + capacity, std::int16_t{0});
  for (std::int32_t s = l.k; s >= 1; --s) {
    codes[static_cast<std::size_t>(x.ndescr + s)] = l.t[static_cast<std::size_t>(s)];
    out[static_cast<std::size_t>(x.ndescr + s)] = out[static_cast<std::size_t>(s - 1)];
  }
  codes[0] = 0;
  out[0] = l.split + x.ndescr;
  for (std::int32_t j = 1; j <= x.ndescr; ++j) {
    codes[static_cast<std::size_t>(j)] = tokbeg(j);
    out[static_cast<std::size_t>(j)] = tokend(j);
  }
  return total;
}

// Keeps a statement's linked form (its arrays and the state after linking).
void keep(LinkedForm& f, const Linker& l, std::span<const std::int16_t> words,
          std::span<const std::int16_t> codes, std::span<const std::int32_t> out,
          std::int32_t total) {
  const auto& x = xeqexpr;
  const auto used = static_cast<std::ptrdiff_t>(total);
  f.words.assign(words.begin(), words.end());
  f.codes.assign(codes.begin(), codes.begin() + used);
  f.values.assign(out.begin(), out.begin() + used);
  f.split = l.split;
  f.labelmsg = l.labelmsg;
  f.nstream = x.nstream;
  f.ndescr = x.ndescr;
  f.opflags = x.opflags;
  f.nelem = x.nelem;
  f.iseg = x.iseg;
  f.seglen = x.seglen;
  f.lhsdescr = x.lhsdescr;
  f.swappos = x.swappos;
  f.valid = true;
}

}  // namespace

std::int32_t XEQ2(std::span<const std::int16_t> words, std::span<std::int32_t> out) {
  using namespace core;
  auto& x = xeqexpr;
  const auto nwords = static_cast<std::int32_t>(words.size());
  // Set-up.
  x.tmpcell0 = iresult + 1;
  if (iresult + 64 >= nname) {
    std::int32_t extra = 64;
    REALLOC(4, extra);
  }
  c1tmptop = textbase() + 1;
  const std::int32_t capacity =
      std::min<std::int32_t>(8 * nwords, static_cast<std::int32_t>(out.size()));

  // A program statement linked before and unchanged since is not linked again.
  LinkedForm* form = nullptr;
  if ((xeqmode & core::runmode::single) == 0 && xeqline >= 1 && xeqline <= std::max(nstmt, 1)) {
    if (linkedforms.size() <= static_cast<std::size_t>(xeqline))
      linkedforms.resize(static_cast<std::size_t>(xeqline) + 1);
    form = &linkedforms[static_cast<std::size_t>(xeqline)];
    if (unchanged(*form, words) && static_cast<std::int32_t>(form->codes.size()) <= capacity)
      return replay(*form, out, capacity, nwords);
    form->valid = false;
    form->operands.clear();
  }

  Linker l;
  l.words = words;
  l.n = nwords;
  l.out = out;
  if (form != nullptr) l.operands = &form->operands;
  codesroom(capacity);
  try {
    const std::int32_t total = linkwords(l, std::span<std::int16_t>(xeqlinked.codes), capacity);
    auto& lk = xeqlinked;
    lk.total = total;
    lk.capacity = capacity;
    lk.split = l.split;
    if (form != nullptr && l.reusable && l.p == nwords + 1)
      keep(*form, l, words, lk.codes, out, total);
    return evaluate(out, total, capacity, out[0]);
  } catch (const LinkFail& f) {
    return linkfailure(f, l.w(std::clamp(l.p, 1, std::max(l.n, 1))), l.p);
  }
}

bool XEQ2LINK(std::span<const std::int16_t> words, LinkedStatement& linked) {
  // Linking writes the expression state and, for a label, `nomsg`: both
  // are put back, as if nothing had been linked.
  const XeqExpr keptexpr = xeqexpr;
  const std::int32_t keptnomsg = core::nomsg;
  const auto nwords = static_cast<std::int32_t>(words.size());
  const std::int32_t capacity = 8 * nwords;
  std::vector<std::int32_t> out(static_cast<std::size_t>(std::max(capacity, 1)));
  std::vector<std::int16_t> codes(out.size());
  LinkedForm f;
  Linker l;
  l.words = words;
  l.n = nwords;
  l.out = out;
  l.operands = &f.operands;
  bool ok = false;
  try {
    const std::int32_t total = linkwords(l, codes, capacity);
    if (l.reusable && l.p == nwords + 1) {
      keep(f, l, words, codes, out, total);
      linked.codes = std::move(f.codes);
      linked.values = std::move(f.values);
      linked.operands = std::move(f.operands);
      linked.split = f.split;
      linked.ndescr = f.ndescr;
      linked.opflags = f.opflags;
      linked.nelem = f.nelem;
      linked.swappos = f.swappos;
      linked.lhsdescr = f.lhsdescr;
      linked.labelmsg = f.labelmsg;
      ok = true;
    }
  } catch (const LinkFail&) {
  }
  xeqexpr = keptexpr;
  core::nomsg = keptnomsg;
  return ok;
}

void reset_xeq2() {
  xeqexpr = XeqExpr{};
  xeqlinked = Linked{};
  xeqfailword = xeqfailpos = 0.0F;
  linkedforms.clear();
}

}  // namespace exec
