// Tracking a menu: the menu bar's and a popup menu's modal loop, which
// takes every key and mouse message of the program until a command is
// chosen or the menu is closed, and the popup windows it shows.
#include <algorithm>

#include "platform/win_menu_internal.h"
#include "platform/win_message_keys.h"
#include "platform/win_resources.h"

namespace win::detail {

void paint_popup(HDC dc, const Menu& m, int sel, const RECT& client);

namespace {

struct Level {
  HMENU menu = nullptr;
  HWND wnd = nullptr;  // the popup window; null for the menu bar
  int sel = -1;
};

struct Tracker {
  HWND owner = nullptr;
  bool bar = false;  // started on the owner's menu bar
  bool notify = true;
  UINT flags = 0;
  std::vector<Level> levels;
  bool done = false;
  bool chosen = false;
  UINT_PTR command = 0;
};

Tracker* active = nullptr;

const Menu& menu(const Level& l) {
  static const Menu none;
  const Menu* m = menu_of(l.menu);
  return m != nullptr ? *m : none;
}

const MenuItem* item(const Level& l, int i) {
  const Menu& m = menu(l);
  return i >= 0 && i < static_cast<int>(m.items.size()) ? &m.items[static_cast<std::size_t>(i)]
                                                        : nullptr;
}

void redraw(Tracker& t, std::size_t k) {
  Level& l = t.levels[k];
  if (l.wnd != nullptr) {
    InvalidateRect(l.wnd, nullptr, FALSE);
    UpdateWindow(l.wnd);
  } else if (Window* w = find(t.owner)) {
    w->nc_dirty = true;
    paint_maybe_pending = true;
    UpdateWindow(t.owner);
  }
}

void select(Tracker& t, std::size_t k, int i, bool by_mouse) {
  Level& l = t.levels[k];
  if (l.sel == i) return;
  l.sel = i;
  redraw(t, k);
  const MenuItem* it = item(t.levels[k], i);
  if (it == nullptr || !t.notify) return;
  const bool sub = it->sub() != nullptr;
  const UINT flags = (it->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP)) | MF_HILITE |
                     (by_mouse ? MF_MOUSESELECT : 0);
  SendMessageA(t.owner, WM_MENUSELECT,
               MAKEWPARAM(static_cast<WORD>(sub ? static_cast<UINT_PTR>(i) : it->id),
                          static_cast<WORD>(flags)),
               reinterpret_cast<LPARAM>(t.levels[k].menu));
}

// Closes the levels from k on.
void close_from(Tracker& t, std::size_t k) {
  while (t.levels.size() > k) {
    HWND w = t.levels.back().wnd;
    t.levels.pop_back();
    if (w != nullptr && IsWindow(w)) DestroyWindow(w);
  }
}

int step(const Level& l, int from, int by) {
  const Menu& m = menu(l);
  const int n = static_cast<int>(m.items.size());
  if (n == 0) return -1;
  int i = from < 0 ? (by > 0 ? -1 : n) : from;
  for (int k = 0; k < n; ++k) {
    i = ((i + by) % n + n) % n;
    if ((m.items[static_cast<std::size_t>(i)].flags & MF_SEPARATOR) == 0) return i;
  }
  return -1;
}

HWND show_popup(Tracker& t, HMENU m, POINT at, const RECT* avoid_x) {
  const Menu* mm = menu_of(m);
  if (mm == nullptr) return nullptr;
  const SIZE s = popup_size(*mm);
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  if (at.x + s.cx > sw) at.x = avoid_x != nullptr ? avoid_x->left - s.cx + 3 : sw - s.cx;
  if (at.y + s.cy > sh) at.y = sh - s.cy;
  at.x = std::max(0, at.x);
  at.y = std::max(0, at.y);
  HWND w = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, MAKEINTATOM(0x8000), "", WS_POPUP,
                           at.x, at.y, s.cx, s.cy, t.owner, nullptr, nullptr, nullptr);
  if (w != nullptr)
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  return w;
}

// Opens the menu of level k's selected item; with `first` its first item
// is selected.
void open(Tracker& t, std::size_t k, bool first) {
  const MenuItem* it = item(t.levels[k], t.levels[k].sel);
  if (it == nullptr || it->sub() == nullptr) return;
  close_from(t, k + 1);
  const Level& l = t.levels[k];
  POINT at;
  RECT parent_rect{};
  if (l.wnd == nullptr) {
    RECT wr;
    GetWindowRect(t.owner, &wr);
    const RECT r = bar_item_rects(*find(t.owner), menu(l))[static_cast<std::size_t>(l.sel)];
    at = {wr.left + r.left, wr.top + r.bottom};
  } else {
    GetWindowRect(l.wnd, &parent_rect);
    const RECT r = popup_item_rects(menu(l))[static_cast<std::size_t>(l.sel)];
    at = {parent_rect.right - 3, parent_rect.top + r.top - 2};
  }
  const HMENU sub = it->sub();
  HWND w = show_popup(t, sub, at, l.wnd != nullptr ? &parent_rect : nullptr);
  if (w == nullptr) return;
  t.levels.push_back(Level{sub, w, -1});
  if (first) select(t, t.levels.size() - 1, step(t.levels.back(), -1, 1), false);
}

