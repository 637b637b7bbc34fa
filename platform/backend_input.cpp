// Input from a back end (or a test) turned into queued messages: keys go to
// the focus window, mouse events to the capture window or the window under
// the point, with hit testing, activation on a click and double clicks for
// classes that want them.
#include <cstdlib>

#include "platform/backend.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_keys.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

POINT cursor{0, 0};

struct LastClick {
  HWND wnd = nullptr;
  int button = -1;
  std::int64_t time = 0;
  POINT pt;
};
LastClick last_click;
HWND leave_wnd = nullptr;  // told with WM_MOUSELEAVE when the mouse leaves it

}  // namespace

POINT& cursor_pos() { return cursor; }

void reset_mouse() {
  cursor = {0, 0};
  last_click = LastClick();
  leave_wnd = nullptr;
}

void track_mouse_leave(HWND h) { leave_wnd = h; }

}  // namespace win::detail

namespace plat {

using namespace win;
using namespace win::detail;

namespace {

struct MouseTarget {
  HWND wnd = nullptr;
  int hit = HTNOWHERE;
};

// The window a mouse event at the cursor goes to, after WM_NCHITTEST and
// WM_SETCURSOR when no window has the capture.
MouseTarget mouse_target(UINT msg) {
  MouseTarget t;
  if (HWND c = GetCapture()) {
    t.wnd = c;
    t.hit = HTCLIENT;
    return t;
  }
  HWND h = WindowFromPoint(cursor);
  Window* w = find(h);
  if (w == nullptr || !enabled_chain(*w)) return t;
  t.hit = static_cast<int>(send(
      h, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y))));
  if (find(h) == nullptr) return MouseTarget();
  send(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h),
       MAKELPARAM(static_cast<WORD>(t.hit), static_cast<WORD>(msg)));
  if (find(h) == nullptr) return MouseTarget();
  t.wnd = h;
  return t;
}

LPARAM client_lparam(HWND h) {
  POINT c = cursor;
  ScreenToClient(h, &c);
  return MAKELPARAM(static_cast<WORD>(c.x), static_cast<WORD>(c.y));
}

MSG make_msg(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  return MSG{h, m, wp, lp, static_cast<DWORD>(now_ms()), cursor};
}

}  // namespace

void input_key(int vk, int scan, bool down, bool extended, int ch, int repeat) {
  if (vk <= 0 || vk > 255) return;
  int generic = vk, side = 0;
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      generic = VK_SHIFT, side = vk;
      break;
    case VK_LCONTROL:
    case VK_RCONTROL:
      generic = VK_CONTROL, side = vk;
      break;
    case VK_LMENU:
    case VK_RMENU:
      generic = VK_MENU, side = vk;
      break;
    case VK_SHIFT:
      side = scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
      break;
    case VK_CONTROL:
      side = extended ? VK_RCONTROL : VK_LCONTROL;
      break;
    case VK_MENU:
      side = extended ? VK_RMENU : VK_LMENU;
      break;
    default:
      break;
  }
  bool was_down = key_down_now(generic);
  key_changed_now(generic, down);
  if (side != 0) key_changed_now(side, down);
  if (down) remember_key_char(generic, ch);

  HWND target = GetFocus();
  bool alt = key_down_now(VK_MENU);
  bool sys = (alt && !key_down_now(VK_CONTROL)) || generic == VK_F10 || generic == VK_MENU;
  if (target == nullptr) {
    // Without a focus window the active window gets the keys as system keys.
    target = GetActiveWindow();
    sys = true;
  }
  if (target == nullptr) return;
  UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  auto lp = static_cast<std::uint32_t>(down ? (repeat & 0xFFFF) : 1);
  lp |= static_cast<std::uint32_t>(scan & 0xFF) << 16;
  if (extended) lp |= 1u << 24;
  if (sys && alt) lp |= 1u << 29;
  if (was_down || !down) lp |= 1u << 30;
  if (!down) lp |= 1u << 31;
  MSG m = make_msg(target, msg, static_cast<WPARAM>(generic), static_cast<LPARAM>(lp));
  if (down) m.typed = ch;
  post(m, QS_KEY);
}

void input_mouse_move(int x, int y) {
  cursor = {x, y};
  MouseTarget t = mouse_target(WM_MOUSEMOVE);
  if (leave_wnd != nullptr && (t.wnd != leave_wnd || t.hit != HTCLIENT)) {
    post(make_msg(leave_wnd, WM_MOUSELEAVE, 0, 0), QS_MOUSEMOVE);
    leave_wnd = nullptr;
  }
  if (t.wnd == nullptr || t.hit != HTCLIENT) return;
  post_mouse_move(make_msg(t.wnd, WM_MOUSEMOVE, mouse_key_flags(false), client_lparam(t.wnd)));
}

