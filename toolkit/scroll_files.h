// Scroll files: the text file that a scrolled window or box shows, read
// line by line through a 4096-byte window on the file that can move
// forward and back. A line ends at CR LF, at a lone CR or at a lone LF; a
// last line without an end counts as a line too. Bytes are read as
// unsigned values (0xFF is data).
#pragma once

#include "toolkit/records.h"

namespace toolkit {

inline constexpr int kScrollBuffer = 4096;
inline constexpr std::uint32_t kScrollScratch = 0x20;

// Opens the record's file for reading and writing (shared; made when
// missing; a file that may only be read is opened for reading), or without
// a name a new scratch file in the temporary folder; counts its lines.
// 1, or 0 with "Unable to open scroll file".
int OPEN_SCROLL_FILE(int* ups, scroll_data_t& scroll);
// Opens the named file for reading when it is not open: 1, or 0 with
// "Can't open file to scroll".
int OPEN_SCROLL_FILE_FOR_READING(int* ups, scroll_data_t& scroll);
void CLOSE_SCROLL_FILE(scroll_data_t& scroll);
// Closes the file, deletes a scratch file, frees the name and the buffer.
void FREE_SCROLL_FILE(int* ups, scroll_data_t& scroll);
// Counts the lines and the longest line when the file's last-write time
// differs from the one stored (1), else nothing (0); the file is rewound.
int COUNT_SCROLL_LINES(scroll_data_t& scroll);
void REWIND_SCROLL_FILE(scroll_data_t& scroll);
// The next byte (0 to 255), -1 at the end of the file or on a failure.
int READ_SCROLL_CHAR(scroll_data_t& scroll, int* ups = nullptr);
// Past the current line and its end: the line's length, -1 at the end.
int SKIP_SCROLL_LINE(scroll_data_t& scroll);
// Up to size - 1 bytes of the current line, NUL-terminated, and its end
// (not when the line was cut: the rest counts as the next line). The
// length, -1 when the file ends before any byte.
int READ_SCROLL_LINE(scroll_data_t& scroll, char* buffer, int size);
// To the start of the line before: 0, or -1 at the start of the file.
int PREVIOUS_SCROLL_LINE(scroll_data_t& scroll, int* ups = nullptr);
// To the start of a 0-based line (or the end of the file before it).
void SEEK_SCROLL_LINE(scroll_data_t& scroll, int line);

}  // namespace toolkit
