// The print dialog: the printer, the range of pages, copies and collation,
// and printing to a PDF file; and the printer records both printer dialogs
// keep in global memory.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/charcase.h"
#include "platform/win_commdlg_internal.h"
#include "platform/win_controls_internal.h"
#include "platform/win_message_box.h"
#include "platform/win_print_devices.h"

namespace win::detail {

std::string printer_of(HGLOBAL devnames, HGLOBAL devmode) {
  std::string name;
  if (const auto* p = static_cast<const char*>(GlobalLock(devnames))) {
    DEVNAMES dn;
    std::memcpy(&dn, p, sizeof dn);
    const std::size_t size = GlobalSize(devnames);
    if (dn.wDeviceOffset < size)
      name.assign(p + dn.wDeviceOffset, strnlen(p + dn.wDeviceOffset, size - dn.wDeviceOffset));
    GlobalUnlock(devnames);
  }
  if (name.empty()) {
    const DEVMODEA m = devmode_of(devmode);
    name.assign(reinterpret_cast<const char*>(m.dmDeviceName),
                strnlen(reinterpret_cast<const char*>(m.dmDeviceName), CCHDEVICENAME));
  }
  PrinterSpec spec;
  return !name.empty() && find_printer(name, spec) ? spec.name : plat::default_printer();
}

DEVMODEA devmode_of(HGLOBAL devmode) {
  DEVMODEA m;
  m.dmSize = 0;
  if (const auto* p = static_cast<const DEVMODEA*>(GlobalLock(devmode))) {
    if (GlobalSize(devmode) >= sizeof(DEVMODEA)) m = *p;
    GlobalUnlock(devmode);
  }
  return m;
}

DEVMODEA printer_mode(const std::string& printer, HGLOBAL old) {
  DEVMODEA m;
  HGLOBAL fresh = plat::printer_devmode(printer);
  m = devmode_of(fresh);
  GlobalFree(fresh);
  const DEVMODEA was = devmode_of(old);
  const std::string old_name(
      reinterpret_cast<const char*>(was.dmDeviceName),
      strnlen(reinterpret_cast<const char*>(was.dmDeviceName), CCHDEVICENAME));
  if (was.dmSize != 0 &&
      plat::same_any_case(old_name, std::string(reinterpret_cast<const char*>(m.dmDeviceName))))
    return was;  // the caller's settings of this printer
  if (was.dmSize != 0 && (was.dmFields & DM_ORIENTATION)) m.dmOrientation = was.dmOrientation;
  return m;
}

void store_devmode(HGLOBAL& h, const DEVMODEA& m) {
  if (h == nullptr || GlobalSize(h) < sizeof(DEVMODEA)) {
    GlobalFree(h);
    h = GlobalAlloc(GHND, sizeof(DEVMODEA));
  }
  if (auto* p = static_cast<DEVMODEA*>(GlobalLock(h))) {
    *p = m;
    GlobalUnlock(h);
  }
}

void store_devnames(HGLOBAL& h, const std::string& printer, const std::string& output) {
  HGLOBAL made = plat::printer_devnames(printer);
  std::string bytes(static_cast<const char*>(GlobalLock(made)), GlobalSize(made));
  GlobalUnlock(made);
  GlobalFree(made);
  // The output name replaces the empty one at the end.
  bytes.resize(bytes.size() - 1);
  bytes += output;
  bytes += '\0';
  if (h == nullptr || GlobalSize(h) < bytes.size()) {
    GlobalFree(h);
    h = GlobalAlloc(GHND, bytes.size());
  }
  if (auto* p = static_cast<char*>(GlobalLock(h))) {
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(h);
  }
}

void fill_printers(HWND combo, const std::string& selected) {
  for (const std::string& name : plat::printer_names()) {
    const LRESULT i = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (plat::same_any_case(name, selected))
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  }
}

namespace {

constexpr int kPrinter = 1130, kPaperInfo = 1131, kAll = 1132, kPages = 1133, kSelection = 1134,
              kFrom = 1135, kTo = 1136, kCopies = 1137, kCollate = 1138, kToFile = 1139;

struct PrintDialog {
  PRINTDLGA* pd = nullptr;
  std::string printer;
  std::string output;  // the PDF file when printing to a file
};

// Paper, size and orientation of a printer's settings, for the dialog.
std::string paper_text(const std::string& printer, HGLOBAL devmode) {
  const DEVMODEA m = printer_mode(printer, devmode);
  PrinterSpec spec;
  if (!find_printer(printer, spec)) return "";
  const plat::DeviceInfo g = page_geometry(spec, &m);
  const int w = static_cast<int>(std::lround(g.physical_width * 25.4 / g.dpi_x));
  const int h = static_cast<int>(std::lround(g.physical_height * 25.4 / g.dpi_y));
  const char* name = "Custom";
  for (const PaperForm& f : paper_forms())
    if (f.code == m.dmPaperSize) name = f.name;
  char buf[128];
  std::snprintf(buf, sizeof buf, "Paper: %s, %d x %d mm, %s, %d dpi", name, w, h,
                m.dmOrientation == DMORIENT_LANDSCAPE ? "landscape" : "portrait", g.dpi_x);
  return buf;
}

bool read_number(HWND dlg, int id, int low, int high, int* out) {
  const std::string t = item_text(dlg, id);
  char* end = nullptr;
  const long v = std::strtol(t.c_str(), &end, 10);
  if (t.empty() || *end != '\0' || v < low || v > high) return false;
  *out = static_cast<int>(v);
  return true;
}

void accept(HWND dlg, PrintDialog& d) {
  PRINTDLGA& pd = *d.pd;
  int copies = 1, from = pd.nFromPage, to = pd.nToPage;
  if (!read_number(dlg, kCopies, 1, 9999, &copies)) {
    dialog_message(dlg, "Enter a number of copies from 1 to 9999.", MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dlg, kCopies));
    return;
  }
  const bool pages = item_checked(dlg, kPages);
  if (pages) {
    const int low = pd.nMinPage <= pd.nMaxPage ? pd.nMinPage : 0;
    const int high = pd.nMinPage <= pd.nMaxPage ? pd.nMaxPage : 0xFFFF;
    if (!read_number(dlg, kFrom, low, high, &from) || !read_number(dlg, kTo, low, high, &to) ||
        from > to) {
      char buf[128];
      std::snprintf(buf, sizeof buf, "Enter pages from %d to %d, the first not after the last.",
                    low, high);
      dialog_message(dlg, buf, MB_OK | MB_ICONEXCLAMATION);
      SetFocus(GetDlgItem(dlg, kFrom));
      return;
    }
  }
  d.output.clear();
  if (item_checked(dlg, kToFile)) {
    char file[1024] = "";
    OPENFILENAMEA o;
    o.hwndOwner = dlg;
    o.lpstrFilter = "PDF files (*.pdf)\0*.pdf\0";
    o.nFilterIndex = 1;
    o.lpstrFile = file;
    o.nMaxFile = sizeof file;
    o.lpstrTitle = "Print to File";
    o.lpstrDefExt = "pdf";
    o.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&o)) return;
    d.output = file;
  }
  pd.Flags &= ~(PD_SELECTION | PD_PAGENUMS | PD_COLLATE | PD_PRINTTOFILE);
  if (pages) pd.Flags |= PD_PAGENUMS;
  if (item_checked(dlg, kSelection)) pd.Flags |= PD_SELECTION;
  if (item_checked(dlg, kCollate)) pd.Flags |= PD_COLLATE;
  if (!d.output.empty()) pd.Flags |= PD_PRINTTOFILE;
  if (pages) pd.nFromPage = static_cast<WORD>(from), pd.nToPage = static_cast<WORD>(to);
  pd.nCopies = static_cast<WORD>(copies);
  const LRESULT i = SendMessageA(GetDlgItem(dlg, kPrinter), CB_GETCURSEL, 0, 0);
  char name[256] = "";
  if (i >= 0)
    SendMessageA(GetDlgItem(dlg, kPrinter), CB_GETLBTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(name));
  if (*name != '\0') d.printer = name;
  EndDialog(dlg, IDOK);
}

