#include "toolkit/fonts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win_commdlg.h"
#include "platform/win_message.h"
#include "toolkit/draw_targets.h"
#include "toolkit/entry.h"
#include "toolkit/helpers.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr int kCaptionLength = 128;

// The font dialog's description and font, kept from one call to the next,
// and the caption its hook gives it.
win::CHOOSEFONTA kept_choice;
win::LOGFONTA kept_font;
std::string dialog_caption;

// Vertical and horizontal pixels per inch of the target's device, else of
// the screen.
void resolution(draw_target_t* target, int& per_inch_y, int& per_inch_x) {
  if (target != nullptr && target->dc != nullptr) {
    GET_TARGET_RESOLUTION(*target);
    per_inch_y = target->pixels_per_inch_y;
    per_inch_x = target->pixels_per_inch_x;
    return;
  }
  INIT_DISPLAY_METRICS();
  per_inch_y = display_metrics.pixels_per_inch_y;
  per_inch_x = display_metrics.pixels_per_inch_x;
}

bool is_name(const std::string& text, const char* name) { return text == name; }

int round_half_away(double value) {
  return static_cast<int>(value < 0 ? std::ceil(value - 0.5) : std::floor(value + 0.5));
}

}  // namespace

win::HFONT C_DEFINE_FONT(const char* face, int face_length, int stock, int points, int italic,
                         int underline, int bold, int strike_out, int angle_tenths,
                         draw_target_t* target, int width_divisor, int* ups) {
  CLEAR_STATUS(ups);
  if (stock > 0) return reinterpret_cast<win::HFONT>(win::GetStockObject(stock));
  int per_inch_y = 0, per_inch_x = 0;
  resolution(target, per_inch_y, per_inch_x);
  win::LOGFONTA lf{};
  lf.lfHeight = -win::MulDiv(points, per_inch_y, 72);
  lf.lfWidth = width_divisor > 0 ? per_inch_x / width_divisor : 0;
  lf.lfEscapement = lf.lfOrientation = angle_tenths;
  lf.lfWeight = bold != 0 ? win::FW_BOLD : win::FW_NORMAL;
  lf.lfItalic = static_cast<win::BYTE>(italic);
  lf.lfUnderline = static_cast<win::BYTE>(underline);
  lf.lfStrikeOut = static_cast<win::BYTE>(strike_out);
  lf.lfCharSet = win::DEFAULT_CHARSET;
  const std::string name = face != nullptr ? trimmed_text(face, face_length) : std::string();
  COPY_C_STRING(lf.lfFaceName, name.c_str(), win::LF_FACESIZE);
  const win::HFONT font = win::CreateFontIndirectA(&lf);
  if (font == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "CreateFontIndirect failed");
    return reinterpret_cast<win::HFONT>(win::GetStockObject(win::SYSTEM_FONT));
  }
  if (gdi_object_entry* e = ADD_GDI_OBJECT(font, nullptr)) e->kind = win::OBJ_FONT;
  return font;
}

win::HFONT DEFINE_FONT(draw_target_t* target, const char* name, int name_length, const int* points,
                       const int* italic, const int* underline, const int* strike_out,
                       const int* bold, const float* angle, const int* width_divisor, int* ups) {
  int stock = win::SYSTEM_FONT;
  std::string face;
  if (name != nullptr) {
    face = trimmed_text(name, name_length);
    stock = is_name(face, "ANSI_FIXED_FONT") ? win::ANSI_FIXED_FONT
            : is_name(face, "ANSI_VAR_FONT") ? win::ANSI_VAR_FONT
            : is_name(face, "SYSTEM_FONT")   ? win::SYSTEM_FONT
                                             : 0;
  }
  auto value = [](const int* v, int fallback) { return v != nullptr ? *v : fallback; };
  const int tenths = angle != nullptr ? round_half_away(static_cast<double>(*angle) * 10.0) : 0;
  return C_DEFINE_FONT(face.c_str(), static_cast<int>(face.size()), stock, value(points, 10),
                       value(italic, 0), value(underline, 0), value(bold, 0), value(strike_out, 0),
                       tenths, target, value(width_divisor, 0), ups);
}

