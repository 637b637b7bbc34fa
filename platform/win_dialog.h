// Dialogs of the Windows-style interface made from templates in memory, the
// dialog manager's keyboard (Tab, arrows inside a group, Enter, Escape,
// mnemonics) and dialog units.
//
// Only the extended template form is read: a header (DLGTEMPLATEEX) with
// menu, class and title, and a font block when the style has DS_SETFONT,
// then one item (DLGITEMTEMPLATEEX) per control, each starting on a 4-byte
// boundary, with its class (0xFFFF and an atom, or a name), its title and
// its creation-data count. Texts are wide strings; they become Windows-1252,
// "?" standing for a character the code page lacks.
//
// Dialog units: a dialog's base units come from its font (the system font
// without DS_SETFONT): the average width of "A".."Z" and "a".."z" and the
// cell height. A horizontal unit is a quarter of the first, a vertical unit
// an eighth of the second.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win_controls.h"

namespace win {

#pragma pack(push, 1)
struct DLGTEMPLATEEX {
  WORD dlgVer = 1;
  WORD signature = 0xFFFF;
  DWORD helpID = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  WORD cDlgItems = 0;
  SHORT x = 0;
  SHORT y = 0;
  SHORT cx = 0;
  SHORT cy = 0;
  // Then: menu, class, title; the font block with DS_SETFONT (point size,
  // weight, italic byte, character set byte, face name).
};
struct DLGITEMTEMPLATEEX {
  DWORD helpID = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  SHORT x = 0;
  SHORT y = 0;
  SHORT cx = 0;
  SHORT cy = 0;
  DWORD id = 0;
  // Then: class, title, creation-data count and its bytes.
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATEEX) == 26);
static_assert(sizeof(DLGITEMTEMPLATEEX) == 24);

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Dialog styles.
inline constexpr DWORD DS_ABSALIGN = 0x0001;
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_3DLOOK = 0x0004;
inline constexpr DWORD DS_CENTER = 0x0800;

// Dialog messages; DM_GETDEFID answers the default button's id in the low
// word and DC_HASDEFID in the high word, or 0 when there is none.
inline constexpr UINT DM_GETDEFID = WM_USER + 0;
inline constexpr UINT DM_SETDEFID = WM_USER + 1;
inline constexpr WORD DC_HASDEFID = 0x534B;

// Window words of a dialog: the message result its procedure leaves, the
// procedure, and a word for the program.
inline constexpr int DWLP_MSGRESULT = 0;
inline constexpr int DWLP_DLGPROC = 8;
inline constexpr int DWLP_USER = 16;
inline constexpr int DLGWINDOWEXTRA = 30;

// Modal: the owner is disabled while the dialog runs its own message loop
// until EndDialog; returns the value given to EndDialog, or -1 when the
// dialog could not be made (GetLastError says why). Without a display and
// with nothing left that could arrive, the dialog is cancelled as by Escape.
INT_PTR DialogBoxIndirectParamA(HINSTANCE inst, const DLGTEMPLATEEX* tmpl, HWND owner, DLGPROC proc,
                                LPARAM init_param);
// Modeless: the dialog window, or null (GetLastError says why).
HWND CreateDialogIndirectParamA(HINSTANCE inst, const DLGTEMPLATEEX* tmpl, HWND owner, DLGPROC proc,
                                LPARAM init_param);
BOOL EndDialog(HWND dialog, INT_PTR result);
// Handles the keyboard message if it is meant for the dialog or one of its
// controls (and then dispatches what it leaves); FALSE when it is not.
BOOL IsDialogMessageA(HWND dialog, MSG* msg);
LRESULT DefDlgProcA(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
// The next (or previous) control with WS_TABSTOP, visible and enabled, in
// the order the controls were made, wrapping around.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The next (or previous) control of the same WS_GROUP group.
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
// Base units of the system font: width in the low word, height in the high.
LONG GetDialogBaseUnits();
BOOL MapDialogRect(HWND dialog, RECT* rect);

}  // namespace win

namespace plat {

// The modal dialogs whose message loops run now, the innermost last.
std::vector<win::HWND> modal_dialog_loops();
// Cancels a modal dialog as Escape would; ends it when its procedure does
// not.
void cancel_modal_dialog(win::HWND dialog);

}  // namespace plat
