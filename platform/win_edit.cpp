// The Edit class: single-line and multi-line text fields with a caret, a
// selection made by keys or the mouse, and cut, copy and paste through the
// clipboard (Ctrl+X, Ctrl+C, Ctrl+V, Ctrl+A selects all).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win_clipboard.h"
#include "platform/win_controls_internal.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "platform/win_message_keys.h"
#include "platform/win_resources.h"

namespace win::detail {

namespace {

constexpr int kMargin = 2;

struct EditData : ControlBase {
  std::size_t anchor = 0, caret = 0;
  int scroll_x = 0;    // pixels scrolled to the left
  int first_line = 0;  // multi-line: the first line shown
  bool selecting = false;
};

struct Line {
  std::size_t start, length;
};

// A memory context with the field's font, for measuring.
struct Measure {
  HDC dc;
  HGDIOBJ old;
  explicit Measure(HWND h) {
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, control_font(h));
  }
  ~Measure() {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  int width(const std::string& s, std::size_t from, std::size_t n) const {
    SIZE sz;
    if (n == 0) return 0;
    GetTextExtentPoint32A(dc, s.data() + from, static_cast<int>(n), &sz);
    return sz.cx;
  }
};

bool multiline(HWND h) { return (style_of(h) & ES_MULTILINE) != 0; }
std::string& text_ref(HWND h) { return find(h)->text; }

std::vector<Line> lines_of(const std::string& t) {
  std::vector<Line> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
      out.push_back({start, i - start});
      start = i + 2;
      ++i;
    } else if (t[i] == '\n') {
      out.push_back({start, i - start});
      start = i + 1;
    }
  }
  out.push_back({start, t.size() - start});
  return out;
}

int line_index(const std::vector<Line>& ls, std::size_t pos) {
  for (std::size_t i = ls.size(); i-- > 0;)
    if (pos >= ls[i].start) return static_cast<int>(i);
  return 0;
}

// Left edge of a line's text in client coordinates, before scrolling.
int line_left(HWND h, const Measure& m, const std::string& t, const Line& l) {
  const DWORD align = style_of(h) & (ES_CENTER | ES_RIGHT);
  const int avail = client_of(h).right - 2 * kMargin;
  const int w = m.width(t, l.start, l.length);
  if (align == ES_RIGHT && w < avail) return kMargin + avail - w;
  if (align == ES_CENTER && w < avail) return kMargin + (avail - w) / 2;
  return kMargin;
}

POINT point_of(HWND h, const EditData& d, std::size_t pos) {
  const std::string& t = text_ref(h);
  Measure m(h);
  auto ls = lines_of(t);
  const int li = line_index(ls, pos);
  const Line& l = ls[static_cast<std::size_t>(li)];
  const int lh = line_height(control_font(h));
  return {line_left(h, m, t, l) + m.width(t, l.start, pos - l.start) - d.scroll_x,
          1 + (li - d.first_line) * lh};
}

std::size_t pos_at(HWND h, const EditData& d, POINT pt) {
  const std::string& t = text_ref(h);
  Measure m(h);
  auto ls = lines_of(t);
  const int lh = line_height(control_font(h));
  int li = d.first_line + (pt.y - 1) / std::max(1, lh);
  if (pt.y < 1) li = d.first_line - 1;
  li = std::clamp(li, 0, static_cast<int>(ls.size()) - 1);
  const Line& l = ls[static_cast<std::size_t>(li)];
  const int x = pt.x + d.scroll_x - line_left(h, m, t, l);
  for (std::size_t i = 0; i < l.length; ++i) {
    const int a = m.width(t, l.start, i), b = m.width(t, l.start, i + 1);
    if (x < (a + b) / 2) return l.start + i;
  }
  return l.start + l.length;
}

int visible_lines(HWND h) {
  return std::max(1, (client_of(h).bottom - 1) / std::max(1, line_height(control_font(h))));
}

void place_caret(HWND h, const EditData& d) {
  if (!has_focus(h)) return;
  POINT p = point_of(h, d, d.caret);
  SetCaretPos(p.x, p.y);
}

// Scrolls so that the caret shows.
void show_caret_pos(HWND h, EditData& d) {
  POINT p = point_of(h, d, d.caret);
  const int cw = client_of(h).right;
  bool moved = false;
  if (p.x < kMargin) {
    d.scroll_x = std::max(0, d.scroll_x - (kMargin - p.x) - cw / 4);
    moved = true;
  } else if (p.x > cw - kMargin) {
    d.scroll_x += p.x - (cw - kMargin) + cw / 4;
    moved = true;
  }
  if (multiline(h)) {
    const int li = line_index(lines_of(text_ref(h)), d.caret);
    const int rows = visible_lines(h);
    if (li < d.first_line) d.first_line = li, moved = true;
    if (li >= d.first_line + rows) d.first_line = li - rows + 1, moved = true;
  }
  if (moved) InvalidateRect(h, nullptr, TRUE);
  place_caret(h, d);
}

