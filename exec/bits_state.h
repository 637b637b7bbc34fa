// The state of one BITS call, shared by the option loop (exec/bits.cpp)
// and the operations (exec/bits_ops.cpp). Nothing here outlives the call.
#pragma once

#include <cstdint>
#include <string_view>

namespace exec::bitsimpl {

// An option's value (or the target) as BITS sees it.
struct Operand {
  std::int32_t sym = 0;    // symbol or cell index; 0 or less: no value
  int kind = 0;            // 1 numeric scalar, 2 numeric row, 4 numeric matrix, 8 string, 0 other
  int list = 0;            // number of values of a list written in place (2 or 3), else 0
  std::int32_t first = 0;  // arrays and lists: first cell in `z`; strings: first position in
  std::int32_t last = -1;  // `c1namen`; scalars: the cell itself
  std::int32_t rows = 1, cols = 1;
  bool constant = false;
  bool temporary = false;
  std::int32_t cells() const { return last >= first ? last - first + 1 : 0; }
};

// A pool of values: the cells of a numeric array, or the integers or
// characters of a string, handed out one by one.
struct Pool {
  bool open = false;
  Operand v;
  bool text = false;       // a string pool
  bool chars = false;      // a string pool that hands out its characters
  std::int32_t pos = 0;    // next cell, character or reading position
  std::int32_t count = 0;  // the pool's value count
  std::int32_t taken = 0;  // values taken in the current round
  std::int64_t total = 0;  // values taken in the whole call
};

enum class Test : int { none, clr, set, eq, neq, gt, lt, loc };

struct Call {
  // Target and view.
  Operand tgt;
  std::int32_t nelem = 0;   // elements the target holds
  std::int64_t tbytes = 0;  // target size in bytes
  std::int32_t R = 1, C = 1, B = 64, w = 8;
  // Working window.
  std::int32_t r1 = 0, r2 = 0, c1 = 0, c2 = 0;
  bool windowset = false;
  bool xrange = false, yrange = false;
  std::int32_t origin = 1;
  // IF test for the next operation.
  Test test = Test::none;
  std::int64_t lo = 0, hi = 0;
  // Boxes.
  std::int32_t bh = 0, bw = 0, bpr = 1, nboxes = 0;
  std::int32_t firstbox = 1, lastbox = 0, curbox = 1;
  std::int32_t br0 = 0, bc0 = 0;
  bool boxmode = false, boxdim = false;
  // Rings.
  std::int32_t ring = 0;
  Pool pool;
  bool errorflag = false;
  bool bareearlier = false;  // a bare CLR, FLiP, ROTate, SHiFt, SetBit or SetVal came before
  // The last operation: row of its last element and its visit count.
  std::int32_t lastrow = 0, lastn = 0;
  std::int32_t lochits = 0;
  // The option being carried out.
  std::int32_t noptions = 0, slot = 0;
  int kw = 0;
  Operand val;
  bool endpass = false;
  bool failed = false;
};

// The option's value as an operand; list = the list count noted for it.
Operand operand(std::int32_t sym, int list);

// Next integer of a value: 0 delivered (or nothing new from a wrapped
// numeric pool), 1 the pool is used up (and closed), 2 POOL given a value
// that is neither a numeric array nor a string.
std::int32_t BITSARGUMENT(Call& c, std::int64_t& out, const Operand& v, int wrap);

// Ends the call with a failure: key and error number, the error details
// and the detail text; only clears the key after ERror.
void fail(Call& c, std::string_view key, std::int32_t number);

// Carries out one operation keyword over the working window.
void operation(Call& c);

// The nearest 64-bit integer, halves away from zero.
std::int64_t nearesti8(double v);

}  // namespace exec::bitsimpl
