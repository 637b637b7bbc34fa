// The open and save file dialogs: blank-padded texts in, the chosen path
// back blank-padded. One dialog record serves both for the whole program:
// its flags (0x206000 when the open dialog comes first, 0x202002 when the
// save dialog does) stay in force until a call gives others, and its custom
// filter (128 characters) offers the user's last one again.
//
// The file buffer's text is the name the dialog starts with. A chosen path
// that does not fit the buffer fails (status FNERR_BUFFERTOOSMALL) and the
// buffer keeps its name; nothing is ever cut.
#pragma once

#include <string_view>

#include "platform/win_commdlg.h"
#include "toolkit/dialog_item.h"

namespace toolkit {

// Non-zero when a file was chosen. `filter` holds descriptions and patterns
// in turn (a blank entry ends it early); without it "All Files" (*.*) and
// "Text Files" (*.txt) are offered. A failure or a cancel gives 0, with
// `ups` the dialog's extended error (0 after a cancel); without `ups`
// nothing is reported.
int GET_OPEN_FILE_NAME(char* file, int file_length, const char* title, int title_length,
                       const char* folder, int folder_length, const text_array_t* filter,
                       const win::DWORD* flags, const win::HWND* owner, char* file_title,
                       int file_title_length, const char* extension, int extension_length,
                       int* ups);
int GET_SAVE_FILE_NAME(char* file, int file_length, const char* title, int title_length,
                       const char* folder, int folder_length, const text_array_t* filter,
                       const win::DWORD* flags, const win::HWND* owner, char* file_title,
                       int file_title_length, const char* extension, int extension_length,
                       int* ups);

// Builds the filter piece by piece: a size of -1 goes back to the default
// filter; a positive size starts a new filter of that many bytes; a text
// (trimmed, then a NUL) is added at the write position.
void SET_FILE_FILTER(const char* text, int length, int size, int* ups);
// The filter the next dialog gets, all its bytes.
std::string_view FILE_FILTER();
// The shared dialog record (null before the first dialog).
const win::OPENFILENAMEA* FILE_DIALOG_RECORD();

// Forgets the record and the filter. For tests.
void reset_file_dialogs();

}  // namespace toolkit
