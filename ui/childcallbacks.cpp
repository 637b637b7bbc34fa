// What a child window does when the user moves, sizes or focuses it, how
// it paints itself and how its pixels slide with a strip chart.
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
#include "toolkit/records.h"
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
    // The picture kept at the new size, the old one in its top left corner;
    // a panel's picture is never cut below the panel's own size, so that
    // the window shows it whole again when it grows.
    if (r->bitmap != nullptr) {
      const bool panel = r->panelengine != nullptr;
      childstmt::fitbitmap(*r, panel ? std::max(width, r->clientwidth) : width,
                           panel ? std::max(height, r->clientheight) : height);
    }
  const plot::FontSlot& f = slotof(r->fontslot);
  if ((r->nowriteback & 1) == 0) {
    writesize(r->widthvar, width, r->clientwidth, f.cellwidth,
              exec::sysmetrics(exec::metric::screenwidth));
    writesize(r->heightvar, height, r->clientheight, f.cellheight,
              exec::sysmetrics(exec::metric::screenheight));
  }
  return 0;
}

bool SCROLLCHILDWINDOW(exec::wdwrec* record, const win::RECT& block, std::int32_t dx,
                       std::int32_t dy) {
  if (record == nullptr || record->window == nullptr || record->bitmap == nullptr) return false;
  const win::HWND h = record->window;
  // A script window shows its bitmap one to one from its client area's
  // corner (PAINTCHILDWINDOW), with nothing over the block that would
  // slide with it: no toolbar above, no box, child window or mouse drag.
  // A hidden window moves no pixels.
  const toolkit::window_record_t* t = toolkit::FIND_WINDOW_RECORD(h);
  if (t == nullptr || t->paint != PAINTCHILDWINDOW || t->first_box != nullptr ||
      win::GetCapture() == h || win::IsWindowVisible(h) == 0)
    return false;
  win::RECT client{};
  toolkit::GET_CLIENT_AREA(h, client);
  if (client.left != 0 || client.top != 0) return false;
  const win::RECT area{block.left, block.top, std::min(block.right, client.right),
                       std::min(block.bottom, client.bottom)};
  const auto meets = [&area](const win::RECT& r) {
    return std::max(r.left, area.left) < std::min(r.right, area.right) &&
           std::max(r.top, area.top) < std::min(r.bottom, area.bottom);
  };
  for (win::HWND c = win::GetWindow(h, win::GW_CHILD); c != nullptr;
       c = win::GetWindow(c, win::GW_HWNDNEXT)) {
    win::RECT r{};
    if (win::IsWindowVisible(c) == 0 || win::GetWindowRect(c, &r) == 0) continue;
    win::POINT corner[2] = {{r.left, r.top}, {r.right, r.bottom}};
    win::ScreenToClient(h, &corner[0]);
    win::ScreenToClient(h, &corner[1]);
    if (meets(win::RECT{corner[0].x, corner[0].y, corner[1].x, corner[1].y})) return false;
  }
  if (!meets(area)) return true;
  // What comes into the client area from outside it is painted.
  win::RECT uncovered{};
  win::ScrollWindowEx(h, dx, dy, &area, &area, nullptr, &uncovered, 0);
  if (uncovered.left < uncovered.right && uncovered.top < uncovered.bottom)
    win::InvalidateRect(h, &uncovered, win::FALSE);
  return true;
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
