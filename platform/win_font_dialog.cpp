// The font-choice dialog: a modal dialog from an in-memory template whose
// procedure fills the lists, follows the choice with a sample and hands the
// result back in the caller's record.
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/charcase.h"
#include "platform/dialog_template.h"
#include "platform/win_controls.h"
#include "platform/win_dialog.h"
#include "platform/win_font_dialog.h"
#include "platform/win_message_box.h"

namespace win {

namespace {

const char* const kStyles[4] = {"Regular", "Italic", "Bold", "Bold Italic"};
const int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
struct NamedColour {
  const char* name;
  COLORREF colour;
};
const NamedColour kColours[16] = {
    {"Black", 0x000000},  {"Maroon", 0x000080},  {"Green", 0x008000}, {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080},  {"Teal", 0x808000},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},     {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},  {"White", 0xFFFFFF},
};

std::string folded(std::string text) {
  for (char& c : text) c = static_cast<char>(plat::lower1252(static_cast<unsigned char>(c)));
  return text;
}

// The installed families with plain names, sorted without case.
std::vector<std::string> families() {
  std::set<std::string, bool (*)(const std::string&, const std::string&)> names(
      [](const std::string& a, const std::string& b) { return folded(a) < folded(b); });
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* fields = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (FcFontSet* set = FcFontList(nullptr, pattern, fields)) {
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* family = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) != FcResultMatch) continue;
      const std::string name(reinterpret_cast<const char*>(family));
      if (!name.empty() && name.size() < LF_FACESIZE &&
          std::all_of(name.begin(), name.end(), [](char c) { return c > 0x1F && c < 0x7F; }))
        names.insert(name);
    }
    FcFontSetDestroy(set);
  }
  FcObjectSetDestroy(fields);
  FcPatternDestroy(pattern);
  return {names.begin(), names.end()};
}

struct State {
  CHOOSEFONTA* choose = nullptr;
  HFONT sample = nullptr;
};

