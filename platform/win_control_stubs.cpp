// TEMPORARY
#include "platform/win_controls_internal.h"
namespace win::detail {
#define STUB(n) LRESULT n(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }
STUB(menu_popup_proc)
void paint_menu_bar(Window&, HDC, const RECT&) {}
void track_menu_bar(HWND, POINT, bool, unsigned char) {}
void reset_menus() {}
}
