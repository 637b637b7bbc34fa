// The common controls of the Windows-style interface: the up-down control
// (spinner) with its buddy window, the track bar, the progress bar, and the
// toolbar with its tooltips and the standard button images.
#pragma once

#include "platform/win_controls.h"

namespace win {

inline constexpr const char* UPDOWN_CLASSA = "msctls_updown32";
inline constexpr const char* TRACKBAR_CLASSA = "msctls_trackbar32";
inline constexpr const char* PROGRESS_CLASSA = "msctls_progress32";
inline constexpr const char* TOOLBARCLASSNAMEA = "ToolbarWindow32";
inline constexpr const char* TOOLTIPS_CLASSA = "tooltips_class32";

// The classes exist from the start; this is kept for programs that call it.
void InitCommonControls();

// Up-down control. With a buddy and UDS_ALIGNRIGHT (UDS_ALIGNLEFT) it sits
// inside the buddy's right (left) edge, which gives it room; UDS_ARROWKEYS
// lets the Up and Down keys in the buddy step it. A step first asks the
// parent with UDN_DELTAPOS (a non-zero answer refuses it), then moves the
// position inside the range and tells the parent with WM_VSCROLL
// (WM_HSCROLL with UDS_HORZ): SB_THUMBPOSITION and the position.
inline constexpr DWORD UDS_WRAP = 0x0001;
inline constexpr DWORD UDS_SETBUDDYINT = 0x0002;
inline constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
inline constexpr DWORD UDS_ALIGNLEFT = 0x0008;
inline constexpr DWORD UDS_ARROWKEYS = 0x0020;
inline constexpr DWORD UDS_HORZ = 0x0040;
inline constexpr UINT UDM_SETRANGE = WM_USER + 101;
inline constexpr UINT UDM_GETRANGE = WM_USER + 102;
inline constexpr UINT UDM_SETPOS = WM_USER + 103;
inline constexpr UINT UDM_GETPOS = WM_USER + 104;
inline constexpr UINT UDM_SETBUDDY = WM_USER + 105;
inline constexpr UINT UDM_GETBUDDY = WM_USER + 106;
inline constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);
struct NMUPDOWN {
  NMHDR hdr;
  int iPos = 0;
  int iDelta = 0;
};
HWND CreateUpDownControl(DWORD style, int x, int y, int cx, int cy, HWND parent, int id,
                         HINSTANCE inst, HWND buddy, int upper, int lower, int pos);

// Track bar: tells its parent with WM_HSCROLL (WM_VSCROLL with TBS_VERT),
// the TB_ code in the low word and, for the thumb codes, the position in
// the high word; the track bar itself in lParam.
inline constexpr DWORD TBS_AUTOTICKS = 0x0001;
inline constexpr DWORD TBS_VERT = 0x0002;
inline constexpr UINT TBM_GETPOS = WM_USER;
inline constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
inline constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
inline constexpr UINT TBM_SETPOS = WM_USER + 5;
inline constexpr UINT TBM_SETRANGE = WM_USER + 6;
inline constexpr UINT TBM_SETTICFREQ = WM_USER + 20;
inline constexpr UINT TBM_SETPAGESIZE = WM_USER + 21;
inline constexpr UINT TBM_GETPAGESIZE = WM_USER + 22;
inline constexpr WORD TB_LINEUP = 0;
inline constexpr WORD TB_LINEDOWN = 1;
inline constexpr WORD TB_PAGEUP = 2;
inline constexpr WORD TB_PAGEDOWN = 3;
inline constexpr WORD TB_THUMBPOSITION = 4;
inline constexpr WORD TB_THUMBTRACK = 5;
inline constexpr WORD TB_TOP = 6;
inline constexpr WORD TB_BOTTOM = 7;
inline constexpr WORD TB_ENDTRACK = 8;

// Progress bar.
inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_SETSTEP = WM_USER + 4;
inline constexpr UINT PBM_STEPIT = WM_USER + 5;

