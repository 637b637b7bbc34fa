// A reference to a function of a few plain statements run in one step: the
// function's value is computed by its statements' forms, and the stores and
// run words are set to what the reference (call), the function's
// statements, its END (return) and the loop tests between them leave on the
// general path
// (exec/control.cpp: call and ret). Taken only where nothing between could
// stop, fail, or be seen: a RUN without pending commands, nothing typed,
// the function's statements with checked forms and room in the stores.
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/formalkinds.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/builtins.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/fastpath_bind.h"
#include "exec/fastpath_call.h"
#include "exec/fastpath_frames.h"
#include "exec/fastpath_numbers.h"
#include "exec/heldtexts.h"
#include "exec/optforms.h"
#include "exec/postfix.h"
#include "exec/xeqtemps.h"
#include "platform/fpu.h"
#include "platform/win_queue_idle.h"

namespace exec::fast {

namespace {

using core::adrs;
using core::name;
using core::z;

// The form of statement s when it is checked and ready.
const Form* formof(const std::vector<Form>& forms, std::int32_t s) {
  if (s < 1 || static_cast<std::size_t>(s) >= forms.size()) return nullptr;
  const Form& f = forms[static_cast<std::size_t>(s)];
  return f.live == epoch ? &f : nullptr;
}

// (Apart, so that a Known stays small: the cell each statement of the
// function assigns to, by the place of its Known.)
std::array<std::array<std::int32_t, maxbody>, nknown> bodytargets;
inline std::array<std::int32_t, maxbody>& targetsof(const Known& known) {
  return bodytargets[static_cast<std::size_t>(&known - knowns.data())];
}
// What the references of functions that are not one assignment found of
// them, by the reference's word (hashed as for `knowns`).
struct Referenced {
  std::uint64_t run = 0;  // `runepoch` it was found in
  Callee c;
  // Its formals (the first `named` of them, at most maxformals, each a
  // symbol with a value cell: the chain of names stays within a run).
  std::array<std::int32_t, maxformals> formals{};
  std::int32_t named = 0;
  // What the reference at word `site` last bound them to: its actuals,
  // for the `callepoch` and kindsum() of then (the formals keep the types
  // and addresses those actuals give while both stay).
  std::int32_t site = 0;
  std::array<std::int32_t, maxformals> actuals{};
  std::uint64_t boundepoch = 0, boundkinds = 0;
  // One of them bound to an array or a text, whose cell tells where it lies.
  bool views = false;
};
std::array<Referenced, nknown> referenced;

// A function's statement that a reference runs by its form: an assignment
// of plain numbers to a cell, under a one-line IF or not; the cell
// (0: none such). `cond` tells whether it stands under an IF.
std::int32_t plainbody(const Form& body, bool& cond) {
  if (body.kind == Kind::assign) {
    cond = !body.cond.empty();
    return body.index.empty() && body.arrays.empty() ? body.target : 0;
  }
  if (body.kind != Kind::prog || !body.prog.plain || body.prog.blockkind != 0) return 0;
  std::int32_t target = 0;
  cond = false;
  for (const PStep& s : body.prog.steps) {
    if (s.op == P::telem || s.op == P::ttext || s.op == P::result) return 0;
    if (s.op == P::ifnot) cond = true;
    if (s.op == P::tcell) target = s.a;
  }
  return target;
}

// Whether bindcall() is in the statement of a function that it computes
// with the references in it (nestedvalue()): those take no such statement.
bool innested = false;

// A function's statement that a reference computes with the references in
// it (nestedvalue()): one statement of words that assigns to the value of
// function S and whose references, of other functions, have symbols for
// actuals; its values are symbols' and what operators and built-ins of
// numbers make of them.
bool nestable(const Form& g, std::int32_t S) {
  if (innested || g.kind != Kind::wordassign || g.wordcalls == 0 || g.wordcalls > maxinner ||
      g.wordelems != 0 || g.target != S + 1)
    return false;
  for (const Form::WordStep& s : g.wordsteps) {
    if (s.op == Form::WordStep::fold || s.op == Form::WordStep::elem) return false;
    if (s.op == Form::WordStep::call &&
        (s.computed != 0 || s.elements != 0 || s.outer || s.sym == S))
      return false;
  }
  return true;
}

// The function's statements from `body` on hold for formal f as it changes
// between kinds of numbers that read alike (holdsfor()).
bool bodyholds(const Known& known, const Form& body, std::int32_t f) {
  for (std::int32_t i = 0; i < known.nbody; ++i)
    if (!holdsfor((&body)[i], f)) return false;
  return true;
}

// Whether expression e reads a cell of the run words (1 to 6).
bool readslow(const Expr& e) {
  switch (e.shape) {
    case Expr::cell:
      return e.a <= 6;
    case Expr::arith:
    case Expr::compare:
      return e.a <= 6 || e.b <= 6;
    case Expr::arith2:
      return e.a <= 6 || e.b <= 6 || e.c <= 6;
    case Expr::elem:
      return e.a <= 6;
    case Expr::elemop:
      return e.a <= 6 || e.b <= 6;
    case Expr::list:
      for (const Step& s : e.steps)
        if (((s.op == Op::cell || s.acell) && s.a <= 6) || (s.bcell && s.b <= 6)) return true;
      return false;
    case Expr::none:
      return true;
  }
  return true;
}

// The checks that `known` keeps: the function is a few plain assignments
// and END with checked forms, its formals are bound as the statements'
// forms expect, and there is room for the frame and the statements' cells.
// (`lasting`: a failure holds as the fits would; not when a statement
// has no checked form yet.)
bool check(Known& known, std::int32_t S, std::int32_t n, std::int32_t ptr, std::int32_t first,
           const std::vector<Form>& forms, bool& lasting) {
  lasting = true;
  core::SymbolRecord* const records = name.data() - 1;
  const std::int32_t nsym =
      std::min<std::int32_t>(core::nsym, static_cast<std::int32_t>(name.size()));
  const auto symbol = [nsym](std::int32_t s) { return s >= 1 && s <= nsym; };
  if (!symbol(S) || (records[S].type & 0x5) != 0x5 || S + 1 >= static_cast<std::int32_t>(z.size()))
    return false;
  const std::int32_t f1 = core::I2EQUZ(1, S);
  if (f1 < 1 || f1 + 2 > core::nstmt) return false;
  // The statements to the END: plain assignments each, to cells other than
  // the run words', the function's record and the result cells, with room
  // for the frame, each statement and its result cells.
  const std::int32_t calleebase = ptr + framesize;
  const std::int32_t room = core::nadrs - core::nedlines - (calleebase + 1) - 5;
  if (room < 8 || calleebase + 1 > adrs.size() ||
      calleebase + core::nadrsstep / 4 >= core::nadrslow)
    return false;
  const Form* const body = formof(forms, f1 + 1);
  const Form* end = nullptr;
  auto& targets = targetsof(known);
  std::int32_t nbody = 0;
  bool conds = false, others = false, result = false, nested = false;
  for (std::int32_t s = f1 + 1;; ++s) {
    if (s > core::nstmt || stopline == s) return false;
    const Form* g = formof(forms, s);
    if (g == nullptr) {
      lasting = false;
      return false;
    }
    if (g->kind == Kind::ret) {
      end = g;
      break;
    }
    bool cond = false;
    std::int32_t t = plainbody(*g, cond);
    const bool nests = t == 0 && nbody == 0 && nestable(*g, S);
    if (nests) t = g->target;
    if (nbody == maxbody || t <= 6 || t == S || t >= first) return false;
    const bool program = g->kind == Kind::prog;
    const bool fits =
        nests ? room >= 8 * (g->end - g->start) && cellsfrom(first, g->nvalues + framesize + 1)
        : program
            ? g->prog.total + g->prog.depth + 1 <= std::min(8 * (g->end - g->start - 1), room) &&
                  cellsfrom(first, g->prog.allcells)
            : room >= 8 * (g->end - g->start) && cellsfrom(first, g->cells);
    if (!fits) return false;
    targets[static_cast<std::size_t>(nbody++)] = t;
    nested = nested || nests;
    conds = conds || cond;
    others = others || t != S + 1;
    result = result || program;
  }
  if (nbody == 0 || end->words.size() != 2 || static_cast<std::uint16_t>(end->words[0]) != wend ||
      (nested && nbody != 1))
    return false;
  // (The header word stands three words before the function's statement,
  // its formals before it.)
  const std::int16_t* const program = core::xeqbuf.data();
  const auto programsize = static_cast<std::int32_t>(core::xeqbuf.size());
  const std::int32_t hp = body->start >= 3 ? body->start - 3 : 0;
  const std::int32_t formals =
      hp >= 1 && hp < programsize ? static_cast<std::uint16_t>(program[hp]) & 0x1F : 0;
  const std::int32_t m = std::min(formals, n);
  if (m > maxformals || (m > 0 && (hp - formals < 0 || hp - formals >= programsize))) return false;
  std::int32_t f = records[S].link;
  for (std::int32_t i = 0; i < m; ++i) {
    if (!symbol(f)) return false;
    known.formal[static_cast<std::size_t>(i)] = f;
    known.back[static_cast<std::size_t>(i)] = program[hp - formals + i];
    f = records[f].link;
  }
  known.nbody = static_cast<std::int8_t>(nbody);
  known.nested = nested;
  known.single = nbody == 1 && !conds && !others;
  known.others = others;
  known.result = result;
  // (`program` also where there is more than one assignment: the one
  // assignment to the value is the road taken most.)
  known.program = result || !known.single;
  known.onestep = known.single && result && onecellsstep(body->prog);
  known.f1 = f1;
  known.m = m;
  known.plainback = true;
  for (std::int32_t i = 0; i < m; ++i)
    if (known.back[static_cast<std::size_t>(i)] != known.formal[static_cast<std::size_t>(i)])
      known.plainback = false;
  known.boundplain = known.plainback && !known.others;
  leanof(known) = known.single && !known.nested &&
                  (known.onestep ? body->prog.quick[1].a > 6 && body->prog.quick[1].b > 6
                                 : !known.program && !readslow(body->value));
  return true;
}

// Whether `known` was found for a reference at `site` in its frame.
inline bool samesite(const Known& known, std::int32_t site, std::int32_t S, std::int32_t n,
                     std::int32_t ptr, std::int32_t base, std::int32_t first) {
  return known.site == site && known.S == S && known.n == n && known.ptr == ptr &&
         known.base == base && known.first == first && known.scope == core::lokalscope &&
         known.stop == stopline;
}

// The checks of `known` for a reference at `site` in its frame, for the
// `callepoch`: those of the function's statements are made again only when
// they may have changed (a failure is kept too, unless a statement had no
// checked form yet).
[[gnu::noinline]] bool recheck(Known& known, std::int32_t site, std::int32_t S, std::int32_t n,
                               std::int32_t ptr, std::int32_t base, std::int32_t first,
                               const std::vector<Form>& forms) {
  known.epoch = 0;
  known.matchedkinds = 0;
  const std::uint64_t key = callepoch - kindmoves;
  const std::int32_t scope = core::lokalscope;
  known.scopesub =
      scope >= 1 && scope <= core::nsym && scope <= name.size() ? name.data()[scope - 1].scope : 0;
  // (Only formals changed between kinds of numbers since: the function's
  // statements hold, the formals are matched again.)
  if (known.sitefits == key && samesite(known, site, S, n, ptr, base, first)) {
    known.epoch = callepoch;
    return true;
  }
  known.sitefits = known.siteunfit = 0;
  if (known.site != site || known.S != S || known.n != n || known.ptr != ptr ||
      known.base != base || known.first != first || known.scope != core::lokalscope ||
      known.stop != stopline || known.seen != epoch || known.seenforms != formsepoch) {
    known.seen = 0;
    known.heldfor = 0;
    bool lasting = true;
    known.fits = check(known, S, n, ptr, first, forms, lasting);
    if (!known.fits && !lasting) return false;
    known.seen = epoch;
    known.seenforms = formsepoch;
    known.site = site;
    known.S = S;
    known.n = n;
    known.ptr = ptr;
    known.base = base;
    known.first = first;
    known.scope = core::lokalscope;
    known.stop = stopline;
  }
  if (known.fits) {
    known.epoch = callepoch;
    known.sitefits = key;
  } else {
    known.siteunfit = key;
  }
  return known.fits;
}

// The last change of kind of a formal that left every form of its function
// as it was, made by a reference, by the function's symbol hashed as for
// `formalkinds`: the count it left there, the function and the formal.
struct KindFlip {
  std::uint64_t count = 0;
  std::int32_t S = 0, formal = 0;
};
std::array<KindFlip, 256> lastflip{};
inline void flipped(std::int32_t S, std::int32_t f) {
  lastflip[subslot(S)] = {formalkinds[subslot(S)], S, f};
}

// Whether one of the first m formals is bound to an array or a text,
// whose cell tells where it lies.
inline bool anyview(const std::int32_t* formals, std::int32_t m) {
  const core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  for (std::int32_t i = 0; i < m; ++i)
    if ((static_cast<std::uint16_t>(records[formals[i]].type) & 0x50u) != 0) return true;
  return false;
}

// Whether an actual lies elsewhere than its formal's view says (another
// piece of a text through the same cell, say).
inline bool moved(const std::int32_t* formals, std::int32_t m, const std::int32_t* actuals) {
  const core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  for (std::int32_t i = 0; i < m; ++i)
    if (reshapedsym(records[formals[i]].type, formals[i], actuals[i])) return true;
  return false;
}

// The actuals of the function `known` found bound as the formals expect,
// for `kinds` (kindsum() now).
inline void setmatched(Known& known, std::uint64_t kinds) {
  known.matchedkinds = kinds;
  known.matchedown = static_cast<std::uint32_t>(formalkinds[subslot(known.S)]);
  known.views = anyview(known.formal.data(), known.m);
  if (known.heldfor > 0 && known.heldfor <= static_cast<std::int32_t>(name.size()))
    known.heldtype = (name.data() - 1)[known.heldfor].type;
}

// Formal f of the function `known` (its record `formal`) takes another kind
// of number, `type`, where the function's statement (`body`) reads both
// alike: the forms of the function that hold are kept, the others and the
// call sites look again. False where the statement does not hold. (Where
// the last such change of f found every form held and no form changed
// since, the statement holds too.)
inline bool takekind(Known& known, std::int32_t f, core::SymbolRecord& formal, std::int16_t type,
                     const Form& body) {
  if (known.heldfor == f && known.heldchanges == formchanges && known.heldrun == runepoch) {
    kindchanged(known.S);
    optforms::retyped(known.f1, known.heldlast);
    flipped(known.S, f);
  } else {
    if (!bodyholds(known, body, f)) return false;
    const std::int32_t last = reclassed(known.S, known.f1, f);
    if (last > 0) flipped(known.S, f);
    known.heldfor = last > 0 ? f : 0;
    known.heldlast = last;
    known.heldchanges = formchanges;
    known.heldrun = runepoch;
  }
  formal.type = type;
  known.epoch = callepoch;
  known.seenforms = formsepoch;
  return true;
}

// The formal f of the function `known` as the reference binds it to the
// actual a: true where it is bound to a's type and address already, or is
// a number of another kind that the function's statement (`body`) reads
// alike and so takes a's type as the general path binds it.
[[gnu::always_inline]] inline bool retypeone(Known& known, std::int32_t f, std::int32_t a,
                                             std::int32_t nname, core::SymbolRecord* records,
                                             const Form& body) {
  const bool isname = bindsname(a, nname, records);
  const std::int16_t type = isname ? records[a].type : std::int16_t{0xA0};
  const std::int32_t adr = isname ? records[a].adr : 0;
  core::SymbolRecord& formal = records[f];
  if (formal.type == type && formal.adr == adr) return !isname || !reshapedsym(type, f, a);
  return formal.adr == adr && readsalike(formal.type) && readsalike(type) &&
         takekind(known, f, formal, type, body);
}

// The formals of the function `known` as the reference binds them to its
// actuals, where one was found bound to another type or address than its
// actual gives: each that is a number of another kind, which the
// function's statement (`body`) reads alike, takes the type as the general
// path binds it, and what was found of the function holds (its statements
// stay). False when another differs otherwise.
[[gnu::noinline]] bool rebind(Known& known, const std::int32_t* actuals, const Form& body) {
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const std::int32_t nname =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
  for (std::int32_t i = 0; i < known.m; ++i) {
    const std::int32_t f = known.formal[static_cast<std::size_t>(i)];
    const std::int32_t a = actuals[i];
    if (!retypeone(known, f, a, nname, records, body)) return false;
    known.matched[static_cast<std::size_t>(i)] = a;
  }
  return true;
}

// What the formals' types of function S and of the subroutine running now
// rely on: moves whenever either's `formalkinds` does (both only grow).
inline std::uint64_t kindsum(std::int32_t S) {
  return formalkinds[subslot(S)] + formalkinds[subslot(core::lokalscope)];
}

// The actuals of a reference matched anew against the formals of the
// function `known` as the call binds them (rebind() where one was left
// bound to another kind), and whether the return's give-back leaves every
// actual as it is (`quietback`): each formal gives back the value it was
// bound with, unless its actual is a cell that something between the
// binding and the give-back writes (the run words' cells, the function's
// record and value, another formal, the result cells from `first` on).
[[gnu::noinline]] bool matchformals(Known& known, std::int32_t S, std::int32_t first,
                                    const std::int32_t* actuals, const Form& body) {
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const std::int32_t nname =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
  const std::int32_t m = known.m;
  known.matchedkinds = 0;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t f = known.formal[static_cast<std::size_t>(i)];
    const std::int32_t a = actuals[i];
    const bool isname = bindsname(a, nname, records);
    const std::int16_t type = isname ? records[a].type : std::int16_t{0xA0};
    const std::int32_t adr = isname ? records[a].adr : 0;
    if (records[f].type != type || records[f].adr != adr || (isname && reshapedsym(type, f, a))) {
      if (!rebind(known, actuals, body)) return false;
      break;
    }
    known.matched[static_cast<std::size_t>(i)] = a;
  }
  // (A statement that assigns to another cell than the value's may
  // assign to a formal or an actual.)
  bool quiet = known.plainback && !known.others;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t a = actuals[i];
    if (a < 1) continue;
    if (a <= 6 || a == S || a == S + 1 || a >= first) quiet = false;
    for (std::int32_t j = 0; j < m; ++j)
      if (a == known.formal[static_cast<std::size_t>(j)]) quiet = false;
  }
  known.quietback = quiet;
  setmatched(known, kindsum(S));
  return true;
}

