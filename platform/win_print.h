// Printing of the Windows-style interface: printer device contexts, print
// jobs, and the printer settings (DEVMODEA, DEVNAMES) in global memory.
//
// The printers are the CUPS destinations and "PDF", which is always there
// and is the default when CUPS has none. A printer context draws on PDF
// pages through Cairo at the printer's resolution (600 dpi for every real
// device), text kept as text. A document goes to the file that DOCINFOA's
// output names; without one "PDF" writes "<document>.pdf" in the current
// folder and a CUPS printer gets the PDF as a job at EndDoc. A document is
// written beside its file and put in place only when it ends well, so an
// aborted or failed document leaves nothing and replaces nothing.
//
// Paper: the device mode's, else the CUPS default's, else A4. The printable
// area lies inside the media's unprintable edges (none for PDF); logical
// (0,0) is its top-left corner.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win_global_memory.h"
#include "platform/win_window.h"

namespace win {

inline constexpr int CCHDEVICENAME = 32;
inline constexpr int CCHFORMNAME = 32;

struct DEVMODEA {
  BYTE dmDeviceName[CCHDEVICENAME] = {};
  WORD dmSpecVersion = 0x0401;
  WORD dmDriverVersion = 0;
  WORD dmSize = 0;  // sizeof(DEVMODEA) once filled in
  WORD dmDriverExtra = 0;
  DWORD dmFields = 0;
  SHORT dmOrientation = 0;
  SHORT dmPaperSize = 0;
  SHORT dmPaperLength = 0;  // tenths of a millimetre
  SHORT dmPaperWidth = 0;
  SHORT dmScale = 0;
  SHORT dmCopies = 0;
  SHORT dmDefaultSource = 0;
  SHORT dmPrintQuality = 0;  // dots per inch
  SHORT dmColor = 0;
  SHORT dmDuplex = 0;
  SHORT dmYResolution = 0;
  SHORT dmTTOption = 0;
  SHORT dmCollate = 0;
  BYTE dmFormName[CCHFORMNAME] = {};
  WORD dmLogPixels = 0;
  DWORD dmBitsPerPel = 0;
  DWORD dmPelsWidth = 0;
  DWORD dmPelsHeight = 0;
  DWORD dmNup = 0;
  DWORD dmDisplayFrequency = 0;
  DWORD dmICMMethod = 0;
  DWORD dmICMIntent = 0;
  DWORD dmMediaType = 0;
  DWORD dmDitherType = 0;
  DWORD dmReserved1 = 0;
  DWORD dmReserved2 = 0;
  DWORD dmPanningWidth = 0;
  DWORD dmPanningHeight = 0;
};
static_assert(sizeof(DEVMODEA) == 156);

// Offsets (in characters from the record's start) of the driver, device and
// output names that follow the record in its block.
struct DEVNAMES {
  WORD wDriverOffset = 0;
  WORD wDeviceOffset = 0;
  WORD wOutputOffset = 0;
  WORD wDefault = 0;
};
inline constexpr WORD DN_DEFAULTPRN = 0x0001;

struct DOCINFOA {
  int cbSize = sizeof(DOCINFOA);
  LPCSTR lpszDocName = nullptr;
  LPCSTR lpszOutput = nullptr;
  LPCSTR lpszDatatype = nullptr;
  DWORD fwType = 0;
};

using ABORTPROC = BOOL (*)(HDC, int);

inline constexpr DWORD DM_ORIENTATION = 0x00000001;
inline constexpr DWORD DM_PAPERSIZE = 0x00000002;
inline constexpr DWORD DM_PAPERLENGTH = 0x00000004;
inline constexpr DWORD DM_PAPERWIDTH = 0x00000008;
inline constexpr DWORD DM_SCALE = 0x00000010;
inline constexpr DWORD DM_COPIES = 0x00000100;
inline constexpr DWORD DM_PRINTQUALITY = 0x00000400;
inline constexpr DWORD DM_YRESOLUTION = 0x00002000;
inline constexpr SHORT DMORIENT_PORTRAIT = 1;
inline constexpr SHORT DMORIENT_LANDSCAPE = 2;
inline constexpr SHORT DMPAPER_LETTER = 1;
inline constexpr SHORT DMPAPER_LEGAL = 5;
inline constexpr SHORT DMPAPER_EXECUTIVE = 7;
inline constexpr SHORT DMPAPER_A3 = 8;
inline constexpr SHORT DMPAPER_A4 = 9;
inline constexpr SHORT DMPAPER_A5 = 11;
inline constexpr SHORT DMPAPER_B5 = 13;
inline constexpr SHORT DMPAPER_USER = 256;

// Results of the job calls.
inline constexpr int SP_ERROR = -1;
inline constexpr int SP_APPABORT = -2;
inline constexpr int SP_OUTOFDISK = -4;

inline constexpr DWORD ERROR_GEN_FAILURE = 31;
inline constexpr DWORD ERROR_PRINT_CANCELLED = 63;
inline constexpr DWORD ERROR_INVALID_PRINTER_NAME = 1801;

// A context for the printer named by `device` (by `driver` when device is
// null), set up by `mode` when given. A name of 31 characters (a device
// mode's, cut) also finds the one printer whose name begins with it.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* mode);
// New settings (orientation, paper) for the pages to come; not inside a
// page (null).
HDC ResetDCA(HDC dc, const DEVMODEA* mode);
// Positive (the job number) on success, SP_ERROR with the last error set.
int StartDocA(HDC dc, const DOCINFOA* info);
int StartPage(HDC dc);
// Ends the page, then asks the abort procedure: when it answers FALSE the
// document is aborted (SP_APPABORT).
int EndPage(HDC dc);
int EndDoc(HDC dc);
int AbortDoc(HDC dc);
int SetAbortProc(HDC dc, ABORTPROC proc);

}  // namespace win

namespace plat {

// The printers by name, and the default one.
std::vector<std::string> printer_names();
std::string default_printer();
// A printer's settings as the platform's records in new global memory
// blocks (the caller frees them); null for an unknown printer.
win::HGLOBAL printer_devmode(std::string_view name);
win::HGLOBAL printer_devnames(std::string_view name);

// The file the last document that ended whole was written to, as an
// absolute path (empty when none since the last clear, or when it went to
// a CUPS printer).
std::string last_printed_file();
void clear_last_printed_file();

// The margins a page starts with: 25 mm, in hundredths of a millimetre.
inline constexpr int kDefaultMargin = 2500;

// A printer for tests: paper in hundredths of a millimetre, resolution,
// and the unprintable edges in device pixels. It writes PDF files as "PDF"
// does.
struct VirtualPrinter {
  std::string name;
  int paper_width = 21000;
  int paper_height = 29700;
  int dpi = 600;
  int left = 0, top = 0, right = 0, bottom = 0;
  bool is_default = false;
  int dpi_y = 0;  // the vertical resolution when it differs from dpi
};
void add_virtual_printer(const VirtualPrinter& p);
void remove_virtual_printers();

}  // namespace plat
