#include "toolkit/timers.h"

#include "platform/win_last_error.h"
#include "platform/win_message.h"
#include "platform/win_system_info.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

win::UINT whole_milliseconds(float seconds) {
  const float ms = seconds * 1000.0F;
  return ms > 0.0F ? static_cast<win::UINT>(ms) : 0;
}

}  // namespace

void SET_TIMER(float seconds, int id, int* ups) {
  CLEAR_STATUS(ups);
  const win::HWND main = MAIN_WINDOW();
  // Without a main window the system would make a timer of another id.
  if (main == nullptr) win::SetLastError(win::ERROR_INVALID_WINDOW_HANDLE);
  if (main == nullptr || win::SetTimer(main, static_cast<win::UINT_PTR>(id),
                                       whole_milliseconds(seconds), nullptr) == 0)
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create a timer in SET_TIMER");
}

void SLEEP_SECONDS(float seconds) { win::Sleep(whole_milliseconds(seconds)); }

}  // namespace toolkit
