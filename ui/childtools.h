// Toolbars of child windows: a text names the BMP strip of the button
// images and gives each button its tooltip ("tools.bmp|Open|Save||Quit|",
// an empty entry a gap); ToolTypes sets each button's style and state, and
// as an array it is the window's state array, which follows the user's
// presses of check and radio buttons. Button b sends the command 22100 + b.
// After a menu command the same routine writes the chosen item's title into
// the SelTxt variable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exec/windowlist.h"

namespace ui {

// A toolbar text taken apart: the bitmap file and the entries, each a
// button with its tooltip or (empty) a gap.
struct ToolText {
  std::string file;
  std::vector<std::string> entries;
  std::int32_t buttons = 0;
};
// Trailing blanks go; the last character is the separator and is taken
// off, a name character giving "|" instead. False when the text has no
// separator after the file name.
bool splittools(std::string_view text, ToolText& out);

// The toolbar style and state of a ToolTypes value: 2 check button, 4 group
// member (6 a radio button), 1 disabled, 8 line break after it, 16 checked,
// 32 pressed, 64 hidden.
struct ToolLook {
  std::int32_t style = 0;
  std::int32_t state = 4;
};
ToolLook STATE_STYLE_INTERNAL(std::int32_t value);

// Sets up the record's toolbar from the Toolbar operand and the ToolTypes
// operand (0 none): its items, the image strip and, for an array, the state
// array. Outputs the button width, the toolbar's height and the entry
// count. "" when done, else the message key ("childBitmap", "childTool").
std::string_view CHILDTOOLS(exec::wdwrec& record, std::int32_t toolsym, std::int32_t typessym,
                            std::int32_t& buttonwidth, std::int32_t& toolheight,
                            std::int32_t& entries);

// After a script window's toolbar or menu command (the pending command
// `idecmd` 22100 or 31000), with the item number: a toolbar button's state
// in the current window's state array follows the press (a radio button
// releases the others of its group); a menu item's title goes into the
// SelTxt variable of its menu (the POP menu's while a popup is pending).
void STATE_STYLE_EXTERNAL(std::int32_t item);

}  // namespace ui
