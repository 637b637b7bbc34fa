#include "ui/childwords.h"

#include <algorithm>
#include <cmath>

#include "core/stores.h"
#include "core/symbols.h"

namespace ui {

namespace {

constexpr std::int32_t typearray = 0x10;
constexpr std::int32_t typescalar = 0x80;
constexpr std::int32_t typechar = 0x40;

}  // namespace

std::int32_t nint(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::llround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

bool operandtext(std::int32_t sym, std::string& out) {
  out.clear();
  std::int32_t first = 0, last = 0;
  if (sym <= 0 || (core::ISCHAR(sym, first, last) & typechar) == 0) return false;
  if (first >= 1 && last >= first && core::c1namen.valid(last))
    out.assign(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
  return true;
}

double Numbers::at(std::int32_t i) const {
  if (count < 1) return 0.0;
  i = std::clamp(i, 1, count);
  const std::int32_t cell = first + i - 1;
  return core::z.valid(cell) ? core::z(cell) : 0.0;
}

Numbers numbersof(std::int32_t sym) {
  Numbers n;
  if (sym <= 0) return n;
  if (core::NAMTYP(sym, typearray) == typearray) {
    std::int32_t first = sym;
    core::ADR1FROMSYMBOL(first, sym);
    const std::int64_t count =
        static_cast<std::int64_t>(core::I4EQUZ(1, sym)) * core::I4EQUZ(2, sym);
    // Only cells that are there count.
    if (first < 1 || count < 1 || !core::z.valid(first)) return n;
    const std::int64_t room = core::z.last() - first + 1;
    n.first = first;
    n.count = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, room));
    n.array = true;
    return n;
  }
  if (core::NAMTYP(sym, typescalar) != 0 && core::z.valid(sym)) {
    n.first = sym;
    n.count = 1;
  }
  return n;
}

void reset_childwords() {
  popupmode = 0;
  popuppending = 0;
}

}  // namespace ui