void choose(Tracker& t, const MenuItem* it) {
  if (it == nullptr || !it->usable()) return;
  t.chosen = true;
  t.command = it->id;
  t.done = true;
}

// Selects the item of level k with the mnemonic, opening its menu or
// choosing it; false when there is none.
int find_mnemonic(const Level& l, unsigned char ch) {
  const Menu& m = menu(l);
  for (std::size_t i = 0; i < m.items.size(); ++i)
    if ((m.items[i].flags & MF_SEPARATOR) == 0 && mnemonic_of(m.items[i].text) == upper_key(ch))
      return static_cast<int>(i);
  return -1;
}

bool mnemonic(Tracker& t, std::size_t k, unsigned char ch) {
  const int i = find_mnemonic(t.levels[k], ch);
  if (i < 0) return false;
  close_from(t, k + 1);
  select(t, k, i, false);
  const MenuItem* it = item(t.levels[k], i);
  if (it->sub() != nullptr)
    open(t, k, true);
  else
    choose(t, it);
  return true;
}

void key(Tracker& t, WPARAM vk) {
  const std::size_t last = t.levels.size() - 1;
  const bool on_bar = t.bar && last == 0;
  Level& l = t.levels[last];
  switch (vk) {
    case VK_ESCAPE:
      if (last > 0)
        close_from(t, last);
      else
        t.done = true;
      return;
    case VK_MENU:
    case VK_F10:
      t.done = true;
      return;
    case VK_LEFT:
    case VK_RIGHT: {
      const int by = vk == VK_LEFT ? -1 : 1;
      if (on_bar) {
        select(t, 0, step(l, l.sel, by), false);
      } else if (vk == VK_RIGHT && item(l, l.sel) != nullptr && item(l, l.sel)->sub() != nullptr) {
        open(t, last, true);
      } else if (vk == VK_LEFT && last > (t.bar ? 1u : 0u)) {
        close_from(t, last);
      } else if (t.bar) {
        close_from(t, 1);
        select(t, 0, step(t.levels[0], t.levels[0].sel, by), false);
        open(t, 0, true);
      }
      return;
    }
    case VK_UP:
    case VK_DOWN:
      if (on_bar) {
        open(t, 0, true);
        if (vk == VK_UP && t.levels.size() > 1) select(t, 1, step(t.levels[1], -1, -1), false);
        return;
      }
      select(t, last, step(l, l.sel, vk == VK_UP ? -1 : 1), false);
      return;
    case VK_RETURN: {
      const MenuItem* it = item(l, l.sel);
      if (it != nullptr && it->sub() != nullptr)
        open(t, last, true);
      else
        choose(t, it);
      return;
    }
    default:
      if (unsigned char ch = key_char(static_cast<int>(vk)); ch > ' ' && !mnemonic(t, last, ch))
        MessageBeep(0);
  }
}

// The level and item under a screen point; false when it is over no menu.
bool hit(Tracker& t, POINT pt, std::size_t& k, int& i) {
  for (std::size_t n = t.levels.size(); n-- > 0;) {
    const Level& l = t.levels[n];
    RECT wr;
    GetWindowRect(l.wnd != nullptr ? l.wnd : t.owner, &wr);
    const POINT local{pt.x - wr.left, pt.y - wr.top};
    const std::vector<RECT> rs =
        l.wnd != nullptr ? popup_item_rects(menu(l)) : bar_item_rects(*find(t.owner), menu(l));
    if (l.wnd != nullptr && (local.x < 0 || local.y < 0 || pt.x >= wr.right || pt.y >= wr.bottom))
      continue;
    i = -1;
    for (std::size_t j = 0; j < rs.size(); ++j)
      if (local.x >= rs[j].left && local.x < rs[j].right && local.y >= rs[j].top &&
          local.y < rs[j].bottom && (menu(l).items[j].flags & MF_SEPARATOR) == 0)
        i = static_cast<int>(j);
    if (l.wnd == nullptr && i < 0) continue;  // the bar counts only on an item
    k = n;
    return true;
  }
  return false;
}

void mouse(Tracker& t, UINT msg, POINT pt) {
  std::size_t k = 0;
  int i = -1;
  const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
  const bool up = msg == WM_LBUTTONUP || (msg == WM_RBUTTONUP && (t.flags & TPM_RIGHTBUTTON));
  if (!hit(t, pt, k, i)) {
    if (down) t.done = true;  // a click elsewhere closes the menu
    return;
  }
  const bool bar_level = t.levels[k].wnd == nullptr;
  if (msg == WM_MOUSEMOVE) {
    if (i < 0 || (bar_level && t.levels.size() == 1)) return;
    if (t.levels[k].sel != i) {
      close_from(t, k + 1);
      select(t, k, i, true);
      open(t, k, false);
    }
    return;
  }
  if (down && bar_level) {
    if (t.levels[0].sel == i && t.levels.size() > 1) {
      t.done = true;  // a second click on an open title closes it
      return;
    }
    close_from(t, 1);
    select(t, 0, i, true);
    if (item(t.levels[0], i)->sub() != nullptr)
      open(t, 0, false);
    else
      choose(t, item(t.levels[0], i));
    return;
  }
  if (up && !bar_level && i >= 0) {
    const MenuItem* it = item(t.levels[k], i);
    if (it->sub() != nullptr) {
      select(t, k, i, true);
      open(t, k, true);
    } else {
      choose(t, it);
    }
  }
}

