// The program form of a statement of the expression path: its linked form
// (exec/xeq2.h) turned once into a list of steps over numbers and texts,
// for statements that the evaluator runs in one pass. Every step does what
// the evaluator's word does (the same operator and function kernels), and
// the run keeps the evaluator's bookkeeping that decides anything visible:
// the result cells and temporaries it would take, and the temporary text
// area where it would write its joins and copies, so that a run that would
// grow a store, fail or meet anything out of the ordinary changes nothing
// and leaves the statement to the general path. Internal to the fast path.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "exec/xeq2.h"

namespace exec::fast {

// Steps work on a stack of numbers and a stack of texts. An operand of a
// two-number step comes from its stack, or straight from a cell when the
// step's flag says so (flag 1: the left one is cell a, 2: the right one is
// cell b).
enum class P : std::uint8_t {
  num,   // push cell a
  elem,  // element of array slot a: one index (b 1) or row and column (b 2)
  add,   // + - * / and MOD of two numbers
  sub,
  mul,
  div,
  mod,
  bin,      // another two-operand numeric operator `code`
  rel,      // the relation of index `code` between two numbers
  maxmin,   // MAX, MIN (or their location forms) `code` of two numbers
  una,      // one-operand numeric operator `code`
  neg,      // the negative of the top number
  log,      // LOG of the top number (b 1), or to the base on top (b 2)
  list,     // the top b numbers become the values of list a
  ref,      // push the first value of list a (a list's element outside a fold)
  fold,     // fold `code` over list a (b 0) or array slot a (b 1)
  text,     // push the text of text slot a
  substr,   // the piece between the two top numbers of the top text
  onechar,  // the character at the top number of the top text
  cat,      // join the two top texts, `code` the join word (its blank count)
  trim,     // the top text without its trailing blanks (at least one character)
  len,      // LEN, LEN_TRIM, ICHAR of the top text, as a number
  lentrim,
  ichar,
  index,     // INDEX(text, text)
  chr,       // CHAR(top number)
  charat,    // ICHAR, LEN or LEN_TRIM (`code`: P::ichar, P::len, P::lentrim) of text slot a
             // read in place: the whole text (b 0), the character at the top number (b 1)
             // or the piece between the two top numbers (b 2)
  pairat,    // INDEX (`code` & 0xFF: 0) or the relation of index (`code` & 0xFF) - 1 between
             // two texts read in place: text slot a, then text slot b, each whole, one
             // character or a piece as charat's b says (kinds in `code` bits 8-9 and 10-11),
             // their places on the number stack in that order
  textcopy,  // text slot b read in place into text slot a (kinds as pairat's: `code`
             // bits 0-1 the target's, 2-3 the source's), the statement's last step
  reltext,   // the relation of index `code` between the two top texts
  ifnot,     // a one-line IF: a false top number ends the statement
  tcell,     // the target: cell a
  telem,     // the target: an element of array slot a (its indices on top, b of them)
  ttext,     // the target: the top text, a variable or a piece of one
  assign,    // the top number (b 0) or text (b 1) into the target
  result,    // the top number (b 0) or text (b 1) is the statement's value
  // Steps of a statement that runs in passes over a whole array (Prog::passes).
  pass,    // push the pass number (`$`)
  pelem,   // push the element of array slot a that the pass stands at
  tpelem,  // the target: the element of the whole array (slot a) that the pass stands at
};

// The steps of a program on numbers alone (Prog::plain) as they run: a
// two-number step's operator and where its operands come from make one
// code (the operator's first code: both from the stack; + 1: the left one
// is cell a; + 2: the right one is cell b; + 3: both are cells), so that
// each step is one dispatch. A step that has no code of its own here runs
// as its program step (`other`, step a of Prog::steps).
enum class Q : std::uint8_t {
  num,     // push cell a
  una,     // one-operand numeric operator `code`
  neg,     // the negative of the top number
  elem1,   // element of array slot a, one index on top
  elem2,   // row and column on top
  telem1,  // the target: such an element
  telem2,
  tcell,   // the target: cell a
  assign,  // the top number into the target
  ifnot,   // a one-line IF: a false top number ends the statement
  result,  // the top number is the statement's value
  other,   // program step a
  end,     // the last step
  // A block condition that is a whole program: the sum, difference,
  // product, quotient or MOD of cells a and b related to cell c by
  // relation `code`.
  addtest,
  subtest,
  multest,
  divtest,
  modtest,
  // Elements as elem1 .. telem2 with their indices straight from cells: the
  // index in cell b, or the row in cell b and the column in cell c.
  elemc1,
  elemc2,
  telemc1,
  telemc2,
  textcopy,  // P::textcopy with its code and slots: the last step
  add = 24,
  add1,
  add2,
  add3,
  sub = 28,
  sub1,
  sub2,
  sub3,
  mul = 32,
  mul1,
  mul2,
  mul3,
  div = 36,
  div1,
  div2,
  div3,
  mod = 40,
  mod1,
  mod2,
  mod3,
  maxmin = 44,  // MAX or MIN `code`
  maxmin1,
  maxmin2,
  maxmin3,
  rel = 48,  // relation `code` (its index) as a number
  rel1,
  rel2,
  rel3,
  test = 52,  // relation `code` as a block condition: the program's last step
  test1,
  test2,
  test3,
  // Elements as elemc1 .. telemc2 whose index cells hold whole numbers
  // found inside the array's bounds for every pass of the loop they stand
  // in (freeloop() in exec/fastpath.cpp): read without a test.
  elemf1,
  elemf2,
  telemf1,
  telemf2,
};
constexpr Q operator+(Q q, int from) { return static_cast<Q>(static_cast<int>(q) + from); }
struct QStep {
  Q op;
  std::uint16_t code = 0;
  std::int32_t a = 0, b = 0, c = 0;
};

// The deepest number stack of a program run on numbers alone.
inline constexpr std::int32_t plaindepth = 32;

struct PStep {
  P op;
  std::uint8_t flag = 0;
  std::uint16_t code = 0;
  std::int32_t a = 0, b = 0;
};

// An operand the statement names through a descriptor, as the evaluator's
// set-up finds it.
struct Slot {
  std::int32_t sym = 0;
  bool array = false;
  bool copy = false;  // read while the statement writes it: the evaluator reads a copy
  // What the set-up finds, kept while the stores stay as they are (readyprog).
  std::int32_t first = 0;  // an array's first element cell, a text's first position
  std::int32_t rows = 0, cols = 0;
  std::int32_t count = 0;  // an array's elements
  std::int32_t len = 0;    // a text's length
  // The cell of element i, or of element (row, col) (1-based, inside).
  std::int32_t cell(std::int32_t i) const { return first - 1 + i; }
  std::int32_t cell(std::int32_t row, std::int32_t col) const {
    return first - 1 + cols * (row - 1) + col;
  }
};

struct Prog {
  std::vector<PStep> steps;
  std::vector<Slot> slots;
  // Each list: where its values start in the run's store, and the values
  // a fold of it runs over.
  struct List {
    std::int32_t at = 0, size = 0;
  };
  std::vector<List> lists;
  std::int32_t listvalues = 0;               // the values of all lists
  bool listclear = false;                    // a list that takes no value reads 0
  std::int32_t numdepth = 0, textdepth = 0;  // deepest stacks
  std::int32_t depth = 0;                    // deepest stack of the evaluator
  std::int32_t cells = 0;     // result cells the evaluator takes, without copies of arrays
  std::int32_t allcells = 0;  // with them (readyprog)
  std::int32_t temps = 0;     // temporary numbers it takes besides the descriptors
  std::int32_t nlinked = 0;   // descriptors of the linked form
  std::int32_t total = 0;     // entries of the linked form
  bool texts = false;         // the program works on texts
  bool plain = false;         // on numbers alone, its stack within `plaindepth`
  bool condrel = false;       // plain, a block condition whose last step is a relation
  // An assignment to a whole array: the steps make one element's value and
  // run once per element (a pass), on numbers alone. The target's slot;
  // whether an element on the read side sets the corner cells.
  bool passes = false;
  std::int32_t passtarget = -1;
  bool corner = false;
  // A block IF or ELSEIF: its word, and the statement the jump names; the
  // steps are its condition.
  std::uint32_t blockkind = 0;
  std::int32_t target = 0;
  // A plain program's steps as they run, and the highest cell they read
  // straight from the store.
  std::unique_ptr<QStep[]> quick;
  std::int32_t topcell = 0;
  bool onetest = false;  // the condition is one step (Q::addtest .. Q::modtest)
  // The same steps with the elements whose indices a DO loop around the
  // statement found inside their bounds for all its passes read without a
  // test (Q::elemf1 ..): made for that loop's form (`freeowner`) in the
  // `freeepoch`, and run while the chain of forms holds the loop's mark
  // (`freemark`).
  std::unique_ptr<QStep[]> free;
  const void* freeowner = nullptr;
  std::uint64_t freeepoch = 0;
  std::uint64_t freemark = ~std::uint64_t{0};
  // A condition of one Q::modtest: the divisor and the number the
  // remainder is related to, as last found whole and small enough for the
  // relation to be decided on integers (modfit); the divisor as an integer
  // and the remainders for which the relation holds, those from `modlow`
  // to `modlow + modspan` (or, with `modoutside`, all others). A guess:
  // the cells are compared with it before use (NaN: none yet).
  double modby = std::numeric_limits<double>::quiet_NaN();
  double modto = std::numeric_limits<double>::quiet_NaN();
  std::int32_t modbyint = 0, modlow = 0;
  std::uint32_t modspan = 0;
  bool modoutside = false;
  bool empty() const { return steps.empty(); }
};

// Makes the program of a linked statement; false when the statement has a
// part that no step does the evaluator's way (it stays with the general
// path). types receives the symbols whose types the program relies on.
bool makeprog(const LinkedStatement& linked, Prog& prog,
              std::vector<std::pair<std::int32_t, std::int16_t>>& types);
// The linked word (or descriptor kind) at which the last makeprog gave
// up: 0 when it did not give up on a word.
std::uint16_t makeprogfail();

// Finds what the set-up would find for every slot; false when the general
// path would stop on one (an array without storage, a text without valid
// bounds) or when a slot lies outside the stores. Also counts all the
// cells into `allcells`.
bool readyprog(Prog& prog);

// An array with its elements in the store, as the evaluator finds it: its
// first cell, rows, columns and their product; false when array `a` has
// none there.
struct ArrayPlace {
  std::int32_t first = 0, rows = 0, cols = 0, count = 0;
};
bool arrayplace(std::int32_t a, ArrayPlace& at);

// What a run of the program leaves for the statement's end.
struct ProgResult {
  bool done = false;        // ran through: the effects below were made
  bool falsecond = false;   // a one-line IF was false (nothing assigned)
  bool cond = false;        // a block condition's value
  bool textresult = false;  // the result is a text: `value` holds its bounds
  double value = 0.0;       // the result cell's value
};

// Runs the program and makes its effects; nothing is changed when it gives
// up. The caller has made sure that the result cells it takes exist.
ProgResult runprog(const Prog& prog);
// The same for a program on numbers alone (Prog::plain).
ProgResult runplain(const Prog& prog);
// The same with its steps from `first` (Prog::quick or Prog::free).
ProgResult runplainfrom(const Prog& prog, const QStep* first);
// Of such a program that makes a value (its last step is the result):
// whether it ran through, and the value.
bool plainvalue(const Prog& prog, double& value);
// The same for a program that runs in passes (Prog::passes): every pass is
// computed before any element is stored, so that a pass that gives up
// leaves the whole statement to the general path. The predefined cells
// are the caller's to set (passcells).
ProgResult runpasses(const Prog& prog);
// What the general path's passes leave in the predefined cells after the
// last pass of such a program.
void passcells(const Prog& prog);

}  // namespace exec::fast
