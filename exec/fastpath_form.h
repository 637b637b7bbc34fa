// The compiled forms of exec/fastpath.h: their steps, how a statement's
// words become one, and the evaluation of a list of steps. Internal to the
// fast path.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/stores.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/fastpath_numbers.h"
#include "exec/fastpath_prog.h"
#include "exec/operators.h"

namespace exec::fast {

enum class Kind : std::uint8_t {
  unknown,
  none,
  assign,
  enddo,
  words,
  wordassign,
  block,
  prog,
  empty,
  jump,
  call,
  ret,
  // An assignment or a program whose elements a loop around it reads
  // without a test (freeloop() in exec/fastpath.cpp): only while a chain
  // of forms runs that loop, which gives the statement back its own kind
  // when it leaves the loop or ends.
  assignfree,
  progfree
};

// The handler of each word of a statement on the word path.
enum class Tag : std::uint8_t { push, binop, assign, control, operand, builtin, end };

// One step of an expression, in postfix order over a stack of values. A
// step's operands come from the stack or straight from a cell (`a` and `b`
// name the cells then), so that `S + I` is one step.
enum class Op : std::uint8_t {
  cell,  // push the value of cell `a`
  elem,  // element of array symbol `arg`: the index from the top (replaced) or cell `a` (pushed)
  bin,   // two values become one by operator `code` (expression codes)
  neg,   // negate the top value
  una,   // one-operand operator `code` on the top value
};
struct Step {
  Op op;
  bool acell = false;  // operand a (the left one) is cell `a`, not from the stack
  bool bcell = false;  // operand b (the right one) is cell `b`
  unsigned code = 0;
  std::int32_t arg = 0;
  std::int32_t a = 0, b = 0;
  // elem: where the array's elements lie (placearray(), when the form is
  // made ready).
  std::int32_t first = 0, count = 0;
  // elem: its index (cell `a`) found inside the bounds for every pass of
  // the loop around the statement (freeloop() in exec/fastpath.cpp).
  bool free = false;
};

// The deepest value stack an expression may need, and the deepest operand
// stack of a statement of words computed on values.
inline constexpr int maxdepth = 16;
inline constexpr std::size_t longeststack = 32;
// The most elements a statement of words computed on values takes.
inline constexpr std::uint8_t maxelems = 8;

// An expression's steps, with the shape of the commonest ones noted so that
// they run without the stack: one cell, or one of + - * / over two cells.
struct Expr {
  enum Shape : std::uint8_t {
    none,
    cell,     // cell a
    arith,    // cell a (+ - * /) cell b
    compare,  // cell a (relation rel) cell b
    elem,     // element of array `array` at the index in cell a
    elemop,   // that element (+ - * /) cell b
    arith2,   // (cell a `code` cell b) `code2` cell c, both of + - * /
    list,     // the steps
  } shape = none;
  std::int32_t a = 0, b = 0, c = 0, array = 0;
  std::int32_t first = 0, count = 0;  // elem, elemop: as Step's
  unsigned code = 0, code2 = 0;
  int rel = -1;
  bool free = false;  // elem, elemop: as Step's
  std::vector<Step> steps;
  bool empty() const { return shape == none; }
};

// A reference of a statement of words as leanwords() takes it by what it
// found of it before: function S (its record's argument count `count`),
// its formals' cells and the actual each is bound to (a cell, or -1: a
// value the statement computed, placed in its result cell), and its value
// as its one statement computes it, `op` over two operands or three
// (`arith2`: the first two by `code`, then the third by `code2`), each a
// cell or (~i) the value formal i is bound to.
// (No initial values: leanwords() keeps a few on its stack for every
// statement it runs; leanfound() sets what is read.)
struct LeanRef {
  static constexpr std::int32_t maxformals = 4;
  enum Op : std::uint8_t { cell, step, arith, arith2, compare } op;
  Q quick;  // step: the one step of two cells (stepvalue()), with `code`
  std::int32_t S, count, m;
  std::array<std::int32_t, maxformals> formal, actual;
  unsigned code, code2;
  int rel;
  std::array<std::int32_t, 3> operand;
};

// The fields of a DO loop's record.
struct DoRecord {
  std::int32_t laststmt = 0, dostmt = 0, var = 0, adr = 0;
};
struct Form {
  Kind kind = Kind::unknown;
  // Kind::none: why (see Tally in exec/fastpath.h).
  std::string why;
  std::uint64_t checked = 0;        // `epoch` at which the words and types were last checked
  std::uint64_t live = 0;           // `checked` when the form was ready then, else 0
  std::uint64_t run = 0;            // `runepoch` of that check
  std::int32_t start = 0, end = 0;  // the statement's first word and the next statement's
  // What the form was compiled from.
  std::vector<std::int16_t> words;
  std::vector<std::pair<std::int32_t, std::int16_t>> types;  // symbol, its type
  // The entries of `types` (a bit each, the first 32) whose symbol the
  // form only reads as a number from its cell: any type that reads alike
  // (readsalike) makes the same form.
  std::uint32_t loose = 0;
  // An assignment: the condition of a one-line IF (empty: none), the
  // target's index (empty: the target is the scalar cell `target`, else an
  // element of array symbol `target`), the value.
  Expr cond, index, value;
  // The arrays the statement names: the general path sets each up (and
  // fails on one without storage) before it evaluates anything.
  std::vector<std::int32_t> arrays;
  std::int32_t target = 0;
  std::int32_t targetfirst = 0, targetcount = 0;  // an element target's array: as Step's
  // An assignment whose elements the loop around it reads without a test
  // (freeloop() in exec/fastpath.cpp): the loop end whose form set the
  // flags (`free` of the steps, `freetarget` for an index that is one
  // cell) in the `freeat` epoch, and the mark that a chain holds while
  // they hold.
  const void* freeowner = nullptr;
  std::uint64_t freeat = 0;
  std::uint64_t freemark = ~std::uint64_t{0};
  bool freetarget = false;
  std::int32_t cells = 0;  // result cells the general path would take
  // An assignment: the entries above the operand stack that the general
  // path takes for it, its linked form and the evaluator's deepest stack
  // (measurelink; 0 not measured yet, -1 linking did not tell).
  std::int32_t linkneed = 0;
  std::int32_t topcell = 0;  // highest cell a step names
  bool ready = false;        // what `ready` found, with the words
  // The frame for which `room` found room since the form was last checked
  // (framekey; 0 none).
  std::uint64_t roomframe = 0;
  // The `epoch` in which a chain of forms from this statement ran too few
  // statements to be worth its start (exec/fastpath.cpp): till the forms
  // are looked at again, the statement loop runs it alone.
  std::uint64_t chainshort = 0;
  // The `runepoch` in which a chain from this statement met a CALL, a
  // return or a statement of words that assigns a value: chains from it
  // then take those too.
  std::uint64_t chaincalls = 0;
  // A block IF, ELSEIF or ENDIF: its word's kind (the condition in `cond`,
  // the statement its jump names in `target`).
  std::uint32_t blockkind = 0;
  // An ELSEIF that the general path passes over once its chain took a
  // branch (passableelseif()): the statement it names; 0 for any other.
  std::int32_t passover = 0;
  // A statement of the expression path run as a program (Kind::prog: an
  // assignment, under a one-line IF or not; Kind::block: a block IF or
  // ELSEIF whose condition is the program).
  Prog prog;
  // A statement of words: each word's handler.
  std::vector<Tag> tags;
  // A CALL of a subroutine with symbols for actuals (Kind::call): the
  // symbols it pushes, the subroutine first; what the call finds of the
  // subroutine (ready(): no statement when the words must decide) and the
  // formals it binds. An END or RETURN alone (Kind::ret): what the last
  // return found of the subroutine it left.
  std::vector<std::int32_t> pushes;
  Callee callee;
  std::vector<std::int32_t> formals;
  // A CALL: the cells it pushes (a scalar formal bound to a cell stands for
  // that cell), found for `pushepoch`; the `callepoch` in which its own
  // call last bound the formals (their types and addresses stay till it
  // moves).
  std::vector<std::int32_t> pushcells;
  std::uint64_t pushepoch = 0, boundepoch = 0;
  // A CALL whose subroutine is one plain assignment and END, run in one
  // step: whether its statements and the room they take were found fit
  // for the `callepoch`, frame (framekey) and stop line kept beside it.
  std::uint64_t leafepoch = 0, leafframe = 0;
  std::int32_t leafstop = 0;
  bool leaf = false;
  // (Found with `leaf`: the call's frame fits on the stack above its
  // actuals, and the subroutine's record and value cell are there.)
  bool frameroom = false;
  // A CALL: the run of CALLs and returns last found from it
  // (exec/fastpath_runs.h; it tells what it was found for).
  struct CallRun* callrun = nullptr;
  // A statement of words that assigns one value: how often a chain of
  // forms found in the run `wordfailrun` that the loop must run it (after
  // a few, chains end there without trying it till the next run).
  std::uint64_t wordfailrun = 0;
  std::uint8_t wordfails = 0;
  // The step of the reference whose function's return last resumed the
  // statement (a guess, looked at before use).
  std::uint32_t resumestep = 0;
  // A statement of words that assigns one value: its steps (a statement of
  // words too, for the words' handlers when it cannot be computed so).
  // (fn: a built-in of one or two numbers, `sym` its argument count;
  // fold: MAX, MIN, SUM, MAXLOC or MINLOC of `sym` numbers; elem: the
  // element of numeric array `sym` at the one or two indices on the stack,
  // `word` the subscript, which the words leave as the element's cell.)
  struct WordStep {
    enum Op : std::uint8_t { push, bin, call, fn, fold, elem } op = push;
    std::int32_t sym = 0;    // push: the symbol; call: the function; elem: the array
    std::int16_t word = 0;   // bin: the operator; call: the reference; fn: the built-in
    std::int32_t index = 0;  // bin, fn, fold, call, elem: the word (from the statement's first)
    std::int32_t depth = 0;  // call: the stack height with the function and its actuals
    std::int32_t first = 0;  // call: result cells taken before it
    // call: the actuals, a symbol each, or for the bits of `computed` the
    // index of the result cell that holds a value the statement computed
    // (such values are on the step stack, in order), or for the bits of
    // `elements` an element's cell, which its elem step left on the stack.
    std::array<std::int32_t, 8> actuals{};
    std::uint8_t computed = 0, elements = 0;
    // call: the functions of references made after it (whose actuals it
    // computes) stand on the operand stack below its own.
    bool outer = false;
    // call: the entries of the operand stack up to its function's, which
    // its return leaves the value in (bit i for entry i, the target's 0),
    // that the steps hold on their stack; the others are functions, arrays
    // and symbols that a step takes itself.
    std::uint32_t below = 0;
    // bin, fn, fold, call: where `wordshapes` holds the operand stack as
    // the words leave it before the word.
    std::int32_t shape = 0;
    // call: the function was found not to be one that bindcall() takes,
    // for `callepoch - kindmoves` (0 none), the frame (framekey of the
    // first result cell and the stack's base), the subroutine it stands in
    // and the stop line: while these stay, the reference is entered at once.
    std::uint64_t unfitkey = 0, unfitframe = 0;
    std::int32_t unfitscope = 0, unfitstop = 0;
  };
  std::vector<WordStep> wordsteps;
  // Stacks of a statement of words that assigns one value, each the
  // number of entries, the values taken, the statement flags, the number
  // of entries below the first result cell's, then the entries: a symbol,
  // or -(k + 1) for the statement's k-th result cell.
  std::vector<std::int32_t> wordshapes;
  std::int32_t nvalues = 0, maxstack = 0;
  // Its elem steps (their stacks are not kept in `wordshapes`: the words
  // leave each element's cell, which the run finds).
  std::uint8_t wordelems = 0;
  bool flagged = false;        // a word operator comes after the last call (or there is no call)
  std::uint8_t wordcalls = 0;  // the function references among the steps
  // How a chain runs such a statement: by its steps; as one reference with
  // symbols for its actuals, alone or with one symbol before or after it
  // under one operator, without the loop over its steps; or not at all,
  // with more than one reference (the loop runs it).
  enum class RefShape : std::uint8_t { steps, alone, symbolfirst, symbolafter, several };
  RefShape refshape = RefShape::steps;
  // The end of a DO loop: the loop's symbol and its record.
  std::int32_t dosym = 0;
  DoRecord loop;
  // A loop end that counts its variable in whole numbers in a chain of
  // forms (countedloop() in exec/fastpath.cpp): the chain it counts in,
  // the chain in which it was found to take the real road, the value it
  // last wrote to the variable's cell, the step, and the last value with
  // which the loop goes round again (stepping down, the least). (Whole
  // numbers below 2^51 held as doubles: each sum and test is exact.)
  std::uint64_t intchain = 0, realchain = 0;
  double counter = 0.0, istep = 0.0, ilast = 0.0;
  // Such a loop end whose statements read elements at indices checked once
  // for all its passes (freeloop() in exec/fastpath.cpp): what it found of
  // the statements between its DO and itself for the `epoch`, frame and
  // count of forms made ready (`readies` in exec/fastpath.cpp) kept beside
  // it (`freeok`: they may run so), the statements whose
  // programs read elements so, the least bound of an index that is the
  // loop's variable (0: none) and each other index cell with its least
  // bound; the chain in which the indices were last found outside.
  std::uint64_t freeepoch = 0, freeframe = 0, freereadies = 0, freefail = 0;
  bool freeok = false;
  std::int32_t freebound = 0;
  std::vector<std::int32_t> freelines;
  std::vector<std::pair<std::int32_t, std::int32_t>> freecells;
  // A GOTO, alone or under a one-line IF whose condition relates two
  // numbers (`jumprel` its index, -1 none): the label, the two symbols and
  // the cells the loop reads for them (ready()).
  std::int32_t label = 0, left = 0, right = 0, leftcell = 0, rightcell = 0;
  int jumprel = -1;
  std::int32_t gotoat = 0;  // the GOTO word's place from the statement's first word
  // (Computed conditions: the condition's word steps in `wordsteps`, each
  // push's cell in its `index`, the operators' results `nvalues`, its
  // deepest stack `maxstack`.)
  // The same condition as ready() places it: its operators in order, each
  // reading its two operands from a cell (above 0) or from the result of
  // the k-th operator before it (-(k + 1)); with no operator, the one cell
  // it reads in `condcell`.
  // (`how`: + - * / as 0 to 3, a relation as 4 plus its index, any other
  // operator 10, found from `word` once.)
  struct CondStep {
    std::int32_t a = 0, b = 0;
    std::int16_t word = 0;
    std::uint8_t how = 10;
  };
  std::vector<CondStep> condsteps;
  std::int32_t condcell = 0;

