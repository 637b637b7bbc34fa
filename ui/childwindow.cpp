// The WINDOW statement.
#include "ui/childwindow.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "core/symbols_text.h"
#include "exec/windowlist.h"
#include "io/fileinfo.h"
#include "plot/fonthelpers.h"
#include "plot/fontslots.h"
#include "plot/printstate.h"
#include "toolkit/bitmaps.h"
#include "toolkit/scrolling.h"
#include "toolkit/windows.h"
#include "ui/childmenus.h"
#include "ui/childstatement.h"
#include "ui/childtools.h"
#include "ui/childwords.h"
#include "ui/dialogwords.h"
#include "ui/panel.h"

namespace ui {

namespace {

using namespace childstmt;

// The statement fails with the key (and the detail text).
void fail(std::string_view key, std::string_view detail = {}) {
  core::msgkey.set(key);
  if (!detail.empty()) core::failedline.set(detail);
  core::xeqstop = core::stops::error;
}

// A title that names an existing file of at least one byte.
bool namesfile(const std::string& title) {
  if (title.empty() || title.find_first_of("*?") != std::string::npos) return false;
  std::int64_t size = -1;
  io::FILEINFO(title, size, 0);
  return size >= 1;
}

void finish(Statement& s) {
  if (s.loaded != nullptr) {
    int ups = 0;
    toolkit::DELETE_OBJECT(s.loaded, &ups);
    s.loaded = nullptr;
  }
  if (s.target != nullptr && exec::listed(s.target)) {
    if (core::z.valid(core::iresult)) core::z(core::iresult) = handlenumber(s.target->window);
    if (variableof(kw("STATus")) > 0) core::SETZTOR8(slot(kw("STATus")), s.target->kind);
  }
  exec::wdwcur = exec::listed(s.entry) ? s.entry : exec::wdwhead;
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

// PRint: the window's print state; printing at once when it asks.
void print(Statement& s) {
  exec::wdwrec& r = *s.target;
  // (Its bits lie far below the bound, which leaves room for the sum.)
  std::int32_t v = core::nearestwithin(value(kw("PRint")), core::layoutmost);
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
    if (s.target != nullptr && present(kw("UPDAtepanel"))) {
      exec::wdwcur = s.target;
      // Without a value every field is drawn anew.
      const std::int32_t which = slot(kw("UPDAtepanel")) > 0 ? slot(kw("UPDAtepanel")) : -1;
      PANEL({}, which, std::max(slot(kw("BaCkcolor")), 0), std::max(slot(kw("ForeColor")), 0), 0);
      return finish(s);
    }
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
      // The main window's record keeps the path of the script being
      // edited, which Save writes and the print list names: the title
      // renames only its caption.
      if (&r == exec::wdwhead) return finish(s);
      if (!t.empty()) r.title.set(t);
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
  if (present(kw("PaNeL"))) {
    exec::wdwcur = s.target;
    PANEL(textof(kw("PaNeL")), 0, 0, 0, std::max(slot(kw("FONt")), 0));
    if (core::xeqstop != 0) return finish(s);
  }
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
