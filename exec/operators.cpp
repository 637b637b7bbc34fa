// The expression entries of the operators: operand fetch, the location
// forms of MAX and MIN, result placement, and the one-operand forms.
#include <algorithm>
#include <cmath>

#include "core/runwords.h"
#include "core/stores.h"
#include "exec/operands.h"
#include "exec/operators.h"
#include "exec/strings.h"
#include "exec/tempstrings.h"
#include "exec/xeq2.h"
#include "exec/xeqtemps.h"

namespace exec {

namespace {

bool ismaxmin(unsigned op) {
  return op == xop::max || op == xop::maxloc || op == xop::min || op == xop::minloc;
}

// MAX and MIN take the right operand when it is larger (smaller); the
// element where that happened is noted for MAXLOC and MINLOC.
double maxmin(unsigned op, double a, double b) {
  const bool takeb = (op == xop::max || op == xop::maxloc) ? b > a : b < a;
  if (takeb) {
    xeqexpr.maxlocpos =
        xeqexpr.iseg > 0 ? xeqexpr.segidx[static_cast<std::size_t>(xeqexpr.iseg)] : xeqexpr.ielem;
    return b;
  }
  if (xeqexpr.maxlocpos == static_cast<std::int32_t>(0x80000001u)) xeqexpr.maxlocpos = 1;
  return a;
}

}  // namespace

std::int32_t XEQ2BIN(std::int32_t res, std::int32_t a, std::int16_t op, std::int32_t b) {
  const unsigned code = static_cast<std::uint16_t>(op);
  if (a < 0 || b < 0 || (iscatcode(code) && a >= 0 && b >= 0)) return binstring(res, a, code, b);
  const double x = core::z.valid(a) ? core::z(a) : 0.0;
  const double y = core::z.valid(b) ? core::z(b) : 0.0;
  double out = 0.0;
  if (ismaxmin(code)) {
    out = maxmin(code, x, y);
  } else {
    const std::int32_t st = binnumeric(code, x, y, false, out);
    if (st != 0) return st;
  }
  if (res > 0) {
    core::z(res) = out;
    return 0;
  }
  if (a > 0 && core::name.valid(a) && (core::name(a).type & 0x1) == 0) {
    core::z(a) = out;
    return 0;
  }
  core::z(core::iresult) = out;
  return -3;
}

std::int32_t XEQ2UNA(std::int32_t res, std::int32_t a, std::int16_t op) {
  const unsigned code = static_cast<std::uint16_t>(op);
  if (!core::z.valid(res)) return 0;
  if (a < 0) return unastring(res, a, code);
  const double x = core::z.valid(a) ? core::z(a) : 0.0;
  const std::int32_t d = xeqexpr.idescr;
  const auto k = static_cast<std::size_t>(d > 0 ? d : -d);
  if (code == xop::len) {
    core::z(res) =
        (d == 0 || k > static_cast<std::size_t>(maxtemps)) ? 1.0 : tmpend[k] - tmpbeg[k] + 1;
    return 0;
  }
  if (code == xop::lentrim) {
    if (d == 0 || k > static_cast<std::size_t>(maxtemps)) {
      core::z(res) = 1.0;
      return 0;
    }
    if (tmpbeg[k] == tmporig[k]) return unastring(res, -static_cast<std::int32_t>(k), code);
    // The position of the array's last non-zero element.
    double pos = 0.0;
    if (d > 0) {
      const std::int32_t n = tmpend[k] - tmpbeg[k] + 1;
      for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t c = tmporig[k] + i;
        if (core::z.valid(c) && core::z(c) != 0.0) pos = i + 1;
      }
    }
    core::z(res) = pos;
    return 0;
  }
  core::z(res) = unanumeric(code, x);
  return 0;
}

}  // namespace exec
