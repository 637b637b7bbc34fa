#include "toolkit/dialog_editor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "platform/win_message_box.h"
#include "toolkit/dialog_box.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/dialog_update.h"
#include "toolkit/helpers.h"
#include "toolkit/loops.h"
#include "toolkit/status.h"
#include "toolkit/window_proc.h"

namespace toolkit {

namespace {

// The editor dialog's items.
enum editor_item : int {
  kNameLabel,
  kNameField,
  kNumberField,
  kTypeText,
  kNewButton,
  kCustomButton,
  kLocationGroup,
  kXLabel,
  kXField,
  kYLabel,
  kYField,
  kSizeGroup,
  kWidthLabel,
  kWidthField,
  kHeightLabel,
  kHeightField,
  kFinishGroup,
  kGenerateButton,
  kCloseButton,
  kCancelButton,
  kEditorItems
};

// The command the editor posts to the edited dialog to draw the selection.
constexpr int kFrameCommand = 0x8A;
constexpr win::COLORREF kFrameColour = 0x0000FF;
constexpr std::int32_t kDisableControl = 0x01000000;
constexpr std::int32_t kEnableControl = 0x02000000;

struct editor_state {
  dialog_t* items = nullptr;
  int count = 0;
  win::HWND edited = nullptr;
  win::HWND editor = nullptr;
  int selected = 0;
  int box[4] = {};  // the dialog box's x, y, width, height in dialog units
  bool dialog_changed = false;
  int caption_height = 0;
  std::array<dialog_t, kEditorItems> fields;
};
editor_state state;
plat::FixedText<31> array_name("dialog");

const char* const kTypeNames[] = {"DLG_OK_BUTTON",
                                  "DLG_CANCEL_BUTTON",
                                  "DLG_ABORT_BUTTON",
                                  "DLG_RETRY_BUTTON",
                                  "DLG_IGNORE_BUTTON",
                                  "DLG_YES_BUTTON",
                                  "DLG_NO_BUTTON",
                                  "DLG_GROUP",
                                  "DLG_PUSHBUTTON",
                                  "DLG_DEFAULT_PUSHBUTTON",
                                  "DLG_RADIOBUTTON",
                                  "DLG_CHECKBOX",
                                  "",
                                  "",
                                  "DLG_EDITBOX",
                                  "DLG_LISTBOX",
                                  "DLG_COMBOBOX",
                                  "",
                                  "",
                                  "DLG_TEXT",
                                  "DLG_FRAME",
                                  "DLG_RECTANGLE",
                                  "DLG_UPDOWN",
                                  "DLG_TRACKBAR",
                                  "DLG_PROGRESSBAR",
                                  "DLG_SCROLLBAR"};

std::string type_name(int type) { return type >= 1 && type <= 26 ? kTypeNames[type - 1] : ""; }

// The place and size of the selection (the dialog box's for 0).
std::array<int, 4> selection_values() {
  if (state.selected == 0) return {state.box[0], state.box[1], state.box[2], state.box[3]};
  const dialog_t& d = state.items[state.selected - 1];
  return {d.x, d.y, d.width, d.height};
}

// A field of the running editor shows a new value or title.
void update_field(int field, const int* value, const std::string* title) {
  UPDATE_DIALOG_ITEM(state.fields[field], &state.editor, nullptr,
                     title != nullptr ? title->c_str() : nullptr,
                     title != nullptr ? static_cast<int>(title->size()) : 0, nullptr, 0, value,
                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                     nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void show_number(int field, int value) { update_field(field, &value, nullptr); }

void show_properties() {
  if (state.editor == nullptr) return;
  show_number(kNumberField, state.selected);
  const std::string name = state.selected == 0
                               ? std::string("Dialog Box Window")
                               : type_name(low_type(state.items[state.selected - 1]));
  update_field(kTypeText, nullptr, &name);
  const std::array<int, 4> v = selection_values();
  const int fields[4] = {kXField, kYField, kWidthField, kHeightField};
  for (int i = 0; i < 4; ++i) show_number(fields[i], v[i]);
}

void repaint_edited() {
  if (state.edited == nullptr) return;
  win::InvalidateRect(state.edited, nullptr, win::TRUE);
  win::UpdateWindow(state.edited);
}

win::RECT to_pixels(int x, int y, int width, int height) {
  win::RECT r{x, y, x + width, y + height};
  win::MapDialogRect(state.edited, &r);
  return r;
}

// The edited dialog moved so that its client area starts at (x, y) dialog
// units of the main window's client area, with the client size given.
void place_edited(int x, int y, int width, int height) {
  const win::RECT px = to_pixels(x, y, width, height);
  win::POINT origin{0, 0};
  if (MAIN_WINDOW() != nullptr) win::ClientToScreen(MAIN_WINDOW(), &origin);
  win::RECT frame{}, client{};
  win::GetWindowRect(state.edited, &frame);
  win::GetClientRect(state.edited, &client);
  win::POINT client_origin{0, 0};
  win::ClientToScreen(state.edited, &client_origin);
  const int left = client_origin.x - frame.left;
  const int extra_width = (frame.right - frame.left) - (client.right - client.left);
  const int top = client_origin.y - frame.top;
  win::MoveWindow(state.edited, origin.x + px.left - left, origin.y + px.top - top,
                  px.right - px.left + extra_width, px.bottom - px.top + state.caption_height,
                  win::TRUE);
}

// The four number fields applied to the selection.
int apply_values(win::HWND&, dialog_t* fields, int&) {
  const int v[4] = {fields[kXField].integer_value, fields[kYField].integer_value,
                    fields[kWidthField].integer_value, fields[kHeightField].integer_value};
  if (state.selected >= 1 && state.selected <= state.count) {
    dialog_t& d = state.items[state.selected - 1];
    if (d.x != v[0] || d.y != v[1] || d.width != v[2] || d.height != v[3]) {
      d.x = v[0];
      d.y = v[1];
      d.width = v[2];
      d.height = v[3];
      d.busy = 1;
      const win::RECT r = to_pixels(d.x, d.y, d.width, d.height);
      if (win::HWND control = DIALOG_ITEM_CONTROL(state.edited, d))
        win::MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, win::TRUE);
    }
  } else if (state.selected == 0 && !std::equal(v, v + 4, state.box)) {
    std::copy(v, v + 4, state.box);
    state.dialog_changed = true;
    place_edited(v[0], v[1], v[2], v[3]);
  }
  repaint_edited();
  return 0;
}

int select_item(win::HWND&, dialog_t* fields, int&) {
  state.selected = std::clamp(fields[kNumberField].integer_value, 0, state.count);
  show_properties();
  repaint_edited();
  return 0;
}

int do_nothing(win::HWND&, dialog_t*, int&) { return 0; }

int editor_changed(win::HWND& window, int& code) {
  if (code == 0x408) {
    state.editor = window;
    show_properties();
  }
  return 0;
}

// The selection frame: one dialog unit around the item (not left of or
// above the dialog's edge), red, hollow.
void draw_selection() {
  const std::array<int, 4> v = selection_values();
  const int left = std::max(v[0] - 1, 0), top = std::max(v[1] - 1, 0);
  win::RECT r{left, top, v[0] + v[2] + 1, v[1] + v[3] + 1};
  win::MapDialogRect(state.edited, &r);
  const win::HDC dc = win::GetDC(state.edited);
  const win::HPEN pen = win::CreatePen(win::PS_SOLID, 1, kFrameColour);
  const win::HGDIOBJ old_pen = win::SelectObject(dc, pen);
  const win::HGDIOBJ old_brush = win::SelectObject(dc, win::GetStockObject(win::HOLLOW_BRUSH));
  win::Rectangle(dc, r.left, r.top, r.right, r.bottom);
  win::SelectObject(dc, old_brush);
  win::SelectObject(dc, old_pen);
  win::DeleteObject(pen);
  win::ReleaseDC(state.edited, dc);
}

// The hit item at a point in dialog units: the last one covering it,
// unless an earlier one lies lower.
int hit_item(int x, int y) {
  int hit = 0;
  for (int i = 1; i <= state.count; ++i) {
    const dialog_t& d = state.items[i - 1];
    if (x < d.x || x > d.x + d.width || y < d.y || y > d.y + d.height) continue;
    if (hit != 0 && state.items[hit - 1].y > d.y) continue;
    hit = i;
  }
  return hit;
}

int editor_hook(win::HWND& window, win::UINT& message, win::WPARAM& wparam, win::LPARAM& lparam,
                win::LRESULT& result) {
  if (window != state.edited) return 0;
  result = 0;
  switch (message) {
    case win::WM_LBUTTONDOWN: {
      int x = static_cast<win::SHORT>(win::LOWORD(lparam));
      int y = static_cast<win::SHORT>(win::HIWORD(lparam));
      TO_DIALOG_UNITS(&state.edited, nullptr, &x, &y, nullptr, nullptr, nullptr);
      state.selected = hit_item(x, y);
      show_properties();
      repaint_edited();
      return 0;
    }
    case win::WM_PAINT:
      if (state.selected != 0) win::PostMessageA(state.edited, win::WM_COMMAND, kFrameCommand, 0);
      return 0;
    case win::WM_COMMAND:
      if (win::LOWORD(wparam) == kFrameCommand && lparam == 0 && state.selected != 0)
        draw_selection();
      return -1;
    case win::WM_KEYDOWN:
    case win::WM_CHAR:
    case win::WM_HSCROLL:
    case win::WM_VSCROLL:
    case win::WM_ACTIVATE:
    case win::WM_NOTIFY:
      return -1;
    default:
      return 0;
  }
}

void set_controls(std::int32_t state_word) {
  for (int i = 0; i < state.count; ++i) {
    if (win::HWND control = DIALOG_ITEM_CONTROL(state.edited, state.items[i])) {
      win::EnableWindow(control, (state_word & kEnableControl) != 0 ? win::TRUE : win::FALSE);
      if ((state.items[i].value_kind & kKindSpinner) != 0)
        if (win::HWND spin = win::GetDlgItem(state.edited, state.items[i].id + kSpinnerIdOffset))
          win::EnableWindow(spin, (state_word & kEnableControl) != 0 ? win::TRUE : win::FALSE);
    }
  }
}

void clear_marks() {
  for (int i = 0; i < state.count; ++i) state.items[i].busy = 0;
}

// The edited dialog measured: its client size and place in dialog units.
void measure_edited() {
  win::RECT frame{}, client{};
  win::GetWindowRect(state.edited, &frame);
  win::GetClientRect(state.edited, &client);
  win::POINT client_origin{0, 0};
  win::ClientToScreen(state.edited, &client_origin);
  state.caption_height = (frame.bottom - frame.top) - client.bottom;
  win::POINT origin{0, 0};
  if (MAIN_WINDOW() != nullptr) win::ClientToScreen(MAIN_WINDOW(), &origin);
  int x = client_origin.x - origin.x, y = client_origin.y - origin.y;
  int w = client.right, h = client.bottom;
  win::RECT unit{0, 0, 4, 8};
  win::MapDialogRect(state.edited, &unit);
  const auto units = [](int pixels, int per, int base) {
    return base != 0 ? (pixels * per + base / 2) / base : 0;
  };
  state.box[0] = units(x, 4, unit.right);
  state.box[1] = units(y, 8, unit.bottom);
  state.box[2] = units(w, 4, unit.right);
  state.box[3] = units(h, 8, unit.bottom);
}

void build_editor_items() {
  auto& f = state.fields;
  for (dialog_t& d : f) d = dialog_t{};
  const auto set = [](dialog_t& d, int type, const char* title, int x, int y, int width, int height,
                      std::uint32_t options = 0) {
    const std::string t = title != nullptr ? title : "";
    SET_DIALOG_ITEM(d, &type, &options, title != nullptr ? t.c_str() : nullptr,
                    static_cast<int>(t.size()), nullptr, 0, nullptr, nullptr, &x, &y, &width,
                    &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr);
  };
  const auto number = [](dialog_t& d, int x, int y, int maximum, change_procedure proc) {
    const int type = DLG_EDITBOX, width = 40, zero = 0, inc = 1;
    const std::uint32_t kind = kKindInteger | kKindSpinner, options = kOptionSameGroup;
    SET_DIALOG_ITEM(d, &type, &options, nullptr, 0, nullptr, 0, nullptr, &zero, &x, &y, &width,
                    nullptr, nullptr, proc, nullptr, &kind, &maximum, &zero, &inc, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr);
  };
  constexpr int kAuto = -4, kRight = -1, kBelow = -2;
  constexpr std::uint32_t kSame = kOptionSameGroup;
  set(f[kNameLabel], DLG_TEXT, "Dialog array name (element)", kAuto, kAuto, 110, 8);
  set(f[kNameField], DLG_EDITBOX, nullptr, kAuto, kAuto, 110, 12);
  f[kNameField].text.set(array_name.trimmed());
  number(f[kNumberField], kAuto, kAuto, state.count, select_item);
  f[kNumberField].style_options &= ~kOptionSameGroup;
  f[kNumberField].window_style |= win::WS_GROUP;
  set(f[kTypeText], DLG_TEXT, "", kRight, kAuto, 110, 12);
  // "NEW" is hidden; "Custom Editbox" takes its place on the row below the
  // number (7 + 8 + 4 + 12 + 4 + 12 + 4).
  constexpr int kButtonRow = 51;
  set(f[kNewButton], DLG_PUSHBUTTON, "NEW", kLayoutMargin, kButtonRow, 40, 12,
      kOptionHidden | kOptionDisabled);
  set(f[kCustomButton], DLG_PUSHBUTTON, "Custom Editbox", kLayoutMargin, kButtonRow, 60, 12,
      kOptionDisabled);
  f[kCustomButton].text_proc = do_nothing;
  set(f[kLocationGroup], DLG_GROUP, "Location", kAuto, kAuto, 110, 0);
  set(f[kXLabel], DLG_TEXT, "X:", kAuto, kAuto, 24, 12, kSame);
  number(f[kXField], kRight, kAuto, 32767, apply_values);
  set(f[kYLabel], DLG_TEXT, "Y:", kBelow, kAuto, 24, 12, kSame);
  number(f[kYField], kRight, kAuto, 32767, apply_values);
  set(f[kSizeGroup], DLG_GROUP, "Size", kAuto, kAuto, 110, 0);
  set(f[kWidthLabel], DLG_TEXT, "Width:", kAuto, kAuto, 24, 12, kSame);
  number(f[kWidthField], kRight, kAuto, 32767, apply_values);
  set(f[kHeightLabel], DLG_TEXT, "Height:", kBelow, kAuto, 24, 12, kSame);
  number(f[kHeightField], kRight, kAuto, 32767, apply_values);
  set(f[kFinishGroup], DLG_GROUP, "Finish", kAuto, kAuto, 110, 0);
  set(f[kGenerateButton], DLG_YES_BUTTON, "Generate Output", kAuto, kAuto, 70, 12, kSame);
  set(f[kCloseButton], DLG_NO_BUTTON, "Close", kRight, kAuto, 40, 12, kSame);
  set(f[kCancelButton], DLG_CANCEL_BUTTON, nullptr, kRight, kAuto, 40, 12, kSame);
}

}  // namespace

void DIALOG_ITEM_TYPE_NAME(int type, char* buffer, int length) {
  COPY_C_TO_PADDED(type_name(type).c_str(), buffer, length);
}

int DIALOG_EDITOR_HOOK(dialog_t* items, int& count, win::HWND& window) {
  return DIALOG_EDITOR(items, count, window);
}

int DIALOG_EDITOR(dialog_t* items, int& count, win::HWND& window) {
  state.items = items;
  state.count = count;
  state.edited = window;
  state.editor = nullptr;
  state.selected = 0;
  state.dialog_changed = false;
  if (window == nullptr || !win::IsWindow(window)) return 0;
  measure_edited();
  place_edited(0, 0, state.box[2], state.box[3]);
  measure_edited();
  set_controls(kDisableControl);
  clear_marks();
  SET_DIALOG_HOOK(editor_hook);

  build_editor_items();
  const int x = state.box[0] + state.box[2] + 2, y = state.box[1] - 16;
  const win::HWND owner = MAIN_WINDOW();
  const win::DWORD style = 0x90C90004;
  const int modal = 0;
  const char kTitle[] = "Fenstra Dialog Editor";
  const win::INT_PTR end = DIALOG_BOX(state.fields.data(), kEditorItems, kTitle, sizeof kTitle - 1,
                                      &owner, nullptr, nullptr, &x, &y, nullptr, nullptr, &modal,
                                      nullptr, &style, nullptr, nullptr, editor_changed, nullptr);
  state.editor = nullptr;

  CLEAR_DIALOG_HOOK();
  set_controls(kEnableControl);
  CLOSE_WINDOW(state.edited);
  state.edited = nullptr;
  array_name.set(state.fields[kNameField].text.trimmed());
  int result = -1;
  if (end == win::IDCANCEL)
    result = 0;
  else if (end == win::IDYES)
    GENERATE_DIALOG_OUTPUT();
  clear_marks();
  state.items = nullptr;  // the caller's storage, released after this
  state.count = 0;
  return result;
}

std::string DIALOG_EDITOR_LINES(const editor_output_t& how) {
  const std::string name(array_name.trimmed());
  std::string out;
  for (int k = 1; k <= state.count; ++k) {
    const dialog_t& d = state.items[k - 1];
    if (how.only_modified && d.busy != 1) continue;
    const std::string n = std::to_string(k);
    out += how.indent;
    if (how.source) {
      out += "CALL set_dialog_item (dialog_item=" + name + "(" + n + "), x=" + std::to_string(d.x) +
             ", y=" + std::to_string(d.y) + ", width=" + std::to_string(d.width) +
             ", height=" + std::to_string(d.height) + ", edit=.TRUE.)";
    } else {
      std::string type = type_name(low_type(d));
      type.resize(22, ' ');
      std::string_view label = d.title.trimmed();
      if (label.empty()) label = d.text.trimmed();
      out += name + "(" + n + ") x=" + std::to_string(d.x) + " y=" + std::to_string(d.y) +
             " width=" + std::to_string(d.width) + " height=" + std::to_string(d.height) +
             " type=" + type + " title/text=" + std::string(label.substr(0, 24));
    }
    out += "\r\n";
  }
  if (!how.only_modified || state.dialog_changed) {
    const std::string w = std::to_string(state.box[2]), h = std::to_string(state.box[3]);
    out += how.indent +
           (how.source ? "! Dialog box size: width=" + w + ", height=" + h
                       : "Dialog box size: width=" + w + " height=" + h) +
           "\r\n";
  }
  return out;
}

std::string DIALOG_EDITOR_ARRAY_NAME() { return array_name.str(); }

void reset_dialog_editor() {
  state = editor_state{};
  array_name.set("dialog");
  dialog_editor_enabled = false;
  dialog_editor_running = false;
}

}  // namespace toolkit
