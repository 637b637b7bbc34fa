#include "toolkit/printing.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win_dialog.h"
#include "platform/win_last_error.h"
#include "toolkit/dialog_box.h"
#include "toolkit/draw_targets.h"
#include "toolkit/helpers.h"
#include "toolkit/records.h"
#include "toolkit/status.h"

namespace toolkit {

namespace {

constexpr win::DWORD kPageSetupSize = win::PAGESETUPDLG_SIZE_32;
constexpr win::DWORD kPrintDialogSize = win::PRINTDLG_SIZE_32;
constexpr win::DWORD kPrintFlagsMask = 0x1804BF;
constexpr int kDocumentInfoSize = 20;
constexpr int kDefaultPrinter = -1;

struct print_records {
  bool page_setup_made = false;
  win::PAGESETUPDLGA page_setup;
  bool print_dialog_made = false;
  win::PRINTDLGA print_dialog;
  win::HGLOBAL device_mode = nullptr;  // kept for page setup and the print dialog
  std::string document;
  std::string output;
  int* abort_flag = &print_job_state;
  std::array<dialog_t, 3> spooling;
};
print_records pr;

win::HWND owner_or_main(const win::HWND* owner) {
  return owner != nullptr && *owner != nullptr ? *owner : MAIN_WINDOW();
}

// The kept device mode's orientation set to landscape (2) or portrait (1);
// false after the report when the block cannot be locked.
bool set_orientation(int landscape, const char* failure, int* ups) {
  auto* mode = static_cast<win::DEVMODEA*>(win::GlobalLock(pr.device_mode));
  if (mode == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, failure);
    return false;
  }
  mode->dmOrientation = landscape != 0 ? win::DMORIENT_LANDSCAPE : win::DMORIENT_PORTRAIT;
  mode->dmFields |= win::DM_ORIENTATION;
  win::GlobalUnlock(pr.device_mode);
  return true;
}

// The device mode's orientation, -1 when the block cannot be locked.
int orientation_of(win::HGLOBAL block) {
  const auto* mode = static_cast<const win::DEVMODEA*>(win::GlobalLock(block));
  if (mode == nullptr) return -1;
  const int orientation = mode->dmOrientation;
  win::GlobalUnlock(block);
  return orientation;
}

// The output port of the print dialog's device names.
std::string output_port(win::HGLOBAL names) {
  const auto* base = static_cast<const char*>(win::GlobalLock(names));
  if (base == nullptr) return {};
  win::DEVNAMES dn;
  std::memcpy(&dn, base, sizeof dn);
  std::string port = dn.wOutputOffset != 0 ? std::string(base + dn.wOutputOffset) : std::string();
  win::GlobalUnlock(names);
  return port;
}

void close_spooling_dialog() {
  if (print_cancel_dialog != nullptr && win::IsWindow(print_cancel_dialog))
    win::DestroyWindow(print_cancel_dialog);
  print_cancel_dialog = nullptr;
}

// The spooling dialog closes through its Cancel button: the job is to be
// aborted.
int spooling_changed(win::HWND&, int& code) {
  if (code == 0x409 && pr.spooling[2].integer_value != 0) {
    if (*pr.abort_flag == 0) *pr.abort_flag = 1;
    print_cancel_dialog = nullptr;
  }
  return 0;
}

win::HWND show_spooling_dialog() {
  const std::string name = pr.document.substr(0, 60);
  const int width = std::max(static_cast<int>(name.size()), 20) * 4 + 12;
  const int text = DLG_TEXT, cancel = DLG_CANCEL_BUTTON, x = kLayoutMargin, top = 7, second = 18;
  const int cancel_x = (width - 40) / 2 + kLayoutMargin, automatic = -4;
  const std::uint32_t centred = 0x20000;
  const char kSpooling[] = "Spooling Print Job:";
  for (dialog_t& d : pr.spooling) d = dialog_t{};
  const auto set = [&](dialog_t& d, const int* type, const char* title, int length, const int* ix,
                       const int* iy, const int* w) {
    SET_DIALOG_ITEM(d, type, &centred, title, length, nullptr, 0, nullptr, nullptr, ix, iy, w,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0,
                    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr);
  };
  set(pr.spooling[0], &text, kSpooling, sizeof kSpooling - 1, &x, &top, &width);
  set(pr.spooling[1], &text, name.c_str(), static_cast<int>(name.size()), &x, &second, &width);
  set(pr.spooling[2], &cancel, nullptr, 0, &cancel_x, &automatic, nullptr);
  const win::HWND owner = MAIN_WINDOW();
  const int modeless = 1;
  const char kTitle[] = "Printing";
  return reinterpret_cast<win::HWND>(
      DIALOG_BOX(pr.spooling.data(), static_cast<int>(pr.spooling.size()), kTitle,
                 sizeof kTitle - 1, &owner, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                 &modeless, nullptr, nullptr, nullptr, nullptr, spooling_changed, nullptr));
}

// The default printer's context, made from the kept device mode.
int default_printer_context(draw_target_t& target, const int* landscape, int* ups) {
  if (ENSURE_PAGE_SETUP(ups) == 0) return 0;
  if (landscape != nullptr && !set_orientation(*landscape, "Cannot lock hDevMode", ups)) return 0;
  const auto* mode = static_cast<const win::DEVMODEA*>(win::GlobalLock(pr.device_mode));
  if (mode == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Cannot lock hDevMode");
    return 0;
  }
  char device[win::CCHDEVICENAME + 1] = {};
  std::memcpy(device, mode->dmDeviceName, win::CCHDEVICENAME);
  target.dc = win::CreateDCA(nullptr, device, nullptr, mode);
  win::GlobalUnlock(pr.device_mode);
  pr.output.clear();
  if (target.dc == nullptr) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to make the printer's device context");
    return 0;
  }
  return 1;
}

