// The printers: the CUPS destinations, "PDF", and those tests add; their
// paper, the device mode and device names that describe them, and the
// geometry of their pages.
#include "platform/win_print_devices.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/charcase.h"
#include "platform/cups_calls.h"
#include "platform/win_last_error.h"

namespace win::detail {

namespace {

std::vector<PrinterSpec> virtual_printers;

constexpr const char* kPdf = "PDF";

constexpr PaperForm kPapers[] = {{DMPAPER_LETTER, "Letter", 21590, 27940},
                                 {DMPAPER_LEGAL, "Legal", 21590, 35560},
                                 {DMPAPER_EXECUTIVE, "Executive", 18415, 26670},
                                 {DMPAPER_A3, "A3", 29700, 42000},
                                 {DMPAPER_A4, "A4", 21000, 29700},
                                 {DMPAPER_A5, "A5", 14800, 21000},
                                 {DMPAPER_B5, "B5", 18200, 25700}};

int pixels(int hundredths_mm, int dpi) {
  return static_cast<int>(std::lround(hundredths_mm * static_cast<double>(dpi) / 2540.0));
}

// The paper of a media name (PWG, IPP or PPD style); false when unknown.
bool media_size(const char* media, int& width, int& height) {
  if (media == nullptr) return false;
  pwg_media_t* m = plat::cups::MediaForPWG(media);
  if (m == nullptr) m = plat::cups::MediaForLegacy(media);
  if (m == nullptr) m = plat::cups::MediaForPPD(media);
  if (m == nullptr || m->width <= 0 || m->length <= 0) return false;
  width = m->width;
  height = m->length;
  return true;
}

// The CUPS destinations; `dests` freed by the caller with cupsFreeDests.
int cups_destinations(cups_dest_t** dests) {
  *dests = nullptr;
  return plat::cups::GetDests2(CUPS_HTTP_DEFAULT, dests);
}

// A destination's default paper and its unprintable edges at 600 dpi.
void cups_media(cups_dest_t* d, PrinterSpec& p) {
  if (cups_dinfo_t* info = plat::cups::CopyDestInfo(CUPS_HTTP_DEFAULT, d)) {
    cups_size_t size;
    if (plat::cups::GetDestMediaDefault(CUPS_HTTP_DEFAULT, d, info, CUPS_MEDIA_FLAGS_DEFAULT,
                                        &size) &&
        size.width > 0 && size.length > 0) {
      p.paper_width = size.width;
      p.paper_height = size.length;
      p.left = pixels(size.left, p.dpi);
      p.top = pixels(size.top, p.dpi);
      p.right = pixels(size.right, p.dpi);
      p.bottom = pixels(size.bottom, p.dpi);
    }
    plat::cups::FreeDestInfo(info);
    return;
  }
  media_size(plat::cups::GetOption("media", d->num_options, d->options), p.paper_width,
             p.paper_height);
}

}  // namespace

std::span<const PaperForm> paper_forms() { return kPapers; }

std::vector<PrinterSpec> printers() {
  std::vector<PrinterSpec> out;
  cups_dest_t* dests;
  const int n = cups_destinations(&dests);
  bool cups_default = false;
  for (int i = 0; i < n; ++i) {
    if (dests[i].instance != nullptr) continue;
    PrinterSpec p;
    p.name = dests[i].name;
    p.cups = true;
    p.is_default = dests[i].is_default != 0;
    cups_default = cups_default || p.is_default;
    out.push_back(p);
  }
  plat::cups::FreeDests(n, dests);
  PrinterSpec pdf;
  pdf.name = kPdf;
  pdf.is_default = !cups_default;
  out.push_back(pdf);
  const bool virtual_default = std::any_of(virtual_printers.begin(), virtual_printers.end(),
                                           [](const PrinterSpec& p) { return p.is_default; });
  if (virtual_default)
    for (PrinterSpec& p : out) p.is_default = false;
  out.insert(out.end(), virtual_printers.begin(), virtual_printers.end());
  return out;
}

bool find_printer(std::string_view name, PrinterSpec& out) {
  const std::vector<PrinterSpec> all = printers();
  const PrinterSpec* found = nullptr;
  for (const PrinterSpec& p : all)
    if (plat::same_any_case(p.name, name)) found = &p;
  // A device mode holds at most 31 characters of the name.
  if (found == nullptr && name.size() == CCHDEVICENAME - 1) {
    for (const PrinterSpec& p : all) {
      if (p.name.size() <= name.size() ||
          !plat::same_any_case(std::string_view(p.name).substr(0, name.size()), name))
        continue;
      if (found != nullptr) return false;  // not one printer
      found = &p;
    }
  }
  if (found == nullptr) return false;
  out = *found;
  if (out.cups || out.name == kPdf) {
    // A CUPS printer's own paper; "PDF" takes the CUPS default's paper but
    // not its edges.
    cups_dest_t* dests;
    const int n = cups_destinations(&dests);
    cups_dest_t* d = out.cups ? plat::cups::GetDest(out.name.c_str(), nullptr, n, dests)
                              : plat::cups::GetDest(nullptr, nullptr, n, dests);
    if (d != nullptr) {
      if (out.cups)
        cups_media(d, out);
      else
        media_size(plat::cups::GetOption("media", d->num_options, d->options), out.paper_width,
                   out.paper_height);
    }
    plat::cups::FreeDests(n, dests);
  }
  return true;
}

bool paper_size(const PrinterSpec& p, const DEVMODEA* mode, int* width, int* height) {
  int w = p.paper_width, h = p.paper_height;
  bool landscape = false;
  if (mode != nullptr) {
    if (mode->dmFields & DM_PAPERSIZE)
      for (const PaperForm& paper : kPapers)
        if (paper.code == mode->dmPaperSize) w = paper.width, h = paper.height;
    if ((mode->dmFields & DM_PAPERWIDTH) && mode->dmPaperWidth > 0) w = mode->dmPaperWidth * 10;
    if ((mode->dmFields & DM_PAPERLENGTH) && mode->dmPaperLength > 0) h = mode->dmPaperLength * 10;
    landscape = (mode->dmFields & DM_ORIENTATION) && mode->dmOrientation == DMORIENT_LANDSCAPE;
  }
  *width = w;
  *height = h;
  return landscape;
}

plat::DeviceInfo page_geometry(const PrinterSpec& p, const DEVMODEA* mode) {
  int w, h;
  const bool landscape = paper_size(p, mode, &w, &h);
  plat::DeviceInfo i;
  i.technology = DT_RASPRINTER;
  i.dpi_x = p.dpi;
  i.dpi_y = p.dpi_y;
  i.physical_width = pixels(w, p.dpi);
  i.physical_height = pixels(h, p.dpi_y);
  int left = p.left, top = p.top, right = p.right, bottom = p.bottom;
  if (landscape) {
    // The paper turns under the device: its resolutions trade places.
    std::swap(i.dpi_x, i.dpi_y);
    i.physical_width = pixels(h, i.dpi_x);
    i.physical_height = pixels(w, i.dpi_y);
    std::swap(left, top);
    std::swap(right, bottom);
  }
  i.offset_x = left;
  i.offset_y = top;
  i.width = std::max(1, i.physical_width - left - right);
  i.height = std::max(1, i.physical_height - top - bottom);
  return i;
}

}  // namespace win::detail

