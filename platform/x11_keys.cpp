// X key events in the terms of the window system: the virtual key from the
// key's symbol, the set-1 scan code and extended flag from its X keycode
// (the server's evdev numbering: the Linux key code plus 8), and the
// character it types in Windows-1252.
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <array>

#include "platform/cp1252.h"
#include "platform/win_message_keys.h"
#include "platform/x11_backend.h"

namespace plat::x11 {

namespace {

using namespace win;

struct Scan {
  int code = 0;
  bool extended = false;
};

Scan scan_of_keycode(unsigned keycode) {
  const int k = static_cast<int>(keycode) - 8;
  // Linux key codes 1 to 88 are the set-1 scan codes themselves.
  if (k >= 1 && k <= 88) return {k, false};
  switch (k) {
    case 96:  // keypad Enter
      return {0x1C, true};
    case 97:  // right Ctrl
      return {0x1D, true};
    case 98:  // keypad /
      return {0x35, true};
    case 99:  // Print Screen
      return {0x37, true};
    case 100:  // right Alt
      return {0x38, true};
    case 102:
      return {0x47, true};  // Home
    case 103:
      return {0x48, true};  // Up
    case 104:
      return {0x49, true};  // Page Up
    case 105:
      return {0x4B, true};  // Left
    case 106:
      return {0x4D, true};  // Right
    case 107:
      return {0x4F, true};  // End
    case 108:
      return {0x50, true};  // Down
    case 109:
      return {0x51, true};  // Page Down
    case 110:
      return {0x52, true};  // Insert
    case 111:
      return {0x53, true};  // Delete
    case 119:
      return {0x45, false};  // Pause
    case 125:
      return {0x5B, true};  // left Windows key
    case 126:
      return {0x5C, true};  // right Windows key
    case 127:
      return {0x5D, true};  // menu key
    default:
      return {};
  }
}

// The virtual key of the US layout's key at a scan code, for keys whose
// symbol says nothing (other layouts' letters and marks).
int vk_of_scan(int scan) {
  static constexpr std::array<unsigned char, 0x59> kUs = [] {
    std::array<unsigned char, 0x59> t{};
    const char* rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const int starts[] = {0x02, 0x10, 0x1E, 0x2C};
    for (int r = 0; r < 4; ++r)
      for (int i = 0; rows[r][i] != '\0'; ++i)
        t[static_cast<std::size_t>(starts[r] + i)] = static_cast<unsigned char>(rows[r][i]);
    t[0x0C] = VK_OEM_MINUS;
    t[0x0D] = VK_OEM_PLUS;
    t[0x1A] = VK_OEM_4;
    t[0x1B] = VK_OEM_6;
    t[0x27] = VK_OEM_1;
    t[0x28] = VK_OEM_7;
    t[0x29] = VK_OEM_3;
    t[0x2B] = VK_OEM_5;
    t[0x33] = VK_OEM_COMMA;
    t[0x34] = VK_OEM_PERIOD;
    t[0x35] = VK_OEM_2;
    t[0x56] = VK_OEM_102;
    return t;
  }();
  return scan > 0 && scan < static_cast<int>(kUs.size()) ? kUs[static_cast<std::size_t>(scan)] : 0;
}

// The virtual key of a key symbol; 0 when the symbol names none.
int vk_of_keysym(KeySym s) {
  if (s >= XK_a && s <= XK_z) return static_cast<int>('A' + (s - XK_a));
  if (s >= XK_A && s <= XK_Z) return static_cast<int>(s);
  if (s >= XK_0 && s <= XK_9) return static_cast<int>(s);
  if (s >= XK_F1 && s <= XK_F24) return VK_F1 + static_cast<int>(s - XK_F1);
  if (s >= XK_KP_0 && s <= XK_KP_9) return VK_NUMPAD0 + static_cast<int>(s - XK_KP_0);
  switch (s) {
    case XK_BackSpace:
      return VK_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
      return VK_TAB;
    case XK_Return:
    case XK_KP_Enter:
      return VK_RETURN;
    case XK_Escape:
      return VK_ESCAPE;
    case XK_space:
      return VK_SPACE;
    case XK_Shift_L:
    case XK_Shift_R:
      return VK_SHIFT;
    case XK_Control_L:
    case XK_Control_R:
      return VK_CONTROL;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R:
      return VK_MENU;
    case XK_Caps_Lock:
      return VK_CAPITAL;
    case XK_Num_Lock:
      return VK_NUMLOCK;
    case XK_Scroll_Lock:
      return VK_SCROLL;
    case XK_Pause:
    case XK_Break:
      return VK_PAUSE;
    case XK_Print:
    case XK_Sys_Req:
      return VK_SNAPSHOT;
    case XK_Super_L:
      return VK_LWIN;
    case XK_Super_R:
      return VK_RWIN;
    case XK_Menu:
      return VK_APPS;
    case XK_Home:
    case XK_KP_Home:
      return VK_HOME;
    case XK_End:
    case XK_KP_End:
      return VK_END;
    case XK_Prior:
    case XK_KP_Prior:
      return VK_PRIOR;
    case XK_Next:
    case XK_KP_Next:
      return VK_NEXT;
    case XK_Left:
    case XK_KP_Left:
      return VK_LEFT;
    case XK_Right:
    case XK_KP_Right:
      return VK_RIGHT;
    case XK_Up:
    case XK_KP_Up:
      return VK_UP;
    case XK_Down:
    case XK_KP_Down:
      return VK_DOWN;
    case XK_Insert:
    case XK_KP_Insert:
      return VK_INSERT;
    case XK_Delete:
    case XK_KP_Delete:
      return VK_DELETE;
    case XK_KP_Begin:
      return VK_CLEAR;
    case XK_KP_Decimal:
    case XK_KP_Separator:
      return VK_DECIMAL;
    case XK_KP_Add:
      return VK_ADD;
    case XK_KP_Subtract:
      return VK_SUBTRACT;
    case XK_KP_Multiply:
      return VK_MULTIPLY;
    case XK_KP_Divide:
      return VK_DIVIDE;
    case XK_minus:
      return VK_OEM_MINUS;
    case XK_equal:
      return VK_OEM_PLUS;
    case XK_bracketleft:
      return VK_OEM_4;
    case XK_bracketright:
      return VK_OEM_6;
    case XK_semicolon:
      return VK_OEM_1;
    case XK_apostrophe:
      return VK_OEM_7;
    case XK_grave:
      return VK_OEM_3;
    case XK_backslash:
      return VK_OEM_5;
    case XK_comma:
      return VK_OEM_COMMA;
    case XK_period:
      return VK_OEM_PERIOD;
    case XK_slash:
      return VK_OEM_2;
    case XK_less:
      return VK_OEM_102;
    default:
      return 0;
  }
}

// The Unicode character of a key symbol, 0 for none.
char32_t unicode_of_keysym(KeySym s) {
  if ((s >= 0x20 && s <= 0x7E) || (s >= 0xA0 && s <= 0xFF)) return static_cast<char32_t>(s);
  if ((s & 0xFF000000) == 0x01000000) return static_cast<char32_t>(s & 0x00FFFFFF);
  // The older symbols of the characters Windows-1252 adds to Latin-1.
  switch (s) {
    case XK_EuroSign:
      return 0x20AC;
    case XK_Scaron:
      return 0x0160;
    case XK_scaron:
      return 0x0161;
    case XK_Zcaron:
      return 0x017D;
    case XK_zcaron:
      return 0x017E;
    case XK_OE:
      return 0x0152;
    case XK_oe:
      return 0x0153;
    case XK_Ydiaeresis:
      return 0x0178;
    default:
      return 0;
  }
}

// The Windows-1252 byte of a character, -1 when the code page lacks it.
int byte_of_unicode(char32_t u) {
  static const std::array<char32_t, 256> kTable = [] {
    std::array<char32_t, 256> t{};
    for (int b = 0; b < 256; ++b)
      t[static_cast<std::size_t>(b)] = unicode_of_1252(static_cast<unsigned char>(b));
    return t;
  }();
  for (int b = 0x20; b < 256; ++b)
    if (kTable[static_cast<std::size_t>(b)] == u && b != 0x7F) return b;
  return -1;
}

}  // namespace

KeyInput translate_key(XKeyEvent& ev) {
  KeyInput k;
  const Scan sc = scan_of_keycode(ev.keycode);
  k.scan = sc.code;
  k.extended = sc.extended;

  // The symbol as typed (Shift, AltGr and Num Lock applied) and the key's
  // own first symbol.
  char buf[16];
  KeySym typed = NoSymbol;
  XLookupString(&ev, buf, sizeof buf, &typed, nullptr);
  const KeySym base = XkbKeycodeToKeysym(ev.display, static_cast<KeyCode>(ev.keycode), 0, 0);

  if (typed == XK_ISO_Level3_Shift || typed == XK_Mode_switch || base == XK_ISO_Level3_Shift ||
      base == XK_Mode_switch) {
    k.altgr = true;
    return k;
  }
  // Keypad keys answer to Num Lock; every other key by its first symbol.
  const bool keypad = IsKeypadKey(typed) || IsKeypadKey(base);
  k.vk = vk_of_keysym(keypad ? typed : base);
  if (k.vk == 0) k.vk = vk_of_keysym(typed);
  if (k.vk == 0) k.vk = vk_of_scan(k.scan);

  // The character: keys that type control characters (Enter, Tab,
  // Backspace, Escape, Ctrl with a letter) leave it to the built-in rules.
  const bool ctrl = (ev.state & ControlMask) != 0 && (ev.state & Mod5Mask) == 0;
  switch (typed) {
    case XK_Return:
    case XK_KP_Enter:
    case XK_Tab:
    case XK_ISO_Left_Tab:
    case XK_BackSpace:
    case XK_Escape:
      k.ch = 0;
      return k;
    default:
      break;
  }
  if (ctrl) {
    k.ch = 0;
    return k;
  }
  const char32_t u = unicode_of_keysym(typed);
  k.ch = u == 0 ? -1 : byte_of_unicode(u);
  // A key off the US keyboard that types a character still comes as a key.
  constexpr int kVkOem8 = 0xDF;
  if (k.vk == 0 && k.ch > 0) k.vk = kVkOem8;
  return k;
}

}  // namespace plat::x11