// The print dialog's context (its defaults without showing it when the
// flags ask for them).
int dialog_printer_context(draw_target_t& target, int* flags, const win::HWND* owner,
                           const int* landscape, int* ups) {
  INIT_PRINT_DIALOG();
  win::PRINTDLGA& pd = pr.print_dialog;
  if (flags != nullptr) {
    *flags = static_cast<int>(static_cast<win::DWORD>(*flags) & kPrintFlagsMask);
    pd.Flags = static_cast<win::DWORD>(*flags) | win::PD_RETURNDC;
  }
  pd.hwndOwner = owner_or_main(owner);
  const auto failed = [&] {
    if (ups != nullptr) *ups = static_cast<int>(win::CommDlgExtendedError());
    return 0;
  };
  if ((pd.Flags & win::PD_RETURNDEFAULT) == 0) {
    if (landscape != nullptr && (ENSURE_PAGE_SETUP(ups) == 0 ||
                                 !set_orientation(*landscape, "Cannot lock hPrintDevMode", ups)))
      return 0;
    pd.hDevMode = pr.device_mode;
    if (!win::PrintDlgA(&pd)) return failed();
    pr.device_mode = pr.page_setup.hDevMode = pd.hDevMode;
  } else {
    const int old = pr.device_mode != nullptr ? std::max(orientation_of(pr.device_mode), 0) : 0;
    if (pr.device_mode != nullptr) win::GlobalFree(pr.device_mode);
    if (pd.hDevNames != nullptr) win::GlobalFree(pd.hDevNames);
    pr.device_mode = pr.page_setup.hDevMode = pd.hDevMode = pd.hDevNames = nullptr;
    if (!win::PrintDlgA(&pd)) return failed();
    pr.device_mode = pr.page_setup.hDevMode = pd.hDevMode;
    if (landscape != nullptr || old != 0) {
      if (!set_orientation(landscape != nullptr ? *landscape : old == win::DMORIENT_LANDSCAPE,
                           "Cannot lock hDevMode", ups))
        return 0;
      const auto* mode = static_cast<const win::DEVMODEA*>(win::GlobalLock(pr.device_mode));
      win::ResetDCA(pd.hDC, mode);
      win::GlobalUnlock(pr.device_mode);
    }
  }
  target.dc = pd.hDC;
  pd.hDC = nullptr;  // the target's from now on
  pr.output = (pd.Flags & win::PD_PRINTTOFILE) != 0 ? output_port(pd.hDevNames) : std::string();
  return 1;
}

}  // namespace

