// UQTEXT: text with the device font at a plot-engine position.
#include <algorithm>
#include <cmath>

#include "core/chars.h"
#include "plot/devbracket.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/plotstate.h"
#include "toolkit/draw.h"

namespace plot {

namespace {

// The font the previous call chose; an angle without alignment keeps it.
win::HFONT keptfont = nullptr;
bool keptvertical = false;

constexpr float farthest = 10000.0F;

}  // namespace

void resettextfont() {
  keptfont = nullptr;
  keptvertical = false;
}

void UQTEXT(float x, float y, float /*size*/, std::string_view text, float angle, std::int32_t n) {
  std::int32_t count = 1;
  if (n >= 1) count = std::min<std::int32_t>(core::C1LEN_TRIM(text), n);
  count = std::min<std::int32_t>(count, static_cast<std::int32_t>(text.size()));
  if (count <= 0) return;
  const Bracket bracket(Bracket::Select::pen);
  if (!drawing(*plotdev)) return;
  int ups = 0;
  int extent[2] = {};
  // Measured in the horizontal font: a vertical text is as long as it is wide.
  const win::HFONT horizontal = fontslots(5).font;
  const win::HFONT vertical = fontslots(9).font;
  toolkit::GET_TEXT_EXTENT(*plotdev, text.data(), count,
                           horizontal != nullptr ? &horizontal : nullptr, nullptr, extent, &ups);
  textextent = {extent[0], extent[1]};
  const Frame& f = axisstate.frame(std::clamp(axisstate.current, 1, naxes));
  const float cw = static_cast<float>(fontslots(5).cellwidth);
  const float upx = axisstate.unitsperpixelx > 0.0F ? axisstate.unitsperpixelx : 1.0F;
  const float upy = axisstate.unitsperpixely > 0.0F ? axisstate.unitsperpixely : 1.0F;
  float px = (static_cast<float>(f.left) * axisstate.cellwidth + x) / upx;
  float py = plotcom.ymax - (static_cast<float>(f.bottom) * axisstate.cellheight + y) / upy;
  if (!(std::fabs(px) <= farthest) || !(std::fabs(py) <= farthest)) return;
  if (angle == 0.0F) {
    keptfont = horizontal;
    keptvertical = false;
    if (n < 0) {
      px -= cw;
      py -= static_cast<float>(graphicstextheight) / 2.0F;
    }
  } else if (angle == 720.0F) {
    keptfont = horizontal;
    keptvertical = false;
    px -= static_cast<float>(textextent[0] + 2);
  } else if (angle == 90.0F) {
    // Upward from the point, standing right of it, as a horizontal text
    // stands below its point.
    keptfont = vertical;
    keptvertical = true;
  } else if (angle == 810.0F) {
    // Upward, ending at the point.
    keptfont = vertical;
    keptvertical = true;
    py += static_cast<float>(textextent[0]);
  }
  auto ix = static_cast<int>(std::lround(px));
  auto iy = static_cast<int>(std::lround(py));
  if (printing(*plotdev)) {
    ix += plotdev->bounds.left;
    iy += plotdev->bounds.top;
  }
  const win::COLORREF colour = plotcom.pencolour;
  const win::COLORREF transparent = 0xFFFFFFFF;
  const win::HFONT font = keptfont;
  toolkit::WRITE_TEXT(*plotdev, text.data(), count, nullptr, nullptr, &ix, &iy, &colour,
                      &transparent, font != nullptr ? &font : nullptr, nullptr, nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  if (keptvertical)
    growupdrect(ix, iy - textextent[0], ix + textextent[1], iy);
  else
    growupdrect(ix, iy, ix + textextent[0], iy + textextent[1]);
}

}  // namespace plot
