// How a statement's words become a fast form. Only shapes whose general
// evaluation is one pass over plain numbers qualify; everything else gets
// Kind::none and stays with the general path.
#include <algorithm>
#include <array>
#include <optional>

#include "core/codeword_dump.h"
#include "core/codewords.h"
#include "core/program.h"
#include "core/stores.h"
#include "exec/builtins.h"
#include "exec/control.h"
#include "exec/fastpath_form.h"
#include "exec/xeq2.h"

namespace exec::fast {

namespace {

using core::name;

constexpr std::uint16_t ifword = 0xF140;
constexpr std::uint16_t splitword = 0x8840;
constexpr std::uint16_t assignword = 0x8880;
constexpr std::uint16_t onecloser = 0xF050;
constexpr std::uint16_t negword = 0xC880;
constexpr std::uint16_t enddoword = 0xEC40;
constexpr std::uint16_t continueword = 0xECA0;

constexpr std::size_t longest = 64;

std::uint16_t u16(std::int16_t w) { return static_cast<std::uint16_t>(w); }

// Whether a statement's words end in a label and CONTINUE: a labelled
// statement that ends DO loops.
bool endsloops(std::span<const std::int16_t> w) {
  const std::size_t n = w.size();
  return n >= 4 && u16(w[n - 2]) == continueword && w[n - 3] > 0;
}

// Whether a statement is the FUNCTION line itself: its header word (the
// statement's word, no reference has a count of 0 after another) after
// the word that names the function with its formals.
bool functionline(std::span<const std::int16_t> w) {
  const std::size_t n = w.size();
  return n >= 3 && u16(w[n - 2]) == wfunction && w[n - 3] < 0 &&
         core::cwcode(u16(w[n - 3])) == wfunction;
}

// A word of the statement as the code-word table names it (its hex value
// when the table has no name for it).
std::string wordtext(std::int16_t w) {
  return core::cwdump::dump(std::span<const std::int16_t>(&w, 1), core::cwdump::Space::executor);
}

std::string hex(unsigned w) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string s = "0000";
  for (int i = 3; i >= 0; --i, w >>= 4) s[static_cast<std::size_t>(i)] = digits[w & 0xF];
  return s;
}

bool arithcode(unsigned code) {
  return code == xop::plus || code == xop::minus || code == xop::times || code == xop::divide;
}

// Steps whose operand is a cell pushed by the step just before take the
// cell themselves.
bool cellbefore(const std::vector<Step>& out, std::size_t back) {
  return out.size() >= back && out[out.size() - back].op == Op::cell;
}
void binstep(std::vector<Step>& out, unsigned code) {
  Step s{.op = Op::bin, .code = code};
  if (cellbefore(out, 1)) {
    s.bcell = true;
    s.b = out.back().a;
    out.pop_back();
    if (cellbefore(out, 1)) {
      s.acell = true;
      s.a = out.back().a;
      out.pop_back();
    }
  }
  out.push_back(s);
}
void elemstep(std::vector<Step>& out, std::int32_t array) {
  Step s{.op = Op::elem, .arg = array};
  if (cellbefore(out, 1)) {
    s.acell = true;
    s.a = out.back().a;
    out.pop_back();
  }
  out.push_back(s);
}

// The statement loop's two-operand operators (token codes) that the loop
// gives to its operand handler (MOD, IAND and the like are built-ins).
bool looptoken(std::uint16_t u) {
  switch (u) {
    case xop::tplus:
    case xop::tminus:
    case xop::ttimes:
    case xop::tdivide:
    case xop::tpower:
    case xop::tlt:
    case xop::tgt:
    case xop::tle:
    case xop::tge:
    case xop::teq:
    case xop::tne:
      return true;
    default:
      return false;
  }
}

struct Compiler {
  Form& f;

  void namearray(std::int32_t a) {
    if (std::find(f.arrays.begin(), f.arrays.end(), a) == f.arrays.end()) f.arrays.push_back(a);
  }

  void cellstep(std::vector<Step>& out, std::int32_t cell) {
    out.push_back({.op = Op::cell, .a = cell});
    f.topcell = std::max(f.topcell, cell);
  }

  // The type of symbol s, recorded; nothing for a word that names no symbol.
  std::optional<int> typeof_(std::int16_t s) {
    if (s <= 6 || s > core::nsym || s > core::nname) return std::nullopt;
    const std::int16_t type = name(s).type;
    if (std::find_if(f.types.begin(), f.types.end(), [s](const auto& e) { return e.first == s; }) ==
        f.types.end())
      f.types.emplace_back(s, type);
    const auto t = static_cast<std::uint16_t>(type);
    if ((t & 0xF800u) != 0) return std::nullopt;
    return static_cast<int>(t);
  }
  static bool plainnumber(int t) { return t == 0x80 || t == 0x81 || t == 0xA0 || t == 0xA1; }

