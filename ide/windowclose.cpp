#include "ide/windowclose.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "ide/idewords.h"
#include "ide/windowlist.h"
#include "platform/win_message.h"
#include "plot/fontslots.h"
#include "plot/plotstate.h"
#include "toolkit/dialog_item.h"
#include "toolkit/dialog_update.h"
#include "toolkit/loops.h"
#include "toolkit/menus.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/window_proc.h"
#include "ui/bindings.h"
#include "ui/dialogwords.h"
#include "ui/panel.h"
#include "ui/tablelayout.h"
#include "ui/tables.h"
#include "ui/writeback.h"

namespace ide {

namespace {

// The dialog hook's own words.
struct HookWords {
  std::int32_t gained = 0;  // control that gained the focus last
  std::int32_t lost = 0;    // control that lost it last
  bool armed = false;       // a message came with Escape released
  bool closed = false;      // Escape closed a dialog and is still held
};
HookWords hook;

bool held(int vk) { return toolkit::GET_KEY_STATE(vk) < 0; }

// The first record after the head whose window was never made, with its
// predecessor in `wdwprev`.
wdwrec* unmade() {
  for (wdwrec* r = wdwhead; r != nullptr && r->next != nullptr; r = r->next) {
    if (r->next->window == nullptr) {
      wdwprev = r;
      return r->next;
    }
  }
  return nullptr;
}

// The record KILLWINDOW frees, or null when nothing is to be freed; closes
// the window first when asked to. False: a table's owner refused the close.
wdwrec* target(win::HWND handle, std::int32_t mode, bool& closed) {
  if (handle == nullptr) {
    if (wdwcur == nullptr) return nullptr;
    if (toolkit::IS_WINDOW_VALID(wdwcur->window) != 0) {
      wdwcur = wdwhead;
      return nullptr;
    }
    wdwrec* r = unmade();
    if (r != nullptr) wdwcur = r;
    return r;
  }
  FINDWINDOW(handle);
  if (wdwcur == nullptr || wdwcur->window != handle) {
    wdwcur = wdwhead;
    return nullptr;
  }
  if (wdwcur == wdwhead) return nullptr;
  if (ui::editguard.window == handle) ui::WRITESDORFMT();
  if (toolkit::IS_WINDOW_VALID(handle) != 0) {
    win::RECT rect{};
    win::GetWindowRect(handle, &rect);
    if (plot::fontslots.valid(wdwcur->fontslot)) {
      const plot::FontSlot& f = plot::fontslots(wdwcur->fontslot);
      GETSAVEWINXY(rect, wdwcur->kind, f.cellwidth, f.cellheight);
    }
    if ((mode & 1) != 0) {
      if (wdwcur->firsttable != nullptr) {
        std::int32_t answer = 0;
        ui::KILLMX(answer);
        if (answer < 0) return nullptr;
      }
      toolkit::CLEAR_DIALOG_HOOK();
      toolkit::CLOSE_WINDOW(handle, 0);
      toolkit::SET_DIALOG_HOOK(DLGCALLBACK);
      FINDWINDOW(handle);
      closed = true;
    }
  }
  return wdwcur == wdwhead ? nullptr : wdwcur;
}

// Releases what the record holds, unlinks and frees it; its owner becomes
// current and the close is posted.
void release(wdwrec* r, bool closed) {
  exec::freecontrols(*r);
  if ((r->nowriteback & 1) == 0) exec::setwindowvar(r->handlevar, 0.0);
  if (closed && (r->kind & (kind::text | kind::graphics)) != 0) {
    if (r->menuitems.size() > 0) {
      toolkit::BUILD_ACCELERATORS(&r->menuitems(1), 0, &ups);
      r->menuitems.clear();
    }
    for (int k = 1; k <= plot::naxes; ++k) {
      if (plot::axisstate.window(k) == r->window) plot::axisstate.window(k) = nullptr;
      if (plot::axisstate.mousewindow(k) == r->window) plot::axisstate.mousewindow(k) = nullptr;
    }
  }
  ui::DELETEPANELCTRLS();
  if (r->bitmap != nullptr) toolkit::DELETE_OBJECT(r->bitmap, &ups);
  wdwrec* prev = wdwprev != nullptr ? wdwprev : wdwhead;
  if (wdwtail == r) wdwtail = prev;
  prev->next = r->next;
  if (wdwcycled == r) wdwcycled = nullptr;
  const win::HWND owner = r->owner;
  const win::HWND main = wdwhead->window;
  // The run waits for this window: it goes on at the label that a control
  // of it named, else at the statement that showed it, which ends with the
  // answer. Its Cancel, or Escape, stops the run at that statement. A kept
  // layout runs the statement again by itself.
  const bool waited =
      (core::xeqmode & core::runmode::suspended) != 0 && (r->kind & kind::awaited) != 0;
  bool resumed = waited && ui::layoutkeptfor(r->window);  // the run was posted to go on
  if (waited && !resumed) {
    constexpr int vkEscape = 27;
    const bool answered = ui::lastdlgwindow == r->window && ui::dlgitemid != 0 &&
                          ui::dlgitemid != ui::idnone;
    const bool stopped = core::xeqstop == core::stops::cancel || held(vkEscape) ||
                         (answered && ui::dlgitemid == ui::idcancel);
    std::int16_t line = 0;
    if (core::nomsg > 0 && core::nomsg < static_cast<std::int32_t>(core::z.size()))
      std::memcpy(&line, &core::z(core::nomsg), sizeof line);
    if (line > 0) {
      core::xeqline = line;
    } else if (r->goeson > 0) {
      core::xeqline = r->goeson;
      if (!stopped) ui::awaitedanswer = {r->goeson, answered ? ui::lastident : 0.0};
    }
    if (stopped) core::xeqmode &= ~core::runmode::running;
    core::xeqstop = 0;
    // (A control's jump goes on by the close command.)
    if (closecmd != ui::cmd::jump) {
      toolkit::POST_COMMAND(kWindowClosed, &main);
      resumed = true;
    }
  }
  delete r;
  wdwcur = nullptr;
  FINDWINDOW(owner != nullptr ? owner : main);
  if (closecmd > 0 || !resumed) toolkit::POST_COMMAND(closecmd > 0 ? closecmd : kWindowClosed, &main);
  closecmd = 0;
}

}  // namespace

void KILLWINDOW(win::HWND handle, std::int32_t mode) {
  inkill = -1;
  bool closed = false;
  wdwrec* r = target(handle, mode, closed);
  if (r != nullptr && wdwcur == r) release(r, closed);
  if (wdwcur == nullptr) wdwcur = wdwhead;
  ui::MXLAYOUT(2);
  inkill = 0;
}

void KILLALLWINDOWS() {
  while (wdwhead != nullptr) {
    wdwrec* r = wdwhead->next;
    if (r == nullptr) {
      wdwcur = wdwhead;
      return;
    }
    if (r->window == nullptr || (inkill & 1) != 0) return;
    KILLWINDOW(r->window, -1);
    // A window that stays (its user kept unsaved table edits) would be
    // taken again and again: a pass that frees nothing ends the walk.
    if (wdwhead->next == r) return;
  }
}

int KILLNONDLGWINDOW(win::HWND& handle) {
  if ((inkill & 1) == 0) KILLWINDOW(handle, -1);
  return -1;
}

void ESCAPEINDLG(win::HWND window) {
  if (ui::editguard.control >= 0) return;
  ui::editguard.control = std::abs(ui::editguard.control);
  std::int32_t position = 0;
  exec::ctlrec* c = ui::WINDOWITEM(window, ui::editguard.control, position);
  ui::editguard.window = nullptr;
  if (c == nullptr || wdwcur == nullptr || !wdwcur->dialogitems.valid(position)) return;
  if ((c->ctlkind & ui::ck::tablecell) != 0) {
    ui::MATRIXUPDATE(window);
    return;
  }
  // The control shows its stored value again.
  double value = 0.0;
  std::array<char, 256> text{};
  text.fill(' ');
  if (!ui::GETMEMORY(value, text)) return;
  toolkit::dialog_t& item = wdwcur->dialogitems(position);
  std::string shown;
  if ((ui::bindkind(*c) & ui::ck::character) != 0) {
    const std::string_view t(text.data(), text.size());
    const std::size_t end = t.find_last_not_of(' ');
    shown = end == std::string_view::npos ? std::string() : std::string(t.substr(0, end + 1));
  } else {
    std::array<char, 23> number{};
    core::WTSID8(number, value, 0);
    const std::string_view t(number.data(), number.size());
    const std::size_t a = t.find_first_not_of(' ');
    if (a != std::string_view::npos)
      shown = std::string(t.substr(a, t.find_last_not_of(' ') - a + 1));
  }
  toolkit::UPDATE_DIALOG_ITEM(item, &window, nullptr, nullptr, 0, shown.data(),
                              static_cast<int>(shown.size()), nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, &value, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
}

namespace {

// Whether the control whose change waits to be written back is a list box.
bool guardslistbox() {
  std::int32_t position = 0;
  const exec::ctlrec* c =
      ui::WINDOWITEM(ui::editguard.window, std::abs(ui::editguard.control), position);
  if (c == nullptr || (c->ctlkind & ui::ck::list) == 0 || wdwcur == nullptr ||
      !wdwcur->dialogitems.valid(position))
    return false;
  return (wdwcur->dialogitems(position).type & 0xFFFF) == toolkit::DLG_LISTBOX;
}

}  // namespace

int DLGCALLBACK(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM&,
                win::LRESULT&) {
  constexpr int vkTab = 9, vkCtrl = 17, vkAlt = 18, vkEscape = 27;
  const win::HWND main = wdwhead != nullptr ? wdwhead->window : nullptr;
  if (held(vkCtrl)) {
    if (held(vkTab)) toolkit::POST_COMMAND(kNextWindow, &main);
    return 0;
  }
  if (held(vkEscape)) {
    // A dialog that is none of the IDE's windows (the toolkit's Tools
    // dialog) takes Escape as any dialog does: it closes.
    if (exec::windowrecord(window) == nullptr) return 0;
    // A list box's choice is made when it changes: nothing of it waits to
    // be discarded, and Escape closes the dialog at once.
    if (ui::editguard.window != nullptr && guardslistbox()) ui::editguard = ui::EditGuard{};
    if (ui::editguard.window != nullptr) {
      if (message == win::WM_COMMAND) {
        ui::editguard.control = -std::abs(ui::editguard.control);
        ESCAPEINDLG(window);
      }
      return -1;
    }
    if (hook.armed && message == win::WM_COMMAND) {
      hook.armed = false;
      FINDWINDOW(window);
      if (wdwcur != nullptr && (wdwcur->kind & kind::modeless) != 0) KILLWINDOW(window, -1);
      core::xeqmode &= ~core::runmode::running;
      core::edmode = 10;
      core::edmark = 1073741823;
      return 0;
    }
    if (message == win::WM_CLOSE) {
      toolkit::POST_COMMAND(kWindowClosed, &main);
      hook.armed = false;
      hook.closed = true;
      return -1;
    }
    return hook.closed ? -1 : 0;
  }
  // Escape is up again: what it closed no longer swallows messages.
  hook.closed = false;
  hook.armed = true;
  switch (message) {
    case win::WM_GETTEXT:
      if (wdwcur == nullptr)
        wdwcur = wdwhead;
      else if (wdwcur->window != window)
        FINDWINDOW(window);
      break;
    case win::WM_COMMAND: {
      const std::int32_t code = static_cast<std::int32_t>((wparam >> 16) & 0xFFFF);
      const std::int32_t id = static_cast<std::int32_t>(wparam & 0xFFFF);
      if (code == 0x100) {
        hook.gained = id;
        if (!held(vkAlt) && hook.lost > 0) ui::MATRIXTABKEY(window, hook.gained, hook.lost);
      } else if (code == 0x200) {
        hook.lost = id;
      }
      break;
    }
    case win::WM_USER:
      hook.gained = 0;
      hook.lost = 0;
      break;
    default:
      break;
  }
  return 0;
}

void reset_windowclose() {
  hook = HookWords{};
  closecmd = 0;
  exec::resumestmt = 0;
}

}  // namespace ide