namespace plat {

using win::detail::PrinterSpec;

std::vector<std::string> printer_names() {
  std::vector<std::string> out;
  for (const PrinterSpec& p : win::detail::printers()) out.push_back(p.name);
  return out;
}

std::string default_printer() {
  for (const PrinterSpec& p : win::detail::printers())
    if (p.is_default) return p.name;
  return win::detail::kPdf;
}

win::HGLOBAL printer_devmode(std::string_view name) {
  PrinterSpec p;
  if (!win::detail::find_printer(name, p)) {
    win::SetLastError(win::ERROR_INVALID_PRINTER_NAME);
    return nullptr;
  }
  win::HGLOBAL mem = win::GlobalAlloc(win::GHND, sizeof(win::DEVMODEA));
  auto* m = static_cast<win::DEVMODEA*>(win::GlobalLock(mem));
  if (m == nullptr) return nullptr;
  *m = win::DEVMODEA();
  std::memcpy(m->dmDeviceName, p.name.data(),
              std::min<std::size_t>(p.name.size(), win::CCHDEVICENAME - 1));
  m->dmSize = sizeof(win::DEVMODEA);
  m->dmFields = win::DM_ORIENTATION | win::DM_PAPERSIZE | win::DM_PAPERLENGTH | win::DM_PAPERWIDTH |
                win::DM_SCALE | win::DM_COPIES | win::DM_PRINTQUALITY | win::DM_YRESOLUTION;
  m->dmOrientation = win::DMORIENT_PORTRAIT;
  m->dmPaperSize = win::DMPAPER_USER;
  for (const win::detail::PaperForm& paper : win::detail::paper_forms())
    if (std::abs(paper.width - p.paper_width) <= 100 &&
        std::abs(paper.height - p.paper_height) <= 100)
      m->dmPaperSize = paper.code;
  m->dmPaperWidth = static_cast<win::SHORT>(p.paper_width / 10);
  m->dmPaperLength = static_cast<win::SHORT>(p.paper_height / 10);
  m->dmScale = 100;
  m->dmCopies = 1;
  m->dmPrintQuality = static_cast<win::SHORT>(p.dpi);
  m->dmYResolution = static_cast<win::SHORT>(p.dpi_y);
  win::GlobalUnlock(mem);
  return mem;
}

win::HGLOBAL printer_devnames(std::string_view name) {
  PrinterSpec p;
  bool known = false;
  for (const PrinterSpec& q : win::detail::printers())
    if (plat::same_any_case(q.name, name)) p = q, known = true;
  if (!known) {
    win::SetLastError(win::ERROR_INVALID_PRINTER_NAME);
    return nullptr;
  }
  const std::string driver = p.cups ? "CUPS" : "PDF";
  // The record, then the driver, device and output names, each ended by a
  // NUL (no output: an empty name).
  const std::size_t at_driver = sizeof(win::DEVNAMES);
  const std::size_t at_device = at_driver + driver.size() + 1;
  const std::size_t at_output = at_device + p.name.size() + 1;
  win::HGLOBAL mem = win::GlobalAlloc(win::GHND, at_output + 1);
  auto* bytes = static_cast<char*>(win::GlobalLock(mem));
  if (bytes == nullptr) return nullptr;
  win::DEVNAMES dn;
  dn.wDriverOffset = static_cast<win::WORD>(at_driver);
  dn.wDeviceOffset = static_cast<win::WORD>(at_device);
  dn.wOutputOffset = static_cast<win::WORD>(at_output);
  dn.wDefault = p.is_default ? win::DN_DEFAULTPRN : 0;
  std::memcpy(bytes, &dn, sizeof dn);
  std::memcpy(bytes + at_driver, driver.c_str(), driver.size() + 1);
  std::memcpy(bytes + at_device, p.name.c_str(), p.name.size() + 1);
  win::GlobalUnlock(mem);
  return mem;
}

void add_virtual_printer(const VirtualPrinter& v) {
  PrinterSpec p;
  p.name = v.name;
  p.paper_width = v.paper_width;
  p.paper_height = v.paper_height;
  p.dpi = v.dpi;
  p.dpi_y = v.dpi_y > 0 ? v.dpi_y : v.dpi;
  p.left = v.left;
  p.top = v.top;
  p.right = v.right;
  p.bottom = v.bottom;
  p.is_default = v.is_default;
  win::detail::virtual_printers.push_back(p);
}

void remove_virtual_printers() { win::detail::virtual_printers.clear(); }

}  // namespace plat
