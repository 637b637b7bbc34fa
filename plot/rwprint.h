// Text and simple figures written into a window or onto the printer: the
// one routine behind WRITE to windows, the panels, the serial echo window,
// dialog printing and the IDE's File/Print. Where it goes is the current
// window's print state (plot/printjob.h): bit 2 the window, bit 1 the
// printer (a print job opened on demand, ended by bit 8), both one after
// the other. The windowless run's main window also hands each line of its
// text to the standard output.
#pragma once

#include <cstdint>
#include <string_view>

#include "exec/windowlist.h"

namespace plot {

// The vertical marks that RWPRINT reads: the line below the text written
// last, and the place right after that text.
inline constexpr double nextline = 0.9999;
inline constexpr double afterlast = -1.7976931348623157E308;

// Writes the text (lines end at CR LF, LF or CR) into the window (the main
// window when null) and/or on paper. x: 0 keeps the place, below 0 minus
// pixels, above 0 and below 1 a fraction of the text area's width, else
// the character column (1 the first); y: `nextline`, `afterlast`, above 1
// the line (1 the first), above 0 a fraction of the text area's height, 0
// or below minus pixels. columns: the number of text columns (-999 a new
// page), made non-negative. The alignment key's capitals place the text
// ("C" or "R" without "L" across; "T", "B" or "V" down); "P" in it
// suppresses the "fullpage" prompt and "0" the clearing of a full window.
// Options: the margins "L=", "R=", "W=", "T=", "B=", "H=" (sizes as
// PXLSFROMR8 reads them), "LS=" the orientation of a new job, "WYS" the
// window as seen on paper, "NOUP" no repaint now, "GRID" each character in
// its own character cell (a panel's text), and the figures: "BC"
// brush colour, "RA" frame, "EL" ellipse ("A1", "A2" angles), "PO=",
// "BE=", "LI=" point lists ("FC" pen, "CHA" character cells, "PXL"
// pixels, "^" between figures). status: 0; 999 when the orientation
// changed; 1 when the standard output could not take the text; the
// toolkit's status when the print job failed (`printfailure` then holds
// it too).
// The toolkit's status of a print job that failed in the last RWPRINT
// call (it could not start, or a page or the document could not be
// written, which ends the job), 0 when none.
inline std::int32_t printfailure = 0;

void RWPRINT(std::string_view text, double x, double y, std::int32_t& columns, std::int32_t slot,
             std::string_view align, std::string_view options, exec::wdwrec* window,
             std::int32_t& status);

}  // namespace plot
