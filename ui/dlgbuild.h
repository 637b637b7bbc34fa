// The dialog builder's own helpers, shared by its files: the current item
// and control, the screen and font measures the layout rules read, the
// layout rules themselves, and the refusal of an option.
#pragma once

#include <cstdint>
#include <string_view>

#include "exec/windowlist.h"
#include "platform/win_gdi.h"
#include "toolkit/dialog_item.h"

namespace ui::build {

// The current item (the `builder.itemcount`-th of the current window's
// array) and control record; null when there is none.
toolkit::dialog_t* item();
exec::ctlrec* control();

// What the layout rules measure: the cell of the dialog's font slot, the
// screen, the window frame and the caption, in pixels.
struct Measures {
  std::int32_t cw = 8, ch = 16;  // cell width and height
  std::int32_t sw = 1280, sh = 1024;
  std::int32_t fw = 4, fh = 4;
  std::int32_t cap = 19;
};
Measures measures();
// The cell of font slot 2 (the main window's text), which X0, Y0, Width and
// Height turn into pixels.
std::int32_t mainslotcellwidth();
std::int32_t mainslotcellheight();

// The base units of a dialog in the font: the average width of the 52
// letters and the cell height (the system font's without a font), as the
// dialog manager turns dialog units into pixels.
win::SIZE baseunits(win::HFONT font);
// The width of the trimmed text in the font of slot `ifontslot`, in the
// dialog units of that font (rounded up): a text item that wide shows it
// whole.
std::int32_t textwidth(std::string_view text);

// The layout rules (dialog units): the x of column value v, the y of line
// value v, and the width and height of size value v (`listwidth`: the
// widest entry of a list, in dialog units; 0 for other items).
std::int32_t columnx(double v, bool aligned);
std::int32_t liney(double v, bool aligned);
std::int32_t sizewidth(double v, bool aligned, std::int32_t listwidth);
std::int32_t sizeheight(double v, bool aligned);

// The option's value clamped by the kind of the current control and cut
// to an integer: up-down and progress bar 0 to 32767, track bar -32767 to
// 32767, scroll bar 0 to 65535, others -2147483647 to 2147483647.
std::int32_t clampedvalue(double v, std::int32_t ctlkind);

// Changes only the given style options (ORed in) and window-style bits of
// the item, keeping the rest.
void addstyle(toolkit::dialog_t& item, std::uint32_t options, std::uint32_t winstyle);
// Moves the item (and sets its width when `width` is not negative).
void moveitem(toolkit::dialog_t& item, std::int32_t x, std::int32_t y, std::int32_t width = -1);

// After a control keyword: the item's width (0: the builder's default; for
// a text by the text rules), its place, and the next position.
void commonending(bool dlgcall, std::int32_t width, bool image);

// An edit of a dialog text in help-file mode whose text names a section of
// the file read: the section's lines fill the control's own buffer, shown
// as a several-line edit. False when the text names no section.
bool sectionedit();

// An option refused: the key and its detail stay for the statement's
// message; status 999.
void refuse(std::int32_t& status, std::string_view key, std::string_view detail);

// The symbol of a subroutine or label named by the text, with the local
// scope switched off; 0 when there is none.
std::int32_t findroutine(std::string_view name);
std::int32_t findlabel(std::string_view name);

}  // namespace ui::build