  // Where its references may be taken in line (leanwords()): the
  // `callepoch` in which it was last tried, and how often in a row it was
  // left to its steps since.
  std::uint64_t leanepoch = 0;
  std::uint8_t leanmisses = 0;
  // What leanwords() found of each reference when it last took them all
  // in line, for the `callepoch`, `kindcount`, frame (framekey()),
  // subroutine and stop line kept beside it (leanplan 0: none).
  std::vector<LeanRef> leanrefs;
  std::uint64_t leanplan = 0, leankinds = 0, leanframe = 0;
  std::int32_t leanscope = 0, leanstop = 0;
  std::int16_t leanscopesub = 0;  // the `lokalsub` of that subroutine
  // The run words a return reads and writes as they were then (`idecmd`,
  // `xeqmode`, `alarmsavedcmd`), and the command the return gives back.
  std::int8_t leancmd = 0;
  std::int32_t leanmode = 0, leanalarm = 0, leanprev = 0;
};

// Form f stays what it is when formal s changes between types that read
// alike: it names s only where it reads it, or not at all, and relies on
// nothing else of s. (Other kinds look at s's type when they are checked.)
inline bool holdsfor(const Form& f, std::int32_t s) {
  // (A statement that does not name s, as those of the main program after
  // the last subroutine's END, which the subroutine's range takes in.
  // Assignments and programs record every symbol they read in `types`;
  // their words also hold counts and links, which may equal s.)
  const bool typed = f.kind == Kind::assign || f.kind == Kind::prog || f.kind == Kind::block;
  if (typed ? std::none_of(f.types.begin(), f.types.end(),
                           [s](const auto& e) { return e.first == s; })
            : std::find(f.words.begin(), f.words.end(), s) == f.words.end())
    return true;
  switch (f.kind) {
    case Kind::unknown:
    case Kind::none:
    case Kind::empty:
    case Kind::ret:
      return true;
    case Kind::assign:
      for (std::size_t i = 0; i < f.types.size(); ++i)
        if (f.types[i].first == s && (i >= 32 || (f.loose >> i & 1u) == 0)) return false;
      return true;
    default:
      return false;
  }
}

inline DoRecord dorecord(std::int32_t d) {
  DoRecord r;
  if (d < 1 || d > core::nsym || !core::z.valid(d)) return r;
  std::int16_t f[4];
  std::memcpy(f, core::z.data() + d, sizeof f);
  r.laststmt = f[0];
  r.dostmt = f[1];
  r.var = f[2];
  r.adr = core::name(d).adr;
  return r;
}

// The frame a statement runs in: its first result cell and its stack's
// base (never 0: the first result cell lies above the symbols).
inline std::uint64_t framekey(std::int32_t first, std::int32_t base) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(first)) << 32 |
         static_cast<std::uint32_t>(base);
}

