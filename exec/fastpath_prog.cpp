// How a linked statement becomes a program: its descriptors become slots
// and lists, its stream steps, each checked against the evaluator's rule
// for that word. A word or an operand kind whose rule a step does not
// follow exactly (ranges, exchanges, the predefined cells, option
// statements, texts read backwards, tables, ...) leaves the statement to
// the general path.
#include <algorithm>
#include <limits>

#include "core/stores.h"
#include "core/xform.h"
#include "exec/fastpath_prog.h"
#include "exec/operators.h"
#include "exec/postfix_eval.h"
#include "exec/varkommas.h"
#include "exec/xeq2.h"

namespace exec::fast {

namespace {

namespace xf = core::xform;

// What an entry of the evaluator's stack holds, as far as the program needs
// to know it when it is made.
enum class E : std::uint8_t { num, text, base };

constexpr std::int32_t maxtemps = 31;

std::uint16_t failed = 0;  // see makeprogfail()

bool maxmincode(unsigned code) {
  return code == xop::max || code == xop::min || code == xop::maxloc || code == xop::minloc;
}

// One-operand codes of numbers: those of unanumeric's table, and SUM, TRIM
// and ICHAR, which leave a number as it is.
bool numericunary(unsigned code) {
  return unanumericcode(code) || code == xop::sum || code == xop::trim || code == xop::ichar;
}

struct Maker {
  const LinkedStatement& L;
  Prog& g;
  std::vector<std::pair<std::int32_t, std::int16_t>>& types;
  std::vector<E> st;                 // the evaluator's stack, entry by entry
  std::vector<std::int32_t> slotof;  // descriptor -> slot
  std::vector<std::int32_t> listof;  // descriptor -> list
  std::vector<std::int32_t> bases;   // slots of the array bases waiting for their closers
  std::int32_t nd = 0;
  std::int32_t nums = 0, texts = 0;  // entries of the program's two stacks
  bool target = false;               // the target was taken
  E targetkind = E::num;             // what it takes: a number or a text

  std::uint32_t code(std::size_t i) const { return static_cast<std::uint16_t>(L.codes[i]); }

  void step(P op, std::uint32_t c = 0, std::int32_t a = 0, std::int32_t b = 0) {
    g.steps.push_back({op, 0, static_cast<std::uint16_t>(c), a, b});
  }
  void push(E e) {
    st.push_back(e);
    g.depth = std::max(g.depth, static_cast<std::int32_t>(st.size()));
    if (e == E::num) g.numdepth = std::max(g.numdepth, ++nums);
    if (e == E::text) g.textdepth = std::max(g.textdepth, ++texts);
  }
  // The top entries are of these kinds (top last).
  bool top(std::initializer_list<E> kinds) const {
    if (st.size() < kinds.size()) return false;
    std::size_t i = st.size() - kinds.size();
    for (const E k : kinds)
      if (st[i++] != k) return false;
    return true;
  }
  void pop(std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (st.back() == E::num) --nums;
      if (st.back() == E::text) --texts;
      st.pop_back();
    }
  }
  bool lastis(P op) const { return !g.steps.empty() && g.steps.back().op == op; }

  std::int16_t typeof_(std::int32_t s) const {
    for (const auto& [sym, t] : L.operands)
      if (sym == s) return static_cast<std::int16_t>(t);
    return s >= 1 && s <= core::nname && core::name.valid(s) ? core::name(s).type : 0;
  }

