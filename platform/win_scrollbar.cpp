// Scroll bars: the ScrollBar control and a window's own bars in its frame,
// their drawing, and the mouse on them (arrows step a line, the trough a
// page, the thumb is dragged).
#include <algorithm>

#include "platform/win_controls_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

// The parts of a bar, 0 none.
enum Part { kNone, kArrow1, kArrow2, kPage1, kPage2, kThumb };

bool inside(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

bool has_thumb(const BarGeometry& g) { return g.thumb.right > g.thumb.left; }

Part part_at(const BarGeometry& g, POINT p) {
  if (inside(g.arrow1, p)) return kArrow1;
  if (inside(g.arrow2, p)) return kArrow2;
  if (has_thumb(g) && inside(g.thumb, p)) return kThumb;
  if (!inside(g.trough, p)) return kNone;
  const int t = g.vertical ? g.thumb.top : g.thumb.left;
  const int at = g.vertical ? p.y : p.x;
  return at < t ? kPage1 : kPage2;
}

WORD code_of(Part part) {
  switch (part) {
    case kArrow1:
      return SB_LINEUP;
    case kArrow2:
      return SB_LINEDOWN;
    case kPage1:
      return SB_PAGEUP;
    default:
      return SB_PAGEDOWN;
  }
}

// How one press on a bar goes on: which part holds it, and where the thumb
// was grabbed.
struct Drag {
  Part part = kNone;
  int grab = 0;
  int pos = 0;
};

Drag press(const BarGeometry& g, POINT p) {
  Drag d;
  d.part = part_at(g, p);
  if (d.part == kThumb) d.grab = g.vertical ? p.y - g.thumb.top : p.x - g.thumb.left;
  return d;
}

// The window's own bar in window coordinates.
RECT window_bar_rect(const Window& w, bool vertical) {
  const RECT& c = w.client;
  return vertical ? RECT{c.right, c.top, c.right + kScrollBarWidth, c.bottom}
                  : RECT{c.left, c.bottom, c.right, c.bottom + kScrollBarWidth};
}

ScrollBarState* state_of(HWND h, int bar) {
  Window* w = find(h);
  if (w == nullptr) return nullptr;
  return bar == SB_HORZ ? &w->hbar : &w->vbar;  // a control keeps its own in vbar
}

void redraw_bar(HWND h, int bar) {
  Window* w = find(h);
  if (w == nullptr) return;
  if (bar == SB_CTL) {
    InvalidateRect(h, nullptr, FALSE);
  } else {
    w->nc_dirty = true;
    paint_maybe_pending = true;
  }
}

struct ScrollBarData : ControlBase {
  Drag drag;
  bool tracking = false;
};

bool vertical_control(HWND h) { return (style_of(h) & SBS_VERT) != 0; }

BarGeometry control_geometry(HWND h) {
  const ScrollBarState* s = state_of(h, SB_CTL);
  return bar_geometry(client_of(h), vertical_control(h), s->min, s->max, s->pos);
}

void send_scroll(HWND h, WORD code, int pos) {
  HWND parent = GetParent(h);
  if (parent == nullptr) return;
  SendMessageA(parent, vertical_control(h) ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(h));
}

}  // namespace

BarGeometry bar_geometry(const RECT& bar, bool vertical, int min, int max, int pos) {
  BarGeometry g;
  g.bar = bar;
  g.vertical = vertical;
  const int len = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  const int thick = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  const int arrow = std::min(thick, len / 2);
  if (vertical) {
    g.arrow1 = {bar.left, bar.top, bar.right, bar.top + arrow};
    g.arrow2 = {bar.left, bar.bottom - arrow, bar.right, bar.bottom};
    g.trough = {bar.left, bar.top + arrow, bar.right, bar.bottom - arrow};
  } else {
    g.arrow1 = {bar.left, bar.top, bar.left + arrow, bar.bottom};
    g.arrow2 = {bar.right - arrow, bar.top, bar.right, bar.bottom};
    g.trough = {bar.left + arrow, bar.top, bar.right - arrow, bar.bottom};
  }
  const int room = len - 2 * arrow;
  const int thumb = std::min(thick, room);
  if (max > min && room >= 8 && thumb > 0) {
    const int at = MulDiv(std::clamp(pos, min, max) - min, room - thumb, max - min);
    if (vertical)
      g.thumb = {bar.left, g.trough.top + at, bar.right, g.trough.top + at + thumb};
    else
      g.thumb = {g.trough.left + at, bar.top, g.trough.left + at + thumb, bar.bottom};
  }
  return g;
}

