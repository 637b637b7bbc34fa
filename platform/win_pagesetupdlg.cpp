// The page-setup dialog: paper, printer, orientation and margins, with a
// picture of the page, in millimetres or inches as the record's units are.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/win_commdlg_internal.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_box.h"
#include "platform/win_print_devices.h"

namespace win::detail {

namespace {

constexpr int kPreview = 1140, kPaper = 1141, kPrinter = 1142, kPortrait = 1143, kLandscape = 1144,
              kLeft = 1145, kRight = 1146, kTop = 1147, kBottom = 1148;
constexpr const char* kPreviewClass = "OstrelPagePreview";

struct PageSetup {
  PAGESETUPDLGA* psd = nullptr;
  bool inches = false;  // thousandths of an inch, else hundredths of a millimetre
  std::string printer;
  DEVMODEA mode;
  POINT paper;  // in the units, as oriented
  RECT min;     // smallest margins
  RECT margins;
};

// Device pixels at a resolution in the dialog's units.
int to_units(int pixels, int dpi, bool inches) {
  return static_cast<int>(std::lround(pixels * (inches ? 1000.0 : 2540.0) / dpi));
}

// Paper and unprintable edges of the printer under the settings.
void measure(PageSetup& s) {
  PrinterSpec spec;
  if (!find_printer(s.printer, spec)) return;
  const plat::DeviceInfo g = page_geometry(spec, &s.mode);
  int w, h;
  if (paper_size(spec, &s.mode, &w, &h)) std::swap(w, h);
  auto units = [&](int hmm) { return s.inches ? static_cast<int>(std::lround(hmm / 2.54)) : hmm; };
  s.paper = {units(w), units(h)};
  if (s.psd->Flags & PSD_MINMARGINS) {
    s.min = s.psd->rtMinMargin;
  } else {
    s.min = {to_units(g.offset_x, g.dpi_x, s.inches), to_units(g.offset_y, g.dpi_y, s.inches),
             to_units(g.physical_width - g.width - g.offset_x, g.dpi_x, s.inches),
             to_units(g.physical_height - g.height - g.offset_y, g.dpi_y, s.inches)};
  }
}

std::string unit_text(int v, bool inches) {
  char buf[32];
  std::snprintf(buf, sizeof buf, inches ? "%.3f" : "%.2f", v / (inches ? 1000.0 : 100.0));
  std::string t = buf;
  while (t.back() == '0') t.pop_back();
  if (t.back() == '.') t.pop_back();
  return t;
}

bool read_unit(const std::string& text, bool inches, int* out) {
  std::string t = text;
  std::replace(t.begin(), t.end(), ',', '.');
  while (!t.empty() && t.back() == ' ') t.pop_back();
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (t.empty() || *end != '\0' || !(v >= 0) || v > 10000) return false;
  *out = static_cast<int>(std::lround(v * (inches ? 1000.0 : 100.0)));
  return true;
}

// The margins as typed; false when one is not a number.
bool typed_margins(HWND dlg, const PageSetup& s, RECT* r) {
  return read_unit(item_text(dlg, kLeft), s.inches, reinterpret_cast<int*>(&r->left)) &&
         read_unit(item_text(dlg, kTop), s.inches, reinterpret_cast<int*>(&r->top)) &&
         read_unit(item_text(dlg, kRight), s.inches, reinterpret_cast<int*>(&r->right)) &&
         read_unit(item_text(dlg, kBottom), s.inches, reinterpret_cast<int*>(&r->bottom));
}

// The page, its margins and lines standing for text, shrunk to fit.
LRESULT preview_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcA(h, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT c;
  GetClientRect(h, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_3DFACE));
  auto* s = reinterpret_cast<PageSetup*>(GetWindowLongPtrA(GetParent(h), DWLP_USER));
  if (s != nullptr && s->paper.x > 0 && s->paper.y > 0) {
    RECT m = s->margins;
    typed_margins(GetParent(h), *s, &m);
    const double scale = std::min((c.right - 12.0) / s->paper.x, (c.bottom - 12.0) / s->paper.y);
    const int w = static_cast<int>(s->paper.x * scale), ht = static_cast<int>(s->paper.y * scale);
    const int x = (c.right - w) / 2, y = (c.bottom - ht) / 2;
    const RECT shadow{x + 3, y + 3, x + w + 3, y + ht + 3};
    fill(dc, shadow, RGB(96, 96, 96));
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, x, y, x + w, y + ht);
    auto px = [&](int units) { return static_cast<int>(units * scale); };
    const RECT inner{x + px(m.left), y + px(m.top), x + w - px(m.right), y + ht - px(m.bottom)};
    if (inner.right > inner.left && inner.bottom > inner.top) {
      HPEN dots = CreatePen(PS_DOT, 1, RGB(128, 128, 128));
      HGDIOBJ old_pen = SelectObject(dc, dots);
      SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, inner.left, inner.top, inner.right, inner.bottom);
      SelectObject(dc, old_pen);
      DeleteObject(dots);
      for (int ly = inner.top + 3; ly + 1 < inner.bottom - 2; ly += 4) {
        const int end = inner.right - 3 - ((ly / 4) % 5 == 4 ? (inner.right - inner.left) / 3 : 0);
        if (end > inner.left + 3) fill(dc, {inner.left + 3, ly, end, ly + 1}, RGB(176, 176, 176));
      }
    }
    SelectObject(dc, old_brush);
  }
  EndPaint(h, &ps);
  return 0;
}