// The actuals of a reference matched again where each that differs from
// the one last matched and that one are cells beyond the names and the
// result cells (array elements, say), which bind their formals as values
// alike and leave the give-back's finding as it was (matchformals());
// false, nothing changed, otherwise.
[[gnu::noinline]] bool othercells(Known& known, std::int32_t first, const std::int32_t* actuals) {
  const std::int32_t beyond = std::max(core::nname, first);
  for (std::int32_t i = 0; i < known.m; ++i) {
    const std::int32_t was = known.matched[static_cast<std::size_t>(i)], a = actuals[i];
    if (a != was && (a <= beyond || was <= beyond)) return false;
  }
  for (std::int32_t i = 0; i < known.m; ++i)
    known.matched[static_cast<std::size_t>(i)] = actuals[i];
  return true;
}

// Whether the actuals are those last matched.
inline bool sameactuals(const Known& known, const std::int32_t* actuals) {
  for (std::int32_t i = 0; i < known.m; ++i)
    if (known.matched[static_cast<std::size_t>(i)] != actuals[i]) return false;
  return true;
}

// Whether the actuals bind the formals as those last matched do: the same,
// or where one differs, it and the one matched are both cells beyond the
// names and the result cells (as for othercells()).
inline bool alikeactuals(const Known& known, const std::int32_t* actuals) {
  const std::int32_t beyond = std::max(core::nname, known.first);
  for (std::int32_t i = 0; i < known.m; ++i) {
    const std::int32_t was = known.matched[static_cast<std::size_t>(i)], a = actuals[i];
    if (a != was && (a <= beyond || was <= beyond)) return false;
  }
  return true;
}
inline void takeactuals(Known& known, const std::int32_t* actuals) {
  for (std::int32_t i = 0; i < known.m; ++i)
    known.matched[static_cast<std::size_t>(i)] = actuals[i];
}