  // The words [from, to) as one value; false when they are not a plain
  // numeric expression.
  bool expression(std::span<const std::int16_t> w, Expr& e) {
    if (!steps(w, e.steps)) return false;
    const std::vector<Step>& s = e.steps;
    e.shape = Expr::list;
    if (s.size() == 1 && s[0].op == Op::cell) {
      e.shape = Expr::cell;
      e.a = s[0].a;
    } else if (s.size() == 1 && s[0].op == Op::bin && s[0].acell && s[0].bcell &&
               arithcode(s[0].code)) {
      e.shape = Expr::arith;
      e.a = s[0].a;
      e.b = s[0].b;
      e.code = s[0].code;
    } else if (s.size() == 2 && s[0].op == Op::bin && s[0].acell && s[0].bcell &&
               arithcode(s[0].code) && s[1].op == Op::bin && !s[1].acell && s[1].bcell &&
               arithcode(s[1].code)) {
      e.shape = Expr::arith2;
      e.a = s[0].a;
      e.b = s[0].b;
      e.code = s[0].code;
      e.c = s[1].b;
      e.code2 = s[1].code;
    } else if (s.size() == 1 && s[0].op == Op::bin && s[0].acell && s[0].bcell &&
               exprrel(s[0].code) >= 0) {
      e.shape = Expr::compare;
      e.a = s[0].a;
      e.b = s[0].b;
      e.rel = exprrel(s[0].code);
    } else if (!s.empty() && s[0].op == Op::elem && s[0].acell &&
               (s.size() == 1 || (s.size() == 2 && s[1].op == Op::bin && !s[1].acell &&
                                  s[1].bcell && arithcode(s[1].code)))) {
      e.shape = s.size() == 1 ? Expr::elem : Expr::elemop;
      e.array = s[0].arg;
      e.a = s[0].a;
      if (s.size() == 2) {
        e.b = s[1].b;
        e.code = s[1].code;
      }
    }
    return true;
  }

  bool steps(std::span<const std::int16_t> w, std::vector<Step>& out) {
    int depth = 0;
    // Arrays named and waiting for their index: the symbol and the depth
    // below the index.
    std::array<std::pair<std::int32_t, int>, maxdepth> pending{};
    int npending = 0;
    const auto floor = [&] { return npending > 0 ? pending[npending - 1].second : 0; };
    for (const std::int16_t word : w) {
      const std::uint16_t u = u16(word);
      if (word > 0) {
        const auto t = typeof_(word);
        if (!t || depth >= maxdepth) return false;
        if (plainnumber(*t)) {
          cellstep(out, word);
          ++depth;
        } else if (*t == 0x10) {
          pending[npending++] = {word, depth};
          namearray(word);
        } else {
          return false;
        }
        continue;
      }
      if (u == onecloser) {
        if (npending == 0 || depth != floor() + 1) return false;
        elemstep(out, pending[--npending].first);
        continue;
      }
      if (u == negword) {
        if (depth - 1 < floor()) return false;
        out.push_back({Op::neg});
        continue;
      }
      if ((u & 0x1Fu) != 0) return false;
      if ((u & 0x8020u) == 0x8020u) {
        if (!binnumericcode(u) || depth - 2 < floor()) return false;
        binstep(out, u);
        --depth;
        f.cells += 1;
        continue;
      }
      if ((u & 0x6800u) == 0x6800u && unanumericcode(u)) {
        if (depth - 1 < floor()) return false;
        out.push_back({.op = Op::una, .code = u});
        f.cells += 1;
        continue;
      }
      return false;
    }
    return depth == 1 && npending == 0;
  }

