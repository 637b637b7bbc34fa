#include "exec/fastpath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "core/codeword_dump.h"
#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/xform.h"
#include "exec/alarms.h"
#include "exec/assign.h"
#include "exec/builtins.h"
#include "exec/control.h"
#include "exec/fastpath_bind.h"
#include "exec/fastpath_call.h"
#include "exec/fastpath_form.h"
#include "exec/fastpath_frames.h"
#include "exec/fastpath_numbers.h"
#include "exec/fastpath_runs.h"
#include "exec/heldtexts.h"
#include "exec/operators.h"
#include "exec/optforms.h"
#include "exec/postfix.h"
#include "exec/wordpath.h"
#include "exec/xeqtemps.h"
#include "platform/fpu.h"
#include "platform/win_queue_idle.h"

namespace exec::fast {

namespace {

using core::name;
using core::z;

std::vector<Form> forms;  // by statement number
// Forms that a statement had for other types of its symbols: the formals
// of a subroutine called from several places take the types of each
// call's actuals in turn, and its statements need not be made anew at
// each call. (A few a statement, the oldest given up first.)
constexpr std::size_t keptforms = 3;
struct Kept {
  std::vector<Form> forms;  // at most `keptforms`
  std::size_t next = 0;     // the one to give up
};
std::vector<Kept> otherforms;  // by statement number

// The types of the statement's symbols are those it was compiled from.
// (The same, where a symbol the form only reads as a number may have any
// type that reads alike.)
[[gnu::noinline]] bool alike(const Form& f) {
  const core::SymbolRecord* const names = core::name.data() - 1;
  std::uint32_t loose = f.loose;
  for (const auto& [s, type] : f.types) {
    if (s > core::nname) return false;
    const std::int16_t now = names[s].type;
    if (now != type && ((loose & 1u) == 0 || !readsalike(now))) return false;
    loose >>= 1;
  }
  return true;
}
bool sametypes(const Form& f) {
  const core::SymbolRecord* const names = core::name.data() - 1;
  for (const auto& [s, type] : f.types)
    if (s > core::nname || names[s].type != type) return f.loose != 0 && alike(f);
  return true;
}

// The statement's words and its symbols' types are those it was compiled from.
bool current(const Form& f, std::span<const std::int16_t> words) {
  const std::size_t n = words.size();
  if (f.words.size() != n) return false;
  const std::int16_t* a = f.words.data();
  const std::int16_t* b = words.data();
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t x = 0, y = 0;
    std::memcpy(&x, a + i, 8);
    std::memcpy(&y, b + i, 8);
    if (x != y) return false;
  }
  for (; i < n; ++i)
    if (a[i] != b[i]) return false;
  return sametypes(f);
}

// The form of statement s for its words as they stand: one kept for them,
// or a new one (the form it had is kept).
void remake(std::int32_t s, Form& f, std::span<const std::int16_t> words) {
  ++formchanges;
  if (f.kind == Kind::unknown) {
    f = compile(words);
    return;
  }
  if (otherforms.size() < forms.size()) otherforms.resize(forms.size());
  Kept& kept = otherforms[static_cast<std::size_t>(s)];
  for (Form& other : kept.forms) {
    if (current(other, words)) {
      std::swap(f, other);
      return;
    }
  }
  if (kept.forms.size() < keptforms) {
    kept.forms.push_back(std::move(f));
  } else {
    kept.forms[kept.next] = std::move(f);
    kept.next = (kept.next + 1) % keptforms;
  }
  f = compile(words);
}

// Places the arrays whose elements expression e reads (placearray()).
void placearrays(Expr& e, std::int32_t zsize) {
  if (e.shape == Expr::elem || e.shape == Expr::elemop)
    placearray(e.array, zsize, e.first, e.count);
  for (Step& s : e.steps)
    if (s.op == Op::elem) placearray(s.arg, zsize, s.first, s.count);
}

// The condition of form f's word steps (pushes of cells and the loop's
// operators, as Compiler::computedjump and Compiler::guard make them) as
// its operators and their operands (Form::condsteps).
void placecondition(Form& f) {
  f.condsteps.clear();
  f.condcell = 0;
  std::array<std::int32_t, longeststack> stack{};
  std::size_t sp = 0;
  for (const Form::WordStep& s : f.wordsteps) {
    if (s.op == Form::WordStep::push) {
      stack[sp++] = s.index;
      continue;
    }
    const std::int32_t b = stack[--sp], a = stack[sp - 1];
    const auto u = static_cast<std::uint16_t>(s.word);
    const int rel = looprel(u);
    const std::uint8_t how = u == xop::tplus     ? 0
                             : u == xop::tminus  ? 1
                             : u == xop::ttimes  ? 2
                             : u == xop::tdivide ? 3
                             : rel >= 0          ? static_cast<std::uint8_t>(4 + rel)
                                                 : 10;
    f.condsteps.push_back({.a = a, .b = b, .word = s.word, .how = how});
    stack[sp - 1] = -static_cast<std::int32_t>(f.condsteps.size());
  }
  if (f.condsteps.empty()) f.condcell = stack[0];
}

// What of the stores a form may rely on while they keep their sizes: the
// cells it names, a DO loop's record, where its arrays lie. Checked with
// the words.
// Counts the forms made ready: what a loop found of its statements' forms
// (freestatements()) holds while it stays.
std::uint64_t readies = 0;

bool ready(Form& f) {
  ++readies;
  const auto zsize = static_cast<std::int32_t>(z.size());
  if (core::nsym < 6) return false;
  // A failed calculation of the general path not yet reported (a loop
  // test's, say) is reported by the next statement that evaluates: that
  // is the general path's. (Forms raise none: they give back any value
  // that is not a finite number before the status could rise.)
  if (plat::fpu_peek_status() != 0) return false;
  switch (f.kind) {
    case Kind::prog:
      return readyprog(f.prog);
    case Kind::block:
      if (!f.prog.empty()) return readyprog(f.prog);
      [[fallthrough]];
    case Kind::assign:
      // The arrays the statement names have storage (the general path sets
      // each up, and fails on one without, before it evaluates anything);
      // fast statements never write an array's own cell.
      for (const std::int32_t a : f.arrays)
        if (!arrayshape(a, zsize)) return false;
      placearrays(f.cond, zsize);
      placearrays(f.value, zsize);
      if (!f.index.empty()) {
        placearrays(f.index, zsize);
        placearray(f.target, zsize, f.targetfirst, f.targetcount);
      }
      // (A block's target is a statement, an assignment's a cell.)
      return f.topcell < zsize && (f.kind == Kind::block || f.target < zsize);
    case Kind::enddo: {
      // A loop whose DO never ran falls through: the general path.
      f.loop = dorecord(f.dosym);
      const DoRecord& r = f.loop;
      return r.dostmt > 0 && r.var > 0 && r.adr > 0 && r.adr + 1 < zsize && r.var < zsize;
    }
    case Kind::words:
      if (f.wordsteps.empty()) return true;
      [[fallthrough]];
    case Kind::jump: {
      // The cells the loop pushes: a scalar formal bound to a cell stands
      // for that cell.
      const auto cellof = [zsize](std::int32_t s) {
        const core::SymbolRecord& r = name(s);
        const std::int32_t c = (r.type & 0xA8) == 0xA0 && r.adr > 0 ? r.adr : s;
        return c < zsize ? c : 0;
      };
      if (!f.wordsteps.empty()) {
        for (Form::WordStep& s : f.wordsteps)
          if (s.op == Form::WordStep::push && (s.index = cellof(s.sym)) == 0) return false;
        placecondition(f);
        // (The chain reads the label's statement from its cell.)
        return f.kind != Kind::jump || (f.label >= 1 && f.label < zsize);
      }
      // (The chain reads the label's statement from its cell.)
      if (f.label < 1 || f.label >= zsize) return false;
      if (f.jumprel < 0) return true;
      f.leftcell = cellof(f.left);
      f.rightcell = cellof(f.right);
      return f.leftcell > 0 && f.rightcell > 0;
    }
    case Kind::call: {
      // The subroutine and its formals as a call finds them (their records
      // change only when the program is compiled); none when the call
      // would fail: its words then run.
      f.callee = Callee{};
      f.formals.clear();
      const std::int32_t S = f.pushes[0];
      const std::int32_t f1 = S <= core::nsym && name.valid(S) ? core::I2EQUZ(1, S) : 0;
      if (f1 < 1 || f1 > core::nstmt) return true;
      const Callee c = callee(S, f1, false);
      const std::int32_t m = std::min(c.formals, static_cast<std::int32_t>(f.pushes.size()) - 1);
      std::int32_t formal = name(S).link;
      for (std::int32_t i = 0; i < m; ++i) {
        if (formal < 1 || formal > core::nsym || !name.valid(formal) || formal >= zsize)
          return true;
        f.formals.push_back(formal);
        formal = name(formal).link;
      }
      f.callee = c;
      return true;
    }
    case Kind::wordassign:
    case Kind::ret:
    case Kind::empty:
      return true;
    default:
      return false;
  }
}

// The result cells that the general path would take from `firsttemp` on
// (`cells` of them) exist already: it would grow no store.
inline bool temproom(std::int32_t cells) { return cellsfrom(firsttemp, cells); }

// The operand stack has room for a statement on the word path (the
// general path would ask for more otherwise).
inline bool wordstackroom() {
  const std::int32_t base = core::xeqstackbase;
  return base + core::nadrsstep / 4 < core::nadrslow && base + 1 <= core::adrs.size();
}

// The general path links a statement of the expression path of `nwords`
// words into the room above the stack pointer sp (at most 8 entries a
// word) and evaluates it there: true when it would not ask for more room
// and `need` entries fit.
inline bool linkroom(std::int32_t sp, std::int32_t nwords, std::int32_t need) {
  const std::int32_t room = core::nadrs - core::nedlines - sp - 5;
  return room >= 8 && need <= std::min(8 * nwords, room);
}

// The room of linkroom for the assignment of form f. Room for 8 entries a
// word always does; a store too small for that (any short script's, for a
// statement of some fifty words) is held against what the statement's
// linked form and evaluation take, measured once.
inline bool assignroom(Form& f, std::int32_t sp) {
  if (core::nadrs - core::nedlines - sp - 5 >= 8 * (f.end - f.start)) return true;
  if (f.linkneed == 0) measurelink(f);
  return f.linkneed > 0 && linkroom(sp, f.end - f.start - 1, f.linkneed);
}

// The room that the general path checks for (temproom, the operand stack's
// room) for the statement of form f; true when it would neither grow a
// store nor ask. Kept with the form for the frame it was checked in:
// nothing that it reads changes until the next stir() or a call or return.
[[gnu::always_inline]] inline bool room(Form& f) {
  const std::int32_t base = core::xeqstackbase;
  const std::uint64_t frame = framekey(firsttemp, base);
  if (f.roomframe == frame) return true;
  bool ok = false;
  switch (f.kind) {
    case Kind::prog:
    case Kind::block:
      if (f.kind == Kind::prog || !f.prog.empty()) {
        // The general path links the statement into the room above the
        // stack (at most 8 entries a word) and evaluates it there.
        const std::int32_t sp = base + 1;
        ok = sp <= core::adrs.size() &&
             linkroom(sp, f.end - f.start - 1, f.prog.total + f.prog.depth + 1) &&
             temproom(f.prog.allcells);
        break;
      }
      [[fallthrough]];
    case Kind::assign: {
      const std::int32_t sp = base + 1;
      ok = temproom(f.cells) && sp <= core::adrs.size() && assignroom(f, sp);
      break;
    }
    case Kind::enddo:
    case Kind::empty:
      ok = temproom(1) && wordstackroom();
      break;
    case Kind::jump:
      ok = temproom(std::max(f.nvalues + 2, 3)) && wordstackroom() &&
           base + std::max(f.maxstack, 2) <= core::adrs.size();
      break;
    case Kind::words:
    case Kind::wordassign:
    case Kind::call:
    case Kind::ret:
      ok = temproom(f.nvalues + 2) && wordstackroom() && firsttemp < core::nname &&
           core::name.valid(firsttemp) && base + f.maxstack + 1 <= core::adrs.size();
      break;
    default:
      break;
  }
  if (ok) {
    f.roomframe = frame;
  }
  return ok;
}

// The end of a statement as the loop's end step makes it.
void endstatement() {
  if (alarmreset) {
    alarmreset = false;
    core::xeqstackbase = 1;
    framesdropped();
    droptexts();
    stir();
  }
  ++core::xeqline;
  jumpedflag = 0;
}

// A CALL, return or statement of words that ran by its form left the loop
// test as quiet as it found it (`quietcall`, read by the loop after such a
// statement) when it took a RUN's own road: its frame, bindings, cells and
// run words, which change none of what the loop test looks at but the stop
// word, the command and the mode that a return gives back. (An entry made
// right after runstate() held leaves it quiet whatever came before.)
bool quietcall = false;
inline bool quietafter() {
  return core::xeqstop == 0 && core::idecmd <= 0 && (core::xeqmode & core::runmode::running) != 0;
}

// The head of every statement: run words of the loop.
void head(std::int32_t start, std::int32_t end) {
  core::xeqstop = 0;
  stmtstart = start;
  stmtend = end;
  if (core::lokalscope == 0) core::lokalscope = core::lokalsub;
  if ((core::idestate & core::busy::compiling) == 0) core::nomsg = 0;
}

// The prologue of a statement on the word path, after its room was checked
// (its first result cell and record exist).
void wordprologue(std::int32_t start) {
  wordpathstart();
  core::iresult = firsttemp;
  freshtemprecord(name.data()[firsttemp - 1]);
  core::xeqstackptr = core::xeqstackbase;
  stmtflags = 0;
  wordpos = start;
}

// What the internal steps answer: an Outcome's kind; the word's answer of
// a handed-back statement waits in `handed`. (Small plain values, so that
// nothing is built in memory and read back wider on the way out.)
using Res = Outcome::Kind;
constexpr Res notrun = Outcome::notrun;
Outcome handed;
Res ran() { return Outcome::looptest; }
Res handback(WordResult r, std::int16_t lastword) {
  handed.answer = r;
  handed.lastword = lastword;
  return Outcome::afterword;
}

// What a statement of the expression path leaves before its own effects:
// the loop's head, the result cell and stack, and the predefined cells that
// the evaluation sets for its single pass.
// Within one call of runstatement these words are the same for every
// statement of the expression path: once set, they stay until a statement
// of another kind runs (which clears `exprsettled`).
bool exprsettled = false;
[[gnu::noinline]] void settleexprpath(const Form& f) {
  head(f.start, f.end);
  core::iresult = firsttemp;
  core::xeqstackptr = core::xeqstackbase + 1;
  core::msgkey.blank();
  double* const cells = z.data();
  cells[1] = cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
  exprsettled = true;
}
[[gnu::always_inline]] inline void exprpathsteps(const Form& f) {
  stmtstart = f.start;
  stmtend = f.end;
  core::c1tmptop = textbase() + 1;
  if (!exprsettled) settleexprpath(f);
}

Res runassign(Form& f) {
  if (!room(f)) return notrun;
  const std::int32_t sp = core::xeqstackbase + 1;
  double* const cells = z.data();
  const auto zsize = static_cast<std::int32_t>(z.size());
  bool run = true;
  if (!f.cond.empty()) {
    double c = 0.0;
    if (!evaluate(f.cond, cells, zsize, c)) return notrun;
    run = c != 0.0;
  }
  std::int32_t target = f.target;
  double v = 0.0;
  if (run) {
    if (!f.index.empty()) {
      double i = 0.0;
      if (!evaluate(f.index, cells, zsize, i)) return notrun;
      target = elemat(f.targetfirst, f.targetcount, i);
      if (target <= core::nsym) return notrun;
    }
    if (!evaluate(f.value, cells, zsize, v)) return notrun;
  }
  // The statement runs through: what the general path leaves.
  exprpathsteps(f);
  if (run) cells[target] = v;
  core::adrs.data()[sp - 1] = firsttemp + 1;
  endstatement();
  return ran();
}

static_assert(xop::tgt - xop::tlt == 0x20 && xop::tle - xop::tlt == 0x40 &&
              xop::tge - xop::tlt == 0x60 && xop::teq - xop::tlt == 0x80 &&
              xop::tne - xop::tlt == 0xA0);

// One operator of the loop's words on two numbers, as XEQBINNUM makes it:
// + - * / and the relations here, ** by it. False when the words would
// fail or report (a relation's difference that overflows: the
// floating-point status is cleared then).
[[gnu::always_inline]] inline bool loopop(std::int16_t word, double a, double b, double& r) {
  switch (static_cast<std::uint16_t>(word)) {
    case xop::tplus:
      r = a + b;
      return true;
    case xop::tminus:
      r = a - b;
      return true;
    case xop::ttimes:
      r = a * b;
      return true;
    case xop::tdivide:
      r = a / b;
      return true;
    case xop::tlt:
    case xop::tgt:
    case xop::tle:
    case xop::tge:
    case xop::teq:
    case xop::tne: {
      // (The difference's overflow is the words' to raise again.)
      if (!std::isfinite(a - b)) {
        plat::fpu_clear();
        return false;
      }
      // (The relations' codes follow each other 0x20 apart, in looprel()'s order.)
      const int rel = static_cast<int>((static_cast<std::uint16_t>(word) - xop::tlt) >> 5);
      r = relholds(rel, loopdiff(a, b)) ? 1.0 : 0.0;
      return true;
    }
    default:
      return XEQBINNUM(r, a, word, b) == 0;
  }
}

// A GOTO under a one-line IF whose condition its words compute: the
// condition's values (the operators' results, then the value the IF
// tests), as the words compute them; false (the floating-point status
// cleared) when the words would do anything but compute them (a value that
// is no finite number, a failure, a result that the words would take for a
// text). The caller looked at the floating-point status before: a failed
// calculation not yet reported is the words' to report.
[[gnu::always_inline]] inline bool jumpcondition(const Form& f, const double* cells, double* made) {
  const std::size_t n = f.condsteps.size();
  if (n == 0) {
    made[0] = cells[f.condcell];
    return std::isfinite(made[0]);
  }
  const Form::CondStep* const steps = f.condsteps.data();
  for (std::size_t k = 0; k < n; ++k) {
    const Form::CondStep& s = steps[k];
    // (An operator's result is finite already; a cell is looked at here.)
    const double a = s.a > 0 ? cells[s.a] : made[-s.a - 1];
    const double b = s.b > 0 ? cells[s.b] : made[-s.b - 1];
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    double r = 0.0;
    switch (s.how) {
      case 0:
        r = a + b;
        break;
      case 1:
        r = a - b;
        break;
      case 2:
        r = a * b;
        break;
      case 3:
        r = a / b;
        break;
      case 4:
      case 5:
      case 6:
      case 7:
      case 8:
      case 9:
        // (The difference's overflow is the words' to raise again.)
        if (!std::isfinite(a - b)) {
          plat::fpu_clear();
          return false;
        }
        made[k] = relholds(s.how - 4, loopdiff(a, b)) ? 1.0 : 0.0;
        continue;
      default:
        if (XEQBINNUM(r, a, s.word, b) != 0) {
          plat::fpu_clear();
          return false;
        }
        break;
    }
    if (!std::isfinite(r)) {
      plat::fpu_clear();
      return false;
    }
    // (The words would take the result for a text.)
    if (textlike(r)) return false;
    made[k] = r;
  }
  made[n] = made[n - 1];
  return true;
}

// What the words of a computed jump leave (see jumpcondition): each
// operator's result in the next result cell; when the IF finds its value
// 0, that value as the statement's result.
[[gnu::always_inline]] inline Res computedjump(Form& f, std::int32_t at) {
  std::array<double, longeststack> made;
  if (plat::fpu_peek_status() != 0 || !jumpcondition(f, z.data(), made.data())) return notrun;
  const std::int32_t k = f.nvalues;
  const double v = made[static_cast<std::size_t>(k)];
  if (v != 0.0 && at <= 0) return notrun;
  head(f.start, f.end);
  wordprologue(f.start);
  double* const cells = z.data();
  std::int32_t* const stack = core::adrs.data() - 1;  // stack[i] is adrs(i)
  const std::int32_t base = core::xeqstackbase;
  core::xeqstackptr = base + 1;
  for (std::int32_t j = 0; j < k; ++j) {
    cells[firsttemp + j] = made[static_cast<std::size_t>(j)];
    newtemprecord(firsttemp + j + 1);
  }
  stmtflags = k > 0 ? 1 : 0;
  core::iresult = firsttemp + k;
  if (v == 0.0) {
    cells[firsttemp + k] = v;
    stack[base + 1] = firsttemp + k;
    core::iresult = firsttemp + k + 1;
    newtemprecord(firsttemp + k + 1);
    wordpos = f.end - 1;
    endstatement();
    return ran();
  }
  stack[base + 1] = f.label;
  wordpos = f.start + f.gotoat;
  core::xeqline = at;
  return ran();
}

[[gnu::noinline]] Res runcomputedjump(Form& f, std::int32_t at) { return computedjump(f, at); }

// A statement of words under a one-line IF whose condition its words
// compute (see Compiler::guard), when the IF finds it false: what the
// words leave then, as for a computed jump. False, nothing changed, when
// the words must run (the condition holds, or they would do anything but
// compute it).
// (Most often the condition is one operator on two numbers: that one is
// decided and left in line, a computed jump's seldom is, a relation of two
// numbers having a form of its own.)
// Whether the condition of such a statement is one operator on two numbers.
inline bool oneopguard(const Form& f) {
  return f.wordsteps.size() == 3 && f.wordsteps[1].op == Form::WordStep::push && f.nvalues == 1;
}
// That one operator found 0 (the IF false): its value in r. False when the
// words must run (it holds, or the words would do anything but compute it:
// the floating-point status cleared then).
[[gnu::always_inline]] inline bool oneopfalse(const Form& f, const double* cells, double& r) {
  const auto& steps = f.wordsteps;
  if (plat::fpu_peek_status() != 0) return false;
  const double a = cells[steps[0].index], b = cells[steps[1].index];
  if (!std::isfinite(a) || !std::isfinite(b)) return false;
  if (!loopop(steps[2].word, a, b, r) || !std::isfinite(r)) {
    plat::fpu_clear();
    return false;
  }
  return r == 0.0;  // (else the statement runs)
}

[[gnu::noinline]] bool falseguard(Form& f) {
  if (!oneopguard(f)) {
    // (A computed jump with no statement to go to leaves just this, or nothing.)
    return runcomputedjump(f, 0) != notrun;
  }
  double* const cells = z.data();
  double r = 0.0;
  if (!oneopfalse(f, cells, r)) return false;
  // What the words leave: the operator's value in the first result cell,
  // the IF's (the same) in the next, and the statement ends.
  // (room() found the result cells and their records.)
  head(f.start, f.end);
  wordprologue(f.start);
  const std::int32_t base = core::xeqstackbase, temps = firsttemp;
  core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  cells[temps] = r;
  records[temps + 1] = core::SymbolRecord{};
  records[temps + 1].type = numtemptype;
  stmtflags = 1;
  cells[temps + 1] = r;
  core::xeqstackptr = base + 1;
  core::adrs.data()[base] = temps + 1;  // (adrs(base + 1))
  core::iresult = temps + 2;
  records[temps + 2] = core::SymbolRecord{};
  records[temps + 2].type = numtemptype;
  wordpos = f.end - 1;
  endstatement();
  return true;
}

// A GOTO alone or under a one-line IF of a relation: what the loop's words
// leave (the relation's value in the first result cell, the IF's result
// when it is false, the label on the stack when it jumps).
Res runjump(Form& f) {
  exprsettled = false;
  if (!room(f)) return notrun;
  const std::int32_t at = core::I2EQUZ(1, f.label);
  if (!f.wordsteps.empty()) return runcomputedjump(f, at);
  double* const cells = z.data();
  bool cond = true;
  if (f.jumprel >= 0) {
    const double a = cells[f.leftcell], b = cells[f.rightcell];
    // (A difference that overflows is the general path's failure to report.)
    if (!std::isfinite(a - b)) {
      plat::fpu_clear();
      return notrun;
    }
    cond = relholds(f.jumprel, loopdiff(a, b));
  }
  if (cond && at <= 0) return notrun;
  head(f.start, f.end);
  wordprologue(f.start);
  std::int32_t* const stack = core::adrs.data() - 1;  // stack[i] is adrs(i)
  const std::int32_t base = core::xeqstackbase;
  core::xeqstackptr = base + 1;
  if (f.jumprel >= 0) {
    cells[firsttemp] = cond ? 1.0 : 0.0;
    stmtflags = 1;
    core::iresult = firsttemp + 1;
    newtemprecord(firsttemp + 1);
    if (!cond) {
      // The IF's value takes the next result cell, and the statement ends.
      cells[firsttemp + 1] = 0.0;
      stack[base + 1] = firsttemp + 1;
      core::iresult = firsttemp + 2;
      newtemprecord(firsttemp + 2);
      wordpos = f.end - 1;
      endstatement();
      return ran();
    }
  }
  stack[base + 1] = f.label;
  wordpos = f.start + f.gotoat;
  core::xeqline = at;
  return ran();
}

// An empty statement: the evaluator's result cell, and the empty value for
// a statement that reads the stack's top (a callback's model).
Res runempty(Form& f) {
  exprsettled = false;
  if (!room(f) || firsttemp <= core::nsym) return notrun;
  const std::int32_t sp = core::xeqstackptr;
  const bool valid = sp >= 1 && sp <= core::adrs.size();
  const bool fill = valid && core::adrs.data()[sp - 1] == 0;
  // Operands left over from before are the general path's to report.
  const std::int32_t left = !fill && (core::xeqmode & core::runmode::trace) != 0 ? 0 : sp;
  if (left - core::xeqstackbase > 1) return notrun;
  head(f.start, f.end);
  core::iresult = firsttemp;
  newtemprecord(firsttemp);
  if (fill) {
    core::adrs.data()[sp - 1] = firsttemp;
    z.data()[firsttemp] = falsevalue;
  }
  core::xeqstackptr = left;
  endstatement();
  return ran();
}

// An assignment (under a one-line IF or not) run as a program, and its
// result cell as the evaluator leaves it.
[[gnu::always_inline]] inline Res runprogform(Form& f) {
  if (!room(f)) return notrun;
  const ProgResult r = f.prog.passes  ? runpasses(f.prog)
                       : f.prog.plain ? runplain(f.prog)
                                      : runprog(f.prog);
  if (!r.done) return notrun;
  exprpathsteps(f);
  if (f.prog.passes) {
    // The passes leave their predefined cells as the last pass set them.
    passcells(f.prog);
    exprsettled = false;
  }
  const std::int32_t rc = firsttemp + 1;
  double* const cells = z.data();
  cells[rc] = r.falsecond ? falsevalue : r.value;
  if (r.textresult) name(rc).type = strtemptype;
  core::adrs.data()[core::xeqstackbase] = firsttemp + 1;
  endstatement();
  return ran();
}

// The block words' kinds.
namespace blockword {
inline constexpr auto blockif = static_cast<std::uint16_t>(core::xform::blockif);
inline constexpr auto elseif = static_cast<std::uint16_t>(core::xform::elseifword);
inline constexpr auto els = static_cast<std::uint16_t>(core::xform::elseword);
inline constexpr auto endif = static_cast<std::uint16_t>(core::xform::endifword);
}  // namespace blockword

// The block stack's step of block word `kind` and the result cell as the
// general path leaves it: the condition the stack took, false for a block
// skipped, as it was for ENDIF. True when the statement's block is skipped.
template <std::uint32_t kind>
[[gnu::always_inline]] inline bool blockmoveof(std::int32_t S, bool cond, std::int32_t target,
                                               double& result) {
  const BlockStep r = blockstep(kind, S, cond, target);
  if (r.decided || r.skip) result = r.cond && !r.skip ? 1.0 : falsevalue;
  return r.skip;
}

// A block IF, ELSEIF or ENDIF: its condition, the block stack's step, and
// the jump past the block or the next statement.
Res runblock(Form& f) {
  if (!room(f)) return notrun;
  double* const cells = z.data();
  bool cond = false;
  if (f.prog.onetest) {
    if (f.prog.topcell >= static_cast<std::int32_t>(z.size()) || !blocktest(f.prog, cells, cond))
      return notrun;
  } else if (!f.prog.empty()) {
    const ProgResult r = f.prog.plain ? runplain(f.prog) : runprog(f.prog);
    if (!r.done) return notrun;
    cond = r.cond;
  } else if (!f.cond.empty()) {
    double c = 0.0;
    if (!evaluate(f.cond, cells, static_cast<std::int32_t>(z.size()), c)) return notrun;
    cond = c != 0.0;
  }
  // What the general path leaves: the evaluation's steps, then the loop's.
  exprpathsteps(f);
  const BlockStep r = blockstep(f.blockkind, core::xeqline, cond, f.target);
  core::adrs.data()[core::xeqstackbase] = firsttemp + 1;
  // The result cell: the condition the block stack took, or false.
  if (r.decided || r.skip) cells[firsttemp + 1] = r.cond && !r.skip ? 1.0 : falsevalue;
  if (r.skip) {
    // The jump past the block.
    jumpedflag = 0xFF;
    core::xeqline = f.target;
    return ran();
  }
  endstatement();
  return ran();
}

Res runenddo(Form& f) {
  // (A loop end leaves the words of the expression path as they were, but
  // for the temporary texts' start, which exprpathsteps sets anew.)
  if (!room(f)) return notrun;
  const DoRecord& r = f.loop;
  double* const cells = z.data();
  const double step = cells[r.adr + 1];
  if (step == 0.0) return notrun;
  const double next = cells[r.var] + step;
  if (!std::isfinite(next)) return notrun;
  const double limit = cells[r.adr];
  const double sign = step < 0.0 ? -1.0 : 1.0;
  head(f.start, f.end);
  wordpathstart();
  // (The fresh result record that the prologue writes at `firsttemp` is
  // written again before any statement reads it.)
  core::iresult = firsttemp;
  stmtflags = 0;
  // The loop variable's word, then the loop end.
  wordpos = f.start + 1;
  cells[r.var] = next;
  core::xeqline = (next - limit) * sign - zeps > 0.0 ? r.laststmt : r.dostmt;
  const std::int32_t sp = core::xeqstackbase + 1;
  core::xeqstackptr = sp;
  core::adrs.data()[sp - 1] = r.var;
  endstatement();
  return ran();
}

// The end of a statement of words (at its end word, or a word answered that
// it ends): what the loop's end step does, or the loop itself when that
// has anything unusual to check.
Res endofwords(WordResult answer, std::int16_t last) {
  if (rerunflag || core::xeqstackptr - core::xeqstackbase > 1) return handback(answer, last);
  endstatement();
  return ran();
}

// The form of the statement being run when it is a checked statement of
// words starting where the loop's run words say.
const Form* wordform() {
  const std::int32_t s = core::xeqline;
  if (s < 1 || static_cast<std::size_t>(s) >= forms.size()) return nullptr;
  const Form& f = forms[static_cast<std::size_t>(s)];
  if ((f.kind != Kind::words && f.kind != Kind::wordassign && f.kind != Kind::call) ||
      f.checked != epoch || f.start != stmtstart)
    return nullptr;
  return &f;
}

Res runwordsfrom(std::span<const std::int16_t> code, std::int16_t last);
// The rest of the statement that a function's return resumes (`last` the
// return's word): a statement of words that assigns one value goes on by
// its steps, any other by its words.
Res returninto(std::span<const std::int16_t> code, std::int16_t last);

// Runs words of the statement being run from `wordpos` on, as the loop
// runs them, and on into the statement that a return resumes. Whatever
// the loop must decide itself (a command to serve, a failure, a rerun, a
// statement without a form) is handed back with the word's answer.
Res runwordsfrom(std::span<const std::int16_t> code, std::int16_t last) {
  ++handlerruns;
  for (;;) {
    const Form* f = wordform();
    if (f == nullptr) return handback(WordResult::stay, last);
    for (;;) {
      if (core::idecmd > 0 || wordpos < f->start || wordpos >= f->end)
        return handback(WordResult::stay, last);
      const std::int16_t w = code[static_cast<std::size_t>(wordpos - 1)];
      if (w == core::endmark) return endofwords(WordResult::stay, last);
      WordResult r = WordResult::unknown;
      switch (f->tags[static_cast<std::size_t>(wordpos - f->start)]) {
        case Tag::push:
          r = pushsymbol(w);
          break;
        case Tag::binop:
          r = binopword(w);
          break;
        case Tag::assign:
          r = assignword(w);
          break;
        case Tag::control:
          if (core::cwcode(w) == wfunction) {
            if (inlinecall(w, forms)) {
              last = w;
              continue;
            }
            // (Entered, the function's statements run next.)
            if (referencerun(w)) return ran();
          }
          r = controlword(w);
          break;
        case Tag::operand:
          r = operandwords != nullptr ? operandwords(w) : WordResult::unknown;
          break;
        case Tag::builtin:
          r = builtinwords != nullptr ? builtinwords(w) : WordResult::unknown;
          break;
        case Tag::end:
          break;
      }
      last = w;
      if ((r == WordResult::next || r == WordResult::looptest) && core::xeqstop == stops::error &&
          core::iostatw[0] != 0)
        return handback(r, w);
      if (r == WordResult::next) {
        ++wordpos;
        continue;
      }
      if (r == WordResult::looptest) return ran();
      if (r == WordResult::endstmt) return endofwords(r, w);
      if (r == WordResult::stay) break;  // a return resumed its caller: that statement's form
      return handback(r, w);
    }
  }
}

Res runwords(Form& f, std::span<const std::int16_t> code) {
  exprsettled = false;
  quietcall = false;
  if (!room(f)) return notrun;
  // (Only a statement of words under a one-line IF has its condition's
  // steps: those of a statement that assigns a value are its own. Found
  // false, it leaves only cells and run words.)
  if (f.kind == Kind::words && !f.wordsteps.empty() && falseguard(f)) {
    quietcall = true;
    return ran();
  }
  head(f.start, f.end);
  wordprologue(f.start);
  // The loop's handlers may grow the stores: forms then look again.
  const auto zsize = z.size();
  const std::int32_t nname = core::nname, nztop = core::nztop;
  const Res r = runwordsfrom(code, 0);
  if (z.size() != zsize || core::nname != nname || core::nztop != nztop) stir();
  return r;
}

// END or RETURN alone: the return to the caller (what it finds of the
// subroutine running kept with the form from one return to the next), and
// the rest of the caller's statement when a function returns into it.
Res runreturn(Form& f, std::span<const std::int16_t> code) {
  exprsettled = false;
  quietcall = false;
  if (!room(f)) return notrun;
  head(f.start, f.end);
  wordprologue(f.start);
  const std::int16_t w = f.words[0];
  const auto zsize = z.size();
  const std::int32_t nname = core::nname, nztop = core::nztop;
  WordResult r = WordResult::unknown;
  if (leaverun(f.callee, r)) {
    if (r == WordResult::looptest) {
      quietcall = quietafter();
      return ran();
    }
  } else {
    const std::int32_t S = core::lokalscope;
    if (S >= 1 && S <= core::nsym && S <= name.size() && S < static_cast<std::int32_t>(z.size())) {
      std::int16_t record[4];
      std::memcpy(record, z.data() + S, sizeof record);
      const bool function = (name.data()[S - 1].type & 0x5) == 0x5;
      if (f.callee.S != S || f.callee.f1 != record[0] || f.callee.function != function)
        f.callee = callee(S, record[0], function);
    }
    ++handlerruns;
    r = leave(w, &f.callee);
    if ((r == WordResult::next || r == WordResult::looptest) && core::xeqstop == stops::error &&
        core::iostatw[0] != 0)
      return handback(r, w);
    if (r == WordResult::looptest) return ran();
  }
  if (r != WordResult::stay) return handback(r, w);
  // A function returned into its caller's statement: the rest of it. (The
  // return took a result cell, and the words may take more: the stores
  // may grow, and forms then look again.) A statement of words that
  // assigns one value goes on by its steps.
  const Res res = returninto(code, w);
  if (z.size() != zsize || core::nname != nname || core::nztop != nztop) stir();
  return res;
}

// Whether the subroutine that the CALL of form f enters (its record as the
// call finds it) is one assignment to a cell, of numbers, then END, both
// with checked forms, with room for the call's frame and for both
// statements as the general path asks for it, and its formals typed as
// the call binds them.
bool leaffits(const Form& f, std::int32_t base) {
  const Callee& c = f.callee;
  const std::int32_t f1 = c.f1;
  if (f1 < 1 || f1 + 2 > core::nstmt || static_cast<std::size_t>(f1) + 2 >= forms.size() ||
      stopline == f1 + 1 || stopline == f1 + 2)
    return false;
  Form& body = forms[static_cast<std::size_t>(f1) + 1];
  const Form& end = forms[static_cast<std::size_t>(f1) + 2];
  if (body.live != epoch || end.live != epoch || end.kind != Kind::ret || end.words.size() != 2 ||
      static_cast<std::uint16_t>(end.words[0]) != wend)
    return false;
  // (The subroutine's cell holds its record, which the call writes before
  // the assignment runs: an assignment that names it is not taken.)
  for (const auto& [sym, type] : body.types)
    if (sym == c.S) return false;
  if (body.kind == Kind::assign) {
    if (!body.cond.empty() || !body.index.empty() || !body.arrays.empty() || body.target == c.S)
      return false;
  } else if (body.kind == Kind::prog && body.prog.plain && body.prog.blockkind == 0) {
    bool target = false;
    for (const PStep& s : body.prog.steps) {
      if (s.op == P::telem || s.op == P::ttext || s.op == P::ifnot || s.op == P::result)
        return false;
      if (s.op == P::tcell) target = s.a != c.S;
    }
    if (!target) return false;
  } else {
    return false;
  }
  const auto args = static_cast<std::int32_t>(f.pushes.size()) - 1;
  const auto m = static_cast<std::int32_t>(f.formals.size());
  if (m > maxformals || args >= static_cast<std::int32_t>(longeststack)) return false;
  // The frame above the actuals, then the callee's statements from its base.
  const std::int32_t ptr = base + 1 + args, calleebase = ptr + framesize;
  const std::int32_t sp = calleebase + 1;
  const bool bodyroom = body.kind == Kind::prog ? linkroom(sp, body.end - body.start - 1,
                                                           body.prog.total + body.prog.depth + 1) &&
                                                      temproom(body.prog.allcells)
                                                : temproom(body.cells) && assignroom(body, sp);
  if (ptr + framesize > core::adrs.size() || !bodyroom || !temproom(end.nvalues + 2) ||
      calleebase + core::nadrsstep / 4 >= core::nadrslow || sp > core::adrs.size() ||
      firsttemp >= core::nname || !name.valid(firsttemp) ||
      calleebase + end.maxstack + 1 > core::adrs.size())
    return false;
  // The formals the return gives back, from the subroutine's header.
  if (m > 0 && (c.hp - c.formals < 1 || !core::xeqbuf.valid(c.hp - c.formals + m - 1)))
    return false;
  // The formals keep the types and addresses the call gives them, and
  // the shapes of its arrays.
  const core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const auto zsize = static_cast<std::int32_t>(z.size());
  const std::int32_t nname =
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size()));
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t s = f.pushes[static_cast<std::size_t>(i) + 1];
    std::int32_t a = s;
    if (s <= nname && (records[s].type & 0xA8) == 0xA0 && records[s].adr > 0) a = records[s].adr;
    const bool symbol = bindsname(a, nname, records);
    const std::int32_t fs = f.formals[static_cast<std::size_t>(i)];
    const core::SymbolRecord& formal = records[fs];
    if (formal.type != (symbol ? records[a].type : std::int16_t{0xA0}) ||
        formal.adr != (symbol ? records[a].adr : 0) ||
        (symbol && a < zsize && fs < zsize && reshaped(formal.type, z.data()[fs], z.data()[a])))
      return false;
  }
  return true;
}

