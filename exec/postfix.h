// The postfix evaluator: runs one linked statement (exec/xeq2.h) element
// pass by element pass, pushing operands, applying operators and
// functions, calling the option statements and variable-argument functions
// that stand inside expressions, assigning and exchanging values, and
// taking the decisions of block IF chains.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/messages.h"
#include "platform/indexed.h"

namespace exec {

// Results of XEQ3 besides 0 and the error codes.
inline constexpr std::int32_t xeqfalseblock = static_cast<std::int32_t>(0x80000021u);
inline constexpr std::int32_t xeqoptbase = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t xeqkeyed = static_cast<std::int32_t>(0x80000000u);
// The value of a false or undefined result.
inline constexpr double falsevalue = 1.0e-251;
// Stack entry of an omitted argument.
inline constexpr std::int32_t omitted = 0x7FFFFFFF;

// Run-time block stack of IF chains: entries 1 to 8, depth `nblock`. An
// entry is 0 (no branch taken yet), minus a statement number (that
// statement's branch was taken) or the statement to go to when the
// condition fails.
inline std::int32_t nblock = 0;
inline plat::Store1<std::int32_t> blockstack(8);

// The block stack's step for the block word of kind `kind` (IF 0xF400,
// ELSEIF 0xF480, ELSE 0xF440, ENDIF 0xF4C0) in statement S, with its
// condition and the statement its jump names: `skip` when the statement's
// block is skipped; `decided` (false for ELSE and ENDIF, which test
// nothing) with the condition the stack took (false when a branch of the
// chain was taken already).
struct BlockStep {
  bool skip = false;
  bool decided = false;
  bool cond = false;
};
[[gnu::always_inline]] inline BlockStep blockstep(std::uint32_t kind, std::int32_t S, bool cond,
                                                  std::int32_t target) {
  BlockStep r;
  // (The stack's eight entries, read without the store's checks: `nblock`
  // stays within 0..8.)
  std::int32_t* const entries = blockstack.data() - 1;
  std::int32_t k = nblock;
  // Entries of this statement's own taken branch and of chains no branch
  // was taken in go. (Mostly the top one stays.)
  if (k > 0 && (entries[k] == -S || entries[k] == 0)) {
    do --k;
    while (k > 0 && (entries[k] == -S || entries[k] == 0));
  }
  if (kind == 0xF4C0u) {
    nblock = k > 0 ? k - 1 : 0;
    return r;
  }
  if (kind == 0xF440u) {
    nblock = k;
    r.skip = k < 1 || entries[k] != S;
    if (!r.skip) entries[k] = -S;
    return r;
  }
  if (kind == 0xF400u) {
    std::int32_t depth = k;
    if (k > 0) {
      const std::int32_t topentry = entries[k];
      for (std::int32_t j = 1; j <= k; ++j)
        if (entries[j] == topentry) {
          depth = j;
          break;
        }
    }
    k = depth + 1;
    if (k > 8) k = 1;
    entries[k] = 0;
  } else if (k < 1) {
    k = 1;
    entries[1] = 0;
  } else if (entries[k] < 0) {
    cond = false;
  }
  nblock = k;
  r.decided = true;
  r.cond = cond;
  std::int32_t& entry = entries[k];
  if (S < entry) {
    entry = cond ? -S : target;
  } else if (!cond) {
    if (entry < 0) {
      r.skip = true;
      return r;
    }
    entry = target;
  } else {
    entry = -S;
  }
  r.skip = entry > 0;
  return r;
}

// Whether the IF chain that an ELSEIF in statement S belongs to took a
// branch already (the ELSEIF's condition would count as false): the
// statement is then passed over without its condition being evaluated.
[[gnu::always_inline]] inline bool chaintaken(std::int32_t S) {
  const std::int32_t* const entries = blockstack.data() - 1;
  std::int32_t k = nblock;
  while (k > 0 && (entries[k] == -S || entries[k] == 0)) --k;
  return k > 0 && entries[k] < 0;
}

// Evaluates one linked statement. words and values: the linked word and
// operand lists, 1-based (entry 1 of words is 0, of values the split
// position plus the descriptor count `xeqexpr.ndescr`; then the descriptor
// kinds and their symbols; then the stream); nwords their used length;
// capacity the room of values (the value stack lies after entry nwords);
// split: values(1), the same as in the header entry. Results: 0 done; `xeqfalseblock` a false block
// condition; `xeqoptbase` + n option statement n ran; `xeqkeyed` a failure
// whose key stands in `msgkey`; 3001 to 3046 and 3300 evaluation errors.
// The arguments are by reference as the linker's `Evaluator` hook takes
// them (exec/xeq2.h); XEQ3 is installed in that hook at start-up.
std::int32_t XEQ3(std::span<std::int16_t> words, std::int32_t& nwords,
                  std::span<std::int32_t> values, std::int32_t& capacity, std::int32_t& split);

// Message keys of the evaluation errors: "xeq" followed by the code.
struct XeqErrorKey {
  std::int32_t code;
  std::string_view key;
};
inline constexpr XeqErrorKey xeqerrorkeys[] = {
    {3000, core::MSGKEY("stackUnderFlow")}, {3001, core::MSGKEY("xeq3001")},
    {3002, core::MSGKEY("xeq3002")},        {3003, core::MSGKEY("xeq3003")},
    {3005, core::MSGKEY("xeq3005")},        {3006, core::MSGKEY("xeq3006")},
    {3013, core::MSGKEY("xeq3013")},        {3014, core::MSGKEY("xeq3014")},
    {3020, core::MSGKEY("xeq3020")},        {3021, core::MSGKEY("xeq3021")},
    {3028, core::MSGKEY("xeq3028")},        {3032, core::MSGKEY("xeq3032")},
    {3033, core::MSGKEY("xeq3033")},        {3035, core::MSGKEY("xeq3035")},
    {3036, core::MSGKEY("xeq3036")},        {3037, core::MSGKEY("xeq3037")},
    {3038, core::MSGKEY("xeq3038")},        {3039, core::MSGKEY("xeq3039")},
    {3040, core::MSGKEY("xeq3040")},        {3041, core::MSGKEY("xeq3041")},
    {3042, core::MSGKEY("xeq3042")},        {3043, core::MSGKEY("xeq3043")},
    {3044, core::MSGKEY("xeq3044")},        {3045, core::MSGKEY("xeq3045")},
    {3046, core::MSGKEY("xeq3046")},        {3300, core::MSGKEY("xeq3300")},
    {3501, core::MSGKEY("xeq3501")},        {3502, core::MSGKEY("xeq3502")},
    {3503, core::MSGKEY("xeq3503")},        {3504, core::MSGKEY("xeq3504")},
    {2002, core::MSGKEY("xeq2002")}};
// The key of an evaluation error code; empty for a code without one.
std::string_view xeqerrorkey(std::int32_t code);

// Neighbouring services the evaluator calls; each is absent until its
// subsystem exists.
// A function with a variable number of arguments (word AND 0xE000 =
// 0xE000): 0 a number in the next result cell, r > 0 the temporary string
// r, -e the evaluation error e. The arguments are the top entries of
// stack(1..top); top is lowered past them.
using VarKommasFn = std::int32_t (*)(std::int32_t nextcell, std::span<std::int32_t> stack,
                                     std::int32_t& top, std::int16_t word);
inline VarKommasFn VARKOMMAS = nullptr;
// A LINE statement whose values come during the run: true while one is
// open; CALLBACKLINE then draws its next point.
inline bool (*linelive)() = nullptr;
inline void (*CALLBACKLINE)() = nullptr;
// The input step, which the program installs: run after every statement
// (unless a command or the break key is pending), every 1000th EDIT or POP
// call of a statement, and by built-ins that wait. Absent, nothing is
// pumped: no input reaches a run.
inline void (*PANLIOSTEP)() = nullptr;
inline void runinputstep() {
  if (PANLIOSTEP != nullptr) PANLIOSTEP();
}
// The program's own input step, as installed: with the queue idle, no key
// recorded, the alarms on and no variable watched it only clears the key
// state. A loop that finds PANLIOSTEP to be it, all that so and the key
// state clear may leave the step out (a test's own step is run).
inline void (*idlestep)() = nullptr;
// True while the installed input step has work even with the queue idle
// and no key waiting (a variable is watched for a break); the statement
// loop then leaves every statement's end to it.
inline bool stepwatch = false;

// Start values of the block stack.
void reset_postfix();

}  // namespace exec
