#include "toolkit/standins.h"

#include "platform/win_system_info.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

void MAKE_BITMAP_PALETTE(window_record_t&) {}

int PaintWindow(win::HWND, win::WPARAM, win::LPARAM) { return 0; }

void QUIT_HELP(window_record_t& record) {
  win::WinHelpA(record.window, nullptr, win::HELP_QUIT, 0);
  record.flags &= ~kWinHelpUsed;
}

}  // namespace toolkit