// The statement that label symbol l (below the store's size) names, as
// its cell holds it.
[[gnu::always_inline]] inline std::int32_t labelstatement(const double* cells, std::int32_t l) {
  std::int16_t at = 0;
  std::memcpy(&at, cells + l, sizeof at);
  return at;
}

// A fresh numeric temporary record for result cell k, whose room a form's
// room() found: as newtemprecord() writes it, without looking again.
[[gnu::always_inline]] inline void freshtemp(std::int32_t k) {
  freshtemprecord(name.data()[k - 1]);
}

// The run words that a chain of forms keeps in its locals (see runchain()).
struct Words {
  std::int32_t line, start, end, c1tmp, iresult, sp, wordpos, stmtflags, top;
  std::uint8_t jumped;
  bool settled;    // `exprsettled`
  bool wordstart;  // the word path's first steps ran: their fixed words are owed
};

// A CALL of such a subroutine in one step: the formals bound, the
// assignment's value computed and assigned, and the stores and run words as the call, the
// assignment, the END and the loop tests between them leave them on the
// general path. Only in a RUN where nothing between could stop, fail or be
// seen; notrun, with nothing changed, when the statements must run one by
// one.
[[gnu::noinline]] Res runleaf(Form& f, Words* chain = nullptr) {
  const std::int32_t base = core::xeqstackbase;
  const std::uint64_t frame = framekey(firsttemp, base);
  if (f.leafepoch != callepoch || f.leafframe != frame || f.leafstop != stopline) {
    f.leafepoch = callepoch;
    f.leafframe = frame;
    f.leafstop = stopline;
    f.leaf = leaffits(f, base);
    callkept[subslot(f.callee.S)] = true;
    const std::int32_t S = f.callee.S;
    f.frameroom =
        base + static_cast<std::int32_t>(f.pushes.size()) + framesize <= core::adrs.size() &&
        S >= 1 && S + 1 < static_cast<std::int32_t>(z.size()) && S <= name.size();
  }
  // (A chain looked at the run state before.)
  if (!f.leaf || (chain == nullptr && !runstate()) || plat::fpu_peek_status() != 0) return notrun;
  const Callee& c = f.callee;
  const std::int32_t S = c.S;
  const Form& body = forms[static_cast<std::size_t>(c.f1) + 1];
  const Form& end = forms[static_cast<std::size_t>(c.f1) + 2];
  const auto args = static_cast<std::int32_t>(f.pushes.size()) - 1;
  const auto m = static_cast<std::int32_t>(f.formals.size());
  const std::int32_t ptr = base + 1 + args, calleebase = ptr + framesize;
  const core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const std::int32_t* const pushed = pushedcells(f);
  // The formals take the actuals' values; the assignment runs with `$` as
  // the call's words leave it.
  double* const cells = z.data();
  const auto zsize = static_cast<std::int32_t>(z.size());
  std::array<double, maxformals> kept;
  const double dollar = cells[1];
  cells[1] = 1.0;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t formal = f.formals[static_cast<std::size_t>(i)];
    const std::int32_t a = pushed[static_cast<std::size_t>(i) + 1];
    kept[static_cast<std::size_t>(i)] = cells[formal];
    cells[formal] = a >= 0 && a < zsize ? cells[a] : 0.0;
  }
  ProgResult r;
  if (body.kind == Kind::prog) {
    r = runplain(body.prog);
  } else if (body.target < zsize) {
    r.done = evaluate(body.value, cells, zsize, r.value);
  }
  if (!r.done) {
    for (std::int32_t i = m - 1; i >= 0; --i)
      cells[f.formals[static_cast<std::size_t>(i)]] = kept[static_cast<std::size_t>(i)];
    cells[1] = dollar;
    plat::fpu_clear();  // (the assignment's failure, raised again by the general path)
    return notrun;
  }
  // The CALL: its words, the frame and the subroutine's record. (In a
  // chain, the run words that the CALL's and the END's first steps write
  // are kept in its locals, below.)
  if (chain == nullptr) {
    head(f.start, f.end);
    wordprologue(f.start);
  } else {
    core::keyrec[0] = 0;
    core::keystate[1] = 0;
    core::SymbolRecord& t = name.data()[firsttemp - 1];
    t = core::SymbolRecord{};
    t.type = numtemptype;
  }
  std::int32_t* const stack = core::adrs.data() - 1;  // stack[i] is adrs(i)
  for (std::int32_t i = 0; i <= args; ++i)
    stack[base + 1 + i] = pushed[static_cast<std::size_t>(i)];
  const std::int32_t scope = core::lokalscope;
  const std::int32_t callword = f.start + args + 1;
  stack[ptr + 1] = scope;
  stack[ptr + 2] = base;
  stack[ptr + 3] = callword;
  stack[ptr + 4] = firsttemp;
  stack[ptr + 5] = wcall;
  const std::int32_t prev = savedcmd();
  const std::int32_t mode = core::xeqmode & core::runmode::framebits;
  std::int16_t record[4];
  std::memcpy(record, cells + S, sizeof record);
  record[1] = 0;  // (the return statement, cleared by the return)
  record[2] = static_cast<std::int16_t>((mode & 0xFF) | ((prev & 0xFF) << 8));
  record[3] = static_cast<std::int16_t>(args);
  std::memcpy(cells + S, record, sizeof record);
  // The assignment: what its program and the expression path leave.
  core::msgkey.blank();
  cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
  if (body.kind == Kind::prog)
    cells[firsttemp + 1] = r.value;
  else
    cells[body.target] = r.value;
  stack[calleebase + 1] = firsttemp + 1;
  // The END: the word path's first steps, then the return.
  if (chain == nullptr) {
    head(end.start, end.end);
    wordprologue(end.start);
    jumpedflag = 0;
  } else {
    cells[1] = 1.0;
  }
  eventlabel = 0;
  const std::int32_t zlast = zsize - 1;
  const std::int16_t* const header = m > 0 ? core::xeqbuf.ptr(c.hp - c.formals) : nullptr;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t formal = header[i];
    const std::int32_t a = pushed[static_cast<std::size_t>(i) + 1];
    if (formal >= 1 && formal <= zlast && a >= 1 && a <= zlast) cells[a] = cells[formal];
  }
  core::lokalscope = scope;
  core::lokalsub =
      scope >= 1 && scope <= core::nsym && scope <= name.size() ? records[scope].scope : 0;
  callkind = wcall;
  if (chain == nullptr) {
    core::xeqline = core::xeqline + 1;
    wordpos = callword;
    core::xeqstackptr = base;
  } else {
    Words& w = *chain;
    w.start = end.start;
    w.end = end.end;
    w.wordstart = true;
    w.settled = false;
    w.c1tmp = textbase();
    w.iresult = firsttemp;
    w.stmtflags = 0;
    w.wordpos = callword;
    w.sp = base;
    w.top = pushed[0];
    w.jumped = 0;
  }
  core::xeqmode = mode;
  core::xeqstop = (mode & 0x02) && scope == tablescope ? stops::callback : 0;
  core::idecmd = static_cast<std::int8_t>(prev & 0xFF);
  if (alarmsavedcmd == core::idecmd) alarmsavedcmd = -1;
  if (core::idecmd < -1 && core::idecmd != -13) core::xeqmode |= core::runmode::running;
  return ran();
}

