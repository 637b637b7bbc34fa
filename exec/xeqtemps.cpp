#include "exec/xeqtemps.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/chars.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/postfix.h"

namespace exec {

std::string_view ndpletters(std::int32_t code) {
  switch (code) {
    case 0:
      return {};
    case 1:
      return "IR";
    case 2:
      return "DN";
    case 4:
      return "ZD";
    case 8:
      return "OF";
    default:
      return "IE";
  }
}

std::string_view ndpkey(std::int32_t code) {
  switch (code) {
    case 0:
      return {};
    case 1:
      return xeqkeys::ndpkeys[0];
    case 2:
      return xeqkeys::ndpkeys[1];
    case 4:
      return xeqkeys::ndpkeys[2];
    case 8:
      return xeqkeys::ndpkeys[3];
    default:
      return xeqkeys::ndpkeys[4];
  }
}

// The growth of the stores for a result cell, kept out of line so that the
// usual case (the cell is there already) stays a few compares.
[[gnu::noinline]] bool growforresult(std::int32_t k) {
  std::int32_t extra = std::max(64, k - core::nname + 64);
  if (k >= core::nname && !core::REALLOC(4, extra)) return false;
  // Result cells lie between the symbol cells and the top block of `z`.
  while (k >= core::nztop || !core::z.valid(k)) {
    const std::int32_t oldtop = core::nztop, oldnz = core::nz;
    // `z` is fitted to the symbols and the arrays: the result cells above
    // the symbols come as extra room.
    extra = std::max(k - core::nsym, 0) + 1000;
    // The growth keeps only the symbols' cells and the arrays: the result
    // cells made so far are carried over.
    const std::int32_t from = core::nsym + 1, to = std::min(k, oldtop) - 1;
    std::vector<double> held;
    for (std::int32_t c = from; c <= to && core::z.valid(c); ++c) held.push_back(core::z(c));
    if (!core::REALLOC(3, extra) || core::nztop <= oldtop) return false;
    for (std::size_t i = 0; i < held.size(); ++i)
      core::z(from + static_cast<std::int32_t>(i)) = held[i];
    // The top block moved: cells that a running statement holds follow it.
    if (core::nz != oldnz && zmoved) zmoved(oldtop, oldnz, core::nz - oldnz);
  }
  return core::name.valid(k);
}

void ndpfailure(std::int32_t code) {
  core::xeqstop = core::stops::error;
  if (core::nomsg != 0) return;
  std::array<std::int16_t, 4> words{static_cast<std::int16_t>(core::xeqline),
                                    static_cast<std::int16_t>(code), 0, 0};
  core::HelpValues values;
  values.halves = words;
  int answer = 0;
  // (The key and status that the evaluator gives a failed calculation.)
  core::HELP(xeqerrorkey(3300), answer, values);
}

}  // namespace exec
