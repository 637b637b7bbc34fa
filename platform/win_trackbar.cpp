// The track bar (a thumb slid along a channel, with tick marks) and the
// progress bar.
#include <algorithm>

#include "platform/win_commctrl.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

constexpr int kThumbLength = 11;  // along the channel
constexpr int kMargin = 8;

struct TrackData : ControlBase {
  int min = 0, max = 100, pos = 0;
  int page = 20, line = 1, tic_freq = 1;
  bool dragging = false;
  int grab = 0;
};

bool vertical(HWND h) { return (style_of(h) & TBS_VERT) != 0; }

// The channel's first and last thumb centre along the control.
void span(HWND h, int& first, int& last) {
  const RECT c = client_of(h);
  const int len = vertical(h) ? c.bottom : c.right;
  first = kMargin + kThumbLength / 2;
  last = std::max(first, len - kMargin - kThumbLength / 2 - 1);
}

int centre_of(HWND h, const TrackData& d) {
  int first, last;
  span(h, first, last);
  if (d.max <= d.min) return first;
  return first + MulDiv(d.pos - d.min, last - first, d.max - d.min);
}

RECT thumb_rect(HWND h, const TrackData& d) {
  const RECT c = client_of(h);
  const int at = centre_of(h, d);
  const int across = vertical(h) ? c.right : c.bottom;
  const int t0 = std::max(2, across / 2 - 8), t1 = std::min(across - 2, across / 2 + 6);
  return vertical(h) ? RECT{t0, at - kThumbLength / 2, t1, at + kThumbLength / 2 + 1}
                     : RECT{at - kThumbLength / 2, t0, at + kThumbLength / 2 + 1, t1};
}

int pos_at(HWND h, const TrackData& d, int along) {
  int first, last;
  span(h, first, last);
  if (last <= first || d.max <= d.min) return d.min;
  return std::clamp(d.min + MulDiv(along - first, d.max - d.min, last - first), d.min, d.max);
}

void tell(HWND h, WORD code, int pos) {
  HWND parent = GetParent(h);
  if (parent == nullptr) return;
  SendMessageA(
      parent, vertical(h) ? WM_VSCROLL : WM_HSCROLL,
      MAKEWPARAM(code,
                 code == TB_THUMBTRACK || code == TB_THUMBPOSITION ? static_cast<WORD>(pos) : 0),
      reinterpret_cast<LPARAM>(h));
}

void move_to(HWND h, TrackData& d, int pos) {
  pos = std::clamp(pos, d.min, std::max(d.min, d.max));
  if (pos == d.pos) return;
  d.pos = pos;
  InvalidateRect(h, nullptr, TRUE);
}

void paint(HWND h, HDC dc, const TrackData& d) {
  HBRUSH bg = ask_colors(h, dc, WM_CTLCOLORSTATIC);
  RECT c = client_of(h);
  FillRect(dc, &c, bg);
  int first, last;
  span(h, first, last);
  const RECT th = thumb_rect(h, d);
  const int mid = vertical(h) ? (th.left + th.right) / 2 : (th.top + th.bottom) / 2;
  const RECT channel = vertical(h) ? RECT{mid - 2, first - 2, mid + 2, last + 3}
                                   : RECT{first - 2, mid - 2, last + 3, mid + 2};
  draw_sunken(dc, channel);
  if ((style_of(h) & TBS_AUTOTICKS) && d.max > d.min) {
    const COLORREF tc = GetSysColor(COLOR_BTNTEXT);
    const int freq = std::max(1, d.tic_freq);
    for (int v = d.min; v <= d.max; v += freq) {
      const int at = first + MulDiv(v - d.min, last - first, d.max - d.min);
      const int from = vertical(h) ? th.right + 2 : th.bottom + 2;
      if (vertical(h))
        fill(dc, {from, at, from + 3, at + 1}, tc);
      else
        fill(dc, {at, from, at + 1, from + 3}, tc);
    }
  }
  fill(dc, th, GetSysColor(COLOR_BTNFACE));
  draw_raised(dc, th, false);
  if (has_focus(h)) draw_focus_rect(dc, c);
}

}  // namespace