int ENSURE_PAGE_SETUP(int* ups) {
  win::PAGESETUPDLGA& ps = pr.page_setup;
  if (!pr.page_setup_made) {
    ps = win::PAGESETUPDLGA{};
    ps.lStructSize = kPageSetupSize;
    ps.Flags = win::PSD_RETURNDEFAULT;
    if (!win::PageSetupDlgA(&ps)) {
      SET_STATUS_WITH_CODE(ups, "PageSetupDlg initialization failed",
                           static_cast<int>(win::CommDlgExtendedError()));
      return 0;
    }
    ps.Flags = (ps.Flags & ~win::PSD_RETURNDEFAULT) | win::PSD_MINMARGINS | win::PSD_MARGINS;
    pr.page_setup_made = true;
  }
  if (pr.device_mode == nullptr) pr.device_mode = ps.hDevMode;
  return 1;
}

void INIT_PRINT_DIALOG() {
  if (pr.print_dialog_made) return;
  win::PRINTDLGA& pd = pr.print_dialog;
  pd = win::PRINTDLGA{};
  pd.lStructSize = kPrintDialogSize;
  pd.Flags = win::PD_RETURNDC;
  pd.nMaxPage = 999;
  pd.nCopies = 1;
  pr.print_dialog_made = true;
}

const win::PAGESETUPDLGA& PAGE_SETUP_RECORD() {
  ENSURE_PAGE_SETUP(nullptr);
  return pr.page_setup;
}

const win::PRINTDLGA& PRINT_DIALOG_RECORD() {
  INIT_PRINT_DIALOG();
  return pr.print_dialog;
}

int PAGE_SETUP(win::DWORD* flags, const win::HWND* owner, const int* landscape, int* ups) {
  CLEAR_STATUS(ups);
  if (ENSURE_PAGE_SETUP(ups) == 0) return 0;
  win::PAGESETUPDLGA& ps = pr.page_setup;
  ps.hDevMode = pr.device_mode;
  ps.hwndOwner = owner_or_main(owner);
  if (landscape != nullptr && pr.device_mode != nullptr &&
      !set_orientation(*landscape, "Cannot lock hPrintDevMode", ups))
    return 0;
  if (flags != nullptr && *flags != 0) ps.Flags = *flags | 0x100;
  if (!win::PageSetupDlgA(&ps)) {
    const auto code = static_cast<int>(win::CommDlgExtendedError());
    if (code != 0) {
      SET_STATUS_WITH_CODE(ups, "Unable to perform page setup", code);
      return 0;
    }
  }
  if (flags != nullptr) *flags = ps.Flags;
  pr.device_mode = ps.hDevMode;
  return 1;
}

int C_START_PRINT(draw_target_t& target, int* flags, const win::HWND* owner, const char* document,
                  int document_length, const int* landscape, int* ups) {
  CLEAR_STATUS(ups);
  target = draw_target_t{};
  target.marker = kMarker;
  // The whole name: a name that fills its text keeps its last character.
  pr.document = document != nullptr ? trimmed_text(document, document_length)
                                    : std::string(main_title()).substr(0, 127);
  if (flags != nullptr && *flags == kDefaultPrinter)
    return default_printer_context(target, landscape, ups);
  return dialog_printer_context(target, flags, owner, landscape, ups);
}

int START_PRINT(draw_target_t& target, int* flags, const win::HWND* owner, const char* document,
                int document_length, const int* landscape, int* ups) {
  const int started =
      C_START_PRINT(target, flags, owner, document, document_length, landscape, ups);
  if (started == 0) return started;
  print_cancel_dialog = show_spooling_dialog();
  const int result = START_PRINT_DOCUMENT(target, print_cancel_dialog, print_job_state, ups);
  if (result == 0) close_spooling_dialog();
  return result;
}

