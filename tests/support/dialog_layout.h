// A dialog as the user sees it, read from its controls: their captions,
// and what would spoil its looks: a control outside the dialog, two
// controls on one another, a caption wider or taller than its control.
#pragma once

#include <string>
#include <vector>

#include "platform/win_window.h"

namespace testsupport {

// A visible control of a dialog: its window class, its caption as shown
// (mnemonic marks taken out), its style and its place in the dialog's
// client pixels.
struct ShownControl {
  win::HWND window = nullptr;
  std::string kind;
  std::string caption;
  win::DWORD style = 0;
  win::RECT rect{};
};
// The dialog's visible controls in reading order (by rows, then from the
// left).
std::vector<ShownControl> shown_controls(win::HWND dialog);

// The captions of the dialog's visible controls, one per line, in their
// order.
std::string dialog_texts(win::HWND dialog);

// The faults of the dialog's layout, one per line, each naming the
// controls by their captions; empty when it has none. A read-only field
// shows its text as a caption does: it is cut when the text is wider.
std::string layout_faults(win::HWND dialog);

// The faults of the dialog's columns and margins, one per line: rows of
// controls alike (the kinds of the shorter row, left to right, begin the
// longer one) whose controls do not stand under one another, push buttons
// of such rows that are not of one width, and a caption that touches a
// framed control (button, field, list, spin box) above or below it.
std::string alignment_faults(win::HWND dialog);

// The left edges (client pixels) of the dialog's visible check boxes, in
// their order.
std::vector<int> checkbox_lefts(win::HWND dialog);

}  // namespace testsupport
