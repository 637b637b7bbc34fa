// What plotting, fonts and printing reach of the floors above them (the
// script windows and dialogs, the files and devices, the IDE): one record
// of routines, filled at start-up by the installers of those floors. An
// empty entry stops the statement that needs it with "notYetBuilt".
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "exec/windowlist.h"
#include "platform/win_gdi.h"
#include "platform/win_window.h"

namespace exec {
struct wdwrec;
}  // namespace exec

namespace plot {

struct Upcalls {
  // The IDE's font-slot service: makes the slot's font from its fields (with
  // ask bit 0 through the font dialog first, `flags` joining its flags) and
  // measures its character cell; status 0 on return.
  void (*CHOOSEFONTSLOT)(std::int32_t ask, std::int32_t slot, std::int32_t flags,
                         std::int32_t& status) = nullptr;
  // The script windows' changed routine: a child window moved (code
  // 0x405), sized (0 restored, 2 maximised), minimised (1), got or lost the
  // focus (0x406, 0x407); brings the window's size words and its bound
  // variables up to date.
  int (*CHILDCHANGED)(win::HWND& window, int& code) = nullptr;
  // The IDE's window refresh: mode 2 repaints the collected rectangle
  // `updrect` of the record's window now (3 erasing first) and empties it.
  // Empty: the drawing layer repaints the whole window through the toolkit.
  void (*UPDATEWDW)(std::int32_t mode, exec::wdwrec* record) = nullptr;
  // The script windows' share of a strip chart's slide: the pixels of the
  // record's window that show the block (bitmap pixels, exclusive right
  // and bottom) of its bitmap move by dx, dy as the bitmap's just did, and
  // what waited to be repainted there moves with them. False, nothing
  // moved, where the window does not show its bitmap one to one (then the
  // slid block is repainted from the bitmap).
  bool (*SCROLLWDW)(exec::wdwrec* record, const win::RECT& block, std::int32_t dx,
                    std::int32_t dy) = nullptr;
  // The editor's measure of a text with tabs: the pixel width of the first
  // count characters in the device's font, tabs going to the next stop.
  std::int32_t (*GETTABBEDTEXTWIDTH)(win::HDC dc, std::string_view text,
                                     std::int32_t count) = nullptr;
  // The files' date-time pictures: writes the day value by the picture
  // (such as "ccyymmddhhmmss.sss") into the text, or reads it from the
  // text; for time-axis labels.
  void (*TIMEDATEU)(std::string_view picture, double& value, std::span<char> text,
                    bool read) = nullptr;
  // For the print of a dialog window: the window's control records in the
  // order of its items (null none), and a table window redrawn from its
  // first row (first true) or moved on to its next block of rows, by one
  // row at least; rows tells how many rows remain after those shown.
  exec::ctlrec* (*CONTROLRECORDS)(win::HWND window) = nullptr;
  void (*MATRIXUPDATE)(win::HWND window, bool first, std::int32_t& rows) = nullptr;
};
inline Upcalls upcalls;

// Stops the statement with "notYetBuilt": the routine an empty entry names
// is not part of this build.
void upcallmissing();

}  // namespace plot
