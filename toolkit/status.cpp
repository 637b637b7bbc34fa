#include "toolkit/status.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win_cursor.h"
#include "platform/win_last_error.h"
#include "platform/win_message_box.h"
#include "toolkit/helpers.h"
#include "toolkit/records.h"

namespace toolkit {

namespace {

constexpr std::size_t kReportCut = 108;
constexpr const char* kBoxTitle = "Error diagnosed by Fenstra";

constexpr const char* kLogName = "fe_self.tmp";
constexpr const char* kLogBoxTitle = "Fenstra Self-diagnose Error";

std::FILE* diagnosis_log = nullptr;
bool diagnosis_log_refused = false;
// A write to the log failed (and was said).
bool diagnosis_log_failed = false;

std::string message_or_null(const char* message) {
  return std::string(message != nullptr ? message : "NULL");
}

std::string trimmed(const char* text, int length) {
  return text == nullptr ? "NULL" : trimmed_text(text, length);
}

// The Continue box; No destroys the main window and ends the program.
int continue_box(const std::string& shown) {
  const int answer = win::MessageBoxA(MAIN_WINDOW(), shown.c_str(), kBoxTitle,
                                      win::MB_YESNO | win::MB_SETFOREGROUND);
  if (answer == win::IDNO) {
    win::DestroyWindow(MAIN_WINDOW());
    C_STOP_TOOLKIT(0);
  }
  return answer;
}

// The box of a report: the message cut to 108 characters, then the code
// when there is one, then the question; the code is never cut away. The
// busy cursor is away while the box is up.
void ask_with_code(const char* message, const int* code) {
  std::string text = message_or_null(message).substr(0, kReportCut);
  if (code != nullptr) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "#%08X", static_cast<unsigned>(*code));
    text += hex;
  }
  const win::HWND busy = SUSPEND_BUSY_CURSOR();
  continue_box(text + " ... Continue?");
  RESTORE_BUSY_CURSOR(busy, nullptr);
}

int system_code() {
  const win::DWORD code = win::GetLastError();
  return code == 0 ? kToolkitError : static_cast<int>(code);
}

}  // namespace

void CLEAR_STATUS(int* ups) {
  if (ups != nullptr) *ups = 0;
}

void SET_STATUS_FROM_SYSTEM(int* ups, std::string_view message) {
  if (ups != nullptr) {
    *ups = system_code();
    return;
  }
  C_REPORT_SYSTEM_ERROR(std::string(message).c_str());
}

void SET_STATUS(int* ups, std::string_view message, int code) {
  if (ups != nullptr) {
    *ups = code;
    return;
  }
  C_REPORT_ERROR(std::string(message).c_str());
}

void SET_STATUS_WITH_CODE(int* ups, std::string_view message, int code) {
  if (ups != nullptr) {
    *ups = code;
    return;
  }
  LOG_DIAGNOSIS(std::string(message).c_str(), code);
}

void C_REPORT_SYSTEM_ERROR(const char* message) {
  if (diagnosis_mode == 0) return;
  const int code = static_cast<int>(win::GetLastError());
  ask_with_code(message, &code);
}

void C_REPORT_ERROR(const char* message) {
  if (diagnosis_mode == 0) return;
  ask_with_code(message, nullptr);
}

void LOG_DIAGNOSIS(const char* message, int code) {
  if ((diagnosis_mode & kDiagnoseToLog) != 0) {
    write_diagnosis_line(message, code);
    return;
  }
  if (diagnosis_mode != 0) ask_with_code(message, &code);
}

void C_REPORT_SYSTEM_ERROR_TEXT(const char* text, int length) {
  C_REPORT_SYSTEM_ERROR(trimmed(text, length).c_str());
}

void C_REPORT_ERROR_TEXT(const char* text, int length) {
  C_REPORT_ERROR(trimmed(text, length).c_str());
}

void LOG_DIAGNOSIS_TEXT(const char* text, int length, int code) {
  LOG_DIAGNOSIS(trimmed(text, length).c_str(), code);
}

int ASK_CONTINUE(const char* text) {
  return continue_box(message_or_null(text).substr(0, kReportCut) + " ... Continue?");
}

