// The items of a READ or WRITE replayed from its form (exec/optforms.h)
// that are more than a variable or a constant: an arithmetic expression, a
// negation, a piece of a text, an element with computed subscripts. Each is
// made once from the statement's linked form into a program of the fast
// path (exec/fastpath_prog.h), or for an element into programs of its
// subscripts, and filled into a temporary before every transfer: a number
// into a result cell, a piece as a temporary text that names the
// variable's characters (what the transfer writes lands there), an
// element's value into a result cell, whose value a READ hands back to the
// element after the transfer. The transfer then takes the temporaries as
// it takes variables. Internal to the option forms.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/stores.h"
#include "exec/fastpath_prog.h"
#include "exec/xeq2.h"

namespace exec::optitems {

struct Item {
  enum class Kind : std::uint8_t {
    symbol,   // a variable or constant, taken as it is
    number,   // the value of program `prog`
    piece,    // a piece of text `of` from the first subscript to the second (one: a character)
    element,  // element of array `of` at its subscripts
  };
  Kind kind = Kind::symbol;
  std::int32_t sym = 0;  // the symbol the transfer takes (a temporary but for `symbol`)
  std::int32_t prog = -1;
  std::int32_t of = 0;
  std::int32_t nsubs = 0;
  // The subscripts: a variable's or constant's cell, else (0) program
  // subprog.
  std::int32_t subcell[2] = {0, 0};
  std::int32_t subprog[2] = {-1, -1};
  std::int32_t cell = 0;  // the element's cell found by the last fill
  // As found when the items were made ready: a piece's text, its first
  // position and length; an element's array, its first cell, its rows and
  // columns and their product in `length`.
  std::int32_t first = 0, length = 0;
  std::int32_t rows = 0, cols = 0;
  // A piece's bounds at the last fill and the temporary's value they made
  // (NaN bounds: none made since the items were made ready).
  double bounds[2] = {0.0, 0.0};
  double piece = 0.0;
};

struct Items {
  std::vector<Item> items;
  std::vector<fast::Prog> progs;
  bool computed = false;      // some item is more than a symbol
  bool reads = false;         // a READ: elements get their values back
  std::int32_t base = 0;      // `firsttemp` when the temporaries were chosen
  std::int32_t cells = 0;     // result cells the general path may take for the statement
  std::uint64_t readied = 0;  // the forms' epoch in which the programs were made ready
};

// Makes the items of linked statement L, a READ (reads) or WRITE with
// `pairs` options whose values are plain, from its entries after those
// options. The temporaries are the result cells from firsttemp + 5 on,
// their records made for the kinds they take. types receives the symbols
// whose types the items rely on. False when an item has no form here.
bool make(const LinkedStatement& L, std::int32_t pairs, bool reads,
          std::vector<std::pair<std::int16_t, std::int16_t>>& types, Items& out);

// Whether the temporaries still stand where make() chose them (the stores
// kept their sizes); else the items are to be made again.
inline bool placed(const Items& it) {
  // (They are the result cells at the top of the free ones.)
  return !it.computed || it.base == std::min(core::nztop, core::nname) - 1 -
                                        static_cast<std::int32_t>(it.items.size());
}

// Fills the temporaries of the computed items, placed(), before a
// transfer. False,
// with nothing visible changed, when the general path would do anything
// but evaluate them (a store to grow, an index outside its array, a value
// that is no finite number, ...).
bool fill(Items& it);

// After a READ's transfer: every element gets the value its temporary
// holds (what the transfer read, or the element's own value again).
void givebackread(const Items& it);
inline void giveback(const Items& it) {
  if (it.computed && it.reads) givebackread(it);
}

}  // namespace exec::optitems
