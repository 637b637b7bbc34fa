// The WINDOW statement's steps through the toolkit: the window made or
// changed, its bitmap, toolbar, menu, mouse, fonts, margins and shifts.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/rawmem.h"
#include "core/symbols.h"
#include "plot/backbrush.h"
#include "plot/fonthelpers.h"
#include "plot/plotdev.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"
#include "toolkit/menus.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/toolbar.h"
#include "toolkit/windows.h"
#include "ui/childstatement.h"
#include "ui/childwindow.h"
#include "ui/dialogwords.h"

namespace ui::childstmt {

void fitbitmap(exec::wdwrec& r, std::int32_t width, std::int32_t height) {
  if (width < 1 || height < 1) return;
  if (r.bitmap != nullptr) {
    win::BITMAP bm{};
    win::GetObjectA(r.bitmap, sizeof bm, &bm);
    if (bm.bmWidth == width && bm.bmHeight == height) return;
  }
  int ups = 0;
  win::HBITMAP made = toolkit::CREATE_BITMAP(width, height, nullptr, &ups);
  if (made == nullptr) return;
  toolkit::draw_target_t t;
  toolkit::START_BITMAP_DRAW(&made, nullptr, nullptr, t, &ups);
  if (t.marker != 0) {
    const win::RECT whole{0, 0, width, height};
    win::FillRect(t.dc, &whole, plot::BACKBRUSH(r.tablescale));
    if (r.bitmap != nullptr) {
      const int x = 0, y = 0;
      win::BITMAP bm{};
      win::GetObjectA(r.bitmap, sizeof bm, &bm);
      const int right = static_cast<int>(bm.bmWidth), bottom = static_cast<int>(bm.bmHeight);
      toolkit::DRAW_BITMAP(t, r.bitmap, nullptr, &onetoone, nullptr, nullptr, nullptr, nullptr, &x,
                           &y, &right, &bottom, &ups);
    }
    toolkit::END_BITMAP_DRAW(t, &ups);
  }
  if (r.bitmap != nullptr) toolkit::DELETE_OBJECT(r.bitmap, &ups);
  r.bitmap = made;
}

bool saveas(const exec::wdwrec& r, const std::string& file) {
  if (r.bitmap == nullptr || file.empty()) return false;
  int ups = 0;
  const win::HGLOBAL dib = toolkit::BITMAP_TO_DIB(r.bitmap, nullptr, nullptr, &ups);
  if (dib == nullptr) return false;
  const bool written =
      toolkit::SAVE_BITMAP_FILE(dib, file.data(), static_cast<int>(file.size()), &ups);
  win::GlobalFree(dib);
  return written;
}

void redefine(Statement& s) {
  exec::wdwrec& r = *s.target;
  int ups = 0;
  const bool placed =
      present(kw("X")) || present(kw("Y")) || present(kw("Width")) || present(kw("Height"));
  const bool barred =
      ischild(&r) && (present(kw("Toolbar")) || present(kw("Menu")) || present(kw("STYle")));
  if (!placed && !barred) {
    if (ischild(&r))
      toolkit::REDEFINE_WINDOW(r.window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, &s.show,
                               nullptr, nullptr, nullptr, nullptr, &ups);
    return;
  }
  r.fontslot = s.slotnow;
  std::int32_t outerwidth = s.width + 2 * metric(exec::metric::framewidth);
  std::int32_t outerheight = 0;
  if (ischild(&r)) {
    r.clientwidth = s.width;
    r.clientheight = s.height;
    outerheight = s.height + r.frameheight + 2 * metric(exec::metric::frameheight) +
                  metric(exec::metric::caption) + r.topoffset;
  } else {
    outerheight = s.height + 5 * metric(exec::metric::frameheight) + cellheight(3) + r.topoffset +
                  r.frameheight + metric(exec::metric::caption);
  }
  const win::HFONT f = font(s.slotnow).font;
  toolkit::REDEFINE_WINDOW(r.window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &s.x,
                           &s.y, &outerwidth, &outerheight, &s.fore, f != nullptr ? &f : nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                           &s.show, nullptr, nullptr, nullptr, nullptr, &ups);
  if (ischild(&r) && !isfileview(r)) fitbitmap(r, s.width, s.height);
}

bool create(Statement& s) {
  exec::wdwrec& r = *s.target;
  int ups = 0;
  const std::int32_t handleslot = slot(kw("WINdowhandle"));
  const Numbers handlecells = numbersof(handleslot);
  if (handleslot > 0 && handleslot < core::iresult && handlecells.count > 0)
    r.handlevar = handlecells.first;
  const win::HWND owner = valued(kw("Owner")) && handleof(value(kw("Owner"))) != nullptr
                              ? handleof(value(kw("Owner")))
                              : exec::mainwindow();
  if (exec::mainwindow() != nullptr) toolkit::SET_FOREGROUND(exec::mainwindow(), &ups);
  const float xf = static_cast<float>(s.x) / std::max(1, metric(exec::metric::screenwidth));
  const float yf = static_cast<float>(s.y) / std::max(1, metric(exec::metric::screenheight));
  const win::DWORD style = static_cast<win::DWORD>(s.style);
  const win::HINSTANCE module = toolkit::GET_MODULE_HANDLE();
  const win::HICON icon = toolkit::LOAD_ICON(&module, "QelIcon", 7, nullptr, &ups);
  const win::HBRUSH brush = plot::BACKBRUSH(s.back);
  const std::string title = s.title.substr(0, titlelength);
  // The record knows its size before the window sends its first size.
  r.clientwidth = s.width;
  r.clientheight = s.height;
  const int clientheight = s.height + r.topoffset;
  toolkit::menu_item_t* menu = r.menuitems.size() > 0 ? r.menuitems.data() : nullptr;
  const int menucount = static_cast<int>(r.menuitems.size());
  // A blank class name: the window gets a class of its own.
  char classname[32];
  std::fill(std::begin(classname), std::end(classname), ' ');
  win::HWND made = nullptr;
  if (isfileview(r)) {
    const std::int32_t filestyle = toolkit::kStyleFile;
    const win::HFONT f = font(r.fontslot).font;
    made = toolkit::CREATE_SECONDARY_WINDOW(
        title.data(), static_cast<int>(title.size()), nullptr, 0, nullptr, 0, classname,
        sizeof classname, nullptr, &xf, &yf, nullptr, nullptr, &s.width, &s.height, &filestyle,
        title.data(), static_cast<int>(title.size()), &s.fore, f != nullptr ? &f : nullptr, &owner,
        icon != nullptr ? &icon : nullptr, nullptr, &brush, &s.show, nullptr,
        childcalls.KILLNONDLGWINDOW, nullptr, CHILDCHANGED, nullptr, &ups);
  } else {
    r.bitmap = toolkit::CREATE_BITMAP(s.width, s.height, nullptr, &ups);
    const std::int32_t paintstyle = toolkit::kStylePaint;
    made = toolkit::CREATE_SECONDARY_WINDOW(
        title.data(), static_cast<int>(title.size()), menu, menucount, nullptr, 0, classname,
        sizeof classname, &style, &xf, &yf, nullptr, nullptr, &s.width, &clientheight, &paintstyle,
        nullptr, 0, &s.fore, nullptr, &owner, icon != nullptr ? &icon : nullptr, nullptr, &brush,
        &s.show, PAINTCHILDWINDOW, childcalls.KILLNONDLGWINDOW, nullptr, CHILDCHANGED, nullptr,
        &ups);
  }
  if (made == nullptr) return false;
  r.window = made;
  exec::wdwcur = &r;
  if (r.bitmap != nullptr) plot::UQCLEAR(s.back);
  if (handleslot > 0 && r.handlevar > 0) exec::setwindowvar(r.handlevar, handlenumber(made));
  if ((s.style & stylenocycle) != 0) r.kind |= exec::kind::nocycle;
  win::RECT outer{};
  win::GetWindowRect(made, &outer);
  r.left = outer.left;
  r.top = outer.top;
  return true;
}

// What a built toolbar, the mouse and a loaded picture need of the window
// once it is there.
void attach(Statement& s) {
  exec::wdwrec& r = *s.target;
  int ups = 0;
  if (s.toolbar && r.toolitems.size() > 0 && r.window != nullptr) {
    // Buttons as high as the image strip.
    const int iw = s.buttonwidth, ih = s.toolheight, bw = s.buttonwidth + 7, bh = ih + 6;
    toolkit::SET_TOOLBAR(r.toolitems.data(), static_cast<int>(r.toolitems.size()), &r.window,
                         nullptr, nullptr, &iw, &ih, &bw, &bh, &ups);
  }
  if (s.menubuilt && !s.isnew && r.window != nullptr && r.menuitems.size() > 0)
    toolkit::REDEFINE_WINDOW(r.window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, r.menuitems.data(),
                             static_cast<int>(r.menuitems.size()), nullptr, nullptr, nullptr,
                             nullptr, nullptr, &ups);
  if (childcalls.MOUSEPROC != nullptr && r.window != nullptr)
    toolkit::CAPTURE_MOUSE_EVENTS(r.window, childcalls.MOUSEPROC, mousemask, nullptr, &ups);
  if (s.loaded != nullptr && r.bitmap != nullptr) {
    toolkit::draw_target_t t;
    toolkit::START_BITMAP_DRAW(&r.bitmap, nullptr, nullptr, t, &ups);
    if (t.marker != 0) {
      const int x = 0, y = 0;
      toolkit::DRAW_BITMAP(t, s.loaded, nullptr, &onetoone, nullptr, nullptr, nullptr, nullptr, &x,
                           &y, &s.loadedwidth, &s.loadedheight, &ups);
      toolkit::END_BITMAP_DRAW(t, &ups);
    }
    toolkit::DELETE_OBJECT(s.loaded, &ups);
    s.loaded = nullptr;
    toolkit::UPDATE_WINDOW(r.window, nullptr, nullptr, &ups);
  }
}

// FONt (a face, or none to choose one) and GraphicsFont give the window
// its font.
void fonts(Statement& s) {
  exec::wdwrec& r = *s.target;
  const std::int32_t pt = slot(kw("PoinT")), rot = slot(kw("ROTate")), ul = slot(kw("UnderLine")),
                     bo = slot(kw("BOld")), it = slot(kw("ITalic"));
  bool changed = false;
  const std::int32_t f = slot(kw("FONt"));
  if (f != 0 && numbersof(f).count == 0) {
    const std::int32_t made = plot::SETFONTPTROULBOITST(s.slotnow, f, pt, rot, ul, bo, it, 0);
    if (made > 0) {
      r.fontslot = made;
      changed = true;
    }
  }
  if (valued(kw("GraphicsFont"))) {
    const std::int32_t made =
        plot::SETFONTPTROULBOITST(graphicsslot, slot(kw("GraphicsFont")), pt, rot, ul, bo, it, 0);
    if (made > 0) {
      r.fontslot = made;
      r.kind = (r.kind & ~exec::kind::text) | exec::kind::graphics;
      changed = true;
    }
  }
  if (!changed || r.window == nullptr) return;
  int ups = 0;
  const win::HFONT h = font(r.fontslot).font;
  if (h != nullptr)
    toolkit::REDEFINE_WINDOW(r.window, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, &h, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                             nullptr, nullptr, nullptr, &ups);
}

void margins(Statement& s) {
  exec::wdwrec& r = *s.target;
  struct Margin {
    std::int32_t k, index;
    bool vertical;
  };
  static constexpr Margin all[] = {{kw("TopSpace"), margin::top, true},
                                   {kw("BottomSpace"), margin::bottom, true},
                                   {kw("LeftSpace"), margin::left, false},
                                   {kw("RightSpace"), margin::right, false}};
  const std::int32_t cw = cellwidth(r.fontslot), ch = cellheight(r.fontslot);
  bool any = false;
  for (const Margin& m : all) {
    if (!valued(m.k)) continue;
    any = true;
    r.printarea[m.index] =
        std::min(plot::PXLSFROMR8(value(m.k), m.vertical ? ch : cw,
                                  m.vertical ? r.clientheight : r.clientwidth),
                 exec::marginmost);
  }
  if (!any) return;
  for (const Margin& m : all) r.textarea[m.index] = r.printarea[m.index] / (m.vertical ? ch : cw);
}

void shifts(Statement& s) {
  exec::wdwrec& r = *s.target;
  if (childcalls.BITMAPACTION == nullptr || r.bitmap == nullptr) return;
  bool moved = false;
  for (std::int32_t k : {kw("Up"), kw("Left")}) {
    if (!valued(k)) continue;
    // Rows or columns, held within what the shift's arithmetic holds.
    const std::int32_t n = core::nearestwithin(value(k), core::layoutmost);
    childcalls.BITMAPACTION(r, k == kw("Up") ? n : 0, k == kw("Left") ? n : 0,
                            r.textarea[margin::top], r.textarea[margin::left],
                            r.textarea[margin::bottom], r.textarea[margin::right]);
    moved = true;
  }
  int ups = 0;
  if (moved && r.window != nullptr) toolkit::UPDATE_WINDOW(r.window, nullptr, nullptr, &ups);
}

}  // namespace ui::childstmt
