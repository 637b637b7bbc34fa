// The window tree: the table of live windows, creation and destruction with
// their messages, tree queries, window words and window texts.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/backend.h"
#include "platform/win_commdlg.h"
#include "platform/win_cursor.h"
#include "platform/win_message_box.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

constexpr std::uint32_t kDesktopHandle = 0x10010;
std::uint32_t next_handle = kDesktopHandle + 2;
std::unordered_map<std::uint32_t, std::unique_ptr<Window>> table;

Window& desktop_record() {
  static Window d = [] {
    Window w;
    w.handle = handle_from<HWND>(kDesktopHandle);
    w.style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    return w;
  }();
  return d;
}

}  // namespace

HWND desktop_handle() { return handle_from<HWND>(kDesktopHandle); }

Window& desktop() {
  Window& d = desktop_record();
  win::SIZE s = plat::backend().screen_size();
  d.rect = {0, 0, s.cx, s.cy};
  d.client = d.rect;
  return d;
}

Window* find(HWND wnd) {
  std::uint32_t v = handle_value(wnd);
  if (v == kDesktopHandle) return &desktop();
  auto it = table.find(v);
  return it == table.end() ? nullptr : it->second.get();
}

std::vector<HWND> all_windows() {
  std::vector<HWND> out;
  out.reserve(table.size());
  for (auto& [k, w] : table) out.push_back(w->handle);
  return out;
}

bool is_toplevel(const Window& w) { return w.parent == desktop_handle(); }

Window* toplevel_of(Window& w) {
  Window* p = &w;
  while (p != nullptr && p->handle != desktop_handle() && !is_toplevel(*p)) p = find(p->parent);
  return p;
}

bool visible_chain(const Window& w) {
  const Window* p = &w;
  while (p != nullptr && p->handle != desktop_handle()) {
    if ((p->style & WS_VISIBLE) == 0) return false;
    p = find(p->parent);
  }
  return p != nullptr;
}

bool enabled_chain(const Window& w) {
  const Window* p = &w;
  while (p != nullptr && p->handle != desktop_handle()) {
    if ((p->style & WS_DISABLED) != 0) return false;
    if (is_toplevel(*p)) return true;
    p = find(p->parent);
  }
  return p != nullptr;
}

bool is_descendant(HWND ancestor, HWND wnd) {
  for (Window* p = find(wnd); p != nullptr && p->handle != desktop_handle(); p = find(p->parent))
    if (p->handle == ancestor) return true;
  return false;
}

int width(const Window& w) { return w.rect.right - w.rect.left; }
int height(const Window& w) { return w.rect.bottom - w.rect.top; }
int client_width(const Window& w) { return w.client.right - w.client.left; }
int client_height(const Window& w) { return w.client.bottom - w.client.top; }

POINT window_origin_on_screen(const Window& w) {
  POINT pt{w.rect.left, w.rect.top};
  for (Window* p = find(w.parent); p != nullptr && p->handle != desktop_handle();
       p = find(p->parent)) {
    pt.x += p->rect.left + p->client.left;
    pt.y += p->rect.top + p->client.top;
  }
  return pt;
}

POINT client_origin_on_screen(const Window& w) {
  POINT pt = window_origin_on_screen(w);
  return {pt.x + w.client.left, pt.y + w.client.top};
}

POINT offset_in_toplevel(const Window& w) {
  POINT pt{0, 0};
  const Window* c = &w;
  while (c != nullptr && !is_toplevel(*c) && c->handle != desktop_handle()) {
    Window* p = find(c->parent);
    if (p == nullptr) break;
    pt.x += c->rect.left + p->client.left;
    pt.y += c->rect.top + p->client.top;
    c = p;
  }
  return pt;
}

int border_width(DWORD style, DWORD ex_style) {
  if (style & WS_THICKFRAME) return kSizingFrameWidth;
  if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME)) return kDialogFrameWidth;
  if (style & WS_BORDER) return kBorderWidth;
  return 0;
}

RECT frame_insets(DWORD style, DWORD ex_style, bool has_menu, int cx, int cy, bool child) {
  const int b = border_width(style, ex_style);
  RECT in{b, b, b, b};
  if ((style & WS_CAPTION) == WS_CAPTION) in.top += kCaptionHeight;
  if (!child && has_menu) in.top += kMenuBarHeight;
  int edge = (ex_style & WS_EX_CLIENTEDGE) ? kEdgeWidth : (ex_style & WS_EX_STATICEDGE) ? 1 : 0;
  in.left += edge;
  in.top += edge;
  in.right += edge;
  in.bottom += edge;
  if (style & WS_VSCROLL) in.right += kScrollBarWidth;
  if (style & WS_HSCROLL) in.bottom += kScrollBarWidth;
  // Client area in window coordinates; never inside out.
  RECT c{in.left, in.top, std::max<LONG>(in.left, cx - in.right),
         std::max<LONG>(in.top, cy - in.bottom)};
  return c;
}