  // An assignment: -1 0, [condition IF,] target split value assign, end.
  bool assignment(std::span<const std::int16_t> w) {
    const std::size_t n = w.size();
    if (n < 6 || n > longest || w[0] != -1 || w[1] != 0 || w[n - 1] != core::endmark ||
        u16(w[n - 2]) != assignword)
      return false;
    std::size_t ifat = 0, splitat = 0;
    for (std::size_t i = 2; i + 2 < n; ++i) {
      if (u16(w[i]) == ifword) {
        if (ifat != 0 || splitat != 0) return false;
        ifat = i;
      } else if (u16(w[i]) == splitword) {
        if (splitat != 0) return false;
        splitat = i;
      }
    }
    if (splitat == 0) return false;
    if (ifat != 0 && !expression(w.subspan(2, ifat - 2), f.cond)) return false;
    const std::size_t t0 = ifat != 0 ? ifat + 1 : 2;
    if (splitat <= t0) return false;
    const std::int16_t tsym = w[t0];
    const auto t = typeof_(tsym);
    if (!t) return false;
    if (*t == 0x10) namearray(tsym);
    if (splitat == t0 + 1) {
      // A scalar that may be written (not a constant).
      if (*t != 0x80 && *t != 0xA0) return false;
    } else {
      if (*t != 0x10 || u16(w[splitat - 1]) != onecloser) return false;
      if (!expression(w.subspan(t0 + 1, splitat - t0 - 2), f.index)) return false;
    }
    f.target = tsym;
    if (!expression(w.subspan(splitat + 1, n - splitat - 3), f.value)) return false;
    f.cells += 4;
    f.kind = Kind::assign;
    // Every symbol but the target is an array or a number read from its
    // cell (expression takes any type that reads alike).
    for (std::size_t i = 0; i < f.types.size() && i < 32; ++i)
      if (f.types[i].first != tsym && readsalike(f.types[i].second)) f.loose |= 1u << i;
    return true;
  }

  // A block IF or ELSEIF with its condition and the statement its jump
  // names, or an ENDIF: -1 0, [condition,] block word, [statement,] end;
  // or an ELSE: -1, ELSE, statement, end.
  bool block(std::span<const std::int16_t> w) {
    const std::size_t n = w.size();
    if (n == 4 && w[0] == -1 && u16(w[1]) == 0xF440u && w[2] > 0 && w[3] == core::endmark) {
      f.blockkind = 0xF440u;
      f.target = w[2];
      f.cells += 4;
      f.kind = Kind::block;
      return true;
    }
    if (n < 4 || n > longest || w[0] != -1 || w[1] != 0 || w[n - 1] != core::endmark) return false;
    if (n == 4 && u16(w[2]) == 0xF4C0u) {
      f.blockkind = 0xF4C0u;
      f.cells += 4;
      f.kind = Kind::block;
      return true;
    }
    if (n < 6 || (u16(w[n - 3]) != 0xF400u && u16(w[n - 3]) != 0xF480u) || w[n - 2] <= 0)
      return false;
    if (!expression(w.subspan(2, n - 5), f.cond)) return false;
    f.blockkind = u16(w[n - 3]);
    f.target = w[n - 2];
    f.cells += 4;
    f.kind = Kind::block;
    return true;
  }

  // The end of a DO loop: the loop's symbol, ENDDO or CONTINUE, end.
  bool enddo(std::span<const std::int16_t> w) {
    if (w.size() != 3 || w[0] <= 0 || w[2] != core::endmark) return false;
    if (u16(w[1]) != enddoword && u16(w[1]) != continueword) return false;
    if (w[0] > core::nsym || w[0] > core::nname) return false;
    const std::int16_t type = name(w[0]).type;
    f.types.emplace_back(w[0], type);
    const auto t = static_cast<std::uint16_t>(type);
    // Not a dummy argument bound to a cell, nor a table.
    if ((t & 0xA8u) == 0xA0u || (t & 0x100u) != 0) return false;
    f.dosym = w[0];
    f.kind = Kind::enddo;
    return true;
  }

  // A statement of the word path that assigns one value to a plain
  // number: operands that are plain numbers and elements of numeric arrays,
  // operators of the loop's token codes, built-ins of one or two numbers
  // and function references whose actuals are plain numbers, elements or
  // values the statement computed.
  bool wordassign(std::span<const std::int16_t> w) {
    const std::size_t n = w.size();
    if (n < 4 || n > longest || w[n - 1] != core::endmark || u16(w[n - 2]) != 0x8420u || w[0] <= 6)
      return false;
    const auto t = typeof_(w[0]);
    if (!t || *t != 0x80) return false;
    f.target = w[0];
    std::int32_t depth = 1, calls = 0;
    // Per stack entry: what it holds, and for a push its step.
    enum class Entry : std::uint8_t { target, plain, function, result, array, element };
    struct Held {
      Entry what;
      std::size_t step = 0;     // push: its step
      std::int32_t result = 0;  // result: its cell's index; array: its symbol
      std::size_t word = 0;     // push: its word
    };
    // The pushes a reference takes for its own (its function's and its
    // symbol actuals'), by word, and for each reference the pushes below
    // its function (bit: entry): which of them the steps keep on their
    // stack is known only when the statement's last reference is made.
    std::vector<bool> taken(n, false);
    std::vector<std::pair<std::size_t, std::vector<std::pair<std::uint32_t, std::size_t>>>> pushesbelow;
    // (A value an operator or built-in takes.)
    const auto value = [](const Held& h) {
      return h.what == Entry::plain || h.what == Entry::result || h.what == Entry::element;
    };
    std::vector<Held> held = {{Entry::target}};
    for (std::size_t i = 1; i + 2 < n; ++i) {
      const std::uint16_t u = u16(w[i]);
      using Step = Form::WordStep;
      if (w[i] > 0 && typeof_(w[i]) == 0x10 && w[i] > 6) {
        // A numeric array, whose element a subscript takes.
        held.push_back({Entry::array, 0, w[i]});
        ++depth;
      } else if (w[i] > 0) {
        const auto ts = typeof_(w[i]);
        if (!ts) return false;
        const bool fn = (*ts & 0x5) == 0x5;
        if (!fn && (w[i] <= 6 || (*ts != 0x80 && *ts != 0x81))) return false;
        held.push_back({fn ? Entry::function : Entry::plain, f.wordsteps.size(), 0, i});
        f.wordsteps.push_back({.op = Step::push, .sym = w[i]});
        ++depth;
      } else if (looptoken(u)) {
        if (depth < 3 || !value(held.back()) || !value(held[held.size() - 2])) return false;
        f.wordsteps.push_back(
            {.op = Step::bin, .word = w[i], .index = static_cast<std::int32_t>(i)});
        held.pop_back();
        held.back() = {Entry::result, 0, f.nvalues};
        --depth;
        ++f.nvalues;
        f.flagged = true;
      } else if (std::int32_t nargs = 0; numericbuiltin(w[i], nargs) || foldbuiltin(w[i], nargs)) {
        if (nargs < 1 || depth < nargs + 1) return false;
        for (std::int32_t a = 0; a < nargs; ++a)
          if (!value(held[held.size() - 1 - static_cast<std::size_t>(a)])) return false;
        f.wordsteps.push_back({.op = foldbuiltin(w[i], nargs) ? Step::fold : Step::fn,
                               .sym = nargs,
                               .word = w[i],
                               .index = static_cast<std::int32_t>(i)});
        held.resize(held.size() - static_cast<std::size_t>(nargs));
        held.push_back({Entry::result, 0, f.nvalues});
        depth -= nargs - 1;
        ++f.nvalues;
      } else if (core::cwcode(u) == wfunction) {
        const std::int32_t args = core::cwcount(u);
        ++calls;
        if (args > 8 || depth < args + 2) return false;
        const std::size_t top = held.size();
        const Held& fn = held[top - 1 - static_cast<std::size_t>(args)];
        if (fn.what != Entry::function) return false;
        Step c{.op = Step::call,
               .word = w[i],
               .index = static_cast<std::int32_t>(i),
               .depth = depth,
               .first = f.nvalues};
        c.sym = f.wordsteps[fn.step].sym;
        c.outer =
            std::any_of(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(top - 1 - args),
                        [](const Held& h) { return h.what == Entry::function; });
        // The entries below the function that the steps hold when its
        // return resumes them: values computed and elements; a symbol's
        // value unless a reference made later takes it as an actual; no
        // function or array, which a step takes by its symbol. (The
        // function's own entry holds its value then.)
        c.below = 1u << (top - 1 - static_cast<std::size_t>(args));
        auto& below = pushesbelow.emplace_back(i, std::vector<std::pair<std::uint32_t, std::size_t>>{});
        for (std::size_t e = 1; e + 1 + static_cast<std::size_t>(args) < top; ++e) {
          const Held& h = held[e];
          if (h.what == Entry::result || h.what == Entry::element)
            c.below |= 1u << e;
          else if (h.what == Entry::plain)
            below.second.emplace_back(1u << e, h.word);
        }
        // The pushes of the function and of its symbol actuals become the
        // call's own (taken out last first: each lies above the one before).
        std::vector<std::size_t> takensteps = {fn.step};
        for (std::int32_t a = 0; a < args; ++a) {
          const Held& h = held[top - static_cast<std::size_t>(args - a)];
          if (h.what == Entry::plain) {
            c.actuals[static_cast<std::size_t>(a)] = f.wordsteps[h.step].sym;
            takensteps.push_back(h.step);
            taken[h.word] = true;
          } else if (h.what == Entry::result) {
            c.actuals[static_cast<std::size_t>(a)] = h.result;
            c.computed |= static_cast<std::uint8_t>(1u << a);
          } else if (h.what == Entry::element) {
            c.elements |= static_cast<std::uint8_t>(1u << a);
          } else {
            return false;
          }
        }
        for (auto k = takensteps.rbegin(); k != takensteps.rend(); ++k)
          f.wordsteps.erase(f.wordsteps.begin() + static_cast<std::ptrdiff_t>(*k));
        f.wordsteps.push_back(c);
        held.resize(top - 1 - static_cast<std::size_t>(args));
        held.push_back({Entry::result, 0, f.nvalues});
        depth -= args;
        ++f.nvalues;
        f.flagged = false;
      } else if (core::issubscript(u) && core::subscriptcommas(u) <= 1) {
        // An element of the array below its one or two indices: the words
        // leave its cell in their place.
        const std::int32_t k = core::subscriptcommas(u) + 1;
        const std::size_t top = held.size();
        if (depth < k + 2 || f.wordelems == maxelems) return false;
        const Held& a = held[top - 1 - static_cast<std::size_t>(k)];
        if (a.what != Entry::array) return false;
        for (std::int32_t j = 0; j < k; ++j)
          if (!value(held[top - 1 - static_cast<std::size_t>(j)])) return false;
        const std::size_t step = f.wordsteps.size();
        f.wordsteps.push_back({.op = Step::elem,
                               .sym = a.result,
                               .word = w[i],
                               .index = static_cast<std::int32_t>(i)});
        held.resize(top - 1 - static_cast<std::size_t>(k));
        held.push_back({Entry::element, step});
        depth -= k;
        ++f.wordelems;
      } else {
        return false;
      }
      f.maxstack = std::max(f.maxstack, depth);
      if (static_cast<std::size_t>(f.maxstack) >= longeststack) return false;
    }
    if (depth != 2 || !value(held.back())) return false;
    for (Form::WordStep& s : f.wordsteps) {
      if (s.op != Form::WordStep::call) continue;
      for (const auto& [at, pushes] : pushesbelow)
        if (static_cast<std::int32_t>(at) == s.index)
          for (const auto& [bit, word] : pushes)
            if (!taken[word]) s.below |= bit;
    }
    f.wordcalls = static_cast<std::uint8_t>(calls);
    wordshapes(w);
    // (The words leave an element's cell on the stack, which no kept stack
    // can tell: where they go on after a step, its stack is found anew.)
    if (f.wordelems > 0)
      for (Form::WordStep& s : f.wordsteps) s.shape = -1;
    // Its words' handlers, for when it cannot be computed so.
    if (!words(w)) return false;
    f.refshape = calls > 1 ? Form::RefShape::several : refshape(f.wordsteps);
    f.kind = Kind::wordassign;
    return true;
  }

