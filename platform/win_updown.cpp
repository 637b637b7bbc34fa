// The up-down control (spinner): two arrow buttons that step a position,
// beside a buddy window whose Up and Down keys step it too.
#include <algorithm>
#include <map>

#include "platform/win_commctrl.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

constexpr int kDefaultWidth = 16;

struct UpDownData : ControlBase {
  int lower = 100, upper = 0;  // the classic default range runs downwards
  int pos = 0;
  HWND buddy = nullptr;
  int pushed = 0;  // 1 the up (right) arrow, 2 the down (left) arrow
};

// Buddies whose keys step a spinner: their own procedure, and the spinner.
struct Buddy {
  WNDPROC old;
  HWND updown;
};
std::map<HWND, Buddy> buddies;

bool horizontal(HWND h) { return (style_of(h) & UDS_HORZ) != 0; }

void step(HWND h, int dir);

LRESULT buddy_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = buddies.find(h);
  if (it == buddies.end()) return DefWindowProcA(h, msg, wp, lp);
  const Buddy b = it->second;
  if (msg == WM_KEYDOWN && IsWindow(b.updown)) {
    const bool horz = horizontal(b.updown);
    const int up = horz ? VK_RIGHT : VK_UP, down = horz ? VK_LEFT : VK_DOWN;
    if (static_cast<int>(wp) == up || static_cast<int>(wp) == down) {
      step(b.updown, static_cast<int>(wp) == up ? 1 : -1);
      return 0;
    }
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(b.old));
    buddies.erase(h);
  }
  return CallWindowProcA(b.old, h, msg, wp, lp);
}

void release_buddy(HWND updown, UpDownData& d) {
  auto it = buddies.find(d.buddy);
  if (it != buddies.end() && it->second.updown == updown) {
    if (IsWindow(d.buddy) &&
        GetWindowLongPtrA(d.buddy, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(buddy_proc))
      SetWindowLongPtrA(d.buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.old));
    buddies.erase(it);
  }
  d.buddy = nullptr;
}

// Takes a buddy: sits inside its right (left) edge when aligned, and
// catches its arrow keys with UDS_ARROWKEYS.
void attach(HWND h, UpDownData& d, HWND buddy) {
  release_buddy(h, d);
  d.buddy = buddy;
  if (buddy == nullptr || !IsWindow(buddy)) return;
  const DWORD style = style_of(h);
  if (style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) {
    RECT br;
    GetWindowRect(buddy, &br);
    HWND parent = GetParent(buddy);
    POINT tl{br.left, br.top};
    if (parent != nullptr) ScreenToClient(parent, &tl);
    RECT mine;
    GetWindowRect(h, &mine);
    int w = mine.right - mine.left;
    if (w <= 0) w = kDefaultWidth;
    const int bw = br.right - br.left, bh = br.bottom - br.top;
    if (style & UDS_ALIGNRIGHT) {
      MoveWindow(buddy, tl.x, tl.y, std::max(0, bw - w), bh, TRUE);
      MoveWindow(h, tl.x + std::max(0, bw - w), tl.y, w, bh, TRUE);
    } else {
      MoveWindow(h, tl.x, tl.y, w, bh, TRUE);
      MoveWindow(buddy, tl.x + w, tl.y, std::max(0, bw - w), bh, TRUE);
    }
  }
  if (style & UDS_ARROWKEYS) {
    const auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(buddy, GWLP_WNDPROC));
    if (old != buddy_proc) {
      buddies[buddy] = Buddy{old, h};
      SetWindowLongPtrA(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buddy_proc));
    } else {
      buddies[buddy].updown = h;
    }
  }
}

void set_buddy_int(const UpDownData& d, HWND h) {
  if (d.buddy == nullptr || (style_of(h) & UDS_SETBUDDYINT) == 0) return;
  SetWindowTextA(d.buddy, std::to_string(d.pos).c_str());
}

// One step up (+1) or down (-1): the parent may refuse it (UDN_DELTAPOS),
// then the position moves inside the range (around it with UDS_WRAP).
void step(HWND h, int dir) {
  UpDownData* d = data_of<UpDownData>(h);
  HWND parent = GetParent(h);
  if (d == nullptr || parent == nullptr) return;
  const int delta = d->upper >= d->lower ? dir : -dir;
  NMUPDOWN nm;
  nm.hdr.hwndFrom = h;
  nm.hdr.idFrom = static_cast<UINT_PTR>(control_id(h));
  nm.hdr.code = UDN_DELTAPOS;
  nm.iPos = d->pos;
  nm.iDelta = delta;
  if (SendMessageA(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)) != 0) return;
  if ((d = data_of<UpDownData>(h)) == nullptr) return;
  const int lo = std::min(d->lower, d->upper), hi = std::max(d->lower, d->upper);
  int to = d->pos + nm.iDelta;
  if (to < lo || to > hi)
    to = (style_of(h) & UDS_WRAP) ? (to < lo ? hi : lo) : std::clamp(to, lo, hi);
  if (to == d->pos) return;
  d->pos = to;
  set_buddy_int(*d, h);
  SendMessageA(parent, horizontal(h) ? WM_HSCROLL : WM_VSCROLL,
               MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(to)), reinterpret_cast<LPARAM>(h));
}

