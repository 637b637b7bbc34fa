#include "toolkit/windows.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "platform/win_resources.h"
#include "toolkit/accelerators.h"
#include "toolkit/boxes.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/scrolling.h"
#include "toolkit/standins.h"
#include "toolkit/status.h"
#include "toolkit/statusbar.h"
#include "toolkit/toolbar.h"
#include "toolkit/window_proc.h"

namespace toolkit {

namespace {

int highest_class_number = -1;
win::HBRUSH window_brush = nullptr;

bool class_exists(const std::string& name) {
  win::WNDCLASSA wc;
  return win::GetClassInfoA(nullptr, name.c_str(), &wc) != 0;
}

// The window class description shared by the main and secondary classes.
bool register_class(win::HINSTANCE instance, const std::string& name, win::HICON icon,
                    win::HCURSOR cursor, win::HBRUSH brush) {
  win::WNDCLASSA wc;
  wc.style = kClassStyle;
  wc.lpfnWndProc = MAIN_WINDOW_PROC;
  wc.hInstance = instance;
  wc.hIcon = icon != nullptr ? icon : win::LoadIconA(nullptr, win::IDI_APPLICATION);
  wc.hCursor = cursor;
  wc.hbrBackground = brush;
  wc.lpszClassName = name.c_str();
  return win::RegisterClassA(&wc) != 0;
}

// A place or size from a fraction of the desktop (cut to the desktop),
// else the given pixels, else the system's choice.
int desktop_part(const float* fraction, const int* pixels, int extent) {
  if (fraction != nullptr)
    return std::min(extent, static_cast<int>(std::lround(extent * *fraction)));
  if (pixels != nullptr) return *pixels;
  return win::CW_USEDEFAULT;
}

struct placement {
  int x = win::CW_USEDEFAULT, y = win::CW_USEDEFAULT;
  int width = win::CW_USEDEFAULT, height = win::CW_USEDEFAULT;
};

placement place(const float* x, const float* y, const float* width, const float* height,
                const int* client_width, const int* client_height, int* ups) {
  win::RECT desk{};
  if (!win::GetClientRect(win::GetDesktopWindow(), &desk))
    REPORT_SYSTEM_ERROR(ups, "System error getting desktop");
  const int dw = desk.right - desk.left, dh = desk.bottom - desk.top;
  return {desktop_part(x, nullptr, dw), desktop_part(y, nullptr, dh),
          desktop_part(width, client_width, dw), desktop_part(height, client_height, dh)};
}

// Makes the menu bar (when there is one) and the accelerator table, which
// every window creation makes anew.
win::HMENU menu_and_accelerators(menu_item_t* menu, int menu_count, int* ups) {
  const win::HMENU bar = menu != nullptr ? MAKE_MENU(menu, menu_count, 0, ups) : nullptr;
  prepare_accelerator_list();
  CREATE_ACCELERATOR_TABLE(accelerator_list.data(), static_cast<int>(accelerator_list.size()), ups);
  return bar;
}

void fit_client(win::HWND window, const int* client_width, const int* client_height) {
  if (client_width == nullptr) return;
  win::RECT c{};
  win::GetClientRect(window, &c);
  SET_CLIENT_SIZE(window, *client_width, client_height != nullptr ? *client_height : c.bottom);
}

// The bars take their room from the client area: the usable area gets the
// size asked for once they are there.
void refit_client(win::HWND window, const int* client_width, const int* client_height) {
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (client_width == nullptr || r == nullptr) return;
  UPDATE_CLIENT_RECT(*r);
  SET_CLIENT_SIZE(window, *client_width,
                  client_height != nullptr ? *client_height : r->client.bottom - r->client.top);
}

void show(win::HWND window, const int* show_command) {
  win::ShowWindow(window, show_command != nullptr ? *show_command : win::SW_SHOWNORMAL);
  UPDATE_WINDOW(window, nullptr, nullptr, nullptr);
}

}  // namespace

win::HBRUSH GET_WINDOW_BRUSH() {
  if (window_brush == nullptr)
    window_brush = win::CreateSolidBrush(win::GetSysColor(win::COLOR_WINDOW));
  return window_brush;
}

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
                        const win::HBITMAP* bitmap, int* ups) {
  CLEAR_STATUS(ups);
  const std::string text = trimmed_text(title, title_length);
  INIT_TOOLKIT();
  const win::HINSTANCE instance = GET_MODULE_HANDLE();
  const bool auto_box = record_style != nullptr
                            ? (*record_style & (kStyleHScroll | kStyleVScroll)) != 0
                            : scroll_file != nullptr;
  const placement at = place(x, y, width, height, client_width, client_height, ups);
  const win::HCURSOR class_cursor =
      cursor != nullptr ? *cursor : win::LoadCursorA(nullptr, win::IDC_ARROW);
  const win::HMENU bar = menu_and_accelerators(menu, menu_count, ups);
  const win::HBRUSH background = brush != nullptr ? *brush : GET_WINDOW_BRUSH();
  REGISTER_MAIN_CLASS(instance, kMainClass, 18, icon != nullptr ? *icon : nullptr, class_cursor,
                      nullptr, 0, background);
  const win::HWND window =
      C_CREATE_WINDOW_EX(0, kMainClass, 18, text.data(), static_cast<int>(text.size()),
                         style != nullptr ? *style : kDefaultWindowStyle, at.x, at.y, at.width,
                         at.height, nullptr, bar, instance, nullptr);
  if (window == nullptr) {
    REPORT_SYSTEM_ERROR(ups, "Unable to create main window");
    return nullptr;
  }
  fit_client(window, client_width, client_height);
  const int no_repaint = 0;
  if (status_items != nullptr)
    SET_STATUS_BAR(status_items, status_count, &no_repaint, nullptr, &window, ups);
  const int main_flag = 1;
  if (auto_box) {
    const int no_style = 0;
    SETUP_WINDOW_RECORD(window, nullptr, nullptr, &no_style, nullptr, 0, text_colour, font, brush,
                        text.data(), static_cast<int>(text.size()), close, nullptr, changed,
                        nullptr, &main_flag, ups);
    const float whole[4] = {0.0F, 0.0F, 1.0F, 1.0F};
    const win::HBRUSH no_frame = nullptr;
    main_auto_box =
        DEFINE_BOX(&window, record_style, scroll_file, scroll_file_length, nullptr, &whole[0],
                   &whole[1], &whole[2], &whole[3], nullptr, nullptr, nullptr, nullptr, brush,
                   text_colour, font, &no_frame, paint, scroll, bitmap, ups);
  } else {
    SETUP_WINDOW_RECORD(window, paint, nullptr, record_style, scroll_file, scroll_file_length,
                        text_colour, font, brush, text.data(), static_cast<int>(text.size()), close,
                        scroll, changed, bitmap, &main_flag, ups);
  }
  if (toolbar_items != nullptr)
    SET_TOOLBAR(toolbar_items, toolbar_count, &window, nullptr, nullptr, nullptr, nullptr, nullptr,
                nullptr, ups);
  refit_client(window, client_width, client_height);
  show(window, show_command);
  return window;
}

