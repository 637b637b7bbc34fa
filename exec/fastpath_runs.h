// Runs of CALLs and returns that a chain of forms makes one after another
// (exec/fastpath.cpp): a CALL of a subroutine that starts with a CALL, a
// CALL of a subroutine of one assignment (run in one step), a return into
// an END or RETURN, down a nest of subroutines that only call others and
// back. Each statement of such a run checks what a chain checks before
// it (its form, the room for its frame, the run state, whether its
// subroutine is active, whether the call binds the formals as they are);
// nothing of that changes between them, so a run is found once, for the
// frame and the state it starts from, and then replayed: at each statement
// only its stores, each as the chain makes it. Internal to the fast path.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "exec/fastpath_call.h"
#include "exec/fastpath_form.h"
#include "exec/xeq.h"

namespace exec::fast {

// The most statements in a run.
inline constexpr std::int32_t maxrun = 16;

// A subroutine's record as its cell holds it (its first statement, the
// return statement, the mode and command, the count of actuals), as one
// word.
[[gnu::always_inline]] inline std::uint64_t recordbits(std::int16_t f1, std::int16_t back,
                                                       std::int16_t modecmd, std::int16_t count) {
  const std::int16_t fields[4] = {f1, back, modecmd, count};
  std::uint64_t bits = 0;
  std::memcpy(&bits, fields, sizeof bits);
  return bits;
}

// One statement of a run, with what its stores need found once: a CALL's
// stack entries and record, and the cells its binding and its return copy.
struct RunStep {
  enum class Op : std::uint8_t {
    enter,  // a CALL that enters its subroutine
    leaf,   // a CALL of a subroutine of one assignment, run in one step
    back,   // an END or RETURN alone: the return to the CALL's caller
  };
  Op op = Op::enter;
  std::int32_t line = 0;  // the statement
  // Its first word and the next statement's (leaf: its subroutine's END's).
  std::int32_t start = 0, end = 0;
  std::int32_t S = 0;                // the subroutine
  std::int16_t f1 = 0;               // enter, leaf: its statement, as its record holds it
  std::int16_t sub = 0;              // enter: the callee's `lokalsub`; back, leaf: the caller's
  std::int32_t n = 0;                // enter, leaf: the actuals pushed (the record's count)
  std::int32_t m = 0;                // the cells copied (below)
  std::int32_t base = 0, scope = 0;  // the caller's stack base and scope
  std::int32_t callword = 0;         // the CALL word's place
  std::int32_t next = 0;             // the statement after it
  // enter, leaf: the callee's stack base; back: the stack pointer it leaves.
  std::int32_t inner = 0;
  // enter: the record's fields as the CALL writes them, but for the mode
  // and command (0); back: the same, as the return finds them; leaf: as
  // its END leaves them, the mode and command 0.
  std::uint64_t record = 0;
  // enter, leaf: the stack entries from the caller's base up: the pushes (the
  // subroutine first), then the frame.
  std::int32_t nblock = 0;  // (enter, leaf)
  std::array<std::int32_t, maxformals + 1 + framesize> block{};
  // Each cell `to[i]` takes the value of cell `from[i]`: enter and leaf,
  // the formals the actuals' values; back, the actuals the formals'.
  std::array<std::int32_t, maxformals> to{}, from{};
  // leaf: the cell its value goes to, and the `given` actuals `givento[i]`
  // that take the value of formal `givenfrom[i]` at its END.
  std::int32_t target = 0, given = 0;
  std::array<std::int32_t, maxformals> givento{}, givenfrom{};
};

// A run from the CALL at statement `line`, found for the frame (first
// result cell and stack base: `frame`, framekey()), the scope, the stop
// line, `callepoch` and run it starts from. `complete` when it ends where
// the chain would go on with another kind of statement (or the first
// CALL's return); else it ends at a statement that was not ready yet (a
// form not checked in that frame, a call not yet found fit or bound), and
// is found again when it is next met (`builds` times at most for the same
// start).
struct CallRun {
  std::uint64_t run = 0, epoch = 0, frame = 0;
  std::int32_t line = 0, stop = 0, scope = 0;
  bool complete = false;
  std::uint8_t builds = 0;
  std::int32_t nsteps = 0;
  // The subroutines it enters (none active where it starts).
  std::int32_t nsubs = 0;
  std::array<std::int32_t, maxrun> subs{};
  std::array<RunStep, maxrun> steps{};
};

// The run from the CALL at statement `line` (`forms` by statement), met
// in the frame of first result cell ft and stack base `base` of subroutine
// `scope` (0 the main program): its steps, as far as they go.
void findrun(CallRun& run, std::vector<Form>& forms, std::int32_t line, std::int32_t ft,
             std::int32_t base, std::int32_t scope);

}  // namespace exec::fast
