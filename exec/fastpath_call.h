// A function reference run in one step (exec/fastpath_call.cpp). Internal
// to the fast path.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/runwords.h"
#include "exec/alarms.h"
#include "exec/fastpath_form.h"
#include "exec/postfix.h"
#include "platform/win_queue_idle.h"

namespace exec::fast {

// Runs the function reference w (its function and arguments on the operand
// stack) in one step when the function's statements up to its END are
// plain assignments (under one-line IFs or not), all with checked forms,
// and nothing between could stop, fail or be seen; the stores and run words are then as the general
// path leaves them after the return, with `wordpos` on the word after w. False when the general
// path must run it; nothing was changed then.
bool inlinecall(std::int16_t w, const std::vector<Form>& forms);

// The steps of inlinecall, for a statement that keeps its operands itself.
// What a reference bound: the function, its arguments and frame, the
// formals' and the function value's cells as they were, and the value.
inline constexpr std::int32_t maxformals = 8;
// The most statements before its END of a function run so.
inline constexpr std::int32_t maxbody = 8;
// The most references in a function's statement that bindcall() computes
// with its references (see nestedvalue() in exec/fastpath_call.cpp).
inline constexpr std::int32_t maxinner = 4;
struct Known;
// (The function, its arguments and frame are those `known` holds.)
struct Bound {
  const Known* known = nullptr;  // what the reference found of the function
  std::array<double, maxformals> kept;
  double keptvalue, v = 0.0;
  // Where the function's statements are more than one unconditional
  // assignment to its value: the first `ran` targets' cells as each found
  // them, and the value its last program form left in its result cell (if
  // it has one; else `v` stands for it). (No initial values: a Bound is
  // made for every reference.)
  std::array<double, maxbody> keptcells;
  std::int32_t ran;
  double rc;
  bool plainback = true;  // the return gives each actual its formal's value back unchanged
  // A function computed with the references in its statement: the count
  // of its nest (they are bound with it, made or put back with it), else 0.
  std::uint32_t nest = 0;
};
// The run state a reference is taken in one step from (a RUN, nothing
// pending or typed), in the main program or in a subroutine or function
// (whose call leaves the command `incall`).
inline constexpr std::int8_t incall = -13;
inline bool runstate() {
  return (core::idecmd == -1 || core::idecmd == incall) && core::xeqstop == 0 &&
         (core::keyrec[2] & 1) == 0 &&
         (core::xeqmode & (core::runmode::callback | core::runmode::single |
                           core::runmode::running)) == core::runmode::running &&
         !alarmreset && core::keyrec[0] == 0 && core::keyrec[1] != 1 && win::queue_idle() &&
         !stepwatch;
}
// The command that a call from that state keeps in its callee's record
// and that the return gives back.
inline std::int32_t savedcmd() {
  return core::idecmd == incall ? incall : alarmsavedcmd > 127 ? -1 : alarmsavedcmd;
}
// Function S with the n actuals given, referenced by the word at `site`
// from a stack of height
// ptr (the function and its actuals the top n + 1 entries) with `first`
// the next result cell: checks what the general path would find, binds
// the formals and computes the value. False (nothing changed) when the
// general path must run it.
bool bindcall(std::int32_t site, std::int32_t S, std::int32_t n, std::int32_t ptr,
              std::int32_t first, const std::int32_t* actuals, const std::vector<Form>& forms,
              Bound& b);
// Whether what bindcall() found at `site` (its other arguments as for
// it, in the frame it runs in now) is that its function is not one it
// takes: that holds while `callepoch - kindmoves` stays.
bool unfitsite(std::int32_t site, std::int32_t S, std::int32_t n, std::int32_t ptr,
               std::int32_t first);
// Puts the formals' and the value's cells back (the reference is not made).
void unbind(const Bound& b);
// Whether a formal that `known` matched to an array or a text (its cell
// tells where that lies) is handed one of the same type and address that
// lies elsewhere, a piece of a text between other places, say (the same
// result cell): the function's forms found where the formal's lay, so the
// general path binds it and has them look again.
bool viewmoved(const Known& known, const std::int32_t* actuals);
// (commitcall() and commitchained(), which make a reference so bound, are
// in line: exec/fastpath_bind.h, with bindref(), bindcall() in line.)

// enter() of a CALL (not a function reference) taken in a RUN (runstate()
// holds): the same frame, bindings, record and jump, without the checks
// that such a run answers already. False, nothing changed, when enter()
// must do it (the frame does not fit the stack). With `bound` the formals
// already have the types and addresses that these actuals give them.
bool enterrun(const Callee& c, std::int32_t n, const std::int32_t* formals, bool bound);
// The function reference w at `wordpos` (its function and actuals on the
// operand stack) entered as enterrun() enters a CALL, in such a run; false,
// nothing changed, when call() must do it (it may fail).
bool referencerun(std::int16_t w);
// leave() for the END or RETURN of a subroutine or function entered in
// such a run (`known` what the last return found of it, brought up to
// date); the same stores and run words, and `r` its answer (a function's
// value then stands in its caller's statement, `wordpos` after its
// reference). False, nothing changed, when leave() must do it (a function
// without a value, a frame dropped or entered otherwise, a callback run, a
// pending command). Called after the END's or RETURN's first steps on the
// word path (wordprologue()), which left the record of the first result
// cell fresh.
bool leaverun(Callee& known, WordResult& r);

// (A chain of forms makes and leaves a CALL's frame by enterchain() and
// returnchain(), exec/fastpath_frames.h.)

}  // namespace exec::fast
