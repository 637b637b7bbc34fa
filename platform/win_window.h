// Windows of the Windows-style interface: classes, the window tree, styles,
// positions, visibility, focus, activation, capture, window texts and words,
// invalidation and painting. Names and numbers are those of the classic
// interface, because the program is written against them.
//
// The non-client frame is fixed and simple (see the metric constants below):
// a caption bar, a border by style, a menu bar strip when a top-level window
// has a menu, and the strips of the window's own scroll bars.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

namespace win {

using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using DWORD_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_MINIMIZE = 0x20000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_DISABLED = 0x08000000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
inline constexpr DWORD WS_MAXIMIZE = 0x01000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_DLGFRAME = 0x00400000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_HSCROLL = 0x00100000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008;
inline constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;
inline constexpr DWORD WS_EX_STATICEDGE = 0x00020000;

// Class styles.
inline constexpr UINT CS_VREDRAW = 0x0001;
inline constexpr UINT CS_HREDRAW = 0x0002;
inline constexpr UINT CS_DBLCLKS = 0x0008;
inline constexpr UINT CS_OWNDC = 0x0020;
inline constexpr UINT CS_CLASSDC = 0x0040;
inline constexpr UINT CS_PARENTDC = 0x0080;
inline constexpr UINT CS_NOCLOSE = 0x0200;
inline constexpr UINT CS_SAVEBITS = 0x0800;
inline constexpr UINT CS_BYTEALIGNCLIENT = 0x1000;
inline constexpr UINT CS_BYTEALIGNWINDOW = 0x2000;
inline constexpr UINT CS_GLOBALCLASS = 0x4000;

// Position and size that the system chooses.
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = 1;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = 3;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
inline constexpr int SW_SHOWDEFAULT = 10;

// SetWindowPos flags and z-order places.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr UINT SWP_NOCOPYBITS = 0x0100;
inline constexpr UINT SWP_NOOWNERZORDER = 0x0200;
inline const HWND HWND_TOP = handle_from<HWND>(0);
inline const HWND HWND_BOTTOM = handle_from<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));

// Window and class words.
inline constexpr int GWLP_WNDPROC = -4;
inline constexpr int GWLP_HINSTANCE = -6;
inline constexpr int GWLP_HWNDPARENT = -8;
inline constexpr int GWLP_ID = -12;
inline constexpr int GWL_STYLE = -16;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int GWL_WNDPROC = GWLP_WNDPROC;
inline constexpr int GWL_ID = GWLP_ID;
inline constexpr int GWL_USERDATA = GWLP_USERDATA;

inline constexpr int GCLP_MENUNAME = -8;
inline constexpr int GCLP_HBRBACKGROUND = -10;
inline constexpr int GCLP_HCURSOR = -12;
inline constexpr int GCLP_HICON = -14;
inline constexpr int GCLP_HMODULE = -16;
inline constexpr int GCL_CBWNDEXTRA = -18;
inline constexpr int GCL_CBCLSEXTRA = -20;
inline constexpr int GCLP_WNDPROC = -24;
inline constexpr int GCL_STYLE = -26;
inline constexpr int GCW_ATOM = -32;
inline constexpr int GCLP_HICONSM = -34;
inline constexpr int GCL_WNDPROC = GCLP_WNDPROC;

// GetWindow relations.
inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;

// System metrics.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;
inline constexpr int SM_CXVSCROLL = 2;
inline constexpr int SM_CYHSCROLL = 3;
inline constexpr int SM_CYCAPTION = 4;
inline constexpr int SM_CXBORDER = 5;
inline constexpr int SM_CYBORDER = 6;
inline constexpr int SM_CXDLGFRAME = 7;
inline constexpr int SM_CYDLGFRAME = 8;
inline constexpr int SM_CYVTHUMB = 9;
inline constexpr int SM_CXHTHUMB = 10;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXCURSOR = 13;
inline constexpr int SM_CYCURSOR = 14;
inline constexpr int SM_CYMENU = 15;
inline constexpr int SM_CXFULLSCREEN = 16;
inline constexpr int SM_CYFULLSCREEN = 17;
inline constexpr int SM_CYVSCROLL = 20;
inline constexpr int SM_CXHSCROLL = 21;
inline constexpr int SM_CXMIN = 28;
inline constexpr int SM_CYMIN = 29;
inline constexpr int SM_CXSIZE = 30;
inline constexpr int SM_CYSIZE = 31;
inline constexpr int SM_CXFRAME = 32;
inline constexpr int SM_CYFRAME = 33;
inline constexpr int SM_CXMINTRACK = 34;
inline constexpr int SM_CYMINTRACK = 35;
inline constexpr int SM_CXDOUBLECLK = 36;
inline constexpr int SM_CYDOUBLECLK = 37;
inline constexpr int SM_CXEDGE = 45;
inline constexpr int SM_CYEDGE = 46;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr int SM_CXMAXTRACK = 59;
inline constexpr int SM_CYMAXTRACK = 60;
inline constexpr int SM_CXMAXIMIZED = 61;
inline constexpr int SM_CYMAXIMIZED = 62;
inline constexpr int SM_CXDRAG = 68;
inline constexpr int SM_CYDRAG = 69;
inline constexpr int SM_MOUSEWHEELPRESENT = 75;

