// A dialog's controls rewritten from what they are bound to, the
// dialog-box procedure, and the items whose text is kept in their record.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/chars.h"
#include "core/numwrite.h"
#include "core/runwords.h"
#include "core/stores.h"
#include "core/varnamevalue.h"
#include "exec/windowlist.h"
#include "plot/fonthelpers.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/dialog_update.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/window_proc.h"
#include "ui/bindings.h"
#include "ui/dialogs.h"
#include "ui/dialogwords.h"
#include "ui/dlgbuild.h"
#include "ui/itemset.h"
#include "ui/tables.h"
#include "ui/writeback.h"

namespace ui {

namespace {

constexpr int vkreturn = 13;

std::int32_t rounded(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::int32_t>(std::llround(std::clamp(v, -2147483647.0, 2147483647.0)));
}

std::string trimmed(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  return std::string(s.substr(a, s.find_last_not_of(' ') - a + 1));
}

// The number as a dialog shows it.
std::string numbertext(double v) {
  std::array<char, 23> t{};
  core::WTSID8(t, v, 0);
  return trimmed(std::string_view(t.data(), t.size()));
}

// Puts the item's new state onto its control; true when written.
bool putcontrol(toolkit::dialog_t& it, win::HWND window, const exec::ctlrec& c, double value,
                std::string_view text) {
  int ups = 0;
  const std::int32_t kind = bindkind(c);
  if ((c.ctlkind & ck::bars) != 0) {
    const std::int32_t v = rounded(value);
    toolkit::UPDATE_DIALOG_ITEM(it, &window, nullptr, nullptr, 0, nullptr, 0, &v, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, &value, nullptr, nullptr, nullptr, nullptr, 0,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    return true;
  }
  if ((c.ctlkind & (ck::checkbox | ck::radio)) != 0) {
    double v = value;
    if ((c.ctlkind & ck::sharedbit) != 0) {
      const std::int64_t bits = std::isfinite(v) ? std::llround(v) : 0;
      v = c.ctlselend >= 0 && c.ctlselend < 32 ? static_cast<double>(bits & (1LL << c.ctlselend))
                                               : 0.0;
    }
    const std::int32_t state = rounded(v) != 0 ? 1 : 0;
    toolkit::UPDATE_DIALOG_ITEM(
        it, &window, nullptr, nullptr, 0, nullptr, 0, &state, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    return true;
  }
  const bool edit = toolkit::low_type(it) == toolkit::DLG_EDITBOX;
  if ((c.ctlkind & ck::buffered) != 0) {
    // The record's own text takes the variable's again.
    const std::span<char> from = charsof(c.ctlbind, c.ctllen);
    std::vector<char>& buffer = const_cast<exec::ctlrec&>(c).ctltext;
    std::fill(buffer.begin(), buffer.end(), ' ');
    std::copy_n(from.begin(), std::min(from.size(), buffer.size()), buffer.begin());
    toolkit::UPDATE_DIALOG_ITEM(
        it, &window, nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
        nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    return true;
  }
  std::string shown;
  if ((kind & ck::character) == 0 && (c.ctlkind & 0xF) != ck::namevalue && (c.ctlkind & 0xE) != 6) {
    shown = numbertext(value);
    toolkit::UPDATE_DIALOG_ITEM(it, &window, nullptr, nullptr, 0, shown.data(),
                                static_cast<int>(shown.size()), nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, &value, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
    return true;
  }
  if ((c.ctlkind & 0xF) == ck::namevalue) {
    std::array<char, 256> t{};
    std::int32_t used = 0;
    const std::int32_t sym = c.ctlbind.sym;
    core::NAMEEQUALSVALUE(sym, t, static_cast<std::int32_t>(t.size()), used);
    shown = trimmed(std::string_view(t.data(), static_cast<std::size_t>(std::max(used, 0)))) + " ";
  } else if ((c.ctlkind & 0xE) == 6) {
    shown = numbertext(value);
  } else {
    shown = trimmed(text);
  }
  const std::string s = trimmed(shown);
  if (edit)
    toolkit::UPDATE_DIALOG_ITEM(it, &window, nullptr, nullptr, 0, s.data(),
                                static_cast<int>(s.size()), nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, &ups);
  else
    toolkit::UPDATE_DIALOG_ITEM(it, &window, nullptr, s.data(), static_cast<int>(s.size()), nullptr,
                                0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr,
                                nullptr, nullptr, &ups);
  return true;
}

}  // namespace

void UPDATEWINDOW(win::HWND hwnd, std::int32_t skip, std::int32_t flags) {
  if (hwnd == nullptr) return;
  inupdate = true;
  exec::wdwrec* const kept = exec::wdwcur;
  exec::ctlrec* const keptctl = exec::ctlcur;
  bool restore = true;
  for (exec::wdwrec* w = exec::wdwhead != nullptr ? exec::wdwhead->next : nullptr; w != nullptr;
       w = w->next) {
    const bool chosen = ((flags & 4) == 0 || w->window == hwnd) && (w->update || (flags & 1) != 0);
    if (!chosen || (w->kind & (exec::kind::modal | exec::kind::modeless)) == 0) continue;
    const win::HWND window = w->window != nullptr ? w->window : hwnd;
    if (w->window != nullptr && toolkit::IS_WINDOW_VALID(w->window) == 0) break;
    exec::wdwcur = w;
    bool changed = false, stop = false;
    std::int32_t count = 0;
    for (exec::ctlrec* c = w->firstcontrol; c != nullptr; c = c->ctlnext) {
      ++count;
      exec::ctlcur = c;
      if (count == skip && (w->window == editguard.window || w->window == hwnd)) continue;
      // The items of a table are its redraw's.
      if (w->firsttable != nullptr && tableofitem(*w, count) != nullptr) {
        changed = true;
        continue;
      }
      if ((c->ctlkind & ck::list) != 0) {
        if ((flags & 2) != 0) {
          stop = true;
          break;
        }
        continue;
      }
      double value = 0.0;
      std::array<char, 256> text{};
      text.fill(' ');
      if (!GETMEMORY(value, text) || !w->dialogitems.valid(count)) continue;
      if (putcontrol(w->dialogitems(count), window, *c, value,
                     std::string_view(text.data(), text.size())))
        changed = true;
    }
    if (stop) {
      restore = false;
      break;
    }
    if (changed && w->firsttable != nullptr) {
      MATRIXUPDATE(window);
      exec::wdwcur = w;
    } else if (changed) {
      int ups = 0;
      toolkit::UPDATE_WINDOW(window, nullptr, nullptr, &ups);
    }
    if (!w->update) break;
  }
  if (restore) {
    exec::wdwcur = kept;
    exec::ctlcur = keptctl;
  }
  inupdate = false;
}

int WINDLGBOXPROC(win::HWND& window, int& event) {
  lastdlgevent = event;
  lastboxwindow = window;
  if (event == toolkit::kChangedDialogClosing) {
    if ((exec::inkill & 1) == 0) exec::FINDWINDOW(window);
    exec::wdwrec* w = exec::wdwcur;
    if (w == nullptr || w->window != window) return 0;
    if ((w->nowriteback & 1) == 0) {
      exec::setwindowvar(w->handlevar, 0.0);
      for (std::int32_t i = 1; i <= w->dialogitems.size(); ++i)
        if (w->dialogitems(i).id == idcancel) core::xeqstop = core::stops::cancel;
    }
    const std::int32_t k = w->kind;
    if ((exec::inkill & 1) == 0 &&
        ((k & exec::kind::awaited) != 0 || (k & (exec::kind::modeless | exec::kind::table)) == 0)) {
      // Enter closed the dialog: the control that has the focus keeps what
      // it shows. Closed otherwise (Escape, Cancel, the close box), an edit
      // not yet committed is dropped.
      if (toolkit::GET_KEY_STATE(vkreturn) >= 0) {
        if (editguard.window == window) editguard = EditGuard{};
      } else {
        const win::HWND focus = win::GetFocus();
        const int id = focus != nullptr ? win::GetDlgCtrlID(focus) : 0;
        std::int32_t position = 0;
        const exec::ctlrec* c = WINDOWITEM(window, id, position);
        if (c != nullptr && (c->ctlkind & ck::edit) != 0) {
          editguard = {id, window};
          WRITESDORFMT();
        }
      }
      // The toolkit closes the dialog whatever the answer: its tables
      // cannot stay open.
      tableclosesforced = true;
      exec::KILLWINDOW(window, -1);
      tableclosesforced = false;
    }
    return 0;
  }
  if (event == toolkit::kChangedDialogReady) {
    exec::wdwcur = exec::wdwtail;
    exec::wdwrec* w = exec::wdwcur;
    if (w == nullptr) return 0;
    if (w->window == nullptr) w->window = window;
    // A modal table window: the focus goes into the cell of ROW and COL.
    if (w->firsttable != nullptr && (w->kind & exec::kind::modal) != 0) SETMXFOCUS();
    for (exec::ctlrec* c = w->firstcontrol; c != nullptr; c = c->ctlnext) {
      if ((c->ctlkind & ck::list) == 0 || !c->ctlseltext.bound()) continue;
      exec::ctlcur = c;
      std::int32_t index = 0;
      if (const std::int32_t cell = cellof(c->ctlselidx); cell > 0) index = rounded(core::z(cell));
      if (index >= 1 && index <= static_cast<std::int32_t>(c->ctllist.size()))
        SETMEMORY(c->ctlseltext, 0.0, c->ctllist[static_cast<std::size_t>(index - 1)].view());
    }
  }
  return 0;
}

void SET_DIALOG_ITEM_BUFFERED(char letter, std::string_view text, std::int32_t length) {
  exec::ctlrec* c = exec::ctlcur;
  toolkit::dialog_t* it = build::item();
  if (c == nullptr || it == nullptr || (letter != 'E' && letter != 'T')) return;
  c->ctlkind |= ck::buffered;
  c->ctltext.assign(static_cast<std::size_t>(std::max(length, 0)), ' ');
  std::copy_n(text.begin(), std::min(text.size(), c->ctltext.size()), c->ctltext.begin());
  ItemSet a;
  a.options = builder.style;
  a.id = staged.itemid;
  a.x = builder.x;
  a.y = builder.y;
  a.textvariable = c->ctltext.empty() ? nullptr : c->ctltext.data();
  a.textvariablelength = static_cast<int>(c->ctltext.size());
  if (letter == 'E') {
    a.type = toolkit::DLG_EDITBOX;
    a.width = builder.defwidth;
    a.proc = WINDLGCHPROC;
    a.kind = 0x80;
    a.winstyle = builder.winstyle;
  } else {
    a.type = toolkit::DLG_TEXT;
    a.width = build::textwidth(std::string_view(c->ctltext.data(), c->ctltext.size()));
  }
  setitem(*it, a);
}

}  // namespace ui
