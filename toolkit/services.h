// The toolkit's system services: raw files and serial ports by handle,
// folders and directory listings, temporary names, file times, the
// environment, child processes, the clipboard, key state, posted and sent
// messages and commands, message boxes, beeps, cursors, icons, help and
// system metrics. Each routine clears `ups` on entry and reports its
// failures through it (or the diagnosis path without it); texts are
// blank-padded with their lengths and reach the system without their
// trailing blanks. Logical results are -1 (true) and 0 (false).
#pragma once

#include <cstdint>

#include "platform/win_comm.h"
#include "platform/win_files.h"
#include "platform/win_global_memory.h"
#include "platform/win_window.h"
#include "toolkit/records.h"

namespace toolkit {

// A local date and time: year, month, day, offset from universal time in
// minutes, hour, minute, second, millisecond.
struct date_time_record {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t offset = 0;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  std::int32_t millisecond = 0;
};

// One entry of a directory listing as the caller gets it (380 bytes).
struct directory_record {
  std::int32_t attributes = 0;
  date_time_record creation;
  date_time_record access;
  date_time_record write;
  std::int32_t size_low = 0;
  std::int32_t size_high = 0;
  char name[260] = {};
  char short_name[12] = {};
};
static_assert(sizeof(directory_record) == 380);

// The entries found by LIST_DIRECTORY, as the system hands them out.
struct directory_listing {
  win::WIN32_FIND_DATAA* entries = nullptr;
  int count = 0;
  int capacity = 0;
};

// The unit on which the clipboard routines open a file given by name.
inline constexpr int kClipboardUnit = 6996;

// Files and serial ports. Defaults of FE_OPEN_FILE: reading and writing,
// no sharing, an existing file, normal attributes; null on failure.
win::HANDLE FE_OPEN_FILE(const char* name, int name_length, const win::DWORD* access,
                         const win::DWORD* share, const win::DWORD* creation,
                         const win::DWORD* attributes, int* ups);
// Up to `length` bytes; the rest of the buffer becomes blanks. The count.
int FE_READ_FILE(win::HANDLE file, char* buffer, int length, int* read, int* ups);
int FE_WRITE_FILE(win::HANDLE file, const char* buffer, int length, int* written, int* ups);
void FE_CLOSE_FILE(win::HANDLE file, int* ups);
void SET_COMM_TIMEOUT(win::HANDLE port, const win::COMMTIMEOUTS& timeouts, int* ups);
// Changes the given line settings only (parity, data and stop bits in the
// system's codes).
void SET_COMM_MODE(win::HANDLE port, const int* baud_rate, const int* parity, const int* data_bits,
                   const int* stop_bits, int* ups);

// Folders and names.
void FE_CREATE_DIRECTORY(const char* path, int length, int* ups);
// No message: the system's code in `ups`.
int DELETE_FILE(const char* path, int length, int* ups);
void SET_CURRENT_DIRECTORY(const char* path, int length, int* ups);
// A new empty file in the temporary folder, its name (prefix "tmp" when
// absent) into the text.
void GET_TEMP_FILE_NAME(char* name, int length, const char* prefix, int prefix_length, int* ups);

// The entries matching the pattern; none is 0 and no failure.
int LIST_DIRECTORY(const char* pattern, int length, directory_listing& listing, int* ups);
void CONVERT_DIRECTORY_LIST(directory_record* records, int count, int* ups,
                            const directory_listing& listing);
void FREE_DIRECTORY_LIST(directory_listing& listing);

// File times in local time; an absent record is skipped (kept).
void GET_FILE_TIME(const char* file, int length, date_time_record* creation,
                   date_time_record* access, date_time_record* write, int* ups);
void SET_FILE_TIME(const char* file, int length, const date_time_record* creation,
                   const date_time_record* access, const date_time_record* write, int* ups);
// A local date and time as the system's time record (weekday 0), and a
// file time as local date and time with its offset; false when a
// conversion fails.
void DATE_TIME_TO_SYSTEM(const date_time_record& record, win::SYSTEMTIME& system);
bool FILE_TIME_TO_DATE_TIME(const win::FILETIME& file_time, date_time_record& record);

// The environment: the value blank-padded (all blanks when missing or too
// long for the text, with status 0x10000); an absent value removes.
void GET_ENVIRONMENT_VARIABLE(const char* name, int name_length, char* value, int value_length,
                              int* ups);
void SET_ENVIRONMENT_VARIABLE(const char* name, int name_length, const char* value,
                              int value_length, int* ups);
// Starts the command line as a program; with `wait` true the whole program
// waits until it ends.
int SPAWN_PROCESS(const char* command_line, int length, const int* wait, int* ups);

// Keys, messages and commands.
win::SHORT GET_KEY_STATE(int virtual_key);
int POST_MESSAGE(win::HWND window, win::UINT message, win::WPARAM wparam, win::LPARAM lparam);
win::LRESULT SEND_MESSAGE(win::HWND window, win::UINT message, win::WPARAM wparam,
                          win::LPARAM lparam);
// The command message to the window (the main window when absent; with
// neither there is no one to tell).
int POST_COMMAND(int command, const win::HWND* window);
int SEND_COMMAND(int command, const win::HWND* window);
// The answer of the last SEND_COMMAND.
inline win::LRESULT send_command_answer = 0;

// The clipboard.
int OPEN_CLIPBOARD(int empty, int* ups);
void SET_CLIPBOARD_DATA(win::HGLOBAL block, win::UINT format, int* ups);
win::HGLOBAL GET_CLIPBOARD_DATA(win::UINT format, int* ups);
void CLOSE_CLIPBOARD(int* ups);
// Puts a text, the lines of a scroll window or box (its selection, else
// all), of an I/O unit or of a file, or a bitmap block on the clipboard.
// The range is 1-based and inclusive: from the first column of the first
// line to the last column of the last line.
void COPY_TO_CLIPBOARD(const char* text, int text_length, const win::HGLOBAL* bitmap,
                       const int* unit, const char* file, int file_length, const win::HWND* window,
                       box_record_t* box, const win::UINT* format, const int* first_line,
                       const int* first_column, const int* last_line, const int* last_column,
                       int* ups);
// The lines of a scroll window or box appended to the block; null (the
// block freed) when the target shows no file.
win::HGLOBAL C_COPY_TO_CLIPBOARD(win::HGLOBAL block, const win::HWND* window, box_record_t* box,
                                 int first_line, int first_column, int last_line, int last_column,
                                 int* ups);
// The clipboard's text into a text (blank-padded), or as records into an
// I/O unit or a file, or its bitmap block.
void PASTE_FROM_CLIPBOARD(char* text, int text_length, win::HGLOBAL* bitmap, const int* unit,
                          const char* file, int file_length, const win::UINT* format, int* ups);

// Boxes, beeps, cursors, icons, help, metrics.
int SHOW_MESSAGE_BOX(const char* text, int text_length, const char* title, int title_length,
                     const win::UINT* style, const win::HWND* owner, int* ups);
void MESSAGE_BEEP(const win::UINT* type, int* ups);
win::HCURSOR LOAD_CURSOR(const win::HINSTANCE* module, const char* name, int name_length,
                         const int* id, int* ups);
win::HCURSOR C_LOAD_CURSOR(win::HINSTANCE module, const char* name, int name_length, int id,
                           int* ups);
win::HICON LOAD_ICON(const win::HINSTANCE* module, const char* name, int name_length, const int* id,
                     int* ups);
win::HICON C_LOAD_ICON(win::HINSTANCE module, const char* name, int name_length, int id, int* ups);
void QUIT_HELP(const win::HWND* window);
int GET_SYSTEM_METRICS(int index, int* ups);

}  // namespace toolkit
