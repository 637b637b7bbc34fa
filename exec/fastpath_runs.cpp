// Runs of CALLs and returns found for a chain of forms (see
// exec/fastpath_runs.h): the statements that follow a CALL, walked as the
// chain would meet them, each checked as the chain checks it before it
// runs, with what its stores need found once.
#include "exec/fastpath_runs.h"

#include <algorithm>
#include <cstring>

#include "core/program.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/control.h"
#include "exec/fastpath.h"
#include "exec/xeq.h"

namespace exec::fast {

namespace {

// The CALL's stack entries (its n + 1 pushes) laid into the step, and
// each of its m formals bound to the cell of its actual: false where an
// actual or a formal (below `lowest`) is no cell.
bool bindpushed(RunStep& s, const std::int32_t* pushed, const std::vector<std::int32_t>& formals,
                std::int32_t n, std::int32_t m, std::int32_t zsize, std::int32_t lowest) {
  for (std::int32_t i = 0; i <= n; ++i) s.block[static_cast<std::size_t>(i)] = pushed[i];
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int32_t a = pushed[i + 1];
    const std::int32_t formal = formals[static_cast<std::size_t>(i)];
    if (a < 0 || a >= zsize || formal < lowest || formal >= zsize) return false;
    s.to[static_cast<std::size_t>(i)] = formal;
    s.from[static_cast<std::size_t>(i)] = a;
  }
  return true;
}

}  // namespace

