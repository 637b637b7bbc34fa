// The statement loop XEQ: runs a compiled program statement after statement
// over the code words of `xeqbuf` (or one freshly translated statement),
// serving the IDE's pending command before every word and the input step
// between statements, until the script ends, stops, breaks, fails or hands
// a statement back to the run driver. The run words below are read by every
// other subsystem.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "exec/heldtexts.h"
#include "exec/operators.h"
#include "exec/xeqtemps.h"
#include "platform/win_window.h"

namespace exec {

// The stop codes of `xeqstop` (core/runwords.h).
namespace stops = core::stops;

// Run words of the loop.
inline std::int32_t stopline = 0;     // statement at which the run ends, 0 = none
inline std::int32_t firsttemp = 0;    // first temporary symbol of the current level
inline std::int32_t stmtstart = 0;    // position of the statement's first word
inline std::int32_t stmtend = 0;      // position of the next statement's first word
inline std::int32_t wordpos = 0;      // position of the word being executed
inline std::int32_t xeqstartpos = 0;  // start position of a resumed run, 0 = none
inline std::int32_t stmtflags = 0;    // 1 operator, 2 element, 4 FUZ, 0x10 DO header
inline bool rerunflag = false;        // the statement runs again with $ + 1
// A logical IF whose condition runs over whole arrays (it asked for the
// next $ when it held): the statement it guards runs once for each element
// while the condition holds, whatever it stores into. The statement's first
// word and its frame's stack base; 0 none.
inline std::int32_t condpassstmt = 0;
inline std::int32_t condpassbase = 0;
inline std::uint8_t jumpedflag = 0;   // 0xFF: the statement was entered by a jump
inline std::int32_t calldepth = 0;    // active subroutine calls
inline std::int32_t callkind = 0;     // 0xE080 CALL, 0xE160 function reference, 0 none
// A CALL statement that ends DO loops (its words end in the label and
// CONTINUE) returns to itself, not to the statement after it: once back,
// only its loop end runs. The statement so waiting, 0 none.
inline std::int32_t calltail = 0;
// An XEQ statement that ends DO loops has handed its text to the run
// driver: when the driver goes on after it, its loop end runs first (as
// `calltail`). The statement, 0 none.
inline std::int32_t xeqtail = 0;
inline std::int16_t resumecode = 0;  // statement code of a statement that re-enters
inline std::int16_t resumemarker = 0;
inline std::int16_t savedmode = 0;
inline std::int32_t eventcmd = 0;    // window-event command being served
inline std::int32_t eventlabel = 0;  // label or subroutine of a window event
// Called with the item number (`$$`) when a script window's toolbar or menu
// command (22100 and up) is served, before its handler runs: the window's
// state array and the menu's SelTxt variable follow the choice. Filled by
// the script windows at start-up; none: nothing.
inline void (*stateupdate)(std::int32_t item) = nullptr;
inline std::uint8_t stoppedflag = 0;    // 0xFF once a run stopped
inline std::int32_t evtflags = 0;       // input events seen by the waiting ALARM(1)
inline std::int32_t alarmwaitline = 0;  // the statement ALARM(1) last waited in
inline bool alarmreset = false;         // drop every subroutine frame at the statement's end
inline std::int32_t solvetarget = 0;    // symbol that receives SOLVE's result
// The dialog and the name scope that a table title's posted callback was
// taken in: the callback's return to that scope stops the run again.
inline win::HWND tablehwnd = nullptr;
inline std::int32_t tablescope = 0;
// Name buffer of the failing operation class ("function", "other") and of
// the alarm label names.
inline char opclass[9] = "        ";

// Entries of a call frame on the operand stack, below the callee's base.
inline constexpr std::int32_t framesize = 5;
// The marker of a function result not yet assigned: the smallest normal
// double.
inline constexpr double unassigned = 2.2250738585072014E-308;

// A CALL of a subroutine or function that is already active is refused.
inline constexpr std::string_view activesubkey = core::MSGKEY("subActive");
// The run came to the line that starts a subroutine or function: nothing
// called it.
inline constexpr std::string_view reachedsubkey = core::MSGKEY("subReached");

// Outcome of one word of the word path.
enum class WordResult {
  next,          // continue with the word after it
  stay,          // `wordpos` was set by the handler: continue there
  endstmt,       // end the statement now (end-of-statement steps, `xeqline` + 1)
  rerun,         // run the statement again
  looptest,      // go to the loop test (the handler set `xeqline` or `xeqstop`)
  stophandling,  // go to the stop handling (`xeqstop` set)
  leave,         // leave XEQ at once
  error,         // error exit: `msgkey` holds the key, `errsubject` the subject
  unknown,       // not this handler's word
};

// Handlers of the word families that the operand, assignment and option
// statement words and the built-in functions supply: operandwords gets
// every word that is neither a control word (0xE000 family but for the
// array element words 0xF400 and 0xF600, the block jump 0x8001, the end
// word 0x8000) nor a built-in function (W AND 0xE000 = 0xC000), which go to
// builtinwords. A handler reads the word at `wordpos`, may read the words
// around it through codeword(), and answers what the loop does next; a
// value-producing word finishes with takeresult(). Absent, such a word is
// error "xeqUnknown".
using WordHandler = WordResult (*)(std::int16_t word);
inline WordHandler operandwords = nullptr;
inline WordHandler builtinwords = nullptr;
// Subject symbol of the error exit (1 when none named).
inline std::int32_t errsubject = 1;

// The DO header being run: its `dorec` symbol and its parameter count
// (1 limit, 2 limit and step).
inline std::int32_t dosym = 0;
inline std::int32_t donargs = 0;

// The word at position p of the code being run; the end word 0x8000 outside it.
std::int16_t codeword(std::int32_t p);

// Sets `stmtstart` and `stmtend` for statement `xeqline` (or for the one
// translated statement in single-statement mode); the statement's end word
// stands at `stmtend` - 1.
void loadbounds();

namespace wholefold {
// Folds over whole arrays under way on the word path (exec/wholefolds.h):
// how many, and forgetting those of the frame whose base is `base` and of
// the frames above it, as a statement starts or runs again there.
inline std::int32_t underway = 0;
void drop(std::int32_t base);
}  // namespace wholefold

// The first steps of every statement on the word path: the run words that
// each such statement starts from.
inline void wordpathstart() {
  if (wholefold::underway != 0) wholefold::drop(core::xeqstackbase);
  eventcmd = 0;
  core::c1tmptop = textbase();
  core::keyrec[0] = 0;
  core::keystate[1] = 0;
  if (core::z.size() > 1) core::z.data()[1] = 1.0;
  rerunflag = false;
  core::iostatw[0] = 0;
  core::msgkey.blank();
  if (core::xeqmode & core::runmode::running) stoppedflag = 0;
}

// Tail step of a value-producing word: the top `consumed` entries of the
// operand stack are replaced by the result cell `iresult` (whose value the
// word wrote), and the next temporary is taken with the floating-point check.
inline void takeresult(std::int32_t consumed) {
  core::xeqstackptr = std::max(core::xeqstackptr - consumed, core::xeqstackbase);
  const std::int32_t p = ++core::xeqstackptr;
  if (p >= 1 && p <= core::adrs.size()) core::adrs.data()[p - 1] = core::iresult;
  INTERNALNXTTANDNDP();
}

// In a DO header (`stmtflags` bit 0x10), the assignment first takes the loop
// parameters off the stack: the step (with two parameters) and the limit go
// into the loop's cells. False with "stinkingDO" in `msgkey` otherwise.
bool takedoparams();
// True in a DO header whose DO word has run (`stmtflags` bit 0x10 set
// again, with the loop and its parameter count, where a function that its
// parameters reference ran statements since).
bool doheader();
// The loop-end test of a DO header, right after the start value is stored:
// a loop whose start lies beyond its limit goes to its last statement. Ends
// the statement.
WordResult doendtest();

// Runs the program (code = xeqbuf from its first word) or one translated
// statement (code = tokcod from its first word, `xeqmode` bit 0x40).
void XEQ(std::span<const std::int16_t> code);

// The run driver's executor stage (core::xeqstage).
void runstage(std::span<const std::int16_t> code);

// Makes XEQ the run driver's executor stage; called once at start-up.
void installexecutor();

// Start values of the loop's words.
void reset_xeq();

}  // namespace exec