void OPEN_DIAGNOSIS_LOG() {
  if (diagnosis_log != nullptr || diagnosis_log_refused) return;
  // Emptied on opening, so that no tail of an earlier run follows the new
  // lines. It lies in whatever folder is current: a link or anything but a
  // plain file of that name is not written through.
  const int fd =
      ::open(kLogName, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  struct stat st {};
  if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) diagnosis_log = ::fdopen(fd, "wb");
  if (diagnosis_log == nullptr) {
    if (fd >= 0) ::close(fd);
    diagnosis_log_refused = true;
    win::MessageBoxA(nullptr, "Can't open error file fe_self.tmp", kLogBoxTitle,
                     win::MB_SETFOREGROUND);
  }
}

void write_diagnosis_line(const char* message, int code) {
  OPEN_DIAGNOSIS_LOG();
  if (diagnosis_log == nullptr) return;
  std::fprintf(diagnosis_log, "Error diagnosed by Fenstra: %s# %#8x\r\n",
               message_or_null(message).c_str(), static_cast<unsigned>(code));
  flush_diagnosis_log();
}

void flush_diagnosis_log() {
  if (diagnosis_log == nullptr) return;
  if (std::fflush(diagnosis_log) == 0 && std::ferror(diagnosis_log) == 0) return;
  if (diagnosis_log_failed) return;
  diagnosis_log_failed = true;
  win::MessageBoxA(nullptr, "Can't write error file fe_self.tmp", kLogBoxTitle,
                   win::MB_SETFOREGROUND);
}

std::FILE* diagnosis_log_file() {
  OPEN_DIAGNOSIS_LOG();
  return diagnosis_log;
}

win::HCURSOR the_wait_cursor() {
  return wait_cursor != nullptr ? wait_cursor : win::LoadCursorA(nullptr, win::IDC_WAIT);
}

win::HWND SUSPEND_BUSY_CURSOR() {
  const win::HWND word = busy_window;
  busy_window = nullptr;
  return word;
}

void RESTORE_BUSY_CURSOR(win::HWND word, win::HWND window) {
  busy_window = word;
  if (word != nullptr) {
    win::SetCursor(the_wait_cursor());
    return;
  }
  const win::HWND w = window != nullptr ? window : MAIN_WINDOW();
  if (w != nullptr)
    win::SetCursor(reinterpret_cast<win::HCURSOR>(win::GetClassLongPtrA(w, win::GCLP_HCURSOR)));
}

void C_STOP_TOOLKIT(int) { STOP_TOOLKIT(); }

void STOP_TOOLKIT() {
  std::fflush(nullptr);
  std::exit(1);
}

void REPORT_SYSTEM_ERROR(int* ups, std::string_view message) {
  if (ups != nullptr) {
    *ups = kToolkitError;
    return;
  }
  C_REPORT_SYSTEM_ERROR_TEXT(message.data(), static_cast<int>(message.size()));
}

void REPORT_ERROR(int* ups, std::string_view message) {
  if (ups != nullptr) {
    *ups = kToolkitError;
    return;
  }
  C_REPORT_ERROR_TEXT(message.data(), static_cast<int>(message.size()));
}

void REPORT_ERROR_CODE(int* ups, std::string_view message, int code) {
  if (ups != nullptr) {
    *ups = code;
    return;
  }
  LOG_DIAGNOSIS_TEXT(message.data(), static_cast<int>(message.size()), code);
}

void REPORT_IOSTAT(int status, char* text, int length) {
  if (text == nullptr || length <= 0) return;
  char line[64];
  const int n = std::snprintf(line, sizeof line, "I/O Error. IOSTAT = %d", status);
  std::fill(text, text + length, ' ');
  std::copy_n(line, std::min(n, length), text);
}

void reset_status() {
  if (diagnosis_log != nullptr) std::fclose(diagnosis_log);
  diagnosis_log = nullptr;
  diagnosis_log_refused = false;
  diagnosis_log_failed = false;
  diagnosis_mode = 0x4001;
  diagnosis_setting = 1;
  busy_window = nullptr;
  wait_cursor = nullptr;
}

}  // namespace toolkit
