#include "toolkit/dialog_run.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cp1252.h"
#include "platform/win_dialog.h"
#include "toolkit/dialog_controls.h"
#include "toolkit/dialog_proc.h"
#include "toolkit/dialog_subclass.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/loops.h"
#include "toolkit/memory.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

std::vector<win::HWND> modeless_dialogs;

constexpr win::DWORD kModalStyle = 0x80C80084;
constexpr win::DWORD kModelessStyle = 0x90C80004;

// Makes room for n more bytes at the write position.
void reserve(dialog_template_t& t, std::size_t n) {
  if (t.used + n <= t.capacity) return;
  const std::size_t capacity = std::max(t.capacity * 2, t.used + n);
  t.base = static_cast<unsigned char*>(REALLOCATE_MEMORY(t.base, capacity));
  std::memset(t.base + t.capacity, 0, capacity - t.capacity);
  t.capacity = capacity;
}

void put(dialog_template_t& t, const void* bytes, std::size_t n) {
  reserve(t, n);
  std::memcpy(t.base + t.used, bytes, n);
  t.used += n;
}

void put_word(dialog_template_t& t, win::WORD w) { put(t, &w, sizeof w); }

// A text ends at its first NUL, as the template is read.
void put_text(dialog_template_t& t, std::string_view text) {
  for (char c : text.substr(0, text.find('\0')))
    put_word(t, static_cast<win::WORD>(plat::unicode_of_1252(static_cast<unsigned char>(c))));
  put_word(t, 0);
}

void align4(dialog_template_t& t) {
  const std::size_t pad = (4 - t.used % 4) % 4;
  reserve(t, pad);
  std::memset(t.base + t.used, 0, pad);
  t.used += pad;
}

struct base_units {
  int x = 0;
  int y = 0;
};

}  // namespace

void FREE_DIALOG_TEMPLATE(dialog_template_t& dialog_template) {
  FREE_MEMORY(dialog_template.base);
  dialog_template = dialog_template_t{};
}

item_class_t DIALOG_ITEM_CLASS(int type) {
  if (is_button_type(type)) return {0x80, "Button"};
  switch (type) {
    case DLG_EDITBOX:
      return {0x81, "Edit"};
    case DLG_LISTBOX:
      return {0x83, "Listbox"};
    case DLG_COMBOBOX:
      return {0x85, "ComboBox"};
    case DLG_TEXT:
      return {0x82, "Static"};
    case DLG_UPDOWN:
      return {0, "msctls_updown32"};
    case DLG_TRACKBAR:
      return {0, "msctls_trackbar32"};
    case DLG_PROGRESSBAR:
      return {0, "msctls_progress32"};
    case DLG_SCROLLBAR:
      return {0x84, "Scrollbar"};
    case DLG_SPREADSHEET:
      return {0, "FE_SPREADSHEET"};
    default:
      return {};
  }
}

const char* DIALOG_ITEM_CLASS_NAME(int type) { return DIALOG_ITEM_CLASS(type).name; }

int DIALOG_ITEM_CLASS_LENGTH(const dialog_t& item) {
  const item_class_t c = DIALOG_ITEM_CLASS(low_type(item));
  if (item.class_atom != 0 || c.atom != 0) return 0;
  return static_cast<int>(std::strlen(c.name));
}