void select(HWND h, EditData& d, std::size_t anchor, std::size_t caret) {
  const std::size_t n = text_ref(h).size();
  anchor = std::min(anchor, n);
  caret = std::min(caret, n);
  if (anchor == d.anchor && caret == d.caret) return;
  d.anchor = anchor;
  d.caret = caret;
  InvalidateRect(h, nullptr, FALSE);
  show_caret_pos(h, d);
}

std::size_t sel_min(const EditData& d) { return std::min(d.anchor, d.caret); }
std::size_t sel_max(const EditData& d) { return std::max(d.anchor, d.caret); }

void replace_selection(HWND h, EditData& d, std::string_view with) {
  std::string ins(with);
  if (!multiline(h)) {
    std::size_t cut = ins.find_first_of("\r\n");
    if (cut != std::string::npos) ins.resize(cut);
  }
  std::string& t = text_ref(h);
  const std::size_t a = sel_min(d), b = sel_max(d);
  if (a == b && ins.empty()) return;
  t.replace(a, b - a, ins);
  d.anchor = d.caret = a + ins.size();
  InvalidateRect(h, nullptr, TRUE);
  show_caret_pos(h, d);
  notify_parent(h, EN_CHANGE);
}

bool is_word(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u > ' ' && std::strchr(".,;:!?()[]{}<>\"'", c) == nullptr;
}

std::size_t word_left(const std::string& t, std::size_t p) {
  while (p > 0 && !is_word(t[p - 1])) --p;
  while (p > 0 && is_word(t[p - 1])) --p;
  return p;
}

std::size_t word_right(const std::string& t, std::size_t p) {
  while (p < t.size() && is_word(t[p])) ++p;
  while (p < t.size() && !is_word(t[p])) ++p;
  return p;
}

void copy_selection(HWND h, const EditData& d) {
  const std::size_t a = sel_min(d), b = sel_max(d);
  if (a == b || !OpenClipboard(h)) return;
  EmptyClipboard();
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, b - a + 1);
  if (g != nullptr) {
    std::memcpy(GlobalLock(g), text_ref(h).data() + a, b - a);
    GlobalUnlock(g);
    SetClipboardData(CF_TEXT, g);
  }
  CloseClipboard();
}

void paste(HWND h, EditData& d) {
  if (style_of(h) & ES_READONLY) return;
  if (!OpenClipboard(h)) return;
  std::string s;
  if (HGLOBAL g = GetClipboardData(CF_TEXT)) {
    const auto* p = static_cast<const char*>(GlobalLock(g));
    s.assign(p, strnlen(p, GlobalSize(g)));
    GlobalUnlock(g);
  }
  CloseClipboard();
  replace_selection(h, d, s);
}

// Enter in a field of a dialog that does not take it: the dialog's default
// button, or IDOK.
void press_default(HWND h) {
  HWND dlg = GetParent(h);
  if (!is_dialog(dlg)) return;
  LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
  int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : 1;
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void key_down(HWND h, EditData& d, WPARAM vk) {
  const std::string& t = text_ref(h);
  const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  auto ls = lines_of(t);
  const int li = line_index(ls, d.caret);
  const Line& l = ls[static_cast<std::size_t>(li)];
  std::size_t to = d.caret;
  switch (vk) {
    case VK_LEFT:
      if (!shift && d.anchor != d.caret) {
        to = sel_min(d);
        break;
      }
      to = ctrl                           ? word_left(t, d.caret)
           : d.caret == l.start && li > 0 ? ls[static_cast<std::size_t>(li - 1)].start +
                                                ls[static_cast<std::size_t>(li - 1)].length
                                          : d.caret - (d.caret > 0 ? 1 : 0);
      break;
    case VK_RIGHT:
      if (!shift && d.anchor != d.caret) {
        to = sel_max(d);
        break;
      }
      to = ctrl ? word_right(t, d.caret)
           : d.caret == l.start + l.length && li + 1 < static_cast<int>(ls.size())
               ? ls[static_cast<std::size_t>(li + 1)].start
               : std::min(t.size(), d.caret + 1);
      break;
    case VK_HOME:
      to = ctrl ? 0 : l.start;
      break;
    case VK_END:
      to = ctrl ? t.size() : l.start + l.length;
      break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!multiline(h)) return;
      int step = vk == VK_UP      ? -1
                 : vk == VK_DOWN  ? 1
                 : vk == VK_PRIOR ? -visible_lines(h)
                                  : visible_lines(h);
      POINT p = point_of(h, d, d.caret);
      const int lh = line_height(control_font(h));
      int target = std::clamp(li + step, 0, static_cast<int>(ls.size()) - 1);
      to = pos_at(h, d, {p.x, 1 + (target - d.first_line) * lh});
      if (target < d.first_line || target >= d.first_line + visible_lines(h)) {
        EditData probe = d;
        probe.first_line = target;
        to = pos_at(h, probe, {p.x, 1});
      }
      break;
    }
    case VK_DELETE:
      if (style_of(h) & ES_READONLY) return;
      if (shift) {
        copy_selection(h, d);
      } else if (d.anchor == d.caret && d.caret < t.size()) {
        d.anchor = (t[d.caret] == '\r' && d.caret + 1 < t.size() && t[d.caret + 1] == '\n')
                       ? d.caret + 2
                       : d.caret + 1;
      }
      replace_selection(h, d, "");
      return;
    case VK_INSERT:
      if (ctrl) copy_selection(h, d);
      if (shift) paste(h, d);
      return;
    case VK_TAB:
      // A multi-line field takes every key of a dialog, but Tab still moves
      // on.
      if (multiline(h) && is_dialog(GetParent(h)))
        SendMessageA(GetParent(h), WM_NEXTDLGCTL, shift ? 1 : 0, 0);
      return;
    default:
      return;
  }
  select(h, d, shift ? d.anchor : to, to);
}

