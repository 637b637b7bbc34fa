#include "plot/backbrush.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "exec/builtins.h"
#include "plot/plotdev.h"
#include "toolkit/draw.h"
#include "toolkit/records.h"

namespace plot {

namespace {

struct KeptBrush {
  win::HBRUSH brush = nullptr;
  std::int32_t code = 0;     // the style code it was made with
  std::uint32_t colour = 0;  // the palette colour it was made with
};
std::array<KeptBrush, 32> kept{};

void drop(KeptBrush& b) {
  if (b.brush != nullptr) {
    int ups = 0;
    toolkit::DELETE_OBJECT(b.brush, &ups);
  }
  b = KeptBrush{};
}

}  // namespace

win::HBRUSH BACKBRUSH(double value) {
  if (value < 0.0 || std::isnan(value)) {
    for (KeptBrush& b : kept) drop(b);
    return reinterpret_cast<win::HBRUSH>(static_cast<std::uintptr_t>(0xC0C0C0));
  }
  const auto n = static_cast<std::int32_t>(std::clamp(std::trunc(value), 0.0, 31.0));
  const auto code = static_cast<std::int32_t>(std::lround(std::fmod(value, 1.0) * 100.0));
  KeptBrush& b = kept[static_cast<std::size_t>(n)];
  const std::uint32_t colour = exec::rgbtab(n);
  static constexpr int hatches[6] = {4, 3, 5, 2, 0, 1};
  const int style = std::min(code / 10, 2);
  const int hatch = hatches[std::min(code % 10, 5)];
  // Inside a drawing pass (the plot device's, which is the printer page
  // during a print job's printer pass and the window during its window
  // pass; else an open print job's page) the brush is made for and
  // selected into that pass.
  toolkit::draw_target_t& page = drawtargets[target::printer];
  toolkit::draw_target_t* pass = drawing(*plotdev)                ? plotdev
                                 : drawing(page) && printing(page) ? &page
                                                                   : nullptr;
  if (pass != nullptr) {
    const win::COLORREF c = colour;
    int ups = 0;
    toolkit::NEW_BRUSH(*pass, &c, &style, &hatch, &ups);
    return b.brush;
  }
  // A brush whose entry is gone (the drawing layer was reset) is made anew.
  if (b.brush != nullptr && toolkit::FIND_GDI_OBJECT(b.brush) == nullptr) b = KeptBrush{};
  if (b.brush != nullptr && (b.code != code || b.colour != colour)) drop(b);
  b.code = code;
  if (b.brush == nullptr) {
    const win::COLORREF c = colour;
    int ups = 0;
    b.brush = toolkit::CREATE_BRUSH(&c, &style, &hatch, &ups);
    b.colour = colour;
  }
  return b.brush;
}

void reset_brushes() {
  for (KeptBrush& b : kept) drop(b);
}

}  // namespace plot
