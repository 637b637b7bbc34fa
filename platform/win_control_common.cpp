// What the built-in controls share: the class table, fonts, colours asked
// of the parent, notifications, and the classic 3-D drawing.
#include <algorithm>

#include "platform/charcase.h"
#include "platform/win_commctrl.h"
#include "platform/win_controls_internal.h"
#include "platform/win_dialog.h"
#include "platform/win_resources.h"

namespace win::detail {

void register_builtin_classes() {
  struct Builtin {
    const char* name;
    ATOM atom;
    WNDPROC proc;
    UINT style;
    int extra;
    const char* cursor;
  };
  const Builtin table[] = {
      {"Button", 0x80, button_proc, CS_DBLCLKS | CS_PARENTDC, 0, IDC_ARROW},
      {"Edit", 0x81, edit_proc, CS_DBLCLKS | CS_PARENTDC, 0, IDC_IBEAM},
      {"Static", 0x82, static_proc, CS_PARENTDC, 0, IDC_ARROW},
      {"ListBox", 0x83, listbox_proc, CS_DBLCLKS | CS_PARENTDC, 0, IDC_ARROW},
      {"ScrollBar", 0x84, scrollbar_proc, CS_DBLCLKS | CS_PARENTDC, 0, IDC_ARROW},
      {"ComboBox", 0x85, combo_proc, CS_DBLCLKS | CS_PARENTDC, 0, IDC_ARROW},
      {"ComboLBox", 0, combo_list_proc, CS_DBLCLKS | CS_SAVEBITS, 0, IDC_ARROW},
      {"#32770", 0x8002, dialog_class_proc, CS_DBLCLKS | CS_SAVEBITS, DLGWINDOWEXTRA, IDC_ARROW},
      {"#32768", 0x8000, menu_popup_proc, CS_DBLCLKS | CS_SAVEBITS, 0, IDC_ARROW},
      {UPDOWN_CLASSA, 0, updown_proc, 0, 0, IDC_ARROW},
      {TRACKBAR_CLASSA, 0, trackbar_proc, CS_DBLCLKS, 0, IDC_ARROW},
      {PROGRESS_CLASSA, 0, progress_proc, CS_VREDRAW | CS_HREDRAW, 0, IDC_ARROW},
      {TOOLBARCLASSNAMEA, 0, toolbar_proc, CS_DBLCLKS, 0, IDC_ARROW},
      {TOOLTIPS_CLASSA, 0, tooltip_proc, CS_SAVEBITS, 0, IDC_ARROW},
  };
  for (const Builtin& b : table) {
    WNDCLASSEXA wc;
    wc.lpszClassName = b.name;
    wc.lpfnWndProc = b.proc;
    wc.style = b.style | CS_GLOBALCLASS;
    wc.cbWndExtra = b.extra;
    wc.hCursor = LoadCursorA(nullptr, b.cursor);
    register_builtin_class(wc, b.atom);
  }
}

bool font_message(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  ControlBase* b = data_of<ControlBase>(h);
  if (b == nullptr || (msg != WM_SETFONT && msg != WM_GETFONT)) return false;
  if (msg == WM_SETFONT) {
    b->font = reinterpret_cast<HFONT>(wp);
    if (LOWORD(lp)) InvalidateRect(h, nullptr, TRUE);
    result = 0;
  } else {
    result = reinterpret_cast<LRESULT>(b->font);
  }
  return true;
}

HFONT control_font(HWND h) {
  ControlBase* b = data_of<ControlBase>(h);
  return b != nullptr && b->font != nullptr ? b->font
                                            : reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

DWORD style_of(HWND h) { return static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)); }

int control_id(HWND h) { return GetDlgCtrlID(h); }

RECT client_of(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return r;
}

std::string text_of(HWND h) {
  Window* w = find(h);
  return w != nullptr ? w->text : std::string();
}

bool has_focus(HWND h) { return h != nullptr && GetFocus() == h; }

void notify_parent(HWND h, WORD code) {
  HWND parent = GetParent(h);
  if (parent == nullptr) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control_id(h)), code),
               reinterpret_cast<LPARAM>(h));
}

HBRUSH ask_colors(HWND h, HDC dc, UINT ctlcolor) {
  HWND parent = GetParent(h);
  LRESULT r = 0;
  if (parent != nullptr)
    r = SendMessageA(parent, ctlcolor, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h));
  if (r == 0)
    r = DefWindowProcA(h, ctlcolor, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h));
  return reinterpret_cast<HBRUSH>(r);
}