  // The shape of such a statement's steps (of one reference at most) when
  // it is one reference whose actuals are all symbols, alone or with one
  // symbol beside it.
  static Form::RefShape refshape(const std::vector<Form::WordStep>& s) {
    using Step = Form::WordStep;
    using Shape = Form::RefShape;
    const auto reference = [&s](std::size_t i) {
      return s[i].op == Step::call && s[i].computed == 0 && s[i].elements == 0;
    };
    if (s.size() == 1 && reference(0)) return Shape::alone;
    if (s.size() != 3 || s[2].op != Step::bin) return Shape::steps;
    if (s[0].op == Step::push && reference(1)) return Shape::symbolfirst;
    if (reference(0) && s[1].op == Step::push) return Shape::symbolafter;
    return Shape::steps;
  }

  // The operand stack as the words of such a statement leave it before
  // each word of a value step (see Form::wordshapes).
  void wordshapes(std::span<const std::int16_t> w) {
    // (Room for them all at once: a shape per value step, none deeper
    // than the statement's words.)
    std::vector<std::int32_t> stack;
    stack.reserve(w.size());
    f.wordshapes.reserve(f.wordsteps.size() * (3 + static_cast<std::size_t>(f.maxstack) + 1));
    std::int32_t k = 0, flags = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i + 2 < w.size(); ++i) {
      while (next < f.wordsteps.size() && f.wordsteps[next].op == Form::WordStep::push) ++next;
      if (next < f.wordsteps.size() && f.wordsteps[next].index == static_cast<std::int32_t>(i)) {
        f.wordsteps[next++].shape = static_cast<std::int32_t>(f.wordshapes.size());
        f.wordshapes.push_back(static_cast<std::int32_t>(stack.size()));
        f.wordshapes.push_back(k);
        f.wordshapes.push_back(flags);
        const auto symbols =
            std::find_if(stack.begin(), stack.end(), [](std::int32_t e) { return e <= 0; }) -
            stack.begin();
        f.wordshapes.push_back(static_cast<std::int32_t>(symbols));
        f.wordshapes.insert(f.wordshapes.end(), stack.begin(), stack.end());
      }
      const std::uint16_t u = u16(w[i]);
      std::int32_t pops = 0;
      if (w[i] > 0) {
        stack.push_back(w[i]);
        continue;
      }
      if (core::issubscript(u)) {
        // (An element's cell, no result cell: see wordassign().)
        stack.resize(stack.size() - static_cast<std::size_t>(core::subscriptcommas(u) + 2));
        stack.push_back(0);
        flags |= 2;
        continue;
      }
      if (looptoken(u)) {
        pops = 2;
        flags |= 1;
      } else if (core::cwcode(u) == wfunction) {
        pops = core::cwcount(u) + 1;
        flags = 0;
      } else {
        builtinargs(w[i], pops);
      }
      stack.resize(stack.size() - static_cast<std::size_t>(pops));
      stack.push_back(-(++k));
    }
  }

