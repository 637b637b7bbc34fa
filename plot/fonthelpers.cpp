#include "plot/fonthelpers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/namevalue.h"
#include "core/numread.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/upcalls.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/fonts.h"

namespace plot {

namespace {

constexpr std::int32_t printerslot = 7;

// The value of an item of the font text after its "=", or the item's
// presence; false when the text does not name it.
bool item(std::string_view text, std::int32_t n, std::string_view name, std::string_view& value) {
  std::int32_t from = 0, to = 0;
  const std::int32_t at = core::ITEMSTARTINSTRING(name, text, n, from, to);
  if (at <= 0) return false;
  value = from > 0 && to >= from ? text.substr(static_cast<std::size_t>(from - 1),
                                               static_cast<std::size_t>(to - from + 1))
                                 : std::string_view{};
  return true;
}

// A slot's rotation as a statement starts from it: the start rotation of
// slots 5 and 7, which no statement chose, is 0 while the slot has no font.
float rotationof(std::int32_t slot) {
  const FontSlot& f = fontslots(slot);
  return (slot == 5 || slot == 7) && f.font == nullptr && f.angle == startrotation ? 0.0F : f.angle;
}

// The cell of an option slot's value; 0 when absent or without value.
std::int32_t cell(std::int32_t slot) { return slot > 0 && core::z.valid(slot) ? slot : 0; }

bool ischar(std::int32_t slot) {
  std::int32_t first = 0, last = 0;
  return slot > 0 && (core::ISCHAR(slot, first, last) & 0x40) != 0;
}

std::string textof(std::int32_t slot) {
  std::int32_t first = 0, last = 0;
  if (slot <= 0 || (core::ISCHAR(slot, first, last) & 0x40) == 0 || first < 1 || last < first ||
      !core::c1namen.valid(last))
    return {};
  return std::string(core::c1namen.ptr(first), static_cast<std::size_t>(last - first + 1));
}

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

// A yes/no font option: given without a value or with a value not 0 is
// on; absent keeps `current`.
std::int32_t onoff(std::int32_t slot, std::int32_t current) {
  if (slot == 0) return current;
  if (slot < 0) return 1;
  return core::z(slot) != 0.0 ? 1 : 0;
}

}  // namespace

std::int32_t PXLSFROMR8(double value, std::int32_t unit, std::int32_t full) {
  static constexpr double most = 2147483647.0;
  const auto saturated = [](double v) {
    return static_cast<std::int32_t>(std::clamp(v, -most, most));
  };
  if (std::isnan(value)) return 0;
  if (value < 0.0) return saturated(std::round(-value));
  if (value <= 0.9999999) return saturated(std::trunc(full * value));
  return saturated(std::trunc(unit * value));
}

void SETFONTPTULBO(std::string_view text, std::int32_t n, std::int32_t slot) {
  n = std::clamp<std::int32_t>(n, 0, static_cast<std::int32_t>(text.size()));
  const std::string_view t = text.substr(0, static_cast<std::size_t>(n));
  std::string_view v;
  std::int32_t points = 0;
  if (item(t, n, "Point", v)) {
    int first = 0, last = 0;
    points = core::INTGET(v, first, last);
  }
  float rotation = 0.0F;
  if (item(t, n, "Rotate", v)) {
    std::int32_t position = 1, status = 0;
    core::GETR4N(v, static_cast<std::int32_t>(v.size()), rotation, position, status);
    if (status != 0) rotation = 0.0F;
  }
  const std::int32_t underline = item(t, n, "Underline", v) ? -1 : 0;
  const std::int32_t weight = item(t, n, "Bold", v) ? 700 : 0;
  const std::int32_t italic = item(t, n, "Italic", v) ? -1 : 0;
  const std::size_t comma = t.find(',');
  const std::string face = trimmed(comma == std::string_view::npos ? t : t.substr(0, comma));
  SETFONT(slot, face, points, rotation, underline, weight, italic);
}

std::int32_t SETFONTPTROULBOITST(std::int32_t slot, std::int32_t font, std::int32_t points,
                                 std::int32_t rotate, std::int32_t underline, std::int32_t bold,
                                 std::int32_t italic, std::int32_t style) {
  const exec::wdwrec* w = exec::wdwcur;
  std::int32_t s = w != nullptr && (w->printstate & 1) != 0 ? printerslot : slot;
  const std::int32_t r =
      w != nullptr && fontslots.valid(w->fontslot) ? w->fontslot : (fontslots.valid(s) ? s : 6);
  FontSlot& src = fontslots(r);
  if (src.face.is_blank()) src.face.set("Fixedsys");
  if (src.points < 1) src.points = 9;
  std::string face(src.face.trimmed());
  std::int32_t p = src.points;
  float rotation = rotationof(r);
  std::int32_t under = src.underline, weight = src.weight, ital = src.italic;
  if (cell(points) > 0) p = PXLSFROMR8(core::z(points), 1, w != nullptr ? w->clientheight : 0);

  // Mode: -1 take another slot, 0 the face as given, 1 and 2 ask and
  // report back, 3 ask.
  std::int32_t mode = 0;
  if (ischar(font)) {
    face = trimmed(textof(font));
    mode = face.empty() ? 1 : 0;
  } else if (cell(font) > 0) {
    const double v = core::z(font);
    if (v >= 1.0 && v <= 9.0) {
      s = static_cast<std::int32_t>(v);
      mode = -1;
    } else {
      s = 6;
      mode = 2;
    }
  } else if (font < 0) {
    mode = 3;
  } else if (fontslots.valid(s)) {
    face = std::string(fontslots(s).face.trimmed());
  }
  if (!fontslots.valid(s)) return 0;
  if (mode == -1) {
    face = std::string(fontslots(s).face.trimmed());
    p = fontslots(s).points;
    rotation = rotationof(s);
  }
  if (mode > 0 || p <= 0) {
    std::int32_t flags = 0;
    const std::int32_t st = cell(style) > 0 ? static_cast<std::int32_t>(core::z(style)) : 0;
    if (st == 0) {
      flags = (w != nullptr && (w->kind & exec::kind::text) != 0) || s == 2 || s == 4 ? 0x4000
                                                                                      : 0x20000;
    } else {
      static constexpr std::int32_t bits[7][2] = {
          {1, 0x1}, {2, 0x2}, {4, 0x400}, {8, 0x4000}, {16, 0x100}, {32, 0x20000}, {64, 0x40000}};
      for (const auto& b : bits)
        if ((st & b[0]) != 0) flags |= b[1];
    }
    win::COLORREF colour = fontslots(s).colour;
    const win::HWND owner = exec::mainwindow();
    const std::string title(fontdialogtitle.trimmed());
    int ups = 0;
    const win::HFONT chosen =
        toolkit::CHOOSE_FONT(&owner, &colour, &rotation, nullptr, title.data(),
                             static_cast<int>(title.size()), &flags, &ups);
    if (chosen == nullptr) return 0;
    char chosenface[32];
    int chosenpoints = 0, it = 0, un = 0, so = 0, bo = 0;
    float angle = 0.0F;
    toolkit::GET_FONT_DATA(&chosen, nullptr, chosenface, sizeof chosenface, &chosenpoints, &it, &un,
                           &so, &bo, &angle, &ups);
    FontSlot& f = fontslots(s);
    const std::string got = trimmed(std::string_view(chosenface, sizeof chosenface));
    if (!got.empty()) face = got;
    if (chosenpoints > 0) p = chosenpoints;
    weight = bo != 0 ? 700 : 400;
    ital = it != 0 ? 1 : 0;
    under = un != 0 ? 1 : 0;
    f.colour = colour;
    exec::txtcolors[1] = colour;
    toolkit::DELETE_OBJECT(chosen, &ups);
    if (mode == 1 || mode == 2) {
      if (cell(points) > 0) core::SETZTOR8(points, p);
      if (cell(rotate) > 0) core::SETZTOR8(rotate, rotation);
      if (cell(bold) > 0) core::SETZTOR8(bold, weight);
      if (cell(italic) > 0) core::SETZTOR8(italic, ital);
      if (cell(underline) > 0) core::SETZTOR8(underline, under);
      if (ischar(font)) core::STRITOC1NAMEN(font, face, static_cast<std::int32_t>(face.size()));
    }
  }
  if (cell(points) > 0) p = static_cast<std::int32_t>(std::lround(core::z(points)));
  if (cell(rotate) > 0) rotation = static_cast<float>(core::z(rotate));
  if (bold != 0) {
    const double b = cell(bold) > 0 ? core::z(bold) : 1.0;
    weight = b == 0.0 ? 400 : b == 1.0 ? 700 : static_cast<std::int32_t>(b);
  }
  ital = onoff(italic, ital);
  under = onoff(underline, under);
  SETFONT(s, face, p, rotation, under, weight, ital);
  return s;
}

std::int32_t GETTEXTPIXELS(std::string_view text) {
  const std::int32_t slot = fontslots.valid(ifontslot) ? ifontslot : 1;
  const FontSlot& f = fontslots(slot);
  const std::string_view t = text.substr(0, static_cast<std::size_t>(core::C1LEN_TRIM(text)));
  int extent[2] = {};
  int ups = 0;
  bool opened = false;
  exec::wdwrec* head = exec::wdwhead;
  if (!drawing(*plotdev) && head != nullptr && head->bitmap != nullptr) {
    toolkit::START_BITMAP_DRAW(&head->bitmap, nullptr, nullptr, *plotdev, &ups);
    opened = drawing(*plotdev);
  }
  if (drawing(*plotdev)) {
    toolkit::GET_TEXT_EXTENT(*plotdev, t.data(), static_cast<int>(t.size()),
                             f.font != nullptr ? &f.font : nullptr, nullptr, extent, &ups);
    // The pass this call opened closes also when the measuring failed.
    if (opened) toolkit::END_BITMAP_DRAW(*plotdev, &ups);
  } else {
    // No window to draw on: the screen measures.
    win::HDC dc = win::GetDC(nullptr);
    win::HGDIOBJ before = f.font != nullptr ? win::SelectObject(dc, f.font) : nullptr;
    win::SIZE size{};
    win::GetTextExtentPoint32A(dc, t.data(), static_cast<int>(t.size()), &size);
    if (before != nullptr) win::SelectObject(dc, before);
    win::ReleaseDC(nullptr, dc);
    extent[0] = size.cx;
  }
  return extent[0];
}

std::int32_t GETTEXTWIDTH(std::string_view text) {
  const std::int32_t slot = fontslots.valid(ifontslot) ? ifontslot : 1;
  const std::int32_t cw = fontslots(slot).cellwidth > 0 ? fontslots(slot).cellwidth : 8;
  return (GETTEXTPIXELS(text) + cw - 1) / cw;
}

}  // namespace plot
