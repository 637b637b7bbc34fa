// Key state: the immediate state that input changes at once, and the
// queued state that follows the key and mouse messages as they are taken
// from the queue; the characters that key-downs type.
#include <array>

#include "platform/backend.h"
#include "platform/win_message_keys.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

constexpr BYTE kDown = 0x80;
constexpr BYTE kToggled = 0x01;

std::array<BYTE, 256> now_state{};
std::array<BYTE, 256> queued_state{};
std::array<bool, 256> pressed_since{};
std::array<int, 256> typed_char{};

void change(std::array<BYTE, 256>& st, int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  BYTE& b = st[static_cast<std::size_t>(vk)];
  if (down && (b & kDown) == 0) b ^= kToggled;
  b = static_cast<BYTE>(down ? (b | kDown) : (b & ~kDown));
}

// The left or right key behind a generic Shift, Ctrl or Alt message.
int sided_key(int vk, LPARAM lp) {
  int scan = static_cast<int>((lp >> 16) & 0xFF);
  bool extended = (lp >> 24) & 1;
  if (vk == VK_SHIFT) return scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
  if (vk == VK_CONTROL) return extended ? VK_RCONTROL : VK_LCONTROL;
  if (vk == VK_MENU) return extended ? VK_RMENU : VK_LMENU;
  return 0;
}

bool down_in(const std::array<BYTE, 256>& st, int vk) {
  return (st[static_cast<std::size_t>(vk)] & kDown) != 0;
}

}  // namespace

void key_changed_now(int vk, bool down) {
  if (vk <= 0 || vk > 255) return;
  if (down) pressed_since[static_cast<std::size_t>(vk)] = true;
  change(now_state, vk, down);
}

bool key_down_now(int vk) { return vk > 0 && vk <= 255 && down_in(now_state, vk); }

void keys_let_go_elsewhere(const std::vector<bool>& held) {
  for (int vk = VK_BACK; vk < 256; ++vk) {  // (the mouse buttons come below)
    if (static_cast<std::size_t>(vk) < held.size() && held[static_cast<std::size_t>(vk)]) continue;
    change(now_state, vk, false);
    change(queued_state, vk, false);
  }
}

namespace {
bool alt_alone = false;  // Alt went down and nothing else since
}  // namespace

void key_message_taken(const MSG& msg) {
  int vk = static_cast<int>(msg.wParam & 0xFF);
  if (msg.message >= WM_LBUTTONDOWN && msg.message <= WM_MBUTTONDBLCLK) alt_alone = false;
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
      if (down && (vk != VK_MENU || (msg.lParam & (1 << 30)) == 0)) alt_alone = vk == VK_MENU;
      change(queued_state, vk, down);
      if (int side = sided_key(vk, msg.lParam)) change(queued_state, side, down);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      change(queued_state, VK_LBUTTON, true);
      break;
    case WM_LBUTTONUP:
      change(queued_state, VK_LBUTTON, false);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      change(queued_state, VK_RBUTTON, true);
      break;
    case WM_RBUTTONUP:
      change(queued_state, VK_RBUTTON, false);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      change(queued_state, VK_MBUTTON, true);
      break;
    case WM_MBUTTONUP:
      change(queued_state, VK_MBUTTON, false);
      break;
    default:
      break;
  }
}

WPARAM mouse_key_flags(bool queued) {
  const auto& st = queued ? queued_state : now_state;
  WPARAM f = 0;
  if (down_in(st, VK_LBUTTON)) f |= MK_LBUTTON;
  if (down_in(st, VK_RBUTTON)) f |= MK_RBUTTON;
  if (down_in(st, VK_MBUTTON)) f |= MK_MBUTTON;
  if (down_in(st, VK_SHIFT)) f |= MK_SHIFT;
  if (down_in(st, VK_CONTROL)) f |= MK_CONTROL;
  return f;
}

void remember_key_char(int vk, int ch) {
  if (vk > 0 && vk <= 255) typed_char[static_cast<std::size_t>(vk)] = ch;
}

unsigned char key_char(int vk) {
  if (vk <= 0 || vk > 255) return 0;
  if (int c = typed_char[static_cast<std::size_t>(vk)])
    return c < 0 ? 0 : static_cast<unsigned char>(c);
  bool shift = down_in(queued_state, VK_SHIFT);
  bool ctrl = down_in(queued_state, VK_CONTROL);
  bool alt = down_in(queued_state, VK_MENU);
  bool caps = (queued_state[VK_CAPITAL] & kToggled) != 0;
  if (ctrl && !alt) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<unsigned char>(vk - 'A' + 1);
    switch (vk) {
      case VK_OEM_4:
        return 0x1B;
      case VK_OEM_5:
        return 0x1C;
      case VK_OEM_6:
        return 0x1D;
      case VK_RETURN:
        return 0x0A;
      case VK_BACK:
        return 0x7F;
      case VK_SPACE:
        return ' ';
      default:
        return 0;
    }
  }
  if (vk >= 'A' && vk <= 'Z') return static_cast<unsigned char>(shift != caps ? vk : vk + 32);
  if (vk >= '0' && vk <= '9')
    return static_cast<unsigned char>(shift ? ")!@#$%^&*("[vk - '0'] : vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
    return static_cast<unsigned char>('0' + vk - VK_NUMPAD0);
  struct Pair {
    int vk;
    char plain, shifted;
  };
  static constexpr Pair kPairs[] = {
      {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},   {VK_OEM_COMMA, ',', '<'},
      {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
      {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},
      {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},     {VK_OEM_102, '\\', '|'},
      {VK_SPACE, ' ', ' '},     {VK_RETURN, '\r', '\r'},   {VK_BACK, 8, 8},
      {VK_TAB, 9, 9},           {VK_ESCAPE, 27, 27},       {VK_MULTIPLY, '*', '*'},
      {VK_ADD, '+', '+'},       {VK_SUBTRACT, '-', '-'},   {VK_DECIMAL, '.', '.'},
      {VK_DIVIDE, '/', '/'},
  };
  for (const Pair& p : kPairs)
    if (p.vk == vk) return static_cast<unsigned char>(shift ? p.shifted : p.plain);
  return 0;
}

bool alt_pressed_alone() { return alt_alone; }

void reset_keys() {
  alt_alone = false;
  now_state.fill(0);
  queued_state.fill(0);
  pressed_since.fill(false);
  typed_char.fill(0);
}

}  // namespace win::detail

namespace win {

using namespace detail;

SHORT GetKeyState(int vk) {
  if (vk <= 0 || vk > 255) return 0;
  BYTE b = queued_state[static_cast<std::size_t>(vk)];
  return static_cast<SHORT>(((b & kDown) ? 0x8000 : 0) | (b & kToggled));
}

SHORT GetAsyncKeyState(int vk) {
  if (vk <= 0 || vk > 255) return 0;
  auto i = static_cast<std::size_t>(vk);
  int r = ((now_state[i] & kDown) ? 0x8000 : 0) | (pressed_since[i] ? 1 : 0);
  pressed_since[i] = false;
  return static_cast<SHORT>(r);
}

}  // namespace win

namespace plat {

void set_key_state(int vk, bool down, bool toggled) {
  using namespace win::detail;
  if (vk <= 0 || vk > 255) return;
  auto i = static_cast<std::size_t>(vk);
  win::BYTE b = static_cast<win::BYTE>((down ? kDown : 0) | (toggled ? kToggled : 0));
  now_state[i] = b;
  queued_state[i] = b;
}

}  // namespace plat
