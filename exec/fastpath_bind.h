// What a function reference bound in one step found of its function, and
// the steps that are in line where a statement takes a reference: binding
// it where what was found holds and the function is one step of two cells,
// and making it (exec/fastpath_call.cpp has the rest). Internal to the fast
// path.
#pragma once

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/fastpath_call.h"
#include "exec/fastpath_form.h"
#include "exec/fastpath_numbers.h"
#include "exec/fastpath_prog.h"
#include "exec/heldtexts.h"
#include "exec/xeq.h"
#include "exec/xeqtemps.h"
#include "platform/fpu.h"

namespace exec::fast {

// What a reference of a function found out that holds until `callepoch`
// moves or another frame: the function's statements and its formals. (A loop
// references the same function from the same frame time after time.) What
// was found of the function's statements alone, that it fits or not, holds
// on while `epoch` and `formsepoch` stay (`seen`, `seenforms`), and for the
// same reference while `callepoch - kindmoves` stays (`sitefits`,
// `siteunfit`). Kept by the reference's word (`knowns`).
struct Known {
  std::uint64_t epoch = 0;
  std::uint64_t sitefits = 0, siteunfit = 0;
  std::int32_t site = 0;
  std::int32_t S = 0, n = 0, ptr = 0, base = 0, first = 0, scope = 0, stop = 0;
  std::int32_t f1 = 0, m = 0;
  std::int16_t scopesub = 0;  // the `lokalsub` of `scope`, which the return leaves
  bool program = false;       // the function's statements are not one assignment's form
  bool onestep = false;       // that program is one step of two cells (onecellsstep())
  std::array<std::int32_t, maxformals> formal{}, back{};
  bool plainback = true;
  // The function's statements before its END (from f1 + 1 on, the cell
  // each assigns to in `bodytargets`): `single` where they are one
  // unconditional assignment to the function's value, `others` where one
  // assigns to another cell.
  bool single = true, others = false;
  bool boundplain = true;  // `plainback`, and no statement assigns to another cell
  // The actuals last found bound as the formals expect: their types change
  // as `callepoch` moves, or as `formalkinds` moves for the function (its
  // formals) or for the subroutine the reference stands in (an actual that
  // is its formal, named by a statement that has no form).
  std::array<std::int32_t, maxformals> matched{};
  // (With them the return's give-back changes no actual: matchformals.)
  bool quietback = false;
  bool result = false;  // a statement of the function is a program form: it sets its result cell
  // Its one statement assigns to its value what references of functions
  // that bindcall() takes give (nestedvalue()).
  bool nested = false;
  std::int8_t nbody = 1;
  // The function's own `formalkinds` as the actuals were matched (its low
  // bits: it is compared only where kindsum() moved by one since).
  std::uint32_t matchedown = 0;
  // While they hold, kindsum() as they were matched (never 0), else 0.
  std::uint64_t matchedkinds = 0;
  bool fits = false;
  // A formal was matched to an array or a text, whose cell tells where it
  // lies (viewmoved()).
  bool views = false;
  std::int16_t heldtype = 0;  // heldfor's type as the actuals were matched
  std::uint64_t seen = 0, seenforms = 0;
  // The formal whose change of kind last left every form of the function
  // as it was, the function's last statement, for `formchanges` and the
  // run it was found in.
  std::int32_t heldfor = 0, heldlast = 0;
  std::uint64_t heldchanges = 0, heldrun = 0;
};

// (Enough places that the references of a loop over many functions keep
// theirs: a site's place is a hash of its word.)
inline constexpr std::size_t nknown = 1024;
inline std::array<Known, nknown> knowns;
inline std::size_t knownat(std::int32_t site) {
  return (static_cast<std::uint32_t>(site) * 2654435761u >> 22) % nknown;
}
// (Apart, so that a Known stays as it is: by the place of its Known,
// whether its function's statement is one unconditional assignment to its
// value, an assignment's form or one step of two cells, that reads no cell
// of the run words (1 to 6), so that a statement may take it in line:
// leanref().)
inline std::array<bool, nknown> leanknown{};
inline bool& leanof(const Known& known) {
  return leanknown[static_cast<std::size_t>(&known - knowns.data())];
}

// The references bound for the statement of the function that
// nestedvalue() computed last, while the reference to it is neither made
// nor put back (`live`); `count` tells that reference's Bound.
struct Nest {
  std::uint32_t count = 0;
  bool live = false;
  std::int32_t n = 0;
  std::array<Bound, maxinner> inner;
};
inline Nest nest;

// Whether `b` is the reference whose nest is bound.
inline bool nestof(const Bound& b) { return b.nest != 0 && nest.live && b.nest == nest.count; }

// The return's give-back: each actual (a symbol or an element's cell)
// takes the value of the formal the function's header names for it.
// The formals of `known` bound to the actuals' values and the function's
// value unassigned, what each held kept in `b` for the unbinding. (Each
// formal kept as it was before it is bound: the formals are distinct, and
// an actual that is an earlier formal reads it bound, as the general path
// binds them in turn.)
[[gnu::always_inline]] inline void bindformals(Bound& b, const Known& known,
                                               const std::int32_t* actuals, std::int32_t S,
                                               double* cells, std::int32_t zsize) {
  b.known = &known;
  b.plainback = known.boundplain;
  b.nest = 0;
  b.keptvalue = cells[S + 1];
  cells[S + 1] = unassigned;
  for (std::int32_t i = 0; i < known.m; ++i) {
    const std::int32_t f = known.formal[static_cast<std::size_t>(i)];
    const std::int32_t a = actuals[i];
    b.kept[static_cast<std::size_t>(i)] = cells[f];
    cells[f] = a >= 0 && a < zsize ? cells[a] : 0.0;
  }
}

// Whether a reference made its value (`good`, and not the unassigned
// value); else its binding is undone. (A value that is no finite number is
// the function's statement's failure, raised again when the general path
// runs it: the status it left must not fail the calling statement's next
// step first.)
[[gnu::always_inline]] inline bool madevalue(const Bound& b, bool good) {
  if (!good || std::bit_cast<std::uint64_t>(b.v) == std::bit_cast<std::uint64_t>(unassigned))
      [[unlikely]] {
    unbind(b);
    plat::fpu_clear();
    return false;
  }
  return true;
}

[[gnu::noinline]] void giveback(const Known& known);
// What the references of the nest leave, in turn: each function's value
// and its record as its return leaves it (the reference made in the
// function's frame, which keeps the mode `mode` and the command of a
// call). The give-back of each changes nothing: their formals keep the
// actuals' values.
[[gnu::noinline]] void madenest(std::int32_t mode);

// The run words that a reference's END leaves: the word path's first
// steps (a chain writes those it leaves, as the calling statement's, when
// it ends), then the return to the caller in frame mode `mode`, its
// command `prev` and subroutine `scope` (whose `lokalsub` is `scopesub`),
// with the give-back of the function `known` found (none: nothing to give
// back).
template <bool chained>
[[gnu::always_inline]] inline void returnwords(const Known* known, std::int16_t scopesub,
                                               std::int32_t mode, std::int32_t prev,
                                               std::int32_t scope) {
  if constexpr (!chained) {
    if ((core::idestate & core::busy::compiling) == 0) core::nomsg = 0;
    jumpedflag = 0;
    eventcmd = 0;
    core::keystate[1] = 0;
    rerunflag = false;
    core::iostatw[0] = 0;
    core::msgkey.blank();
    stoppedflag = 0;
    // (The END's first steps, in the frame that kept the calling
    // statement's texts.)
    core::c1tmptop = std::max(core::c1tmptop, textbase());
    stmtflags = 0;
  }
  eventlabel = 0;
  callkind = wfunction;
  // (Where the give-back leaves each actual as it is, it is not made.)
  if (known != nullptr && !known->quietback) giveback(*known);
  core::lokalsub = scopesub;
  core::xeqmode = mode;
  core::xeqstop = (mode & 0x02) && scope == tablescope ? stops::callback : 0;
  core::idecmd = static_cast<std::int8_t>(prev & 0xFF);
  if (alarmsavedcmd == core::idecmd) alarmsavedcmd = -1;
  if (core::idecmd < -1 && core::idecmd != -13) core::xeqmode |= core::runmode::running;
}

// commitcall() and commitchained().
template <bool chained>
[[gnu::always_inline]] inline void commit(const Bound& b, std::int32_t callpos, bool onstack) {
  std::int32_t* const stack = core::adrs.data() - 1;          // stack[i] is adrs(i)
  core::SymbolRecord* const records = core::name.data() - 1;  // records[s] is name(s)
  double* const cells = core::z.data();
  const Known& known = *b.known;
  const std::int32_t S = known.S, ptr = known.ptr, n = known.n;
  const std::int32_t calleefirst = known.first;
  // The reference: its frame on the stack, the function's record.
  const std::int32_t scope = core::lokalscope;
  if (onstack) {
    stack[ptr + 1] = scope;
    stack[ptr + 2] = core::xeqstackbase;
    stack[ptr + 3] = callpos;
    stack[ptr + 4] = firsttemp;
    stack[ptr + 5] = wfunction;
  }
  // (The caller's `$` that a call keeps for its function's return is read
  // only by a return, and every call of the function keeps it anew: a call
  // whose return is made here need not keep it.)
  const std::int32_t prev = savedcmd();
  const std::int32_t mode = core::xeqmode & core::runmode::framebits;
  if (nestof(b)) [[unlikely]]
    madenest(mode);
  // The function's record: the argument count, the caller's mode and
  // command, and no return statement (it had one while active).
  // (Each field stored in its place: a record gathered on the stack and
  // copied whole is read back before its parts are written, which stalls.)
  char* const fields = reinterpret_cast<char*>(cells + S);
  const std::int16_t noreturn = 0;
  const auto modecmd = static_cast<std::int16_t>((mode & 0xFF) | ((prev & 0xFF) << 8));
  const auto count = static_cast<std::int16_t>(n);
  std::memcpy(fields + sizeof(std::int16_t), &noreturn, sizeof noreturn);
  std::memcpy(fields + 2 * sizeof(std::int16_t), &modecmd, sizeof modecmd);
  std::memcpy(fields + 3 * sizeof(std::int16_t), &count, sizeof count);
  // The function's statement (`$` comes back with the return).
  cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
  cells[S + 1] = b.v;
  if (onstack) {
    stack[ptr + framesize + 1] = calleefirst + 1;
    // (A program form leaves its value in its result cell too.)
    if (known.result) cells[calleefirst + 1] = known.single ? b.v : b.rc;
  }
  // Its END: the word path's first steps, then the return. (A chain
  // writes the run words these steps leave, as the calling statement's,
  // when it ends.) The return gives the caller its rerun mark back, as a
  // frame's return does: a whole-array statement goes on with its next $.
  const bool rerun = rerunflag;
  returnwords<chained>(&known, known.scopesub, mode, prev, scope);
  rerunflag = rerun;
  // The value takes the function's place on the stack.
  if (!onstack) return;
  records[calleefirst] = core::SymbolRecord{};
  records[calleefirst].type = numtemptype;
  records[calleefirst + 1] = core::SymbolRecord{};
  records[calleefirst + 1].type = numtemptype;
  cells[calleefirst] = b.v;
  stack[ptr - n] = calleefirst;
  core::xeqstackptr = ptr - n;
  core::iresult = calleefirst + 1;
}

// Leaves what the reference, the function and its return leave, the value
// on the stack in place of the function (callpos: the reference's word).
// Without `onstack` the caller keeps its operands itself: the frame, the
// value's cell and the stack above the statement's target, which nothing
// reads again, are left alone.
[[gnu::always_inline]] inline void commitcall(const Bound& b, std::int32_t callpos, bool onstack) {
  commit<false>(b, callpos, onstack);
}
// commitcall() without `onstack` for a chain of forms, which writes the run
// words of the word path's first steps when it ends (the typed key's state
// it wrote itself).
[[gnu::always_inline]] inline void commitchained(const Bound& b, std::int32_t callpos) {
  commit<true>(b, callpos, false);
}

// bindcall() in line where what `knowns` holds for the reference is found
// for it (its frame, the function's statements, the actuals and their
// kinds) and the function's statement is one unconditional assignment to
// its value (an assignment's form or a program, Known::single): the
// formals bound and the value computed as bindcall() does; everything else
// (nothing changed yet) is bindcall()'s.
[[gnu::always_inline]] inline bool bindref(std::int32_t site, std::int32_t S, std::int32_t n,
                                           std::int32_t ptr, std::int32_t first,
                                           const std::int32_t* actuals,
                                           const std::vector<Form>& forms, Bound& b) {
  Known& known = knowns[knownat(site)];
  const std::int32_t base = core::xeqstackbase;
  if (known.epoch != callepoch || known.site != site || known.nested ||
      (known.program && !known.single) || known.S != S || known.n != n || known.ptr != ptr ||
      known.base != base || known.first != first || known.scope != core::lokalscope ||
      known.stop != stopline ||
      known.matchedkinds != formalkinds[subslot(S)] + formalkinds[subslot(core::lokalscope)] ||
      subactive(S, base) || plat::fpu_peek_status() != 0) [[unlikely]]
    return bindcall(site, S, n, ptr, first, actuals, forms, b);
  if (known.views && viewmoved(known, actuals)) [[unlikely]]
    return false;
  const std::int32_t m = known.m;
  for (std::int32_t i = 0; i < m; ++i)
    if (known.matched[static_cast<std::size_t>(i)] != actuals[i]) [[unlikely]]
      return bindcall(site, S, n, ptr, first, actuals, forms, b);
  const Form& body = forms[static_cast<std::size_t>(known.f1 + 1)];
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  if (known.onestep && (body.prog.topcell >= zsize || S + 1 > core::nz)) [[unlikely]]
    return bindcall(site, S, n, ptr, first, actuals, forms, b);
  double* const cells = core::z.data();
  bindformals(b, known, actuals, S, cells, zsize);
  bool good = true;
  if (known.onestep) {
    b.v = cellsvalue(body.prog.quick[1], cells);
    good = std::isfinite(b.v);
  } else if (known.program) {
    // (The program assigns the value to the function's cell itself.)
    const ProgResult r = runplain(body.prog);
    good = r.done;
    b.v = r.value;
  } else {
    good = evaluate(body.value, cells, zsize, b.v);
  }
  return madevalue(b, good);
}

// A cell as it was before a statement's references taken in line wrote it.
struct Undo {
  std::int32_t cell;
  double v;
};
// The most cells such a statement writes.
inline constexpr std::int32_t maxundo = 160;

// What leanref() found of a reference (its function `known`, its
// statement `body`, bound to `actuals`) for leanwords() to take it by
// (leanvalue()); found.m is -1 where it cannot.
[[gnu::noinline]] inline void leanfound(const Known& known, const Form& body,
                                        const std::int32_t* actuals, LeanRef& found) {
  found.m = -1;
  if (known.m > LeanRef::maxformals) return;
  found.S = known.S;
  found.count = known.n;
  found.code = found.code2 = 0;
  found.rel = -1;
  std::array<std::int32_t, 3> cells{};
  std::int32_t operands = 2;
  if (known.onestep) {
    const QStep& q = body.prog.quick[1];
    found.op = LeanRef::step;
    found.quick = q.op;
    found.code = q.code;
    cells = {q.a, q.b, 0};
  } else {
    const Expr& e = body.value;
    found.code = e.code;
    found.code2 = e.code2;
    found.rel = e.rel;
    cells = {e.a, e.b, e.c};
    switch (e.shape) {
      case Expr::cell:
        found.op = LeanRef::cell;
        operands = 1;
        break;
      case Expr::arith:
        found.op = LeanRef::arith;
        break;
      case Expr::arith2:
        found.op = LeanRef::arith2;
        operands = 3;
        break;
      case Expr::compare:
        found.op = LeanRef::compare;
        break;
      default:
        return;
    }
  }
  for (std::int32_t j = 0; j < 3; ++j) {
    std::int32_t o = j < operands ? cells[static_cast<std::size_t>(j)] : 0;
    for (std::int32_t i = 0; i < known.m; ++i)
      if (o == known.formal[static_cast<std::size_t>(i)]) o = ~i;
    found.operand[static_cast<std::size_t>(j)] = o;
  }
  for (std::int32_t i = 0; i < known.m; ++i) {
    found.formal[static_cast<std::size_t>(i)] = known.formal[static_cast<std::size_t>(i)];
    found.actual[static_cast<std::size_t>(i)] = actuals[i];
  }
  found.m = known.m;
}

// The value of a reference as leanfound() found it, its formals bound to
// the values `bound`: false where it is no finite number (or reads as the
// function's value unassigned), as bindref() finds it.
[[gnu::always_inline]] inline bool leanvalue(const LeanRef& e, const double* cells,
                                             const double* bound, double& v) {
  const auto x = [&e, cells, bound](std::size_t j) {
    const std::int32_t o = e.operand[j];
    return o >= 0 ? cells[o] : bound[~o];
  };
  switch (e.op) {
    case LeanRef::cell:
      v = x(0);
      break;
    case LeanRef::step:
      v = stepvalue(e.quick, static_cast<std::uint16_t>(e.code), x(0), x(1));
      break;
    case LeanRef::arith:
      v = arithmetic(e.code, x(0), x(1));
      break;
    case LeanRef::arith2: {
      const double ab = arithmetic(e.code, x(0), x(1));
      if (!std::isfinite(ab)) return false;
      v = arithmetic(e.code2, ab, x(2));
      break;
    }
    case LeanRef::compare: {
      const double a = x(0), b = x(1);
      if (!std::isfinite(a - b)) return false;
      v = relholds(e.rel, exprdiff(a, b)) ? 1.0 : 0.0;
      break;
    }
  }
  return std::isfinite(v) &&
         std::bit_cast<std::uint64_t>(v) != std::bit_cast<std::uint64_t>(unassigned);
}

// A reference taken in line in a statement all of whose references are so
// taken (leanwords() in exec/fastpath.cpp), where bindref() would bind it
// in line, the function is `lean` and its return gives nothing back: the
// formals bound, the value `v` computed, and what commit() leaves of the
// function made at once (its record's fields, `modecmd` the caller's mode
// and command, and its value). The cells of `$` that commit() writes and
// the run words of its return are the statement's to write, the cells
// before its first reference, the words once after its last (`last`
// tells the function of that). Each cell it writes is kept in `undo`
// first (`nundo` of them). False where the statement must take the
// reference's own road: the caller puts the kept cells back.
[[gnu::always_inline]] inline bool leanref(std::int32_t site, std::int32_t S, std::int32_t n,
                                           std::int32_t ptr, std::int32_t first,
                                           const std::int32_t* actuals,
                                           const std::vector<Form>& forms, std::int16_t modecmd,
                                           Undo* undo, std::int32_t& nundo, const Known*& last,
                                           double& v, LeanRef& found) {
  const Known& known = knowns[knownat(site)];
  const std::int32_t base = core::xeqstackbase;
  if (known.epoch != callepoch || known.site != site || !leanof(known) || !known.quietback ||
      !known.boundplain || known.S != S || known.n != n || known.ptr != ptr || known.base != base ||
      known.first != first || known.scope != core::lokalscope || known.stop != stopline ||
      known.matchedkinds != formalkinds[subslot(S)] + formalkinds[subslot(core::lokalscope)] ||
      nundo + 2 + known.m > maxundo || subactive(S, base)) [[unlikely]]
    return false;
  const std::int32_t m = known.m;
  for (std::int32_t i = 0; i < m; ++i)
    if (known.matched[static_cast<std::size_t>(i)] != actuals[i]) [[unlikely]]
      return false;
  const Form& body = forms[static_cast<std::size_t>(known.f1 + 1)];
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  if (known.onestep && (body.prog.topcell >= zsize || S + 1 > core::nz)) [[unlikely]]
    return false;
  double* const cells = core::z.data();
  undo[nundo++] = {S, cells[S]};
  undo[nundo++] = {S + 1, cells[S + 1]};
  cells[S + 1] = unassigned;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t f = known.formal[static_cast<std::size_t>(i)];
    const std::int32_t a = actuals[i];
    undo[nundo++] = {f, cells[f]};
    cells[f] = a >= 0 && a < zsize ? cells[a] : 0.0;
  }
  bool good = true;
  if (known.onestep) {
    v = cellsvalue(body.prog.quick[1], cells);
    good = std::isfinite(v);
  } else {
    good = evaluate(body.value, cells, zsize, v);
  }
  if (!good || std::bit_cast<std::uint64_t>(v) == std::bit_cast<std::uint64_t>(unassigned))
      [[unlikely]]
    return false;
  // (As commit() leaves the record and the value.)
  char* const fields = reinterpret_cast<char*>(cells + S);
  const std::int16_t noreturn = 0;
  const auto count = static_cast<std::int16_t>(n);
  std::memcpy(fields + sizeof(std::int16_t), &noreturn, sizeof noreturn);
  std::memcpy(fields + 2 * sizeof(std::int16_t), &modecmd, sizeof modecmd);
  std::memcpy(fields + 3 * sizeof(std::int16_t), &count, sizeof count);
  cells[S + 1] = v;
  last = &known;
  leanfound(known, body, actuals, found);
  return true;
}

}  // namespace exec::fast
