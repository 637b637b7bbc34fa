#include "ide/mainwindow.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/messages.h"
#include "core/runwords.h"
#include "core/symbols.h"
#include "core/winapi_byname.h"
#include "exec/xeq.h"
#include "ide/byname.h"
#include "ide/idewords.h"
#include "ide/statusbar.h"
#include "ide/tooltip.h"
#include "plot/curves.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "toolkit/bitmaps.h"
#include "toolkit/draw.h"
#include "toolkit/draw_targets.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "ui/childwords.h"
#include "ui/popupmenu.h"

namespace ide {

namespace {

constexpr int kLeftDown = 0, kLeftUp = 1, kRightDown = 2, kRightUp = 3;
constexpr std::int32_t kTextOrigin = 22;  // the main window's pixels above its text
constexpr int kCaptionButtonMetric = 31;

void postto(int code, win::HWND window) { toolkit::POST_COMMAND(code, &window); }

wdwrec* recordof(win::HWND window) {
  if (wdwhead == nullptr) return nullptr;
  if (wdwhead->window == nullptr || wdwhead->window == window) return wdwhead;
  FINDWINDOW(window);
  return wdwcur;
}

void resize(win::HWND window) {
  sizechanged = true;
  WINDOWSIZE(window);
  postto(post::sized, window);
  core::edmode = core::edmode == 11 ? 12 : 13;
  STATUSBAR({.title = wdwhead->title.view(), .layout = 2});
  core::edmark = core::edmarkall;
}

void keepplace(win::HWND window, bool size) {
  win::RECT r{};
  if (!windowrect(window, r)) return;
  mainwinrect.x = r.left;
  mainwinrect.y = r.top;
  if (size) {
    mainwinrect.width = r.right - r.left;
    mainwinrect.height = r.bottom - r.top;
  }
  wdwhead->left = r.left;
  wdwhead->top = r.top;
}

}  // namespace

int WINDOWCHANGED(win::HWND& window, int& type) {
  if (wdwhead == nullptr) return 0;
  std::int32_t& flags = wdwhead->kind;
  switch (type) {
    case 0:
      flags &= ~(kind::maximised | kind::minimised);
      keepplace(window, true);
      resize(window);
      break;
    case 1:
      flags = (flags | kind::minimised) & ~kind::maximised;
      break;
    case 2:
      flags = (flags | kind::maximised) & ~kind::minimised;
      resize(window);
      break;
    case 0x405:
      keepplace(window, false);
      break;
    case 0x406:
      activechild = nullptr;
      wdwcur = wdwhead;
      break;
    case 0x407:
      // A window came over the editor (a box, the help, a dialog of a
      // step): the tooltip of the editor's line goes. (Shown, the tooltip
      // takes the activation for a moment itself.)
      if (win::GetActiveWindow() != tipwnd) HIDETOOLTIP();
      break;
    default:
      break;
  }
  mainwinrect.state = flags;
  return 0;
}

void WINDOWSIZE(win::HWND window) {
  wdwrec* r = recordof(window);
  if (r == nullptr) return;
  win::RECT outer{};
  clientrect_of(window, clientrect);
  windowrect(window, outer);
  clientrect_of(window, clientrect);
  const plot::FontSlot& f = plot::fontslots(2);
  textwidth = (outer.right - outer.left) - 2 * sysmetrics(metric::framewidth);
  textheight = (outer.bottom - outer.top) - f.cellheight - sysmetrics(metric::menubar) -
               sysmetrics(metric::caption) - 5 * sysmetrics(metric::frameheight) - kTextOrigin;
  if (textheight < 0) textheight = 0;
  r->clientwidth = textwidth;
  r->clientheight = textheight;
  ncols = f.cellwidth > 0 ? textwidth / f.cellwidth : 0;
  nrows = f.cellheight > 0 ? textheight / f.cellheight : 0;
  if (r->bitmap != nullptr && ncols * nrows != r->bitmapcells) {
    toolkit::DELETE_OBJECT(r->bitmap, &ups);
    r->bitmap = nullptr;
  }
  if (r->bitmap == nullptr) {
    int ups = 0;
    r->bitmap = toolkit::CREATE_BITMAP(textwidth - vscrollwidth, textheight, nullptr, &ups);
    if (r->bitmap == nullptr) {
      // Nothing to draw into: a strip of the window is repainted.
      const win::RECT strip{0, 0, mainwinrect.width,
                            toolkit::GET_SYSTEM_METRICS(kCaptionButtonMetric, &ups)};
      toolkit::UPDATE_WINDOW(window, nullptr, &strip, &ups);
      return;
    }
    r->bitmapcells = ncols * nrows;
  }
}

void PAINTWINDOW(toolkit::draw_target_t& target) {
  if (wdwhead == nullptr || wdwhead->bitmap == nullptr) return;
  const int onetoone = 3;
  int ups = 0;
  toolkit::DRAW_BITMAP(target, wdwhead->bitmap, nullptr, &onetoone, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
}

int USERBITMAPSCROLL(win::HWND& window, int& request, int& position, int& thumb) {
  const std::int32_t page = scrollpage, total = scrolltotal;
  int to = -1;
  switch (request) {
    case 0:
    case 0x100:
      to = position - 1;
      break;
    case 1:
      to = position + 1;
      break;
    case 2:
      to = std::max(position - page + 1, 1);
      break;
    case 3:
      to = std::min(position + page - 1, total - page + 1);
      break;
    case 5:
    case 0x105:
      to = thumb;
      break;
    case 6:
    case 0x106:
      to = 1;
      break;
    case 7:
      to = total - page + 1;
      break;
    default:
      return -1;
  }
  if (to == position) return -1;
  if (ismainwindow(window)) {
    core::mousebtn = 16;
    scrollreq = {request, thumb, to};
    postto(post::scroll, window);
  }
  return to;
}

int MOUSEPROC(int& event, win::POINT& point, win::POINT&, win::HWND& window, win::RECT&,
              int& keys) {
  mousekeys = keys;
  const bool main = ismainwindow(window);
  switch (event) {
    case 0x1:
      mousepoints[kLeftDown] = point;
      if ((ui::popupmode & 1) != 0) {
        ui::POPUPMENUATMOUSE(window, point);
        break;
      }
      core::mousebtn = 2;
      WINDOWMOUSEINTERNAL(1, window);
      break;
    case 0x2:
      mousepoints[kLeftUp] = point;
      core::mousebtn = -2;
      if (main)
        postto(post::mouse, window);
      else
        WINDOWMOUSEINTERNAL(4, window);
      break;
    case 0x40:
      mousepoints[kRightDown] = point;
      if ((ui::popupmode & 2) != 0) ui::POPUPMENUATMOUSE(window, point);
      core::mousebtn = 4;
      WINDOWMOUSEINTERNAL(2, window);
      break;
    case 0x80:
      if ((ui::popupmode & 2) == 0) {
        mousepoints[kRightUp] = point;
        core::mousebtn = -4;
        WINDOWMOUSEINTERNAL(8, window);
      }
      if (main) postto(post::mouse, window);
      break;
    default:
      break;
  }
  return 0;
}

void WINDOWMOUSEINTERNAL(std::int32_t bits, win::HWND window) {
  evtflags |= bits;
  FINDWINDOW(window);
  // A window not in the list is ignored.
  if (wdwcur == nullptr) return;
  if (wdwcur->mousemode <= 0 && bits != 1) return;
  MAUSXY();
  if (wdwcur->mousemode > 0) core::SETZTOR8(wdwcur->mousemode, static_cast<double>(bits));
  // The first axis reporting in this window whose frame holds the click.
  for (std::int32_t k = 1; k <= plot::naxes && window != nullptr; ++k) {
    if (plot::axisstate.mousewindow(k) != window) continue;
    const std::int32_t routine = plot::MAUSED(k, mousepos.x, mousepos.y);
    if (routine < 0) continue;
    core::mousebtn = 0;
    if (routine > 0) {
      pendinghandler = routine;
      exec::eventlabel = routine;
      // To the main window, whose command loop hands it to the executor;
      // a plot window has no use for it.
      if (wdwhead != nullptr) postto(post::plotmouse, wdwhead->window);
    }
    return;
  }
}

namespace {

// The client y at which the main window's first text row is drawn: its
// picture stands where the window's client area starts for drawing (below
// the toolbar, whatever its height), its rows below the text area's top
// margin.
std::int32_t textorigin(const wdwrec& r, std::int32_t cellheight) {
  win::RECT area{};
  const bool known = r.window != nullptr && toolkit::GET_CLIENT_AREA(r.window, area);
  return (known ? area.top : r.topoffset) + cellheight * r.textarea[2];
}

}  // namespace

void MAUSXY() {
  const wdwrec* r = wdwcur != nullptr ? wdwcur : wdwhead;
  if (r == nullptr) return;
  // By the button event: its position, the button, the left and right flags.
  struct Event {
    std::int32_t code, point, button, left, right;
  };
  static constexpr Event events[] = {{2, kLeftDown, 1, 1, 0},
                                     {4, kRightDown, 2, 0, 1},
                                     {-2, kLeftUp, 1, 1, 0},
                                     {-4, kRightUp, 2, 0, 1}};
  const Event* e = std::find_if(std::begin(events), std::end(events),
                                [](const Event& x) { return x.code == core::mousebtn; });
  if (e == std::end(events)) return;  // no button event: the words stay
  const win::POINT p = mousepoints[static_cast<std::size_t>(e->point)];
  mousepos.button = e->button;
  mousepos.left = e->left;
  mousepos.right = e->right;
  const plot::FontSlot& f = plot::fontslots(plot::fontslots.valid(r->fontslot) ? r->fontslot : 2);
  const std::int32_t origin = r == wdwhead ? textorigin(*r, f.cellheight) : 0;
  mousepos.x = p.x;
  mousepos.y = p.y;
  mousepos.column = f.cellwidth > 0 ? p.x / f.cellwidth + 1 : 1;
  mousepos.row = f.cellheight > 0 ? (p.y - origin) / f.cellheight + 1 : 1;
  core::mousebtn = 0;
}

int EditStreamCB(std::intptr_t, std::intptr_t, std::int32_t, std::int32_t&) {
  int answer = 0;
  core::MESSAGEBOX("-", "EditStreamCB|Entering", answer);
  return 0;
}

win::LRESULT BEEPWNDPROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                         win::LPARAM lparam) {
  if (message >= win::WM_USER) {
    core::WinApiArgs a{100, 100};
    core::CALLWINAPISUB("Beep", a, "K");
  }
  return win::DefWindowProcA(window, message, wparam, lparam);
}

void SHOWCALLBACKARGS(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  char text[48];
  std::snprintf(text, sizeof text, "%10d%10d%10d%10d", a, b, c, d);
  int answer = 0;
  core::MESSAGEBOX("-", text, answer);
}

void reset_mainwindow() {
  nrows = 24;
  ncols = 80;
  textwidth = textheight = 0;
  clientrect = win::RECT{};
  vscrollwidth = 0;
  activechild = nullptr;
  scrollreq = ScrollRequest{};
  scrollpage = scrolltotal = 1;
  mousepoints = {};
  mousekeys = 0;
  mousepos = MousePosition{};
}

}  // namespace ide