// The fixed frame, in pixels (the values GetSystemMetrics reports).
inline constexpr int kCaptionHeight = 20;    // SM_CYCAPTION: caption bar of WS_CAPTION
inline constexpr int kBorderWidth = 1;       // SM_CXBORDER: WS_BORDER alone
inline constexpr int kDialogFrameWidth = 3;  // SM_CXDLGFRAME: WS_DLGFRAME, WS_CAPTION
inline constexpr int kSizingFrameWidth = 4;  // SM_CXFRAME: WS_THICKFRAME
inline constexpr int kEdgeWidth = 2;         // SM_CXEDGE: WS_EX_CLIENTEDGE
inline constexpr int kMenuBarHeight = 20;    // SM_CYMENU: a top-level window's menu bar
inline constexpr int kScrollBarWidth = 17;   // SM_CXVSCROLL, SM_CYHSCROLL, arrow sizes
inline constexpr int kDragDistance = 4;      // SM_CXDRAG, SM_CYDRAG
inline constexpr int kDoubleClickArea = 4;   // SM_CXDOUBLECLK, SM_CYDOUBLECLK
inline constexpr UINT kDoubleClickTime = 500;

// Hit-test codes (WM_NCHITTEST, WM_SETCURSOR).
inline constexpr int HTERROR = -2;
inline constexpr int HTTRANSPARENT = -1;
inline constexpr int HTNOWHERE = 0;
inline constexpr int HTCLIENT = 1;
inline constexpr int HTCAPTION = 2;
inline constexpr int HTMENU = 5;
inline constexpr int HTHSCROLL = 6;
inline constexpr int HTVSCROLL = 7;
inline constexpr int HTBORDER = 18;

// WM_ACTIVATE states.
inline constexpr WORD WA_INACTIVE = 0;
inline constexpr WORD WA_ACTIVE = 1;
inline constexpr WORD WA_CLICKACTIVE = 2;

// WM_SIZE types.
inline constexpr WPARAM SIZE_RESTORED = 0;
inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_SYSCOMMAND commands.
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_MAXIMIZE = 0xF030;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_RESTORE = 0xF120;

// ScrollWindowEx flags.
inline constexpr UINT SW_SCROLLCHILDREN = 0x0001;
inline constexpr UINT SW_INVALIDATE = 0x0002;
inline constexpr UINT SW_ERASE = 0x0004;

struct WNDCLASSA {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  LPCSTR lpszMenuName = nullptr;
  LPCSTR lpszClassName = nullptr;
};

struct WNDCLASSEXA {
  UINT cbSize = sizeof(WNDCLASSEXA);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  LPCSTR lpszMenuName = nullptr;
  LPCSTR lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  LPCSTR lpszName = nullptr;
  LPCSTR lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint;
  BOOL fRestore = FALSE;
  BOOL fIncUpdate = FALSE;
  BYTE rgbReserved[32] = {};
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

inline constexpr int HELPINFO_WINDOW = 1;
struct HELPINFO {
  UINT cbSize = sizeof(HELPINFO);
  int iContextType = HELPINFO_WINDOW;
  int iCtrlId = 0;
  HANDLE hItemHandle = nullptr;
  DWORD_PTR dwContextId = 0;
  POINT MousePos;
};

// A class atom passed where a class name is expected.
inline LPCSTR MAKEINTATOM(ATOM a) {
  return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(a));
}