// The actuals of a reference matched again after a change of kind of the
// function's formals or of the running subroutine's (another reference
// bound them to another kind): where they are those last matched, only
// their types are looked at again (what the give-back found of them holds:
// the same cells, formals and frame), else matchformals().
[[gnu::noinline]] bool retypeformals(Known& known, std::int32_t S, std::int32_t first,
                                     const std::int32_t* actuals, const Form& body) {
  if (known.matchedkinds == 0 || !alikeactuals(known, actuals))
    return matchformals(known, S, first, actuals, body);
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const std::int32_t nname =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
  for (std::int32_t i = 0; i < known.m; ++i) {
    const std::int32_t f = known.formal[static_cast<std::size_t>(i)];
    const std::int32_t a = actuals[i];
    if (!retypeone(known, f, a, nname, records, body)) {
      known.matchedkinds = 0;
      return false;
    }
  }
  takeactuals(known, actuals);
  setmatched(known, kindsum(S));
  return true;
}

// Whether retypeheld() is quickest as flipback(): the one change of kind
// counted since the actuals were matched (`kinds` is kindsum() now) is
// another reference's of the formal whose last change left every form as
// it was (`heldfor`), and the actuals are those matched, so the formals
// were left as matched but that one.
[[gnu::always_inline]] inline bool flipsback(const Known& known, const std::int32_t* actuals,
                                             std::uint64_t kinds) {
  const std::size_t s = subslot(known.S);
  const KindFlip& last = lastflip[s];
  // (Both counts only grow: where the function's moved by one and the sum
  // by one, the running subroutine's stayed, and with it the actuals'
  // types.)
  const std::uint64_t own = formalkinds[s];
  return kinds == known.matchedkinds + 1 &&
         static_cast<std::uint32_t>(own) == known.matchedown + 1 && last.count == own &&
         last.formal == known.heldfor && last.S == known.S && known.heldchanges == formchanges &&
         known.heldrun == runepoch && alikeactuals(known, actuals);
}

