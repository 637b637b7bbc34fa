// Item values and their text forms. An item with a value kind keeps its
// value in the record and shows it as text: the kind's converter, installed
// as the item's text procedure, writes the value with the item's output
// format, checks what the user types, steps the value for a spinner and
// checks a committed text against the limits; the application's own
// procedure then runs as the value procedure, after a value was accepted.
//
//   kind  value    read format  output format
//   1     integer  (I30)        (i10.1)
//   2     hex      (z20)        (z8.1)
//   0x10  real4    (g30.0)      (g13.5)
//   0x20  real8    (g30.0)      (g20.9)
//   0x40  text     -            (a)      every text accepted
//   0x80  text     -            blank    no converter
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/dialog_item.h"

namespace toolkit {

// Stores the kind word; kinds 1, 2, 0x10, 0x20 and 0x40 get their converter
// as text procedure. The format is the one given, else the kind's default
// (kind 0x80: the one given or blank).
void SET_VALUE_KIND(dialog_t& item, std::uint32_t kind, const char* format, int format_length);
// The converter of a kind word (null for none).
change_procedure converter_of(std::uint32_t kind);
// The procedure slots: a non-zero kind is set up with SET_VALUE_KIND and the
// caller's procedure becomes the value procedure (the text procedure for
// kind bit 0x80); without a kind it becomes the text procedure.
void SET_PROCEDURES(dialog_t& item, const std::uint32_t* kind, const char* format,
                    int format_length, change_procedure change_proc);

// The converters: -1 accepts, 0 refuses.
int INTEGER_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number);
int HEX_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number);
int REAL4_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number);
int REAL8_TEXT_PROC(win::HWND& window, dialog_t* items, int& item_number);
int TEXT_KIND_PROC(win::HWND& window, dialog_t* items, int& item_number);

// Range checks of a value read from the text (status 0: it read): -1 when
// the value is taken, 0 after a message when it is refused (the value then
// becomes the limit it passed).
int CHECK_INTEGER_RANGE(win::HWND& window, int& status, dialog_t& item, std::int64_t& value);
int CHECK_REAL4_RANGE(win::HWND& window, int& status, dialog_t& item, double& value);
int CHECK_REAL8_RANGE(win::HWND& window, int& status, dialog_t& item, double& value);

// Whether the first text-length characters of the item's text can still
// become a real number (a sign alone, "1.5e" and blanks all can).
bool IS_PARTIAL_REAL(const dialog_t& item);

// The item's value written with its output format (the kind's default when
// the format is blank or unreadable), leading blanks kept.
std::string format_item_value(const dialog_t& item);

}  // namespace toolkit