void recompute_client(Window& w) {
  bool child = !is_toplevel(w);
  w.client =
      frame_insets(w.style, w.ex_style, !child && w.menu != nullptr, width(w), height(w), child);
}

LRESULT call(Window& w, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC proc = w.proc;
  return proc != nullptr ? proc(w.handle, msg, wp, lp) : DefWindowProcA(w.handle, msg, wp, lp);
}

LRESULT send(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return 0;
  return call(*w, msg, wp, lp);
}

namespace {

void unlink_from_parent(Window& w) {
  if (Window* p = find(w.parent)) std::erase(p->children, w.handle);
}

// Frees one window whose children are gone already.
void free_window(HWND h) {
  Window* w = find(h);
  if (w == nullptr) return;
  kill_window_timers(h);
  purge_queue(h);
  if (is_toplevel(*w)) plat::backend().window_destroyed(h);
  free_surface(*w);
  unlink_from_parent(*w);
  table.erase(handle_value(h));
}

void mark_destroying(Window& w) {
  w.destroying = true;
  for (HWND c : w.children)
    if (Window* cw = find(c)) mark_destroying(*cw);
}

void send_destroy(HWND h) {
  Window* w = find(h);
  if (w == nullptr) return;
  call(*w, WM_DESTROY, 0, 0);
  w = find(h);
  if (w == nullptr) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) send_destroy(c);
}

void send_ncdestroy_and_free(HWND h) {
  Window* w = find(h);
  if (w == nullptr) return;
  std::vector<HWND> kids = w->children;
  for (HWND c : kids) send_ncdestroy_and_free(c);
  w = find(h);
  if (w == nullptr) return;
  call(*w, WM_NCDESTROY, 0, 0);
  free_window(h);
}

void default_position(DWORD style, int& x, int& y, int& cx, int& cy) {
  bool overlapped = (style & (WS_CHILD | WS_POPUP)) == 0;
  if (overlapped) {
    screen_rect_default(style, x, y, cx, cy);
  } else {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (cx == CW_USEDEFAULT) cx = cy = 0;
  }
  cx = std::max(cx, 0);
  cy = std::max(cy, 0);
}

}  // namespace

void reset_tree() {
  for (auto& [k, w] : table) free_surface(*w);
  table.clear();
  desktop_record().children.clear();
  free_surface(desktop_record());
  // Handles count from the start again: a run after a reset sees the same
  // handles as the first one.
  next_handle = kDesktopHandle + 2;
}

}  // namespace win::detail

