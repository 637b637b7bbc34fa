// The Button class: push buttons (the default one framed), check boxes,
// radio buttons and group boxes.
#include <algorithm>

#include "platform/win_dialog_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

struct ButtonData : ControlBase {
  int check = BST_UNCHECKED;
  bool pushed = false;    // drawn pressed
  bool tracking = false;  // the mouse holds it
  HANDLE image = nullptr;
};

DWORD kind(HWND h) { return style_of(h) & BS_TYPEMASK; }
bool is_push(DWORD k) { return k == BS_PUSHBUTTON || k == BS_DEFPUSHBUTTON; }
bool is_radio(DWORD k) { return k == BS_RADIOBUTTON || k == BS_AUTORADIOBUTTON; }

void set_pushed(HWND h, ButtonData& d, bool p) {
  if (d.pushed == p) return;
  d.pushed = p;
  InvalidateRect(h, nullptr, FALSE);
}

void set_check(HWND h, ButtonData& d, int c) {
  if (d.check == c) return;
  d.check = c;
  InvalidateRect(h, nullptr, FALSE);
}

// A click: the automatic kinds change their check, then the parent hears
// of it.
void click(HWND h) {
  ButtonData* d = data_of<ButtonData>(h);
  if (d == nullptr) return;
  switch (kind(h)) {
    case BS_AUTOCHECKBOX:
      set_check(h, *d, d->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      break;
    case BS_AUTO3STATE:
      set_check(h, *d, (d->check + 1) % 3);
      break;
    case BS_AUTORADIOBUTTON: {
      set_check(h, *d, BST_CHECKED);
      HWND parent = GetParent(h);
      for (HWND o = GetNextDlgGroupItem(parent, h, FALSE); o != nullptr && o != h;
           o = GetNextDlgGroupItem(parent, o, FALSE))
        if ((style_of(o) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) SendMessageA(o, BM_SETCHECK, 0, 0);
      break;
    }
    default:
      break;
  }
  notify_parent(h, BN_CLICKED);
}

UINT text_format(DWORD style, DWORD k) {
  UINT f = 0;
  DWORD align = style & BS_CENTER;
  if (align == 0) align = is_push(k) ? BS_CENTER : BS_LEFT;
  f |= align == BS_CENTER ? DT_CENTER : align == BS_RIGHT ? DT_RIGHT : DT_LEFT;
  f |= (style & BS_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER);
  return f;
}

// The label's rectangle within r as drawn with the format.
RECT label_rect(HDC dc, const std::string& text, const RECT& r, UINT f) {
  RECT m = r;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m, (f & ~DT_VCENTER) | DT_CALCRECT);
  int w = m.right - m.left, hgt = m.bottom - m.top;
  int x = (f & DT_CENTER)  ? r.left + (r.right - r.left - w) / 2
          : (f & DT_RIGHT) ? r.right - w
                           : r.left;
  int y = r.top + (r.bottom - r.top - hgt) / 2;
  return {x, y, x + w, y + hgt};
}

void paint_push(HWND h, HDC dc, const ButtonData& d, DWORD style) {
  RECT r = client_of(h);
  ask_colors(h, dc, WM_CTLCOLORBTN);
  const bool def = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  const bool enabled = IsWindowEnabled(h) != FALSE;
  fill(dc, r, GetSysColor(COLOR_BTNFACE));
  RECT b = r;
  if (def) {
    frame(dc, r, GetSysColor(COLOR_WINDOWFRAME));
    b = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  if (d.pushed)
    frame(dc, b, GetSysColor(COLOR_BTNSHADOW));
  else
    draw_raised(dc, b, false);
  RECT inner{b.left + 2, b.top + 2, b.right - 2, b.bottom - 2};
  if (d.pushed) inner = {inner.left + 1, inner.top + 1, inner.right + 1, inner.bottom + 1};
  if (d.image != nullptr && (style & (BS_ICON | BS_BITMAP))) {
    if (style & BS_ICON) {
      const int size = std::min(32, std::min(inner.right - inner.left, inner.bottom - inner.top));
      draw_icon(dc, inner.left + (inner.right - inner.left - size) / 2,
                inner.top + (inner.bottom - inner.top - size) / 2, reinterpret_cast<HICON>(d.image),
                size);
    } else {
      BITMAP bm;
      if (GetObjectA(reinterpret_cast<HBITMAP>(d.image), sizeof bm, &bm) != 0) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, reinterpret_cast<HBITMAP>(d.image));
        BitBlt(dc, inner.left + (inner.right - inner.left - bm.bmWidth) / 2,
               inner.top + (inner.bottom - inner.top - bm.bmHeight) / 2, bm.bmWidth, bm.bmHeight,
               mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
    }
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    draw_label(dc, text_of(h), inner, text_format(style, BS_PUSHBUTTON), enabled);
  }
  if (has_focus(h)) draw_focus_rect(dc, {b.left + 3, b.top + 3, b.right - 3, b.bottom - 3});
}

void paint_check_or_radio(HWND h, HDC dc, const ButtonData& d, DWORD style, bool radio) {
  RECT r = client_of(h);
  HBRUSH bg = ask_colors(h, dc, WM_CTLCOLORBTN);
  FillRect(dc, &r, bg);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  constexpr int kBox = 13;
  const int top = r.top + (r.bottom - r.top - kBox) / 2;
  const bool left_text = (style & BS_LEFTTEXT) != 0;
  RECT box = left_text ? RECT{r.right - kBox, top, r.right, top + kBox}
                       : RECT{r.left, top, r.left + kBox, top + kBox};
  const COLORREF inside = (d.pushed || !enabled) ? GetSysColor(COLOR_BTNFACE) : RGB(255, 255, 255);
  const COLORREF mark = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  if (radio) {
    HBRUSH in = CreateSolidBrush(inside);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ ob = SelectObject(dc, in), op = SelectObject(dc, pen);
    Ellipse(dc, box.left, box.top, box.right - 1, box.bottom - 1);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(in);
    DeleteObject(pen);
    if (d.check == BST_CHECKED)
      fill(dc, {box.left + 4, box.top + 4, box.left + 8, box.top + 8}, mark);
  } else {
    draw_sunken(dc, box);
    fill(dc, {box.left + 2, box.top + 2, box.right - 2, box.bottom - 2},
         d.check == BST_INDETERMINATE ? GetSysColor(COLOR_BTNFACE) : inside);
    if (d.check != BST_UNCHECKED)
      draw_check_mark(dc, {box.left + 2, box.top + 2, box.right - 2, box.bottom - 2},
                      d.check == BST_INDETERMINATE ? GetSysColor(COLOR_BTNSHADOW) : mark);
  }
  RECT tr = left_text ? RECT{r.left, r.top, box.left - 4, r.bottom}
                      : RECT{box.right + 4, r.top, r.right, r.bottom};
  const std::string text = text_of(h);
  const UINT f = text_format(style, BS_CHECKBOX);
  draw_label(dc, text, tr, f, enabled);
  if (has_focus(h) && !text.empty()) {
    RECT lr = label_rect(dc, text, tr, f);
    draw_focus_rect(dc, {lr.left - 1, lr.top - 1, lr.right + 1, lr.bottom + 1});
  }
}

void paint_group(HWND h, HDC dc) {
  RECT r = client_of(h);
  HBRUSH bg = ask_colors(h, dc, WM_CTLCOLORSTATIC);
  const std::string text = text_of(h);
  const int lh = line_height(control_font(h));
  const int top = r.top + lh / 2;
  // An etched frame: a shadow line with a highlight line inside it.
  frame(dc, {r.left, top, r.right - 1, r.bottom - 1}, GetSysColor(COLOR_BTNSHADOW));
  frame(dc, {r.left + 1, top + 1, r.right, r.bottom}, GetSysColor(COLOR_BTNHIGHLIGHT));
  fill(dc, {r.left + 1, top + 1, r.right - 2, top + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
  if (text.empty()) return;
  RECT tr{r.left + 8, r.top, r.right - 8, r.top + lh};
  RECT m = tr;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &m, DT_SINGLELINE | DT_CALCRECT);
  RECT back{tr.left - 2, tr.top, std::min(tr.right, m.right + 2), tr.top + lh};
  FillRect(dc, &back, bg);
  draw_label(dc, text, tr, DT_SINGLELINE | DT_LEFT, IsWindowEnabled(h) != FALSE);
}

}  // namespace

LRESULT button_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  const DWORD k = kind(h);
  LRESULT result;
  ButtonData* d =
      control_message<ButtonData>(h, msg, wp, lp, result, [h, k](HDC dc, const ButtonData& b) {
        if (is_push(k))
          paint_push(h, dc, b, style_of(h));
        else if (k == BS_GROUPBOX)
          paint_group(h, dc);
        else
          paint_check_or_radio(h, dc, b, style_of(h), is_radio(k));
      });
  if (d == nullptr) return result;
  switch (msg) {
    case WM_GETDLGCODE:
      if (k == BS_GROUPBOX) return DLGC_STATIC;
      if (is_radio(k)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (k == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (k == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      return DLGC_BUTTON;
    case WM_SETTEXT:
    case WM_ENABLE:
      if (msg == WM_SETTEXT) DefWindowProcA(h, msg, wp, lp);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case WM_SETFOCUS:
      InvalidateRect(h, nullptr, FALSE);
      // In a dialog a focused push button is the default one.
      if (is_push(k) && is_dialog(GetParent(h))) update_default_button(GetParent(h), h);
      return 0;
    case WM_KILLFOCUS:
      if (d->pushed && !d->tracking) set_pushed(h, *d, false);
      InvalidateRect(h, nullptr, FALSE);
      if (is_push(k) && is_dialog(GetParent(h)))
        update_default_button(GetParent(h), reinterpret_cast<HWND>(wp));
      return 0;
    case WM_LBUTTONDBLCLK:
      if (is_radio(k)) {
        notify_parent(h, BN_DOUBLECLICKED);
        return 0;
      }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
      if (k == BS_GROUPBOX) return 0;
      SetFocus(h);
      SetCapture(h);
      if ((d = data_of<ButtonData>(h)) == nullptr) return 0;
      d->tracking = true;
      set_pushed(h, *d, true);
      return 0;
    case WM_MOUSEMOVE:
      if (d->tracking) {
        RECT r = client_of(h);
        const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        set_pushed(h, *d, x >= r.left && x < r.right && y >= r.top && y < r.bottom);
      }
      return 0;
    case WM_LBUTTONUP:
      if (d->tracking) {
        const bool inside = d->pushed;
        d->tracking = false;
        set_pushed(h, *d, false);
        ReleaseCapture();
        if (inside) click(h);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (d->tracking) {
        d->tracking = false;
        set_pushed(h, *d, false);
      }
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_SPACE && k != BS_GROUPBOX) set_pushed(h, *d, true);
      return 0;
    case WM_KEYUP:
      if (wp == VK_SPACE && d->pushed && !d->tracking) {
        set_pushed(h, *d, false);
        click(h);
      }
      return 0;
    case WM_CHAR:
      return 0;
    case BM_GETCHECK:
      return d->check;
    case BM_SETCHECK:
      if (!is_push(k) && k != BS_GROUPBOX)
        set_check(h, *d, static_cast<int>(std::min<WPARAM>(wp, BST_INDETERMINATE)));
      return 0;
    case BM_GETSTATE:
      return d->check | (d->pushed ? BST_PUSHED : 0) | (has_focus(h) ? BST_FOCUS : 0);
    case BM_SETSTATE:
      set_pushed(h, *d, wp != 0);
      return 0;
    case BM_SETSTYLE: {
      SetWindowLongA(h, GWL_STYLE, static_cast<LONG>((style_of(h) & ~0xFFFFu) | (wp & 0xFFFF)));
      if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      click(h);
      return 0;
    case BM_SETIMAGE: {
      HANDLE old = d->image;
      d->image = reinterpret_cast<HANDLE>(lp);
      InvalidateRect(h, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE:
      return reinterpret_cast<LRESULT>(d->image);
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail
