// The common dialogs of the Windows-style interface: open and save a file,
// print, page setup and font choice, made from the platform's own controls,
// with their records, flags and extended error codes.
//
// A record's size (lStructSize) is its size here or the size its 32-bit
// form has (the sizes the program's callers state); another size fails
// with CDERR_STRUCTSIZE.
//
// With a display each dialog is a modal window. Without one the answer
// comes from a queue that tests fill: the next queued answer types its
// values into the dialog's fields and presses OK or Cancel, so it passes
// the same checks a user does; with nothing queued the dialog is cancelled
// without a window. Every dialog's outcome is logged and reported on
// standard error.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_global_memory.h"
#include "platform/win_window.h"

namespace win {

// Extended error codes (CommDlgExtendedError). 0: no error (a cancel).
inline constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
inline constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
inline constexpr DWORD CDERR_INITIALIZATION = 0x0002;
inline constexpr DWORD CDERR_NOHOOK = 0x000B;
inline constexpr DWORD PDERR_RETDEFFAILURE = 0x1003;
inline constexpr DWORD PDERR_NODEFAULTPRN = 0x1008;
inline constexpr DWORD PDERR_CREATEICFAILURE = 0x100A;
inline constexpr DWORD PDERR_PRINTERNOTFOUND = 0x100B;
inline constexpr DWORD CFERR_NOFONTS = 0x2001;
inline constexpr DWORD CFERR_MAXLESSTHANMIN = 0x2002;
inline constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
inline constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

DWORD CommDlgExtendedError();

// Open and save. The filter is pairs of NUL-ended texts (a description, then
// patterns separated by ';', matched without regard to case) ended by an
// empty text; nFilterIndex counts its pairs from 1, 0 meaning the custom
// filter (the description and pattern in lpstrCustomFilter, which receives
// the pattern in force when a file is chosen). The chosen path goes to
// lpstrFile; when it does not fit in nMaxFile characters the dialog fails
// with FNERR_BUFFERTOOSMALL and the first two bytes hold the size needed.
using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct OPENFILENAMEA {
  DWORD lStructSize = sizeof(OPENFILENAMEA);
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  LPCSTR lpstrFilter = nullptr;
  LPSTR lpstrCustomFilter = nullptr;
  DWORD nMaxCustFilter = 0;
  DWORD nFilterIndex = 0;
  LPSTR lpstrFile = nullptr;
  DWORD nMaxFile = 0;
  LPSTR lpstrFileTitle = nullptr;
  DWORD nMaxFileTitle = 0;
  LPCSTR lpstrInitialDir = nullptr;
  LPCSTR lpstrTitle = nullptr;
  DWORD Flags = 0;
  WORD nFileOffset = 0;
  WORD nFileExtension = 0;
  LPCSTR lpstrDefExt = nullptr;
  LPARAM lCustData = 0;
  LPOFNHOOKPROC lpfnHook = nullptr;
  LPCSTR lpTemplateName = nullptr;
  void* pvReserved = nullptr;
  DWORD dwReserved = 0;
  DWORD FlagsEx = 0;
};
inline constexpr DWORD OPENFILENAME_SIZE_VERSION_400A = 76;
inline constexpr DWORD OPENFILENAME_SIZE_32 = 88;

inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
inline constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
inline constexpr DWORD OFN_SHAREAWARE = 0x00004000;
inline constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
inline constexpr DWORD OFN_LONGNAMES = 0x00200000;
inline constexpr DWORD OFN_ENABLESIZING = 0x00800000;

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn);
BOOL GetSaveFileNameA(OPENFILENAMEA* ofn);