// The loop; the caller has made the tracker the active one.
void run(Tracker& t) {
  SetCapture(t.owner);
  while (!t.done) {
    if (GetCapture() != t.owner) break;  // taken away: the menu closes
    MSG m;
    const BOOL got = GetMessageA(&m, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    switch (m.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        key(t, m.wParam);
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
      case WM_MOUSELEAVE:
        break;
      case WM_MOUSEMOVE:
      case WM_LBUTTONDOWN:
      case WM_LBUTTONUP:
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
        mouse(t, m.message, m.pt);
        break;
      default:
        DispatchMessageA(&m);
    }
    if (t.levels.empty()) t.done = true;
  }
  close_from(t, t.bar ? 1 : 0);
  if (t.bar && !t.levels.empty()) {
    t.levels[0].sel = -1;
    redraw(t, 0);
  }
  if (GetCapture() == t.owner) ReleaseCapture();
  active = nullptr;
  if (t.notify && IsWindow(t.owner)) SendMessageA(t.owner, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
}

}  // namespace

void reset_menus() {
  active = nullptr;
  reset_menu_objects();
}

int tracked_selection(HMENU m, bool* open) {
  if (active == nullptr) return -1;
  for (std::size_t k = 0; k < active->levels.size(); ++k)
    if (active->levels[k].menu == m) {
      if (open != nullptr) *open = k + 1 < active->levels.size();
      return active->levels[k].sel;
    }
  return -1;
}

LRESULT menu_popup_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      if (dc != nullptr && active != nullptr)
        for (const Level& l : active->levels)
          if (l.wnd == h) paint_popup(dc, menu(l), l.sel, client_of(h));
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

void track_menu_bar(HWND h, POINT screen, bool by_mouse, unsigned char ch) {
  Window* w = find(h);
  if (w == nullptr || active != nullptr) return;
  Window* top = toplevel_of(*w);
  if (top == nullptr || !is_toplevel(*top) || menu_of(top->menu) == nullptr) {
    if (ch > ' ') MessageBeep(0);
    return;
  }
  Tracker t;
  t.owner = top->handle;
  t.bar = true;
  t.levels.push_back(Level{top->menu, nullptr, -1});
  std::size_t k = 0;
  int i = -1;
  if (by_mouse && !hit(t, screen, k, i)) return;
  if (!by_mouse && ch > ' ' && find_mnemonic(t.levels[0], ch) < 0) {
    MessageBeep(0);
    return;
  }
  active = &t;
  if (by_mouse) {
    mouse(t, WM_LBUTTONDOWN, screen);
  } else if (ch > ' ') {
    mnemonic(t, 0, ch);
  } else {
    select(t, 0, step(t.levels[0], -1, 1), false);
  }
  run(t);
  if (t.chosen && IsWindow(t.owner))
    PostMessageA(t.owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(t.command), 0), 0);
}

}  // namespace win::detail

namespace win {

using namespace detail;

BOOL TrackPopupMenuEx(HMENU m, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  const Menu* mm = menu_of(m);
  if (mm == nullptr || !IsWindow(owner) || active != nullptr) return FALSE;
  const SIZE s = popup_size(*mm);
  if (flags & TPM_CENTERALIGN)
    x -= s.cx / 2;
  else if (flags & TPM_RIGHTALIGN)
    x -= s.cx;
  if (flags & TPM_VCENTERALIGN)
    y -= s.cy / 2;
  else if (flags & TPM_BOTTOMALIGN)
    y -= s.cy;
  if (params != nullptr) {
    // Beside the rectangle it must not cover: below or above it with
    // TPM_VERTICAL, else right or left of it.
    const RECT& e = params->rcExclude;
    const bool overlaps = x < e.right && x + s.cx > e.left && y < e.bottom && y + s.cy > e.top;
    if (overlaps) {
      if (flags & TPM_VERTICAL)
        y = e.bottom + s.cy <= GetSystemMetrics(SM_CYSCREEN) ? e.bottom : e.top - s.cy;
      else
        x = e.right + s.cx <= GetSystemMetrics(SM_CXSCREEN) ? e.right : e.left - s.cx;
    }
  }
  Tracker t;
  t.owner = owner;
  t.flags = flags;
  t.notify = (flags & TPM_NONOTIFY) == 0;
  HWND w = show_popup(t, m, {x, y}, nullptr);
  if (w == nullptr) return FALSE;
  t.levels.push_back(Level{m, w, -1});
  active = &t;
  run(t);
  if (!t.chosen) return FALSE;
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(t.command);
  PostMessageA(owner, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(t.command), 0), 0);
  return TRUE;
}

}  // namespace win
