// TEMPORARY
#include "platform/win_controls_internal.h"
namespace win::detail {
#define STUB(n) LRESULT n(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }
STUB(listbox_proc) STUB(combo_proc) STUB(combo_list_proc) STUB(scrollbar_proc) STUB(updown_proc)
STUB(trackbar_proc) STUB(progress_proc) STUB(toolbar_proc) STUB(tooltip_proc) STUB(menu_popup_proc)
HWND combo_of(HWND) { return nullptr; }
bool combo_field_key(HWND, WPARAM) { return false; }
void track_mouse_leave(HWND) {}
void paint_menu_bar(Window&, HDC, const RECT&) {}
void paint_window_scroll_bars(Window&, HDC) {}
void track_window_scroll_bar(HWND, int, POINT) {}
void track_menu_bar(HWND, POINT, bool, unsigned char) {}
void reset_menus() {}
}
namespace win { void InitCommonControls() {} }