// Print. The printer's settings travel in hDevMode (DEVMODEA) and
// hDevNames (DEVNAMES); blocks given are written in place when large
// enough, else replaced. Print to file asks for the PDF file, whose path
// becomes the output name of the device names.
using LPPRINTHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct PRINTDLGA {
  DWORD lStructSize = sizeof(PRINTDLGA);
  HWND hwndOwner = nullptr;
  HGLOBAL hDevMode = nullptr;
  HGLOBAL hDevNames = nullptr;
  HDC hDC = nullptr;
  DWORD Flags = 0;
  WORD nFromPage = 0;
  WORD nToPage = 0;
  WORD nMinPage = 0;
  WORD nMaxPage = 0;
  WORD nCopies = 0;
  HINSTANCE hInstance = nullptr;
  LPARAM lCustData = 0;
  LPPRINTHOOKPROC lpfnPrintHook = nullptr;
  LPPRINTHOOKPROC lpfnSetupHook = nullptr;
  LPCSTR lpPrintTemplateName = nullptr;
  LPCSTR lpSetupTemplateName = nullptr;
  HGLOBAL hPrintTemplate = nullptr;
  HGLOBAL hSetupTemplate = nullptr;
};
inline constexpr DWORD PRINTDLG_SIZE_32 = 66;

inline constexpr DWORD PD_ALLPAGES = 0x00000000;
inline constexpr DWORD PD_SELECTION = 0x00000001;
inline constexpr DWORD PD_PAGENUMS = 0x00000002;
inline constexpr DWORD PD_NOSELECTION = 0x00000004;
inline constexpr DWORD PD_NOPAGENUMS = 0x00000008;
inline constexpr DWORD PD_COLLATE = 0x00000010;
inline constexpr DWORD PD_PRINTTOFILE = 0x00000020;
inline constexpr DWORD PD_NOWARNING = 0x00000080;
inline constexpr DWORD PD_RETURNDC = 0x00000100;
inline constexpr DWORD PD_RETURNIC = 0x00000200;
inline constexpr DWORD PD_RETURNDEFAULT = 0x00000400;
inline constexpr DWORD PD_USEDEVMODECOPIES = 0x00040000;
inline constexpr DWORD PD_DISABLEPRINTTOFILE = 0x00080000;
inline constexpr DWORD PD_HIDEPRINTTOFILE = 0x00100000;

BOOL PrintDlgA(PRINTDLGA* pd);

// Page setup. Sizes and margins are in thousandths of an inch
// (PSD_INTHOUSANDTHSOFINCHES) or hundredths of a millimetre
// (PSD_INHUNDREDTHSOFMILLIMETERS, also when neither is given, and then set
// on return).
using LPPAGESETUPHOOK = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct PAGESETUPDLGA {
  DWORD lStructSize = sizeof(PAGESETUPDLGA);
  HWND hwndOwner = nullptr;
  HGLOBAL hDevMode = nullptr;
  HGLOBAL hDevNames = nullptr;
  DWORD Flags = 0;
  POINT ptPaperSize;
  RECT rtMinMargin;
  RECT rtMargin;
  HINSTANCE hInstance = nullptr;
  LPARAM lCustData = 0;
  LPPAGESETUPHOOK lpfnPageSetupHook = nullptr;
  LPPAGESETUPHOOK lpfnPagePaintHook = nullptr;
  LPCSTR lpPageSetupTemplateName = nullptr;
  HGLOBAL hPageSetupTemplate = nullptr;
};
inline constexpr DWORD PAGESETUPDLG_SIZE_32 = 84;

inline constexpr DWORD PSD_MINMARGINS = 0x00000001;
inline constexpr DWORD PSD_MARGINS = 0x00000002;
inline constexpr DWORD PSD_INTHOUSANDTHSOFINCHES = 0x00000004;
inline constexpr DWORD PSD_INHUNDREDTHSOFMILLIMETERS = 0x00000008;
inline constexpr DWORD PSD_DISABLEMARGINS = 0x00000010;
inline constexpr DWORD PSD_DISABLEPRINTER = 0x00000020;
inline constexpr DWORD PSD_NOWARNING = 0x00000080;
inline constexpr DWORD PSD_DISABLEORIENTATION = 0x00000100;
inline constexpr DWORD PSD_DISABLEPAPER = 0x00000200;
inline constexpr DWORD PSD_RETURNDEFAULT = 0x00000400;

