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
#include <vector>

#include "exec/fastpath_call.h"
#include "exec/fastpath_form.h"

namespace exec::fast {

// The most statements in a run.
inline constexpr std::int32_t maxrun = 16;

// One statement of a run.
struct RunStep {
  enum class Op : std::uint8_t {
    enter,  // a CALL that enters its subroutine
    leaf,   // a CALL of a subroutine of one assignment, run in one step
    back,   // an END or RETURN alone: the return to the CALL's caller
  };
  Op op = Op::enter;
  std::int32_t line = 0;            // the statement
  std::int32_t start = 0, end = 0;  // its first word and the next statement's
  std::int32_t S = 0;               // the subroutine
  std::int16_t f1 = 0;              // enter, leaf: its statement, as its record holds it
  std::int16_t sub = 0;             // enter: the callee's `lokalsub`; back: the caller's
  std::int32_t n = 0;               // enter: the actuals pushed (the record's count)
  std::int32_t m = 0;               // enter: the formals bound; back: the actuals given back
  std::int32_t base = 0, scope = 0;  // the caller's stack base and scope
  std::int32_t callword = 0;        // enter: the CALL word's place
  std::int32_t next = 0;            // the statement after it
  // enter: the cells pushed, the subroutine first; each formal `to[i]`
  // takes the value of cell `pushed[i + 1]`. back: each cell `to[i]` takes
  // the value of formal `from[i]`.
  std::array<std::int32_t, maxformals + 1> pushed{};
  std::array<std::int32_t, maxformals> to{}, from{};
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