// A CALL of a subroutine with symbols for actuals: what its words leave,
// the pushes and the call (the subroutine entered by the call word's
// handler); its words when the call would fail.
Res runcall(Form& f, std::span<const std::int16_t> code) {
  exprsettled = false;
  quietcall = false;
  if (!room(f)) return notrun;
  const Callee& c = f.callee;
  // (The subroutine's first statement as its record holds it now: ready()
  // found the record in the store.)
  std::int16_t f1 = 0;
  std::memcpy(&f1, z.data() + c.S, sizeof f1);
  if (c.f1 == 0 || f1 != c.f1 || subactive(c.S)) return runwords(f, code);
  // (A subroutine found unfit for one step in this frame is not looked at
  // again.)
  const bool unfit = !f.leaf && f.leafepoch == callepoch && f.leafstop == stopline &&
                     f.leafframe == framekey(firsttemp, core::xeqstackbase);
  if (!unfit && runleaf(f) == ran()) {
    quietcall = quietafter();
    return ran();
  }
  head(f.start, f.end);
  wordprologue(f.start);
  const auto args = static_cast<std::int32_t>(f.pushes.size()) - 1;
  const std::int32_t base = core::xeqstackbase;
  std::int32_t* const stack = core::adrs.data() + base;  // (room() found room for them)
  const std::int32_t* const cells = pushedcells(f);
  for (std::int32_t i = 0; i <= args; ++i) stack[i] = cells[i];
  core::xeqstackptr = base + args + 1;
  wordpos = f.start + args + 1;
  if (runstate() && enterrun(c, args, f.formals.data(), f.boundepoch == callepoch)) {
    f.boundepoch = callepoch;
    quietcall = true;
    return ran();
  }
  const std::int16_t w = code[static_cast<std::size_t>(wordpos - 1)];
  ++handlerruns;
  const WordResult r = enter(c, args, f.formals.data());
  if (r == WordResult::looptest && !(core::xeqstop == stops::error && core::iostatw[0] != 0))
    return ran();
  return handback(r, w);
}

// An index as the words take it (wordpath::index()), a whole number of 32
// bits in line.
[[gnu::always_inline]] inline std::int64_t subscript(double x) {
  if (x > -2147483648.0 && x < 2147483648.0) {
    const auto i = static_cast<std::int32_t>(x);
    if (static_cast<double>(i) == x) return i;
  }
  return wordpath::index(x);
}

// A value on the stack of a statement of words that assigns one value.
// (No initial values: a stack of them is made for every statement, and
// each entry is written whole before it is read.)
struct Entry {
  double v;
  bool result;        // a result cell's value, not a symbol's
  std::int32_t cell;  // an element's value: its cell (the words leave the cell), else 0
};

// A fold built-in (`word`) of the n values from `e` on. (Out of line: the
// steps keep their registers.)
[[gnu::noinline]] double foldentries(std::int16_t word, const Entry* e, std::int32_t n) {
  std::array<double, longeststack> values;
  for (std::int32_t i = 0; i < n; ++i) values[static_cast<std::size_t>(i)] = e[i].v;
  return foldvalue(word, values.data(), n);
}

// The actuals of function reference s that the statement computed, taken
// off the top of its stack (in the actuals' order) into their result
// cells, as the words leave them: `actuals` then names those cells. False
// when a value reads as text bounds (the words must decide).
[[gnu::noinline]] bool placecomputed(const Form::WordStep& s, std::int32_t args, Entry* stack,
                                     std::size_t& sp, std::array<std::int32_t, 8>& actuals) {
  double* const cells = z.data();
  actuals = s.actuals;
  for (std::int32_t a = args - 1; a >= 0; --a) {
    if ((s.elements >> a & 1u) != 0) {
      // (An element binds its formal to its cell, as the words bind it.)
      actuals[static_cast<std::size_t>(a)] = stack[--sp].cell;
      continue;
    }
    if ((s.computed >> a & 1u) == 0) continue;
    const Entry e = stack[--sp];
    if (textlike(e.v)) return false;
    const std::int32_t cell = firsttemp + s.actuals[static_cast<std::size_t>(a)];
    cells[cell] = e.v;
    newtemprecord(cell);
    actuals[static_cast<std::size_t>(a)] = cell;
  }
  return true;
}

// A run of the steps of a statement of words that assigns one value: the
// values it computed (by their result cells, from the statement's first),
// the reference it bound last and has not yet made, and what of the words'
// state it owes. A run starts at the statement's start, or after a
// reference that entered its function, when the return resumes the
// statement (`resumed`: the words before ran, their state is the loop's).
struct WordRun {
  std::array<double, 64> vals;
  std::int32_t kfrom = 0;     // the first value this run computed
  std::int32_t wordfrom = 0;  // the word it started at (from the statement's first)
  Bound pending;
  std::int32_t pendingat = 0;  // its reference's word
  bool haspending = false;
  bool committed = false;  // a reference was made: the words' state is owed from here
  bool prologue = false;   // the word path's first steps ran
  bool resumed = false;
  std::uint32_t flags = 0;      // `stmtflags` as the words leave them
  std::uint32_t flagsfrom = 0;  // as the run found them
  // The cells of the elements this run took, in turn.
  std::array<std::int32_t, maxelems> elemcells;
  std::uint8_t nelems = 0;
};

// The word path's first steps for the statement, once.
inline void wordsbegin(const Form& f, WordRun& r) {
  if (r.prologue) return;
  head(f.start, f.end);
  wordprologue(f.start);
  r.prologue = true;
}

// Makes the reference bound last: what the reference, the function and
// its return leave (the operand stack aside).
inline void makepending(const Form& f, WordRun& r) {
  if (!r.haspending) return;
  wordsbegin(f, r);
  commitcall(r.pending, f.start + r.pendingat, false);
  r.haspending = false;
  r.committed = true;
}

// The operand stack, result cells and run words as the statement's words
// leave them before its word `upto` (from the statement's first), for the
// loop's handlers to go on from there: the entries from `wordfrom` on as
// the words push them, the run's values in their result cells.
// (`shape`: the stack that the form keeps for the word, for a run from
// the statement's start; -1 none.)
[[gnu::always_inline]] inline void wordstate(const Form& f, WordRun& r, std::int32_t upto,
                                             std::int32_t shape = -1) {
  makepending(f, r);
  if (!r.prologue) {
    // The word path's first steps; what the prologue writes besides (the
    // result record at `firsttemp`, which the run's first value or the
    // next result takes, and the run words) is written below.
    head(f.start, f.end);
    wordpathstart();
    core::xeqstackptr = core::xeqstackbase;
    r.prologue = true;
  }
  const std::int32_t base = core::xeqstackbase;
  std::int32_t* const stack = core::adrs.data() + base;  // (room() found room for them)
  std::int32_t n = core::xeqstackptr - base;
  std::int32_t k = r.kfrom;
  std::uint32_t flags = r.flagsfrom;
  std::int32_t i = r.wordfrom;
  if (shape >= 0 && r.wordfrom == 0) {
    const std::int32_t* const kept = f.wordshapes.data() + shape;
    n = kept[0];
    k = kept[1];
    flags = static_cast<std::uint32_t>(kept[2]);
    const std::int32_t symbols = kept[3];
    const std::int32_t* const entries = kept + 4;
    std::copy_n(entries, symbols, stack);
    for (std::int32_t e = symbols; e < n; ++e) {
      const std::int32_t entry = entries[e];
      stack[e] = entry > 0 ? entry : firsttemp - entry - 1;
    }
    i = upto;
  }
  std::uint8_t elem = 0;
  for (; i < upto; ++i) {
    const std::int16_t w = f.words[static_cast<std::size_t>(i)];
    std::int32_t pops = 0;
    switch (f.tags[static_cast<std::size_t>(i)]) {
      case Tag::push:
        stack[n++] = w;
        continue;
      case Tag::operand:
        if (core::issubscript(w)) {
          // The array and its indices become the element's cell.
          n -= core::subscriptcommas(w) + 2;
          stack[n++] = r.elemcells[elem++];
          flags |= 2;
          continue;
        }
        builtinargs(w, pops);
        break;
      case Tag::binop:
        pops = 2;
        flags |= 1;
        break;
      case Tag::control:  // (a function reference)
        pops = core::cwcount(w) + 1;
        flags = 0;
        break;
      default:
        builtinargs(w, pops);
        break;
    }
    n -= pops;
    stack[n++] = firsttemp + k++;
  }
  // (room() found the statement's result cells and their records.)
  double* const cells = z.data();
  for (std::int32_t j = r.kfrom; j < k; ++j) {
    cells[firsttemp + j] = r.vals[static_cast<std::size_t>(j)];
    freshtemp(firsttemp + j);
  }
  freshtemp(firsttemp + k);
  core::iresult = firsttemp + k;
  core::xeqstackptr = base + n;
  stmtflags = flags;
  wordpos = f.start + upto;
}

// The words of the statement of form f from its start (its steps gave up
// before anything was made).
[[gnu::noinline]] Res wordsfromstart(Form& f, std::span<const std::int16_t> code) {
  return runwords(f, code);
}
// The words of the statement being run from `wordpos` on, the words'
// state made there; with `enter`, that word is a reference whose
// function's one step did not take it, entered as the words enter it.
[[gnu::always_inline]] inline Res wordsfromhere(std::span<const std::int16_t> code, bool enter) {
  if (enter && referencerun(code[static_cast<std::size_t>(wordpos - 1)])) {
    quietcall = true;
    return ran();
  }
  const auto zsize = z.size();
  const std::int32_t nname = core::nname, nztop = core::nztop;
  const Res res = runwordsfrom(code, 0);
  if (z.size() != zsize || core::nname != nname || core::nztop != nztop) stir();
  return res;
}

// What head() and wordprologue() write for statement f, the run words
// in a chain's `w`.
inline void chainhead(const Form& f, Words& w) {
  w.start = f.start;
  w.end = f.end;
  w.wordstart = true;
  w.settled = false;
  w.c1tmp = textbase();
  core::keyrec[0] = 0;
  core::keystate[1] = 0;
  z.data()[1] = 1.0;
}

// The steps of the statement of form f from step `from` on, its stack the
// `sp` entries of `stack`. Whatever the steps cannot do goes to the words:
// before anything is made, the statement's words from its start (or, in a
// resumed run, the words from where the return left them: notrun, nothing
// changed); after, the words' state at that step (notrun in a resumed
// run, the loop's handlers go on). In a chain (`chain`, with room found
// and the run state looked at; one reference at most), the run words go
// to its locals, and a statement that must run its words is the loop's
// (notrun, nothing changed but result cells).
// A step of wordsteps() that the words must take: `at` its word,
// `reference` a function's (`enter`: one its function's one step does not
// take, which the words enter as they stand then). (Out of line: the steps
// reach it only when they give up.)
template <bool inchain>
[[gnu::noinline]] Res towords(Form& f, std::span<const std::int16_t> code, WordRun& r,
                              std::int32_t at, bool reference, bool enter = false,
                              std::int32_t shape = -1) {
  if (inchain || (!r.committed && (r.resumed || !reference))) {
    if (r.haspending) unbind(r.pending);
    if (inchain || r.resumed) return notrun;
    return wordsfromstart(f, code);
  }
  wordstate(f, r, at, shape);
  if (r.resumed) return notrun;
  return wordsfromhere(code, enter);
}

