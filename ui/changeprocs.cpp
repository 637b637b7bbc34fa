// The change procedures of script dialogs: what the user types, clicks,
// chooses, steps or slides is stored, reported to the script, and turned
// into commands for the IDE's event routine (close the window, run a
// callback, follow a link, print, resume the run at a label). They never
// run script code themselves.
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>

#include "core/chars.h"
#include "core/numread.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/settingrefs.h"
#include "exec/windowlist.h"
#include "exec/windowwords.h"
#include "exec/xeq.h"
#include "io/shell.h"
#include "plot/fontslots.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"
#include "ui/writeback.h"

namespace ui {

namespace {

constexpr int vkcontrol = 0x11, vkreturn = 13, vktab = 9;
constexpr std::size_t linktarget = 92;
constexpr std::int32_t stopsilently = core::stops::error;

bool down(int vk) { return toolkit::GET_KEY_STATE(vk) < 0; }

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

// The item reports itself: its number goes into the window's ReturnCode
// variable.
void report(const exec::ctlrec& c) {
  lastident = c.ctlident;
  if (exec::wdwcur != nullptr) SETMEMORY(windowvar(exec::wdwcur->returncodevar), c.ctlident, {});
}

// The window closed (while a box showed).
bool closed(win::HWND window) { return toolkit::IS_WINDOW_VALID(window) == 0; }

void postmain(std::int32_t command) {
  const win::HWND main = exec::mainwindow();
  toolkit::POST_COMMAND(command, &main);
}

// The control record with the id `dlgitemid` in any window after the main
// window; wdwcur and ctlcur are left on it (or 0).
exec::ctlrec* itemfromid() {
  for (exec::wdwrec* w = exec::wdwhead != nullptr ? exec::wdwhead->next : nullptr; w != nullptr;
       w = w->next)
    for (exec::ctlrec* c = w->firstcontrol; c != nullptr; c = c->ctlnext)
      if (c->ctlid == dlgitemid) {
        exec::wdwcur = w;
        exec::ctlcur = c;
        return c;
      }
  exec::wdwcur = nullptr;
  exec::ctlcur = nullptr;
  return nullptr;
}

// The path of this program, started again for links to scripts.
std::string programpath() {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("ostrel") : p.string();
}

std::string argument(std::string_view s) {
  return s.find(' ') == std::string_view::npos ? std::string(s) : "\"" + std::string(s) + "\"";
}

// A push button's link: the first rule that matches. Returns the close
// decision.
bool followlink(const exec::ctlrec& c, bool modal, std::int32_t& command) {
  const std::string target =
      trimmed(std::string_view(c.ctltext.data(), std::min(c.ctltext.size(), linktarget)));
  exec::dlgtext.set(target);
  const exec::wdwrec* w = exec::wdwcur;
  if (target.starts_with("$P")) {
    if (exec::wdwcur != nullptr) exec::wdwcur->printselect = 0;
    command = cmd::printdirect;
    return w == nullptr || (w->kind & exec::kind::modeless) == 0;
  }
  if (target.find(".ost") != std::string::npos) {
    startprogram(argument(programpath()) + " " + argument("HELP=" + target));
    return false;
  }
  if (target.starts_with("dem.")) {
    startprogram(argument(programpath()) + " HELP=Tutorial.ost, " +
                 argument("RUN=" + target.substr(4)));
    return false;
  }
  if (const std::size_t at = target.find("shell:"); at != std::string::npos) {
    io::SHELLXEQ(target.substr(at + 6), "", "", "", "shellXEQ");
    return false;
  }
  if (target.find("http:") != std::string::npos) {
    io::SHELLXEQ(target, "", "", "", "shellXEQ");
    return false;
  }
  if (target.find("mailto:") != std::string::npos) {
    std::int32_t first = 0, last = 0;
    if ((core::ISCHAR(c.ctlbind.sym, first, last) & 0x40) != 0 && first >= 1)
      io::SHELLXEQC1(first + c.ctlbind.offset, c.ctllen);
    return false;
  }
  // Any other link is a request for a dialog text.
  winlink.text.set(target);
  winlink.file.set(trimmed(std::string_view(c.ctltext.data(), c.ctltext.size())
                               .substr(std::min(linktarget, c.ctltext.size()))));
  winlink.word = 2;
  command = cmd::winlink;
  return modal;
}

}  // namespace

int WINDLGCHPROC(win::HWND& window, toolkit::dialog_t* items, int& item) {
  // As for numbers (WINDLGR8PROC): a box of the write-back may let the
  // window close.
  const exec::ItemsHeld held;
  int result = -1;
  toolkit::dialog_t& it = items[item - 1];
  WRITESDORFMT(window, items, item, 0);
  if (closed(window)) return -1;
  std::int32_t position = 0;
  exec::ctlrec* c = WINDOWITEM(window, it.id, position);
  exec::wdwrec* w = exec::wdwcur;
  if (c == nullptr || w == nullptr) return -1;
  curchangereason = it.event_code;
  // The shared text takes the changed item's text; a push button has none
  // and leaves the selection that a list of the same dialog put there.
  if ((c->ctlkind & ck::pushbutton) == 0) exec::dlgtext.set(it.text.view());
  const std::int32_t ivalue = it.integer_value;
  const int reason = curchangereason;
  if (reason == toolkit::kEventEnter && (c->ctlkind & ck::noclose) != 0) {
    MATRIXENTERKEY(window, items, item);
    result = 0;
  }
  lastdlgwindow = window;
  std::int32_t command = 0;
  const bool modal = (w->kind & exec::kind::modal) != 0;
  const bool noclose = (c->ctlkind & ck::noclose) != 0;
  bool close = modal && !noclose;
  if ((c->ctlkind & ck::pushbutton) != 0)
    close = !noclose && (c->ctlid < labelbase || close ||
                         ((w->kind & exec::kind::awaited) != 0 && c->ctllink <= 1));
  if ((c->ctlkind & ck::list) != 0 && reason != toolkit::kEventCommit) {
    if (c->ctlseltext.bound() || c->ctlselidx.bound()) {
      SETMEMORY(c->ctlseltext, 0.0, exec::dlgtext.view());
      SETMEMORY(c->ctlselidx, ivalue, {});
      // A window that follows its variables shows the choice in its other
      // controls (a field bound to the same text).
      if (w->update && !inupdate && reason != toolkit::kEventInitial) UPDATEWINDOW(window, item, 4);
    } else if (reason != toolkit::kEventInitial && w->nonscript) {
      const std::string_view title = w->title.trimmed();
      const std::string head(title.substr(0, std::min(title.find_first_of(" ("), title.size())));
      winlink.word = 1;
      winlink.text.set(head + "." + std::string(exec::dlgtext.trimmed()));
      winlink.file.set(w->helpfile.trimmed());
      command = cmd::winlink;
      close = w->kind == exec::kind::modal;
    }
    if (c->ctllink > 1) {
      exec::eventlabel = c->ctllink;
      command = cmd::callback;
    }
    report(*c);
  }
  if (reason == toolkit::kEventInitial) {
    if (c->ctlid != idprefix) close = false;
    if ((c->ctlkind & ck::pushbutton) != 0) {
      dlgitemid = c->ctlid;
      report(*c);
    }
  } else if ((reason & 0xFFFF) == toolkit::kEventChanged ||
             (reason & ~toolkit::kEventDoubleClick) == toolkit::kEventChanged) {
    const int keys = (down(vkcontrol) ? 1 : 0) + (down(vkreturn) ? 4 : 0) + (down(vktab) ? 8 : 0);
    if (keys == 5) {
      if (w->firsttable != nullptr) MATRIXCONTROLENTER(window);
    } else if (keys != 9) {
      if ((c->ctlkind & ck::pushbutton) != 0) {
        dlgitemid = c->ctlid;
        if (!c->ctltext.empty()) {
          close = followlink(*c, modal, command);
        } else {
          if (w->firsttable != nullptr) MATRIXTABKEY(window, dlgitemid, 0);
          report(*c);
          win::RECT rect{};
          win::GetWindowRect(window, &rect);
          if (plot::fontslots.valid(w->fontslot))
            exec::GETSAVEWINXY(rect, w->kind, plot::fontslots(w->fontslot).cellwidth,
                               plot::fontslots(w->fontslot).cellheight);
          if (c->ctllink > 1) {
            exec::eventlabel = c->ctllink;
            command = cmd::callback;
            close = modal;
          }
        }
      } else {
        if (!inupdate) {
          if (c->ctlid < 0) {
            editguard.control = 0;
          } else {
            editguard = {c->ctlid, window};
          }
        }
        if ((c->ctlkind & (ck::character | ck::raw)) != 0) report(*c);
        close = false;
      }
    }
    if (c->ctljump > 0) {
      core::nomsg = c->ctljump;
      exec::closecmd = cmd::jump;
      core::xeqstop = stopsilently;
      close = true;
    }
  } else if (reason == toolkit::kEventCommit) {
    report(*c);
    if ((c->ctlkind & (ck::edit | ck::list)) != 0) {
      dlgitemid = c->ctlid;
      close = false;
    }
  } else if (reason == toolkit::kEventEnter) {
    result = 0;
    close = false;
  } else {
    close = false;
  }
  if (close) {
    exec::closehandle = window;
    postmain(cmd::closewindow);
  }
  if (command != 0) postmain(command);
  return result;
}

int WINDLGR8PROC(win::HWND& window, toolkit::dialog_t* items, int& item) {
  // A write-back may show a box, behind which the user can close the
  // window: its items stay readable, and nothing more is done for it.
  const exec::ItemsHeld held;
  WRITESDORFMT(window, items, item, -1);
  if (closed(window)) return -1;
  exec::FINDWINDOW(window);
  toolkit::dialog_t& it = items[item - 1];
  bool refresh = !inupdate;
  int result = -1;
  const int reason = it.event_code;
  if (reason == toolkit::kEventEnter) {
    MATRIXENTERKEY(window, items, item);
    if (closed(window)) return -1;
    refresh = false;
    result = 0;
  }
  lastdlgwindow = window;
  dlgitemid = it.id;
  std::int32_t digits = std::min(256, it.width / 4 - 2);
  if ((it.value_kind & toolkit::kKindSpinner) != 0) digits -= 3;
  std::int32_t position = 0;
  exec::ctlrec* c = nullptr;

  if (reason == toolkit::kEventInitial) {
    c = WINDOWITEM(window, dlgitemid, position);
    refresh = false;
    it.text.blank();
    if (c != nullptr) {
      const EditGuard kept = editguard;
      editguard = {c->ctlid, window};
      WRITESDORFMT(window, items, item, std::max(digits, 1));
      editguard = kept;
      if (closed(window)) return -1;
    }
    dlgitemid = 0;
  } else if (reason >= toolkit::kEventSpin && reason < toolkit::kEventChanged) {
    std::string t(it.text.trimmed());
    std::erase(t, core::c1thousands);
    double v = 0.0;
    std::int32_t status = 0;
    core::GETR8_1000S(t, v, status);
    if (status != 0) return 0;
    const std::int32_t s = (reason & 0x100) == 0 ? 1 : -1;
    std::int32_t e = 0;
    v = spinnerstep(v, it.real8_increment, s, digits, e);
    v = std::clamp(v, it.real8_min, it.real8_max);
    // The value shown: wide enough that it reads back within the step.
    const double step = std::pow(10.0, e);
    std::string shown;
    for (std::int32_t width = std::max(digits, 1); width <= 255; ++width) {
      std::array<char, 23> buf{};
      const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(width), buf.size());
      core::WTSID8(std::span<char>(buf.data(), n), v, 1);
      shown = trimmed(std::string_view(buf.data(), n));
      double back = 0.0;
      std::int32_t st = 0;
      core::GETR8_1000S(shown, back, st);
      if ((st == 0 && std::abs(back - v) <= step) || n < static_cast<std::size_t>(width)) break;
    }
    it.text.set(shown);
    it.real8_value = v;
    c = WINDOWITEM(window, dlgitemid, position);
    if (c != nullptr) {
      editguard = {c->ctlid, window};
      report(*c);
      WRITESDORFMT(window, items, item, -1);
      if (closed(window)) return -1;
    }
  } else if ((reason & ~toolkit::kEventDoubleClick) == toolkit::kEventChanged) {
    c = WINDOWITEM(window, dlgitemid, position);
    if (c == nullptr) c = itemfromid();
    if (c == nullptr) return result;
    if (down(vkcontrol) && down(vkreturn)) {
      if (exec::wdwcur != nullptr && exec::wdwcur->firsttable != nullptr)
        MATRIXCONTROLENTER(window);
      return -1;
    }
    double value = it.integer_value;
    if (!inupdate) report(*c);
    if ((c->ctlkind & ck::checkbox) != 0) {
      if ((c->ctlkind & ck::sharedbit) != 0) {
        double old = 0.0;
        std::array<char, 1> none{};
        GETMEMORY(old, none);
        if ((c->ctlkind & ck::element) != 0) {
          value = old == 0.0 ? 1.0 : 0.0;
        } else {
          const std::int64_t m = c->ctlselend >= 0 && c->ctlselend < 32 ? (1LL << c->ctlselend) : 0;
          std::int64_t bits = std::isfinite(old) ? std::llround(old) : 0;
          bits &= ~m;
          if (it.integer_value > 0) bits |= m;
          value = static_cast<double>(bits);
        }
      }
      if (editguard.window == nullptr) editguard.window = window;
    } else if ((c->ctlkind & ck::radio) != 0) {
      // The other buttons of the group are no longer chosen.
      exec::ctlrec* const self = c;
      if (exec::wdwcur != nullptr)
        for (exec::ctlrec* r = exec::wdwcur->firstcontrol; r != nullptr; r = r->ctlnext) {
          if (r == self || (r->ctlkind & ck::radio) == 0 || r->ctlgroup != self->ctlgroup ||
              (r->ctlkind & ck::sharedbit) != 0 || !r->ctlbind.bound())
            continue;
          exec::ctlcur = r;
          SETMEMORY(r->ctlbind, 0.0, {});
        }
      exec::ctlcur = self;
      if ((c->ctlkind & ck::sharedbit) != 0)
        value =
            c->ctlselend >= 0 && c->ctlselend < 32 ? static_cast<double>(1LL << c->ctlselend) : 0.0;
    } else if ((c->ctlkind & ck::bars) != 0) {
      const double span = it.integer_max - it.integer_min;
      value = span != 0.0 ? it.real8_min + (it.real8_max - it.real8_min) *
                                               (it.integer_value - it.integer_min) / span
                          : it.real8_min;
    } else {
      std::int32_t status = 0;
      value = 0.0;
      core::GETR8_1000S(it.text.trimmed(), value, status);
      if (status != 0) value = 0.0;
      value = std::clamp(value, it.real8_min, it.real8_max);
    }
    it.real8_value = value;
    if (!inupdate) {
      if (editguard.control < 0) {
        editguard.control = 0;
      } else if (editguard.window != nullptr) {
        editguard.control = c->ctlid;
        WRITESDORFMT(window, items, item, -1);
        if (closed(window)) return -1;
      } else {
        editguard = {c->ctlid, window};
      }
    }
    if (c->ctllink > 1) refresh = true;
  } else if (reason == toolkit::kEventCommit) {
    c = exec::ctlcur;
    if (c == nullptr || c->ctlid != dlgitemid) c = WINDOWITEM(window, dlgitemid, position);
    if (c == nullptr) {
      int ups = 0;
      win::HWND w = window;
      c = WINDOWITEM(toolkit::GET_PARENT(w, &ups), dlgitemid, position);
    }
    if (c == nullptr) c = itemfromid();
    if (c == nullptr) return result;
    double v = 0.0;
    std::int32_t status = 0;
    core::GETR8_1000S(it.text.trimmed(), v, status);
    if (status == 0 && (v > it.real8_max || v < it.real8_min)) {
      const double limit = v > it.real8_max ? it.real8_max : it.real8_min;
      std::array<char, 23> buf{};
      const std::size_t n =
          std::clamp<std::size_t>(static_cast<std::size_t>(std::max(digits, 1)), 1, buf.size());
      core::WTSID8(std::span<char>(buf.data(), n), limit, 0);
      it.text.set(trimmed(std::string_view(buf.data(), n)));
      it.real8_value = limit;
      return 0;
    }
    report(*c);
    if (c->ctljump > 0) {
      core::nomsg = c->ctljump;
      core::xeqstop = stopsilently;
    }
    refresh = false;
  } else if (reason < toolkit::kEventSpin) {
    c = WINDOWITEM(window, it.id, position);
    if (c == nullptr) c = itemfromid();
    if (c == nullptr) return result;
    double value = it.real8_value;
    if ((c->ctlkind & (ck::updown | ck::trackbar | ck::scrollbar)) != 0) value = it.integer_value;
    if (MATRIXSCROLLBAR(window, items, item)) {
      refresh = false;
    } else if (core::msgkey.is_blank()) {
      SETMEMORY(c->ctlbind, value, {});
      it.real8_value = value;
      editguard = {c->ctlid, window};
    }
  }
  // Windows that show the same variables are rewritten.
  static win::HWND lastwindow = nullptr;
  static int lastindex = 0;
  if (!inupdate && refresh) {
    if (window != lastwindow) {
      lastindex = 0;
      lastwindow = window;
    }
    exec::FINDWINDOW(window);
    if (item >= lastindex && exec::wdwcur != nullptr && exec::wdwcur->update)
      UPDATEWINDOW(window, item, 0);
    lastindex = item;
  }
  return result;
}

double spinnerstep(double v, double increment, std::int32_t s, std::int32_t digits,
                   std::int32_t& e) {
  const std::int32_t n = static_cast<std::int32_t>(std::lround(increment));
  if (n <= 0) {
    e = -1;
    return v + s;
  }
  const std::int32_t m =
      v == 0.0 ? 0 : static_cast<std::int32_t>(std::trunc(std::log10(std::abs(v))));
  e = m - std::min(digits, n) + (std::abs(v) >= 1.0 ? 1 : 0);
  const double p = std::pow(10.0, e);
  const double r = std::fmod(v, p);
  const double q = std::abs(v) / p - std::trunc(std::abs(v) / p);
  if (q < std::pow(10.0, -digits)) {
    const double next = v + s * p;
    return next == 0.0 && s < 0 ? 0.9 * v : next;
  }
  double value = v - r;
  std::int32_t k = static_cast<std::int32_t>(std::trunc(std::log10(std::abs(r))));
  if (std::abs(r) < 1.0) k -= 1;
  if (s * value > 0) value += std::copysign(std::pow(10.0, k + 1), r);
  if (std::abs(value - v) <= std::abs(value) * 1e-10) value += s * p;
  return value == 0.0 ? v + s : value;
}

}  // namespace ui