State* state_of(HWND dialog) {
  return reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

LRESULT item(HWND dialog, int id, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  return SendMessageA(GetDlgItem(dialog, id), message, wparam, lparam);
}

std::string list_text(HWND dialog, int id) {
  const LRESULT at = item(dialog, id, LB_GETCURSEL);
  if (at < 0) return {};
  char text[256] = {};
  item(dialog, id, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
  return text;
}

int device_dpi_y(const CHOOSEFONTA& c) {
  if (c.hDC != nullptr) return GetDeviceCaps(c.hDC, LOGPIXELSY);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// The dialog's choice as a logical font; the points in `points`.
LOGFONTA chosen(HWND dialog, const CHOOSEFONTA& c, int& points) {
  LOGFONTA lf = c.lpLogFont != nullptr ? *c.lpLogFont : LOGFONTA{};
  const std::string face = list_text(dialog, kFontFaceList);
  if (!face.empty()) {
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, face.data(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  }
  const LRESULT style = std::max<LRESULT>(0, item(dialog, kFontStyleList, LB_GETCURSEL));
  lf.lfItalic = (style & 1) != 0;
  lf.lfWeight = (style & 2) != 0 ? FW_BOLD : FW_NORMAL;
  char size[32] = {};
  GetWindowTextA(GetDlgItem(dialog, kFontSizeEdit), size, sizeof size);
  points = std::clamp(std::atoi(size), 1, 1638);
  lf.lfHeight = -MulDiv(points, device_dpi_y(c), 72);
  lf.lfWidth = 0;
  if ((c.Flags & CF_EFFECTS) != 0) {
    lf.lfStrikeOut = item(dialog, kFontStrikeOut, BM_GETCHECK) == BST_CHECKED;
    lf.lfUnderline = item(dialog, kFontUnderline, BM_GETCHECK) == BST_CHECKED;
  }
  return lf;
}

void show_sample(HWND dialog) {
  State* s = state_of(dialog);
  int points = 0;
  LOGFONTA lf = chosen(dialog, *s->choose, points);
  // The sample is shown at the screen's resolution.
  const HDC screen = GetDC(nullptr);
  lf.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  const HFONT font = CreateFontIndirectA(&lf);
  item(dialog, kFontSample, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (s->sample != nullptr) DeleteObject(s->sample);
  s->sample = font;
}

void select_text(HWND dialog, int id, const std::string& text) {
  const LRESULT n = item(dialog, id, LB_GETCOUNT);
  for (LRESULT i = 0; i < n; ++i) {
    char got[256] = {};
    item(dialog, id, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(got));
    if (plat::same_any_case(got, text)) {
      item(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(i));
      return;
    }
  }
}

void initialise(HWND dialog, CHOOSEFONTA& c) {
  for (const std::string& f : families())
    item(dialog, kFontFaceList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
  for (const char* s : kStyles)
    item(dialog, kFontStyleList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  for (int p : kSizes) {
    const std::string t = std::to_string(p);
    item(dialog, kFontSizeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
  }
  int points = c.iPointSize > 0 ? c.iPointSize / 10 : 10;
  int style = 0;
  if ((c.Flags & CF_INITTOLOGFONTSTRUCT) != 0 && c.lpLogFont != nullptr) {
    const LOGFONTA& lf = *c.lpLogFont;
    select_text(dialog, kFontFaceList, lf.lfFaceName);
    style = (lf.lfItalic ? 1 : 0) + (lf.lfWeight > 600 ? 2 : 0);
    if (lf.lfHeight != 0) points = std::max(1, MulDiv(std::abs(lf.lfHeight), 72, device_dpi_y(c)));
    item(dialog, kFontStrikeOut, BM_SETCHECK, lf.lfStrikeOut ? BST_CHECKED : BST_UNCHECKED);
    item(dialog, kFontUnderline, BM_SETCHECK, lf.lfUnderline ? BST_CHECKED : BST_UNCHECKED);
  }
  if (item(dialog, kFontFaceList, LB_GETCURSEL) < 0)
    select_text(dialog, kFontFaceList, "DejaVu Sans");
  item(dialog, kFontStyleList, LB_SETCURSEL, static_cast<WPARAM>(style));
  SetWindowTextA(GetDlgItem(dialog, kFontSizeEdit), std::to_string(points).c_str());
  select_text(dialog, kFontSizeList, std::to_string(points));
  if ((c.Flags & CF_EFFECTS) != 0) {
    int selected = 0;
    for (int i = 0; i < 16; ++i) {
      item(dialog, kFontColorCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kColours[i].name));
      if (kColours[i].colour == (c.rgbColors & 0xFFFFFF)) selected = i;
    }
    item(dialog, kFontColorCombo, CB_SETCURSEL, static_cast<WPARAM>(selected));
  }
  show_sample(dialog);
}

INT_PTR font_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* c = reinterpret_cast<CHOOSEFONTA*>(lparam);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new State{c, nullptr}));
    initialise(dialog, *c);
    if ((c->Flags & CF_ENABLEHOOK) != 0 && c->lpfnHook != nullptr)
      c->lpfnHook(dialog, message, wparam, lparam);
    return TRUE;
  }
  State* s = state_of(dialog);
  if (s == nullptr) return FALSE;
  CHOOSEFONTA& c = *s->choose;
  if ((c.Flags & CF_ENABLEHOOK) != 0 && c.lpfnHook != nullptr &&
      c.lpfnHook(dialog, message, wparam, lparam) != 0)
    return TRUE;
  if (message == WM_DESTROY) {
    if (s->sample != nullptr) DeleteObject(s->sample);
    delete s;
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  if (id == kFontSizeList && code == LBN_SELCHANGE)
    SetWindowTextA(GetDlgItem(dialog, kFontSizeEdit), list_text(dialog, kFontSizeList).c_str());
  if ((id == kFontFaceList || id == kFontStyleList || id == kFontSizeList) && code == LBN_SELCHANGE)
    show_sample(dialog);
  if ((id == kFontSizeEdit && code == EN_CHANGE) || id == kFontStrikeOut || id == kFontUnderline)
    show_sample(dialog);
  if (id == IDOK) {
    int points = 0;
    const LOGFONTA lf = chosen(dialog, c, points);
    if (c.lpLogFont != nullptr) *c.lpLogFont = lf;
    c.iPointSize = points * 10;
    if ((c.Flags & CF_EFFECTS) != 0) {
      const LRESULT k = item(dialog, kFontColorCombo, CB_GETCURSEL);
      if (k >= 0 && k < 16) c.rgbColors = kColours[k].colour;
    }
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

BOOL ChooseFontA(CHOOSEFONTA* choose) {
  if (choose == nullptr) return FALSE;
  const bool effects = (choose->Flags & CF_EFFECTS) != 0;
  const DWORD child = WS_CHILD | WS_VISIBLE;
  plat::DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 20, 20, 284, 160,
                         "Font", "MS Shell Dlg", 8);
  const WORD kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kList = 0x83, kCombo = 0x85;
  const DWORD list = child | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY;
  t.add({}, kStatic, child | SS_LEFT, 7, 7, 98, 9, static_cast<DWORD>(-1), "&Font:");
  t.add({}, kList, list | WS_GROUP, 7, 18, 98, 76, kFontFaceList, "");
  t.add({}, kStatic, child | SS_LEFT, 110, 7, 74, 9, static_cast<DWORD>(-1), "Font st&yle:");
  t.add({}, kList, list | WS_GROUP, 110, 18, 74, 76, kFontStyleList, "");
  t.add({}, kStatic, child | SS_LEFT, 190, 7, 36, 9, static_cast<DWORD>(-1), "&Size:");
  t.add({}, kEdit, child | WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, 190, 18, 36, 12,
        kFontSizeEdit, "");
  t.add({}, kList, list, 190, 32, 36, 62, kFontSizeList, "");
  t.add({}, kButton, child | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 232, 18, 45, 14, IDOK, "OK");
  t.add({}, kButton, child | WS_TABSTOP, 232, 36, 45, 14, IDCANCEL, "Cancel");
  if (effects) {
    t.add({}, kButton, child | BS_GROUPBOX, 7, 98, 98, 56, static_cast<DWORD>(-1), "Effects");
    t.add({}, kButton, child | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 13, 110, 86, 10,
          kFontStrikeOut, "Stri&keout");
    t.add({}, kButton, child | WS_TABSTOP | BS_AUTOCHECKBOX, 13, 122, 86, 10, kFontUnderline,
          "&Underline");
    t.add({}, kStatic, child | SS_LEFT, 13, 134, 30, 9, static_cast<DWORD>(-1), "&Color:");
    t.add({}, kCombo, child | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 45, 132, 54,
          100, kFontColorCombo, "");
  }
  t.add({}, kStatic, child | SS_LEFT, 110, 100, 167, 54, static_cast<DWORD>(kFontSample),
        "AaBbYyZz");
  const HWND owner = choose->hwndOwner;
  return DialogBoxIndirectParamA(nullptr, t.get(), owner, font_dialog_proc,
                                 reinterpret_cast<LPARAM>(choose)) == IDOK
             ? TRUE
             : FALSE;
}

}  // namespace win
