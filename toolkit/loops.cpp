#include "toolkit/loops.h"

#include "platform/win_dialog.h"
#include "platform/win_queue_idle.h"
#include "toolkit/accelerators.h"

namespace toolkit {

namespace {

// The modeless dialog and the accelerator table are read anew for every
// message, so that one made while handling a message serves the next.
void handle(win::MSG& msg) {
  if (current_modeless_dialog != nullptr && win::IsDialogMessageA(current_modeless_dialog, &msg))
    return;
  if (accelerator_table != nullptr && win::TranslateAcceleratorA(msg.hwnd, accelerator_table, &msg))
    return;
  win::TranslateMessage(&msg);
  win::DispatchMessageA(&msg);
}

}  // namespace

int MESSAGE_LOOP() {
  win::MSG msg{};
  while (win::GetMessageA(&msg, nullptr, 0, 0) > 0) handle(msg);
  return static_cast<int>(msg.wParam);
}

int PROCESS_MESSAGES() {
  // Between two statements nothing has usually come in: one check.
  if (win::queue_idle()) return 1;
  win::MSG msg{};
  while (win::PeekMessageA(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
    if (msg.message == win::WM_QUIT) {
      win::PostQuitMessage(static_cast<int>(msg.wParam));
      return 0;
    }
    handle(msg);
  }
  while ((win::HIWORD(win::GetQueueStatus(win::QS_PAINT)) & win::QS_PAINT) != 0) {
    const win::BOOL got = win::GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      win::PostQuitMessage(static_cast<int>(msg.wParam));
      return 0;
    }
    if (got < 0) break;
    handle(msg);
  }
  return 1;
}

void SET_DIALOG_HOOK(dialog_hook_routine routine) { dialog_hook = routine; }
void CLEAR_DIALOG_HOOK() { dialog_hook = nullptr; }

}  // namespace toolkit
