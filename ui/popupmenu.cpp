#include "ui/popupmenu.h"

#include <algorithm>

#include "core/rawmem.h"
#include "core/runwords.h"
#include "core/shoplists.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "platform/backend.h"
#include "platform/win_queue_idle.h"
#include "toolkit/menus.h"
#include "ui/childmenus.h"
#include "ui/childwords.h"
#include "ui/dialogwords.h"

namespace ui {

namespace {

using core::OptStmt;
constexpr std::int32_t kwmenu = core::optkwnr(OptStmt::POP, "Menu");
constexpr std::int32_t kwowner = core::optkwnr(OptStmt::POP, "Owner");
constexpr std::int32_t kwx = core::optkwnr(OptStmt::POP, "X");
constexpr std::int32_t kwy = core::optkwnr(OptStmt::POP, "Y");
constexpr std::int32_t kwtypes = core::optkwnr(OptStmt::POP, "MenuTypes");
constexpr std::int32_t kwpoptype = core::optkwnr(OptStmt::POP, "Poptype");
constexpr std::int32_t kwseltxt = core::optkwnr(OptStmt::POP, "SelTxt");

// Mode bits of Poptype: open on a left press, on a right press.
constexpr std::int32_t armleft = 1;
constexpr std::int32_t armright = 2;
constexpr std::int32_t armed = armleft | armright;
// The dialog text's popup: its place below the main window's menu bar.
constexpr std::int32_t textpopupx = 288;
constexpr std::int32_t textpopupgap = 32;
constexpr std::int32_t scratchlength = 40;
constexpr std::int16_t scratchtype = 0x48;

// What the last POP statement named, for the presses to come: variables
// only (a temporary of the statement is gone by then), 0 none.
struct Kept {
  std::int32_t menu = 0;
  std::int32_t owner = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t types = 0;
  std::int32_t poptype = 0;
  std::int32_t seltxt = 0;
  std::int32_t handler = 0;  // the menu's subroutine
};
Kept kept;

std::int32_t slot(std::int32_t kw) {
  const std::int32_t s = exec::optval.valid(kw) ? exec::optval(kw) : 0;
  return s > 0 ? s : 0;
}

std::int32_t variable(std::int32_t s) { return s > 0 && s < core::iresult ? s : 0; }

double value(std::int32_t s) { return s > 0 && core::z.valid(s) ? core::z(s) : 0.0; }

bool given(std::int32_t s) { return s > 0 && core::z.valid(s); }

// Where a popup shows: what the options say, else the position given (a
// negative one: the middle of the screen).
std::int32_t place(std::int32_t s, std::int32_t start, std::int32_t half) {
  if (given(s)) return core::nearestwithin(value(s), core::layoutmost);
  return start < 0 ? half : start;
}

struct Show {
  exec::wdwrec* at = nullptr;  // the window the popup belongs to
  std::int32_t ownerslot = 0;  // Owner's value, 0 none
  std::int32_t x = 0, y = 0;   // client pixels of that window
  std::int32_t flags = 0;      // the platform's popup flags
};

// Shows the main record's menu in the window; true when an item was chosen
// and its command is on its way.
bool show(const Show& s) {
  exec::wdwrec* main = exec::wdwhead;
  if (main == nullptr || s.at == nullptr || main->menuitems.size() < 1) return false;
  // Without a display and with nothing on its way, no one can choose.
  if (!plat::backend().has_display() && win::queue_idle()) return false;
  if (s.ownerslot > 0 && handleof(value(s.ownerslot)) != s.at->window) return false;
  exec::wdwcur = s.at;
  win::HWND owner = s.at->window != nullptr ? s.at->window : main->window;
  if (owner == nullptr) return false;
  // The popup opens where the press was, in screen pixels.
  win::POINT p{s.x, s.y};
  win::ClientToScreen(owner, &p);
  int ups = 0;
  const int x = p.x, y = p.y;
  const int chosen =
      toolkit::DISPLAY_POPUP_MENU(main->menuitems.data(), static_cast<int>(main->menuitems.size()),
                                  &owner, nullptr, nullptr, &x, &y, &s.flags, nullptr, &ups);
  // A choice returned to the caller is not used.
  return chosen != 0 && (s.flags & win::TPM_RETURNCMD) == 0;
}

// Builds the POP menu in the main window's record, its handler going to the
// window the popup belongs to; "" or the message key.
std::string_view build(exec::wdwrec* at, const Kept& k) {
  exec::wdwrec* main = exec::wdwhead;
  if (main == nullptr) return {};
  freemenus(*main);
  main->menustatevar = k.seltxt;
  const std::string_view key = MAKEMENUS1(*main, nullptr, true, k.menu, k.types);
  if (key.empty() && at != nullptr && k.handler > 0) at->popuphandler = k.handler;
  return key;
}

}  // namespace

void POPUPMENU(const exec::OptCall&) {
  exec::wdwrec* main = exec::wdwhead;
  exec::wdwrec* const entry = exec::wdwcur;
  const std::int32_t menu = slot(kwmenu);
  if (menu == 0) {
    // No menu: the popup goes, armed or not.
    if (main != nullptr) freemenus(*main);
    popupmode = 0;
    popuppending = 0;
    kept = Kept{};
    return;
  }
  Kept k;
  k.menu = menu;
  k.owner = slot(kwowner);
  k.x = slot(kwx);
  k.y = slot(kwy);
  k.types = slot(kwtypes);
  k.poptype = slot(kwpoptype);
  k.seltxt = slot(kwseltxt);
  win::POINT start{-1, -1};
  if (childcalls.lastmouse != nullptr && !childcalls.lastmouse(start)) start = {-1, -1};
  exec::wdwrec* at = entry != nullptr ? entry : main;
  if (k.owner > 0) {
    exec::FINDWINDOW(handleof(value(k.owner)));
    if (exec::wdwcur != nullptr) at = exec::wdwcur;
  }
  const std::int32_t flags = given(k.poptype) ? nint(value(k.poptype)) : 0;
  popupmode = flags;
  popuppending = 0;
  core::msgkey.blank();
  k.handler = menusubroutine(k.menu);
  const std::string_view key = build(at, k);
  exec::wdwcur = entry;
  if (!key.empty()) {
    // A failed menu is not kept for the presses to come.
    if (main != nullptr) freemenus(*main);
    popupmode = 0;
    kept = Kept{};
    core::msgkey.set(key);
    core::xeqstop = core::stops::error;
    return;
  }
  // The presses to come rebuild the menu from the variables' values then.
  kept = {variable(k.menu),  variable(k.owner),   variable(k.x),      variable(k.y),
          variable(k.types), variable(k.poptype), variable(k.seltxt), k.handler};
  if ((flags & armed) != 0) return;
  const std::int32_t sw = exec::sysmetrics(exec::metric::screenwidth);
  const std::int32_t sh = exec::sysmetrics(exec::metric::screenheight);
  Show s{at, k.owner, place(k.x, start.x, sw / 2), place(k.y, start.y, sh / 2), flags};
  popuppending = show(s) ? 1 : 0;
  exec::wdwcur = entry;
}

void POPUPMENUATMOUSE(win::HWND window, win::POINT press) {
  if ((popupmode & armed) == 0 || kept.menu <= 0 || kept.menu > core::nsym) return;
  exec::wdwrec* const entry = exec::wdwcur;
  exec::FINDWINDOW(window);
  exec::wdwrec* at = exec::wdwcur != nullptr ? exec::wdwcur : exec::wdwhead;
  const std::string_view key = build(at, kept);
  if (!key.empty()) {
    // The menu the script named is no menu any more: the popup is disarmed.
    popupmode = 0;
    exec::wdwcur = entry;
    return;
  }
  if (kept.x > 0) core::SETZTOR8(kept.x, press.x);
  if (kept.y > 0) core::SETZTOR8(kept.y, press.y);
  const std::int32_t flags = kept.poptype > 0 ? nint(value(kept.poptype)) & ~armed : 0;
  Show s{at, kept.owner, press.x, press.y, flags};
  popuppending = show(s) ? 1 : 0;
  exec::wdwcur = entry;
}

void SHOWPOPUPMENU(std::string_view text) {
  exec::wdwrec* main = exec::wdwhead;
  if (main == nullptr || core::c1namen.size() < 1) return;
  exec::wdwrec* const entry = exec::wdwcur;
  popupmode = 0;
  popuppending = 0;
  freemenus(*main);
  // The chosen title goes into a scratch text above the temporaries: the
  // last symbol of the table names it.
  main->menustatevar = 0;
  const std::int32_t s = core::nname;
  const std::int32_t first = core::c1tmptop + 1;
  if (s > core::nsym + 1 && core::name.valid(s) && core::z.valid(s) &&
      first + scratchlength < core::c1limit && core::c1namen.valid(first + scratchlength)) {
    std::fill_n(core::c1namen.ptr(first), scratchlength, ' ');
    core::name(s).type = scratchtype;
    core::SETI4EQUZ(1, s, first);
    core::SETI4EQUZ(2, s, first + scratchlength - 1);
    main->menustatevar = s;
  }
  if (!MAKEMENUS2(*main, text, 0).empty()) {
    freemenus(*main);
    return;
  }
  exec::wdwrec* at = entry != nullptr ? entry : main;
  const std::int32_t y = exec::sysmetrics(exec::metric::caption) +
                         exec::sysmetrics(exec::metric::menubar) + textpopupgap;
  Show sh{at, 0, textpopupx, y, 0};
  popuppending = show(sh) ? 1 : 0;
  exec::wdwcur = entry;
}

void reset_popupmenu() {
  kept = Kept{};
  reset_childwords();
}

}  // namespace ui
