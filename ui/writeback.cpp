#include "ui/writeback.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/chars.h"
#include "core/numwrite.h"
#include "core/stores.h"
#include "core/symbols.h"
#include "exec/windowlist.h"
#include "exec/xeq.h"
#include "platform/win_window.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/services.h"
#include "ui/bindings.h"
#include "ui/dialogwords.h"
#include "ui/tables.h"

namespace ui {

namespace {

// Whether the event in hand completes a pending write-back.
bool decide(const toolkit::dialog_t& item, std::int32_t mode, bool pending) {
  const int reason = item.event_code;
  if (reason == toolkit::kEventInitial) return mode > 0;
  if (reason == toolkit::kEventChanged) {
    if (inupdate || !pending) return false;
    if (toolkit::is_push_button(toolkit::low_type(item))) return true;
    exec::FINDWINDOW(editguard.window);
    for (const exec::ctlrec* c = exec::wdwcur != nullptr ? exec::wdwcur->firstcontrol : nullptr;
         c != nullptr; c = c->ctlnext)
      if (c->ctlid == item.id) return (c->ctlkind & (ck::checkbox | ck::radio)) != 0;
    return false;
  }
  return pending;
}

// The text kept in the control record goes into the variable.
void storebuffer(const exec::ctlrec& c) {
  const std::span<char> to = charsof(c.ctlbind, c.ctllen);
  const std::size_t n = std::min(to.size(), c.ctltext.size());
  std::copy_n(c.ctltext.begin(), n, to.begin());
  std::fill(to.begin() + static_cast<std::ptrdiff_t>(n), to.end(), ' ');
}

// The window's CHanGed variable gets the bit of the control.
void markchanged(exec::wdwrec& w, const exec::ctlrec& c) {
  if (w.chgvar <= 0) return;
  const std::int32_t b = c.ctlid - idbase;
  if (b < 0 || b > 31) return;
  const double v = core::z.valid(w.chgvar) ? core::z(w.chgvar) : 0.0;
  const auto bits = static_cast<std::uint32_t>(std::isfinite(v) ? std::llround(v) : 0);
  core::SETZTOR8(w.chgvar, static_cast<double>(bits | (1u << b)));
}

// The write-back; `typing` when it comes between the user's keys.
void writeback(win::HWND window, toolkit::dialog_t* items, std::int32_t item, std::int32_t mode,
               bool typing) {
  const bool pending = editguard.window != nullptr && editguard.control > 0;
  if (item > 0 && items != nullptr) {
    if (!decide(items[item - 1], mode, pending)) return;
  } else if (!pending) {
    return;
  }
  const win::HWND target = editguard.window != nullptr ? editguard.window : window;
  std::int32_t position = 0;
  exec::ctlrec* c = WINDOWITEM(target, editguard.control, position);
  exec::wdwrec* w = exec::wdwcur;
  if (c == nullptr || w == nullptr || !w->dialogitems.valid(position)) {
    editguard = EditGuard{};
    return;
  }
  toolkit::dialog_t& it = w->dialogitems(position);
  bool recorded = false;
  if (w->firsttable != nullptr && (c->ctlkind & ck::tablecell) != 0) {
    const win::HWND handle = w->window;
    const bool editing = typing && win::GetFocus() == toolkit::DIALOG_ITEM_CONTROL(handle, it);
    const CellStore stored = STORETABLECELL(*w, *c, position, it, mode, editing);
    // A refused cell shows a box, behind which the window may have closed
    // with its records.
    if (exec::windowrecord(handle) != w) {
      editguard = EditGuard{};
      return;
    }
    // The commit decides on a text that is no number yet.
    if (stored == CellStore::waits) return;
    recorded = stored == CellStore::stored;
  } else if (mode <= 0) {
    if ((c->ctlkind & ck::buffered) != 0)
      storebuffer(*c);
    else
      SETMEMORY(c->ctlbind, it.real8_value, it.text.view());
    markchanged(*w, *c);
    recorded = true;
  } else {
    double value = 0.0;
    std::array<char, 256> text{};
    if (GETMEMORY(value, text)) {
      const std::size_t width = std::clamp<std::size_t>(static_cast<std::size_t>(mode), 1, 23);
      std::array<char, 23> shown{};
      core::WTSID8(std::span<char>(shown.data(), width), value, 0);
      std::string_view s(shown.data(), width);
      const std::size_t a = s.find_first_not_of(' ');
      it.text.set(a == std::string_view::npos ? std::string_view{} : s.substr(a));
      it.real8_value = value;
    }
  }
  if (recorded && !inupdate && c->ctllink > 1) POSTCALLBACK(c->ctllink);
  editguard.window = nullptr;
}

}  // namespace

void WRITESDORFMT(win::HWND window, toolkit::dialog_t* items, std::int32_t item,
                  std::int32_t mode) {
  writeback(window, items, item, mode, false);
}

void WRITESDORFMT() { writeback(editguard.window, nullptr, 0, 0, false); }

void WRITEWHILETYPING() { writeback(editguard.window, nullptr, 0, 0, true); }

void POSTCALLBACK(std::int32_t link) {
  exec::eventlabel = link;
  const win::HWND main = exec::mainwindow();
  toolkit::POST_COMMAND(cmd::callback, &main);
}

}  // namespace ui
