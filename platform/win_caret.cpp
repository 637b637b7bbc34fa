// The caret: one per program, kept as a rectangle in one window's client
// area. It is not drawn into the window's pixels; a display draws it over
// them, and the PNG of a window shows it.
#include "platform/backend.h"
#include "platform/win_controls_internal.h"
#include "platform/win_resources.h"

namespace win::detail {

namespace {

struct Caret {
  HWND wnd = nullptr;
  int width = 0, height = 0;
  POINT pos;
  int hidden = 1;  // shown at 0; made hidden
};
Caret caret;

bool ours(HWND wnd) { return caret.wnd != nullptr && (wnd == nullptr || wnd == caret.wnd); }

}  // namespace

void reset_caret() { caret = Caret(); }

bool caret_shown(HWND* wnd, RECT* r) {
  if (caret.wnd == nullptr || caret.hidden > 0 || !IsWindowVisible(caret.wnd)) return false;
  if (wnd != nullptr) *wnd = caret.wnd;
  if (r != nullptr)
    *r = {caret.pos.x, caret.pos.y, caret.pos.x + caret.width, caret.pos.y + caret.height};
  return true;
}

}  // namespace win::detail

namespace win {

using namespace detail;

BOOL CreateCaret(HWND wnd, HBITMAP, int width, int height) {
  if (!IsWindow(wnd)) return FALSE;
  caret = Caret();
  caret.wnd = wnd;
  caret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  caret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  plat::backend().caret_changed();
  return TRUE;
}

BOOL DestroyCaret() {
  if (caret.wnd == nullptr) return FALSE;
  caret = Caret();
  plat::backend().caret_changed();
  return TRUE;
}

BOOL ShowCaret(HWND wnd) {
  if (!ours(wnd) || caret.hidden == 0) return FALSE;
  if (--caret.hidden == 0) plat::backend().caret_changed();
  return TRUE;
}

BOOL HideCaret(HWND wnd) {
  if (!ours(wnd)) return FALSE;
  if (caret.hidden++ == 0) plat::backend().caret_changed();
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  if (caret.wnd == nullptr) return FALSE;
  if (caret.pos.x != x || caret.pos.y != y) {
    caret.pos = {x, y};
    plat::backend().caret_changed();
  }
  return TRUE;
}

BOOL GetCaretPos(POINT* pt) {
  if (pt == nullptr || caret.wnd == nullptr) return FALSE;
  *pt = caret.pos;
  return TRUE;
}

}  // namespace win

namespace plat {

bool caret_rect(win::HWND* wnd, win::RECT* r) { return win::detail::caret_shown(wnd, r); }

}  // namespace plat
