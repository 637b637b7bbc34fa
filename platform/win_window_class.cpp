// Window classes: registration, look-up by name or atom, class words.
#include <cstring>
#include <memory>
#include <vector>

#include "platform/charcase.h"
#include "platform/win_last_error.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

std::vector<std::unique_ptr<WindowClass>> classes;
ATOM next_atom = 0xC000;
bool builtins_ready = false;

bool is_atom(LPCSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

ATOM register_class(const WNDCLASSEXA& wc) {
  if (wc.lpszClassName == nullptr || is_atom(wc.lpszClassName) || wc.lpfnWndProc == nullptr ||
      wc.cbClsExtra < 0 || wc.cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (find_class(wc.lpszClassName) != nullptr) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_unique<WindowClass>();
  c->name = wc.lpszClassName;
  c->atom = next_atom++;
  c->style = wc.style;
  c->proc = wc.lpfnWndProc;
  c->cls_extra = wc.cbClsExtra;
  c->wnd_extra = wc.cbWndExtra;
  c->inst = wc.hInstance;
  c->icon = wc.hIcon;
  c->icon_small = wc.hIconSm;
  c->cursor = wc.hCursor;
  c->background = wc.hbrBackground;
  if (wc.lpszMenuName != nullptr) {
    if (is_atom(wc.lpszMenuName))
      c->menu_name_id = wc.lpszMenuName;
    else
      c->menu_name = wc.lpszMenuName;
  }
  c->extra.assign(static_cast<std::size_t>(wc.cbClsExtra), 0);
  ATOM atom = c->atom;
  classes.push_back(std::move(c));
  return atom;
}

}  // namespace

WindowClass* find_class(LPCSTR name) {
  if (name == nullptr) return nullptr;
  if (!builtins_ready) {
    builtins_ready = true;
    register_builtin_classes();
  }
  if (is_atom(name)) {
    auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    for (auto& c : classes)
      if (c->atom == atom) return c.get();
    return nullptr;
  }
  for (auto& c : classes)
    if (plat::same_any_case(c->name, name)) return c.get();
  return nullptr;
}

// A built-in class keeps its classic atom.
ATOM register_builtin_class(const WNDCLASSEXA& wc, ATOM atom) {
  if (register_class(wc) == 0) return 0;
  if (atom != 0) {
    classes.back()->atom = atom;
    --next_atom;
  }
  return classes.back()->atom;
}

void reset_classes() {
  classes.clear();
  builtins_ready = false;
}

}  // namespace win::detail

namespace win {

using namespace detail;

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (wc == nullptr) return 0;
  WNDCLASSEXA ex;
  ex.style = wc->style;
  ex.lpfnWndProc = wc->lpfnWndProc;
  ex.cbClsExtra = wc->cbClsExtra;
  ex.cbWndExtra = wc->cbWndExtra;
  ex.hInstance = wc->hInstance;
  ex.hIcon = wc->hIcon;
  ex.hCursor = wc->hCursor;
  ex.hbrBackground = wc->hbrBackground;
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return register_class(ex);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) return 0;
  return register_class(*wc);
}

BOOL UnregisterClassA(LPCSTR class_name, HINSTANCE) {
  WindowClass* c = find_class(class_name);
  if (c == nullptr) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  for (HWND h : all_windows())
    if (find(h)->cls == c) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;  // still in use
    }
  std::erase_if(classes, [c](const auto& p) { return p.get() == c; });
  return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR class_name, WNDCLASSA* wc) {
  WindowClass* c = find_class(class_name);
  if (c == nullptr) return FALSE;
  if (wc != nullptr) {
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->cbClsExtra = c->cls_extra;
    wc->cbWndExtra = c->wnd_extra;
    wc->hInstance = c->inst;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszMenuName = c->menu_name_id != nullptr ? c->menu_name_id
                       : c->menu_name.empty()     ? nullptr
                                                  : c->menu_name.c_str();
    wc->lpszClassName = c->name.c_str();
  }
  return c->atom;
}

int GetClassNameA(HWND wnd, LPSTR buffer, int max_count) {
  Window* w = find(wnd);
  if (w == nullptr || buffer == nullptr || max_count <= 0) return 0;
  auto n = std::min<std::size_t>(w->cls->name.size(), static_cast<std::size_t>(max_count - 1));
  std::memcpy(buffer, w->cls->name.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

namespace {

bool extra_slot(std::vector<unsigned char>& extra, int index, std::size_t size) {
  return index >= 0 && static_cast<std::size_t>(index) + size <= extra.size();
}

}  // namespace

ULONG_PTR GetClassLongPtrA(HWND wnd, int index) {
  Window* w = find(wnd);
  if (w == nullptr) return 0;
  WindowClass& c = *w->cls;
  switch (index) {
    case GCLP_MENUNAME:
      return reinterpret_cast<ULONG_PTR>(c.menu_name_id != nullptr ? c.menu_name_id
                                         : c.menu_name.empty()     ? nullptr
                                                                   : c.menu_name.c_str());
    case GCLP_HBRBACKGROUND:
      return reinterpret_cast<ULONG_PTR>(c.background);
    case GCLP_HCURSOR:
      return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCLP_HICON:
      return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCLP_HICONSM:
      return reinterpret_cast<ULONG_PTR>(c.icon_small);
    case GCLP_HMODULE:
      return reinterpret_cast<ULONG_PTR>(c.inst);
    case GCL_CBWNDEXTRA:
      return static_cast<ULONG_PTR>(c.wnd_extra);
    case GCL_CBCLSEXTRA:
      return static_cast<ULONG_PTR>(c.cls_extra);
    case GCLP_WNDPROC:
      return reinterpret_cast<ULONG_PTR>(c.proc);
    case GCL_STYLE:
      return c.style;
    case GCW_ATOM:
      return c.atom;
    default:
      break;
  }
  if (!extra_slot(c.extra, index, sizeof(ULONG_PTR))) return 0;
  ULONG_PTR v;
  std::memcpy(&v, c.extra.data() + index, sizeof v);
  return v;
}

ULONG_PTR SetClassLongPtrA(HWND wnd, int index, LONG_PTR value) {
  Window* w = find(wnd);
  if (w == nullptr) return 0;
  WindowClass& c = *w->cls;
  ULONG_PTR old = GetClassLongPtrA(wnd, index);
  switch (index) {
    case GCLP_HBRBACKGROUND:
      c.background = reinterpret_cast<HBRUSH>(value);
      return old;
    case GCLP_HCURSOR:
      c.cursor = reinterpret_cast<HCURSOR>(value);
      return old;
    case GCLP_HICON:
      c.icon = reinterpret_cast<HICON>(value);
      return old;
    case GCLP_HICONSM:
      c.icon_small = reinterpret_cast<HICON>(value);
      return old;
    case GCLP_HMODULE:
      c.inst = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GCLP_WNDPROC:
      if (value == 0) return 0;
      c.proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GCL_STYLE:
      c.style = static_cast<UINT>(value);
      return old;
    case GCLP_MENUNAME:
    case GCL_CBWNDEXTRA:
    case GCL_CBCLSEXTRA:
    case GCW_ATOM:
      return 0;  // fixed at registration
    default:
      break;
  }
  if (!extra_slot(c.extra, index, sizeof(ULONG_PTR))) return 0;
  std::memcpy(c.extra.data() + index, &value, sizeof value);
  return old;
}

}  // namespace win
