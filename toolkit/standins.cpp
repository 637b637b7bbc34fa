#include "toolkit/standins.h"

#include "platform/win_system_info.h"
#include "toolkit/boxes.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

void SHOW_TOOLS_DIALOG(win::HWND) {}
void DEFAULT_COMMAND_HOOK(win::HWND) {}

void END_CELL_EDIT(window_record_t&, int) {}
void STORE_CELL_VALUE(dialog_t*, int) {}
void SPREADSHEET_MOVE_CELL(window_record_t&, int, int, dialog_t*, int, win::HWND) {}
void SPREADSHEET_TAB_OUT(window_record_t&, int) {}
void NOTIFY_CELL_VALUE(win::HWND, dialog_t*, int) {}

void QUIT_HELP(window_record_t& record) {
  win::WinHelpA(record.window, nullptr, win::HELP_QUIT, 0);
  record.flags &= ~kWinHelpUsed;
}

}  // namespace toolkit
