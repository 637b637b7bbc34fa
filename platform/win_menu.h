// Menus and keyboard accelerators of the Windows-style interface.
//
// A top-level window's menu bar is drawn in a strip of its frame. Alt
// (pressed and released alone) or F10 selects its first item, Alt and a
// letter opens the item with that "&" mnemonic, and a click opens the item
// under the mouse. While a menu tracks, every key and mouse message of the
// program goes to it: arrows move, Enter or a mnemonic chooses, Escape
// closes one level. The owner hears WM_MENUSELECT whenever the selection
// changes (the item's id, or its position for an item that opens a menu,
// and MF_ flags; the menu in lParam) and, when the menu closes,
// WM_MENUSELECT with flags 0xFFFF and no menu. A chosen command reaches the
// owner as WM_COMMAND with the command id.
#pragma once

#include "platform/win_message.h"

namespace win {

inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_HILITE = 0x0080;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_SYSMENU = 0x2000;
inline constexpr UINT MF_MOUSESELECT = 0x8000;

inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_VERTICAL = 0x0040;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

inline constexpr WPARAM SC_KEYMENU = 0xF100;

// Where a popup menu must not cover (a popup menu moves beside it).
struct TPMPARAMS {
  UINT cbSize = sizeof(TPMPARAMS);
  RECT rcExclude;
};
static_assert(sizeof(TPMPARAMS) == 20);

HMENU CreateMenu();
HMENU CreatePopupMenu();
// With MF_POPUP the id is the handle of the menu the item opens; with
// MF_SEPARATOR the text is not used. A TAB in the text starts a part shown
// on the right (the accelerator).
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
// Destroys the menu and the menus its items open.
BOOL DestroyMenu(HMENU menu);
BOOL SetMenu(HWND wnd, HMENU menu);
HMENU GetMenu(HWND wnd);
BOOL DrawMenuBar(HWND wnd);
// By command (in the menus the items open too) or by position: the
// previous state (MF_CHECKED, or MF_GRAYED and MF_DISABLED), -1 when there
// is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);
// Shows a popup menu at a screen point and tracks it. With TPM_RETURNCMD
// the chosen command is returned (0 for none) and no WM_COMMAND is sent;
// otherwise the command goes to the owner and the result says whether one
// was chosen.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params);

// Accelerators: fVirt holds FVIRTKEY (key is a virtual key, else a
// character) and the modifiers that must be down.
inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;
struct ACCEL {
  BYTE fVirt = 0;
  WORD key = 0;
  WORD cmd = 0;
};
static_assert(sizeof(ACCEL) == 6);

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count);
BOOL DestroyAcceleratorTable(HACCEL table);
// A key message that matches an entry becomes WM_COMMAND to the window
// (the command id, 1 in the high word); TRUE when it matched. A command
// that is greyed or disabled in the window's menu is not sent.
int TranslateAcceleratorA(HWND wnd, HACCEL table, const MSG* msg);

}  // namespace win