void fill(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void frame(HDC dc, const RECT& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FrameRect(dc, &r, b);
  DeleteObject(b);
}

namespace {

// One pixel wide edges: top and left in one colour, bottom and right in
// another.
void edges(HDC dc, const RECT& r, COLORREF tl, COLORREF br) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  fill(dc, {r.left, r.top, r.right - 1, r.top + 1}, tl);
  fill(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, tl);
  fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, br);
  fill(dc, {r.right - 1, r.top, r.right, r.bottom}, br);
}

RECT shrink(const RECT& r, int d) { return {r.left + d, r.top + d, r.right - d, r.bottom - d}; }

}  // namespace

void draw_raised(HDC dc, const RECT& r, bool pushed) {
  if (pushed) {
    edges(dc, r, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    edges(dc, shrink(r, 1), GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DLIGHT));
  } else {
    edges(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    edges(dc, shrink(r, 1), GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
  }
}

void draw_sunken(HDC dc, const RECT& r) {
  edges(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  edges(dc, shrink(r, 1), GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
}

void draw_focus_rect(HDC dc, const RECT& r) {
  if (r.right - r.left < 2 || r.bottom - r.top < 2) return;
  for (int x = r.left; x < r.right; x += 2) {
    SetPixelV(dc, x, r.top, 0);
    SetPixelV(dc, x, r.bottom - 1, 0);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    SetPixelV(dc, r.left, y, 0);
    SetPixelV(dc, r.right - 1, y, 0);
  }
}

void draw_arrow(HDC dc, const RECT& r, int dir, COLORREF c) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int n = std::max(2, std::min(w, h) / 4);  // half the base, in pixels
  const int cx = r.left + w / 2, cy = r.top + h / 2;
  POINT p[3];
  switch (dir) {
    case 0:
      p[0] = {cx - n, cy + n / 2}, p[1] = {cx + n, cy + n / 2}, p[2] = {cx, cy - n / 2 - 1};
      break;
    case 1:
      p[0] = {cx - n, cy - n / 2}, p[1] = {cx + n, cy - n / 2}, p[2] = {cx, cy + n / 2 + 1};
      break;
    case 2:
      p[0] = {cx + n / 2, cy - n}, p[1] = {cx + n / 2, cy + n}, p[2] = {cx - n / 2 - 1, cy};
      break;
    default:
      p[0] = {cx - n / 2, cy - n}, p[1] = {cx - n / 2, cy + n}, p[2] = {cx + n / 2 + 1, cy};
      break;
  }
  HBRUSH b = CreateSolidBrush(c);
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, pen);
  Polygon(dc, p, 3);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(pen);
}

void draw_check_mark(HDC dc, const RECT& box, COLORREF c) {
  // A tick of three-pixel strokes: down to the lower third, then up.
  const int w = box.right - box.left, h = box.bottom - box.top;
  const int x0 = box.left + w / 5, y0 = box.top + h * 2 / 5;
  const int x1 = box.left + w * 2 / 5, y1 = box.top + h * 3 / 5;
  const int x2 = box.right - w / 5, y2 = box.top + h / 5;
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ op = SelectObject(dc, pen);
  for (int d = 0; d < 3; ++d) {
    MoveToEx(dc, x0, y0 + d, nullptr);
    LineTo(dc, x1, y1 + d);
    LineTo(dc, x2 + 1, y2 + d - 1);
  }
  SelectObject(dc, op);
  DeleteObject(pen);
}

void draw_label(HDC dc, std::string_view text, RECT r, UINT format, bool enabled) {
  SetBkMode(dc, TRANSPARENT);
  if (!enabled) {
    COLORREF old = SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    RECT s{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &s, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, format);
    SetTextColor(dc, old);
    return;
  }
  DrawTextA(dc, text.data(), static_cast<int>(text.size()), &r, format);
}

void draw_arrow_button(HDC dc, const RECT& r, int dir, bool pushed, bool enabled) {
  fill(dc, r, GetSysColor(COLOR_BTNFACE));
  draw_raised(dc, r, pushed);
  RECT a = r;
  if (pushed) a = {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
  draw_arrow(dc, a, dir, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
}

unsigned char upper_key(unsigned char c) { return plat::upper1252(c); }

unsigned char mnemonic_of(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return upper_key(static_cast<unsigned char>(text[i + 1]));
  }
  return 0;
}

}  // namespace win::detail

namespace win::detail {

int line_height(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return std::max<LONG>(1, tm.tmHeight);
}

}  // namespace win::detail
