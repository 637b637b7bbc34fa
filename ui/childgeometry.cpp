#include <algorithm>
#include <cmath>

#include "core/rawmem.h"
#include "ui/childwindow.h"
#include "ui/childwords.h"

namespace ui {

namespace {

constexpr double leastfraction = 0.1;
constexpr double wholefraction = 0.99;
constexpr double defaultwidth = 0.5;
constexpr double defaultheight = 0.25;

// Pixels, held within what the window's arithmetic holds.
std::int32_t pixels(double v) { return core::nearestwithin(v, core::layoutmost); }

// The reading common to sizes: cells, a fraction (at least 0.1) or pixels.
std::int32_t extent(double v, std::int32_t cell, std::int32_t usable) {
  if (v > 1.0) return pixels(v * cell);
  if (v > 0.0) return pixels(std::max(v, leastfraction) * usable);
  return pixels(-v);
}

std::int32_t bounded(std::int32_t pixels, std::int32_t usable) {
  return std::max(1, std::min(pixels, usable));
}

}  // namespace

std::int32_t widthpixels(double v, std::int32_t fallback, std::int32_t cell, std::int32_t usable) {
  if (!std::isfinite(v)) v = 0.0;
  if (v == 0.0) v = fallback > 0 ? -fallback : defaultwidth;
  return bounded(extent(v, cell, usable), usable);
}

std::int32_t heightpixels(double v, std::int32_t fallback, std::int32_t cell,
                          std::int32_t toolheight, std::int32_t usable, std::int32_t chrome) {
  if (!std::isfinite(v)) v = 0.0;
  if (v == 0.0) v = fallback > 0 ? -fallback : defaultheight;
  std::int32_t h = extent(v, cell, usable);
  if (v > 1.0)
    h += toolheight;
  else if (v > wholefraction)
    h = usable - chrome;
  return bounded(h, usable);
}

std::int32_t edgepixels(double v, std::int32_t cell, std::int32_t usable, std::int32_t most) {
  if (!std::isfinite(v)) v = 0.0;
  std::int32_t p = 0;
  if (v <= 0.0)
    p = pixels(-v);
  else if (v <= 1.0)
    p = static_cast<std::int32_t>(v * usable);
  else
    p = pixels(v * cell);
  return std::clamp(p, 0, std::max(most, 0));
}

}  // namespace ui