// The cells that the CALL of form f pushes, the subroutine first: a
// scalar formal bound to a cell stands for that cell. (Found again after
// a stir(): only then may a formal be bound anew.)
[[gnu::always_inline]] inline const std::int32_t* pushedcells(Form& f) {
  if (f.pushepoch != epoch) {
    const core::SymbolRecord* const records = core::name.data() - 1;  // records[s] is name(s)
    const std::int32_t nname =
        std::min<std::int32_t>(core::nname, static_cast<std::int32_t>(core::name.size()));
    f.pushcells.clear();
    for (const std::int32_t s : f.pushes) {
      std::int32_t e = s;
      if (s <= nname) {
        const core::SymbolRecord& r = records[s];
        if ((r.type & 0xA8) == 0xA0 && r.adr > 0) e = r.adr;
      }
      f.pushcells.push_back(e);
    }
    f.pushepoch = epoch;
  }
  return f.pushcells.data();
}

// The form of a statement's words (Kind::none when it has no fast form).
Form compile(std::span<const std::int16_t> words);

// Sets the linkneed of the assignment of form f from its linked form.
void measurelink(Form& f);

// The result cells from `first` on (`cells` of them) exist, with their
// records: the general path would grow no store for them.
inline bool cellsfrom(std::int32_t first, std::int32_t cells) {
  const std::int32_t need = first + cells;
  return first > core::nsym && first + 64 < core::nname && need < core::nname &&
         need < core::nztop && need < static_cast<std::int32_t>(core::z.size()) &&
         core::name.valid(need);
}

