// Dialogs from templates in memory: reading the extended template, dialog
// units, making the dialog window and its controls, and the modal loop.
#include <cstring>
#include <string>

#include "platform/cp1252.h"
#include "platform/win_dialog_internal.h"
#include "platform/win_last_error.h"
#include "platform/win_message_box.h"

namespace win::detail {

namespace {

// Reads a template from its first byte on.
struct Reader {
  const unsigned char* p;

  WORD word() {
    WORD w;
    std::memcpy(&w, p, 2);
    p += 2;
    return w;
  }
  // A wide text, as Windows-1252.
  std::string text() {
    std::string out;
    for (WORD w = word(); w != 0; w = word())
      out.push_back(
          static_cast<char>(plat::cp1252_of_unicode(w >= 0xD800 && w < 0xE000 ? 0xFFFD : w)));
    return out;
  }
  // A name or a number (0xFFFF and the number); 0 and an empty name for
  // none.
  void name_or_number(std::string& name, WORD& number) {
    number = 0;
    name.clear();
    WORD first;
    std::memcpy(&first, p, 2);
    if (first == 0xFFFF) {
      p += 2;
      number = word();
    } else {
      name = text();
    }
  }
  void align4() {
    auto v = reinterpret_cast<std::uintptr_t>(p);
    p += (4 - v % 4) % 4;
  }
};

struct InitParams {
  DLGPROC proc;
};

// Base units of a font: the average width of the 52 letters and the cell
// height.
SIZE base_units_of(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE sz;
  GetTextExtentPoint32A(dc, kLetters, 52, &sz);
  TEXTMETRICA tm;
  GetTextMetricsA(dc, &tm);
  SelectObject(dc, old);
  DeleteDC(dc);
  return {std::max<LONG>(1, (sz.cx + 26) / 52), std::max<LONG>(1, tm.tmHeight)};
}

RECT to_pixels(SIZE base, int x, int y, int cx, int cy) {
  RECT r{x, y, x + cx, y + cy};
  r.left = MulDiv(r.left, base.cx, 4);
  r.right = MulDiv(r.right, base.cx, 4);
  r.top = MulDiv(r.top, base.cy, 8);
  r.bottom = MulDiv(r.bottom, base.cy, 8);
  return r;
}

LPCSTR class_arg(const std::string& name, WORD atom) {
  return atom != 0 ? MAKEINTATOM(atom) : name.c_str();
}

HWND fail(HWND dlg, DWORD code) {
  if (dlg != nullptr) DestroyWindow(dlg);
  SetLastError(code);
  return nullptr;
}

HWND make_dialog(const DLGTEMPLATEEX* tmpl, HWND owner, DLGPROC proc, LPARAM init_param,
                 bool modal) {
  if (tmpl == nullptr || tmpl->dlgVer != 1 || tmpl->signature != 0xFFFF)
    return fail(nullptr, ERROR_INVALID_PARAMETER);
  if (owner != nullptr && !IsWindow(owner)) return fail(nullptr, ERROR_INVALID_WINDOW_HANDLE);
  Reader rd{reinterpret_cast<const unsigned char*>(tmpl) + sizeof(DLGTEMPLATEEX)};
  std::string menu_name, class_name;
  WORD menu_id, class_atom;
  rd.name_or_number(menu_name, menu_id);
  rd.name_or_number(class_name, class_atom);
  const std::string title = rd.text();
  const DWORD style = tmpl->style;

  HFONT font = reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  bool own_font = false;
  if (style & DS_SETFONT) {
    const WORD points = rd.word(), weight = rd.word();
    const BYTE italic = rd.p[0], charset = rd.p[1];
    rd.p += 2;
    const std::string face = rd.text();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    font = CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, weight, italic, 0, 0, charset, 0, 0, 0, 0,
                       face.c_str());
    own_font = true;
  }
  const SIZE base = base_units_of(font);

  // The client area at the template's place in the owner's client area
  // (on the screen with DS_ABSALIGN or without owner), the frame around it.
  RECT r = to_pixels(base, tmpl->x, tmpl->y, tmpl->cx, tmpl->cy);
  AdjustWindowRectEx(&r, style, FALSE, tmpl->exStyle);
  if (style & DS_CENTER) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner != nullptr) GetWindowRect(owner, &area);
    const int w = r.right - r.left, h = r.bottom - r.top;
    r = {area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2,
         0, 0};
    r.right = r.left + w;
    r.bottom = r.top + h;
  } else if (owner != nullptr && (style & DS_ABSALIGN) == 0 && (style & WS_CHILD) == 0) {
    POINT o{0, 0};
    ClientToScreen(owner, &o);
    r = {r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
  }

  InitParams init{proc};
  HWND dlg =
      CreateWindowExA(tmpl->exStyle,
                      class_atom != 0 || !class_name.empty() ? class_arg(class_name, class_atom)
                                                             : MAKEINTATOM(0x8002),
                      title.c_str(), style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, owner, nullptr, nullptr, &init);
  if (dlg == nullptr) {
    if (own_font) DeleteObject(font);
    return nullptr;
  }
  DialogData* d = dialog_data(dlg);
  if (d == nullptr) {
    if (own_font) DeleteObject(font);
    return fail(dlg, ERROR_CANNOT_FIND_WND_CLASS);
  }
  d->font = font;
  d->own_font = own_font;
  d->base = base;
  d->modal = modal;
  if (style & DS_SETFONT) SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  for (WORD i = 0; i < tmpl->cDlgItems; ++i) {
    rd.align4();
    DLGITEMTEMPLATEEX item;
    std::memcpy(&item, rd.p, sizeof item);
    rd.p += sizeof item;
    std::string cls, text;
    WORD atom, text_id;
    rd.name_or_number(cls, atom);
    rd.name_or_number(text, text_id);
    const WORD extra = rd.word();
    const void* creation = extra != 0 ? rd.p : nullptr;
    rd.p += extra;
    if (find_class(class_arg(cls, atom)) == nullptr) return fail(dlg, ERROR_CANNOT_FIND_WND_CLASS);
    RECT cr = to_pixels(base, item.x, item.y, item.cx, item.cy);
    SetLastError(ERROR_SUCCESS);
    HWND c = CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, class_arg(cls, atom),
                             text.c_str(), item.style | WS_CHILD, cr.left, cr.top,
                             cr.right - cr.left, cr.bottom - cr.top, dlg,
                             reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(item.id)), nullptr,
                             const_cast<void*>(creation));
    if (c == nullptr) {
      const DWORD code = GetLastError();
      return fail(dlg, code != ERROR_SUCCESS ? code : ERROR_INVALID_PARAMETER);
    }
    if (style & DS_SETFONT) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if ((d = dialog_data(dlg)) == nullptr) return fail(nullptr, ERROR_INVALID_WINDOW_HANDLE);
    if (d->def_id == 0 && (SendMessageA(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON))
      d->def_id = static_cast<int>(item.id);
  }

  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  const LRESULT take =
      SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), init_param);
  if (!IsWindow(dlg)) return fail(nullptr, ERROR_INVALID_WINDOW_HANDLE);
  if ((d = dialog_data(dlg)) == nullptr) return fail(dlg, ERROR_INVALID_WINDOW_HANDLE);
  if (take != 0) {
    // The first tab stop gets the focus as Tab gives it (a field's text
    // selected): at once when the dialog is active, else when it is
    // activated (the controls of a dialog not shown yet are no tab stops:
    // the first one is found then).
    if (first != nullptr && IsWindow(first)) d->focus = first;
    if (GetActiveWindow() == dlg && d->focus != nullptr)
      dialog_set_focus(dlg, d->focus);
    else
      d->focus_moved = true;
  }
  if ((style & WS_VISIBLE) || modal) ShowWindow(dlg, SW_SHOW);
  return IsWindow(dlg) ? dlg : nullptr;
}

}  // namespace

LRESULT dialog_init_param(LPARAM create_params, HWND dlg) {
  const auto* init = reinterpret_cast<const InitParams*>(create_params);
  if (init != nullptr && init->proc != nullptr)
    SetWindowLongPtrA(dlg, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(init->proc));
  return 0;
}

SIZE dialog_base_units(HFONT font) { return base_units_of(font); }

}  // namespace win::detail

