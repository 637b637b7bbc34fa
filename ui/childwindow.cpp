// The WINDOW statement.
#include "ui/childwindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "io/fileinfo.h"
#include "plot/backbrush.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/printstate.h"
#include "plot/uqclear.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"
#include "toolkit/menus.h"
#include "toolkit/mouse.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/toolbar.h"
#include "toolkit/windows.h"
#include "ui/childmenus.h"
#include "ui/childtools.h"
#include "ui/childwords.h"
#include "ui/dialogwords.h"

namespace ui {

namespace {

using core::OptStmt;
consteval std::int32_t kw(std::string_view k) { return core::optkwnr(OptStmt::WINDOW, k); }

constexpr std::int32_t mostkeyword = kw("HIDE");
constexpr std::int32_t titlelength = 96;
constexpr std::int32_t defaultstyle = 0x000F0000;
constexpr std::int32_t stylemaximised = 0x01000000;
constexpr std::int32_t styleminimised = 0x20000000;
constexpr std::int32_t stylenocycle = 0x08000000;
constexpr double mostbackcolour = 31.25;
constexpr double defaultbackcolour = 15.0;
constexpr std::int32_t textslot = 4;
constexpr std::int32_t graphicsslot = 5;
constexpr std::int32_t placeslot = 2;
constexpr std::int32_t showmaximised = 3;
constexpr std::int32_t showminimised = 6;
constexpr std::int32_t showrenamed = 5;
constexpr std::int32_t hidden = 0;
constexpr std::int32_t minimisedshow = 2;
// The mouse events the window list takes: left and right presses and
// releases, and the rubber rectangle.
constexpr int mousemask = toolkit::kLeftDown | toolkit::kLeftUp | toolkit::kRightDown |
                          toolkit::kRightUp | toolkit::kLeftRubberRect;
constexpr std::int32_t onetoone = 3;
constexpr std::int32_t printend = 0x8;
constexpr std::int32_t printnow = -2;
constexpr std::int32_t runningwhole = 0x4;

std::int32_t slot(std::int32_t k) { return exec::optval.valid(k) ? exec::optval(k) : 0; }
bool present(std::int32_t k) { return slot(k) != 0; }
// Given with a value.
bool valued(std::int32_t k) { return slot(k) > 0 && core::z.valid(slot(k)); }
double value(std::int32_t k) { return valued(k) ? core::z(slot(k)) : 0.0; }
// A variable of the script (not a temporary of the statement).
std::int32_t variableof(std::int32_t k) {
  return slot(k) > 0 && slot(k) < core::iresult ? slot(k) : 0;
}

std::string textof(std::int32_t k) {
  std::string t;
  operandtext(slot(k), t);
  const std::size_t e = t.find_last_not_of(' ');
  return e == std::string::npos ? std::string() : t.substr(0, e + 1);
}

const plot::FontSlot& font(std::int32_t s) {
  return plot::fontslots(plot::fontslots.valid(s) ? s : 1);
}
std::int32_t cellwidth(std::int32_t s) { return std::max<std::int32_t>(1, font(s).cellwidth); }
std::int32_t cellheight(std::int32_t s) { return std::max<std::int32_t>(1, font(s).cellheight); }

std::int32_t metric(int m) { return exec::sysmetrics(m); }

bool inlist(const exec::wdwrec* r) {
  for (const exec::wdwrec* x = exec::wdwhead; x != nullptr; x = x->next)
    if (x == r) return true;
  return false;
}

// The record of a window the list holds; null for none.
exec::wdwrec* recordof(win::HWND h) {
  if (h == nullptr) return nullptr;
  for (exec::wdwrec* r = exec::wdwhead; r != nullptr; r = r->next)
    if (r->window == h) return r;
  return nullptr;
}

bool ischild(const exec::wdwrec* r) { return r != nullptr && r != exec::wdwhead; }

bool isfileview(const exec::wdwrec& r) { return (r.kind & exec::kind::editorstyle) != 0; }

// The statement fails with the key (and the detail text).
void fail(std::string_view key, std::string_view detail = {}) {
  core::msgkey.set(key);
  if (!detail.empty()) core::failedline.set(detail);
  core::xeqstop = 0x7FFF;
}

// A title that names an existing file of at least one byte.
bool namesfile(const std::string& title) {
  if (title.empty() || title.find_first_of("*?") != std::string::npos) return false;
  std::int64_t size = -1;
  io::FILEINFO(title, size, 0);
  return size >= 1;
}

// The backing bitmap made anew at the size, the old picture drawn into it.
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

// The whole statement's state.
struct Statement {
  exec::wdwrec* entry = nullptr;   // current on entry, current again at the end
  exec::wdwrec* target = nullptr;  // the window acted on
  bool isnew = false;
  std::int32_t options = 0;
  std::int32_t slotnow = 1;  // the current font slot
  win::COLORREF fore = 0;
  double back = defaultbackcolour;
  std::int32_t usablewidth = 0, usableheight = 0;
  bool vscrollcounted = false;
  std::int32_t show = 1;
  bool showgiven = false;
  std::string title;
  // The toolbar built by this statement.
  bool toolbar = false;
  std::int32_t buttonwidth = 0, toolheight = 0, entries = 0;
  bool menubuilt = false;
  // The bitmap LoaD drew from.
  win::HBITMAP loaded = nullptr;
  std::int32_t loadedwidth = 0, loadedheight = 0;
  std::int32_t width = 0, height = 0, x = 0, y = 0;
  std::int32_t style = defaultstyle;
};

void finish(Statement& s) {
  if (s.loaded != nullptr) {
    int ups = 0;
    toolkit::DELETE_OBJECT(s.loaded, &ups);
    s.loaded = nullptr;
  }
  if (s.target != nullptr && inlist(s.target)) {
    if (core::z.valid(core::iresult)) core::z(core::iresult) = handlenumber(s.target->window);
    if (variableof(kw("STATus")) > 0) core::SETZTOR8(slot(kw("STATus")), s.target->kind);
  }
  exec::wdwcur = inlist(s.entry) ? s.entry : exec::wdwhead;
}

// A failure: a record made for a window that never came goes again.
void stop(Statement& s, std::string_view key, std::string_view detail = {}) {
  fail(key, detail);
  if (s.isnew && s.target != nullptr && s.target->window == nullptr) {
    exec::dropunmade(s.target);
    s.target = nullptr;
  }
  finish(s);
}

// Closes the window of each handle that Kill names.
void kill() {
  const Numbers n = numbersof(slot(kw("Kill")));
  for (std::int32_t i = 1; i <= n.count; ++i) {
    const win::HWND h = handleof(n.at(i));
    if (h == nullptr || (exec::inkill & 1) != 0) continue;
    if (recordof(h) != nullptr) exec::KILLWINDOW(h, -1);
  }
}

// The show command the options ask for, and whether one did.
void showcommand(Statement& s) {
  struct Show {
    std::int32_t k, command;
  };
  static constexpr Show shows[] = {{kw("NORMal"), 1},
                                   {kw("MINImize"), minimisedshow},
                                   {kw("MAXImize"), showmaximised},
                                   {kw("HIDE"), hidden}};
  for (const Show& sh : shows) {
    if (!present(sh.k)) continue;
    s.show = sh.command;
    s.showgiven = true;
    return;
  }
}

// Sends a show option to the window it names; true when the statement ends
// with it.
bool sendshow(Statement& s, std::int32_t showkw) {
  win::HWND to = nullptr;
  if (present(kw("WINdowhandle")) && !s.isnew) {
    to = s.target->window;
  } else if (const exec::wdwrec* r = recordof(handleof(value(showkw)))) {
    to = r->window;
  } else if (s.isnew) {
    return false;  // the new window takes it
  } else {
    to = exec::mainwindow();
  }
  if (to == nullptr) return true;
  if (to == exec::mainwindow() && (s.show == hidden || s.show == minimisedshow) &&
      (core::xeqmode & runningwhole) == 0)
    return false;
  win::ShowWindowAsync(to, s.show);
  return true;
}

// The option keyword of the show command given.
std::int32_t showkeyword() {
  for (std::int32_t k : {kw("NORMal"), kw("MINImize"), kw("MAXImize"), kw("HIDE")})
    if (present(k)) return k;
  return 0;
}

void usableextents(Statement& s) {
  s.usablewidth = metric(exec::metric::screenwidth) - 2 * metric(exec::metric::framewidth);
  s.vscrollcounted = s.target == exec::wdwhead || (s.target != nullptr && isfileview(*s.target));
  if (s.vscrollcounted) s.usablewidth -= metric(exec::metric::vscrollwidth);
  s.usableheight = metric(exec::metric::screenheight) - 2 * metric(exec::metric::frameheight);
  s.usablewidth = std::max(s.usablewidth, 1);
  s.usableheight = std::max(s.usableheight, 1);
}

// The text or graphics window's kind and font slot, or a file view.
void newkind(Statement& s) {
  exec::wdwrec& r = *s.target;
  if (namesfile(s.title)) {
    r.kind = exec::kind::editorstyle | exec::kind::text;
    r.fontslot = textslot;
    return;
  }
  r.fontslot = s.slotnow;
  if (s.slotnow == graphicsslot) {
    r.kind = exec::kind::graphics;
    if (plot::fontslots(graphicsslot).font == nullptr) {
      const plot::FontSlot& f = plot::fontslots(graphicsslot);
      plot::SETFONT(graphicsslot, f.face.view(), f.points, f.angle, f.underline, f.weight,
                    f.italic);
    }
  } else {
    r.kind = exec::kind::text;
  }
}

// The toolbar and the menu of a child window (each built once). False when
// the statement stopped.
bool bars(Statement& s) {
  exec::wdwrec& r = *s.target;
  if (valued(kw("Toolbar")) && r.toolitems.size() == 0) {
    const std::int32_t sub = menusubroutine(slot(kw("Toolbar")));
    if (sub <= 0) {
      stop(s, childkeys::notoolsub);
      return false;
    }
    r.toolhandler = sub;
    const std::string_view key = CHILDTOOLS(r, slot(kw("Toolbar")), slot(kw("ToolTypes")),
                                            s.buttonwidth, s.toolheight, s.entries);
    if (!key.empty()) {
      r.toolitems.clear();
      r.toolstatevar = 0;
      stop(s, key, textof(kw("Toolbar")));
      return false;
    }
    s.toolbar = true;
    r.topoffset = s.toolheight;
    s.usableheight -= s.toolheight;
  }
  if (r.menuitems.size() == 0 && r.popupitems.size() == 0) {
    if (valued(kw("Menu"))) {
      r.menustatevar = variableof(kw("SelTxt"));
      const std::string_view key = MAKEMENUS1(r, &r, false, slot(kw("Menu")),
                                              valued(kw("MenuTypes")) ? slot(kw("MenuTypes")) : 0);
      if (!key.empty()) {
        freemenus(r);
        stop(s, key);
        return false;
      }
      s.menubuilt = true;
      r.frameheight = metric(exec::metric::menubar);
      s.usableheight -= r.frameheight;
    }
  } else if (valued(kw("MenuTypes"))) {
    UPDATEMENU(r, slot(kw("MenuTypes")));
  }
  return true;
}

std::int32_t stylevalue() {
  const Numbers st = numbersof(slot(kw("STYle")));
  return st.count > 0 ? nint(st.at(1)) : defaultstyle;
}

// The window opens maximised: MAXImize, or the style asks for it.
bool maximised(const Statement& s) {
  return (s.showgiven && s.show == showmaximised) || (stylevalue() & stylemaximised) != 0;
}

// Width, height and place in pixels.
void geometry(Statement& s) {
  exec::wdwrec& r = *s.target;
  const std::int32_t chrome = metric(exec::metric::caption) + 2 * metric(exec::metric::frameheight);
  std::int32_t fallback = 0;
  if (s.toolbar) fallback = (s.buttonwidth + 6) * s.entries;
  if (s.loaded != nullptr) fallback = std::max(fallback, s.loadedwidth);
  s.width = s.isnew || present(kw("Width"))
                ? widthpixels(value(kw("Width")), fallback, cellwidth(s.slotnow), s.usablewidth)
                : r.clientwidth;
  s.height = s.isnew || present(kw("Height"))
                 ? heightpixels(value(kw("Height")), s.loaded != nullptr ? s.loadedheight : 0,
                                cellheight(s.slotnow), s.toolheight, s.usableheight, chrome)
                 : r.clientheight;
  // A new window that opens maximised and was given no size of its own
  // restores to half the usable screen.
  if (s.isnew && maximised(s)) {
    if (value(kw("Width")) <= 0.0) s.width = std::max(1, s.usablewidth / 2);
    if (value(kw("Height")) <= 0.0) s.height = std::max(1, s.usableheight / 2);
  }
  const std::int32_t vscroll = s.vscrollcounted ? metric(exec::metric::vscrollwidth) : 0;
  const std::int32_t rightmost =
      metric(exec::metric::screenwidth) - s.width - vscroll - metric(exec::metric::framewidth);
  const std::int32_t lowest = metric(exec::metric::screenheight) - s.height -
                              2 * metric(exec::metric::frameheight) -
                              metric(exec::metric::caption) - r.frameheight - r.topoffset;
  s.x = s.isnew || present(kw("X"))
            ? edgepixels(value(kw("X")), cellwidth(placeslot), s.usablewidth, rightmost)
            : r.left;
  s.y = s.isnew || present(kw("Y"))
            ? edgepixels(value(kw("Y")), cellheight(placeslot), s.usableheight, lowest)
            : r.top;
}

// Writes the window's picture as a BMP file; false when it could not.
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

void bind(Statement& s) {
  exec::wdwrec& r = *s.target;
  if (variableof(kw("X")) > 0) r.xvar = slot(kw("X"));
  if (variableof(kw("Y")) > 0) r.yvar = slot(kw("Y"));
  if (variableof(kw("Width")) > 0) r.widthvar = slot(kw("Width"));
  if (variableof(kw("Height")) > 0) r.heightvar = slot(kw("Height"));
  s.style = stylevalue();
  if ((s.style & stylemaximised) != 0) {
    s.show = showmaximised;
    r.kind = (r.kind | exec::kind::maximised) & ~exec::kind::minimised;
  } else if ((s.style & styleminimised) != 0) {
    s.show = showminimised;
    r.kind = (r.kind | exec::kind::minimised) & ~exec::kind::maximised;
  }
  plot::fontdialogtitle.set("Choose child window font");
}

// An existing window gets its new place, size, colour and font.
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

// Makes the new window. False when the toolkit could not.
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
    r.printarea[m.index] = plot::PXLSFROMR8(value(m.k), m.vertical ? ch : cw,
                                            m.vertical ? r.clientheight : r.clientwidth);
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
    const std::int32_t n = nint(value(k));
    childcalls.BITMAPACTION(r, k == kw("Up") ? n : 0, k == kw("Left") ? n : 0,
                            r.textarea[margin::top], r.textarea[margin::left],
                            r.textarea[margin::bottom], r.textarea[margin::right]);
    moved = true;
  }
  int ups = 0;
  if (moved && r.window != nullptr) toolkit::UPDATE_WINDOW(r.window, nullptr, nullptr, &ups);
}