template <bool inchain>
[[gnu::always_inline]] inline Res wordsteps(Form& f, std::span<const std::int16_t> code, WordRun& r,
                                            std::size_t from,
                                            std::array<Entry, longeststack>& stack, std::size_t sp,
                                            Words* chain) {
  double* const cells = z.data();
  std::int32_t k = r.kfrom;  // (the next value's result cell)
  std::uint32_t flags = r.flags;
  const std::int32_t base = core::xeqstackbase;
  const auto steps = std::span<const Form::WordStep>(f.wordsteps).subspan(from);
  const auto towords = [&f, code, &r](std::int32_t at, bool reference, bool enter = false,
                                      std::int32_t shape = -1) {
    return fast::towords<inchain>(f, code, r, at, reference, enter, shape);
  };
  for (const Form::WordStep& s : steps) {
    switch (s.op) {
      case Form::WordStep::push:
        stack[sp++] = {cells[s.sym], false, 0};
        break;
      case Form::WordStep::bin: {
        const Entry b = stack[--sp];
        const Entry a = stack[sp - 1];
        double v = 0.0;
        // (+ - * / and the relations in line; a relation whose difference
        // overflows is the words' to report.)
        if ((a.result && textlike(a.v)) || !loopop(s.word, a.v, b.v, v) || !std::isfinite(v)) {
          // (The words compute it again and raise what it left.)
          plat::fpu_clear();
          return towords(s.index, false, false, s.shape);
        }
        stack[sp - 1] = {v, true, 0};
        if constexpr (!inchain) r.vals[static_cast<std::size_t>(k)] = v;
        ++k;
        flags |= 1;
        break;
      }
      case Form::WordStep::fn: {
        double v = 0.0;
        const double b = stack[sp - 1].v;
        const double a = s.sym == 2 ? stack[sp - 2].v : b;
        if (!numericvalue(s.word, s.sym, a, b, v) || !std::isfinite(v) ||
            plat::fpu_peek_status() != 0) {
          plat::fpu_clear();
          return towords(s.index, false, false, s.shape);
        }
        sp -= static_cast<std::size_t>(s.sym);
        stack[sp++] = {v, true, 0};
        if constexpr (!inchain) r.vals[static_cast<std::size_t>(k)] = v;
        ++k;
        break;
      }
      case Form::WordStep::fold: {
        // (The last value read as a text's bounds is the words' to fold: a
        // text's characters.)
        const auto n = static_cast<std::size_t>(s.sym);
        if (stack[sp - 1].result && textlike(stack[sp - 1].v))
          return towords(s.index, false, false, s.shape);
        const double v = foldentries(s.word, stack.data() + (sp - n), s.sym);
        if (!std::isfinite(v) || plat::fpu_peek_status() != 0) {
          plat::fpu_clear();
          return towords(s.index, false, false, s.shape);
        }
        sp -= n;
        stack[sp++] = {v, true, 0};
        if constexpr (!inchain) r.vals[static_cast<std::size_t>(k)] = v;
        ++k;
        break;
      }
      case Form::WordStep::elem: {
        // The element of the array at its indices, as the words find it
        // (a one-character piece of a text or a file's table cell is theirs:
        // the form is made for a numeric array).
        const std::int32_t k = core::subscriptcommas(s.word) + 1;
        if (core::nomsg > 0 || r.nelems == maxelems) return towords(s.index, false, false, s.shape);
        std::int32_t shape[2];
        std::memcpy(shape, cells + s.sym, sizeof shape);
        const std::int64_t rows = std::max(shape[0], 0), cols = std::max(shape[1], 0);
        const std::int64_t i1 = subscript(stack[sp - static_cast<std::size_t>(k)].v) - 1;
        const std::int64_t i2 = k == 1 ? 0 : subscript(stack[sp - 1].v) - 1;
        const std::int64_t offset = k == 1 ? i1 : cols * i1 + i2;
        const std::int64_t adr = name.data()[s.sym - 1].adr;
        const std::int64_t cell = adr + offset;
        // (Two indices lie each within its own dimension.)
        if (offset < 0 || offset >= rows * cols ||
            (k != 1 && (i1 >= rows || i2 < 0 || i2 >= cols)) || adr == 0 || cell < 1 ||
            cell >= static_cast<std::int64_t>(z.size()))
          return towords(s.index, false, false, s.shape);
        elemrows = shape[0];
        elemcols = shape[1];
        elementinrange = true;
        flags |= 2;
        sp -= static_cast<std::size_t>(k);
        stack[sp++] = {cells[cell], false, static_cast<std::int32_t>(cell)};
        r.elemcells[r.nelems++] = static_cast<std::int32_t>(cell);
        break;
      }
      case Form::WordStep::call: {
        const std::int32_t args = static_cast<std::uint16_t>(s.word) & 0x1F;
        std::array<std::int32_t, 8> actuals;
        const std::int32_t* given = s.actuals.data();
        if (s.computed != 0 || s.elements != 0) {
          if (!placecomputed(s, args, stack.data(), sp, actuals))
            return towords(s.index, false, false, s.shape);
          given = actuals.data();
        }
        // (The reference bound before it is made first, as the words make it.)
        if (r.haspending) makepending(f, r);
        // (A function that bindcall() does not take is entered as the words
        // enter it, which look at the run state themselves; what it found
        // of the function is kept with the step. A chain gives such a
        // statement to the loop at once.)
        if constexpr (!inchain) {
          if (s.unfitkey != 0 && s.unfitkey == callepoch - kindmoves &&
              s.unfitframe == framekey(firsttemp, base) && s.unfitscope == core::lokalscope &&
              s.unfitstop == stopline)
            return towords(s.index, true, true, s.shape);
        }
        if (!inchain && !runstate()) return towords(s.index, true, true, s.shape);
        if (!bindref(f.start + s.index, s.sym, args, base + s.depth, firsttemp + s.first, given,
                     forms, r.pending)) {
          if (!inchain &&
              unfitsite(f.start + s.index, s.sym, args, base + s.depth, firsttemp + s.first)) {
            Form::WordStep& kept = f.wordsteps[static_cast<std::size_t>(&s - f.wordsteps.data())];
            kept.unfitkey = callepoch - kindmoves;
            kept.unfitframe = framekey(firsttemp, base);
            kept.unfitscope = core::lokalscope;
            kept.unfitstop = stopline;
          }
          return towords(s.index, true, true, s.shape);
        }
        if (!r.pending.plainback) {
          unbind(r.pending);
          return towords(s.index, true, false, s.shape);
        }
        r.pendingat = s.index;
        r.haspending = true;
        flags = 0;
        stack[sp++] = {r.pending.v, true, 0};
        if constexpr (!inchain) r.vals[static_cast<std::size_t>(k)] = r.pending.v;
        ++k;
        break;
      }
    }
  }
  const Entry v = stack[sp - 1];
  const auto assignat = static_cast<std::int32_t>(f.words.size()) - 2;
  if (v.result && textlike(v.v)) return towords(assignat, false);
  // The statement runs through: what its words leave.
  if constexpr (inchain) {
    Words& w = *chain;
    chainhead(f, w);
    freshtemp(firsttemp);  // (room() found its record)
    if (r.haspending) commitchained(r.pending, f.start + r.pendingat);
    w.stmtflags = flags;
    cells[f.target] = v.v;
    w.sp = base + 1;
    w.top = f.target;
    w.iresult = firsttemp + f.nvalues;
    w.wordpos = f.end - 1;
    w.jumped = 0;
    return ran();
  } else {
    makepending(f, r);
    wordsbegin(f, r);
    stmtflags = flags;
    cells[f.target] = v.v;
    core::xeqstackptr = base + 1;
    core::adrs.data()[base] = f.target;
    core::iresult = firsttemp + f.nvalues;
    wordpos = f.end - 1;
    if (r.resumed) return endofwords(WordResult::stay, f.words[static_cast<std::size_t>(assignat)]);
    endstatement();
    quietcall = quietafter();
    return ran();
  }
}

// The steps of a run outside a chain (see wordsteps).
[[gnu::always_inline]] inline Res wordsteps(Form& f, std::span<const std::int16_t> code, WordRun& r,
                                            std::size_t from,
                                            std::array<Entry, longeststack>& stack,
                                            std::size_t sp) {
  return wordsteps<false>(f, code, r, from, stack, sp, nullptr);
}

// A statement of words that assigns one value whose references are all
// taken in line (leanref()): each function's statement computed where the
// statement references it, without a frame, and the run words that each
// return leaves written once, after the last. Taken where those words
// leave what they found for the next reference (so each makes the same),
// and only through: anything else (a reference that is not so taken, a
// value that is not a finite number, a status of the floating-point unit)
// puts back every cell written but result cells and leaves the whole
// statement to wordsteps() (false).
// Where what was found of the references the last time holds (the
// `callepoch`, no formal changed kind since, the same frame: `leanplan`),
// each is computed from the values its formals are bound to, and the
// formals, the functions' values and records are written only when the
// statement runs through, in the references' order.
inline constexpr std::size_t maxleanrefs = 16;
// Whether leanwords() may take the statement of form f by what it found
// of its references (`found`, n of them): no cell that a function's
// statement or the statement reads, nor an actual, nor the target, is
// one that a reference writes (a function's record or value, a formal)
// or a cell of the run words, so that each value is the same computed
// before any is written.
bool leanplannable(const Form& f, const LeanRef* found, std::size_t n) {
  std::vector<std::int32_t> written;
  for (std::size_t k = 0; k < n; ++k) {
    written.push_back(found[k].S);
    written.push_back(found[k].S + 1);
    for (std::int32_t i = 0; i < found[k].m; ++i)
      written.push_back(found[k].formal[static_cast<std::size_t>(i)]);
  }
  const auto clear = [&written](std::int32_t c) {
    return c > 6 && std::find(written.begin(), written.end(), c) == written.end();
  };
  if (!clear(f.target)) return false;
  for (const Form::WordStep& s : f.wordsteps)
    if (s.op == Form::WordStep::push && !clear(s.sym)) return false;
  for (std::size_t k = 0; k < n; ++k) {
    const LeanRef& e = found[k];
    const std::int32_t operands = e.op == LeanRef::cell ? 1 : e.op == LeanRef::arith2 ? 3 : 2;
    for (std::int32_t j = 0; j < operands; ++j) {
      const std::int32_t o = e.operand[static_cast<std::size_t>(j)];
      if (o >= 0 && !clear(o)) return false;
      if (o < 0 && ~o >= e.m) return false;
    }
    for (std::int32_t i = 0; i < e.m; ++i)
      if (!clear(e.actual[static_cast<std::size_t>(i)])) return false;
  }
  return true;
}
// In a chain (`chain`, with room found and the run state looked at), the
// run words go to its locals, as wordsteps() leaves them there.
template <bool inchain>
[[gnu::noinline]] bool leanwords(Form& f, Words* chain) {
  if ((!inchain && !runstate()) || (core::lokalscope == 0 && core::lokalsub != 0)) return false;
  const std::int32_t base = core::xeqstackbase;
  const std::uint64_t frame = framekey(firsttemp, base);
  // (The run words a return reads, as they were when it was found.)
  const bool planned = f.leanplan == callepoch && f.leankinds == kindcount &&
                       f.leanframe == frame && f.leanscope == core::lokalscope &&
                       f.leanstop == stopline && f.leancmd == core::idecmd &&
                       f.leanmode == core::xeqmode && f.leanalarm == alarmsavedcmd;
  std::int32_t prev = f.leanprev, mode = f.leanmode;
  if (!planned) {
    // (A statement that reads a cell of the run words reads it, on its
    // steps, before the reference bound before it is made: it keeps them.)
    if (f.wordelems != 0) return false;
    for (const Form::WordStep& s : f.wordsteps)
      if (s.op == Form::WordStep::push && s.sym <= 6) return false;
    prev = savedcmd();
    const auto cmd = static_cast<std::int8_t>(prev & 0xFF);
    mode = core::xeqmode & core::runmode::framebits;
    if (core::idecmd != cmd || core::xeqmode != mode || (alarmsavedcmd == cmd && cmd != -1) ||
        (cmd < -1 && cmd != incall) || ((mode & 0x02) && core::lokalscope == tablescope))
      return false;
  }
  const auto modecmd = static_cast<std::int16_t>((mode & 0xFF) | ((prev & 0xFF) << 8));
  double* const cells = z.data();
  const std::uint64_t kinds = kindcount;
  std::array<Undo, maxundo> undo;
  std::int32_t nundo = 0;
  if (!planned)
    for (std::int32_t c = 3; c <= 6; ++c) undo[static_cast<std::size_t>(nundo++)] = {c, cells[c]};
  const Known* last = nullptr;
  // (Planned: each reference's value and its formals' values.)
  std::array<double, maxleanrefs> values;
  std::array<std::array<double, LeanRef::maxformals>, maxleanrefs> bound;
  std::array<LeanRef, maxleanrefs> found;
  std::size_t refs = 0;
  bool plannable = true;
  std::array<double, longeststack> vals;
  std::size_t sp = 1;  // (entry 0 stands for the target)
  std::uint32_t flags = 0;
  bool good = true;
  for (const Form::WordStep& s : f.wordsteps) {
    switch (s.op) {
      case Form::WordStep::push:
        vals[sp++] = cells[s.sym];
        break;
      case Form::WordStep::bin: {
        const double b = vals[--sp];
        double v = 0.0;
        good = loopop(s.word, vals[sp - 1], b, v) && std::isfinite(v) && !textlike(v);
        vals[sp - 1] = v;
        flags |= 1;
        break;
      }
      case Form::WordStep::fn: {
        double v = 0.0;
        const double b = vals[sp - 1];
        const double a = s.sym == 2 ? vals[sp - 2] : b;
        good = numericvalue(s.word, s.sym, a, b, v) && std::isfinite(v) && !textlike(v) &&
               plat::fpu_peek_status() == 0;
        sp -= static_cast<std::size_t>(s.sym);
        vals[sp++] = v;
        break;
      }
      case Form::WordStep::fold: {
        const auto n = static_cast<std::size_t>(s.sym);
        const double v = foldvalue(s.word, vals.data() + (sp - n), s.sym);
        good = std::isfinite(v) && !textlike(v) && plat::fpu_peek_status() == 0;
        sp -= n;
        vals[sp++] = v;
        break;
      }
      case Form::WordStep::call: {
        const std::int32_t args = static_cast<std::uint16_t>(s.word) & 0x1F;
        std::array<std::int32_t, 8> actuals;
        const std::int32_t* given = s.actuals.data();
        if (s.computed != 0) {
          // (As placecomputed() places them.)
          actuals = s.actuals;
          for (std::int32_t a = args; a-- > 0;) {
            if ((s.computed >> a & 1u) == 0) continue;
            const std::int32_t cell = firsttemp + s.actuals[static_cast<std::size_t>(a)];
            cells[cell] = vals[--sp];
            newtemprecord(cell);
            actuals[static_cast<std::size_t>(a)] = cell;
          }
          given = actuals.data();
        }
        double v = 0.0;
        if (planned) {
          const LeanRef& e = f.leanrefs[refs];
          double* const formals = bound[refs].data();
          for (std::int32_t i = 0; i < e.m; ++i) formals[i] = cells[given[i]];
          good = (base <= framesize || !subactive(e.S, base)) && plat::fpu_peek_status() == 0 &&
                 leanvalue(e, cells, formals, v) && !textlike(v);
          values[refs++] = v;
        } else {
          LeanRef& e = found[refs < maxleanrefs ? refs : 0];
          good = s.elements == 0 &&
                 leanref(f.start + s.index, s.sym, args, base + s.depth, firsttemp + s.first, given,
                         forms, modecmd, undo.data(), nundo, last, v, e) &&
                 !textlike(v) && plat::fpu_peek_status() == 0;
          if (good) cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
          plannable = plannable && refs < maxleanrefs && e.m >= 0;
          ++refs;
        }
        vals[sp++] = v;
        flags = 0;
        break;
      }
      default:
        good = false;
        break;
    }
    if (!good) break;
  }
  if (!good || refs == 0) {
    for (std::int32_t i = nundo; i-- > 0;) {
      const Undo& u = undo[static_cast<std::size_t>(i)];
      cells[u.cell] = u.v;
    }
    plat::fpu_clear();
    return false;
  }
  if (planned) {
    // What each reference leaves, in turn (as leanref() leaves it).
    for (std::size_t k = 0; k < refs; ++k) {
      const LeanRef& e = f.leanrefs[k];
      char* const fields = reinterpret_cast<char*>(cells + e.S);
      const std::int16_t noreturn = 0;
      const auto count = static_cast<std::int16_t>(e.count);
      std::memcpy(fields + sizeof(std::int16_t), &noreturn, sizeof noreturn);
      std::memcpy(fields + 2 * sizeof(std::int16_t), &modecmd, sizeof modecmd);
      std::memcpy(fields + 3 * sizeof(std::int16_t), &count, sizeof count);
      cells[e.S + 1] = values[k];
      for (std::int32_t i = 0; i < e.m; ++i)
        cells[e.formal[static_cast<std::size_t>(i)]] = bound[k][static_cast<std::size_t>(i)];
    }
    cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
  } else if (plannable && kinds == kindcount && leanplannable(f, found.data(), refs)) {
    f.leanrefs.assign(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(refs));
    f.leanplan = callepoch;
    f.leankinds = kinds;
    f.leanframe = frame;
    f.leanscope = core::lokalscope;
    f.leanstop = stopline;
    f.leanscopesub = last->scopesub;
    f.leancmd = core::idecmd;
    f.leanmode = core::xeqmode;
    f.leanalarm = alarmsavedcmd;
    f.leanprev = prev;
  }
  // The statement runs through: what its words leave.
  const std::int16_t scopesub = planned ? f.leanscopesub : last->scopesub;
  if constexpr (inchain) {
    Words& w = *chain;
    chainhead(f, w);
    freshtemp(firsttemp);  // (room() found its record)
    returnwords<true>(nullptr, scopesub, mode, prev, core::lokalscope);
    w.stmtflags = flags;
    cells[f.target] = vals[1];
    w.sp = base + 1;
    w.top = f.target;
    w.iresult = firsttemp + f.nvalues;
    w.wordpos = f.end - 1;
    w.jumped = 0;
  } else {
    head(f.start, f.end);
    wordprologue(f.start);
    returnwords<false>(nullptr, scopesub, mode, prev, core::lokalscope);
    stmtflags = flags;
    cells[f.target] = vals[1];
    core::xeqstackptr = base + 1;
    core::adrs.data()[base] = f.target;
    core::iresult = firsttemp + f.nvalues;
    wordpos = f.end - 1;
    endstatement();
    quietcall = quietafter();
  }
  return true;
}

// Whether leanwords() takes the statement of form f (a statement it left
// to its steps a few times in a row is not tried again till `callepoch`
// moves).
template <bool inchain>
[[gnu::always_inline]] inline bool lean(Form& f, Words* chain) {
  if (f.leanepoch != callepoch) {
    f.leanepoch = callepoch;
    f.leanmisses = 0;
  }
  if (f.leanmisses >= 4) return false;
  if (leanwords<inchain>(f, chain)) {
    f.leanmisses = 0;
    return true;
  }
  ++f.leanmisses;
  return false;
}

