#include "toolkit/standins.h"

#include "platform/win_system_info.h"

namespace toolkit {

void QUIT_HELP(window_record_t& record) {
  win::WinHelpA(record.window, nullptr, win::HELP_QUIT, 0);
  record.flags &= ~kWinHelpUsed;
}

}  // namespace toolkit
