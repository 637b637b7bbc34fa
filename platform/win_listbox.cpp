// The ListBox class (single, multiple and extended selection, one or many
// columns) and ComboLBox, the drop-down list of a combo box.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win_combo_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

struct Item {
  std::string text;
  LPARAM data = 0;
  bool selected = false;
};

struct ListData : ControlBase {
  std::vector<Item> items;
  int cur = -1;    // the selected item of a single-selection list
  int caret = 0;   // the item with the focus frame
  int anchor = 0;  // where an extended selection started
  int top = 0;     // the first item shown
  int column_width = 0;
  bool tracking = false;
  bool combo_list = false;  // the drop-down list of a combo box
  HWND combo = nullptr;
};

enum class Mode { single, multiple, extended };

Mode mode_of(HWND h) {
  const DWORD s = style_of(h);
  return (s & LBS_EXTENDEDSEL)   ? Mode::extended
         : (s & LBS_MULTIPLESEL) ? Mode::multiple
                                 : Mode::single;
}

bool multicolumn(HWND h) { return (style_of(h) & LBS_MULTICOLUMN) != 0; }

int item_height(HWND h) { return line_height(control_font(h)); }

int rows(HWND h) { return std::max(1, client_of(h).bottom / item_height(h)); }

int column_width(HWND h, const ListData& d) {
  return d.column_width > 0 ? d.column_width : std::max(1, client_of(h).right / 2);
}

// Items a page holds: the rows, times the columns that show.
int page(HWND h, const ListData& d) {
  if (!multicolumn(h)) return rows(h);
  return rows(h) * std::max(1, client_of(h).right / column_width(h, d));
}

int count(const ListData& d) { return static_cast<int>(d.items.size()); }

RECT item_rect(HWND h, const ListData& d, int i) {
  const int ih = item_height(h), r = rows(h);
  if (multicolumn(h)) {
    const int cw = column_width(h, d);
    const int col = i / r - d.top / r, row = i % r;
    return {col * cw, row * ih, (col + 1) * cw, (row + 1) * ih};
  }
  return {0, (i - d.top) * ih, client_of(h).right, (i - d.top + 1) * ih};
}

// The item under a point of the client area, or -1.
int item_at(HWND h, const ListData& d, POINT p) {
  RECT c = client_of(h);
  if (p.x < 0 || p.y < 0 || p.x >= c.right || p.y >= c.bottom) return -1;
  const int ih = item_height(h);
  int i;
  if (multicolumn(h)) {
    const int r = rows(h);
    if (p.y / ih >= r) return -1;
    i = d.top + (p.x / column_width(h, d)) * r + p.y / ih;
  } else {
    i = d.top + p.y / ih;
  }
  return i < count(d) ? i : -1;
}

void update_scroll(HWND h, ListData& d) {
  const int n = count(d);
  if (multicolumn(h)) {
    for (int pass = 0; pass < 2; ++pass) {  // the bar takes height, which changes the rows
      const int r = rows(h);
      const int cols = (n + r - 1) / r,
                shown = std::max(1, client_of(h).right / column_width(h, d));
      d.top = std::clamp(d.top / r, 0, std::max(0, cols - shown)) * r;
      if (style_of(h) & WS_HSCROLL || cols > shown)
        SetScrollRange(h, SB_HORZ, 0, cols > shown ? cols - shown : 0, FALSE);
      if (cols > shown) SetScrollPos(h, SB_HORZ, d.top / r, TRUE);
    }
    return;
  }
  const int r = rows(h);
  d.top = std::clamp(d.top, 0, std::max(0, n - r));
  if (style_of(h) & WS_VSCROLL || n > r) SetScrollRange(h, SB_VERT, 0, n > r ? n - r : 0, FALSE);
  if (n > r) SetScrollPos(h, SB_VERT, d.top, TRUE);
}

void set_top(HWND h, ListData& d, int top) {
  if (top == d.top) return;
  d.top = top;
  update_scroll(h, d);
  InvalidateRect(h, nullptr, TRUE);
}

void show_item(HWND h, ListData& d, int i) {
  if (i < 0) return;
  const int p = page(h, d), r = rows(h);
  if (i < d.top)
    set_top(h, d, multicolumn(h) ? i / r * r : i);
  else if (i >= d.top + p)
    set_top(h, d, multicolumn(h) ? (i / r - p / r + 1) * r : i - p + 1);
}

void notify(HWND h, const ListData& d, WORD code) {
  if (d.combo_list) return;
  if (style_of(h) & LBS_NOTIFY) notify_parent(h, code);
}

// Selects items first..last (inclusive) and nothing else.
void select_only(ListData& d, int first, int last) {
  if (first > last) std::swap(first, last);
  for (int i = 0; i < count(d); ++i)
    d.items[static_cast<std::size_t>(i)].selected = i >= first && i <= last;
}

// Moves the focus to item i the way a key or click does; true when the
// selection changed.
bool move_to(HWND h, ListData& d, int i, bool shift, bool ctrl, bool toggle) {
  if (count(d) == 0) return false;
  i = std::clamp(i, 0, count(d) - 1);
  bool changed = false;
  switch (mode_of(h)) {
    case Mode::single:
      changed = d.cur != i;
      d.cur = i;
      break;
    case Mode::multiple:
      if (toggle) {
        d.items[static_cast<std::size_t>(i)].selected =
            !d.items[static_cast<std::size_t>(i)].selected;
        changed = true;
      }
      break;
    case Mode::extended: {
      std::vector<bool> before;
      for (const Item& it : d.items) before.push_back(it.selected);
      if (toggle && ctrl) {
        d.items[static_cast<std::size_t>(i)].selected =
            !d.items[static_cast<std::size_t>(i)].selected;
        d.anchor = i;
      } else if (shift) {
        select_only(d, d.anchor, i);
      } else if (!ctrl) {
        select_only(d, i, i);
        d.anchor = i;
      }
      for (int k = 0; k < count(d); ++k)
        changed |=
            before[static_cast<std::size_t>(k)] != d.items[static_cast<std::size_t>(k)].selected;
      break;
    }
  }
  d.caret = i;
  show_item(h, d, i);
  InvalidateRect(h, nullptr, FALSE);
  return changed;
}

void paint(HWND h, HDC dc, const ListData& d) {
  HBRUSH bg = ask_colors(h, dc, WM_CTLCOLORLISTBOX);
  RECT c = client_of(h);
  FillRect(dc, &c, bg);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  const Mode m = mode_of(h);
  SetBkMode(dc, TRANSPARENT);
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  const int last = std::min(count(d), d.top + page(h, d) + rows(h));
  for (int i = d.top; i < last; ++i) {
    const RECT r = item_rect(h, d, i);
    if (r.top >= c.bottom || r.left >= c.right) continue;
    const Item& it = d.items[static_cast<std::size_t>(i)];
    const bool sel = m == Mode::single ? i == d.cur : it.selected;
    COLORREF old = 0;
    if (sel && enabled) {
      fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
    RECT tr{r.left + 2, r.top, r.right, r.bottom};
    DrawTextA(dc, it.text.c_str(), static_cast<int>(it.text.size()), &tr,
              DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
    if (sel && enabled) SetTextColor(dc, old);
    if (has_focus(h) && i == d.caret && (m != Mode::single || d.cur == i || d.cur < 0))
      draw_focus_rect(dc, r);
  }
}

LRESULT key_down(HWND h, ListData& d, WPARAM vk) {
  const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  const int base = mode_of(h) == Mode::single && d.cur >= 0 ? d.cur : d.caret;
  const int r = rows(h), p = page(h, d);
  int to;
  switch (vk) {
    case VK_UP:
      to = base - 1;
      break;
    case VK_DOWN:
      to = base + 1;
      break;
    case VK_LEFT:
      to = base - (multicolumn(h) ? r : 1);
      break;
    case VK_RIGHT:
      to = base + (multicolumn(h) ? r : 1);
      break;
    case VK_PRIOR:
      to = base - std::max(1, p - 1);
      break;
    case VK_NEXT:
      to = base + std::max(1, p - 1);
      break;
    case VK_HOME:
      to = 0;
      break;
    case VK_END:
      to = count(d) - 1;
      break;
    case VK_SPACE:
      if (mode_of(h) == Mode::single) return 0;
      if (move_to(h, d, d.caret, false, true, true)) notify(h, d, LBN_SELCHANGE);
      return 0;
    default:
      return 0;
  }
  // Nothing selected yet: the first key selects the focus item itself.
  if (mode_of(h) == Mode::single && d.cur < 0 && (vk == VK_UP || vk == VK_DOWN)) to = d.caret;
  const bool caret_only = mode_of(h) == Mode::multiple || (mode_of(h) == Mode::extended && ctrl);
  if (caret_only) {
    d.caret = std::clamp(to, 0, std::max(0, count(d) - 1));
    show_item(h, d, d.caret);
    InvalidateRect(h, nullptr, FALSE);
    return 0;
  }
  if (move_to(h, d, to, shift, false, false)) notify(h, d, LBN_SELCHANGE);
  return 0;
}

// A character: the next item that starts with it.
void key_char(HWND h, ListData& d, WPARAM ch) {
  if (ch < ' ' || count(d) == 0) return;
  const unsigned char want = upper_key(static_cast<unsigned char>(ch));
  for (int k = 1; k <= count(d); ++k) {
    const int i = (d.caret + k) % count(d);
    const std::string& t = d.items[static_cast<std::size_t>(i)].text;
    if (!t.empty() && upper_key(static_cast<unsigned char>(t[0])) == want) {
      if (move_to(h, d, i, false, false, false)) notify(h, d, LBN_SELCHANGE);
      return;
    }
  }
}

LRESULT list_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool combo_list) {
  LRESULT result;
  ListData* d = control_message<ListData>(h, msg, wp, lp, result,
                                          [h](HDC dc, const ListData& l) { paint(h, dc, l); });
  if (d == nullptr) {
    if (msg == WM_SETFONT && (d = data_of<ListData>(h)) != nullptr) update_scroll(h, *d);
    return result;
  }
  if (msg == WM_NCCREATE) {
    d->combo_list = combo_list;
    const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
    if (combo_list && cs != nullptr) d->combo = reinterpret_cast<HWND>(cs->lpCreateParams);
  }
  const int n = count(*d);
  auto index_ok = [&](WPARAM i) { return static_cast<int>(i) >= 0 && static_cast<int>(i) < n; };
  switch (msg) {
    case WM_CREATE:
      update_scroll(h, *d);
      return 0;
    case WM_SIZE:
      update_scroll(h, *d);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      InvalidateRect(h, nullptr, FALSE);
      notify(h, *d, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      InvalidateRect(h, nullptr, FALSE);
      notify(h, *d, LBN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const int step = msg == WM_HSCROLL ? rows(h) : 1;
      const int pg = msg == WM_HSCROLL ? page(h, *d) : rows(h);
      int top = d->top;
      switch (LOWORD(wp)) {
        case SB_LINEUP:
          top -= step;
          break;
        case SB_LINEDOWN:
          top += step;
          break;
        case SB_PAGEUP:
          top -= pg;
          break;
        case SB_PAGEDOWN:
          top += pg;
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          top = HIWORD(wp) * step;
          break;
        case SB_TOP:
          top = 0;
          break;
        case SB_BOTTOM:
          top = n;
          break;
        default:
          return 0;
      }
      set_top(h, *d, std::max(0, top));
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      if (combo_list) return combo_list_click(d->combo, h, p, true);
      SetFocus(h);
      if ((d = data_of<ListData>(h)) == nullptr) return 0;
      const int i = item_at(h, *d, p);
      if (i >= 0) {
        const bool changed = move_to(h, *d, i, (wp & MK_SHIFT) != 0, (wp & MK_CONTROL) != 0,
                                     mode_of(h) == Mode::multiple || (wp & MK_CONTROL) != 0);
        if (changed) notify(h, *d, LBN_SELCHANGE);
        if (msg == WM_LBUTTONDBLCLK) notify(h, *d, LBN_DBLCLK);
      }
      if ((d = data_of<ListData>(h)) != nullptr && mode_of(h) != Mode::multiple) {
        d->tracking = true;
        SetCapture(h);
      }
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
      const int i = item_at(h, *d, p);
      if (combo_list) {
        if (i >= 0 && i != d->cur) {
          d->cur = d->caret = i;
          InvalidateRect(h, nullptr, FALSE);
        }
        return 0;
      }
      if (d->tracking && i >= 0 && move_to(h, *d, i, mode_of(h) == Mode::extended, false, false))
        notify(h, *d, LBN_SELCHANGE);
      return 0;
    }
    case WM_LBUTTONUP:
      if (combo_list)
        return combo_list_click(d->combo, h, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, false);
      if (d->tracking) {
        d->tracking = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      d->tracking = false;
      return 0;
    case WM_KEYDOWN:
      return key_down(h, *d, wp);
    case WM_CHAR:
      key_char(h, *d, wp);
      return 0;
    case LB_ADDSTRING: {
      Item it;
      it.text = lp != 0 ? reinterpret_cast<const char*>(lp) : "";
      d->items.push_back(std::move(it));
      update_scroll(h, *d);
      InvalidateRect(h, nullptr, TRUE);
      return n;
    }
    case LB_RESETCONTENT:
      d->items.clear();
      d->cur = -1;
      d->caret = d->anchor = d->top = 0;
      update_scroll(h, *d);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case LB_SETSEL: {
      if (mode_of(h) == Mode::single) return LB_ERR;
      const int i = static_cast<int>(lp);
      if (i == -1) {
        for (Item& it : d->items) it.selected = wp != 0;
      } else {
        if (!index_ok(static_cast<WPARAM>(lp))) return LB_ERR;
        d->items[static_cast<std::size_t>(i)].selected = wp != 0;
        d->caret = d->anchor = i;
      }
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    }
    case LB_SETCURSEL:
      if (mode_of(h) != Mode::single) return LB_ERR;
      d->cur = index_ok(wp) ? static_cast<int>(wp) : -1;
      if (d->cur >= 0) {
        d->caret = d->cur;
        show_item(h, *d, d->cur);
      }
      InvalidateRect(h, nullptr, FALSE);
      return d->cur >= 0 ? d->cur : LB_ERR;
    case LB_GETSEL:
      if (!index_ok(wp)) return LB_ERR;
      return mode_of(h) == Mode::single ? (static_cast<int>(wp) == d->cur ? 1 : 0)
                                        : (d->items[wp].selected ? 1 : 0);
    case LB_GETCURSEL:
      if (mode_of(h) != Mode::single) return n > 0 ? d->caret : LB_ERR;
      return d->cur >= 0 ? d->cur : LB_ERR;
    case LB_GETTEXT:
      if (!index_ok(wp) || lp == 0) return LB_ERR;
      std::memcpy(reinterpret_cast<char*>(lp), d->items[wp].text.c_str(),
                  d->items[wp].text.size() + 1);
      return static_cast<LRESULT>(d->items[wp].text.size());
    case LB_GETTEXTLEN:
      return index_ok(wp) ? static_cast<LRESULT>(d->items[wp].text.size()) : LB_ERR;
    case LB_GETCOUNT:
      return n;
    case LB_GETTOPINDEX:
      return d->top;
    case LB_GETSELCOUNT: {
      if (mode_of(h) == Mode::single) return LB_ERR;
      return std::count_if(d->items.begin(), d->items.end(),
                           [](const Item& it) { return it.selected; });
    }
    case LB_GETSELITEMS: {
      if (mode_of(h) == Mode::single) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lp);
      int k = 0;
      for (int i = 0; i < n && k < static_cast<int>(wp); ++i)
        if (d->items[static_cast<std::size_t>(i)].selected) out[k++] = i;
      return k;
    }
    case LB_SETCOLUMNWIDTH:
      d->column_width = static_cast<int>(wp);
      update_scroll(h, *d);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case LB_GETITEMDATA:
      return index_ok(wp) ? d->items[wp].data : LB_ERR;
    case LB_SETITEMDATA:
      if (!index_ok(wp)) return LB_ERR;
      d->items[wp].data = lp;
      return TRUE;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace

LRESULT listbox_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return list_proc(h, msg, wp, lp, false);
}

LRESULT combo_list_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return list_proc(h, msg, wp, lp, true);
}

}  // namespace win::detail
