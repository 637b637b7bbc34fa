// Menu objects and their items, the menu bar of a window and its drawing,
// and accelerator tables.
#include <algorithm>
#include <map>

#include "platform/win_last_error.h"
#include "platform/win_menu_internal.h"
#include "platform/win_message_keys.h"

namespace win::detail {

namespace {

constexpr std::uint32_t kMenuBase = 0x00500000;
constexpr std::uint32_t kAccelBase = 0x00600000;
constexpr int kBarPad = 8;      // left and right of a bar item's text
constexpr int kCheckRoom = 18;  // the check-mark column of a popup
constexpr int kArrowRoom = 18;  // the sub-menu arrow column

std::map<std::uint32_t, Menu> menus;
std::uint32_t next_menu = kMenuBase;
std::map<std::uint32_t, std::vector<ACCEL>> tables;
std::uint32_t next_table = kAccelBase;

HMENU make(bool popup) {
  const std::uint32_t h = next_menu++;
  menus[h].popup = popup;
  return handle_from<HMENU>(h);
}

// The item a command or position names, searching the menus items open
// when by command; null when there is none.
MenuItem* item_of(HMENU menu, UINT item, UINT flags, int depth = 0) {
  Menu* m = menu_of(menu);
  if (m == nullptr || depth > 16) return nullptr;
  if (flags & MF_BYPOSITION) return item < m->items.size() ? &m->items[item] : nullptr;
  for (MenuItem& it : m->items) {
    if (it.flags & MF_SEPARATOR) continue;
    if (it.sub() != nullptr) {
      // A popup's command is the handle of the menu it opens.
      if (static_cast<UINT>(it.id) == item) return &it;
      if (MenuItem* in = item_of(it.sub(), item, flags, depth + 1)) return in;
    } else if (it.id == item) {
      return &it;
    }
  }
  return nullptr;
}

void redraw_bars_of(HMENU menu) {
  for (HWND h : all_windows()) {
    Window* w = find(h);
    if (w != nullptr && is_toplevel(*w) && w->menu == menu) {
      w->nc_dirty = true;
      paint_maybe_pending = true;
    }
  }
}

HFONT menu_font() { return reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

struct Measure {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, menu_font());
  ~Measure() {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  int width(const std::string& s) {
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    return r.right;
  }
};

std::string left_part(const std::string& t) { return t.substr(0, t.find('\t')); }
std::string right_part(const std::string& t) {
  const auto tab = t.find('\t');
  return tab == std::string::npos ? std::string() : t.substr(tab + 1);
}

int item_height() { return line_height(menu_font()) + 4; }

}  // namespace

Menu* menu_of(HMENU h) {
  auto it = menus.find(handle_value(h));
  return it == menus.end() ? nullptr : &it->second;
}

std::vector<RECT> bar_item_rects(const Window& w, const Menu& m) {
  const int b = border_width(w.style, w.ex_style);
  const int top = b + ((w.style & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0);
  Measure ms;
  std::vector<RECT> out;
  int x = b;
  for (const MenuItem& it : m.items) {
    const int wdt = (it.flags & MF_SEPARATOR) ? 0 : ms.width(left_part(it.text)) + 2 * kBarPad;
    out.push_back({x, top, x + wdt, top + kMenuBarHeight});
    x += wdt;
  }
  return out;
}

std::vector<RECT> popup_item_rects(const Menu& m) {
  const SIZE s = popup_size(m);
  std::vector<RECT> out;
  int y = 2;
  for (const MenuItem& it : m.items) {
    const int h = (it.flags & MF_SEPARATOR) ? 8 : item_height();
    out.push_back({2, y, s.cx - 2, y + h});
    y += h;
  }
  return out;
}

SIZE popup_size(const Menu& m) {
  Measure ms;
  int left = 0, right = 0, height = 4;
  for (const MenuItem& it : m.items) {
    height += (it.flags & MF_SEPARATOR) ? 8 : item_height();
    left = std::max(left, ms.width(left_part(it.text)));
    right = std::max(right, ms.width(right_part(it.text)));
  }
  return {kCheckRoom + left + (right > 0 ? right + 24 : 0) + kArrowRoom + 4, height};
}

void paint_menu_bar(Window& w, HDC dc, const RECT& bar) {
  fill(dc, bar, GetSysColor(COLOR_MENU));
  const Menu* m = menu_of(w.menu);
  if (m == nullptr) return;
  bool open = false;
  const int sel = tracked_selection(w.menu, &open);
  HGDIOBJ old = SelectObject(dc, menu_font());
  const std::vector<RECT> rs = bar_item_rects(w, *m);
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& it = m->items[i];
    if (it.flags & MF_SEPARATOR) continue;
    const RECT& r = rs[i];
    const bool hot = static_cast<int>(i) == sel;
    if (hot) fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    draw_label(dc, left_part(it.text), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER,
               (it.flags & (MF_GRAYED | MF_DISABLED)) == 0 || hot);
  }
  SelectObject(dc, old);
}

// Draws a popup menu's items, the selected one highlighted.
void paint_popup(HDC dc, const Menu& m, int sel, const RECT& client) {
  fill(dc, client, GetSysColor(COLOR_MENU));
  draw_raised(dc, client, false);
  HGDIOBJ old = SelectObject(dc, menu_font());
  const std::vector<RECT> rs = popup_item_rects(m);
  for (std::size_t i = 0; i < m.items.size(); ++i) {
    const MenuItem& it = m.items[i];
    const RECT& r = rs[i];
    if (it.flags & MF_SEPARATOR) {
      const int y = (r.top + r.bottom) / 2 - 1;
      fill(dc, {r.left + 1, y, r.right - 1, y + 1}, GetSysColor(COLOR_BTNSHADOW));
      fill(dc, {r.left + 1, y + 1, r.right - 1, y + 2}, GetSysColor(COLOR_BTNHIGHLIGHT));
      continue;
    }
    const bool hot = static_cast<int>(i) == sel;
    const bool grey = (it.flags & (MF_GRAYED | MF_DISABLED)) != 0;
    if (hot) fill(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    const COLORREF ink = GetSysColor(hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    SetTextColor(dc, ink);
    if (it.flags & MF_CHECKED)
      draw_check_mark(dc, {r.left + 3, r.top + 2, r.left + kCheckRoom - 3, r.bottom - 2},
                      grey ? GetSysColor(COLOR_GRAYTEXT) : ink);
    RECT tr{r.left + kCheckRoom, r.top, r.right - kArrowRoom, r.bottom};
    if (grey && hot) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    draw_label(dc, left_part(it.text), tr, DT_SINGLELINE | DT_LEFT | DT_VCENTER, !grey || hot);
    draw_label(dc, right_part(it.text), tr, DT_SINGLELINE | DT_RIGHT | DT_VCENTER | DT_NOPREFIX,
               !grey || hot);
    if (it.sub() != nullptr)
      draw_arrow(dc, {r.right - kArrowRoom, r.top, r.right, r.bottom}, 3, ink);
  }
  SelectObject(dc, old);
}

void reset_menu_objects() {
  menus.clear();
  tables.clear();
  next_menu = kMenuBase;
  next_table = kAccelBase;
}

}  // namespace win::detail

namespace win {

using namespace detail;

HMENU CreateMenu() { return make(false); }

HMENU CreatePopupMenu() { return make(true); }

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  Menu* m = menu_of(menu);
  if (m == nullptr || ((flags & MF_POPUP) && menu_of(reinterpret_cast<HMENU>(id)) == nullptr)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  MenuItem it;
  it.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
  it.id = id;
  if ((flags & MF_SEPARATOR) == 0 && text != nullptr) it.text = text;
  m->items.push_back(std::move(it));
  redraw_bars_of(menu);
  return TRUE;
}

BOOL DestroyMenu(HMENU menu) {
  Menu* m = menu_of(menu);
  if (m == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  std::vector<HMENU> subs;
  for (const MenuItem& it : m->items)
    if (it.sub() != nullptr) subs.push_back(it.sub());
  menus.erase(handle_value(menu));
  for (HMENU s : subs) DestroyMenu(s);
  return TRUE;
}

BOOL SetMenu(HWND wnd, HMENU menu) {
  Window* w = find(wnd);
  if (w == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!is_toplevel(*w) || (w->style & WS_CHILD)) {
    SetLastError(ERROR_CHILD_WINDOW_MENU);
    return FALSE;
  }
  if (menu != nullptr && menu_of(menu) == nullptr) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  w->menu = menu;
  SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

HMENU GetMenu(HWND wnd) {
  Window* w = find(wnd);
  return w != nullptr && is_toplevel(*w) ? w->menu : nullptr;
}

BOOL DrawMenuBar(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr || !is_toplevel(*w)) return FALSE;
  w->nc_dirty = true;
  paint_maybe_pending = true;
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = item_of(menu, item, flags);
  if (it == nullptr) return static_cast<DWORD>(-1);
  const DWORD old = it->flags & MF_CHECKED;
  it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return old;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  MenuItem* it = item_of(menu, item, flags);
  if (it == nullptr) return -1;
  const UINT old = it->flags & (MF_GRAYED | MF_DISABLED);
  it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(old);
}

HACCEL CreateAcceleratorTableA(const ACCEL* entries, int count) {
  if (entries == nullptr || count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::uint32_t h = next_table++;
  tables[h].assign(entries, entries + count);
  return handle_from<HACCEL>(h);
}

BOOL DestroyAcceleratorTable(HACCEL table) {
  if (tables.erase(handle_value(table)) == 0) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int TranslateAcceleratorA(HWND wnd, HACCEL table, const MSG* msg) {
  auto t = tables.find(handle_value(table));
  if (t == tables.end()) {
    SetLastError(ERROR_INVALID_ACCEL_HANDLE);
    return 0;
  }
  if (msg == nullptr || wnd == nullptr) return 0;
  const UINT m = msg->message;
  const bool key = m == WM_KEYDOWN || m == WM_SYSKEYDOWN;
  const bool chr = m == WM_CHAR || m == WM_SYSCHAR;
  if (!key && !chr) return 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0 || (msg->lParam & (1 << 29)) != 0;
  for (const ACCEL& a : t->second) {
    const bool virt = (a.fVirt & FVIRTKEY) != 0;
    if (virt != key || a.key != msg->wParam) continue;
    if (((a.fVirt & FALT) != 0) != alt) continue;
    if (virt && (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != ctrl))
      continue;
    // A greyed or disabled command of the window's menu is not sent.
    Window* w = find(wnd);
    Window* top = w != nullptr ? toplevel_of(*w) : nullptr;
    MenuItem* it =
        top != nullptr && top->menu != nullptr ? item_of(top->menu, a.cmd, MF_BYCOMMAND) : nullptr;
    if (it == nullptr || it->usable()) SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
    return 1;
  }
  return 0;
}

}  // namespace win