// A statement of words that assigns one value, computed on values: what
// its words' handlers leave, without the operand stack's dead entries and
// the result cells' values. Anything out of the ordinary runs its words.
// In a chain (`chain`, with room found and the run state looked at), the
// run words go to its locals, and a statement that must run its words is
// the loop's (notrun, nothing changed but result cells).
// The same outside a chain, its steps in line (kept out of the chain's
// code, which takes such a statement with one reference at most).
[[gnu::noinline]] Res wordassignalone(Form& f, std::span<const std::int16_t> code) {
  exprsettled = false;
  quietcall = false;
  if (!room(f)) return notrun;
  if (plat::fpu_peek_status() != 0) return runwords(f, code);
  if (lean<false>(f, nullptr)) return ran();
  std::array<Entry, longeststack> stack;
  stack[0] = {0.0, false, 0};  // the target
  WordRun r;
  return wordsteps(f, code, r, 0, stack, 1);
}
// In a chain (see runwordassign).
[[gnu::noinline]] Res wordassignchained(Form& f, Words* chain) {
  if (plat::fpu_peek_status() != 0) return notrun;
  // (Entry 0 stands for the target, which no step reads.)
  std::array<Entry, longeststack> stack;
  WordRun r;
  return wordsteps<true>(f, {}, r, 0, stack, 1, chain);
}
// In a chain, a statement whose steps are one reference (`refshape`): the
// steps of wordsteps<true>() for that shape, the reference bound, its value
// combined with the symbol's and the statement ended at once. notrun,
// nothing changed but result cells, where those steps would give up (and
// for a statement of several references, which the loop runs).
[[gnu::noinline]] Res refassignchained(Form& f, Words* chain) {
  using Shape = Form::RefShape;
  const Shape shape = f.refshape;
  if (shape == Shape::several || plat::fpu_peek_status() != 0) return notrun;
  Words& w = *chain;
  const Form::WordStep* const steps = f.wordsteps.data();
  const Form::WordStep& c = steps[shape == Shape::symbolfirst ? 1 : 0];
  const std::int32_t base = core::xeqstackbase;
  const std::int32_t args = static_cast<std::uint16_t>(c.word) & 0x1F;
  // (Each symbol read where its step reads it: before the reference or
  // with it bound.)
  double x = shape == Shape::symbolfirst ? z.data()[steps[0].sym] : 0.0;
  Bound b;
  if (!bindref(f.start + c.index, c.sym, args, base + c.depth, firsttemp + c.first,
               c.actuals.data(), forms, b))
    return notrun;
  double v = b.v;
  bool fits = b.plainback;
  if (shape == Shape::symbolfirst) {
    fits = fits && loopop(steps[2].word, x, v, v) && std::isfinite(v);
  } else if (shape == Shape::symbolafter) {
    x = z.data()[steps[1].sym];
    // (A value taken for a text is the words' to combine.)
    fits = fits && !textlike(v) && loopop(steps[2].word, v, x, v) && std::isfinite(v);
  }
  if (!fits || textlike(v)) {
    unbind(b);
    return notrun;
  }
  chainhead(f, w);
  freshtemp(firsttemp);  // (room() found its record)
  commitchained(b, f.start + c.index);
  w.stmtflags = shape == Shape::alone ? 0 : 1;
  z.data()[f.target] = v;
  w.sp = base + 1;
  w.top = f.target;
  w.iresult = firsttemp + f.nvalues;
  w.wordpos = f.end - 1;
  w.jumped = 0;
  return ran();
}
inline Res runwordassign(Form& f, std::span<const std::int16_t> code, Words* chain = nullptr) {
  if (chain == nullptr) return wordassignalone(f, code);
  // (One reference with symbols beside it is quickest as it stands.)
  const bool several = f.refshape == Form::RefShape::steps || f.refshape == Form::RefShape::several;
  if (several && plat::fpu_peek_status() == 0 && lean<true>(f, chain)) return ran();
  return f.refshape == Form::RefShape::steps ? wordassignchained(f, chain)
                                             : refassignchained(f, chain);
}

// The rest of the statement of words of form f that a function's return
// resumes at `wordpos` (its reference the word before): its steps after
// the reference, from the operand stack as the words left it. notrun when
// the loop's handlers go on from `wordpos` (nothing changed, or the words'
// state made where the steps gave up).
[[gnu::always_inline]] inline Res resumewords(std::span<const std::int16_t> code) {
  // (The statement being run, by its checked form, as wordform() finds it.)
  const std::int32_t line = core::xeqline;
  if (line < 1 || static_cast<std::size_t>(line) >= forms.size()) return notrun;
  Form& f = forms[static_cast<std::size_t>(line)];
  if (f.kind != Kind::wordassign || f.checked != epoch || f.start != stmtstart) return notrun;
  const std::int32_t at = wordpos - 1 - f.start;
  const std::size_t nsteps = f.wordsteps.size();
  std::size_t j = f.resumestep;
  if (j >= nsteps || f.wordsteps[j].op != Form::WordStep::call || f.wordsteps[j].index != at) {
    j = 0;
    while (j < nsteps && (f.wordsteps[j].op != Form::WordStep::call || f.wordsteps[j].index != at))
      ++j;
    if (j == nsteps) return notrun;
    f.resumestep = static_cast<std::uint32_t>(j);
  }
  const Form::WordStep& s = f.wordsteps[j];
  const std::int32_t base = core::xeqstackbase;
  const std::int32_t n = core::xeqstackptr - base;
  const auto args = static_cast<std::int32_t>(static_cast<std::uint16_t>(s.word) & 0x1F);
  // (What the next value word would find otherwise: a stop, a failed
  // calculation to report.)
  if (n != s.depth - args || n < 2 || core::xeqstop != 0 || core::iostatw[0] != 0 || rerunflag ||
      plat::fpu_peek_status() != 0 || base + n > core::adrs.size())
    return notrun;
  const std::int32_t* const entries = core::adrs.data() + base;
  if (entries[0] != f.target) return notrun;
  const auto zsize = static_cast<std::int32_t>(z.size());
  const double* const cells = z.data();
  // (The entries below the reference that the steps hold: see
  // WordStep::below.)
  std::array<Entry, longeststack> stack;
  stack[0] = {0.0, false, 0};
  std::size_t sp = 1;
  for (std::int32_t i = 1; i < n; ++i) {
    const std::int32_t e = entries[i];
    if (e < 1 || e >= zsize) return notrun;
    if ((s.below >> i & 1u) != 0) stack[sp++] = {cells[e], e > core::nsym, e};
  }
  WordRun r;
  r.kfrom = s.first + 1;
  r.wordfrom = at + 1;
  r.prologue = true;
  r.resumed = true;
  r.flags = r.flagsfrom = stmtflags;
  return wordsteps(f, code, r, j + 1, stack, sp);
}

[[gnu::noinline]] Res returninto(std::span<const std::int16_t> code, std::int16_t last) {
  if (const Res res = resumewords(code); res != notrun) return res;
  return runwordsfrom(code, last);
}

// The form of statement s, checked against its words and types and what it
// relies on when anything may have changed since; null when it has none.
[[gnu::noinline]] Form* checked(std::int32_t s, std::span<const std::int16_t> code) {
  if (s < 1) return nullptr;
  if (static_cast<std::size_t>(s) >= forms.size()) {
    if (s > core::nstmt) return nullptr;
    forms.resize(static_cast<std::size_t>(core::nstmt) + 1);
  }
  Form& f = forms[static_cast<std::size_t>(s)];
  if (f.checked == epoch) return &f;
  if (f.kind == Kind::none && f.run == runepoch) return nullptr;
  if (f.run == runepoch && f.kind != Kind::unknown) {
    // The words change only between runs: within one only the types and
    // the stores the form relies on are looked at again.
    if (sametypes(f)) {
      f.checked = epoch;
      f.ready = ready(f);
      f.live = f.ready ? epoch : 0;
      f.roomframe = 0;
      return &f;
    }
  }
  const std::int32_t start = core::stmtstart(s);
  std::int32_t end = core::stmtstart(s + 1);
  if (end < start) end = start;
  if (start < 1 || end > static_cast<std::int32_t>(code.size()) + 1) return nullptr;
  const std::span<const std::int16_t> words =
      code.subspan(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start));
  if (f.kind == Kind::unknown || !current(f, words)) remake(s, f, words);
  f.start = start;
  f.end = end;
  f.checked = epoch;
  f.run = runepoch;
  f.ready = ready(f);
  f.live = f.ready ? epoch : 0;
  f.roomframe = 0;
  return &f;
}

// After a statement that ran by its form: the loop test would only call
// the input step, which finds nothing to do, and go on with the next
// statement. Anything else (a stop, a pending command or key, input, a
// stop line, the program's end, single steps, a watched variable) is left
// to the loop test. The first part holds on after assignments and
// loop ends, which change none of it.
[[gnu::always_inline]] inline bool quietstate() {
  return core::xeqstop == 0 && core::idecmd <= 0 && core::keyrec[0] == 0 && core::keyrec[1] != 1 &&
         win::queue_idle() && !stepwatch && (core::xeqmode & core::runmode::running) != 0;
}
bool quietline() {
  return (stopline == 0 || core::xeqline != stopline) && core::xeqline <= core::nstmt;
}

// Forms run one after another. While the statements that follow each other
// are assignments, programs, block IFs, loop ends and jumps, and the loop
// test between them would find nothing to do, the run words they leave are
// kept here in locals and written back once, when the chain ends: nothing
// between reads them (these forms read only cells, the block stack and the
// text area's start, which is written before a program that may use it).
// The words that input may set at any moment (the typed key, the key
// state) and every cell are written as each statement leaves them.

[[gnu::always_inline]] inline Words loadwords() {
  const std::int32_t base = core::xeqstackbase;
  return Words{core::xeqline,           stmtstart,         stmtend,     core::c1tmptop,
               core::iresult,           core::xeqstackptr, wordpos,     stmtflags,
               core::adrs.data()[base], jumpedflag,        exprsettled, false};
}

// What storewords() writes but for the words that the transfer's own road
// writes itself once it runs (see chaintransfer(); storewordsrest() writes
// those).
[[gnu::always_inline]] inline void aheadwords(const Words& w) {
  if (w.wordstart) {
    eventcmd = 0;
    rerunflag = false;
    core::iostatw[0] = 0;
    if (core::xeqmode & core::runmode::running) stoppedflag = 0;
  }
  core::xeqline = w.line;
  wordpos = w.wordpos;
  stmtflags = w.stmtflags;
  core::adrs.data()[core::xeqstackbase] = w.top;
  jumpedflag = w.jumped;
  exprsettled = w.settled;
}
[[gnu::noinline]] void storewordsahead(const Words& w) { aheadwords(w); }
void storewordsrest(const Words& w) {
  core::xeqstop = 0;
  if (core::lokalscope == 0) core::lokalscope = core::lokalsub;
  if ((core::idestate & core::busy::compiling) == 0) core::nomsg = 0;
  core::msgkey.blank();
  stmtstart = w.start;
  stmtend = w.end;
  core::c1tmptop = w.c1tmp;
  core::iresult = w.iresult;
  core::xeqstackptr = w.sp;
}

// What the statements of a chain left, as each would have written it.
[[gnu::noinline]] void storewords(const Words& w) {
  storewordsrest(w);
  aheadwords(w);
}

// The outcome of a chain: whether any statement ran, and whether the loop
// test must come next (else the statement at `xeqline` is the loop's).
// (Written by the chain into the caller's record, each field as it is
// read: a record returned in registers was built in memory a byte at a
// time and read back wider, which waits for the writes.)
struct Chain {
  std::int32_t ran = 0;  // statements run
  bool stop = false;
  bool other = false;     // it ended at a statement of a kind it does not take
  bool leave = false;     // it ended at a return that the loop must take (its answer `leave`)
  std::int16_t word = 0;  // (the return's word then)
};

// The frame a chain runs in (the chain's own words): a CALL and a return
// move it.
struct ChainFrame {
  std::int32_t& ft;
  std::int32_t& base;
  std::uint64_t& key;  // framekey(ft, base)
  void load() {
    ft = firsttemp;
    base = core::xeqstackbase;
    key = framekey(ft, base);
  }
};

// The first steps of the word path for statement f in a chain: what
// head() and wordprologue() write, the run words in `w`.
inline void chainwordsteps(const Form& f, Words& w, const ChainFrame& fr) {
  chainhead(f, w);
  w.iresult = fr.ft;
  w.stmtflags = 0;
  freshtemprecord(name.data()[fr.ft - 1]);  // (room() found the record)
}

// What a CALL met by a chain came to (see chaincall()), and what its
// run did besides: the statements after the CALL it ran, and the word of a
// return that stopped it.
struct RunOut {
  std::int32_t more = 0;
  std::int16_t word = 0;
};
enum class Called : std::uint8_t {
  no,     // the loop must run it (what it changed is what its own first steps write)
  on,     // the chain goes on at `line`
  back,   // the same, after a return (of a run) into the frame it started in
  stop,   // a return of its run gave back what the loop test looks at
  leave,  // a return of its run answered `leave`
};

// The runs of CALLs and returns found (see exec/fastpath_runs.h), by the
// statement of their first CALL, hashed; made when first needed.
std::vector<std::unique_ptr<CallRun>> callruns;
constexpr std::size_t ncallruns = 128;
// A run is found again at most this often for the same start (while one
// of its statements is not yet ready), and runs are found at most this
// often for a statement in a run of the program.
constexpr std::uint8_t runbuilds = 4;
struct RunFinds {
  std::uint64_t run = 0;
  std::uint32_t count = 0;
};
std::vector<RunFinds> runfinds;
constexpr std::uint32_t maxrunfinds = 64;

// The run to be replayed: one of two statements or more, or a one-step
// call alone.
[[gnu::always_inline]] inline CallRun* worthrun(CallRun& run) {
  return run.nsteps > 1 || (run.nsteps == 1 && run.steps[0].op == RunStep::Op::leaf) ? &run
                                                                                     : nullptr;
}

// The run from the CALL at `line` in the chain's frame, found anew where
// what was found does not hold (`run` its place); null where none is to
// be had.
[[gnu::noinline]] CallRun* findcallrun(CallRun& run, std::int32_t line, const ChainFrame& fr) {
  const std::int32_t scope = core::lokalscope;
  const bool same = run.line == line && run.run == runepoch && run.epoch == callepoch &&
                    run.frame == fr.key && run.stop == stopline && run.scope == scope;
  if (same && (run.complete || run.builds >= runbuilds)) return worthrun(run);
  if (static_cast<std::size_t>(line) >= runfinds.size())
    runfinds.resize(static_cast<std::size_t>(line) + 1);
  RunFinds& finds = runfinds[static_cast<std::size_t>(line)];
  if (finds.run != runepoch) finds = RunFinds{runepoch, 0};
  if (++finds.count > maxrunfinds) return nullptr;
  run.builds = same ? static_cast<std::uint8_t>(run.builds + 1) : 1;
  run.line = line;
  run.run = runepoch;
  run.epoch = callepoch;
  run.frame = fr.key;
  run.stop = stopline;
  findrun(run, forms, line, fr.ft, fr.base, scope);
  return worthrun(run);
}
// The same where the run that the CALL of form f found last holds
// (CALLs and returns happen only in chains, where the stop line is 0, and
// `callepoch` moves with every new run).
[[gnu::always_inline]] inline CallRun* callrunat(Form& f, std::int32_t line, const ChainFrame& fr) {
  CallRun* const run = f.callrun;
  if (run != nullptr && run->complete && run->line == line && run->frame == fr.key &&
      run->epoch == callepoch && run->scope == core::lokalscope)
    return worthrun(*run);
  if (callruns.empty()) [[unlikely]]
    callruns.resize(ncallruns);
  std::unique_ptr<CallRun>& place = callruns[static_cast<std::uint32_t>(line) % ncallruns];
  if (place == nullptr) [[unlikely]]
    place = std::make_unique<CallRun>();
  f.callrun = place.get();
  return findcallrun(*place, line, fr);
}

// The run words that statement s of a run leaves in a chain's `w` (its
// frame's first result cell ft and stack base `base`; a return's caller's
// CALL word `pos` and stack pointer `sp`), but for the stack's top, which
// the run keeps.
inline void owed(const RunStep& s, Words& w, std::int32_t ft, std::int32_t base, std::int32_t pos,
                 std::int32_t sp) {
  w.start = s.start;
  w.end = s.end;
  w.wordstart = true;
  w.settled = false;
  w.c1tmp = textbase();
  w.iresult = ft;
  w.stmtflags = 0;
  const bool back = s.op == RunStep::Op::back;
  w.sp = back ? sp : base;
  w.wordpos = back ? pos : s.callword;
}

// Writes the n stack entries of a run's CALL (between 6 and 16: two
// copies of 4 or 8 that overlap).
[[gnu::always_inline]] inline void writeblock(std::int32_t* to, const std::int32_t* from,
                                              std::int32_t n) {
  static_assert(maxformals + 1 + framesize <= 16 && framesize + 1 >= 4);
  if (n <= 8) {
    std::memcpy(to, from, 4 * sizeof *to);
    std::memcpy(to + n - 4, from + n - 4, 4 * sizeof *to);
  } else {
    std::memcpy(to, from, 8 * sizeof *to);
    std::memcpy(to + n - 8, from + n - 8, 8 * sizeof *to);
  }
}

// Each cell to[i] takes the value of cell from[i], for i from 0 up to
// below n (at most 8), in turn.
[[gnu::always_inline]] inline void copycells(double* cells, const std::int32_t* to,
                                             const std::int32_t* from, std::int32_t n) {
  static_assert(maxformals == 8);
  const auto copy = [&](std::int32_t i) { cells[to[i]] = cells[from[i]]; };
  switch (n) {
    case 8:
      copy(n - 8);
      [[fallthrough]];
    case 7:
      copy(n - 7);
      [[fallthrough]];
    case 6:
      copy(n - 6);
      [[fallthrough]];
    case 5:
      copy(n - 5);
      [[fallthrough]];
    case 4:
      copy(n - 4);
      [[fallthrough]];
    case 3:
      copy(n - 3);
      [[fallthrough]];
    case 2:
      copy(n - 2);
      [[fallthrough]];
    case 1:
      copy(n - 1);
      [[fallthrough]];
    default:
      break;
  }
}

