// The toolbar (a row of image buttons along the top of its parent) and the
// tooltip window it shows after the mouse rests on a button.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win_controls_internal.h"
#include "platform/win_resources.h"
#include "platform/win_toolbar_internal.h"

namespace win::detail {

namespace {

constexpr int kTop = 2;        // below the divider line
constexpr int kSeparator = 8;  // width of a separator
constexpr UINT_PTR kTipTimer = 1;
constexpr UINT kTipDelay = 500;  // milliseconds of rest before a tooltip

struct Button {
  int image = 0;
  int command = 0;
  BYTE state = TBSTATE_ENABLED;
  BYTE style = TBSTYLE_BUTTON;
};

struct ToolbarData : ControlBase {
  std::vector<Button> buttons;
  std::vector<cairo_surface_t*> images;  // ARGB, one per image index
  SIZE image{16, 15};
  SIZE button{24, 22};
  std::size_t record_size = sizeof(TBBUTTON);
  int pressed = -1;  // held by the mouse
  bool inside = false;
  int hot = -1;  // under the mouse, for its tooltip
  HWND tip = nullptr;
  ~ToolbarData() override {
    for (cairo_surface_t* s : images) cairo_surface_destroy(s);
  }
};

ToolbarData* tb(HWND h) { return data_of<ToolbarData>(h); }

RECT button_rect(const ToolbarData& d, int index) {
  int x = 0;
  for (int i = 0; i < index; ++i) {
    const Button& b = d.buttons[static_cast<std::size_t>(i)];
    if (b.state & TBSTATE_HIDDEN) continue;
    x += (b.style & TBSTYLE_SEP) ? (b.image > 0 ? b.image : kSeparator) : d.button.cx;
  }
  const Button& b = d.buttons[static_cast<std::size_t>(index)];
  const int w = (b.state & TBSTATE_HIDDEN) ? 0
                : (b.style & TBSTYLE_SEP)  ? (b.image > 0 ? b.image : kSeparator)
                                           : d.button.cx;
  return {x, kTop, x + w, kTop + d.button.cy};
}

int button_at(const ToolbarData& d, POINT p) {
  for (int i = 0; i < static_cast<int>(d.buttons.size()); ++i) {
    const Button& b = d.buttons[static_cast<std::size_t>(i)];
    if ((b.state & TBSTATE_HIDDEN) || (b.style & TBSTYLE_SEP)) continue;
    const RECT r = button_rect(d, i);
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom) return i;
  }
  return -1;
}

int index_of(const ToolbarData& d, WPARAM command) {
  for (std::size_t i = 0; i < d.buttons.size(); ++i)
    if (d.buttons[i].command == static_cast<int>(command) && !(d.buttons[i].style & TBSTYLE_SEP))
      return static_cast<int>(i);
  return -1;
}

// Images of a bitmap cut into pieces of the image size; light grey shows
// the button face.
void add_bitmap_images(ToolbarData& d, HBITMAP bm, int count) {
  cairo_surface_t* src = plat::bitmap_surface(bm);
  if (src == nullptr) return;
  cairo_surface_flush(src);
  const int bw = cairo_image_surface_get_width(src), bh = cairo_image_surface_get_height(src);
  const int stride = cairo_image_surface_get_stride(src);
  const unsigned char* px = cairo_image_surface_get_data(src);
  for (int k = 0; k < count; ++k) {
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, d.image.cx, d.image.cy);
    cairo_surface_flush(img);
    unsigned char* out = cairo_image_surface_get_data(img);
    const int ostride = cairo_image_surface_get_stride(img);
    for (int y = 0; y < d.image.cy && y < bh; ++y)
      for (int x = 0; x < d.image.cx; ++x) {
        const int sx = k * d.image.cx + x;
        if (sx >= bw) break;
        std::uint32_t v;
        std::memcpy(&v, px + y * stride + sx * 4, 4);
        v &= 0xFFFFFF;
        const std::uint32_t a = v == 0xC0C0C0 ? 0 : 0xFF000000u | v;
        std::memcpy(out + y * ostride + x * 4, &a, 4);
      }
    cairo_surface_mark_dirty(img);
    d.images.push_back(img);
  }
}