win::HWND CREATE_SECONDARY_WINDOW(
    const char* title, int title_length, menu_item_t* menu, int menu_count,
    toolbar_item_t* toolbar_items, int toolbar_count, char* class_name, int class_name_length,
    const win::DWORD* style, const float* x, const float* y, const float* width,
    const float* height, const int* client_width, const int* client_height, const int* record_style,
    const char* scroll_file, int scroll_file_length, const win::COLORREF* text_colour,
    const win::HFONT* font, const win::HWND* owner, const win::HICON* icon,
    const win::HCURSOR* cursor, const win::HBRUSH* brush, const int* show_command,
    paint_callback paint, close_callback close, scroll_callback scroll, changed_callback changed,
    const win::HBITMAP* bitmap, int* ups) {
  CLEAR_STATUS(ups);
  const std::string text = trimmed_text(title, title_length);
  INIT_TOOLKIT();
  const win::HINSTANCE instance = GET_MODULE_HANDLE();
  win::DWORD window_style = style != nullptr ? *style : kDefaultWindowStyle;
  if (record_style != nullptr) {
    if ((*record_style & kStyleHScroll) != 0) window_style |= win::WS_HSCROLL;
    if ((*record_style & kStyleVScroll) != 0) window_style |= win::WS_VSCROLL;
  } else if (scroll_file != nullptr) {
    window_style |= win::WS_HSCROLL | win::WS_VSCROLL;
  }
  const placement at = place(x, y, width, height, client_width, client_height, ups);
  const win::HCURSOR class_cursor =
      cursor != nullptr ? *cursor : win::LoadCursorA(nullptr, win::IDC_ARROW);
  const win::HMENU bar = menu_and_accelerators(menu, menu_count, ups);
  const std::string cls = REGISTER_SECONDARY_CLASS(
      instance, class_name, class_name_length, icon != nullptr ? *icon : nullptr, class_cursor,
      nullptr, 0, brush != nullptr ? *brush : GET_WINDOW_BRUSH(), ups);
  const win::HWND window =
      C_CREATE_WINDOW_EX(0, cls.data(), static_cast<int>(cls.size()), text.data(),
                         static_cast<int>(text.size()), window_style, at.x, at.y, at.width,
                         at.height, owner != nullptr ? *owner : nullptr, bar, instance, nullptr);
  if (window == nullptr) {
    REPORT_SYSTEM_ERROR(ups, "Unable to create secondary window");
    return nullptr;
  }
  fit_client(window, client_width, client_height);
  SETUP_WINDOW_RECORD(window, paint, nullptr, record_style, scroll_file, scroll_file_length,
                      text_colour, font, brush, nullptr, 0, close, scroll, changed, bitmap, nullptr,
                      ups);
  if (toolbar_items != nullptr)
    SET_TOOLBAR(toolbar_items, toolbar_count, &window, nullptr, nullptr, nullptr, nullptr, nullptr,
                nullptr, ups);
  refit_client(window, client_width, client_height);
  show(window, show_command);
  return window;
}

