// What the common dialogs share: the extended error, the answer queue and
// the log, the run of a dialog (filled in from the queue without a
// display), and the helpers of their templates and procedures.
#include <cstdio>
#include <deque>
#include <map>
#include <optional>

#include "platform/backend.h"
#include "platform/charcase.h"
#include "platform/cp1252.h"
#include "platform/win_commdlg_internal.h"
#include "platform/win_controls_internal.h"
#include "platform/win_dialog_internal.h"
#include "platform/win_message_box.h"
#include "platform/win_window_tree.h"

namespace win::detail {

namespace {

DWORD extended_error = 0;
bool as_windows = false;
std::deque<plat::DialogAnswer> answers;
std::vector<plat::CommonDialogRecord> dialog_log;

constexpr UINT kApplyAnswer = 0x8000 + 0x1F0;  // posted to a dialog that has an answer

// A running dialog: its own procedure and parameter, and the answer that
// fills it in.
struct Frame {
  DLGPROC proc;
  LPARAM param;
  std::string title;
  std::optional<plat::DialogAnswer> answer;
};
std::map<HWND, Frame*> frames;

std::string bare_label(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != '&') out += c;
  while (!out.empty() && (out.back() == ':' || out.back() == ' ' || out.back() == '.'))
    out.pop_back();
  return out;
}

bool is_class(HWND h, const char* name) {
  const Window* w = find(h);
  return w != nullptr && w->cls != nullptr && plat::same_any_case(w->cls->name, name);
}

// The control a label names: a check box or button by its own text, a
// field by the label before it.
HWND field_named(HWND dlg, std::string_view label) {
  const std::vector<HWND> controls = dialog_controls(dlg);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (!plat::same_any_case(bare_label(text_of(controls[i])), label)) continue;
    if (!is_class(controls[i], "Static")) return controls[i];
    for (std::size_t j = i + 1; j < controls.size(); ++j)
      if (!is_class(controls[j], "Static")) return controls[j];
  }
  return nullptr;
}

// Index of the entry of exactly this text in a list or combo box; -1.
int entry_of(HWND h, bool combo, std::string_view text) {
  const LRESULT n = SendMessageA(h, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  char buf[512];
  for (LRESULT i = 0; i < n; ++i) {
    if (SendMessageA(h, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(buf)) < 0)
      continue;
    if (plat::same_any_case(buf, text)) return static_cast<int>(i);
  }
  return -1;
}

void notify(HWND dlg, HWND control, WORD code) {
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control_id(control)), code),
               reinterpret_cast<LPARAM>(control));
}

// Puts a value into a field as a user would, with the notification the
// field sends; false when the field cannot take it.
bool fill_field(HWND dlg, HWND h, const std::string& value) {
  if (is_class(h, "Edit")) {
    SetWindowTextA(h, value.c_str());  // tells the dialog EN_CHANGE itself
    return true;
  }
  if (is_class(h, "ComboBox")) {
    const int i = entry_of(h, true, value);
    if (i >= 0) {
      SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      notify(dlg, h, CBN_SELCHANGE);
      return true;
    }
    if ((style_of(h) & 3) != CBS_DROPDOWN) return false;
    SetWindowTextA(h, value.c_str());
    notify(dlg, h, CBN_EDITCHANGE);
    return true;
  }
  if (is_class(h, "ListBox")) {
    const int i = entry_of(h, false, value);
    if (i < 0) return false;
    SendMessageA(h, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    notify(dlg, h, LBN_SELCHANGE);
    return true;
  }
  if (is_class(h, "Button")) {
    const DWORD type = style_of(h) & BS_TYPEMASK;
    const bool box = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                     type == BS_AUTORADIOBUTTON;
    const bool want = value != "0";
    if (!box || (SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED) != want) {
      if (box && !want && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) return false;
      SendMessageA(h, BM_CLICK, 0, 0);
    }
    return true;
  }
  return false;
}

void apply_answer(HWND dlg, const Frame& f) {
  const plat::DialogAnswer& a = *f.answer;
  for (const auto& [label, value] : a.fields) {
    HWND h = field_named(dlg, label);
    if (h == nullptr || !IsWindowEnabled(h) || !fill_field(dlg, h, value))
      std::fprintf(stderr, "ostrel: %s: the answer's \"%s\" has no field that takes \"%s\"\n",
                   plat::utf8_from_1252(f.title).c_str(), plat::utf8_from_1252(label).c_str(),
                   plat::utf8_from_1252(value).c_str());
  }
  const int id = a.ok ? IDOK : IDCANCEL;
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

INT_PTR frame_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    auto* f = reinterpret_cast<Frame*>(lp);
    frames[dlg] = f;
    const INT_PTR r = f->proc(dlg, msg, wp, f->param);
    f->title = text_of(dlg);
    if (f->answer) PostMessageA(dlg, kApplyAnswer, 0, 0);
    return r;
  }
  auto it = frames.find(dlg);
  if (it == frames.end()) return FALSE;
  Frame* f = it->second;
  if (msg == kApplyAnswer) {
    // Once; a dialog the answer left open is then cancelled for want of
    // input.
    if (f->answer) apply_answer(dlg, *f);
    f->answer.reset();
    return TRUE;
  }
  const INT_PTR r = f->proc(dlg, msg, wp, lp);
  if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) EndDialog(dlg, IDCANCEL);
  if (msg == WM_NCDESTROY) frames.erase(dlg);
  return r;
}

}  // namespace