// Whether a number's bits read as valid text bounds: the word path takes
// such a value in a result cell for a text.
inline bool textlike(double v) {
  std::int32_t half[2];
  std::memcpy(half, &v, sizeof half);
  return half[0] > 0 && half[0] <= core::nc1namen && half[1] > 0 && half[1] <= core::nc1namen;
}

// The array symbol a has storage with a usable shape.
inline bool arrayshape(std::int32_t a, std::int32_t zsize) {
  if (a >= zsize) return false;
  std::int32_t shape[2];
  std::memcpy(shape, core::z.data() + a, sizeof shape);
  const std::int64_t count = static_cast<std::int64_t>(shape[0]) * shape[1];
  return shape[0] > 0 && shape[1] > 0 && count <= 0x7FFFFFFF;
}

// Where the elements of array symbol a lie in the store (`z`, of zsize
// cells): its first element's cell and how many of its elements from there
// the store holds (0 when it has no usable shape). Found when a form is
// made ready: an array moves only by what makes the forms look again (a
// statement on the general path, a formal bound anew).
inline void placearray(std::int32_t a, std::int32_t zsize, std::int32_t& first,
                       std::int32_t& count) {
  first = count = 0;
  if (a >= zsize || a < 1 || a > core::name.size()) return;
  std::int32_t shape[2];
  std::memcpy(shape, core::z.data() + a, sizeof shape);
  const std::int64_t n = static_cast<std::int64_t>(shape[0]) * shape[1];
  const std::int32_t adr = core::name.data()[a - 1].adr;
  if (shape[0] <= 0 || shape[1] <= 0 || n > 0x7FFFFFFF || adr < 1 || adr >= zsize) return;
  first = adr;
  count = static_cast<std::int32_t>(std::min<std::int64_t>(n, zsize - adr));
}