void show_margins(HWND dlg, const PageSetup& s) {
  set_item_text(dlg, kLeft, unit_text(s.margins.left, s.inches));
  set_item_text(dlg, kRight, unit_text(s.margins.right, s.inches));
  set_item_text(dlg, kTop, unit_text(s.margins.top, s.inches));
  set_item_text(dlg, kBottom, unit_text(s.margins.bottom, s.inches));
}

// The paper forms, the printer's own size added when it is none of them.
void fill_papers(HWND dlg, const PageSetup& s) {
  HWND combo = GetDlgItem(dlg, kPaper);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  int chosen = -1, i = 0;
  for (const PaperForm& f : paper_forms()) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.name));
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), f.code);
    if (f.code == s.mode.dmPaperSize) chosen = i;
    ++i;
  }
  if (chosen < 0) {
    const std::string custom = "Custom (" + std::to_string(s.mode.dmPaperWidth / 10) + " x " +
                               std::to_string(s.mode.dmPaperLength / 10) + " mm)";
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(custom.c_str()));
    SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(i), DMPAPER_USER);
    chosen = i;
  }
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

void changed(HWND dlg, PageSetup& s) {
  measure(s);
  InvalidateRect(GetDlgItem(dlg, kPreview), nullptr, FALSE);
}

void accept(HWND dlg, PageSetup& s) {
  RECT m;
  if (!typed_margins(dlg, s, &m)) {
    dialog_message(dlg, "Enter a number for each margin.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const char* unit = s.inches ? "inches" : "mm";
  if (m.left < s.min.left || m.top < s.min.top || m.right < s.min.right ||
      m.bottom < s.min.bottom) {
    dialog_message(
        dlg,
        "A margin is narrower than the printer can print.\nThe narrowest margins are: left " +
            unit_text(s.min.left, s.inches) + ", right " + unit_text(s.min.right, s.inches) +
            ", top " + unit_text(s.min.top, s.inches) + ", bottom " +
            unit_text(s.min.bottom, s.inches) + " " + unit + ".",
        MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (m.left + m.right >= s.paper.x || m.top + m.bottom >= s.paper.y) {
    dialog_message(dlg, "The margins overlap or fall off the paper.\nEnter narrower margins.",
                   MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  s.margins = m;
  EndDialog(dlg, IDOK);
}

INT_PTR page_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* s = reinterpret_cast<PageSetup*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      s = reinterpret_cast<PageSetup*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      const DWORD flags = s->psd->Flags;
      fill_papers(dlg, *s);
      fill_printers(GetDlgItem(dlg, kPrinter), s->printer);
      check_item(dlg, s->mode.dmOrientation == DMORIENT_LANDSCAPE ? kLandscape : kPortrait, true);
      show_margins(dlg, *s);
      enable_item(dlg, kPaper, !(flags & PSD_DISABLEPAPER));
      enable_item(dlg, kPrinter, !(flags & PSD_DISABLEPRINTER));
      enable_item(dlg, kPortrait, !(flags & PSD_DISABLEORIENTATION));
      enable_item(dlg, kLandscape, !(flags & PSD_DISABLEORIENTATION));
      for (int id : {kLeft, kRight, kTop, kBottom})
        enable_item(dlg, id, !(flags & PSD_DISABLEMARGINS));
      centre_dialog(dlg);
      return TRUE;
    }
    case WM_COMMAND: {
      if (s == nullptr) return FALSE;
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDOK) {
        accept(dlg, *s);
      } else if ((id == kPortrait || id == kLandscape) && code == BN_CLICKED) {
        s->mode.dmOrientation = id == kLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        s->mode.dmFields |= DM_ORIENTATION;
        changed(dlg, *s);
      } else if (id == kPaper && code == CBN_SELCHANGE) {
        HWND combo = GetDlgItem(dlg, kPaper);
        const LRESULT i = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        const auto code_of =
            static_cast<SHORT>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        for (const PaperForm& f : paper_forms()) {
          if (f.code != code_of) continue;
          s->mode.dmPaperSize = f.code;
          s->mode.dmPaperWidth = static_cast<SHORT>(f.width / 10);
          s->mode.dmPaperLength = static_cast<SHORT>(f.height / 10);
          s->mode.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        }
        changed(dlg, *s);
      } else if (id == kPrinter && code == CBN_SELCHANGE) {
        char name[256] = "";
        HWND combo = GetDlgItem(dlg, kPrinter);
        SendMessageA(combo, CB_GETLBTEXT,
                     static_cast<WPARAM>(SendMessageA(combo, CB_GETCURSEL, 0, 0)),
                     reinterpret_cast<LPARAM>(name));
        const SHORT orientation = s->mode.dmOrientation;
        s->printer = name;
        HGLOBAL fresh = plat::printer_devmode(name);
        s->mode = devmode_of(fresh);
        GlobalFree(fresh);
        s->mode.dmOrientation = orientation;
        fill_papers(dlg, *s);
        changed(dlg, *s);
      } else if ((id == kLeft || id == kRight || id == kTop || id == kBottom) &&
                 code == EN_CHANGE) {
        InvalidateRect(GetDlgItem(dlg, kPreview), nullptr, FALSE);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void hand_over(PageSetup& s) {
  PAGESETUPDLGA& psd = *s.psd;
  psd.Flags = (psd.Flags & ~(PSD_INTHOUSANDTHSOFINCHES | PSD_INHUNDREDTHSOFMILLIMETERS)) |
              (s.inches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS);
  psd.ptPaperSize = s.paper;
  psd.rtMinMargin = s.min;
  psd.rtMargin = s.margins;
  store_devmode(psd.hDevMode, s.mode);
  store_devnames(psd.hDevNames, s.printer, "");
}

}  // namespace

}  // namespace win::detail

namespace win {

BOOL PageSetupDlgA(PAGESETUPDLGA* psd) {
  using namespace detail;
  if (!record_ok(psd, {PAGESETUPDLG_SIZE_32})) return FALSE;
  PageSetup s;
  s.psd = psd;
  s.inches = (psd->Flags & PSD_INTHOUSANDTHSOFINCHES) != 0;
  const bool defaults = (psd->Flags & PSD_RETURNDEFAULT) != 0;
  if (defaults && (psd->hDevMode != nullptr || psd->hDevNames != nullptr)) {
    set_dialog_error(PDERR_RETDEFFAILURE);
    return FALSE;
  }
  s.printer = printer_of(psd->hDevNames, psd->hDevMode);
  s.mode = printer_mode(s.printer, psd->hDevMode);
  measure(s);
  const int standard =
      s.inches ? static_cast<int>(std::lround(plat::kDefaultMargin / 2.54)) : plat::kDefaultMargin;
  s.margins =
      (psd->Flags & PSD_MARGINS) ? psd->rtMargin : RECT{standard, standard, standard, standard};
  if (defaults) {
    hand_over(s);
    return TRUE;
  }
  std::string title = "Page Setup";
  register_dialog_class(kPreviewClass, preview_proc);
  plat::DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 278, 162, title,
                         "MS Shell Dlg", 8);
  t.add(kPreviewClass, 0, kChild, 7, 7, 104, 126, kPreview, "");
  add_group(t, 118, 4, 153, 46, "Paper");
  add_label(t, 125, 17, 30, 8, "Si&ze:");
  add_combo(t, 158, 15, 106, 100, kPaper, CBS_DROPDOWNLIST);
  add_label(t, 125, 33, 30, 8, "&Printer:");
  add_combo(t, 158, 31, 106, 100, kPrinter, CBS_DROPDOWNLIST);
  add_group(t, 118, 54, 66, 46, "Orientation");
  add_button(t, 125, 67, 55, 10, kPortrait, "P&ortrait",
             BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP);
  add_button(t, 125, 83, 55, 10, kLandscape, "L&andscape", BS_AUTORADIOBUTTON);
  add_group(t, 190, 54, 81, 79, s.inches ? "Margins (inches)" : "Margins (millimetres)");
  const std::pair<int, const char*> fields[] = {
      {kLeft, "&Left:"}, {kRight, "&Right:"}, {kTop, "&Top:"}, {kBottom, "&Bottom:"}};
  int y = 68;
  for (const auto& [id, label] : fields) {
    add_label(t, 197, y + 2, 30, 8, label);
    add_field(t, 230, y, 34, 12, static_cast<DWORD>(id), id == kLeft ? WS_GROUP : 0);
    y += 16;
  }
  add_ok_cancel(t, 167, 141, false);
  if (run_common_dialog(psd->hwndOwner, t, page_proc, reinterpret_cast<LPARAM>(&s), title) != IDOK)
    return FALSE;
  hand_over(s);
  const char* unit = s.inches ? " in" : " mm";
  log_common_dialog(title, s.printer + ", " + unit_text(s.paper.x, s.inches) + " x " +
                               unit_text(s.paper.y, s.inches) + unit + ", margins " +
                               unit_text(s.margins.left, s.inches) + " " +
                               unit_text(s.margins.top, s.inches) + " " +
                               unit_text(s.margins.right, s.inches) + " " +
                               unit_text(s.margins.bottom, s.inches) + unit);
  return TRUE;
}

}  // namespace win