namespace win {

using namespace detail;

namespace {

std::vector<HWND> modal_loops;

// A modal dialog's loop, listed while it runs.
struct LoopEntry {
  explicit LoopEntry(HWND dlg) { modal_loops.push_back(dlg); }
  ~LoopEntry() { modal_loops.pop_back(); }
  LoopEntry(const LoopEntry&) = delete;
  LoopEntry& operator=(const LoopEntry&) = delete;
};

}  // namespace

HWND CreateDialogIndirectParamA(HINSTANCE, const DLGTEMPLATEEX* tmpl, HWND owner, DLGPROC proc,
                                LPARAM init_param) {
  return make_dialog(tmpl, owner, proc, init_param, false);
}

INT_PTR DialogBoxIndirectParamA(HINSTANCE, const DLGTEMPLATEEX* tmpl, HWND owner, DLGPROC proc,
                                LPARAM init_param) {
  HWND top = nullptr;
  if (owner != nullptr) {
    if (Window* w = find(owner)) top = toplevel_of(*w)->handle;
  }
  const bool disable = top != nullptr && IsWindowEnabled(top);
  if (disable) EnableWindow(top, FALSE);
  HWND dlg = make_dialog(tmpl, owner, proc, init_param, true);
  if (dlg == nullptr) {
    const DWORD code = GetLastError();
    if (disable) EnableWindow(top, TRUE);
    SetLastError(code);
    return -1;
  }
  if (DialogData* d = dialog_data(dlg)) d->disabled_owner = disable ? top : nullptr;
  const LoopEntry entry(dlg);
  MSG msg;
  bool cancelled = false;
  for (;;) {
    DialogData* d = dialog_data(dlg);
    if (d == nullptr || d->ended) break;
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) {
      // Nothing can arrive any more (no display, no timer): cancel as by
      // Escape, then end whatever the procedure did with that.
      if (cancelled) {
        EndDialog(dlg, IDCANCEL);
        break;
      }
      cancelled = true;
      SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
      continue;
    }
    if (!IsDialogMessageA(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  INT_PTR result = 0;
  if (DialogData* d = dialog_data(dlg)) {
    result = d->result;
    if (d->disabled_owner != nullptr) EnableWindow(d->disabled_owner, TRUE);
    d->disabled_owner = nullptr;
  } else if (disable && IsWindow(top)) {
    EnableWindow(top, TRUE);
  }
  if (IsWindow(dlg)) DestroyWindow(dlg);
  return result;
}

BOOL EndDialog(HWND dlg, INT_PTR result) {
  DialogData* d = dialog_data(dlg);
  if (d == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  d->ended = true;
  d->result = result;
  // The owner first, so that it takes the activation back.
  if (d->disabled_owner != nullptr) {
    EnableWindow(d->disabled_owner, TRUE);
    if ((d = dialog_data(dlg)) != nullptr) d->disabled_owner = nullptr;
  }
  ShowWindow(dlg, SW_HIDE);
  return TRUE;
}

LONG GetDialogBaseUnits() {
  const SIZE b = base_units_of(reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  return static_cast<LONG>(MAKELPARAM(static_cast<WORD>(b.cx), static_cast<WORD>(b.cy)));
}

BOOL MapDialogRect(HWND dlg, RECT* rect) {
  DialogData* d = dialog_data(dlg);
  if (d == nullptr || rect == nullptr) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect =
      to_pixels(d->base, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  return TRUE;
}

}  // namespace win

namespace plat {

std::vector<win::HWND> modal_dialog_loops() { return win::modal_loops; }

void cancel_modal_dialog(win::HWND dialog) {
  win::DialogData* d = win::dialog_data(dialog);
  if (d == nullptr || d->ended) return;
  win::SendMessageA(dialog, win::WM_COMMAND, win::MAKEWPARAM(win::IDCANCEL, win::BN_CLICKED),
                    reinterpret_cast<win::LPARAM>(win::GetDlgItem(dialog, win::IDCANCEL)));
  d = win::dialog_data(dialog);
  if (d != nullptr && !d->ended) win::EndDialog(dialog, win::IDCANCEL);
}

}  // namespace plat