BOOL PageSetupDlgA(PAGESETUPDLGA* psd);

// Font choice. The font comes back in lpLogFont (its height for the screen)
// and iPointSize (tenths of a point); with CF_EFFECTS also underline,
// strike-out and rgbColors. With CF_ENABLEHOOK the hook sees the dialog's
// messages first (WM_INITDIALOG with the record) and a non-zero answer
// keeps them from the dialog.
using LPCFHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct CHOOSEFONTA {
  DWORD lStructSize = sizeof(CHOOSEFONTA);
  HWND hwndOwner = nullptr;
  HDC hDC = nullptr;
  LOGFONTA* lpLogFont = nullptr;
  INT iPointSize = 0;
  DWORD Flags = 0;
  COLORREF rgbColors = 0;
  LPARAM lCustData = 0;
  LPCFHOOKPROC lpfnHook = nullptr;
  LPCSTR lpTemplateName = nullptr;
  HINSTANCE hInstance = nullptr;
  LPSTR lpszStyle = nullptr;
  WORD nFontType = 0;
  WORD alignment = 0;
  INT nSizeMin = 0;
  INT nSizeMax = 0;
};
inline constexpr DWORD CHOOSEFONT_SIZE_32 = 60;

inline constexpr DWORD CF_SCREENFONTS = 0x00000001;
inline constexpr DWORD CF_PRINTERFONTS = 0x00000002;
inline constexpr DWORD CF_SHOWHELP = 0x00000004;
inline constexpr DWORD CF_ENABLEHOOK = 0x00000008;
inline constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
inline constexpr DWORD CF_USESTYLE = 0x00000080;
inline constexpr DWORD CF_EFFECTS = 0x00000100;
inline constexpr DWORD CF_ANSIONLY = 0x00000400;
inline constexpr DWORD CF_NOSIMULATIONS = 0x00001000;
inline constexpr DWORD CF_LIMITSIZE = 0x00002000;
inline constexpr DWORD CF_FIXEDPITCHONLY = 0x00004000;
inline constexpr DWORD CF_WYSIWYG = 0x00008000;
inline constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
inline constexpr DWORD CF_SCALABLEONLY = 0x00020000;
inline constexpr DWORD CF_TTONLY = 0x00040000;

inline constexpr WORD BOLD_FONTTYPE = 0x0100;
inline constexpr WORD ITALIC_FONTTYPE = 0x0200;
inline constexpr WORD REGULAR_FONTTYPE = 0x0400;
inline constexpr WORD SCREEN_FONTTYPE = 0x2000;
inline constexpr WORD PRINTER_FONTTYPE = 0x4000;
inline constexpr WORD SIMULATED_FONTTYPE = 0x8000;

BOOL ChooseFontA(CHOOSEFONTA* cf);

}  // namespace win

namespace plat {

// The answer of the next common dialog shown without a display: values for
// its fields, each named by its label as shown (without '&' and the
// closing ':', case ignored; a check box or option button by its own text,
// with "1" or "0"), then OK or Cancel. A value goes in as typed: a list or
// drop-down takes the entry of that text, a field the text itself.
struct DialogAnswer {
  bool ok = true;
  std::vector<std::pair<std::string, std::string>> fields;
};
void push_dialog_answer(DialogAnswer answer);

// The common dialogs since the last reset, oldest first: the title and the
// outcome ("Cancel", or what was chosen).
struct CommonDialogRecord {
  std::string title;
  std::string outcome;
};
const std::vector<CommonDialogRecord>& common_dialog_log();
// Empties the answer queue and the log.
void reset_common_dialogs();
// Shows the dialogs as windows also without a display (tests drive them
// with injected input; the queue is not used then).
void set_common_dialogs_as_windows(bool on);

}  // namespace plat
