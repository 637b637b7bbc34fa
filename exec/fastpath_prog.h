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
#include <string>
#include <vector>

#include "exec/xeq2.h"

namespace exec::fast {

enum class P : std::uint8_t {
  num,      // push cell a
  elem,     // element of array slot a: one index (b 1) or row and column (b 2) on top
  text,     // push the text of text slot a
  substr,   // the piece a..b of the text below the two bounds on top
  onechar,  // one character of the text below the index on top
  bin,      // two-operand numeric operator `code`
  maxmin,   // MAX, MIN, MAXLOC or MINLOC of two numbers (`code`)
  una,      // one-operand numeric operator `code`
  neg,      // the negative of the top number
  log,      // LOG of the top number (b 1) or of the number below to the base on top (b 2)
  list,     // the top values (at most the list's size) become list a
  ref,      // push element 1 of list a
  fold,     // fold `code` over list a (b 0) or array slot a (b 1)
  cat,      // the join of the two top values, `code` the join word (its blank count)
  trim,     // TRIM, LEN, LEN_TRIM, ICHAR of the top text
  len,
  lentrim,
  ichar,
  index,   // INDEX(text, text)
  chr,     // CHAR(n)
  rel,     // relation `code` between two texts
  ifnot,   // a one-line IF: a false top ends the statement (as false)
  assign,  // the top value into the target below it
};

struct PStep {
  P op;
  std::uint16_t code = 0;
  std::int32_t a = 0, b = 0;
};

// An operand the statement names through a descriptor, as the evaluator's
// set-up finds it.
struct Slot {
  std::int32_t sym = 0;
  bool array = false;
  bool copy = false;  // read while the statement writes it: the evaluator reads a copy
  // What the set-up finds, kept while the stores stay as they are (ready()).
  std::int32_t first = 0;  // an array's first element cell, a text's first position
  std::int32_t rows = 0, cols = 0;
  std::int32_t len = 0;  // a text's length
};

struct Prog {
  std::vector<PStep> steps;
  std::vector<Slot> slots;
  std::vector<std::int32_t> lists;  // size of each list
  std::int32_t depth = 0;           // deepest value stack
  std::int32_t cells = 0;           // result cells the evaluator takes, without the copies
  std::int32_t temps = 0;           // temporary numbers it takes besides the descriptors
  std::int32_t nlinked = 0;         // descriptors of the linked form
  std::int32_t total = 0;           // entries of the linked form
  bool texts = false;               // the program works on texts
  // A block IF or ELSEIF: its word, and the statement the jump names; the
  // steps are its condition.
  std::uint32_t blockkind = 0;
  std::int32_t target = 0;
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
// bounds) or when a slot lies outside the stores.
bool readyprog(Prog& prog);

// What a run of the program leaves for the statement's end.
struct ProgResult {
  bool done = false;        // ran through: the effects below were made
  bool falsecond = false;   // a one-line IF was false (nothing assigned)
  bool cond = false;        // a block condition's value
  double value = 0.0;       // the result cell's value
  bool textresult = false;  // the result is a text: `value` holds its bounds
};

// Runs the program from result cell `first` on (the statement's first
// temporary) and makes its effects; nothing is changed when it gives up.
ProgResult runprog(const Prog& prog, std::int32_t first);

}  // namespace exec::fast
