// Straight-line forms of the commonest program statements, so that loops
// over plain numbers run without linking and evaluating each statement
// anew: a numeric assignment (alone or under a one-line IF) whose operands
// are plain numbers and elements of numeric arrays, and the end of a DO
// loop, each compiled once into a short list of steps over the cells of
// `z`; and statements of the word path made of operands, operators, an
// assignment, calls, function references, returns, jumps and DO headers,
// run by the loop's own word handlers without the loop's dispatch. A form
// is replayed while its words and the types of its symbols stay the same,
// and while the loop test between statements would find nothing to do,
// the statements after it run by their forms too.
//
// A form of an assignment or a loop end changes nothing until it knows the
// statement runs through. On anything out of the ordinary (a value that is
// not a finite number, an index outside its array, an array without
// storage, a store that would have to grow, a floating-point failure not
// yet reported) it leaves the statement to the general path, which runs it
// from its start as if the form did not exist. A statement of words hands
// the loop whatever its handlers answer that the loop must decide itself.
// After a form ran, the stores and run words are as the general path
// leaves them.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <span>
#include <string>

#include "exec/xeq.h"

namespace exec::fast {

// Off, every statement takes the general path (tests compare the two).
inline bool enabled = true;

// Forms are checked against their statement's words and types again only
// after something else may have changed them: every statement of the
// general path, a new run, and input between statements call stir().
inline std::uint64_t epoch = 1;
// What a call site found of the subroutine it enters (its formals bound,
// its one step, a function reference's findings) relies on the callee's
// formals' types as well: it is checked against `callepoch`, which moves
// with every stir() and every change of a formal's type. What of it
// relies only on the forms of the callee's statements holds while
// `epoch` and `formsepoch` stay: the latter moves whenever a formal's new
// type clears forms.
inline std::uint64_t callepoch = 1;
inline std::uint64_t formsepoch = 1;
// Counts the moves of `callepoch` for a formal that changed between kinds
// of numbers that read alike while every form of its subroutine stayed
// (only assignments and returns hold, so no call site in it names the
// formal): `callepoch - kindmoves` moves only when what a reference found
// of its function's statements may have changed.
inline std::uint64_t kindmoves = 0;
// Such a change relies on nothing but the bindings that the subroutine's
// own call sites found. It moves `callepoch` only where a CALL of the
// subroutine may keep its bindings (`callkept`, set when a CALL binds its
// formals or is found fit for one step); a reference of a function keeps
// the count of such changes of its function that it matched its actuals
// for (`formalkinds`). Both by the subroutine's symbol, hashed (a shared
// place only looks again more often).
// (Counts from 1: a reference keeps 0 for none.)
inline std::array<std::uint64_t, 256> formalkinds = [] {
  std::array<std::uint64_t, 256> a{};
  a.fill(1);
  return a;
}();
inline std::array<bool, 256> callkept{};
inline std::size_t subslot(std::int32_t S) { return static_cast<std::uint32_t>(S) & 0xFFu; }
// Formal `formal` of subroutine S changed between kinds while every form
// of S stayed: the call sites of S look again at their bindings.
// (`kindcount` counts every such change, of any subroutine.)
inline std::uint64_t kindcount = 0;
[[gnu::always_inline]] inline void kindchanged(std::int32_t S) {
  ++formalkinds[subslot(S)];
  ++kindcount;
  if (callkept[subslot(S)]) {
    ++callepoch;
    ++kindmoves;
  }
}
inline void stir() {
  ++epoch;
  ++callepoch;
}
// A formal of the subroutine whose header is statement f1 is bound to
// another type or address: only the forms of that subroutine's statements
// (the only ones that name it) and the call sites look again.
void retyped(std::int32_t f1);
// A number reads alike from its cell whether it is a variable or a
// constant, bound by name or as a value: types a formal may change among
// while keeping its address, where the forms that only read it hold.
inline bool readsalike(std::int16_t type) {
  const auto t = static_cast<std::uint16_t>(type);
  return t == 0x80 || t == 0x81 || t == 0xA0 || t == 0xA1;
}
// A formal bound anew to an actual of the same type and address still
// changes what its forms found of it when the actual is an array of
// another shape or a text of other bounds (a view laid on the same cells),
// which the cell holds that the formal takes from it.
inline bool reshaped(std::int16_t type, double formalcell, double actualcell) {
  if ((static_cast<std::uint16_t>(type) & 0x50u) == 0) return false;
  return std::memcmp(&formalcell, &actualcell, sizeof formalcell) != 0;
}
// The same for formal f and actual symbol a by their cells.
inline bool reshapedsym(std::int16_t type, std::int32_t f, std::int32_t a) {
  if ((static_cast<std::uint16_t>(type) & 0x50u) == 0) return false;
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  return f < 1 || a < 1 || f >= zsize || a >= zsize ||
         reshaped(type, core::z.data()[f], core::z.data()[a]);
}
// Formal `formal` of subroutine S, whose header is statement f1, changes
// between such types (same address): the forms of the subroutine that
// only read it stay, the others and the call sites look again (only at the
// formals' binding when every form stayed: kindchanged()). Gives the
// subroutine's last statement when every form stayed, else 0.
std::int32_t reclassed(std::int32_t S, std::int32_t f1, std::int32_t formal);
// Counts the forms made or swapped for kept ones: while it stays, what a
// look at the forms of a subroutine found holds.
inline std::uint64_t formchanges = 1;
// A statement's words are compared again only in a new run, or after
// input between statements (they change only by compiling); a statement
// without a form is looked at again only then.
inline std::uint64_t runepoch = 1;
inline void newrun() {
  ++runepoch;
  stir();
}

// What became of a statement given to the fast path.
struct Outcome {
  enum Kind {
    notrun,     // it has no form or the general path must run it: nothing was changed
    looptest,   // it ran (and maybe the quiet statements after it): the loop test is next
    afterword,  // words of it ran; the loop takes `answer`, the last word's (`lastword`)
  } kind = notrun;
  WordResult answer = WordResult::next;
  std::int16_t lastword = 0;
};

// Counts of the statements the loop runs, while `tally` points at one (for
// measuring how much of a program runs by forms): those that ran by their
// forms alone (option statements replayed from their lists and READs and
// WRITEs run by their transfer programs among them), the option
// statements, and the others, which the general path or the loop's own
// word handlers ran, by why.
struct Tally {
  std::uint64_t forms = 0;
  std::uint64_t options = 0;
  std::map<std::string, std::uint64_t> handed;
};
inline Tally* tally = nullptr;

// Runs statement `xeqline` of the program (`code`, the words from the
// program's first word) by its form, and while the loop test would find
// nothing to do, the statements after it that have forms.
Outcome runstatement(std::span<const std::int16_t> code);

// Counts the times the loop's own handlers (its word handlers, the entry
// of a CALL and the return) took over from the forms: a statement during
// which it moved did not run by forms alone.
inline std::uint64_t handlerruns = 0;

// Forgets every form (a new program, or the stores were reset).
void reset();

}  // namespace exec::fast
