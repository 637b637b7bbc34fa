// The toolkit's records: one window record for every top-level window it
// made (main, secondary and dialog windows), kept in one list that only
// grows; one box record for every box (a pane inside a window's client
// area), hung in a list from its window's record; and the table of the GDI
// objects the toolkit made, deleted when the main window goes.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_window.h"
#include "toolkit/draw_target.h"

namespace toolkit {

// The set-before-use marker of records.
inline constexpr std::uint32_t kMarker = 0x789ABCDE;

struct box_record_t;
struct dialog_t;
struct palette_record;
struct status_bar_data;
struct toolbar_record;

// Callbacks of windows and boxes; every argument by reference.
using paint_callback = void (*)(draw_target_t& target);
using close_callback = int (*)(win::HWND& window);
using changed_callback = int (*)(win::HWND& window, int& code);
using scroll_callback = int (*)(win::HWND& window, int& code, int& position, int& thumb);
using mouse_callback = int (*)(int& event, win::POINT& first, win::POINT& second, win::HWND& window,
                               win::RECT& rect, int& key_state);

// Scroll data of a window or box: a file shown with scrolling, the ranges
// and the scroll position (0-based lines and columns).
struct scroll_data_t {
  char* file_name = nullptr;  // an owned NUL-terminated copy
  std::intptr_t file_handle = 0;
  unsigned char* buffer = nullptr;
  std::uint32_t flags =
      0;  // 0x10 changed, 0x20 scratch file, 0x40 variable pitch, 0x10000 selection
  std::int32_t spare[2] = {};
  std::int32_t buffer_size = 0;
  std::int64_t buffer_offset = 0;  // 64-bit: files beyond 2 GiB
  std::int32_t read_position = 0;
  std::int32_t bytes_in_buffer = 0;
  std::int64_t last_write_time = 0;
  std::int32_t lines = 0;         // vertical range (or the bitmap's height)
  std::int32_t current_line = 0;  // the line at the read position
  std::int32_t longest_line = 0;  // horizontal range (or the bitmap's width)
  std::int32_t lines_per_page = 0;
  std::int32_t columns_per_page = 0;
  std::int32_t first_line = 0;
  std::int32_t first_column = 0;
  // Where every 1024th line starts, from the last count (owned), so that a
  // jump into a long file needs no reading from its start.
  std::int64_t* line_marks = nullptr;
  std::int32_t line_mark_count = 0;
  std::int32_t line_mark_room = 0;
};
inline constexpr std::uint32_t kScrollChanged = 0x10;
inline constexpr std::uint32_t kScrollVariablePitch = 0x40;
inline constexpr std::uint32_t kScrollSelection = 0x10000;

// A text selection: anchor and end, 0-based lines and columns.
struct text_selection_t {
  std::int32_t anchor_line = 0;
  std::int32_t anchor_column = 0;
  std::int32_t end_line = 0;
  std::int32_t end_column = 0;
};

// Recorded drawing calls of a window or box.
struct autopaint_buffer {
  unsigned char* base = nullptr;  // owned
  std::int32_t capacity = 0;
  std::int32_t used = 0;
  std::int32_t read_position = 0;
  std::int32_t mode = 0;  // 0 idle, 1 recording, 2 replaying
};

// Window-record flags.
inline constexpr std::int32_t kWinHelpUsed = 0x1;
inline constexpr std::int32_t kShowingScrollBars = 0x4;
inline constexpr std::int32_t kToolkitBitmap = 0x10;
inline constexpr std::int32_t kRepaintOnScroll = 0x40;

// Style bits of window and box records.
inline constexpr std::int32_t kStylePaint = 0x1;
inline constexpr std::int32_t kStyleScrollFile = 0x800;
inline constexpr std::int32_t kStylePixelScroll = 0x1000;
inline constexpr std::int32_t kStyleHScroll = 0x2000;
inline constexpr std::int32_t kStyleVScroll = 0x4000;
inline constexpr std::int32_t kStyleBitmap = 0x7000;
inline constexpr std::int32_t kStyleFile = 0x6800;

struct window_record_t {
  win::HWND window = nullptr;  // null: a free record
  box_record_t* first_box = nullptr;
  win::HBITMAP bitmap = nullptr;  // backing bitmap
  palette_record* palette = nullptr;
  std::int32_t flags = 0;
  std::uint8_t direct_drawing = 0;
  std::int32_t dialog_items = 0;
  std::int32_t style = 0;
  dialog_t* dialog_array = nullptr;  // a dialog's items
  win::HCURSOR drag_cursor = nullptr;
  std::int32_t mouse_mask = 0;
  win::COLORREF background = 0;
  std::int32_t drawing_word = 0;
  win::COLORREF text_colour = 0;
  win::HFONT font = nullptr;
  std::int32_t drawing_word2 = 0;
  std::int32_t char_width = 0;
  std::int32_t line_height = 0;
  win::RECT client;  // less the status bar and the toolbar
  scroll_data_t scroll;
  text_selection_t selection;
  autopaint_buffer autopaint;
  status_bar_data* status_bar = nullptr;
  toolbar_record* toolbar = nullptr;
  paint_callback paint = nullptr;
  close_callback close = nullptr;
  mouse_callback mouse = nullptr;
  changed_callback changed = nullptr;
  scroll_callback scroll_proc = nullptr;
  win::HBRUSH dialog_brush = nullptr;  // a dialog's background
  std::int32_t modeless_dialog = 0;
  window_record_t* next = nullptr;
};

struct box_record_t {
  box_record_t* next = nullptr;
  win::HWND window = nullptr;
  win::HBITMAP bitmap = nullptr;
  float fraction[4] = {-1.0F, -1.0F, -1.0F, -1.0F};  // left, top, right, bottom
  std::int32_t pixel[4] = {-1, -1, -1, -1};
  std::int32_t style = 0;
  win::HBRUSH brush = nullptr;
  win::COLORREF background = 0;
  win::COLORREF text_colour = 0;
  win::HFONT font = nullptr;
  win::HBRUSH frame_brush = nullptr;
  std::int32_t frame_width = 0;
  win::HWND hscroll = nullptr;
  win::HWND vscroll = nullptr;
  std::int32_t char_width = 0;
  std::int32_t line_height = 0;
  scroll_data_t scroll;
  text_selection_t selection;
  autopaint_buffer autopaint;
  win::RECT outer;   // in the window's client coordinates
  win::RECT client;  // less the frame and the scroll bars
  paint_callback paint = nullptr;
  std::int32_t layout_words[2] = {};
  scroll_callback scroll_proc = nullptr;
  std::uint32_t marker = 0;
};

// The main window's record (an empty record while there is none) and its
// handle (null when none). The owner of every toolkit message box.
window_record_t* MAIN_WINDOW_RECORD();
win::HWND MAIN_WINDOW();
// The main window's title (at most 128 characters).
const char* main_title();

// A free record with the handle written in; 16 new ones when none is free.
window_record_t* GET_FREE_WINDOW_RECORD(win::HWND window, int* ups);
// Fills a record for a new window. Absent arguments are null.
window_record_t* SETUP_WINDOW_RECORD(win::HWND window, paint_callback paint, const int* spare,
                                     const int* style, const char* scroll_file,
                                     int scroll_file_length, const win::COLORREF* text_colour,
                                     const win::HFONT* font, const win::HBRUSH* brush,
                                     const char* title, int title_length, close_callback close,
                                     scroll_callback scroll, changed_callback changed,
                                     const win::HBITMAP* bitmap, const int* main_flag, int* ups);
// The record of the handle; with null, a free record.
window_record_t* FIND_WINDOW_RECORD(win::HWND window);
window_record_t* FIRST_WINDOW_RECORD();
window_record_t* NEXT_WINDOW_RECORD(window_record_t* record);
void FREE_WINDOW_RECORD(win::HWND window);
// When the main window is destroyed: its record is released too and there
// is no main window any longer.
void RELEASE_MAIN_RECORD();
// Makes the record the main window's (a modeless dialog made while there
// is no main window).
void MAKE_MAIN_RECORD(window_record_t* record);
// The main window's title while there is no main window yet (at most 127
// characters are kept).
void SET_MAIN_TITLE(std::string_view title);

void APPEND_BOX(box_record_t*& head, box_record_t* box);
// 1, or 0 with "Trying to destroy a box that doesn't exist!" when the box
// is not in the list.
int UNLINK_BOX(box_record_t*& head, box_record_t* box, int* ups);

// The colour of a brush.
win::COLORREF brush_colour(win::HBRUSH brush);
// False, after reporting the message, when the diagnosis mode is on and the
// object is no brush.
bool check_brush(win::HBRUSH brush, std::string_view message, int* ups);
// An owned NUL-terminated copy of the file name (its first `length`
// characters) in the scroll data.
void copy_scroll_file_name(scroll_data_t& scroll, const char* name, int length);

// A backing bitmap's part of a window's or box's record: style 0x7000 when
// there was none, the bitmap's height and width as the ranges, fixed pitch,
// the contents changed.
void take_bitmap_ranges(std::int32_t& style, scroll_data_t& scroll, win::HBITMAP bitmap);
// Makes the bitmap the window's backing bitmap.
void ATTACH_BITMAP(window_record_t& record, win::HBITMAP bitmap);

// The record's client rectangle: the window's client area less its status
// bar at the bottom and its toolbar at the top.
void UPDATE_CLIENT_RECT(window_record_t& record);

// Measures a font on the screen: average character width, line height
// (height and external leading), and whether its pitch is variable.
void MEASURE_FONT(win::HFONT font, std::int32_t& char_width, std::int32_t& line_height,
                  bool& variable_pitch);
// The toolkit's default font: "Courier New" of the system font's height.
win::HFONT DEFAULT_FONT();

// The table of GDI objects.
struct gdi_object_entry {
  win::HGDIOBJ handle = nullptr;  // null: a free entry
  win::HWND owner = nullptr;
  std::int32_t kind = 0;              // the object's type (OBJ_PEN, OBJ_BRUSH, OBJ_FONT, ...)
  palette_record* palette = nullptr;  // a bitmap's palette
};
inline std::vector<gdi_object_entry> gdi_object_table;
// Records the object in a free entry (the table grows by 20 when full) and
// returns the entry; the caller fills in the kind.
gdi_object_entry* ADD_GDI_OBJECT(win::GdiObjectRef handle, win::HWND owner);
void CLEAR_GDI_ENTRY(gdi_object_entry* entry);
// The entry of the object; with null, a free entry; null when none.
gdi_object_entry* FIND_GDI_OBJECT(win::GdiObjectRef handle);
// Deletes an object and empties its entry ("Unable to DELETE_OBJECT"); a
// bitmap's palette goes with it.
void DELETE_OBJECT(win::GdiObjectRef handle, int* ups);

// Frees every record and box and empties the tables. For tests.
void reset_records();

}  // namespace toolkit