void set_dialog_error(DWORD code) { extended_error = code; }

INT_PTR run_common_dialog(HWND owner, plat::DialogTemplate& tmpl, DLGPROC proc, LPARAM param,
                          std::string& title) {
  Frame f{proc, param, title, std::nullopt};
  if (!as_windows && !plat::backend().has_display()) {
    if (answers.empty()) {
      log_common_dialog(title, "Cancel (no answer queued)");
      return IDCANCEL;
    }
    f.answer = std::move(answers.front());
    answers.pop_front();
  }
  const INT_PTR r =
      DialogBoxIndirectParamA(nullptr, tmpl.get(), owner, frame_proc, reinterpret_cast<LPARAM>(&f));
  for (auto it = frames.begin(); it != frames.end();)
    it = it->second == &f ? frames.erase(it) : ++it;
  title = f.title;
  if (r == -1) {
    set_dialog_error(CDERR_DIALOGFAILURE);
    log_common_dialog(title, "failed: the dialog cannot be made");
  } else if (r == IDCANCEL) {
    log_common_dialog(title, "Cancel");
  }
  return r;
}

void log_common_dialog(std::string_view title, std::string_view outcome) {
  dialog_log.push_back({std::string(title), std::string(outcome)});
  std::fprintf(stderr, "ostrel: %s: %s\n", plat::utf8_from_1252(title).c_str(),
               plat::utf8_from_1252(outcome).c_str());
}

void register_dialog_class(const char* name, WNDPROC proc) {
  WNDCLASSA wc;
  if (GetClassInfoA(nullptr, name, &wc)) return;
  wc = WNDCLASSA();
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

std::string item_text(HWND dlg, int id) { return text_of(GetDlgItem(dlg, id)); }

void set_item_text(HWND dlg, int id, std::string_view text) {
  SetWindowTextA(GetDlgItem(dlg, id), std::string(text).c_str());
}

bool item_checked(HWND dlg, int id) {
  return SendMessageA(GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void check_item(HWND dlg, int id, bool on) {
  SendMessageA(GetDlgItem(dlg, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void enable_item(HWND dlg, int id, bool on) {
  EnableWindow(GetDlgItem(dlg, id), on ? TRUE : FALSE);
}

void show_item(HWND dlg, int id, bool on) {
  ShowWindow(GetDlgItem(dlg, id), on ? SW_SHOW : SW_HIDE);
}

void centre_dialog(HWND dlg) {
  RECT r, area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetWindowRect(dlg, &r);
  if (HWND owner = GetWindow(dlg, GW_OWNER); owner != nullptr && IsWindowVisible(owner))
    GetWindowRect(owner, &area);
  const int w = r.right - r.left, h = r.bottom - r.top;
  MoveWindow(dlg, std::max(0, area.left + (area.right - area.left - w) / 2),
             std::max(0, area.top + (area.bottom - area.top - h) / 2), w, h, FALSE);
}

int dialog_message(HWND dlg, std::string_view text, UINT style) {
  return MessageBoxA(dlg, std::string(text).c_str(), text_of(dlg).c_str(), style);
}

void add_label(plat::DialogTemplate& t, int x, int y, int cx, int cy, std::string_view text,
               DWORD id) {
  t.add("", 0x82, kChild | SS_LEFT, x, y, cx, cy, id, text);
}

void add_field(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id, DWORD style) {
  t.add("", 0x81, kChild | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | style, x, y, cx, cy, id, "");
}

void add_button(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id,
                std::string_view text, DWORD style) {
  const DWORD type = style & BS_TYPEMASK;
  const DWORD group = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON ? 0 : WS_TABSTOP;
  t.add("", 0x80, kChild | group | style, x, y, cx, cy, id, text);
}

void add_group(plat::DialogTemplate& t, int x, int y, int cx, int cy, std::string_view text) {
  t.add("", 0x80, kChild | BS_GROUPBOX, x, y, cx, cy, 0xFFFF, text);
}

void add_combo(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id, DWORD style) {
  t.add("", 0x85, kChild | WS_TABSTOP | WS_VSCROLL | style, x, y, cx, cy, id, "");
}

void add_list(plat::DialogTemplate& t, int x, int y, int cx, int cy, DWORD id, DWORD style) {
  t.add("", 0x83, kChild | WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | style, x, y, cx, cy,
        id, "");
}

void add_ok_cancel(plat::DialogTemplate& t, int x, int y, bool stacked, std::string_view ok_text) {
  add_button(t, x, y, 50, 14, IDOK, ok_text, BS_DEFPUSHBUTTON | WS_GROUP);
  add_button(t, stacked ? x : x + 54, stacked ? y + 18 : y, 50, 14, IDCANCEL, "Cancel");
}

}  // namespace win::detail

namespace win {

DWORD CommDlgExtendedError() { return detail::extended_error; }

}  // namespace win

namespace plat {

void push_dialog_answer(DialogAnswer answer) { win::detail::answers.push_back(std::move(answer)); }

const std::vector<CommonDialogRecord>& common_dialog_log() { return win::detail::dialog_log; }

void reset_common_dialogs() {
  win::detail::answers.clear();
  win::detail::dialog_log.clear();
  win::detail::extended_error = 0;
  win::detail::as_windows = false;
}

void set_common_dialogs_as_windows(bool on) { win::detail::as_windows = on; }

}  // namespace plat