std::size_t BUILD_DIALOG_HEADER(const char* title, int title_length, const float* x_fraction,
                                const float* y_fraction, const int* x, const int* y,
                                const int& width, const int& height, const int& item_count,
                                int& size_estimate, dialog_template_t& dialog_template,
                                const int& modeless, const win::HWND* owner,
                                const win::DWORD* style, const win::HFONT* font, int* ups) {
  if (ups != nullptr && *ups != 0) return 0;
  base_units units;
  win::LOGFONTA lf{};
  if (font != nullptr) {
    if (win::GetObjectA(*font, sizeof lf, &lf) == 0) {
      SET_STATUS(ups, "Invalid font in DIALOG_BOX", kToolkitError);
      return 0;
    }
    win::HDC screen = win::GetDC(nullptr);
    win::HGDIOBJ old = win::SelectObject(screen, *font);
    win::TEXTMETRICA tm{};
    win::GetTextMetricsA(screen, &tm);
    win::SelectObject(screen, old);
    win::ReleaseDC(nullptr, screen);
    units = {tm.tmAveCharWidth, tm.tmHeight};
  } else {
    const win::LONG both = win::GetDialogBaseUnits();
    units = {win::LOWORD(both), win::HIWORD(both)};
  }
  units.x = std::max(units.x, 1);
  units.y = std::max(units.y, 1);
  win::HDC screen = win::GetDC(nullptr);
  const int pixels_per_inch = win::GetDeviceCaps(screen, win::LOGPIXELSY);
  win::ReleaseDC(nullptr, screen);
  win::HWND area_window = owner != nullptr && *owner != nullptr ? *owner : win::GetDesktopWindow();
  win::RECT area{};
  win::GetClientRect(area_window, &area);

  win::DLGTEMPLATEEX head;
  head.style = style != nullptr ? *style : (modeless != 0 ? kModelessStyle : kModalStyle);
  head.style = font != nullptr ? head.style | win::DS_SETFONT : head.style & ~win::DS_SETFONT;
  if (x_fraction != nullptr)
    head.x = static_cast<win::SHORT>(
        (area.left + static_cast<int>((area.right - area.left) * *x_fraction)) * 4 / units.x);
  else
    head.x = static_cast<win::SHORT>(x != nullptr ? *x : 0);
  if (y_fraction != nullptr)
    head.y = static_cast<win::SHORT>(
        (area.top + static_cast<int>((area.bottom - area.top) * *y_fraction)) * 8 / units.y);
  else
    head.y = static_cast<win::SHORT>(y != nullptr ? *y : 0);
  head.cx = static_cast<win::SHORT>(width);
  head.cy = static_cast<win::SHORT>(height);
  head.cDlgItems = static_cast<win::WORD>(item_count);

  const std::string text = title != nullptr ? trimmed_text(title, title_length) : std::string();
  if (MAIN_WINDOW() == nullptr) SET_MAIN_TITLE(text);
  const std::string face = font != nullptr ? std::string(lf.lfFaceName) : std::string();
  if (font != nullptr) size_estimate += 8 + 2 * static_cast<int>(face.size());

  FREE_DIALOG_TEMPLATE(dialog_template);
  dialog_template.capacity = static_cast<std::size_t>(std::max(size_estimate, 0)) + 4;
  dialog_template.base =
      static_cast<unsigned char*>(ALLOCATE_MEMORY(dialog_template.capacity, ups));
  if (dialog_template.base == nullptr) {
    dialog_template.capacity = 0;
    return 0;
  }
  std::memset(dialog_template.base, 0, dialog_template.capacity);
  put(dialog_template, &head, sizeof head);
  put_word(dialog_template, 0);  // no menu
  put_word(dialog_template, 0);  // the dialog class
  put_text(dialog_template, text);
  if (font != nullptr) {
    put_word(dialog_template,
             static_cast<win::WORD>(win::MulDiv(std::abs(lf.lfHeight), 72, pixels_per_inch)));
    put_word(dialog_template, static_cast<win::WORD>(lf.lfWeight));
    const win::BYTE italic_and_charset[2] = {lf.lfItalic, 0};
    put(dialog_template, italic_and_charset, 2);
    put_text(dialog_template, face);
  }
  align4(dialog_template);
  return dialog_template.used;
}

std::size_t BUILD_DIALOG_TEMPLATE(const dialog_t& item, dialog_template_t& dialog_template) {
  align4(dialog_template);
  win::DLGITEMTEMPLATEEX record;
  record.style = item.window_style;
  record.x = static_cast<win::SHORT>(item.x);
  record.y = static_cast<win::SHORT>(item.y);
  record.cx = static_cast<win::SHORT>(item.width);
  record.cy = static_cast<win::SHORT>(item.height);
  record.id = static_cast<win::DWORD>(item.id);
  put(dialog_template, &record, sizeof record);
  const item_class_t c = DIALOG_ITEM_CLASS(low_type(item));
  const int atom = item.class_atom != 0 ? item.class_atom : c.atom;
  if (atom != 0) {
    put_word(dialog_template, 0xFFFF);
    put_word(dialog_template, static_cast<win::WORD>(atom));
  } else {
    put_text(dialog_template, c.name);
  }
  put_text(dialog_template, item.title.trimmed());
  put_word(dialog_template, 0);  // no creation data
  align4(dialog_template);
  return dialog_template.used;
}

