// The toolkit's error status. Every public routine takes an optional `ups`
// (int*, null when absent) as its last argument, clears it on entry and
// sets it on failure: to the system's last error code (0x10000 when the
// system gives none) or to the toolkit's own code 0x10000. Without `ups` the
// diagnosis mode decides: 0 keeps quiet, any other value shows the failure
// in a message box "Error diagnosed by Fenstra" that asks whether to
// continue (No ends the program); with bit 0x4000 the coded reports go to
// the log file "fe_self.tmp" in the current folder instead.
#pragma once

#include <cstdio>
#include <string_view>

#include "platform/win_types.h"

namespace toolkit {

// The toolkit's own failure code, and the code of a failed heap allocation
// that the caller asked to see (diagnosis bit 0x8000).
inline constexpr int kToolkitError = 0x10000;
inline constexpr int kOutOfMemory = 8;

// Diagnosis-mode bits.
inline constexpr int kDiagnoseToLog = 0x4000;
inline constexpr int kDiagnoseHeapToCaller = 0x8000;

// How failures without `ups` are reported: 0x4001 until the toolkit is
// initialised, then the application's setting (`diagnosis_setting`).
inline int diagnosis_mode = 0x4001;
inline int diagnosis_setting = 1;

// The busy-cursor word: the window whose command is being handled, null
// when none. While it is set the toolkit shows the wait cursor.
inline win::HWND busy_window = nullptr;
inline win::HCURSOR wait_cursor = nullptr;
// The wait cursor (the system's, until the first window loads it).
win::HCURSOR the_wait_cursor();

void CLEAR_STATUS(int* ups);
// A failed system call: ups = the last error (0x10000 when 0), else the
// message with the last error through the Continue box.
void SET_STATUS_FROM_SYSTEM(int* ups, std::string_view message);
// A failure the toolkit found itself: ups = code, else the message alone.
void SET_STATUS(int* ups, std::string_view message, int code);
// ups = code, else the message and code through LOG_DIAGNOSIS.
void SET_STATUS_WITH_CODE(int* ups, std::string_view message, int code);

// Reports without `ups`. A null message reads "NULL".
void C_REPORT_SYSTEM_ERROR(const char* message);
void C_REPORT_ERROR(const char* message);
void LOG_DIAGNOSIS(const char* message, int code);
// The same for a blank-padded text of the given length.
void C_REPORT_SYSTEM_ERROR_TEXT(const char* text, int length);
void C_REPORT_ERROR_TEXT(const char* text, int length);
void LOG_DIAGNOSIS_TEXT(const char* text, int length, int code);

// The error box: the text (its first 108 characters) and " ... Continue?",
// Yes and No. No destroys the main window and ends the program; otherwise
// the button pressed is returned.
int ASK_CONTINUE(const char* text);
// Opens "fe_self.tmp" (emptied) on first use; a file that cannot be made
// (or a link or other than a plain file stands there) is said once in a
// box, and the lines are lost.
void OPEN_DIAGNOSIS_LOG();
// One line "Error diagnosed by Fenstra: <message># <code>" in the log,
// whatever the mode.
void write_diagnosis_line(const char* message, int code);
// Passes what was written to the log on; a log that cannot be written is
// said once in a box.
void flush_diagnosis_log();
// The open log (opening it when needed), null when it cannot be had.
std::FILE* diagnosis_log_file();

// The busy-cursor word, taken away while a box is up and put back after.
win::HWND SUSPEND_BUSY_CURSOR();
// Stores the word back and sets the cursor: the wait cursor while the word
// is set, else the class cursor of the window (the main window when null).
void RESTORE_BUSY_CURSOR(win::HWND word, win::HWND window);

// The fatal stop: ends the program at once (exit status 1), no message.
[[noreturn]] void C_STOP_TOOLKIT(int code);
[[noreturn]] void STOP_TOOLKIT();

// Interface-layer reporters: with `ups` it receives 0x10000 (the given code
// for REPORT_ERROR_CODE); without, the text goes through the reports above.
void REPORT_SYSTEM_ERROR(int* ups, std::string_view message);
void REPORT_ERROR(int* ups, std::string_view message);
void REPORT_ERROR_CODE(int* ups, std::string_view message, int code);
// "I/O Error. IOSTAT = %d" into a blank-padded text.
void REPORT_IOSTAT(int status, char* text, int length);

// Closes the log and restores the start values. For tests.
void reset_status();

}  // namespace toolkit