INT_PTR print_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* d = reinterpret_cast<PrintDialog*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      d = reinterpret_cast<PrintDialog*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      const PRINTDLGA& pd = *d->pd;
      fill_printers(GetDlgItem(dlg, kPrinter), d->printer);
      set_item_text(dlg, kPaperInfo, paper_text(d->printer, pd.hDevMode));
      const int range = (pd.Flags & PD_PAGENUMS)    ? kPages
                        : (pd.Flags & PD_SELECTION) ? kSelection
                                                    : kAll;
      check_item(dlg, range, true);
      enable_item(dlg, kPages, !(pd.Flags & PD_NOPAGENUMS));
      enable_item(dlg, kSelection, !(pd.Flags & PD_NOSELECTION));
      const bool pages = range == kPages;
      enable_item(dlg, kFrom, pages);
      enable_item(dlg, kTo, pages);
      if (pd.nFromPage != 0 || pd.nToPage != 0) {
        set_item_text(dlg, kFrom, std::to_string(pd.nFromPage));
        set_item_text(dlg, kTo, std::to_string(std::max(pd.nToPage, pd.nFromPage)));
      }
      int copies = pd.nCopies;
      if (pd.Flags & PD_USEDEVMODECOPIES) copies = devmode_of(pd.hDevMode).dmCopies;
      set_item_text(dlg, kCopies, std::to_string(std::max(1, copies)));
      check_item(dlg, kCollate, pd.Flags & PD_COLLATE);
      check_item(dlg, kToFile, pd.Flags & PD_PRINTTOFILE);
      show_item(dlg, kToFile, !(pd.Flags & PD_HIDEPRINTTOFILE));
      enable_item(dlg, kToFile, !(pd.Flags & PD_DISABLEPRINTTOFILE));
      centre_dialog(dlg);
      return TRUE;
    }
    case WM_COMMAND: {
      if (d == nullptr) return FALSE;
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDOK) {
        accept(dlg, *d);
      } else if ((id == kAll || id == kPages || id == kSelection) && code == BN_CLICKED) {
        enable_item(dlg, kFrom, id == kPages);
        enable_item(dlg, kTo, id == kPages);
      } else if (id == kPrinter && code == CBN_SELCHANGE) {
        char name[256] = "";
        const LRESULT i = SendMessageA(GetDlgItem(dlg, kPrinter), CB_GETCURSEL, 0, 0);
        SendMessageA(GetDlgItem(dlg, kPrinter), CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(name));
        set_item_text(dlg, kPaperInfo, paper_text(name, d->pd->hDevMode));
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// Hands the chosen printer over: its records and, when asked for, a
// context; false when the context cannot be made.
bool hand_over(PRINTDLGA& pd, const std::string& printer, const std::string& output) {
  DEVMODEA m = printer_mode(printer, pd.hDevMode);
  m.dmCopies = static_cast<SHORT>(pd.nCopies != 0 ? pd.nCopies : 1);
  m.dmFields |= DM_COPIES;
  store_devmode(pd.hDevMode, m);
  store_devnames(pd.hDevNames, printer, output);
  if (pd.Flags & (PD_RETURNDC | PD_RETURNIC)) {
    pd.hDC = CreateDCA(nullptr, printer.c_str(), output.empty() ? nullptr : output.c_str(), &m);
    if (pd.hDC == nullptr) {
      set_dialog_error(PDERR_CREATEICFAILURE);
      return false;
    }
  }
  return true;
}

}  // namespace

}  // namespace win::detail