win::INT_PTR RUN_DIALOG(dialog_template_t& dialog_template, win::HWND& owner, dialog_t* items,
                        int& count, int& modeless, const win::HBRUSH* brush,
                        const win::COLORREF* text_colour, const win::HFONT* font,
                        changed_callback changed, int* ups) {
  CLEAR_STATUS(ups);
  const win::HWND busy = SUSPEND_BUSY_CURSOR();
  SUBCLASS_EDIT();
  SUBCLASS_COMBOBOX();
  const auto pending = absent_handle<win::HWND>();
  window_record_t* r = GET_FREE_WINDOW_RECORD(pending, ups);
  if (r == nullptr) {
    SET_STATUS(ups, "Fenstra Error: No dialog windowdata", kToolkitError);
    FREE_DIALOG_TEMPLATE(dialog_template);
    RESTORE_BUSY_CURSOR(busy, owner);
    return 0;
  }
  if ((diagnosis_mode & kDiagnoseToLog) != 0 && (diagnosis_mode & 0x10000) != 0)
    DisplayDialog(dialog_template.base, count);
  r->dialog_items = count;
  r->dialog_array = items;
  if (changed != nullptr) r->changed = changed;
  if (font != nullptr) r->font = *font;
  if (brush != nullptr) r->dialog_brush = *brush;
  if (text_colour != nullptr) r->text_colour = *text_colour;
  r->flags |= kDialogRecord;

  const auto* tmpl = reinterpret_cast<const win::DLGTEMPLATEEX*>(dialog_template.base);
  const auto param = reinterpret_cast<win::LPARAM>(r);
  // The record is dropped unless the dialog took it over (its window's
  // destruction frees it then).
  const auto drop_record = [&] {
    if (r->window == pending) FREE_WINDOW_RECORD(pending);
  };
  win::INT_PTR result = 0;
  if (modeless != 0) {
    win::HWND dialog =
        win::CreateDialogIndirectParamA(GET_MODULE_HANDLE(), tmpl, owner, DIALOG_PROC, param);
    FREE_DIALOG_TEMPLATE(dialog_template);
    if (dialog != nullptr) {
      ADD_MODELESS_DIALOG(dialog);
      r->modeless_dialog = 1;
      if (MAIN_WINDOW() == nullptr) MAKE_MAIN_RECORD(r);
      result = reinterpret_cast<win::INT_PTR>(dialog);
    } else {
      drop_record();
      SET_STATUS_FROM_SYSTEM(ups, "Cannot open this dialog box");
    }
  } else {
    result = win::DialogBoxIndirectParamA(GET_MODULE_HANDLE(), tmpl, owner, DIALOG_PROC, param);
    FREE_DIALOG_TEMPLATE(dialog_template);
    if (result == -1) {
      result = 0;
      drop_record();
      SET_STATUS_FROM_SYSTEM(ups, "Cannot open this dialog box");
    }
  }
  RESTORE_BUSY_CURSOR(busy, owner);
  return result;
}

void FORGET_DIALOG_ITEMS(const dialog_t* items) {
  if (items == nullptr) return;
  for (window_record_t* r = FIRST_WINDOW_RECORD(); r != nullptr; r = NEXT_WINDOW_RECORD(r)) {
    if (r->dialog_array != items) continue;
    r->dialog_array = nullptr;
    r->dialog_items = 0;
  }
}

void ADD_MODELESS_DIALOG(win::HWND window) { modeless_dialogs.push_back(window); }

int IS_MODELESS_DIALOG(win::HWND window) {
  return std::find(modeless_dialogs.begin(), modeless_dialogs.end(), window) !=
                 modeless_dialogs.end()
             ? 1
             : 0;
}

void REMOVE_MODELESS_DIALOG(win::HWND window) {
  std::erase(modeless_dialogs, window);
  if (current_modeless_dialog == window) current_modeless_dialog = nullptr;
}

void reset_dialogs() {
  modeless_dialogs.clear();
  reset_subclassing();
  reset_dialog_controls();
}

}  // namespace toolkit