  // A CALL of a subroutine whose actuals are symbols: the subroutine, the
  // actuals, CALL, end. (Its words' handlers too, for when the call is
  // not plain.)
  bool callsub(std::span<const std::int16_t> w) {
    const std::size_t n = w.size();
    if (n < 3 || w[n - 1] != core::endmark || core::cwcode(w[n - 2]) != wcall ||
        n != static_cast<std::size_t>(core::cwcount(w[n - 2])) + 3)
      return false;
    for (std::size_t i = 0; i + 2 < n; ++i) {
      if (w[i] <= 0) return false;
      f.pushes.push_back(w[i]);
    }
    if (!words(w)) return false;
    f.maxstack = static_cast<std::int32_t>(f.pushes.size()) + framesize;
    f.kind = Kind::call;
    return true;
  }

  // END or RETURN alone: the word, end.
  bool ret(std::span<const std::int16_t> w) {
    if (w.size() != 2 || w[1] != core::endmark ||
        (core::cwcode(w[0]) != wend && core::cwcode(w[0]) != wreturn) || !words(w))
      return false;
    f.kind = Kind::ret;
    return true;
  }

  // GOTO label, or IF (a relation b) GOTO label, on the word path: label,
  // GOTO, end; or a, b, relation, IF, label, GOTO, end; or IF (condition)
  // GOTO label whose condition is computed from plain numbers by the loop's
  // operators: its words, IF, label, GOTO, end.
  bool jump(std::span<const std::int16_t> w) {
    std::size_t n = w.size();
    // The loop end after a labelled GOTO alone (the label and CONTINUE) is
    // never reached: the GOTO jumps. Under a false IF the statement goes
    // on to its loop end, which the word path runs.
    std::array<std::int16_t, longest> unlabelled{};
    if (n >= 5 && n <= longest && w[n - 1] == core::endmark && w[n - 3] > 0 &&
        u16(w[n - 2]) == continueword) {
      if (n != 5) return false;
      n -= 2;
      std::copy(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(n - 1), unlabelled.begin());
      unlabelled[n - 1] = core::endmark;
      w = std::span<const std::int16_t>(unlabelled.data(), n);
    }
    f.gotoat = static_cast<std::int32_t>(n) - 2;
    const bool plain = n == 3;
    if (n < 3 || n > longest || w[n - 1] != core::endmark || u16(w[n - 2]) != 0xE020u ||
        w[n - 3] <= 0)
      return false;
    const auto label = typeof_(w[n - 3]);
    if (!label || (*label & 0x7FF) != 2) return false;
    f.label = w[n - 3];
    if (!plain && (n != 7 || looprel(u16(w[2])) < 0 || w[0] <= 0 || w[1] <= 0))
      return computedjump(w.first(n - 3));
    if (!plain) {
      const int rel = looprel(u16(w[2]));
      if (u16(w[3]) != 0xE040u || rel < 0 || w[0] <= 0 || w[1] <= 0) return false;
      for (const std::int16_t s : {w[0], w[1]}) {
        const auto t = typeof_(s);
        if (!t || (*t != 0x80 && *t != 0x81 && *t != 0xA0 && *t != 0xA1)) return false;
      }
      f.left = w[0];
      f.right = w[1];
      f.jumprel = rel;
      f.nvalues = 1;
    }
    f.kind = Kind::jump;
    return true;
  }

