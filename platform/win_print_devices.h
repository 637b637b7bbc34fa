// Inner records of printing, shared by its files: the printers and the
// geometry of their pages. Not for use outside platform/win_print* and
// platform/win_gdi_print*.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win_gdi.h"
#include "platform/win_print.h"

namespace win::detail {

struct PrinterSpec {
  std::string name;
  bool cups = false;
  bool is_default = false;
  int paper_width = 21000;  // hundredths of a millimetre, portrait
  int paper_height = 29700;
  int dpi = 600;                                 // horizontally
  int dpi_y = 600;                               // vertically
  int left = 0, top = 0, right = 0, bottom = 0;  // unprintable edges, device pixels, portrait
};

// The paper forms known by name (sizes portrait, in hundredths of a
// millimetre).
struct PaperForm {
  SHORT code;
  const char* name;
  int width, height;
};
std::span<const PaperForm> paper_forms();

// Every printer by name (their paper not looked up yet).
std::vector<PrinterSpec> printers();
// The printer of a name with its default paper and edges; false when none.
bool find_printer(std::string_view name, PrinterSpec& out);
// The paper under a device mode (or the printer's own), portrait, in
// hundredths of a millimetre; true when the pages lie across it.
bool paper_size(const PrinterSpec& p, const DEVMODEA* mode, int* width, int* height);
// What the printer's pages are under a device mode (or its defaults).
plat::DeviceInfo page_geometry(const PrinterSpec& p, const DEVMODEA* mode);

}  // namespace win::detail