int bar_pos_at(const BarGeometry& g, POINT pt, int grab, int min, int max) {
  const int start = g.vertical ? g.trough.top : g.trough.left;
  const int room = g.vertical ? g.trough.bottom - g.trough.top : g.trough.right - g.trough.left;
  const int thumb = g.vertical ? g.thumb.bottom - g.thumb.top : g.thumb.right - g.thumb.left;
  if (room <= thumb || max <= min) return min;
  const int at = (g.vertical ? pt.y : pt.x) - start - grab;
  return std::clamp(min + MulDiv(at, max - min, room - thumb), min, max);
}

void paint_bar(HDC dc, const BarGeometry& g, bool enabled, int pushed) {
  const bool live = enabled && has_thumb(g);
  draw_arrow_button(dc, g.arrow1, g.vertical ? 0 : 2, pushed == kArrow1, live);
  draw_arrow_button(dc, g.arrow2, g.vertical ? 1 : 3, pushed == kArrow2, live);
  fill(dc, g.trough, GetSysColor(COLOR_3DLIGHT));
  if (!has_thumb(g)) return;
  if (pushed == kPage1 || pushed == kPage2) {
    // The part of the trough between the thumb and the press.
    RECT r = g.trough;
    if (pushed == kPage1) {
      if (g.vertical)
        r.bottom = g.thumb.top;
      else
        r.right = g.thumb.left;
    } else {
      if (g.vertical)
        r.top = g.thumb.bottom;
      else
        r.left = g.thumb.right;
    }
    fill(dc, r, GetSysColor(COLOR_3DDKSHADOW));
  }
  fill(dc, g.thumb, GetSysColor(COLOR_BTNFACE));
  draw_raised(dc, g.thumb, false);
}

void paint_window_scroll_bars(Window& w, HDC dc) {
  const bool v = (w.style & WS_VSCROLL) != 0, hz = (w.style & WS_HSCROLL) != 0;
  const bool enabled = (w.style & WS_DISABLED) == 0;
  if (v)
    paint_bar(dc, bar_geometry(window_bar_rect(w, true), true, w.vbar.min, w.vbar.max, w.vbar.pos),
              enabled, kNone);
  if (hz)
    paint_bar(dc,
              bar_geometry(window_bar_rect(w, false), false, w.hbar.min, w.hbar.max, w.hbar.pos),
              enabled, kNone);
  if (v && hz)
    fill(dc,
         {w.client.right, w.client.bottom, w.client.right + kScrollBarWidth,
          w.client.bottom + kScrollBarWidth},
         GetSysColor(COLOR_BTNFACE));
}