void halves(HWND h, RECT& first, RECT& second) {
  const RECT c = client_of(h);
  if (horizontal(h)) {
    first = {c.left, c.top, c.right / 2, c.bottom};  // left: down
    second = {c.right / 2, c.top, c.right, c.bottom};
  } else {
    first = {c.left, c.top, c.right, c.bottom / 2};  // top: up
    second = {c.left, c.bottom / 2, c.right, c.bottom};
  }
}

}  // namespace

void reset_buddies() { buddies.clear(); }

LRESULT updown_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result;
  UpDownData* d =
      control_message<UpDownData>(h, msg, wp, lp, result, [h](HDC dc, const UpDownData& u) {
        RECT a, b;
        halves(h, a, b);
        const bool on = IsWindowEnabled(h) != FALSE, horz = horizontal(h);
        // The first half holds the down (left) arrow sideways, the up arrow
        // upright.
        draw_arrow_button(dc, a, horz ? 2 : 0, u.pushed == (horz ? 2 : 1), on);
        draw_arrow_button(dc, b, horz ? 3 : 1, u.pushed == (horz ? 1 : 2), on);
      });
  if (d == nullptr) return result;
  switch (msg) {
    case WM_ENABLE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      RECT a, b;
      halves(h, a, b);
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const bool in_first = p.x >= a.left && p.x < a.right && p.y >= a.top && p.y < a.bottom;
      // The top half steps up; horizontally the right half does.
      d->pushed = horizontal(h) ? (in_first ? 2 : 1) : (in_first ? 1 : 2);
      SetCapture(h);
      InvalidateRect(h, nullptr, FALSE);
      step(h, d->pushed == 1 ? 1 : -1);
      return 0;
    }
    case WM_LBUTTONUP:
      if (d->pushed != 0) {
        d->pushed = 0;
        ReleaseCapture();
        InvalidateRect(h, nullptr, FALSE);
        if (HWND parent = GetParent(h))
          SendMessageA(parent, horizontal(h) ? WM_HSCROLL : WM_VSCROLL,
                       MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(d->pos)),
                       reinterpret_cast<LPARAM>(h));
      }
      return 0;
    case WM_CAPTURECHANGED:
      d->pushed = 0;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_DESTROY:
      release_buddy(h, *d);
      return 0;
    case UDM_SETRANGE:
      d->upper = static_cast<SHORT>(LOWORD(lp));
      d->lower = static_cast<SHORT>(HIWORD(lp));
      return 0;
    case UDM_GETRANGE:
      return MAKELPARAM(static_cast<WORD>(d->upper), static_cast<WORD>(d->lower));
    case UDM_SETPOS: {
      const int old = d->pos;
      d->pos = std::clamp(static_cast<int>(static_cast<SHORT>(LOWORD(lp))),
                          std::min(d->lower, d->upper), std::max(d->lower, d->upper));
      set_buddy_int(*d, h);
      return old;
    }
    case UDM_GETPOS:
      return MAKELPARAM(static_cast<WORD>(d->pos), 0);
    case UDM_SETBUDDY: {
      HWND old = d->buddy;
      attach(h, *d, reinterpret_cast<HWND>(wp));
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY:
      return reinterpret_cast<LRESULT>(d->buddy);
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail

namespace win {

void InitCommonControls() {}

HWND CreateUpDownControl(DWORD style, int x, int y, int cx, int cy, HWND parent, int id,
                         HINSTANCE inst, HWND buddy, int upper, int lower, int pos) {
  HWND h = CreateWindowExA(0, UPDOWN_CLASSA, "", style, x, y, cx, cy, parent,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), inst, nullptr);
  if (h == nullptr) return nullptr;
  SendMessageA(h, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageA(h, UDM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(upper), static_cast<WORD>(lower)));
  SendMessageA(h, UDM_SETPOS, 0, MAKELPARAM(static_cast<WORD>(pos), 0));
  return h;
}

}  // namespace win
