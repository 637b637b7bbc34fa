// Script dialogs: the builder that turns the options of a DLG statement (or
// of a dialog text) into dialog items with their control records, the
// showing of the finished dialog through the toolkit, the refresh of a
// live dialog from its variables, the dialog-box procedure, and the two
// change procedures through which what the user types and clicks reaches
// the variables. Everything works on the current window record
// (`exec::wdwcur`) and the shared words of ui/dialogwords.h.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "exec/optdispatch.h"
#include "platform/win_window.h"
#include "toolkit/dialog_item.h"

namespace ui {

// Statuses of the builder's routines: 0 done, 60 the window's item array
// is full, 999 the option was refused (its key in `msgkey`), 1000 a
// modeless dialog was not made, 2 a modal dialog is still open.
inline constexpr std::int32_t statusfull = 60;
inline constexpr std::int32_t statusrefused = 999;
inline constexpr std::int32_t statusnodialog = 1000;

// Before a control keyword (Text to ScrollBar) of the staged option: makes
// the dialog's window record with the first control, then the control's
// record, linked at the end of the window's list and made current.
void SETDLGWINDOW_ITEM(std::int32_t& status);
// Applies the staged option to the dialog: a control keyword defines the
// new item, any other changes the current item or the whole dialog.
// `dlgcall`: the DLG statement (true) or a dialog text (false).
void MODIFYITEM(std::int32_t& status, bool dlgcall);
// Defines a list or combo box item with its entries: the lines of the file
// the staged text names, else the entries of the staged list text. With a
// non-zero builder number (`staged.number`) only the entries change.
void MODIFYITEMLIST(std::int32_t& status, bool dlgcall);
// The entries of a list text: split at its separator (its last character
// that is no name character; CR LF as one; a code of 1 to 8 cuts entries of
// that many characters; none: the blank), each cut to 127 characters.
std::vector<std::string> listentries(std::string_view text);

// Measures the finished dialog (pixels), steps the font of slot 6 down
// while it does not fit on the screen, and places it.
void SETDIALOGFONT(std::int32_t& width, std::int32_t& height);
// Completes the item array and runs the dialog: a modal one returns the
// closing control's number (into the statement's result cell with bit 0 of
// `tofunction`, else into `result`), a modeless one stays open. A script's
// dialog (the DLG statement's, `tofunction` dlgstatement, or the `win`
// function's, winscript) that holds a table stays open while the run waits
// for it after the statement: its buttons call their routines meanwhile,
// and its close lets the run go on at the statement again, which then
// gives the closing control's number (`awaitedanswer`, TAKEANSWER).
inline constexpr std::int32_t dlgstatement = -1;
inline constexpr std::int32_t winscript = 1;
void SHOWDIALOG(std::int32_t tofunction, std::int32_t& result, std::int32_t& status);
// The statement in hand showed the table the run waited for, which closed
// with an answer: true, the answer in the statement's result cell (the
// statement ends with it instead of showing the table again). Any other
// answer kept is dropped.
bool TAKEANSWER();

// Rewrites the controls of the window (flags 4), or of the dialogs after
// the main window (flags 1: also those without UPDAte; 2: stop at the
// first list), from what they are bound to; `skip` is the place of a
// control being edited. Nothing for a null handle.
void UPDATEWINDOW(win::HWND window, std::int32_t skip, std::int32_t flags);
// The dialog-box procedure: 0x408 the dialog opened, 0x409 it closes.
int WINDLGBOXPROC(win::HWND& window, int& event);
// Defines the current item as a text ('T') or one-line edit ('E') whose
// text is kept in the control record's own buffer, `length` characters
// long and filled from the text given.
void SET_DIALOG_ITEM_BUFFERED(char letter, std::string_view text, std::int32_t length);

// The change procedures: text and edit items, lists, buttons, links
// (WINDLGCHPROC), and numbers, boxes, spinners and bars (WINDLGR8PROC).
int WINDLGCHPROC(win::HWND& window, toolkit::dialog_t* items, int& item);
int WINDLGR8PROC(win::HWND& window, toolkit::dialog_t* items, int& item);
// One spinner step of the value v by the increment (s = +1 up, -1 down)
// for a field of `digits` digits; `e` receives the step's decimal exponent.
double spinnerstep(double v, double increment, std::int32_t s, std::int32_t digits,
                   std::int32_t& e);

// The DLG statement.
void DIALOG(const exec::OptCall& call);

// Every dialog word back to its start value.
void reset_dialogs();

}  // namespace ui