LRESULT add_bitmap(ToolbarData& d, int count, const TBADDBITMAP* ab) {
  if (ab == nullptr) return -1;
  const int first = static_cast<int>(d.images.size());
  if (ab->hInst == HINST_COMMCTRL) {
    const int n = standard_image_count(ab->nID);
    if (n == 0) return -1;
    for (int i = 0; i < n; ++i)
      d.images.push_back(standard_image(ab->nID, i, d.image.cx, d.image.cy));
    return first;
  }
  HBITMAP bm = ab->hInst == nullptr
                   ? reinterpret_cast<HBITMAP>(ab->nID)
                   : LoadBitmapA(ab->hInst, MAKEINTRESOURCEA(static_cast<WORD>(ab->nID)));
  if (bm == nullptr || GetObjectType(bm) != OBJ_BITMAP) return -1;
  add_bitmap_images(d, bm, std::max(1, count));
  if (ab->hInst != nullptr) DeleteObject(bm);
  return first;
}

void draw_image(HDC dc, cairo_surface_t* img, int x, int y, bool enabled) {
  POINT origin;
  cairo_surface_t* s = plat::dc_surface(dc, &origin);
  RECT clip;
  if (img == nullptr || s == nullptr || GetClipBox(dc, &clip) == 0) return;
  cairo_t* cr = cairo_create(s);
  cairo_translate(cr, origin.x, origin.y);
  cairo_rectangle(cr, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  cairo_clip(cr);
  if (enabled) {
    cairo_set_source_surface(cr, img, x, y);
    cairo_paint(cr);
  } else {
    // Disabled: the image's shape embossed, white under grey.
    const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
    cairo_set_source_rgb(cr, GetRValue(hi) / 255.0, GetGValue(hi) / 255.0, GetBValue(hi) / 255.0);
    cairo_mask_surface(cr, img, x + 1, y + 1);
    cairo_set_source_rgb(cr, GetRValue(sh) / 255.0, GetGValue(sh) / 255.0, GetBValue(sh) / 255.0);
    cairo_mask_surface(cr, img, x, y);
  }
  cairo_destroy(cr);
  cairo_surface_mark_dirty(s);
}

void paint(HWND h, HDC dc, const ToolbarData& d) {
  RECT c = client_of(h);
  fill(dc, c, GetSysColor(COLOR_BTNFACE));
  fill(dc, {0, 0, c.right, 1}, GetSysColor(COLOR_BTNSHADOW));
  fill(dc, {0, 1, c.right, 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
  for (int i = 0; i < static_cast<int>(d.buttons.size()); ++i) {
    const Button& b = d.buttons[static_cast<std::size_t>(i)];
    if ((b.state & TBSTATE_HIDDEN) || (b.style & TBSTYLE_SEP)) continue;
    const RECT r = button_rect(d, i);
    const bool enabled = (b.state & TBSTATE_ENABLED) != 0;
    const bool down =
        (i == d.pressed && d.inside) || (b.state & (TBSTATE_CHECKED | TBSTATE_PRESSED));
    if ((b.state & TBSTATE_CHECKED) && !(i == d.pressed && d.inside))
      fill(dc, {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2}, GetSysColor(COLOR_3DLIGHT));
    draw_raised(dc, r, down);
    if (b.image >= 0 && b.image < static_cast<int>(d.images.size())) {
      const int x = r.left + (r.right - r.left - d.image.cx) / 2 + (down ? 1 : 0);
      const int y = r.top + (r.bottom - r.top - d.image.cy) / 2 + (down ? 1 : 0);
      draw_image(dc, d.images[static_cast<std::size_t>(b.image)], x, y, enabled);
    }
  }
}

void hide_tip(HWND h, ToolbarData& d) {
  KillTimer(h, kTipTimer);
  if (d.tip != nullptr && IsWindow(d.tip)) ShowWindow(d.tip, SW_HIDE);
}

// Asks the parent for the text of the button under the mouse and shows it
// below the button.
void show_tip(HWND h) {
  ToolbarData* d = tb(h);
  HWND parent = GetParent(h);
  if (d == nullptr || d->hot < 0 || (style_of(h) & TBSTYLE_TOOLTIPS) == 0 || parent == nullptr)
    return;
  if (d->tip == nullptr || !IsWindow(d->tip)) {
    HWND tip = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TOOLTIPS_CLASSA, "",
                               WS_POPUP | WS_BORDER, 0, 0, 0, 0, h, nullptr, nullptr, nullptr);
    if ((d = tb(h)) == nullptr || tip == nullptr) return;
    d->tip = tip;
  }
  const Button b = d->buttons[static_cast<std::size_t>(d->hot)];
  const RECT r = button_rect(*d, d->hot);
  NMTTDISPINFOA info;
  info.hdr.hwndFrom = d->tip;
  info.hdr.idFrom = static_cast<UINT_PTR>(b.command);
  info.hdr.code = TTN_NEEDTEXTA;
  SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(b.command), reinterpret_cast<LPARAM>(&info));
  ToolbarData* nd = tb(h);
  if (nd == nullptr || nd->tip == nullptr) return;
  std::string text =
      info.lpszText != nullptr && reinterpret_cast<std::uintptr_t>(info.lpszText) >= 0x10000
          ? std::string(info.lpszText)
          : std::string(info.szText, strnlen(info.szText, sizeof info.szText));
  if (text.empty()) return;
  SetWindowTextA(nd->tip, text.c_str());
  HDC dc = GetDC(nd->tip);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SIZE s;
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &s);
  ReleaseDC(nd->tip, dc);
  POINT at{r.left, r.bottom + 4};
  ClientToScreen(h, &at);
  SetWindowPos(nd->tip, HWND_TOPMOST, at.x, at.y, s.cx + 8, s.cy + 4,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace

LRESULT toolbar_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result;
  ToolbarData* d = control_message<ToolbarData>(
      h, msg, wp, lp, result, [h](HDC dc, const ToolbarData& t) { paint(h, dc, t); });
  if (d == nullptr) return result;
  switch (msg) {
    case WM_DESTROY:
      KillTimer(h, kTipTimer);
      if (d->tip != nullptr && IsWindow(d->tip)) DestroyWindow(d->tip);
      if ((d = tb(h)) != nullptr) d->tip = nullptr;
      return 0;
    case WM_MOUSEMOVE: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const int i = button_at(*d, p);
      if (d->pressed >= 0) {
        const bool in = i == d->pressed;
        if (in != d->inside) {
          d->inside = in;
          InvalidateRect(h, nullptr, FALSE);
        }
        return 0;
      }
      if (i != d->hot) {
        hide_tip(h, *d);
        d->hot = i;
        if (i >= 0 && (style_of(h) & TBSTYLE_TOOLTIPS)) SetTimer(h, kTipTimer, kTipDelay, nullptr);
      }
      track_mouse_leave(h);
      return 0;
    }
    case WM_MOUSELEAVE:
      d->hot = -1;
      hide_tip(h, *d);
      return 0;
    case WM_TIMER:
      if (wp == kTipTimer) {
        KillTimer(h, kTipTimer);
        show_tip(h);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      hide_tip(h, *d);
      const int i = button_at(*d, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      if (i < 0 || !(d->buttons[static_cast<std::size_t>(i)].state & TBSTATE_ENABLED)) return 0;
      d->pressed = i;
      d->inside = true;
      SetCapture(h);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case WM_LBUTTONUP: {
      if (d->pressed < 0) return 0;
      const int i = d->pressed;
      const bool in = button_at(*d, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}) == i;
      d->pressed = -1;
      ReleaseCapture();
      if ((d = tb(h)) == nullptr) return 0;
      InvalidateRect(h, nullptr, FALSE);
      if (!in) return 0;
      Button& b = d->buttons[static_cast<std::size_t>(i)];
      if (b.style & TBSTYLE_CHECK) b.state ^= TBSTATE_CHECKED;
      if (HWND parent = GetParent(h))
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(b.command), BN_CLICKED),
                     reinterpret_cast<LPARAM>(h));
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (d->pressed >= 0) {
        d->pressed = -1;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case TB_BUTTONSTRUCTSIZE:
      d->record_size = std::max<std::size_t>(wp, offsetof(TBBUTTON, bReserved));
      return 0;
    case TB_SETBITMAPSIZE:
      d->image = {LOWORD(lp), HIWORD(lp)};
      return TRUE;
    case TB_SETBUTTONSIZE:
      d->button = {LOWORD(lp), HIWORD(lp)};
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case TB_ADDBITMAP:
      return add_bitmap(*d, static_cast<int>(wp), reinterpret_cast<const TBADDBITMAP*>(lp));
    case TB_ADDBUTTONSA: {
      const auto* bytes = reinterpret_cast<const unsigned char*>(lp);
      if (bytes == nullptr) return FALSE;
      for (WPARAM i = 0; i < wp; ++i) {
        // The fields read: image, command, state and style, in that order.
        const unsigned char* rec = bytes + i * d->record_size;
        Button b;
        std::memcpy(&b.image, rec + offsetof(TBBUTTON, iBitmap), sizeof b.image);
        std::memcpy(&b.command, rec + offsetof(TBBUTTON, idCommand), sizeof b.command);
        b.state = rec[offsetof(TBBUTTON, fsState)];
        b.style = rec[offsetof(TBBUTTON, fsStyle)];
        d->buttons.push_back(b);
      }
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TB_BUTTONCOUNT:
      return static_cast<LRESULT>(d->buttons.size());
    case TB_GETITEMRECT: {
      if (wp >= d->buttons.size() || lp == 0) return FALSE;
      *reinterpret_cast<RECT*>(lp) = button_rect(*d, static_cast<int>(wp));
      return TRUE;
    }
    case TB_ENABLEBUTTON:
    case TB_CHECKBUTTON:
    case TB_HIDEBUTTON: {
      const int i = index_of(*d, wp);
      if (i < 0) return FALSE;
      BYTE& st = d->buttons[static_cast<std::size_t>(i)].state;
      const BYTE bit = msg == TB_ENABLEBUTTON  ? TBSTATE_ENABLED
                       : msg == TB_CHECKBUTTON ? TBSTATE_CHECKED
                                               : TBSTATE_HIDDEN;
      st = LOWORD(lp) ? (st | bit) : (st & ~bit);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONHIDDEN: {
      const int i = index_of(*d, wp);
      if (i < 0) return 0;
      const BYTE bit = msg == TB_ISBUTTONENABLED   ? TBSTATE_ENABLED
                       : msg == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED
                                                   : TBSTATE_HIDDEN;
      return (d->buttons[static_cast<std::size_t>(i)].state & bit) ? TRUE : FALSE;
    }
    case TB_AUTOSIZE: {
      HWND parent = GetParent(h);
      if (parent == nullptr) return 0;
      RECT pc;
      GetClientRect(parent, &pc);
      SetWindowPos(h, nullptr, 0, 0, pc.right, d->button.cy + kTop + 4,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

LRESULT tooltip_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (dc != nullptr) {
        RECT c = client_of(h);
        fill(dc, c, GetSysColor(COLOR_INFOBK));
        SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        const std::string t = text_of(h);
        DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &c,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail
