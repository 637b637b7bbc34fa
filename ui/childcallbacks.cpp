// What a child window does when the user moves, sizes or focuses it, and
// how it paints itself.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/stores.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "plot/backbrush.h"
#include "plot/fontslots.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "ui/childstatement.h"
#include "ui/childwindow.h"
#include "ui/childwords.h"

namespace ui {

namespace {

constexpr int restored = 0;
constexpr int minimised = 1;
constexpr int maximised = 2;
constexpr int moved = 0x405;
constexpr int focusgained = 0x406;
constexpr int focuslost = 0x407;
constexpr std::int32_t placeslot = 2;
constexpr int onetoone = 3;

exec::wdwrec* recordof(win::HWND h) {
  if (h == nullptr) return nullptr;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == h) return r;
  // A window being made sends its first sizes before its record knows it.
  exec::wdwrec* t = exec::wdwtail;
  return t != nullptr && t != exec::wdwhead && t->window == nullptr ? t : nullptr;
}

const plot::FontSlot& slotof(std::int32_t s) {
  return plot::fontslots(plot::fontslots.valid(s) ? s : 1);
}

// A size into the bound variable: in cells, or, while the variable holds a
// fraction of the screen, as a new fraction. Nothing while the change is
// below one cell.
void writesize(std::int32_t var, std::int32_t now, std::int32_t recorded, std::int32_t cell,
               std::int32_t screen) {
  if (var <= 0 || !core::z.valid(var) || cell < 1 || std::abs(now - recorded) < cell) return;
  const double held = core::z(var);
  if (held > 0.0 && held < 1.0) {
    if (screen < 1 || std::abs(now - screen * held) < cell) return;
    exec::setwindowvar(var, static_cast<double>(now) / screen);
    return;
  }
  exec::setwindowvar(var, now / cell);
}

}  // namespace

int CHILDCHANGED(win::HWND& window, int& code) {
  exec::wdwrec* r = recordof(window);
  switch (code) {
    case restored:
    case minimised:
    case maximised:
      if (r != nullptr) {
        r->kind &= ~(exec::kind::maximised | exec::kind::minimised);
        if (code == minimised) r->kind |= exec::kind::minimised;
        if (code == maximised) r->kind |= exec::kind::maximised;
      }
      break;
    case focusgained:
      if (r != nullptr) exec::wdwcur = r;
      return 0;
    case focuslost:
      exec::wdwcur = exec::wdwhead;
      return 0;
    default:
      break;
  }
  if ((code != restored && code != maximised && code != moved) || r == nullptr ||
      r == exec::wdwhead || r->window == nullptr)
    return 0;
  win::RECT outer{};
  win::GetWindowRect(window, &outer);
  if (code == moved) {
    r->left = outer.left;
    r->top = outer.top;
    // The place in cells of the editor's font.
    const plot::FontSlot& f = slotof(placeslot);
    if ((r->nowriteback & 1) == 0) {
      if (f.cellwidth > 0) exec::setwindowvar(r->xvar, outer.left / f.cellwidth);
      if (f.cellheight > 0) exec::setwindowvar(r->yvar, outer.top / f.cellheight);
    }
    return 0;
  }
  // The usable client area: without the menu bar and the toolbar.
  win::RECT client{};
  if (!toolkit::GET_CLIENT_AREA(window, client)) return 0;
  const std::int32_t width = client.right - client.left;
  const std::int32_t height = client.bottom - client.top;
  if (width < 1 || height < 1) return 0;
  if ((r->kind & exec::kind::editorstyle) == 0 && r->clientheight > 0)
    // The picture kept at the new size, the old one in its top left corner.
    if (r->bitmap != nullptr) childstmt::fitbitmap(*r, width, height);
  const plot::FontSlot& f = slotof(r->fontslot);
  if ((r->nowriteback & 1) == 0) {
    writesize(r->widthvar, width, r->clientwidth, f.cellwidth,
              exec::sysmetrics(exec::metric::screenwidth));
    writesize(r->heightvar, height, r->clientheight, f.cellheight,
              exec::sysmetrics(exec::metric::screenheight));
  }
  return 0;
}

void PAINTCHILDWINDOW(toolkit::draw_target_t& target) {
  exec::wdwrec* const entry = exec::wdwcur;
  if (target.window == nullptr) return;
  const exec::wdwrec* r = recordof(target.window);
  if (r != nullptr && r->bitmap != nullptr) {
    int ups = 0;
    toolkit::DRAW_BITMAP(target, r->bitmap, nullptr, &onetoone, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, &ups);
  }
  exec::wdwcur = entry;
}

}  // namespace ui
