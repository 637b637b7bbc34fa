// The font dialog: the installed families (fontconfig), four styles, sizes,
// and with CF_EFFECTS strike-out, underline and a colour, over a sample of
// the font chosen. Each of face, style and size is a field with a list
// below it; the fields count.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/charcase.h"
#include "platform/win_commdlg_internal.h"
#include "platform/win_controls_internal.h"
#include "platform/win_gdi_internal.h"
#include "platform/win_message_box.h"

namespace win::detail {

namespace {

constexpr int kFace = 1150, kFaces = 1151, kStyle = 1152, kStyles = 1153, kSize = 1154,
              kSizes = 1155, kStrike = 1156, kUnderline = 1157, kColour = 1158, kSample = 1159,
              kEffects = 1160, kColourLabel = 1161;
constexpr const char* kSampleClass = "OstrelFontSample";
constexpr const char* kStyleNames[] = {"Regular", "Italic", "Bold", "Bold Italic"};
constexpr int kSizesOffered[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

struct Colour {
  const char* name;
  COLORREF value;
};
constexpr Colour kColours[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Grey", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF}};

struct FontDialog {
  CHOOSEFONTA* cf = nullptr;
  std::vector<FontFamily> families;
  LOGFONTA start;  // what the choice starts from
  int start_tenths = 100;
  bool syncing = false;  // a field and its list are being matched
};

int index_in(HWND list, std::string_view text, bool prefix) {
  const LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
  char buf[256];
  for (LRESULT i = 0; i < n; ++i) {
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    const std::string_view entry(buf);
    if (prefix
            ? entry.size() >= text.size() && plat::same_any_case(entry.substr(0, text.size()), text)
            : plat::same_any_case(entry, text))
      return static_cast<int>(i);
  }
  return -1;
}

// Size in tenths of a point from its text ("12", "10.5"); 0 when none.
int read_tenths(const std::string& text) {
  std::string t = text;
  std::replace(t.begin(), t.end(), ',', '.');
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (t.empty() || *end != '\0' || !(v > 0) || v > 3276) return 0;
  return static_cast<int>(std::lround(v * 10));
}

std::string tenths_text(int tenths) {
  return tenths % 10 == 0 ? std::to_string(tenths / 10)
                          : std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

int style_of_text(const std::string& text) {
  for (int i = 0; i < 4; ++i)
    if (plat::same_any_case(text, kStyleNames[i])) return i;
  return -1;
}

COLORREF chosen_colour(HWND dlg, const FontDialog& d) {
  HWND combo = GetDlgItem(dlg, kColour);
  const LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  return i < 0 ? d.cf->rgbColors
               : static_cast<COLORREF>(
                     SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
}

// The font the fields describe (for the sample and the result); the size
// in tenths of a point, 0 when the size field holds none.
LOGFONTA described(HWND dlg, const FontDialog& d, int* tenths) {
  LOGFONTA lf = d.start;
  const std::string face = item_text(dlg, kFace);
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  std::memcpy(lf.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  const int style = std::max(0, style_of_text(item_text(dlg, kStyle)));
  lf.lfWeight = style >= 2 ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style % 2 == 1 ? 1 : 0;
  if (d.cf->Flags & CF_EFFECTS) {
    lf.lfUnderline = item_checked(dlg, kUnderline) ? 1 : 0;
    lf.lfStrikeOut = item_checked(dlg, kStrike) ? 1 : 0;
  }
  *tenths = read_tenths(item_text(dlg, kSize));
  lf.lfHeight = -((*tenths > 0 ? *tenths : d.start_tenths) * 96 + 360) / 720;
  lf.lfWidth = 0;
  // A face of its own, never one that the pitch alone chooses.
  if ((lf.lfPitchAndFamily & 3) == FIXED_PITCH) lf.lfPitchAndFamily &= 0xF0;
  return lf;
}

LRESULT sample_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcA(h, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT c;
  GetClientRect(h, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_3DFACE));
  draw_sunken(dc, c);
  HWND dlg = GetParent(h);
  if (auto* d = reinterpret_cast<FontDialog*>(GetWindowLongPtrA(dlg, DWLP_USER))) {
    int tenths = 0;
    const LOGFONTA lf = described(dlg, *d, &tenths);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (d->cf->Flags & CF_EFFECTS) ? chosen_colour(dlg, *d) : RGB(0, 0, 0));
    RECT r{c.left + 2, c.top + 2, c.right - 2, c.bottom - 2};
    DrawTextA(dc, "AaBbYyZz", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
  }
  EndPaint(h, &ps);
  return 0;
}

// A field took a new text: its list shows the matching entry.
void field_changed(HWND dlg, FontDialog& d, int field, int list) {
  if (d.syncing) return;
  d.syncing = true;
  const int i = index_in(GetDlgItem(dlg, list), item_text(dlg, field), field == kFace);
  if (i >= 0) SendMessageA(GetDlgItem(dlg, list), LB_SETCURSEL, static_cast<WPARAM>(i), 0);
  d.syncing = false;
  InvalidateRect(GetDlgItem(dlg, kSample), nullptr, FALSE);
}

void list_changed(HWND dlg, FontDialog& d, int list, int field) {
  HWND h = GetDlgItem(dlg, list);
  const LRESULT i = SendMessageA(h, LB_GETCURSEL, 0, 0);
  if (i < 0 || d.syncing) return;
  char buf[256];
  SendMessageA(h, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
  d.syncing = true;
  set_item_text(dlg, field, buf);
  d.syncing = false;
  InvalidateRect(GetDlgItem(dlg, kSample), nullptr, FALSE);
}

void accept(HWND dlg, FontDialog& d) {
  CHOOSEFONTA& cf = *d.cf;
  const std::string face = item_text(dlg, kFace);
  const int known = index_in(GetDlgItem(dlg, kFaces), face, false);
  if (face.empty() || (known < 0 && (cf.Flags & CF_FORCEFONTEXIST))) {
    dialog_message(dlg, "There is no font of that name.\nChoose a font from the list.",
                   MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dlg, kFace));
    return;
  }
  const int style = style_of_text(item_text(dlg, kStyle));
  if (style < 0) {
    dialog_message(dlg, "There is no style of that name.\nChoose a style from the list.",
                   MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dlg, kStyle));
    return;
  }
  int tenths = 0;
  LOGFONTA lf = described(dlg, d, &tenths);
  const bool limited = (cf.Flags & CF_LIMITSIZE) != 0;
  if (tenths == 0 || (limited && (tenths < cf.nSizeMin * 10 || tenths > cf.nSizeMax * 10))) {
    char buf[96];
    if (limited)
      std::snprintf(buf, sizeof buf, "The size must be a number from %d to %d.", cf.nSizeMin,
                    cf.nSizeMax);
    else
      std::snprintf(buf, sizeof buf, "The size must be a number of points.");
    dialog_message(dlg, buf, MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dlg, kSize));
    return;
  }
  if (known >= 0) {
    // The family's own spelling.
    char buf[256];
    SendMessageA(GetDlgItem(dlg, kFaces), LB_GETTEXT, static_cast<WPARAM>(known),
                 reinterpret_cast<LPARAM>(buf));
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, buf, std::min<std::size_t>(std::strlen(buf), LF_FACESIZE - 1));
  }
  *cf.lpLogFont = lf;
  cf.iPointSize = tenths;
  cf.nFontType = static_cast<WORD>((style >= 2 ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                   (style % 2 ? ITALIC_FONTTYPE : 0) |
                                   ((cf.Flags & CF_PRINTERFONTS) ? PRINTER_FONTTYPE : 0) |
                                   ((cf.Flags & CF_SCREENFONTS) ? SCREEN_FONTTYPE : 0));
  if (cf.Flags & CF_EFFECTS) cf.rgbColors = chosen_colour(dlg, d);
  if ((cf.Flags & CF_USESTYLE) && cf.lpszStyle != nullptr)
    std::strcpy(cf.lpszStyle, kStyleNames[style]);
  EndDialog(dlg, IDOK);
}

void init(HWND dlg, FontDialog& d) {
  const CHOOSEFONTA& cf = *d.cf;
  HWND faces = GetDlgItem(dlg, kFaces);
  for (const FontFamily& f : d.families)
    SendMessageA(faces, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.name.c_str()));
  for (const char* s : kStyleNames)
    SendMessageA(GetDlgItem(dlg, kStyles), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  for (int size : kSizesOffered) {
    if ((cf.Flags & CF_LIMITSIZE) && (size < cf.nSizeMin || size > cf.nSizeMax)) continue;
    SendMessageA(GetDlgItem(dlg, kSizes), LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(std::to_string(size).c_str()));
  }
  const bool from_font = (cf.Flags & CF_INITTOLOGFONTSTRUCT) && d.start.lfFaceName[0] != '\0';
  set_item_text(dlg, kFace,
                from_font            ? installed_family(d.start)
                : d.families.empty() ? ""
                                     : d.families.front().name);
  int style = (d.start.lfWeight >= 600 ? 2 : 0) + (d.start.lfItalic ? 1 : 0);
  if ((cf.Flags & CF_USESTYLE) && cf.lpszStyle != nullptr && style_of_text(cf.lpszStyle) >= 0)
    style = style_of_text(cf.lpszStyle);
  set_item_text(dlg, kStyle, kStyleNames[style]);
  set_item_text(dlg, kSize, tenths_text(d.start_tenths));
  const bool effects = (cf.Flags & CF_EFFECTS) != 0;
  for (int id : {kEffects, kStrike, kUnderline, kColour, kColourLabel}) show_item(dlg, id, effects);
  check_item(dlg, kStrike, d.start.lfStrikeOut != 0);
  check_item(dlg, kUnderline, d.start.lfUnderline != 0);
  HWND colours = GetDlgItem(dlg, kColour);
  int chosen = -1, i = 0;
  for (const Colour& c : kColours) {
    SendMessageA(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name));
    SendMessageA(colours, CB_SETITEMDATA, static_cast<WPARAM>(i), static_cast<LPARAM>(c.value));
    if (c.value == (cf.rgbColors & 0xFFFFFF)) chosen = i;
    ++i;
  }
  if (chosen < 0) {
    SendMessageA(colours, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Custom"));
    SendMessageA(colours, CB_SETITEMDATA, static_cast<WPARAM>(i),
                 static_cast<LPARAM>(cf.rgbColors));
    chosen = i;
  }
  SendMessageA(colours, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  centre_dialog(dlg);
}

INT_PTR font_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<FontDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    d = reinterpret_cast<FontDialog*>(lp);
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    init(dlg, *d);
    SetFocus(GetDlgItem(dlg, kFace));
    SendMessageA(GetDlgItem(dlg, kFace), EM_SETSEL, 0, -1);
    if (d->cf->Flags & CF_ENABLEHOOK)
      d->cf->lpfnHook(dlg, WM_INITDIALOG, wp, reinterpret_cast<LPARAM>(d->cf));
    return FALSE;  // the focus is set
  }
  if (d == nullptr) return FALSE;
  if ((d->cf->Flags & CF_ENABLEHOOK) && d->cf->lpfnHook(dlg, msg, wp, lp) != 0) return TRUE;
  if (msg != WM_COMMAND) return FALSE;
  const int id = LOWORD(wp), code = HIWORD(wp);
  if (id == IDOK)
    accept(dlg, *d);
  else if (code == EN_CHANGE && id == kFace)
    field_changed(dlg, *d, kFace, kFaces);
  else if (code == EN_CHANGE && id == kStyle)
    field_changed(dlg, *d, kStyle, kStyles);
  else if (code == EN_CHANGE && id == kSize)
    field_changed(dlg, *d, kSize, kSizes);
  else if (code == LBN_SELCHANGE && id == kFaces)
    list_changed(dlg, *d, kFaces, kFace);
  else if (code == LBN_SELCHANGE && id == kStyles)
    list_changed(dlg, *d, kStyles, kStyle);
  else if (code == LBN_SELCHANGE && id == kSizes)
    list_changed(dlg, *d, kSizes, kSize);
  else if (code == LBN_DBLCLK)
    accept(dlg, *d);
  else if (id == kStrike || id == kUnderline || (id == kColour && code == CBN_SELCHANGE))
    InvalidateRect(GetDlgItem(dlg, kSample), nullptr, FALSE);
  return TRUE;
}

}  // namespace

}  // namespace win::detail

namespace win {

BOOL ChooseFontA(CHOOSEFONTA* cf) {
  using namespace detail;
  if (!record_ok(cf, {CHOOSEFONT_SIZE_32})) return FALSE;
  if (cf->lpLogFont == nullptr) {
    set_dialog_error(CDERR_INITIALIZATION);
    return FALSE;
  }
  if ((cf->Flags & CF_ENABLEHOOK) && cf->lpfnHook == nullptr) {
    set_dialog_error(CDERR_NOHOOK);
    return FALSE;
  }
  if ((cf->Flags & CF_LIMITSIZE) && cf->nSizeMin > cf->nSizeMax) {
    set_dialog_error(CFERR_MAXLESSTHANMIN);
    return FALSE;
  }
  FontDialog d;
  d.cf = cf;
  for (FontFamily& f : font_families()) {
    if ((cf->Flags & CF_FIXEDPITCHONLY) && !f.fixed) continue;
    if ((cf->Flags & CF_SCALABLEONLY) && !f.scalable) continue;
    if ((cf->Flags & CF_TTONLY) && !f.truetype) continue;
    d.families.push_back(std::move(f));
  }
  if (d.families.empty()) {
    set_dialog_error(CFERR_NOFONTS);
    return FALSE;
  }
  if (cf->Flags & CF_INITTOLOGFONTSTRUCT)
    d.start = *cf->lpLogFont;
  else
    d.start.lfCharSet = DEFAULT_CHARSET;
  // The size the record gives, else the one the font's height gives at the
  // resolution it was made for.
  if (cf->iPointSize > 0) {
    d.start_tenths = cf->iPointSize;
  } else if ((cf->Flags & CF_INITTOLOGFONTSTRUCT) && d.start.lfHeight != 0) {
    const int dpi = cf->hDC != nullptr ? GetDeviceCaps(cf->hDC, LOGPIXELSY) : 96;
    d.start_tenths =
        static_cast<int>(std::lround(std::abs(d.start.lfHeight) * 72.0 / (dpi > 0 ? dpi : 96))) *
        10;
  }
  std::string title = "Font";
  register_dialog_class(kSampleClass, sample_proc);
  plat::DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 290, 180, title,
                         "MS Shell Dlg", 8);
  add_label(t, 7, 7, 98, 8, "&Font:");
  add_field(t, 7, 17, 98, 12, kFace);
  add_list(t, 7, 30, 98, 76, kFaces);
  add_label(t, 112, 7, 70, 8, "Font st&yle:");
  add_field(t, 112, 17, 70, 12, kStyle);
  add_list(t, 112, 30, 70, 76, kStyles);
  add_label(t, 189, 7, 36, 8, "&Size:");
  add_field(t, 189, 17, 36, 12, kSize);
  add_list(t, 189, 30, 36, 76, kSizes);
  add_ok_cancel(t, 233, 17, true);
  t.add("", 0x80, kChild | BS_GROUPBOX, 7, 110, 98, 63, kEffects, "Effects");
  add_button(t, 14, 122, 80, 10, kStrike, "Stri&keout", BS_AUTOCHECKBOX);
  add_button(t, 14, 136, 80, 10, kUnderline, "&Underline", BS_AUTOCHECKBOX);
  add_label(t, 14, 155, 26, 8, "&Colour:", kColourLabel);
  add_combo(t, 42, 153, 56, 120, kColour, CBS_DROPDOWNLIST);
  add_group(t, 112, 110, 171, 63, "Sample");
  t.add(kSampleClass, 0, kChild, 119, 121, 157, 45, kSample, "");
  if (run_common_dialog(cf->hwndOwner, t, font_proc, reinterpret_cast<LPARAM>(&d), title) != IDOK)
    return FALSE;
  const LOGFONTA& lf = *cf->lpLogFont;
  std::string outcome = std::string(lf.lfFaceName) + ", " +
                        kStyleNames[(lf.lfWeight >= 600 ? 2 : 0) + (lf.lfItalic ? 1 : 0)] + ", " +
                        tenths_text(cf->iPointSize) + " pt";
  if (lf.lfUnderline) outcome += ", underline";
  if (lf.lfStrikeOut) outcome += ", strikeout";
  if (cf->Flags & CF_EFFECTS) {
    char buf[32];
    std::snprintf(buf, sizeof buf, ", colour %06X", static_cast<unsigned>(cf->rgbColors));
    outcome += buf;
  }
  log_common_dialog(title, outcome);
  return TRUE;
}

}  // namespace win
