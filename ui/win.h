// WIN: a dialog window built from a text of items. The text comes from a
// script (the `win` built-in), from a section of the help data file (the
// message and help windows of HELP, the IDE's own dialogs) or from a link
// that the user clicked in an open dialog. Items are keywords of the
// dialog keyword list with their values, plain texts, labels that give the
// next control its id, and references "*n.i:j" to the caller's values,
// which the controls show and are bound to.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/messages.h"
#include "exec/windowlist.h"
#include "platform/fixed_text.h"

namespace ui {

// Mode bits of a call: a script's call; the pressed button's number is
// wanted back in `iret`. (The values a program hands over are known by the
// spans of `values` that are given.)
namespace winmode {
inline constexpr std::int32_t script = 0x1;
inline constexpr std::int32_t result = 0x2;
}  // namespace winmode

struct WinCall {
  std::int32_t mode = 0;
  std::int32_t iret = 0;
  // A script's call: its operands, the first written first (up to three
  // numbers, the text, then the values the text refers to).
  std::span<const std::int32_t> args;
  // A program's call: the values the text's references "*1" to "*7" name.
  core::HelpValues values;
  // The key the program asked for (the report names it; blank: the
  // section's).
  std::string_view key;
  // Set for the editor's help on a topic: a reference past "*7" names
  // nothing instead of failing.
  bool topic = false;
};

// The request text of a program's call: the key of a help section, which
// HELP and the command handler put here.
inline plat::FixedText<256> winrequest;

// Builds and shows one dialog window, or refreshes a live one (a script
// naming its window handle). Failures leave their key in `msgkey` with the
// detail in `failedline` and set `xeqstop` to 0x7FFF.
void WIN(WinCall& call);

// Serves the link request that a click left: `winlink` word 1 is only
// cleared, a word above 1 shows the request's window.
void WINLINKREQUEST();

// The same for the IDE's command handler outside a run: every waiting
// request (a list choice in a program's window too) is shown.
void WINLINKCOMMAND();

// Closes the program's window of the section key, when one is open.
void WINCLOSE(std::string_view key);
// The program's open window of the section key, or null.
win::HWND WINKEYED(std::string_view key);

// The help window: HELP hands each key with the caller's values here.
void helpwindow(std::string_view key, int& answer, const core::HelpValues& values);

// The `win` built-in: writes the function's value into the statement's
// result cell.
void winfunction(std::span<const std::int32_t> operands);

// Tests look at the finished dialog before it is shown.
inline void (*winbuilt)(const exec::wdwrec& window) = nullptr;

// What a windowless run reports of a program's window that nobody sees:
// its texts row by row, then its key.
std::string windowtext(const exec::wdwrec& window, std::string_view key);

void reset_win();

}  // namespace ui