void REDEFINE_WINDOW(win::HWND window, const char* title, int title_length, const int* record_style,
                     const float* x_fraction, const float* y_fraction, const float* width_fraction,
                     const float* height_fraction, const int* x, const int* y, const int* width,
                     const int* height, const win::COLORREF* text_colour, const win::HFONT* font,
                     const win::HCURSOR* cursor, const win::HBRUSH* brush, paint_callback paint,
                     scroll_callback scroll, changed_callback changed, const win::HBITMAP* bitmap,
                     menu_item_t* menu, int menu_count, const int* show_command, const int* repaint,
                     const int* remove_paint, const int* remove_scroll, const int* remove_changed,
                     int* ups) {
  CLEAR_STATUS(ups);
  win::HMENU bar = absent_handle<win::HMENU>();
  if (menu != nullptr) bar = menu_and_accelerators(menu, menu_count, ups);
  auto flag = [](const int* v) { return v != nullptr && *v != 0 ? 1 : 0; };
  C_REDEFINE_WINDOW(window, title, title_length, or_absent(record_style), or_absent(x_fraction),
                    or_absent(y_fraction), or_absent(width_fraction), or_absent(height_fraction),
                    or_absent(x), or_absent(y), or_absent(width), or_absent(height),
                    colour_or_absent(text_colour), or_absent(font), or_absent(cursor),
                    or_absent(brush), paint, scroll, changed, or_absent(bitmap), bar,
                    or_absent(show_command), or_absent(repaint), flag(remove_paint),
                    flag(remove_scroll), flag(remove_changed), ups);
}

