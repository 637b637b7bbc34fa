// What dialog controls are bound to and how their values move: the
// resolution of a reference in a dialog text ("*n.index:end") to a script
// variable, an element or a part of one, or the program's own storage;
// finding a control's record by its id; reading the value a control is
// bound to (GETMEMORY) and storing a new one (SETMEMORY). Bindings are
// references resolved at each use (exec::BoundRef), so that a store that
// grows under an open dialog never leaves a control pointing into freed or
// moved storage.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "exec/windowlist.h"
#include "platform/win_window.h"

namespace ui {

// --- Script storage behind a reference --------------------------------------

// The value cell in `z` of a numeric reference (a scalar, or an element of
// an array within its shape); 0 when it names none.
std::int32_t cellof(const exec::BoundRef& ref);
// The characters of a text reference, at most `length` of them and never
// past the variable's last character; empty when it names none.
std::span<char> charsof(const exec::BoundRef& ref, std::int32_t length);
// The reference of a value cell handed over as an option's value: a
// numeric scalar symbol, or an element of the numeric array whose cells
// hold it; unbound for a temporary or a cell of no variable.
exec::BoundRef refofcell(std::int32_t cell);

// --- References in dialog texts ---------------------------------------------

// The argument counts that mark a program (not a script) as the caller.
inline constexpr std::int32_t programcaller = 0x7FFFFFFF;
inline constexpr std::int32_t programcallernone = static_cast<std::int32_t>(0x80000001u);

// The reference state of one text: the last parameter number, whether an
// index was given, and the last element index; `lastscript` the number of
// the last script parameter resolved (kept across texts).
struct RefState {
  bool indexgiven = false;
  std::int32_t n = 0;
  std::int32_t index = 0;
};
inline std::int32_t lastscriptparam = 0;
// The offending number of the last failed resolution (0: none); the
// failure's text is in `valuetext`, for the message "msgDLGadr".
inline std::int32_t dlgadrerror = 0;

// What one resolution gives: the value kind (2 numeric scalar, 4 text, 8
// array element, the program's own kinds, 0 nothing), where it lives
// (unbound: shown but not written back), its length and its value; the
// text goes into `valuetext`.
struct Resolved {
  std::int32_t kind = 0;
  exec::BoundRef where;
  std::int32_t length = 1;
  double value = 0.0;
};

// Resolves the reference whose first character after "*" is at position
// `from` (1-based) of the text; `to` receives the position of its last
// character. `args` are the symbols of the script's arguments after the
// text; `nargs` is their number, or `programcaller` / `programcallernone`
// for a program. False, with `dlgadrerror` set, on failure.
bool FINDADR(std::string_view text, std::int32_t from, std::int32_t& to, RefState& state,
             std::int32_t nargs, std::span<const std::int32_t> args, Resolved& out);

// --- Controls and their values ---------------------------------------------

// The control record with the id in the window of the handle (the window
// becomes current, `exec::ctlcur` the record); position receives its place
// in the window's list (the number of records when there is none). Null
// when there is none.
exec::ctlrec* WINDOWITEM(win::HWND window, std::int32_t id, std::int32_t& position);

// The value the current control (`exec::ctlcur`) is bound to: a number
// into `value`, a text into `text` (blank-padded). False when the control
// is unbound or its binding names nothing readable.
bool GETMEMORY(double& value, std::span<char> text);

// Stores the value or text into the storage `where` of the current window
// (`exec::wdwcur`) and control (`exec::ctlcur`): one of the window's own
// variables, the control's selection text or index, or the control's
// binding. Nothing for an unbound reference, and nothing that the
// binding's kind does not take (a number into a constant, a text into a
// buffered control).
void SETMEMORY(const exec::BoundRef& where, double value, std::string_view text);
// A window variable's reference.
inline exec::BoundRef windowvar(std::int32_t cell) { return {0, cell, 0}; }

void reset_bindings();

}  // namespace ui
