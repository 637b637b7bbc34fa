// A CALL's frame made and left by the fast path's own road: by the calls
// and returns of exec/fastpath_call.cpp, and in line by the chains of
// forms of exec/fastpath.cpp. Internal to the fast path.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/program.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/alarms.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/fastpath_call.h"
#include "exec/xeq.h"

namespace exec::fast {

// What a return found of the subroutine it left and of its frame, for
// the subroutine's record as it was and the stack's base then: the stores
// only grow within a run, so what was found holds while both stay.
struct Left {
  std::uint64_t run = 0;     // `runepoch` it was found in
  std::uint64_t record = 0;  // the subroutine's record (its cell's bits)
  std::int32_t S = 0, base = 0, m = 0;
  std::int32_t header = 0;  // (where its formals stand in the program)
  bool function = false;
  // The header's formals, when there are at most maxformals and each
  // names a cell (`plain`).
  bool plain = false;
  std::array<std::int32_t, maxformals> formals{};
  // The bounds of the statement that a function's return goes on in, for
  // statement `boundsline` (0 none).
  std::int32_t boundsline = 0, boundsstart = 0, boundsend = 0;
  // The record's fields: the return statement, the count of actuals, the
  // mode and command it gives back; the record with no return statement.
  std::int32_t line = 0, count = 0, mode = 0;
  std::int8_t cmd = 0;
  std::uint64_t cleared = 0;
  // The scope a return went back to last and its `lokalsub` (names keep
  // their scopes within a run); -1 none yet.
  std::int32_t backscope = -1;
  std::int16_t backsub = 0;
};
inline std::array<Left, 64> lefts;  // by subroutine symbol

// findleft() when `lefts` holds nothing for the frame: looks at the
// record and the header anew.
Left* findleftnew(Callee& known, std::int32_t S, std::int32_t b);

// What a return from subroutine S with its frame below stack base b finds
// (`known` brought up to date when it is looked at anew); null when
// leave() must look.
// (A subroutine found in this run has its cells still: findleftnew() found
// them, and the stores only grow within a run.)
[[gnu::always_inline]] inline Left* findleft(Callee& known, std::int32_t S, std::int32_t b) {
  Left& left = lefts[static_cast<std::uint32_t>(S) % lefts.size()];
  std::uint64_t bits = 0;
  if (left.run == runepoch && left.S == S && left.base == b &&
      (std::memcpy(&bits, core::z.data() + S, sizeof bits), bits == left.record))
    return &left;
  return findleftnew(known, S, b);
}

// The `lokalsub` that a return into `scope` leaves.
[[gnu::always_inline]] inline std::int16_t subof(std::int32_t scope) {
  return scope >= 1 && scope <= core::nsym && scope <= core::name.size()
             ? core::name.data()[scope - 1].scope
             : std::int16_t{0};
}
// The same for the return that `left` was found for, kept with it.
[[gnu::always_inline]] inline std::int16_t subof(Left& left, std::int32_t scope) {
  if (left.backscope != scope) {
    left.backsub = subof(scope);
    left.backscope = scope;
  }
  return left.backsub;
}

// The return's give-back: each actual (a symbol or the cell of an array
// element) takes the value of the formal the subroutine's header names
// for it. (The stores only grow within a run: a formal found to name a
// cell still does.)
[[gnu::always_inline]] inline void giveleft(const Left& left, const std::int32_t* actuals) {
  double* const cells = core::z.data();
  const std::int32_t zlast = static_cast<std::int32_t>(core::z.size()) - 1;
  const std::int32_t m = left.m;
  if (left.plain) {
    for (std::int32_t i = 0; i < m; ++i) {
      const std::int32_t a = actuals[i];
      if (a >= 1 && a <= zlast) cells[a] = cells[left.formals[static_cast<std::size_t>(i)]];
    }
    return;
  }
  const std::int16_t* const header = core::xeqbuf.data() + left.header;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t formal = header[i];
    const std::int32_t a = actuals[i];
    if (formal >= 1 && formal <= zlast && a >= 1 && a <= zlast) cells[a] = cells[formal];
  }
}

// The mode, command and stop word that a return leaves, from what the
// callee's record kept and the frame's scope.
[[gnu::always_inline]] inline void givemode(const Left& left, std::int32_t scope) {
  const std::int32_t mode = left.mode;
  core::xeqmode = stoppedflag ? (mode & ~core::runmode::running) : mode;
  core::xeqstop = (mode & 0x02) && scope == tablescope ? stops::callback : 0;
  const std::int8_t cmd = left.cmd;
  core::idecmd = cmd;
  if (alarmsavedcmd == cmd) alarmsavedcmd = -1;
  if (cmd < -1 && cmd != incall) core::xeqmode |= core::runmode::running;
}

// enterrun() for a chain of forms, which keeps the run words `xeqline`,
// `wordpos` and the stack pointer in its locals: the CALL at statement
// `line` (its call word `callword`) with the subroutine and its n actuals
// pushed above stack base `base`, the formals already bound with the
// types and addresses these actuals give them and room for the frame
// found; the callee's base is then base + n + 1 + framesize, its first
// statement the subroutine's.
[[gnu::always_inline]] inline void enterchain(const Callee& c, std::int32_t n,
                                              const std::int32_t* formals, std::int32_t base,
                                              std::int32_t line, std::int32_t callword) {
  const std::int32_t S = c.S;
  const std::int32_t p = base + 1 + n;
  std::int32_t* const stack = core::adrs.data() - 1;          // stack[i] is adrs(i)
  core::SymbolRecord* const records = core::name.data() - 1;  // records[s] is name(s)
  double* const cells = core::z.data();
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  ++calldepth;
  // The frame: five entries above the actuals.
  stack[p + 1] = core::lokalscope;
  stack[p + 2] = base;
  stack[p + 3] = callword;
  stack[p + 4] = firsttemp;
  stack[p + 5] = wcall;
  framekept(core::lokalscope);
  core::xeqstackbase = p + framesize;
  core::lokalsub = records[S].scope;
  core::lokalscope = S;
  // The formals take the actuals' values (their types and addresses are
  // those these actuals give).
  const std::int32_t m = std::min(c.formals, n);
  const std::int32_t* const actuals = stack + base + 2;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t a = actuals[i];
    cells[formals[i]] = a >= 0 && a < zsize ? cells[a] : 0.0;
  }
  // The record: the return statement, the mode and command the call
  // leaves (a RUN's -1 becomes the call's), the count of actuals, each
  // field stored in its place.
  char* const fields = reinterpret_cast<char*>(cells + S);
  const auto back = static_cast<std::int16_t>(line + 1);
  const auto modecmd = static_cast<std::int16_t>((core::xeqmode & core::runmode::framebits & 0xFF) |
                                                 ((savedcmd() & 0xFF) << 8));
  const auto count = static_cast<std::int16_t>(n);
  std::memcpy(fields + sizeof(std::int16_t), &back, sizeof back);
  std::memcpy(fields + 2 * sizeof(std::int16_t), &modecmd, sizeof modecmd);
  std::memcpy(fields + 3 * sizeof(std::int16_t), &count, sizeof count);
  core::idecmd = incall;
}

}  // namespace exec::fast
