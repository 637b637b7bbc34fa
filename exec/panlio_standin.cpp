// The input step between statements until the IDE brings its own: the
// platform's queue is pumped once, Escape becomes the break key of the key
// record, a typed character is kept for the label jump and, with its scan
// code, for KEY (the scan class is left to the IDE's key reader), and a quit
// request becomes the pending command 999.
#include "core/runwords.h"
#include "exec/xeq.h"
#include "platform/win_message.h"
#include "platform/win_message_keys.h"
#include "platform/win_queue_idle.h"

namespace exec {

void panliostandin() {
  // The usual case between two statements: nothing came in.
  if (win::queue_idle()) return;
  win::MSG msg{};
  // Bounded, so that a flood of messages cannot hold the run.
  for (int i = 0; i < 64 && win::PeekMessageA(&msg, nullptr, 0, 0, win::PM_REMOVE); ++i) {
    if (msg.message == win::WM_QUIT) {
      core::idecmd = 999;
      return;
    }
    if (msg.message == win::WM_KEYDOWN && msg.wParam == win::VK_ESCAPE) {
      core::keyrec[1] = 1;
      core::keystate[1] = 1;
      continue;
    }
    const auto scan = static_cast<std::int32_t>((msg.lParam >> 16) & 0xFF);
    if (msg.message == win::WM_CHAR) {
      core::keyrec[0] = static_cast<std::uint8_t>(msg.wParam & 0xFF);
      core::keykept = static_cast<std::int32_t>(msg.wParam & 0xFF) | scan << 8;
      continue;
    }
    if (msg.message == win::WM_KEYDOWN || msg.message == win::WM_SYSKEYDOWN) core::keyscan = scan;
    win::TranslateMessage(&msg);
    win::DispatchMessageA(&msg);
  }
}

}  // namespace exec
