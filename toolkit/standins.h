// Routines of the toolkit's later layers that windows, boxes and the window
// procedure already call: the status bar and its clock, the toolbar, scroll
// files and the scroll bars of windows and boxes, bitmap palettes, the
// paint handler, the dialog layer's hooks and the Tools dialog. Until each
// layer comes they do nothing (the paint handler paints nothing, so the
// system's default paint runs); each layer replaces its routines here.
#pragma once

#include "platform/win_message.h"
#include "toolkit/records.h"

namespace toolkit {

struct status_bar_item_t;
struct toolbar_item_t;

// Status bar and toolbar of a window.
void SET_STATUS_BAR(win::HWND window, const status_bar_item_t* items, int count, int* ups);
void SET_TOOLBAR(win::HWND window, const toolbar_item_t* items, int count, int* ups);
void LAYOUT_STATUS_BAR(win::HWND window);
void REDRAW_STATUS_BAR();
// The clock field of the status bar drawn in place (timers 1 and 2).
void DRAW_STATUS_CLOCK(win::HWND window);
// Whether the status bar shows the indicator of this lock key.
bool STATUS_BAR_SHOWS_KEY(int virtual_key);
// "ln"/"col" fields after a scroll; true when one was written.
bool SHOW_SCROLL_POSITION(int line, int column);
// Heights of the main status bar and of a window's toolbar.
int STATUS_BAR_HEIGHT(const window_record_t& record);
int TOOLBAR_HEIGHT(const window_record_t& record);
// Lets a window's toolbar fit the window again.
void AUTOSIZE_TOOLBAR(window_record_t& record);
// The tooltip text of the toolbar button with this command id.
const char* TOOLBAR_TOOLTIP(const window_record_t& record, int command);

// Scroll files and scroll bars.
int OPEN_SCROLL_FILE(int* ups, scroll_data_t& scroll);
void FREE_SCROLL_FILE(int* ups, scroll_data_t& scroll);
void SHOW_WINDOW_SCROLL_BARS(window_record_t& record);
// Makes or destroys a box's scroll-bar controls after its layout.
void LAYOUT_BOX_SCROLL_BARS(box_record_t& box);
void SET_SCROLL_POSITION(win::HWND window, box_record_t* box, const int* line, const int* column,
                         int* ups);
void UPDATE_WINDOW(win::HWND window, const int* erase, const win::RECT* rect, int* ups);

// The palette made from a backing bitmap's colours.
void MAKE_BITMAP_PALETTE(window_record_t& record);

// The paint handler: 1 when it painted.
int PaintWindow(win::HWND window, win::WPARAM wparam, win::LPARAM lparam);

// The dialog layer.
void SHOW_TOOLS_DIALOG(win::HWND window);
void DEFAULT_COMMAND_HOOK(win::HWND window);

// The help viewer is told to quit for the window; the flag is cleared.
void QUIT_HELP(window_record_t& record);

}  // namespace toolkit