void track_window_scroll_bar(HWND h, int hit, POINT screen) {
  Window* w = find(h);
  if (w == nullptr) return;
  const bool vertical = hit == HTVSCROLL;
  const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  auto geometry = [&] {
    Window* wp = find(h);
    const ScrollBarState& s = vertical ? wp->vbar : wp->hbar;
    return bar_geometry(window_bar_rect(*wp, vertical), vertical, s.min, s.max, s.pos);
  };
  auto in_window = [&](POINT scr) {
    RECT wr;
    GetWindowRect(h, &wr);
    return POINT{scr.x - wr.left, scr.y - wr.top};
  };
  BarGeometry g = geometry();
  if (!has_thumb(g)) return;
  Drag d = press(g, in_window(screen));
  if (d.part == kNone) return;
  if (d.part != kThumb) SendMessageA(h, msg, code_of(d.part), 0);
  SetCapture(h);
  MSG m;
  while (IsWindow(h) && GetCapture() == h && GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (m.hwnd == h && (m.message == WM_MOUSEMOVE || m.message == WM_LBUTTONUP)) {
      POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
      ClientToScreen(h, &p);
      if (d.part == kThumb) {
        const ScrollBarState& s = vertical ? find(h)->vbar : find(h)->hbar;
        d.pos = bar_pos_at(geometry(), in_window(p), d.grab, s.min, s.max);
        SendMessageA(h, msg,
                     MAKEWPARAM(m.message == WM_LBUTTONUP ? SB_THUMBPOSITION : SB_THUMBTRACK,
                                static_cast<WORD>(d.pos)),
                     0);
      }
      if (m.message == WM_LBUTTONUP) break;
      continue;
    }
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  if (GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) SendMessageA(h, msg, SB_ENDSCROLL, 0);
}

LRESULT scrollbar_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result;
  ScrollBarData* d =
      control_message<ScrollBarData>(h, msg, wp, lp, result, [h](HDC dc, const ScrollBarData& sb) {
        ask_colors(h, dc, WM_CTLCOLORSCROLLBAR);
        const BarGeometry g = control_geometry(h);
        paint_bar(dc, g, IsWindowEnabled(h) != FALSE,
                  sb.tracking && sb.drag.part != kThumb ? sb.drag.part : kNone);
        if (has_focus(h) && has_thumb(g)) draw_focus_rect(dc, g.thumb);
      });
  if (d == nullptr) return result;
  ScrollBarState& s = *state_of(h, SB_CTL);
  switch (msg) {
    case WM_CREATE:
      s = ScrollBarState{0, 0, 0};
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (style_of(h) & WS_TABSTOP) SetFocus(h);
      const BarGeometry g = control_geometry(h);
      if (!has_thumb(g)) return 0;
      d->drag = press(g, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      if (d->drag.part == kNone) return 0;
      d->tracking = true;
      SetCapture(h);
      InvalidateRect(h, nullptr, FALSE);
      if (d->drag.part != kThumb) send_scroll(h, code_of(d->drag.part), 0);
      return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      if (!d->tracking) return 0;
      if (d->drag.part == kThumb) {
        d->drag.pos = bar_pos_at(control_geometry(h), {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)},
                                 d->drag.grab, s.min, s.max);
        send_scroll(h, msg == WM_LBUTTONUP ? SB_THUMBPOSITION : SB_THUMBTRACK, d->drag.pos);
      }
      if (msg == WM_LBUTTONUP && (d = data_of<ScrollBarData>(h)) != nullptr) {
        d->tracking = false;
        ReleaseCapture();
        InvalidateRect(h, nullptr, FALSE);
        send_scroll(h, SB_ENDSCROLL, 0);
      }
      return 0;
    }
    case WM_CAPTURECHANGED:
      d->tracking = false;
      return 0;
    case WM_KEYDOWN: {
      WORD code;
      switch (wp) {
        case VK_UP:
        case VK_LEFT:
          code = SB_LINEUP;
          break;
        case VK_DOWN:
        case VK_RIGHT:
          code = SB_LINEDOWN;
          break;
        case VK_PRIOR:
          code = SB_PAGEUP;
          break;
        case VK_NEXT:
          code = SB_PAGEDOWN;
          break;
        case VK_HOME:
          code = SB_TOP;
          break;
        case VK_END:
          code = SB_BOTTOM;
          break;
        default:
          return 0;
      }
      send_scroll(h, code, 0);
      send_scroll(h, SB_ENDSCROLL, 0);
      return 0;
    }
    case SBM_SETPOS:
      return SetScrollPos(h, SB_CTL, static_cast<int>(wp), static_cast<BOOL>(lp));
    case SBM_GETPOS:
      return s.pos;
    case SBM_SETRANGE:
      SetScrollRange(h, SB_CTL, static_cast<int>(wp), static_cast<int>(lp), FALSE);
      return s.pos;
    case SBM_GETRANGE:
      if (wp != 0) *reinterpret_cast<int*>(wp) = s.min;
      if (lp != 0) *reinterpret_cast<int*>(lp) = s.max;
      return 0;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail

namespace win {

using namespace detail;

int SetScrollPos(HWND h, int bar, int pos, BOOL redraw) {
  ScrollBarState* s = state_of(h, bar);
  if (s == nullptr) return 0;
  const int old = s->pos;
  s->pos = std::clamp(pos, s->min, std::max(s->min, s->max));
  if (redraw && s->pos != old) redraw_bar(h, bar);
  return old;
}

int GetScrollPos(HWND h, int bar) {
  ScrollBarState* s = state_of(h, bar);
  return s != nullptr ? s->pos : 0;
}

BOOL SetScrollRange(HWND h, int bar, int min_pos, int max_pos, BOOL redraw) {
  ScrollBarState* s = state_of(h, bar);
  if (s == nullptr) return FALSE;
  s->min = min_pos;
  s->max = max_pos;
  s->pos = std::clamp(s->pos, min_pos, std::max(min_pos, max_pos));
  if (bar != SB_CTL) {
    // A window's bar shows only while there is something to scroll.
    const DWORD flag = bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
    if (((style_of(h) & flag) != 0) != (max_pos > min_pos))
      return ShowScrollBar(h, bar, max_pos > min_pos);
  }
  if (redraw) redraw_bar(h, bar);
  return TRUE;
}

BOOL GetScrollRange(HWND h, int bar, int* min_pos, int* max_pos) {
  ScrollBarState* s = state_of(h, bar);
  if (s == nullptr) return FALSE;
  if (min_pos != nullptr) *min_pos = s->min;
  if (max_pos != nullptr) *max_pos = s->max;
  return TRUE;
}

BOOL ShowScrollBar(HWND h, int bar, BOOL show) {
  Window* w = find(h);
  if (w == nullptr) return FALSE;
  if (bar == SB_CTL) {
    ShowWindow(h, show ? SW_SHOW : SW_HIDE);
    return TRUE;
  }
  DWORD flags = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL | WS_VSCROLL;
  const DWORD style = show ? w->style | flags : w->style & ~flags;
  if (style == w->style) return TRUE;
  w->style = style;
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

}  // namespace win