// Replays `run` from its first CALL (whose own checks the chain made), in
// the chain's frame `fr`: each statement's stores as chaincall() and
// chainreturn() make them (its subroutine's record looked at again), each
// counted in `count` but the first; the run words the last one leaves go
// to `w`. A statement that the loop must run (a one-step call that gives
// up, a record changed) ends the replay there, where the chain goes on.
// `retword` the word of a return that stopped it.
// The frames it enters and leaves are light: each CALL's stack entries
// and record were found with the run, and the words that only say where
// the run stands (the stack base, the scope and its `lokalsub`, the call
// depth, the first result cell and the kind of call a return leaves) are
// kept in locals and written once, where the replay ends, as the last
// statement made left them. (Within a run a return's frame is the one its
// CALL wrote, and the stack's top is the entry above the stack base: a
// return puts back what is there.) A one-step call is made as runleaf()
// makes it, from what the run found of it.
[[gnu::noinline]] Called replayrun(const CallRun& run, std::int32_t& line, Words& w, ChainFrame& fr,
                                   RunOut& out) {
  double* const cells = z.data();
  std::int32_t* const stack = core::adrs.data() - 1;  // stack[i] is adrs(i)
  const std::int32_t ft = fr.ft;
  std::int32_t base = fr.base;
  std::int32_t scope = core::lokalscope;
  std::int16_t sub = core::lokalsub;
  std::int32_t depth = 0;  // calls entered less returns made, since written
  bool moved = false;      // the frame moved since written
  bool backs = false;      // a return made since written
  std::int32_t top = w.top;
  Called called = Called::no;
  const volatile std::uint8_t* const breakkey = &core::keyrec[1];
  const RunStep* const steps = run.steps.data();
  const RunStep* const end = steps + run.nsteps;  // (a run has a statement or more)
  // The record's mode and command field, which the enter's `record`
  // leaves 0.
  const std::uint64_t modefield = recordbits(0, 0, -1, 0);
  // The first steps of the word path that every statement of the run
  // writes alike.
  const auto firststeps = [&] {
    core::keyrec[0] = 0;
    core::keystate[1] = 0;
    cells[1] = 1.0;
    freshtemp(ft);
  };
  // The words kept in locals, written.
  const auto settle = [&] {
    if (moved) {
      core::xeqstackbase = base;
      core::lokalscope = scope;
      core::lokalsub = sub;
      calldepth += depth;
      depth = 0;
      moved = false;
    }
    if (backs) {
      firsttemp = ft;
      callkind = wcall;
      eventlabel = 0;
      stoppedflag = 0;
      backs = false;
    }
  };
  // (The statements made: those before `s`; the last of them owes its run
  // words.)
  const RunStep* s = steps;
  for (;;) {
    switch (s->op) {
      case RunStep::Op::enter: {
        std::int16_t f1 = 0;
        std::memcpy(&f1, cells + s->S, sizeof f1);
        if (f1 != s->f1) goto given;
        const auto modecmd = static_cast<std::int16_t>(
            (core::xeqmode & core::runmode::framebits & 0xFF) | ((savedcmd() & 0xFF) << 8));
        if (s == steps) firststeps();
        // The pushes and the frame above them.
        writeblock(stack + s->base + 1, s->block.data(), s->nblock);
        ++depth;
        framekept(s->scope);
        base = s->inner;
        sub = s->sub;
        scope = s->S;
        moved = true;
        // The formals take the actuals' values.
        copycells(cells, s->to.data(), s->from.data(), s->m);
        // The record: the return statement, the mode and command the call
        // leaves, the count of actuals.
        const std::uint64_t record = s->record | recordbits(0, 0, modecmd, 0);
        std::memcpy(cells + s->S, &record, sizeof record);
        core::idecmd = incall;
        top = stack[base + 1];
        called = Called::on;
        break;
      }
      case RunStep::Op::leaf: {
        // As runleaf() makes it in a chain, but that its run words are owed
        // as an enter's, at its END.
        std::int16_t f1 = 0;
        std::memcpy(&f1, cells + s->S, sizeof f1);
        if (f1 != s->f1 || plat::fpu_peek_status() != 0) goto given;
        const Form& body = forms[static_cast<std::size_t>(f1) + 1];
        // The formals take the actuals' values; the assignment runs with `$`
        // as the call's words leave it.
        const std::int32_t m = s->m;
        std::array<double, maxformals> kept;
        const double dollar = cells[1];
        cells[1] = 1.0;
        for (std::int32_t i = 0; i < m; ++i) {
          const auto k = static_cast<std::size_t>(i);
          kept[k] = cells[s->to[k]];
          cells[s->to[k]] = cells[s->from[k]];
        }
        ProgResult r;
        if (body.kind == Kind::prog)
          r = runplain(body.prog);
        else
          r.done = evaluate(body.value, cells, static_cast<std::int32_t>(z.size()), r.value);
        if (!r.done) {
          for (std::int32_t i = m - 1; i >= 0; --i)
            cells[s->to[static_cast<std::size_t>(i)]] = kept[static_cast<std::size_t>(i)];
          cells[1] = dollar;
          plat::fpu_clear();  // (the assignment's failure, raised again by the general path)
          goto given;
        }
        // The CALL: its first steps, the pushes and the frame, the record.
        core::keyrec[0] = 0;
        core::keystate[1] = 0;
        freshtemp(ft);
        writeblock(stack + s->base + 1, s->block.data(), s->nblock);
        const std::int32_t prev = savedcmd();
        const std::int32_t mode = core::xeqmode & core::runmode::framebits;
        const std::uint64_t record =
            s->record |
            recordbits(0, 0, static_cast<std::int16_t>((mode & 0xFF) | ((prev & 0xFF) << 8)), 0);
        std::memcpy(cells + s->S, &record, sizeof record);
        // The assignment: what its program and the expression path leave.
        core::msgkey.blank();
        cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
        cells[s->target] = r.value;
        stack[s->inner + 1] = ft + 1;
        // The END: its first steps, then the return.
        cells[1] = 1.0;
        eventlabel = 0;
        copycells(cells, s->givento.data(), s->givenfrom.data(), s->given);
        sub = s->sub;
        moved = true;
        callkind = wcall;
        w.jumped = 0;
        core::xeqmode = mode;
        core::xeqstop = (mode & 0x02) && scope == tablescope ? stops::callback : 0;
        core::idecmd = static_cast<std::int8_t>(prev & 0xFF);
        if (alarmsavedcmd == core::idecmd) alarmsavedcmd = -1;
        if (core::idecmd < -1 && core::idecmd != incall) core::xeqmode |= core::runmode::running;
        top = s->block[0];
        if (called == Called::no) called = Called::on;
        break;
      }
      case RunStep::Op::back: {
        // The record as the CALL left it (else the loop's return takes it).
        std::uint64_t record = 0;
        std::memcpy(&record, cells + s->S, sizeof record);
        if ((record & ~modefield) != s->record) goto given;
        std::int16_t fields[4];
        std::memcpy(fields, &record, sizeof fields);
        if (s == steps) firststeps();
        // The return, as returnchain() makes it.
        --depth;
        const std::int32_t mode = static_cast<std::uint16_t>(fields[2]) & 0xFF;
        const auto cmd =
            static_cast<std::int8_t>((static_cast<std::uint16_t>(fields[2]) >> 8) & 0xFF);
        fields[1] = 0;
        std::memcpy(cells + s->S, fields, sizeof fields);
        framegone(s->scope);
        copycells(cells, s->to.data(), s->from.data(), s->m);
        scope = s->scope;
        sub = s->sub;
        base = s->base;
        moved = true;
        backs = true;
        core::xeqmode = mode;
        core::xeqstop = (mode & 0x02) && scope == tablescope ? stops::callback : 0;
        core::idecmd = cmd;
        if (alarmsavedcmd == cmd) alarmsavedcmd = -1;
        if (cmd < -1 && cmd != incall) core::xeqmode |= core::runmode::running;
        top = stack[base + 1];
        called = Called::back;
        // (The loop test comes next where the return gave back what it
        // looks at.)
        if ((core::xeqmode & core::runmode::running) == 0 || !quietafter()) {
          out.word = forms[static_cast<std::size_t>(s->line)].words[0];
          called = (core::xeqmode & core::runmode::running) == 0 ? Called::leave : Called::stop;
          ++s;
          goto out;
        }
        break;
      }
    }
    if (++s == end || *breakkey == 1) break;
  }
given:
  // (A statement the loop runs at `s`.)
out:
  settle();
  fr.ft = ft;
  if (s != steps) {
    const RunStep* const last = s - 1;
    line = last->next;
    out.more += static_cast<std::int32_t>(s - steps) - 1;
    w.top = top;
    owed(*last, w, ft, base, last->callword, last->inner);
  }
  fr.base = base;
  fr.key = framekey(fr.ft, base);
  return called;
}

// A CALL met by a chain: the subroutine run in one step or entered as
// runcall() does it, the run words kept in `w` and the chain's frame
// moved to the callee's; where the CALLs and returns that follow it make
// a run (see exec/fastpath_runs.h), the whole run (each statement but the
// first counted in `count`). No when the loop must run the statement
// (what it changed then is what the statement's own first steps write).
#if defined(__clang__)
[[gnu::noinline]]
#else
// (Compiled apart: what the chain keeps across it does not depend on which
// registers this code happens to use.)
[[gnu::noipa]]
#endif
Called
chaincall(Form& f, std::int32_t& line, Words& w, ChainFrame& fr, bool& running, RunOut& out) {
  const Callee& c = f.callee;
  const std::int32_t S = c.S;
  double* const cells = z.data();
  std::int16_t f1 = 0;
  std::memcpy(&f1, cells + S, sizeof f1);
  if (c.f1 == 0 || c.function || f1 != c.f1) return Called::no;
  // A RUN with nothing pending (runstate()): what a chain does not change
  // is looked at once, the command and mode, which returns give back,
  // at each call.
  if (running) {
    if ((core::idecmd != -1 && core::idecmd != incall) ||
        (core::xeqmode & (core::runmode::callback | core::runmode::single |
                          core::runmode::running)) != core::runmode::running)
      return Called::no;
  } else {
    if (!runstate()) return Called::no;
    running = true;
  }
  const std::int32_t base = fr.base;
  if (subactive(S, base)) return Called::no;
  // (runleaf() finds what it keeps of the call for this frame; a run, made
  // of this call alone where it is one of one step, makes it lighter.)
  const bool known = f.leafepoch == callepoch && f.leafframe == fr.key && f.leafstop == stopline;
  if (known) {
    if (const CallRun* const run = callrunat(f, line, fr);
        run != nullptr && (core::keyrec[2] & 1) == 0) {
      // A run of CALLs and returns from here, none of whose subroutines is
      // active.
      bool free = true;
      for (std::int32_t i = 0; i < run->nsubs && free; ++i) {
        const std::int32_t s = run->subs[static_cast<std::size_t>(i)];
        free = s == S || !subactive(s, base);
      }
      if (free) return replayrun(*run, line, w, fr, out);
    }
  }
  if ((!known || f.leaf) && runleaf(f, &w) == ran()) {
    ++line;
    return Called::on;
  }
  chainwordsteps(f, w, fr);
  const auto args = static_cast<std::int32_t>(f.pushes.size()) - 1;
  std::int32_t* const stack = core::adrs.data() + base;  // (room() found room for them)
  const std::int32_t* const pushed = pushedcells(f);
  for (std::int32_t i = 0; i <= args; ++i) stack[i] = pushed[i];
  const std::int32_t p = base + args + 1, callword = f.start + args + 1;
  if (f.boundepoch == callepoch && f.frameroom) {
    enterchain(c, args, f.formals.data(), base, line, callword);
  } else {
    core::xeqstackptr = p;
    wordpos = callword;
    core::xeqline = line;
    if (!enterrun(c, args, f.formals.data(), f.boundepoch == callepoch)) return Called::no;
    f.boundepoch = callepoch;
  }
  line = c.f1 + 1;
  fr.base = p + framesize;
  fr.key = framekey(fr.ft, fr.base);
  w.sp = fr.base;
  w.wordpos = callword;
  w.top = core::adrs.data()[fr.base];
  return Called::on;
}

// END or RETURN alone met by a chain: the return to the CALL's caller as
// runreturn() makes it (returnchain()), the run words kept in `w` and the
// chain's frame moved back. False when the loop must run the statement (a
// function's return goes on in its caller's statement).
[[gnu::noinline]] bool chainreturn(Form& g, std::int32_t& line, Words& w, ChainFrame& fr,
                                   WordResult& r) {
  const std::int32_t S = core::lokalscope;
  const std::int32_t b = core::xeqstackbase;
  // (A function's, as a return found it before, is the loop's at once.)
  if (core::idecmd != incall || (g.callee.function && g.callee.S == S) ||
      (core::keyrec[2] & 1) != 0 ||
      (core::xeqmode & (core::runmode::callback | core::runmode::running)) !=
          core::runmode::running ||
      S < 1 || b > core::adrs.size())
    return false;
  Left* const left = findleft(g.callee, S, b);
  if (left == nullptr || left->function) [[unlikely]]
    return false;
  double* const cells = z.data();
  std::int32_t* const stack = core::adrs.data() - 1;  // stack[i] is adrs(i)
  const std::int32_t ptr = b - framesize;
  const std::int32_t scope = stack[ptr + 1], base = stack[ptr + 2], pos = stack[ptr + 3],
                     ft = stack[ptr + 4], kind = stack[ptr + 5];
  const std::int32_t f4 = left->count;
  const std::int32_t c1 = textbase();
  // The END's first steps on the word path (what the callee's last
  // statement left on its stack stays there).
  w.start = g.start;
  w.end = g.end;
  w.wordstart = true;
  w.settled = false;
  w.c1tmp = c1;
  w.iresult = fr.ft;
  w.stmtflags = 0;
  core::keyrec[0] = 0;
  core::keystate[1] = 0;
  cells[1] = 1.0;
  freshtemp(fr.ft);
  stack[b + 1] = w.top;
  stoppedflag = 0;
  // The return: what leave() leaves for a subroutine whose caller is on
  // the stack.
  eventlabel = 0;
  --calldepth;
  line = left->line;
  std::memcpy(cells + S, &left->cleared, sizeof left->cleared);
  core::lokalscope = scope;
  framegone(scope);
  releasetexts(b);
  core::xeqstackbase = base;
  firsttemp = ft;
  callkind = kind;
  if (left->m > 0) giveleft(*left, stack + ptr - f4 + 1);
  core::lokalsub = subof(*left, scope);
  givemode(*left, scope);
  r = (core::xeqmode & core::runmode::running) ? WordResult::looptest : WordResult::leave;
  fr.ft = ft;
  fr.base = base;
  fr.key = framekey(ft, base);
  w.sp = std::max(ptr - f4 - 1, base);
  w.wordpos = pos;
  w.top = stack[base + 1];
  return true;
}

// The statements after a READ or WRITE that its transfer program ran on
// the loop's road, in this run (by statement: the run epoch): chains from
// them take calls and those.
std::vector<std::uint64_t> chainxfers;
bool chainxfer(std::ptrdiff_t s) {
  return static_cast<std::size_t>(s) < chainxfers.size() &&
         chainxfers[static_cast<std::size_t>(s)] == runepoch;
}
[[gnu::noinline]] void setchainxfer(std::ptrdiff_t s) {
  if (s < 1 || static_cast<std::size_t>(s) >= forms.size()) return;
  if (static_cast<std::size_t>(s) >= chainxfers.size())
    chainxfers.resize(static_cast<std::size_t>(s) + 1);
  chainxfers[static_cast<std::size_t>(s)] = runepoch;
  forms[static_cast<std::size_t>(s)].chaincalls = runepoch;
}

// A READ or WRITE run by its transfer program as a step of a chain (see
// chaintransfer(), by the transfer's own road below). One that stops the
// chain leaves what the loop makes of it here (taken by runstatement()).
enum class Transferred : std::uint8_t { none, goon, stop };
Transferred chaintransfer(const Words& w);
bool transferstopped = false;
Res transferanswer = Outcome::looptest;

// A GOTO under a one-line IF whose condition its words compute, met by a
// chain whose first result cell is ft: the condition's values and the
// result cells' records as runcomputedjump() leaves them; `on` when the IF
// found its value 0 (in the cell after the operators'), `away` when the
// GOTO jumps to statement `at`, `no` (nothing changed) when the loop must
// run the statement.
enum class Jumped : std::uint8_t { no, on, away };
[[gnu::noinline]] Jumped chainjump(const Form& f, std::int32_t ft, std::int32_t& at) {
  std::array<double, longeststack> made;
  double* const cells = z.data();
  if (plat::fpu_peek_status() != 0 || !jumpcondition(f, cells, made.data())) return Jumped::no;
  const std::int32_t k = f.nvalues;
  const double v = made[static_cast<std::size_t>(k)];
  if (v != 0.0) {
    at = labelstatement(cells, f.label);
    if (at <= 0) return Jumped::no;
  }
  // (room() found the result cells and their records.)
  freshtemp(ft);
  for (std::int32_t j = 0; j < k; ++j) {
    cells[ft + j] = made[static_cast<std::size_t>(j)];
    freshtemp(ft + j + 1);
  }
  if (v != 0.0) return Jumped::away;
  // The IF's value takes the next result cell, and the statement ends.
  cells[ft + k] = v;
  freshtemp(ft + k + 1);
  return Jumped::on;
}

// A statement of words under a one-line IF of one operator on two numbers
// (oneopguard()) met by a chain whose first result cell is ft, stack base
// `base` and text area's top c1: when the IF is found false, what
// falseguard() leaves, the run words in `w`; false (nothing changed) when
// the loop must run it.
// (Out of line: the chain keeps its registers.)
[[gnu::noinline]] bool chainguard(const Form& f, Words& w, std::int32_t ft, std::int32_t base,
                                  std::int32_t c1) {
  double* const cells = z.data();
  double r = 0.0;
  if (!oneopguard(f) || !oneopfalse(f, cells, r)) return false;
  // (What the chain's first steps of the word path write.)
  w.start = f.start;
  w.end = f.end;
  w.wordstart = true;
  w.settled = false;
  w.c1tmp = c1;
  core::keyrec[0] = 0;
  core::keystate[1] = 0;
  cells[1] = 1.0;
  freshtemp(ft);
  cells[ft] = r;
  freshtemp(ft + 1);
  cells[ft + 1] = r;
  freshtemp(ft + 2);
  w.stmtflags = 1;
  w.sp = base + 1;
  w.top = ft + 1;
  w.iresult = ft + 2;
  w.wordpos = f.end - 1;
  w.jumped = 0;
  return true;
}

// The chains of forms started so far: each is told apart by its number.
std::uint64_t chainsrun = 0;

// Whether the loop end of form f counts its variable in whole numbers
// from here on in chain `chain` (else it is marked to take the real road
// there): its record's step a whole number of 32 bits, the variable's
// cell a whole number and the limit any number, both well within the
// range where doubles hold every whole number, so that each sum of the
// real road is exact. The real road ends the loop when
// (next - limit) * sign - zeps > 0, which only grows as next moves on by
// the step; so the last value with which it goes round again lies next to
// the limit and is found there once, by that very test. (A DO statement
// runs on the general path, which ends a chain: the step and the limit
// stay as the DO left them for the chain's length. A script that assigns
// the variable inside the loop is noticed at the loop end, whose cell then
// no longer holds the counter: the loop takes the real road from there.)
[[gnu::noinline]] bool countedloop(Form& f, const double* cells, std::uint64_t chain) {
  const DoRecord& r = f.loop;
  f.intchain = 0;
  if (f.realchain == chain) return false;
  f.realchain = chain;
  const double step = cells[r.adr + 1], var = cells[r.var], limit = cells[r.adr];
  constexpr double exact = 1125899906842624.0;  // 2^50
  // (A value that is no number fails each test.)
  if (!(std::fabs(step) < 2147483648.0 && std::fabs(var) < exact && std::fabs(limit) < exact))
    return false;
  const auto istep = static_cast<std::int64_t>(step), v = static_cast<std::int64_t>(var);
  if (istep == 0 || static_cast<double>(istep) != step || static_cast<double>(v) != var)
    return false;
  const double sign = step < 0.0 ? -1.0 : 1.0;
  const auto ends = [limit, sign](std::int64_t n) {
    return (static_cast<double>(n) - limit) * sign - zeps > 0.0;
  };
  const std::int64_t dir = istep > 0 ? 1 : -1;
  auto last = static_cast<std::int64_t>(limit);
  for (int i = 0; i < 4 && !ends(last + dir); ++i) last += dir;
  for (int i = 0; i < 4 && ends(last); ++i) last -= dir;
  if (ends(last) || !ends(last + dir)) return false;
  f.realchain = 0;
  f.intchain = chain;
  f.counter = var;
  f.istep = step;
  f.ilast = static_cast<double>(last);
  return true;
}

// The condition, target and value of the assignment of form f as a chain
// takes them: false when the loop must run it. (With `free`, the elements
// that freeloop() marked read without a test.)
template <bool free>
[[gnu::always_inline]] inline bool assignvalues(const Form& f, const double* cells,
                                                std::int32_t zsize, bool& run, std::int32_t& target,
                                                double& v) {
  if (!f.cond.empty()) {
    double c = 0.0;
    if (!evaluate<free>(f.cond, cells, zsize, c)) return false;
    run = c != 0.0;
  }
  if (!run) return true;
  if (!f.index.empty()) {
    if (free && f.freetarget) {
      target = f.targetfirst - 1 + static_cast<std::int32_t>(cells[f.index.a]);
    } else {
      double i = 0.0;
      if (!evaluate<free>(f.index, cells, zsize, i)) return false;
      target = elemat(f.targetfirst, f.targetcount, i);
      if (target <= core::nsym) return false;
    }
  }
  return evaluate<free>(f.value, cells, zsize, v);
}

