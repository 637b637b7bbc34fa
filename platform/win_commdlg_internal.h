// Inner parts shared by the common dialogs. Not for use outside
// platform/win_*dlg*.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/dialog_template.h"
#include "platform/win_commdlg.h"
#include "platform/win_dialog.h"
#include "platform/win_print.h"

namespace win::detail {

// The result of a dialog ended by a failure set with set_dialog_error.
inline constexpr INT_PTR kDialogFailed = -2;

void set_dialog_error(DWORD code);
// Clears the extended error and checks a record: given, and of its size
// here or of a 32-bit size it has (CDERR_INITIALIZATION, CDERR_STRUCTSIZE).
template <class Record>
bool record_ok(const Record* r, std::initializer_list<DWORD> sizes_32) {
  set_dialog_error(0);
  if (r == nullptr) {
    set_dialog_error(CDERR_INITIALIZATION);
    return false;
  }
  if (r->lStructSize == sizeof(Record) ||
      std::find(sizes_32.begin(), sizes_32.end(), r->lStructSize) != sizes_32.end())
    return true;
  set_dialog_error(CDERR_STRUCTSIZE);
  return false;
}

// Runs a common dialog from its template (Cancel ends it): IDOK, IDCANCEL, kDialogFailed
// (error set by the dialog), or -1 when it could not be made
// (CDERR_DIALOGFAILURE set). Without a display the next queued answer fills
// it in (see plat::DialogAnswer); with none queued no window is made and
// the result is IDCANCEL. `param` reaches the procedure with WM_INITDIALOG.
// A cancel or a dialog that cannot be made is logged here, the other
// outcomes by the dialog.
// `title` names the dialog in the log; it becomes the title the dialog
// shows once open (a hook may have set it).
INT_PTR run_common_dialog(HWND owner, plat::DialogTemplate& tmpl, DLGPROC proc, LPARAM param,
                          std::string& title);
// Logs a dialog's outcome and reports it on standard error.
void log_common_dialog(std::string_view title, std::string_view outcome);

// Registers the class of a dialog's own control unless it is there.
void register_dialog_class(const char* name, WNDPROC proc);

// Small helpers of the dialogs' procedures.
std::string item_text(HWND dlg, int id);
void set_item_text(HWND dlg, int id, std::string_view text);
bool item_checked(HWND dlg, int id);
void check_item(HWND dlg, int id, bool on);
void enable_item(HWND dlg, int id, bool on);
void show_item(HWND dlg, int id, bool on);
// Centres a dialog on its owner (or the screen).
void centre_dialog(HWND dlg);
// A message box over the dialog, titled as the dialog.
int dialog_message(HWND dlg, std::string_view text, UINT style);

// The printer records of the printer dialogs. The printer a record names
// (devnames first), or the default one when it names none or one that is
// gone; a copy of a device mode (dmSize 0 when there is none); the settings
// for a printer: the caller's when they are that printer's, else the
// printer's own with the caller's orientation; a device mode and device
// names stored in the caller's block when it is large enough, else in a new
// one (the old one freed).
std::string printer_of(HGLOBAL devnames, HGLOBAL devmode);
DEVMODEA devmode_of(HGLOBAL devmode);
DEVMODEA printer_mode(const std::string& printer, HGLOBAL old);
void store_devmode(HGLOBAL& h, const DEVMODEA& m);
void store_devnames(HGLOBAL& h, const std::string& printer, const std::string& output);
// The printers in a drop-down list, the given one chosen.
void fill_printers(HWND combo, const std::string& selected);

// The controls of the templates, by class.
inline constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
void add_label(plat::DialogTemplate& t, int x, int y, int cx, int cy, std::string_view text,
               DWORD id = 0xFFFF);
void add_field(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id, DWORD style = 0);
void add_button(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id,
                std::string_view text, DWORD style = BS_PUSHBUTTON);
void add_group(plat::DialogTemplate& t, int x, int y, int cx, int cy, std::string_view text);
void add_combo(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id, DWORD style);
void add_list(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id, DWORD style = 0);
// The OK and Cancel buttons, side by side or one below the other.
void add_ok_cancel(plat::DialogTemplate& t, int x, int y, bool stacked,
                   std::string_view ok_text = "OK");

}  // namespace win::detail
