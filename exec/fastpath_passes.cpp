// Running a program form that assigns to a whole array: one pass for each
// element of the target, `$` the pass number, every array read in step
// with the passes at the element the pass stands at. The passes are all
// computed before any element is stored (each pass reads elements of the
// target that no pass before it wrote), so a pass that gives up (a number
// that is none, an index outside its array) changes nothing and the
// general path runs the statement from its start.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/stores.h"
#include "exec/fastpath_numbers.h"
#include "exec/fastpath_prog.h"

namespace exec::fast {

namespace {

// The values of the passes, kept between runs so that nothing is allocated
// once it is large enough. (The executor runs on one thread.)
std::vector<double> passvalues;

std::int64_t count(const Slot& s) { return static_cast<std::int64_t>(s.rows) * s.cols; }

}  // namespace

ProgResult runpasses(const Prog& g) {
  ProgResult res;
  if (!g.passes || g.passtarget < 0) return res;
  const Slot& t = g.slots[static_cast<std::size_t>(g.passtarget)];
  const std::int64_t n = count(t);
  // Every array runs at least as far as the target: the general path
  // stops or repeats its passes otherwise.
  for (const Slot& s : g.slots)
    if (s.array && count(s) < n) return res;
  if (n < 1 || t.first < 1 || t.first + n > static_cast<std::int64_t>(core::z.size())) return res;
  // Only the target's own element is read where the passes write: a view
  // laid over the target's cells, or a number in one of them, is read
  // after the passes before wrote it (the general path's).
  const auto written = [&](std::int64_t c) { return c >= t.first && c < t.first + n; };
  for (const Slot& s : g.slots)
    if (s.array && s.sym != t.sym && s.first < t.first + n && s.first + count(s) > t.first)
      return res;
  for (const PStep& s : g.steps) {
    const bool cells = s.op == P::num || (s.flag & 1) != 0;
    if ((cells && written(s.a)) || ((s.flag & 2) != 0 && written(s.b))) return res;
  }
  if (passvalues.size() < static_cast<std::size_t>(n))
    passvalues.resize(static_cast<std::size_t>(n));
  double* const out = passvalues.data();
  const double* const z = core::z.data();
  const auto zsize = static_cast<std::int32_t>(core::z.size());
  const PStep* const first = g.steps.data();
  const PStep* const last = first + g.steps.size();
  double stack[plaindepth];
  std::int32_t targetcell = 0;
  for (std::int32_t pass = 1; pass <= n; ++pass) {
    double* sp = stack;
    for (const PStep* step = first; step != last; ++step) {
      const PStep& s = *step;
      switch (s.op) {
        case P::pass:
          *sp++ = pass;
          continue;
        case P::pelem:
          *sp++ = z[g.slots[static_cast<std::size_t>(s.a)].first + pass - 1];
          continue;
        case P::tpelem:
          continue;
        case P::assign:
          out[pass - 1] = *--sp;
          continue;
        default:
          break;
      }
      double r = 0.0;
      switch (numstep(g, s, z, zsize, nullptr, sp, r, targetcell)) {
        case Num::pushed:
          continue;
        case Num::made:
          if (!pushmade(r, sp)) return res;
          continue;
        case Num::giveup:
        case Num::other:
          return res;
      }
    }
  }
  std::memcpy(core::z.data() + t.first, out, static_cast<std::size_t>(n) * sizeof(double));
  res.done = true;
  res.value = out[n - 1];
  return res;
}

void passcells(const Prog& g) {
  if (core::nsym < 6 || g.passtarget < 0) return;
  const Slot& t = g.slots[static_cast<std::size_t>(g.passtarget)];
  const std::int32_t r = t.rows * t.cols, cols = std::max(t.cols, 1);
  double* const z = core::z.data();
  z[1] = r;
  z[3] = t.rows == 1 ? 1.0 : (r - 1) / cols + 1;
  z[4] = t.rows == 1 ? r : (r - 1) % cols + 1;
  z[5] = g.corner ? z[3] : 1.0;
  z[6] = g.corner ? z[4] : 1.0;
}

}  // namespace exec::fast
