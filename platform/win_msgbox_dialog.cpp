// The message box as a dialog: an icon by style, the text wrapped beside
// it, and a row of buttons whose mnemonics work by the letter alone; Enter
// presses the default button (MB_DEFBUTTONn), Escape is Cancel or a lone
// OK.
#include <algorithm>
#include <vector>

#include "platform/backend.h"
#include "platform/dialog_template.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_box.h"
#include "platform/win_resources.h"

namespace win::detail {

namespace {

bool as_windows = false;

constexpr int kMargin = 11;  // pixels around the contents
constexpr int kGap = 6;      // between buttons
constexpr int kButtonH = 23;
constexpr int kButtonW = 75;  // at least
constexpr int kIcon = 32;
constexpr int kIconId = 20, kTextId = 21;

struct BoxButton {
  int id;
  const char* text;
};

std::vector<BoxButton> buttons_of(UINT style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "&OK"}, {IDCANCEL, "&Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "&Cancel"}};
    case MB_YESNO:
      return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "&Retry"}, {IDCANCEL, "&Cancel"}};
    default:
      return {{IDOK, "&OK"}};
  }
}

const char* icon_of(UINT style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
      return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
      return IDI_ASTERISK;
    default:
      return nullptr;
  }
}

struct Box {
  UINT style;
  std::vector<BoxButton> buttons;
};

// Places the icon, the wrapped text and the buttons, and sizes the dialog
// round them, centred on its owner (or the screen).
void lay_out(HWND dlg, const Box& box) {
  HWND text = GetDlgItem(dlg, kTextId);
  HWND icon = GetDlgItem(dlg, kIconId);
  HDC dc = GetDC(text);
  SelectObject(dc, control_font(text));
  const std::string t = text_of(text);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  // As wide as the longest line, up to a limit at which lines wrap.
  int natural = 0;
  for (std::size_t from = 0; from <= t.size();) {
    std::size_t end = t.find('\n', from);
    if (end == std::string::npos) end = t.size();
    std::size_t n = end - from;
    if (n > 0 && t[from + n - 1] == '\r') --n;
    SIZE s{0, 0};
    if (n > 0) GetTextExtentPoint32A(dc, t.data() + from, static_cast<int>(n), &s);
    natural = std::max<int>(natural, s.cx);
    from = end + 1;
  }
  RECT tr{0, 0, std::min({natural + 1, 480, screen_w * 2 / 3}), 0};
  DrawTextA(dc, t.c_str(), static_cast<int>(t.size()), &tr,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SIZE label{0, 0};
  int widest = 0;
  for (const BoxButton& b : box.buttons) {
    RECT br{0, 0, 0, 0};
    DrawTextA(dc, b.text, -1, &br, DT_CALCRECT | DT_SINGLELINE);
    widest = std::max<int>(widest, br.right);
  }
  ReleaseDC(text, dc);
  label = {tr.right, tr.bottom};
  const int bw = std::max(kButtonW, widest + 16);
  const int row =
      static_cast<int>(box.buttons.size()) * bw + static_cast<int>(box.buttons.size() - 1) * kGap;
  const int text_x = kMargin + (icon != nullptr ? kIcon + kMargin : 0);
  const int top_h = std::max(label.cy, icon != nullptr ? kIcon : 0);
  const int cw = std::max(text_x + label.cx + kMargin, row + 2 * kMargin);
  const int ch = kMargin + top_h + kMargin + kButtonH + kMargin;
  if (icon != nullptr) MoveWindow(icon, kMargin, kMargin, kIcon, kIcon, FALSE);
  MoveWindow(text, text_x, kMargin + (top_h - label.cy) / 2, label.cx + 1, label.cy, FALSE);
  int x = (cw - row) / 2;
  for (const BoxButton& b : box.buttons) {
    MoveWindow(GetDlgItem(dlg, b.id), x, kMargin + top_h + kMargin, bw, kButtonH, FALSE);
    x += bw + kGap;
  }
  RECT outer{0, 0, cw, ch};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(dlg, GWL_EXSTYLE)));
  RECT area{0, 0, screen_w, GetSystemMetrics(SM_CYSCREEN)};
  if (HWND owner = GetWindow(dlg, GW_OWNER); owner != nullptr && IsWindowVisible(owner))
    GetWindowRect(owner, &area);
  const int w = outer.right - outer.left, h = outer.bottom - outer.top;
  MoveWindow(dlg, std::max(0, area.left + (area.right - area.left - w) / 2),
             std::max(0, area.top + (area.bottom - area.top - h) / 2), w, h, TRUE);
}

INT_PTR box_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* box = reinterpret_cast<const Box*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      if (const char* name = icon_of(box->style))
        SendMessageA(GetDlgItem(dlg, kIconId), STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconA(nullptr, name)), 0);
      lay_out(dlg, *box);
      // MB_DEFBUTTONn past the last button means the first.
      std::size_t def = (box->style & MB_DEFMASK) >> 8;
      if (def >= box->buttons.size()) def = 0;
      SendMessageA(dlg, DM_SETDEFID, static_cast<WPARAM>(box->buttons[def].id), 0);
      SetFocus(GetDlgItem(dlg, box->buttons[def].id));
      MessageBeep(box->style & MB_ICONMASK);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const auto* box = reinterpret_cast<const Box*>(GetWindowLongPtrA(dlg, DWLP_USER));
      int id = LOWORD(wp);
      // Escape (and the close box) mean Cancel, or OK when that is the only
      // button; otherwise they do nothing.
      if (id == IDCANCEL && !plat::message_box_offers(box->style, IDCANCEL)) {
        if ((box->style & MB_TYPEMASK) != MB_OK) return TRUE;
        id = IDOK;
      }
      if (plat::message_box_offers(box->style, id)) EndDialog(dlg, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int message_box_dialog(HWND owner, std::string_view text, std::string_view title, UINT style) {
  if (!as_windows && !plat::backend().has_display()) return -1;
  Box box{style, buttons_of(style)};
  const DWORD ws = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  plat::DialogTemplate t(ws, 0, 0, 100, 40, title, "MS Shell Dlg", 8);
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  if (icon_of(style) != nullptr) t.add("", 0x82, kChild | SS_ICON, 0, 0, 20, 20, kIconId, "");
  t.add("", 0x82, kChild | SS_LEFT | SS_NOPREFIX, 0, 0, 10, 8, kTextId, text);
  for (std::size_t i = 0; i < box.buttons.size(); ++i)
    t.add("", 0x80, kChild | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | BS_PUSHBUTTON, 0, 0, 10, 10,
          static_cast<DWORD>(box.buttons[i].id), box.buttons[i].text);
  const INT_PTR r =
      DialogBoxIndirectParamA(nullptr, t.get(), owner, box_proc, reinterpret_cast<LPARAM>(&box));
  if (r < 0) return -1;
  // Cancelled for want of input: the answer that cannot repeat work.
  return plat::message_box_offers(style, static_cast<int>(r))
             ? static_cast<int>(r)
             : plat::safe_message_box_answer(style);
}

void reset_message_box_windows() { as_windows = false; }

}  // namespace win::detail

namespace plat {

void set_message_boxes_as_windows(bool on) { win::detail::as_windows = on; }
bool message_boxes_shown() { return win::detail::as_windows || plat::backend().has_display(); }

}  // namespace plat