// The cell of element i (one index over the whole array, rounded halves
// away from zero) of an array placed so; 0 when there is none.
[[gnu::always_inline]] inline std::int32_t elemat(std::int32_t first, std::int32_t count,
                                                  double i) {
  const std::int32_t k = indexin(i, count);
  return k == 0 ? 0 : first - 1 + k;
}

// Evaluates the steps over the cells of `z`; false (and no value) as soon
// as anything is not a finite number or lies outside the store. Every cell
// a step names lies below the store's size (checked when the form is made
// ready, as are the places of the arrays it reads).
// (With `free`, the elements marked so read without a test.)
template <bool free = false>
inline bool evaluatesteps(const std::vector<Step>& steps, const double* z, double& out) {
  double stack[maxdepth];
  int sp = 0;
  for (const Step& s : steps) {
    double r = 0.0;
    switch (s.op) {
      case Op::cell:
        r = z[s.a];
        ++sp;
        break;
      case Op::elem: {
        if (free && s.free) {
          r = z[s.first - 1 + static_cast<std::int32_t>(z[s.a])];
          ++sp;
          break;
        }
        const std::int32_t c = elemat(s.first, s.count, s.acell ? z[s.a] : stack[sp - 1]);
        if (c == 0) return false;
        if (s.acell) ++sp;
        r = z[c];
        break;
      }
      case Op::bin: {
        const double b = s.bcell ? z[s.b] : stack[--sp];
        const double a = s.acell ? z[s.a] : stack[--sp];
        ++sp;
        switch (s.code) {
          case xop::plus:
            r = a + b;
            break;
          case xop::minus:
            r = a - b;
            break;
          case xop::times:
            r = a * b;
            break;
          case xop::divide:
            r = a / b;
            break;
          default:
            // A relation compares the difference, which may overflow (as
            // binnumeric() compares it, in line).
            if (const int rel = exprrel(s.code); rel >= 0) {
              if (!std::isfinite(a - b)) return false;
              r = relholds(rel, exprdiff(a, b)) ? 1.0 : 0.0;
            } else if (binnumeric(s.code, a, b, false, r) != 0) {
              return false;
            }
            break;
        }
        break;
      }
      case Op::neg:
        r = -stack[sp - 1];
        break;
      case Op::una:
        r = unanumeric(s.code, stack[sp - 1]);
        break;
    }
    if (!std::isfinite(r)) return false;
    stack[sp - 1] = r;
  }
  out = stack[0];
  return true;
}