int START_PRINT_DOCUMENT(draw_target_t& target, win::HWND spooling, int& abort_flag, int* ups) {
  pr.abort_flag = &abort_flag;
  print_cancel_dialog = spooling;
  abort_flag = 0;
  win::EnableWindow(MAIN_WINDOW(), win::FALSE);
  win::SetAbortProc(target.dc, PRINT_ABORT_PROC);
  win::DOCINFOA info;
  info.cbSize = kDocumentInfoSize;
  info.lpszDocName = pr.document.c_str();
  info.lpszOutput = pr.output.empty() ? nullptr : pr.output.c_str();
  if (win::StartDocA(target.dc, &info) < 1) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to start the print document");
    abort_flag = 1;
  } else if (win::StartPage(target.dc) <= 0) {
    SET_STATUS_FROM_SYSTEM(ups, "Unable to start the print page");
    abort_flag = 1;
  }
  if (abort_flag != 0) {
    CANCEL_PRINT(target);
    close_spooling_dialog();
    return 0;
  }
  target.flags |= kPrinterTarget;
  PRINT_PAGE_GEOMETRY(target);
  return 1;
}

win::BOOL PRINT_ABORT_PROC(win::HDC, int) {
  win::MSG m;
  while (*pr.abort_flag == 0 && win::PeekMessageA(&m, nullptr, 0, 0, win::PM_REMOVE)) {
    if (m.message == win::WM_QUIT) {
      win::PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (print_cancel_dialog != nullptr && win::IsDialogMessageA(print_cancel_dialog, &m)) continue;
    win::TranslateMessage(&m);
    win::DispatchMessageA(&m);
  }
  win::EnableWindow(MAIN_WINDOW(), win::TRUE);
  return *pr.abort_flag == 0 ? win::TRUE : win::FALSE;
}

void CANCEL_PRINT(draw_target_t& target) {
  if (*pr.abort_flag != 1) return;
  win::EnableWindow(MAIN_WINDOW(), win::TRUE);
  win::AbortDoc(target.dc);
  close_spooling_dialog();
  *pr.abort_flag = 2;
}

void NEXT_PRINT_PAGE(draw_target_t& target, int* ups) {
  CLEAR_STATUS(ups);
  if (CHECK_STATUS_ARGUMENT(ups, target, "NEXT_PRINT_PAGE") || *pr.abort_flag != 0) return;
  if (win::EndPage(target.dc) > 0 && win::StartPage(target.dc) > 0) {
    PRINT_PAGE_GEOMETRY(target);
  } else if (*pr.abort_flag != 0) {
    CANCEL_PRINT(target);  // cancelled while the page spooled
  } else {
    SET_STATUS_FROM_SYSTEM(ups, "NEXT_PRINT_PAGE failed");
  }
}

void C_END_PRINT(draw_target_t& target, int* ups) {
  CLEAR_STATUS(ups);
  target.flags &= ~kPrinterTarget;
  if (CHECK_STATUS_ARGUMENT(ups, target, "C_END_PRINT")) {
    RELEASE_DRAW_OBJECTS(target);
    if (target.dc != nullptr) win::DeleteDC(target.dc);
    target.dc = nullptr;
    return;
  }
  CANCEL_PRINT(target);  // a Cancel not yet served
  bool ended = true;
  if (*pr.abort_flag == 0) {
    ended = win::EndPage(target.dc) > 0;
    ended = win::EndDoc(target.dc) > 0 && ended;
  }
  win::EnableWindow(MAIN_WINDOW(), win::TRUE);
  RELEASE_DRAW_OBJECTS(target);
  win::DeleteDC(target.dc);
  target.dc = nullptr;
  if (!ended && *pr.abort_flag == 0) SET_STATUS_FROM_SYSTEM(ups, "END_PRINT failed");
}

void END_PRINT(draw_target_t& target, int* ups) {
  C_END_PRINT(target, ups);
  close_spooling_dialog();
  *pr.abort_flag = 0;
}

void GET_PAGE_DATA(draw_target_t* target, const win::HFONT* font, int* lines, int* columns,
                   int* average_columns, int* copies, int* from_page, int* to_page, int* paper,
                   int* margins, int* minimum_margins, int* landscape, int* ups) {
  CLEAR_STATUS(ups);
  if (target != nullptr) {
    if (CHECK_STATUS_ARGUMENT(ups, *target, "GET_PAGE_DATA")) return;
    if (font != nullptr && win::SelectObject(target->dc, *font) == nullptr)
      SET_STATUS_FROM_SYSTEM(ups, "Invalid font in GET_PAGE_DATA");
    win::TEXTMETRICA tm{};
    win::GetTextMetricsA(target->dc, &tm);
    const win::RECT& b = target->bounds;
    const auto per = [](int extent, int unit) { return unit > 0 ? extent / unit : 0; };
    if (lines != nullptr) *lines = per(b.bottom - b.top, tm.tmHeight + tm.tmExternalLeading);
    if (columns != nullptr) *columns = per(b.right - b.left, tm.tmMaxCharWidth);
    if (average_columns != nullptr) *average_columns = per(b.right - b.left, tm.tmAveCharWidth);
  }
  if (ENSURE_PAGE_SETUP(ups) == 0) return;
  INIT_PRINT_DIALOG();
  const win::PAGESETUPDLGA& ps = pr.page_setup;
  const win::PRINTDLGA& pd = pr.print_dialog;
  const auto edges = [](int* out, const win::RECT& r) {
    if (out == nullptr) return;
    out[0] = r.left;
    out[1] = r.top;
    out[2] = r.right;
    out[3] = r.bottom;
  };
  if (paper != nullptr) {
    paper[0] = ps.ptPaperSize.x;
    paper[1] = ps.ptPaperSize.y;
  }
  edges(margins, ps.rtMargin);
  edges(minimum_margins, ps.rtMinMargin);
  if (copies != nullptr) *copies = pd.nCopies;
  if (from_page != nullptr) *from_page = pd.nFromPage;
  if (to_page != nullptr) *to_page = pd.nToPage;
  if (landscape != nullptr) {
    const int orientation = orientation_of(pr.device_mode);
    if (orientation < 0) SET_STATUS_FROM_SYSTEM(ups, "Cannot lock hDevMode");
    *landscape = orientation == win::DMORIENT_LANDSCAPE ? 1 : 0;
  }
}

void SET_PAGE_DATA(draw_target_t* target, const int* copies, const int* from_page,
                   const int* to_page, const int* metric, const int* paper, const int* margins,
                   const int* minimum_margins, const int* landscape, int* ups) {
  CLEAR_STATUS(ups);
  if (ENSURE_PAGE_SETUP(ups) == 0) return;
  win::PAGESETUPDLGA& ps = pr.page_setup;
  const auto edges = [](win::RECT& r, const int* in) {
    if (in != nullptr) r = win::RECT{in[0], in[1], in[2], in[3]};
  };
  if (paper != nullptr) ps.ptPaperSize = win::POINT{paper[0], paper[1]};
  edges(ps.rtMargin, margins);
  edges(ps.rtMinMargin, minimum_margins);
  INIT_PRINT_DIALOG();
  win::PRINTDLGA& pd = pr.print_dialog;
  if (copies != nullptr) pd.nCopies = static_cast<win::WORD>(*copies);
  if (from_page != nullptr) pd.nFromPage = static_cast<win::WORD>(*from_page);
  if (to_page != nullptr) pd.nToPage = static_cast<win::WORD>(*to_page);
  if (metric != nullptr) {
    const win::DWORD on =
        *metric != 0 ? win::PSD_INHUNDREDTHSOFMILLIMETERS : win::PSD_INTHOUSANDTHSOFINCHES;
    ps.Flags =
        (ps.Flags & ~(win::PSD_INHUNDREDTHSOFMILLIMETERS | win::PSD_INTHOUSANDTHSOFINCHES)) | on;
  }
  const bool open = target != nullptr && target->marker == kMarker;
  if (landscape != nullptr) {
    if (!set_orientation(*landscape, "Cannot lock hDevMode", ups)) return;
    const auto* mode = static_cast<const win::DEVMODEA*>(win::GlobalLock(pr.device_mode));
    if (open) {
      win::EndPage(target->dc);
      win::ResetDCA(target->dc, mode);
      if (win::StartPage(target->dc) > 0) PRINT_PAGE_GEOMETRY(*target);
    } else if (pd.hDC != nullptr) {
      win::ResetDCA(pd.hDC, mode);
    }
    win::GlobalUnlock(pr.device_mode);
  }
  if (open) PRINT_PAGE_GEOMETRY(*target);
}

void PRINT_PAGE_GEOMETRY(draw_target_t& target) {
  GET_TARGET_RESOLUTION(target);
  ENSURE_PAGE_SETUP(nullptr);
  const win::PAGESETUPDLGA& ps = pr.page_setup;
  const bool metric = (ps.Flags & win::PSD_INHUNDREDTHSOFMILLIMETERS) != 0;
  const auto pixels = [&](int margin, bool x) {
    if (metric)
      return static_cast<int>(margin * (x ? target.pixels_per_mm_x : target.pixels_per_mm_y) *
                              0.01);
    return margin * (x ? target.pixels_per_inch_x : target.pixels_per_inch_y) / 1000;
  };
  const win::RECT& m = ps.rtMargin;
  const int left = pixels(m.left, true), right = pixels(m.right, true);
  const int top = pixels(m.top, false), bottom = pixels(m.bottom, false);
  const win::HDC dc = target.dc;
  const int offset_x = win::GetDeviceCaps(dc, win::PHYSICALOFFSETX);
  const int offset_y = win::GetDeviceCaps(dc, win::PHYSICALOFFSETY);
  const int page_w = win::GetDeviceCaps(dc, win::PHYSICALWIDTH);
  const int page_h = win::GetDeviceCaps(dc, win::PHYSICALHEIGHT);
  const int printable_w = win::GetDeviceCaps(dc, win::HORZRES);
  const int printable_h = win::GetDeviceCaps(dc, win::VERTRES);
  win::RECT& b = target.bounds;
  b.left = std::max(0, left - offset_x);
  b.top = std::max(0, top - offset_y);
  b.right = std::min(printable_w, page_w - right - offset_x);
  b.bottom = std::min(printable_h, page_h - offset_y - bottom);
  target.current = target.continuation = win::POINT{b.left, b.top};
}

void FIT_PRINT_RECTANGLE(const win::RECT& source, win::RECT& destination, draw_target_t& target,
                         int mode, int res_x, int res_y) {
  const int width = source.right - source.left, height = source.bottom - source.top;
  if (mode == 3) {
    destination.right = destination.left + width;
    destination.bottom = destination.top + height;
    return;
  }
  if ((mode != 1 && mode != 2) || width <= 0 || height <= 0 || res_x <= 0 || res_y <= 0) return;
  GET_TARGET_RESOLUTION(target);
  const double px = target.pixels_per_inch_x, py = target.pixels_per_inch_y;
  if (px <= 0 || py <= 0) return;
  const double inches_x = static_cast<double>(width) / res_x;
  const double inches_y = static_cast<double>(height) / res_y;
  if (mode == 2) {
    destination.right = std::min(destination.right, destination.left + truncated(inches_x * px));
    destination.bottom = std::min(destination.bottom, destination.top + truncated(inches_y * py));
    return;
  }
  const double ratio_x = (destination.right - destination.left) / px / inches_x;
  const double ratio_y = (destination.bottom - destination.top) / py / inches_y;
  if (ratio_y < ratio_x)
    destination.right = destination.left + truncated(inches_x * ratio_y * px);
  else if (ratio_y > ratio_x)
    destination.bottom = destination.top + truncated(inches_y * ratio_x * py);
}

void CLIP_RECTANGLE(win::RECT& rect, const win::RECT& bounds) {
  rect.left = std::max(rect.left, bounds.left);
  rect.top = std::max(rect.top, bounds.top);
  rect.right = std::min(rect.right, bounds.right);
  rect.bottom = std::min(rect.bottom, bounds.bottom);
}

void reset_printing() {
  close_spooling_dialog();
  print_job_state = 0;
  std::vector<win::HGLOBAL> blocks;
  for (win::HGLOBAL h : {pr.device_mode, pr.page_setup.hDevMode, pr.page_setup.hDevNames,
                         pr.print_dialog.hDevMode, pr.print_dialog.hDevNames})
    if (h != nullptr && std::find(blocks.begin(), blocks.end(), h) == blocks.end())
      blocks.push_back(h);
  for (win::HGLOBAL h : blocks) win::GlobalFree(h);
  pr = print_records{};
}

}  // namespace toolkit
