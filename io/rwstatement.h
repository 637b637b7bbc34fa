// The parts of OPEN, READ and WRITE that their files share (one routine,
// READWRITE, io/readwrite.h): the outcome of a statement, the option
// readers, the items on the operand stack, and the transfers of READ and
// WRITE.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/stores.h"
#include "exec/optdispatch.h"
#include "exec/optvalues.h"
#include "exec/windowlist.h"
#include "exec/xfercalls.h"

namespace io {

// The outcome of one statement: the run-time status and the statement's
// own error letter (blank when none).
struct Outcome {
  std::int32_t status = 0;
  char letter = ' ';
  std::int32_t unit = 0;     // the unit the statement ends on, 0 when none
  bool named = false;        // FIle gave a file name
  std::int32_t served = -1;  // items transferred, -1 when no transfer ran
  std::int32_t button = 0;   // the button that closed a message box
};

// The record work area: the free part of the character store between the
// temporary strings and the texts of the variables.
inline std::int32_t rwworkfirst() { return core::c1tmptop + 5; }
inline std::int32_t rwworklength() { return (core::c1limit - 15) - rwworkfirst() + 1; }

// The option slot (read in line: the statements' hot paths read a few).
[[gnu::always_inline]] inline std::int32_t rwopt(int k) { return exec::optval(k); }
// KWPRESENTBUTNOT0 (an absent option is not looked up further).
inline bool rwgiven(int k) {
  return exec::optval.valid(k) && exec::optval(k) != 0 && exec::KWPRESENTBUTNOT0(k);
}
// The text of a character value, empty (and false) for anything else.
bool rwtext(std::int32_t k, std::string_view& text);

// One item of the list: a text, or numbers (a scalar, a temporary cell or
// the elements of an array).
struct RwItem {
  std::int32_t k = 0;  // the operand
  bool text = false;
  bool writable = true;     // a variable, not a constant
  std::int32_t first = 0;   // text: its characters in `c1namen`
  std::int32_t length = 0;  // text: its length
  std::int32_t cell = 0;    // numbers: the first cell in `z`
  std::int32_t count = 1;   // numbers: the element count
  std::int32_t cols = 1;    // array: its columns, a row's length
  bool array = false;
};
// The item of operand k; false when it has no storage (an array without
// elements, a view whose text is not valid).
bool rwitem(std::int32_t k, RwItem& it);
// The operand of item i (1 = the first written) of the n on the stack.
std::int32_t rwoperand(std::int32_t i, std::int32_t n);

// READ ("R"), WRITE ("W") and the transfer of an OPEN with items ("O",
// which reads) after the prologue; out.unit is the statement's unit.
void rwtransfer(char letter, std::int32_t items, Outcome& out);

// The transfer programs of READ and WRITE statements replayed from their
// forms (exec/xfercalls.h): a statement whose options are FIle, Format,
// IOStat and ERror only gets one; it runs when the file is a text file
// read or written record after record and the format plans the items.
bool rwprogrammake(std::int32_t line, char letter, std::span<const std::int32_t> list,
                   std::int32_t pairs);
// (The programs stay as long as the forms that made them.)
exec::XferRun rwprogramrun(std::int32_t line);

// A program that failed leaves its outcome here; READWRITE, called for the
// same statement next, then makes only its report. counted: the result
// cell receives count (the characters transferred), as after the items.
struct RwPending {
  bool active = false;
  char letter = ' ';
  std::int32_t line = 0;
  Outcome out;
  bool counted = false;
  std::int32_t count = 0;
};
inline RwPending rwpending;
void reset_rwpending();

// The window targets (io/rwwindow.cpp): the WINdowhandle window's record
// (the main window's when none); the text written into it at the place,
// in the colours and font the statement gives (letter "S": the window
// takes no text); the text as the title of the WINdowhandle window.
exec::wdwrec* rwtargetwindow();
void windowwrite(std::string_view shown, Outcome& out);
void titlebar(std::string_view text);

}  // namespace io
