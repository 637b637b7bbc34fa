// Control statements of the statement loop: jumps to labels, the logical
// and block IF, DO loops with their end words, calls of local subroutines
// and user functions with their frames on the operand stack, RETURN and
// END, and the vectorisation word that reruns a statement over the
// elements of an array.
//
// A label or subroutine symbol keeps its `subrec` in its value cell (four
// 16-bit parts): 1 its statement, 2 the return statement while a call is
// active (0 otherwise), 3 the caller's run mode (low byte) and saved
// command (high byte), 4 the argument count of the call. A DO loop symbol
// keeps its `dorec`: 1 the loop's last statement, 2 its DO statement while
// active, 3 the loop variable; its address field names two cells, the
// limit and the step.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/codewords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/xeq.h"

namespace exec {

// Words of this family.
inline constexpr std::uint16_t wcall = core::cwu(core::stmtcode("CALL"));
inline constexpr std::uint16_t wfunction = core::cwu(core::stmtcode("FUNCTION"));
inline constexpr std::uint16_t wsubroutine = core::cwu(core::stmtcode("SUBROUTINE"));
inline constexpr std::uint16_t wend = core::cwu(core::stmtcode("END"));
inline constexpr std::uint16_t wreturn = core::cwu(core::stmtcode("RETURN"));
inline constexpr std::uint16_t wblockjump = core::cwu(core::cw(core::CwFamily::word, "elsemark"));
inline constexpr std::uint16_t wlabel = core::cwu(core::cwd::labelmarker);
inline constexpr std::uint16_t wgoto = core::cwu(core::stmtcode("GOTO"));
inline constexpr std::uint16_t wif = core::cwu(core::stmtcode("IF"));
inline constexpr std::uint16_t wifblock = core::cwu(core::cw(core::CwFamily::word, "IFblock"));
inline constexpr std::uint16_t welse = core::cwu(core::stmtcode("ELSE"));
inline constexpr std::uint16_t welseif = core::cwu(core::stmtcode("ELSEIF"));
inline constexpr std::uint16_t wendif = core::cwu(core::stmtcode("ENDIF"));
inline constexpr std::uint16_t wthen = core::cwu(core::stmtcode("THEN"));
inline constexpr std::uint16_t wdo = core::cwu(core::stmtcode("DO"));
inline constexpr std::uint16_t wdoblock = core::cwu(core::cw(core::CwFamily::word, "DOblock"));
inline constexpr std::uint16_t wenddo = core::cwu(core::stmtcode("ENDDO"));
inline constexpr std::uint16_t wcontinue = core::cwu(core::stmtcode("CONTINUE"));
inline constexpr std::uint16_t wwholearray =
    core::cwu(core::cw(core::CwFamily::word, "wholearray"));

// True for the words that controlword() executes.
bool iscontrolword(std::int16_t w);

// Executes a control word at `wordpos`.
WordResult controlword(std::int16_t w);

// The statement that a block word names in the word before the end word.
std::int32_t blocktarget();

// A labelled statement ends with its label and CONTINUE, the end of the
// DO loops that name the label: 2 (their words) when the statement in hand
// ends so, else 0.
std::int32_t labelledtail();

// The loop end that the statement in hand carries after its own words (see
// labelledtail()), for a statement whose words run as a whole: its label is
// pushed and CONTINUE runs. Ends the statement.
WordResult labelledloopend();

// A jump to the statement named by a block word (the IF-false jump):
// "noEndif" when there is none.
WordResult blockjump(std::int32_t subject);

// An ELSEIF statement in hand whose condition references a function, in a
// chain that took a branch already: its condition (the function may
// write, print or fail) is not evaluated; the block stack takes the step
// of a false condition and the run goes on at the statement the ELSEIF
// names. True when it did so.
bool passedelseif();
// The statement that an ELSEIF of those words (a statement's code words,
// its end word last) names, when it is one to be so passed over once its
// chain took a branch; 0 for any other statement. The fast path decides it
// once, when it makes the statement's form.
std::int32_t passableelseif(std::span<const std::int16_t> words);

// How many frames on the stack keep each scope (by symbol, hashed: scopes
// that share a slot add up) as their caller's: never fewer than there
// are, so that 0 tells there is none. Every push of a frame counts its
// scope (framekept()), a return that drops it uncounts it (framegone());
// a stack cut short leaves counts too high, all cleared where a run
// starts or the frames are dropped with no frame left (framesdropped()).
inline std::array<std::uint32_t, 256> callerframes{};
inline std::uint32_t& callerslot(std::int32_t scope) {
  return callerframes[static_cast<std::uint32_t>(scope) & 0xFFu];
}
inline void framekept(std::int32_t scope) { ++callerslot(scope); }
inline void framegone(std::int32_t scope) {
  std::uint32_t& n = callerslot(scope);
  if (n > 0) --n;
}
inline void framesdropped() {
  if (core::xeqstackbase <= framesize) callerframes.fill(0);
}

// True when a frame on the stack, from the one at stack base b down, keeps
// subroutine s as its caller's.
bool callerframe(std::int32_t s, std::int32_t b);

// True when subroutine s is the one running or one of its callers (`b`
// the stack base, where the caller has it at hand).
inline bool subactive(std::int32_t s, std::int32_t b) {
  if (s == core::lokalscope) return true;
  if (b <= framesize) return false;  // (the main program's)
  return callerslot(s) != 0 && callerframe(s, b);
}
inline bool subactive(std::int32_t s) { return subactive(s, core::xeqstackbase); }

// A subroutine or function as its calls find it in the program: its
// symbol, its first statement, the position of its header word and the
// count of formals the header names.
struct Callee {
  std::int32_t S = 0, f1 = 0, hp = 0, formals = 0;
  bool function = false;
};
Callee callee(std::int32_t S, std::int32_t f1, bool function);

// Whether actual a (a cell) binds its formal as the symbol it is, the
// formal taking its type and address (`records`[s] is name(s)); else as a
// value (type 0xA0, no address): a cell beyond the names, or a number the
// calling statement computed (a numeric temporary, with whose type the
// formal would read as a text named by itself).
inline bool bindsname(std::int32_t a, std::int32_t nname, const core::SymbolRecord* records) {
  return a >= 1 && a <= nname && records[a].type != numtemptype;
}

// Enters callee c (valid, not active), called with the n actuals on top of
// the operand stack (c.S below them) by the call word at `wordpos`: its
// frame above them, the formals bound (`formals` their symbols, each a
// valid symbol with a value cell, or null to follow the callee's chain),
// its record, the jump to its first statement.
// looptail: the CALL's statement ends DO loops (see `calltail`).
WordResult enter(const Callee& c, std::int32_t n, const std::int32_t* formals,
                 bool looptail = false);

// END or RETURN word w: back from the subroutine or function running to
// its caller (`known`: what an earlier return found for it, or null).
WordResult leave(std::int16_t w, const Callee* known);

// The calls entered since the run began (`calldepth`) are given up,
// innermost first: each function or subroutine is no longer active and its
// frame goes as at its return, but nothing is copied back and no caller's
// statement goes on. For the text of XEQ that stopped inside a function it
// references: the return would lead back into the text, which is over.
void dropcalls();

// The caller's `$` and rerun mark at each active function reference: the
// function's own statements set `$` anew and end without a rerun, and a
// statement that repeats itself over `$` (a whole-array assignment of
// function values) must find both unchanged. Calls are not re-entrant, so
// one place per function symbol suffices.
// The error label of the caller's statement (`nomsg`, set by its ERror
// option) is kept the same way: the function's statements clear it.
struct DollarKept {
  double dollar = 1.0;
  bool rerun = false;
  std::int32_t label = 0;
};
inline std::vector<DollarKept> dollarkept;

// Keeps the caller's `$` and rerun mark for the reference of function S
// that starts now, and clears the mark for the function's statements (the
// return gives both back, givedollar()).
inline void keepdollar(std::int32_t S, double dollar) {
  const auto k = static_cast<std::size_t>(S);
  if (dollarkept.size() <= k) dollarkept.resize(k + 1);
  dollarkept[k] = {dollar, rerunflag, core::nomsg};
  rerunflag = false;
}

// Back from function S: its caller's `$` (into cells[1]) and rerun mark.
inline void givedollar(std::int32_t S, double* cells) {
  const auto k = static_cast<std::size_t>(S);
  if (k < dollarkept.size()) {
    cells[1] = dollarkept[k].dollar;
    rerunflag = dollarkept[k].rerun;
    core::nomsg = dollarkept[k].label;
  }
}

// Start values of the words of this family.
void reset_control();

}  // namespace exec