void input_mouse_button(int button, bool down, int x, int y) {
  if (button < 0 || button > 2) return;
  if (cursor.x != x || cursor.y != y) input_mouse_move(x, y);
  static constexpr int kVk[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  static constexpr UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  key_changed_now(kVk[button], down);
  UINT msg = down ? kDown[button] : kDown[button] + 1;  // ...BUTTONUP follows ...DOWN
  MouseTarget t = mouse_target(msg);
  if (t.wnd == nullptr) return;
  if (down && GetCapture() == nullptr) {
    Window* top = toplevel_of(*find(t.wnd));
    if (top != nullptr && top->handle != GetActiveWindow()) {
      activate(top->handle, WA_CLICKACTIVE);
      if (find(t.wnd) == nullptr) return;
    }
  }
  if (t.hit != HTCLIENT) {
    // A press on the frame: its menu bar or scroll bars.
    if (down && button == 0)
      post(make_msg(t.wnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(t.hit),
                    MAKELPARAM(static_cast<WORD>(cursor.x), static_cast<WORD>(cursor.y))),
           QS_MOUSEBUTTON);
    return;
  }
  if (down) {
    std::int64_t now = now_ms();
    bool dbl = (find(t.wnd)->cls->style & CS_DBLCLKS) && last_click.wnd == t.wnd &&
               last_click.button == button && now - last_click.time <= kDoubleClickTime &&
               std::abs(cursor.x - last_click.pt.x) <= kDoubleClickArea / 2 &&
               std::abs(cursor.y - last_click.pt.y) <= kDoubleClickArea / 2;
    if (dbl) {
      msg = kDown[button] + 2;  // ...BUTTONDBLCLK
      last_click = LastClick();
    } else {
      last_click = LastClick{t.wnd, button, now, cursor};
    }
  }
  post(make_msg(t.wnd, msg, mouse_key_flags(false), client_lparam(t.wnd)), QS_MOUSEBUTTON);
}

void input_mouse_wheel(int delta, int x, int y) {
  cursor = {x, y};
  HWND h = GetCapture();
  if (h == nullptr) {
    h = WindowFromPoint(cursor);
    Window* w = find(h);
    if (w == nullptr || !enabled_chain(*w)) return;
  }
  WPARAM wp = MAKEWPARAM(static_cast<WORD>(mouse_key_flags(false)),
                         static_cast<WORD>(static_cast<SHORT>(delta)));
  post(make_msg(h, WM_MOUSEWHEEL, wp, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y))),
       QS_MOUSEBUTTON);
}

int scan_code_of(int vk) {
  if (vk >= 'A' && vk <= 'Z') {
    static constexpr unsigned char kLetters[26] = {
        0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
        0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    return kLetters[vk - 'A'];
  }
  if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
  if (vk == '0') return 0x0B;
  if (vk >= VK_F1 && vk <= VK_F1 + 9) return 0x3B + (vk - VK_F1);
  switch (vk) {
    case VK_ESCAPE:
      return 0x01;
    case VK_OEM_MINUS:
      return 0x0C;
    case VK_OEM_PLUS:
      return 0x0D;
    case VK_BACK:
      return 0x0E;
    case VK_TAB:
      return 0x0F;
    case VK_OEM_4:
      return 0x1A;
    case VK_OEM_6:
      return 0x1B;
    case VK_RETURN:
      return 0x1C;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      return 0x1D;
    case VK_OEM_1:
      return 0x27;
    case VK_OEM_7:
      return 0x28;
    case VK_OEM_3:
      return 0x29;
    case VK_SHIFT:
    case VK_LSHIFT:
      return 0x2A;
    case VK_OEM_5:
      return 0x2B;
    case VK_OEM_COMMA:
      return 0x33;
    case VK_OEM_PERIOD:
      return 0x34;
    case VK_OEM_2:
    case VK_DIVIDE:
      return 0x35;
    case VK_RSHIFT:
      return 0x36;
    case VK_MULTIPLY:
      return 0x37;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      return 0x38;
    case VK_SPACE:
      return 0x39;
    case VK_CAPITAL:
      return 0x3A;
    case VK_NUMLOCK:
    case VK_PAUSE:
      return 0x45;
    case VK_SCROLL:
      return 0x46;
    case VK_HOME:
    case VK_NUMPAD0 + 7:
      return 0x47;
    case VK_UP:
    case VK_NUMPAD0 + 8:
      return 0x48;
    case VK_PRIOR:
    case VK_NUMPAD9:
      return 0x49;
    case VK_SUBTRACT:
      return 0x4A;
    case VK_LEFT:
    case VK_NUMPAD0 + 4:
      return 0x4B;
    case VK_NUMPAD0 + 5:
      return 0x4C;
    case VK_RIGHT:
    case VK_NUMPAD0 + 6:
      return 0x4D;
    case VK_ADD:
      return 0x4E;
    case VK_END:
    case VK_NUMPAD0 + 1:
      return 0x4F;
    case VK_DOWN:
    case VK_NUMPAD0 + 2:
      return 0x50;
    case VK_NEXT:
    case VK_NUMPAD0 + 3:
      return 0x51;
    case VK_INSERT:
    case VK_NUMPAD0:
      return 0x52;
    case VK_DELETE:
    case VK_DECIMAL:
      return 0x53;
    case VK_OEM_102:
      return 0x56;
    case VK_F11:
      return 0x57;
    case VK_F12:
      return 0x58;
    case VK_LWIN:
      return 0x5B;
    case VK_RWIN:
      return 0x5C;
    case VK_APPS:
      return 0x5D;
    default:
      return 0;
  }
}

bool is_extended_key(int vk) {
  switch (vk) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_DIVIDE:
    case VK_NUMLOCK:
    case VK_SNAPSHOT:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
      return true;
    default:
      return false;
  }
}

void inject_key_press(int vk, unsigned char ch) {
  int scan = scan_code_of(vk);
  bool ext = is_extended_key(vk);
  input_key(vk, scan, true, ext, ch);
  input_key(vk, scan, false, ext);
}

void inject_click(win::HWND wnd, int x, int y, int button) {
  POINT p{x, y};
  if (!ClientToScreen(wnd, &p)) return;
  input_mouse_button(button, true, p.x, p.y);
  input_mouse_button(button, false, p.x, p.y);
}

}  // namespace plat