// The fewest passes, less one, that a loop has to go for freeloop() to
// look at its statements: what it finds costs about what a dozen passes
// save, and a loop with fewer to go runs by the tests.
constexpr double freepasses = 15.0;

// The marks of loops whose elements are read without a test (freeloop()):
// each is told apart by its number.
std::uint64_t freemarks = 0;

// What the loop that form f ends (its end at statement `at`) finds of the
// statements between its DO and itself, for epoch ep and frame `frame`
// (freeloop()): whether each has a form ready for them that writes no
// more than its target cell or array element, the loop's variable
// neither, and leaves the loop by its end alone (a block's jump lands
// inside); then, of each program on numbers alone, the elements whose
// indices come from cells that are the loop's variable or that no
// statement of the loop writes: they are read by steps of their own
// (Prog::free) once those cells are found inside the bounds.
void freestatements(Form& f, Form* table, std::uint32_t nforms, std::int32_t at, std::uint64_t ep,
                    std::uint64_t frame) {
  f.freeepoch = ep;
  f.freeframe = frame;
  f.freereadies = readies;
  f.freeok = false;
  f.freebound = 0;
  f.freelines.clear();
  f.freecells.clear();
  const DoRecord& r = f.loop;
  const std::int32_t var = r.var;
  // (The variable a symbol's own cell: no array's elements nor result
  // cells, nor the predefined ones the forms set.)
  if (at != r.laststmt || r.dostmt < 1 || at - r.dostmt > 64 ||
      static_cast<std::uint32_t>(at) >= nforms || var <= 6 || var > core::nsym)
    return;
  // The cells the statements write: single ones, and ranges of elements.
  std::vector<std::int32_t> cells;
  std::vector<std::pair<std::int32_t, std::int32_t>> ranges;  // first, count
  bool elements = false;
  for (std::int32_t line = r.dostmt + 1; line < at; ++line) {
    const Form& g = table[line];
    if (g.live != ep || g.roomframe != frame) return;
    switch (g.kind) {
      case Kind::empty:
        break;
      case Kind::assign:
        if (g.index.empty())
          cells.push_back(g.target);
        else
          ranges.emplace_back(g.targetfirst, g.targetcount);
        elements = true;
        break;
      case Kind::prog:
        if (!g.prog.plain || g.prog.passes || g.prog.quick == nullptr) return;
        for (const PStep& s : g.prog.steps) {
          if (s.op == P::tcell) {
            cells.push_back(s.a);
          } else if (s.op == P::telem) {
            const Slot& a = g.prog.slots[static_cast<std::size_t>(s.a)];
            ranges.emplace_back(a.first, a.count);
          }
          elements = elements || s.op == P::elem || s.op == P::telem;
        }
        break;
      case Kind::block:
        if (!g.prog.empty() && !g.prog.plain) return;
        if (g.blockkind != blockword::endif && (g.target <= r.dostmt || g.target > at)) return;
        break;
      default:
        return;
    }
  }
  const auto written = [&](std::int32_t c) {
    if (std::find(cells.begin(), cells.end(), c) != cells.end()) return true;
    for (const auto& [first, count] : ranges)
      if (c >= first && c - first < count) return true;
    return false;
  };
  if (written(var)) return;
  f.freeok = true;
  if (!elements) return;
  // An index cell taken: the loop's variable, or one no statement writes.
  const auto take = [&](std::int32_t c, std::int32_t bound) {
    if (c == var) {
      f.freebound = f.freebound == 0 ? bound : std::min(f.freebound, bound);
      return true;
    }
    if (c <= 6 || c > core::nsym || written(c)) return false;
    f.freecells.emplace_back(c, bound);
    return true;
  };
  const auto takeexpr = [&](Expr& e) {
    bool any = false;
    if (e.shape == Expr::elem || e.shape == Expr::elemop) any = e.free = take(e.a, e.count);
    for (Step& s : e.steps)
      if (s.op == Op::elem) any = (s.free = s.acell && take(s.a, s.count)) || any;
    return any;
  };
  for (std::int32_t line = r.dostmt + 1; line < at; ++line) {
    Form& h = table[line];
    if (h.kind == Kind::assign) {
      bool any = takeexpr(h.cond);
      any = takeexpr(h.value) || any;
      any = takeexpr(h.index) || any;
      // (An element target's array lies above the symbols' cells: the
      // tested road gives the statement back otherwise.)
      h.freetarget = !h.index.empty() && h.index.shape == Expr::cell &&
                     h.targetfirst > core::nsym && take(h.index.a, h.targetcount);
      if (!any && !h.freetarget) continue;
      h.freeowner = &f;
      h.freeat = ep;
      f.freelines.push_back(line);
      continue;
    }
    Prog& g = h.prog;
    if (h.kind != Kind::prog) continue;
    std::size_t n = 0;
    while (g.quick[n].op != Q::end && g.quick[n].op != Q::result && g.quick[n].op != Q::textcopy)
      ++n;
    auto steps = std::make_unique<QStep[]>(n + 1);
    bool any = false;
    for (std::size_t i = 0; i <= n; ++i) {
      QStep q = g.quick[i];
      const Slot* a = q.op >= Q::elemc1 && q.op <= Q::telemc2
                          ? &g.slots[static_cast<std::size_t>(q.a)]
                          : nullptr;
      if (q.op == Q::elemc1 || q.op == Q::telemc1) {
        if (take(q.b, a->count)) {
          q.op = q.op == Q::elemc1 ? Q::elemf1 : Q::telemf1;
          any = true;
        }
      } else if (q.op == Q::elemc2 || q.op == Q::telemc2) {
        // (Both indices or neither: the cells so taken are looked at anyway.)
        if (take(q.b, a->rows) && take(q.c, a->cols)) {
          q.op = q.op == Q::elemc2 ? Q::elemf2 : Q::telemf2;
          any = true;
        }
      }
      steps[i] = q;
    }
    if (!any) continue;
    g.free = std::move(steps);
    g.freeowner = &f;
    g.freeepoch = ep;
    f.freelines.push_back(line);
  }
}

// Whether the statements of the loop that form f ends (at statement `at`,
// in chain `chain`, epoch ep and frame `frame`) read their elements
// without a test for the rest of the loop, its variable counted in whole
// numbers from `next` to `last`: every index so read (freestatements())
// lies inside its bounds for each of those passes. Their mark, which the
// chain holds till the loop ends; 0 when they run by their tests (the
// loop's indices are then not looked at again in the chain).
[[gnu::noinline]] std::uint64_t freeloop(Form& f, Form* table, std::uint32_t nforms,
                                         std::int32_t at, std::uint64_t chain, std::uint64_t ep,
                                         std::uint64_t frame, const double* cells, double next,
                                         double last) {
  f.freefail = chain;
  if (f.freeepoch != ep || f.freeframe != frame || f.freereadies != readies)
    freestatements(f, table, nforms, at, ep, frame);
  if (!f.freeok || f.freelines.empty()) return 0;
  const double low = std::min(next, last), high = std::max(next, last);
  if (f.freebound != 0 && (low < 1.0 || high > f.freebound)) return 0;
  for (const auto& [c, bound] : f.freecells) {
    const double v = cells[c];
    if (!(v >= 1.0 && v <= bound && v == std::floor(v))) return 0;
  }
  // (What was found for another loop's form is not this loop's.)
  for (const std::int32_t line : f.freelines) {
    const Form& h = table[line];
    if (h.kind == Kind::assign
            ? h.freeowner != &f || h.freeat != ep
            : h.kind != Kind::prog || h.prog.freeowner != &f || h.prog.freeepoch != ep)
      return 0;
  }
  const std::uint64_t mark = ++freemarks;
  for (const std::int32_t line : f.freelines) {
    Form& h = table[line];
    if (h.kind == Kind::assign) {
      h.freemark = mark;
      h.kind = Kind::assignfree;
    } else {
      h.prog.freemark = mark;
      h.kind = Kind::progfree;
    }
  }
  f.freefail = 0;
  return mark;
}

// Gives the statements of the loop that form f ends their own kinds back
// (freeloop() changed them): when the chain leaves the loop or ends.
[[gnu::noinline, gnu::cold]] void unfree(Form* table, const Form& f) {
  for (const std::int32_t line : f.freelines) {
    Form& h = table[line];
    if (h.kind == Kind::assignfree) h.kind = Kind::assign;
    if (h.kind == Kind::progfree) h.kind = Kind::prog;
  }
}

// A chain's start and end cost about what five statements save in it.
// From a statement where a chain ran fewer and ended at a statement of
// another kind, the loop runs the statements one by one till the forms are
// looked at again (the next stir()).
constexpr std::int32_t chainworth = 6;
// A statement of words that assigns a value, tried in a chain and found
// the loop's this often in a run, is not tried again in that run.
constexpr std::uint8_t chaintries = 3;

// Runs the statements from `xeqline` on that the chain takes, while the
// loop test between them would find nothing to do. Called only where
// quietstate() held after the statement before, with no tally kept and no
// alarm reset pending.
// With `calls`, the chain goes on through CALLs, returns and statements of
// words that assign a value (see callstep()); without, it ends there
// (`calls` in its outcome), and the chain's words stay in registers.
// With `transfers` too, it goes on through READs and WRITEs that their
// transfer programs run (see chaintransfer()).
// (On a cache line of its own, so that its loop keeps its place whatever
// code comes before it.)
template <bool calls, bool transfers = false>
[[gnu::noinline, gnu::aligned(64)]] void runchain(Form* table, std::uint32_t nforms, Chain& out) {
  std::int32_t count = 0;  // statements run
  // (A stop line is looked for by the loop test itself.)
  const std::int32_t first = core::xeqline, last = core::nstmt;
  const std::uint32_t ends = std::min(nforms, static_cast<std::uint32_t>(std::max(last, 0)) + 1);
  if (stopline != 0 || static_cast<std::uint32_t>(first) >= ends) return;
  const std::uint64_t ep = epoch;
  // (CALLs and returns move the frame.)
  // (Constant in a chain without calls.)
  using Int = std::conditional_t<calls, std::int32_t, const std::int32_t>;
  using Key = std::conditional_t<calls, std::uint64_t, const std::uint64_t>;
  Int ft = firsttemp, base = core::xeqstackbase;
  Key frame = framekey(ft, base);
  // (The run words are read once the first statement is known to run.)
  if (table[first].live != ep || table[first].roomframe != frame) return;
  Words w = loadwords();
  bool running = false;  // runstate() held at a call of this chain
  const std::int32_t c1 = textbase();
  double* const cells = z.data();
  const auto zsize = static_cast<std::int32_t>(z.size());
  const volatile std::uint8_t* const breakkey = &core::keyrec[1];
  const std::uint64_t chain = ++chainsrun;
  std::int32_t line = first;
  // The mark of the loop whose statements read their elements without a
  // test (freeloop()) while the chain runs them, 0 when there is none;
  // the loop end whose mark was last found (that loop's statements have
  // the kinds that read so while the mark is not 0, till the chain leaves
  // the loop or ends).
  std::uint64_t freemark = 0;
  const Form* freeend = nullptr;
  const auto leavefree = [&] {
    if (freemark != 0) [[unlikely]]
      unfree(table, *freeend);
    freemark = 0;
    freeend = nullptr;
  };
  // Whether the predefined cells hold what the expression path sets: once
  // set, no statement of the chain changes them.
  bool predefined = false;
  // The statement of the expression path that ran last, when no other
  // kind ran after it: its first and next word, the text area's start and
  // the stack's top are the run words', written when the chain ends.
  const Form* exprlast = nullptr;
  // The loop end that ran last, when no statement of another kind ran
  // after it: the run words it leaves but `jumped` (written at once) are
  // written when a statement of another kind would read them or the chain
  // ends. (What a statement of the expression path writes of them is the
  // same or written after them, by settle().)
  const Form* looplast = nullptr;
  const auto flushloop = [&] {
    if (looplast == nullptr) return;
    w.start = looplast->start;
    w.end = looplast->end;
    w.wordstart = true;
    w.c1tmp = c1;
    w.iresult = ft;
    w.stmtflags = 0;
    w.wordpos = looplast->start + 1;
    w.sp = base + 1;
    w.top = looplast->loop.var;
    looplast = nullptr;
  };
  // Writes what that statement left into the run words.
  const auto settle = [&] {
    flushloop();
    if (exprlast == nullptr) return;
    w.start = exprlast->start;
    w.end = exprlast->end;
    w.c1tmp = c1 + 1;
    w.top = ft + 1;
    exprlast = nullptr;
  };
  // The steps of the expression path before a statement's own effects.
  const auto exprsteps = [&](const Form& f) {
    exprlast = &f;
    if (!w.settled) {
      w.iresult = ft;
      w.sp = base + 1;
      if (!predefined) cells[1] = cells[3] = cells[4] = cells[5] = cells[6] = 1.0;
      predefined = true;
      w.settled = true;
    }
  };
  // The first steps of the word path, up to its first word.
  const auto wordsteps = [&](const Form& f) {
    exprlast = nullptr;
    w.start = f.start;
    w.end = f.end;
    w.wordstart = true;
    w.c1tmp = c1;
    core::keyrec[0] = 0;
    core::keystate[1] = 0;
    cells[1] = 1.0;
    w.iresult = ft;
    w.stmtflags = 0;
  };
  for (;;) {
    if (static_cast<std::uint32_t>(line) >= ends) {
      // The program's end: the loop test ends the run.
      out.stop = line > last;
      break;
    }
    Form& f = table[line];
    if (f.live != ep || f.roomframe != frame) {
      // A statement without a form: a READ or WRITE that its transfer
      // program runs is a step of a chain that takes them.
      if constexpr (transfers) {
        if (f.kind == Kind::none && f.run == runepoch && optforms::transferable(line)) {
          leavefree();
          settle();
          w.line = line;
          const Transferred t = chaintransfer(w);
          ++count;
          if (t != Transferred::goon) {
            // (It wrote the run words as the loop leaves them.)
            out.stop = true;
            out.ran = count;
            return;
          }
          w = loadwords();
          line = w.line;
          predefined = false;
          continue;
        }
      }
      break;
    }
    switch (f.kind) {
      case Kind::assign:
      case Kind::assignfree: {
        bool run = true;
        std::int32_t target = f.target;
        double v = 0.0;
        // (Untested elements only while the loop that checked them runs.)
        if (!(f.kind == Kind::assignfree && f.freemark == freemark
                  ? assignvalues<true>(f, cells, zsize, run, target, v)
                  : assignvalues<false>(f, cells, zsize, run, target, v)))
          goto done;
        exprsteps(f);
        if (run) cells[target] = v;
        ++line;
        w.jumped = 0;
        break;
      }
      case Kind::progfree:
      case Kind::prog: {
        ProgResult r;
        if (f.kind == Kind::progfree) {
          // (Out of line, so that the chain keeps its registers.)
          r = runplainfrom(f.prog,
                           f.prog.freemark == freemark ? f.prog.free.get() : f.prog.quick.get());
        } else {
          if (f.prog.passes) {
            out.other = true;
            goto done;
          }
          if (!f.prog.plain) {
            flushloop();
            core::c1tmptop =
                exprlast != nullptr ? c1 + 1 : w.c1tmp;  // (texts are built from there)
          }
          r = f.prog.plain ? plainsteps(f.prog, f.prog.quick.get()) : runprog(f.prog);
        }
        if (!r.done) goto done;
        exprsteps(f);
        cells[ft + 1] = r.falsecond ? falsevalue : r.value;
        if (r.textresult) name(ft + 1).type = strtemptype;
        ++line;
        w.jumped = 0;
        break;
      }
      case Kind::block: {
        bool skip = false;
        // (ELSE and ENDIF test nothing: their forms have no condition. The
        // forms of block words are of these four alone.)
        switch (f.blockkind) {
          case blockword::els:
            exprsteps(f);
            skip = blockmoveof<blockword::els>(line, false, f.target, cells[ft + 1]);
            break;
          case blockword::endif:
            exprsteps(f);
            skip = blockmoveof<blockword::endif>(line, false, f.target, cells[ft + 1]);
            break;
          default: {
            if (f.passover != 0 && chaintaken(line)) goto done;
            bool cond = false;
            if (f.prog.onetest) {
              if (f.prog.topcell >= zsize || !blocktest(f.prog, cells, cond)) goto done;
            } else if (!f.prog.empty()) {
              if (!f.prog.plain) {
                flushloop();
                core::c1tmptop = exprlast != nullptr ? c1 + 1 : w.c1tmp;
              }
              const ProgResult r = f.prog.plain ? runplain(f.prog) : runprog(f.prog);
              if (!r.done) goto done;
              cond = r.cond;
            } else if (!f.cond.empty()) {
              double c = 0.0;
              if (!evaluate(f.cond, cells, zsize, c)) goto done;
              cond = c != 0.0;
            }
            exprsteps(f);
            skip = f.blockkind == blockword::blockif
                       ? blockmoveof<blockword::blockif>(line, cond, f.target, cells[ft + 1])
                       : blockmoveof<blockword::elseif>(line, cond, f.target, cells[ft + 1]);
            break;
          }
        }
        if (skip) {
          w.jumped = 0xFF;
          line = f.target;
        } else {
          ++line;
          w.jumped = 0;
        }
        break;
      }
      case Kind::enddo: {
        const DoRecord& r = f.loop;
        double* const var = cells + r.var;
        // The counter in whole numbers (see countedloop()), or the real
        // road: for the rest of the chain once the script assigned the
        // variable.
        if ((f.intchain == chain && *var == f.counter) ||
            (f.intchain != chain && countedloop(f, cells, chain))) [[likely]] {
          const double next = f.counter + f.istep;
          const bool more = f.istep > 0.0 ? next <= f.ilast : next >= f.ilast;
          // (Past its end it is found again, should a jump come back in.)
          if (!more) {
            f.intchain = 0;
            leavefree();
          } else if (freeend != &f) {
            // (Found once in the chain: the mark, or 0 for the tests.)
            leavefree();
            freemark =
                f.freefail != chain && std::fabs(f.ilast - next) >= freepasses * std::fabs(f.istep)
                    ? freeloop(f, table, ends, line, chain, ep, frame, cells, next, f.ilast)
                    : 0;
            freeend = &f;
          }
          f.counter = next;
          *var = next;
          line = (more ? r.dostmt : r.laststmt) + 1;
        } else {
          f.intchain = 0;
          f.realchain = chain;
          leavefree();
          const double step = cells[r.adr + 1];
          if (step == 0.0) goto done;
          const double next = *var + step;
          if (!std::isfinite(next)) goto done;
          const double limit = cells[r.adr];
          const double sign = step < 0.0 ? -1.0 : 1.0;
          *var = next;
          line = ((next - limit) * sign - zeps > 0.0 ? r.laststmt : r.dostmt) + 1;
        }
        // The first steps of the word path (wordsteps()), the run words
        // left for flushloop().
        exprlast = nullptr;
        core::keyrec[0] = 0;
        core::keystate[1] = 0;
        cells[1] = 1.0;
        looplast = &f;
        w.jumped = 0;
        break;
      }
      case Kind::jump: {
        // (The statements of a loop that reads elements without a test
        // never jump, call or return: any of these leaves such a loop.)
        leavefree();
        flushloop();
        if (!f.wordsteps.empty()) {
          // A condition its words compute (out of line, so that the rest
          // of the chain keeps its registers).
          std::int32_t at = 0;
          const Jumped j = chainjump(f, ft, at);
          if (j == Jumped::no) goto done;
          const std::int32_t k = f.nvalues;
          w.settled = false;
          wordsteps(f);
          w.sp = base + 1;
          w.stmtflags = k > 0 ? 1 : 0;
          if (j == Jumped::on) {
            w.top = ft + k;
            w.iresult = ft + k + 1;
            w.wordpos = f.end - 1;
            ++line;
            w.jumped = 0;
            break;
          }
          w.iresult = ft + k;
          w.top = f.label;
          w.wordpos = f.start + f.gotoat;
          line = at;
          break;
        }
        const std::int32_t at = labelstatement(cells, f.label);
        bool cond = true;
        if (f.jumprel >= 0) {
          const double a = cells[f.leftcell], b = cells[f.rightcell];
          if (!std::isfinite(a - b)) goto done;  // (the loop's own road reports it)
          cond = relholds(f.jumprel, loopdiff(a, b));
        }
        if (cond && at <= 0) goto done;
        w.settled = false;
        wordsteps(f);
        freshtemp(ft);
        w.wordpos = f.start;
        w.sp = base + 1;
        if (f.jumprel >= 0) {
          cells[ft] = cond ? 1.0 : 0.0;
          w.stmtflags = 1;
          w.iresult = ft + 1;
          freshtemp(ft + 1);
          if (!cond) {
            cells[ft + 1] = 0.0;
            w.top = ft + 1;
            w.iresult = ft + 2;
            freshtemp(ft + 2);
            w.wordpos = f.end - 1;
            ++line;
            w.jumped = 0;
            break;
          }
        }
        w.top = f.label;
        w.wordpos = f.start + f.gotoat;
        line = at;
        break;
      }
      // Statements that may call, in a chain that takes them (else the
      // chain ends there): what the last statement of the expression path
      // left is written first.
      case Kind::call: {
        leavefree();
        if constexpr (!calls) {
          out.other = true;
          goto done;
        } else {
          settle();
          ChainFrame fr{ft, base, frame};
          RunOut ran;
          const Called called = chaincall(f, line, w, fr, running, ran);
          if (called == Called::no) goto done;
          count += ran.more;
          if (called != Called::on) {
            predefined = false;
            if (called != Called::back) {
              ++count;
              out.stop = true;
              out.leave = called == Called::leave;
              out.word = ran.word;
              goto done;
            }
          }
          // (A formal bound to another type may have stirred the forms.)
          if (epoch != ep) {
            ++count;
            goto done;
          }
          break;
        }
      }
      case Kind::wordassign: {
        leavefree();
        if constexpr (!calls) {
          out.other = true;
          goto done;
        } else {
          settle();
          if (f.wordfails >= chaintries && f.wordfailrun == runepoch) {
            out.other = true;
            goto done;
          }
          if (!running) {
            if (!runstate()) goto done;
            running = true;
          } else if ((core::idecmd != -1 && core::idecmd != incall) ||
                     (core::xeqmode & (core::runmode::callback | core::runmode::single |
                                       core::runmode::running)) != core::runmode::running) {
            goto done;
          }
          if (runwordassign(f, {}, &w) != ran()) {
            if (f.wordfailrun != runepoch) {
              f.wordfailrun = runepoch;
              f.wordfails = 0;
            }
            ++f.wordfails;
            goto done;
          }
          ++line;
          // (A function's return gives back the stop word, command and mode.)
          if (!quietafter()) {
            ++count;
            out.stop = true;
            goto done;
          }
          break;
        }
      }
      case Kind::ret: {
        leavefree();
        if constexpr (!calls) {
          out.other = true;
          goto done;
        } else {
          settle();
          WordResult r = WordResult::unknown;
          ChainFrame fr{ft, base, frame};
          if (!chainreturn(f, line, w, fr, r)) goto done;
          // The loop test comes next when the return gave back what it looks at.
          predefined = false;
          if (r != WordResult::looptest || !quietafter()) {
            ++count;
            out.stop = true;
            out.leave = r != WordResult::looptest;
            out.word = f.words[0];
            goto done;
          }
          break;
        }
      }
      case Kind::words: {
        // A statement under a one-line IF of one operator on two numbers,
        // found false: what falseguard() leaves, the run words kept here.
        // (Any other is the loop's.)
        flushloop();
        if (!chainguard(f, w, ft, base, c1)) {
          out.other = true;
          goto done;
        }
        exprlast = nullptr;
        ++line;
        break;
      }
      case Kind::unknown:
      case Kind::none:
      case Kind::empty:
        out.other = true;
        goto done;
      default:
        // (Every kind is named above.)
        __builtin_unreachable();
    }
    ++count;
    // The break key can be set from outside the loop (a signal handler).
    if (*breakkey == 1) {
      out.stop = true;
      break;
    }
  }
done:
  leavefree();
  out.ran = count;
  if (count > 0) {
    settle();
    w.line = line;
    if constexpr (calls) {
      // (The stop word is 0 in a chain but where a return set it.)
      const std::int32_t stop = core::xeqstop;
      storewords(w);
      core::xeqstop = stop;
    } else {
      storewords(w);
    }
  }
}

}  // namespace

