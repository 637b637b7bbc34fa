#include "ide/windowclose.h"

#include "ide/windowlist.h"
#include "toolkit/records.h"
#include "toolkit/scrolling.h"
#include "toolkit/services.h"
#include "toolkit/window_proc.h"

namespace ide {

void KILLWINDOW(win::HWND handle, std::int32_t mode) {
  inkill = -1;
  FINDWINDOW(handle);
  wdwrec* r = wdwcur;
  if (r != nullptr && r != wdwhead && r->window == handle) {
    if ((mode & 1) != 0 && toolkit::IS_WINDOW_VALID(handle) != 0) {
      toolkit::CLOSE_WINDOW(handle, 0);
      FINDWINDOW(handle);
    }
    if (wdwcur == r) {
      if (r->bitmap != nullptr) toolkit::DELETE_OBJECT(r->bitmap, nullptr);
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