void key_char(HWND h, EditData& d, WPARAM ch) {
  const bool readonly = (style_of(h) & ES_READONLY) != 0;
  const std::string& t = text_ref(h);
  switch (ch) {
    case 0x01:  // Ctrl+A
      select(h, d, 0, t.size());
      return;
    case 0x03:  // Ctrl+C
      copy_selection(h, d);
      return;
    case 0x18:  // Ctrl+X
      if (readonly) return;
      copy_selection(h, d);
      replace_selection(h, d, "");
      return;
    case 0x16:  // Ctrl+V
      paste(h, d);
      return;
    case 0x08:  // Backspace
      if (readonly) return;
      if (d.anchor == d.caret && d.caret > 0)
        d.anchor = (d.caret >= 2 && t[d.caret - 1] == '\n' && t[d.caret - 2] == '\r') ? d.caret - 2
                                                                                      : d.caret - 1;
      replace_selection(h, d, "");
      return;
    case '\r':
      if (multiline(h) && ((style_of(h) & ES_WANTRETURN) || !is_dialog(GetParent(h)))) {
        if (!readonly) replace_selection(h, d, "\r\n");
      } else if (multiline(h)) {
        press_default(h);
      }
      return;
    case '\n':
      // Ctrl+Enter: a line break in a multi-line field, whether or not it
      // takes Return.
      if (multiline(h) && !readonly) replace_selection(h, d, "\r\n");
      return;
    case 0x1B:
      if (multiline(h) && is_dialog(GetParent(h)))
        SendMessageA(GetParent(h), WM_COMMAND, IDCANCEL,
                     reinterpret_cast<LPARAM>(GetDlgItem(GetParent(h), IDCANCEL)));
      return;
    case '\t':
      if (multiline(h) && !readonly && !is_dialog(GetParent(h))) replace_selection(h, d, "\t");
      return;
    default:
      if (ch < 0x20 || readonly) return;
      replace_selection(h, d, std::string(1, static_cast<char>(ch)));
  }
}