namespace win {

using namespace detail;

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE inst,
                     LPVOID param) {
  WindowClass* c = find_class(class_name);
  if (c == nullptr) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  bool child = (style & WS_CHILD) != 0;
  HWND parent_handle = desktop_handle();
  HWND owner = nullptr;
  if (child) {
    Window* p = find(parent);
    if (p == nullptr || parent == desktop_handle()) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    parent_handle = parent;
  } else if (parent != nullptr && parent != desktop_handle()) {
    Window* p = find(parent);
    if (p == nullptr) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    owner = toplevel_of(*p)->handle;
  }
  // Overlapped windows always have a caption.
  if ((style & (WS_CHILD | WS_POPUP)) == 0) style |= WS_CAPTION | WS_CLIPSIBLINGS;

  auto rec = std::make_unique<Window>();
  Window& w = *rec;
  w.handle = handle_from<HWND>(next_handle++);
  w.cls = c;
  w.proc = c->proc;
  w.style = style & ~WS_VISIBLE;
  w.ex_style = ex_style;
  w.parent = parent_handle;
  w.owner = owner;
  w.menu = menu;
  w.inst = inst;
  w.extra.assign(static_cast<std::size_t>(c->wnd_extra), 0);
  default_position(style, x, y, width, height);
  w.rect = {x, y, x + width, y + height};
  w.normal_rect = w.rect;
  HWND h = w.handle;
  table.emplace(handle_value(h), std::move(rec));
  Window& p = *find(parent_handle);
  p.children.insert(p.children.begin(), h);
  recompute_client(w);
  if (is_toplevel(w)) make_surface(w);

  CREATESTRUCTA cs;
  cs.lpCreateParams = param;
  cs.hInstance = inst;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.x = x;
  cs.y = y;
  cs.cx = width;
  cs.cy = height;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = window_name;
  cs.lpszClass = class_name;
  cs.dwExStyle = ex_style;

  if (is_toplevel(w)) {
    MINMAXINFO mmi;
    win::SIZE scr = plat::backend().screen_size();
    mmi.ptMaxSize = {scr.cx, scr.cy};
    mmi.ptMaxPosition = {0, 0};
    mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    call(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    Window* wp = find(h);
    if (wp == nullptr) return nullptr;
    int cx = std::clamp<int>(width, 0, std::max<int>(0, mmi.ptMaxTrackSize.x));
    int cy = std::clamp<int>(height, 0, std::max<int>(0, mmi.ptMaxTrackSize.y));
    if (cx != width || cy != height) {
      wp->rect.right = wp->rect.left + cx;
      wp->rect.bottom = wp->rect.top + cy;
      wp->normal_rect = wp->rect;
      recompute_client(*wp);
      resize_surface(*wp);
    }
  }

  Window* wp = find(h);
  if (wp == nullptr) return nullptr;
  if (call(*wp, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) == 0) {
    if (find(h) != nullptr) {
      mark_destroying(*find(h));
      send_ncdestroy_and_free(h);
    }
    return nullptr;
  }
  wp = find(h);
  if (wp == nullptr) return nullptr;
  if (call(*wp, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  wp = find(h);
  if (wp == nullptr) return nullptr;
  call(*wp, WM_SIZE, SIZE_RESTORED,
       MAKELPARAM(static_cast<WORD>(client_width(*wp)), static_cast<WORD>(client_height(*wp))));
  wp = find(h);
  if (wp == nullptr) return nullptr;
  {
    POINT o{wp->rect.left + wp->client.left, wp->rect.top + wp->client.top};
    call(*wp, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(o.x), static_cast<WORD>(o.y)));
  }
  wp = find(h);
  if (wp == nullptr) return nullptr;
  if (is_toplevel(*wp)) plat::backend().window_created(h);
  if (style & WS_VISIBLE) {
    int cmd = (style & WS_MAXIMIZE)   ? SW_SHOWMAXIMIZED
              : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED
                                      : SW_SHOW;
    ShowWindow(h, cmd);
  }
  return IsWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle() || w->destroying) {
    if (w == nullptr) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // Owned windows go first, whole.
  std::vector<HWND> owned;
  for (HWND h : all_windows())
    if (find(h)->owner == wnd) owned.push_back(h);
  for (HWND h : owned) DestroyWindow(h);
  w = find(wnd);
  if (w == nullptr) return TRUE;
  mark_destroying(*w);
  if (w->style & WS_VISIBLE) {
    w->style &= ~WS_VISIBLE;
    if (is_toplevel(*w))
      plat::backend().window_changed(wnd);
    else if (Window* p = find(w->parent); p != nullptr && !p->destroying)
      invalidate_parent_area(*w, w->rect);
  }
  before_destroy_input(*w);
  send_destroy(wnd);
  send_ncdestroy_and_free(wnd);
  return TRUE;
}

BOOL IsWindow(HWND wnd) { return find(wnd) != nullptr ? TRUE : FALSE; }

HWND GetDesktopWindow() { return desktop_handle(); }

HWND GetParent(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return nullptr;
  if (!is_toplevel(*w)) return w->parent;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND wnd, HWND new_parent) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return nullptr;
  if (new_parent == nullptr) new_parent = desktop_handle();
  Window* np = find(new_parent);
  if (np == nullptr || is_descendant(wnd, new_parent)) return nullptr;
  HWND old = w->parent;
  if (old == new_parent) return old;
  bool was_top = is_toplevel(*w);
  if (w->style & WS_VISIBLE) {
    if (Window* op = find(old); op != nullptr && !was_top) invalidate_parent_area(*w, w->rect);
  }
  std::erase(find(old)->children, wnd);
  np->children.insert(np->children.begin(), wnd);
  w->parent = new_parent;
  if (was_top) {
    plat::backend().window_destroyed(wnd);
    free_surface(*w);
    w->owner = nullptr;
  }
  recompute_client(*w);
  if (is_toplevel(*w)) {
    make_surface(*w);
    plat::backend().window_created(wnd);
  }
  invalidate_all(*w);
  return old;
}

HWND GetWindow(HWND wnd, UINT relation) {
  Window* w = find(wnd);
  if (w == nullptr) return nullptr;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_OWNER) return w->owner;
  Window* p = find(w->parent);
  if (p == nullptr) return nullptr;
  const auto& sib = p->children;
  auto it = std::find(sib.begin(), sib.end(), wnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return sib.front();
    case GW_HWNDLAST:
      return sib.back();
    case GW_HWNDNEXT:
      return (it == sib.end() || it + 1 == sib.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return (it == sib.end() || it == sib.begin()) ? nullptr : *(it - 1);
    default:
      return nullptr;
  }
}

BOOL IsChild(HWND parent, HWND wnd) {
  Window* w = find(wnd);
  while (w != nullptr && !is_toplevel(*w) && w->handle != desktop_handle()) {
    if (w->parent == parent) return TRUE;
    w = find(w->parent);
  }
  return FALSE;
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* d = find(dialog);
  if (d == nullptr) return nullptr;
  for (HWND c : d->children)
    if (GetDlgCtrlID(c) == id) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND wnd) {
  Window* w = find(wnd);
  if (w == nullptr || is_toplevel(*w)) return 0;
  return static_cast<int>(reinterpret_cast<std::intptr_t>(w->menu));
}

namespace {

template <class T>
bool read_extra(const Window& w, int index, T& v) {
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(T) > w.extra.size()) return false;
  std::memcpy(&v, w.extra.data() + index, sizeof(T));
  return true;
}

template <class T>
bool write_extra(Window& w, int index, T v) {
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(T) > w.extra.size()) return false;
  std::memcpy(w.extra.data() + index, &v, sizeof(T));
  return true;
}

}  // namespace