  bool descriptors() {
    slotof.assign(static_cast<std::size_t>(nd) + 1, -1);
    listof.assign(static_cast<std::size_t>(nd) + 1, -1);
    // A whole array as the target: the statement runs in passes, one for
    // each of its elements.
    for (std::int32_t j = 1; j <= nd; ++j) {
      if (code(static_cast<std::size_t>(j)) != 5017) continue;
      if (g.passes || j != L.lhsdescr) return false;
      g.passes = true;
    }
    for (std::int32_t j = 1; j <= nd; ++j) {
      const std::uint32_t kind = code(static_cast<std::size_t>(j));
      const std::int32_t v = L.values[static_cast<std::size_t>(j)];
      failed = static_cast<std::uint16_t>(kind);
      if (kind == 5010) {
        listof[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(g.lists.size());
        g.lists.push_back({g.listvalues, std::max(v, 1)});
        g.listvalues += std::max(v, 1);
        g.cells += std::max(v, 1);
        continue;
      }
      // A whole text as the target runs the statement in passes that no
      // step follows; a table file is the files' business.
      if (kind != 5001 && kind != 5004 && kind != 5009 && kind != 5017) return false;
      if (v < 1 || v > core::nsym) return false;
      const std::int16_t t = typeof_(v);
      types.emplace_back(v, t);
      Slot s;
      s.sym = v;
      const int masked = static_cast<std::uint16_t>(t) & 0x7FF;
      if ((masked & 0x110) == 0x10) {
        s.array = true;
        // (A statement in passes that reads `$` reads the array it writes
        // as it stands: no copy.)
        s.copy = kind == 5004 && !(g.passes && (L.opflags & 2) != 0);
        if (kind == 5017) g.passtarget = static_cast<std::int32_t>(g.slots.size());
      } else if (kind == 5017) {
        return false;
      } else if ((masked & 0x140) == 0x40) {
        s.copy = kind == 5004 && L.swappos == 0;
        g.texts = true;
        if (s.copy) g.cells += 1;
      } else {
        return false;
      }
      slotof[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(g.slots.size());
      g.slots.push_back(s);
    }
    return true;
  }

  std::int32_t slot(std::int32_t d, bool array) const {
    if (d < 1 || d > nd) return -1;
    const std::int32_t s = slotof[static_cast<std::size_t>(d)];
    return s >= 0 && g.slots[static_cast<std::size_t>(s)].array == array ? s : -1;
  }
  std::int32_t list(std::int32_t d) const {
    return d >= 1 && d <= nd ? listof[static_cast<std::size_t>(d)] : -1;
  }

  // A fold (segment): its body is one list element or one array's element.
  bool fold(std::size_t& i, std::size_t total) {
    const auto fn = static_cast<std::uint16_t>(L.values[i]);
    const std::size_t b = i + 1;
    if (b + 1 < total && xf::ismovedargs(static_cast<std::int16_t>(code(b))) &&
        code(b + 1) == 5012 && maxmincode(fn)) {
      // (The element of a list is read up to the statement's largest count:
      // the last element again and again, which MAX and MIN do not mind.)
      const std::int32_t l = list(L.values[b]);
      if (l < 0) return false;
      step(P::fold, fn, l, 0);
      i = b + 1;
    } else if (b + 2 < total && code(b) == 5002 && (code(b + 1) == 5003 || code(b + 1) == 5019) &&
               code(b + 2) == 5012 && (maxmincode(fn) || fn == xop::sum)) {
      const std::int32_t s = slot(L.values[b], true);
      if (s < 0) return false;
      step(P::fold, fn, s, 1);
      i = b + 2;
    } else {
      return false;
    }
    g.cells += 1;
    push(E::num);
    return true;
  }

  // A two-number step (its operands from the number stack: operandcells
  // takes them from cells afterwards).
  void binstep(P op, std::uint32_t c) {
    PStep s{op, 0, static_cast<std::uint16_t>(c), 0, 0};
    if (op == P::rel) s.code = static_cast<std::uint16_t>(exprrel(c));
    g.steps.push_back(s);
  }

  bool binary(std::uint32_t w) {
    const unsigned c = core::cwcode(w);
    g.cells += 1;
    if (iscatcode(c)) {
      if (!top({E::text, E::text})) return false;
      pop(2);
      ++g.temps;
      step(P::cat, c);
      push(E::text);
      return true;
    }
    if (top({E::text, E::text}) && (c & 0xB820u) == 0xB820u && exprrel(c) >= 0) {
      pop(2);
      step(P::reltext, static_cast<std::uint32_t>(exprrel(c)));
      push(E::num);
      return true;
    }
    if (!top({E::num, E::num})) return false;
    pop(2);
    switch (c) {
      case xop::plus:
        binstep(P::add, c);
        break;
      case xop::minus:
        binstep(P::sub, c);
        break;
      case xop::times:
        binstep(P::mul, c);
        break;
      case xop::divide:
        binstep(P::div, c);
        break;
      case xop::mod:
        binstep(P::mod, c);
        break;
      default:
        if (maxmincode(c))
          binstep(P::maxmin, c);
        else if (exprrel(c) >= 0)
          binstep(P::rel, c);
        else if (binnumericcode(c))
          binstep(P::bin, c);
        else
          return false;
    }
    push(E::num);
    return true;
  }

  bool unary(std::uint32_t w) {
    const unsigned c = core::cwcode(w);
    g.cells += 1;
    if (top({E::text})) {
      pop(1);
      switch (c) {
        case xop::trim:
          ++g.temps;
          step(P::trim);
          push(E::text);
          return true;
        case xop::len:
          step(P::len);
          break;
        case xop::lentrim:
          step(P::lentrim);
          break;
        case xop::ichar:
          step(P::ichar);
          break;
        default:
          return false;
      }
      push(E::num);
      return true;
    }
    if (!top({E::num}) || !numericunary(c)) return false;
    step(P::una, c);
    return true;
  }

  bool varkommas(std::uint32_t w) {
    const unsigned fn = core::cwcode(w);
    const auto commas = static_cast<unsigned>(core::cwcount(w));
    g.cells += 1;
    if (fn == vkfn::log && commas == 0 && top({E::num})) {
      step(P::log, 0, 0, 1);
    } else if (fn == vkfn::log && commas == 1 && top({E::num, E::num})) {
      pop(1);
      step(P::log, 0, 0, 2);
    } else if (fn == vkfn::index && commas == 1 && top({E::text, E::text})) {
      pop(2);
      step(P::index);
      push(E::num);
    } else if (fn == vkfn::chr && commas == 0 && top({E::num})) {
      pop(1);
      ++g.temps;
      g.cells += 1;
      g.texts = true;
      step(P::chr);
      push(E::text);
    } else {
      return false;
    }
    return true;
  }

  // At the assignment split: the entry on top is the target. The step that
  // pushed it gives its place instead.
  bool taketarget() {
    target = true;
    if (st.empty()) return false;
    targetkind = st.back();
    if (st.back() == E::num && lastis(P::num)) {
      const std::int32_t c = g.steps.back().a;
      // A variable's own cell: no constant, array, text or label (nor a
      // predefined cell, which the evaluator sets itself).
      if (c <= 6 || c > core::nsym || (static_cast<std::uint16_t>(typeof_(c)) & 0x53) != 0)
        return false;
      g.steps.back().op = P::tcell;
    } else if (st.back() == E::num && lastis(P::elem) && !g.passes) {
      g.steps.back().op = P::telem;
    } else if (st.back() == E::num && lastis(P::pelem) && g.steps.back().a == g.passtarget) {
      g.steps.back().op = P::tpelem;
    } else if (st.back() == E::text && (lastis(P::text) || lastis(P::substr))) {
      step(P::ttext);
    } else {
      return false;
    }
    pop(1);
    return true;
  }

  // The steps where a logical IF's gate stood (none: past every step) and
  // those up to the last block's.
  std::size_t gatestep = std::numeric_limits<std::size_t>::max(), blocksdone = 0;

  bool entries() {
    const std::size_t total = L.codes.size();
    const std::int32_t hdr = L.split + nd;  // (1-based) the last entry of the target side
    bool assigned = false, condition = false;
    for (std::size_t i = static_cast<std::size_t>(nd) + 1; i < total; ++i) {
      const std::uint32_t w = code(i);
      const std::int32_t v = L.values[i];
      failed = static_cast<std::uint16_t>(w);
      if (assigned && w != 0x8000u) return false;
      if (w == 0x8000u) break;
      if (L.split != 0 && !target && static_cast<std::int32_t>(i) + 1 > hdr && !taketarget())
        return false;
      if (g.passes && w == 1 && v == 1) {
        // `$`: the pass number.
        step(P::pass);
        push(E::num);
        continue;
      }
      if (evaldetail::isplainoperand(w)) {
        if (v < 1) return false;  // a placeholder of an omitted bound
        if (v <= core::nsym) types.emplace_back(v, typeof_(v));
        step(P::num, 0, v);
        push(E::num);
        continue;
      }
      switch (w) {
        case 5002: {
          // An array's base: its closer makes the element.
          const std::int32_t s = slot(v, true);
          if (s < 0) return false;
          if (g.passes && i + 1 < total && (code(i + 1) == 5003 || code(i + 1) == 5019)) {
            // The element the pass stands at (on the read side it sets the
            // corner cells too).
            if (code(i + 1) == 5019) g.corner = true;
            step(P::pelem, 0, s);
            push(E::num);
            ++i;
            continue;
          }
          bases.push_back(s);
          push(E::base);
          continue;
        }
        case 5005:
        case 5006: {
          const bool two = w == 5006;
          if (two ? !top({E::base, E::num, E::num}) : !top({E::base, E::num})) return false;
          if (bases.empty() || code(i - 1) == 5014 || code(i - 1) == 5015) return false;
          // (An element of the array the passes write is read as it stands
          // after the passes before: the general path's.)
          if (g.passes && g.slots[static_cast<std::size_t>(bases.back())].sym ==
                              g.slots[static_cast<std::size_t>(g.passtarget)].sym)
            return false;
          step(P::elem, 0, bases.back(), two ? 2 : 1);
          bases.pop_back();
          pop(two ? 3 : 2);
          push(E::num);
          continue;
        }
        case 5013: {
          const std::int32_t s = slot(v, false);
          if (s < 0) return false;
          step(P::text, 0, s);
          push(E::text);
          continue;
        }
        case 0xF340:
          continue;
        case core::cwu(xf::ifgate):
          // A logical IF's statement has blocks of its own: they follow.
          gatestep = g.steps.size();
          continue;
        case 5015:
          // The bounds of a piece stay for the piece's word.
          if (i + 1 >= total || code(i + 1) != 0xF360u) return false;
          continue;
        case 0xF360:
          if (!top({E::text, E::num, E::num})) return false;
          pop(3);
          ++g.temps;
          step(P::substr);
          push(E::text);
          continue;
        case 0xF350:
          if (!top({E::text, E::num})) return false;
          pop(2);
          ++g.temps;
          step(P::onechar);
          push(E::text);
          continue;
        case 0xC880:
          if (!top({E::num})) return false;
          g.cells += 1;
          step(P::neg);
          continue;
        case 0xF140:
          if (!top({E::num}) || condition || L.split == 0 || g.passes) return false;
          condition = true;
          pop(1);
          step(P::ifnot);
          if (gatestep <= blocksdone) {
            // The condition decided first, then the statement's blocks, as
            // the evaluator takes them (each leaves the stack as it was).
            const auto at = [this](std::size_t k) {
              return g.steps.begin() + static_cast<std::ptrdiff_t>(k);
            };
            std::rotate(at(gatestep), at(blocksdone), g.steps.end());
          }
          continue;
        case 5011:
          if (g.passes || !fold(i, total)) return false;
          continue;
        default:
          break;
      }
      if (xf::isblockend(static_cast<std::int16_t>(w))) {
        const std::int32_t l = list(v);
        if (l < 0) return false;
        const std::int32_t size = g.lists[static_cast<std::size_t>(l)].size;
        std::int32_t m = 0;
        while (m < size && static_cast<std::size_t>(m) < st.size() &&
               st[st.size() - 1 - static_cast<std::size_t>(m)] == E::num)
          ++m;
        // (The list takes the top entries, as many as it has room for.)
        if (static_cast<std::size_t>(m) <
            std::min<std::size_t>(static_cast<std::size_t>(size), st.size()))
          return false;
        pop(static_cast<std::size_t>(m));
        step(P::list, 0, l, m);
        blocksdone = g.steps.size();
        if (m < size) g.lists[static_cast<std::size_t>(l)].size = std::max(m, 1);
        if (m == 0) g.listclear = true;
        continue;
      }
      if (xf::ismovedargs(static_cast<std::int16_t>(w))) {
        // Outside a fold the list's first value.
        const std::int32_t l = list(v);
        if (l < 0) return false;
        step(P::ref, 0, l);
        push(E::num);
        continue;
      }
      if (w == 0x8880u) {
        // A single value into a number's cell or a text.
        // (A number into a text and a text into a number are written and
        // read as the general path does.)
        if (v != 0 || !target || st.size() != 1 || st.back() != targetkind) return false;
        step(P::assign, 0, 0, st.back() == E::text ? 1 : 0);
        pop(1);
        assigned = true;
        continue;
      }
      if (w == 0xF400u || w == 0xF480u) {
        // A block IF or ELSEIF: the condition, then the statement to go to.
        if (L.split != 0 || st.size() != 1 || st.back() != E::num || i + 2 >= total ||
            code(i + 2) != 0x8000u || static_cast<std::int16_t>(L.codes[i + 1]) <= 0)
          return false;
        g.blockkind = w;
        g.target = static_cast<std::int16_t>(L.codes[i + 1]);
        return true;
      }
      if ((w & 0x8020u) == 0x8020u) {
        if (!binary(w)) return false;
        continue;
      }
      if ((w & 0x6800u) == 0x6800u) {
        if (!unary(w)) return false;
        continue;
      }
      if (core::isstmtword(w) && (w & 0xF800u) != 0xF800u) {
        if (!varkommas(w)) return false;
        continue;
      }
      return false;
    }
    if (assigned) return !g.passes || target;
    if (g.passes) return false;
    // A value alone: it becomes the statement's result.
    if (L.split != 0 || condition || st.size() != 1 ||
        (st.back() != E::num && st.back() != E::text))
      return false;
    step(P::result, 0, 0, st.back() == E::text ? 1 : 0);
    return true;
  }
};

}  // namespace

std::uint16_t makeprogfail() { return failed; }

// A list whose values are cells pushed just before it and that is read only
// outside folds (its first value): those reads read the first cell.
void listsofcells(Prog& g) {
  std::vector<PStep>& st = g.steps;
  for (std::size_t i = 0; i < st.size(); ++i) {
    if (st[i].op != P::list || st[i].b < 1 || static_cast<std::size_t>(st[i].b) > i) continue;
    const std::int32_t l = st[i].a, m = st[i].b;
    bool cells = true;
    for (std::int32_t k = 1; k <= m; ++k)
      cells = cells && st[i - static_cast<std::size_t>(k)].op == P::num;
    for (const PStep& s : st) cells = cells && !(s.op == P::fold && s.b == 0 && s.a == l);
    if (!cells) continue;
    const std::int32_t first = st[i - static_cast<std::size_t>(m)].a;
    for (PStep& s : st)
      if (s.op == P::ref && s.a == l) s = PStep{P::num, 0, 0, first, 0};
    st.erase(st.begin() + static_cast<std::ptrdiff_t>(i) - m,
             st.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    i -= static_cast<std::size_t>(m) + 1;
  }
}

// Whether a step takes or leaves a text.
bool textstep(const PStep& s) {
  switch (s.op) {
    case P::text:
    case P::substr:
    case P::onechar:
    case P::cat:
    case P::trim:
    case P::len:
    case P::lentrim:
    case P::ichar:
    case P::index:
    case P::chr:
    case P::reltext:
    case P::ttext:
      return true;
    case P::assign:
    case P::result:
      return s.b == 1;
    default:
      return false;
  }
}

// A text operand that a step reads: a text variable (its slot) whole
// (kind 0), one character of it (1) or a piece between two places (2), its
// steps from `start` (the variable's) to the step before the reader, the
// number steps between them its places.
struct Operand {
  std::int32_t slot = -1;
  std::uint32_t kind = 0;
  std::size_t start = 0;
};

// The operand whose steps end just before step `end`; false when it is no
// variable's text (or piece of one) that can be read where it stands (one
// the statement writes is read from a copy).
bool operandbefore(const Prog& g, std::size_t end, Operand& o) {
  const std::vector<PStep>& st = g.steps;
  if (end == 0) return false;
  std::size_t j = end - 1;
  o.kind = 0;
  if (st[j].op == P::onechar || st[j].op == P::substr) {
    o.kind = st[j].op == P::onechar ? 1 : 2;
    while (j > 0 && !textstep(st[j - 1])) --j;
    if (j == 0) return false;
    --j;
  }
  if (st[j].op != P::text) return false;
  o.slot = st[j].a;
  o.start = j;
  return !g.slots[static_cast<std::size_t>(o.slot)].copy;
}

// Removes an operand's own steps (its numbers stay), which end at `end`.
void dropoperand(std::vector<PStep>& st, const Operand& o, std::size_t end) {
  if (o.kind != 0) st.erase(st.begin() + static_cast<std::ptrdiff_t>(end) - 1);
  st.erase(st.begin() + static_cast<std::ptrdiff_t>(o.start));
}

// Texts of variables, and pieces of them, that a statement only reads are
// read where they stand (the evaluator's piece is a descriptor of the
// variable's characters, no copy): ICHAR, LEN and LEN_TRIM of them, INDEX
// and relations of two of them, and one assigned to another as the whole
// statement, become steps over numbers that read the characters in place.
// A program left with no text then works on numbers alone.
void textsread(Prog& g) {
  std::vector<PStep>& st = g.steps;
  for (std::size_t i = 0; i < st.size(); ++i) {
    const P use = st[i].op;
    if (use == P::ichar || use == P::len || use == P::lentrim) {
      Operand o;
      if (!operandbefore(g, i, o)) continue;
      st[i] = PStep{P::charat, 0, static_cast<std::uint16_t>(use), o.slot,
                    static_cast<std::int32_t>(o.kind)};
      const std::size_t before = st.size();
      dropoperand(st, o, i);
      i -= before - st.size();
    } else if (use == P::reltext || use == P::index) {
      Operand x, y;
      if (!operandbefore(g, i, y) || !operandbefore(g, y.start, x)) continue;
      const std::uint32_t code =
          (use == P::reltext ? st[i].code + 1u : 0u) | x.kind << 8 | y.kind << 10;
      st[i] = PStep{P::pairat, 0, static_cast<std::uint16_t>(code), x.slot, y.slot};
      const std::size_t before = st.size();
      dropoperand(st, y, i);
      dropoperand(st, x, y.start);
      i -= before - st.size();
    }
  }
  const bool copies =
      std::any_of(g.slots.begin(), g.slots.end(), [](const Slot& s) { return !s.array && s.copy; });
  // A text into a text, the statement's last step: the target (a variable
  // or a piece of one) just before the source.
  Operand to, from;
  if (!copies && !st.empty() && st.back().op == P::assign && st.back().b == 1 &&
      operandbefore(g, st.size() - 1, from) && from.start > 0 &&
      st[from.start - 1].op == P::ttext && operandbefore(g, from.start - 1, to) && to.kind != 1) {
    std::vector<PStep> made = st;
    const std::size_t last = made.size() - 1;
    made[last] = PStep{P::textcopy, 0, static_cast<std::uint16_t>(to.kind | from.kind << 2),
                       to.slot, from.slot};
    dropoperand(made, from, last);
    made.erase(made.begin() + static_cast<std::ptrdiff_t>(from.start) - 1);  // the ttext
    dropoperand(made, to, from.start - 1);
    // (Only as a program on numbers alone: runplain runs it.)
    if (std::none_of(made.begin(), made.end(), textstep)) st = std::move(made);
  }
  if (!g.texts) return;
  g.texts = copies || std::any_of(st.begin(), st.end(), textstep);
}

// Operands that steps just before a two-number step push from cells are
// taken from the cells by that step.
void operandcells(Prog& g) {
  std::vector<PStep> out;
  for (const PStep& s : g.steps) {
    const bool two = s.op == P::add || s.op == P::sub || s.op == P::mul || s.op == P::div ||
                     s.op == P::mod || s.op == P::bin || s.op == P::rel || s.op == P::maxmin;
    if (two && s.flag == 0) {
      PStep f = s;
      if (!out.empty() && out.back().op == P::num) {
        f.flag |= 2;
        f.b = out.back().a;
        out.pop_back();
        if (!out.empty() && out.back().op == P::num) {
          f.flag |= 1;
          f.a = out.back().a;
          out.pop_back();
        }
      }
      out.push_back(f);
    } else {
      out.push_back(s);
    }
  }
  g.steps = std::move(out);
}

// A statement in passes: `$` is the pass number; the other predefined
// cells that the passes set are the general path's. On numbers alone,
// its target the whole array.
bool passsteps(Prog& g) {
  bool target = false;
  for (PStep& s : g.steps) {
    switch (s.op) {
      case P::num:
        if (s.a == 1)
          s = PStep{P::pass, 0, 0, 0, 0};
        else if (s.a >= 2 && s.a <= 6)
          return false;
        break;
      case P::tpelem:
        target = true;
        break;
      case P::pass:
      case P::pelem:
      case P::elem:
      case P::add:
      case P::sub:
      case P::mul:
      case P::div:
      case P::mod:
      case P::bin:
      case P::rel:
      case P::maxmin:
      case P::una:
      case P::neg:
      case P::log:
      case P::assign:
        break;
      default:
        return false;
    }
  }
  return target && g.passtarget >= 0 && g.slots[static_cast<std::size_t>(g.passtarget)].array;
}

// The steps of a plain program as they run (Prog::quick), and the highest
// cell they read straight from the store.
void quicksteps(Prog& g) {
  std::vector<QStep> quick;
  g.topcell = 0;
  g.onetest = false;
  for (std::size_t i = 0; i < g.steps.size(); ++i) {
    const PStep& s = g.steps[i];
    QStep q{Q::other, s.code, s.a, s.b};
    if ((s.flag & 1) != 0) g.topcell = std::max(g.topcell, s.a);
    if ((s.flag & 2) != 0) g.topcell = std::max(g.topcell, s.b);
    const int from = s.flag & 3;
    switch (s.op) {
      case P::num:
        q.op = Q::num;
        g.topcell = std::max(g.topcell, s.a);
        break;
      case P::una:
        q.op = Q::una;
        break;
      case P::neg:
        q.op = Q::neg;
        break;
      case P::elem:
      case P::telem: {
        const bool target = s.op == P::telem;
        q.op = s.b == 1 ? (target ? Q::telem1 : Q::elem1) : (target ? Q::telem2 : Q::elem2);
        // Indices that the steps just before push from cells are read
        // from the cells.
        const std::size_t n = quick.size();
        if (s.b == 1 && n >= 1 && quick[n - 1].op == Q::num) {
          q.op = target ? Q::telemc1 : Q::elemc1;
          q.b = quick[n - 1].a;
          quick.pop_back();
        } else if (s.b == 2 && n >= 2 && quick[n - 1].op == Q::num && quick[n - 2].op == Q::num) {
          q.op = target ? Q::telemc2 : Q::elemc2;
          q.b = quick[n - 2].a;
          q.c = quick[n - 1].a;
          quick.resize(n - 2);
        }
        break;
      }
      case P::tcell:
        q.op = Q::tcell;
        break;
      case P::assign:
        q.op = Q::assign;
        break;
      case P::ifnot:
        q.op = Q::ifnot;
        break;
      case P::result:
        q.op = Q::result;
        break;
      case P::textcopy:
        q.op = Q::textcopy;
        break;
      case P::add:
        q.op = Q::add + from;
        break;
      case P::sub:
        q.op = Q::sub + from;
        break;
      case P::mul:
        q.op = Q::mul + from;
        break;
      case P::div:
        q.op = Q::div + from;
        break;
      case P::mod:
        q.op = Q::mod + from;
        break;
      case P::maxmin:
        q.op = Q::maxmin + from;
        break;
      case P::rel:
        q.op = (g.condrel && i + 1 == g.steps.size() ? Q::test : Q::rel) + from;
        break;
      default:
        q.a = static_cast<std::int32_t>(i);
        break;
    }
    quick.push_back(q);
  }
  quick.push_back(QStep{Q::end});
  // A relation of one operation on two cells with a cell: one step.
  if (g.condrel && quick.size() == 3) {
    const QStep x = quick[0];
    const QStep t = quick[1];
    const Q fused = x.op == Q::add3   ? Q::addtest
                    : x.op == Q::sub3 ? Q::subtest
                    : x.op == Q::mul3 ? Q::multest
                    : x.op == Q::div3 ? Q::divtest
                    : x.op == Q::mod3 ? Q::modtest
                                      : Q::end;
    if (fused != Q::end && t.op == Q::test2) {
      quick = {QStep{fused, t.code, x.a, x.b, t.b}, QStep{Q::end}};
      g.onetest = true;
    }
  }
  g.quick = std::make_unique<QStep[]>(quick.size());
  std::copy(quick.begin(), quick.end(), g.quick.get());
}

bool makeprog(const LinkedStatement& linked, Prog& prog,
              std::vector<std::pair<std::int32_t, std::int16_t>>& types) {
  prog = Prog{};
  failed = 0;
  if (linked.swappos != 0 || linked.labelmsg != 0 || linked.nelem != 1) return false;
  Maker m{linked, prog, types, {}, {}, {}, {}, linked.ndescr};
  if (!m.descriptors() || !m.entries()) return false;
  failed = 0;
  listsofcells(prog);
  textsread(prog);
  if (prog.passes && !passsteps(prog)) return false;
  operandcells(prog);
  prog.nlinked = linked.ndescr;
  prog.total = static_cast<std::int32_t>(linked.codes.size());
  prog.cells += 4;
  // (Lists whose values are cells are gone by now: listsofcells.)
  prog.plain = !prog.texts && prog.numdepth < plaindepth &&
               std::none_of(prog.steps.begin(), prog.steps.end(), [](const PStep& s) {
                 return s.op == P::list || s.op == P::ref || (s.op == P::fold && s.b == 0);
               });
  prog.condrel = prog.plain && prog.blockkind != 0 && prog.steps.back().op == P::rel;
  if (prog.plain) quicksteps(prog);
  if (prog.passes) {
    // (Only runpasses runs it.)
    if (!prog.plain || prog.blockkind != 0 || prog.numdepth >= plaindepth) return false;
    prog.plain = false;
  }
  return prog.nlinked + prog.temps <= maxtemps;
}

}  // namespace exec::fast
