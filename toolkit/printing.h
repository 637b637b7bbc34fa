// Printing: a drawing target whose device is a printer's. The application
// asks for a printer (the print dialog, or the default printer without a
// dialog), draws with the ordinary drawing routines, moves on page by page
// and ends the job. While the job runs a small modeless dialog shows
// "Spooling Print Job:" with the document's name and a Cancel button that
// aborts the document. The page setup (paper, margins, orientation) and the
// printer's device mode are kept for the whole program and give every
// page its printable rectangle.
//
// The job's state word is `print_job_state` (draw_targets.h): 0 while
// printing, 1 after Cancel, 2 once the document is aborted; after Cancel
// the next page change or drawing call aborts the document once (status
// 0x50000, no message) and later ones fail quietly.
#pragma once

#include "platform/win_commdlg.h"
#include "platform/win_print.h"
#include "toolkit/draw_target.h"

namespace toolkit {

// 1, or 0 on failure. `flags` in and out; the landscape flag sets the
// kept device mode's orientation first.
int PAGE_SETUP(win::DWORD* flags, const win::HWND* owner, const int* landscape, int* ups);

// Flags -1: the default printer without a dialog (the landscape flag then
// reaches the device); other flags are masked with 0x1804BF (and written
// back) and given to the print dialog. The document name is the given one,
// else the first window's title. Non-zero when printing has started.
int START_PRINT(draw_target_t& target, int* flags, const win::HWND* owner, const char* document,
                int document_length, const int* landscape, int* ups);
// The printer chosen and its device context made, without a document.
int C_START_PRINT(draw_target_t& target, int* flags, const win::HWND* owner, const char* document,
                  int document_length, const int* landscape, int* ups);
// The document and its first page started, with the abort procedure and
// the spooling dialog; 0 (the document aborted) on failure.
int START_PRINT_DOCUMENT(draw_target_t& target, win::HWND spooling, int& abort_flag, int* ups);
void NEXT_PRINT_PAGE(draw_target_t& target, int* ups);
// C_END_PRINT, then the spooling dialog closes.
void END_PRINT(draw_target_t& target, int* ups);
void C_END_PRINT(draw_target_t& target, int* ups);
// Pumps the thread's messages while the job goes on; false once cancelled.
win::BOOL PRINT_ABORT_PROC(win::HDC dc, int code);
// After Cancel (state 1): the document aborted, the dialog closed, state 2.
void CANCEL_PRINT(draw_target_t& target);

// Every output is optional: lines per page, columns per page by the widest
// and by the average character (0 for a font of no height or width), then
// the page setup's paper (2), margins and minimum margins (4 each, left,
// top, right, bottom, in its units), the copies and page range of the print
// dialog, the landscape flag.
void GET_PAGE_DATA(draw_target_t* target, const win::HFONT* font, int* lines, int* columns,
                   int* average_columns, int* copies, int* from_page, int* to_page, int* paper,
                   int* margins, int* minimum_margins, int* landscape, int* ups);
// A metric flag selects hundredths of a millimetre (else thousandths of an
// inch); a landscape flag turns the kept device mode and, with a target,
// the pages to come.
void SET_PAGE_DATA(draw_target_t* target, const int* copies, const int* from_page,
                   const int* to_page, const int* metric, const int* paper, const int* margins,
                   const int* minimum_margins, const int* landscape, int* ups);
// The target's bounds: the page less the margins, inside the printable area.
void PRINT_PAGE_GEOMETRY(draw_target_t& target);
// Fits a picture of `source` pixels (at res_x, res_y pixels per inch) onto
// the destination on the target: mode 1 keeping the aspect ratio, 2 true
// size, 3 pixel for pixel; other modes, and a source or resolution of no
// size, leave the destination as it is.
void FIT_PRINT_RECTANGLE(const win::RECT& source, win::RECT& destination, draw_target_t& target,
                         int mode, int res_x, int res_y);
void CLIP_RECTANGLE(win::RECT& rect, const win::RECT& bounds);

int ENSURE_PAGE_SETUP(int* ups);
void INIT_PRINT_DIALOG();
// The kept records (made on first need).
const win::PAGESETUPDLGA& PAGE_SETUP_RECORD();
const win::PRINTDLGA& PRINT_DIALOG_RECORD();

// Forgets the records, the device mode and the job. For tests.
void reset_printing();

}  // namespace toolkit
