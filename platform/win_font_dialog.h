// The font-choice dialog of the Windows-style interface: the installed font
// families, four styles, sizes in points, and with CF_EFFECTS strike-out,
// underline and one of sixteen colours, with a sample of the choice. It is a
// modal dialog of the platform's dialog manager.
#pragma once

#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace win {

using LPCFHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSEFONTA {
  DWORD lStructSize = sizeof(CHOOSEFONTA);
  HWND hwndOwner = nullptr;
  HDC hDC = nullptr;  // the device whose resolution sizes the font
  LOGFONTA* lpLogFont = nullptr;
  INT iPointSize = 0;  // tenths of a point
  DWORD Flags = 0;
  COLORREF rgbColors = 0;
  LPARAM lCustData = 0;
  LPCFHOOKPROC lpfnHook = nullptr;
  LPCSTR lpTemplateName = nullptr;
  HINSTANCE hInstance = nullptr;
  LPSTR lpszStyle = nullptr;
  WORD nFontType = 0;
  INT nSizeMin = 0;
  INT nSizeMax = 0;
};

inline constexpr DWORD CF_SCREENFONTS = 0x00000001;
inline constexpr DWORD CF_PRINTERFONTS = 0x00000002;
inline constexpr DWORD CF_ENABLEHOOK = 0x00000008;
inline constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
inline constexpr DWORD CF_EFFECTS = 0x00000100;
inline constexpr DWORD CF_WYSIWYG = 0x00008000;

// Control ids of the dialog.
inline constexpr int kFontFaceList = 1136;
inline constexpr int kFontStyleList = 1137;
inline constexpr int kFontSizeList = 1138;
inline constexpr int kFontColorCombo = 1139;
inline constexpr int kFontSizeEdit = 1152;
inline constexpr int kFontStrikeOut = 1040;
inline constexpr int kFontUnderline = 1041;
inline constexpr int kFontSample = 1092;

// With CF_INITTOLOGFONTSTRUCT the dialog starts from *lpLogFont. With
// CF_ENABLEHOOK the hook sees WM_INITDIALOG (lParam: the record) and every
// later message first (a non-zero answer ends its handling). OK fills
// *lpLogFont (height -points x LOGPIXELSY / 72 of hDC, else of the screen),
// iPointSize and rgbColors and returns TRUE; Cancel returns FALSE.
BOOL ChooseFontA(CHOOSEFONTA* choose);

}  // namespace win