  // The condition's words and the IF of a computed jump (see jump): the
  // pushes of plain numbers and the operators become word steps (a push's
  // cell, in `index`, is found by ready()).
  bool computedjump(std::span<const std::int16_t> w) {
    const std::size_t n = w.size();
    if (n < 2 || u16(w[n - 1]) != 0xE040u) return false;
    std::int32_t depth = 0;
    for (const std::int16_t word : w.first(n - 1)) {
      using Step = Form::WordStep;
      if (word > 0) {
        const auto t = typeof_(word);
        if (!t || !plainnumber(*t)) return failjump();
        f.wordsteps.push_back({.op = Step::push, .sym = word});
        ++depth;
      } else if (looptoken(u16(word)) && depth >= 2) {
        f.wordsteps.push_back({.op = Step::bin, .word = word});
        --depth;
        ++f.nvalues;
      } else {
        return failjump();
      }
      f.maxstack = std::max(f.maxstack, depth);
    }
    if (depth != 1 || static_cast<std::size_t>(f.maxstack) >= longeststack ||
        static_cast<std::size_t>(f.nvalues) >= longeststack)
      return failjump();
    f.kind = Kind::jump;
    return true;
  }
  bool failjump() {
    f.wordsteps.clear();
    f.nvalues = f.maxstack = 0;
    return false;
  }

  // The one-line IF that a statement of words starts with, when its
  // condition is computed from plain numbers by the loop's operators (as
  // for a computed jump): the condition's word steps, the IF's place in
  // `gotoat`, so that an IF found false ends the statement at once. (Not
  // for a labelled statement: its loop end runs after a false IF.)
  void guard(std::span<const std::int16_t> w) {
    // (Steps left by a shape that did not fit are no guard.)
    f.wordsteps.clear();
    const std::size_t n = w.size();
    if (endsloops(w)) return;
    std::vector<Form::WordStep> steps;
    std::int32_t depth = 0, values = 0, deepest = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
      using Step = Form::WordStep;
      const std::int16_t word = w[i];
      if (u16(word) == 0xE040u) {
        if (depth != 1) return;
        f.wordsteps = std::move(steps);
        f.nvalues = values;
        f.gotoat = static_cast<std::int32_t>(i);
        return;
      }
      if (word > 0) {
        const auto t = typeof_(word);
        if (!t || !plainnumber(*t)) return;
        steps.push_back({.op = Step::push, .sym = word});
        ++depth;
      } else if (looptoken(u16(word)) && depth >= 2) {
        steps.push_back({.op = Step::bin, .word = word});
        --depth;
        ++values;
      } else {
        return;
      }
      deepest = std::max(deepest, depth);
      if (static_cast<std::size_t>(deepest) >= longeststack ||
          static_cast<std::size_t>(values) >= longeststack)
        return;
    }
  }

  // A statement of the word path whose every word has a handler of its
  // own: symbol operands, array elements, operators of the loop's token
  // codes, the plain assignment, and calls, function references, returns,
  // jumps, one-line IFs and DO headers.
  bool words(std::span<const std::int16_t> w) {
    const std::size_t n = w.size();
    if (n < 2 || w[n - 1] != core::endmark || w[0] == 1 || w[0] == -1) return false;
    f.tags.clear();
    f.tags.reserve(n);
    for (std::size_t i = 0; i + 1 < n; ++i) {
      const std::uint16_t u = u16(w[i]);
      if (w[i] > 0) {
        f.tags.push_back(Tag::push);
      } else if (u == 0x8420u) {
        f.tags.push_back(Tag::assign);
      } else if (looptoken(u)) {
        f.tags.push_back(Tag::binop);
      } else if (iscontrolword(w[i])) {
        f.tags.push_back(Tag::control);
      } else if (core::isbuiltinword(u)) {
        f.tags.push_back(Tag::builtin);
      } else if (!core::isoptstmt(w[i]) && !core::isoptmarker(u) && u != 0xBC00u) {
        // (Option statements stay with the loop, as do their markers.)
        f.tags.push_back(Tag::operand);
      } else {
        f.why = "word " + wordtext(w[i]);
        return false;
      }
    }
    f.tags.push_back(Tag::end);
    f.kind = Kind::words;
    return true;
  }
};

}  // namespace