void findrun(CallRun& run, std::vector<Form>& forms, std::int32_t line, std::int32_t ft,
             std::int32_t base, std::int32_t scope) {
  run.nsteps = 0;
  run.nsubs = 0;
  run.complete = false;
  run.scope = scope;
  const core::SymbolRecord* const records = core::name.data() - 1;  // records[s] is name(s)
  const std::int32_t nsym =
      std::min<std::int32_t>(core::nsym, static_cast<std::int32_t>(core::name.size()));
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  const double* const cells = core::z.data();
  const std::int16_t* const program = core::xeqbuf.data();
  const auto programsize = static_cast<std::int32_t>(core::xeqbuf.size());
  const auto subof = [&](std::int32_t s) -> std::int16_t {
    return s >= 1 && s <= nsym ? records[s].scope : std::int16_t{0};
  };
  // The frames the run entered and has not left yet (their steps), and
  // what each one's return gives back.
  struct Open {
    std::int32_t step = 0, m = 0;
    std::array<std::int32_t, maxformals> to{}, from{};
  };
  std::array<Open, maxrun> open;
  std::int32_t depth = 0;
  // Whether subroutine S runs where the run stands now: the one it started
  // in and those it entered (the frames below, at its start).
  const auto active = [&](std::int32_t S) {
    if (S == run.scope) return true;
    for (std::int32_t k = 0; k < depth; ++k)
      if (run.steps[static_cast<std::size_t>(open[static_cast<std::size_t>(k)].step)].S == S)
        return true;
    return false;
  };
  const auto subentered = [&run](std::int32_t S) {
    if (std::find(run.subs.begin(), run.subs.begin() + run.nsubs, S) ==
        run.subs.begin() + run.nsubs)
      run.subs[static_cast<std::size_t>(run.nsubs++)] = S;
  };
  for (;;) {
    if (run.nsteps == maxrun || line < 1 || line > core::nstmt ||
        static_cast<std::size_t>(line) >= forms.size() || line == stopline) {
      run.complete = true;
      return;
    }
    Form& g = forms[static_cast<std::size_t>(line)];
    const std::uint64_t key = framekey(ft, base);
    if (g.kind != Kind::call && g.kind != Kind::ret) {
      run.complete = true;
      return;
    }
    // (Not ready yet in this frame: the chain's own road readies it.)
    if (g.live != epoch || g.roomframe != key) return;
    RunStep& s = run.steps[static_cast<std::size_t>(run.nsteps)];
    s = RunStep{};
    s.line = line;
    s.start = g.start;
    s.end = g.end;
    s.base = base;
    s.scope = scope;
    if (g.kind == Kind::ret) {
      // (The run does not return past the frame it started in.)
      if (depth == 0) {
        run.complete = true;
        return;
      }
      const Open& o = open[static_cast<std::size_t>(--depth)];
      const RunStep& e = run.steps[static_cast<std::size_t>(o.step)];
      s.op = RunStep::Op::back;
      s.S = e.S;
      s.f1 = e.f1;
      s.n = e.n;
      s.m = o.m;
      s.to = o.to;
      s.from = o.from;
      s.base = e.base;
      s.scope = e.scope;
      s.sub = subof(e.scope);
      s.callword = e.callword;
      s.next = e.line + 1;
      s.record = e.record;
      s.inner = std::max(base - framesize - e.n - 1, e.base);
      ++run.nsteps;
      line = s.next;
      base = e.base;
      scope = e.scope;
      if (depth == 0) {
        // The first CALL is over.
        run.complete = true;
        return;
      }
      continue;
    }
    const Callee& c = g.callee;
    const std::int32_t S = c.S;
    if (c.f1 == 0 || c.function || S < 1 || S > nsym || S + 1 >= zsize || active(S)) {
      run.complete = true;
      return;
    }
    std::int16_t f1 = 0;
    std::memcpy(&f1, cells + S, sizeof f1);
    if (f1 != c.f1) {
      run.complete = true;
      return;
    }
    s.S = S;
    s.f1 = f1;
    // Whether the subroutine runs in one step is found by the chain's own
    // road for this frame; so is its formals' binding.
    if (g.leafepoch != callepoch || g.leafframe != key || g.leafstop != stopline) return;
    if (g.leaf) {
      // The call, the assignment and the END made as runleaf() makes them,
      // with what it looks up found here: the stack entries, the binding,
      // the cell the value goes to and the formals given back. (A call
      // that binds a formal to no cell is the chain's own.)
      const auto n = static_cast<std::int32_t>(g.pushes.size()) - 1;
      const auto m = static_cast<std::int32_t>(g.formals.size());
      const std::size_t bodyat = static_cast<std::size_t>(c.f1) + 1;
      const std::int32_t at = c.hp - c.formals;
      if (n < 0 || n > maxformals || m > maxformals || bodyat + 1 >= forms.size() ||
          (m > 0 && (at < 0 || at + m > programsize))) {
        run.complete = true;
        return;
      }
      const Form& body = forms[bodyat];
      s.target = body.kind == Kind::prog ? ft + 1 : body.target;
      if (s.target < 1 || s.target >= zsize) {
        run.complete = true;
        return;
      }
      const std::int32_t* const pushed = pushedcells(g);
      if (!bindpushed(s, pushed, g.formals, n, m, zsize, 0)) {
        run.complete = true;
        return;
      }
      for (std::int32_t i = 0; i < m; ++i) {
        const std::int32_t a = pushed[i + 1];
        const std::int32_t headed = program[at + i];
        if (headed >= 1 && headed < zsize && a >= 1) {
          s.givento[static_cast<std::size_t>(s.given)] = a;
          s.givenfrom[static_cast<std::size_t>(s.given)] = headed;
          ++s.given;
        }
      }
      const Form& endform = forms[bodyat + 1];
      s.start = endform.start;
      s.end = endform.end;
      s.n = n;
      s.m = m;
      s.sub = subof(scope);
      s.callword = g.start + n + 1;
      s.inner = base + n + 1 + framesize;
      s.record = recordbits(f1, 0, 0, static_cast<std::int16_t>(n));
      const std::array<std::int32_t, framesize> frame{scope, base, s.callword, ft, wcall};
      std::copy(frame.begin(), frame.end(), s.block.begin() + n + 1);
      s.nblock = n + 1 + framesize;
      s.op = RunStep::Op::leaf;
      s.next = line + 1;
      subentered(S);
      ++run.nsteps;
      ++line;
      continue;
    }
    if (g.boundepoch != callepoch) return;
    const auto n = static_cast<std::int32_t>(g.pushes.size()) - 1;
    const std::int32_t m = std::min(c.formals, n);
    if (!g.frameroom || n < 0 || n > maxformals ||
        m > static_cast<std::int32_t>(g.formals.size())) {
      run.complete = true;
      return;
    }
    const std::int32_t* const pushed = pushedcells(g);
    if (!bindpushed(s, pushed, g.formals, n, m, zsize, 1)) {
      run.complete = true;
      return;
    }
    // What the return gives back, as findleftnew() finds it: the formals of
    // the header, each naming a cell.
    Open& o = open[static_cast<std::size_t>(depth)];
    o.step = run.nsteps;
    o.m = 0;
    const std::int32_t at = c.hp - c.formals;
    if (m > 0 && (at < 0 || at + m > programsize)) {
      run.complete = true;
      return;
    }
    for (std::int32_t i = 0; i < m; ++i) {
      const std::int32_t formal = program[at + i];
      const std::int32_t a = pushed[i + 1];
      if (formal < 1 || formal >= zsize) {
        run.complete = true;
        return;
      }
      if (a >= 1 && a < zsize) {
        o.to[static_cast<std::size_t>(o.m)] = a;
        o.from[static_cast<std::size_t>(o.m)] = formal;
        ++o.m;
      }
    }
    s.op = RunStep::Op::enter;
    s.n = n;
    s.m = m;
    s.sub = records[S].scope;
    s.callword = g.start + n + 1;
    s.next = c.f1 + 1;
    s.inner = base + n + 1 + framesize;
    s.record = recordbits(f1, static_cast<std::int16_t>(line + 1), 0, static_cast<std::int16_t>(n));
    // The frame above the pushes.
    const std::array<std::int32_t, framesize> frame{scope, base, s.callword, ft, wcall};
    std::copy(frame.begin(), frame.end(), s.block.begin() + n + 1);
    s.nblock = n + 1 + framesize;
    subentered(S);
    ++depth;
    ++run.nsteps;
    line = s.next;
    base = base + n + 1 + framesize;
    scope = S;
  }
}

}  // namespace exec::fast
