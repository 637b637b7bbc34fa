// The main window's callbacks: size, move and focus changes, paint, scroll
// and mouse. They only update shared words and post an internal command;
// the work is done when the dispatcher takes the command up. Also the text
// area of a window in pixels and cells, and the last mouse click in pixels
// and cells.
#pragma once

#include <array>
#include <cstdint>

#include "exec/windowwords.h"
#include "ide/windowlist.h"
#include "platform/win_window.h"
#include "toolkit/draw_target.h"

namespace ide {

// Codes the callbacks post to the main window.
namespace post {
inline constexpr int f1help = 21011;
inline constexpr int scroll = 21012;
inline constexpr int escape = 21051;
inline constexpr int sized = 21052;
inline constexpr int mouse = 21056;
inline constexpr int closewindow = 21058;
inline constexpr int plotmouse = 21063;
inline constexpr int nextwindow = 21065;
}  // namespace post

// Client pixels between the main window's top offset (`topoffset`, the
// toolbar) and its first text row.
inline constexpr std::int32_t kTextBelowToolbar = 6;

// Text rows and columns of the main window's text area (exec/windowwords.h).
using exec::ncols;
using exec::nrows;
// The text area in pixels (origin 0, 0), and the client rectangle read last.
inline std::int32_t textwidth = 0;
inline std::int32_t textheight = 0;
inline win::RECT clientrect{};
// The vertical scroll-bar width the text area leaves free.
inline std::int32_t vscrollwidth = 0;
// The child window activated last (null when the main window has the focus).
inline wdwrec* activechild = nullptr;

// The main window's last scroll request (code, thumb, new position), and
// the editor's page length and line count.
struct ScrollRequest {
  std::int32_t code = 0;
  std::int32_t thumb = 0;
  std::int32_t position = 0;
};
inline ScrollRequest scrollreq;
inline std::int32_t scrollpage = 1;
inline std::int32_t scrolltotal = 1;

// The last position of each button event (left down, left up, right down,
// right up), the key state at the last mouse event, and the last click:
// button (1 left, 2 right), left and right flags, pixel x and y, character
// row and column.
inline std::array<win::POINT, 4> mousepoints{};
inline std::int32_t mousekeys = 0;
struct MousePosition {
  std::int32_t button = 0;
  std::int32_t left = 0;
  std::int32_t right = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t row = 0;
  std::int32_t column = 0;
};
inline MousePosition mousepos;

int WINDOWCHANGED(win::HWND& window, int& type);
// Recomputes the text area of the window's record (the main record for the
// main window) and makes its backing bitmap anew when the cell count changed.
void WINDOWSIZE(win::HWND window);
void PAINTWINDOW(toolkit::draw_target_t& target);
int USERBITMAPSCROLL(win::HWND& window, int& request, int& position, int& thumb);
int MOUSEPROC(int& event, win::POINT& point, win::POINT& unused, win::HWND& window,
              win::RECT& unusedrect, int& keys);
void WINDOWMOUSEINTERNAL(std::int32_t bits, win::HWND window);
// The last button event into `mousepos`; `core::mousebtn` is 0 afterwards.
void MAUSXY();

// Callbacks scripts may hand to the system.
int EditStreamCB(std::intptr_t cookie, std::intptr_t buffer, std::int32_t count,
                 std::int32_t& done);
win::LRESULT BEEPWNDPROC(win::HWND window, win::UINT message, win::WPARAM wparam,
                         win::LPARAM lparam);
void SHOWCALLBACKARGS(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

void reset_mainwindow();

}  // namespace ide
