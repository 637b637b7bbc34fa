// Messages of the Windows-style interface: their numbers, the one queue of
// the one GUI thread (posting, sending, getting, peeking, translating and
// dispatching), the default window procedure, and timers.
//
// The queue hands out, in this order: posted messages and input (in the
// order they arrived), WM_QUIT, WM_PAINT for a visible window with an
// invalid area, WM_TIMER for a due timer. Peeking when nothing is pending
// costs a few loads and compares: no system call.
#pragma once

#include "platform/win_types.h"
#include "platform/win_window.h"

namespace win {

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETREDRAW = 0x000B;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_GETTEXT = 0x000D;
inline constexpr UINT WM_GETTEXTLENGTH = 0x000E;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_GETMINMAXINFO = 0x0024;
inline constexpr UINT WM_NEXTDLGCTL = 0x0028;
inline constexpr UINT WM_SETFONT = 0x0030;
inline constexpr UINT WM_GETFONT = 0x0031;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_HELP = 0x0053;
inline constexpr UINT WM_NCCREATE = 0x0081;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_NCHITTEST = 0x0084;
inline constexpr UINT WM_NCPAINT = 0x0085;
inline constexpr UINT WM_GETDLGCODE = 0x0087;
inline constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
inline constexpr UINT WM_KEYFIRST = 0x0100;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_DEADCHAR = 0x0103;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_SYSCHAR = 0x0106;
inline constexpr UINT WM_KEYLAST = 0x0108;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT WM_MENUSELECT = 0x011F;
inline constexpr UINT WM_CTLCOLORMSGBOX = 0x0132;
inline constexpr UINT WM_CTLCOLOREDIT = 0x0133;
inline constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
inline constexpr UINT WM_CTLCOLORBTN = 0x0135;
inline constexpr UINT WM_CTLCOLORDLG = 0x0136;
inline constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
inline constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
inline constexpr UINT WM_MOUSEFIRST = 0x0200;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
inline constexpr UINT WM_MOUSEWHEEL = 0x020A;
inline constexpr UINT WM_MOUSELAST = 0x020A;
inline constexpr UINT WM_CAPTURECHANGED = 0x0215;
inline constexpr UINT WM_MOUSELEAVE = 0x02A3;
inline constexpr UINT WM_QUERYNEWPALETTE = 0x030F;
inline constexpr UINT WM_PALETTECHANGED = 0x0311;
inline constexpr UINT WM_USER = 0x0400;

// PeekMessageA options.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;

// GetQueueStatus kinds.
inline constexpr UINT QS_KEY = 0x0001;
inline constexpr UINT QS_MOUSEMOVE = 0x0002;
inline constexpr UINT QS_MOUSEBUTTON = 0x0004;
inline constexpr UINT QS_POSTMESSAGE = 0x0008;
inline constexpr UINT QS_TIMER = 0x0010;
inline constexpr UINT QS_PAINT = 0x0020;
inline constexpr UINT QS_SENDMESSAGE = 0x0040;
inline constexpr UINT QS_HOTKEY = 0x0080;
inline constexpr UINT QS_ALLPOSTMESSAGE = 0x0100;
inline constexpr UINT QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
inline constexpr UINT QS_INPUT = QS_MOUSE | QS_KEY;
inline constexpr UINT QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY;
inline constexpr UINT QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;

inline constexpr int WHEEL_DELTA = 120;

inline constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) {
  return static_cast<WPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
inline constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) {
  return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}
// Signed coordinates of a mouse message's lParam.
inline constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(lp & 0xFFFF); }
inline constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>((lp >> 16) & 0xFFFF); }
inline constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM wp) {
  return static_cast<SHORT>((wp >> 16) & 0xFFFF);
}

// Sending and posting. A message posted to a null window is a thread
// message (hwnd 0 in the MSG).
LRESULT SendMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
BOOL PostMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
void PostQuitMessage(int exit_code);

// Getting. GetMessageA waits; it returns 0 for WM_QUIT and -1 when the
// window filter names no window or when, without a display and without a
// timer, nothing could ever arrive. While the virtual clock is on, waiting
// for a timer advances the virtual clock to the timer's tick.
BOOL GetMessageA(MSG* msg, HWND wnd, UINT filter_min, UINT filter_max);
BOOL PeekMessageA(MSG* msg, HWND wnd, UINT filter_min, UINT filter_max, UINT remove);
// High word: kinds of messages pending; low word: kinds that arrived since
// the last call of GetQueueStatus, GetMessageA or PeekMessageA.
DWORD GetQueueStatus(UINT flags);
// Posts WM_CHAR (WM_SYSCHAR) right after a key-down of a character key.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
// Milliseconds of the clock the queue stamps messages with.
DWORD GetMessageTime();

LRESULT DefWindowProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CallWindowProcA(WNDPROC proc, HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

// Timers. The message's lParam carries the timer procedure, which
// DispatchMessageA calls instead of the window procedure. Periods below
// USER_TIMER_MINIMUM are raised to it. A timer ticks at most once per
// pending message: late ticks are not made up.
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
inline constexpr UINT USER_TIMER_MINIMUM = 10;
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc);
BOOL KillTimer(HWND wnd, UINT_PTR id);

}  // namespace win