// The formal `heldfor` takes back the type its actual gave as the actuals
// were matched (`heldtype`), where flipsback().
[[gnu::always_inline]] inline void flipback(Known& known) {
  const std::size_t s = subslot(known.S);
  core::SymbolRecord& formal = (name.data() - 1)[known.heldfor];
  // (Where the other reference left it bound as this one binds it, only
  // the counts it matched for move.)
  if (formal.type == known.heldtype) {
    known.matchedkinds += 1;
    known.matchedown += 1;
    return;
  }
  formal.type = known.heldtype;
  kindchanged(known.S);
  if (callkept[s]) known.epoch = callepoch;
  const std::uint64_t own = formalkinds[s];
  lastflip[s].count = own;
  known.matchedkinds += 2;
  known.matchedown = static_cast<std::uint32_t>(own);
  optforms::retyped(known.f1, known.heldlast);
}

// retypeformals() where it is quickest: the actuals those last matched,
// each formal bound as its actual gives but at most the one whose last
// change of kind left every form of the function as it was, which changes
// kind again (`kinds` is kindsum() now). False, nothing changed, where
// retypeformals() must look.
[[gnu::noinline]] bool retypeheld(Known& known, const std::int32_t* actuals, std::uint64_t kinds) {
  if (flipsback(known, actuals, kinds)) {
    flipback(known);
    takeactuals(known, actuals);
    return true;
  }
  if (known.matchedkinds == 0 || known.heldfor == 0 || known.heldchanges != formchanges ||
      known.heldrun != runepoch)
    return false;
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const std::int32_t nname =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
  core::SymbolRecord* moved = nullptr;
  std::int16_t movedtype = 0;
  if (!alikeactuals(known, actuals)) return false;
  for (std::int32_t i = 0; i < known.m; ++i) {
    const std::int32_t f = known.formal[static_cast<std::size_t>(i)];
    const std::int32_t a = actuals[i];
    const bool isname = bindsname(a, nname, records);
    const std::int16_t type = isname ? records[a].type : std::int16_t{0xA0};
    const std::int32_t adr = isname ? records[a].adr : 0;
    core::SymbolRecord& formal = records[f];
    if (formal.type == type && formal.adr == adr) continue;
    if (f != known.heldfor || formal.adr != adr || !readsalike(formal.type) || !readsalike(type))
      return false;
    moved = &formal;
    movedtype = type;
  }
  if (moved != nullptr) {
    kindchanged(known.S);
    optforms::retyped(known.f1, known.heldlast);
    flipped(known.S, known.heldfor);
    moved->type = movedtype;
    known.epoch = callepoch;
    known.seenforms = formsepoch;
    kinds = kindsum(known.S);
  }
  takeactuals(known, actuals);
  setmatched(known, kinds);
  return true;
}

}  // namespace

