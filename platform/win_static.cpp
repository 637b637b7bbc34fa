// The Static class: texts (left with word breaks, centred, right), filled
// rectangles and frames in black, grey and white, and icons.
#include "platform/win_controls_internal.h"

namespace win::detail {

namespace {

struct StaticData : ControlBase {
  HICON icon = nullptr;
};

COLORREF shade(DWORD type) {
  switch (type) {
    case SS_BLACKRECT:
    case SS_BLACKFRAME:
      return GetSysColor(COLOR_WINDOWFRAME);
    case SS_GRAYRECT:
    case SS_GRAYFRAME:
      return GetSysColor(COLOR_BTNSHADOW);
    default:
      return GetSysColor(COLOR_BTNHIGHLIGHT);
  }
}

void paint(HWND h, HDC dc, const StaticData& d) {
  const DWORD style = style_of(h);
  const DWORD type = style & SS_TYPEMASK;
  RECT r = client_of(h);
  if (type >= SS_BLACKRECT && type <= SS_WHITERECT) {
    fill(dc, r, shade(type));
    return;
  }
  HBRUSH bg = ask_colors(h, dc, WM_CTLCOLORSTATIC);
  if (type >= SS_BLACKFRAME && type <= SS_WHITEFRAME) {
    frame(dc, r, shade(type));
    return;
  }
  FillRect(dc, &r, bg);
  if (type == SS_ICON) {
    if (d.icon != nullptr) draw_icon(dc, r.left, r.top, d.icon, 32);
    return;
  }
  UINT f = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
  f |= DT_WORDBREAK | DT_EXPANDTABS;
  if (style & SS_NOPREFIX) f |= DT_NOPREFIX;
  draw_label(dc, text_of(h), r, f, IsWindowEnabled(h) != FALSE);
}

}  // namespace

LRESULT static_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result;
  StaticData* d = control_message<StaticData>(
      h, msg, wp, lp, result, [h](HDC dc, const StaticData& s) { paint(h, dc, s); });
  if (d == nullptr) return result;
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETTEXT:
      DefWindowProcA(h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case STM_SETICON: {
      HICON old = d->icon;
      d->icon = reinterpret_cast<HICON>(wp);
      InvalidateRect(h, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
      return reinterpret_cast<LRESULT>(d->icon);
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail
