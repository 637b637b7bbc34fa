#include "exec/windowlist.h"

#include <utility>
#include <vector>

#include "core/symbols.h"
#include "exec/tablecalls.h"
#include "platform/win_message_keys.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_run.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"

namespace exec {

namespace {

// The owner of new records: the first record's window.
win::HWND ownerhandle = nullptr;

bool valid(win::HWND h) { return toolkit::IS_WINDOW_VALID(h) != 0; }

// A record whose window is gone is freed, unless a close is under way.
// True when it was freed (the walk then starts again); a record that could
// not be freed is passed over.
bool freeinvalid(wdwrec* r) {
  if (valid(r->window) || (inkill & 1) != 0 || windowcalls.KILLWINDOW == nullptr) return false;
  KILLWINDOW(r->window, 0);
  return !listed(r);
}

// The record to reuse for a window: the same handle, or a blank-titled
// dialog of as many items as the one being built.
bool reusable(const wdwrec& r, win::HWND handle, std::int32_t items) {
  return r.window == handle || (r.title.is_blank() && r.dialogitems.size() == items);
}

// Change procedures running, and the item arrays of windows closed while
// one ran.
int itemholds = 0;
std::vector<std::vector<toolkit::dialog_t>> helditems;

// The lists of list and combo boxes belong to their items.
void freeitems(std::vector<toolkit::dialog_t>& items) {
  for (toolkit::dialog_t& item : items)
    if (item.marker == toolkit::kMarker) toolkit::FREE_ITEM_LISTS(item);
  items.clear();
}

void freeheld() {
  for (std::vector<toolkit::dialog_t>& items : helditems) freeitems(items);
  helditems.clear();
}

}  // namespace

wdwrec::~wdwrec() {
  if (firsttable != nullptr && tablecalls.freetables != nullptr) tablecalls.freetables(*this);
  freecontrols(*this);
  if (freepanels != nullptr) freepanels(*this);
  // A window that outlives its record (made on another's record) must not
  // reach the items through the toolkit.
  if (dialogitems.size() > 0) toolkit::FORGET_DIALOG_ITEMS(&dialogitems(1));
  if (itemholds > 0)
    helditems.push_back(std::move(dialogitems.raw()));
  else
    freeitems(dialogitems.raw());
  if (toolbitmap.marker == toolkit::kMarker && toolbitmap.bitmap != nullptr &&
      toolbitmap.bitmap != toolkit::tool_bitmap_t::absent_bitmap()) {
    int ups = 0;
    toolkit::DELETE_OBJECT(toolbitmap.bitmap, &ups);
  }
}

void freecontrols(wdwrec& record) {
  for (ctlrec* c = record.firstcontrol; c != nullptr;) {
    ctlrec* next = c->ctlnext;
    if (ctlcur == c) ctlcur = nullptr;
    delete c;
    c = next;
  }
  record.firstcontrol = nullptr;
}

void dropunmade(wdwrec* record) {
  if (record == nullptr || record == wdwhead || record->window != nullptr) return;
  for (wdwrec* r = wdwhead; r != nullptr; r = r->next) {
    if (r->next != record) continue;
    r->next = record->next;
    if (wdwtail == record) wdwtail = r;
    if (wdwcycled == record) wdwcycled = nullptr;
    delete record;
    wdwcur = wdwhead;
    return;
  }
}

bool listed(const wdwrec* record) {
  for (const wdwrec* r = wdwhead; r != nullptr; r = r->next)
    if (r == record) return true;
  return false;
}

void KILLWINDOW(win::HWND handle, std::int32_t mode) {
  if (windowcalls.KILLWINDOW != nullptr) windowcalls.KILLWINDOW(handle, mode);
}

void setwindowvar(std::int32_t cell, double value) {
  if (cell > 0) core::SETZTOR8(cell, value);
}

bool ismainwindow(win::HWND handle) {
  return handle != nullptr && wdwhead != nullptr && wdwhead->window == handle;
}

win::HWND mainwindow() { return wdwhead != nullptr ? wdwhead->window : nullptr; }

void NEWWINDOW(std::int32_t& status, win::HWND handle, std::int32_t items, std::int32_t fontslot) {
  status = 0;
  int ups = 0;
  if (wdwhead != nullptr) {
    ownerhandle = wdwhead->window;
    for (wdwrec* r = wdwhead->next; r != nullptr;) {
      if (freeinvalid(r)) {
        r = wdwhead->next;
        continue;
      }
      if (reusable(*r, handle, items)) {
        wdwcur = r;
        setwindowvar(r->returncodevar, 0.0);
        toolkit::SET_FOREGROUND(r->window, &ups);
        status = 1000;
        return;
      }
      r = r->next;
    }
  }
  auto* r = new wdwrec;
  r->owner = wdwhead != nullptr ? ownerhandle : nullptr;
  r->title.set("Untitled");
  if (items > 0) {
    // Every item must be set before use: a new record carries no marker.
    r->dialogitems.resize(static_cast<std::size_t>(items));
    r->fontslot = fontslot;
  }
  if (wdwhead == nullptr)
    wdwhead = r;
  else
    wdwtail->next = r;
  wdwtail = r;
  wdwcur = r;
}

void FINDWINDOW(win::HWND handle) {
  int ups = 0;
  for (int pass = 1; pass <= 2; ++pass) {
    wdwcur = nullptr;
    wdwprev = nullptr;
    if (handle == nullptr) return;
    // `before` ends as the tail's predecessor.
    wdwrec* before = nullptr;
    for (wdwrec* r = wdwhead; r != nullptr; r = r->next) {
      if (r->window == handle) {
        wdwcur = r;
        wdwprev = before;
        return;
      }
      if (r->next != nullptr) before = r;
    }
    // The window under construction receives its first messages before its
    // handle is stored; a plain script window stays current too.
    if (wdwtail != nullptr &&
        (wdwtail->window == nullptr ||
         (wdwtail->kind & (kind::modeless | kind::text | kind::graphics)) == 0)) {
      wdwcur = wdwtail;
      wdwprev = before;
      return;
    }
    if (pass == 1) handle = toolkit::GET_PARENT(handle, &ups);
  }
  wdwcur = nullptr;
  wdwprev = nullptr;
}

void NEXTWINDOW() {
  int ups = 0;
  if (wdwcycled != nullptr) {
    // A Tab not pressed since the last query: the cycle stays where it is.
    if ((win::GetAsyncKeyState(win::VK_TAB) & 1) == 0) return;
    wdwcur = wdwcycled;
  }
  if (wdwcur == nullptr)
    wdwcur = wdwhead;
  else if (wdwcur != wdwhead && !valid(wdwcur->window))
    KILLWINDOW(wdwcur->window, -1);
  wdwrec* r = wdwcur;
  if (r == nullptr) return;
  for (;;) {
    r = r->next != nullptr ? r->next : wdwhead;
    if (r == wdwhead) break;
    if ((r->kind & kind::nocycle) != 0) continue;
    if (!valid(r->window)) {
      KILLWINDOW(r->window, -1);
      if (wdwcur == nullptr) return;
      r = wdwcur;
      if (r == wdwhead) break;
      continue;
    }
    break;
  }
  wdwcur = r;
  if (r != wdwcycled) {
    toolkit::SET_FOREGROUND(r->window, &ups);
    wdwcycled = r;
  }
}

void GETSAVEWINXY(const win::RECT& rect, std::int32_t kindbits, std::int32_t cellwidth,
                  std::int32_t cellheight) {
  if ((kindbits & kind::editorstyle) != 0 || (kindbits & (kind::modeless | kind::modal)) == 0)
    return;
  if (wdwcur == nullptr || wdwcur->owner == nullptr || (wdwcur->nowriteback & 1) != 0) return;
  if (cellwidth <= 0 || cellheight <= 0) return;  // a window without a font slot
  setwindowvar(wdwcur->xvar, static_cast<double>(rect.left) / cellwidth);
  setwindowvar(wdwcur->yvar, static_cast<double>(rect.top) / cellheight);
}

bool awaitedopen() {
  for (const wdwrec* r = wdwhead; r != nullptr; r = r->next)
    if ((r->kind & kind::awaited) != 0) return true;
  return false;
}

wdwrec* windowrecord(win::HWND handle) {
  if (handle == nullptr) return nullptr;
  for (wdwrec* r = wdwhead; r != nullptr; r = r->next)
    if (r->window == handle) return r;
  return nullptr;
}

ItemsHeld::ItemsHeld() {
  // None runs: the dialog code around the last one has returned.
  if (itemholds++ == 0) freeheld();
}

ItemsHeld::~ItemsHeld() { --itemholds; }

void reset_windowlist() {
  for (wdwrec* r = wdwhead; r != nullptr;) {
    wdwrec* next = r->next;
    delete r;
    r = next;
  }
  wdwhead = wdwtail = wdwcur = wdwprev = wdwcycled = nullptr;
  ctlcur = nullptr;
  inkill = 0;
  ownerhandle = nullptr;
  freeheld();
}

}  // namespace exec
