// Pixels of windows: one Cairo image surface per top-level window holds the
// whole window, frame and children included; invalid areas (kept as one
// bounding rectangle per window), WM_PAINT and BeginPaint/EndPaint, device
// contexts over a window, the frame drawing, and scrolling a client area.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <unordered_map>

#include "platform/backend.h"
#include "platform/surface_seam.h"
#include "platform/win_gdi.h"
#include "platform/win_window_tree.h"

namespace win::detail {

bool paint_maybe_pending = false;

namespace {

bool empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (empty(r)) r = {0, 0, 0, 0};
  return r;
}

RECT unite(const RECT& a, const RECT& b) {
  if (empty(a)) return b;
  if (empty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

RECT offset(RECT r, int dx, int dy) {
  return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

RECT client_rect(const Window& w) { return {0, 0, client_width(w), client_height(w)}; }

bool has_frame(const Window& w) {
  return w.client.left > 0 || w.client.top > 0 || w.client.right < width(w) ||
         w.client.bottom < height(w);
}

// DCs handed out by GetDC and GetWindowDC, with their windows.
std::unordered_map<std::uint32_t, HWND> window_dcs;

// The window LockWindowUpdate keeps from painting.
HWND locked_window = nullptr;

// The screen as the user sees it, in the desktop's surface: the desktop's
// colour under the visible top-level windows, the lowest first.
void compose_screen(Window& d) {
  if (d.surface == nullptr || cairo_image_surface_get_width(d.surface) != width(d) ||
      cairo_image_surface_get_height(d.surface) != height(d))
    make_surface(d);
  cairo_t* cr = cairo_create(d.surface);
  const COLORREF c = GetSysColor(COLOR_DESKTOP);
  cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
  cairo_paint(cr);
  for (auto it = d.children.rbegin(); it != d.children.rend(); ++it) {
    Window* w = find(*it);
    if (w == nullptr || w->surface == nullptr || (w->style & WS_VISIBLE) == 0 ||
        (w->style & WS_MINIMIZE) != 0)
      continue;
    cairo_surface_flush(w->surface);
    cairo_set_source_surface(cr, w->surface, w->rect.left, w->rect.top);
    cairo_paint(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(d.surface);
}

void fill_white(cairo_surface_t* s) {
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
}

// Tells the back end that pixels of w's client area (client coordinates)
// changed.
void present_client(Window& w, const RECT& r) {
  Window* t = toplevel_of(w);
  if (t == nullptr || t->handle == desktop_handle() || empty(r)) return;
  POINT off = offset_in_toplevel(w);
  plat::backend().present(t->handle, offset(r, off.x + w.client.left, off.y + w.client.top));
}

// The pixels of rectangle r of surface s (inside it, and its source r
// less (dx, dy) too) taken from dx, dy pixels back: whole rows moved at
// once, in the order that reads each row before it is written.
void move_pixels(cairo_surface_t* s, const RECT& r, int dx, int dy) {
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  if (data == nullptr) return;
  const int rows = r.bottom - r.top;
  const auto bytes = static_cast<std::size_t>(r.right - r.left) * 4;
  for (int i = 0; i < rows; ++i) {
    const int y = dy > 0 ? r.bottom - 1 - i : r.top + i;
    unsigned char* to = data + static_cast<std::ptrdiff_t>(y) * stride + r.left * 4;
    const unsigned char* from = to - static_cast<std::ptrdiff_t>(dy) * stride - dx * 4;
    std::memmove(to, from, bytes);
  }
  cairo_surface_mark_dirty_rectangle(s, r.left, r.top, r.right - r.left, rows);
}

bool needs_paint_here(const Window& w, HWND filter) {
  return needs_paint(w) && (filter == nullptr || w.handle == filter || IsChild(filter, w.handle));
}

// Depth first, parents before their children.
HWND scan_paint(HWND h, HWND filter) {
  Window* w = find(h);
  if (w == nullptr || (w->style & WS_VISIBLE) == 0 || (w->style & WS_MINIMIZE)) return nullptr;
  if (needs_paint_here(*w, filter)) {
    if (w->nc_dirty) {
      w->nc_dirty = false;
      call(*w, WM_NCPAINT, 1, 0);
      w = find(h);
      if (w == nullptr) return nullptr;
    }
    if (!empty(w->update) && visible_chain(*w)) return h;
  }
  std::vector<HWND> kids = w->children;
  for (HWND c : kids)
    if (HWND r = scan_paint(c, filter)) return r;
  return nullptr;
}

}  // namespace

void make_surface(Window& w) {
  free_surface(w);
  w.surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(1, width(w)), std::max(1, height(w)));
  fill_white(w.surface);
}

void resize_surface(Window& w) {
  if (w.surface == nullptr) return make_surface(w);
  int cx = std::max(1, width(w)), cy = std::max(1, height(w));
  if (cairo_image_surface_get_width(w.surface) == cx &&
      cairo_image_surface_get_height(w.surface) == cy)
    return;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cx, cy);
  fill_white(s);
  cairo_surface_flush(w.surface);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_surface(cr, w.surface, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  // Contexts that still draw on the old surface hold their own reference.
  cairo_surface_destroy(w.surface);
  w.surface = s;
}

void free_surface(Window& w) {
  if (w.surface != nullptr) cairo_surface_destroy(w.surface);
  w.surface = nullptr;
}

void invalidate(Window& w, const RECT* client_r, bool erase) {
  RECT a = client_r != nullptr ? intersect(*client_r, client_rect(w)) : client_rect(w);
  if (empty(a)) return;
  w.update = unite(w.update, a);
  if (erase) w.erase = true;
  paint_maybe_pending = true;
  queue_new_bits |= QS_PAINT;
  if (w.style & WS_CLIPCHILDREN) return;
  // Children drawn over the area are drawn again after their parent.
  for (HWND c : w.children) {
    Window* cw = find(c);
    if (cw == nullptr || (cw->style & WS_VISIBLE) == 0) continue;
    if (empty(intersect(a, cw->rect))) continue;
    RECT in_child = offset(a, -(cw->rect.left + cw->client.left), -(cw->rect.top + cw->client.top));
    if (has_frame(*cw)) cw->nc_dirty = true;
    invalidate(*cw, &in_child, erase);
  }
}

void invalidate_all(Window& w) {
  if (has_frame(w)) w.nc_dirty = true;
  paint_maybe_pending = true;
  invalidate(w, nullptr, true);
}

void invalidate_parent_area(Window& w, const RECT& rect_in_parent) {
  Window* p = find(w.parent);
  if (p == nullptr || p->handle == desktop_handle()) return;
  invalidate(*p, &rect_in_parent, true);
}

void validate(Window& w, const RECT* client_r) {
  if (client_r == nullptr) {
    w.update = {0, 0, 0, 0};
    w.erase = false;
    return;
  }
  RECT v = *client_r;
  RECT u = w.update;
  if (empty(u) || empty(intersect(u, v))) return;
  // Take away what leaves a rectangle; otherwise the bounding rectangle stays.
  if (v.left <= u.left && v.right >= u.right) {
    if (v.top <= u.top && v.bottom >= u.bottom)
      u = {0, 0, 0, 0};
    else if (v.top <= u.top)
      u.top = v.bottom;
    else if (v.bottom >= u.bottom)
      u.bottom = v.top;
  } else if (v.top <= u.top && v.bottom >= u.bottom) {
    if (v.left <= u.left)
      u.left = v.right;
    else if (v.right >= u.right)
      u.right = v.left;
  }
  w.update = empty(u) ? RECT{0, 0, 0, 0} : u;
  if (empty(w.update)) w.erase = false;
}

bool needs_paint(const Window& w) {
  return (!empty(w.update) || w.nc_dirty) && (w.style & WS_MINIMIZE) == 0 && visible_chain(w) &&
         (locked_window == nullptr || !is_descendant(locked_window, w.handle));
}

HWND next_paint_window(HWND filter) {
  if (!paint_maybe_pending) return nullptr;
  std::vector<HWND> tops = desktop().children;
  for (HWND t : tops)
    if (HWND h = scan_paint(t, filter)) return h;
  if (filter == nullptr) paint_maybe_pending = false;
  return nullptr;
}

void draw_frame(Window& w) {
  Window* t = toplevel_of(w);
  if (t == nullptr || t->surface == nullptr) return;
  const RECT& c = w.client;
  int cx = width(w), cy = height(w);
  if (c.left == 0 && c.top == 0 && c.right == cx && c.bottom == cy) return;
  POINT off = offset_in_toplevel(w);
  bool caption_text = false;
  RECT caption_rect{};
  COLORREF caption_colour = 0;
  cairo_t* cr = cairo_create(t->surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_translate(cr, off.x, off.y);
  auto fill = [&](int l, int tp, int r, int b, COLORREF col) {
    if (r <= l || b <= tp) return;
    cairo_set_source_rgb(cr, GetRValue(col) / 255.0, GetGValue(col) / 255.0,
                         GetBValue(col) / 255.0);
    cairo_rectangle(cr, l, tp, r - l, b - tp);
    cairo_fill(cr);
  };
  // Everything outside the client area in the face colour, then the parts.
  fill(0, 0, cx, c.top, GetSysColor(COLOR_BTNFACE));
  fill(0, c.bottom, cx, cy, GetSysColor(COLOR_BTNFACE));
  fill(0, c.top, c.left, c.bottom, GetSysColor(COLOR_BTNFACE));
  fill(c.right, c.top, cx, c.bottom, GetSysColor(COLOR_BTNFACE));
  const int b = border_width(w.style, w.ex_style);
  if (b > 0) {
    COLORREF line = GetSysColor(COLOR_WINDOWFRAME);
    fill(0, 0, cx, 1, line);
    fill(0, cy - 1, cx, cy, line);
    fill(0, 0, 1, cy, line);
    fill(cx - 1, 0, cx, cy, line);
  }
  int y = b;
  if ((w.style & WS_CAPTION) == WS_CAPTION) {
    bool active = is_toplevel(w) && GetActiveWindow() == w.handle;
    fill(b, y, cx - b, y + kCaptionHeight - 1,
         GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    caption_text = !w.text.empty();
    caption_rect = RECT{b, y, cx - b, y + kCaptionHeight - 1};
    caption_colour = GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    y += kCaptionHeight;
  }
  if (is_toplevel(w) && w.menu != nullptr) {
    fill(b, y, cx - b, y + kMenuBarHeight, GetSysColor(COLOR_MENU));
    y += kMenuBarHeight;
  }
  int edge = (w.ex_style & WS_EX_CLIENTEDGE) ? kEdgeWidth : (w.ex_style & WS_EX_STATICEDGE) ? 1 : 0;
  int sr = c.right + ((w.style & WS_VSCROLL) ? kScrollBarWidth : 0);
  int sb = c.bottom + ((w.style & WS_HSCROLL) ? kScrollBarWidth : 0);
  if (w.style & WS_VSCROLL) fill(c.right, c.top, sr, c.bottom, GetSysColor(COLOR_SCROLLBAR));
  if (w.style & WS_HSCROLL) fill(c.left, c.bottom, c.right, sb, GetSysColor(COLOR_SCROLLBAR));
  if (edge > 0) {
    // A sunken edge around client area and scroll bars.
    int l = c.left - edge, tp = c.top - edge, r = sr + edge, bt = sb + edge;
    fill(l, tp, r, tp + 1, GetSysColor(COLOR_BTNSHADOW));
    fill(l, tp, l + 1, bt, GetSysColor(COLOR_BTNSHADOW));
    fill(l, bt - 1, r, bt, GetSysColor(COLOR_BTNHIGHLIGHT));
    fill(r - 1, tp, r, bt, GetSysColor(COLOR_BTNHIGHLIGHT));
    if (edge > 1) {
      fill(l + 1, tp + 1, r - 1, tp + 2, GetSysColor(COLOR_3DDKSHADOW));
      fill(l + 1, tp + 1, l + 2, bt - 1, GetSysColor(COLOR_3DDKSHADOW));
      fill(l + 1, bt - 2, r - 1, bt - 1, GetSysColor(COLOR_3DLIGHT));
      fill(r - 2, tp + 1, r - 1, bt - 1, GetSysColor(COLOR_3DLIGHT));
    }
  }
  cairo_destroy(cr);
  cairo_surface_flush(t->surface);
  if ((is_toplevel(w) && w.menu != nullptr) || (w.style & (WS_VSCROLL | WS_HSCROLL))) {
    // Menu bar and scroll bars, drawn by their own files.
    RECT whole = offset(RECT{0, 0, cx, cy}, off.x, off.y);
    HDC dc = seam::make_surface_dc(t->surface, off.x, off.y, whole, w.handle);
    if (dc != nullptr) {
      if (is_toplevel(w) && w.menu != nullptr) {
        const int top = b + ((w.style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0);
        paint_menu_bar(w, dc, RECT{b, top, cx - b, top + kMenuBarHeight});
      }
      paint_window_scroll_bars(w, dc);
      seam::free_surface_dc(dc);
    }
  }
  if (caption_text) {
    // The title in the drawing side's default GUI font.
    RECT clip = offset(caption_rect, off.x, off.y);
    HDC dc = seam::make_surface_dc(t->surface, off.x, off.y, clip, w.handle);
    if (dc != nullptr) {
      SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, caption_colour);
      RECT tr = caption_rect;
      tr.left += 4;
      DrawTextA(dc, w.text.c_str(), static_cast<int>(w.text.size()), &tr,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      seam::free_surface_dc(dc);
    }
  }
  plat::backend().present(t->handle, offset(RECT{0, 0, cx, cy}, off.x, off.y));
}

bool any_paint_pending() {
  if (!paint_maybe_pending) return false;
  for (HWND h : all_windows())
    if (Window* w = find(h); w != nullptr && needs_paint(*w)) return true;
  return false;
}

void reset_paint() {
  window_dcs.clear();
  locked_window = nullptr;
  paint_maybe_pending = false;
}

HDC window_dc(HWND wnd, bool whole) {
  POINT origin;
  RECT clip;
  if (wnd == nullptr) {
    wnd = desktop_handle();
    compose_screen(desktop());
  }
  cairo_surface_t* s = seam::window_surface(wnd, whole, &origin, &clip);
  if (s == nullptr) return nullptr;
  HDC dc =
      seam::make_surface_dc(s, origin.x, origin.y, clip, wnd == desktop_handle() ? nullptr : wnd);
  if (dc != nullptr) window_dcs[handle_value(dc)] = wnd;
  return dc;
}

}  // namespace win::detail

namespace win::seam {

using namespace win::detail;

cairo_surface_t* window_surface(HWND wnd, bool whole_window, POINT* origin, RECT* clip) {
  Window* w = find(wnd);
  if (w == nullptr) return nullptr;
  if (wnd == desktop_handle()) {
    Window& d = desktop();
    if (d.surface == nullptr || cairo_image_surface_get_width(d.surface) != width(d) ||
        cairo_image_surface_get_height(d.surface) != height(d))
      make_surface(d);
    if (origin) *origin = {0, 0};
    if (clip) *clip = d.rect;
    return d.surface;
  }
  Window* t = toplevel_of(*w);
  if (t == nullptr || t->surface == nullptr) return nullptr;
  POINT off = offset_in_toplevel(*w);
  RECT r = whole_window ? RECT{off.x, off.y, off.x + width(*w), off.y + height(*w)}
                        : offset(w->client, off.x, off.y);
  for (Window* p = find(w->parent); p != nullptr && p->handle != desktop_handle();
       p = find(p->parent)) {
    POINT po = offset_in_toplevel(*p);
    r = intersect(r, offset(p->client, po.x, po.y));
  }
  r = intersect(r, RECT{0, 0, cairo_image_surface_get_width(t->surface),
                        cairo_image_surface_get_height(t->surface)});
  if (origin) *origin = whole_window ? off : POINT{off.x + w->client.left, off.y + w->client.top};
  if (clip) *clip = r;
  return t->surface;
}

}  // namespace win::seam

namespace win {

using namespace detail;

BOOL InvalidateRect(HWND wnd, const RECT* rect, BOOL erase) {
  if (wnd == nullptr) {
    // The whole screen: every top-level window.
    for (HWND t : desktop().children)
      if (Window* w = find(t)) invalidate_all(*w);
    return TRUE;
  }
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return FALSE;
  invalidate(*w, rect, erase != 0);
  return TRUE;
}

BOOL ValidateRect(HWND wnd, const RECT* rect) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return FALSE;
  validate(*w, rect);
  return TRUE;
}

BOOL GetUpdateRect(HWND wnd, RECT* rect, BOOL erase) {
  Window* w = find(wnd);
  if (w == nullptr) return FALSE;
  if (rect != nullptr) *rect = empty(w->update) ? RECT{0, 0, 0, 0} : w->update;
  if (empty(w->update)) return FALSE;
  if (erase && w->erase) {
    w->erase = false;
    HDC dc = GetDC(wnd);
    if (dc != nullptr) {
      send(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      ReleaseDC(wnd, dc);
    }
  }
  return TRUE;
}

BOOL LockWindowUpdate(HWND wnd) {
  if (wnd == nullptr) {
    if (locked_window != nullptr) paint_maybe_pending = true;
    locked_window = nullptr;
    return TRUE;
  }
  if (find(wnd) == nullptr || (locked_window != nullptr && locked_window != wnd)) return FALSE;
  locked_window = wnd;
  return TRUE;
}

BOOL UpdateWindow(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr) return FALSE;
  if (locked_window != nullptr && is_descendant(locked_window, wnd)) return TRUE;
  if (!visible_chain(*w) || (w->style & WS_MINIMIZE)) return TRUE;
  if (w->nc_dirty) {
    w->nc_dirty = false;
    call(*w, WM_NCPAINT, 1, 0);
    if ((w = find(wnd)) == nullptr) return TRUE;
  }
  if (!empty(w->update)) {
    call(*w, WM_PAINT, 0, 0);
    if ((w = find(wnd)) == nullptr) return TRUE;
  }
  // Children of a window are repainted with it.
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) {
    Window* cw = find(c);
    if (cw != nullptr && needs_paint(*cw)) UpdateWindow(c);
  }
  return TRUE;
}

HDC BeginPaint(HWND wnd, PAINTSTRUCT* ps) {
  Window* w = find(wnd);
  if (w == nullptr || ps == nullptr || wnd == desktop_handle()) return nullptr;
  if (w->nc_dirty) {
    w->nc_dirty = false;
    call(*w, WM_NCPAINT, 1, 0);
    if ((w = find(wnd)) == nullptr) return nullptr;
  }
  *ps = PAINTSTRUCT();
  ps->rcPaint = empty(w->update) ? RECT{0, 0, 0, 0} : w->update;
  bool erase = w->erase;
  w->update = {0, 0, 0, 0};
  w->erase = false;
  POINT origin;
  RECT clip;
  cairo_surface_t* s = seam::window_surface(wnd, false, &origin, &clip);
  if (s == nullptr) return nullptr;
  clip = intersect(clip, offset(ps->rcPaint, origin.x, origin.y));
  HDC dc = seam::make_surface_dc(s, origin.x, origin.y, clip, wnd);
  ps->hdc = dc;
  if (erase && dc != nullptr)
    ps->fErase = send(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND wnd, const PAINTSTRUCT* ps) {
  if (ps == nullptr) return FALSE;
  if (ps->hdc != nullptr) seam::free_surface_dc(ps->hdc);
  if (Window* w = find(wnd)) present_client(*w, ps->rcPaint);
  return TRUE;
}

HDC GetDC(HWND wnd) {
  if (wnd != nullptr && find(wnd) == nullptr) return nullptr;
  return window_dc(wnd, false);
}

HDC GetWindowDC(HWND wnd) {
  if (wnd != nullptr && find(wnd) == nullptr) return nullptr;
  return window_dc(wnd, true);
}

int ReleaseDC(HWND wnd, HDC dc) {
  auto it = window_dcs.find(handle_value(dc));
  if (it == window_dcs.end()) return 0;
  HWND owner = it->second;
  window_dcs.erase(it);
  seam::free_surface_dc(dc);
  (void)wnd;
  if (Window* w = find(owner); w != nullptr && owner != desktop_handle()) {
    Window* t = toplevel_of(*w);
    if (t != nullptr && t->handle != desktop_handle())
      plat::backend().present(t->handle, RECT{0, 0, width(*t), height(*t)});
  }
  return 1;
}

int ScrollWindowEx(HWND wnd, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN,
                   RECT* update_rect, UINT flags) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return 0;  // ERROR
  RECT area = client_rect(*w);
  RECT src = scroll != nullptr ? intersect(*scroll, area) : area;
  RECT lim = clip != nullptr ? intersect(*clip, area) : area;
  // The part that receives moved pixels, and the part left uncovered.
  RECT dst = intersect(offset(src, dx, dy), lim);
  RECT uncovered = intersect(src, lim);
  if (visible_chain(*w) && !empty(dst)) {
    POINT origin;
    RECT sclip;
    cairo_surface_t* s = seam::window_surface(wnd, false, &origin, &sclip);
    if (s != nullptr) {
      RECT to_s = intersect(offset(dst, origin.x, origin.y), sclip);
      // Only pixels whose source lies in the surface move.
      const int sw = cairo_image_surface_get_width(s), sh = cairo_image_surface_get_height(s);
      to_s = intersect(to_s, RECT{dx, dy, sw + dx, sh + dy});
      if (!empty(to_s)) move_pixels(s, to_s, dx, dy);
    }
  }
  // What was not filled by moved pixels needs painting: with a pure
  // horizontal or vertical scroll that is one strip.
  RECT inval = uncovered;
  if (!empty(dst)) {
    if (dy == 0 && dx > 0) inval.right = std::min(inval.right, dst.left);
    if (dy == 0 && dx < 0) inval.left = std::max(inval.left, dst.right);
    if (dx == 0 && dy > 0) inval.bottom = std::min(inval.bottom, dst.top);
    if (dx == 0 && dy < 0) inval.top = std::max(inval.top, dst.bottom);
  }
  if (dx == 0 && dy == 0) inval = {0, 0, 0, 0};
  if (empty(inval)) inval = {0, 0, 0, 0};
  // An invalid area inside the scrolled part moves with the pixels.
  if (!empty(w->update) && !empty(intersect(w->update, src)))
    w->update = unite(w->update, intersect(offset(w->update, dx, dy), lim));
  if (flags & SW_SCROLLCHILDREN) {
    for (HWND c : std::vector<HWND>(w->children)) {
      Window* cw = find(c);
      if (cw == nullptr) continue;
      RECT nr = offset(cw->rect, dx, dy);
      place_window(*cw, nr, true);
    }
  }
  if ((w = find(wnd)) == nullptr) return 0;
  if (flags & SW_INVALIDATE) invalidate(*w, &inval, (flags & SW_ERASE) != 0);
  if (update_rect != nullptr) *update_rect = inval;
  present_client(*w, uncovered);
  return empty(inval) ? NULLREGION : SIMPLEREGION;
}

BOOL ScrollWindow(HWND wnd, int dx, int dy, const RECT* scroll, const RECT* clip) {
  return ScrollWindowEx(wnd, dx, dy, scroll, clip, nullptr, nullptr,
                        SW_INVALIDATE | SW_ERASE | (scroll == nullptr ? SW_SCROLLCHILDREN : 0)) !=
         0;
}

}  // namespace win