bool viewmoved(const Known& known, const std::int32_t* actuals) {
  return moved(known.formal.data(), known.m, actuals);
}

// The return's give-back: each actual (a symbol or an element's cell)
// takes the value of the formal the function's header names for it.
void giveback(const Known& known) {
  double* const cells = z.data();
  const auto zsize = static_cast<std::int32_t>(z.size());
  const auto& back = known.back;
  const auto& actual = known.matched;
  for (std::int32_t i = 0; i < known.m; ++i)
    if (back[i] >= 1 && back[i] < zsize && actual[i] >= 1 && actual[i] < zsize)
      cells[actual[i]] = cells[back[i]];
}

namespace {

// The statements of the function `known` from `body` on, each as the loop
// runs its form, its target's cell kept in `b` before it is written; the
// value the function's cell holds then, and that its last program form
// left in its result cell. False at the first that the general path must
// run (the cells written before are `b`'s to put back).
[[gnu::noinline]] bool runbody(const Known& known, const Form* body, double* cells,
                               std::int32_t zsize, Bound& b) {
  const auto& targets = targetsof(known);
  b.ran = 0;
  for (std::int32_t i = 0; i < known.nbody; ++i) {
    const Form& g = body[i];
    const std::int32_t t = targets[static_cast<std::size_t>(i)];
    b.keptcells[static_cast<std::size_t>(i)] = cells[t];
    b.ran = i + 1;
    if (g.kind == Kind::prog) {
      // (The program assigns to its cell itself.)
      const ProgResult r = runplain(g.prog);
      if (!r.done) return false;
      b.rc = r.falsecond ? falsevalue : r.value;
      continue;
    }
    if (!g.cond.empty()) {
      double c = 0.0;
      if (!evaluate(g.cond, cells, zsize, c)) return false;
      if (c == 0.0) continue;
    }
    double v = 0.0;
    if (!evaluate(g.value, cells, zsize, v)) return false;
    cells[t] = v;
  }
  b.v = cells[known.S + 1];
  return true;
}

// The value of the one statement of the function that `known` found (its
// formals bound), each of its references bound by bindcall() as the words
// bind them in the function's frame (whose stack base and scope are set
// while they are: the frame's words that show who called are written on
// the stack for it; its result cells begin above the value's). The
// references stay bound in `nest` for the reference to the function to
// make or put back. False, no reference left bound, where the words must
// compute it.
[[gnu::noinline]] bool nestedvalue(const Known& known, const Form& body,
                                   const std::vector<Form>& forms, Bound& b) {
  if (nest.live) return false;
  const std::int32_t S = known.S, base = core::xeqstackbase, scope = core::lokalscope;
  const std::int32_t ptr = known.ptr, calleebase = ptr + framesize, first = known.first + 1;
  // (No function it references is active or this one, and the findings of
  // each reference keep places of their own.)
  const std::size_t own = knownat(known.site);
  std::array<std::size_t, maxinner> slots{};
  std::int32_t sites = 0;
  for (const Form::WordStep& s : body.wordsteps) {
    if (s.op != Form::WordStep::call) continue;
    const std::size_t slot = knownat(body.start + s.index);
    if (sites == maxinner || slot == own || s.sym == S || subactive(s.sym, base)) return false;
    for (std::int32_t i = 0; i < sites; ++i)
      if (slots[static_cast<std::size_t>(i)] == slot) return false;
    slots[static_cast<std::size_t>(sites++)] = slot;
  }
  std::int32_t* const stack = adrs.data() - 1;  // stack[i] is adrs(i)
  stack[ptr + 1] = scope;
  stack[ptr + 2] = base;
  core::xeqstackbase = calleebase;
  core::lokalscope = S;
  innested = true;
  const double* const cells = z.data();
  std::array<double, longeststack> vals;
  std::array<bool, longeststack> results;  // a value the statement computed
  std::size_t sp = 0;
  std::int32_t bound = 0;
  bool good = true;
  for (const Form::WordStep& s : body.wordsteps) {
    switch (s.op) {
      case Form::WordStep::push:
        vals[sp] = cells[s.sym];
        results[sp++] = false;
        break;
      case Form::WordStep::bin: {
        const double y = vals[--sp], x = vals[sp - 1];
        double r = 0.0;
        good = !(results[sp - 1] && textlike(x)) && XEQBINNUM(r, x, s.word, y) == 0 &&
               std::isfinite(r);
        vals[sp - 1] = r;
        results[sp - 1] = true;
        break;
      }
      case Form::WordStep::fn: {
        const double y = vals[sp - 1];
        const double x = s.sym == 2 ? vals[sp - 2] : y;
        double r = 0.0;
        good = numericvalue(s.word, s.sym, x, y, r) && std::isfinite(r) &&
               plat::fpu_peek_status() == 0;
        sp -= static_cast<std::size_t>(s.sym);
        vals[sp] = r;
        results[sp++] = true;
        break;
      }
      case Form::WordStep::call: {
        const std::int32_t args = static_cast<std::uint16_t>(s.word) & 0x1F;
        Bound& in = nest.inner[static_cast<std::size_t>(bound)];
        good = bindcall(body.start + s.index, s.sym, args, calleebase + s.depth, first + s.first,
                        s.actuals.data(), forms, in);
        if (good) {
          ++bound;
          good = in.plainback && !textlike(in.v);
        }
        vals[sp] = in.v;
        results[sp++] = true;
        break;
      }
      default:
        good = false;
        break;
    }
    if (!good) break;
  }
  core::xeqstackbase = base;
  core::lokalscope = scope;
  innested = false;
  if (good && sp == 1 && !(results[0] && textlike(vals[0]))) {
    b.v = vals[0];
    nest.n = bound;
    nest.live = true;
    if (++nest.count == 0) nest.count = 1;
    b.nest = nest.count;
    return true;
  }
  for (std::int32_t i = bound; i-- > 0;) unbind(nest.inner[static_cast<std::size_t>(i)]);
  plat::fpu_clear();
  return false;
}

}  // namespace

bool bindcall(std::int32_t site, std::int32_t S, std::int32_t n, std::int32_t ptr,
              std::int32_t first, const std::int32_t* actuals, const std::vector<Form>& forms,
              Bound& b) {
  const std::int32_t base = core::xeqstackbase;
  Known& known = knowns[knownat(site)];
  if (known.epoch != callepoch || known.site != site || known.S != S || known.n != n ||
      known.ptr != ptr || known.base != base || known.first != first ||
      known.scope != core::lokalscope || known.stop != stopline) [[unlikely]] {
    // (The stores only grow within a run: where the findings hold, so does
    // the room for the frame.)
    const std::int32_t argbase = ptr - n;
    if (argbase <= base || argbase < 1 || ptr + framesize > adrs.size()) return false;
    // (A function found not to fit is not looked at again while that holds.)
    if (known.siteunfit == callepoch - kindmoves && samesite(known, site, S, n, ptr, base, first))
      return false;
    if (!recheck(known, site, S, n, ptr, base, first, forms)) return false;
  }
  // (Calls are not re-entrant: the general path refuses a reference of a
  // function that is running.)
  if (subactive(S, base)) return false;
  const Form& body = forms[static_cast<std::size_t>(known.f1 + 1)];
  // The formals as the call binds them keep the types and addresses the
  // body's form was made for.
  if (const std::uint64_t kinds = kindsum(S); known.matchedkinds != kinds) [[unlikely]] {
    if (!retypeheld(known, actuals, kinds) && !retypeformals(known, S, first, actuals, body))
      return false;
  } else if (!sameactuals(known, actuals)) [[unlikely]] {
    if (!othercells(known, first, actuals) && !matchformals(known, S, first, actuals, body))
      return false;
  }
  if (known.views && viewmoved(known, actuals)) [[unlikely]]
    return false;
  if (plat::fpu_peek_status() != 0) return false;
  const auto zsize = static_cast<std::int32_t>(z.size());
  double* const cells = z.data();
  // The value, with the formals bound and the function's value unassigned.
  bindformals(b, known, actuals, S, cells, zsize);
  bool good = false;
  if (known.nested) {
    good = nestedvalue(known, body, forms, b);
  } else if (known.program) {
    const Prog& g = body.prog;
    if (known.onestep) {
      // (All that its run leaves is the value in the function's cell,
      // which commit() writes.)
      if (g.topcell < zsize && S + 1 <= core::nz) {
        b.v = cellsvalue(g.quick[1], cells);
        good = std::isfinite(b.v);
      }
    } else if (known.single) {
      // (The program assigns the value to the function's cell itself.)
      const ProgResult r = runplain(g);
      good = r.done;
      b.v = r.value;
    } else {
      good = runbody(known, &body, cells, zsize, b);
    }
  } else {
    good = evaluate(body.value, cells, zsize, b.v);
  }
  return madevalue(b, good);
}

bool unfitsite(std::int32_t site, std::int32_t S, std::int32_t n, std::int32_t ptr,
               std::int32_t first) {
  const Known& known = knowns[knownat(site)];
  return known.siteunfit != 0 && known.siteunfit == callepoch - kindmoves &&
         samesite(known, site, S, n, ptr, core::xeqstackbase, first);
}

void unbind(const Bound& b) {
  if (nestof(b)) {
    // (Its references first, the last bound first.)
    nest.live = false;
    for (std::int32_t i = nest.n; i-- > 0;) unbind(nest.inner[static_cast<std::size_t>(i)]);
  }
  double* const cells = z.data();
  const Known& known = *b.known;
  // (The statements' cells in turn back from the last, then those the
  // binding wrote.)
  if (!known.single) {
    const auto& targets = targetsof(known);
    for (std::int32_t i = b.ran; i-- > 0;) cells[targets[i]] = b.keptcells[i];
  }
  cells[known.S + 1] = b.keptvalue;
  for (std::int32_t i = 0; i < known.m; ++i) cells[known.formal[i]] = b.kept[i];
}

// What the references of the nest leave, in turn: each function's value
// and its record as its return leaves it (the reference made in the
// function's frame, which keeps the mode `mode` and the command of a
// call). The give-back of each changes nothing: their formals keep the
// actuals' values.
void madenest(std::int32_t mode) {
  nest.live = false;
  double* const cells = z.data();
  const std::int16_t noreturn = 0;
  const auto modecmd = static_cast<std::int16_t>((mode & 0xFF) | ((incall & 0xFF) << 8));
  for (std::int32_t i = 0; i < nest.n; ++i) {
    const Bound& b = nest.inner[static_cast<std::size_t>(i)];
    const Known& in = *b.known;
    cells[in.S + 1] = b.v;
    char* const fields = reinterpret_cast<char*>(cells + in.S);
    const auto count = static_cast<std::int16_t>(in.n);
    std::memcpy(fields + sizeof(std::int16_t), &noreturn, sizeof noreturn);
    std::memcpy(fields + 2 * sizeof(std::int16_t), &modecmd, sizeof modecmd);
    std::memcpy(fields + 3 * sizeof(std::int16_t), &count, sizeof count);
  }
}

namespace {

// enterrun(); with `found`, the caller found S a symbol with its value
// cell and its actuals above the stack's base.
template <bool found>
[[gnu::always_inline]] inline bool enterframe(const Callee& c, std::int32_t n,
                                              const std::int32_t* formals, bool bound) {
  const std::int32_t S = c.S;
  const std::int32_t p = core::xeqstackptr;
  const std::int32_t argbase = p - n;
  const auto zsize = static_cast<std::int32_t>(z.size());
  if (p + framesize > adrs.size()) return false;
  if constexpr (!found) {
    if (argbase < 1 || S < 1 || S + 1 >= zsize || S > name.size()) return false;
  }
  std::int32_t* const stack = adrs.data() - 1;          // stack[i] is adrs(i)
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  double* const cells = z.data();
  ++calldepth;
  // The frame: five entries above the actuals.
  stack[p + 1] = core::lokalscope;
  stack[p + 2] = core::xeqstackbase;
  stack[p + 3] = wordpos;
  stack[p + 4] = firsttemp;
  stack[p + 5] = c.function ? wfunction : wcall;
  framekept(core::lokalscope);
  core::xeqstackptr = core::xeqstackbase = p + framesize;
  // (A reference's statement keeps its texts till the return; a CALL's
  // actuals, found with its form, are no temporaries.)
  if constexpr (found) holdtexts(core::xeqstackbase);
  core::lokalsub = records[S].scope;
  core::lokalscope = S;
  if (c.function) {
    // The value unassigned, the result cells from the reference's on, the
    // caller's `$` kept for the return.
    cells[S + 1] = unassigned;
    firsttemp = core::iresult;
    keepdollar(S, cells[1]);
  }
  // The formals take the actuals' types, addresses and values.
  const std::int32_t m = std::min(c.formals, n);
  const std::int32_t* const actuals = stack + argbase + 1;
  if (bound) {
    for (std::int32_t i = 0; i < m; ++i) {
      const std::int32_t a = actuals[i];
      cells[formals[i]] = a >= 0 && a < zsize ? cells[a] : 0.0;
    }
  } else {
    const std::int32_t nname =
        std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
    // (A CALL keeps what it binds here till `callepoch` moves.)
    if (!c.function) callkept[subslot(S)] = true;
    bool kinds = false;
    for (std::int32_t i = 0; i < m; ++i) {
      const std::int32_t a = actuals[i];
      const std::int32_t formal = formals[i];
      core::SymbolRecord& f = records[formal];
      const bool symbol = bindsname(a, nname, records);
      const std::int16_t type = symbol ? records[a].type : std::int16_t{0xA0};
      const std::int32_t adr = symbol ? records[a].adr : 0;
      // The statements that name the formal were made for its type.
      const double cell = a >= 0 && a < zsize ? cells[a] : 0.0;
      if (f.type != type || f.adr != adr || reshaped(type, cells[formal], cell)) [[unlikely]] {
        if (f.adr == adr && readsalike(f.type) && readsalike(type))
          reclassed(S, c.f1, formal);
        else
          kinds = true;
        f.type = type;
        f.adr = adr;
      }
      cells[formal] = cell;
    }
    if (kinds) {
      retyped(c.f1);
      core::formalkinds::rebind(S, m);
    }
  }
  // The record: the return statement (the one after the CALL), the mode
  // and the command the call leaves (a RUN's -1 becomes the call's). (Each
  // field stored in its place, as commit() stores them.)
  char* const fields = reinterpret_cast<char*>(cells + S);
  const auto back = static_cast<std::int16_t>(core::xeqline + 1);
  const auto modecmd = static_cast<std::int16_t>((core::xeqmode & core::runmode::framebits & 0xFF) |
                                                 ((savedcmd() & 0xFF) << 8));
  const auto count = static_cast<std::int16_t>(n);
  std::memcpy(fields + sizeof(std::int16_t), &back, sizeof back);
  std::memcpy(fields + 2 * sizeof(std::int16_t), &modecmd, sizeof modecmd);
  std::memcpy(fields + 3 * sizeof(std::int16_t), &count, sizeof count);
  core::idecmd = incall;
  core::xeqline = c.f1 + 1;
  return true;
}

}  // namespace

bool enterrun(const Callee& c, std::int32_t n, const std::int32_t* formals, bool bound) {
  return enterframe<false>(c, n, formals, bound);
}

Left* findleftnew(Callee& known, std::int32_t S, std::int32_t b) {
  const auto zsize = static_cast<std::int32_t>(z.size());
  double* const cells = z.data();
  if (S > core::nsym || S > name.size() || S >= zsize || b <= framesize) return nullptr;
  const bool function = (name.data()[S - 1].type & 0x5) == 0x5;
  std::int16_t record[4];
  std::memcpy(record, cells + S, sizeof record);
  const std::int32_t f1 = record[0], f2 = record[1], f4 = record[3];
  if (f4 < 0 || f1 <= 0 || f2 <= 0 || b - framesize - f4 < 1 || (function && S + 1 >= zsize))
    return nullptr;
  if (known.S != S || known.f1 != f1 || known.function != function) known = callee(S, f1, function);
  const std::int32_t m = std::min(known.formals, f4);
  const std::int32_t at = known.hp - known.formals;
  if (m > 0 && (!core::xeqbuf.valid(at) || !core::xeqbuf.valid(at + m - 1))) return nullptr;
  Left& left = lefts[static_cast<std::uint32_t>(S) % lefts.size()];
  std::uint64_t bits = 0;
  std::memcpy(&bits, cells + S, sizeof bits);
  left = Left{runepoch, bits, S, b, m, m > 0 ? at : 0, function};
  left.plain = m <= maxformals;
  for (std::int32_t i = 0; i < m && left.plain; ++i) {
    const std::int32_t formal = core::xeqbuf.data()[at + i];
    left.plain = formal >= 1 && formal < zsize;
    left.formals[static_cast<std::size_t>(i)] = formal;
  }
  left.line = f2;
  left.count = f4;
  const auto f3 = static_cast<std::uint16_t>(record[2]);
  left.mode = f3 & 0xFF;
  left.cmd = static_cast<std::int8_t>((f3 >> 8) & 0xFF);
  record[1] = 0;
  std::memcpy(&left.cleared, record, sizeof record);
  return &left;
}

