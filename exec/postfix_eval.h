// The state of one call of the postfix evaluator and the steps that the
// word handlers share (exec/postfix.cpp, exec/operands.cpp). Internal to
// the evaluator.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace exec::evaldetail {

struct Eval {
  std::span<const std::int16_t> words;
  std::span<std::int32_t> values;
  std::int32_t n = 0;                // used length of the word list
  std::int32_t cap = 0;              // room of the operand list
  std::int32_t hdr = 0;              // split position + descriptor count: target side is p <= hdr
  std::int32_t nlinked = 0;          // descriptors made by linking
  std::int32_t first = 0;            // position of the first stream word
  std::int32_t passstart = 0;        // where later passes start reading
  std::int32_t sp = 0;               // value stack height
  std::vector<std::uint8_t> isbase;  // per stack entry: 1 an array base (5002), 2 a placeholder,
                                     // 3 the element of a whole array (5003, 5019)
  std::vector<std::int32_t> basedescrs;  // per stack entry: the descriptor of an array base
  std::int32_t pass = 0;
  std::int32_t iresultpass = 0;   // `iresult` at the start of every pass
  std::int32_t tmpbase = 0;       // the temporary-string area's start in every pass
  std::int32_t resultcell = 0;    // the statement's result cell
  std::int32_t optstmt = 0;       // option statement met (number), 0 none
  std::int32_t firstkw = -1;      // stack height before the first option keyword, -1 none yet
  std::int32_t firstwritten = 0;  // lowest target cell written
  std::int32_t written = 0;       // target cells written in this pass's list
  std::int32_t editcalls = 0;     // EDIT and POP calls of the statement
  std::int32_t jump = 0;          // next word position when non-zero
  std::int32_t structcell = 0;    // result cell of a STRUCT call that wrote its record
  // A table element assigned to: the cell that stands for it on the stack
  // and the element's unit, row and column.
  std::int32_t tablecell = 0, tableunit = 0, tablerow = 0, tablecolumn = 0;
  // The same for a table element on the source side of an exchange.
  std::int32_t swapcell = 0, swapunit = 0, swaprow = 0, swapcolumn = 0;
  bool hasassign = false;   // an assignment or exchange word was met
  bool stored = false;      // something was stored
  bool falsecond = false;   // the statement was a false condition
  bool condition = false;   // a block word stored the condition's result
  bool endstmt = false;     // end the statement after this word
  bool endpasses = false;   // no further pass
  bool rangeflag = false;   // a range is running (missing elements read 0.0)
  bool missing = false;     // the current segment element is missing
  bool restart = false;     // evaluate the statement again from its first pass
  bool prefixeach = false;  // every pass computes the prefix blocks again
  // A logical IF's gate (the word between its condition's blocks and its
  // statement's): where it stands, where the main words begin and where
  // the IF stands; the condition deciding (1), found true (2), or neither
  // (0); the true condition's entry and its kind, put back after the
  // statement's blocks.
  std::int32_t gateat = 0, gatemain = 0, gateif = 0;
  int gate = 0;
  std::int32_t gatecond = 0, gatecondbasedescr = 0;
  std::uint8_t gatecondbase = 0;
};

// Plain numeric operands of the linked stream (the low bit marks a
// constant; the alias bit does not count).
inline bool isplainoperand(std::uint32_t w) {
  if ((w & 0xF000u) != 0) return false;
  switch (w & 0x7FFu) {
    case 0x80:
    case 0x81:
    case 0x88:
    case 0x89:
    case 0xA0:
    case 0xA1:
    case 0xA8:
    case 0xA9:
      return true;
    default:
      return false;
  }
}

inline std::uint32_t word(const Eval& e, std::int32_t p) {
  return static_cast<std::uint16_t>(e.words[static_cast<std::size_t>(p - 1)]);
}
inline std::int32_t& val(Eval& e, std::int32_t p) {
  return e.values[static_cast<std::size_t>(p - 1)];
}
// Stack entry i (1 = bottom).
inline std::int32_t& at(Eval& e, std::int32_t i) { return val(e, e.n + i); }
inline std::int32_t& top(Eval& e) { return at(e, e.sp); }
inline bool targetside(const Eval& e, std::int32_t p) { return p <= e.hdr; }
// The word at p makes the assignment's target itself: the last word before
// the split. Everything else before the split (a logical IF's condition,
// the blocks, the target's own subscripts and bounds) is read, not written.
inline bool istarget(const Eval& e, std::int32_t p) { return p == e.hdr && p >= e.first; }

// Pushes an entry; false when the operand list is full.
bool push(Eval& e, std::int32_t entry, bool base = false);
// Removes the top entry; false when the stack is empty.
bool pop(Eval& e, std::int32_t& entry);
// Removes the top bound or index entry, passing over the placeholders of
// the range words; false when none is left.
bool popbound(Eval& e, std::int32_t& entry);
// A new numeric result cell holding v (0 when no room).
std::int32_t newcell(double v);
// The numeric value of a stack entry (a string: its text read as a number).
double numvalue(std::int32_t entry);
// Rounds a bound or index entry; entries below 1 (omitted bounds) give 0.
std::int32_t intvalue(std::int32_t entry);
// A new temporary number, 0 when none is free.
std::int32_t newtempnumber();
// Makes temporary t hold a copy of the text at the top of the temporary
// area, growing `c1namen` first when needed; 0 or 2002.
std::int32_t maketemp(std::int32_t t, std::string_view text);

// Descriptor setup before the first pass; status 0 or an error code.
std::int32_t setupdescriptors(Eval& e);
// Values of the predefined cells for pass r.
void passcells(Eval& e);
// A marker 5000 to 5019 at position p; status 0 or an error code.
std::int32_t marker(Eval& e, std::int32_t p);
// Substring (a:b) and single character (i) of a string operand.
std::int32_t substring(Eval& e, std::int32_t p);
std::int32_t onechar(Eval& e, std::int32_t p);

}  // namespace exec::evaldetail