void paint(HWND h, HDC dc, const EditData& d) {
  const DWORD style = style_of(h);
  const bool enabled = IsWindowEnabled(h) != FALSE;
  HBRUSH bg =
      ask_colors(h, dc, (!enabled || (style & ES_READONLY)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
  RECT r = client_of(h);
  FillRect(dc, &r, bg);
  const std::string& t = text_ref(h);
  Measure m(h);
  auto ls = lines_of(t);
  const int lh = line_height(control_font(h));
  const bool show_sel = has_focus(h) && d.anchor != d.caret;
  const std::size_t a = sel_min(d), b = sel_max(d);
  SetBkMode(dc, TRANSPARENT);
  if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  for (int li = d.first_line; li < static_cast<int>(ls.size()); ++li) {
    const int y = 1 + (li - d.first_line) * lh;
    if (y >= r.bottom) break;
    const Line& l = ls[static_cast<std::size_t>(li)];
    const int x = line_left(h, m, t, l) - d.scroll_x;
    TextOutA(dc, x, y, t.data() + l.start, static_cast<int>(l.length));
    const std::size_t s = std::max(a, l.start), e = std::min(b, l.start + l.length);
    if (show_sel && s < e) {
      const int x0 = x + m.width(t, l.start, s - l.start);
      const int x1 = x + m.width(t, l.start, e - l.start);
      fill(dc, {x0, y, x1, y + lh}, GetSysColor(COLOR_HIGHLIGHT));
      COLORREF old = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      TextOutA(dc, x0, y, t.data() + s, static_cast<int>(e - s));
      SetTextColor(dc, old);
    }
  }
}

}  // namespace

LRESULT edit_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result;
  EditData* d = control_message<EditData>(h, msg, wp, lp, result,
                                          [h](HDC dc, const EditData& e) { paint(h, dc, e); });
  if (d == nullptr) return result;
  switch (msg) {
    case WM_GETDLGCODE: {
      // A read-only field of several lines is read from its start: the
      // focus selects none of it (all selected, it would show its end).
      const bool readonly = (style_of(h) & ES_READONLY) != 0;
      LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS;
      if (!(multiline(h) && readonly)) code |= DLGC_HASSETSEL;
      if (multiline(h)) code |= DLGC_WANTALLKEYS;
      const auto* m = reinterpret_cast<const MSG*>(lp);
      HWND combo = combo_of(h);
      if (m != nullptr && combo != nullptr && m->message == WM_KEYDOWN &&
          (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) &&
          SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0))
        code |= DLGC_WANTMESSAGE;
      return code;
    }
    case WM_SETTEXT:
      DefWindowProcA(h, msg, wp, lp);
      d->anchor = d->caret = 0;
      d->scroll_x = d->first_line = 0;
      InvalidateRect(h, nullptr, TRUE);
      place_caret(h, *d);
      notify_parent(h, EN_CHANGE);
      return TRUE;
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      CreateCaret(h, nullptr, 1, line_height(control_font(h)));
      place_caret(h, *d);
      ShowCaret(h);
      InvalidateRect(h, nullptr, FALSE);
      notify_parent(h, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      DestroyCaret();
      d->selecting = false;
      InvalidateRect(h, nullptr, FALSE);
      notify_parent(h, EN_KILLFOCUS);
      return 0;
    case WM_KEYDOWN:
      if (HWND combo = combo_of(h); combo != nullptr && combo_field_key(combo, wp)) return 0;
      key_down(h, *d, wp);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+Down drops a combo box's list.
      if (HWND combo = combo_of(h);
          combo != nullptr && (wp == VK_DOWN || wp == VK_UP) && combo_field_key(combo, wp))
        return 0;
      return DefWindowProcA(h, msg, wp, lp);
    case WM_CHAR:
      key_char(h, *d, wp);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!has_focus(h)) SetFocus(h);
      if ((d = data_of<EditData>(h)) == nullptr) return 0;
      const std::size_t p = pos_at(h, *d, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
      if (msg == WM_LBUTTONDBLCLK) {
        const std::string& t = text_ref(h);
        std::size_t s = p, e = p;
        while (s > 0 && is_word(t[s - 1])) --s;
        while (e < t.size() && is_word(t[e])) ++e;
        select(h, *d, s, e);
        return 0;
      }
      select(h, *d, (wp & MK_SHIFT) ? d->anchor : p, p);
      d->selecting = true;
      SetCapture(h);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (d->selecting)
        select(h, *d, d->anchor, pos_at(h, *d, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}));
      return 0;
    case WM_LBUTTONUP:
      if (d->selecting) {
        d->selecting = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED:
      d->selecting = false;
      return 0;
    case EM_GETSEL: {
      const auto a = static_cast<DWORD>(sel_min(*d)), b = static_cast<DWORD>(sel_max(*d));
      if (wp != 0) *reinterpret_cast<DWORD*>(wp) = a;
      if (lp != 0) *reinterpret_cast<DWORD*>(lp) = b;
      return MAKELPARAM(static_cast<WORD>(a), static_cast<WORD>(b));
    }
    case EM_SETSEL: {
      const std::size_t n = text_ref(h).size();
      const auto s = static_cast<std::intptr_t>(static_cast<int>(wp));
      const auto e = static_cast<std::intptr_t>(static_cast<int>(lp));
      if (s < 0) {
        select(h, *d, d->caret, d->caret);
        return 0;
      }
      select(h, *d, static_cast<std::size_t>(s), e < 0 ? n : static_cast<std::size_t>(e));
      return 0;
    }
    case EM_REPLACESEL:
      replace_selection(h, *d, lp != 0 ? reinterpret_cast<const char*>(lp) : "");
      return 0;
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(lines_of(text_ref(h)).size());
    case EM_SETREADONLY: {
      DWORD st = style_of(h);
      SetWindowLongA(h, GWL_STYLE, static_cast<LONG>(wp ? st | ES_READONLY : st & ~ES_READONLY));
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case WM_CUT:
      copy_selection(h, *d);
      replace_selection(h, *d, "");
      return 0;
    case WM_COPY:
      copy_selection(h, *d);
      return 0;
    case WM_PASTE:
      paste(h, *d);
      return 0;
    case WM_CLEAR:
      replace_selection(h, *d, "");
      return 0;
    default:
      return DefWindowProcA(h, msg, wp, lp);
  }
}

}  // namespace win::detail
