// UQTEXT: text with the device font at a plot-engine position.
#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/chars.h"
#include "platform/fixed_text.h"
#include "platform/win_gdi.h"
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

// A mark written as text is as high as a stroked one of its size: the
// stroked capitals are as high as the mark's size, and a face's capitals
// are about this part of its em.
constexpr float capitalheight = 0.72F;

// The font of marks written as text, kept for the last em height and face.
win::HFONT markfont = nullptr;
int markem = 0;
plat::FixedText<32> markface;

void dropmarkfont() {
  if (markfont != nullptr) win::DeleteObject(markfont);
  markfont = nullptr;
  markem = 0;
}

// The graphics face with capitals `height` plot units high (none when
// that is not a pixel).
win::HFONT fontofmark(float height, float unitsperpixel) {
  const long em = std::lround(height / unitsperpixel / capitalheight);
  if (!(em >= 1) || em > static_cast<long>(farthest)) return nullptr;
  const FontSlot& g = fontslots(5);
  if (markfont != nullptr && markem == em && markface.view() == g.face.view()) return markfont;
  dropmarkfont();
  win::LOGFONTA lf{};
  lf.lfHeight = -static_cast<win::LONG>(em);
  lf.lfWeight = g.weight;
  lf.lfItalic = static_cast<win::BYTE>(g.italic != 0 ? 1 : 0);
  lf.lfCharSet = win::DEFAULT_CHARSET;
  const std::string_view face = g.face.view();
  const std::size_t n = std::min(face.find_last_not_of(' ') + 1, sizeof lf.lfFaceName - 1);
  std::copy_n(face.data(), n, lf.lfFaceName);
  markfont = win::CreateFontIndirectA(&lf);
  markem = static_cast<int>(em);
  markface = g.face;
  return markfont;
}

}  // namespace

void resettextfont() {
  keptfont = nullptr;
  keptvertical = false;
  dropmarkfont();
}

void UQTEXT(float x, float y, float size, std::string_view text, float angle, std::int32_t n) {
  std::int32_t count = 1;
  if (n >= 1) count = std::min<std::int32_t>(core::C1LEN_TRIM(text), n);
  count = std::min<std::int32_t>(count, static_cast<std::int32_t>(text.size()));
  if (count <= 0) return;
  const Bracket bracket(Bracket::Select::pen);
  if (!drawing(*plotdev)) return;
  int ups = 0;
  int extent[2] = {};
  // Measured in the horizontal font: a vertical text is as long as it is
  // wide. A mark (n below 0) of a size is written in a font of that size.
  const float upy = axisstate.unitsperpixely > 0.0F ? axisstate.unitsperpixely : 1.0F;
  const win::HFONT mark = n < 0 && angle == 0.0F ? fontofmark(size / 10.0F, upy) : nullptr;
  const win::HFONT horizontal = mark != nullptr ? mark : fontslots(5).font;
  const win::HFONT vertical = fontslots(9).font;
  toolkit::GET_TEXT_EXTENT(*plotdev, text.data(), count,
                           horizontal != nullptr ? &horizontal : nullptr, nullptr, extent, &ups);
  textextent = {extent[0], extent[1]};
  const Frame& f = axisstate.frame(std::clamp(axisstate.current, 1, naxes));
  const float cw = static_cast<float>(fontslots(5).cellwidth);
  const float upx = axisstate.unitsperpixelx > 0.0F ? axisstate.unitsperpixelx : 1.0F;
  float px = (static_cast<float>(f.left) * axisstate.cellwidth + x) / upx;
  float py = plotcom.ymax - (static_cast<float>(f.bottom) * axisstate.cellheight + y) / upy;
  if (!(std::fabs(px) <= farthest) || !(std::fabs(py) <= farthest)) return;
  if (angle == 0.0F) {
    keptfont = horizontal;
    keptvertical = false;
    if (mark != nullptr) {
      // Centred on the point.
      px -= static_cast<float>(textextent[0]) / 2.0F;
      py -= static_cast<float>(textextent[1]) / 2.0F;
    } else if (n < 0) {
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
  const win::RECT box = keptvertical ? win::RECT{ix, iy - textextent[0], ix + textextent[1], iy}
                                     : win::RECT{ix, iy, ix + textextent[0], iy + textextent[1]};
  growupdrect(box.left, box.top, box.right, box.bottom);
  lastwritten = {std::string(text.substr(0, static_cast<std::size_t>(count))), ix, iy, font, box};
}

void REWRITETEXT(const WrittenText& t, std::int32_t dx, std::int32_t dy, win::COLORREF colour) {
  if (t.text.empty() || !drawing(*plotdev)) return;
  int ups = 0;
  int x = t.x + dx, y = t.y + dy;
  const win::COLORREF transparent = 0xFFFFFFFF;
  toolkit::WRITE_TEXT(*plotdev, t.text.data(), static_cast<int>(t.text.size()), nullptr, nullptr,
                      &x, &y, &colour, &transparent, t.font != nullptr ? &t.font : nullptr, nullptr,
                      nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                      &ups);
  growupdrect(t.box.left + dx, t.box.top + dy, t.box.right + dx, t.box.bottom + dy);
}

}  // namespace plot
