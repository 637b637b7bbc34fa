#include "ide/windowclose.h"

#include "ide/idewords.h"
#include "ide/windowlist.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/window_proc.h"

namespace ide {

namespace {

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

}  // namespace

void KILLWINDOW(win::HWND handle, std::int32_t mode) {
  inkill = -1;
  wdwrec* r = nullptr;
  if (handle == nullptr) {
    // A record whose window was never made goes, unless the current
    // window is a real one.
    if (wdwcur != nullptr && toolkit::IS_WINDOW_VALID(wdwcur->window) == 0) r = unmade();
    if (r != nullptr) wdwcur = r;
  } else {
    FINDWINDOW(handle);
    r = wdwcur != nullptr && wdwcur->window == handle ? wdwcur : nullptr;
  }
  if (r != nullptr && r != wdwhead) {
    if (handle != nullptr && (mode & 1) != 0 && toolkit::IS_WINDOW_VALID(handle) != 0) {
      toolkit::CLOSE_WINDOW(handle, 0);
      FINDWINDOW(handle);
    }
    if (wdwcur == r) {
      if (r->bitmap != nullptr) toolkit::DELETE_OBJECT(r->bitmap, &ups);
      wdwrec* prev = wdwprev != nullptr ? wdwprev : wdwhead;
      prev->next = r->next;
      if (wdwtail == r) wdwtail = prev;
      if (wdwcycled == r) wdwcycled = nullptr;
      const win::HWND owner = r->owner;
      delete r;
      FINDWINDOW(owner != nullptr ? owner : wdwhead->window);
      const win::HWND main = wdwhead->window;
      toolkit::POST_COMMAND(closecmd > 0 ? closecmd : kWindowClosed, &main);
      closecmd = 0;
    }
  }
  if (wdwcur == nullptr) wdwcur = wdwhead;
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
    if (wdwhead->next == r) return;  // not freed: leave it
  }
}

int KILLNONDLGWINDOW(win::HWND& handle) {
  if ((inkill & 1) == 0) KILLWINDOW(handle, -1);
  return -1;
}

int DLGCALLBACK(win::HWND&, win::UINT&, win::WPARAM&, win::LPARAM&, win::LRESULT&) { return 0; }

}  // namespace ide