namespace {

// A statement of the expression path as a program made from its linked form.
bool program(std::span<const std::int16_t> words, Form& f) {
  if (words.size() < 3 || words[0] != -1 || words.back() != core::endmark) return false;
  if (endsloops(words)) {
    // A labelled statement that ends DO loops: their end runs on the loop.
    f.why = "expression: label and loop end";
    return false;
  }
  LinkedStatement linked;
  if (!XEQ2LINK(words.subspan(1), linked)) {
    f.why = "expression: not linked once for all";
    return false;
  }
  Form g;
  if (!makeprog(linked, g.prog, g.types)) {
    const std::uint16_t w = makeprogfail();
    f.why = w == 0 ? "expression: passes, exchange or label" : "expression: linked " + hex(w);
    return false;
  }
  for (const auto& [s, t] : linked.operands)
    if (s >= 1) g.types.emplace_back(s, static_cast<std::int16_t>(t));
  g.kind = g.prog.blockkind != 0 ? Kind::block : Kind::prog;
  g.blockkind = g.prog.blockkind;
  g.target = g.prog.target;
  g.words = std::move(f.words);
  f = std::move(g);
  return true;
}

// Why a statement runs by the loop's word handlers: the first word that no
// form of words computes (a built-in of another kind, a closer, a control
// word other than a function reference), or its count of references.
std::string wordswhy(std::span<const std::int16_t> w) {
  std::int32_t refs = 0;
  for (std::size_t i = 0; i + 1 < w.size(); ++i) {
    const std::uint16_t u = u16(w[i]);
    std::int32_t nargs = 0;
    if (w[i] > 0 || looptoken(u) || u == 0x8420u || builtinargs(w[i], nargs)) continue;
    if (core::cwcode(u) == wfunction) {
      ++refs;
      continue;
    }
    // (Named as the code-word table names its kind, with its count.)
    for (unsigned c = 0; c <= 3; ++c) {
      const auto k = static_cast<std::int16_t>(core::cwcode(u) | c);
      const std::string kind =
          core::cwdump::dump(std::span<const std::int16_t>(&k, 1), core::cwdump::Space::compiler);
      if (!kind.starts_with("0x"))
        return "word path: " + kind + "/" + std::to_string(core::cwcount(u));
    }
    return "word path: " + wordtext(w[i]);
  }
  return refs > 0 ? "word path: " + std::to_string(refs) + " function references"
                  : "word path: the loop's handlers";
}

}  // namespace

namespace {

Form compilewords(std::span<const std::int16_t> words) {
  Form f;
  f.words.assign(words.begin(), words.end());
  // An empty statement of the expression path (what a declaration leaves).
  if (words.size() == 2 && words[0] == -1 && words[1] == core::endmark) {
    f.kind = Kind::empty;
    return f;
  }
  // A CALL in a statement that ends DO loops returns to the statement
  // itself for its loop end (`calltail`): the word path runs it.
  if (endsloops(words) && std::any_of(words.begin(), words.end(), [](std::int16_t w) {
        return w < 0 && core::cwcode(w) == wcall;
      })) {
    f.why = "a CALL that ends DO loops";
    f.kind = Kind::none;
    return f;
  }
  // The run that comes to a FUNCTION line stops there: only a call
  // enters a function.
  if (functionline(words)) {
    f.why = "a FUNCTION line";
    f.kind = Kind::none;
    return f;
  }
  Compiler c{f};
  if (!c.assignment(words) && !c.block(words) && !program(words, f) && !c.enddo(words) &&
      !c.wordassign(words) && !c.jump(words) && !c.callsub(words) && !c.ret(words) &&
      !c.words(words)) {
    const std::vector<std::int16_t> kept = std::move(f.words);
    std::string why = std::move(f.why);
    f = Form{};
    f.words = kept;
    if (why.empty()) {
      if (words.size() <= 2 && !words.empty() && words[0] == -1)
        why = "empty statement";
      else if (!words.empty() && words[0] == 1)
        why = "a line that did not compile";
      else
        why = "word path: first word " + wordtext(words.empty() ? 0 : words[0]);
    }
    f.why = std::move(why);
    // The types do not matter for a statement without a form: its words decide.
    f.kind = Kind::none;
  }
  if (f.kind == Kind::words) {
    c.guard(words);
    f.why = wordswhy(words);
  }
  f.passover = passableelseif(words);
  return f;
}

}  // namespace

Form compile(std::span<const std::int16_t> words, std::int32_t pads) {
  Form f = compilewords(words);
  f.pads = pads;
  // A form run word by word meets the pads in the code before the end
  // word: their handler does nothing.
  if (pads > 0 && !f.tags.empty())
    f.tags.insert(f.tags.end() - 1, static_cast<std::size_t>(pads), Tag::operand);
  return f;
}

void measurelink(Form& f) {
  LinkedStatement linked;
  Prog p;
  std::vector<std::pair<std::int32_t, std::int16_t>> types;
  const std::span<const std::int16_t> w(f.words);
  f.linkneed = w.size() >= 3 && XEQ2LINK(w.subspan(1), linked) && makeprog(linked, p, types)
                   ? p.total + p.depth + 1
                   : -1;
}

}  // namespace exec::fast