win::HFONT CHOOSE_FONT(const win::HWND* owner, win::COLORREF* colour, const float* angle,
                       draw_target_t* target, const char* title, int title_length, const int* flags,
                       int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr && CHECK_STATUS_ARGUMENT(ups, *target, "CHOOSE_FONT")) return nullptr;
  win::CHOOSEFONTA& c = kept_choice;
  c.lStructSize = sizeof c;
  c.lpLogFont = &kept_font;
  c.Flags = static_cast<win::DWORD>(flags != nullptr ? *flags : 0) | win::CF_SCREENFONTS |
            win::CF_PRINTERFONTS | win::CF_INITTOLOGFONTSTRUCT;
  c.lpfnHook = nullptr;
  if (title != nullptr) {
    c.Flags |= win::CF_ENABLEHOOK;
    c.lpfnHook = FONT_DIALOG_HOOK;
    dialog_caption = trimmed_text(title, title_length).substr(0, kCaptionLength);
  }
  if (colour != nullptr) {
    c.Flags |= win::CF_EFFECTS;
    c.rgbColors = *colour;
  } else {
    c.Flags &= ~win::CF_EFFECTS;
  }
  c.hwndOwner = owner != nullptr ? *owner : MAIN_WINDOW();
  c.hDC = nullptr;
  const bool printer = target != nullptr && (target->flags & kPrinterTarget) != 0;
  if (target != nullptr) {
    c.hDC = target->dc;
    if (printer) c.Flags |= win::CF_WYSIWYG;
  }
  const win::HWND busy = SUSPEND_BUSY_CURSOR();
  const bool chosen = win::ChooseFontA(&c) != 0;
  RESTORE_BUSY_CURSOR(busy, nullptr);
  if (!chosen) return nullptr;
  if (colour != nullptr) *colour = c.rgbColors;
  if (angle != nullptr) {
    const double tenths = std::trunc(static_cast<double>(*angle) * 10.0);
    kept_font.lfEscapement = kept_font.lfOrientation =
        static_cast<win::LONG>(std::fmod(std::clamp(tenths, -1e9, 1e9), 3600.0));
  }
  if (printer) {
    GET_TARGET_RESOLUTION(*target);
    kept_font.lfHeight = -(target->pixels_per_inch_y * (c.iPointSize / 10) / 72);
  }
  const win::HFONT font = win::CreateFontIndirectA(&kept_font);
  if (font == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to create the font just defined");
    return nullptr;
  }
  if (gdi_object_entry* e = ADD_GDI_OBJECT(font, nullptr)) e->kind = win::OBJ_FONT;
  return font;
}

win::UINT_PTR FONT_DIALOG_HOOK(win::HWND dialog, win::UINT message, win::WPARAM, win::LPARAM) {
  if (message == win::WM_INITDIALOG) win::SetWindowTextA(dialog, dialog_caption.c_str());
  return 0;
}

void GET_FONT_DATA(const win::HFONT* font, draw_target_t* target, char* face, int face_length,
                   int* points, int* italic, int* underline, int* strike_out, int* bold,
                   float* angle, int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr && CHECK_STATUS_ARGUMENT(ups, *target, "GET_FONT_DATA")) return;
  win::GdiObjectRef which = nullptr;
  if (font != nullptr)
    which = *font;
  else if (target != nullptr)
    which = win::GetCurrentObject(target->dc, win::OBJ_FONT);
  win::LOGFONTA lf{};
  if (which.value == 0 || win::GetObjectType(which) != win::OBJ_FONT ||
      win::GetObjectA(which, sizeof lf, &lf) == 0) {
    SET_STATUS(ups, "Invalid font in GET_FONT_DATA", kToolkitError);
    return;
  }
  if (face != nullptr) COPY_C_TO_PADDED(lf.lfFaceName, face, face_length);
  int per_inch_y = 0, per_inch_x = 0;
  resolution(target, per_inch_y, per_inch_x);
  if (points != nullptr && per_inch_y > 0)
    *points = round_half_away(std::abs(lf.lfHeight) * 72.0 / per_inch_y);
  if (italic != nullptr) *italic = lf.lfItalic;
  if (underline != nullptr) *underline = lf.lfUnderline;
  if (strike_out != nullptr) *strike_out = lf.lfStrikeOut;
  if (bold != nullptr) *bold = lf.lfWeight > 600 ? 1 : 0;
  if (angle != nullptr) *angle = static_cast<float>(lf.lfEscapement / 10.0);
}

void reset_fonts() {
  kept_choice = win::CHOOSEFONTA{};
  kept_font = win::LOGFONTA{};
  dialog_caption.clear();
}

}  // namespace toolkit