[[gnu::always_inline]] inline double arithmetic(unsigned code, double a, double b) {
  switch (code) {
    case xop::plus:
      return a + b;
    case xop::minus:
      return a - b;
    case xop::times:
      return a * b;
    default:
      return a / b;
  }
}

// (The store's size `zsize` was looked at when the form was made ready.
// With `free`, the elements marked so read without a test.)
template <bool free = false>
[[gnu::always_inline]] inline bool evaluate(const Expr& e, const double* z,
                                            [[maybe_unused]] std::int32_t zsize, double& out) {
  double r = 0.0;
  switch (e.shape) {
    case Expr::cell:
      r = z[e.a];
      break;
    case Expr::arith:
      r = arithmetic(e.code, z[e.a], z[e.b]);
      break;
    case Expr::compare: {
      const double a = z[e.a], b = z[e.b];
      // The difference that the relation compares may overflow.
      if (!std::isfinite(a - b)) return false;
      r = relholds(e.rel, exprdiff(a, b)) ? 1.0 : 0.0;
      break;
    }
    case Expr::arith2: {
      const double ab = arithmetic(e.code, z[e.a], z[e.b]);
      if (!std::isfinite(ab)) return false;
      r = arithmetic(e.code2, ab, z[e.c]);
      break;
    }
    case Expr::elem:
    case Expr::elemop: {
      const std::int32_t c = free && e.free ? e.first - 1 + static_cast<std::int32_t>(z[e.a])
                                            : elemat(e.first, e.count, z[e.a]);
      if (c == 0) return false;
      r = z[c];
      if (e.shape == Expr::elemop) {
        if (!std::isfinite(r)) return false;
        r = arithmetic(e.code, r, z[e.b]);
      }
      break;
    }
    case Expr::list:
      return evaluatesteps<free>(e.steps, z, out);
    case Expr::none:
      return false;
  }
  if (!std::isfinite(r)) return false;
  out = r;
  return true;
}

}  // namespace exec::fast