// Classes. Names compare without regard to case; one module, so the
// instance handle is kept but not used to tell classes apart.
ATOM RegisterClassA(const WNDCLASSA* wc);
ATOM RegisterClassExA(const WNDCLASSEXA* wc);
BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE inst);
BOOL GetClassInfoA(HINSTANCE inst, LPCSTR class_name, WNDCLASSA* wc);
int GetClassNameA(HWND wnd, LPSTR buffer, int max_count);
// Class words; setting GCLP_WNDPROC subclasses the whole class: windows
// made afterwards get the new procedure. Positive indices address the
// class's extra bytes.
ULONG_PTR GetClassLongPtrA(HWND wnd, int index);
ULONG_PTR SetClassLongPtrA(HWND wnd, int index, LONG_PTR value);

// Creating and destroying.
HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE inst,
                     LPVOID param);
inline HWND CreateWindowA(LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y,
                          int width, int height, HWND parent, HMENU menu, HINSTANCE inst,
                          LPVOID param) {
  return CreateWindowExA(0, class_name, window_name, style, x, y, width, height, parent, menu, inst,
                         param);
}
BOOL DestroyWindow(HWND wnd);

// The tree.
BOOL IsWindow(HWND wnd);
HWND GetDesktopWindow();
HWND GetParent(HWND wnd);
HWND SetParent(HWND wnd, HWND new_parent);
HWND GetWindow(HWND wnd, UINT relation);
BOOL IsChild(HWND parent, HWND wnd);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND wnd);
HWND WindowFromPoint(POINT pt);

// Window words. Positive indices address the window's extra bytes.
LONG_PTR GetWindowLongPtrA(HWND wnd, int index);
LONG_PTR SetWindowLongPtrA(HWND wnd, int index, LONG_PTR value);
LONG GetWindowLongA(HWND wnd, int index);
LONG SetWindowLongA(HWND wnd, int index, LONG value);

// Window texts (through WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH).
BOOL SetWindowTextA(HWND wnd, LPCSTR text);
int GetWindowTextA(HWND wnd, LPSTR buffer, int max_count);
int GetWindowTextLengthA(HWND wnd);

// Visibility, position and size.
BOOL ShowWindow(HWND wnd, int cmd);
BOOL ShowWindowAsync(HWND wnd, int cmd);
BOOL IsWindowVisible(HWND wnd);
BOOL IsIconic(HWND wnd);
BOOL IsZoomed(HWND wnd);
BOOL MoveWindow(HWND wnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND wnd, HWND insert_after, int x, int y, int cx, int cy, UINT flags);
BOOL GetClientRect(HWND wnd, RECT* rect);
BOOL GetWindowRect(HWND wnd, RECT* rect);
BOOL ClientToScreen(HWND wnd, POINT* pt);
BOOL ScreenToClient(HWND wnd, POINT* pt);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD ex_style);
inline BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}
int GetSystemMetrics(int index);

// Input state.
BOOL EnableWindow(HWND wnd, BOOL enable);
BOOL IsWindowEnabled(HWND wnd);
HWND SetFocus(HWND wnd);
HWND GetFocus();
HWND SetActiveWindow(HWND wnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND wnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND wnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL GetCursorPos(POINT* pt);

// Invalidation and painting.
BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND wnd, const RECT* rect);
BOOL GetUpdateRect(HWND wnd, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND wnd);
HDC BeginPaint(HWND wnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps);
// GetDC(null) and GetWindowDC(null) draw on the screen as it is composed
// at that moment: the desktop's colour under the visible top-level windows,
// the lowest first.
HDC GetDC(HWND wnd);
HDC GetWindowDC(HWND wnd);
// One window at a time is kept from painting: its invalid area still grows
// but no WM_PAINT reaches it until the lock is lifted (null). FALSE when
// another window is locked or the window is unknown.
BOOL LockWindowUpdate(HWND wnd);
int ReleaseDC(HWND wnd, HDC dc);
// Moves the client area's pixels by (dx, dy) within the scroll rectangle
// (the whole client area when null), clipped to the clip rectangle; the
// uncovered part goes into the update region (SW_INVALIDATE, SW_ERASE) and
// into update_rect. SW_SCROLLCHILDREN moves the child windows too.
int ScrollWindowEx(HWND wnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   RECT* update_rect, UINT flags);
BOOL ScrollWindow(HWND wnd, int dx, int dy, const RECT* scroll, const RECT* clip);

}  // namespace win