// PRint: the window's print state; printing at once when it asks.
void print(Statement& s) {
  exec::wdwrec& r = *s.target;
  std::int32_t v = nint(value(kw("PRint")));
  if (v == 0) v = 2;
  if ((v & printend) != 0) v += r.printstate;
  exec::wdwcur = &r;
  plot::SETPRINTSTATE(v);
  if (core::xeqstop == 0 && (r.printstate & printend) != 0) plot::SETPRINTSTATE(printnow);
}

void statement(Statement& s) {
  // Kill, ForeGround: alone they are the whole statement.
  if (present(kw("Kill"))) {
    kill();
    if (s.options == 1) return finish(s);
  }
  if (valued(kw("ForeGround"))) {
    const exec::wdwrec* r = recordof(handleof(value(kw("ForeGround"))));
    int ups = 0;
    if (r != nullptr) toolkit::SET_FOREGROUND(r->window, &ups);
    if (s.options == 1) return finish(s);
  }
  // The target.
  if (!present(kw("WINdowhandle"))) {
    s.target = exec::wdwhead;
  } else {
    s.target = recordof(handleof(value(kw("WINdowhandle"))));
    if (s.target != nullptr && present(kw("UPDAtepanel"))) return stop(s, childkeys::notbuilt);
    s.isnew = s.target == nullptr;
  }
  if (s.target == nullptr && !s.isnew) return finish(s);
  // The fonts: slot 4 made; the current slot.
  if (plot::fontslots(textslot).font == nullptr) {
    const plot::FontSlot& f = plot::fontslots(textslot);
    plot::SETFONT(textslot, f.face.view(), f.points, f.angle, f.underline, f.weight, f.italic);
    if (core::xeqstop != 0) return finish(s);
  }
  const Numbers fontnumber = numbersof(slot(kw("FONt")));
  if (!fontnumber.array && fontnumber.count == 1) {
    const std::int32_t n = nint(fontnumber.at(1));
    if (plot::fontslots.valid(n)) s.slotnow = n;
  }
  // The colours.
  if (valued(kw("ForeColor"))) {
    s.fore = exec::colour(nint(value(kw("ForeColor"))));
  } else {
    s.fore = exec::colour(0);
  }
  if (valued(kw("BaCkcolor"))) {
    const double b = value(kw("BaCkcolor"));
    s.back = std::isfinite(b) ? std::clamp(b, 0.0, mostbackcolour) : defaultbackcolour;
  }
  // The show command.
  showcommand(s);
  if (s.showgiven && sendshow(s, showkeyword())) return finish(s);
  if (!s.isnew) {
    exec::wdwrec& r = *s.target;
    if (present(kw("TItle"))) {
      const std::string t = textof(kw("TItle")).substr(0, titlelength);
      int ups = 0;
      toolkit::REDEFINE_WINDOW(r.window, t.data(), static_cast<int>(t.size()), nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, 0, &showrenamed, nullptr, nullptr, nullptr,
                               nullptr, &ups);
      if (!t.empty()) r.title.set(t);
      if (&r == exec::wdwhead) return finish(s);
    }
    if (ischild(&r)) {
      r.tablescale = static_cast<float>(s.back);
      r.textcolour = static_cast<std::int32_t>(s.fore);
    }
  } else {
    std::int32_t status = 0;
    exec::NEWWINDOW(status, nullptr);
    s.target = exec::wdwcur;
    exec::wdwrec& r = *s.target;
    s.title = present(kw("TItle")) ? textof(kw("TItle")) : std::string();
    if (!present(kw("TItle"))) {
      std::array<char, 256> n{};
      n.fill(' ');
      core::GETNAME(slot(kw("WINdowhandle")), n);
      const std::string_view t(n.data(), n.size());
      const std::size_t e = t.find_last_not_of(' ');
      s.title = e == std::string_view::npos ? std::string() : std::string(t.substr(0, e + 1));
    }
    s.title = s.title.substr(0, titlelength);
    if (s.title.find_first_not_of(' ') != std::string::npos) r.title.set(s.title);
    r.tablescale = static_cast<float>(s.back);
    r.textcolour = static_cast<std::int32_t>(s.fore);
    newkind(s);
    if (core::xeqstop != 0) return stop(s, std::string(core::msgkey.trimmed()));
  }
  usableextents(s);
  if (ischild(s.target) && !isfileview(*s.target) && !bars(s)) return;
  // LoaD: the picture's size serves as the window's.
  if (present(kw("LoaD"))) {
    const std::string file = textof(kw("LoaD"));
    int ups = 0;
    s.loaded = file.empty() ? nullptr
                            : toolkit::LOAD_BITMAP(nullptr, 0, nullptr, file.data(),
                                                   static_cast<int>(file.size()), nullptr, nullptr,
                                                   nullptr, nullptr, nullptr, nullptr, &ups);
    if (s.loaded == nullptr) return stop(s, childkeys::bitmap, file);
    win::BITMAP bm{};
    win::GetObjectA(s.loaded, sizeof bm, &bm);
    s.loadedwidth = bm.bmWidth;
    s.loadedheight = bm.bmHeight;
  }
  geometry(s);
  if (present(kw("SaveAs"))) {
    const std::string file = textof(kw("SaveAs"));
    if (s.isnew || !saveas(*s.target, file)) return stop(s, childkeys::bitmap, file);
    return finish(s);
  }
  bind(s);
  if (!s.isnew) {
    redefine(s);
  } else if (!create(s)) {
    return stop(s, childkeys::bitmap, s.title);
  }
  attach(s);
  fonts(s);
  if (core::xeqstop != 0) return finish(s);
  margins(s);
  shifts(s);
  if (present(kw("PaNeL"))) return stop(s, childkeys::notbuilt);
  if (present(kw("PRint"))) {
    print(s);
    if (core::xeqstop != 0) return finish(s);
  }
  finish(s);
}

}  // namespace

void CHILDWINDOW(const exec::OptCall&) {
  Statement s;
  s.entry = exec::wdwcur;
  for (std::int32_t k = 1; k <= mostkeyword; ++k)
    if (present(k)) ++s.options;
  statement(s);
}

void WINDOWTITLEBAR(std::int32_t cell, std::string_view title, std::int32_t length) {
  const double v = cell > 0 && core::z.valid(cell) ? core::z(cell) : 0.0;
  const win::HWND window = v < 1.0 ? exec::mainwindow() : handleof(v);
  if (window == nullptr) return;
  const std::size_t n =
      std::min<std::size_t>(title.size(), static_cast<std::size_t>(std::max(length, 0)));
  int ups = 0;
  toolkit::REDEFINE_WINDOW(window, title.data(), static_cast<int>(n), nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                           &showrenamed, nullptr, nullptr, nullptr, nullptr, &ups);
}

}  // namespace ui