bool leaverun(Callee& known, WordResult& r) {
  const std::int32_t S = core::lokalscope;
  const std::int32_t b = core::xeqstackbase;
  if (core::idecmd != incall || (core::keyrec[2] & 1) != 0 ||
      (core::xeqmode & (core::runmode::callback | core::runmode::running)) !=
          core::runmode::running ||
      S < 1 || b > adrs.size())
    return false;
  double* const cells = z.data();
  Left* const found = findleft(known, S, b);
  if (found == nullptr) return false;
  Left& left = *found;
  const bool function = left.function;
  const std::int32_t m = left.m;
  // (A function without a value: the calling statement's failure, leave()'s.)
  if (function &&
      std::bit_cast<std::uint64_t>(cells[S + 1]) == std::bit_cast<std::uint64_t>(unassigned))
    return false;
  const std::int32_t f4 = left.count;
  std::int32_t* const stack = adrs.data() - 1;  // stack[i] is adrs(i)
  const std::int32_t ptr = b - framesize;
  // The return: what leave() leaves for a subroutine whose caller is on
  // the stack.
  eventlabel = 0;
  --calldepth;
  std::memcpy(cells + S, &left.cleared, sizeof left.cleared);
  core::xeqline = left.line;
  const double v = function ? cells[S + 1] : 0.0;  // (before the formals are given back)
  const std::int32_t calleefirst = firsttemp;
  const std::int32_t scope = stack[ptr + 1];
  core::lokalscope = scope;
  framegone(scope);
  releasetexts(b);
  core::xeqstackbase = stack[ptr + 2];
  wordpos = stack[ptr + 3];
  firsttemp = stack[ptr + 4];
  callkind = stack[ptr + 5];
  // (The header as the subroutine's record names it.)
  if (m > 0) giveleft(left, stack + ptr - f4 + 1);
  core::lokalsub = subof(left, scope);
  givemode(left, scope);
  if (function) {
    // The value takes the reference's place in the caller's statement.
    givedollar(S, cells);
    // (The bounds of the caller's statement, as loadbounds() finds them: the
    // statements stay within a run.)
    const std::int32_t line = --core::xeqline;
    if (left.boundsline == line && (core::xeqmode & core::runmode::single) == 0) {
      stmtstart = left.boundsstart;
      stmtend = left.boundsend;
    } else {
      loadbounds();
      if ((core::xeqmode & core::runmode::single) == 0) {
        left.boundsline = line;
        left.boundsstart = stmtstart;
        left.boundsend = stmtend;
      }
    }
    // The value in the reference's result cell, which replaces the function
    // on the stack, and the next result cell taken (takeresult()), where
    // both cells and their records are there already.
    const std::int32_t next = calleefirst + 1;
    const std::int32_t sp = std::max(ptr - f4 - 1, core::xeqstackbase) + 1;
    if (calleefirst >= 1 && next < core::nname && next < core::nztop && z.valid(next) &&
        name.valid(next) && sp >= 1 && sp <= adrs.size()) [[likely]] {
      // (The record of the first cell the END's first steps left fresh.)
      core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
      cells[calleefirst] = v;
      stack[sp] = calleefirst;
      core::xeqstackptr = sp;
      core::iresult = next;
      records[next] = core::SymbolRecord{};
      records[next].type = numtemptype;
      if (core::iostatw[0] == 0) {
        const std::int32_t code = core::FPUERROR(-1);
        core::iostatw[0] = static_cast<std::int16_t>(code);
        if (code != 0) ndpfailure(code);
      }
    } else {
      core::xeqstackptr = ptr - f4;
      core::iresult = calleefirst;
      if (resultroom(core::iresult)) newtemprecord(core::iresult);
      if (z.valid(core::iresult)) z(core::iresult) = v;
      takeresult(1);
    }
    ++wordpos;
    r = WordResult::stay;
    return true;
  }
  core::xeqstackptr = std::max(ptr - f4 - 1, core::xeqstackbase);
  r = (core::xeqmode & core::runmode::running) ? WordResult::looptest : WordResult::leave;
  return true;
}

bool referencerun(std::int16_t w) {
  if (!runstate()) return false;
  const std::int32_t n = core::cwcount(w);
  const std::int32_t argbase = core::xeqstackptr - n;
  if (argbase <= core::xeqstackbase || argbase < 1 || core::xeqstackptr > adrs.size()) return false;
  const std::int32_t S = adrs.data()[argbase - 1];
  if (S < 1 || S > core::nsym || S > name.size() || S + 1 >= static_cast<std::int32_t>(z.size()))
    return false;
  std::int16_t f1 = 0;
  std::memcpy(&f1, z.data() + S, sizeof f1);
  if (f1 < 1 || f1 > core::nstmt || subactive(S)) return false;
  // What the reference finds of the function, kept by its word.
  Referenced& known = referenced[knownat(wordpos)];
  if (known.run != runepoch || known.c.S != S || known.c.f1 != f1) [[unlikely]] {
    known.c = callee(S, f1, true);
    known.run = runepoch;
    // The formals, each a symbol with a value cell (else enter() fails).
    const core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
    const auto zsize = static_cast<std::int32_t>(z.size());
    const std::int32_t count = std::min(known.c.formals, maxformals);
    std::int32_t formal = records[S].link;
    known.named = 0;
    while (known.named < count && formal >= 1 && formal <= core::nsym && formal <= name.size() &&
           formal < zsize) {
      known.formals[static_cast<std::size_t>(known.named++)] = formal;
      formal = records[formal].link;
    }
    known.boundepoch = 0;
  }
  const Callee& c = known.c;
  const std::int32_t m = std::min(c.formals, n);
  if (m > known.named) return false;
  const std::int32_t* const actuals = adrs.data() + argbase;  // (the stack's entry argbase + 1 on)
  const std::int32_t site = wordpos;
  bool bound =
      known.boundepoch == callepoch && known.site == site && known.boundkinds == kindsum(S);
  if (bound) {
    for (std::int32_t i = 0; i < m; ++i) {
      if (known.actuals[static_cast<std::size_t>(i)] != actuals[i]) {
        bound = false;
        break;
      }
    }
  }
  // (The same actual may hand another piece of a text: enter() looks again.)
  if (bound && known.views) bound = !moved(known.formals.data(), m, actuals);
  const std::int32_t scope = core::lokalscope;
  if (!enterframe<true>(c, n, known.formals.data(), bound)) return false;
  if (!bound) {
    known.site = site;
    for (std::int32_t i = 0; i < m; ++i) known.actuals[static_cast<std::size_t>(i)] = actuals[i];
    known.boundepoch = callepoch;
    known.boundkinds = formalkinds[subslot(S)] + formalkinds[subslot(scope)];
    known.views = anyview(known.formals.data(), m);
  }
  return true;
}

bool inlinecall(std::int16_t w, const std::vector<Form>& forms) {
  // A RUN of the program: the command, mode and key state the reference
  // takes as it comes.
  if (!runstate()) return false;
  const std::int32_t n = static_cast<std::uint16_t>(w) & 0x1F;
  const std::int32_t ptr = core::xeqstackptr;
  const std::int32_t argbase = ptr - n;
  if (argbase < 1 || ptr > adrs.size()) return false;
  const std::int32_t* const stack = adrs.data() - 1;
  Bound b;
  if (!bindref(wordpos, stack[argbase], n, ptr, core::iresult, stack + argbase + 1, forms, b))
    return false;
  commitcall(b, wordpos, true);
  ++wordpos;
  return true;
}

}  // namespace exec::fast