LRESULT trackbar_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result;
  TrackData* d = control_message<TrackData>(h, msg, wp, lp, result,
                                            [h](HDC dc, const TrackData& t) { paint(h, dc, t); });
  if (d == nullptr) return result;
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_KEYDOWN: {
      WORD code;
      int to;
      switch (wp) {
        case VK_LEFT:
        case VK_UP:
          code = TB_LINEUP, to = d->pos - d->line;
          break;
        case VK_RIGHT:
        case VK_DOWN:
          code = TB_LINEDOWN, to = d->pos + d->line;
          break;
        case VK_PRIOR:
          code = TB_PAGEUP, to = d->pos - d->page;
          break;
        case VK_NEXT:
          code = TB_PAGEDOWN, to = d->pos + d->page;
          break;
        case VK_HOME:
          code = TB_TOP, to = d->min;
          break;
        case VK_END:
          code = TB_BOTTOM, to = d->max;
          break;
        default:
          return 0;
      }
      move_to(h, *d, to);
      tell(h, code, d->pos);
      tell(h, TB_ENDTRACK, d->pos);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(h);
      if ((d = data_of<TrackData>(h)) == nullptr) return 0;
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const RECT th = thumb_rect(h, *d);
      const int along = vertical(h) ? p.y : p.x;
      const int start = vertical(h) ? th.top : th.left, end = vertical(h) ? th.bottom : th.right;
      SetCapture(h);
      if (along >= start && along < end) {
        d->dragging = true;
        d->grab = along - centre_of(h, *d);
        return 0;
      }
      // Beside the thumb: a page towards the press.
      const bool before = along < start;
      move_to(h, *d, d->pos + (before ? -d->page : d->page));
      tell(h, before ? TB_PAGEUP : TB_PAGEDOWN, d->pos);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (d->dragging) {
        const int along = vertical(h) ? GET_Y_LPARAM(lp) : GET_X_LPARAM(lp);
        const int to = pos_at(h, *d, along - d->grab);
        if (to != d->pos) {
          move_to(h, *d, to);
          tell(h, TB_THUMBTRACK, d->pos);
        }
      }
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() != h) return 0;
      if (d->dragging) tell(h, TB_THUMBPOSITION, d->pos);
      if ((d = data_of<TrackData>(h)) != nullptr) d->dragging = false;
      ReleaseCapture();
      tell(h, TB_ENDTRACK, d != nullptr ? d->pos : 0);
      return 0;
    case WM_CAPTURECHANGED:
      d->dragging = false;
      return 0;
    case TBM_GETPOS:
      return d->pos;
    case TBM_GETRANGEMIN:
      return d->min;
    case TBM_GETRANGEMAX:
      return d->max;
    case TBM_SETPOS:
      d->pos = std::clamp(static_cast<int>(lp), d->min, std::max(d->min, d->max));
      if (wp) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case TBM_SETRANGE:
      d->min = static_cast<SHORT>(LOWORD(lp));
      d->max = static_cast<SHORT>(HIWORD(lp));
      d->pos = std::clamp(d->pos, d->min, std::max(d->min, d->max));
      if (wp) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case TBM_SETTICFREQ:
      d->tic_freq = static_cast<int>(wp);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case TBM_SETPAGESIZE: {
      const int old = d->page;
      d->page = static_cast<int>(lp);
      return old;
    }
    case TBM_GETPAGESIZE:
      return d->page;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

namespace {

struct ProgressData : ControlBase {
  int min = 0, max = 100, pos = 0, step = 10;
};

}  // namespace

LRESULT progress_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) make_data<ProgressData>(h);
  ProgressData* d = data_of<ProgressData>(h);
  if (d == nullptr) return DefWindowProcA(h, msg, wp, lp);
  auto set = [&](int pos) {
    const int old = d->pos;
    d->pos = std::clamp(pos, d->min, std::max(d->min, d->max));
    if (d->pos != old) InvalidateRect(h, nullptr, FALSE);
    return old;
  };
  switch (msg) {
    case WM_PAINT: {
      ControlPaint p(h);
      if (p.dc == nullptr) return 0;
      RECT c = client_of(h);
      fill(p.dc, c, GetSysColor(COLOR_BTNFACE));
      if (d->max <= d->min) return 0;
      // Blocks of the highlight colour, as many as the position fills.
      const int inner = c.right - 2, bh = c.bottom - 2;
      const int block = std::max(2, bh * 2 / 3),
                filled = MulDiv(d->pos - d->min, inner, d->max - d->min);
      for (int x = 1; x < 1 + filled; x += block + 2)
        fill(p.dc, {x, 1, std::min(x + block, 1 + filled), 1 + bh}, GetSysColor(COLOR_HIGHLIGHT));
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case PBM_SETRANGE: {
      const LRESULT old = MAKELPARAM(static_cast<WORD>(d->min), static_cast<WORD>(d->max));
      d->min = static_cast<SHORT>(LOWORD(lp));
      d->max = static_cast<SHORT>(HIWORD(lp));
      set(d->pos);
      InvalidateRect(h, nullptr, FALSE);
      return old;
    }
    case PBM_SETPOS:
      return set(static_cast<int>(wp));
    case PBM_SETSTEP: {
      const int old = d->step;
      d->step = static_cast<int>(wp);
      return old;
    }
    case PBM_STEPIT: {
      // Past the end it starts again from the beginning.
      int to = d->pos + d->step;
      if (to > d->max) to = d->min + (to - d->max);
      return set(to);
    }
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail
