// The font slots' built-in values and SETFONT.
#include <algorithm>
#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "platform/charcase.h"
#include "plot/fontslots.h"
#include "plot/plotdev.h"
#include "plot/upcalls.h"
#include "toolkit/draw.h"
#include "toolkit/fonts.h"

namespace plot {

namespace {

constexpr std::int32_t editorslot = 2;
constexpr std::int32_t graphicsslot = 5;
constexpr std::int32_t printerslot = 7;
constexpr std::int32_t turnedslot = 9;
constexpr float upward = 90.0F;

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

// The printer's draw target while a print job draws on it, else none.
toolkit::draw_target_t* printerpage() {
  toolkit::draw_target_t& p = drawtargets[target::printer];
  return printing(p) && drawing(p) ? &p : nullptr;
}

void dropfont(win::HFONT& font) {
  if (font == nullptr) return;
  int ups = 0;
  toolkit::DELETE_OBJECT(font, &ups);
  font = nullptr;
}

// A printer slot's font made on the page (the screen while no job draws),
// with the slot's rotation, and its cell measured there.
bool makeprinterfont(FontSlot& f) {
  toolkit::draw_target_t* page = printerpage();
  const std::string face = trimmed(f.face.view());
  const int points = f.points, italic = f.italic != 0 ? 1 : 0, underline = f.underline != 0 ? 1 : 0;
  const int none = 0;
  const float angle = f.angle;
  int ups = 0;
  dropfont(f.font);
  f.font = toolkit::DEFINE_FONT(page, face.data(), static_cast<int>(face.size()), &points, &italic,
                                &underline, &none, &none, &angle, nullptr, &ups);
  if (f.font == nullptr) return false;
  static constexpr std::string_view digits = "1234567890";
  win::SIZE size{};
  if (page != nullptr) {
    int extent[2] = {};
    toolkit::GET_TEXT_EXTENT(*page, digits.data(), static_cast<int>(digits.size()), &f.font,
                             nullptr, extent, &ups);
    size = win::SIZE{extent[0], extent[1]};
  } else {
    // No page yet: the cell as the screen measures the font.
    const win::HDC dc = win::GetDC(nullptr);
    const win::HGDIOBJ before = win::SelectObject(dc, f.font);
    win::GetTextExtentPoint32A(dc, digits.data(), static_cast<int>(digits.size()), &size);
    win::SelectObject(dc, before);
    win::ReleaseDC(nullptr, dc);
  }
  if (size.cx > 0 && size.cy > 0) {
    f.cellwidth = static_cast<std::int16_t>(size.cx / 10);
    f.cellheight = static_cast<std::int16_t>(size.cy);
  }
  return true;
}

// The main window's rows and columns in the editor's new font; its picture
// cleared and the editor redrawn.
void editorfontchanged(const FontSlot& f) {
  exec::wdwrec* head = exec::wdwhead;
  if (head != nullptr && f.cellwidth > 0 && f.cellheight > 0 && head->clientwidth > 0) {
    exec::ncols = head->clientwidth / f.cellwidth;
    exec::nrows = head->clientheight / f.cellheight;
  }
  if (head != nullptr && head->bitmap != nullptr) {
    exec::wdwrec* was = exec::wdwcur;
    exec::wdwcur = head;
    UQCLEAR(exec::colnum(4));
    exec::wdwcur = was;
  }
  core::edmark = core::edmarkall;
  core::edmode = 13;
}

// Slot 9: slot 5's face turned by 90 degrees.
void maketurnedfont(const FontSlot& g) {
  FontSlot& t = fontslots(turnedslot);
  dropfont(t.font);
  const std::string face = trimmed(g.face.view());
  const int points = g.points, italic = g.italic != 0 ? 1 : 0, underline = g.underline != 0 ? 1 : 0;
  const int none = 0;
  int ups = 0;
  t.font = toolkit::DEFINE_FONT(printerpage(), face.data(), static_cast<int>(face.size()), &points,
                                &italic, &underline, &none, &none, &upward, nullptr, &ups);
  graphicstextheight = g.cellheight;
}

}  // namespace

plat::Store1<FontSlot> initialfontslots() {
  plat::Store1<FontSlot> slots(nfontslots);
  for (std::int32_t s = 1; s <= nfontslots; ++s)
    slots(s).face.set(s == 1 || s == 3 || s == 5 ? "Arial" : "Fixedsys");
  slots(graphicsslot).angle = startrotation;
  slots(printerslot).angle = startrotation;
  return slots;
}

void reset_fontslots() {
  fontslots = initialfontslots();
  ifontslot = 1;
  graphicstextheight = 16;
}

void SETFONT(std::int32_t slot, std::string_view face, std::int32_t points, float rotation,
             std::int32_t underline, std::int32_t weight, std::int32_t italic) {
  if (!fontslots.valid(slot)) return;
  FontSlot& f = fontslots(slot);
  std::int32_t c = 0;
  // A size beyond any font's: its cells would overflow the arithmetic of
  // the windows that write in it.
  points = std::min(points, core::pointsmost);
  const std::string given = trimmed(face);
  if (!plat::same_any_case(given, trimmed(f.face.view()))) {
    c += setfontchange::face;
    if (!given.empty()) f.face.set(given);  // a blank face counts but keeps the old one
  }
  if (points != f.points) {
    c += setfontchange::points;
    if (points > 0) f.points = points;
  }
  if (rotation != f.angle) {
    c += setfontchange::rotation;
    f.angle = rotation;
  }
  if (underline != f.underline) {
    c += setfontchange::underline;
    f.underline = underline;
  }
  if (weight != f.weight) {
    c += setfontchange::weight;
    f.weight = weight;
  }
  if (italic != f.italic) {
    c += setfontchange::italic;
    f.italic = italic;
  }
  lastfontchange = c;
  if (c == 0 && f.font != nullptr) return;
  bool made = false;
  if (slot == printerslot || (slot == graphicsslot && printerpage() != nullptr)) {
    made = makeprinterfont(f);
  } else {
    if (upcalls.CHOOSEFONTSLOT == nullptr) return upcallmissing();
    std::int32_t status = -1;
    upcalls.CHOOSEFONTSLOT(0, slot, 0, status);
    made = status == 0 && f.font != nullptr;
  }
  if (!made) return;
  if (slot == editorslot) editorfontchanged(f);
  if (slot == graphicsslot) maketurnedfont(f);
}

}  // namespace plot