namespace {

// The option statement word among a statement's words (0: none).
std::int16_t optionword(std::span<const std::int16_t> w) {
  for (const std::int16_t x : w) {
    const auto u = static_cast<std::uint16_t>(x);
    if ((u >= core::cwu(core::optstmtcode(0)) &&
         u < core::cwu(core::optstmtcode(core::noptstmts))) ||
        core::isxoptstmt(u))
      return x;
  }
  return 0;
}

// Why a form of this kind went to the general path: it was not ready for
// the stores as they stand, or it gave the statement back.
const char* kindwhy(Kind k, bool givenback) {
  switch (k) {
    case Kind::assign:
      return givenback ? "given back: assignment" : "not ready: assignment";
    case Kind::enddo:
      return givenback ? "given back: loop end" : "not ready: loop end";
    case Kind::words:
      return givenback ? "given back: words" : "not ready: words";
    case Kind::wordassign:
      return givenback ? "given back: word assignment" : "not ready: word assignment";
    case Kind::block:
      return givenback ? "given back: block" : "not ready: block";
    case Kind::prog:
      return givenback ? "given back: program" : "not ready: program";
    case Kind::empty:
      return givenback ? "given back: empty statement" : "not ready: empty statement";
    case Kind::jump:
      return givenback ? "given back: jump" : "not ready: jump";
    case Kind::call:
      return givenback ? "given back: call" : "not ready: call";
    case Kind::ret:
      return givenback ? "given back: return" : "not ready: return";
    default:
      return "no form";
  }
}

// The option statement word of statement s (0: none).
std::int16_t optionwordof(std::int32_t s, std::span<const std::int16_t> code) {
  const std::int32_t start = core::stmtstart(s), end = core::stmtstart(s + 1);
  if (s < 1 || start < 1 || end <= start || end > static_cast<std::int32_t>(code.size()) + 1)
    return 0;
  return optionword(
      code.subspan(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start)));
}

// Notes statement s as run by its form (by its transfer program, for an
// option statement).
void ranbyform(std::int32_t s, std::span<const std::int16_t> code) {
  ++tally->forms;
  if (optionwordof(s, code) != 0) ++tally->options;
}

// Notes statement s, whose form f ran it, as run by its form, or as handed
// to the loop's handlers when they took over any of it.
void talliedform(std::int32_t s, std::span<const std::int16_t> code, const Form& f);

// Notes statement s as handed to the general path.
void handedover(std::int32_t s, std::span<const std::int16_t> code, const char* why) {
  Tally& t = *tally;
  if (const std::int16_t w = optionwordof(s, code); w != 0) {
    ++t.options;
    // (Named as the code-word table names it, in whichever form it stands.)
    std::string name =
        core::cwdump::dump(std::span<const std::int16_t>(&w, 1), core::cwdump::Space::executor);
    if (name.starts_with("0x"))
      name =
          core::cwdump::dump(std::span<const std::int16_t>(&w, 1), core::cwdump::Space::compiler);
    ++t.handed[std::string(why != nullptr ? why : "option statement linked and evaluated") + ": " +
               name];
    return;
  }
  const Form* f = s >= 1 && static_cast<std::size_t>(s) < forms.size()
                      ? &forms[static_cast<std::size_t>(s)]
                      : nullptr;
  ++t.handed[why != nullptr ? why : f != nullptr && !f->why.empty() ? f->why : "no form"];
}

[[gnu::noinline]] void talliedform(std::int32_t s, std::span<const std::int16_t> code,
                                   const Form& f) {
  if (handlerruns == 0)
    ranbyform(s, code);
  else
    handedover(s, code, f.why.empty() ? "word path: the loop's handlers" : f.why.c_str());
  handlerruns = 0;
}

}  // namespace

namespace {

// What the transfer's own road did with the statement at `xeqline`: none
// (nothing changed), or it ran and the loop goes on with the next
// statement, or it stops at the outcome r (Transferred, above).
[[gnu::noinline]] Transferred transferred(std::span<const std::int16_t> code, Res& r,
                                          bool clear = false) {
  WordResult answer = WordResult::next;
  const optforms::Xfer x = optforms::transfer(code, answer, clear);
  if (x == optforms::Xfer::none) return Transferred::none;
  exprsettled = false;
  r = x == optforms::Xfer::handed ? notrun
      : x == optforms::Xfer::word ? handback(answer, 0)
                                  : Outcome::looptest;
  return x == optforms::Xfer::ran && quietstate() && quietline() && core::keyrec[1] != 1
             ? Transferred::goon
             : Transferred::stop;
}

// The statement at w.line, met by a chain of forms whose words are w and
// found to have a transfer program: the chain's words written, run as
// transferred() runs it. When it stops (anything but goon), what the loop
// makes of it is left in transferanswer. (The words that the road writes
// again once it runs are written only where it does not.)
[[gnu::noinline]] Transferred chaintransfer(const Words& w) {
  Res r = Outcome::looptest;
  storewordsahead(w);
  const bool clear = optforms::transferclear(core::xeqline);
  if (!clear) storewordsrest(w);
  Transferred t = clear ? transferred({}, r, true) : Transferred::none;
  if (t == Transferred::goon) return t;
  // (A program that declined: the loop runs the statement, as after a
  // chain that ended there.)
  transferanswer = t == Transferred::none ? Outcome::looptest : r;
  transferstopped = true;
  return Transferred::stop;
}

}  // namespace

Outcome runstatement(std::span<const std::int16_t> code) {
  // (Counts are kept only for measuring: looked at once. The loop's
  // handlers are counted from 0 for each statement then.)
  const bool tallied = tally != nullptr;
  if (tallied) handlerruns = 0;
  exprsettled = false;
  Res r = notrun;
  bool settled = false;  // quietstate() held and nothing since could change it
  // The forms by statement (only checked() adds to them).
  Form* table = forms.data();
  auto nforms = static_cast<std::uint32_t>(forms.size());
  for (;;) {
    // The detail a failure left (one its ERror label took up) stands until
    // a statement of the expression path clears it, which the forms do
    // not: the general path runs the statements till then.
    if (core::iostatw[1] != 0) [[unlikely]]
      break;
    const std::int32_t s = core::xeqline;
    // (Statement 0 and those past the table have no form: forms[0] is never live.)
    Form* f = static_cast<std::uint32_t>(s) < nforms ? table + s : nullptr;
    if (f == nullptr || f->live != epoch) {
      f = checked(s, code);
      table = forms.data();
      nforms = static_cast<std::uint32_t>(forms.size());
      if (f == nullptr || !f->ready) {
        // A READ or WRITE that its transfer program runs (exec/optforms.h).
        if (f == nullptr || f->kind == Kind::none) {
          const Transferred t = transferred(code, r);
          if (tallied && t != Transferred::none) {
            // (A transfer that failed leaves its report to the general path.)
            if (r == notrun)
              handedover(s, code, "given back: transfer");
            else
              ranbyform(s, code);
          }
          if (t == Transferred::goon) {
            // (The chain from the next statement runs such statements.)
            setchainxfer(core::xeqline);
            settled = true;
            continue;
          }
          if (t == Transferred::stop) break;
        }
        if (tallied)
          handedover(s, code,
                     f == nullptr || f->kind == Kind::none ? nullptr : kindwhy(f->kind, false));
        break;
      }
    }
    // Forms that follow each other run as a chain (see runchain()), unless
    // one from this statement lately ran too few to be worth its start.
    const auto chainhere = [&settled, tallied](const Form& g) {
      return !tallied && settled && g.chainshort != epoch && !alarmreset;
    };
  single:
    // An ELSEIF of a chain that took a branch already is passed over by
    // the general path, without its condition.
    if (f->passover != 0 && chaintaken(s)) break;
    Res next = notrun;
    switch (f->kind) {
      case Kind::assign:
        if (chainhere(*f)) goto chain;
        next = runassign(*f);
        break;
      case Kind::enddo:
        if (chainhere(*f)) goto chain;
        next = runenddo(*f);
        break;
      case Kind::words:
        next = runwords(*f, code);
        settled = settled && quietcall;
        break;
      case Kind::wordassign:
        next = runwordassign(*f, code);
        settled = settled && quietcall;
        break;
      case Kind::block:
        if (chainhere(*f)) goto chain;
        next = runblock(*f);
        break;
      case Kind::prog:
        if (chainhere(*f)) goto chain;
        next = runprogform(*f);
        break;
      case Kind::empty:
        next = runempty(*f);
        break;
      case Kind::jump:
        if (chainhere(*f)) goto chain;
        next = runjump(*f);
        break;
      case Kind::call:
        next = runcall(*f, code);
        settled = settled && quietcall;
        break;
      case Kind::ret:
        next = runreturn(*f, code);
        settled = settled && quietcall;
        break;
      // (Kinds that only a chain's loop gives its statements for a while,
      // never seen here.)
      case Kind::assignfree:
      case Kind::progfree:
      case Kind::unknown:
      case Kind::none:
        break;
      default:
        // (Every kind is named above.)
        __builtin_unreachable();
    }
    if (next == notrun) {
      if (tallied) handedover(s, code, kindwhy(f->kind, true));
      break;
    }
    if (tallied) talliedform(s, code, *f);
    r = next;
    if (r != Outcome::looptest) break;
    if (!settled) {
      if (!quietstate()) break;
      settled = true;
    }
    // The break key can be set from outside the loop (a signal handler):
    // it is read again after every statement.
    if (!quietline() || core::keyrec[1] == 1) break;
    continue;
  chain:
    const bool calls = f->chaincalls == runepoch;
    Chain c;
    if (!calls)
      runchain<false>(table, nforms, c);
    else if (!chainxfer(f - table))
      runchain<true>(table, nforms, c);
    else
      runchain<true, true>(table, nforms, c);
    // (A chain that met a statement that may call: the next from here
    // takes calls.)
    const auto maycall = [&table, nforms] {
      const auto s = static_cast<std::uint32_t>(core::xeqline);
      const Kind k = s < nforms ? table[s].kind : Kind::none;
      return k == Kind::call || k == Kind::wordassign || k == Kind::ret;
    };
    if (!calls && c.other && maycall())
      f->chaincalls = runepoch;
    else if (c.other && c.ran < chainworth)
      f->chainshort = epoch;
    if (c.ran == 0) {
      // The statement runs alone (and the loop test's state is looked at
      // again after it).
      settled = false;
      goto single;
    }
    r = c.leave ? handback(WordResult::leave, c.word) : Outcome::looptest;
    if (c.stop) {
      if (transferstopped) {
        transferstopped = false;
        r = transferanswer;
      }
      break;
    }
    // (The statement where it ended is the loop's.)
  }
  Outcome o = handed;
  o.kind = r;
  // The rest of a statement handed back runs on the general path.
  if (r == Outcome::afterword) stir();
  return o;
}

namespace {

// The header statements of the run's subroutines, in order (found again
// in each run: they change only by compiling). A statement belongs to the
// subroutine of the last header before it, as for the look-up of names.
std::vector<std::int32_t> heads;
std::uint64_t headsrun = 0;

void findheads() {
  heads.clear();
  const core::SymbolRecord* const records = name.data() - 1;  // records[s] is name(s)
  const std::int32_t n = std::min<std::int32_t>(
      std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(name.size())),
      static_cast<std::int32_t>(z.size()) - 1);
  for (std::int32_t k = 1; k <= n; ++k) {
    if ((records[k].type & 0x4) == 0) continue;
    std::int16_t first = 0;
    std::memcpy(&first, z.data() + k, sizeof first);
    if (first >= 1 && first <= core::nstmt) heads.push_back(first);
  }
  std::sort(heads.begin(), heads.end());
  headsrun = runepoch;
}

}  // namespace

void retyped(std::int32_t f1) {
  ++callepoch;
  ++formsepoch;
  if (headsrun != runepoch || !std::binary_search(heads.begin(), heads.end(), f1)) findheads();
  const auto at = std::upper_bound(heads.begin(), heads.end(), f1);
  if (at == heads.begin() || at[-1] != f1) {
    stir();
    return;
  }
  // The subroutine's statements: to the next subroutine's header.
  const std::int32_t last = at == heads.end() ? core::nstmt : *at - 1;
  const auto end = std::min(forms.size(), static_cast<std::size_t>(std::max(last, 0)) + 1);
  for (auto s = static_cast<std::size_t>(f1); s < end; ++s) {
    Form& f = forms[s];
    f.checked = f.live = 0;
    f.pushepoch = f.boundepoch = f.leafepoch = 0;
  }
  optforms::retyped(f1, last);
}

namespace {
// What reclassed() last found of a formal whose change left every form of
// its subroutine as it was, by the formal's number hashed: while no form
// was made since in this run, the walk would find the same.
struct Reclass {
  std::uint64_t changes = 0, run = 0;
  std::int32_t S = 0, f1 = 0, formal = 0, last = 0;
};
std::array<Reclass, 64> reclasses{};
}  // namespace

std::int32_t reclassed(std::int32_t S, std::int32_t f1, std::int32_t formal) {
  Reclass& seen = reclasses[static_cast<std::uint32_t>(formal) & 63u];
  if (seen.changes == formchanges && seen.run == runepoch && seen.S == S && seen.f1 == f1 &&
      seen.formal == formal) {
    kindchanged(S);
    optforms::retyped(f1, seen.last);
    return seen.last;
  }
  if (headsrun != runepoch || !std::binary_search(heads.begin(), heads.end(), f1)) findheads();
  const auto at = std::upper_bound(heads.begin(), heads.end(), f1);
  if (at == heads.begin() || at[-1] != f1) {
    stir();
    return 0;
  }
  const std::int32_t last = at == heads.end() ? core::nstmt : *at - 1;
  const auto end = std::min(forms.size(), static_cast<std::size_t>(std::max(last, 0)) + 1);
  bool held = true;
  for (auto s = static_cast<std::size_t>(f1); s < end; ++s) {
    Form& f = forms[s];
    if (holdsfor(f, formal)) continue;
    held = false;
    // (What call sites found of a form that was checked relies on it.)
    if (f.checked != 0) ++formsepoch;
    f.checked = f.live = 0;
    f.pushepoch = f.boundepoch = f.leafepoch = 0;
  }
  if (held) {
    kindchanged(S);
    seen = {formchanges, runepoch, S, f1, formal, last};
  } else {
    ++callepoch;
  }
  optforms::retyped(f1, last);
  return held ? last : 0;
}

void reset() {
  callkept.fill(false);
  reclasses.fill({});
  forms.clear();
  otherforms.clear();
  chainxfers.clear();
  newrun();
}

}  // namespace exec::fast