// Toolbar: a row of buttons along the top of its parent. A click sends the
// parent WM_COMMAND with the button's command id (and the toolbar in
// lParam). With TBSTYLE_TOOLTIPS, resting the mouse on a button asks the
// parent for its tooltip with WM_NOTIFY TTN_NEEDTEXT (idFrom: the command
// id), then shows it.
inline constexpr DWORD CCS_TOP = 0x0001;
inline constexpr DWORD TBSTYLE_TOOLTIPS = 0x0100;
inline constexpr BYTE TBSTYLE_BUTTON = 0x00;
inline constexpr BYTE TBSTYLE_SEP = 0x01;
inline constexpr BYTE TBSTYLE_CHECK = 0x02;
inline constexpr BYTE TBSTATE_CHECKED = 0x01;
inline constexpr BYTE TBSTATE_PRESSED = 0x02;
inline constexpr BYTE TBSTATE_ENABLED = 0x04;
inline constexpr BYTE TBSTATE_HIDDEN = 0x08;

inline constexpr UINT TB_ENABLEBUTTON = WM_USER + 1;
inline constexpr UINT TB_CHECKBUTTON = WM_USER + 2;
inline constexpr UINT TB_HIDEBUTTON = WM_USER + 4;
inline constexpr UINT TB_ISBUTTONENABLED = WM_USER + 9;
inline constexpr UINT TB_ISBUTTONCHECKED = WM_USER + 10;
inline constexpr UINT TB_ISBUTTONHIDDEN = WM_USER + 12;
inline constexpr UINT TB_ADDBITMAP = WM_USER + 19;
inline constexpr UINT TB_ADDBUTTONSA = WM_USER + 20;
inline constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;
inline constexpr UINT TB_GETITEMRECT = WM_USER + 29;
inline constexpr UINT TB_BUTTONSTRUCTSIZE = WM_USER + 30;
inline constexpr UINT TB_SETBUTTONSIZE = WM_USER + 31;
inline constexpr UINT TB_SETBITMAPSIZE = WM_USER + 32;
inline constexpr UINT TB_AUTOSIZE = WM_USER + 33;

struct TBBUTTON {
  int iBitmap = 0;
  int idCommand = 0;
  BYTE fsState = 0;
  BYTE fsStyle = 0;
  BYTE bReserved[6] = {};
  DWORD_PTR dwData = 0;
  INT_PTR iString = 0;
};

// TB_ADDBITMAP: with HINST_COMMCTRL, nID names a standard strip:
// IDB_STD_SMALL_COLOR and IDB_STD_LARGE_COLOR (15 images: cut, copy, paste,
// undo, redo, delete, new, open, save, print preview, properties, help,
// find, replace, print), IDB_VIEW_SMALL_COLOR and IDB_VIEW_LARGE_COLOR (12
// images: large icons, small icons, list, details, sort by name, size, date
// and type, parent folder, connect and disconnect a network drive, new
// folder), drawn at the toolbar's image size. With a null hInst, nID is a
// bitmap handle; otherwise a bitmap resource of the program. A bitmap's
// pixels of light grey (0xC0C0C0) show the button face. Answers the index of
// the first image added, or -1.
struct TBADDBITMAP {
  HINSTANCE hInst = nullptr;
  UINT_PTR nID = 0;
};
inline const HINSTANCE HINST_COMMCTRL = reinterpret_cast<HINSTANCE>(static_cast<std::intptr_t>(-1));
inline constexpr UINT_PTR IDB_STD_SMALL_COLOR = 0;
inline constexpr UINT_PTR IDB_STD_LARGE_COLOR = 1;
inline constexpr UINT_PTR IDB_VIEW_SMALL_COLOR = 4;
inline constexpr UINT_PTR IDB_VIEW_LARGE_COLOR = 5;

// Tooltips.
inline constexpr UINT TTN_NEEDTEXTA = static_cast<UINT>(-520);
inline constexpr UINT TTN_NEEDTEXT = TTN_NEEDTEXTA;
struct NMTTDISPINFOA {
  NMHDR hdr;
  char* lpszText = nullptr;
  char szText[80] = {};
  HINSTANCE hinst = nullptr;
  UINT uFlags = 0;
  LPARAM lParam = 0;
};
using TOOLTIPTEXTA = NMTTDISPINFOA;

}  // namespace win
