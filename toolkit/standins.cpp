#include "toolkit/standins.h"

#include "platform/win_system_info.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

void SET_STATUS_BAR(win::HWND, const status_bar_item_t*, int, int* ups) { CLEAR_STATUS(ups); }
void SET_TOOLBAR(win::HWND, const toolbar_item_t*, int, int* ups) { CLEAR_STATUS(ups); }
void LAYOUT_STATUS_BAR(win::HWND) {}
void REDRAW_STATUS_BAR() {}
void DRAW_STATUS_CLOCK(win::HWND) {}
bool STATUS_BAR_SHOWS_KEY(int) { return false; }
bool SHOW_SCROLL_POSITION(int, int) { return false; }
int STATUS_BAR_HEIGHT(const window_record_t&) { return 0; }
int TOOLBAR_HEIGHT(const window_record_t&) { return 0; }
void AUTOSIZE_TOOLBAR(window_record_t&) {}
const char* TOOLBAR_TOOLTIP(const window_record_t&, int) { return nullptr; }

int OPEN_SCROLL_FILE(int* ups, scroll_data_t& scroll) {
  CLEAR_STATUS(ups);
  scroll.flags |= kScrollChanged;
  return 1;
}
void FREE_SCROLL_FILE(int*, scroll_data_t& scroll) {
  FREE_MEMORY(scroll.file_name);
  scroll.file_name = nullptr;
}
void SHOW_WINDOW_SCROLL_BARS(window_record_t&) {}
void LAYOUT_BOX_SCROLL_BARS(box_record_t&) {}
void SET_SCROLL_POSITION(win::HWND, box_record_t*, const int*, const int*, int* ups) {
  CLEAR_STATUS(ups);
}
void UPDATE_WINDOW(win::HWND window, const int*, const win::RECT*, int* ups) {
  CLEAR_STATUS(ups);
  win::InvalidateRect(window, nullptr, win::TRUE);
  win::UpdateWindow(window);
}

void MAKE_BITMAP_PALETTE(window_record_t&) {}

int PaintWindow(win::HWND, win::WPARAM, win::LPARAM) { return 0; }

void SHOW_TOOLS_DIALOG(win::HWND) {}
void DEFAULT_COMMAND_HOOK(win::HWND) {}

void QUIT_HELP(window_record_t& record) {
  win::WinHelpA(record.window, nullptr, win::HELP_QUIT, 0);
  record.flags &= ~kWinHelpUsed;
}

}  // namespace toolkit