LONG_PTR GetWindowLongPtrA(HWND wnd, int index) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->inst);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(is_toplevel(*w) ? w->owner : w->parent);
    case GWLP_ID:
      return reinterpret_cast<LONG_PTR>(w->menu);
    case GWL_STYLE:
      return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(w->ex_style);
    case GWLP_USERDATA:
      return w->user_data;
    default:
      break;
  }
  LONG_PTR v = 0;
  read_extra(*w, index, v);
  return v;
}

LONG_PTR SetWindowLongPtrA(HWND wnd, int index, LONG_PTR value) {
  Window* w = find(wnd);
  if (w == nullptr || wnd == desktop_handle()) return 0;
  LONG_PTR old = GetWindowLongPtrA(wnd, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value == 0) return 0;
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w->inst = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      if (is_toplevel(*w)) {
        Window* o = find(reinterpret_cast<HWND>(value));
        w->owner =
            o != nullptr && o->handle != desktop_handle() ? toplevel_of(*o)->handle : nullptr;
      }
      return old;
    case GWLP_ID:
      w->menu = reinterpret_cast<HMENU>(value);
      return old;
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      return old;
    case GWL_EXSTYLE:
      w->ex_style = static_cast<DWORD>(value);
      return old;
    case GWLP_USERDATA:
      w->user_data = value;
      return old;
    default:
      break;
  }
  return write_extra(*w, index, value) ? old : 0;
}

LONG GetWindowLongA(HWND wnd, int index) {
  Window* w = find(wnd);
  if (w == nullptr) return 0;
  if (index >= 0) {
    LONG v = 0;
    read_extra(*w, index, v);
    return v;
  }
  return static_cast<LONG>(GetWindowLongPtrA(wnd, index));
}

LONG SetWindowLongA(HWND wnd, int index, LONG value) {
  Window* w = find(wnd);
  if (w == nullptr) return 0;
  if (index >= 0) {
    LONG old = 0;
    if (!read_extra(*w, index, old)) return 0;
    write_extra(*w, index, value);
    return old;
  }
  return static_cast<LONG>(SetWindowLongPtrA(wnd, index, value));
}

BOOL SetWindowTextA(HWND wnd, LPCSTR text) {
  if (find(wnd) == nullptr) return FALSE;
  return static_cast<BOOL>(send(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextA(HWND wnd, LPSTR buffer, int max_count) {
  if (buffer == nullptr || max_count <= 0) return 0;
  buffer[0] = '\0';
  if (find(wnd) == nullptr) return 0;
  return static_cast<int>(
      send(wnd, WM_GETTEXT, static_cast<WPARAM>(max_count), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND wnd) {
  if (find(wnd) == nullptr) return 0;
  return static_cast<int>(send(wnd, WM_GETTEXTLENGTH, 0, 0));
}

}  // namespace win

namespace plat {

void reset_windows() {
  win::detail::reset_tree();
  win::detail::reset_classes();
  win::detail::reset_queue();
  win::detail::reset_timers();
  win::detail::reset_keys();
  win::detail::reset_mouse();
  win::detail::reset_input_state();
  win::detail::reset_geometry();
  win::detail::reset_menus();
  win::detail::reset_caret();
  win::detail::reset_buddies();
  win::detail::reset_message_box_windows();
  win::detail::reset_clipboard();
  win::detail::reset_resources();
  reset_message_boxes();
  reset_common_dialogs();
  win::detail::reset_cursor();
  set_backend(nullptr);
}

}  // namespace plat