namespace win {

BOOL PrintDlgA(PRINTDLGA* pd) {
  using namespace detail;
  if (!record_ok(pd, {PRINTDLG_SIZE_32})) return FALSE;
  pd->hDC = nullptr;
  if (pd->Flags & PD_RETURNDEFAULT) {
    if (pd->hDevMode != nullptr || pd->hDevNames != nullptr) {
      set_dialog_error(PDERR_RETDEFFAILURE);
      return FALSE;
    }
    if (pd->nCopies == 0) pd->nCopies = 1;
    return hand_over(*pd, plat::default_printer(), "") ? TRUE : FALSE;
  }
  PrintDialog d;
  d.pd = pd;
  d.printer = printer_of(pd->hDevNames, pd->hDevMode);
  std::string title = "Print";
  plat::DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 270, 164, title,
                         "MS Shell Dlg", 8);
  add_group(t, 7, 4, 256, 44, "Printer");
  add_label(t, 14, 18, 28, 8, "&Name:");
  add_combo(t, 44, 16, 212, 100, kPrinter, CBS_DROPDOWNLIST);
  t.add("", 0x82, kChild | SS_LEFT | SS_NOPREFIX, 44, 33, 212, 8, kPaperInfo, "");
  add_group(t, 7, 52, 130, 70, "Print range");
  add_button(t, 14, 64, 60, 10, kAll, "&All", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP);
  add_button(t, 14, 80, 40, 10, kPages, "Pa&ges", BS_AUTORADIOBUTTON);
  add_button(t, 14, 104, 60, 10, kSelection, "&Selection", BS_AUTORADIOBUTTON);
  add_label(t, 56, 81, 18, 8, "&from:");
  add_field(t, 76, 79, 22, 12, kFrom, WS_GROUP);
  add_label(t, 102, 81, 10, 8, "&to:");
  add_field(t, 112, 79, 22, 12, kTo);
  add_group(t, 143, 52, 120, 70, "Copies");
  add_label(t, 150, 66, 68, 8, "Number of &copies:");
  add_field(t, 222, 64, 32, 12, kCopies, WS_GROUP);
  add_button(t, 150, 84, 100, 10, kCollate, "C&ollate", BS_AUTOCHECKBOX);
  add_button(t, 7, 130, 100, 10, kToFile, "Print to fi&le", BS_AUTOCHECKBOX);
  add_ok_cancel(t, 159, 144, false);
  const INT_PTR r =
      run_common_dialog(pd->hwndOwner, t, print_proc, reinterpret_cast<LPARAM>(&d), title);
  if (r != IDOK) return FALSE;
  if (!hand_over(*pd, d.printer, d.output)) {
    log_common_dialog(title, "failed: no context for " + d.printer);
    return FALSE;
  }
  std::string outcome =
      d.printer + ", " + std::to_string(pd->nCopies) + " cop" + (pd->nCopies == 1 ? "y" : "ies");
  if (pd->Flags & PD_PAGENUMS)
    outcome += ", pages " + std::to_string(pd->nFromPage) + "-" + std::to_string(pd->nToPage);
  if (pd->Flags & PD_SELECTION) outcome += ", the selection";
  if (!d.output.empty()) outcome += ", to " + d.output;
  log_common_dialog(title, outcome);
  return TRUE;
}

}  // namespace win
