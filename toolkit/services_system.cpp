// Keys, messages and commands, message boxes, beeps, cursors, icons, help
// and system metrics.
#include <string>

#include "platform/win_cursor.h"
#include "platform/win_last_error.h"
#include "platform/win_message.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_resources.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/services.h"
#include "toolkit/standins.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr win::UINT kSetForeground = 0x10000;
constexpr int kTitleLength = 128;

win::HWND window_or_main(const win::HWND* window) {
  return window != nullptr ? *window : MAIN_WINDOW();
}

// A picture by name or number: exactly one of them.
bool one_of(const char* name, int name_length, const int* id) {
  const bool named = name != nullptr && TRIMMED_LENGTH(name, name_length) > 0;
  return named != (id != nullptr);
}

}  // namespace

win::SHORT GET_KEY_STATE(int virtual_key) { return win::GetKeyState(virtual_key); }

int POST_MESSAGE(win::HWND window, win::UINT message, win::WPARAM wparam, win::LPARAM lparam) {
  return win::PostMessageA(window, message, wparam, lparam) ? -1 : 0;
}

win::LRESULT SEND_MESSAGE(win::HWND window, win::UINT message, win::WPARAM wparam,
                          win::LPARAM lparam) {
  return win::SendMessageA(window, message, wparam, lparam);
}

int POST_COMMAND(int command, const win::HWND* window) {
  if (const win::HWND to = window_or_main(window); to != nullptr)
    win::PostMessageA(to, win::WM_COMMAND, static_cast<win::WPARAM>(command), 0);
  return 0;
}

int SEND_COMMAND(int command, const win::HWND* window) {
  if (const win::HWND to = window_or_main(window); to != nullptr)
    send_command_answer =
        win::SendMessageA(to, win::WM_COMMAND, static_cast<win::WPARAM>(command), 0);
  return 0;
}

int SHOW_MESSAGE_BOX(const char* text, int text_length, const char* title, int title_length,
                     const win::UINT* style, const win::HWND* owner, int* ups) {
  CLEAR_STATUS(ups);
  char caption[kTitleLength];
  std::fill(caption, caption + kTitleLength, ' ');
  if (title != nullptr)
    COPY_C_TO_PADDED(trimmed_text(title, title_length).c_str(), caption, kTitleLength);
  const win::HWND busy = SUSPEND_BUSY_CURSOR();
  const int pressed = C_MESSAGE_BOX(window_or_main(owner), text, text_length, caption, kTitleLength,
                                    (style != nullptr ? *style : 0) | kSetForeground);
  RESTORE_BUSY_CURSOR(busy, nullptr);
  if (pressed == 0 && ups != nullptr) *ups = kToolkitError;
  return pressed;
}

void MESSAGE_BEEP(const win::UINT* type, int* ups) {
  CLEAR_STATUS(ups);
  if (!win::MessageBeep(type != nullptr ? *type : 0) && ups != nullptr)
    *ups = static_cast<int>(win::GetLastError());
}

win::HCURSOR LOAD_CURSOR(const win::HINSTANCE*, const char* name, int name_length, const int* id,
                         int* ups) {
  CLEAR_STATUS(ups);
  if (!one_of(name, name_length, id)) {
    REPORT_ERROR(ups, "You must pass either resource or id to load_cursor");
    return nullptr;
  }
  return C_LOAD_CURSOR(GET_MODULE_HANDLE(), name, name_length, id != nullptr ? *id : -1, ups);
}

win::HCURSOR C_LOAD_CURSOR(win::HINSTANCE module, const char* name, int name_length, int id,
                           int* ups) {
  const std::string text = name != nullptr ? trimmed_text(name, name_length) : "";
  if (text.empty() && id == -1) {
    SET_STATUS(ups, "Need either a cursor name or cursor id", kToolkitError);
    return nullptr;
  }
  const win::HCURSOR cursor = win::LoadCursorA(
      module, text.empty() ? win::MAKEINTRESOURCEA(static_cast<win::WORD>(id)) : text.c_str());
  if (cursor == nullptr) SET_STATUS_FROM_SYSTEM(ups, "load_cursor could not load the cursor");
  return cursor;
}

win::HICON LOAD_ICON(const win::HINSTANCE*, const char* name, int name_length, const int* id,
                     int* ups) {
  CLEAR_STATUS(ups);
  if (!one_of(name, name_length, id)) {
    REPORT_ERROR(ups, "You must pass either resource or id to load_icon");
    return nullptr;
  }
  return C_LOAD_ICON(GET_MODULE_HANDLE(), name, name_length, id != nullptr ? *id : -1, ups);
}

win::HICON C_LOAD_ICON(win::HINSTANCE module, const char* name, int name_length, int id, int* ups) {
  const std::string text = name != nullptr ? trimmed_text(name, name_length) : "";
  const win::HICON icon = win::LoadIconA(
      module, text.empty() ? win::MAKEINTRESOURCEA(static_cast<win::WORD>(id)) : text.c_str());
  if (icon == nullptr)
    SET_STATUS_FROM_SYSTEM(ups, text.empty() ? "load_icon could not load the icon"
                                             : "load_icon could not load icon: " + text);
  return icon;
}

void QUIT_HELP(const win::HWND* window) {
  if (window_record_t* r = FIND_WINDOW_RECORD(window_or_main(window))) QUIT_HELP(*r);
}

int GET_SYSTEM_METRICS(int index, int* ups) {
  CLEAR_STATUS(ups);
  const int value = win::GetSystemMetrics(index);
  if (value == 0 && ups != nullptr) *ups = kToolkitError;
  return value;
}

}  // namespace toolkit
