// Heap memory of the toolkit and the global-memory texts that the clipboard
// routines pass around (movable blocks holding one NUL-terminated text).
#pragma once

#include <cstddef>

#include "platform/win_global_memory.h"

namespace toolkit {

// A block of `size` bytes (at least one). A failure shows "Insufficient
// Memory; Application terminating" and ends the program, unless the caller
// gave `ups` and the diagnosis mode has bit 0x8000: then *ups = 8 and the
// result is null.
void* ALLOCATE_MEMORY(std::size_t size, int* ups);
// Grows or shrinks a block (a null block is allocated anew); a failure
// always ends the program.
void* REALLOCATE_MEMORY(void* block, std::size_t size);
// 0 when the block is there; else handles the failure as above and
// returns 1.
int CHECK_ALLOCATION(const void* block, int* ups);

// The process heap, without failure handling (null on failure).
void* HEAP_ALLOCATE(std::size_t size);
void* HEAP_ALLOCATE_ZEROED(std::size_t size);
void* HEAP_REALLOCATE(void* block, std::size_t size);
void FREE_MEMORY(void* block);

// A movable, shareable block of `size` bytes holding the empty text.
win::HGLOBAL GLOBAL_TEXT_ALLOC(std::size_t size, int* ups);
// Appends a blank-padded text (trailing blanks dropped) and, when
// add_line_end is non-zero, CR LF; the block grows by 1024 bytes or as
// needed. Returns the block, which may have moved; null for a null block.
win::HGLOBAL GLOBAL_TEXT_APPEND(win::HGLOBAL block, const char* text, int length, int add_line_end,
                                int* ups);
// The same for a NUL-terminated text of c_length characters; no line end.
win::HGLOBAL GLOBAL_TEXT_APPEND_C(win::HGLOBAL block, const char* c_text, int c_length, int* ups);
// The block's text into a blank-padded text (cut to its length).
void GLOBAL_TEXT_GET(win::HGLOBAL block, char* text, int length, int* ups);
// The line that starts at byte `position` into a blank-padded text: up to
// a line feed, a carriage return (and the line feed after it) or the end of
// the text, at most `length` characters (the rest stays for the next call).
// Advances the position past what it consumed and returns the characters
// copied; a read exactly at the text's end returns 0 and steps past it;
// beyond that, -1.
int GLOBAL_TEXT_READ_LINE(win::HGLOBAL block, char* line, int length, int& position, int* ups);
void FREE_GLOBAL_MEMORY(win::HGLOBAL block, int* ups);

}  // namespace toolkit
