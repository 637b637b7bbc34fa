#include "ide/fe_control.h"

#include <algorithm>
#include <array>
#include <vector>

#include "core/runwords.h"
#include "core/stores.h"
#include "exec/alarms.h"
#include "exec/xeq.h"
#include "ide/bookmarks.h"
#include "ide/fe_main.h"
#include "ide/fedit.h"
#include "ide/idewords.h"
#include "ide/keypress.h"
#include "ide/mainwindow.h"
#include "ide/options.h"
#include "ide/printdirect.h"
#include "ide/scripts.h"
#include "ide/windowlist.h"
#include "platform/clocks.h"
#include "ui/childwords.h"
#include "ui/dialogwords.h"
#include "ui/writeback.h"

namespace ide {

namespace {

enum Outcome { tail, handled, unhandled };

constexpr int kBreakVariableControl = 357;

void escape() {
  core::keyrec[0] = 27;
  core::keyrec[1] = 1;
}

void takeup(int code) {
  prevcmd = core::idecmd;
  core::idecmd = code;
}

// Editor commands (Line, Cut, Copy, Paste, Find, Undo, Redo) that came while
// the dispatcher was busy (a line being compiled and stepped, a run), in
// their order: each is carried out once the dispatcher is free. As pending
// commands a run would take them up and drop them.
constexpr std::size_t maxdeferred = 32;
std::vector<int> deferred;

// Commands that came while commands were held: the window and the
// command message's words.
struct Held {
  win::HWND window;
  win::WPARAM wparam;
  win::LPARAM lparam;
};
bool holding = false;
std::vector<Held> held;

bool keymessage(int code) {
  return code == 0x4100 || code == 0x4101 || code == 0x4102;
}

// A run is under way (the dispatcher is busy with it), or waits in a
// script window, a dialog or a window READ for the user: opening another
// script ends it. The editor alone is no reason to ask.
// A run goes on: the dispatcher is busy with it.
bool running() {
  constexpr std::int32_t run = 0x4;
  return (core::idestate & busy::dispatching) != 0 && (core::xeqmode & run) != 0;
}

bool runwaits() {
  constexpr std::int32_t suspended = core::runmode::suspended;
  return (core::idestate & (busy::dispatching | busy::windowread)) != 0 ||
         (core::xeqmode & suspended) != 0;
}

// The chosen item's number into `$$`.
void itemnumber(int n) {
  if (core::z.valid(2)) core::z(2) = n;
}

// The seconds of the day on the alarm clock; true when the tick goes on to
// the dispatcher.
bool tick() {
  const plat::LocalDateTime t = plat::local_now();
  exec::daysecs =
      static_cast<float>((t.hour * 60 + t.minute) * 60 + t.second) + t.millisecond / 1000.0F;
  if (wdwhead != nullptr && (wdwhead->kind & kind::minimised) != 0) {
    const std::int32_t fromtick = 1;
    exec::CHKALA(fromtick);
    return core::idecmd > 0;
  }
  if (lastctlid == kBreakVariableControl) {
    lastctlid = 0;
    SETBREAKVARIABLE(101);
  }
  float due = exec::alarmunset;
  for (std::int32_t s = 2; s <= 9; ++s) due = std::min(due, exec::alarmtime(s));
  if (due >= exec::alarmunset) return true;
  if (exec::alarmnext < 0) return false;
  return exec::daysecs >= due;
}

// The handler of a script window's menu or toolbar item; false for a
// window not in the list, which is ignored.
bool scriptitem(int code, int base, std::int32_t bit, win::HWND window) {
  FINDWINDOW(window);
  if (wdwcur == nullptr) return false;
  evtflags |= bit;
  takeup(base);
  itemnumber(code - base);
  if (base == 22100) {
    pendinghandler = wdwcur->toolhandler;
  } else {
    pendinghandler = ui::popuppending != 0 ? wdwcur->popuphandler : wdwcur->menuhandler;
    if (pendinghandler == 0 && wdwhead != nullptr) pendinghandler = wdwhead->menuhandler;
  }
  // The executor calls it when it serves the command.
  exec::eventlabel = pendinghandler;
  return true;
}

// A key message: the key reader, then the dispatcher when the key is
// complete and nothing is busy.
void key(std::int32_t kind, std::int32_t dispatchkind, win::HWND window, win::WPARAM wparam,
         win::LPARAM lparam) {
  std::int32_t k = kind;
  KEYPRESSED(k, static_cast<std::int32_t>(wparam), static_cast<std::int32_t>(lparam));
  if (k == -1 && (core::idestate & busy::nodispatch) == 0 && !holding)
    DISPATCH(window, dispatchkind);
}

Outcome command(int code, win::HWND window, win::WPARAM wparam, win::LPARAM lparam) {
  const auto first = static_cast<std::int32_t>(wparam & 0xFFFF);
  if (code == 10001) {
    core::idecmd = code;
    return tail;
  }
  if (code == 10002 || (code >= 10009 && code <= 10018)) {
    if (runwaits()) {
      int answer = 0;
      core::MSGBOXFROMHELP("msgExitScript", wdwhead != nullptr ? wdwhead->title.view() : "",
                           answer);
      if (answer != 1) return tail;
    }
    std::int32_t answer = 0;
    FEDSAV(0, answer);
    core::idecmd = code;
    return tail;
  }
  switch (code) {
    case 10003:
    case 10004: {
      // A save is no step of a run: Cancel in its question goes back to
      // the editor as it stood, and leaves no stop word behind (with one
      // left, the editor would draw its rows without their colours).
      const std::int32_t stop = core::xeqstop;
      std::int32_t answer = 0;
      FEDSAV(code == 10003 ? 0 : -2, answer);
      core::xeqstop = stop;
      return handled;
    }
    case 10005:
      PRINTDIRECT();
      return handled;
    case 10006:
      OPTIONS(code);
      return handled;
    case 0x4001:
      if (ismainwindow(window)) {
        core::idecmd = kQuitCommand;
        return unhandled;
      }
      INTERNAL_KILL(window);
      return handled;
    case 0x4002:
      return tail;
    case 0x4100:
      core::keyscan = static_cast<std::int32_t>((lparam >> 16) & 0xFF);
      key(0, 1, window, wparam, lparam);
      return handled;
    case 0x4101:
      key(2, 3, window, wparam, lparam);
      return handled;
    case 0x4102:
      key(1, 2, window, wparam, lparam);
      return handled;
    case 21011:
      if (core::keyrec != std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}) {
        core::keyrec[0] = 0;
        core::keyrec[1] = 59;
      }
      return tail;
    case 21012:
    case 22001:
      core::idecmd = code;
      return tail;
    case 21051:
      evtflags |= evt::escapebutton;
      escape();
      return tail;
    case 21052:
      // Sized while a run goes on: the window's new picture shows the
      // script at once, not when the run ends.
      if (running()) FEDITREPAINT();
      return tail;
    case 21056:
      return tail;
    case 21055:
      return handled;
    case 21058:
      INTERNAL_KILL(closehandle);
      closehandle = nullptr;
      return handled;
    case 21059:
    case 21063:
    case 21064:
      takeup(code);
      return tail;
    case 21060:
      core::keyrec[0] = 0;
      core::keyrec[1] = 0;
      return tail;
    case 21061:
      if (core::idecmd != 22001) prevcmd = core::idecmd;
      core::idecmd = code;
      return tail;
    case 21062: {
      int answer = 0;
      core::MSGBOXFROMHELP(core::msgkey.trimmed(), "Failed memory allocation", answer);
      escape();
      return tail;
    }
    case 21065:
      NEXTWINDOW();
      return tail;
    default:
      break;
  }
  if (code >= 10101 && code <= 10107 && (core::idestate & busy::nodispatch) != 0) {
    if (deferred.size() < maxdeferred) deferred.push_back(code);
    return handled;
  }
  if ((code >= 10101 && code <= 10107) || (code >= 10201 && code <= 10203)) {
    core::idecmd = code;
    return tail;
  }
  if (code == 10204 || code == 10205 || (code >= 10300 && code <= 10303)) {
    OPTIONS(first);
    return tail;
  }
  if (code >= 10401 && code <= 10409) {
    OPTIONS(code);
    return handled;
  }
  if (code >= 22002 && code <= 22009) {
    const auto n = static_cast<std::uint8_t>(code - 22000 + 58);
    core::keyscan = n;
    core::keyrec[1] = n;
    core::keyrec[0] = 0;
    return tail;
  }
  if (code >= 22100 && code <= 22200)
    return scriptitem(code, 22100, evt::scripttool, window) ? tail : handled;
  if (code >= 31000 && code <= 32024)
    return scriptitem(code, 31000, evt::scriptmenu, window) ? tail : handled;
  return unhandled;
}

}  // namespace

void HOLDCOMMANDS(bool hold) {
  holding = hold;
  if (hold) return;
  std::vector<Held> waited;
  waited.swap(held);
  for (const Held& h : waited)
    if (win::IsWindow(h.window)) win::PostMessageA(h.window, win::WM_COMMAND, h.wparam, h.lparam);
}

int FE_CONTROL(int& code, win::HWND& window, win::WPARAM& wparam, win::LPARAM& lparam) {
  if (holding && !keymessage(code)) {
    if (code != kAppTimer) held.push_back({window, wparam, lparam});
    return -1;
  }
  Outcome o = tail;
  if (code == kAppTimer) {
    if (!tick()) return -1;
  } else {
    o = command(code, window, wparam, lparam);
  }
  if (o == unhandled) return 0;
  if (o == handled) return -1;
  if ((core::idestate & busy::nodispatch) != 0) return -1;
  if (ui::editguard.window != nullptr) ui::WRITEWHILETYPING();
  DISPATCH(window, 4);
  // Editor commands that came meanwhile, each in its turn.
  for (std::size_t k = 0; k < deferred.size(); ++k) {
    core::idecmd = deferred[k];
    DISPATCH(window, 4);
  }
  deferred.clear();
  return -1;
}

}  // namespace ide
