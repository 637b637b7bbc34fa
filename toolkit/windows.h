// Making and changing windows: the one main window (menu bar, accelerators,
// status bar, toolbar, icon, cursor, brush, callbacks and, on request, an
// automatic box over its client area), further top-level windows with a
// class each, and changes to an existing window.
//
// Every argument but the texts' lengths is optional (null = absent).
// Positions and sizes given as fractions are fractions of the desktop's
// client area; client sizes are pixels.
#pragma once

#include <string>

#include "toolkit/menus.h"
#include "toolkit/records.h"

namespace toolkit {

struct status_bar_item_t;
struct toolbar_item_t;

inline constexpr const char* kMainClass = "fenstra_MAIN_CLASS";
inline constexpr win::DWORD kDefaultWindowStyle = 0xCF0000;
inline constexpr win::UINT kClassStyle = 0x300B;

// The main window's automatic box, null when it has none.
inline box_record_t* main_auto_box = nullptr;

win::HWND CREATE_WINDOW(const char* title, int title_length, menu_item_t* menu, int menu_count,
                        status_bar_item_t* status_items, int status_count,
                        toolbar_item_t* toolbar_items, int toolbar_count, const win::DWORD* style,
                        const float* x, const float* y, const float* width, const float* height,
                        const int* client_width, const int* client_height, const int* record_style,
                        const char* scroll_file, int scroll_file_length,
                        const win::COLORREF* text_colour, const win::HFONT* font,
                        const win::HICON* icon, const win::HCURSOR* cursor,
                        const win::HBRUSH* brush, const int* show_command, paint_callback paint,
                        close_callback close, scroll_callback scroll, changed_callback changed,
                        const win::HBITMAP* bitmap, int* ups);

// A blank class name gets the first free "FENSTRA_CLASS<i>", written back
// into the caller's text.
win::HWND CREATE_SECONDARY_WINDOW(
    const char* title, int title_length, menu_item_t* menu, int menu_count,
    toolbar_item_t* toolbar_items, int toolbar_count, char* class_name, int class_name_length,
    const win::DWORD* style, const float* x, const float* y, const float* width,
    const float* height, const int* client_width, const int* client_height, const int* record_style,
    const char* scroll_file, int scroll_file_length, const win::COLORREF* text_colour,
    const win::HFONT* font, const win::HWND* owner, const win::HICON* icon,
    const win::HCURSOR* cursor, const win::HBRUSH* brush, const int* show_command,
    paint_callback paint, close_callback close, scroll_callback scroll, changed_callback changed,
    const win::HBITMAP* bitmap, int* ups);

// Changes a window; a window the toolkit did not make gets a record.
void REDEFINE_WINDOW(win::HWND window, const char* title, int title_length, const int* record_style,
                     const float* x_fraction, const float* y_fraction, const float* width_fraction,
                     const float* height_fraction, const int* x, const int* y, const int* width,
                     const int* height, const win::COLORREF* text_colour, const win::HFONT* font,
                     const win::HCURSOR* cursor, const win::HBRUSH* brush, paint_callback paint,
                     scroll_callback scroll, changed_callback changed, const win::HBITMAP* bitmap,
                     menu_item_t* menu, int menu_count, const int* show_command, const int* repaint,
                     const int* remove_paint, const int* remove_scroll, const int* remove_changed,
                     int* ups);
// The worker: the menu as a handle; absent numbers -1, fractions -1.0,
// handles absent_handle(), the text colour kAbsentColour.
void C_REDEFINE_WINDOW(win::HWND window, const char* title, int title_length, int record_style,
                       float x_fraction, float y_fraction, float width_fraction,
                       float height_fraction, int x, int y, int width, int height,
                       win::COLORREF text_colour, win::HFONT font, win::HCURSOR cursor,
                       win::HBRUSH brush, paint_callback paint, scroll_callback scroll,
                       changed_callback changed, win::HBITMAP bitmap, win::HMENU menu,
                       int show_command, int repaint, int remove_paint, int remove_scroll,
                       int remove_changed, int* ups);

// Registers the main class (once per program).
bool REGISTER_MAIN_CLASS(win::HINSTANCE instance, const char* class_name, int class_length,
                         win::HICON icon, win::HCURSOR cursor, const char* menu_name,
                         int menu_length, win::HBRUSH brush);
// The class of a secondary window: the caller's (an existing class is
// taken as it is) or a generated name; the name used, or "" on failure.
std::string REGISTER_SECONDARY_CLASS(win::HINSTANCE instance, char* class_name, int class_length,
                                     win::HICON icon, win::HCURSOR cursor, const char* menu_name,
                                     int menu_length, win::HBRUSH brush, int* ups);
// Makes the usable client area (without status bar and toolbar) exactly
// this size, keeping the window's place.
void SET_CLIENT_SIZE(win::HWND window, int width, int height);
// A solid brush of the system window colour, made once.
win::HBRUSH GET_WINDOW_BRUSH();

// Forgets the generated class names, the window brush and the automatic
// box. For tests.
void reset_windows_part();

}  // namespace toolkit