void C_REDEFINE_WINDOW(win::HWND window, const char* title, int title_length, int record_style,
                       float x_fraction, float y_fraction, float width_fraction,
                       float height_fraction, int x, int y, int width, int height,
                       win::COLORREF text_colour, win::HFONT font, win::HCURSOR cursor,
                       win::HBRUSH brush, paint_callback paint, scroll_callback scroll,
                       changed_callback changed, win::HBITMAP bitmap, win::HMENU menu,
                       int show_command, int repaint, int remove_paint, int remove_scroll,
                       int remove_changed, int* ups) {
  CLEAR_STATUS(ups);
  window_record_t* r = FIND_WINDOW_RECORD(window);
  if (r == nullptr) {
    if (window == nullptr || !win::IsWindow(window)) {
      SET_STATUS(ups, "Invalid window argument in REDEFINE_WINDOW", kToolkitError);
      return;
    }
    r = SETUP_WINDOW_RECORD(window, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                            nullptr, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, ups);
    if (r == nullptr) return;
  }
  if (title != nullptr) win::SetWindowTextA(window, trimmed_text(title, title_length).c_str());
  if (record_style != -1) r->style = record_style;
  if (text_colour != kAbsentColour) r->text_colour = text_colour;
  if (scroll != nullptr) r->scroll_proc = scroll;
  if (changed != nullptr) r->changed = changed;
  if (given(bitmap)) ATTACH_BITMAP(*r, bitmap);
  if (given(font)) {
    r->font = font;
    bool variable = false;
    MEASURE_FONT(font, r->char_width, r->line_height, variable);
    r->scroll.flags =
        variable ? r->scroll.flags | kScrollVariablePitch : r->scroll.flags & ~kScrollVariablePitch;
  }
  if (given(brush)) {
    r->background = brush_colour(brush);
    win::SetClassLongPtrA(window, win::GCLP_HBRBACKGROUND, reinterpret_cast<win::LONG_PTR>(brush));
  }
  if (paint != nullptr) {
    r->paint = paint;
    if (record_style == -1) r->style = kStylePaint;
  }
  if (given(menu) && !win::SetMenu(window, menu))
    SET_STATUS_FROM_SYSTEM(ups, "Unable to replace the window menu");
  if (remove_scroll != 0) r->scroll_proc = nullptr;
  if (remove_changed != 0) r->changed = nullptr;
  if (remove_paint != 0) r->paint = nullptr;
  const float fractions[4] = {x_fraction, y_fraction, width_fraction, height_fraction};
  const int pixels[4] = {x, y, width, height};
  bool moved = false;
  for (int i = 0; i < 4; ++i) moved = moved || fractions[i] != -1.0F || pixels[i] != -1;
  if (moved) {
    win::RECT desk{}, now{};
    win::GetClientRect(win::GetDesktopWindow(), &desk);
    win::GetWindowRect(window, &now);
    const int dw = desk.right - desk.left, dh = desk.bottom - desk.top;
    const int origin[4] = {desk.left, desk.top, 0, 0};
    const int extent[4] = {dw, dh, dw, dh};
    const int current[4] = {now.left, now.top, now.right - now.left, now.bottom - now.top};
    int v[4];
    for (int i = 0; i < 4; ++i)
      v[i] = pixels[i] != -1 ? pixels[i]
             : fractions[i] != -1.0F
                 ? static_cast<int>(std::lround(extent[i] * fractions[i])) + origin[i]
                 : current[i];
    win::MoveWindow(window, v[0], v[1], v[2], v[3], win::TRUE);
  }
  if (show_command != -1) win::ShowWindow(window, show_command);
  if (given(cursor))
    win::SetClassLongPtrA(window, win::GCLP_HCURSOR, reinterpret_cast<win::LONG_PTR>(cursor));
  if (repaint != 0) UPDATE_WINDOW(window, nullptr, nullptr, nullptr);
}

bool REGISTER_MAIN_CLASS(win::HINSTANCE instance, const char* class_name, int class_length,
                         win::HICON icon, win::HCURSOR cursor, const char*, int,
                         win::HBRUSH brush) {
  const std::string name = trimmed_text(class_name, class_length);
  win::OSVERSIONINFOA version;
  if (!win::GetVersionExA(&version))
    SET_STATUS_FROM_SYSTEM(nullptr,
                           "Your program is not correctly interfacing with the Windows API");
  // Registered once per program: a later main window takes the class as it is.
  const bool ok = class_exists(name) || register_class(instance, name, icon, cursor, brush);
  if (!ok) SET_STATUS_FROM_SYSTEM(nullptr, "Unable to register the main class");
  INIT_DISPLAY_METRICS();
  return ok;
}

std::string REGISTER_SECONDARY_CLASS(win::HINSTANCE instance, char* class_name, int class_length,
                                     win::HICON icon, win::HCURSOR cursor, const char*, int,
                                     win::HBRUSH brush, int* ups) {
  std::string name = trimmed_text(class_name, class_length);
  if (name.empty()) {
    for (int i = 0; i <= highest_class_number + 1; ++i) {
      char generated[32];
      std::snprintf(generated, sizeof generated, "FENSTRA_CLASS%i", i);
      if (class_exists(generated)) continue;
      name = generated;
      highest_class_number = std::max(highest_class_number, i);
      break;
    }
  }
  if (!class_exists(name) && !register_class(instance, name, icon, cursor, brush)) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to register class");
    return {};
  }
  COPY_C_TO_PADDED(name.c_str(), class_name, class_length);
  return name;
}

void SET_CLIENT_SIZE(win::HWND window, int width, int height) {
  win::RECT usable{};
  if (window_record_t* r = FIND_WINDOW_RECORD(window)) {
    UPDATE_CLIENT_RECT(*r);
    usable = r->client;
  } else {
    win::GetClientRect(window, &usable);
  }
  const int dw = width - (usable.right - usable.left);
  const int dh = height - (usable.bottom - usable.top);
  if (dw == 0 && dh == 0) return;
  win::RECT outer{};
  win::GetWindowRect(window, &outer);
  win::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + dw,
                    outer.bottom - outer.top + dh,
                    win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
}

void reset_windows_part() {
  highest_class_number = -1;
  if (window_brush != nullptr) win::DeleteObject(window_brush);
  window_brush = nullptr;
  main_auto_box = nullptr;
}

}  // namespace toolkit
